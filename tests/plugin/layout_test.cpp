// The editor the plug-in builds in its constructor: the fourteen controls in drawing order, their
// places, skins and styles, the knob frames and value texts at the defaults, where presses go, and
// the dot painted over the label and the curve.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/plugin/editor_fixture.h"

using namespace editortest;

namespace {

struct KnobRow {
  int x, y, param, size, stripHeight, frames, defaultFrame;
  const char* text;
};
const KnobRow kKnobs[] = {
    {445, 6, kTopThreshold, 96, 5856, 61, 37, "-19.0"},
    {543, 48, kTopRatio, 80, 3200, 40, 3, "2.0"},
    {445, 127, kAvgThreshold, 96, 5856, 61, 31, "-24.0"},
    {543, 169, kAvgRatio, 80, 3200, 40, 3, "2.0"},
    {445, 248, kBtmThreshold, 96, 5856, 61, 25, "-29.0"},
    {543, 290, kBtmRatio, 80, 3200, 40, 3, "2.0"},
    {454, 384, kAttack, 80, 8000, 100, 31, "10"},
    {544, 384, kRelease, 80, 8000, 100, 71, "500"},
    {337, 384, kSaturation, 80, 4080, 51, 11, "20"},
};

}  // namespace

TEST(EditorLayout, FourteenControlsInDrawingOrder) {
  Plugin p;
  IGraphics* g = p.Graphics();
  ASSERT_NE(g, nullptr);
  ASSERT_EQ(g->ControlCount(), 14);
  EXPECT_EQ(g->Width(), 640);
  EXPECT_EQ(g->Height(), 480);

  auto* backdrop = dynamic_cast<IBitmapControl*>(g->Control(0));
  ASSERT_NE(backdrop, nullptr);
  EXPECT_EQ(backdrop->mRect, IBox(0, 0, 640, 480));
  ASSERT_NE(backdrop->mSkin.image, nullptr);
  EXPECT_EQ(backdrop->mSkin.width, 640);
  EXPECT_EQ(backdrop->mSkin.height, 480);

  for (int i = 0; i < 9; ++i) {
    const KnobRow& k = kKnobs[i];
    SCOPED_TRACE(i + 1);
    auto* knob = dynamic_cast<IKnobMultiControlText*>(g->Control(i + 1));
    ASSERT_NE(knob, nullptr);
    EXPECT_EQ(knob->mBoundParam, k.param);
    EXPECT_EQ(knob->mRect, IBox(k.x, k.y, k.x + k.size, k.y + k.size));
    EXPECT_EQ(knob->mHitRect, knob->mRect);
    ASSERT_NE(knob->mSkin.image, nullptr);
    EXPECT_EQ(knob->mSkin.width, k.size);
    EXPECT_EQ(knob->mSkin.height, k.stripHeight);
    EXPECT_EQ(knob->mSkin.frameCount, k.frames);
    EXPECT_FALSE(knob->mSkin.framesSideBySide);
    EXPECT_FALSE(knob->mShowLabel);
    // Text over the knob, offset 6: top + size/2 - 9 + 8, 18 pixels high.
    const int m = k.y + k.size / 2 - 9 + 8;
    EXPECT_EQ(knob->mTextRect, IBox(k.x, m, k.x + k.size, m + 18));
    EXPECT_STREQ(knob->mFontSpec.face, "Arial");
    EXPECT_EQ(knob->mFontSpec.size, 14);
    EXPECT_EQ(knob->mFontSpec.colour.Packed(), 0xFF404040u);
    EXPECT_EQ(knob->mFontSpec.fieldBack.Packed(), 0xFFFFFFFFu);
    EXPECT_EQ(knob->mFontSpec.fieldText.Packed(), 0xFF000000u);
    EXPECT_EQ(knob->mFontSpec.weightStyle, 0);
    EXPECT_EQ(knob->mFontSpec.align, 1);
    EXPECT_FALSE(knob->mValueEditorDisabled);
  }

  EXPECT_EQ(p->ReductionMeterIndex(), 10);
  auto* bar = dynamic_cast<IGainReduction*>(g->Control(10));
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->mRect, kMeterArea);
  EXPECT_TRUE(bar->mHitRect.Empty());

  EXPECT_EQ(g->Control(11), p->TransferView());
  ASSERT_NE(p->TransferView(), nullptr);
  EXPECT_EQ(p->TransferView()->mRect, kTransferArea);
  EXPECT_EQ(p->TransferView()->Length(), 300);
  EXPECT_TRUE(p->TransferView()->mHitRect.Empty());

  auto* label = dynamic_cast<ITextControl*>(g->Control(12));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->mRect, IBox(216, 447, 254, 459));
  EXPECT_EQ(label->mHitRect, label->mRect);
  EXPECT_EQ(label->mBoundParam, -1);
  EXPECT_STREQ(label->mText.Text(), "v1.0.1");
  EXPECT_EQ(label->mFontSpec.colour.Packed(), 0x96FFCA3Fu);
  EXPECT_EQ(label->mFontSpec.size, 14);

  EXPECT_EQ(g->Control(13), p->DotView());
  ASSERT_NE(p->DotView(), nullptr);
  EXPECT_EQ(p->DotView()->mRect, kTransferArea);
  EXPECT_TRUE(p->DotView()->mHitRect.Empty());

  for (int i = 10; i < 14; ++i) {
    EXPECT_EQ(g->Control(i)->mBoundParam, -1);
    EXPECT_EQ(g->Control(i)->mBlend.method, MixAlpha);
    EXPECT_EQ(g->Control(i)->mBlend.weight, 1.0f);
  }
}

