// Wildcard matching and archive-name expansion.
//
// The matcher walks pattern and name together and recurses only at `*`. A
// `*` that fails at every later name position returns 2 ("abort"): an
// enclosing `*` cannot do better by starting later, which keeps patterns with
// many stars from going exponential. A `*` never tries the empty rest of the
// name, so `a**` does not match `a`.
//
// Sets follow the classic rules: `a-z` is a range, a `-` first in the set is
// literal, `\` makes the next character ordinary, the first unescaped `]`
// ends the set (so `[]` is empty), and a `-` last in the set leaves its range
// untested (`[a-]` matches neither `a` nor `-`).
//
// The expander keeps its scan open between calls, so that each call hands out
// one name; expanded_name never takes more than it can hold with ".zip"
// appended: longer names are refused with a message and counted.
#include "engine/wildcard.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

int fold(int c, int ignore_case) {
  return ignore_case ? std::tolower(c) : c;
}

// Tests a set that starts at `set` (after `[` and a negation mark) and ends
// at `end` (its `]`) against the name character c.
bool set_matches(const unsigned char* set, const unsigned char* end, int c, int ignore_case) {
  int pending = -1;              // start of a range whose `-` was seen
  bool escaped = (*set == '-');  // a leading `-` is an ordinary character
  int name_c = fold(c, ignore_case);
  for (const unsigned char* p = set; p < end; ++p) {
    if (!escaped && *p == '\\') {
      escaped = true;
      continue;
    }
    if (!escaped && *p == '-') {
      pending = p[-1];
      continue;
    }
    // An ordinary (or escaped) character x: the start of a range when a `-`
    // follows, else the end of one (or a single character).
    if (p + 1 < end && p[1] == '-') {
      pending = -1;
      escaped = false;
      continue;
    }
    int lo = pending >= 0 ? pending : *p;
    for (int v = lo; v <= *p; ++v)
      if (fold(v, ignore_case) == name_c) return true;
    pending = -1;
    escaped = false;
  }
  return false;
}

}  // namespace

int match_rest(const unsigned char* p, const unsigned char* n, int ignore_case) {
  for (;;) {
    int c = *p++;
    switch (c) {
      case '\0':
        return *n == '\0' ? 1 : 0;
      case '?':
        if (*n == '\0') return 0;
        ++n;
        break;
      case '*': {
        if (*p == '\0') return 1;
        for (; *n != '\0'; ++n) {
          int r = match_rest(p, n, ignore_case);
          if (r != 0) return r;
        }
        return 2;
      }
      case '[': {
        if (*n == '\0') return 0;
        bool negated = false;
        if (*p == '!' || *p == '^') {
          negated = true;
          ++p;
        }
        const unsigned char* end = p;
        bool escaped = false;
        for (; *end != '\0'; ++end) {
          if (escaped) {
            escaped = false;
          } else if (*end == '\\') {
            escaped = true;
          } else if (*end == ']') {
            break;
          }
        }
        if (*end == '\0') return 0;  // unterminated set
        if (set_matches(p, end, *n, ignore_case) == negated) return 0;
        p = end + 1;
        ++n;
        break;
      }
      case '\\':
        c = *p++;
        if (c == '\0') return 0;
        [[fallthrough]];
      default:
        if (fold(c, ignore_case) != fold(*n, ignore_case)) return 0;
        ++n;
        break;
    }
  }
}

int wildcard_match(const char* name, const char* pattern, int ignore_case) {
  return match_rest(reinterpret_cast<const unsigned char*>(pattern),
                    reinterpret_cast<const unsigned char*>(name), ignore_case) == 1;
}

int first_matching_pattern(const char* name, char* const* patterns, int ignore_case) {
  for (int i = 0; patterns != nullptr && patterns[i] != nullptr; ++i)
    if (wildcard_match(name, patterns[i], ignore_case)) return i;
  return -1;
}

namespace {

// Copies dir + name into expanded_name when it fits with room for ".zip".
bool store_name(EngineState& s, const char* dir, std::size_t dir_length, const char* name) {
  auto& out = s.wild.expanded_name;
  std::size_t name_length = std::strlen(name);
  if (dir_length + name_length + zip_suffix_room + 1 > out.size()) {
    std::fprintf(stderr, "error:  zipfile name too long (%lu characters, at most %u):  %.*s%s\n",
                 static_cast<unsigned long>(dir_length + name_length),
                 expanded_name_size - zip_suffix_room - 1, static_cast<int>(dir_length), dir, name);
    ++s.wild.names_refused;
    return false;
  }
  std::memcpy(out.data(), dir, dir_length);
  std::memcpy(out.data() + dir_length, name, name_length + 1);
  return true;
}

// The next entry of the open scan that matches the name part, stored in
// expanded_name; null (and the scan closed) at its end.
char* next_match(EngineState& s) {
  WildcardState& w = s.wild;
  while (w.wild_scan) {
    const char* entry = sys::next_dir_entry(w.wild_scan.get());
    if (entry == nullptr) {
      w.wild_scan.reset();
      break;
    }
    if (!wildcard_match(entry, w.wild_name_part, 1)) continue;
    std::size_t dir_length = w.wild_has_dir ? static_cast<std::size_t>(w.wild_dir_length) : 0;
    if (store_name(s, w.wild_dir_part, dir_length, entry)) return w.expanded_name.data();
  }
  return nullptr;
}

void end_expansion(WildcardState& w) {
  w.wild_scan.reset();
  w.wild_dir_copy.reset();
  w.wild_dir_part = nullptr;
  w.wild_has_dir = 0;
  w.wild_first_call = 1;
}

}  // namespace

char* expand_archive_name(EngineState& s, const char* pattern) {
  WildcardState& w = s.wild;
  if (!w.wild_first_call) {
    if (char* name = next_match(s)) return name;
    end_expansion(w);
    return nullptr;
  }

  w.wild_first_call = 0;
  const char* sep = std::strrchr(pattern, '/');
  if (sep == nullptr) sep = std::strrchr(pattern, ':');
  if (sep != nullptr) {
    std::size_t dir_length = static_cast<std::size_t>(sep - pattern) + 1;
    w.wild_dir_copy.reset(new (std::nothrow) char[dir_length + 1]);
    if (!w.wild_dir_copy) {
      std::fprintf(stderr, "warning:  can't allocate wildcard buffers\n");
      return store_name(s, "", 0, pattern) ? w.expanded_name.data() : nullptr;
    }
    std::memcpy(w.wild_dir_copy.get(), pattern, dir_length);
    w.wild_dir_copy[dir_length] = '\0';
    w.wild_dir_part = w.wild_dir_copy.get();
    w.wild_dir_length = static_cast<int>(dir_length);
    w.wild_has_dir = 1;
    w.wild_name_part = sep + 1;
  } else {
    w.wild_dir_part = ".";
    w.wild_dir_length = 1;
    w.wild_has_dir = 0;
    w.wild_name_part = pattern;
  }

  w.wild_scan.reset(sys::open_dir_scan(w.wild_dir_part));
  if (char* name = next_match(s)) return name;
  // Nothing matched: the pattern itself is the one name (the archive loop
  // then reports it missing). A pattern too long is refused and ends here.
  if (store_name(s, "", 0, pattern)) return w.expanded_name.data();
  end_expansion(w);
  return nullptr;
}
