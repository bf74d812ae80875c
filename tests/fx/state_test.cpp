// The state byte buffer, the little-endian parameter state, its restore and the compare query.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <limits>
#include <vector>

#include "fx/stateblob.h"
#include "tests/fx/testplugin.h"

namespace {

using fxtest::TestPlugin;

// Little-endian IEEE-754 bytes of the nine defaults, worked out by hand:
// -19 = -1.1875 x 2^4 -> C033..., 2 -> 4000..., -24 = -1.5 x 2^4 -> C038..., -29 = -1.8125 x 2^4
// -> C03D..., 10 = 1.25 x 2^3 -> 4024..., 500 = 1.953125 x 2^8 -> 407F4..., 20 = 1.25 x 2^4 -> 4034...
const uint8_t kDefaultState[72] = {
    0, 0, 0, 0, 0, 0,    0x33, 0xC0,  // Top Threshold -19
    0, 0, 0, 0, 0, 0,    0x00, 0x40,  // Top Ratio 2
    0, 0, 0, 0, 0, 0,    0x38, 0xC0,  // Avg Threshold -24
    0, 0, 0, 0, 0, 0,    0x00, 0x40,  // Avg Ratio 2
    0, 0, 0, 0, 0, 0,    0x3D, 0xC0,  // Btm Threshold -29
    0, 0, 0, 0, 0, 0,    0x00, 0x40,  // Btm Ratio 2
    0, 0, 0, 0, 0, 0,    0x24, 0x40,  // Attack 10
    0, 0, 0, 0, 0, 0x40, 0x7F, 0x40,  // Release 500
    0, 0, 0, 0, 0, 0,    0x34, 0x40,  // Saturation 20
};

const double kDefaults[9] = {-19.0, 2.0, -24.0, 2.0, -29.0, 2.0, 10.0, 500.0, 20.0};

void Fill(StateBlob& blob, const std::vector<double>& values) {
  for (double v : values) EXPECT_TRUE(blob.AppendDouble(v));
}

// ---------------------------------------------------------------- StateBlob

TEST(StateBlob, AppendAndReadBackAtCarriedPosition) {
  StateBlob blob;
  EXPECT_EQ(blob.Size(), 0);
  ASSERT_TRUE(blob.AppendBytes("abc", 3));
  ASSERT_TRUE(blob.AppendInt32(0x01020304));
  ASSERT_EQ(blob.Size(), 7);
  const uint8_t expected[7] = {'a', 'b', 'c', 0x04, 0x03, 0x02, 0x01};
  EXPECT_EQ(std::memcmp(blob.Data(), expected, 7), 0);

  char text[3];
  int pos = blob.ReadBytes(text, 3, 0);
  EXPECT_EQ(pos, 3);
  EXPECT_EQ(std::memcmp(text, "abc", 3), 0);
  int32_t v = 0;
  pos = blob.ReadInt32(&v, pos);
  EXPECT_EQ(pos, 7);
  EXPECT_EQ(v, 0x01020304);
}

TEST(StateBlob, DoublesAreLittleEndian) {
  StateBlob blob;
  Fill(blob, {500.0});
  const uint8_t expected[8] = {0, 0, 0, 0, 0, 0x40, 0x7F, 0x40};
  ASSERT_EQ(blob.Size(), 8);
  EXPECT_EQ(std::memcmp(blob.Data(), expected, 8), 0);
  double d = 0;
  EXPECT_EQ(blob.ReadDouble(&d, 0), 8);
  EXPECT_EQ(d, 500.0);
}

TEST(StateBlob, ReadPastTheEndOrFromNegativePositionReadsNothing) {
  StateBlob blob;
  blob.AppendBytes("0123", 4);
  char out[8];
  std::memset(out, '#', sizeof out);
  EXPECT_EQ(blob.ReadBytes(out, 3, 2), -1);
  EXPECT_EQ(blob.ReadBytes(out, 1, -1), -1);
  EXPECT_EQ(blob.ReadBytes(out, -1, 0), -1);
  EXPECT_EQ(out[0], '#');
  EXPECT_EQ(blob.ReadBytes(out, 2, 2), 4);  // exactly to the end
  EXPECT_EQ(blob.ReadBytes(out, 0, 4), 4);
  double d = 7.0;
  EXPECT_EQ(blob.ReadDouble(&d, 0), -1);
  EXPECT_EQ(d, 7.0);
}

TEST(StateBlob, FailedAppendLeavesBlobUnchanged) {
  StateBlob blob;
  blob.AppendBytes("xy", 2);
  const char small[4] = {1, 2, 3, 4};
  EXPECT_FALSE(blob.AppendBytes(small, -1));
  EXPECT_FALSE(blob.AppendBytes(small, INT32_MAX));  // size would pass 31 bits
  EXPECT_FALSE(blob.AppendBytes(small, INT32_MAX - 100));  // allocation would pass 31 bits
  EXPECT_EQ(blob.Size(), 2);
  EXPECT_EQ(std::memcmp(blob.Data(), "xy", 2), 0);
}

// ---------------------------------------------------------------- writing

TEST(PluginState, DefaultStateIsNineLittleEndianDoubles) {
  TestPlugin fx;
  StateBlob blob;
  ASSERT_TRUE(fx.WriteStateBlob(blob));
  ASSERT_EQ(blob.Size(), 72);
  EXPECT_EQ(std::memcmp(blob.Data(), kDefaultState, 72), 0);
  for (int i = 0; i < 9; ++i) {
    double v;
    blob.ReadDouble(&v, 8 * i);
    EXPECT_EQ(v, kDefaults[i]) << "parameter " << i;
  }
}

TEST(PluginState, WriterAppendsAfterExistingBytes) {
  TestPlugin fx;
  StateBlob blob;
  blob.AppendInt32(0x51424C31);  // a binding's own header
  ASSERT_TRUE(fx.SerializeParamValues(blob));
  ASSERT_EQ(blob.Size(), 76);
  EXPECT_EQ(std::memcmp(blob.Data() + 4, kDefaultState, 72), 0);
}

// ---------------------------------------------------------------- reading

TEST(PluginState, RestoreReadsEveryValueAndAnnouncesEachParameter) {
  TestPlugin fx;
  const std::vector<double> values = {-10.0, 3.5, -30.0, 4.0, -40.0, 1.5, 50.0, 100.0, 75.0};
  StateBlob blob;
  Fill(blob, values);
  EXPECT_EQ(fx.ReadStateBlob(blob, 0), 72);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(fx.GetParam(i)->Value(), values[i]) << "parameter " << i;
  ASSERT_EQ(fx.paramChanges.size(), 9u);
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(fx.paramChanges[i].paramIdx, i);
    EXPECT_EQ(fx.paramChanges[i].source, kSourceRestore);
  }
}

