// Inflate and CRC-32 throughput, in memory, against zlib (and libdeflate for
// reference) on the same deterministic data.
//
// Usage: bench_inflate [MiB] [repeats] [engine]   (defaults 100 and 5; with
//        "engine" only the engine's inflate runs, for profiling)
//        bench_inflate --write-data FILE MiB        (the uncompressed data, for
//        the whole-process benchmark of tools/bench_inflate.sh)
//
// The data is "mixed compressible": 64 KiB segments of word text, of
// structured binary records and (one in eight) of noise, deflated once by
// zlib at level 6 as a raw stream. Every decoder inflates the whole stream;
// the figure is uncompressed MB/s (10^6 bytes) of processor time, the median
// of the repeats.
// The engine's inflate always checksums its output (flush_output keeps the
// member's CRC), so zlib and libdeflate are also shown with their CRC-32 over
// the output added. The engine reads its input through read_byte from an
// input buffer that holds the whole stream (no file reads here; the
// whole-process figures of the script include those).
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

#include "engine/crc32.h"
#include "engine/engine_state.h"
#include "engine/methods/inflate.h"

#if VOK_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes make_data(std::size_t size) {
  static const char* words[] = {"the ",       "window ", "inflate ", "of ",     "a ",       "zip ",
                                "member\n",   "data, ",  "decoder ", "table ",  "VOK ",     "Setup ",
                                "installer ", "phone ",  "book ",    "script ", "options ", "terminal ",
                                "modem ",     "\r\n",    "0",        "1",       "2",        "3",
                                "(",          ")",       "; ",       "= "};
  Bytes out;
  out.reserve(size);
  std::uint32_t x = 12345;
  auto next = [&] { return x = x * 1664525u + 1013904223u; };
  std::size_t segment = 0;
  while (out.size() < size) {
    const std::size_t end = std::min(size, out.size() + 65536);
    switch (segment++ % 8) {
      case 3:  // noise
        while (out.size() < end) out.push_back(static_cast<std::uint8_t>(next() >> 24));
        break;
      case 1:
      case 5:  // records: a counter, a small field and a text tag
        for (std::uint32_t i = 0; out.size() < end; ++i) {
          std::uint32_t rec[4] = {i, i * 3 + (next() >> 29), 0x00010000u | (i & 0xFF), 0};
          const auto* p = reinterpret_cast<const std::uint8_t*>(rec);
          out.insert(out.end(), p, p + 16);
        }
        out.resize(end);
        break;
      default:  // text
        while (out.size() < end) {
          const char* w = words[(next() >> 24) % (sizeof words / sizeof *words)];
          out.insert(out.end(), w, w + std::strlen(w));
        }
        out.resize(end);
    }
  }
  return out;
}

