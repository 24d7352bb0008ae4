// Building multi-level decoding tables (see decode_table.h).
//
// The codes are canonical: ordered by length, and within a length by symbol.
// The builder walks them in that order while keeping the current code
// bit-reversed (first stream bit lowest), so that a code's table index is
// just its low bits. Each code is stored at every index of its table whose
// low bits match it, i.e. replicated in steps of 2^(its remaining length).
//
// A code longer than what the open levels cover opens a sub-table. Its width
// starts at the bits the code still needs and is widened while the codes that
// follow would fill the wider table completely, up to the requested width (or
// the longest code). No level spans the end-of-block code's length: a table
// ends exactly where that code ends, so the decoder never needs bits beyond
// the last code of a block to resolve it.
#include "engine/methods/decode_table.h"

#include <algorithm>
#include <array>
#include <new>

namespace {

// One open table on the builder's stack.
struct OpenLevel {
  DecodeEntry* table;  // table proper (after its header)
  unsigned width;      // index bits of this table
  unsigned code_low;   // low code bits (those of the levels above) that lead here
};

// Allocates a table of 2^width entries plus its header; null when out of memory.
DecodeEntry* allocate_level(unsigned width) {
  auto* block = new (std::nothrow) DecodeEntry[(std::size_t{1} << width) + 1];
  if (block == nullptr) return nullptr;
  block[0].op = 0;
  block[0].bits = 0;
  block[0].next = nullptr;
  return block + 1;
}

}  // namespace

void release_decode_table(DecodeEntry* table) {
  while (table != nullptr) {
    DecodeEntry* header = table - 1;
    DecodeEntry* next = header->next;
    delete[] header;
    table = next;
  }
}

int build_decode_table(EngineState& s, std::span<const std::uint32_t> lengths, unsigned simple_count,
                       const std::uint16_t* base, const std::uint16_t* extra, DecodeEntry*& table,
                       unsigned& bits) {
  constexpr unsigned max_len = decode_max_code_length;
  const unsigned n = static_cast<unsigned>(lengths.size());
  table = nullptr;

  // The end-of-block code's length bounds the levels (16: no bound).
  const unsigned eob_length = n > 256 ? lengths[256] : max_len;

  std::array<unsigned, max_len + 1> length_count{};
  for (std::uint32_t len : lengths) ++length_count[len];
  if (length_count[0] == n) {
    bits = 0;
    return decode_table_complete;
  }

  unsigned min_len = 1;
  while (length_count[min_len] == 0) ++min_len;
  unsigned max_code = max_len;
  while (length_count[max_code] == 0) --max_code;
  bits = std::clamp(bits, min_len, max_code);

  // Code space check. Left-over codes of the longest length decode to
  // OP_INVALID: counting them there makes the tables below complete.
  int free_codes = 1 << min_len;
  for (unsigned len = min_len; len < max_code; ++len) {
    free_codes -= static_cast<int>(length_count[len]);
    if (free_codes < 0) return decode_table_oversubscribed;
    free_codes <<= 1;
  }
  free_codes -= static_cast<int>(length_count[max_code]);
  if (free_codes < 0) return decode_table_oversubscribed;
  length_count[max_code] += static_cast<unsigned>(free_codes);

  // Symbols in canonical order: by length, then by symbol.
  std::array<unsigned, max_len + 2> offset{};
  for (unsigned len = 1; len <= max_len; ++len) offset[len + 1] = offset[len] + length_count[len];
  std::uint32_t* sorted = s.inflate.sorted_symbols.data();
  unsigned symbol_count = 0;
  for (unsigned sym = 0; sym < n; ++sym) {
    if (lengths[sym] != 0) {
      sorted[offset[lengths[sym]]++] = sym;
      ++symbol_count;
    }
  }

  std::array<OpenLevel, max_len + 1> level{};
  int depth = -1;         // current level; -1 is the virtual level of width 0 before the first table
  unsigned consumed = 0;  // code bits resolved by the levels above the current one
  DecodeEntry* chain_last = nullptr;  // table proper of the last allocation, for linking
  unsigned code = 0;                  // current code, bit-reversed (first stream bit lowest)
  unsigned next_symbol = 0;

  auto current_width = [&] { return depth < 0 ? 0u : level[depth].width; };

  for (unsigned len = min_len; len <= max_code; ++len) {
    for (unsigned left = length_count[len]; left > 0; --left) {
      // Open deeper tables until this code ends inside the current one.
      while (len > consumed + current_width()) {
        consumed += current_width();
        ++depth;
        unsigned width = len - consumed;
        const unsigned limit = std::min(max_code - consumed, bits);
        if ((1u << width) > left) {
          // Widen while the following codes would still fill the table.
          unsigned spare = (1u << width) - left;
          unsigned next_len = len;
          while (++width < limit) {
            spare <<= 1;
            ++next_len;
            if (spare <= length_count[next_len]) break;
            spare -= length_count[next_len];
          }
        }
        if (consumed + width > eob_length && consumed < eob_length) width = eob_length - consumed;

        DecodeEntry* fresh = allocate_level(width);
        if (fresh == nullptr) {
          release_decode_table(table);
          table = nullptr;
          return decode_table_no_memory;
        }
        if (chain_last == nullptr)
          table = fresh;
        else
          (chain_last - 1)->next = fresh;
        chain_last = fresh;

        level[depth] = {fresh, width, code & ((1u << consumed) - 1u)};
        if (depth > 0) {
          const OpenLevel& parent = level[depth - 1];
          DecodeEntry& link = parent.table[(code & ((1u << consumed) - 1u)) >> (consumed - parent.width)];
          link.op = static_cast<std::uint8_t>(OP_LINK_BASE + width);
          link.bits = static_cast<std::uint8_t>(parent.width);
          link.next = fresh;
        }
      }

      DecodeEntry entry;
      entry.bits = static_cast<std::uint8_t>(len - consumed);
      if (next_symbol >= symbol_count) {
        entry.op = OP_INVALID;
        entry.value = 0;
      } else {
        const unsigned sym = sorted[next_symbol++];
        if (sym < simple_count) {
          entry.op = sym < 256 ? OP_LITERAL : OP_END_OF_BLOCK;
          entry.value = static_cast<std::uint16_t>(sym);
        } else {
          entry.op = static_cast<std::uint8_t>(extra[sym - simple_count] & 0xFF);
          entry.value = base[sym - simple_count];
        }
      }

      const OpenLevel& cur = level[depth];
      const unsigned step = 1u << (len - consumed);
      for (unsigned i = code >> consumed; i < (1u << cur.width); i += step) cur.table[i] = entry;

      // Next code: bit-reversed increment of a len-bit number.
      unsigned bit = 1u << (len - 1);
      while (code & bit) {
        code ^= bit;
        bit >>= 1;
      }
      code ^= bit;

      // Close the levels this code has left.
      while ((code & ((1u << consumed) - 1u)) != level[depth].code_low) {
        --depth;
        consumed -= level[depth].width;
      }
    }
  }

  bits = level[0].width;
  return (free_codes != 0 && max_code != 1) ? decode_table_incomplete : decode_table_complete;
}
