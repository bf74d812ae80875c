// Placement arithmetic of the text: alignment of the glyph-cache path, its clip rectangle, and the
// native path's placement and cut.
#include "raster/pixtextlayout.h"

#include <gtest/gtest.h>

#include "raster/pixfont.h"

namespace {

TEST(TextLayout, CacheOriginByAlignment) {
  const IBox box(10, 5, 40, 25);
  int x = 0, y = 0;
  PIX_TextOrigin(box, 8, 6, 0, &x, &y);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 5);
  // Centre: 10 + (40 - 8 - 10) / 2 = 10 + 11 = 21; vertical centre: 5 + (25 - 6 - 5) / 2 = 12.
  PIX_TextOrigin(box, 8, 6, kTextCenter | kTextVCenter, &x, &y);
  EXPECT_EQ(x, 21);
  EXPECT_EQ(y, 12);
  // Right: 40 - 8; bottom: 25 - 6.
  PIX_TextOrigin(box, 8, 6, kTextRight | kTextBottom, &x, &y);
  EXPECT_EQ(x, 32);
  EXPECT_EQ(y, 19);
  // Text wider than the box: 10 + (40 - 35 - 10) / 2 = 10 + (-5 / 2) = 10 - 2 (toward zero).
  PIX_TextOrigin(box, 35, 6, kTextCenter, &x, &y);
  EXPECT_EQ(x, 8);
}

TEST(TextLayout, CacheClipIsTheBoxCutToTheTarget) {
  IBox c;
  EXPECT_TRUE(PIX_TextClip(IBox(-5, 3, 50, 7), 20, 10, 0, &c));
  EXPECT_EQ(c, IBox(0, 3, 20, 7));
  EXPECT_TRUE(PIX_TextClip(IBox(5, 5, 6, 6), 20, 10, kTextNoClip, &c));
  EXPECT_EQ(c, IBox(0, 0, 20, 10));
  EXPECT_FALSE(PIX_TextClip(IBox(25, 0, 30, 5), 20, 10, 0, &c));
  EXPECT_FALSE(PIX_TextClip(IBox(5, 5, 5, 9), 20, 10, 0, &c));
}

TEST(TextLayout, NativePlacementAndCut) {
  int x = 0, y = 0;
  IBox cut;
  // Centre: (10 + 40 - 8) / 2 = 21; vertical centre (5 + 25 - 6) / 2 = 12.
  ASSERT_TRUE(PIX_NativeTextPlacement(IBox(10, 5, 40, 25), 8, 6, kTextCenter | kTextVCenter, 100,
                                      100, &x, &y, &cut));
  EXPECT_EQ(x, 21);
  EXPECT_EQ(y, 12);
  EXPECT_EQ(cut, IBox(21, 12, 29, 18));
  // Cut by the box: text of 20 at x 10 in a box ending at 25 keeps 15 columns.
  ASSERT_TRUE(PIX_NativeTextPlacement(IBox(10, 0, 25, 30), 20, 6, 0, 100, 100, &x, &y, &cut));
  EXPECT_EQ(cut, IBox(10, 0, 25, 6));
  // Not cut by the box with kTextNoClip, only by the target (width 28).
  ASSERT_TRUE(PIX_NativeTextPlacement(IBox(10, 0, 25, 30), 20, 6, kTextNoClip, 28, 100, &x, &y, &cut));
  EXPECT_EQ(cut, IBox(10, 0, 28, 6));
  // Right-aligned past the left edge: the text keeps its place, the cut starts at 0.
  ASSERT_TRUE(PIX_NativeTextPlacement(IBox(-10, 0, 5, 30), 12, 6, kTextRight | kTextNoClip, 100,
                                      100, &x, &y, &cut));
  EXPECT_EQ(x, -7);
  EXPECT_EQ(cut, IBox(0, 0, 5, 6));
  EXPECT_FALSE(PIX_NativeTextPlacement(IBox(200, 0, 250, 30), 12, 6, 0, 100, 100, &x, &y, &cut));
}

}  // namespace
