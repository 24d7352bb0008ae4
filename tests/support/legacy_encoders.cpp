// Test encoders for shrink, reduce and implode (see legacy_encoders.h).
#include "support/legacy_encoders.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <stdexcept>
#include <string>
#include <unordered_map>

namespace legacy {

void BitWriter::put(std::uint32_t value, int bits) {
  acc_ |= (value & ((1u << bits) - 1u)) << count_;
  count_ += bits;
  while (count_ >= 8) {
    out_.push_back(static_cast<std::uint8_t>(acc_));
    acc_ >>= 8;
    count_ -= 8;
  }
}

Bytes BitWriter::finish() {
  if (count_ > 0) out_.push_back(static_cast<std::uint8_t>(acc_));
  acc_ = 0;
  count_ = 0;
  return std::move(out_);
}

namespace {

// Greedy LZ77 over hash chains of 3-byte prefixes.
struct Match {
  unsigned length = 0;
  unsigned distance = 0;
};

class MatchFinder {
 public:
  MatchFinder(std::span<const std::uint8_t> in, unsigned max_distance, unsigned max_length)
      : in_(in), max_distance_(max_distance), max_length_(max_length), prev_(in.size(), -1) {
    head_.fill(-1);
  }

  Match find(std::size_t pos) const {
    Match best;
    if (pos + 3 > in_.size()) return best;
    long cand = head_[hash(pos)];
    for (int chain = 0; cand >= 0 && chain < 48; ++chain, cand = prev_[static_cast<std::size_t>(cand)]) {
      std::size_t c = static_cast<std::size_t>(cand);
      if (pos - c > max_distance_) break;
      unsigned len = 0;
      while (len < max_length_ && pos + len < in_.size() && in_[c + len] == in_[pos + len]) ++len;
      if (len > best.length) best = {len, static_cast<unsigned>(pos - c)};
    }
    return best;
  }

  void insert(std::size_t pos) {
    if (pos + 3 > in_.size()) return;
    unsigned h = hash(pos);
    prev_[pos] = head_[h];
    head_[h] = static_cast<long>(pos);
  }

 private:
  unsigned hash(std::size_t pos) const {
    return ((in_[pos] * 2654435761u) ^ (in_[pos + 1] * 40503u) ^ (in_[pos + 2] * 97u)) & 4095u;
  }

  std::span<const std::uint8_t> in_;
  unsigned max_distance_, max_length_;
  std::array<long, 4096> head_;
  std::vector<long> prev_;
};

}  // namespace

// ---- Shrink -----------------------------------------------------------------

namespace {

constexpr unsigned shrink_codes = 8192;

// The encoder keeps a copy of the decoder's table, updated exactly when the
// decoder updates its own (one code later than a textbook LZW encoder), so
// that partial clears and code reuse stay in step.
class ShrinkTable {
 public:
  ShrinkTable() {
    prefix_.fill(-1);
    for (unsigned c = 0; c < 256; ++c) {
      prefix_[c] = 0;
      suffix_[c] = static_cast<std::uint8_t>(c);
    }
  }

  [[nodiscard]] bool is_free(unsigned code) const { return code >= 257 && prefix_[code] == -1; }
  [[nodiscard]] unsigned next_free() const { return next_free_; }

  // The code for string(code) + byte, or -1.
  [[nodiscard]] int child(unsigned code, std::uint8_t b) const {
    auto it = map_.find(code << 8 | b);
    return it == map_.end() ? -1 : it->second;
  }

  [[nodiscard]] Bytes string_of(unsigned code) const {
    Bytes s;
    while (code >= 257) {
      s.push_back(suffix_[code]);
      code = static_cast<unsigned>(prefix_[code]);
    }
    s.push_back(static_cast<std::uint8_t>(code));
    std::reverse(s.begin(), s.end());
    return s;
  }

  // Defines string(parent) + b in the lowest free code; false when full.
  bool define(unsigned parent, std::uint8_t b, ShrinkStats& stats) {
    if (next_free_ >= shrink_codes) return false;
    unsigned code = next_free_;
    if (code < high_water_) ++stats.reused_codes;
    high_water_ = std::max(high_water_, code + 1);
    prefix_[code] = static_cast<int>(parent);
    suffix_[code] = b;
    // An entry whose prefix was freed has no fixed string: never send it.
    if (!is_free(parent)) map_[parent << 8 | b] = static_cast<int>(code);
    key_[code] = parent << 8 | b;
    while (next_free_ < shrink_codes && prefix_[next_free_] != -1) ++next_free_;
    return true;
  }

