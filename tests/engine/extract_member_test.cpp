// One member: the stored copy, progress lines, test mode, standard output,
// unknown methods, CRC errors, and the file's time and attributes.
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/crc32.h"
#include "engine/extract_member.h"
#include "engine/file_times.h"
#include "platform/sys_file.h"
#include "support/scratch_dir.h"

namespace {

using testutil::read_file;
using testutil::ScratchDir;

std::uint32_t crc_of(const std::string& data) {
  return ~crc32_update(0xFFFFFFFFu, reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
}

constexpr unsigned dos_date(unsigned y, unsigned m, unsigned d) {
  return ((y - 1980) << 9) | (m << 5) | d;
}
constexpr unsigned dos_time(unsigned h, unsigned mi, unsigned s) {
  return (h << 11) | (mi << 5) | (s / 2);
}

// A member whose compressed data sits in a file of its own, read through the
// engine's input buffer, with its output path in member_name.
struct OneMember {
  ScratchDir& dir;
  std::unique_ptr<EngineState> s = std::make_unique<EngineState>();

  OneMember(ScratchDir& d, const std::string& data, const std::string& out_name, unsigned method = 0)
      : dir(d) {
    std::string archive = dir / "data.bin";
    testutil::write_file(archive, data);
    s->archive.archive_fd.reset(sys::open_read(archive.c_str()));
    s->in.input_buffer = std::make_unique<std::uint8_t[]>(input_block_size + input_spare_size);
    s->in.input_pos = s->in.input_buffer.get();
    s->in.input_left = 0;
    s->in.compressed_left = static_cast<long>(data.size());
    s->member.current_member = &s->member.member_batch[0];
    s->member.current_member->file_attributes = 0x20;
    LocalHeader& lh = s->member.local;
    lh.method = static_cast<std::uint16_t>(method);
    lh.crc = crc_of(data);
    lh.compressed_size = lh.uncompressed_size = static_cast<std::uint32_t>(data.size());
    lh.date = static_cast<std::uint16_t>(dos_date(2001, 2, 3));
    lh.time = static_cast<std::uint16_t>(dos_time(4, 5, 6));
    std::snprintf(s->member.member_name.data(), member_name_size, "%s", (dir / out_name).c_str());
  }
  std::string out_path() const { return s->member.member_name.data(); }
};

TEST(ExtractMember, StoredSizesAroundTheWindow) {
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{32767}, std::size_t{32768},
                           std::size_t{32769}, std::size_t{65536}, std::size_t{70001}}) {
    ScratchDir dir;
    std::string data(size, '\0');
    for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    OneMember m(dir, data, "out.bin");
    m.s->opt.quiet = 1;
    EXPECT_EQ(extract_or_test_member(*m.s), 0) << size;
    EXPECT_EQ(read_file(m.out_path()), data) << size;
    EXPECT_EQ(m.s->in.compressed_left, -1) << size << ": every byte taken, then the end";
  }
}

TEST(ExtractMember, ProgressLines) {
  struct Case {
    const char* what;
    int test_only, to_stdout, quiet, text_conversion;
    std::string data;
    std::string expected_stdout;
  } cases[] = {
      {"extracting", 0, 0, 0, 0, "abc", " extracting: f.txt                   \n"},
      {"empty member with -a", 0, 0, 0, 1, "", " extracting: f.txt                   [empty] \n"},
      {"binary member with -a", 0, 0, 0, 1, "abc", " extracting: f.txt                   [binary]\n"},
      {"testing", 1, 0, 0, 0, "abc", "    testing: f.txt                    OK\n"},
      {"testing quietly", 1, 0, 1, 0, "abc", ""},
      {"to standard output", 0, 1, 0, 0, "abc", " extracting: f.txt                   \nabc\n"},
      {"to standard output, quiet", 0, 1, 999, 0, "abc", "abc"},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    OneMember m(dir, c.data, "f.txt");
    std::snprintf(m.s->member.member_name.data(), member_name_size, "%s", "f.txt");
    m.s->opt.test_only = c.test_only;
    m.s->opt.to_stdout = c.to_stdout;
    m.s->opt.quiet = c.quiet;
    m.s->opt.text_conversion = c.text_conversion;
    const std::filesystem::path old_cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    testing::internal::CaptureStdout();
    int r = extract_or_test_member(*m.s);
    std::string out = testing::internal::GetCapturedStdout();
    std::filesystem::current_path(old_cwd);
    EXPECT_EQ(r, 0) << c.what;
    EXPECT_EQ(out, c.expected_stdout) << c.what;
    EXPECT_EQ(std::filesystem::exists(dir.path() / "f.txt"), !c.test_only && !c.to_stdout) << c.what;
  }
}

TEST(ExtractMember, TextMemberConverted) {
  ScratchDir dir;
  std::string data = "line\nline\r\n";
  OneMember m(dir, data, "t.txt");
  m.s->opt.quiet = 1;
  m.s->member.current_member->flags = member_convert_line_ends;
  EXPECT_EQ(extract_or_test_member(*m.s), 0) << "the CRC is over the data as stored";
  EXPECT_EQ(read_file(m.out_path()), "line\r\nline\r\n");
}

TEST(ExtractMember, UnknownMethod) {
  for (unsigned method : {7u, 9u, 99u}) {
    ScratchDir dir;
    OneMember m(dir, "abc", "m.bin", method);
    std::snprintf(m.s->member.member_name.data(), member_name_size, "%s", "m.bin");
    m.s->opt.test_only = 1;
    m.s->opt.quiet = 1;
    testing::internal::CaptureStderr();
    EXPECT_EQ(extract_or_test_member(*m.s), 1) << method;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "m.bin:  unknown compression method\n") << method;
  }
}

