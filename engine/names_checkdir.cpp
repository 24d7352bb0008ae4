// checkdir: the output path under construction, and everything in name
// mapping that touches the disk.
//
// A member's path is built in two buffers that live from CHECKDIR_BEGIN to
// CHECKDIR_TAKE_PATH (or until a mode fails): name_path holds the components
// as stored and is what the file system's acceptance test and the 258/260
// character limits look at; disk_path holds what is really used, where a
// component the file system refuses is replaced by its 8.3 form
// (shorten_component). Missing directories are created one component at a
// time, as they are added.
//
// Both buffers are sized for the extraction root plus twice the stored name:
// the 8.3 form and the safe renaming of mapname can each add a character per
// component, and no component is ever longer than the name it came from.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <new>

#include "engine/names.h"
#include "platform/sys_file.h"
#include "platform/sys_fsops.h"

namespace {

constexpr int name_path_limit = 260;  // the file name is truncated beyond this
constexpr int dir_path_limit = 258;   // a directory path beyond this is refused

void release_build_buffers(NameState& n) {
  n.name_path.reset();
  n.disk_path.reset();
  n.name_path_end = nullptr;
  n.disk_path_end = nullptr;
  n.path_capacity = 0;
}

void append(char*& end, const char* text) {
  std::size_t len = std::strlen(text);
  std::memcpy(end, text, len + 1);
  end += len;
}

int set_root(EngineState& s, char* text) {
  NameState& n = s.names;
  int length = static_cast<int>(std::strlen(text));
  n.extract_root_length = length;
  if (length == 0) return map_ok;
  const bool drive = std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':';
  bool had_slash = false;
  // A lone "/" is the root directory itself: keep it rather than leave nothing.
  if (text[length - 1] == '/' && length > 1) {
    text[--length] = '\0';
    had_slash = true;
  }
  const bool bare_drive = drive && length == 2;
  int result = map_ok;
  if (!bare_drive) {
    sys::FileStatus st;
    if (!sys::file_status(text, st) || !st.is_directory) {
      // A directory that may not be created (-f) is still the root: members
      // then find no file to freshen there, rather than in the current directory.
      if (s.opt.create_directories == 0) result = map_leave;
      if (result == map_ok && sys::make_directory(text) != 0) {
        std::fprintf(stderr, "checkdir:  can't create extraction directory: %s\n", text);
        std::fflush(stderr);
        n.extract_root_length = 0;
        return map_error;
      }
    }
  }
  n.extract_root.reset(new (std::nothrow) char[static_cast<std::size_t>(length) + 3]);
  if (!n.extract_root) {
    n.extract_root_length = 0;
    return map_no_memory;
  }
  char* end = n.extract_root.get();
  *end = '\0';
  append(end, text);
  if (bare_drive && !had_slash) append(end, ".");
  if (length > 1 || text[0] != '/') append(end, "/");
  n.extract_root_length = static_cast<int>(end - n.extract_root.get());
  return result;
}

int begin(EngineState& s) {
  NameState& n = s.names;
  n.path_capacity = static_cast<std::size_t>(n.extract_root_length) +
                    2 * static_cast<std::size_t>(n.stored_name_length) + 16;
  n.name_path.reset(new (std::nothrow) char[n.path_capacity]);
  n.disk_path.reset(new (std::nothrow) char[n.path_capacity]);
  if (!n.name_path || !n.disk_path) {
    release_build_buffers(n);
    return map_no_memory;
  }
  n.name_path[0] = '\0';
  const MemberInfo* m = s.member.current_member;
  if (m != nullptr && (m->flags & member_volume_label) != 0) {
    char letter;
    if (n.extract_root_length > 0 && n.extract_root[1] == ':') {
      letter = static_cast<char>(std::tolower(static_cast<unsigned char>(n.extract_root[0])));
    } else {
      char cwd[member_name_size];
      if (!sys::current_directory(cwd, sizeof cwd)) {
        std::fprintf(stderr, "checkdir warning: current dir path too long\n");
        release_build_buffers(n);
        return map_caution;
      }
      letter = static_cast<char>(std::tolower(static_cast<unsigned char>(cwd[0])));
    }
    n.label_drive = letter - 96;
    if (s.opt.volume_labels == 0 || letter < 'a' || letter > 'z' ||
        (s.opt.volume_labels == 1 && !sys::drive_is_removable(n.label_drive))) {
      release_build_buffers(n);
      return map_volume_label;
    }
  } else if (n.extract_root_length > 0) {
    std::memcpy(n.name_path.get(), n.extract_root.get(), static_cast<std::size_t>(n.extract_root_length) + 1);
  }
  std::strcpy(n.disk_path.get(), n.name_path.get());
  n.name_path_end = n.name_path.get() + std::strlen(n.name_path.get());
  n.disk_path_end = n.disk_path.get() + std::strlen(n.disk_path.get());
  return map_ok;
}

int add_dir(EngineState& s, const char* component) {
  NameState& n = s.names;
  const char* member = s.member.member_name.data();
  append(n.name_path_end, component);
  if (sys::name_is_acceptable(n.name_path.get()))
    append(n.disk_path_end, component);
  else
    shorten_component(component, &n.disk_path_end);
  const bool too_long = (n.name_path_end - n.name_path.get()) > dir_path_limit;
  auto refuse_too_long = [&] {
    std::fprintf(stderr, "checkdir error:  path too long: %s\n", n.name_path.get());
    std::fflush(stderr);
    release_build_buffers(n);
    return map_path_too_long;
  };
  sys::FileStatus st;
  if (!sys::file_status(n.disk_path.get(), st)) {
    if (s.opt.create_directories == 0) {
      release_build_buffers(n);
      return map_leave;
    }
    if (too_long) return refuse_too_long();
    if (sys::make_directory(n.disk_path.get()) != 0) {
      std::fprintf(stderr, "checkdir error:  can't create %s\n                 unable to process %s.\n",
                   n.disk_path.get(), member);
      std::fflush(stderr);
      release_build_buffers(n);
      return map_error;
    }
    n.made_directory = 1;
  } else if (!st.is_directory) {
    std::fprintf(stderr,
                 "checkdir error:  %s exists but is not directory\n                 unable to process %s.\n",
                 n.disk_path.get(), member);
    std::fflush(stderr);
    release_build_buffers(n);
    return map_error;
  }
  if (too_long) return refuse_too_long();
  append(n.name_path_end, "/");
  append(n.disk_path_end, "/");
  return map_ok;
}

// Characters that would make the path longer than 260 are dropped, each with
// its warning. The disk path gets the same kept part (or the 8.3 form of the
// whole name), so the finished path always fits member_name.
int add_name(EngineState& s, const char* name) {
  NameState& n = s.names;
  int result = map_ok;
  std::size_t kept = 0;
  for (const char* c = name; *c != '\0'; ++c) {
    if (n.name_path_end - n.name_path.get() >= name_path_limit) {
      *n.name_path_end = '\0';
      std::fprintf(
          stderr,
          "checkdir warning:  path too long; truncating\n                   %s\n                -> %s\n",
          s.member.member_name.data(), n.name_path.get());
      std::fflush(stderr);
      result = map_caution;
      continue;
    }
    *n.name_path_end++ = *c;
    ++kept;
  }
  *n.name_path_end = '\0';
  const MemberInfo* m = s.member.current_member;
  const bool label = m != nullptr && (m->flags & member_volume_label) != 0;
  if (label || sys::name_is_acceptable(n.name_path.get())) {
    std::memcpy(n.disk_path_end, name, kept);
    n.disk_path_end += kept;
    *n.disk_path_end = '\0';
  } else {
    shorten_component(name, &n.disk_path_end);
  }
  return result;
}

int take_path(NameState& n, char* out) {
  if (n.disk_path) {
    std::size_t len = std::strlen(n.disk_path.get());
    if (len > member_name_size - 1) len = member_name_size - 1;
    std::memcpy(out, n.disk_path.get(), len);
    out[len] = '\0';
  }
  release_build_buffers(n);
  return map_ok;
}

}  // namespace

