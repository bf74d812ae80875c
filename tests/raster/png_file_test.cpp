// PNG files: decoding by name (UTF-8), into a new bitmap or into one the caller passes in, the
// loader record of the image-loader chain and its extension test.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "raster/pixfill.h"
#include "raster/pixpng.h"
#include "tests/raster/png_encoder.h"

namespace fs = std::filesystem;
using pngtest::Bytes;
using pngtest::Image;

namespace {

// A 3 x 2 RGB image: (x, y) is (0x10 + x, 0x20 + y, 0x30), opaque: word 0xFF{10+x}{20+y}30.
Bytes SmallPng() {
  Image img;
  img.width = 3;
  img.height = 2;
  img.colourType = pngtest::kRgb;
  img.Allocate();
  for (uint32_t y = 0; y < 2; ++y) {
    for (uint32_t x = 0; x < 3; ++x) {
      img.At(x, y, 0) = static_cast<uint16_t>(0x10 + x);
      img.At(x, y, 1) = static_cast<uint16_t>(0x20 + y);
      img.At(x, y, 2) = 0x30;
    }
  }
  return pngtest::Encode(img);
}
uint32_t SmallWord(int x, int y) {
  return 0xFF000030u | static_cast<uint32_t>(0x10 + x) << 16 | static_cast<uint32_t>(0x20 + y) << 8;
}

// A scratch folder of its own for each test, removed at the end.
class PngFile : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() / (std::string("qo_png_") + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  // Writes bytes to dir/name (name in UTF-8) and returns the full UTF-8 path.
  std::string Write(const std::string& name, const Bytes& bytes) {
    const fs::path p = dir_ / fs::u8path(name);
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    EXPECT_TRUE(out.good());
    return p.u8string();
  }
  fs::path dir_;
};

uint32_t Px(PIX_IBitmap* bm, int x, int y) {
  return bm->PixelData()[static_cast<int64_t>(y) * bm->RowStride() + x];
}

// A bitmap stored bottom-up over memory of its own; its size is fixed.
class BottomUpBitmap : public PIX_IBitmap {
 public:
  BottomUpBitmap(int w, int h) : w_(w), h_(h), pixels_(new uint32_t[static_cast<size_t>(w) * h]()) {}
  uint32_t* PixelData() override { return pixels_.get(); }
  int PixelWidth() override { return w_; }
  int PixelHeight() override { return h_; }
  int RowStride() override { return w_; }
  bool IsBottomUp() override { return true; }
  bool ChangeDimensions(int, int) override { return false; }

 private:
  int w_, h_;
  std::unique_ptr<uint32_t[]> pixels_;
};

}  // namespace

TEST_F(PngFile, DecodesIntoANewBitmap) {
  const std::string name = Write("small.png", SmallPng());
  std::unique_ptr<PIX_IBitmap> bm(PIX_ReadPngFile(name.c_str(), nullptr));
  ASSERT_TRUE(bm);
  EXPECT_NE(dynamic_cast<PIX_MemBitmap*>(bm.get()), nullptr);
  ASSERT_EQ(bm->PixelWidth(), 3);
  ASSERT_EQ(bm->PixelHeight(), 2);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(Px(bm.get(), x, y), SmallWord(x, y));
  }
}

TEST_F(PngFile, NonAsciiNameInUtf8) {
  const std::string name = Write("k\xC3\xB6rper \xE2\x82\xAC.png", SmallPng());  // "körper €.png"
  std::unique_ptr<PIX_IBitmap> bm(PIX_ReadPngFile(name.c_str(), nullptr));
  ASSERT_TRUE(bm);
  EXPECT_EQ(Px(bm.get(), 2, 1), SmallWord(2, 1));
}

