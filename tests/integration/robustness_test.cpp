// What a strict host or validator throws at the module: bus arrangements, lifecycle repetitions,
// odd block sizes, missing or malformed buffers, extreme sample rates, non-finite audio and
// processing on a second thread.
#include <algorithm>
#include <atomic>
#include <thread>

#include "tests/integration/plugin_harness.h"

namespace qoit {
namespace {

// ---------------------------------------------------------------- bus arrangements

class ArrangementTest : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    ASSERT_EQ(inst.Create(Factory()), "");
    p = inst.processor;
  }
  tresult Arrange(SpeakerArrangement in, SpeakerArrangement out) { return p->setBusArrangements(&in, 1, &out, 1); }
  int32 Channels(BusDirection dir) {
    BusInfo info{};
    EXPECT_EQ(inst.component->getBusInfo(kAudio, dir, 0, info), kResultOk);
    return info.channelCount;
  }
  Instance inst;
  IAudioProcessor* p = nullptr;
};

TEST_F(ArrangementTest, StartsWithOneStereoBusEachWay) {
  EXPECT_EQ(inst.component->getBusCount(kAudio, kInput), 1);
  EXPECT_EQ(inst.component->getBusCount(kAudio, kOutput), 1);
  EXPECT_EQ(inst.component->getBusCount(kEvent, kInput), 0);
  EXPECT_EQ(inst.component->getBusCount(kEvent, kOutput), 0);
  BusInfo info{};
  ASSERT_EQ(inst.component->getBusInfo(kAudio, kInput, 0, info), kResultOk);
  EXPECT_EQ(info.mediaType, kAudio);
  EXPECT_EQ(info.direction, kInput);
  EXPECT_EQ(info.channelCount, 2);
  EXPECT_EQ(info.busType, kMain);
  EXPECT_EQ(info.flags & BusInfo::kDefaultActive, static_cast<uint32>(BusInfo::kDefaultActive));
  ASSERT_EQ(inst.component->getBusInfo(kAudio, kOutput, 0, info), kResultOk);
  EXPECT_EQ(info.channelCount, 2);
  EXPECT_EQ(Narrow(info.name), "Output");
  SpeakerArrangement arr = 0;
  ASSERT_EQ(p->getBusArrangement(kOutput, 0, arr), kResultOk);
  EXPECT_EQ(arr, SpeakerArr::kStereo);
}

TEST_F(ArrangementTest, MonoAndStereoPairsAreAccepted) {
  ASSERT_EQ(Arrange(SpeakerArr::kMono, SpeakerArr::kMono), kResultOk);
  EXPECT_EQ(Channels(kInput), 1);
  EXPECT_EQ(Channels(kOutput), 1);
  SpeakerArrangement arr = 0;
  ASSERT_EQ(p->getBusArrangement(kInput, 0, arr), kResultOk);
  EXPECT_EQ(arr, SpeakerArr::kMono);
  ASSERT_EQ(Arrange(SpeakerArr::kStereo, SpeakerArr::kStereo), kResultOk);
  EXPECT_EQ(Channels(kInput), 2);
  EXPECT_EQ(Channels(kOutput), 2);
}

TEST_F(ArrangementTest, OtherLayoutsAreRefused) {
  EXPECT_EQ(Arrange(SpeakerArr::kMono, SpeakerArr::kStereo), kResultFalse);
  EXPECT_EQ(Arrange(SpeakerArr::kStereo, SpeakerArr::kMono), kResultFalse);
  EXPECT_EQ(Arrange(SpeakerArr::k51, SpeakerArr::k51), kResultFalse);
  SpeakerArrangement two[2] = {SpeakerArr::kStereo, SpeakerArr::kStereo};
  SpeakerArrangement out = SpeakerArr::kStereo;
  EXPECT_EQ(p->setBusArrangements(two, 2, &out, 1), kResultFalse);
  EXPECT_EQ(p->setBusArrangements(nullptr, 0, &out, 1), kResultFalse);
  EXPECT_EQ(p->setBusArrangements(two, -1, &out, 1), kResultFalse);
  EXPECT_EQ(Channels(kInput), 2);
}

