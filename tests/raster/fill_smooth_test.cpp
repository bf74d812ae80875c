// 3x3 smoothing in place. Terms are whole words with every byte lane shifted on its own:
// half = lane >> 1, quarter = lane >> 2, eighth = lane >> 3; for a lane of 255: 127, 63, 31.
#include <gtest/gtest.h>

#include <vector>

#include "raster/pixfill.h"
#include "tests/raster/fill_views.h"

using filltest::GuardedView;

TEST(Smooth3x3, SingleWhitePixelSpreadsToItsEdgeNeighbours) {
  // White at (3, 3) of 7 x 7 black. Centre: half of 255 = 127 per lane. Its left and right
  // neighbours take an eighth of their unsmoothed left/right pixel (31); the one above takes an
  // eighth of the row below, the one below an eighth of the unsmoothed row above: 31. Diagonals 0.
  GuardedView v(7, 7, 2, false);
  v.At(3, 3) = 0xFFFFFFFFu;
  PIX_Smooth3x3(&v, 7, 7);
  EXPECT_TRUE(v.GuardsIntact());
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 7; ++x) {
      uint32_t want = 0;
      if (x == 3 && y == 3) want = 0x7F7F7F7Fu;
      if ((x == 2 || x == 4) && y == 3) want = 0x1F1F1F1Fu;
      if (x == 3 && (y == 2 || y == 4)) want = 0x1F1F1F1Fu;
      EXPECT_EQ(v.At(x, y), want) << x << "," << y;
    }
  }
}

TEST(Smooth3x3, LanesNeverCarryIntoEachOther) {
  // 0x01FF01FF: the 0x01 lanes lose their bit (1 >> 1 = 0, 1 >> 3 = 0), the 0xFF lanes give 127 and 31.
  GuardedView v(5, 5, 2, false);
  v.At(2, 2) = 0x01FF01FFu;
  PIX_Smooth3x3(&v, 5, 5);
  EXPECT_EQ(v.At(2, 2), 0x007F007Fu);
  EXPECT_EQ(v.At(1, 2), 0x001F001Fu);
  EXPECT_EQ(v.At(2, 3), 0x001F001Fu);
}

TEST(Smooth3x3, EdgeRowsAndTheLastRowReadingTheSmoothedRowAbove) {
  // White centre of 3 x 3 black.
  //  Row 0, other = unsmoothed row 1 (0, 255, 0): (1, 0) = quarter of 255 = 63; corners 0.
  //  Row 1, up = unsmoothed row 0 (zeros), down = row 2 (zeros):
  //    (0, 1) first pixel: quarter right = 63; (1, 1) half = 127; (2, 1) last: quarter left = 63.
  //  Row 2 (last), other = row 1 as it now stands (63, 127, 63):
  //    (0, 2): quarter 63 = 15; (1, 2): quarter 127 = 31; (2, 2): 15.
  GuardedView v(3, 3, 2, false);
  v.At(1, 1) = 0xFFFFFFFFu;
  PIX_Smooth3x3(&v, 3, 3);
  EXPECT_TRUE(v.GuardsIntact());
  const uint32_t want[3][3] = {{0, 0x3F3F3F3Fu, 0},
                               {0x3F3F3F3Fu, 0x7F7F7F7Fu, 0x3F3F3F3Fu},
                               {0x0F0F0F0Fu, 0x1F1F1F1Fu, 0x0F0F0F0Fu}};
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(v.At(x, y), want[y][x]) << x << "," << y;
  }
}

TEST(Smooth3x3, TwoByTwo) {
  // White at (0, 0). Row 0 (other = row 1, zeros): (0, 0) half 127; (1, 0) quarter left 63.
  // Row 1 is the last, other = smoothed row 0 (127, 63): (0, 1) quarter 127 = 31, (1, 1) quarter 63 = 15.
  GuardedView v(2, 2, 1, false);
  v.At(0, 0) = 0xFFFFFFFFu;
  PIX_Smooth3x3(&v, 2, 2);
  EXPECT_TRUE(v.GuardsIntact());
  EXPECT_EQ(v.At(0, 0), 0x7F7F7F7Fu);
  EXPECT_EQ(v.At(1, 0), 0x3F3F3F3Fu);
  EXPECT_EQ(v.At(0, 1), 0x1F1F1F1Fu);
  EXPECT_EQ(v.At(1, 1), 0x0F0F0F0Fu);
}

