// The archive loop and reader: end-record search, offset corrections, the
// ".zip" retry, summary lines and the archive-level diagnostics, seen
// through `unpak -l` runs over archives made by the test zip writer.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/archive.h"
#include "platform/sys_file.h"
#include "support/engine_runner.h"
#include "support/zip_writer.h"

namespace {

using enginetest::RunOutput;
using enginetest::ScratchDir;

zipw::Member stored(const std::string& name, const std::string& data) {
  zipw::Member m;
  m.name = name;
  m.data = data;
  m.host_made = 3;  // Unix: names are shown as stored
  return m;
}

zipw::Archive two_members() {
  zipw::Archive a;
  a.members.push_back(stored("alpha.txt", "alpha alpha alpha\n"));
  a.members.push_back(stored("dir/beta.txt", "beta\n"));
  return a;
}

struct ArchiveRun {
  ScratchDir dir{"archive"};
  std::unique_ptr<EngineState> state = std::make_unique<EngineState>();

  std::string put(const std::string& name, const std::string& bytes) {
    std::string path = dir.file(name);
    EXPECT_TRUE(zipw::write_file(path, bytes));
    return path;
  }
  RunOutput unpak(std::vector<std::string> args) {
    args.insert(args.begin(), "unpak");
    return enginetest::run(*state, args);
  }
};

constexpr char short_header[] =
    " Length    Date    Time    Name (\"^\" ==> case\n"
    " ------    ----    ----    ----   conversion)\n";

std::string two_member_lines() {
  return std::string(short_header) +
         "     18  03-15-97  12:00   alpha.txt\n"
         "      5  03-15-97  12:00   dir/beta.txt\n"
         " ------                    -------\n"
         "     23                    2      \n";
}

TEST(ArchiveLoop, ListsAWellFormedArchive) {
  ArchiveRun t;
  std::string path = t.put("a.zip", zipw::build(two_members()));
  RunOutput r = t.unpak({"-l", path});
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.out, "Archive:  " + path + "\n" + two_member_lines());
  EXPECT_EQ(r.err, "");
}

// Offsets that do not add up: the diagnostic, its result, and a listing that
// still finds every member.
TEST(ArchiveLoop, OffsetCorrections) {
  struct Case {
    const char* what;
    void (*make)(zipw::Archive&, std::string& bytes);
    int result;
    std::string err;  // "@" stands for the archive's path
  };
  const Case cases[] = {
      {"prepended bytes",
       [](zipw::Archive& a, std::string& b) {
         a.prefix = std::string(300, 'S');
         b = zipw::build(a);
       },
       1, "warning [@]:  extra 300 bytes at beginning or within zipfile\n  (attempting to process anyway)\n"},
      {"bytes missing at the start",
       [](zipw::Archive& a, std::string& b) {
         a.prefix = std::string(40, 'S');
         a.offsets_include_prefix = true;
         b = zipw::build(a).substr(10);
       },
       2, "error [@]:  missing 10 bytes in zipfile\n  (attempting to process anyway)\n"},
      {"NULL directory offset",
       [](zipw::Archive& a, std::string& b) {
         a.dir_offset = 0;
         b = zipw::build(a);
       },
       2, "error [@]:  NULL central directory offset\n  (attempting to process anyway)\n"},
      {"directory size stated too long",
       [](zipw::Archive& a, std::string& b) {
         zipw::Layout layout;
         b = zipw::build(a, layout);
         zipw::put_le32(b, layout.end_record_offset + 12,
                        static_cast<std::uint32_t>(layout.end_record_offset - layout.directory_offset + 7));
       },
       2,
       "error [@]:  missing 7 bytes in zipfile\n  (attempting to process anyway)\n"
       "error [@]:  reported length of central directory is\n"
       "  7 bytes too long (Atari STZIP zipfile?  R.T.Venn ZIPSPLIT 1.1\n"
       "  zipfile?).  Compensating...\n"},
      {"second disk of a two-part archive",
       [](zipw::Archive& a, std::string& b) {
         a.this_disk = 1;
         a.dir_start_disk = 1;
         b = zipw::build(a);
       },
       1,
       "\n     Warning:  zipfile claims to be second disk of a two-part archive;\n"
       "     attempting to process anyway.  If no further errors occur, this\n"
       "     archive was probably created by PAK v2.51 or earlier.  This bug\n"
       "     was reported to NoGate in March 1991 and was supposed to have been\n"
       "     fixed by mid-1991; as of mid-1992 it still hadn't been.  (If fur-\n"
       "     ther errors do occur, archive was probably created by PKZIP 2.04c\n"
       "     or later; Unpak does not yet support multi-part archives.)\n\n"},
  };
  for (const Case& c : cases) {
    ArchiveRun t;
    zipw::Archive a = two_members();
    a.members[0].comment = "first member's comment";  // skipped fields must land right despite the prefix
    a.members[0].central_extra = std::string("\x55\x54\x05\x00\x01\x00\x00\x00\x00", 9);
    std::string bytes;
    c.make(a, bytes);
    std::string path = t.put("a.zip", bytes);
    RunOutput r = t.unpak({"-l", "-q", path});
    std::string err = c.err;
    for (std::size_t at; (at = err.find('@')) != std::string::npos;) err.replace(at, 1, path);
    std::string summary =
        c.result == 1 ? "\n1 archive had warnings but no fatal errors.\n" : "\n1 archive had fatal errors.\n";
    EXPECT_EQ(r.result, c.result) << c.what;
    EXPECT_EQ(r.err, err + summary) << c.what;
    EXPECT_NE(r.out.find("     18  03-15-97  12:00   alpha.txt\n"), std::string::npos) << c.what << "\n"
                                                                                       << r.out;
    EXPECT_NE(r.out.find("      5  03-15-97  12:00   dir/beta.txt\n"), std::string::npos) << c.what << "\n"
                                                                                          << r.out;
    EXPECT_NE(r.out.find("     23                    2"), std::string::npos) << c.what << "\n" << r.out;
  }
}

