// The array functions: the kernels of vecmath_kernels.h on two-lane SSE2 registers, or on the
// four-lane AVX2 (vecmath_avx2.cpp) or eight-lane AVX-512 registers (vecmath_avx512.cpp) where the
// processor has them. All give the same bits, so which one runs never shows in the results.
#include "dsp/vecmath.h"

#include "dsp/bandlaws.h"
#include "dsp/compressors.h"
#include "dsp/follower.h"

#include <cmath>

#if defined(__SSE2__)
#include "dsp/cpufeatures.h"
#include "dsp/bandkernel.h"
#include "dsp/vecmath_kernels.h"
#include "dsp/vecmath_road.h"
#endif

namespace Dsp {

#if defined(__SSE2__)

namespace {
const ArrayRoad kSse2Road = RoadOf<Sse2Ops>::kRoad;

// The widest road for arrays of n elements. Short arrays stay off the eight-lane registers: a
// few elements fill them poorly, and between the short calls of small blocks the processor may
// have powered their upper halves down.
const ArrayRoad& Road(int n) {
#if defined(QO_AVX512_ROAD)
  if (n >= 32 && WidestRoadActive()) return kAvx512Road;
#else
  (void)n;
#endif
#if defined(QO_AVX2_ROAD)
  if (WideRoadActive()) return kAvx2Road;
#endif
  return kSse2Road;
}
}  // namespace

void ExpArray(const double* in, double* out, int n) { Road(n).exp(in, out, n); }
void LogArray(const double* in, double* out, int n) { Road(n).log(in, out, n); }
void LevelLogArray(const double* in, double* out, int n, double gate) {
  Road(n).levelLog(in, out, n, gate);
}
void ExpOnFrames(const double* in, double* frames, int n) { Road(n).expOnFrames(in, frames, n); }
void TanhArray(const double* in, double* out, int n) { Road(n).tanh(in, out, n); }
void ScaledTanhArray(const double* in, double* out, int n, double pre, double post) {
  Road(n).scaledTanh(in, out, n, pre, post);
}
void ScaledTanhFollowing(double* frames, int n, double pre, double post, FollowerJob* job) {
  if (n <= 0) n = 0;
  if (!job || job->frames != frames || job->count != n) {
    ScaledTanhArray(frames, frames, 2 * n, pre, post);
    if (job) FollowRest(*job);
    return;
  }
  Road(2 * n).scaledTanhFollowing(frames, n, pre, post, *job);
}
void BandExponents(const BandLaws& laws, const double* env, const double* logs, double* sums, int n,
                   BandExtremes* seen) {
  Road(n).bands(laws, env, logs, sums, n, seen);
}

#else  // no SSE2: the std:: functions

void ExpArray(const double* in, double* out, int n) {
  for (int i = 0; i < n; ++i) out[i] = std::exp(in[i]);
}
void LogArray(const double* in, double* out, int n) {
  for (int i = 0; i < n; ++i) out[i] = std::log(in[i]);
}
void LevelLogArray(const double* in, double* out, int n, double gate) {
  for (int i = 0; i < n; ++i) out[i] = in[i] < gate ? std::log(1.0) : std::log(std::fabs(in[i]));
}
void ExpOnFrames(const double* in, double* frames, int n) {
  for (int i = 0; i < n; ++i) {
    const double gain = std::exp(in[i]);
    frames[2 * i] *= gain;
    frames[2 * i + 1] *= gain;
  }
}
void TanhArray(const double* in, double* out, int n) {
  for (int i = 0; i < n; ++i) out[i] = std::tanh(in[i]);
}
void ScaledTanhArray(const double* in, double* out, int n, double pre, double post) {
  for (int i = 0; i < n; ++i) out[i] = std::tanh(pre * in[i]) * post;
}
void ScaledTanhFollowing(double* frames, int n, double pre, double post, FollowerJob* job) {
  ScaledTanhArray(frames, frames, 2 * (n > 0 ? n : 0), pre, post);
  if (job) FollowRest(*job);
}
void BandExponents(const BandLaws& b, const double* env, const double* logs, double* sums, int n,
                   BandExtremes* seen) {
  auto within = [](double x, double lowest, double highest) {
    x = highest < x ? highest : x;
    return x < lowest ? lowest : x;
  };
  for (int i = 0; i < n; ++i) {
    const bool gated = env[i] < kGateLevel;
    const double level = logs[i] * kDbPerNeper;
    const double topLine = (b.topT - level) * b.topQ;
    const double topBend = ((level - b.topLo) * b.topBend) * (b.topLo - level);
    const bool inTop = (b.topLo < level) & (level < b.topHi);
    const double topH = inTop ? topBend : (topLine >= 0.0 ? 0.0 : topLine);
    const double top = within(gated ? 0.0 : topH * kNeperPerDb, b.topLowest, b.topHighest);
    const double btmLine = (b.btmT - level) * b.btmQ;
    const double btmBend = ((b.btmHi - level) * b.btmBend) * (b.btmHi - level);
    const bool inBtm = (b.btmLo < level) & (level < b.btmHi);
    const double btmH = inBtm ? btmBend : (btmLine <= 0.0 ? 0.0 : btmLine);
    const double btm = gated ? 0.0 : btmH * kNeperPerDb;
    const double d = logs[i] - b.midLnT;
    const double v = d <= b.midFarBelow ? 0.0 : d * b.midMove;
    const double mid = within((gated | (d == INFINITY)) ? 0.0 : v, b.midLowest, b.midHighest);
    sums[i] = (top + btm) + mid;
    seen->topLowest = top < seen->topLowest ? top : seen->topLowest;
    seen->btmHighest = btm > seen->btmHighest ? btm : seen->btmHighest;
    seen->midLowest = mid < seen->midLowest ? mid : seen->midLowest;
    seen->midHighest = mid > seen->midHighest ? mid : seen->midHighest;
  }
}

#endif

}  // namespace Dsp
