// Compressed-data input of the decoders: the byte reader over the archive's
// 2048-byte input buffer and the global LSB-first bit reader.
//
// read_byte is the hot path of every decoder: it is inline, and falls back to
// fill_input_buffer only when the buffer is empty. Past the member's end it
// keeps returning -1 and lets compressed_left go negative, which is how a
// decoder learns how far it overran; a file that ends first ends the member's
// data there (compressed_left -1).
#pragma once

#include "engine/engine_state.h"

// Refills input_buffer from the archive and returns its first byte, or -1.
[[nodiscard]] int fill_input_buffer(EngineState& s);

// The next compressed byte of the current member (0..255), or -1 at its end.
[[nodiscard]] inline int read_byte(EngineState& s) {
  InputState& in = s.in;
  if (in.compressed_left <= 0) [[unlikely]] {
    --in.compressed_left;
    return -1;
  }
  --in.compressed_left;
  if (--in.input_left >= 0) [[likely]]
    return *in.input_pos++;
  return fill_input_buffer(s);
}

// The next n (0..16) bits of the global bit reader. With no data left it
// returns the remaining bits with zeros above them, sets input_exhausted and
// leaves bit_count negative.
[[nodiscard]] unsigned read_bits(EngineState& s, int n);
