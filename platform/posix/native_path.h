// The installer's backslash-separated paths as POSIX paths.
#pragma once

#include <string>

namespace sys {

inline std::string native_path(const char* path) {
  std::string out = path;
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

}  // namespace sys
