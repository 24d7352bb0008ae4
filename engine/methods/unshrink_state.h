// State of unshrink: code tables (in output_window) and code width, one sub-record of EngineState.
#pragma once

struct UnshrinkState {
};
