#include "raster/pixcombine.h"

#include <cstring>

#include "raster/pixpaint.h"

namespace {
using pixpaint::Lane;
using pixpaint::Pack;

constexpr uint16_t Reciprocal(int i) { return i == 0 ? 0 : static_cast<uint16_t>(65536 / i - 1); }

inline int Clamp(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }
}  // namespace

#define QO_R16(n) Reciprocal(n), Reciprocal(n + 1), Reciprocal(n + 2), Reciprocal(n + 3), \
    Reciprocal(n + 4), Reciprocal(n + 5), Reciprocal(n + 6), Reciprocal(n + 7), Reciprocal(n + 8), \
    Reciprocal(n + 9), Reciprocal(n + 10), Reciprocal(n + 11), Reciprocal(n + 12), \
    Reciprocal(n + 13), Reciprocal(n + 14), Reciprocal(n + 15)
const uint16_t gReciprocalTable[256] = {
    QO_R16(0),   QO_R16(16),  QO_R16(32),  QO_R16(48),  QO_R16(64),  QO_R16(80),
    QO_R16(96),  QO_R16(112), QO_R16(128), QO_R16(144), QO_R16(160), QO_R16(176),
    QO_R16(192), QO_R16(208), QO_R16(224), QO_R16(240)};
#undef QO_R16

int PIX_Weight(float weight) {
  const double w = static_cast<double>(weight) * 256.0;
  if (!(w == w)) return 0;
  if (w >= kMaxWeight) return kMaxWeight;
  if (w <= -kMaxWeight) return -kMaxWeight;
  return static_cast<int>(w);
}

void CombineAdd(uint32_t* pixel, int r, int g, int b, int a, int w) {
  const uint32_t d = *pixel;
  *pixel = Pack(Clamp(Lane(d, 24) + a * w / 256), Clamp(Lane(d, 16) + r * w / 256),
                Clamp(Lane(d, 8) + g * w / 256), Clamp(Lane(d, 0) + b * w / 256));
}

static int DodgeLane(int d, int s, int w) {
  const int q = 256 - s * w / 256;
  return q > 1 ? Clamp(d * 256 / q) : Clamp(d * 256);
}

void CombineDodge(uint32_t* pixel, int r, int g, int b, int a, int w) {
  const uint32_t d = *pixel;
  *pixel = Pack(DodgeLane(Lane(d, 24), a, w), DodgeLane(Lane(d, 16), r, w),
                DodgeLane(Lane(d, 8), g, w), DodgeLane(Lane(d, 0), b, w));
}

static int SoftLightLane(int d, int s, int t) {
  const int k = s * t + (256 - t) * 128;
  return Clamp(((32768 - k) * d / 256 + k) * d >> 15);
}

void CombineSoftLight(uint32_t* pixel, int r, int g, int b, int a, int t) {
  const uint32_t d = *pixel;
  *pixel = Pack(SoftLightLane(Lane(d, 24), a, t), SoftLightLane(Lane(d, 16), r, t),
                SoftLightLane(Lane(d, 8), g, t), SoftLightLane(Lane(d, 0), b, t));
}

void CombineDodgeSourceAlpha(uint32_t* pixel, int r, int g, int b, int a, int w) {
  CombineDodge(pixel, r, g, b, a, (a + 1) * w / 256);
}

static int MultiplyLane(int d, int s, int w) { return (w * s + 256 * (256 - w)) * d >> 16; }

void CombineMultiply(uint32_t* pixel, int r, int g, int b, int a, int w) {
  const uint32_t d = *pixel;
  *pixel = Pack(MultiplyLane(Lane(d, 24), a, w), MultiplyLane(Lane(d, 16), r, w),
                MultiplyLane(Lane(d, 8), g, w), MultiplyLane(Lane(d, 0), b, w));
}

void CombineMultiplySourceAlpha(uint32_t* pixel, int r, int g, int b, int a, int w) {
  if (a == 0) return;
  CombineMultiply(pixel, r, g, b, a, (a + 1) * w / 256);
}

