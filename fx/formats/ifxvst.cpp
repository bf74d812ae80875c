#include "fx/formats/ifxvst.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "fx/igraphics.h"

namespace {
IFxVST* ObjectOf(AEffect* effect) { return effect ? static_cast<IFxVST*>(effect->object) : nullptr; }

// The 32-bit marker answers of the vendor extensions, as a pointer-sized value with the same low
// 32 bits on x86 and x86-64.
constexpr VstIntPtr kVendorYes = 0xBEEF;
const VstIntPtr kExtensionYes = static_cast<VstIntPtr>(static_cast<uintptr_t>(0xBEEF0000u));

// The canDo texts of one host vendor's extensions.
const char kHostExtensionsText[] = "\x68\x61\x73\x43\x6F\x63\x6B\x6F\x73\x45\x78\x74\x65\x6E\x73\x69\x6F\x6E\x73";
const char kHostViewAsConfigText[] =
    "\x68\x61\x73\x43\x6F\x63\x6B\x6F\x73\x56\x69\x65\x77\x41\x73\x43\x6F\x6E\x66\x69\x67";

bool ValidIndex(VstIntPtr index, int count) { return index >= 0 && index < count; }
}  // namespace

IFxVST::IFxVST(const IFxCreateArgs& args, int paramCount, const char* channelIOText,
               int presetCount, const char* effectName, const char* productName,
               const char* makerName, int vendorVersion, int uniqueId, int makerId, int latency,
               bool takesMidi, bool hasStateChunks, bool isSynth)
    : IFxBase(paramCount, channelIOText, presetCount, effectName, productName, makerName,
              vendorVersion, uniqueId, makerId, latency, takesMidi, hasStateChunks, isSynth,
              kFormatVst2),
      mHostCallback(reinterpret_cast<audioMasterCallback>(args.mHostCallback)) {
  std::memset(&mEffect, 0, sizeof mEffect);
  mEffect.magic = kEffectMagic;
  mEffect.dispatcher = VSTDispatcher;
  mEffect.process = VSTProcessAdding;
  mEffect.setParameter = VSTSetParameter;
  mEffect.getParameter = VSTGetParameter;
  mEffect.numPrograms = presetCount;
  mEffect.numParams = paramCount;
  mEffect.numInputs = InputPinCount();
  mEffect.numOutputs = OutputPinCount();
  mEffect.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
  if (hasStateChunks) mEffect.flags |= effFlagsProgramChunks;
  if (LegalIO(1, -1)) mEffect.flags |= effFlagsCanMono;
  if (isSynth) mEffect.flags |= effFlagsIsSynth;
  mEffect.initialDelay = latency;
  mEffect.ioRatio = 1.0f;
  mEffect.object = this;
  mEffect.uniqueID = uniqueId;
  mEffect.version = GetVersionNumber(true);
  mEffect.processReplacing = VSTRenderFloat;
  mEffect.processDoubleReplacing = VSTRenderDouble;

  mEditorRect = ERect{0, 0, 0, 0};
  FillArrangement(mInputArrangement, InputPinCount());
  FillArrangement(mOutputArrangement, OutputPinCount());

  MarkInputPinsActive(0, InputPinCount(), true);
  MarkOutputPinsActive(0, OutputPinCount(), true);
  ChangeBlockSize(1024);
  if (BlockFrames() != 1024 || !mAddIn.Resize(InputPinCount(), false) ||
      !mAddOut.Resize(OutputPinCount(), false)) {
    MarkConstructionFailed();
  }
}

IFxVST::~IFxVST() = default;

void IFxVST::FillArrangement(VstSpeakerArrangement& arrangement, int channels) {
  std::memset(&arrangement, 0, sizeof arrangement);
  arrangement.numChannels = channels;
  if (channels == 0) {
    arrangement.type = kSpeakerArrEmpty;
  } else if (channels == 1) {
    arrangement.type = kSpeakerArrMono;
  } else if (channels == 2) {
    arrangement.type = kSpeakerArrStereo;
  } else {
    arrangement.type = kSpeakerArrUserDefined;
  }
}

