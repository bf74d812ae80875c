#include "raster/pixfill.h"

#include <cstring>
#include <new>

#include "raster/pixcombine.h"
#include "raster/pixpng.h"

namespace {

// Rows counted from the top, whatever the storage order of the bitmap.
struct RowWalk {
  uint32_t* first;
  int64_t step;  // pixels from one row to the one below it; negative for bottom-up bitmaps
  uint32_t* Row(int64_t j) const { return first + step * j; }
};

RowWalk WalkOf(PIX_IBitmap* bm, uint32_t* data, int64_t stride) {
  if (bm->IsBottomUp()) return RowWalk{data + stride * (bm->PixelHeight() - 1), -stride};
  return RowWalk{data, stride};
}

inline int Lane(uint32_t p, int shift) { return static_cast<int>((p >> shift) & 0xFF); }

inline uint32_t PackLanes(int64_t a, int64_t r, int64_t g, int64_t b) {
  return static_cast<uint32_t>(a & 0xFF) << 24 | static_cast<uint32_t>(r & 0xFF) << 16 |
         static_cast<uint32_t>(g & 0xFF) << 8 | static_cast<uint32_t>(b & 0xFF);
}

// Whole-word lane fractions: every byte lane shifted right on its own, the low bits dropped.
inline uint32_t Half(uint32_t p) { return (p >> 1) & 0x7F7F7F7Fu; }
inline uint32_t Quarter(uint32_t p) { return (p >> 2) & 0x3F3F3F3Fu; }
inline uint32_t Eighth(uint32_t p) { return (p >> 3) & 0x1F1F1F1Fu; }

// Runs op on every pixel of the clipped block (cols x rows from column x, top row y).
template <class Op>
void ForEachPixel(const RowWalk& walk, int64_t x, int64_t y, int64_t cols, int64_t rows, Op op) {
  for (int64_t j = 0; j < rows; ++j) {
    uint32_t* p = walk.Row(y + j) + x;
    for (int64_t i = 0; i < cols; ++i) op(p + i);
  }
}

// The alpha lanes of multiply and soft light, where the weight itself is the source value: with
// weights up to 16 the products leave 32 bits, so these two lanes are worked out in 64 bits (the
// same formulas as the shared combiners, which take only 8-bit sources).
inline int64_t MultiplyAlphaLane(int64_t d, int64_t W) { return (W * W + 256 * (256 - W)) * d >> 16; }

inline int64_t SoftLightAlphaLane(int64_t d, int64_t W) {
  const int64_t k = W * W + (256 - W) * 128;
  const int64_t v = ((32768 - k) * d / 256 + k) * d >> 15;
  return v < 0 ? 0 : (v > 255 ? 255 : v);
}

}  // namespace

void PIX_FillArea(PIX_IBitmap* bitmap, int x, int y, int w, int h, uint32_t colour, float alpha,
                  int mode) {
  if (!bitmap) return;
  if (mode & kRasterSourceAlpha) alpha = alpha * (static_cast<float>(colour >> 24) / 255.0f);

  // Clipping in 64 bits: w + x and friends cannot overflow whatever the caller passes.
  int64_t X = x, Y = y, cols = w, rows = h;
  if (X < 0) {
    cols += X;
    X = 0;
  }
  if (Y < 0) {
    rows += Y;
    Y = 0;
  }
  if (alpha == 0.0f) return;
  uint32_t* data = bitmap->PixelData();
  const int64_t stride = bitmap->RowStride();
  const int64_t width = bitmap->PixelWidth(), height = bitmap->PixelHeight();
  if (!data || stride == 0 || cols < 1 || rows < 1 || X >= width || Y >= height) return;
  // A stride shorter than a row would make the last row run past the pixel block.
  if (stride < width) return;
  if (cols > width - X) cols = width - X;
  if (rows > height - Y) rows = height - Y;
  const RowWalk walk = WalkOf(bitmap, data, stride);

  const int W = PIX_Weight(alpha);
  const int low = mode & 0xFF;

  if (low == kRasterCopy) {
    // The weights with an exact shift-and-mask form run on whole words.
    switch (W) {
      case 256:
        ForEachPixel(walk, X, Y, cols, rows, [colour](uint32_t* p) { *p = colour; });
        return;
      case 128: {
        const uint32_t c = Half(colour);
        ForEachPixel(walk, X, Y, cols, rows, [c](uint32_t* p) { *p = Half(*p) + c; });
        return;
      }
      case 64: {
        const uint32_t c = Quarter(colour);
        ForEachPixel(walk, X, Y, cols, rows, [c](uint32_t* p) { *p = Half(*p) + Quarter(*p) + c; });
        return;
      }
      case 192: {
        const uint32_t c = Quarter(colour) + Half(colour);
        ForEachPixel(walk, X, Y, cols, rows, [c](uint32_t* p) { *p = Quarter(*p) + c; });
        return;
      }
      default:
        break;
    }
  }
  if (low > kRasterHsvAdjust || W == 0) return;

  // From here the weight is also the source alpha; the colour's own alpha byte is not used.
  const int R = Lane(colour, 16), G = Lane(colour, 8), B = Lane(colour, 0);
  switch (low) {
    case kRasterCopy: {
      if (W < 0) return;
      const int keep = 256 - W;
      ForEachPixel(walk, X, Y, cols, rows, [=](uint32_t* p) {
        const uint32_t d = *p;
        auto mix = [keep](int dv, int sv) { return sv + (dv - sv) * keep / 256; };
        *p = PackLanes(mix(Lane(d, 24), W), mix(Lane(d, 16), R), mix(Lane(d, 8), G), mix(Lane(d, 0), B));
      });
      return;
    }
    case kRasterAdd:
      ForEachPixel(walk, X, Y, cols, rows, [=](uint32_t* p) { CombineAdd(p, R, G, B, W, W); });
      return;
    case kRasterDodge:
      ForEachPixel(walk, X, Y, cols, rows, [=](uint32_t* p) { CombineDodge(p, R, G, B, W, W); });
      return;
    case kRasterMultiply:
      ForEachPixel(walk, X, Y, cols, rows, [=](uint32_t* p) {
        const int64_t da = Lane(*p, 24);
        CombineMultiply(p, R, G, B, 0, W);
        *p = (*p & 0x00FFFFFFu) | static_cast<uint32_t>(MultiplyAlphaLane(da, W) & 0xFF) << 24;
      });
      return;
    case kRasterSoftLight:
      ForEachPixel(walk, X, Y, cols, rows, [=](uint32_t* p) {
        const int64_t da = Lane(*p, 24);
        CombineSoftLight(p, R, G, B, 0, W);
        *p = (*p & 0x00FFFFFFu) | static_cast<uint32_t>(SoftLightAlphaLane(da, W)) << 24;
      });
      return;
    case kRasterHsvAdjust:
      ForEachPixel(walk, X, Y, cols, rows, [=](uint32_t* p) { CombineHsvAdjust(p, R, G, B, W, W); });
      return;
    default:
      return;
  }
}

