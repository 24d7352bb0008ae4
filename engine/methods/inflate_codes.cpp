// Inflate's code-decoding loop: literals and matches of one fixed or dynamic
// block, up to its end-of-block code.
//
// Two paths share the state. The fast path runs while the input buffer holds
// at least 8 bytes of the member and the window has room for a whole match:
// the accumulator, its count, the window position and the input cursor live
// in locals; each round refills the accumulator to 56+ bits with one
// unaligned 8-byte load (enough for a longest literal/length code, its extra
// bits, a longest distance code and its extra bits), decodes up to three
// literals in a row, and copies matches in wide pieces, also when the source
// wraps around the window's end. The careful path decodes one symbol at a
// time through read_byte, so it meets the input buffer's refill, the member's
// end (one-bits, then the overrun limit) and the window wrap exactly as the
// byte-wise definition does; it takes over near those edges and hands back as
// soon as they are passed.
//
// Match copies: the source is window_pos - distance modulo 32768. Distances are
// not checked against the output produced so far; a reach before the member's
// first byte copies whatever the window holds there. A copy that overlaps its
// source (distance < length) must repeat the bytes just written, as a forward
// byte-by-byte copy would.
#include <algorithm>
#include <bit>
#include <cstring>

#include "engine/methods/inflate_internal.h"

static_assert(std::endian::native == std::endian::little, "the 8-byte refill assumes a little-endian load");

namespace {

constexpr unsigned max_match = 258;
// Fast path: a round starts at or below this position, so even the longest
// match leaves the position below the window's end (the careful path stores
// a byte before it checks for a full window).
constexpr unsigned window_fast_limit = output_window_size - max_match - 1;

inline std::uint64_t load64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// Copies `length` bytes from `distance` back (1 <= distance <= pos) in the
// window, writing exactly `length` bytes: the bytes ahead of the window
// position are the previous window's, which a later match of distance near
// 32768 still reads, so nothing may spill past the end of the copy. Wide
// pieces are used where the distance allows; the last piece is the one that
// ends exactly at the end (it may overlap the piece before it, which then
// rewrites the same bytes).
template <unsigned Width>
inline void copy_pieces(std::uint8_t* dst, const std::uint8_t* src, unsigned length) {
  std::uint8_t* const end = dst + length;
  while (end - dst > static_cast<std::ptrdiff_t>(Width)) {
    std::memcpy(dst, src, Width);
    dst += Width;
    src += Width;
  }
  std::memcpy(end - Width, src + (end - dst) - Width, Width);
}

inline void copy_match_fast(std::uint8_t* dst, unsigned distance, unsigned length) {
  const std::uint8_t* src = dst - distance;
  // Each piece reads only bytes written before it: distance >= its width.
  if (distance >= 16 && length >= 16) {
    copy_pieces<16>(dst, src, length);
  } else if (distance >= 8 && length >= 8) {
    copy_pieces<8>(dst, src, length);
  } else if (distance >= 4 && length >= 4) {
    copy_pieces<4>(dst, src, length);
  } else if (distance == 1) {
    std::memset(dst, *src, length);
  } else {
    for (unsigned i = 0; i < length; ++i) dst[i] = src[i];
  }
}

// The general match copy: in pieces that end at the window's end, passing the
// full window on whenever it fills. Returns the new window position.
unsigned copy_match_wrapping(EngineState& s, unsigned pos, unsigned distance, unsigned length) {
  std::uint8_t* const window = s.out.output_window.data();
  unsigned src = pos - distance;
  while (length > 0) {
    src &= output_window_size - 1;
    const unsigned piece = std::min(output_window_size - std::max(src, pos), length);
    if (src + piece <= pos) {
      std::memcpy(window + pos, window + src, piece);
    } else {
      for (unsigned i = 0; i < piece; ++i) window[pos + i] = window[src + i];
    }
    pos += piece;
    src += piece;
    length -= piece;
    if (pos == output_window_size) {
      inflate_flush_window(s, output_window_size);
      pos = 0;
    }
  }
  return pos;
}

// Careful path: finds the entry of the next code in `table` (first level
// `bits` wide), reading bytes as needed. Null when the code is invalid or the
// stream ran past its end.
const DecodeEntry* decode_careful(EngineState& s, const DecodeEntry* table, unsigned bits) {
  if (!inflate_need_bits(s, bits)) return nullptr;
  const DecodeEntry* e = &table[inflate_peek_bits(s, bits)];
  while (e->op > OP_LITERAL) {
    if (e->op == OP_INVALID) return nullptr;
    inflate_drop_bits(s, e->bits);
    const unsigned width = e->op - OP_LINK_BASE;
    if (!inflate_need_bits(s, width)) return nullptr;
    e = &e->next[inflate_peek_bits(s, width)];
  }
  inflate_drop_bits(s, e->bits);
  return e;
}

// One symbol through the careful path. Returns 1 on end of block, 0 to go on,
// -1 on bad data.
int decode_one_careful(EngineState& s, const DecodeEntry* literal_table, unsigned literal_bits,
                       const DecodeEntry* distance_table, unsigned distance_bits) {
  InflateState& st = s.inflate;
  const DecodeEntry* e = decode_careful(s, literal_table, literal_bits);
  if (e == nullptr) return -1;
  if (e->op == OP_LITERAL) {
    s.out.output_window[st.window_pos++] = static_cast<std::uint8_t>(e->value);
    if (st.window_pos == output_window_size) {
      inflate_flush_window(s, output_window_size);
      st.window_pos = 0;
    }
    return 0;
  }
  if (e->op == OP_END_OF_BLOCK) return 1;

  if (!inflate_need_bits(s, e->op)) return -1;
  const unsigned length = e->value + inflate_peek_bits(s, e->op);
  inflate_drop_bits(s, e->op);

  if (distance_table == nullptr) return -1;  // a match in a block without distance codes
  e = decode_careful(s, distance_table, distance_bits);
  if (e == nullptr) return -1;
  if (!inflate_need_bits(s, e->op)) return -1;
  const unsigned distance = e->value + inflate_peek_bits(s, e->op);
  inflate_drop_bits(s, e->op);

  st.window_pos = copy_match_wrapping(s, st.window_pos, distance, length);
  return 0;
}

}  // namespace

