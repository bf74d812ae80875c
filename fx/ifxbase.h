// The format-independent base of every plug-in object: identity, parameter records, presets, channel
// layouts and pins, the attached editor graphics object and the plug-in's one recursive lock.
// Class hierarchy: plug-in class : format binding class : IFxBase. The binding overrides the
// host-facing hooks, the plug-in class the audio and parameter hooks.
#pragma once

#include <atomic>
#include <cfloat>
#include <cstdint>

#include "fx/containers.h"
#include "fx/hostcode.h"
#include "fx/ifxpins.h"
#include "fx/ifxsetting.h"
#include "fx/records.h"
#include "fx/stateblob.h"
#include "fx/synclock.h"

class IGraphics;

// One host bus as a binding hands it to the base: its channel count as the host gives it and one
// buffer pointer per channel (single or double precision, whichever the block uses).
struct IHostBus {
  int32_t mChannels = 0;
  float* const* mFloat = nullptr;
  double* const* mDouble = nullptr;
  bool mActive = true;  // an inactive bus connects none of its channels
};

enum ParamChangeSource : int32_t {
  kSourceReset = 0,
  kSourceHost = 1,
  kSourceRestore = 2,
  kSourceEditor = 3,
};

enum : int32_t {
  kFormatVst2 = 0,
  kFormatVst3 = 1,
  kFormatAax = 4,
};

struct IStoredPreset {
  bool mFilled = false;
  char mLabel[256] = "empty";
  StateBlob mState;
};

class IFxBase {
 public:
  IFxBase(int paramCount, const char* channelIOText, int presetCount, const char* effectName,
          const char* productName, const char* makerName, int vendorVersion, int uniqueId,
          int makerId, int latency, bool takesMidi, bool hasStateChunks, bool isSynth,
          int wrapperFormat);