TEST(Smooth3x3, BottomUpBitmapIsWalkedFromItsTopRow) {
  // The 3 x 3 case above, stored bottom-up: the same words by row from the top.
  GuardedView v(3, 3, 2, true);
  v.At(1, 1) = 0xFFFFFFFFu;
  PIX_Smooth3x3(&v, 3, 3);
  EXPECT_TRUE(v.GuardsIntact());
  EXPECT_EQ(v.At(1, 0), 0x3F3F3F3Fu);
  EXPECT_EQ(v.At(1, 2), 0x1F1F1F1Fu);  // the last row from the top, stored first
  EXPECT_EQ(v.PixelData()[1], 0x1F1F1F1Fu);
  EXPECT_EQ(v.At(0, 2), 0x0F0F0F0Fu);
}

TEST(Smooth3x3, NarrowOrEmptyAreasChangeNothing) {
  GuardedView v(7, 7, 2, false);
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 7; ++x) v.At(x, y) = (x + y) % 2 ? 0xFFFFFFFFu : 0u;
  }
  std::vector<uint32_t> before;
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 7; ++x) before.push_back(v.At(x, y));
  }
  PIX_Smooth3x3(&v, 1, 5);
  PIX_Smooth3x3(&v, 5, 1);
  PIX_Smooth3x3(&v, 0, 7);
  PIX_Smooth3x3(&v, 7, -3);
  PIX_Smooth3x3(&v, -2147483647 - 1, 7);
  PIX_Smooth3x3(nullptr, 7, 7);
  PIX_MemBitmap empty(0, 0);
  PIX_Smooth3x3(&empty, 7, 7);
  EXPECT_TRUE(v.GuardsIntact());
  size_t i = 0;
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 7; ++x) EXPECT_EQ(v.At(x, y), before[i++]) << x << "," << y;
  }
}

TEST(Smooth3x3, AreaIsClampedAndPixelsOutsideItStayAndDoNotContribute) {
  // Area 5 x 5 of 7 x 7; columns 5-6 and rows 5-6 hold a pattern that must stay and must not leak in:
  // the area's last column has no right neighbour and its last row no row below.
  GuardedView v(7, 7, 2, false);
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 7; ++x) v.At(x, y) = (x >= 5 || y >= 5) ? 0xA5A5A5A5u : 0u;
  }
  v.At(2, 2) = 0xFFFFFFFFu;
  PIX_Smooth3x3(&v, 5, 5);
  EXPECT_TRUE(v.GuardsIntact());
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 7; ++x) {
      uint32_t want = (x >= 5 || y >= 5) ? 0xA5A5A5A5u : 0u;
      if (x == 2 && y == 2) want = 0x7F7F7F7Fu;
      if ((x == 1 || x == 3) && y == 2) want = 0x1F1F1F1Fu;
      if (x == 2 && (y == 1 || y == 3)) want = 0x1F1F1F1Fu;
      // Row 4 is the area's last row: a quarter of the smoothed (2, 3) above it, 31 >> 2 = 7.
      if (x == 2 && y == 4) want = 0x07070707u;
      EXPECT_EQ(v.At(x, y), want) << x << "," << y;
    }
  }
  // An area larger than the bitmap is the whole bitmap: the same as asking for 3 x 3.
  GuardedView a(3, 3, 2, false), b(3, 3, 2, false);
  a.At(1, 1) = b.At(1, 1) = 0xFFFFFFFFu;
  PIX_Smooth3x3(&a, 3, 3);
  PIX_Smooth3x3(&b, 1000, 2147483647);
  EXPECT_TRUE(b.GuardsIntact());
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(a.At(x, y), b.At(x, y));
  }
}

TEST(Smooth3x3, WideAreaUsesTheHeapBufferWithTheSameFormulas) {
  // 1500 pixels wide: more than the fixed two rows of 1024. White pixels at (700, 3) and at the
  // right end (1499, 3) of 1500 x 7 black.
  //  (700, 3): 127; (699, 3), (701, 3), (700, 2), (700, 4): 31 (eighths of an edge neighbour).
  //  (1499, 3) is the last pixel of an inner row: half 127. Its left neighbour (1498, 3) takes an
  //  eighth of it on the right: 31; above and below it (inner rows, last pixel): eighth down / up: 31.
  //  Row 5 reads the unsmoothed row 4 (black) and row 6 the smoothed row 5 (black): 0.
  GuardedView v(1500, 7, 2, false);
  v.At(700, 3) = 0xFFFFFFFFu;
  v.At(1499, 3) = 0xFFFFFFFFu;
  PIX_Smooth3x3(&v, 1500, 7);
  EXPECT_TRUE(v.GuardsIntact());
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 1500; ++x) {
      uint32_t want = 0;
      if ((x == 700 || x == 1499) && y == 3) want = 0x7F7F7F7Fu;
      if ((x == 699 || x == 701 || x == 1498) && y == 3) want = 0x1F1F1F1Fu;
      if ((x == 700 || x == 1499) && (y == 2 || y == 4)) want = 0x1F1F1F1Fu;
      ASSERT_EQ(v.At(x, y), want) << x << "," << y;
    }
  }
}
