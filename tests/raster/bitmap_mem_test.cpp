// PIX_MemBitmap: empty bitmaps, row stride, block size and growth, the 64-byte alignment of the
// pixels, and sizes whose byte count does not fit.
#include "raster/pixbitmap.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

bool Aligned64(const void* p) { return (reinterpret_cast<uintptr_t>(p) & 63) == 0; }

void ExpectEmpty(PIX_MemBitmap& bm) {
  EXPECT_EQ(bm.PixelData(), nullptr);
  EXPECT_EQ(bm.PixelWidth(), 0);
  EXPECT_EQ(bm.PixelHeight(), 0);
  EXPECT_EQ(bm.AllocSize(), 0);
}

// Touches every word of stride x height, so that ASan sees a block that is too small.
void TouchAllRows(PIX_IBitmap& bm) {
  uint32_t* p = bm.PixelData();
  ASSERT_NE(p, nullptr);
  const int n = bm.RowStride() * bm.PixelHeight();
  for (int i = 0; i < n; ++i) p[i] = 0xA5000000u | static_cast<uint32_t>(i);
  for (int i = 0; i < n; ++i) ASSERT_EQ(p[i], 0xA5000000u | static_cast<uint32_t>(i));
}

TEST(MemBitmapCreate, NonPositiveSizesGiveAnEmptyBitmap) {
  const int sizes[][2] = {{0, 10}, {10, -1}, {0, 0}, {-5, -5}, {INT_MIN, 3}, {3, INT_MIN}};
  for (const auto& s : sizes) {
    SCOPED_TRACE(testing::Message() << s[0] << " x " << s[1]);
    PIX_MemBitmap bm(s[0], s[1]);
    ExpectEmpty(bm);
  }
}

TEST(MemBitmapCreate, FirstBlockIsExactlyTheNeed) {
  // 5 x 3: stride (5 + 3) & ~3 = 8, need 8 * 3 * 4 = 96 bytes, no growth margin on a first block.
  PIX_MemBitmap bm(5, 3);
  EXPECT_EQ(bm.PixelWidth(), 5);
  EXPECT_EQ(bm.PixelHeight(), 3);
  EXPECT_EQ(bm.RowStride(), 8);
  EXPECT_EQ(bm.AllocSize(), 96);
  ASSERT_NE(bm.PixelData(), nullptr);
  EXPECT_TRUE(Aligned64(bm.PixelData()));
  TouchAllRows(bm);
}

TEST(MemBitmapCreate, AnEmptyBitmapGrowsOnItsFirstResize) {
  PIX_MemBitmap bm(0, 0);
  EXPECT_TRUE(bm.ChangeDimensions(5, 3));
  EXPECT_EQ(bm.AllocSize(), 96);  // first block: need only
  EXPECT_EQ(bm.RowStride(), 8);
  TouchAllRows(bm);
}

TEST(MemBitmapCreate, InterfaceDefaults) {
  std::unique_ptr<PIX_IBitmap> bm(new PIX_MemBitmap(3, 3));  // deleted through the base
  EXPECT_FALSE(bm->IsBottomUp());
  EXPECT_EQ(bm->DeviceContext(), nullptr);
  EXPECT_EQ(bm->QueryFeature(0x59555678, nullptr), 0);
  EXPECT_EQ(bm->QueryFeature(0, nullptr), 0);
  EXPECT_EQ(bm->QueryFeature(-1, bm.get()), 0);
}

TEST(MemBitmapStride, WidthRoundsUpToFourPixels) {
  const int expected[] = {0, 4, 4, 4, 4, 8, 8, 8, 8, 12};  // widths 0..9
  for (int w = 1; w <= 9; ++w) {
    PIX_MemBitmap bm(w, 2);
    EXPECT_EQ(bm.RowStride(), expected[w]) << "width " << w;
    EXPECT_EQ(bm.AllocSize(), expected[w] * 2 * 4) << "width " << w;
  }
}

TEST(MemBitmapResize, GrowsByAQuarterAndNeverShrinks) {
  PIX_MemBitmap bm(5, 3);  // 96 bytes
  // 9 x 3: stride 12, need 144 > 96, so 144 + 144 / 4 = 180 usable bytes.
  EXPECT_TRUE(bm.ChangeDimensions(9, 3));
  EXPECT_EQ(bm.AllocSize(), 180);
  EXPECT_EQ(bm.RowStride(), 12);
  TouchAllRows(bm);
  uint32_t* const grown = bm.PixelData();

  // 10 x 3: stride 12, need 144 <= 180: same block.
  EXPECT_TRUE(bm.ChangeDimensions(10, 3));
  EXPECT_EQ(bm.AllocSize(), 180);
  EXPECT_EQ(bm.PixelData(), grown);
  EXPECT_EQ(bm.PixelWidth(), 10);

  // 2 x 2: stride 4, need 32: the block stays, only the size and stride change.
  EXPECT_TRUE(bm.ChangeDimensions(2, 2));
  EXPECT_EQ(bm.AllocSize(), 180);
  EXPECT_EQ(bm.PixelData(), grown);
  EXPECT_EQ(bm.PixelWidth(), 2);
  EXPECT_EQ(bm.PixelHeight(), 2);
  EXPECT_EQ(bm.RowStride(), 4);

  // 12 x 4: stride 12, need 192 > 180: 192 + 48 = 240.
  EXPECT_TRUE(bm.ChangeDimensions(12, 4));
  EXPECT_EQ(bm.AllocSize(), 240);
  TouchAllRows(bm);
}

