// A small PNG writer for the decoder tests and the fuzz target: any colour type and bit depth, the five
// row filters, Adam7 interlacing, PLTE and tRNS chunks, and the image data split into several IDAT
// chunks. Built on zlib's compress2() and crc32() only, so the test images never come from outside.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace pngtest {

using Bytes = std::vector<uint8_t>;

enum ColourType : int { kGrey = 0, kRgb = 2, kPalette = 3, kGreyAlpha = 4, kRgba = 6 };

inline int ChannelsOf(int colourType) {
  switch (colourType) {
    case kGrey: return 1;
    case kRgb: return 3;
    case kPalette: return 1;
    case kGreyAlpha: return 2;
    case kRgba: return 4;
    default: return 1;
  }
}

struct Image {
  uint32_t width = 0;
  uint32_t height = 0;
  int bitDepth = 8;
  int colourType = kRgb;
  bool interlaced = false;
  int filter = 0;        // row filter 0..4 for every row, or 5: cycle through the five
  int idatChunks = 1;    // the compressed data split into this many IDAT chunks
  Bytes palette;         // PLTE payload: R, G, B triples
  Bytes trns;            // tRNS payload as stored
  // Samples in row-major order, ChannelsOf(colourType) values a pixel (palette index for palettes).
  std::vector<uint16_t> samples;

  uint16_t& At(uint32_t x, uint32_t y, int c) {
    return samples[(static_cast<size_t>(y) * width + x) * static_cast<size_t>(ChannelsOf(colourType)) +
                   static_cast<size_t>(c)];
  }
  void Allocate() {
    samples.assign(static_cast<size_t>(width) * height * static_cast<size_t>(ChannelsOf(colourType)), 0);
  }
};

inline void PutU32(Bytes& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 24));
  out.push_back(static_cast<uint8_t>(v >> 16));
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

inline uint32_t GetU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
         static_cast<uint32_t>(p[2]) << 8 | p[3];
}

// Appends a chunk: length, type, data, CRC of type and data.
inline void PutChunk(Bytes& out, const char* type, const Bytes& data) {
  PutU32(out, static_cast<uint32_t>(data.size()));
  const size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  const uLong crc = crc32(0L, out.data() + typeAt, static_cast<uInt>(4 + data.size()));
  PutU32(out, static_cast<uint32_t>(crc));
}

inline Bytes Signature() { return Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}; }

inline Bytes IhdrPayload(uint32_t w, uint32_t h, int depth, int colourType, int interlace) {
  Bytes d;
  PutU32(d, w);
  PutU32(d, h);
  d.push_back(static_cast<uint8_t>(depth));
  d.push_back(static_cast<uint8_t>(colourType));
  d.push_back(0);  // deflate
  d.push_back(0);  // adaptive filtering
  d.push_back(static_cast<uint8_t>(interlace));
  return d;
}

inline Bytes Compress(const Bytes& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes out(size);
  if (compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK) std::abort();
  out.resize(size);
  return out;
}

inline int Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  if (pb <= pc) return b;
  return c;
}

// Packs one row of samples (columns x0, x0 + dx, ... of row y) into PNG row bytes.
inline Bytes PackRow(Image& img, uint32_t y, uint32_t x0, uint32_t dx) {
  const int ch = ChannelsOf(img.colourType);
  Bytes row;
  uint32_t bitBuffer = 0;
  int bits = 0;
  for (uint32_t x = x0; x < img.width; x += dx) {
    for (int c = 0; c < ch; ++c) {
      const uint16_t v = img.At(x, y, c);
      if (img.bitDepth == 16) {
        row.push_back(static_cast<uint8_t>(v >> 8));
        row.push_back(static_cast<uint8_t>(v));
      } else if (img.bitDepth == 8) {
        row.push_back(static_cast<uint8_t>(v));
      } else {  // 1, 2, 4: most significant bits first
        bitBuffer = bitBuffer << img.bitDepth | (v & ((1u << img.bitDepth) - 1));
        bits += img.bitDepth;
        if (bits == 8) {
          row.push_back(static_cast<uint8_t>(bitBuffer));
          bitBuffer = 0;
          bits = 0;
        }
      }
    }
  }
  if (bits > 0) row.push_back(static_cast<uint8_t>(bitBuffer << (8 - bits)));
  return row;
}

