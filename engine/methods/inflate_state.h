// State of inflate: bit accumulator, window position, cached fixed tables and
// the work arrays of table building; one sub-record of EngineState.
#pragma once

#include <array>
#include <cstdint>

struct DecodeEntry;

inline constexpr unsigned inflate_max_literal_lengths = 288;  // 257 + 31: every 5-bit count is accepted
inline constexpr unsigned inflate_max_distance_lengths = 32;  // 1 + 31

struct InflateState {
  // Bit accumulator, next stream bit lowest. Bits above inflate_bit_count are
  // either zero or already the stream's next bits (a wide refill may load
  // ahead); ORing a byte in at inflate_bit_count is therefore always right.
  // Written by the block decoders when a block (or a dynamic header) ends.
  std::uint64_t inflate_bits = 0;
  unsigned inflate_bit_count = 0;  // valid bits in inflate_bits
  unsigned window_pos = 0;         // next write position in output_window, 0..32767

  DecodeEntry* fixed_literal_table =
      nullptr;                      // built at the first fixed block of a run; release_fixed_tables
  unsigned fixed_literal_bits = 0;  // its first-level width (7)
  DecodeEntry* fixed_distance_table = nullptr;  // built together with fixed_literal_table
  unsigned fixed_distance_bits = 0;             // its first-level width (5)

  // Literal/length then distance code lengths of a dynamic block, end to end.
  std::array<std::uint32_t, inflate_max_literal_lengths + inflate_max_distance_lengths> code_lengths{};
  std::array<std::uint32_t, 288> fixed_lengths{};   // lengths the fixed tables are built from
  std::array<std::uint32_t, 288> sorted_symbols{};  // build_decode_table: symbols ordered by code length
};
