// Inflate (method 8). Returns 0, 1..2 bad data, 3 out of memory.
#pragma once

#include "engine/engine_state.h"

// Decoder not built into this program: the caller treats the member's method as unknown.
inline constexpr int method_not_built = -1;

int inflate(EngineState& s);

// Releases the cached fixed-block tables (end of every engine run).
void release_fixed_tables(EngineState& s);
