// The report's texts: attribute strings, the one-line attribute field, dates,
// method labels and the OS/2 extended attribute size.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "engine/reports/report_format.h"

namespace {

TEST(ReportAttributes, UnixModes) {
  struct Case {
    unsigned mode;
    const char* text;
  } cases[] = {
      {0100755, "-rwxr-xr-x"}, {0104755, "-rwsr-xr-x"}, {040755, "drwxr-xr-x"}, {0104644, "-rwSr--r--"},
      {0102755, "-rwxr-sr-x"}, {0102644, "-rw-r-Sr--"}, {041777, "drwxrwxrwt"}, {041776, "drwxrwxrwT"},
      {0107777, "-rwsrwsrwt"}, {0120777, "lrwxrwxrwx"}, {060660, "brw-rw----"}, {020620, "crw--w----"},
      {010644, "prw-r--r--"},  {0140755, "srwxr-xr-x"}, {0, "?---------"},      {0170000, "?---------"},
  };
  for (const auto& c : cases) {
    UnixAttributeText out;
    unix_attribute_string(c.mode, out);
    EXPECT_STREQ(out.data(), c.text) << "mode 0" << std::oct << c.mode;
  }
}

TEST(ReportAttributes, AmigaBits) {
  struct Case {
    unsigned m;
    const char* text;
  } cases[] = {
      {0x08FF, "dhsparwed"}, {0x040F, "-----rwed"}, {0x0480, "-h-------"},
      {0x0401, "--------d"}, {0x0000, "?--------"}, {0x0CFF, "?hsparwed"},
  };
  for (const auto& c : cases) {
    AmigaAttributeText out;
    amiga_attribute_string(c.m, out);
    EXPECT_STREQ(out.data(), c.text) << "m 0x" << std::hex << c.m;
  }
}

TEST(ReportAttributes, VmsGroups) {
  struct Case {
    unsigned m;
    const char *g1, *g2, *g3;
  } cases[] = {
      {0x1FF, "RWED", "RWED", "RWED"}, {0x000, "", "", ""}, {0x141, "RE", "", "E"},  // 101 000 001
      {0x092, "WD", "WD", "WD"},  // 010 010 010: D shares W's bit
      {0x124, "R", "R", "R"},
  };
  for (const auto& c : cases) {
    std::array<VmsGroupText, 3> g;
    vms_attribute_groups(c.m, g);
    EXPECT_STREQ(g[0].data(), c.g1) << "m 0x" << std::hex << c.m;
    EXPECT_STREQ(g[1].data(), c.g2) << "m 0x" << std::hex << c.m;
    EXPECT_STREQ(g[2].data(), c.g3) << "m 0x" << std::hex << c.m;
  }
}

TEST(ReportAttributes, ProgramExtensions) {
  struct Case {
    const char* name;
    bool program;
  } cases[] = {
      {"SETUP.EXE", true},   {"setup.Bat", true},  {"run.cmd", true},    {"x.btm", true},
      {"command.com", true}, {"a.comx", true},     {"a.co", false},      {"README", false},
      {"a.txt", false},      {"exe", false},       {"a.exe.txt", false}, {"TOOLS.EXE/README", false},
      {"bin/go.exe", true},  {"trailing.", false},
  };
  for (const auto& c : cases) EXPECT_EQ(has_program_extension(c.name), c.program) << c.name;
}

CentralHeader header_for(unsigned host, unsigned version, std::uint32_t external) {
  CentralHeader h;
  h.host_made = static_cast<std::uint8_t>(host);
  h.version_made = static_cast<std::uint8_t>(version);
  h.external_attr = external;
  return h;
}

TEST(ReportAttributes, OneLineField) {
  struct Case {
    unsigned host, version;
    std::uint32_t external;
    const char* name;
    const char* field;
  } cases[] = {
      // MS-DOS family: seven attribute characters, the version at 12.
      {0, 20, 0x21, "SETUP.EXE", "-r-xa--     2.0"},
      {0, 20, 0x20, "README.TXT", "-rw-a--     2.0"},
      {0, 20, 0x08, "LABEL", "Vrw----     2.0"},
      {0, 20, 0x28, "LABEL.EXE", "Vrw-a--     2.0"},  // a volume label is never a program
      {0, 20, 0x10, "DIR/", "drw----     2.0"},
      {0, 20, 0x07, "IO.SYS", "-r---hs     2.0"},
      {6, 11, 0x20, "A.CMD", "-rwxa--     1.1"},
      {11, 63, 0x20, "b.exe", "-rwxa--     6.3"},
      // Unix family, and every host without its own attributes.
      {3, 30, 0100755u << 16, "run", "-rwxr-xr-x  3.0"},
      {3, 30, 040755u << 16, "dir/", "drwxr-xr-x  3.0"},
      {7, 20, 0100644u << 16, "mac", "-rw-r--r--  2.0"},
      {200, 20, 0100644u << 16, "odd", "-rw-r--r--  2.0"},
      // Amiga.
      {1, 10, 0x040Fu << 16, "amiga", "-----rwed   1.0"},
      // VMS: groups each followed by a comma, the last comma a blank; the
      // version only when the groups leave room before 12.
      {2, 20, 0x141u << 16, "vms", "RE,,E       2.0"},
      {2, 20, 0x1FFu << 16, "vms", "RWED,RWED,RWED "},
      {2, 20, 0x1F9u << 16, "vms", "RWED,RWED,E 2.0"},  // blank at 11: version fits
      {2, 20, 0x1FDu << 16, "vms", "RWED,RWED,RE   "},  // blank at 12: no version
      {2, 20, 0x1E0u << 16, "vms", "RWED,R,     2.0"},
      // A format version byte of 100 or more is cut to the field.
      {3, 100, 0100644u << 16, "big", "-rw-r--r--  10."},
      {0, 255, 0x20, "BIG", "-rw-a--     25."},
  };
  for (const auto& c : cases) {
    AttributeField field;
    build_attribute_field(header_for(c.host, c.version, c.external), c.name, field);
    EXPECT_STREQ(field.data(), c.field) << "host " << c.host << " version " << c.version << " external 0x"
                                        << std::hex << c.external << " name " << c.name;
    EXPECT_EQ(std::string(field.data()).size(), report_field_width);
  }
}

TEST(ReportDates, BothForms) {
  auto s = std::make_unique<ReportState>();
  auto date = [](unsigned year, unsigned month, unsigned day) {
    return ((year - 1980) << 9) | (month << 5) | day;
  };
  auto time = [](unsigned h, unsigned m, unsigned sec) { return (h << 11) | (m << 5) | (sec / 2); };
  struct Case {
    unsigned d, t;
    const char *short_form, *long_form;
  } cases[] = {
      {date(1997, 3, 15), time(14, 7, 32), "15-Mar-97 14:07", "1997 Mar 15 14:07:32"},
      {date(2001, 1, 1), time(0, 0, 0), " 1-Jan-101 00:00", "2001 Jan 1 00:00:00"},
      {date(1980, 12, 31), time(23, 59, 58), "31-Dec-80 23:59", "1980 Dec 31 23:59:58"},
      {date(2107, 6, 9), time(9, 5, 2), " 9-Jun-207 09:05", "2107 Jun 9 09:05:02"},
      // Month fields outside 1..12 name no month.
      {date(1990, 0, 1), 0, " 1-?\?\?-90 00:00", "1990 ??? 1 00:00:00"},
      {date(1990, 13, 1), 0, " 1-?\?\?-90 00:00", "1990 ??? 1 00:00:00"},
      {date(1990, 15, 1), 0, " 1-?\?\?-90 00:00", "1990 ??? 1 00:00:00"},
      // Fields at their bit limits: no overflow of the text.
      {0xFFFF, 0xFFFF, "31-?\?\?-207 31:63", "2107 ??? 31 31:63:62"},
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(format_date_text(*s, c.d, c.t, false), c.short_form) << "date 0x" << std::hex << c.d;
    EXPECT_STREQ(format_date_text(*s, c.d, c.t, true), c.long_form) << "date 0x" << std::hex << c.d;
  }
}

TEST(ReportDates, MemberDateFollowsFormat) {
  auto s = std::make_unique<EngineState>();
  s->member.central.date = static_cast<std::uint16_t>((17u << 9) | (3u << 5) | 15u);
  s->member.central.time = static_cast<std::uint16_t>((14u << 11) | (7u << 5) | 16u);
  for (int format : {3, 4, 5}) {
    s->opt.report_format = format;
    EXPECT_STREQ(format_member_date(*s), "15-Mar-97 14:07") << "format " << format;
  }
  s->opt.report_format = 10;
  EXPECT_STREQ(format_member_date(*s), "1997 Mar 15 14:07:32");
}

TEST(ReportMethods, LongAndShortLabels) {
  auto s = std::make_unique<ReportState>();
  struct Case {
    unsigned method, flags;
    const char *short_label, *long_name;
  } cases[] = {
      {0, 0, "stor", "none (stored)"},
      {1, 0, "shrk", "shrunk"},
      {2, 0, "re:1", "reduced (factor 1)"},
      {3, 0, "re:2", "reduced (factor 2)"},
      {4, 0, "re:3", "reduced (factor 3)"},
      {5, 0, "re:4", "reduced (factor 4)"},
      {6, 0, "i4:2", "imploded"},
      {6, 6, "i8:3", "imploded"},
      {6, 2, "i8:2", "imploded"},
      {6, 4, "i4:3", "imploded"},
      {6, 1, "i4:2", "imploded"},
      {7, 0, "tokn", "tokenized"},
      {8, 0, "defN", "deflated"},
      {8, 2, "defX", "deflated"},
      {8, 4, "defF", "deflated"},
      {8, 6, "defS", "deflated"},
      {8, 9, "defN", "deflated"},
      {9, 0, "u009", "unknown (9)"},
      {12, 0, "u012", "unknown (12)"},
      {99, 0, "u099", "unknown (99)"},
      {65535, 0, "u65535", "unknown (65535)"},
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(method_short_label(*s, c.method, c.flags), c.short_label)
        << "method " << c.method << " flags " << c.flags;
    EXPECT_STREQ(method_long_name(*s, c.method), c.long_name) << "method " << c.method;
  }
  const char* words[] = {"normal", "maximum", "fast", "superfast"};
  for (unsigned sub = 0; sub < 4; ++sub) EXPECT_STREQ(deflate_subtype_name(sub << 1), words[sub]);
}

TEST(ReportHosts, IndexAndNames) {
  EXPECT_EQ(report_host_index(0), 0);
  EXPECT_EQ(report_host_index(11), 11);
  EXPECT_EQ(report_host_index(12), 12);
  EXPECT_EQ(report_host_index(255), 12);
  EXPECT_STREQ(host_names[report_host_index(3)], "Unix");
  EXPECT_STREQ(host_short_names[report_host_index(19)], "???");
  EXPECT_STREQ(host_names[report_host_index(19)], "unknown");
}

TEST(ReportExtra, Os2EaSize) {
  const std::uint8_t ea[] = {0x09, 0x00, 0x04, 0x00, 0x10, 0x27, 0x00, 0x00};  // ID 9, size 10000
  const std::uint8_t other[] = {0x0A, 0x00, 0x04, 0x00, 0x10, 0x27, 0x00, 0x00};
  const std::uint8_t high_id[] = {0x09, 0x01, 0x04, 0x00, 0x10, 0x27, 0x00, 0x00};
  EXPECT_EQ(os2_ea_size(ea, sizeof ea), 10000u);
  EXPECT_EQ(os2_ea_size(other, sizeof other), 0u);
  EXPECT_EQ(os2_ea_size(high_id, sizeof high_id), 0u);
  EXPECT_EQ(os2_ea_size(ea, 6), 0u);  // too short to hold the size: nothing read past it
  EXPECT_EQ(os2_ea_size(nullptr, 0), 0u);
}

}  // namespace
