// Low-level file services of the engine: status, unbuffered reads and writes.
//
// The engine reads archives through its own 2048-byte buffer and writes
// member data in whole runs, so it wants the operating system's descriptors
// directly, without stream buffering. The same interface is implemented on
// POSIX (platform/posix) and on the Windows C runtime (platform/win32).
#pragma once

#include <cstdint>
#include <utility>

namespace sys {

struct FileStatus {
  bool is_directory = false;
  bool is_executable = false;  // a program file (POSIX: any x bit; Windows: .exe/.com/.bat/.cmd)
  bool owner_writable = true;
  std::int64_t size = 0;
  std::int64_t mtime = 0;      // seconds since 1970, UTC
  unsigned mode = 0;           // POSIX-style permission bits (Windows: 0444 or 0666)
};

// False when the path does not exist or cannot be queried.
[[nodiscard]] bool file_status(const char* path, FileStatus& out);

// Descriptor-level operations; -1 marks failure, as the C runtime does.
[[nodiscard]] int open_read(const char* path);
[[nodiscard]] int create_write(const char* path);  // create or truncate, binary
[[nodiscard]] long read(int fd, void* buffer, unsigned count);
[[nodiscard]] long write(int fd, const void* buffer, unsigned count);
[[nodiscard]] std::int64_t seek(int fd, std::int64_t offset);  // from the start; new position or -1
void close(int fd);
[[nodiscard]] int stdout_fd();
void set_binary_mode(int fd);  // no line-end translation (Windows); nothing on POSIX

// Owner of one descriptor: closed on every path.
class FileHandle {
 public:
  FileHandle() = default;
  explicit FileHandle(int fd) : fd_(fd) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  FileHandle(FileHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FileHandle& operator=(FileHandle&& other) noexcept {
    if (this != &other) reset(std::exchange(other.fd_, -1));
    return *this;
  }
  ~FileHandle() { reset(); }

  [[nodiscard]] int get() const { return fd_; }
  [[nodiscard]] bool valid() const { return fd_ >= 0; }
  void reset(int fd = -1) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }
  [[nodiscard]] int release() { return std::exchange(fd_, -1); }

 private:
  int fd_ = -1;
};

}  // namespace sys