AEffect* IFxVST::PublishRecord() {
  InitEmptyPresets();
  if (mEffect.numPrograms < 1) mEffect.numPrograms = 1;
  return &mEffect;
}

int32_t IFxVST::GetVersionNumber(bool asDecimal) const {
  const int32_t v = VendorVersion();
  if (!asDecimal) return v;
  return (v & 0xFF) + ((v >> 8) & 0xFF) * 100 + ((v >> 16) & 0xFFFF) * 10000;
}

VstIntPtr IFxVST::CallHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  if (!mHostCallback) return 0;
  return mHostCallback(&mEffect, opcode, index, value, ptr, opt);
}

// ---------------------------------------------------------------- dispatcher

VstIntPtr VSTCALLBACK IFxVST::VSTDispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                            VstIntPtr value, void* ptr, float opt) {
  IFxVST* fx = ObjectOf(effect);
  if (!fx) return 0;
  fx->mLock.Enter();
  if (opcode == effEditIdle || opcode == effIdle) {
    fx->mLock.Leave();
    return 0;
  }
  if (opcode == effClose) {
    // The lock lives inside the object: leave it before the object goes.
    fx->mLock.Leave();
    delete fx;
    return 0;
  }
  const VstIntPtr result = fx->Dispatch(opcode, index, value, ptr, opt);
  fx->mLock.Leave();
  return result;
}

VstIntPtr IFxVST::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  char* text = static_cast<char*>(ptr);
  switch (opcode) {
    case effOpen:
      AdaptToHost();
      ResendAllParams(kSourceReset);
      return 0;
    case effSetProgram:
      if (!HasStateChunks()) ModifyCurrentPreset(nullptr);
      if (ValidIndex(value, PresetCount())) LoadPreset(static_cast<int>(value));
      return 0;
    case effGetProgram:
      return CurrentPreset();
    case effSetProgramName:
      if (!text) return 0;
      ModifyCurrentPreset(text);
      PresetsAltered();
      return 0;
    case effGetProgramName:
      if (!text) return 0;
      CopyTextField(text, kVstMaxProgNameLen, PresetLabel(CurrentPreset()));
      return 0;
    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName: {
      const IFxSetting* p = GetParam(index);
      if (!p || !text) return 0;
      if (opcode == effGetParamLabel) {
        CopyTextField(text, kParamTextBytes, p->UnitText());
      } else if (opcode == effGetParamName) {
        CopyTextField(text, kParamTextBytes, p->NameText());
      } else {
        p->FormatValue(p->Value(), false, text, kParamTextBytes, true);
      }
      return 0;
    }
    case effSetSampleRate: {
      // A rate the framework cannot run at keeps the one in use.
      const double hz = static_cast<double>(opt);
      if (!ValidSampleRate(hz)) return 0;
      SetSampleRate(hz);
      ResetAudio();
      return 0;
    }
    case effSetBlockSize:
      // A negative, empty or oversized block size keeps the one in use.
      if (value < 1 || value > kMaxBlockFrames) return 0;
      ChangeBlockSize(static_cast<int>(value));
      ResetAudio();
      return 0;
    case effMainsChanged:
      if (value != 0) {
        ActivationChanged(true);
      } else {
        ActivationChanged(false);
        ResetAudio();
      }
      return 0;
    case effEditGetRect:
      if (!ptr || !AttachedGraphics()) return 0;
      *static_cast<ERect**>(ptr) = &mEditorRect;
      return 1;
    case effEditOpen:
      if (!AttachedGraphics()) return 0;
      if (!AttachedGraphics()->OpenEditorWindow(ptr)) return 0;
      EditorOpened();
      return 1;
    case effEditClose:
      if (!AttachedGraphics()) return 0;
      EditorClosing();
      AttachedGraphics()->CloseEditorWindow();
      return 1;
    case effIdentify:
      return 0x4E764566;  // 'NvEf'
    case effGetChunk:
      return GetChunk(index, static_cast<void**>(ptr));
    case effSetChunk:
      return SetChunk(index, value, ptr);
    case effProcessEvents:
      return ProcessEvents(static_cast<const VstEvents*>(ptr));
    case effCanBeAutomated:
      return 1;
    case effString2Parameter:
      return String2Parameter(index, text);
    case effGetProgramNameIndexed:
      if (!text) return 0;
      CopyTextField(text, kVstMaxProgNameLen, PresetLabel(index));
      return text[0] != '\0' ? 1 : 0;
    case effGetInputProperties:
    case effGetOutputProperties:
      return PinProperties(opcode == effGetInputProperties, index, static_cast<VstPinProperties*>(ptr));
    case effGetPlugCategory:
      return IsSynth() ? kPlugCategSynth : kPlugCategEffect;
    case effSetSpeakerArrangement:
      return SetSpeakerArrangement(reinterpret_cast<const VstSpeakerArrangement*>(value),
                                   static_cast<const VstSpeakerArrangement*>(ptr));
    case effGetEffectName:
      if (!text) return 0;
      CopyTextField(text, kVstMaxEffectNameLen, EffectTitle());
      return 1;
    case effGetVendorString:
      if (!text) return 0;
      CopyTextField(text, kVstMaxVendorStrLen, MakerTitle());
      return 1;
    case effGetProductString:
      if (!text) return 0;
      CopyTextField(text, kVstMaxProductStrLen, ProductTitle());
      return 1;
    case effGetVendorVersion:
      return GetVersionNumber(true);
    case effVendorSpecific:
      return VendorSpecific(index, value, ptr, opt);
    case effCanDo:
      return CanDo(text);
    case effGetTailSize:
      return TailSamples();
    case effGetVstVersion:
      return kVstVersion;
    case effGetMidiKeyName: {
      MidiKeyName* key = static_cast<MidiKeyName*>(ptr);
      if (!key) return 0;
      key->keyName[0] = '\0';
      const bool named = DescribeMidiKey(key->thisKeyNumber, key->keyName);
      key->keyName[kVstMaxNameLen - 1] = '\0';
      return named ? 1 : 0;
    }
    case effGetSpeakerArrangement:
      if (value) *reinterpret_cast<VstSpeakerArrangement**>(value) = &mInputArrangement;
      if (ptr) *static_cast<VstSpeakerArrangement**>(ptr) = &mOutputArrangement;
      return 1;
    default:
      return 0;
  }
}

