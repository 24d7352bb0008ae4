// State of listing and report counters, one sub-record of EngineState.
#pragma once

struct ReportState {
};
