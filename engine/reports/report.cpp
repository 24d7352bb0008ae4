// The archive report of report mode: the archive line and end-record section
// (report_header), then one entry per selected member of the central
// directory (report_members) in the chosen format, then the totals line.
//
// The reader walks the central directory strictly forwards: every member's
// name, extra field and comment are read or skipped in order, so each
// member's report leaves the reader on the next central header. A member's
// report reads its own central header only; local headers are never visited.
//
// Member patterns match case-sensitively here (names are shown as stored),
// and every pattern or exclusion that matches a member is remembered, so the
// cautions at the end name exactly those that matched nothing.
//
// Sizes and offsets are printed through long long/unsigned long conversions
// of fixed-width values, so that the text is the same whatever the width of
// `long` on the platform.
#include "engine/reports/report.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "engine/archive.h"
#include "engine/central_header.h"
#include "engine/reports/listing.h"
#include "engine/reports/report_format.h"
#include "engine/wildcard.h"

namespace {

constexpr std::uint32_t encryption_header_size = 12;  // counted in the compressed size

const char* plural_s(unsigned n) {
  return n == 1 ? "" : "s";
}

std::uint32_t stored_data_size(const CentralHeader& h) {
  return h.flags & zipfmt::flag_encrypted ? h.compressed_size - encryption_header_size : h.compressed_size;
}

// A header-field result: 0 or 1 is folded into the running result, anything
// larger ends the member's report (and the archive's).
bool field_failed(int r, int& result) {
  result = worse(result, r);
  return r > 1;
}

// Skips the member's extra field and comment.
int skip_extra_and_comment(EngineState& s, int result) {
  const CentralHeader& h = s.member.central;
  if (h.extra_length != 0 && field_failed(read_string_field(s, h.extra_length, field_skip), result))
    return result;
  if (h.comment_length != 0) (void)field_failed(read_string_field(s, h.comment_length, field_skip), result);
  return result;
}

void print_vms_detail(unsigned m) {
  std::array<VmsGroupText, 3> g;
  vms_attribute_groups(m, g);
  char text[32];
  // The first group stands twice: four places, three stored groups.
  std::snprintf(text, sizeof text, "(%s,%s,%s,%s)", g[0].data(), g[0].data(), g[1].data(), g[2].data());
  std::printf("  VMS file attributes (%06o octal):               %s\n", m, text);
}

void print_dos_detail(unsigned a) {
  if (a == 0) {
    std::printf("  MS-DOS file attributes (%02X hex):                  none\n", a);
  } else if (a == 1) {
    std::printf("  MS-DOS file attributes (%02X hex):                  read-only\n", a);
  } else {
    std::printf("  MS-DOS file attributes (%02X hex):                  %s%s%s%s%s%s\n", a,
                a & 1u ? "rdo " : "", a & 2u ? "hid " : "", a & 4u ? "sys " : "", a & 8u ? "lab " : "",
                a & 16u ? "dir " : "", a & 32u ? "arc" : "");
  }
}

// Owner of the match flags of patterns or exclusions; empty when there are
// none or the allocation failed (the cautions are then left out).
struct MatchFlags {
  std::unique_ptr<bool[]> flags;
  int count = 0;
  explicit MatchFlags(int n) {
    if (n > 0) flags.reset(new (std::nothrow) bool[static_cast<std::size_t>(n)]());
    if (flags) count = n;
  }
  void mark(int i) {
    if (i < count) flags[i] = true;
  }
  void report_unmatched(char** list, const char* caution) const {
    for (int i = 0; i < count && list[i] != nullptr; ++i)
      if (!flags[i]) std::fprintf(stderr, "%s%s\n", caution, list[i]);
  }
};

// The member's selection: case-sensitive. Every pattern and every exclusion
// is tried on every member and marked when it matches, so that a caution at
// the end means the pattern matched no member of the archive at all.
bool select_for_report(EngineState& s, MatchFlags& pattern_hits, MatchFlags& exclusion_hits) {
  if (s.opt.all_members) return true;
  const char* name = s.member.member_name.data();
  bool matched = false, excluded = false;
  for (int i = 0; s.args.patterns != nullptr && s.args.patterns[i] != nullptr; ++i) {
    if (wildcard_match(name, s.args.patterns[i], 0)) {
      matched = true;
      pattern_hits.mark(i);
    }
  }
  for (int i = 0; s.args.exclusions != nullptr && s.args.exclusions[i] != nullptr; ++i) {
    if (wildcard_match(name, s.args.exclusions[i], 0)) {
      excluded = true;
      exclusion_hits.mark(i);
    }
  }
  return matched && !excluded;
}

// Points current_member at the report's own record for the walk and back at
// the batch's first entry afterwards, as the listing leaves it.
struct CurrentMemberScope {
  EngineState& s;
  explicit CurrentMemberScope(EngineState& state, MemberInfo& own) : s(state) {
    s.member.current_member = &own;
  }
  ~CurrentMemberScope() { s.member.current_member = &s.member.member_batch[0]; }
  CurrentMemberScope(const CurrentMemberScope&) = delete;
  CurrentMemberScope& operator=(const CurrentMemberScope&) = delete;
};

}  // namespace

