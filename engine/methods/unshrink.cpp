// Unshrink: the decoder of zip method 1 ("shrunk").
//
// Shrink is LZW with codes of 9 to 13 bits, least significant bit first. Code
// 256 is an escape: the code after it is a subcode, 1 to widen the codes by
// one bit, 2 to clear the leaf codes (codes that are no other code's prefix),
// which makes them free for reuse. A string is decoded by walking its code's
// prefix chain down to a byte (codes below 257), pushing suffix bytes onto a
// stack; after each code the entry "previous string + first byte of this one"
// takes the lowest free code. A code that is still free when it arrives is
// the entry this very step defines (the KwKwK case): its string is the
// previous one followed by the saved first byte.
//
// The tables need no window, so they live in the 32 KiB of output_window:
//   [0, 16384)      prefix  8192 x int16: code this one extends; -1 = free
//   [16384, 24576)  suffix  8192 bytes:   last byte of the code's string
//   [24576, 32768)  stack   8192 bytes:   a string, written from the end
// Output collects in output_buffer and goes out in 65536-byte runs.
//
// Unlike explode and unreduce, unshrink ends when the compressed data runs
// out, not at the uncompressed size, so its output is bounded by the input.
// Damaged input is bounded as well: the code width never passes 13, so no
// code indexes past the tables, and every step of a prefix walk pushes one
// byte, so a walk longer than the stack (a loop in the chain, or a string
// longer than any real one) is stopped as bad data before it leaves the stack.
#include "engine/methods/unshrink.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "engine/input.h"
#include "engine/output_stream.h"

namespace {

constexpr unsigned code_count = 8192;  // 13-bit codes
constexpr unsigned first_free_code = 257;
constexpr unsigned escape_code = 256;
constexpr int max_code_width = 13;
constexpr unsigned prefix_offset = 0;
constexpr unsigned suffix_offset = code_count * 2;
constexpr unsigned stack_offset = suffix_offset + code_count;
constexpr unsigned stack_size = code_count;
constexpr unsigned output_run = 65536;
constexpr std::int16_t free_mark = -1;
constexpr unsigned clear_mark = 0x8000;  // bit 15 of a prefix during partial clearing

static_assert(stack_offset + stack_size == output_window_size, "the tables fill output_window exactly");
static_assert(output_run < output_buffer_size, "a full run fits output_buffer");

// The prefix table is 16-bit entries in byte storage; memcpy keeps the access
// free of alignment and aliasing assumptions and compiles to plain loads.
class CodeTables {
 public:
  explicit CodeTables(std::uint8_t* window) : base_(window) {}

  [[nodiscard]] std::int16_t prefix(unsigned code) const {
    std::int16_t v;
    std::memcpy(&v, base_ + prefix_offset + 2 * code, 2);
    return v;
  }
  void set_prefix(unsigned code, std::int16_t v) { std::memcpy(base_ + prefix_offset + 2 * code, &v, 2); }
  [[nodiscard]] std::uint8_t& suffix(unsigned code) { return base_[suffix_offset + code]; }
  [[nodiscard]] std::uint8_t* stack() { return base_ + stack_offset; }

 private:
  std::uint8_t* base_;
};

// Output of the decoded bytes into output_buffer, flushed in whole runs.
class UnshrinkOutput {
 public:
  explicit UnshrinkOutput(EngineState& s) : s_(s) {
    s.out.output_pos = s.out.output_buffer.get();
    s.out.output_count = 0;
  }

  void put_string(const std::uint8_t* bytes, unsigned count) {
    OutputState& out = s_.out;
    if (out.output_count + count < output_run) [[likely]] {
      std::memcpy(out.output_pos, bytes, count);
      out.output_pos += count;
      out.output_count += count;
      return;
    }
    for (unsigned i = 0; i < count; ++i) put_byte(bytes[i]);
  }

  void put_byte(std::uint8_t b) {
    OutputState& out = s_.out;
    *out.output_pos++ = b;
    if (++out.output_count == output_run) {
      (void)flush_output(s_, out.output_buffer.get(), output_run, 1);
      out.output_count = 0;
      out.output_pos = out.output_buffer.get();
    }
  }

  void finish() {
    OutputState& out = s_.out;
    if (out.output_count > 0) (void)flush_output(s_, out.output_buffer.get(), out.output_count, 1);
  }

