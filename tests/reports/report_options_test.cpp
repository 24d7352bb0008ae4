// Report-mode option words: formats, negation, and the header and totals
// lines each format shows with and without member patterns.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "engine/reports/report.h"

namespace {

// A writable argument vector, as engine_main hands it to the parsers.
struct Args {
  std::vector<std::string> strings;
  std::vector<char*> pointers;
  explicit Args(std::initializer_list<const char*> list) : strings(list.begin(), list.end()) {
    for (std::string& a : strings) pointers.push_back(a.data());
    pointers.push_back(nullptr);
  }
  int argc() const { return static_cast<int>(strings.size()); }
};

std::string joined(const Args& a) {
  std::string text;
  for (const std::string& s : a.strings) text += s + " ";
  return text;
}

TEST(ReportOptions, FormatsHeaderAndTotals) {
  struct Case {
    Args args;
    int format, header, totals, comment;
    int left;  // arguments after the archive
  } cases[] = {
      // Defaults: the short format with both lines, unless patterns narrow it.
      {Args{"arcinfo", "a.zip"}, 3, 1, 1, 0, 0},
      {Args{"arcinfo", "a.zip", "p", "q"}, 3, 0, 0, 0, 2},
      {Args{"arcinfo", "a.zip", "-x", "p"}, 3, 0, 0, 0, 2},
      {Args{"arcinfo", "-m", "a.zip"}, 4, 1, 1, 0, 0},
      {Args{"arcinfo", "-l", "a.zip", "p"}, 5, 0, 0, 0, 1},
      {Args{"arcinfo", "-l", "-t", "a.zip", "p"}, 5, 0, 1, 0, 1},
      {Args{"arcinfo", "-sh", "a.zip", "p"}, 3, 1, 0, 0, 1},
      {Args{"arcinfo", "-s-t", "a.zip"}, 3, 1, 0, 0, 0},
      {Args{"arcinfo", "-s-h-t", "a.zip"}, 3, 0, 0, 0, 0},
      // -h or -t alone: no member lines (format 0); with patterns, the short format.
      {Args{"arcinfo", "-h", "a.zip"}, 0, 1, 0, 0, 0},
      {Args{"arcinfo", "-t", "a.zip"}, 0, 0, 1, 0, 0},
      {Args{"arcinfo", "-ht", "a.zip"}, 0, 1, 1, 0, 0},
      {Args{"arcinfo", "-h", "a.zip", "p"}, 3, 1, 0, 0, 1},
      {Args{"arcinfo", "-t-t", "a.zip"}, 0, 0, 0, 0, 0},
      // Names only: -1 never shows the lines or the comment, -2 on request.
      {Args{"arcinfo", "-1", "a.zip"}, 1, 0, 0, 0, 0},
      {Args{"arcinfo", "-1htz", "a.zip"}, 1, 0, 0, 0, 0},
      {Args{"arcinfo", "-2", "a.zip"}, 2, 0, 0, 0, 0},
      {Args{"arcinfo", "-2htz", "a.zip", "p"}, 2, 1, 1, 1, 1},
      // Detailed: header by default, totals on request.
      {Args{"arcinfo", "-v", "a.zip"}, 10, 1, 0, 0, 0},
      {Args{"arcinfo", "-v", "a.zip", "p"}, 10, 1, 0, 0, 1},
      {Args{"arcinfo", "-v-h", "a.zip"}, 10, 0, 0, 0, 0},
      {Args{"arcinfo", "-vt", "a.zip", "p"}, 10, 1, 1, 0, 1},
      // Negated format letters fall back to the short format; the last letter wins.
      {Args{"arcinfo", "--v", "a.zip"}, 3, 1, 1, 0, 0},
      {Args{"arcinfo", "-v-1", "a.zip"}, 3, 1, 1, 0, 0},
      {Args{"arcinfo", "-1", "-m", "a.zip"}, 4, 1, 1, 0, 0},
      // The comment, -Z from the extraction program, and a negated -z.
      {Args{"arcinfo", "-z", "a.zip"}, 3, 1, 1, 1, 0},
      {Args{"arcinfo", "-z-z", "a.zip"}, 3, 1, 1, 0, 0},
      {Args{"unpak", "-Z", "-v", "a.zip"}, 10, 1, 0, 0, 0},
      {Args{"unpak", "-Zl", "a.zip", "x", "y"}, 5, 0, 0, 0, 2},
  };
  for (auto& c : cases) {
    auto s = std::make_unique<EngineState>();
    int argc = c.args.argc();
    char** argv = c.args.pointers.data();
    EXPECT_EQ(parse_report_options(*s, &argc, &argv), ok) << joined(c.args);
    EXPECT_EQ(s->opt.report_format, c.format) << joined(c.args);
    EXPECT_EQ(s->opt.header_line, c.header) << joined(c.args);
    EXPECT_EQ(s->opt.test_only, c.totals) << joined(c.args);
    EXPECT_EQ(s->opt.show_comment, c.comment) << joined(c.args);
    EXPECT_EQ(argc, c.left) << joined(c.args);
    EXPECT_STREQ(argv[0], "a.zip") << joined(c.args);
  }
}

TEST(ReportOptions, UsageOnErrorOrWithoutArchive) {
  struct Case {
    Args args;
    int result;
    bool on_stderr;
  } cases[] = {
      {Args{"arcinfo"}, ok, false},
      {Args{"arcinfo", "-v"}, ok, false},
      {Args{"arcinfo", "-k", "a.zip"}, bad_options, true},
      {Args{"arcinfo", "-vq", "a.zip"}, bad_options, true},
      {Args{"arcinfo", "-k"}, bad_options, true},
  };
  for (auto& c : cases) {
    auto s = std::make_unique<EngineState>();
    int argc = c.args.argc();
    char** argv = c.args.pointers.data();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int result = parse_report_options(*s, &argc, &argv);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, c.result) << joined(c.args);
    const std::string& usage = c.on_stderr ? err : out;
    const std::string& other = c.on_stderr ? out : err;
    EXPECT_NE(usage.find("Usage:  arcinfo"), std::string::npos) << joined(c.args);
    EXPECT_TRUE(other.empty()) << joined(c.args);
    if (c.result == ok) {
      EXPECT_LT(argc, 0) << joined(c.args) << ": no archive argument";
    }
  }
}

// The format is not reset between runs of one program run: a second run
// without a format letter keeps the first run's.
TEST(ReportOptions, FormatCarriesIntoNextRun) {
  auto s = std::make_unique<EngineState>();
  Args first{"arcinfo", "-v", "a.zip"};
  int argc = first.argc();
  char** argv = first.pointers.data();
  ASSERT_EQ(parse_report_options(*s, &argc, &argv), ok);
  Args second{"arcinfo", "a.zip"};
  argc = second.argc();
  argv = second.pointers.data();
  ASSERT_EQ(parse_report_options(*s, &argc, &argv), ok);
  EXPECT_EQ(s->opt.report_format, 10);
  EXPECT_EQ(s->opt.header_line, 1);
}

}  // namespace
