// The progress bar control (window class "ProgressBar", control 308 of the
// main dialog): a gauge of 20 cells in 10 segments of two, filled cells in
// the highlight colour, empty cells in a grey checkered pattern.
//
// The position (percent, unsigned 32 bits) lives in the window's 4 extra
// bytes, 0 when the window is made. PB_SET_POSITION stores it and
// invalidates the window; drawing waits for the next paint, so several
// positions between two paints cost one drawing. Every paint reads the
// position, rectangle and colour afresh and creates and releases its brushes
// and the pattern bitmap.
//
// Geometry for a window `width` pixels wide: segment width
// w = (width - 6) / 10, cell width c = (w - 1) / 2; the frame spans the ten
// segments plus a 3-pixel border on each side (10w + 5 pixels; the pixels
// right of it keep the class background); cell i starts (i / 2) * w +
// (i % 2) * c pixels into the frame's inside and is c wide.
#pragma once

#include <cstdint>

#include "platform/os_layer.h"

inline constexpr int progress_cell_count = 20;
inline constexpr int progress_segment_count = 10;
inline constexpr int progress_percent_per_cell = 100 / progress_cell_count;
inline constexpr int progress_border = 3;
inline constexpr int progress_pattern_bitmap = 2;

struct ProgressGeometry {
  int segment_width;  // w
  int cell_width;     // c
  OsRect frame;       // the outer frame, window coordinates
  OsRect inside;      // inside the 3-pixel border: the cells' area
};

// The layout of the bar in a window rectangle (layer coordinates).
[[nodiscard]] constexpr ProgressGeometry progress_geometry(OsRect window) {
  ProgressGeometry g{};
  g.segment_width = (window.right - window.left - 2 * progress_border) / progress_segment_count;
  g.cell_width = (g.segment_width - 1) / 2;
  g.frame = window;
  g.frame.right = window.left + progress_segment_count * g.segment_width + 5;
  g.inside = OsRect{g.frame.left + progress_border, g.frame.bottom + progress_border,
                    g.frame.right - progress_border, g.frame.top - progress_border};
  return g;
}

// Cell i's rectangle (0..19).
[[nodiscard]] constexpr OsRect progress_cell(const ProgressGeometry& g, int i) {
  const int left = g.inside.left + (i / 2) * g.segment_width + (i % 2) * g.cell_width;
  return OsRect{left, g.inside.bottom, left + g.cell_width, g.inside.top};
}

// Cells drawn solid at a position: all below position / 5.
[[nodiscard]] constexpr bool progress_cell_filled(std::uint32_t position, int i) {
  return static_cast<std::uint32_t>(i) < position / progress_percent_per_cell;
}

std::intptr_t progress_bar_procedure(OsWindow window, unsigned message, std::uintptr_t first,
                                     std::intptr_t second);