 private:
  EngineState& s_;
};

void unshrink_reset_tables(EngineState& s, CodeTables& t) {
  s.unshrink.code_width = 9;
  s.unshrink.next_free = first_free_code;
  s.unshrink.table_limit = code_count;
  for (unsigned code = 0; code < 256; ++code) {
    t.set_prefix(code, 0);
    t.suffix(code) = static_cast<std::uint8_t>(code);
  }
  for (unsigned code = 256; code < code_count; ++code) {
    t.set_prefix(code, free_mark);
    t.suffix(code) = 0;  // code 256 can end a damaged chain: read a defined byte
  }
}

// Partial clearing: every code from 257 up to the next free code that is no
// other code's prefix becomes free; the next free code becomes the lowest one.
void clear_leaf_codes(EngineState& s, CodeTables& t) {
  const unsigned end = s.unshrink.next_free;
  for (unsigned code = first_free_code; code < end; ++code)
    t.set_prefix(code, static_cast<std::int16_t>(static_cast<std::uint16_t>(t.prefix(code)) | clear_mark));
  for (unsigned code = first_free_code; code < end; ++code) {
    unsigned parent = static_cast<std::uint16_t>(t.prefix(code)) & ~clear_mark;
    // A free code's own prefix (-1) reads as 0x7FFF here and is passed over.
    // A free code can also be another code's prefix (damaged data sends codes
    // before they exist); it must stay free: clearing bit 15 of its -1 would
    // make it a used code whose prefix, 0x7FFF, lies far outside the table.
    if (parent >= first_free_code && parent < code_count && t.prefix(parent) != free_mark)
      t.set_prefix(parent,
                   static_cast<std::int16_t>(static_cast<std::uint16_t>(t.prefix(parent)) & ~clear_mark));
  }
  for (unsigned code = first_free_code; code < end; ++code)
    if (static_cast<std::uint16_t>(t.prefix(code)) & clear_mark) t.set_prefix(code, free_mark);
  unsigned next = first_free_code;
  while (next < code_count && t.prefix(next) != free_mark) ++next;
  s.unshrink.next_free = next;
}

}  // namespace

int unshrink(EngineState& s) {
  const bool convert =
      s.member.current_member != nullptr && (s.member.current_member->flags & member_convert_line_ends) != 0;
  if (convert && !s.out.conversion_buffer) {
    s.out.conversion_buffer.reset(new (std::nothrow) std::uint8_t[conversion_buffer_size]);
    if (!s.out.conversion_buffer) return unshrink_no_memory;
  }

  CodeTables t(s.out.output_window.data());
  UnshrinkOutput out(s);
  unshrink_reset_tables(s, t);
  UnshrinkState& u = s.unshrink;
  InputState& in = s.in;

  unsigned previous = read_bits(s, 9);
  if (in.input_exhausted) return unshrink_ok;
  std::uint8_t saved = static_cast<std::uint8_t>(previous);
  out.put_byte(saved);

  std::uint8_t* const stack = t.stack();
  for (;;) {
    unsigned code = read_bits(s, u.code_width);
    if (in.input_exhausted) break;
    while (code == escape_code) {
      unsigned subcode = read_bits(s, u.code_width);
      if (subcode == 1) {
        if (u.code_width == max_code_width) return unshrink_bad_data;
        ++u.code_width;
      } else if (subcode == 2) {
        clear_leaf_codes(s, t);
      }
      code = read_bits(s, u.code_width);
      if (in.input_exhausted) {
        out.finish();
        return unshrink_ok;
      }
    }

    const unsigned incoming = code;
    unsigned top = stack_size;
    if (t.prefix(code) == free_mark) {
      stack[--top] = saved;
      code = previous;
    }
    while (code >= first_free_code) {
      if (top == 0) return unshrink_bad_data;
      std::int16_t parent = t.prefix(code);
      if (parent == free_mark) {
        stack[--top] = saved;
        code = previous;
      } else {
        // Prefixes are codes below 8192 by construction; checked all the
        // same, as this is where a damaged table would read outside itself.
        if (static_cast<std::uint16_t>(parent) >= code_count) [[unlikely]]
          return unshrink_bad_data;
        stack[--top] = t.suffix(code);
        code = static_cast<std::uint16_t>(parent);
      }
    }
    if (top == 0) return unshrink_bad_data;
    saved = t.suffix(code);
    stack[--top] = saved;
    out.put_string(stack + top, stack_size - top);

    if (u.next_free < u.table_limit) {
      t.set_prefix(u.next_free, static_cast<std::int16_t>(previous));
      t.suffix(u.next_free) = saved;
      unsigned next = u.next_free + 1;
      while (next < u.table_limit && t.prefix(next) != free_mark) ++next;
      u.next_free = next;
    }
    previous = incoming;
  }
  out.finish();
  return unshrink_ok;
}
