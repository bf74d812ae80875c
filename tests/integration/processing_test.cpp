// Audio through the module compared with the dynamics engine run directly: the oversampling factor
// chosen for the host rate, both sample sizes, mono, parameter changes, bypass and preset changes.
#include <cmath>
#include <ostream>

#include "tests/integration/plugin_harness.h"

namespace qoit {
namespace {

struct RateCase {
  double rate;
  int factor;       // the oversampling the engine must run at
  int otherFactor;  // a neighbouring choice, which must give audibly different output
};

void PrintTo(const RateCase& c, std::ostream* os) {
  *os << c.rate << " Hz, factor " << c.factor;
}

class RateTest : public PluginTest, public ::testing::WithParamInterface<RateCase> {};

TEST_P(RateTest, OutputEqualsTheEngineAtTheRightOversampling) {
  const RateCase& rc = GetParam();
  const Planar in = MakeSignal(2, 3000, rc.rate);
  for (int32 size : {kSample32, kSample64}) {
    SCOPED_TRACE(size == kSample32 ? "32-bit" : "64-bit");
    Instance inst;
    ASSERT_EQ(inst.Create(Factory()), "");
    ASSERT_EQ(inst.Prepare(rc.rate, 512, size), kResultOk);
    const Planar out = Render(inst, in, 512, size);
    EXPECT_LE(MaxDiff(out, ReferenceRender(in, rc.rate, rc.factor, 512, size)), kExact);
    EXPECT_GT(MaxDiff(out, ReferenceRender(in, rc.rate, rc.otherFactor, 512, size)), 1e-6);
    EXPECT_GT(MaxDiff(out, size == kSample32 ? RoundedToFloat(in) : in), 1e-3);  // not a pass-through
  }
}

INSTANTIATE_TEST_SUITE_P(HostRates, RateTest,
                         ::testing::Values(RateCase{44100, 4, 2}, RateCase{48000, 4, 2}, RateCase{88099, 4, 2},
                                           RateCase{88100, 2, 4}, RateCase{96000, 2, 4},
                                           RateCase{191999, 2, 1}, RateCase{192000, 1, 2}),
                         [](const ::testing::TestParamInfo<RateCase>& i) {
                           return std::to_string(static_cast<int>(i.param.rate)) + "Hz";
                         });

class ProcessingTest : public PluginTest {
 protected:
  void Prepared(Instance& inst, double rate, int32 size, int channels = 2, int32 maxBlock = 512) {
    ASSERT_EQ(inst.Create(Factory()), "");
    ASSERT_EQ(inst.Prepare(rate, maxBlock, size, channels), kResultOk);
  }
};

TEST_F(ProcessingTest, MonoRunsTheEngineWithASilentSecondChannel) {
  const Planar in = MakeSignal(1, 2500, 48000);
  for (int32 size : {kSample32, kSample64}) {
    Instance inst;
    ASSERT_NO_FATAL_FAILURE(Prepared(inst, 48000, size, 1));
    const Planar out = Render(inst, in, 512, size);
    EXPECT_LE(MaxDiff(out, ReferenceRender(in, 48000, 4, 512, size)), kExact) << size;
  }
}

TEST_F(ProcessingTest, ParameterChangesReachTheEngineAtTheirBlock) {
  const Planar in = MakeSignal(2, 4096, 44100);
  ParameterChanges first, later;
  first.Add(kTopThr, 0, 0.75);                       // -12 dB
  first.Add(kAvgRatio, 17, 0.5);                     // 10.5
  first.Add(kBtmThr, 3, 0.25);                       // -36 dB
  first.Add(kSaturation, 0, 0.5);                    // 50 %
  first.Add(kAttack, 0, std::sqrt(25.0 / 99.0));     // 26 ms
  first.Add(kRelease, 0, std::sqrt(99.0 / 998.0));   // 100 ms
  later.Add(kTopRatio, 100, 1.0);                    // 20
  later.Add(kAvgThr, 0, 0.0);                        // -48 dB
  Settings custom;
  custom.topDb = -12, custom.avgRatio = 10.5, custom.btmDb = -36, custom.saturationPct = 50;
  custom.attackMs = 26, custom.releaseMs = 100;
  Settings changed = custom;
  changed.topRatio = 20, changed.avgDb = -48;

  for (int32 size : {kSample32, kSample64}) {
    SCOPED_TRACE(size);
    Instance inst;
    ASSERT_NO_FATAL_FAILURE(Prepared(inst, 44100, size));
    const Planar out = Render(inst, in, 512, size, [&](int b) -> IParameterChanges* {
      return b == 0 ? &first : (b == 3 ? &later : nullptr);
    });
    Reference ref(44100, 4, custom);
    const Planar fin = size == kSample32 ? RoundedToFloat(in) : in;
    Planar expected = ref.Render(fin, 512, [&](int b, Reference& r) {
      if (b == 3) r.Apply(changed);
    });
    if (size == kSample32) expected = RoundedToFloat(expected);
    EXPECT_LE(MaxDiff(out, expected), kExact);
    EXPECT_NEAR(inst.controller->getParamNormalized(kTopThr), 0.75, 1e-12);
    EXPECT_NEAR(inst.controller->getParamNormalized(kTopRatio), 1.0, 1e-12);
    EXPECT_NEAR(inst.controller->getParamNormalized(kAttack), std::sqrt(25.0 / 99.0), 1e-12);
  }
}

TEST_F(ProcessingTest, OnlyTheLastPointOfAQueueIsApplied) {
  const Planar in = MakeSignal(2, 2048, 48000);
  ParameterChanges changes;
  changes.Add(kTopThr, 0, 0.0);    // -48 dB, overtaken
  changes.Add(kTopThr, 300, 0.75); // -12 dB, from the start of the block
  Instance inst;
  ASSERT_NO_FATAL_FAILURE(Prepared(inst, 48000, kSample64));
  const Planar out = Render(inst, in, 512, kSample64, [&](int b) { return b == 0 ? &changes : nullptr; });
  Settings s;
  s.topDb = -12;
  EXPECT_LE(MaxDiff(out, ReferenceRender(in, 48000, 4, 512, kSample64, s)), kExact);
  EXPECT_NEAR(inst.controller->getParamNormalized(kTopThr), 0.75, 1e-12);
}

TEST_F(ProcessingTest, BypassNeedsMoreThanHalf) {
  const Planar in = MakeSignal(2, 1024, 48000);
  for (int32 size : {kSample32, kSample64}) {
    SCOPED_TRACE(size);
    const Planar fin = size == kSample32 ? RoundedToFloat(in) : in;
    ParameterChanges half;
    half.Add(kBypassId, 0, 0.5);
    Instance a;
    ASSERT_NO_FATAL_FAILURE(Prepared(a, 48000, size));
    const Planar processed = Render(a, in, 256, size, [&](int b) { return b == 0 ? &half : nullptr; });
    EXPECT_LE(MaxDiff(processed, ReferenceRender(in, 48000, 4, 256, size)), kExact);
    EXPECT_EQ(a.controller->getParamNormalized(kBypassId), 0.0);

    ParameterChanges over;
    over.Add(kBypassId, 0, 0.51);
    Instance b;
    ASSERT_NO_FATAL_FAILURE(Prepared(b, 48000, size));
    const Planar dry = Render(b, in, 256, size, [&](int k) { return k == 0 ? &over : nullptr; });
    EXPECT_EQ(MaxDiff(dry, fin), 0.0);
    EXPECT_EQ(b.controller->getParamNormalized(kBypassId), 1.0);

    // Switched off again: the engine is back in the signal path.
    ParameterChanges off;
    off.Add(kBypassId, 0, 0.0);
    const Planar wet = Render(b, in, 256, size, [&](int k) { return k == 0 ? &off : nullptr; });
    EXPECT_GT(MaxDiff(wet, fin), 1e-3);
    EXPECT_EQ(b.controller->getParamNormalized(kBypassId), 0.0);
  }
}

TEST_F(ProcessingTest, BypassFromAStateSurvivesSetupAndActivation) {
  const Planar in = MakeSignal(2, 1500, 44100);
  for (int32 size : {kSample32, kSample64}) {
    Instance inst;
    ASSERT_EQ(inst.Create(Factory()), "");
    std::vector<uint8_t> state = inst.GetState();
    ASSERT_EQ(state.size(), 76u);
    state[72] = 1;
    ASSERT_EQ(inst.SetState(state), kResultOk);
    ASSERT_EQ(inst.Prepare(44100, 512, size), kResultOk);  // arrangement, set-up, activation
    const Planar out = Render(inst, in, 512, size);
    EXPECT_EQ(MaxDiff(out, size == kSample32 ? RoundedToFloat(in) : in), 0.0) << size;
    EXPECT_EQ(inst.controller->getParamNormalized(kBypassId), 1.0);
  }
}

TEST_F(ProcessingTest, PresetZeroRestoresTheDefaultsAndPresetOneDoesNothing) {
  const Planar in = MakeSignal(2, 3072, 48000);
  ParameterChanges custom, presetOne, presetZero;
  custom.Add(kTopThr, 0, 0.75);
  custom.Add(kBtmRatio, 0, 0.5);
  custom.Add(kRelease, 0, 0.0);
  presetOne.Add(kPresetId, 0, 1.0);
  presetZero.Add(kPresetId, 0, 0.0);
  Instance inst;
  ASSERT_NO_FATAL_FAILURE(Prepared(inst, 48000, kSample64));
  const Planar out = Render(inst, in, 512, kSample64, [&](int b) -> IParameterChanges* {
    return b == 0 ? &custom : (b == 2 ? &presetOne : (b == 4 ? &presetZero : nullptr));
  });
  Settings s;
  s.topDb = -12, s.btmRatio = 10.5, s.releaseMs = 1;
  Reference ref(48000, 4, s);
  const Planar expected = ref.Render(in, 512, [](int b, Reference& r) {
    if (b == 4) r.Apply(Settings());
  });
  EXPECT_LE(MaxDiff(out, expected), kExact);
  EXPECT_NEAR(inst.controller->getParamNormalized(kTopThr), 29.0 / 48.0, 1e-12);
  EXPECT_NEAR(inst.controller->getParamNormalized(kBtmRatio), 1.0 / 19.0, 1e-12);
  EXPECT_NEAR(inst.controller->getParamNormalized(kRelease), std::sqrt(499.0 / 998.0), 1e-12);
}

TEST_F(ProcessingTest, ControllerEditsReachTheAudioOnlyThroughTheProcessingCall) {
  const Planar in = MakeSignal(2, 2048, 48000);
  Settings dry;
  dry.saturationPct = 0;
  // An edit on the controller alone: the value reads back, the engine keeps its setting.
  Instance edited;
  ASSERT_NO_FATAL_FAILURE(Prepared(edited, 48000, kSample64));
  ASSERT_EQ(edited.controller->setParamNormalized(kSaturation, 0.0), kResultOk);
  EXPECT_EQ(edited.controller->getParamNormalized(kSaturation), 0.0);
  EXPECT_LE(MaxDiff(Render(edited, in, 512, kSample64), ReferenceRender(in, 48000, 4, 512, kSample64)), kExact);
  // The same edit delivered with a block.
  ParameterChanges changes;
  changes.Add(kSaturation, 0, 0.0);
  Instance delivered;
  ASSERT_NO_FATAL_FAILURE(Prepared(delivered, 48000, kSample64));
  const Planar out = Render(delivered, in, 512, kSample64, [&](int b) { return b == 0 ? &changes : nullptr; });
  EXPECT_LE(MaxDiff(out, ReferenceRender(in, 48000, 4, 512, kSample64, dry)), kExact);
}

TEST_F(ProcessingTest, NewSetupBeforeAudioTakesTheNewRateAndBlockSize) {
  // Rate and time constants follow the last set-up, whichever way the rate moves.
  const std::pair<double, double> moves[] = {{44100, 96000}, {192000, 44100}};
  for (const auto& m : moves) {
    SCOPED_TRACE(m.second);
    Instance inst;
    ASSERT_NO_FATAL_FAILURE(Prepared(inst, m.first, kSample64, 2, 64));
    ProcessSetup again{kRealtime, kSample64, 2048, m.second};
    ASSERT_EQ(inst.processor->setupProcessing(again), kResultOk);
    const Planar in = MakeSignal(2, 4096, m.second);
    const int factor = m.second < 88100 ? 4 : 2;
    EXPECT_LE(MaxDiff(Render(inst, in, 2048, kSample64), ReferenceRender(in, m.second, factor, 2048, kSample64)),
              kExact);
  }
}

TEST_F(ProcessingTest, StateRestoredBetweenBlocksReachesTheEngine) {
  const Planar in = MakeSignal(2, 3072, 48000);
  Instance source, inst;
  ASSERT_EQ(source.Create(Factory()), "");
  ParameterChanges custom;
  custom.Add(kAvgThr, 0, 0.25);   // -36 dB
  custom.Add(kRelease, 0, 1.0);   // 999 ms
  custom.Add(kTopRatio, 0, 0.0);  // 1
  HostBuffers<double> scratch(2, 8, 0.0);
  ASSERT_EQ(source.Prepare(48000, 8, kSample64), kResultOk);
  ASSERT_EQ(source.Process(kSample64, scratch.Ptrs(), scratch.Ptrs(), 2, 8, &custom), kResultOk);
  const std::vector<uint8_t> state = source.GetState();

  ASSERT_NO_FATAL_FAILURE(Prepared(inst, 48000, kSample64));
  Planar first(2), second(2);
  for (int c = 0; c < 2; ++c) {
    first[c].assign(in[c].begin(), in[c].begin() + 1024);
    second[c].assign(in[c].begin() + 1024, in[c].end());
  }
  Planar out = Render(inst, first, 512, kSample64);
  ASSERT_EQ(inst.SetState(state), kResultOk);
  const Planar rest = Render(inst, second, 512, kSample64);
  for (int c = 0; c < 2; ++c) out[c].insert(out[c].end(), rest[c].begin(), rest[c].end());

  Settings s;
  s.avgDb = -36, s.releaseMs = 999, s.topRatio = 1;
  Reference ref(48000, 4);
  const Planar expected = ref.Render(in, 512, [&](int b, Reference& r) {
    if (b == 2) r.Apply(s);
  });
  EXPECT_LE(MaxDiff(out, expected), kExact);
}

}  // namespace
}  // namespace qoit
