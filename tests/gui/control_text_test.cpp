// Text labels and the labels a control keeps up to date: the parameter's display text and name.
#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "tests/gui/control_fixture.h"

using controltest::ControlTest;
using controltest::kMinus19Normalized;
using controltest::PlainControl;

namespace {

TEST(TextControl, ConstructionAndLabelText) {
  IFontSpec font;
  font.size = 20;
  font.align = 2;
  std::strcpy(font.face, "Tahoma");
  ITextControl label(nullptr, IBox(1, 2, 100, 30), font, "Top");
  EXPECT_STREQ(label.mText.Text(), "Top");
  EXPECT_EQ(label.mBoundParam, -1);
  EXPECT_EQ(label.mFontSpec.size, 20);
  EXPECT_EQ(label.mFontSpec.align, 2);
  EXPECT_STREQ(label.mFontSpec.face, "Tahoma");
  EXPECT_EQ(label.mBlend.method, MixAlpha);
  EXPECT_EQ(label.mBlend.weight, 1.0f);

  label.MarkPainted();
  label.SetLabelText("Top");  // same text: nothing
  EXPECT_FALSE(label.mChanged);
  label.SetLabelText("Bottom");
  EXPECT_TRUE(label.mChanged);
  EXPECT_STREQ(label.mText.Text(), "Bottom");
  label.SetLabelText(nullptr);  // counts as the empty text
  EXPECT_STREQ(label.mText.Text(), "");

  ITextControl empty(nullptr, IBox(), font, nullptr);
  EXPECT_STREQ(empty.mText.Text(), "");
}

TEST_F(ControlTest, TextControlDrawing) {
  IFontSpec font;
  ITextControl empty(&plug, IBox(0, 0, 50, 20), font, "");
  EXPECT_TRUE(empty.DrawInto(graphics));  // nothing to draw
#if !defined(_WIN32)
  // Natively no font can be made, so drawing real text reports failure.
  ITextControl label(&plug, IBox(0, 0, 50, 20), font, "dB");
  EXPECT_FALSE(label.DrawInto(graphics));
#endif
}

TEST_F(ControlTest, LinkedValueAndNameTexts) {
  IFontSpec font;
  ITextControl valueText(&plug, IBox(0, 0, 50, 20), font, "");
  ITextControl nameText(&plug, IBox(0, 20, 50, 40), font, "");
  PlainControl knob(&plug, IBox(0, 40, 60, 100), fxtest::kTopThreshold);
  knob.mValueTextControl = &valueText;
  knob.mNameTextControl = &nameText;
  valueText.MarkPainted();
  nameText.MarkPainted();

  // Not pushed: the labels are left alone.
  knob.mValue = 0.5;
  knob.MarkChanged(false);
  EXPECT_STREQ(valueText.mText.Text(), "");
  EXPECT_FALSE(valueText.mChanged);

  // Pushed: 0.5 is -24 dB, shown with one decimal.
  knob.MarkChanged(true);
  EXPECT_STREQ(valueText.mText.Text(), "-24.0");
  EXPECT_TRUE(valueText.mChanged);
  EXPECT_STREQ(nameText.mText.Text(), "Top Threshold");
  EXPECT_TRUE(nameText.mChanged);

  // The same value again: both texts are unchanged and neither label is marked.
  valueText.MarkPainted();
  nameText.MarkPainted();
  knob.MarkChanged(true);
  EXPECT_FALSE(valueText.mChanged);
  EXPECT_FALSE(nameText.mChanged);

  // -19 dB: 29/48.
  knob.mValue = kMinus19Normalized;
  knob.MarkChanged(true);
  EXPECT_STREQ(valueText.mText.Text(), "-19.0");
  EXPECT_TRUE(valueText.mChanged);
  EXPECT_FALSE(nameText.mChanged);

  // Value texts are used for the label: -48 dB shows as "off".
  ASSERT_TRUE(TopThreshold()->AddValueText(-48, "off"));
  knob.mValue = 0.0;
  knob.MarkChanged(true);
  EXPECT_STREQ(valueText.mText.Text(), "off");
}

TEST_F(ControlTest, LinkedTextOfAParameterWithoutDecimals) {
  IFontSpec font;
  ITextControl valueText(&plug, IBox(0, 0, 50, 20), font, "");
  PlainControl knob(&plug, IBox(0, 40, 60, 100), fxtest::kRelease);
  knob.mValueTextControl = &valueText;
  // Release: 1..999 ms, exponent 2, step 1. 0.5 -> 1 + 0.25 x 998 = 250.5, rounded to 251.
  knob.mValue = 0.5;
  knob.MarkChanged(true);
  EXPECT_STREQ(valueText.mText.Text(), "251");
}

TEST_F(ControlTest, KnobTextDrawFormatsTheValueAndLabel) {
  IFontSpec font;
  font.size = 14;
  std::unique_ptr<IKnobMultiControlText> knob(new IKnobMultiControlText(
      &plug, 440, 6, fxtest::kTopThreshold, controltest::KnobStrip61(), font, true, TextOver, 6));
  graphics->mPaintArea = IBox(0, 0, 640, 480);
  knob->mValue = kMinus19Normalized;
  const bool drawn = knob->DrawInto(graphics);
  // The text is formatted from the parameter itself (-19 dB) with its unit label.
  EXPECT_STREQ(knob->mValueString.Text(), "-19.0 dB");
#if !defined(_WIN32)
  // Without a font the text cannot be drawn, and the box keeps its laid-out edges; the bottom is
  // re-derived as top + 14 + 4 = 53.
  EXPECT_FALSE(drawn);
  EXPECT_EQ(knob->mTextRect, IBox(440, 35, 500, 53));
#else
  (void)drawn;
#endif

  // A value text replaces the number and suppresses the unit.
  ASSERT_TRUE(TopThreshold()->AddValueText(-19, "knee"));
  knob->DrawInto(graphics);
  EXPECT_STREQ(knob->mValueString.Text(), "knee ");
}

}  // namespace
