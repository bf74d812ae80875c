// Lines: horizontal and vertical runs, exact diagonals, the span walk of other slopes (plain and
// antialiased), the whole-word blends, the modes, and the cases that draw nothing. Expected words
// are worked out from the drawing rules in the comments.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "raster/pixcombine.h"
#include "raster/pixline.h"
#include "tests/raster/disc_line_guard.h"

namespace {

using disc_line_test::ChangedPicture;
using disc_line_test::GuardedBitmap;
using disc_line_test::TestBitmap;

constexpr uint32_t kWhite = 0xFFFFFFFFu;

// Copy (mode 0) of white over 0 at weight w (0..256) gives 255 + (0 - 255) x (256 - w) / 256; for
// 1 <= w <= 255 the quotient truncates to -(255 - w), so the lane becomes w itself; w = 256 gives 255.
uint32_t Grey(int v) { return static_cast<uint32_t>(v) * 0x01010101u; }

// ---------------------------------------------------------------- horizontal and vertical

TEST(LineStroke, HorizontalAtWeightPointSix) {
  // W = trunc(0.6f x 256) = trunc(153.6000061) = 153; not one of the mask weights, so the copy
  // operation: white over 0 gives 153 = 0x99 in every lane.
  TestBitmap bm(8, 3, 0);
  PIX_StrokeLine(&bm, 1, 1, 6, 1, kWhite, 0.6f, 0, false);
  EXPECT_EQ(ChangedPicture(bm, 0, 0, 8, 3, 0), (std::vector<std::string>{"........", ".XXXXXX.", "........"}));
  for (int x = 1; x <= 6; ++x) EXPECT_EQ(bm.At(x, 1), 0x99999999u);
}

TEST(LineStroke, SourceAlphaFlagAndOtherHighBitsHaveNoEffect) {
  for (int mode : {0x10000, 0x12300, 0x7FFFFF00}) {
    TestBitmap bm(8, 3, 0);
    PIX_StrokeLine(&bm, 6, 1, 1, 1, kWhite, 0.6f, mode, false);
    for (int x = 1; x <= 6; ++x) EXPECT_EQ(bm.At(x, 1), 0x99999999u) << mode;
    EXPECT_EQ(bm.At(0, 1), 0u);
    EXPECT_EQ(bm.At(7, 1), 0u);
  }
}

TEST(LineStroke, MaskBlendsOnWholeWords) {
  // h(v) = (v >> 1) & 0x7f7f7f7f, q(v) = (v >> 2) & 0x3f3f3f3f.
  // 0.5 of white over white: h + h = 0x7F7F7F7F x 2 = 0xFEFEFEFE (the per-lane average would be 0xFF).
  TestBitmap half(4, 1, kWhite);
  PIX_StrokeLine(&half, 0, 0, 3, 0, kWhite, 0.5f, 0, false);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(half.At(x, 0), 0xFEFEFEFEu);
  // 0.25 of white over 0x80808080: h(p) + q(p) + q(c) = 0x40404040 + 0x20202020 + 0x3F3F3F3F.
  TestBitmap quarter(4, 1, 0x80808080u);
  PIX_StrokeLine(&quarter, 0, 0, 3, 0, kWhite, 0.25f, 0, false);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(quarter.At(x, 0), 0x9F9F9F9Fu);
  // 0.75 of white over 0x80808080: h(c) + q(c) + q(p) = 0x7F7F7F7F + 0x3F3F3F3F + 0x20202020.
  TestBitmap threeQ(4, 1, 0x80808080u);
  PIX_StrokeLine(&threeQ, 0, 0, 3, 0, kWhite, 0.75f, 0, false);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(threeQ.At(x, 0), 0xDEDEDEDEu);
  // 1.0: the colour word, alpha included.
  TestBitmap full(4, 1, 0x80808080u);
  PIX_StrokeLine(&full, 0, 0, 3, 0, 0x12345678u, 1.0f, 0x10000, false);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(full.At(x, 0), 0x12345678u);
}

TEST(LineStroke, WeightsNearTheMaskValuesUseTheLanes) {
  // 0.501 gives W = trunc(128.26) = 128, not 0.5: the plain average (x + c) >> 1 per lane,
  // (255 + 255) >> 1 = 255.
  TestBitmap avg(4, 1, kWhite);
  PIX_StrokeLine(&avg, 0, 0, 3, 0, kWhite, 0.501f, 0, false);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(avg.At(x, 0), kWhite);
  // 1.001 gives W = 256: the colour is stored.
  TestBitmap store(4, 1, 0);
  PIX_StrokeLine(&store, 0, 0, 3, 0, 0x87654321u, 1.001f, 0, false);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(store.At(x, 0), 0x87654321u);
}

TEST(LineStroke, VerticalRunAndTheAntialiasFlag) {
  // The flag has no effect on horizontal and vertical lines.
  for (bool aa : {false, true}) {
    TestBitmap bm(3, 6, 0x80808080u);
    PIX_StrokeLine(&bm, 1, 4, 1, 1, kWhite, 0.75f, 0, aa);
    EXPECT_EQ(ChangedPicture(bm, 0, 0, 3, 6, 0x80808080u),
              (std::vector<std::string>{"...", ".X.", ".X.", ".X.", ".X.", "..."}));
    EXPECT_EQ(bm.At(1, 1), 0xDEDEDEDEu);
    TestBitmap h(6, 2, 0);
    PIX_StrokeLine(&h, 0, 1, 5, 1, kWhite, 0.6f, 0, aa);
    for (int x = 0; x < 6; ++x) EXPECT_EQ(h.At(x, 1), 0x99999999u);
    for (int x = 0; x < 6; ++x) EXPECT_EQ(h.At(x, 0), 0u);
  }
}

TEST(LineStroke, SinglePoint) {
  TestBitmap bm(4, 4, 0);
  PIX_StrokeLine(&bm, 2, 1, 2, 1, 0xABCDEF01u, 1.0f, 0, true);
  EXPECT_EQ(ChangedPicture(bm, 0, 0, 4, 4, 0), (std::vector<std::string>{"....", "..X.", "....", "...."}));
  EXPECT_EQ(bm.At(2, 1), 0xABCDEF01u);
}

TEST(LineStroke, RunsInTheOtherModes) {
  // Colour (A 64, R 192, G 128, B 32) over (A 128, R 64, G 32, B 17) at W = 256.
  auto run = [](int mode, float weight) {
    TestBitmap bm(3, 1, 0x80402011u);
    PIX_StrokeLine(&bm, 0, 0, 2, 0, 0x40C08020u, weight, mode, false);
    EXPECT_EQ(bm.At(0, 0), bm.At(2, 0));
    return bm.At(1, 0);
  };
  EXPECT_EQ(run(1, 1.0f), 0xC0FFA031u);   // add: clamp(d + s): 192, 256 -> 255, 160, 49
  EXPECT_EQ(run(2, 1.0f), 0xAAFF4013u);   // dodge: 128 x 256 / 192, 255, 32 x 256 / 128, 17 x 256 / 224
  EXPECT_EQ(run(3, 1.0f), 0x20301002u);   // multiply: s x d >> 8: 32, 48, 16, 2
  EXPECT_EQ(run(4, 1.0f), 0x60582005u);   // soft light (worked out in the disc tests)
  EXPECT_EQ(run(0x10001, 1.0f), 0xC0FFA031u);
  // Add at W = -256: clamp(d - s): A 64, the rest 0.
  EXPECT_EQ(run(1, -1.0f), 0x40000000u);
  // Multiply at W = 128: (128 s + 256 x 128) x d >> 16: A (8192 + 32768) x 128 >> 16 = 80,
  // R (24576 + 32768) x 64 >> 16 = 56, G (16384 + 32768) x 32 >> 16 = 24, B (4096 + 32768) x 17 >> 16 = 9.
  EXPECT_EQ(run(3, 0.5f), 0x50381809u);
}

TEST(LineStroke, NothingDrawn) {
  TestBitmap bm(8, 8, 0x11223344u);
  PIX_StrokeLine(&bm, 0, 2, 7, 2, kWhite, 0.0f, 0, false);            // W = 0
  PIX_StrokeLine(&bm, 0, 2, 7, 5, kWhite, 1.0f / 512.0f, 1, true);    // W = 0
  PIX_StrokeLine(&bm, 0, 0, 7, 7, kWhite, 0.0f, 0, true);             // diagonal, W = 0
  PIX_StrokeLine(&bm, 0, 2, 7, 2, kWhite, 1.0f, 6, false);            // low byte above 5
  PIX_StrokeLine(&bm, 0, 0, 7, 7, kWhite, 1.0f, 0xFF, true);
  PIX_StrokeLine(&bm, 0, 0, 7, 3, kWhite, 1.0f, 0x106, true);
  PIX_StrokeLine(&bm, 0, 2, 7, 2, kWhite, -1.0f, 0, false);           // mode 0, W < 0
  PIX_StrokeLine(&bm, 0, 0, 7, 7, kWhite, -0.6f, 0, true);
  PIX_StrokeLine(&bm, 0, 0, 7, 3, kWhite, -0.6f, 0, false);
  PIX_StrokeLine(&bm, 0, 2, 7, 2, kWhite, std::numeric_limits<float>::quiet_NaN(), 1, false);
  PIX_StrokeLine(nullptr, 0, 0, 7, 3, kWhite, 1.0f, 0, true);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(bm.At(x, y), 0x11223344u);
}

// ---------------------------------------------------------------- exact diagonals

TEST(LineStroke, AntialiasedDiagonalAtFullWeight) {
  // Main pixels by the 0.75 blend: h(c) + q(c) + q(0) = 0x7F7F7F7F + 0x3F3F3F3F = 0xBEBEBEBE;
  // the side pixels (x + 1, y) and (x, y + 1) of the first n = 4 by the 0.25 blend:
  // h(0) + q(0) + q(c) = 0x3F3F3F3F; the last pixel (5, 5) has no sides.
  const std::vector<std::string> expect = {
      "........",  //
      ".MS.....",  //
      ".SMS....",  //
      "..SMS...",  //
      "...SMS..",  //
      "....SM..",  //
      "........",  //
      "........",  //
  };
  // Drawn from either end the side pixels are the same set.
  for (bool reversed : {false, true}) {
    TestBitmap bm(8, 8, 0);
    if (reversed) {
      PIX_StrokeLine(&bm, 5, 5, 1, 1, kWhite, 1.0f, 0x10000, true);
    } else {
      PIX_StrokeLine(&bm, 1, 1, 5, 5, kWhite, 1.0f, 0x10000, true);
    }
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        const char k = expect[y][x];
        const uint32_t want = k == 'M' ? 0xBEBEBEBEu : k == 'S' ? 0x3F3F3F3Fu : 0u;
        EXPECT_EQ(bm.At(x, y), want) << "pixel " << x << "," << y << " reversed " << reversed;
      }
    }
  }
}

