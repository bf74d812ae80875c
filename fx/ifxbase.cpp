#include "fx/ifxbase.h"

#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "fx/igraphics.h"

// The bypass flag is read by the controller without the plug-in lock.
static_assert(std::atomic<bool>::is_always_lock_free, "the bypass flag must be a lock-free atomic");

IFxBase::IFxBase(int paramCount, const char* channelIOText, int presetCount,
                 const char* effectName, const char* productName, const char* makerName,
                 int vendorVersion, int uniqueId, int makerId, int latency, bool takesMidi,
                 bool hasStateChunks, bool isSynth, int wrapperFormat)
    : mPluginId(uniqueId),
      mMakerId(makerId),
      mVendorVersion(vendorVersion),
      mWrapperFormat(wrapperFormat),
      mHasStateChunks(hasStateChunks),
      mIsSynth(isSynth),
      mTakesMidi(takesMidi),
      mLatencySamples(latency) {
  for (int i = 0; i < paramCount; ++i) {
    IFxSetting* p = new (std::nothrow) IFxSetting();
    if (!p || !mParamList.Add(p)) {
      delete p;
      mConstructedWhole = false;
      break;
    }
  }
  for (int i = 0; i < presetCount; ++i) {
    IStoredPreset* p = new (std::nothrow) IStoredPreset();
    if (!p || !mPresetList.Add(p)) {
      delete p;
      mConstructedWhole = false;
      break;
    }
  }
  CopyTextField(mEffectTitle, sizeof mEffectTitle, effectName);
  CopyTextField(mProductTitle, sizeof mProductTitle, productName);
  CopyTextField(mMakerTitle, sizeof mMakerTitle, makerName);

  int maxInputs = 0, maxOutputs = 0;
  ParseChannelIO(channelIOText, &maxInputs, &maxOutputs);

  // One pointer slot per pin; the blocks never change size afterwards, so the slots stay put.
  const int inBytes = maxInputs * static_cast<int>(sizeof(double*));
  const int outBytes = maxOutputs * static_cast<int>(sizeof(double*));
  mInputPtrs.ChangeSize(inBytes, false);
  mOutputPtrs.ChangeSize(outBytes, false);
  mSliceIn.ChangeSize(inBytes, false);
  mSliceOut.ChangeSize(outBytes, false);
  mBusIn.ChangeSize(inBytes, false);
  mBusOut.ChangeSize(outBytes, false);
  if (mInputPtrs.Size() != inBytes || mOutputPtrs.Size() != outBytes ||
      mSliceIn.Size() != inBytes || mSliceOut.Size() != outBytes || mBusIn.Size() != inBytes ||
      mBusOut.Size() != outBytes) {
    mConstructedWhole = false;
    return;
  }
  for (int i = 0; i < maxInputs; ++i) {
    IInputPin* pin = new (std::nothrow) IInputPin();
    if (!pin || !mInputPins.Add(pin)) {
      delete pin;
      mConstructedWhole = false;
      return;
    }
    pin->mSlot = InputPtrs() + i;
    *pin->mSlot = nullptr;
  }
  for (int i = 0; i < maxOutputs; ++i) {
    IOutputPin* pin = new (std::nothrow) IOutputPin();
    if (!pin || !mOutputPins.Add(pin)) {
      delete pin;
      mConstructedWhole = false;
      return;
    }
    pin->mSlot = OutputPtrs() + i;
    *pin->mSlot = nullptr;
  }
}

void IFxBase::ParseChannelIO(const char* text, int* maxInputs, int* maxOutputs) {
  if (!text) return;
  const char* p = text;
  for (;;) {
    int inputs = 0, outputs = 0;
    const bool channelIOStrValid = std::sscanf(p, "%d-%d", &inputs, &outputs) == 2;
    assert(channelIOStrValid);
    if (!channelIOStrValid) return;
    IChannelPair* pair = new (std::nothrow) IChannelPair{inputs, outputs};
    if (!pair || !mChannelPairs.Add(pair)) {
      delete pair;
      mConstructedWhole = false;
      return;
    }
    if (inputs > *maxInputs) *maxInputs = inputs;
    if (outputs > *maxOutputs) *maxOutputs = outputs;
    p = std::strchr(p, ' ');
    if (!p) return;
    ++p;
  }
}

IFxBase::~IFxBase() {
  delete mAttachedGraphics;
  mAttachedGraphics = nullptr;
  mParamList.DeleteAll();
  mPresetList.DeleteAll();
  mInputPins.DeleteAll();
  mOutputPins.DeleteAll();
  mChannelPairs.DeleteAll();
  mInputCaptions.DeleteAll();
  mOutputCaptions.DeleteAll();
  delete mDelayLine;
  mDelayLine = nullptr;
}

void IFxBase::ResetAudio() { SyncLockScope lock(&mLock); }

void IFxBase::ParamChanged(int, ParamChangeSource) { SyncLockScope lock(&mLock); }

void IFxBase::ActivationChanged(bool) { SyncLockScope lock(&mLock); }

void IFxBase::ReceiveMidi(const IMidiEvent* event) { SendMidiToHost(event); }

