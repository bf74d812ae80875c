// The benchmark's engine interface (engine_api.h) over Ombrelux. Compiled into the benchmark with
// the tree's engine, and (with QO_BENCH_EXPORT) into a baseline module with an older revision's.
#include <cmath>
#include <new>

#include "bench/engine_api.h"
#include "dsp/cpufeatures.h"
#include "dsp/ombrelux.h"

namespace {
void* Create(int rate, int factor, int maxFrames) {
  Ombrelux* e = new (std::nothrow) Ombrelux();
  if (!e) return nullptr;
  e->ChangeSampleRate(rate);
  e->SetOversampling(factor);
  // The plug-in's default settings, converted as the plug-in converts them.
  auto lin = [](double db) { return std::exp(db * 0.1151292546497); };
  e->mTopComp.mThreshold = lin(-19.0);
  e->mTopComp.mRatio = 2.0;
  e->mMidComp.mThreshold = lin(-24.0);
  e->mMidComp.mRatio = 2.0;
  e->mBtmComp.mThreshold = lin(-29.0);
  e->mBtmComp.mRatio = 2.0;
  const double high = static_cast<double>(rate) * factor;
  const double attack = std::exp(-1.0 / (0.010 * high));
  const double release = std::exp(-1.0 / (0.500 * high));
  e->mTracker.mLeft.mAttackCoef = e->mTracker.mRight.mAttackCoef = attack;
  e->mTracker.mLeft.mReleaseCoef = e->mTracker.mRight.mReleaseCoef = release;
  e->mSaturation = 20.0 / 10.0;
  e->Prepare(maxFrames);
  return e;
}
void Destroy(void* e) { delete static_cast<Ombrelux*>(e); }
void Process(void* e, double* interleaved, int frames) {
  static_cast<Ombrelux*>(e)->ProcessInterleaved(interleaved, frames);
}
void AllowWide(int allow) {
  Dsp::AllowWideRoad(allow != 0);
#if defined(QO_DSP_HAS_WIDEST_ROAD)
  Dsp::AllowWidestRoad(allow > 1);
#endif
}
const char* Road() {
#if defined(QO_DSP_HAS_WIDEST_ROAD)
  if (Dsp::WidestRoadActive()) return "AVX512";
#endif
  return Dsp::WideRoadActive() ? "AVX2" : "SSE2";
}

const QoBenchEngineApi kApi = {Create, Destroy, Process, AllowWide, Road};
}  // namespace

#if defined(QO_BENCH_EXPORT)
extern "C" __attribute__((visibility("default"))) const QoBenchEngineApi* QoBenchBaselineApi() {
  return &kApi;
}
#else
const QoBenchEngineApi* QoBenchCurrentEngineApi() { return &kApi; }
#endif
