#include "vst3/support.h"

#include "fx/numbertext.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace Steinberg {

// ---------------------------------------------------------------- strings

void str8ToStr16(char16* dst, const char8* src, int32 dstUnits) {
  if (!dst || dstUnits <= 0) return;
  int32 i = 0;
  if (src) {
    for (; i < dstUnits - 1 && src[i]; ++i) dst[i] = static_cast<char16>(static_cast<uint8>(src[i]));
  }
  dst[i] = 0;
}

void str16ToStr8(char8* dst, const char16* src, int32 dstBytes) {
  if (!dst || dstBytes <= 0) return;
  int32 i = 0;
  if (src) {
    for (; i < dstBytes - 1 && src[i]; ++i) dst[i] = static_cast<char8>(src[i] & 0xFF);
  }
  dst[i] = 0;
}

int32 strlen16(const char16* s, int32 maxUnits) {
  int32 n = 0;
  if (s) {
    while (n < maxUnits && s[n]) ++n;
  }
  return n;
}

bool SameClassName(FClassID a, FClassID b) { return a && b && std::strcmp(a, b) == 0; }

// ---------------------------------------------------------------- FObject

tresult PLUGIN_API FObject::queryInterface(const TUID iid, void** obj) {
  if (!obj) return kInvalidArgument;
  if (SameIID(iid, FUnknown::iid)) {
    addRef();
    *obj = static_cast<FUnknown*>(this);
    return kResultOk;
  }
  *obj = nullptr;
  return kNoInterface;
}

uint32 PLUGIN_API FObject::addRef() { return ++mRefCount; }

uint32 PLUGIN_API FObject::release() {
  const uint32 n = --mRefCount;
  if (n == 0) delete this;
  return n;
}

bool FObject::isTypeOf(FClassID name, bool) const { return SameClassName(name, "FObject"); }