TEST(LineStroke, AntialiasedAntiDiagonal) {
  // From (1, 5) to (5, 1): sx = +1, sy = -1; the sides of each of the first four main pixels are
  // (x + 1, y) and (x, y - 1).
  TestBitmap bm(7, 7, 0);
  PIX_StrokeLine(&bm, 1, 5, 5, 1, kWhite, 1.0f, 0, true);
  const std::vector<std::string> expect = {
      ".......",  //
      "....SM.",  //
      "...SMS.",  //
      "..SMS..",  //
      ".SMS...",  //
      ".MS....",  //
      ".......",  //
  };
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 7; ++x) {
      const char k = expect[y][x];
      EXPECT_EQ(bm.At(x, y), k == 'M' ? 0xBEBEBEBEu : k == 'S' ? 0x3F3F3F3Fu : 0u) << x << "," << y;
    }
  }
}

TEST(LineStroke, AntialiasedDiagonalAtOtherWeights) {
  // Weight 0.5 (W = 128): main w = 3 x 128 / 4 = 96, sides w = 32, by the copy operation: white over
  // 0 gives 0x60 and 0x20.
  TestBitmap bm(5, 5, 0);
  PIX_StrokeLine(&bm, 0, 0, 3, 3, kWhite, 0.5f, 0, true);
  EXPECT_EQ(bm.At(0, 0), Grey(96));
  EXPECT_EQ(bm.At(3, 3), Grey(96));
  EXPECT_EQ(bm.At(1, 0), Grey(32));
  EXPECT_EQ(bm.At(0, 1), Grey(32));
  EXPECT_EQ(bm.At(3, 2), Grey(32));
  EXPECT_EQ(bm.At(4, 3), 0u);
  // Add at weight 1.0 (not mode 0, so no masks): main w = 192, 255 x 192 / 256 = 191 (0xBF); sides
  // w = 64, 255 x 64 / 256 = 63 (0x3F).
  TestBitmap add(5, 5, 0);
  PIX_StrokeLine(&add, 0, 0, 3, 3, kWhite, 1.0f, 1, true);
  EXPECT_EQ(add.At(1, 1), 0xBFBFBFBFu);
  EXPECT_EQ(add.At(2, 1), 0x3F3F3F3Fu);
  EXPECT_EQ(add.At(3, 3), 0xBFBFBFBFu);
  EXPECT_EQ(add.At(4, 3), 0u);
}

