// The font table and text drawing with real GDI fonts (Windows builds).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "fx/guicaches.h"
#include "raster/pixfont.h"
#include "tests/gui/gui_harness.h"

using namespace guitest;

TEST(FontTableWin, StylesDifferingOnlyInColourAlignmentOrQualityShareOneFont) {
  IFontSpec a;
  std::strcpy(a.face, "Arial");
  a.size = 14;
  PIX_CachedFont* fa = FontForStyle(&a);
  ASSERT_NE(fa, nullptr);
  EXPECT_EQ(a.font, fa);
  EXPECT_NE(fa->FontHandle(), nullptr);
  // The font owns its handle and may take the native path (0x200 | 0x400).
  EXPECT_EQ(fa->Flags() & 0x600, 0x600);

  IFontSpec b = a;
  b.font = nullptr;
  b.colour = IArgb(128, 255, 0, 0);
  b.align = 2;
  b.quality = 3;
  b.fieldBack = IArgb(255, 1, 2, 3);
  EXPECT_EQ(FontForStyle(&b), fa);
  EXPECT_EQ(b.font, fa);

  // Size, weight, orientation and face are the key.
  IFontSpec c = a;
  c.font = nullptr;
  c.size = 15;
  PIX_CachedFont* fc = FontForStyle(&c);
  ASSERT_NE(fc, nullptr);
  EXPECT_NE(fc, fa);
  IFontSpec d = a;
  d.font = nullptr;
  d.weightStyle = 1;
  PIX_CachedFont* fd = FontForStyle(&d);
  EXPECT_NE(fd, fa);
  EXPECT_NE(fd, fc);
  IFontSpec t = a;
  t.font = nullptr;
  std::strcpy(t.face, "Tahoma");
  EXPECT_NE(FontForStyle(&t), fa);
  // And again: the same entries.
  IFontSpec d2 = d;
  d2.font = nullptr;
  EXPECT_EQ(FontForStyle(&d2), fd);
}

TEST(FontTableWin, MeasuringMinus19CentredKeepsTheCentre) {
  TestEditor e(640, 480);
  IFontSpec style;
  std::strcpy(style.face, "Arial");
  style.size = 14;
  style.align = 1;
  PIX_CachedFont* font = FontForStyle(&style);
  ASSERT_NE(font, nullptr);
  // The text's own width and height, from the font.
  IBox own;
  font->RenderText(e.graphics->BackBuffer(), "-19.0", -1, &own, 0x124 | 0x1 | 0x400);
  const int w = own.mRight - own.mLeft;
  const int h = own.mBottom - own.mTop;
  ASSERT_GT(w, 0);
  ASSERT_GT(h, 0);

  IBox area(445, 35, 505, 53);
  EXPECT_TRUE(e.graphics->MeasureTextBox(&style, "-19.0", &area));
  EXPECT_EQ(area.mRight - area.mLeft, w);
  // left = 475 - w / 2 and right = left + w: the centre stays at 475 (475.5 for an odd width,
  // which truncates to 475).
  EXPECT_EQ(area.mLeft, 475 - w / 2);
  EXPECT_EQ(static_cast<int>((area.mLeft + area.mRight) * 0.5f), 475);
  EXPECT_EQ(area.mTop, 35);
  EXPECT_EQ(area.mBottom, 35 + h);
}

namespace {
// The brightest green channel in a box of the back buffer.
int MaxGreen(PIX_IBitmap* bb, const IBox& box) {
  int best = 0;
  for (int y = box.mTop; y < box.mBottom; ++y)
    for (int x = box.mLeft; x < box.mRight; ++x) {
      const int g = static_cast<int>((PixelAt(bb, x, y) >> 8) & 0xFF);
      if (g > best) best = g;
    }
  return best;
}
}  // namespace

TEST(FontTableWin, TextWithColourAlphaIsWeighted) {
  TestEditor e(200, 60);
  IFontSpec style;
  std::strcpy(style.face, "Arial");
  style.size = 20;
  style.align = 0;
  style.colour = IArgb(255, 0, 255, 0);
  const IBox area(10, 10, 190, 50);

  FillBitmap(e.graphics->BackBuffer(), 0xFF000000u);
  IBox box = area;
  ASSERT_TRUE(e.graphics->DrawTextBox(&style, "HHHH", &box, false));
  const int opaque = MaxGreen(e.graphics->BackBuffer(), area);
  EXPECT_GT(opaque, 200);

  // Alpha 128: the glyphs are weighted by 128 / 255, so the brightest pixel is about half.
  style.colour = IArgb(128, 0, 255, 0);
  FillBitmap(e.graphics->BackBuffer(), 0xFF000000u);
  box = area;
  ASSERT_TRUE(e.graphics->DrawTextBox(&style, "HHHH", &box, false));
  const int weighted = MaxGreen(e.graphics->BackBuffer(), area);
  EXPECT_GT(weighted, 0);
  EXPECT_LT(weighted, 160);
  EXPECT_GT(weighted, 100);
}

TEST(FontTableWin, TextControlsDrawWithTheSharedFont) {
  TestEditor e(100, 40);
  IFontSpec style;
  std::strcpy(style.face, "Tahoma");
  style.size = 12;
  style.colour = IArgb(255, 255, 255, 255);
  IBox area(0, 0, 100, 40);
  FillBitmap(e.graphics->BackBuffer(), 0xFF000000u);
  EXPECT_TRUE(e.graphics->DrawTextBox(&style, "500", &area, false));
  EXPECT_NE(style.font, nullptr);
  EXPECT_GT(MaxGreen(e.graphics->BackBuffer(), IBox(0, 0, 100, 40)), 100);
}
