// Filled discs: the circle walk and the antialiased walk, their pixel operations, clipping and the
// cases that draw nothing. Expected words are worked out from the drawing rules in the comments.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "raster/pixcombine.h"
#include "raster/pixdisc.h"
#include "tests/raster/disc_line_guard.h"

namespace {

using disc_line_test::ChangedPicture;
using disc_line_test::GuardedBitmap;
using disc_line_test::TestBitmap;

constexpr uint32_t kOpaqueBlack = 0xFF000000u;
constexpr uint32_t kMeterColour = 0x96FFCA3Fu;

// ---------------------------------------------------------------- the meters' dot

// The meter dot: radius 5.0, antialiased, weight 1.0 (W = 256), mode 0x10000 (the flag is dropped,
// mode 0), colour 0x96FFCA3F over opaque black 0xFF000000. Offsets (dx, dy) from the centre pixel.
//
// Antialiased walk: n = trunc(5.0) = 5; the tips at distance 6 get trunc(0.0 x 256) = 0.
// Centre spans: column dx = 0 for |dy| 1..5 and row dy = 0 for |dx| 0..5.
// D = 25. k = 1: F = sqrt(24) = 4.899, Y = 4, edge weight trunc(0.899 x 256) = trunc(230.1) = 230 at
//   (+-1, +-5) and, since G = trunc(5.399) = 5 != 1, at (+-5, +-1); spans: columns dx = +-1 for |dy|
//   2..4, rows dy = +-1 for |dx| 1..4.
// k = 2: F = sqrt(21) = 4.583, Y = 4, weight trunc(0.583 x 256) = trunc(149.2) = 149 at (+-2, +-5) and
//   (+-5, +-2) (G = 5); columns dx = +-2 for |dy| 3..4, rows dy = +-2 for |dx| 2..4.
// k = 3: F = 4, Y = 4, weight 0 at (+-3, +-5) and (+-5, +-3) (G = 4); column dx = +-3 at |dy| = 4,
//   rows dy = +-3 for |dx| 3..4.
// k = 4: F = 3, G = 3 < 4: done.
// Together the spans cover exactly the offsets with dx^2 + dy^2 <= 25.
//
// Mix: d = c + (d - c) x (256 - w) / 256, truncating toward zero, c = (A 150, R 255, G 202, B 63),
// d = (255, 0, 0, 0):
//   w = 256: d = c                                    -> 0x96FFCA3F
//   w = 230: A 150 + 105 x 26 / 256 = 150 + 10 = 160 (0xA0); R 255 - 6630 / 256 = 255 - 25 = 230 (0xE6);
//            G 202 - 5252 / 256 = 202 - 20 = 182 (0xB6); B 63 - 1638 / 256 = 63 - 6 = 57 (0x39)
//                                                     -> 0xA0E6B639
//   w = 149: A 150 + 105 x 107 / 256 = 150 + 43 = 193 (0xC1); R 255 - 27285 / 256 = 255 - 106 = 149
//            (0x95); G 202 - 21614 / 256 = 202 - 84 = 118 (0x76); B 63 - 6741 / 256 = 63 - 26 = 37 (0x25)
//                                                     -> 0xC1957625
//   w = 0:   d unchanged                              -> 0xFF000000
uint32_t MeterDotPixel(int dx, int dy) {
  const int ax = std::abs(dx), ay = std::abs(dy);
  if (ax * ax + ay * ay <= 25) return kMeterColour;
  if ((ax == 1 && ay == 5) || (ax == 5 && ay == 1)) return 0xA0E6B639u;
  if ((ax == 2 && ay == 5) || (ax == 5 && ay == 2)) return 0xC1957625u;
  return kOpaqueBlack;
}

void ExpectMeterDot(TestBitmap& bm, int icx, int icy) {
  for (int y = 0; y < bm.PixelHeight(); ++y) {
    for (int x = 0; x < bm.PixelWidth(); ++x) {
      EXPECT_EQ(bm.At(x, y), MeterDotPixel(x - icx, y - icy)) << "pixel " << x << "," << y;
    }
  }
}

TEST(DiscFill, MeterDotSpansAndEdgeWeights) {
  TestBitmap bm(21, 21, kOpaqueBlack);
  PIX_FillDisc(&bm, 10.0f, 10.0f, 5.0f, kMeterColour, 1.0f, kRasterSourceAlpha, true);
  ExpectMeterDot(bm, 10, 10);
  // Spot checks of the three kinds of pixel named above.
  EXPECT_EQ(bm.At(10, 5), 0x96FFCA3Fu);   // span end (0, -5)
  EXPECT_EQ(bm.At(14, 13), 0x96FFCA3Fu);  // (4, 3): 25, row span of k = 3
  EXPECT_EQ(bm.At(11, 5), 0xA0E6B639u);   // (1, -5), k = 1
  EXPECT_EQ(bm.At(5, 11), 0xA0E6B639u);   // (-5, 1), k = 1
  EXPECT_EQ(bm.At(12, 15), 0xC1957625u);  // (2, 5), k = 2
  EXPECT_EQ(bm.At(15, 8), 0xC1957625u);   // (5, -2), k = 2
  EXPECT_EQ(bm.At(10, 4), kOpaqueBlack);  // tip (0, -6) at weight 0
  EXPECT_EQ(bm.At(13, 15), kOpaqueBlack); // (3, 5) at weight 0
  EXPECT_EQ(bm.At(14, 14), kOpaqueBlack); // (4, 4) not reached
}

TEST(DiscFill, SourceAlphaFlagIsIgnored) {
  // Mode 0x10000 and mode 0 draw the same: the colour's alpha 0x96 does not scale the weight.
  TestBitmap a(21, 21, kOpaqueBlack), b(21, 21, kOpaqueBlack);
  PIX_FillDisc(&a, 10.0f, 10.0f, 5.0f, kMeterColour, 1.0f, 0x10000, true);
  PIX_FillDisc(&b, 10.0f, 10.0f, 5.0f, kMeterColour, 1.0f, 0, true);
  ExpectMeterDot(a, 10, 10);
  ExpectMeterDot(b, 10, 10);
}

TEST(DiscFill, AntialiasedWalkDrawsEachPixelOnce) {
  // Add (mode 1) at weight 0.0625 (W = 16) of white over 0: a pixel drawn once with w gets
  // 255 x w / 256 in every lane, twice would double it.
  //   spans w = 16: 4080 / 256 = 15 (0x0F)
  //   k = 1 edges w = trunc(0.899 x 16) = 14: 3570 / 256 = 13 (0x0D)
  //   k = 2 edges w = trunc(0.583 x 16) = 9: 2295 / 256 = 8 (0x08)
  //   tips and k = 3 edges w = 0: unchanged.
  TestBitmap bm(21, 21, 0);
  PIX_FillDisc(&bm, 10.0f, 10.0f, 5.0f, 0xFFFFFFFFu, 0.0625f, kRasterAdd, true);
  for (int y = 0; y < 21; ++y) {
    for (int x = 0; x < 21; ++x) {
      const int ax = std::abs(x - 10), ay = std::abs(y - 10);
      uint32_t expect = 0;
      if (ax * ax + ay * ay <= 25) {
        expect = 0x0F0F0F0Fu;
      } else if ((ax == 1 && ay == 5) || (ax == 5 && ay == 1)) {
        expect = 0x0D0D0D0Du;
      } else if ((ax == 2 && ay == 5) || (ax == 5 && ay == 2)) {
        expect = 0x08080808u;
      }
      EXPECT_EQ(bm.At(x, y), expect) << "pixel " << x << "," << y;
    }
  }
}

TEST(DiscFill, AntialiasedRadiusHalf) {
  // n = 0, tip weight trunc(0.5 x 256) = 128 at distance 1; the centre spans reduce to the centre
  // pixel at W; D = 0.25, so D - 1 < 0 and the walk is skipped.
  // White over 0 by mix: w = 256 gives 0xFF; w = 128 gives 255 + (-255 x 128) / 256 = 255 - 127 = 128.
  TestBitmap bm(7, 7, 0);
  PIX_FillDisc(&bm, 3.0f, 3.0f, 0.5f, 0xFFFFFFFFu, 1.0f, 0, true);
  const std::vector<std::string> picture = ChangedPicture(bm, 0, 0, 7, 7, 0);
  const std::vector<std::string> expect = {
      ".......", ".......", "...X...", "..XXX..", "...X...", ".......", ".......",
  };
  EXPECT_EQ(picture, expect);
  EXPECT_EQ(bm.At(3, 3), 0xFFFFFFFFu);
  EXPECT_EQ(bm.At(3, 2), 0x80808080u);
  EXPECT_EQ(bm.At(2, 3), 0x80808080u);
  EXPECT_EQ(bm.At(4, 3), 0x80808080u);
  EXPECT_EQ(bm.At(3, 4), 0x80808080u);
}

TEST(DiscFill, AntialiasedHugeRadiusEdgeFollowsTheSinglePrecisionSquare) {
  // Centre (-1e9, 3), r = 1000000064 (a float), 70 x 7 bitmap, white over 0.
  // icx = trunc(-1e9 + 0.5) = -999999999 (truncation toward zero rounds a negative half up).
  // Centre row: span to icx + n = -999999999 + 1000000064 = 65; tip at 66 with weight 0.
  // D = r x r rounded to single precision = 1000000121745702912 (the exact square is
  // 1000000128000004096; the float spacing there is 2^36). For k = 1..3, D - k^2 = D in double,
  // F = sqrt(D) = 1000000060.87, Y = 1000000060: the rows 3 +- k run to icx + Y = 61 and the
  // edge pixel at 62 gets trunc(0.8728 x 256) = 223 (white over 0 by mix gives 223 = 0xDF).
  // Later steps that reach the bitmap's columns (k near 1e9) are past the walk's end (G ~ 348921).
  TestBitmap bm(70, 7, 0);
  PIX_FillDisc(&bm, -1e9f, 3.0f, 1000000064.0f, 0xFFFFFFFFu, 1.0f, 0, true);
  for (int y = 0; y < 7; ++y) {
    const int spanEnd = y == 3 ? 65 : 61;
    for (int x = 0; x < 70; ++x) {
      uint32_t expect = x <= spanEnd ? 0xFFFFFFFFu : 0u;
      if (y != 3 && x == 62) expect = 0xDFDFDFDFu;
      EXPECT_EQ(bm.At(x, y), expect) << "pixel " << x << "," << y;
    }
  }
}

// ---------------------------------------------------------------- circle walk

TEST(DiscFill, CircleWalkRadiusThree) {
  // n = trunc(3.0 + 0.5) = 3. Centre spans: column and row to distance 3.
  // y = 3, e = -3, k = 1: e < 0, u = 1; spans at k = 1, y = 3: columns dx = +-1, |dy| 2..3, rows
  //   dy = +-1, |dx| 1..3. e = -3 + 3 = 0, k = 2 < 3.
  // k = 2: e >= 0, y = 2, u = 0; spans at k = 2, y = 2: columns empty (|dy| 3..2), rows dy = +-2 at
  //   |dx| = 2. e = 1, k = 3, not < 2: done.
  TestBitmap bm(9, 9, 0);
  PIX_FillDisc(&bm, 4.0f, 4.0f, 3.0f, 0xFFFFFFFFu, 1.0f, 0, false);
  const std::vector<std::string> expect = {
      ".........",  //
      "...XXX...",  // dy = -3
      "..XXXXX..",  // dy = -2
      ".XXXXXXX.",  // dy = -1
      ".XXXXXXX.",  //
      ".XXXXXXX.",  //
      "..XXXXX..",  //
      "...XXX...",  //
      ".........",  //
  };
  EXPECT_EQ(ChangedPicture(bm, 0, 0, 9, 9, 0), expect);
}

TEST(DiscFill, CircleWalkRadiusFive) {
  // n = 5: y = 5, e = -5.
  // k = 1: e < 0, u = 1, y = 5: columns dx = +-1 |dy| 2..5, rows dy = +-1 |dx| 1..5; e = -2, k = 2.
  // k = 2: e < 0, u = 2, y = 5: columns dx = +-2 |dy| 3..5, rows dy = +-2 |dx| 2..5; e = 3, k = 3.
  // k = 3: e >= 0, y = 4, u = -1: columns dx = +-3 at |dy| 4, rows dy = +-3 |dx| 3..4; e = 2, k = 4,
  //   not < 4: done.
  // Half-widths per |dy|: 0..2 -> 5, 3 -> 4, 4 -> 3, 5 -> 2.
  TestBitmap bm(13, 13, 0);
  PIX_FillDisc(&bm, 6.0f, 6.0f, 5.0f, 0xFFFFFFFFu, 1.0f, 0, false);
  const std::vector<std::string> expect = {
      ".............",  //
      "....XXXXX....",  // dy = -5
      "...XXXXXXX...",  // dy = -4
      "..XXXXXXXXX..",  // dy = -3
      ".XXXXXXXXXXX.",  //
      ".XXXXXXXXXXX.",  //
      ".XXXXXXXXXXX.",  // dy = 0
      ".XXXXXXXXXXX.",  //
      ".XXXXXXXXXXX.",  //
      "..XXXXXXXXX..",  //
      "...XXXXXXX...",  //
      "....XXXXX....",  //
      ".............",  //
  };
  EXPECT_EQ(ChangedPicture(bm, 0, 0, 13, 13, 0), expect);
}

TEST(DiscFill, CircleWalkDrawsEachPixelOnce) {
  // Add at W = 16 of white: once gives 0x0F in every lane (see the antialiased case).
  TestBitmap bm(13, 13, 0);
  PIX_FillDisc(&bm, 6.0f, 6.0f, 5.0f, 0xFFFFFFFFu, 0.0625f, kRasterAdd, false);
  for (int y = 0; y < 13; ++y) {
    for (int x = 0; x < 13; ++x) {
      EXPECT_TRUE(bm.At(x, y) == 0 || bm.At(x, y) == 0x0F0F0F0Fu) << "pixel " << x << "," << y;
    }
  }
  EXPECT_EQ(bm.At(6, 1), 0x0F0F0F0Fu);
  EXPECT_EQ(bm.At(9, 9), 0x0F0F0F0Fu);
}

TEST(DiscFill, SmallRadii) {
  // r = 0.4: n = trunc(0.9) = 0, the centre pixel alone.
  TestBitmap a(5, 5, 0);
  PIX_FillDisc(&a, 2.0f, 2.0f, 0.4f, 0xFFFFFFFFu, 1.0f, 0, false);
  EXPECT_EQ(ChangedPicture(a, 0, 0, 5, 5, 0),
            (std::vector<std::string>{".....", ".....", "..X..", ".....", "....."}));
  // r = 1.2: n = trunc(1.7) = 1, the centre spans alone: a plus of five pixels.
  TestBitmap b(5, 5, 0);
  PIX_FillDisc(&b, 2.0f, 2.0f, 1.2f, 0xFFFFFFFFu, 1.0f, 0, false);
  EXPECT_EQ(ChangedPicture(b, 0, 0, 5, 5, 0),
            (std::vector<std::string>{".....", "..X..", ".XXX.", "..X..", "....."}));
  // r = 1.5: n = 2; k = 1 (e = -2 < 0, y = 2) adds columns dx = +-1 at |dy| 2 and rows dy = +-1 for
  // |dx| 1..2; then k = 2 is not < 2. A 5 x 5 square without its corners.
  TestBitmap c(5, 5, 0);
  PIX_FillDisc(&c, 2.0f, 2.0f, 1.5f, 0xFFFFFFFFu, 1.0f, 0, false);
  EXPECT_EQ(ChangedPicture(c, 0, 0, 5, 5, 0),
            (std::vector<std::string>{".XXX.", "XXXXX", "XXXXX", "XXXXX", ".XXX."}));
  // Centre (0.6, 0.6): icx = trunc(1.1) = 1, icy = 1.
  TestBitmap d(4, 4, 0);
  PIX_FillDisc(&d, 0.6f, 0.6f, 0.4f, 0xFFFFFFFFu, 1.0f, 0, false);
  EXPECT_EQ(ChangedPicture(d, 0, 0, 4, 4, 0), (std::vector<std::string>{"....", ".X..", "....", "...."}));
}

TEST(DiscFill, CircleWalkHugeRadiusCutByTheBitmap) {
  // Centre (-1e9, 3): icx = trunc(-999999999.5) = -999999999; n = trunc(1000000064 + 0.5) =
  // 1000000064; 70 x 7 bitmap. The walk's half-width after step k is the largest y with
  // y (y - 1) <= n^2 - k^2; for k <= 3 (k^2 <= n) that is n itself, so every row 3 +- k runs to
  // icx + n = 65. Columns 66..69 stay untouched.
  TestBitmap bm(70, 7, 0);
  PIX_FillDisc(&bm, -1e9f, 3.0f, 1000000064.0f, 0x12345678u, 1.0f, 0, false);
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 70; ++x) {
      EXPECT_EQ(bm.At(x, y), x <= 65 ? 0x12345678u : 0u) << "pixel " << x << "," << y;
    }
  }
}

