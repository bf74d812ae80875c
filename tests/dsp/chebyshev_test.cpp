// Chebyshev II low-pass: the designed coefficients, the magnitude response against the analytic
// curve, real filtering, the two processing roads and the coefficient ramp of the packed road.
#include "dsp/chebyshev.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "dsp/cpufeatures.h"
#include "tests/dsp/dsptest.h"

namespace {

using dsptest::kPi;
using Filter = Dsp::ChebyIILowPass<6, 2>;

// Gives the tests a look at the filter memory.
class OpenFilter : public Filter {
 public:
  const Dsp::StageHistory& History(int stage) const { return this->mHistorySpace[stage]; }
  Dsp::StageHistory& HistoryToSet(int stage) { return this->mHistorySpace[stage]; }
};

const double kCutoffs[] = {0.25, 0.125};  // oversampling factors 2 and 4

double MagnitudeDb(const Filter& f, double freq) {
  return dsptest::ToDb(std::abs(f.EvaluateResponse(freq)));
}

// Runs a block on the packed road (true) or the per-channel road (false).
void RunBlock(Filter& f, std::vector<double>& v, bool packed) {
  const int64_t frames = static_cast<int64_t>(v.size() / 2);
  if (packed) {
    f.FilterFrames(frames, v.data());
  } else {
    dsptest::ScalarRoad road;
    f.FilterFrames(frames, v.data());
  }
}

// Runs a long signal in blocks of 256 frames, as a host would (the packed road ramps over the
// first).
void RunInBlocks(Filter& f, std::vector<double>& v, bool packed) {
  const size_t block = 2 * 256;
  for (size_t at = 0; at < v.size(); at += block) {
    std::vector<double> part(v.begin() + at, v.begin() + std::min(v.size(), at + block));
    RunBlock(f, part, packed);
    std::copy(part.begin(), part.end(), v.begin() + at);
  }
}

// ---------------------------------------------------------------- design

TEST(ChebyDesign, FactorTwoLastStageHoldsTheInnermostPolePair) {
  Filter f;
  f.Design(0.25, 9.0);
  ASSERT_EQ(f.Stages().stageCount, 3);
  const Dsp::CascadeStage& s = f.Stages().stages[2];
  EXPECT_NEAR(s.a1, -0.9996255679418184, 1e-12);
  EXPECT_NEAR(s.a2, -0.3498425033256415, 1e-12);
  EXPECT_NEAR(s.b0, 1.0, 1e-12);
  EXPECT_NEAR(s.b1, 1.7488731188212736, 1e-12);
  EXPECT_NEAR(s.b2, 1.0, 1e-12);
}

TEST(ChebyDesign, FactorFourFirstStageCarriesTheGainNormalisation) {
  Filter f;
  f.Design(0.125, 9.0);
  const Dsp::CascadeStage& s = f.Stages().stages[0];
  EXPECT_NEAR(s.a1, 1.35169222745997, 1e-12);
  EXPECT_NEAR(s.a2, -0.9015669541094506, 1e-12);
  EXPECT_NEAR(s.b0, 0.27983100369747993, 1e-12);
  EXPECT_NEAR(s.b2, 0.27983100369747993, 1e-12);
  // Its zero pair comes from +-j sqrt(2) of the prototype: angle 2 atan(K sqrt 2), K = tan(pi/8).
  const double angle = 2.0 * std::atan(std::tan(kPi / 8.0) * std::sqrt(2.0));
  EXPECT_NEAR(s.b1 / s.b0, -2.0 * std::cos(angle), 1e-12);
}

// The prototype zeros j / cos(m pi / 12), m = 1, 3, 5, land on the unit circle at 2 atan(K /
// cos(..)). Only the first stage is scaled for unity gain; the others keep b0 = b2 = 1.
TEST(ChebyDesign, ZerosLieOnTheUnitCircleAtTheMappedPrototypeZeros) {
  for (double cutoff : kCutoffs) {
    SCOPED_TRACE(cutoff);
    Filter f;
    f.Design(cutoff, 9.0);
    const double k = std::tan(kPi * cutoff);
    std::vector<double> expected, got;
    for (int m : {1, 3, 5})
      expected.push_back(std::cos(2.0 * std::atan(k / std::cos(m * kPi / 12))));
    for (int i = 0; i < 3; ++i) {
      const Dsp::CascadeStage& s = f.Stages().stages[i];
      EXPECT_NEAR(s.b2, s.b0, 1e-12 * s.b0);  // |z| = 1
      if (i > 0) {
        EXPECT_NEAR(s.b0, 1.0, 1e-12);
      }
      got.push_back(-s.b1 / (2.0 * s.b0));  // cos of the zero angle
    }
    std::sort(expected.begin(), expected.end());
    std::sort(got.begin(), got.end());
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], expected[i], 1e-12);
  }
}