  // The decoder's partial clear; returns the number of codes freed.
  unsigned clear_leaves() {
    std::vector<bool> parent(shrink_codes, false);
    for (unsigned c = 257; c < next_free_; ++c)
      if (prefix_[c] >= 257) parent[static_cast<unsigned>(prefix_[c])] = true;
    unsigned freed = 0;
    for (unsigned c = 257; c < next_free_; ++c) {
      if (prefix_[c] == -1 || parent[c]) continue;
      auto it = map_.find(key_[c]);
      if (it != map_.end() && it->second == static_cast<int>(c)) map_.erase(it);
      prefix_[c] = -1;
      ++freed;
    }
    next_free_ = 257;
    while (next_free_ < shrink_codes && prefix_[next_free_] != -1) ++next_free_;
    return freed;
  }

 private:
  std::array<int, shrink_codes> prefix_;
  std::array<std::uint8_t, shrink_codes> suffix_{};
  std::array<unsigned, shrink_codes> key_{};
  std::unordered_map<unsigned, int> map_;
  unsigned next_free_ = 257;
  unsigned high_water_ = 257;
};

}  // namespace

Bytes shrink(std::span<const std::uint8_t> input, const ShrinkOptions& options, ShrinkStats* stats_out) {
  ShrinkStats stats;
  ShrinkTable table;
  BitWriter w;
  int width = 9;
  std::size_t pos = 0;
  int previous = -1;
  bool full_clear_useless = false;
  auto send = [&](unsigned code) {
    while (code >= (1u << width)) {
      w.put(256, width);
      w.put(1, width);
      ++width;
    }
    w.put(code, width);
  };

  while (pos < input.size()) {
    if (previous >= 0) {
      bool forced = std::find(options.clear_before.begin(), options.clear_before.end(), stats.codes) !=
                    options.clear_before.end();
      bool full = options.clear_when_full && table.next_free() >= shrink_codes && !full_clear_useless;
      if (forced || full) {
        w.put(256, width);
        w.put(2, width);
        unsigned freed = table.clear_leaves();
        if (full && freed == 0) full_clear_useless = true;
        if (freed > 0) full_clear_useless = false;
        ++stats.clears;
      }
    }

    unsigned code = input[pos];
    std::size_t len = 1;
    while (pos + len < input.size()) {
      int c = table.child(code, input[pos + len]);
      if (c < 0) break;
      code = static_cast<unsigned>(c);
      ++len;
    }
    // The code the decoder is about to define: string(previous) + its first byte.
    if (options.use_kwkwk && previous >= 0 && table.next_free() < shrink_codes &&
        !table.is_free(static_cast<unsigned>(previous))) {
      Bytes s = table.string_of(static_cast<unsigned>(previous));
      s.push_back(s[0]);
      if (s.size() > len && pos + s.size() <= input.size() &&
          std::equal(s.begin(), s.end(), input.begin() + static_cast<std::ptrdiff_t>(pos))) {
        code = table.next_free();
        len = s.size();
        ++stats.kwkwk;
      }
    }

    send(code);
    if (previous >= 0 && !table.define(static_cast<unsigned>(previous), input[pos], stats))
      ++stats.full_codes;
    ++stats.codes;
    previous = static_cast<int>(code);
    pos += len;
  }
  stats.final_width = width;
  if (stats_out) *stats_out = stats;
  return w.finish();
}

// ---- Reduce -----------------------------------------------------------------

namespace {

struct FactorBits {
  unsigned length_mask, distance_shift, distance_mask;
};
constexpr FactorBits factor_bits[5] = {{0, 0, 0}, {0x7F, 7, 1}, {0x3F, 6, 3}, {0x1F, 5, 7}, {0x0F, 4, 15}};

unsigned index_bits(std::size_t count) {
  unsigned bits = 1;
  while ((std::size_t{1} << bits) < count) ++bits;
  return bits;
}

}  // namespace

Bytes reduce_run_stage(const std::vector<ReduceToken>& tokens, int factor) {
  if (factor < 1 || factor > 4) throw std::invalid_argument("reduce factor");
  const FactorBits f = factor_bits[factor];
  Bytes out;
  for (const ReduceToken& t : tokens) {
    if (!t.is_run) {
      out.push_back(t.literal);
      if (t.literal == 144) out.push_back(0);
      continue;
    }
    unsigned max_distance = (f.distance_mask + 1) * 256;
    if (t.length < 3 || t.length > f.length_mask + 258 || t.distance < 1 || t.distance > max_distance)
      throw std::invalid_argument("reduce run out of range");
    unsigned high = (t.distance - 1) >> 8;
    unsigned len_field = std::min(t.length - 3, f.length_mask);
    unsigned v = (high << f.distance_shift) | len_field;
    if (v == 0) throw std::invalid_argument("reduce run with V = 0");
    out.push_back(144);
    out.push_back(static_cast<std::uint8_t>(v));
    if (len_field == f.length_mask) out.push_back(static_cast<std::uint8_t>(t.length - 3 - f.length_mask));
    out.push_back(static_cast<std::uint8_t>((t.distance - 1) & 0xFF));
  }
  return out;
}

FollowerSets choose_follower_sets(std::span<const std::uint8_t> stage, unsigned max_set) {
  FollowerSets sets(256);
  if (max_set == 0) return sets;
  max_set = std::min(max_set, 63u);
  std::vector<std::array<std::size_t, 256>> pairs(256);
  for (auto& row : pairs) row.fill(0);
  unsigned prev = 0;
  for (std::uint8_t b : stage) {
    ++pairs[prev][b];
    prev = b;
  }
  for (unsigned v = 0; v < 256; ++v) {
    std::vector<unsigned> order(256);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](unsigned a, unsigned b) { return pairs[v][a] > pairs[v][b]; });
    for (unsigned i = 0; i < max_set && pairs[v][order[i]] >= 2; ++i)
      sets[v].push_back(static_cast<std::uint8_t>(order[i]));
  }
  return sets;
}