TEST(LineStroke, DiagonalWithoutAntialiasing) {
  // n + 1 pixels: weight 1.0 writes the colour; weight 0.5 (W = 128) averages per lane:
  // (0x10 + 0xFF) >> 1 = 0x87.
  TestBitmap bm(5, 5, 0x10101010u);
  PIX_StrokeLine(&bm, 4, 0, 0, 4, 0x01020304u, 1.0f, 0, false);
  EXPECT_EQ(ChangedPicture(bm, 0, 0, 5, 5, 0x10101010u),
            (std::vector<std::string>{"....X", "...X.", "..X..", ".X...", "X...."}));
  EXPECT_EQ(bm.At(2, 2), 0x01020304u);
  TestBitmap avg(5, 5, 0x10101010u);
  PIX_StrokeLine(&avg, 0, 0, 4, 4, kWhite, 0.5f, 0, false);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(avg.At(i, i), 0x87878787u);
  EXPECT_EQ(avg.At(1, 0), 0x10101010u);
}

// ---------------------------------------------------------------- other slopes

// (0, 0) to (10, 3): n = 10, s = trunc(3 / 10 x 65536) = trunc(19660.8) = 19660, k = 5 passes.
// Without antialiasing (e from 0, minor step when e >= 0x8000):
//   pass 1 draws (0,0) (10,3), e = 19660;                  cursors (1,0) (9,3)
//   pass 2 draws (1,0) (9,3), e = 39320: minor step, e = -26216; cursors (2,1) (8,2)
//   pass 3 draws (2,1) (8,2), e = -6556;                   cursors (3,1) (7,2)
//   pass 4 draws (3,1) (7,2), e = 13104;                   cursors (4,1) (6,2)
//   pass 5 draws (4,1) (6,2), e = 32764 (< 0x8000);        cursors (5,1) (5,2)
//   n even: the forward cursor's (5,1).
TEST(LineStroke, SlopeWithoutAntialiasing) {
  const std::vector<std::string> expect = {
      "XX.........",  //
      "..XXXX.....",  //
      "......XXX..",  //
      ".........XX",  //
  };
  for (bool reversed : {false, true}) {
    TestBitmap bm(11, 4, 0);
    if (reversed) {
      PIX_StrokeLine(&bm, 10, 3, 0, 0, kWhite, 1.0f, 0, false);
    } else {
      PIX_StrokeLine(&bm, 0, 0, 10, 3, kWhite, 1.0f, 0, false);
    }
    EXPECT_EQ(ChangedPicture(bm, 0, 0, 11, 4, 0), expect);
    EXPECT_EQ(bm.At(5, 1), kWhite);
  }
  // The same walk along y (major axis y when |dx| < |dy|).
  TestBitmap t(4, 11, 0);
  PIX_StrokeLine(&t, 3, 10, 0, 0, kWhite, 1.0f, 0, false);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(t.At(x, y) != 0, expect[x][y] == 'X') << x << "," << y;
}

