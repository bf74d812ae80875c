// 32-bit bitmaps of the raster library. A pixel word is A<<24 | R<<16 | G<<8 | B, stored little-endian
// (bytes B, G, R, A in memory). Drawing routines see a bitmap only through PIX_IBitmap.
#pragma once

#include <cstdint>

class PIX_IBitmap {
 public:
  virtual ~PIX_IBitmap() {}
  // First pixel of the first stored row, or null when the bitmap has no pixel memory.
  virtual uint32_t* PixelData() = 0;
  virtual int PixelWidth() = 0;
  virtual int PixelHeight() = 0;
  // Pixels from one stored row to the next.
  virtual int RowStride() = 0;
  virtual bool IsBottomUp() { return false; }
  // Resizes; the content is undefined afterwards. False when nothing changed (or no pixels).
  virtual bool ChangeDimensions(int width, int height) = 0;
  // The GDI device context drawing into the pixels (an HDC), or null.
  virtual void* DeviceContext() { return nullptr; }
  // Extension query by a 32-bit code; 0 for codes the bitmap does not know.
  virtual intptr_t QueryFeature(int, void*) { return 0; }
};

// A bitmap in heap memory: rows of a multiple of 4 pixels, pixel data on a 64-byte boundary. The
// block grows by a quarter more than needed and never shrinks.
class PIX_MemBitmap : public PIX_IBitmap {
 public:
  PIX_MemBitmap(int width, int height);
  ~PIX_MemBitmap() override;
  PIX_MemBitmap(const PIX_MemBitmap&) = delete;
  PIX_MemBitmap& operator=(const PIX_MemBitmap&) = delete;

  uint32_t* PixelData() override;
  int PixelWidth() override { return mWidth; }
  int PixelHeight() override { return mHeight; }
  int RowStride() override { return (mWidth + mRowAlignMask) & ~mRowAlignMask; }
  bool ChangeDimensions(int width, int height) override;

  int AllocSize() const { return mAllocSize; }

  // Largest pixel block a bitmap takes (bytes); larger requests count as failed allocations.
  static constexpr int64_t kMaxBytes = INT32_MAX - 64;

 private:
  void* mBuffer = nullptr;  // owned
  int32_t mWidth = 0;
  int32_t mHeight = 0;
  int32_t mAllocSize = 0;
  int32_t mRowAlignMask = 3;
};
