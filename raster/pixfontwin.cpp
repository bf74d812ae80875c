// The GDI half of the fonts: glyph rendering into the DIB-section scratch, text metrics, handle
// deletion, and on x86-64 the native path (DrawTextW / DrawTextA) with its Wine probe. Every entry
// runs under the font lock (pixfont.cpp takes it).
#include <windows.h>

#include "raster/pixfontwin.h"

#include <algorithm>

#include "raster/pixcombine.h"
#include "raster/pixfill.h"
#include "raster/pixfontsys.h"
#include "raster/pixsysbitmapwin.h"
#include "raster/pixtextlayout.h"
#include "raster/pixutf8.h"

#if defined(_WIN64)
int gUnderWine = -1;
PIX_IBitmap* gTextScratch = nullptr;
#endif

namespace pixfontsys {

PIX_IBitmap* NewGlyphScratch() { return new PIX_SysBitmap(0, 0); }

void PrepareGlyphScratch(PIX_IBitmap* scratch) {
  HDC dc = static_cast<HDC>(scratch->DeviceContext());
  if (!dc) return;
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(0, 0, 0));
}

int LineHeightOf(PIX_IBitmap* scratch, HFONT font) {
  HDC dc = static_cast<HDC>(scratch->DeviceContext());
  if (!dc || !font) return 0;
  HGDIOBJ previous = SelectObject(dc, font);
  TEXTMETRICA tm;
  ZeroMemory(&tm, sizeof tm);
  const BOOL ok = GetTextMetricsA(dc, &tm);
  SelectObject(dc, previous);
  return ok ? tm.tmHeight : 0;
}

void RenderGlyph(PIX_IBitmap* scratch, HFONT font, int code, int lineHeight, int* advance,
                 int* height, int* cellWidth) {
  *advance = *height = *cellWidth = 0;
  HDC dc = static_cast<HDC>(scratch->DeviceContext());
  if (!dc) return;
  HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
  WCHAR ch = static_cast<WCHAR>(code);
  RECT r = {0, 0, 0, 0};
  DrawTextW(dc, &ch, 1, &r, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
  const int a = r.right - r.left, h = r.bottom - r.top;
  const int w = a + 2 + (lineHeight >= 16 ? lineHeight / 16 : 0);
  if (a > 0 && h > 0) {
    // GDI may still hold drawing for this section in its queue; the CPU clears it after that.
    GdiFlush();
    PIX_FillArea(scratch, 0, 0, w, h, 0, 1.0f, 0);
    RECT cell = {0, 0, w, h};
    DrawTextW(dc, &ch, 1, &cell, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    // The coverage is read by the CPU next: GDI's drawing must have landed in the pixels.
    GdiFlush();
  }
  if (font) SelectObject(dc, previous);
  *advance = a;
  *height = h;
  *cellWidth = w;
}

void DeleteFontHandle(HFONT font) {
  if (font) DeleteObject(font);
}

#if defined(_WIN64)

void DeleteTextScratch() {
  delete gTextScratch;
  gTextScratch = nullptr;
}

bool NativeTextAvailable() { return true; }

bool UnderWine() {
  if (gUnderWine < 0) {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Wine", &key) == ERROR_SUCCESS) {
      RegCloseKey(key);
      gUnderWine = 1;
    } else {
      gUnderWine = 0;
    }
  }
  return gUnderWine == 1;
}

namespace {

constexpr int kAlignBits = DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM;

// The text as GDI takes it: UTF-16 when it holds a multi-byte sequence and converts, else the bytes.
class GdiText {
 public:
  GdiText(const char* text, int length) : mText(text), mLength(length) {
    if (!PIX_Utf8HasMultiByte(text, length)) return;
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, length, nullptr, 0);
    if (n < 1) return;
    WCHAR* buffer = mStack;
    int capacity = 1024;
    if (n >= 1000) {
      mHeap = static_cast<WCHAR*>(HeapAlloc(GetProcessHeap(), 0, (static_cast<SIZE_T>(n) + 32) * sizeof(WCHAR)));
      if (!mHeap) return;
      buffer = mHeap;
      capacity = n + 32;
    }
    const int m = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, length, buffer, capacity - 1);
    if (m < 1) return;
    buffer[m] = 0;  // a bounded length converts without the terminator
    mWide = buffer;
  }
  ~GdiText() {
    if (mHeap) HeapFree(GetProcessHeap(), 0, mHeap);
  }
  GdiText(const GdiText&) = delete;
  GdiText& operator=(const GdiText&) = delete;

  int Draw(HDC dc, RECT* r, UINT format) const {
    if (mWide) return DrawTextW(dc, mWide, -1, r, format);
    return DrawTextA(dc, mText, mLength, r, format);
  }

 private:
  const char* mText;
  int mLength;
  WCHAR mStack[1024];
  WCHAR* mHeap = nullptr;
  const WCHAR* mWide = nullptr;
};

