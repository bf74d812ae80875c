// The graphics object's life: construction, buffers, controls list, resizing, and the value
// editor it offers for a control.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/gui/gui_harness.h"

using namespace guitest;
using namespace fxtest;

TEST(GraphicsObject, FramesPerSecondDefaultsTo25) {
  TestGraphics a(nullptr, 10, 10, 0);
  TestGraphics b(nullptr, 10, 10, -3);
  TestGraphics c(nullptr, 10, 10, 60);
  EXPECT_EQ(a.Fps(), 25);
  EXPECT_EQ(b.Fps(), 25);
  EXPECT_EQ(c.Fps(), 60);
  EXPECT_EQ(a.BackBuffer(), nullptr);
  EXPECT_EQ(a.mMouseCapture, -1);
  EXPECT_EQ(a.mMouseOver, -1);
  EXPECT_TRUE(a.mStrict);
  EXPECT_FALSE(a.HasWindow());
  EXPECT_STREQ(a.BackendName(), "");
}

TEST(GraphicsObject, BackBuffersHaveTheEditorSize) {
  TestGraphics g(nullptr, 33, 17);
  g.CreateBackBuffers();
  ASSERT_NE(g.BackBuffer(), nullptr);
  EXPECT_EQ(g.BackBuffer()->PixelWidth(), 33);
  EXPECT_EQ(g.BackBuffer()->PixelHeight(), 17);
  ASSERT_NE(g.mScratchBitmap, nullptr);
  EXPECT_EQ(g.mScratchBitmap->PixelWidth(), 0);
  g.CreateBackBuffers();  // again: the old pair is replaced, not leaked
  EXPECT_EQ(g.BackBuffer()->PixelWidth(), 33);
}

TEST(GraphicsObject, AddAndPutFirst) {
  TestEditor e;
  RecordingControl* a = new RecordingControl(&e.plug, IBox(0, 0, 1, 1));
  RecordingControl* b = new RecordingControl(&e.plug, IBox(0, 0, 1, 1));
  RecordingControl* back = new RecordingControl(&e.plug, IBox(0, 0, 1, 1));
  EXPECT_EQ(e.graphics->AddControl(a), 0);
  EXPECT_EQ(e.graphics->AddControl(b), 1);
  e.graphics->PutControlFirst(back);
  ASSERT_EQ(e.graphics->ControlCount(), 3);
  EXPECT_EQ(e.graphics->Control(0), back);
  EXPECT_EQ(e.graphics->Control(1), a);
  EXPECT_EQ(e.graphics->Control(2), b);
  e.graphics->DeleteAllControls();
  EXPECT_EQ(e.graphics->ControlCount(), 0);
}

TEST(GraphicsObject, BackdropIsAnOverwritingBitmapControlAtIndexZero) {
  TestEditor e(100, 80);
  e.Add(IBox(1, 1, 2, 2));
  const int id = UniqueSkinId();
  e.graphics->SetSkinMaker(id, [] { return MakeStrip(100, 80, 1); });
  e.graphics->SetBackdrop(id, "back.png");
  ASSERT_EQ(e.graphics->ControlCount(), 2);
  IBitmapControl* back = dynamic_cast<IBitmapControl*>(e.graphics->Control(0));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->mRect, IBox(0, 0, 100, 80));
  EXPECT_EQ(back->mBoundParam, -1);
  EXPECT_EQ(back->mBlend.method, MixOverwrite);
  EXPECT_EQ(back->mBlend.weight, 1.0f);
  EXPECT_EQ(back->mSkin.frameCount, 1);
  EXPECT_EQ(back->mSkin.width, 100);
}

TEST(GraphicsObject, SetEditorSizeStartsOver) {
  TestEditor e(100, 100);
  e.Add(IBox(0, 0, 100, 100));
  e.Add(IBox(10, 10, 20, 20));
  e.graphics->mMouseCapture = 1;
  e.graphics->mMouseOver = 1;
  e.graphics->mMouseX = 15;
  e.graphics->mMouseY = 16;
  e.graphics->SetEditorSize(300, 200);
  EXPECT_EQ(e.graphics->Width(), 300);
  EXPECT_EQ(e.graphics->Height(), 200);
  EXPECT_EQ(e.graphics->ControlCount(), 0);
  EXPECT_EQ(e.graphics->mMouseCapture, -1);
  EXPECT_EQ(e.graphics->mMouseOver, -1);
  EXPECT_EQ(e.graphics->mMouseX, -1);
  EXPECT_EQ(e.graphics->mMouseY, -1);
  ASSERT_NE(e.graphics->BackBuffer(), nullptr);
  EXPECT_EQ(e.graphics->BackBuffer()->PixelWidth(), 300);
  EXPECT_EQ(e.graphics->BackBuffer()->PixelHeight(), 200);
  ASSERT_FALSE(e.plug.events.empty());
  EXPECT_EQ(e.plug.events.back(), "resize 300x200");
  // A pointer move right after the resize touches no deleted control.
  e.graphics->mTrackPointer = true;
  e.Add(IBox(0, 0, 300, 200));
  e.graphics->OnMouseOver(5, 5, nullptr);
  EXPECT_EQ(e.graphics->mMouseOver, 0);
}

