// The dispatcher's answers through the loaded module: identity, parameter texts, text input,
// canDo, pins, presets' names and host identification.
#include <cstdint>
#include <string>

#include "tests/integration/vst2/vst2_harness.h"

namespace qo2 {
namespace {

std::string Field(Instance& fx, VstInt32 opcode, VstIntPtr* result) {
  char buf[128] = {};
  *result = fx.Dispatch(opcode, 0, 0, buf);
  return buf;
}

TEST(Vst2Dispatcher, IdentityAnswers) {
  auto fx = PreparedInstance();
  ASSERT_TRUE(fx);
  VstIntPtr r = 0;
  EXPECT_EQ(Field(*fx, effGetEffectName, &r), "QuibelOmbrelux");
  EXPECT_EQ(r, 1);
  EXPECT_EQ(Field(*fx, effGetVendorString, &r), "Quibel");
  EXPECT_EQ(r, 1);
  EXPECT_EQ(Field(*fx, effGetProductString, &r), "");
  EXPECT_EQ(r, 1);
  EXPECT_EQ(fx->Dispatch(effGetVendorVersion), 10001);
  EXPECT_EQ(fx->Dispatch(effGetVstVersion), 2400);
  EXPECT_EQ(fx->Dispatch(effIdentify), 0x4E764566);
  EXPECT_EQ(fx->Dispatch(effGetPlugCategory), 1);
  EXPECT_EQ(fx->Dispatch(effGetTailSize), 0);
  EXPECT_EQ(fx->Dispatch(effCanBeAutomated, 3), 1);
  EXPECT_EQ(fx->Dispatch(effGetProgram), 0);
  // Null buffers and opcodes the plug-in does not take answer 0.
  EXPECT_EQ(fx->Dispatch(effGetEffectName), 0);
  for (VstInt32 op : {9, 16, 28, 44, 46, 56, 70, 71, 77, 79, 1000, -5}) {
    EXPECT_EQ(fx->Dispatch(op, 1, 1, nullptr, 1.0f), 0) << "opcode " << op;
  }
}

TEST(Vst2Dispatcher, ParameterTextsAtTheDefaults) {
  struct Row {
    const char* name;
    const char* label;
    const char* display;
  };
  const Row rows[] = {
      {"Top Threshold", "dB", "-19.0"}, {"Top Ratio", "", "2.0"},     {"Avg Threshold", "dB", "-24.0"},
      {"Avg Ratio", "", "2.0"},         {"Btm Threshold", "dB", "-29.0"}, {"Btm Ratio", "", "2.0"},
      {"Attack", "ms", "10"},           {"Release", "ms", "500"},     {"Saturation", "%", "20"},
  };
  auto fx = PreparedInstance();
  ASSERT_TRUE(fx);
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(fx->Text(effGetParamName, i), rows[i].name) << i;
    EXPECT_EQ(fx->Text(effGetParamLabel, i), rows[i].label) << i;
    EXPECT_EQ(fx->Text(effGetParamDisplay, i), rows[i].display) << i;
  }
  // One past the last parameter: 0, and the buffer is not touched.
  for (VstInt32 op : {effGetParamName, effGetParamLabel, effGetParamDisplay}) {
    char buf[32];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(fx->Dispatch(op, 9, 0, buf), 0);
    for (char c : buf) EXPECT_EQ(c, 'x');
  }
}

TEST(Vst2Dispatcher, TextToParameter) {
  struct Row {
    int index;
    const char* text;
    VstIntPtr result;
    const char* display;
    float normalised;  // worked out from the range and curve: ((v - min) / (max - min))^(1/exponent)
  };
  const Row rows[] = {
      {kRelease, "1000", 1, "999", 1.0f},           // above the maximum: the maximum
      {kTopThr, "-20.5", 1, "-20.5", 27.5f / 48.0f},
      {kTopThr, "-100", 1, "-48.0", 0.0f},          // below the minimum: the minimum
      {kTopThr, "nan", 0, "-19.0", 29.0f / 48.0f},  // not a value: nothing changes
      {kTopThr, "loud", 0, "-19.0", 29.0f / 48.0f},
      {kAttack, "50", 1, "50", 0.70352647f},        // sqrt(49 / 99)
  };
  for (const Row& row : rows) {
    auto fx = PreparedInstance();
    ASSERT_TRUE(fx);
    EXPECT_EQ(fx->SetParameterText(row.index, row.text) ? 1 : 0, row.result) << row.text;
    EXPECT_EQ(fx->Text(effGetParamDisplay, row.index), row.display) << row.text;
    EXPECT_NEAR(fx->GetParameter(row.index), row.normalised, 1e-6f) << row.text;
  }
  auto fx = PreparedInstance();
  ASSERT_TRUE(fx);
  // A null text asks whether texts are taken: yes, and nothing changes.
  EXPECT_EQ(fx->Dispatch(effString2Parameter, kTopThr, 0, nullptr), 1);
  EXPECT_EQ(fx->Text(effGetParamDisplay, kTopThr), "-19.0");
  char text[] = "5";
  EXPECT_EQ(fx->Dispatch(effString2Parameter, 9, 0, text), 0);
  EXPECT_EQ(fx->Dispatch(effString2Parameter, -1, 0, text), 0);
}

TEST(Vst2Dispatcher, CanDoAnswers) {
  auto fx = PreparedInstance();
  ASSERT_TRUE(fx);
  auto ask = [&](const char* text) {
    std::string s(text);
    return fx->Dispatch(effCanDo, 0, 0, &s[0]);
  };
  EXPECT_EQ(ask("receiveVstTimeInfo"), 1);
  EXPECT_EQ(ask("ReceiveVstTimeInfo"), 0);  // exact and case-sensitive
  EXPECT_EQ(ask("receiveVstEvents"), 0);    // the plug-in takes no MIDI
  EXPECT_EQ(ask("sendVstMidiEvent"), 0);
  EXPECT_EQ(ask("bypass"), 0);
  // The two vendor texts, spelt out byte by byte.
  const char ext[] = {0x68, 0x61, 0x73, 0x43, 0x6F, 0x63, 0x6B, 0x6F, 0x73, 0x45, 0x78,
                      0x74, 0x65, 0x6E, 0x73, 0x69, 0x6F, 0x6E, 0x73, 0};
  const char view[] = {0x68, 0x61, 0x73, 0x43, 0x6F, 0x63, 0x6B, 0x6F, 0x73, 0x56, 0x69,
                       0x65, 0x77, 0x41, 0x73, 0x43, 0x6F, 0x6E, 0x66, 0x69, 0x67, 0};
  EXPECT_EQ(static_cast<uint32_t>(ask(ext)), 0xBEEF0000u);
  EXPECT_EQ(static_cast<uint32_t>(ask(view)), 0xBEEF0000u);
  EXPECT_EQ(fx->Dispatch(effCanDo), 0);
}

TEST(Vst2Dispatcher, VendorValueTextWithoutChangingTheParameter) {
  auto fx = PreparedInstance();
  ASSERT_TRUE(fx);
  char buf[256] = {};
  // Release at normalised 0.5 is 1 + 0.25 x 998 = 250.5, shown without decimals as "250".
  EXPECT_EQ(fx->Dispatch(effVendorSpecific, effGetParamDisplay, kRelease, buf, 0.5f), 0xBEEF);
  EXPECT_STREQ(buf, "250");
  EXPECT_EQ(fx->Text(effGetParamDisplay, kRelease), "500");
  EXPECT_EQ(fx->Dispatch(effVendorSpecific, 8, kRelease), 0);  // continuous
  EXPECT_EQ(fx->Dispatch(effVendorSpecific, 8, 9), 0);
  EXPECT_EQ(fx->Dispatch(effVendorSpecific, 3, 0), 0);
}

TEST(Vst2Dispatcher, PinProperties) {
  auto fx = PreparedInstance();
  ASSERT_TRUE(fx);
  struct Row {
    VstInt32 opcode;
    int index;
    VstIntPtr result;
    const char* label;
    VstInt32 flags;
  };
  const Row rows[] = {
      {effGetInputProperties, 0, 1, "Input 1", 3},   {effGetInputProperties, 1, 1, "Input 2", 1},
      {effGetOutputProperties, 0, 1, "Output 1", 3}, {effGetOutputProperties, 1, 1, "Output 2", 1},
      {effGetInputProperties, 2, 0, nullptr, 0},     {effGetOutputProperties, -1, 0, nullptr, 0},
  };
  for (const Row& row : rows) {
    VstPinProperties props;
    std::memset(&props, 0x5A, sizeof props);
    EXPECT_EQ(fx->Dispatch(row.opcode, row.index, 0, &props), row.result);
    if (row.label) {
      EXPECT_STREQ(props.label, row.label);
      EXPECT_EQ(props.flags, row.flags);
      // Only the label and the flags are written.
      EXPECT_EQ(static_cast<uint32_t>(props.arrangementType), 0x5A5A5A5Au);
      EXPECT_EQ(props.shortLabel[0], 0x5A);
    } else {
      EXPECT_EQ(static_cast<uint8_t>(props.label[0]), 0x5A);
    }
  }
  EXPECT_EQ(fx->Dispatch(effGetInputProperties, 0, 0, nullptr), 0);
}

TEST(Vst2Dispatcher, ProgramNamesFitTheHostBuffer) {
  auto fx = PreparedInstance();
  ASSERT_TRUE(fx);
  char buf[64];
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(fx->Dispatch(effGetProgramNameIndexed, 0, -1, buf), 1);
  EXPECT_STREQ(buf, "-");
  EXPECT_EQ(fx->Dispatch(effGetProgramNameIndexed, 1, -1, buf), 0);
  EXPECT_STREQ(buf, "");
  // A name longer than the host buffer of 24 bytes: 23 characters and a terminator come back through
  // either opcode, nothing beyond the 24 bytes.
  std::string longName(300, 'n');
  EXPECT_EQ(fx->Dispatch(effSetProgramName, 0, 0, &longName[0]), 0);
  for (VstInt32 opcode : {effGetProgramName, effGetProgramNameIndexed}) {
    std::memset(buf, 'x', sizeof buf);
    fx->Dispatch(opcode, 0, 0, buf);
    EXPECT_EQ(std::string(buf), std::string(23, 'n')) << opcode;
    for (size_t i = 24; i < sizeof buf; ++i) EXPECT_EQ(buf[i], 'x') << opcode << " byte " << i;
  }
  // The stored label holds 255 characters of it: the bank chunk records that length.
  const std::vector<uint8_t> bank = fx->GetChunk(0);
  ASSERT_GE(bank.size(), 12u);
  EXPECT_EQ(bank[8] | bank[9] << 8 | bank[10] << 16 | bank[11] << 24, 255);
}

TEST(Vst2Dispatcher, OpenAsksTheHostOnce) {
  auto fx = NewInstance();
  ASSERT_TRUE(fx);
  EXPECT_TRUE(fx->host.CallsOf(audioMasterGetProductString).empty());
  fx->Dispatch(effOpen);
  fx->Dispatch(effOpen);
  EXPECT_EQ(fx->host.CallsOf(audioMasterGetProductString).size(), 1u);
  EXPECT_EQ(fx->host.CallsOf(audioMasterGetVendorVersion).size(), 1u);
}

}  // namespace
}  // namespace qo2
