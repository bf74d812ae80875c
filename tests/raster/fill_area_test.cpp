// Filled rectangles: clipping, the whole-word loops of mode 0, the per-pixel modes with the weight as
// the source alpha, and the cases that change nothing. Expected words are worked out by hand in the
// comments (integer division truncates toward zero; W = weight x 256 truncated).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "raster/pixcombine.h"
#include "raster/pixfill.h"
#include "tests/raster/fill_views.h"

using filltest::GuardedView;

namespace {

// One pixel p filled with the colour, in a guarded 1 x 1 view; returns the new pixel.
uint32_t FillOne(uint32_t p, uint32_t colour, float weight, int mode) {
  GuardedView v(1, 1, 2, false);
  v.At(0, 0) = p;
  PIX_FillArea(&v, 0, 0, 1, 1, colour, weight, mode);
  EXPECT_TRUE(v.GuardsIntact());
  return v.At(0, 0);
}

}  // namespace

TEST(FillArea, SourceAlphaWeightMixesByTheColoursAlpha) {
  // Colour (A 150, R 255, G 202, B 63) = 0x96FFCA3F, mode 0x10000, weight 1.0, over 0xFF000000:
  //   weight = 1.0 x 150 / 255 = 0.588235..., W = 150.588... truncated = 150, keep = 256 - 150 = 106.
  //   Mode 0, W not 256/128/64/192: per lane c + (d - c) x 106 / 256, alpha W + (d - W) x 106 / 256.
  //   R: 255 + (0 - 255) x 106 / 256 = 255 - 27030 / 256 = 255 - 105 = 150 = 0x96
  //   G: 202 + (0 - 202) x 106 / 256 = 202 - 21412 / 256 = 202 - 83  = 119 = 0x77
  //   B:  63 + (0 -  63) x 106 / 256 =  63 -  6678 / 256 =  63 - 26  =  37 = 0x25
  //   A: 150 + (255 - 150) x 106 / 256 = 150 + 11130 / 256 = 150 + 43 = 193 = 0xC1
  EXPECT_EQ(FillOne(0xFF000000u, 0x96FFCA3Fu, 1.0f, 0x10000), 0xC1967725u);
}

TEST(FillArea, NegativeOriginIsClipped) {
  // (-5, 2, 10, 3) on 100 x 100: x = 0 with w = 10 - 5 = 5, so columns 0-4 of rows 2-4.
  PIX_MemBitmap bm(100, 100);
  PIX_FillArea(&bm, 0, 0, 100, 100, 0x11111111u, 1.0f, 0);
  PIX_FillArea(&bm, -5, 2, 10, 3, 0xFFABCDEFu, 1.0f, 0x10000);  // alpha 255: stores the word
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 100; ++x) {
      const bool inside = x <= 4 && y >= 2 && y <= 4;
      ASSERT_EQ(bm.PixelData()[y * bm.RowStride() + x], inside ? 0xFFABCDEFu : 0x11111111u) << x << "," << y;
    }
  }
}

TEST(FillArea, RectangleRunningPastTheBitmapIsCut) {
  GuardedView v(6, 4, 3, false);
  PIX_FillArea(&v, 4, 2, 1000, 1000, 0x12345678u, 1.0f, 0);
  EXPECT_TRUE(v.GuardsIntact());
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) EXPECT_EQ(v.At(x, y), (x >= 4 && y >= 2) ? 0x12345678u : 0u);
  }
}

TEST(FillArea, SourceAlphaFlagPicksTheWordLoops) {
  // Colour alpha 255: weight 1.0 x 255 / 255 = 1, W = 256: the colour word is stored as it is.
  EXPECT_EQ(FillOne(0x12345678u, 0xFF123456u, 1.0f, 0x10000), 0xFF123456u);
  // Colour alpha 0: weight 0, nothing changes.
  EXPECT_EQ(FillOne(0x12345678u, 0x00FFFFFFu, 1.0f, 0x10000), 0x12345678u);
  // Colour alpha 128: 128 / 255 x 256 = 128.5, W = 128: each lane p / 2 + c / 2, halves rounded down
  // on their own. p = 0x01010101 -> 0x00000000, c = 0x80030303 -> 0x40010101; sum 0x40010101.
  // (The per-lane mix would give 3 + (1 - 3) x 128 / 256 = 2 in the low lanes instead.)
  EXPECT_EQ(FillOne(0x01010101u, 0x80030303u, 1.0f, 0x10000), 0x40010101u);
  // Colour alpha 64: 64 / 255 x 256 = 64.25, W = 64: p / 2 + p / 4 + c / 4 per lane.
  // p = 0x80808080: 0x40404040 + 0x20202020; c = 0x40FF8040: c / 4 = 0x103F2010.
  // Lanes: 0x40 + 0x20 + 0x10 = 0x70, 0x60 + 0x3F = 0x9F, 0x60 + 0x20 = 0x80, 0x60 + 0x10 = 0x70.
  EXPECT_EQ(FillOne(0x80808080u, 0x40FF8040u, 1.0f, 0x10000), 0x709F8070u);
}

