// The archive loop, the end-record search and the buffered archive reader.
//
// Reader invariant: input_buffer holds one block of the archive file that
// starts at buffer_file_offset (a multiple of 2048, or 0 for the short first
// block of a small file); input_pos is the next unread byte and input_left
// the unread count (it may go negative after a seek past the data of a short
// last block, which read_block treats as "nothing left"). The file position
// is always just after the block's data, so a refill reads the next block.
//
// Offsets stated in the archive are corrected by prefix_bytes: bytes in front
// of the archive proper (a self-extractor stub) or, when negative, bytes
// missing from it. seek_archive adds it; read_string_field's skip mode works
// from file positions and so takes it off first.
//
// The end record is searched backwards block by block; the spare 4 bytes
// behind input_buffer hold the first bytes of the block read before, so that
// a signature across a block boundary is found. A match counts only with a
// whole 22-byte record behind it in the file.
#include "engine/archive.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <new>

#include "engine/extract.h"
#include "engine/methods/inflate.h"
#include "engine/names.h"
#include "engine/reports/listing.h"
#include "engine/reports/report.h"
#include "engine/wildcard.h"
#include "engine/zip_format.h"
#include "platform/sys_file.h"

namespace {

std::uint8_t* buffer_start(EngineState& s) {
  return s.in.input_buffer.get();
}

long consumed(EngineState& s) {
  return static_cast<long>(s.in.input_pos - buffer_start(s));
}

// Position of the next unread byte in the file.
std::int64_t file_position(EngineState& s) {
  return s.in.buffer_file_offset + consumed(s);
}

bool is_signature(const std::uint8_t* p, const std::array<std::uint8_t, 4>& sig) {
  return std::memcmp(p, sig.data(), 4) == 0;
}

// Reads up to n bytes at file offset `at` into input_buffer; the count read.
long read_at(EngineState& s, std::int64_t at, unsigned n) {
  if (sys::seek(s.archive.archive_fd.get(), at) != at) return -1;
  return sys::read(s.archive.archive_fd.get(), buffer_start(s), n);
}

void fill_end_record(EngineState& s, const std::uint8_t* b) {
  using namespace zipfmt;
  EndRecord& e = s.archive.end;
  e.this_disk = static_cast<std::uint16_t>(read_le16(b + end_this_disk));
  e.dir_start_disk = static_cast<std::uint16_t>(read_le16(b + end_dir_start_disk));
  e.entries_this_disk = static_cast<std::uint16_t>(read_le16(b + end_entries_this_disk));
  e.entries_total = static_cast<std::uint16_t>(read_le16(b + end_entries_total));
  e.dir_size = read_le32(b + end_dir_size);
  e.dir_offset = read_le32(b + end_dir_offset);
  e.comment_length = static_cast<std::uint16_t>(read_le16(b + end_comment_length));
}

}  // namespace

const char* engine_program_name(const EngineState& s) {
  return s.opt.report_mode ? "arcinfo" : "unpak";
}

void close_archive(EngineState& s) {
  s.archive.archive_fd.reset();
}

int open_archive(EngineState& s) {
  int fd = sys::open_read(s.archive.current_archive);
  if (fd < 0) {
    std::fprintf(stderr, "error:  can't open zipfile [ %s ]\n", s.archive.current_archive);
    return 1;
  }
  sys::set_binary_mode(fd);
  s.archive.archive_fd.reset(fd);
  return 0;
}

int read_block(EngineState& s, void* buffer, unsigned count) {
  InputState& in = s.in;
  auto* out = static_cast<std::uint8_t*>(buffer);
  unsigned done = 0;
  while (done < count) {
    if (in.input_left <= 0) {
      long n = sys::read(s.archive.archive_fd.get(), buffer_start(s), input_block_size);
      if (n == 0) {
        in.input_left = 0;
        break;
      }
      if (n < 0) {
        in.input_left = 0;
        std::fprintf(stderr, "error:  zipfile read error\n");
        return -1;
      }
      // Data after a block only ever follows a whole block.
      in.buffer_file_offset += input_block_size;
      in.input_pos = buffer_start(s);
      in.input_left = n;
    }
    unsigned take = std::min(count - done, static_cast<unsigned>(in.input_left));
    std::memcpy(out + done, in.input_pos, take);
    in.input_pos += take;
    in.input_left -= static_cast<long>(take);
    done += take;
  }
  return static_cast<int>(done);
}

