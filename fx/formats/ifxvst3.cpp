#include "fx/formats/ifxvst3.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "fx/formats/ifxvst3view.h"
#include "fx/numbertext.h"
#include "fx/igraphics.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {
// A plug-in parameter exported to the host: its default, plain value and text parsing follow the
// parameter record's own mapping (with its exponent), not a linear range. Text output and plain to
// normalised are answered by IFxVST3 itself from the record.
class SettingParameter : public RangeParameter {
 public:
  SettingParameter(IFxSetting* setting, ParamID id, int32 flags, UnitID unit)
      : RangeParameter(setting->NameText(), id, setting->UnitText(), setting->Lowest(),
                       setting->Highest(), setting->DefaultValue(), 0, flags, unit),
        mSetting(setting) {
    setPrecision(setting->Decimals());
    mInfo.defaultNormalizedValue = mValue = setting->Normalize(setting->DefaultValue());
  }
  ParamValue toPlain(ParamValue n) const override { return mSetting->PlainOf(n); }
  bool fromString(const TChar* text, ParamValue& normalized) const override {
    char buf[128];
    double v;
    if (!NarrowAsciiText(text, buf, sizeof buf) || !mSetting->ParseValueText(buf, &v)) return false;
    normalized = mSetting->Normalize(v);
    return true;
  }

 private:
  IFxSetting* mSetting;  // not owned: the record outlives the parameter container
};

void Widen(String128 dst, const char* src) { str8ToStr16(dst, src, 128); }

}  // namespace

IFxVST3::IFxVST3(const IFxCreateArgs&, int paramCount, const char* channelIOText, int presetCount,
                 const char* effectName, const char* productName, const char* makerName,
                 int vendorVersion, int uniqueId, int makerId, int latency, bool takesMidi,
                 bool hasStateChunks, bool isSynth, int sideChainChannels)
    : IFxBase(paramCount, channelIOText, presetCount, effectName, productName, makerName,
              vendorVersion, uniqueId, makerId, latency, takesMidi, hasStateChunks, isSynth,
              kFormatVst3),
      mSideChainChannels(sideChainChannels) {
  std::memset(&mHostContext, 0, sizeof mHostContext);
  MarkInputPinsActive(0, InputPinCount(), true);
  MarkOutputPinsActive(0, OutputPinCount(), true);
  if (InputPinCount() > 0 && !CreateDelayLine()) MarkConstructionFailed();
  SetInputCaption(0, "Main Input");
  if (sideChainChannels != 0) SetInputCaption(1, "Aux Input");
  if (isSynth) {
    char caption[32];
    for (int i = 0; 2 * i < OutputPinCount(); ++i) {
      std::snprintf(caption, sizeof caption, "Output %i", i + 1);
      SetOutputCaption(i, caption);
    }
  } else {
    SetOutputCaption(0, "Output");
  }
}

IFxVST3::~IFxVST3() { mOpenViews.freeStorage(); }

tresult PLUGIN_API IFxVST3::queryInterface(const TUID iid, void** obj) {
  if (!obj) return kInvalidArgument;
  if (SameIID(iid, IUnitInfo::iid)) {
    addRef();
    *obj = static_cast<IUnitInfo*>(this);
    return kResultOk;
  }
  if (SameIID(iid, IMidiMapping::iid)) {
    addRef();
    *obj = static_cast<IMidiMapping*>(this);
    return kResultOk;
  }
  return SingleComponentEffect::queryInterface(iid, obj);
}

bool IFxVST3::isTypeOf(FClassID name, bool askBaseClass) const {
  return SameClassName(name, "IFxVST3") ||
         (askBaseClass && SingleComponentEffect::isTypeOf(name, true));
}

// ---------------------------------------------------------------- initialize / terminate

tresult PLUGIN_API IFxVST3::initialize(FUnknown* context) {
  // A second initialize without terminate changes nothing: no host name, buses, parameters or preset.
  if (isInitialized()) return kResultFalse;
  const tresult result = SingleComponentEffect::initialize(context);
  IHostApplication* host = QueryTo<IHostApplication>(context);
  if (host) {
    String128 name;
    name[0] = 0;
    // A host whose getName fails leaves the text empty: it is then identified as unrecognised.
    if (host->getName(name) != kResultOk) name[0] = 0;
    name[127] = 0;
    char narrow[128];
    str16ToStr8(narrow, name, sizeof narrow);
    SetHost(narrow, 0);
  }
  if (result == kResultOk) MakeBusesAndParameters();
  HostKnown();
  LoadPreset(0);
  if (host) host->release();
  return result;
}

