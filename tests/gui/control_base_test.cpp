// The control base: value acceptance, repaint marking, hiding and greying, hit-testing, moving,
// auxiliary parameters and the road of a value into the plug-in.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/gui/control_fixture.h"

using controltest::ControlTest;
using controltest::kMinus19Normalized;
using controltest::PlainControl;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(ControlRecords, DefaultsOfANewControl) {
  PlainControl c(nullptr, IBox(1, 2, 3, 4), 5);
  EXPECT_EQ(c.mEntryMaxChars, 7);
  EXPECT_STREQ(c.mFontSpec.face, "Arial");
  EXPECT_EQ(c.mFontSpec.size, 12);
  EXPECT_EQ(c.mFontSpec.colour.Packed(), 0xFF000000u);
  EXPECT_EQ(c.mFontSpec.fieldBack.Packed(), 0xFFFFFFFFu);
  EXPECT_EQ(c.mFontSpec.fieldText.Packed(), 0xFF000000u);
  EXPECT_EQ(c.mFontSpec.align, 1);
  EXPECT_EQ(c.mFontSpec.font, nullptr);
  EXPECT_EQ(c.mRect, IBox(1, 2, 3, 4));
  EXPECT_EQ(c.mHitRect, IBox(1, 2, 3, 4));
  EXPECT_EQ(c.mBoundParam, 5);
  EXPECT_EQ(c.AuxParamCount(), 0);
  EXPECT_EQ(c.mValue, 0.0);
  EXPECT_EQ(c.mDefaultValue, -1.0);
  EXPECT_EQ(c.mClampLow, 0.0);
  EXPECT_EQ(c.mClampHigh, 1.0);
  EXPECT_TRUE(c.mChanged);
  EXPECT_FALSE(c.mHidden);
  EXPECT_FALSE(c.mGreyed);
  EXPECT_FALSE(c.mRepaintAgain);
  EXPECT_TRUE(c.mValueEditorDisabled);
  EXPECT_FALSE(c.mDoubleClickAsPress);
  EXPECT_FALSE(c.mPointerWhileGreyed);
  // No blend given: alpha mixing at full weight.
  EXPECT_EQ(c.mBlend.method, MixAlpha);
  EXPECT_EQ(c.mBlend.weight, 1.0f);
  EXPECT_EQ(c.mValueTextControl, nullptr);
  EXPECT_EQ(c.mNameTextControl, nullptr);
  EXPECT_EQ(c.mTooltip, nullptr);

  const IDrawBlend add(MixAdditive, 0.5f);
  PlainControl blended(nullptr, IBox(), -1, &add);
  EXPECT_EQ(blended.mBlend.method, MixAdditive);
  EXPECT_EQ(blended.mBlend.weight, 0.5f);
}

TEST(ControlRecords, ColoursAndBlendModes) {
  EXPECT_EQ(kColourBlack.Packed(), 0xFF000000u);
  EXPECT_EQ(kColourWhite.Packed(), 0xFFFFFFFFu);
  // Only the low byte of each channel: 0x1FF keeps 0xFF.
  EXPECT_EQ(IArgb(128, 0x1FF, 2, 3).Packed(), 0x80FF0203u);

  const IDrawBlend over(MixOverwrite, 0.3f), add(MixAdditive, 1.0f), dodge(MixDodge, 1.0f),
      alpha(MixAlpha, 0.5f), odd(17, 0.75f);
  EXPECT_EQ(RasterModeOf(nullptr), 0x10000);
  EXPECT_EQ(RasterModeOf(&over), 0);
  EXPECT_EQ(RasterModeOf(&add), 0x10001);
  EXPECT_EQ(RasterModeOf(&dodge), 0x10002);
  EXPECT_EQ(RasterModeOf(&alpha), 0x10000);
  EXPECT_EQ(RasterModeOf(&odd), 0x10000);
  EXPECT_EQ(RasterWeightOf(nullptr), 1.0f);
  EXPECT_EQ(RasterWeightOf(&over), 0.3f);
  EXPECT_EQ(RasterWeightOf(&odd), 0.75f);
}