void CombineHsvAdjust(uint32_t* pixel, int R, int G, int B, int A, int t) {
  const uint32_t d = *pixel;
  const int r = Lane(d, 16), g = Lane(d, 8), b = Lane(d, 0);
  const int v = r > g ? (r > b ? r : b) : (g > b ? g : b);
  const int m = r < g ? (r < b ? r : b) : (g < b ? g : b);
  const int delta = v - m;
  int base, diff;
  if (g > r && g > b) {
    base = 128;
    diff = b - r;
  } else if (g > r) {
    base = 256;
    diff = r - g;
  } else if (r > b) {
    diff = g - b;
    base = g < b ? 383 : 0;
  } else {
    base = 256;
    diff = r - g;
  }
  const int s = gReciprocalTable[v] * delta / 256;
  const int h = base + (gReciprocalTable[delta] + 1) * diff / 1024;

  int h2 = h + t * (R + R / 2 - 192) / 256;
  if (h2 < 0) {
    h2 += 384;
  } else if (h2 >= 384) {
    h2 -= 384;
  }
  const int s2 = Clamp(s + (G - 128) * t / 128);
  const int v2 = Clamp(v + (B - 128) * t / 128);
  const int p = ((256 - s2) * v2 / 256) & 0xFF;
  auto f = [s2, v2](int u) { return ((u * s2 + 16384) * v2 / 16384) & 0xFF; };
  int nr, ng, nb;
  if (h2 < 64) {
    nr = v2, ng = f(h2 - 64), nb = p;
  } else if (h2 < 128) {
    nr = f(64 - h2), ng = v2, nb = p;
  } else if (h2 < 192) {
    nr = p, ng = v2, nb = f(h2 - 192);
  } else if (h2 < 256) {
    nr = p, ng = f(192 - h2), nb = v2;
  } else if (h2 < 320) {
    nr = f(h2 - 320), ng = p, nb = v2;
  } else {
    nr = v2, ng = p, nb = f(320 - h2);
  }
  *pixel = Pack(A, nr, ng, nb);
}

// ---------------------------------------------------------------- region copy

namespace {
using pixpaint::TopRows;

// Runs op(dst, src) over every pixel pair of the clipped region.
template <class Op>
void ForEachPixel(const TopRows& d, const TopRows& s, int x, int y, int l, int t, int w, int h, Op op) {
  for (int j = 0; j < h; ++j) {
    uint32_t* dp = d.Row(y + j) + x;
    const uint32_t* sp = s.Row(t + j) + l;
    for (int i = 0; i < w; ++i) op(dp + i, sp[i]);
  }
}

inline int A8(uint32_t p) { return Lane(p, 24); }
inline int R8(uint32_t p) { return Lane(p, 16); }
inline int G8(uint32_t p) { return Lane(p, 8); }
inline int B8(uint32_t p) { return Lane(p, 0); }
}  // namespace

