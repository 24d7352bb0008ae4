// The archive listing (see listing.h).
//
// The listing walks the central directory once, forwards, with a MemberInfo
// of its own as current_member (only the lowercase and volume-label flags
// that process_central_header sets are used). Every field of a member is
// read or skipped in order, selected or not, so that the next header is
// found where it is. Dates are always month-day-year with a two-digit year.
//
// Header and totals are left out at quiet level 2 ("-qq"), and then
// archive_total_size keeps its old value.
#include "engine/reports/listing.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "engine/archive.h"
#include "engine/central_header.h"
#include "engine/reports/member_table.h"
#include "engine/wildcard.h"

namespace {

/* compression method => label; 8 takes its deflate variant letter, 9 and above share "Unk:%03d" */
constexpr std::array<const char*, 8> fixed_method_names = {"Stored",  "Shrunk",  "Reduce1", "Reduce2",
                                                           "Reduce3", "Reduce4", "Implode", "Token"};
/* (flags >> 1) & 3 => deflate variant: normal, maximum, fast, superfast */
constexpr char deflate_letters[4] = {'N', 'X', 'F', 'S'};

constexpr char short_header_1[] = " Length    Date    Time    Name";
constexpr char short_header_2[] = " ------    ----    ----    ----";
constexpr char verbose_header_1[] = " Length  Method   Size  Ratio   Date    Time   CRC-32     Name";
constexpr char verbose_header_2[] = " ------  ------   ----  -----   ----    ----   ------     ----";

// "%c%d%%" of a ratio in tenths of a percent, rounded to whole percent.
void format_ratio(char (&out)[16], int r) {
  const long long v = r;
  if (v >= 0) {
    std::snprintf(out, sizeof out, "%c%lld%%", ' ', (v + 5) / 10);
  } else {
    std::snprintf(out, sizeof out, "%c%lld%%", '-', (5 - v) / 10);
  }
}

bool member_selected(const EngineState& s, const char* name, int ignore_case) {
  if (s.opt.all_members) return true;
  return first_matching_pattern(name, s.args.patterns, ignore_case) >= 0 &&
         first_matching_pattern(name, s.args.exclusions, ignore_case) < 0;
}

// Restores current_member to the batch when the listing ends, on every path.
struct ListingMember {
  EngineState& s;
  MemberInfo info{};
  explicit ListingMember(EngineState& state) : s(state) { s.member.current_member = &info; }
  ~ListingMember() { s.member.current_member = s.member.member_batch.data(); }
  ListingMember(const ListingMember&) = delete;
  ListingMember& operator=(const ListingMember&) = delete;
};

}  // namespace

// Computed in 64 bits: in 32 bits (c - u) x 1000 and (u - c) + d / 2 wrap for
// sizes near 4 GiB or a compressed size far above a small uncompressed one,
// which printed nonsense ratios. The rounding is the same; a ratio beyond
// what an int holds is clamped.
int ratio_permille(std::uint32_t u, std::uint32_t c) {
  if (u == 0) return 0;
  const std::uint64_t u64 = u;
  const std::uint64_t diff = c <= u ? u - c : c - u;
  std::uint64_t r;
  if (u <= 2000000u) {
    r = (diff * 1000u + u64 / 2) / u64;
  } else {
    const std::uint64_t d = u64 / 1000u;
    r = (diff + d / 2) / d;
  }
  constexpr std::uint64_t largest = 2147483647u;
  if (r > largest) r = largest;
  return c <= u ? static_cast<int>(r) : -static_cast<int>(r);
}

void print_member_name(const char* name) {
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p; ++p) {
    if (*p < 32) {
      std::putchar('^');
      std::putchar(*p + 64);
    } else {
      std::putchar(*p);
    }
  }
  std::putchar('\n');
}

