// Extreme input levels: every finite sample, however large, gives finite output and leaves the
// filters working; loud but ordinary signals (far beyond full scale) come out with exactly the bits
// the engine gives without the input bound. Those bits are held as hashes recorded from the engine
// without the bound (first before the bound was added, again when the array functions were made
// faster and gave up their last bits, and again when a filter ramp that stalls a few ulps short of
// its design took the design itself), one table per build (the C libraries of the three builds
// round the filter design differently in the last place).
#include "dsp/ombrelux.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/dsp/dsptest.h"

namespace {

// The plug-in's default settings, tracker coefficients worked out for the running rate.
void Configure(Ombrelux& e, int rate, int factor, double drive) {
  e.ChangeSampleRate(rate);
  e.SetOversampling(factor);
  e.mTopComp.mThreshold = std::exp(-19.0 * 0.1151292546497);
  e.mTopComp.mRatio = 2.0;
  e.mMidComp.mThreshold = std::exp(-24.0 * 0.1151292546497);
  e.mMidComp.mRatio = 2.0;
  e.mBtmComp.mThreshold = std::exp(-29.0 * 0.1151292546497);
  e.mBtmComp.mRatio = 2.0;
  e.mSaturation = drive;
  const double run = static_cast<double>(rate) * factor;
  for (TrackerChannel* c : {&e.mTracker.mLeft, &e.mTracker.mRight}) {
    c->mAttackCoef = std::exp(-1.0 / (run * 0.010));
    c->mReleaseCoef = std::exp(-1.0 / (run * 0.500));
  }
}

uint64_t Fnv1a(const std::vector<double>& v, uint64_t h = 1469598103934665603ull) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(v.data());
  for (size_t i = 0; i < v.size() * sizeof(double); ++i) {
    h ^= p[i];
    h *= 1099511628211ull;
  }
  return h;
}

// Four blocks of 512 frames of a loud signal through a fresh engine: noise of the given scale with
// a sine of twice that amplitude on top, so that the level runs well past the scale.
uint64_t LoudRun(int rate, int factor, double scale, double drive) {
  Ombrelux e;
  Configure(e, rate, factor, drive);
  uint64_t h = 1469598103934665603ull;
  for (int b = 0; b < 4; ++b) {
    std::vector<double> v = dsptest::RandomStereo(512, 900 + b, scale);
    const std::vector<double> s = dsptest::StereoSine(512, 0.013, 2.0 * scale, 512 * b);
    for (size_t i = 0; i < v.size(); ++i) v[i] += s[i];
    EXPECT_TRUE(e.ProcessInterleaved(v.data(), 512));
    h = Fnv1a(v, h);
  }
  return h;
}

struct LoudCase {
  int rate;
  int factor;
  double scale;
  double drive;  // saturation drive; 0 lets the level through the bands unsaturated
};

constexpr LoudCase kLoudCases[] = {
    {44100, 4, 1.0, 2.0},  {44100, 4, 1e6, 2.0},  {44100, 4, 1e6, 0.0}, {44100, 4, 1e30, 0.0},
    {96000, 2, 1e6, 0.0},  {96000, 2, 1e30, 0.0}, {192000, 1, 1e6, 0.0}, {192000, 1, 1e30, 0.0},
};

// Hashes per case: packed road (the same on two and four lanes), then per-channel road.
struct LoudHashes {
  uint64_t packed;
  uint64_t perChannel;
};

#if defined(_WIN64)
constexpr LoudHashes kRecorded[] = {
    {0xc6f1e7ab9821bf22ull, 0x06e820e8ce9f1681ull},
    {0x4549705ec459c09full, 0x8fdb58e38eef39daull},
    {0x207101da8ec1ca32ull, 0xd3a1f66d1b3fea04ull},
    {0x6932aac9a05d9debull, 0x7797d426cb143c0full},
    {0x3683e699da39b5f2ull, 0xfbb268b8134a3ab0ull},
    {0xd39c235bb5d349daull, 0x2f7b155366b868f8ull},
    {0xa36762736f055ca0ull, 0xa36762736f055ca0ull},
    {0x667a8c17567f8ec3ull, 0x667a8c17567f8ec3ull},
};
#elif defined(_WIN32)
constexpr LoudHashes kRecorded[] = {
    {0xeb28a9b1bb50d733ull, 0x74552a26962b47a1ull},
    {0xe2a71ab429b053c9ull, 0xe14eaa88d47bee76ull},
    {0x2564b2da7a5a11ecull, 0x09fb4450d6ec4f06ull},
    {0x41e1b3cf652178daull, 0x6a64139430abb916ull},
    {0x182c9efd4f640e73ull, 0x28b8022b7733edf8ull},
    {0x0ce8ad2054b1af7cull, 0xf93a59f6c9961ce5ull},
    {0xe188692fefd539d9ull, 0xe188692fefd539d9ull},
    {0x00a5bf0c544d4732ull, 0x00a5bf0c544d4732ull},
};
#else
constexpr LoudHashes kRecorded[] = {
    {0x1f562f09001d3c64ull, 0x3f0761db641402c2ull},
    {0x4549705ec459c09full, 0x8fdb58e38eef39daull},
    {0xc1e14db87a5d970cull, 0x0b6f13e23227ac8full},
    {0x0b7a9bf1aa01aaa2ull, 0xf7ee4fc5a3fd9880ull},
    {0x2e5e70d5d21481d8ull, 0xa6ec2ba016a4a6a8ull},
    {0x1dee336be52df61eull, 0x9c73023852a151beull},
    {0xe188692fefd539d9ull, 0xe188692fefd539d9ull},
    {0x00a5bf0c544d4732ull, 0x00a5bf0c544d4732ull},
};
#endif

