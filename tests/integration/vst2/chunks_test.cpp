// Preset and bank chunks through effGetChunk and effSetChunk.
#include "tests/integration/vst2/vst2_harness.h"

namespace qo2 {
namespace {

std::vector<uint8_t> OnePresetBank(const std::string& label, bool filled, const std::vector<uint8_t>& state) {
  std::vector<uint8_t> b = Header();
  PutLE32(b, static_cast<int32_t>(label.size()));
  b.insert(b.end(), label.begin(), label.end());
  b.push_back(filled ? 1 : 0);
  if (filled) b.insert(b.end(), state.begin(), state.end());
  return b;
}

std::string ProgramName(Instance& fx) {
  char buf[64] = {};
  fx.Dispatch(effGetProgramName, 0, 0, buf);
  return buf;
}

TEST(Vst2Chunks, PresetChunkIsHeaderAndState) {
  auto fx = PreparedInstance();
  ASSERT_TRUE(fx);
  EXPECT_EQ(fx->GetChunk(1), Concat(Header(), StateBytes(DefaultValues())));
  EXPECT_EQ(fx->GetChunk(1).size(), 80u);
  EXPECT_EQ(fx->Dispatch(effGetChunk, 1, 0, nullptr), 0);
}

TEST(Vst2Chunks, BankChunkOfTheOnePreset) {
  auto fx = PreparedInstance();
  ASSERT_TRUE(fx);
  // 8 + 4 + 1 ("-") + 1 + 72 bytes.
  const std::vector<uint8_t> bank = fx->GetChunk(0);
  EXPECT_EQ(bank.size(), 86u);
  EXPECT_EQ(bank, OnePresetBank("-", true, StateBytes(DefaultValues())));
}

TEST(Vst2Chunks, BankRoundTripRestoresLabelsFlagsAndStates) {
  auto a = PreparedInstance();
  ASSERT_TRUE(a);
  ASSERT_TRUE(a->SetParameterText(kTopThr, "-30"));
  ASSERT_TRUE(a->SetParameterText(kRelease, "120"));
  std::string name = "Loud";
  a->Dispatch(effSetProgramName, 0, 0, &name[0]);
  const std::vector<uint8_t> bank = a->GetChunk(0);
  std::vector<double> values = DefaultValues();
  values[kTopThr] = -30.0;
  values[kRelease] = 120.0;
  EXPECT_EQ(bank, OnePresetBank("Loud", true, StateBytes(values)));

  auto b = PreparedInstance();
  ASSERT_TRUE(b);
  EXPECT_EQ(b->SetChunk(0, bank), 1);
  EXPECT_EQ(ProgramName(*b), "Loud");
  EXPECT_EQ(b->Text(effGetParamDisplay, kTopThr), "-30.0");
  EXPECT_EQ(b->Text(effGetParamDisplay, kRelease), "120");
  EXPECT_EQ(b->GetParameter(kTopThr), a->GetParameter(kTopThr));
  EXPECT_EQ(b->GetChunk(0), bank);
  EXPECT_EQ(b->GetChunk(1), Concat(Header(), StateBytes(values)));
}

TEST(Vst2Chunks, StatesWithoutBankRecords) {
  std::vector<double> values = DefaultValues();
  values[kAvgRatio] = 4.0;
  values[kSaturation] = 75.0;
  const std::vector<uint8_t> bare = StateBytes(values);
  struct Row {
    const char* what;
    int index;
    std::vector<uint8_t> chunk;
  };
  const Row rows[] = {
      {"72 bytes without a header, as a bank", 0, bare},
      {"a preset chunk", 1, Concat(Header(), bare)},
      {"a bank of version 0x0000FFFF holds one state from byte 8", 0, Concat(Header(0x0000FFFF), bare)},
  };
  for (const Row& row : rows) {
    auto fx = PreparedInstance();
    ASSERT_TRUE(fx);
    EXPECT_EQ(fx->SetChunk(row.index, row.chunk), 1) << row.what;
    EXPECT_EQ(fx->Text(effGetParamDisplay, kSaturation), "75") << row.what;
    EXPECT_EQ(fx->Text(effGetParamDisplay, kAvgRatio), "4.0") << row.what;
    // The current preset took the restored values.
    EXPECT_EQ(fx->GetChunk(0), OnePresetBank("-", true, bare)) << row.what;
  }
}

TEST(Vst2Chunks, BadChunksAnswerZero) {
  const std::vector<uint8_t> state = StateBytes(DefaultValues());
  std::vector<uint8_t> negativeName = Header();
  PutLE32(negativeName, -5);
  std::vector<uint8_t> hugeName = Header();
  PutLE32(hugeName, 0x7FFFFFF0);
  hugeName.push_back('x');
  std::vector<uint8_t> nameRunsOut = Header();
  PutLE32(nameRunsOut, 10);
  nameRunsOut.insert(nameRunsOut.end(), {'a', 'b', 'c'});
  std::vector<uint8_t> noFlag = Header();
  PutLE32(noFlag, 3);
  noFlag.insert(noFlag.end(), {'a', 'b', 'c'});
  std::vector<uint8_t> shortState = OnePresetBank("abc", true, state);
  shortState.resize(shortState.size() - 1);
  struct Row {
    const char* what;
    int index;
    std::vector<uint8_t> chunk;
  };
  const Row rows[] = {
      {"empty preset chunk", 1, {}},
      {"preset cut inside its state", 1, Concat(Header(), std::vector<uint8_t>(state.begin(), state.end() - 8))},
      {"header cut inside its version", 1, {0x74, 0x66, 0x66, 0x70, 0x00}},
      {"negative name length", 0, negativeName},
      {"name length past the end", 0, hugeName},
      {"name running past the end", 0, nameRunsOut},
      {"flag byte beyond the end", 0, noFlag},
      {"bank state cut short", 0, shortState},
  };
  for (const Row& row : rows) {
    auto fx = PreparedInstance();
    ASSERT_TRUE(fx);
    EXPECT_EQ(fx->SetChunk(row.index, row.chunk), 0) << row.what;
    EXPECT_EQ(ProgramName(*fx), "-") << row.what;  // the label stays
  }
}

TEST(Vst2Chunks, NegativeOrMissingBytesAreRefused) {
  auto fx = PreparedInstance();
  ASSERT_TRUE(fx);
  std::vector<uint8_t> chunk = Concat(Header(), StateBytes(std::vector<double>(9, -1.0)));
  EXPECT_EQ(fx->Dispatch(effSetChunk, 1, -80, chunk.data()), 0);
  EXPECT_EQ(fx->Dispatch(effSetChunk, 1, 80, nullptr), 0);
  EXPECT_EQ(fx->GetChunk(1), Concat(Header(), StateBytes(DefaultValues())));
}

TEST(Vst2Chunks, HostHandingBackTheChunkItWasGiven) {
  auto fx = PreparedInstance();
  ASSERT_TRUE(fx);
  ASSERT_TRUE(fx->SetParameterText(kAttack, "42"));
  for (int index : {0, 1}) {
    void* data = nullptr;
    const VstIntPtr size = fx->Dispatch(effGetChunk, index, 0, &data);
    ASSERT_GT(size, 0);
    const std::vector<uint8_t> before(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
    EXPECT_EQ(fx->Dispatch(effSetChunk, index, size, data), 1);
    EXPECT_EQ(fx->GetChunk(index), before);
    EXPECT_EQ(fx->Text(effGetParamDisplay, kAttack), "42");
  }
}

TEST(Vst2Chunks, LongLabelsAreCutAt255) {
  auto fx = PreparedInstance();
  ASSERT_TRUE(fx);
  EXPECT_EQ(fx->SetChunk(0, OnePresetBank(std::string(400, 'L'), true, StateBytes(DefaultValues()))), 1);
  const std::vector<uint8_t> bank = fx->GetChunk(0);
  EXPECT_EQ(bank, OnePresetBank(std::string(255, 'L'), true, StateBytes(DefaultValues())));
  // A name record with a zero inside ends the label there.
  std::string withZero("ab\0cd", 5);
  EXPECT_EQ(fx->SetChunk(0, OnePresetBank(withZero, true, StateBytes(DefaultValues()))), 1);
  EXPECT_EQ(ProgramName(*fx), "ab");
  // An empty name record gives an empty label.
  EXPECT_EQ(fx->SetChunk(0, OnePresetBank("", true, StateBytes(DefaultValues()))), 1);
  EXPECT_EQ(ProgramName(*fx), "");
}

}  // namespace
}  // namespace qo2
