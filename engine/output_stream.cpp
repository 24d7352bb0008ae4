// Output stream: CRC-32, the unbuffered write, and the write-failure question.
#include "engine/output_stream.h"

#include <cstdio>

int flush_output(EngineState& s, const std::uint8_t* data, unsigned count, int /*from_output_buffer*/) {
  OutputState& out = s.out;
  out.running_crc = crc32_update(out.running_crc, data, count);
  if (s.opt.test_only || count == 0) return 0;
  if (out.disk_full_state != 0) return 50;
  long written = sys::write(out.output_file, data, count);
  if (written != static_cast<long>(count)) {
    if (s.opt.to_stdout) return 0;
    return ask_disk_full(s);
  }
  return 0;
}

int ask_disk_full(EngineState& s) {
  std::fprintf(stderr, "\n%s:  write error (disk full?).  Continue? (y/n/^C) ", s.member.member_name.data());
  std::fflush(stderr);
  if (std::fgets(s.member.answer.data(), static_cast<int>(s.member.answer.size()), stdin) == nullptr) {
    // Nothing read: the previous reply decides.
  }
  s.out.disk_full_state = (s.member.answer[0] == 'y') ? 1 : 2;
  return 50;
}