// ---------------------------------------------------------------- pixel operations

// One pixel (r = 0.4, no antialiasing) of colour c = 0x40C08020 (A 64, R 192, G 128, B 32) over
// d = 0x80402011 (A 128, R 64, G 32, B 17).
uint32_t OnePixel(float weight, int mode, uint32_t background = 0x80402011u, uint32_t colour = 0x40C08020u) {
  TestBitmap bm(3, 3, 0x01010101u);
  bm.At(1, 1) = background;
  PIX_FillDisc(&bm, 1.0f, 1.0f, 0.4f, colour, weight, mode, false);
  EXPECT_EQ(ChangedPicture(bm, 0, 0, 3, 3, 0x01010101u),
            (std::vector<std::string>{"...", ".X.", "..."}))
      << "only the centre may change";
  return bm.At(1, 1);
}

TEST(DiscFill, PixelOperations) {
  // Store (W = 256): the colour word.
  EXPECT_EQ(OnePixel(1.0f, 0), 0x40C08020u);
  // Average (W = 128): (d + c) >> 1: A 96, R 128, G 80, B (17 + 32) >> 1 = 24.
  EXPECT_EQ(OnePixel(0.5f, 0), 0x60805018u);
  // Mix at W = 64: c + (d - c) x 192 / 256: A 64 + 48 = 112, R 192 - 96 = 96, G 128 - 72 = 56,
  // B 32 + (-2880 / 256 = -11, truncated toward zero) = 21.
  EXPECT_EQ(OnePixel(0.25f, 0), 0x70603815u);
  // Add at W = 256: clamp(d + s): A 192, R 255 (256 clamped), G 160, B 49.
  EXPECT_EQ(OnePixel(1.0f, 1), 0xC0FFA031u);
  // Mode 0x10001 is mode 1: the colour's alpha (64) does not weight the add.
  EXPECT_EQ(OnePixel(1.0f, 0x10001), 0xC0FFA031u);
  // Add at W = -256 (weights below 0 are used by modes 1 to 5): clamp(d - s): A 64, others 0.
  EXPECT_EQ(OnePixel(-1.0f, 1), 0x40000000u);
  // Dodge at W = 256: q = 256 - s; A 128 x 256 / 192 = 170, R q = 64: 256 -> 255, G 32 x 256 / 128 = 64,
  // B 17 x 256 / 224 = 19.
  EXPECT_EQ(OnePixel(1.0f, 2), 0xAAFF4013u);
  // Multiply at W = 256: s x d >> 8: A 8192 >> 8 = 32, R 12288 >> 8 = 48, G 4096 >> 8 = 16, B 544 >> 8 = 2.
  EXPECT_EQ(OnePixel(1.0f, 3), 0x20301002u);
  // Soft light at t = 256, k = 256 s: A k = 16384: (16384 x 128 / 256 + 16384) x 128 >> 15 = 96;
  // R k = 49152: (-16384 x 64 / 256 + 49152) x 64 >> 15 = 45056 x 64 >> 15 = 88; G k = 32768: 32
  // (unchanged); B k = 8192: (24576 x 17 / 256 + 8192) x 17 >> 15 = 9824 x 17 >> 15 = 5.
  EXPECT_EQ(OnePixel(1.0f, 4), 0x60582005u);
  // HSV adjust of grey 64 (V 64, S 0, hue base 256) by R 128 (no hue turn), G 128 (no saturation
  // change), B 160: V' = 64 + 32 x 256 / 128 = 128; S' = 0 gives r = g = b = 128, alpha from the
  // colour (0x40).
  EXPECT_EQ(OnePixel(1.0f, 5, 0x80404040u, 0x408080A0u), 0x40808080u);
}

