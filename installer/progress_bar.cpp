// The progress bar's window procedure and painting; see progress_bar.h.
#include "installer/progress_bar.h"

#include "installer/private_messages.h"
#include "installer/setup_state.h"

namespace {

constexpr int position_offset = 0;  // the position's place in the window's extra bytes
constexpr int highlight_colour = 17;

OsRect shrunk(OsRect r, int by) {
  return OsRect{r.left + by, r.bottom + by, r.right - by, r.top - by};
}

// Returns the last fill's result.
std::intptr_t paint_progress_bar(OsWindow window) {
  OsRect rect{};
  os_QueryWinRect(window, &rect);
  const auto colour = static_cast<std::uint32_t>(os_QuerySysValue(highlight_colour));
  const ProgressGeometry g = progress_geometry(rect);
  const std::uint32_t position = os_QueryWindowULong(window, position_offset);

  OsPaint* paint = os_BeginPaint(window, 0, 0);
  os_NiceRCL(&g.frame, paint, -1);
  const OsRect inner = shrunk(g.frame, 1);
  os_NiceRCL(&inner, paint, 1);

  OsObject solid = os_CreateSolidBrush(colour);
  OsObject bitmap = nullptr;
  OsObject pattern = os_CreatePatternBrush(instance_handle, progress_pattern_bitmap, &bitmap);
  int result = 0;
  for (int i = 0; i < progress_cell_count; ++i) {
    const OsRect cell = progress_cell(g, i);
    result = os_FillRect(paint, &cell, progress_cell_filled(position, i) ? solid : pattern);
  }
  os_DeleteObject(solid);
  os_DeleteObject(pattern);
  os_DeleteObject(bitmap);
  os_EndPaint(paint);
  return result;
}

}  // namespace

std::intptr_t progress_bar_procedure(OsWindow window, unsigned message, std::uintptr_t first,
                                     std::intptr_t second) {
  switch (message) {
    case PB_SET_POSITION:
      os_SetWindowULong(window, position_offset, static_cast<std::uint32_t>(first));
      os_InvalidateRcl(window, nullptr, 0);
      return 0;
    case OS_WM_PAINT:
      return paint_progress_bar(window);
    default: {
      const OsRawMsg raw{window, message, first, second};
      return os_DefWinProc(&raw);
    }
  }
}