int report_header(EngineState& s) {
  const EndRecord& e = s.archive.end;
  const char* name = s.archive.current_archive != nullptr ? s.archive.current_archive : "";
  const long long length = s.archive.archive_length;

  if (s.opt.header_line) {
    if (std::strlen(name) < 39)
      std::printf("Archive:  %s   %lld bytes   %u file%s\n", name, length, e.entries_total,
                  plural_s(e.entries_total));
    else
      std::printf("Archive:  %s   %lld   %u\n", name, length, e.entries_total);
  }

  if (s.opt.report_format > 9) {
    const long long actual = s.archive.end_record_offset;
    const long long expected = s.archive.expected_end_offset;
    std::printf("\nEnd-of-central-directory record:\n");
    std::printf("-------------------------------\n\n");
    std::printf(
        "  Actual offset of end-of-central-dir record:   %9lld (%.8llXh)\n"
        "  Expected offset of end-of-central-dir record: %9lld (%.8llXh)\n"
        "  (based on the length of the central directory and its expected offset)\n\n",
        actual, static_cast<unsigned long long>(actual), expected, static_cast<unsigned long long>(expected));
    const unsigned long dir_size = e.dir_size;
    const unsigned long dir_offset = e.dir_offset;
    if (e.this_disk == 0) {
      std::printf(
          "  This zipfile constitutes the sole disk of a single-part archive; its\n"
          "  central directory contains %u %s.  The central directory is %lu\n"
          "  (%.8lXh) bytes long, and its (expected) offset in bytes from the\n"
          "  beginning of the zipfile is %lu (%.8lXh).\n\n",
          e.entries_total, e.entries_total == 1 ? "entry" : "entries", dir_size, dir_size, dir_offset,
          dir_offset);
    } else {
      std::printf(
          "  This zipfile constitutes disk %u of a multi-part archive.  The central\n"
          "  directory starts on disk %u; %u of its entries %s contained within\n"
          "  this zipfile, out of a total of %u %s.  The entire central\n"
          "  directory is %lu (%.8lXh) bytes long, and its offset in bytes from\n"
          "  the beginning of the zipfile in which it begins is %lu (%.8lXh).\n\n",
          e.this_disk, e.dir_start_disk, e.entries_this_disk, e.entries_this_disk == 1 ? "is" : "are",
          e.entries_total, e.entries_total == 1 ? "entry" : "entries", dir_size, dir_size, dir_offset,
          dir_offset);
    }
    if (e.comment_length == 0) {
      std::printf("  There is no zipfile comment.\n");
      return ok;
    }
    std::printf("  The zipfile comment is %u bytes long and contains the following text:\n\n",
                e.comment_length);
    std::printf("======================== zipfile comment begins ==========================\n");
    const int r = read_string_field(s, e.comment_length, field_display);
    std::printf("========================= zipfile comment ends ===========================\n");
    if (r != 0) {
      std::printf("\n  The zipfile comment is truncated.\n");
      return warning;
    }
    return ok;
  }

  if (s.opt.show_comment && e.comment_length != 0 &&
      read_string_field(s, e.comment_length, field_display) != 0) {
    std::fflush(stdout);
    std::fprintf(stderr, "\ncaution:  zipfile comment truncated\n");
    return warning;
  }
  return ok;
}