VstIntPtr IFxVST::String2Parameter(int index, const char* text) {
  IFxSetting* p = GetParam(index);
  if (!p) return 0;
  if (!text) return 1;  // the host asks whether texts are taken
  double v = 0.0;
  if (p->CountValueTexts() > 0) {
    const IValueText* match = nullptr;
    for (int i = 0; i < p->CountValueTexts() && !match; ++i) {
      const IValueText* e = p->ValueTextAt(i);
      if (std::strcmp(e->text, text) == 0) match = e;
    }
    if (!match) return 0;
    v = match->value;
  } else if (!p->ParseValueText(text, &v)) {
    return 0;
  }
  // "nan" reads as a number but is no value: nothing changes.
  if (std::isnan(v)) return 0;
  v = v < p->Lowest() ? p->Lowest() : (v < p->Highest() ? v : p->Highest());
  if (AttachedGraphics()) AttachedGraphics()->RouteParamToControls(index, v, false);
  p->SetValue(v);
  ParamChanged(index, kSourceHost);
  return 1;
}

VstIntPtr IFxVST::PinProperties(bool input, int index, VstPinProperties* props) {
  const int pins = input ? InputPinCount() : OutputPinCount();
  if (!props || index < 0 || index >= pins) return 0;
  props->flags = kVstPinIsActive;
  if (index % 2 == 0 && index < pins - 1) props->flags |= kVstPinIsStereo;
  const HeapString& label = input ? InputPin(index)->mLabel : OutputPin(index)->mLabel;
  if (label.Length() > 0) {
    CopyTextField(props->label, kVstMaxLabelLen, label.Text());
  } else {
    std::snprintf(props->label, kVstMaxLabelLen, "%s %d", input ? "Input" : "Output", index + 1);
  }
  return 1;
}

