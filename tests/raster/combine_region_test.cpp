// PIX_CopyRegion geometry: clipping of the source rectangle and the destination position, row
// strides, bottom-up bitmaps, null bitmaps and pixels; a randomized run with guard pixels around
// the destination; and the source-alpha mode against a straightforward per-pixel version.
#include "raster/pixcombine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace {

// A window onto pixels owned by someone else: any stride, either row order, or no pixels at all.
class ViewBitmap : public PIX_IBitmap {
 public:
  ViewBitmap(uint32_t* data, int width, int height, int stride, bool bottomUp = false)
      : mData(data), mWidth(width), mHeight(height), mStride(stride), mBottomUp(bottomUp) {}
  uint32_t* PixelData() override { return mData; }
  int PixelWidth() override { return mWidth; }
  int PixelHeight() override { return mHeight; }
  int RowStride() override { return mStride; }
  bool IsBottomUp() override { return mBottomUp; }
  bool ChangeDimensions(int, int) override { return false; }

 private:
  uint32_t* mData;
  int mWidth, mHeight, mStride;
  bool mBottomUp;
};

// Distinct words for source pixels: column in bits 8-15, row in bits 0-7.
uint32_t SrcWord(int i, int j) { return 0xA0000000u | static_cast<uint32_t>(i) << 8 | static_cast<uint32_t>(j); }
constexpr uint32_t kBackground = 0x11111111u;

void FillSource(PIX_MemBitmap& src) {
  for (int j = 0; j < src.PixelHeight(); ++j) {
    for (int i = 0; i < src.PixelWidth(); ++i) src.PixelData()[j * src.RowStride() + i] = SrcWord(i, j);
  }
}

void FillBackground(PIX_MemBitmap& dst) {
  std::fill(dst.PixelData(), dst.PixelData() + dst.RowStride() * dst.PixelHeight(), kBackground);
}

// Destination pixel (dx + i, dy + j) must hold source pixel (sx + i, sy + j) for i < w, j < h; all
// other pixels the background.
void ExpectPlaced(PIX_MemBitmap& dst, int dx, int dy, int sx, int sy, int w, int h) {
  for (int py = 0; py < dst.PixelHeight(); ++py) {
    for (int px = 0; px < dst.PixelWidth(); ++px) {
      const bool inside = px >= dx && px < dx + w && py >= dy && py < dy + h;
      const uint32_t want = inside ? SrcWord(sx + px - dx, sy + py - dy) : kBackground;
      ASSERT_EQ(dst.PixelData()[py * dst.RowStride() + px], want) << "at " << px << "," << py;
    }
  }
}

struct ClipCase {
  const char* what;
  int x, y;
  bool hasRect;
  IBox rect;
  int dx, dy, sx, sy, w, h;  // w = 0: nothing drawn
};

