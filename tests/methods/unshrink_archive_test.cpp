// A damaged shrunk member through the whole engine: named as bad data.
#include <gtest/gtest.h>

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

}  // namespace
