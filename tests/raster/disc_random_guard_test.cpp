// Thousands of random discs and segments, most of them reaching far outside, on small bitmaps seen
// through guard pixels: nothing may be written outside the bitmap (and, under the sanitizers, no
// signed overflow or out-of-range conversion may happen).
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cstdint>
#include <limits>
#include <random>

#include "raster/pixdisc.h"
#include "raster/pixline.h"
#include "tests/raster/disc_line_guard.h"

namespace {

using disc_line_test::GuardedBitmap;

class Picker {
 public:
  explicit Picker(uint32_t seed) : mRng(seed) {}

  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(mRng); }
  bool Chance(int percent) { return Int(0, 99) < percent; }

  // A coordinate: mostly near a bitmap of up to 12 pixels, often far away or at the extremes.
  int Coordinate() {
    switch (Int(0, 7)) {
      case 0:
      case 1:
      case 2:
        return Int(-6, 18);
      case 3:
        return Int(-100000, 100000);
      case 4:
        return Int(0, 1) ? Int(INT_MIN, INT_MIN + 40) : Int(INT_MAX - 40, INT_MAX);
      case 5:
        return Int(0, 1) ? 1000000000 + Int(-30, 30) : -1000000000 + Int(-30, 30);
      default:
        return Int(INT_MIN, INT_MAX);
    }
  }

  float FloatCoordinate() {
    const float inf = std::numeric_limits<float>::infinity();
    switch (Int(0, 11)) {
      case 0:
        return std::numeric_limits<float>::quiet_NaN();
      case 1:
        return Int(0, 1) ? inf : -inf;
      case 2:
        return Int(0, 1) ? FLT_MAX : -FLT_MAX;
      case 3:
        return static_cast<float>(Int(0, 1) ? INT_MAX : INT_MIN);
      case 4:
        return static_cast<float>(Int(-3, 3)) * 1e9f + static_cast<float>(Int(-64, 64)) * 64.0f;
      case 5:
        return std::uniform_real_distribution<float>(-1e12f, 1e12f)(mRng);
      default:
        return static_cast<float>(Int(-60, 180)) * 0.1f;
    }
  }

  float Radius() {
    switch (Int(0, 9)) {
      case 0:
        return std::numeric_limits<float>::infinity();
      case 1:
        return std::numeric_limits<float>::quiet_NaN();
      case 2:
        return std::uniform_real_distribution<float>(0.0f, 3e9f)(mRng);
      case 3:
        return Int(0, 1) ? FLT_MAX : 2147483648.0f;
      case 4:
        return -static_cast<float>(Int(0, 5));
      case 5:
        return static_cast<float>(Int(0, 2000000)) * 1000.0f;
      default:
        return static_cast<float>(Int(0, 200)) * 0.1f;
    }
  }

  float Weight() {
    static const float kWeights[] = {1.0f, 0.5f, 0.25f, 0.75f, 0.6f, 0.0f, 1.0f / 512.0f, -0.3f, -1.0f,
                                     2.0f, 17.0f, -40.0f, 1e30f, std::numeric_limits<float>::quiet_NaN(),
                                     std::numeric_limits<float>::infinity()};
    if (Chance(30)) return std::uniform_real_distribution<float>(-2.0f, 2.0f)(mRng);
    return kWeights[Int(0, static_cast<int>(sizeof(kWeights) / sizeof(kWeights[0])) - 1)];
  }

  int Mode() {
    const int low = Chance(85) ? Int(0, 5) : Int(6, 255);
    return low | (Chance(30) ? 0x10000 : 0) | (Chance(5) ? Int(1, 0x7FFF) << 8 : 0);
  }

  uint32_t Colour() { return static_cast<uint32_t>(mRng()); }

 private:
  std::mt19937 mRng;
};

