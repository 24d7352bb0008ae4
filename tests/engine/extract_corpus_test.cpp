// Every stored member of the real-archive corpus extracts to the bytes the
// corpus agrees on.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/corpus.h"
#include "support/engine_runner.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

// MEMBERS.tsv writes a name with a '"' in quotes (doubling the '"'), other
// bytes outside printable ASCII as \xNN and a backslash as two.
std::string stored_name(std::string text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    std::string unquoted;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
      unquoted += text[i];
      if (text[i] == '"' && text[i + 1] == '"') ++i;
    }
    text = unquoted;
  }
  std::string name;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') {
      name += '\\';
      ++i;
    } else if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
      name += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      name += text[i];
    }
  }
  return name;
}

// The member name as a pattern that matches only itself; the engine keeps
// 260 characters of a name, and a name ends at a zero byte.
std::string literal_pattern(std::string name) {
  name = name.substr(0, name.find('\0'));
  if (name.size() > 260) name.resize(260);
  std::string p;
  for (char c : name) {
    // A set holds a special character literally; backslashes in arguments
    // are taken as path separators, so "?" stands for one.
    if (c == '*' || c == '?' || c == '[')
      p += std::string("[") + c + "]";
    else if (c == '\\')
      p += '?';
    else
      p += c;
  }
  return p;
}

// Stored members that this check cannot reach, and why.
struct Unreachable {
  const char* file;
  int index;
  const char* reason;
};
constexpr Unreachable unreachable[] = {
    {"edge/lz__zip64-in-archive-comment.zip", 0,
     "zip64 directory: the reader finds no classic central directory"},
    {"edge/lz__incons-cdoffset.zip", 0, "the stated directory offset is wrong: no central directory"},
    {"edge/lz__incons-file-count-low.zip", 2, "the end record counts fewer entries than the directory holds"},
    {"edge/lz__filename_empty.zip", 0, "an empty name maps to no file"},
    {"edge/lz__test-cp437.zip", 0, "a name of control characters only maps to no file"},
    {"edge/lz__test-cp437.zip", 1, "MEMBERS.tsv drops the name's trailing blank, so it cannot be selected"},
#ifdef _WIN32
    {"edge/lz__test-cp437.zip", 2, "'\"' and '*' are not allowed in Windows file names"},
    {"edge/lz__test-cp437.zip", 3, "'<', '>' and '?' are not allowed in Windows file names"},
#endif
};

bool is_unreachable(const corpus::Member& m) {
  for (const Unreachable& u : unreachable)
    if (m.file == u.file && m.index == u.index) return true;
  return false;
}

TEST(Corpus, StoredMembersGiveAgreedBytes) {
  VOK_REQUIRE_CORPUS();
  const std::vector<corpus::Member> members = corpus::members();
  std::map<std::pair<std::string, std::string>, int> name_count;
  for (const corpus::Member& m : members) ++name_count[{m.file, m.name}];
  int checked = 0;
  int skipped = 0;
  for (const corpus::Member& m : members) {
    if (m.method != 0 || m.is_dir || m.encrypted || m.agreed_sha256.size() != 64) continue;
    if (name_count[{m.file, m.name}] > 1) continue;  // which copy lands last is not the point here
    if (is_unreachable(m)) {
      ++skipped;
      continue;
    }
    testutil::ScratchDir dir;
    auto s = std::make_unique<EngineState>();
    const std::string archive = corpus::dir() + "/" + m.file;
    auto r = enginetest::run(
        *s, {"unpak", "-qq", "-o", archive, literal_pattern(stored_name(m.name)), "-d", dir.str()});
    std::vector<fs::path> files;
    for (const auto& e : fs::recursive_directory_iterator(dir.path()))
      if (e.is_regular_file()) files.push_back(e.path());
    const std::string shown = m.name.substr(0, 60);
    EXPECT_EQ(files.size(), 1u) << m.file << " #" << m.index << " " << shown << ": result " << r.result
                                << "\n"
                                << r.err.substr(0, 500);
    if (files.size() != 1) continue;
    std::ifstream f(files[0], std::ios::binary);  // the path as the system names it (wide on Windows)
    const std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_EQ(corpus::sha256_hex(bytes.data(), bytes.size()), m.agreed_sha256)
        << m.file << " #" << m.index << " " << shown << ": result " << r.result << "\n"
        << r.err.substr(0, 500);
    ++checked;
  }
  EXPECT_GT(checked, 0);
  std::printf("stored corpus members checked: %d, unreachable: %d\n", checked, skipped);
}

}  // namespace
