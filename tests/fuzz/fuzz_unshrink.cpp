// Fuzz target: unshrink on raw member data (layout in legacy_fuzz.h; flag
// bit 0 marks the member for text conversion). Every input ends with a
// result of the three documented, with no access outside the code tables.
#include "engine/methods/unshrink.h"
#include "fuzz/legacy_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto r = legacy_fuzz::run(
      data, size, 1,
      [](EngineState& s, std::uint8_t flags) {
        if (flags & 1) s.member.current_member->flags = member_convert_line_ends;
      },
      unshrink);
  if (!r.ran) return 0;
  if (r.result != unshrink_ok && r.result != unshrink_bad_data && r.result != unshrink_no_memory)
    __builtin_trap();
  // Each code of at least 9 bits yields at most one 8192-byte string.
  if (r.written > static_cast<std::int64_t>(r.data_size * 8 / 9 + 1) * 8192) __builtin_trap();
  // Unshrink stops at the end of the data: it never reads far past it.
  if (r.compressed_left < -4) __builtin_trap();
  return 0;
}