TEST(MemBitmapResize, SameSizeReturnsFalseAndChangesNothing) {
  PIX_MemBitmap bm(7, 5);
  uint32_t* const p = bm.PixelData();
  const int alloc = bm.AllocSize();
  EXPECT_FALSE(bm.ChangeDimensions(7, 5));
  EXPECT_EQ(bm.PixelData(), p);
  EXPECT_EQ(bm.AllocSize(), alloc);
  EXPECT_EQ(bm.PixelWidth(), 7);
  EXPECT_EQ(bm.PixelHeight(), 5);

  PIX_MemBitmap empty(0, 0);
  EXPECT_FALSE(empty.ChangeDimensions(0, 0));
  ExpectEmpty(empty);
}

TEST(MemBitmapResize, NonPositiveSizeFreesTheBlock) {
  PIX_MemBitmap bm(8, 8);
  EXPECT_TRUE(bm.ChangeDimensions(0, 5));
  ExpectEmpty(bm);  // no buffer, so the size falls back to 0 x 0
  EXPECT_TRUE(bm.ChangeDimensions(6, 1));
  EXPECT_EQ(bm.AllocSize(), 32);  // a fresh first block: stride 8 x 1 row x 4
  TouchAllRows(bm);
  EXPECT_TRUE(bm.ChangeDimensions(4, -2));
  ExpectEmpty(bm);
}

TEST(MemBitmapResize, PixelsAlwaysStartOnA64ByteBoundary) {
  PIX_MemBitmap bm(1, 1);
  for (int i = 1; i <= 300; ++i) {
    const int w = 1 + (i * 37) % 97, h = 1 + (i * 11) % 23;
    ASSERT_TRUE(bm.ChangeDimensions(w, h) || (w == bm.PixelWidth() && h == bm.PixelHeight()));
    ASSERT_NE(bm.PixelData(), nullptr);
    ASSERT_TRUE(Aligned64(bm.PixelData())) << w << " x " << h;
    ASSERT_GE(bm.AllocSize(), bm.RowStride() * h * 4);
    TouchAllRows(bm);
    PIX_MemBitmap fresh(w, h);
    ASSERT_TRUE(Aligned64(fresh.PixelData()));
  }
}

TEST(MemBitmapHugeSizes, ByteCountBeyondTheLimitGivesAnEmptyBitmap) {
  // 65536 x 16385: 65536 * 16385 * 4 = 4295229440 bytes, far above kMaxBytes (in 32 bits it would
  // wrap to 262144 and hand out a small block for a huge size).
  PIX_MemBitmap big(65536, 16385);
  ExpectEmpty(big);

  // Width INT_MAX: the stride alone (2^31 pixels) overflows 32 bits.
  PIX_MemBitmap wide(INT_MAX, 1);
  ExpectEmpty(wide);
  PIX_MemBitmap tall(4, INT_MAX);
  ExpectEmpty(tall);

  // 16384 x 32768: exactly 2^31 bytes, one past what a 32-bit size can hold.
  PIX_MemBitmap edge(16384, 32768);
  ExpectEmpty(edge);
}

// Whether INT_MAX x INT_MAX comes out empty. Its byte count, 2^31 x (2^31 - 1) x 4, is beyond even
// 64 bits, so a careless product is undefined behaviour; under UBSan that aborts the process, so
// the check runs in a child process where death tests exist and cannot take the other tests along.
bool LargestSizeIsEmpty() {
  PIX_MemBitmap both(INT_MAX, INT_MAX);
  PIX_MemBitmap grown(2, 2);
  grown.ChangeDimensions(INT_MAX, INT_MAX);
  return both.PixelData() == nullptr && both.PixelWidth() == 0 && both.PixelHeight() == 0 &&
         grown.PixelData() == nullptr && grown.PixelWidth() == 0 && grown.PixelHeight() == 0;
}

TEST(MemBitmapHugeSizes, LargestWidthAndHeightTogetherGiveAnEmptyBitmap) {
#if GTEST_HAS_DEATH_TEST && !defined(_WIN32)
  EXPECT_EXIT(std::exit(LargestSizeIsEmpty() ? 0 : 1), testing::ExitedWithCode(0), "");
#else
  EXPECT_TRUE(LargestSizeIsEmpty());
#endif
}

TEST(MemBitmapHugeSizes, ResizingALiveBitmapTooLargeFreesIt) {
  PIX_MemBitmap bm(10, 10);
  ASSERT_NE(bm.PixelData(), nullptr);
  EXPECT_TRUE(bm.ChangeDimensions(65536, 16385));
  ExpectEmpty(bm);
  EXPECT_TRUE(bm.ChangeDimensions(3, 3));
  EXPECT_EQ(bm.AllocSize(), 48);  // stride 4 x 3 rows x 4 bytes, a first block again
  TouchAllRows(bm);
  EXPECT_TRUE(bm.ChangeDimensions(INT_MAX, 2));
  ExpectEmpty(bm);
}

}  // namespace