TEST_F(ControlTest, FirstRoutedValueBecomesTheDefaultAndMarksNothing) {
  PlainControl c(&plug, IBox(0, 0, 10, 10), fxtest::kTopThreshold);
  c.MarkPainted();  // mChanged starts true; clear it to see what the first value does
  ASSERT_FALSE(c.mChanged);

  c.AcceptParamValue(kMinus19Normalized);
  EXPECT_EQ(c.mValue, kMinus19Normalized);
  EXPECT_EQ(c.mDefaultValue, kMinus19Normalized);
  EXPECT_FALSE(c.mChanged);
  EXPECT_FALSE(c.mRepaintAgain);
  EXPECT_TRUE(plug.events.empty());

  // A second, different value moves the control, marks it twice and reports nothing back.
  c.AcceptParamValue(0.25);
  EXPECT_EQ(c.mValue, 0.25);
  EXPECT_EQ(c.mDefaultValue, kMinus19Normalized);
  EXPECT_TRUE(c.mChanged);
  EXPECT_TRUE(c.mRepaintAgain);
  EXPECT_TRUE(plug.events.empty());

  // The same value again changes nothing.
  c.MarkPainted();
  c.MarkPainted();
  c.AcceptParamValue(0.25);
  EXPECT_FALSE(c.mChanged);
  EXPECT_FALSE(c.mRepaintAgain);

  // A double click restores the default and hands it to the plug-in: 29/48 is -19 dB again.
  TopThreshold()->SetValue(-3.0);
  c.MouseDoubleClicked(1, 1, nullptr);
  EXPECT_EQ(c.mValue, kMinus19Normalized);
  EXPECT_NEAR(TopThreshold()->Value(), -19.0, 1e-9);
  ASSERT_EQ(plug.paramChanges.size(), 1u);
  EXPECT_EQ(plug.paramChanges[0].source, kSourceEditor);
}

TEST_F(ControlTest, DoubleClickWithoutDefaultDoesNothing) {
  PlainControl c(&plug, IBox(0, 0, 10, 10), fxtest::kTopThreshold);
  c.mValue = 0.3;
  c.MarkPainted();
  c.MouseDoubleClicked(1, 1, nullptr);
  EXPECT_EQ(c.mValue, 0.3);
  EXPECT_FALSE(c.mChanged);
  EXPECT_TRUE(plug.events.empty());
}

TEST_F(ControlTest, MarkChangedPushesThroughSetParameterFromGUI) {
  PlainControl c(&plug, IBox(0, 0, 10, 10), fxtest::kTopThreshold);
  c.mValue = 0.5;
  c.MarkChanged(true);
  // -48 + 0.5 x 48 = -24 dB, no snapping to the 0.1 step.
  EXPECT_DOUBLE_EQ(TopThreshold()->Value(), -24.0);
  // The value goes to the host first, then the plug-in follows it with the editor as source; the
  // gesture begin/end are the window's business, not the control's.
  const std::vector<std::string> expected = {"inform 0", "changed 0"};
  EXPECT_EQ(plug.events, expected);
  ASSERT_EQ(plug.informed.size(), 1u);
  EXPECT_EQ(plug.informed[0].first, 0);
  EXPECT_EQ(plug.informed[0].second, 0.5);
  ASSERT_EQ(plug.paramChanges.size(), 1u);
  EXPECT_EQ(plug.paramChanges[0].paramIdx, 0);
  EXPECT_EQ(plug.paramChanges[0].source, kSourceEditor);
}

TEST_F(ControlTest, MarkChangedClampsAndPushesOnlyWhenAsked) {
  PlainControl c(&plug, IBox(0, 0, 10, 10), fxtest::kTopThreshold);
  c.mValue = 1.7;
  c.MarkChanged(false);
  EXPECT_EQ(c.mValue, 1.0);
  EXPECT_TRUE(c.mChanged);
  EXPECT_TRUE(plug.events.empty());

  c.mValue = -0.2;
  c.MarkChanged(false);
  EXPECT_EQ(c.mValue, 0.0);

  c.mClampLow = 0.2;
  c.mClampHigh = 0.6;
  c.mValue = 0.1;
  c.MarkChanged(false);
  EXPECT_EQ(c.mValue, 0.2);
  c.mValue = 0.9;
  c.MarkChanged(false);
  EXPECT_EQ(c.mValue, 0.6);

  // Unbound or without a plug-in: nothing reaches a plug-in.
  PlainControl unbound(&plug, IBox(0, 0, 10, 10), -1);
  unbound.MarkChanged(true);
  PlainControl orphan(nullptr, IBox(0, 0, 10, 10), 0);
  orphan.MarkChanged(true);
  EXPECT_TRUE(plug.events.empty());
}

