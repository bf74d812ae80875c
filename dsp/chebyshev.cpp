#include "dsp/chebyshev.h"

#include <cmath>
#include <cstring>

#include "dsp/cpufeatures.h"
#include "dsp/packedstage.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#if defined(QO_AVX2_ROAD)
#include "dsp/chebyshev_avx2.h"
#endif
#endif

namespace Dsp {
namespace {
constexpr double kPi = 3.141592653589793;

// A root counts as real when its imaginary part is this small.
constexpr double kRealRootLimit = 1e-6;

void PassThrough(CascadeStage& s) {
  s.a1 = 0.0;
  s.a2 = 0.0;
  s.b0 = 1.0;
  s.b1 = 0.0;
  s.b2 = 0.0;
}

bool IsReal(const Complex& c) { return std::fabs(c.imag()) < kRealRootLimit; }
}  // namespace

// ---------------------------------------------------------------- design

void DesignAnalogPrototype(Layout& analog, const FilterParams& params) {
  int n = params.order;
  if (n > analog.poles.capacity) n = analog.poles.capacity;
  if (n > analog.zeros.capacity) n = analog.zeros.capacity;
  if (n < 1) n = 0;
  analog.poles.count = n;
  analog.zeros.count = n;
  analog.normW = 0.0;
  analog.normGain = 1.0;
  if (n == 0) return;

  const double a = std::exp(params.stopBandDb * 0.1 * 2.302585092994046);
  const double x = 1.0 / std::sqrt(1.0 / (a - 1.0));
  const double u = std::log(x + std::sqrt(x * x + 1.0)) / n;
  for (int k = 0; k < n; ++k) {
    const double theta = (2 * k + 1 - n) * kPi / (2 * n);
    const double re = -(std::cos(theta) * std::sinh(u));
    const double im = std::sin(theta) * std::cosh(u);
    const double d = im * im + re * re;
    analog.poles.entries[k] = Complex(re / d, im / d);
  }
  for (int k = 0; k < n; ++k) {
    const double phi = (4 * k + 3 - 2 * n) * kPi / (2 * n);
    analog.zeros.entries[k] = Complex(0.0, 1.0 / std::cos(phi));
  }
}

static Complex Bilinear(const Complex& s, double k) {
  if (s.real() == INFINITY && s.imag() == 0.0) return Complex(-1.0, 0.0);
  return (1.0 + k * s) / (1.0 - k * s);
}

void MapToDigitalLowPass(const FilterParams& params, Layout& digital, const Layout& analog) {
  const double k = std::tan(params.cutoff * 6.283185307179586 / params.sampleRate * 0.5);
  const int poles = analog.poles.count < digital.poles.capacity ? analog.poles.count
                                                                : digital.poles.capacity;
  const int zeros = analog.zeros.count < digital.zeros.capacity ? analog.zeros.count
                                                                : digital.zeros.capacity;
  for (int i = 0; i < poles; ++i) digital.poles.entries[i] = Bilinear(analog.poles.entries[i], k);
  for (int i = 0; i < zeros; ++i) digital.zeros.entries[i] = Bilinear(analog.zeros.entries[i], k);
  digital.poles.count = poles;
  digital.zeros.count = zeros;
  digital.normW = analog.normW;
  digital.normGain = analog.normGain;
}

void BuildStages(const Layout& layout, Cascade& cascade) {
  const int want = (layout.poles.count + 1) / 2 > (layout.zeros.count + 1) / 2
                       ? (layout.poles.count + 1) / 2
                       : (layout.zeros.count + 1) / 2;
  // The cascade's storage was sized for the filter's order; a layout never holds more.
  const int count = want < cascade.stageCount ? want : cascade.stageCount;
  CascadeStage* st = cascade.stages;
  for (int i = 0; i < cascade.stageCount; ++i) PassThrough(st[i]);
  if (count == 0) return;

  // Poles: conjugate pairs fill the stages from the last towards the first; real poles collect in
  // the first stage and move out as a pair once two have met.
  int filled = 0, realPoles = 0;
  for (int i = 0; i < layout.poles.count; ++i) {
    const Complex& p = layout.poles.entries[i];
    if (IsReal(p)) {
      if (realPoles == 0) {
        st[0].a1 = p.real();
        st[0].a2 = 0.0;
        realPoles = 1;
      } else {
        const double a1 = st[0].a1 + p.real();
        const double a2 = -(st[0].a1 * p.real());
        realPoles = 0;
        // Clear the first stage's poles before writing the pair, which may land in it again.
        st[0].a1 = 0.0;
        st[0].a2 = 0.0;
        const int target = count - 1 - filled;
        if (target >= 0) {
          st[target].a1 = a1;
          st[target].a2 = a2;
        }
        ++filled;
      }
    } else if (p.imag() > 0.0) {
      const int target = count - 1 - filled;
      if (target >= 0) {
        st[target].a1 = 2.0 * p.real();
        st[target].a2 = -(p.real() * p.real() + p.imag() * p.imag());
      }
      ++filled;
    }
  }

  // Zeros, with a counter of their own; real zeros are (-z + z^-1) factors.
  int zeroStages = 0, realZeros = 0;
  for (int i = 0; i < layout.zeros.count; ++i) {
    const Complex& z = layout.zeros.entries[i];
    if (IsReal(z)) {
      if (realZeros == 0) {
        st[0].b0 = -z.real();
        st[0].b1 = 1.0;
        st[0].b2 = 0.0;
        realZeros = 1;
      } else {
        const double b0 = -z.real() * st[0].b0;
        const double b1 = st[0].b0 - z.real() * st[0].b1;
        const double b2 = st[0].b1;
        realZeros = 0;
        st[0].b0 = 1.0;
        st[0].b1 = 0.0;
        st[0].b2 = 0.0;
        const int target = count - 1 - zeroStages;
        if (target >= 0) {
          st[target].b0 = b0;
          st[target].b1 = b1;
          st[target].b2 = b2;
        }
        ++zeroStages;
      }
    } else if (z.imag() > 0.0) {
      const int target = count - 1 - zeroStages;
      if (target >= 0) {
        st[target].b0 = z.real() * z.real() + z.imag() * z.imag();
        st[target].b1 = -2.0 * z.real();
        st[target].b2 = 1.0;
      }
      ++zeroStages;
    }
  }

  // Normalise the gain at the normalisation frequency through the first stage's numerator.
  const Complex zi = std::polar(1.0, -layout.normW);  // z^-1
  Complex h(1.0, 0.0);
  for (int i = 0; i < cascade.stageCount; ++i) {
    const Complex num = st[i].b0 + (st[i].b1 + st[i].b2 * zi) * zi;
    const Complex den = 1.0 - (st[i].a1 + st[i].a2 * zi) * zi;
    h *= num / den;
  }
  const double g = layout.normGain / std::abs(h);
  st[0].b0 *= g;
  st[0].b1 *= g;
  st[0].b2 *= g;
}

// ---------------------------------------------------------------- cascade

CascadeFilter::CascadeFilter(CascadeStage* stages, StageHistory* history, int stageCount)
    : mState(history) {
  mCascade.stageCount = stageCount;
  mCascade.stages = stages;
}

void CascadeFilter::ResetStages() {
  for (int i = 0; i < mCascade.stageCount; ++i) PassThrough(mCascade.stages[i]);
}

void CascadeFilter::ClearHistory() {
  std::memset(static_cast<void*>(mState), 0, sizeof(StageHistory) * mCascade.stageCount);
}

namespace {
// Whether the packed road steps a stage's running set towards its target in a call whose steps are
// inv (1/frames) of the distance: while a1 has not reached the target and a step still changes a
// running value (a ramp can stall a few ulps short of the target, and then stays there).
bool StageSteps(const CascadeStage& s, double inv) {
  if (s.runA1 == s.a1) return false;
  const double target[5] = {s.a1, s.a2, s.b0, s.b1, s.b2};
  const double running[5] = {s.runA1, s.runA2, s.runB0, s.runB1, s.runB2};
  for (int k = 0; k < 5; ++k) {
    if (running[k] + (target[k] - running[k]) * inv != running[k]) return true;
  }
  return false;
}
}  // namespace

bool CascadeFilter::StepsIn(int64_t frames) const {
  if (frames <= 0) return false;
  const double inv = 1.0 / static_cast<double>(frames);
  for (int i = 0; i < mCascade.stageCount; ++i) {
    if (StageSteps(mCascade.stages[i], inv)) return true;
  }
  return false;
}

bool CascadeFilter::HistoryFinite() const {
  // x - x is 0 for every finite x and NaN for infinities and NaN: one test for all the values,
  // without a branch per value (every block asks, and the answer is almost always yes).
  double sum = 0.0;
  for (int i = 0; i < mCascade.stageCount; ++i) {
    const StageHistory& h = mState[i];
    sum += (h.w1[0] - h.w1[0]) + (h.w1[1] - h.w1[1]) + (h.w2[0] - h.w2[0]) + (h.w2[1] - h.w2[1]);
  }
  return sum == 0.0;
}

Complex CascadeFilter::EvaluateResponse(double normalizedFrequency) const {
  const Complex zi = std::polar(1.0, -2.0 * kPi * normalizedFrequency);
  Complex h(1.0, 0.0);
  for (int i = 0; i < mCascade.stageCount; ++i) {
    const CascadeStage& s = mCascade.stages[i];
    const Complex num = s.b0 + (s.b1 + s.b2 * zi) * zi;
    const Complex den = 1.0 - (s.a1 + s.a2 * zi) * zi;
    h *= num / den;
  }
  return h;
}

void FollowAll(FollowerJob& job) {
#if defined(QO_AVX2_ROAD)
  if (WideRoadActive()) {
    FollowAvx2(job);
    return;
  }
#endif
  FollowRest(job);
}

void CascadeFilter::FilterFrames(int64_t frames, double* samples, FollowerJob* job) {
  if (frames > 0 && samples) {
    if (mChannels == 2 && PackedRoadActive()) {
      FilterPacked(frames, samples, job, nullptr);
    } else {
      FilterPerChannel(frames, samples);
    }
  }
  if (job) FollowAll(*job);
}

namespace {
// Output frames 0, every, 2 every, ... of frames filtered in place.
void Pick(const double* samples, int64_t frames, int every, double* out) {
  for (int64_t f = 0, o = 0; f < frames; f += every, ++o) {
    out[2 * o] = samples[2 * f];
    out[2 * o + 1] = samples[2 * f + 1];
  }
}
}  // namespace

void CascadeFilter::FilterKeeping(int64_t frames, double* samples, int every, double* out) {
  if (frames <= 0 || !samples || !out) return;
  if (every < 1) every = 1;
  // The packed road leaves the unread outputs out where it can (see FilterPacked).
  if ((every == 2 || every == 4) && mChannels == 2 && PackedRoadActive()) {
    const KeptFrames keep{every, out};
    FilterPacked(frames, samples, nullptr, &keep);
    return;
  }
  FilterFrames(frames, samples);
  Pick(samples, frames, every, out);
}

void CascadeFilter::FilterPerChannel(int64_t frames, double* samples) {
  const int stages = mCascade.stageCount;
  for (int64_t f = 0; f < frames; ++f) {
    for (int ch = 0; ch < mChannels; ++ch) {
      double x = samples[f * mChannels + ch];
      for (int i = 0; i < stages; ++i) {
        const CascadeStage& s = mCascade.stages[i];
        StageHistory& h = mState[i];
        const double w1 = h.w1[ch], w2 = h.w2[ch];
        const double w = w1 * s.a1 + x + w2 * s.a2 + kStageOffset;
        x = w1 * s.b1 + w * s.b0 + w2 * s.b2;
        h.w2[ch] = w1;
        h.w1[ch] = w;
      }
      samples[f * mChannels + ch] = x;
    }
  }
}

#if defined(__SSE2__)
namespace {
// Frames on fixed coefficients, with the history in locals for the whole run (CopyHistories).
template <int N>
void SteadyFrames(const __m128d (*c)[5], __m128d* w1, __m128d* w2, int n, int64_t frames,
                  double* p, FollowerJob* job) {
  constexpr int kMax = N > 0 ? N : 8;
  if (N > 0) n = N;
  __m128d h1[kMax], h2[kMax];
  CopyHistories(w1, w2, n, h1, h2);
  auto frame = [&](double* q) {
    __m128d x = _mm_loadu_pd(q);
#pragma GCC unroll 8
    for (int i = 0; i < n; ++i) x = PackedStage(x, c[i], h1[i], h2[i]);
    _mm_storeu_pd(q, x);
  };
  int64_t f = 0;
  if (job && job->count > 0) {
    // A frame of the job beside each frame of the filter, for as long as both last.
    FollowerLanes j = Lanes(*job);
    const int64_t together = frames < j.count ? frames : j.count;
    for (; f < together; ++f, p += 2) {
      frame(p);
      FollowOneFrame(j);
    }
    Return(j, *job);
  }
  for (; f < frames; ++f, p += 2) frame(p);
  CopyHistories(h1, h2, n, w1, w2);
}

// SteadyFrames for a call whose output is decimated: only the output frames 0, Every, 2 Every, ...
// are worked out, into out; for the others the last stage only moves its history on.
template <int N, int Every>
void SteadyKeeping(const __m128d (*c)[5], __m128d* w1, __m128d* w2, int n, int64_t frames,
                   const double* p, double* out) {
  constexpr int kMax = N > 0 ? N : 8;
  if (N > 0) n = N;
  __m128d h1[kMax], h2[kMax];
  CopyHistories(w1, w2, n, h1, h2);
  const int l = n - 1;
  // Frame q through every stage but the last.
  auto head = [&](const double* q) {
    __m128d x = _mm_loadu_pd(q);
#pragma GCC unroll 8
    for (int i = 0; i < l; ++i) x = PackedStage(x, c[i], h1[i], h2[i]);
    return x;
  };
  int64_t f = 0;
  for (; f + Every <= frames; f += Every, p += 2 * Every, out += 2) {
    _mm_storeu_pd(out, PackedStage(head(p), c[l], h1[l], h2[l]));
    for (int k = 1; k < Every; ++k) PackedStageUnread(head(p + 2 * k), c[l], h1[l], h2[l]);
  }
  if (f < frames) {
    _mm_storeu_pd(out, PackedStage(head(p), c[l], h1[l], h2[l]));
    for (++f, p += 2; f < frames; ++f, p += 2) PackedStageUnread(head(p), c[l], h1[l], h2[l]);
  }
  CopyHistories(h1, h2, n, w1, w2);
}

// Runs the fixed-coefficient frames on the right road: the staggered four-lane one for three stages
// where the processor has AVX2, else two lanes. With `keep` (every 2 or 4), only the output frames
// that decimation keeps are worked out, into keep->out.
template <int N>
void SteadyRoad(const __m128d (*c)[5], __m128d* w1, __m128d* w2, int n, int64_t frames, double* p,
                FollowerJob* job, const KeptFrames* keep) {
#if defined(QO_AVX2_ROAD)
  if (n == 3 && WideRoadActive()) {
    SteadyThreeStagesAvx2(c, w1, w2, frames, p, job, keep ? keep->every : 1,
                          keep ? keep->out : nullptr);
    return;
  }
#endif
  if (keep && keep->every == 4) {
    SteadyKeeping<N, 4>(c, w1, w2, n, frames, p, keep->out);
  } else if (keep) {
    SteadyKeeping<N, 2>(c, w1, w2, n, frames, p, keep->out);
  } else {
    SteadyFrames<N>(c, w1, w2, n, frames, p, job);
  }
}

// The packed road for a cascade of N stages (N = 0: n stages, at most 8). The running
// coefficients move linearly to the target set over the block; once every stage's ramp has
// stopped, the remaining frames run on fixed coefficients. `moving` is StepsIn(frames); `keep`
// (only where nothing moves) asks for the decimated output alone.
template <int N>
void FilterPackedStages(CascadeStage* st, StageHistory* state, int n, int64_t frames, double* samples,
                        bool moving, FollowerJob* job, const KeptFrames* keep) {
  if (N > 0) n = N;
  constexpr int kMax = N > 0 ? N : 8;
  // No stage stepping (the usual case, and what short blocks pay for on every call): every stage
  // takes its target set (as below) and the frames go straight to the fixed coefficients.
  if (!moving) {
    __m128d w1[kMax], w2[kMax], c[kMax][5];
    for (int i = 0; i < n; ++i) {
      CascadeStage& s = st[i];
      s.runA1 = s.a1;
      s.runA2 = s.a2;
      s.runB0 = s.b0;
      s.runB1 = s.b1;
      s.runB2 = s.b2;
      c[i][0] = _mm_set1_pd(s.a1);
      c[i][1] = _mm_set1_pd(s.a2);
      c[i][2] = _mm_set1_pd(s.b0);
      c[i][3] = _mm_set1_pd(s.b1);
      c[i][4] = _mm_set1_pd(s.b2);
      w1[i] = _mm_loadu_pd(state[i].w1);
      w2[i] = _mm_loadu_pd(state[i].w2);
    }
    SteadyRoad<N>(c, w1, w2, n, frames, samples, job, keep);
    for (int i = 0; i < n; ++i) {
      _mm_storeu_pd(state[i].w1, w1[i]);
      _mm_storeu_pd(state[i].w2, w2[i]);
    }
    return;
  }
  const double inv = 1.0 / static_cast<double>(frames);
  double ra[kMax][5], d[kMax][5], ta1[kMax];
  bool ramping[kMax];
  int stillRamping = 0;
  __m128d w1[kMax], w2[kMax], c[kMax][5];
  for (int i = 0; i < n; ++i) {
    const CascadeStage& s = st[i];
    const double target[5] = {s.a1, s.a2, s.b0, s.b1, s.b2};
    const double running[5] = {s.runA1, s.runA2, s.runB0, s.runB1, s.runB2};
    // Once the steps are too small to change the running values the ramp would stand still a few
    // ulps short of the target; a stage that takes no step in this call therefore takes the
    // target set itself. (So the running set always ends on the design, whatever block lengths
    // the host used while it ramped, and later calls need not work out a ramp at all.)
    for (int k = 0; k < 5; ++k) d[i][k] = (target[k] - running[k]) * inv;
    ta1[i] = s.a1;
    ramping[i] = StageSteps(s, inv);
    if (ramping[i]) ++stillRamping;
    for (int k = 0; k < 5; ++k) {
      ra[i][k] = ramping[i] ? running[k] : target[k];
      c[i][k] = _mm_set1_pd(ra[i][k]);
    }
    w1[i] = _mm_loadu_pd(state[i].w1);
    w2[i] = _mm_loadu_pd(state[i].w2);
  }
  double* p = samples;
  int64_t f = 0;
  // A stage steps its coefficients before each frame until its a1 has reached the target.
  for (; f < frames && stillRamping > 0; ++f, p += 2) {
    __m128d x = _mm_loadu_pd(p);
    for (int i = 0; i < n; ++i) {
      if (ramping[i]) {
        if (ra[i][0] != ta1[i]) {
          for (int k = 0; k < 5; ++k) {
            ra[i][k] += d[i][k];
            c[i][k] = _mm_set1_pd(ra[i][k]);
          }
        } else {
          ramping[i] = false;
          --stillRamping;
        }
      }
      x = PackedStage(x, c[i], w1[i], w2[i]);
    }
    _mm_storeu_pd(p, x);
  }
  SteadyRoad<N>(c, w1, w2, n, frames - f, p, job, nullptr);
  for (int i = 0; i < n; ++i) {
    CascadeStage& s = st[i];
    s.runA1 = ra[i][0];
    s.runA2 = ra[i][1];
    s.runB0 = ra[i][2];
    s.runB1 = ra[i][3];
    s.runB2 = ra[i][4];
    _mm_storeu_pd(state[i].w1, w1[i]);
    _mm_storeu_pd(state[i].w2, w2[i]);
  }
}
}  // namespace
#endif

void CascadeFilter::FilterPacked(int64_t frames, double* samples, FollowerJob* job,
                                 const KeptFrames* keep) {
#if defined(__SSE2__)
  // Only fixed coefficients skip the unread outputs; a ramp runs in place and is picked from.
  const bool moving = StepsIn(frames);
  const KeptFrames* skip = moving || mCascade.stageCount > 8 ? nullptr : keep;
  if (mCascade.stageCount == 3) {
    FilterPackedStages<3>(mCascade.stages, mState, 3, frames, samples, moving, job, skip);
  } else if (mCascade.stageCount <= 8) {
    FilterPackedStages<0>(mCascade.stages, mState, mCascade.stageCount, frames, samples, moving,
                          job, skip);
  } else {
    FilterPerChannel(frames, samples);
  }
#else
  (void)job;
  const KeptFrames* skip = nullptr;
  FilterPerChannel(frames, samples);
#endif
  if (keep && !skip) Pick(samples, frames, keep->every, keep->out);
}

}  // namespace Dsp
