// The built VST3 module carries the six skin images as resources 100..105 of type "PNG": read from
// the module file itself (loaded as data, as a resource viewer would) and decoded.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "raster/pixbitmap.h"
#include "raster/pixpng.h"

namespace {

std::string ModuleFile() {
  std::string path = std::string(QO_VST3_BUNDLE) + "/Contents/" + QO_VST3_ARCH + "/QuibelOmbrelux.vst3";
  if (!path.empty() && path[0] == '/') path = "Z:" + path;  // Wine's view of the build's Unix path
  return path;
}

}  // namespace

TEST(SkinResources, ModuleCarriesTheSixImagesAsPngResources) {
  HMODULE module = LoadLibraryExA(ModuleFile().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr) << ModuleFile() << " error " << GetLastError();
  struct Row {
    int id, width, height;
  } rows[] = {{100, 640, 480}, {101, 96, 5856}, {102, 80, 3200},
              {103, 80, 8000}, {104, 80, 8000}, {105, 80, 4080}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.id);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(r.id), "PNG");
    ASSERT_NE(found, nullptr);
    const DWORD size = SizeofResource(module, found);
    ASSERT_GT(size, 8u);
    const void* bytes = LockResource(LoadResource(module, found));
    ASSERT_NE(bytes, nullptr);
    PIX_IBitmap* image = PIX_ReadPngBytes(bytes, static_cast<int>(size));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->PixelWidth(), r.width);
    EXPECT_EQ(image->PixelHeight(), r.height);
    delete image;
  }
  EXPECT_EQ(FindResourceA(module, MAKEINTRESOURCEA(106), "PNG"), nullptr);
  FreeLibrary(module);
}