TEST_F(PngFile, ReuseBitmapIsResizedAndReturned) {
  const std::string name = Write("small.png", SmallPng());
  PIX_MemBitmap reuse(40, 30);
  PIX_IBitmap* got = PIX_ReadPngFile(name.c_str(), &reuse);
  ASSERT_EQ(got, &reuse);
  EXPECT_EQ(reuse.PixelWidth(), 3);
  EXPECT_EQ(reuse.PixelHeight(), 2);
  EXPECT_EQ(Px(&reuse, 0, 0), SmallWord(0, 0));
  EXPECT_EQ(Px(&reuse, 2, 1), SmallWord(2, 1));
}

TEST_F(PngFile, BottomUpBitmapGetsItsRowsReversed) {
  const std::string name = Write("small.png", SmallPng());
  BottomUpBitmap bm(3, 2);
  ASSERT_EQ(PIX_ReadPngFile(name.c_str(), &bm), &bm);
  // Image row 0 is the last stored row.
  EXPECT_EQ(bm.PixelData()[3 + 0], SmallWord(0, 0));
  EXPECT_EQ(bm.PixelData()[3 + 2], SmallWord(2, 0));
  EXPECT_EQ(bm.PixelData()[0], SmallWord(0, 1));
  EXPECT_EQ(bm.PixelData()[2], SmallWord(2, 1));
}

TEST_F(PngFile, FailuresKeepTheReuseBitmapWithTheCaller) {
  Bytes corrupt = SmallPng();
  corrupt[pngtest::FindChunk(corrupt, "IDAT") + 9] ^= 0xFF;
  const std::string bad = Write("bad.png", corrupt);
  const std::string good = Write("good.png", SmallPng());
  {
    PIX_MemBitmap reuse(8, 8);
    EXPECT_EQ(PIX_ReadPngFile(bad.c_str(), &reuse), nullptr);
    // Still the caller's, still usable (destroyed at the end of this block).
    EXPECT_EQ(PIX_ReadPngFile(good.c_str(), &reuse), &reuse);
    EXPECT_EQ(Px(&reuse, 1, 1), SmallWord(1, 1));
  }
  {
    // A reuse bitmap that cannot take the image's size.
    BottomUpBitmap wrongSize(5, 5);
    EXPECT_EQ(PIX_ReadPngFile(good.c_str(), &wrongSize), nullptr);
  }
  // A new bitmap made for a corrupt file is deleted (the leak checker would report it).
  EXPECT_EQ(PIX_ReadPngFile(bad.c_str(), nullptr), nullptr);
}

TEST_F(PngFile, MissingEmptyAndForeignFilesGiveNull) {
  EXPECT_EQ(PIX_ReadPngFile(nullptr, nullptr), nullptr);
  EXPECT_EQ(PIX_ReadPngFile((dir_ / "absent.png").u8string().c_str(), nullptr), nullptr);
  EXPECT_EQ(PIX_ReadPngFile(Write("empty.png", Bytes()).c_str(), nullptr), nullptr);
  const char text[] = "not a picture at all";
  EXPECT_EQ(PIX_ReadPngFile(Write("text.png", Bytes(text, text + sizeof text)).c_str(), nullptr), nullptr);
  Bytes cut = SmallPng();
  cut.resize(pngtest::FindChunk(cut, "IDAT") + 12);
  EXPECT_EQ(PIX_ReadPngFile(Write("cut.png", cut).c_str(), nullptr), nullptr);
  // A huge header in a small file.
  Bytes huge = pngtest::Signature();
  pngtest::PutChunk(huge, "IHDR", pngtest::IhdrPayload(kPngMaxSide, kPngMaxSide, 8, pngtest::kRgba, 0));
  pngtest::PutChunk(huge, "IDAT", pngtest::Compress(Bytes(100, 0)));
  pngtest::PutChunk(huge, "IEND", Bytes());
  EXPECT_EQ(PIX_ReadPngFile(Write("huge.png", huge).c_str(), nullptr), nullptr);
  // A text chunk announcing 2 GiB in a file of 40 bytes.
  Bytes longText = pngtest::Signature();
  pngtest::PutChunk(longText, "IHDR", pngtest::IhdrPayload(4, 4, 8, pngtest::kRgb, 0));
  pngtest::PutU32(longText, 0x7FFFFFF0u);
  const char head[] = "tEXtabc";
  longText.insert(longText.end(), head, head + 7);
  EXPECT_EQ(PIX_ReadPngFile(Write("longtext.png", longText).c_str(), nullptr), nullptr);
}

