// The VST2 binding of the plug-in base: the effect record a VST 2.4 host holds, its dispatcher,
// processing and parameter entries, the host callback behind the base's host hooks, and the preset
// and bank chunks.
#pragma once

#include "fx/ifxbase.h"
#include "vst2/aeffect.h"

class IFxVST : public IFxBase {
 public:
  // Chunk header: 'pfft' (bytes 74 66 66 70) and the chunk version.
  static constexpr int32_t kChunkMagic = 0x70666674;
  static constexpr int32_t kChunkVersion = 0x00010000;
  // Largest block size a host may announce: 2^20 frames (8 MB of doubles per pin).
  static constexpr int32_t kMaxBlockFrames = 1 << 20;
  // Bytes a parameter text may take in a host buffer (23 characters and a terminator): hosts
  // give at least that much for names, units and value texts.
  static constexpr int kParamTextBytes = 24;

  IFxVST(const IFxCreateArgs& args, int paramCount, const char* channelIOText, int presetCount,
         const char* effectName, const char* productName, const char* makerName, int vendorVersion,
         int uniqueId, int makerId, int latency, bool takesMidi, bool hasStateChunks, bool isSynth);
  // Host's effClose (through the dispatcher); UI thread; mLock already released.
  ~IFxVST() override;

  // Completes creation for the module entry: fills the unfilled preset slots and makes numPrograms
  // at least 1. The record the host gets. Creating thread, under the entry's creation lock.
  AEffect* PublishRecord();
  AEffect* Record() { return &mEffect; }

