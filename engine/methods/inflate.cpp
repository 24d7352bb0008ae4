// Inflate: the deflate stream of zip method 8, block by block.
//
// A stream is a sequence of blocks, each introduced by a last-block flag and a
// two-bit type: stored (a byte-aligned length, its complement and raw bytes),
// fixed (the standard's fixed codes, whose tables are built at the first fixed
// block of an engine run and cached until release_fixed_tables) or dynamic
// (code lengths sent in the block, coded with a code-length code). Output goes
// into the engine's 32 KiB output_window, which is handed to flush_output
// every time it fills and once more, partially, after the last block.
//
// The code-decoding loop lives in inflate_codes.cpp; the bit input and the
// tables in inflate_internal.h. This file keeps the block headers, which are
// rare enough to read through the state's accumulator directly.
//
// Results: 0 ok, 1 bad data, 2 block type 3 or an over-subscribed code set,
// 3 out of memory. On failure the last partial window is not passed on.
#include "engine/methods/inflate.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/methods/inflate_internal.h"
#include "engine/output_stream.h"

namespace {

// order in which the code-length code's lengths are sent
constexpr std::uint8_t code_length_order[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                11, 4,  12, 3, 13, 2, 14, 1, 15};

// Reads an n-bit field (n <= 16); false when the stream ran out.
[[nodiscard]] bool read_field(EngineState& s, unsigned n, unsigned& value) {
  if (!inflate_need_bits(s, n)) return false;
  value = inflate_peek_bits(s, n);
  inflate_drop_bits(s, n);
  return true;
}

int copy_stored_block(EngineState& s) {
  InflateState& st = s.inflate;
  inflate_drop_bits(s, st.inflate_bit_count % 8);
  unsigned length = 0, complement = 0;
  if (!read_field(s, 16, length) || !read_field(s, 16, complement)) return inflate_bad_data;
  if (length != (~complement & 0xFFFFu)) return inflate_bad_data;

  std::uint8_t* const window = s.out.output_window.data();
  while (length > 0) {
    unsigned pos = st.window_pos;
    if (st.inflate_bit_count == 0) {
      // Accumulator drained: whatever it holds above its count is look-ahead of
      // the bytes at input_pos, which are copied straight from the buffer.
      st.inflate_bits = 0;
      long run = std::min<long>({static_cast<long>(length), s.in.input_left, s.in.compressed_left,
                                 static_cast<long>(output_window_size - pos)});
      if (run > 0) {
        std::memcpy(window + pos, s.in.input_pos, static_cast<std::size_t>(run));
        s.in.input_pos += run;
        s.in.input_left -= run;
        s.in.compressed_left -= run;
        length -= static_cast<unsigned>(run);
        pos += static_cast<unsigned>(run);
      } else {
        unsigned byte = 0;
        if (!read_field(s, 8, byte)) return inflate_bad_data;
        window[pos++] = static_cast<std::uint8_t>(byte);
        --length;
      }
    } else {
      window[pos++] = static_cast<std::uint8_t>(st.inflate_bits);
      inflate_drop_bits(s, 8);
      --length;
    }
    if (pos == output_window_size) {
      inflate_flush_window(s, output_window_size);
      pos = 0;
    }
    st.window_pos = pos;
  }
  return inflate_ok;
}

int decode_fixed_block(EngineState& s) {
  InflateState& st = s.inflate;
  if (st.fixed_literal_table == nullptr) {
    auto& lengths = st.fixed_lengths;
    for (unsigned i = 0; i < 288; ++i) lengths[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
    st.fixed_literal_bits = 7;
    int r = build_decode_table(s, std::span(lengths.data(), 288), 257, inflate_length_base,
                               inflate_length_extra, st.fixed_literal_table, st.fixed_literal_bits);
    if (r != decode_table_complete) {
      release_decode_table(st.fixed_literal_table);
      st.fixed_literal_table = nullptr;
      return r;
    }
    for (unsigned i = 0; i < 30; ++i) lengths[i] = 5;
    st.fixed_distance_bits = 5;
    // 30 of the 32 five-bit codes: incomplete by design.
    r = build_decode_table(s, std::span(lengths.data(), 30), 0, inflate_distance_base, inflate_distance_extra,
                           st.fixed_distance_table, st.fixed_distance_bits);
    if (r > decode_table_incomplete) {
      release_decode_table(st.fixed_literal_table);
      st.fixed_literal_table = nullptr;
      st.fixed_distance_table = nullptr;
      return r;
    }
  }
  return decode_block_codes(s, st.fixed_literal_table, st.fixed_literal_bits, st.fixed_distance_table,
                            st.fixed_distance_bits) == inflate_ok
             ? inflate_ok
             : inflate_bad_data;
}

int decode_dynamic_block(EngineState& s) {
  InflateState& st = s.inflate;
  unsigned literal_count = 0, distance_count = 0, length_code_count = 0;
  if (!read_field(s, 5, literal_count) || !read_field(s, 5, distance_count) ||
      !read_field(s, 4, length_code_count))
    return inflate_bad_data;
  literal_count += 257;  // up to 288: symbols 286 and 287 decode as invalid
  distance_count += 1;   // up to 32: symbols 30 and 31 decode as invalid
  length_code_count += 4;

  auto& lengths = st.code_lengths;
  for (unsigned i = 0; i < 19; ++i) lengths[code_length_order[i]] = 0;
  for (unsigned i = 0; i < length_code_count; ++i) {
    unsigned len = 0;
    if (!read_field(s, 3, len)) return inflate_bad_data;
    lengths[code_length_order[i]] = len;
  }

  {
    DecodeEntry* raw = nullptr;
    unsigned bits = 7;
    int r = build_decode_table(s, std::span(lengths.data(), 19), 19, nullptr, nullptr, raw, bits);
    DecodeTablePtr length_table(raw);
    if (r != decode_table_complete) return r;
    if (!length_table) return inflate_bad_data;  // no code-length codes at all

    // All code lengths are at most 7 bits, so one level resolves every code.
    const unsigned total = literal_count + distance_count;
    unsigned prev = 0;
    for (unsigned i = 0; i < total;) {
      if (!inflate_need_bits(s, bits)) return inflate_bad_data;
      const DecodeEntry& e = length_table.get()[inflate_peek_bits(s, bits)];
      if (e.op == OP_INVALID) return inflate_bad_data;  // the unused half of a lone one-bit code
      inflate_drop_bits(s, e.bits);
      const unsigned symbol = e.value;
      if (symbol < 16) {
        lengths[i++] = prev = symbol;
        continue;
      }
      unsigned repeat = 0, value = 0;
      if (symbol == 16) {
        if (!read_field(s, 2, repeat)) return inflate_bad_data;
        repeat += 3;
        value = prev;  // 0 when the sequence starts with 16
      } else if (symbol == 17) {
        if (!read_field(s, 3, repeat)) return inflate_bad_data;
        repeat += 3;
        prev = 0;
      } else {
        if (!read_field(s, 7, repeat)) return inflate_bad_data;
        repeat += 11;
        prev = 0;
      }
      if (i + repeat > total) return inflate_bad_data;
      while (repeat-- > 0) lengths[i++] = value;
    }
  }

  DecodeEntry* raw = nullptr;
  unsigned literal_bits = LITERAL_LOOKUP_BITS;
  int r = build_decode_table(s, std::span(lengths.data(), literal_count), 257, inflate_length_base,
                             inflate_length_extra, raw, literal_bits);
  DecodeTablePtr literal_table(raw);
  if (r == decode_table_incomplete) {
    if (!s.opt.quiet) std::fprintf(stderr, "(incomplete l-tree)  ");
    return inflate_bad_data;
  }
  if (r != decode_table_complete) return r;

  raw = nullptr;
  unsigned distance_bits = DISTANCE_LOOKUP_BITS;
  r = build_decode_table(s, std::span(lengths.data() + literal_count, distance_count), 0,
                         inflate_distance_base, inflate_distance_extra, raw, distance_bits);
  DecodeTablePtr distance_table(raw);
  if (r == decode_table_incomplete) {
    // Some encoders send an incomplete distance code; its unused codes decode as invalid.
    if (!s.opt.quiet) std::fprintf(stderr, "(incomplete d-tree)  ");
  } else if (r != decode_table_complete) {
    return r;
  }

  return decode_block_codes(s, literal_table.get(), literal_bits, distance_table.get(), distance_bits) ==
                 inflate_ok
             ? inflate_ok
             : inflate_bad_data;
}

// One block: its header, then the block. Sets `last` from the header.
int decode_block(EngineState& s, bool& last) {
  unsigned header = 0;
  if (!read_field(s, 3, header)) return inflate_bad_data;
  last = (header & 1) != 0;
  switch (header >> 1) {
    case 0:
      return copy_stored_block(s);
    case 1:
      return decode_fixed_block(s);
    case 2:
      return decode_dynamic_block(s);
    default:
      return inflate_bad_block;
  }
}

}  // namespace

void inflate_flush_window(EngineState& s, unsigned count) {
  (void)flush_output(s, s.out.output_window.data(), count, 0);
}

int inflate(EngineState& s) {
  InflateState& st = s.inflate;
  st.window_pos = 0;
  st.inflate_bits = 0;
  st.inflate_bit_count = 0;
  bool last = false;
  do {
    int r = decode_block(s, last);
    if (r != inflate_ok) return r;
  } while (!last);
  inflate_flush_window(s, st.window_pos);
  return inflate_ok;
}

void release_fixed_tables(EngineState& s) {
  InflateState& st = s.inflate;
  release_decode_table(st.fixed_literal_table);
  release_decode_table(st.fixed_distance_table);
  st.fixed_literal_table = nullptr;
  st.fixed_distance_table = nullptr;
}
