// How the raster library combines a source colour with a destination pixel: the raster mode word,
// the integer weight W (256 = full), the per-pixel combiners shared by every drawing routine, and the
// region copy between bitmaps. All arithmetic is 32-bit integer with division truncating toward zero.
#pragma once

#include <cstdint>

#include "fx/records.h"
#include "raster/pixbitmap.h"

enum : int32_t {
  kRasterCopy = 0,
  kRasterAdd = 1,
  kRasterDodge = 2,
  kRasterMultiply = 3,
  kRasterSoftLight = 4,
  kRasterHsvAdjust = 5,
  kRasterChannelCopy = 0xF0,  // low byte 0xF0..0xFF, region copies only
  kRasterSourceAlpha = 0x10000,
};

// Entry 0 is 0, entry i is floor(65536 / i) - 1.
extern const uint16_t gReciprocalTable[256];

// The integer weight of a float weight: weight x 256 truncated toward zero, 0 for NaN. Weights
// beyond +-16 are taken as +-16, so that every combiner's products stay within 32 bits.
constexpr int kMaxWeight = 16 * 256;
int PIX_Weight(float weight);

// Per-pixel combiners: the destination pixel in place, the source as separate channel values.
void CombineAdd(uint32_t* pixel, int r, int g, int b, int a, int w);
void CombineDodge(uint32_t* pixel, int r, int g, int b, int a, int w);
void CombineSoftLight(uint32_t* pixel, int r, int g, int b, int a, int t);
void CombineHsvAdjust(uint32_t* pixel, int r, int g, int b, int a, int t);
void CombineDodgeSourceAlpha(uint32_t* pixel, int r, int g, int b, int a, int w);
void CombineMultiplySourceAlpha(uint32_t* pixel, int r, int g, int b, int a, int w);
// The multiply of mode 3 on all four lanes: (w x s + 256 x (256 - w)) x d >> 16.
void CombineMultiply(uint32_t* pixel, int r, int g, int b, int a, int w);

// Copies srcRect of src (null: all of it) so that its top-left pixel lands at (x, y) of dest,
// combining by mode and alpha. The two areas must not overlap.
void PIX_CopyRegion(PIX_IBitmap* dest, PIX_IBitmap* src, int x, int y, const IBox* srcRect,
                    float alpha, int mode);
