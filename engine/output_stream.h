// The output stream: every decoder hands its output here a run at a time.
#pragma once

#include <cstdint>

#include "engine/crc32.h"
#include "engine/engine_state.h"

// Checksums a run and writes it (with line-end conversion when the member asks
// for it). Returns 0, or 50 when the data was not written after a write failure.
int flush_output(EngineState& s, const std::uint8_t* data, unsigned count, int from_output_buffer);

// The question after a failed write; sets disk_full_state and returns 50.
int ask_disk_full(EngineState& s);
