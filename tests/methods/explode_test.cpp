// Explode: tree descriptions and their failures, hand-built token streams for
// the length and distance edges, the size check behind the caller's size
// message, and round trips of all four variants through the test implode
// encoder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/methods/explode.h"
#include "support/legacy_encoders.h"
#include "support/legacy_harness.h"

namespace {

using legacy::BitWriter;
using legacy::Bytes;
using legacy::ImplodeWriter;

constexpr std::uint16_t flag_8k = 2;
constexpr std::uint16_t flag_literal_tree = 4;

struct Variant {
  const char* name;
  bool literal_tree, large_window;
  [[nodiscard]] std::uint16_t flags() const {
    return static_cast<std::uint16_t>((literal_tree ? flag_literal_tree : 0) | (large_window ? flag_8k : 0));
  }
};
constexpr Variant variants[] = {
    {"literal tree, 8K", true, true},
    {"literal tree, 4K", true, false},
    {"raw literals, 8K", false, true},
    {"raw literals, 4K", false, false},
};

std::vector<unsigned> flat(unsigned symbols) {
  return std::vector<unsigned>(symbols, symbols == 256 ? 8 : 6);
}

ImplodeWriter flat_writer(const Variant& v) {
  return ImplodeWriter(v.large_window, v.literal_tree ? flat(256) : std::vector<unsigned>{}, flat(64),
                       flat(64));
}

legacy::DecodeRun run(const Bytes& data, std::uint16_t flags, std::uint32_t usize, int window_fill = -1) {
  legacy::MemberSetup setup;
  setup.method = 6;
  setup.flags = flags;
  setup.uncompressed_size = usize;
  setup.window_fill = window_fill;
  return legacy::run_decoder(explode, data, setup);
}

// Raw tree descriptions in front of a stream: (count - 1), then run bytes.
Bytes described(std::initializer_list<Bytes> trees, Bytes tail = {}) {
  Bytes out;
  for (const Bytes& t : trees) out.insert(out.end(), t.begin(), t.end());
  out.insert(out.end(), tail.begin(), tail.end());
  return out;
}
// 64 symbols of length 6: four runs of 16 (0xF5).
const Bytes tree64 = {0x03, 0xF5, 0xF5, 0xF5, 0xF5};

TEST(Explode, TreeDescriptionFailures) {
  struct Case {
    const char* what;
    std::uint16_t flags;
    Bytes data;
    int expected;
  } cases[] = {
      {"no data at all", 0, {}, explode_bad_tree},
      // five runs: 4 x 16 + 1 = 65 symbols for a 64-symbol tree
      {"runs total 65", 0, described({{0x04, 0xF5, 0xF5, 0xF5, 0xF5, 0x05}, tree64}), explode_bad_tree},
      {"runs total 63", 0, described({{0x03, 0xF5, 0xF5, 0xF5, 0xE5}, tree64}), explode_bad_tree},
      // a literal tree needs 256 symbols; 64 are described
      {"literal tree of 64", flag_literal_tree, described({tree64, tree64, tree64}), explode_bad_tree},
      // the description runs out: missing bytes read as 16 x 16, passing 64
      {"description cut short", 0, {0x04, 0xF5}, explode_bad_tree},
      // 64 codes of length 5 need twice the code space
      {"over-subscribed", 0, described({{0x03, 0xF4, 0xF4, 0xF4, 0xF4}, tree64}), explode_oversubscribed},
      // 64 codes of length 7 fill half of it
      {"incomplete", 0, described({tree64, {0x03, 0xF6, 0xF6, 0xF6, 0xF6}}), explode_bad_code},
  };
  for (const auto& c : cases) {
    auto r = run(c.data, c.flags, 10);
    EXPECT_EQ(r.result, c.expected) << c.what;
    EXPECT_TRUE(r.output.empty()) << c.what;
  }
}

// A description byte 0x0F is one symbol of length 16. The length tree below
// is complete: 10 x 5, 43 x 6, then 7, 8, ..., 15, 16, 16 (symbols 62, 63),
// each of the last eleven in a byte of its own.
TEST(Explode, SixteenBitCodesFromSingleSymbolRuns) {
  std::vector<unsigned> lengths(10, 5);
  lengths.insert(lengths.end(), 43, 6);
  for (unsigned l = 7; l <= 16; ++l) lengths.push_back(l);
  lengths.push_back(16);
  ASSERT_EQ(lengths.size(), 64u);
  for (const Variant& v : variants) {
    ImplodeWriter w(v.large_window, v.literal_tree ? flat(256) : std::vector<unsigned>{}, lengths, flat(64),
                    /*max_run=*/1);
    w.literal('a');
    w.match(1, w.min_length() + 62);  // symbol 62: a 16-bit code
    w.match(1, w.min_length() + 63);  // symbol 63: a 16-bit code and an extra byte 0
    Bytes data = w.finish();
    auto r = run(data, v.flags(), 1 + 2 * w.min_length() + 125);
    EXPECT_EQ(r.result, explode_ok) << v.name;
    EXPECT_EQ(r.output, Bytes(1 + 2 * w.min_length() + 125, 'a')) << v.name;
  }
}

// Length symbol 63 takes one more byte: lengths 65..320 (raw literals) or
// 66..321 (literal tree). Distances reach 4096 or 8192.
TEST(Explode, LongestMatchesAndFarthestDistances) {
  for (const Variant& v : variants) {
    const unsigned max_distance = v.large_window ? 8192 : 4096;
    ImplodeWriter probe = flat_writer(v);
    for (unsigned length :
         {probe.min_length() + 62, probe.min_length() + 63, probe.min_length() + 64, probe.max_length()}) {
      ImplodeWriter w = flat_writer(v);
      Bytes expected = legacy::sample_text(max_distance, length);
      for (std::uint8_t b : expected) w.literal(b);
      w.match(max_distance, length);
      for (unsigned i = 0; i < length; ++i) expected.push_back(expected[expected.size() - max_distance]);
      auto r = run(w.finish(), v.flags(), static_cast<std::uint32_t>(expected.size()));
      EXPECT_EQ(r.result, explode_ok) << v.name << ", length " << length;
      EXPECT_TRUE(r.output == expected) << v.name << ", length " << length;
    }
  }
}

// The part of a match that reaches before the member's first byte is zeros,
// whatever output_window held; the rest repeats forward.
TEST(Explode, MatchBeforeTheFirstByteGivesZeros) {
  for (const Variant& v : variants) {
    ImplodeWriter w = flat_writer(v);
    w.literal('a');
    w.literal('b');
    w.match(4, 6);  // 2 bytes before the start, then a, b, and the 2 zeros again
    auto r = run(w.finish(), v.flags(), 8, /*window_fill=*/0x5A);
    EXPECT_EQ(r.result, explode_ok) << v.name;
    EXPECT_EQ(r.output, (Bytes{'a', 'b', 0, 0, 'a', 'b', 0, 0})) << v.name;
  }
}

// The last match is copied whole, past the size; decoding then stops.
TEST(Explode, LastMatchPassesTheSizeByAtMostOneMatch) {
  for (const Variant& v : variants) {
    ImplodeWriter w = flat_writer(v);
    w.literal('z');
    w.match(1, w.max_length());
    w.literal('y');  // never reached
    auto r = run(w.finish(), v.flags(), 2);
    EXPECT_EQ(r.output, Bytes(1 + w.max_length(), 'z')) << v.name;
    EXPECT_LE(r.output.size(), 2u + 320u) << v.name;
  }
}

// The bytes used are compared with the compressed size: trailing bytes give
// a "warning" (fewer used), a cut stream an "error" (more used, read as one
// bits past the end). Size 0 decodes nothing but still checks the trees' bytes.
TEST(Explode, CompressedSizeCheck) {
  const Variant& v = variants[0];
  ImplodeWriter w = flat_writer(v);
  for (char c : std::string("hello, hello, hello")) w.literal(static_cast<std::uint8_t>(c));
  Bytes exact = w.finish();
  ImplodeWriter trees_only = flat_writer(v);
  Bytes trees = trees_only.finish();

  struct Case {
    const char* what;
    Bytes data;
    std::uint32_t usize;
    int expected;
    long used;  // used_compressed on result 5
  } cases[] = {
      {"exact", exact, 19, explode_ok, 0},
      {"three bytes too many",
       [&] {
         Bytes b = exact;
         b.insert(b.end(), 3, 0x00);
         return b;
       }(),
       19, explode_size_mismatch, static_cast<long>(exact.size())},
      {"four bytes cut off", Bytes(exact.begin(), exact.end() - 4), 19, explode_size_mismatch,
       static_cast<long>(exact.size())},
      {"size 0: trees only", trees, 0, explode_ok, 0},
      {"size 0: one byte more",
       [&] {
         Bytes b = trees;
         b.push_back(0);
         return b;
       }(),
       0, explode_size_mismatch, static_cast<long>(trees.size())},
  };
  for (const auto& c : cases) {
    auto r = run(c.data, v.flags(), c.usize);
    EXPECT_EQ(r.result, c.expected) << c.what;
    if (c.expected == explode_size_mismatch) {
      EXPECT_EQ(r.used_compressed, c.used) << c.what;
    }
    if (c.usize == 0) {
      EXPECT_TRUE(r.output.empty()) << c.what;
    }
  }
}

// Past the end of the data the bits read as ones: literals of 0xFF (raw) or
// of the tree's all-ones code. Up to 4096 bytes of them still decode (the
// size check then names the shortfall); a stated size that needs more stops
// with bad data rather than decoding up to 4 GiB from nothing.
TEST(Explode, DecodingStopsWhenTheDataEndedLongAgo) {
  const Variant& v = variants[3];  // raw literals: 9 one-bits per 0xFF literal
  ImplodeWriter w = flat_writer(v);
  w.literal('a');
  const Bytes data = w.finish();
  struct Case {
    std::uint32_t usize;
    int result;
  } cases[] = {{1 + 3000, explode_size_mismatch}, {1 + 5000, explode_bad_code}, {0xFFFFFFFFu, explode_bad_code}};
  for (const auto& c : cases) {
    auto r = run(data, v.flags(), c.usize);
    EXPECT_EQ(r.result, c.result) << c.usize;
    if (c.result == explode_size_mismatch) {
      EXPECT_EQ(r.output.size(), c.usize);
      EXPECT_EQ(r.output[0], 'a');
      EXPECT_EQ(r.output.back(), 0xFF);
    }
    EXPECT_LE(r.output.size(), 4096u * 8 / 9 + 32768u) << c.usize;
  }
}

// The distance table's first level is 8 bits wide only above 200000
// compressed bytes. Both widths decode the same codes; members of exactly
// 200000 and 200001 bytes round-trip.
TEST(Explode, DistanceLookupWidthAt200000Bytes) {
  struct Width {
    long size;
    unsigned bits;
  } widths[] = {{0, 7}, {200000, 7}, {200001, 8}, {1000000, 8}};
  for (const auto& w : widths) EXPECT_EQ(explode_distance_lookup_bits(w.size), w.bits) << w.size;

  const Variant& v = variants[2];  // raw literals, 8K: literal 9 bits, match(1, 2) 20 bits
  for (long target : {200000L, 200001L}) {
    // Trees take 10 bytes; find a literal and match count that fill the rest exactly.
    long literals = -1, matches = 0;
    for (long m = 0; m < 8 && literals < 0; ++m)
      for (long a = (target - 10) * 8 / 9 - 3; a <= (target - 10) * 8 / 9 + 1; ++a)
        if (a > 0 && (9 * a + 20 * m + 7) / 8 == target - 10) {
          literals = a;
          matches = m;
          break;
        }
    ASSERT_GE(literals, 0) << target;
    ImplodeWriter w = flat_writer(v);
    Bytes expected = legacy::sample_text(static_cast<std::size_t>(literals), 77);
    for (std::uint8_t b : expected) w.literal(b);
    for (long m = 0; m < matches; ++m) {
      w.match(1, 2);
      expected.insert(expected.end(), 2, expected.back());
    }
    Bytes data = w.finish();
    ASSERT_EQ(static_cast<long>(data.size()), target);
    auto r = run(data, v.flags(), static_cast<std::uint32_t>(expected.size()));
    EXPECT_EQ(r.result, explode_ok) << target;
    EXPECT_TRUE(r.output == expected) << target;
  }
}

Bytes random_bytes(std::size_t n, std::uint32_t seed) {
  Bytes b(n);
  for (auto& x : b) {
    seed = seed * 1664525u + 1013904223u;
    x = static_cast<std::uint8_t>(seed >> 24);
  }
  return b;
}

TEST(Explode, RoundTripsOfAllFourVariants) {
  struct Input {
    const char* what;
    Bytes bytes;
  } inputs[] = {
      {"empty", {}},
      {"one byte", {'q'}},
      {"32768 bytes", legacy::sample_text(32768, 21)},
      {"text", legacy::sample_text(120000, 22)},
      {"noise", random_bytes(30000, 23)},
      {"long runs", Bytes(70000, 'r')},
  };
  for (const Variant& v : variants) {
    for (const auto& in : inputs) {
      Bytes data = legacy::implode(in.bytes, v.literal_tree, v.large_window);
      auto r = run(data, v.flags(), static_cast<std::uint32_t>(in.bytes.size()), 0x33);
      EXPECT_EQ(r.result, explode_ok) << v.name << ", " << in.what;
      EXPECT_TRUE(r.output == in.bytes)
          << v.name << ", " << in.what << ": " << r.output.size() << " bytes out";
    }
  }
}

}  // namespace