void PIX_CopyRegion(PIX_IBitmap* dest, PIX_IBitmap* src, int x, int y, const IBox* srcRect,
                    float alpha, int mode) {
  if (!dest || !src || alpha == 0.0f) return;
  int64_t l = 0, t = 0, r = src->PixelWidth(), b = src->PixelHeight();
  int64_t dx = x, dy = y;
  if (srcRect) {
    l = srcRect->mLeft;
    t = srcRect->mTop;
    if (l < 0) {
      dx -= l;
      l = 0;
    }
    if (t < 0) {
      dy -= t;
      t = 0;
    }
    if (srcRect->mRight < r) r = srcRect->mRight;
    if (srcRect->mBottom < b) b = srcRect->mBottom;
  }
  if (dx < 0) {
    l -= dx;
    dx = 0;
  }
  if (dy < 0) {
    t -= dy;
    dy = 0;
  }
  const int64_t dw = dest->PixelWidth(), dh = dest->PixelHeight();
  if (r <= l || b <= t || dx >= dw || dy >= dh) return;
  if (l + dw - dx < r) r = l + dw - dx;
  if (t + dh - dy < b) b = t + dh - dy;
  if (r <= l || b <= t) return;
  uint32_t* dData = dest->PixelData();
  uint32_t* sData = src->PixelData();
  if (!dData || !sData) return;

  const TopRows drows = pixpaint::TopRowsOf(dest, dData), srows = pixpaint::TopRowsOf(src, sData);
  const int X = static_cast<int>(dx), Y = static_cast<int>(dy), L = static_cast<int>(l),
            T = static_cast<int>(t), w = static_cast<int>(r - l), h = static_cast<int>(b - t);

  if ((mode & 0xFF) >= 0xF0) {
    const int from = (mode & 3) * 8, to = ((mode >> 2) & 3) * 8;
    ForEachPixel(drows, srows, X, Y, L, T, w, h, [from, to](uint32_t* d, uint32_t s) {
      *d = (*d & ~(0xFFu << to)) | (((s >> from) & 0xFFu) << to);
    });
    return;
  }
  mode &= 0x100FF;
  // Mode 0 at weight 1.0 is the row copy of W = 256 below.
  if (mode == 0 && alpha == 0.5f) {
    ForEachPixel(drows, srows, X, Y, L, T, w, h,
                 [](uint32_t* d, uint32_t s) { *d = pixpaint::Half(*d) + pixpaint::Half(s); });
    return;
  }
  const int W = PIX_Weight(alpha);
  if (W == 0) return;
  switch (mode) {
    case kRasterCopy:
      if (W < 0) return;
      if (W == 256) {
        for (int j = 0; j < h; ++j) {
          std::memcpy(drows.Row(Y + j) + X, srows.Row(T + j) + L, sizeof(uint32_t) * static_cast<size_t>(w));
        }
        return;
      }
      ForEachPixel(drows, srows, X, Y, L, T, w, h, [W](uint32_t* d, uint32_t s) {
        auto mix = [W](int dv, int sv) { return pixpaint::MixOp::Mix(dv, sv, W); };
        *d = Pack(mix(A8(*d), A8(s)), mix(R8(*d), R8(s)), mix(G8(*d), G8(s)), mix(B8(*d), B8(s)));
      });
      return;
    case kRasterAdd:
      ForEachPixel(drows, srows, X, Y, L, T, w, h,
                   [W](uint32_t* d, uint32_t s) { CombineAdd(d, R8(s), G8(s), B8(s), A8(s), W); });
      return;
    case kRasterDodge:
      ForEachPixel(drows, srows, X, Y, L, T, w, h,
                   [W](uint32_t* d, uint32_t s) { CombineDodge(d, R8(s), G8(s), B8(s), A8(s), W); });
      return;
    case kRasterMultiply:
      ForEachPixel(drows, srows, X, Y, L, T, w, h,
                   [W](uint32_t* d, uint32_t s) { CombineMultiply(d, R8(s), G8(s), B8(s), A8(s), W); });
      return;
    case kRasterSoftLight:
      ForEachPixel(drows, srows, X, Y, L, T, w, h,
                   [W](uint32_t* d, uint32_t s) { CombineSoftLight(d, R8(s), G8(s), B8(s), A8(s), W); });
      return;
    case kRasterHsvAdjust:
      ForEachPixel(drows, srows, X, Y, L, T, w, h,
                   [W](uint32_t* d, uint32_t s) { CombineHsvAdjust(d, R8(s), G8(s), B8(s), A8(s), W); });
      return;
    case kRasterSourceAlpha:
      ForEachPixel(drows, srows, X, Y, L, T, w, h, [W](uint32_t* d, uint32_t s) {
        const int a = A8(s);
        if (a == 0) return;
        if (W == 256) {
          if (a == 255) {
            *d = s | 0xFF000000u;
            return;
          }
          const int da = A8(*d) + a;
          auto mix = [a](int dv, int sv) { return sv + (dv - sv) * (255 - a) / 256; };
          *d = Pack(da > 255 ? 255 : da, mix(R8(*d), R8(s)), mix(G8(*d), G8(s)), mix(B8(*d), B8(s)));
          return;
        }
        const int P = (a + 1) * W / 256;
        const int da = A8(*d) + P;
        auto mix = [P](int dv, int sv) { return pixpaint::MixOp::Mix(dv, sv, P); };
        *d = Pack(da > 255 ? 255 : da, mix(R8(*d), R8(s)), mix(G8(*d), G8(s)), mix(B8(*d), B8(s)));
      });
      return;
    case kRasterSourceAlpha | kRasterAdd:
      ForEachPixel(drows, srows, X, Y, L, T, w, h, [W](uint32_t* d, uint32_t s) {
        const int a = A8(s);
        if (a == 0) return;
        CombineAdd(d, R8(s), G8(s), B8(s), a, (a + 1) * W / 256);
      });
      return;
    case kRasterSourceAlpha | kRasterDodge:
      ForEachPixel(drows, srows, X, Y, L, T, w, h, [W](uint32_t* d, uint32_t s) {
        CombineDodgeSourceAlpha(d, R8(s), G8(s), B8(s), A8(s), W);
      });
      return;
    case kRasterSourceAlpha | kRasterMultiply:
      ForEachPixel(drows, srows, X, Y, L, T, w, h, [W](uint32_t* d, uint32_t s) {
        CombineMultiplySourceAlpha(d, R8(s), G8(s), B8(s), A8(s), W);
      });
      return;
    case kRasterSourceAlpha | kRasterSoftLight:
      ForEachPixel(drows, srows, X, Y, L, T, w, h, [W](uint32_t* d, uint32_t s) {
        CombineSoftLight(d, R8(s), G8(s), B8(s), A8(s), (A8(s) + 1) * W / 256);
      });
      return;
    case kRasterSourceAlpha | kRasterHsvAdjust:
      ForEachPixel(drows, srows, X, Y, L, T, w, h, [W](uint32_t* d, uint32_t s) {
        CombineHsvAdjust(d, R8(s), G8(s), B8(s), A8(s), (A8(s) + 1) * W / 256);
      });
      return;
    default:
      return;
  }
}
