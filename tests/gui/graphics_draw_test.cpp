// Drawing calls of the graphics object: skin frames and their clipping, the blend mapping checked
// pixel by pixel against the raster library's own output, and the text flags and measuring.
#include <gtest/gtest.h>

#include "fx/igraphics.h"
#include "raster/pixcombine.h"
#include "raster/pixdisc.h"
#include "raster/pixfill.h"
#include "raster/pixline.h"
#include "tests/gui/gui_harness.h"

using namespace guitest;

namespace {

// Pixel (x, y) of the gradient image holds x in green and y in blue (opaque), so that every
// source position can be told from the copied pixel.
PIX_MemBitmap* MakeGradient(int w, int h) {
  PIX_MemBitmap* b = new PIX_MemBitmap(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b->PixelData()[y * b->RowStride() + x] =
          0xFF000000u | static_cast<uint32_t>(x) << 8 | static_cast<uint32_t>(y);
  return b;
}

uint32_t Gradient(int x, int y) { return 0xFF000000u | static_cast<uint32_t>(x) << 8 | static_cast<uint32_t>(y); }

}  // namespace

TEST(GraphicsDraw, SixtyOneFrameStripDrawsFrame31FromRow1800) {
  TestEditor e(40, 100);
  const int id = UniqueSkinId();
  // 61 frames of 8 x 60: the strip is 8 x 3660.
  e.graphics->SetSkinMaker(id, [] { return MakeStrip(8, 60, 61); });
  const ISkinImage skin = e.graphics->LoadSkinImage(id, "knob.png", 61);
  ASSERT_NE(skin.image, nullptr);
  EXPECT_EQ(skin.height, 3660);
  // int(3660 x 30 / 61 + 0.5) = int(1800.5) = 1800.
  EXPECT_EQ(IGraphics::FrameOffset(skin, 31), 1800);
  EXPECT_EQ(IGraphics::FrameOffset(skin, 1), 0);
  // int(3660 x 60 / 61 + 0.5) = int(3600.5) = 3600: the last frame starts 60 rows before the end.
  EXPECT_EQ(IGraphics::FrameOffset(skin, 61), 3600);

  FillBitmap(e.graphics->BackBuffer(), 0);
  e.graphics->mPaintArea = IBox(0, 0, 40, 100);
  const IDrawBlend overwrite(MixOverwrite, 1.0f);
  EXPECT_TRUE(e.graphics->DrawSkinFrame(skin, IBox(10, 20, 18, 80), 31, &overwrite));
  // Rows 1800..1859 of the strip are frame index 30 (1800 / 60).
  PIX_IBitmap* bb = e.graphics->BackBuffer();
  for (int y = 20; y < 80; ++y)
    for (int x = 10; x < 18; ++x) ASSERT_EQ(PixelAt(bb, x, y), FrameColour(30)) << x << "," << y;
  EXPECT_EQ(PixelAt(bb, 9, 20), 0u);
  EXPECT_EQ(PixelAt(bb, 18, 20), 0u);
  EXPECT_EQ(PixelAt(bb, 10, 19), 0u);
  EXPECT_EQ(PixelAt(bb, 10, 80), 0u);
}

TEST(GraphicsDraw, KnobAtHalfDrawsFrame31ThroughRedraw) {
  TestEditor e(40, 100);
  const int id = UniqueSkinId();
  e.graphics->SetSkinMaker(id, [] { return MakeStrip(8, 60, 61); });
  const ISkinImage skin = e.graphics->LoadSkinImage(id, "knob.png", 61);
  IKnobMultiControl* knob = new IKnobMultiControl(&e.plug, IBox(4, 30, 12, 90), -1, skin);
  knob->mValue = 0.5;  // frame int(60 x 0.5 + 0.5) + 1 = 31
  e.graphics->AddControl(knob);
  FillBitmap(e.graphics->BackBuffer(), 0);
  e.graphics->RedrawRegion(IBox(0, 0, 40, 100));
  EXPECT_EQ(PixelAt(e.graphics->BackBuffer(), 4, 30), FrameColour(30));
  EXPECT_EQ(PixelAt(e.graphics->BackBuffer(), 11, 89), FrameColour(30));
  EXPECT_EQ(PixelAt(e.graphics->BackBuffer(), 12, 30), 0u);
}

TEST(GraphicsDraw, OneFrameImageCopiesFromTheOrigin) {
  TestEditor e(40, 40);
  const int id = UniqueSkinId();
  e.graphics->SetSkinMaker(id, [] { return MakeGradient(10, 10); });
  const ISkinImage img = e.graphics->LoadSkinImage(id, "pad.png");
  EXPECT_EQ(img.frameCount, 1);
  EXPECT_EQ(IGraphics::FrameOffset(img, 7), 0);
  FillBitmap(e.graphics->BackBuffer(), 0);
  e.graphics->mPaintArea = IBox(0, 0, 40, 40);
  // Whatever frame is asked for, a one-frame image starts at source (0, 0).
  e.graphics->DrawSkinFrame(img, IBox(5, 5, 15, 15), 7, nullptr);
  for (int j = 0; j < 10; ++j)
    for (int i = 0; i < 10; ++i)
      ASSERT_EQ(PixelAt(e.graphics->BackBuffer(), 5 + i, 5 + j), Gradient(i, j));
}

TEST(GraphicsDraw, SkinCopyIsClippedToThePaintAreaAndTheSourceFollows) {
  TestEditor e(40, 40);
  const int id = UniqueSkinId();
  e.graphics->SetSkinMaker(id, [] { return MakeGradient(10, 10); });
  const ISkinImage img = e.graphics->LoadSkinImage(id, "pad.png");
  FillBitmap(e.graphics->BackBuffer(), 0);
  // Destination (5, 5)-(15, 15) clipped to (8, 9)-(40, 40): the clip moved the left edge by 3 and
  // the top by 4, so back-buffer (8, 9) shows source (3, 4).
  e.graphics->mPaintArea = IBox(8, 9, 40, 40);
  e.graphics->DrawSkinImage(img, IBox(5, 5, 15, 15), 0, 0, nullptr);
  PIX_IBitmap* bb = e.graphics->BackBuffer();
  EXPECT_EQ(PixelAt(bb, 8, 9), Gradient(3, 4));
  EXPECT_EQ(PixelAt(bb, 14, 14), Gradient(9, 9));
  EXPECT_EQ(PixelAt(bb, 7, 9), 0u);
  EXPECT_EQ(PixelAt(bb, 8, 8), 0u);
  EXPECT_EQ(PixelAt(bb, 15, 14), 0u);
}

TEST(GraphicsDraw, SkinCopyNeverLeavesTheBackBuffer) {
  TestEditor e(20, 20);
  const int id = UniqueSkinId();
  e.graphics->SetSkinMaker(id, [] { return MakeGradient(30, 30); });
  const ISkinImage img = e.graphics->LoadSkinImage(id, "big.png");
  FillBitmap(e.graphics->BackBuffer(), 0);
  e.graphics->mPaintArea = IBox(-50, -50, 500, 500);
  // Hanging over every edge: the sanitizers watch the writes; the visible part is right.
  EXPECT_TRUE(e.graphics->DrawSkinImage(img, IBox(-5, -7, 25, 23), 0, 0, nullptr));
  EXPECT_EQ(PixelAt(e.graphics->BackBuffer(), 0, 0), Gradient(5, 7));
  EXPECT_EQ(PixelAt(e.graphics->BackBuffer(), 19, 15), Gradient(24, 22));
}

TEST(GraphicsDraw, SideBySideFramesOffsetTheSourceX) {
  TestEditor e(40, 40);
  const int id = UniqueSkinId();
  // Four 10 x 6 frames side by side: 40 x 6.
  e.graphics->SetSkinMaker(id, [] { return MakeStrip(10, 6, 4, true); });
  const ISkinImage img = e.graphics->LoadSkinImage(id, "switch.png", 4, true);
  // int(40 x 1 / 4 + 0.5) = 10, int(40 x 3 / 4 + 0.5) = 30.
  EXPECT_EQ(IGraphics::FrameOffset(img, 2), 10);
  EXPECT_EQ(IGraphics::FrameOffset(img, 4), 30);
  FillBitmap(e.graphics->BackBuffer(), 0);
  e.graphics->mPaintArea = IBox(0, 0, 40, 40);
  e.graphics->DrawSkinFrame(img, IBox(0, 0, 10, 6), 3, nullptr);
  EXPECT_EQ(PixelAt(e.graphics->BackBuffer(), 0, 0), FrameColour(2));
  EXPECT_EQ(PixelAt(e.graphics->BackBuffer(), 9, 5), FrameColour(2));
}

TEST(GraphicsDraw, AnEmptySkinDrawsNothing) {
  TestEditor e(20, 20);
  FillBitmap(e.graphics->BackBuffer(), 0x12345678u);
  e.graphics->mPaintArea = IBox(0, 0, 20, 20);
  const ISkinImage empty;
  EXPECT_TRUE(e.graphics->DrawSkinFrame(empty, IBox(0, 0, 20, 20), 1, nullptr));
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(PixelAt(e.graphics->BackBuffer(), x, y), 0x12345678u);
}

TEST(GraphicsDraw, ASkinThatCannotBeDecodedFailsItsAssertionOrGivesAnEmptySkin) {
  TestEditor e(20, 20);
  const int id = UniqueSkinId();  // no maker: the decoder gives null
#ifdef NDEBUG
  const ISkinImage img = e.graphics->LoadSkinImage(id, "missing.png", 61);
  EXPECT_EQ(img.image, nullptr);
  EXPECT_EQ(img.width, 0);
  EXPECT_EQ(img.height, 0);
  EXPECT_EQ(img.frameCount, 1);
  // Nothing was cached, and a backdrop made from it draws nothing.
  EXPECT_EQ(FindSkinImage(id), nullptr);
  e.graphics->SetBackdrop(id, "missing.png");
  ASSERT_EQ(e.graphics->ControlCount(), 1);
  FillBitmap(e.graphics->BackBuffer(), 0x0F0F0F0Fu);
  e.graphics->RedrawRegion(IBox(0, 0, 20, 20));
  EXPECT_EQ(PixelAt(e.graphics->BackBuffer(), 0, 0), 0x0F0F0F0Fu);
#else
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(e.graphics->LoadSkinImage(id, "missing.png", 61), "imgResourceFound");
#endif
}

// A control whose repaint goes through every drawing call, against the same operations made
// directly with the raster library on a second bitmap. The mode words and weights on the
// reference side are written out from the blend mapping: null and MixAlpha 0x10000,
// MixOverwrite 0, MixAdditive 0x10001, MixDodge 0x10002; the weight is the blend's weight.
TEST(GraphicsDraw, ControlRepaintMatchesTheRasterLibraryPixelForPixel) {
  TestEditor e(64, 48);
  const int id = UniqueSkinId();
  e.graphics->SetSkinMaker(id, [] { return MakeStrip(8, 8, 4); });
  const ISkinImage strip = e.graphics->LoadSkinImage(id, "leds.png", 4);

  RecordingControl* c = e.Add(IBox(0, 0, 64, 48));
  c->draw = [&strip](IGraphics* g) {
    const IDrawBlend overwrite(MixOverwrite, 1.0f), additive(MixAdditive, 0.5f),
        dodge(MixDodge, 0.75f), alpha(MixAlpha, 0.5f), odd(7, 0.6f);
    g->FillArea(IArgb(255, 10, 20, 30), IBox(0, 0, 64, 48), &overwrite);
    g->FillArea(IArgb(128, 200, 100, 50), IBox(5, 6, 40, 30), nullptr);
    g->FillArea(IArgb(255, 1, 2, 3), IBox(30, 30, 50, 44), &odd);
    g->FillDisc(IArgb(255, 0, 200, 0), 30, 20, 9.5f, &additive, true);
    g->FillDisc(IArgb(200, 90, 0, 90), 12, 36, 6.0f, nullptr, false);
    g->StrokeLine(IArgb(255, 255, 0, 0), 2.7f, 3.2f, 60.9f, 44.1f, &dodge, true);
    g->StrokeLine(IArgb(255, 0, 0, 255), 60.0f, 2.0f, 3.0f, 40.0f, nullptr, false);
    g->DrawSkinFrame(strip, IBox(50, 2, 58, 10), 3, &alpha);
    g->OutlineArea(IBox(1, 1, 62, 46));
    return true;
  };
  e.graphics->RedrawRegion(IBox(0, 0, 64, 48));
  EXPECT_EQ(c->draws, 1);

  PIX_MemBitmap ref(64, 48);
  PIX_FillArea(&ref, 0, 0, 64, 48, 0xFF0A141Eu, 1.0f, 0);
  PIX_FillArea(&ref, 5, 6, 35, 24, 0x80C86432u, 1.0f, 0x10000);
  PIX_FillArea(&ref, 30, 30, 20, 14, 0xFF010203u, 0.6f, 0x10000);  // unknown method: as MixAlpha
  PIX_FillDisc(&ref, 30.0f, 20.0f, 9.5f, 0xFF00C800u, 0.5f, 0x10001, true);
  PIX_FillDisc(&ref, 12.0f, 36.0f, 6.0f, 0xC85A005Au, 1.0f, 0x10000, false);
  PIX_StrokeLine(&ref, 2, 3, 60, 44, 0xFFFF0000u, 0.75f, 0x10002, true);  // truncated ends
  PIX_StrokeLine(&ref, 60, 2, 3, 40, 0xFF0000FFu, 1.0f, 0x10000, false);
  // Frame 3 of four 8-pixel frames: source y int(32 x 2 / 4 + 0.5) = 16.
  const IBox frame3(0, 16, 8, 24);
  PIX_CopyRegion(&ref, strip.image, 50, 2, &frame3, 0.5f, 0x10000);
  // The outline: top, bottom, left, right in green, plain copy.
  PIX_StrokeLine(&ref, 1, 1, 62, 1, 0xFF00FF00u, 1.0f, 0, false);
  PIX_StrokeLine(&ref, 1, 46, 62, 46, 0xFF00FF00u, 1.0f, 0, false);
  PIX_StrokeLine(&ref, 1, 1, 1, 46, 0xFF00FF00u, 1.0f, 0, false);
  PIX_StrokeLine(&ref, 62, 1, 62, 46, 0xFF00FF00u, 1.0f, 0, false);

  std::string where;
  EXPECT_TRUE(SamePixels(e.graphics->BackBuffer(), &ref, &where)) << "first difference at " << where;
}

// ---- text

TEST(GraphicsText, FlagsFollowAlignmentAndColourAlpha) {
  TestEditor e(100, 100);
  RecordingFont font;
  IFontSpec style;
  style.font = &font;
  IBox area(10, 10, 90, 30);

  // Opaque, centred: single line 0x20 | vcenter 0x4 | no clip 0x100 | centre 0x1.
  EXPECT_TRUE(e.graphics->DrawTextBox(&style, "Hi", &area, false));
  ASSERT_EQ(font.calls.size(), 1u);
  EXPECT_EQ(font.calls[0].flags, 0x125);
  EXPECT_EQ(font.calls[0].box, area);
  EXPECT_EQ(font.calls[0].colour, 0xFF000000u);
  EXPECT_TRUE(font.calls[0].hadTarget);
  EXPECT_EQ(area, IBox(10, 10, 90, 30));  // drawing leaves the caller's area alone

  style.colour = IArgb(128, 255, 0, 0);  // alpha below 255 adds 0x40000000
  e.graphics->DrawTextBox(&style, "Hi", &area, false);
  EXPECT_EQ(font.calls[1].flags, 0x40000125);
  EXPECT_EQ(font.calls[1].colour, 0x80FF0000u);

  style.colour = IArgb(255, 0, 0, 0);
  style.align = 0;
  e.graphics->DrawTextBox(&style, "Hi", &area, false);
  EXPECT_EQ(font.calls[2].flags, 0x124);
  style.align = 2;
  e.graphics->DrawTextBox(&style, "Hi", &area, false);
  EXPECT_EQ(font.calls[3].flags, 0x126);
  style.align = 5;  // any other non-zero alignment is right
  e.graphics->DrawTextBox(&style, "Hi", &area, false);
  EXPECT_EQ(font.calls[4].flags, 0x126);
}

TEST(GraphicsText, EmptyTextDrawsNothingAndSucceeds) {
  TestEditor e(100, 100);
  RecordingFont font;
  IFontSpec style;
  style.font = &font;
  IBox area(0, 0, 10, 10);
  EXPECT_TRUE(e.graphics->DrawTextBox(&style, "", &area, false));
  EXPECT_TRUE(e.graphics->DrawTextBox(&style, nullptr, &area, true));
  EXPECT_TRUE(font.calls.empty());
}

TEST(GraphicsText, MeasuringCentredKeepsTheCentre) {
  TestEditor e(640, 480);
  RecordingFont font;  // 7 pixels a character, 16 high
  IFontSpec style;
  style.font = &font;
  style.colour = IArgb(100, 0, 0, 0);

  // "-19.0": w = 5 x 7 = 35, h = 16. Centre int((445 + 505) x 0.5) = 475; left = 475 - 35 / 2 =
  // 475 - 17 = 458; right = 458 + 35 = 493; bottom = 35 + 16 = 51.
  IBox area(445, 35, 505, 53);
  EXPECT_TRUE(e.graphics->MeasureTextBox(&style, "-19.0", &area));
  EXPECT_EQ(area, IBox(458, 35, 493, 51));
  EXPECT_EQ(static_cast<int>((area.mLeft + area.mRight) * 0.5f), 475);
  ASSERT_EQ(font.calls.size(), 1u);
  EXPECT_EQ(font.calls[0].flags, 0x40000525);  // measuring adds 0x400
  EXPECT_EQ(font.calls[0].box, IBox());        // measured in an all-zero box

  // Left: right := left + w. Right: left := right - w.
  style.align = 0;
  area = IBox(445, 35, 505, 53);
  e.graphics->DrawTextBox(&style, "-19.0", &area, true);
  EXPECT_EQ(area, IBox(445, 35, 480, 51));
  style.align = 2;
  area = IBox(445, 35, 505, 53);
  e.graphics->DrawTextBox(&style, "-19.0", &area, true);
  EXPECT_EQ(area, IBox(470, 35, 505, 51));
}

#ifndef _WIN32
TEST(GraphicsText, NoPlatformFontMeansNoText) {
  TestEditor e(100, 100);
  IFontSpec style;
  IBox area(0, 0, 50, 20);
  EXPECT_FALSE(e.graphics->DrawTextBox(&style, "-19.0", &area, false));
  EXPECT_FALSE(e.graphics->MeasureTextBox(&style, "-19.0", &area));
  EXPECT_EQ(style.font, nullptr);
  EXPECT_EQ(area, IBox(0, 0, 50, 20));
}
#endif

TEST(GraphicsDraw, ShowBoundsOutlinesEveryControlButTheBackdrop) {
  TestEditor e(200, 100);
  e.Add(IBox(0, 0, 200, 100));
  e.Add(IBox(20, 20, 40, 30));
  e.graphics->mShowBounds = true;
  FillBitmap(e.graphics->BackBuffer(), 0);
  e.graphics->RedrawRegion(IBox(0, 0, 200, 100));
  PIX_IBitmap* bb = e.graphics->BackBuffer();
  EXPECT_EQ(PixelAt(bb, 20, 20), 0xFF00FF00u);
  EXPECT_EQ(PixelAt(bb, 40, 30), 0xFF00FF00u);
  EXPECT_EQ(PixelAt(bb, 30, 25), 0u);
  EXPECT_EQ(PixelAt(bb, 0, 50), 0u);  // the backdrop's edge stays unmarked
}