TEST(LineStroke, SlopeRoutinesPerMode) {
  // Weight 0.5 (W = 128) without antialiasing: the plain per-lane average, not the masks:
  // (0x01 + 0xFF) >> 1 = 0x80.
  TestBitmap half(11, 4, 0x01010101u);
  PIX_StrokeLine(&half, 0, 0, 10, 3, kWhite, 0.5f, 0, false);
  EXPECT_EQ(half.At(5, 1), 0x80808080u);
  EXPECT_EQ(half.At(5, 2), 0x01010101u);
  // Weight 0.6 (W = 153): copy, 0x99 as on the horizontal line.
  TestBitmap copy(11, 4, 0);
  PIX_StrokeLine(&copy, 0, 0, 10, 3, kWhite, 0.6f, 0x10000, false);
  EXPECT_EQ(copy.At(3, 1), 0x99999999u);
  // Multiply by 0x80808080 at W = 256: (256 x 128) x 255 >> 16 = 127.
  TestBitmap mul(11, 4, kWhite);
  PIX_StrokeLine(&mul, 0, 0, 10, 3, 0x80808080u, 1.0f, 3, false);
  EXPECT_EQ(mul.At(0, 0), 0x7F7F7F7Fu);
  EXPECT_EQ(mul.At(7, 2), 0x7F7F7F7Fu);
  EXPECT_EQ(mul.At(7, 3), kWhite);
  // Add of 0x40404040 at W = 256 over 0xF0: clamped to 0xFF.
  TestBitmap add(11, 4, 0xF0F0F0F0u);
  PIX_StrokeLine(&add, 0, 0, 10, 3, 0x40404040u, 1.0f, 1, false);
  EXPECT_EQ(add.At(8, 2), kWhite);
  EXPECT_EQ(add.At(8, 3), 0xF0F0F0F0u);
}