TEST(ArchiveLoop, ArchivesThatEndEarly) {
  struct Case {
    const char* what;
    void (*make)(zipw::Archive&, std::string& bytes);
    int result;
    std::string err;
  };
  const Case cases[] = {
      {"empty archive (22 bytes)",
       [](zipw::Archive& a, std::string& b) {
         a.members.clear();
         b = zipw::build(a);
       },
       1, "warning [@]:  zipfile is empty\n\n1 archive had warnings but no fatal errors.\n"},
      {"multi-disk archive",
       [](zipw::Archive& a, std::string& b) {
         a.this_disk = 2;
         a.dir_start_disk = 0;
         b = zipw::build(a);
       },
       11,
       "\nerror [@]:  zipfile is part of multi-disk archive\n  (sorry, not yet supported).\n"
       "\n1 archive had fatal errors.\n"},
      {"directory offset into the data",
       [](zipw::Archive& a, std::string& b) {
         a.dir_offset = 5;
         zipw::Layout layout;
         b = zipw::build(a, layout);
         // The record states offset 5 and the size that puts its end where it is.
         zipw::put_le32(b, layout.end_record_offset + 12,
                        static_cast<std::uint32_t>(layout.end_record_offset - 5));
       },
       3,
       std::string("error [@]:  start of central directory not found;\n  zipfile corrupt.\n") + advice_text +
           "\n1 archive had fatal errors.\n"},
      {"entry count larger than the directory",
       [](zipw::Archive& a, std::string& b) {
         a.entries_total = 3;
         b = zipw::build(a);
       },
       3,
       std::string("error:  expected central file header signature not found (file #2).\n") + advice_text +
           "\n1 archive had fatal errors.\n"},
      {"entry count smaller than the directory",
       [](zipw::Archive& a, std::string& b) {
         a.entries_total = 1;
         b = zipw::build(a);
       },
       1,
       "\nnote:  didn't find end-of-central-dir signature at end of central dir.\n"
       "\n1 archive had warnings but no fatal errors.\n"},
  };
  for (const Case& c : cases) {
    ArchiveRun t;
    zipw::Archive a = two_members();
    std::string bytes;
    c.make(a, bytes);
    std::string path = t.put("a.zip", bytes);
    RunOutput r = t.unpak({"-l", path});
    std::string err = c.err;
    for (std::size_t at; (at = err.find('@')) != std::string::npos;) err.replace(at, 1, path);
    EXPECT_EQ(r.result, c.result) << c.what;
    EXPECT_EQ(r.err, err) << c.what;
  }
}