VstIntPtr IFxVST::SetSpeakerArrangement(const VstSpeakerArrangement* in,
                                        const VstSpeakerArrangement* out) {
  // A negative channel count is no arrangement: both sides keep what they have.
  if ((in && in->numChannels < 0) || (out && out->numChannels < 0)) return 0;
  if (in) {
    const int n = in->numChannels;
    MarkInputPinsActive(0, n, true);
    MarkInputPinsActive(n, InputPinCount() - n, false);
  }
  if (out) {
    const int n = out->numChannels;
    MarkOutputPinsActive(0, n, true);
    MarkOutputPinsActive(n, OutputPinCount() - n, false);
  }
  return 1;
}

VstIntPtr IFxVST::ProcessEvents(const VstEvents* events) {
  if (!events) return 0;
  for (VstInt32 i = 0; i < events->numEvents; ++i) {
    const VstEvent* e = events->events[i];
    if (!e) continue;
    if (e->type == kVstMidiType) {
      const VstMidiEvent* m = reinterpret_cast<const VstMidiEvent*>(e);
      IMidiEvent midi;
      midi.mFrameOffset = m->deltaFrames;
      midi.mStatusByte = static_cast<uint8_t>(m->midiData[0]);
      midi.mDataByte1 = static_cast<uint8_t>(m->midiData[1]);
      midi.mDataByte2 = static_cast<uint8_t>(m->midiData[2]);
      ReceiveMidi(&midi);
    } else if (e->type == kVstSysExType) {
      const VstMidiSysexEvent* s = reinterpret_cast<const VstMidiSysexEvent*>(e);
      // A block that claims bytes it does not point at is skipped.
      if (s->dumpBytes < 0 || (s->dumpBytes > 0 && !s->sysexDump)) continue;
      IExclusiveMessage message;
      message.mFrameOffset = s->deltaFrames;
      message.mByteCount = s->dumpBytes;
      message.mBytes = reinterpret_cast<const uint8_t*>(s->sysexDump);
      ReceiveSysEx(&message);
    }
  }
  return 1;
}

VstIntPtr IFxVST::CanDo(const char* text) {
  if (!text) return 0;
  if (std::strcmp(text, "receiveVstTimeInfo") == 0) return 1;
  if (TakesMidi()) {
    for (const char* midi : {"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent"}) {
      if (std::strcmp(text, midi) == 0) return 1;
    }
  }
  if (std::strcmp(text, kHostExtensionsText) == 0) {
    mHostExtensions |= 1;
    return kExtensionYes;
  }
  if (std::strcmp(text, kHostViewAsConfigText) == 0) {
    mHostExtensions |= 2;
    return kExtensionYes;
  }
  return 0;
}

VstIntPtr IFxVST::VendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  if (index == effGetParamDisplay) {
    if (!ptr) return 0;
    const IFxSetting* p = ValidIndex(value, ParamCount()) ? GetParam(static_cast<int>(value)) : nullptr;
    if (p) {
      double n = static_cast<double>(opt);
      n = std::isnan(n) ? 0.0 : (n < 0.0 ? 0.0 : (n > 1.0 ? 1.0 : n));
      p->FormatValue(n, true, static_cast<char*>(ptr), kParamTextBytes, true);
    }
    return kVendorYes;
  }
  if (index == 8 && ValidIndex(value, ParamCount())) {
    return GetParam(static_cast<int>(value))->Kind() == kParamContinuous ? 0 : kVendorYes;
  }
  return 0;
}

// ---------------------------------------------------------------- host callback

void IFxVST::BeginInformHostOfParamChange(int paramIdx) { CallHost(audioMasterBeginEdit, paramIdx); }

void IFxVST::InformHostOfParamChange(int paramIdx, double normalized) {
  CallHost(audioMasterAutomate, paramIdx, 0, nullptr, static_cast<float>(normalized));
}

void IFxVST::EndInformHostOfParamChange(int paramIdx) { CallHost(audioMasterEndEdit, paramIdx); }

void IFxVST::NotifyHostPresetChanged() { CallHost(audioMasterUpdateDisplay); }

bool IFxVST::HostRendersOffline() {
  return CallHost(audioMasterGetCurrentProcessLevel) == kVstProcessLevelOffline;
}

