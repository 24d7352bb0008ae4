// Whole-archive reports: `arcinfo` runs over archives made by the test zip
// writer, compared with the exact text each format prints.
//
// The showcase archive holds one member of every kind the detailed report
// describes differently (OS/2 extended attributes, an unknown extra field, a
// file comment, encryption with a data descriptor, implosion, an unknown
// method and host, Amiga and VMS attributes). The same expected texts are
// checked natively and under Wine, which is how the Windows build is held to
// the same report.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/reports/report.h"
#include "support/engine_runner.h"
#include "support/zip_writer.h"

namespace {

using enginetest::RunOutput;
using enginetest::ScratchDir;

zipw::Member member(const std::string& name, std::uint8_t host, std::uint8_t version,
                    std::uint32_t external) {
  zipw::Member m;
  m.name = name;
  m.host_made = host;
  m.version_made = version;
  m.external_attr = external;
  return m;
}

// Compressed bytes for methods whose data the report never decodes.
std::string filler(std::size_t n) {
  return std::string(n, '\x5a');
}

zipw::Archive showcase() {
  zipw::Archive a;
  a.comment = "Made by the report test.\r\nSecond line.";

  zipw::Member os2 = member("OS2.DAT", 0, 20, 0x21);  // read-only, archive
  os2.data = "os/2 data\n";
  os2.internal_attr = 1;
  os2.central_extra = std::string("\x09\x00\x04\x00\xD2\x04\x00\x00", 8);  // ID 9: 1234 bytes of EAs
  os2.time = zipw::dos_time(14, 7, 32);
  a.members.push_back(os2);

  zipw::Member tool = member("bin/tool", 3, 30, 0104755u << 16);
  tool.version_needed = 10;
  tool.method = 8;
  tool.flags = 2;  // maximum
  tool.data = std::string(300, 'x');
  tool.raw = filler(20);
  tool.central_extra = std::string("UT\x05\x00\x01\x00\x00\x00\x00", 9);  // not one the report knows
  tool.comment = "setuid helper";
  tool.date = zipw::dos_date(2001, 1, 1);
  tool.time = zipw::dos_time(0, 0, 0);
  a.members.push_back(tool);

  zipw::Member secret = member("secret.bin", 11, 63, 0x27);  // rdo hid sys arc
  secret.method = 8;
  secret.flags = 0x0009;  // encrypted, sizes after the data
  secret.data = std::string(40, 's');
  secret.raw = filler(42);
  a.members.push_back(secret);

  zipw::Member imploded = member("OLD.IMP", 0, 10, 0x20);
  imploded.method = 6;
  imploded.flags = 6;  // 8K dictionary, 3 trees
  imploded.data = std::string(1000, 'i');
  imploded.raw = filler(465);
  imploded.version_needed = 10;
  a.members.push_back(imploded);

  zipw::Member odd = member("odd.bin", 19, 45, 0100644u << 16);
  odd.method = 12;
  odd.data = std::string(100, 'o');
  odd.raw = filler(101);
  odd.version_needed = 45;
  odd.host_needed = 3;
  odd.date = zipw::dos_date(1990, 13, 1);  // month 13: no name
  a.members.push_back(odd);

  zipw::Member amiga = member("amiga.prg", 1, 10, 0x040Fu << 16);
  amiga.data = "amiga";
  a.members.push_back(amiga);

  zipw::Member vms = member("VMS.COM", 2, 20, 0x1EDu << 16);
  vms.data = "$ exit\n";
  vms.internal_attr = 1;
  a.members.push_back(vms);
  return a;
}

// Runs arcinfo in a scratch folder over archives written there; the archive
// is named relative to that folder so the texts do not depend on where it is.
struct ReportRun {
  ScratchDir dir{"report"};
  std::unique_ptr<EngineState> state = std::make_unique<EngineState>();

  void put(const std::string& name, const std::string& bytes) {
    ASSERT_TRUE(zipw::write_file(dir.file(name), bytes));
  }
  RunOutput arcinfo(std::vector<std::string> args) {
    args.insert(args.begin(), "arcinfo");
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    RunOutput r = enginetest::run(*state, args);
    std::filesystem::current_path(previous);
    return r;
  }
};

std::string detail_of_showcase();

TEST(ReportArchive, DetailedReport) {
  ReportRun t;
  t.put("show.zip", zipw::build(showcase()));
  RunOutput r = t.arcinfo({"-v", "show.zip"});
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.out, detail_of_showcase());
  EXPECT_EQ(r.err, "");
}