int seek_archive(EngineState& s, std::int64_t offset) {
  InputState& in = s.in;
  std::int64_t r = offset + s.archive.prefix_bytes;
  if (r < 0) {
    std::fprintf(stderr, "error [%s]:  attempt to seek before beginning of zipfile\n%s",
                 s.archive.current_archive, advice_text);
    return corrupt_archive;
  }
  std::int64_t o = r % input_block_size;
  std::int64_t b = r - o;
  if (b == in.buffer_file_offset) {
    in.input_left += consumed(s) - static_cast<long>(o);
    in.input_pos = buffer_start(s) + o;
    return ok;
  }
  if (sys::seek(s.archive.archive_fd.get(), b) != b) return unexpected_end;
  in.buffer_file_offset = b;
  long n = sys::read(s.archive.archive_fd.get(), buffer_start(s), input_block_size);
  in.input_left = n;
  in.input_pos = buffer_start(s);
  if (n <= 0) {
    in.input_left = 0;
    return unexpected_end;
  }
  in.input_pos = buffer_start(s) + o;
  in.input_left -= static_cast<long>(o);
  return ok;
}

int read_string_field(EngineState& s, unsigned length, FieldMode mode) {
  if (length == 0) return ok;
  switch (mode) {
    case field_skip:
      return seek_archive(s, file_position(s) + length - s.archive.prefix_bytes);

    case field_display: {
      std::uint8_t* piece = s.out.output_buffer.get();
      unsigned left = length;
      while (left > 0) {
        unsigned want = std::min(left, output_buffer_size - 1);
        int n = read_block(s, piece, want);
        if (n <= 0) return unexpected_end;
        // Carriage returns are dropped; the byte after one is kept as it is.
        unsigned kept = 0;
        for (int i = 0; i < n; ++i) {
          if (piece[i] == '\r') {
            if (++i < n) piece[kept++] = piece[i];
          } else {
            piece[kept++] = piece[i];
          }
        }
        for (unsigned i = 0; i < kept && piece[i] != 0; ++i) {
          if (piece[i] == 27) {
            std::fputs("^[", stdout);
          } else {
            std::putchar(piece[i]);
          }
        }
        left -= static_cast<unsigned>(n);
      }
      std::putchar('\n');
      return ok;
    }

    case field_file_name: {
      int result = ok;
      unsigned excess = 0;
      constexpr unsigned longest = member_name_size - 1;
      if (length > longest) {
        std::fprintf(stderr, "warning:  filename too long--truncating.\n");
        excess = length - longest;
        length = longest;
        result = warning;
      }
      char* name = s.member.member_name.data();
      int n = read_block(s, name, length);
      if (n <= 0) {
        name[0] = '\0';
        return unexpected_end;
      }
      name[n] = '\0';
      const MemberInfo* m = s.member.current_member;
      if (m != nullptr && (m->flags & member_lowercase)) {
        for (char* p = name; *p; ++p) *p = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
      }
      if (m != nullptr && (m->flags & member_volume_label) && n > 8 && name[8] == '.')
        std::memmove(name + 8, name + 9, static_cast<std::size_t>(n) - 8);  // moves the terminator too
      if (excess > 0) {
        std::fprintf(stderr, "[ %s ]\n", name);
        int r = read_string_field(s, excess, field_skip);
        if (r != ok) return r;
      }
      return result;
    }

    case field_extra: {
      s.member.extra_field.reset();
      s.member.extra_field_length = 0;
      s.member.extra_field.reset(new (std::nothrow) std::uint8_t[length]);
      if (!s.member.extra_field) {
        std::fprintf(stderr, "warning:  extra field too long (%d).  Ignoring...\n", static_cast<int>(length));
        return read_string_field(s, length, field_skip);
      }
      if (read_block(s, s.member.extra_field.get(), length) <= 0) return unexpected_end;
      s.member.extra_field_length = length;
      return ok;
    }
  }
  return ok;
}