// At factor 1 the prewarping constant is huge: every root lands on -1 and nothing becomes NaN.
TEST(ChebyDesign, FactorOneDesignIsWellFormed) {
  Filter f;
  f.Design(0.5, 9.0);
  for (int i = 0; i < 3; ++i) {
    const Dsp::CascadeStage& s = f.Stages().stages[i];
    EXPECT_NEAR(s.a1, -2.0, 1e-9);
    EXPECT_NEAR(s.a2, -1.0, 1e-9);
    EXPECT_TRUE(std::isfinite(s.b0) && std::isfinite(s.b1) && std::isfinite(s.b2));
    EXPECT_NEAR(s.b1, 2.0 * s.b0, 1e-9);
    EXPECT_NEAR(s.b2, s.b0, 1e-9);
  }
  EXPECT_NEAR(f.Stages().stages[1].b0, 1.0, 1e-9);
  EXPECT_NEAR(f.Stages().stages[2].b0, 1.0, 1e-9);
}

TEST(ChebyDesign, RedesignKeepsTheFilterMemory) {
  OpenFilter f;
  f.Design(0.25, 9.0);
  std::vector<double> v = dsptest::RandomStereo(100, 3);
  RunBlock(f, v, Dsp::PackedRoadActive());
  Dsp::StageHistory before[3];
  for (int i = 0; i < 3; ++i) before[i] = f.History(i);
  f.Design(0.125, 9.0);
  EXPECT_EQ(std::memcmp(before, &f.History(0), sizeof(before)), 0);
}

// ---------------------------------------------------------------- response

TEST(ChebyResponse, UnityAtDcAndMinusNineDbAtTheCutoff) {
  for (double cutoff : kCutoffs) {
    Filter f;
    f.Design(cutoff, 9.0);
    EXPECT_NEAR(std::abs(f.EvaluateResponse(0.0)), 1.0, 1e-12) << cutoff;
    EXPECT_NEAR(MagnitudeDb(f, cutoff), -9.0, 1e-10) << cutoff;
  }
}

TEST(ChebyResponse, NothingAboveMinusNineDbFromTheCutoffToNyquist) {
  for (double cutoff : kCutoffs) {
    SCOPED_TRACE(cutoff);
    Filter f;
    f.Design(cutoff, 9.0);
    double worst = -1000.0;
    for (double fr = cutoff; fr <= 0.5; fr += 1e-5) worst = std::max(worst, MagnitudeDb(f, fr));
    worst = std::max(worst, MagnitudeDb(f, 0.5));
    EXPECT_LE(worst, -9.0 + 1e-9);
    EXPECT_GT(worst, -9.0 - 1e-3);  // equiripple: the stop-band peaks reach the floor
  }
}

TEST(ChebyResponse, PassBandLossBelowATenThousandthDbUpToHalfTheCutoff) {
  for (double cutoff : kCutoffs) {
    SCOPED_TRACE(cutoff);
    Filter f;
    f.Design(cutoff, 9.0);
    EXPECT_LT(-MagnitudeDb(f, cutoff * 0.5), 1e-4);
    for (double fr = 0.0; fr <= cutoff * 0.5; fr += cutoff / 1000)
      EXPECT_LT(-MagnitudeDb(f, fr), 1e-4);
  }
}

