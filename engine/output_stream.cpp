// Output stream: every decoder and the stored copy hand their output here one
// run at a time.
//
// flush_output keeps the member's CRC-32 over every run, and writes the run to
// the output descriptor unbuffered, in one write call. Text members (-a, -aa)
// are converted on the way: CR, LF and CR LF all become CR LF. The conversion
// works on whole runs into a target twice the run's size, so a run is still
// one write; a CR at the end of one run followed by an LF at the start of the
// next is recognised through last_was_cr, which is cleared per member.
//
// A short write to a file asks the user whether to go on (ask_disk_full); once
// a write failed, nothing more is written for that member. A short write to
// standard output is ignored (a closed pipe is the reader's business).
#include "engine/output_stream.h"

#include <cstdio>
#include <new>

namespace {

// Writes the bytes; a short write to a file becomes the disk-full question.
int write_run(EngineState& s, const std::uint8_t* data, unsigned count) {
  long written = sys::write(s.out.output_file, data, count);
  if (written != static_cast<long>(count)) {
    if (s.opt.to_stdout) return 0;
    return ask_disk_full(s);
  }
  return 0;
}

// Converts line ends of data[0, count) into target (2 * count bytes at least);
// returns the converted length.
unsigned convert_line_ends(OutputState& out, const std::uint8_t* data, unsigned count, std::uint8_t* target) {
  const std::uint8_t* next = data;
  const std::uint8_t* end = data + count;
  if (next < end && *next == '\n' && out.last_was_cr) ++next;
  out.last_was_cr = 0;
  std::uint8_t* t = target;
  while (next < end) {
    std::uint8_t c = *next++;
    if (c == '\r') {
      *t++ = '\r';
      *t++ = '\n';
      if (next == end)
        out.last_was_cr = 1;
      else if (*next == '\n')
        ++next;
    } else if (c == '\n') {
      *t++ = '\r';
      *t++ = '\n';
    } else {
      *t++ = c;
    }
  }
  return static_cast<unsigned>(t - target);
}

}  // namespace

int flush_output(EngineState& s, const std::uint8_t* data, unsigned count, int from_output_buffer) {
  OutputState& out = s.out;
  out.running_crc = crc32_update(out.running_crc, data, count);
  if (s.opt.test_only || count == 0) return 0;
  if (out.disk_full_state != 0) return 50;

  const bool convert =
      s.member.current_member != nullptr && (s.member.current_member->flags & member_convert_line_ends) != 0;
  if (!convert) return write_run(s, data, count);

  // Runs from output_window (up to 32768 bytes) convert into output_buffer,
  // runs from output_buffer (up to 65536) into conversion_buffer. The buffers
  // are normally allocated by the run's start and by unshrink; a caller that
  // did not (a test, a larger run) gets them here, once.
  std::unique_ptr<std::uint8_t[]>& target_owner =
      from_output_buffer ? out.conversion_buffer : out.output_buffer;
  const unsigned target_size = from_output_buffer ? conversion_buffer_size : output_buffer_size;
  if (!target_owner) {
    target_owner.reset(new (std::nothrow) std::uint8_t[target_size]);
    if (!target_owner) return write_run(s, data, count);  // no memory: the bytes unconverted beat none
  }
  if (out.new_output_file) {
    out.last_was_cr = 0;
    out.new_output_file = 0;
  }
  const unsigned piece_limit = target_size / 2;
  while (count > 0) {
    const unsigned piece = count < piece_limit ? count : piece_limit;
    const unsigned converted = convert_line_ends(out, data, piece, target_owner.get());
    if (converted > 0) {
      int r = write_run(s, target_owner.get(), converted);
      if (r != 0) return r;
    }
    data += piece;
    count -= piece;
  }
  return 0;
}

int ask_disk_full(EngineState& s) {
  std::fprintf(stderr, "\n%s:  write error (disk full?).  Continue? (y/n/^C) ", s.member.member_name.data());
  std::fflush(stderr);
  // A read that gets nothing leaves the previous reply in answer.
  if (std::fgets(s.member.answer.data(), static_cast<int>(s.member.answer.size()), stdin) == nullptr)
    std::clearerr(stdin);
  s.out.disk_full_state = (s.member.answer[0] == 'y') ? 1 : 2;
  return 50;
}
