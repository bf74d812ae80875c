#include "plugin/quibelombrelux.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "fx/igraphics.h"
#include "plugin/meters.h"

const IFxIdentity& PluginIdentity() {
  static const IFxIdentity identity = {
      "QuibelOmbrelux", "", "Quibel", "1.0.1", 0x10001, 'OmLx', 'Qbel',
      kNumParams, 1, "1-1 2-2", 0, false, false, false};
  return identity;
}

IFxBase* NewPluginObject(const IFxCreateArgs& args) {
  QuibelOmbrelux* fx = nullptr;
  try {
    fx = new (std::nothrow) QuibelOmbrelux(args);
  } catch (...) {
    return nullptr;
  }
  if (fx && !fx->ConstructedWhole()) {
    IFxBinding::Discard(fx);
    return nullptr;
  }
  return fx;
}

QuibelOmbrelux::QuibelOmbrelux(const IFxCreateArgs& args) : IFxBinding(args, PluginIdentity()) {
  if (!ConstructedWhole()) return;
  // The curve engine runs one frame at a time; its arrays are made here, outside the audio road.
  mCurveEngine.Prepare(1);
  DefineParameters();
  // The editor: the window-system graphics object (its timer at the default rate), its layout, and
  // the base takes it over.
  IGraphics* graphics = CreateEditorGraphics(this, kEditorWidth, kEditorHeight, 0);
  LayoutEditor(graphics);
  ConnectGraphics(graphics);
  StoreCurrentAsPresets("-", 1);
}

void QuibelOmbrelux::VersionText(int vendorVersion, char* text, int size) {
  if (!text || size < 1) return;
  std::snprintf(text, static_cast<size_t>(size), "v%d.%d.%d", (vendorVersion >> 16) & 0xFFFF,
                (vendorVersion >> 8) & 0xFF, vendorVersion & 0xFF);
}

void QuibelOmbrelux::ConnectGraphics(IGraphics* graphics) {
  if (graphics && graphics != mLayoutGraphics) {
    SyncLockScope lock(&mLock);
    mTransferIndex = -1;
    mDotIndex = -1;
    mReductionMeterIndex = -1;
    mLayoutGraphics = nullptr;
  }
  IFxBinding::ConnectGraphics(graphics);
}

void QuibelOmbrelux::LayoutEditor(IGraphics* graphics) {
  if (!graphics) return;
  mLayoutGraphics = graphics;
  graphics->SetBackdrop(100, "resources/img/bkg.png");
  const ISkinImage thresh = graphics->LoadSkinImage(101, "resources/img/thresh-knob.png", 61, false);
  const ISkinImage ratio = graphics->LoadSkinImage(102, "resources/img/ratio-knob.png", 40, false);
  const ISkinImage attack = graphics->LoadSkinImage(103, "resources/img/att-knob.png", 100, false);
  const ISkinImage release = graphics->LoadSkinImage(104, "resources/img/rel-knob.png", 100, false);
  const ISkinImage saturation = graphics->LoadSkinImage(105, "resources/img/sat-knob.png", 51, false);

  IFontSpec knobStyle;
  std::snprintf(knobStyle.face, sizeof knobStyle.face, "%s", "Arial");
  knobStyle.size = 14;
  knobStyle.colour = IArgb(255, 64, 64, 64);
  knobStyle.fieldBack = IArgb(255, 255, 255, 255);
  knobStyle.fieldText = IArgb(255, 0, 0, 0);
  knobStyle.weightStyle = 0;
  knobStyle.align = 1;
  knobStyle.orientation = 0;
  knobStyle.quality = 0;

  struct KnobPlace {
    int x, y, param;
    const ISkinImage* skin;
  };
  const KnobPlace knobs[] = {
      {445, 6, kTopThreshold, &thresh}, {543, 48, kTopRatio, &ratio},
      {445, 127, kAvgThreshold, &thresh}, {543, 169, kAvgRatio, &ratio},
      {445, 248, kBtmThreshold, &thresh}, {543, 290, kBtmRatio, &ratio},
      {454, 384, kAttack, &attack}, {544, 384, kRelease, &release},
      {337, 384, kSaturation, &saturation},
  };
  for (const KnobPlace& k : knobs) {
    // The value text is drawn across the knob (no unit label), 6 pixels below its middle.
    graphics->AddControl(new IKnobMultiControlText(this, k.x, k.y, k.param, *k.skin, knobStyle,
                                                   false, TextOver, 6));
  }

  const IBox meterArea(59, 43, 99, 341);
  const IBox transferArea(113, 42, 413, 342);
  // The meters get their drawing area only: an empty hit area never takes the mouse.
  IGainReduction* reduction = new IGainReduction(this);
  reduction->mRect = meterArea;
  mReductionMeterIndex = graphics->AddControl(reduction);

  IGainTransfer* transfer = new IGainTransfer(this, transferArea);
  transfer->mSource = &mCurveSource;
  mTransferIndex = graphics->AddControl(transfer);

  // Made before the label, added after it: drawn last, over the label and the curve.
  IGainDot* dot = new IGainDot(this);
  dot->mRect = transferArea;

  IFontSpec labelStyle = knobStyle;
  labelStyle.colour = IArgb(150, 255, 202, 63);
  char version[32];
  VersionText(VendorVersion(), version, sizeof version);
  graphics->AddControl(new ITextControl(this, IBox(216, 447, 254, 459), labelStyle, version));

  mDotIndex = graphics->AddControl(dot);
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
  const double seconds = GetParam(paramIdx)->Value() / 1000.0;
  for (Ombrelux* e : {&mEngine, &mCurveEngine}) {
    if (paramIdx == kAttack) {
      e->SetAttackSeconds(seconds);
    } else {
      e->SetReleaseSeconds(seconds);
    }
  }
}

