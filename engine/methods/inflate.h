// Inflate (zip method 8): decodes one deflate stream from the member's
// compressed data (read_byte) into output_window, handing full windows and
// the final partial one to flush_output.
#pragma once

#include "engine/engine_state.h"

// Decoder not built into this program: the caller treats the member's method as unknown.
inline constexpr int method_not_built = -1;

// Returns 0 ok, 1 bad data, 2 block type 3 or an over-subscribed code set,
// 3 out of memory. "(incomplete l-tree)  " / "(incomplete d-tree)  " go to
// standard error unless quiet.
[[nodiscard]] int inflate(EngineState& s);

// Releases the cached fixed-block tables (end of every engine run); the next
// fixed block builds them again.
void release_fixed_tables(EngineState& s);