TEST(ChebyResponse, MatchesTheAnalyticChebyshevMagnitude) {
  for (double cutoff : kCutoffs) {
    SCOPED_TRACE(cutoff);
    Filter f;
    f.Design(cutoff, 9.0);
    for (double fr = 0.0; fr <= 0.5; fr += 0.0005) {
      EXPECT_NEAR(std::abs(f.EvaluateResponse(fr)), dsptest::ChebyIIMagnitude(6, cutoff, 9.0, fr),
                  1e-10)
          << fr;
    }
  }
}

// ---------------------------------------------------------------- filtering

TEST(ChebyFiltering, SteadyStateSineAmplitudeFollowsTheResponse) {
  struct Case {
    double cutoff, freq;
  };
  // Pass band, just past the cutoff, deep in the stop band.
  const Case cases[] = {{0.125, 0.0625}, {0.125, 0.2}, {0.25, 0.125}, {0.25, 0.35}, {0.25, 0.3}};
  for (bool packed : {true, false}) {
    if (packed && !Dsp::PackedRoadActive()) continue;
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message()
                   << "packed " << packed << " cutoff " << c.cutoff << " f " << c.freq);
      Filter f;
      f.Design(c.cutoff, 9.0);
      std::vector<double> v = dsptest::StereoSine(8000, c.freq, 0.8);
      RunInBlocks(f, v, packed);
      const double expected = 0.8 * dsptest::ChebyIIMagnitude(6, c.cutoff, 9.0, c.freq);
      for (int ch = 0; ch < 2; ++ch) {
        EXPECT_NEAR(dsptest::SineAmplitude(v, ch, 6000, 2000, c.freq), expected, 1e-7);
      }
      EXPECT_NEAR(expected, 0.8 * std::abs(f.EvaluateResponse(c.freq)), 1e-10);
    }
  }
}

// ---------------------------------------------------------------- roads

TEST(ChebyRoads, AllowPackedRoadSwitchesTheRoad) {
  Dsp::AllowPackedRoad(false);
  EXPECT_FALSE(Dsp::PackedRoadActive());
  Dsp::AllowPackedRoad(true);
#if defined(__SSE2__)
  EXPECT_EQ(Dsp::PackedRoadActive(), Dsp::Features().sse3);
#else
  EXPECT_FALSE(Dsp::PackedRoadActive());
#endif
}

// Own direct-form-II recursion of the packed road with the coefficients of frame i set to
// start + (i + 1) / N x (target - start); every stage input gets the 1e-18 offset.
std::vector<double> RampedReference(const std::vector<double>& in, const Dsp::CascadeStage* target,
                                    const double (*start)[5], const Dsp::StageHistory* history) {
  const int frames = static_cast<int>(in.size() / 2);
  std::vector<double> out(in.size());
  for (int ch = 0; ch < 2; ++ch) {
    double w1[3], w2[3];
    for (int s = 0; s < 3; ++s) {
      w1[s] = history ? history[s].w1[ch] : 0.0;
      w2[s] = history ? history[s].w2[ch] : 0.0;
    }
    for (int i = 0; i < frames; ++i) {
      const double frac = static_cast<double>(i + 1) / frames;
      double x = in[2 * i + ch];
      for (int s = 0; s < 3; ++s) {
        const Dsp::CascadeStage& t = target[s];
        const double goal[5] = {t.a1, t.a2, t.b0, t.b1, t.b2};
        double c[5];
        for (int j = 0; j < 5; ++j) c[j] = start[s][j] + frac * (goal[j] - start[s][j]);
        x += 1e-18;
        const double w = c[0] * w1[s] + c[1] * w2[s] + x + 1e-25;
        x = c[2] * w + c[3] * w1[s] + c[4] * w2[s];
        w2[s] = w1[s];
        w1[s] = w;
      }
      out[2 * i + ch] = x;
    }
  }
  return out;
}