  // ---- virtual hooks, in slot order. Each line: what it does; the thread that calls it (UI: the
  // host's user-interface thread; audio: the host's processing thread); the lock it runs under.
  // Host releases the object; UI thread; no lock.
  virtual ~IFxBase();
  // The plug-in re-initialises its processing; UI thread at set-up (rate, block size); takes mLock.
  virtual void ResetAudio();
  // A parameter's value changed and the plug-in follows it; audio thread (host changes) or UI
  // thread (editor, presets, state); takes mLock.
  virtual void ParamChanged(int paramIdx, ParamChangeSource source);
  // One block of audio on the pins (default: input i to output i, other outputs zeroed); audio
  // thread; mLock held by the binding.
  virtual void ProcessSamples(double** inputs, double** outputs, int frames);
  // The editor window has opened / is about to close; UI thread; no lock.
  virtual void EditorOpened() {}
  virtual void EditorClosing() {}
  virtual void SparePlugHook() {}
  // The host switched processing on or off; UI thread; takes mLock.
  virtual void ActivationChanged(bool active);
  // A MIDI event or system-exclusive block of the current block; audio thread; mLock held.
  virtual void ReceiveMidi(const IMidiEvent* event);
  virtual void ReceiveSysEx(const IExclusiveMessage*) {}
  // Name of a MIDI key for the host's note list; UI thread; no lock.
  virtual bool DescribeMidiKey(int noteNumber, char* outName);
  // Appends the state (one little-endian double per parameter) to blob; UI thread; mLock held by
  // the binding's state entry (and taken again inside).
  virtual bool WriteStateBlob(StateBlob& blob);
  // Restores the state from blob at startPos; the position after it, or -1 when the data ran short.
  // UI thread; mLock held by the binding's state entry (and taken again inside).
  virtual int ReadStateBlob(const StateBlob& blob, int startPos);
  // Whether byteCount bytes of data hold, from double startPos on, the current parameter values;
  // UI thread; no lock.
  virtual bool StateBlobMatches(const uint8_t* data, int byteCount, int startPos);
  // The host resized the editor; UI thread; no lock.
  virtual void EditorResized() {}
  virtual bool SparePlugQuery() { return false; }
  // The host's identity has just become known; UI thread (initialisation); no lock.
  virtual void HostKnown() {}
  // Asks the host for its context menu of a parameter at a point of the editor; UI thread; no lock.
  virtual void ShowHostParamMenu(int, int, int) {}
  // An edit made in the editor (normalised value); UI thread; takes mLock.
  virtual void SetParameterFromGUI(int paramIdx, double normalized);
  // The binding tells the host of an editor gesture: begin, each value, end; UI thread (the value
  // under mLock, from SetParameterFromGUI; begin and end without it).
  virtual void BeginInformHostOfParamChange(int paramIdx) = 0;
  virtual void InformHostOfParamChange(int paramIdx, double normalized) = 0;
  virtual void EndInformHostOfParamChange(int paramIdx) = 0;
  // The binding tells the host that the current preset changed; UI thread; no lock.
  virtual void NotifyHostPresetChanged() = 0;
  // The host's transport as the binding last saw it; audio thread, from ProcessSamples; mLock held.
  virtual bool HostRendersOffline() { return false; }
  virtual int HostSamplePosition() = 0;
  virtual double HostTempo() = 0;
  virtual void HostTimeSignature(int* numerator, int* denominator) = 0;
  virtual void FillHostTimeInfo(ITransportInfo* info) = 0;
  // The host's code and the binding's format code; any thread; no lock.
  virtual HostCode IdentifyHost() { return mHostCode; }
  virtual int WrapperFormat() { return mWrapperFormat; }
  // The plug-in asks the host to resize the editor window; UI thread; no lock.
  virtual void ResizeEditor(int width, int height) = 0;
  // The binding adjusts to known host quirks; UI thread (initialisation); no lock.
  virtual void AdaptToHost() {}
  // Takes ownership of the editor's graphics object and shows every parameter on its controls;
  // constructor's thread; takes mLock.
  virtual void ConnectGraphics(IGraphics* graphics);
  // The plug-in's latency changed (the binding tells the host); UI thread; no lock of its own.
  virtual void ChangeLatency(int samples);
  // MIDI out to the host during a block; audio thread; mLock held.
  virtual bool SendMidiToHost(const IMidiEvent* event) = 0;
  virtual bool SendSysExToHost(const IExclusiveMessage*) { return false; }
  // Writes / reads the parameter values of the state; UI thread; takes mLock.
  virtual bool SerializeParamValues(StateBlob& blob);
  virtual int UnserializeParams(const StateBlob& blob, int startPos);
  // Shows every parameter's value on its controls (after a restore); UI thread; no lock.
  virtual void RefreshBoundControls();
  // The compared state or the preset list changed; UI thread; no lock.
  virtual void MarkCompareStateChanged() {}
  virtual void PresetsAltered() {}
  // The host's largest block changed: the pins' scratch buffers are resized; UI thread at set-up;
  // mLock held by the binding.
  virtual void ChangeBlockSize(int frames);

  // ---- identity, layouts, presets
  // False when a record could not be allocated during construction: the object must not be used.
  bool ConstructedWhole() const { return mConstructedWhole; }
  // True when some channel pair matches both counts; a negative count matches any.
  bool LegalIO(int inputs, int outputs) const;
  void SetHost(const char* hostName, int hostVersion);
  void StoreCurrentAsPresets(const char* name, int count);
  bool LoadPreset(int index);
  const char* PresetLabel(int index) const;
  void ResendAllParams(ParamChangeSource source);
  // A host's change of one parameter, the same in every format: the normalised value is limited to
  // 0..1 (NaN changes nothing), assigned, shown on the bound controls and announced to the plug-in
  // with kSourceHost. Audio thread or the host's parameter thread; takes mLock.
  void SetParameterFromHost(int paramIdx, double normalized);
  void SetInputCaption(int index, const char* text);
  void SetOutputCaption(int index, const char* text);

