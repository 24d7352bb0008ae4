// Reading an earlier installation's path settings and rewriting the new
// options file, on settings files written per test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imisc_fixture.h"
#include "installer/imisc/path_settings.h"
#include "platform/sys_fileops.h"

namespace {

using imisc_test::HookRecorder;
using imisc_test::TempTree;

const char* const absent = nullptr;

// The fields of EarlierInstallation that a read sets, as one comparable value.
struct Earlier {
  int found, beta;
  std::string version, download, upload, capture, script, options, options_dir, script_dir;
  bool operator==(const Earlier&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Earlier& e) {
  return out << "found " << e.found << " beta " << e.beta << " version [" << e.version << "] download ["
             << e.download << "] upload [" << e.upload << "] capture [" << e.capture << "] script ["
             << e.script << "] options [" << e.options << "] options_dir [" << e.options_dir
             << "] script_dir [" << e.script_dir << "]";
}

Earlier fields_of(const EarlierInstallation& e) {
  return {e.earlier_found,
          e.earlier_is_beta,
          e.earlier_version.data(),
          e.earlier_download.data(),
          e.earlier_upload.data(),
          e.earlier_capture.data(),
          e.earlier_script.data(),
          e.earlier_options.data(),
          e.earlier_options_dir.data(),
          e.earlier_script_dir.data()};
}

constexpr const char* existing = "C:\\OLDVOK";

// Keyed options file with every key; version line prepended by the cases.
const std::string keyed_body =
    "[Paths]\n"
    "DownloadPath=\"C:\\DL\"\n"
    "UploadPath=\"UP\"\n"
    "CapturePath=\"CAP\"\n"
    "ScriptPath=\"\\VOK\\S\"\n"
    "OptsPath=\"OPT\"\n"
    "Colour=\"7\"\n";
const Earlier keyed_fields{1, 0, "", "C:\\DL", "UP", "CAP", "\\VOK\\S", "OPT", "C:\\OLDVOK\\OPT", "\\VOK\\S"};

Earlier keyed(int beta, const char* version) {
  Earlier e = keyed_fields;
  e.beta = beta;
  e.version = version;
  return e;
}

// Fields of a fresh record where a file leaves them alone.
Earlier defaults_with(int found, int beta, const char* version) {
  return {found,
          beta,
          version,
          "DOWNLOAD",
          "UPLOAD",
          "LOG",
          "SCRIPT",
          "OPTIONS",
          "C:\\OLDVOK\\OPTIONS",
          "C:\\OLDVOK\\SCRIPT"};
}

Earlier with(Earlier e, std::string Earlier::*field, std::string value) {
  e.*field = std::move(value);
  return e;
}

TEST(ReadPathSettings, OptionsFileInKeyedLayout) {
  const std::string long_value(300, 'x');
  struct Case {
    const char* why;
    std::string options;
    Earlier expected;
  } cases[] = {
      {"2.60 is a beta", "VER2.60\n" + keyed_body, keyed(1, "2.60")},
      {"2.99 is a beta", "VER2.99\n" + keyed_body, keyed(1, "2.99")},
      {"3.00 is not", "VER3.00\n" + keyed_body, keyed(0, "3.00")},
      {"2.49 is not (and is still read keyed)", "VER2.49\n" + keyed_body, keyed(0, "2.49")},
      {"the version text is compared on four characters, without case", "VER2.5A Beta\n" + keyed_body,
       keyed(1, "2.5A Beta")},
      {"keys in other letter case", "VER3.00\ndownloadpath=\"c:\\dl\"\nOPTSPATH=\"\\o\"\n",
       with(with(with(defaults_with(1, 0, "3.00"), &Earlier::download, "c:\\dl"), &Earlier::options, "\\o"),
            &Earlier::options_dir, "\\o")},
      {"a value without its closing quote loses its last character",
       "VER3.00\nUploadPath=\"C:\\UPLOADS\nCapturePath=\"C:\\LOG\"\n",
       with(with(defaults_with(1, 0, "3.00"), &Earlier::upload, "C:\\UPLOAD"), &Earlier::capture, "C:\\LOG")},
      {"a last line without a line end is read whole", "VER3.00\nScriptPath=\"C:\\SCR\"",
       with(with(defaults_with(1, 0, "3.00"), &Earlier::script, "C:\\SCR"), &Earlier::script_dir, "C:\\SCR")},
      {"lines too short to hold a value keep their fields; key and quote alone empty it",
       "VER3.00\nDownloadPath=\nUploadPath\nCapturePath=\"\n",
       with(defaults_with(1, 0, "3.00"), &Earlier::capture, "")},
      {"a value too long for a path keeps its field and the next line is still read",
       "VER3.00\nDownloadPath=\"" + long_value + "\"\nUploadPath=\"C:\\UP\"\n",
       with(defaults_with(1, 0, "3.00"), &Earlier::upload, "C:\\UP")},
      {"a file without keys", "VER3.00\n", defaults_with(1, 0, "3.00")},
      {"an empty file", "", defaults_with(1, 0, "")},
  };
  for (const Case& c : cases) {
    TempTree tree;
    tree.write("OPTIONS\\STANDARD.VPA", c.options);
    tree.write("OPTIONS\\VOKPATH.DAT", "VER1.00\nNOT\nTHIS\nONE\n");  // not read when the options file opens
    EarlierInstallation earlier;
    const int result = read_path_settings(earlier, existing, tree.at("OPTIONS\\STANDARD.VPA").c_str(),
                                          tree.at("OPTIONS\\VOKPATH.DAT").c_str());
    EXPECT_EQ(result, 1) << c.why;
    EXPECT_EQ(fields_of(earlier), c.expected) << c.why;
  }
}

// A path file: version line, then the folders on their lines.
std::string path_file(const char* version, bool extra_line) {
  return std::string("VER") + version + "\nC:\\DL\nline 3\nUP\nline 5\nCAP\n" +
         (extra_line ? "line 7\n" : "") + "SCR\nD:\\OPT\nfurther\n";
}

Earlier path_fields(int beta, const char* version) {
  return {1, beta, version, "C:\\DL", "UP", "CAP", "SCR", "D:\\OPT", "D:\\OPT", "C:\\OLDVOK\\SCR"};
}

TEST(ReadPathSettings, PathFileByLineNumbers) {
  struct Case {
    const char* why;
    std::string paths;
    Earlier expected;
  } cases[] = {
      {"1.50 is a beta", path_file("1.50", false), path_fields(1, "1.50")},
      {"2.05 is not", path_file("2.05", false), path_fields(0, "2.05")},
      {"2.07 is a beta", path_file("2.07", false), path_fields(1, "2.07")},
      {"2.10 is not", path_file("2.10", false), path_fields(0, "2.10")},
      {"2.49 has no extra line", path_file("2.49", false), path_fields(0, "2.49")},
      {"2.50 has an extra line before the script folder", path_file("2.50", true), path_fields(0, "2.50")},
      {"the extra line test compares the whole text, with case", path_file("2.5a", true),
       path_fields(0, "2.5a")},
      {"missing lines leave their fields empty",
       "VER2.10\nC:\\DL\nline 3\n",
       {1, 0, "2.10", "C:\\DL", "", "", "", "", "C:\\OLDVOK\\", "C:\\OLDVOK\\"}},
      {"a last line without a line end is read whole",
       "VER2.10\nC:\\DL\n3\nUP\n5\nCAP\nSCR\nOPT",
       {1, 0, "2.10", "C:\\DL", "UP", "CAP", "SCR", "OPT", "C:\\OLDVOK\\OPT", "C:\\OLDVOK\\SCR"}},
      {"a line too long for a path reads as empty and does not shift the others",
       "VER2.10\nC:\\DL\n" + std::string(400, '3') + "\nUP\n5\nCAP\n" + std::string(300, 'S') + "\nOPT\n",
       {1, 0, "2.10", "C:\\DL", "UP", "CAP", "", "OPT", "C:\\OLDVOK\\OPT", "C:\\OLDVOK\\"}},
  };
  for (const Case& c : cases) {
    TempTree tree;
    tree.write("OPTIONS\\VOKPATH.DAT", c.paths);
    EarlierInstallation earlier;
    const int result = read_path_settings(earlier, existing, tree.at("OPTIONS\\STANDARD.VPA").c_str(),
                                          tree.at("OPTIONS\\VOKPATH.DAT").c_str());
    EXPECT_EQ(result, 1) << c.why;
    EXPECT_EQ(fields_of(earlier), c.expected) << c.why;
  }
}

TEST(ReadPathSettings, NeitherFileLeavesTheFoldersButClearsTheFlagsAndVersion) {
  TempTree tree;
  EarlierInstallation earlier;
  earlier.earlier_download = path_literal("KEPT");
  earlier.earlier_options_dir = path_literal("C:\\KEPT\\OPTIONS");
  earlier.earlier_version = {'2', '.', '6', '0'};
  earlier.earlier_found = 1;
  earlier.earlier_is_beta = 1;
  EXPECT_EQ(
      read_path_settings(earlier, existing, tree.at("STANDARD.VPA").c_str(), tree.at("VOKPATH.DAT").c_str()),
      0);
  Earlier expected = defaults_with(0, 0, "");
  expected.download = "KEPT";
  expected.options_dir = "C:\\KEPT\\OPTIONS";
  expected.script_dir = "";
  EXPECT_EQ(fields_of(earlier), expected);
}

// The new installation: the options folder below the destination.
struct Installed {
  TempTree tree;
  InstallSettings settings;
  Installed() {
    copy_path(settings.destination_path, tree.root());
    copy_path(settings.options_path, tree.at("OPTIONS"));
    copy_path(settings.download_path, tree.at("DOWNLOAD"));
    std::string upper = tree.root();
    for (char& c : upper) c = static_cast<char>((c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c);
    copy_path(settings.upload_path, upper);                  // the destination itself, in other letter case
    copy_path(settings.log_path, "Q:\\LOGS");                // another drive
    copy_path(settings.script_path, tree.root() + "2\\IN");  // a sibling, not below the destination
  }
  static void copy_path(PathText& out, const std::string& text) { ASSERT_TRUE(copy_text(out, text.c_str())); }
  [[nodiscard]] std::string sibling() const { return tree.root() + "2\\IN"; }
};

TEST(RewritePathSettings, RewritesThePathEntriesInEitherLayout) {
  const std::string long_line = "Comment=" + std::string(400, 'c');
  struct Case {
    const char* why;
    std::string before;
    std::string after;  // "<sibling>" stands for the script folder, written as it is
  } cases[] = {
      {"keyed, ending with a line end: one empty line is added",
       "VER2.60\n[Setup]\nDownloadPath=\"C:\\OLD\\DL\"\nuploadpath=\"x\"\nCapturePath=\"y\"\nScriptPath="
       "\"z\"\n"
       "OptsPath=\"w\"\nColour=\"7\"\n",
       "VER2.60\n[Setup]\nDownloadPath=\"DOWNLOAD\"\nuploadpath=\"\"\nCapturePath=\"Q:\\LOGS\"\n"
       "ScriptPath=\"<sibling>\"\nOptsPath=\"OPTIONS\"\nColour=\"7\"\n\n"},
      {"keyed, a last line without a line end is copied whole", "VER3.00\nOptsPath=\"w\"\nColour=\"7\"",
       "VER3.00\nOptsPath=\"OPTIONS\"\nColour=\"7\"\n"},
      {"keyed, a value without its closing quote is replaced whole", "VER3.00\nDownloadPath=\"C:\\OLD\n",
       "VER3.00\nDownloadPath=\"DOWNLOAD\"\n\n"},
      {"keyed, lines too short for a value are written as they are",
       "VER3.00\nDownloadPath=\nOptsPath\nUploadPath=\"\n",
       "VER3.00\nDownloadPath=\nOptsPath\nUploadPath=\"\"\n\n"},
      {"keyed, a line longer than the line buffer is copied whole",
       "VER3.00\n" + long_line + "\nOptsPath=\"w\"\n",
       "VER3.00\n" + long_line + "\nOptsPath=\"OPTIONS\"\n\n"},
      {"below 2.50 by line numbers; keyed lines are not recognised",
       "VER2.49\nDownloadPath=\"a\"\nkeep 3\nUP\nkeep 5\nLOG\nSCR\nOPT\nOptsPath=\"b\"\n",
       "VER2.49\nDOWNLOAD\nkeep 3\n\nkeep 5\nQ:\\LOGS\n<sibling>\nOPTIONS\nOptsPath=\"b\"\n\n"},
      {"by line numbers, lines past the end are written empty or replaced", "VER2.05\nDL\n",
       "VER2.05\nDOWNLOAD\n\n\n\nQ:\\LOGS\n<sibling>\nOPTIONS\n"},
      {"by line numbers, a long kept line is copied whole",
       "VER2.05\nDL\n" + long_line + "\nUP\n5\nLOG\nSCR\nOPT",
       "VER2.05\nDOWNLOAD\n" + long_line + "\n\n5\nQ:\\LOGS\n<sibling>\nOPTIONS\n"},
  };
  for (const Case& c : cases) {
    Installed installed;
    installed.tree.write("OPTIONS\\STANDARD.VPA", c.before);
    HookRecorder hooks;
    rewrite_path_settings(installed.settings, "OPTIONS\\STANDARD.VPA");
    std::string expected = c.after;
    if (const auto at = expected.find("<sibling>"); at != std::string::npos) {
      expected.replace(at, 9, installed.sibling());
    }
    EXPECT_EQ(installed.tree.read("OPTIONS\\STANDARD.VPA"), expected) << c.why;
    EXPECT_FALSE(installed.tree.exists("OPTIONS\\STANDARD.TMP")) << c.why;
    EXPECT_EQ(hooks.statuses(), std::vector<StatusMessage>{StatusMessage::paths}) << c.why;
  }
}

TEST(RewritePathSettings, UsesTheFileNameBehindTheFirstBackslashInTheOptionsFolder) {
  Installed installed;
  installed.tree.write("OPTIONS\\OTHER.VPA", "VER3.00\nOptsPath=\"w\"\n");
  installed.tree.write("ELSEWHERE\\OTHER.VPA", "VER3.00\nOptsPath=\"w\"\n");
  rewrite_path_settings(installed.settings, "ELSEWHERE\\OTHER.VPA");
  EXPECT_EQ(installed.tree.read("OPTIONS\\OTHER.VPA"), "VER3.00\nOptsPath=\"OPTIONS\"\n\n");
  EXPECT_EQ(installed.tree.read("ELSEWHERE\\OTHER.VPA"), "VER3.00\nOptsPath=\"w\"\n");
}

TEST(RewritePathSettings, FailuresLeaveTheOptionsFileAsItWas) {
  const std::string original = "VER3.00\nOptsPath=\"w\"\n";
  struct Case {
    const char* why;
    bool read_only_target;
    bool temp_is_directory;
    bool writes_fail;                  // as on a full disk: the partial file must not replace the original
    std::vector<std::string> listing;  // of the options folder afterwards
  } cases[] = {
      {"the final copy fails on a read-only options file", true, false, false, {"STANDARD.VPA"}},
      {"the temporary file cannot be created", false, true, false, {"STANDARD.TMP\\", "STANDARD.VPA"}},
      {"writing the temporary file fails", false, false, true, {"STANDARD.VPA"}},
  };
  for (const Case& c : cases) {
    Installed installed;
    installed.tree.write("OPTIONS\\STANDARD.VPA", original);
    if (c.read_only_target) {
      ASSERT_TRUE(sys::set_read_only(installed.tree.at("OPTIONS\\STANDARD.VPA").c_str(), true));
    }
    if (c.temp_is_directory) installed.tree.make_dir("OPTIONS\\STANDARD.TMP");
    HookRecorder hooks;
    sys::test_fail_text_writes(c.writes_fail);
    rewrite_path_settings(installed.settings, "OPTIONS\\STANDARD.VPA");
    sys::test_fail_text_writes(false);
    EXPECT_EQ(installed.tree.read("OPTIONS\\STANDARD.VPA"), original) << c.why;
    EXPECT_EQ(installed.tree.listing("OPTIONS"), c.listing) << c.why;
    EXPECT_EQ(hooks.statuses(), std::vector<StatusMessage>{StatusMessage::paths}) << c.why;
  }
}

TEST(RewritePathSettings, MissingOptionsFileWritesNothingButShowsTheStatus) {
  Installed installed;
  installed.tree.make_dir("OPTIONS");
  HookRecorder hooks;
  rewrite_path_settings(installed.settings, "OPTIONS\\STANDARD.VPA");
  EXPECT_TRUE(installed.tree.listing("OPTIONS").empty());
  EXPECT_EQ(hooks.statuses(), std::vector<StatusMessage>{StatusMessage::paths});
}

TEST(RewritePathSettings, ANameWithoutBackslashIsReportedAndIgnored) {
  Installed installed;
  installed.tree.write("OPTIONS\\STANDARD.VPA", "VER3.00\nOptsPath=\"w\"\n");
  HookRecorder hooks;
  rewrite_path_settings(installed.settings, "STANDARD.VPA");
  EXPECT_EQ(hooks.assertions(), std::vector<std::string>{"strchr(name, '\\\\') != NULL|imisc|399"});
  EXPECT_TRUE(hooks.statuses().empty());
  EXPECT_EQ(installed.tree.read("OPTIONS\\STANDARD.VPA"), "VER3.00\nOptsPath=\"w\"\n");
}

}  // namespace