TEST(FillArea, ModeZeroWordLoopsAtTheSimpleWeights) {
  const uint32_t p = 0x80808080u, c = 0x40FF8040u;
  // 1.0: the colour word, alpha byte included.
  EXPECT_EQ(FillOne(p, c, 1.0f, 0), c);
  // 0.5: p / 2 + c / 2 = 0x40404040 + 0x207F4020 = 0x60BF8060.
  EXPECT_EQ(FillOne(p, c, 0.5f, 0), 0x60BF8060u);
  // 0.25: p / 2 + p / 4 + c / 4 = 0x60606060 + 0x103F2010 = 0x709F8070.
  EXPECT_EQ(FillOne(p, c, 0.25f, 0), 0x709F8070u);
  // 0.75: p / 4 + c / 4 + c / 2 = 0x20202020 + 0x103F2010 + 0x207F4020:
  //   0x20 + 0x10 + 0x20 = 0x50, 0x20 + 0x3F + 0x7F = 0xDE, 0x20 + 0x20 + 0x40 = 0x80, 0x50.
  EXPECT_EQ(FillOne(p, c, 0.75f, 0), 0x50DE8050u);
}

TEST(FillArea, ModeZeroOtherWeightsMixPerLane) {
  // Weight 0.3: W = 76.8 truncated = 76, keep 180, over a pixel 0 with colour (R 200, G 100, B 50):
  //   A: 76 + (0 - 76) x 180 / 256 = 76 - 13680 / 256 = 76 - 53 = 23 = 0x17
  //   R: 200 - 36000 / 256 = 200 - 140 = 60 = 0x3C;  G: 100 - 18000 / 256 = 100 - 70 = 30 = 0x1E
  //   B: 50 - 9000 / 256 = 50 - 35 = 15 = 0x0F. The colour's own alpha byte plays no part.
  EXPECT_EQ(FillOne(0x00000000u, 0xFFC86432u, 0.3f, 0), 0x173C1E0Fu);
  EXPECT_EQ(FillOne(0x00000000u, 0x00C86432u, 0.3f, 0), 0x173C1E0Fu);
}

TEST(FillArea, CombiningModesUseTheWeightAsSourceAlpha) {
  // Weight 0.5 (W = 128) over d = 0x10203040 (A 16, R 32, G 48, B 64), colour R 100, G 200, B 50;
  // the source alpha is W = 128.
  const uint32_t d = 0x10203040u, c = 0x0064C832u;
  // Add: d + s x 128 / 256 per lane: A 16 + 64 = 80, R 32 + 50 = 82, G 48 + 100 = 148, B 64 + 25 = 89.
  EXPECT_EQ(FillOne(d, c, 0.5f, kRasterAdd), 0x50529459u);
  // Dodge: q = 256 - s x 128 / 256, lane d x 256 / q: A 4096 / 192 = 21, R 8192 / 206 = 39,
  // G 12288 / 156 = 78, B 16384 / 231 = 70.
  EXPECT_EQ(FillOne(d, c, 0.5f, kRasterDodge), 0x15274E46u);
  // Multiply: (128 s + 256 x 128) x d >> 16: A 49152 x 16 >> 16 = 12, R 45568 x 32 >> 16 = 22,
  // G 58368 x 48 >> 16 = 42, B 39168 x 64 >> 16 = 38.
  EXPECT_EQ(FillOne(d, c, 0.5f, kRasterMultiply), 0x0C162A26u);
  // Soft light: k = 128 s + 128 x 128, lane ((32768 - k) x d / 256 + k) x d >> 15:
  //   A: k = 32768: 32768 x 16 >> 15 = 16;  R: k = 29184: (448 + 29184) x 32 >> 15 = 28
  //   G: k = 41984: (-1728 + 41984) x 48 >> 15 = 58;  B: k = 22784: (2496 + 22784) x 64 >> 15 = 49.
  EXPECT_EQ(FillOne(d, c, 0.5f, kRasterSoftLight), 0x101C3A31u);
  // HSV adjust with R = G = B = 128 leaves hue, saturation and value of a grey pixel as they are;
  // the alpha becomes W. Blue 192 raises the value by (192 - 128) x 128 / 128 = 64.
  EXPECT_EQ(FillOne(0x00808080u, 0x00808080u, 0.5f, kRasterHsvAdjust), 0x80808080u);
  EXPECT_EQ(FillOne(0x00808080u, 0x008080C0u, 0.5f, kRasterHsvAdjust), 0x80C0C0C0u);
  // ... and only its low 8 bits: weight 1.171875, W = 300, alpha 300 - 256 = 44 = 0x2C.
  EXPECT_EQ(FillOne(0x00808080u, 0x00808080u, 1.171875f, kRasterHsvAdjust), 0x2C808080u);
  // With the source-alpha flag the colour's alpha 0x80 makes the weight 128 / 255 (W 128), as above.
  EXPECT_EQ(FillOne(d, 0x8064C832u, 1.0f, 0x10000 | kRasterAdd), 0x50529459u);
}