namespace Vst {

// ---------------------------------------------------------------- buses

void Bus::fillInfo(BusInfo& info) const {
  info.channelCount = channelCount();
  std::memcpy(info.name, name, sizeof info.name);
  info.name[127] = 0;
  info.busType = busType;
  info.flags = static_cast<uint32>(flags);
}

bool BusList::append(Bus* bus) {
  if (!bus) return false;
  if (!mBuses.add(bus)) {
    delete bus;
    return false;
  }
  return true;
}

bool BusList::replace(int32 i, Bus* bus) {
  if (!bus) return false;
  if (i < 0 || i >= total()) {
    delete bus;
    return false;
  }
  delete mBuses.at(i);
  mBuses.at(i) = bus;
  return true;
}

void BusList::removeAll() {
  for (int32 i = 0; i < mBuses.total(); ++i) delete mBuses.at(i);
  mBuses.removeAll();
}

// ---------------------------------------------------------------- parameters

// A normalised value held to 0..1; NaN counts as 0.
static ParamValue Clamp01(ParamValue v) { return v > 0.0 ? (v < 1.0 ? v : 1.0) : 0.0; }

Parameter::Parameter() { std::memset(&mInfo, 0, sizeof mInfo); }

Parameter::Parameter(const char8* title, ParamID id, const char8* units,
                     ParamValue defaultNormalized, int32 stepCount, int32 flags, UnitID unitId) {
  std::memset(&mInfo, 0, sizeof mInfo);
  mInfo.id = id;
  str8ToStr16(mInfo.title, title, 128);
  str8ToStr16(mInfo.units, units, 128);
  mInfo.stepCount = stepCount;
  mInfo.defaultNormalizedValue = defaultNormalized;
  mInfo.flags = flags;
  mInfo.unitId = unitId;
  mValue = defaultNormalized;
}

void Parameter::setNormalized(ParamValue v) {
  if (std::isnan(v)) return;
  mValue = v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
}

void Parameter::toString(ParamValue normalized, String128 text) const {
  char8 buf[128];
  if (mInfo.stepCount == 1) {
    std::snprintf(buf, sizeof buf, "%s", normalized > 0.5 ? "On" : "Off");
  } else {
    FormatFixed(buf, sizeof buf, mPrecision, normalized);
  }
  str8ToStr16(text, buf, 128);
}

// Reads UTF-16 text that is exactly one decimal number, optionally followed by the given UTF-16
// unit text; false for anything else.
static bool ParseNumber(const TChar* text, const TChar* units, double* out) {
  char8 buf[128];
  char8 unit[128];
  if (!NarrowAsciiText(units, unit, sizeof unit)) unit[0] = 0;
  return NarrowAsciiText(text, buf, sizeof buf) && ParseNumberText(buf, unit, out);
}

bool Parameter::fromString(const TChar* text, ParamValue& normalized) const {
  double v;
  if (!ParseNumber(text, mInfo.units, &v)) return false;
  normalized = Clamp01(v);
  return true;
}

RangeParameter::RangeParameter(const char8* title, ParamID id, const char8* units,
                               ParamValue minPlain, ParamValue maxPlain, ParamValue defaultPlain,
                               int32 stepCount, int32 flags, UnitID unitId)
    : Parameter(title, id, units, 0.0, stepCount, flags, unitId), mMin(minPlain), mMax(maxPlain) {
  mInfo.defaultNormalizedValue = mValue = toNormalized(defaultPlain);
}

ParamValue RangeParameter::toPlain(ParamValue n) const {
  const int32 steps = mInfo.stepCount;
  if (steps > 1) {
    // The step index stays within the range whatever the host passes.
    const double k = std::floor(Clamp01(n) * (steps + 1));
    return mMin + (k < steps ? k : steps);
  }
  return mMin + n * (mMax - mMin);
}

ParamValue RangeParameter::toNormalized(ParamValue plain) const {
  const int32 steps = mInfo.stepCount;
  if (steps > 1) return (plain - mMin) / steps;
  if (!(mMax - mMin != 0.0)) return 0.0;
  return (plain - mMin) / (mMax - mMin);
}

void RangeParameter::toString(ParamValue normalized, String128 text) const {
  char8 buf[128];
  if (mInfo.stepCount > 1) {
    std::snprintf(buf, sizeof buf, "%d", static_cast<int>(toPlain(normalized)));
  } else {
    FormatFixed(buf, sizeof buf, mPrecision, toPlain(normalized));
  }
  str8ToStr16(text, buf, 128);
}

bool RangeParameter::fromString(const TChar* text, ParamValue& normalized) const {
  double v;
  if (!ParseNumber(text, mInfo.units, &v)) return false;
  if (mInfo.stepCount > 1) v = std::trunc(v);
  if (v < mMin) v = mMin;
  if (v > mMax) v = mMax;
  normalized = Clamp01(toNormalized(v));
  return true;
}

StringListParameter::StringListParameter(const char8* title, ParamID id, const char8* units,
                                         int32 flags, UnitID unitId)
    : Parameter(title, id, units, 0.0, -1, flags, unitId) {}

StringListParameter::~StringListParameter() {
  for (int32 i = 0; i < mStrings.total(); ++i) std::free(mStrings.at(i));
}

bool StringListParameter::appendString(const char8* text) {
  const int32 len = text ? static_cast<int32>(std::strlen(text)) : 0;
  const int32 units = (len < 127 ? len : 127) + 1;
  char16* s = static_cast<char16*>(std::malloc(sizeof(char16) * static_cast<size_t>(units)));
  if (!s) return false;
  str8ToStr16(s, text, units);
  if (!mStrings.add(s)) {
    std::free(s);
    return false;
  }
  ++mInfo.stepCount;
  return true;
}

ParamValue StringListParameter::toPlain(ParamValue n) const {
  const int32 steps = mInfo.stepCount;
  if (steps <= 0) return 0.0;
  // The index stays within the list whatever the host passes.
  const double k = std::floor(Clamp01(n) * (steps + 1));
  return k < steps ? k : steps;
}

ParamValue StringListParameter::toNormalized(ParamValue plain) const {
  const int32 steps = mInfo.stepCount;
  if (steps <= 0) return 0.0;
  return plain / steps;
}

void StringListParameter::toString(ParamValue normalized, String128 text) const {
  const int32 i = static_cast<int32>(toPlain(normalized));
  if (i >= 0 && i < mStrings.total()) {
    const char16* s = mStrings.at(i);
    const int32 n = strlen16(s, 127);
    std::memcpy(text, s, sizeof(char16) * static_cast<size_t>(n));
    text[n] = 0;
  } else {
    text[0] = 0;
  }
}

bool StringListParameter::fromString(const TChar* text, ParamValue& normalized) const {
  if (!text) return false;
  const int32 n = strlen16(text, 128);
  for (int32 i = 0; i < mStrings.total(); ++i) {
    const char16* s = mStrings.at(i);
    if (strlen16(s, 128) == n && std::memcmp(s, text, sizeof(char16) * static_cast<size_t>(n)) == 0) {
      normalized = toNormalized(i);
      return true;
    }
  }
  return false;
}

Parameter* ParameterContainer::addParameter(Parameter* p) {
  if (!p) return nullptr;
  if (!mParams.add(p)) {
    delete p;
    return nullptr;
  }
  return p;
}

Parameter* ParameterContainer::getParameter(ParamID id) const {
  for (int32 i = 0; i < mParams.total(); ++i) {
    if (mParams.at(i)->getInfo().id == id) return mParams.at(i);
  }
  return nullptr;
}

void ParameterContainer::removeAll() {
  for (int32 i = 0; i < mParams.total(); ++i) delete mParams.at(i);
  mParams.removeAll();
}

// ---------------------------------------------------------------- ComponentBase

ComponentBase::~ComponentBase() {
  if (peerConnection) peerConnection->release();
  if (hostContext) hostContext->release();
}

tresult PLUGIN_API ComponentBase::initialize(FUnknown* context) {
  // A null context is a valid first initialize too: the state, not the context, says it happened.
  if (initialized) return kResultFalse;
  initialized = true;
  hostContext = context;
  if (hostContext) hostContext->addRef();
  return kResultOk;
}

tresult PLUGIN_API ComponentBase::terminate() {
  initialized = false;
  if (hostContext) {
    hostContext->release();
    hostContext = nullptr;
  }
  if (peerConnection) {
    peerConnection->disconnect(this);
    if (peerConnection) {
      peerConnection->release();
      peerConnection = nullptr;
    }
  }
  return kResultOk;
}

tresult PLUGIN_API ComponentBase::connect(IConnectionPoint* other) {
  if (!other) return kInvalidArgument;
  if (peerConnection) return kResultFalse;
  peerConnection = other;
  peerConnection->addRef();
  return kResultOk;
}

tresult PLUGIN_API ComponentBase::disconnect(IConnectionPoint* other) {
  if (peerConnection && other == peerConnection) {
    peerConnection->release();
    peerConnection = nullptr;
    return kResultOk;
  }
  return kResultFalse;
}

tresult PLUGIN_API ComponentBase::notify(IMessage* message) {
  // No text messages are exchanged with a peer: every message is declined.
  return message ? kResultFalse : kInvalidArgument;
}

bool ComponentBase::isTypeOf(FClassID name, bool askBaseClass) const {
  return SameClassName(name, "ComponentBase") || (askBaseClass && FObject::isTypeOf(name, true));
}

// ---------------------------------------------------------------- EditController

KnobMode EditController::hostKnobMode = kCircularMode;

EditController::~EditController() {
  if (componentHandler2) componentHandler2->release();
  if (componentHandler) componentHandler->release();
}

tresult PLUGIN_API EditController::initialize(FUnknown* context) {
  return ComponentBase::initialize(context);
}

tresult PLUGIN_API EditController::terminate() {
  parameters.removeAll();
  if (componentHandler) {
    componentHandler->release();
    componentHandler = nullptr;
  }
  if (componentHandler2) {
    componentHandler2->release();
    componentHandler2 = nullptr;
  }
  return ComponentBase::terminate();
}

tresult PLUGIN_API EditController::getParameterInfo(int32 paramIndex, ParameterInfo& info) {
  const Parameter* p = parameters.getParameterByIndex(paramIndex);
  if (!p) return kResultFalse;
  info = p->getInfo();
  return kResultTrue;
}

tresult PLUGIN_API EditController::getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                                         String128 string) {
  const Parameter* p = parameters.getParameter(id);
  if (!p || !string) return kResultFalse;
  p->toString(valueNormalized, string);
  return kResultTrue;
}

