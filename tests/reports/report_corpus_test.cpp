// `arcinfo -v` over every archive of the real-archive corpus: each run ends
// (under the sanitizers, without a finding), and every central directory
// entry it describes agrees with MEMBERS.tsv in sizes, CRC, method, host and
// versions. Archives whose report ends early must still agree on the entries
// shown before the end; a report that ends with result 0 or 1 shows them all.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/corpus.h"
#include "support/engine_runner.h"

namespace {

// The fields of one "Central directory entry #n:" section.
using Fields = std::map<std::string, std::string>;

std::map<int, Fields> parse_entries(const std::string& out) {
  std::map<int, Fields> entries;
  const std::string marker = "\f\nCentral directory entry #";
  for (std::size_t at = out.find(marker); at != std::string::npos;) {
    const std::size_t next = out.find(marker, at + 1);
    const std::string section = out.substr(at + marker.size(), next - at - marker.size());
    Fields& f = entries[std::atoi(section.c_str())];
    std::size_t line_start = 0;
    while (line_start < section.size()) {
      std::size_t line_end = section.find('\n', line_start);
      if (line_end == std::string::npos) line_end = section.size();
      const std::string line = section.substr(line_start, line_end - line_start);
      const std::size_t colon = line.find(": ");
      if (line.rfind("  ", 0) == 0 && colon != std::string::npos && line.size() > 52) {
        std::string key = line.substr(2, colon - 2);
        f[key] = line.substr(52);
      }
      line_start = line_end + 1;
    }
    at = next;
  }
  return entries;
}

std::string method_text(int method) {
  static const char* const names[] = {"none (stored)",
                                      "shrunk",
                                      "reduced (factor 1)",
                                      "reduced (factor 2)",
                                      "reduced (factor 3)",
                                      "reduced (factor 4)",
                                      "imploded",
                                      "tokenized",
                                      "deflated"};
  if (method >= 0 && method <= 8) return names[method];
  return "unknown (" + std::to_string(method) + ")";
}

std::string host_text(const std::string& tsv_host) {
  if (tsv_host == "MS-DOS") return "MS-DOS, OS/2 or NT FAT";
  if (tsv_host == "NTFS") return "NT NTFS";
  return tsv_host;  // "Unix"
}

const char* const host_by_number[] = {"MS-DOS, OS/2 or NT FAT",
                                      "Amiga",
                                      "VAX VMS",
                                      "Unix",
                                      "VM/CMS",
                                      "Atari ST",
                                      "OS/2 or NT HPFS",
                                      "Macintosh",
                                      "Z-System",
                                      "CP/M",
                                      "TOPS-20",
                                      "NT NTFS",
                                      "unknown"};

// MEMBERS.tsv writes "version needed" as the whole 16-bit field over ten
// (81.9 is 0x0333: version 5.1 on host 3); the report splits the two bytes.
void expect_version_needed(const std::string& tsv, const Fields& f, const std::string& where) {
  const int field = static_cast<int>(std::atof(tsv.c_str()) * 10 + 0.5);
  const int version = field & 0xFF, host = field >> 8;
  EXPECT_EQ(f.at("minimum software version required to extract"),
            std::to_string(version / 10) + "." + std::to_string(version % 10))
      << where;
  EXPECT_EQ(f.at("minimum operating system compatibility required"), host_by_number[host < 12 ? host : 12])
      << where;
}

// The total entry count each archive's end record states (ARCHIVES.tsv,
// "entries=this disk/total"): the report walks that many entries, even where
// the directory holds more.
std::map<std::string, std::size_t> stated_entry_counts() {
  std::map<std::string, std::size_t> counts;
  std::ifstream in(corpus::dir() + "/ARCHIVES.tsv");
  for (std::string line; std::getline(in, line);) {
    const std::size_t tab = line.find('\t');
    const std::size_t at = line.find("entries=");
    const std::size_t slash = line.find('/', at);
    if (tab == std::string::npos || at == std::string::npos || slash == std::string::npos) continue;
    counts[line.substr(0, tab)] = std::strtoull(line.c_str() + slash + 1, nullptr, 10);
  }
  return counts;
}

// A size is shown as the central header stores it; 0xFFFFFFFF there marks a
// size kept in a zip64 extra field, which this engine does not read.
void expect_size(const std::string& shown, unsigned long tsv, const std::string& where) {
  if (shown == "4294967295 bytes") return;
  EXPECT_EQ(shown, std::to_string(tsv) + " bytes") << where;
}

TEST(ReportCorpus, DetailedReportAgreesWithMembersTable) {
  VOK_REQUIRE_CORPUS();
  std::map<std::string, std::vector<corpus::Member>> by_archive;
  for (const corpus::Member& m : corpus::members()) by_archive[m.file];  // every archive, with members or not
  for (const corpus::Member& m : corpus::members())
    if (m.name != "(no central-directory entries)") by_archive[m.file].push_back(m);
  ASSERT_FALSE(by_archive.empty());
  const std::map<std::string, std::size_t> stated = stated_entry_counts();

  int archives = 0, entries_compared = 0, complete_reports = 0;
  for (const auto& [file, rows] : by_archive) {
    auto s = std::make_unique<EngineState>();
    const enginetest::RunOutput r = enginetest::run(*s, {"arcinfo", "-v", corpus::dir() + "/" + file});
    ++archives;
    const std::map<int, Fields> entries = parse_entries(r.out);
    if (r.result <= 1) {
      ++complete_reports;
      const auto count = stated.find(file);
      const std::size_t expected = count == stated.end() ? rows.size() : std::min(rows.size(), count->second);
      EXPECT_EQ(entries.size(), expected) << file << " (result " << r.result << ")\n" << r.err;
    }
    for (const corpus::Member& m : rows) {
      const auto found = entries.find(m.index);
      if (found == entries.end()) continue;
      const Fields& f = found->second;
      const std::string where = file + " #" + std::to_string(m.index) + " " + m.name;
      ASSERT_TRUE(f.count("compressed size") && f.count("host operating system (created on)")) << where;
      expect_size(f.at("compressed size"), m.csize, where);
      expect_size(f.at("uncompressed size"), m.usize, where);
      EXPECT_EQ(f.at("32-bit CRC value (hex)"), m.crc32) << where;
      EXPECT_EQ(f.at("compression method"), method_text(m.method)) << where;
      EXPECT_EQ(f.at("host operating system (created on)"), host_text(m.host)) << where;
      EXPECT_EQ(f.at("version of encoding software"), m.ver_made) << where;
      expect_version_needed(m.ver_need, f, where);
      ++entries_compared;
    }
  }
  std::printf("[ report   ] %d archives, %d complete reports, %d entries compared\n", archives,
              complete_reports, entries_compared);
  EXPECT_GT(entries_compared, 0);
}

}  // namespace
