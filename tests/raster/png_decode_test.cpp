// PNG decoding from memory: every colour type and bit depth comes out as A<<24 | R<<16 | G<<8 | B with
// 8 bits a channel. The images are written by the test's own encoder (png_encoder.h); expected words
// are worked out from the samples by the rules in each comment.
#include <gtest/gtest.h>

#include <memory>

#include "raster/pixpng.h"
#include "tests/raster/png_encoder.h"

using pngtest::Bytes;
using pngtest::Image;

namespace {

std::unique_ptr<PIX_IBitmap> Decode(const Bytes& png) {
  return std::unique_ptr<PIX_IBitmap>(PIX_ReadPngBytes(png.data(), static_cast<int>(png.size())));
}

uint32_t Px(PIX_IBitmap* bm, int x, int y) {
  return bm->PixelData()[static_cast<int64_t>(y) * bm->RowStride() + x];
}

Image MakeImage(uint32_t w, uint32_t h, int depth, int colourType) {
  Image img;
  img.width = w;
  img.height = h;
  img.bitDepth = depth;
  img.colourType = colourType;
  img.Allocate();
  return img;
}

void SetRgb(Image& img, uint32_t x, uint32_t y, uint16_t r, uint16_t g, uint16_t b) {
  img.At(x, y, 0) = r;
  img.At(x, y, 1) = g;
  img.At(x, y, 2) = b;
}

}  // namespace

TEST(PngDecode, Rgb8HasOpaqueAlphaAndChannelOrder) {
  Image img = MakeImage(3, 2, 8, pngtest::kRgb);
  SetRgb(img, 0, 0, 0x12, 0x34, 0x56);
  SetRgb(img, 1, 0, 0xFF, 0x00, 0x80);
  SetRgb(img, 2, 0, 0x00, 0x00, 0x00);
  SetRgb(img, 0, 1, 0xAB, 0xCD, 0xEF);
  SetRgb(img, 1, 1, 0x01, 0x02, 0x03);
  SetRgb(img, 2, 1, 0xFF, 0xFF, 0xFF);
  auto bm = Decode(pngtest::Encode(img));
  ASSERT_TRUE(bm);
  EXPECT_NE(dynamic_cast<PIX_MemBitmap*>(bm.get()), nullptr);
  EXPECT_EQ(bm->PixelWidth(), 3);
  EXPECT_EQ(bm->PixelHeight(), 2);
  // No alpha in the file: A = 0xFF, then R, G, B from high byte to low.
  EXPECT_EQ(Px(bm.get(), 0, 0), 0xFF123456u);
  EXPECT_EQ(Px(bm.get(), 1, 0), 0xFFFF0080u);
  EXPECT_EQ(Px(bm.get(), 2, 0), 0xFF000000u);
  EXPECT_EQ(Px(bm.get(), 0, 1), 0xFFABCDEFu);
  EXPECT_EQ(Px(bm.get(), 1, 1), 0xFF010203u);
  EXPECT_EQ(Px(bm.get(), 2, 1), 0xFFFFFFFFu);
}

TEST(PngDecode, Rgba8KeepsAlpha) {
  Image img = MakeImage(2, 2, 8, pngtest::kRgba);
  const uint16_t px[4][4] = {{0x12, 0x34, 0x56, 0x78}, {0, 0, 0, 0}, {0xFF, 0x80, 0x40, 0x01}, {9, 8, 7, 0xFF}};
  for (int i = 0; i < 4; ++i) {
    for (int c = 0; c < 4; ++c) img.At(static_cast<uint32_t>(i % 2), static_cast<uint32_t>(i / 2), c) = px[i][c];
  }
  auto bm = Decode(pngtest::Encode(img));
  ASSERT_TRUE(bm);
  // (R, G, B, A) in the file -> A<<24 | R<<16 | G<<8 | B.
  EXPECT_EQ(Px(bm.get(), 0, 0), 0x78123456u);
  EXPECT_EQ(Px(bm.get(), 1, 0), 0x00000000u);
  EXPECT_EQ(Px(bm.get(), 0, 1), 0x01FF8040u);
  EXPECT_EQ(Px(bm.get(), 1, 1), 0xFF090807u);
}