Bytes reduce_follower_stage(std::span<const std::uint8_t> stage, const FollowerSets& sets) {
  BitWriter w;
  for (int v = 255; v >= 0; --v) {
    const Bytes& set = sets[static_cast<unsigned>(v)];
    if (set.size() > 63) throw std::invalid_argument("follower set above 63");
    w.put(static_cast<std::uint32_t>(set.size()), 6);
    for (std::uint8_t b : set) w.put_byte(b);
  }
  unsigned prev = 0;
  for (std::uint8_t b : stage) {
    const Bytes& set = sets[prev];
    if (set.empty()) {
      w.put_byte(b);
    } else {
      auto it = std::find(set.begin(), set.end(), b);
      if (it == set.end()) {
        w.put(1, 1);
        w.put_byte(b);
      } else {
        w.put(0, 1);
        w.put(static_cast<std::uint32_t>(it - set.begin()), static_cast<int>(index_bits(set.size())));
      }
    }
    prev = b;
  }
  return w.finish();
}

Bytes reduce(std::span<const std::uint8_t> input, int factor, const ReduceOptions& options) {
  if (factor < 1 || factor > 4) throw std::invalid_argument("reduce factor");
  const FactorBits f = factor_bits[factor];
  std::vector<ReduceToken> tokens;
  MatchFinder finder(input, (f.distance_mask + 1) * 256, f.length_mask + 258);
  for (std::size_t pos = 0; pos < input.size();) {
    Match m = options.runs ? finder.find(pos) : Match{};
    // V = 0 would read as a literal 144: a 3-byte run needs a distance above 256.
    if (m.length == 3 && m.distance <= 256) m.length = 0;
    if (m.length >= 3) {
      tokens.push_back({true, 0, m.length, m.distance});
      for (unsigned i = 0; i < m.length; ++i) finder.insert(pos + i);
      pos += m.length;
    } else {
      tokens.push_back({false, input[pos], 0, 0});
      finder.insert(pos);
      ++pos;
    }
  }
  Bytes stage = reduce_run_stage(tokens, factor);
  return reduce_follower_stage(stage, choose_follower_sets(stage, options.max_set));
}

