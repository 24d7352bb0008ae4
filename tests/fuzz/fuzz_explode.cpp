// Fuzz target: explode on raw member data with a fuzzed flag word and sizes
// (layout in legacy_fuzz.h). Every input ends with one of the six results,
// and the output never passes the uncompressed size by more than one match.
#include "engine/methods/explode.h"
#include "fuzz/legacy_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto r = legacy_fuzz::run(
      data, size, 6, [](EngineState&, std::uint8_t) {}, explode);
  if (!r.ran) return 0;
  if (r.result < explode_ok || r.result > explode_size_mismatch) __builtin_trap();
  if (r.written > static_cast<std::int64_t>(r.uncompressed_size) + 320) __builtin_trap();
  // Whole output reaches the file on success and on a size mismatch.
  if ((r.result == explode_ok || r.result == explode_size_mismatch) && r.written < r.uncompressed_size)
    __builtin_trap();
  return 0;
}
