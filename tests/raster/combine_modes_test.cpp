// Pixel combining: the weight, the reciprocal table, the combiners called directly, and every mode
// word of PIX_CopyRegion on single pixels. Expected words are worked out by hand from the lane
// formulas; the derivation sits next to each one (A R G B lane by lane, "/" truncates toward zero).
#include "raster/pixcombine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// Combines one source pixel onto one destination pixel through PIX_CopyRegion.
uint32_t Blend(uint32_t src, uint32_t dst, float alpha, int mode) {
  PIX_MemBitmap s(1, 1), d(1, 1);
  *s.PixelData() = src;
  *d.PixelData() = dst;
  PIX_CopyRegion(&d, &s, 0, 0, nullptr, alpha, mode);
  return *d.PixelData();
}

uint32_t Apply(void (*combiner)(uint32_t*, int, int, int, int, int), uint32_t dst, int r, int g,
               int b, int a, int w) {
  uint32_t p = dst;
  combiner(&p, r, g, b, a, w);
  return p;
}

#define EXPECT_WORD(expected, actual) EXPECT_EQ(static_cast<uint32_t>(expected), (actual))

// ------------------------------------------------------------------ weight and reciprocals

TEST(RasterWeight, FloatTimes256TruncatedTowardZero) {
  EXPECT_EQ(PIX_Weight(1.0f), 256);
  EXPECT_EQ(PIX_Weight(0.5f), 128);
  EXPECT_EQ(PIX_Weight(0.4999f), 127);  // 127.97
  EXPECT_EQ(PIX_Weight(1.0f / 512), 0);  // 0.5
  EXPECT_EQ(PIX_Weight(0.0f), 0);
  EXPECT_EQ(PIX_Weight(-0.4999f), -127);  // toward zero, not -128
  EXPECT_EQ(PIX_Weight(-1.0f / 512), 0);
  EXPECT_EQ(PIX_Weight(-1.0f), -256);
  EXPECT_EQ(PIX_Weight(2.0f), 512);
  EXPECT_EQ(PIX_Weight(15.99f), 4093);  // 4093.44
}

