// Win32 implementation of the installer's file services (see sys_fileops.h).
#include "platform/sys_fileops.h"

#include <windows.h>

namespace sys {

bool copy_file_overwrite(const char* source, const char* target) {
  // Windows' CopyFileA refuses to replace a read-only file (ERROR_ACCESS_DENIED);
  // Wine running as root replaces it. Refuse first, so both behave as Windows.
  const DWORD target_attributes = GetFileAttributesA(target);
  if (target_attributes != INVALID_FILE_ATTRIBUTES && (target_attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  return CopyFileA(source, target, FALSE) != 0;
}

bool create_directory(const char* path) {
  return CreateDirectoryA(path, nullptr) != 0;
}

bool remove_directory(const char* path) {
  return RemoveDirectoryA(path) != 0;
}

bool delete_file(const char* path) {
  return DeleteFileA(path) != 0;
}

bool path_exists(const char* path) {
  return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool is_directory(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool set_read_only(const char* path, bool read_only) {
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  attributes = read_only ? (attributes | FILE_ATTRIBUTE_READONLY) : (attributes & ~FILE_ATTRIBUTE_READONLY);
  if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
  return SetFileAttributesA(path, attributes) != 0;
}

#if defined(VOK_TEST_SEAMS)
namespace {
bool fail_text_writes = false;
}  // namespace

void test_fail_text_writes(bool fail) {
  fail_text_writes = fail;
}
#endif

std::FILE* open_text(const char* path, const char* mode) {
#if defined(VOK_TEST_SEAMS)
  if (fail_text_writes && mode[0] == 'w') {
    // Created, then handed out read-only: writes fail as they would on a full disk.
    std::FILE* created = std::fopen(path, mode);
    if (created == nullptr) return nullptr;
    std::fclose(created);
    return std::fopen(path, "r");
  }
#endif
  return std::fopen(path, mode);
}

}  // namespace sys