  // ---- the effect record's entries, in the order a host uses them
  // Every dispatcher opcode; UI thread (audio thread for effProcessEvents); holds mLock for the
  // whole call, except effEditIdle and effIdle (none) and effClose (released before the delete).
  static VstIntPtr VSTCALLBACK VSTDispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                             VstIntPtr value, void* ptr, float opt);
  // Host automation: the base's host-parameter entry (limited to 0..1, NaN ignored); audio or UI
  // thread; takes mLock.
  static void VSTCALLBACK VSTSetParameter(AEffect* effect, VstInt32 index, float value);
  // The normalised value of a parameter, 0 for a bad index; any thread; takes mLock.
  static float VSTCALLBACK VSTGetParameter(AEffect* effect, VstInt32 index);
  // One block, single precision, replacing the outputs; audio thread; holds mLock.
  static void VSTCALLBACK VSTRenderFloat(AEffect* effect, float** inputs, float** outputs,
                                         VstInt32 frames);
  // One block, double precision, replacing the outputs; audio thread; holds mLock.
  static void VSTCALLBACK VSTRenderDouble(AEffect* effect, double** inputs, double** outputs,
                                          VstInt32 frames);
  // One block, single precision, adding into the outputs; audio thread; holds mLock.
  static void VSTCALLBACK VSTProcessAdding(AEffect* effect, float** inputs, float** outputs,
                                           VstInt32 frames);

  // ---- IFxBase hooks for this format, each one host callback request
  // An editor gesture: audioMasterBeginEdit / audioMasterAutomate / audioMasterEndEdit; UI thread;
  // the value under mLock (from SetParameterFromGUI), begin and end without it.
  void BeginInformHostOfParamChange(int paramIdx) override;
  void InformHostOfParamChange(int paramIdx, double normalized) override;
  void EndInformHostOfParamChange(int paramIdx) override;
  // audioMasterUpdateDisplay; UI thread; no lock.
  void NotifyHostPresetChanged() override;
  // Transport through audioMasterGetCurrentProcessLevel and audioMasterGetTime; audio thread,
  // from ProcessSamples; mLock held.
  bool HostRendersOffline() override;
  int HostSamplePosition() override;
  double HostTempo() override;
  void HostTimeSignature(int* numerator, int* denominator) override;
  void FillHostTimeInfo(ITransportInfo* info) override;
  // Asks the host for its product name and version once; UI thread (from effOpen, under mLock).
  HostCode IdentifyHost() override;
  // Keeps the editor rectangle at the graphics' size; the host is not asked to resize; UI thread;
  // no lock.
  void ResizeEditor(int width, int height) override;
  // Once per object, from effOpen: host identification and the per-host pin quirks; UI thread;
  // under the dispatcher's mLock.
  void AdaptToHost() override;
  // The base's attachment, then the editor flag and rectangle; constructor's thread; takes mLock.
  void ConnectGraphics(IGraphics* graphics) override;
  // The base's behaviour, then the record's initialDelay from the latency the base keeps; UI thread;
  // no lock of its own.
  void ChangeLatency(int samples) override;
  // One event to the host through audioMasterProcessEvents, true when it answers 1; audio thread;
  // mLock held.
  bool SendMidiToHost(const IMidiEvent* event) override;
  bool SendSysExToHost(const IExclusiveMessage* message) override;

  // ---- operations of the VST2 module (UI thread; under the dispatcher's mLock)
  // The vendor version packed (0xMMmmpp) or as decimal (major x 10000 + minor x 100 + bugfix).
  int32_t GetVersionNumber(bool asDecimal) const;
  // Input pins from index 2 on are disconnected; with 3 or more output pins, outputs from 2 on
  // are connected.
  void KeepFirstTwoInputs();
  // Every preset slot not yet filled gets the label "Empty" and the current state.
  void InitEmptyPresets();
  // The current preset takes the current parameter values (and name, when given and not empty;
  // at most 255 characters). Nothing when the current preset does not exist or the state cannot
  // be written.
  void ModifyCurrentPreset(const char* name);
  // Empties blob and appends the 8-byte chunk header; false when it cannot grow.
  bool WriteStateHeader(StateBlob& blob) const;
  // Reads a chunk header at pos: its version (pos moved past it); 0 with pos unchanged when there
  // is no header; 0 with pos -1 when the version is cut off.
  int32_t ReadStateHeader(const StateBlob& blob, int32_t& pos) const;
  // Appends one bank record per preset; false when the blob cannot grow.
  bool SerializePresets(StateBlob& blob);
  // Reads the bank records from startPos; the position after the last byte read, or -1 when the
  // records run short or are malformed (the presets read before keep what they got).
  int32_t UnserializePresets(const StateBlob& blob, int32_t startPos);
  // After the processing hook: each active output pin's doubles, rounded to single precision,
  // added into its host buffer.
  void RunProcessHookAdding(int frames);

  const ERect& EditorRect() const { return mEditorRect; }
  const VstSpeakerArrangement& InputArrangement() const { return mInputArrangement; }
  const VstSpeakerArrangement& OutputArrangement() const { return mOutputArrangement; }
  int32_t HostExtensions() const { return mHostExtensions; }
  bool HostAdapted() const { return mHostAdapted; }

 private:
  // One call of the host callback with the record as first argument; 0 without a callback.
  VstIntPtr CallHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f);
  const VstTimeInfo* HostTime(VstInt32 filter);
  // The dispatcher's work for every opcode but effClose and the idle calls (mLock held).
  VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
  VstIntPtr String2Parameter(int index, const char* text);
  VstIntPtr PinProperties(bool input, int index, VstPinProperties* props);
  VstIntPtr SetSpeakerArrangement(const VstSpeakerArrangement* in, const VstSpeakerArrangement* out);
  VstIntPtr ProcessEvents(const VstEvents* events);
  VstIntPtr CanDo(const char* text);
  VstIntPtr VendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt);
  VstIntPtr GetChunk(int index, void** where);
  VstIntPtr SetChunk(int index, VstIntPtr byteCount, const void* bytes);
  void ProcessAddingSlices(float** inputs, float** outputs, int frames);
  static void FillArrangement(VstSpeakerArrangement& arrangement, int channels);

  ERect mEditorRect;
  audioMasterCallback mHostCallback;  // not owned
  VstSpeakerArrangement mInputArrangement;
  VstSpeakerArrangement mOutputArrangement;
  bool mHostAdapted = false;
  int32_t mHostExtensions = 0;
  StateBlob mPresetChunk;  // last preset chunk handed out or taken in
  StateBlob mBankChunk;    // last bank chunk
  AEffect mEffect;
  // Host buffers of the current slice of an accumulating block, one per pin.
  TypedBlock<float*> mAddIn{4096};
  TypedBlock<float*> mAddOut{4096};
};
