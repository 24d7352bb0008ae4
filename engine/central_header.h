// Central file headers: reading one and deriving the member's host and the
// flags that depend only on it (lowercase name, volume label).
#pragma once

#include "engine/engine_state.h"

// Reads the 42 bytes after a central signature into s.member.central.
// Returns 0, or 51 when the archive ends inside the header.
[[nodiscard]] int read_central_header(EngineState& s);

// read_central_header, then sets s.member.current_member's host and its
// lowercase and volume-label flags. Returns 0 or 51.
[[nodiscard]] int process_central_header(EngineState& s);
