// Extracting or testing one member.
//
// The member loop has read the local header, mapped the output path into
// member_name and decided that the member is written (or tested); the
// compressed-data reader stands on its first data byte. Here the output is
// opened (a file, standard output, or nothing in test mode), the progress
// line printed, the method run, its failure reported, the file closed with its
// time and attributes, and the CRC-32 of the output compared with the
// archive's. Stored data is copied through output_window in runs of 32768
// bytes. A decoder that is not part of this program (method_not_built) is
// reported exactly like an unknown method.
#include "engine/extract_member.h"

#include <cstdio>

#include "engine/file_times.h"
#include "engine/input.h"
#include "engine/methods/explode.h"
#include "engine/methods/inflate.h"
#include "engine/methods/unreduce.h"
#include "engine/methods/unshrink.h"
#include "engine/output_stream.h"
#include "engine/zip_format.h"
#include "platform/sys_fsops.h"

namespace {

// Progress verb of a method, or nullptr for a method the engine does not know.
const char* method_verb(unsigned method) {
  switch (method) {
    case zipfmt::method_stored:
      return "extracting";
    case zipfmt::method_shrunk:
      return "unshrinking";
    case zipfmt::method_reduced1:
    case zipfmt::method_reduced2:
    case zipfmt::method_reduced3:
    case zipfmt::method_reduced4:
      return "unreducing";
    case zipfmt::method_imploded:
      return "exploding";
    case zipfmt::method_deflated:
      return "inflating";
    default:
      return nullptr;
  }
}

const char* type_mark(const EngineState& s) {
  if (s.opt.text_conversion != 1) return "";
  if (s.member.local.method == zipfmt::method_stored && s.member.local.uncompressed_size == 0)
    return "[empty] ";
  const MemberInfo* m = s.member.current_member;
  return (m != nullptr && (m->flags & member_text) != 0) ? "[text]  " : "[binary]";
}

void copy_stored(EngineState& s) {
  OutputState& out = s.out;
  std::uint8_t* const window = out.output_window.data();
  out.output_pos = window;
  out.output_count = 0;
  int c;
  while (out.disk_full_state == 0 && (c = read_byte(s)) != -1) {
    *out.output_pos++ = static_cast<std::uint8_t>(c);
    if (++out.output_count == output_window_size) {
      (void)flush_output(s, window, output_window_size, 0);
      out.output_pos = window;
      out.output_count = 0;
    }
  }
  if (out.output_count > 0) (void)flush_output(s, window, out.output_count, 0);
}

// The two forms of a method's error: short (with the name) when quiet, long
// (after the progress line) otherwise.
void report_method_error(const EngineState& s, const char* short_text, const char* long_text) {
  if (s.opt.quiet)
    std::fprintf(stderr, "  error:  %s%s\n", short_text, s.member.member_name.data());
  else
    std::fprintf(stderr, "\n  error:  %s\n", long_text);
}

int explode_size_message(const EngineState& s) {
  const unsigned long compressed = s.member.local.compressed_size;
  const long used = s.out.used_compressed;
  const bool enough = static_cast<long long>(compressed) >= static_cast<long long>(used);
  const bool q = s.opt.quiet != 0;
  std::fprintf(stderr,
               "%s  %s:  %ld bytes required to uncompress to %lu bytes;\n       %s   supposed to require %lu "
               "bytes%s%s%s\n",
               q ? "" : "\n", enough ? "warning" : "error", used,
               static_cast<unsigned long>(s.member.local.uncompressed_size), enough ? "  " : "", compressed,
               q ? " [" : "", q ? s.member.member_name.data() : "", q ? "]" : ".");
  return enough ? warning : format_error;
}

// Runs the member's method; returns the member result, or method_not_built
// when the method is unknown or its decoder is not part of this program.
int run_method(EngineState& s) {
  const unsigned method = s.member.local.method;
  switch (method) {
    case zipfmt::method_stored:
      copy_stored(s);
      return ok;
    case zipfmt::method_shrunk: {
      int r = unshrink(s);
      if (r == method_not_built) return r;
      if (r == unshrink_bad_data) {
        // Damaged data is named as such, like the other methods' bad data,
        // rather than passed off as a memory shortage.
        report_method_error(s, "invalid compressed (shrunk) data for ", "invalid compressed data for unshrink format");
        return format_error;
      }
      if (r != 0)
        report_method_error(s, "not enough memory to unshrink ", "not enough memory for unshrink operation");
      return r;
    }
    case zipfmt::method_reduced1:
    case zipfmt::method_reduced2:
    case zipfmt::method_reduced3:
    case zipfmt::method_reduced4:
      return unreduce(s) == method_not_built ? method_not_built : ok;
    case zipfmt::method_imploded: {
      int r = explode(s);
      if (r == method_not_built || r == 0) return r;
      if (r == 5) return explode_size_message(s);
      if (r == 3) {
        report_method_error(s, "not enough memory to explode ", "not enough memory for explode operation");
        return no_memory_for_member;
      }
      report_method_error(s, "invalid compressed (imploded) data for ",
                          "invalid compressed data for explode format");
      return format_error;
    }
    case zipfmt::method_deflated: {
      int r = inflate(s);
      if (r == method_not_built || r == 0) return r;
      if (r == 3) {
        report_method_error(s, "not enough memory to inflate ", "not enough memory for inflate operation");
        return no_memory_for_member;
      }
      report_method_error(s, "invalid compressed (deflated) data for ",
                          "invalid compressed data for inflate format");
      return format_error;
    }
    default:
      return method_not_built;
  }
}

}  // namespace

