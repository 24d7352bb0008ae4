// Damaged legacy members through the whole engine: shrunk data named as bad
// data; imploded and reduced members whose header claims far more output
// than their data holds stop soon after the data ends instead of decoding
// gigabytes from nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/engine_runner.h"
#include "support/legacy_encoders.h"
#include "support/zip_writer.h"

namespace {

// Codes that raise the code width past 13: 256 followed by subcode 1 five times.
std::string width_past_13() {
  legacy::BitWriter w;
  const int codes[][2] = {{'A', 9},  {256, 9},  {1, 9},   {256, 10}, {1, 10}, {256, 11},
                          {1, 11},   {256, 12}, {1, 12},  {256, 13}, {1, 13}, {'B', 14}};
  for (const auto& c : codes) w.put(static_cast<std::uint32_t>(c[0]), c[1]);
  auto bytes = w.finish();
  return std::string(bytes.begin(), bytes.end());
}

TEST(UnshrinkInArchive, DamagedDataIsReportedAsInvalidData) {
  enginetest::ScratchDir dir("unshrink_bad");
  zipw::Archive a;
  zipw::Member m;
  m.name = "bad.txt";
  m.method = 1;
  m.raw = width_past_13();
  m.data = "AB";  // what the member claims to hold (size and CRC)
  a.members.push_back(m);
  const std::string zip = dir.file("bad.zip");
  ASSERT_TRUE(zipw::write_file(zip, zipw::build(a)));

  struct Case {
    const char* quiet;
    const char* message;
  } cases[] = {{"-tq", "  error:  invalid compressed (shrunk) data for bad.txt\n"},
               {"-t", "\n  error:  invalid compressed data for unshrink format\n"}};
  for (const auto& c : cases) {
    auto r = enginetest::run_main({"unpak", c.quiet, zip});
    EXPECT_EQ(r.result, 2) << c.quiet << ": " << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.quiet << ": " << r.err;
    EXPECT_EQ(r.err.find("not enough memory"), std::string::npos) << c.quiet << ": " << r.err;
  }
}

// A header claiming 4 GiB for 40 bytes of data. Before the bound, explode
// and unreduce decoded one-bits / zero-bits up to that size: minutes of work
// and gigabytes of output for a 100-byte archive.
TEST(LegacyInArchive, ALyingSizeStopsSoonAfterTheDataEnds) {
  enginetest::ScratchDir dir("legacy_lying_size");
  const legacy::Bytes text = legacy::sample_text(40, 3);
  const std::string plain(text.begin(), text.end());
  struct Case {
    const char* what;
    int method;
    std::uint16_t flags;
    legacy::Bytes raw;
    int result;
    const char* message;  // in stderr
  } cases[] = {
      {"imploded, 8K, literal tree", 6, 6, legacy::implode(text, true, true), 2,
       "  error:  invalid compressed (imploded) data for big.txt\n"},
      {"imploded, 4K, raw literals", 6, 0, legacy::implode(text, false, false), 2,
       "  error:  invalid compressed (imploded) data for big.txt\n"},
      {"reduced, factor 2", 3, 0, legacy::reduce(text, 2), 2, " bad CRC "},
  };
  for (const auto& c : cases) {
    zipw::Archive a;
    zipw::Member m;
    m.name = "big.txt";
    m.method = c.method;
    m.flags = c.flags;
    m.raw = std::string(c.raw.begin(), c.raw.end());
    m.data = plain;
    m.uncompressed_size = 0xFFFFFFF0u;
    m.local_uncompressed_size = 0xFFFFFFF0u;
    a.members.push_back(m);
    const std::string zip = dir.file("big.zip");
    ASSERT_TRUE(zipw::write_file(zip, zipw::build(a)));

    // Test mode, then real extraction: the file written must stay small.
    auto t = enginetest::run_main({"unpak", "-tq", zip});
    EXPECT_EQ(t.result, c.result) << c.what << ": " << t.err;
    EXPECT_NE((t.out + t.err).find(c.message), std::string::npos) << c.what << ": " << t.out << t.err;

    auto x = enginetest::run_main({"unpak", "-qo", zip, "-d", dir.path()});
    EXPECT_EQ(x.result, c.result) << c.what << ": " << x.err;
    const std::string out = dir.file("big.txt");
    std::uintmax_t written = std::filesystem::exists(out) ? std::filesystem::file_size(out) : 0;
    EXPECT_LT(written, 1u << 20) << c.what;
    if (c.method != 6) {  // a reduced member's output starts with its real bytes
      std::ifstream f(out, std::ios::binary);
      std::string got((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
      EXPECT_EQ(got.substr(0, plain.size()), plain) << c.what;
    }
  }
}

}  // namespace
