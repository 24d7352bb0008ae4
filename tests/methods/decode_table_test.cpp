// build_decode_table: every canonical code of a length set decodes to its
// symbol with exactly its length in bits, through however many levels; the
// code-space results; the end-of-block bound on table widths.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/methods/decode_table.h"

namespace {

// RFC 1951 canonical codes, first stream bit lowest (bit-reversed).
std::vector<unsigned> canonical_codes(const std::vector<std::uint32_t>& lengths) {
  unsigned count[17] = {};
  for (auto l : lengths) ++count[l];
  count[0] = 0;
  unsigned next[17] = {};
  unsigned code = 0;
  for (int len = 1; len <= 16; ++len) {
    code = (code + count[len - 1]) << 1;
    next[len] = code;
  }
  std::vector<unsigned> codes(lengths.size());
  for (std::size_t sym = 0; sym < lengths.size(); ++sym) {
    unsigned len = lengths[sym];
    if (len == 0) continue;
    unsigned c = next[len]++, rev = 0;
    for (unsigned i = 0; i < len; ++i) rev |= ((c >> i) & 1u) << (len - 1 - i);
    codes[sym] = rev;
  }
  return codes;
}

struct Lookup {
  const DecodeEntry* entry;
  unsigned bits_used;  // code bits the walk dropped
  int levels;
};

// Walks the table as a decoder does, for the bit string `stream` (LSB first).
Lookup walk(const DecodeEntry* table, unsigned bits, unsigned stream) {
  const DecodeEntry* e = &table[stream & ((1u << bits) - 1u)];
  unsigned used = 0;
  int levels = 1;
  while (e->op > OP_LITERAL && e->op != OP_INVALID) {
    used += e->bits;
    unsigned w = e->op - OP_LINK_BASE;
    e = &e->next[(stream >> used) & ((1u << w) - 1u)];
    ++levels;
  }
  return {e, used + e->bits, levels};
}

std::vector<std::uint32_t> fixed_literal_lengths() {
  std::vector<std::uint32_t> l(288);
  for (int i = 0; i < 288; ++i) l[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
  return l;
}

// Length bases and extra bits of symbols 257.. (a short slice suffices here).
constexpr std::uint16_t test_base[31] = {3,  4,  5,  6,  7,  8,  9,  10,  11,  13,  15,  17,  19,  23, 27, 31,
                                         35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258, 0,  0};
constexpr std::uint16_t test_extra[31] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,  2, 2,
                                          3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0, 99, 99};

struct Built {
  DecodeTablePtr table;
  unsigned bits;
  int result;
};

Built build(EngineState& s, const std::vector<std::uint32_t>& lengths, unsigned simple, unsigned want_bits) {
  DecodeEntry* t = reinterpret_cast<DecodeEntry*>(1);  // must be overwritten
  unsigned bits = want_bits;
  const bool has_base = lengths.size() > simple;
  int r = build_decode_table(s, lengths, simple, has_base ? test_base : nullptr,
                             has_base ? test_extra : nullptr, t, bits);
  return {DecodeTablePtr(t), bits, r};
}

// Every code decodes to its own symbol with its own length.
TEST(DecodeTable, EveryCodeDecodesToItsSymbol) {
  struct Case {
    std::string name;
    std::vector<std::uint32_t> lengths;
    unsigned simple;
    unsigned want_bits;
    unsigned expect_bits;
  };
  std::vector<std::uint32_t> skewed(40);  // lengths 1..15 then a tail of 15s: three levels under width 4
  for (unsigned i = 0; i < 14; ++i) skewed[i] = i + 1;
  skewed[14] = 15;
  skewed[15] = 15;
  std::vector<std::uint32_t> eob_short(288, 0);  // symbol 256 of length 2
  eob_short[256] = 2;
  eob_short[65] = 1;
  eob_short[257] = 3;
  eob_short[258] = 4;
  for (unsigned i = 0; i < 16; ++i) eob_short[i] = 8;  // 16 codes of 8 bits fill the rest
  std::vector<std::uint32_t> uniform19(19, 0);
  for (unsigned i = 0; i < 16; ++i) uniform19[i] = 4;
  std::vector<Case> cases = {
      {"fixed literal/length at width 7", fixed_literal_lengths(), 257, 7, 7},
      {"fixed literal/length at 9: bounded by the 7-bit end of block", fixed_literal_lengths(), 257, 9, 7},
      {"request above the longest code is lowered", uniform19, 19, 7, 4},
      {"request below the shortest code is raised", fixed_literal_lengths(), 257, 3, 7},
      {"15-bit codes through narrow tables", skewed, 40, 4, 4},
      {"end-of-block code ends a level", eob_short, 257, 9, 2},
  };
  for (const auto& c : cases) {
    auto s = std::make_unique<EngineState>();
    Built b = build(*s, c.lengths, c.simple, c.want_bits);
    ASSERT_EQ(b.result, decode_table_complete) << c.name;
    ASSERT_NE(b.table, nullptr) << c.name;
    EXPECT_EQ(b.bits, c.expect_bits) << c.name;
    auto codes = canonical_codes(c.lengths);
    for (unsigned sym = 0; sym < c.lengths.size(); ++sym) {
      if (c.lengths[sym] == 0) continue;
      // Bits above the code are arbitrary stream bits: use ones to show they are not looked at.
      unsigned stream = codes[sym] | (~0u << c.lengths[sym]);
      Lookup k = walk(b.table.get(), b.bits, stream);
      EXPECT_EQ(k.bits_used, c.lengths[sym]) << c.name << ", symbol " << sym;
      if (sym < c.simple) {
        EXPECT_EQ(k.entry->op, sym < 256 ? OP_LITERAL : OP_END_OF_BLOCK) << c.name << ", symbol " << sym;
        EXPECT_EQ(k.entry->value, sym) << c.name << ", symbol " << sym;
      } else {
        EXPECT_EQ(k.entry->op, test_extra[sym - c.simple]) << c.name << ", symbol " << sym;
        EXPECT_EQ(k.entry->value, test_base[sym - c.simple]) << c.name << ", symbol " << sym;
      }
    }
  }
}

TEST(DecodeTable, LevelsFollowTheRequestedWidth) {
  // Codes of 15 bits with a first level of 9: one sub-table lookup; with 4: more.
  std::vector<std::uint32_t> skewed(16);
  for (unsigned i = 0; i < 14; ++i) skewed[i] = i + 1;
  skewed[14] = 15;
  skewed[15] = 15;
  auto codes = canonical_codes(skewed);
  auto s = std::make_unique<EngineState>();
  Built wide = build(*s, skewed, 16, 9);
  Built narrow = build(*s, skewed, 16, 4);
  EXPECT_EQ(walk(wide.table.get(), wide.bits, codes[15]).levels, 2);
  EXPECT_EQ(walk(wide.table.get(), wide.bits, codes[3]).levels, 1);  // 4 bits: first level
  EXPECT_GE(walk(narrow.table.get(), narrow.bits, codes[15]).levels, 3);
}

TEST(DecodeTable, EndOfBlockLengthBoundsTheFirstLevel) {
  // Symbol 256 of length 3 and the first level requested at 9: the table is 3 wide
  // so that end of block resolves without looking at bits behind it.
  std::vector<std::uint32_t> l(258, 0);
  l[256] = 3;
  l[0] = 1;
  l[1] = 2;
  for (unsigned i = 2; i < 10; ++i) l[i] = 6;
  auto s = std::make_unique<EngineState>();
  Built b = build(*s, l, 257, 9);
  ASSERT_EQ(b.result, decode_table_complete);
  EXPECT_EQ(b.bits, 3u);
  auto codes = canonical_codes(l);
  Lookup k = walk(b.table.get(), b.bits, codes[256]);
  EXPECT_EQ(k.entry->op, OP_END_OF_BLOCK);
  EXPECT_EQ(k.levels, 1);
  EXPECT_EQ(walk(b.table.get(), b.bits, codes[9]).entry->value, 9);
}

TEST(DecodeTable, CodeSpaceResults) {
  struct Case {
    const char* name;
    std::vector<std::uint32_t> lengths;
    int result;
  };
  std::vector<Case> cases = {
      {"complete", {2, 2, 2, 2}, decode_table_complete},
      {"one code of length 1 counts as complete", {0, 1, 0}, decode_table_complete},
      {"two codes of length 2", {2, 2, 0, 0}, decode_table_incomplete},
      {"one code of length 2", {0, 0, 2}, decode_table_incomplete},
      {"three codes of length 1", {1, 1, 1}, decode_table_oversubscribed},
      {"over-subscribed at the longest length", {1, 2, 3, 3, 3}, decode_table_oversubscribed},
      {"over-subscribed at a shorter length", {1, 1, 2, 5}, decode_table_oversubscribed},
      {"all lengths zero", {0, 0, 0}, decode_table_complete},
  };
  for (const auto& c : cases) {
    auto s = std::make_unique<EngineState>();
    Built b = build(*s, c.lengths, static_cast<unsigned>(c.lengths.size()), 7);
    EXPECT_EQ(b.result, c.result) << c.name;
    if (c.result == decode_table_oversubscribed) {
      EXPECT_EQ(b.table, nullptr) << c.name;
    }
  }
  auto s = std::make_unique<EngineState>();
  Built empty = build(*s, {0, 0, 0}, 3, 7);
  EXPECT_EQ(empty.table, nullptr);
  EXPECT_EQ(empty.bits, 0u);
}

TEST(DecodeTable, LeftOverCodesOfAnIncompleteSetAreInvalid) {
  // Symbols 0 and 1 of length 2 take codes 00 and 10 (reversed: 0b00, 0b10);
  // the two unused codes of length 2 must decode to OP_INVALID, not to garbage.
  std::vector<std::uint32_t> l = {2, 2};
  auto s = std::make_unique<EngineState>();
  Built b = build(*s, l, 2, 7);
  ASSERT_EQ(b.result, decode_table_incomplete);
  ASSERT_EQ(b.bits, 2u);
  auto codes = canonical_codes(l);
  unsigned seen_invalid = 0;
  for (unsigned stream = 0; stream < 4; ++stream) {
    Lookup k = walk(b.table.get(), b.bits, stream);
    EXPECT_EQ(k.bits_used, 2u);
    if (stream == codes[0] || stream == codes[1]) {
      EXPECT_EQ(k.entry->op, OP_LITERAL) << "stream " << stream;
    } else {
      seen_invalid += k.entry->op == OP_INVALID;
    }
  }
  EXPECT_EQ(seen_invalid, 2u);

  // The fixed distance code: 30 of 32 five-bit codes; symbols 30 and 31 are the gap.
  std::vector<std::uint32_t> d(30, 5);
  Built fd = build(*s, d, 0, 5);
  EXPECT_EQ(fd.result, decode_table_incomplete);
  EXPECT_EQ(walk(fd.table.get(), fd.bits, 0x0F /* reversed 11110 */).entry->op, OP_INVALID);
  EXPECT_EQ(walk(fd.table.get(), fd.bits, 0x1F /* 11111 */).entry->op, OP_INVALID);
}

}  // namespace