int report_member_line(EngineState& s) {
  const CentralHeader& h = s.member.central;
  const char* name = s.member.member_name.data();
  AttributeField field;
  build_attribute_field(h, name, field);

  const bool encrypted = h.flags & zipfmt::flag_encrypted;
  const bool text = h.internal_attr & 1u;
  const char type = encrypted ? (text ? 'T' : 'B') : (text ? 't' : 'b');
  const char extra = h.flags & zipfmt::flag_data_descriptor ? (h.extra_length != 0 ? 'X' : 'l')
                                                            : (h.extra_length != 0 ? 'x' : '-');
  std::printf("%s %s %7lu %c%c", field.data(), host_short_names[report_host_index(h.host_made)],
              static_cast<unsigned long>(h.uncompressed_size), type, extra);
  if (s.opt.report_format == 4)
    std::printf("%3d%%", (ratio_permille(h.uncompressed_size, stored_data_size(h)) + 5) / 10);
  else if (s.opt.report_format == 5)
    std::printf(" %7lu", static_cast<unsigned long>(h.compressed_size));
  std::printf(" %s %s ", method_short_label(s.report, h.method, h.flags), format_member_date(s));
  print_member_name(name);
  return skip_extra_and_comment(s, ok);
}

int report_member_detail(EngineState& s) {
  const CentralHeader& h = s.member.central;
  int result = ok;

  std::printf("  ");
  print_member_name(s.member.member_name.data());
  std::printf("\n  host operating system (created on):               %s\n",
              host_names[report_host_index(h.host_made)]);
  std::printf("  version of encoding software:                     %u.%u\n", h.version_made / 10u,
              h.version_made % 10u);
  std::printf("  minimum operating system compatibility required:  %s\n",
              host_names[report_host_index(h.host_needed)]);
  std::printf("  minimum software version required to extract:     %u.%u\n", h.version_needed / 10u,
              h.version_needed % 10u);
  std::printf("  compression method:                               %s\n",
              method_long_name(s.report, h.method));
  if (h.method == zipfmt::method_imploded) {
    std::printf("  size of sliding dictionary (implosion):           %cK\n",
                h.flags & zipfmt::flag_explode_8k_window ? '8' : '4');
    std::printf("  number of Shannon-Fano trees (implosion):         %c\n",
                h.flags & zipfmt::flag_explode_literal_tree ? '3' : '2');
  } else if (h.method == zipfmt::method_deflated) {
    std::printf("  compression sub-type (deflation):                 %s\n", deflate_subtype_name(h.flags));
  }
  std::printf("  file security status:                             %sencrypted\n",
              h.flags & zipfmt::flag_encrypted ? "" : "not ");
  std::printf("  extended local header:                            %s\n",
              h.flags & zipfmt::flag_data_descriptor ? "yes" : "no");
  std::printf("  file last modified on:                            %s\n", format_member_date(s));
  std::printf("  32-bit CRC value (hex):                           %.8lx\n",
              static_cast<unsigned long>(h.crc));
  std::printf("  compressed size:                                  %lu bytes\n",
              static_cast<unsigned long>(h.compressed_size));
  std::printf("  uncompressed size:                                %lu bytes\n",
              static_cast<unsigned long>(h.uncompressed_size));
  std::printf("  length of filename:                               %u characters\n", h.name_length);
  std::printf("  length of extra field:                            %u bytes\n", h.extra_length);
  std::printf("  length of file comment:                           %u characters\n", h.comment_length);
  std::printf("  disk number on which file begins:                 disk %u\n", h.disk_start);
  std::printf("  apparent file type:                               %s\n",
              h.internal_attr & 1u ? "text" : "binary");

  const unsigned m = h.external_attr >> 16;
  const int host = report_host_index(h.host_made);
  if (host == zipfmt::host_vms) {
    print_vms_detail(m);
  } else if (host == zipfmt::host_amiga) {
    AmigaAttributeText amiga;
    amiga_attribute_string(m, amiga);
    std::printf("  Amiga file attributes (%06o octal):             %s\n", m, amiga.data());
  } else if (report_host_is_dos_like(host)) {
    std::printf("  non-MSDOS external file attributes:               %06lX hex\n",
                static_cast<unsigned long>(h.external_attr >> 8));
  } else {
    UnixAttributeText unix_text;
    unix_attribute_string(m, unix_text);
    std::printf("  Unix file attributes (%06o octal):              %s\n", m, unix_text.data());
  }
  print_dos_detail(h.external_attr & 0xFFu);
  std::printf("  offset of local header from start of archive:     %lu (%.8lXh) bytes\n",
              static_cast<unsigned long>(h.local_offset), static_cast<unsigned long>(h.local_offset));

  if (h.extra_length != 0) {
    if (field_failed(read_string_field(s, h.extra_length, field_extra), result)) return result;
    const std::uint32_t ea = os2_ea_size(s.member.extra_field.get(), s.member.extra_field_length);
    if (ea != 0)
      std::printf(
          "\n  This file has %lu bytes of OS/2 EA's in the local extra field.\n"
          "  (May not match OS/2 \"dir\" amount due to storage method.)\n\n",
          static_cast<unsigned long>(ea));
    else
      std::printf("\n  There is an unknown extra field (skipping).\n");
  } else {
    std::printf("\n");
  }

  if (h.comment_length != 0) {
    std::printf("------------------------- file comment begins ----------------------------\n");
    if (field_failed(read_string_field(s, h.comment_length, field_display), result)) return result;
    std::printf("-------------------------- file comment ends -----------------------------\n");
  } else {
    std::printf("  There is no file comment.\n");
  }
  return result;
}

