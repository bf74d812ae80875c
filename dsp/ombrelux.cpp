#include "dsp/ombrelux.h"

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "dsp/vecmath.h"

void EnvelopeTracker::Run(const double* left, const double* right, int frames) {
  double peak = 0.0;  // kept local: a member would go through memory on every frame
  double* out = mBuffer;
  double envL = mLeft.mEnv, envR = mRight.mEnv;
  for (int i = 0; i < frames; ++i) {
    const double a = std::fabs(left[i]);
    const double cl = a > envL ? mLeft.mAttackCoef : mLeft.mReleaseCoef;
    envL = (1.0 - cl) * a + cl * envL;
    const double b = std::fabs(right[i]);
    const double cr = b > envR ? mRight.mAttackCoef : mRight.mReleaseCoef;
    envR = (1.0 - cr) * b + cr * envR;
    double v = envR > envL ? envR : envL;
    if (v < 0.001) v = 0.0;
    out[i] = v;
    if (v > peak) peak = v;
  }
  mBlockPeak = peak;
  // An envelope that overflowed would hold every band at its limit for good: start it afresh.
  mLeft.mEnv = std::isfinite(envL) ? envL : 0.0;
  mRight.mEnv = std::isfinite(envR) ? envR : 0.0;
}

Ombrelux::Ombrelux() = default;

void Ombrelux::OnRateChanged() {
  mTracker.mLeft.mRate = mSampleRate * mOversampling;
  mTracker.mRight.mRate = mSampleRate * mOversampling;
}

double Ombrelux::DbToGain(double db) { return std::exp(db * Dsp::kNeperPerDb); }

void Ombrelux::SetAttackSeconds(double seconds) {
  for (TrackerChannel* c : {&mTracker.mLeft, &mTracker.mRight}) {
    c->mAttackCoef = std::exp(-1.0 / (c->mRate * seconds));
  }
}

void Ombrelux::SetReleaseSeconds(double seconds) {
  for (TrackerChannel* c : {&mTracker.mLeft, &mTracker.mRight}) {
    c->mReleaseCoef = std::exp(-1.0 / (c->mRate * seconds));
  }
}

bool Ombrelux::ReserveScratch(size_t highFrames) {
  return AudioProcessor::ReserveScratch(highFrames) && mLeftArray.Reserve(highFrames) &&
         mRightArray.Reserve(highFrames) && mEnvelopeArray.Reserve(highFrames);
}

void Ombrelux::ReportBand(double result) {
  if (result == 1.0) return;  // 0 dB never outgrows the report
  const double v = std::log(std::fabs(result)) * Dsp::kDbPerNeper;
  if (std::fabs(v) > std::fabs(mGainChangeDb)) mGainChangeDb = v;
}

namespace {
// x within [lowest, highest]; a NaN stays NaN.
inline double Within(double x, double lowest, double highest) {
  x = x > highest ? highest : x;
  return x < lowest ? lowest : x;
}

// exp(x), without the library call for an idle band's 0.
inline double Gain(double x) { return x == 0.0 ? 1.0 : std::exp(x); }

// The smallest and the largest value seen; NaNs are passed over.
struct Extremes {
  double lowest;
  double highest;

  void Take(const double* x, int n) {
    int i = 0;
#if defined(__SSE2__)
    // minpd and maxpd keep the second operand when the first is NaN.
    __m128d lo = _mm_set1_pd(lowest), hi = _mm_set1_pd(highest);
    for (; i + 2 <= n; i += 2) {
      const __m128d v = _mm_loadu_pd(x + i);
      lo = _mm_min_pd(v, lo);
      hi = _mm_max_pd(v, hi);
    }
    lowest = _mm_cvtsd_f64(_mm_min_sd(_mm_unpackhi_pd(lo, lo), lo));
    highest = _mm_cvtsd_f64(_mm_max_sd(_mm_unpackhi_pd(hi, hi), hi));
#endif
    for (; i < n; ++i) {
      lowest = x[i] < lowest ? x[i] : lowest;
      highest = x[i] > highest ? x[i] : highest;
    }
  }
};
}  // namespace

