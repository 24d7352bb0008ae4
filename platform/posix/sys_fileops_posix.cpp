// POSIX implementation of the installer's file services (see sys_fileops.h).
#include "platform/sys_fileops.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "platform/posix/native_path.h"

namespace sys {
namespace {

bool is_read_only(const struct stat& st) {
  return (st.st_mode & S_IWUSR) == 0;
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  [[nodiscard]] int get() const { return fd_; }
  [[nodiscard]] bool close_checked() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool write_all(int fd, const char* data, ssize_t count) {
  while (count > 0) {
    const ssize_t n = ::write(fd, data, static_cast<size_t>(count));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    count -= n;
  }
  return true;
}

bool copy_contents(int in, int out) {
  std::array<char, 64 * 1024> buffer;
  for (;;) {
    const ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (!write_all(out, buffer.data(), n)) return false;
  }
}

}  // namespace

bool copy_file_overwrite(const char* source, const char* target) {
  const std::string from = native_path(source);
  const std::string to = native_path(target);
  struct stat source_status {};
  Descriptor in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0 || ::fstat(in.get(), &source_status) != 0 || !S_ISREG(source_status.st_mode)) return false;

  struct stat target_status {};
  if (::stat(to.c_str(), &target_status) == 0) {
    if (!S_ISREG(target_status.st_mode) || is_read_only(target_status)) return false;
    // Copying a file onto itself would truncate it before reading it.
    if (target_status.st_dev == source_status.st_dev && target_status.st_ino == source_status.st_ino)
      return false;
  }

  Descriptor out(::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, source_status.st_mode & 0777));
  if (out.get() < 0) return false;
  if (!copy_contents(in.get(), out.get()) || !out.close_checked()) {
    ::unlink(to.c_str());
    return false;
  }
  return true;
}

bool create_directory(const char* path) {
  return ::mkdir(native_path(path).c_str(), 0777) == 0;
}

bool remove_directory(const char* path) {
  return ::rmdir(native_path(path).c_str()) == 0;
}

bool delete_file(const char* path) {
  const std::string p = native_path(path);
  struct stat st {};
  if (::lstat(p.c_str(), &st) != 0 || S_ISDIR(st.st_mode) || is_read_only(st)) return false;
  return ::unlink(p.c_str()) == 0;
}

bool path_exists(const char* path) {
  struct stat st {};
  return ::stat(native_path(path).c_str(), &st) == 0;
}

bool is_directory(const char* path) {
  struct stat st {};
  return ::stat(native_path(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool set_read_only(const char* path, bool read_only) {
  const std::string p = native_path(path);
  struct stat st {};
  if (::stat(p.c_str(), &st) != 0) return false;
  const mode_t mode = read_only ? (st.st_mode & ~static_cast<mode_t>(0222)) : (st.st_mode | S_IWUSR);
  return ::chmod(p.c_str(), mode & 07777) == 0;
}

#if defined(VOK_TEST_SEAMS)
namespace {
bool fail_text_writes = false;
}  // namespace

void test_fail_text_writes(bool fail) {
  fail_text_writes = fail;
}
#endif

std::FILE* open_text(const char* path, const char* mode) {
#if defined(VOK_TEST_SEAMS)
  if (fail_text_writes && mode[0] == 'w') {
    // Created, then handed out read-only: writes fail as they would on a full disk.
    std::FILE* created = std::fopen(native_path(path).c_str(), mode);
    if (created == nullptr) return nullptr;
    std::fclose(created);
    return std::fopen(native_path(path).c_str(), "r");
  }
#endif
  return std::fopen(native_path(path).c_str(), mode);
}

}  // namespace sys
