// The sliding window of explode and unreduce: output collects at the front
// of output_window and goes to flush_output each time the window is full.
//
// A match is copied in pieces that end at the window's end or where its
// source wraps. Until the window has been written out once, a source at or
// above the write position lies before the member's first byte; such a piece
// is filled with zeros, so output never depends on what output_window held
// before the member (another member's data, or unshrink's tables).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/engine_state.h"
#include "engine/output_stream.h"

template <unsigned Size>
class LegacyWindow {
  static_assert((Size & (Size - 1)) == 0 && Size <= output_window_size);

 public:
  explicit LegacyWindow(EngineState& s) : s_(s), w_(s.out.output_window.data()) {}

  void put(std::uint8_t b) {
    w_[pos_++] = b;
    if (pos_ == Size) [[unlikely]]
      flush_full();
  }

  // Copies `length` bytes from `distance` back (distance taken modulo Size).
  void copy(unsigned distance, unsigned length) {
    unsigned src = (pos_ - distance) & (Size - 1);
    while (length > 0) {
      unsigned piece = std::min(Size - std::max(src, pos_), length);
      if (!written_ && src >= pos_) {
        std::memset(w_ + pos_, 0, piece);
      } else if (src < pos_ && pos_ - src >= piece) {
        std::memcpy(w_ + pos_, w_ + src, piece);
      } else if (src > pos_) {
        std::memmove(w_ + pos_, w_ + src, piece);  // source ahead: the same as a forward copy
      } else {
        for (unsigned i = 0; i < piece; ++i) w_[pos_ + i] = w_[src + i];  // overlap repeats the bytes
      }
      src = (src + piece) & (Size - 1);
      pos_ += piece;
      length -= piece;
      if (pos_ == Size) flush_full();
    }
  }

  // Passes the partial window on; returns flush_output's result.
  int finish() { return flush_output(s_, w_, pos_, 0); }

 private:
  void flush_full() {
    (void)flush_output(s_, w_, Size, 0);
    pos_ = 0;
    written_ = true;
  }

  EngineState& s_;
  std::uint8_t* w_;
  unsigned pos_ = 0;
  bool written_ = false;
};
