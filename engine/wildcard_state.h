// State of wildcard expansion of archive names (expand_archive_name), one
// sub-record of EngineState. One expansion runs from a first call to the call
// that returns null; the open directory scan lives in between.
#pragma once

#include <array>
#include <memory>

#include "platform/sys_dir.h"

// Holds a name of up to 259 characters, ".zip" appended by the archive loop's
// retry and the terminator.
inline constexpr unsigned expanded_name_size = 264;
inline constexpr unsigned zip_suffix_room = 4;  // ".zip"

struct WildcardState {
  int wild_first_call = 1;                // the next call starts a new expansion
  const char* wild_name_part = nullptr;   // file-name part of the pattern, matched against entries
  std::unique_ptr<char[]> wild_dir_copy;  // allocated directory part (up to its separator)
  const char* wild_dir_part = nullptr;    // wild_dir_copy, or "." when the pattern has none
  int wild_dir_length = 0;                // length of the directory part (1 for ".")
  int wild_has_dir = 0;                   // the pattern had a directory part
  sys::DirScanOwner wild_scan;            // open scan of the current expansion
  std::array<char, expanded_name_size> expanded_name{};  // name handed back by the last call
  int names_refused = 0;  // names too long for expanded_name in this run (engine_main resets)
};
