// Output names and directories: mapname's character rules, checkdir's
// directories and limits, the 8.3 short form, and names that try to leave the
// extraction directory.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/names.h"
#include "platform/sys_fsops.h"
#include "support/scratch_dir.h"

namespace {

using testutil::ScratchDir;
namespace fs = std::filesystem;

std::string shorten(const char* component) {
  char buffer[300] = "prefix/";
  char* end = buffer + std::strlen(buffer);
  shorten_component(component, &end);
  EXPECT_EQ(*end, '\0') << component;
  return std::string(buffer + 7, end);
}

TEST(ShortenComponent, EightDotThree) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"longfilename", "longfile"},
      {"my.file.name", "my_file.nam"},
      {".profile", "_.pro"},
      {"a.b.c", "a_b.c"},
      {"read_me_now", "read_me.now"},
      {"[x].txt", "_x_.txt"},
      {"..", ".."},
      {".", ""},
      {"short.c", "short.c"},
      {"verylongname.extension", "verylong.ext"},
      {".a.b", "_a.b"},
      {"a_b", "a_b"},
      {"abcdefghij_k", "abcdefgh.k"},
      {"my.long.dir", "my_long.dir"},
  };
  for (const Case& c : cases) EXPECT_EQ(shorten(c.in), c.out) << "shorten_component(\"" << c.in << "\")";
}

// A state with the extraction root set to a scratch directory.
struct Mapper {
  std::unique_ptr<EngineState> s = std::make_unique<EngineState>();
  std::string root;

  explicit Mapper(const std::string& dir) : root(dir) {
    s->member.current_member = &s->member.member_batch[0];
    s->opt.create_directories = 1;
    std::string arg = dir;
    EXPECT_EQ(checkdir(*s, arg.data(), CHECKDIR_SET_ROOT), 0);
  }
  ~Mapper() { checkdir(*s, nullptr, CHECKDIR_END); }

  int map(const std::string& name) {
    std::snprintf(s->member.member_name.data(), member_name_size, "%s", name.c_str());
    return mapname(*s, 0);
  }
  std::string path() const { return s->member.member_name.data(); }
};

struct MapCase {
  const char* what;
  std::string name;
  int junk = 0, spaces = 0, versions = 0, quiet = 0;
  int result = 0;
  std::string path = "";  // relative to the root; "" means member_name is not checked
  int made_safe = 0;
};

void run_cases(const std::vector<MapCase>& cases) {
  for (const MapCase& c : cases) {
    ScratchDir dir;
    Mapper m(dir.str());
    m.s->opt.junk_paths = c.junk;
    m.s->opt.spaces_to_underscores = c.spaces;
    m.s->opt.keep_versions = c.versions;
    m.s->opt.quiet = c.quiet;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    int r = m.map(c.name);
    std::string out = testing::internal::GetCapturedStdout();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(r, c.result) << c.what << ": stdout " << out << " stderr " << err;
    if (!c.path.empty()) {
      EXPECT_EQ(m.path(), dir / c.path) << c.what;
    }
    EXPECT_EQ(m.s->names.name_made_safe, c.made_safe) << c.what;
    // A name that maps to nothing gets the conversion error instead of the warning.
    EXPECT_EQ(err.find("unsafe name") != std::string::npos, c.made_safe != 0 && r != 3)
        << c.what << ": " << err;
  }
}

TEST(Mapname, CharacterRules) {
  std::vector<MapCase> cases = {
      {.what = "plain path", .name = "a/b/c.txt", .result = 0, .path = "a/b/c.txt"},
      {.what = "colon", .name = "x/ab:c", .result = 0, .path = "x/ab_c"},
      {.what = "control characters dropped",
       .name = "a\x01"
               "b\x7f"
               "c",
       .result = 0,
       .path = "abc"},
      {.what = "Ctrl-V takes the next character", .name = "a\x16;b;1", .result = 0, .path = "a;b"},
      {.what = "Ctrl-V at the end", .name = "ab\x16", .result = 0, .path = "ab"},
      {.what = "version cut", .name = "README.TXT;3", .result = 0, .path = "README.TXT"},
      {.what = "version kept with -V",
       .name = "README.TXT;3",
       .versions = 1,
       .result = 0,
       .path = "README.TXT;3"},
      {.what = "not a version", .name = "NOTES;V2", .result = 0, .path = "NOTES;V2"},
      {.what = "empty version", .name = "X;", .result = 0, .path = "X"},
      {.what = "only a version", .name = ";1", .result = 3},
      {.what = "empty name", .name = "", .result = 3},
      {.what = "blank with -s", .name = "a b", .spaces = 1, .result = 0, .path = "a_b"},
      {.what = "high characters kept", .name = "\x80\xfe", .result = 0, .path = "\x80\xfe"},
      {.what = "0xFF dropped", .name = "a\xff", .result = 0, .path = "a"},
      {.what = "-j drops the directories",
       .name = "LOG/SUB/KEEPDIR.TMP",
       .junk = 1,
       .result = 0,
       .path = "KEEPDIR.TMP"},
      {.what = "-j directory member", .name = "A/B/", .junk = 1, .result = 2, .path = ""},
      {.what = "directory member", .name = "A/B/", .result = 77, .path = "A/B/"},
      {.what = "directory member, quiet", .name = "A/B/", .quiet = 1, .result = 2, .path = "A/B/"},
  };
  run_cases(cases);
}

