// Engine entry: option letters and their negation, invalid combinations,
// the splitting of the member arguments, report-mode selection, and what a
// second run in the same program keeps from the first.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/engine_main.h"
#include "engine/options.h"
#include "support/engine_runner.h"
#include "support/zip_writer.h"

namespace {

using enginetest::RunOutput;

// parse_options over a vector, with writable copies.
struct Parsed {
  int result = -1;
  int left = 0;         // arguments after the archive
  std::string archive;  // the argument the vector points at
  std::string err;
};

Parsed parse(EngineState& s, std::vector<std::string> args) {
  args.insert(args.begin(), "unpak");
  std::vector<std::vector<char>> storage;
  std::vector<char*> argv;
  for (const auto& a : args) storage.emplace_back(a.begin(), a.end()), storage.back().push_back('\0');
  for (auto& a : storage) argv.push_back(a.data());
  argv.push_back(nullptr);
  int argc = static_cast<int>(args.size());
  char** v = argv.data();
  Parsed p;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  p.result = parse_options(s, &argc, &v);
  p.err = enginetest::unix_lines(testing::internal::GetCapturedStderr());
  (void)testing::internal::GetCapturedStdout();
  p.left = argc;
  if (argc >= 0) p.archive = v[0];
  return p;
}

TEST(ExtractOptions, LettersAndNegation) {
  struct Case {
    std::vector<std::string> words;
    EngineOptions expect;  // fields compared below
  };
  auto with = [](auto set) {
    EngineOptions o;
    set(o);
    return o;
  };
  const Case cases[] = {
      {{"-aaa"}, with([](EngineOptions& o) { o.text_conversion = 2; })},
      {{"-a-b"}, with([](EngineOptions& o) { o.text_conversion = 1; })},  // a negated b changes nothing
      {{"-aab"}, with([](EngineOptions& o) { o.text_conversion = 0; })},
      {{"-aa", "--a"}, with([](EngineOptions& o) { o.text_conversion = 1; })},
      {{"-a", "---a"}, with([](EngineOptions& o) { o.text_conversion = 0; })},  // not below 0
      {{"-qq-q"}, with([](EngineOptions& o) { o.quiet = 1; })},
      {{"-q--q"}, with([](EngineOptions& o) { o.quiet = 0; })},
      {{"-p"}, with([](EngineOptions& o) {
         o.quiet = 999;
         o.to_stdout = 1;
       })},
      {{"-ap"}, with([](EngineOptions& o) {
         o.quiet = 999;
         o.to_stdout = 1;
       })},
      {{"-p-p"}, with([](EngineOptions& o) { o.quiet = 0; })},
      {{"-c"}, with([](EngineOptions& o) { o.to_stdout = 1; })},
      {{"-c-c"}, with([](EngineOptions&) {})},
      {{"-f"}, with([](EngineOptions& o) { o.freshen = o.update = 1; })},
      {{"-f-f"}, with([](EngineOptions& o) { o.extracting_to_disk = 1; })},
      {{"-u"}, with([](EngineOptions& o) { o.update = 1; })},
      {{"-jnsUV"}, with([](EngineOptions& o) {
         o.junk_paths = o.overwrite_none = o.spaces_to_underscores = o.keep_case = o.keep_versions = 1;
       })},
      {{"-oo"}, with([](EngineOptions& o) { o.overwrite_all = o.assume_yes = 2; })},
      {{"-oo-o"}, with([](EngineOptions& o) { o.overwrite_all = o.assume_yes = 1; })},
      {{"-l"}, with([](EngineOptions& o) { o.list_mode = 1; })},
      {{"-ll"}, with([](EngineOptions& o) { o.list_mode = 2; })},
      {{"-v"}, with([](EngineOptions& o) { o.list_mode = 2; })},
      {{"-lv"}, with([](EngineOptions& o) { o.list_mode = 2; })},
      {{"-vv"}, with([](EngineOptions& o) { o.list_mode = 3; })},
      {{"-vv-v"}, with([](EngineOptions& o) { o.list_mode = 2; })},
      {{"-t"}, with([](EngineOptions& o) { o.test_only = 1; })},
      {{"-z"}, with([](EngineOptions& o) { o.show_comment = 1; })},
      {{"--z"}, with([](EngineOptions& o) { o.show_comment = -1; })},  // no lower limit
      {{"---z"}, with([](EngineOptions& o) { o.show_comment = -2; })},
      {{"-$$"}, with([](EngineOptions& o) { o.volume_labels = 2; })},
      {{"-$-$"}, with([](EngineOptions& o) { o.volume_labels = 0; })},
      {{"-dex"}, with([](EngineOptions&) {})},
      {{"--dq"}, with([](EngineOptions&) {})},  // d keeps the count: q is negated (and stays 0)
  };
  for (const Case& c : cases) {
    auto s = std::make_unique<EngineState>();
    std::vector<std::string> args = c.words;
    args.push_back("a.zip");
    args.push_back("member");
    Parsed p = parse(*s, args);
    std::string what = c.words[0] + (c.words.size() > 1 ? " " + c.words[1] : "");
    ASSERT_EQ(p.result, 0) << what << "\n" << p.err;
    EXPECT_EQ(p.archive, "a.zip") << what;
    EXPECT_EQ(p.left, 1) << what;
    EngineOptions e = c.expect;
    if (!e.to_stdout && !e.test_only && !e.list_mode) e.extracting_to_disk = 1;
    const EngineOptions& o = s->opt;
    EXPECT_EQ(o.text_conversion, e.text_conversion) << what;
    EXPECT_EQ(o.to_stdout, e.to_stdout) << what;
    EXPECT_EQ(o.freshen, e.freshen) << what;
    EXPECT_EQ(o.update, e.update) << what;
    EXPECT_EQ(o.junk_paths, e.junk_paths) << what;
    EXPECT_EQ(o.overwrite_none, e.overwrite_none) << what;
    EXPECT_EQ(o.overwrite_all, e.overwrite_all) << what;
    EXPECT_EQ(o.assume_yes, e.assume_yes) << what;
    EXPECT_EQ(o.quiet, e.quiet) << what;
    EXPECT_EQ(o.spaces_to_underscores, e.spaces_to_underscores) << what;
    EXPECT_EQ(o.volume_labels, e.volume_labels) << what;
    EXPECT_EQ(o.test_only, e.test_only) << what;
    EXPECT_EQ(o.keep_case, e.keep_case) << what;
    EXPECT_EQ(o.list_mode, e.list_mode) << what;
    EXPECT_EQ(o.keep_versions, e.keep_versions) << what;
    EXPECT_EQ(o.show_comment, e.show_comment) << what;
    EXPECT_EQ(o.extracting_to_disk, e.extracting_to_disk) << what;
  }
}

constexpr char invalid_combination[] =
    "error:  -fn or any combination of -c, -l, -p, -t, -u and -v options invalid\n";

TEST(ExtractOptions, ErrorsAndCautions) {
  struct Case {
    std::vector<std::string> args;
    int result;
    std::string err_start;  // what stderr begins with ("" : nothing before the usage)
    bool usage_on_stderr;
  };
  const Case cases[] = {
      {{"-k", "x.zip"}, 10, "", true},
      {{"-c", "-t", "a"}, 10, invalid_combination, true},
      {{"-f", "-n", "a"}, 10, invalid_combination, true},
      {{"-lt", "a"}, 10, invalid_combination, true},
      {{"-pv", "a"}, 10, invalid_combination, true},
      {{"-ft", "a"}, 10, invalid_combination, true},  // -f implies -u
      {{"-u", "-c", "a"}, 10, invalid_combination, true},
      {{"-q"}, 0, "", false},  // no archive: usage on standard output
      {{}, 0, "", false},
  };
  for (const Case& c : cases) {
    auto s = std::make_unique<EngineState>();
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), "unpak");
    RunOutput r = enginetest::run(*s, args);
    std::string what = args.size() > 1 ? args[1] : "(none)";
    EXPECT_EQ(r.result, c.result) << what;
    EXPECT_EQ(r.err.substr(0, c.err_start.size()), c.err_start) << what;
    if (c.usage_on_stderr) {
      EXPECT_NE(r.err.find("Usage: unpak"), std::string::npos) << what;
      EXPECT_EQ(r.out, "") << what;
    } else {
      EXPECT_NE(r.out.find("Usage: unpak"), std::string::npos) << what;
      EXPECT_EQ(r.err, "") << what;
    }
  }

  auto s = std::make_unique<EngineState>();
  Parsed p = parse(*s, {"-n", "-o", "a"});
  EXPECT_EQ(p.result, 0);
  EXPECT_EQ(p.err, "caution:  both -n and -o specified; ignoring -o\n");
  EXPECT_EQ(s->opt.overwrite_all, 0);
  EXPECT_EQ(s->opt.assume_yes, 1);
  EXPECT_EQ(s->opt.overwrite_none, 1);
}

