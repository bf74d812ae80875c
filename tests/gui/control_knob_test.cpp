// Frame-strip knobs and the backdrop bitmap: the frame shown for a value, dragging, the wheel, the
// knob with a value text box (its geometry for every position and its presses), and sizes that
// would otherwise divide by zero or overflow.
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "raster/pixbitmap.h"
#include "tests/gui/control_fixture.h"

using controltest::ControlTest;
using controltest::KnobStrip61;
using controltest::kMinus19Normalized;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

ISkinImage Strip(int width, int height, int frames) {
  ISkinImage s;
  s.width = width;
  s.height = height;
  s.frameCount = frames;
  return s;
}

// A "Top Threshold" knob with its value text over it, as the editor lays it out: knob at (440, 6),
// 60 x 60 pixels, text size 14, offset 6.
IKnobMultiControlText* MakeTopThresholdKnob(IFxBase* plug, int position = TextOver) {
  IFontSpec font;
  font.size = 14;
  return new IKnobMultiControlText(plug, 440, 6, fxtest::kTopThreshold, KnobStrip61(), font, false,
                                   position, 6);
}

TEST(KnobFrames, FrameForAValue) {
  const ISkinImage s = KnobStrip61();
  // int(60 x 0.5 + 0.5) + 1 = 31
  EXPECT_EQ(IKnobMultiControl::FrameFor(s, 0.5), 31);
  // int(60 x 1 + 0.5) + 1 = 61
  EXPECT_EQ(IKnobMultiControl::FrameFor(s, 1.0), 61);
  // int(0.5) + 1 = 1
  EXPECT_EQ(IKnobMultiControl::FrameFor(s, 0.0), 1);
  // int(60 x 0.0083 + 0.5) = int(0.998) = 0 -> frame 1; 0.0084 -> int(1.004) = 1 -> frame 2
  EXPECT_EQ(IKnobMultiControl::FrameFor(s, 0.0083), 1);
  EXPECT_EQ(IKnobMultiControl::FrameFor(s, 0.0084), 2);
  // Below 0 and above 1 stay on the first and last frame.
  EXPECT_EQ(IKnobMultiControl::FrameFor(s, -0.3), 1);
  EXPECT_EQ(IKnobMultiControl::FrameFor(s, -5.0), 1);
  EXPECT_EQ(IKnobMultiControl::FrameFor(s, 1.7), 61);

  // One frame: always frame 1.
  const ISkinImage one = Strip(640, 480, 1);
  for (double v : {-1.0, 0.0, 0.5, 1.0, 7.0}) EXPECT_EQ(IKnobMultiControl::FrameFor(one, v), 1);
}

TEST(KnobFrames, NonFiniteValuesAndBadFrameCounts) {
  const ISkinImage s = KnobStrip61();
  EXPECT_EQ(IKnobMultiControl::FrameFor(s, kNaN), 1);
  EXPECT_EQ(IKnobMultiControl::FrameFor(s, -kInf), 1);
  EXPECT_EQ(IKnobMultiControl::FrameFor(s, kInf), 61);
  EXPECT_EQ(IKnobMultiControl::FrameFor(s, 1e300), 61);
  // A frame count below 1 counts as 1.
  EXPECT_EQ(IKnobMultiControl::FrameFor(Strip(60, 60, 0), 0.9), 1);
  EXPECT_EQ(IKnobMultiControl::FrameFor(Strip(60, 60, -7), 0.9), 1);
  // The largest count: (INT32_MAX - 1) x 1 + 0.5 -> last frame, without overflow.
  EXPECT_EQ(IKnobMultiControl::FrameFor(Strip(60, 60, INT32_MAX), 1.0), INT32_MAX);
  EXPECT_EQ(IKnobMultiControl::FrameFor(Strip(60, 60, INT32_MAX), kInf), INT32_MAX);
}

