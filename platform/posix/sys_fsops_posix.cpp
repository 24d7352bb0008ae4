// POSIX implementation of the engine's volume, directory, time and attribute
// services. POSIX has no drives, volume labels or MS-DOS attributes; each
// function below says which real equivalent it uses instead.
#include "platform/sys_fsops.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>

namespace sys {

namespace {

constexpr std::int64_t ticks_per_second = 10'000'000;
constexpr std::int64_t seconds_1601_to_1970 = 11'644'473'600;
constexpr long msdos_super_magic = 0x4d44;  // vfat and msdos mounts

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
constexpr std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}
static_assert(days_from_civil(1970, 1, 1) == 0);
static_assert(days_from_civil(2000, 3, 1) == 11017);

constexpr bool is_leap(unsigned y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

}  // namespace

// The volume of a relative path is the current directory's; an absolute path
// that does not exist yet is looked up through its nearest existing parent.
bool volume_is_fat(const char* path) {
  std::string probe = (path[0] == '/') ? std::string(path) : std::string(".");
  for (;;) {
    struct statfs fs {};
    if (::statfs(probe.c_str(), &fs) == 0) return static_cast<long>(fs.f_type) == msdos_super_magic;
    if (errno != ENOENT && errno != ENOTDIR) return false;
    std::size_t slash = probe.find_last_of('/');
    if (slash == std::string::npos || probe == "/") return false;
    probe.resize(slash == 0 ? 1 : slash);
  }
}

// The errors that mean "this name cannot exist here": too long, or bytes the
// file system will not store (vfat refuses some characters with EINVAL,
// UTF-8-only file systems refuse invalid sequences with EILSEQ).
bool name_is_acceptable(const char* path) {
  int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0) {
    ::close(fd);
    return true;
  }
  return errno != ENAMETOOLONG && errno != EINVAL && errno != EILSEQ;
}

bool drive_is_removable(int) {
  return false;
}

bool current_directory(char* out, std::size_t size) {
  return ::getcwd(out, size) != nullptr;
}

// No volume labels on POSIX: every attempt fails.
int set_volume_label(const char*, const char*) {
  return ENOTSUP;
}

int make_directory(const char* path) {
  return ::mkdir(path, 0777) == 0 ? 0 : errno;
}

int make_owner_writable(const char* path) {
  struct stat st {};
  if (::stat(path, &st) != 0) return errno;
  return ::chmod(path, (st.st_mode & 07777) | S_IRUSR | S_IWUSR) == 0 ? 0 : errno;
}

// The same field checks as the Windows conversion: a month of 0 or 13, a day
// past the month's end, an hour of 24 or more and so on are refused.
int dos_date_time_to_local(unsigned date, unsigned time, FileTime& out) {
  const unsigned year = 1980 + (date >> 9);
  const unsigned month = (date >> 5) & 0x0F;
  const unsigned day = date & 0x1F;
  const unsigned hour = time >> 11;
  const unsigned minute = (time >> 5) & 0x3F;
  const unsigned second = 2 * (time & 0x1F);
  static constexpr unsigned month_days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1) return EINVAL;
  const unsigned last_day = month_days[month - 1] + ((month == 2 && is_leap(year)) ? 1 : 0);
  if (day > last_day || hour > 23 || minute > 59 || second > 59) return EINVAL;
  const std::int64_t seconds = days_from_civil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
  out.ticks = (seconds + seconds_1601_to_1970) * ticks_per_second;
  return 0;
}

// mktime applies the time-zone rules of the system (TZ) for that date,
// including daylight saving time, where Windows applies the current bias.
int local_to_utc(FileTime local, FileTime& out) {
  const std::time_t as_utc = static_cast<std::time_t>(local.ticks / ticks_per_second - seconds_1601_to_1970);
  std::tm fields{};
  if (::gmtime_r(&as_utc, &fields) == nullptr) return EOVERFLOW;
  fields.tm_isdst = -1;
  errno = 0;
  const std::time_t utc = std::mktime(&fields);
  if (utc == static_cast<std::time_t>(-1) && errno != 0) return errno;
  out.ticks = (static_cast<std::int64_t>(utc) + seconds_1601_to_1970) * ticks_per_second +
              local.ticks % ticks_per_second;
  return 0;
}

// The Windows daylight bias is -60 minutes in every zone that has daylight
// saving time; its standard bias is 0.
long time_zone_extra_bias_seconds() {
  const std::time_t now = std::time(nullptr);
  std::tm fields{};
  if (::localtime_r(&now, &fields) == nullptr) return 0;
  return fields.tm_isdst > 0 ? -3600 : 0;
}

// Opened for writing first, as Windows must, so that the two failures are
// told apart the same way on both systems.
SetTimeStep set_last_write_time(const char* path, const FileTime* time, int& error) {
  int fd = ::open(path, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = errno;
    return SetTimeStep::open_failed;
  }
  SetTimeStep step = SetTimeStep::done;
  if (time != nullptr) {
    struct timespec times[2]{};
    times[0].tv_nsec = UTIME_OMIT;
    std::int64_t since_1970 = time->ticks - seconds_1601_to_1970 * ticks_per_second;
    std::int64_t secs = since_1970 / ticks_per_second;
    std::int64_t rest = since_1970 % ticks_per_second;
    if (rest < 0) {
      rest += ticks_per_second;
      --secs;
    }
    times[1].tv_sec = static_cast<time_t>(secs);
    times[1].tv_nsec = static_cast<long>(rest * 100);
    if (::futimens(fd, times) != 0) {
      error = errno;
      step = SetTimeStep::set_failed;
    }
  }
  ::close(fd);
  return step;
}

int set_dos_attributes(const char* path, unsigned attributes) {
  if ((attributes & 0x01) == 0) return 0;
  struct stat st {};
  if (::stat(path, &st) != 0) return errno;
  return ::chmod(path, st.st_mode & 07555) == 0 ? 0 : errno;
}

int copy_file(const char* source, const char* target) {
  int in = ::open(source, O_RDONLY | O_CLOEXEC);
  if (in < 0) return errno;
  struct stat st {};
  if (::fstat(in, &st) != 0) {
    int e = errno;
    ::close(in);
    return e;
  }
  int out = ::open(target, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, st.st_mode & 0777);
  if (out < 0) {
    int e = errno;
    ::close(in);
    return e;
  }
  int error = 0;
  std::array<char, 16384> buffer;
  for (;;) {
    ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = errno;
      break;
    }
    if (n == 0) break;
    for (ssize_t done = 0; done < n;) {
      ssize_t w = ::write(out, buffer.data() + done, static_cast<std::size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        error = w < 0 ? errno : ENOSPC;
        break;
      }
      done += w;
    }
    if (error != 0) break;
  }
  ::close(in);
  if (::close(out) != 0 && error == 0) error = errno;
  return error;
}

}  // namespace sys
