// PIX_SysBitmap: the DIB section behind the pixels as GDI sees it, section reuse on resize, empty
// and negative sizes, and that creating and destroying bitmaps gives every GDI object back.
#include <windows.h>

#include "raster/pixsysbitmapwin.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

namespace {

HDC DcOf(PIX_SysBitmap& bm) { return static_cast<HDC>(bm.DeviceContext()); }

// The bitmap a fresh memory device context starts with (the 1 x 1 stock bitmap).
HGDIOBJ StockBitmap() {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ stock = GetCurrentObject(dc, OBJ_BITMAP);
  DeleteDC(dc);
  return stock;
}

TEST(SysBitmapPixels, WordAtOriginReadsBackThroughGdi) {
  PIX_SysBitmap bm(4, 4);
  ASSERT_NE(bm.PixelData(), nullptr);
  ASSERT_NE(bm.DeviceContext(), nullptr);
  EXPECT_EQ(bm.PixelWidth(), 4);
  EXPECT_EQ(bm.PixelHeight(), 4);
  EXPECT_EQ(bm.RowStride(), 4);
  EXPECT_FALSE(bm.IsBottomUp());
  EXPECT_EQ(bm.QueryFeature(0x59555678, nullptr), 0);

  // Word A 0xFF, R 0x11, G 0x22, B 0x33 -> COLORREF 0x00BBGGRR = 0x00332211.
  bm.PixelData()[0] = 0xFF112233u;
  GdiFlush();
  EXPECT_EQ(GetPixel(DcOf(bm), 0, 0), static_cast<COLORREF>(0x00332211));
  // Row 2, column 1 is word 2 * stride + 1, counted from the top (top-down section).
  bm.PixelData()[2 * bm.RowStride() + 1] = 0x00ABCDEFu;
  GdiFlush();
  EXPECT_EQ(GetPixel(DcOf(bm), 1, 2), static_cast<COLORREF>(0x00EFCDAB));
}

TEST(SysBitmapPixels, GdiDrawingLandsInThePixelWords) {
  PIX_SysBitmap bm(6, 3);  // stride 8
  ASSERT_EQ(bm.RowStride(), 8);
  for (int k = 0; k < bm.RowStride() * bm.PixelHeight(); ++k) bm.PixelData()[k] = 0;
  // RGB(0x10, 0x20, 0x30) is red 0x10, green 0x20, blue 0x30: the word's low 24 bits 0x102030.
  SetPixel(DcOf(bm), 5, 1, RGB(0x10, 0x20, 0x30));
  GdiFlush();
  EXPECT_EQ(bm.PixelData()[1 * 8 + 5] & 0x00FFFFFFu, 0x00102030u);
  EXPECT_EQ(bm.PixelData()[0 * 8 + 5], 0u);
  EXPECT_EQ(bm.PixelData()[1 * 8 + 4], 0u);
}

TEST(SysBitmapResize, GrowsToANewSectionAndKeepsItWhenShrinking) {
  PIX_SysBitmap bm(100, 50);
  EXPECT_EQ(bm.RowStride(), 100);
  // 101 x 50 does not fit: new section 104 x 50 (101 rounded up to a multiple of 4).
  EXPECT_TRUE(bm.ChangeDimensions(101, 50));
  EXPECT_EQ(bm.RowStride(), 104);
  EXPECT_EQ(bm.PixelWidth(), 101);
  ASSERT_NE(bm.PixelData(), nullptr);
  uint32_t* const section = bm.PixelData();
  HGDIOBJ const selected = GetCurrentObject(DcOf(bm), OBJ_BITMAP);
  bm.PixelData()[104 * 50 - 1] = 0x12345678u;  // last word of the section is ours

  // Back to 100 x 50: it fits, so the same section, reporting the smaller size.
  EXPECT_TRUE(bm.ChangeDimensions(100, 50));
  EXPECT_EQ(bm.RowStride(), 104);
  EXPECT_EQ(bm.PixelWidth(), 100);
  EXPECT_EQ(bm.PixelHeight(), 50);
  EXPECT_EQ(bm.PixelData(), section);
  EXPECT_EQ(GetCurrentObject(DcOf(bm), OBJ_BITMAP), selected);

  EXPECT_TRUE(bm.ChangeDimensions(3, 7));  // still fits
  EXPECT_EQ(bm.PixelData(), section);
  EXPECT_EQ(bm.RowStride(), 104);
}

TEST(SysBitmapResize, SameSizeReturnsFalse) {
  PIX_SysBitmap bm(10, 10);
  uint32_t* const p = bm.PixelData();
  EXPECT_FALSE(bm.ChangeDimensions(10, 10));
  EXPECT_EQ(bm.PixelData(), p);
  EXPECT_EQ(bm.RowStride(), 12);
}

TEST(SysBitmapResize, ZeroWidthDeletesTheSection) {
  PIX_SysBitmap bm(16, 16);
  HGDIOBJ const section = GetCurrentObject(DcOf(bm), OBJ_BITMAP);
  ASSERT_EQ(GetObjectType(section), static_cast<DWORD>(OBJ_BITMAP));
  EXPECT_FALSE(bm.ChangeDimensions(0, 40));
  EXPECT_EQ(bm.PixelData(), nullptr);
  EXPECT_EQ(bm.PixelWidth(), 0);
  EXPECT_EQ(bm.PixelHeight(), 40);
  // The stock bitmap is back in the device context and the section is gone.
  EXPECT_EQ(GetCurrentObject(DcOf(bm), OBJ_BITMAP), StockBitmap());
  EXPECT_EQ(GetObjectType(section), 0u);

  // And it comes back on the next real size.
  EXPECT_TRUE(bm.ChangeDimensions(5, 5));
  ASSERT_NE(bm.PixelData(), nullptr);
  EXPECT_EQ(bm.RowStride(), 8);
  bm.PixelData()[8 * 5 - 1] = 1;
}

TEST(SysBitmapResize, NegativeSizeGivesAnEmptyBitmap) {
  PIX_SysBitmap fresh(-5, 10);
  EXPECT_EQ(fresh.PixelData(), nullptr);
  EXPECT_EQ(fresh.PixelWidth(), 0);
  EXPECT_EQ(fresh.PixelHeight(), 0);
  EXPECT_NE(fresh.DeviceContext(), nullptr);

  PIX_SysBitmap other(7, -1);
  EXPECT_EQ(other.PixelData(), nullptr);
  EXPECT_EQ(other.PixelWidth(), 0);
  EXPECT_EQ(other.PixelHeight(), 0);

  PIX_SysBitmap live(10, 10);
  HGDIOBJ const section = GetCurrentObject(DcOf(live), OBJ_BITMAP);
  EXPECT_FALSE(live.ChangeDimensions(-1, 5));
  EXPECT_EQ(live.PixelData(), nullptr);
  EXPECT_EQ(live.PixelWidth(), 0);
  EXPECT_EQ(live.PixelHeight(), 0);
  EXPECT_EQ(GetObjectType(section), 0u);
  EXPECT_EQ(GetCurrentObject(DcOf(live), OBJ_BITMAP), StockBitmap());
}

TEST(SysBitmapLifetime, DestructionReleasesTheSectionAndTheContext) {
  HDC dc;
  HGDIOBJ section;
  {
    std::unique_ptr<PIX_IBitmap> bm(new PIX_SysBitmap(20, 20));  // deleted through the base
    dc = static_cast<HDC>(bm->DeviceContext());
    section = GetCurrentObject(dc, OBJ_BITMAP);
    ASSERT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
    ASSERT_EQ(GetObjectType(section), static_cast<DWORD>(OBJ_BITMAP));
  }
  EXPECT_EQ(GetObjectType(dc), 0u);
  EXPECT_EQ(GetObjectType(section), 0u);
}

TEST(SysBitmapLifetime, ManyBitmapsDoNotGrowTheGdiObjectCount) {
  // Windows counts the process's GDI objects; Wine answers 0 there, so each bitmap's own handles
  // are checked as well: every section and context must be gone once it is let go.
  const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  for (int i = 0; i < 2000; ++i) {
    HDC dc;
    HGDIOBJ last;
    {
      PIX_SysBitmap bm(1 + i % 37, 1 + i % 11);
      ASSERT_NE(bm.PixelData(), nullptr) << i;
      dc = DcOf(bm);
      HGDIOBJ const first = GetCurrentObject(dc, OBJ_BITMAP);
      // A larger section replaces the first one (unless the handle value came straight back).
      ASSERT_TRUE(bm.ChangeDimensions(40 + i % 5, 12));
      last = GetCurrentObject(dc, OBJ_BITMAP);
      if (last != first) {
        ASSERT_EQ(GetObjectType(first), 0u) << i;
      }
      if (i % 3 == 0) {
        ASSERT_FALSE(bm.ChangeDimensions(0, 3));
        ASSERT_EQ(GetObjectType(last), 0u) << i;
        last = nullptr;
      }
    }
    ASSERT_EQ(GetObjectType(dc), 0u) << i;
    if (last) {
      ASSERT_EQ(GetObjectType(last), 0u) << i;
    }
  }
  const DWORD after = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  EXPECT_LE(after, before + 8) << "before " << before << ", after " << after;
}

}  // namespace