TEST(PngDecode, PaletteWithTrnsTakesAlphaFromTheEntries) {
  Image img = MakeImage(2, 2, 8, pngtest::kPalette);
  img.palette = {10, 20, 30, 200, 100, 50, 1, 2, 3};
  img.trns = {0x80, 0x00};  // entries 0 and 1; entry 2 has none and stays opaque
  img.At(0, 0, 0) = 0;
  img.At(1, 0, 0) = 1;
  img.At(0, 1, 0) = 2;
  img.At(1, 1, 0) = 1;
  auto bm = Decode(pngtest::Encode(img));
  ASSERT_TRUE(bm);
  EXPECT_EQ(Px(bm.get(), 0, 0), 0x800A141Eu);  // (10, 20, 30) alpha 0x80
  EXPECT_EQ(Px(bm.get(), 1, 0), 0x00C86432u);  // (200, 100, 50) alpha 0
  EXPECT_EQ(Px(bm.get(), 0, 1), 0xFF010203u);  // (1, 2, 3), no tRNS entry: 0xFF
  EXPECT_EQ(Px(bm.get(), 1, 1), 0x00C86432u);
}

TEST(PngDecode, PaletteWithoutTrnsIsOpaque) {
  Image img = MakeImage(2, 1, 8, pngtest::kPalette);
  img.palette = {10, 20, 30, 200, 100, 50};
  img.At(0, 0, 0) = 1;
  img.At(1, 0, 0) = 0;
  auto bm = Decode(pngtest::Encode(img));
  ASSERT_TRUE(bm);
  EXPECT_EQ(Px(bm.get(), 0, 0), 0xFFC86432u);
  EXPECT_EQ(Px(bm.get(), 1, 0), 0xFF0A141Eu);
}

TEST(PngDecode, LowDepthPalettes) {
  // Entry i is (16 i, 255 - i, i); pixel (x, y) holds index (x + 2 y) mod 2^depth. The width 11 leaves
  // a part-filled last byte on every row at each depth.
  for (int depth : {1, 2, 4}) {
    const int entries = 1 << depth;
    Image img = MakeImage(11, 3, depth, pngtest::kPalette);
    for (int i = 0; i < entries; ++i) {
      img.palette.push_back(static_cast<uint8_t>(16 * i));
      img.palette.push_back(static_cast<uint8_t>(255 - i));
      img.palette.push_back(static_cast<uint8_t>(i));
    }
    for (uint32_t y = 0; y < 3; ++y) {
      for (uint32_t x = 0; x < 11; ++x) img.At(x, y, 0) = static_cast<uint16_t>((x + 2 * y) % entries);
    }
    auto bm = Decode(pngtest::Encode(img));
    ASSERT_TRUE(bm) << "depth " << depth;
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 11; ++x) {
        const uint32_t i = static_cast<uint32_t>((x + 2 * y) % entries);
        EXPECT_EQ(Px(bm.get(), x, y), 0xFF000000u | (16 * i) << 16 | (255 - i) << 8 | i)
            << "depth " << depth << " at " << x << "," << y;
      }
    }
  }
}

TEST(PngDecode, Grey8BecomesEqualChannels) {
  Image img = MakeImage(3, 1, 8, pngtest::kGrey);
  img.At(0, 0, 0) = 0x00;
  img.At(1, 0, 0) = 0x5A;
  img.At(2, 0, 0) = 0xFF;
  auto bm = Decode(pngtest::Encode(img));
  ASSERT_TRUE(bm);
  EXPECT_EQ(Px(bm.get(), 0, 0), 0xFF000000u);
  EXPECT_EQ(Px(bm.get(), 1, 0), 0xFF5A5A5Au);
  EXPECT_EQ(Px(bm.get(), 2, 0), 0xFFFFFFFFu);
}

