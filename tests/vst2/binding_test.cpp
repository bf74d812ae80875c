// The VST2 binding in-process: creation and publication of the record, effOpen, host
// identification and adaptation, rate and block-size checks, pins, presets and effClose.
#include <cmath>
#include <limits>

#include "tests/vst2/vst2_fixture.h"

namespace vst2test {
namespace {

TEST(Vst2Binding, RecordOfAPluginWithoutPresetsOrMono) {
  Options o;
  o.presets = 0;
  o.channelIO = "2-2";
  Bench b(o);
  EXPECT_EQ(b.effect->numPrograms, 1);  // raised from 0
  EXPECT_EQ(b.effect->flags, 0x1010);   // no 1-1 layout: no mono bit; no graphics: no editor bit
  EXPECT_EQ(b.effect->version, 10203);  // 0x010203 as decimal
  EXPECT_EQ(b.fx->GetVersionNumber(false), 0x010203);
  EXPECT_EQ(b.Dispatch(effGetProgramNameIndexed, 0, 0, nullptr), 0);
}

TEST(Vst2Binding, EmptyPresetSlotsAreFilledOnPublication) {
  Options o;
  o.presets = 3;
  Bench b(o);
  EXPECT_EQ(b.effect->numPrograms, 3);
  const char* labels[] = {"first", "Empty", "Empty"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(b.fx->GetPreset(i)->mFilled);
    EXPECT_STREQ(b.fx->PresetLabel(i), labels[i]);
    EXPECT_EQ(b.fx->GetPreset(i)->mState.Size(), 24);
  }
}

TEST(Vst2Binding, OpenReannouncesEveryParameter) {
  Bench b;
  b.fx->changes.clear();
  EXPECT_EQ(b.Dispatch(effOpen), 0);
  ASSERT_EQ(b.fx->changes.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(b.fx->changes[i].first, i);
    EXPECT_EQ(b.fx->changes[i].second, kSourceReset);
  }
  EXPECT_TRUE(b.fx->HostAdapted());
}

TEST(Vst2Binding, HostIdentification) {
  struct Row {
    const char* product;
    VstInt32 version;
    HostCode code;
    int32_t packed;
    bool versionAsked;
  };
  const Row rows[] = {
      {"Cubase", 10203, kHostCubase, 0x010203, true},       // 1.2.3
      {"REAPER", 60512, kHostReaper, 0x06050C, true},        // 6.5.12
      {"", 10203, kHostUnrecognised, 0, false},             // no product: version 0, not asked
  };
  for (const Row& row : rows) {
    Bench b;
    b.host.productName = row.product;
    b.host.vendorVersion = row.version;
    EXPECT_EQ(b.fx->IdentifyHost(), row.code) << row.product;
    EXPECT_EQ(b.fx->HostVersionCode(), row.packed) << row.product;
    EXPECT_EQ(b.host.CallsOf(audioMasterGetVendorVersion).empty(), !row.versionAsked) << row.product;
    // Asked once: the answer is kept.
    b.fx->IdentifyHost();
    EXPECT_EQ(b.host.CallsOf(audioMasterGetProductString).size(), 1u);
  }
}

TEST(Vst2Binding, AdaptationKeepsTwoInputsForSomeHosts) {
  for (const char* product : {"Adobe Audition", "Cubase"}) {
    Options o;
    o.channelIO = "4-4";
    Bench b(o);
    b.host.productName = product;
    b.Dispatch(effOpen);
    const bool quirk = std::string(product) == "Adobe Audition";
    EXPECT_TRUE(b.fx->InputPin(1)->mActive);
    EXPECT_EQ(b.fx->InputPin(2)->mActive, !quirk) << product;
    EXPECT_EQ(b.fx->InputPin(3)->mActive, !quirk) << product;
    EXPECT_TRUE(b.fx->OutputPin(3)->mActive);
    EXPECT_EQ(b.effect->numInputs, 4);
    EXPECT_EQ(b.fx->InputArrangement().numChannels, 4);
    EXPECT_EQ(b.fx->InputArrangement().type, kSpeakerArrUserDefined);
    EXPECT_EQ(b.fx->log.back(), "host known");
  }
}

TEST(Vst2Binding, RatesAndBlockSizesThatCannotRunAreRefused) {
  Bench b;
  b.Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
  b.Dispatch(effSetBlockSize, 0, 256);
  ASSERT_EQ(b.fx->SampleRate(), 48000.0);
  ASSERT_EQ(b.fx->BlockFrames(), 256);
  for (float hz : {0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(),
                   std::numeric_limits<float>::infinity(), 1e30f}) {
    b.Dispatch(effSetSampleRate, 0, 0, nullptr, hz);
    EXPECT_EQ(b.fx->SampleRate(), 48000.0) << hz;
  }
  for (VstIntPtr frames : {VstIntPtr{-1}, VstIntPtr{0}, VstIntPtr{1} << 30, VstIntPtr{INT32_MIN}}) {
    b.Dispatch(effSetBlockSize, 0, frames);
    EXPECT_EQ(b.fx->BlockFrames(), 256) << frames;
  }
}

TEST(Vst2Binding, SpeakerArrangementSetsActivePins) {
  Bench b;
  VstSpeakerArrangement mono{}, bad{};
  mono.numChannels = 1;
  bad.numChannels = -2;
  EXPECT_EQ(b.Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&bad), &mono), 0);
  EXPECT_TRUE(b.fx->InputPin(1)->mActive);
  EXPECT_TRUE(b.fx->OutputPin(1)->mActive);
  EXPECT_EQ(b.Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mono), &mono), 1);
  EXPECT_TRUE(b.fx->InputPin(0)->mActive);
  EXPECT_FALSE(b.fx->InputPin(1)->mActive);
  EXPECT_FALSE(b.fx->OutputPin(1)->mActive);
  // The arrangements the plug-in reports stay as they were.
  EXPECT_EQ(b.fx->InputArrangement().numChannels, 2);
}

