#include "tests/aax/fakehost.h"

#include <cstdio>
#include <type_traits>
#include <typeinfo>

namespace fakehost {

std::string Render(int64_t v) { return std::to_string(v); }

std::string Render(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "d:%.17g", v);
  return text;
}

std::string RenderText(const char* s) { return s ? std::string("s:") + s : std::string("s:(null)"); }

std::string RenderPointer(const void* p) {
  char text[32];
  std::snprintf(text, sizeof text, "p:%llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
  return text;
}

std::string RenderId(const AcfID& id) {
  char text[64];
  std::snprintf(text, sizeof text, "id:{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(id.data1), id.data2, id.data3, id.data4[0], id.data4[1], id.data4[2],
                id.data4[3], id.data4[4], id.data4[5], id.data4[6], id.data4[7]);
  return text;
}

std::string RenderPoint(const AAX_Point& p) {
  char text[64];
  std::snprintf(text, sizeof text, "pt:%g,%g", p.vertical, p.horizontal);
  return text;
}

namespace {

template <typename T>
std::string ToArg(T v) {
  using D = std::remove_cv_t<std::remove_reference_t<T>>;
  if constexpr (std::is_same_v<D, const char*> || std::is_same_v<D, char*>) {
    return RenderText(v);
  } else if constexpr (std::is_same_v<D, AcfID>) {
    return RenderId(v);
  } else if constexpr (std::is_same_v<D, AAX_Point>) {
    return RenderPoint(v);
  } else if constexpr (std::is_floating_point_v<D>) {
    return Render(static_cast<double>(v));
  } else if constexpr (std::is_integral_v<D>) {
    return Render(static_cast<int64_t>(v));
  } else if constexpr (std::is_pointer_v<D> && std::is_function_v<std::remove_pointer_t<D>>) {
    return RenderPointer(reinterpret_cast<const void*>(v));
  } else {
    return RenderPointer(static_cast<const void*>(v));
  }
}

template <typename R>
R ResultAs(FakeObject* o, int slot) {
  if constexpr (std::is_void_v<R>) {
    return;
  } else if constexpr (std::is_same_v<R, bool>) {
    auto it = o->results.find(slot);
    return it == o->results.end() ? true : it->second != 0;
  } else {
    return static_cast<R>(o->Result(slot));
  }
}

// A slot that logs its arguments and answers the object's result for the slot.
template <int Slot, typename R, typename... A>
R Rec(RawObject* self, A... a) {
  FakeObject* o = self->owner;
  o->Log(Slot, {ToArg<A>(a)...});
  return ResultAs<R>(o, Slot);
}

// Beyond the last slot of an interface: logged as a call of that slot number without arguments.
template <int Slot>
int32_t Trap(RawObject* self) {
  self->owner->Log(Slot, {"(beyond the interface)"});
  return -999;
}

std::pair<const AcfID*, const AcfID*> IdsOf(Kind kind) {
  switch (kind) {
    case Kind::Factory: return {&AcfIds::kComponentFactory, nullptr};
    // A collection also answers the plug-in definition (which the module hands the host after
    // registering); refusing the secondary refuses that.
    case Kind::Collection: return {&AcfIds::kCollection, &AcfIds::kPluginDefinition};
    case Kind::EffectDescriptor: return {&AcfIds::kEffectDescriptor, &AcfIds::kEffectDescriptorV2};
    case Kind::ComponentDescriptor: return {&AcfIds::kComponentDescriptor, &AcfIds::kComponentDescriptorV2};
    case Kind::PropertyMap: return {&AcfIds::kPropertyMap, &AcfIds::kPropertyMapV2};
    case Kind::HostServices: return {&AcfIds::kHostServices, nullptr};
    case Kind::Controller: return {&AcfIds::kController, &AcfIds::kControllerV2};
    case Kind::Transport: return {&AcfIds::kTransport, &AcfIds::kTransportV2};
    case Kind::Automation: return {&AcfIds::kAutomationDelegate, nullptr};
    case Kind::ViewContainer: return {&AcfIds::kViewContainer, nullptr};
    default: return {nullptr, nullptr};
  }
}

// Whether the object answers the identifier (its own primary or secondary, unless refused).
bool Answers(FakeObject* o, const AcfID& iid) {
  auto ids = IdsOf(o->kind);
  if (ids.first && iid == *ids.first) return !o->refusePrimary;
  if (ids.second && iid == *ids.second) return !o->refuseSecondary;
  return false;
}

ACFResult Query(RawObject* self, const AcfID& iid, void** out) {
  FakeObject* o = self->owner;
  o->Log(0, {RenderId(iid)});
  if (!out) return kACFNullPointer;
  *out = nullptr;
  for (auto& forward : o->forwards)
    if (forward.first == iid) return forward.second->QueryInterface(iid, out);
  FakeObject* found = nullptr;
  if (iid == AcfIds::kUnknown || Answers(o, iid)) {
    found = o;
  } else {
    for (auto& answer : o->answers) {
      if (answer.first != iid) continue;
      if (!answer.second) return kACFOk;  // success with a null object
      if (Answers(answer.second, iid)) found = answer.second;
      break;
    }
  }
  if (!found) return kACFNoInterface;
  found->mRefs.fetch_add(1);
  *out = found->As<void>();
  return kACFOk;
}

uint32_t AddRef(RawObject* self) {
  const int count = self->owner->mRefs.fetch_add(1) + 1;
  self->owner->Log(1, {Render(static_cast<int64_t>(count))});
  return static_cast<uint32_t>(count);
}

uint32_t Release(RawObject* self) {
  const int count = self->owner->mRefs.fetch_sub(1) - 1;
  if (count < 0) self->owner->overReleased = true;
  self->owner->Log(2, {Render(static_cast<int64_t>(count))});
  return static_cast<uint32_t>(count);
}

Kind KindOfClass(const AcfID& classId) {
  if (classId == AcfIds::kCollectionClass) return Kind::Collection;
  if (classId == AcfIds::kEffectDescriptorClass) return Kind::EffectDescriptor;
  if (classId == AcfIds::kComponentDescriptorClass) return Kind::ComponentDescriptor;
  if (classId == AcfIds::kPropertyMapClass) return Kind::PropertyMap;
  if (classId == AcfIds::kHostServicesClass) return Kind::HostServices;
  return Kind::Unknown;
}

const char* BaseName(Kind kind) {
  switch (kind) {
    case Kind::Collection: return "collection";
    case Kind::EffectDescriptor: return "effect";
    case Kind::ComponentDescriptor: return "component";
    case Kind::PropertyMap: return "map";
    case Kind::HostServices: return "services";
    default: return "object";
  }
}

ACFResult CreateInstance(RawObject* self, const AcfID& classId, IACFUnknown* outer, const AcfID& iid, void** out) {
  FakeObject* o = self->owner;
  o->Log(3, {RenderId(classId), RenderPointer(outer), RenderId(iid)});
  if (!out) return kACFNullPointer;
  *out = nullptr;
  const Kind kind = KindOfClass(classId);
  if (kind == Kind::Unknown) return kACFNoInterface;
  FakeObject* created = o->host->NewObject(kind, "");
  created->refusePrimary = o->host->RefusedOnCreate(kind, false);
  created->refuseSecondary = o->host->RefusedOnCreate(kind, true);
  created->succeed = o->host->createSucceeding;
  auto preset = o->host->createResults.find(kind);
  if (preset != o->host->createResults.end()) created->results = preset->second;
  if (!Answers(created, iid) || iid != *IdsOf(kind).first) return kACFNoInterface;
  created->mRefs.fetch_add(1);
  *out = created->As<void>();
  return kACFOk;
}

bool GetProperty(RawObject* self, AAX_PropertyId id, AAX_PropertyValue* out) {
  FakeObject* o = self->owner;
  o->Log(3, {Render(static_cast<int64_t>(id)), RenderPointer(out)});
  auto it = o->properties.find(id);
  if (it == o->properties.end()) return false;
  if (out) *out = it->second;
  return true;
}

AAX_Result AddProperty(RawObject* self, AAX_PropertyId id, AAX_PropertyValue value) {
  FakeObject* o = self->owner;
  o->Log(4, {Render(static_cast<int64_t>(id)), Render(static_cast<int64_t>(value))});
  o->properties[id] = value;
  return static_cast<AAX_Result>(o->Result(4));
}

template <int Slot, typename T, T FakeObject::*Member>
AAX_Result WriteOut(RawObject* self, T* out) {
  FakeObject* o = self->owner;
  o->Log(Slot, {RenderPointer(out)});
  if (out) *out = o->*Member;
  return static_cast<AAX_Result>(o->Result(Slot));
}

template <int Slot>
AAX_Result GetMeter(RawObject* self, int32_t* numerator, int32_t* denominator) {
  FakeObject* o = self->owner;
  o->Log(Slot, {RenderPointer(numerator), RenderPointer(denominator)});
  if (numerator) *numerator = o->meterNumerator;
  if (denominator) *denominator = o->meterDenominator;
  return static_cast<AAX_Result>(o->Result(Slot));
}

template <int Slot>
AAX_Result GetLoop(RawObject* self, bool* looping, int64_t* start, int64_t* end) {
  FakeObject* o = self->owner;
  o->Log(Slot, {RenderPointer(looping), RenderPointer(start), RenderPointer(end)});
  if (looping) *looping = o->looping;
  if (start) *start = o->loopStart;
  if (end) *end = o->loopEnd;
  return static_cast<AAX_Result>(o->Result(Slot));
}

void* GetNativeView(RawObject* self) {
  self->owner->Log(4, {});
  return self->owner->nativeView;
}

AAX_MidiStream* GetNodeBuffer(RawObject* self) {
  self->owner->Log(1, {});
  return self->owner->midiStream;
}

AAX_ITransport* GetTransport(RawObject* self) {
  self->owner->Log(3, {});
  return self->owner->transport;
}

class Table {
public:
  explicit Table(std::vector<const void*>& t) : mT(t) {}
  template <typename F>
  void Put(int slot, F* fn) {
    if (mT.size() < static_cast<size_t>(slot) + 3) mT.resize(static_cast<size_t>(slot) + 3, nullptr);
    mT[static_cast<size_t>(slot) + 2] = reinterpret_cast<const void*>(fn);
  }
  void Unknown() {
    Put(0, &Query);
    Put(1, &AddRef);
    Put(2, &Release);
  }

private:
  std::vector<const void*>& mT;
};

typedef int64_t L;  // the placeholder slots' argument

// The transport operations at their slots, from `first` (3 on the queried transport, 1 on the render
// transport).
template <int First>
void TransportSlots(Table& t) {
  t.Put(First + 0, &WriteOut<First + 0, double, &FakeObject::tempo>);
  t.Put(First + 1, &GetMeter<First + 1>);
  t.Put(First + 2, &WriteOut<First + 2, bool, &FakeObject::playing>);
  t.Put(First + 3, &WriteOut<First + 3, int64_t, &FakeObject::ticks>);
  t.Put(First + 4, &GetLoop<First + 4>);
  t.Put(First + 5, &WriteOut<First + 5, int64_t, &FakeObject::samples>);
}

const std::type_info& Build(Kind kind, std::vector<const void*>& slots) {
  Table t(slots);
  switch (kind) {
    case Kind::Unknown:
      t.Unknown();
      return typeid(IACFUnknown);
    case Kind::Factory:
      t.Unknown();
      t.Put(3, &CreateInstance);
      return typeid(AAX_HostComponentFactory);
    case Kind::Collection:
      t.Unknown();
      t.Put(3, &Rec<3, AAX_Result, L>);
      t.Put(4, &Rec<4, AAX_Result, L>);
      t.Put(5, &Rec<5, AAX_Result, L>);
      t.Put(6, &Rec<6, AAX_Result, L>);
      t.Put(7, &Rec<7, AAX_Result, const char*, void*>);
      t.Put(8, &Rec<8, AAX_Result, const char*>);
      t.Put(9, &Rec<9, AAX_Result, const char*>);
      t.Put(10, &Rec<10, AAX_Result, uint32_t>);
      t.Put(11, &Rec<11, AAX_Result, void*>);
      return typeid(AAX_HostCollection);
    case Kind::EffectDescriptor:
      t.Unknown();
      t.Put(3, &Rec<3, AAX_Result, void*>);
      t.Put(4, &Rec<4, AAX_Result, const char*>);
      t.Put(5, &Rec<5, AAX_Result, uint32_t>);
      t.Put(6, &Rec<6, AAX_Result, L>);
      t.Put(7, &Rec<7, AAX_Result, AAX_CreateProcedure, uint32_t>);
      t.Put(8, &Rec<8, AAX_Result, void*>);
      t.Put(9, &Rec<9, AAX_Result, L>);
      t.Put(10, &Rec<10, AAX_Result, L, L, L, void*>);
      t.Put(11, &Rec<11, AAX_Result, L>);
      return typeid(AAX_HostEffectDescriptorV2);
    case Kind::ComponentDescriptor:
      t.Unknown();
      t.Put(3, &Rec<3, AAX_Result, L>);
      t.Put(4, &Rec<4, AAX_Result, L>);
      t.Put(5, &Rec<5, AAX_Result, int32_t>);
      t.Put(6, &Rec<6, AAX_Result, int32_t>);
      t.Put(7, &Rec<7, AAX_Result, int32_t>);
      t.Put(8, &Rec<8, AAX_Result, L>);
      t.Put(9, &Rec<9, AAX_Result, L>);
      t.Put(10, &Rec<10, AAX_Result, L>);
      t.Put(11, &Rec<11, AAX_Result, L>);
      t.Put(12, &Rec<12, AAX_Result, L>);
      t.Put(13, &Rec<13, AAX_Result, int32_t, uint32_t, uint32_t>);
      t.Put(14, &Rec<14, AAX_Result, L>);
      t.Put(15, &Rec<15, AAX_Result, int32_t, uint32_t, const char*, uint32_t>);
      t.Put(16, &Rec<16, AAX_Result, AAX_ProcessProcedure, void*, AAX_InstanceInitProcedure, AAX_BackgroundProcedure>);
      t.Put(17, &Rec<17, AAX_Result, L, L, L, void*>);
      t.Put(18, &Rec<18, AAX_Result, int32_t, const uint32_t*, uint32_t>);
      t.Put(19, &Rec<19, AAX_Result, L>);
      return typeid(AAX_HostComponentDescriptorV2);
    case Kind::PropertyMap:
      t.Unknown();
      t.Put(3, &GetProperty);
      t.Put(4, &AddProperty);
      t.Put(5, &Rec<5, AAX_Result, L>);
      t.Put(6, &Rec<6, AAX_Result, L>);
      t.Put(7, &Rec<7, bool, L>);
      return typeid(AAX_HostPropertyMapV2);
    case Kind::HostServices:
      t.Unknown();
      t.Put(3, &Rec<3, AAX_Result, L>);
      t.Put(4, &Rec<4, AAX_Result, uint32_t, const char*>);
      return typeid(AAX_HostServices);
    case Kind::Controller:
      t.Unknown();
      t.Put(3, &Rec<3, AAX_Result, L>);
      t.Put(4, &WriteOut<4, float, &FakeObject::sampleRate>);
      t.Put(5, &WriteOut<5, AAX_StemFormat, &FakeObject::inputStem>);
      t.Put(6, &WriteOut<6, AAX_StemFormat, &FakeObject::outputStem>);
      t.Put(7, &Rec<7, AAX_Result, L>);
      t.Put(8, &Rec<8, AAX_Result, L>);
      t.Put(9, &Rec<9, AAX_Result, L>);
      t.Put(10, &Rec<10, AAX_Result, int32_t>);
      t.Put(11, &Rec<11, AAX_Result, L>);
      t.Put(12, &Rec<12, AAX_Result, int32_t, const void*, uint32_t>);
      t.Put(13, &Rec<13, AAX_Result, L>);
      t.Put(14, &Rec<14, AAX_Result, L>);
      t.Put(15, &Rec<15, AAX_Result, L>);
      t.Put(16, &Rec<16, AAX_Result, L>);
      t.Put(17, &Rec<17, AAX_Result, L>);
      t.Put(18, &Rec<18, AAX_Result, L>);
      t.Put(19, &Rec<19, AAX_Result, L>);
      t.Put(20, &Rec<20, AAX_Result, L>);
      t.Put(21, &Rec<21, AAX_Result, L>);
      t.Put(22, &Rec<22, AAX_Result, int64_t*>);
      t.Put(23, &Rec<23, AAX_Result, L>);
      return typeid(AAX_HostControllerV2);
    case Kind::Transport:
      t.Unknown();
      TransportSlots<3>(t);
      t.Put(9, &Rec<9, AAX_Result, int64_t*>);
      t.Put(10, &Rec<10, AAX_Result, int64_t*>);
      t.Put(11, &Rec<11, AAX_Result, int64_t*>);
      t.Put(12, &Rec<12, AAX_Result, int64_t*>);
      t.Put(13, &Rec<13, AAX_Result, int64_t*>);
      t.Put(14, &Rec<14, AAX_Result, int64_t*>);
      t.Put(15, &Rec<15, AAX_Result, int64_t*>);
      t.Put(16, &Rec<16, AAX_Result, int64_t*>);
      return typeid(AAX_HostTransportV2);
    case Kind::Automation:
      t.Unknown();
      t.Put(3, &Rec<3, AAX_Result, const char*>);
      t.Put(4, &Rec<4, AAX_Result, const char*>);
      t.Put(5, &Rec<5, AAX_Result, const char*, double>);
      t.Put(6, &Rec<6, AAX_Result, const char*, double>);
      t.Put(7, &Rec<7, AAX_Result, const char*>);
      t.Put(8, &Rec<8, AAX_Result, const char*>);
      t.Put(9, &Rec<9, AAX_Result, const char*, L>);
      return typeid(AAX_HostAutomation);
    case Kind::ViewContainer:
      t.Unknown();
      t.Put(3, &Rec<3, int32_t>);
      t.Put(4, &GetNativeView);
      t.Put(5, &Rec<5, AAX_Result, L>);
      t.Put(6, &Rec<6, AAX_Result, const AAX_Point&>);
      t.Put(7, &Rec<7, AAX_Result, L>);
      t.Put(8, &Rec<8, AAX_Result, L>);
      t.Put(9, &Rec<9, AAX_Result, L>);
      return typeid(AAX_HostViewContainer);
    case Kind::RenderTransport:
      t.Put(0, &Rec<0, void>);
      TransportSlots<1>(t);
      t.Put(7, &Rec<7, AAX_Result, int64_t*>);
      t.Put(8, &Rec<8, AAX_Result, int64_t*>);
      t.Put(9, &Rec<9, AAX_Result, int64_t*>);
      t.Put(10, &Rec<10, AAX_Result, int64_t*>);
      t.Put(11, &Rec<11, AAX_Result, int64_t*>);
      t.Put(12, &Rec<12, AAX_Result, int64_t*>);
      t.Put(13, &Rec<13, AAX_Result, int64_t*>);
      t.Put(14, &Rec<14, AAX_Result, int64_t*>);
      return typeid(AAX_ITransport);
    case Kind::MidiNode:
      t.Put(0, &Rec<0, void>);
      t.Put(1, &GetNodeBuffer);
      t.Put(2, &Rec<2, AAX_Result, L>);
      t.Put(3, &Rec<3, AAX_Result, L>);
      return typeid(AAX_HostMidiNode);
    case Kind::TransportNode:
      t.Put(0, &Rec<0, void>);
      t.Put(1, &Rec<1, AAX_Result, L>);
      t.Put(2, &Rec<2, AAX_Result, L>);
      t.Put(3, &GetTransport);
      return typeid(AAX_HostTransportNode);
  }
  return typeid(IACFUnknown);
}

}  // namespace

FakeObject::FakeObject(FakeHost* h, Kind k, std::string n) : host(h), kind(k), name(std::move(n)) {
  std::vector<const void*> table(2, nullptr);
  const std::type_info& type = Build(kind, table);
  // Entries past the interface's end catch a call beyond it.
  const size_t end = table.size() - 2;
  Table extra(table);
  extra.Put(static_cast<int>(end), &Trap<-2>);
  extra.Put(static_cast<int>(end + 1), &Trap<-2>);
  table[0] = nullptr;  // offset to top
  table[1] = &type;
  mTable = std::move(table);
  mRaw.vtbl = mTable.data() + 2;
  mRaw.owner = this;
}

int64_t FakeObject::Result(int slot) const {
  auto it = results.find(slot);
  if (it != results.end()) return it->second;
  return succeed ? 0 : 100 + slot;
}

void FakeObject::Log(int slot, std::vector<std::string> args) {
  host->log.push_back(Call{name, slot, std::move(args)});
  if (onCall) onCall(slot);
}

FakeHost::FakeHost() {
  unknown = NewObject(Kind::Unknown, "unknown");
  factory = NewObject(Kind::Factory, "factory");
  controller = NewObject(Kind::Controller, "controller");
  transport = NewObject(Kind::Transport, "transport");
  automation = NewObject(Kind::Automation, "automation");
  viewUnknown = NewObject(Kind::Unknown, "viewunknown");
  viewContainer = NewObject(Kind::ViewContainer, "view");
  unknown->answers = {{AcfIds::kComponentFactory, factory},  {AcfIds::kController, controller},
                      {AcfIds::kControllerV2, controller},   {AcfIds::kTransport, transport},
                      {AcfIds::kTransportV2, transport},     {AcfIds::kAutomationDelegate, automation}};
  viewUnknown->answers = {{AcfIds::kViewContainer, viewContainer}};
}

FakeHost::~FakeHost() = default;

FakeObject* FakeHost::NewObject(Kind kind, const std::string& name) {
  std::string n = name;
  if (n.empty()) n = BaseName(kind) + std::to_string(++mCreatedCount[static_cast<int>(kind)]);
  mObjects.push_back(std::make_unique<FakeObject>(this, kind, n));
  return mObjects.back().get();
}

std::vector<FakeObject*> FakeHost::Created(Kind kind) const {
  std::vector<FakeObject*> found;
  for (auto& o : mObjects)
    if (o->kind == kind && o.get() != factory) found.push_back(o.get());
  return found;
}

void FakeHost::SetNullFactory() {
  for (auto& answer : unknown->answers)
    if (answer.first == AcfIds::kComponentFactory) answer.second = nullptr;
}

void FakeHost::RefuseOnCreate(Kind kind, bool primary, bool secondary) {
  mRefuseOnCreate[static_cast<int>(kind)] = {primary, secondary};
}

bool FakeHost::RefusedOnCreate(Kind kind, bool secondary) const {
  auto it = mRefuseOnCreate.find(static_cast<int>(kind));
  if (it == mRefuseOnCreate.end()) return false;
  return secondary ? it->second.second : it->second.first;
}

std::string FakeHost::Leaks() const {
  std::string leaks;
  for (auto& o : mObjects)
    if (o->Refs() != 0 || o->overReleased)
      leaks += o->name + "=" + std::to_string(o->Refs()) + (o->overReleased ? "(over-released) " : " ");
  return leaks;
}

std::vector<Call> FakeHost::CallsTo(const std::string& object) const {
  std::vector<Call> found;
  for (const Call& c : log)
    if (c.object == object) found.push_back(c);
  return found;
}

}  // namespace fakehost
