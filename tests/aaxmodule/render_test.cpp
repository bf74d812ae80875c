// Rendering through the module's process procedure with render context records.
#include <cmath>

#include "tests/aaxmodule/harness.h"

namespace aaxtest {
namespace {

constexpr float kMarker = 12345.0f;

// Two channels of host buffers for one instance: input a loud tone, output filled with a marker.
struct Buffers {
  explicit Buffers(int frames, double phase = 0.0) : in(2, std::vector<float>(frames)), out(2, std::vector<float>(frames, kMarker)) {
    for (int k = 0; k < frames; ++k) {
      in[0][k] = static_cast<float>(0.7 * std::sin(0.05 * k + phase));
      in[1][k] = static_cast<float>(0.4 * std::sin(0.013 * k + phase));
    }
    inPtr = {in[0].data(), in[1].data()};
    outPtr = {out[0].data(), out[1].data()};
  }
  bool Untouched(int channel) const {
    for (float v : out[static_cast<size_t>(channel)]) {
      if (v != kMarker) return false;
    }
    return true;
  }
  std::vector<std::vector<float>> in, out;
  std::vector<float*> inPtr, outPtr;
};

class RenderTest : public ModuleTest {
 protected:
  void Attach(Effect& e, Buffers& b) {
    e.fields[0] = b.inPtr.data();
    e.fields[1] = b.outPtr.data();
  }
  void Run(std::vector<void*> contexts) {
    host.reg.process[0](contexts.data(), contexts.data() + contexts.size());
  }
  void TearDown() override {
    EXPECT_TRUE(host.fake.CallsTo("midi").empty()) << "the MIDI node was called";
    ModuleTest::TearDown();
  }
};

TEST_F(RenderTest, EmptyAndReversedBatchesRenderNothing) {
  Buffers b(64);
  Attach(fx, b);
  host.frameCount = 64;
  void* contexts[2] = {fx.fields, fx.fields};
  host.reg.process[0](contexts, contexts);
  host.reg.process[0](contexts + 1, contexts);
  // A last pointer inside an entry does not reach that entry.
  host.reg.process[0](contexts, reinterpret_cast<void* const*>(reinterpret_cast<const char*>(contexts) + 4));
  EXPECT_TRUE(b.Untouched(0));
  EXPECT_TRUE(b.Untouched(1));
  EXPECT_TRUE(host.fake.CallsTo("transportnode").empty());
}

TEST_F(RenderTest, BypassPassesTheInputBitForBit) {
  ASSERT_EQ(0, fx.params->UpdateParameterNormalizedValue("", 1.0, 0));
  Buffers b(300);
  Attach(fx, b);
  host.frameCount = 300;
  Run({fx.fields});
  EXPECT_EQ(b.in, b.out);
  ASSERT_EQ(0, fx.params->UpdateParameterNormalizedValue("", 0.0, 0));
  Buffers c(300);
  Attach(fx, c);
  Run({fx.fields});
  EXPECT_NE(c.in[0], c.out[0]);
}

TEST_F(RenderTest, InstancesWithoutAnAddressAreSkipped) {
  Effect second(&host), third(&host);
  ASSERT_EQ("", second.Create());
  ASSERT_EQ("", third.Create());
  Buffers b1(128), b2(128), b3(128);
  Attach(fx, b1);
  Attach(second, b2);
  Attach(third, b3);
  host.frameCount = 128;
  std::fill(second.privateBlock.begin(), second.privateBlock.end(), 0);
  Run({fx.fields, second.fields, third.fields});
  EXPECT_FALSE(b1.Untouched(0));
  EXPECT_TRUE(b2.Untouched(0));
  EXPECT_TRUE(b2.Untouched(1));
  EXPECT_FALSE(b3.Untouched(0));
  EXPECT_EQ(b1.out, b3.out);  // two fresh instances, the same input
  // No private block at all, and a null context: the same.
  Buffers c1(128), c2(128), c3(128);
  Attach(fx, c1);
  Attach(second, c2);
  Attach(third, c3);
  second.fields[8] = nullptr;
  Run({fx.fields, second.fields, nullptr, third.fields});
  EXPECT_FALSE(c1.Untouched(0));
  EXPECT_TRUE(c2.Untouched(0));
  EXPECT_FALSE(c3.Untouched(1));
}

TEST_F(RenderTest, MonoStemReadsAndWritesOnlyTheFirstChannel) {
  Effect stereo(&host);
  ASSERT_EQ("", stereo.Create());
  host.frameCount = 256;
  // The stereo instance gets silence on the second channel: what the mono one must hear.
  Buffers s(256);
  std::fill(s.in[1].begin(), s.in[1].end(), 0.0f);
  Attach(stereo, s);
  Run({stereo.fields});
  host.fake.controller->inputStem = host.fake.controller->outputStem = 0x00000001;
  Buffers m(256);
  Attach(fx, m);
  Run({fx.fields});
  EXPECT_EQ(s.out[0], m.out[0]);
  EXPECT_TRUE(m.Untouched(1));
}

TEST_F(RenderTest, FailedStemQueriesConnectNoChannel) {
  host.fake.controller->results[5] = -1;
  host.fake.controller->results[6] = -1;
  Buffers b(64);
  Attach(fx, b);
  host.frameCount = 64;
  Run({fx.fields});
  EXPECT_TRUE(b.Untouched(0));
  EXPECT_TRUE(b.Untouched(1));
}

TEST_F(RenderTest, IncompleteContextsRenderNothing) {
  Buffers b(64);
  Attach(fx, b);
  for (int frames : {0, -5}) {
    host.frameCount = frames;
    Run({fx.fields});
  }
  host.frameCount = 64;
  for (int field : {0, 1, 3, 7}) {
    void* kept = fx.fields[field];
    fx.fields[field] = nullptr;
    Run({fx.fields});
    fx.fields[field] = kept;
  }
  EXPECT_TRUE(b.Untouched(0));
  EXPECT_TRUE(b.Untouched(1));
  Run({fx.fields});
  EXPECT_FALSE(b.Untouched(0));
  EXPECT_EQ(1u, host.fake.CallsTo("transportnode").size());
}

TEST_F(RenderTest, RenderingStopsWithTheParameters) {
  Buffers b(64);
  Attach(fx, b);
  host.frameCount = 64;
  ASSERT_EQ(0, fx.params->Uninitialize());
  Run({fx.fields});
  EXPECT_TRUE(b.Untouched(0));
}

}  // namespace
}  // namespace aaxtest
