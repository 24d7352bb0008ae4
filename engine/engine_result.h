// Result codes of the extraction engine.
//
// Every engine operation that can fail returns one of these values: 0 is
// success and a larger value is worse, so results of several steps combine by
// taking the larger one (`worse`). Callers outside the engine (the installer,
// the `unpak` exit status) see them as plain integers.
#pragma once

enum EngineResult : int {
  ok = 0,                    // success
  warning = 1,               // warnings, no fatal error
  format_error = 2,          // error in the archive's structure; processing went on
  corrupt_archive = 3,       // severe structural error; archive or member abandoned
  no_memory = 4,             // the engine's buffers could not be allocated
  no_memory_for_member = 5,  // a decompression method ran out of memory for one member
  no_archive = 9,            // archive not found, or no end-of-central-directory record
  bad_options = 10,          // option error; the usage summary was printed
  unsupported_archive = 11,  // one part of a multi-disk archive
  disk_full = 50,            // an output file could not be created or written
  unexpected_end = 51,       // the archive ended before a structure was complete
  is_directory = 76,         // the archive name names a directory
};

// The larger result wins.
[[nodiscard]] constexpr int worse(int a, int b) { return a > b ? a : b; }
