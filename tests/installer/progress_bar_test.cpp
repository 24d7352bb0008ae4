// The progress bar: its geometry for a range of widths, which cells are solid
// at a position, and a real window painted over and over without keeping
// drawing objects.
#include <gtest/gtest.h>

#include "installer/private_messages.h"
#include "installer/progress_bar.h"
#include "installer/setup_names.h"
#include "installer/startup.h"
#include "platform/os_layer.h"

namespace {

TEST(ProgressGeometry, FrameAndCellsForWidths) {
  // width => segment width, cell width, pixels right of the frame
  const struct {
    int width;
    int segment;
    int cell;
    int after_frame;
  } cases[] = {
      {591, 58, 28, 6},                  // the dialog's bar at the default dialog font
      {26, 2, 0, 1},                     // narrowest with whole segments: empty cells, still a frame
      {36, 3, 1, 1},    {45, 3, 1, 10},  // (45 - 6) mod 10 + 1
      {46, 4, 1, 1},    {400, 39, 19, 5},
  };
  for (const auto& c : cases) {
    const ProgressGeometry g = progress_geometry(OsRect{0, 0, c.width, 24});
    EXPECT_EQ(g.segment_width, c.segment) << "width " << c.width;
    EXPECT_EQ(g.cell_width, c.cell) << "width " << c.width;
    EXPECT_EQ(c.width - g.frame.right, c.after_frame) << "width " << c.width;
    EXPECT_EQ(c.width - g.frame.right, (c.width - 6) % 10 + 1) << "width " << c.width;
    EXPECT_EQ(g.inside.left, 3);
    EXPECT_EQ(g.inside.bottom, 3);
    EXPECT_EQ(g.inside.top, 21);
    // Cells stay inside the frame and never touch across a segment gap.
    for (int i = 0; i < progress_cell_count; ++i) {
      const OsRect cell = progress_cell(g, i);
      EXPECT_GE(cell.left, g.inside.left) << "width " << c.width << " cell " << i;
      EXPECT_LE(cell.right, g.inside.right) << "width " << c.width << " cell " << i;
      if (i % 2 == 1 && i + 1 < progress_cell_count && c.cell > 0) {
        EXPECT_GE(progress_cell(g, i + 1).left - cell.right, 1) << "width " << c.width << " gap after " << i;
      }
      if (i % 2 == 1) {
        EXPECT_EQ(cell.left, progress_cell(g, i - 1).right) << "pair " << i;
      }
    }
  }
}

TEST(ProgressGeometry, SolidCellsByPosition) {
  const struct {
    std::uint32_t position;
    int solid;
  } cases[] = {{0, 0}, {4, 0}, {5, 1}, {9, 1}, {10, 2}, {99, 19}, {100, 20}, {250, 20}, {0xFFFFFFFFu, 20}};
  for (const auto& c : cases) {
    int solid = 0;
    for (int i = 0; i < progress_cell_count; ++i) solid += progress_cell_filled(c.position, i) ? 1 : 0;
    EXPECT_EQ(solid, c.solid) << "position " << c.position;
    // Solid cells come first.
    for (int i = 0; i < c.solid; ++i) EXPECT_TRUE(progress_cell_filled(c.position, i)) << c.position;
  }
}

TEST(ProgressBarWindow, RepeatedPaintsKeepNoDrawingObjects) {
  os_Initialize(0, ".", 0);
  ASSERT_NE(add_window_class(progress_bar_class, progress_bar_procedure, 0, 0), 0);
  OsWindow bar = os_CreateWindow(progress_bar_class, "bar", nullptr, 100, 100, 300, 40);
  ASSERT_NE(bar, nullptr);
  os_ShowWindow(bar, 1);

  const int live_before = os_TestLiveDrawingObjects();
  const int paints_before = os_TestPaintsBegun();
  constexpr int rounds = 60;
  for (int round = 0; round < rounds; ++round) {
    EXPECT_EQ(os_SendMsg(bar, PB_SET_POSITION, static_cast<std::uintptr_t>(round * 2), 0), 0);
    EXPECT_EQ(os_QueryWindowULong(bar, 0), static_cast<std::uint32_t>(round * 2));
    os_UpdateWindow(bar);
  }
  EXPECT_EQ(os_TestPaintsBegun() - paints_before, rounds);
  EXPECT_EQ(os_TestLiveDrawingObjects(), live_before);
  os_DestroyWindow(bar);
}

}  // namespace
