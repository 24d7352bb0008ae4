// The installer's member table: what the "-v" listing of the install archive
// recorded, read by the installation worker to drive extraction and the
// progress bar.
//
// 250 entries of 150 bytes. A longer name is cut to 149 characters so that it
// never runs into the next entry; members past the 250th are still listed and
// counted by the listing, but not recorded (member_count stops at 250).
#pragma once

#include <array>
#include <cstdint>

inline constexpr unsigned member_table_entries = 250;
inline constexpr unsigned member_table_name_size = 150;  // 149 characters and the terminator

struct MemberTable {
  std::array<std::array<char, member_table_name_size>, member_table_entries> member_names{};
  std::array<std::uint32_t, member_table_entries> member_sizes{};  // uncompressed bytes
  std::uint32_t archive_total_size = 0;  // sum of the listed sizes; kept when the totals are not printed
  unsigned member_count = 0;             // entries filled by the last listing
  unsigned members_not_recorded = 0;     // listed members past the last entry
};

// The program's one table, written by the listing (list_members).
extern MemberTable member_table;

// Starts a listing: no entries recorded yet (archive_total_size is kept).
void member_table_begin(MemberTable& table);

// Records one listed member; false (and nothing written) when the table is full.
bool member_table_record(MemberTable& table, const char* name, std::uint32_t size);
