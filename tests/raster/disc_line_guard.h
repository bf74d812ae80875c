// Test bitmaps for the disc and line tests: a small bitmap viewed inside a larger buffer with guard
// pixels around it (and a row stride wider than the guarded row), so that any write outside the
// bitmap shows up as a changed guard word; and a plain bitmap with helpers to fill and read it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "raster/pixbitmap.h"

namespace disc_line_test {

class GuardedBitmap : public PIX_IBitmap {
 public:
  // width x height pixels, `guard` pixels of margin on every side, `slack` unused pixels more at the
  // end of each stored row.
  GuardedBitmap(int width, int height, int guard = 16, int slack = 3, bool bottomUp = false)
      : mWidth(width), mHeight(height), mGuard(guard), mStride(width + 2 * guard + slack),
        mRows(height + 2 * guard), mBottomUp(bottomUp),
        mBuffer(static_cast<size_t>(mStride) * static_cast<size_t>(mRows)) {
    for (size_t i = 0; i < mBuffer.size(); ++i) mBuffer[i] = GuardWord(i);
    Fill(0);
  }

  uint32_t* PixelData() override { return mBuffer.data() + static_cast<size_t>(mGuard) * mStride + mGuard; }
  int PixelWidth() override { return mWidth; }
  int PixelHeight() override { return mHeight; }
  int RowStride() override { return mStride; }
  bool IsBottomUp() override { return mBottomUp; }
  bool ChangeDimensions(int, int) override { return false; }

  // Pixel (x, y) as stored (row y of memory, whatever the orientation).
  uint32_t& Stored(int x, int y) { return PixelData()[static_cast<size_t>(y) * mStride + x]; }

  void Fill(uint32_t v) {
    for (int y = 0; y < mHeight; ++y)
      for (int x = 0; x < mWidth; ++x) Stored(x, y) = v;
  }

  // Number of buffer words outside the bitmap that differ from their initial pattern.
  int ChangedGuardWords() const {
    int changed = 0;
    for (int row = 0; row < mRows; ++row) {
      for (int col = 0; col < mStride; ++col) {
        const bool inside = row >= mGuard && row < mGuard + mHeight && col >= mGuard && col < mGuard + mWidth;
        const size_t i = static_cast<size_t>(row) * mStride + col;
        if (!inside && mBuffer[i] != GuardWord(i)) ++changed;
      }
    }
    return changed;
  }

 private:
  static uint32_t GuardWord(size_t i) { return 0xA5C3E187u ^ static_cast<uint32_t>(i * 2654435761u); }

  int mWidth, mHeight, mGuard, mStride, mRows;
  bool mBottomUp;
  std::vector<uint32_t> mBuffer;
};

// A heap bitmap filled with one value, read by stored row.
class TestBitmap : public PIX_MemBitmap {
 public:
  TestBitmap(int width, int height, uint32_t fill = 0, bool bottomUp = false)
      : PIX_MemBitmap(width, height), mBottomUp(bottomUp) {
    Fill(fill);
  }
  bool IsBottomUp() override { return mBottomUp; }
  void Fill(uint32_t v) {
    for (int y = 0; y < PixelHeight(); ++y)
      for (int x = 0; x < PixelWidth(); ++x) At(x, y) = v;
  }
  uint32_t& At(int x, int y) { return PixelData()[static_cast<size_t>(y) * RowStride() + x]; }

 private:
  bool mBottomUp;
};

// Renders which pixels differ from `background` as a picture: one string per row, 'X' for changed.
inline std::vector<std::string> ChangedPicture(TestBitmap& bm, int x0, int y0, int w, int h, uint32_t background) {
  std::vector<std::string> rows;
  for (int y = y0; y < y0 + h; ++y) {
    std::string row;
    for (int x = x0; x < x0 + w; ++x) row += bm.At(x, y) != background ? 'X' : '.';
    rows.push_back(row);
  }
  return rows;
}

}  // namespace disc_line_test
