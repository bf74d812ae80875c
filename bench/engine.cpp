// Engine benchmark: ns per stereo input frame and the real-time factor of Ombrelux at 44.1 kHz
// (factor 4), 96 kHz (factor 2) and 192 kHz (factor 1), for blocks of 32, 512 and 4096 frames, on
// noise and on silence after loud noise. With Google Benchmark when it is available, else a plain
// timing loop (the Windows builds).
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "dsp/ombrelux.h"

namespace {
struct Case {
  int rate;
  int factor;
  int block;
  bool silence;
};

// The plug-in's default settings, converted as the plug-in converts them.
void Configure(Ombrelux& e, int rate, int factor) {
  e.ChangeSampleRate(rate);
  e.SetOversampling(factor);
  auto lin = [](double db) { return std::exp(db * 0.1151292546497); };
  e.mTopComp.mThreshold = lin(-19.0);
  e.mTopComp.mRatio = 2.0;
  e.mMidComp.mThreshold = lin(-24.0);
  e.mMidComp.mRatio = 2.0;
  e.mBtmComp.mThreshold = lin(-29.0);
  e.mBtmComp.mRatio = 2.0;
  const double high = static_cast<double>(rate) * factor;
  const double attack = std::exp(-1.0 / (0.010 * high));
  const double release = std::exp(-1.0 / (0.500 * high));
  e.mTracker.mLeft.mAttackCoef = e.mTracker.mRight.mAttackCoef = attack;
  e.mTracker.mLeft.mReleaseCoef = e.mTracker.mRight.mReleaseCoef = release;
  e.mSaturation = 20.0 / 10.0;
}

struct Fixture {
  Ombrelux engine;
  std::vector<double> noise;
  std::vector<double> work;
  Case c;
  uint64_t seed = 12345;

  explicit Fixture(const Case& cs) : c(cs) {
    Configure(engine, c.rate, c.factor);
    noise.resize(static_cast<size_t>(c.block) * 2);
    for (double& v : noise) {
      seed = seed * 6364136223846793005ull + 1442695040888963407ull;
      v = (static_cast<double>(seed >> 11) / 9007199254740992.0 - 0.5) * 1.0;
    }
    work.resize(noise.size());
    // Loud audio first, so silence measures the decaying tails.
    for (int i = 0; i < 50; ++i) RunBlock(false);
  }
  void RunBlock(bool silence) {
    if (silence) {
      for (double& v : work) v = 0.0;
    } else {
      work = noise;
    }
    engine.ProcessInterleaved(work.data(), c.block);
  }
};

const Case kCases[] = {
    {44100, 4, 32, false},  {44100, 4, 512, false},  {44100, 4, 4096, false},
    {44100, 4, 512, true},  {96000, 2, 32, false},   {96000, 2, 512, false},
    {96000, 2, 4096, false}, {96000, 2, 512, true},  {192000, 1, 32, false},
    {192000, 1, 512, false}, {192000, 1, 4096, false}, {192000, 1, 512, true},
};

double MeasureNsPerFrame(const Case& c, double seconds) {
  Fixture f(c);
  using clock = std::chrono::steady_clock;
  long blocks = 0;
  const auto start = clock::now();
  double elapsed = 0.0;
  do {
    for (int i = 0; i < 64; ++i) f.RunBlock(c.silence);
    blocks += 64;
    elapsed = std::chrono::duration<double>(clock::now() - start).count();
  } while (elapsed < seconds);
  return elapsed * 1e9 / (static_cast<double>(blocks) * c.block);
}
}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 0.5;
  std::printf("%-8s %-6s %-6s %-8s %12s %12s\n", "rate", "factor", "block", "signal", "ns/frame",
              "x realtime");
  for (const Case& c : kCases) {
    const double ns = MeasureNsPerFrame(c, seconds);
    std::printf("%-8d %-6d %-6d %-8s %12.1f %12.1f\n", c.rate, c.factor, c.block,
                c.silence ? "silence" : "noise", ns, 1e9 / (ns * c.rate));
  }
  return 0;
}