void IFxVST3::MakeBusesAndParameters() {
  String128 name;
  const int mainInputs = InputPinCount() - mSideChainChannels;
  if (mainInputs >= 1 && mainInputs <= 6) {
    Widen(name, InputCaption(0) ? InputCaption(0)->Text() : "");
    addAudioInput(name, ArrangementFor(mainInputs), kMain, BusInfo::kDefaultActive);
  }
  if (IsSynth()) {
    for (int i = 0; 2 * i < OutputPinCount(); ++i) {
      Widen(name, OutputCaption(i) ? OutputCaption(i)->Text() : "");
      addAudioOutput(name, SpeakerArr::kStereo, kMain, BusInfo::kDefaultActive);
    }
  } else {
    Widen(name, OutputCaption(0) ? OutputCaption(0)->Text() : "");
    addAudioOutput(name, ArrangementFor(OutputPinCount()), kMain, BusInfo::kDefaultActive);
  }
  if (mSideChainChannels != 0) {
    if (mSideChainChannels > 2) mSideChainChannels = 2;
    Widen(name, InputCaption(1) ? InputCaption(1)->Text() : "");
    addAudioInput(name, ArrangementFor(mSideChainChannels), kAux, 0);
  }
  if (TakesMidi()) {
    Widen(name, "MIDI Input");
    addEventInput(name, 1, kMain, BusInfo::kDefaultActive);
  }

  if (PresetCount() > 0) {
    parameters.addParameter(new (std::nothrow) Parameter(
        "Preset", kPresetId, "", 0.0, PresetCount(), ParameterInfo::kIsProgramChange, kRootUnitId));
  }
  if (!IsSynth()) {
    StringListParameter* bypass = new (std::nothrow) StringListParameter(
        "Bypass", kBypassId, "",
        ParameterInfo::kCanAutomate | ParameterInfo::kIsList | ParameterInfo::kIsBypass, kRootUnitId);
    if (bypass) {
      bypass->appendString("off");
      bypass->appendString("on");
      parameters.addParameter(bypass);
    }
  }
  for (int i = 0; i < ParamCount(); ++i) {
    IFxSetting* s = GetParam(i);
    const UnitID unit = UnitForGroup(s->GroupText());
    const int32 automate = s->Automatable() ? ParameterInfo::kCanAutomate : 0;
    switch (s->Kind()) {
      case kParamToggle:
      case kParamChoice: {
        StringListParameter* p = new (std::nothrow) StringListParameter(
            s->NameText(), static_cast<ParamID>(i), s->UnitText(),
            ParameterInfo::kIsList | automate, unit);
        if (p) {
          for (int k = 0; k < s->CountValueTexts(); ++k) p->appendString(s->ValueTextFor(k));
          parameters.addParameter(p);
        }
        break;
      }
      case kParamInteger:
      case kParamContinuous:
        parameters.addParameter(new (std::nothrow) SettingParameter(s, static_cast<ParamID>(i), automate, unit));
        break;
      default:
        break;
    }
  }
  if (TakesMidi()) {
    for (int cc = 0; cc < 128; ++cc) {
      Parameter* p = parameters.addParameter(new (std::nothrow) RangeParameter(
          "MIDI CC", static_cast<ParamID>(ParamCount() + cc), "", 0.0, 127.0, 0.0, 0,
          ParameterInfo::kCanAutomate, kRootUnitId));
      if (p) p->setPrecision(1);
    }
  }
}

UnitID IFxVST3::UnitForGroup(const char* group) {
  if (!group || !group[0]) return kRootUnitId;
  ItemList& names = GroupNames();
  for (int k = 0; k < names.Count(); ++k) {
    if (std::strcmp(static_cast<const char*>(names.At(k)), group) == 0) return k + 1;
  }
  if (!names.Add(const_cast<char*>(group))) return kRootUnitId;
  return names.Count();
}

tresult PLUGIN_API IFxVST3::terminate() {
  mOpenViews.removeAll();
  // The units are made again with the parameters by the next initialize.
  GroupNames().Clear();
  return SingleComponentEffect::terminate();
}

// ---------------------------------------------------------------- set-up

