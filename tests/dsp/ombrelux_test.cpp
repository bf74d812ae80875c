// The dynamics processor: envelope tracker, saturation, the three bands in series, the gain-change
// report, curve mode, refused blocks and robustness against hostile input.
#include "dsp/ombrelux.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/dsp/dsptest.h"

namespace {

using dsptest::FromDb;

// Counts the high-rate steps.
class CountingEngine : public Ombrelux {
 public:
  void ProcessFrames(double* interleaved, int frames) override {
    ++calls;
    lastFrames = frames;
    Ombrelux::ProcessFrames(interleaved, frames);
  }
  int calls = 0;
  int lastFrames = -1;
};

// Can be told to fail to get its scratch room.
class StarvedEngine : public Ombrelux {
 public:
  bool starve = false;

 protected:
  bool ReserveScratch(size_t highFrames) override {
    return Ombrelux::ReserveScratch(starve ? SIZE_MAX / 2 : highFrames);
  }
};

// Records the largest room (high-rate frames) it is ever asked for.
class RoomWatchingEngine : public Ombrelux {
 public:
  size_t largest = 0;

 protected:
  bool ReserveScratch(size_t highFrames) override {
    if (highFrames > largest) largest = highFrames;
    return Ombrelux::ReserveScratch(highFrames);
  }
};

void SetBand(BasicComp& band, double thresholdDb, double ratio) {
  band.mThreshold = FromDb(thresholdDb);
  band.mRatio = ratio;
}

// Settings a user might pick, with tracker times of 0.5 ms and 100 ms at the running rate.
void Configure(Ombrelux& e, int factor) {
  ASSERT_TRUE(e.ChangeSampleRate(44100));
  e.SetOversampling(factor);
  SetBand(e.mTopComp, -20.0, 4.0);
  SetBand(e.mBtmComp, -40.0, 3.0);
  SetBand(e.mMidComp, -24.0, 2.0);
  e.mSaturation = 1.5;
  const double rate = 44100.0 * factor;
  for (TrackerChannel* c : {&e.mTracker.mLeft, &e.mTracker.mRight}) {
    c->mAttackCoef = std::exp(-1.0 / (0.0005 * rate));
    c->mReleaseCoef = std::exp(-1.0 / (0.1 * rate));
  }
}

// A block of gain -12 dB on an engine at factor 1 whose tracker follows instantly.
void RunCuttingBlock(Ombrelux& e) {
  SetBand(e.mTopComp, -20.0, 4.0);
  std::vector<double> v = {1.0, 1.0};
  ASSERT_TRUE(e.ProcessInterleaved(v.data(), 1));
  ASSERT_NEAR(e.mGainChangeDb, -12.0, 1e-9);
}

// ---------------------------------------------------------------- envelope tracker

TEST(Ombrelux, StartsWithAnEmptyTrackerAndNothingSwitchedOn) {
  Ombrelux e;
  const EnvelopeTracker& t = e.mTracker;
  for (const TrackerChannel* c : {&t.mLeft, &t.mRight}) {
    EXPECT_EQ(c->mEnv, 0.0);
    EXPECT_EQ(c->mRate, 44100);
    EXPECT_EQ(c->mAttackCoef, 0.0);
    EXPECT_EQ(c->mReleaseCoef, 0.0);
  }
  EXPECT_EQ(t.mBuffer, nullptr);
  EXPECT_EQ(t.mBlockPeak, 0.0);
  EXPECT_EQ(e.mGainChangeDb, 0.0);
  EXPECT_EQ(e.mSaturation, 0.0);
  EXPECT_FALSE(e.mCurveMode);
  EXPECT_EQ(e.mTopComp.mRatio, 1.0);
}

TEST(EnvelopeTracker, AttacksOnRisingInputAndReleasesOtherwise) {
  EnvelopeTracker t;
  for (TrackerChannel* c : {&t.mLeft, &t.mRight}) {
    c->mAttackCoef = 0.5;
    c->mReleaseCoef = 0.9;
  }
  const double left[] = {1.0, -0.5, 0.5, 0.0};
  const double right[] = {0.0, 0.2, -1.0, 0.0};
  double env[4];
  t.mBuffer = env;
  t.Run(left, right, 4);
  // left:  0.5, 0.5, 0.5, 0.45
  // right: 0, 0.5 x 0.2 = 0.1, 0.5 x 1 + 0.5 x 0.1 = 0.55, 0.9 x 0.55 = 0.495
  EXPECT_NEAR(env[0], 0.5, 1e-15);
  EXPECT_NEAR(env[1], 0.5, 1e-15);
  EXPECT_NEAR(env[2], 0.55, 1e-15);
  EXPECT_NEAR(env[3], 0.495, 1e-15);
  EXPECT_NEAR(t.mBlockPeak, 0.55, 1e-15);
  EXPECT_NEAR(t.mLeft.mEnv, 0.45, 1e-15);
  EXPECT_NEAR(t.mRight.mEnv, 0.495, 1e-15);
}

TEST(EnvelopeTracker, ValuesBelowAThousandthAreStoredAsZero) {
  EnvelopeTracker t;  // coefficients 0: the envelope is the rectified input
  const double left[] = {0.0009, 0.001, -0.00099999, -0.002, 0.0};
  const double right[] = {0.0, 0.0, 0.0, 0.0005, 0.0008};
  double env[5];
  t.mBuffer = env;
  t.Run(left, right, 5);
  EXPECT_EQ(env[0], 0.0);
  EXPECT_EQ(env[1], 0.001);
  EXPECT_EQ(env[2], 0.0);
  EXPECT_EQ(env[3], 0.002);
  EXPECT_EQ(env[4], 0.0);
  EXPECT_EQ(t.mBlockPeak, 0.002);
  EXPECT_EQ(t.mRight.mEnv, 0.0008);  // the envelope itself is not floored

  t.Run(left, right, 1);
  EXPECT_EQ(t.mBlockPeak, 0.0);  // the peak is per block
}

TEST(EnvelopeTracker, CarriesOverFromBlockToBlock) {
  EnvelopeTracker whole, split;
  for (EnvelopeTracker* t : {&whole, &split}) {
    for (TrackerChannel* c : {&t->mLeft, &t->mRight}) {
      c->mAttackCoef = 0.3;
      c->mReleaseCoef = 0.99;
    }
  }
  const std::vector<double> in = dsptest::RandomStereo(64, 50);
  std::vector<double> left(64), right(64), a(64), b(64);
  DeinterleaveStereo(64, left.data(), right.data(), in.data());
  whole.mBuffer = a.data();
  whole.Run(left.data(), right.data(), 64);
  split.mBuffer = b.data();
  split.Run(left.data(), right.data(), 20);
  split.mBuffer = b.data() + 20;
  split.Run(left.data() + 20, right.data() + 20, 44);
  EXPECT_EQ(a, b);
}

TEST(EnvelopeTracker, InterleavedFramesGiveTheSameEnvelopeAsSplitOnes) {
  // The hand example of AttacksOnRisingInputAndReleasesOtherwise, laid out as interleaved frames.
  EnvelopeTracker t;
  for (TrackerChannel* c : {&t.mLeft, &t.mRight}) {
    c->mAttackCoef = 0.5;
    c->mReleaseCoef = 0.9;
  }
  const double frames[] = {1.0, 0.0, -0.5, 0.2, 0.5, -1.0, 0.0, 0.0};
  double env[4];
  t.mBuffer = env;
  Dsp::FollowerJob job = t.Job(frames, env, 4);
  Dsp::FollowAll(job);
  t.Finish(job);
  const double want[] = {0.5, 0.5, 0.55, 0.495};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(env[i], want[i], 1e-15) << i;
  EXPECT_NEAR(t.mBlockPeak, 0.55, 1e-15);
  EXPECT_NEAR(t.mLeft.mEnv, 0.45, 1e-15);
  EXPECT_NEAR(t.mRight.mEnv, 0.495, 1e-15);
}

// ---------------------------------------------------------------- engine set-up

TEST(Ombrelux, TrackerRunsAtTheOversampledRate) {
  Ombrelux e;
  ASSERT_TRUE(e.ChangeSampleRate(48000));
  EXPECT_EQ(e.mTracker.mLeft.mRate, 44100);  // only SetOversampling passes the rate on
  e.SetOversampling(4);
  EXPECT_EQ(e.mTracker.mLeft.mRate, 192000);
  EXPECT_EQ(e.mTracker.mRight.mRate, 192000);
  ASSERT_TRUE(e.ChangeSampleRate(96000));
  e.SetOversampling(3);
  EXPECT_EQ(e.mTracker.mLeft.mRate, 288000);
  EXPECT_EQ(e.mTracker.mRight.mRate, 288000);
  e.SetOversampling(0);
  EXPECT_EQ(e.mTracker.mLeft.mRate, 96000);
}

TEST(Ombrelux, FactorFourBlockOf512RunsOneStepOf2048Frames) {
  CountingEngine e;
  Configure(e, 4);
  std::vector<double> v = dsptest::RandomStereo(512 + 4, 51, 0.5);
  const std::vector<double> tail(v.end() - 8, v.end());
  ASSERT_TRUE(e.ProcessInterleaved(v.data(), 512));
  EXPECT_EQ(e.calls, 1);
  EXPECT_EQ(e.lastFrames, 2048);
  EXPECT_EQ(std::vector<double>(v.end() - 8, v.end()), tail);
  EXPECT_TRUE(dsptest::AllFinite(v));
}

// ---------------------------------------------------------------- processing at factor 1

TEST(Ombrelux, UnitRatiosWithoutSaturationPassBitForBit) {
  Ombrelux e;
  e.SetOversampling(1);
  SetBand(e.mTopComp, -30.0, 1.0);
  SetBand(e.mBtmComp, -20.0, 1.0);
  SetBand(e.mMidComp, -25.0, 1.0);
  e.mTracker.mLeft.mAttackCoef = e.mTracker.mRight.mAttackCoef = 0.9;
  e.mTracker.mLeft.mReleaseCoef = e.mTracker.mRight.mReleaseCoef = 0.999;
  for (int block = 0; block < 4; ++block) {
    const std::vector<double> in = dsptest::RandomStereo(256, 52 + block);
    std::vector<double> v = in;
    ASSERT_TRUE(e.ProcessInterleaved(v.data(), 256));
    EXPECT_EQ(v, in);
    EXPECT_EQ(e.mGainChangeDb, 0.0);
  }
}

TEST(Ombrelux, SaturationIsTanhOfDriveTimesInputOverDrive) {
  Ombrelux e;
  e.SetOversampling(1);
  e.mSaturation = 2.0;
  std::vector<double> v = {0.5, -0.5};
  ASSERT_TRUE(e.ProcessInterleaved(v.data(), 1));
  EXPECT_NEAR(v[0], 0.3807970779778824, 1e-15);
  EXPECT_NEAR(v[1], -0.3807970779778824, 1e-15);

  e.mSaturation = 10.0;
  v = {1.0, 0.0};
  ASSERT_TRUE(e.ProcessInterleaved(v.data(), 1));
  EXPECT_NEAR(v[0], 0.09999999958776927, 1e-15);
  EXPECT_EQ(v[1], 0.0);
}

// With attack and release coefficients of 0 the envelope is max(|left|, |right|) of each frame.
TEST(Ombrelux, BandsActInSeriesOnTheSharedEnvelope) {
  Ombrelux e;
  e.SetOversampling(1);
  SetBand(e.mTopComp, -20.0, 4.0);
  SetBand(e.mBtmComp, -40.0, 2.0);
  SetBand(e.mMidComp, -30.0, 4.0);
  const double x45 = FromDb(-45.0), x30 = FromDb(-30.0);
  // Frame 0 at 0 dB: Top -12 (limit), Mid -12 (limit). Frame 1 at -45 dB: Btm +2.5, Mid +7.5.
  // Frame 2 at -30 dB (the right channel sets the level): no band moves.
  std::vector<double> v = {1.0, -0.5, 0.0, -x45, x30 / 2, x30};
  ASSERT_TRUE(e.ProcessInterleaved(v.data(), 3));
  const double g0 = FromDb(-24.0), g1 = FromDb(10.0);
  EXPECT_NEAR(v[0], g0, 1e-12);
  EXPECT_NEAR(v[1], -0.5 * g0, 1e-12);
  EXPECT_EQ(v[2], 0.0);
  EXPECT_NEAR(v[3], -x45 * g1, 1e-12);
  EXPECT_NEAR(v[4], x30 / 2, 1e-15);
  EXPECT_NEAR(v[5], x30, 1e-15);
  EXPECT_EQ(e.mTracker.mBlockPeak, 1.0);
}

// ---------------------------------------------------------------- gain-change report

TEST(GainChangeReport, LargestSingleBandChangeWithItsSign) {
  Ombrelux e;
  e.SetOversampling(1);
  SetBand(e.mTopComp, -20.0, 4.0);
  SetBand(e.mBtmComp, -40.0, 2.0);
  const double x45 = FromDb(-45.0);
  std::vector<double> v = {1.0, 1.0, x45, 0.0};  // Top -12 dB, Btm +2.5 dB
  ASSERT_TRUE(e.ProcessInterleaved(v.data(), 2));
  EXPECT_NEAR(e.mGainChangeDb, -12.0, 1e-9);

  SetBand(e.mBtmComp, -20.0, 10.0);
  const double x47 = FromDb(-47.0);
  v = {x47, x47};  // Btm +24.3 dB, unlimited
  ASSERT_TRUE(e.ProcessInterleaved(v.data(), 1));
  EXPECT_NEAR(e.mGainChangeDb, 24.3, 1e-9);
  EXPECT_NEAR(v[0], x47 * FromDb(24.3), 1e-12);
}

TEST(GainChangeReport, TieKeepsTheEarlierBand) {
  Ombrelux e;
  e.SetOversampling(1);
  SetBand(e.mTopComp, -20.0, 4.0);
  e.mTopComp.mMinGain = 0.5;  // Top's cut at 0 dB: exactly -6.02 dB
  SetBand(e.mMidComp, 0.0, 4.0);
  e.mMidComp.mMaxGain = 2.0;  // Mid's boost at -40 dB: exactly +6.02 dB
  std::vector<double> v = {1.0, 1.0, 0.01, 0.01};
  ASSERT_TRUE(e.ProcessInterleaved(v.data(), 2));
  EXPECT_EQ(v[0], 0.5);
  EXPECT_EQ(v[2], 0.02);
  EXPECT_NEAR(e.mGainChangeDb, dsptest::ToDb(0.5), 1e-12);
  EXPECT_LT(e.mGainChangeDb, 0.0);

  e.mMidComp.mMaxGain = 2.5;
  v = {1.0, 1.0, 0.01, 0.01};
  ASSERT_TRUE(e.ProcessInterleaved(v.data(), 2));
  EXPECT_NEAR(e.mGainChangeDb, dsptest::ToDb(2.5), 1e-12);
}

// Mid boosts quiet frames and cuts loud ones: its block result and the report are the larger move
// in dB, with its sign; a boost and a cut of one size give the cut. (Threshold -30 dB, ratio 4:
// half the distance to the threshold, each way.)
TEST(GainChangeReport, MidReportsTheLargerOfItsBoostAndItsCut) {
  struct Case {
    double quietDb, loudDb;  // the block's two frames
    double maxGain, minGain;
    double resultDb;
  };
  const Case cases[] = {
      {-46.0, -18.0, 100.0, 0.01, 8.0},            // +8 against -6
      {-40.0, -14.0, 100.0, 0.01, -8.0},           // +5 against -8
      {-46.0, -10.0, 2.0, 0.5, dsptest::ToDb(0.5)},  // +8 and -10 held to +-6.02 dB: a tie
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.resultDb);
    Ombrelux e;
    e.SetOversampling(1);
    SetBand(e.mMidComp, -30.0, 4.0);
    e.mMidComp.mMaxGain = c.maxGain;
    e.mMidComp.mMinGain = c.minGain;
    std::vector<double> v = {FromDb(c.quietDb), 0.0, FromDb(c.loudDb), 0.0};
    ASSERT_TRUE(e.ProcessInterleaved(v.data(), 2));
    EXPECT_NEAR(e.mGainChangeDb, c.resultDb, 1e-9);
    EXPECT_NEAR(e.mMidComp.mResult, FromDb(c.resultDb), 1e-12);
  }
}

