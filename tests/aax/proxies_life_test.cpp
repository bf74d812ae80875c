// How the proxies obtain, hold and release host interfaces, what they create and delete, the
// created-proxy failure, property map duplication and the trace routine.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "aax/aaxproxies.h"
#include "tests/aax/fakehost.h"

using namespace fakehost;

namespace {

// The objects whose releases the log shows, in order.
std::vector<std::string> Releases(const FakeHost& host) {
  std::vector<std::string> names;
  for (const Call& c : host.log)
    if (c.slot == 2) names.push_back(c.object);
  return names;
}

}  // namespace

TEST(AAXProxyLife, EveryHostReferenceIsReleasedOnceAfterTeardown) {
  FakeHost host;
  {
    IACFUnknown* unknown = host.unknown->Unknown();
    AAX_VCollection collection(unknown);
    AAX_IEffectDescriptor* effect = collection.CreateEffectDescriptor();
    AAX_IComponentDescriptor* component = effect->CreateComponentDescriptor();
    AAX_IPropertyMap* map = component->CreatePropertyMap();
    component->DuplicatePropertyMap(map);
    effect->CreatePropertyMap();
    collection.CreatePropertyMap();
    AAX_VHostServices services(unknown);
    AAX_VController controller(unknown);
    AAX_VTransport transport(unknown);
    AAX_VAutomationDelegate automation(unknown);
    // While they live, the proxies hold references.
    EXPECT_GT(host.unknown->Refs(), 0);
    EXPECT_EQ(host.controller->Refs(), 2);  // primary and secondary
    EXPECT_EQ(host.Created(Kind::Collection)[0]->Refs(), 1);
    EXPECT_EQ(host.factory->Refs(), 0);     // the factory is let go after each creation
  }
  EXPECT_EQ(host.Leaks(), "");
  EXPECT_EQ(host.Created(Kind::PropertyMap).size(), 4u);
}

TEST(AAXProxyLife, ViewContainerKeepsTheReferenceItsQueryAdded) {
  FakeHost host;
  { AAX_VViewContainer view(host.viewUnknown->Unknown()); }
  // The proxy never releases the host's view container.
  EXPECT_EQ(host.viewContainer->Refs(), 1);
  EXPECT_EQ(host.viewUnknown->Refs(), 0);
}

TEST(AAXProxyLife, DescriptorsDeleteWhatTheyCreatedBeforeReleasingTheirOwnInterfaces) {
  FakeHost host;
  {
    AAX_VCollection collection(host.unknown->Unknown());
    AAX_IEffectDescriptor* effect = collection.CreateEffectDescriptor();
    AAX_IComponentDescriptor* component = effect->CreateComponentDescriptor();
    component->CreatePropertyMap();  // map1
    effect->CreatePropertyMap();     // map2
    host.log.clear();
  }
  const std::vector<std::string> expected = {
      "map1",   "map1",   // the component's map: secondary, then primary
      "component1", "component1", "unknown",  // the component: secondary, primary, host unknown
      "map2",   "map2",   // the effect's own map, after its components
      "effect1", "effect1", "unknown",
      "collection1", "unknown"};
  EXPECT_EQ(Releases(host), expected);
  EXPECT_EQ(host.Leaks(), "");
}

