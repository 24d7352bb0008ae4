// Reading and rewriting the product's path settings files (see path_settings.h).
#include "installer/imisc/path_settings.h"

#include <cstdio>
#include <cstring>
#include <span>

#include "installer/imisc/file_maintenance.h"
#include "installer/imisc/imisc_hooks.h"
#include "platform/sys_fileops.h"

EarlierInstallation earlier_installation;

namespace {

inline constexpr std::size_t first_line_capacity = 64;  // 62 characters and the line end
inline constexpr std::size_t line_capacity = 260;       // 258 characters and the line end
static_assert(line_capacity == path_capacity, "a numbered path line is read straight into its field");
static_assert(first_line_capacity - 3 <= version_capacity, "the version text fits its field");

// The keyed settings, in the order they are tested. /* key => field */
struct PathKey {
  const char* key;
  PathText EarlierInstallation::*earlier_field;  // where the reader puts the value
  PathText InstallSettings::*new_field;          // what the rewriter writes back
};
inline constexpr std::array<PathKey, 5> path_keys{{
    {"DownloadPath", &EarlierInstallation::earlier_download, &InstallSettings::download_path},
    {"UploadPath", &EarlierInstallation::earlier_upload, &InstallSettings::upload_path},
    {"CapturePath", &EarlierInstallation::earlier_capture, &InstallSettings::log_path},
    {"ScriptPath", &EarlierInstallation::earlier_script, &InstallSettings::script_path},
    {"OptsPath", &EarlierInstallation::earlier_options, &InstallSettings::options_path},
}};

// One stdio stream, closed on every path; close() reports whether the
// buffered writes reached the file.
class TextFile {
 public:
  TextFile(const char* path, const char* mode) : file_(sys::open_text(path, mode)) {}
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;
  ~TextFile() { static_cast<void>(close()); }

  [[nodiscard]] bool is_open() const { return file_ != nullptr; }
  [[nodiscard]] std::FILE* get() const { return file_; }
  [[nodiscard]] bool at_end() const { return std::feof(file_) != 0 || std::ferror(file_) != 0; }
  [[nodiscard]] bool failed() const { return std::ferror(file_) != 0; }
  [[nodiscard]] bool close() {
    if (file_ == nullptr) return true;
    const bool ok = std::ferror(file_) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    return ok && closed;
  }