// Filters the rows of one (sub-)image and appends them, each after its filter byte.
inline void AppendFiltered(Bytes& raw, const std::vector<Bytes>& rows, int bytesPerPixel, int filter) {
  Bytes prior;
  for (size_t r = 0; r < rows.size(); ++r) {
    const Bytes& cur = rows[r];
    if (prior.size() != cur.size()) prior.assign(cur.size(), 0);
    const int f = filter == 5 ? static_cast<int>(r % 5) : filter;
    raw.push_back(static_cast<uint8_t>(f));
    for (size_t i = 0; i < cur.size(); ++i) {
      const int a = i >= static_cast<size_t>(bytesPerPixel) ? cur[i - bytesPerPixel] : 0;
      const int b = prior[i];
      const int c = i >= static_cast<size_t>(bytesPerPixel) ? prior[i - bytesPerPixel] : 0;
      int pred = 0;
      switch (f) {
        case 1: pred = a; break;
        case 2: pred = b; break;
        case 3: pred = (a + b) / 2; break;
        case 4: pred = Paeth(a, b, c); break;
        default: pred = 0; break;
      }
      raw.push_back(static_cast<uint8_t>(cur[i] - pred));
    }
    prior = cur;
  }
}

// The filtered, uncompressed image data.
inline Bytes RawImageData(Image& img) {
  const int bitsPerPixel = ChannelsOf(img.colourType) * img.bitDepth;
  const int bpp = bitsPerPixel >= 8 ? bitsPerPixel / 8 : 1;
  Bytes raw;
  if (!img.interlaced) {
    std::vector<Bytes> rows;
    for (uint32_t y = 0; y < img.height; ++y) rows.push_back(PackRow(img, y, 0, 1));
    AppendFiltered(raw, rows, bpp, img.filter);
    return raw;
  }
  // Adam7: start column, start row, column step, row step of the seven passes.
  static const int kPass[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                  {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
  for (const auto& p : kPass) {
    if (static_cast<uint32_t>(p[0]) >= img.width || static_cast<uint32_t>(p[1]) >= img.height) continue;
    std::vector<Bytes> rows;
    for (uint32_t y = static_cast<uint32_t>(p[1]); y < img.height; y += static_cast<uint32_t>(p[3])) {
      rows.push_back(PackRow(img, y, static_cast<uint32_t>(p[0]), static_cast<uint32_t>(p[2])));
    }
    AppendFiltered(raw, rows, bpp, img.filter);
  }
  return raw;
}

// A whole PNG file for the image.
inline Bytes Encode(Image& img) {
  Bytes out = Signature();
  PutChunk(out, "IHDR", IhdrPayload(img.width, img.height, img.bitDepth, img.colourType, img.interlaced ? 1 : 0));
  if (!img.palette.empty()) PutChunk(out, "PLTE", img.palette);
  if (!img.trns.empty()) PutChunk(out, "tRNS", img.trns);
  const Bytes z = Compress(RawImageData(img));
  const size_t parts = img.idatChunks < 1 ? 1 : static_cast<size_t>(img.idatChunks);
  const size_t step = (z.size() + parts - 1) / parts;
  for (size_t at = 0; at < z.size(); at += step) {
    const size_t n = z.size() - at < step ? z.size() - at : step;
    PutChunk(out, "IDAT", Bytes(z.begin() + static_cast<long>(at), z.begin() + static_cast<long>(at + n)));
  }
  PutChunk(out, "IEND", Bytes());
  return out;
}

// Offset of the first chunk of the given type (its length field), or 0.
inline size_t FindChunk(const Bytes& png, const char* type) {
  size_t at = 8;
  while (at + 12 <= png.size()) {
    const uint32_t len = GetU32(&png[at]);
    if (std::memcmp(&png[at + 4], type, 4) == 0) return at;
    at += 12 + static_cast<size_t>(len);
  }
  return 0;
}

// Recomputes the CRC of every chunk that lies wholly inside the data (after a deliberate change).
inline void FixCrcs(Bytes& png) {
  size_t at = 8;
  while (at + 12 <= png.size()) {
    const uint32_t len = GetU32(&png[at]);
    if (len > png.size() || at + 12 + static_cast<size_t>(len) > png.size()) return;
    const uLong crc = crc32(0L, &png[at + 4], static_cast<uInt>(4 + len));
    const size_t crcAt = at + 8 + len;
    png[crcAt] = static_cast<uint8_t>(crc >> 24);
    png[crcAt + 1] = static_cast<uint8_t>(crc >> 16);
    png[crcAt + 2] = static_cast<uint8_t>(crc >> 8);
    png[crcAt + 3] = static_cast<uint8_t>(crc);
    at = crcAt + 4;
  }
}

}  // namespace pngtest