constexpr char no_end_record[] =
    "  End-of-central-directory signature not found.  Either this file is not\n"
    "  a zipfile, or it constitutes one disk of a multi-part archive.  In the\n"
    "  latter case the central directory and zipfile comment will be found on\n"
    "  the last disk(s) of this archive.\n\n";

TEST(ArchiveLoop, ZipSuffixRetryAndMissingArchives) {
  ArchiveRun t;
  t.put("a.zip", zipw::build(two_members()));
  t.put("plain.txt", "this is not a zip archive, just some text\n");

  // The name without ".zip": the first try is silent.
  RunOutput r = t.unpak({"-l", t.dir.file("a")});
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.out, "Archive:  " + t.dir.file("a.zip") + "\n" + two_member_lines());
  EXPECT_EQ(r.err, "");

  r = t.unpak({"-l", t.dir.file("none")});
  EXPECT_EQ(r.result, 9);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "unpak:  can't find either " + t.dir.file("none") + " or " + t.dir.file("none.zip") +
                       ", so there.\n\nNo zipfiles found.\n");

  r = t.unpak({"-l", t.dir.file("plain.txt")});
  EXPECT_EQ(r.result, 9);
  EXPECT_EQ(r.err, std::string(no_end_record) + "unpak:  can't find zipfile directory in " +
                       t.dir.file("plain.txt") + ",\n        and can't find " + t.dir.file("plain.txt.zip") +
                       ", period.\n\nNo zipfiles found.\n");

  // A directory named like the archive, with the real archive beside it.
  std::filesystem::create_directory(t.dir.file("d"));
  t.put("d.zip", zipw::build(two_members()));
  r = t.unpak({"-l", "-q", t.dir.file("d")});
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, two_member_lines());
}

TEST(ArchiveLoop, WildcardArchiveNamesAndSummary) {
  ArchiveRun t;
  t.put("one.zip", zipw::build(two_members()));
  zipw::Archive empty;
  t.put("two.zip", zipw::build(empty));
  RunOutput r = t.unpak({"-l", t.dir.file("*.zip")});
  EXPECT_EQ(r.result, 1);
  // One blank line between the two archives' output, whichever comes first.
  EXPECT_NE(r.out.find("\nArchive:  "), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("\n\n"), r.out.rfind("\n\n")) << r.out;
  EXPECT_NE(r.out.find("\n\nArchive:  "), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("warning [" + t.dir.file("two.zip") + "]:  zipfile is empty\n"), std::string::npos);
  EXPECT_NE(
      r.err.find("\n1 archive was successfully processed.\n1 archive had warnings but no fatal errors.\n"),
      std::string::npos)
      << r.err;

  // Quiet: no blank line between archives.
  r = t.unpak({"-lq", t.dir.file("*.zip")});
  EXPECT_EQ(r.out.find("\n\n"), std::string::npos) << r.out;
}

TEST(ArchiveLoop, ArchiveComment) {
  ArchiveRun t;
  zipw::Archive a = two_members();
  a.comment = "line one\r\nESC:\x1b end\r\rafter\r";
  std::string path = t.put("c.zip", zipw::build(a));

  RunOutput r = t.unpak({"-l", path});
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.out, "Archive:  " + path + "\nline one\nESC:^[ end\rafter\n" + two_member_lines());

  r = t.unpak({"-z", path});  // the comment only: no listing, no extraction
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.out, "Archive:  " + path + "\nline one\nESC:^[ end\rafter\n");

  r = t.unpak({"-lq", path});  // quiet hides it
  EXPECT_EQ(r.out, two_member_lines());
  r = t.unpak({"-lqz", path});  // unless asked for
  EXPECT_EQ(r.out, "line one\nESC:^[ end\rafter\n");
  r = t.unpak({"-l-z", path});  // negative: never shown
  EXPECT_EQ(r.out, "Archive:  " + path + "\n" + two_member_lines());

  // A comment cut short by the end of the file.
  a.comment = "short";
  a.comment_length = 40;
  path = t.put("cut.zip", zipw::build(a));
  r = t.unpak({"-z", path});
  EXPECT_EQ(r.result, 1);
  EXPECT_NE(r.err.find("\ncaution:  zipfile comment truncated\n"), std::string::npos) << r.err;
}