// Draws into a real back buffer: frame k of a 1 x 61 strip is the opaque colour k, so the pixel
// copied to the knob's position names the frame (the strip's frame offset is int(61 (k-1)/61 + 0.5)
// = k - 1).
TEST_F(ControlTest, KnobDrawsTheChosenFrame) {
  PIX_MemBitmap strip(1, 61);
  ASSERT_NE(strip.PixelData(), nullptr);
  for (int k = 1; k <= 61; ++k) strip.PixelData()[(k - 1) * strip.RowStride()] = 0xFF000000u | k;
  ISkinImage skin = Strip(1, 61, 61);
  skin.image = &strip;

  const IDrawBlend copy(MixOverwrite, 1.0f);
  IKnobMultiControl knob(&plug, IBox(3, 4, 4, 5), fxtest::kTopThreshold, skin, &copy);
  graphics->mPaintArea = IBox(0, 0, 640, 480);
  PIX_IBitmap* back = graphics->BackBuffer();
  ASSERT_NE(back, nullptr);
  auto pixel = [back](int x, int y) {
    const int row = back->IsBottomUp() ? back->PixelHeight() - 1 - y : y;
    return back->PixelData()[row * back->RowStride() + x] & 0xFFFFFFu;
  };

  knob.mValue = 0.5;
  EXPECT_TRUE(knob.DrawInto(graphics));
  EXPECT_EQ(pixel(3, 4), 31u);
  knob.mValue = 1.0;
  knob.DrawInto(graphics);
  EXPECT_EQ(pixel(3, 4), 61u);
  knob.mValue = -0.5;
  knob.DrawInto(graphics);
  EXPECT_EQ(pixel(3, 4), 1u);

  // The backdrop: one frame, always from the strip's top.
  IBitmapControl backdrop(&plug, IBox(10, 10, 11, 11), Strip(1, 61, 1), -1, &copy);
  backdrop.mSkin.image = &strip;
  backdrop.mValue = 0.9;
  EXPECT_TRUE(backdrop.DrawInto(graphics));
  EXPECT_EQ(pixel(10, 10), 1u);
}

TEST_F(ControlTest, DragUpOnTopThreshold) {
  std::unique_ptr<IKnobMultiControlText> knob(MakeTopThresholdKnob(&plug));
  ASSERT_EQ(knob->mRect.Height(), 60);  // 3660 / 61
  EXPECT_EQ(knob->mDragScale, 4.0);
  knob->AcceptParamValue(kMinus19Normalized);

  // 50 pixels up (dY = -50): delta = -50 / (6 - 66) = 50/60, divided by the gearing 4 = 5/24 of
  // the travel = 10 dB on the 48 dB scale: -19 -> -9 dB.
  knob->MouseDragged(440, 6, 0, -50, nullptr);
  EXPECT_NEAR(knob->mValue, 29.0 / 48.0 + 5.0 / 24.0, 1e-12);
  EXPECT_NEAR(TopThreshold()->Value(), -9.0, 1e-9);
  ASSERT_EQ(plug.paramChanges.size(), 1u);
  EXPECT_EQ(plug.paramChanges[0].source, kSourceEditor);

  // Back to -19, then 100 pixels up: 100/60/4 = 5/12 = 20/48 of the travel, i.e. 20 dB. -19 + 20
  // = +1 dB lies above the top of the range, so the control stops at 1.0 and the plug-in at 0 dB.
  knob->AcceptParamValue(kMinus19Normalized);
  knob->MouseDragged(440, 6, 0, -100, nullptr);
  EXPECT_EQ(knob->mValue, 1.0);
  EXPECT_DOUBLE_EQ(TopThreshold()->Value(), 0.0);

  // With shift the same drag moves a tenth: 100/60/40 = 1/24 = 2 dB, -19 -> -17 dB.
  knob->AcceptParamValue(kMinus19Normalized);
  const IMouseState shift{true, false, true, false, false};
  knob->MouseDragged(440, 6, 0, -100, &shift);
  EXPECT_NEAR(knob->mValue, 29.0 / 48.0 + 1.0 / 24.0, 1e-12);
  EXPECT_NEAR(TopThreshold()->Value(), -17.0, 1e-9);

  // With control as well; and dragging down lowers the value (100 px down: -2 dB -> -19 dB).
  const IMouseState control{true, false, false, true, false};
  knob->MouseDragged(440, 6, 0, 100, &control);
  EXPECT_NEAR(TopThreshold()->Value(), -19.0, 1e-9);

  // The knob never leaves 0..1: a long drag down stops at -48 dB.
  knob->MouseDragged(440, 6, 0, 10000, nullptr);
  EXPECT_EQ(knob->mValue, 0.0);
  EXPECT_DOUBLE_EQ(TopThreshold()->Value(), -48.0);
}

