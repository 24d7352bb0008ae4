// Unreduce (methods 2 to 5: reduced with compression factor 1 to 4).
#pragma once

#include "engine/engine_state.h"
#include "engine/methods/inflate.h"  // method_not_built, shared by the callers of every decoder

// Decodes the member up to its uncompressed size and returns the result of
// its last flush_output call (callers take 0 as the method's result: damaged
// data decodes to wrong bytes, which the CRC check reports). The output stays
// bounded: at most the uncompressed size plus one run (384 bytes) goes out.
int unreduce(EngineState& s);