TEST(DiscFill, WeightAndModeThatDrawNothing) {
  TestBitmap bm(9, 9, 0x11223344u);
  PIX_FillDisc(&bm, 4.0f, 4.0f, 3.0f, 0xFFFFFFFFu, 1.0f / 512.0f, 0, false);  // W = 0
  PIX_FillDisc(&bm, 4.0f, 4.0f, 3.0f, 0xFFFFFFFFu, 0.0f, 1, true);            // W = 0
  PIX_FillDisc(&bm, 4.0f, 4.0f, 3.0f, 0xFFFFFFFFu, -1.0f, 0, false);          // mode 0, W < 0
  PIX_FillDisc(&bm, 4.0f, 4.0f, 3.0f, 0xFFFFFFFFu, -1.0f, 0, true);
  PIX_FillDisc(&bm, 4.0f, 4.0f, 3.0f, 0xFFFFFFFFu, 1.0f, 6, false);           // mode 6
  PIX_FillDisc(&bm, 4.0f, 4.0f, 3.0f, 0xFFFFFFFFu, 1.0f, 0x100FF, true);      // low byte 0xFF
  PIX_FillDisc(&bm, 4.0f, 4.0f, -0.5f, 0xFFFFFFFFu, 1.0f, 0, false);          // negative radius
  PIX_FillDisc(&bm, 4.0f, 4.0f, 3.0f, 0xFFFFFFFFu, std::nanf(""), 0, false);  // NaN weight
  PIX_FillDisc(nullptr, 4.0f, 4.0f, 3.0f, 0xFFFFFFFFu, 1.0f, 0, false);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 9; ++x) EXPECT_EQ(bm.At(x, y), 0x11223344u);
}

