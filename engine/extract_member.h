// Extracting or testing one member (the member loop's per-member step).
#pragma once

#include "engine/engine_state.h"

// Opens the output, runs the member's method, closes the output with its time
// and attributes and checks the CRC. Returns the member's result: 0, 1, 2, 5
// or 50 (output not created, or the user stopped after a write error).
int extract_or_test_member(EngineState& s);

// Creates the file named by member_name as output_file; 0, or 1 after its message.
int open_output_file(EngineState& s);
