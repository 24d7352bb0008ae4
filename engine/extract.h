// Extraction and test mode: the per-archive member loop.
#pragma once

#include "engine/engine_state.h"

// Walks the central directory (the reader stands on its first header),
// extracts or tests the selected members; returns the archive's result.
int extract_members(EngineState& s);
