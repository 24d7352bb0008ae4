// Windows implementation of the engine's low-level file services, on the C
// runtime's descriptors (binary mode throughout).
#include "platform/sys_file.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace sys {

namespace {
bool has_program_suffix(const char* path) {
  const char* dot = std::strrchr(path, '.');
  if (dot == nullptr) return false;
  return _stricmp(dot, ".exe") == 0 || _stricmp(dot, ".com") == 0 || _stricmp(dot, ".bat") == 0 ||
         _stricmp(dot, ".cmd") == 0;
}
}  // namespace

bool file_status(const char* path, FileStatus& out) {
  struct _stat64 st {};
  if (_stat64(path, &st) != 0) return false;
  out.is_directory = (st.st_mode & _S_IFDIR) != 0;
  out.is_executable = !out.is_directory && has_program_suffix(path);
  out.owner_writable = (st.st_mode & _S_IWRITE) != 0;
  out.size = static_cast<std::int64_t>(st.st_size);
  out.mtime = static_cast<std::int64_t>(st.st_mtime);
  out.mode = out.owner_writable ? 0666u : 0444u;
  return true;
}

int open_read(const char* path) {
  return _open(path, _O_RDONLY | _O_BINARY);
}

int create_write(const char* path) {
  return _open(path, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
}

long read(int fd, void* buffer, unsigned count) {
  return _read(fd, buffer, count);
}

long write(int fd, const void* buffer, unsigned count) {
  const char* p = static_cast<const char*>(buffer);
  unsigned done = 0;
  while (done < count) {
    int n = _write(fd, p + done, count - done);
    if (n <= 0) break;
    done += static_cast<unsigned>(n);
  }
  return static_cast<long>(done);
}

std::int64_t seek(int fd, std::int64_t offset) {
  return _lseeki64(fd, offset, SEEK_SET);
}

void close(int fd) {
  _close(fd);
}

int stdout_fd() {
  return _fileno(stdout);
}

void set_binary_mode(int fd) {
  _setmode(fd, _O_BINARY);
}

}  // namespace sys
