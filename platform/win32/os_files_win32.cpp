// Win32 directory listing for the portability layer (see os_files.h).
#include <windows.h>

#include <cstring>

#include "platform/os_files.h"

namespace {

std::uint32_t layer_attributes(DWORD attributes) {
  std::uint32_t out = 0;
  if (attributes & FILE_ATTRIBUTE_READONLY) out |= os_attribute_read_only;
  if (attributes & FILE_ATTRIBUTE_HIDDEN) out |= os_attribute_hidden;
  if (attributes & FILE_ATTRIBUTE_SYSTEM) out |= os_attribute_system;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) out |= os_attribute_directory;
  return out;
}

void take_entry(const WIN32_FIND_DATAA& data, OsFileFind& record) {
  static_assert(sizeof(data.cFileName) <= os_name_capacity);
  std::memcpy(record.name.data(), data.cFileName, sizeof(data.cFileName));
  record.name.back() = '\0';
  record.attributes = layer_attributes(data.dwFileAttributes);
}

HANDLE handle_of(const OsFileFind& record) {
  return reinterpret_cast<HANDLE>(record.layer);
}

}  // namespace

int os_FileFindMgr(int operation, OsFileFind& record) {
  WIN32_FIND_DATAA data{};
  switch (operation) {
    case os_find_first: {
      if (record.layer != 0) return 1;  // still open: the caller must end it first
      record.name.back() = '\0';
      const HANDLE find = FindFirstFileA(record.name.data(), &data);
      if (find == INVALID_HANDLE_VALUE) return 1;
      record.layer = reinterpret_cast<std::uintptr_t>(find);
      take_entry(data, record);
      return 0;
    }
    case os_find_next:
      if (record.layer == 0 || !FindNextFileA(handle_of(record), &data)) return 1;
      take_entry(data, record);
      return 0;
    case os_find_end:
      if (record.layer != 0) FindClose(handle_of(record));
      record.layer = 0;
      return 0;
    default:
      return 1;
  }
}