TEST(Mapname, ConversionFailureNamesTheMember) {
  ScratchDir dir;
  Mapper m(dir.str());
  testing::internal::CaptureStderr();
  EXPECT_EQ(m.map(";1"), 3);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "mapname:  conversion of ;1 failed\n");
  EXPECT_EQ(m.path(), ";1");
}

TEST(Mapname, DirectoriesAreCreatedUnlessJunked) {
  ScratchDir dir;
  {
    Mapper m(dir.str());
    m.s->opt.junk_paths = 1;
    EXPECT_EQ(m.map("LOG/SUB/KEEPDIR.TMP"), 0);
    EXPECT_FALSE(fs::exists(dir.path() / "LOG"));
  }
  {
    Mapper m(dir.str());
    testing::internal::CaptureStdout();
    EXPECT_EQ(m.map("A/B/"), 77);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "   creating: " + dir.str() + "/A/B/\n");
    EXPECT_TRUE(fs::is_directory(dir.path() / "A" / "B"));
    EXPECT_EQ(m.map("A/B/"), 2) << "nothing new to create";
  }
}

// A blank stays a blank unless -s or a FAT volume says otherwise.
TEST(Mapname, BlankKeptOffFat) {
  ScratchDir dir;
  Mapper m(dir.str());
  if (sys::volume_is_fat("a b")) GTEST_SKIP() << "current directory is on a FAT volume";
  EXPECT_EQ(m.map("a b"), 0);
  EXPECT_EQ(m.path(), dir / "a b");
}

// Names that would write outside the extraction directory.
TEST(Mapname, HostileNamesStayInside) {
  std::vector<MapCase> cases = {
      {.what = "parent", .name = "../evil", .result = 0, .path = "evil", .made_safe = 1},
      {.what = "parents deep", .name = "a/../../../b", .result = 0, .path = "a/b", .made_safe = 1},
      {.what = "absolute", .name = "/etc/passwd", .result = 0, .path = "etc/passwd", .made_safe = 1},
      {.what = "double slash", .name = "//host/x", .result = 0, .path = "host/x", .made_safe = 1},
      {.what = "dot components are dropped quietly", .name = "./a/./b", .result = 0, .path = "a/b"},
      {.what = "dot directory member", .name = "./", .result = 2},
      {.what = "only parent", .name = "..", .result = 3, .made_safe = 1},
      {.what = "parent directory member", .name = "../", .result = 2, .made_safe = 1},
      {.what = "escaped slash", .name = "..\x16/..\x16/x", .result = 0, .path = ".._.._x", .made_safe = 1},
      {.what = "parent with -j", .name = "x/..", .junk = 1, .result = 3, .made_safe = 1},
      {.what = "dots inside a name are fine", .name = "a..b/..c", .result = 0, .path = "a..b/..c"},
#ifdef _WIN32
      {.what = "drive prefix", .name = "C:/x", .result = 0, .path = "x", .made_safe = 1},
      {.what = "drive without slash", .name = "C:x", .result = 0, .path = "x", .made_safe = 1},
      {.what = "backslash parents", .name = "..\\..\\x", .result = 0, .path = "x", .made_safe = 1},
      {.what = "backslash root", .name = "\\x", .result = 0, .path = "x", .made_safe = 1},
      {.what = "device", .name = "CON", .result = 0, .path = "_CON", .made_safe = 1},
      {.what = "device with extension",
       .name = "d/nul.txt",
       .result = 0,
       .path = "d/_nul.txt",
       .made_safe = 1},
      {.what = "numbered device", .name = "com1", .result = 0, .path = "_com1", .made_safe = 1},
      {.what = "not a device", .name = "COM10", .result = 0, .path = "COM10"},
      {.what = "trailing dot", .name = "a./b.", .result = 0, .path = "a_/b_", .made_safe = 1},
#else
      {.what = "backslash is a character", .name = "..\\x", .result = 0, .path = "..\\x"},
      {.what = "device names are ordinary", .name = "CON", .result = 0, .path = "CON"},
#endif
  };
  run_cases(cases);
}

TEST(Mapname, HostileNameWarningNamesMemberAndPath) {
  ScratchDir dir;
  Mapper m(dir.str());
  testing::internal::CaptureStderr();
  EXPECT_EQ(m.map("../../evil.txt"), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "warning:  ../../evil.txt:  unsafe name mapped to " + (dir / "evil.txt") + "\n");
}

