#include "raster/pixline.h"

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <utility>

#include "raster/pixcombine.h"
#include "raster/pixpaint.h"

namespace {

using pixpaint::WithModeOp;

// ---------------------------------------------------------------- clipping

enum : int { kOutLeft = 1, kOutRight = 2, kOutAbove = 4, kOutBelow = 8 };

int Outcode(int64_t x, int64_t y, int64_t width, int64_t height) {
  int code = 0;
  if (x < 0) code |= kOutLeft;
  if (x >= width) code |= kOutRight;
  if (y < 0) code |= kOutAbove;
  if (y >= height) code |= kOutBelow;
  return code;
}

// A crossing computed in double precision, truncated. The exact crossing lies between the two
// current ends; keeping the rounded one there too lets every move shrink the segment's bounding box,
// which bounds the number of moves and keeps the coordinates in 32 bits.
int64_t CrossingBetween(double v, int64_t a, int64_t b) {
  const int64_t lo = a < b ? a : b, hi = a < b ? b : a;
  const double t = std::trunc(v);
  if (!(t >= static_cast<double>(lo))) return lo;
  if (t > static_cast<double>(hi)) return hi;
  return static_cast<int64_t>(t);
}

// Outcode clipping in 64 bits (a bottom-up flip may have taken y beyond 32 bits). Each move takes an
// end to the crossing with the line at height (or width), not height - 1, and then puts it on the
// last row (column): the end point then lies on the bitmap's edge even when the crossing is cut.
bool ClipSegment64(int64_t& x1, int64_t& y1, int64_t& x2, int64_t& y2, int64_t width, int64_t height) {
  int c1 = Outcode(x1, y1, width, height);
  int c2 = Outcode(x2, y2, width, height);
  for (;;) {
    if ((c1 | c2) == 0) return true;
    if (c1 & c2) return false;
    const bool first = c1 != 0;
    const int code = first ? c1 : c2;
    // The moving end lies beyond the edge and the other end does not, so the divisor is never 0.
    const double dx = static_cast<double>(x2 - x1), dy = static_cast<double>(y2 - y1);
    const double fx1 = static_cast<double>(x1), fy1 = static_cast<double>(y1);
    int64_t x, y;
    if (code & kOutBelow) {
      x = CrossingBetween(fx1 + static_cast<double>(height - y1) * dx / dy, x1, x2);
      y = height - 1;
    } else if (code & kOutAbove) {
      x = CrossingBetween(fx1 - fy1 * dx / dy, x1, x2);
      y = 0;
    } else if (code & kOutRight) {
      y = CrossingBetween(fy1 + static_cast<double>(width - x1) * dy / dx, y1, y2);
      x = width - 1;
    } else {
      y = CrossingBetween(fy1 - fx1 * dy / dx, y1, y2);
      x = 0;
    }
    if (first) {
      x1 = x;
      y1 = y;
      c1 = Outcode(x1, y1, width, height);
    } else {
      x2 = x;
      y2 = y;
      c2 = Outcode(x2, y2, width, height);
    }
  }
}

// ---------------------------------------------------------------- pixel operations

// Mode 0 at the weights 1.0, 0.5, 0.25 and 0.75: the whole-word blends, alpha byte included.
using pixpaint::MaskHalfOp;
using pixpaint::MaskQuarterOp;
using pixpaint::MaskThreeQuarterOp;

// Calls fn(op) with the mask operation of a weight compared exactly with the four values; false
// when the weight is none of them.
template <class Fn>
bool WithMaskOp(float weight, uint32_t colour, Fn&& fn) {
  if (weight == 1.0f) {
    fn(pixpaint::StoreOp{colour});
  } else if (weight == 0.5f) {
    fn(MaskHalfOp{colour});
  } else if (weight == 0.25f) {
    fn(MaskQuarterOp{colour});
  } else if (weight == 0.75f) {
    fn(MaskThreeQuarterOp{colour});
  } else {
    return false;
  }
  return true;
}

// ---------------------------------------------------------------- runs

// count pixels from p, `step` pixels apart, all at the weight w.
template <class Op>
void Run(uint32_t* p, std::ptrdiff_t step, int count, const Op& op, int w) {
  for (int i = 0; i < count; ++i) op(p + static_cast<std::ptrdiff_t>(i) * step, w);
}

// Antialiased exact diagonal: n main pixels with a weight and their two side pixels (one step along
// x, one along y) with another, then the last main pixel alone.
template <class MainOp, class SideOp>
void DiagonalFringe(uint32_t* p, std::ptrdiff_t diag, std::ptrdiff_t sideX, std::ptrdiff_t sideY, int n,
                    const MainOp& mainOp, int wMain, const SideOp& sideOp, int wSide) {
  for (int i = 0; i < n; ++i) {
    uint32_t* q = p + static_cast<std::ptrdiff_t>(i) * diag;
    mainOp(q, wMain);
    sideOp(q + sideX, wSide);
    sideOp(q + sideY, wSide);
  }
  mainOp(p + static_cast<std::ptrdiff_t>(n) * diag, wMain);
}

// Span walk of a general slope from both ends toward the middle. `pf` starts at the first end and
// `pb` at the last; a major step moves pf by `major` and pb back by it, a minor step moves pf by
// `minor` and pb back by it; s is the 16.16 minor advance per major step (below 1.0).
template <class Op>
void SpanWalk(uint32_t* pf, uint32_t* pb, std::ptrdiff_t major, std::ptrdiff_t minor, int n, int s,
              const Op& op, int W) {
  const int passes = (n + 1) / 2;
  int e = 0;
  for (int i = 0; i < passes; ++i) {
    op(pf, W);
    op(pb, W);
    e += s;
    if (e >= 0x8000) {
      pf += minor;
      pb -= minor;
      e -= 0x10000;
    }
    pf += major;
    pb -= major;
  }
  if ((n & 1) == 0) op(pf, W);
}

// Antialiased span walk: the ends at full weight, then each pixel shares the weight with its minor
// neighbour by the fraction a of the minor advance.
template <class Op>
void SpanWalkAntialiased(uint32_t* pf, uint32_t* pb, std::ptrdiff_t major, std::ptrdiff_t minor, int n,
                         int s, const Op& op, int W) {
  const int passes = (n + 1) / 2;
  op(pf, W);
  op(pb, W);
  pf += major;
  pb -= major;
  int a = s;
  int wa = 0, wb = 0;
  auto share = [W, &wa, &wb](int f) {
    if (W == 256) {
      wa = 255 - f;
      wb = f;
    } else {
      wa = ((255 - f) * W) >> 8;
      wb = (W * f) >> 8;
    }
  };
  for (int i = 1; i < passes; ++i) {
    share(a >> 8);
    op(pf, wa);
    op(pf + minor, wb);
    op(pb, wa);
    op(pb - minor, wb);
    a += s;
    if (a >= 0x10000) {
      pf += minor;
      pb -= minor;
      a -= 0x10000;
    }
    pf += major;
    pb -= major;
  }
  if ((n & 1) == 0) {
    share(a >> 8);
    op(pf, wa);
    op(pf + minor, wb);
  }
}

}  // namespace

