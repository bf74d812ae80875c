// The processing entries and the parameter entries through the loaded module.
#include <cmath>
#include <limits>

#include "tests/integration/vst2/vst2_harness.h"

namespace qo2 {
namespace {

Planar Signal(size_t frames) { return hostsignal::TestSignal(2, 44100, static_cast<double>(frames) / 44100.0); }

std::vector<std::vector<float>> ToFloat(const Planar& x) {
  std::vector<std::vector<float>> f;
  for (const auto& ch : x) f.emplace_back(ch.begin(), ch.end());
  return f;
}

// One call of an entry over whole buffers (separate input and output buffers).
enum class Entry { kReplacing, kDouble, kAdding };
Planar RunOnce(Instance& fx, const Planar& in, Entry entry, int frames, double prefill = 0.0) {
  Planar out(2, std::vector<double>(in[0].size(), prefill));
  if (entry == Entry::kDouble) {
    Planar src = in;
    double* ip[2] = {src[0].data(), src[1].data()};
    double* op[2] = {out[0].data(), out[1].data()};
    fx.effect->processDoubleReplacing(fx.effect, ip, op, frames);
    return out;
  }
  auto src = ToFloat(in);
  auto dst = ToFloat(out);
  float* ip[2] = {src[0].data(), src[1].data()};
  float* op[2] = {dst[0].data(), dst[1].data()};
  if (entry == Entry::kAdding) {
    fx.effect->process(fx.effect, ip, op, frames);
  } else {
    fx.effect->processReplacing(fx.effect, ip, op, frames);
  }
  for (int c = 0; c < 2; ++c) out[c].assign(dst[c].begin(), dst[c].end());
  return out;
}

TEST(Vst2Processing, ParameterReadsAreNormalised) {
  auto fx = PreparedInstance();
  ASSERT_TRUE(fx);
  // Release 500 in 1..999 on a square curve: sqrt(499 / 998) = sqrt(0.5).
  EXPECT_EQ(fx->GetParameter(kRelease), 0.70710677f);
  // Top threshold -19 in -48..0: 29 / 48.
  EXPECT_EQ(fx->GetParameter(kTopThr), static_cast<float>(29.0 / 48.0));
  EXPECT_EQ(fx->GetParameter(-1), 0.0f);
  EXPECT_EQ(fx->GetParameter(9), 0.0f);
}

TEST(Vst2Processing, SetParameterAppliesHostAutomation) {
  auto fx = PreparedInstance();
  ASSERT_TRUE(fx);
  // 1 + 0.5^2 x 998 = 250.5, rounded to the 1 ms step (halves away from zero): 251 ms.
  fx->SetParameter(kRelease, 0.5f);
  EXPECT_EQ(fx->Text(effGetParamDisplay, kRelease), "251");
  EXPECT_NEAR(fx->GetParameter(kRelease), 0.5f, 1e-3f);  // sqrt(250 / 998) = 0.5005
  // NaN and bad indexes change nothing; values outside 0..1 are limited to it.
  fx->SetParameter(kRelease, std::nanf(""));
  fx->SetParameter(9, 0.1f);
  fx->SetParameter(-1, 0.1f);
  EXPECT_EQ(fx->Text(effGetParamDisplay, kRelease), "251");
  fx->SetParameter(kRelease, 7.0f);
  EXPECT_EQ(fx->Text(effGetParamDisplay, kRelease), "999");
  fx->SetParameter(kTopThr, -3.0f);
  EXPECT_EQ(fx->Text(effGetParamDisplay, kTopThr), "-48.0");
  // The engine follows: the same block through an instance set by text to 251 ms gives the same audio.
  auto byText = PreparedInstance();
  ASSERT_TRUE(byText);
  ASSERT_TRUE(byText->SetParameterText(kRelease, "999"));
  ASSERT_TRUE(byText->SetParameterText(kTopThr, "-48"));
  const Planar in = Signal(2048);
  EXPECT_EQ(RunOnce(*fx, in, Entry::kReplacing, 2048), RunOnce(*byText, in, Entry::kReplacing, 2048));
}

TEST(Vst2Processing, FloatAndDoubleAgreeToFloatPrecision) {
  auto f = PreparedInstance();
  auto d = PreparedInstance();
  ASSERT_TRUE(f && d);
  const Planar in = Signal(8192);
  Planar a, b;
  for (int at = 0; at < 8192; at += 512) {
    Planar part(2);
    for (int c = 0; c < 2; ++c) part[c].assign(in[c].begin() + at, in[c].begin() + at + 512);
    const Planar pa = RunOnce(*f, part, Entry::kReplacing, 512);
    const Planar pb = RunOnce(*d, part, Entry::kDouble, 512);
    a.resize(2);
    b.resize(2);
    for (int c = 0; c < 2; ++c) {
      a[c].insert(a[c].end(), pa[c].begin(), pa[c].end());
      b[c].insert(b[c].end(), pb[c].begin(), pb[c].end());
    }
  }
  double peak = 0.0;
  for (int c = 0; c < 2; ++c) {
    for (size_t k = 0; k < b[c].size(); ++k) {
      peak = std::fmax(peak, std::fabs(b[c][k]));
      ASSERT_NEAR(a[c][k], b[c][k], 1e-5) << "channel " << c << " frame " << k;
    }
  }
  EXPECT_GT(peak, 1e-3);  // something came through
}

TEST(Vst2Processing, AccumulatingProcessAddsIntoTheOutput) {
  auto add = PreparedInstance();
  auto rep = PreparedInstance();
  ASSERT_TRUE(add && rep);
  const Planar in = Signal(1024);
  const Planar sum = RunOnce(*add, in, Entry::kAdding, 1024, 0.5);
  const Planar out = RunOnce(*rep, in, Entry::kReplacing, 1024);
  for (int c = 0; c < 2; ++c) {
    for (size_t k = 0; k < out[c].size(); ++k) {
      // The plug-in's sample in single precision, then added to 0.5 in single precision.
      ASSERT_EQ(static_cast<float>(sum[c][k]), static_cast<float>(out[c][k]) + 0.5f) << k;
    }
  }
}

TEST(Vst2Processing, FloatOutputsStayFiniteAfterAHugeDoubleBlock) {
  // A hostile host: one block at 1e300 through the double entry (its input bound keeps it finite),
  // then a 0.5 sine through a float entry. With every ratio at 1 and no saturation the plug-in passes
  // the level on, and the filters' tails of the huge block stay far beyond the float range for a
  // while; every float the host gets is finite, also when its own buffer holds the largest float and
  // the sum overflows.
  Planar huge(2, std::vector<double>(512, 1e300));
  Planar sine(2, std::vector<double>(4096));
  for (int c = 0; c < 2; ++c) {
    for (size_t k = 0; k < sine[c].size(); ++k) sine[c][k] = 0.5 * std::sin(0.05 * static_cast<double>(k));
  }
  const double big = std::numeric_limits<float>::max();
  struct Row {
    Entry entry;
    double prefill;
  };
  for (const Row& r : {Row{Entry::kReplacing, 0.0}, Row{Entry::kAdding, 0.0}, Row{Entry::kAdding, big},
                       Row{Entry::kAdding, -big}}) {
    auto fx = PreparedInstance(44100.0, 4096);
    ASSERT_TRUE(fx);
    for (int param : {kTopRatio, kAvgRatio, kBtmRatio, kSaturation}) fx->SetParameter(param, 0.0f);
    RunOnce(*fx, huge, Entry::kDouble, 512);
    const Planar out = RunOnce(*fx, sine, r.entry, 4096, r.prefill);
    int infinite = 0, beyondHalf = 0;
    for (const auto& ch : out) {
      for (double v : ch) {
        if (!std::isfinite(v)) ++infinite;
        if (std::fabs(v) > big / 2) ++beyondHalf;
      }
    }
    EXPECT_EQ(infinite, 0) << "entry " << static_cast<int>(r.entry) << " prefill " << r.prefill;
    EXPECT_GT(beyondHalf, 0) << "the level did reach beyond the float range";
  }
}

TEST(Vst2Processing, ZeroFramesWriteNothing) {
  for (Entry entry : {Entry::kReplacing, Entry::kDouble, Entry::kAdding}) {
    auto fx = PreparedInstance();
    ASSERT_TRUE(fx);
    const Planar out = RunOnce(*fx, Signal(64), entry, 0, 7.0);
    for (const auto& ch : out) {
      for (double v : ch) ASSERT_EQ(v, 7.0);
    }
  }
}

TEST(Vst2Processing, BlocksLongerThanAnnouncedAreProcessedInSlices) {
  const Planar in = Signal(3000);
  for (Entry entry : {Entry::kReplacing, Entry::kDouble, Entry::kAdding}) {
    auto whole = PreparedInstance(44100.0, 512);
    auto parts = PreparedInstance(44100.0, 512);
    ASSERT_TRUE(whole && parts);
    const Planar a = RunOnce(*whole, in, entry, 3000, 0.25);
    Planar b(2);
    for (int at = 0; at < 3000; at += 512) {
      const int n = 3000 - at < 512 ? 3000 - at : 512;
      Planar part(2);
      for (int c = 0; c < 2; ++c) part[c].assign(in[c].begin() + at, in[c].begin() + at + n);
      const Planar p = RunOnce(*parts, part, entry, n, 0.25);
      for (int c = 0; c < 2; ++c) b[c].insert(b[c].end(), p[c].begin(), p[c].end());
    }
    EXPECT_EQ(a, b);
  }
}

}  // namespace
}  // namespace qo2