  IFxSetting* GetParam(int i) const { return mParamList.At(i); }
  int ParamCount() const { return mParamList.Count(); }
  IStoredPreset* GetPreset(int i) const { return mPresetList.At(i); }
  int PresetCount() const { return mPresetList.Count(); }
  int InputPinCount() const { return mInputPins.Count(); }
  int OutputPinCount() const { return mOutputPins.Count(); }
  IInputPin* InputPin(int i) const { return mInputPins.At(i); }
  IOutputPin* OutputPin(int i) const { return mOutputPins.At(i); }
  int ChannelPairCount() const { return mChannelPairs.Count(); }
  const IChannelPair* ChannelPair(int i) const { return mChannelPairs.At(i); }
  const HeapString* InputCaption(int i) const { return mInputCaptions.At(i); }
  const HeapString* OutputCaption(int i) const { return mOutputCaptions.At(i); }
  int InputCaptionCount() const { return mInputCaptions.Count(); }
  int OutputCaptionCount() const { return mOutputCaptions.Count(); }

  const char* EffectTitle() const { return mEffectTitle; }
  const char* ProductTitle() const { return mProductTitle; }
  const char* MakerTitle() const { return mMakerTitle; }
  int32_t PluginId() const { return mPluginId; }
  int32_t MakerId() const { return mMakerId; }
  int32_t VendorVersion() const { return mVendorVersion; }
  int32_t HostVersionCode() const { return mHostVersionCode; }
  bool HasStateChunks() const { return mHasStateChunks; }
  bool IsSynth() const { return mIsSynth; }
  bool TakesMidi() const { return mTakesMidi; }
  bool IsBypassed() const { return mBypassed.load(std::memory_order_relaxed); }
  void SetBypassed(bool bypassed) { mBypassed.store(bypassed, std::memory_order_relaxed); }
  int CurrentPreset() const { return mCurrentPreset; }
  double SampleRate() const { return mSampleRateHz; }
  // Host sample rates the framework takes: finite, 1 Hz to 10 MHz.
  static bool ValidSampleRate(double hz) { return hz >= 1.0 && hz <= 1.0e7; }
  void SetSampleRate(double hz) { mSampleRateHz = hz; }
  int BlockFrames() const { return mBlockFrames; }
  int LatencySamples() const { return mLatencySamples; }
  int TailSamples() const { return mTailSamples; }
  IGraphics* AttachedGraphics() const { return mAttachedGraphics; }
  SyncLock* Lock() { return &mLock; }
  IDelayLine* DelayLine() const { return mDelayLine; }
  ItemList& GroupNames() { return mGroupNames; }
  double** InputPtrs() const { return static_cast<double**>(mInputPtrs.Data()); }
  double** OutputPtrs() const { return static_cast<double**>(mOutputPtrs.Data()); }

  // ---- channel pins and buffer routing (one block, audio thread, under mLock)
  // start and count select pins start .. min(start + count, pin count) - 1; negative values are clamped.
  void MarkInputPinsActive(int start, int count, bool connected);
  void MarkOutputPinsActive(int start, int count, bool connected);
  void BindInputs(int start, int count, double** buffers);
  // Converts the next host buffers into the pins' scratch; at most BlockFrames() samples.
  void BindInputsFloat(int start, int count, float** buffers, int frames);
  void BindOutputs(int start, int count, double** buffers);
  void BindOutputsFloat(int start, int count, float** buffers);
  void RunProcessHook(int frames);
  void RunProcessHookFloat(int frames);
  void RouteDry(int frames);
  void RouteDryFloat(int frames);
  void BlankPinBuffers();
  static void DoublesToFloats(float* out, const double* in, int frames);
  // The float that carries a sample to the host, on every float output road: a level beyond the float
  // range is given as the largest float of its sign, never as infinity (NaN stays NaN).
  static float LimitToFloat(double v) {
    return static_cast<float>(v > FLT_MAX ? FLT_MAX : (v < -FLT_MAX ? -FLT_MAX : v));
  }

