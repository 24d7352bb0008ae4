// Directory scan over opendir/readdir (see sys_dir.h).
#include <dirent.h>

#include <cstring>
#include <new>

#include "platform/sys_dir.h"

namespace sys {

struct DirScan {
  char entry_name[260];
  bool first_pending;
  DIR* handle;
};

namespace {
// Entry names longer than the record holds are cut, as a 260-byte Windows
// find record would hold them.
void copy_entry_name(DirScan* scan, const char* name) {
  std::size_t n = std::strlen(name);
  if (n >= sizeof scan->entry_name) n = sizeof scan->entry_name - 1;
  std::memcpy(scan->entry_name, name, n);
  scan->entry_name[n] = '\0';
}
}  // namespace

DirScan* open_dir_scan(const char* directory) {
  DIR* dir = ::opendir(directory);
  if (dir == nullptr) return nullptr;
  struct dirent* entry = ::readdir(dir);
  if (entry == nullptr) {
    ::closedir(dir);
    return nullptr;
  }
  auto* scan = new (std::nothrow) DirScan;
  if (scan == nullptr) {
    ::closedir(dir);
    return nullptr;
  }
  scan->handle = dir;
  copy_entry_name(scan, entry->d_name);
  scan->first_pending = true;
  return scan;
}

const char* next_dir_entry(DirScan* scan) {
  if (scan->first_pending) {
    scan->first_pending = false;
    return scan->entry_name;
  }
  struct dirent* entry = ::readdir(scan->handle);
  if (entry == nullptr) return nullptr;
  copy_entry_name(scan, entry->d_name);
  return scan->entry_name;
}

void close_dir_scan(DirScan* scan) {
  if (scan == nullptr) return;
  ::closedir(scan->handle);
  delete scan;
}

}  // namespace sys