// Checked by hand: offsets are the sums of the records before each member
// (30-byte local header, name, data), the CRCs those of the member data.
std::string detail_of_showcase() {
  return R"(Archive:  show.zip   1382 bytes   7 files

End-of-central-directory record:
-------------------------------

  Actual offset of end-of-central-dir record:        1322 (0000052Ah)
  Expected offset of end-of-central-dir record:      1322 (0000052Ah)
  (based on the length of the central directory and its expected offset)

  This zipfile constitutes the sole disk of a single-part archive; its
  central directory contains 7 entries.  The central directory is 407
  (00000197h) bytes long, and its (expected) offset in bytes from the
  beginning of the zipfile is 915 (00000393h).

  The zipfile comment is 38 bytes long and contains the following text:

======================== zipfile comment begins ==========================
Made by the report test.
Second line.
========================= zipfile comment ends ===========================
)"
         "\f"
         R"(
Central directory entry #0:
---------------------------

  OS2.DAT

  host operating system (created on):               MS-DOS, OS/2 or NT FAT
  version of encoding software:                     2.0
  minimum operating system compatibility required:  MS-DOS, OS/2 or NT FAT
  minimum software version required to extract:     2.0
  compression method:                               none (stored)
  file security status:                             not encrypted
  extended local header:                            no
  file last modified on:                            1997 Mar 15 14:07:32
  32-bit CRC value (hex):                           32ad3bb3
  compressed size:                                  10 bytes
  uncompressed size:                                10 bytes
  length of filename:                               7 characters
  length of extra field:                            8 bytes
  length of file comment:                           0 characters
  disk number on which file begins:                 disk 0
  apparent file type:                               text
  non-MSDOS external file attributes:               000000 hex
  MS-DOS file attributes (21 hex):                  rdo arc
  offset of local header from start of archive:     0 (00000000h) bytes

  This file has 1234 bytes of OS/2 EA's in the local extra field.
  (May not match OS/2 "dir" amount due to storage method.)

  There is no file comment.
)"
         "\f"
         R"(
Central directory entry #1:
---------------------------

  bin/tool

  host operating system (created on):               Unix
  version of encoding software:                     3.0
  minimum operating system compatibility required:  MS-DOS, OS/2 or NT FAT
  minimum software version required to extract:     1.0
  compression method:                               deflated
  compression sub-type (deflation):                 maximum
  file security status:                             not encrypted
  extended local header:                            no
  file last modified on:                            2001 Jan 1 00:00:00
  32-bit CRC value (hex):                           1b432d13
  compressed size:                                  20 bytes
  uncompressed size:                                300 bytes
  length of filename:                               8 characters
  length of extra field:                            9 bytes
  length of file comment:                           13 characters
  disk number on which file begins:                 disk 0
  apparent file type:                               binary
  Unix file attributes (104755 octal):              -rwsr-xr-x
  MS-DOS file attributes (00 hex):                  none
  offset of local header from start of archive:     47 (0000002Fh) bytes

  There is an unknown extra field (skipping).
------------------------- file comment begins ----------------------------
setuid helper
-------------------------- file comment ends -----------------------------
)"
         "\f"
         R"(
Central directory entry #2:
---------------------------

  secret.bin

  host operating system (created on):               NT NTFS
  version of encoding software:                     6.3
  minimum operating system compatibility required:  MS-DOS, OS/2 or NT FAT
  minimum software version required to extract:     2.0
  compression method:                               deflated
  compression sub-type (deflation):                 normal
  file security status:                             encrypted
  extended local header:                            yes
  file last modified on:                            1997 Mar 15 12:00:00
  32-bit CRC value (hex):                           306a7b9a
  compressed size:                                  42 bytes
  uncompressed size:                                40 bytes
  length of filename:                               10 characters
  length of extra field:                            0 bytes
  length of file comment:                           0 characters
  disk number on which file begins:                 disk 0
  apparent file type:                               binary
  non-MSDOS external file attributes:               000000 hex
  MS-DOS file attributes (27 hex):                  rdo hid sys arc
  offset of local header from start of archive:     105 (00000069h) bytes

  There is no file comment.
)"
         "\f"
         R"(
