// Directory listing of the portability layer.
//
// The installer lists a directory in three steps over one record: "first"
// with the search pattern in `name` (a directory, a backslash and a pattern
// such as "*.*"), then "next" until it reports no more entries, then "end",
// which releases the listing and may be called whatever came before. Each
// call that finds an entry leaves its name and attribute word in the record.
//
// `layer` belongs to the layer: zero before the first call, the open listing
// afterwards. It is pointer-sized rather than a 32-bit word so that it can
// hold a 64-bit search handle.
//
// On Windows this is FindFirstFileA/FindNextFileA/FindClose. On POSIX the
// pattern's backslashes are read as slashes, the last component is matched
// without regard to case ("*" and "?" as wildcards; "*.*" matches every
// name, as on Windows), and "." and ".." are listed as directories, as
// Windows lists them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

inline constexpr std::size_t os_name_capacity = 260;  // 259 characters and the terminating zero

enum OsFindOperation : int { os_find_first = 0, os_find_next = 1, os_find_end = 2 };

// Attribute word bits of a listed entry.
inline constexpr std::uint32_t os_attribute_read_only = 1;
inline constexpr std::uint32_t os_attribute_hidden = 2;
inline constexpr std::uint32_t os_attribute_system = 4;
inline constexpr std::uint32_t os_attribute_directory = 8;

struct OsFileFind {
  std::array<char, os_name_capacity> name{};  // in: pattern (first call); out: entry name
  std::uint32_t attributes = 0;               // os_attribute_* bits of the entry found
  std::uintptr_t layer = 0;                   // the layer's open listing; 0 before the first call
};

// Returns 0 when an entry was found (first, next) or the listing was ended
// (end); non-zero when there is no (further) entry or the pattern cannot be
// listed.
[[nodiscard]] int os_FileFindMgr(int operation, OsFileFind& record);