TEST(RegionCopyClip, SourceRectangleAndDestinationPosition) {
  const ClipCase cases[] = {
      // Left -3 moves the landing point 3 right: source column 0 at 5 + 3 = 8; 10 columns
      // (8..17) and 10 rows (5..14) fit in 20 x 20.
      {"negative rect left", 5, 5, true, IBox(-3, 0, 10, 10), 8, 5, 0, 0, 10, 10},
      // (-4, -2): the first four columns and two rows of the source fall off; 6 x 8 remain at (0, 0).
      {"negative position", -4, -2, false, IBox(), 0, 0, 4, 2, 6, 8},
      // At (15, 16) only 20 - 15 = 5 columns and 20 - 16 = 4 rows fit.
      {"right and bottom edge", 15, 16, false, IBox(), 15, 16, 0, 0, 5, 4},
      // Right and bottom beyond the source are cut to its size: columns 2..9, rows 3..9.
      {"rect beyond source", 1, 1, true, IBox(2, 3, 50, 50), 1, 1, 2, 3, 8, 7},
      {"rect to INT_MAX", 0, 0, true, IBox(0, 0, INT_MAX, INT_MAX), 0, 0, 0, 0, 10, 10},
      // Both: left -3 takes x from -5 to -2, then x < 0 cuts 2 columns: source column 2 at 0;
      // top -2 takes y from -1 to 1. Columns 2..3, rows 0..3.
      {"rect and position negative", -5, -1, true, IBox(-3, -2, 4, 4), 0, 1, 2, 0, 2, 4},
      {"interior sub-rect", 12, 3, true, IBox(4, 6, 7, 8), 12, 3, 4, 6, 3, 2},
      {"empty rect", 2, 2, true, IBox(5, 5, 5, 9), 0, 0, 0, 0, 0, 0},
      {"inverted rect", 2, 2, true, IBox(6, 0, 3, 10), 0, 0, 0, 0, 0, 0},
      {"rect left of source width", 0, 0, true, IBox(10, 0, 12, 10), 0, 0, 0, 0, 0, 0},
      {"x at dest width", 20, 0, false, IBox(), 0, 0, 0, 0, 0, 0},
      {"y at dest height", 0, 20, false, IBox(), 0, 0, 0, 0, 0, 0},
      {"all cut on the left", -10, 0, false, IBox(), 0, 0, 0, 0, 0, 0},
      {"all cut on the top", 3, -10, false, IBox(), 0, 0, 0, 0, 0, 0},
      {"rect left pushes past dest", 0, 0, true, IBox(-30, 0, 10, 10), 0, 0, 0, 0, 0, 0},
      {"rect left pulls back from far left", -100, 0, true, IBox(-20, 0, 5, 5), 0, 0, 0, 0, 0, 0},
      // Extremes: none of these may wrap around in 32 bits and land inside the destination.
      {"INT_MIN position", INT_MIN, INT_MIN, false, IBox(), 0, 0, 0, 0, 0, 0},
      {"INT_MAX position", INT_MAX, INT_MAX, false, IBox(), 0, 0, 0, 0, 0, 0},
      {"INT_MIN left, small x", 5, 0, true, IBox(INT_MIN, 0, 10, 10), 0, 0, 0, 0, 0, 0},
      {"INT_MIN left, INT_MAX x", INT_MAX, 0, true, IBox(INT_MIN, INT_MIN, 10, 10), 0, 0, 0, 0, 0, 0},
      // INT_MIN - INT_MIN = 0: the whole source lands at (0, 0).
      {"INT_MIN left and x", INT_MIN, INT_MIN, true, IBox(INT_MIN, INT_MIN, INT_MAX, INT_MAX), 0, 0, 0, 0, 10, 10},
      {"INT_MAX left", INT_MIN, 0, true, IBox(INT_MAX, 0, INT_MAX, 10), 0, 0, 0, 0, 0, 0},
      // -1 - INT_MIN = INT_MAX: far right of the destination.
      {"INT_MIN left, x -1", -1, 0, true, IBox(INT_MIN, 0, 10, 10), 0, 0, 0, 0, 0, 0},
      // x = INT_MIN + 3 with left INT_MIN: x - left = 3, source column 0 at 3.
      {"INT_MIN left, x INT_MIN+3", INT_MIN + 3, 0, true, IBox(INT_MIN, 0, 10, 10), 3, 0, 0, 0, 10, 10},
  };
  PIX_MemBitmap src(10, 10), dst(20, 20);
  FillSource(src);
  for (const ClipCase& c : cases) {
    SCOPED_TRACE(c.what);
    FillBackground(dst);
    PIX_CopyRegion(&dst, &src, c.x, c.y, c.hasRect ? &c.rect : nullptr, 1.0f, 0);
    ExpectPlaced(dst, c.dx, c.dy, c.sx, c.sy, c.w, c.h);
  }
}

TEST(RegionCopyClip, SameClippingInEveryMode) {
  // Channel copy 0xFF (alpha into alpha) and the blend at 0.5 touch exactly the clipped area.
  PIX_MemBitmap src(10, 10), dst(20, 20);
  FillSource(src);
  const IBox rect(-3, 0, 10, 10);
  for (int mode : {0xFF, 0, 1, 0x10000}) {
    SCOPED_TRACE(mode);
    FillBackground(dst);
    PIX_CopyRegion(&dst, &src, 5, 5, &rect, 0.5f, mode);
    for (int py = 0; py < 20; ++py) {
      for (int px = 0; px < 20; ++px) {
        const bool inside = px >= 8 && px < 18 && py >= 5 && py < 15;
        const uint32_t v = dst.PixelData()[py * dst.RowStride() + px];
        if (inside) {
          ASSERT_NE(v, kBackground) << px << "," << py;
        } else {
          ASSERT_EQ(v, kBackground) << px << "," << py;
        }
      }
    }
  }
}

