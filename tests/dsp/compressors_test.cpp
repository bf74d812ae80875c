// The three gain bands: static curves, knees, limits, the -48 dB gate and the block results.
#include "dsp/compressors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tests/dsp/dsptest.h"

namespace {

using dsptest::FromDb;

// Gain of a band for one frame at the given envelope value; checks that both channels get it.
double GainAt(BasicComp& band, double envelope) {
  double left = 1.0, right = -0.375;
  band.mEnvelope = &envelope;
  band.ApplyGain(&left, &right, 1);
  EXPECT_EQ(right, -0.375 * left);
  return left;
}

double GainAtDb(BasicComp& band, double levelDb) { return GainAt(band, FromDb(levelDb)); }

void Set(BasicComp& band, double thresholdDb, double ratio) {
  band.mThreshold = FromDb(thresholdDb);
  band.mRatio = ratio;
}

// Hand-derived static curves in dB (level L, threshold T), before the gate.
// Top: knee of width k = -T/2 centred on T, inside it -q (L - lo)^2 / (2k), else min((T - L) q, 0).
double TopCurveDb(double L, double T, double ratio) {
  const double q = 1.0 - 1.0 / ratio, k = -T / 2.0, lo = T - k / 2.0, hi = T + k / 2.0;
  const double h = (k > 0.0 && L > lo && L < hi) ? -q * (L - lo) * (L - lo) / (2.0 * k)
                                                 : std::min((T - L) * q, 0.0);
  return std::max(h, -12.0);
}
// Bottom: knee of width k = -T/5, inside it q (hi - L)^2 / (2k), else max((T - L) q, 0); no limit.
double BtmCurveDb(double L, double T, double ratio) {
  const double q = 1.0 - 1.0 / ratio, k = -T / 5.0, lo = T - k / 2.0, hi = T + k / 2.0;
  return (k > 0.0 && L > lo && L < hi) ? q * (hi - L) * (hi - L) / (2.0 * k)
                                       : std::max((T - L) * q, 0.0);
}
// Middle: a distance c from the threshold becomes c / sqrt(ratio), within +-12 dB.
double MidCurveDb(double L, double T, double ratio) {
  const double c = L - T;
  if (c <= -110.0) return 0.0;
  return std::min(12.0, std::max(-12.0, c / std::sqrt(ratio) - c));
}

// ---------------------------------------------------------------- shared

TEST(BasicComp, StartsNeutralWithTwelveDbLimits) {
  TopComp top;
  BtmComp btm;
  MidComp mid;
  for (BasicComp* b : std::vector<BasicComp*>{&top, &btm, &mid}) {
    EXPECT_EQ(b->mThreshold, 1.0);
    EXPECT_EQ(b->mRatio, 1.0);
    EXPECT_EQ(b->mResult, 1.0);
    EXPECT_NEAR(b->mMaxGain, 3.981071705534863, 1e-12);
    EXPECT_NEAR(b->mMinGain, 0.2511886431509649, 1e-12);
    EXPECT_NEAR(b->mMaxGain, FromDb(12.0), 1e-12);
  }
}

TEST(BasicComp, UnitRatioLeavesEveryLevelAlone) {
  TopComp top;
  BtmComp btm;
  MidComp mid;
  Set(top, -20.0, 1.0);
  Set(btm, -40.0, 1.0);
  Set(mid, -30.0, 1.0);
  for (double L = -47.0; L <= 20.0; L += 0.5) {
    EXPECT_EQ(GainAtDb(top, L), 1.0) << L;
    EXPECT_EQ(GainAtDb(btm, L), 1.0) << L;
    EXPECT_EQ(GainAtDb(mid, L), 1.0) << L;
  }
}

TEST(BasicComp, EveryBandFollowsItsStaticCurve) {
  for (double T : {-40.0, -20.0, -6.0, 0.0}) {
    for (double ratio : {1.5, 4.0, 10.0}) {
      TopComp top;
      BtmComp btm;
      MidComp mid;
      Set(top, T, ratio);
      Set(btm, T, ratio);
      Set(mid, T, ratio);
      for (double L = -47.0; L <= 24.0; L += 0.25) {
        SCOPED_TRACE(testing::Message() << "T " << T << " ratio " << ratio << " L " << L);
        EXPECT_NEAR(GainAtDb(top, L), FromDb(TopCurveDb(L, T, ratio)), 1e-12);
        EXPECT_NEAR(GainAtDb(btm, L), FromDb(BtmCurveDb(L, T, ratio)), 1e-12 * FromDb(40.0));
        EXPECT_NEAR(GainAtDb(mid, L), FromDb(MidCurveDb(L, T, ratio)), 4e-12);
      }
    }
  }
}

TEST(BasicComp, GateHoldsGainAtOneBelowMinus48Db) {
  TopComp top;
  BtmComp btm;
  MidComp mid;
  Set(top, -80.0, 4.0);  // -48 dB is 32 dB over the threshold: the -12 dB limit
  Set(btm, 0.0, 2.0);    // 48 dB under the threshold: +24 dB
  Set(mid, 0.0, 4.0);    // 48 dB under the threshold: held at +12 dB
  for (BasicComp* b : std::vector<BasicComp*>{&top, &btm, &mid}) {
    EXPECT_EQ(GainAt(*b, 0.00398), 1.0);
    EXPECT_EQ(GainAt(*b, 0.0), 1.0);
    EXPECT_EQ(b->mResult, 1.0);
  }
  EXPECT_NEAR(GainAt(top, 0.00398107), 0.2511886431509649, 1e-12);
  // Half of the distance to 0 dB: e^-0.5.
  EXPECT_NEAR(GainAt(btm, 0.00398107), 1.0 / std::sqrt(0.00398107), 1e-11);
  EXPECT_NEAR(GainAt(mid, 0.00398107), 3.981071705534863, 1e-12);
}

// ---------------------------------------------------------------- TopComp

TEST(TopComp, FullScaleOverMinus20DbThresholdIsHeldAtTheMinus12DbLimit) {
  TopComp top;
  top.mThreshold = 0.1;
  top.mRatio = 4.0;
  // Hard curve: (-20 - 0) x 0.75 = -15 dB, limited to -12 dB.
  EXPECT_NEAR(GainAt(top, 1.0), 0.2511886431509649, 1e-12);
}

TEST(TopComp, KneeMidpointGivesQuarterOfTheCutAtTheKneeTop) {
  TopComp top;
  top.mThreshold = 0.1;  // T = -20 dB: k = 10, knee -25 .. -15 dB, q = 0.75
  top.mRatio = 4.0;
  // -0.75 x 5^2 / 20 = -0.9375 dB; at the knee top the hard curve gives -3.75 dB.
  EXPECT_NEAR(GainAtDb(top, -20.0), FromDb(-0.9375), 1e-12);
  EXPECT_NEAR(GainAtDb(top, -16.0), FromDb(-3.0375), 1e-12);  // -0.75 x 81 / 20
  EXPECT_NEAR(GainAtDb(top, -15.0), FromDb(-3.75), 1e-12);
  EXPECT_NEAR(GainAtDb(top, -10.0), FromDb(-7.5), 1e-12);
  EXPECT_EQ(GainAtDb(top, -30.0), 1.0);
}

TEST(TopComp, BlockResultIsTheSmallestGainAndStartsAfreshEachBlock) {
  TopComp top;
  Set(top, -20.0, 4.0);
  const double env[] = {0.001, FromDb(-20.0), 1.0, 0.01};
  double left[4] = {1, 1, 1, 1}, right[4] = {2, 2, 2, 2};
  top.mEnvelope = env;
  top.ApplyGain(left, right, 4);
  EXPECT_EQ(left[0], 1.0);
  EXPECT_NEAR(left[1], FromDb(-0.9375), 1e-12);
  EXPECT_NEAR(left[2], top.mMinGain, 1e-15);
  EXPECT_EQ(left[3], 1.0);
  EXPECT_NEAR(right[1], 2.0 * FromDb(-0.9375), 1e-12);
  EXPECT_EQ(top.mResult, left[2]);

  top.ApplyGain(left, right, 1);  // only the gated frame
  EXPECT_EQ(top.mResult, 1.0);
  top.ApplyGain(left, right, 0);
  EXPECT_EQ(top.mResult, 1.0);
}

// ---------------------------------------------------------------- BtmComp

TEST(BtmComp, LowLevelBoostIsNotLimited) {
  BtmComp btm;
  btm.mThreshold = 0.1;  // -20 dB, knee -22 .. -18 dB
  btm.mRatio = 10.0;
  // (-20 + 47) x 0.9 = 24.3 dB
  const double g = GainAtDb(btm, -47.0);
  EXPECT_NEAR(g, 16.405897731995395, 1e-12 * 16.4);
  EXPECT_GT(g, btm.mMaxGain);
}

TEST(BtmComp, KneeForMinus40DbRunsFromMinus44ToMinus36) {
  BtmComp btm;
  Set(btm, -40.0, 2.0);                                     // k = 8, q = 0.5
  EXPECT_NEAR(GainAtDb(btm, -40.0), FromDb(0.5), 1e-12);    // 0.5 x 16 / 16
  EXPECT_NEAR(GainAtDb(btm, -38.0), FromDb(0.125), 1e-12);  // 0.5 x 4 / 16
  EXPECT_NEAR(GainAtDb(btm, -44.0), FromDb(2.0), 1e-12);
  EXPECT_NEAR(GainAtDb(btm, -44.0 + 1e-7), GainAtDb(btm, -44.0 - 1e-7), 1e-7);
  EXPECT_EQ(GainAtDb(btm, -36.0), 1.0);
  EXPECT_EQ(GainAtDb(btm, -20.0), 1.0);
  EXPECT_NEAR(GainAtDb(btm, -46.0), FromDb(3.0), 1e-12);
}

TEST(BtmComp, BlockResultIsTheLargestGain) {
  BtmComp btm;
  Set(btm, -40.0, 2.0);
  const double env[] = {FromDb(-40.0), FromDb(-46.0), 0.5, 0.002};
  double left[4] = {1, 1, 1, 1}, right[4] = {1, 1, 1, 1};
  btm.mEnvelope = env;
  btm.ApplyGain(left, right, 4);
  EXPECT_NEAR(btm.mResult, FromDb(3.0), 1e-12);
  EXPECT_EQ(btm.mResult, left[1]);
  btm.mEnvelope = env + 2;  // over the threshold, then gated
  btm.ApplyGain(left + 2, right + 2, 2);
  EXPECT_EQ(btm.mResult, 1.0);
}

// ---------------------------------------------------------------- MidComp

TEST(MidComp, TwelveDbAwayBecomesSixDbAwayAtRatioFour) {
  MidComp mid;
  Set(mid, -30.0, 4.0);
  EXPECT_NEAR(GainAtDb(mid, -18.0), FromDb(-6.0), 1e-12);
  EXPECT_NEAR(GainAtDb(mid, -42.0), FromDb(6.0), 1e-12);
  EXPECT_EQ(GainAtDb(mid, -30.0), 1.0);
}

TEST(MidComp, DistancesOfMinus110DbOrMoreAreLeftAlone) {
  MidComp mid;
  mid.mRatio = 4.0;
  mid.mThreshold = FromDb(115.0);
  EXPECT_EQ(GainAt(mid, 1.0), 1.0);
  mid.mThreshold = FromDb(100.0);
  EXPECT_NEAR(GainAt(mid, 1.0), mid.mMaxGain, 1e-12);
  mid.mThreshold = 0.0;  // infinite distance
  EXPECT_EQ(GainAt(mid, 0.5), 1.0);
}

TEST(MidComp, BlockResultIsTheLargerMoveInDb) {
  MidComp mid;
  Set(mid, -30.0, 4.0);
  const double env[] = {FromDb(-18.0), FromDb(-46.0), FromDb(-30.0)};  // -6, +8, 0 dB
  double left[3] = {1, 1, 1}, right[3] = {1, 1, 1};
  mid.mEnvelope = env;
  mid.ApplyGain(left, right, 3);
  EXPECT_NEAR(mid.mResult, FromDb(8.0), 1e-12);
  mid.ApplyGain(left, right, 1);
  EXPECT_NEAR(mid.mResult, FromDb(-6.0), 1e-12);
  mid.mEnvelope = env + 2;  // on the threshold
  mid.ApplyGain(left + 2, right + 2, 1);
  EXPECT_EQ(mid.mResult, 1.0);
  mid.ApplyGain(left, right, 0);
  EXPECT_EQ(mid.mResult, 1.0);
}

TEST(MidComp, TieBetweenBoostAndCutGoesToTheCut) {
  MidComp mid;
  Set(mid, -30.0, 4.0);
  // Limits of exactly +-6.0206 dB make the boost and the cut equal in size.
  mid.mMaxGain = 2.0;
  mid.mMinGain = 0.5;
  const double env[] = {FromDb(-46.0), FromDb(-10.0)};  // +8 dB and -10 dB before the limits
  double left[2] = {1, 1}, right[2] = {1, 1};
  mid.mEnvelope = env;
  mid.ApplyGain(left, right, 2);
  EXPECT_EQ(left[0], 2.0);
  EXPECT_EQ(left[1], 0.5);
  EXPECT_EQ(mid.mResult, 0.5);

  mid.mMaxGain = 2.5;
  mid.ApplyGain(left, right, 2);
  EXPECT_EQ(mid.mResult, 2.5);
}

}  // namespace
