// Fuzz target for the PNG decoder (PIX_ReadPngBytes). The first input byte picks how the rest is used:
// as raw data, as byte changes to one of a few valid seed images (with or without repaired chunk
// CRCs, so that the changes reach past libpng's CRC check), as a cut, as a replaced header, as an
// inserted chunk, or as the description of a fresh image in any colour type, depth, size, filter
// and interlacing. Fresh images that are left intact must decode to exactly their pixels; whatever
// the input, a decoded bitmap must be readable in full, and nothing may leak or be read out of bounds
// (the sanitizers of the native build watch). The data is always handed over in a block of exactly
// its size.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "raster/pixpng.h"
#include "tests/raster/png_encoder.h"

namespace {

using pngtest::Bytes;
using pngtest::Image;

// Reads the fuzz bytes in order; zeros once they run out.
struct Input {
  const uint8_t* p;
  size_t n;
  uint8_t Byte() {
    if (n == 0) return 0;
    --n;
    return *p++;
  }
  uint32_t U16() { return static_cast<uint32_t>(Byte()) << 8 | Byte(); }
  uint32_t U32() { return U16() << 16 | U16(); }
};

// A fresh image described by the input. Valid by construction (sizes, depths, palette indices and
// tRNS values in range).
Image DescribedImage(Input& in) {
  static const int kTypes[5] = {pngtest::kGrey, pngtest::kRgb, pngtest::kPalette, pngtest::kGreyAlpha,
                                pngtest::kRgba};
  static const int kGreyDepths[5] = {1, 2, 4, 8, 16};
  static const int kPaletteDepths[4] = {1, 2, 4, 8};
  Image img;
  img.colourType = kTypes[in.Byte() % 5];
  const uint8_t d = in.Byte();
  if (img.colourType == pngtest::kGrey) {
    img.bitDepth = kGreyDepths[d % 5];
  } else if (img.colourType == pngtest::kPalette) {
    img.bitDepth = kPaletteDepths[d % 4];
  } else {
    img.bitDepth = d % 2 ? 16 : 8;
  }
  img.width = 1 + in.Byte() % 24u;
  img.height = 1 + in.Byte() % 24u;
  const uint8_t flags = in.Byte();
  img.interlaced = flags & 1;
  img.filter = (flags >> 1) % 6;
  img.idatChunks = 1 + (flags >> 4) % 4;
  const bool withTrns = (flags & 0x80) != 0;
  const uint32_t maxSample = img.bitDepth == 16 ? 0xFFFFu : (1u << img.bitDepth) - 1;
  uint32_t entries = 0;
  if (img.colourType == pngtest::kPalette) {
    entries = 1 + in.Byte() % (1u << img.bitDepth);
    for (uint32_t i = 0; i < 3 * entries; ++i) img.palette.push_back(in.Byte());
    if (withTrns) {
      const uint32_t n = 1 + in.Byte() % entries;
      for (uint32_t i = 0; i < n; ++i) img.trns.push_back(in.Byte());
    }
  } else if (withTrns && (img.colourType == pngtest::kGrey || img.colourType == pngtest::kRgb)) {
    const int values = img.colourType == pngtest::kGrey ? 1 : 3;
    for (int i = 0; i < values; ++i) {
      const uint32_t v = in.U16() & maxSample;
      img.trns.push_back(static_cast<uint8_t>(v >> 8));
      img.trns.push_back(static_cast<uint8_t>(v));
    }
  }
  img.Allocate();
  // Samples: from the input while it lasts, then a generator seeded by it.
  uint32_t seed = in.U32() | 1u;
  for (auto& s : img.samples) {
    uint32_t v;
    if (in.n > 0) {
      v = img.bitDepth == 16 ? in.U16() : in.Byte();
    } else {
      seed = seed * 1664525u + 1013904223u;
      v = seed >> 16;
    }
    s = static_cast<uint16_t>(img.colourType == pngtest::kPalette ? v % entries : v & maxSample);
  }
  // Some samples equal to the tRNS colour, so that the transparent case comes up.
  if (!img.trns.empty() && img.colourType != pngtest::kPalette && !img.samples.empty()) {
    const int ch = pngtest::ChannelsOf(img.colourType);
    for (int c = 0; c < ch; ++c) {
      img.samples[static_cast<size_t>(c)] =
          static_cast<uint16_t>(img.trns[static_cast<size_t>(2 * c)] << 8 | img.trns[static_cast<size_t>(2 * c + 1)]);
    }
  }
  return img;
}

// The word an intact image must decode to at (x, y).
uint32_t ExpectedWord(Image& img, uint32_t x, uint32_t y) {
  const int depth = img.bitDepth;
  auto to8 = [depth](uint32_t v) -> uint32_t {
    if (depth == 16) return v >> 8;
    if (depth == 8) return v;
    return v * 255 / ((1u << depth) - 1);  // 1, 2, 4 bits: the bit pattern repeated
  };
  auto trnsValue = [&img](int i) {
    return static_cast<uint32_t>(img.trns[static_cast<size_t>(2 * i)]) << 8 | img.trns[static_cast<size_t>(2 * i + 1)];
  };
  uint32_t a = 255, r = 0, g = 0, b = 0;
  switch (img.colourType) {
    case pngtest::kGrey: {
      const uint32_t v = img.At(x, y, 0);
      r = g = b = to8(v);
      if (!img.trns.empty() && v == trnsValue(0)) a = 0;
      break;
    }
    case pngtest::kRgb: {
      const uint32_t vr = img.At(x, y, 0), vg = img.At(x, y, 1), vb = img.At(x, y, 2);
      r = to8(vr), g = to8(vg), b = to8(vb);
      if (!img.trns.empty() && vr == trnsValue(0) && vg == trnsValue(1) && vb == trnsValue(2)) a = 0;
      break;
    }
    case pngtest::kPalette: {
      const uint32_t i = img.At(x, y, 0);
      r = img.palette[3 * i], g = img.palette[3 * i + 1], b = img.palette[3 * i + 2];
      if (i < img.trns.size()) a = img.trns[i];
      break;
    }
    case pngtest::kGreyAlpha:
      r = g = b = to8(img.At(x, y, 0));
      a = to8(img.At(x, y, 1));
      break;
    default:
      r = to8(img.At(x, y, 0)), g = to8(img.At(x, y, 1)), b = to8(img.At(x, y, 2));
      a = to8(img.At(x, y, 3));
      break;
  }
  return a << 24 | r << 16 | g << 8 | b;
}

std::vector<Bytes> MakeSeeds() {
  // Each seed from a fixed description: type, depth, width, height, flags (interlace, filter,
  // IDAT count, tRNS), then palette/tRNS/sample bytes from a counter.
  static const uint8_t kDescriptions[][5] = {
      {1, 0, 5, 4, 0x0A},  {4, 0, 7, 5, 0x01},  {2, 2, 9, 3, 0x80},  {0, 0, 10, 10, 0x01},
      {3, 1, 3, 3, 0x04},  {0, 1, 6, 2, 0x80},  {1, 1, 2, 2, 0x80},  {2, 3, 11, 6, 0x31},
      {0, 4, 4, 4, 0x8B},  {4, 1, 13, 9, 0x5B},
  };
  std::vector<Bytes> seeds;
  for (const auto& d : kDescriptions) {
    uint8_t bytes[256];
    std::memcpy(bytes, d, 5);
    for (int i = 5; i < 256; ++i) bytes[i] = static_cast<uint8_t>(i * 37 + d[0] * 11);
    Input in{bytes, sizeof bytes};
    Image img = DescribedImage(in);
    seeds.push_back(pngtest::Encode(img));
  }
  return seeds;
}

// Decodes from a heap block of exactly the data's size and checks what comes back.
PIX_IBitmap* DecodeExact(const uint8_t* data, size_t n) {
  std::unique_ptr<uint8_t[]> copy(new uint8_t[n == 0 ? 1 : n]);
  if (n) std::memcpy(copy.get(), data, n);
  PIX_IBitmap* bm = PIX_ReadPngBytes(copy.get(), static_cast<int>(n));
  if (bm) {
    const int w = bm->PixelWidth(), h = bm->PixelHeight();
    if (w < 1 || h < 1 || w > kPngMaxSide || h > kPngMaxSide || !bm->PixelData() || bm->RowStride() < w) {
      std::abort();
    }
    // Touch every pixel: a short block would show under AddressSanitizer.
    volatile uint32_t sum = 0;
    for (int y = 0; y < h; ++y) {
      const uint32_t* row = bm->PixelData() + static_cast<int64_t>(y) * bm->RowStride();
      for (int x = 0; x < w; ++x) sum = sum + row[x];
    }
  }
  return bm;
}

void DecodeAndDrop(const Bytes& b) { delete DecodeExact(b.data(), b.size()); }

// Byte changes (position, value) from the input; the position is scaled to the data.
void Overwrite(Bytes& b, Input& in) {
  const int count = 1 + in.Byte() % 8;
  for (int i = 0; i < count && !b.empty(); ++i) {
    const size_t at = in.U16() % b.size();
    const uint8_t how = in.Byte();
    const uint8_t v = in.Byte();
    if (how % 3 == 0) {
      b[at] = v;
    } else if (how % 3 == 1) {
      b[at] ^= static_cast<uint8_t>(1u << (v % 8));
    } else {
      b[at] = static_cast<uint8_t>(b[at] + (v % 2 ? 1 : -1));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<Bytes> seeds = MakeSeeds();
  if (size == 0) {
    delete DecodeExact(data, 0);
    return 0;
  }
  Input in{data + 1, size - 1};
  switch (data[0] % 9) {
    case 0:  // raw bytes
      delete DecodeExact(in.p, in.n);
      break;
    case 1: {  // raw bytes after a valid signature
      Bytes b = pngtest::Signature();
      b.insert(b.end(), in.p, in.p + in.n);
      DecodeAndDrop(b);
      break;
    }
    case 2:    // byte changes to a seed, CRCs as they fall
    case 3: {  // ... and with the CRCs repaired
      Bytes b = seeds[in.Byte() % seeds.size()];
      Overwrite(b, in);
      if (data[0] % 9 == 3) pngtest::FixCrcs(b);
      DecodeAndDrop(b);
      break;
    }
    case 4: {  // a seed cut short, perhaps changed as well
      Bytes b = seeds[in.Byte() % seeds.size()];
      b.resize(in.U16() % (b.size() + 1));
      if (in.Byte() & 1) {
        Overwrite(b, in);
        pngtest::FixCrcs(b);
      }
      DecodeAndDrop(b);
      break;
    }
    case 5: {  // a seed with another header: any sizes, depths, colour types and methods
      Bytes b = seeds[in.Byte() % seeds.size()];
      const uint8_t which = in.Byte();
      uint8_t* ihdr = &b[16];
      const uint32_t w = in.U32(), h = in.U32();
      if (which & 2) {
        ihdr[0] = static_cast<uint8_t>(w >> 24), ihdr[1] = static_cast<uint8_t>(w >> 16);
        ihdr[2] = static_cast<uint8_t>(w >> 8), ihdr[3] = static_cast<uint8_t>(w);
      } else {
        ihdr[3] = static_cast<uint8_t>(w);  // small changes to the width
      }
      if (which & 4) {
        ihdr[4] = static_cast<uint8_t>(h >> 24), ihdr[5] = static_cast<uint8_t>(h >> 16);
        ihdr[6] = static_cast<uint8_t>(h >> 8), ihdr[7] = static_cast<uint8_t>(h);
      } else {
        ihdr[7] = static_cast<uint8_t>(h);
      }
      if (which & 8) ihdr[8] = in.Byte();  // bit depth
      if (which & 16) ihdr[9] = in.Byte();  // colour type
      if (which & 32) ihdr[10 + in.Byte() % 3] = in.Byte();  // methods
      pngtest::FixCrcs(b);
      DecodeAndDrop(b);
      break;
    }
    case 6: {  // a chunk of any type and content put in front of a seed's chunk
      Bytes b = seeds[in.Byte() % seeds.size()];
      static const char* const kTypes[] = {"PLTE", "tRNS", "IDAT", "IHDR", "IEND", "gAMA", "sBIT",
                                           "bKGD", "cHRM", "iCCP", "sRGB", "tEXt", "zTXt", "pHYs",
                                           "hIST", "sPLT", "eXIf", "QoXx", "qoxx"};
      const char* type = kTypes[in.Byte() % (sizeof kTypes / sizeof kTypes[0])];
      Bytes payload(in.Byte() % 64);
      for (auto& v : payload) v = in.Byte();
      Bytes chunk;
      pngtest::PutChunk(chunk, type, payload);
      // Insert before the k-th chunk (chunk boundaries found by walking the lengths).
      size_t at = 8;
      for (int k = in.Byte() % 6; k > 0 && at + 12 <= b.size(); --k) at += 12 + pngtest::GetU32(&b[at]);
      if (at > b.size()) at = b.size();
      b.insert(b.begin() + static_cast<long>(at), chunk.begin(), chunk.end());
      DecodeAndDrop(b);
      break;
    }
    case 7: {  // a fresh image, intact: must decode to exactly its pixels
      Image img = DescribedImage(in);
      const Bytes b = pngtest::Encode(img);
      PIX_IBitmap* bm = DecodeExact(b.data(), b.size());
      if (!bm || bm->PixelWidth() != static_cast<int>(img.width) || bm->PixelHeight() != static_cast<int>(img.height)) {
        std::abort();
      }
      for (uint32_t y = 0; y < img.height; ++y) {
        for (uint32_t x = 0; x < img.width; ++x) {
          if (bm->PixelData()[static_cast<int64_t>(y) * bm->RowStride() + x] != ExpectedWord(img, x, y)) std::abort();
        }
      }
      delete bm;
      break;
    }
    default: {  // a fresh image whose uncompressed data is changed (filter bytes, lengths) before
                // compression, so that every chunk and the zlib stream are well formed
      Image img = DescribedImage(in);
      Bytes raw = pngtest::RawImageData(img);
      Overwrite(raw, in);
      const uint8_t cut = in.Byte();
      if (cut & 1) raw.resize(raw.size() - raw.size() * (cut >> 1) / 512);
      if (cut & 0x80) raw.insert(raw.end(), cut % 9, cut);
      Bytes b = pngtest::Signature();
      pngtest::PutChunk(b, "IHDR", pngtest::IhdrPayload(img.width, img.height, img.bitDepth, img.colourType,
                                                         img.interlaced ? 1 : 0));
      if (!img.palette.empty()) pngtest::PutChunk(b, "PLTE", img.palette);
      if (!img.trns.empty()) pngtest::PutChunk(b, "tRNS", img.trns);
      pngtest::PutChunk(b, "IDAT", pngtest::Compress(raw));
      pngtest::PutChunk(b, "IEND", Bytes());
      DecodeAndDrop(b);
      break;
    }
  }
  return 0;
}
