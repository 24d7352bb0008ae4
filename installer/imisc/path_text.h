// Path texts of the installer and the comparisons made on them.
//
// A path is at most 259 characters in a 260-byte buffer; directories are
// separated by backslashes (the POSIX platform layer reads them as slashes).
// Paths and keys are compared without regard to letter case, folding ASCII
// letters only: every name compared here is ASCII (table entries, keys,
// version texts) or compared against itself.
//
// A path that would not fit is refused, never cut short: a cut path names a
// different file or directory, which may well exist.
#pragma once

#include <array>
#include <cstddef>
#include <cstring>

inline constexpr std::size_t path_capacity = 260;                  // bytes of a path buffer
inline constexpr std::size_t path_max_length = path_capacity - 1;  // characters of a path

using PathText = std::array<char, path_capacity>;

// A path buffer holding a short constant text.
consteval PathText path_literal(const char* text) {
  PathText out{};
  for (std::size_t i = 0; text[i] != '\0'; ++i) out[i] = text[i];
  return out;
}

// out = directory, a backslash unless `directory` ends with one, then `name`.
// False (and `out` empty) when the result would exceed 259 characters.
// `directory` may be `out` itself.
[[nodiscard]] bool join_path(PathText& out, const char* directory, const char* name);

// strnicmp over at most `count` characters: <0, 0, >0.
[[nodiscard]] int compare_nocase(const char* a, const char* b, std::size_t count);

[[nodiscard]] bool equal_nocase(const char* a, const char* b);
[[nodiscard]] bool starts_with_nocase(const char* text, const char* prefix);
[[nodiscard]] bool ends_with_nocase(const char* text, const char* suffix);

// Drive, colon and backslash ("C:\..."), or a leading backslash.
[[nodiscard]] bool is_absolute_path(const char* path);

// Copies `text` into `out`; false (and `out` empty) when it does not fit.
template <std::size_t N>
[[nodiscard]] bool copy_text(std::array<char, N>& out, const char* text) {
  const std::size_t length = std::strlen(text);
  if (length >= N) {
    out[0] = '\0';
    return false;
  }
  std::memmove(out.data(), text, length + 1);
  return true;
}
