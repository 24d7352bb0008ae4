// Test support for inflate: a bit writer for hand-built deflate streams and a
// runner that feeds a stream through the engine's real input path (a file
// read through fill_input_buffer/read_byte) and collects what reaches the
// output file through flush_output.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/engine_state.h"
#include "engine/methods/inflate.h"
#include "platform/sys_file.h"

namespace inflate_test {

using Bytes = std::vector<std::uint8_t>;

// Deflate bit order: fields least significant bit first; Huffman codes are
// sent first bit first, i.e. as their bit-reversed value.
class BitWriter {
 public:
  BitWriter& bits(unsigned value, unsigned count) {
    for (unsigned i = 0; i < count; ++i) bit((value >> i) & 1u);
    return *this;
  }
  // A prefix code given most significant bit first, as the standard lists them.
  BitWriter& code(unsigned value, unsigned length) {
    for (unsigned i = length; i-- > 0;) bit((value >> i) & 1u);
    return *this;
  }
  BitWriter& align() {
    while (used_ != 0) bit(0);
    return *this;
  }
  BitWriter& byte(std::uint8_t b) { return bits(b, 8); }
  Bytes finish() {
    align();
    return out_;
  }

 private:
  void bit(unsigned b) {
    if (used_ == 0) out_.push_back(0);
    out_.back() |= static_cast<std::uint8_t>(b << used_);
    used_ = (used_ + 1) & 7;
  }
  Bytes out_;
  unsigned used_ = 0;
};

// Canonical codes (most significant bit first) of a length set.
inline std::vector<unsigned> canonical_codes(const std::vector<unsigned>& lengths) {
  unsigned count[17] = {};
  for (auto l : lengths) ++count[l];
  count[0] = 0;
  unsigned next[17] = {};
  unsigned c = 0;
  for (int len = 1; len <= 16; ++len) {
    c = (c + count[len - 1]) << 1;
    next[len] = c;
  }
  std::vector<unsigned> codes(lengths.size());
  for (std::size_t sym = 0; sym < lengths.size(); ++sym)
    if (lengths[sym] != 0) codes[sym] = next[lengths[sym]]++;
  return codes;
}

// A prefix code to write symbols with.
struct Code {
  std::vector<unsigned> lengths;
  std::vector<unsigned> codes;
  explicit Code(std::vector<unsigned> l) : lengths(std::move(l)), codes(canonical_codes(lengths)) {}
  void put(BitWriter& w, unsigned symbol) const { w.code(codes.at(symbol), lengths.at(symbol)); }
};

// The fixed literal/length and distance codes.
inline Code fixed_literal_code() {
  std::vector<unsigned> l(288);
  for (unsigned i = 0; i < 288; ++i) l[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
  return Code(l);
}
inline Code fixed_distance_code() {
  return Code(std::vector<unsigned>(30, 5));
}

// length 3..258 => (symbol, extra bits count, extra value)
struct SymbolExtra {
  unsigned symbol, extra_bits, extra;
};
inline SymbolExtra length_symbol(unsigned length) {
  static const unsigned base[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                    31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
  static const unsigned extra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                     2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
  for (unsigned i = 29; i-- > 0;)
    if (length >= base[i]) return {257 + i, extra[i], length - base[i]};
  return {0, 0, 0};
}
inline SymbolExtra distance_symbol(unsigned distance) {
  static const unsigned base[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                    33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                    1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
  for (unsigned i = 30; i-- > 0;)
    if (distance >= base[i]) return {i, i < 4 ? 0 : i / 2 - 1, distance - base[i]};
  return {0, 0, 0};
}

// Writes a match with the given codes.
inline void put_match(BitWriter& w, const Code& lit, const Code& dist, unsigned length, unsigned distance) {
  SymbolExtra l = length_symbol(length);
  lit.put(w, l.symbol);
  w.bits(l.extra, l.extra_bits);
  SymbolExtra d = distance_symbol(distance);
  dist.put(w, d.symbol);
  w.bits(d.extra, d.extra_bits);
}

// A stored block (byte-aligned length, complement, data).
inline void put_stored(BitWriter& w, bool last, const Bytes& data) {
  w.bits(last ? 1 : 0, 1).bits(0, 2).align();
  w.bits(static_cast<unsigned>(data.size()), 16).bits(~static_cast<unsigned>(data.size()) & 0xFFFF, 16);
  for (auto b : data) w.byte(b);
}

// Code-length code used by put_dynamic_header: 0..15 five bits, 16 two bits,
// 17 and 18 three bits (complete).
inline Code code_length_code() {
  std::vector<unsigned> l(19, 5);
  l[16] = 2;
  l[17] = 3;
  l[18] = 3;
  return Code(l);
}

// Dynamic block header. `lengths_sequence` is the code-length symbols with
// their extra values (for 16/17/18); when empty, the literal/length then
// distance lengths are sent one symbol each.
struct ClSymbol {
  unsigned symbol, extra;
};
inline void put_dynamic_header(BitWriter& w, bool last, const std::vector<unsigned>& literal_lengths,
                               const std::vector<unsigned>& distance_lengths,
                               std::vector<ClSymbol> lengths_sequence = {}) {
  static const unsigned order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  w.bits(last ? 1 : 0, 1).bits(2, 2);                              // BFINAL, BTYPE = dynamic
  w.bits(static_cast<unsigned>(literal_lengths.size()) - 257, 5);  // HLIT
  w.bits(static_cast<unsigned>(distance_lengths.size()) - 1, 5);   // HDIST
  w.bits(19 - 4, 4);                                               // HCLEN: all 19
  Code cl = code_length_code();
  for (unsigned i = 0; i < 19; ++i) w.bits(cl.lengths[order[i]], 3);  // code-length code lengths
  if (lengths_sequence.empty()) {
    for (auto l : literal_lengths) lengths_sequence.push_back({l, 0});
    for (auto l : distance_lengths) lengths_sequence.push_back({l, 0});
  }
  for (auto [sym, extra] : lengths_sequence) {
    cl.put(w, sym);
    if (sym == 16) w.bits(extra, 2);
    if (sym == 17) w.bits(extra, 3);
    if (sym == 18) w.bits(extra, 7);
  }
}

struct RunResult {
  int result = -99;
  Bytes output;           // what flush_output wrote to the member's output file
  std::uint32_t crc = 0;  // running_crc, complemented
  long compressed_left = 0;
};

// Per process: tests run in parallel, also from other checkouts that share
// the temporary folder.
inline std::string temp_path(const std::string& name) {
  static const std::string token = std::to_string(std::random_device{}()) + std::to_string(std::random_device{}());
  return ::testing::TempDir() + "vok_inflate_" + token + "_" + name;
}

inline Bytes read_file(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// Runs inflate on `stream` as a member of `member_size` bytes (default: all
// of it) stored in an archive file. The state persists between runs, as it
// does between the members of an engine run.
class Runner {
 public:
  Runner() : s_(std::make_unique<EngineState>()) {}
  ~Runner() {
    release_fixed_tables(*s_);
    std::remove(temp_path("in.bin").c_str());
    std::remove(temp_path("out.bin").c_str());
  }
  EngineState& state() { return *s_; }

  RunResult run(const Bytes& stream, long member_size = -1, bool quiet = false) {
    const std::string in_path = temp_path("in.bin"), out_path = temp_path("out.bin");
    {
      std::ofstream f(in_path, std::ios::binary | std::ios::trunc);
      f.write(reinterpret_cast<const char*>(stream.data()), static_cast<std::streamsize>(stream.size()));
    }
    EngineState& s = *s_;
    s.archive.archive_fd = sys::FileHandle(sys::open_read(in_path.c_str()));
    EXPECT_TRUE(s.archive.archive_fd.valid()) << in_path;
    if (!s.in.input_buffer)
      s.in.input_buffer = std::make_unique<std::uint8_t[]>(input_block_size + input_spare_size);
    s.in.input_pos = s.in.input_buffer.get();
    s.in.input_left = 0;
    s.in.buffer_file_offset = -static_cast<std::int64_t>(input_block_size);
    s.in.compressed_left = member_size < 0 ? static_cast<long>(stream.size()) : member_size;
    s.opt.quiet = quiet ? 1 : 0;
    s.out.output_owner = sys::FileHandle(sys::create_write(out_path.c_str()));
    EXPECT_TRUE(s.out.output_owner.valid()) << out_path;
    s.out.output_file = s.out.output_owner.get();
    s.out.running_crc = 0xFFFFFFFFu;
    s.out.disk_full_state = 0;

    RunResult r;
    r.result = inflate(s);
    r.crc = ~s.out.running_crc;
    r.compressed_left = s.in.compressed_left;
    s.out.output_owner.reset();
    s.out.output_file = -1;
    s.archive.archive_fd.reset();
    r.output = read_file(out_path);
    return r;
  }

 private:
  std::unique_ptr<EngineState> s_;
};

}  // namespace inflate_test
