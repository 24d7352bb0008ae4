// Extraction and test mode: the per-archive member loop and its helpers.
#pragma once

#include "engine/engine_state.h"

// Walks the central directory (the reader stands on its first header),
// extracts or tests the selected members; returns the archive's result.
int extract_members(EngineState& s);

// Checks the member whose central header was just read: 1 keeps it, 0 skips
// it (after its message).
int select_member(EngineState& s);

// Reads the local header after its signature and prepares the compressed-data
// reader; 0 or 51.
int read_local_header(EngineState& s);

// -1: no file at path; 0: it exists and is older than the member; 1: it exists and is not older.
int check_existing(EngineState& s, const char* path);

// Sets the current member's file attributes from its central header.
void member_file_attributes(EngineState& s);