 private:
  std::FILE* file_;
};

enum class LineFit { whole, too_long };

// Reads one line into `buffer` (at most buffer.size() - 1 characters with
// its line end) and removes the line end. At the end of the file the buffer
// is empty. A line that does not fit leaves its beginning in the buffer and
// the rest unread.
LineFit read_line(std::FILE* file, std::span<char> buffer) {
  buffer[0] = '\0';
  if (std::fgets(buffer.data(), static_cast<int>(buffer.size()), file) == nullptr) {
    buffer[0] = '\0';
    return LineFit::whole;
  }
  const std::size_t length = std::strlen(buffer.data());
  if (length > 0 && buffer[length - 1] == '\n') {
    buffer[length - 1] = '\0';
    return LineFit::whole;
  }
  if (length + 1 < buffer.size()) return LineFit::whole;  // the last line, without a line end
  const int next = std::getc(file);
  if (next == EOF) return LineFit::whole;
  std::ungetc(next, file);
  return LineFit::too_long;
}

void skip_rest_of_line(std::FILE* file) {
  int c;
  do {
    c = std::getc(file);
  } while (c != EOF && c != '\n');
}

// Copies the unread rest of a line and ends it with a line end.
void copy_rest_of_line(std::FILE* in, std::FILE* out) {
  int c;
  while ((c = std::getc(in)) != EOF && c != '\n') std::putc(c, out);
  std::putc('\n', out);
}

// Writes a line that was read, with its line end.
void copy_line(std::FILE* in, std::FILE* out, const char* line, LineFit fit) {
  std::fputs(line, out);
  if (fit == LineFit::too_long) {
    copy_rest_of_line(in, out);
  } else {
    std::putc('\n', out);
  }
}

// Line 1 from its fourth character.
const char* version_text(const char* first_line) {
  return std::strlen(first_line) >= 4 ? first_line + 3 : "";
}

void read_first_line(std::FILE* file, std::span<char> first_line) {
  if (read_line(file, first_line) == LineFit::too_long) skip_rest_of_line(file);
}

// A numbered path line: empty when missing or too long to be a path.
void read_numbered_path(std::FILE* file, PathText& field) {
  if (read_line(file, field) == LineFit::too_long) {
    skip_rest_of_line(file);
    field[0] = '\0';
  }
}

void drop_line(std::FILE* file) {
  PathText scratch;
  read_numbered_path(file, scratch);
}

void read_keyed_file(std::FILE* file, EarlierInstallation& earlier) {
  PathText line;
  while (std::feof(file) == 0 && std::ferror(file) == 0) {
    const LineFit fit = read_line(file, line);
    if (fit == LineFit::too_long) skip_rest_of_line(file);
    for (const PathKey& key : path_keys) {
      const std::size_t value_start = std::strlen(key.key) + 2;
      if (!starts_with_nocase(line.data(), key.key)) continue;
      if (fit == LineFit::too_long || std::strlen(line.data()) < value_start) continue;
      PathText& field = earlier.*key.earlier_field;
      static_cast<void>(copy_text(field, line.data() + value_start));
      const std::size_t length = std::strlen(field.data());
      if (length > 0) field[length - 1] = '\0';  // the closing quote
    }
  }
}

void read_numbered_file(std::FILE* file, const char* version, EarlierInstallation& earlier) {
  read_numbered_path(file, earlier.earlier_download);
  drop_line(file);
  read_numbered_path(file, earlier.earlier_upload);
  drop_line(file);
  read_numbered_path(file, earlier.earlier_capture);
  if (std::strcmp(version, "2.50") >= 0) drop_line(file);
  read_numbered_path(file, earlier.earlier_script);
  read_numbered_path(file, earlier.earlier_options);
}

// An absolute folder as it stands, a relative one below the earlier installation.
void resolve_folder(PathText& out, const char* existing_path, const char* folder) {
  if (is_absolute_path(folder)) {
    static_cast<void>(copy_text(out, folder));
  } else {
    static_cast<void>(join_path(out, existing_path, folder));
  }
}

void write_relative(std::FILE* out, const InstallSettings& settings, const PathText& folder) {
  std::fputs(make_relative(settings.destination_path.data(), folder.data()), out);
}

void rewrite_keyed(std::FILE* in, std::FILE* out, const InstallSettings& settings) {
  PathText line;
  while (std::feof(in) == 0 && std::ferror(in) == 0) {
    const LineFit fit = read_line(in, line);
    const PathKey* match = nullptr;
    for (const PathKey& key : path_keys) {
      if (starts_with_nocase(line.data(), key.key)) {
        match = &key;
        break;
      }
    }
    const std::size_t value_start = match != nullptr ? std::strlen(match->key) + 2 : 0;
    if (match == nullptr || std::strlen(line.data()) < value_start) {
      copy_line(in, out, line.data(), fit);
      continue;
    }
    if (fit == LineFit::too_long) skip_rest_of_line(in);
    std::fwrite(line.data(), 1, value_start, out);
    write_relative(out, settings, settings.*match->new_field);
    std::fputs("\"\n", out);
  }
}

void rewrite_numbered(std::FILE* in, std::FILE* out, const InstallSettings& settings) {
  PathText line;
  auto replace = [&](const PathText& folder) {
    if (read_line(in, line) == LineFit::too_long) skip_rest_of_line(in);
    write_relative(out, settings, folder);
    std::putc('\n', out);
  };
  auto keep = [&] {
    const LineFit fit = read_line(in, line);
    copy_line(in, out, line.data(), fit);
  };
  replace(settings.download_path);
  keep();
  replace(settings.upload_path);
  keep();
  replace(settings.log_path);
  replace(settings.script_path);
  replace(settings.options_path);
  while (std::feof(in) == 0 && std::ferror(in) == 0) keep();
}

}  // namespace

