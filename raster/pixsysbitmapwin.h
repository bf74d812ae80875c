// A 32-bit top-down DIB section selected into its own memory device context, so that GDI can draw
// into it and copy it to a window. Windows builds only.
#pragma once

#include "raster/pixbitmap.h"

class PIX_SysBitmap : public PIX_IBitmap {
 public:
  PIX_SysBitmap(int width, int height);
  ~PIX_SysBitmap() override;
  PIX_SysBitmap(const PIX_SysBitmap&) = delete;
  PIX_SysBitmap& operator=(const PIX_SysBitmap&) = delete;

  uint32_t* PixelData() override { return static_cast<uint32_t*>(mBits); }
  int PixelWidth() override { return mWidth; }
  int PixelHeight() override { return mHeight; }
  int RowStride() override { return mAllocWidth; }
  bool ChangeDimensions(int width, int height) override;
  void* DeviceContext() override { return mDC; }

 private:
  void ReleaseSection();

  int32_t mWidth = 0;
  int32_t mHeight = 0;
  void* mDC = nullptr;              // HDC, owned
  void* mBits = nullptr;            // pixel memory of the section, not owned
  int32_t mAllocWidth = 0;          // multiple of 4: the row stride
  int32_t mAllocHeight = 0;
  void* mBitmap = nullptr;          // HBITMAP, owned
  void* mPreviousBitmap = nullptr;  // HGDIOBJ selected out of mDC, put back before deleting
};