TEST(DiscFill, NonFiniteCentreOrRadiusDrawsNothing) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  GuardedBitmap bm(8, 8);
  for (bool aa : {false, true}) {
    PIX_FillDisc(&bm, 4.0f, 4.0f, inf, 0xFFFFFFFFu, 1.0f, 0, aa);  // would cover everything
    PIX_FillDisc(&bm, 4.0f, 4.0f, nan, 0xFFFFFFFFu, 1.0f, 0, aa);
    PIX_FillDisc(&bm, nan, 4.0f, 3.0f, 0xFFFFFFFFu, 1.0f, 0, aa);
    PIX_FillDisc(&bm, 4.0f, nan, 3.0f, 0xFFFFFFFFu, 1.0f, 0, aa);
    PIX_FillDisc(&bm, inf, 4.0f, inf, 0xFFFFFFFFu, 1.0f, 1, aa);
    PIX_FillDisc(&bm, -inf, -inf, 3.0f, 0xFFFFFFFFu, 1.0f, 0, aa);
  }
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(bm.Stored(x, y), 0u);
  EXPECT_EQ(bm.ChangedGuardWords(), 0);
}

TEST(DiscFill, EmptyBitmapDrawsNothing) {
  GuardedBitmap wide(5, 0), tall(0, 5);
  PIX_FillDisc(&wide, 2.0f, 0.0f, 3.0f, 0xFFFFFFFFu, 1.0f, 0, false);
  PIX_FillDisc(&tall, 0.0f, 2.0f, 3.0f, 0xFFFFFFFFu, 1.0f, 0, true);
  EXPECT_EQ(wide.ChangedGuardWords(), 0);
  EXPECT_EQ(tall.ChangedGuardWords(), 0);
  TestBitmap none(0, 0);
  PIX_FillDisc(&none, 0.0f, 0.0f, 3.0f, 0xFFFFFFFFu, 1.0f, 0, false);
}

