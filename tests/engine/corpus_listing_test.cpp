// `unpak -v` over every archive of the real-archive corpus: no crash, and
// every listed member's size, method label, CRC and date agree with
// MEMBERS.tsv.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "support/corpus.h"
#include "support/engine_runner.h"

namespace {

struct ListedMember {
  std::string usize, method, csize, date, time, crc;
};

// The member lines of a verbose listing (between the header and the totals).
std::vector<ListedMember> member_lines(const std::string& out) {
  std::vector<ListedMember> rows;
  std::istringstream in(out);
  std::string line;
  bool in_members = false;
  while (std::getline(in, line)) {
    if (line.rfind(" ------  ------", 0) == 0) {
      in_members = true;
      continue;
    }
    if (line.rfind(" ------          ------", 0) == 0) break;
    if (!in_members) continue;
    // "%7lu  %-7s%7lu ...": the method label is a 7-column field that may
    // touch the compressed size, so it is cut out by position.
    ListedMember m;
    std::size_t start = line.find_first_not_of(' ');
    std::size_t end = line.find(' ', start);
    if (start == std::string::npos || end == std::string::npos || line.size() < end + 9) continue;
    m.usize = line.substr(start, end - start);
    m.method = line.substr(end + 2, 7);
    m.method.erase(m.method.find_last_not_of(' ') + 1);
    std::istringstream fields(line.substr(end + 9));
    std::string ratio;
    fields >> m.csize >> ratio >> m.date >> m.time >> m.crc;
    rows.push_back(m);
  }
  return rows;
}

std::string method_label(int method, unsigned flags) {
  static const char* names[] = {"Stored",  "Shrunk",  "Reduce1", "Reduce2",
                                "Reduce3", "Reduce4", "Implode", "Token"};
  if (method < 8) return names[method];
  if (method == 8) return std::string("Defl:") + "NXFS"[(flags >> 1) & 3];
  char b[16];
  std::snprintf(b, sizeof b, "Unk:%03d", method);
  return b;
}

// "YYYY-MM-DD hh:mm:ss" as the listing shows it: "MM-DD-YY" and "hh:mm".
std::pair<std::string, std::string> listing_date(const std::string& mtime) {
  return {mtime.substr(5, 2) + "-" + mtime.substr(8, 2) + "-" + mtime.substr(2, 2), mtime.substr(11, 5)};
}

std::vector<std::string> archive_files(const std::string& dir) {
  std::vector<std::string> files;
  std::ifstream f(dir + "/ARCHIVES.tsv");
  std::string line;
  std::getline(f, line);
  while (std::getline(f, line)) {
    std::string file = line.substr(0, line.find('\t'));
    if (!file.empty()) files.push_back(file);
  }
  return files;
}

TEST(CorpusListing, MembersAgreeWithTheTable) {
  VOK_REQUIRE_CORPUS();
  const std::string dir = corpus::dir();
  std::map<std::string, std::vector<corpus::Member>> by_archive;
  for (const corpus::Member& m : corpus::members()) {
    if (m.crc32 == "-") continue;  // the row that stands for "no members"
    by_archive[m.file].push_back(m);
  }
  const std::vector<std::string> files = archive_files(dir);
  ASSERT_FALSE(files.empty());

  int archives = 0, members_compared = 0;
  for (const std::string& file : files) {
    auto s = std::make_unique<EngineState>();
    enginetest::RunOutput r = enginetest::run(*s, {"unpak", "-vq", dir + "/" + file});
    ++archives;
    const std::vector<ListedMember> listed = member_lines(r.out);
    const std::vector<corpus::Member>& expected = by_archive[file];
    // A damaged directory may end the listing early, never lengthen it.
    EXPECT_LE(listed.size(), expected.size()) << file;
    if (r.result == 0) {
      EXPECT_EQ(listed.size(), expected.size()) << file << "\n" << r.err;
    }
    for (std::size_t i = 0; i < listed.size() && i < expected.size(); ++i) {
      const corpus::Member& e = expected[i];
      const ListedMember& l = listed[i];
      auto [date, time] = listing_date(e.dos_mtime);
      std::string what = file + " #" + std::to_string(i) + " " + e.name;
      // The engine reads no zip64 fields: a size of 0xFFFFFFFF is listed as stated.
      if (l.usize != "4294967295") {
        EXPECT_EQ(l.usize, std::to_string(e.usize)) << what;
      }
      EXPECT_EQ(l.method, method_label(e.method, e.flags)) << what;
      EXPECT_EQ(l.crc, e.crc32) << what;
      EXPECT_EQ(l.date, date) << what;
      EXPECT_EQ(l.time, time) << what;
      ++members_compared;
    }
  }
  std::printf("listed %d corpus archives, compared %d members\n", archives, members_compared);
}

}  // namespace