void QuibelOmbrelux::ParamChanged(int paramIdx, ParamChangeSource) {
  SyncLockScope lock(&mLock);
  if (const IFxSetting* p = GetParam(paramIdx)) AssignParameter(paramIdx, *p);
  // The curve costs 300 one-frame engine runs: a host may bring many changes per block on the
  // audio thread, so it is only marked here and computed once, before the next paint of the view.
  mCurveStale.store(true, std::memory_order_release);
  if (IGainTransfer* view = TransferView()) view->mChanged.store(true, std::memory_order_relaxed);
}

void QuibelOmbrelux::RefreshCurve() {
  if (!mCurveStale.load(std::memory_order_acquire)) return;
  SyncLockScope lock(&mLock);
  if (!mCurveStale.load(std::memory_order_relaxed)) return;
  mCurveStale.store(false, std::memory_order_relaxed);
  RecomputeCurve();
}

void QuibelOmbrelux::AssignParameter(int paramIdx, const IFxSetting& param) {
  const double v = param.Value();
  for (Ombrelux* e : {&mEngine, &mCurveEngine}) {
    switch (paramIdx) {
      case kTopThreshold: e->SetTopThresholdDb(v); break;
      case kTopRatio: e->SetTopRatio(v); break;
      case kAvgThreshold: e->SetMidThresholdDb(v); break;
      case kAvgRatio: e->SetMidRatio(v); break;
      case kBtmThreshold: e->SetBtmThresholdDb(v); break;
      case kBtmRatio: e->SetBtmRatio(v); break;
      case kSaturation: e->SetDrive(10.0 * param.NormalizedValue()); break;
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
  // The meters are fed once an editor graphics object is attached (window open or not).
  FeedMeters(mEngine.mTracker.mBlockPeak, mEngine.mGainChangeDb);
}

void QuibelOmbrelux::FeedMeters(double blockPeak, double changeDb) {
  IGraphics* graphics = AttachedGraphics();
  if (!graphics) return;
  // Minus infinity for a silent block; the controls decide what that draws.
  const double inputDb = std::log(std::fabs(blockPeak)) * Dsp::kDbPerNeper;
  if (IGainDot* dot = DotView()) dot->SetLevels(inputDb, changeDb);
  // -12..+12 dB onto 0..1; a change that is not a number stays one (the bar then draws nothing).
  double bar = (changeDb + 12.0) / 24.0;
  if (bar < 0.0) {
    bar = 0.0;
  } else if (bar > 1.0) {
    bar = 1.0;
  }
  if (IGainReduction* meter = ReductionView()) meter->AcceptParamValue(bar);
  graphics->FlagAllControlsChanged();
}

void QuibelOmbrelux::RecomputeCurve() {
  IGainTransfer* view = TransferView();
  if (!view) return;
  const int width = view->mRect.mRight - view->mRect.mLeft;
  if (width < 1) return;
  // The levels run from -48 dB in steps of 48 / width, taken in single precision.
  const float step = static_cast<float>(48.0 / width);
  double frame[2];
  for (int i = 0; i < width; ++i) {
    const float offset = static_cast<float>(i) * step;
    const double level = static_cast<double>(offset) - 48.0;
    frame[0] = frame[1] = std::exp(level * Dsp::kNeperPerDb);
    mCurveEngine.mExternalEnvelope = frame;
    mCurveEngine.mCurveMode = true;
    mCurveEngine.ProcessInterleaved(frame, 1);
    view->WritePoint(level, mCurveEngine.mGainChangeDb);
  }
  mCurveEngine.mExternalEnvelope = nullptr;  // the frame goes out of scope
}
