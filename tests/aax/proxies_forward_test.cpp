// Every forwarded proxy operation, table-driven: it lands on the host slot of the proxy tables with
// its arguments unchanged and returns the host's result; without the interface it answers the fixed
// result and never reaches the host. The fake host's method tables are arrays built from the host
// slot numbers, so a declaration on the wrong slot shows as a call of another slot.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "aax/aaxproxies.h"
#include "tests/aax/fakehost.h"

using namespace fakehost;

namespace {

IACFUnknown* TestCreate() { return nullptr; }
void TestProcess(void* const*, void* const*) {}

enum class Mode { Full, NoSecondary, Nothing };

// All proxies on one fake host.
struct Rig {
  explicit Rig(Mode mode) {
    if (mode != Mode::Full) {
      const bool primary = mode == Mode::Nothing;
      for (Kind k : {Kind::Collection, Kind::EffectDescriptor, Kind::ComponentDescriptor, Kind::PropertyMap,
                     Kind::HostServices})
        host.RefuseOnCreate(k, primary, true);
      for (FakeObject* o : {host.controller, host.transport, host.automation, host.viewContainer}) {
        o->refusePrimary = primary;
        o->refuseSecondary = true;
      }
    }
    IACFUnknown* unknown = host.unknown->Unknown();
    collection = std::make_unique<AAX_VCollection>(unknown);
    effect = collection->CreateEffectDescriptor();
    component = effect->CreateComponentDescriptor();
    map = component->CreatePropertyMap();
    services = std::make_unique<AAX_VHostServices>(unknown);
    controller = std::make_unique<AAX_VController>(unknown);
    transport = std::make_unique<AAX_VTransport>(unknown);
    automation = std::make_unique<AAX_VAutomationDelegate>(unknown);
    view = std::make_unique<AAX_VViewContainer>(host.viewUnknown->Unknown());
    host.viewContainer->nativeView = reinterpret_cast<void*>(0x1234);
    if (mode == Mode::Full) host.Created(Kind::PropertyMap)[0]->properties[77] = 5;
  }

  // Proxy arguments as the host should see them: the proxies' host objects.
  std::string Substitute(const std::string& arg) {
    auto hostOf = [&](Kind k) { return RenderPointer(host.Created(k)[0]->As<void>()); };
    if (arg == "EFFECT") return hostOf(Kind::EffectDescriptor);
    if (arg == "COMPONENT") return hostOf(Kind::ComponentDescriptor);
    if (arg == "MAP") return hostOf(Kind::PropertyMap);
    return arg;
  }

