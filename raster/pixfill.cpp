#include "raster/pixfill.h"

#include <cstring>
#include <new>

#include "raster/pixcombine.h"
#include "raster/pixpaint.h"
#include "raster/pixpng.h"

namespace {

using pixpaint::Eighth;
using pixpaint::Half;
using pixpaint::Lane;
using pixpaint::Pack;
using pixpaint::Quarter;
using pixpaint::TopRows;

// Runs op on every pixel of the clipped block (cols x rows from column x, top row y).
template <class Op>
void ForEachPixel(const TopRows& walk, int64_t x, int64_t y, int64_t cols, int64_t rows, Op op) {
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
  const TopRows walk = pixpaint::TopRowsOf(bitmap, data);

  const int W = PIX_Weight(alpha);
  const int low = mode & 0xFF;

  if (low == kRasterCopy) {
    // The weights with an exact shift-and-mask form run on whole words.
    auto run = [&](const auto& op) {
      ForEachPixel(walk, X, Y, cols, rows, [&op](uint32_t* p) { op(p, 0); });
    };
    switch (W) {
      case 256:
        run(pixpaint::StoreOp{colour});
        return;
      case 128:
        run(pixpaint::MaskHalfOp{colour});
        return;
      case 64:
        run(pixpaint::MaskQuarterOp{colour});
        return;
      case 192:
        run(pixpaint::MaskThreeQuarterOp{colour});
        return;
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
      ForEachPixel(walk, X, Y, cols, rows, [=](uint32_t* p) {
        const uint32_t d = *p;
        auto mix = [W](int dv, int sv) { return pixpaint::MixOp::Mix(dv, sv, W); };
        *p = Pack(mix(Lane(d, 24), W), mix(Lane(d, 16), R), mix(Lane(d, 8), G), mix(Lane(d, 0), B));
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
  if (w < 2 || h < 2) return;  // also when the bitmap is empty
  uint32_t* data = bitmap->PixelData();
  if (!data) return;
  const int64_t stride = bitmap->RowStride();
  if (stride < width) return;
  const TopRows walk = pixpaint::TopRowsOf(bitmap, data);

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