TEST(RegionCopyLayout, HonoursEachBitmapsStride) {
  // Source 3 x 2 in rows of 7 words; destination a 5 x 3 memory bitmap (stride 8).
  std::vector<uint32_t> pixels(2 * 7, 0xDEADBEEFu);
  for (int j = 0; j < 2; ++j) {
    for (int i = 0; i < 3; ++i) pixels[j * 7 + i] = SrcWord(i, j);
  }
  ViewBitmap src(pixels.data(), 3, 2, 7);
  PIX_MemBitmap dst(5, 3);
  ASSERT_EQ(dst.RowStride(), 8);
  FillBackground(dst);
  PIX_CopyRegion(&dst, &src, 2, 1, nullptr, 1.0f, 0);
  ExpectPlaced(dst, 2, 1, 0, 0, 3, 2);
}

TEST(RegionCopyLayout, BottomUpRowsAreWalkedBackwards) {
  // Stored rows 0, 1, 2 of a bottom-up source are its rows 2, 1, 0 from the top.
  std::vector<uint32_t> stored(3 * 4);
  for (int row = 0; row < 3; ++row) {
    for (int i = 0; i < 4; ++i) stored[row * 4 + i] = SrcWord(i, 2 - row);
  }
  ViewBitmap src(stored.data(), 4, 3, 4, true);
  PIX_MemBitmap dst(4, 3);
  FillBackground(dst);
  PIX_CopyRegion(&dst, &src, 0, 0, nullptr, 1.0f, 0);
  ExpectPlaced(dst, 0, 0, 0, 0, 4, 3);

  // Rows 1..2 from the top of the source (stored rows 1 and 0) into row 0 of a bottom-up
  // destination of height 3, which is its stored row 2, and row 1 (stored row 1).
  std::vector<uint32_t> target(3 * 4, kBackground);
  ViewBitmap dstUp(target.data(), 4, 3, 4, true);
  const IBox rect(1, 1, 3, 3);
  PIX_CopyRegion(&dstUp, &src, 0, 0, &rect, 1.0f, 0);
  const uint32_t want[3][4] = {{kBackground, kBackground, kBackground, kBackground},
                               {SrcWord(1, 2), SrcWord(2, 2), kBackground, kBackground},
                               {SrcWord(1, 1), SrcWord(2, 1), kBackground, kBackground}};
  for (int row = 0; row < 3; ++row) {
    for (int i = 0; i < 4; ++i) EXPECT_EQ(target[row * 4 + i], want[row][i]) << row << "," << i;
  }
}

TEST(RegionCopyNull, NullBitmapsAndPixelsChangeNothing) {
  PIX_MemBitmap src(4, 4), dst(4, 4);
  FillSource(src);
  FillBackground(dst);
  PIX_CopyRegion(nullptr, &src, 0, 0, nullptr, 1.0f, 0);
  PIX_CopyRegion(&dst, nullptr, 0, 0, nullptr, 1.0f, 0);
  PIX_CopyRegion(nullptr, nullptr, 0, 0, nullptr, 1.0f, 0);
  PIX_MemBitmap empty(0, 0);
  PIX_CopyRegion(&dst, &empty, 0, 0, nullptr, 1.0f, 0);
  PIX_CopyRegion(&empty, &src, 0, 0, nullptr, 1.0f, 0);
  // Sized, but without pixels.
  ViewBitmap bare(nullptr, 4, 4, 4);
  PIX_CopyRegion(&dst, &bare, 0, 0, nullptr, 1.0f, 0);
  PIX_CopyRegion(&dst, &bare, 0, 0, nullptr, 1.0f, 0xF5);
  PIX_CopyRegion(&bare, &src, 0, 0, nullptr, 0.5f, 0x10000);
  ExpectPlaced(dst, 0, 0, 0, 0, 0, 0);
}

// ------------------------------------------------------------------ randomized, guarded

// Where the copy should land, worked out from the clipping rules in 64 bits.
struct Span {
  bool any = false;
  int64_t x = 0, y = 0, l = 0, t = 0, w = 0, h = 0;
};