// Antialiased, W = 256: the ends get the full colour; then a = s, and each pass gives the cursor
// pixel 255 - f and its minor neighbour f, f = a >> 8; white over 0 by copy leaves that weight as the
// lane value.
//   pass 1: a = 19660, f = 76:  (1,0) 179, (1,1) 76;   (9,3) 179, (9,2) 76;   a = 39320
//   pass 2: a = 39320, f = 153: (2,0) 102, (2,1) 153;  (8,3) 102, (8,2) 153;  a = 58980
//   pass 3: a = 58980, f = 230: (3,0) 25, (3,1) 230;   (7,3) 25, (7,2) 230;
//           a = 78640 >= 0x10000: cursors onto the neighbours, a = 13104
//   pass 4: a = 13104, f = 51:  (4,1) 204, (4,2) 51;   (6,2) 204, (6,1) 51;   a = 32764
//   n even, f = 127: (5,1) 128, (5,2) 127.
TEST(LineStroke, AntialiasedSlopeFromBothEnds) {
  const int expect[4][11] = {
      {255, 179, 102, 25, 0, 0, 0, 0, 0, 0, 0},
      {0, 76, 153, 230, 204, 128, 51, 0, 0, 0, 0},
      {0, 0, 0, 0, 51, 127, 204, 230, 153, 76, 0},
      {0, 0, 0, 0, 0, 0, 0, 25, 102, 179, 255},
  };
  for (bool reversed : {false, true}) {
    TestBitmap bm(11, 4, 0);
    if (reversed) {
      PIX_StrokeLine(&bm, 10, 3, 0, 0, kWhite, 1.0f, 0x10000, true);
    } else {
      PIX_StrokeLine(&bm, 0, 0, 10, 3, kWhite, 1.0f, 0x10000, true);
    }
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 11; ++x) EXPECT_EQ(bm.At(x, y), Grey(expect[y][x])) << x << "," << y << " " << reversed;
  }
}

TEST(LineStroke, AntialiasedSlopeAtHalfWeight) {
  // W = 128: ends copy at 128 (255 - 255 x 128 / 256 = 255 - 127 = 128); pass 1 (f = 76):
  // wa = (179 x 128) >> 8 = 89, wb = (128 x 76) >> 8 = 38; middle (f = 127): wa = (128 x 128) >> 8 = 64,
  // wb = (128 x 127) >> 8 = 63.
  TestBitmap bm(11, 4, 0);
  PIX_StrokeLine(&bm, 0, 0, 10, 3, kWhite, 0.5f, 0, true);
  EXPECT_EQ(bm.At(0, 0), Grey(128));
  EXPECT_EQ(bm.At(10, 3), Grey(128));
  EXPECT_EQ(bm.At(1, 0), Grey(89));
  EXPECT_EQ(bm.At(1, 1), Grey(38));
  EXPECT_EQ(bm.At(9, 2), Grey(38));
  EXPECT_EQ(bm.At(5, 1), Grey(64));
  EXPECT_EQ(bm.At(5, 2), Grey(63));
}