int find_end_record(EngineState& s, std::int64_t search_length) {
  InputState& in = s.in;
  ArchiveState& a = s.archive;
  std::uint8_t* buf = buffer_start(s);
  std::uint8_t* spare = buf + input_block_size;
  std::memset(spare, 0, input_spare_size);
  const std::int64_t length = a.archive_length;
  const std::int64_t last_record_start = length - static_cast<std::int64_t>(zipfmt::end_record_size);
  long match = -1;  // position in buf
  long data_count = 0;

  // Scans buf[from] down to buf[0]; a match needs a whole record before the end of the file.
  auto scan = [&](long from) {
    for (long i = from; i >= 0; --i) {
      if (buf[i] == 'P' && is_signature(buf + i, a.end_signature) &&
          in.buffer_file_offset + i <= last_record_start)
        return i;
    }
    return -1L;
  };

  if (length <= input_block_size) {
    in.buffer_file_offset = 0;
    long n = read_at(s, 0, static_cast<unsigned>(length));
    if (n == length) {
      data_count = n;
      match = scan(static_cast<long>(last_record_start));
    }
  } else {
    const long tail = static_cast<long>(length % input_block_size);
    bool readable = true;
    in.buffer_file_offset = length - tail;
    if (tail > 18) {
      long n = read_at(s, in.buffer_file_offset, static_cast<unsigned>(tail));
      if (n != tail) {
        readable = false;
      } else {
        data_count = n;
        match = scan(tail - static_cast<long>(zipfmt::end_record_size));
        std::memcpy(spare, buf, 3);
      }
    }
    std::int64_t blocks = (search_length - tail + input_block_size - 1) / input_block_size;
    for (std::int64_t k = 0; readable && match < 0 && k < blocks && in.buffer_file_offset > 0; ++k) {
      in.buffer_file_offset -= input_block_size;
      long n = read_at(s, in.buffer_file_offset, input_block_size);
      if (n != input_block_size) break;
      data_count = n;
      match = scan(input_block_size - 1);
      std::memcpy(spare, buf, 3);
    }
  }

  if (match < 0) {
    if (s.opt.quiet || (s.opt.report_mode && !s.opt.header_line))
      std::fprintf(stderr, "[%s]\n", a.current_archive);
    std::fprintf(stderr,
                 "  End-of-central-directory signature not found.  Either this file is not\n"
                 "  a zipfile, or it constitutes one disk of a multi-part archive.  In the\n"
                 "  latter case the central directory and zipfile comment will be found on\n"
                 "  the last disk(s) of this archive.\n\n");
    return format_error;
  }

  in.input_pos = buf + match;
  in.input_left = data_count - match;
  a.end_record_offset = in.buffer_file_offset + match;
  std::uint8_t record[zipfmt::end_record_size];
  if (read_block(s, record, sizeof record) < static_cast<int>(sizeof record)) return unexpected_end;
  fill_end_record(s, record);
  a.expected_end_offset = static_cast<std::int64_t>(a.end.dir_offset) + a.end.dir_size;
  return ok;
}

int show_archive_comment(EngineState& s) {
  int show = s.opt.show_comment;
  if (s.archive.end.comment_length == 0) return ok;
  if (show > 0 || (show == 0 && s.opt.quiet == 0)) {
    if (read_string_field(s, s.archive.end.comment_length, field_display) != ok) {
      std::fprintf(stderr, "\ncaution:  zipfile comment truncated\n");
      return warning;
    }
  }
  return ok;
}

