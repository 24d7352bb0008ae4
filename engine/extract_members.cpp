// The member loop of extraction and test mode.
//
// extract_members walks the central directory once, forwards, in batches of
// up to 64 selected members: for each central header it reads the name,
// extra field and comment, selects the member by the member patterns and
// exclusions and checks that it can be extracted (select_member). Then, for
// each member of the batch, it seeks to the local header, reads it, maps the
// output name, decides whether an existing file is replaced, and hands the
// member to extract_or_test_member. The reader's block is saved before the
// local pass and restored after it, so the directory walk goes on where it
// stopped without reading the directory again.
//
// This is also where the engine asks the embedding program before it
// replaces one of the installer's phone-book, script or option files
// (EngineState::hooks), and keeps a backup of the old file on yes. The
// option-file answer holds for the rest of the program run.
//
// At the end come the cautions for patterns that matched nothing, the check
// that the end-of-central-directory record follows the directory, and in
// test mode the summary.
#include "engine/extract.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "engine/archive.h"
#include "engine/central_header.h"
#include "engine/engine_hooks.h"
#include "engine/extract_member.h"
#include "engine/file_times.h"
#include "engine/names.h"
#include "engine/wildcard.h"
#include "engine/zip_format.h"
#include "platform/sys_file.h"

namespace {

// Installer files whose replacement is asked about: names compared with the
// end of the output path, ignoring case.
constexpr const char* question_files[] = {"DIALDIR", "SENDFAX.VRX", "LITEBBS.VRX", "VOKEVENT.VRX",
                                          "VOKXFER.VRX"};
constexpr const char* option_files[] = {"STANDARD.VOK", "STANDARD.TRF", "STANDARD.VKY", "STANDARD.VPA",
                                        "STANDARD.VPH", "STANDARD.VTB", "STANDARD.VTR"};

bool ends_with_ignoring_case(const char* path, const char* ending) {
  const std::size_t path_len = std::strlen(path);
  const std::size_t len = std::strlen(ending);
  if (path_len < len) return false;
  const char* tail = path + path_len - len;
  for (std::size_t i = 0; i < len; ++i)
    if (std::toupper(static_cast<unsigned char>(tail[i])) !=
        std::toupper(static_cast<unsigned char>(ending[i])))
      return false;
  return true;
}

template <std::size_t N>
const char* find_ending(const char* path, const char* const (&list)[N]) {
  for (const char* entry : list)
    if (ends_with_ignoring_case(path, entry)) return entry;
  return nullptr;
}

bool is_signature(const std::array<std::uint8_t, 4>& bytes, const std::uint8_t (&sig)[4]) {
  return std::memcmp(bytes.data(), sig, 4) == 0;
}

// The backup of an installer file: the character after the path's first '.'
// becomes '0' (STANDARD.VPA -> STANDARD.0PA); without a '.', the last
// character does (DIALDIR -> DIALDI0).
void backup_name(const char* path, char* out, std::size_t size) {
  std::snprintf(out, size, "%s", path);
  char* dot = std::strchr(out, '.');
  const std::size_t len = std::strlen(out);
  if (dot != nullptr) {
    if (dot[1] == '\0') {
      if (len + 1 < size) {
        dot[1] = '0';
        dot[2] = '\0';
      }
    } else {
      dot[1] = '0';
    }
  } else if (len > 0) {
    out[len - 1] = '0';
  }
}

// The installer's confirmation before an existing file is replaced. Returns
// true when the member is to be written.
bool confirm_overwrite(EngineState& s) {
  MemberState& ms = s.member;
  const char* path = ms.member_name.data();
  ms.answer[0] = 'y';
  bool special = false;
  int yes = 1;
  if (find_ending(path, question_files) != nullptr) {
    special = true;
    yes = s.hooks ? s.hooks->ask_yes_no(HookText::title_information, HookText::msg_overwrite_file, path,
                                        hook_question_style)
                  : 0;
  }
  if (find_ending(path, option_files) != nullptr) {
    special = true;
    if (!ms.option_files_yes && !ms.option_files_no) {
      int answer = s.hooks ? s.hooks->ask_yes_no(HookText::title_information, HookText::msg_overwrite_options,
                                                 nullptr, hook_question_style)
                           : 0;
      if (answer)
        ms.option_files_yes = 1;
      else
        ms.option_files_no = 1;
    }
    yes = ms.option_files_yes ? 1 : 0;
  }
  if (!yes) {
    ms.answer[0] = 'n';
    return false;
  }
  if (special) {
    ms.backups_made = 1;
    std::array<char, member_name_size + 2> backup{};
    backup_name(path, backup.data(), backup.size());
    if (s.hooks) (void)s.hooks->copy_file(path, backup.data(), 0);
  }
  return true;
}

// Output path and overwrite decision; true when the member is to be written.
bool prepare_output(EngineState& s, int& result) {
  const EngineOptions& o = s.opt;
  int r = mapname(s, 0);
  if (s.names.name_made_safe) result = worse(result, warning);
  if (r == map_created_directory || r == map_leave) return false;
  if (r == map_volume_label) {
    std::fprintf(stderr, "   skipping: %-22s  %svolume label\n", s.member.member_name.data(),
                 o.volume_labels ? "hard disk " : "");
    return false;
  }
  if (r > 1) {
    result = worse(result, format_error);
    return false;
  }
  switch (check_existing(s, s.member.member_name.data())) {
    case -1:
      return !o.freshen;
    case 0:
      if (o.overwrite_none) return false;
      break;
    default:
      if (o.overwrite_none || o.update) return false;
      break;
  }
  if (o.overwrite_all || o.assume_yes) return true;
  return confirm_overwrite(s);
}

void print_bad_offset(int member_number, const char* what, long position) {
  std::fprintf(stderr, "file #%d:  bad zipfile offset (%s):  %ld\n", member_number, what, position);
}

// Messages of a header field result above 1.
void report_field(const EngineState& s, int which, const char* where) {
  const char* name = s.member.member_name.data();
  if (which == 0) std::fprintf(stderr, "%s:  bad filename length (%s)\n", name, where);
  if (which == 1) std::fprintf(stderr, "%s:  bad extra field length (%s)\n", name, where);
  if (which == 2) std::fprintf(stderr, "\n%s:  bad file comment length\n", name);
}

enum class Walk { go_on, stop };

// One central header into the batch; `added` tells whether it was selected.
Walk read_central_entry(EngineState& s, unsigned position, int& result, unsigned& skipped, bool& added,
                        std::uint8_t* pattern_matched, std::uint8_t* exclusion_matched) {
  MemberState& ms = s.member;
  added = false;
  if (read_block(s, s.archive.signature.data(), 4) <= 0) {
    result = unexpected_end;
    return Walk::stop;
  }
  if (!is_signature(s.archive.signature, zipfmt::central_sig_bytes)) {
    std::fprintf(stderr, "error:  expected central file header signature not found (file #%u).\n", position);
    std::fputs(advice_text, stderr);
    result = corrupt_archive;
    return Walk::stop;
  }
  if (int r = process_central_header(s); r != 0) {
    result = r;
    return Walk::stop;
  }
  const CentralHeader& c = ms.central;
  const struct {
    unsigned length;
    FieldMode mode;
  } fields[3] = {
      {c.name_length, field_file_name}, {c.extra_length, field_extra}, {c.comment_length, field_skip}};
  for (int i = 0; i < 3; ++i) {
    int r = read_string_field(s, fields[i].length, fields[i].mode);
    if (r == 0) continue;
    result = worse(result, r);
    if (r > 1) {
      report_field(s, i, "central");
      return Walk::stop;
    }
  }

  bool candidate = s.opt.all_members != 0;
  if (!candidate) {
    const char* name = ms.member_name.data();
    const int ignore_case = (ms.current_member->flags & member_lowercase) ? 1 : 0;
    // The first pattern and the first exclusion that match are marked used.
    if (const int p = first_matching_pattern(name, s.args.patterns, ignore_case); p >= 0) {
      if (pattern_matched && p < s.args.pattern_count) pattern_matched[p] = 1;
      const int x = first_matching_pattern(name, s.args.exclusions, ignore_case);
      if (x >= 0 && exclusion_matched && x < s.args.exclusion_count) exclusion_matched[x] = 1;
      candidate = x < 0;
    }
  }
  if (candidate) {
    if (select_member(s))
      added = true;
    else
      ++skipped;
  }
  return Walk::go_on;
}

enum class Next { member, stop_archive };

// The local pass of one member; returns stop_archive when the archive must end now.
Next process_member(EngineState& s, int member_number, int& result, int& stop_result) {
  MemberState& ms = s.member;
  ArchiveState& a = s.archive;
  const std::int64_t local_offset = ms.current_member->local_offset;
  int r = seek_archive(s, local_offset);
  if (r == corrupt_archive) {
    result = corrupt_archive;
    return Next::member;
  }
  if (r != 0) {
    print_bad_offset(member_number, "lseek", static_cast<long>(s.in.buffer_file_offset));
    result = corrupt_archive;
    return Next::member;
  }
  if (read_block(s, a.signature.data(), 4) <= 0) {
    print_bad_offset(member_number, "EOF", static_cast<long>(local_offset + a.prefix_bytes));
    result = corrupt_archive;
    return Next::member;
  }
  if (!is_signature(a.signature, zipfmt::local_sig_bytes)) {
    print_bad_offset(member_number, "local header sig", static_cast<long>(local_offset + a.prefix_bytes));
    result = format_error;
    if (member_number == 0) {
      std::fprintf(stderr, "  (attempting to re-compensate)\n");
      a.prefix_bytes = 0;
      r = seek_archive(s, local_offset);
      if (r != 0) {
        stop_result = r == corrupt_archive ? corrupt_archive : unexpected_end;
        return Next::stop_archive;
      }
      if (read_block(s, a.signature.data(), 4) <= 0) {
        print_bad_offset(member_number, "EOF", static_cast<long>(local_offset));
        result = corrupt_archive;
        return Next::member;
      }
      if (!is_signature(a.signature, zipfmt::local_sig_bytes)) {
        print_bad_offset(member_number, "local header sig", static_cast<long>(local_offset));
        result = corrupt_archive;
        return Next::member;
      }
    }
  }
  if (r = read_local_header(s); r != 0) {
    std::fprintf(stderr, "\nfile #%d:  bad local header\n", member_number);
    result = r;
    return Next::member;
  }
  const unsigned lengths[2] = {ms.local.name_length, ms.local.extra_length};
  const FieldMode modes[2] = {field_file_name, field_extra};
  for (int i = 0; i < 2; ++i) {
    r = read_string_field(s, lengths[i], modes[i]);
    if (r == 0) continue;
    result = worse(result, r);
    if (r > 1) {
      report_field(s, i, "local");
      return Next::member;
    }
  }
  if (!s.opt.test_only && !s.opt.to_stdout && !prepare_output(s, result)) return Next::member;
  s.out.disk_full_state = 0;
  r = extract_or_test_member(s);
  result = worse(result, r);
  if (s.out.disk_full_state > 1) {
    stop_result = result;
    return Next::stop_archive;
  }
  return Next::member;
}

void print_test_summary(const EngineState& s, int result, int tested, unsigned skipped) {
  const char* archive = s.archive.current_archive;
  if (result != 0)
    std::printf("At least one %serror was detected in %s.\n", result == 1 ? "warning-" : "", archive);
  else if (tested == 0)
    std::printf("Caution:  zero files tested in %s.\n", archive);
  else if (s.opt.all_members && skipped == 0)
    std::printf("No errors detected in compressed data of %s.\n", archive);
  else
    std::printf("No errors detected in %s for the %d file%s tested.\n", archive, tested,
                tested == 1 ? "" : "s");
  if (skipped > 0)
    std::printf("%u file%s skipped because of unsupported compression or encoding.\n", skipped,
                skipped == 1 ? "" : "s");
}

}  // namespace

