// Byte and bit readers of the compressed data (see input.h).
#include "engine/input.h"

int fill_input_buffer(EngineState& s) {
  InputState& in = s.in;
  long n = sys::read(s.archive.archive_fd.get(), in.input_buffer.get(), input_block_size);
  in.input_left = n;
  if (n <= 0) {
    // The file ends before the member's stated compressed size: its data ends
    // here, as if this byte had been asked for past the end. Left positive,
    // compressed_left would make every further byte another read at the end
    // of the file, and a decoder's overrun bound (counted below zero) would
    // never be reached.
    in.input_left = 0;
    in.compressed_left = -1;
    return -1;
  }
  in.buffer_file_offset += input_block_size;
  in.input_pos = in.input_buffer.get();
  --in.input_left;
  return *in.input_pos++;
}

unsigned read_bits(EngineState& s, int n) {
  InputState& in = s.in;
  if (n > in.bit_count) {
    in.input_exhausted = 1;
    int b;
    while (in.bit_count <= 24 && (b = read_byte(s)) != -1) {
      in.bit_buffer |= static_cast<std::uint32_t>(b) << in.bit_count;
      in.bit_count += 8;
      in.input_exhausted = 0;
    }
  }
  unsigned value = in.bit_buffer & ((1u << n) - 1u);
  in.bit_buffer >>= n;
  in.bit_count -= n;
  return value;
}