TEST_F(ControlTest, HorizontalDrag) {
  IKnobMultiControl knob(&plug, IBox(0, 0, 80, 20), fxtest::kTopThreshold, Strip(80, 20, 1));
  knob.mDragHorizontal = 1;
  knob.mValue = 0.5;
  // 40 pixels right over an 80-pixel width at gearing 1: +0.5 -> 1.0. Vertical travel is ignored.
  knob.MouseDragged(0, 0, 40, 37, nullptr);
  EXPECT_EQ(knob.mValue, 1.0);
  knob.MouseDragged(0, 0, -20, 0, nullptr);  // -0.25
  EXPECT_EQ(knob.mValue, 0.75);
}

TEST_F(ControlTest, WheelNotches) {
  IKnobMultiControl knob(&plug, IBox(0, 0, 60, 60), fxtest::kTopThreshold, KnobStrip61());
  knob.mValue = 0.5;
  knob.WheelTurned(0, 0, nullptr, 1);
  EXPECT_DOUBLE_EQ(knob.mValue, 0.51);
  const IMouseState control{false, false, false, true, false};
  knob.WheelTurned(0, 0, &control, 1);
  EXPECT_DOUBLE_EQ(knob.mValue, 0.511);
  const IMouseState shift{false, false, true, false, false};
  knob.WheelTurned(0, 0, &shift, -3);
  EXPECT_DOUBLE_EQ(knob.mValue, 0.508);
  knob.WheelTurned(0, 0, nullptr, -2);
  EXPECT_DOUBLE_EQ(knob.mValue, 0.488);
  // Each notch is pushed: 4 edits reached the plug-in.
  EXPECT_EQ(plug.paramChanges.size(), 4u);
  // 0.488 x 48 - 48 = -24.576 dB
  EXPECT_NEAR(TopThreshold()->Value(), -24.576, 1e-9);
  knob.WheelTurned(0, 0, nullptr, 1000);
  EXPECT_EQ(knob.mValue, 1.0);
}

TEST(KnobSizes, ZeroSizedKnobsDoNotDivideByZero) {
  fxtest::TestPlugin plug;
  IFontSpec font;
  // 10 pixels high but declaring 61 frames: each frame 10 / 61 = 0 pixels high.
  IKnobMultiControlText flat(&plug, 0, 0, fxtest::kTopThreshold, Strip(60, 10, 61), font, false,
                             TextOver, 0);
  EXPECT_EQ(flat.mRect, IBox(0, 0, 60, 0));
  flat.mValue = 0.4;
  flat.MouseDragged(0, 0, 0, -100, nullptr);
  EXPECT_EQ(flat.mValue, 0.4);
  // The unchanged value still reaches the plug-in, as a number: -48 + 0.4 x 48 = -28.8 dB.
  ASSERT_EQ(plug.informed.size(), 1u);
  EXPECT_EQ(plug.informed[0].second, 0.4);
  EXPECT_NEAR(plug.GetParam(fxtest::kTopThreshold)->Value(), -28.8, 1e-9);

  IKnobMultiControl thin(&plug, IBox(5, 5, 5, 25), fxtest::kTopThreshold, Strip(0, 20, 1));
  thin.mDragHorizontal = 1;
  thin.mValue = 0.3;
  thin.MouseDragged(0, 0, 50, 0, nullptr);
  EXPECT_EQ(thin.mValue, 0.3);

  // A zero drag scale: no travel rather than an infinite step.
  IKnobMultiControl geared(&plug, IBox(0, 0, 60, 60), fxtest::kTopThreshold, KnobStrip61());
  geared.mDragScale = 0.0;
  geared.mValue = 0.6;
  geared.MouseDragged(0, 0, 0, -10, nullptr);
  EXPECT_EQ(geared.mValue, 0.6);

  // A frame count below 1 counts as 1: the knob is the whole bitmap high.
  IKnobMultiControlText noFrames(&plug, 2, 3, fxtest::kTopThreshold, Strip(40, 50, 0), font, false,
                                 TextOver, 0);
  EXPECT_EQ(noFrames.mRect, IBox(2, 3, 42, 53));
}