TEST(ControlRepaint, MarkPaintedKeepsOneMorePaintAfterRepaintAgain) {
  PlainControl c(nullptr, IBox(0, 0, 10, 10));
  c.mRepaintAgain = true;
  c.MarkPainted();
  EXPECT_TRUE(c.mChanged);
  EXPECT_FALSE(c.mRepaintAgain);
  EXPECT_TRUE(c.NeedsRepaint());
  c.MarkPainted();
  EXPECT_FALSE(c.mChanged);
  EXPECT_FALSE(c.NeedsRepaint());
}

TEST(ControlRepaint, HiddenAndGreyedSetTheirWeights) {
  PlainControl c(nullptr, IBox(0, 0, 10, 10));
  c.MarkPainted();
  c.SetHidden(true);
  EXPECT_TRUE(c.mHidden);
  EXPECT_EQ(c.mBlend.weight, 0.0f);
  EXPECT_TRUE(c.mChanged);
  EXPECT_TRUE(c.mRepaintAgain);
  c.SetHidden(false);
  EXPECT_FALSE(c.mHidden);
  EXPECT_EQ(c.mBlend.weight, 1.0f);

  c.MarkPainted();
  c.MarkPainted();
  c.SetGreyed(true);
  EXPECT_TRUE(c.mGreyed);
  EXPECT_EQ(c.mBlend.weight, 0.25f);
  EXPECT_TRUE(c.mChanged);
  EXPECT_FALSE(c.mRepaintAgain);  // greying does not ask for a second paint
  c.SetGreyed(false);
  EXPECT_FALSE(c.mGreyed);
  EXPECT_EQ(c.mBlend.weight, 1.0f);
}

TEST_F(ControlTest, GreyedControlIsNotHitByPresses) {
  auto* c = new PlainControl(&plug, IBox(10, 10, 50, 50));
  const int idx = graphics->AddControl(c);
  EXPECT_EQ(graphics->ControlAt(20, 20), idx);
  c->SetGreyed(true);
  EXPECT_EQ(graphics->ControlAt(20, 20), -1);
  c->SetGreyed(false);
  c->SetHidden(true);
  EXPECT_EQ(graphics->ControlAt(20, 20), -1);
}

TEST(ControlGeometry, ContainsPointEdges) {
  PlainControl c(nullptr, IBox(10, 20, 30, 40));
  EXPECT_TRUE(c.ContainsPoint(10, 20));   // left and top inclusive
  EXPECT_TRUE(c.ContainsPoint(29, 39));
  EXPECT_FALSE(c.ContainsPoint(30, 25));  // right exclusive
  EXPECT_FALSE(c.ContainsPoint(15, 40));  // bottom exclusive
  EXPECT_FALSE(c.ContainsPoint(9, 25));
  EXPECT_FALSE(c.ContainsPoint(15, 19));

  // The hit area, not the drawing area, takes the mouse.
  c.mHitRect = IBox(0, 0, 5, 5);
  EXPECT_TRUE(c.ContainsPoint(0, 0));
  EXPECT_FALSE(c.ContainsPoint(10, 20));

  // An all-zero hit area never contains a point, not even its own corner.
  c.mHitRect = IBox();
  EXPECT_FALSE(c.ContainsPoint(0, 0));
  // A one-pixel box at the origin is not all zero.
  c.mHitRect = IBox(0, 0, 1, 1);
  EXPECT_TRUE(c.ContainsPoint(0, 0));
}

TEST(ControlGeometry, MoveToKeepsTheSizeAndResetsTheHitArea) {
  PlainControl c(nullptr, IBox(10, 20, 30, 45));
  c.mHitRect = IBox(0, 20, 30, 60);
  c.MoveTo(100, 5);
  // 20 wide and 25 high, now from (100, 5).
  EXPECT_EQ(c.mRect, IBox(100, 5, 120, 30));
  EXPECT_EQ(c.mHitRect, c.mRect);

  // Near the end of the int range the far edges saturate instead of overflowing.
  c.MoveTo(INT32_MAX - 5, INT32_MIN);
  EXPECT_EQ(c.mRect, IBox(INT32_MAX - 5, INT32_MIN, INT32_MAX, INT32_MIN + 25));
  PlainControl wide(nullptr, IBox(INT32_MIN, 0, INT32_MAX, 1));
  wide.MoveTo(0, 0);
  EXPECT_EQ(wide.mRect, IBox(0, 0, INT32_MAX, 1));
}