TEST(PngDecode, GreyWithTrnsHasAlpha) {
  Image img = MakeImage(2, 1, 8, pngtest::kGrey);
  img.trns = {0x00, 0x40};  // grey 0x40 is transparent
  img.At(0, 0, 0) = 0x40;
  img.At(1, 0, 0) = 0x41;
  auto bm = Decode(pngtest::Encode(img));
  ASSERT_TRUE(bm);
  EXPECT_EQ(Px(bm.get(), 0, 0), 0x00404040u);
  EXPECT_EQ(Px(bm.get(), 1, 0), 0xFF414141u);
}

TEST(PngDecode, RgbWithTrnsHasAlpha) {
  Image img = MakeImage(2, 1, 8, pngtest::kRgb);
  img.trns = {0x00, 0x10, 0x00, 0x20, 0x00, 0x30};  // (0x10, 0x20, 0x30) is transparent
  SetRgb(img, 0, 0, 0x10, 0x20, 0x30);
  SetRgb(img, 1, 0, 0x10, 0x20, 0x31);
  auto bm = Decode(pngtest::Encode(img));
  ASSERT_TRUE(bm);
  EXPECT_EQ(Px(bm.get(), 0, 0), 0x00102030u);
  EXPECT_EQ(Px(bm.get(), 1, 0), 0xFF102031u);
}

TEST(PngDecode, GreyAlpha8) {
  Image img = MakeImage(2, 1, 8, pngtest::kGreyAlpha);
  img.At(0, 0, 0) = 0x5A;
  img.At(0, 0, 1) = 0x33;
  img.At(1, 0, 0) = 0xFF;
  img.At(1, 0, 1) = 0x00;
  auto bm = Decode(pngtest::Encode(img));
  ASSERT_TRUE(bm);
  EXPECT_EQ(Px(bm.get(), 0, 0), 0x335A5A5Au);  // grey to R, G and B, alpha on top
  EXPECT_EQ(Px(bm.get(), 1, 0), 0x00FFFFFFu);
}

TEST(PngDecode, SixteenBitKeepsTheHighByte) {
  {
    Image img = MakeImage(1, 1, 16, pngtest::kRgb);
    SetRgb(img, 0, 0, 0x1234, 0xABCD, 0x0FF0);
    auto bm = Decode(pngtest::Encode(img));
    ASSERT_TRUE(bm);
    EXPECT_EQ(Px(bm.get(), 0, 0), 0xFF12AB0Fu);  // high bytes 0x12, 0xAB, 0x0F
  }
  {
    Image img = MakeImage(1, 1, 16, pngtest::kRgba);
    SetRgb(img, 0, 0, 0x1234, 0xABCD, 0x0FF0);
    img.At(0, 0, 3) = 0x80FF;
    auto bm = Decode(pngtest::Encode(img));
    ASSERT_TRUE(bm);
    EXPECT_EQ(Px(bm.get(), 0, 0), 0x8012AB0Fu);
  }
  {
    Image img = MakeImage(2, 1, 16, pngtest::kGrey);
    img.At(0, 0, 0) = 0xBEEF;
    img.At(1, 0, 0) = 0x00FF;
    auto bm = Decode(pngtest::Encode(img));
    ASSERT_TRUE(bm);
    EXPECT_EQ(Px(bm.get(), 0, 0), 0xFFBEBEBEu);
    EXPECT_EQ(Px(bm.get(), 1, 0), 0xFF000000u);  // 0x00FF: high byte 0, not rounded up
  }
  {
    Image img = MakeImage(1, 1, 16, pngtest::kGreyAlpha);
    img.At(0, 0, 0) = 0xBEEF;
    img.At(0, 0, 1) = 0x7F01;
    auto bm = Decode(pngtest::Encode(img));
    ASSERT_TRUE(bm);
    EXPECT_EQ(Px(bm.get(), 0, 0), 0x7FBEBEBEu);
  }
  {
    // tRNS of a 16-bit image names a 16-bit colour: 0x0FF0 matches, 0x0FF1 does not, although both
    // keep the high byte 0x0F.
    Image img = MakeImage(2, 1, 16, pngtest::kRgb);
    img.trns = {0x12, 0x34, 0xAB, 0xCD, 0x0F, 0xF0};
    SetRgb(img, 0, 0, 0x1234, 0xABCD, 0x0FF0);
    SetRgb(img, 1, 0, 0x1234, 0xABCD, 0x0FF1);
    auto bm = Decode(pngtest::Encode(img));
    ASSERT_TRUE(bm);
    EXPECT_EQ(Px(bm.get(), 0, 0), 0x0012AB0Fu);
    EXPECT_EQ(Px(bm.get(), 1, 0), 0xFF12AB0Fu);
  }
}