Central directory entry #3:
---------------------------

  OLD.IMP

  host operating system (created on):               MS-DOS, OS/2 or NT FAT
  version of encoding software:                     1.0
  minimum operating system compatibility required:  MS-DOS, OS/2 or NT FAT
  minimum software version required to extract:     1.0
  compression method:                               imploded
  size of sliding dictionary (implosion):           8K
  number of Shannon-Fano trees (implosion):         3
  file security status:                             not encrypted
  extended local header:                            no
  file last modified on:                            1997 Mar 15 12:00:00
  32-bit CRC value (hex):                           45666423
  compressed size:                                  465 bytes
  uncompressed size:                                1000 bytes
  length of filename:                               7 characters
  length of extra field:                            0 bytes
  length of file comment:                           0 characters
  disk number on which file begins:                 disk 0
  apparent file type:                               binary
  non-MSDOS external file attributes:               000000 hex
  MS-DOS file attributes (20 hex):                  arc
  offset of local header from start of archive:     187 (000000BBh) bytes

  There is no file comment.
)"
         "\f"
         R"(
Central directory entry #4:
---------------------------

  odd.bin

  host operating system (created on):               unknown
  version of encoding software:                     4.5
  minimum operating system compatibility required:  Unix
  minimum software version required to extract:     4.5
  compression method:                               unknown (12)
  file security status:                             not encrypted
  extended local header:                            no
  file last modified on:                            1990 ??? 1 12:00:00
  32-bit CRC value (hex):                           1886fd71
  compressed size:                                  101 bytes
  uncompressed size:                                100 bytes
  length of filename:                               7 characters
  length of extra field:                            0 bytes
  length of file comment:                           0 characters
  disk number on which file begins:                 disk 0
  apparent file type:                               binary
  Unix file attributes (100644 octal):              -rw-r--r--
  MS-DOS file attributes (00 hex):                  none
  offset of local header from start of archive:     689 (000002B1h) bytes

  There is no file comment.
)"
         "\f"
         R"(
Central directory entry #5:
---------------------------

  amiga.prg

  host operating system (created on):               Amiga
  version of encoding software:                     1.0
  minimum operating system compatibility required:  MS-DOS, OS/2 or NT FAT
  minimum software version required to extract:     2.0
  compression method:                               none (stored)
  file security status:                             not encrypted
  extended local header:                            no
  file last modified on:                            1997 Mar 15 12:00:00
  32-bit CRC value (hex):                           fc33da3f
  compressed size:                                  5 bytes
  uncompressed size:                                5 bytes
  length of filename:                               9 characters
  length of extra field:                            0 bytes
  length of file comment:                           0 characters
  disk number on which file begins:                 disk 0
  apparent file type:                               binary
  Amiga file attributes (002017 octal):             -----rwed
  MS-DOS file attributes (00 hex):                  none
  offset of local header from start of archive:     827 (0000033Bh) bytes

  There is no file comment.
)"
         "\f"
         R"(
Central directory entry #6:
---------------------------

  VMS.COM

  host operating system (created on):               VAX VMS
  version of encoding software:                     2.0
  minimum operating system compatibility required:  MS-DOS, OS/2 or NT FAT
  minimum software version required to extract:     2.0
  compression method:                               none (stored)
  file security status:                             not encrypted
  extended local header:                            no
  file last modified on:                            1997 Mar 15 12:00:00
  32-bit CRC value (hex):                           b2eb12ca
  compressed size:                                  7 bytes
  uncompressed size:                                7 bytes
  length of filename:                               7 characters
  length of extra field:                            0 bytes
  length of file comment:                           0 characters
  disk number on which file begins:                 disk 0
  apparent file type:                               text
  VMS file attributes (000755 octal):               (RWED,RWED,RE,RE)
  MS-DOS file attributes (00 hex):                  none
  offset of local header from start of archive:     871 (00000367h) bytes

  There is no file comment.

)";
}

const std::string showcase_archive_line = "Archive:  show.zip   1382 bytes   7 files\n";
const std::string showcase_totals = "7 files, 1462 bytes uncompressed, 638 bytes compressed:  56.4%\n";
const std::string showcase_names = "OS2.DAT\nbin/tool\nsecret.bin\nOLD.IMP\nodd.bin\namiga.prg\nVMS.COM\n";
const std::string showcase_comment = "Made by the report test.\nSecond line.\n";

