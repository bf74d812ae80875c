#include "dsp/ombrelux.h"

#include <cmath>

#include "dsp/vecmath.h"

#if defined(__GNUC__)
#define QO_ENV_INLINE inline __attribute__((always_inline))
#else
#define QO_ENV_INLINE inline
#endif

namespace {
// The tracker over frames whose left and right samples lie `stride` doubles apart from one frame
// to the next.
template <int kStride>
QO_ENV_INLINE void TrackFrames(EnvelopeTracker& t, const double* left, const double* right, int frames) {
  double peak = 0.0;  // kept local: a member would go through memory on every frame
  double* out = t.mBuffer;
  double envL = t.mLeft.mEnv, envR = t.mRight.mEnv;
  const double attL = t.mLeft.mAttackCoef, relL = t.mLeft.mReleaseCoef;
  const double attR = t.mRight.mAttackCoef, relR = t.mRight.mReleaseCoef;
  for (int i = 0; i < frames; ++i) {
    // Both candidates are written out, and the comparison only picks one: the compiler can then
    // let the step from one frame's envelope to the next wait for one product and one sum (the
    // comparison is predicted), instead of for the comparison, the coefficient's selection, a
    // product and a sum. The picked value is the one the chosen coefficient gives.
    const double a = std::fabs(left[kStride * i]);
    const double upL = (1.0 - attL) * a + attL * envL;
    const double downL = (1.0 - relL) * a + relL * envL;
    envL = a > envL ? upL : downL;
    const double b = std::fabs(right[kStride * i]);
    const double upR = (1.0 - attR) * b + attR * envR;
    const double downR = (1.0 - relR) * b + relR * envR;
    envR = b > envR ? upR : downR;
    double v = envR > envL ? envR : envL;
    if (v < 0.001) v = 0.0;
    out[i] = v;
    if (v > peak) peak = v;
  }
  t.mBlockPeak = peak;
  // An envelope that overflowed would hold every band at its limit for good: start it afresh.
  t.mLeft.mEnv = std::isfinite(envL) ? envL : 0.0;
  t.mRight.mEnv = std::isfinite(envR) ? envR : 0.0;
}
}  // namespace

void EnvelopeTracker::Run(const double* left, const double* right, int frames) {
  TrackFrames<1>(*this, left, right, frames);
}

void EnvelopeTracker::RunInterleaved(const double* interleaved, int frames) {
  TrackFrames<2>(*this, interleaved, interleaved + 1, frames);
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
  return AudioProcessor::ReserveScratch(highFrames) && mEnvelopeArray.Reserve(highFrames);
}

void Ombrelux::ReportBand(double result) {
  if (result == 1.0) return;  // 0 dB never outgrows the report
  const double v = std::log(std::fabs(result)) * Dsp::kDbPerNeper;
  if (std::fabs(v) > std::fabs(mGainChangeDb)) mGainChangeDb = v;
}

namespace {
// exp(x), without the library call for an idle band's 0.
inline double Gain(double x) { return x == 0.0 ? 1.0 : std::exp(x); }
}  // namespace

// TopComp, BtmComp and MidComp in series act on one envelope, so a frame's three gains multiply to
// exp(xTop + xBtm + xMid) of the bands' exponents (each held within its band's limits): one
// logarithm and one exponential per frame serve all three, and the three curves are worked out in
// one pass. Each band's block result comes from the extremes of its own exponents. The gain goes
// onto both samples of each interleaved frame.
void Ombrelux::ApplyBands(double* interleaved, int frames) {
  constexpr int kChunk = 256;
  const Dsp::BandLaws laws =
      BandLawsOf(mTopComp, mBtmComp, mMidComp, mTopLow(mTopComp.mMinGain), mTopHigh(mTopComp.mMaxGain),
                 mMidLow(mMidComp.mMinGain), mMidHigh(mMidComp.mMaxGain));
  Dsp::BandExtremes seen;  // from gain 1
  double gain[kChunk];
  mTopComp.mEnvelope = mBtmComp.mEnvelope = mMidComp.mEnvelope = mExternalEnvelope;
  // Curve mode without an envelope given: nothing to follow, every gain stays 1.
  if (!mExternalEnvelope) frames = 0;
  for (int base = 0; base < frames; base += kChunk) {
    const int n = frames - base < kChunk ? frames - base : kChunk;
    const double* env = mExternalEnvelope + base;
    if (!AnyAboveGate(env, n)) continue;
    NaturalLogs(env, gain, n);
    Dsp::BandExponents(laws, env, gain, gain, n, &seen);
    Dsp::ExpOnFrames(gain, interleaved + 2 * static_cast<size_t>(base), n);
  }
  mTopComp.mResult = Gain(seen.topLowest);
  mBtmComp.mResult = Gain(seen.btmHighest);
  mMidComp.mResult = MidComp::ResultOf(Gain(seen.midHighest), Gain(seen.midLowest));
}

void Ombrelux::ProcessFrames(double* buffer, int frames) {
  if (frames < 0) frames = 0;
  // ProcessInterleaved has reserved the array already; a direct call gets it here.
  if (!mEnvelopeArray.Reserve(static_cast<size_t>(frames))) {
    mGainChangeDb = 0.0;
    return;
  }

  if (!mCurveMode && mSaturation != 0.0) {
    // tanh(drive x) / drive on every sample, over the whole block at once.
    const double drive = mSaturation;
    Dsp::ScaledTanhArray(buffer, buffer, 2 * frames, drive, 1.0 / drive);
  }
  mGainChangeDb = 0.0;

  // The tracker and the bands work on the interleaved frames in place: the left and right samples
  // of a frame are read side by side, and one gain goes onto both.
  if (!mCurveMode) {
    mTracker.mBuffer = mEnvelopeArray.Get();
    mTracker.RunInterleaved(buffer, frames);
    mExternalEnvelope = mTracker.mBuffer;
  }
  ApplyBands(buffer, frames);
  ReportBand(mTopComp.mResult);
  ReportBand(mBtmComp.mResult);
  ReportBand(mMidComp.mResult);
}
