// Pixel helpers of the raster library's drawing routines: lanes of a pixel word, whole-word lane
// fractions, rows counted from the top, and the paint operations shared by the disc and line drawing:
// one colour applied to one destination pixel at an integer weight w (256 = full). Each operation is
// a small function object, so that a drawing routine instantiated over it has no mode test in its
// pixel loops. The colour's four bytes act as the source R, G, B and A; the alpha lane is combined
// like the others.
#pragma once

#include <cstdint>

#include "raster/pixbitmap.h"
#include "raster/pixcombine.h"

namespace pixpaint {

inline int Lane(uint32_t p, int shift) { return static_cast<int>((p >> shift) & 0xFF); }

// Low 8 bits of each lane value.
inline uint32_t Pack(int a, int r, int g, int b) {
  return static_cast<uint32_t>(a & 0xFF) << 24 | static_cast<uint32_t>(r & 0xFF) << 16 |
         static_cast<uint32_t>(g & 0xFF) << 8 | static_cast<uint32_t>(b & 0xFF);
}

// Whole-word lane fractions: every byte lane shifted right on its own, the low bits dropped.
inline uint32_t Half(uint32_t p) { return (p >> 1) & 0x7F7F7F7Fu; }
inline uint32_t Quarter(uint32_t p) { return (p >> 2) & 0x3F3F3F3Fu; }
inline uint32_t Eighth(uint32_t p) { return (p >> 3) & 0x1F1F1F1Fu; }

// Rows counted from the top, whatever the storage order of the bitmap.
struct TopRows {
  uint32_t* first;
  int64_t step;  // pixels from one row to the one below it; negative for bottom-up bitmaps
  uint32_t* Row(int64_t j) const { return first + step * j; }
};

// The rows of a bitmap whose pixel pointer (not null) is data.
inline TopRows TopRowsOf(PIX_IBitmap* bm, uint32_t* data) {
  const int64_t stride = bm->RowStride();
  if (bm->IsBottomUp()) return TopRows{data + stride * (bm->PixelHeight() - 1), -stride};
  return TopRows{data, stride};
}

// The colour split into the separate channel values the combiners take.
struct Source {
  int r, g, b, a;
  explicit Source(uint32_t colour)
      : r(Lane(colour, 16)), g(Lane(colour, 8)), b(Lane(colour, 0)), a(Lane(colour, 24)) {}
};

// Writes the colour word; the weight is not used.
struct StoreOp {
  uint32_t colour;
  void operator()(uint32_t* p, int) const { *p = colour; }
};

// Each lane becomes (d + c) >> 1. Done on the whole word: x + c = 2 (x & c) + (x ^ c) per byte, and
// the mask keeps the halved difference bits from spilling into the lane below.
struct AverageOp {
  uint32_t colour;
  void operator()(uint32_t* p, int) const {
    const uint32_t d = *p;
    *p = (d & colour) + (((d ^ colour) >> 1) & 0x7F7F7F7Fu);
  }
};

// Whole-word blends of mode 0 at the weights 0.5, 0.25 and 0.75: byte halves and quarters by shift
// and mask, alpha byte included; the weight is not used.
struct MaskHalfOp {
  uint32_t colour;
  void operator()(uint32_t* p, int) const { *p = Half(colour) + Half(*p); }
};
struct MaskQuarterOp {
  uint32_t colour;
  void operator()(uint32_t* p, int) const { *p = Half(*p) + Quarter(*p) + Quarter(colour); }
};
struct MaskThreeQuarterOp {
  uint32_t colour;
  void operator()(uint32_t* p, int) const { *p = Half(colour) + Quarter(colour) + Quarter(*p); }
};

// Mix toward the colour: d = c + (d - c) x (256 - w) / 256, truncating toward zero; low 8 bits kept.
struct MixOp {
  Source c;
  static int Mix(int d, int s, int w) { return s + (d - s) * (256 - w) / 256; }
  void operator()(uint32_t* p, int w) const {
    const uint32_t d = *p;
    *p = Pack(Mix(Lane(d, 24), c.a, w), Mix(Lane(d, 16), c.r, w), Mix(Lane(d, 8), c.g, w),
              Mix(Lane(d, 0), c.b, w));
  }
};

struct AddOp {
  Source c;
  void operator()(uint32_t* p, int w) const { CombineAdd(p, c.r, c.g, c.b, c.a, w); }
};

struct DodgeOp {
  Source c;
  void operator()(uint32_t* p, int w) const { CombineDodge(p, c.r, c.g, c.b, c.a, w); }
};

struct MultiplyOp {
  Source c;
  void operator()(uint32_t* p, int w) const { CombineMultiply(p, c.r, c.g, c.b, c.a, w); }
};

struct SoftLightOp {
  Source c;
  void operator()(uint32_t* p, int w) const { CombineSoftLight(p, c.r, c.g, c.b, c.a, w); }
};

struct HsvAdjustOp {
  Source c;
  void operator()(uint32_t* p, int w) const { CombineHsvAdjust(p, c.r, c.g, c.b, c.a, w); }
};

// Calls fn(op) with the operation of mode low byte `lo` at the weight W (W != 0), so that the caller's
// pixel loops are instantiated once per operation. Mode 0 draws nothing for W below 0, and uses the
// plain store and average at W = 256 and 128 only when `plain`. Low bytes above 5 draw nothing.
template <class Fn>
void WithModeOp(int lo, int W, bool plain, uint32_t colour, Fn&& fn) {
  const Source c(colour);
  switch (lo) {
    case kRasterCopy:
      if (W < 0) return;
      if (plain && W == 256) {
        fn(StoreOp{colour});
      } else if (plain && W == 128) {
        fn(AverageOp{colour});
      } else {
        fn(MixOp{c});
      }
      return;
    case kRasterAdd:
      fn(AddOp{c});
      return;
    case kRasterDodge:
      fn(DodgeOp{c});
      return;
    case kRasterMultiply:
      fn(MultiplyOp{c});
      return;
    case kRasterSoftLight:
      fn(SoftLightOp{c});
      return;
    case kRasterHsvAdjust:
      fn(HsvAdjustOp{c});
      return;
    default:
      return;
  }
}

}  // namespace pixpaint
