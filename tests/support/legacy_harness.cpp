// Decoder harness (see legacy_harness.h).
#include "support/legacy_harness.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>

#include "platform/sys_file.h"

namespace legacy {

namespace {

std::string temp_name(const char* tag) {
  // Test binaries run in parallel: a per-process random part keeps names apart.
  static const unsigned process_tag = std::random_device{}();
  static std::atomic<unsigned> serial{0};
  auto dir = std::filesystem::temp_directory_path();
  return (dir / ("vok_legacy_" + std::to_string(process_tag) + "_" + std::to_string(serial++) + "_" + tag))
      .string();
}

std::vector<std::uint8_t> slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

}  // namespace

DecodeRun run_decoder(Decoder decoder, std::span<const std::uint8_t> data, const MemberSetup& setup) {
  DecodeRun run;
  auto s = std::make_unique<EngineState>();
  std::string in_path = setup.file;
  bool own_input = in_path.empty();
  if (own_input) {
    in_path = temp_name("in");
    std::ofstream f(in_path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  }
  std::string out_path = temp_name("out");

  s->archive.archive_fd.reset(sys::open_read(in_path.c_str()));
  if (!s->archive.archive_fd.valid() || sys::seek(s->archive.archive_fd.get(), setup.data_offset) < 0) {
    run.setup_failed = true;
    return run;
  }
  s->in.input_buffer = std::make_unique<std::uint8_t[]>(input_block_size + input_spare_size);
  s->in.input_pos = s->in.input_buffer.get();
  s->in.input_left = 0;
  long csize = setup.compressed_size ? *setup.compressed_size : static_cast<long>(data.size());
  s->in.compressed_left = csize;
  s->out.output_buffer = std::make_unique<std::uint8_t[]>(output_buffer_size);
  if (setup.window_fill >= 0) s->out.output_window.fill(static_cast<std::uint8_t>(setup.window_fill));

  MemberInfo info;
  if (setup.convert_line_ends) info.flags = member_convert_line_ends;
  s->member.current_member = &info;
  s->member.local.method = setup.method;
  s->member.local.flags = setup.flags;
  s->member.local.compressed_size = static_cast<std::uint32_t>(csize);
  s->member.local.uncompressed_size = setup.uncompressed_size;
  s->member.expected_output_size = setup.uncompressed_size;
  s->opt.test_only = setup.test_only ? 1 : 0;
  s->out.running_crc = 0xFFFFFFFFu;
  s->out.new_output_file = 1;
  if (!setup.test_only) {
    s->out.output_owner.reset(sys::create_write(out_path.c_str()));
    s->out.output_file = s->out.output_owner.get();
    if (s->out.output_file < 0) {
      run.setup_failed = true;
      return run;
    }
  }

  run.result = decoder(*s);

  s->out.output_owner.reset();
  s->archive.archive_fd.reset();
  run.crc = ~s->out.running_crc;
  run.compressed_left = s->in.compressed_left;
  run.used_compressed = s->out.used_compressed;
  run.output_count = s->out.output_count;
  if (!setup.test_only) run.output = slurp(out_path);
  std::remove(out_path.c_str());
  if (own_input) std::remove(in_path.c_str());
  return run;
}

}  // namespace legacy
