// The VST3 binding in-process, driven the way a careless or hostile host drives it: repeated
// initialize calls, texts that are no numbers, value texts for values no parameter can hold,
// endless state streams, set-up and controller writes while audio runs.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "fx/stateblob.h"

#include "plugin/quibelombrelux.h"
#include "tools/vst3host/host.h"

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

struct Plugin {
  QuibelOmbrelux* fx = new QuibelOmbrelux(IFxCreateArgs());
  ~Plugin() { fx->release(); }
  QuibelOmbrelux* operator->() { return fx; }
};

// 9 plug-in parameters behind "Preset" and "Bypass"; one stereo bus each way.
void ExpectOneSetOfBusesAndParameters(QuibelOmbrelux* fx) {
  EXPECT_EQ(fx->getParameterCount(), 11);
  EXPECT_EQ(fx->getBusCount(kAudio, kInput), 1);
  EXPECT_EQ(fx->getBusCount(kAudio, kOutput), 1);
  ParameterInfo last{};
  ASSERT_EQ(fx->getParameterInfo(10, last), kResultOk);
  EXPECT_EQ(last.id, 8u);
}

TEST(BindingLifecycle, SecondInitializeIsRefusedWhateverContextCameFirst) {
  vst3host::HostApplication host("Cubase");
  vst3host::HostApplication other("REAPER");
  for (FUnknown* first : {static_cast<FUnknown*>(nullptr), static_cast<FUnknown*>(&host)}) {
    SCOPED_TRACE(first ? "host first" : "null first");
    Plugin p;
    ASSERT_EQ(p->initialize(first), kResultOk);
    ExpectOneSetOfBusesAndParameters(p.fx);
    const HostCode code = p->IdentifyHost();
    p->GetParam(0)->SetValue(-7.0);  // a preset load would put the default back
    for (FUnknown* again : {static_cast<FUnknown*>(&other), static_cast<FUnknown*>(nullptr),
                            static_cast<FUnknown*>(&host)}) {
      EXPECT_EQ(p->initialize(again), kResultFalse);
    }
    ExpectOneSetOfBusesAndParameters(p.fx);
    EXPECT_EQ(p->IdentifyHost(), code);
    EXPECT_EQ(p->GetParam(0)->Value(), -7.0);
    EXPECT_EQ(other.Refs(), 1u);
    // After terminate the object can be initialised again, once.
    EXPECT_EQ(p->terminate(), kResultOk);
    EXPECT_EQ(p->getParameterCount(), 0);
    EXPECT_EQ(p->initialize(&other), kResultOk);
    ExpectOneSetOfBusesAndParameters(p.fx);
    EXPECT_EQ(p->initialize(&other), kResultFalse);
    EXPECT_EQ(p->terminate(), kResultOk);
  }
  EXPECT_EQ(host.Refs(), 1u);
  EXPECT_EQ(other.Refs(), 1u);
}

// A 128-unit UTF-16 buffer holding the units given.
struct Text16 {
  explicit Text16(const std::u16string& s) {
    for (size_t i = 0; i < s.size() && i < 127; ++i) units[i] = s[i];
  }
  String128 units{};
};