bool PIX_ClipSegment(int* x1, int* y1, int* x2, int* y2, int width, int height) {
  if (!x1 || !y1 || !x2 || !y2) return false;
  int64_t X1 = *x1, Y1 = *y1, X2 = *x2, Y2 = *y2;
  // Every moved end lies between the two ends or on the last column or row, so it fits back.
  const bool inside = ClipSegment64(X1, Y1, X2, Y2, width < 0 ? 0 : width, height < 0 ? 0 : height);
  *x1 = static_cast<int>(X1);
  *y1 = static_cast<int>(Y1);
  *x2 = static_cast<int>(X2);
  *y2 = static_cast<int>(Y2);
  return inside;
}

void PIX_StrokeLine(PIX_IBitmap* bitmap, int x1, int y1, int x2, int y2, uint32_t colour, float weight,
                    int mode, bool antialias) {
  if (!bitmap) return;
  const int width = bitmap->PixelWidth();
  const int height = bitmap->PixelHeight();
  if (width < 1 || height < 1) return;
  int64_t X1 = x1, Y1 = y1, X2 = x2, Y2 = y2;
  if (bitmap->IsBottomUp()) {
    Y1 = height - 1 - Y1;
    Y2 = height - 1 - Y2;
  }
  if (!ClipSegment64(X1, Y1, X2, Y2, width, height)) return;
  uint32_t* data = bitmap->PixelData();
  if (!data) return;
  const std::ptrdiff_t stride = bitmap->RowStride();
  // From here on every coordinate lies inside the bitmap.
  int ax = static_cast<int>(X1), ay = static_cast<int>(Y1), bx = static_cast<int>(X2), by = static_cast<int>(Y2);
  auto at = [data, stride](int x, int y) {
    return data + static_cast<std::ptrdiff_t>(y) * stride + static_cast<std::ptrdiff_t>(x);
  };
  const int lo = mode & 0xFF;

  // Horizontal and vertical runs (a single point is a horizontal run of one); no antialiasing.
  if (ay == by || ax == bx) {
    const bool horizontal = ay == by;
    if (horizontal ? bx < ax : by < ay) {
      std::swap(ax, bx);
      std::swap(ay, by);
    }
    uint32_t* p = at(ax, ay);
    const std::ptrdiff_t step = horizontal ? 1 : stride;
    const int count = (horizontal ? bx - ax : by - ay) + 1;
    if (lo == kRasterCopy && WithMaskOp(weight, colour, [&](const auto& op) { Run(p, step, count, op, 0); })) {
      return;
    }
    const int W = PIX_Weight(weight);
    if (W == 0) return;
    WithModeOp(lo, W, true, colour, [&](const auto& op) { Run(p, step, count, op, W); });
    return;
  }

  const int dx = bx - ax, dy = by - ay;
  const int adx = std::abs(dx), ady = std::abs(dy);

  // Exact diagonal: the pen walks n steps from the first end toward the second.
  if (adx == ady) {
    const int n = adx;
    const std::ptrdiff_t sideX = dx > 0 ? 1 : -1;
    const std::ptrdiff_t sideY = dy > 0 ? stride : -stride;
    const std::ptrdiff_t diag = sideX + sideY;
    uint32_t* p = at(ax, ay);
    if (lo == kRasterCopy && weight == 1.0f && antialias) {
      DiagonalFringe(p, diag, sideX, sideY, n, MaskThreeQuarterOp{colour}, 0, MaskQuarterOp{colour}, 0);
      return;
    }
    const int W = PIX_Weight(weight);
    if (W == 0) return;
    if (antialias) {
      WithModeOp(lo, W, false, colour, [&](const auto& op) {
        DiagonalFringe(p, diag, sideX, sideY, n, op, 3 * W / 4, op, W / 4);
      });
    } else {
      WithModeOp(lo, W, true, colour, [&](const auto& op) { Run(p, diag, n + 1, op, W); });
    }
    return;
  }

  // Any other slope: walked along the major axis in the direction in which it grows.
  const bool xMajor = ady < adx;
  if (xMajor ? dx < 0 : dy < 0) {
    std::swap(ax, bx);
    std::swap(ay, by);
  }
  const int n = xMajor ? adx : ady;
  const int minorDelta = xMajor ? by - ay : bx - ax;
  const int s = static_cast<int>(static_cast<double>(std::abs(minorDelta)) / n * 65536.0);
  const int W = PIX_Weight(weight);
  if (W == 0) return;
  const std::ptrdiff_t major = xMajor ? 1 : stride;
  const std::ptrdiff_t minorUnit = xMajor ? stride : 1;
  const std::ptrdiff_t minor = minorDelta > 0 ? minorUnit : -minorUnit;
  uint32_t* pf = at(ax, ay);
  uint32_t* pb = at(bx, by);
  WithModeOp(lo, W, !antialias, colour, [&](const auto& op) {
    if (antialias) {
      SpanWalkAntialiased(pf, pb, major, minor, n, s, op, W);
    } else {
      SpanWalk(pf, pb, major, minor, n, s, op, W);
    }
  });
}
