// mapname: a member's stored name becomes its output path.
//
// The name is walked character by character: "/" ends a directory component
// (created through checkdir), ":" becomes "_", control characters are
// dropped, Ctrl-V takes the next character literally, a blank becomes "_" on
// FAT volumes or with -s, and a trailing ";version" is cut unless -V. With -j
// only the part behind the last "/" is used.
//
// Every output path stays inside the extraction directory (or the current
// directory): a leading "/" or "//" is removed, "." and ".." components are
// dropped (only ".." is worth a warning), and a literal (Ctrl-V) separator cannot smuggle a path into a
// component. On Windows a backslash is a separator too, drive prefixes
// ("C:", "C:/") are removed, and components that would open a device (CON,
// NUL, COM1, ... with or without an extension) or that Windows would alias by
// dropping a trailing dot or blank are renamed. A member whose name needed any
// of this gets one warning naming it, and name_made_safe tells the member loop
// to count it as a warning.
#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "engine/names.h"
#include "platform/sys_fsops.h"

namespace {

#ifdef _WIN32
constexpr bool windows_names = true;
#else
constexpr bool windows_names = false;
#endif

constexpr char ctrl_v = 22;

bool is_separator(char c) {
  return c == '/' || (windows_names && c == '\\');
}

// Device names Windows opens whatever directory they appear in.
bool is_device_name(const char* component) {
  static constexpr const char* devices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  std::size_t base = std::strcspn(component, ".");
  while (base > 0 && component[base - 1] == ' ') --base;
  auto equals = [&](const char* device) {
    std::size_t len = std::strlen(device);
    if (len != base) return false;
    for (std::size_t i = 0; i < len; ++i)
      if (std::toupper(static_cast<unsigned char>(component[i])) != device[i]) return false;
    return true;
  };
  for (const char* d : devices)
    if (equals(d)) return true;
  if (base == 4 && component[3] >= '1' && component[3] <= '9') {
    const char numbered[2][4] = {"COM", "LPT"};
    for (const auto& prefix : numbered) {
      bool same = true;
      for (std::size_t i = 0; i < 3; ++i)
        if (std::toupper(static_cast<unsigned char>(component[i])) != prefix[i]) same = false;
      if (same) return true;
    }
  }
  return false;
}

// Windows renaming of one component (capacity bytes at component); true when
// it changed the name.
bool make_windows_safe(char* component, std::size_t capacity) {
  bool changed = false;
  std::size_t len = std::strlen(component);
  for (std::size_t i = len; i > 0 && (component[i - 1] == '.' || component[i - 1] == ' '); --i) {
    component[i - 1] = '_';
    changed = true;
  }
  if (len > 0 && is_device_name(component) && len + 2 <= capacity) {
    std::memmove(component + 1, component, len + 1);
    component[0] = '_';
    changed = true;
  }
  return changed;
}

// Skips leading separators and (Windows) drive prefixes; true when any were there.
bool skip_root_parts(const char*& p) {
  bool skipped = false;
  for (;;) {
    if (is_separator(*p)) {
      ++p;
    } else if (windows_names && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':') {
      p += 2;
    } else {
      return skipped;
    }
    skipped = true;
  }
}

bool is_dot_component(const char* c) {
  return std::strcmp(c, ".") == 0 || std::strcmp(c, "..") == 0;
}

// "." names the directory it is in: dropping it changes nothing, so it is no
// reason for a warning (tar-made archives store "./name").
bool is_parent_component(const char* c) {
  return std::strcmp(c, "..") == 0;
}

}  // namespace