TEST(PngDecode, OneBitGreyIsBlackOrWhite) {
  // Width 10: the second byte of each row holds two pixels. Pixel (x, y) is (x + y) odd.
  Image img = MakeImage(10, 2, 1, pngtest::kGrey);
  for (uint32_t y = 0; y < 2; ++y) {
    for (uint32_t x = 0; x < 10; ++x) img.At(x, y, 0) = static_cast<uint16_t>((x + y) & 1);
  }
  auto bm = Decode(pngtest::Encode(img));
  ASSERT_TRUE(bm);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 10; ++x) {
      EXPECT_EQ(Px(bm.get(), x, y), ((x + y) & 1) ? 0xFFFFFFFFu : 0xFF000000u) << x << "," << y;
    }
  }
}

TEST(PngDecode, TwoAndFourBitGreyScaleToEightBits) {
  // The expansion repeats the bits: 2-bit v -> v x 0x55, 4-bit v -> v x 0x11.
  Image two = MakeImage(5, 1, 2, pngtest::kGrey);
  const uint16_t twoValues[5] = {0, 1, 2, 3, 2};
  for (uint32_t x = 0; x < 5; ++x) two.At(x, 0, 0) = twoValues[x];
  auto bm2 = Decode(pngtest::Encode(two));
  ASSERT_TRUE(bm2);
  EXPECT_EQ(Px(bm2.get(), 0, 0), 0xFF000000u);
  EXPECT_EQ(Px(bm2.get(), 1, 0), 0xFF555555u);
  EXPECT_EQ(Px(bm2.get(), 2, 0), 0xFFAAAAAAu);
  EXPECT_EQ(Px(bm2.get(), 3, 0), 0xFFFFFFFFu);
  EXPECT_EQ(Px(bm2.get(), 4, 0), 0xFFAAAAAAu);

  Image four = MakeImage(3, 1, 4, pngtest::kGrey);
  four.At(0, 0, 0) = 0x5;
  four.At(1, 0, 0) = 0xA;
  four.At(2, 0, 0) = 0xF;
  auto bm4 = Decode(pngtest::Encode(four));
  ASSERT_TRUE(bm4);
  EXPECT_EQ(Px(bm4.get(), 0, 0), 0xFF555555u);
  EXPECT_EQ(Px(bm4.get(), 1, 0), 0xFFAAAAAAu);
  EXPECT_EQ(Px(bm4.get(), 2, 0), 0xFFFFFFFFu);

  // A 2-bit grey with tRNS value 2: that pixel becomes transparent, its grey expanded (0xAA).
  Image t = MakeImage(2, 1, 2, pngtest::kGrey);
  t.trns = {0x00, 0x02};
  t.At(0, 0, 0) = 2;
  t.At(1, 0, 0) = 1;
  auto bmt = Decode(pngtest::Encode(t));
  ASSERT_TRUE(bmt);
  EXPECT_EQ(Px(bmt.get(), 0, 0), 0x00AAAAAAu);
  EXPECT_EQ(Px(bmt.get(), 1, 0), 0xFF555555u);
}