SpeakerArrangement IFxVST3::ArrangementFor(int channels) {
  switch (channels) {
    case 1: return SpeakerArr::kMono;
    case 2: return SpeakerArr::kStereo;
    case 3: return SpeakerArr::k30Music;
    case 4: return SpeakerArr::kAmbi1stOrderACN;
    case 5: return SpeakerArr::k50;
    case 6: return SpeakerArr::k51;
    default: return SpeakerArr::kEmpty;
  }
}

tresult PLUGIN_API IFxVST3::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                               SpeakerArrangement* outputs, int32 numOuts) {
  MarkInputPinsActive(0, InputPinCount(), false);
  MarkOutputPinsActive(0, OutputPinCount(), false);
  if (numIns < 0 || numOuts < 0 || (numIns > 0 && !inputs) || (numOuts > 0 && !outputs)) {
    return kResultFalse;
  }
  const int in = numIns > 0 ? SpeakerArr::getChannelCount(inputs[0]) : 0;
  const int out = numOuts > 0 ? SpeakerArr::getChannelCount(outputs[0]) : 0;
  if (!LegalIO(in, out)) return kResultFalse;

  String128 name;
  Bus* bus = audioInputs.at(0);
  if (bus && bus->channelCount() != in) {
    Widen(name, "Input");
    audioInputs.replace(0, makeAudioBus(name, ArrangementFor(in), kMain, BusInfo::kDefaultActive));
  }
  bus = audioOutputs.at(0);
  if (bus && bus->channelCount() != out) {
    Widen(name, "Output");
    audioOutputs.replace(0, makeAudioBus(name, ArrangementFor(out), kMain, BusInfo::kDefaultActive));
  }
  if (mSideChainChannels == 0) return numIns == 1 ? kResultOk : kResultFalse;
  if (numIns != 2) return kResultFalse;
  const int side = SpeakerArr::getChannelCount(inputs[1]);
  bus = audioInputs.at(1);
  if (bus && bus->channelCount() != side) {
    Widen(name, "Sidechain Input");
    audioInputs.replace(1, makeAudioBus(name, ArrangementFor(side), kAux, 0));
  }
  return kResultOk;
}

tresult PLUGIN_API IFxVST3::canProcessSampleSize(int32 size) {
  return size == kSample32 || size == kSample64 ? kResultOk : kResultFalse;
}

Steinberg::uint32 PLUGIN_API IFxVST3::getLatencySamples() {
  return static_cast<Steinberg::uint32>(LatencySamples());
}

Steinberg::uint32 PLUGIN_API IFxVST3::getTailSamples() {
  return static_cast<Steinberg::uint32>(TailSamples());
}

tresult PLUGIN_API IFxVST3::setupProcessing(ProcessSetup& setup) {
  if (setup.symbolicSampleSize != kSample32 && setup.symbolicSampleSize != kSample64) {
    return kResultFalse;
  }
  // Under the lock, so that a host calling this while a block is processed (which it must not do)
  // cannot resize the scratch buffers that block is using.
  SyncLockScope lock(&mLock);
  // The bypass stays as it is: a state restored before set-up keeps its bypass flag.
  if (ValidSampleRate(setup.sampleRate)) SetSampleRate(setup.sampleRate);
  ChangeBlockSize(setup.maxSamplesPerBlock > 0 ? setup.maxSamplesPerBlock : 0);
  ResetAudio();
  processSetup = setup;
  return kResultOk;
}

tresult PLUGIN_API IFxVST3::setActive(Steinberg::TBool state) {
  ActivationChanged(state != 0);
  return kResultOk;
}

// ---------------------------------------------------------------- processing

void IFxVST3::ApplyParameterChanges(IParameterChanges* changes) {
  const int32 count = changes->getParameterCount();
  for (int32 q = 0; q < count; ++q) {
    IParamValueQueue* queue = changes->getParameterData(q);
    if (!queue) continue;
    const int32 points = queue->getPointCount();
    if (points <= 0) continue;
    int32 offset = 0;
    ParamValue value = 0.0;
    if (queue->getPoint(points - 1, offset, value) != kResultTrue) continue;
    const ParamID id = queue->getParameterId();
    if (id == kBypassId) {
      SetBypassed(value > 0.5);
    } else if (id == kPresetId) {
      // The integer part of value x preset count; LoadPreset refuses indexes out of range.
      const double index = value * PresetCount();
      if (std::isfinite(index) && index > -2147483648.0 && index < 2147483648.0) {
        LoadPreset(static_cast<int>(index));
      }
    } else if (SettingFor(id)) {
      SetParameterFromHost(static_cast<int>(id), value);
    } else if (TakesMidi() && id < static_cast<ParamID>(ParamCount()) + 128) {
      IMidiEvent event;
      event.SetControlChange(static_cast<int>(id) - ParamCount(),
                             std::isfinite(value) ? (value < 0.0 ? 0.0 : (value > 1.0 ? 1.0 : value)) : 0.0, 0);
      ReceiveMidi(&event);
    }
  }
}