TEST(DiscFill, DiscWellOutsideDrawsNothing) {
  // trunc(cx) + trunc(r) < -2, or trunc(cx) - trunc(r) > width + 2 (same for y): nothing at all, not
  // even a zero-weight tip.
  GuardedBitmap bm(8, 8);
  bm.Fill(0x01020304u);
  PIX_FillDisc(&bm, -8.0f, 4.0f, 5.9f, 0xFFFFFFFFu, 1.0f, 5, true);  // -8 + 5 = -3
  PIX_FillDisc(&bm, 4.0f, -8.0f, 5.9f, 0xFFFFFFFFu, 1.0f, 5, true);
  PIX_FillDisc(&bm, 16.0f, 4.0f, 5.9f, 0xFFFFFFFFu, 1.0f, 5, true);  // 16 - 5 = 11 > 10
  PIX_FillDisc(&bm, 4.0f, 16.0f, 5.9f, 0xFFFFFFFFu, 1.0f, 5, true);
  PIX_FillDisc(&bm, -3e9f, 4.0f, 5.0f, 0xFFFFFFFFu, 1.0f, 0, false);
  PIX_FillDisc(&bm, 4.0f, 1e30f, 1e29f, 0xFFFFFFFFu, 1.0f, 0, false);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(bm.Stored(x, y), 0x01020304u);
  EXPECT_EQ(bm.ChangedGuardWords(), 0);
}

