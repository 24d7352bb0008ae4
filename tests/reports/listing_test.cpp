// The archive listing ("-l", "-v"): line formats, totals, member selection,
// and the installer's member_table.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/reports/listing.h"
#include "engine/reports/member_table.h"
#include "support/engine_runner.h"
#include "support/zip_writer.h"

namespace {

using enginetest::RunOutput;
using enginetest::ScratchDir;

TEST(RatioPermille, Table) {
  struct Case {
    std::uint32_t u, c;
    int expect;
  } cases[] = {
      {1000, 465, 535},
      {100, 101, -10},
      {0, 0, 0},
      {0, 50, 0},
      {1, 0, 1000},
      {3, 1, 667},  // 666.7 rounds up
      {3, 2, 333},
      {2000000, 1000000, 500},  // the last size computed exactly
      {2000001, 1000000, 500},  // from here on in thousandths
      {3000000, 4500000, -500},
      {4294967295u, 0, 1000},
      {4294967295u, 4294967295u, 0},
      {4294967295u, 1, 1000},  // no 32-bit wrap near 4 GiB
      {4294967295u, 4294967295u - 4294967u, 1},
      {10, 5000000, -499999000},
      {10, 4294967295u, -2147483647},  // beyond an int: clamped
  };
  for (const Case& c : cases) EXPECT_EQ(ratio_permille(c.u, c.c), c.expect) << "u " << c.u << " c " << c.c;
}

struct Listing {
  ScratchDir dir{"listing"};
  std::unique_ptr<EngineState> state = std::make_unique<EngineState>();
  std::string path;

