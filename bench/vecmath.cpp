// Array maths benchmark: ns per element of std::exp, std::log and std::tanh in a loop against
// Dsp::ExpArray, LogArray and TanhArray (on two-lane registers, on four-lane ones where the
// processor has AVX2 and on eight-lane ones where it has AVX-512), on 4096-element arrays of values the engine sees (gains in
// nepers, envelope levels, driven samples). Plain timing loop; the optional argument is the time
// per measurement in seconds; the figures are the fastest of many short batches.
#include "dsp/vecmath.h"

#include "dsp/cpufeatures.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kN = 4096;

std::vector<double> Values(double lo, double hi, uint64_t seed) {
  std::vector<double> v(kN);
  for (double& x : v) {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    x = lo + (hi - lo) * (static_cast<double>(seed >> 11) / 9007199254740992.0);
  }
  return v;
}

// Runs body (one pass over the array) in batches until `seconds` have passed; returns the ns per
// element of the fastest batch (the machine may be shared, and interruptions only slow batches
// down).
template <class Body>
double NsPerElement(Body body, double seconds) {
  using clock = std::chrono::steady_clock;
  for (int i = 0; i < 16; ++i) body();  // warm up
  double best = 1e30;
  const auto start = clock::now();
  do {
    const auto t0 = clock::now();
    for (int i = 0; i < 8; ++i) body();
    const double batch = std::chrono::duration<double>(clock::now() - t0).count();
    if (batch < best) best = batch;
  } while (std::chrono::duration<double>(clock::now() - start).count() < seconds);
  return best * 1e9 / (8.0 * kN);
}

volatile double gSink;

void Compare(const char* name, double (*scalar)(double), void (*array)(const double*, double*, int),
             const std::vector<double>& in, double seconds) {
  std::vector<double> out(kN);
  const double tScalar = NsPerElement(
      [&] {
        for (int i = 0; i < kN; ++i) out[i] = scalar(in[i]);
        gSink = out[kN - 1];
      },
      seconds);
  auto arrays = [&] {
    array(in.data(), out.data(), kN);
    gSink = out[kN - 1];
  };
  const bool wide = Dsp::WideRoadActive(), widest = Dsp::WidestRoadActive();
  Dsp::AllowWideRoad(false);
  const double tTwoLane = NsPerElement(arrays, seconds);
  Dsp::AllowWideRoad(true);
  Dsp::AllowWidestRoad(false);
  const double tWide = wide ? NsPerElement(arrays, seconds) : tTwoLane;
  Dsp::AllowWidestRoad(true);
  const double tWidest = widest ? NsPerElement(arrays, seconds) : tWide;
  std::printf("%-6s %14.2f %14.2f %14.2f %14.2f %10.2fx\n", name, tScalar, tTwoLane, tWide, tWidest,
              tScalar / tWidest);
}

double Exp(double x) { return std::exp(x); }
double Log(double x) { return std::log(x); }
double Tanh(double x) { return std::tanh(x); }

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 0.3;
  std::printf("%d-element arrays, ns per element\n", kN);
  std::printf("%-6s %14s %14s %14s %14s %11s\n", "", "std:: loop", "two lanes", "AVX2 lanes",
              "AVX-512 lanes", "speed-up");
  if (!Dsp::WideRoadActive()) std::printf("(no AVX2 here: the wide columns are the two-lane road)\n");
  if (!Dsp::WidestRoadActive()) std::printf("(no AVX-512 here: its column is the AVX2 road)\n");
  Compare("exp", Exp, Dsp::ExpArray, Values(-14.0, 3.0, 1), seconds);
  Compare("log", Log, Dsp::LogArray, Values(1e-4, 4.0, 2), seconds);
  Compare("tanh", Tanh, Dsp::TanhArray, Values(-6.0, 6.0, 3), seconds);
  return 0;
}