void print_report_totals(unsigned count, std::uint32_t uncompressed, std::uint32_t compressed) {
  int r = ratio_permille(uncompressed, compressed);
  const char* sign = "";
  if (r < 0) {
    sign = "-";
    r = -r;
  }
  std::printf("%u file%s, %lu bytes uncompressed, %lu bytes compressed:  %s%d.%d%%\n", count, plural_s(count),
              static_cast<unsigned long>(uncompressed), static_cast<unsigned long>(compressed), sign, r / 10,
              r % 10);
}

int report_members(EngineState& s) {
  MatchFlags pattern_hits(s.args.pattern_count);
  MatchFlags exclusion_hits(s.args.exclusion_count);
  MemberInfo own{};  // names are shown as stored: no lowercase, no line-end conversion
  CurrentMemberScope scope(s, own);

  int result = ok;
  unsigned count = 0;
  std::uint32_t uncompressed_sum = 0, compressed_sum = 0;
  const CentralHeader& h = s.member.central;
  std::array<std::uint8_t, 4>& sig = s.archive.signature;

  for (unsigned i = 0; i < s.archive.end.entries_total; ++i) {
    if (read_block(s, sig.data(), 4) < 1) return unexpected_end;
    if (sig != s.archive.central_signature) {
      std::fflush(stdout);
      std::fprintf(stderr, "error:  expected central file header signature not found (file #%u).\n", i);
      return corrupt_archive;
    }
    if (const int r = read_central_header(s); r != 0) return r;

    // The volume-label flag (which shortens "LABEL.ABC" names) follows this
    // member's own host, not whatever host an earlier member left behind.
    own.host = report_host_index(h.host_made);
    const bool label_host = own.host == zipfmt::host_fat || own.host == zipfmt::host_atari ||
                            own.host == zipfmt::host_hpfs || own.host == zipfmt::host_ntfs;
    if ((h.external_attr & 8u) && label_host)
      own.flags = static_cast<std::uint8_t>(own.flags | member_volume_label);
    else
      own.flags = static_cast<std::uint8_t>(own.flags & ~member_volume_label);

    if (field_failed(read_string_field(s, h.name_length, field_file_name), result)) return result;

    if (!select_for_report(s, pattern_hits, exclusion_hits)) {
      if (const int r = skip_extra_and_comment(s, ok); field_failed(r, result)) return result;
      continue;
    }

    int r = ok;
    switch (s.opt.report_format) {
      case 1:
      case 2:
        print_member_name(s.member.member_name.data());
        r = skip_extra_and_comment(s, ok);
        break;
      case 3:
      case 4:
      case 5:
        r = report_member_line(s);
        break;
      case 10:
        std::printf("%s\nCentral directory entry #%u:\n", "\f", i);
        std::printf("---------------------------\n\n");
        r = report_member_detail(s);
        break;
      default:
        r = skip_extra_and_comment(s, ok);
        break;
    }
    if (field_failed(r, result)) return result;
    uncompressed_sum += h.uncompressed_size;
    compressed_sum += stored_data_size(h);
    ++count;
  }

  if (read_block(s, sig.data(), 4) < 1) return unexpected_end;
  if (sig != s.archive.end_signature) {
    std::fflush(stdout);
    std::fprintf(stderr, "\nnote:  didn't find end-of-central-dir signature at end of central dir.\n");
    result = worse(result, warning);
  }

  if (s.opt.test_only) print_report_totals(count, uncompressed_sum, compressed_sum);

  std::fflush(stdout);
  pattern_hits.report_unmatched(s.args.patterns, "caution: filename not matched:  ");
  exclusion_hits.report_unmatched(s.args.exclusions, "caution: excluded filename not matched:  ");
  return result;
}
