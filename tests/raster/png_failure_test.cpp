// PNG data that must not decode: too short, not a PNG, truncated, corrupt, or a header announcing an
// image too large to take. Every such call gives null; nothing may stay allocated (the native build's
// leak checker runs at exit) and no byte past the given length may be read (the data is copied into
// exactly sized heap blocks, so AddressSanitizer sees any over-read).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "raster/pixpng.h"
#include "tests/raster/png_encoder.h"

using pngtest::Bytes;
using pngtest::Image;

namespace {

// Decodes from a heap block of exactly n bytes.
std::unique_ptr<PIX_IBitmap> DecodeExact(const uint8_t* data, size_t n) {
  std::unique_ptr<uint8_t[]> copy(new uint8_t[n == 0 ? 1 : n]);
  if (n) std::memcpy(copy.get(), data, n);
  return std::unique_ptr<PIX_IBitmap>(PIX_ReadPngBytes(copy.get(), static_cast<int>(n)));
}
std::unique_ptr<PIX_IBitmap> DecodeExact(const Bytes& b) { return DecodeExact(b.data(), b.size()); }

// Pseudo-random RGBA pixels: data that deflate cannot shrink, so a cut in the image data really
// removes pixels.
Image NoiseImage(uint32_t w, uint32_t h, uint32_t seed) {
  Image img;
  img.width = w;
  img.height = h;
  img.bitDepth = 8;
  img.colourType = pngtest::kRgba;
  img.Allocate();
  for (auto& s : img.samples) {
    seed = seed * 1664525u + 1013904223u;
    s = static_cast<uint16_t>(seed >> 24);
  }
  return img;
}

uint32_t NoiseWord(Image& img, uint32_t x, uint32_t y) {
  return static_cast<uint32_t>(img.At(x, y, 3)) << 24 | static_cast<uint32_t>(img.At(x, y, 0)) << 16 |
         static_cast<uint32_t>(img.At(x, y, 1)) << 8 | img.At(x, y, 2);
}

// A file with the given header and a little valid-looking image data.
Bytes WithHeader(uint32_t w, uint32_t h, int depth, int colourType, int interlace = 0) {
  Bytes out = pngtest::Signature();
  pngtest::PutChunk(out, "IHDR", pngtest::IhdrPayload(w, h, depth, colourType, interlace));
  pngtest::PutChunk(out, "IDAT", pngtest::Compress(Bytes(64, 0)));
  pngtest::PutChunk(out, "IEND", Bytes());
  return out;
}

}  // namespace

TEST(PngFailure, ShortOrForeignDataIsRefused) {
  EXPECT_FALSE(PIX_ReadPngBytes(nullptr, 100));
  const Bytes sig = pngtest::Signature();
  EXPECT_FALSE(PIX_ReadPngBytes(sig.data(), -1));
  EXPECT_FALSE(DecodeExact(sig.data(), 0));
  EXPECT_FALSE(DecodeExact(sig.data(), 7));  // 7 bytes of the signature
  Bytes notPng = sig;
  notPng[7] = 0x0B;
  EXPECT_FALSE(DecodeExact(notPng));  // 8 bytes, last one wrong
  const char text[] = "GIF89a..";
  EXPECT_FALSE(DecodeExact(reinterpret_cast<const uint8_t*>(text), 8));
  // The signature alone: libpng reads zeros for the first chunk and raises its error.
  EXPECT_FALSE(DecodeExact(sig));
}

TEST(PngFailure, DataCutInsideTheImageDataGivesNull) {
  Image img = NoiseImage(48, 32, 7);
  const Bytes png = pngtest::Encode(img);
  const size_t idat = pngtest::FindChunk(png, "IDAT");
  ASSERT_GT(idat, 0u);
  const size_t dataStart = idat + 8, dataEnd = dataStart + pngtest::GetU32(&png[idat]);
  // Any cut that drops compressed pixel data (the stream's last 4 bytes are only its checksum).
  for (size_t cut = dataStart; cut + 4 < dataEnd; cut += 37) {
    EXPECT_FALSE(DecodeExact(png.data(), cut)) << "cut at " << cut << " of " << png.size();
  }
  EXPECT_FALSE(DecodeExact(png.data(), dataEnd - 5));
}