void IFxVST3::ApplyEvents(IEventList* events) {
  const int32 count = events->getEventCount();
  for (int32 i = 0; i < count; ++i) {
    Event e;
    std::memset(&e, 0, sizeof e);
    if (events->getEvent(i, e) != kResultTrue) continue;
    IMidiEvent m;
    if (e.type == Event::kNoteOnEvent) {
      float v = e.noteOn.velocity;
      v = std::isfinite(v) ? (v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v)) : 0.0f;
      m.SetNoteOn(e.noteOn.pitch & 0x7F, static_cast<int>(v * 127.0f), e.sampleOffset,
                  e.noteOn.channel & 0x0F);
      ReceiveMidi(&m);
    } else if (e.type == Event::kNoteOffEvent) {
      m.SetNoteOff(e.noteOff.pitch & 0x7F, e.sampleOffset, e.noteOff.channel & 0x0F);
      ReceiveMidi(&m);
    }
  }
}

tresult PLUGIN_API IFxVST3::process(ProcessData& data) {
  SyncLockScope lock(&mLock);
  if (data.processContext) mHostContext = *data.processContext;
  if (data.inputParameterChanges) ApplyParameterChanges(data.inputParameterChanges);
  if (TakesMidi() && data.inputEvents) ApplyEvents(data.inputEvents);

  const bool single = data.symbolicSampleSize == kSample32;
  if (!single && data.symbolicSampleSize != kSample64) return kResultOk;
  if (data.numSamples <= 0) return kResultOk;  // a parameter flush: nothing to render

  // The main input bus feeds the main pins, a linked side-chain bus the side-chain pins, and the
  // output buses fill the output pins in order. Channels whose host pointer is missing count as
  // unconnected: they read and write the pins' own scratch buffers.
  auto busOf = [single](const AudioBusBuffers& b, bool active) {
    IHostBus bus;
    bus.mChannels = b.numChannels;
    if (single) {
      bus.mFloat = b.channelBuffers32;
    } else {
      bus.mDouble = b.channelBuffers64;
    }
    bus.mActive = active;
    return bus;
  };
  const int inPins = InputPinCount();
  const int mainPins = inPins - mSideChainChannels;
  if (data.numInputs <= 0 || !data.inputs) {
    MarkInputPinsActive(0, inPins, false);
  } else {
    ConnectInputBus(0, mainPins, busOf(data.inputs[0], true));
    if (mSideChainChannels != 0) {
      const Bus* sideBus = audioInputs.at(1);
      const bool linked = sideBus && sideBus->active && data.numInputs > 1;
      if (!linked && mSideChainLinked) BlankPinBuffers();
      mSideChainLinked = linked;
      ConnectInputBus(mainPins, mSideChainChannels, linked ? busOf(data.inputs[1], true) : IHostBus());
    }
  }
  const int outPins = OutputPinCount();
  int start = 0;
  for (int j = 0; data.outputs && j < data.numOutputs && start < outPins; ++j) {
    const Bus* bus = audioOutputs.at(j);
    start += ConnectOutputBus(start, busOf(data.outputs[j], bus && bus->active));
    data.outputs[j].silenceFlags = 0;
  }
  MarkOutputPinsActive(start, outPins - start, false);
  ProcessConnectedPins(single, data.numSamples);
  return kResultOk;
}

// ---------------------------------------------------------------- state

int IFxVST3::StateStreamBytes() {
  // Measured by writing the current state: the plug-in decides what its state holds.
  StateBlob probe;
  const int state = WriteStateBlob(probe) ? probe.Size() : 8 * ParamCount();
  return state + 4;
}

