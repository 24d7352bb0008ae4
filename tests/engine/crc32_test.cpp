// crc32_update and crc32_update_tables against a bit-at-a-time CRC-32 over
// every alignment and every length across the folding sizes (64 bytes and up,
// tails of 0 to 15 bytes), and split runs: slicing and folding must give the
// register of the byte-wise definition.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/crc32.h"

namespace {

std::uint32_t crc_bitwise(std::uint32_t crc, const std::uint8_t* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
  }
  return crc;
}

TEST(Crc32, EveryAlignmentAndLengthMatchesBitwise) {
  std::vector<std::uint8_t> data(300);
  std::uint32_t x = 7;
  for (auto& b : data) b = static_cast<std::uint8_t>((x = x * 1103515245u + 12345u) >> 16);
  for (std::size_t offset = 0; offset < 16; ++offset) {
    for (std::size_t length = 0; length + offset <= data.size(); ++length) {
      const std::uint32_t want = crc_bitwise(0xFFFFFFFFu, data.data() + offset, length);
      ASSERT_EQ(crc32_update(0xFFFFFFFFu, data.data() + offset, length), want)
          << "offset " << offset << " length " << length;
      ASSERT_EQ(crc32_update_tables(0xFFFFFFFFu, data.data() + offset, length), want)
          << "offset " << offset << " length " << length;
    }
  }
  // Registers other than the preset, and the check value of "123456789"
  // repeated (a long run through many four-lane folds).
  for (std::uint32_t start : {0u, 0x12345678u, 0xFFFFFFFFu})
    EXPECT_EQ(crc32_update(start, data.data(), data.size()), crc_bitwise(start, data.data(), data.size()));
  std::vector<std::uint8_t> nines;
  for (int i = 0; i < 1000; ++i)
    for (char c : std::string("123456789")) nines.push_back(static_cast<std::uint8_t>(c));
  EXPECT_EQ(crc32_update(0xFFFFFFFFu, nines.data(), 9) ^ 0xFFFFFFFFu, 0xCBF43926u);
  EXPECT_EQ(crc32_update(0xFFFFFFFFu, nines.data(), nines.size()),
            crc_bitwise(0xFFFFFFFFu, nines.data(), nines.size()));
  // A run split anywhere gives the register of the whole run.
  const std::uint32_t whole = crc32_update(0xFFFFFFFFu, data.data(), data.size());
  EXPECT_EQ(whole, crc_bitwise(0xFFFFFFFFu, data.data(), data.size()));
  for (std::size_t split : {1u, 7u, 8u, 9u, 150u, 299u}) {
    std::uint32_t c = crc32_update(0xFFFFFFFFu, data.data(), split);
    c = crc32_update(c, data.data() + split, data.size() - split);
    EXPECT_EQ(c, whole) << "split at " << split;
  }
}

}  // namespace