int mapname(EngineState& s, int /*flag*/) {
  NameState& n = s.names;
  char* const member = s.member.member_name.data();
  s.opt.create_directories = s.opt.freshen ? 0 : 1;
  n.made_directory = 0;
  n.name_made_safe = 0;
  n.stored_name_length = static_cast<int>(std::strlen(member));
  std::array<char, member_name_size> stored{};  // the name as stored, for the warning
  std::memcpy(stored.data(), member, static_cast<std::size_t>(n.stored_name_length) + 1);

  int r = checkdir(s, nullptr, CHECKDIR_BEGIN);
  if (r != 0) return r;

  const char* p = member;
  if (s.opt.junk_paths) {
    for (const char* q = member; *q != '\0'; ++q)
      if (is_separator(*q)) p = q + 1;
  }
  if (skip_root_parts(p)) n.name_made_safe = 1;

  std::array<char, member_name_size + 1> component{};
  std::size_t length = 0;
  long semicolon = -1;
  auto put = [&](char c) {
    if (length < member_name_size - 1) component[length++] = c;
  };
  for (; *p != '\0'; ++p) {
    char c = *p;
    if (c == ctrl_v) {
      if (p[1] == '\0') break;
      c = *++p;
      if (is_separator(c)) {
        c = '_';
        n.name_made_safe = 1;
      }
      put(c);
      continue;
    }
    if (is_separator(c)) {
      component[length] = '\0';
      if (is_dot_component(component.data())) {
        if (is_parent_component(component.data())) n.name_made_safe = 1;
      } else if (length > 0) {
        if (windows_names && make_windows_safe(component.data(), component.size())) n.name_made_safe = 1;
        r = checkdir(s, component.data(), CHECKDIR_ADD_DIR);
        if (r > 1) return r;
      }
      length = 0;
      semicolon = -1;
      continue;
    }
    switch (c) {
      case ':':
        put('_');
        break;
      case ';':
        semicolon = static_cast<long>(length);
        put(';');
        break;
      case ' ':
        put((s.opt.spaces_to_underscores || sys::volume_is_fat(stored.data())) ? '_' : ' ');
        break;
      default: {
        unsigned char u = static_cast<unsigned char>(c);
        if (std::isprint(u) || (u >= 128 && u <= 254)) put(c);
        break;
      }
    }
  }
  component[length] = '\0';
  if (!s.opt.keep_versions && semicolon >= 0) {
    bool digits = true;
    for (std::size_t i = static_cast<std::size_t>(semicolon) + 1; i < length; ++i)
      if (!std::isdigit(static_cast<unsigned char>(component[i]))) digits = false;
    if (digits) component[static_cast<std::size_t>(semicolon)] = '\0';
  }
  if (is_dot_component(component.data())) {
    if (is_parent_component(component.data())) n.name_made_safe = 1;
    component[0] = '\0';
  }
  if (windows_names && make_windows_safe(component.data(), component.size())) n.name_made_safe = 1;

  auto warn_if_made_safe = [&] {
    if (n.name_made_safe)
      std::fprintf(stderr, "warning:  %s:  unsafe name mapped to %s\n", stored.data(),
                   member[0] != '\0' ? member : "(extraction directory)");
  };

  const char last =
      n.stored_name_length > 0 ? stored[static_cast<std::size_t>(n.stored_name_length) - 1] : '\0';
  if (is_separator(last)) {
    checkdir(s, member, CHECKDIR_TAKE_PATH);
    warn_if_made_safe();
    if (n.made_directory && s.opt.quiet == 0) {
      std::printf("   creating: %-22s\n", member);
      return map_created_directory;
    }
    return map_leave;
  }
  if (component[0] == '\0') {
    std::fprintf(stderr, "mapname:  conversion of %s failed\n", stored.data());
    checkdir(s, member, CHECKDIR_TAKE_PATH);
    std::memcpy(member, stored.data(), static_cast<std::size_t>(n.stored_name_length) + 1);
    return map_error;
  }
  (void)checkdir(s, component.data(), CHECKDIR_ADD_NAME);
  checkdir(s, member, CHECKDIR_TAKE_PATH);
  warn_if_made_safe();

  const MemberInfo* m = s.member.current_member;
  if (m != nullptr && (m->flags & member_volume_label) != 0) {
    const char root[3] = {static_cast<char>(n.label_drive + 96), ':', '\0'};
    if (s.opt.quiet == 0) std::printf("labelling %s %-22s\n", root, member);
    if (sys::set_volume_label(root, member) == 0) return map_leave;
    std::fprintf(stderr, "mapname:  error setting volume label\n");
    return map_error;
  }
  return map_ok;
}