bool IFxVST3::ReadStateStream(IBStream* stream, StateBlob& blob, int limit) {
  // Nothing past the state is read: a longer stream (a host's, or a hostile one of any length)
  // costs no more than the state itself.
  char chunk[128];
  while (blob.Size() < limit) {
    const int32 want = limit - blob.Size() < static_cast<int>(sizeof chunk) ? limit - blob.Size()
                                                                           : static_cast<int32>(sizeof chunk);
    int32 got = 0;
    const tresult r = stream->read(chunk, want, &got);
    if (got < 0) got = 0;
    if (got > want) got = want;
    if (r != kResultOk && IdentifyHost() != kHostWaveLab) break;  // the bytes of a failed read are dropped
    if (got == 0) break;
    if (!blob.AppendBytes(chunk, got)) return false;
  }
  return true;
}

tresult PLUGIN_API IFxVST3::getState(IBStream* stream) {
  if (!stream) return kResultFalse;
  SyncLockScope lock(&mLock);
  StateBlob blob;
  if (!WriteStateBlob(blob)) return kResultFalse;
  int32 bypass = IsBypassed() ? 1 : 0;
  uint8_t flag[4];
  StoreLE32(flag, bypass);
  int32 written = 0;
  if (blob.Size() > 0) {
    if (stream->write(blob.Data(), blob.Size(), &written) != kResultOk || written != blob.Size()) {
      return kResultFalse;
    }
  }
  written = 0;
  if (stream->write(flag, 4, &written) != kResultOk || written != 4) return kResultFalse;
  return kResultOk;
}

tresult PLUGIN_API IFxVST3::setState(IBStream* stream) {
  if (!stream) return kResultFalse;
  SyncLockScope lock(&mLock);
  StateBlob blob;
  if (!ReadStateStream(stream, blob, StateStreamBytes())) return kResultFalse;  // no room: nothing changes
  const int end = ReadStateBlob(blob, 0);
  // The bypass flag follows the parameters in the bytes already read.
  int32_t bypass = 0;
  if (end < 0 || blob.ReadInt32(&bypass, end) < 0) return kResultFalse;
  SetBypassed(bypass != 0);
  RefreshBoundControls();
  return kResultOk;
}

// ---------------------------------------------------------------- controller entries

tresult PLUGIN_API IFxVST3::getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                                  String128 string) {
  IFxSetting* s = SettingFor(id);
  if (!s || !string || std::isnan(valueNormalized)) return kResultFalse;
  char buf[128];
  s->FormatValue(valueNormalized, true, buf, sizeof buf, true);
  Widen(string, buf);
  return kResultOk;
}

ParamValue PLUGIN_API IFxVST3::plainParamToNormalized(ParamID id, ParamValue plainValue) {
  IFxSetting* s = SettingFor(id);
  return s ? s->Normalize(plainValue) : plainValue;
}

ParamValue PLUGIN_API IFxVST3::getParamNormalized(ParamID id) {
  if (id == kBypassId) return IsBypassed() ? 1.0 : 0.0;
  IFxSetting* s = SettingFor(id);
  return s ? s->NormalizedValue() : 0.0;
}

tresult PLUGIN_API IFxVST3::setParamNormalized(ParamID id, ParamValue value) {
  IFxSetting* s = SettingFor(id);
  if (!s) return kResultFalse;
  s->AssignNormalized(value);
  return kResultOk;
}

IPlugView* PLUGIN_API IFxVST3::createView(FIDString name) {
  if (!name || std::strcmp(name, "editor") != 0) return nullptr;
  IFxVST3View* view = new (std::nothrow) IFxVST3View(this);
  if (!view) return nullptr;
  if (!mOpenViews.add(view)) {
    view->release();
    return nullptr;
  }
  return view->PlugView();
}

// ---------------------------------------------------------------- units and programs

int32 PLUGIN_API IFxVST3::getUnitCount() { return GroupNames().Count() + 1; }

tresult PLUGIN_API IFxVST3::getUnitInfo(int32 unitIndex, UnitInfo& info) {
  if (unitIndex == 0) {
    info.id = kRootUnitId;
    info.parentUnitId = kNoParentUnitId;
    Widen(info.name, "Root Unit");
    info.programListId = kNoProgramListId;
    return kResultOk;
  }
  if (unitIndex < 0 || unitIndex > GroupNames().Count()) return kResultFalse;
  info.id = unitIndex;
  info.parentUnitId = kRootUnitId;
  Widen(info.name, static_cast<const char*>(GroupNames().At(unitIndex - 1)));
  info.programListId = kNoProgramListId;
  return kResultOk;
}

