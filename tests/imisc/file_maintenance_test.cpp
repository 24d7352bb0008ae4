// Copying files and trees, option file renames and the old-file passes, on
// small trees made per test.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "imisc_fixture.h"
#include "installer/imisc/file_maintenance.h"
#include "platform/os_files.h"
#include "platform/sys_fileops.h"

namespace {

using imisc_test::HookRecorder;
using imisc_test::TempTree;
using Listing = std::vector<std::string>;

TEST(OptionFileNewName, MatchesTheEndOfTheTargetIgnoringCase) {
  const std::string prefix242(242, 'p');
  const std::string prefix239(239, 'p');
  struct Case {
    std::string target;
    RenameResult result;
    std::string expected;
  } cases[] = {
      {"C:\\VOK\\OPTIONS\\VOKPATH.DAT", RenameResult::renamed, "C:\\VOK\\options\\standard.vpa"},
      {"C:\\VOK\\OPTIONS\\STANDARD", RenameResult::renamed, "C:\\VOK\\options\\standard.vok"},
      {"C:\\VOK\\options\\vok.key", RenameResult::renamed, "C:\\VOK\\options\\standard.vky"},
      {"C:\\VOK\\Options\\VokTool.Bar", RenameResult::renamed, "C:\\VOK\\options\\standard.vtb"},
      {"C:\\VOK\\OPTIONS\\VOKPHONE.FEE", RenameResult::renamed, "C:\\VOK\\options\\standard.trf"},
      {"C:\\VOK\\OPTIONS\\VOKPHONE.OPT", RenameResult::renamed, "C:\\VOK\\options\\standard.vph"},
      {"C:\\VOK\\SCRIPT\\VOKEVENT.CMD", RenameResult::renamed, "C:\\VOK\\script\\vokevent.vrx"},
      {"options\\vokpath.dat", RenameResult::renamed, "options\\standard.vpa"},
      // The folder name is part of the match...
      {"C:\\VOK\\SETTINGS\\VOKPATH.DAT", RenameResult::unchanged, "C:\\VOK\\SETTINGS\\VOKPATH.DAT"},
      // ...but only as an ending of the target.
      {"C:\\VOK\\MYOPTIONS\\VOK.KEY", RenameResult::renamed, "C:\\VOK\\MYoptions\\standard.vky"},
      {"C:\\VOK\\OPTIONS\\STANDARD.VPA", RenameResult::unchanged, "C:\\VOK\\OPTIONS\\STANDARD.VPA"},
      {"C:\\VOK\\OPTIONS\\VOKPATH.DAT.BAK", RenameResult::unchanged, "C:\\VOK\\OPTIONS\\VOKPATH.DAT.BAK"},
      // 257 characters would grow to 262: refused rather than cut to a different name.
      {prefix242 + "options\\vok.key", RenameResult::too_long, ""},
      {prefix239 + "options\\vokpath.dat", RenameResult::renamed,
       prefix239 + "options\\standard.vpa"},  // 259
  };
  for (const Case& c : cases) {
    PathText out = path_literal("garbage");
    EXPECT_EQ(option_file_new_name(c.target.c_str(), out), c.result) << c.target;
    EXPECT_EQ(std::string(out.data()), c.expected) << c.target;
  }
}

TEST(CopyFile, ReplacesTheTargetAndReportsFailures) {
  TempTree tree;
  tree.write("src.txt", "new\n");
  tree.write("dst.txt", "old old old\n");
  EXPECT_EQ(copy_file(tree.at("src.txt").c_str(), tree.at("dst.txt").c_str(), false), 1);
  EXPECT_EQ(tree.read("dst.txt"), "new\n");

  EXPECT_EQ(copy_file(tree.at("missing.txt").c_str(), tree.at("dst2.txt").c_str(), false), 0);
  EXPECT_FALSE(tree.exists("dst2.txt"));
  EXPECT_EQ(copy_file(tree.at("src.txt").c_str(), tree.at("nodir\\dst.txt").c_str(), false), 0);

  tree.write("locked.txt", "keep\n");
  ASSERT_TRUE(sys::set_read_only(tree.at("locked.txt").c_str(), true));
  EXPECT_EQ(copy_file(tree.at("src.txt").c_str(), tree.at("locked.txt").c_str(), false), 0);
  EXPECT_EQ(tree.read("locked.txt"), "keep\n");
}

TEST(CopyFile, RenamesOnlyWhenAsked) {
  TempTree tree;
  tree.write("old\\vok.key", "key\n");
  tree.make_dir("new\\options");
  const std::string source = tree.at("old\\vok.key");
  const std::string target = tree.at("new\\options\\vok.key");

  EXPECT_EQ(copy_file(source.c_str(), target.c_str(), true), 1);
  EXPECT_EQ(tree.listing("new"), (Listing{"options\\", "options\\standard.vky"}));
  EXPECT_EQ(copy_file(source.c_str(), target.c_str(), false), 1);
  EXPECT_EQ(tree.listing("new"), (Listing{"options\\", "options\\standard.vky", "options\\vok.key"}));
}

TEST(CopyFile, RefusesARenameThatWouldNotFit) {
  // A directory path of 247 characters: its vok.key fits (255), the new
  // name standard.vky would need 260. The 259-character cut of that name
  // exists and must not be overwritten.
  TempTree tree;
  std::string dir_name = "d";
  const std::size_t wanted = 247 - tree.root().size() - std::string("\\\\options").size();
  dir_name.append(wanted - dir_name.size(), 'd');
  const std::string dir = dir_name + "\\options";
  ASSERT_EQ(tree.at(dir).size(), 247u);
  tree.write("src.txt", "new\n");
  tree.write(dir + "\\standard.vk", "existing\n");

  const std::string target = tree.at(dir + "\\vok.key");
  EXPECT_EQ(copy_file(tree.at("src.txt").c_str(), target.c_str(), true), 0);
  EXPECT_EQ(tree.listing(dir), (Listing{"standard.vk"}));
  EXPECT_EQ(tree.read(dir + "\\standard.vk"), "existing\n");
}

// A tree carried over from an earlier installation's data folders.
void write_earlier_tree(const TempTree& tree) {
  tree.write("old\\OPTIONS\\VOKPATH.DAT", "paths\n");
  tree.write("old\\OPTIONS\\STANDARD.VPH", "phone\n");
  tree.write("old\\OPTIONS\\SUB\\DEEP.TXT", "deep\n");
  tree.write("old\\SCRIPT\\VOKEVENT.CMD", "event\n");
  tree.write("old\\SCRIPT\\OTHER.CMD", "other\n");
}

TEST(CopyTree, CopiesEveryFileRenamingOldOptionFilesByTheTargetFolder) {
  struct Case {
    const char* source;
    const char* target;
    bool rename;
    Listing expected;  // below "new"
  } cases[] = {
      {"old\\OPTIONS",
       "new\\options",
       true,
       {"options\\", "options\\standard.vpa", "options\\STANDARD.VPH", "options\\SUB\\",
        "options\\SUB\\DEEP.TXT"}},
      // In a folder of another name the old name is not recognised.
      {"old\\OPTIONS",
       "new\\settings",
       true,
       {"settings\\", "settings\\STANDARD.VPH", "settings\\SUB\\", "settings\\SUB\\DEEP.TXT",
        "settings\\VOKPATH.DAT"}},
      {"old\\OPTIONS",
       "new\\options",
       false,
       {"options\\", "options\\STANDARD.VPH", "options\\SUB\\", "options\\SUB\\DEEP.TXT",
        "options\\VOKPATH.DAT"}},
      {"old\\SCRIPT", "new\\script", true, {"script\\", "script\\OTHER.CMD", "script\\vokevent.vrx"}},
  };
  for (const Case& c : cases) {
    TempTree tree;
    write_earlier_tree(tree);
    tree.make_dir("new");
    EXPECT_EQ(copy_tree(tree.at(c.source).c_str(), tree.at(c.target).c_str(), c.rename), 1) << c.target;
    EXPECT_EQ(tree.listing("new"), c.expected) << c.source << " -> " << c.target << " rename " << c.rename;
  }
}

TEST(CopyTree, ReplacesExistingFilesAndKeepsOthers) {
  TempTree tree;
  write_earlier_tree(tree);
  tree.write("new\\SCRIPT\\OTHER.CMD", "stale\n");
  tree.write("new\\SCRIPT\\MINE.CMD", "mine\n");
  EXPECT_EQ(copy_tree(tree.at("old\\SCRIPT").c_str(), tree.at("new\\SCRIPT\\").c_str(), false), 1);
  EXPECT_EQ(tree.read("new\\SCRIPT\\OTHER.CMD"), "other\n");
  EXPECT_EQ(tree.read("new\\SCRIPT\\MINE.CMD"), "mine\n");
  EXPECT_EQ(tree.read("new\\SCRIPT\\VOKEVENT.CMD"), "event\n");
}

TEST(CopyTree, RefusesWithoutCopyingAnything) {
  struct Case {
    const char* why;
    std::string source;  // relative to the tree; "-" for an empty name
    std::string target;
  } cases[] = {
      {"empty source", "-", "new"},
      {"empty target", "old\\SCRIPT", "-"},
      {"the same directory in other letter case", "old\\SCRIPT", "OLD\\script"},
      {"the same directory with a trailing backslash", "old\\SCRIPT", "old\\SCRIPT\\"},
      {"a target inside the source", "old", "old\\SCRIPT\\copy"},
      {"a target whose parent is missing", "old\\SCRIPT", "missing\\new"},
  };
  for (const Case& c : cases) {
    TempTree tree;
    write_earlier_tree(tree);
    const Listing before = tree.listing();
    const std::string source = c.source == "-" ? "" : tree.at(c.source);
    const std::string target = c.target == "-" ? "" : tree.at(c.target);
    EXPECT_EQ(copy_tree(source.c_str(), target.c_str(), true), 0) << c.why;
    EXPECT_EQ(tree.listing(), before) << c.why;
  }
}

TEST(CopyTree, DoesNotEnterDotDirectoriesButCopiesDotFiles) {
  TempTree tree;
  tree.write("old\\.profile", "dot file\n");
  tree.write("old\\.cache\\x.txt", "cached\n");
  tree.write("old\\sub\\.git\\config", "git\n");
  tree.write("old\\sub\\y.txt", "y\n");
  EXPECT_EQ(copy_tree(tree.at("old").c_str(), tree.at("new").c_str(), false), 1);
  EXPECT_EQ(tree.listing("new"), (Listing{".profile", "sub\\", "sub\\y.txt"}));
}

TEST(CopyTree, SkipsEntriesWhosePathsWouldBeTooLong) {
  // A target directory of 240 characters: "short.txt" fits below it (250),
  // a name of 20 characters does not (261).
  TempTree tree;
  std::string target_name(240 - tree.root().size() - 1, 't');
  tree.write("old\\short.txt", "s\n");
  tree.write("old\\" + std::string(20, 'L'), "long\n");
  tree.write("old\\" + std::string(20, 'D') + "\\in.txt", "in\n");
  ASSERT_EQ(tree.at(target_name).size(), 240u);
  EXPECT_EQ(copy_tree(tree.at("old").c_str(), tree.at(target_name).c_str(), false), 1);
  EXPECT_EQ(tree.listing(target_name), (Listing{"short.txt"}));

  // A source that cannot be listed (its pattern would exceed 259 characters)
  // is refused before the target is made.
  const std::string deep_source = tree.at(std::string(257 - tree.root().size(), 's'));
  EXPECT_EQ(copy_tree(deep_source.c_str(), tree.at("new").c_str(), false), 0);
  EXPECT_FALSE(tree.exists("new"));
}

// The earlier installation's files that the cleanup pass knows, and some it does not.
const Listing seven_samples = {"1_start",  "2_branch",  "3_repeat", "4_dialer",
                               "5_answer", "6_callbox", "7_callbox"};

void write_installation(const TempTree& tree, bool extra_sample) {
  for (const char* entry : obsolete_files) {
    if (entry[0] != '!') tree.write(entry, "obsolete\n");
  }
  tree.write("options\\standard.vpa", "keep\n");
  tree.write("script\\vokevent.vrx", "keep\n");
  tree.write("vok.exe", "keep\n");
  if (extra_sample) tree.write("script\\scrdemos\\misc\\8_mine", "user's own\n");
}

TEST(HandleOldFiles, DeletesObsoleteFilesAndTheEmptiedSampleFolder) {
  struct Case {
    bool extra_sample;
    Listing expected;
  } cases[] = {
      {false,
       {"download\\", "log\\", "options\\", "options\\standard.vpa", "script\\", "script\\scrdemos\\",
        "script\\vokevent.vrx", "upload\\", "vok.exe"}},
      // A file the user added keeps the folder (and itself).
      {true,
       {"download\\", "log\\", "options\\", "options\\standard.vpa", "script\\", "script\\scrdemos\\",
        "script\\scrdemos\\misc\\", "script\\scrdemos\\misc\\8_mine", "script\\vokevent.vrx", "upload\\",
        "vok.exe"}},
  };
  for (const Case& c : cases) {
    TempTree tree;
    write_installation(tree, c.extra_sample);
    HookRecorder hooks;
    handle_old_files(tree.root().c_str(), 1);
    EXPECT_EQ(tree.listing(), c.expected) << "extra sample " << c.extra_sample;
    EXPECT_EQ(hooks.statuses(), std::vector<StatusMessage>{StatusMessage::cleanup});
  }
}

TEST(HandleOldFiles, CleanupLeavesReadOnlyFilesAndCarriesOn) {
  TempTree tree;
  write_installation(tree, false);
  ASSERT_TRUE(sys::set_read_only(tree.at("proto_b.dll").c_str(), true));
  handle_old_files(tree.root().c_str(), 1);
  EXPECT_TRUE(tree.exists("proto_b.dll"));
  EXPECT_FALSE(tree.exists("proto_k.dll"));
  EXPECT_FALSE(tree.exists("download\\keepdir.tmp"));
}

TEST(HandleOldFiles, RenamePassCopiesOldOptionFilesToTheirNewNames) {
  TempTree tree;
  tree.write("options\\vokpath.dat", "paths\n");
  tree.write("options\\vok.key", "key\n");
  tree.write("options\\standard.vky", "older key\n");
  tree.write("script\\vokevent.cmd", "event\n");
  handle_old_files(tree.root().c_str(), 0);
  EXPECT_EQ(tree.listing(),
            (Listing{"options\\", "options\\standard.vky", "options\\standard.vpa", "options\\vok.key",
                     "options\\vokpath.dat", "script\\", "script\\vokevent.cmd", "script\\vokevent.vrx"}));
  EXPECT_EQ(tree.read("options\\standard.vky"), "key\n");
  EXPECT_EQ(tree.read("options\\standard.vpa"), "paths\n");
}

TEST(HandleOldFiles, ChangesNothingWithoutOldFilesOrForOtherModes) {
  struct Case {
    int mode;
    bool old_files;
  } cases[] = {{0, false}, {2, true}, {-1, true}};
  for (const Case& c : cases) {
    TempTree tree;
    tree.write("options\\standard.vpa", "new\n");
    tree.write("script\\vokevent.vrx", "new\n");
    if (c.old_files) write_installation(tree, false);
    const Listing before = tree.listing();
    const std::string options_before = tree.read("options\\standard.vpa");
    HookRecorder hooks;
    handle_old_files(tree.root().c_str(), c.mode);
    EXPECT_EQ(tree.listing(), before) << "mode " << c.mode;
    EXPECT_EQ(tree.read("options\\standard.vpa"), options_before) << "mode " << c.mode;
    EXPECT_TRUE(hooks.statuses().empty()) << "mode " << c.mode;
  }
}

// The portability layer's listing, as copy_tree uses it.
struct Found {
  std::string name;
  bool directory;
  bool operator<(const Found& other) const { return name < other.name; }
  bool operator==(const Found& other) const = default;
};

std::vector<Found> list(const std::string& pattern, int* first_result = nullptr) {
  OsFileFind record;
  std::copy(pattern.begin(), pattern.end(), record.name.begin());
  std::vector<Found> found;
  int result = os_FileFindMgr(os_find_first, record);
  if (first_result != nullptr) *first_result = result;
  while (result == 0) {
    found.push_back({record.name.data(), (record.attributes & os_attribute_directory) != 0});
    result = os_FileFindMgr(os_find_next, record);
  }
  EXPECT_EQ(os_FileFindMgr(os_find_end, record), 0);
  EXPECT_EQ(record.layer, 0u);
  std::sort(found.begin(), found.end());
  return found;
}

TEST(FileFind, ListsEntriesWithTheDirectoryBit) {
  TempTree tree;
  tree.write("a.txt", "a\n");
  tree.write("noext", "n\n");
  tree.write("sub\\inner.txt", "i\n");
  EXPECT_EQ(
      list(tree.at("*.*")),
      (std::vector<Found>{{".", true}, {"..", true}, {"a.txt", false}, {"noext", false}, {"sub", true}}));
  EXPECT_EQ(list(tree.at("A*.TXT")), (std::vector<Found>{{"a.txt", false}}));
  EXPECT_EQ(list(tree.at("sub\\*.txt")), (std::vector<Found>{{"inner.txt", false}}));

  int first = 0;
  EXPECT_TRUE(list(tree.at("missing\\*.*"), &first).empty());
  EXPECT_NE(first, 0);
  EXPECT_TRUE(list(tree.at("*.none"), &first).empty());
  EXPECT_NE(first, 0);
}

}  // namespace
