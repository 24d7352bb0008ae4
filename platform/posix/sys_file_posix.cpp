// POSIX implementation of the engine's low-level file services.
#include "platform/sys_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace sys {

bool file_status(const char* path, FileStatus& out) {
  struct stat st {};
  if (::stat(path, &st) != 0) return false;
  out.is_directory = S_ISDIR(st.st_mode);
  out.is_executable = !out.is_directory && (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
  out.owner_writable = (st.st_mode & S_IWUSR) != 0;
  out.size = static_cast<std::int64_t>(st.st_size);
  out.mtime = static_cast<std::int64_t>(st.st_mtime);
  out.mode = static_cast<unsigned>(st.st_mode & 07777);
  return true;
}

int open_read(const char* path) { return ::open(path, O_RDONLY | O_CLOEXEC); }

int create_write(const char* path) {
  return ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

long read(int fd, void* buffer, unsigned count) {
  ssize_t n;
  do {
    n = ::read(fd, buffer, count);
  } while (n < 0 && errno == EINTR);
  return static_cast<long>(n);
}

long write(int fd, const void* buffer, unsigned count) {
  // A short write is reported as such: the caller decides (disk full?).
  const char* p = static_cast<const char*>(buffer);
  unsigned done = 0;
  while (done < count) {
    ssize_t n = ::write(fd, p + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<unsigned>(n);
  }
  return static_cast<long>(done);
}

std::int64_t seek(int fd, std::int64_t offset) {
  return static_cast<std::int64_t>(::lseek(fd, static_cast<off_t>(offset), SEEK_SET));
}

void close(int fd) { ::close(fd); }

int stdout_fd() { return STDOUT_FILENO; }

void set_binary_mode(int) {}

}  // namespace sys
