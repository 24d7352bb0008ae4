// Runs one decoder directly on a member's compressed bytes, the way member
// extraction does: the bytes sit in a temporary file read through the
// engine's own input buffer (read_byte, fill_input_buffer), and the output
// goes through flush_output into a temporary file that is read back.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/engine_state.h"

namespace legacy {

struct MemberSetup {
  std::uint16_t method = 0;
  std::uint16_t flags = 0;
  std::uint32_t uncompressed_size = 0;
  std::optional<long> compressed_size;  // default: the data's size
  bool test_only = false;
  bool convert_line_ends = false;  // member marked for text conversion
  int window_fill = -1;            // 0..255: output_window holds this byte beforehand
  std::int64_t data_offset = 0;    // where the data starts in `file` (when given)
  std::string file;                // read the data from this file instead
};

struct DecodeRun {
  int result = 0;
  std::vector<std::uint8_t> output;  // bytes written (empty in test mode)
  std::uint32_t crc = 0;             // CRC-32 over everything passed to flush_output
  long compressed_left = 0;          // after the decoder
  long used_compressed = 0;
  unsigned output_count = 0;  // bytes left unflushed in output_buffer
  bool setup_failed = false;
};

using Decoder = int (*)(EngineState&);

DecodeRun run_decoder(Decoder decoder, std::span<const std::uint8_t> data, const MemberSetup& setup);

}  // namespace legacy