int process_archive(EngineState& s, int last_chance) {
  ArchiveState& a = s.archive;
  const bool report = s.opt.report_mode != 0;
  const char* name = a.current_archive;

  a.stat_buffer = sys::FileStatus{};
  bool found = sys::file_status(name, a.stat_buffer);
  if (!found || a.stat_buffer.is_directory) {
    if (last_chance) {
      if (a.end_record_missing) {
        std::fprintf(stderr,
                     "%s:  can't find zipfile directory in %s,\n        %sand can't find %s, period.\n",
                     engine_program_name(s), s.args.archive_pattern, report ? "  " : "", name);
      } else {
        std::fprintf(stderr, "%s:  can't find either %s or %s, so there.\n", engine_program_name(s),
                     s.args.archive_pattern, name);
      }
    }
    return found ? is_directory : no_archive;
  }

  a.archive_length = a.stat_buffer.size;
  const bool executable = a.stat_buffer.is_executable;
  if (open_archive(s) != 0) return no_archive;

  s.in.buffer_file_offset = 0;
  s.in.input_pos = buffer_start(s);
  s.in.input_left = 0;
  if (s.opt.quiet == 0 && !report) std::printf("Archive:  %s\n", name);

  // The end record (and in report mode the report header) must be there;
  // without it the first try is silent so that ".zip" can be tried.
  int result = report ? find_end_record(s, a.archive_length)
                      : find_end_record(s, std::min(a.archive_length, end_search_length));
  if (result == ok) result = report ? report_header(s) : show_archive_comment(s);
  if (result > warning) {
    close_archive(s);
    if (executable) std::fprintf(stderr, "note:  %s may be an executable, not an archive\n", name);
    if (last_chance) return result;
    a.end_record_missing = 1;
    return no_archive;
  }

  if (s.opt.show_comment > 0 && !report) {
    close_archive(s);
    return result;
  }

  // Multi-disk archives are not supported; the old two-part bug is let through.
  const EndRecord& e = a.end;
  if (report) {
    if (e.this_disk != e.dir_start_disk) {
      std::fprintf(stderr,
                   "\n     Zipfile is part of a multi-disk archive, and this is not the disk on\n"
                   "     which the central zipfile directory begins.\n");
      close_archive(s);
      return unsupported_archive;
    }
  } else if (e.this_disk == 1 && e.dir_start_disk == 1) {
    std::fprintf(stderr,
                 "\n     Warning:  zipfile claims to be second disk of a two-part archive;\n"
                 "     attempting to process anyway.  If no further errors occur, this\n"
                 "     archive was probably created by PAK v2.51 or earlier.  This bug\n"
                 "     was reported to NoGate in March 1991 and was supposed to have been\n"
                 "     fixed by mid-1991; as of mid-1992 it still hadn't been.  (If fur-\n"
                 "     ther errors do occur, archive was probably created by PKZIP 2.04c\n"
                 "     or later; Unpak does not yet support multi-part archives.)\n\n");
    result = warning;
  } else if (e.this_disk != 0) {
    std::fprintf(stderr,
                 "\nerror [%s]:  zipfile is part of multi-disk archive\n  (sorry, not yet supported).\n",
                 name);
    close_archive(s);
    return unsupported_archive;
  }

  std::uint32_t dir_offset = e.dir_offset;
  a.prefix_bytes = a.end_record_offset - a.expected_end_offset;
  if (a.prefix_bytes < 0) {
    std::fprintf(stderr, "error [%s]:  missing %ld bytes in zipfile\n  (attempting to process anyway)\n",
                 name, static_cast<long>(-a.prefix_bytes));
    result = format_error;
  } else if (a.prefix_bytes > 0) {
    if (e.dir_offset == 0 && e.dir_size != 0) {
      std::fprintf(stderr, "error [%s]:  NULL central directory offset\n  (attempting to process anyway)\n",
                   name);
      dir_offset = static_cast<std::uint32_t>(a.prefix_bytes);
      a.end.dir_offset = dir_offset;
      a.prefix_bytes = 0;
      result = format_error;
    } else {
      std::fprintf(stderr,
                   "warning [%s]:  extra %ld bytes at beginning or within zipfile\n"
                   "  (attempting to process anyway)\n",
                   name, static_cast<long>(a.prefix_bytes));
      result = warning;
    }
  }

  if (a.expected_end_offset == 0 && e.dir_size == 0) {
    if (report) {
      std::printf("%sEmpty zipfile.\n", s.opt.report_format > 9 ? "\n  " : "");
    } else {
      std::fprintf(stderr, "warning [%s]:  zipfile is empty\n", name);
    }
    close_archive(s);
    return worse(result, warning);
  }

  // Find the central directory; when it is not where the stated offsets put
  // it, try again without the prefix correction (the directory size was
  // stated too long).
  if (int r = seek_archive(s, dir_offset); r != ok) {
    close_archive(s);
    return r;
  }
  int n = read_block(s, a.signature.data(), 4);
  if (n < 0) {
    close_archive(s);
    return format_error;
  }
  if (n < 4 || !is_signature(a.signature.data(), a.central_signature)) {
    std::int64_t old_prefix = a.prefix_bytes;
    a.prefix_bytes = 0;
    if (int r = seek_archive(s, dir_offset); r != ok) {
      close_archive(s);
      return r;
    }
    n = read_block(s, a.signature.data(), 4);
    if (n < 4 || !is_signature(a.signature.data(), a.central_signature)) {
      std::fprintf(stderr, "error [%s]:  start of central directory not found;\n  zipfile corrupt.\n%s", name,
                   advice_text);
      close_archive(s);
      return corrupt_archive;
    }
    std::fprintf(stderr,
                 "error [%s]:  reported length of central directory is\n"
                 "  %ld bytes too long (Atari STZIP zipfile?  R.T.Venn ZIPSPLIT 1.1\n"
                 "  zipfile?).  Compensating...\n",
                 name, static_cast<long>(-old_prefix));
    result = format_error;
  }
  if (int r = seek_archive(s, dir_offset); r != ok) {
    close_archive(s);
    return r;
  }

  int dispatched;
  if (report) {
    dispatched = report_members(s);
    if (s.opt.report_format > 9) std::printf("\n");
  } else if (s.opt.list_mode) {
    dispatched = list_members(s);
  } else {
    dispatched = extract_members(s);
  }
  close_archive(s);
  return worse(result, dispatched);
}

