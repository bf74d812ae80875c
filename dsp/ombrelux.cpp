#include "dsp/ombrelux.h"

#include <cmath>

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

bool Ombrelux::ReserveScratch(size_t highFrames) {
  return AudioProcessor::ReserveScratch(highFrames) && mLeftArray.Reserve(highFrames) &&
         mRightArray.Reserve(highFrames) && mEnvelopeArray.Reserve(highFrames);
}

void Ombrelux::ReportBand(double result) {
  const double v = std::log(std::fabs(result)) * Dsp::kDbPerNeper;
  if (std::fabs(v) > std::fabs(mGainChangeDb)) mGainChangeDb = v;
}

namespace {
// x within [lowest, highest]; a NaN stays NaN.
inline double Within(double x, double lowest, double highest) {
  if (x > highest) x = highest;
  if (x < lowest) x = lowest;
  return x;
}
}  // namespace

// TopComp, BtmComp and MidComp in series act on one envelope, so a frame's three gains multiply to
// exp(xTop + xBtm + xMid) of the bands' exponents (each held within its band's limits): one
// logarithm and one exponential per frame serve all three. Each band's block result comes from the
// extremes of its own exponents.
void Ombrelux::ApplyBands(double* left, double* right, int frames) {
  constexpr int kChunk = 256;  // the bands' constants are worked out once a chunk
  const double topLow = std::log(mTopComp.mMinGain), topHigh = std::log(mTopComp.mMaxGain);
  const double midLow = std::log(mMidComp.mMinGain), midHigh = std::log(mMidComp.mMaxGain);
  double topLowest = 0.0, btmHighest = 0.0, midLowest = 0.0, midHighest = 0.0;  // gain 1
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
    for (int i = 0; i < n; ++i) {
      const double t = Within(top[i], topLow, topHigh);
      const double m = Within(mid[i], midLow, midHigh);
      const double b = btm[i];
      if (t < topLowest) topLowest = t;
      if (b > btmHighest) btmHighest = b;
      if (m < midLowest) midLowest = m;
      if (m > midHighest) midHighest = m;
      top[i] = (t + b) + m;
    }
    Dsp::ExpArray(top, top, n);
    for (int i = 0; i < n; ++i) {
      left[base + i] *= top[i];
      right[base + i] *= top[i];
    }
  }
  mTopComp.mResult = std::exp(topLowest);
  mBtmComp.mResult = std::exp(btmHighest);
  mMidComp.mResult = MidComp::ResultOf(std::exp(midHighest), std::exp(midLowest));
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
