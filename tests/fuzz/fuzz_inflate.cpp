// Fuzz target: one raw deflate stream through inflate, read from a file
// through the engine's input buffer (refills included) in test mode.
// Every input must end with a result, within bounded output, with every
// table released.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "engine/engine_state.h"
#include "engine/methods/inflate.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fuzz_support::ScratchFile scratch("inflate.bin");
  const std::string& path = scratch.path();
  if (!fuzz_support::write_file(path, data, size)) return 0;

  auto s = std::make_unique<EngineState>();
  s->archive.archive_fd = sys::FileHandle(sys::open_read(path.c_str()));
  if (!s->archive.archive_fd.valid()) return 0;
  s->in.input_buffer = std::make_unique<std::uint8_t[]>(input_block_size + input_spare_size);
  s->in.input_pos = s->in.input_buffer.get();
  s->in.input_left = 0;
  s->in.compressed_left = static_cast<long>(size);
  s->opt.test_only = 1;
  s->opt.quiet = 1;
  s->out.running_crc = 0xFFFFFFFFu;

  const int result = inflate(*s);
  if (result < 0 || result > 3) __builtin_trap();
  // A stream never reads more than a few bytes past its end.
  if (s->in.compressed_left < -16) __builtin_trap();
  release_fixed_tables(*s);
  return 0;
}