int extract_members(EngineState& s) {
  MemberState& ms = s.member;
  InputState& in = s.in;
  int result = ok;
  unsigned remaining = s.archive.end.entries_total;
  int batch = 0;
  unsigned skipped = 0;
  int member_number = -1;
  ms.current_member = &ms.member_batch[0];

  // Which patterns matched; without the memory the cautions are simply not given.
  std::unique_ptr<std::uint8_t[]> pattern_matched;
  std::unique_ptr<std::uint8_t[]> exclusion_matched;
  if (s.args.pattern_count > 0)
    pattern_matched.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(s.args.pattern_count)]());
  if (s.args.exclusion_count > 0)
    exclusion_matched.reset(new (std::nothrow)
                                std::uint8_t[static_cast<std::size_t>(s.args.exclusion_count)]());

  while (remaining > 0) {
    unsigned j = 0;
    while (remaining > 0 && j < member_batch_size) {
      --remaining;
      ms.current_member = &ms.member_batch[j];
      bool added = false;
      if (read_central_entry(s, j, result, skipped, added, pattern_matched.get(), exclusion_matched.get()) ==
          Walk::stop) {
        remaining = 0;
        break;
      }
      if (added) ++j;
    }

    const std::int64_t saved_offset = in.buffer_file_offset;
    const std::ptrdiff_t saved_pos = in.input_pos - in.input_buffer.get();
    const long saved_left = in.input_left;
    for (unsigned i = 0; i < j; ++i) {
      member_number = batch * static_cast<int>(member_batch_size) + static_cast<int>(i);
      ms.current_member = &ms.member_batch[i];
      int stop_result = 0;
      if (process_member(s, member_number, result, stop_result) == Next::stop_archive) return stop_result;
    }
    if (j > 0) {
      // Back to the directory block where the walk stopped.
      if (sys::seek(s.archive.archive_fd.get(), saved_offset) == saved_offset) {
        long n = sys::read(s.archive.archive_fd.get(), in.input_buffer.get(), input_block_size);
        (void)n;
      }
      in.buffer_file_offset = saved_offset;
      in.input_pos = in.input_buffer.get() + saved_pos;
      in.input_left = saved_left;
    }
    ++batch;
  }

  for (int i = 0; pattern_matched && i < s.args.pattern_count; ++i)
    if (!pattern_matched[i]) std::fprintf(stderr, "caution: filename not matched:  %s\n", s.args.patterns[i]);
  for (int i = 0; exclusion_matched && i < s.args.exclusion_count; ++i)
    if (!exclusion_matched[i])
      std::fprintf(stderr, "caution: excluded filename not matched:  %s\n", s.args.exclusions[i]);

  if (read_block(s, s.archive.signature.data(), 4) <= 0) result = unexpected_end;
  if (!is_signature(s.archive.signature, zipfmt::end_sig_bytes)) {
    std::fprintf(stderr, "\nnote:  didn't find end-of-central-dir signature at end of central dir.\n");
    std::fputs(advice_text, stderr);
    if (result == 0) result = warning;
  }

  if (s.opt.test_only && s.opt.quiet < 2) print_test_summary(s, result, member_number + 1, skipped);
  if (skipped > 0 && result == 0) result = warning;
  return result;
}

