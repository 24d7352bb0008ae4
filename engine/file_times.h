// File times and attributes of extracted members.
#pragma once

#include <cstdint>

#include "engine/engine_state.h"
#include "platform/sys_fsops.h"

// The local header's MS-DOS date and time as a UTC file time in out; 0 when
// the date and time do not convert (after its message), else 1.
int member_file_time(EngineState& s, sys::FileTime& out);

// Closes the member's output file and gives it the member's time and
// attributes. Problems are reported as messages only.
void finish_output_file(EngineState& s);

// MS-DOS date and time as seconds since 1970, read as UTC (no time zone).
[[nodiscard]] std::int64_t dos_date_time_seconds(unsigned date, unsigned time);

// The member-time side of the "is the existing file older" comparison:
// dos_date_time_seconds plus the time-zone state's extra bias.
[[nodiscard]] std::int64_t dos_time_to_seconds(unsigned date, unsigned time);
