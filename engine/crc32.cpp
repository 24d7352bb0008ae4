// CRC-32 (see crc32.h): carry-less multiplication folding where the processor
// has it, slicing by 8 elsewhere.
//
// The byte-wise form takes one table lookup per byte, each depending on the
// last. Slicing by 8 folds eight bytes per step with eight independent
// lookups: table[k][b] is the CRC contribution of byte b followed by k zero
// bytes, so the eight lookups of a step can run in parallel.
//
// Folding treats the data as one long polynomial over GF(2): four 128-bit
// lanes are carried 512 bits forward at a time by multiplying with x^(512+-64)
// mod P (PCLMULQDQ), then folded into one lane, reduced to 64 bits and to the
// 32-bit register by a Barrett step. It runs many times faster than the
// tables. Both give the byte-wise form's values; the head of a run shorter
// than a fold and the tail below 16 bytes go through the tables.
#include "engine/crc32.h"

#include <array>
#include <bit>
#include <cstring>

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define VOK_CRC_CLMUL 1
#include <immintrin.h>
#endif

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

#ifdef VOK_CRC_CLMUL

// Bit-reflected constants for P = 0x104C11DB7: x^(4*128+32) and x^(4*128-32)
// mod P (folding four lanes), x^(128+32) and x^(128-32) mod P (one lane),
// x^64 mod P (128 to 64 bits), then P itself and floor(x^64 / P) (Barrett).
constexpr std::uint64_t fold4_lo = 0x154442BD4, fold4_hi = 0x1C6E41596;
constexpr std::uint64_t fold1_lo = 0x1751997D0, fold1_hi = 0x0CCAA009E;
constexpr std::uint64_t fold64 = 0x163CD6124;
constexpr std::uint64_t poly = 0x1DB710641, barrett_mu = 0x1F7011641;

// One lane carried forward over the span its constants describe, plus new data.
__attribute__((target("pclmul,sse2"))) inline __m128i fold(__m128i lane, __m128i k, __m128i data) {
  const __m128i lo = _mm_clmulepi64_si128(lane, k, 0x00);
  const __m128i hi = _mm_clmulepi64_si128(lane, k, 0x11);
  return _mm_xor_si128(_mm_xor_si128(lo, hi), data);
}

// count >= 64 and a multiple of 16.
__attribute__((target("pclmul,sse2"))) std::uint32_t crc32_clmul(std::uint32_t crc, const std::uint8_t* p,
                                                                  std::size_t count) {
  auto load = [](const std::uint8_t* q) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q)); };
  __m128i x1 = _mm_xor_si128(load(p), _mm_cvtsi32_si128(static_cast<int>(crc)));
  __m128i x2 = load(p + 16), x3 = load(p + 32), x4 = load(p + 48);
  p += 64;
  count -= 64;

  __m128i k = _mm_set_epi64x(static_cast<long long>(fold4_hi), static_cast<long long>(fold4_lo));
  for (; count >= 64; count -= 64, p += 64) {
    x1 = fold(x1, k, load(p));
    x2 = fold(x2, k, load(p + 16));
    x3 = fold(x3, k, load(p + 32));
    x4 = fold(x4, k, load(p + 48));
  }

  k = _mm_set_epi64x(static_cast<long long>(fold1_hi), static_cast<long long>(fold1_lo));
  x1 = fold(x1, k, x2);
  x1 = fold(x1, k, x3);
  x1 = fold(x1, k, x4);
  for (; count >= 16; count -= 16, p += 16) x1 = fold(x1, k, load(p));

  // 128 bits to 64: the low half times x^(128-32)... folded onto the high half.
  const __m128i low32 = _mm_setr_epi32(-1, 0, -1, 0);
  __m128i x = _mm_xor_si128(_mm_clmulepi64_si128(x1, k, 0x10), _mm_srli_si128(x1, 8));
  // 96 bits to 64: the low 32 bits times x^64 mod P.
  const __m128i k64 = _mm_set_epi64x(0, static_cast<long long>(fold64));
  x = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x, low32), k64, 0x00), _mm_srli_si128(x, 4));
  // Barrett reduction to the 32-bit register.
  const __m128i pk = _mm_set_epi64x(static_cast<long long>(barrett_mu), static_cast<long long>(poly));
  __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x, low32), pk, 0x10);
  t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), pk, 0x00);
  x = _mm_xor_si128(x, t);
  return static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(x, 4)));
}

bool have_clmul() {
  static const bool yes = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse2");
  return yes;
}

#endif

}  // namespace

std::uint32_t crc32_update_tables(std::uint32_t crc, const std::uint8_t* data, std::size_t count) {
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

std::uint32_t crc32_update(std::uint32_t crc, const std::uint8_t* data, std::size_t count) {
#ifdef VOK_CRC_CLMUL
  if (count >= 64 && have_clmul()) {
    const std::size_t folded = count & ~std::size_t{15};
    crc = crc32_clmul(crc, data, folded);
    data += folded;
    count -= folded;
  }
#endif
  return crc32_update_tables(crc, data, count);
}
