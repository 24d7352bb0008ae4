// The texts of the detailed report: host and method names, attribute strings
// of the four attribute families, dates, and the 15-character attribute field
// of a one-line entry.
//
// Everything here is a pure function of header fields (plus the ReportState
// buffers that hold per-member labels), so report.cpp only decides what to
// print and in which order. The attribute field never grows past
// report_field_width characters: a version text that would not fit is cut.
#pragma once

#include <array>
#include <cstdint>

#include "engine/engine_state.h"
#include "engine/zip_format.h"

// Host byte => index of host_names/host_short_names; 12 and above share "unknown".
inline constexpr int report_host_unknown = 12;
[[nodiscard]] constexpr int report_host_index(unsigned host_byte) {
  return host_byte < static_cast<unsigned>(report_host_unknown) ? static_cast<int>(host_byte)
                                                                : report_host_unknown;
}

/* host index => name in the detailed report */
inline constexpr std::array<const char*, 13> host_names = {"MS-DOS, OS/2 or NT FAT",
                                                           "Amiga",
                                                           "VAX VMS",
                                                           "Unix",
                                                           "VM/CMS",
                                                           "Atari ST",
                                                           "OS/2 or NT HPFS",
                                                           "Macintosh",
                                                           "Z-System",
                                                           "CP/M",
                                                           "TOPS-20",
                                                           "NT NTFS",
                                                           "unknown"};

/* host index => short name in a one-line entry */
inline constexpr std::array<const char*, 13> host_short_names = {
    "fat", "ami", "vms", "unx", "cms", "atr", "hpf", "mac", "zzz", "cpm", "t20", "ntf", "???"};

/* month 1..12 => name; the date texts show "???" for 0 and 13..15 */
inline constexpr std::array<const char*, 12> month_names = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Hosts whose external attributes carry MS-DOS attribute bits only.
[[nodiscard]] constexpr bool report_host_is_dos_like(int host) {
  return host == zipfmt::host_fat || host == zipfmt::host_hpfs || host == zipfmt::host_ntfs;
}

// "none (stored)", "shrunk", ..., "deflated", or "unknown (%d)" formatted into s.long_label.
[[nodiscard]] const char* method_long_name(ReportState& s, unsigned method);

// "stor", "shrk", "re:1".."re:4", "i8:3" (dictionary and trees digits from the
// flag), "tokn", "defN"/"defX"/"defF"/"defS", or "u%03d"; the per-member
// labels are written into s.short_label.
[[nodiscard]] const char* method_short_label(ReportState& s, unsigned method, unsigned flags);

// Deflate sub-type word by flag bits 1 and 2: "normal", "maximum", "fast", "superfast".
[[nodiscard]] const char* deflate_subtype_name(unsigned flags);

// Attribute strings from the upper 16 bits m of the external attributes.
using UnixAttributeText = std::array<char, 11>;   // 10 characters and the terminator
using AmigaAttributeText = std::array<char, 10>;  // 9 characters and the terminator
using VmsGroupText = std::array<char, 5>;         // up to "RWED" and the terminator
void unix_attribute_string(unsigned m, UnixAttributeText& out);
void amiga_attribute_string(unsigned m, AmigaAttributeText& out);
void vms_attribute_groups(unsigned m, std::array<VmsGroupText, 3>& out);

// True when the extension of the name's last path component (after its last
// '.') starts with com, exe, btm, cmd or bat in any letter case.
[[nodiscard]] bool has_program_extension(const char* name);

// The seven MS-DOS attribute characters (no terminator) from the low byte a of
// the external attributes: d r w x a h s, or V in front for a volume label.
void dos_attribute_chars(unsigned a, const char* name, char* out7);

// The 15-character attribute field of a one-line entry for the header h of a
// member named `name`, blank-padded and terminated.
using AttributeField = std::array<char, report_field_width + 1>;
void build_attribute_field(const CentralHeader& h, const char* name, AttributeField& field);

// MS-DOS date d and time t as "%2u-%s-%u %02u:%02u" (short: day, month, years
// since 1900, hour, minute) or "%u %s %u %02u:%02u:%02u" (long: year, month,
// day, hour, minute, second), into s.date_text.
[[nodiscard]] const char* format_date_text(ReportState& s, unsigned d, unsigned t, bool long_form);

// The current central header's date in the form of the report format (long
// form for format 10).
[[nodiscard]] const char* format_member_date(EngineState& s);

// OS/2 extended attributes size of an extra field: when its first header ID
// is 9, the 32-bit value at byte offset 4; else 0.
[[nodiscard]] std::uint32_t os2_ea_size(const std::uint8_t* extra, unsigned length);
