// Chebyshev type II low-pass filters of the Dsp family: analog prototype, bilinear low-pass mapping,
// second-order stages with gain normalisation, and the two-channel cascade in direct form II.
#pragma once

#include <complex>
#include <cstdint>

#include "dsp/follower.h"

namespace Dsp {

typedef std::complex<double> Complex;

struct FilterParams {
  int32_t order;
  double sampleRate;
  double cutoff;      // same unit as the rate
  double stopBandDb;  // stop-band attenuation
};

// A pole or zero list of fixed capacity.
struct RootList {
  int32_t capacity = 0;
  int32_t count = 0;
  Complex* entries = nullptr;
};

// View on a pole list and a zero list with the normalisation point of the gain.
struct Layout {
  RootList poles;
  RootList zeros;
  double normW = 0.0;     // radians per sample
  double normGain = 1.0;
};

// Storage of one layout of capacity N.
template <int N>
struct LayoutSpace : Layout {
  LayoutSpace() {
    poles.capacity = zeros.capacity = N;
    poles.entries = poleSpace;
    zeros.entries = zeroSpace;
  }
  LayoutSpace(const LayoutSpace&) = delete;
  LayoutSpace& operator=(const LayoutSpace&) = delete;
  Complex poleSpace[N];
  Complex zeroSpace[N];
};

// One second-order stage: the designed (target) coefficients and the running set the packed road
// ramps towards them. Sign convention: w = a1 w[n-1] + a2 w[n-2] + x; y = b0 w + b1 w[n-1] + b2 w[n-2].
struct CascadeStage {
  double a1, a2, b0, b1, b2;
  double runA1, runA2, runB0, runB1, runB2;
};

struct Cascade {
  int32_t stageCount = 0;
  CascadeStage* stages = nullptr;
};

// Running state of one stage for two channels: w[n-1] and w[n-2] per channel, laid out so that the
// two channels of one history value sit side by side (the packed road loads them as one pair).
struct StageHistory {
  double w1[2];
  double w2[2];
};

// A call's decimated output: output frames 0, every, 2 every, ... go to out, interleaved.
struct KeptFrames {
  int every;
  double* out;
};

// Follows all of the job's frames on their own.
void FollowAll(FollowerJob& job);

class CascadeFilter {
 public:
  CascadeFilter(CascadeStage* stages, StageHistory* history, int stageCount);
  virtual ~CascadeFilter() {}

  // Every stage's target set becomes the pass-through; running sets and state stay.
  void ResetStages();
  // Filters frames of interleaved two-channel samples in place. With a job, the envelope follower
  // runs over the job's frames (which must not be these) alongside, and the job is finished.
  void FilterFrames(int64_t frames, double* samples, FollowerJob* job = nullptr);
  // Filters like FilterFrames but keeps only the output frames 0, every, 2 every, ... (what
  // decimation by `every` keeps), interleaved and in order at out: as many as there are multiples
  // of `every` below frames. Where the road allows, the other outputs are never worked out;
  // samples is left as scratch either way.
  void FilterKeeping(int64_t frames, double* samples, int every, double* out);
  // Response of the designed (target) coefficients at a frequency in cycles per sample.
  Complex EvaluateResponse(double normalizedFrequency) const;
  // True when the packed road, given a call of that many frames, would step its running
  // coefficients towards the design (the steps spread over one call's frames). A call that takes
  // no step at one length takes none at any greater length either.
  bool StepsIn(int64_t frames) const;
  // Zeroes the running state (filter memory); coefficients stay.
  void ClearHistory();
  // False when the filter memory holds a non-finite value.
  bool HistoryFinite() const;

  const Cascade& Stages() const { return mCascade; }
  int Channels() const { return mChannels; }

 protected:
  void FilterPerChannel(int64_t frames, double* samples);
  void FilterPacked(int64_t frames, double* samples, FollowerJob* job, const KeptFrames* keep);

  Cascade mCascade;
  int32_t mChannels = 2;
  StageHistory* mState;
};

class PoleFilter : public CascadeFilter {
 public:
  using CascadeFilter::CascadeFilter;
  virtual void DesignFromParams(const FilterParams& params) = 0;
};

// The design steps, shared by every Chebyshev II low-pass of the family.
void DesignAnalogPrototype(Layout& analog, const FilterParams& params);
void MapToDigitalLowPass(const FilterParams& params, Layout& digital, const Layout& analog);
void BuildStages(const Layout& layout, Cascade& cascade);

struct ChebyII {};
struct LowPass {};

template <class Prototype, class Transform, int Poles, int NumChannels>
class PoleFilterSpace : public PoleFilter {
  static_assert(NumChannels == 2, "the cascade processes two interleaved channels");

 public:
  PoleFilterSpace() : PoleFilter(mStageSpace, mHistorySpace, (Poles + 1) / 2) {
    for (CascadeStage& s : mStageSpace) s = CascadeStage{0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    ClearHistory();
  }
  PoleFilterSpace(const PoleFilterSpace&) = delete;
  PoleFilterSpace& operator=(const PoleFilterSpace&) = delete;

  void DesignFromParams(const FilterParams& params) override {
    DesignAnalogPrototype(mAnalog, params);
    MapToDigitalLowPass(params, mDigital, mAnalog);
    BuildStages(mDigital, mCascade);
  }
  const Layout& AnalogLayout() const { return mAnalog; }
  const Layout& DigitalLayout() const { return mDigital; }

 protected:
  LayoutSpace<Poles> mAnalog;
  LayoutSpace<Poles> mDigital;
  CascadeStage mStageSpace[(Poles + 1) / 2];
  StageHistory mHistorySpace[(Poles + 1) / 2];
};

template <int Order, int NumChannels>
class ChebyIILowPass : public PoleFilterSpace<ChebyII, LowPass, Order, NumChannels> {
 public:
  // Designs at sample rate 1.0: cutoff in cycles per sample, stop-band attenuation in dB.
  void Design(double cutoff, double stopBandDb) {
    this->DesignFromParams(FilterParams{Order, 1.0, cutoff, stopBandDb});
  }
};

}  // namespace Dsp
