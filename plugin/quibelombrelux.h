// QuibelOmbrelux: the plug-in itself. Its identity and nine parameters, the two dynamics engines (one
// for the audio, one for the transfer curve), the mapping of parameter values onto both engines and
// the per-block processing. Compiled once per format on top of that format's binding class.
#pragma once

#include "dsp/ombrelux.h"
#include "plugin/binding.h"

enum QuibelParams {
  kTopThreshold = 0,
  kTopRatio,
  kAvgThreshold,
  kAvgRatio,
  kBtmThreshold,
  kBtmRatio,
  kAttack,
  kRelease,
  kSaturation,
  kNumParams
};

class QuibelOmbrelux : public IFxBinding {
 public:
  explicit QuibelOmbrelux(const IFxCreateArgs& args);
  ~QuibelOmbrelux() override;

  // Re-initialises the engines for the host rate (after a rate or block-size change).
  void ResetAudio() override;
  // Writes the changed parameter's engine setting into both engines.
  void ParamChanged(int paramIdx, ParamChangeSource source) override;
  // Runs the audio engine over one block of two channels (called with mLock held).
  void ProcessSamples(double** inputs, double** outputs, int frames) override;

  static constexpr int kEditorWidth = 640;
  static constexpr int kEditorHeight = 480;

  // Oversampling factor for a host rate: 4 below 88100 Hz, 2 below 192000 Hz, else 1.
  static int OversamplingFor(double sampleRateHz);

  const Ombrelux& Engine() const { return mEngine; }
  const Ombrelux& CurveEngine() const { return mCurveEngine; }

 private:
  void DefineParameters();
  // Creates the editor's graphics object, fills it with the layout and hands it to the base.
  void BuildEditor();
  // Attack or release coefficients of both engines from the parameter's current value.
  void UpdateTimeConstant(int paramIdx);

  Ombrelux mEngine;
  Ombrelux mCurveEngine;
  int mReductionMeterIndex = -1;
  ScratchArray mInterleaved;  // kept between blocks, grown outside the block when the size grows
  int mInterleavedFrames = 0;
};