const VstTimeInfo* IFxVST::HostTime(VstInt32 filter) {
  return reinterpret_cast<const VstTimeInfo*>(CallHost(audioMasterGetTime, 0, filter));
}

int IFxVST::HostSamplePosition() {
  const VstTimeInfo* t = HostTime(0);
  if (!t || !(t->samplePos >= 0.0)) return 0;
  const double pos = t->samplePos + 0.5;
  return pos < 2147483647.0 ? static_cast<int>(pos) : INT32_MAX;
}

double IFxVST::HostTempo() {
  const VstTimeInfo* t = HostTime(kVstTempoValid);
  if (t && (t->flags & kVstTempoValid) && t->tempo >= 0.0) return t->tempo;
  return 0.0;
}

void IFxVST::HostTimeSignature(int* numerator, int* denominator) {
  if (!numerator || !denominator) return;
  *numerator = 0;
  *denominator = 0;
  const VstTimeInfo* t = HostTime(kVstTimeSigValid);
  if (t && (t->flags & kVstTimeSigValid) && t->timeSigNumerator >= 0 && t->timeSigDenominator >= 0) {
    *numerator = t->timeSigNumerator;
    *denominator = t->timeSigDenominator;
  }
}

void IFxVST::FillHostTimeInfo(ITransportInfo* info) {
  constexpr VstInt32 kWanted =
      kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid;
  if (!info) return;
  const VstTimeInfo* t = HostTime(kWanted);
  if (!t || !(t->flags & kWanted)) return;
  info->mSamplePosition = t->samplePos;
  if ((t->flags & kVstPpqPosValid) && t->ppqPos >= 0.0) info->mQuarterNotePosition = t->ppqPos;
  if ((t->flags & kVstTempoValid) && t->tempo > 0.0) info->mBeatsPerMinute = t->tempo;
  if ((t->flags & kVstBarsValid) && t->barStartPos >= 0.0) info->mBarStartQuarterNotes = t->barStartPos;
  if ((t->flags & kVstCyclePosValid) && t->cycleStartPos >= 0.0 && t->cycleEndPos >= 0.0) {
    info->mLoopStartQuarterNotes = t->cycleStartPos;
    info->mLoopEndQuarterNotes = t->cycleEndPos;
  }
  if ((t->flags & kVstTimeSigValid) && t->timeSigNumerator > 0 && t->timeSigDenominator > 0) {
    info->mMeterNumerator = t->timeSigNumerator;
    info->mMeterDenominator = t->timeSigDenominator;
  }
  info->mIsPlaying = (t->flags & kVstTransportPlaying) != 0;
  info->mIsLooping = (t->flags & kVstTransportCycleActive) != 0;
}

bool IFxVST::SendMidiToHost(const IMidiEvent* event) {
  if (!event) return false;
  VstMidiEvent midi;
  std::memset(&midi, 0, sizeof midi);
  midi.type = kVstMidiType;
  midi.byteSize = 32;
  midi.deltaFrames = event->mFrameOffset;
  midi.midiData[0] = static_cast<char>(event->mStatusByte);
  midi.midiData[1] = static_cast<char>(event->mDataByte1);
  midi.midiData[2] = static_cast<char>(event->mDataByte2);
  VstEvents list;
  std::memset(&list, 0, sizeof list);
  list.numEvents = 1;
  list.events[0] = reinterpret_cast<VstEvent*>(&midi);
  return CallHost(audioMasterProcessEvents, 0, 0, &list) == 1;
}

bool IFxVST::SendSysExToHost(const IExclusiveMessage* message) {
  if (!message) return false;
  VstMidiSysexEvent sysex;
  std::memset(&sysex, 0, sizeof sysex);
  sysex.type = kVstSysExType;
  sysex.byteSize = 32;
  sysex.deltaFrames = message->mFrameOffset;
  sysex.dumpBytes = message->mByteCount;
  sysex.sysexDump = const_cast<char*>(reinterpret_cast<const char*>(message->mBytes));
  VstEvents list;
  std::memset(&list, 0, sizeof list);
  list.numEvents = 1;
  list.events[0] = reinterpret_cast<VstEvent*>(&sysex);
  return CallHost(audioMasterProcessEvents, 0, 0, &list) == 1;
}

