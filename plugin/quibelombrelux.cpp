#include "plugin/quibelombrelux.h"

#include <cmath>
#include <cstring>

#include "fx/igraphics.h"

namespace {
constexpr double kNeperPerDb = 0.1151292546497;  // gain = exp(dB x this)
}

QuibelOmbrelux::QuibelOmbrelux(const IFxCreateArgs& args)
    : IFxBinding(args, kNumParams, "1-1 2-2", 1, "QuibelOmbrelux", "", "Quibel", 0x10001, 'OmLx',
                 'Qbel', 0, false, false, false) {
  if (!ConstructedWhole()) return;
  DefineParameters();
  BuildEditor();
  StoreCurrentAsPresets("-", 1);
}

void QuibelOmbrelux::BuildEditor() {
  // The window-system graphics object of the 640 x 480 editor (its timer at the default rate).
  IGraphics* graphics = CreateEditorGraphics(this, kEditorWidth, kEditorHeight, 0);

  // ---- editor layout: skin images and controls

  ConnectGraphics(graphics);
}

QuibelOmbrelux::~QuibelOmbrelux() = default;

void QuibelOmbrelux::DefineParameters() {
  GetParam(kAvgThreshold)->InitContinuous("Avg Threshold", -24.0, -48.0, 0.0, 0.1, "dB", "", 1.0);
  GetParam(kAvgRatio)->InitContinuous("Avg Ratio", 2.0, 1.0, 20.0, 0.1, "", "", 1.0);
  GetParam(kTopThreshold)->InitContinuous("Top Threshold", -19.0, -48.0, 0.0, 0.1, "dB", "", 1.0);
  GetParam(kTopRatio)->InitContinuous("Top Ratio", 2.0, 1.0, 20.0, 0.1, "", "", 1.0);
  GetParam(kBtmThreshold)->InitContinuous("Btm Threshold", -29.0, -48.0, 0.0, 0.1, "dB", "", 1.0);
  GetParam(kBtmRatio)->InitContinuous("Btm Ratio", 2.0, 1.0, 20.0, 0.1, "", "", 1.0);
  GetParam(kAttack)->InitContinuous("Attack", 10.0, 1.0, 100.0, 1.0, "ms", "", 1.0);
  GetParam(kAttack)->SetExponent(2.0);
  GetParam(kRelease)->InitContinuous("Release", 500.0, 1.0, 999.0, 1.0, "ms", "", 1.0);
  GetParam(kRelease)->SetExponent(2.0);
  GetParam(kSaturation)->InitContinuous("Saturation", 20.0, 0.0, 100.0, 1.0, "%", "", 1.0);
}

int QuibelOmbrelux::OversamplingFor(double hz) {
  if (hz < 88100.0) return 4;
  if (hz < 192000.0) return 2;
  return 1;
}

void QuibelOmbrelux::ResetAudio() {
  SyncLockScope lock(&mLock);
  const double hz = SampleRate();
  if (ValidSampleRate(hz)) {
    const int rate = static_cast<int>(hz);
    if (mEngine.ChangeSampleRate(rate)) mEngine.SetOversampling(OversamplingFor(hz));
    if (mCurveEngine.ChangeSampleRate(rate)) mCurveEngine.SetOversampling(1);
  }
  // The time constants depend on the tracker rates just set; recompute them so that attack and
  // release keep their meaning whatever order rate and parameters arrived in.
  UpdateTimeConstant(kAttack);
  UpdateTimeConstant(kRelease);
  // The block buffer and the engine's working arrays are sized here, outside the audio road.
  const int frames = BlockFrames();
  if (frames > mInterleavedFrames && mInterleaved.Reserve(static_cast<size_t>(frames) * 2)) {
    mInterleavedFrames = frames;
  }
  mEngine.Prepare(frames);
}

void QuibelOmbrelux::UpdateTimeConstant(int paramIdx) {
  const double t = GetParam(paramIdx)->Value() / 1000.0;
  for (Ombrelux* e : {&mEngine, &mCurveEngine}) {
    TrackerChannel* channels[2] = {&e->mTracker.mLeft, &e->mTracker.mRight};
    for (TrackerChannel* c : channels) {
      const double coef = std::exp(-1.0 / (c->mRate * t));
      if (paramIdx == kAttack) {
        c->mAttackCoef = coef;
      } else {
        c->mReleaseCoef = coef;
      }
    }
  }
}

void QuibelOmbrelux::ParamChanged(int paramIdx, ParamChangeSource) {
  SyncLockScope lock(&mLock);
  const IFxSetting* p = GetParam(paramIdx);
  if (!p) return;
  const double v = p->Value();
  for (Ombrelux* e : {&mEngine, &mCurveEngine}) {
    switch (paramIdx) {
      case kTopThreshold: e->mTopComp.mThreshold = std::exp(v * kNeperPerDb); break;
      case kTopRatio: e->mTopComp.mRatio = v; break;
      case kAvgThreshold: e->mMidComp.mThreshold = std::exp(v * kNeperPerDb); break;
      case kAvgRatio: e->mMidComp.mRatio = v; break;
      case kBtmThreshold: e->mBtmComp.mThreshold = std::exp(v * kNeperPerDb); break;
      case kBtmRatio: e->mBtmComp.mRatio = v; break;
      case kSaturation: e->mSaturation = 10.0 * p->NormalizedValue(); break;
      default: break;
    }
  }
  if (paramIdx == kAttack || paramIdx == kRelease) UpdateTimeConstant(paramIdx);
}

void QuibelOmbrelux::ProcessSamples(double** inputs, double** outputs, int frames) {
  if (frames < 1) return;
  double* buffer = mInterleaved.Get();
  if (frames > mInterleavedFrames) {
    // Only reached when a block arrives larger than the set-up said; grow once.
    buffer = mInterleaved.Reserve(static_cast<size_t>(frames) * 2);
    if (!buffer) {
      for (int ch = 0; ch < 2; ++ch) {
        if (outputs[ch] != inputs[ch]) std::memcpy(outputs[ch], inputs[ch], sizeof(double) * frames);
      }
      return;
    }
    mInterleavedFrames = frames;
  }
  InterleaveStereo(frames, buffer, inputs[0], inputs[1]);
  mEngine.ProcessInterleaved(buffer, frames);
  DeinterleaveStereo(frames, outputs[0], outputs[1], buffer);
  // The meters are fed once an editor graphics object is attached.
}