// The 15-character attribute fields, host, size, type and extra letters,
// then (medium) the ratio or (long) the compressed size, method and date.
const std::string showcase_short =
    "-r--a--     2.0 fat      10 tx stor 15-Mar-97 14:07 OS2.DAT\n"
    "-rwsr-xr-x  3.0 unx     300 bx defX  1-Jan-101 00:00 bin/tool\n"
    "-r--ahs     6.3 ntf      40 Bl defN 15-Mar-97 12:00 secret.bin\n"
    "-rw-a--     1.0 fat    1000 b- i8:3 15-Mar-97 12:00 OLD.IMP\n"
    "-rw-r--r--  4.5 ???     100 b- u012  1-?\?\?-90 12:00 odd.bin\n"
    "-----rwed   1.0 ami       5 b- stor 15-Mar-97 12:00 amiga.prg\n"
    "RWED,RE,RE  2.0 vms       7 t- stor 15-Mar-97 12:00 VMS.COM\n";
const std::string showcase_medium =
    "-r--a--     2.0 fat      10 tx  0% stor 15-Mar-97 14:07 OS2.DAT\n"
    "-rwsr-xr-x  3.0 unx     300 bx 93% defX  1-Jan-101 00:00 bin/tool\n"
    "-r--ahs     6.3 ntf      40 Bl 25% defN 15-Mar-97 12:00 secret.bin\n"  // 40 from 42 - 12
    "-rw-a--     1.0 fat    1000 b- 54% i8:3 15-Mar-97 12:00 OLD.IMP\n"
    "-rw-r--r--  4.5 ???     100 b-  0% u012  1-?\?\?-90 12:00 odd.bin\n"  // -1.0% rounds to 0
    "-----rwed   1.0 ami       5 b-  0% stor 15-Mar-97 12:00 amiga.prg\n"
    "RWED,RE,RE  2.0 vms       7 t-  0% stor 15-Mar-97 12:00 VMS.COM\n";
const std::string showcase_long =
    "-r--a--     2.0 fat      10 tx      10 stor 15-Mar-97 14:07 OS2.DAT\n"
    "-rwsr-xr-x  3.0 unx     300 bx      20 defX  1-Jan-101 00:00 bin/tool\n"
    "-r--ahs     6.3 ntf      40 Bl      42 defN 15-Mar-97 12:00 secret.bin\n"
    "-rw-a--     1.0 fat    1000 b-     465 i8:3 15-Mar-97 12:00 OLD.IMP\n"
    "-rw-r--r--  4.5 ???     100 b-     101 u012  1-?\?\?-90 12:00 odd.bin\n"
    "-----rwed   1.0 ami       5 b-       5 stor 15-Mar-97 12:00 amiga.prg\n"
    "RWED,RE,RE  2.0 vms       7 t-       7 stor 15-Mar-97 12:00 VMS.COM\n";

std::string joined(const std::vector<std::string>& args) {
  std::string text;
  for (const std::string& a : args) text += a + " ";
  return text;
}

TEST(ReportArchive, FormatsOverOneArchive) {
  struct Case {
    std::vector<std::string> args;
    std::string out;
  } cases[] = {
      {{"show.zip"}, showcase_archive_line + showcase_short + showcase_totals},
      {{"-s", "show.zip"}, showcase_archive_line + showcase_short + showcase_totals},
      {{"-m", "show.zip"}, showcase_archive_line + showcase_medium + showcase_totals},
      {{"-l", "show.zip"}, showcase_archive_line + showcase_long + showcase_totals},
      {{"-s-h", "show.zip"}, showcase_short + showcase_totals},
      {{"-1", "show.zip"}, showcase_names},
      {{"-1htz", "show.zip"}, showcase_names},
      {{"-2", "show.zip"}, showcase_names},
      {{"-2htz", "show.zip"}, showcase_archive_line + showcase_comment + showcase_names + showcase_totals},
      {{"-h", "show.zip"}, showcase_archive_line},
      {{"-t", "show.zip"}, showcase_totals},
      {{"-z", "show.zip"}, showcase_archive_line + showcase_comment + showcase_short + showcase_totals},
      // Member patterns: only the selected members, no lines not asked for.
      {{"-s", "show.zip", "*.IMP", "bin/*"},
       "-rwsr-xr-x  3.0 unx     300 bx defX  1-Jan-101 00:00 bin/tool\n"
       "-rw-a--     1.0 fat    1000 b- i8:3 15-Mar-97 12:00 OLD.IMP\n"},
      {{"-sht", "show.zip", "*.IMP"},
       showcase_archive_line + "-rw-a--     1.0 fat    1000 b- i8:3 15-Mar-97 12:00 OLD.IMP\n" +
           "1 file, 1000 bytes uncompressed, 465 bytes compressed:  53.5%\n"},
      {{"-vt-h", "show.zip", "amiga.prg"}, std::string()},  // filled below: a detailed entry and totals
  };
  for (auto& c : cases) {
    ReportRun t;
    t.put("show.zip", zipw::build(showcase()));
    RunOutput r = t.arcinfo(c.args);
    EXPECT_EQ(r.result, 0) << joined(c.args);
    EXPECT_EQ(r.err, "") << joined(c.args);
    if (c.out.empty()) {
      // A selected member keeps its position number; the totals count it alone.
      EXPECT_NE(r.out.find("\f\nCentral directory entry #5:\n"), std::string::npos) << r.out;
      EXPECT_EQ(r.out.find("entry #0:"), std::string::npos) << r.out;
      EXPECT_NE(r.out.find("\n1 file, 5 bytes uncompressed, 5 bytes compressed:  0.0%\n\n"),
                std::string::npos)
          << r.out;
      EXPECT_EQ(r.out.find("Archive:"), std::string::npos) << r.out;
      continue;
    }
    EXPECT_EQ(r.out, c.out) << joined(c.args);
  }
}

