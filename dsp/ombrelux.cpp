#include "dsp/ombrelux.h"

#include <cmath>

#include "dsp/vecmath.h"

void EnvelopeTracker::Run(const double* left, const double* right, int frames) {
  mBlockPeak = 0.0;
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
    mBuffer[i] = v;
    if (v > mBlockPeak) mBlockPeak = v;
  }
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
         mRightArray.Reserve(highFrames) && mEnvelopeArray.Reserve(highFrames) &&
         mEnvelopeLogArray.Reserve(highFrames);
}

void Ombrelux::ReportBand(double result) {
  const double v = std::log(std::fabs(result)) * Dsp::kDbPerNeper;
  if (std::fabs(v) > std::fabs(mGainChangeDb)) mGainChangeDb = v;
}

void Ombrelux::ProcessFrames(double* buffer, int frames) {
  if (frames < 0) frames = 0;
  // ProcessInterleaved has reserved the arrays already; a direct call gets them here.
  const size_t n = static_cast<size_t>(frames);
  double* left = mLeftArray.Reserve(n);
  double* right = mRightArray.Reserve(n);
  if (!left || !right || !mEnvelopeArray.Reserve(n) || !mEnvelopeLogArray.Reserve(n)) {
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
  // The top and bottom bands share the logarithms of the envelope.
  double* logs = mEnvelopeLogArray.Get();
  NaturalLogs(mExternalEnvelope, logs, frames);
  mTopComp.mEnvelopeLogs = logs;
  mBtmComp.mEnvelopeLogs = logs;
  mTopComp.mEnvelope = mExternalEnvelope;
  mTopComp.ApplyGain(left, right, frames);
  ReportBand(mTopComp.mResult);
  mBtmComp.mEnvelope = mExternalEnvelope;
  mBtmComp.ApplyGain(left, right, frames);
  ReportBand(mBtmComp.mResult);
  mMidComp.mEnvelope = mExternalEnvelope;
  mMidComp.ApplyGain(left, right, frames);
  ReportBand(mMidComp.mResult);
  // The shared logarithms belong to this block only.
  mTopComp.mEnvelopeLogs = nullptr;
  mBtmComp.mEnvelopeLogs = nullptr;

  InterleaveStereo(frames, buffer, left, right);
}