HostCode IFxVST::IdentifyHost() {
  const HostCode known = IFxBase::IdentifyHost();
  if (known != kHostNotAsked) return known;
  char product[256] = {};
  CallHost(audioMasterGetProductString, 0, 0, product);
  product[sizeof product - 1] = '\0';
  int64_t packed = 0;
  if (product[0] != '\0') {
    // The host's decimal version (major x 10000 + minor x 100 + bugfix) packed as 0xMMmmbb.
    const int64_t v = CallHost(audioMasterGetVendorVersion);
    packed = v + (v / 10000) * 55536 + ((v % 10000) / 100) * 156;
  }
  const int32_t version = packed > INT32_MAX || packed < INT32_MIN ? 0 : static_cast<int32_t>(packed);
  SetHost(product, version);
  return IFxBase::IdentifyHost();
}

void IFxVST::AdaptToHost() {
  if (mHostAdapted) return;
  mHostAdapted = true;
  const HostCode host = IdentifyHost();
  if (host == kHostForte || host == kHostAudition || host == kHostOrion || host == kHostSawStudio) {
    KeepFirstTwoInputs();
  }
  mEffect.numInputs = mInputArrangement.numChannels = InputPinCount();
  mEffect.numOutputs = mOutputArrangement.numChannels = OutputPinCount();
  HostKnown();
}

void IFxVST::KeepFirstTwoInputs() {
  MarkInputPinsActive(2, InputPinCount() - 2, false);
  if (OutputPinCount() >= 3) MarkOutputPinsActive(2, OutputPinCount() - 2, true);
}

void IFxVST::ResizeEditor(int, int) {
  IGraphics* g = AttachedGraphics();
  if (!g) return;
  mEditorRect = ERect{0, 0, static_cast<VstInt16>(g->Height()), static_cast<VstInt16>(g->Width())};
  EditorResized();
}

void IFxVST::ConnectGraphics(IGraphics* graphics) {
  if (!graphics) return;
  IFxBase::ConnectGraphics(graphics);
  mEffect.flags |= effFlagsHasEditor;
  mEditorRect =
      ERect{0, 0, static_cast<VstInt16>(graphics->Height()), static_cast<VstInt16>(graphics->Width())};
}

void IFxVST::ChangeLatency(int samples) {
  // The record carries the latency as the base keeps it (never below 0). The host is not told, so
  // nothing sees the record between the two steps.
  IFxBase::ChangeLatency(samples);
  mEffect.initialDelay = LatencySamples();
}

// ---------------------------------------------------------------- parameters and processing

void VSTCALLBACK IFxVST::VSTSetParameter(AEffect* effect, VstInt32 index, float value) {
  IFxVST* fx = ObjectOf(effect);
  if (fx) fx->SetParameterFromHost(index, static_cast<double>(value));
}

float VSTCALLBACK IFxVST::VSTGetParameter(AEffect* effect, VstInt32 index) {
  IFxVST* fx = ObjectOf(effect);
  if (!fx) return 0.0f;
  SyncLockScope lock(&fx->mLock);
  const IFxSetting* p = fx->GetParam(index);
  return p ? static_cast<float>(p->NormalizedValue()) : 0.0f;
}

void VSTCALLBACK IFxVST::VSTRenderFloat(AEffect* effect, float** inputs, float** outputs,
                                        VstInt32 frames) {
  IFxVST* fx = ObjectOf(effect);
  if (!fx) return;
  SyncLockScope lock(&fx->mLock);
  if (fx->TakesMidi()) fx->CallHost(audioMasterWantMidi);
  fx->ProcessHostBlockFloat(inputs, outputs, frames);
}

void VSTCALLBACK IFxVST::VSTRenderDouble(AEffect* effect, double** inputs, double** outputs,
                                         VstInt32 frames) {
  IFxVST* fx = ObjectOf(effect);
  if (!fx) return;
  SyncLockScope lock(&fx->mLock);
  if (fx->TakesMidi()) fx->CallHost(audioMasterWantMidi);
  fx->ProcessHostBlock(inputs, outputs, frames);
}

