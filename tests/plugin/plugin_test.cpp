// The plug-in class on its own: identity, parameters, the mapping of parameter values onto both
// engines, the oversampling choice and the time constants after a rate change.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "plugin/quibelombrelux.h"

namespace {

struct Plugin {
  // The object is reference counted; the last release deletes it.
  QuibelOmbrelux* fx = new QuibelOmbrelux(IFxCreateArgs());
  ~Plugin() { fx->release(); }
  QuibelOmbrelux* operator->() { return fx; }
};

TEST(QuibelOmbreluxIdentity, DeclaresItsNameIdsLayoutsAndOnePreset) {
  Plugin p;
  EXPECT_STREQ(p->EffectTitle(), "QuibelOmbrelux");
  EXPECT_STREQ(p->MakerTitle(), "Quibel");
  EXPECT_STREQ(p->ProductTitle(), "");
  EXPECT_EQ(p->VendorVersion(), 0x10001);
  EXPECT_EQ(p->PluginId(), 0x4F6D4C78);  // 'OmLx'
  EXPECT_EQ(p->MakerId(), 0x5162656C);   // 'Qbel'
  EXPECT_EQ(p->WrapperFormat(), kFormatVst3);
  EXPECT_TRUE(p->LegalIO(1, 1));
  EXPECT_TRUE(p->LegalIO(2, 2));
  EXPECT_FALSE(p->LegalIO(1, 2));
  ASSERT_EQ(p->PresetCount(), 1);
  EXPECT_TRUE(p->GetPreset(0)->mFilled);
  EXPECT_STREQ(p->PresetLabel(0), "-");
  EXPECT_EQ(p->GetPreset(0)->mState.Size(), 72);
}

TEST(QuibelOmbreluxParameters, TableOfNamesRangesDefaultsAndUnits) {
  Plugin p;
  struct Row {
    const char* name;
    double def, lo, hi, step;
    const char* unit;
    double exponent;
    int decimals;
  };
  const Row rows[] = {
      {"Top Threshold", -19, -48, 0, 0.1, "dB", 1, 1}, {"Top Ratio", 2, 1, 20, 0.1, "", 1, 1},
      {"Avg Threshold", -24, -48, 0, 0.1, "dB", 1, 1}, {"Avg Ratio", 2, 1, 20, 0.1, "", 1, 1},
      {"Btm Threshold", -29, -48, 0, 0.1, "dB", 1, 1}, {"Btm Ratio", 2, 1, 20, 0.1, "", 1, 1},
      {"Attack", 10, 1, 100, 1, "ms", 2, 0},          {"Release", 500, 1, 999, 1, "ms", 2, 0},
      {"Saturation", 20, 0, 100, 1, "%", 1, 0},
  };
  ASSERT_EQ(p->ParamCount(), 9);
  for (int i = 0; i < 9; ++i) {
    const IFxSetting* s = p->GetParam(i);
    SCOPED_TRACE(rows[i].name);
    EXPECT_STREQ(s->NameText(), rows[i].name);
    EXPECT_EQ(s->Kind(), kParamContinuous);
    EXPECT_EQ(s->Value(), rows[i].def);
    EXPECT_EQ(s->Lowest(), rows[i].lo);
    EXPECT_EQ(s->Highest(), rows[i].hi);
    EXPECT_EQ(s->Increment(), rows[i].step);
    EXPECT_STREQ(s->UnitText(), rows[i].unit);
    EXPECT_STREQ(s->GroupText(), "");
    EXPECT_EQ(s->Exponent(), rows[i].exponent);
    EXPECT_EQ(s->Decimals(), rows[i].decimals);
  }
  EXPECT_NEAR(p->GetParam(kAttack)->NormalizedValue(), std::sqrt(9.0 / 99.0), 1e-15);
  EXPECT_NEAR(p->GetParam(kRelease)->NormalizedValue(), std::sqrt(499.0 / 998.0), 1e-15);
}

TEST(QuibelOmbreluxMapping, ThresholdsRatiosAndDriveReachBothEngines) {
  Plugin p;
  p->ResendAllParams(kSourceReset);
  for (const Ombrelux* e : {&p->Engine(), &p->CurveEngine()}) {
    EXPECT_NEAR(e->mTopComp.mThreshold, 0.1122018454302012, 1e-15);  // -19 dB
    EXPECT_NEAR(e->mMidComp.mThreshold, std::pow(10.0, -24.0 / 20.0), 1e-14);
    EXPECT_NEAR(e->mBtmComp.mThreshold, std::pow(10.0, -29.0 / 20.0), 1e-14);
    EXPECT_EQ(e->mTopComp.mRatio, 2.0);
    EXPECT_EQ(e->mMidComp.mRatio, 2.0);
    EXPECT_EQ(e->mBtmComp.mRatio, 2.0);
    EXPECT_DOUBLE_EQ(e->mSaturation, 2.0);  // 20 % is a drive of 2
  }
  p->GetParam(kSaturation)->SetValue(0.0);
  p->ParamChanged(kSaturation, kSourceHost);
  EXPECT_EQ(p->Engine().mSaturation, 0.0);
  // An index outside the table changes nothing.
  const double before = p->Engine().mTopComp.mThreshold;
  p->ParamChanged(9, kSourceHost);
  p->ParamChanged(-1, kSourceHost);
  EXPECT_EQ(p->Engine().mTopComp.mThreshold, before);
}

TEST(QuibelOmbreluxRates, OversamplingFactorFollowsTheHostRate) {
  EXPECT_EQ(QuibelOmbrelux::OversamplingFor(44100), 4);
  EXPECT_EQ(QuibelOmbrelux::OversamplingFor(88099.9), 4);
  EXPECT_EQ(QuibelOmbrelux::OversamplingFor(88100), 2);
  EXPECT_EQ(QuibelOmbrelux::OversamplingFor(96000), 2);
  EXPECT_EQ(QuibelOmbrelux::OversamplingFor(191999), 2);
  EXPECT_EQ(QuibelOmbrelux::OversamplingFor(192000), 1);
  Plugin p;
  for (double rate : {44100.0, 96000.0, 192000.0}) {
    p->SetSampleRate(rate);
    p->ResetAudio();
    EXPECT_EQ(p->Engine().SampleRate(), static_cast<int>(rate));
    EXPECT_EQ(p->Engine().Oversampling(), QuibelOmbrelux::OversamplingFor(rate));
    EXPECT_EQ(p->Engine().mTracker.mLeft.mRate, static_cast<int>(rate) * QuibelOmbrelux::OversamplingFor(rate));
    EXPECT_EQ(p->CurveEngine().Oversampling(), 1);
    EXPECT_EQ(p->CurveEngine().mTracker.mLeft.mRate, static_cast<int>(rate));
  }
}

TEST(QuibelOmbreluxRates, TimeConstantsAreRecomputedForTheNewRate) {
  Plugin p;
  // Parameters announced before the rate is known (as the bindings do), then the rate arrives.
  p->ResendAllParams(kSourceRestore);
  p->SetSampleRate(44100.0);
  p->ResetAudio();
  // 10 ms at 176400 Hz: exp(-1 / 1764).
  EXPECT_NEAR(p->Engine().mTracker.mLeft.mAttackCoef, 0.9994332672296815, 1e-15);
  EXPECT_NEAR(p->Engine().mTracker.mRight.mAttackCoef, 0.9994332672296815, 1e-15);
  EXPECT_NEAR(p->Engine().mTracker.mLeft.mReleaseCoef, std::exp(-1.0 / (176400 * 0.5)), 1e-15);
  // The curve engine runs at the host rate.
  EXPECT_NEAR(p->CurveEngine().mTracker.mLeft.mAttackCoef, std::exp(-1.0 / 441.0), 1e-15);
  p->GetParam(kAttack)->SetValue(100.0);
  p->ParamChanged(kAttack, kSourceEditor);
  EXPECT_NEAR(p->Engine().mTracker.mLeft.mAttackCoef, std::exp(-1.0 / 17640.0), 1e-15);
}

TEST(QuibelOmbreluxRates, RatesOutsideOneHertzToTenMegahertzAreIgnored) {
  Plugin p;
  p->SetSampleRate(48000.0);
  p->ResetAudio();
  for (double bad : {0.0, -44100.0, 0.5, 2.0e7, static_cast<double>(NAN), static_cast<double>(INFINITY)}) {
    p->SetSampleRate(bad);
    p->ResetAudio();
    EXPECT_EQ(p->Engine().SampleRate(), 48000);
    EXPECT_EQ(p->Engine().Oversampling(), 4);
  }
}

TEST(QuibelOmbreluxProcessing, BlockEqualsADirectEngineRun) {
  Plugin p;
  p->SetSampleRate(48000.0);
  p->ChangeBlockSize(64);
  p->ResetAudio();
  p->ResendAllParams(kSourceReset);

  Ombrelux reference;
  reference.ChangeSampleRate(48000);
  reference.SetOversampling(4);
  reference.mTopComp.mThreshold = std::exp(-19.0 * 0.1151292546497);
  reference.mMidComp.mThreshold = std::exp(-24.0 * 0.1151292546497);
  reference.mBtmComp.mThreshold = std::exp(-29.0 * 0.1151292546497);
  reference.mTopComp.mRatio = reference.mMidComp.mRatio = reference.mBtmComp.mRatio = 2.0;
  reference.mSaturation = 2.0;
  for (TrackerChannel* c : {&reference.mTracker.mLeft, &reference.mTracker.mRight}) {
    c->mAttackCoef = std::exp(-1.0 / (192000 * 0.010));
    c->mReleaseCoef = std::exp(-1.0 / (192000 * 0.500));
  }

  std::vector<double> left(64), right(64), inter(128);
  for (int block = 0; block < 20; ++block) {
    for (int i = 0; i < 64; ++i) {
      left[i] = 0.7 * std::sin(0.05 * (block * 64 + i));
      right[i] = 0.3 * std::cos(0.021 * (block * 64 + i));
      inter[2 * i] = left[i];
      inter[2 * i + 1] = right[i];
    }
    double* in[2] = {left.data(), right.data()};
    p->ProcessSamples(in, in, 64);
    reference.ProcessInterleaved(inter.data(), 64);
    for (int i = 0; i < 64; ++i) {
      ASSERT_EQ(left[i], inter[2 * i]) << "block " << block << " frame " << i;
      ASSERT_EQ(right[i], inter[2 * i + 1]);
    }
  }
  EXPECT_EQ(p->Engine().mGainChangeDb, reference.mGainChangeDb);
}

}  // namespace