TEST(RasterWeight, LimitedToSixteenEitherWay) {
  EXPECT_EQ(kMaxWeight, 4096);
  EXPECT_EQ(PIX_Weight(16.0f), 4096);
  EXPECT_EQ(PIX_Weight(17.0f), 4096);
  EXPECT_EQ(PIX_Weight(1e9f), 4096);
  EXPECT_EQ(PIX_Weight(3e38f), 4096);
  EXPECT_EQ(PIX_Weight(std::numeric_limits<float>::infinity()), 4096);
  EXPECT_EQ(PIX_Weight(-16.0f), -4096);
  EXPECT_EQ(PIX_Weight(-1e9f), -4096);
  EXPECT_EQ(PIX_Weight(-std::numeric_limits<float>::infinity()), -4096);
  EXPECT_EQ(PIX_Weight(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(RasterReciprocalTable, Entries) {
  EXPECT_EQ(gReciprocalTable[0], 0);
  EXPECT_EQ(gReciprocalTable[1], 65535);  // 65536 - 1
  EXPECT_EQ(gReciprocalTable[2], 32767);  // 32768 - 1
  EXPECT_EQ(gReciprocalTable[3], 21844);  // 21845.33 -> 21845 - 1
  EXPECT_EQ(gReciprocalTable[128], 511);
  EXPECT_EQ(gReciprocalTable[255], 256);  // 257.004 -> 257 - 1
  for (int i = 1; i < 256; ++i) {
    // floor(65536 / i) - 1 is the largest q with (q + 1) * i <= 65536.
    const int q = gReciprocalTable[i];
    EXPECT_LE((q + 1) * i, 65536) << i;
    EXPECT_GT((q + 2) * i, 65536) << i;
  }
}

// ------------------------------------------------------------------ combiners called directly

TEST(RasterCombiners, AddMapsArgumentsToTheirLanes) {
  // 0x10203040 + (R 0x10, G 0x20, B 0x30, A 0xFF) at 256:
  // A 0x10+0xFF -> 255, R 0x20+0x10 = 0x30, G 0x30+0x20 = 0x50, B 0x40+0x30 = 0x70.
  EXPECT_WORD(0xFF305070, Apply(CombineAdd, 0x10203040, 0x10, 0x20, 0x30, 0xFF, 256));
  // At w = -256 the source is subtracted and clamped at 0: A 0x10-0xFF -> 0, R 0x20-0x10 = 0x10,
  // G 0x30-0x20 = 0x10, B 0x40-0x30 = 0x10.
  EXPECT_WORD(0x00101010, Apply(CombineAdd, 0x10203040, 0x10, 0x20, 0x30, 0xFF, -256));
  // w = -1: 255 * -1 / 256 truncates to 0, nothing moves.
  EXPECT_WORD(0x80808080, Apply(CombineAdd, 0x80808080, 255, 255, 255, 255, -1));
}

TEST(RasterCombiners, DodgeLaneRules) {
  // q = 256 - s*w/256. A: s 255, q 1 -> d*256 clamp: 1 -> 255. R: s 128, q 128 -> 100*256/128 = 200.
  // G: s 254, q 2 -> 1*256/2 = 128. B: s 0, q 256 -> unchanged 0.
  EXPECT_WORD(0xFFC88000, Apply(CombineDodge, 0x01640100, 128, 254, 0, 255, 256));
  // A lane of 0 stays 0 even at q <= 1; R 255 over 255 -> 255.
  EXPECT_WORD(0x00FF0000, Apply(CombineDodge, 0x00FF0000, 255, 255, 255, 255, 256));
  // Negative weight darkens: s 255, w -256: q = 256 + 255 = 511; 255*256/511 = 127.75 -> 127.
  EXPECT_WORD(0x7F7F7F7F, Apply(CombineDodge, 0xFFFFFFFF, 255, 255, 255, 255, -256));
}

TEST(RasterCombiners, DodgeSourceAlphaScalesTheWeightByAlpha) {
  // A 127, w 256: w' = 128 * 256 / 256 = 128.
  // A lane: s 127, q = 256 - 127*128/256 = 256 - 63 = 193; 64*256/193 = 84.9 -> 84 (0x54).
  // R: s 255, q = 256 - 127 = 129; 100*256/129 = 198.4 -> 198 (0xC6).  G: s 0 -> 100 (0x64).
  // B: s 128, q = 256 - 64 = 192; 25600/192 = 133.3 -> 133 (0x85).
  EXPECT_WORD(0x54C66485, Apply(CombineDodgeSourceAlpha, 0x40646464, 255, 0, 128, 127, 256));
  // Alpha 0 is not skipped: w 4096 gives w' = 16; R: q = 256 - 255*16/256 = 256 - 15 = 241,
  // 100*256/241 = 106.2 -> 106 (0x6A); A lane s 0 stays 0.
  EXPECT_WORD(0x006A0000, Apply(CombineDodgeSourceAlpha, 0x00640000, 255, 0, 0, 0, 4096));
}

TEST(RasterCombiners, MultiplySourceAlpha) {
  // Alpha 0 leaves the pixel (the multiply by black would have darkened it).
  EXPECT_WORD(0x12345678, Apply(CombineMultiplySourceAlpha, 0x12345678, 0, 0, 0, 0, 256));
  // A 255: w' = 256. A: 65280*255 >> 16 = 254 (0xFE); R s 128: 32768*128 >> 16 = 64;
  // G s 255 over 128: 65280*128 >> 16 = 127.5 -> 127 (0x7F); B s 0 -> 0.
  EXPECT_WORD(0xFE407F00, Apply(CombineMultiplySourceAlpha, 0xFF808080, 128, 255, 0, 255, 256));
  // A 127: w' = 128. A lane s 127: (128*127 + 128*256) * 255 >> 16 = 49024*255 >> 16 = 190.75
  // -> 190 (0xBE); R G B s 0: 32768*255 >> 16 = 127 (0x7F).
  EXPECT_WORD(0xBE7F7F7F, Apply(CombineMultiplySourceAlpha, 0xFFFFFFFF, 0, 0, 0, 127, 256));
}

TEST(RasterCombiners, SoftLightCurve) {
  // t 256: k = 256 s. s 128: k 32768, lane unchanged. s 0: k 0, (32768*d/256)*d >> 15 = d*d/256:
  // 128 -> 64. s 255: k 65280; d 128: (-32512*128/256 + 65280)*128 >> 15 = 49024*128 >> 15
  // = 191.5 -> 191 (0xBF).
  // Pixel 0x40808040 with A 128, R 0, G 255, B 128: A 0x40, R 0x40, G 0xBF, B 0x40.
  EXPECT_WORD(0x4040BF40, Apply(CombineSoftLight, 0x40808040, 0, 255, 128, 128, 256));
  // d 255, s 0: (32640)*255 >> 15 = 254.004 -> 254; d 64, s 255: (-8128 + 65280)*64 >> 15 = 111.6 -> 111.
  EXPECT_WORD(0xFE6FFE6F, Apply(CombineSoftLight, 0xFF40FF40, 255, 0, 255, 0, 256));
  // At t 0 (k = 32768 whatever s) and with source 128 at any t (k = 128t + 128(256 - t)) the
  // pixel stays.
  EXPECT_WORD(0x12345678, Apply(CombineSoftLight, 0x12345678, 0, 255, 7, 200, 0));
  for (int t : {1, 77, 128, 256, 1000, 4096, -256, -4096}) {
    EXPECT_WORD(0x9C3E01FF, Apply(CombineSoftLight, 0x9C3E01FF, 128, 128, 128, 128, t)) << t;
  }
  // t 128, s 0: k = 16384; d 128: (16384*128/256 + 16384)*128 >> 15 = 24576*128 >> 15 = 96 (0x60).
  EXPECT_WORD(0x60606060, Apply(CombineSoftLight, 0x80808080, 0, 0, 0, 0, 128));
}

TEST(RasterCombiners, HsvAdjustRotatesHue) {
  // Red 255,0,0: V 255, delta 255, g <= r and r > b, diff g-b 0, base 0: S = 256*255/256 = 255,
  // H 0. R 0 at t 256: H' = 0 + (0 + 0 - 192) = -192 -> 192. S' 255, V' 255, p = 1*255/256 = 0.
  // Sector 192..255: r = p 0, g = f(0) = 16384*255/16384 = 255, b = V' 255. Alpha from A.
  EXPECT_WORD(0xFF00FFFF, Apply(CombineHsvAdjust, 0xFFFF0000, 0, 128, 128, 255, 256));
  // t 128: H' = 128*(-192)/256 = -96 -> 288. Sector 256..319: r = f(288 - 320 = -32)
  // = (-32*255 + 16384)*255/16384 = 8224*255/16384 = 127.998 -> 127, g = p 0, b = V' 255.
  EXPECT_WORD(0x207F00FF, Apply(CombineHsvAdjust, 0xFFFF0000, 0, 128, 128, 0x20, 128));
}

TEST(RasterCombiners, HsvAdjustNeutralSourceKeepsTheConversion) {
  // Orange 255,128,0: diff g-b 128, base 0, H = 257*128/1024 = 32.125 -> 32. R 128 adds
  // 128+64-192 = 0. Sector < 64: r V' 255, g = f(-32) = 127 (as above), b p 0.
  EXPECT_WORD(0x12FF7F00, Apply(CombineHsvAdjust, 0x00FF8000, 128, 128, 128, 0x12, 256));
  // Rose 255,0,128: g <= r, r > b, g < b: base 383, diff -128, H = 383 + 257*(-128)/1024
  // = 383 - 32 (toward zero) = 351. Last sector: r V' 255, g p 0, b = f(320 - 351 = -31)
  // = (16384 - 7905)*255/16384 = 131.97 -> 131 (0x83).
  EXPECT_WORD(0xFFFF0083, Apply(CombineHsvAdjust, 0x00FF0080, 128, 128, 128, 0xFF, 256));
  // Green 0,255,0: base 128, diff 0, H 128. Sector 128..191: r p 0, g V' 255,
  // b = f(-64) = (16384 - 16320)*255/16384 = 0.
  EXPECT_WORD(0xAA00FF00, Apply(CombineHsvAdjust, 0x0000FF00, 128, 128, 128, 0xAA, 256));
  // Blue 0,0,255: neither g test, r <= b: base 256, diff 0, H 256. Sector 256..319:
  // r = f(-64) = 0, g p 0, b V' 255.
  EXPECT_WORD(0x550000FF, Apply(CombineHsvAdjust, 0x000000FF, 128, 128, 128, 0x55, 256));
  // Grey 100: delta 0, S 0, H 256. p = 256*100/256 = 100, f(u) = 16384*100/16384 = 100.
  EXPECT_WORD(0x01646464, Apply(CombineHsvAdjust, 0xFF646464, 128, 128, 128, 0x01, 256));
}

TEST(RasterCombiners, HsvAdjustSaturationAndValue) {
  // G 0: S' = clamp(255 - 128*256/128) = 0; p = 256*255/256 = 255, f(u) = 255: white.
  EXPECT_WORD(0xFFFFFFFF, Apply(CombineHsvAdjust, 0xFFFF0000, 128, 0, 128, 0xFF, 256));
  // B 0: V' = clamp(255 - 256) = 0: every lane 0, only A is written.
  EXPECT_WORD(0x80000000, Apply(CombineHsvAdjust, 0xFFFF0000, 128, 128, 0, 0x80, 256));
  // Grey 100 with G 255: S' = clamp(0 + 127*256/128) = 254, V' 100, H 256 stays (R 128).
  // p = 2*100/256 = 0; sector 256..319: r = f(-64) = (-64*254 + 16384)*100/16384 = 128*100/16384
  // = 0, g p 0, b V' 100 (0x64).
  EXPECT_WORD(0xFF000064, Apply(CombineHsvAdjust, 0x00646464, 128, 255, 128, 0xFF, 256));
}

// ------------------------------------------------------------------ region copy, mode by mode

TEST(RegionCopyModeCopy, FullWeightCopiesAsIs) {
  EXPECT_WORD(0x01234567, Blend(0x01234567, 0xFEDCBA98, 1.0f, 0));
  // 1.001 * 256 = 256.26 -> W 256: the copy as well.
  EXPECT_WORD(0x01234567, Blend(0x01234567, 0xFEDCBA98, 1.001f, 0));
}

TEST(RegionCopyModeCopy, HalfWeightHalvesEachByte) {
  // (d >> 1) + (s >> 1): 127 + 127 = 254 in every byte.
  EXPECT_WORD(0xFEFEFEFE, Blend(0xFFFFFFFF, 0xFFFFFFFF, 0.5f, 0));
  // src 0x01030507 over dst 0x80FF0002, byte by byte (d >> 1) + (s >> 1):
  // A 64 + 0 = 0x40, R 127 + 1 = 0x80, G 0 + 2 = 0x02, B 1 + 3 = 0x04.
  EXPECT_WORD(0x40800204, Blend(0x01030507, 0x80FF0002, 0.5f, 0));
  // Bits above 0x100FF are dropped before the test: 0x20000 is mode 0.
  EXPECT_WORD(0xFEFEFEFE, Blend(0xFFFFFFFF, 0xFFFFFFFF, 0.5f, 0x20000));
}

TEST(RegionCopyModeCopy, OtherWeightsMixTowardTheSource) {
  // 0.4999: W 127, s + (d - s)*129/256: equal lanes stay 255 (no halving here).
  EXPECT_WORD(0xFFFFFFFF, Blend(0xFFFFFFFF, 0xFFFFFFFF, 0.4999f, 0));
  // s 0: d*129/256: 255 -> 128.5 -> 128, 128 -> 64.5 -> 64, 64 -> 32.25 -> 32, 32 -> 16.1 -> 16.
  EXPECT_WORD(0x80402010, Blend(0x00000000, 0xFF804020, 0.4999f, 0));
  // s 255 over d 0: 255 + (-255*129)/256 = 255 - 128 (toward zero) = 127.
  EXPECT_WORD(0x7F7F7F7F, Blend(0xFFFFFFFF, 0x00000000, 0.4999f, 0));
  // W 512 (alpha 2): s + (d - s)*(-256)/256 = 2s - d; 0x20 - 0x30 = -16, low byte 0xF0.
  EXPECT_WORD(0xF0F0F0F0, Blend(0x10101010, 0x30303030, 2.0f, 0));
  // Negative weights draw nothing in mode 0.
  EXPECT_WORD(0x30303030, Blend(0x10101010, 0x30303030, -0.5f, 0));
}

TEST(RegionCopyModeAdd, AddsTheWeightedSourceClamped) {
  // W 256: A 0x90+0x80 -> 255, R 0x10+0x80 = 0x90, G 0x30+0x80 = 0xB0, B 0x50+0x80 = 0xD0.
  EXPECT_WORD(0xFF90B0D0, Blend(0x80808080, 0x90103050, 1.0f, 1));
  // W 128 adds 128*128/256 = 64 to each lane.
  EXPECT_WORD(0xD0507090, Blend(0x80808080, 0x90103050, 0.5f, 1));
  // Alpha 0.5 is not the halving shortcut outside mode 0, nor with the source-alpha bit masked in.
  EXPECT_WORD(0xD0507090, Blend(0x80808080, 0x90103050, 0.5f, 0x40000001));
}

TEST(RegionCopyModeDodge, LaneOf255AtFullWeight) {
  // q = 1: every lane becomes 255 unless it was 0.
  EXPECT_WORD(0x00FFFFFF, Blend(0xFFFFFFFF, 0x00FF0101, 1.0f, 2));
  EXPECT_WORD(0xFF00FFFF, Blend(0xFFFFFFFF, 0x01000180, 1.0f, 2));
  // Same lanes as the direct dodge test: source A 255, R 128, G 254, B 0.
  EXPECT_WORD(0xFFC88000, Blend(0xFF80FE00, 0x01640100, 1.0f, 2));
  // Source 0 divides by 256/256: nothing moves.
  EXPECT_WORD(0x12345678, Blend(0x00000000, 0x12345678, 1.0f, 2));
}

TEST(RegionCopyModeMultiply, FullAndPartialWeight) {
  // (256*255)*255 >> 16 = 16646400 >> 16 = 254.004 -> 254 in every lane.
  EXPECT_WORD(0xFEFEFEFE, Blend(0xFFFFFFFF, 0xFFFFFFFF, 1.0f, 3));
  // s 128 at W 256 halves: 255 -> 127, 128 -> 64, 64 -> 32, 0 -> 0.
  EXPECT_WORD(0x7F402000, Blend(0x80808080, 0xFF804000, 1.0f, 3));
  // s 0 at W 128: (256*128)*255 >> 16 = 127.5 -> 127.
  EXPECT_WORD(0x7F7F7F7F, Blend(0x00000000, 0xFFFFFFFF, 0.5f, 3));
  // s 0 at full weight: black.
  EXPECT_WORD(0x00000000, Blend(0x00000000, 0xFFFFFFFF, 1.0f, 3));
}

TEST(RegionCopyModeSoftLight, SourceOf128LeavesTheLane) {
  EXPECT_WORD(0x9C3E01FF, Blend(0x80808080, 0x9C3E01FF, 1.0f, 4));
  EXPECT_WORD(0x9C3E01FF, Blend(0x80808080, 0x9C3E01FF, 0.3f, 4));
  // Same lanes as the direct soft-light test.
  EXPECT_WORD(0x4040BF40, Blend(0x8000FF80, 0x40808040, 1.0f, 4));
}

TEST(RegionCopyModeHsv, HalfTurnOfRed) {
  // Red 0, G B 128 at W 256 over pure red: cyan, alpha from the source (derived above).
  EXPECT_WORD(0xFF00FFFF, Blend(0xFF008080, 0xFFFF0000, 1.0f, 5));
  EXPECT_WORD(0x207F00FF, Blend(0x20008080, 0xFFFF0000, 0.5f, 5));
}

TEST(RegionCopySourceAlpha, FullWeight) {
  // a 128 over alpha 200: A min(255, 328) = 255; R s 255, d 0: 255 + (-255*127)/256
  // = 255 - 126 (126.5 toward zero) = 129 (0x81); G B 0.
  EXPECT_WORD(0xFF810000, Blend(0x80FF0000, 0xC8000000, 1.0f, 0x10000));
  // a 0 leaves the pixel; a 255 writes the source with alpha 255.
  EXPECT_WORD(0x12345678, Blend(0x00FFFFFF, 0x12345678, 1.0f, 0x10000));
  EXPECT_WORD(0xFF123456, Blend(0xFF123456, 0x00ABCDEF, 1.0f, 0x10000));
  // a 1: A 0 + 1; R 255 + (-255*254)/256 = 255 - 253 (253.01) = 2.
  EXPECT_WORD(0x01020000, Blend(0x01FF0000, 0x00000000, 1.0f, 0x10000));
}

TEST(RegionCopySourceAlpha, PartialWeight) {
  // W 128, a 255: P = 256*128/256 = 128. A 0 + 128; lanes 0 + 255*128/256 = 127.5 -> 127.
  EXPECT_WORD(0x807F7F7F, Blend(0xFF000000, 0x00FFFFFF, 0.5f, 0x10000));
  // W 128, a 63: P = 64*128/256 = 32. A 0x10 + 32 = 0x30.
  // R s 128, d 255: 128 + 127*224/256 = 128 + 111 = 239 (0xEF).
  // G s 64, d 0: 64 - 64*224/256 = 64 - 56 = 8.  B s 32, d 255: 32 + 223*224/256 = 32 + 195 = 227.
  EXPECT_WORD(0x30EF08E3, Blend(0x3F804020, 0x10FF00FF, 0.5f, 0x10000));
  EXPECT_WORD(0x10FF00FF, Blend(0x00804020, 0x10FF00FF, 0.5f, 0x10000));
}

TEST(RegionCopySourceAlpha, Add) {
  // a 255, W 256: P 256; R clamp(100 + 200) = 255, A clamp(0 + 255) = 255.
  EXPECT_WORD(0xFFFF0000, Blend(0xFFC80000, 0x00640000, 1.0f, 0x10001));
  // a 64: P = 65. A 16 + 64*65/256 (16.25) = 32; R 16 + 16*65/256 (4.06) = 20;
  // G 16 + 32*65/256 (8.1) = 24; B 16 + 48*65/256 (12.2) = 28.
  EXPECT_WORD(0x2014181C, Blend(0x40102030, 0x10101010, 1.0f, 0x10001));
  EXPECT_WORD(0x10101010, Blend(0x00FFFFFF, 0x10101010, 1.0f, 0x10001));
}

TEST(RegionCopySourceAlpha, DodgeMultiplySoftLightHsv) {
  // 0x10002 is CombineDodgeSourceAlpha: same numbers as the direct test.
  EXPECT_WORD(0x54C66485, Blend(0x7FFF0080, 0x40646464, 1.0f, 0x10002));
  // 0x10003: alpha 0 skipped; alpha 255 is the plain multiply.
  EXPECT_WORD(0x12345678, Blend(0x00000000, 0x12345678, 1.0f, 0x10003));
  EXPECT_WORD(0xFE407F00, Blend(0xFF80FF00, 0xFF808080, 1.0f, 0x10003));
  // 0x10004 with alpha 0 is not skipped: t = 1*256/256 = 1, k = 0 + 255*128 = 32640;
  // d 128: (128*128/256 + 32640)*128 >> 15 = 32704*128 >> 15 = 127.75 -> 127.
  EXPECT_WORD(0x7F7F7F7F, Blend(0x00000000, 0x80808080, 1.0f, 0x10004));
  // 0x10005 with alpha 0: t 1, H' = 0 + (-192)/256 = 0 (toward zero): the red stays red
  // (r 255, g f(-64) = 0, b p 0), but the alpha becomes the source's 0.
  EXPECT_WORD(0x00FF0000, Blend(0x00008080, 0xFFFF0000, 1.0f, 0x10005));
  // 0x10005 with alpha 255: t 256, the half turn to cyan.
  EXPECT_WORD(0xFF00FFFF, Blend(0xFF008080, 0xFFFF0000, 1.0f, 0x10005));
}

TEST(RegionCopyChannelCopy, CopiesOneByteLane) {
  // 0xF5: from lane 5 & 3 = 1 (green), to lane (5 >> 2) & 3 = 1 (green).
  EXPECT_WORD(0xAABB33DD, Blend(0x11223344, 0xAABBCCDD, 1.0f, 0xF5));
  // 0xFC: from lane 0 (blue), to lane 3 (alpha).
  EXPECT_WORD(0x44BBCCDD, Blend(0x11223344, 0xAABBCCDD, 1.0f, 0xFC));
  // 0xF9: green into red; bits above the low byte do not matter.
  EXPECT_WORD(0xAA33CCDD, Blend(0x11223344, 0xAABBCCDD, 1.0f, 0x7F0001F9));
  // 0xF0: blue into blue; 0xFF: alpha into alpha; 0xF3: alpha into blue.
  EXPECT_WORD(0xAABBCC44, Blend(0x11223344, 0xAABBCCDD, 1.0f, 0xF0));
  EXPECT_WORD(0x11BBCCDD, Blend(0x11223344, 0xAABBCCDD, 1.0f, 0xFF));
  EXPECT_WORD(0xAABBCC11, Blend(0x11223344, 0xAABBCCDD, 1.0f, 0xF3));
}

TEST(RegionCopyChannelCopy, WeightPlaysNoPartButZeroStillDrawsNothing) {
  for (float a : {0.3f, 0.001f, -1.0f, 7.5f}) {
    EXPECT_WORD(0xAABB33DD, Blend(0x11223344, 0xAABBCCDD, a, 0xF5)) << a;
  }
  EXPECT_WORD(0xAABBCCDD, Blend(0x11223344, 0xAABBCCDD, 0.0f, 0xF5));
  EXPECT_WORD(0xAABBCCDD, Blend(0x11223344, 0xAABBCCDD, -0.0f, 0xFC));
}

TEST(RegionCopyNothingDrawn, UnknownModes) {
  for (int mode : {6, 7, 0x80, 0xEF, 0x10006, 0x10007, 0x100EF, 0x10080}) {
    EXPECT_WORD(0x12345678, Blend(0xFFFFFFFF, 0x12345678, 1.0f, mode)) << std::hex << mode;
    EXPECT_WORD(0x12345678, Blend(0xFFFFFFFF, 0x12345678, 0.5f, mode)) << std::hex << mode;
  }
}

TEST(RegionCopyNothingDrawn, WeightZero) {
  const int modes[] = {0, 1, 2, 3, 4, 5, 0x10000, 0x10001, 0x10002, 0x10003, 0x10004, 0x10005};
  const float alphas[] = {0.0f, -0.0f, 0.001f, 1.0f / 512, -0.0039f,
                          std::numeric_limits<float>::quiet_NaN()};
  for (int mode : modes) {
    for (float a : alphas) {
      EXPECT_WORD(0x12345678, Blend(0x00000000, 0x12345678, a, mode)) << mode << " " << a;
      EXPECT_WORD(0x12345678, Blend(0xFFFFFFFF, 0x12345678, a, mode)) << mode << " " << a;
    }
  }
}

TEST(RegionCopyNothingDrawn, HugeWeightsStayDefined) {
  // Weights are limited to 16; these only have to run clean under UBSan and stay in the pixel.
  const float alphas[] = {1e30f, -1e30f, std::numeric_limits<float>::infinity(), 4e9f, 16.5f};
  for (int mode : {0, 1, 2, 3, 4, 5, 0x10000, 0x10001, 0x10002, 0x10003, 0x10004, 0x10005}) {
    for (float a : alphas) {
      for (uint32_t s : {0x00000000u, 0xFFFFFFFFu, 0x80FF7F01u}) Blend(s, 0x7F80FF00u, a, mode);
    }
  }
  // W is 4096 for 1e30 as for 16: both give the same word.
  EXPECT_EQ(Blend(0x80FF7F01u, 0x7F80FF00u, 1e30f, 0x10000), Blend(0x80FF7F01u, 0x7F80FF00u, 16.0f, 0x10000));
  EXPECT_EQ(Blend(0x80FF7F01u, 0x7F80FF00u, -1e30f, 5), Blend(0x80FF7F01u, 0x7F80FF00u, -16.0f, 5));
}

}  // namespace
