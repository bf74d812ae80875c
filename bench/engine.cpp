// Engine benchmark: wall-clock nanoseconds per stereo input frame of Ombrelux, for every case of
// rate (44.1 and 48 kHz at factor 4, 96 kHz at 2, 192 kHz at 1), block length (1, 32, 64, 256,
// 512, 4096 frames) and signal (program-like noise, silence after loud input, a full-scale square
// wave, subnormal-level noise), on the eight-lane AVX-512 road of the array maths where the
// processor has it, the four-lane AVX2 road and the two-lane SSE2 road. With a
// baseline module (an older revision's engine, see README.md) every case is measured for both
// engines side by side, in alternating rounds, so that load on the machine touches both alike.
// One more case runs the plug-in itself through the base's float host-block entry.
//
// A take is 65536 frames at the host rate, run block by block through the engine in place; only
// the block calls are timed. The input is laid out again before each take and the output is
// summed after it (both outside the timed stretch), so nothing can be optimised away. Each figure
// is the fastest take (the machine may be shared; interruptions only make takes slower).
//
// Usage: bench_engine [--seconds S] [--baseline MODULE | --no-baseline] [--only TEXT] [--road R]
//   --seconds  time spent per case and engine and road (default 0.15)
//   --only     run only the cases whose name holds TEXT (e.g. "48000x4 b256"), or "plugin"
//   --road     AVX512, AVX2 or SSE2: measure that road only
//   --write-program FILE.wav   write one take of the program signal at 48 kHz (32-bit float) and
//              stop: the test host's --time option measures the real module on it
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/engine_api.h"
#include "tools/hostsignal/signal.h"

#if !defined(_WIN32)
#include <dlfcn.h>
#endif

#if defined(QO_BENCH_PLUGIN)
#include "plugin/quibelombrelux.h"
#endif

namespace {

constexpr int kTakeFrames = 65536;    // frames per timed take, at the host rate
constexpr int kLoudPrefix = 16384;    // untimed loud frames before each silent take

enum Signal { kProgram, kSilence, kSquare, kSubnormal };
const char* const kSignalNames[] = {"program", "silence", "square", "subnorm"};

struct Case {
  int rate;
  int factor;
  int block;
  Signal signal;
  std::string Name() const {
    char s[64];
    std::snprintf(s, sizeof s, "%dx%d b%d %s", rate, factor, block, kSignalNames[signal]);
    return s;
  }
};

double Uniform(uint64_t* seed) {  // in [-1, 1)
  *seed = *seed * 6364136223846793005ull + 1442695040888963407ull;
  return static_cast<double>(*seed >> 11) / 4503599627370496.0 - 1.0;
}

// kTakeFrames interleaved stereo frames of the signal (for silence: the zeros of the take).
std::vector<double> MakeSignal(Signal s, int rate) {
  std::vector<double> v(2 * static_cast<size_t>(kTakeFrames), 0.0);
  uint64_t seed = 0x5eed;
  const double pi = 3.141592653589793;
  for (int i = 0; i < kTakeFrames; ++i) {
    double l = 0.0, r = 0.0;
    switch (s) {
      case kProgram: {
        // Independent noise per channel under one slow level envelope from -57 to -3 dBFS, so
        // that every band and the gate come into play over a take.
        const double db = -30.0 + 27.0 * std::sin(2.0 * pi * i / kTakeFrames);
        const double level = std::pow(10.0, db / 20.0);
        l = level * Uniform(&seed);
        r = level * Uniform(&seed);
        break;
      }
      case kSilence:
        break;
      case kSquare: {
        const int period = rate / 100;  // 100 Hz
        l = r = (i % period) < period / 2 ? 1.0 : -1.0;
        break;
      }
      case kSubnormal:
        l = 1e-310 * Uniform(&seed);
        r = 1e-310 * Uniform(&seed);
        break;
    }
    v[2 * static_cast<size_t>(i)] = l;
    v[2 * static_cast<size_t>(i) + 1] = r;
  }
  return v;
}

// Loud noise (-3 dBFS peak) that goes before every silent take.
std::vector<double> LoudPrefix() {
  std::vector<double> v(2 * static_cast<size_t>(kLoudPrefix));
  uint64_t seed = 77;
  for (double& x : v) x = 0.7 * Uniform(&seed);
  return v;
}

volatile double gSink;

// One engine on one road for one case: its own instance and buffers, and its fastest take.
struct Runner {
  const QoBenchEngineApi* api;
  int wide;  // allow_wide's argument: 0 two lanes, 1 AVX2, 2 the widest
  void* engine = nullptr;
  const std::vector<double>* source;
  const std::vector<double>* prefix;  // null unless the case is silence after loud input
  std::vector<double> work;
  std::vector<double> loud;
  double bestSeconds = 1e30;
  int takes = 0;

