// The module driven the way a careless or hostile host drives it: initialize twice, texts that are
// no numbers.
#include "tests/integration/plugin_harness.h"

namespace qoit {
namespace {

using HostileTest = PluginTest;

TEST_F(HostileTest, InitializeAfterANullContextIsRefused) {
  void* obj = nullptr;
  ASSERT_EQ(Factory()->createInstance(reinterpret_cast<const char*>(kClassId), IComponent::iid.bytes, &obj),
            kResultOk);
  IComponent* component = static_cast<IComponent*>(obj);
  IEditController* controller = nullptr;
  ASSERT_EQ(component->queryInterface(IEditController::iid.bytes, reinterpret_cast<void**>(&controller)),
            kResultOk);
  vst3host::HostApplication host("QuibelTestHost");
  ASSERT_EQ(component->initialize(nullptr), kResultOk);
  EXPECT_EQ(component->initialize(&host), kResultFalse);
  EXPECT_EQ(controller->initialize(&host), kResultFalse);
  EXPECT_EQ(controller->getParameterCount(), 11);
  EXPECT_EQ(component->getBusCount(kAudio, kInput), 1);
  EXPECT_EQ(component->getBusCount(kAudio, kOutput), 1);
  EXPECT_EQ(host.Refs(), 1u);
  EXPECT_EQ(component->terminate(), kResultOk);
  EXPECT_EQ(component->initialize(&host), kResultOk);
  EXPECT_EQ(controller->getParameterCount(), 11);
  EXPECT_EQ(component->terminate(), kResultOk);
  EXPECT_EQ(host.Refs(), 1u);
  controller->release();
  EXPECT_EQ(component->release(), 0u);
}

class HostileTextTest : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    ASSERT_EQ(inst.Create(Factory()), "");
  }
  // getParamValueByString on raw UTF-16 units; the out value starts at -5.
  tresult Read(ParamID id, std::u16string text, ParamValue* n) {
    String128 units{};
    for (size_t i = 0; i < text.size() && i < 127; ++i) units[i] = text[i];
    *n = -5.0;
    return inst.controller->getParamValueByString(id, units, n[0]);
  }
  Instance inst;
};

TEST_F(HostileTextTest, TextsThatAreNoWholeAsciiNumberAreRefused) {
  ParamValue n;
  for (const std::u16string& text : {std::u16string(u"\u4E39\u4E39\u4E39"), std::u16string(u"7abc"),
                                     std::u16string(u"0x1p4"), std::u16string(u"1,5"), std::u16string(u"nan"),
                                     std::u16string(u"inf"), std::u16string(u"999 dB")}) {
    SCOPED_TRACE(std::string(text.begin(), text.end()));
    EXPECT_EQ(Read(kRelease, text, &n), kResultFalse);
    EXPECT_EQ(n, -5.0);
  }
  ASSERT_EQ(Read(kRelease, u" 999 ms", &n), kResultOk);
  EXPECT_EQ(n, 1.0);
  ASSERT_EQ(Read(kTopThr, u"-1.9e1 dB", &n), kResultOk);
  EXPECT_NEAR(n, 29.0 / 48.0, 1e-15);
}

TEST_F(HostileTextTest, ValueTextsHoldTheNormalizedValueToTheRangeAndRefuseNaN) {
  String128 s;
  ASSERT_EQ(inst.controller->getParamStringByValue(kTopThr, 2.0, s), kResultOk);
  EXPECT_EQ(Narrow(s), "0.0");
  ASSERT_EQ(inst.controller->getParamStringByValue(kAttack, -1.0, s), kResultOk);
  EXPECT_EQ(Narrow(s), "1");
  ASSERT_EQ(inst.controller->getParamStringByValue(kRelease, INFINITY, s), kResultOk);
  EXPECT_EQ(Narrow(s), "999");
  EXPECT_EQ(inst.controller->getParamStringByValue(kRelease, NAN, s), kResultFalse);
}

}  // namespace
}  // namespace qoit