tresult PLUGIN_API IFxVST3::getProgramListInfo(int32 listIndex, ProgramListInfo& info) {
  if (listIndex != 0) return kResultFalse;
  info.id = static_cast<ProgramListID>(kPresetId);
  Widen(info.name, "Factory Presets");
  info.programCount = PresetCount();
  return kResultOk;
}

tresult PLUGIN_API IFxVST3::getProgramName(ProgramListID listId, int32 programIndex,
                                           String128 name) {
  if (listId != static_cast<ProgramListID>(kPresetId) || !name) return kResultFalse;
  Widen(name, PresetLabel(programIndex));
  return kResultOk;
}

tresult PLUGIN_API IFxVST3::getMidiControllerAssignment(int32, Steinberg::int16,
                                                        CtrlNumber controller, ParamID& id) {
  if (!TakesMidi()) return kResultFalse;
  id = static_cast<ParamID>(ParamCount() + controller);
  return kResultOk;
}

// ---------------------------------------------------------------- IFxBase operations

void IFxVST3::ShowHostParamMenu(int paramIdx, int x, int y) {
  if (!componentHandler || mOpenViews.total() == 0) return;
  IComponentHandler3* handler3 = QueryTo<IComponentHandler3>(componentHandler);
  if (!handler3) return;
  const ParamID id = static_cast<ParamID>(paramIdx);
  IContextMenu* menu = handler3->createContextMenu(mOpenViews.at(0)->PlugView(), &id);
  if (menu) {
    menu->popup(x, y);
    menu->release();
  }
  handler3->release();
}

void IFxVST3::BeginInformHostOfParamChange(int paramIdx) { beginEdit(static_cast<ParamID>(paramIdx)); }

void IFxVST3::InformHostOfParamChange(int paramIdx, double normalized) {
  performEdit(static_cast<ParamID>(paramIdx), normalized);
}

void IFxVST3::EndInformHostOfParamChange(int paramIdx) { endEdit(static_cast<ParamID>(paramIdx)); }

bool IFxVST3::HostRendersOffline() { return processSetup.processMode == kOffline; }

int IFxVST3::HostSamplePosition() {
  return static_cast<int>(static_cast<uint32_t>(mHostContext.projectTimeSamples & 0xFFFFFFFF));
}

double IFxVST3::HostTempo() { return mHostContext.tempo; }

void IFxVST3::HostTimeSignature(int* numerator, int* denominator) {
  if (numerator) *numerator = mHostContext.timeSigNumerator;
  if (denominator) *denominator = mHostContext.timeSigDenominator;
}

void IFxVST3::FillHostTimeInfo(ITransportInfo* info) {
  if (!info) return;
  info->mBeatsPerMinute = mHostContext.tempo;
  info->mSamplePosition = static_cast<double>(mHostContext.projectTimeSamples);
  info->mQuarterNotePosition = mHostContext.projectTimeMusic;
  info->mBarStartQuarterNotes = mHostContext.barPositionMusic;
  info->mLoopStartQuarterNotes = mHostContext.cycleStartMusic;
  info->mLoopEndQuarterNotes = mHostContext.cycleEndMusic;
  info->mMeterNumerator = mHostContext.timeSigNumerator;
  info->mMeterDenominator = mHostContext.timeSigDenominator;
  info->mIsPlaying = (mHostContext.state & ProcessContext::kPlaying) != 0;
  info->mIsLooping = (mHostContext.state & ProcessContext::kCycleActive) != 0;
}

void IFxVST3::ResizeEditor(int width, int height) {
  if (!AttachedGraphics() || mOpenViews.total() == 0) return;
  IFxVST3View* view = mOpenViews.at(0);
  if (!view->getFrame()) return;
  view->mResizePending = true;
  ViewRect rect{0, 0, width, height};
  view->getFrame()->resizeView(view->PlugView(), &rect);
}

void IFxVST3::ChangeLatency(int samples) {
  IFxBase::ChangeLatency(samples);
  IComponentHandler* handler = QueryTo<IComponentHandler>(componentHandler);
  if (handler) {
    handler->restartComponent(kLatencyChanged);
    handler->release();
  }
}