TEST(ControlAux, AuxValuesAreStoredAndMarked) {
  PlainControl c(nullptr, IBox(0, 0, 10, 10));
  ASSERT_TRUE(c.AddAuxParam(3, 0.5));
  ASSERT_TRUE(c.AddAuxParam(4, 0.0));
  EXPECT_EQ(c.AuxParamCount(), 2);
  EXPECT_EQ(c.AuxParam(1)->paramIdx, 4);
  EXPECT_EQ(c.AuxParam(2), nullptr);
  EXPECT_EQ(c.AuxParam(-1), nullptr);

  c.MarkPainted();
  c.AcceptAuxParamValue(0, 0.7);
  EXPECT_EQ(c.AuxParam(0)->value, 0.7);
  EXPECT_TRUE(c.mChanged);
  EXPECT_TRUE(c.mRepaintAgain);

  c.MarkPainted();
  c.MarkPainted();
  c.AcceptAuxParamValue(0, 0.7);  // unchanged
  EXPECT_FALSE(c.mChanged);
  EXPECT_FALSE(c.mRepaintAgain);
}

TEST_F(ControlTest, RoutedValuesMoveControlsWithoutReportingBack) {
  auto* knob = new PlainControl(&plug, IBox(0, 0, 10, 10), fxtest::kTopThreshold);
  auto* aux = new PlainControl(&plug, IBox(20, 0, 30, 10), -1);
  ASSERT_TRUE(aux->AddAuxParam(fxtest::kAttack, 0.0));
  graphics->AddControl(knob);
  graphics->AddControl(aux);

  // -19 dB in display units: (-19 + 48) / 48 = 29/48.
  graphics->RouteParamToControls(fxtest::kTopThreshold, -19.0, false);
  EXPECT_NEAR(knob->mValue, kMinus19Normalized, 1e-12);
  EXPECT_NEAR(knob->mDefaultValue, kMinus19Normalized, 1e-12);  // the first one is the default
  graphics->RouteParamToControls(fxtest::kTopThreshold, 0.25, true);
  EXPECT_EQ(knob->mValue, 0.25);
  EXPECT_TRUE(knob->mRepaintAgain);

  graphics->RouteParamToControls(fxtest::kAttack, 0.5, true);
  EXPECT_EQ(aux->AuxParam(0)->value, 0.5);

  EXPECT_TRUE(plug.events.empty());
  EXPECT_TRUE(plug.paramChanges.empty());
}

TEST_F(ControlTest, UserValueIsPushedOnlyWhenItDiffers) {
  PlainControl c(&plug, IBox(0, 0, 10, 10), fxtest::kTopThreshold);
  c.mValue = 0.5;
  c.MarkPainted();
  c.AcceptUserValue(0.5);
  EXPECT_FALSE(c.mChanged);
  EXPECT_TRUE(plug.events.empty());

  c.AcceptUserValue(0.75);  // -48 + 0.75 x 48 = -12 dB
  EXPECT_EQ(c.mValue, 0.75);
  EXPECT_TRUE(c.mChanged);
  EXPECT_TRUE(c.mRepaintAgain);
  EXPECT_DOUBLE_EQ(TopThreshold()->Value(), -12.0);
  ASSERT_EQ(plug.paramChanges.size(), 1u);
}

TEST_F(ControlTest, RightPressOpensTheValueEditorOverTheRebuiltArea) {
  PlainControl c(&plug, IBox(10, 20, 31, 41), fxtest::kTopThreshold);
  const IMouseState right{false, true, false, false, false};
  const IMouseState left{true, false, false, false, false};

  // Disabled by default: nothing.
  c.MousePressed(12, 22, &right);
  EXPECT_TRUE(graphics->textFields.empty());

  c.mValueEditorDisabled = false;
  c.MousePressed(12, 22, &left);  // the left button does not open it
  EXPECT_TRUE(graphics->textFields.empty());

  c.MousePressed(12, 22, &right);
  ASSERT_EQ(graphics->textFields.size(), 1u);
  // No value texts: the area is rebuilt from the centre. cx = int(41 x 0.5) = 20,
  // cy = int(61 x 0.5) = 30, hw = int(21 x 0.5) = 10, hh = int(21 x 0.5) = 10.
  EXPECT_EQ(graphics->textFields[0].area, IBox(10, 20, 30, 40));
  EXPECT_EQ(graphics->textFields[0].control, &c);
  EXPECT_EQ(graphics->textFields[0].param, TopThreshold());
  // -19 with the one decimal of a 0.1 step.
  EXPECT_EQ(graphics->textFields[0].text, "-19.0");
  EXPECT_TRUE(c.mRepaintAgain);

  // With value texts the control's own area is used.
  ASSERT_TRUE(TopThreshold()->AddValueText(-48, "off"));
  c.OpenValueEditor();
  ASSERT_EQ(graphics->textFields.size(), 2u);
  EXPECT_EQ(graphics->textFields[1].area, IBox(10, 20, 31, 41));

  // Unbound: nothing.
  PlainControl unbound(&plug, IBox(10, 20, 31, 41), -1);
  unbound.mValueEditorDisabled = false;
  unbound.OpenValueEditor();
  EXPECT_EQ(graphics->textFields.size(), 2u);
  EXPECT_TRUE(plug.events.empty());
}