// End records placed at every position around a block boundary, with tails
// of the file below and above the 18 bytes that the tail scan needs.
TEST(EndRecordSearch, SignatureAtBlockBoundaries) {
  for (int at = 2040; at <= 2050; ++at) {
    for (std::size_t comment : {std::size_t{0}, std::size_t{3}, std::size_t{40}}) {
      ArchiveRun t;
      zipw::Archive a = two_members();
      a.comment = std::string(comment, 'c');
      zipw::Layout layout;
      (void)zipw::build(a, layout);
      a.before_directory = std::string(static_cast<std::size_t>(at) + 2048 - layout.end_record_offset, 'j');
      std::string bytes = zipw::build(a, layout);
      ASSERT_EQ(layout.end_record_offset, static_cast<std::size_t>(at) + 2048);
      std::string path = t.put("b.zip", bytes);
      RunOutput r = t.unpak({"-lq", path});
      EXPECT_EQ(r.result, 0) << "end record at " << at << ", comment " << comment << "\n" << r.err;
      EXPECT_EQ(r.out, two_member_lines()) << "end record at " << at << ", comment " << comment;
    }
  }
}

// The search stops 66000 bytes from the end in extraction mode; the whole
// file is searched for the report.
TEST(EndRecordSearch, SearchLength) {
  ArchiveRun t;
  zipw::Archive a = two_members();
  a.comment = std::string(65535, 'c');
  a.after_end = std::string(3000, 'z');  // the record lies 68557 bytes from the end
  std::string path = t.put("long.zip", zipw::build(a));

  EngineState& s = *t.state;
  s.in.input_buffer = std::make_unique<std::uint8_t[]>(input_block_size + input_spare_size);
  s.out.output_buffer = std::make_unique<std::uint8_t[]>(output_buffer_size);
  std::memcpy(s.archive.end_signature.data(), "PK\x05\x06", 4);
  s.archive.current_archive = path.c_str();
  ASSERT_TRUE(sys::file_status(path.c_str(), s.archive.stat_buffer));
  s.archive.archive_length = s.archive.stat_buffer.size;
  ASSERT_EQ(open_archive(s), 0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(find_end_record(s, end_search_length), 2);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string(no_end_record));
  EXPECT_EQ(find_end_record(s, s.archive.archive_length), 0);
  EXPECT_EQ(s.archive.end.comment_length, 65535);
  EXPECT_EQ(s.archive.end.entries_total, 2);
  EXPECT_EQ(s.archive.end_record_offset + 22 + 65535 + 3000, s.archive.archive_length);
  close_archive(s);

  // Without the junk after it, the same archive (a 64 KiB comment) is found and shown.
  a.after_end.clear();
  path = t.put("long2.zip", zipw::build(a));
  RunOutput r = t.unpak({"-z", path});
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.out, "Archive:  " + path + "\n" + std::string(65535, 'c') + "\n");
}

TEST(MemberNames, LongNamesAndControlCharacters) {
  ArchiveRun t;
  zipw::Archive a;
  a.members.push_back(stored(std::string(300, 'n'), "x"));
  a.members.push_back(stored("tab\there\x1f", "yy"));
  a.members[0].comment = "comment after the long name";
  std::string path = t.put("n.zip", zipw::build(a));
  RunOutput r = t.unpak({"-l", path});
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.err, "warning:  filename too long--truncating.\n[ " + std::string(260, 'n') +
                       " ]\n\n1 archive had warnings but no fatal errors.\n");
  EXPECT_EQ(r.out, "Archive:  " + path + "\n" + short_header + "      1  03-15-97  12:00   " +
                       std::string(260, 'n') +
                       "\ncomment after the long name\n"
                       "      2  03-15-97  12:00   tab^Ihere^_\n"
                       " ------                    -------\n"
                       "      3                    2      \n");
}

// Every prefix of an archive: never a crash or a read outside the buffers
// (the sanitizer build checks that), always a failure result.
TEST(HostileArchives, TruncatedEverywhere) {
  ArchiveRun t;
  zipw::Archive a = two_members();
  a.members[0].comment = "member comment";
  a.members[1].central_extra = std::string(12, 'e');
  a.comment = "archive comment";
  const std::string whole = zipw::build(a);
  for (std::size_t n = 0; n < whole.size(); ++n) {
    std::string path = t.put("t.zip", whole.substr(0, n));
    RunOutput r = t.unpak({"-v", path});
    EXPECT_NE(r.result, 0) << "cut at " << n;
  }
}

}  // namespace