  Runner(const QoBenchEngineApi* a, int w, const Case& c, const std::vector<double>* src,
         const std::vector<double>* pre)
      : api(a), wide(w), source(src), prefix(pre), work(src->size()) {
    api->allow_wide(wide);
    engine = api->create(c.rate, c.factor, c.block);
    if (prefix) loud.resize(prefix->size());
  }
  ~Runner() {
    if (engine) api->destroy(engine);
  }
  Runner(const Runner&) = delete;
  Runner& operator=(const Runner&) = delete;

  void Take(int block, bool timed) {
    api->allow_wide(wide);
    if (prefix) {
      std::memcpy(loud.data(), prefix->data(), loud.size() * sizeof(double));
      for (int f = 0; f < kLoudPrefix; f += block) {
        api->process(engine, loud.data() + 2 * static_cast<size_t>(f), block);
      }
    }
    std::memcpy(work.data(), source->data(), work.size() * sizeof(double));
    double* p = work.data();
    const auto t0 = std::chrono::steady_clock::now();
    for (int f = 0; f < kTakeFrames; f += block) api->process(engine, p + 2 * static_cast<size_t>(f), block);
    const auto t1 = std::chrono::steady_clock::now();
    double sum = 0.0;
    for (double x : work) sum += x;
    gSink = sum;
    if (timed) {
      const double s = std::chrono::duration<double>(t1 - t0).count();
      if (s < bestSeconds) bestSeconds = s;
      ++takes;
    }
  }
  double NsPerFrame() const { return bestSeconds * 1e9 / kTakeFrames; }
};

// Runs the runners in alternating rounds until each has had `seconds` of takes (and at least 5).
void Measure(std::vector<Runner*>& runners, int block, double seconds) {
  for (Runner* r : runners) r->Take(block, false);  // warm up
  const auto start = std::chrono::steady_clock::now();
  const double budget = seconds * static_cast<double>(runners.size());
  for (;;) {
    for (Runner* r : runners) r->Take(block, true);
    const double spent = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (spent >= budget && runners[0]->takes >= 5) break;
  }
}

std::vector<Case> AllCases() {
  std::vector<Case> cases;
  const int rates[4][2] = {{44100, 4}, {48000, 4}, {96000, 2}, {192000, 1}};
  for (const auto& rf : rates) {
    for (int block : {1, 32, 64, 256, 512, 4096}) {
      for (Signal s : {kProgram, kSilence, kSquare, kSubnormal}) cases.push_back(Case{rf[0], rf[1], block, s});
    }
  }
  return cases;
}

const QoBenchEngineApi* LoadBaseline(const char* path) {
#if defined(_WIN32)
  (void)path;
  return nullptr;
#else
  if (!path || !*path) return nullptr;
  void* module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    std::fprintf(stderr, "baseline module not loaded: %s\n", dlerror());
    return nullptr;
  }
  auto fn = reinterpret_cast<QoBenchEngineApiFn>(dlsym(module, QO_BENCH_ENGINE_API_SYMBOL));
  return fn ? fn() : nullptr;
#endif
}

#if defined(QO_BENCH_PLUGIN)
// The plug-in at 48 kHz with its default parameters, fed 256-frame float blocks of the program
// signal on two separate input and output channels, as a VST3 host hands them over; measured
// against the engine alone on the same signal and block length.
void PluginCase(double seconds, const std::vector<int>& roads) {
  const int block = 256;
  const std::vector<double> program = MakeSignal(kProgram, 48000);
  std::vector<float> inL(kTakeFrames), inR(kTakeFrames), outL(kTakeFrames), outR(kTakeFrames);
  for (int i = 0; i < kTakeFrames; ++i) {
    inL[i] = static_cast<float>(program[2 * static_cast<size_t>(i)]);
    inR[i] = static_cast<float>(program[2 * static_cast<size_t>(i) + 1]);
  }
  const QoBenchEngineApi* api = QoBenchCurrentEngineApi();
  std::printf("\nplug-in layer, 48000 Hz, 256-frame float blocks, program signal (ns per stereo frame)\n");
  std::printf("%-6s %12s %12s %10s\n", "road", "engine", "plug-in", "plug/eng");
  for (int wide : roads) {
    api->allow_wide(wide);
    QuibelOmbrelux* fx = new QuibelOmbrelux(IFxCreateArgs());
    fx->SetSampleRate(48000.0);
    fx->ChangeBlockSize(block);
    fx->ResetAudio();
    fx->ResendAllParams(kSourceReset);
    double bestPlugin = 1e30;
    Case c{48000, 4, block, kProgram};
    Runner engine(api, wide, c, &program, nullptr);
    engine.Take(block, false);
    const auto start = std::chrono::steady_clock::now();
    int takes = 0;
    do {
      engine.Take(block, true);
      api->allow_wide(wide);
      const auto t0 = std::chrono::steady_clock::now();
      for (int f = 0; f < kTakeFrames; f += block) {
        float* in[2] = {inL.data() + f, inR.data() + f};
        float* out[2] = {outL.data() + f, outR.data() + f};
        fx->ProcessHostBlockFloat(in, out, block);
      }
      const auto t1 = std::chrono::steady_clock::now();
      double sum = 0.0;
      for (int i = 0; i < kTakeFrames; ++i) sum += outL[i] + outR[i];
      gSink = sum;
      if (takes++ > 0) {  // the first take warms up
        const double s = std::chrono::duration<double>(t1 - t0).count();
        if (s < bestPlugin) bestPlugin = s;
      }
    } while (takes < 6 ||
             std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < 2 * seconds);
    const double plugNs = bestPlugin * 1e9 / kTakeFrames;
    std::printf("%-6s %12.1f %12.1f %9.1f%%\n", api->road(), engine.NsPerFrame(), plugNs,
                100.0 * plugNs / engine.NsPerFrame());
    fx->release();
  }
  api->allow_wide(2);
}
#endif

}  // namespace

