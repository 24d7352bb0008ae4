// File times and attributes: an extracted file gets the member's
// modification time and attributes.
//
// The member's time is stored as an MS-DOS date and time in local time; the
// file system keeps UTC, so the time goes through the platform's local-to-UTC
// conversion. The file is closed first and reopened to set its last-write
// time (creation and access times stay as they are), and only then are the
// attributes applied, so a read-only member is still writable while its time
// is set. Nothing here changes a member's result: a time or attribute that
// cannot be set leaves the file as written, after a message.
#include "engine/file_times.h"

#include <cstdio>

int member_file_time(EngineState& s, sys::FileTime& out) {
  sys::FileTime local;
  int e = sys::dos_date_time_to_local(s.member.local.date, s.member.local.time, local);
  if (e != 0) {
    std::printf("DosDateTime failed: %d\n", e);
    return 0;
  }
  e = sys::local_to_utc(local, out);
  if (e != 0) {
    std::printf("LocalFileTime failed: %d\n", e);
    out = local;
  }
  return 1;
}

void finish_output_file(EngineState& s) {
  sys::FileTime time;
  const int have_time = member_file_time(s, time);
  s.out.output_owner.reset();
  s.out.output_file = -1;

  const char* path = s.member.member_name.data();
  int error = 0;
  switch (sys::set_last_write_time(path, have_time ? &time : nullptr, error)) {
    case sys::SetTimeStep::open_failed:
      std::fprintf(stderr, "\nCreateFile error %d when trying set file time\n", error);
      break;
    case sys::SetTimeStep::set_failed:
      std::printf("\nSetFileTime failed: %d\n", error);
      break;
    case sys::SetTimeStep::done:
      break;
  }
  const unsigned attributes =
      s.member.current_member != nullptr ? s.member.current_member->file_attributes : 0x20;
  error = sys::set_dos_attributes(path, attributes & 0x7F);
  if (error != 0) std::fprintf(stderr, "\nwarning (%d): could not set file attributes\n", error);
}

std::int64_t dos_date_time_seconds(unsigned date, unsigned time) {
  // Cumulative days before each month of a common year.
  static constexpr int days_before_month[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  const int y = static_cast<int>(date >> 9) + 10;  // years since 1970
  int m = static_cast<int>((date >> 5) & 0x0F) - 1;
  const int d = static_cast<int>(date & 0x1F) - 1;
  // A month field of 0 or above 12 is out of range; clamp it rather than read
  // outside the table (such dates come only from damaged headers).
  if (m < 0) m = 0;
  if (m > 11) m = 11;
  std::int64_t days = 365LL * y + days_before_month[m] + (y + 1969) / 4 - 492;
  const int year = 1970 + y;
  if (m > 1 && year % 4 == 0 && year != 2100) ++days;
  if (year > 2100) --days;  // the division above counted 2100 as a leap year
  const unsigned hours = time >> 11;
  const unsigned minutes = (time >> 5) & 0x3F;
  const unsigned seconds = 2 * (time & 0x1F);
  return (days + d) * 86400 + hours * 3600 + minutes * 60 + seconds;
}

std::int64_t dos_time_to_seconds(unsigned date, unsigned time) {
  return dos_date_time_seconds(date, time) + sys::time_zone_extra_bias_seconds();
}
