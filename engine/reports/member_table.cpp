// The installer's member table (see member_table.h).
#include "engine/reports/member_table.h"

#include <cstring>

MemberTable member_table;

void member_table_begin(MemberTable& table) {
  table.member_count = 0;
  table.members_not_recorded = 0;
}

bool member_table_record(MemberTable& table, const char* name, std::uint32_t size) {
  if (table.member_count >= member_table_entries) {
    ++table.members_not_recorded;
    return false;
  }
  auto& entry = table.member_names[table.member_count];
  std::size_t n = std::strlen(name);
  if (n >= entry.size()) n = entry.size() - 1;
  std::memcpy(entry.data(), name, n);
  entry[n] = '\0';
  table.member_sizes[table.member_count] = size;
  ++table.member_count;
  return true;
}
