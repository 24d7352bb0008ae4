// Helpers of the fuzz targets: a private scratch file per process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

namespace fuzz_support {

// A file under the temporary folder that no other process uses, removed
// when the process ends.
class ScratchFile {
 public:
  explicit ScratchFile(const char* name) {
    const std::string token = std::to_string(std::random_device{}()) + std::to_string(std::random_device{}());
    path_ = (std::filesystem::temp_directory_path() / ("vok_fuzz_" + token + "_" + name)).string();
  }
  ~ScratchFile() { std::remove(path_.c_str()); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  [[nodiscard]] const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Replaces the file's contents with the input.
inline bool write_file(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

}  // namespace fuzz_support
