// QuibelOmbrelux: the plug-in itself. Its identity and nine parameters, the two dynamics engines (one
// for the audio, one for the transfer curve), the mapping of parameter values onto both engines and
// the per-block processing. Compiled once per format on top of that format's binding class.
#pragma once

#include <atomic>

#include "dsp/ombrelux.h"
#include "fx/igraphics.h"
#include "plugin/binding.h"
#include "plugin/meters.h"

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
  // Writes the changed parameter's engine setting into both engines and marks the transfer curve
  // out of date (for every index, mapped or not); the curve itself is recomputed once, when the
  // editor next paints it (RefreshCurve), however many changes a block brings.
  void ParamChanged(int paramIdx, ParamChangeSource source) override;
  // Runs the audio engine over one block of two channels (called with mLock held), then feeds the
  // meters.
  void ProcessSamples(double** inputs, double** outputs, int frames) override;
  // A graphics object other than the one the layout was built on takes the editor's place: the
  // meter views of the old one go with it.
  void ConnectGraphics(IGraphics* graphics) override;

  static constexpr int kEditorWidth = 640;
  static constexpr int kEditorHeight = 480;

  // Oversampling factor for a host rate: 4 below 88100 Hz, 2 below 192000 Hz, else 1.
  static int OversamplingFor(double sampleRateHz);

  const Ombrelux& Engine() const { return mEngine; }
  const Ombrelux& CurveEngine() const { return mCurveEngine; }
  int ReductionMeterIndex() const { return mReductionMeterIndex; }
  // The meter views, looked up in the graphics object at each use (null when its controls were
  // deleted or replaced by others, as IGraphics::SetEditorSize does).
  IGainReduction* ReductionView() const { return LookUp<IGainReduction>(mReductionMeterIndex); }
  IGainTransfer* TransferView() const { return LookUp<IGainTransfer>(mTransferIndex); }
  IGainDot* DotView() const { return LookUp<IGainDot>(mDotIndex); }

  // The meter feeding after a block (audio thread, under mLock): the dot gets the block's input level
  // and gain change, the bar the gain change, and every control a repaint mark. Nothing happens
  // without an attached graphics object.
  void FeedMeters(double blockPeak, double gainChangeDb);

  // Recomputes the transfer curve from the curve engine when a parameter has changed since it was
  // last computed (any thread but the audio thread; takes mLock). The transfer view calls it before
  // it paints.
  void RefreshCurve();
  bool CurveOutOfDate() const { return mCurveStale.load(std::memory_order_acquire); }

  // The text of the editor's version label ("v" and the vendor version, e.g. "v1.0.1").
  static void VersionText(int vendorVersion, char* text, int size);

 private:
  void DefineParameters();
  // Fills the editor: backdrop, skin strips, the nine knobs, the three meters and the version label,
  // in their drawing order (the graphics object comes from the constructor).
  void LayoutEditor(IGraphics* graphics);
  // The transfer curve from the curve engine, one one-frame run per pixel column of its view
  // (mLock held).
  void RecomputeCurve();

  // The plug-in as its transfer view's curve source.
  struct CurveSource : ICurveSource {
    explicit CurveSource(QuibelOmbrelux* owner) : mOwner(owner) {}
    void BringCurveUpToDate() override { mOwner->RefreshCurve(); }
    QuibelOmbrelux* mOwner;  // not owned
  };
  // The engine setting of one mapped parameter, in both engines.
  void AssignParameter(int paramIdx, const IFxSetting& param);
  // Attack or release coefficients of both engines from the parameter's current value.
  void UpdateTimeConstant(int paramIdx);
  // The control at index of the layout's graphics object when it is a View, else null. The plug-in
  // keeps indexes, not pointers: the graphics object may delete its controls (a resize) while the
  // plug-in lives on, and does so under mLock, which every use here holds or is on the UI thread.
  template <class View>
  View* LookUp(int index) const {
    const IGraphics* g = mLayoutGraphics;
    if (!g || index < 0 || index >= g->ControlCount()) return nullptr;
    return dynamic_cast<View*>(g->Control(index));
  }

  Ombrelux mEngine;
  Ombrelux mCurveEngine;
  // The meter views' indexes among the controls of mLayoutGraphics (-1: none).
  int mReductionMeterIndex = -1;
  int mTransferIndex = -1;
  int mDotIndex = -1;
  IGraphics* mLayoutGraphics = nullptr;  // not owned: the graphics object the views belong to
  // A parameter changed since the curve was last computed (set under mLock, read by the painter).
  std::atomic<bool> mCurveStale{false};
  CurveSource mCurveSource{this};
  ScratchArray mInterleaved;  // kept between blocks, grown outside the block when the size grows
  int mInterleavedFrames = 0;
};
