#include <windows.h>

#include "raster/pixsysbitmapwin.h"

PIX_SysBitmap::PIX_SysBitmap(int width, int height) {
  mDC = CreateCompatibleDC(nullptr);
  ChangeDimensions(width, height);
}

PIX_SysBitmap::~PIX_SysBitmap() {
  ReleaseSection();
  if (mDC) DeleteDC(static_cast<HDC>(mDC));
}

void PIX_SysBitmap::ReleaseSection() {
  if (mPreviousBitmap && mDC) SelectObject(static_cast<HDC>(mDC), static_cast<HGDIOBJ>(mPreviousBitmap));
  mPreviousBitmap = nullptr;
  if (mBitmap) DeleteObject(static_cast<HBITMAP>(mBitmap));
  mBitmap = nullptr;
  mBits = nullptr;
}

bool PIX_SysBitmap::ChangeDimensions(int w, int h) {
  if (!mDC) {
    mWidth = mHeight = 0;
    mBits = nullptr;
    return false;
  }
  // A negative size is no size: the bitmap becomes empty rather than report a negative extent.
  if (w < 0 || h < 0) w = h = 0;
  if (w == mWidth && h == mHeight) return false;
  mWidth = w;
  mHeight = h;
  if (w > 0 && h > 0 && w <= mAllocWidth && h <= mAllocHeight && mBitmap) return true;

  const int64_t allocWidth = (static_cast<int64_t>(w) + 3) & ~int64_t{3};
  ReleaseSection();
  if (allocWidth < 1 || h < 1 || allocWidth * h * 4 > INT32_MAX) {
    mAllocWidth = 0;
    mAllocHeight = 0;
    return false;
  }
  mAllocWidth = static_cast<int32_t>(allocWidth);
  mAllocHeight = h;

  BITMAPINFO info;
  ZeroMemory(&info, sizeof info);
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = mAllocWidth;
  info.bmiHeader.biHeight = IsBottomUp() ? h : -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (section && bits) {
    mBitmap = section;
    mBits = bits;
    mPreviousBitmap = SelectObject(static_cast<HDC>(mDC), section);
  } else {
    if (section) DeleteObject(section);
    mWidth = mHeight = 0;
    mAllocWidth = mAllocHeight = 0;
    mBits = nullptr;
  }
  return true;
}
