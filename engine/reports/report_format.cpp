// Texts of the detailed report; see report_format.h.
//
// Bit layouts, for the upper 16 bits m of the external attributes:
//   Unix   type in m & 0xF000, setuid/setgid/sticky in bits 11..9, rwx in 8..0
//   Amiga  type in m & 0x0C00, hsparwed in bits 7..0
//   VMS    three RWED groups; each group's D shares the bit of its W
// and for the low byte a (MS-DOS): 1 read-only, 2 hidden, 4 system, 8 volume
// label, 16 directory, 32 archive.
#include "engine/reports/report_format.h"

#include <cstdio>
#include <cstring>

namespace {

/* method 0..7 => long name (8 is "deflated", 9 and above formatted) */
constexpr std::array<const char*, 9> method_long_names = {"none (stored)",
                                                          "shrunk",
                                                          "reduced (factor 1)",
                                                          "reduced (factor 2)",
                                                          "reduced (factor 3)",
                                                          "reduced (factor 4)",
                                                          "imploded",
                                                          "tokenized",
                                                          "deflated"};

/* method 0..7 => short label; 6 and 8 depend on the flag, 9 and above are formatted */
constexpr std::array<const char*, 8> method_fixed_short_names = {"stor", "shrk", "re:1",  "re:2",
                                                                 "re:3", "re:4", nullptr, "tokn"};

/* (flag >> 1) & 3 => deflate sub-type word and letter */
constexpr std::array<const char*, 4> deflate_subtypes = {"normal", "maximum", "fast", "superfast"};
constexpr std::array<char, 4> deflate_letters = {'N', 'X', 'F', 'S'};

char bit_char(unsigned m, unsigned bit, char set) {
  return (m >> bit) & 1u ? set : '-';
}

char unix_type_char(unsigned m) {
  switch (m & 0xF000u) {
    case 0x4000u:
      return 'd';
    case 0x8000u:
      return '-';
    case 0xA000u:
      return 'l';
    case 0x6000u:
      return 'b';
    case 0x2000u:
      return 'c';
    case 0x1000u:
      return 'p';
    case 0xC000u:
      return 's';
    default:
      return '?';
  }
}

// A special bit turns the x position into its letter: lower case when x is
// also set, upper case when it is not.
char exec_char(unsigned m, unsigned x_bit, unsigned special_bit, char special_lower) {
  const bool x = (m >> x_bit) & 1u;
  if ((m >> special_bit) & 1u) return x ? special_lower : static_cast<char>(special_lower - 'a' + 'A');
  return x ? 'x' : '-';
}

}  // namespace

const char* method_long_name(ReportState& s, unsigned method) {
  if (method < method_long_names.size()) return method_long_names[method];
  std::snprintf(s.long_label.data(), s.long_label.size(), "unknown (%u)", method);
  return s.long_label.data();
}

const char* deflate_subtype_name(unsigned flags) {
  return deflate_subtypes[(flags >> 1) & 3u];
}

const char* method_short_label(ReportState& s, unsigned method, unsigned flags) {
  char* label = s.short_label.data();
  if (method == zipfmt::method_imploded) {
    std::snprintf(label, s.short_label.size(), "i%c:%c", flags & zipfmt::flag_explode_8k_window ? '8' : '4',
                  flags & zipfmt::flag_explode_literal_tree ? '3' : '2');
  } else if (method == zipfmt::method_deflated) {
    std::snprintf(label, s.short_label.size(), "def%c", deflate_letters[(flags >> 1) & 3u]);
  } else if (method < method_fixed_short_names.size()) {
    return method_fixed_short_names[method];
  } else {
    std::snprintf(label, s.short_label.size(), "u%03u", method);
  }
  return label;
}

void unix_attribute_string(unsigned m, UnixAttributeText& out) {
  out[0] = unix_type_char(m);
  out[1] = bit_char(m, 8, 'r');
  out[2] = bit_char(m, 7, 'w');
  out[3] = exec_char(m, 6, 11, 's');
  out[4] = bit_char(m, 5, 'r');
  out[5] = bit_char(m, 4, 'w');
  out[6] = exec_char(m, 3, 10, 's');
  out[7] = bit_char(m, 2, 'r');
  out[8] = bit_char(m, 1, 'w');
  out[9] = exec_char(m, 0, 9, 't');
  out[10] = '\0';
}

void amiga_attribute_string(unsigned m, AmigaAttributeText& out) {
  switch (m & 0x0C00u) {
    case 0x0800u:
      out[0] = 'd';
      break;
    case 0x0400u:
      out[0] = '-';
      break;
    default:
      out[0] = '?';
      break;
  }
  constexpr char letters[] = "hsparwed";  // bits 7..0
  for (unsigned i = 0; i < 8; ++i) out[1 + i] = bit_char(m, 7 - i, letters[i]);
  out[9] = '\0';
}