TEST(GainChangeReport, EmptyBlockReportsZeroAndTouchesNothing) {
  Ombrelux e;
  e.SetOversampling(1);
  e.mTracker.mLeft.mReleaseCoef = e.mTracker.mRight.mReleaseCoef = 0.5;
  RunCuttingBlock(e);
  const double envL = e.mTracker.mLeft.mEnv, envR = e.mTracker.mRight.mEnv;
  double sentinel[2] = {0.75, 0.25};
  ASSERT_TRUE(e.ProcessInterleaved(sentinel, 0));
  EXPECT_EQ(e.mGainChangeDb, 0.0);
  EXPECT_EQ(e.mTopComp.mResult, 1.0);
  EXPECT_EQ(e.mTracker.mLeft.mEnv, envL);
  EXPECT_EQ(e.mTracker.mRight.mEnv, envR);
  EXPECT_EQ(sentinel[0], 0.75);
  EXPECT_EQ(sentinel[1], 0.25);
}

TEST(GainChangeReport, BlockWithoutScratchRoomStaysDryAndReportsZero) {
  StarvedEngine e;
  e.SetOversampling(1);
  RunCuttingBlock(e);
  e.starve = true;
  std::vector<double> v = {1.0, 1.0, 0.5, -0.5};
  EXPECT_FALSE(e.ProcessInterleaved(v.data(), 2));
  EXPECT_EQ(v, (std::vector<double>{1.0, 1.0, 0.5, -0.5}));
  EXPECT_EQ(e.mGainChangeDb, 0.0);
}

