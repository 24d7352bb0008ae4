// Unreduce (methods 2 to 5: reduced with compression factor 1 to 4).
#pragma once

#include "engine/engine_state.h"
#include "engine/methods/inflate.h"  // method_not_built, shared by the callers of every decoder

// Returned when the data ended 4096 bytes or more before the uncompressed
// size was reached: decoding stopped there, short.
inline constexpr int unreduce_data_ended = -2;

// Decodes the member up to its uncompressed size and returns the result of
// its last flush_output call, or unreduce_data_ended. Callers take 0 as the
// method's result: damaged or cut data decodes to wrong or missing bytes,
// which the CRC check reports. The output stays bounded: at most the
// uncompressed size plus one run (384 bytes) goes out.
int unreduce(EngineState& s);