int checkdir(EngineState& s, char* text, int mode) {
  switch (mode & 7) {
    case CHECKDIR_SET_ROOT:
      return set_root(s, text);
    case CHECKDIR_BEGIN:
      return begin(s);
    case CHECKDIR_ADD_DIR:
      return add_dir(s, text);
    case CHECKDIR_ADD_NAME:
      return add_name(s, text);
    case CHECKDIR_TAKE_PATH:
      return take_path(s.names, text);
    case CHECKDIR_END:
      s.names.extract_root.reset();
      s.names.extract_root_length = 0;
      return map_ok;
    default:
      return map_bad_mode;
  }
}

// The 8.3 form: at most eight characters, a dot and three. The last "." is
// the extension's dot; earlier ones become "_", as do "[" and "]". A name
// without a dot may have a "_" promoted to the dot when that keeps more of it
// (read_me_now becomes read_me.now).
void shorten_component(const char* component, char** end) {
  char* const begin = *end;
  char* t = begin;
  char* dot = nullptr;
  bool dot_named = false;
  const char* c = component;
  if (c[0] == '.') {
    if (c[1] == '\0') {
      *t = '\0';
      return;
    }
    if (c[1] == '.' && c[2] == '\0') {
      *t++ = '.';
      dot = t;
      *t++ = '_';
      c += 2;
    } else {
      *t++ = '_';
      dot = t;
      *t++ = '_';
      dot_named = true;
      ++c;
    }
  }
  for (; *c != '\0'; ++c) {
    switch (*c) {
      case '[':
      case ']':
        *t++ = '_';
        break;
      case '.':
        if (dot_named) {
          // A second dot: the leading "." is no longer the extension's, drop its extra "_".
          std::memmove(begin, begin + 1, static_cast<std::size_t>(t - (begin + 1)));
          --t;
          dot_named = false;
        }
        dot = t;
        *t++ = '_';
        break;
      default:
        *t++ = *c;
        break;
    }
  }
  *t = '\0';

  if (dot == nullptr) {
    char* underscore = std::strrchr(begin, '_');
    const std::size_t length = static_cast<std::size_t>(t - begin);
    if (underscore == nullptr) {
      if (length > 8) t = begin + 8;
      *t = '\0';
      *end = t;
      return;
    }
    std::size_t before = static_cast<std::size_t>(underscore - begin);
    std::size_t after = static_cast<std::size_t>(t - underscore - 1);
    if ((before < 8 ? before : 8) + (after < 3 ? after : 3) > 8) {
      dot = underscore;
    } else {
      if (length > 8) t = begin + 8;
      *t = '\0';
      *end = t;
      return;
    }
  }
  *dot = '.';
  if (dot - begin > 8) {
    std::size_t tail = static_cast<std::size_t>(t - dot);  // the dot and what follows
    if (tail > 4) tail = 4;
    std::memmove(begin + 8, dot, tail);
    t = begin + 8 + tail;
  } else if (t - dot - 1 > 3) {
    t = dot + 4;
  }
  *t = '\0';
  *end = t;
}