// Room made beforehand covers every block up to that length at the factor then in force; a block
// past it (or an unaddressable length) is refused by Prepare as by processing.
TEST(GainChangeReport, PreparedRoomCoversBlocksUpToItsLength) {
  RoomWatchingEngine e;
  e.SetOversampling(4);
  ASSERT_TRUE(e.Prepare(512));
  EXPECT_EQ(e.largest, 2048u);
  std::vector<double> v = dsptest::RandomStereo(512, 3, 0.5);
  for (int frames : {512, 1, 300, 512}) {
    ASSERT_TRUE(e.ProcessInterleaved(v.data(), frames));
    EXPECT_EQ(e.largest, 2048u) << frames;
  }
  EXPECT_FALSE(e.Prepare(300000000));  // 1.2e9 frames at the high rate: beyond what is addressed
  EXPECT_TRUE(e.Prepare(0));
}

TEST(GainChangeReport, OversizedBlockStaysDryAndReportsZero) {
  Ombrelux e;
  e.SetOversampling(1);
  RunCuttingBlock(e);
  e.SetOversampling(4);
  double small[4] = {1.0, 1.0, 1.0, 1.0};
  EXPECT_FALSE(e.ProcessInterleaved(small, 300000000));
  for (double x : small) EXPECT_EQ(x, 1.0);
  EXPECT_EQ(e.mGainChangeDb, 0.0);
}