void vms_attribute_groups(unsigned m, std::array<VmsGroupText, 3>& out) {
  for (unsigned g = 0; g < 3; ++g) {
    const unsigned base = 6 - 3 * g;  // E bit of the group; W is base + 1, R base + 2
    char* p = out[g].data();
    if ((m >> (base + 2)) & 1u) *p++ = 'R';
    if ((m >> (base + 1)) & 1u) *p++ = 'W';
    if ((m >> base) & 1u) *p++ = 'E';
    if ((m >> (base + 1)) & 1u) *p++ = 'D';
    *p = '\0';
  }
}

bool has_program_extension(const char* name) {
  // Only the last path component has an extension: "TOOLS.EXE/README" is not
  // a program.
  const char* slash = std::strrchr(name, '/');
  const char* dot = std::strrchr(slash != nullptr ? slash : name, '.');
  if (dot == nullptr) return false;
  char ext[4] = {};
  for (int i = 0; i < 3; ++i) {
    const char c = dot[1 + i];
    if (c == '\0') return false;
    ext[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  for (const char* program : {"com", "exe", "btm", "cmd", "bat"})
    if (std::memcmp(ext, program, 3) == 0) return true;
  return false;
}

void dos_attribute_chars(unsigned a, const char* name, char* out7) {
  out7[0] = a & 16u ? 'd' : '-';
  out7[1] = 'r';
  out7[2] = a & 1u ? '-' : 'w';
  out7[3] = '-';
  out7[4] = a & 32u ? 'a' : '-';
  out7[5] = a & 2u ? 'h' : '-';
  out7[6] = a & 4u ? 's' : '-';
  if (a & 8u)
    out7[0] = 'V';
  else if (has_program_extension(name))
    out7[3] = 'x';
}

namespace {

// "%d.%d" of a format version byte at `pos`, cut at the field's end: a byte of
// 100 or more ("10.0") would otherwise write past the 15 characters.
void put_version(AttributeField& field, std::size_t pos, unsigned version) {
  char text[24];
  std::snprintf(text, sizeof text, "%u.%u", version / 10, version % 10);
  for (std::size_t i = 0; text[i] != '\0' && pos + i < report_field_width; ++i) field[pos + i] = text[i];
}

}  // namespace

void build_attribute_field(const CentralHeader& h, const char* name, AttributeField& field) {
  field.fill(' ');
  field[report_field_width] = '\0';
  const unsigned m = h.external_attr >> 16;
  const int host = report_host_index(h.host_made);
  constexpr std::size_t version_pos = 12;
  if (report_host_is_dos_like(host)) {
    dos_attribute_chars(h.external_attr & 0xFFu, name, field.data());
    put_version(field, version_pos, h.version_made);
  } else if (host == zipfmt::host_amiga) {
    AmigaAttributeText amiga;
    amiga_attribute_string(m, amiga);
    std::memcpy(field.data(), amiga.data(), 9);
    put_version(field, version_pos, h.version_made);
  } else if (host == zipfmt::host_vms) {
    // Each group is followed by a comma; the last comma becomes the blank
    // that separates the groups from the version (at most 14 characters).
    std::array<VmsGroupText, 3> groups;
    vms_attribute_groups(m, groups);
    std::size_t k = 0;
    for (const VmsGroupText& g : groups) {
      for (const char* p = g.data(); *p != '\0'; ++p) field[k++] = *p;
      field[k++] = ',';
    }
    field[--k] = ' ';
    if (k < version_pos) put_version(field, version_pos, h.version_made);
  } else {
    UnixAttributeText unix_text;
    unix_attribute_string(m, unix_text);
    std::memcpy(field.data(), unix_text.data(), 10);
    put_version(field, version_pos, h.version_made);
  }
}

const char* format_date_text(ReportState& s, unsigned d, unsigned t, bool long_form) {
  const unsigned year = ((d >> 9) & 127u) + 80u;  // years since 1900
  const unsigned month = (d >> 5) & 15u;
  const unsigned day = d & 31u;
  const unsigned hour = (t >> 11) & 31u;
  const unsigned minute = (t >> 5) & 63u;
  const unsigned second = (t & 31u) * 2u;
  // A month field of 0 or 13..15 names no month: show it as unknown.
  const char* month_name = month >= 1 && month <= 12 ? month_names[month - 1] : "???";
  if (long_form)
    std::snprintf(s.date_text.data(), s.date_text.size(), "%u %s %u %02u:%02u:%02u", 1900u + year, month_name,
                  day, hour, minute, second);
  else
    std::snprintf(s.date_text.data(), s.date_text.size(), "%2u-%s-%u %02u:%02u", day, month_name, year, hour,
                  minute);
  return s.date_text.data();
}

const char* format_member_date(EngineState& s) {
  return format_date_text(s.report, s.member.central.date, s.member.central.time, s.opt.report_format > 9);
}

std::uint32_t os2_ea_size(const std::uint8_t* extra, unsigned length) {
  // The size sits at offset 4; a field too short to hold it has none.
  if (extra == nullptr || length < 8 || read_le16(extra) != 9) return 0;
  return read_le32(extra + 4);
}