TEST(EngineEntry, NamesEqualNocase) {
  struct Case {
    const char* a;
    const char* b;
    int n;
    int expect;
  } cases[] = {
      {"ARCINFO.EXE", "arcinfo", 7, 0},
      {"arcinfo", "arcinfo", 7, 0},
      {"arc", "arcinfo", 7, -1},
      {"arcz", "arca", 4, 1},
      {"ab", "ab", 10, 0},
      {"ab", "AB", 10, 0},
      {"", "", 3, 0},
      {"abc", "abd", 2, 0},
      {"Iinstall", "ii", 2, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(names_equal_nocase(c.a, c.b, c.n), c.expect) << c.a << " / " << c.b << " / " << c.n;
}

// Argument splitting, seen through the lists engine_main leaves behind. The
// archive does not exist: the lists are made before the archive loop runs.
TEST(EngineEntry, MemberArgumentScanning) {
  struct Case {
    std::vector<std::string> args;  // after "unpak"
    std::vector<std::string> patterns;
    std::vector<std::string> exclusions;
    int all_members;
    int pattern_count;
    std::string err;  // before the archive loop's own messages
  };
  const Case cases[] = {
      {{"a"}, {"*"}, {}, 1, 0, ""},
      {{"a", "p1", "p2"}, {"p1", "p2"}, {}, 0, 2, ""},
      {{"a", "-x", "b"}, {"*"}, {"b"}, 0, 0, ""},
      {{"a", "p1", "-x", "e1", "e2"}, {"p1"}, {"e1", "e2"}, 0, 1, ""},
      {{"a", "p1", "-d", "dir", "p2"}, {"p1"}, {}, 0, 1, ""},
      {{"a", "-d", "dir"}, {"*"}, {}, 1, 0, ""},
      {{"a", "-d", "dir", "p1", "p2"}, {"p1", "p2"}, {}, 0, 2, ""},
      {{"a", "-d", "dir", "-x", "e1"}, {"*"}, {"e1"}, 0, 0, ""},
      {{"a", "-d", "dir", "p1", "-x", "e1"}, {"p1"}, {"e1"}, 0, 1, ""},
      {{"a", "p1", "-d", "dir", "-d", "p2"}, {"p1"}, {}, 0, 1, ""},
      {{"a", "-x", "e1", "-d", "dir", "e2"}, {"*"}, {"e1"}, 0, 0, ""},
      {{"a", "-d"}, {"*"}, {}, 1, 0, "error:  must specify directory to which to extract with -d option\n"},
      {{"a", "p1", "-d"},
       {"p1"},
       {},
       0,
       1,
       "error:  must specify directory to which to extract with -d option\n"},
      {{"-l", "a", "p1", "-d", "dir"}, {"p1"}, {}, 0, 1, "caution:  not extracting; -d ignored\n"},
      {{"a", "-x", "-d", "dir"}, {"*"}, {}, 0, 0, ""},
  };
  for (const Case& c : cases) {
    auto s = std::make_unique<EngineState>();
    std::vector<std::string> args = c.args;
    std::string what;
    for (const auto& a : args) what += a + " ";
    args.insert(args.begin(), "unpak");
    RunOutput r = enginetest::run(*s, args);
    EXPECT_EQ(r.err.substr(0, c.err.size()), c.err) << what;
    std::vector<std::string> patterns, exclusions;
    for (char** p = s->args.patterns; p && *p; ++p) patterns.push_back(*p);
    for (char** x = s->args.exclusions; x && *x; ++x) exclusions.push_back(*x);
    EXPECT_EQ(patterns, c.patterns) << what;
    EXPECT_EQ(exclusions, c.exclusions) << what;
    EXPECT_EQ(s->args.exclusion_count, static_cast<int>(c.exclusions.size())) << what;
    EXPECT_EQ(s->opt.all_members, c.all_members) << what;
    EXPECT_EQ(s->args.pattern_count, c.pattern_count) << what;
  }
}

TEST(EngineEntry, BackslashesBecomeSlashes) {
  enginetest::ScratchDir dir("slashes");
  zipw::Archive a;
  zipw::Member m;
  m.name = "x.txt";
  m.data = "x";
  a.members.push_back(m);
  ASSERT_TRUE(zipw::write_file(dir.file("b.zip"), zipw::build(a)));
  std::string name = dir.file("b.zip");
  for (char& c : name)
    if (c == '/') c = '\\';
  auto s = std::make_unique<EngineState>();
  RunOutput r = enginetest::run(*s, {"unpak", "-lq", name, "sub\\*.txt", "-x", "c\\d"});
  EXPECT_EQ(r.result, 0) << r.err;
  EXPECT_EQ(std::string(s->args.archive_pattern), dir.file("b.zip"));
  EXPECT_EQ(std::string(s->args.patterns[0]), "sub/*.txt");
  EXPECT_EQ(std::string(s->args.exclusions[0]), "c/d");
}

TEST(EngineEntry, ReportModeSelection) {
  struct Case {
    std::vector<std::string> args;
    int report_mode;
  } cases[] = {
      {{"arcinfo", "a.zip"}, 1},
      {{"/usr/local/bin/ARCINFO.EXE", "a.zip"}, 1},
      {{"C:/tools/ArcInfo32", "a.zip"}, 1},
      {{"ii", "a.zip"}, 1},
      {{"IInfo", "a.zip"}, 1},
      {{"unpak", "-Z", "a.zip"}, 1},
      {{"unpak", "-Zv", "a.zip"}, 1},
      {{"unpak", "-l", "-Z", "a.zip"}, 0},  // only as the first argument
      {{"arcinfo/unpak", "-l", "a.zip"}, 0},
      {{"unpak", "-l", "a.zip"}, 0},
      {{"xarcinfo", "-l", "a.zip"}, 0},
  };
  for (const Case& c : cases) {
    auto s = std::make_unique<EngineState>();
    (void)enginetest::run(*s, c.args);
    EXPECT_EQ(s->opt.report_mode, c.report_mode) << c.args[0] << " " << c.args[1];
  }
}

// Two runs over the program's one state, as the installer makes them.
TEST(EngineEntry, TwoRunsInOneProgram) {
  enginetest::ScratchDir dir("tworuns");
  zipw::Archive a;
  for (const char* name : {"keep.txt", "drop.txt"}) {
    zipw::Member m;
    m.name = name;
    m.data = name;
    m.host_made = 3;
    a.members.push_back(m);
  }
  const std::string path = dir.file("t.zip");
  ASSERT_TRUE(zipw::write_file(path, zipw::build(a)));

  RunOutput first =
      enginetest::run_main({"unpak", "-qq", "-j", "-s", "-$", "-V", "-U", "-v", path, "-x", "drop.txt"});
  EXPECT_EQ(first.result, 0) << first.err;
  EXPECT_EQ(engine.opt.quiet, 2);
  EXPECT_EQ(engine.opt.junk_paths, 1);
  EXPECT_EQ(first.out.find("drop.txt"), std::string::npos);

  RunOutput second = enginetest::run_main({"unpak", "-l", path});
  EXPECT_EQ(second.result, 0) << second.err;
  // Reset per run:
  EXPECT_EQ(engine.opt.quiet, 0);
  EXPECT_EQ(engine.opt.junk_paths, 0);
  EXPECT_EQ(engine.opt.keep_case, 0);
  EXPECT_EQ(engine.opt.list_mode, 1);
  EXPECT_EQ(engine.args.exclusion_count, 0);
  EXPECT_NE(second.out.find("drop.txt"), std::string::npos) << second.out;  // the exclusion is gone
  EXPECT_NE(second.out.find("Archive:  "), std::string::npos);
  // Kept for the program run:
  EXPECT_EQ(engine.opt.spaces_to_underscores, 1);
  EXPECT_EQ(engine.opt.volume_labels, 1);
  EXPECT_EQ(engine.opt.keep_versions, 1);
  // The run's buffers were released at its end.
  EXPECT_EQ(engine.in.input_buffer, nullptr);
  EXPECT_EQ(engine.out.output_buffer, nullptr);

  // Leave the program's state as a fresh program would have it for other tests.
  engine.opt.spaces_to_underscores = engine.opt.volume_labels = engine.opt.keep_versions = 0;
}

}  // namespace
