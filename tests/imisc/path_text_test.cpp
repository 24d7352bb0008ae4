// Path joining, the case-blind comparisons and make_relative: pure functions.
#include <gtest/gtest.h>

#include <string>

#include "installer/imisc/path_settings.h"
#include "installer/imisc/path_text.h"

namespace {

TEST(JoinPath, AddsOneBackslashAndRefusesOverlongResults) {
  const std::string dir250(250, 'd');
  struct Case {
    std::string directory, name;
    bool ok;
    std::string expected;
  } cases[] = {
      {"C:\\VOK", "OPTIONS\\STANDARD.VPA", true, "C:\\VOK\\OPTIONS\\STANDARD.VPA"},
      {"C:\\", "VOK", true, "C:\\VOK"},  // a root keeps its one backslash
      {"C:\\VOK\\", "X", true, "C:\\VOK\\X"},
      {"C:\\VOK/", "X", true, "C:\\VOK/\\X"},  // only a backslash counts as the separator
      {"C:\\VOK", "", true, "C:\\VOK\\"},
      {dir250, std::string(8, 'n'), true, dir250 + "\\" + std::string(8, 'n')},  // 259 characters
      {dir250, std::string(9, 'n'), false, ""},                                  // 260: refused, not cut
      {dir250 + "\\", std::string(8, 'n'), true, dir250 + "\\" + std::string(8, 'n')},
  };
  for (const Case& c : cases) {
    PathText out = path_literal("garbage");
    const bool ok = join_path(out, c.directory.c_str(), c.name.c_str());
    EXPECT_EQ(ok, c.ok) << c.directory.size() << " + " << c.name;
    EXPECT_EQ(std::string(out.data()), c.expected) << c.directory.size() << " + " << c.name;
  }
}

TEST(JoinPath, DirectoryMayBeTheOutputBuffer) {
  PathText path = path_literal("C:\\VOK");
  ASSERT_TRUE(join_path(path, path.data(), "SCRIPT"));
  EXPECT_STREQ(path.data(), "C:\\VOK\\SCRIPT");
}

TEST(CaseBlindText, ComparesAsciiLettersWithoutCase) {
  EXPECT_TRUE(equal_nocase("C:\\Vok\\Options", "c:\\VOK\\options"));
  EXPECT_FALSE(equal_nocase("C:\\VOK", "C:\\VOK\\"));
  EXPECT_TRUE(starts_with_nocase("downloadpath=\"x\"", "DownloadPath"));
  EXPECT_FALSE(starts_with_nocase("Download", "DownloadPath"));
  EXPECT_TRUE(ends_with_nocase("D:\\OLD\\OPTIONS\\VOKPATH.DAT", "options\\vokpath.dat"));
  EXPECT_FALSE(ends_with_nocase("vokpath.dat", "options\\vokpath.dat"));
  EXPECT_LT(compare_nocase("2.49", "2.50", 4), 0);
  EXPECT_EQ(compare_nocase("2.50 BETA", "2.50", 4), 0);
  EXPECT_LT(compare_nocase("2.5", "2.50", 4), 0);  // a shorter text sorts first
}

TEST(MakeRelative, StripsTheDestinationOnlyAtADirectoryBoundary) {
  struct Case {
    const char* base;
    const char* path;
    const char* expected;
  } cases[] = {
      {"C:\\VOK", "C:\\VOK\\DOWNLOAD", "DOWNLOAD"},
      {"C:\\VOK", "c:\\vok\\Download\\Sub", "Download\\Sub"},
      {"C:\\VOK", "C:\\VOK", ""},
      {"C:\\VOK", "C:\\vok", ""},
      {"C:\\VOK\\", "C:\\VOK\\DOWNLOAD", "DOWNLOAD"},
      {"C:\\", "C:\\DOWNLOAD", "DOWNLOAD"},
      // A sibling that merely starts with the same letters is not below the
      // destination: "2\IN" would name C:\VOK\2\IN.
      {"C:\\VOK", "C:\\VOK2\\IN", "C:\\VOK2\\IN"},
      {"C:\\VOK", "D:\\VOK\\DOWNLOAD", "D:\\VOK\\DOWNLOAD"},
      {"C:\\VOK", "C:\\VO", "C:\\VO"},
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(make_relative(c.base, c.path), c.expected) << c.base << " / " << c.path;
  }
  const char* path = "C:\\VOK\\LOG";
  EXPECT_EQ(make_relative("C:\\VOK", path), path + 7) << "points into the path";
}

}  // namespace
