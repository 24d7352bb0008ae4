// A zip writer for tests, with control over every header field.
//
// An archive is described as a list of members plus end-record settings; by
// default every field is what a correct archive holds (sizes, CRC, offsets,
// counts computed), and any field can be overridden to make a broken one:
// wrong sizes or CRCs, lying counts and offsets, different local and central
// values, prepended bytes, junk between records, a missing end record.
// Truncation and byte patches are done on the returned string.
//
// Deflate data comes from zlib (raw deflate) when the tests are built with it
// (VOK_HAVE_ZLIB); otherwise a member may give its compressed bytes itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zipw {

// MS-DOS date and time words.
[[nodiscard]] constexpr std::uint16_t dos_date(int year, int month, int day) {
  return static_cast<std::uint16_t>(((year - 1980) << 9) | (month << 5) | day);
}
[[nodiscard]] constexpr std::uint16_t dos_time(int hour, int minute, int second) {
  return static_cast<std::uint16_t>((hour << 11) | (minute << 5) | (second / 2));
}

// CRC-32 (the zip polynomial) of a byte string.
[[nodiscard]] std::uint32_t crc32_of(const std::string& data);

// Raw deflate of data at a zlib level (1..9); requires zlib.
[[nodiscard]] std::string deflate_raw(const std::string& data, int level = 6);
[[nodiscard]] bool have_deflate();

struct Member {
  std::string name;
  std::string data;  // the uncompressed content
  // 0 stores `data`, 8 deflates it with zlib; any other method (or any method
  // with `raw` set) stores `raw` as the compressed bytes.
  int method = 0;
  std::optional<std::string> raw;
  int deflate_level = 6;

  std::uint16_t flags = 0;
  std::uint8_t version_made = 20;  // zip format version x10
  std::uint8_t host_made = 0;      // 0 FAT, 3 Unix, 11 NTFS, ...
  std::uint8_t version_needed = 20;
  std::uint8_t host_needed = 0;
  std::uint16_t time = dos_time(12, 0, 0);
  std::uint16_t date = dos_date(1997, 3, 15);
  std::uint16_t internal_attr = 0;
  std::uint32_t external_attr = 0x20;
  std::uint16_t disk_start = 0;
  std::string central_extra;
  std::string local_extra;
  std::string comment;

  // Central values that lie (defaults: computed).
  std::optional<std::uint32_t> crc;
  std::optional<std::uint32_t> compressed_size;
  std::optional<std::uint32_t> uncompressed_size;
  std::optional<std::uint32_t> local_offset;
  std::optional<std::uint16_t> name_length;  // stated length; the name bytes written are `name`
  std::optional<std::uint16_t> extra_length;
  std::optional<std::uint16_t> comment_length;

  // Local header values when they differ from the central ones.
  std::optional<std::string> local_name;
  std::optional<std::uint16_t> local_flags;
  std::optional<std::uint16_t> local_method;
  std::optional<std::uint16_t> local_time;
  std::optional<std::uint16_t> local_date;
  std::optional<std::uint32_t> local_crc;
  std::optional<std::uint32_t> local_compressed_size;
  std::optional<std::uint32_t> local_uncompressed_size;
  bool write_local_header = true;  // false: the data follows the previous member directly
  std::string data_descriptor;     // bytes written after the data (flag bit 3 members)
};

struct Archive {
  std::vector<Member> members;
  std::string comment;
  std::string prefix;                   // bytes before the archive proper (not counted in offsets)
  bool offsets_include_prefix = false;  // true: offsets count from the start of the file
  std::string before_directory;         // junk between the last member and the central directory
  std::string before_end_record;        // junk between the central directory and the end record
  std::string after_end;                // bytes after the archive comment
  bool write_end_record = true;

  std::uint16_t this_disk = 0;
  std::uint16_t dir_start_disk = 0;
  std::optional<std::uint16_t> entries_this_disk;
  std::optional<std::uint16_t> entries_total;
  std::optional<std::uint32_t> dir_size;
  std::optional<std::uint32_t> dir_offset;
  std::optional<std::uint16_t> comment_length;
};

// The archive's bytes.
[[nodiscard]] std::string build(const Archive& archive);

// Positions of the records in the last built archive layout, for patching.
struct Layout {
  std::vector<std::size_t> local_offsets;    // file offsets of the local headers
  std::vector<std::size_t> central_offsets;  // file offsets of the central headers
  std::size_t directory_offset = 0;
  std::size_t end_record_offset = 0;
};
[[nodiscard]] std::string build(const Archive& archive, Layout& layout);

// Writes bytes to a file (binary); false on failure.
bool write_file(const std::string& path, const std::string& bytes);

// Little-endian patches on built bytes.
void put_le16(std::string& bytes, std::size_t at, std::uint16_t value);
void put_le32(std::string& bytes, std::size_t at, std::uint32_t value);

}  // namespace zipw