tresult PLUGIN_API EditController::getParamValueByString(ParamID id, TChar* string,
                                                         ParamValue& valueNormalized) {
  const Parameter* p = parameters.getParameter(id);
  if (!p || !string) return kResultFalse;
  return p->fromString(string, valueNormalized) ? kResultTrue : kResultFalse;
}

ParamValue PLUGIN_API EditController::normalizedParamToPlain(ParamID id, ParamValue n) {
  const Parameter* p = parameters.getParameter(id);
  return p ? p->toPlain(n) : n;
}

ParamValue PLUGIN_API EditController::plainParamToNormalized(ParamID id, ParamValue plain) {
  const Parameter* p = parameters.getParameter(id);
  return p ? p->toNormalized(plain) : plain;
}

ParamValue PLUGIN_API EditController::getParamNormalized(ParamID id) {
  const Parameter* p = parameters.getParameter(id);
  return p ? p->getNormalized() : 0.0;
}

tresult PLUGIN_API EditController::setParamNormalized(ParamID id, ParamValue value) {
  Parameter* p = parameters.getParameter(id);
  if (!p) return kResultFalse;
  p->setNormalized(value);
  return kResultTrue;
}

tresult PLUGIN_API EditController::setComponentHandler(IComponentHandler* handler) {
  if (handler == componentHandler) return kResultTrue;
  if (componentHandler) componentHandler->release();
  if (componentHandler2) {
    componentHandler2->release();
    componentHandler2 = nullptr;
  }
  componentHandler = handler;
  if (componentHandler) {
    componentHandler->addRef();
    componentHandler2 = QueryTo<IComponentHandler2>(componentHandler);
  }
  return kResultTrue;
}

