// File and directory services of the installer's file helpers.
//
// Paths are the installer's: backslash-separated, at most 259 characters.
// On Windows they go to the ANSI Win32 calls unchanged. On POSIX every
// backslash is read as a slash before the system sees the path, so the same
// installer code runs (and is tested) natively; a name containing a real
// backslash cannot be reached there.
//
// The POSIX side keeps Windows' treatment of read-only files (a file without
// its owner's write permission): it is neither replaced by a copy nor
// deleted, even when the process could (as root). That keeps the two builds'
// results the same.
#pragma once

#include <cstdio>

namespace sys {

// Copies `source` over `target`, replacing an existing writable file.
// False when the copy failed; a partly written target is removed.
[[nodiscard]] bool copy_file_overwrite(const char* source, const char* target);

// One directory level; false when it exists already or cannot be made.
[[nodiscard]] bool create_directory(const char* path);

// Only an empty directory is removed.
[[nodiscard]] bool remove_directory(const char* path);

// False for a missing or read-only file.
[[nodiscard]] bool delete_file(const char* path);

[[nodiscard]] bool path_exists(const char* path);
[[nodiscard]] bool is_directory(const char* path);

// Sets or clears the read-only attribute (POSIX: the write permission bits).
[[nodiscard]] bool set_read_only(const char* path, bool read_only);

// fopen in text mode ("r", "w"): line ends are CR LF on Windows and LF on
// POSIX, each read back as one '\n'.
[[nodiscard]] std::FILE* open_text(const char* path, const char* mode);

#if defined(VOK_TEST_SEAMS)
// Test builds: while set, a stream that open_text opens for writing creates
// its file but takes no data: every write fails and sets the stream's error
// flag, as on a full disk.
void test_fail_text_writes(bool fail);
#endif

}  // namespace sys