  FakeHost host;
  std::unique_ptr<AAX_VCollection> collection;
  AAX_IEffectDescriptor* effect;
  AAX_IComponentDescriptor* component;
  AAX_IPropertyMap* map;
  std::unique_ptr<AAX_VHostServices> services;
  std::unique_ptr<AAX_VController> controller;
  std::unique_ptr<AAX_VTransport> transport;
  std::unique_ptr<AAX_VAutomationDelegate> automation;
  std::unique_ptr<AAX_VViewContainer> view;
};

// Out arguments shared by every rig, so their addresses are known when the table is written.
struct Outs {
  float rate;
  AAX_StemFormat stem;
  double tempo;
  int32_t num, den;
  bool flag;
  int64_t a, b, c;
  AAX_PropertyValue value;
  uint32_t meterIds[2] = {11, 12};
  uint8_t packet[16];
};

struct Forward {
  const char* what;
  std::string object;  // the host object
  int slot;            // its host slot
  std::vector<std::string> args;
  bool secondary;      // a slot of the secondary interface
  int64_t missing;     // the answer without the interface
  std::function<int64_t(Rig&)> call;
  int64_t hostResult;  // the host's answer (100 + slot unless said otherwise)
};

std::vector<Forward> Table(Outs& o) {
  const int64_t kNoHost = -20004, kNotImpl = -20009;
  auto P = [](const void* p) { return RenderPointer(p); };
  auto F = [](const void* p) { return RenderPointer(p); };
  const std::string kNull = RenderPointer(nullptr);
  std::vector<Forward> t = {
      // Collection (slots 2 to 5 and 7).
      {"RegisterEffect", "collection1", 7, {"s:com.Quibel.aax.QuibelOmbrelux", "EFFECT"}, false, kNoHost,
       [](Rig& r) { return r.collection->RegisterEffect("com.Quibel.aax.QuibelOmbrelux", r.effect); }, 0},
      {"AddMakerName", "collection1", 8, {"s:Quibel"}, false, kNoHost,
       [](Rig& r) { return r.collection->AddMakerName("Quibel"); }, 0},
      {"AddProductName", "collection1", 9, {"s:QuibelOmbrelux"}, false, kNoHost,
       [](Rig& r) { return r.collection->AddProductName("QuibelOmbrelux"); }, 0},
      {"SetPackageVersionNumber", "collection1", 10, {"65537"}, false, kNoHost,
       [](Rig& r) { return r.collection->SetPackageVersionNumber(0x00010001); }, 0},
      {"collection AttachProperties", "collection1", 11, {"MAP"}, false, kNoHost,
       [](Rig& r) { return r.collection->AttachProperties(r.map); }, 0},
      {"collection AttachProperties null", "collection1", 11, {kNull}, false, kNoHost,
       [](Rig& r) { return r.collection->AttachProperties(nullptr); }, 0},
      // Effect descriptor.
      {"AddComponentDescriptor", "effect1", 3, {"COMPONENT"}, false, kNoHost,
       [](Rig& r) { return r.effect->AddComponentDescriptor(r.component); }, 0},
      {"AddEffectName", "effect1", 4, {"s:QuibelOmbrelux"}, false, kNoHost,
       [](Rig& r) { return r.effect->AddEffectName("QuibelOmbrelux"); }, 0},
      {"SetEffectCategory", "effect1", 5, {"2"}, false, kNoHost, [](Rig& r) { return r.effect->SetEffectCategory(2); }, 0},
      {"effect op 6", "effect1", 6, {"-6"}, false, kNoHost, [](Rig& r) { return r.effect->HostOp6(-6); }, 0},
      {"AddCreateProcedure", "effect1", 7, {F(reinterpret_cast<const void*>(&TestCreate)), "1"}, false, kNoHost,
       [](Rig& r) { return r.effect->AddCreateProcedure(&TestCreate, 1); }, 0},
      {"effect AttachProperties", "effect1", 8, {"MAP"}, false, kNoHost,
       [](Rig& r) { return r.effect->AttachProperties(r.map); }, 0},
      {"effect op 9", "effect1", 9, {"9"}, false, kNoHost, [](Rig& r) { return r.effect->HostOp9(9); }, 0},
      {"effect op 10", "effect1", 10, {"1", "2", "3", "MAP"}, false, kNoHost,
       [](Rig& r) { return r.effect->HostOp10(1, 2, 3, r.map); }, 0},
      {"effect op 11", "effect1", 11, {"11"}, true, kNotImpl, [](Rig& r) { return r.effect->HostOp11(11); }, 0},
      // Component descriptor.
      {"component op 3", "component1", 3, {"33"}, false, kNoHost, [](Rig& r) { return r.component->HostOp3(33); }, 0},
      {"AddAudioInput", "component1", 5, {"0"}, false, kNoHost, [](Rig& r) { return r.component->AddAudioInput(0); }, 0},
      {"AddAudioOutput", "component1", 6, {"1"}, false, kNoHost, [](Rig& r) { return r.component->AddAudioOutput(1); }, 0},
      {"AddBufferLengthField", "component1", 7, {"3"}, false, kNoHost,
       [](Rig& r) { return r.component->AddBufferLengthField(3); }, 0},
      {"component op 8", "component1", 8, {"8"}, false, kNoHost, [](Rig& r) { return r.component->HostOp8(8); }, 0},
      {"component op 9", "component1", 9, {"9"}, false, kNoHost, [](Rig& r) { return r.component->HostOp9(9); }, 0},
      {"component op 10", "component1", 10, {"10"}, false, kNoHost, [](Rig& r) { return r.component->HostOp10(10); }, 0},
      {"component op 11", "component1", 11, {"-11"}, false, kNoHost, [](Rig& r) { return r.component->HostOp11(-11); }, 0},
      {"component op 12", "component1", 12, {"12"}, false, kNoHost, [](Rig& r) { return r.component->HostOp12(12); }, 0},
      {"AddPrivateDataField", "component1", 13, {"8", "8", "0"}, false, kNoHost,
       [](Rig& r) { return r.component->AddPrivateDataField(8, 8, 0); }, 0},
      {"component op 19", "component1", 19, {"19"}, true, kNotImpl, [](Rig& r) { return r.component->HostOp19(19); }, 0},
      {"component op 14", "component1", 14, {"14"}, false, kNoHost, [](Rig& r) { return r.component->HostOp14(14); }, 0},
      {"AddMeterField", "component1", 18, {"9", P(o.meterIds), "2"}, false, kNoHost,
       [&o](Rig& r) { return r.component->AddMeterField(9, o.meterIds, 2); }, 0},
      {"AddMidiNodeField", "component1", 15, {"7", "3", "s:Transport", "65535"}, false, kNoHost,
       [](Rig& r) { return r.component->AddMidiNodeField(7, 3, "Transport", 0xFFFF); }, 0},
      {"component op 4", "component1", 4, {"4"}, false, kNoHost, [](Rig& r) { return r.component->HostOp4(4); }, 0},
      {"AddProcessProcedure", "component1", 16, {F(reinterpret_cast<const void*>(&TestProcess)), "MAP", kNull, kNull},
       false, kNoHost, [](Rig& r) { return r.component->AddProcessProcedure(&TestProcess, r.map, nullptr, nullptr); }, 0},
      {"component op 17", "component1", 17, {"4", "5", "6", "MAP"}, false, kNoHost,
       [](Rig& r) { return r.component->HostOp17(4, 5, 6, r.map); }, 0},
      // Property map (GetProperty and op 7 answer a bool; property 77 is stored in the full rig).
      {"GetProperty", "map1", 3, {"77", P(&o.value)}, false, 0,
       [&o](Rig& r) { return static_cast<int64_t>(r.map->GetProperty(77, &o.value)); }, 1},
      {"AddProperty", "map1", 4, {"51", "65538"}, false, kNoHost, [](Rig& r) { return r.map->AddProperty(51, 0x00010002); }, 0},
      {"map op 5", "map1", 5, {"5"}, false, kNoHost, [](Rig& r) { return r.map->HostOp5(5); }, 0},
      {"map op 6", "map1", 6, {"6"}, true, kNotImpl, [](Rig& r) { return r.map->HostOp6(6); }, 0},
      {"map op 7", "map1", 7, {"7"}, true, 0, [](Rig& r) { return static_cast<int64_t>(r.map->HostOp7(7)); }, 1},
      // Host services.
      {"services op 3", "services1", 3, {"3"}, false, kNoHost, [](Rig& r) { return r.services->HostOp3(3); }, 0},
      {"Trace", "services1", 4, {"134217728", "s:hello"}, false, kNoHost,
       [](Rig& r) { return r.services->Trace(0x8000000, "hello"); }, 0},
      // Controller, proxy slots 1 to 21.
      {"controller op 3", "controller", 3, {"3"}, false, kNoHost, [](Rig& r) { return r.controller->HostOp3(3); }, 0},
      {"GetSampleRate", "controller", 4, {P(&o.rate)}, false, kNoHost,
       [&o](Rig& r) { return r.controller->GetSampleRate(&o.rate); }, 0},
      {"GetInputStemFormat", "controller", 5, {P(&o.stem)}, false, kNoHost,
       [&o](Rig& r) { return r.controller->GetInputStemFormat(&o.stem); }, 0},
      {"GetOutputStemFormat", "controller", 6, {P(&o.stem)}, false, kNoHost,
       [&o](Rig& r) { return r.controller->GetOutputStemFormat(&o.stem); }, 0},
      {"controller op 7", "controller", 7, {"7"}, false, kNoHost, [](Rig& r) { return r.controller->HostOp7(7); }, 0},
      {"controller op 8", "controller", 8, {"8"}, false, kNoHost, [](Rig& r) { return r.controller->HostOp8(8); }, 0},
      {"controller op 9", "controller", 9, {"9"}, false, kNoHost, [](Rig& r) { return r.controller->HostOp9(9); }, 0},
      {"SetSignalLatency", "controller", 10, {"-12"}, false, kNoHost,
       [](Rig& r) { return r.controller->SetSignalLatency(-12); }, 0},
      {"controller op 11", "controller", 11, {"11"}, false, kNoHost, [](Rig& r) { return r.controller->HostOp11(11); }, 0},
      {"PostPacket", "controller", 12, {"4", P(o.packet), "16"}, false, kNoHost,
       [&o](Rig& r) { return r.controller->PostPacket(4, o.packet, 16); }, 0},
      {"controller op 20", "controller", 20, {"20"}, true, kNotImpl, [](Rig& r) { return r.controller->HostOp20(20); }, 0},
      {"controller op 13", "controller", 13, {"13"}, false, kNoHost, [](Rig& r) { return r.controller->HostOp13(13); }, 0},
      {"controller op 14", "controller", 14, {"14"}, false, kNoHost, [](Rig& r) { return r.controller->HostOp14(14); }, 0},
      {"controller op 15", "controller", 15, {"15"}, false, kNoHost, [](Rig& r) { return r.controller->HostOp15(15); }, 0},
      {"controller op 18", "controller", 18, {"18"}, false, kNoHost, [](Rig& r) { return r.controller->HostOp18(18); }, 0},
      {"controller op 16", "controller", 16, {"16"}, false, kNoHost, [](Rig& r) { return r.controller->HostOp16(16); }, 0},
      {"controller op 17", "controller", 17, {"17"}, false, kNoHost, [](Rig& r) { return r.controller->HostOp17(17); }, 0},
      {"controller op 19", "controller", 19, {"19"}, false, kNoHost, [](Rig& r) { return r.controller->HostOp19(19); }, 0},
      {"controller op 21", "controller", 21, {"21"}, true, kNotImpl, [](Rig& r) { return r.controller->HostOp21(21); }, 0},
      {"controller op 22", "controller", 22, {P(&o.a)}, true, kNotImpl,
       [&o](Rig& r) { return r.controller->HostOp22(&o.a); }, 0},
      {"controller op 23", "controller", 23, {"23"}, true, kNotImpl, [](Rig& r) { return r.controller->HostOp23(23); }, 0},
      // Transport, proxy slots 1 to 14.
      {"GetCurrentTempo", "transport", 3, {P(&o.tempo)}, false, kNoHost,
       [&o](Rig& r) { return r.transport->GetCurrentTempo(&o.tempo); }, 0},
      {"GetCurrentMeter", "transport", 4, {P(&o.num), P(&o.den)}, false, kNoHost,
       [&o](Rig& r) { return r.transport->GetCurrentMeter(&o.num, &o.den); }, 0},
      {"IsTransportPlaying", "transport", 5, {P(&o.flag)}, false, kNoHost,
       [&o](Rig& r) { return r.transport->IsTransportPlaying(&o.flag); }, 0},
      {"GetCurrentTickPosition", "transport", 6, {P(&o.a)}, false, kNoHost,
       [&o](Rig& r) { return r.transport->GetCurrentTickPosition(&o.a); }, 0},
      {"GetCurrentLoopPosition", "transport", 7, {P(&o.flag), P(&o.a), P(&o.b)}, false, kNoHost,
       [&o](Rig& r) { return r.transport->GetCurrentLoopPosition(&o.flag, &o.a, &o.b); }, 0},
      {"GetCurrentNativeSampleLocation", "transport", 8, {P(&o.c)}, false, kNoHost,
       [&o](Rig& r) { return r.transport->GetCurrentNativeSampleLocation(&o.c); }, 0},
      {"transport op 9", "transport", 9, {P(&o.a)}, false, kNoHost, [&o](Rig& r) { return r.transport->HostOp9(&o.a); }, 0},
      {"transport op 10", "transport", 10, {P(&o.b)}, false, kNoHost, [&o](Rig& r) { return r.transport->HostOp10(&o.b); }, 0},
      {"transport op 11", "transport", 11, {P(&o.c)}, false, kNoHost, [&o](Rig& r) { return r.transport->HostOp11(&o.c); }, 0},
      {"transport op 12", "transport", 12, {P(&o.a)}, false, kNoHost, [&o](Rig& r) { return r.transport->HostOp12(&o.a); }, 0},
      {"transport op 13", "transport", 13, {P(&o.b)}, true, kNotImpl, [&o](Rig& r) { return r.transport->HostOp13(&o.b); }, 0},
      {"transport op 14", "transport", 14, {P(&o.c)}, true, kNotImpl, [&o](Rig& r) { return r.transport->HostOp14(&o.c); }, 0},
      {"transport op 15", "transport", 15, {P(&o.a)}, true, kNotImpl, [&o](Rig& r) { return r.transport->HostOp15(&o.a); }, 0},
      {"transport op 16", "transport", 16, {P(&o.b)}, true, kNotImpl, [&o](Rig& r) { return r.transport->HostOp16(&o.b); }, 0},
      // Automation delegate, proxy slots 1 to 7.
      {"EnrolParameter", "automation", 3, {"s:3"}, false, kNoHost, [](Rig& r) { return r.automation->EnrolParameter("3"); }, 0},
      {"WithdrawParameter", "automation", 4, {"s:3"}, false, kNoHost,
       [](Rig& r) { return r.automation->WithdrawParameter("3"); }, 0},
      {"RequestSetValue", "automation", 5, {"s:3", "d:0.25"}, false, kNoHost,
       [](Rig& r) { return r.automation->RequestSetValue("3", 0.25); }, 0},
      {"ReportValue", "automation", 6, {"s:4", "d:0.75"}, false, kNoHost,
       [](Rig& r) { return r.automation->ReportValue("4", 0.75); }, 0},
      {"RequestTouch", "automation", 7, {"s:"}, false, kNoHost, [](Rig& r) { return r.automation->RequestTouch(""); }, 0},
      {"RequestRelease", "automation", 8, {"s:9"}, false, kNoHost, [](Rig& r) { return r.automation->RequestRelease("9"); }, 0},
      {"automation op 9", "automation", 9, {"s:5", "9"}, false, kNoHost,
       [](Rig& r) { return r.automation->HostOp9("5", 9); }, 0},
      // View container (slots 1, 2 and 4 answer 0 without the interface).
      {"view op 3", "view", 3, {}, false, 0, [](Rig& r) { return static_cast<int64_t>(r.view->HostOp3()); }, 0},
      {"GetNativeView", "view", 4, {}, false, 0,
       [](Rig& r) { return static_cast<int64_t>(reinterpret_cast<intptr_t>(r.view->GetNativeView())); }, 0x1234},
      {"view op 5", "view", 5, {"5"}, false, kNotImpl, [](Rig& r) { return r.view->HostOp5(5); }, 0},
      {"SetViewSize", "view", 6, {"pt:480,640"}, false, 0,
       [](Rig& r) { return r.view->SetViewSize(AAX_Point{480.0f, 640.0f}); }, 0},
      {"view op 7", "view", 7, {"7"}, false, kNotImpl, [](Rig& r) { return r.view->HostOp7(7); }, 0},
      {"view op 8", "view", 8, {"8"}, false, kNotImpl, [](Rig& r) { return r.view->HostOp8(8); }, 0},
      {"view op 9", "view", 9, {"9"}, false, kNotImpl, [](Rig& r) { return r.view->HostOp9(9); }, 0},
  };
  for (Forward& f : t)
    if (f.hostResult == 0) f.hostResult = 100 + f.slot;
  return t;
}

}  // namespace