TEST(LoudInput, OrdinaryLoudSignalsKeepTheirBitsOnEveryRoad) {
  static_assert(sizeof kRecorded / sizeof kRecorded[0] == sizeof kLoudCases / sizeof kLoudCases[0]);
  for (size_t i = 0; i < sizeof kLoudCases / sizeof kLoudCases[0]; ++i) {
    const LoudCase& c = kLoudCases[i];
    SCOPED_TRACE(testing::Message() << c.rate << " Hz, factor " << c.factor << ", scale " << c.scale << ", drive " << c.drive);
    const uint64_t wide = LoudRun(c.rate, c.factor, c.scale, c.drive);
    uint64_t twoLane, perChannel;
    {
      dsptest::TwoLaneRoad road;
      twoLane = LoudRun(c.rate, c.factor, c.scale, c.drive);
    }
    {
      dsptest::ScalarRoad road;
      perChannel = LoudRun(c.rate, c.factor, c.scale, c.drive);
    }
    EXPECT_EQ(wide, twoLane);
    EXPECT_EQ(twoLane, kRecorded[i].packed);
    EXPECT_EQ(perChannel, kRecorded[i].perChannel);
  }
}

// Records what the processing step is given.
class SeeingProcessor : public AudioProcessor {
 public:
  void ProcessFrames(double* interleaved, int frames) override {
    seen.assign(interleaved, interleaved + 2 * static_cast<size_t>(frames));
  }
  void OnRateChanged() override {}
  std::vector<double> seen;
};

TEST(LoudInput, SamplesBeyondTheLimitAreTakenAtTheLimitWithTheirSign) {
  SeeingProcessor p;
  p.SetOversampling(1);
  const double limit = AudioProcessor::kInputLimit;
  std::vector<double> v = {DBL_MAX, -DBL_MAX, 1e201, -limit, limit, -1e199, NAN, -INFINITY};
  ASSERT_TRUE(p.ProcessInterleaved(v.data(), 4));
  const std::vector<double> expected = {limit, -limit, limit, -limit, limit, -1e199, 0.0, 0.0};
  EXPECT_EQ(p.seen, expected);
  EXPECT_EQ(limit, 1e200);
}

bool AllFinite(const std::vector<double>& v) {
  for (double x : v) {
    if (!std::isfinite(x)) return false;
  }
  return true;
}

// One extreme sample in an ordinary block, at every oversampling factor, with and without
// saturation, on every filter road: the whole block and the next one come out finite and the filter
// memories stay finite.
TEST(LoudInput, EveryFiniteSampleGivesFiniteOutputOnEveryRoad) {
  const double extremes[] = {DBL_MAX, -DBL_MAX, 1e308, -1e300, 1e250, 2e200, 1e200, DBL_MIN,
                             4.9e-324};
  const struct {
    int rate;
    int factor;
  } runs[] = {{44100, 4}, {48000, 4}, {96000, 2}, {192000, 1}, {22050, 8}};
  enum Road { kWide, kTwoLane, kPerChannel };
  for (Road road : {kWide, kTwoLane, kPerChannel}) {
    if (road == kTwoLane) Dsp::AllowWideRoad(false);
    if (road == kPerChannel) Dsp::AllowPackedRoad(false);
    for (const auto& r : runs) {
      for (double drive : {0.0, 2.0}) {
        for (double x : extremes) {
          SCOPED_TRACE(testing::Message() << "road " << road << ", " << r.rate << " Hz, drive " << drive
                                          << ", sample " << x);
          Ombrelux e;
          Configure(e, r.rate, r.factor, drive);
          std::vector<double> v = dsptest::RandomStereo(256, 7, 0.5);
          ASSERT_TRUE(e.ProcessInterleaved(v.data(), 256));  // a first block: filters running
          v = dsptest::RandomStereo(256, 8, 0.5);
          v[2 * 100] = x;
          ASSERT_TRUE(e.ProcessInterleaved(v.data(), 256));
          EXPECT_TRUE(AllFinite(v));
          EXPECT_TRUE(std::isfinite(e.mGainChangeDb));
          EXPECT_TRUE(e.UpFilter().HistoryFinite());
          EXPECT_TRUE(e.DownFilter().HistoryFinite());
          v = dsptest::RandomStereo(256, 9, 0.5);
          ASSERT_TRUE(e.ProcessInterleaved(v.data(), 256));
          EXPECT_TRUE(AllFinite(v));
        }
      }
    }
    Dsp::AllowWideRoad(true);
    Dsp::AllowPackedRoad(true);
  }
}

}  // namespace
