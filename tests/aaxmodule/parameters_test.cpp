// The effect's AAX parameters and its chunk, through the module's effect-parameters interface.
#include <cmath>
#include <limits>

#include "tests/aaxmodule/harness.h"

namespace aaxtest {
namespace {

using ParametersTest = ModuleTest;
using ChunkTest = ModuleTest;

TEST_F(ParametersTest, BypassThenNineParametersWithTheirDefaults) {
  int32_t count = 0;
  ASSERT_EQ(0, fx.params->GetNumberOfParameters(&count));
  ASSERT_EQ(10, count);
  AAX_CString bypassId("x");
  EXPECT_EQ(0, fx.params->GetMasterBypassParameter(&bypassId));
  EXPECT_STREQ("", bypassId.Text());

  struct Expect {
    const char* id;
    const char* name;
    const char* text;
    double normalized;
    int32_t steps, type;
  } table[] = {
      {"", "Master Bypass", "bypass", 0.0, 2, 0},
      {"1", "Top Threshold", "-19.00dB", 29.0 / 48.0, 128, 1},
      {"2", "Top Ratio", "2.00", 1.0 / 19.0, 128, 1},
      {"3", "Avg Threshold", "-24.00dB", 0.5, 128, 1},
      {"4", "Avg Ratio", "2.00", 1.0 / 19.0, 128, 1},
      {"5", "Btm Threshold", "-29.00dB", 19.0 / 48.0, 128, 1},
      {"6", "Btm Ratio", "2.00", 1.0 / 19.0, 128, 1},
      {"7", "Attack", "10.00ms", std::sqrt(9.0 / 99.0), 128, 1},
      {"8", "Release", "500.00ms", std::sqrt(499.0 / 998.0), 128, 1},
      {"9", "Saturation", "20.00%", 0.2, 128, 1},
  };
  for (int32_t i = 0; i < 10; ++i) {
    const Expect& e = table[i];
    SCOPED_TRACE(e.name);
    AAX_CString id, name;
    ASSERT_EQ(0, fx.params->GetParameterIDFromIndex(i, &id));
    EXPECT_STREQ(e.id, id.Text());
    EXPECT_EQ(0, fx.params->GetParameterName(e.id, &name));
    EXPECT_STREQ(e.name, name.Text());
    EXPECT_EQ(e.text, ValueText(e.id));
    double n = -1.0;
    EXPECT_EQ(0, fx.params->GetParameterDefaultNormalizedValue(e.id, &n));
    EXPECT_NEAR(e.normalized, n, 1e-12);
    EXPECT_EQ(0, fx.params->GetParameterNormalizedValue(e.id, &n));
    EXPECT_NEAR(e.normalized, n, 1e-12);
    int32_t steps = 0, type = -1;
    EXPECT_EQ(0, fx.params->GetParameterNumberofSteps(e.id, &steps));
    EXPECT_EQ(e.steps, steps);
    EXPECT_EQ(0, fx.params->GetParameterType(e.id, &type));
    EXPECT_EQ(e.type, type);
    AAX_CBoolean automatable = 0;
    EXPECT_EQ(0, fx.params->GetParameterIsAutomatable(e.id, &automatable));
    EXPECT_EQ(1, automatable);
  }
  AAX_CString on;
  EXPECT_EQ(0, fx.params->GetParameterStringFromValue("", 1.0, &on, 32));
  EXPECT_STREQ("on", on.Text());
}

TEST_F(ParametersTest, HostUpdatesReachTheStateAndTheirTexts) {
  ASSERT_EQ(0, fx.params->UpdateParameterNormalizedValue("1", 0.25, 0));
  std::vector<uint8_t> chunk = Chunk();
  ASSERT_EQ(72u, chunk.size());
  EXPECT_EQ((std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0x42, 0xC0}), std::vector<uint8_t>(chunk.begin(), chunk.begin() + 8));
  // Attack: 1 + 99 x 0.5^2 = 25.75 ms for the host's text; the plug-in keeps its 1 ms step.
  ASSERT_EQ(0, fx.params->UpdateParameterNormalizedValue("7", 0.5, 0));
  EXPECT_EQ("25.75ms", ValueText("7"));
  EXPECT_EQ(26.0, ReadLE(Chunk().data() + 6 * 8));
  // Beyond the range: limited to it on both sides.
  ASSERT_EQ(0, fx.params->UpdateParameterNormalizedValue("9", 1.5, 0));
  EXPECT_EQ(100.0, ReadLE(Chunk().data() + 8 * 8));
  EXPECT_EQ("100.00%", ValueText("9"));
  ASSERT_EQ(0, fx.params->UpdateParameterNormalizedValue("2", -3.0, 0));
  EXPECT_EQ(1.0, ReadLE(Chunk().data() + 1 * 8));
  EXPECT_EQ("1.00", ValueText("2"));
}

TEST_F(ParametersTest, RefusedHostUpdatesChangeNothing) {
  const std::vector<uint8_t> before = Chunk();
  EXPECT_EQ(-20002, fx.params->UpdateParameterNormalizedValue("1", std::numeric_limits<double>::quiet_NaN(), 0));
  EXPECT_EQ(-20002, fx.params->UpdateParameterNormalizedValue("3", std::numeric_limits<double>::infinity(), 0));
  EXPECT_EQ(-20002, fx.params->UpdateParameterNormalizedValue("", -std::numeric_limits<double>::infinity(), 0));
  EXPECT_EQ(-20001, fx.params->UpdateParameterNormalizedValue("42", 0.5, 0));
  EXPECT_EQ(-20001, fx.params->UpdateParameterNormalizedValue(nullptr, 0.5, 0));
  EXPECT_EQ(before, Chunk());
  EXPECT_EQ("-19.00dB", ValueText("1"));
  EXPECT_EQ("-24.00dB", ValueText("3"));
  // The master bypass is no parameter of the plug-in: it changes only itself.
  ASSERT_EQ(0, fx.params->UpdateParameterNormalizedValue("", 1.0, 0));
  EXPECT_EQ("on", ValueText(""));
  EXPECT_EQ(before, Chunk());
}

TEST_F(ChunkTest, OneChunkOfSeventyTwoBytesInTheRecord) {
  int32_t chunks = 0;
  EXPECT_EQ(0, fx.params->GetNumberOfChunks(&chunks));
  EXPECT_EQ(1, chunks);
  uint32_t id = 7;
  EXPECT_EQ(0, fx.params->GetChunkIDFromIndex(0, &id));
  EXPECT_EQ(0x4F6D4C78u, id);
  EXPECT_EQ(-20006, fx.params->GetChunkIDFromIndex(1, &id));
  EXPECT_EQ(0u, id);
  uint32_t size = 7;
  EXPECT_EQ(0, fx.params->GetChunkSize('OmLx', &size));
  EXPECT_EQ(72u, size);
  EXPECT_EQ(-20007, fx.params->GetChunkSize('elck', &size));
  EXPECT_EQ(0u, size);
  EXPECT_EQ(-20002, fx.params->GetChunkSize('OmLx', nullptr));

  // The data go to offset 56; the size field is written; every other byte stays the host's.
  std::vector<uint8_t> record = aaxhost::NewChunkRecord(72 + 16, 0xA5);
  ASSERT_EQ(0, fx.params->GetChunk('OmLx', aaxhost::RecordOf(record)));
  std::vector<uint8_t> want = aaxhost::NewChunkRecord(72 + 16, 0xA5);
  aaxhost::RecordOf(want)->size = 72;
  const std::vector<uint8_t> values = LittleEndian(DefaultValues());
  std::copy(values.begin(), values.end(), want.begin() + 56);
  EXPECT_EQ(want, record);
  EXPECT_EQ(-20007, fx.params->GetChunk('elck', aaxhost::RecordOf(record)));
  EXPECT_EQ(-20002, fx.params->GetChunk('OmLx', nullptr));
}

TEST_F(ChunkTest, SetChunkRestoresAndAsksTheHostForEveryValue) {
  std::vector<double> values = {-30.0, 4.0, -12.0, 3.0, -40.0, 8.0, 20.0, 1000.0, 55.0};
  std::vector<uint8_t> record = aaxhost::NewChunkRecord(72);
  const std::vector<uint8_t> bytes = LittleEndian(values);
  std::copy(bytes.begin(), bytes.end(), record.begin() + 56);
  const size_t logged = host.fake.log.size();
  ASSERT_EQ(0, fx.params->SetChunk('OmLx', aaxhost::RecordOf(record)));
  int requests = 0;
  for (size_t i = logged; i < host.fake.log.size(); ++i) {
    if (host.fake.log[i].object == "automation" && host.fake.log[i].slot == 5) ++requests;
  }
  EXPECT_EQ(9, requests);
  values[7] = 999.0;  // Release ends at 999 ms
  EXPECT_EQ(LittleEndian(values), Chunk());
}

TEST_F(ChunkTest, MalformedChunksAreRefusedWhole) {
  const std::vector<uint8_t> before = Chunk();
  EXPECT_EQ(-20002, fx.params->SetChunk('OmLx', nullptr));
  std::vector<uint8_t> wrongId = aaxhost::NewChunkRecord(72, 0);
  EXPECT_EQ(-20007, fx.params->SetChunk('elck', aaxhost::RecordOf(wrongId)));
  std::vector<uint8_t> shortRecord = aaxhost::NewChunkRecord(64, 0);
  EXPECT_EQ(-20008, fx.params->SetChunk('OmLx', aaxhost::RecordOf(shortRecord)));
  std::vector<uint8_t> negative = aaxhost::NewChunkRecord(72, 0);
  aaxhost::RecordOf(negative)->size = -1;
  EXPECT_EQ(-20008, fx.params->SetChunk('OmLx', aaxhost::RecordOf(negative)));
  for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    std::vector<double> values = {-30.0, 4.0, -12.0, 3.0, -40.0, 8.0, 20.0, 100.0, bad};
    std::vector<uint8_t> record = aaxhost::NewChunkRecord(72);
    const std::vector<uint8_t> bytes = LittleEndian(values);
    std::copy(bytes.begin(), bytes.end(), record.begin() + 56);
    EXPECT_EQ(-20008, fx.params->SetChunk('OmLx', aaxhost::RecordOf(record)));
  }
  EXPECT_EQ(before, Chunk());
  // A longer chunk is taken: only its first 72 bytes are read.
  std::vector<double> values = {-30.0, 4.0, -12.0, 3.0, -40.0, 8.0, 20.0, 100.0, 50.0, 12345.0};
  std::vector<uint8_t> longer = aaxhost::NewChunkRecord(80);
  const std::vector<uint8_t> bytes = LittleEndian(values);
  std::copy(bytes.begin(), bytes.end(), longer.begin() + 56);
  EXPECT_EQ(0, fx.params->SetChunk('OmLx', aaxhost::RecordOf(longer)));
  values.pop_back();
  EXPECT_EQ(LittleEndian(values), Chunk());
}

