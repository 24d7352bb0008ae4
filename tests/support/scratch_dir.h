// A fresh temporary directory per test, removed again at its end, and small
// file helpers for tests that write real files.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace testutil {

class ScratchDir {
 public:
  ScratchDir() {
    static std::atomic<int> counter{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string leaf = std::string("vok_") + (info ? info->name() : "test") + "_" + std::to_string(counter++);
    for (char& c : leaf)
      if (c == '/') c = '_';
    path_ = std::filesystem::temp_directory_path() / leaf;
    std::error_code ec;
    make_writable(path_);
    std::filesystem::remove_all(path_, ec);
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ec;
    make_writable(path_);
    std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The path with forward slashes, as the engine builds paths.
  std::string str() const { return path_.generic_string(); }
  std::string operator/(const std::string& rel) const { return str() + "/" + rel; }

 private:
  // Read-only files (extracted with the read-only attribute) would block removal on Windows.
  static void make_writable(const std::filesystem::path& p) {
    std::error_code ec;
    if (!std::filesystem::exists(p, ec)) return;
    for (auto it = std::filesystem::recursive_directory_iterator(p, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_write,
                                   std::filesystem::perm_options::add, ec);
  }
  std::filesystem::path path_;
};

inline std::string read_file(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace testutil

namespace testutil {

// Makes the text standard input for the rest of the process (the engine's
// terminal questions read it); dir holds the file that backs it.
inline void set_stdin(const ScratchDir& dir, const std::string& text) {
  static int count = 0;
  std::string path = dir / ("stdin" + std::to_string(count++) + ".txt");
  write_file(path, text);
  ASSERT_NE(std::freopen(path.c_str(), "rb", stdin), nullptr);
}

}  // namespace testutil
