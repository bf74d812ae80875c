// The oversampling frame of the engine: zero-order-hold up-sampling, a Chebyshev II low-pass after
// it, the processing step at the high rate, the dry/wet stage, a second low-pass and decimation.
#pragma once

#include <cstddef>
#include <cstdint>

#include "dsp/chebyshev.h"

// Splits two-channel interleaved doubles into two arrays, and joins them back.
void DeinterleaveStereo(int frames, double* left, double* right, const double* interleaved);
void InterleaveStereo(int frames, double* interleaved, const double* left, const double* right);

// Heap array of doubles on a 16-byte boundary that keeps its block between calls and grows only
// when a larger one is needed. Sizes are checked for overflow; a failed growth keeps the old block.
class ScratchArray {
 public:
  ScratchArray() = default;
  ~ScratchArray();
  ScratchArray(const ScratchArray&) = delete;
  ScratchArray& operator=(const ScratchArray&) = delete;
  // Room for count doubles; null when it cannot be provided. (The room already there is answered
  // inline: every block asks.)
  double* Reserve(size_t count) { return count <= mCapacity && mAligned ? mAligned : Grow(count); }
  double* Get() const { return mAligned; }

 private:
  double* Grow(size_t count);

  void* mBlock = nullptr;
  double* mAligned = nullptr;
  size_t mCapacity = 0;
};

class AudioProcessor {
 public:
  // Highest host rate accepted: 10 MHz (times any factor up to 4 it still fits 32-bit products).
  static constexpr int kMaxSampleRate = 10000000;
  // Largest input magnitude passed on as it is (2000 dB above full scale); larger finite samples
  // are taken at this magnitude. The filters, bands and mix raise a level by far less than the
  // 10^108 that remain below the largest double, so every finite input gives finite output.
  static constexpr double kInputLimit = 1e200;

  AudioProcessor();
  virtual ~AudioProcessor() {}
  AudioProcessor(const AudioProcessor&) = delete;
  AudioProcessor& operator=(const AudioProcessor&) = delete;

  // Stores the factor (at least 1) and designs both filters for it; keeps the filter memories.
  virtual void SetOversampling(int factor);
  virtual void SetMix(double wet) { mMix = wet; }
  // Both filters to pass-through, then designed again for the current factor.
  virtual void ResetFilters();
  // Stores the host rate; the filters keep their design until the next SetOversampling. A rate that
  // is not positive or above kMaxSampleRate is refused (false) and the previous rate stays.
  virtual bool ChangeSampleRate(int rate);
  // Stores the channel count; the engine processes only two interleaved channels and leaves blocks
  // alone while the count is anything else.
  virtual void SetChannels(int count) { mChannels = count; }
  // The processing step, on two-channel interleaved frames at the running rate, in place.
  virtual void ProcessFrames(double* interleaved, int frames) = 0;
  virtual void OnRateChanged() = 0;

  // The block entry, in place. Non-finite input samples are taken as 0, finite ones beyond
  // kInputLimit at that magnitude with their sign. Returns false when the
  // scratch arrays could not be provided (or the channel count is not 2): the block is then left as
  // it came in.
  bool ProcessInterleaved(double* interleaved, int frames);
  // Makes room for blocks of up to frames frames at the current factor; called outside the audio
  // road, so that ProcessInterleaved (which calls it for each block) need not allocate. False when
  // the block is too long to address or the room cannot be had.
  bool Prepare(int frames);
  void FilterAndDecimate(double* highRate, double* out, int highFrames);

  int SampleRate() const { return mSampleRate; }
  int Oversampling() const { return mOversampling; }
  double Mix() const { return mMix; }
  const Dsp::ChebyIILowPass<6, 2>& UpFilter() const { return mUpFilter; }
  const Dsp::ChebyIILowPass<6, 2>& DownFilter() const { return mDownFilter; }

 protected:
  // Makes room for a block of highFrames frames at the running rate; false when it cannot.
  virtual bool ReserveScratch(size_t highFrames);
  // Called when a block is refused and passes unprocessed.
  virtual void BlockLeftDry() {}
  // The oversampled road's middle: the up filter over the held frames in place, the dry copy of its
  // output (when dry is given) and the processing step. A processor may do its own work alongside
  // the filter's, with the same results.
  virtual void FilterUpAndProcess(double* highRate, int highFrames, double* dry);
  void DesignFilters();
  // The dry/wet stage: wet[i] := wet[i] mMix + dry[i] (1 - mMix).
  void MixDry(double* wet, const double* dry, size_t count) const;
  // Called after a block whose processing may have overflowed: clears non-finite filter memories.
  void RecoverFilters();

  int32_t mSampleRate = 44100;
  int32_t mOversampling = 1;
  double mChannels = 2.0;
  double mMix = 1.0;
  Dsp::ChebyIILowPass<6, 2> mUpFilter;
  Dsp::ChebyIILowPass<6, 2> mDownFilter;
  ScratchArray mHighRate;
  ScratchArray mDry;
};
