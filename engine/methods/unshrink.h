// Unshrink (method 1): dynamic LZW with 9- to 13-bit codes and partial clearing.
#pragma once

#include "engine/engine_state.h"
#include "engine/methods/inflate.h"  // method_not_built, shared by the callers of every decoder

// Results of unshrink. Decoding stops when the member's compressed data runs
// out; damaged data that would leave the code tables is caught and reported
// as unshrink_bad_data, which the caller reports as "invalid compressed data
// for unshrink format" (quiet: "invalid compressed (shrunk) data for " and
// the member name) with member result 2. The output decoded before the damage
// has gone through flush_output in whole 65536-byte runs; the last partial run
// is dropped, as with the other decoders' failures.
enum UnshrinkResult : int {
  unshrink_ok = 0,
  unshrink_bad_data = 1,   // code width beyond 13, or a string longer than 8192 bytes
                           // (a prefix chain that loops ends up here too)
  unshrink_no_memory = 5,  // conversion_buffer could not be allocated; nothing decoded
};

[[nodiscard]] int unshrink(EngineState& s);
