// Directory scan over FindFirstFileA/FindNextFileA (see sys_dir.h).
#include <windows.h>

#include <cstring>
#include <new>
#include <string>

#include "platform/sys_dir.h"

namespace sys {

struct DirScan {
  char entry_name[MAX_PATH];
  bool first_pending;
  HANDLE find_handle;
};

DirScan* open_dir_scan(const char* directory) {
  auto* scan = new (std::nothrow) DirScan;
  if (scan == nullptr) return nullptr;
  // "dir/" + "*.*"; a separator or drive colon already at the end is not doubled.
  std::string search(directory);
  if (!search.empty() && search.back() != '/' && search.back() != '\\' && search.back() != ':') search += '/';
  search += "*.*";
  WIN32_FIND_DATAA found;
  scan->find_handle = FindFirstFileA(search.c_str(), &found);
  if (scan->find_handle == INVALID_HANDLE_VALUE) {
    delete scan;
    return nullptr;
  }
  std::memcpy(scan->entry_name, found.cFileName, sizeof scan->entry_name);
  scan->entry_name[sizeof scan->entry_name - 1] = '\0';
  scan->first_pending = true;
  return scan;
}

const char* next_dir_entry(DirScan* scan) {
  if (scan->first_pending) {
    scan->first_pending = false;
    return scan->entry_name;
  }
  WIN32_FIND_DATAA found;
  if (!FindNextFileA(scan->find_handle, &found)) return nullptr;
  std::memcpy(scan->entry_name, found.cFileName, sizeof scan->entry_name);
  scan->entry_name[sizeof scan->entry_name - 1] = '\0';
  return scan->entry_name;
}

void close_dir_scan(DirScan* scan) {
  if (scan == nullptr) return;
  FindClose(scan->find_handle);
  delete scan;
}

}  // namespace sys
