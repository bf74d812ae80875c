#include "dsp/ombrelux.h"

#include <cmath>
#include <cstring>

#include "dsp/follower.h"
#include "dsp/vecmath.h"

void EnvelopeTracker::Run(const double* left, const double* right, int frames) {
  // The left and right samples side by side, for the follower's frame loop.
  double pair[2] = {0.0, 0.0};
  Dsp::FollowerJob job = Job(pair, mBuffer, 0);
  for (int i = 0; i < frames; ++i) {
    pair[0] = left[i];
    pair[1] = right[i];
    job.frames = pair;
    job.count = 1;
    Dsp::FollowOneFrame(job);
  }
  Finish(job);
}

Dsp::FollowerJob EnvelopeTracker::Job(const double* interleaved, double* out, int frames) const {
  Dsp::FollowerJob job;
  job.frames = interleaved;
  job.env = out;
  job.count = frames > 0 ? frames : 0;
  job.envL = mLeft.mEnv;
  job.envR = mRight.mEnv;
  job.attL = mLeft.mAttackCoef;
  job.relL = mLeft.mReleaseCoef;
  job.attR = mRight.mAttackCoef;
  job.relR = mRight.mReleaseCoef;
  return job;
}

void EnvelopeTracker::Finish(const Dsp::FollowerJob& job) {
  mBlockPeak = job.peak;
  // An envelope that overflowed would hold every band at its limit for good: start it afresh.
  mLeft.mEnv = std::isfinite(job.envL) ? job.envL : 0.0;
  mRight.mEnv = std::isfinite(job.envR) ? job.envR : 0.0;
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

void Ombrelux::ReportBand(double result, double exponent) {
  if (result == 1.0) return;  // 0 dB never outgrows the report
  // The change in dB straight from the exponent: the logarithm of the result, short of the
  // exponential's rounding, without a logarithm per band and block.
  const double v = exponent * Dsp::kDbPerNeper;
  // A selection, not a conditional store: which band leads changes from block to block, and a
  // mispredicted branch here would throw away the work the processor has begun on the rest of the
  // block (the down filter).
  mGainChangeDb = std::fabs(v) > std::fabs(mGainChangeDb) ? v : mGainChangeDb;
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
std::array<double, 3> Ombrelux::ApplyBands(double* interleaved, int frames) {
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
  const double mid = MidComp::ResultExponentOf(seen.midHighest, seen.midLowest);
  mTopComp.mResult = Gain(seen.topLowest);
  mBtmComp.mResult = Gain(seen.btmHighest);
  mMidComp.mResult = Gain(mid);
  return {seen.topLowest, seen.btmHighest, mid};
}

void Ombrelux::Saturate(double* interleaved, int frames, Dsp::FollowerJob* job) {
  if (mCurveMode || mSaturation == 0.0) {
    if (job) Dsp::FollowAll(*job);
    return;
  }
  // tanh(drive x) / drive on every sample, over the whole run at once (with the job alongside).
  const double drive = mSaturation;
  Dsp::ScaledTanhFollowing(interleaved, frames, drive, 1.0 / drive, job);
}

void Ombrelux::BandsAndReport(double* interleaved, int frames) {
  mGainChangeDb = 0.0;
  const std::array<double, 3> exponents = ApplyBands(interleaved, frames);
  ReportBand(mTopComp.mResult, exponents[0]);
  ReportBand(mBtmComp.mResult, exponents[1]);
  ReportBand(mMidComp.mResult, exponents[2]);
}

void Ombrelux::ProcessFrames(double* buffer, int frames) {
  if (frames < 0) frames = 0;
  // ProcessInterleaved has reserved the array already; a direct call gets it here.
  if (!mEnvelopeArray.Reserve(static_cast<size_t>(frames))) {
    mGainChangeDb = 0.0;
    return;
  }
  // The tracker and the bands work on the interleaved frames in place: the left and right samples
  // of a frame are read side by side, and one gain goes onto both. The tracker follows the
  // saturated frames alongside the saturation.
  if (!mCurveMode) {
    mTracker.mBuffer = mEnvelopeArray.Get();
    Dsp::FollowerJob job = mTracker.Job(buffer, mTracker.mBuffer, frames);
    Saturate(buffer, frames, &job);
    mTracker.Finish(job);
    mExternalEnvelope = mTracker.mBuffer;
  }
  BandsAndReport(buffer, frames);
}

void Ombrelux::FilterUpAndProcess(double* highRate, int highFrames, double* dry) {
  // The tracker is one long chain of dependent steps with little arithmetic; run beside the
  // filter's frames it costs little. So the block goes through the filter in chunks (the last one
  // takes the remainder), and while the filter works on a chunk the tracker follows the one before
  // it, already saturated. Chunks are an eighth of the block, 128 to 512 frames, and there must be
  // at least four: shorter or fewer chunks cost more in the filter's start and end of every call
  // than they save. A filter that would still step its coefficients in a chunk must see the block
  // in one call (its steps spread over the call); a step that a chunk does not take, a longer call
  // does not take either.
  int chunk = highFrames / 8;
  chunk = chunk < 128 ? 128 : chunk > 512 ? 512 : chunk;
  const int chunks = highFrames / chunk;
  if (mCurveMode || chunks < 4 || mUpFilter.StepsIn(chunk) ||
      !mEnvelopeArray.Reserve(static_cast<size_t>(highFrames))) {
    AudioProcessor::FilterUpAndProcess(highRate, highFrames, dry);
    return;
  }
  double* env = mEnvelopeArray.Get();
  mTracker.mBuffer = env;
  Dsp::FollowerJob job = mTracker.Job(highRate, env, 0);
  for (int c = 0; c < chunks; ++c) {
    const int base = c * chunk;
    const int n = c + 1 < chunks ? chunk : highFrames - base;
    double* p = highRate + 2 * static_cast<size_t>(base);
    mUpFilter.FilterFrames(n, p, &job);  // finishes the job
    if (dry) std::memcpy(dry + 2 * static_cast<size_t>(base), p, 2 * static_cast<size_t>(n) * sizeof(double));
    Saturate(p, n);
    job.frames = p;
    job.env = env + base;
    job.count = n;
  }
  Dsp::FollowAll(job);
  mTracker.Finish(job);
  mExternalEnvelope = env;
  BandsAndReport(highRate, highFrames);
}
