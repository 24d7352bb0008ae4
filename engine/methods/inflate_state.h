// State of inflate: window position, bit accumulator, cached fixed tables, one sub-record of EngineState.
#pragma once

struct InflateState {
};
