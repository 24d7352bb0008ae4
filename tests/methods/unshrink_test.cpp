// Unshrink: hand-built code streams for each rule of the table, damaged
// streams that must stop inside the tables, and round trips through the test
// shrink encoder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/crc32.h"
#include "engine/methods/unshrink.h"
#include "support/corpus.h"
#include "support/legacy_encoders.h"
#include "support/legacy_harness.h"

namespace {

using legacy::BitWriter;
using legacy::Bytes;

// A code stream: each entry is (value, width).
struct Code {
  unsigned value;
  int width;
};

Bytes codes(std::initializer_list<Code> list) {
  BitWriter w;
  for (const Code& c : list) w.put(c.value, c.width);
  return w.finish();
}

legacy::DecodeRun run(const Bytes& data, std::uint32_t usize = 0) {
  legacy::MemberSetup setup;
  setup.method = 1;
  setup.uncompressed_size = usize;
  setup.window_fill = 0xEE;  // tables must not depend on what output_window held
  return legacy::run_decoder(unshrink, data, setup);
}

std::string text(const std::vector<std::uint8_t>& b) {
  return {b.begin(), b.end()};
}

TEST(Unshrink, HandBuiltStreams) {
  struct Case {
    const char* what;
    Bytes data;
    std::string expected;
  } cases[] = {
      {"no compressed bytes", {}, ""},
      {"first code alone is a byte", codes({{'A', 9}}), "A"},
      // 257 is made by the second code ("A" + "B"), not by the first.
      {"first entry comes from the second code", codes({{'A', 9}, {'B', 9}, {257, 9}}), "ABAB"},
      // 257 arrives while being defined: previous string + its own first byte.
      {"KwKwK", codes({{'A', 9}, {257, 9}, {258, 9}}), "AAAAAA"},
      {"KwKwK after a longer string", codes({{'A', 9}, {'B', 9}, {257, 9}, {259, 9}}), "ABABABA"},
      // 256,1 widens from the next code on; two escapes may follow each other.
      {"subcode 1 widens the next code", codes({{'A', 9}, {256, 9}, {1, 9}, {'B', 10}, {257, 10}}), "ABAB"},
      {"two escapes in a row", codes({{'A', 9}, {256, 9}, {1, 9}, {256, 10}, {1, 10}, {'B', 11}, {257, 11}}),
       "ABAB"},
      {"other subcodes do nothing", codes({{'A', 9}, {256, 9}, {7, 9}, {'B', 9}, {257, 9}}), "ABAB"},
      // A, B, 257=AB, C: 258=BA, 259=ABC. The clear frees the leaves 258 and
      // 259 and keeps 257 (prefix of 259). D then defines 258=CD, which the
      // next code uses; 257 still reads AB; 259 is redefined as DC.
      {"partial clear reuses the lowest freed code",
       codes({{'A', 9},
              {'B', 9},
              {257, 9},
              {'C', 9},
              {256, 9},
              {2, 9},
              {'D', 9},
              {258, 9},
              {257, 9},
              {259, 9}}),
       "ABABCDCDABDC"},
      // Zero bits after the last code do not form another code when fewer than
      // a code's width remain.
      {"padding bits ignored", codes({{'A', 9}, {'B', 9}, {0, 5}}), "AB"},
  };
  for (const auto& c : cases) {
    auto r = run(c.data);
    EXPECT_EQ(r.result, unshrink_ok) << c.what;
    EXPECT_EQ(text(r.output), c.expected) << c.what;
  }
}

// A free code that is another code's prefix stays free through a partial
// clear. (Found by fuzzing: the clear turned its -1 into 0x7FFF, a "used" code
// whose prefix pointed far past the table.) 393 is sent first, before it
// exists, so 257 = 393 + "A"; the clear frees 257 and must leave 393 free,
// so the 393 that follows is the code being defined: previous "A" + "A".
TEST(Unshrink, PartialClearLeavesAFreePrefixFree) {
  auto r = run(codes({{393, 9}, {'A', 9}, {256, 9}, {2, 9}, {393, 9}}));
  EXPECT_EQ(r.result, unshrink_ok);
  EXPECT_EQ(r.output, (Bytes{393 & 0xFF, 'A', 'A', 'A'}));
}

// Damage that would index past the tables or loop: stopped, reported, bounded.
TEST(Unshrink, DamagedStreamsStopAsBadData) {
  struct Case {
    const char* what;
    Bytes data;
  } cases[] = {
      {"width raised beyond 13", codes({{'A', 9},
                                        {256, 9},
                                        {1, 9},
                                        {256, 10},
                                        {1, 10},
                                        {256, 11},
                                        {1, 11},
                                        {256, 12},
                                        {1, 12},
                                        {256, 13},
                                        {1, 13},
                                        {'B', 14}})},
      // 300 is free twice in a row: its string is the previous code's, which
      // is 300 itself, so the prefix chain returns to where it started.
      {"prefix chain loops", codes({{'A', 9}, {300, 9}, {300, 9}, {'B', 9}})},
  };
  for (const auto& c : cases) {
    auto r = run(c.data);
    EXPECT_EQ(r.result, unshrink_bad_data) << c.what;
    EXPECT_LE(r.output.size(), 65536u) << c.what;
  }
}

TEST(Unshrink, OutputOfExactly65536BytesIsFlushedOnceDuringDecoding) {
  Bytes input = legacy::sample_text(65536, 3);
  Bytes data = legacy::shrink(input);
  auto r = run(data);
  ASSERT_EQ(r.result, unshrink_ok);
  EXPECT_EQ(r.output, input);
  EXPECT_EQ(r.output_count, 0u) << "nothing may be left for a second, empty flush";
}

TEST(Unshrink, TestModeChecksumsWithoutWriting) {
  Bytes input = legacy::sample_text(70000, 4);
  legacy::MemberSetup setup;
  setup.method = 1;
  setup.test_only = true;
  auto r = legacy::run_decoder(unshrink, legacy::shrink(input), setup);
  EXPECT_EQ(r.result, unshrink_ok);
  EXPECT_TRUE(r.output.empty());
  EXPECT_EQ(r.crc, ~crc32_update(0xFFFFFFFFu, input.data(), input.size()));
}

Bytes random_bytes(std::size_t n, std::uint32_t seed) {
  Bytes b(n);
  for (auto& x : b) {
    seed = seed * 1664525u + 1013904223u;
    x = static_cast<std::uint8_t>(seed >> 24);
  }
  return b;
}

// The encoder reaches every table rule; each fixture names the rules it must
// exercise (and those it must not), so a fixture that drifts is noticed.
enum Feature : unsigned { clear = 1, reuse = 2, full = 4, kwkwk = 8, width13 = 16 };

unsigned features_of(const legacy::ShrinkStats& st) {
  return (st.clears ? clear : 0u) | (st.reused_codes ? reuse : 0u) | (st.full_codes ? full : 0u) |
         (st.kwkwk ? kwkwk : 0u) | (st.final_width == 13 ? width13 : 0u);
}

TEST(Unshrink, RoundTripsThroughTheEncoder) {
  struct Case {
    const char* what;
    Bytes input;
    legacy::ShrinkOptions options;
    unsigned required, forbidden;
  } cases[] = {
      {"one byte", {'x'}, {}, 0, clear | width13},
      {"a run: KwKwK all along", Bytes(20000, 'z'), {}, kwkwk, clear | full},
      {"text, cleared when full", legacy::sample_text(300000, 1), {}, clear | reuse | kwkwk | width13, 0},
      {"text, forced clears",
       legacy::sample_text(40000, 2),
       {true, {50, 51, 400, 3000}, true},
       clear | reuse,
       0},
      {"noise, table full, never cleared",
       random_bytes(60000, 7),
       {false, {}, true},
       full | width13,
       clear | reuse},
      {"noise, cleared when full", random_bytes(60000, 8), {}, clear | reuse | width13, 0},
      {"text without KwKwK codes", legacy::sample_text(20000, 5), {true, {}, false}, 0, kwkwk},
  };
  for (const auto& c : cases) {
    legacy::ShrinkStats stats;
    Bytes data = legacy::shrink(c.input, c.options, &stats);
    auto r = run(data);
    EXPECT_EQ(r.result, unshrink_ok) << c.what;
    EXPECT_TRUE(r.output == c.input) << c.what << ": output differs (" << r.output.size() << " of "
                                     << c.input.size() << " bytes)";
    unsigned got = features_of(stats);
    EXPECT_EQ(got & c.required, c.required) << c.what << ": features " << got;
    EXPECT_EQ(got & c.forbidden, 0u) << c.what << ": features " << got;
  }
}

}  // namespace