int main(int argc, char** argv) {
  double seconds = 0.15;
  std::string only;
  std::string road;
#if defined(QO_BENCH_BASELINE_MODULE)
  const char* baselinePath = QO_BENCH_BASELINE_MODULE;
#else
  const char* baselinePath = nullptr;
#endif
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc) {
      seconds = std::atof(argv[++i]);
    } else if (!std::strcmp(argv[i], "--baseline") && i + 1 < argc) {
      baselinePath = argv[++i];
    } else if (!std::strcmp(argv[i], "--no-baseline")) {
      baselinePath = nullptr;
    } else if (!std::strcmp(argv[i], "--only") && i + 1 < argc) {
      only = argv[++i];
    } else if (!std::strcmp(argv[i], "--road") && i + 1 < argc) {
      road = argv[++i];
    } else if (!std::strcmp(argv[i], "--write-program") && i + 1 < argc) {
      const std::vector<double> v = MakeSignal(kProgram, 48000);
      hostsignal::Planar planar(2);
      for (size_t f = 0; f < v.size() / 2; ++f) {
        planar[0].push_back(v[2 * f]);
        planar[1].push_back(v[2 * f + 1]);
      }
      return hostsignal::WriteWav(argv[++i], planar, 48000) ? 0 : 1;
    } else {
      std::fprintf(stderr, "usage: %s [--seconds S] [--baseline MODULE | --no-baseline] [--only TEXT] [--road AVX512|AVX2|SSE2] [--write-program FILE.wav]\n", argv[0]);
      return 2;
    }
  }
  const QoBenchEngineApi* current = QoBenchCurrentEngineApi();
  const QoBenchEngineApi* baseline = LoadBaseline(baselinePath);

  // The roads this processor has, widest first, as allow_wide's arguments with their names.
  std::vector<int> roads;
  std::vector<std::string> roadNames;
  for (int wide : {2, 1, 0}) {
    current->allow_wide(wide);
    const std::string name = current->road();
    if (roadNames.empty() || roadNames.back() != name) {
      roads.push_back(wide);
      roadNames.push_back(name);
    }
  }
  current->allow_wide(2);
  const bool wideHere = roads.size() > 1;
  std::printf("wall-clock ns per stereo input frame (fastest take of %d frames); x rt = real-time factor\n",
              kTakeFrames);
  if (baseline) std::printf("before = baseline module %s; after = this tree\n", baselinePath);
  if (!wideHere) std::printf("(no AVX2 here: only the two-lane road is measured)\n");
  std::printf("%-26s %-6s %9s %9s %8s %9s\n", "case", "road", "before", "after", "change", "x rt");

  for (const Case& c : AllCases()) {
    const std::string name = c.Name();
    if (!only.empty() && name.find(only) == std::string::npos) continue;
    const std::vector<double> source = MakeSignal(c.signal, c.rate);
    const std::vector<double> prefix = LoudPrefix();
    const std::vector<double>* pre = c.signal == kSilence ? &prefix : nullptr;
    for (size_t k = 0; k < roads.size(); ++k) {
      const int wide = roads[k];
      const char* roadName = roadNames[k].c_str();
      if (!road.empty() && road != roadName) continue;
      Runner after(current, wide, c, &source, pre);
      std::vector<Runner*> runners{&after};
      Runner* beforePtr = nullptr;
      if (baseline) {
        beforePtr = new Runner(baseline, wide, c, &source, pre);
        runners.insert(runners.begin(), beforePtr);
      }
      Measure(runners, c.block, seconds);
      const double a = after.NsPerFrame();
      const double rt = 1e9 / (a * c.rate);
      if (beforePtr) {
        const double b = beforePtr->NsPerFrame();
        std::printf("%-26s %-6s %9.1f %9.1f %7.0f%% %9.1f\n", name.c_str(), roadName, b, a,
                    100.0 * (a - b) / b, rt);
        delete beforePtr;
      } else {
        std::printf("%-26s %-6s %9s %9.1f %8s %9.1f\n", name.c_str(), roadName, "-", a, "", rt);
      }
      std::fflush(stdout);
    }
  }
  current->allow_wide(2);
#if defined(QO_BENCH_PLUGIN)
  if (only.empty() || only == "plugin") PluginCase(seconds, roads);
#endif
  return 0;
}