TEST(PluginState, RestoreLimitsValuesToTheRange) {
  TestPlugin fx;
  std::vector<double> values(kDefaults, kDefaults + 9);
  values[fxtest::kRelease] = 1000.0;
  values[fxtest::kTopThreshold] = -60.0;
  StateBlob blob;
  Fill(blob, values);
  EXPECT_EQ(fx.ReadStateBlob(blob, 0), 72);
  EXPECT_EQ(fx.GetParam(fxtest::kRelease)->Value(), 999.0);
  EXPECT_EQ(fx.GetParam(fxtest::kTopThreshold)->Value(), -48.0);
}

TEST(PluginState, TruncatedStateKeepsLaterParameters) {
  TestPlugin fx;
  const std::vector<double> values = {777.0, -10.0, 3.0, -20.0, 4.0, -30.0, 5.0, 50.0, 100.0};
  StateBlob blob;
  Fill(blob, values);
  // From byte 8 only eight values remain: parameters 0..7 take values[1..8], parameter 8 is short.
  EXPECT_EQ(fx.ReadStateBlob(blob, 8), -1);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(fx.GetParam(i)->Value(), values[i + 1]) << "parameter " << i;
  EXPECT_EQ(fx.GetParam(8)->Value(), 20.0);  // keeps its value
  EXPECT_EQ(fx.paramChanges.size(), 9u);
}

TEST(PluginState, PartialValueAtTheEndIsNotRead) {
  TestPlugin fx;
  StateBlob blob;
  Fill(blob, {-5.0, 3.0});
  blob.AppendBytes("\0\0\0\0", 4);  // half a double
  EXPECT_EQ(fx.ReadStateBlob(blob, 0), -1);
  EXPECT_EQ(fx.GetParam(0)->Value(), -5.0);
  EXPECT_EQ(fx.GetParam(1)->Value(), 3.0);
  EXPECT_EQ(fx.GetParam(2)->Value(), -24.0);
  EXPECT_EQ(fx.GetParam(8)->Value(), 20.0);
}

TEST(PluginState, EmptyStateChangesNothingButAnnouncesAll) {
  TestPlugin fx;
  StateBlob empty;
  EXPECT_EQ(fx.ReadStateBlob(empty, 0), -1);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(fx.GetParam(i)->Value(), kDefaults[i]) << "parameter " << i;
  EXPECT_EQ(fx.paramChanges.size(), 9u);
}

