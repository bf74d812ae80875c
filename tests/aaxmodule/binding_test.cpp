// The wrapper's framework hooks and its render entry, in process on the plug-in object.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <stdexcept>

#include "aax/aaxcparameter.h"
#include "aax/aaxproxies.h"
#include "fx/formats/ifxaax.h"
#include "fx/formats/ifxaaxentry.h"
#include "fx/igraphics.h"
#include "fx/pluginentry.h"
#include "tests/aax/fakehost.h"

namespace {

using fakehost::FakeHost;
using fakehost::Kind;

struct Plugin {
  Plugin() {
    IFxBase* base = NewPluginObject(IFxCreateArgs());
    fx = static_cast<IFxAAX*>(base);
    face = static_cast<AAX_IACFEffectParameters_V2*>(static_cast<AAX_CIFxParameters*>(fx));
    face->AddRef();
  }
  ~Plugin() { face->Release(); }
  IFxAAX* fx;
  AAX_IACFEffectParameters* face;
};

int CountCalls(const FakeHost& host, const std::string& object, int slot) {
  int n = 0;
  for (const auto& c : host.log) n += c.object == object && c.slot == slot;
  return n;
}

TEST(AaxBinding, ConstructionIdentifiesTheHostAndConnectsThePins) {
  Plugin p;
  EXPECT_EQ(kFormatAax, p.fx->WrapperFormat());
  EXPECT_EQ(2, static_cast<int>(p.fx->IdentifyHost()));  // "ProTools"
  EXPECT_EQ(0x10001, p.fx->HostVersionCode());
  EXPECT_EQ(1024, p.fx->BlockFrames());
  ASSERT_EQ(2, p.fx->InputPinCount());
  EXPECT_TRUE(p.fx->InputPin(1)->mActive);
  EXPECT_TRUE(p.fx->OutputPin(1)->mActive);
  EXPECT_NE(nullptr, p.fx->DelayLine());
  EXPECT_EQ(nullptr, p.fx->MasterBypass());
}

TEST(AaxBinding, SampleRateOnlyFromASuccessfulFiniteAnswer) {
  struct Case {
    float rate;
    int64_t result;
    double expected;
  } cases[] = {{96000.0f, 0, 96000.0}, {96000.0f, -1, 44100.0}, {0.0f, 0, 44100.0},
               {-48000.0f, 0, 44100.0}, {std::numeric_limits<float>::quiet_NaN(), 0, 44100.0},
               {std::numeric_limits<float>::infinity(), 0, 44100.0}};
  for (const Case& c : cases) {
    FakeHost host;
    host.controller->sampleRate = c.rate;
    host.controller->results[4] = c.result;
    Plugin p;
    ASSERT_EQ(0, p.face->Initialize(host.unknown->Unknown()));
    EXPECT_EQ(c.expected, p.fx->SampleRate()) << c.rate << " " << c.result;
    p.face->Uninitialize();
  }
}

TEST(AaxBinding, PrivateFieldReceivesTheInstance) {
  Plugin p;
  uint8_t block[16];
  std::memset(block, 0x5A, sizeof block);
  EXPECT_EQ(-20002, p.face->ResetFieldData(8, nullptr, 8));
  EXPECT_EQ(-20002, p.face->ResetFieldData(8, block, 4));
  EXPECT_EQ(0x5A, block[0]);
  ASSERT_EQ(0, p.face->ResetFieldData(8, block, 8));
  AAX_CIFxParameters* stored = nullptr;
  std::memcpy(&stored, block, 8);
  EXPECT_EQ(static_cast<AAX_CIFxParameters*>(p.fx), stored);
  EXPECT_EQ(0x5A, block[8]);
  ASSERT_EQ(0, p.face->ResetFieldData(3, block, 16));
  for (uint8_t b : block) EXPECT_EQ(0, b);
}

TEST(AaxBinding, TransportHooksReadTheRenderTransport) {
  Plugin p;
  ITransportInfo info;
  std::memset(&info, 0x7F, sizeof info);
  p.fx->FillHostTimeInfo(&info);  // no transport yet: zeros
  EXPECT_EQ(0.0, info.mBeatsPerMinute);
  EXPECT_EQ(0.0, info.mQuarterNotePosition);
  EXPECT_EQ(0, info.mMeterNumerator);
  EXPECT_FALSE(info.mIsPlaying);
  EXPECT_EQ(0, p.fx->HostSamplePosition());
  EXPECT_EQ(0.0, p.fx->HostTempo());
  int num = 9, den = 9;
  p.fx->HostTimeSignature(&num, &den);
  EXPECT_EQ(0, num);
  EXPECT_EQ(0, den);

  FakeHost host;
  host.controller->succeed = true;
  auto* transport = host.NewObject(Kind::RenderTransport, "rt");
  auto* node = host.NewObject(Kind::TransportNode, "node");
  transport->succeed = true;
  transport->tempo = 96.0;
  transport->meterNumerator = 7;
  transport->meterDenominator = 8;
  transport->playing = true;
  transport->looping = true;
  transport->ticks = 1920000;
  transport->loopStart = 480000;
  transport->loopEnd = 3840000;
  transport->samples = (int64_t{5} << 32) + 1234;
  node->transport = transport->As<AAX_ITransport>();
  ASSERT_EQ(0, p.face->Initialize(host.unknown->Unknown()));
  std::vector<float> l(32, 0.0f), r(32, 0.0f);
  float* ch[2] = {l.data(), r.data()};
  int32_t frames = 32;
  uint8_t privateBlock[8];
  p.face->ResetFieldData(8, privateBlock, 8);
  AAX_IFxRenderContext context{};
  context.fields[0] = ch;
  context.fields[1] = ch;
  context.fields[3] = &frames;
  context.fields[7] = node->As<void>();
  context.fields[8] = privateBlock;
  void* batch[1] = {&context};
  RenderInstances(batch, batch + 1);
  std::memset(&info, 0x7F, sizeof info);
  p.fx->FillHostTimeInfo(&info);
  EXPECT_EQ(96.0, info.mBeatsPerMinute);
  EXPECT_TRUE(info.mIsPlaying);
  EXPECT_EQ(7, info.mMeterNumerator);
  EXPECT_EQ(8, info.mMeterDenominator);
  EXPECT_EQ(2.0, info.mQuarterNotePosition);
  EXPECT_EQ(static_cast<double>((int64_t{5} << 32) + 1234), info.mSamplePosition);
  EXPECT_TRUE(info.mIsLooping);
  EXPECT_EQ(0.5, info.mLoopStartQuarterNotes);
  EXPECT_EQ(4.0, info.mLoopEndQuarterNotes);
  EXPECT_EQ(1234, p.fx->HostSamplePosition());
  EXPECT_EQ(96.0, p.fx->HostTempo());
  p.face->Uninitialize();
}

TEST(AaxBinding, EditorGesturesGoToTheHostByIdentifier) {
  FakeHost host;
  host.controller->succeed = true;
  Plugin p;
  ASSERT_EQ(0, p.face->Initialize(host.unknown->Unknown()));
  const size_t before = host.log.size();
  for (int bad : {-1, 9, 1000}) {
    p.fx->BeginInformHostOfParamChange(bad);
    p.fx->InformHostOfParamChange(bad, 0.5);
    p.fx->EndInformHostOfParamChange(bad);
  }
  EXPECT_EQ(before, host.log.size());
  p.fx->BeginInformHostOfParamChange(2);
  p.fx->SetParameterFromGUI(2, 0.25);
  p.fx->EndInformHostOfParamChange(2);
  std::vector<std::string> calls;
  for (size_t i = before; i < host.log.size(); ++i) {
    if (host.log[i].object == "automation" && host.log[i].slot >= 5 && host.log[i].slot <= 8) {
      calls.push_back(std::to_string(host.log[i].slot) + ":" + host.log[i].args[0]);
    }
  }
  // Touch, then the value request (itself wrapped in touch and release), then release.
  EXPECT_EQ((std::vector<std::string>{"7:s:3", "7:s:3", "5:s:3", "8:s:3", "8:s:3"}), calls);
  p.face->Uninitialize();
}

TEST(AaxBinding, LatencyAndEditorSizeReachTheHostOnlyWhenConnected) {
  Plugin p;
  p.fx->ChangeLatency(16);  // no controller yet
  EXPECT_EQ(16, p.fx->LatencySamples());
  p.fx->ResizeEditor(640, 480);  // never opened in a host view: nothing

  FakeHost host;
  host.controller->succeed = true;
  ASSERT_EQ(0, p.face->Initialize(host.unknown->Unknown()));
  p.fx->ChangeLatency(0);
  EXPECT_EQ(1, CountCalls(host, "controller", 10));
  ASSERT_NE(nullptr, p.fx->AttachedGraphics());
  AAX_VViewContainer view(host.viewUnknown->Unknown());
  p.fx->AttachedGraphics()->mHostViewContainer = &view;
  p.fx->ResizeEditor(700, 500);
  const auto calls = host.CallsTo("view");
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(6, calls.back().slot);
  EXPECT_EQ("pt:500,700", calls.back().args[0]);
  p.fx->AttachedGraphics()->mHostViewContainer = nullptr;
  p.face->Uninitialize();
}

// A small plug-in on the binding that counts its resets, notes its resets and parameter
// announcements in order, and can fail its processing.
class TestFx : public IFxAAX {
 public:
  explicit TestFx(bool takesMidi = false, int params = 0)
      : IFxAAX(IFxCreateArgs(), params, "2-2", 1, "t", "t", "t", 1, 'Test', 'Test', 0, takesMidi, false, false) {
    for (int i = 0; i < params; ++i) GetParam(i)->InitContinuous("Level", 0.0, -1.0, 1.0, 0.01);
  }
  void ResetAudio() override {
    resetFrames.push_back(BlockFrames());
    events.push_back("audio reset");
  }
  void ParamChanged(int paramIdx, ParamChangeSource source) override {
    const std::string from = source == kSourceReset ? "reset" : std::to_string(source);
    events.push_back("changed " + std::to_string(paramIdx) + " by " + from);
  }
  std::vector<std::string> events;
  void ReceiveMidi(const IMidiEvent* e) override {
    midi.push_back({e->mFrameOffset, e->mStatusByte, e->mDataByte1, e->mDataByte2});
  }
  std::vector<std::vector<int>> midi;
  void ProcessSamples(double** in, double** out, int frames) override {
    if (fail) throw std::runtime_error("processing failed");
    IFxAAX::ProcessSamples(in, out, frames);
  }
  AAX_IACFEffectParameters* Face() { return static_cast<AAX_IACFEffectParameters_V2*>(static_cast<AAX_CIFxParameters*>(this)); }
  bool fail = false;
  std::vector<int> resetFrames;
};

// One instance's render context on its own buffers.
struct Context {
  Context(AAX_IACFEffectParameters* face, void* transportNode) : l(1024, 0.5f), r(1024, 0.5f) {
    face->ResetFieldData(8, block, 8);
    ch[0] = l.data();
    ch[1] = r.data();
    c.fields[0] = c.fields[1] = ch;
    c.fields[3] = &frames;
    c.fields[7] = transportNode;
    c.fields[8] = block;
  }
  std::vector<float> l, r;
  float* ch[2];
  int32_t frames = 32;
  uint8_t block[8];
  AAX_IFxRenderContext c{};
};

TEST(AaxBinding, BlockSizeChangesResizeAndResetOncePerChange) {
  FakeHost host;
  host.controller->succeed = true;
  auto* node = host.NewObject(Kind::TransportNode, "node");
  auto* fx = new TestFx();
  fx->Face()->AddRef();
  ASSERT_EQ(0, fx->Face()->Initialize(host.unknown->Unknown()));
  EXPECT_EQ((std::vector<int>{1024}), fx->resetFrames);  // the start-up reset
  Context ctx(fx->Face(), node->As<void>());
  void* batch[1] = {&ctx.c};
  for (int frames : {512, 512, 256, 256, 1024}) {
    ctx.frames = frames;
    RenderInstances(batch, batch + 1);
    EXPECT_EQ(frames, fx->BlockFrames());
  }
  // Each change resized the pins before its reset.
  EXPECT_EQ((std::vector<int>{1024, 512, 256, 1024}), fx->resetFrames);
  fx->Face()->Uninitialize();
  fx->Face()->Release();
}

// The engines follow the parameters only through their announcements: the start-up announces every
// parameter once, as a reset, after the reset of the audio.
TEST(AaxBinding, StartUpAnnouncesEveryParameterAfterTheReset) {
  FakeHost host;
  host.controller->succeed = true;
  auto* fx = new TestFx(false, 3);
  fx->Face()->AddRef();
  ASSERT_EQ(0, fx->Face()->Initialize(host.unknown->Unknown()));
  EXPECT_EQ((std::vector<std::string>{"audio reset", "changed 0 by reset", "changed 1 by reset", "changed 2 by reset"}),
            fx->events);
  fx->Face()->Uninitialize();
  fx->Face()->Release();
}

TEST(AaxBinding, AFailingInstanceDoesNotStopTheBatch) {
  FakeHost host;
  host.controller->succeed = true;
  auto* node = host.NewObject(Kind::TransportNode, "node");
  auto* failing = new TestFx();
  failing->fail = true;
  failing->Face()->AddRef();
  Plugin good;
  ASSERT_EQ(0, failing->Face()->Initialize(host.unknown->Unknown()));
  ASSERT_EQ(0, good.face->Initialize(host.unknown->Unknown()));
  Context c1(failing->Face(), node->As<void>()), c2(good.face, node->As<void>());
  void* batch[2] = {&c1.c, &c2.c};
  for (int round = 0; round < 2; ++round) {  // the failed block left no lock held
    std::fill(c2.l.begin(), c2.l.end(), 0.5f);
    RenderInstances(batch, batch + 2);
    EXPECT_NE(0.5f, c2.l[31]) << round;
  }
  failing->Face()->Uninitialize();
  good.face->Uninitialize();
  failing->Face()->Release();
}

// A host that renders a block from inside each automation call of a second Initialize: the blocks
// rendered while the old parameters are withdrawn and deleted must not read them.
TEST(AaxBinding, BlocksRenderedDuringReinitialisationReadNoFreedParameters) {
  FakeHost host;
  host.controller->succeed = true;
  auto* node = host.NewObject(Kind::TransportNode, "node");
  Plugin p;
  ASSERT_EQ(0, p.face->Initialize(host.unknown->Unknown()));
  Context ctx(p.face, node->As<void>());
  void* batch[1] = {&ctx.c};
  std::vector<int> slots;
  host.automation->onCall = [&](int slot) {
    if (slot < 3) return;
    slots.push_back(slot);
    RenderInstances(batch, batch + 1);
  };
  ASSERT_EQ(0, p.face->Initialize(host.unknown->Unknown()));
  host.automation->onCall = nullptr;
  // Ten withdrawals of the old parameters, then ten enrolments of the new ones.
  ASSERT_EQ(20u, slots.size());
  EXPECT_EQ(std::vector<int>(10, 4), std::vector<int>(slots.begin(), slots.begin() + 10));
  EXPECT_EQ(std::vector<int>(10, 3), std::vector<int>(slots.begin() + 10, slots.end()));
  // The new parameters render as before.
  std::fill(ctx.l.begin(), ctx.l.end(), 0.5f);
  RenderInstances(batch, batch + 1);
  EXPECT_NE(0.5f, ctx.l[31]);
  ASSERT_EQ(0, p.face->UpdateParameterNormalizedValue("", 1.0, 0));
  std::fill(ctx.l.begin(), ctx.l.end(), 0.5f);
  RenderInstances(batch, batch + 1);
  EXPECT_EQ(0.5f, ctx.l[31]);
  p.face->Uninitialize();
}

TEST(AaxBinding, SecondInitializeRebuildsTheSameParameters) {
  FakeHost host;
  host.controller->succeed = true;
  Plugin p;
  ASSERT_EQ(0, p.face->Initialize(host.unknown->Unknown()));
  ASSERT_EQ(0, p.face->Initialize(host.unknown->Unknown()));
  int32_t count = 0;
  EXPECT_EQ(0, p.face->GetNumberOfParameters(&count));
  EXPECT_EQ(10, count);
  EXPECT_STREQ("9", p.fx->ParamIdentifier(8));
  EXPECT_STREQ("", p.fx->ParamIdentifier(9));
  ASSERT_NE(nullptr, p.fx->MasterBypass());
  EXPECT_EQ(0, p.face->UpdateParameterNormalizedValue("", 1.0, 0));
  bool on = false;
  EXPECT_TRUE(p.fx->MasterBypass()->ReadBool(&on));
  EXPECT_TRUE(on);
  p.face->Uninitialize();
  EXPECT_EQ(nullptr, p.fx->MasterBypass());
}

// The description of other channel lists than the plug-in's own.
TEST(AaxBinding, DescriptionCoversOnlyLayoutsWithIds) {
  struct Case {
    const char* channels;
    AAX_Result result;
    std::vector<int64_t> inputStems;
  } cases[] = {
      {"0-1 2-2", 0, {0x00000001, 0x00010002}},          // no input is described as mono
      {"1-1 2-2 4-4", -20009, {0x00000001, 0x00010002}},  // a third layout has no ids
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.channels);
    FakeHost host;
    host.createSucceeding = true;
    IFxIdentity id = PluginIdentity();
    id.channelIO = c.channels;
    int registered = 0;
    {
      AAX_VCollection collection(host.unknown->Unknown());
      EXPECT_EQ(c.result, DescribeEffectsOf(&collection, id));
    }
    std::vector<int64_t> stems;
    for (const auto& call : host.log) {
      if (call.object == "collection1" && call.slot == 7) ++registered;
      if (call.object.compare(0, 3, "map") == 0 && call.slot == 4 && call.args[0] == "51") stems.push_back(std::stoll(call.args[1]));
    }
    EXPECT_EQ(c.inputStems, stems);
    EXPECT_EQ(c.result == 0 ? 1 : 0, registered);
    EXPECT_EQ("", host.Leaks());
  }
}

