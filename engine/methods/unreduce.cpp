// Unreduce: the decoder of zip methods 2 to 5 ("reduced", factor 1 to 4).
//
// Reduce is two stages. The outer one is a byte predictor: for every byte
// value the stream starts with a follower set of up to 63 bytes that often
// come after it; each byte is then sent either as a short index into the set
// of the byte before it (a 0 bit and 1 to 6 index bits) or raw (a 1 bit and 8
// bits; always raw when the set is empty). The inner stage is run-length
// coding over a 16 KiB window: the byte 144 (DLE) introduces either a literal
// 144 (144, 0) or a run (144, V, [extra length byte], distance low byte),
// where V packs the length and the high distance bits; the factor decides how
// many bits of V are length.
//
// The window takes the first 16 KiB of output_window and the follower rows
// (64 bytes per byte value) the second 16 KiB. The rows are cleared for every
// member, so an index at or past a set's length reads a defined byte of its
// row (0 unless the row holds a follower there) and never depends on an
// earlier member.
//
// Decoding ends at the uncompressed size, whatever the input; past the end of
// the data the bits read are zeros. A run is copied whole even when it passes
// the size, so output is bounded by the size plus one run (385 bytes).
#include "engine/methods/unreduce.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/input.h"
#include "engine/methods/legacy_window.h"

namespace {

constexpr unsigned window_size = 16384;
constexpr unsigned follower_offset = window_size;
constexpr unsigned follower_row = 64;
constexpr std::uint8_t dle = 144;

static_assert(follower_offset + 256 * follower_row == output_window_size,
              "window and follower rows share output_window");

// Per factor (1..4): mask of V's length bits, shift and mask of its distance bits.
struct ReduceFactor {
  unsigned length_mask;
  unsigned distance_shift;
  unsigned distance_mask;
};
constexpr ReduceFactor reduce_factors[5] = {
    {0, 0, 0}, {0x7F, 7, 1}, {0x3F, 6, 3}, {0x1F, 5, 7}, {0x0F, 4, 15}};

// Set length => bits of an index into the set.
constexpr unsigned index_width(unsigned count) {
  unsigned bits = 1;
  while ((1u << bits) < count) ++bits;
  return bits;
}
static_assert(index_width(1) == 1 && index_width(2) == 1 && index_width(3) == 2 && index_width(4) == 2 &&
              index_width(5) == 3 && index_width(8) == 3 && index_width(9) == 4 && index_width(17) == 5 &&
              index_width(32) == 5 && index_width(33) == 6 && index_width(63) == 6);

// The global bit reader held in locals. Once read_byte has reported the end
// of the data it is not asked again: the remaining bits are zeros, and
// compressed_left does not run down by one per missing byte (which could
// overflow a 32-bit long on a member claiming gigabytes). The zero bits taken
// are counted, so that decoding can stop once no real member could be
// reading them.
// Bytes of zero bits read past the end of the data after which the member
// counts as cut short. A real member's last code ends in its last byte;
// without a bound a header claiming gigabytes would be decoded up to that
// size from nothing.
constexpr std::int64_t unreduce_overrun_limit = 4096;

class ReduceBits {
 public:
  explicit ReduceBits(EngineState& s) : s_(s), bits_(s.in.bit_buffer), count_(s.in.bit_count) {}
  ~ReduceBits() {
    s_.in.bit_buffer = bits_;
    s_.in.bit_count = count_;
  }
  ReduceBits(const ReduceBits&) = delete;
  ReduceBits& operator=(const ReduceBits&) = delete;

  unsigned take(int n) {
    if (n > count_) refill();
    if (ended_ && count_ <= 0) past_end_bits_ += n;
    unsigned v = bits_ & ((1u << n) - 1u);
    bits_ >>= n;
    count_ -= n;
    return v;
  }

 private:
  void refill() {
    if (count_ < 0) count_ = 0;  // bits taken past the end were zeros
    while (count_ <= 24 && !ended_) {
      int b = read_byte(s_);
      if (b < 0) {
        ended_ = true;
        break;
      }
      bits_ |= static_cast<std::uint32_t>(b) << count_;
      count_ += 8;
    }
  }

  EngineState& s_;
  std::uint32_t bits_;
  int count_;
  bool ended_ = false;
  std::int64_t past_end_bits_ = 0;

 public:
  [[nodiscard]] bool overran() const { return past_end_bits_ > 8 * unreduce_overrun_limit; }
};

void read_follower_sets(EngineState& s, ReduceBits& bits) {
  std::uint8_t* rows = s.out.output_window.data() + follower_offset;
  std::memset(rows, 0, 256 * follower_row);
  for (int value = 255; value >= 0; --value) {
    unsigned count = bits.take(6);
    s.unreduce.follower_count[value] = static_cast<std::uint8_t>(count);
    for (unsigned i = 0; i < count; ++i)
      rows[value * follower_row + i] = static_cast<std::uint8_t>(bits.take(8));
  }
}

}  // namespace

int unreduce(EngineState& s) {
  const unsigned factor = std::clamp<unsigned>(s.member.local.method, 2, 5) - 1u;
  const ReduceFactor f = reduce_factors[factor];
  const std::uint8_t* rows = s.out.output_window.data() + follower_offset;

  ReduceBits bits(s);
  LegacyWindow<window_size> window(s);
  read_follower_sets(s, bits);

  std::int64_t remaining = s.member.expected_output_size;
  unsigned previous = 0;
  int state = 0;
  unsigned v = 0;
  unsigned length = 0;
  while (remaining > 0) {
    if (bits.overran()) [[unlikely]] {
      (void)window.finish();
      return unreduce_data_ended;
    }
    unsigned byte;
    unsigned count = s.unreduce.follower_count[previous];
    if (count == 0 || bits.take(1) == 1)
      byte = bits.take(8);
    else
      byte = rows[previous * follower_row + bits.take(static_cast<int>(index_width(count)))];

    switch (state) {
      case 0:
        if (byte == dle) {
          state = 1;
        } else {
          --remaining;
          window.put(static_cast<std::uint8_t>(byte));
        }
        break;
      case 1:
        if (byte == 0) {
          --remaining;
          window.put(dle);
          state = 0;
        } else {
          v = byte;
          length = v & f.length_mask;
          state = length == f.length_mask ? 2 : 3;
        }
        break;
      case 2:
        length += byte;
        state = 3;
        break;
      default: {
        unsigned run = length + 3;
        unsigned distance = ((v >> f.distance_shift) & f.distance_mask) * 256 + byte + 1;
        remaining -= run;
        window.copy(distance, run);
        state = 0;
        break;
      }
    }
    previous = byte;
  }
  return window.finish();
}