void VSTCALLBACK IFxVST::VSTProcessAdding(AEffect* effect, float** inputs, float** outputs,
                                          VstInt32 frames) {
  IFxVST* fx = ObjectOf(effect);
  if (!fx) return;
  SyncLockScope lock(&fx->mLock);
  if (fx->TakesMidi()) fx->CallHost(audioMasterWantMidi);
  fx->ProcessAddingSlices(inputs, outputs, frames);
}

void IFxVST::ProcessAddingSlices(float** inputs, float** outputs, int frames) {
  const int block = BlockFrames();
  if (frames <= 0 || block <= 0) return;  // adding silence changes nothing
  float** in = mAddIn.Get();
  float** out = mAddOut.Get();
  for (int done = 0; done < frames;) {
    const int n = frames - done < block ? frames - done : block;
    for (int i = 0, k = 0; i < InputPinCount(); ++i) {
      if (!InputPin(i)->mActive) continue;
      in[k] = inputs && inputs[k] ? inputs[k] + done : nullptr;
      ++k;
    }
    for (int i = 0, k = 0; i < OutputPinCount(); ++i) {
      if (!OutputPin(i)->mActive) continue;
      out[k] = outputs && outputs[k] ? outputs[k] + done : nullptr;
      ++k;
    }
    BindInputsFloat(0, InputPinCount(), in, n);
    BindOutputsFloat(0, OutputPinCount(), out);
    RunProcessHookAdding(n);
    done += n;
  }
}

void IFxVST::RunProcessHookAdding(int frames) {
  RunProcessHook(frames);
  for (int i = 0; i < OutputPinCount(); ++i) {
    const IOutputPin* pin = OutputPin(i);
    float* host = pin->mFloatDest;
    const double* result = *pin->mSlot;
    if (!pin->mActive || !host || !result) continue;
    // The plug-in's result lies in the pin's own scratch, never in the host's buffer. The sum of two
    // floats may overflow: it is limited like the result itself.
    int k = 0;
    for (; k + 8 <= frames; k += 8) {
      for (int j = 0; j < 8; ++j) host[k + j] = LimitToFloat(LimitToFloat(result[k + j]) + host[k + j]);
    }
    for (; k < frames; ++k) host[k] = LimitToFloat(LimitToFloat(result[k]) + host[k]);
  }
}

// ---------------------------------------------------------------- presets and chunks

void IFxVST::InitEmptyPresets() {
  for (int i = 0; i < PresetCount(); ++i) {
    IStoredPreset* preset = GetPreset(i);
    if (preset->mFilled) continue;
    preset->mState.Clear();
    if (!WriteStateBlob(preset->mState)) {
      preset->mState.Clear();
      continue;
    }
    preset->mFilled = true;
    CopyTextField(preset->mLabel, sizeof preset->mLabel, "Empty");
  }
}

void IFxVST::ModifyCurrentPreset(const char* name) {
  IStoredPreset* preset = GetPreset(CurrentPreset());
  if (!preset) return;
  // Written aside first: a state that cannot be written leaves the preset's own as it was.
  StateBlob current;
  if (WriteStateBlob(current)) {
    preset->mState.Clear();
    if (!preset->mState.AppendBytes(current.Data(), current.Size())) preset->mState.Clear();
  }
  if (name && name[0] != '\0') CopyTextField(preset->mLabel, sizeof preset->mLabel, name);
}

bool IFxVST::WriteStateHeader(StateBlob& blob) const {
  blob.Clear();
  return blob.AppendInt32(kChunkMagic) && blob.AppendInt32(kChunkVersion);
}

int32_t IFxVST::ReadStateHeader(const StateBlob& blob, int32_t& pos) const {
  int32_t magic = 0;
  if (pos < 0 || blob.ReadInt32(&magic, pos) < 0 || magic != kChunkMagic) return 0;
  int32_t version = 0;
  if (blob.ReadInt32(&version, pos + 4) < 0) {
    pos = -1;
    return 0;
  }
  pos += 8;
  return version;
}