// ---- NaN and out-of-range values

TEST_F(ControlTest, NaNFromTheHostBecomesTheLowClamp) {
  PlainControl c(&plug, IBox(0, 0, 10, 10), fxtest::kTopThreshold);
  c.AcceptParamValue(kNaN);  // first value: becomes the default, as the low clamp
  EXPECT_EQ(c.mValue, 0.0);
  EXPECT_EQ(c.mDefaultValue, 0.0);

  c.mClampLow = 0.2;
  c.AcceptParamValue(kNaN);
  EXPECT_EQ(c.mValue, 0.2);
  EXPECT_FALSE(std::isnan(c.mValue));
  EXPECT_TRUE(plug.events.empty());

  // A double click pushes a real number.
  c.MouseDoubleClicked(0, 0, nullptr);
  EXPECT_EQ(c.mValue, 0.2);  // the default 0 is below the low clamp
  ASSERT_EQ(plug.informed.size(), 1u);
  EXPECT_EQ(plug.informed[0].second, 0.2);
}

TEST_F(ControlTest, NaNNeverReachesThePlugIn) {
  PlainControl c(&plug, IBox(0, 0, 10, 10), fxtest::kTopThreshold);
  c.mValue = 0.5;
  c.AcceptUserValue(kNaN);  // becomes 0 (the low clamp): -48 dB
  EXPECT_EQ(c.mValue, 0.0);
  ASSERT_EQ(plug.informed.size(), 1u);
  EXPECT_EQ(plug.informed[0].second, 0.0);
  EXPECT_DOUBLE_EQ(TopThreshold()->Value(), -48.0);

  // A NaN written straight into the field is caught by MarkChanged.
  c.mValue = kNaN;
  c.mClampLow = 0.1;
  c.MarkChanged(true);
  EXPECT_EQ(c.mValue, 0.1);
  ASSERT_EQ(plug.informed.size(), 2u);
  EXPECT_EQ(plug.informed[1].second, 0.1);
  EXPECT_FALSE(std::isnan(TopThreshold()->Value()));

  // Broken clamps themselves: a NaN high clamp keeps the value finite, a NaN low clamp counts as 0.
  c.mClampLow = 0.0;
  c.mClampHigh = kNaN;
  c.mValue = 0.5;
  c.MarkChanged(false);
  EXPECT_FALSE(std::isnan(c.mValue));
  c.mClampLow = kNaN;
  c.mClampHigh = 1.0;
  c.mValue = kNaN;
  c.MarkChanged(false);
  EXPECT_EQ(c.mValue, 0.0);

  // Infinities are clamped.
  c.mClampLow = 0.0;
  c.mValue = std::numeric_limits<double>::infinity();
  c.MarkChanged(false);
  EXPECT_EQ(c.mValue, 1.0);
}

TEST(ControlAux, NaNAuxValueBecomesTheLowClamp) {
  PlainControl c(nullptr, IBox(0, 0, 10, 10));
  ASSERT_TRUE(c.AddAuxParam(3, 0.5));
  c.mClampLow = 0.05;
  c.AcceptAuxParamValue(0, kNaN);
  EXPECT_EQ(c.AuxParam(0)->value, 0.05);
}

#if GTEST_HAS_DEATH_TEST && !defined(_WIN32)
TEST(ControlAuxDeathTest, AuxIndexOutsideTheListFailsTheAssertion) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  PlainControl c(nullptr, IBox(0, 0, 10, 10));
  ASSERT_TRUE(c.AddAuxParam(3, 0.5));
  EXPECT_DEATH(c.AcceptAuxParamValue(1, 0.2), "idx > -1 && idx < mAuxParams.GetSize\\(\\)");
  EXPECT_DEATH(c.AcceptAuxParamValue(-1, 0.2), "idx > -1 && idx < mAuxParams.GetSize\\(\\)");
}
#endif

}  // namespace
