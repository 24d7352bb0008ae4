// inflate against other encoders: zlib's deflate at every level and strategy,
// and every deflated member of the real-archive corpus.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "methods/inflate_harness.h"
#include "support/corpus.h"

#if VOK_HAVE_ZLIB
#include <zlib.h>
#endif

namespace {

using namespace inflate_test;

#if VOK_HAVE_ZLIB

Bytes raw_deflate(const Bytes& in, int level, int strategy) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, -15, 8, strategy), Z_OK);
  Bytes out(deflateBound(&z, static_cast<uLong>(in.size())) + 16);
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// Text-like data: words from a small vocabulary, so matches of every length
// and distance occur; and random bytes, which zlib stores or codes literally.
Bytes make_text(std::size_t n, std::uint32_t seed) {
  static const char* words[] = {"the ",   "window ",    "inflate ", "of ",    "a ", "zip ", "member\n",
                                "data, ", "0123456789", "decoder ", "table ", "\t", "VOK ", "Setup "};
  Bytes out;
  std::uint32_t x = seed;
  while (out.size() < n) {
    x = x * 1664525u + 1013904223u;
    const char* w = words[(x >> 24) % 14];
    out.insert(out.end(), w, w + std::char_traits<char>::length(w));
  }
  out.resize(n);
  return out;
}
Bytes make_random(std::size_t n, std::uint32_t seed) {
  Bytes out(n);
  std::uint32_t x = seed;
  for (auto& b : out) {
    x = x * 1664525u + 1013904223u;
    b = static_cast<std::uint8_t>(x >> 24);
  }
  return out;
}

TEST(InflateZlib, EveryLevelRoundTrips) {
  const std::size_t sizes[] = {0, 1, 258, 40000, 300000};
  for (std::size_t size : sizes) {
    for (int kind = 0; kind < 2; ++kind) {
      const Bytes data = kind == 0 ? make_text(size, 11) : make_random(size, 13);
      for (int level = 0; level <= 9; ++level) {
        Runner r;
        RunResult got = r.run(raw_deflate(data, level, Z_DEFAULT_STRATEGY));
        ASSERT_EQ(got.result, 0) << (kind ? "random" : "text") << " size " << size << " level " << level;
        ASSERT_EQ(got.output, data) << (kind ? "random" : "text") << " size " << size << " level " << level;
      }
    }
  }
}

TEST(InflateZlib, StrategiesRoundTrip) {
  const Bytes text = make_text(200000, 5);
  Bytes mixed = make_text(100000, 6);
  const Bytes noise = make_random(50000, 8);
  mixed.insert(mixed.end(), noise.begin(), noise.end());
  const struct {
    const char* name;
    int strategy;
  } strategies[] = {
      {"fixed", Z_FIXED}, {"huffman only", Z_HUFFMAN_ONLY}, {"rle", Z_RLE}, {"filtered", Z_FILTERED}};
  for (const auto& st : strategies) {
    for (const Bytes* data : {&text, static_cast<const Bytes*>(&mixed)}) {
      Runner r;
      RunResult got = r.run(raw_deflate(*data, 6, st.strategy));
      ASSERT_EQ(got.result, 0) << st.name;
      ASSERT_EQ(got.output, *data) << st.name;
    }
  }
}

#endif  // VOK_HAVE_ZLIB

// Finds a member's compressed data by its local header (name and method 8),
// in file order; returns the offset of its first data byte, or -1.
long find_member_data(const Bytes& zip, const std::string& name, int occurrence) {
  for (std::size_t i = 0; i + 30 <= zip.size(); ++i) {
    if (zip[i] != 'P' || zip[i + 1] != 'K' || zip[i + 2] != 3 || zip[i + 3] != 4) continue;
    const unsigned method = zip[i + 8] | zip[i + 9] << 8;
    const unsigned name_length = zip[i + 26] | zip[i + 27] << 8;
    const unsigned extra_length = zip[i + 28] | zip[i + 29] << 8;
    if (method != 8 || i + 30 + name_length > zip.size()) continue;
    if (std::string(zip.begin() + static_cast<long>(i) + 30,
                    zip.begin() + static_cast<long>(i + 30 + name_length)) != name)
      continue;
    if (occurrence-- > 0) continue;
    return static_cast<long>(i + 30 + name_length + extra_length);
  }
  return -1;
}

// MEMBERS.tsv writes bytes that are not printable as \xHH and a backslash as two.
std::string unescape(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == '\\') {
      out += '\\';
      ++i;
    } else if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x') {
      out += static_cast<char>(std::stoi(s.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      out += s[i];
    }
  }
  return out;
}

TEST(InflateCorpus, EveryDeflatedMemberGivesItsAgreedBytes) {
  VOK_REQUIRE_CORPUS();
  int checked = 0;
  for (const auto& m : corpus::members()) {
    if (m.method != 8 || m.encrypted || m.agreed_sha256.empty() || m.agreed_sha256 == "-") continue;
    std::ifstream f(corpus::dir() + "/" + m.file, std::ios::binary);
    const Bytes zip((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    // "-" stands for an empty name (streamed members) as well as for the name "-".
    long start = find_member_data(zip, unescape(m.name), 0);
    if (start < 0 && m.name == "-") start = find_member_data(zip, std::string(), 0);
    ASSERT_GE(start, 0) << m.file << ": " << m.name;
    Runner r;
    const Bytes stream(zip.begin() + start, zip.end());  // the member's data and whatever follows it
    RunResult got = r.run(stream, static_cast<long>(m.csize));
    EXPECT_EQ(got.result, 0) << m.file << ": " << m.name;
    EXPECT_EQ(corpus::sha256_hex(got.output.data(), got.output.size()), m.agreed_sha256)
        << m.file << ": " << m.name;
    ++checked;
  }
  EXPECT_GE(checked, 40);  // the corpus has 49 readable deflated members
}

}  // namespace
