// Randomised bounds checks: fills with rectangles anywhere (far outside, huge, negative, at the int
// limits) in every mode and at odd weights, and smoothing with any area size, on views with guard
// pixels around them. Nothing may be written outside the view, nor outside the clipped rectangle.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "raster/pixfill.h"
#include "tests/raster/fill_views.h"

using filltest::GuardedView;

namespace {

struct Rng {
  uint64_t s;
  uint64_t Next() {
    s ^= s >> 12;
    s ^= s << 25;
    s ^= s >> 27;
    return s * 0x2545F4914F6CDD1Dull;
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }
};

// Coordinates and extents that probe the clipping: near the view, far away, and at the int limits.
int Coordinate(Rng& r) {
  static const int kEdgeValues[] = {0, 1, -1, 2147483647, -2147483647 - 1, 1 << 30, -(1 << 30),
                                 2147483647 - 5, -2147483647 + 5, 65536, -65536};
  switch (r.Below(3)) {
    case 0: return kEdgeValues[r.Below(static_cast<int>(sizeof kEdgeValues / sizeof kEdgeValues[0]))];
    case 1: return r.Below(121) - 60;
    default: return static_cast<int>(static_cast<uint32_t>(r.Next()));
  }
}

float Weight(Rng& r) {
  static const float kEdgeValues[] = {1.0f, 0.5f, 0.25f, 0.75f, 0.0f, -1.0f, 1.0f / 512, 0.3f, 2.0f, 16.0f,
                                   -16.0f, 1e9f, -1e9f, std::numeric_limits<float>::quiet_NaN(),
                                   std::numeric_limits<float>::infinity(),
                                   -std::numeric_limits<float>::infinity()};
  if (r.Below(2)) return kEdgeValues[r.Below(static_cast<int>(sizeof kEdgeValues / sizeof kEdgeValues[0]))];
  return static_cast<float>(r.Below(4001) - 2000) / 1000.0f;
}

int Mode(Rng& r) {
  static const int kLow[] = {0, 1, 2, 3, 4, 5, 6, 7, 0x7F, 0xF0, 0xF5, 0xFF};
  int mode = kLow[r.Below(static_cast<int>(sizeof kLow / sizeof kLow[0]))];
  if (r.Below(2)) mode |= 0x10000;
  if (r.Below(8) == 0) mode |= static_cast<int>(r.Next() & 0x7FFF0000);  // stray high bits
  return mode;
}

}  // namespace

TEST(FillRandom, FillsNeverLeaveTheClippedRectangle) {
  Rng r{0x0123456789ABCDEFull};
  for (int iter = 0; iter < 20000; ++iter) {
    const int w = 1 + r.Below(24), h = 1 + r.Below(24);
    GuardedView v(w, h, 3, r.Below(2) == 1);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) v.At(x, y) = static_cast<uint32_t>(r.Next());
    }
    std::vector<uint32_t> before;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) before.push_back(v.At(x, y));
    }
    const int x = Coordinate(r), y = Coordinate(r), fw = Coordinate(r), fh = Coordinate(r);
    const uint32_t colour = static_cast<uint32_t>(r.Next());
    const float weight = Weight(r);
    const int mode = Mode(r);
    PIX_FillArea(&v, x, y, fw, fh, colour, weight, mode);
    ASSERT_TRUE(v.GuardsIntact()) << "fill " << x << "," << y << " " << fw << "x" << fh << " mode " << mode
                                  << " weight " << weight << " on " << w << "x" << h;
    // The rectangle in 64 bits: [x, x + fw) x [y, y + fh).
    const int64_t x0 = x, x1 = static_cast<int64_t>(x) + fw, y0 = y, y1 = static_cast<int64_t>(y) + fh;
    size_t i = 0;
    for (int py = 0; py < h; ++py) {
      for (int px = 0; px < w; ++px, ++i) {
        const bool inside = px >= x0 && px < x1 && py >= y0 && py < y1;
        if (!inside) {
          ASSERT_EQ(v.At(px, py), before[i]) << "pixel " << px << "," << py << " outside fill " << x << ","
                                             << y << " " << fw << "x" << fh;
        }
      }
    }
  }
}

TEST(FillRandom, SmoothingStaysInsideItsArea) {
  Rng r{0xFEDCBA9876543210ull};
  for (int iter = 0; iter < 5000; ++iter) {
    const int w = 1 + r.Below(40), h = 1 + r.Below(12);
    GuardedView v(w, h, 2, r.Below(2) == 1);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) v.At(x, y) = static_cast<uint32_t>(r.Next());
    }
    std::vector<uint32_t> before;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) before.push_back(v.At(x, y));
    }
    const int sw = r.Below(2) ? Coordinate(r) : r.Below(w + 3), sh = r.Below(2) ? Coordinate(r) : r.Below(h + 3);
    PIX_Smooth3x3(&v, sw, sh);
    ASSERT_TRUE(v.GuardsIntact()) << sw << "x" << sh << " on " << w << "x" << h;
    size_t i = 0;
    for (int py = 0; py < h; ++py) {
      for (int px = 0; px < w; ++px, ++i) {
        if (px >= sw || py >= sh) {
          ASSERT_EQ(v.At(px, py), before[i]) << px << "," << py;
        }
      }
    }
  }
  // Wide views: the heap buffer path, also with guards.
  for (int iter = 0; iter < 20; ++iter) {
    const int w = 1000 + r.Below(1200), h = 2 + r.Below(4);
    GuardedView v(w, h, 2, r.Below(2) == 1);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) v.At(x, y) = static_cast<uint32_t>(r.Next());
    }
    PIX_Smooth3x3(&v, w + r.Below(3), h);
    ASSERT_TRUE(v.GuardsIntact());
  }
}