// ---------------------------------------------------------------- clipping

TEST(DiscFill, BoundsTestsDoNotChangeThePixels) {
  // (20, 20) in 41 x 41 lies more than 2 pixels inside every edge (drawn without bounds tests);
  // (5, 6) in 11 x 13 does not (5 - 5 - 2 < 0) but still lies wholly inside. Both give the meter dot.
  TestBitmap inner(41, 41, kOpaqueBlack), edge(11, 13, kOpaqueBlack);
  PIX_FillDisc(&inner, 20.0f, 20.0f, 5.0f, kMeterColour, 1.0f, 0x10000, true);
  PIX_FillDisc(&edge, 5.0f, 6.0f, 5.0f, kMeterColour, 1.0f, 0x10000, true);
  ExpectMeterDot(inner, 20, 20);
  ExpectMeterDot(edge, 5, 6);
}

TEST(DiscFill, DiscCutByTheEdgeDrawsThePixelsInside) {
  // The centre pixel is trunc(cx + 0.5): 0, 2 and 8 for the whole numbers, and trunc(-2.5) = -2 for
  // -3.0 (truncation toward zero).
  const struct {
    float cx;
    int icx;
  } kCases[] = {{0.0f, 0}, {2.0f, 2}, {-3.0f, -2}, {-3.5f, -3}, {8.0f, 8}};
  for (const auto& c : kCases) {
    TestBitmap bm(9, 7, kOpaqueBlack);
    PIX_FillDisc(&bm, c.cx, 1.0f, 5.0f, kMeterColour, 1.0f, 0x10000, true);
    ExpectMeterDot(bm, c.icx, 1);
  }
  GuardedBitmap g(6, 5);
  g.Fill(kOpaqueBlack);
  PIX_FillDisc(&g, 1.0f, 4.0f, 5.0f, kMeterColour, 1.0f, 0x10000, true);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(g.Stored(x, y), MeterDotPixel(x - 1, y - 4));
  EXPECT_EQ(g.ChangedGuardWords(), 0);
}

