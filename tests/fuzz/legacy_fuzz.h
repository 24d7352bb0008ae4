// Shared set-up of the legacy decoders' fuzz targets (fuzz_explode,
// fuzz_unshrink, fuzz_unreduce). An input is a small member description
// followed by the member's compressed data:
//
//   byte 0     general purpose flag bits, low byte (explode: bit 1 8K window,
//              bit 2 literal tree; unshrink: bit 0 marks a text member;
//              unreduce: bits 0-1 the factor minus one)
//   bytes 1-3  uncompressed size, little-endian, at most 256 KiB (masked, to
//              keep runs fast)
//   byte 4     compressed size claimed beyond the data, in KiB (0: exact),
//              so that truncated members and explode's wide distance
//              lookup (above 200000 bytes) are reached
//   bytes 5-   compressed data
//
// The data goes through a scratch file and the engine's input buffer, the
// output through flush_output into a second scratch file, whose size checks
// that output stays bounded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/engine_state.h"
#include "fuzz/fuzz_support.h"
#include "platform/sys_file.h"

namespace legacy_fuzz {

inline constexpr std::size_t header_size = 5;
inline constexpr std::uint32_t size_mask = 0x3FFFF;

struct Run {
  int result = 0;
  std::uint32_t uncompressed_size = 0;
  std::int64_t written = 0;  // bytes that reached the output file
  long compressed_left = 0;
  std::size_t data_size = 0;
  bool ran = false;
};

template <typename Setup>
Run run(const std::uint8_t* data, std::size_t size, std::uint16_t method, Setup&& setup,
        int (*decoder)(EngineState&)) {
  static const fuzz_support::ScratchFile in_file("legacy_in.bin");
  static const fuzz_support::ScratchFile out_file("legacy_out.bin");
  Run r;
  if (size < header_size) return r;
  const std::uint8_t flags = data[0];
  r.uncompressed_size = (data[1] | data[2] << 8 | static_cast<std::uint32_t>(data[3]) << 16) & size_mask;
  const long claimed_extra = static_cast<long>(data[4]) * 1024;
  r.data_size = size - header_size;
  if (!fuzz_support::write_file(in_file.path(), data + header_size, r.data_size)) return r;

  auto s = std::make_unique<EngineState>();
  s->archive.archive_fd = sys::FileHandle(sys::open_read(in_file.path().c_str()));
  if (!s->archive.archive_fd.valid()) return r;
  s->in.input_buffer = std::make_unique<std::uint8_t[]>(input_block_size + input_spare_size);
  s->in.input_pos = s->in.input_buffer.get();
  s->in.input_left = 0;
  s->in.compressed_left = static_cast<long>(r.data_size) + claimed_extra;
  s->out.output_buffer = std::make_unique<std::uint8_t[]>(output_buffer_size);
  s->out.output_owner.reset(sys::create_write(out_file.path().c_str()));
  s->out.output_file = s->out.output_owner.get();
  if (s->out.output_file < 0) return r;
  s->opt.quiet = 1;
  MemberInfo info;
  s->member.current_member = &info;
  s->member.local.flags = flags;
  s->member.local.method = method;
  s->member.local.compressed_size = static_cast<std::uint32_t>(s->in.compressed_left);
  s->member.local.uncompressed_size = r.uncompressed_size;
  s->member.expected_output_size = r.uncompressed_size;
  s->out.running_crc = 0xFFFFFFFFu;
  s->out.new_output_file = 1;
  setup(*s, flags);

  r.result = decoder(*s);
  r.compressed_left = s->in.compressed_left;
  s->out.output_owner.reset();
  sys::FileStatus st;
  r.written = sys::file_status(out_file.path().c_str(), st) ? st.size : -1;
  r.ran = true;
  return r;
}

}  // namespace legacy_fuzz
