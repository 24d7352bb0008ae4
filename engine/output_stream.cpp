// Output stream: CRC-32, the unbuffered write, and the write-failure question.
#include "engine/output_stream.h"

#include <array>
#include <cstdio>

namespace {

// byte => CRC-32 of that byte (reflected polynomial 0xEDB88320)
constexpr std::array<std::uint32_t, 256> make_crc_table() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[i] = c;
  }
  return table;
}
constexpr auto crc_table = make_crc_table();
static_assert(crc_table[1] == 0x77073096u);
static_assert(crc_table[255] == 0x2D02EF8Du);

}  // namespace

std::uint32_t crc32_update(std::uint32_t crc, const std::uint8_t* data, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) crc = crc_table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return crc;
}

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
