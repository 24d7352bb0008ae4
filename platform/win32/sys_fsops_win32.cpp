// Windows implementation of the engine's volume, directory, time and
// attribute services, on the Win32 volume, drive and file-time calls.
#include "platform/sys_fsops.h"

#include <windows.h>

#include <array>
#include <cctype>
#include <cstring>

namespace sys {

namespace {

std::int64_t ticks_of(const FILETIME& ft) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

FILETIME filetime_of(FileTime t) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(t.ticks) & 0xFFFFFFFFu);
  ft.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(t.ticks) >> 32);
  return ft;
}

int last_error() {
  return static_cast<int>(GetLastError());
}

}  // namespace

bool volume_is_fat(const char* path) {
  std::array<char, MAX_PATH + 1> full{};
  const char* p = path;
  if (!(std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':')) {
    DWORD n = GetFullPathNameA(path, static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0 || n >= full.size()) return false;
    p = full.data();
  }
  std::array<char, 4> root{};
  for (std::size_t i = 0; i < 3 && p[i] != '\0'; ++i) root[i] = p[i];
  std::array<char, MAX_PATH + 1> fs_name{};
  if (!GetVolumeInformationA(root.data(), nullptr, 0, nullptr, nullptr, nullptr, fs_name.data(),
                             static_cast<DWORD>(fs_name.size())))
    return false;
  return _strnicmp(fs_name.data(), "FAT", 3) == 0;
}

// Only "invalid name" (123) and "file name too long" (206) mean refusal; a
// missing file or a sharing conflict says nothing about the name.
bool name_is_acceptable(const char* path) {
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    return true;
  }
  DWORD e = GetLastError();
  return e != ERROR_INVALID_NAME && e != ERROR_FILENAME_EXCED_RANGE;
}

bool drive_is_removable(int n) {
  const char root[4] = {static_cast<char>(n + 64), ':', '/', '\0'};
  return GetDriveTypeA(root) == DRIVE_REMOVABLE;
}

bool current_directory(char* out, std::size_t size) {
  DWORD n = GetCurrentDirectoryA(static_cast<DWORD>(size), out);
  return n != 0 && n < size;
}

// SetVolumeLabelA wants the root with its backslash ("a:\").
int set_volume_label(const char* root, const char* label) {
  std::array<char, 8> r{};
  std::size_t len = std::strlen(root);
  if (len + 2 > r.size()) return ERROR_INVALID_NAME;
  std::memcpy(r.data(), root, len);
  if (len > 0 && root[len - 1] != '\\' && root[len - 1] != '/') r[len] = '\\';
  return SetVolumeLabelA(r.data(), label) ? 0 : last_error();
}

int make_directory(const char* path) {
  return CreateDirectoryA(path, nullptr) ? 0 : last_error();
}

int make_owner_writable(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return last_error();
  return SetFileAttributesA(path, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)) ? 0
                                                                                             : last_error();
}

int dos_date_time_to_local(unsigned date, unsigned time, FileTime& out) {
  FILETIME ft;
  if (!DosDateTimeToFileTime(static_cast<WORD>(date), static_cast<WORD>(time), &ft)) return last_error();
  out.ticks = ticks_of(ft);
  return 0;
}

int local_to_utc(FileTime local, FileTime& out) {
  FILETIME in = filetime_of(local);
  FILETIME utc;
  if (!LocalFileTimeToFileTime(&in, &utc)) return last_error();
  out.ticks = ticks_of(utc);
  return 0;
}

long time_zone_extra_bias_seconds() {
  TIME_ZONE_INFORMATION tz{};
  switch (GetTimeZoneInformation(&tz)) {
    case TIME_ZONE_ID_STANDARD:
      return tz.StandardBias * 60L;
    case TIME_ZONE_ID_DAYLIGHT:
      return tz.DaylightBias * 60L;
    default:
      return 0;
  }
}

SetTimeStep set_last_write_time(const char* path, const FileTime* time, int& error) {
  HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error = last_error();
    return SetTimeStep::open_failed;
  }
  SetTimeStep step = SetTimeStep::done;
  if (time != nullptr) {
    FILETIME ft = filetime_of(*time);
    if (!SetFileTime(h, nullptr, nullptr, &ft)) {
      error = last_error();
      step = SetTimeStep::set_failed;
    }
  }
  CloseHandle(h);
  return step;
}

int set_dos_attributes(const char* path, unsigned attributes) {
  return SetFileAttributesA(path, attributes) ? 0 : last_error();
}

int copy_file(const char* source, const char* target) {
  return CopyFileA(source, target, FALSE) ? 0 : last_error();
}

}  // namespace sys
