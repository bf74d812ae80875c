#include "raster/pixdisc.h"

#include <cmath>
#include <cstddef>

#include "raster/pixcombine.h"
#include "raster/pixpaint.h"

// Discs are walked one octant step at a time: step k fills the columns icx +- k and the rows
// icy +- k out to the current half-width y of the circle, so the eight octants are drawn in one pass
// and every pixel once. Coordinates are held in 64 bits so that centres and radii anywhere in the
// 32-bit range neither overflow nor change the result; a clipped walk skips the steps whose columns
// and rows all miss the bitmap, which keeps discs of any size cheap.

namespace {

using pixpaint::WithModeOp;

// Rows as stored (the bottom-up flip is done on the centre beforehand); the clip rectangle is the
// whole bitmap, (0, 0, width, height).
struct Surface {
  uint32_t* base;
  std::ptrdiff_t stride;
  int64_t width;
  int64_t height;
  uint32_t* At(int64_t x, int64_t y) const {
    return base + static_cast<std::ptrdiff_t>(y) * stride + static_cast<std::ptrdiff_t>(x);
  }
};

// Span routines of one variant. Without Clip the caller guarantees every pixel lies inside.
template <bool Clip, class Op>
struct DiscSpans {
  const Surface& s;
  const Op& op;

  void Column(int64_t x, int64_t y1, int64_t y2, int w) const {
    if (Clip) {
      if (x < 0 || x >= s.width) return;
      if (y1 < 0) y1 = 0;
      if (y2 > s.height - 1) y2 = s.height - 1;
    }
    for (int64_t y = y1; y <= y2; ++y) op(s.At(x, y), w);
  }

  void Row(int64_t y, int64_t x1, int64_t x2, int w) const {
    if (Clip) {
      if (y < 0 || y >= s.height) return;
      if (x1 < 0) x1 = 0;
      if (x2 > s.width - 1) x2 = s.width - 1;
    }
    if (x1 > x2) return;
    uint32_t* p = s.At(x1, y);
    for (int64_t i = 0, count = x2 - x1 + 1; i < count; ++i) op(p + i, w);
  }

  void Pixel(int64_t x, int64_t y, int w) const {
    if (Clip && (x < 0 || x >= s.width || y < 0 || y >= s.height)) return;
    op(s.At(x, y), w);
  }