TEST_F(ArrangementTest, BusIndexesOutOfRangeAreInvalid) {
  BusInfo info{};
  EXPECT_EQ(inst.component->getBusInfo(kAudio, kInput, 1, info), kInvalidArgument);
  EXPECT_EQ(inst.component->getBusInfo(kAudio, kOutput, -1, info), kInvalidArgument);
  EXPECT_EQ(inst.component->getBusInfo(kEvent, kInput, 0, info), kInvalidArgument);
  SpeakerArrangement arr = 0;
  EXPECT_EQ(p->getBusArrangement(kInput, 1, arr), kInvalidArgument);
}

// ---------------------------------------------------------------- lifecycle and fixed answers

using LifecycleTest = PluginTest;

TEST_F(LifecycleTest, ManyFreshInstancesInitializeAndTerminate) {
  vst3host::HostApplication host("QuibelTestHost");
  for (int i = 0; i < 25; ++i) {
    void* obj = nullptr;
    ASSERT_EQ(Factory()->createInstance(reinterpret_cast<const char*>(kClassId), IComponent::iid.bytes, &obj),
              kResultOk);
    IComponent* component = static_cast<IComponent*>(obj);
    ASSERT_EQ(component->initialize(&host), kResultOk) << i;
    EXPECT_EQ(component->getBusCount(kAudio, kOutput), 1);
    EXPECT_EQ(component->terminate(), kResultOk);
    EXPECT_EQ(component->release(), 0u);
  }
  EXPECT_EQ(host.Refs(), 1u);
}

TEST_F(LifecycleTest, SecondInitializeIsRefused) {
  Instance inst;
  ASSERT_EQ(inst.Create(Factory()), "");
  vst3host::HostApplication other("Other");
  EXPECT_EQ(inst.component->initialize(&other), kResultFalse);
  EXPECT_EQ(inst.controller->initialize(&inst.host), kResultFalse);
  EXPECT_EQ(inst.controller->getParameterCount(), 11);
  EXPECT_EQ(inst.component->getBusCount(kAudio, kInput), 1);
}

TEST_F(LifecycleTest, ActivationCanToggleRepeatedly) {
  Instance inst;
  ASSERT_EQ(inst.Create(Factory()), "");
  ASSERT_EQ(inst.Prepare(48000, 512, kSample64), kResultOk);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(inst.component->setActive(0), kResultOk);
    EXPECT_EQ(inst.component->setActive(1), kResultOk);
  }
  const Planar in = MakeSignal(2, 1024, 48000);
  EXPECT_LE(MaxDiff(Render(inst, in, 512, kSample64), ReferenceRender(in, 48000, 4, 512, kSample64)), kExact);
}

TEST_F(LifecycleTest, FixedProcessorAnswers) {
  Instance inst;
  ASSERT_EQ(inst.Create(Factory()), "");
  IAudioProcessor* p = inst.processor;
  EXPECT_EQ(p->canProcessSampleSize(kSample32), kResultOk);
  EXPECT_EQ(p->canProcessSampleSize(kSample64), kResultOk);
  EXPECT_EQ(p->canProcessSampleSize(2), kResultFalse);
  EXPECT_EQ(p->canProcessSampleSize(-1), kResultFalse);
  ProcessSetup bad{kRealtime, 2, 512, 48000};
  EXPECT_EQ(p->setupProcessing(bad), kResultFalse);
  ProcessSetup good{kOffline, kSample64, 512, 48000};
  EXPECT_EQ(p->setupProcessing(good), kResultOk);
  EXPECT_EQ(p->getLatencySamples(), 0u);
  EXPECT_EQ(p->getTailSamples(), 0u);
  EXPECT_EQ(p->setProcessing(1), kResultOk);
  EXPECT_EQ(p->setProcessing(0), kResultOk);
  TUID cid;
  EXPECT_EQ(inst.component->getControllerClassId(cid), kNotImplemented);
}