Span ExpectedSpan(int dw, int dh, int sw, int sh, int x, int y, const IBox* rc) {
  int64_t X = x, Y = y, l = 0, t = 0, r = sw, b = sh;
  if (rc) {
    l = rc->mLeft;
    t = rc->mTop;
    if (l < 0) X -= l, l = 0;
    if (t < 0) Y -= t, t = 0;
    r = std::min<int64_t>(rc->mRight, sw);
    b = std::min<int64_t>(rc->mBottom, sh);
  }
  if (X < 0) l -= X, X = 0;
  if (Y < 0) t -= Y, Y = 0;
  if (r <= l || b <= t || X >= dw || Y >= dh) return {};
  r = std::min<int64_t>(r, l + dw - X);
  b = std::min<int64_t>(b, t + dh - Y);
  if (r <= l || b <= t) return {};
  return Span{true, X, Y, l, t, r - l, b - t};
}

int TruncatedWeight(float alpha) {
  if (std::isnan(alpha)) return 0;
  const double w = static_cast<double>(alpha) * 256.0;
  return static_cast<int>(std::max(-4096.0, std::min(4096.0, w)));
}

bool DrawsNothing(int mode, float alpha) {
  if (alpha == 0.0f) return true;
  if ((mode & 0xFF) >= 0xF0) return false;
  const int m = mode & 0x100FF;
  if (m == 0 && (alpha == 1.0f || alpha == 0.5f)) return false;
  const int W = TruncatedWeight(alpha);
  if (W == 0) return true;
  if (m == 0) return W < 0;
  return !((m >= 1 && m <= 5) || (m >= 0x10000 && m <= 0x10005));
}

// The result for the modes whose outcome is a plain function of the two words; false otherwise.
bool KnownResult(int mode, float alpha, uint32_t s, uint32_t d, uint32_t* out) {
  if (DrawsNothing(mode, alpha)) {
    *out = d;
    return true;
  }
  if ((mode & 0xFF) >= 0xF0) {
    const int from = (mode & 3) * 8, to = ((mode >> 2) & 3) * 8;
    *out = (d & ~(0xFFu << to)) | (((s >> from) & 0xFFu) << to);
    return true;
  }
  if ((mode & 0x100FF) == 0 && alpha == 1.0f) {
    *out = s;
    return true;
  }
  if ((mode & 0x100FF) == 0 && alpha == 0.5f) {
    uint32_t r = 0;
    for (int k = 0; k < 32; k += 8) r |= ((((d >> k) & 0xFF) >> 1) + (((s >> k) & 0xFF) >> 1)) << k;
    *out = r;
    return true;
  }
  return false;
}

int Coordinate(std::mt19937& rng) {
  static const int kEdges[] = {INT_MIN, INT_MIN + 1, INT_MAX, INT_MAX - 1, -1, 0, 1};
  switch (std::uniform_int_distribution<int>(0, 9)(rng)) {
    case 0: return std::uniform_int_distribution<int>(-100000, 100000)(rng);
    case 1: return kEdges[std::uniform_int_distribution<int>(0, 6)(rng)];
    default: return std::uniform_int_distribution<int>(-12, 30)(rng);
  }
}

