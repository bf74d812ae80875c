// The module driven the way a careless or hostile host drives it: initialize twice, texts that are
// no numbers, value texts for values no parameter can hold, huge samples, endless state streams.
#include <cfloat>

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

// One huge but finite sample (the largest double, or the largest float for a 32-bit host) in an
// ordinary programme: every output sample stays finite, in that block and after it.
TEST_F(HostileTest, HugeFiniteSamplesGiveFiniteOutput) {
  for (double rate : {44100.0, 48000.0, 96000.0, 192000.0}) {
    for (int32 size : {kSample32, kSample64}) {
      SCOPED_TRACE(testing::Message() << rate << " Hz, " << (size == kSample32 ? 32 : 64) << "-bit");
      Instance inst;
      ASSERT_EQ(inst.Create(Factory()), "");
      ASSERT_EQ(inst.Prepare(rate, 512, size), kResultOk);
      Planar in = MakeSignal(2, 2048, rate);
      const double huge = size == kSample32 ? FLT_MAX : DBL_MAX;
      in[0][600] = huge;
      in[1][1300] = -huge;
      in[0][1301] = size == kSample32 ? 1e38 : 1e308;
      // With saturation and without it (the level then reaches the bands and filters unbounded).
      for (double saturation : {0.2, 0.0}) {
        ParameterChanges changes;
        changes.Add(kSaturation, 0, saturation);
        const Planar out = Render(inst, in, 512, size, [&](int block) -> IParameterChanges* {
          return block == 0 ? &changes : nullptr;
        });
        EXPECT_TRUE(AllFinite(out)) << "saturation " << saturation;
      }
    }
  }
}

TEST_F(HostileTest, ALongStateStreamIsReadOnlyAsFarAsTheState) {
  Instance inst;
  ASSERT_EQ(inst.Create(Factory()), "");
  Instance source;
  ASSERT_EQ(source.Create(Factory()), "");
  ASSERT_EQ(source.controller->setParamNormalized(kRelease, 1.0), kResultOk);  // 999 ms
  std::vector<uint8_t> state = source.GetState();
  ASSERT_EQ(state.size(), 76u);
  state[72] = 1;  // bypass on
  vst3host::LongStream s(state, int64_t{2} << 30);
  ASSERT_EQ(inst.component->setState(&s), kResultOk);
  EXPECT_EQ(s.delivered, 76);
  EXPECT_EQ(inst.controller->getParamNormalized(kRelease), 1.0);
  EXPECT_EQ(inst.controller->getParamNormalized(kBypassId), 1.0);
  EXPECT_EQ(inst.GetState(), state);
}

}  // namespace
}  // namespace qoit
