#include "fx/formats/ifxaax.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <set>

#include "aax/aaxcparameter.h"
#include "fx/igraphics.h"

namespace {

constexpr double kTicksPerQuarterNote = 960000.0;

// The live wrappers of this module, by the address of their effect-parameters interface: the editor
// object casts the interface the host hands it only when it is one of these.
std::mutex& LiveLock() {
  static std::mutex m;
  return m;
}
std::set<const AAX_IACFEffectParameters*>& LiveWrappers() {
  static std::set<const AAX_IACFEffectParameters*> s;
  return s;
}

// Truncation toward zero that stays defined for values outside the int range (NaN gives 0).
int TruncToInt(double v) {
  if (!(v == v)) return 0;
  if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(v);
}

// A host value limited to 0..1; false for NaN and infinities.
bool HostNormalized(double value, double* limited) {
  if (!std::isfinite(value)) return false;
  *limited = value < 0.0 ? 0.0 : (value > 1.0 ? 1.0 : value);
  return true;
}

}  // namespace

// ---------------------------------------------------------------- AAX_CIFxParameters

AAX_Result AAX_CIFxParameters::ResetFieldData(AAX_FieldIndex field, void* block, uint32_t size) {
  if (field != kFieldPrivate) return AAX_CEffectParameters::ResetFieldData(field, block, size);
  AAX_CIFxParameters* self = this;
  if (!block || size < sizeof self) return kAAXNullArgument;
  std::memcpy(block, &self, sizeof self);
  return kAAXOk;
}

void AAX_CIFxParameters::RenderBlock(const AAX_IFxRenderContext*) {}

// ---------------------------------------------------------------- construction

IFxAAX::IFxAAX(const IFxCreateArgs&, int paramCount, const char* channelIOText, int presetCount,
               const char* effectName, const char* productName, const char* makerName,
               int vendorVersion, int uniqueId, int makerId, int latency, bool takesMidi,
               bool hasStateChunks, bool isSynth)
    : IFxBase(paramCount, channelIOText, presetCount, effectName, productName, makerName,
              vendorVersion, uniqueId, makerId, latency, takesMidi, hasStateChunks, isSynth,
              kFormatAax) {
  MarkInputPinsActive(0, InputPinCount(), true);
  MarkOutputPinsActive(0, OutputPinCount(), true);
  if (InputPinCount() > 0 && !CreateDelayLine()) MarkConstructionFailed();
  ChangeBlockSize(1024);
  SetHost("ProTools", vendorVersion);
  std::lock_guard<std::mutex> guard(LiveLock());
  LiveWrappers().insert(static_cast<const AAX_IACFEffectParameters*>(static_cast<AAX_CIFxParameters*>(this)));
}

IFxAAX::~IFxAAX() {
  {
    std::lock_guard<std::mutex> guard(LiveLock());
    LiveWrappers().erase(static_cast<const AAX_IACFEffectParameters*>(static_cast<AAX_CIFxParameters*>(this)));
  }
  mMasterBypass = nullptr;
  ClearParamIDs();
}

IFxAAX* IFxAAX::FromParametersInterface(const AAX_IACFEffectParameters* face) {
  if (!face) return nullptr;
  std::lock_guard<std::mutex> guard(LiveLock());
  if (LiveWrappers().count(face) == 0) return nullptr;
  auto* parameters = static_cast<AAX_CIFxParameters*>(const_cast<AAX_IACFEffectParameters*>(face));
  return static_cast<IFxAAX*>(parameters);
}

void IFxAAX::ClearParamIDs() {
  for (int i = 0; i < mParamIDs.Count(); ++i) delete static_cast<HeapString*>(mParamIDs.At(i));
  mParamIDs.Clear();
}

const char* IFxAAX::ParamIdentifier(int paramIdx) const {
  const HeapString* s = static_cast<const HeapString*>(mParamIDs.At(paramIdx));
  return s ? s->Text() : "";
}