// ---------------------------------------------------------------- curve mode

TEST(CurveMode, OneFrameGivesTheStaticGainOfTheThreeBands) {
  Ombrelux e;
  e.SetOversampling(1);
  e.mCurveMode = true;
  e.mSaturation = 5.0;  // ignored in curve mode
  e.mTracker.mLeft.mAttackCoef = e.mTracker.mRight.mAttackCoef = 0.5;
  SetBand(e.mTopComp, -20.0, 4.0);  // knee -25 .. -15
  SetBand(e.mBtmComp, -40.0, 2.0);  // knee -44 .. -36
  SetBand(e.mMidComp, -30.0, 3.0);
  struct Point {
    double levelDb, gainDb;
  };
  const double s3 = std::sqrt(3.0);
  const Point points[] = {
      {-60.0, 0.0},                                      // gated
      {-47.0, 3.5 + (-17.0 / s3 + 17.0)},                // Btm hard, Mid boost
      {-42.0, 0.5 * 36.0 / 16.0 + (-12.0 / s3 + 12.0)},  // Btm knee
      {-30.0, 0.0},                                      // on Mid's threshold
      {-20.0, -0.9375 + (10.0 / s3 - 10.0)},             // Top knee midpoint
      {-16.0, -3.0375 + (14.0 / s3 - 14.0)},
      {-6.0, -10.5 + (24.0 / s3 - 24.0)},  // Top hard
      {0.0, -12.0 + -12.0},                // Top and Mid at their limits
  };
  for (const Point& p : points) {
    SCOPED_TRACE(p.levelDb);
    const double x = FromDb(p.levelDb);
    std::vector<double> v = {x, x};
    e.mExternalEnvelope = v.data();
    ASSERT_TRUE(e.ProcessInterleaved(v.data(), 1));
    EXPECT_NEAR(v[0] / x, FromDb(p.gainDb), 1e-12);
    EXPECT_NEAR(v[1] / x, FromDb(p.gainDb), 1e-12);
  }
  EXPECT_EQ(e.mTracker.mLeft.mEnv, 0.0);
  EXPECT_EQ(e.mTracker.mRight.mEnv, 0.0);
  EXPECT_EQ(e.mTracker.mBlockPeak, 0.0);
  EXPECT_EQ(e.mTracker.mBuffer, nullptr);
}

