// Test bitmaps for the fill and smoothing tests: a view into part of a larger block (top-down or
// bottom-up) with guard pixels all around it, so that any write outside the view shows.
#pragma once

#include <cstdint>
#include <vector>

#include "raster/pixbitmap.h"

namespace filltest {

constexpr uint32_t kGuard = 0xDEADBEEFu;

// A w x h view inside a block with g guard pixels on every side; the view's stride is the block's.
class GuardedView : public PIX_IBitmap {
 public:
  GuardedView(int w, int h, int g, bool bottomUp)
      : w_(w), h_(h), g_(g), stride_(w + 2 * g + 3), bottomUp_(bottomUp),
        block_(static_cast<size_t>(stride_) * static_cast<size_t>(h + 2 * g), kGuard) {
    for (int y = 0; y < h_; ++y) {
      for (int x = 0; x < w_; ++x) At(x, y) = 0;
    }
  }
  uint32_t* PixelData() override {
    // First stored row: the top row, or for bottom-up storage the bottom one.
    return &block_[static_cast<size_t>(g_) * static_cast<size_t>(stride_) + static_cast<size_t>(g_)];
  }
  int PixelWidth() override { return w_; }
  int PixelHeight() override { return h_; }
  int RowStride() override { return stride_; }
  bool IsBottomUp() override { return bottomUp_; }
  bool ChangeDimensions(int, int) override { return false; }

  // Pixel (x, y) counted from the top, whatever the storage order.
  uint32_t& At(int x, int y) {
    const int stored = bottomUp_ ? h_ - 1 - y : y;
    return block_[static_cast<size_t>(g_ + stored) * static_cast<size_t>(stride_) + static_cast<size_t>(g_ + x)];
  }
  // True when every pixel outside the view still holds the guard word.
  bool GuardsIntact() const {
    const int rows = h_ + 2 * g_;
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < stride_; ++c) {
        const bool inside = r >= g_ && r < g_ + h_ && c >= g_ && c < g_ + w_;
        if (!inside && block_[static_cast<size_t>(r) * static_cast<size_t>(stride_) + static_cast<size_t>(c)] != kGuard) {
          return false;
        }
      }
    }
    return true;
  }

 private:
  int w_, h_, g_, stride_;
  bool bottomUp_;
  std::vector<uint32_t> block_;
};

}  // namespace filltest
