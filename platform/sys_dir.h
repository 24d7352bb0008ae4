// Directory scan: every entry of one directory, "." and ".." included, in the
// order the system hands them out.
//
// The archive-name expander opens a scan, takes entries one at a time across
// several calls and closes it; the scan record owns the system handle. On
// Windows the scan is FindFirstFileA/FindNextFileA over "dir/*.*"; natively
// it is opendir/readdir.
#pragma once

#include <memory>

namespace sys {

struct DirScan;  // entry name (260 bytes), first-entry-pending flag, system handle

// Opens a scan of `directory` (may end with '/'); null when it cannot be read.
[[nodiscard]] DirScan* open_dir_scan(const char* directory);

// The next entry's name (valid until the next call), or null at the end.
[[nodiscard]] const char* next_dir_entry(DirScan* scan);

void close_dir_scan(DirScan* scan);

struct DirScanCloser {
  void operator()(DirScan* scan) const { close_dir_scan(scan); }
};
using DirScanOwner = std::unique_ptr<DirScan, DirScanCloser>;

}  // namespace sys
