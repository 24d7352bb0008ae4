// Unreduce: hand-built streams for the run stage (144 escapes, V, extra length
// byte, distance byte) and the follower stage (sets, indexes, raw bytes), the
// window's edges, and round trips through the test reduce encoder for all four
// factors.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/methods/unreduce.h"
#include "support/legacy_encoders.h"
#include "support/legacy_harness.h"

namespace {

using legacy::BitWriter;
using legacy::Bytes;
using legacy::ReduceToken;

ReduceToken lit(std::uint8_t b) {
  return {false, b, 0, 0};
}
ReduceToken run_of(unsigned distance, unsigned length) {
  return {true, 0, length, distance};
}

legacy::DecodeRun decode(const Bytes& data, int factor, std::uint32_t usize) {
  legacy::MemberSetup setup;
  setup.method = static_cast<std::uint16_t>(factor + 1);
  setup.uncompressed_size = usize;
  setup.window_fill = 0xA5;  // a former member's bytes must never show
  return legacy::run_decoder(unreduce, data, setup);
}

// The run stage sent with all follower sets empty (every byte raw).
Bytes plain(const Bytes& stage) {
  return legacy::reduce_follower_stage(stage, legacy::FollowerSets(256));
}

Bytes repeat(std::string s, std::size_t times) {
  Bytes b;
  for (std::size_t i = 0; i < times; ++i) b.insert(b.end(), s.begin(), s.end());
  return b;
}

TEST(Unreduce, RunStage) {
  struct Case {
    const char* what;
    int factor;
    Bytes stage;  // bytes of the run stage, annotated
    Bytes expected;
  } cases[] = {
      {"size 0 reads the sets and writes nothing", 1, {}, {}},
      {"144, 0 is a literal 144", 2, {'a', 144, 0, 'b'}, {'a', 144, 'b'}},
      // factor 1: V = 0x01 -> length 1 + 3, distance (0 * 256) + 0 + 1
      {"run at distance 1", 1, {'x', 144, 0x01, 0x00}, {'x', 'x', 'x', 'x', 'x'}},
      // factor 4: V = 0x10 | 0 -> length 3, distance (1 * 256) + 0xFF + 1 = 512
      {"high distance bits from V", 4,
       [] {
         Bytes b = repeat("0123456789abcdef", 32);  // 512 bytes
         b.insert(b.end(), {144, 0x10, 0xFF});
         return b;
       }(),
       [] {
         Bytes b = repeat("0123456789abcdef", 32);
         b.insert(b.end(), {'0', '1', '2'});
         return b;
       }()},
      // A run reaching before the first byte: 2 zeros, then the 2 bytes, then
      // the 2 zeros just written (a forward copy).
      {"run before the first output byte", 3, {'a', 'b', 144, 0x03, 0x03}, {'a', 'b', 0, 0, 'a', 'b', 0, 0}},
  };
  for (const auto& c : cases) {
    auto r = decode(plain(c.stage), c.factor, static_cast<std::uint32_t>(c.expected.size()));
    EXPECT_EQ(r.output, c.expected) << c.what;
  }
}

// V = the factor's length mask takes one more length byte: lengths 3 .. mask+258.
TEST(Unreduce, ExtraLengthByteAndLongestRunsForEachFactor) {
  struct Case {
    int factor;
    unsigned mask, max_distance;
  } cases[] = {{1, 0x7F, 512}, {2, 0x3F, 1024}, {3, 0x1F, 2048}, {4, 0x0F, 4096}};
  for (const auto& c : cases) {
    for (unsigned length : {c.mask + 2, c.mask + 3, c.mask + 4, c.mask + 258}) {
      Bytes input = legacy::sample_text(c.max_distance, static_cast<std::uint32_t>(c.factor));
      std::vector<ReduceToken> tokens;
      for (std::uint8_t b : input) tokens.push_back(lit(b));
      tokens.push_back(run_of(c.max_distance, length));
      Bytes stage = legacy::reduce_run_stage(tokens, c.factor);
      Bytes expected = input;
      for (unsigned i = 0; i < length; ++i) expected.push_back(expected[expected.size() - c.max_distance]);
      auto r = decode(plain(stage), c.factor, static_cast<std::uint32_t>(expected.size()));
      EXPECT_EQ(r.output, expected) << "factor " << c.factor << ", length " << length;
    }
  }
}

// Follower sets written by hand: 6-bit length per byte value from 255 down
// to 0, then the followers.
void sets_then(const std::vector<std::pair<unsigned, Bytes>>& sets, BitWriter& w) {
  for (int v = 255; v >= 0; --v) {
    const Bytes* set = nullptr;
    for (const auto& [value, followers] : sets)
      if (value == static_cast<unsigned>(v)) set = &followers;
    w.put(set ? static_cast<std::uint32_t>(set->size()) : 0u, 6);
    if (set)
      for (std::uint8_t b : *set) w.put_byte(b);
  }
}

TEST(Unreduce, FollowerStage) {
  struct Case {
    const char* what;
    std::vector<std::pair<unsigned, Bytes>> sets;
    void (*data)(BitWriter&);
    Bytes expected;
  } cases[] = {
      // previous byte 0 (the start) has the set {Q}: 0 + 1-bit index 0 -> Q;
      // Q has no set -> 8 raw bits.
      {"set of one: a 1-bit index",
       {{0, {'Q'}}},
       [](BitWriter& w) {
         w.put(0, 1);
         w.put(0, 1);    // follower, index 0: Q
         w.put('R', 8);  // Q's set is empty: raw R
       },
       {'Q', 'R'}},
      // index 1 of a one-byte set reads the row past the set: a cleared byte.
      {"index past the set's length",
       {{0, {'Q'}}},
       [](BitWriter& w) {
         w.put(0, 1);
         w.put(1, 1);  // follower, index 1: row byte 1 = 0
         w.put(0, 1);
         w.put(0, 1);  // previous is 0 again: Q
       },
       {0, 'Q'}},
      {"1 bit then a raw byte",
       {{0, {'Q', 'S', 'T'}}},
       [](BitWriter& w) {
         w.put(1, 1);
         w.put('Z', 8);  // not a follower: raw Z
         w.put('Y', 8);  // Z has no set
       },
       {'Z', 'Y'}},
      {"index widths: 33 followers take 6 bits",
       {{0, legacy::sample_text(33, 9)}},
       [](BitWriter& w) {
         w.put(0, 1);
         w.put(32, 6);  // the 33rd follower
       },
       {legacy::sample_text(33, 9)[32]}},
      // After the data ends the bits are zeros: from byte 0 its set's first
      // follower (index 0), again and again.
      {"past the end of the data: zero bits",
       {{0, {'z'}}, {'z', {0}}},
       [](BitWriter& w) {
         w.put(1, 1);
         w.put(0, 8);
       },  // raw 0, then nothing more
       {0, 'z', 0, 'z', 0}},
  };
  for (const auto& c : cases) {
    BitWriter w;
    sets_then(c.sets, w);
    c.data(w);
    auto r = decode(w.finish(), 1, static_cast<std::uint32_t>(c.expected.size()));
    EXPECT_EQ(r.output, c.expected) << c.what;
  }
}

TEST(Unreduce, ZeroBitsPastTheEndWithEmptySets) {
  auto r = decode(plain({'a'}), 2, 5);
  EXPECT_EQ(r.output, (Bytes{'a', 0, 0, 0, 0}));
}

// Zero bits are read for up to 4096 bytes past the end of the data; a stated
// size beyond that stops decoding short (the CRC check then fails) instead of
// producing up to 4 GiB from nothing.
TEST(Unreduce, DecodingStopsWhenTheDataEndedLongAgo) {
  Bytes full(1 + 4096, 0);
  full[0] = 'a';
  auto within = decode(plain({'a'}), 2, static_cast<std::uint32_t>(full.size()));
  EXPECT_EQ(within.result, 0);
  EXPECT_EQ(within.output, full);

  for (std::uint32_t size : {100000u, 0xFFFFFFFFu}) {
    auto cut = decode(plain({'a'}), 2, size);
    EXPECT_EQ(cut.result, unreduce_data_ended) << size;
    ASSERT_GE(cut.output.size(), full.size()) << size;
    EXPECT_LE(cut.output.size(), full.size() + 8) << size;
    EXPECT_TRUE(std::equal(full.begin(), full.end(), cut.output.begin())) << size;
  }
}

// A run is copied whole past the size, but never more than one run.
TEST(Unreduce, OutputStopsAfterTheRunThatPassesTheSize) {
  Bytes stage = legacy::reduce_run_stage({lit('a'), run_of(1, 385), lit('b')}, 1);
  auto r = decode(plain(stage), 1, 2);
  EXPECT_EQ(r.output, Bytes(386, 'a'));
}

Bytes random_bytes(std::size_t n, std::uint32_t seed) {
  Bytes b(n);
  for (auto& x : b) {
    seed = seed * 1664525u + 1013904223u;
    x = static_cast<std::uint8_t>(seed >> 24);
  }
  return b;
}

// Window edges: 16384 bytes exactly, one more, and long inputs whose runs
// cross the window's wrap; all four factors, with and without follower sets.
TEST(Unreduce, RoundTripsThroughTheEncoder) {
  struct Input {
    const char* what;
    Bytes bytes;
  } inputs[] = {
      {"empty", {}},
      {"one 144", {144}},
      {"16384 bytes", legacy::sample_text(16384, 11)},
      {"16385 bytes", legacy::sample_text(16385, 12)},
      {"text", legacy::sample_text(150000, 13)},
      {"noise", random_bytes(40000, 14)},
      {"runs of 144", Bytes(5000, 144)},
  };
  for (int factor = 1; factor <= 4; ++factor) {
    for (const auto& in : inputs) {
      for (unsigned max_set : {0u, 8u, 63u}) {
        Bytes data = legacy::reduce(in.bytes, factor, {max_set, true});
        auto r = decode(data, factor, static_cast<std::uint32_t>(in.bytes.size()));
        EXPECT_TRUE(r.output == in.bytes) << in.what << ", factor " << factor << ", sets up to " << max_set
                                          << ": " << r.output.size() << " bytes out";
      }
    }
  }
}

}  // namespace