TEST(AaxBinding, APlugInThatTakesMidiGetsTheNodesPackets) {
  FakeHost host;
  host.controller->succeed = true;
  auto* node = host.NewObject(Kind::TransportNode, "node");
  auto* midiNode = host.NewObject(Kind::MidiNode, "midi");
  uint8_t packets[32] = {};
  packets[0] = 5;  // timestamp 5: note on, key 60, velocity 100
  packets[8] = 0x90;
  packets[9] = 60;
  packets[10] = 100;
  packets[16] = 17;  // timestamp 17: note off
  packets[24] = 0x80;
  packets[25] = 60;
  AAX_MidiStream stream{2, packets};
  midiNode->midiStream = &stream;
  auto* fx = new TestFx(true);
  fx->Face()->AddRef();
  ASSERT_EQ(0, fx->Face()->Initialize(host.unknown->Unknown()));
  Context ctx(fx->Face(), node->As<void>());
  ctx.c.fields[5] = midiNode->As<void>();
  void* batch[1] = {&ctx.c};
  RenderInstances(batch, batch + 1);
  EXPECT_EQ((std::vector<std::vector<int>>{{5, 0x90, 60, 100}, {17, 0x80, 60, 0}}), fx->midi);
  stream.packets = nullptr;  // a stream without packets delivers nothing
  RenderInstances(batch, batch + 1);
  EXPECT_EQ(2u, fx->midi.size());
  fx->Face()->Uninitialize();
  fx->Face()->Release();
}

}  // namespace