TEST(CurveMode, NoEnvelopeGivenLeavesTheSignalAlone) {
  Ombrelux e;
  e.SetOversampling(1);
  e.mCurveMode = true;
  SetBand(e.mTopComp, -20.0, 4.0);
  SetBand(e.mMidComp, -30.0, 3.0);
  std::vector<double> v = {1.0, -1.0, 0.25, 0.5};
  ASSERT_TRUE(e.ProcessInterleaved(v.data(), 2));
  EXPECT_EQ(v, (std::vector<double>{1.0, -1.0, 0.25, 0.5}));
  EXPECT_EQ(e.mGainChangeDb, 0.0);
  EXPECT_EQ(e.mTopComp.mResult, 1.0);
  EXPECT_EQ(e.mMidComp.mResult, 1.0);
}

// The engine takes the three bands' gains together; that must be the three bands applied one after
// the other, each on its own, over every region of their curves (gate, knees, lines, limits), with
// the same block results, and settings changed between blocks must count from the next block on.
TEST(CurveMode, CombinedBandsEqualTheBandsInSeries) {
  std::mt19937_64 gen(7);
  std::uniform_real_distribution<double> levelDb(-70.0, 6.0), thresholdDb(-50.0, 0.0),
      ratio(0.5, 12.0);
  Ombrelux e;
  e.SetOversampling(1);
  e.mCurveMode = true;
  for (int trial = 0; trial < 40; ++trial) {
    SCOPED_TRACE(trial);
    TopComp top;
    BtmComp btm;
    MidComp mid;
    SetBand(top, thresholdDb(gen), ratio(gen));
    SetBand(btm, thresholdDb(gen), ratio(gen));
    SetBand(mid, thresholdDb(gen), ratio(gen));
    if (trial % 4 == 3) {  // other limits, as a host could never set but the engine must honour
      top.mMinGain = FromDb(-3.0 * (trial % 7));
      mid.mMaxGain = FromDb(2.0 + trial % 5);
    }
    for (BasicComp* b : std::vector<BasicComp*>{&e.mTopComp, &e.mBtmComp, &e.mMidComp}) {
      const BasicComp& from = b == &e.mTopComp ? static_cast<BasicComp&>(top)
                              : b == &e.mBtmComp ? static_cast<BasicComp&>(btm)
                                                 : static_cast<BasicComp&>(mid);
      b->mThreshold = from.mThreshold;
      b->mRatio = from.mRatio;
      b->mMinGain = from.mMinGain;
      b->mMaxGain = from.mMaxGain;
    }
    const int frames = 300 + 37 * trial;
    std::vector<double> env(frames), left(frames), right(frames), v(2 * frames);
    for (int i = 0; i < frames; ++i) {
      env[i] = FromDb(levelDb(gen));
      left[i] = v[2 * i] = 0.25 + 0.001 * i;
      right[i] = v[2 * i + 1] = -0.5;
    }
    e.mExternalEnvelope = env.data();
    ASSERT_TRUE(e.ProcessInterleaved(v.data(), frames));
    top.mEnvelope = btm.mEnvelope = mid.mEnvelope = env.data();
    top.ApplyGain(left.data(), right.data(), frames);
    btm.ApplyGain(left.data(), right.data(), frames);
    mid.ApplyGain(left.data(), right.data(), frames);
    for (int i = 0; i < frames; ++i) {
      ASSERT_NEAR(v[2 * i], left[i], 1e-12 * std::fabs(left[i])) << i;
      ASSERT_NEAR(v[2 * i + 1], right[i], 1e-12 * std::fabs(right[i])) << i;
    }
    EXPECT_NEAR(e.mTopComp.mResult, top.mResult, 1e-12 * top.mResult);
    EXPECT_NEAR(e.mBtmComp.mResult, btm.mResult, 1e-12 * btm.mResult);
    EXPECT_NEAR(e.mMidComp.mResult, mid.mResult, 1e-12 * mid.mResult);
  }
}

