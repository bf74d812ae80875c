#include "dsp/audioprocessor.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

void DeinterleaveStereo(int frames, double* left, double* right, const double* interleaved) {
  for (int i = 0; i < frames; ++i) {
    left[i] = interleaved[2 * i];
    right[i] = interleaved[2 * i + 1];
  }
}

void InterleaveStereo(int frames, double* interleaved, const double* left, const double* right) {
  for (int i = 0; i < frames; ++i) {
    interleaved[2 * i] = left[i];
    interleaved[2 * i + 1] = right[i];
  }
}

ScratchArray::~ScratchArray() { std::free(mBlock); }

double* ScratchArray::Grow(size_t count) {
  if (count == 0) count = 1;
  if (count > (SIZE_MAX - 16) / sizeof(double)) return nullptr;
  void* block = std::malloc(count * sizeof(double) + 16);
  if (!block) return nullptr;
  std::free(mBlock);
  mBlock = block;
  const uintptr_t p = reinterpret_cast<uintptr_t>(block);
  mAligned = reinterpret_cast<double*>((p + 15) & ~static_cast<uintptr_t>(15));
  mCapacity = count;
  return mAligned;
}

AudioProcessor::AudioProcessor() = default;

void AudioProcessor::DesignFilters() {
  const int32_t highRate = mSampleRate * mOversampling;  // both bounded: fits 32 bits
  const double cutoff = (mSampleRate * 0.5) / highRate;
  mUpFilter.Design(cutoff, 9.0);
  mDownFilter.Design(cutoff, 9.0);
}

void AudioProcessor::SetOversampling(int factor) {
  if (factor < 1) factor = 1;
  // The oversampled rate must stay a 32-bit number; a larger factor keeps the previous design.
  if (static_cast<int64_t>(mSampleRate) * factor > INT32_MAX) return;
  mOversampling = factor;
  DesignFilters();
  OnRateChanged();
}

void AudioProcessor::ResetFilters() {
  mUpFilter.ResetStages();
  mDownFilter.ResetStages();
  DesignFilters();
}

bool AudioProcessor::ChangeSampleRate(int rate) {
  if (rate <= 0 || rate > kMaxSampleRate) return false;
  if (static_cast<int64_t>(rate) * mOversampling > INT32_MAX) return false;
  mSampleRate = rate;
  return true;
}

void AudioProcessor::RecoverFilters() {
  if (!mUpFilter.HistoryFinite()) mUpFilter.ClearHistory();
  if (!mDownFilter.HistoryFinite()) mDownFilter.ClearHistory();
}

namespace {
// Denormal results and operands are flushed to zero while a block is processed, so that the decaying
// tails of the filters and the envelope cost no more than audio does.
class DenormalGuard {
 public:
#if defined(__SSE2__)
  DenormalGuard() : mSaved(_mm_getcsr()) { _mm_setcsr(mSaved | 0x8040); }  // FTZ | DAZ
  ~DenormalGuard() { _mm_setcsr(mSaved); }

 private:
  unsigned mSaved;
#endif
};

// Writes each of the frames `factor` times (kFactor when it is not 0) from `in` to `out`.
template <int kFactor>
void HoldFrames(const double* in, double* out, int frames, int factor = kFactor) {
  if (kFactor) factor = kFactor;
  for (int f = 0; f < frames; ++f) {
    const double l = in[2 * f], r = in[2 * f + 1];
    for (int k = 0; k < factor; ++k, out += 2) {
      out[0] = l;
      out[1] = r;
    }
  }
}

// Whether any of the n samples is NaN or beyond `limit` in magnitude. Such samples are rare, so
// the test runs without a branch per sample.
bool AnyBeyond(const double* x, size_t n, double limit) {
  size_t i = 0;
#if defined(__SSE2__)
  const __m128d magnitude = _mm_castsi128_pd(_mm_set1_epi64x(0x7FFFFFFFFFFFFFFFLL));
  const __m128d bound = _mm_set1_pd(limit);
  __m128d beyond = _mm_setzero_pd();
  for (; i + 2 <= n; i += 2) {
    // "not less or equal" holds for NaN too
    beyond = _mm_or_pd(beyond, _mm_cmpnle_pd(_mm_and_pd(_mm_loadu_pd(x + i), magnitude), bound));
  }
  if (_mm_movemask_pd(beyond)) return true;
#endif
  for (; i < n; ++i) {
    if (!(std::fabs(x[i]) <= limit)) return true;
  }
  return false;
}
}  // namespace

