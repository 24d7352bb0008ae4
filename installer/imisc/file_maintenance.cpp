// File maintenance of the installer (see file_maintenance.h).
//
// copy_tree walks the source twice through the portability layer's listing:
// first the directories (recursing), then the files, so a file never waits
// on a directory that is not there yet. Names beginning with "." are not
// entered as directories ("." and ".." among them) but are copied as files.
#include "installer/imisc/file_maintenance.h"

#include <cstring>

#include "installer/imisc/imisc_hooks.h"
#include "platform/os_files.h"
#include "platform/sys_fileops.h"

namespace {

// One open listing of the portability layer, ended on every path.
class DirectoryListing {
 public:
  explicit DirectoryListing(const PathText& pattern) {
    static_assert(sizeof(record_.name) == sizeof(PathText));
    std::memcpy(record_.name.data(), pattern.data(), pattern.size());
    found_ = os_FileFindMgr(os_find_first, record_) == 0;
  }
  DirectoryListing(const DirectoryListing&) = delete;
  DirectoryListing& operator=(const DirectoryListing&) = delete;
  ~DirectoryListing() { static_cast<void>(os_FileFindMgr(os_find_end, record_)); }

  [[nodiscard]] bool found() const { return found_; }
  [[nodiscard]] const char* name() const { return record_.name.data(); }
  [[nodiscard]] bool is_directory() const { return (record_.attributes & os_attribute_directory) != 0; }
  void advance() { found_ = os_FileFindMgr(os_find_next, record_) == 0; }

 private:
  OsFileFind record_;
  bool found_ = false;
};

bool is_separator(char c) {
  return c == '\\' || c == '/';
}

// `inner` is `outer` or lies below it, by their texts (ignoring case and
// trailing separators). Copying a tree into itself would list the copies it
// makes and recurse until the paths grow too long.
bool is_same_or_below(const char* inner, const char* outer) {
  std::size_t length = std::strlen(outer);
  while (length > 0 && is_separator(outer[length - 1])) --length;
  if (compare_nocase(inner, outer, length) != 0) return false;
  return inner[length] == '\0' || is_separator(inner[length]);
}

}  // namespace

RenameResult option_file_new_name(const char* target, PathText& out) {
  const std::size_t target_length = std::strlen(target);
  for (const OptionFileRename& pair : option_file_renames) {
    if (!ends_with_nocase(target, pair.old_name)) continue;
    const std::size_t kept = target_length - std::strlen(pair.old_name);
    const std::size_t new_length = std::strlen(pair.new_name);
    if (kept + new_length > path_max_length) {
      out[0] = '\0';
      return RenameResult::too_long;
    }
    std::memcpy(out.data(), target, kept);
    std::memcpy(out.data() + kept, pair.new_name, new_length + 1);
    return RenameResult::renamed;
  }
  if (!copy_text(out, target)) return RenameResult::too_long;
  return RenameResult::unchanged;
}

int copy_file(const char* source, const char* target, bool rename) {
  if (!rename) return sys::copy_file_overwrite(source, target) ? 1 : 0;
  PathText renamed;
  if (option_file_new_name(target, renamed) == RenameResult::too_long) return 0;
  return sys::copy_file_overwrite(source, renamed.data()) ? 1 : 0;
}

int copy_tree(const char* source_dir, const char* target_dir, bool rename) {
  if (source_dir[0] == '\0' || target_dir[0] == '\0') return 0;
  if (is_same_or_below(target_dir, source_dir)) return 0;
  PathText pattern;
  if (!join_path(pattern, source_dir, "*.*")) return 0;
  if (!sys::path_exists(target_dir) && !sys::create_directory(target_dir)) return 0;

  PathText from;
  PathText to;
  for (DirectoryListing entry(pattern); entry.found(); entry.advance()) {
    if (entry.name()[0] == '.' || !entry.is_directory()) continue;
    if (join_path(from, source_dir, entry.name()) && join_path(to, target_dir, entry.name())) {
      copy_tree(from.data(), to.data(), rename);
    }
  }
  for (DirectoryListing entry(pattern); entry.found(); entry.advance()) {
    if (entry.is_directory()) continue;
    if (join_path(from, source_dir, entry.name()) && join_path(to, target_dir, entry.name())) {
      copy_file(from.data(), to.data(), rename);
    }
  }
  return 1;
}

void handle_old_files(const char* directory, int mode) {
  PathText old_path;
  PathText new_path;
  if (mode == static_cast<int>(OldFilesMode::rename_options)) {
    for (const OptionFileRename& pair : option_file_renames) {
      if (join_path(old_path, directory, pair.old_name) && join_path(new_path, directory, pair.new_name)) {
        copy_file(old_path.data(), new_path.data(), false);
      }
    }
  } else if (mode == static_cast<int>(OldFilesMode::delete_obsolete)) {
    imisc_show_status(StatusMessage::cleanup);
    for (const char* entry : obsolete_files) {
      const bool is_directory_entry = entry[0] == '!';
      if (!join_path(old_path, directory, is_directory_entry ? entry + 1 : entry)) continue;
      if (is_directory_entry) {
        static_cast<void>(sys::remove_directory(old_path.data()));
      } else {
        static_cast<void>(sys::delete_file(old_path.data()));
      }
    }
  }
}