  // One whole host block on the pins marked active: binds the host buffers (the arrays hold one
  // buffer per active pin, in pin order) and runs the processing hook, or the pass-through when
  // bypassed. A block longer than BlockFrames() is processed in slices of at most BlockFrames()
  // frames; before the first ChangeBlockSize the active outputs get silence. A missing float
  // buffer reads as silence (input) or is skipped (output); a missing double buffer of an active
  // pin leaves the whole block unprocessed, with silence on the outputs that exist.
  void ProcessHostBlock(double** inputs, double** outputs, int frames);
  void ProcessHostBlockFloat(float** inputs, float** outputs, int frames);

  // ---- host buses onto pins, the same for every format (one block, audio thread, under mLock)
  // Connects input pins first .. first + count - 1 to the bus's channels in order; a pin whose
  // channel the bus lacks (or whose pointer is null, or on an inactive bus) is unconnected and
  // reads its own scratch buffer.
  void ConnectInputBus(int firstPin, int count, const IHostBus& bus);
  // Connects output pins from firstPin on to the bus's channels in order, up to the last pin;
  // returns how many pins the bus covers (its channel count, limited to the pins left).
  int ConnectOutputBus(int firstPin, const IHostBus& bus);
  // Runs one block on the buffers the Connect calls gave to the connected pins.
  void ProcessConnectedPins(bool singlePrecision, int frames);

 protected:
  // Creates the latency delay line (the VST3 and AAX bindings do, when there is an input pin).
  bool CreateDelayLine();
  void SetTailSamples(int samples) { mTailSamples = samples; }
  void SetCurrentPreset(int index) { mCurrentPreset = index; }
  // A binding whose own set-up could not allocate what it needs marks the object unusable.
  void MarkConstructionFailed() { mConstructedWhole = false; }

  SyncLock mLock;

 private:
  void ParseChannelIO(const char* text, int* maxInputs, int* maxOutputs);
  void ApplyActivity(bool isInput, int start, int count, bool connected);
  template <typename T> void SilenceActiveOutputs(T** outputs, int frames);
  template <typename T> void ProcessSlices(T** inputs, T** outputs, int frames);
  void BindSlice(double** in, double** out, int frames);
  void BindSlice(float** in, float** out, int frames);
  void ConvertFloatOutputs(int frames);

  OwnedList<IChannelPair> mChannelPairs;
  char mEffectTitle[128] = {};
  char mProductTitle[128] = {};
  char mMakerTitle[128] = {};
  int32_t mPluginId;
  int32_t mMakerId;
  int32_t mVendorVersion;
  int32_t mWrapperFormat;
  HostCode mHostCode = kHostNotAsked;
  int32_t mHostVersionCode = 0;
  bool mHasStateChunks;
  bool mIsSynth;
  bool mTakesMidi;
  std::atomic<bool> mBypassed{false};  // read by the controller without the lock
  bool mConstructedWhole = true;
  int32_t mCurrentPreset = 0;
  double mSampleRateHz = 44100.0;
  int32_t mBlockFrames = 0;
  int32_t mLatencySamples;
  int32_t mTailSamples = 0;
  IDelayLine* mDelayLine = nullptr;      // owned
  ItemList mGroupNames;                  // not owning
  IGraphics* mAttachedGraphics = nullptr;  // owned
  OwnedList<IFxSetting> mParamList;
  OwnedList<IStoredPreset> mPresetList;
  GrowableBlock mInputPtrs{4096};   // double* per input pin
  GrowableBlock mOutputPtrs{4096};  // double* per output pin
  OwnedList<IInputPin> mInputPins;
  OwnedList<IOutputPin> mOutputPins;
  OwnedList<HeapString> mInputCaptions;
  OwnedList<HeapString> mOutputCaptions;
  // Host buffer pointers offset into the current slice of an over-long block (one per pin).
  GrowableBlock mSliceIn{4096};
  GrowableBlock mSliceOut{4096};
  // Host buffer per pin as the Connect calls leave it (float* or double*).
  GrowableBlock mBusIn{4096};
  GrowableBlock mBusOut{4096};
};

// What a format binding hands to the plug-in constructor (the VST2 host callback; empty for VST3
// and AAX).
struct IFxCreateArgs {
  void* mHostCallback = nullptr;
};