namespace {
// The RGBA test pattern: R = 19x, G = 23y, B = xy, A = 255 - x - y (all below 256 for x, y < 13).
uint32_t PatternWord(uint32_t x, uint32_t y) {
  const uint32_t r = (19 * x) & 0xFF, g = (23 * y) & 0xFF, b = (x * y) & 0xFF, a = 255 - x - y;
  return a << 24 | r << 16 | g << 8 | b;
}
Image PatternImage(uint32_t w, uint32_t h) {
  Image img = MakeImage(w, h, 8, pngtest::kRgba);
  for (uint32_t y = 0; y < h; ++y) {
    for (uint32_t x = 0; x < w; ++x) {
      const uint32_t p = PatternWord(x, y);
      img.At(x, y, 0) = static_cast<uint16_t>(p >> 16 & 0xFF);
      img.At(x, y, 1) = static_cast<uint16_t>(p >> 8 & 0xFF);
      img.At(x, y, 2) = static_cast<uint16_t>(p & 0xFF);
      img.At(x, y, 3) = static_cast<uint16_t>(p >> 24);
    }
  }
  return img;
}
}  // namespace

TEST(PngDecode, InterlacedImagesMatchTheirPixels) {
  // Sizes that leave some of the seven passes empty (1 x 1, 1 x 9, 2 x 2) and ones that fill all.
  const uint32_t sizes[][2] = {{13, 11}, {1, 1}, {1, 9}, {9, 1}, {2, 2}, {8, 8}, {12, 12}};
  for (const auto& s : sizes) {
    Image img = PatternImage(s[0], s[1]);
    img.interlaced = true;
    auto bm = Decode(pngtest::Encode(img));
    ASSERT_TRUE(bm) << s[0] << "x" << s[1];
    for (uint32_t y = 0; y < s[1]; ++y) {
      for (uint32_t x = 0; x < s[0]; ++x) {
        EXPECT_EQ(Px(bm.get(), static_cast<int>(x), static_cast<int>(y)), PatternWord(x, y))
            << s[0] << "x" << s[1] << " at " << x << "," << y;
      }
    }
  }
  // An interlaced 1-bit grey checkerboard: (x + y) odd is white.
  Image bits = MakeImage(9, 9, 1, pngtest::kGrey);
  bits.interlaced = true;
  for (uint32_t y = 0; y < 9; ++y) {
    for (uint32_t x = 0; x < 9; ++x) bits.At(x, y, 0) = static_cast<uint16_t>((x + y) & 1);
  }
  auto bm = Decode(pngtest::Encode(bits));
  ASSERT_TRUE(bm);
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 9; ++x) EXPECT_EQ(Px(bm.get(), x, y), ((x + y) & 1) ? 0xFFFFFFFFu : 0xFF000000u);
  }
  // An interlaced 16-bit RGB image: the high bytes, opaque.
  Image deep = MakeImage(5, 3, 16, pngtest::kRgb);
  deep.interlaced = true;
  for (uint32_t y = 0; y < 3; ++y) {
    for (uint32_t x = 0; x < 5; ++x) SetRgb(deep, x, y, static_cast<uint16_t>(x << 8 | 0xFF), static_cast<uint16_t>(y << 8), 0x7F80);
  }
  auto bmd = Decode(pngtest::Encode(deep));
  ASSERT_TRUE(bmd);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      EXPECT_EQ(Px(bmd.get(), x, y), 0xFF00007Fu | static_cast<uint32_t>(x) << 16 | static_cast<uint32_t>(y) << 8);
    }
  }
}

