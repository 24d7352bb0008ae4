// inflate on hand-built deflate streams: block types, window handling, code
// sets at the limits, damaged data and the fixed-table cache.
#include <gtest/gtest.h>

#include <numeric>

#include "engine/methods/inflate_internal.h"
#include "methods/inflate_harness.h"

namespace {

using namespace inflate_test;

Bytes pattern(std::size_t n, unsigned seed = 1) {
  Bytes b(n);
  std::uint32_t x = seed;
  for (auto& v : b) {
    x = x * 1103515245u + 12345u;
    v = static_cast<std::uint8_t>(x >> 16);
  }
  return b;
}

Bytes concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// ---- stored blocks -------------------------------------------------------

TEST(InflateStored, BlocksAndTheirLimits) {
  const Bytes big = pattern(40000);
  struct Case {
    const char* name;
    Bytes stream;
    int result;
    Bytes output;
  };
  std::vector<Case> cases;
  {
    BitWriter w;
    put_stored(w, true, {});  // BFINAL=1 BTYPE=00, LEN=0 NLEN=FFFF
    cases.push_back({"empty final block", w.finish(), 0, {}});
  }
  {
    BitWriter w;
    w.bits(1, 1).bits(0, 2).align().bits(3, 16).bits(0xFFFC ^ 1, 16);  // NLEN off by one bit
    w.byte('a').byte('b').byte('c');
    cases.push_back({"length and complement disagree", w.finish(), 1, {}});
  }
  {
    BitWriter w;
    put_stored(w, false, Bytes(big.begin(), big.begin() + 16384));  // two blocks, the window fills exactly
    put_stored(w, true, Bytes(big.begin() + 16384, big.begin() + 32768));
    cases.push_back({"exactly one window", w.finish(), 0, Bytes(big.begin(), big.begin() + 32768)});
  }
  {
    BitWriter w;
    put_stored(w, false, Bytes(big.begin(), big.begin() + 30000));  // spans many input buffers
    put_stored(w, true, Bytes(big.begin() + 30000, big.end()));     // and wraps the window
    cases.push_back({"across input buffers and the window wrap", w.finish(), 0, big});
  }
  {
    // Fixed block with one literal, then a stored block: the stored length
    // starts at the next byte boundary, after the fixed block's last bits.
    BitWriter w;
    Code lit = fixed_literal_code();
    w.bits(0, 1).bits(1, 2);  // BFINAL=0 BTYPE=01
    lit.put(w, 'z');
    lit.put(w, 256);
    put_stored(w, true, {'!', '?'});
    cases.push_back({"stored after fixed realigns", w.finish(), 0, {'z', '!', '?'}});
  }
  for (auto& c : cases) {
    Runner r;
    RunResult got = r.run(c.stream);
    EXPECT_EQ(got.result, c.result) << c.name;
    if (c.result == 0) {
      EXPECT_EQ(got.output, c.output) << c.name;
      EXPECT_EQ(r.state().inflate.window_pos, c.output.size() % 32768) << c.name;
    }
  }
}

// A stored block's partial window is not passed on when a later block fails.
TEST(InflateStored, FailureKeepsOnlyWholeWindows) {
  const Bytes big = pattern(33000);
  BitWriter w;
  put_stored(w, false, big);
  w.bits(1, 1).bits(3, 2);  // BFINAL=1 BTYPE=11: reserved
  Runner r;
  RunResult got = r.run(w.finish());
  EXPECT_EQ(got.result, 2);
  EXPECT_EQ(got.output, Bytes(big.begin(), big.begin() + 32768));
}

// ---- fixed blocks and the window -----------------------------------------

TEST(InflateFixed, MatchesAcrossTheWindowWrap) {
  Code lit = fixed_literal_code(), dist = fixed_distance_code();
  const Bytes head = pattern(32767, 7);
  struct Case {
    const char* name;
    unsigned length, distance;
  };
  const Case cases[] = {
      {"258 at distance 1 across the wrap", 258, 1},
      {"overlapping, distance 3", 200, 3},
      {"overlapping, distance 9", 258, 9},
      {"non-overlapping block copy across the wrap", 100, 300},
      {"distance 32768", 258, 32768},
  };
  for (const auto& c : cases) {
    BitWriter w;
    put_stored(w, false, head);  // window_pos 32767 after this
    w.bits(0, 1).bits(1, 2);     // BFINAL=0 BTYPE=01
    lit.put(w, 'Q');             // window_pos 32768: the window is passed on
    put_match(w, lit, dist, c.length, c.distance);
    lit.put(w, 256);
    put_stored(w, true, {});
    Bytes expect = head;
    expect.push_back('Q');
    for (unsigned i = 0; i < c.length; ++i) expect.push_back(expect[expect.size() - c.distance]);
    Runner r;
    RunResult got = r.run(w.finish());
    EXPECT_EQ(got.result, 0) << c.name;
    EXPECT_EQ(got.output, expect) << c.name;
  }
}

TEST(InflateFixed, SourceAboveWindowPosCopiesInPieces) {
  // 40000 bytes out, then a match 20000 back: the window position is 7232 and
  // the source lies above it, wrapping past the window's end into its start.
  Code lit = fixed_literal_code(), dist = fixed_distance_code();
  const Bytes head = pattern(40000, 3);
  struct Case {
    unsigned length, distance;
  };
  for (const Case c : {Case{258, 20000}, Case{258, 25540} /* piece ends at 32768 */, Case{100, 7300}}) {
    BitWriter w;
    put_stored(w, false, Bytes(head.begin(), head.begin() + 30000));
    put_stored(w, false, Bytes(head.begin() + 30000, head.end()));
    w.bits(1, 1).bits(1, 2);
    put_match(w, lit, dist, c.length, c.distance);
    put_match(w, lit, dist, 3, 1);
    lit.put(w, 256);
    Bytes expect = head;
    for (unsigned i = 0; i < c.length; ++i) expect.push_back(expect[expect.size() - c.distance]);
    for (unsigned i = 0; i < 3; ++i) expect.push_back(expect.back());
    Runner r;
    RunResult got = r.run(w.finish());
    EXPECT_EQ(got.result, 0) << c.length << "@" << c.distance;
    EXPECT_EQ(got.output, expect) << c.length << "@" << c.distance;
  }
}

// Once the window has been passed on, the bytes ahead of the window
// position are the previous window's, and a match of distance near 32768
// reads them. A copy must therefore write exactly its length: a wide copy
// that spills past its end would overwrite bytes a later match still needs.
TEST(InflateFixed, CopiesNeverSpillOntoThePreviousWindow) {
  Code lit = fixed_literal_code(), dist = fixed_distance_code();
  const Bytes head = pattern(40000, 5);
  struct Case {
    unsigned near_length, near_distance;  // a match that a wide copy would spill from
    unsigned far_length, far_distance;    // then one that reads just past it
  };
  const Case cases[] = {{10, 20, 20, 32767}, {3, 40, 10, 32765}, {17, 17, 30, 32760},
                        {100, 64, 40, 32740}, {9, 9, 3, 32768},  {40, 1, 258, 32737}};
  for (const Case& c : cases) {
    BitWriter w;
    put_stored(w, false, Bytes(head.begin(), head.begin() + 30000));
    put_stored(w, false, Bytes(head.begin() + 30000, head.end()));
    w.bits(1, 1).bits(1, 2);
    put_match(w, lit, dist, c.near_length, c.near_distance);
    put_match(w, lit, dist, c.far_length, c.far_distance);
    for (int i = 0; i < 16; ++i) lit.put(w, 'a' + i);  // enough input behind for the fast path
    lit.put(w, 256);
    Bytes expect = head;
    for (unsigned i = 0; i < c.near_length; ++i) expect.push_back(expect[expect.size() - c.near_distance]);
    for (unsigned i = 0; i < c.far_length; ++i) expect.push_back(expect[expect.size() - c.far_distance]);
    for (int i = 0; i < 16; ++i) expect.push_back(static_cast<std::uint8_t>('a' + i));
    Runner r;
    RunResult got = r.run(w.finish());
    EXPECT_EQ(got.result, 0) << c.near_length << "@" << c.near_distance;
    EXPECT_EQ(got.output, expect) << c.near_length << "@" << c.near_distance << ", then " << c.far_length
                                  << "@" << c.far_distance;
  }
}

// Matches and literals that end exactly at the window's end, in the fast
// path, must pass the full window on before the next byte is written.
TEST(InflateFixed, SymbolsEndingAtTheWindowsEnd) {
  Code lit = fixed_literal_code(), dist = fixed_distance_code();
  for (unsigned length : {258u, 100u, 3u}) {
    for (unsigned before : {0u, 1u, 2u, 3u}) {  // literals between the stored part and the match
      const Bytes head = pattern(output_window_size - length - before, 9);
      BitWriter w;
      put_stored(w, false, head);
      w.bits(1, 1).bits(1, 2);
      for (unsigned i = 0; i < before; ++i) lit.put(w, 'k');
      put_match(w, lit, dist, length, 1);
      for (int i = 0; i < 40; ++i) lit.put(w, 'a' + i % 26);
      lit.put(w, 256);
      Bytes expect = head;
      expect.insert(expect.end(), before, 'k');
      for (unsigned i = 0; i < length; ++i) expect.push_back(expect.back());
      for (int i = 0; i < 40; ++i) expect.push_back(static_cast<std::uint8_t>('a' + i % 26));
      Runner r;
      RunResult got = r.run(w.finish());
      EXPECT_EQ(got.result, 0) << length << ", " << before;
      EXPECT_EQ(got.output, expect) << length << ", " << before;
    }
  }
}

TEST(InflateFixed, LongRunsOfMatchesAndLiterals) {
  // Enough symbols for the fast path, with every length and many distances.
  Code lit = fixed_literal_code(), dist = fixed_distance_code();
  BitWriter w;
  w.bits(1, 1).bits(1, 2);
  Bytes expect;
  const Bytes seed = pattern(300, 5);
  for (auto b : seed) {
    lit.put(w, b);
    expect.push_back(b);
  }
  unsigned d = 1;
  for (unsigned len = 3; len <= 258; ++len) {
    d = (d * 7 + len) % static_cast<unsigned>(expect.size()) + 1;
    put_match(w, lit, dist, len, d);
    for (unsigned i = 0; i < len; ++i) expect.push_back(expect[expect.size() - d]);
    lit.put(w, len & 0xFF);
    expect.push_back(static_cast<std::uint8_t>(len));
  }
  lit.put(w, 256);
  Runner r;
  RunResult got = r.run(w.finish());
  EXPECT_EQ(got.result, 0);
  EXPECT_EQ(got.output, expect);
}

TEST(InflateFixed, TablesAreBuiltOncePerRunAndAgainAfterRelease) {
  Code lit = fixed_literal_code();
  BitWriter w;
  w.bits(1, 1).bits(1, 2);
  lit.put(w, 'x');
  lit.put(w, 256);
  const Bytes stream = w.finish();

  Runner r;
  EngineState& s = r.state();
  EXPECT_EQ(s.inflate.fixed_literal_table, nullptr);
  ASSERT_EQ(r.run(stream).result, 0);
  const DecodeEntry* first = s.inflate.fixed_literal_table;
  const DecodeEntry* first_distance = s.inflate.fixed_distance_table;
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(s.inflate.fixed_literal_bits, 7u);
  EXPECT_EQ(s.inflate.fixed_distance_bits, 5u);
  // A second member: the cached tables are still held, so a rebuild would
  // have had to allocate elsewhere.
  RunResult again = r.run(stream);
  EXPECT_EQ(again.result, 0);
  EXPECT_EQ(again.output, Bytes{'x'});
  EXPECT_EQ(s.inflate.fixed_literal_table, first);
  EXPECT_EQ(s.inflate.fixed_distance_table, first_distance);

  release_fixed_tables(s);
  EXPECT_EQ(s.inflate.fixed_literal_table, nullptr);
  EXPECT_EQ(s.inflate.fixed_distance_table, nullptr);
  RunResult third = r.run(stream);
  EXPECT_EQ(third.result, 0);
  EXPECT_EQ(third.output, Bytes{'x'});
  EXPECT_NE(s.inflate.fixed_literal_table, nullptr);
}

TEST(InflateFixed, DynamicOnlyRunBuildsNoFixedTables) {
  BitWriter w;
  std::vector<unsigned> lit(257, 0);
  lit['a'] = 1;
  lit[256] = 1;
  Code lc(lit);
  put_dynamic_header(w, true, lit, {1});
  lc.put(w, 'a');
  lc.put(w, 256);
  Runner r;
  EXPECT_EQ(r.run(w.finish()).output, Bytes{'a'});
  EXPECT_EQ(r.state().inflate.fixed_literal_table, nullptr);
}

// ---- dynamic blocks --------------------------------------------------------

// Literal/length code over all 288 symbols: 'A' 1 bit, end of block 2, length
// symbol 257 (3) 3 bits, 286 and 287 4 bits each. Distance code over all 32:
// symbol 0 (distance 1) 1 bit, 30 and 31 2 bits each.
std::vector<unsigned> full_literal_lengths() {
  std::vector<unsigned> l(288, 0);
  l['A'] = 1;
  l[256] = 2;
  l[257] = 3;
  l[286] = 4;
  l[287] = 4;
  return l;
}
std::vector<unsigned> full_distance_lengths() {
  std::vector<unsigned> d(32, 0);
  d[0] = 1;
  d[30] = 2;
  d[31] = 2;
  return d;
}

TEST(InflateDynamic, CodeSetsAtTheLimits) {
  const Code lit(full_literal_lengths()), dist(full_distance_lengths());
  struct Case {
    const char* name;
    std::vector<unsigned> tail;  // symbols after 'A': literal/length symbol, or 1000 + distance symbol
    int result;
    std::string output;
  };
  const Case cases[] = {
      {"288 and 32 lengths are accepted", {256}, 0, "A"},
      {"a match with distance symbol 0", {257, 1000, 256}, 0, "AAAA"},
      {"literal/length symbol 286 is bad data", {286}, 1, ""},
      {"literal/length symbol 287 is bad data", {287}, 1, ""},
      {"distance symbol 30 is bad data", {257, 1030}, 1, ""},
      {"distance symbol 31 is bad data", {257, 1031}, 1, ""},
  };
  for (const auto& c : cases) {
    BitWriter w;
    put_dynamic_header(w, true, full_literal_lengths(), full_distance_lengths());
    lit.put(w, 'A');
    for (unsigned sym : c.tail) sym >= 1000 ? dist.put(w, sym - 1000) : lit.put(w, sym);
    Runner r;
    RunResult got = r.run(w.finish());
    EXPECT_EQ(got.result, c.result) << c.name;
    if (c.result == 0) {
      EXPECT_EQ(std::string(got.output.begin(), got.output.end()), c.output) << c.name;
    }
  }
}

TEST(InflateDynamic, IncompleteAndEmptyCodes) {
  // Literal code: 'A', 'B', end of block, length 3 (257), two bits each.
  std::vector<unsigned> lit4(258, 0);
  lit4['A'] = lit4['B'] = lit4[256] = lit4[257] = 2;
  struct Case {
    const char* name;
    std::vector<unsigned> literal_lengths, distance_lengths;
    bool with_match;  // A B, match length 3 at distance 2 (distance symbol 1)
    bool quiet;
    int result;
    std::string output, message;
  };
  std::vector<unsigned> incomplete_literal(257, 0);
  incomplete_literal['A'] = 1;
  incomplete_literal[256] = 2;
  const std::vector<Case> cases = {
      {"incomplete distance code decodes, with its message",
       lit4,
       {2, 2},
       true,
       false,
       0,
       "ABABA",
       "(incomplete d-tree)  "},
      {"incomplete distance code, quiet", lit4, {2, 2}, true, true, 0, "ABABA", ""},
      {"single one-bit distance code is complete", lit4, {0, 1}, true, false, 0, "ABABA", ""},
      {"incomplete literal code", incomplete_literal, {1}, false, false, 1, "", "(incomplete l-tree)  "},
      {"incomplete literal code, quiet", incomplete_literal, {1}, false, true, 1, "", ""},
      {"no distance codes, literals only", lit4, {0}, false, false, 0, "AB", ""},
      {"no distance codes, then a match", lit4, {0}, true, false, 1, "", ""},
      {"no literal/length codes", std::vector<unsigned>(257, 0), {1}, false, false, 1, "", ""},
      {"over-subscribed literal code", std::vector<unsigned>(257, 1), {1}, false, false, 2, "", ""},
      {"over-subscribed distance code", lit4, {1, 1, 1}, false, false, 2, "", ""},
  };
  for (const auto& c : cases) {
    BitWriter w;
    put_dynamic_header(w, true, c.literal_lengths, c.distance_lengths);
    if (c.result != 2 && c.literal_lengths.size() > 257 && c.literal_lengths[257] == 2) {
      Code lit(c.literal_lengths), dist(c.distance_lengths);
      lit.put(w, 'A');
      lit.put(w, 'B');
      if (c.with_match) {
        lit.put(w, 257);
        if (dist.lengths.size() > 1 && dist.lengths[1] != 0) dist.put(w, 1);
      }
      lit.put(w, 256);
    } else if (c.result != 2 && c.literal_lengths['A'] != 0) {
      Code lit(c.literal_lengths);
      lit.put(w, 'A');
      lit.put(w, 256);
    }
    Runner r;
    testing::internal::CaptureStderr();
    RunResult got = r.run(w.finish(), -1, c.quiet);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(got.result, c.result) << c.name;
    EXPECT_EQ(err, c.message) << c.name;
    if (c.result == 0) {
      EXPECT_EQ(std::string(got.output.begin(), got.output.end()), c.output) << c.name;
    }
  }
}

TEST(InflateDynamic, CodeLengthSequences) {
  // Literal code: 'a' 1 bit, end of block 1 bit; distance code: one 1-bit code.
  std::vector<unsigned> lit(257, 0);
  lit['a'] = 1;
  lit[256] = 1;
  // The same lengths sent with repeats; 16 comes first and repeats the initial length 0.
  const std::vector<ClSymbol> seq = {
      {16, 3},    // 6 zeros: symbols 0..5
      {18, 80},   // 91 zeros: 6..96
      {1, 0},     // 'a' (97): length 1
      {18, 127},  // 138 zeros: 98..235
      {17, 7},    // 10 zeros: 236..245
      {17, 7},    // 10 zeros: 246..255
      {1, 0},     // end of block (256): length 1
      {0, 0},     // the one distance length: 0
  };
  struct Case {
    const char* name;
    std::vector<ClSymbol> sequence;
    unsigned distance_count;
    int result;
  };
  const std::vector<Case> cases = {
      {"repeats, starting with 16", seq, 1, 0},
      {"a repeat past the total", {{18, 127}, {18, 127}, {18, 127}}, 1, 1},
      {"a 16 that would pass the total", {{18, 127}, {18, 107}, {1, 0}, {16, 3}}, 1, 1},
  };
  for (const auto& c : cases) {
    BitWriter w;
    put_dynamic_header(w, true, lit, std::vector<unsigned>(c.distance_count, 0), c.sequence);
    Code lc(lit);
    lc.put(w, 'a');
    lc.put(w, 'a');
    lc.put(w, 256);
    Runner r;
    RunResult got = r.run(w.finish());
    EXPECT_EQ(got.result, c.result) << c.name;
    if (c.result == 0) {
      EXPECT_EQ(got.output, (Bytes{'a', 'a'})) << c.name;
    }
  }
}

TEST(InflateBlocks, ReservedBlockTypeIsResultTwo) {
  BitWriter w;
  w.bits(1, 1).bits(3, 2);  // BFINAL=1 BTYPE=11
  Runner r;
  EXPECT_EQ(r.run(w.finish()).result, 2);
}

// ---- damaged and truncated data ---------------------------------------------

TEST(InflateTruncated, StopsSoonAfterTheMembersEnd) {
  Code lit = fixed_literal_code();
  BitWriter w;
  w.bits(1, 1).bits(1, 2);
  for (int i = 0; i < 5000; ++i) lit.put(w, 'a' + i % 26);
  lit.put(w, 256);
  const Bytes full = w.finish();
  struct Case {
    const char* name;
    Bytes stream;
    long member_size;
    int result;
  };
  BitWriter nonfinal;
  nonfinal.bits(0, 1).bits(1, 2);  // BFINAL=0 BTYPE=01 and nothing more
  const std::vector<Case> cases = {
      {"fixed block header only (the ones that follow are literal 255s)", nonfinal.finish(), -1, 1},
      {"fixed block cut in the middle", full, static_cast<long>(full.size() / 2), 1},
      {"fixed block without its last byte", full, static_cast<long>(full.size() - 1), 1},
      {"stored block cut short",
       [] {
         BitWriter s;
         put_stored(s, true, Bytes(5000, 'x'));
         return s.finish();
       }(),
       3000, 1},
      {"empty member (ones: a last block of type 3)", {}, -1, 2},
      // The file ends long before the stated compressed size: the member's
      // data ends with it (the stream would otherwise be read on towards 2 GiB).
      // 0xFA: BFINAL=0, BTYPE=01, then the first five one-bits of literal 255,
      // whose code all the ones after the end repeat.
      {"file shorter than the stated size", Bytes{0xFA}, 0x7FFFFFF0, 1},
  };
  for (const auto& c : cases) {
    Runner r;
    RunResult got = r.run(c.stream, c.member_size);
    EXPECT_EQ(got.result, c.result) << c.name;
    EXPECT_GE(got.compressed_left, -inflate_overrun_limit - 1) << c.name;
    EXPECT_LE(got.output.size(), 32768u) << c.name;  // whole windows only, and at most one here
  }
  // The complete stream reads nothing beyond its own bytes.
  Runner r;
  RunResult got = r.run(concat(full, Bytes(100, 0xFF)), static_cast<long>(full.size()));
  EXPECT_EQ(got.result, 0);
  EXPECT_EQ(got.output.size(), 5000u);
  EXPECT_EQ(got.compressed_left, 0);
}

TEST(InflateOutput, CrcCoversEveryWindow) {
  const Bytes big = pattern(70000, 9);
  BitWriter w;
  put_stored(w, false, Bytes(big.begin(), big.begin() + 65535));
  put_stored(w, true, Bytes(big.begin() + 65535, big.end()));
  Runner r;
  r.state().opt.test_only = 1;
  RunResult got = r.run(w.finish());
  EXPECT_EQ(got.result, 0);
  EXPECT_TRUE(got.output.empty());  // test mode writes nothing
  // CRC-32 of the pattern computed bitwise here, independently of the engine's table.
  std::uint32_t crc = 0xFFFFFFFFu;
  for (auto b : big) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
  }
  EXPECT_EQ(got.crc, ~crc);
}

}  // namespace