// Text colour, background mode and colour of the font on a device context; the old ones come back
// at the end of the scope, and so does the font selection.
class DcState {
 public:
  DcState(HDC dc, PIX_CachedFont* font) : mDC(dc) {
    mFont = SelectObject(dc, font->FontHandle());
    const uint32_t c = font->GlyphColour();
    mTextColour = SetTextColor(dc, RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
    mBkMode = SetBkMode(dc, font->BackgroundMode() == 2 ? OPAQUE : TRANSPARENT);
    const uint32_t b = font->BackgroundColour();
    mBkColour = SetBkColor(dc, font->BackgroundMode() == 2 ? RGB((b >> 16) & 0xFF, (b >> 8) & 0xFF, b & 0xFF)
                                                           : GetBkColor(dc));
  }
  ~DcState() {
    SetBkColor(mDC, mBkColour);
    SetBkMode(mDC, mBkMode);
    SetTextColor(mDC, mTextColour);
    SelectObject(mDC, mFont);
  }
  DcState(const DcState&) = delete;
  DcState& operator=(const DcState&) = delete;

 private:
  HDC mDC;
  HGDIOBJ mFont;
  COLORREF mTextColour;
  int mBkMode;
  COLORREF mBkColour;
};

}  // namespace

int RenderNativeText(PIX_CachedFont* font, PIX_IBitmap* target, const char* text, int length,
                     IBox* box, int flags) {
  // Only the DrawText bits go to GDI.
  flags &= ~kTextColourAlpha;
  const GdiText gdiText(text, length);
  HDC targetDC = target ? static_cast<HDC>(target->DeviceContext()) : nullptr;
  if (targetDC) {
    int result = 0;
    {
      DcState state(targetDC, font);
      RECT r = {box->mLeft, box->mTop, box->mRight, box->mBottom};
      result = gdiText.Draw(targetDC, &r, static_cast<UINT>(flags) | DT_NOPREFIX);
      if (flags & DT_CALCRECT) *box = IBox(r.left, r.top, r.right, r.bottom);
    }
    GdiFlush();  // the caller's next CPU access sees GDI's pixels
    return result;
  }

  if (!gTextScratch) gTextScratch = new PIX_SysBitmap(4, 4);
  if (gTextScratch->PixelWidth() < 4 || gTextScratch->PixelHeight() < 4)
    gTextScratch->ChangeDimensions(std::max(gTextScratch->PixelWidth(), 4),
                                   std::max(gTextScratch->PixelHeight(), 4));
  HDC dc = static_cast<HDC>(gTextScratch->DeviceContext());
  if (!dc) return 0;
  RECT m = {0, 0, 0, 0};
  {
    DcState state(dc, font);
    gdiText.Draw(dc, &m, (static_cast<UINT>(flags) & ~kAlignBits) | DT_CALCRECT | DT_NOPREFIX);
  }
  const int W = m.right - m.left, H = m.bottom - m.top;
  if (flags & DT_CALCRECT) {
    box->mRight = box->mLeft + W;
    box->mBottom = box->mTop + H;
    return H;
  }
  if (!target->PixelData()) return H;
  int x = 0, y = 0;
  IBox cut;
  if (!PIX_NativeTextPlacement(*box, W, H, flags, target->PixelWidth(), target->PixelHeight(), &x,
                               &y, &cut))
    return H;
  const int cw = cut.Width(), ch = cut.Height();
  if (gTextScratch->PixelWidth() < cw || gTextScratch->PixelHeight() < ch)
    gTextScratch->ChangeDimensions(std::max(gTextScratch->PixelWidth(), cw),
                                   std::max(gTextScratch->PixelHeight(), ch));
  if (gTextScratch->PixelWidth() < cw || gTextScratch->PixelHeight() < ch || !gTextScratch->PixelData())
    return 0;
  // The target's pixels under the text go into the scratch, GDI draws over them there, and the
  // result goes back at the font's weight.
  PIX_CopyRegion(gTextScratch, target, 0, 0, &cut, 1.0f, 0);
  int result = 0;
  {
    DcState state(dc, font);
    RECT r = {x - cut.mLeft, y - cut.mTop, x - cut.mLeft + W, y - cut.mTop + H};
    result = gdiText.Draw(dc, &r, (static_cast<UINT>(flags) & ~kAlignBits) | DT_NOCLIP | DT_NOPREFIX);
  }
  GdiFlush();  // GDI's drawing must be in the section before the CPU copies it
  const IBox src(0, 0, cw, ch);
  PIX_CopyRegion(target, gTextScratch, cut.mLeft, cut.mTop, &src, font->BlendWeight(), 0);
  return result;
}

#else  // x86: no native path and no Wine probe

void DeleteTextScratch() {}
bool NativeTextAvailable() { return false; }
bool UnderWine() { return false; }
int RenderNativeText(PIX_CachedFont*, PIX_IBitmap*, const char*, int, IBox*, int) { return 0; }

#endif

}  // namespace pixfontsys