tresult PLUGIN_API EditController::setKnobMode(KnobMode mode) {
  hostKnobMode = mode;
  return kResultTrue;
}

tresult EditController::beginEdit(ParamID id) {
  return componentHandler ? componentHandler->beginEdit(id) : kResultFalse;
}

tresult EditController::performEdit(ParamID id, ParamValue valueNormalized) {
  return componentHandler ? componentHandler->performEdit(id, valueNormalized) : kResultFalse;
}

tresult EditController::endEdit(ParamID id) {
  return componentHandler ? componentHandler->endEdit(id) : kResultFalse;
}

bool EditController::isTypeOf(FClassID name, bool askBaseClass) const {
  return SameClassName(name, "EditController") ||
         (askBaseClass && ComponentBase::isTypeOf(name, true));
}

// ---------------------------------------------------------------- SingleComponentEffect

SingleComponentEffect::SingleComponentEffect() {
  processSetup.processMode = kRealtime;
  processSetup.symbolicSampleSize = kSample32;
  processSetup.maxSamplesPerBlock = 1024;
  processSetup.sampleRate = 44100.0;
}

SingleComponentEffect::~SingleComponentEffect() = default;

tresult PLUGIN_API SingleComponentEffect::queryInterface(const TUID iid, void** obj) {
  if (!obj) return kInvalidArgument;
  void* p = nullptr;
  if (SameIID(iid, FUnknown::iid)) {
    p = static_cast<FUnknown*>(static_cast<FObject*>(this));
  } else if (SameIID(iid, IPluginBase::iid)) {
    p = static_cast<IPluginBase*>(static_cast<IEditController*>(this));
  } else if (SameIID(iid, IEditController::iid)) {
    p = static_cast<IEditController*>(this);
  } else if (SameIID(iid, IEditController2::iid)) {
    p = static_cast<IEditController2*>(this);
  } else if (SameIID(iid, IConnectionPoint::iid)) {
    p = static_cast<IConnectionPoint*>(this);
  } else if (SameIID(iid, IComponent::iid)) {
    p = static_cast<IComponent*>(this);
  } else if (SameIID(iid, IAudioProcessor::iid)) {
    p = static_cast<IAudioProcessor*>(this);
  }
  if (!p) {
    *obj = nullptr;
    return kNoInterface;
  }
  addRef();
  *obj = p;
  return kResultOk;
}

tresult PLUGIN_API SingleComponentEffect::initialize(FUnknown* context) {
  return EditController::initialize(context);
}

tresult PLUGIN_API SingleComponentEffect::terminate() {
  parameters.removeAll();
  removeAllBuses();
  return EditController::terminate();
}

BusList* SingleComponentEffect::getBusList(MediaType type, BusDirection dir) {
  if (type == kAudio) return dir == kInput ? &audioInputs : (dir == kOutput ? &audioOutputs : nullptr);
  if (type == kEvent) return dir == kInput ? &eventInputs : (dir == kOutput ? &eventOutputs : nullptr);
  return nullptr;
}

int32 PLUGIN_API SingleComponentEffect::getBusCount(MediaType type, BusDirection dir) {
  const BusList* list = getBusList(type, dir);
  return list ? list->total() : 0;
}