bool IFxBase::DescribeMidiKey(int, char* outName) {
  if (outName) outName[0] = '\0';
  return false;
}

bool IFxBase::WriteStateBlob(StateBlob& blob) { return SerializeParamValues(blob); }

int IFxBase::ReadStateBlob(const StateBlob& blob, int startPos) {
  return UnserializeParams(blob, startPos);
}

void IFxBase::SetParameterFromGUI(int paramIdx, double normalized) {
  SyncLockScope lock(&mLock);
  IFxSetting* p = GetParam(paramIdx);
  if (!p) return;
  p->AssignNormalized(normalized);
  InformHostOfParamChange(paramIdx, normalized);
  ParamChanged(paramIdx, kSourceEditor);
}

void IFxBase::SetParameterFromHost(int paramIdx, double normalized) {
  IFxSetting* p = GetParam(paramIdx);
  if (!p || std::isnan(normalized)) return;
  const double n = normalized < 0.0 ? 0.0 : (normalized > 1.0 ? 1.0 : normalized);
  SyncLockScope lock(&mLock);
  p->AssignNormalized(n);
  if (mAttachedGraphics) mAttachedGraphics->RouteParamToControls(paramIdx, n, true);
  ParamChanged(paramIdx, kSourceHost);
}

void IFxBase::ConnectGraphics(IGraphics* graphics) {
  if (!graphics) return;
  SyncLockScope lock(&mLock);
  for (int i = 0; i < ParamCount(); ++i) {
    graphics->RouteParamToControls(i, GetParam(i)->NormalizedValue(), true);
  }
  graphics->CreateBackBuffers();
  if (mAttachedGraphics != graphics) delete mAttachedGraphics;
  mAttachedGraphics = graphics;
}

void IFxBase::RefreshBoundControls() {
  if (!mAttachedGraphics) return;
  for (int i = 0; i < ParamCount(); ++i) {
    mAttachedGraphics->RouteParamToControls(i, GetParam(i)->Value(), false);
  }
}

bool IFxBase::LegalIO(int inputs, int outputs) const {
  for (int i = 0; i < mChannelPairs.Count(); ++i) {
    const IChannelPair* pair = mChannelPairs.At(i);
    if ((inputs < 0 || pair->inputs == inputs) && (outputs < 0 || pair->outputs == outputs)) {
      return true;
    }
  }
  return false;
}

void IFxBase::SetHost(const char* hostName, int hostVersion) {
  mHostCode = HostCodeFromName(hostName);
  mHostVersionCode = hostVersion;
}

void IFxBase::StoreCurrentAsPresets(const char* name, int count) {
  for (int n = 0; n < count; ++n) {
    IStoredPreset* free = nullptr;
    for (int i = 0; i < PresetCount() && !free; ++i) {
      if (!GetPreset(i)->mFilled) free = GetPreset(i);
    }
    if (!free) return;
    free->mFilled = true;
    CopyTextField(free->mLabel, sizeof free->mLabel, name ? name : "Empty");
    WriteStateBlob(free->mState);
  }
}

bool IFxBase::LoadPreset(int index) {
  IStoredPreset* preset = GetPreset(index);
  if (!preset) return false;
  bool ok;
  if (preset->mFilled) {
    ok = ReadStateBlob(preset->mState, 0) > 0;
  } else {
    int n = 0;
    for (int i = 0; i < PresetCount(); ++i) {
      if (std::strstr(GetPreset(i)->mLabel, "user preset")) ++n;
    }
    preset->mState.Clear();
    ok = WriteStateBlob(preset->mState);
    if (ok) {
      preset->mFilled = true;
      std::snprintf(preset->mLabel, sizeof preset->mLabel, "%s %d", "user preset", n + 1);
    } else {
      preset->mState.Clear();
    }
  }
  if (ok) {
    mCurrentPreset = index;
    PresetsAltered();
    RefreshBoundControls();
  }
  return ok;
}

const char* IFxBase::PresetLabel(int index) const {
  const IStoredPreset* preset = GetPreset(index);
  return preset ? preset->mLabel : "";
}

void IFxBase::ResendAllParams(ParamChangeSource source) {
  for (int i = 0; i < ParamCount(); ++i) ParamChanged(i, source);
}

static void SetCaption(OwnedList<HeapString>& list, int index, const char* text) {
  if (index < 0) return;
  HeapString* existing = list.At(index);
  if (existing) {
    existing->Set(text);
    return;
  }
  HeapString* s = new (std::nothrow) HeapString(text ? text : "");
  if (s && !list.Add(s)) delete s;
}

void IFxBase::SetInputCaption(int index, const char* text) {
  if (index > 1) return;
  SetCaption(mInputCaptions, index, text);
}

void IFxBase::SetOutputCaption(int index, const char* text) { SetCaption(mOutputCaptions, index, text); }

bool IFxBase::CreateDelayLine() {
  if (mDelayLine) return true;
  mDelayLine = new (std::nothrow) IDelayLine(InputPinCount(), OutputPinCount());
  if (!mDelayLine) return false;
  ChangeLatency(mLatencySamples);
  return true;
}