// The array maths and the filters run on four-lane registers where the processor has AVX2 (the
// array maths on eight-lane ones where it has AVX-512) and on two-lane ones elsewhere: the engine must give the same bits either way (one sound on every
// machine), at every factor, for blocks of any length, with saturation, tracker and all three
// bands at work, through silence after loud input too.
TEST(Ombrelux, WideAndTwoLaneRoadsGiveTheSameBits) {
  if (!Dsp::WideRoadActive()) GTEST_SKIP() << "no AVX2 road here";
  for (const dsptest::WideRoad& road : dsptest::WideRoads()) {
    SCOPED_TRACE(road.name);
    for (int factor : {1, 2, 4}) {
      SCOPED_TRACE(factor);
      Ombrelux wide, narrow;
      Configure(wide, factor);
      Configure(narrow, factor);
      std::mt19937_64 gen(factor);
      std::uniform_real_distribution<double> level(-60.0, 0.0);
      const int blocks[] = {1, 3, 7, 32, 61, 256, 5, 512};
      for (int round = 0; round < 24; ++round) {
        const int frames = blocks[round % 8];
        std::vector<double> a = dsptest::RandomStereo(frames, 1000 + round, FromDb(level(gen)));
        if (round >= 16) a.assign(a.size(), 0.0);  // silence after loud input
        std::vector<double> b = a;
        {
          dsptest::OnWideRoad on(road);
          ASSERT_TRUE(wide.ProcessInterleaved(a.data(), frames));
        }
        {
          dsptest::TwoLaneRoad two;
          ASSERT_TRUE(narrow.ProcessInterleaved(b.data(), frames));
        }
        ASSERT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(double)), 0) << round;
        ASSERT_EQ(std::memcmp(&wide.mGainChangeDb, &narrow.mGainChangeDb, sizeof(double)), 0);
        ASSERT_EQ(wide.mTracker.mBlockPeak, narrow.mTracker.mBlockPeak);
      }
    }
  }
}