TEST(KnobText, ConstructionFields) {
  fxtest::TestPlugin plug;
  std::unique_ptr<IKnobMultiControlText> knob(MakeTopThresholdKnob(&plug));
  EXPECT_EQ(knob->mRect, IBox(440, 6, 500, 66));
  EXPECT_EQ(knob->mKnobRect, knob->mRect);
  EXPECT_EQ(knob->mBoundParam, fxtest::kTopThreshold);
  EXPECT_EQ(knob->mDragHorizontal, 0);
  EXPECT_EQ(knob->mDragScale, 4.0);
  EXPECT_FALSE(knob->mValueEditorDisabled);
  EXPECT_FALSE(knob->mShowLabel);
  EXPECT_EQ(knob->mFontSpec.size, 14);
  EXPECT_EQ(knob->mSkin.frameCount, 61);
  EXPECT_EQ(knob->mBlend.method, MixAlpha);
  EXPECT_EQ(knob->mBlend.weight, 1.0f);
}

// Knob at L = 440, T = 6, R = 500, B = 66 (60 x 60); size 14 gives the box height h = 18;
// m = 6 + 60/2 - 18/2 + 6 + 2 = 35.
TEST(KnobText, TextBoxForEveryPosition) {
  fxtest::TestPlugin plug;
  struct Case {
    int position;
    IBox text;
    IBox hit;
  };
  const Case cases[] = {
      // below: top = 66 + 6 + 4 = 76, bottom = 76 + 18 = 94; the hit area reaches down to it
      {TextBelow, IBox(440, 76, 500, 94), IBox(440, 6, 500, 94)},
      // above: top = 6 - 18 - 4 = -16 (the offset is ignored)
      {TextAbove, IBox(440, -16, 500, 6), IBox(440, -16, 500, 66)},
      // over: 35 .. 35 + 18 = 53; hit area unchanged
      {TextOver, IBox(440, 35, 500, 53), IBox(440, 6, 500, 66)},
      // left: 2 x 440 - 500 = 380 .. 440
      {TextLeft, IBox(380, 35, 440, 53), IBox(380, 6, 500, 66)},
      // right: 500 + 2 = 502 .. 440 + 6 x 14 + 2 = 526
      {TextRight, IBox(502, 35, 526, 53), IBox(440, 6, 526, 66)},
      // bottom right: 500 - 4 = 496 .. 440 + 84 - 4 = 520, 66 - 18 = 48 .. 66 (offset ignored)
      {TextBottomRight, IBox(496, 48, 520, 66), IBox(440, 6, 520, 66)},
      // unknown codes: no box, hit area unchanged
      {6, IBox(), IBox(440, 6, 500, 66)},
      {-1, IBox(), IBox(440, 6, 500, 66)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.position);
    std::unique_ptr<IKnobMultiControlText> knob(MakeTopThresholdKnob(&plug, c.position));
    EXPECT_EQ(knob->mRect, IBox(440, 6, 500, 66));
    EXPECT_EQ(knob->mTextRect, c.text);
    EXPECT_EQ(knob->mHitRect, c.hit);
  }
}

TEST(KnobText, OddKnobHeightAndNegativeOffsetTruncateTowardsZero) {
  fxtest::TestPlugin plug;
  IFontSpec font;
  font.size = 11;  // h = 15, h / 2 = 7
  // 45 x 45 knob at (0, -20): kh / 2 = 22; m = -20 + 22 - 7 + (-9) + 2 = -12
  IKnobMultiControlText knob(&plug, 0, -20, 0, Strip(45, 45, 1), font, false, TextOver, -9);
  EXPECT_EQ(knob.mTextRect, IBox(0, -12, 45, 3));
}

TEST(KnobText, ExtremeGeometrySaturates) {
  fxtest::TestPlugin plug;
  IFontSpec font;
  for (int size : {INT32_MAX, INT32_MIN, 0}) {
    for (int offset : {INT32_MAX, INT32_MIN}) {
      for (int position = TextBelow; position <= TextBottomRight; ++position) {
        font.size = size;
        IKnobMultiControlText a(&plug, INT32_MAX, INT32_MAX, 0, Strip(INT32_MAX, INT32_MAX, 1),
                                font, true, position, offset);
        IKnobMultiControlText b(&plug, INT32_MIN, INT32_MIN, 0, Strip(INT32_MAX, INT32_MAX, 1),
                                font, true, position, offset);
        a.MoveTo(INT32_MIN, INT32_MIN);
        b.MouseDragged(0, 0, INT32_MIN, INT32_MIN, nullptr);
        EXPECT_GE(b.mValue, 0.0);
        EXPECT_LE(b.mValue, 1.0);
      }
    }
  }
  // Knob at x = INT32_MAX - 10: its right edge and a text box to the right saturate at INT32_MAX.
  font.size = 14;
  IKnobMultiControlText right(&plug, INT32_MAX - 10, 0, 0, Strip(100, 60, 1), font, false,
                              TextRight, 0);
  EXPECT_EQ(right.mRect, IBox(INT32_MAX - 10, 0, INT32_MAX, 60));
  EXPECT_EQ(right.mTextRect.mLeft, INT32_MAX);
  EXPECT_EQ(right.mTextRect.mRight, INT32_MAX);
  // Above a knob at the top of the range: -18 - 4 below INT32_MIN saturates.
  IKnobMultiControlText above(&plug, 0, INT32_MIN, 0, Strip(100, 60, 1), font, false, TextAbove, 0);
  EXPECT_EQ(above.mTextRect, IBox(0, INT32_MIN, 100, INT32_MIN));
}

