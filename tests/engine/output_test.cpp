// The output stream: line-end conversion across runs, test mode, and the
// write-failure question.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/output_stream.h"
#include "support/scratch_dir.h"

namespace {

using testutil::read_file;
using testutil::ScratchDir;

const std::uint8_t* bytes(const std::string& s) {
  return reinterpret_cast<const std::uint8_t*>(s.data());
}

struct Member {
  std::vector<std::string> runs;
};

// Writes each member's runs through flush_output with conversion on, all
// into one file, as consecutive members; returns the file's bytes.
std::string convert(const ScratchDir& dir, const std::vector<Member>& members, int from_output_buffer = 0) {
  auto s = std::make_unique<EngineState>();
  s->member.current_member = &s->member.member_batch[0];
  s->member.current_member->flags = member_convert_line_ends;
  std::string path = dir / "out.txt";
  sys::FileHandle fd(sys::create_write(path.c_str()));
  EXPECT_TRUE(fd.valid());
  s->out.output_file = fd.get();
  for (const Member& m : members) {
    s->out.new_output_file = 1;
    for (const std::string& run : m.runs)
      EXPECT_EQ(flush_output(*s, bytes(run), static_cast<unsigned>(run.size()), from_output_buffer), 0);
  }
  fd.reset();
  return read_file(path);
}

TEST(FlushOutput, LineEndConversion) {
  struct Case {
    const char* what;
    std::vector<Member> members;
    std::string expected;
  } cases[] = {
      {"CR LF split between runs", {{{"a\r", "\nb"}}}, "a\r\nb"},
      {"CR CR", {{{"a\r\rb"}}}, "a\r\n\r\nb"},
      {"lone LF", {{{"a\nb"}}}, "a\r\nb"},
      {"CR LF kept as one", {{{"a\r\nb\r\n"}}}, "a\r\nb\r\n"},
      {"lone CR at the end", {{{"a\r"}}}, "a\r\n"},
      {"CR runs, then LF run", {{{"\r", "\r", "\n"}}}, "\r\n\r\n"},
      {"empty run between CR and LF", {{{"a\r", "", "\nb"}}}, "a\r\nb"},
      {"mark cleared per member", {{{"a\r"}}, {{"\nb"}}}, "a\r\n\r\nb"},
  };
  ScratchDir dir;
  for (const Case& c : cases) {
    EXPECT_EQ(convert(dir, c.members), c.expected) << c.what;
    EXPECT_EQ(convert(dir, c.members, 1), c.expected) << c.what << " (from output_buffer)";
  }
}

// A run of the largest size doubles without losing a byte.
TEST(FlushOutput, FullRunOfLineFeeds) {
  ScratchDir dir;
  std::string run(output_window_size, '\n');
  EXPECT_EQ(convert(dir, {{{run}}}).size(), 2 * run.size());
  std::string big(65536, '\n');
  EXPECT_EQ(convert(dir, {{{big}}}, 1).size(), 2 * big.size());
}

TEST(FlushOutput, WithoutConversionBytesPassUnchanged) {
  ScratchDir dir;
  auto s = std::make_unique<EngineState>();
  std::string path = dir / "raw.bin";
  sys::FileHandle fd(sys::create_write(path.c_str()));
  s->out.output_file = fd.get();
  std::string data("a\r\nb\rc\n\0d", 9);
  EXPECT_EQ(flush_output(*s, bytes(data), static_cast<unsigned>(data.size()), 0), 0);
  fd.reset();
  EXPECT_EQ(read_file(path), data);
}

TEST(FlushOutput, TestModeOnlyChecksums) {
  auto s = std::make_unique<EngineState>();
  s->opt.test_only = 1;
  s->out.output_file = -1;  // any write would fail and ask
  s->out.running_crc = 0xFFFFFFFFu;
  EXPECT_EQ(flush_output(*s, bytes("ab"), 2, 0), 0);
  EXPECT_EQ(flush_output(*s, bytes("c"), 1, 0), 0);
  EXPECT_EQ(~s->out.running_crc, 0x352441C2u);
  EXPECT_EQ(s->out.disk_full_state, 0);
}

// A write that fails: the question, its two answers, and no second question
// for the same member.
TEST(FlushOutput, WriteFailureAsks) {
  struct Case {
    const char* reply;
    int state;
  } cases[] = {{"y\n", 1}, {"n\n", 2}, {"Y\n", 2}, {"", 2}};
  ScratchDir dir;
  std::string path = dir / "ro.bin";
  testutil::write_file(path, "x");
  for (const Case& c : cases) {
    testutil::set_stdin(dir, c.reply);
    auto s = std::make_unique<EngineState>();
    std::snprintf(s->member.member_name.data(), member_name_size, "%s", "data.bin");
    sys::FileHandle fd(sys::open_read(path.c_str()));  // writes to it fail
    s->out.output_file = fd.get();
    testing::internal::CaptureStderr();
    EXPECT_EQ(flush_output(*s, bytes("abc"), 3, 0), 50) << "reply " << c.reply;
    EXPECT_EQ(flush_output(*s, bytes("def"), 3, 0), 50) << "reply " << c.reply;
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "\ndata.bin:  write error (disk full?).  Continue? (y/n/^C) ") << "reply " << c.reply;
    EXPECT_EQ(s->out.disk_full_state, c.state) << "reply " << c.reply;
  }
}

// No reply at all: the previous answer in the shared buffer decides.
TEST(FlushOutput, WriteFailureWithoutReplyKeepsPreviousAnswer) {
  ScratchDir dir;
  std::string path = dir / "ro.bin";
  testutil::write_file(path, "x");
  testutil::set_stdin(dir, "");
  auto s = std::make_unique<EngineState>();
  s->member.answer[0] = 'y';
  sys::FileHandle fd(sys::open_read(path.c_str()));
  s->out.output_file = fd.get();
  testing::internal::CaptureStderr();
  EXPECT_EQ(flush_output(*s, bytes("abc"), 3, 0), 50);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(s->out.disk_full_state, 1);
}

TEST(FlushOutput, ShortWriteToStandardOutputIsIgnored) {
  ScratchDir dir;
  std::string path = dir / "ro.bin";
  testutil::write_file(path, "x");
  auto s = std::make_unique<EngineState>();
  s->opt.to_stdout = 1;
  sys::FileHandle fd(sys::open_read(path.c_str()));
  s->out.output_file = fd.get();
  EXPECT_EQ(flush_output(*s, bytes("abc"), 3, 0), 0);
  EXPECT_EQ(s->out.disk_full_state, 0);
}

}  // namespace
