// The archive listing of "-l" (short) and "-v" (verbose): one line per
// selected member and a totals line; it also fills the installer's
// member_table.
#pragma once

#include <cstdint>

#include "engine/engine_state.h"

// Lists the central directory (the reader stands on its first header).
// Returns 0, 1, or an early failure: 3, 51 or a header-field result above 1.
[[nodiscard]] int list_members(EngineState& s);

// Space saved in tenths of a percent; negative when the data grew.
[[nodiscard]] int ratio_permille(std::uint32_t uncompressed, std::uint32_t compressed);

// Writes a name to standard output, control bytes as ^X, then "\n".
void print_member_name(const char* name);