TEST(AAXProxies, EveryOperationLandsOnItsHostSlotWithItsArguments) {
  Outs outs;
  Rig rig(Mode::Full);
  for (const Forward& f : Table(outs)) {
    SCOPED_TRACE(f.what);
    rig.host.log.clear();
    const int64_t result = f.call(rig);
    ASSERT_EQ(rig.host.log.size(), 1u);
    const Call& call = rig.host.log[0];
    EXPECT_EQ(call.object, f.object);
    EXPECT_EQ(call.slot, f.slot);
    std::vector<std::string> expected;
    for (const std::string& a : f.args) expected.push_back(rig.Substitute(a));
    EXPECT_EQ(call.args, expected);
    EXPECT_EQ(result, f.hostResult);
  }
}

TEST(AAXProxies, MissingSecondaryInterfacesAnswerWithoutHostCalls) {
  Outs outs;
  Rig rig(Mode::NoSecondary);
  for (const Forward& f : Table(outs)) {
    SCOPED_TRACE(f.what);
    rig.host.log.clear();
    const int64_t result = f.call(rig);
    if (f.secondary) {
      EXPECT_TRUE(rig.host.log.empty());
      EXPECT_EQ(result, f.missing);
    } else {
      ASSERT_EQ(rig.host.log.size(), 1u);
      EXPECT_EQ(rig.host.log[0].slot, f.slot);
    }
  }
}

