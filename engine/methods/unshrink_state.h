// State of unshrink: code width and table fill, one sub-record of EngineState.
// The code tables themselves live in the storage of output_window (see
// unshrink.cpp); this record holds what describes them.
#pragma once

struct UnshrinkState {
  int code_width = 9;           // bits per code, 9..13; raised by code 256, subcode 1
  unsigned next_free = 257;     // lowest free code, 257..table_limit (table_limit: table full)
  unsigned table_limit = 8192;  // codes 0..8191 exist (13-bit codes)
};