TEST_F(ControlTest, PressOnTheTextBoxOffersTheValueEditor) {
  auto* knob = MakeTopThresholdKnob(&plug);
  graphics->AddControl(knob);
  knob->AcceptParamValue(kMinus19Normalized);
  knob->MarkPainted();

  // Any button: the press on (445, 40) lies in the text box (440, 35, 500, 53).
  const IMouseState left{true, false, false, false, false};
  knob->MousePressed(445, 40, &left);
  ASSERT_EQ(graphics->textFields.size(), 1u);
  EXPECT_EQ(graphics->textFields[0].control, knob);
  EXPECT_EQ(graphics->textFields[0].area, IBox(440, 35, 500, 53));
  EXPECT_EQ(graphics->textFields[0].text, "-19.0");
  EXPECT_EQ(graphics->textFields[0].param, TopThreshold());
  EXPECT_TRUE(knob->mRepaintAgain);
  EXPECT_TRUE(plug.events.empty());  // nothing pushed

  // The bottom edge is exclusive: (445, 53) is on the knob, outside the box. The press pushes the
  // unchanged value (29/48, -19 dB) to the plug-in.
  knob->MousePressed(445, 53, &left);
  EXPECT_EQ(graphics->textFields.size(), 1u);
  EXPECT_EQ(knob->mValue, kMinus19Normalized);
  ASSERT_EQ(plug.informed.size(), 1u);
  EXPECT_EQ(plug.informed[0].second, kMinus19Normalized);
  EXPECT_NEAR(TopThreshold()->Value(), -19.0, 1e-9);
  const std::vector<std::string> expected = {"inform 0", "changed 0"};
  EXPECT_EQ(plug.events, expected);

  // With the editor disabled a press on the box does nothing at all.
  knob->mValueEditorDisabled = true;
  knob->MousePressed(445, 40, &left);
  EXPECT_EQ(graphics->textFields.size(), 1u);
  EXPECT_EQ(plug.informed.size(), 1u);

  // Without a text box (unknown position code) every press is a push.
  auto* plain = MakeTopThresholdKnob(&plug, 9);
  graphics->AddControl(plain);
  plain->AcceptParamValue(0.5);
  plain->MousePressed(0, 0, nullptr);
  EXPECT_EQ(graphics->textFields.size(), 1u);
  EXPECT_EQ(plug.informed.size(), 2u);
}

TEST_F(ControlTest, TextBoxPressUsesTheBoxEvenWithValueTexts) {
  // OpenValueEditor would hand over the knob's own area when the parameter has value texts; the
  // text-box press always hands over the box.
  IFxSetting* sat = plug.GetParam(fxtest::kSaturation);
  IFontSpec font;
  font.size = 14;
  auto* knob = new IKnobMultiControlText(&plug, 100, 100, fxtest::kSaturation, KnobStrip61(), font,
                                         false, TextBelow, 0);
  graphics->AddControl(knob);
  ASSERT_TRUE(sat->AddValueText(0, "dry"));
  // Knob 100..160 high; below it: 160 + 0 + 4 = 164 .. 164 + 18 = 182
  ASSERT_EQ(knob->mTextRect, IBox(100, 164, 160, 182));
  knob->MousePressed(101, 164, nullptr);
  // Saturation is continuous, so it is the text field (value 20, no decimals: "%d" gives "20").
  ASSERT_EQ(graphics->textFields.size(), 1u);
  EXPECT_EQ(graphics->textFields[0].text, "20");
  EXPECT_TRUE(graphics->popupAreas.empty());
}

}  // namespace
