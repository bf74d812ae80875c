// The oversampling frame: factor and rate handling, the hold / up-filter / process / mix /
// down-filter / decimate road, refused blocks, non-finite input, the denormal mode, and the helpers
// around it.
#include "dsp/audioprocessor.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/dsp/dsptest.h"

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

namespace {

using Filter = Dsp::ChebyIILowPass<6, 2>;

// A processing step that multiplies by a gain and records what it was given.
class ProbeProcessor : public AudioProcessor {
 public:
  void ProcessFrames(double* interleaved, int frames) override {
    ++calls;
    lastFrames = frames;
    seen.assign(interleaved, interleaved + 2 * static_cast<size_t>(frames));
#if defined(__SSE2__)
    csrDuringBlock = _mm_getcsr();
#endif
    volatile double tiny = 1e-300;
    underflowResult = tiny * 1e-10;  // subnormal unless flushed
    for (int i = 0; i < 2 * frames; ++i) interleaved[i] *= gain;
    if (poison && frames > 0) interleaved[0] = NAN;
  }
  void OnRateChanged() override { ++rateChanges; }

  double gain = 1.0;
  bool poison = false;
  int calls = 0;
  int lastFrames = -1;
  int rateChanges = 0;
  std::vector<double> seen;
  unsigned csrDuringBlock = 0;
  double underflowResult = -1.0;
};

// Target coefficients only (the running sets of the packed road may differ).
void ExpectSameDesign(const Filter& a, double cutoff) {
  Filter ref;
  ref.Design(cutoff, 9.0);
  for (int i = 0; i < 3; ++i) {
    const Dsp::CascadeStage& x = a.Stages().stages[i];
    const Dsp::CascadeStage& y = ref.Stages().stages[i];
    EXPECT_EQ(x.a1, y.a1);
    EXPECT_EQ(x.a2, y.a2);
    EXPECT_EQ(x.b0, y.b0);
    EXPECT_EQ(x.b1, y.b1);
    EXPECT_EQ(x.b2, y.b2);
  }
}

// ---------------------------------------------------------------- factor and rate

TEST(AudioProcessor, OversamplingDesignsBothFiltersForTheFactor) {
  ProbeProcessor p;
  p.SetOversampling(2);
  EXPECT_EQ(p.Oversampling(), 2);
  EXPECT_EQ(p.rateChanges, 1);
  const Dsp::CascadeStage& s = p.UpFilter().Stages().stages[2];
  EXPECT_NEAR(s.a1, -0.9996255679418184, 1e-12);
  EXPECT_NEAR(s.a2, -0.3498425033256415, 1e-12);
  EXPECT_NEAR(s.b1, 1.7488731188212736, 1e-12);
  ExpectSameDesign(p.DownFilter(), 0.25);

  p.SetOversampling(4);
  EXPECT_EQ(p.rateChanges, 2);
  EXPECT_NEAR(p.DownFilter().Stages().stages[0].a1, 1.35169222745997, 1e-12);
  EXPECT_NEAR(p.DownFilter().Stages().stages[0].b0, 0.27983100369747993, 1e-12);
  ExpectSameDesign(p.UpFilter(), 0.125);
}

TEST(AudioProcessor, FactorBelowOneBecomesOne) {
  for (int factor : {0, -3}) {
    ProbeProcessor p;
    p.SetOversampling(4);
    p.SetOversampling(factor);
    EXPECT_EQ(p.Oversampling(), 1) << factor;
    ExpectSameDesign(p.UpFilter(), 0.5);
  }
}

TEST(AudioProcessor, ChangeSampleRateRefusesRatesOutOfRange) {
  ProbeProcessor p;
  p.SetOversampling(2);
  EXPECT_TRUE(p.ChangeSampleRate(96000));
  EXPECT_EQ(p.SampleRate(), 96000);
  for (int bad : {0, -44100, AudioProcessor::kMaxSampleRate + 1, INT_MAX}) {
    EXPECT_FALSE(p.ChangeSampleRate(bad)) << bad;
    EXPECT_EQ(p.SampleRate(), 96000);
  }
  ExpectSameDesign(p.UpFilter(), 0.25);
  EXPECT_EQ(p.rateChanges, 1);  // a rate change alone does not redesign
  EXPECT_TRUE(p.ChangeSampleRate(AudioProcessor::kMaxSampleRate));
  EXPECT_EQ(p.SampleRate(), AudioProcessor::kMaxSampleRate);
}

// ---------------------------------------------------------------- the block road

TEST(AudioProcessor, FactorOneProcessesInPlaceWithoutFilters) {
  ProbeProcessor p;
  p.SetOversampling(1);
  p.gain = 0.5;
  const std::vector<double> in = dsptest::RandomStereo(100, 1);
  std::vector<double> v = in;
  ASSERT_TRUE(p.ProcessInterleaved(v.data(), 100));
  EXPECT_EQ(p.calls, 1);
  EXPECT_EQ(p.lastFrames, 100);
  EXPECT_EQ(p.seen, in);
  for (size_t i = 0; i < v.size(); ++i) EXPECT_EQ(v[i], in[i] * 0.5);
}

// Zero-order hold, up-filter, (process), down-filter, first frame of every group.
std::vector<double> OversampledReference(const std::vector<double>& in, int factor, Filter& up,
                                         Filter& down) {
  const int frames = static_cast<int>(in.size() / 2);
  std::vector<double> hi;
  for (int f = 0; f < frames; ++f) {
    for (int k = 0; k < factor; ++k) {
      hi.push_back(in[2 * f]);
      hi.push_back(in[2 * f + 1]);
    }
  }
  up.FilterFrames(frames * factor, hi.data());
  down.FilterFrames(frames * factor, hi.data());
  std::vector<double> out;
  for (int f = 0; f < frames * factor; f += factor) {
    out.push_back(hi[2 * f]);
    out.push_back(hi[2 * f + 1]);
  }
  return out;
}

TEST(AudioProcessor, OversampledRoadIsHoldUpFilterDownFilterAndDecimation) {
  for (int factor : {2, 4}) {
    SCOPED_TRACE(factor);
    ProbeProcessor p;
    p.SetOversampling(factor);
    Filter up, down;
    up.Design(0.5 / factor, 9.0);
    down.Design(0.5 / factor, 9.0);
    for (int block = 0; block < 3; ++block) {
      const std::vector<double> in = dsptest::RandomStereo(200, 30 + block, 0.9);
      std::vector<double> v = in;
      ASSERT_TRUE(p.ProcessInterleaved(v.data(), 200));
      EXPECT_EQ(v, OversampledReference(in, factor, up, down));
    }
    // The step saw the held frames after the up-filter.
    ASSERT_EQ(p.seen.size(), 2u * 200 * factor);
  }
}

TEST(AudioProcessor, DryShareIsTakenAfterTheUpFilter) {
  ProbeProcessor p;
  p.SetOversampling(4);
  p.gain = 0.0;  // the wet signal is silence
  p.SetMix(0.0);
  Filter up, down;
  up.Design(0.125, 9.0);
  down.Design(0.125, 9.0);
  const std::vector<double> in = dsptest::RandomStereo(300, 40);
  std::vector<double> v = in;
  ASSERT_TRUE(p.ProcessInterleaved(v.data(), 300));
  EXPECT_EQ(v, OversampledReference(in, 4, up, down));
}

TEST(AudioProcessor, MixBlendsWetAndDry) {
  ProbeProcessor p;
  p.SetOversampling(1);
  p.gain = -2.0;
  p.SetMix(0.25);
  const std::vector<double> in = dsptest::RandomStereo(64, 41);
  std::vector<double> v = in;
  ASSERT_TRUE(p.ProcessInterleaved(v.data(), 64));
  for (size_t i = 0; i < v.size(); ++i)
    EXPECT_NEAR(v[i], 0.25 * -2.0 * in[i] + 0.75 * in[i], 1e-15);
}

TEST(AudioProcessor, OtherChannelCountsLeaveTheBlockAlone) {
  ProbeProcessor p;
  p.SetOversampling(2);
  p.gain = 0.5;
  p.SetChannels(1);
  const std::vector<double> in = dsptest::RandomStereo(32, 42);
  std::vector<double> v = in;
  EXPECT_FALSE(p.ProcessInterleaved(v.data(), 32));
  EXPECT_EQ(v, in);
  EXPECT_EQ(p.calls, 0);
  p.SetChannels(2);
  EXPECT_TRUE(p.ProcessInterleaved(v.data(), 32));
  EXPECT_EQ(p.calls, 1);
}

// Frames x factor above INT32_MAX / 2 is refused before the buffer is read, so a small buffer is
// safe.
TEST(AudioProcessor, OversizedBlockIsRefusedUntouched) {
  struct Case {
    int factor, frames;
  };
  for (const Case& c : {Case{4, 300000000}, Case{1, 1200000000}, Case{2, INT_MAX}}) {
    SCOPED_TRACE(c.factor);
    ProbeProcessor p;
    p.SetOversampling(c.factor);
    double small[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_FALSE(p.ProcessInterleaved(small, c.frames));
    for (int i = 0; i < 8; ++i) EXPECT_EQ(small[i], i + 1.0);
    EXPECT_EQ(p.calls, 0);
  }
}

TEST(AudioProcessor, NonFiniteInputSamplesAreTakenAsZero) {
  ProbeProcessor p;
  p.SetOversampling(1);
  std::vector<double> v = {NAN, 0.5, INFINITY, -INFINITY, -0.25, -NAN};
  ASSERT_TRUE(p.ProcessInterleaved(v.data(), 3));
  const std::vector<double> expected = {0.0, 0.5, 0.0, 0.0, -0.25, 0.0};
  EXPECT_EQ(p.seen, expected);
  EXPECT_EQ(v, expected);

  ProbeProcessor q;
  q.SetOversampling(4);
  std::vector<double> w = dsptest::RandomStereo(128, 43);
  w[10] = NAN;
  w[51] = INFINITY;
  ASSERT_TRUE(q.ProcessInterleaved(w.data(), 128));
  EXPECT_TRUE(dsptest::AllFinite(w));
}

TEST(AudioProcessor, NonFiniteFilterMemoryIsClearedAfterTheBlock) {
  ProbeProcessor p;
  p.SetOversampling(2);
  p.poison = true;  // the step emits a NaN, which reaches the down-filter
  std::vector<double> v = dsptest::RandomStereo(64, 44);
  ASSERT_TRUE(p.ProcessInterleaved(v.data(), 64));
  EXPECT_TRUE(p.DownFilter().HistoryFinite());
  EXPECT_TRUE(p.UpFilter().HistoryFinite());
  p.poison = false;
  v = dsptest::RandomStereo(64, 45);
  ASSERT_TRUE(p.ProcessInterleaved(v.data(), 64));
  EXPECT_TRUE(dsptest::AllFinite(v));
}

#if defined(__SSE2__)
TEST(AudioProcessor, DenormalsAreFlushedOnlyDuringABlock) {
  for (int factor : {1, 4}) {
    ProbeProcessor p;
    p.SetOversampling(factor);
    const unsigned before = _mm_getcsr();
    std::vector<double> v = dsptest::RandomStereo(16, 46);
    ASSERT_TRUE(p.ProcessInterleaved(v.data(), 16));
    EXPECT_EQ(p.csrDuringBlock & 0x8040u, 0x8040u)
        << factor;  // flush-to-zero and denormals-are-zero
    EXPECT_EQ(p.underflowResult, 0.0);
    EXPECT_EQ(_mm_getcsr(), before);
  }
}
#endif

// ---------------------------------------------------------------- helpers

TEST(StereoHelpers, DeinterleaveAndInterleaveRoundTrip) {
  const std::vector<double> in = dsptest::RandomStereo(37, 47);
  std::vector<double> left(37), right(37), back(74, 0.0);
  DeinterleaveStereo(37, left.data(), right.data(), in.data());
  for (int i = 0; i < 37; ++i) {
    EXPECT_EQ(left[i], in[2 * i]);
    EXPECT_EQ(right[i], in[2 * i + 1]);
  }
  InterleaveStereo(37, back.data(), left.data(), right.data());
  EXPECT_EQ(back, in);
}

TEST(ScratchArray, KeepsItsAlignedBlockGrowsOnDemandAndRefusesImpossibleSizes) {
  ScratchArray a;
  EXPECT_EQ(a.Get(), nullptr);
  EXPECT_EQ(a.Reserve(SIZE_MAX / 2), nullptr);
  EXPECT_EQ(a.Get(), nullptr);
  double* p = a.Reserve(100);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u);
  for (int i = 0; i < 100; ++i) p[i] = i;  // the whole room is usable
  EXPECT_EQ(a.Reserve(50), p);
  EXPECT_EQ(a.Reserve(SIZE_MAX), nullptr);  // a failed growth keeps the old block
  EXPECT_EQ(a.Get(), p);
  double* q = a.Reserve(1000);
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(q) % 16, 0u);
  q[999] = 1.0;
  EXPECT_EQ(a.Get(), q);
}

}  // namespace
