// Multi-level decoding tables for canonical prefix codes (inflate, explode).
//
// A table decodes a prefix code read least significant bit first. The first
// level is indexed by the next `bits` bits of the stream; an entry either
// resolves a symbol (dropping its `bits`) or links to a sub-table indexed by
// the following `op - 16` bits. Codes no longer than the first-level width
// resolve in one lookup; longer ones take one more lookup per sub-table.
//
// Each table (first level or sub-table) is one allocation of 2^k + 1 entries:
// entry 0 is a header whose `next` points at the table proper of the
// allocation made after it, so the whole set of allocations forms a chain that
// release_decode_table walks. The pointer handed out is the first level's
// table proper (header + 1).
//
// An incomplete code set is padded with codes of the longest length that
// decode to OP_INVALID, so every index of every table holds a usable entry.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "engine/engine_state.h"

struct DecodeEntry {
  std::uint8_t op;    // see the OP_ constants: extra-bit count, end of block, literal, link, invalid
  std::uint8_t bits;  // code bits this entry accounts for at its level; dropped by the decoder
  union {
    std::uint16_t value;  // op <= 16: the symbol, or the base of a length/distance
    DecodeEntry* next;    // op 17..32: sub-table indexed by the next op - 16 bits; header: chain link
  };
};

// op values 0..14: `value` is a base and op further bits follow as an addend.
inline constexpr std::uint8_t OP_END_OF_BLOCK = 15;  // simple symbol 256
inline constexpr std::uint8_t OP_LITERAL = 16;       // simple symbol below 256: `value` is the symbol
inline constexpr std::uint8_t OP_LINK_BASE = 16;     // 17..32: link, the sub-table has op - 16 index bits
inline constexpr std::uint8_t OP_INVALID = 99;       // no code maps here: bad data

// Largest code length and symbol count build_decode_table accepts.
inline constexpr unsigned decode_max_code_length = 16;
inline constexpr unsigned decode_max_symbols = 288;

enum DecodeTableResult : int {
  decode_table_complete = 0,
  decode_table_incomplete = 1,      // built; the caller must release it
  decode_table_oversubscribed = 2,  // nothing built
  decode_table_no_memory = 3,       // nothing left allocated
};

// Builds the decoding table of the code whose lengths (0 = symbol absent, at
// most 16) are given per symbol, at most decode_max_symbols of them. Symbols
// below `simple_count` decode to themselves (OP_LITERAL, or OP_END_OF_BLOCK
// for 256); symbol k >= simple_count gets op = extra[k - simple_count] and
// value = base[k - simple_count] (base and extra may be null when no symbol
// reaches them). `bits` is the requested first-level width on entry and the
// width to use on return. An all-zero length set gives a null table and bits 0.
// Uses s.inflate.sorted_symbols as work space.
[[nodiscard]] int build_decode_table(EngineState& s, std::span<const std::uint32_t> lengths,
                                     unsigned simple_count, const std::uint16_t* base,
                                     const std::uint16_t* extra, DecodeEntry*& table, unsigned& bits);

// Releases every allocation of a table's chain; a null table is accepted.
void release_decode_table(DecodeEntry* table);

struct DecodeTableRelease {
  void operator()(DecodeEntry* table) const { release_decode_table(table); }
};
// Owner of a decoding table's chain.
using DecodeTablePtr = std::unique_ptr<DecodeEntry, DecodeTableRelease>;
