// Parameter record: set-up, the normalised mapping both ways and the display text.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "fx/ifxsetting.h"

namespace {

// Display text of a value with a roomy buffer.
std::string Shown(const IFxSetting& p, double value, bool isNormalized = false,
                  bool useValueTexts = false) {
  char out[64];
  p.FormatValue(value, isNormalized, out, sizeof out, useValueTexts);
  return out;
}

// "Release": 1..999 ms, step 1, quadratic.
void SetUpRelease(IFxSetting& p) {
  p.InitContinuous("Release", 500.0, 1.0, 999.0, 1.0, "ms");
  p.SetExponent(2.0);
}

// ---------------------------------------------------------------- set-up

TEST(IFxSetting, InitContinuousSetsRangeValueAndTexts) {
  IFxSetting p;
  p.InitContinuous("Top Threshold", -19.0, -48.0, 0.0, 0.1, "dB", "Dyn");
  EXPECT_EQ(p.Kind(), kParamContinuous);
  EXPECT_EQ(p.Value(), -19.0);
  EXPECT_EQ(p.DefaultValue(), -19.0);
  EXPECT_EQ(p.Lowest(), -48.0);
  EXPECT_EQ(p.Highest(), 0.0);
  EXPECT_EQ(p.Increment(), 0.1);
  EXPECT_STREQ(p.NameText(), "Top Threshold");
  EXPECT_STREQ(p.UnitText(), "dB");
  EXPECT_STREQ(p.GroupText(), "Dyn");
}

TEST(IFxSetting, RangeIsAtLeastOneStep) {
  IFxSetting p;
  p.InitContinuous("Flat", 0.0, 0.0, 0.0, 1.0);
  EXPECT_EQ(p.Lowest(), 0.0);
  EXPECT_EQ(p.Highest(), 1.0);
  IFxSetting q;
  q.InitContinuous("Inverted", 5.0, 5.0, 2.0, 0.5);
  EXPECT_EQ(q.Highest(), 5.5);
}

TEST(IFxSetting, DecimalsFollowTheStep) {
  struct Case {
    double step;
    int decimals;
  } cases[] = {{1.0, 0}, {0.1, 1}, {0.25, 2}, {0.001, 3}, {1.0 / 3.0, 6}, {5.0, 0}, {0.5, 1}};
  for (const Case& c : cases) {
    IFxSetting p;
    p.InitContinuous("x", 0.0, 0.0, 10.0, c.step);
    EXPECT_EQ(p.Decimals(), c.decimals) << "step " << c.step;
  }
}

TEST(IFxSetting, ZeroExponentKeepsTheOneInForce) {
  IFxSetting p;
  p.InitContinuous("x", 0.0, 0.0, 1.0, 0.1, "", "", 3.0);
  EXPECT_EQ(p.Exponent(), 3.0);
  p.SetExponent(0.0);
  EXPECT_EQ(p.Exponent(), 3.0);
  p.InitContinuous("x", 0.0, 0.0, 1.0, 0.1, "", "", 0.0);
  EXPECT_EQ(p.Exponent(), 3.0);
  p.SetExponent(2.0);
  EXPECT_EQ(p.Exponent(), 2.0);
}

TEST(IFxSetting, LongTextsAreCutToTheirFields) {
  const std::string longText(40, 'n');
  IFxSetting p;
  p.InitContinuous(longText.c_str(), 0.0, 0.0, 1.0, 1.0, longText.c_str(), longText.c_str());
  EXPECT_EQ(std::string(p.NameText()), std::string(31, 'n'));
  EXPECT_EQ(std::string(p.UnitText()), std::string(31, 'n'));
  EXPECT_EQ(std::string(p.GroupText()), std::string(31, 'n'));
}

// ---------------------------------------------------------------- normalised to display value

TEST(IFxSetting, AssignNormalizedOnQuadraticStepOneParameter) {
  IFxSetting p;
  SetUpRelease(p);
  p.AssignNormalized(1.0);
  EXPECT_EQ(p.Value(), 999.0);
  p.AssignNormalized(0.5);  // 1 + 0.25 x 998 = 250.5, rounded up
  EXPECT_EQ(p.Value(), 251.0);
  p.AssignNormalized(0.0);
  EXPECT_EQ(p.Value(), 1.0);
}

TEST(IFxSetting, AssignNormalizedDoesNotSnapFractionalSteps) {
  IFxSetting p;
  p.InitContinuous("Threshold", 0.0, -48.0, 0.0, 0.1);
  p.AssignNormalized(0.5);
  EXPECT_EQ(p.Value(), -24.0);
  p.AssignNormalized(0.123);  // -48 + 5.904: not a multiple of the step
  EXPECT_DOUBLE_EQ(p.Value(), -42.096);
}

TEST(IFxSetting, StepOneRoundsHalvesAwayFromZero) {
  IFxSetting neg;
  neg.InitContinuous("n", 0.0, -2.0, 0.0, 1.0);
  neg.AssignNormalized(0.25);  // -1.5
  EXPECT_EQ(neg.Value(), -2.0);
  IFxSetting pos;
  pos.InitContinuous("p", 0.0, 0.0, 2.0, 1.0);
  pos.AssignNormalized(0.75);  // 1.5
  EXPECT_EQ(pos.Value(), 2.0);
}

TEST(IFxSetting, UninitialisedKindSnapsToTheStep) {
  IFxSetting p;  // kParamUnset, range 0..1, step 1
  p.AssignNormalized(0.4);
  EXPECT_EQ(p.Value(), 0.0);
  p.AssignNormalized(0.6);
  EXPECT_EQ(p.Value(), 1.0);
}

TEST(IFxSetting, AssignNormalizedClampsOutOfRangeInput) {
  IFxSetting p;
  SetUpRelease(p);
  p.AssignNormalized(1.7);
  EXPECT_EQ(p.Value(), 999.0);
  p.AssignNormalized(-0.5);
  EXPECT_EQ(p.Value(), 1.0);
}

TEST(IFxSetting, AssignNormalizedIgnoresNaN) {
  IFxSetting p;
  SetUpRelease(p);
  p.AssignNormalized(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(p.Value(), 500.0);
}

// ---------------------------------------------------------------- display value to normalised

TEST(IFxSetting, NormalizeAppliesInverseExponent) {
  IFxSetting attack;
  attack.InitContinuous("Attack", 10.0, 1.0, 100.0, 1.0, "ms");
  attack.SetExponent(2.0);
  EXPECT_NEAR(attack.NormalizedValue(), std::sqrt(9.0 / 99.0), 1e-12);
  IFxSetting release;
  SetUpRelease(release);
  EXPECT_NEAR(release.NormalizedValue(), std::sqrt(0.5), 1e-12);
  // The lowest quarter of the range covers half the travel.
  EXPECT_NEAR(release.Normalize(250.5), 0.5, 1e-12);
}

TEST(IFxSetting, NormalizeLimitsToTheRange) {
  IFxSetting p;
  p.InitContinuous("Threshold", -19.0, -48.0, 0.0, 0.1);
  EXPECT_EQ(p.Normalize(12.0), 1.0);
  EXPECT_EQ(p.Normalize(-100.0), 0.0);
  EXPECT_DOUBLE_EQ(p.Normalize(-12.0), 0.75);
  p.SetValue(3.0);
  EXPECT_EQ(p.NormalizedValue(), 1.0);
}

TEST(IFxSetting, ZeroWidthRangeNormalizesToZero) {
  IFxSetting p;
  p.InitContinuous("Fixed", 5.0, 5.0, 5.0, 0.0);  // a zero step leaves no width
  ASSERT_EQ(p.Lowest(), p.Highest());
  EXPECT_EQ(p.Normalize(5.0), 0.0);
  EXPECT_EQ(p.NormalizedValue(), 0.0);
}

// ---------------------------------------------------------------- display text

TEST(IFxSetting, FormatValuePrintsDecimalsOfTheStep) {
  IFxSetting p;
  p.InitContinuous("Top Threshold", -19.0, -48.0, 0.0, 0.1, "dB");
  EXPECT_EQ(Shown(p, p.Value()), "-19.0");
  IFxSetting q;
  q.InitContinuous("q", 0.0, 0.0, 1.0, 0.25);
  EXPECT_EQ(Shown(q, 0.5), "0.50");
}

TEST(IFxSetting, FormatValueTruncatesForWholeSteps) {
  IFxSetting p;
  p.InitContinuous("Attack", 10.0, 1.0, 100.0, 1.0, "ms");
  EXPECT_EQ(Shown(p, 10.7), "10");
  EXPECT_EQ(Shown(p, -10.7), "-10");
}

TEST(IFxSetting, FormatValueOfNormalizedShowsUnsnappedValue) {
  IFxSetting p;
  SetUpRelease(p);
  EXPECT_EQ(Shown(p, 0.5, true), "250");  // 250.5 truncated
  EXPECT_EQ(Shown(p, 1.0, true), "999");
}

// Normalised values no parameter can hold are held to 0..1 (as AssignNormalized holds them); NaN
// has no text.
TEST(IFxSetting, FormatValueHoldsNormalizedValuesToTheRange) {
  IFxSetting thr;
  thr.InitContinuous("Top Threshold", -19.0, -48.0, 0.0, 0.1, "dB");
  IFxSetting attack;
  attack.InitContinuous("Attack", 10.0, 1.0, 100.0, 1.0, "ms");
  attack.SetExponent(2.0);
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(Shown(thr, 2.0, true), "0.0");
  EXPECT_EQ(Shown(thr, inf, true), "0.0");
  EXPECT_EQ(Shown(thr, -1.0, true), "-48.0");
  EXPECT_EQ(Shown(thr, -inf, true), "-48.0");
  EXPECT_EQ(Shown(attack, -1.0, true), "1");  // (-1)^2 would give 100
  EXPECT_EQ(Shown(attack, 1e300, true), "100");
  EXPECT_EQ(Shown(attack, std::nan(""), true), "");
  EXPECT_EQ(Shown(attack, -std::nan(""), true), "");
  // Plain values are shown as they are.
  EXPECT_EQ(Shown(thr, -60.0), "-60.0");
}

TEST(IFxSetting, FlipSignNegatesTheText) {
  IFxSetting p;
  p.InitContinuous("Top Threshold", -19.0, -48.0, 0.0, 0.1, "dB");
  p.SetFlipSign(true);
  EXPECT_EQ(Shown(p, -19.0), "19.0");
}

TEST(IFxSetting, FormatValueIsBoundedByOutputSize) {
  IFxSetting p;
  p.InitContinuous("Top Threshold", -19.0, -48.0, 0.0, 0.1, "dB");
  char out[4] = {'x', 'x', 'x', 'x'};
  p.FormatValue(-19.0, false, out, 3, false);
  EXPECT_STREQ(out, "-1");
  EXPECT_EQ(out[3], 'x');
  IFxSetting big;
  big.InitContinuous("Big", 0.0, 0.0, 1e12, 1.0);
  char small[5];
  big.FormatValue(123456789.0, false, small, sizeof small, false);
  EXPECT_STREQ(small, "1234");
}

TEST(IFxSetting, ValueTextsReplaceTheNumber) {
  IFxSetting p;
  p.InitContinuous("Mode", 0.0, 0.0, 3.0, 1.0, "steps");
  ASSERT_TRUE(p.AddValueText(0, "Off"));
  ASSERT_TRUE(p.AddValueText(2, "Double"));
  EXPECT_EQ(p.CountValueTexts(), 2);
  EXPECT_EQ(Shown(p, 2.9, false, true), "Double");  // value truncated before the look-up
  EXPECT_EQ(Shown(p, 1.0, false, true), "1");       // no entry: the number
  EXPECT_EQ(Shown(p, 2.0, false, false), "2");      // texts not asked for
  EXPECT_STREQ(p.ValueTextFor(2), "Double");
  EXPECT_STREQ(p.ValueTextFor(3), "");
}

TEST(IFxSetting, EmptyValueTextEndsTheSearch) {
  IFxSetting p;
  p.InitContinuous("Mode", 0.0, 0.0, 3.0, 1.0);
  p.AddValueText(0, "Off");
  p.AddValueText(1, "");
  p.AddValueText(2, "Two");
  EXPECT_EQ(Shown(p, 2.0, false, true), "2");
  EXPECT_EQ(Shown(p, 0.0, false, true), "Off");
}

TEST(IFxSetting, UnitTextIsEmptyWhenValueTextApplies) {
  IFxSetting p;
  p.InitContinuous("Mode", 0.0, 0.0, 3.0, 1.0, "steps");
  p.AddValueText(0, "Off");
  p.AddValueText(1, "");
  EXPECT_STREQ(p.UnitText(), "");
  p.SetValue(1.0);  // entry with an empty text
  EXPECT_STREQ(p.UnitText(), "steps");
  p.SetValue(3.0);
  EXPECT_STREQ(p.UnitText(), "steps");
}

}  // namespace