// The archive line's two forms: with words below 39 characters of name,
// plain numbers from 39 on.
TEST(ReportArchive, ArchiveLineForms) {
  zipw::Archive a;
  a.members.push_back(member("only", 3, 30, 0100644u << 16));
  const std::string bytes = zipw::build(a);
  const std::string size = std::to_string(bytes.size());
  const std::string short_name = std::string(34, 'n') + ".zip";  // 38 characters
  const std::string long_name = std::string(35, 'n') + ".zip";   // 39 characters
  ReportRun t;
  t.put(short_name, bytes);
  t.put(long_name, bytes);
  EXPECT_EQ(t.arcinfo({"-h", short_name}).out,
            "Archive:  " + short_name + "   " + size + " bytes   1 file\n");
  EXPECT_EQ(t.arcinfo({"-h", long_name}).out, "Archive:  " + long_name + "   " + size + "   1\n");
}

TEST(ReportArchive, TotalsLine) {
  struct Case {
    unsigned count;
    std::uint32_t uncompressed, compressed;
    const char* line;
  } cases[] = {
      {2, 4000, 1500, "2 files, 4000 bytes uncompressed, 1500 bytes compressed:  62.5%\n"},
      {1, 100, 101, "1 file, 100 bytes uncompressed, 101 bytes compressed:  -1.0%\n"},
      {0, 0, 0, "0 files, 0 bytes uncompressed, 0 bytes compressed:  0.0%\n"},
      {3, 3000000, 1000000, "3 files, 3000000 bytes uncompressed, 1000000 bytes compressed:  66.7%\n"},
      {1, 10, 40, "1 file, 10 bytes uncompressed, 40 bytes compressed:  -300.0%\n"},
  };
  for (const auto& c : cases) {
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    print_report_totals(c.count, c.uncompressed, c.compressed);
    std::fflush(stdout);
    EXPECT_EQ(enginetest::unix_lines(testing::internal::GetCapturedStdout()), c.line);
  }
}

// The end-record section for one disk and for one part of several; offsets
// that disagree are shown as they are.
TEST(ReportHeader, EndRecordSection) {
  struct Case {
    EndRecord end;
    std::int64_t actual, expected;
    const char* text;
  } cases[] = {
      {{0, 0, 1, 1, 46 + 5, 40, 0},
       91,
       91,
       "\nEnd-of-central-directory record:\n"
       "-------------------------------\n\n"
       "  Actual offset of end-of-central-dir record:          91 (0000005Bh)\n"
       "  Expected offset of end-of-central-dir record:        91 (0000005Bh)\n"
       "  (based on the length of the central directory and its expected offset)\n\n"
       "  This zipfile constitutes the sole disk of a single-part archive; its\n"
       "  central directory contains 1 entry.  The central directory is 51\n"
       "  (00000033h) bytes long, and its (expected) offset in bytes from the\n"
       "  beginning of the zipfile is 40 (00000028h).\n\n"
       "  There is no zipfile comment.\n"},
      {{2, 0, 1, 3, 300, 123456789, 0},
       1000,
       123457089,
       "\nEnd-of-central-directory record:\n"
       "-------------------------------\n\n"
       "  Actual offset of end-of-central-dir record:        1000 (000003E8h)\n"
       "  Expected offset of end-of-central-dir record: 123457089 (075BCE41h)\n"
       "  (based on the length of the central directory and its expected offset)\n\n"
       "  This zipfile constitutes disk 2 of a multi-part archive.  The central\n"
       "  directory starts on disk 0; 1 of its entries is contained within\n"
       "  this zipfile, out of a total of 3 entries.  The entire central\n"
       "  directory is 300 (0000012Ch) bytes long, and its offset in bytes from\n"
       "  the beginning of the zipfile in which it begins is 123456789 (075BCD15h).\n\n"
       "  There is no zipfile comment.\n"},
      {{1, 1, 2, 1, 92, 0, 0},
       92,
       92,
       "\nEnd-of-central-directory record:\n"
       "-------------------------------\n\n"
       "  Actual offset of end-of-central-dir record:          92 (0000005Ch)\n"
       "  Expected offset of end-of-central-dir record:        92 (0000005Ch)\n"
       "  (based on the length of the central directory and its expected offset)\n\n"
       "  This zipfile constitutes disk 1 of a multi-part archive.  The central\n"
       "  directory starts on disk 1; 2 of its entries are contained within\n"
       "  this zipfile, out of a total of 1 entry.  The entire central\n"
       "  directory is 92 (0000005Ch) bytes long, and its offset in bytes from\n"
       "  the beginning of the zipfile in which it begins is 0 (00000000h).\n\n"
       "  There is no zipfile comment.\n"},
  };
  for (const auto& c : cases) {
    auto s = std::make_unique<EngineState>();
    s->opt.report_format = 10;
    s->archive.current_archive = "x.zip";
    s->archive.end = c.end;
    s->archive.end_record_offset = c.actual;
    s->archive.expected_end_offset = c.expected;
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    const int result = report_header(*s);
    std::fflush(stdout);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(enginetest::unix_lines(testing::internal::GetCapturedStdout()), c.text)
        << "disk " << c.end.this_disk;
  }
}