int IFxAAX::IndexOfIdentifier(const char* id) const {
  if (!id) return -1;
  const char* p = id;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  int64_t number = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    if (number < INT_MAX) number = number * 10 + (*p - '0');
  }
  if (negative) number = -number;
  const int64_t index = number - 1;
  return index >= 0 && index < ParamCount() ? static_cast<int>(index) : -1;
}

void IFxAAX::Register(AAX_IParameter* parameter) {
  if (parameter && !ParameterRegistry().AddParameter(parameter)) parameter->Destroy();
}

// ---------------------------------------------------------------- AAX operations

AAX_Result IFxAAX::PrepareEffect() {
  try {
    mMasterBypass = nullptr;
    ClearParamIDs();
    AAX_CParameterRegistry& registry = ParameterRegistry();

    AAX_CString bypassId;
    GetMasterBypassParameter(&bypassId);
    auto* bypass = new AAX_CParameter<bool>(bypassId.Text(), AAX_CString("Master Bypass"), false,
                                            AAX_CBinaryTaperDelegate<bool>(),
                                            AAX_CBinaryDisplayDelegate<bool>("bypass", "on"), true);
    bypass->SetNumberOfSteps(2);
    bypass->SetType(0);
    Register(bypass);
    // The registry's parameter under that identifier (a refused one was deleted above).
    mMasterBypass = dynamic_cast<AAX_CParameter<bool>*>(registry.FindParameter(bypassId.Text()));

    for (int i = 0; i < ParamCount(); ++i) {
      HeapString* idText = new (std::nothrow) HeapString();
      if (idText) {
        idText->Format(32, "%i", i + 1);
        if (!mParamIDs.Add(idText)) {
          delete idText;
          idText = nullptr;
        }
      }
      const char* id = ParamIdentifier(i);
      const IFxSetting* s = GetParam(i);
      const AAX_CString name(s->NameText());
      AAX_IParameter* made = nullptr;
      switch (s->Kind()) {
        case kParamToggle:
        case kParamChoice: {
          std::map<int32_t, AAX_CString> texts;
          for (int k = 0; k < s->CountValueTexts(); ++k) {
            if (const IValueText* e = s->ValueTextAt(k)) texts[e->value] = AAX_CString(e->text);
          }
          auto* p = new AAX_CParameter<int>(
              id, name, TruncToInt(s->DefaultValue()),
              AAX_CLinearTaperDelegate<int, 0>(TruncToInt(s->Lowest()), TruncToInt(s->Highest())),
              AAX_CStringDisplayDelegate<int>(texts), s->Automatable());
          p->SetNumberOfSteps(static_cast<uint32_t>(s->CountValueTexts()));
          p->SetType(0);
          made = p;
          break;
        }
        case kParamInteger: {
          auto* p = new AAX_CParameter<int>(
              id, name, TruncToInt(s->DefaultValue()),
              AAX_CLinearTaperDelegate<int, 0>(TruncToInt(s->Lowest()), TruncToInt(s->Highest())),
              AAX_CUnitDisplayDelegateDecorator<int>(AAX_CNumberDisplayDelegate<int, 2, 0>(),
                                                     AAX_CString(s->UnitText())),
              s->Automatable());
          p->SetNumberOfSteps(128);
          p->SetType(1);
          made = p;
          break;
        }
        case kParamContinuous: {
          auto* p = new AAX_CParameter<double>(
              id, name, s->DefaultValue(),
              AAX_CIFxTaperDelegate<double>(s->Lowest(), s->Highest(), s->Exponent()),
              AAX_CUnitDisplayDelegateDecorator<double>(AAX_CNumberDisplayDelegate<double, 2, 0>(),
                                                        AAX_CString(s->UnitText())),
              s->Automatable());
          p->SetNumberOfSteps(128);
          p->SetType(1);
          made = p;
          break;
        }
        default:
          break;
      }
      Register(made);
    }

    float rate = 0.0f;
    if (AAX_VController* c = Controller()) {
      if (c->GetSampleRate(&rate) == kAAXOk && std::isfinite(rate) && rate > 0.0f) {
        SetSampleRate(static_cast<double>(rate));
      }
    }
    ResetAudio();
    // The engines follow the parameters only through ParamChanged: announce every value once.
    ResendAllParams(kSourceReset);
  } catch (...) {
    // Out of memory while building the parameters: the host is told the effect could not start.
    return kACFUnexpected;
  }
  return kAAXOk;
}

