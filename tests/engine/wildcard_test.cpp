// Wildcard matching and archive-name expansion.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>

#include "engine/wildcard.h"
#include "support/engine_runner.h"
#include "support/zip_writer.h"

namespace {

TEST(WildcardMatch, Table) {
  struct Case {
    const char* name;
    const char* pattern;
    int ignore_case;
    int expect;
  } cases[] = {
      {"", "*", 0, 1},
      {"anything/at/all", "*", 0, 1},
      {"dir/sub/a.zip", "*.zip", 0, 1},  // `*` runs across '/'
      {"dir/sub/a.zip", "dir*a.zip", 0, 1},
      {"a.zip", "*.zip", 0, 1},
      {"a.zipx", "*.zip", 0, 0},
      {"a/b", "a?b", 0, 1},  // `?` matches '/'
      {"ab", "a?b", 0, 0},
      {"", "?", 0, 0},
      {"dx", "[!a-c]x", 0, 1},
      {"bx", "[!a-c]x", 0, 0},
      {"b", "[^a]", 0, 1},
      {"a", "[^a]", 0, 0},
      {"a", "[a-]", 0, 0},  // a trailing '-' leaves its range untested
      {"-", "[a-]", 0, 0},
      {"a", "[-a]", 0, 1},  // a leading '-' is ordinary
      {"-", "[-a]", 0, 1},
      {"-", "[!-a]", 0, 0},
      {"a", "[]", 0, 0},  // empty set
      {"]", "[]", 0, 0},
      {"a", "[!]", 0, 1},  // negated empty set: any one character
      {"", "[!]", 0, 0},
      {"]", "[\\]]", 0, 1},  // escaped ']' in a set
      {"-", "[a\\-z]", 0, 1},
      {"b", "[a\\-z]", 0, 0},
      {"z", "[a\\-z]", 0, 1},
      {"m", "[a-cx-z]", 0, 0},
      {"y", "[a-cx-z]", 0, 1},
      {"m", "[abc", 0, 0},  // unterminated set
      {"*", "\\*", 0, 1},
      {"x", "\\*", 0, 0},
      {"a", "a\\", 0, 0},  // lone '\' at the end matches nothing
      {"a\\", "a\\", 0, 0},
      {"q", "[A-Z]", 1, 1},
      {"q", "[A-Z]", 0, 0},
      {"readme", "README", 1, 1},
      {"readme", "README", 0, 0},
      {"README.TXT", "*.txt", 1, 1},
      {"a", "a**", 0, 0},  // `*` never tries the empty rest
      {"a", "a*", 0, 1},
      {"ab", "a**", 0, 1},
      {"abcabcabd", "*abc*abd", 0, 1},
      {"abcabcabe", "*abc*abd", 0, 0},
      {"mississippi", "m*iss*ppi", 0, 1},
      {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*a*a*a*a*c", 0, 0},
      {"\xe9t\xe9", "?t?", 0, 1},  // bytes above 127
      {"\xe9", "[\xe0-\xef]", 0, 1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(wildcard_match(c.name, c.pattern, c.ignore_case), c.expect)
        << "name \"" << c.name << "\" pattern \"" << c.pattern << "\" ignore_case " << c.ignore_case;
}

// Expands a pattern to the end of its expansion; the names it handed out.
std::vector<std::string> expand_all(EngineState& s, const std::string& pattern) {
  std::vector<std::string> names;
  while (char* name = expand_archive_name(s, pattern.c_str())) {
    names.push_back(name);
    if (names.size() > 100) break;
  }
  return names;
}

TEST(ArchiveNameExpansion, InADirectory) {
  enginetest::ScratchDir dir("expand");
  for (const char* name : {"INSTALL.FIL", "a.zip", "b.zip", "notes.txt"})
    ASSERT_TRUE(zipw::write_file(dir.file(name), "x"));
  auto s = std::make_unique<EngineState>();

  // The stored case of the name comes back, with the directory part as given.
  EXPECT_EQ(expand_all(*s, dir.file("install.fil")), std::vector<std::string>{dir.file("INSTALL.FIL")});

  std::vector<std::string> zips = expand_all(*s, dir.file("*.zip"));
  std::sort(zips.begin(), zips.end());
  EXPECT_EQ(zips, (std::vector<std::string>{dir.file("a.zip"), dir.file("b.zip")}));

  // "." and ".." are entries like any other.
  std::vector<std::string> all = expand_all(*s, dir.file("*"));
  std::set<std::string> seen(all.begin(), all.end());
  EXPECT_TRUE(seen.count(dir.file("notes.txt")));
  EXPECT_TRUE(seen.count(dir.file(".")));
  EXPECT_EQ(all.size(), 6u);

  // Nothing matches: the pattern once, then the end; the next call starts anew.
  EXPECT_EQ(expand_all(*s, dir.file("*.arj")), std::vector<std::string>{dir.file("*.arj")});
  EXPECT_EQ(expand_all(*s, dir.path() + "/missing/a.zip"),
            std::vector<std::string>{dir.path() + "/missing/a.zip"});
  EXPECT_EQ(s->wild.wild_first_call, 1);
  EXPECT_FALSE(s->wild.wild_scan);
}

TEST(ArchiveNameExpansion, NamesTooLongAreRefused) {
  auto s = std::make_unique<EngineState>();
  const std::string fits(expanded_name_size - zip_suffix_room - 1, 'n');  // 259 characters
  EXPECT_EQ(expand_all(*s, fits), std::vector<std::string>{fits});
  EXPECT_EQ(s->wild.names_refused, 0);

  testing::internal::CaptureStderr();
  EXPECT_TRUE(expand_all(*s, fits + "n").empty());
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.rfind("error:  zipfile name too long (260 characters, at most 259):  nnn", 0), 0u) << err;
  EXPECT_EQ(s->wild.names_refused, 1);

  // Through the engine: refused, no archive, and the retry never appends to it.
  enginetest::RunOutput r = enginetest::run(*s, {"unpak", "-l", std::string(400, 'x')});
  EXPECT_EQ(r.result, 9);
  EXPECT_NE(r.err.find("zipfile name too long (400 characters"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("No zipfiles found.\n"), std::string::npos) << r.err;
}

}  // namespace