  // The eight spans of one walk step at half-width y, in drawing order. The columns stop one short
  // of the diagonal and the rows include it.
  void Octants(int64_t icx, int64_t icy, int64_t k, int64_t y, int w) const {
    Column(icx - k, icy - y, icy - k - 1, w);
    Column(icx - k, icy + k + 1, icy + y, w);
    Row(icy - k, icx - y, icx - k, w);
    Row(icy - k, icx + k, icx + y, w);
    Row(icy + k, icx - y, icx - k, w);
    Row(icy + k, icx + k, icx + y, w);
    Column(icx + k, icy - y, icy - k - 1, w);
    Column(icx + k, icy + k + 1, icy + y, w);
  }
};

// The first walk step at or after k whose columns icx +- k or rows icy +- k meet the bitmap, or -1
// when no later step does. Steps in between draw nothing.
int64_t NextUsefulStep(const Surface& s, int64_t icx, int64_t icy, int64_t k) {
  const int64_t lo[4] = {icx - s.width + 1, -icx, icy - s.height + 1, -icy};
  const int64_t hi[4] = {icx, s.width - 1 - icx, icy, s.height - 1 - icy};
  int64_t best = -1;
  for (int i = 0; i < 4; ++i) {
    if (hi[i] < k) continue;
    const int64_t first = lo[i] > k ? lo[i] : k;
    if (best < 0 || first < best) best = first;
  }
  return best;
}

// Half-width the circle walk has reached after step j (0 <= j < n): the largest y with
// y (y - 1) <= n^2 - j^2. The walk's error term e = k^2 + y^2 - y - n^2 - 1 (taken before step k)
// steps y down exactly when y (y - 1) exceeds n^2 - k^2, and inside the octant (k < y) the bound
// never drops by more than one per step, so this is the y of the walk itself.
int64_t CircleHalfWidth(int64_t n, int64_t j) {
  const int64_t m = n * n - j * j;
  int64_t y = static_cast<int64_t>(0.5 + std::sqrt(static_cast<double>(m) + 0.25));
  while (y > 0 && y * (y - 1) > m) --y;
  while ((y + 1) * y <= m) ++y;
  return y;
}

// Circle walk (no antialiasing): the radius n is already rounded; every pixel gets the weight w.
template <bool Clip, class Op>
void CircleWalk(const Surface& s, int64_t icx, int64_t icy, int64_t n, const Op& op, int w) {
  const DiscSpans<Clip, Op> d{s, op};
  d.Column(icx, icy - n, icy - 1, w);
  d.Column(icx, icy + 1, icy + n, w);
  d.Row(icy, icx - n, icx + n, w);
  if (n <= 1) return;
  int64_t y = n, e = -n, k = 1;
  for (;;) {
    if (Clip) {
      const int64_t next = NextUsefulStep(s, icx, icy, k);
      if (next < 0) return;
      if (next > k) {
        // Take up the walk at step `next` with the state it would have reached.
        k = next;
        if (k >= n) return;
        y = CircleHalfWidth(n, k - 1);
        if (k >= y) return;
        e = (k * k - n * n) + (y * y - y) - 1;
      }
    }
    int64_t u;
    if (e >= 0) {
      --y;
      u = k - y;
    } else {
      u = k;
    }
    d.Octants(icx, icy, k, y, w);
    e += 2 * u + 1;
    ++k;
    if (k >= y) return;
  }
}

// Beyond this step k^2 would leave 64 bits; D is below 2^63 for every radius walked, so no step that
// far can lie inside the circle.
constexpr int64_t kLargestStep = 3037000499;

// Antialiased walk: spans with the weight W, and beyond the end of each span one pixel weighted by
// the fractional part of the exact half-height (half-width) at that column (row).
template <bool Clip, class Op>
void AntialiasedWalk(const Surface& s, double cx, double cy, float r, const Op& op, int W) {
  const DiscSpans<Clip, Op> d{s, op};
  const int64_t icx = static_cast<int64_t>(cx + 0.5);
  const int64_t icy = static_cast<int64_t>(cy + 0.5);
  const double rd = r;
  const int64_t n = static_cast<int64_t>(rd);

  const int wt = static_cast<int>((rd - std::floor(rd)) * W);
  d.Pixel(icx, icy - n - 1, wt);
  d.Pixel(icx, icy + n + 1, wt);
  d.Pixel(icx - n - 1, icy, wt);
  d.Pixel(icx + n + 1, icy, wt);

  d.Column(icx, icy - n, icy - 1, W);
  d.Column(icx, icy + 1, icy + n, W);
  d.Row(icy, icx - n, icx + n, W);

  const float rr = r * r;  // single-precision square, as the edge weights are defined on it
  const double D = rr;
  if (D - 1.0 < 0.0) return;
  double F = std::sqrt(D - 1.0);
  int64_t G = static_cast<int64_t>(F + 0.5);
  if (G < 1) return;
  int64_t k = 1;
  for (;;) {
    if (Clip) {
      const int64_t next = NextUsefulStep(s, icx, icy, k);
      if (next < 0) return;
      if (next > k) {
        k = next;
        if (k > kLargestStep) return;
        const double m = D - static_cast<double>(k * k);
        if (m < 0.0) return;
        F = std::sqrt(m);
        G = static_cast<int64_t>(F + 0.5);
        if (k > G) return;
      }
    }
    const int64_t Y = static_cast<int64_t>(F);
    const int we = static_cast<int>((F - std::floor(F)) * W);
    d.Pixel(icx - k, icy - Y - 1, we);
    d.Pixel(icx - k, icy + Y + 1, we);
    d.Pixel(icx + k, icy - Y - 1, we);
    d.Pixel(icx + k, icy + Y + 1, we);
    if (k != G) {
      d.Pixel(icx - Y - 1, icy - k, we);
      d.Pixel(icx + Y + 1, icy - k, we);
      d.Pixel(icx - Y - 1, icy + k, we);
      d.Pixel(icx + Y + 1, icy + k, we);
    }
    d.Octants(icx, icy, k, Y, W);
    ++k;
    const double m = D - static_cast<double>(k * k);
    if (m < 0.0) return;  // past the radius: the square root has no value
    F = std::sqrt(m);
    G = static_cast<int64_t>(F + 0.5);
    if (k > G) return;
  }
}

// A disc whose centre or radius lies beyond the 32-bit range cannot be walked in integers. It is
// filled row by row with the pixels whose centres lie inside the circle, at the weight W, without
// a fringe.
template <class Op>
void FillOversizedDisc(const Surface& s, double cx, double cy, double r, const Op& op, int W) {
  const DiscSpans<true, Op> d{s, op};
  const double r2 = r * r;
  double top = std::ceil(cy - r), bottom = std::floor(cy + r);
  if (top < 0.0) top = 0.0;
  if (bottom > static_cast<double>(s.height - 1)) bottom = static_cast<double>(s.height - 1);
  if (!(top <= bottom)) return;
  for (int64_t y = static_cast<int64_t>(top), y2 = static_cast<int64_t>(bottom); y <= y2; ++y) {
    const double dy = static_cast<double>(y) - cy;
    const double rem = r2 - dy * dy;
    if (!(rem >= 0.0)) continue;
    const double half = std::sqrt(rem);
    double x1 = std::ceil(cx - half), x2 = std::floor(cx + half);
    if (x1 < 0.0) x1 = 0.0;
    if (x2 > static_cast<double>(s.width - 1)) x2 = static_cast<double>(s.width - 1);
    if (!(x1 <= x2)) continue;
    d.Row(y, static_cast<int64_t>(x1), static_cast<int64_t>(x2), W);
  }
}

struct DiscJob {
  Surface s;
  float cx, cy, r;
  int W;
  bool antialias;
  bool clip;
  bool oversized;
};

template <class Op>
void WalkDisc(const DiscJob& j, const Op& op) {
  if (j.oversized) {
    FillOversizedDisc(j.s, j.cx, j.cy, j.r, op, j.W);
  } else if (j.antialias) {
    if (j.clip) {
      AntialiasedWalk<true>(j.s, j.cx, j.cy, j.r, op, j.W);
    } else {
      AntialiasedWalk<false>(j.s, j.cx, j.cy, j.r, op, j.W);
    }
  } else {
    const int64_t icx = static_cast<int64_t>(static_cast<double>(j.cx) + 0.5);
    const int64_t icy = static_cast<int64_t>(static_cast<double>(j.cy) + 0.5);
    const int64_t n = static_cast<int64_t>(static_cast<double>(j.r) + 0.5);
    if (j.clip) {
      CircleWalk<true>(j.s, icx, icy, n, op, j.W);
    } else {
      CircleWalk<false>(j.s, icx, icy, n, op, j.W);
    }
  }
}

// Chooses the pixel operation once per disc; the plain store and average serve only discs
// without antialiasing.
void FillDiscDispatch(const DiscJob& j, uint32_t colour, int modeLow) {
  WithModeOp(modeLow, j.W, !j.antialias, colour, [&j](const auto& op) { WalkDisc(j, op); });
}

// Below this magnitude the centre and the radius truncate to 32-bit values and the walks run in
// their integer form (held in 64 bits, so none of their sums or squares overflow).
constexpr double kWalkLimit = 2147483648.0;

}  // namespace