int open_output_file(EngineState& s) {
  const char* path = s.member.member_name.data();
  sys::FileStatus st;
  // A read-only file in the way is replaced like any other.
  if (sys::file_status(path, st) && !st.is_directory && !st.owner_writable)
    (void)sys::make_owner_writable(path);
  s.out.output_owner.reset(sys::create_write(path));
  s.out.output_file = s.out.output_owner.get();
  if (!s.out.output_owner.valid()) {
    std::fprintf(stderr, "\nerror:  cannot create %s\n", path);
    return 1;
  }
  return 0;
}

int extract_or_test_member(EngineState& s) {
  InputState& in = s.in;
  OutputState& out = s.out;
  const char* name = s.member.member_name.data();
  in.bit_count = 0;
  in.bit_buffer = 0;
  in.input_exhausted = 0;
  out.new_output_file = 1;
  out.running_crc = 0xFFFFFFFFu;

  const bool to_file = !s.opt.test_only && !s.opt.to_stdout;
  if (s.opt.test_only) {
    if (s.opt.quiet == 0) {
      std::printf("%11s: %-22s  %s%s", "testing", name, "", "");
      std::fflush(stdout);
    }
  } else if (s.opt.to_stdout) {
    std::fflush(stdout);
    out.output_owner.reset();
    out.output_file = sys::stdout_fd();
    sys::set_binary_mode(out.output_file);
  } else if (open_output_file(s) != 0) {
    return disk_full;
  }

  const char* verb = method_verb(s.member.local.method);
  if (verb != nullptr && !s.opt.test_only && s.opt.quiet == 0) {
    std::printf("%11s: %-22s  %s%s", verb, name, type_mark(s), s.opt.to_stdout ? "\n" : "");
    std::fflush(stdout);
  }
  int result = run_method(s);
  if (result == method_not_built) {
    std::fprintf(stderr, "%s:  unknown compression method\n", name);
    out.output_owner.reset();
    out.output_file = -1;
    return warning;
  }

  if (out.disk_full_state != 0) {
    if (out.disk_full_state > 1) {
      out.output_owner.reset();
      out.output_file = -1;
      return disk_full;
    }
    result = warning;
  }
  if (to_file) {
    finish_output_file(s);
  } else {
    out.output_file = -1;
    if (s.opt.to_stdout) std::fflush(stdout);
  }
  if (result > 1) return result;

  out.running_crc = ~out.running_crc;
  if (out.running_crc != s.member.local.crc) {
    if (s.opt.quiet) std::fprintf(stderr, "%-22s ", name);
    std::fprintf(stderr, " bad CRC %08lx  (should be %08lx)\n", static_cast<unsigned long>(out.running_crc),
                 static_cast<unsigned long>(s.member.local.crc));
    std::fflush(stderr);
    result = format_error;
  } else if (s.opt.test_only) {
    if (s.opt.quiet == 0) std::printf(" OK\n");
  } else if (s.opt.quiet == 0 && result == 0) {
    std::printf("\n");
  }
  return result;
}