bool IFxVST::SerializePresets(StateBlob& blob) {
  for (int i = 0; i < PresetCount(); ++i) {
    const IStoredPreset* preset = GetPreset(i);
    int32_t length = 0;
    while (length < static_cast<int32_t>(sizeof preset->mLabel) - 1 && preset->mLabel[length]) ++length;
    const uint8_t filled = preset->mFilled ? 1 : 0;
    if (!blob.AppendInt32(length) || !blob.AppendBytes(preset->mLabel, length) ||
        !blob.AppendBytes(&filled, 1)) {
      return false;
    }
    if (filled && !blob.AppendBytes(preset->mState.Data(), preset->mState.Size())) return false;
  }
  return true;
}

int32_t IFxVST::UnserializePresets(const StateBlob& blob, int32_t startPos) {
  const int64_t size = blob.Size();
  int64_t pos = startPos;
  for (int i = 0; i < PresetCount() && pos >= 0; ++i) {
    IStoredPreset* preset = GetPreset(i);
    // Name: its length, then its bytes. A length that is negative or runs past the end stops the
    // read and leaves the label as it was.
    int32_t length = 0;
    if (pos + 4 > size || blob.ReadInt32(&length, static_cast<int>(pos)) < 0 || length < 0 ||
        pos + 4 + length > size) {
      pos = -1;
      break;
    }
    const uint8_t* name = blob.Data() + pos + 4;
    int nameLength = 0;
    while (nameLength < length && nameLength < static_cast<int>(sizeof preset->mLabel) - 1 &&
           name[nameLength] != 0) {
      ++nameLength;
    }
    pos += 4 + static_cast<int64_t>(length);
    // Filled flag; a missing one stops the read.
    if (pos >= size) {
      pos = -1;
      break;
    }
    const bool filled = blob.Data()[pos] != 0;
    pos += 1;
    if (filled) {
      const int after = ReadStateBlob(blob, static_cast<int>(pos));
      if (after <= 0) {
        pos = -1;
        break;
      }
      // The preset keeps the state as the plug-in now writes it (values limited to their ranges).
      StateBlob state;
      if (WriteStateBlob(state)) {
        preset->mState.Clear();
        if (preset->mState.AppendBytes(state.Data(), state.Size())) preset->mFilled = true;
      }
      pos = after;
    } else {
      preset->mFilled = false;
    }
    // The label changes only with a whole record: a record cut short leaves the preset's label.
    std::memcpy(preset->mLabel, name, static_cast<size_t>(nameLength));
    preset->mLabel[nameLength] = '\0';
  }
  LoadPreset(CurrentPreset());
  return static_cast<int32_t>(pos);
}

VstIntPtr IFxVST::GetChunk(int index, void** where) {
  if (!where) return 0;
  StateBlob& chunk = index == 0 ? mBankChunk : mPresetChunk;
  bool ok = WriteStateHeader(chunk);
  if (ok && index != 0) {
    ok = WriteStateBlob(chunk);
  } else if (ok) {
    ModifyCurrentPreset(nullptr);
    ok = SerializePresets(chunk);
  }
  if (!ok || chunk.Size() <= 0) return 0;
  *where = chunk.Data();
  return chunk.Size();
}

VstIntPtr IFxVST::SetChunk(int index, VstIntPtr byteCount, const void* bytes) {
  if (!bytes || byteCount < 0 || byteCount > INT32_MAX) return 0;
  // The host may hand back the last chunk this object gave it: the bytes are copied aside before
  // the chunk buffer is touched.
  StateBlob incoming;
  if (!incoming.AppendBytes(bytes, static_cast<int>(byteCount))) return 0;
  StateBlob& chunk = index == 0 ? mBankChunk : mPresetChunk;
  chunk.Clear();
  if (!chunk.AppendBytes(incoming.Data(), incoming.Size())) return 0;

  int32_t pos = 0;
  const int32_t version = ReadStateHeader(chunk, pos);
  if (index != 0 || version < kChunkVersion) {
    pos = ReadStateBlob(chunk, pos);
    // Only a whole state becomes the current preset's.
    if (pos >= 0) ModifyCurrentPreset(nullptr);
  } else {
    pos = UnserializePresets(chunk, pos);
  }
  if (pos < 0) return 0;
  RefreshBoundControls();
  return 1;
}
