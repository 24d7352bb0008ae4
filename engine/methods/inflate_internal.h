// Inflate's internals shared by its two source files: the bit input over the
// engine's byte reader, the length/distance tables, and the block decoder.
//
// Bit input. The accumulator is 64 bits wide, next stream bit lowest. Block
// headers, stored blocks and the careful path of the code decoder refill it a
// byte at a time through read_byte. Past the member's end read_byte gives -1,
// which ORs one-bits in from the current count upward; a truncated member
// therefore decodes over ones until inflate_overrun_limit is passed, and then
// stops with bad data instead of running on (a fixed block of ones is an
// endless run of literal 255). The hot loop of inflate_codes.cpp refills 56+
// bits at once straight from the input buffer while the member has at least
// 8 bytes left in it, so it never reads past the member's end.
#pragma once

#include <cstdint>

#include "engine/input.h"
#include "engine/methods/decode_table.h"

// Bytes read past the end of the member's compressed data after which the
// stream counts as truncated. A complete stream never reads past its end (the
// tables end at the end-of-block code), so any slack here only lets a member
// whose compressed size is a little short still decode.
inline constexpr long inflate_overrun_limit = 4;

inline constexpr unsigned LITERAL_LOOKUP_BITS = 9;
inline constexpr unsigned DISTANCE_LOOKUP_BITS = 6;

// literal/length symbol - 257 => base length; 286 and 287 get extra 99: invalid.
inline constexpr std::uint16_t inflate_length_base[31] = {3,  4,   5,   6,   7,   8,   9,   10, 11, 13, 15,
                                                          17, 19,  23,  27,  31,  35,  43,  51, 59, 67, 83,
                                                          99, 115, 131, 163, 195, 227, 258, 0,  0};
// literal/length symbol - 257 => extra bits
inline constexpr std::uint16_t inflate_length_extra[31] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,  2, 2,
                                                           3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0, 99, 99};
// distance symbol => base distance; 30 and 31 (a dynamic block may send 32
// distance lengths) get extra 99: decoding one is bad data, like 286/287.
inline constexpr std::uint16_t inflate_distance_base[32] = {
    1,   2,   3,   4,   5,    7,    9,    13,   17,   25,   33,   49,    65,    97,    129, 193,
    257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577, 0,   0};
// distance symbol => extra bits
inline constexpr std::uint16_t inflate_distance_extra[32] = {
    0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 99, 99};
static_assert(inflate_length_base[28] == 258 && inflate_length_extra[27] == 5);
static_assert(inflate_distance_base[29] + (1u << inflate_distance_extra[29]) - 1 == 32768);

enum InflateResult : int {
  inflate_ok = 0,
  inflate_bad_data = 1,
  inflate_bad_block = 2,  // block type 3 or an over-subscribed code
  inflate_no_memory = 3,
};

// Makes at least n (<= 16) bits valid in the state's accumulator. False once
// the stream has run more than inflate_overrun_limit bytes past its end.
[[nodiscard]] inline bool inflate_need_bits(EngineState& s, unsigned n) {
  InflateState& st = s.inflate;
  while (st.inflate_bit_count < n) {
    int b = read_byte(s);
    if (b < 0) [[unlikely]] {
      if (s.in.compressed_left < -inflate_overrun_limit) return false;
      st.inflate_bits |= ~std::uint64_t{0} << st.inflate_bit_count;
    } else {
      st.inflate_bits |= static_cast<std::uint64_t>(b) << st.inflate_bit_count;
    }
    st.inflate_bit_count += 8;
  }
  return true;
}

// The low n bits of the accumulator (valid after inflate_need_bits(n)).
[[nodiscard]] inline unsigned inflate_peek_bits(const EngineState& s, unsigned n) {
  return static_cast<unsigned>(s.inflate.inflate_bits & ((std::uint64_t{1} << n) - 1));
}

inline void inflate_drop_bits(EngineState& s, unsigned n) {
  s.inflate.inflate_bits >>= n;
  s.inflate.inflate_bit_count -= n;
}

// Passes the full window on; inflate does not stop on write failures (member
// extraction reads disk_full_state afterwards).
void inflate_flush_window(EngineState& s, unsigned count);

// Decodes one block's literal/length and distance codes up to its end-of-block
// code. Tables may be null (an all-zero code set): meeting a code there is bad
// data. Returns inflate_ok or inflate_bad_data.
[[nodiscard]] int decode_block_codes(EngineState& s, const DecodeEntry* literal_table, unsigned literal_bits,
                                     const DecodeEntry* distance_table, unsigned distance_bits);