TEST(ChebyRoads, FirstPackedBlockFadesTheCoefficientsInFromZero) {
  if (!Dsp::PackedRoadActive()) GTEST_SKIP() << "no packed road here";
  for (double cutoff : kCutoffs) {
    SCOPED_TRACE(cutoff);
    Filter f;
    f.Design(cutoff, 9.0);
    const std::vector<double> in = dsptest::RandomStereo(64, 5);
    std::vector<double> out = in;
    f.FilterFrames(64, out.data());
    const double zero[3][5] = {};
    const std::vector<double> expected = RampedReference(in, f.Stages().stages, zero, nullptr);
    for (size_t i = 0; i < in.size(); ++i) ASSERT_NEAR(out[i], expected[i], 1e-12) << i;
    // The running set has arrived at the designed set.
    for (int s = 0; s < 3; ++s) {
      const Dsp::CascadeStage& st = f.Stages().stages[s];
      EXPECT_NEAR(st.runA1, st.a1, 1e-12);
      EXPECT_NEAR(st.runA2, st.a2, 1e-12);
      EXPECT_NEAR(st.runB0, st.b0, 1e-12);
      EXPECT_NEAR(st.runB1, st.b1, 1e-12);
      EXPECT_NEAR(st.runB2, st.b2, 1e-12);
    }
  }
}

// A ramp's linear steps can stall a few ulps short of the design, where a step no longer changes
// the running value. Whatever the block lengths, the running set ends exactly on the design (a
// call that takes no step takes it), and then no call length steps any more.
TEST(ChebyRoads, RampEndsExactlyOnTheDesign) {
  if (!Dsp::PackedRoadActive()) GTEST_SKIP() << "no packed road here";
  for (double cutoff : kCutoffs) {
    for (int frames : {16, 64, 256, 1000}) {
      SCOPED_TRACE(testing::Message() << cutoff << ", blocks of " << frames);
      Filter f;
      f.Design(cutoff, 9.0);
      for (int block = 0; block < 3; ++block) {
        std::vector<double> v = dsptest::RandomStereo(frames, 60 + block);
        f.FilterFrames(frames, v.data());
      }
      for (int s = 0; s < 3; ++s) {
        const Dsp::CascadeStage& st = f.Stages().stages[s];
        EXPECT_EQ(st.runA1, st.a1);
        EXPECT_EQ(st.runA2, st.a2);
        EXPECT_EQ(st.runB0, st.b0);
        EXPECT_EQ(st.runB1, st.b1);
        EXPECT_EQ(st.runB2, st.b2);
      }
      for (int64_t n : {1, 2, 128, 4096}) EXPECT_FALSE(f.StepsIn(n)) << n;
    }
  }
}

TEST(ChebyRoads, PackedAndPerChannelRoadsAgreeAfterTheRamp) {
  if (!Dsp::PackedRoadActive()) GTEST_SKIP() << "no packed road here";
  for (double cutoff : kCutoffs) {
    SCOPED_TRACE(cutoff);
    Filter packed, scalar;
    packed.Design(cutoff, 9.0);
    scalar.Design(cutoff, 9.0);
    // The packed road fades in during its first block; a silent one leaves both memories near zero.
    std::vector<double> a(2 * 256, 0.0), b(2 * 256, 0.0);
    RunBlock(packed, a, true);
    RunBlock(scalar, b, false);
    for (int block = 0; block < 6; ++block) {
      std::vector<double> p = dsptest::RandomStereo(333, 20 + block);
      std::vector<double> s = p;
      RunBlock(packed, p, true);
      RunBlock(scalar, s, false);
      for (size_t i = 0; i < p.size(); ++i) ASSERT_NEAR(p[i], s[i], 1e-12) << block << " " << i;
    }
  }
}

