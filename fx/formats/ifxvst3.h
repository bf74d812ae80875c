// The VST3 binding of the plug-in base: one object that is the VST3 audio processor (IComponent,
// IAudioProcessor) and its edit controller (IEditController, IEditController2) at once, with unit
// and program-list answers (IUnitInfo) and MIDI controller mapping (IMidiMapping).
#pragma once

#include "fx/ifxbase.h"
#include "vst3/support.h"

class IFxVST3View;

class IFxVST3 : public IFxBase,
                public Steinberg::Vst::IUnitInfo,
                public Steinberg::Vst::SingleComponentEffect,
                public Steinberg::Vst::IMidiMapping {
 public:
  typedef Steinberg::tresult tresult;
  typedef Steinberg::int32 int32;
  typedef Steinberg::Vst::ParamID ParamID;
  typedef Steinberg::Vst::ParamValue ParamValue;

  static constexpr ParamID kBypassId = 'bpas';
  static constexpr ParamID kPresetId = 'prst';

  IFxVST3(const IFxCreateArgs& args, int paramCount, const char* channelIOText, int presetCount,
          const char* effectName, const char* productName, const char* makerName,
          int vendorVersion, int uniqueId, int makerId, int latency, bool takesMidi,
          bool hasStateChunks, bool isSynth, int sideChainChannels);
  ~IFxVST3() override;

  // ---- FUnknown: one reference count and one identity for every interface of the object
  tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  Steinberg::uint32 PLUGIN_API addRef() override { return FObject::addRef(); }
  Steinberg::uint32 PLUGIN_API release() override { return FObject::release(); }
  Steinberg::FClassID isA() const override { return "IFxVST3"; }
  bool isTypeOf(Steinberg::FClassID name, bool askBaseClass = true) const override;

  // ---- IPluginBase (host's main thread)
  // Makes buses and parameters, identifies the host, loads preset 0.
  tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override;
  tresult PLUGIN_API terminate() override;

  // ---- IAudioProcessor and IComponent set-up (host's main thread; no lock of their own)
  tresult PLUGIN_API setBusArrangements(Steinberg::Vst::SpeakerArrangement* inputs, int32 numIns,
                                        Steinberg::Vst::SpeakerArrangement* outputs,
                                        int32 numOuts) override;
  tresult PLUGIN_API canProcessSampleSize(int32 size) override;
  Steinberg::uint32 PLUGIN_API getLatencySamples() override;
  // Stores rate and block size, sizes the pins' scratch buffers and resets the audio (under mLock).
  tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) override;
  // Switching processing on or off needs nothing here: both answer kResultOk.
  tresult PLUGIN_API setProcessing(Steinberg::TBool) override { return Steinberg::kResultOk; }
  tresult PLUGIN_API setActive(Steinberg::TBool state) override;

  // ---- processing (host's audio thread; holds mLock for the whole call)
  tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) override;
  Steinberg::uint32 PLUGIN_API getTailSamples() override;

  // ---- state (any thread after initialize; holds mLock for the whole call)
  tresult PLUGIN_API setState(Steinberg::IBStream* state) override;
  tresult PLUGIN_API getState(Steinberg::IBStream* state) override;
  tresult PLUGIN_API setComponentState(Steinberg::IBStream* state) override { return setState(state); }

  // ---- IEditController parameter entries (no lock)
  tresult PLUGIN_API getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                           Steinberg::String128 string) override;
  ParamValue PLUGIN_API plainParamToNormalized(ParamID id, ParamValue plainValue) override;
  ParamValue PLUGIN_API getParamNormalized(ParamID id) override;
  tresult PLUGIN_API setParamNormalized(ParamID id, ParamValue value) override;
  // A new editor view for the name "editor" (exactly), null for any other name; user-interface thread.
  Steinberg::IPlugView* PLUGIN_API createView(Steinberg::FIDString name) override;
  tresult PLUGIN_API openHelp(Steinberg::TBool) override { return Steinberg::kResultFalse; }
  tresult PLUGIN_API openAboutBox(Steinberg::TBool) override { return Steinberg::kResultFalse; }

  // ---- IUnitInfo
  int32 PLUGIN_API getUnitCount() override;
  tresult PLUGIN_API getUnitInfo(int32 unitIndex, Steinberg::Vst::UnitInfo& info) override;
  int32 PLUGIN_API getProgramListCount() override { return 0; }
  tresult PLUGIN_API getProgramListInfo(int32 listIndex,
                                        Steinberg::Vst::ProgramListInfo& info) override;
  tresult PLUGIN_API getProgramName(Steinberg::Vst::ProgramListID listId, int32 programIndex,
                                    Steinberg::String128 name) override;
  tresult PLUGIN_API getProgramInfo(Steinberg::Vst::ProgramListID, int32, Steinberg::CString,
                                    Steinberg::String128) override {
    return Steinberg::kNotImplemented;
  }
  tresult PLUGIN_API hasProgramPitchNames(Steinberg::Vst::ProgramListID, int32) override {
    return Steinberg::kNotImplemented;
  }
  tresult PLUGIN_API getProgramPitchName(Steinberg::Vst::ProgramListID, int32, Steinberg::int16,
                                         Steinberg::String128) override {
    return Steinberg::kNotImplemented;
  }
  Steinberg::Vst::UnitID PLUGIN_API getSelectedUnit() override { return Steinberg::Vst::kRootUnitId; }
  tresult PLUGIN_API selectUnit(Steinberg::Vst::UnitID) override { return Steinberg::kNotImplemented; }
  tresult PLUGIN_API getUnitByBus(Steinberg::Vst::MediaType, Steinberg::Vst::BusDirection, int32,
                                  int32, Steinberg::Vst::UnitID&) override {
    return Steinberg::kNotImplemented;
  }
  tresult PLUGIN_API setUnitProgramData(int32, int32, Steinberg::IBStream*) override {
    return Steinberg::kNotImplemented;
  }

  // ---- IMidiMapping
  tresult PLUGIN_API getMidiControllerAssignment(int32 busIndex, Steinberg::int16 channel,
                                                 Steinberg::Vst::CtrlNumber controller,
                                                 ParamID& id) override;

  // ---- IFxBase operations for this format
  void ShowHostParamMenu(int paramIdx, int x, int y) override;
  void BeginInformHostOfParamChange(int paramIdx) override;
  void InformHostOfParamChange(int paramIdx, double normalized) override;
  void EndInformHostOfParamChange(int paramIdx) override;
  void NotifyHostPresetChanged() override {}
  bool HostRendersOffline() override;
  int HostSamplePosition() override;
  double HostTempo() override;
  void HostTimeSignature(int* numerator, int* denominator) override;
  void FillHostTimeInfo(ITransportInfo* info) override;
  void ResizeEditor(int width, int height) override;
  void ChangeLatency(int samples) override;
  bool SendMidiToHost(const IMidiEvent*) override { return false; }

  // The arrangement this binding gives a bus of the given channel count (0 for counts it has none for).
  static Steinberg::Vst::SpeakerArrangement ArrangementFor(int channels);
  const Steinberg::Vst::ProcessContext& HostContext() const { return mHostContext; }
  int SideChainChannels() const { return mSideChainChannels; }

 protected:
  friend class IFxVST3View;  // a view leaves the list of open views when it goes
  Steinberg::TArray<IFxVST3View*>& OpenViews() { return mOpenViews; }

 private:
  // The parameter record a host id names; null for every other id.
  IFxSetting* SettingFor(ParamID id) const {
    return id < static_cast<ParamID>(ParamCount()) ? GetParam(static_cast<int>(id)) : nullptr;
  }
  void MakeBusesAndParameters();
  Steinberg::Vst::UnitID UnitForGroup(const char* group);
  void ApplyParameterChanges(Steinberg::Vst::IParameterChanges* changes);
  void ApplyEvents(Steinberg::Vst::IEventList* events);
  // The number of bytes a state stream of this plug-in holds: its state and the bypass flag.
  int StateStreamBytes();
  // Reads at most limit bytes of the stream into blob, in reads of up to 128 bytes; false when the
  // blob cannot hold them.
  bool ReadStateStream(Steinberg::IBStream* stream, StateBlob& blob, int limit);

  int32 mSideChainChannels;
  bool mSideChainLinked = false;
  Steinberg::Vst::ProcessContext mHostContext;
  Steinberg::TArray<IFxVST3View*> mOpenViews{10};  // not owning
};