AAX_Result IFxAAX::Initialize(IACFUnknown* controller) {
  SyncLockScope lock(&mLock);
  return AAX_CIFxParameters::Initialize(controller);
}

AAX_Result IFxAAX::Uninitialize() {
  SyncLockScope lock(&mLock);  // no block renders while the parameters go
  mMasterBypass = nullptr;
  return AAX_CIFxParameters::Uninitialize();
}

AAX_Result IFxAAX::UpdateParameterNormalizedValue(const char* id, double value, int32_t) {
  AAX_IParameter* p = ParameterRegistry().FindParameter(id);
  if (!p) return kAAXNoSuchParameter;
  double n = 0.0;
  if (!HostNormalized(value, &n)) return kAAXNullArgument;
  p->ApplyNormalizedValue(n);
  const int index = IndexOfIdentifier(id);
  if (index >= 0) SetParameterFromHost(index, n);
  const AAX_Result marked = PacketRelay().MarkPacketsDirty(id, true);
  CountChange();
  return marked;
}

AAX_Result IFxAAX::GetChunkIDFromIndex(int32_t index, uint32_t* out) {
  if (!out) return kAAXNullArgument;
  if (index != 0) {
    *out = 0;
    return kAAXBadChunkIndex;
  }
  *out = static_cast<uint32_t>(PluginId());
  return kAAXOk;
}

AAX_Result IFxAAX::GetChunkSize(uint32_t chunkId, uint32_t* out) {
  if (!out) return kAAXNullArgument;
  *out = 0;
  if (chunkId != static_cast<uint32_t>(PluginId())) return kAAXBadChunkId;
  StateBlob blob;
  if (!WriteStateBlob(blob)) return kAAXChunkSize;
  *out = static_cast<uint32_t>(blob.Size());
  return kAAXOk;
}

AAX_Result IFxAAX::GetChunk(uint32_t chunkId, AAX_ChunkRecord* record) {
  if (!record) return kAAXNullArgument;
  if (chunkId != static_cast<uint32_t>(PluginId())) return kAAXBadChunkId;
  StateBlob blob;
  if (!WriteStateBlob(blob)) return kAAXBadChunkId;
  record->size = blob.Size();
  if (blob.Size() > 0) std::memcpy(record->Data(), blob.Data(), static_cast<size_t>(blob.Size()));
  return kAAXOk;
}

AAX_Result IFxAAX::SetChunk(uint32_t chunkId, const AAX_ChunkRecord* record) {
  if (!record) return kAAXNullArgument;
  if (chunkId != static_cast<uint32_t>(PluginId())) return kAAXBadChunkId;
  // Whole chunks of finite values only: anything else changes nothing. Bytes beyond the values
  // this plug-in reads are ignored.
  const int32_t used = ChunkBytes();
  if (record->size < used) return kAAXChunkSize;
  for (int i = 0; i < ParamCount(); ++i) {
    if (!std::isfinite(LoadLE64(record->Data() + static_cast<size_t>(i) * 8))) return kAAXChunkSize;
  }
  StateBlob blob;
  if (!blob.AppendBytes(record->Data(), used)) return kAAXChunkSize;
  ReadStateBlob(blob, 0);
  for (int i = 0; i < ParamCount(); ++i) {
    SetParameterNormalizedValue(ParamIdentifier(i), GetParam(i)->NormalizedValue());
  }
  RefreshBoundControls();
  CountChange();
  return kAAXOk;
}

