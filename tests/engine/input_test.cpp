// The compressed-data readers and the CRC-32 over real files.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "engine/input.h"
#include "engine/output_stream.h"
#include "support/corpus.h"

namespace {

TEST(Crc32, KnownValues) {
  struct Case {
    const char* text;
    std::uint32_t crc;
  } cases[] = {{"", 0x00000000u}, {"abc", 0x352441C2u}, {"123456789", 0xCBF43926u}};
  for (const auto& c : cases) {
    std::string t = c.text;
    std::uint32_t crc = ~crc32_update(0xFFFFFFFFu, reinterpret_cast<const std::uint8_t*>(t.data()), t.size());
    EXPECT_EQ(crc, c.crc) << "input \"" << c.text << "\"";
  }
}

TEST(Sha256, KnownValues) {
  EXPECT_EQ(corpus::sha256_hex("abc", 3), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  std::string million(1000000, 'a');
  EXPECT_EQ(corpus::sha256_hex(million.data(), million.size()),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

// read_bits over a member whose bytes sit in the input buffer.
TEST(ReadBits, LsbFirstAndRunsOutWithZeros) {
  auto s = std::make_unique<EngineState>();
  s->in.input_buffer = std::make_unique<std::uint8_t[]>(input_block_size + input_spare_size);
  std::uint8_t* buf = s->in.input_buffer.get();
  buf[0] = 0xA5;  // 1010 0101
  buf[1] = 0x3C;
  s->in.input_pos = buf;
  s->in.input_left = 2;
  s->in.compressed_left = 2;
  EXPECT_EQ(read_bits(*s, 3), 0x5u);    // low three bits of 0xA5
  EXPECT_EQ(read_bits(*s, 9), 0x194u);  // (0x3CA5 >> 3) & 0x1FF
  EXPECT_EQ(s->in.input_exhausted, 0);
  EXPECT_EQ(read_bits(*s, 8), 0x3u);  // four bits left, zeros above them
  EXPECT_EQ(s->in.input_exhausted, 1);
  EXPECT_LT(s->in.bit_count, 0);
  EXPECT_EQ(read_byte(*s), -1);
}

}  // namespace
