// The AAX module sounds as the VST3 module does: both built modules loaded side by side.
#include "tests/aaxmodule/harness.h"
#include "tools/hostsignal/signal.h"
#include "tools/vst3host/host.h"

namespace aaxtest {
namespace {

// Default rendering right after start-up, with no host parameter update: bit for bit the same, for
// several rates, block sizes and both layouts.
TEST(AaxFormats, DefaultRenderingEqualsTheVst3Module) {
  vst3host::Module vst3;
  ASSERT_EQ("", vst3.Load(vst3host::ModuleFileInBundle(QO_VST3_BUNDLE)));
  struct Case {
    int rate, block, channels;
  } cases[] = {{48000, 512, 2}, {44100, 256, 2}, {96000, 1024, 2}, {48000, 128, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.rate) + " Hz, blocks of " + std::to_string(c.block) + ", " +
                 std::to_string(c.channels) + " channel(s)");
    hostsignal::Planar signal = hostsignal::TestSignal(c.channels, c.rate, 1.0);
    for (auto& ch : signal) ch.resize(ch.size() / static_cast<size_t>(c.block) * static_cast<size_t>(c.block));

    hostsignal::Planar viaVst3 = signal;
    {
      vst3host::Instance inst;
      ASSERT_EQ("", inst.Create(vst3.Factory()));
      ASSERT_EQ(Steinberg::kResultOk, inst.Prepare(c.rate, c.block, Steinberg::Vst::kSample32, c.channels));
      inst.Render(viaVst3, c.block, Steinberg::Vst::kSample32);
    }

    hostsignal::Planar viaAax = signal;
    Host host;
    host.fake.controller->sampleRate = static_cast<float>(c.rate);
    host.fake.controller->inputStem = host.fake.controller->outputStem = c.channels == 1 ? 0x00000001 : 0x00010002;
    ASSERT_EQ("", host.Start(QO_AAX_MODULE));
    {
      Effect fx(&host);
      ASSERT_EQ("", fx.Create());
      host.RenderSignal(&fx, viaAax, c.block);
    }
    EXPECT_NE(signal, viaAax);  // processed, not passed through
    for (int ch = 0; ch < c.channels; ++ch) {
      size_t differ = 0;
      for (size_t k = 0; k < signal[0].size(); ++k) differ += viaVst3[ch][k] != viaAax[ch][k];
      EXPECT_EQ(0u, differ) << "channel " << ch;
    }
    host.Stop();
    EXPECT_EQ("", host.fake.Leaks());
    EXPECT_TRUE(host.fake.CallsTo("midi").empty());
  }
}

}  // namespace
}  // namespace aaxtest