TEST(PluginState, NegativeStartReadsNothingAndReturnsIt) {
  TestPlugin fx;
  StateBlob blob;
  Fill(blob, {-1.0, 1.0, -1.0, 1.0, -1.0, 1.0, 1.0, 1.0, 1.0});
  EXPECT_EQ(fx.ReadStateBlob(blob, -5), -5);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(fx.GetParam(i)->Value(), kDefaults[i]);
  EXPECT_EQ(fx.paramChanges.size(), 9u);
}

TEST(PluginState, NaNInStateKeepsTheParameterAndReadingGoesOn) {
  TestPlugin fx;
  std::vector<double> values = {-1.0, 3.0, -2.0, 4.0, -3.0, 5.0, 6.0, 7.0, 8.0};
  values[1] = std::numeric_limits<double>::quiet_NaN();
  StateBlob blob;
  Fill(blob, values);
  EXPECT_EQ(fx.ReadStateBlob(blob, 0), 72);
  EXPECT_EQ(fx.GetParam(0)->Value(), -1.0);
  EXPECT_EQ(fx.GetParam(1)->Value(), 2.0);
  EXPECT_EQ(fx.GetParam(2)->Value(), -2.0);
  EXPECT_EQ(fx.GetParam(8)->Value(), 8.0);
}

TEST(PluginState, BytesAfterTheStateAreLeftToTheCaller) {
  TestPlugin fx;
  StateBlob blob;
  Fill(blob, std::vector<double>(kDefaults, kDefaults + 9));
  blob.AppendInt32(1);  // a binding's bypass flag after the state
  const int pos = fx.ReadStateBlob(blob, 0);
  ASSERT_EQ(pos, 72);
  int32_t flag = 0;
  EXPECT_EQ(blob.ReadInt32(&flag, pos), 76);
  EXPECT_EQ(flag, 1);
}

// ---------------------------------------------------------------- compare

std::vector<uint8_t> CurrentStateBytes(TestPlugin& fx, int leadingDoubles = 0) {
  StateBlob blob;
  for (int i = 0; i < leadingDoubles; ++i) blob.AppendDouble(12345.0);
  fx.WriteStateBlob(blob);
  return std::vector<uint8_t>(blob.Data(), blob.Data() + blob.Size());
}

void PutDouble(std::vector<uint8_t>& bytes, int index, double v) {
  StoreLE64(bytes.data() + 8 * index, v);
}

TEST(StateBlobMatches, SmallDifferencesMatchLargerOnesDoNot) {
  TestPlugin fx;
  std::vector<uint8_t> bytes = CurrentStateBytes(fx);
  EXPECT_TRUE(fx.StateBlobMatches(bytes.data(), 72, 0));

  PutDouble(bytes, 0, -19.0 + 1e-6);
  EXPECT_TRUE(fx.StateBlobMatches(bytes.data(), 72, 0));
  PutDouble(bytes, 0, -19.0 + 1e-4);
  EXPECT_FALSE(fx.StateBlobMatches(bytes.data(), 72, 0));
}

TEST(StateBlobMatches, AnyMismatchingParameterFails) {
  TestPlugin fx;
  std::vector<uint8_t> bytes = CurrentStateBytes(fx);
  PutDouble(bytes, 8, 21.0);
  EXPECT_FALSE(fx.StateBlobMatches(bytes.data(), 72, 0));
}

TEST(StateBlobMatches, StartPositionCountsDoubles) {
  TestPlugin fx;
  std::vector<uint8_t> bytes = CurrentStateBytes(fx, 2);
  ASSERT_EQ(bytes.size(), 88u);
  EXPECT_TRUE(fx.StateBlobMatches(bytes.data(), 88, 2));
  EXPECT_FALSE(fx.StateBlobMatches(bytes.data(), 88, 1));
}

TEST(StateBlobMatches, ShortDataDoesNotMatch) {
  TestPlugin fx;
  std::vector<uint8_t> bytes = CurrentStateBytes(fx);
  EXPECT_FALSE(fx.StateBlobMatches(bytes.data(), 71, 0));
  EXPECT_FALSE(fx.StateBlobMatches(bytes.data(), 72, 1));
  EXPECT_FALSE(fx.StateBlobMatches(bytes.data(), 72, -1));
  EXPECT_FALSE(fx.StateBlobMatches(nullptr, 0, 0));
}

TEST(StateBlobMatches, NoParametersAlwaysMatch) {
  fxtest::RecorderFx fx(0, "1-1", 0);
  EXPECT_TRUE(fx.StateBlobMatches(nullptr, 0, 0));
  StateBlob blob;
  EXPECT_TRUE(fx.WriteStateBlob(blob));
  EXPECT_EQ(blob.Size(), 0);
}

}  // namespace