TEST_F(PngFile, LoaderExtensionTest) {
  const Bytes png = SmallPng();
  auto load = [](const std::string& n, bool check) {
    return std::unique_ptr<PIX_IBitmap>(PngLoaderForName(n.c_str(), check, nullptr));
  };
  EXPECT_TRUE(load(Write("upper.PNG", png), true));
  EXPECT_TRUE(load(Write("mixed.pNg", png), true));
  EXPECT_TRUE(load(Write("two.dots.png", png), true));
  // Other extensions fail the test, but load without it.
  const std::string bin = Write("image.bin", png);
  EXPECT_FALSE(load(bin, true));
  EXPECT_TRUE(load(bin, false));
  const std::string pngx = Write("image.pngx", png);
  EXPECT_FALSE(load(pngx, true));
  // No "." in the last path component: the whole name is compared, and fails.
  const std::string bare = Write("folder.png/image", png);
  EXPECT_FALSE(load(bare, true));
  EXPECT_TRUE(load(bare, false));
#ifdef _WIN32
  // "\" ends the search just as "/" does.
  std::string back = bare;
  for (char& c : back) {
    if (c == '/') c = '\\';
  }
  EXPECT_FALSE(load(back, true));
  EXPECT_TRUE(load(back, false));
#else
  // Here "\" is an ordinary character of a file name, but the search still stops at it.
  const std::string back = Write("folder.png\\image", png);
  EXPECT_FALSE(load(back, true));
  EXPECT_TRUE(load(back, false));
#endif
  // The reuse bitmap goes through the loader.
  PIX_MemBitmap reuse(1, 1);
  EXPECT_EQ(PngLoaderForName(Write("r.png", png).c_str(), true, &reuse), &reuse);
  EXPECT_EQ(reuse.PixelWidth(), 3);
  EXPECT_EQ(PngLoaderForName(nullptr, true, nullptr), nullptr);
}

TEST(PngLoaderChain, PngRecordIsRegisteredOnce) {
  ASSERT_NE(gImageLoaderChain, nullptr);
  // Find the PNG record (other loaders may have registered in front of it).
  ImageLoaderRecord* png = nullptr;
  int count = 0;
  for (ImageLoaderRecord* r = gImageLoaderChain; r && count < 100; r = r->next, ++count) {
    if (r->load == PngLoaderForName) {
      EXPECT_EQ(png, nullptr) << "registered twice";
      png = r;
    }
  }
  ASSERT_LT(count, 100) << "the chain loops";
  ASSERT_NE(png, nullptr);
  EXPECT_EQ(png->extensions, PngLoaderFilter);
  // Calling the registration again changes nothing.
  ImageLoaderRecord* head = gImageLoaderChain;
  ImageLoaderRecord* next = png->next;
  RegisterPngLoader();
  EXPECT_EQ(gImageLoaderChain, head);
  EXPECT_EQ(png->next, next);
  EXPECT_NE(png->next, png);
}

TEST(PngLoaderChain, FilterTextIsADoubleNulList) {
  const char expected[] = "PNG files (*.PNG)\0*.PNG\0";  // + the literal's NUL: the closing second NUL
  const char* f = PngLoaderFilter();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(std::memcmp(f, expected, sizeof expected), 0);
  EXPECT_STREQ(f, "PNG files (*.PNG)");
  EXPECT_STREQ(f + std::strlen(f) + 1, "*.PNG");
  EXPECT_EQ(f[sizeof expected - 1], '\0');
  EXPECT_EQ(f[sizeof expected - 2], '\0');
}