TEST(AAXProxies, MissingPrimaryInterfacesAnswerWithoutHostCalls) {
  Outs outs;
  Rig rig(Mode::Nothing);
  for (const Forward& f : Table(outs)) {
    SCOPED_TRACE(f.what);
    rig.host.log.clear();
    EXPECT_EQ(f.call(rig), f.missing);
    EXPECT_TRUE(rig.host.log.empty());
  }
}

TEST(AAXProxies, ControllerSlotTwentyWritesZeroWithoutTheSecondary) {
  Rig rig(Mode::NoSecondary);
  int64_t out = 55;
  EXPECT_EQ(rig.controller->HostOp22(&out), -20009);
  EXPECT_EQ(out, 0);
  EXPECT_EQ(rig.controller->HostOp22(nullptr), -20009);
}

TEST(AAXProxies, RegisterEffectWithoutDescriptorAnswersNoHostObject) {
  Rig rig(Mode::Full);
  rig.host.log.clear();
  EXPECT_EQ(rig.collection->RegisterEffect("com.Quibel.aax.QuibelOmbrelux", nullptr), -20004);
  EXPECT_TRUE(rig.host.log.empty());
}

TEST(AAXProxies, OutValuesComeFromTheHost) {
  Rig rig(Mode::Full);
  rig.host.controller->sampleRate = 44100.0f;
  rig.host.controller->inputStem = 0x00000001;
  rig.host.transport->ticks = 1920000;
  float rate = 0;
  AAX_StemFormat stem = 0;
  int64_t ticks = 0;
  rig.controller->GetSampleRate(&rate);
  rig.controller->GetInputStemFormat(&stem);
  rig.transport->GetCurrentTickPosition(&ticks);
  EXPECT_EQ(rate, 44100.0f);
  EXPECT_EQ(stem, 0x00000001u);
  EXPECT_EQ(ticks, 1920000);
}