void AudioProcessor::MixDry(double* wet, const double* dry, size_t count) const {
  for (size_t i = 0; i < count; ++i) wet[i] = wet[i] * mMix + dry[i] * (1.0 - mMix);
}

bool AudioProcessor::ReserveScratch(size_t highFrames) {
  if (mOversampling < 2) return mDry.Reserve(highFrames * 2) != nullptr;
  return mHighRate.Reserve(highFrames * 2) && mDry.Reserve(highFrames * 2);
}

bool AudioProcessor::Prepare(int frames) {
  if (frames < 0) frames = 0;
  const int64_t high = static_cast<int64_t>(frames) * (mOversampling > 1 ? mOversampling : 1);
  // Two doubles per frame must stay addressable and the high-rate frame count must fit an int.
  return high <= INT32_MAX / 2 && ReserveScratch(static_cast<size_t>(high));
}

bool AudioProcessor::ProcessInterleaved(double* buffer, int frames) {
  if (frames < 0) frames = 0;
  const int factor = mOversampling > 1 ? mOversampling : 1;
  const int64_t high = static_cast<int64_t>(frames) * factor;
  // Two channels only.
  if (mChannels != 2.0 || !Prepare(frames)) {
    BlockLeftDry();
    return false;
  }
  DenormalGuard denormals;

  const size_t n = static_cast<size_t>(frames) * 2;
  if (AnyBeyond(buffer, n, kInputLimit)) {
    for (size_t i = 0; i < n; ++i) {
      const double x = buffer[i];
      if (!(std::fabs(x) <= kInputLimit)) buffer[i] = std::isfinite(x) ? std::copysign(kInputLimit, x) : 0.0;
    }
  }
  // With the wet share at 1 the dry signal is multiplied by 0 and the wet one by 1: the stage
  // changes nothing (the samples are finite), so neither the dry copy nor the mix is made.
  const bool mixesDry = mMix != 1.0;
  double* dry = mDry.Get();
  if (factor == 1) {
    if (mixesDry && n) std::memcpy(dry, buffer, n * sizeof(double));
    ProcessFrames(buffer, frames);
    if (mixesDry) MixDry(buffer, dry, n);
    return true;
  }

  const size_t hn = static_cast<size_t>(high) * 2;
  double* hi = mHighRate.Get();
  // Zero-order hold: every input frame written factor times.
  switch (factor) {
    case 2:
      HoldFrames<2>(buffer, hi, frames);
      break;
    case 4:
      HoldFrames<4>(buffer, hi, frames);
      break;
    default:
      HoldFrames<0>(buffer, hi, frames, factor);
      break;
  }
  FilterUpAndProcess(hi, static_cast<int>(high), mixesDry ? dry : nullptr);
  if (mixesDry) MixDry(hi, dry, hn);
  FilterAndDecimate(hi, buffer, static_cast<int>(high));
  RecoverFilters();
  return true;
}

void AudioProcessor::FilterUpAndProcess(double* highRate, int highFrames, double* dry) {
  mUpFilter.FilterFrames(highFrames, highRate);
  if (dry && highFrames > 0) std::memcpy(dry, highRate, 2 * static_cast<size_t>(highFrames) * sizeof(double));
  ProcessFrames(highRate, highFrames);
}

void AudioProcessor::FilterAndDecimate(double* highRate, double* out, int highFrames) {
  const int factor = mOversampling > 1 ? mOversampling : 1;
  mDownFilter.FilterKeeping(highFrames, highRate, factor, out);
}
