// Whole archives through the member loop: batches, patterns and exclusions,
// the overwrite decision, the installer questions, test summaries, standard
// output, damaged archives and names that try to leave the extraction
// directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine_hooks.h"
#include "engine/engine_main.h"
#include "engine/engine_state.h"
#include "platform/sys_fsops.h"
#include "support/engine_runner.h"
#include "support/scratch_dir.h"
#include "support/zip_writer.h"

namespace {

using testutil::read_file;
using testutil::ScratchDir;
namespace fs = std::filesystem;

// A stored member made on NTFS: its name keeps its case.
zipw::Member stored(const std::string& name, const std::string& data) {
  zipw::Member m;
  m.name = name;
  m.data = data;
  m.host_made = 11;
  return m;
}

std::string write_archive(const ScratchDir& dir, const zipw::Archive& a, const std::string& name = "a.zip") {
  std::string path = dir / name;
  EXPECT_TRUE(zipw::write_file(path, zipw::build(a)));
  return path;
}

enginetest::RunOutput run(EngineState& s, std::vector<std::string> args) {
  args.insert(args.begin(), "unpak");
  return enginetest::run(s, args);
}

enginetest::RunOutput run(std::vector<std::string> args) {
  auto s = std::make_unique<EngineState>();
  return run(*s, std::move(args));
}

// A file time from seconds since 1970.
sys::FileTime file_time(std::int64_t seconds) {
  return {(seconds + 11644473600LL) * 10000000LL};
}

void set_mtime(const std::string& path, std::int64_t seconds) {
  sys::FileTime t = file_time(seconds);
  int error = 0;
  ASSERT_EQ(sys::set_last_write_time(path.c_str(), &t, error), sys::SetTimeStep::done) << path;
}

std::string member_name(int i) {
  char name[16];
  std::snprintf(name, sizeof name, "m%03d", i);
  return name;
}

zipw::Archive hundred_members() {
  zipw::Archive a;
  for (int i = 0; i < 100; ++i) a.members.push_back(stored(member_name(i), "data of " + member_name(i)));
  return a;
}

TEST(ExtractArchive, HundredMembersInTwoBatches) {
  ScratchDir dir;
  std::string zip = write_archive(dir, hundred_members());
  auto r = run({"-t", zip, "m*"});
  EXPECT_EQ(r.result, 0) << r.err;
  EXPECT_NE(r.out.find("No errors detected in " + zip + " for the 100 files tested.\n"), std::string::npos)
      << r.out;

  r = run({"-tq", zip});
  EXPECT_EQ(r.result, 0) << r.err;
  EXPECT_EQ(r.out, "No errors detected in compressed data of " + zip + ".\n");

  r = run({"-qq", zip, "-d", dir / "out"});
  EXPECT_EQ(r.result, 0) << r.err;
  for (int i = 0; i < 100; ++i)
    EXPECT_EQ(read_file(dir / ("out/" + member_name(i))), "data of " + member_name(i));
}

TEST(ExtractArchive, PatternsAndExclusions) {
  ScratchDir dir;
  std::string zip = write_archive(dir, hundred_members());
  struct Case {
    const char* what;
    std::vector<std::string> args;  // after "-tq", archive
    int tested;
    std::string cautions;
  } cases[] = {
      {"two patterns", {"m00*", "m09?"}, 20, ""},
      {"pattern and exclusion", {"m0*", "-x", "m00*"}, 90, ""},
      {"exclusion only", {"-x", "m0[0-4]*"}, 50, ""},
      {"unmatched pattern", {"m001", "nothing*"}, 1, "caution: filename not matched:  nothing*\n"},
      {"unmatched exclusion", {"m001", "-x", "none"}, 1, "caution: excluded filename not matched:  none\n"},
      {"nothing matched", {"zz"}, 0, "caution: filename not matched:  zz\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"-tq", zip};
    args.insert(args.end(), c.args.begin(), c.args.end());
    auto r = run(args);
    EXPECT_EQ(r.result, 0) << c.what << ": " << r.err;
    EXPECT_EQ(r.err, c.cautions) << c.what;
    std::string summary = c.tested == 0
                              ? "Caution:  zero files tested in " + zip + ".\n"
                              : "No errors detected in " + zip + " for the " + std::to_string(c.tested) +
                                    " file" + (c.tested == 1 ? "" : "s") + " tested.\n";
    EXPECT_EQ(r.out, summary) << c.what;
  }
}

// no file / older / not older, against each overwrite option.
TEST(ExtractArchive, OverwriteDecision) {
  enum Existing { none, older, newer };
  struct Case {
    const char* option;
    Existing existing;
    bool written;
  } cases[] = {
      {"", none, true},     {"", older, true},    {"", newer, true},    {"-n", none, true},
      {"-n", older, false}, {"-n", newer, false}, {"-o", none, true},   {"-o", older, true},
      {"-o", newer, true},  {"-f", none, false},  {"-f", older, true},  {"-f", newer, false},
      {"-u", none, true},   {"-u", older, true},  {"-u", newer, false},
  };
  const char* names[] = {"none", "older", "newer"};
  for (const Case& c : cases) {
    ScratchDir dir;
    zipw::Archive a;
    a.members.push_back(stored("f.txt", "new"));  // 1997-03-15 12:00
    std::string zip = write_archive(dir, a);
    std::string out = dir / "out";
    fs::create_directory(out);
    if (c.existing != none) {
      testutil::write_file(out + "/f.txt", "old");
      set_mtime(out + "/f.txt", c.existing == older ? 631152000 /* 1990 */ : 1577836800 /* 2020 */);
    }
    std::vector<std::string> args = {"-qq", zip, "-d", out};
    if (*c.option) args.insert(args.begin(), c.option);
    auto r = run(args);
    EXPECT_EQ(r.result, 0) << c.option << " " << names[c.existing] << ": " << r.err;
    std::string expected = c.written ? "new" : (c.existing == none ? "" : "old");
    EXPECT_EQ(read_file(out + "/f.txt"), expected) << c.option << " " << names[c.existing];
    EXPECT_EQ(fs::exists(out + "/f.txt"), c.written || c.existing != none)
        << c.option << " " << names[c.existing];
  }
}

// The installer's questions and backups, through the hooks.
struct RecordingHooks : EngineHooks {
  std::vector<int> answers;
  std::size_t next = 0;
  std::vector<std::string> questions;
  std::vector<std::pair<std::string, std::string>> copies;
  int ask_yes_no(HookText title, HookText text, const char* argument, int style) override {
    EXPECT_EQ(title, HookText::title_information);
    EXPECT_EQ(style, 0x80);
    questions.push_back(text == HookText::msg_overwrite_file ? std::string("file ") + argument : "options");
    return next < answers.size() ? answers[next++] : 0;
  }
  int copy_file(const char* source, const char* target, int rename) override {
    EXPECT_EQ(rename, 0);
    copies.emplace_back(source, target);
    return sys::copy_file(source, target) == 0;
  }
};

struct InstallerRun {
  ScratchDir dir;
  std::string target;
  std::unique_ptr<EngineState> s = std::make_unique<EngineState>();
  RecordingHooks hooks;
  std::string zip;

  explicit InstallerRun(const std::string& target_dir = "opts") : target(dir / target_dir) {
    s->hooks = &hooks;
    zipw::Archive a;
    for (const char* name :
         {"OPTIONS/STANDARD.VPA", "OPTIONS/STANDARD.VPH", "OPTIONS/DIALDIR", "OPTIONS/OTHER.TXT"})
      a.members.push_back(stored(name, std::string("new ") + name));
    zip = write_archive(dir, a);
    fs::create_directories(target);
    for (const char* name : {"STANDARD.VPA", "STANDARD.VPH", "DIALDIR", "OTHER.TXT"})
      testutil::write_file(target + "/" + name, std::string("old ") + name);
  }
  // One engine run as the installer makes it, on the shared state.
  int extract(const std::string& member) {
    auto r = run(*s, {"-qq", "-j", zip, member, "-d", target});
    return r.result;
  }
  std::string file(const std::string& name) const { return read_file(target + "/" + name); }
};

TEST(InstallerQuestions, OptionFilesAskedOncePerProgramRun) {
  InstallerRun yes;
  yes.hooks.answers = {1};
  EXPECT_EQ(yes.extract("OPTIONS/STANDARD.VPA"), 0);
  EXPECT_EQ(yes.extract("OPTIONS/STANDARD.VPH"), 0);
  EXPECT_EQ(yes.hooks.questions, std::vector<std::string>{"options"});
  EXPECT_EQ(yes.file("STANDARD.VPA"), "new OPTIONS/STANDARD.VPA");
  EXPECT_EQ(yes.file("STANDARD.0PA"), "old STANDARD.VPA");
  EXPECT_EQ(yes.file("STANDARD.VPH"), "new OPTIONS/STANDARD.VPH");
  EXPECT_EQ(yes.file("STANDARD.0PH"), "old STANDARD.VPH");
  EXPECT_EQ(yes.s->member.backups_made, 1);

  InstallerRun no;
  no.hooks.answers = {0};
  EXPECT_EQ(no.extract("OPTIONS/STANDARD.VPA"), 0);
  EXPECT_EQ(no.extract("OPTIONS/STANDARD.VPH"), 0);
  EXPECT_EQ(no.hooks.questions, std::vector<std::string>{"options"});
  EXPECT_EQ(no.file("STANDARD.VPA"), "old STANDARD.VPA");
  EXPECT_EQ(no.file("STANDARD.VPH"), "old STANDARD.VPH");
  EXPECT_TRUE(no.hooks.copies.empty());
  EXPECT_EQ(no.s->member.backups_made, 0);
}

TEST(InstallerQuestions, PerFileQuestionAndBackupNames) {
  InstallerRun r;
  r.hooks.answers = {1, 0};
  EXPECT_EQ(r.extract("OPTIONS/DIALDIR"), 0);
  EXPECT_EQ(r.file("DIALDIR"), "new OPTIONS/DIALDIR");
  EXPECT_EQ(r.file("DIALDI0"), "old DIALDIR");
  EXPECT_EQ(r.extract("OPTIONS/OTHER.TXT"), 0);  // no question for other files
  EXPECT_EQ(r.file("OTHER.TXT"), "new OPTIONS/OTHER.TXT");
  ASSERT_EQ(r.hooks.questions.size(), 1u);
  EXPECT_EQ(r.hooks.questions[0], "file " + r.target + "/DIALDIR");

  InstallerRun declined;
  declined.hooks.answers = {0};
  EXPECT_EQ(declined.extract("OPTIONS/DIALDIR"), 0);
  EXPECT_EQ(declined.file("DIALDIR"), "old DIALDIR");
  EXPECT_EQ(declined.s->member.answer[0], 'n');
}

// A '.' in the directory part: the backup name changes the character after it.
TEST(InstallerQuestions, DotInDirectoryPart) {
  InstallerRun r("v1.5");
  r.hooks.answers = {1};
  EXPECT_EQ(r.extract("OPTIONS/STANDARD.VPA"), 0);
  ASSERT_EQ(r.hooks.copies.size(), 1u);
  std::string expected = r.target + "/STANDARD.VPA";
  expected[expected.find('.') + 1] = '0';
  EXPECT_EQ(r.hooks.copies[0].second, expected);
}

TEST(InstallerQuestions, OverwriteAllAsksNothing) {
  InstallerRun r;
  auto out = run(*r.s, {"-qq", "-o", "-j", r.zip, "OPTIONS/STANDARD.VPA", "-d", r.target});
  EXPECT_EQ(out.result, 0);
  EXPECT_TRUE(r.hooks.questions.empty());
  EXPECT_TRUE(r.hooks.copies.empty());
  EXPECT_EQ(r.file("STANDARD.VPA"), "new OPTIONS/STANDARD.VPA");
}

TEST(ExtractArchive, TestSummaries) {
  ScratchDir dir;
  zipw::Archive a;
  a.members.push_back(stored("good", "abc"));
  zipw::Member bad = stored("bad", "abc");
  bad.crc = 0x12345678u;
  bad.local_crc = 0x12345678u;
  a.members.push_back(bad);
  zipw::Member odd = stored("odd", "abc");
  odd.method = 9;
  odd.raw = "abc";
  a.members.push_back(odd);
  std::string zip = write_archive(dir, a);

  auto r = run({"-t", zip, "good"});
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.out, "Archive:  " + zip + "\n    testing: good                     OK\n" +
                       "No errors detected in " + zip + " for the 1 file tested.\n");

  r = run({"-t", zip});
  EXPECT_EQ(r.result, 2);
  EXPECT_NE(r.out.find("At least one error was detected in " + zip + ".\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("1 file skipped because of unsupported compression or encoding.\n"),
            std::string::npos);
  EXPECT_NE(r.err.find("   skipping: odd                     compression method 9\n"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find(" bad CRC 352441c2  (should be 12345678)\n"), std::string::npos) << r.err;

  // The summary comes before a skipped member makes the result a warning.
  r = run({"-t", zip, "good", "odd"});
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.out,
            "Archive:  " + zip + "\n    testing: good                     OK\n" + "No errors detected in " +
                zip +
                " for the 1 file tested.\n1 file skipped because of unsupported compression or encoding.\n");

  zipw::Archive long_name;
  long_name.members.push_back(stored(std::string(300, 'x'), "abc"));  // cut to 260: a warning
  std::string zip2 = write_archive(dir, long_name, "b.zip");
  r = run({"-t", zip2});
  EXPECT_EQ(r.result, 1) << r.err;
  EXPECT_NE(r.out.find("At least one warning-error was detected in " + zip2 + ".\n"), std::string::npos)
      << r.out;
}

TEST(ExtractArchive, StandardOutput) {
  ScratchDir dir;
  zipw::Archive a;
  a.members.push_back(stored("one.txt", "first\n"));
  a.members.push_back(stored("two.txt", "second\n"));
  std::string zip = write_archive(dir, a);
  auto r = run({"-p", zip});
  EXPECT_EQ(r.result, 0) << r.err;
  EXPECT_EQ(r.out, "first\nsecond\n");
  r = run({"-c", zip, "two.txt"});
  EXPECT_EQ(r.result, 0) << r.err;
  EXPECT_EQ(r.out, "Archive:  " + zip + "\n extracting: two.txt                 \nsecond\n\n");
  EXPECT_FALSE(fs::exists("two.txt"));
}

// Damaged archives: the messages, the results, and what happens to the other members.
TEST(ExtractArchive, DamagedMembers) {
  struct Case {
    const char* what;
    int result;
    const char* message;
    bool first_written, second_written;
  };
  auto make = [](int which) {
    zipw::Archive a;
    a.members.push_back(stored("first.txt", "first data"));
    a.members.push_back(stored("second.txt", "second data"));
    zipw::Layout layout;
    std::string bytes = zipw::build(a, layout);
    switch (which) {
      case 0:  // bad CRC in both headers of the first member
        zipw::put_le32(bytes, layout.local_offsets[0] + 14, 1);
        zipw::put_le32(bytes, layout.central_offsets[0] + 16, 1);
        break;
      case 1:  // local signature of member 0 broken
        bytes[layout.local_offsets[0] + 2] = 'X';
        break;
      case 2:  // local signature of member 1 broken
        bytes[layout.local_offsets[1] + 2] = 'X';
        break;
      case 3:  // local offset of member 1 beyond the end of the file
        zipw::put_le32(bytes, layout.central_offsets[1] + 42, 0x100000);
        break;
      case 4:  // compressed size of member 0 larger than its data (it runs into member 1)
        zipw::put_le32(bytes, layout.local_offsets[0] + 18, 1000);
        zipw::put_le32(bytes, layout.central_offsets[0] + 20, 1000);
        break;
    }
    return bytes;
  };
  const Case cases[] = {
      {"bad CRC", 2, " bad CRC ", true, true},
      {"bad local signature, member 0", 3,
       "file #0:  bad zipfile offset (local header sig):  0\n  (attempting to re-compensate)\n", false, true},
      {"bad local signature, member 1", 2, "file #1:  bad zipfile offset (local header sig):  ", true, true},
      {"offset beyond the end", 3, "file #1:  bad zipfile offset (lseek):  1048576\n", true, false},
      {"compressed size too large", 2, " bad CRC ", true, true},
  };
  for (int i = 0; i < 5; ++i) {
    const Case& c = cases[i];
    ScratchDir dir;
    std::string zip = dir / "a.zip";
    ASSERT_TRUE(zipw::write_file(zip, make(i)));
    auto r = run({"-q", zip, "-d", dir / "out"});
    EXPECT_EQ(r.result, c.result) << c.what << ": " << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.what << ": " << r.err;
    EXPECT_EQ(fs::exists(dir / "out/first.txt"), c.first_written) << c.what;
    EXPECT_EQ(fs::exists(dir / "out/second.txt"), c.second_written) << c.what;
  }
}

TEST(ExtractArchive, DirectoryInTheWayAndMissingParent) {
  ScratchDir dir;
  zipw::Archive a;
  a.members.push_back(stored("d", "in the way"));
  a.members.push_back(stored("sub/f.txt", "after"));
  std::string zip = write_archive(dir, a);
  fs::create_directories(dir / "out/d");
  auto r = run({"-qq", zip, "-d", dir / "out"});
  EXPECT_EQ(r.result, 50);
  EXPECT_EQ(r.err.rfind("\nerror:  cannot create " + dir / "out/d" + "\n", 0), 0u) << r.err;
  EXPECT_EQ(read_file(dir / "out/sub/f.txt"), "after") << "the next member goes on";

  // -f creates no directories, not even the extraction directory; members
  // below it are left quietly, and the current directory is not freshened instead.
  const fs::path old_cwd = fs::current_path();
  fs::current_path(dir.path());
  testutil::write_file("d", "current directory");
  set_mtime("d", 631152000);
  r = run({"-qq", "-f", zip, "-d", dir / "out2"});
  fs::current_path(old_cwd);
  EXPECT_EQ(r.result, 0) << r.err;
  EXPECT_EQ(read_file(dir / "d"), "current directory");
  EXPECT_FALSE(fs::exists(dir / "out2"));
}

TEST(ExtractArchive, HostileNamesStayInside) {
  ScratchDir dir;
  zipw::Archive a;
  a.members.push_back(stored("../escaped.txt", "x"));
  a.members.push_back(stored("/abs.txt", "y"));
  a.members.push_back(stored("ok/../../deep.txt", "z"));
  std::string zip = write_archive(dir, a);
  fs::create_directories(dir / "out/in");
  auto r = run({"-qq", zip, "-d", dir / "out/in"});
  EXPECT_EQ(r.result, 1) << r.err;
  EXPECT_EQ(read_file(dir / "out/in/escaped.txt"), "x");
  EXPECT_EQ(read_file(dir / "out/in/abs.txt"), "y");
  EXPECT_EQ(read_file(dir / "out/in/ok/deep.txt"), "z");
  EXPECT_FALSE(fs::exists(dir / "out/escaped.txt"));
  EXPECT_FALSE(fs::exists(dir / "out/deep.txt"));
  EXPECT_NE(r.err.find("warning:  ../escaped.txt:  unsafe name mapped to " + dir / "out/in/escaped.txt"),
            std::string::npos)
      << r.err;
}

}  // namespace
