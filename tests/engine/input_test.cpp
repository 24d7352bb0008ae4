// The compressed-data readers and the CRC-32 over real files.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "engine/input.h"
#include "engine/output_stream.h"
#include "platform/sys_file.h"
#include "support/corpus.h"
#include "support/scratch_dir.h"

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

// A member whose stated compressed size passes the end of the file: its
// data ends with the file, and from then on read_byte counts below zero
// without reading again, so a decoder's overrun bound applies.
TEST(ReadByte, TheFileEndEndsTheMembersData) {
  testutil::ScratchDir dir;
  const std::string path = dir / "short.bin";
  testutil::write_file(path, "xyz");
  auto s = std::make_unique<EngineState>();
  s->archive.archive_fd = sys::FileHandle(sys::open_read(path.c_str()));
  ASSERT_TRUE(s->archive.archive_fd.valid());
  s->in.input_buffer = std::make_unique<std::uint8_t[]>(input_block_size + input_spare_size);
  s->in.input_pos = s->in.input_buffer.get();
  s->in.input_left = 0;
  s->in.compressed_left = 0x7FFFFFF0;
  EXPECT_EQ(read_byte(*s), 'x');
  EXPECT_EQ(read_byte(*s), 'y');
  EXPECT_EQ(read_byte(*s), 'z');
  EXPECT_EQ(read_byte(*s), -1);
  EXPECT_EQ(s->in.compressed_left, -1);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(read_byte(*s), -1);
  EXPECT_EQ(s->in.compressed_left, -11);
}

}  // namespace
