// Volume, directory, time and attribute services of the extraction engine.
//
// The engine maps member names onto whatever file system it writes to, so it
// asks the platform a handful of questions: is this a FAT volume, does the
// file system accept this name, what kind of drive is this, and it gives
// written files their archived time and attributes. Windows answers them with
// the volume, drive and file-time services; POSIX answers with the nearest
// real equivalent, documented beside each implementation. Every call that can
// fail returns the operating system's error code (0 for success) so that the
// engine's messages can show it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sys {

// A file time in 100-nanosecond units since 1 January 1601 (the Windows
// FILETIME scale), used for both local and UTC times.
struct FileTime {
  std::int64_t ticks = 0;
};

// True when the volume holding `path` has a file system whose name begins
// with "FAT" (POSIX: a vfat or msdos mount).
[[nodiscard]] bool volume_is_fat(const char* path);

// False when the file system refuses `path` as a name (too long or invalid);
// a missing file is acceptable.
[[nodiscard]] bool name_is_acceptable(const char* path);

// True when drive `n` (1 = A) is a removable drive. POSIX has no drives: false.
[[nodiscard]] bool drive_is_removable(int n);

// The current directory's full path into out (size bytes); false when it does not fit.
[[nodiscard]] bool current_directory(char* out, std::size_t size);

// Sets the volume label of `root` (for example "a:"); returns 0 or an error code.
[[nodiscard]] int set_volume_label(const char* root, const char* label);

// Creates one directory level; returns 0 or an error code.
[[nodiscard]] int make_directory(const char* path);

// Gives an existing file owner read and write permission (clears read-only).
[[nodiscard]] int make_owner_writable(const char* path);

// MS-DOS date and time (local time) to a local file time; returns 0 or an
// error code when the fields do not form a valid date and time.
[[nodiscard]] int dos_date_time_to_local(unsigned date, unsigned time, FileTime& out);

// A local file time to UTC; returns 0 or an error code.
[[nodiscard]] int local_to_utc(FileTime local, FileTime& out);

// Seconds that the engine's member-time comparison adds for the current
// time-zone state (Windows: the standard or daylight bias; the base bias is
// deliberately not part of it).
[[nodiscard]] long time_zone_extra_bias_seconds();

enum class SetTimeStep { done, open_failed, set_failed };
// Sets the last-write time of the existing file `path` (when time is not
// null), leaving its other times alone. On failure error holds the code.
SetTimeStep set_last_write_time(const char* path, const FileTime* time, int& error);

// Applies MS-DOS attribute bits (read-only 1, hidden 2, system 4, archive
// 0x20); returns 0 or an error code. POSIX: read-only clears the write
// permissions; the other bits have no POSIX meaning and are ignored.
[[nodiscard]] int set_dos_attributes(const char* path, unsigned attributes);

// Copies the file source to target, replacing target; returns 0 or an error code.
[[nodiscard]] int copy_file(const char* source, const char* target);

}  // namespace sys