// The engine runs its up filter a chunk at a time with the tracker following the chunk before;
// the plain road filters the whole block, then saturates and follows it. Every block length (one
// chunk or less, chunks and a remainder), both factors, with and without saturation and a dry
// share, on every road: the same bits, the same envelope, report and peak.
class PlainRoadOmbrelux : public Ombrelux {
 protected:
  void FilterUpAndProcess(double* highRate, int highFrames, double* dry) override {
    AudioProcessor::FilterUpAndProcess(highRate, highFrames, dry);
  }
};

TEST(Ombrelux, ChunkedUpFilterGivesTheBitsOfThePlainRoad) {
  enum Road { kDefault, kTwoLane, kPerChannel };
  for (Road road : {kDefault, kTwoLane, kPerChannel}) {
    if (road == kTwoLane) Dsp::AllowWideRoad(false);
    if (road == kPerChannel) Dsp::AllowPackedRoad(false);
    for (int factor : {2, 4}) {
      for (double drive : {1.5, 0.0}) {
        for (double wet : {1.0, 0.7}) {
          SCOPED_TRACE(testing::Message() << "road " << road << ", factor " << factor << ", drive "
                                          << drive << ", wet " << wet);
          Ombrelux chunked;
          PlainRoadOmbrelux plain;
          for (Ombrelux* e : {&chunked, static_cast<Ombrelux*>(&plain)}) {
            Configure(*e, factor);
            e->mSaturation = drive;
            e->SetMix(wet);
          }
          const int blocks[] = {256, 1, 63, 64, 65, 100, 300, 512, 1000, 33};
          for (int b = 0; b < 10; ++b) {
            const int frames = blocks[b];
            std::vector<double> a = dsptest::RandomStereo(frames, 500 + b, FromDb(-30.0 + 3.0 * b));
            std::vector<double> p = a;
            ASSERT_TRUE(chunked.ProcessInterleaved(a.data(), frames));
            ASSERT_TRUE(plain.ProcessInterleaved(p.data(), frames));
            ASSERT_EQ(std::memcmp(a.data(), p.data(), a.size() * sizeof(double)), 0) << frames;
            ASSERT_EQ(std::memcmp(chunked.mTracker.mBuffer, plain.mTracker.mBuffer,
                                  static_cast<size_t>(frames) * factor * sizeof(double)),
                      0);
            ASSERT_EQ(std::memcmp(&chunked.mGainChangeDb, &plain.mGainChangeDb, sizeof(double)), 0);
            ASSERT_EQ(chunked.mTracker.mBlockPeak, plain.mTracker.mBlockPeak);
            ASSERT_EQ(chunked.mTracker.mLeft.mEnv, plain.mTracker.mLeft.mEnv);
            ASSERT_EQ(chunked.mTracker.mRight.mEnv, plain.mTracker.mRight.mEnv);
          }
        }
      }
    }
    Dsp::AllowWideRoad(true);
    Dsp::AllowPackedRoad(true);
  }
}

// ---------------------------------------------------------------- robustness

class Robustness : public testing::TestWithParam<int> {};