TEST(AAXProxyLife, CreatedProxyFailsWhenTheFactoryQueryYieldsNull) {
  struct Case {
    const char* what;
    void (*make)(IACFUnknown*);
  };
  const Case cases[] = {
      {"collection", [](IACFUnknown* u) { AAX_VCollection p(u); }},
      {"effect descriptor", [](IACFUnknown* u) { AAX_VEffectDescriptor p(u); }},
      {"component descriptor", [](IACFUnknown* u) { AAX_VComponentDescriptor p(u); }},
      {"property map", [](IACFUnknown* u) { AAX_VPropertyMap p(u); }},
      {"host services", [](IACFUnknown* u) { AAX_VHostServices p(u); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeHost host;
    host.SetNullFactory();
    try {
      c.make(host.unknown->Unknown());
      ADD_FAILURE() << "no exception";
    } catch (const ACFException& e) {
      EXPECT_EQ(e.Code(), static_cast<int32_t>(0x80000005));
    }
    // The reference the collection and descriptors took on the host unknown is given back.
    EXPECT_EQ(host.Leaks(), "");
    EXPECT_TRUE(host.Created(Kind::Collection).empty());
  }
}

TEST(AAXProxyLife, CreatedProxyWithoutFactoryStaysWithoutInterfaces) {
  FakeHost host;
  host.factory->refusePrimary = true;
  AAX_VCollection collection(host.unknown->Unknown());
  EXPECT_EQ(collection.Primary(), nullptr);
  host.log.clear();
  EXPECT_EQ(collection.AddMakerName("Quibel"), -20004);
  EXPECT_TRUE(host.log.empty());
  AAX_VCollection none(nullptr);
  EXPECT_EQ(none.Primary(), nullptr);
  EXPECT_EQ(none.SetPackageVersionNumber(1), -20004);
}

TEST(AAXProxyLife, CreationAsksTheFactoryForTheClassAndPrimaryInterface) {
  FakeHost host;
  AAX_VComponentDescriptor component(host.unknown->Unknown());
  // Queried (slot 0 on the unknown, counted by the unknown), asked to create (3), released (2).
  const std::vector<Call> calls = host.CallsTo("factory");
  ASSERT_EQ(calls.size(), 2u);
  const Call& create = calls[0];
  EXPECT_EQ(create.slot, 3);
  EXPECT_EQ(calls[1].slot, 2);
  EXPECT_EQ(create.args, (std::vector<std::string>{"id:{94872C3D-95BC-413D-D0DB-D9B12AAD0CCA}", RenderPointer(nullptr),
                                                    "id:{96E42C2D-E2BC-51EF-61C7-48994AEB0CDA}"}));
  // The secondary interface is asked of the created object.
  const std::vector<Call> created = host.CallsTo("component1");
  ASSERT_FALSE(created.empty());
  EXPECT_EQ(created[0].slot, 0);
  EXPECT_EQ(created[0].args[0], "id:{1895259E-AAA9-4F0F-A985-149837B76F89}");
}

TEST(AAXProxyLife, QueriedProxiesAskPrimaryThenSecondary) {
  FakeHost host;
  AAX_VTransport transport(host.unknown->Unknown());
  const std::vector<Call> calls = host.CallsTo("unknown");
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].args[0], "id:{5CEE4EF4-6337-4359-B63B-FE58DC36543A}");
  EXPECT_EQ(calls[1].args[0], "id:{203CBD9F-982C-4FE6-A827-07480257AEC3}");
  AAX_VTransport none(nullptr);
  EXPECT_EQ(none.Primary(), nullptr);
  double tempo = 7.0;
  EXPECT_EQ(none.GetCurrentTempo(&tempo), -20004);
  EXPECT_EQ(tempo, 7.0);
}

TEST(AAXProxyLife, DuplicatePropertyMapCopiesPropertiesTenTo351) {
  FakeHost host;
  AAX_VComponentDescriptor component(host.unknown->Unknown());
  AAX_IPropertyMap* source = component.CreatePropertyMap();
  for (AAX_PropertyId id : {9, 10, 51, 351, 352}) source->AddProperty(id, id * 2);
  AAX_IPropertyMap* copy = component.DuplicatePropertyMap(source);
  ASSERT_NE(copy, nullptr);
  ASSERT_NE(copy, source);
  const std::vector<FakeObject*> maps = host.Created(Kind::PropertyMap);
  ASSERT_EQ(maps.size(), 2u);
  const std::map<AAX_PropertyId, AAX_PropertyValue> expected = {{10, 20}, {51, 102}, {351, 702}};
  EXPECT_EQ(maps[1]->properties, expected);
  AAX_PropertyValue value = 0;
  EXPECT_TRUE(copy->GetProperty(351, &value));
  EXPECT_EQ(value, 702);
  EXPECT_FALSE(copy->GetProperty(9, &value));
}

TEST(AAXProxyLife, DuplicatePropertyMapOfNullAnswersNull) {
  FakeHost host;
  AAX_VComponentDescriptor component(host.unknown->Unknown());
  EXPECT_EQ(component.DuplicatePropertyMap(nullptr), nullptr);
  EXPECT_TRUE(host.Created(Kind::PropertyMap).empty());
}

TEST(AAXProxyLife, AutomationCountsAsConnectedOnlyWithItsHostInterface) {
  FakeHost host;
  AAX_VAutomationDelegate connected(host.unknown->Unknown());
  AAX_VAutomationDelegate none(nullptr);
  EXPECT_TRUE(AutomationDelegateConnected(&connected));
  EXPECT_FALSE(AutomationDelegateConnected(&none));
  EXPECT_FALSE(AutomationDelegateConnected(nullptr));
}

TEST(HostTrace, FormatsIntoAtMost511CharactersForTheHostServices) {
  EXPECT_EQ(HostTrace(0, "no services %d", 1), 0);
  FakeHost host;
  AAX_VHostServices services(host.unknown->Unknown());
  gHostServices = &services;
  host.log.clear();
  EXPECT_EQ(HostTrace(0x8000000, "AAX_CChunkDataParser::GetChunkData ERROR: %s", "Unknown exception"), 104);
  ASSERT_EQ(host.log.size(), 1u);
  EXPECT_EQ(host.log[0].args,
            (std::vector<std::string>{"134217728", "s:AAX_CChunkDataParser::GetChunkData ERROR: Unknown exception"}));
  host.log.clear();
  const std::string longText(700, 'x');
  HostTrace(1, "%s", longText.c_str());
  ASSERT_EQ(host.log.size(), 1u);
  EXPECT_EQ(host.log[0].args[1], "s:" + std::string(511, 'x'));
  AAX_VHostServices unconnected(nullptr);
  gHostServices = &unconnected;
  EXPECT_EQ(HostTrace(0, "x"), -20004);
  gHostServices = nullptr;
}