// ---------------------------------------------------------------- smoothing

namespace {

// Row 0 and the last row: one vertical neighbour (other), weighted a quarter.
void SmoothEdgeRow(uint32_t* row, const uint32_t* other, int64_t w) {
  uint32_t left = row[0];
  row[0] = Half(row[0]) + Quarter(row[1]) + Quarter(other[0]);
  for (int64_t i = 1; i < w - 1; ++i) {
    const uint32_t c = row[i];
    row[i] = Half(c) + Eighth(left) + Eighth(row[i + 1]) + Quarter(other[i]);
    left = c;
  }
  row[w - 1] = Half(row[w - 1]) + Quarter(left) + Quarter(other[w - 1]);
}

// Rows with a neighbour above and below, each weighted an eighth.
void SmoothInnerRow(uint32_t* row, const uint32_t* up, const uint32_t* down, int64_t w) {
  uint32_t left = row[0];
  row[0] = Half(row[0]) + Quarter(row[1]) + Eighth(up[0]) + Eighth(down[0]);
  for (int64_t i = 1; i < w - 1; ++i) {
    const uint32_t c = row[i];
    row[i] = Half(c) + Eighth(left) + Eighth(row[i + 1]) + Eighth(up[i]) + Eighth(down[i]);
    left = c;
  }
  row[w - 1] = Half(row[w - 1]) + Quarter(left) + Eighth(up[w - 1]) + Eighth(down[w - 1]);
}

constexpr int kSmoothFixedPixels = 2048;  // two rows of up to 1024 pixels without the heap

}  // namespace

void PIX_Smooth3x3(PIX_IBitmap* bitmap, int w, int h) {
  if (!bitmap) return;
  const int width = bitmap->PixelWidth(), height = bitmap->PixelHeight();
  if (w > width) w = width;
  if (h > height) h = height;
  if (w < 1 || h < 1 || width < 1 || height < 1) return;
  if (w < 2 || h < 2) return;
  uint32_t* data = bitmap->PixelData();
  if (!data) return;
  const int64_t stride = bitmap->RowStride();
  if (stride < width) return;
  const RowWalk walk = WalkOf(bitmap, data, stride);

  // Two rows: the unsmoothed copy of the current row and of the one above it.
  uint32_t fixed[kSmoothFixedPixels];
  uint32_t* heap = nullptr;
  uint32_t* buffer = fixed;
  const int64_t W = w;
  if (2 * W > kSmoothFixedPixels) {
    heap = new (std::nothrow) uint32_t[static_cast<size_t>(2 * W)];
    buffer = heap;  // null: the rows above are read from the bitmap, already smoothed
  }

  for (int64_t j = 0; j < h; ++j) {
    uint32_t* row = walk.Row(j);
    const uint32_t* up = nullptr;
    if (buffer) {
      std::memcpy(buffer + (j & 1) * W, row, sizeof(uint32_t) * static_cast<size_t>(W));
      if (j > 0) up = buffer + ((j - 1) & 1) * W;
    } else if (j > 0) {
      up = walk.Row(j - 1);
    }
    if (j == 0) {
      SmoothEdgeRow(row, walk.Row(1), W);
    } else if (j == h - 1) {
      SmoothEdgeRow(row, walk.Row(h - 2), W);  // the row above as it stands now: smoothed
    } else {
      SmoothInnerRow(row, up, walk.Row(j + 1), W);
    }
  }
  delete[] heap;
}

// ---------------------------------------------------------------- image-loader chain

ImageLoaderRecord* gImageLoaderChain = nullptr;

namespace {
// Constant-initialised, so the record and the flag are ready before any static initialiser runs.
ImageLoaderRecord gPngLoaderRecord = {PngLoaderForName, PngLoaderFilter, nullptr};
bool gPngLoaderRegistered = false;

// Registration at module start. The PNG decoder's object calls RegisterPngLoader from its own
// initialiser too, so the record is in the chain whichever of the two objects the linker pulls in.
struct PngLoaderRegistrar {
  PngLoaderRegistrar() { RegisterPngLoader(); }
} gPngLoaderRegistrar;
}  // namespace

void RegisterPngLoader() {
  if (gPngLoaderRegistered) return;
  gPngLoaderRegistered = true;
  gPngLoaderRecord.next = gImageLoaderChain;
  gImageLoaderChain = &gPngLoaderRecord;
}