// ---- value editor

namespace {

struct ValueEditorFixture : ::testing::Test {
  TestEditor e{640, 480};
  RecordingControl* Knob(int param) {
    RecordingControl* c = e.Add(IBox(445, 6, 505, 66), param);
    c->mValueEditorDisabled = false;
    return c;
  }
  std::string Offer(int param) {
    RecordingControl* c = Knob(param);
    const IBox area(445, 35, 505, 53);
    const size_t before = e.graphics->textFields.size();
    e.graphics->OfferValueEditor(c, e.plug.GetParam(param), &area);
    if (e.graphics->textFields.size() != before + 1) return "<no field>";
    return e.graphics->textFields.back().text;
  }
};

}  // namespace

TEST_F(ValueEditorFixture, ContinuousParameterOffersItsValueAsText) {
  // Top Threshold: step 0.1, so one decimal; value -19.
  ASSERT_EQ(e.plug.GetParam(kTopThreshold)->Decimals(), 1);
  RecordingControl* c = Knob(kTopThreshold);
  const IBox area(445, 35, 505, 53);
  e.graphics->OfferValueEditor(c, e.plug.GetParam(kTopThreshold), &area);
  ASSERT_EQ(e.graphics->textFields.size(), 1u);
  const TextFieldCall& f = e.graphics->textFields[0];
  EXPECT_EQ(f.text, "-19.0");
  EXPECT_EQ(f.control, c);
  EXPECT_EQ(f.style, &c->mFontSpec);
  EXPECT_EQ(f.area, area);
  EXPECT_EQ(f.param, e.plug.GetParam(kTopThreshold));

  // Release: step 1, no decimals; value 500.
  EXPECT_EQ(Offer(kRelease), "500");
  // "%d" of the truncated value.
  e.plug.GetParam(kRelease)->SetValue(250.7);
  EXPECT_EQ(Offer(kRelease), "250");
  e.plug.GetParam(kRelease)->SetValue(-3.9);
  EXPECT_EQ(Offer(kRelease), "-3");
  // A flipped sign shows the negated value.
  e.plug.GetParam(kTopThreshold)->SetFlipSign(true);
  EXPECT_EQ(Offer(kTopThreshold), "19.0");
  // Values far outside int: still a bounded text.
  e.plug.GetParam(kRelease)->SetValue(1e300);
  EXPECT_EQ(Offer(kRelease), "2147483647");
  e.plug.GetParam(kTopThreshold)->SetFlipSign(false);
  e.plug.GetParam(kTopThreshold)->SetValue(-1e300);
  const std::string huge = Offer(kTopThreshold);
  EXPECT_EQ(huge.substr(0, 2), "-1");
  EXPECT_LT(huge.size(), 64u);
}

TEST_F(ValueEditorFixture, NullArgumentsOfferNothing) {
  RecordingControl* c = Knob(kTopThreshold);
  const IBox area(0, 0, 10, 10);
  e.graphics->OfferValueEditor(nullptr, e.plug.GetParam(kTopThreshold), &area);
  e.graphics->OfferValueEditor(c, nullptr, &area);
  e.graphics->OfferValueEditor(c, e.plug.GetParam(kTopThreshold), nullptr);
  EXPECT_TRUE(e.graphics->textFields.empty());
}

TEST_F(ValueEditorFixture, NumberTextIgnoresTheCommaLocale) {
  const char* names[] = {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8"};
  const char* set = nullptr;
  for (const char* n : names) {
    set = std::setlocale(LC_NUMERIC, n);
    if (set) break;
  }
  if (!set) GTEST_SKIP() << "no locale with a decimal comma installed";
  char probe[16];
  std::snprintf(probe, sizeof(probe), "%.1f", -19.0);
  const bool commaLocale = std::string(probe) == "-19,0";
  const std::string minus19 = Offer(kTopThreshold);
  const std::string fiveHundred = Offer(kRelease);
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_TRUE(commaLocale) << "the locale formats " << probe;
  EXPECT_EQ(minus19, "-19.0");
  EXPECT_EQ(fiveHundred, "500");
}
