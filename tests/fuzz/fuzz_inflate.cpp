// Fuzz target: one raw deflate stream through inflate, read from a file
// through the engine's input buffer (refills included) in test mode.
// Every input must end with a result, within bounded output, with every
// table released. With zlib at hand it is the reference: a stream that zlib
// decodes to its end must decode here too, to the same bytes (the CRC-32
// of the whole output).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "engine/engine_state.h"
#include "engine/methods/inflate.h"
#include "fuzz/fuzz_support.h"

#if VOK_HAVE_ZLIB
#include <zlib.h>

namespace {

struct Reference {
  bool complete = false;  // zlib reached the end of the stream
  std::uint32_t crc = 0;
  std::uint64_t length = 0;  // bounds the reference's work
};

Reference zlib_reference(const std::uint8_t* data, std::size_t size) {
  Reference ref;
  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK) return ref;
  static std::uint8_t out[1 << 16];
  z.next_in = const_cast<Bytef*>(data);
  z.avail_in = static_cast<uInt>(size);
  uLong crc = crc32(0, nullptr, 0);
  int r;
  do {
    z.next_out = out;
    z.avail_out = sizeof out;
    r = inflate(&z, Z_NO_FLUSH);
    const std::size_t n = sizeof out - z.avail_out;
    crc = crc32(crc, out, static_cast<uInt>(n));
    ref.length += n;
  } while (r == Z_OK && ref.length < (std::uint64_t{1} << 28));
  ref.complete = r == Z_STREAM_END;
  ref.crc = static_cast<std::uint32_t>(crc);
  inflateEnd(&z);
  return ref;
}

}  // namespace
#endif

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
#if VOK_HAVE_ZLIB
  const Reference ref = zlib_reference(data, size);
  if (ref.complete && (result != 0 || ~s->out.running_crc != ref.crc)) __builtin_trap();
#endif
  if (result < 0 || result > 3) __builtin_trap();
  // A stream never reads more than a few bytes past its end.
  if (s->in.compressed_left < -16) __builtin_trap();
  release_fixed_tables(*s);
  return 0;
}
