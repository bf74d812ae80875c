// The module's exports and its effect description, as the host double sees them.
#include <cstdio>

#include "tests/aaxmodule/harness.h"

namespace aaxtest {
namespace {

using fakehost::Call;
using fakehost::Kind;

// The calls of the objects whose names start with prefix (queries and counts left out), as
// "object.slot(args)" with pointers shown as "p".
std::vector<std::string> Calls(const fakehost::FakeHost& fake, const std::string& prefix) {
  std::vector<std::string> out;
  for (const Call& c : fake.log) {
    if (c.object.compare(0, prefix.size(), prefix) != 0 || c.slot < 3) continue;
    std::string line = c.object + "." + std::to_string(c.slot) + "(";
    for (size_t i = 0; i < c.args.size(); ++i) {
      line += (i ? "," : "") + (c.args[i].compare(0, 2, "p:") == 0 && c.args[i] != "p:0" ? std::string("p") : c.args[i]);
    }
    out.push_back(line + ")");
  }
  return out;
}

TEST(AaxEntry, FixedAnswersOfTheExports) {
  aaxhost::Module module;
  ASSERT_EQ("", module.Load(QO_AAX_MODULE));
  const aaxhost::Exports& e = module.Entry();
  uint64_t version = 0;
  EXPECT_EQ(0, e.getSdkVersion(&version));
  EXPECT_EQ(0x00000201007756BFull, version);
  EXPECT_EQ(-20002, e.getSdkVersion(nullptr));

  int marker = 0;
  void* factory = &marker;
  EXPECT_EQ(-20009, e.getClassFactory(nullptr, AcfIds::kUnknown, AcfIds::kUnknown, &factory));
  EXPECT_EQ(nullptr, factory);
  EXPECT_EQ(-20002, e.getClassFactory(nullptr, AcfIds::kUnknown, AcfIds::kUnknown, nullptr));
  IACFUnknown* component = reinterpret_cast<IACFUnknown*>(&marker);
  EXPECT_EQ(0, e.registerComponent(nullptr, AcfIds::kUnknown, &component));
  EXPECT_EQ(nullptr, component);
  EXPECT_EQ(-20002, e.registerComponent(nullptr, AcfIds::kUnknown, nullptr));
  EXPECT_EQ(-20002, e.registerPlugin(nullptr, nullptr));
  EXPECT_EQ(0, e.canUnloadNow(nullptr));
  EXPECT_EQ(0, e.startup(nullptr));  // nothing to start without a host
  EXPECT_EQ(0, e.shutdown(nullptr));
  EXPECT_TRUE(module.Unload());
}

TEST(AaxEntry, RegistrationTellsTheEffectInOrder) {
  Host host;
  ASSERT_EQ("", host.Start(QO_AAX_MODULE));
  EXPECT_EQ(0, host.reg.result);
  EXPECT_NE(nullptr, host.reg.definition);
  const std::vector<std::string> expected = {
      "collection1.9(s:QuibelOmbrelux)",  // product name, after the effect name below
      "collection1.7(s:com.Quibel.aax.QuibelOmbrelux,p)",
      "collection1.8(s:Quibel)",
      "collection1.10(65537)",
  };
  EXPECT_EQ(expected, Calls(host.fake, "collection"));
  const std::vector<std::string> effect = {
      "effect1.4(s:QuibelOmbrelux)", "effect1.5(2)", "effect1.3(p)", "effect1.3(p)",
      "effect1.7(p,0)",               "effect1.7(p,1)",
  };
  EXPECT_EQ(effect, Calls(host.fake, "effect"));
  // The effect name comes before the product name, the create procedures before RegisterEffect.
  std::vector<std::string> order;
  for (const Call& c : host.fake.log) {
    if ((c.object == "effect1" && (c.slot == 4 || c.slot == 7)) || (c.object == "collection1" && c.slot >= 7))
      order.push_back(c.object + "." + std::to_string(c.slot));
  }
  EXPECT_EQ((std::vector<std::string>{"effect1.4", "collection1.9", "effect1.7", "effect1.7", "collection1.7",
                                      "collection1.8", "collection1.10"}),
            order);
  EXPECT_NE(nullptr, host.reg.createParameters);
  EXPECT_NE(nullptr, host.reg.createGUI);
  EXPECT_EQ(2u, host.reg.process.size());
}

TEST(AaxEntry, TwoComponentsMonoFirstWithFieldsAndProperties) {
  Host host;
  ASSERT_EQ("", host.Start(QO_AAX_MODULE));
  const char* fields[] = {"13(6,4,0)", "13(5,4,0)", "15(7,3,s:Transport,65535)", "5(0)", "6(1)", "7(3)",
                          "13(9,4,0)", "13(8,8,0)"};
  struct Layout {
    const char* component;
    const char* map;
    int64_t stem, nativeId, audioSuiteId;
  } layouts[] = {
      {"component1", "map1", 0x00000001, 0x45464E31 /* EFN1 */, 0x45464131 /* EFA1 */},
      {"component2", "map2", 0x00010002, 0x45464E32 /* EFN2 */, 0x45464132 /* EFA2 */},
  };
  for (const Layout& l : layouts) {
    std::vector<std::string> want;
    for (const char* f : fields) want.push_back(std::string(l.component) + "." + f);
    want.push_back(std::string(l.component) + ".16(p,p,p:0,p:0)");
    EXPECT_EQ(want, Calls(host.fake, l.component));
    char line[64];
    std::vector<std::string> props;
    const int64_t values[][2] = {{56, 0},           {51, l.stem},         {52, l.stem},        {60, 1},
                                 {11, 0x5162656C},  {12, 0x4F6D4C78},     {13, l.nativeId},    {14, l.audioSuiteId}};
    for (const auto& v : values) {
      std::snprintf(line, sizeof line, "%s.4(%lld,%lld)", l.map, static_cast<long long>(v[0]),
                    static_cast<long long>(v[1]));
      props.push_back(line);
    }
    EXPECT_EQ(props, Calls(host.fake, l.map));
  }
  EXPECT_TRUE(Calls(host.fake, "component3").empty());
}

TEST(AaxEntry, FailingCategorySkipsRegistrationButNamesTheMaker) {
  Host host;
  host.fake.createResults[Kind::EffectDescriptor][5] = -7;
  EXPECT_EQ("ACFRegisterPlugin answered -7", host.Start(QO_AAX_MODULE));
  EXPECT_EQ(nullptr, host.reg.definition);
  EXPECT_EQ((std::vector<std::string>{"collection1.9(s:QuibelOmbrelux)", "collection1.8(s:Quibel)",
                                      "collection1.10(65537)"}),
            Calls(host.fake, "collection"));
}

TEST(AaxEntry, RefusedDefinitionAnswersNoHostObject) {
  Host host;
  host.fake.RefuseOnCreate(Kind::Collection, false, true);
  EXPECT_EQ("ACFRegisterPlugin answered -20004", host.Start(QO_AAX_MODULE));
  EXPECT_EQ(nullptr, host.reg.definition);
}

TEST(AaxEntry, NullFactoryIsAnUnexpectedFailureThatKeepsNoReference) {
  Host host;
  host.fake.SetNullFactory();
  ASSERT_EQ("", host.module.Load(QO_AAX_MODULE));
  const int before = host.fake.unknown->Refs();
  int marker = 0;
  IACFUnknown* definition = reinterpret_cast<IACFUnknown*>(&marker);
  EXPECT_EQ(static_cast<int32_t>(0x8000FFFF), host.module.Entry().registerPlugin(host.fake.unknown->Unknown(), &definition));
  EXPECT_EQ(nullptr, definition);
  EXPECT_EQ(before, host.fake.unknown->Refs());
}

TEST(AaxEntry, UnloadQueryCountsEffectsAndEditors) {
  Host host;
  ASSERT_EQ("", host.Start(QO_AAX_MODULE));
  auto unload = [&] { return host.module.Entry().canUnloadNow(host.fake.unknown->Unknown()); };
  EXPECT_EQ(0, unload());
  {
    Effect fx(&host);
    ASSERT_EQ("", fx.Create());
    EXPECT_EQ(1, unload());
    Editor gui(&host);
    ASSERT_EQ("", gui.Create(&fx));
    EXPECT_EQ(2, unload());
    gui.Destroy();
    EXPECT_EQ(1, unload());
  }
  EXPECT_EQ(0, unload());
  host.Stop();
  EXPECT_EQ("", host.fake.Leaks());
  EXPECT_TRUE(host.fake.CallsTo("midi").empty());
}

}  // namespace
}  // namespace aaxtest