// The pixels of a window of a large bitmap holding the disc's centre (every walk step drawn in turn)
// against a small bitmap at that window, for which the centre lies far outside (the walk skips
// ahead to the steps that reach it). Both walks depend only on the centre pixel trunc(c + 0.5), the
// radius and the weight, so the window sits where the two centre pixels line up (shifting a
// negative centre by a whole number moves its centre pixel by one less when c + 0.5 is not whole).
TEST(DiscFill, SkippingAheadMatchesTheFullWalk) {
  std::srand(12345);
  constexpr int kPad = 260, kW = 9, kH = 7;
  TestBitmap big(kW + 2 * kPad, kH + 2 * kPad, 0);
  TestBitmap small(kW, kH, 0);
  for (int trial = 0; trial < 160; ++trial) {
    const float cx = static_cast<float>(std::rand() % 481 - 240) + 0.25f * static_cast<float>(std::rand() % 4);
    const float cy = static_cast<float>(std::rand() % 481 - 240) + 0.25f * static_cast<float>(std::rand() % 4);
    const float r = static_cast<float>(std::rand() % 300) + 0.125f * static_cast<float>(std::rand() % 8);
    const bool aa = (trial & 1) != 0;
    const float bcx = cx + kPad, bcy = cy + kPad;
    const int ox = static_cast<int>(bcx + 0.5) - static_cast<int>(cx + 0.5);
    const int oy = static_cast<int>(bcy + 0.5) - static_cast<int>(cy + 0.5);
    big.Fill(0);
    small.Fill(0);
    // Add at a small weight: any pixel drawn twice or missed shows.
    PIX_FillDisc(&big, bcx, bcy, r, 0xFFFFFFFFu, 0.0625f, kRasterAdd, aa);
    PIX_FillDisc(&small, cx, cy, r, 0xFFFFFFFFu, 0.0625f, kRasterAdd, aa);
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        ASSERT_EQ(small.At(x, y), big.At(x + ox, y + oy))
            << "centre " << cx << "," << cy << " r " << r << " aa " << aa << " pixel " << x << "," << y;
      }
    }
  }
}

