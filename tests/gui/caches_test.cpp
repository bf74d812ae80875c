// The process-wide skin-image and font tables.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "fx/guicaches.h"
#include "tests/gui/gui_harness.h"

using namespace guitest;

TEST(SkinImageCache, ASkinLoadedTwiceIsDecodedOnce) {
  TestEditor e;
  const int id = UniqueSkinId();
  e.graphics->SetSkinMaker(id, [] { return MakeStrip(4, 4, 2); });
  const ISkinImage first = e.graphics->LoadSkinImage(id, "knob.png", 2);
  const ISkinImage second = e.graphics->LoadSkinImage(id, "knob.png", 2);
  EXPECT_EQ(e.graphics->decodeCalls[id], 1);
  EXPECT_EQ(first.image, second.image);
  EXPECT_EQ(FindSkinImage(id), first.image);
  EXPECT_EQ(second.width, 4);
  EXPECT_EQ(second.height, 8);
  EXPECT_EQ(second.frameCount, 2);

  // A second editor (another plug-in instance) decodes nothing.
  TestEditor other;
  other.graphics->SetSkinMaker(id, [] { return MakeStrip(4, 4, 2); });
  const ISkinImage third = other.graphics->LoadSkinImage(id, "knob.png", 2);
  EXPECT_EQ(other.graphics->decodeCalls[id], 0);
  EXPECT_EQ(third.image, first.image);
  // The backdrop shares it too.
  other.graphics->SetBackdrop(id, "knob.png");
  EXPECT_EQ(other.graphics->decodeCalls[id], 0);
}

TEST(SkinImageCache, LookUpsFindTheFirstEntry) {
  const int id = UniqueSkinId();
  EXPECT_EQ(FindSkinImage(id), nullptr);
  PIX_MemBitmap* b1 = new PIX_MemBitmap(2, 2);
  PIX_MemBitmap* b2 = new PIX_MemBitmap(3, 3);
  CacheSkinImage(b1, id);
  CacheSkinImage(b2, id);  // both owned by the table from now on
  EXPECT_EQ(FindSkinImage(id), b1);
  CacheSkinImage(nullptr, UniqueSkinId());  // ignored
}

TEST(SkinImageCache, ConcurrentLoadsFromSeveralEditorThreads) {
  const int base = UniqueSkinId();
  for (int i = 1; i < 400; ++i) UniqueSkinId();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([base, t] {
      for (int i = 0; i < 100; ++i) {
        const int id = base + t * 100 + i;
        CacheSkinImage(new PIX_MemBitmap(1, 1), id);
        EXPECT_NE(FindSkinImage(id), nullptr);
      }
    });
  }
  for (std::thread& th : threads) th.join();
  for (int i = 0; i < 400; ++i) EXPECT_NE(FindSkinImage(base + i), nullptr);
}

#ifndef _WIN32
TEST(FontTable, NoPlatformFontsNatively) {
  IFontSpec style;
  EXPECT_EQ(FontForStyle(&style), nullptr);
  EXPECT_EQ(FontForStyle(&style), nullptr);
  EXPECT_EQ(style.font, nullptr);
  EXPECT_EQ(FontForStyle(nullptr), nullptr);
  PIX_CachedFont font;
  EXPECT_FALSE(CreatePlatformFont(&font, style));
}
#endif
