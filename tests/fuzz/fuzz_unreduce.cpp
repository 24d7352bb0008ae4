// Fuzz target: unreduce on raw member data (layout in legacy_fuzz.h; flag
// bits 0-1 choose the factor). Decoding reaches the uncompressed size and
// passes it by at most one run, or stops short only when the data ended long
// before that size.
#include "engine/methods/unreduce.h"
#include "fuzz/legacy_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto r = legacy_fuzz::run(
      data, size, 2,
      [](EngineState& s, std::uint8_t flags) {
        s.member.local.method = static_cast<std::uint16_t>(2 + (flags & 3));
      },
      unreduce);
  if (!r.ran) return 0;
  if (r.written > static_cast<std::int64_t>(r.uncompressed_size) + 384) __builtin_trap();
  if ((r.written < r.uncompressed_size) != (r.result == unreduce_data_ended)) __builtin_trap();
  if (r.compressed_left < -1) __builtin_trap();
  return 0;
}
