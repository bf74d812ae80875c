// The effect record VSTPluginMain hands out, the second export name, the speaker arrangements and
// creation from two threads at once.
#include <thread>

#include "tests/integration/vst2/vst2_harness.h"

namespace qo2 {
namespace {

TEST(Vst2Record, FieldsAsHostsReadThem) {
  auto fx = NewInstance();
  ASSERT_TRUE(fx);
  const AEffect& e = *fx->effect;
  EXPECT_EQ(e.magic, 0x56737450);
  EXPECT_EQ(e.numPrograms, 1);
  EXPECT_EQ(e.numParams, 9);
  EXPECT_EQ(e.numInputs, 2);
  EXPECT_EQ(e.numOutputs, 2);
  // Has an editor, can replace, can double-replace, can mono (a 1-1 layout exists); effEditGetRect
  // answers with the editor's 640 x 480 rectangle.
  EXPECT_EQ(e.flags, 0x1019);
  ERect* rect = nullptr;
  EXPECT_EQ(fx->Dispatch(effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->top, 0);
  EXPECT_EQ(rect->left, 0);
  EXPECT_EQ(rect->bottom, 480);
  EXPECT_EQ(rect->right, 640);
  EXPECT_EQ(e.initialDelay, 0);
  EXPECT_EQ(e.ioRatio, 1.0f);
  EXPECT_EQ(e.uniqueID, 0x4F6D4C78);  // 'OmLx'
  EXPECT_EQ(e.version, 10001);
  EXPECT_NE(e.object, nullptr);
  EXPECT_NE(e.dispatcher, nullptr);
  EXPECT_NE(e.process, nullptr);
  EXPECT_NE(e.setParameter, nullptr);
  EXPECT_NE(e.getParameter, nullptr);
  EXPECT_NE(e.processReplacing, nullptr);
  EXPECT_NE(e.processDoubleReplacing, nullptr);
  EXPECT_NE(reinterpret_cast<void*>(e.process), reinterpret_cast<void*>(e.processReplacing));
  EXPECT_EQ(e.resvd1, 0);
  EXPECT_EQ(e.resvd2, 0);
  EXPECT_EQ(e.realQualities, 0);
  EXPECT_EQ(e.offQualities, 0);
  EXPECT_EQ(e.user, nullptr);
  for (char c : e.future) EXPECT_EQ(c, 0);
}

TEST(Vst2Record, SpeakerArrangementsAreStereo) {
  auto fx = PreparedInstance();
  ASSERT_TRUE(fx);
  VstSpeakerArrangement* in = nullptr;
  VstSpeakerArrangement* out = nullptr;
  EXPECT_EQ(fx->Dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 1);
  ASSERT_NE(in, nullptr);
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(in->type, 1);
  EXPECT_EQ(in->numChannels, 2);
  EXPECT_EQ(out->type, 1);
  EXPECT_EQ(out->numChannels, 2);
  EXPECT_NE(in, out);
}

TEST(Vst2Record, NullHostCallbackGivesNoRecord) {
  ASSERT_NE(Entry(), nullptr);
  EXPECT_EQ(Entry()(nullptr), nullptr);
}

TEST(Vst2Record, TwoThreadsGetTwoIndependentObjects) {
  Instance a, b;
  bool madeA = false, madeB = false;
  std::thread ta([&] { madeA = a.Create(Entry()); });
  std::thread tb([&] { madeB = b.Create(Entry()); });
  ta.join();
  tb.join();
  ASSERT_TRUE(madeA && madeB);
  EXPECT_NE(a.effect, b.effect);
  EXPECT_NE(a.effect->object, b.effect->object);
  a.Prepare(44100.0, 256);
  b.Prepare(44100.0, 256);
  // A change in one leaves the other alone.
  ASSERT_TRUE(a.SetParameterText(kRelease, "100"));
  EXPECT_EQ(a.Text(effGetParamDisplay, kRelease), "100");
  EXPECT_EQ(b.Text(effGetParamDisplay, kRelease), "500");
}

TEST(Vst2Record, MainIsTheSameEntry) {
  vst2host::EntryProc viaMain = Entry("main");
  if (!viaMain) GTEST_SKIP() << "a program linking the plug-in in cannot have a second main";
  Instance fx;
  ASSERT_TRUE(fx.Create(viaMain));
  EXPECT_EQ(fx.effect->magic, 0x56737450);
  EXPECT_EQ(fx.effect->numParams, 9);
  EXPECT_EQ(fx.effect->uniqueID, 0x4F6D4C78);
  EXPECT_EQ(reinterpret_cast<void*>(viaMain), reinterpret_cast<void*>(Entry("VSTPluginMain")));
}

}  // namespace
}  // namespace qo2