// ---- Implode ----------------------------------------------------------------

namespace {

// Splits symbols [lo, hi) (ordered by falling count) into two halves of
// nearly equal weight; depth limits keep every length at 16 or below.
void sf_split(const std::vector<unsigned>& order, const std::vector<std::size_t>& counts, std::size_t lo,
              std::size_t hi, unsigned depth, std::vector<unsigned>& lengths) {
  if (hi - lo == 1) {
    lengths[order[lo]] = depth;
    return;
  }
  std::size_t room = std::size_t{1} << (15 - depth);  // symbols a half can hold
  std::size_t total = 0;
  for (std::size_t i = lo; i < hi; ++i) total += counts[order[i]];
  std::size_t best = lo + 1;
  std::size_t best_diff = SIZE_MAX;
  std::size_t left = 0;
  for (std::size_t k = lo + 1; k < hi; ++k) {
    left += counts[order[k - 1]];
    if (k - lo > room) break;
    if (hi - k > room) continue;
    std::size_t diff = left > total - left ? left - (total - left) : (total - left) - left;
    if (diff < best_diff) {
      best_diff = diff;
      best = k;
    }
  }
  sf_split(order, counts, lo, best, depth + 1, lengths);
  sf_split(order, counts, best, hi, depth + 1, lengths);
}

// Canonical codes: shorter codes first, symbols in order within a length.
std::vector<std::uint32_t> canonical_codes(const std::vector<unsigned>& lengths) {
  std::array<std::uint32_t, 18> count{}, next{};
  for (unsigned l : lengths) ++count[l];
  count[0] = 0;
  std::uint32_t code = 0;
  for (unsigned l = 1; l <= 16; ++l) {
    code = (code + count[l - 1]) << 1;
    next[l] = code;
  }
  std::vector<std::uint32_t> codes(lengths.size());
  for (std::size_t i = 0; i < lengths.size(); ++i)
    if (lengths[i]) codes[i] = next[lengths[i]]++;
  return codes;
}

}  // namespace

std::vector<unsigned> shannon_fano_lengths(const std::vector<std::size_t>& counts) {
  std::vector<std::size_t> weights(counts.size());
  for (std::size_t i = 0; i < counts.size(); ++i) weights[i] = counts[i] + 1;  // every symbol gets a code
  std::vector<unsigned> order(counts.size());
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(),
                   [&](unsigned a, unsigned b) { return weights[a] > weights[b]; });
  std::vector<unsigned> lengths(counts.size(), 0);
  sf_split(order, weights, 0, order.size(), 0, lengths);
  return lengths;
}

void write_tree(BitWriter& w, const std::vector<unsigned>& lengths, unsigned max_run) {
  Bytes runs;
  for (std::size_t i = 0; i < lengths.size();) {
    std::size_t j = i;
    while (j < lengths.size() && j - i < max_run && lengths[j] == lengths[i]) ++j;
    if (lengths[i] < 1 || lengths[i] > 16) throw std::invalid_argument("tree length out of range");
    runs.push_back(static_cast<std::uint8_t>((j - i - 1) << 4 | (lengths[i] - 1)));
    i = j;
  }
  w.put_byte(static_cast<std::uint8_t>(runs.size() - 1));
  for (std::uint8_t b : runs) w.put_byte(b);
}

ImplodeWriter::ImplodeWriter(bool large_window, std::vector<unsigned> literal_lengths,
                             std::vector<unsigned> length_lengths, std::vector<unsigned> distance_lengths,
                             unsigned max_run)
    : large_window_(large_window),
      literal_tree_(!literal_lengths.empty()),
      lit_len_(std::move(literal_lengths)),
      len_len_(std::move(length_lengths)),
      dist_len_(std::move(distance_lengths)) {
  if (literal_tree_) {
    write_tree(w_, lit_len_, max_run);
    lit_code_ = canonical_codes(lit_len_);
  }
  write_tree(w_, len_len_, max_run);
  len_code_ = canonical_codes(len_len_);
  write_tree(w_, dist_len_, max_run);
  dist_code_ = canonical_codes(dist_len_);
}