TEST(PngFailure, EveryCutGivesNullOrTheWholeImage) {
  // Whatever the cut, the decoder either refuses the data or (once the image data is all there)
  // gives the exact image; it never gives a part-filled bitmap.
  Image img = NoiseImage(9, 7, 3);
  img.interlaced = true;
  const Bytes png = pngtest::Encode(img);
  for (size_t cut = 0; cut < png.size(); ++cut) {
    auto bm = DecodeExact(png.data(), cut);
    if (!bm) continue;
    for (uint32_t y = 0; y < 7; ++y) {
      for (uint32_t x = 0; x < 9; ++x) {
        ASSERT_EQ(bm->PixelData()[y * static_cast<uint32_t>(bm->RowStride()) + x], NoiseWord(img, x, y))
            << "cut at " << cut;
      }
    }
  }
  EXPECT_TRUE(DecodeExact(png));
}

TEST(PngFailure, CorruptDataGivesNull) {
  Image img = NoiseImage(16, 16, 11);
  const Bytes good = pngtest::Encode(img);
  ASSERT_TRUE(DecodeExact(good));
  const size_t ihdr = pngtest::FindChunk(good, "IHDR");
  const size_t idat = pngtest::FindChunk(good, "IDAT");
  ASSERT_EQ(ihdr, 8u);
  ASSERT_GT(idat, 0u);

  {  // A flipped bit in the image data, CRC left as it was: libpng's CRC check fails.
    Bytes b = good;
    b[idat + 8 + 40] ^= 0x10;
    EXPECT_FALSE(DecodeExact(b));
  }
  {  // A broken zlib header with a matching chunk CRC.
    Bytes b = good;
    b[idat + 8] = 0x00;
    pngtest::FixCrcs(b);
    EXPECT_FALSE(DecodeExact(b));
  }
  {  // Bit depth 3 does not exist.
    Bytes b = good;
    b[ihdr + 8 + 8] = 3;
    pngtest::FixCrcs(b);
    EXPECT_FALSE(DecodeExact(b));
  }
  {  // Colour type 1 does not exist.
    Bytes b = good;
    b[ihdr + 8 + 9] = 1;
    pngtest::FixCrcs(b);
    EXPECT_FALSE(DecodeExact(b));
  }
  {  // Interlace method 2 does not exist.
    Bytes b = good;
    b[ihdr + 8 + 12] = 2;
    pngtest::FixCrcs(b);
    EXPECT_FALSE(DecodeExact(b));
  }
  {  // A palette image without its PLTE chunk.
    Bytes b = good;
    b[ihdr + 8 + 9] = pngtest::kPalette;
    b[ihdr + 8 + 8] = 8;
    pngtest::FixCrcs(b);
    EXPECT_FALSE(DecodeExact(b));
  }
  {  // No IHDR: the file starts with IEND.
    Bytes b = pngtest::Signature();
    pngtest::PutChunk(b, "IEND", Bytes());
    EXPECT_FALSE(DecodeExact(b));
  }
  {  // A header and no image data.
    Bytes b = pngtest::Signature();
    pngtest::PutChunk(b, "IHDR", pngtest::IhdrPayload(4, 4, 8, pngtest::kRgb, 0));
    pngtest::PutChunk(b, "IEND", Bytes());
    EXPECT_FALSE(DecodeExact(b));
  }
  {  // A row filter type 9 inside otherwise valid compressed data.
    Image one = NoiseImage(4, 4, 5);
    Bytes raw = pngtest::RawImageData(one);
    raw[(4 * 4 + 1) * 2] = 9;  // filter byte of the third row
    Bytes b = pngtest::Signature();
    pngtest::PutChunk(b, "IHDR", pngtest::IhdrPayload(4, 4, 8, pngtest::kRgba, 0));
    pngtest::PutChunk(b, "IDAT", pngtest::Compress(raw));
    pngtest::PutChunk(b, "IEND", Bytes());
    EXPECT_FALSE(DecodeExact(b));
  }
  {  // Too little image data in a valid stream: half the rows.
    Image one = NoiseImage(4, 4, 5);
    Bytes raw = pngtest::RawImageData(one);
    raw.resize(raw.size() / 2);
    Bytes b = pngtest::Signature();
    pngtest::PutChunk(b, "IHDR", pngtest::IhdrPayload(4, 4, 8, pngtest::kRgba, 0));
    pngtest::PutChunk(b, "IDAT", pngtest::Compress(raw));
    pngtest::PutChunk(b, "IEND", Bytes());
    EXPECT_FALSE(DecodeExact(b));
  }
  {  // A chunk length running far past the end of the data.
    Bytes b = good;
    b[idat] = 0x7F;
    EXPECT_FALSE(DecodeExact(b));
  }
}