TEST(BindingTexts, OnlyWholeAsciiNumbersWithTheParameterUnitAreRead) {
  Plugin p;
  ASSERT_EQ(p->initialize(nullptr), kResultOk);
  struct Row {
    ParamID id;
    std::u16string text;
    bool ok;
    double normalized;
  };
  const double release250 = std::sqrt(249.0 / 998.0);  // exponent 2 over 1..999
  const Row rows[] = {
      {0, u"-19.0", true, 29.0 / 48.0},
      {0, u" -19.0 dB ", true, 29.0 / 48.0},
      {0, u"-1.9e1dB", true, 29.0 / 48.0},
      {7, u"250 ms", true, release250},
      {7, u"+250", true, release250},
      {8, u"50%", true, 0.5},
      {7, u"\u4E39\u4E39\u4E39", false, 0},  // low bytes "999"
      {7, u"9\u0139", false, 0},               // low byte '9' again
      {7, u"7abc", false, 0},
      {7, u"0x1p4", false, 0},
      {0, u"-1,5", false, 0},
      {0, u"nan", false, 0},
      {0, u"inf", false, 0},
      {0, u"-19.0 ms", false, 0},
      {0, u"", false, 0},
      {0, u"1e999", false, 0},
      {8, u"50 %%", false, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.text.begin(), r.text.end()));
    Text16 t(r.text);
    ParamValue n = -5.0;
    EXPECT_EQ(p->getParamValueByString(r.id, t.units, n), r.ok ? kResultOk : kResultFalse);
    if (r.ok) {
      EXPECT_NEAR(n, r.normalized, 1e-15);
    } else {
      EXPECT_EQ(n, -5.0);
    }
  }
  // The preset parameter reads a plain number as well, and nothing else.
  ParamValue n = -5.0;
  EXPECT_EQ(p->getParamValueByString(0x70727374, Text16(u"1").units, n), kResultOk);
  EXPECT_EQ(n, 1.0);
  n = -5.0;
  EXPECT_EQ(p->getParamValueByString(0x70727374, Text16(u"1x").units, n), kResultFalse);
  EXPECT_EQ(n, -5.0);
  EXPECT_EQ(p->terminate(), kResultOk);
}

std::string Narrow(const String128 s) {
  std::string r;
  for (int i = 0; i < 128 && s[i]; ++i) r.push_back(static_cast<char>(s[i]));
  return r;
}

TEST(BindingTexts, ValueTextsAreForValuesAParameterCanHold) {
  Plugin p;
  ASSERT_EQ(p->initialize(nullptr), kResultOk);
  const double inf = std::numeric_limits<double>::infinity();
  struct Row {
    ParamID id;
    double normalized;
    const char* text;
  };
  const Row rows[] = {
      {0, 2.0, "0.0"},   {0, inf, "0.0"},  {0, -1.0, "-48.0"}, {0, -inf, "-48.0"},
      {6, -1.0, "1"},    {6, 0.5, "25"},   {7, inf, "999"},    {7, -inf, "1"},
      {8, 1.5, "100"},   {8, -0.25, "0"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.id << " at " << r.normalized);
    String128 s;
    ASSERT_EQ(p->getParamStringByValue(r.id, r.normalized, s), kResultOk);
    EXPECT_EQ(Narrow(s), r.text);
  }
  for (ParamID id = 0; id < 9; ++id) {
    String128 s;
    s[0] = 'x';
    s[1] = 0;
    EXPECT_EQ(p->getParamStringByValue(id, std::nan(""), s), kResultFalse);
    EXPECT_EQ(Narrow(s), "x");
  }
  EXPECT_EQ(p->terminate(), kResultOk);
}

// The 76-byte state of the given values and bypass flag, little-endian.
std::vector<uint8_t> StateBytes(const double (&values)[9], int32_t bypass) {
  std::vector<uint8_t> b(76);
  for (int i = 0; i < 9; ++i) StoreLE64(&b[8 * static_cast<size_t>(i)], values[i]);
  StoreLE32(&b[72], bypass);
  return b;
}

TEST(BindingState, OnlyTheStateIsReadFromALongerStream) {
  const double values[9] = {-30, 4, -20, 3, -40, 1.5, 50, 800, 0};
  for (int64_t length : {int64_t{76}, int64_t{77}, int64_t{4096}, int64_t{256} << 20, int64_t{1} << 40}) {
    SCOPED_TRACE(length);
    Plugin p;
    ASSERT_EQ(p->initialize(nullptr), kResultOk);
    vst3host::LongStream s(StateBytes(values, 1), length);
    ASSERT_EQ(p->setState(&s), kResultOk);
    EXPECT_EQ(s.delivered, 76);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(p->GetParam(i)->Value(), values[i]) << i;
    EXPECT_TRUE(p->IsBypassed());
    int64 at = -1;
    s.tell(&at);
    EXPECT_EQ(at, 76);  // the stream stands right after the state
    EXPECT_EQ(p->terminate(), kResultOk);
  }
}