Bytes raw_deflate(const Bytes& in, int level) {
  z_stream z{};
  deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  Bytes out(deflateBound(&z, static_cast<uLong>(in.size())));
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// Processor time of this process (not wall time): on a shared, loaded machine
// it leaves out the time spent waiting for a processor.
double median_seconds(int repeats, const std::function<void()>& run) {
  std::vector<double> t;
  for (int i = 0; i < repeats; ++i) {
    const std::clock_t a = std::clock();
    run();
    const std::clock_t b = std::clock();
    t.push_back(static_cast<double>(b - a) / CLOCKS_PER_SEC);
  }
  std::sort(t.begin(), t.end());
  return t[t.size() / 2];
}

std::uint32_t engine_inflate(const Bytes& stream, int& result) {
  auto s = std::make_unique<EngineState>();
  s->in.input_buffer = std::make_unique<std::uint8_t[]>(stream.size() + input_spare_size);
  std::memcpy(s->in.input_buffer.get(), stream.data(), stream.size());
  s->in.input_pos = s->in.input_buffer.get();
  s->in.input_left = static_cast<long>(stream.size());
  s->in.compressed_left = static_cast<long>(stream.size());
  s->opt.test_only = 1;
  s->out.running_crc = 0xFFFFFFFFu;
  result = inflate(*s);
  release_fixed_tables(*s);
  return ~s->out.running_crc;
}

// zlib into a 32 KiB window-sized buffer, as an extractor would.
std::uint32_t zlib_inflate(const Bytes& stream, bool with_crc, std::size_t& produced) {
  z_stream z{};
  inflateInit2(&z, -15);
  static std::uint8_t out[32768];
  z.next_in = const_cast<Bytef*>(stream.data());
  z.avail_in = static_cast<uInt>(stream.size());
  uLong crc = crc32(0, nullptr, 0);
  produced = 0;
  int r;
  do {
    z.next_out = out;
    z.avail_out = sizeof out;
    r = inflate(&z, Z_NO_FLUSH);
    const std::size_t n = sizeof out - z.avail_out;
    if (with_crc) crc = crc32(crc, out, static_cast<uInt>(n));
    produced += n;
  } while (r == Z_OK);
  inflateEnd(&z);
  return static_cast<std::uint32_t>(crc);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--write-data") == 0) {
    const Bytes data = make_data(std::strtoul(argv[3], nullptr, 10) << 20);
    std::FILE* f = std::fopen(argv[2], "wb");
    if (f == nullptr || std::fwrite(data.data(), 1, data.size(), f) != data.size() || std::fclose(f) != 0) {
      std::fprintf(stderr, "bench_inflate: cannot write %s\n", argv[2]);
      return 1;
    }
    return 0;
  }
  const std::size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100;
  const int repeats = argc > 2 ? std::atoi(argv[2]) : 5;
  const Bytes data = make_data(mib << 20);
  const Bytes stream = raw_deflate(data, 6);
  const double mb = static_cast<double>(data.size()) / 1e6;
  const std::uint32_t want_crc =
      static_cast<std::uint32_t>(crc32(0, data.data(), static_cast<uInt>(data.size())));
  std::printf("data: %zu MiB mixed, deflated by zlib -6 to %.1f%% (%zu bytes); median of %d runs\n", mib,
              100.0 * static_cast<double>(stream.size()) / static_cast<double>(data.size()), stream.size(),
              repeats);

  int result = -1;
  std::uint32_t got = 0;
  const double t_engine = median_seconds(repeats, [&] { got = engine_inflate(stream, result); });
  if (result != 0 || got != want_crc) {
    std::printf("engine inflate FAILED: result %d, crc %08x (want %08x)\n", result, got, want_crc);
    return 1;
  }
  if (argc > 3 && std::strcmp(argv[3], "engine") == 0) {
    std::printf("%-34s %8.0f MB/s\n", "engine inflate (with CRC-32)", mb / t_engine);
    return 0;
  }
  std::size_t produced = 0;
  const double t_zlib = median_seconds(repeats, [&] { zlib_inflate(stream, false, produced); });
  const double t_zlib_crc = median_seconds(repeats, [&] { got = zlib_inflate(stream, true, produced); });
  if (produced != data.size() || got != want_crc) std::printf("zlib inflate gave a wrong result\n");

  std::printf("%-34s %8.0f MB/s\n", "engine inflate (with CRC-32)", mb / t_engine);
  std::printf("%-34s %8.0f MB/s   engine/zlib %.2f\n", "zlib inflate", mb / t_zlib, t_zlib / t_engine);
  std::printf("%-34s %8.0f MB/s   engine/zlib+crc %.2f\n", "zlib inflate + crc32", mb / t_zlib_crc,
              t_zlib_crc / t_engine);
#if VOK_HAVE_LIBDEFLATE
  {
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    Bytes out(data.size());
    std::size_t n = 0;
    const double t_ld = median_seconds(repeats, [&] {
      libdeflate_deflate_decompress(d, stream.data(), stream.size(), out.data(), out.size(), &n);
    });
    const double t_ld_crc = median_seconds(repeats, [&] {
      libdeflate_deflate_decompress(d, stream.data(), stream.size(), out.data(), out.size(), &n);
      got = libdeflate_crc32(0, out.data(), n);
    });
    libdeflate_free_decompressor(d);
    if (n != data.size() || got != want_crc) std::printf("libdeflate gave a wrong result\n");
    std::printf("%-34s %8.0f MB/s   engine/libdeflate %.2f\n", "libdeflate (reference)", mb / t_ld,
                t_ld / t_engine);
    std::printf("%-34s %8.0f MB/s   engine/libdeflate+crc %.2f\n", "libdeflate + crc32 (reference)",
                mb / t_ld_crc, t_ld_crc / t_engine);
  }
#endif

  // CRC-32 alone over the uncompressed data.
  std::uint32_t c = 0;
  const double t_crc =
      median_seconds(repeats, [&] { c = ~crc32_update(0xFFFFFFFFu, data.data(), data.size()); });
  const double t_zcrc = median_seconds(repeats, [&] {
    c ^= static_cast<std::uint32_t>(crc32(0, data.data(), static_cast<uInt>(data.size())));
  });
  std::printf("%-34s %8.0f MB/s\n", "engine crc32_update", mb / t_crc);
  std::printf("%-34s %8.0f MB/s   engine/zlib %.2f\n", "zlib crc32", mb / t_zcrc, t_zcrc / t_crc);
  return 0;
}
