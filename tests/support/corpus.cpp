// Corpus access for tests (see corpus.h).
#include "support/corpus.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#ifndef VOK_DEFAULT_CORPUS_DIR
#define VOK_DEFAULT_CORPUS_DIR "../shared/corpus"
#endif

namespace corpus {

namespace {

bool folder_exists(const std::string& path) {
  std::ifstream f(path + "/MEMBERS.tsv");
  return f.good();
}

std::string windows_view(std::string path) {
#ifdef _WIN32
  // Under Wine the Unix root is drive Z:.
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
#endif
  return path;
}

std::vector<std::string> split_tabs(const std::string& line) {
  std::vector<std::string> out;
  std::string field;
  std::istringstream in(line);
  while (std::getline(in, field, '\t')) out.push_back(field);
  return out;
}

}  // namespace

std::string dir() {
  const char* env = std::getenv("VOK_CORPUS_DIR");
  for (std::string candidate : {std::string(env ? env : ""), std::string(VOK_DEFAULT_CORPUS_DIR)}) {
    if (candidate.empty()) continue;
    candidate = windows_view(candidate);
    if (folder_exists(candidate)) return candidate;
  }
  return {};
}

std::vector<Member> members() {
  std::vector<Member> rows;
  std::string base = dir();
  if (base.empty()) return rows;
  std::ifstream f(base + "/MEMBERS.tsv");
  std::string line;
  std::getline(f, line);  // column names
  while (std::getline(f, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    auto c = split_tabs(line);
    if (c.size() < 19) continue;
    Member m;
    m.file = c[0];
    m.index = std::atoi(c[1].c_str());
    m.name = c[2];
    m.method = std::atoi(c[3].c_str());
    m.flags = static_cast<unsigned>(std::strtoul(c[4].c_str(), nullptr, 16));
    m.host = c[5];
    m.ver_made = c[6];
    m.ver_need = c[7];
    m.csize = std::strtoul(c[8].c_str(), nullptr, 10);
    m.usize = std::strtoul(c[9].c_str(), nullptr, 10);
    m.crc32 = c[10];
    m.encrypted = c[11] == "1";
    m.is_dir = c[12] == "1";
    m.dos_attr = c[13];
    m.unix_mode = c[14];
    m.dos_mtime = c[15];
    m.agreement = c[16];
    m.agreed_sha256 = c[17];
    m.ground_truth = c[18];
    rows.push_back(m);
  }
  return rows;
}

namespace {

// SHA-256 (FIPS 180-4): round constants.
constexpr std::array<std::uint32_t, 64> k_sha = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::uint32_t rotr(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

void sha_block(std::array<std::uint32_t, 8>& h, const std::uint8_t* p) {
  std::uint32_t w[64];
  for (int i = 0; i < 16; ++i)
    w[i] = (std::uint32_t(p[4 * i]) << 24) | (std::uint32_t(p[4 * i + 1]) << 16) |
           (std::uint32_t(p[4 * i + 2]) << 8) | std::uint32_t(p[4 * i + 3]);
  for (int i = 16; i < 64; ++i) {
    std::uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
    std::uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], hh = h[7];
  for (int i = 0; i < 64; ++i) {
    std::uint32_t t1 = hh + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) + k_sha[i] + w[i];
    std::uint32_t t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
    hh = g, g = f, f = e, e = d + t1, d = c, c = b, b = a, a = t1 + t2;
  }
  h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e, h[5] += f, h[6] += g, h[7] += hh;
}

}  // namespace

std::string sha256_hex(const void* data, std::size_t size) {
  std::array<std::uint32_t, 8> h = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                    0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  const auto* p = static_cast<const std::uint8_t*>(data);
  std::size_t full = size / 64 * 64;
  for (std::size_t i = 0; i < full; i += 64) sha_block(h, p + i);
  std::uint8_t tail[128] = {};
  std::size_t rest = size - full;
  if (rest) std::memcpy(tail, p + full, rest);
  tail[rest] = 0x80;
  std::size_t tail_len = rest + 9 <= 64 ? 64 : 128;
  std::uint64_t bits = static_cast<std::uint64_t>(size) * 8;
  for (int i = 0; i < 8; ++i) tail[tail_len - 1 - i] = static_cast<std::uint8_t>(bits >> (8 * i));
  for (std::size_t i = 0; i < tail_len; i += 64) sha_block(h, tail + i);
  char hex[65];
  for (int i = 0; i < 8; ++i) std::snprintf(hex + 8 * i, 9, "%08x", h[i]);
  return std::string(hex, 64);
}

}  // namespace corpus
