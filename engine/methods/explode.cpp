// Explode: the decoder of zip method 6 ("imploded").
//
// The data starts with two or three tree descriptions (literal, if the
// member's flag bit 2 says so; length; distance), each a count byte and then
// bytes of (run - 1) << 4 | (length - 1) giving the code length of every
// symbol in order. Then come tokens, least significant bit first: a 1 bit and
// a literal (a literal-tree code, or 8 raw bits without that tree), or a 0 bit
// and a match: 6 or 7 raw low distance bits (flag bit 1: 8 KiB window, 7
// bits), the distance code giving the high bits, and the length code; length
// symbol 63 takes one more raw byte.
//
// The trees are decoded with the shared multi-level tables (decode_table.h).
// Implode sends its codes with every bit inverted against the canonical codes
// the table builder assigns, so each lookup indexes the table with the
// complement of the accumulator; raw fields are taken as they stand.
//
// Decoding runs until the uncompressed size. Past the end of the data the
// accumulator fills with one bits; at the end the bytes the data took are
// compared with the compressed size (result 5 when they differ, the caller's
// size message). A last match is copied whole, so output is bounded by the
// size plus one match (at most 321 bytes).
#include "engine/methods/explode.h"

#include <array>
#include <climits>
#include <cstdint>
#include <span>

#include "engine/input.h"
#include "engine/methods/decode_table.h"
#include "engine/methods/legacy_window.h"

namespace {

constexpr unsigned explode_window = 32768;
constexpr unsigned literal_lookup_bits = 9;
constexpr unsigned length_lookup_bits = 7;

template <std::uint16_t First, std::uint16_t Step>
constexpr std::array<std::uint16_t, 64> arithmetic_table() {
  std::array<std::uint16_t, 64> t{};
  for (unsigned i = 0; i < 64; ++i) t[i] = static_cast<std::uint16_t>(First + Step * i);
  return t;
}

// length symbol => base length (with a literal tree lengths start at 3)
constexpr auto length_base_literal_tree = arithmetic_table<3, 1>();
constexpr auto length_base_raw_literals = arithmetic_table<2, 1>();
// distance symbol => base distance (the symbol gives the bits above the raw low bits)
constexpr auto distance_base_8k = arithmetic_table<1, 128>();
constexpr auto distance_base_4k = arithmetic_table<1, 64>();
// length symbol => raw bits that follow (symbol 63: one more byte of length)
constexpr std::array<std::uint16_t, 64> length_extra = [] {
  std::array<std::uint16_t, 64> t{};
  t[63] = 8;
  return t;
}();
static_assert(length_base_literal_tree[63] == 66 && length_base_raw_literals[63] == 65);
static_assert(distance_base_8k[63] == 8065 && distance_base_4k[63] == 4033);

// Reads one tree description into tree_lengths. A byte past the end of the
// data reads as 255 (16 symbols of length 16), so a truncated description
// overruns its count and fails.
int read_tree_lengths(EngineState& s, unsigned expected) {
  int first = read_byte(s);
  if (first < 0) return explode_bad_tree;
  unsigned filled = 0;
  for (int runs = first + 1; runs > 0; --runs) {
    int b = read_byte(s);
    if (b < 0) b = 255;
    unsigned length = (static_cast<unsigned>(b) & 0x0F) + 1;
    unsigned count = (static_cast<unsigned>(b) >> 4) + 1;
    if (filled + count > expected) return explode_bad_tree;
    for (unsigned i = 0; i < count; ++i) s.explode.tree_lengths[filled++] = length;
  }
  return filled == expected ? explode_ok : explode_bad_tree;
}

// Reads a tree and builds its table; an incomplete code set counts as bad data.
int read_tree(EngineState& s, unsigned symbols, const std::uint16_t* base, DecodeTablePtr& table,
              unsigned& bits) {
  if (int r = read_tree_lengths(s, symbols); r != explode_ok) return r;
  DecodeEntry* built = nullptr;
  int r = build_decode_table(s, std::span<const std::uint32_t>(s.explode.tree_lengths.data(), symbols),
                             base ? 0 : symbols, base, base ? length_extra.data() : nullptr, built, bits);
  table.reset(built);
  if (r == decode_table_incomplete) return explode_bad_code;
  if (r == decode_table_oversubscribed) return explode_oversubscribed;
  if (r == decode_table_no_memory) return explode_no_memory;
  return built ? explode_ok : explode_bad_code;
}

// Bytes fetched past the end of the data after which the member counts as
// cut short. Without a bound, a header claiming gigabytes would have explode
// decode one-bits up to that size.
constexpr std::int64_t explode_overrun_limit = 4096;

// The bit accumulator of the decoding loop, in locals. Past the end of the
// data each byte fetched reads as all one bits; read_byte is asked only
// until it first reports the end, and the bytes fetched past it are counted
// here in 64 bits (a member claiming gigabytes would overflow compressed_left
// where long has 32 bits).
class ExplodeBits {
 public:
  explicit ExplodeBits(EngineState& s) : s_(s) {}

  void need(unsigned n) {
    while (count_ < n) {
      std::uint32_t b;
      if (!ended_) {
        int c = read_byte(s_);
        if (c < 0) {
          ended_ = true;
          b = 0xFFFFFFFFu;
        } else {
          b = static_cast<std::uint32_t>(c);
        }
      } else {
        ++past_end_;
        b = 0xFFFFFFFFu;
      }
      bits_ |= b << count_;
      count_ += 8;
    }
  }
  void drop(unsigned n) {
    bits_ >>= n;
    count_ -= n;
  }
  [[nodiscard]] unsigned raw(unsigned n) const { return bits_ & ((1u << n) - 1u); }
  [[nodiscard]] unsigned inverted(unsigned n) const { return ~bits_ & ((1u << n) - 1u); }