  explicit Listing(const zipw::Archive& a) : path(dir.file("l.zip")) {
    EXPECT_TRUE(zipw::write_file(path, zipw::build(a)));
  }
  RunOutput run(std::vector<std::string> options, std::vector<std::string> members = {}) {
    std::vector<std::string> args{"unpak"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(path);
    args.insert(args.end(), members.begin(), members.end());
    return enginetest::run(*state, args);
  }
};

zipw::Member member(const std::string& name, std::uint32_t usize, std::uint32_t csize) {
  zipw::Member m;
  m.name = name;
  m.data = std::string(usize, 'd');
  m.method = 8;
  m.raw = std::string(csize, 'c');  // never decoded by the listing
  m.host_made = 3;
  return m;
}

constexpr char verbose_header[] =
    " Length  Method   Size  Ratio   Date    Time   CRC-32     Name (\"^\" ==> case\n"
    " ------  ------   ----  -----   ----    ----   ------     ----   conversion)\n";

// One verbose line per field combination.
TEST(Listing, VerboseLines) {
  struct Case {
    const char* what;
    void (*change)(zipw::Member&);
    std::string line;
  };
  const Case cases[] = {
      {"deflated, normal", [](zipw::Member&) {}, "   1000  Defl:N     465  54%  03-15-97  12:00  %s   m\n"},
      {"deflated, maximum", [](zipw::Member& m) { m.flags = 2; },
       "   1000  Defl:X     465  54%  03-15-97  12:00  %s   m\n"},
      {"deflated, fast", [](zipw::Member& m) { m.flags = 4; },
       "   1000  Defl:F     465  54%  03-15-97  12:00  %s   m\n"},
      {"deflated, superfast", [](zipw::Member& m) { m.flags = 6; },
       "   1000  Defl:S     465  54%  03-15-97  12:00  %s   m\n"},
      {"encrypted: header not counted", [](zipw::Member& m) { m.flags = 1; },
       "   1000  Defl:N     453  55%  03-15-97  12:00  %s   m\n"},
      {"grew",
       [](zipw::Member& m) {
         m.data = std::string(100, 'x');
         m.raw = std::string(101, 'y');
       },
       "    100  Defl:N     101  -1%  03-15-97  12:00  %s   m\n"},
      {"empty",
       [](zipw::Member& m) {
         m.data.clear();
         m.raw = std::string();
         m.method = 0;
       },
       "      0  Stored       0   0%  03-15-97  12:00  00000000   m\n"},
      {"shrunk", [](zipw::Member& m) { m.method = 1; },
       "   1000  Shrunk     465  54%  03-15-97  12:00  %s   m\n"},
      {"reduced 1", [](zipw::Member& m) { m.method = 2; },
       "   1000  Reduce1    465  54%  03-15-97  12:00  %s   m\n"},
      {"reduced 4", [](zipw::Member& m) { m.method = 5; },
       "   1000  Reduce4    465  54%  03-15-97  12:00  %s   m\n"},
      {"imploded", [](zipw::Member& m) { m.method = 6; },
       "   1000  Implode    465  54%  03-15-97  12:00  %s   m\n"},
      {"tokenized", [](zipw::Member& m) { m.method = 7; },
       "   1000  Token      465  54%  03-15-97  12:00  %s   m\n"},
      {"method 9", [](zipw::Member& m) { m.method = 9; },
       "   1000  Unk:009    465  54%  03-15-97  12:00  %s   m\n"},
      {"method 12", [](zipw::Member& m) { m.method = 12; },
       "   1000  Unk:012    465  54%  03-15-97  12:00  %s   m\n"},
      {"first day of 1980",
       [](zipw::Member& m) {
         m.date = zipw::dos_date(1980, 1, 1);
         m.time = zipw::dos_time(0, 0, 0);
       },
       "   1000  Defl:N     465  54%  01-01-80  00:00  %s   m\n"},
      {"year 2000",
       [](zipw::Member& m) {
         m.date = zipw::dos_date(2000, 12, 31);
         m.time = zipw::dos_time(23, 59, 58);
       },
       "   1000  Defl:N     465  54%  12-31-00  23:59  %s   m\n"},
      {"year 2107", [](zipw::Member& m) { m.date = zipw::dos_date(2107, 2, 9); },
       "   1000  Defl:N     465  54%  02-09-07  12:00  %s   m\n"},
      {"FAT name in capitals",
       [](zipw::Member& m) {
         m.name = "DIR/README.TXT";
         m.host_made = 0;
       },
       "   1000  Defl:N     465  54%  03-15-97  12:00  %s  ^dir/readme.txt\n"},
      {"NTFS name in capitals",
       [](zipw::Member& m) {
         m.name = "README.TXT";
         m.host_made = 11;
       },
       "   1000  Defl:N     465  54%  03-15-97  12:00  %s   README.TXT\n"},
      {"volume label",
       [](zipw::Member& m) {
         m.name = "MYVOLUME.LAB";
         m.host_made = 0;
         m.external_attr = 0x08;
       },
       "   1000  Defl:N     465  54%  03-15-97  12:00  %s   MYVOLUMELAB\n"},
      {"large sizes",
       [](zipw::Member& m) {
         m.uncompressed_size = 4000000000u;
         m.compressed_size = 3000000000u;
       },
       "4000000000  Defl:N 3000000000  25%  03-15-97  12:00  %s   m\n"},
  };
  for (const Case& c : cases) {
    zipw::Archive a;
    zipw::Member m = member("m", 1000, 465);
    c.change(m);
    a.members.push_back(m);
    Listing t(a);
    RunOutput r = t.run({"-v"});
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08x", zipw::crc32_of(m.data));
    std::string line = c.line;
    if (auto at = line.find("%s"); at != std::string::npos) line.replace(at, 2, crc);
    EXPECT_EQ(r.result, 0) << c.what << "\n" << r.err;
    std::string lines = r.out.substr(r.out.find(verbose_header) + sizeof verbose_header - 1);
    EXPECT_EQ(lines.substr(0, lines.find('\n') + 1), line) << c.what;
  }
}

TEST(Listing, TotalsAndQuietLevels) {
  zipw::Archive a;
  a.members.push_back(member("one", 1000, 465));
  a.members.push_back(member("two", 100, 101));
  a.members[1].comment = "about two";
  Listing t(a);
  const std::string crc1 = [&] {
    char b[16];
    std::snprintf(b, sizeof b, "%08x", zipw::crc32_of(a.members[0].data));
    return std::string(b);
  }();
  const std::string crc2 = [&] {
    char b[16];
    std::snprintf(b, sizeof b, "%08x", zipw::crc32_of(a.members[1].data));
    return std::string(b);
  }();
  const std::string verbose_lines = "   1000  Defl:N     465  54%  03-15-97  12:00  " + crc1 + "   one\n" +
                                    "    100  Defl:N     101  -1%  03-15-97  12:00  " + crc2 + "   two\n";
  const std::string verbose_totals =
      " ------          ------  ---                              -------\n"
      "   1100             566  49%                              2      \n";

  RunOutput r = t.run({"-v"});
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.out,
            "Archive:  " + t.path + "\n" + verbose_header + verbose_lines + "about two\n" + verbose_totals);
  EXPECT_EQ(member_table.archive_total_size, 1100u);