int list_members(EngineState& s) {
  const bool verbose = s.opt.list_mode > 1;
  ListingMember listing(s);
  int result = ok;
  std::uint32_t total_uncompressed = 0;
  std::uint32_t total_compressed = 0;
  std::uint16_t listed = 0;
  member_table_begin(member_table);

  if (s.opt.quiet < 2) {
    const char* h1 = verbose ? verbose_header_1 : short_header_1;
    const char* h2 = verbose ? verbose_header_2 : short_header_2;
    if (s.opt.keep_case) {
      std::printf("%s\n%s\n", h1, h2);
    } else {
      std::printf("%s (\"^\" ==> case\n%s   conversion)\n", h1, h2);
    }
  }

  const CentralHeader& h = s.member.central;
  for (std::uint16_t j = 0; j < s.archive.end.entries_total; ++j) {
    if (read_block(s, s.archive.signature.data(), 4) < 1) return unexpected_end;
    if (std::memcmp(s.archive.signature.data(), s.archive.central_signature.data(), 4) != 0) {
      std::fprintf(stderr, "error:  expected central file header signature not found (file #%u).\n", j);
      std::fprintf(stderr, "%s", advice_text);
      return corrupt_archive;
    }
    if (int r = process_central_header(s); r != ok) return r;
    if (int r = read_string_field(s, h.name_length, field_file_name); r != ok) {
      result = r;
      if (r > warning) return r;
    }
    s.member.extra_field.reset();
    s.member.extra_field_length = 0;
    if (int r = read_string_field(s, h.extra_length, field_extra); r != ok) {
      result = r;
      if (r > warning) return r;
    }

    const char* name = s.member.member_name.data();
    const int lowercase = (listing.info.flags & member_lowercase) != 0;
    if (!member_selected(s, name, lowercase)) {
      if (h.comment_length != 0) {
        if (int r = read_string_field(s, h.comment_length, field_skip); r != ok) {
          result = r;
          if (r > warning) return r;
        }
      }
      continue;
    }

    const unsigned year = (((h.date >> 9) & 127u) + 80u) % 100u;
    const unsigned month = (h.date >> 5) & 15u;
    const unsigned day = h.date & 31u;
    const unsigned hour = (h.time >> 11) & 31u;
    const unsigned minute = (h.time >> 5) & 63u;
    std::uint32_t csize = h.compressed_size;
    if (h.flags & 1u) csize -= 12u;  // the encryption header is not data
    char ratio[16];
    format_ratio(ratio, ratio_permille(h.uncompressed_size, csize));
    const char mark = lowercase ? '^' : ' ';

    if (verbose) {
      char label[16];
      if (h.method < fixed_method_names.size()) {
        std::snprintf(label, sizeof label, "%s", fixed_method_names[h.method]);
      } else if (h.method == 8) {
        std::snprintf(label, sizeof label, "Defl:%c", deflate_letters[(h.flags >> 1) & 3u]);
      } else {
        std::snprintf(label, sizeof label, "Unk:%03d", static_cast<int>(h.method));
      }
      std::printf("%7lu  %-7s%7lu %4s  %02u-%02u-%02u  %02u:%02u  %08lx  %c",
                  static_cast<unsigned long>(h.uncompressed_size), label, static_cast<unsigned long>(csize),
                  ratio, month, day, year, hour, minute, static_cast<unsigned long>(h.crc), mark);
    } else {
      std::printf("%7lu  %02u-%02u-%02u  %02u:%02u  %c", static_cast<unsigned long>(h.uncompressed_size),
                  month, day, year, hour, minute, mark);
    }
    print_member_name(name);
    (void)member_table_record(member_table, name, h.uncompressed_size);

    if (int r = read_string_field(s, h.comment_length, s.opt.quiet == 0 ? field_display : field_skip);
        r != ok) {
      result = r;
      if (r > warning) return r;
    }
    total_uncompressed += h.uncompressed_size;
    total_compressed += csize;
    ++listed;
  }

  if (s.opt.quiet < 2) {
    char ratio[16];
    format_ratio(ratio, ratio_permille(total_uncompressed, total_compressed));
    if (verbose) {
      std::printf(
          " ------          ------  ---                              -------\n"
          "%7lu         %7lu %4s                              %-7u\n",
          static_cast<unsigned long>(total_uncompressed), static_cast<unsigned long>(total_compressed), ratio,
          static_cast<unsigned>(listed));
    } else {
      std::printf(" ------                    -------\n%7lu                    %-7u\n",
                  static_cast<unsigned long>(total_uncompressed), static_cast<unsigned>(listed));
    }
    member_table.archive_total_size = total_uncompressed;
  }

  if (read_block(s, s.archive.signature.data(), 4) < 1) return unexpected_end;
  if (std::memcmp(s.archive.signature.data(), s.archive.end_signature.data(), 4) != 0) {
    std::fprintf(stderr, "\nnote:  didn't find end-of-central-dir signature at end of central dir.\n");
    result = warning;
  }
  return result;
}