// Codes go out first bit first, complemented (the decoder inverts them back).
void ImplodeWriter::put_code(const std::vector<std::uint32_t>& codes, const std::vector<unsigned>& lengths,
                             unsigned symbol) {
  for (int i = static_cast<int>(lengths[symbol]) - 1; i >= 0; --i)
    w_.put(((codes[symbol] >> i) & 1u) ^ 1u, 1);
}

void ImplodeWriter::literal(std::uint8_t b) {
  w_.put(1, 1);
  if (literal_tree_)
    put_code(lit_code_, lit_len_, b);
  else
    w_.put_byte(b);
}

void ImplodeWriter::match(unsigned distance, unsigned length) {
  const int low_bits = large_window_ ? 7 : 6;
  if (distance < 1 || distance > (64u << low_bits) || length < min_length() || length > max_length())
    throw std::invalid_argument("implode match out of range");
  w_.put(0, 1);
  w_.put(distance - 1, low_bits);
  put_code(dist_code_, dist_len_, (distance - 1) >> low_bits);
  unsigned l = length - min_length();
  put_code(len_code_, len_len_, std::min(l, 63u));
  if (l >= 63) w_.put_byte(static_cast<std::uint8_t>(l - 63));
}

Bytes implode(std::span<const std::uint8_t> input, bool literal_tree, bool large_window,
              const ImplodeOptions& options) {
  const unsigned min_len = literal_tree ? 3 : 2;
  const unsigned max_len = options.max_length ? options.max_length : min_len + 63 + 255;
  const int low_bits = large_window ? 7 : 6;
  MatchFinder finder(input, 64u << low_bits, max_len);
  struct Token {
    bool is_match;
    std::uint8_t literal;
    Match m;
  };
  std::vector<Token> tokens;
  std::vector<std::size_t> lit_counts(256, 0), len_counts(64, 0), dist_counts(64, 0);
  for (std::size_t pos = 0; pos < input.size();) {
    Match m = options.matches ? finder.find(pos) : Match{};
    if (m.length >= std::max(min_len, 3u)) {
      tokens.push_back({true, 0, m});
      ++len_counts[std::min(m.length - min_len, 63u)];
      ++dist_counts[(m.distance - 1) >> low_bits];
      for (unsigned i = 0; i < m.length; ++i) finder.insert(pos + i);
      pos += m.length;
    } else {
      tokens.push_back({false, input[pos], {}});
      ++lit_counts[input[pos]];
      finder.insert(pos);
      ++pos;
    }
  }
  ImplodeWriter w(large_window, literal_tree ? shannon_fano_lengths(lit_counts) : std::vector<unsigned>{},
                  shannon_fano_lengths(len_counts), shannon_fano_lengths(dist_counts));
  for (const Token& t : tokens) {
    if (t.is_match)
      w.match(t.m.distance, t.m.length);
    else
      w.literal(t.literal);
  }
  return w.finish();
}

Bytes sample_text(std::size_t size, std::uint32_t seed) {
  static const char* const words[] = {
      "the ", "archive ", "member ", "zip ",  "window ", "of ",  "shrink ", "reduce ", "implode ", "data\r\n",
      "and ", "a ",       "table ",  "code ", "string ", "VOK ", "1990 ",   "\x90",    "setup ",   "byte "};
  Bytes out;
  out.reserve(size);
  std::uint32_t x = seed * 2654435761u + 12345u;
  auto next = [&x] {
    x = x * 1103515245u + 12345u;
    return x >> 8;
  };
  while (out.size() < size) {
    std::uint32_t r = next();
    if (r % 23 == 0) {
      out.push_back(static_cast<std::uint8_t>(next()));  // noise
    } else if (r % 31 == 0 && out.size() > 600) {
      std::size_t from = out.size() - 1 - next() % 600;  // a repeat of something recent
      std::size_t n = 4 + next() % 60;
      for (std::size_t i = 0; i < n; ++i) out.push_back(out[from + i]);
    } else {
      std::string wd = words[r % (sizeof(words) / sizeof(words[0]))];
      out.insert(out.end(), wd.begin(), wd.end());
    }
  }
  out.resize(size);
  return out;
}

}  // namespace legacy