TEST(Checkdir, SetRoot) {
  ScratchDir dir;
  struct Case {
    const char* what;
    std::string arg;
    int create;
    int result;
    std::string root;  // extract_root afterwards
  } cases[] = {
      {"existing", dir.str(), 1, 0, dir.str() + "/"},
      {"trailing slash", dir.str() + "/", 1, 0, dir.str() + "/"},
      {"created one level", dir / "new", 1, 0, dir / "new/"},
      {"missing, may not create", dir / "new2", 0, 2, dir / "new2/"},
      {"bare drive", "C:", 0, 0, "C:./"},
      {"drive root", "C:/", 0, 0, "C:/"},
      {"empty", "", 1, 0, ""},
  };
  for (const Case& c : cases) {
    auto s = std::make_unique<EngineState>();
    s->opt.create_directories = c.create;
    std::string arg = c.arg;
    EXPECT_EQ(checkdir(*s, arg.data(), CHECKDIR_SET_ROOT), c.result) << c.what;
    std::string root = s->names.extract_root ? s->names.extract_root.get() : "";
    EXPECT_EQ(root, c.root) << c.what;
    EXPECT_EQ(s->names.extract_root_length, static_cast<int>(c.root.size())) << c.what;
    checkdir(*s, nullptr, CHECKDIR_END);
    EXPECT_EQ(s->names.extract_root_length, 0);
  }
  EXPECT_TRUE(fs::is_directory(dir.path() / "new"));
  EXPECT_FALSE(fs::exists(dir.path() / "new2"));
}

TEST(Checkdir, RootWithMissingParentFails) {
  ScratchDir dir;
  auto s = std::make_unique<EngineState>();
  s->opt.create_directories = 1;
  std::string arg = dir / "no/such";
  testing::internal::CaptureStderr();
  EXPECT_EQ(checkdir(*s, arg.data(), CHECKDIR_SET_ROOT), 3);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "checkdir:  can't create extraction directory: " + (dir / "no/such") + "\n");
  EXPECT_EQ(s->names.extract_root_length, 0);
}

TEST(Checkdir, FileInTheWay) {
  ScratchDir dir;
  testutil::write_file(dir / "f", "x");
  Mapper m(dir.str());
  testing::internal::CaptureStderr();
  EXPECT_EQ(m.map("f/x"), 3);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "checkdir error:  " + (dir / "f") +
                                                        " exists but is not directory\n"
                                                        "                 unable to process f/x.\n");
  EXPECT_FALSE(m.s->names.name_path) << "build buffers released";
}

TEST(Checkdir, MissingDirectoryWithFreshen) {
  ScratchDir dir;
  Mapper m(dir.str());
  m.s->opt.freshen = 1;
  EXPECT_EQ(m.map("sub/x"), 2);
  EXPECT_FALSE(fs::exists(dir.path() / "sub"));
}

TEST(Checkdir, DirectoryPathTooLong) {
  ScratchDir dir;
  Mapper m(dir.str());
  std::string name;
  while (dir.str().size() + 1 + name.size() <= 258) name += "abcdefghi/";
  name += "file";
  testing::internal::CaptureStderr();
  EXPECT_EQ(m.map(name), 4);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.rfind("checkdir error:  path too long: " + dir.str() + "/abcdefghi/", 0), 0u) << err;
}

TEST(Checkdir, FileNameTruncatedAt260) {
  ScratchDir dir;
  Mapper m(dir.str());
  const std::size_t root = dir.str().size() + 1;
  ASSERT_LT(root, 100u);
  std::string name(270 - root, 'n');  // ten characters too many
  testing::internal::CaptureStderr();
  EXPECT_EQ(m.map(name), 0);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(m.path(), dir / std::string(260 - root, 'n'));
  std::string warning = "checkdir warning:  path too long; truncating\n                   " + name +
                        "\n                -> " + m.path() + "\n";
  std::size_t count = 0;
  for (std::size_t at = err.find(warning); at != std::string::npos; at = err.find(warning, at + 1)) ++count;
  EXPECT_EQ(count, 10u) << "one warning per dropped character";
}

// A component the file system refuses (here: too long for one name) is
// created in its 8.3 form; later components are still tested by their stored names.
TEST(Checkdir, RefusedComponentGetsShortForm) {
#ifdef _WIN32
  // Wine reports a too-long component as "file not found" (2), not as error
  // 206, and no other refusal has an 8.3 form that the file system accepts.
  GTEST_SKIP() << "needs a file system that refuses long names with error 206";
#endif
  ScratchDir dir;
  const fs::path old_cwd = fs::current_path();
  fs::current_path(dir.path());
  auto s = std::make_unique<EngineState>();
  s->member.current_member = &s->member.member_batch[0];
  std::string name = std::string(252, 'b') + ".dir/x";
  std::snprintf(s->member.member_name.data(), member_name_size, "%s", name.c_str());
  int r = mapname(*s, 0);
  std::string path = s->member.member_name.data();
  fs::current_path(old_cwd);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(path, "bbbbbbbb.dir/x");
  EXPECT_TRUE(fs::is_directory(dir.path() / "bbbbbbbb.dir"));
}

}  // namespace