TEST_F(ChunkTest, CompareTellsWhetherTheChunkIsTheCurrentState) {
  auto compare = [&](const std::vector<double>& values, int32_t size = 72, uint32_t id = 'OmLx') {
    std::vector<uint8_t> record = aaxhost::NewChunkRecord(size > 72 ? size : 72);
    aaxhost::RecordOf(record)->size = size;
    aaxhost::RecordOf(record)->chunkId = id;
    const std::vector<uint8_t> bytes = LittleEndian(values);
    std::copy(bytes.begin(), bytes.end(), record.begin() + 56);
    AAX_CBoolean equal = 7;
    EXPECT_EQ(0, fx.params->CompareActiveChunk(aaxhost::RecordOf(record), &equal));
    return static_cast<int>(equal);
  };
  std::vector<double> values = DefaultValues();
  EXPECT_EQ(1, compare(values));
  std::vector<double> near = values, far = values;
  near[3] += 1e-6;
  far[3] += 1e-4;
  EXPECT_EQ(1, compare(near));
  EXPECT_EQ(0, compare(far));
  EXPECT_EQ(0, compare(values, 64));        // too short to hold the state
  EXPECT_EQ(1, compare(far, 72, 'elck'));  // another chunk: nothing to compare
  ASSERT_EQ(0, fx.params->UpdateParameterNormalizedValue("1", 0.25, 0));
  EXPECT_EQ(0, compare(values));
  AAX_CBoolean equal = 0;
  EXPECT_EQ(-20002, fx.params->CompareActiveChunk(nullptr, &equal));
}

}  // namespace
}  // namespace aaxtest
