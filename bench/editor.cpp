// Editor benchmark, on the plug-in object with its whole editor: one full repaint of the fourteen
// controls into the back buffer (and one that first recomputes a changed transfer curve), the meter
// feeding after a block, the curve recomputation itself, and a block with automation on all nine
// parameters against the block's audio work alone. Plain timing loops (median of several runs); natively build with the `bench` preset
// (build/bench/bench/bench_editor), or run the Windows build under Wine, where the value texts are
// drawn too (tools/wine64-run.sh build/win64/bench/bench_editor.exe).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "fx/igraphics.h"
#include "plugin/quibelombrelux.h"

namespace {

using Clock = std::chrono::steady_clock;

// Median over runs of the time per call of body, in nanoseconds.
template <typename F>
double NsPerCall(int calls, F&& body, int runs = 7) {
  std::vector<double> times;
  for (int r = 0; r < runs; ++r) {
    const auto t0 = Clock::now();
    for (int i = 0; i < calls; ++i) body(i);
    const auto t1 = Clock::now();
    times.push_back(std::chrono::duration<double, std::nano>(t1 - t0).count() / calls);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

volatile double gSink;

}  // namespace

int main() {
  QuibelOmbrelux* fx = new QuibelOmbrelux(IFxCreateArgs());
  for (int i = 0; i < kNumParams; ++i) fx->ParamChanged(i, kSourceRestore);
  IGraphics* g = fx->AttachedGraphics();
  if (!g) {
    std::printf("no editor graphics object\n");
    return 1;
  }
  const IBox all(0, 0, 640, 480);

  fx->FeedMeters(0.5, -3.0);
  const double repaint = NsPerCall(200, [&](int) {
    g->FlagAllControlsChanged();
    g->RedrawRegion(all);
  });
  std::printf("full editor repaint (14 controls, 640 x 480): %.3f ms (%.1f%% of a 40 ms tick)\n",
              repaint / 1e6, repaint / 1e6 / 40.0 * 100.0);

  const double feed = NsPerCall(1000000, [&](int i) {
    fx->FeedMeters(0.25 + (i & 7) * 0.01, -6.0 + (i & 3));
  });
  std::printf("meter feeding per block: %.1f ns\n", feed);

  const double change = NsPerCall(100000, [&](int i) { fx->ParamChanged(i % kNumParams, kSourceHost); });
  std::printf("one parameter change (the curve only marked): %.1f ns\n", change);
  const double curve = NsPerCall(500, [&](int i) {
    fx->ParamChanged(i % kNumParams, kSourceHost);
    fx->RefreshCurve();
  });
  std::printf("curve recomputation before a paint (300 one-frame engine runs): %.1f us\n",
              curve / 1e3);
  const double repaintWithCurve = NsPerCall(200, [&](int i) {
    fx->ParamChanged(i % kNumParams, kSourceHost);
    g->FlagAllControlsChanged();
    g->RedrawRegion(all);
  });
  std::printf("full editor repaint after a parameter change (curve included): %.3f ms\n",
              repaintWithCurve / 1e6);

  const int rates[] = {44100, 96000};
  for (int rate : rates) {
    for (int block : {64, 256, 512}) {
      fx->SetSampleRate(rate);
      fx->ChangeBlockSize(block);
      fx->ResetAudio();
      std::vector<double> inL(block), inR(block), outL(block), outR(block);
      for (int i = 0; i < block; ++i) {
        inL[i] = 0.5 * std::sin(i * 0.05);
        inR[i] = 0.5 * std::sin(i * 0.07);
      }
      double* in[2] = {inL.data(), inR.data()};
      double* out[2] = {outL.data(), outR.data()};
      const double audio = NsPerCall(2000, [&](int) { fx->ProcessSamples(in, out, block); });
      const double automated = NsPerCall(500, [&](int i) {
        for (int p = 0; p < kNumParams; ++p) {
          fx->GetParam(p)->AssignNormalized(((i + p) & 15) / 15.0);
          fx->ParamChanged(p, kSourceHost);
        }
        fx->ProcessSamples(in, out, block);
      });
      gSink = outL[0];
      std::printf("%6d Hz, %3d frames: block %.1f us; with nine automated parameters %.1f us "
                  "(parameter work %.1f us = %.1f x the audio)\n",
                  rate, block, audio / 1e3, automated / 1e3, (automated - audio) / 1e3,
                  (automated - audio) / audio);
    }
  }
  fx->release();
  return 0;
}