  r = t.run({"-vq"});  // header and totals stay; the member comment goes
  EXPECT_EQ(r.out, verbose_header + verbose_lines + verbose_totals);

  member_table.archive_total_size = 77;
  r = t.run({"-vqq"});  // neither header nor totals; the total size is left alone
  EXPECT_EQ(r.out, verbose_lines);
  EXPECT_EQ(member_table.archive_total_size, 77u);
  EXPECT_EQ(member_table.member_count, 2u);

  r = t.run({"-lU"});  // no case-conversion note
  EXPECT_EQ(r.out, "Archive:  " + t.path +
                       "\n Length    Date    Time    Name\n ------    ----    ----    ----\n"
                       "   1000  03-15-97  12:00   one\n"
                       "    100  03-15-97  12:00   two\n"
                       "about two\n"
                       " ------                    -------\n"
                       "   1100                    2      \n");
}

TEST(Listing, SelectedMembersOnly) {
  zipw::Archive a;
  for (const char* name : {"DOC/README.TXT", "DOC/LICENSE.TXT", "BIN/VOK.EXE", "BIN/VOK.DLL"}) {
    zipw::Member m = member(name, 10, 5);
    m.host_made = 0;  // FAT: matched in lower case, ignoring case
    m.comment = "c";
    a.members.push_back(m);
  }
  Listing t(a);
  RunOutput r = t.run({"-lqq"}, {"*.TXT", "bin/*", "-x", "*license*"});
  EXPECT_EQ(r.result, 0) << r.err;
  EXPECT_EQ(r.out,
            "     10  03-15-97  12:00  ^doc/readme.txt\n"
            "     10  03-15-97  12:00  ^bin/vok.exe\n"
            "     10  03-15-97  12:00  ^bin/vok.dll\n");
  ASSERT_EQ(member_table.member_count, 3u);
  EXPECT_STREQ(member_table.member_names[0].data(), "doc/readme.txt");
  EXPECT_STREQ(member_table.member_names[2].data(), "bin/vok.dll");

  r = t.run({"-lq"}, {"bin/*"});
  EXPECT_NE(r.out.find("     20                    2"), std::string::npos) << r.out;
  EXPECT_EQ(member_table.archive_total_size, 20u);
}

TEST(MemberTable, Limits) {
  zipw::Archive a;
  for (int i = 0; i < 260; ++i) {
    zipw::Member m;
    m.name = "m" + std::to_string(i);
    m.data = std::string(static_cast<std::size_t>(i), 'x');
    m.host_made = 3;
    if (i == 1) m.name = std::string(200, 'L');
    a.members.push_back(m);
  }
  Listing t(a);
  RunOutput r = t.run({"-vq"});
  EXPECT_EQ(r.result, 0) << r.err;
  // Every member is listed and counted...
  EXPECT_NE(r.out.find("   m259\n"), std::string::npos);
  EXPECT_NE(r.out.find("  33670           33670   0%                              260    \n"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(member_table.archive_total_size, 33670u);
  // ...the first 250 are recorded, a long name cut to fit its entry.
  EXPECT_EQ(member_table.member_count, 250u);
  EXPECT_EQ(member_table.members_not_recorded, 10u);
  EXPECT_STREQ(member_table.member_names[0].data(), "m0");
  EXPECT_EQ(std::string(member_table.member_names[1].data()), std::string(149, 'L'));
  EXPECT_STREQ(member_table.member_names[2].data(), "m2");
  EXPECT_STREQ(member_table.member_names[249].data(), "m249");
  EXPECT_EQ(member_table.member_sizes[249], 249u);
}

}  // namespace
