// Makes the seeds of fuzz_explode, fuzz_unshrink and fuzz_unreduce (input
// layout in legacy_fuzz.h): fixtures of the test encoders for every variant,
// and the shrunk, reduced and imploded members of the real-archive corpus
// (members of at most 64 KiB of data and 256 KiB of output).
//
// Usage: legacy_fuzz_seeds OUT_DIR [CORPUS_DIR]
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/legacy_encoders.h"

namespace fs = std::filesystem;
using legacy::Bytes;

namespace {

void write_seed(const fs::path& dir, const std::string& name, std::uint8_t flags, std::uint32_t usize,
                const Bytes& data) {
  Bytes seed = {flags, static_cast<std::uint8_t>(usize), static_cast<std::uint8_t>(usize >> 8),
                static_cast<std::uint8_t>(usize >> 16), 0};
  seed.insert(seed.end(), data.begin(), data.end());
  std::ofstream f(dir / name, std::ios::binary);
  f.write(reinterpret_cast<const char*>(seed.data()), static_cast<std::streamsize>(seed.size()));
}

Bytes noise(std::size_t n, std::uint32_t x) {
  Bytes b(n);
  for (auto& c : b) {
    x = x * 1664525u + 1013904223u;
    c = static_cast<std::uint8_t>(x >> 24);
  }
  return b;
}

std::uint32_t le16(const Bytes& b, std::size_t at) {
  return b[at] | b[at + 1] << 8;
}
std::uint32_t le32(const Bytes& b, std::size_t at) {
  return le16(b, at) | le16(b, at + 2) << 16;
}

// Every member of methods 1 to 6 of one archive, as (method, flags, usize, data).
void corpus_seeds(const fs::path& archive, const fs::path& out) {
  std::ifstream f(archive, std::ios::binary);
  Bytes zip{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
  if (zip.size() < 22) return;
  std::size_t end = zip.size() - 22;
  while (std::memcmp(&zip[end], "PK\5\6", 4) != 0) {
    if (end == 0) return;
    --end;
  }
  std::int64_t prefix = static_cast<std::int64_t>(end) - le32(zip, end + 12) - le32(zip, end + 16);
  std::size_t p = static_cast<std::size_t>(le32(zip, end + 16) + prefix);
  for (int i = 0; p + 46 <= zip.size() && std::memcmp(&zip[p], "PK\1\2", 4) == 0; ++i) {
    std::uint32_t flags = le16(zip, p + 8), method = le16(zip, p + 10);
    std::uint32_t csize = le32(zip, p + 20), usize = le32(zip, p + 24);
    std::size_t local = static_cast<std::size_t>(le32(zip, p + 42) + prefix);
    p += 46 + le16(zip, p + 28) + le16(zip, p + 30) + le16(zip, p + 32);
    if (method < 1 || method > 6 || csize > 65536 || usize > 0x3FFFF || (flags & 1)) continue;
    if (local + 30 > zip.size() || std::memcmp(&zip[local], "PK\3\4", 4) != 0) continue;
    std::size_t data = local + 30 + le16(zip, local + 26) + le16(zip, local + 28);
    if (data + csize > zip.size()) continue;
    Bytes member(zip.begin() + static_cast<std::ptrdiff_t>(data),
                 zip.begin() + static_cast<std::ptrdiff_t>(data + csize));
    std::string name = "corpus_" + archive.filename().string() + "_" + std::to_string(i);
    if (method == 1) write_seed(out / "fuzz_unshrink", name, 0, usize, member);
    if (method >= 2 && method <= 5)
      write_seed(out / "fuzz_unreduce", name, static_cast<std::uint8_t>(method - 2), usize, member);
    if (method == 6) write_seed(out / "fuzz_explode", name, static_cast<std::uint8_t>(flags), usize, member);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: legacy_fuzz_seeds OUT_DIR [CORPUS_DIR]\n");
    return 2;
  }
  const fs::path out = argv[1];
  for (const char* target : {"fuzz_explode", "fuzz_unshrink", "fuzz_unreduce"})
    fs::create_directories(out / target);

  struct Sample {
    const char* name;
    Bytes bytes;
  } samples[] = {
      {"text", legacy::sample_text(3000, 1)},
      {"noise", noise(700, 2)},
      {"runs", Bytes(2500, 'a')},
      {"empty", {}},
  };
  for (const auto& s : samples) {
    auto usize = static_cast<std::uint32_t>(s.bytes.size());
    for (int flags : {0, 2, 4, 6}) {
      write_seed(out / "fuzz_explode", std::string("implode_") + s.name + "_" + std::to_string(flags),
                 static_cast<std::uint8_t>(flags), usize,
                 legacy::implode(s.bytes, (flags & 4) != 0, (flags & 2) != 0));
    }
    for (int factor = 1; factor <= 4; ++factor) {
      write_seed(out / "fuzz_unreduce", std::string("reduce_") + s.name + "_" + std::to_string(factor),
                 static_cast<std::uint8_t>(factor - 1), usize, legacy::reduce(s.bytes, factor));
    }
    write_seed(out / "fuzz_unshrink", std::string("shrink_") + s.name, 0, usize, legacy::shrink(s.bytes));
    write_seed(out / "fuzz_unshrink", std::string("shrink_cleared_") + s.name, 1, usize,
               legacy::shrink(s.bytes, {true, {5, 6, 40, 41, 300}, true}));
  }
  // A member whose table fills up before it is cleared.
  Bytes big = noise(30000, 3);
  write_seed(out / "fuzz_unshrink", "shrink_full_table", 0, static_cast<std::uint32_t>(big.size()),
             legacy::shrink(big, {false, {}, true}));

  // Regression: a partial clear once made a free code that was another
  // code's prefix look used, with a prefix far outside the table.
  write_seed(out / "fuzz_unshrink", "regression_clear_free_prefix", 1, 2500,
             {
                 0x61, 0x02, 0x0A, 0x48, 0x1C, 0x10, 0xA0, 0x80, 0x81, 0x2B, 0x00, 0x05, 0x08, 0x2C,
                 0x68, 0xF0, 0x20, 0xC2, 0x17, 0x12, 0x27, 0x52, 0xAC, 0x68, 0xF1, 0x22, 0xC6, 0x8C,
                 0x1A, 0x37, 0x72, 0xEC, 0xE8, 0xF1, 0x23, 0xC8, 0x90, 0x22, 0x47, 0x92, 0x2C, 0x09,
                 0x49, 0x50, 0x7B, 0x33, 0x3C, 0x89, 0xA7, 0xCE, 0xA1, 0x44, 0x8B, 0x1A, 0x2D, 0x0A,
             });

  if (argc > 2) {
    std::error_code ec;
    fs::path legacy_dir = fs::path(argv[2]) / "legacy";
    if (fs::is_directory(legacy_dir, ec))
      for (const auto& entry : fs::directory_iterator(legacy_dir, ec))
        if (entry.is_regular_file()) corpus_seeds(entry.path(), out);
  }
  std::ofstream(out / ".legacy_made") << "seeds made\n";
  return 0;
}