TEST(RegionCopyRandom, NeverTouchesAnythingOutsideTheDestinationArea) {
  std::mt19937 rng(0x5EED0101u);
  auto uni = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  std::vector<int> modes = {0, 1, 2, 3, 4, 5, 6, 7, 0x80, 0xEF, 0x20000, 0x100F5, 0x7FFFFFFF,
                            static_cast<int>(0x80000000u), -1};
  for (int m = 0xF0; m <= 0xFF; ++m) modes.push_back(m);
  for (int m = 0x10000; m <= 0x10007; ++m) modes.push_back(m);
  const float kNan = std::numeric_limits<float>::quiet_NaN();
  const float kInf = std::numeric_limits<float>::infinity();
  const float alphas[] = {1.0f, 0.5f, 0.0f, -0.0f, 0.4999f, -0.5f, 2.0f, 1e30f, -1e30f, kInf, -kInf, kNan, 0.001f};
  constexpr int kGuard = 37;
  constexpr uint32_t kGuardWord = 0x5A5AA5A5u;

  int drawn = 0;
  for (int iter = 0; iter < 10000; ++iter) {
    const int dw = uni(0, 24), dh = uni(0, 24), dstride = dw + uni(0, 5);
    const int sw = uni(0, 24), sh = uni(0, 24), sstride = sw + uni(0, 3);
    const bool dUp = uni(0, 3) == 0, sUp = uni(0, 3) == 0;
    const bool dBare = uni(0, 40) == 0, sBare = uni(0, 40) == 0;

    // The destination sits in a larger buffer: guard words before and after, and its row padding.
    std::vector<uint32_t> dbuf(static_cast<size_t>(kGuard * 2 + dstride * dh), kGuardWord);
    for (int j = 0; j < dh; ++j) {
      for (int i = 0; i < dw; ++i) dbuf[kGuard + j * dstride + i] = rng();
    }
    // The source buffer is exactly as long as its last pixel, so ASan sees a read past it.
    const size_t slen = (sw > 0 && sh > 0) ? static_cast<size_t>((sh - 1) * sstride + sw) : 0;
    std::vector<uint32_t> sbuf(slen);
    for (uint32_t& v : sbuf) {
      v = rng();
      if (uni(0, 3) == 0) v &= 0x00FFFFFFu;
      if (uni(0, 3) == 0) v |= 0xFF000000u;
    }
    ViewBitmap dst(dBare ? nullptr : dbuf.data() + kGuard, dw, dh, dstride, dUp);
    ViewBitmap src(sBare || slen == 0 ? nullptr : sbuf.data(), sw, sh, sstride, sUp);

    // Half the cases are plausible placements that mostly overlap; the other half are wild.
    const bool plausible = uni(0, 1) == 0;
    auto coord = [&](int lo, int hi) { return plausible ? uni(lo, std::max(lo, hi)) : Coordinate(rng); };
    IBox rect;
    const bool useRect = uni(0, 3) != 0;
    if (useRect) {
      rect.mLeft = coord(-6, sw);
      rect.mTop = coord(-6, sh);
      const bool sensible = plausible || uni(0, 1) == 0;
      rect.mRight = sensible ? static_cast<int>(std::min<int64_t>(INT_MAX, int64_t{rect.mLeft} + uni(0, 30))) : Coordinate(rng);
      rect.mBottom = sensible ? static_cast<int>(std::min<int64_t>(INT_MAX, int64_t{rect.mTop} + uni(0, 30))) : Coordinate(rng);
    }
    const int x = coord(-sw, dw), y = coord(-sh, dh);
    int mode = modes[uni(0, static_cast<int>(modes.size()) - 1)];
    if (uni(0, 15) == 0) mode = static_cast<int>(rng());
    float alpha = alphas[uni(0, 12)];
    if (uni(0, 3) == 0) alpha = std::uniform_real_distribution<float>(-20.0f, 20.0f)(rng);

    const std::vector<uint32_t> before = dbuf;
    PIX_CopyRegion(&dst, &src, x, y, useRect ? &rect : nullptr, alpha, mode);

    // What every word of the buffer should hold now; `unchecked` marks words whose value may be anything.
    std::vector<uint32_t> want = before;
    std::vector<bool> unchecked(dbuf.size(), false);
    const Span sp = ExpectedSpan(dw, dh, sw, sh, x, y, useRect ? &rect : nullptr);
    if (sp.any && !dBare && src.PixelData()) {
      ++drawn;
      for (int64_t j = 0; j < sp.h; ++j) {
        const int64_t drow = dUp ? dh - 1 - (sp.y + j) : sp.y + j;
        const int64_t srow = sUp ? sh - 1 - (sp.t + j) : sp.t + j;
        for (int64_t i = 0; i < sp.w; ++i) {
          const size_t di = static_cast<size_t>(kGuard + drow * dstride + sp.x + i);
          const uint32_t s = sbuf[static_cast<size_t>(srow * sstride + sp.l + i)];
          if (!KnownResult(mode, alpha, s, before[di], &want[di])) unchecked[di] = true;
        }
      }
    }
    for (size_t k = 0; k < dbuf.size(); ++k) {
      if (unchecked[k]) continue;
      ASSERT_EQ(dbuf[k], want[k]) << "iteration " << iter << ", word " << k << " (guard " << kGuard
                                  << "), dest " << dw << "x" << dh << "/" << dstride << " up " << dUp
                                  << ", src " << sw << "x" << sh << "/" << sstride << " up " << sUp
                                  << ", at " << x << "," << y << ", rect " << useRect << " " << rect.mLeft
                                  << "," << rect.mTop << "," << rect.mRight << "," << rect.mBottom
                                  << ", mode 0x" << std::hex << mode << std::dec << ", alpha " << alpha;
    }
  }
  EXPECT_GT(drawn, 1500) << "the run must not be all clipped away";
}