tresult PLUGIN_API SingleComponentEffect::getBusInfo(MediaType type, BusDirection dir, int32 index,
                                                     BusInfo& info) {
  const BusList* list = getBusList(type, dir);
  const Bus* bus = list ? list->at(index) : nullptr;
  if (!bus) return kInvalidArgument;
  info.mediaType = type;
  info.direction = dir;
  bus->fillInfo(info);
  return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::activateBus(MediaType type, BusDirection dir,
                                                      int32 index, TBool state) {
  BusList* list = getBusList(type, dir);
  Bus* bus = list ? list->at(index) : nullptr;
  if (!bus) return kInvalidArgument;
  bus->active = state != 0;
  return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::setBusArrangements(SpeakerArrangement* inputs,
                                                             int32 numIns,
                                                             SpeakerArrangement* outputs,
                                                             int32 numOuts) {
  // Accepts an arrangement only when it matches the buses as they are.
  if (numIns < 0 || numOuts < 0 || numIns > audioInputs.total() || numOuts > audioOutputs.total()) {
    return kResultFalse;
  }
  for (int32 i = 0; i < numIns; ++i) {
    if (!inputs || static_cast<AudioBus*>(audioInputs.at(i))->arrangement != inputs[i]) return kResultFalse;
  }
  for (int32 i = 0; i < numOuts; ++i) {
    if (!outputs || static_cast<AudioBus*>(audioOutputs.at(i))->arrangement != outputs[i]) return kResultFalse;
  }
  return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::getBusArrangement(BusDirection dir, int32 index,
                                                            SpeakerArrangement& arr) {
  BusList* list = getBusList(kAudio, dir);
  const Bus* bus = list ? list->at(index) : nullptr;
  if (!bus) return kInvalidArgument;
  arr = static_cast<const AudioBus*>(bus)->arrangement;
  return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::canProcessSampleSize(int32 size) {
  return size == kSample32 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API SingleComponentEffect::setupProcessing(ProcessSetup& setup) {
  processSetup = setup;
  return kResultOk;
}

// Name (at most 127 units), type and flags of a new, inactive bus.
static void SetUpBus(Bus* bus, const TChar* name, BusType type, int32 flags) {
  const int32 n = strlen16(name, 127);
  if (n) std::memcpy(bus->name, name, sizeof(TChar) * static_cast<size_t>(n));
  bus->name[n] = 0;
  bus->busType = type;
  bus->flags = flags;
  bus->active = false;
}

AudioBus* SingleComponentEffect::makeAudioBus(const TChar* name, SpeakerArrangement arr,
                                              BusType type, int32 flags) {
  AudioBus* bus = new (std::nothrow) AudioBus();
  if (!bus) return nullptr;
  SetUpBus(bus, name, type, flags);
  bus->arrangement = arr;
  return bus;
}

AudioBus* SingleComponentEffect::addAudioInput(const TChar* name, SpeakerArrangement arr,
                                               BusType type, int32 flags) {
  AudioBus* bus = makeAudioBus(name, arr, type, flags);
  return audioInputs.append(bus) ? bus : nullptr;
}

AudioBus* SingleComponentEffect::addAudioOutput(const TChar* name, SpeakerArrangement arr,
                                                BusType type, int32 flags) {
  AudioBus* bus = makeAudioBus(name, arr, type, flags);
  return audioOutputs.append(bus) ? bus : nullptr;
}

EventBus* SingleComponentEffect::addEventInput(const TChar* name, int32 channels, BusType type,
                                               int32 flags) {
  EventBus* bus = new (std::nothrow) EventBus();
  if (!bus) return nullptr;
  SetUpBus(bus, name, type, flags);
  bus->channels = channels;
  return eventInputs.append(bus) ? bus : nullptr;
}

void SingleComponentEffect::removeAllBuses() {
  audioInputs.removeAll();
  audioOutputs.removeAll();
  eventInputs.removeAll();
  eventOutputs.removeAll();
}

bool SingleComponentEffect::isTypeOf(FClassID name, bool askBaseClass) const {
  return SameClassName(name, "SingleComponentEffect") ||
         (askBaseClass && EditController::isTypeOf(name, true));
}

}  // namespace Vst

// ---------------------------------------------------------------- CPluginFactory

CPluginFactory::CPluginFactory(const PFactoryInfo& info) : mFactoryInfo(info) {}

CPluginFactory::~CPluginFactory() {
  for (int32 i = 0; i < mClasses.total(); ++i) delete mClasses.at(i);
}

tresult PLUGIN_API CPluginFactory::queryInterface(const TUID iid, void** obj) {
  if (!obj) return kInvalidArgument;
  if (SameIID(iid, FUnknown::iid) || SameIID(iid, IPluginFactory::iid) ||
      SameIID(iid, IPluginFactory2::iid) || SameIID(iid, IPluginFactory3::iid)) {
    addRef();
    *obj = static_cast<IPluginFactory3*>(this);
    return kResultOk;
  }
  *obj = nullptr;
  return kNoInterface;
}

tresult PLUGIN_API CPluginFactory::getFactoryInfo(PFactoryInfo* info) {
  if (info) std::memcpy(info, &mFactoryInfo, sizeof(PFactoryInfo));
  return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfo(int32 index, PClassInfo* info) {
  if (!info || index < 0 || index >= mClasses.total()) return kInvalidArgument;
  std::memcpy(info, &mClasses.at(index)->info, sizeof(PClassInfo));
  return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfo2(int32 index, PClassInfo2* info) {
  if (!info || index < 0 || index >= mClasses.total()) return kInvalidArgument;
  std::memcpy(info, &mClasses.at(index)->info, sizeof(PClassInfo2));
  return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfoUnicode(int32 index, PClassInfoW* info) {
  if (!info || index < 0 || index >= mClasses.total()) return kInvalidArgument;
  const PClassInfo2& c = mClasses.at(index)->info;
  std::memset(info, 0, sizeof(PClassInfoW));
  std::memcpy(info->cid, c.cid, sizeof c.cid);
  info->cardinality = c.cardinality;
  std::memcpy(info->category, c.category, sizeof c.category);
  str8ToStr16(info->name, c.name, 64);
  info->classFlags = c.classFlags;
  std::memcpy(info->subCategories, c.subCategories, sizeof c.subCategories);
  str8ToStr16(info->vendor, c.vendor, 64);
  str8ToStr16(info->version, c.version, 64);
  str8ToStr16(info->sdkVersion, c.sdkVersion, 64);
  return kResultOk;
}

tresult PLUGIN_API CPluginFactory::createInstance(FIDString cid, FIDString iid, void** obj) {
  if (!obj) return kInvalidArgument;
  *obj = nullptr;
  if (!cid || !iid) return kNoInterface;
  for (int32 i = 0; i < mClasses.total(); ++i) {
    ClassEntry* e = mClasses.at(i);
    if (std::memcmp(e->info.cid, cid, 16) != 0) continue;
    FUnknown* instance = e->create(e->context);
    if (!instance) return kNoInterface;
    const tresult r = instance->queryInterface(iid, obj);
    instance->release();  // the host's interface pointer keeps the only reference
    if (r != kResultOk) {
      *obj = nullptr;
      return kNoInterface;
    }
    return kResultOk;
  }
  return kNoInterface;
}

bool CPluginFactory::registerClass(const PClassInfo2* info, FactoryCreateFunction create,
                                   void* context) {
  if (!info || !create) return false;
  ClassEntry* e = new (std::nothrow) ClassEntry{*info, create, context};
  if (!e) return false;
  if (!mClasses.add(e)) {
    delete e;
    return false;
  }
  return true;
}

// ---------------------------------------------------------------- CPluginView

CPluginView::CPluginView(const ViewRect* rect) {
  mRect = rect ? *rect : ViewRect{0, 0, 0, 0};
}

tresult PLUGIN_API CPluginView::queryInterface(const TUID iid, void** obj) {
  if (!obj) return kInvalidArgument;
  if (SameIID(iid, FUnknown::iid) || SameIID(iid, IPlugView::iid)) {
    addRef();
    *obj = static_cast<IPlugView*>(this);
    return kResultOk;
  }
  *obj = nullptr;
  return kNoInterface;
}

tresult PLUGIN_API CPluginView::attached(void* parent, FIDString) {
  mSystemWindow = parent;
  return kResultOk;
}

tresult PLUGIN_API CPluginView::removed() {
  mSystemWindow = nullptr;
  return kResultOk;
}

tresult PLUGIN_API CPluginView::getSize(ViewRect* size) {
  if (!size) return kInvalidArgument;
  *size = mRect;
  return kResultTrue;
}

tresult PLUGIN_API CPluginView::onSize(ViewRect* newSize) {
  if (newSize) mRect = *newSize;
  return kResultTrue;
}

tresult PLUGIN_API CPluginView::setFrame(IPlugFrame* frame) {
  mFrame = frame;
  return kResultTrue;
}

bool CPluginView::isTypeOf(FClassID name, bool askBaseClass) const {
  return SameClassName(name, "CPluginView") || (askBaseClass && FObject::isTypeOf(name, true));
}

}  // namespace Steinberg