int select_member(EngineState& s) {
  const CentralHeader& c = s.member.central;
  MemberInfo& m = *s.member.current_member;
  const char* name = s.member.member_name.data();
  std::uint8_t flags = m.flags & (member_lowercase | member_volume_label);
  if (c.flags & zipfmt::flag_encrypted) flags |= member_encrypted;
  if (c.flags & zipfmt::flag_data_descriptor) flags |= member_data_descriptor;
  if (c.internal_attr & 1) flags |= member_text;
  if (s.opt.text_conversion == 2 || (s.opt.text_conversion == 1 && (flags & member_text)))
    flags |= member_convert_line_ends;
  m.flags = flags;
  m.crc = c.crc;
  m.compressed_size = c.compressed_size;

  if (c.host_needed == zipfmt::host_vms) {
    if (c.version_needed > 42) {
      std::fprintf(stderr, "   skipping: %-22s  need %s compat. v%u.%u (can do v%u.%u)\n", name, "VMS",
                   c.version_needed / 10u, c.version_needed % 10u, 4u, 2u);
      return 0;
    }
    if (!s.opt.test_only && !s.opt.assume_yes) {
      std::fprintf(stderr, "\n%s:  stored in VMS format.  Extract anyway? (y/n) ", name);
      std::fflush(stderr);
      if (std::fgets(s.member.answer.data(), static_cast<int>(s.member.answer.size()), stdin) == nullptr)
        std::clearerr(stdin);
      if (s.member.answer[0] != 'y' && s.member.answer[0] != 'Y') return 0;
    }
  } else if (c.version_needed > 20) {
    std::fprintf(stderr, "   skipping: %-22s  need %s compat. v%u.%u (can do v%u.%u)\n", name, "PK",
                 c.version_needed / 10u, c.version_needed % 10u, 2u, 0u);
    return 0;
  }
  if (c.method > zipfmt::method_imploded && c.method != zipfmt::method_deflated) {
    std::fprintf(stderr, "   skipping: %-22s  compression method %d\n", name, static_cast<int>(c.method));
    return 0;
  }
  if (flags & member_encrypted) {
    std::fprintf(stderr, "   skipping: %-22s  encrypted (not supported)\n", name);
    return 0;
  }
  member_file_attributes(s);
  m.local_offset = c.local_offset;
  return 1;
}