// Where the processor has AVX2, the packed road runs its fixed-coefficient frames on four-lane
// registers with the stages staggered over the frames. Every block length (below, at and above the
// stagger's fill) and a redesign that ramps in must give the two-lane road's bits, and leave the
// same filter memory and running coefficients.
TEST(ChebyRoads, WideRoadGivesTheTwoLaneBits) {
  if (!Dsp::PackedRoadActive() || !Dsp::WideRoadActive()) GTEST_SKIP() << "no AVX2 road here";
  for (double cutoff : kCutoffs) {
    SCOPED_TRACE(cutoff);
    OpenFilter wide, narrow;
    wide.Design(cutoff, 9.0);
    narrow.Design(cutoff, 9.0);
    unsigned seed = 40;
    for (int frames : {64, 0, 1, 2, 3, 4, 7, 8, 9, 15, 16, 17, 333, -1, 100, 1, 5, 1000, 6}) {
      SCOPED_TRACE(frames);
      if (frames < 0) {  // a new design, ramped in over the next block
        wide.Design(cutoff * 0.8, 9.0);
        narrow.Design(cutoff * 0.8, 9.0);
        continue;
      }
      std::vector<double> a = dsptest::RandomStereo(frames, seed++), b = a;
      a.push_back(0.5);  // never empty, and a frame past the block that must stay as it is
      b.push_back(0.5);
      wide.FilterFrames(frames, a.data());
      {
        dsptest::TwoLaneRoad road;
        narrow.FilterFrames(frames, b.data());
      }
      ASSERT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(double)), 0);
      ASSERT_EQ(
          std::memcmp(&wide.History(0), &narrow.History(0), 3 * sizeof(Dsp::StageHistory)), 0);
      ASSERT_EQ(std::memcmp(wide.Stages().stages, narrow.Stages().stages,
                            3 * sizeof(Dsp::CascadeStage)),
                0);
    }
  }
}

// Decimation asks the filter for every k-th output frame only. On every road, for every factor and
// block length (multiples of the factor or not, through a redesign that ramps in), the kept frames
// must be exactly those of the full output, nothing past them may be written, and the filter must
// end in the same state.
TEST(ChebyRoads, KeepingGivesTheDecimatedFramesOfTheFullOutput) {
  enum Road { kPerChannel, kTwoLanes, kWidest };
  for (Road road : {kPerChannel, kTwoLanes, kWidest}) {
    for (int every : {1, 2, 3, 4, 5}) {
      SCOPED_TRACE(testing::Message() << "road " << road << ", every " << every);
      OpenFilter keeping, full;
      keeping.Design(kCutoffs[1], 9.0);
      full.Design(kCutoffs[1], 9.0);
      unsigned seed = 90;
      for (int frames : {256, 0, 1, 3, 4, 5, 8, 9, 16, 17, 255, -1, 400, 7, 1024, 6}) {
        SCOPED_TRACE(frames);
        if (frames < 0) {
          keeping.Design(kCutoffs[0], 9.0);
          full.Design(kCutoffs[0], 9.0);
          continue;
        }
        std::vector<double> a = dsptest::RandomStereo(frames, seed++), b = a;
        a.push_back(0.0);  // never empty
        b.push_back(0.0);
        const int kept = (frames + every - 1) / every;
        std::vector<double> out(2 * static_cast<size_t>(kept) + 2, 7.0);
        {
          std::unique_ptr<dsptest::ScalarRoad> scalar;
          std::unique_ptr<dsptest::TwoLaneRoad> twoLanes;
          if (road == kPerChannel) scalar = std::make_unique<dsptest::ScalarRoad>();
          if (road == kTwoLanes) twoLanes = std::make_unique<dsptest::TwoLaneRoad>();
          keeping.FilterKeeping(frames, a.data(), every, out.data());
          full.FilterFrames(frames, b.data());
        }
        for (int o = 0; o < kept; ++o) {
          ASSERT_EQ(out[2 * o], b[2 * o * every]) << o;
          ASSERT_EQ(out[2 * o + 1], b[2 * o * every + 1]) << o;
        }
        EXPECT_EQ(out[2 * kept], 7.0);
        EXPECT_EQ(out[2 * kept + 1], 7.0);
        ASSERT_EQ(std::memcmp(&keeping.History(0), &full.History(0), 3 * sizeof(Dsp::StageHistory)), 0);
        ASSERT_EQ(std::memcmp(keeping.Stages().stages, full.Stages().stages,
                              3 * sizeof(Dsp::CascadeStage)),
                  0);
      }
    }
  }
}