TEST(ExtractMember, BadCrcStillGetsTimeAndAttributes) {
  struct Case {
    int quiet;
    std::string expected_stderr;
  } cases[] = {
      {1, "b.bin                   bad CRC 352441c2  (should be 12345678)\n"},
      {0, " bad CRC 352441c2  (should be 12345678)\n"},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    OneMember m(dir, "abc", "b.bin");
    std::snprintf(m.s->member.member_name.data(), member_name_size, "%s", "b.bin");
    m.s->member.local.crc = 0x12345678u;
    m.s->opt.quiet = c.quiet;
    const std::filesystem::path old_cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    int r = extract_or_test_member(*m.s);
    std::string err = testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStdout();
    sys::FileStatus st;
    EXPECT_TRUE(sys::file_status("b.bin", st));
    std::filesystem::current_path(old_cwd);
    EXPECT_EQ(r, 2);
    EXPECT_EQ(err, c.expected_stderr);
    EXPECT_EQ(st.size, 3);
    EXPECT_NE(st.mtime, 0);
    std::tm local{};
    local.tm_year = 2001 - 1900;
    local.tm_mon = 1;
    local.tm_mday = 3;
    local.tm_hour = 4;
    local.tm_min = 5;
    local.tm_sec = 6;
    local.tm_isdst = -1;
    EXPECT_EQ(st.mtime, static_cast<std::int64_t>(std::mktime(&local))) << "member time, local to UTC";
  }
}

TEST(ExtractMember, OutputCannotBeCreated) {
  ScratchDir dir;
  OneMember m(dir, "abc", "d");
  std::filesystem::create_directory(dir.path() / "d");
  testing::internal::CaptureStderr();
  EXPECT_EQ(extract_or_test_member(*m.s), 50);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "\nerror:  cannot create " + (dir / "d") + "\n");
}

// A read-only file in the way is made writable and replaced; the member's own
// read-only attribute is applied after its time was set.
TEST(ExtractMember, ReadOnlyFiles) {
  ScratchDir dir;
  OneMember m(dir, "new", "ro.txt");
  testutil::write_file(m.out_path(), "old contents");
  ASSERT_EQ(sys::set_dos_attributes(m.out_path().c_str(), 0x21), 0);
  sys::FileStatus st;
  ASSERT_TRUE(sys::file_status(m.out_path().c_str(), st));
  ASSERT_FALSE(st.owner_writable);
  m.s->opt.quiet = 1;
  m.s->member.current_member->file_attributes = 0xA1;  // bit 7 is masked off
  EXPECT_EQ(extract_or_test_member(*m.s), 0);
  EXPECT_EQ(read_file(m.out_path()), "new");
  ASSERT_TRUE(sys::file_status(m.out_path().c_str(), st));
  EXPECT_FALSE(st.owner_writable);
  std::tm local{};
  local.tm_year = 2001 - 1900;
  local.tm_mon = 1;
  local.tm_mday = 3;
  local.tm_hour = 4;
  local.tm_min = 5;
  local.tm_sec = 6;
  local.tm_isdst = -1;
  EXPECT_EQ(st.mtime, static_cast<std::int64_t>(std::mktime(&local)));
}

// A date the platform refuses: the message, the time of writing kept, the attributes still set.
TEST(FileTimes, UnconvertibleDate) {
  ScratchDir dir;
  OneMember m(dir, "x", "bad.txt");
  m.s->member.local.date = static_cast<std::uint16_t>(dos_date(2001, 13, 1));
  m.s->member.current_member->file_attributes = 0x21;
  sys::FileHandle fd(sys::create_write(m.out_path().c_str()));
  m.s->out.output_owner = std::move(fd);
  m.s->out.output_file = m.s->out.output_owner.get();
  const std::time_t before = std::time(nullptr);
  testing::internal::CaptureStdout();
  finish_output_file(*m.s);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.rfind("DosDateTime failed: ", 0), 0u) << out;
  sys::FileStatus st;
  ASSERT_TRUE(sys::file_status(m.out_path().c_str(), st));
  EXPECT_GE(st.mtime + 2, static_cast<std::int64_t>(before));
  EXPECT_FALSE(st.owner_writable);
  EXPECT_FALSE(m.s->out.output_owner.valid());
}

TEST(FileTimes, DosDateTimeSeconds) {
  struct Case {
    unsigned date, time;
    std::int64_t seconds;
  } cases[] = {
      {dos_date(1980, 1, 1), dos_time(0, 0, 0), 315532800},
      {dos_date(1980, 2, 29), dos_time(23, 59, 58), 320716798},
      {dos_date(1980, 3, 1), dos_time(0, 0, 0), 320716800},
      {dos_date(2000, 2, 29), dos_time(12, 34, 56), 951827696},
      {dos_date(2000, 3, 1), dos_time(0, 0, 0), 951868800},
      {dos_date(2038, 1, 19), dos_time(3, 14, 8), 2147483648},
      {dos_date(2100, 3, 1), dos_time(0, 0, 0), 4107542400},  // 2100 is no leap year
      {dos_date(2101, 1, 1), dos_time(0, 0, 0), 4133980800},
      {dos_date(2107, 12, 31), dos_time(23, 59, 58), 4354819198},
  };
  for (const Case& c : cases)
    EXPECT_EQ(dos_date_time_seconds(c.date, c.time), c.seconds)
        << "date 0x" << std::hex << c.date << " time 0x" << c.time;
}

}  // namespace