TEST_P(Robustness, HostileInputNeverGivesNonFiniteOutput) {
  Ombrelux e;
  Configure(e, GetParam());
  const double pattern[] = {NAN, INFINITY, -INFINITY, 1e-310, -4.9e-324, 1.0, -1.0, -NAN};
  for (int block = 0; block < 4; ++block) {
    std::vector<double> v(2 * 512);
    for (size_t i = 0; i < v.size(); ++i) v[i] = pattern[(i + block) % 8];
    ASSERT_TRUE(e.ProcessInterleaved(v.data(), 512));
    ASSERT_TRUE(dsptest::AllFinite(v)) << block;
    ASSERT_TRUE(std::isfinite(e.mGainChangeDb));
  }
  for (int block = 0; block < 4; ++block) {
    std::vector<double> v = dsptest::StereoSine(512, 0.01, 0.5, 512 * block);
    ASSERT_TRUE(e.ProcessInterleaved(v.data(), 512));
    ASSERT_TRUE(dsptest::AllFinite(v)) << block;
    EXPECT_GT(dsptest::MaxAbs(v), 0.01);
  }
}

TEST_P(Robustness, FullScaleSquareWavesStayFiniteAndBounded) {
  Ombrelux e;
  Configure(e, GetParam());
  for (int halfPeriod : {1, 3, 32}) {
    for (int block = 0; block < 20; ++block) {
      std::vector<double> v(2 * 512);
      for (int n = 0; n < 512; ++n) {
        const double s = ((n + 512 * block) / halfPeriod) % 2 ? 1.0 : -1.0;
        v[2 * n] = s;
        v[2 * n + 1] = halfPeriod == 3 ? -s : s;
      }
      ASSERT_TRUE(e.ProcessInterleaved(v.data(), 512));
      ASSERT_TRUE(dsptest::AllFinite(v)) << halfPeriod << " " << block;
      ASSERT_LT(dsptest::MaxAbs(v), 4.0) << halfPeriod << " " << block;
    }
  }
}

TEST_P(Robustness, LongSilenceAfterLoudAudioDecaysToTinyFiniteOutput) {
  Ombrelux e;
  Configure(e, GetParam());
  for (int block = 0; block < 86; ++block) {  // about a second of loud noise
    std::vector<double> v = dsptest::RandomStereo(512, 60 + block);
    ASSERT_TRUE(e.ProcessInterleaved(v.data(), 512));
  }
  std::vector<double> v;
  for (int block = 0; block < 260; ++block) {  // three seconds of silence
    v.assign(2 * 512, 0.0);
    ASSERT_TRUE(e.ProcessInterleaved(v.data(), 512));
    ASSERT_TRUE(dsptest::AllFinite(v)) << block;
  }
  EXPECT_LT(dsptest::MaxAbs(v), 1e-9);
  for (double y : v) EXPECT_NE(std::fpclassify(y), FP_SUBNORMAL);
  EXPECT_EQ(e.mTracker.mBlockPeak, 0.0);
  EXPECT_EQ(e.mGainChangeDb, 0.0);
}

INSTANTIATE_TEST_SUITE_P(Factors, Robustness, testing::Values(1, 2, 4),
                         [](const testing::TestParamInfo<int>& info) {
                           return "Factor" + std::to_string(info.param);
                         });

}  // namespace

namespace {

// The processing step can also be run on its own (curve-style use): it takes its working arrays
// itself, however large the block.
TEST(OmbreluxDirectStep, ProcessFramesCalledDirectlyGetsItsOwnArrays) {
  Ombrelux e;
  e.mTopComp.mThreshold = 0.1;  // -20 dB
  e.mTopComp.mRatio = 4.0;
  std::vector<double> frames(2 * 3000, 1.0);  // 0 dB on both channels, larger than any reservation
  e.mTracker.mLeft.mAttackCoef = e.mTracker.mRight.mAttackCoef = 0.0;  // envelope follows at once
  e.ProcessFrames(frames.data(), 3000);
  // 0 dB against -20 dB at ratio 4: -15 dB, limited to -12 dB (0.2511886431509649).
  EXPECT_NEAR(frames[0], 0.2511886431509649, 1e-12);
  EXPECT_NEAR(frames[2 * 2999 + 1], 0.2511886431509649, 1e-12);
  EXPECT_NEAR(e.mGainChangeDb, -12.0, 1e-9);
}

TEST(OmbreluxDirectStep, HostRatesUpToTenMegahertzAreTaken) {
  Ombrelux e;
  EXPECT_TRUE(e.ChangeSampleRate(2000000));
  e.SetOversampling(1);
  EXPECT_EQ(e.SampleRate(), 2000000);
  EXPECT_EQ(e.mTracker.mLeft.mRate, 2000000);
  EXPECT_TRUE(e.ChangeSampleRate(10000000));
  EXPECT_FALSE(e.ChangeSampleRate(10000001));
}

}  // namespace
