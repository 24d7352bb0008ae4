// Report mode (the `arcinfo` name, or -Z): option parser and the per-archive
// report called from the archive loop.
#pragma once

#include <cstdint>

#include "engine/engine_state.h"

// Report-mode options; same contract as parse_options (engine_main.h).
int parse_report_options(EngineState& s, int* argc, char*** argv);

// The report-mode usage summary: on standard error with the error flag set
// (result bad_options), else on standard output (result ok).
int print_report_usage(int error);

// The report header after the end record was found; a result above 1 ends the archive.
int report_header(EngineState& s);

// The report of the archive's members, with the reader on the first central header.
int report_members(EngineState& s);

// One member, with the central header read and the name in member_name: a
// line of formats 3 to 5, or the field-by-field report of format 10. Both
// read or skip the member's extra field and comment; the result is the worst
// header-field result (0 or 1) or an early result above 1.
int report_member_line(EngineState& s);
int report_member_detail(EngineState& s);

// The totals line of -t: member count, sums of uncompressed and compressed sizes.
void print_report_totals(unsigned count, std::uint32_t uncompressed, std::uint32_t compressed);