// Whole runs over archives that are parts of a multi-disk set or empty: the
// archive loop's report-mode messages around the header.
TEST(ReportArchive, MultiDiskAndEmpty) {
  zipw::Archive part_with_directory;
  part_with_directory.members.push_back(member("a", 3, 30, 0100644u << 16));
  part_with_directory.this_disk = 1;
  part_with_directory.dir_start_disk = 1;
  zipw::Archive part_without = part_with_directory;
  part_without.dir_start_disk = 0;
  zipw::Archive empty;

  ReportRun t;
  t.put("with.zip", zipw::build(part_with_directory));
  t.put("without.zip", zipw::build(part_without));
  t.put("empty.zip", zipw::build(empty));

  RunOutput r = t.arcinfo({"-v", "with.zip"});
  EXPECT_EQ(r.result, 0);
  EXPECT_NE(r.out.find("  This zipfile constitutes disk 1 of a multi-part archive.  The central\n"
                       "  directory starts on disk 1; 1 of its entries is contained within\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("\f\nCentral directory entry #0:\n"), std::string::npos) << r.out;

  r = t.arcinfo({"-s", "without.zip"});
  EXPECT_EQ(r.result, unsupported_archive);
  EXPECT_EQ(r.out, "Archive:  without.zip   " + std::to_string(zipw::build(part_without).size()) +
                       " bytes   1 file\n");
  EXPECT_EQ(r.err,
            "\n     Zipfile is part of a multi-disk archive, and this is not the disk on\n"
            "     which the central zipfile directory begins.\n"
            "\n1 archive had fatal errors.\n");

  r = t.arcinfo({"-s", "empty.zip"});
  EXPECT_EQ(r.result, warning);
  EXPECT_EQ(r.out, "Archive:  empty.zip   22 bytes   0 files\nEmpty zipfile.\n");
  r = t.arcinfo({"-v", "empty.zip"});
  EXPECT_EQ(r.result, warning);
  EXPECT_NE(r.out.find("  There is no zipfile comment.\n\n  Empty zipfile.\n"), std::string::npos) << r.out;
}

// Report patterns match names exactly as stored, even from FAT, whose names
// the listing and extraction match without regard to case. Every pattern and
// exclusion that matches some member is spared its caution.
TEST(ReportArchive, PatternsMatchCaseSensitively) {
  zipw::Archive a;
  for (const char* name : {"README.TXT", "readme.txt", "Readme.Txt", "NOTES.DOC"})
    a.members.push_back(member(name, 0, 20, 0x20));
  struct Case {
    std::vector<std::string> args;
    std::string out, err;
  } cases[] = {
      {{"-1", "fat.zip", "README.TXT"}, "README.TXT\n", ""},
      {{"-1", "fat.zip", "readme.*"}, "readme.txt\n", ""},
      {{"-1", "fat.zip", "[Rr]*"}, "README.TXT\nreadme.txt\nReadme.Txt\n", ""},
      {{"-1", "fat.zip", "-x", "R*"}, "readme.txt\nNOTES.DOC\n", ""},
      {{"-1", "fat.zip", "notes.doc", "NOTES.DOC", "-x", "*.txt", "*.zip"},
       "NOTES.DOC\n",
       "caution: filename not matched:  notes.doc\n"
       "caution: excluded filename not matched:  *.zip\n"},
  };
  for (auto& c : cases) {
    ReportRun t;
    t.put("fat.zip", zipw::build(a));
    RunOutput r = t.arcinfo(c.args);
    EXPECT_EQ(r.result, 0) << joined(c.args);
    EXPECT_EQ(r.out, c.out) << joined(c.args);
    EXPECT_EQ(r.err, c.err) << joined(c.args);
  }
}

// A volume label's name loses the '.' that split it into 8.3 form; whether a
// member is a label depends on its own host, never on the member before it.
TEST(ReportArchive, VolumeLabelFollowsMembersOwnHost) {
  zipw::Archive a;
  a.members.push_back(member("ABCDEFGH.IJK", 3, 30, 0x08));  // Unix: bit 3 means nothing
  a.members.push_back(member("VOLUMENA.ME", 0, 20, 0x08));   // FAT label
  a.members.push_back(member("ABCDEFGH.XYZ", 3, 30, 0x08));  // Unix again, after a FAT label
  a.members.push_back(member("LABELLAB.EL", 11, 20, 0x08));  // NTFS label
  a.members.push_back(member("NOTALABE.L", 0, 20, 0x20));    // FAT, not a label
  ReportRun t;
  t.put("labels.zip", zipw::build(a));
  RunOutput r = t.arcinfo({"-1", "labels.zip"});
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.out, "ABCDEFGH.IJK\nVOLUMENAME\nABCDEFGH.XYZ\nLABELLABEL\nNOTALABE.L\n");
}

// Type and extra letters of the one-line entry: encryption and text, and the
// data descriptor with or without an extra field.
TEST(ReportArchive, TypeAndExtraLetters) {
  struct Case {
    std::uint16_t flags, internal;
    const char* extra;
    const char* letters;
  } cases[] = {
      {0x0000, 0, "", "b-"},
      {0x0000, 1, "", "t-"},
      {0x0001, 0, "", "B-"},
      {0x0001, 1, "", "T-"},
      {0x0000, 0, "ab\x01\x00z", "bx"},
      {0x0008, 0, "", "bl"},
      {0x0008, 1, "ab\x01\x00z", "tX"},
  };
  for (const auto& c : cases) {
    zipw::Archive a;
    zipw::Member m = member("f", 3, 30, 0100644u << 16);
    m.flags = c.flags;
    m.internal_attr = c.internal;
    m.data = std::string(20, 'd');
    m.central_extra = std::string(c.extra, c.extra[0] ? 5 : 0);
    a.members.push_back(m);
    ReportRun t;
    t.put("l.zip", zipw::build(a));
    RunOutput r = t.arcinfo({"-s-h-t", "l.zip"});
    EXPECT_EQ(r.out.substr(0, 35), std::string("-rw-r--r--  3.0 unx      20 ") + c.letters + " stor")
        << "flags " << c.flags << " internal " << c.internal;
  }
}

// Damaged directories: the message, the result, and what was reported before.
TEST(ReportArchive, DamagedDirectories) {
  const std::string fatal = "\n1 archive had fatal errors.\n";  // the run's summary
  const std::string warned = "\n1 archive had warnings but no fatal errors.\n";
  struct Case {
    const char* what;
    std::function<void(zipw::Archive&)> before;
    std::function<void(std::string&, const zipw::Layout&)> after;
    int result;
    std::string out, err;
  } cases[] = {
      {"second central signature broken", nullptr,
       [](std::string& b, const zipw::Layout& l) { b[l.central_offsets[1] + 2] = 'X'; }, corrupt_archive,
       "one\n", "error:  expected central file header signature not found (file #1).\n" + fatal},
      {"end record counts one entry too few", [](zipw::Archive& a) { a.entries_total = 1; }, nullptr, warning,
       "one\n", "\nnote:  didn't find end-of-central-dir signature at end of central dir.\n" + warned},
      {"end record counts one entry too many", [](zipw::Archive& a) { a.entries_total = 3; }, nullptr,
       corrupt_archive, "one\ntwo\n",
       "error:  expected central file header signature not found (file #2).\n" + fatal},
  };
  for (auto& c : cases) {
    zipw::Archive a;
    a.members.push_back(member("one", 3, 30, 0100644u << 16));
    a.members.push_back(member("two", 3, 30, 0100644u << 16));
    if (c.before) c.before(a);
    zipw::Layout layout;
    std::string bytes = zipw::build(a, layout);
    if (c.after) c.after(bytes, layout);
    ReportRun t;
    t.put("bad.zip", bytes);
    RunOutput r = t.arcinfo({"-1", "bad.zip"});
    EXPECT_EQ(r.result, c.result) << c.what;
    EXPECT_EQ(r.out, c.out) << c.what;
    EXPECT_EQ(r.err, c.err) << c.what;
  }
}

// A directory that ends inside a member's name: the name is taken as far as
// the file goes, and the missing end signature is an unexpected end.
TEST(ReportArchive, DirectoryEndsInsideAName) {
  zipw::Archive a;
  a.members.push_back(member("one", 3, 30, 0100644u << 16));
  a.members.push_back(member("two", 3, 30, 0100644u << 16));
  a.members[1].name_length = 200;  // the file ends 25 bytes later
  ReportRun t;
  t.put("cut.zip", zipw::build(a));
  RunOutput r = t.arcinfo({"-1", "cut.zip"});
  EXPECT_EQ(r.result, unexpected_end) << r.err;
  EXPECT_EQ(r.out.substr(0, 7), "one\ntwo") << r.out;
}

// A stated comment length beyond the end of the file: the comment is shown as
// far as it goes, with the notice, and the members are still reported.
TEST(ReportArchive, TruncatedArchiveComment) {
  zipw::Archive a;
  a.members.push_back(member("one", 3, 30, 0100644u << 16));
  a.comment = "short";
  a.comment_length = 50;
  ReportRun t;
  t.put("c.zip", zipw::build(a));

  RunOutput r = t.arcinfo({"-1z", "c.zip"});
  EXPECT_EQ(r.result, 0) << "-1 shows no comment";
  EXPECT_EQ(r.out, "one\n");

  r = t.arcinfo({"-2z", "c.zip"});
  EXPECT_EQ(r.result, warning);
  EXPECT_EQ(r.out, "shortone\n");
  EXPECT_EQ(r.err, "\ncaution:  zipfile comment truncated\n\n1 archive had warnings but no fatal errors.\n");

  r = t.arcinfo({"-v", "c.zip"});
  EXPECT_EQ(r.result, warning);
  EXPECT_NE(r.out.find("  The zipfile comment is 50 bytes long and contains the following text:\n\n"
                       "======================== zipfile comment begins ==========================\n"
                       "short"
                       "========================= zipfile comment ends ===========================\n"
                       "\n  The zipfile comment is truncated.\n"
                       "\f\nCentral directory entry #0:\n"),
            std::string::npos)
      << r.out;
}

// Report mode by program name, with either path separator (Windows passes
// argument 0 with backslashes), or by -Z in front of the options.
TEST(ReportArchive, ChosenByProgramName) {
  zipw::Archive a;
  a.members.push_back(member("only", 3, 30, 0100644u << 16));
  const std::string bytes = zipw::build(a);
  const std::string archive_line = "Archive:  x.zip   " + std::to_string(bytes.size()) + " bytes   1 file\n";
  struct Case {
    std::vector<std::string> args;
    bool report;
  } cases[] = {
      {{"arcinfo", "-h", "x.zip"}, true},
      {{"/usr/local/bin/ARCINFO", "-h", "x.zip"}, true},
      {{"C:\\TOOLS\\ArcInfo.exe", "-h", "x.zip"}, true},
      {{"ii", "-h", "x.zip"}, true},
      {{"C:\\bin\\unpak.exe", "-Z", "-h", "x.zip"}, true},
      {{"C:\\arcinfo\\unpak.exe", "-h", "x.zip"}, false},
  };
  for (auto& c : cases) {
    ReportRun t;
    t.put("x.zip", bytes);
    const std::string program = c.args[0];
    c.args.erase(c.args.begin());
    c.args.insert(c.args.begin(), program);
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(t.dir.path());
    RunOutput r = enginetest::run(*t.state, c.args);
    std::filesystem::current_path(previous);
    if (c.report) {
      EXPECT_EQ(r.result, 0) << program;
      EXPECT_EQ(r.out, archive_line) << program;
    } else {
      EXPECT_EQ(r.result, bad_options) << program << ": -h is no extraction option";
    }
  }
}

}  // namespace
