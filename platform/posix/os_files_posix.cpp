// POSIX directory listing for the portability layer (see os_files.h).
//
// The open listing is a heap record (directory stream, directory path and
// the name pattern) whose address the layer keeps in the caller's record.
#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <memory>
#include <string>

#include "platform/os_files.h"
#include "platform/posix/native_path.h"

namespace {

struct Listing {
  DIR* stream = nullptr;
  std::string directory;  // with a trailing slash, or empty for the current directory
  std::string pattern;
  ~Listing() {
    if (stream != nullptr) ::closedir(stream);
  }
};

char fold(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Windows-style match of one name: '*' any run, '?' one character, letter
// case ignored; "*.*" also matches names without a dot.
bool name_matches(const char* pattern, const char* name) {
  if (std::strcmp(pattern, "*.*") == 0) return true;
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*name != '\0') {
    if (*pattern == '*') {
      star = pattern++;
      resume = name;
    } else if (*pattern == '?' || (*pattern != '\0' && fold(*pattern) == fold(*name))) {
      ++pattern;
      ++name;
    } else if (star != nullptr) {
      pattern = star + 1;
      name = ++resume;
    } else {
      return false;
    }
  }
  while (*pattern == '*') ++pattern;
  return *pattern == '\0';
}

// Fills the record from the next matching entry; 0 when one was found.
int next_entry(Listing& listing, OsFileFind& record) {
  while (const dirent* entry = ::readdir(listing.stream)) {
    if (!name_matches(listing.pattern.c_str(), entry->d_name)) continue;
    const std::size_t length = std::strlen(entry->d_name);
    if (length >= record.name.size()) continue;  // cannot be handed to the installer whole
    std::memcpy(record.name.data(), entry->d_name, length + 1);
    record.attributes = 0;
    const std::string path = listing.directory + entry->d_name;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
      if (S_ISDIR(st.st_mode)) record.attributes |= os_attribute_directory;
      if ((st.st_mode & S_IWUSR) == 0) record.attributes |= os_attribute_read_only;
    }
    return 0;
  }
  return 1;
}

}  // namespace

int os_FileFindMgr(int operation, OsFileFind& record) {
  switch (operation) {
    case os_find_first: {
      if (record.layer != 0) return 1;  // still open: the caller must end it first
      record.name.back() = '\0';
      const std::string pattern = sys::native_path(record.name.data());
      auto listing = std::make_unique<Listing>();
      const std::size_t slash = pattern.rfind('/');
      if (slash == std::string::npos) {
        listing->pattern = pattern;
      } else {
        listing->directory = pattern.substr(0, slash + 1);
        listing->pattern = pattern.substr(slash + 1);
      }
      listing->stream = ::opendir(listing->directory.empty() ? "." : listing->directory.c_str());
      if (listing->stream == nullptr) return 1;
      const int found = next_entry(*listing, record);
      record.layer = reinterpret_cast<std::uintptr_t>(listing.release());
      return found;
    }
    case os_find_next:
      if (record.layer == 0) return 1;
      return next_entry(*reinterpret_cast<Listing*>(record.layer), record);
    case os_find_end:
      delete reinterpret_cast<Listing*>(record.layer);
      record.layer = 0;
      return 0;
    default:
      return 1;
  }
}