int read_local_header(EngineState& s) {
  std::array<std::uint8_t, zipfmt::local_header_size> b{};
  if (read_block(s, b.data(), static_cast<unsigned>(b.size())) < 1) return unexpected_end;
  LocalHeader& l = s.member.local;
  l.version_needed = b[zipfmt::lh_version_needed];
  l.host_needed = b[zipfmt::lh_version_needed + 1];
  l.flags = static_cast<std::uint16_t>(read_le16(&b[zipfmt::lh_flags]));
  l.method = static_cast<std::uint16_t>(read_le16(&b[zipfmt::lh_method]));
  l.time = static_cast<std::uint16_t>(read_le16(&b[zipfmt::lh_time]));
  l.date = static_cast<std::uint16_t>(read_le16(&b[zipfmt::lh_date]));
  l.crc = read_le32(&b[zipfmt::lh_crc]);
  l.compressed_size = read_le32(&b[zipfmt::lh_compressed_size]);
  l.uncompressed_size = read_le32(&b[zipfmt::lh_uncompressed_size]);
  l.name_length = static_cast<std::uint16_t>(read_le16(&b[zipfmt::lh_name_length]));
  l.extra_length = static_cast<std::uint16_t>(read_le16(&b[zipfmt::lh_extra_length]));
  s.in.compressed_left = static_cast<long>(l.compressed_size);
  s.member.expected_output_size = l.uncompressed_size;
  if (l.flags & zipfmt::flag_data_descriptor) {
    // Sizes and CRC follow the data: the central directory's are the real ones.
    l.crc = s.member.current_member->crc;
    l.compressed_size = s.member.current_member->compressed_size;
    s.in.compressed_left = static_cast<long>(l.compressed_size);
  }
  return 0;
}

int check_existing(EngineState& s, const char* path) {
  sys::FileStatus& st = s.archive.stat_buffer;
  if (!sys::file_status(path, st)) return -1;
  std::int64_t existing = st.mtime;
  if (existing & 1) ++existing;  // MS-DOS times have two-second steps
  const std::int64_t member = dos_time_to_seconds(s.member.local.date, s.member.local.time);
  return existing >= member ? 1 : 0;
}

void member_file_attributes(EngineState& s) {
  s.member.current_member->file_attributes = (s.member.central.external_attr | 0x20u) & 0xFFu;
}
