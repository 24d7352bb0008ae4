// CRC-32 (see crc32.h), slicing by 8.
//
// The byte-wise form takes one table lookup per byte, each depending on the
// last. Slicing by 8 folds eight bytes per step with eight independent
// lookups: table[k][b] is the CRC contribution of byte b followed by k zero
// bytes, so the eight lookups of a step can run in parallel. The values are
// those of the byte-wise form (table[0] is its table); the head and tail of a
// run that do not fill a step go byte-wise.
#include "engine/crc32.h"

#include <array>
#include <bit>
#include <cstring>

namespace {

using CrcTables = std::array<std::array<std::uint32_t, 256>, 8>;

// [k][byte] => CRC-32 register change of `byte` followed by k zero bytes
// (reflected polynomial 0xEDB88320)
constexpr CrcTables make_crc_tables() {
  CrcTables t{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[0][i] = c;
  }
  for (std::size_t k = 1; k < 8; ++k)
    for (std::size_t i = 0; i < 256; ++i) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
  return t;
}
constexpr CrcTables crc_tables = make_crc_tables();
static_assert(crc_tables[0][1] == 0x77073096u);
static_assert(crc_tables[0][255] == 0x2D02EF8Du);

inline std::uint32_t crc_byte(std::uint32_t crc, std::uint8_t b) {
  return crc_tables[0][(crc ^ b) & 0xFF] ^ (crc >> 8);
}

}  // namespace

std::uint32_t crc32_update(std::uint32_t crc, const std::uint8_t* data, std::size_t count) {
  if constexpr (std::endian::native == std::endian::little) {
    for (; count >= 8; count -= 8, data += 8) {
      std::uint32_t lo, hi;
      std::memcpy(&lo, data, 4);
      std::memcpy(&hi, data + 4, 4);
      lo ^= crc;
      crc = crc_tables[7][lo & 0xFF] ^ crc_tables[6][(lo >> 8) & 0xFF] ^ crc_tables[5][(lo >> 16) & 0xFF] ^
            crc_tables[4][lo >> 24] ^ crc_tables[3][hi & 0xFF] ^ crc_tables[2][(hi >> 8) & 0xFF] ^
            crc_tables[1][(hi >> 16) & 0xFF] ^ crc_tables[0][hi >> 24];
    }
  }
  for (; count > 0; --count) crc = crc_byte(crc, *data++);
  return crc;
}
