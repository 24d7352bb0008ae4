// CRC-32 (see crc32.h): one table lookup per byte.
#include "engine/crc32.h"

#include <array>

namespace {

// byte => CRC-32 of that byte (reflected polynomial 0xEDB88320)
constexpr std::array<std::uint32_t, 256> make_crc_table() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[i] = c;
  }
  return table;
}
constexpr auto crc_table = make_crc_table();
static_assert(crc_table[1] == 0x77073096u);
static_assert(crc_table[255] == 0x2D02EF8Du);

}  // namespace

std::uint32_t crc32_update(std::uint32_t crc, const std::uint8_t* data, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) crc = crc_table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return crc;
}