// ---------------------------------------------------------------- blocks and buffers

class BlockTest : public PluginTest {
 protected:
  void Prepared(Instance& inst, double rate, int32 size, int32 maxBlock = 512) {
    ASSERT_EQ(inst.Create(Factory()), "");
    ASSERT_EQ(inst.Prepare(rate, maxBlock, size), kResultOk);
  }
};

TEST_F(BlockTest, EveryBlockSizeUpToTheMaximumMatchesTheEngine) {
  const Planar in = MakeSignal(2, 1536, 48000);
  for (int block : {1, 2, 511, 512}) {
    for (int32 size : {kSample32, kSample64}) {
      Instance inst;
      ASSERT_NO_FATAL_FAILURE(Prepared(inst, 48000, size));
      EXPECT_LE(MaxDiff(Render(inst, in, block, size), ReferenceRender(in, 48000, 4, block, size)), kExact)
          << "block " << block << " size " << size;
    }
  }
}

TEST_F(BlockTest, EmptyBlocksTouchNothing) {
  const Planar in = MakeSignal(2, 1024, 48000);
  Instance inst;
  ASSERT_NO_FATAL_FAILURE(Prepared(inst, 48000, kSample64));
  HostBuffers<double> ib(2, 16, 0.3), ob(2, 16, 0.7);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(inst.Process(kSample64, ib.Ptrs(), ob.Ptrs(), 2, 0), kResultOk);
  for (const auto& ch : ob.data) {
    for (double v : ch) EXPECT_EQ(v, 0.7);
  }
  EXPECT_LE(MaxDiff(Render(inst, in, 512, kSample64), ReferenceRender(in, 48000, 4, 512, kSample64)), kExact);
}

TEST_F(BlockTest, BlocksLongerThanTheMaximumAreProcessedInSlices) {
  const Planar in = MakeSignal(2, 2600, 48000);
  for (int32 size : {kSample32, kSample64}) {
    SCOPED_TRACE(size);
    Instance longBlocks, fitting;
    ASSERT_NO_FATAL_FAILURE(Prepared(longBlocks, 48000, size));
    ASSERT_NO_FATAL_FAILURE(Prepared(fitting, 48000, size));
    const Planar a = Render(longBlocks, in, 1300, size);
    // The same cuts in host blocks that fit: 512, 512, 276 per 1300 frames.
    Planar b(2, std::vector<double>(in[0].size()));
    for (size_t at = 0; at < in[0].size(); at += 1300) {
      Planar part(2);
      for (int c = 0; c < 2; ++c) part[c].assign(in[c].begin() + at, in[c].begin() + at + 1300);
      const Planar r = Render(fitting, part, 512, size);
      for (int c = 0; c < 2; ++c) std::copy(r[c].begin(), r[c].end(), b[c].begin() + at);
    }
    EXPECT_EQ(MaxDiff(a, b), 0.0);
    Reference ref(48000, 4);
    Planar expected = size == kSample32 ? RoundedToFloat(in) : in;
    for (size_t at = 0; at < in[0].size(); at += 1300) {
      for (size_t s = 0; s < 1300; s += 512) {
        ref.Block(expected, at + s, static_cast<int>(s + 512 <= 1300 ? 512 : 1300 - s));
      }
    }
    if (size == kSample32) expected = RoundedToFloat(expected);
    EXPECT_LE(MaxDiff(a, expected), kExact);
  }
}

TEST_F(BlockTest, FlushWithoutAudioStillAppliesParameterChanges) {
  Instance inst;
  ASSERT_NO_FATAL_FAILURE(Prepared(inst, 48000, kSample32));
  ParameterChanges changes;
  changes.Add(kTopThr, 0, 0.75);
  changes.Add(kBypassId, 0, 0.0);
  ASSERT_EQ(ProcessBuses(inst.processor, kSample32, 0, nullptr, 0, nullptr, 0, &changes), kResultOk);
  EXPECT_NEAR(inst.controller->getParamNormalized(kTopThr), 0.75, 1e-12);
  const Planar in = MakeSignal(2, 1024, 48000);
  Settings s;
  s.topDb = -12;
  EXPECT_LE(MaxDiff(Render(inst, in, 512, kSample32), ReferenceRender(in, 48000, 4, 512, kSample32, s)), kExact);
}

