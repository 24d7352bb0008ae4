// Path joining and case-blind comparisons (see path_text.h).
#include "installer/imisc/path_text.h"

#include <cstring>

namespace {

unsigned char fold(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

}  // namespace

bool join_path(PathText& out, const char* directory, const char* name) {
  const std::size_t directory_length = std::strlen(directory);
  const std::size_t name_length = std::strlen(name);
  const bool add_separator = directory_length == 0 || directory[directory_length - 1] != '\\';
  const std::size_t length = directory_length + (add_separator ? 1 : 0) + name_length;
  if (length > path_max_length) {
    out[0] = '\0';
    return false;
  }
  std::memmove(out.data(), directory, directory_length);
  std::size_t next = directory_length;
  if (add_separator) out[next++] = '\\';
  std::memcpy(out.data() + next, name, name_length);
  out[length] = '\0';
  return true;
}

int compare_nocase(const char* a, const char* b, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned char x = fold(a[i]);
    const unsigned char y = fold(b[i]);
    if (x != y) return x < y ? -1 : 1;
    if (x == '\0') return 0;
  }
  return 0;
}

bool equal_nocase(const char* a, const char* b) {
  return compare_nocase(a, b, static_cast<std::size_t>(-1)) == 0;
}

bool starts_with_nocase(const char* text, const char* prefix) {
  return compare_nocase(text, prefix, std::strlen(prefix)) == 0;
}

bool ends_with_nocase(const char* text, const char* suffix) {
  const std::size_t text_length = std::strlen(text);
  const std::size_t suffix_length = std::strlen(suffix);
  return suffix_length <= text_length && equal_nocase(text + text_length - suffix_length, suffix);
}

bool is_absolute_path(const char* path) {
  if (path[0] == '\\') return true;
  return path[0] != '\0' && path[1] == ':' && path[2] == '\\';
}
