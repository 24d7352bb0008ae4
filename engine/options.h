// Extraction-mode options, the usage summary and the fatal-signal handler.
#pragma once

#include "engine/engine_state.h"

// Reads the option words of the extraction mode. On return *argv points at
// the archive argument and *argc is the number of arguments after it
// (negative when there is none). Returns 0 or the result of print_usage.
[[nodiscard]] int parse_options(EngineState& s, int* argc, char*** argv);

// Prints the usage summary of the current mode: on standard output without
// error (result 0), on standard error after an option error (result 10).
int print_usage(const EngineState& s, int error);

// Compares at most n characters ignoring case: 0 when equal (also when both
// end together before n), else -1 or 1 by the case-folded characters.
[[nodiscard]] int names_equal_nocase(const char* a, const char* b, int n);

// Handler of interrupt, termination and segmentation violation.
void on_fatal_signal(int signal_number);