TEST(Vst2Binding, ValueTextsAndFlippedSigns) {
  Bench b;
  auto set = [&](int index, const char* text) {
    std::string s(text);
    return b.Dispatch(effString2Parameter, index, 0, &s[0]);
  };
  EXPECT_EQ(set(1, "Auto"), 1);
  EXPECT_EQ(b.fx->GetParam(1)->Value(), 2.0);
  EXPECT_EQ(set(1, "auto"), 0);  // texts compare exactly
  EXPECT_EQ(set(1, "1"), 0);     // a parameter with texts takes only its texts
  EXPECT_EQ(b.fx->GetParam(1)->Value(), 2.0);
  EXPECT_EQ(set(2, "-12.5"), 1);  // shown as -12.5, held as 12.5
  EXPECT_EQ(b.fx->GetParam(2)->Value(), 12.5);
  char buf[32];
  b.Dispatch(effGetParamDisplay, 2, 0, buf);
  EXPECT_STREQ(buf, "-12.5");
  b.Dispatch(effGetParamDisplay, 1, 0, buf);
  EXPECT_STREQ(buf, "Auto");
  b.Dispatch(effGetParamLabel, 1, 0, buf);
  EXPECT_STREQ(buf, "");  // a value with a text has no unit
  b.fx->changes.clear();
  EXPECT_EQ(set(0, "3.25"), 1);
  ASSERT_EQ(b.fx->changes.size(), 1u);
  EXPECT_EQ(b.fx->changes[0].second, kSourceHost);
}

TEST(Vst2Binding, ProgramChangeKeepsTheLeftPresetsValues) {
  Options o;
  o.presets = 2;
  Bench b(o);
  std::string text = "7";
  b.Dispatch(effString2Parameter, 0, 0, &text[0]);
  b.Dispatch(effSetProgram, 0, 1);
  EXPECT_EQ(b.Dispatch(effGetProgram), 1);
  EXPECT_EQ(b.fx->GetParam(0)->Value(), 1.5);  // preset 1 holds the defaults
  b.Dispatch(effSetProgram, 0, 0);
  EXPECT_EQ(b.fx->GetParam(0)->Value(), 7.0);  // preset 0 kept the value it was left with
  b.Dispatch(effSetProgram, 0, 5);             // no such preset: nothing changes
  EXPECT_EQ(b.Dispatch(effGetProgram), 0);
}

TEST(Vst2Binding, CloseDeletesTheObject) {
  bool deleted = false;
  {
    Bench b;
    b.fx->deleted = &deleted;
    b.instance.Close();
    EXPECT_TRUE(deleted);
  }
  // A record without an object answers 0.
  AEffect empty{};
  EXPECT_EQ(IFxVST::VSTDispatcher(&empty, effGetVstVersion, 0, 0, nullptr, 0.0f), 0);
  EXPECT_EQ(IFxVST::VSTDispatcher(nullptr, effGetVstVersion, 0, 0, nullptr, 0.0f), 0);
  EXPECT_EQ(IFxVST::VSTGetParameter(&empty, 0), 0.0f);
}

TEST(Vst2Binding, LatencyGoesIntoTheRecord) {
  Bench b;
  // The record carries the plug-in's own value, which is never below 0.
  const int rows[][2] = {{64, 64}, {-5, 0}, {0, 0}, {std::numeric_limits<int>::min(), 0}};
  for (const auto& r : rows) {
    b.fx->ChangeLatency(r[0]);
    EXPECT_EQ(b.effect->initialDelay, r[1]) << r[0];
    EXPECT_EQ(b.fx->LatencySamples(), r[1]) << r[0];
  }
}

}  // namespace
}  // namespace vst2test