// Random bitmap shapes (empty ones included), both orientations.
template <class Draw>
void OnRandomBitmaps(uint32_t seed, int bitmaps, int drawsPerBitmap, Draw draw) {
  Picker pick(seed);
  for (int b = 0; b < bitmaps; ++b) {
    const int width = pick.Chance(5) ? 0 : pick.Int(1, 12);
    const int height = pick.Chance(5) ? 0 : pick.Int(1, 12);
    GuardedBitmap bm(width, height, 8, pick.Int(0, 5), pick.Chance(30));
    for (int i = 0; i < drawsPerBitmap; ++i) draw(bm, pick);
    ASSERT_EQ(bm.ChangedGuardWords(), 0) << "bitmap " << b << " (" << width << " x " << height << ")";
  }
}

TEST(DiscRandomGuard, DiscsNeverWriteOutside) {
  OnRandomBitmaps(0xD15C, 400, 60, [](GuardedBitmap& bm, Picker& pick) {
    float cx, cy, r;
    if (pick.Chance(40)) {
      // Near the bitmap, radius small enough to leave parts inside and parts outside.
      cx = static_cast<float>(pick.Int(-80, 200)) * 0.1f;
      cy = static_cast<float>(pick.Int(-80, 200)) * 0.1f;
      r = static_cast<float>(pick.Int(0, 150)) * 0.1f;
    } else {
      cx = pick.FloatCoordinate();
      cy = pick.FloatCoordinate();
      r = pick.Radius();
    }
    PIX_FillDisc(&bm, cx, cy, r, pick.Colour(), pick.Weight(), pick.Mode(), pick.Chance(50));
  });
}

TEST(DiscRandomGuard, DiscEdgesThroughTheBitmapFromFarAway) {
  // Centres far outside with radii that bring the rim across the bitmap: the walk has to skip ahead
  // to steps near 1e9 (or to the oversized fill) and still stay inside.
  OnRandomBitmaps(0xFA2, 200, 40, [](GuardedBitmap& bm, Picker& pick) {
    const float far = static_cast<float>(pick.Int(1, 2000)) * 1e6f;
    const float cx = pick.Chance(50) ? -far : far;
    const float cy = static_cast<float>(pick.Int(-20, 30));
    const float r = far + static_cast<float>(pick.Int(-200, 200));
    const bool swap = pick.Chance(50);
    PIX_FillDisc(&bm, swap ? cy : cx, swap ? cx : cy, r, pick.Colour(), pick.Weight(), pick.Mode(),
                 pick.Chance(50));
  });
}

TEST(LineRandomGuard, SegmentsNeverWriteOutside) {
  OnRandomBitmaps(0x11E5, 400, 60, [](GuardedBitmap& bm, Picker& pick) {
    PIX_StrokeLine(&bm, pick.Coordinate(), pick.Coordinate(), pick.Coordinate(), pick.Coordinate(),
                   pick.Colour(), pick.Weight(), pick.Mode(), pick.Chance(50));
  });
}

TEST(LineRandomGuard, ClippedEndsLieInsideAndOnTheSegmentsBox) {
  Picker pick(0xC11F);
  for (int i = 0; i < 20000; ++i) {
    const int width = pick.Int(0, 12), height = pick.Int(0, 12);
    const int x1 = pick.Coordinate(), y1 = pick.Coordinate(), x2 = pick.Coordinate(), y2 = pick.Coordinate();
    int a = x1, b = y1, c = x2, d = y2;
    const bool inside = PIX_ClipSegment(&a, &b, &c, &d, width, height);
    if (!inside) continue;
    ASSERT_TRUE(a >= 0 && a < width && c >= 0 && c < width) << x1 << "," << y1 << " " << x2 << "," << y2;
    ASSERT_TRUE(b >= 0 && b < height && d >= 0 && d < height) << x1 << "," << y1 << " " << x2 << "," << y2;
    const int64_t loX = x1 < x2 ? x1 : x2, hiX = x1 < x2 ? x2 : x1;
    const int64_t loY = y1 < y2 ? y1 : y2, hiY = y1 < y2 ? y2 : y1;
    ASSERT_TRUE(a >= loX && a <= hiX && c >= loX && c <= hiX);
    ASSERT_TRUE(b >= loY && b <= hiY && d >= loY && d <= hiY);
  }
}

}  // namespace
