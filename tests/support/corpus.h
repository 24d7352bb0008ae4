// Access to the real-archive corpus (../shared/corpus): its folder and the
// rows of MEMBERS.tsv. Tests that need it skip with a clear message when the
// folder is absent.
#pragma once

#include <string>
#include <vector>

namespace corpus {

struct Member {
  std::string file;          // archive path relative to the corpus folder
  int index = 0;             // central directory position
  std::string name;
  int method = 0;
  unsigned flags = 0;
  std::string host;
  std::string ver_made, ver_need;
  unsigned long csize = 0, usize = 0;
  std::string crc32;         // 8 lower-case hex digits
  bool encrypted = false, is_dir = false;
  std::string dos_attr, unix_mode, dos_mtime;  // dos_mtime "YYYY-MM-DD hh:mm:ss"
  std::string agreement, agreed_sha256, ground_truth;
};

// The corpus folder (VOK_CORPUS_DIR in the environment, else the path given
// at build time), or an empty string when it does not exist.
std::string dir();

// All rows of MEMBERS.tsv; empty when the corpus is absent.
std::vector<Member> members();

// SHA-256 of a byte string, as 64 lower-case hex digits.
std::string sha256_hex(const void* data, std::size_t size);

}  // namespace corpus

// Use at the top of a test: skips it when the corpus is absent.
#define VOK_REQUIRE_CORPUS()                                                              \
  do {                                                                                   \
    if (corpus::dir().empty())                                                           \
      GTEST_SKIP() << "real-archive corpus not found (set VOK_CORPUS_DIR or place it at " \
                      "../shared/corpus)";                                               \
  } while (0)
