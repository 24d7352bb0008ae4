// Wildcards: the pattern matcher of member and archive names, and the
// expander that turns an archive pattern into the names of existing files.
#pragma once

#include "engine/engine_state.h"

// 1 when the whole name matches the whole pattern, else 0. Patterns: `*` any
// run (also across '/'), `?` one character, `[set]` with ranges and `!`/`^`
// negation, `\` escapes the next character.
[[nodiscard]] int wildcard_match(const char* name, const char* pattern, int ignore_case);

// Index of the first pattern of a NULL-terminated list (a null list is
// empty) that matches the whole name, or -1.
[[nodiscard]] int first_matching_pattern(const char* name, char* const* patterns, int ignore_case);

// 1 matched, 0 no match, 2 no match and no later position of an enclosing `*`
// can match either.
[[nodiscard]] int match_rest(const unsigned char* pattern, const unsigned char* name, int ignore_case);

// The next archive name for `pattern` (in s.wild.expanded_name), or null once
// the matches are used up, which also ends the expansion. The first call
// returns the pattern itself when nothing matches.
[[nodiscard]] char* expand_archive_name(EngineState& s, const char* pattern);
