// Test encoders for the three legacy zip methods: shrink (1), reduce (2-5)
// and implode (6), plus the stream builders they are made of, so that tests
// can also assemble streams field by field.
//
// They exist to give the decoders fixtures of every variant (real archives
// lack some implode variants) and to reach edge cases on purpose: partial
// clears at chosen points, a full code table, escapes in the run stage, long
// matches with extra length bytes. They are simple, not good compressors:
// greedy matching over short hash chains, trees chosen by plain Shannon-Fano
// splitting.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace legacy {

using Bytes = std::vector<std::uint8_t>;

// LSB-first bit writer, the bit order of all three methods.
class BitWriter {
 public:
  void put(std::uint32_t value, int bits);  // the low `bits` bits of value, lowest first (bits <= 24)
  void put_byte(std::uint8_t b) { put(b, 8); }
  [[nodiscard]] std::size_t bit_size() const { return out_.size() * 8 + static_cast<std::size_t>(count_); }
  Bytes finish();  // pads the last byte with zero bits

 private:
  Bytes out_;
  std::uint32_t acc_ = 0;
  int count_ = 0;
};

// ---- Shrink -----------------------------------------------------------------

struct ShrinkOptions {
  bool clear_when_full = true;            // partial clear once code 8191 is taken
  std::vector<std::size_t> clear_before;  // partial clear before the n-th emitted code (0-based)
  bool use_kwkwk = true;                  // may send the code being defined (the KwKwK case)
};

struct ShrinkStats {
  std::size_t codes = 0;         // string codes sent
  std::size_t clears = 0;        // partial clears sent
  std::size_t kwkwk = 0;         // codes sent while being defined
  std::size_t reused_codes = 0;  // entries placed in a freed code
  std::size_t full_codes = 0;    // codes sent while the table was full
  int final_width = 9;
};

Bytes shrink(std::span<const std::uint8_t> input, const ShrinkOptions& options = {},
             ShrinkStats* stats = nullptr);

// ---- Reduce -----------------------------------------------------------------

// One byte of the run stage: a literal, or a run of `length` bytes from
// `distance` back. The encoder below makes these from the input; a test can
// list them itself.
struct ReduceToken {
  bool is_run = false;
  std::uint8_t literal = 0;
  unsigned length = 0;    // 3 .. mask + 258
  unsigned distance = 0;  // 1 .. (distance mask + 1) * 256
};

// The run stage: tokens => bytes (144 escapes), for factor 1..4. A run that
// cannot be expressed (V would be 0, or out of range) is a test error: throws.
Bytes reduce_run_stage(const std::vector<ReduceToken>& tokens, int factor);

// The follower stage: per preceding byte value, its follower set (0..63 bytes).
using FollowerSets = std::vector<Bytes>;  // 256 entries

// Picks sets from the byte pair counts of `stage` (at most max_set per value).
FollowerSets choose_follower_sets(std::span<const std::uint8_t> stage, unsigned max_set);

// Writes the follower sets and codes `stage` with them.
Bytes reduce_follower_stage(std::span<const std::uint8_t> stage, const FollowerSets& sets);

struct ReduceOptions {
  unsigned max_set = 32;  // follower set size limit (0: all bytes raw)
  bool runs = true;       // find runs; false: literals only
};

// The whole method: tokens from greedy matching, then both stages.
Bytes reduce(std::span<const std::uint8_t> input, int factor, const ReduceOptions& options = {});

// ---- Implode ----------------------------------------------------------------

// Code lengths (1..16) of all 256 or 64 symbols, a complete prefix code, from
// symbol counts by Shannon-Fano splitting.
std::vector<unsigned> shannon_fano_lengths(const std::vector<std::size_t>& counts);

// Writes a tree description: count byte, then (run - 1) << 4 | (length - 1)
// bytes, runs of at most max_run symbols.
void write_tree(BitWriter& w, const std::vector<unsigned>& lengths, unsigned max_run = 16);

// Stream builder: trees first, then literals and matches.
class ImplodeWriter {
 public:
  // Lengths of 256 literal symbols (empty: no literal tree), 64 length and 64 distance symbols.
  ImplodeWriter(bool large_window, std::vector<unsigned> literal_lengths,
                std::vector<unsigned> length_lengths, std::vector<unsigned> distance_lengths,
                unsigned max_run = 16);

  void literal(std::uint8_t b);
  void match(unsigned distance, unsigned length);  // distance 1..8192/4096, length from min_length()
  [[nodiscard]] unsigned min_length() const { return literal_tree_ ? 3 : 2; }
  [[nodiscard]] unsigned max_length() const { return min_length() + 63 + 255; }
  BitWriter& bits() { return w_; }
  Bytes finish() { return w_.finish(); }

 private:
  void put_code(const std::vector<std::uint32_t>& codes, const std::vector<unsigned>& lengths,
                unsigned symbol);

  bool large_window_;
  bool literal_tree_;
  std::vector<unsigned> lit_len_, len_len_, dist_len_;
  std::vector<std::uint32_t> lit_code_, len_code_, dist_code_;
  BitWriter w_;
};

struct ImplodeOptions {
  bool matches = true;
  unsigned max_length = 0;  // 0: the variant's maximum
};

Bytes implode(std::span<const std::uint8_t> input, bool literal_tree, bool large_window,
              const ImplodeOptions& options = {});

// Test inputs: deterministic text-like bytes with repeats at all distances.
Bytes sample_text(std::size_t size, std::uint32_t seed);

}  // namespace legacy