AAX_Result IFxAAX::CompareActiveChunk(const AAX_ChunkRecord* record, AAX_CBoolean* isEqual) {
  if (!record || !isEqual) return kAAXNullArgument;
  if (record->chunkId != static_cast<uint32_t>(PluginId())) {
    *isEqual = 1;
  } else if (record->size < ChunkBytes()) {
    *isEqual = 0;
  } else {
    *isEqual = StateBlobMatches(record->Data(), ChunkBytes(), 0) ? 1 : 0;
  }
  return kAAXOk;
}

// ---------------------------------------------------------------- IFxBase hooks

void IFxAAX::BeginInformHostOfParamChange(int paramIdx) {
  if (paramIdx < 0 || paramIdx >= ParamCount()) return;
  TouchParameter(ParamIdentifier(paramIdx));
}

void IFxAAX::InformHostOfParamChange(int paramIdx, double normalized) {
  if (paramIdx < 0 || paramIdx >= ParamCount()) return;
  SetParameterNormalizedValue(ParamIdentifier(paramIdx), normalized);
}

void IFxAAX::EndInformHostOfParamChange(int paramIdx) {
  if (paramIdx < 0 || paramIdx >= ParamCount()) return;
  ReleaseParameter(ParamIdentifier(paramIdx));
}

int IFxAAX::HostSamplePosition() {
  int64_t samples = 0;
  if (mTransport) mTransport->GetCurrentNativeSampleLocation(&samples);
  return static_cast<int>(static_cast<uint32_t>(static_cast<uint64_t>(samples)));
}

double IFxAAX::HostTempo() {
  double bpm = 0.0;
  if (mTransport) mTransport->GetCurrentTempo(&bpm);
  return bpm;
}

void IFxAAX::HostTimeSignature(int* numerator, int* denominator) {
  int32_t n = 0, d = 0;
  if (mTransport) mTransport->GetCurrentMeter(&n, &d);
  if (numerator) *numerator = n;
  if (denominator) *denominator = d;
}

void IFxAAX::FillHostTimeInfo(ITransportInfo* info) {
  if (!info) return;
  double bpm = 0.0;
  bool playing = false, looping = false;
  int32_t numerator = 0, denominator = 0;
  int64_t ticks = 0, samples = 0, loopStart = 0, loopEnd = 0;
  if (mTransport) {
    mTransport->GetCurrentTempo(&bpm);
    mTransport->IsTransportPlaying(&playing);
    mTransport->GetCurrentMeter(&numerator, &denominator);
    mTransport->GetCurrentTickPosition(&ticks);
    mTransport->GetCurrentNativeSampleLocation(&samples);
    mTransport->GetCurrentLoopPosition(&looping, &loopStart, &loopEnd);
  }
  info->mBeatsPerMinute = bpm;
  info->mIsPlaying = playing;
  info->mMeterNumerator = numerator;
  info->mMeterDenominator = denominator;
  info->mQuarterNotePosition = static_cast<double>(ticks) / kTicksPerQuarterNote;
  info->mSamplePosition = static_cast<double>(samples);
  info->mIsLooping = looping;
  info->mLoopStartQuarterNotes = static_cast<double>(loopStart) / kTicksPerQuarterNote;
  info->mLoopEndQuarterNotes = static_cast<double>(loopEnd) / kTicksPerQuarterNote;
}

void IFxAAX::ResizeEditor(int width, int height) {
  IGraphics* graphics = AttachedGraphics();
  if (!graphics || !graphics->mHostViewContainer) return;
  const AAX_Point size{static_cast<float>(height), static_cast<float>(width)};
  graphics->mHostViewContainer->SetViewSize(size);
  EditorResized();
}

void IFxAAX::ChangeLatency(int samples) {
  if (AAX_VController* c = Controller()) c->SetSignalLatency(samples);
  IFxBase::ChangeLatency(samples);
}

