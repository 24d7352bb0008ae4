// Report mode (the `arcinfo` name, or -Z): option parser and the per-archive
// report called from the archive loop.
#pragma once

#include "engine/engine_state.h"

// Report-mode options; same contract as parse_options (engine_main.h).
int parse_report_options(EngineState& s, int* argc, char*** argv);

// The report header after the end record was found; a result above 1 ends the archive.
int report_header(EngineState& s);

// The report of the archive's members, with the reader on the first central header.
int report_members(EngineState& s);