TEST(FillArea, LargeWeightsStayWithinTheirLanes) {
  // Weight 16: W = 4096, colour white, d = 0xFF102030.
  // Multiply, R G B: (4096 x 255 + 256 x (256 - 4096)) = 61440; 61440 d >> 16: 16 -> 15, 32 -> 30,
  // 48 -> 45. Alpha with s = W: (4096^2 - 256 x 3840) x 255 >> 16 = 15794176 x 255 >> 16 = 61455,
  // low 8 bits 0x0F.
  EXPECT_EQ(FillOne(0xFF102030u, 0x00FFFFFFu, 16.0f, kRasterMultiply), 0x0F0F1E2Du);
  // Soft light, R G B: k = 255 x 4096 - 3840 x 128 = 552960; d 16: (-32512 + 552960) x 16 >> 15 = 254,
  // d 32 and 48 go past 255 and are clamped. Alpha: k = 4096^2 - 3840 x 128 = 16285696,
  // (-16189440 + 16285696) x 255 >> 15 = 749, clamped to 255.
  EXPECT_EQ(FillOne(0xFF102030u, 0x00FFFFFFu, 16.0f, kRasterSoftLight), 0xFFFEFFFFu);
  // The other modes at the most negative and positive weights: no overflow (checked by UBSan in the
  // native build), no write outside the pixel.
  for (int mode = 0; mode <= 5; ++mode) {
    for (float w : {16.0f, -16.0f, 1e30f, -1e30f}) FillOne(0xFF808080u, 0x7FFFFFFFu, w, mode);
  }
}

TEST(FillArea, CasesThatChangeNothing) {
  const uint32_t p = 0x12345678u;
  EXPECT_EQ(FillOne(p, 0xFFFFFFFFu, 0.3f, 6), p);                    // mode 6 does not exist
  EXPECT_EQ(FillOne(p, 0xFFFFFFFFu, 0.3f, 0xF0), p);                 // channel copy: region copies only
  for (int mode = 0; mode <= 5; ++mode) {
    EXPECT_EQ(FillOne(p, 0xFFFFFFFFu, 1.0f / 512, mode), p) << mode;  // W = 0.5 truncated = 0
    EXPECT_EQ(FillOne(p, 0xFFFFFFFFu, 0.0f, mode), p) << mode;
    EXPECT_EQ(FillOne(p, 0xFFFFFFFFu, std::numeric_limits<float>::quiet_NaN(), mode), p) << mode;
  }
  EXPECT_EQ(FillOne(p, 0xFFFFFFFFu, -0.5f, 0), p);  // mode 0 with W < 0
  PIX_FillArea(nullptr, 0, 0, 10, 10, 0xFFFFFFFFu, 1.0f, 0);

  GuardedView v(5, 5, 2, false);
  const uint32_t c = 0xFFFFFFFFu;
  PIX_FillArea(&v, 0, 0, 0, 5, c, 1.0f, 0);      // no width
  PIX_FillArea(&v, 0, 0, 5, -1, c, 1.0f, 0);     // no height
  PIX_FillArea(&v, 5, 0, 5, 5, c, 1.0f, 0);      // right of the bitmap
  PIX_FillArea(&v, 0, 5, 5, 5, c, 1.0f, 0);      // below it
  PIX_FillArea(&v, -10, 0, 10, 5, c, 1.0f, 0);   // left of it: w + x = 0
  PIX_FillArea(&v, 0, -3, 5, 3, c, 1.0f, 0);     // above it
  PIX_FillArea(&v, -2147483647 - 1, 0, 2147483647, 5, c, 1.0f, 0);  // w + x = -1 (64-bit clip)
  EXPECT_TRUE(v.GuardsIntact());
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 5; ++x) EXPECT_EQ(v.At(x, y), 0u);
  }
  PIX_MemBitmap empty(0, 0);
  PIX_FillArea(&empty, 0, 0, 5, 5, c, 1.0f, 0);
}

TEST(FillArea, BottomUpBitmapsTakeTheirRowsFromTheEnd) {
  // Rows 1-2 of a 5-row bottom-up bitmap are the stored rows 5 - 1 - 2 = 2 to 5 - 1 - 1 = 3.
  GuardedView v(4, 5, 2, true);
  PIX_FillArea(&v, 1, 1, 2, 2, 0xCAFEF00Du, 1.0f, 0);
  EXPECT_TRUE(v.GuardsIntact());
  const int s = v.RowStride();
  for (int stored = 0; stored < 5; ++stored) {
    for (int x = 0; x < 4; ++x) {
      const bool filled = (stored == 2 || stored == 3) && (x == 1 || x == 2);
      EXPECT_EQ(v.PixelData()[stored * s + x], filled ? 0xCAFEF00Du : 0u) << x << "," << stored;
    }
  }
  EXPECT_EQ(v.At(1, 1), 0xCAFEF00Du);
  EXPECT_EQ(v.At(2, 2), 0xCAFEF00Du);
  EXPECT_EQ(v.At(1, 3), 0u);
}