// TopComp, BtmComp and MidComp in series act on one envelope, so a frame's three gains multiply to
// exp(xTop + xBtm + xMid) of the bands' exponents (each held within its band's limits): one
// logarithm and one exponential per frame serve all three. Each band's block result comes from the
// extremes of its own exponents.
void Ombrelux::ApplyBands(double* left, double* right, int frames) {
  constexpr int kChunk = 256;  // the bands' constants are worked out once a chunk
  const double topLow = mTopLow(mTopComp.mMinGain), topHigh = mTopHigh(mTopComp.mMaxGain);
  const double midLow = mMidLow(mMidComp.mMinGain), midHigh = mMidHigh(mMidComp.mMaxGain);
  Extremes topSeen{0.0, 0.0}, btmSeen{0.0, 0.0}, midSeen{0.0, 0.0};  // from gain 1
  double logs[kChunk], top[kChunk], btm[kChunk], mid[kChunk];
  mTopComp.mEnvelope = mBtmComp.mEnvelope = mMidComp.mEnvelope = mExternalEnvelope;
  // Curve mode without an envelope given: nothing to follow, every gain stays 1.
  if (!mExternalEnvelope) frames = 0;
  for (int base = 0; base < frames; base += kChunk) {
    const int n = frames - base < kChunk ? frames - base : kChunk;
    const double* env = mExternalEnvelope + base;
    if (!AnyAboveGate(env, n)) continue;
    NaturalLogs(env, logs, n);
    mTopComp.GainExponents(env, logs, top, n);
    mBtmComp.GainExponents(env, logs, btm, n);
    mMidComp.GainExponents(env, logs, mid, n);
    double* gain = logs;  // the logarithms are used up
    for (int i = 0; i < n; ++i) {
      top[i] = Within(top[i], topLow, topHigh);
      mid[i] = Within(mid[i], midLow, midHigh);
      gain[i] = (top[i] + btm[i]) + mid[i];
    }
    topSeen.Take(top, n);
    btmSeen.Take(btm, n);
    midSeen.Take(mid, n);
    Dsp::ExpArray(gain, gain, n);
    for (int i = 0; i < n; ++i) {
      left[base + i] *= gain[i];
      right[base + i] *= gain[i];
    }
  }
  mTopComp.mResult = Gain(topSeen.lowest);
  mBtmComp.mResult = Gain(btmSeen.highest);
  mMidComp.mResult = MidComp::ResultOf(Gain(midSeen.highest), Gain(midSeen.lowest));
}

void Ombrelux::ProcessFrames(double* buffer, int frames) {
  if (frames < 0) frames = 0;
  // ProcessInterleaved has reserved the arrays already; a direct call gets them here.
  const size_t n = static_cast<size_t>(frames);
  double* left = mLeftArray.Reserve(n);
  double* right = mRightArray.Reserve(n);
  if (!left || !right || !mEnvelopeArray.Reserve(n)) {
    mGainChangeDb = 0.0;
    return;
  }

  if (!mCurveMode && mSaturation != 0.0) {
    // tanh(drive x) / drive on every sample, the tanh taken over the whole block at once.
    const double drive = mSaturation;
    const double inv = 1.0 / drive;
    for (int i = 0; i < 2 * frames; ++i) buffer[i] = drive * buffer[i];
    Dsp::TanhArray(buffer, buffer, 2 * frames);
    for (int i = 0; i < 2 * frames; ++i) buffer[i] = buffer[i] * inv;
  }
  DeinterleaveStereo(frames, left, right, buffer);
  mGainChangeDb = 0.0;

  if (!mCurveMode) {
    mTracker.mBuffer = mEnvelopeArray.Get();
    mTracker.Run(left, right, frames);
    mExternalEnvelope = mTracker.mBuffer;
  }
  ApplyBands(left, right, frames);
  ReportBand(mTopComp.mResult);
  ReportBand(mBtmComp.mResult);
  ReportBand(mMidComp.mResult);

  InterleaveStereo(frames, buffer, left, right);
}