TEST(EditorLayout, KnobFramesAndTextsAtTheDefaults) {
  Plugin p;
  IGraphics* g = p.Graphics();
  g->RedrawRegion(IBox(0, 0, 640, 480));
  for (int i = 0; i < 9; ++i) {
    SCOPED_TRACE(i + 1);
    auto* knob = dynamic_cast<IKnobMultiControlText*>(g->Control(i + 1));
    ASSERT_NE(knob, nullptr);
    EXPECT_EQ(IKnobMultiControl::FrameFor(knob->mSkin, knob->mValue), kKnobs[i].defaultFrame);
    EXPECT_STREQ(knob->mValueString.Text(), kKnobs[i].text);
  }
}

TEST(EditorLayout, PressesInsideTheMetersReachTheBackdrop) {
  Plugin p;
  IGraphics* g = p.Graphics();
  const int points[][2] = {{70, 100}, {59, 43}, {200, 200}, {412, 341}};
  for (const auto& pt : points) {
    EXPECT_EQ(g->ControlAt(pt[0], pt[1]), 0) << pt[0] << ", " << pt[1];
    g->OnMouseDown(pt[0], pt[1], nullptr);
    EXPECT_EQ(g->mMouseCapture, 0);
    g->OnMouseUp(pt[0], pt[1], nullptr);
  }
  EXPECT_EQ(g->ControlAt(493, 54), 1);  // a knob still takes its presses
}

TEST(EditorLayout, DotIsPaintedOverTheCurveAndTheLabel) {
  Plugin p;
  p.AnnounceAll();
  p->FeedMeters(1.0, 0.0);  // 0 dB in, no gain change: the dot sits on the curve's 0 dB end
  IGraphics* g = p.Graphics();
  g->RedrawRegion(IBox(0, 0, 640, 480));
  PIX_IBitmap* b = g->BackBuffer();
  // Painted last, its spans hold the colour itself whatever lay beneath.
  for (int x = 408; x <= 418; ++x) EXPECT_EQ(Pixel(b, x, 192), 0x96FFCA3Fu) << x;
  for (int y = 187; y <= 197; ++y) EXPECT_EQ(Pixel(b, 413, y), 0x96FFCA3Fu) << y;
}

TEST(EditorLayout, VersionTextFromTheVendorVersion) {
  char text[16];
  QuibelOmbrelux::VersionText(0x10001, text, sizeof text);
  EXPECT_STREQ(text, "v1.0.1");
  QuibelOmbrelux::VersionText(0x20A03, text, sizeof text);
  EXPECT_STREQ(text, "v2.10.3");
  QuibelOmbrelux::VersionText(0x10001, text, 3);
  EXPECT_STREQ(text, "v1");
}

#ifndef _WIN32
// Natively the skin comes from the PNG files beside the plug-in's sources; only a skin that really
// is missing stops the editor's construction.
TEST(EditorSkinDeathTest, MissingSkinStopsWithTheSkinAssertion) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  IGraphics g(nullptr, 640, 480, 0);
  EXPECT_DEATH(g.LoadSkinImage(31999, "resources/img/no-such-skin.png", 1, false),
               "imgResourceFound");
  EXPECT_DEATH(g.LoadSkinImage(31998, "resources/img/bkg.bmp", 1, false), "imgResourceFound");
}

TEST(EditorSkin, TheSixImagesAreReadFromTheirFiles) {
  IGraphics g(nullptr, 640, 480, 0);
  struct Row {
    const char* file;
    int width, height;
  } rows[] = {{"resources/img/bkg.png", 640, 480},         {"resources/img/thresh-knob.png", 96, 5856},
              {"resources/img/ratio-knob.png", 80, 3200},  {"resources/img/att-knob.png", 80, 8000},
              {"resources/img/rel-knob.png", 80, 8000},    {"resources/img/sat-knob.png", 80, 4080}};
  for (const Row& r : rows) {
    PIX_IBitmap* b = g.DecodeSkinResource(0, r.file);
    ASSERT_NE(b, nullptr) << r.file;
    EXPECT_EQ(b->PixelWidth(), r.width) << r.file;
    EXPECT_EQ(b->PixelHeight(), r.height) << r.file;
    delete b;
  }
}
#endif