namespace {

struct ArchiveCounts {
  int successes = 0;
  int warnings = 0;
  int fatal = 0;
  int no_directory = 0;
  int directories = 0;
};

void count_result(ArchiveCounts& c, int r, bool count_no_directory) {
  if (r == ok) {
    ++c.successes;
  } else if (r == warning) {
    ++c.warnings;
  } else if (r == is_directory) {
    ++c.directories;
  } else if (r == no_archive) {
    if (count_no_directory) ++c.no_directory;
  } else {
    ++c.fatal;
  }
}

const char* plural(int n) {
  return n == 1 ? "" : "s";
}

}  // namespace

int process_archives(EngineState& s) {
  ArchiveState& a = s.archive;
  std::memcpy(a.local_signature.data(), zipfmt::local_sig_bytes, 4);
  std::memcpy(a.central_signature.data(), zipfmt::central_sig_bytes, 4);
  std::memcpy(a.end_signature.data(), zipfmt::end_sig_bytes, 4);

  ArchiveCounts c;
  int worst = ok;
  int last_result = ok;
  char* last_name = nullptr;
  while (char* name = expand_archive_name(s, s.args.archive_pattern)) {
    a.current_archive = name;
    last_name = name;
    if (s.opt.quiet == 0 && last_result != no_archive &&
        c.successes + c.warnings + c.fatal + c.no_directory > 0)
      std::printf("\n");
    std::fflush(stdout);
    last_result = process_archive(s, 0);
    count_result(c, last_result, true);
    if (last_result != is_directory) worst = worse(worst, last_result);
  }

  // One name that was neither a file nor had an end record: try it with ".zip".
  if (c.successes + c.warnings + c.fatal == 0 && c.no_directory + c.directories == 1 &&
      last_name != nullptr) {
    c.no_directory = 0;
    c.directories = 0;
    if (worst == no_archive) worst = ok;
    // expanded_name always keeps room for the suffix.
    std::strcat(last_name, ".zip");
    a.current_archive = last_name;
    last_result = process_archive(s, 1);
    count_result(c, last_result, false);
    worst = worse(worst, last_result);
  }
  if (s.wild.names_refused > 0) worst = worse(worst, no_archive);

  std::fflush(stdout);
  std::fflush(stderr);
  const int others = c.warnings + c.fatal + c.no_directory + c.directories;
  if (!(c.successes == 1 && others == 0)) std::fprintf(stderr, "\n");
  if (c.successes > 1 || (c.successes == 1 && others > 0))
    std::fprintf(stderr, "%d archive%s successfully processed.\n", c.successes,
                 c.successes == 1 ? " was" : "s were");
  if (c.warnings > 0)
    std::fprintf(stderr, "%d archive%s had warnings but no fatal errors.\n", c.warnings, plural(c.warnings));
  if (c.fatal > 0) std::fprintf(stderr, "%d archive%s had fatal errors.\n", c.fatal, plural(c.fatal));
  if (c.no_directory > 0)
    std::fprintf(stderr, "%d file%s had no zipfile directory.\n", c.no_directory, plural(c.no_directory));
  if (c.directories == 1) {
    std::fprintf(stderr, "1 \"zipfile\" was a directory.\n");
  } else if (c.directories > 1) {
    std::fprintf(stderr, "%d \"zipfiles\" were directories.\n", c.directories);
  }
  if (c.successes + c.warnings + c.fatal == 0) std::fprintf(stderr, "No zipfiles found.\n");

  release_fixed_tables(s);
  checkdir(s, nullptr, CHECKDIR_END);
  s.out.conversion_buffer.reset();
  s.out.output_buffer.reset();
  s.in.input_buffer.reset();
  return worst;
}
