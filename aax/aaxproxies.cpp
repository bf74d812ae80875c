#include "aax/aaxproxies.h"

#include <cstdarg>
#include <cstdio>

AAX_VHostServices* gHostServices = nullptr;

namespace {

// Fills a created proxy's primary interface through the host's component factory, and its secondary
// one (when it has one) by querying the primary.
// Fills an interface member by a query; a failed query leaves it null.
template <typename T>
void QueryHost(IACFUnknown* source, const AcfID& iid, HostRef<T>& member) {
  member.Reset();
  if (!source) return;
  void* found = nullptr;
  if (source->QueryInterface(iid, &found) == kACFOk) member.Adopt(found);
}

// Fills a created proxy's primary interface through the host's component factory, and its secondary
// one (when it has one) by querying the primary.
template <typename Primary, typename Secondary>
void CreateHostObject(IACFUnknown* hostUnknown, const AcfID& classId, const AcfID& primaryId,
                      HostRef<Primary>& primary, const AcfID* secondaryId, HostRef<Secondary>* secondary) {
  if (!hostUnknown) return;
  void* found = nullptr;
  if (hostUnknown->QueryInterface(AcfIds::kComponentFactory, &found) != kACFOk) return;
  if (!found) throw ACFException(kACFNullPointer, "the host's component factory is null");
  HostRef<AAX_HostComponentFactory> factory;
  factory.Adopt(found);
  void* created = nullptr;
  primary.Reset();
  if (factory->CreateInstance(classId, nullptr, primaryId, &created) == kACFOk) primary.Adopt(created);
  if (primary && secondaryId && secondary) QueryHost(primary.Get(), *secondaryId, *secondary);
}

struct NoSecondary : IACFUnknown {};

void CreateHostObject(IACFUnknown* hostUnknown, const AcfID& classId, const AcfID& primaryId,
                      HostRef<AAX_HostCollection>& primary) {
  CreateHostObject<AAX_HostCollection, NoSecondary>(hostUnknown, classId, primaryId, primary, nullptr, nullptr);
}

// The first reference the proxy keeps: its own reference to the host unknown.
void KeepUnknown(IACFUnknown* hostUnknown, HostRef<IACFUnknown>& kept) {
  if (!hostUnknown) return;
  hostUnknown->AddRef();
  kept.Adopt(hostUnknown);
}

AAX_HostPropertyMap* HostMap(AAX_IPropertyMap* map) {
  AAX_VPropertyMap* proxy = dynamic_cast<AAX_VPropertyMap*>(map);
  return proxy ? proxy->Primary() : nullptr;
}

// A new proxy on the host unknown, kept in the owner's list (room is made first, so that keeping it
// cannot fail after it was built).
template <typename T>
T* NewOwned(std::vector<T*>& owned, IACFUnknown* hostUnknown) {
  owned.reserve(owned.size() + 1);
  T* proxy = new T(hostUnknown);
  owned.push_back(proxy);
  return proxy;
}

template <typename T>
void DeleteAll(std::vector<T*>& owned) {
  for (T* p : owned) delete p;
  owned.clear();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Property map.

AAX_VPropertyMap::AAX_VPropertyMap(IACFUnknown* hostUnknown) {
  CreateHostObject(hostUnknown, AcfIds::kPropertyMapClass, AcfIds::kPropertyMap, mPrimary,
                   &AcfIds::kPropertyMapV2, &mSecondary);
}

AAX_VPropertyMap::~AAX_VPropertyMap() {
  mSecondary.Reset();
  mPrimary.Reset();
}

bool AAX_VPropertyMap::GetProperty(AAX_PropertyId id, AAX_PropertyValue* out) const {
  return mPrimary ? mPrimary->GetProperty(id, out) : false;
}
AAX_Result AAX_VPropertyMap::AddProperty(AAX_PropertyId id, AAX_PropertyValue value) {
  return mPrimary ? mPrimary->AddProperty(id, value) : kAAXNoHostObject;
}
AAX_Result AAX_VPropertyMap::HostOp5(int64_t arg) { return mPrimary ? mPrimary->HostOp5(arg) : kAAXNoHostObject; }
AAX_Result AAX_VPropertyMap::HostOp6(int64_t arg) { return mSecondary ? mSecondary->HostOp6(arg) : kAAXNotImplemented; }
bool AAX_VPropertyMap::HostOp7(int64_t arg) { return mSecondary ? mSecondary->HostOp7(arg) : false; }

// ---------------------------------------------------------------------------------------------
// Component descriptor.

AAX_VComponentDescriptor::AAX_VComponentDescriptor(IACFUnknown* hostUnknown) {
  KeepUnknown(hostUnknown, mHostUnknown);
  CreateHostObject(hostUnknown, AcfIds::kComponentDescriptorClass, AcfIds::kComponentDescriptor, mPrimary,
                   &AcfIds::kComponentDescriptorV2, &mSecondary);
}

AAX_VComponentDescriptor::~AAX_VComponentDescriptor() {
  DeleteAll(mPropertyMaps);
  mSecondary.Reset();
  mPrimary.Reset();
  mHostUnknown.Reset();
}

#define QO_PRIMARY(call) (mPrimary ? mPrimary->call : kAAXNoHostObject)
#define QO_SECONDARY(call) (mSecondary ? mSecondary->call : kAAXNotImplemented)

AAX_Result AAX_VComponentDescriptor::HostOp3(int64_t arg) { return QO_PRIMARY(HostOp3(arg)); }
AAX_Result AAX_VComponentDescriptor::AddAudioInput(AAX_FieldIndex field) { return QO_PRIMARY(AddAudioInput(field)); }
AAX_Result AAX_VComponentDescriptor::AddAudioOutput(AAX_FieldIndex field) { return QO_PRIMARY(AddAudioOutput(field)); }
AAX_Result AAX_VComponentDescriptor::AddBufferLengthField(AAX_FieldIndex field) {
  return QO_PRIMARY(AddBufferLengthField(field));
}
AAX_Result AAX_VComponentDescriptor::HostOp8(int64_t arg) { return QO_PRIMARY(HostOp8(arg)); }
AAX_Result AAX_VComponentDescriptor::HostOp9(int64_t arg) { return QO_PRIMARY(HostOp9(arg)); }
AAX_Result AAX_VComponentDescriptor::HostOp10(int64_t arg) { return QO_PRIMARY(HostOp10(arg)); }
AAX_Result AAX_VComponentDescriptor::HostOp11(int64_t arg) { return QO_PRIMARY(HostOp11(arg)); }
AAX_Result AAX_VComponentDescriptor::HostOp12(int64_t arg) { return QO_PRIMARY(HostOp12(arg)); }
AAX_Result AAX_VComponentDescriptor::AddPrivateDataField(AAX_FieldIndex field, uint32_t size, uint32_t options) {
  return QO_PRIMARY(AddPrivateDataField(field, size, options));
}
AAX_Result AAX_VComponentDescriptor::HostOp19(int64_t arg) { return QO_SECONDARY(HostOp19(arg)); }
AAX_Result AAX_VComponentDescriptor::HostOp14(int64_t arg) { return QO_PRIMARY(HostOp14(arg)); }
AAX_Result AAX_VComponentDescriptor::AddMeterField(AAX_FieldIndex field, const uint32_t* meterIds, uint32_t count) {
  return QO_PRIMARY(AddMeterField(field, meterIds, count));
}
AAX_Result AAX_VComponentDescriptor::AddMidiNodeField(AAX_FieldIndex field, uint32_t nodeType, const char* name,
                                                      uint32_t channelMask) {
  return QO_PRIMARY(AddMidiNodeField(field, nodeType, name, channelMask));
}
AAX_Result AAX_VComponentDescriptor::HostOp4(int64_t arg) { return QO_PRIMARY(HostOp4(arg)); }

AAX_IPropertyMap* AAX_VComponentDescriptor::CreatePropertyMap() {
  return NewOwned(mPropertyMaps, mHostUnknown.Get());
}

AAX_IPropertyMap* AAX_VComponentDescriptor::DuplicatePropertyMap(AAX_IPropertyMap* source) {
  if (!source) return nullptr;
  AAX_IPropertyMap* copy = CreatePropertyMap();
  for (AAX_PropertyId id = 10; id <= 351; ++id) {
    AAX_PropertyValue value = 0;
    if (source->GetProperty(id, &value)) copy->AddProperty(id, value);
  }
  return copy;
}

AAX_Result AAX_VComponentDescriptor::AddProcessProcedure(AAX_ProcessProcedure proc, AAX_IPropertyMap* map,
                                                         AAX_InstanceInitProcedure initProc,
                                                         AAX_BackgroundProcedure backgroundProc) {
  return QO_PRIMARY(AddProcessProcedure(proc, HostMap(map), initProc, backgroundProc));
}
AAX_Result AAX_VComponentDescriptor::HostOp17(int64_t a, int64_t b, int64_t c, AAX_IPropertyMap* map) {
  return QO_PRIMARY(HostOp17(a, b, c, HostMap(map)));
}

// ---------------------------------------------------------------------------------------------
// Effect descriptor.

AAX_VEffectDescriptor::AAX_VEffectDescriptor(IACFUnknown* hostUnknown) {
  KeepUnknown(hostUnknown, mHostUnknown);
  CreateHostObject(hostUnknown, AcfIds::kEffectDescriptorClass, AcfIds::kEffectDescriptor, mPrimary,
                   &AcfIds::kEffectDescriptorV2, &mSecondary);
}

AAX_VEffectDescriptor::~AAX_VEffectDescriptor() {
  DeleteAll(mComponents);
  DeleteAll(mPropertyMaps);
  mSecondary.Reset();
  mPrimary.Reset();
  mHostUnknown.Reset();
}

AAX_IComponentDescriptor* AAX_VEffectDescriptor::CreateComponentDescriptor() {
  return NewOwned(mComponents, mHostUnknown.Get());
}

AAX_Result AAX_VEffectDescriptor::AddComponentDescriptor(AAX_IComponentDescriptor* component) {
  AAX_VComponentDescriptor* proxy = dynamic_cast<AAX_VComponentDescriptor*>(component);
  return QO_PRIMARY(AddComponentDescriptor(proxy ? proxy->Primary() : nullptr));
}
AAX_Result AAX_VEffectDescriptor::AddEffectName(const char* name) { return QO_PRIMARY(AddEffectName(name)); }
AAX_Result AAX_VEffectDescriptor::SetEffectCategory(uint32_t category) { return QO_PRIMARY(SetEffectCategory(category)); }
AAX_Result AAX_VEffectDescriptor::HostOp6(int64_t arg) { return QO_PRIMARY(HostOp6(arg)); }
AAX_Result AAX_VEffectDescriptor::AddCreateProcedure(AAX_CreateProcedure proc, uint32_t procId) {
  return QO_PRIMARY(AddCreateProcedure(proc, procId));
}

AAX_IPropertyMap* AAX_VEffectDescriptor::CreatePropertyMap() {
  return NewOwned(mPropertyMaps, mHostUnknown.Get());
}

AAX_Result AAX_VEffectDescriptor::AttachProperties(AAX_IPropertyMap* map) { return QO_PRIMARY(AttachProperties(HostMap(map))); }
AAX_Result AAX_VEffectDescriptor::HostOp9(int64_t arg) { return QO_PRIMARY(HostOp9(arg)); }
AAX_Result AAX_VEffectDescriptor::HostOp10(int64_t a, int64_t b, int64_t c, AAX_IPropertyMap* map) {
  return QO_PRIMARY(HostOp10(a, b, c, HostMap(map)));
}
AAX_Result AAX_VEffectDescriptor::HostOp11(int64_t arg) { return QO_SECONDARY(HostOp11(arg)); }

// ---------------------------------------------------------------------------------------------
// Collection.

AAX_VCollection::AAX_VCollection(IACFUnknown* hostUnknown) {
  KeepUnknown(hostUnknown, mHostUnknown);
  CreateHostObject(hostUnknown, AcfIds::kCollectionClass, AcfIds::kCollection, mPrimary);
}

AAX_VCollection::~AAX_VCollection() {
  DeleteAll(mEffects);
  DeleteAll(mPropertyMaps);
  mPrimary.Reset();
  mHostUnknown.Reset();
}

AAX_IEffectDescriptor* AAX_VCollection::CreateEffectDescriptor() {
  return NewOwned(mEffects, mHostUnknown.Get());
}

AAX_Result AAX_VCollection::RegisterEffect(const char* effectId, AAX_IEffectDescriptor* descriptor) {
  AAX_VEffectDescriptor* proxy = dynamic_cast<AAX_VEffectDescriptor*>(descriptor);
  if (!mPrimary || !proxy) return kAAXNoHostObject;
  return mPrimary->RegisterEffect(effectId, proxy->Primary());
}
AAX_Result AAX_VCollection::AddMakerName(const char* name) { return QO_PRIMARY(AddMakerName(name)); }
AAX_Result AAX_VCollection::AddProductName(const char* name) { return QO_PRIMARY(AddProductName(name)); }
AAX_Result AAX_VCollection::SetPackageVersionNumber(uint32_t version) {
  return QO_PRIMARY(SetPackageVersionNumber(version));
}

AAX_IPropertyMap* AAX_VCollection::CreatePropertyMap() {
  return NewOwned(mPropertyMaps, mHostUnknown.Get());
}

AAX_Result AAX_VCollection::AttachProperties(AAX_IPropertyMap* map) { return QO_PRIMARY(AttachProperties(HostMap(map))); }

// ---------------------------------------------------------------------------------------------
// Host services and the trace routine.

AAX_VHostServices::AAX_VHostServices(IACFUnknown* hostUnknown) {
  CreateHostObject<AAX_HostServices, NoSecondary>(hostUnknown, AcfIds::kHostServicesClass, AcfIds::kHostServices,
                                                  mPrimary, nullptr, nullptr);
}

AAX_Result AAX_VHostServices::HostOp3(int64_t arg) { return QO_PRIMARY(HostOp3(arg)); }
AAX_Result AAX_VHostServices::Trace(uint32_t priority, const char* text) { return QO_PRIMARY(Trace(priority, text)); }

AAX_Result HostTrace(uint32_t priority, const char* format, ...) {
  AAX_VHostServices* services = gHostServices;
  if (!services) return kAAXOk;
  char text[512];
  text[0] = 0;
  if (format) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
  }
  return services->Trace(priority, text);
}

// ---------------------------------------------------------------------------------------------
// Controller.

AAX_VController::AAX_VController(IACFUnknown* hostUnknown) {
  QueryHost(hostUnknown, AcfIds::kController, mPrimary);
  QueryHost(hostUnknown, AcfIds::kControllerV2, mSecondary);
}

AAX_Result AAX_VController::HostOp3(int64_t arg) { return QO_PRIMARY(HostOp3(arg)); }
AAX_Result AAX_VController::GetSampleRate(float* out) { return QO_PRIMARY(GetSampleRate(out)); }
AAX_Result AAX_VController::GetInputStemFormat(AAX_StemFormat* out) { return QO_PRIMARY(GetInputStemFormat(out)); }
AAX_Result AAX_VController::GetOutputStemFormat(AAX_StemFormat* out) { return QO_PRIMARY(GetOutputStemFormat(out)); }
AAX_Result AAX_VController::HostOp7(int64_t arg) { return QO_PRIMARY(HostOp7(arg)); }
AAX_Result AAX_VController::HostOp8(int64_t arg) { return QO_PRIMARY(HostOp8(arg)); }
AAX_Result AAX_VController::HostOp9(int64_t arg) { return QO_PRIMARY(HostOp9(arg)); }
AAX_Result AAX_VController::SetSignalLatency(int32_t samples) { return QO_PRIMARY(SetSignalLatency(samples)); }
AAX_Result AAX_VController::HostOp11(int64_t arg) { return QO_PRIMARY(HostOp11(arg)); }
AAX_Result AAX_VController::PostPacket(AAX_FieldIndex field, const void* data, uint32_t size) {
  return QO_PRIMARY(PostPacket(field, data, size));
}
AAX_Result AAX_VController::HostOp20(int64_t arg) { return QO_SECONDARY(HostOp20(arg)); }
AAX_Result AAX_VController::HostOp13(int64_t arg) { return QO_PRIMARY(HostOp13(arg)); }
AAX_Result AAX_VController::HostOp14(int64_t arg) { return QO_PRIMARY(HostOp14(arg)); }
AAX_Result AAX_VController::HostOp15(int64_t arg) { return QO_PRIMARY(HostOp15(arg)); }
AAX_Result AAX_VController::HostOp18(int64_t arg) { return QO_PRIMARY(HostOp18(arg)); }
AAX_Result AAX_VController::HostOp16(int64_t arg) { return QO_PRIMARY(HostOp16(arg)); }
AAX_Result AAX_VController::HostOp17(int64_t arg) { return QO_PRIMARY(HostOp17(arg)); }
AAX_Result AAX_VController::HostOp19(int64_t arg) { return QO_PRIMARY(HostOp19(arg)); }
AAX_Result AAX_VController::HostOp21(int64_t arg) { return QO_SECONDARY(HostOp21(arg)); }
AAX_Result AAX_VController::HostOp22(int64_t* out) {
  if (!mSecondary) {
    if (out) *out = 0;
    return kAAXNotImplemented;
  }
  return mSecondary->HostOp22(out);
}
AAX_Result AAX_VController::HostOp23(int64_t arg) { return QO_SECONDARY(HostOp23(arg)); }

// ---------------------------------------------------------------------------------------------
// Transport.

AAX_VTransport::AAX_VTransport(IACFUnknown* hostUnknown) {
  QueryHost(hostUnknown, AcfIds::kTransport, mPrimary);
  QueryHost(hostUnknown, AcfIds::kTransportV2, mSecondary);
}

void AAX_VTransport::Destroy() { delete this; }
AAX_Result AAX_VTransport::GetCurrentTempo(double* bpm) { return QO_PRIMARY(GetCurrentTempo(bpm)); }
AAX_Result AAX_VTransport::GetCurrentMeter(int32_t* numerator, int32_t* denominator) {
  return QO_PRIMARY(GetCurrentMeter(numerator, denominator));
}
AAX_Result AAX_VTransport::IsTransportPlaying(bool* playing) { return QO_PRIMARY(IsTransportPlaying(playing)); }
AAX_Result AAX_VTransport::GetCurrentTickPosition(int64_t* ticks) { return QO_PRIMARY(GetCurrentTickPosition(ticks)); }
AAX_Result AAX_VTransport::GetCurrentLoopPosition(bool* looping, int64_t* start, int64_t* end) {
  return QO_PRIMARY(GetCurrentLoopPosition(looping, start, end));
}
AAX_Result AAX_VTransport::GetCurrentNativeSampleLocation(int64_t* samples) {
  return QO_PRIMARY(GetCurrentNativeSampleLocation(samples));
}
AAX_Result AAX_VTransport::HostOp9(int64_t* out) { return QO_PRIMARY(HostOp9(out)); }
AAX_Result AAX_VTransport::HostOp10(int64_t* out) { return QO_PRIMARY(HostOp10(out)); }
AAX_Result AAX_VTransport::HostOp11(int64_t* out) { return QO_PRIMARY(HostOp11(out)); }
AAX_Result AAX_VTransport::HostOp12(int64_t* out) { return QO_PRIMARY(HostOp12(out)); }
AAX_Result AAX_VTransport::HostOp13(int64_t* out) { return QO_SECONDARY(HostOp13(out)); }
AAX_Result AAX_VTransport::HostOp14(int64_t* out) { return QO_SECONDARY(HostOp14(out)); }
AAX_Result AAX_VTransport::HostOp15(int64_t* out) { return QO_SECONDARY(HostOp15(out)); }
AAX_Result AAX_VTransport::HostOp16(int64_t* out) { return QO_SECONDARY(HostOp16(out)); }

// ---------------------------------------------------------------------------------------------
// Automation delegate.

AAX_VAutomationDelegate::AAX_VAutomationDelegate(IACFUnknown* hostUnknown) {
  QueryHost(hostUnknown, AcfIds::kAutomationDelegate, mPrimary);
}

AAX_Result AAX_VAutomationDelegate::EnrolParameter(const char* id) { return QO_PRIMARY(EnrolParameter(id)); }
AAX_Result AAX_VAutomationDelegate::WithdrawParameter(const char* id) { return QO_PRIMARY(WithdrawParameter(id)); }
AAX_Result AAX_VAutomationDelegate::RequestSetValue(const char* id, double normalized) {
  return QO_PRIMARY(RequestSetValue(id, normalized));
}
AAX_Result AAX_VAutomationDelegate::ReportValue(const char* id, double normalized) {
  return QO_PRIMARY(ReportValue(id, normalized));
}
AAX_Result AAX_VAutomationDelegate::RequestTouch(const char* id) { return QO_PRIMARY(RequestTouch(id)); }
AAX_Result AAX_VAutomationDelegate::RequestRelease(const char* id) { return QO_PRIMARY(RequestRelease(id)); }
AAX_Result AAX_VAutomationDelegate::HostOp9(const char* id, int64_t arg) { return QO_PRIMARY(HostOp9(id, arg)); }

bool AutomationDelegateConnected(AAX_IAutomationDelegate* delegate) {
  if (!delegate) return false;
  AAX_VAutomationDelegate* proxy = dynamic_cast<AAX_VAutomationDelegate*>(delegate);
  return !proxy || proxy->Primary() != nullptr;
}

// ---------------------------------------------------------------------------------------------
// View container.

AAX_VViewContainer::AAX_VViewContainer(IACFUnknown* hostUnknown) {
  if (hostUnknown) {
    void* found = nullptr;
    if (hostUnknown->QueryInterface(AcfIds::kViewContainer, &found) == kACFOk)
      mPrimary = static_cast<AAX_HostViewContainer*>(found);
  }
}

int32_t AAX_VViewContainer::HostOp3() { return mPrimary ? mPrimary->HostOp3() : 0; }
void* AAX_VViewContainer::GetNativeView() { return mPrimary ? mPrimary->GetNativeView() : nullptr; }
AAX_Result AAX_VViewContainer::HostOp5(int64_t arg) { return mPrimary ? mPrimary->HostOp5(arg) : kAAXNotImplemented; }
AAX_Result AAX_VViewContainer::SetViewSize(const AAX_Point& size) { return mPrimary ? mPrimary->SetViewSize(size) : 0; }
AAX_Result AAX_VViewContainer::HostOp7(int64_t arg) { return mPrimary ? mPrimary->HostOp7(arg) : kAAXNotImplemented; }
AAX_Result AAX_VViewContainer::HostOp8(int64_t arg) { return mPrimary ? mPrimary->HostOp8(arg) : kAAXNotImplemented; }
AAX_Result AAX_VViewContainer::HostOp9(int64_t arg) { return mPrimary ? mPrimary->HostOp9(arg) : kAAXNotImplemented; }