TEST_F(BlockTest, ProcessingBeforeSetupGivesSilence) {
  const Planar in = MakeSignal(2, 256, 44100);
  for (int32 size : {kSample32, kSample64}) {
    Instance inst;
    ASSERT_EQ(inst.Create(Factory()), "");
    SpeakerArrangement arr = SpeakerArr::kStereo;
    ASSERT_EQ(inst.processor->setBusArrangements(&arr, 1, &arr, 1), kResultOk);
    inst.component->activateBus(kAudio, kInput, 0, 1);
    inst.component->activateBus(kAudio, kOutput, 0, 1);
    ASSERT_EQ(inst.component->setActive(1), kResultOk);
    const Planar out = Render(inst, in, 256, size);
    EXPECT_EQ(MaxDiff(out, Planar(2, std::vector<double>(256, 0.0))), 0.0) << size;
  }
  // Not even buses activated: still no crash.
  Instance bare;
  ASSERT_EQ(bare.Create(Factory()), "");
  HostBuffers<float> ib(2, 64, 0.5f), ob(2, 64, 0.5f);
  EXPECT_EQ(bare.Process(kSample32, ib.Ptrs(), ob.Ptrs(), 2, 64), kResultOk);
}

TEST_F(BlockTest, WithoutAnInputBusTheEngineHearsSilence) {
  for (int32 size : {kSample32, kSample64}) {
    Instance inst;
    ASSERT_NO_FATAL_FAILURE(Prepared(inst, 48000, size));
    const Planar silence(2, std::vector<double>(300, 0.0));
    const Planar expected = ReferenceRender(silence, 48000, 4, 300, size);
    if (size == kSample32) {
      HostBuffers<float> ob(2, 300, 0.25f);
      ASSERT_EQ(inst.Process(size, nullptr, ob.Ptrs(), 2, 300), kResultOk);
      for (int c = 0; c < 2; ++c) {
        for (int i = 0; i < 300; ++i) ASSERT_EQ(ob.data[c][i], expected[c][i]);
      }
    } else {
      HostBuffers<double> ob(2, 300, 0.25);
      ASSERT_EQ(inst.Process(size, nullptr, ob.Ptrs(), 2, 300), kResultOk);
      EXPECT_EQ(MaxDiff(ob.data, expected), 0.0);
    }
    // Inputs come back afterwards.
    EXPECT_TRUE(AllFinite(Render(inst, MakeSignal(2, 512, 48000), 512, size)));
  }
}

TEST_F(BlockTest, MalformedBusesAreSurvived) {
  Instance inst;
  ASSERT_NO_FATAL_FAILURE(Prepared(inst, 44100, kSample32));
  HostBuffers<float> ib(2, 128, 0.5f), ob(2, 128, 0.25f);
  AudioBusBuffers in{}, out{};
  // Negative channel counts.
  in.numChannels = -1;
  out.numChannels = -5;
  in.channelBuffers32 = reinterpret_cast<float**>(ib.Ptrs());
  out.channelBuffers32 = reinterpret_cast<float**>(ob.Ptrs());
  EXPECT_EQ(ProcessBuses(inst.processor, kSample32, 128, &in, 1, &out, 1), kResultOk);
  // Null channel pointer arrays.
  in.numChannels = out.numChannels = 2;
  in.channelBuffers32 = out.channelBuffers32 = nullptr;
  EXPECT_EQ(ProcessBuses(inst.processor, kSample32, 128, &in, 1, &out, 1), kResultOk);
  // Arrays of null channels.
  float* none[2] = {nullptr, nullptr};
  in.channelBuffers32 = out.channelBuffers32 = none;
  EXPECT_EQ(ProcessBuses(inst.processor, kSample32, 128, &in, 1, &out, 1), kResultOk);
  // Bus counts without bus arrays.
  EXPECT_EQ(ProcessBuses(inst.processor, kSample32, 128, nullptr, 1, nullptr, 1), kResultOk);
  // An unknown sample size.
  in.channelBuffers32 = reinterpret_cast<float**>(ib.Ptrs());
  out.channelBuffers32 = reinterpret_cast<float**>(ob.Ptrs());
  EXPECT_EQ(ProcessBuses(inst.processor, 7, 128, &in, 1, &out, 1), kResultOk);
  for (const auto& ch : ob.data) {
    for (float v : ch) ASSERT_TRUE(std::isfinite(v));
  }
  // A proper block afterwards.
  EXPECT_TRUE(AllFinite(Render(inst, MakeSignal(2, 1024, 44100), 512, kSample32)));
}

