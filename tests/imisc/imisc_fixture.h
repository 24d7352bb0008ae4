// Fixture trees for the file helper tests: a fresh directory per test,
// addressed with the installer's backslash paths, and a fake for the
// helpers' status and assertion hooks.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "installer/imisc/imisc_hooks.h"

namespace imisc_test {

// The file system's view of an installer path (natively the platform layer
// reads backslashes as slashes; the tests do the same).
std::filesystem::path fs_path(const std::string& installer_path);

// A temporary directory removed at the end of the test.
class TempTree {
 public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  // The root and paths below it, in installer form ("root\a\b").
  [[nodiscard]] const std::string& root() const { return root_; }
  [[nodiscard]] std::string at(const std::string& relative) const;

  void make_dir(const std::string& relative) const;  // with its parents
  // Writes in text mode (line ends as the platform writes them), parents made.
  void write(const std::string& relative, const std::string& text) const;
  [[nodiscard]] bool exists(const std::string& relative) const;
  [[nodiscard]] std::string read(const std::string& relative) const;  // text mode; "<missing>" when absent
  // Every file and directory below the root, relative with backslashes,
  // directories marked by a trailing backslash, sorted without regard to case.
  [[nodiscard]] std::vector<std::string> listing(const std::string& relative = "") const;

 private:
  std::string root_;
};

// Records what the helpers report through their hooks while it lives.
class HookRecorder {
 public:
  HookRecorder();
  ~HookRecorder();
  HookRecorder(const HookRecorder&) = delete;
  HookRecorder& operator=(const HookRecorder&) = delete;

  [[nodiscard]] const std::vector<StatusMessage>& statuses() const;
  [[nodiscard]] const std::vector<std::string>& assertions() const;  // "expression|source|line"

 private:
  ImiscHooks saved_;
};

}  // namespace imisc_test
