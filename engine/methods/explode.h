// Explode (method 6, "imploded"): literals and matches over an 8 KiB or 4 KiB
// distance range, coded with Shannon-Fano trees sent ahead of the data.
#pragma once

#include "engine/engine_state.h"
#include "engine/methods/inflate.h"  // method_not_built, shared by the callers of every decoder

enum ExplodeResult : int {
  explode_ok = 0,
  explode_bad_code = 1,        // an invalid code, a tree whose code set is incomplete, or data that
                               // ended more than 4096 bytes before the uncompressed size
  explode_oversubscribed = 2,  // a tree's code set is over-subscribed
  explode_no_memory = 3,       // a decoding table could not be allocated
  explode_bad_tree = 4,        // a tree description passes its symbol count or falls short of it
  explode_size_mismatch = 5,   // decoded completely, but used a different number of compressed
                               // bytes than the member's compressed size (see used_compressed)
};

// Decodes the member up to its uncompressed size (expected_output_size). The
// last match is copied whole, so at most 320 bytes more than that size go
// to flush_output. On result 5, used_compressed holds the compressed bytes the
// data actually took. On results 1 to 4 the last partial window is dropped.
[[nodiscard]] int explode(EngineState& s);

// First-level width of the distance table: members of more than 200000
// compressed bytes have enough matches to pay for the wider table.
[[nodiscard]] constexpr unsigned explode_distance_lookup_bits(long compressed_size) {
  return compressed_size > 200000 ? 8 : 7;
}
