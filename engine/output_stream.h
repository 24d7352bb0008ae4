// The output stream: every decoder hands its output here a run at a time.
#pragma once

#include <cstdint>

#include "engine/engine_state.h"

// Standard zip CRC-32 (reflected polynomial 0xEDB88320) over count bytes.
// The caller presets the register to 0xFFFFFFFF and complements it at the end.
[[nodiscard]] std::uint32_t crc32_update(std::uint32_t crc, const std::uint8_t* data, std::size_t count);

// Checksums a run and writes it (with line-end conversion when the member asks
// for it). Returns 0, or 50 when the data was not written after a write failure.
int flush_output(EngineState& s, const std::uint8_t* data, unsigned count, int from_output_buffer);

// The question after a failed write; sets disk_full_state and returns 50.
int ask_disk_full(EngineState& s);