// ---------------------------------------------------------------- rendering

void IFxAAX::RenderBlock(const AAX_IFxRenderContext* context) {
  if (!context) return;
  SyncLockScope lock(&mLock);
  AAX_CParameter<bool>* bypassParameter = mMasterBypass;
  AAX_VController* controller = Controller();
  if (!bypassParameter || !controller) return;
  bool bypass = false;
  bypassParameter->ReadBool(&bypass);
  AAX_StemFormat inputStem = 0, outputStem = 0;
  if (controller->GetInputStemFormat(&inputStem) != kAAXOk) inputStem = 0;
  if (controller->GetOutputStemFormat(&outputStem) != kAAXOk) outputStem = 0;
  const int inputs = static_cast<int>(inputStem & 0xFFFF);
  const int outputs = static_cast<int>(outputStem & 0xFFFF);

  float** in = static_cast<float**>(context->fields[kFieldAudioIn]);
  float** out = static_cast<float**>(context->fields[kFieldAudioOut]);
  const int32_t* frameCount = static_cast<const int32_t*>(context->fields[kFieldBufferLength]);
  auto* transportNode = static_cast<AAX_HostTransportNode*>(context->fields[kFieldTransport]);
  if (!in || !out || !frameCount || !transportNode) return;
  const int frames = *frameCount;
  if (frames < 1) return;

  if (TakesMidi()) {
    auto* midiNode = static_cast<AAX_HostMidiNode*>(context->fields[kFieldLocalMidi]);
    const AAX_MidiStream* stream = midiNode ? midiNode->GetNodeBuffer() : nullptr;
    if (stream && stream->packets) {
      for (uint32_t k = 0; k < stream->packetCount; ++k) {
        const uint8_t* packet = stream->packets + static_cast<size_t>(k) * 16;
        uint32_t timestamp = 0;
        std::memcpy(&timestamp, packet, sizeof timestamp);
        IMidiEvent event;
        event.mFrameOffset = static_cast<int32_t>(timestamp);
        event.mStatusByte = packet[8];
        event.mDataByte1 = packet[9];
        event.mDataByte2 = packet[10];
        ReceiveMidi(&event);
      }
    }
  }
  mTransport = transportNode->GetTransport();

  if (frames != BlockFrames()) {
    ChangeBlockSize(frames);
    ResetAudio();
  }
  // A scratch buffer that could not grow to the block: nothing is rendered.
  if (BlockFrames() != frames) return;
  BlankPinBuffers();
  MarkInputPinsActive(0, InputPinCount(), false);
  MarkInputPinsActive(0, inputs, true);
  BindInputsFloat(0, inputs, in, frames);
  MarkOutputPinsActive(0, outputs, true);
  MarkOutputPinsActive(outputs, OutputPinCount() - outputs, false);
  BindOutputsFloat(0, OutputPinCount(), out);
  if (bypass) {
    RouteDryFloat(frames);
  } else {
    RunProcessHookFloat(frames);
  }
}

void RenderInstances(void* const* first, void* const* last) {
  if (!first || !last) return;
  const uintptr_t begin = reinterpret_cast<uintptr_t>(first);
  const uintptr_t end = reinterpret_cast<uintptr_t>(last);
  if (end <= begin) return;
  // Whole entries only: a last pointer inside an entry does not reach that entry.
  const size_t count = (end - begin) / sizeof(void*);
  for (size_t i = 0; i < count; ++i) {
    try {
      const auto* context = static_cast<const AAX_IFxRenderContext*>(first[i]);
      if (!context || !context->fields[kFieldPrivate]) continue;
      AAX_CIFxParameters* instance = nullptr;
      std::memcpy(&instance, context->fields[kFieldPrivate], sizeof instance);
      if (instance) instance->RenderBlock(context);
    } catch (...) {
      // One instance's failure does not stop the others of the batch.
    }
  }
}
