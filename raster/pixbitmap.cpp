#include "raster/pixbitmap.h"

#include <cstdlib>

PIX_MemBitmap::PIX_MemBitmap(int width, int height) {
  if (width > 0 && height > 0) ChangeDimensions(width, height);
}

PIX_MemBitmap::~PIX_MemBitmap() { std::free(mBuffer); }

uint32_t* PIX_MemBitmap::PixelData() {
  if (!mBuffer) return nullptr;
  const uintptr_t p = (reinterpret_cast<uintptr_t>(mBuffer) + 63) & ~static_cast<uintptr_t>(63);
  return reinterpret_cast<uint32_t*>(p);
}

bool PIX_MemBitmap::ChangeDimensions(int w, int h) {
  if (w == mWidth && h == mHeight) return false;
  mWidth = w;
  mHeight = h;
  // The byte count is taken in 64 bits: a size whose block would not fit is no size at all.
  int64_t need = 0;
  if (w >= 1 && h >= 1) {
    const int64_t rowBytes = ((static_cast<int64_t>(w) + 3) & ~int64_t{3}) * 4;
    need = rowBytes > kMaxBytes / h ? kMaxBytes + 1 : rowBytes * h;
  }
  if (need <= 0 || need > kMaxBytes) {
    std::free(mBuffer);
    mBuffer = nullptr;
    mAllocSize = 0;
  } else if (!mBuffer) {
    mAllocSize = static_cast<int32_t>(need);
    mBuffer = std::malloc(static_cast<size_t>(need) + 63);
  } else if (need > mAllocSize) {
    int64_t grown = need + need / 4;
    if (grown > kMaxBytes) grown = need;
    void* p = std::realloc(mBuffer, static_cast<size_t>(grown) + 63);
    if (p) {
      mBuffer = p;
      mAllocSize = static_cast<int32_t>(grown);
    } else {
      std::free(mBuffer);
      mAllocSize = static_cast<int32_t>(need);
      mBuffer = std::malloc(static_cast<size_t>(need) + 63);
    }
  }
  if (!mBuffer) {
    mWidth = 0;
    mHeight = 0;
    mAllocSize = 0;
  }
  return true;
}