  // Bytes still to take (negative: taken past the end) + whole bytes held.
  [[nodiscard]] std::int64_t unused_bytes() const { return left() + count_ / 8; }
  // Fetched so far past the end that the data cannot be whole: a complete
  // member looks at most a few bytes ahead of its last code.
  [[nodiscard]] bool overran() const { return past_end_ > explode_overrun_limit; }
  [[nodiscard]] std::int64_t left() const {
    return static_cast<std::int64_t>(s_.in.compressed_left) - past_end_;
  }

 private:
  EngineState& s_;
  std::uint32_t bits_ = 0;
  unsigned count_ = 0;
  bool ended_ = false;
  std::int64_t past_end_ = 0;
};

// Walks one code through its table levels; null for an invalid code.
const DecodeEntry* decode(ExplodeBits& in, const DecodeEntry* table, unsigned bits) {
  in.need(bits);
  const DecodeEntry* e = table + in.inverted(bits);
  while (e->op > OP_LINK_BASE) {
    if (e->op == OP_INVALID) [[unlikely]]
      return nullptr;
    in.drop(e->bits);
    unsigned k = e->op - OP_LINK_BASE;
    in.need(k);
    e = e->next + in.inverted(k);
  }
  in.drop(e->bits);
  return e;
}

struct ExplodeTables {
  DecodeTablePtr literal, length, distance;
  unsigned literal_bits = 0, length_bits = 0, distance_bits = 0;
};

template <bool LiteralTree, bool LargeWindow>
int explode_tokens(EngineState& s, const ExplodeTables& t, ExplodeBits& in,
                   LegacyWindow<explode_window>& out) {
  constexpr unsigned low_bits = LargeWindow ? 7 : 6;
  std::int64_t remaining = s.member.expected_output_size;
  while (remaining > 0) {
    if (in.overran()) [[unlikely]]
      return explode_bad_code;
    in.need(1);
    unsigned is_literal = in.raw(1);
    in.drop(1);
    if (is_literal) {
      --remaining;
      if constexpr (LiteralTree) {
        const DecodeEntry* e = decode(in, t.literal.get(), t.literal_bits);
        if (e == nullptr) return explode_bad_code;
        out.put(static_cast<std::uint8_t>(e->value));
      } else {
        in.need(8);
        out.put(static_cast<std::uint8_t>(in.raw(8)));
        in.drop(8);
      }
      continue;
    }
    in.need(low_bits);
    unsigned distance = in.raw(low_bits);
    in.drop(low_bits);
    const DecodeEntry* e = decode(in, t.distance.get(), t.distance_bits);
    if (e == nullptr) return explode_bad_code;
    distance += e->value;
    e = decode(in, t.length.get(), t.length_bits);
    if (e == nullptr) return explode_bad_code;
    unsigned length = e->value;
    if (e->op != 0) {
      in.need(8);
      length += in.raw(8);
      in.drop(8);
    }
    remaining -= length;
    out.copy(distance, length);
  }
  return explode_ok;
}

long clamp_long(std::int64_t v) {
  if (v > LONG_MAX) return LONG_MAX;
  if (v < LONG_MIN) return LONG_MIN;
  return static_cast<long>(v);
}

}  // namespace

int explode(EngineState& s) {
  const bool literal_tree = (s.member.local.flags & 4) != 0;
  const bool large_window = (s.member.local.flags & 2) != 0;

  // The compressed size as the reader was given it (from the local header,
  // or the central directory's for members with a data descriptor).
  const long compressed_size = s.in.compressed_left;
  ExplodeTables t;
  t.literal_bits = literal_lookup_bits;
  t.length_bits = length_lookup_bits;
  t.distance_bits = explode_distance_lookup_bits(compressed_size);
  if (literal_tree) {
    if (int r = read_tree(s, 256, nullptr, t.literal, t.literal_bits); r != explode_ok) return r;
  }
  const std::uint16_t* length_base =
      literal_tree ? length_base_literal_tree.data() : length_base_raw_literals.data();
  if (int r = read_tree(s, 64, length_base, t.length, t.length_bits); r != explode_ok) return r;
  const std::uint16_t* distance_base = large_window ? distance_base_8k.data() : distance_base_4k.data();
  if (int r = read_tree(s, 64, distance_base, t.distance, t.distance_bits); r != explode_ok) return r;

  ExplodeBits in(s);
  LegacyWindow<explode_window> out(s);
  int r;
  if (literal_tree)
    r = large_window ? explode_tokens<true, true>(s, t, in, out) : explode_tokens<true, false>(s, t, in, out);
  else
    r = large_window ? explode_tokens<false, true>(s, t, in, out)
                     : explode_tokens<false, false>(s, t, in, out);
  const std::int64_t unused = in.unused_bytes();
  s.in.compressed_left = clamp_long(in.left());
  if (r != explode_ok) return r;

  (void)out.finish();
  if (unused == 0) return explode_ok;
  s.out.used_compressed = clamp_long(static_cast<std::int64_t>(compressed_size) - unused);
  return explode_size_mismatch;
}
