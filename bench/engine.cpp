// Engine benchmark: ns per stereo input frame and the real-time factor of Ombrelux at 44.1 kHz
// (factor 4), 96 kHz (factor 2) and 192 kHz (factor 1), for blocks of 32, 512 and 4096 frames, on
// noise and on silence after loud noise. QO_TWO_LANE=1 in the environment keeps the engine on its
// two-lane (SSE2) road where the processor has AVX2. With Google Benchmark natively, a plain timing loop in the
// Windows builds (run under Wine: tools/wine64-run.sh build/win64/bench/bench_engine.exe).
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "dsp/cpufeatures.h"
#include "dsp/ombrelux.h"

#if defined(QO_GBENCH)
#include <benchmark/benchmark.h>

#include <string>
#endif

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

std::vector<Case> AllCases() {
  std::vector<Case> cases;
  const int rates[3][2] = {{44100, 4}, {96000, 2}, {192000, 1}};
  for (const auto& rf : rates) {
    for (int block : {32, 512, 4096}) {
      for (bool silence : {false, true}) cases.push_back(Case{rf[0], rf[1], block, silence});
    }
  }
  return cases;
}

// Applies QO_TWO_LANE and names the road the engine runs on.
const char* ChooseRoad() {
  const char* twoLane = std::getenv("QO_TWO_LANE");
  if (twoLane && twoLane[0] == '1') Dsp::AllowWideRoad(false);
  return Dsp::WideRoadActive() ? "AVX2, four lanes" : "SSE2, two lanes";
}

#if !defined(QO_GBENCH)
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
#endif
}  // namespace

#if defined(QO_GBENCH)
// Google Benchmark: one benchmark per case, with ns per stereo input frame and the real-time factor
// as counters.
void BM_Engine(benchmark::State& state, Case c) {
  Fixture f(c);
  for (auto _ : state) f.RunBlock(c.silence);
  const double frames = static_cast<double>(state.iterations()) * c.block;
  // seconds / (frames / 1e9): nanoseconds per frame.
  state.counters["ns_per_frame"] = benchmark::Counter(frames / 1e9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["x_realtime"] = benchmark::Counter(frames / c.rate, benchmark::Counter::kIsRate);
}

int main(int argc, char** argv) {
  benchmark::AddCustomContext("engine road", ChooseRoad());
  for (const Case& c : AllCases()) {
    const std::string name = "Engine/" + std::to_string(c.rate) + "Hz_x" + std::to_string(c.factor) +
                             "/block" + std::to_string(c.block) + (c.silence ? "/silence" : "/noise");
    benchmark::RegisterBenchmark(name.c_str(), BM_Engine, c);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
#else
int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 0.5;
  std::printf("engine road: %s\n", ChooseRoad());
  std::printf("%-8s %-6s %-6s %-8s %12s %12s\n", "rate", "factor", "block", "signal", "ns/frame",
              "x realtime");
  for (const Case& c : AllCases()) {
    const double ns = MeasureNsPerFrame(c, seconds);
    std::printf("%-8d %-6d %-6d %-8s %12.1f %12.1f\n", c.rate, c.factor, c.block,
                c.silence ? "silence" : "noise", ns, 1e9 / (ns * c.rate));
  }
  return 0;
}
#endif