// ------------------------------------------------------------------ source alpha, whole bitmaps

// Source-alpha copy of one pixel at integer weight W, written out lane by lane.
uint32_t SourceAlphaPixel(uint32_t d, uint32_t s, int W) {
  const int a = static_cast<int>(s >> 24);
  if (a == 0) return d;
  if (W == 256 && a == 255) return s | 0xFF000000u;
  const int gain = W == 256 ? a : (a + 1) * W / 256;    // added to the alpha
  const int keep = W == 256 ? 255 - a : 256 - gain;     // share of the destination colour
  const int da = static_cast<int>(d >> 24) + gain;
  uint32_t out = static_cast<uint32_t>(std::min(da, 255) & 0xFF) << 24;
  for (int k = 0; k < 24; k += 8) {
    const int dv = static_cast<int>((d >> k) & 0xFF), sv = static_cast<int>((s >> k) & 0xFF);
    out |= static_cast<uint32_t>((sv + (dv - sv) * keep / 256) & 0xFF) << k;
  }
  return out;
}

void CheckSourceAlphaRun(std::mt19937& rng, float alpha, int W) {
  auto uni = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  PIX_MemBitmap src(uni(1, 40), uni(1, 30)), dst(uni(1, 40), uni(1, 30));
  for (PIX_MemBitmap* bm : {&src, &dst}) {
    for (int k = 0; k < bm->RowStride() * bm->PixelHeight(); ++k) {
      uint32_t v = rng();
      const int pick = uni(0, 5);
      if (pick == 0) v &= 0x00FFFFFFu;  // alpha 0
      if (pick == 1) v |= 0xFF000000u;  // alpha 255
      bm->PixelData()[k] = v;
    }
  }
  const std::vector<uint32_t> before(dst.PixelData(), dst.PixelData() + dst.RowStride() * dst.PixelHeight());
  const int l = uni(0, src.PixelWidth() - 1), t = uni(0, src.PixelHeight() - 1);
  const IBox rect(l, t, uni(l + 1, src.PixelWidth()), uni(t + 1, src.PixelHeight()));
  const int x = uni(0, dst.PixelWidth() - 1), y = uni(0, dst.PixelHeight() - 1);
  PIX_CopyRegion(&dst, &src, x, y, &rect, alpha, 0x10000);

  const int w = std::min(rect.Width(), dst.PixelWidth() - x), h = std::min(rect.Height(), dst.PixelHeight() - y);
  for (int py = 0; py < dst.PixelHeight(); ++py) {
    for (int px = 0; px < dst.RowStride(); ++px) {
      const int k = py * dst.RowStride() + px;
      uint32_t want = before[k];
      if (px >= x && px < x + w && py >= y && py < y + h) {
        want = SourceAlphaPixel(before[k], src.PixelData()[(t + py - y) * src.RowStride() + l + px - x], W);
      }
      ASSERT_EQ(dst.PixelData()[k], want) << "at " << px << "," << py << " W " << W;
    }
  }
}

TEST(RegionCopyEquivalence, SourceAlphaAtFullWeightMatchesPerPixelFormula) {
  std::mt19937 rng(0xA1FA0001u);
  for (int run = 0; run < 300; ++run) CheckSourceAlphaRun(rng, 1.0f, 256);
}

TEST(RegionCopyEquivalence, SourceAlphaAtOtherWeightsMatchesPerPixelFormula) {
  std::mt19937 rng(0xA1FA0002u);
  for (int run = 0; run < 300; ++run) {
    int W = std::uniform_int_distribution<int>(-300, 600)(rng);
    if (W == 0) W = 1;
    // Half a step away from W, so that truncation toward zero lands on W.
    const float alpha = (static_cast<float>(W) + (W > 0 ? 0.5f : -0.5f)) / 256.0f;
    CheckSourceAlphaRun(rng, alpha, W);
  }
}

}  // namespace