TEST_F(BlockTest, SampleRatesFromOneKilohertzToOnePointTwoMegahertz) {
  const std::pair<double, int> rates[] = {{1000, 4},  {8000, 4},   {22050, 4},   {32000, 4},
                                          {384000, 1}, {768000, 1}, {1200000, 1}};
  for (const auto& r : rates) {
    SCOPED_TRACE(r.first);
    Instance inst;
    ASSERT_NO_FATAL_FAILURE(Prepared(inst, r.first, kSample64, 256));
    const Planar in = MakeSignal(2, 2048, r.first);
    const Planar out = Render(inst, in, 256, kSample64);
    EXPECT_TRUE(AllFinite(out));
    EXPECT_LE(MaxDiff(out, ReferenceRender(in, r.first, r.second, 256, kSample64)), kExact);
  }
}

TEST_F(BlockTest, NonFiniteInputLeavesTheOutputFinite) {
  for (int32 size : {kSample32, kSample64}) {
    SCOPED_TRACE(size);
    Instance inst;
    ASSERT_NO_FATAL_FAILURE(Prepared(inst, 44100, size));
    Planar in = MakeSignal(2, 2048, 44100);
    in[0][10] = NAN;
    in[1][11] = INFINITY;
    in[0][300] = -INFINITY;
    in[1][511] = NAN;
    for (int i = 600; i < 700; ++i) in[i % 2][static_cast<size_t>(i)] = 1e300;
    const Planar out = Render(inst, in, 512, size);
    EXPECT_TRUE(AllFinite(out));
    // Later blocks carry audio again.
    double peak = 0.0;
    for (size_t i = 1024; i < 2048; ++i) peak = std::fmax(peak, std::fabs(out[0][i]));
    EXPECT_GT(peak, 0.01);
  }
}

TEST_F(BlockTest, ProcessingOnAnAudioThreadWhileTheHostReadsAndWrites) {
  Instance inst;
  ASSERT_NO_FATAL_FAILURE(Prepared(inst, 48000, kSample32, 128));
  const Planar in = MakeSignal(2, 128 * 300, 48000);
  std::atomic<bool> done{false};
  Planar out;
  std::thread audio([&] {
    out = Render(inst, in, 128, kSample32);
    done = true;
  });
  int rounds = 0;
  bool sizesOk = true;
  const std::vector<uint8_t> defaults = inst.GetState();
  while (!done || rounds < 50) {
    sizesOk = sizesOk && inst.GetState().size() == 76;
    inst.controller->setParamNormalized(kTopThr, (rounds % 10) / 10.0);
    inst.controller->setParamNormalized(kRelease, (rounds % 7) / 7.0);
    if (rounds % 16 == 0) inst.SetState(defaults);
    const double n = inst.controller->getParamNormalized(kTopThr);
    sizesOk = sizesOk && n >= 0.0 && n <= 1.0;
    ++rounds;
  }
  audio.join();
  EXPECT_TRUE(sizesOk);
  EXPECT_TRUE(AllFinite(out));
}

}  // namespace
}  // namespace qoit