void PIX_FillDisc(PIX_IBitmap* bitmap, float cx, float cy, float r, uint32_t colour, float alpha,
                  int mode, bool antialias) {
  if (!bitmap) return;
  if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(r)) return;
  const int width = bitmap->PixelWidth();
  const int height = bitmap->PixelHeight();
  if (width < 1 || height < 1) return;
  if (bitmap->IsBottomUp()) cy = static_cast<float>(height - 1) - cy;

  const int W = PIX_Weight(alpha);
  if (W == 0 || r < 0.0f) return;

  // Wholly outside, margin of 2 (in doubles: exact for every 32-bit value, no overflow beyond).
  {
    const double icx = std::trunc(static_cast<double>(cx));
    const double icy = std::trunc(static_cast<double>(cy));
    const double ir = std::trunc(static_cast<double>(r));
    if (icx + ir < -2.0 || icy + ir < -2.0 || icx - ir > width + 2.0 || icy - ir > height + 2.0) return;
  }

  uint32_t* data = bitmap->PixelData();
  if (!data) return;

  DiscJob j{};
  j.s = Surface{data, static_cast<std::ptrdiff_t>(bitmap->RowStride()), width, height};
  j.cx = cx;
  j.cy = cy;
  j.r = r;
  j.W = W;
  j.antialias = antialias;
  j.oversized = !(std::fabs(static_cast<double>(cx)) <= kWalkLimit &&
                  std::fabs(static_cast<double>(cy)) <= kWalkLimit && static_cast<double>(r) <= kWalkLimit);

  // Bounds tests are skipped only for a disc well inside: the margin-of-2 test in single precision,
  // backed by the exact extent of the pixels the walk will touch.
  j.clip = true;
  if (!j.oversized && cx - r - 2.0f >= 0.0f && cy - r - 2.0f >= 0.0f && static_cast<float>(width) > cx + r + 2.0f &&
      static_cast<float>(height) > cy + r + 2.0f) {
    const double rd = r;
    int64_t extent;
    if (antialias) {
      const float rr = r * r;
      const double D = rr;
      const int64_t edge = D >= 1.0 ? static_cast<int64_t>(std::sqrt(D - 1.0)) + 1 : 0;
      extent = static_cast<int64_t>(rd) + 1;
      if (edge > extent) extent = edge;
    } else {
      extent = static_cast<int64_t>(rd + 0.5);
    }
    const int64_t icx = static_cast<int64_t>(static_cast<double>(cx) + 0.5);
    const int64_t icy = static_cast<int64_t>(static_cast<double>(cy) + 0.5);
    j.clip = !(icx - extent >= 0 && icx + extent < width && icy - extent >= 0 && icy + extent < height);
  }

  FillDiscDispatch(j, colour, mode & 0xFF);
}