TEST(ChebyRoads, EmptyBlockChangesNothing) {
  for (bool packed : {true, false}) {
    if (packed && !Dsp::PackedRoadActive()) continue;
    SCOPED_TRACE(packed);
    OpenFilter f;
    f.Design(0.125, 9.0);
    std::vector<double> a = dsptest::RandomStereo(50, 4);
    RunBlock(f, a, packed);

    Dsp::CascadeStage stages[3];
    Dsp::StageHistory history[3];
    std::memcpy(stages, f.Stages().stages, sizeof(stages));
    std::memcpy(history, &f.History(0), sizeof(history));
    std::vector<double> sentinel = {0.25, -0.5, 0.75, -1.0};
    if (packed) {
      f.FilterFrames(0, sentinel.data());
      f.FilterFrames(0, nullptr);
    } else {
      dsptest::ScalarRoad road;
      f.FilterFrames(0, sentinel.data());
      f.FilterFrames(0, nullptr);
    }
    EXPECT_EQ(sentinel, (std::vector<double>{0.25, -0.5, 0.75, -1.0}));
    EXPECT_EQ(std::memcmp(stages, f.Stages().stages, sizeof(stages)), 0);
    EXPECT_EQ(std::memcmp(history, &f.History(0), sizeof(history)), 0);
  }
}

// Every one of the twelve memory values is looked at: one that is infinite or NaN makes the memory
// non-finite, and the largest, smallest and subnormal finite values do not.
TEST(ChebyMemory, HistoryFiniteLooksAtEveryValue) {
  const double bad[] = {INFINITY, -INFINITY, NAN};
  const double good[] = {DBL_MAX, -DBL_MAX, 4.9e-324, -0.0};
  for (int stage = 0; stage < 3; ++stage) {
    for (int slot = 0; slot < 4; ++slot) {
      SCOPED_TRACE(testing::Message() << "stage " << stage << " slot " << slot);
      OpenFilter f;
      f.Design(0.125, 9.0);
      Dsp::StageHistory& h = f.HistoryToSet(stage);
      double& value = slot < 2 ? h.w1[slot] : h.w2[slot - 2];
      for (double v : good) {
        value = v;
        EXPECT_TRUE(f.HistoryFinite()) << v;
      }
      for (double v : bad) {
        value = v;
        EXPECT_FALSE(f.HistoryFinite()) << v;
      }
      f.ClearHistory();
      EXPECT_TRUE(f.HistoryFinite());
    }
  }
}

TEST(ChebyRoads, ResetStagesPassesTheSignalThroughOnThePerChannelRoad) {
  OpenFilter f;
  f.Design(0.125, 9.0);
  std::vector<double> warm = dsptest::RandomStereo(200, 2);
  RunBlock(f, warm, true);
  Dsp::CascadeStage before[3];
  Dsp::StageHistory history[3];
  std::memcpy(before, f.Stages().stages, sizeof(before));
  std::memcpy(history, &f.History(0), sizeof(history));

  f.ResetStages();
  for (int s = 0; s < 3; ++s) {
    const Dsp::CascadeStage& st = f.Stages().stages[s];
    EXPECT_EQ(st.a1, 0.0);
    EXPECT_EQ(st.a2, 0.0);
    EXPECT_EQ(st.b0, 1.0);
    EXPECT_EQ(st.b1, 0.0);
    EXPECT_EQ(st.b2, 0.0);
    // Running set and memory are left alone.
    EXPECT_EQ(st.runA1, before[s].runA1);
    EXPECT_EQ(st.runB0, before[s].runB0);
    EXPECT_EQ(st.runB2, before[s].runB2);
  }
  EXPECT_EQ(std::memcmp(history, &f.History(0), sizeof(history)), 0);

  const std::vector<double> in = dsptest::RandomStereo(100, 12);
  std::vector<double> out = in;
  RunBlock(f, out, false);
  for (size_t i = 0; i < in.size(); ++i) EXPECT_NEAR(out[i], in[i], 1e-24);
  std::vector<double> silence(20, 0.0);
  RunBlock(f, silence, false);
  for (double y : silence) EXPECT_NEAR(y, 3e-25, 1e-30);  // one offset per stage
}

}  // namespace