int compare_version(const char* version, const char* other) {
  return compare_nocase(version, other, 4);
}

const char* make_relative(const char* base, const char* path) {
  const std::size_t length = std::strlen(base);
  if (compare_nocase(path, base, length) != 0) return path;
  if (path[length] == '\\') return path + length + 1;
  // Only a whole directory name counts: C:\VOK2 does not lie below C:\VOK.
  if (path[length] == '\0' || (length > 0 && base[length - 1] == '\\')) return path + length;
  return path;
}

int read_path_settings(EarlierInstallation& earlier, const char* existing_path, const char* options_file,
                       const char* path_file) {
  earlier.earlier_is_beta = 0;
  earlier.earlier_found = 0;
  std::array<char, first_line_capacity> first_line{};

  if (TextFile options(options_file, "r"); options.is_open()) {
    read_first_line(options.get(), first_line);
    const char* version = version_text(first_line.data());
    if (compare_version(version, "2.50") >= 0 && compare_version(version, "2.99") <= 0) {
      earlier.earlier_is_beta = 1;
    }
    read_keyed_file(options.get(), earlier);
    earlier.earlier_found = 1;
  } else if (TextFile paths(path_file, "r"); paths.is_open()) {
    read_first_line(paths.get(), first_line);
    const char* version = version_text(first_line.data());
    if (compare_version(version, "2.00") < 0 ||
        (compare_version(version, "2.06") >= 0 && compare_version(version, "2.09") <= 0)) {
      earlier.earlier_is_beta = 1;
    }
    read_numbered_file(paths.get(), version, earlier);
    earlier.earlier_found = 1;
  }

  if (earlier.earlier_found == 1) {
    resolve_folder(earlier.earlier_options_dir, existing_path, earlier.earlier_options.data());
    resolve_folder(earlier.earlier_script_dir, existing_path, earlier.earlier_script.data());
  }
  static_cast<void>(copy_text(earlier.earlier_version, version_text(first_line.data())));
  return earlier.earlier_found;
}

void rewrite_path_settings(const InstallSettings& settings, const char* name) {
  const char* separator = std::strchr(name, '\\');
  if (separator == nullptr) {
    imisc_report_assertion("strchr(name, '\\\\') != NULL", "imisc", 399);
    return;
  }
  imisc_show_status(StatusMessage::paths);

  PathText temp_path;
  PathText target_path;
  if (!join_path(temp_path, settings.options_path.data(), "STANDARD.TMP") ||
      !join_path(target_path, settings.options_path.data(), separator + 1)) {
    return;
  }

  bool written = false;
  {
    TextFile target(target_path.data(), "r");
    if (!target.is_open()) return;
    std::array<char, first_line_capacity> first_line{};
    const LineFit fit = read_line(target.get(), first_line);
    TextFile temp(temp_path.data(), "w");
    if (!temp.is_open()) return;

    copy_line(target.get(), temp.get(), first_line.data(), fit);
    if (compare_version(version_text(first_line.data()), "2.50") >= 0) {
      rewrite_keyed(target.get(), temp.get(), settings);
    } else {
      rewrite_numbered(target.get(), temp.get(), settings);
    }
    // A read or write error leaves the options file alone rather than
    // replacing it with a partial copy.
    written = !target.failed() && temp.close();
  }
  if (written) copy_file(temp_path.data(), target_path.data(), false);
  static_cast<void>(sys::delete_file(temp_path.data()));
}

int read_path_settings(const char* options_file, const char* path_file) {
  return read_path_settings(earlier_installation, install_settings.existing_path.data(), options_file,
                            path_file);
}

void rewrite_path_settings(const char* name) {
  rewrite_path_settings(install_settings, name);
}