ProcessSetup MakeSetup(int32 sampleSize, int32 maxBlock, double rate) {
  ProcessSetup setup{};
  setup.processMode = kRealtime;
  setup.symbolicSampleSize = sampleSize;
  setup.maxSamplesPerBlock = maxBlock;
  setup.sampleRate = rate;
  return setup;
}

// A host that (against the rules) sets up processing again and writes parameters and reads the
// bypass from its user-interface thread while the audio thread processes: the set-up waits for the
// block (the pins' scratch buffers are never resized under it; AddressSanitizer would see that),
// and the shared values are atomics (ThreadSanitizer finds no race).
TEST(BindingThreads, SetupAndControllerWritesDuringProcessingStaySound) {
  for (int32 size : {kSample32, kSample64}) {
    SCOPED_TRACE(size);
    Plugin p;
    ASSERT_EQ(p->initialize(nullptr), kResultOk);
    ProcessSetup setup = MakeSetup(size, 512, 44100.0);
    ASSERT_EQ(p->setupProcessing(setup), kResultOk);
    ASSERT_EQ(p->setActive(1), kResultOk);
    std::atomic<bool> done{false};
    bool finite = true;
    std::thread audio([&] {
      const int32 frames[] = {512, 64, 1024, 300, 4096, 1};
      std::vector<float> f[4];
      std::vector<double> d[4];
      for (int block = 0; block < 120; ++block) {
        const int32 n = frames[block % 6];
        void* ptrs[4];
        for (int c = 0; c < 4; ++c) {
          f[c].assign(static_cast<size_t>(n), 0.25f);
          d[c].assign(static_cast<size_t>(n), 0.25);
          ptrs[c] = size == kSample32 ? static_cast<void*>(f[c].data()) : static_cast<void*>(d[c].data());
        }
        AudioBusBuffers in{}, out{};
        in.numChannels = out.numChannels = 2;
        in.channelBuffers32 = reinterpret_cast<float**>(&ptrs[0]);
        out.channelBuffers32 = reinterpret_cast<float**>(&ptrs[2]);
        // The audio thread writes the same values: the host's automation and bypass.
        vst3host::ParameterChanges changes;
        changes.Add(7, 0, (block % 5) / 4.0);
        changes.Add(0x62706173, 0, block % 4 == 0 ? 1.0 : 0.0);
        ProcessData data{};
        data.processMode = kRealtime;
        data.inputParameterChanges = &changes;
        data.symbolicSampleSize = size;
        data.numSamples = n;
        data.numInputs = data.numOutputs = 1;
        data.inputs = &in;
        data.outputs = &out;
        p->process(data);
        for (int c = 2; c < 4; ++c) {
          for (int32 i = 0; i < n; ++i) {
            const double v = size == kSample32 ? f[c][static_cast<size_t>(i)] : d[c][static_cast<size_t>(i)];
            finite = finite && std::isfinite(v);
          }
        }
      }
      done = true;
    });
    int round = 0;
    while (!done) {
      ProcessSetup again = MakeSetup(size, round % 3 == 0 ? 64 : (round % 3 == 1 ? 8192 : 700), 48000.0);
      p->setupProcessing(again);
      p->setParamNormalized(7, (round % 11) / 10.0);
      p->setParamNormalized(0, (round % 7) / 6.0);
      (void)p->getParamNormalized(0x62706173);
      (void)p->getParamNormalized(7);
      ++round;
    }
    audio.join();
    EXPECT_TRUE(finite);
    EXPECT_EQ(p->terminate(), kResultOk);
  }
}

}  // namespace