TEST(PngDecode, EveryRowFilterAndSplitImageData) {
  // Filters 0-4 on every row, then all five in turn, with the data in one or in five IDAT chunks:
  // the decoded words are the pattern's whatever the encoding.
  for (int filter = 0; filter <= 5; ++filter) {
    for (int chunks : {1, 5}) {
      Image img = PatternImage(13, 11);
      img.filter = filter;
      img.idatChunks = chunks;
      auto bm = Decode(pngtest::Encode(img));
      ASSERT_TRUE(bm) << "filter " << filter << " chunks " << chunks;
      for (uint32_t y = 0; y < 11; ++y) {
        for (uint32_t x = 0; x < 13; ++x) {
          ASSERT_EQ(Px(bm.get(), static_cast<int>(x), static_cast<int>(y)), PatternWord(x, y))
              << "filter " << filter << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST(PngDecode, RowsLandAtTheBitmapStride) {
  // Width 5: the bitmap's rows are 8 pixels apart; each image row starts on its own bitmap row.
  Image img = PatternImage(5, 4);
  auto bm = Decode(pngtest::Encode(img));
  ASSERT_TRUE(bm);
  EXPECT_EQ(bm->RowStride(), 8);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 5; ++x) {
      EXPECT_EQ(Px(bm.get(), x, y), PatternWord(static_cast<uint32_t>(x), static_cast<uint32_t>(y)));
    }
  }
}

TEST(PngDecode, LargestSideIsAccepted) {
  // 16384 x 1 is the limit itself; grey 0x80 everywhere.
  Image img = MakeImage(kPngMaxSide, 1, 8, pngtest::kGrey);
  for (auto& s : img.samples) s = 0x80;
  auto bm = Decode(pngtest::Encode(img));
  ASSERT_TRUE(bm);
  EXPECT_EQ(bm->PixelWidth(), kPngMaxSide);
  EXPECT_EQ(Px(bm.get(), 0, 0), 0xFF808080u);
  EXPECT_EQ(Px(bm.get(), kPngMaxSide - 1, 0), 0xFF808080u);
}

TEST(PngDecode, HighlyCompressedImageIsNotMistakenForATruncatedOne) {
  // 2048 x 2048 black RGB: 12 MiB of samples that deflate packs close to its limit ratio. The
  // decoder's size plausibility check must still let it through.
  Image img = MakeImage(2048, 2048, 8, pngtest::kRgb);
  const Bytes png = pngtest::Encode(img);
  auto bm = Decode(png);
  ASSERT_TRUE(bm) << png.size() << " bytes";
  EXPECT_EQ(Px(bm.get(), 0, 0), 0xFF000000u);
  EXPECT_EQ(Px(bm.get(), 2047, 2047), 0xFF000000u);
}

TEST(PngDecode, AncillaryChunksDoNotChangeThePixels) {
  // gAMA (a gamma of 0.00001), sBIT, bKGD, pHYs, tEXt and an unknown safe-to-copy chunk before the
  // image data, and a text chunk after it: none of them shapes the decoded words.
  Image img = PatternImage(6, 5);
  const Bytes plain = pngtest::Encode(img);
  const size_t idat = pngtest::FindChunk(plain, "IDAT");
  Bytes extra;
  pngtest::PutChunk(extra, "gAMA", Bytes{0, 0, 0, 1});
  pngtest::PutChunk(extra, "sBIT", Bytes{3, 3, 3, 3});
  pngtest::PutChunk(extra, "bKGD", Bytes{0, 255, 0, 0, 0, 0});
  pngtest::PutChunk(extra, "pHYs", Bytes{0, 0, 11, 19, 0, 0, 11, 19, 1});
  pngtest::PutChunk(extra, "tEXt", Bytes{'K', 'e', 'y', 0, 'v', 'a', 'l', 'u', 'e'});
  pngtest::PutChunk(extra, "qoXx", Bytes(40, 7));
  Bytes png(plain.begin(), plain.begin() + static_cast<long>(idat));
  png.insert(png.end(), extra.begin(), extra.end());
  png.insert(png.end(), plain.begin() + static_cast<long>(idat), plain.end());
  auto bm = Decode(png);
  ASSERT_TRUE(bm);
  for (uint32_t y = 0; y < 5; ++y) {
    for (uint32_t x = 0; x < 6; ++x) {
      EXPECT_EQ(Px(bm.get(), static_cast<int>(x), static_cast<int>(y)), PatternWord(x, y));
    }
  }
}