int decode_block_codes(EngineState& s, const DecodeEntry* literal_table, unsigned literal_bits,
                       const DecodeEntry* distance_table, unsigned distance_bits) {
  // Without literal/length codes there is not even an end of block.
  if (literal_table == nullptr) return inflate_bad_data;
  InflateState& st = s.inflate;
  std::uint8_t* const window = s.out.output_window.data();
  const std::uint64_t literal_mask = (std::uint64_t{1} << literal_bits) - 1;
  const std::uint64_t distance_mask = (std::uint64_t{1} << distance_bits) - 1;

  for (;;) {
    const long input_avail = std::min(s.in.input_left, s.in.compressed_left);
    if (input_avail >= 8 && st.window_pos <= window_fast_limit) {
      const std::uint8_t* in_next = s.in.input_pos;
      const std::uint8_t* const in_last = in_next + (input_avail - 8);  // last start of an 8-byte load
      std::uint8_t* out = window + st.window_pos;
      std::uint8_t* const out_last = window + window_fast_limit;
      std::uint64_t bits = st.inflate_bits;
      unsigned count = st.inflate_bit_count;
      int status = 0;  // 0 go on, 1 end of block, -1 bad data

      // Each round starts with the accumulator refilled to 56+ bits by one
      // unaligned load, which never reaches past the member's data. The
      // entry of the next code is looked up ahead, while the previous symbol
      // is still being stored or copied: a round consumes at most 48 bits, and
      // the bits above `count` are the stream's own next bits (the load filled
      // all 64), so the 9 bits of that first-level lookup are always there.
      auto refill = [&] {
        bits |= load64(in_next) << count;
        in_next += (63 - count) >> 3;
        count |= 56;
      };
      auto next_round = [&] {
        if (in_next > in_last || out > out_last) return false;
        refill();
        return true;
      };
      auto consume = [&](unsigned n) {
        bits >>= n;
        count -= n;
      };
      refill();
      const DecodeEntry* e = &literal_table[bits & literal_mask];
      do {
        if (e->op == OP_LITERAL) {
          // Up to three literals per refill: each code takes at most 15 bits,
          // which leaves the next lookup its 9 bits.
          consume(e->bits);
          *out++ = static_cast<std::uint8_t>(e->value);
          e = &literal_table[bits & literal_mask];
          if (e->op != OP_LITERAL) continue;
          consume(e->bits);
          *out++ = static_cast<std::uint8_t>(e->value);
          e = &literal_table[bits & literal_mask];
          if (e->op != OP_LITERAL) continue;
          consume(e->bits);
          *out++ = static_cast<std::uint8_t>(e->value);
          e = &literal_table[bits & literal_mask];
          continue;
        }
        while (e->op > OP_LITERAL) {
          if (e->op == OP_INVALID) [[unlikely]] {
            status = -1;
            break;
          }
          consume(e->bits);
          e = &e->next[bits & ((std::uint64_t{1} << (e->op - OP_LINK_BASE)) - 1)];
        }
        if (status != 0) break;
        consume(e->bits);
        if (e->op == OP_LITERAL) {
          *out++ = static_cast<std::uint8_t>(e->value);
          e = &literal_table[bits & literal_mask];
          continue;
        }
        if (e->op == OP_END_OF_BLOCK) [[unlikely]] {
          status = 1;
          break;
        }
        const unsigned length = e->value + static_cast<unsigned>(bits & ((std::uint64_t{1} << e->op) - 1));
        consume(e->op);

        if (distance_table == nullptr) [[unlikely]] {
          status = -1;
          break;
        }
        e = &distance_table[bits & distance_mask];
        while (e->op > OP_LITERAL) {
          if (e->op == OP_INVALID) [[unlikely]] {
            status = -1;
            break;
          }
          consume(e->bits);
          e = &e->next[bits & ((std::uint64_t{1} << (e->op - OP_LINK_BASE)) - 1)];
        }
        if (status != 0) break;
        consume(e->bits);
        const unsigned distance = e->value + static_cast<unsigned>(bits & ((std::uint64_t{1} << e->op) - 1));
        consume(e->op);
        e = &literal_table[bits & literal_mask];

        const auto pos = static_cast<unsigned>(out - window);
        if (distance <= pos) [[likely]] {
          copy_match_fast(out, distance, length);
          out += length;
        } else if (const unsigned tail = distance - pos; length <= output_window_size - distance) {
          // The source starts `tail` bytes before the window's end and does
          // not reach the destination: that piece in one block, the rest from
          // the window's start.
          const unsigned piece = std::min(tail, length);
          std::memcpy(out, window + output_window_size - tail, piece);
          if (piece < length) copy_match_fast(out + piece, distance, length - piece);
          out += length;
        } else {
          out = window + copy_match_wrapping(s, pos, distance, length);
        }
      } while (next_round());

      const long used = in_next - s.in.input_pos;
      s.in.input_pos += used;
      s.in.input_left -= used;
      s.in.compressed_left -= used;
      st.inflate_bits = bits;
      st.inflate_bit_count = count;
      st.window_pos = static_cast<unsigned>(out - window);
      if (status == 1) return inflate_ok;
      if (status < 0) return inflate_bad_data;
      continue;
    }

    const int step = decode_one_careful(s, literal_table, literal_bits, distance_table, distance_bits);
    if (step == 1) return inflate_ok;
    if (step < 0) return inflate_bad_data;
  }
}