TEST(LineStroke, ShortSlopes) {
  // (0, 0) to (2, 1): n = 2, s = 32768, one pass (the ends), then the middle. Plain: e = 32768 >= 0x8000
  // takes the forward cursor to (1, 1). Antialiased: the middle (1, 0) gets 255 - 128 = 127 and
  // (1, 1) gets 128.
  TestBitmap plain(3, 2, 0);
  PIX_StrokeLine(&plain, 0, 0, 2, 1, kWhite, 1.0f, 0, false);
  EXPECT_EQ(ChangedPicture(plain, 0, 0, 3, 2, 0), (std::vector<std::string>{"X..", ".XX"}));
  TestBitmap aa(3, 2, 0);
  PIX_StrokeLine(&aa, 0, 0, 2, 1, kWhite, 1.0f, 0, true);
  EXPECT_EQ(aa.At(0, 0), kWhite);
  EXPECT_EQ(aa.At(2, 1), kWhite);
  EXPECT_EQ(aa.At(1, 0), Grey(127));
  EXPECT_EQ(aa.At(1, 1), Grey(128));
  EXPECT_EQ(aa.At(2, 0), 0u);
  EXPECT_EQ(aa.At(0, 1), 0u);
  // (0, 0) to (3, 1): n = 3, s = 21845, two passes; the second pass draws (1, 0) and (2, 1) with
  // f = 85: 170 each, neighbours (1, 1) and (2, 0) 85.
  TestBitmap odd(4, 2, 0);
  PIX_StrokeLine(&odd, 0, 0, 3, 1, kWhite, 1.0f, 0, true);
  EXPECT_EQ(odd.At(1, 0), Grey(170));
  EXPECT_EQ(odd.At(1, 1), Grey(85));
  EXPECT_EQ(odd.At(2, 1), Grey(170));
  EXPECT_EQ(odd.At(2, 0), Grey(85));
}

// ---------------------------------------------------------------- clipping and orientation

TEST(LineStroke, SegmentWhollyOutsideDrawsNothing) {
  GuardedBitmap bm(10, 10);
  PIX_StrokeLine(&bm, -5, -1, 20, -3, kWhite, 1.0f, 0, true);
  PIX_StrokeLine(&bm, 10, 0, 12, 9, kWhite, 1.0f, 0, true);
  PIX_StrokeLine(&bm, -20, 5, 5, 30, kWhite, 1.0f, 0, true);  // passes below the bottom-left corner
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) EXPECT_EQ(bm.Stored(x, y), 0u) << x << "," << y;
  EXPECT_EQ(bm.ChangedGuardWords(), 0);
}

TEST(LineStroke, SegmentCrossingTheRightEdgeEndsOnTheLastColumn) {
  GuardedBitmap bm(10, 4);
  PIX_StrokeLine(&bm, 2, 2, 25, 2, kWhite, 1.0f, 0, false);
  for (int x = 0; x < 10; ++x) EXPECT_EQ(bm.Stored(x, 2), x >= 2 ? kWhite : 0u) << x;
  EXPECT_EQ(bm.ChangedGuardWords(), 0);
  // The slanted one of the clipping test: (-10, 0) to (20, 15) becomes (0, 5) to (9, 9) in 10 x 10;
  // without antialiasing both ends are drawn.
  GuardedBitmap slant(10, 10);
  PIX_StrokeLine(&slant, -10, 0, 20, 15, kWhite, 1.0f, 0, false);
  EXPECT_EQ(slant.Stored(0, 5), kWhite);
  EXPECT_EQ(slant.Stored(9, 9), kWhite);
  EXPECT_EQ(slant.ChangedGuardWords(), 0);
}

TEST(LineStroke, BottomUpBitmapFlipsRows) {
  // y becomes (height - 1) - y: row 0 is the stored row 4.
  TestBitmap bm(5, 5, 0, true);
  PIX_StrokeLine(&bm, 0, 0, 3, 0, kWhite, 1.0f, 0, false);
  EXPECT_EQ(ChangedPicture(bm, 0, 0, 5, 5, 0),
            (std::vector<std::string>{".....", ".....", ".....", ".....", "XXXX."}));
  // A diagonal from (0, 0) to (2, 2) runs in stored rows from (0, 4) to (2, 2).
  TestBitmap d(5, 5, 0, true);
  PIX_StrokeLine(&d, 0, 0, 2, 2, kWhite, 1.0f, 0, false);
  EXPECT_EQ(ChangedPicture(d, 0, 0, 5, 5, 0),
            (std::vector<std::string>{".....", ".....", "..X..", ".X...", "X...."}));
}

}  // namespace