TEST(DiscFill, BottomUpBitmapFlipsTheCentre) {
  // cy = (height - 1) - cy = 9 - 2 = 7: the stored row 7.
  TestBitmap bm(6, 10, 0, true);
  PIX_FillDisc(&bm, 3.0f, 2.0f, 0.4f, 0xFFFFFFFFu, 1.0f, 0, false);
  EXPECT_EQ(bm.At(3, 7), 0xFFFFFFFFu);
  EXPECT_EQ(bm.At(3, 2), 0u);
  // The antialiased centre moves the same way: (3, 7 +- 1) get the half-weight tips of r = 0.5.
  TestBitmap aa(6, 10, 0, true);
  PIX_FillDisc(&aa, 3.0f, 2.0f, 0.5f, 0xFFFFFFFFu, 1.0f, 0, true);
  EXPECT_EQ(aa.At(3, 7), 0xFFFFFFFFu);
  EXPECT_EQ(aa.At(3, 6), 0x80808080u);
  EXPECT_EQ(aa.At(3, 8), 0x80808080u);
}

TEST(DiscFill, OversizedDiscFillsTheBitmap) {
  // A radius beyond the 32-bit range around a centre inside: every pixel centre lies in the circle.
  GuardedBitmap bm(7, 5);
  PIX_FillDisc(&bm, 3.0f, 2.0f, 1e20f, 0xFFFFFFFFu, 1.0f, 0, true);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_EQ(bm.Stored(x, y), 0xFFFFFFFFu);
  EXPECT_EQ(bm.ChangedGuardWords(), 0);
  // Centre beyond the 32-bit range: (-1e10, 1) with r = 1e10 + 4096 reaches column 4096 near its
  // centre row, so it covers the 8 x 3 bitmap.
  GuardedBitmap edge(8, 3);
  PIX_FillDisc(&edge, -1e10f, 1.0f, 1e10f + 4096.0f, 0x12345678u, 1.0f, 0, false);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(edge.Stored(x, y), 0x12345678u);
  // The same disc 8192 pixels further left ends at column -4096.
  GuardedBitmap miss(8, 3);
  PIX_FillDisc(&miss, -1e10f - 8192.0f, 1.0f, 1e10f + 4096.0f, 0x12345678u, 1.0f, 0, false);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(miss.Stored(x, y), 0u) << x << "," << y;
  EXPECT_EQ(miss.ChangedGuardWords(), 0);
  EXPECT_EQ(edge.ChangedGuardWords(), 0);
}

}  // namespace