TEST(PngFailure, HugeHeadersAreRefusedBeforeTakingMemory) {
  // Past the side limit of 16384 on either side, at any depth.
  EXPECT_FALSE(DecodeExact(WithHeader(100000, 100000, 8, pngtest::kRgba)));
  EXPECT_FALSE(DecodeExact(WithHeader(kPngMaxSide + 1, 1, 8, pngtest::kRgb)));
  EXPECT_FALSE(DecodeExact(WithHeader(1, kPngMaxSide + 1, 8, pngtest::kRgb)));
  EXPECT_FALSE(DecodeExact(WithHeader(0x7FFFFFFF, 0x7FFFFFFF, 16, pngtest::kRgba)));
  // Sides that PNG itself does not allow: 0 and 2^31 and more.
  EXPECT_FALSE(DecodeExact(WithHeader(0, 16, 8, pngtest::kRgb)));
  EXPECT_FALSE(DecodeExact(WithHeader(0x80000000u, 1, 8, pngtest::kRgb)));
  EXPECT_FALSE(DecodeExact(WithHeader(0xFFFFFFFFu, 0xFFFFFFFFu, 1, pngtest::kGrey)));
  // Within the side limit but far more pixels than the few data bytes can hold: a 1 GiB bitmap
  // is not taken for 90 bytes of data.
  EXPECT_FALSE(DecodeExact(WithHeader(kPngMaxSide, kPngMaxSide, 8, pngtest::kRgba)));
  EXPECT_FALSE(DecodeExact(WithHeader(kPngMaxSide, kPngMaxSide, 1, pngtest::kGrey, 1)));
}

TEST(PngFailure, ChunkLengthFarPastTheEndIsNotReadAsZerosForever) {
  // An ancillary chunk announcing 2^31 - 16 bytes with 3 present: libpng would skip (read and
  // checksum) the whole length; the memory reader stops handing out zeros after a bound and the
  // decode fails instead.
  Bytes b = pngtest::Signature();
  pngtest::PutChunk(b, "IHDR", pngtest::IhdrPayload(4, 4, 8, pngtest::kRgb, 0));
  pngtest::PutU32(b, 0x7FFFFFF0u);
  const char head[] = "tEXtabc";
  b.insert(b.end(), head, head + 7);
  EXPECT_FALSE(DecodeExact(b));
}

TEST(PngFailure, CutAfterTheImageDataStillDecodes) {
  // The decoder stops after the image data: an image without its IEND chunk is whole.
  Image img = NoiseImage(5, 3, 21);
  Bytes png = pngtest::Encode(img);
  png.resize(pngtest::FindChunk(png, "IEND"));
  auto bm = DecodeExact(png);
  ASSERT_TRUE(bm);
  EXPECT_EQ(bm->PixelData()[2 * bm->RowStride() + 4], NoiseWord(img, 4, 2));
}
