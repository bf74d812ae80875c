// The component state: its byte layout, restoring it (whole, short, damaged or arriving through a
// stream that misbehaves) and writing it into a stream that refuses bytes.
#include <cmath>
#include <random>

#include "tests/integration/plugin_harness.h"

namespace qoit {
namespace {

const double kLo[9] = {-48, 1, -48, 1, -48, 1, 1, 1, 0};
const double kHi[9] = {0, 20, 0, 20, 0, 20, 100, 999, 100};
const double kDefaults[9] = {-19, 2, -24, 2, -29, 2, 10, 500, 20};

void PutDouble(std::vector<uint8_t>& b, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  for (int i = 0; i < 8; ++i) b.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

void PutInt32(std::vector<uint8_t>& b, int32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
}

double DoubleAt(const std::vector<uint8_t>& b, size_t index) {
  uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= static_cast<uint64_t>(b[index * 8 + i]) << (8 * i);
  double v;
  std::memcpy(&v, &bits, 8);
  return v;
}

std::vector<uint8_t> StateBytes(const std::vector<double>& values, int bypass = -1) {
  std::vector<uint8_t> b;
  for (double v : values) PutDouble(b, v);
  if (bypass >= 0) PutInt32(b, bypass);
  return b;
}

// A user's settings and their normalised values worked out by hand.
const std::vector<double> kCustom = {-6.5, 4, -30, 1.5, -40, 3, 25, 100, 50};
const double kCustomNormalized[9] = {41.5 / 48, 3.0 / 19, 18.0 / 48, 0.5 / 19, 8.0 / 48, 2.0 / 19,
                                     std::sqrt(24.0 / 99), std::sqrt(99.0 / 998),
                                     0.5};

// Delivers at most `chunk` bytes per read; read number `failingRead` (counted from 1) reports an error,
// handing over its bytes or none.
class ChunkedStream : public vst3host::HostObject<IBStream> {
 public:
  ChunkedStream(std::vector<uint8_t> bytes, int32 chunk, int failingRead, bool bytesWithError)
      : mData(std::move(bytes)), mChunk(chunk), mFailingRead(failingRead), mBytesWithError(bytesWithError) {}
  tresult PLUGIN_API read(void* buffer, int32 numBytes, int32* numBytesRead) override {
    const bool fail = ++mReads == mFailingRead;
    size_t n = static_cast<size_t>(numBytes < mChunk ? numBytes : mChunk);
    if (n > mData.size() - mPos) n = mData.size() - mPos;
    if (fail && !mBytesWithError) n = 0;
    if (n) std::memcpy(buffer, mData.data() + mPos, n);
    mPos += n;
    if (numBytesRead) *numBytesRead = static_cast<int32>(n);
    return fail ? kResultFalse : kResultOk;
  }
  tresult PLUGIN_API write(void*, int32, int32* written) override {
    if (written) *written = 0;
    return kResultFalse;
  }
  tresult PLUGIN_API seek(int64 pos, int32 mode, int64* result) override {
    const int64 end = static_cast<int64>(mData.size());
    const int64 base = mode == kIBSeekSet ? 0 : (mode == kIBSeekCur ? static_cast<int64>(mPos) : end);
    if (base + pos < 0 || base + pos > end) return kInvalidArgument;
    mPos = static_cast<size_t>(base + pos);
    if (result) *result = static_cast<int64>(mPos);
    return kResultOk;
  }
  tresult PLUGIN_API tell(int64* pos) override {
    if (pos) *pos = static_cast<int64>(mPos);
    return kResultOk;
  }

 private:
  std::vector<uint8_t> mData;
  size_t mPos = 0;
  int32 mChunk;
  int mReads = 0;
  int mFailingRead;
  bool mBytesWithError;
};

class StateTest : public PluginTest {
 protected:
  void ExpectValues(Instance& inst, const double* normalized, int count = 9) {
    for (int i = 0; i < count; ++i) {
      const double n = inst.controller->getParamNormalized(static_cast<ParamID>(i));
      EXPECT_NEAR(n, normalized[i], 1e-12) << "id " << i;
    }
  }
  void ExpectDefaultsFrom(Instance& inst, int first) {
    for (int i = first; i < 9; ++i) {
      EXPECT_EQ(DoubleAt(inst.GetState(), static_cast<size_t>(i)), kDefaults[i]) << "id " << i;
    }
  }
};

TEST_F(StateTest, FreshStateIsNineDefaultsAndBypassOff) {
  Instance inst;
  ASSERT_EQ(inst.Create(Factory()), "");
  const std::vector<uint8_t> s = inst.GetState();
  ASSERT_EQ(s.size(), 76u);
  EXPECT_EQ(s, StateBytes({-19, 2, -24, 2, -29, 2, 10, 500, 20}, 0));
}

TEST_F(StateTest, RestoredStateReachesTheControllerAndReadsBackUnchanged) {
  Instance inst;
  ASSERT_EQ(inst.Create(Factory()), "");
  const std::vector<uint8_t> blob = StateBytes(kCustom, 1);
  ASSERT_EQ(inst.SetState(blob), kResultOk);
  ExpectValues(inst, kCustomNormalized);
  EXPECT_EQ(inst.controller->getParamNormalized(kBypassId), 1.0);
  EXPECT_EQ(inst.GetState(), blob);
  // A later state with the flag cleared switches bypass off again.
  ASSERT_EQ(inst.SetState(StateBytes(kCustom, 0)), kResultOk);
  EXPECT_EQ(inst.controller->getParamNormalized(kBypassId), 0.0);
}

TEST_F(StateTest, ControllerStateEntryRestoresTheSame) {
  Instance inst;
  ASSERT_EQ(inst.Create(Factory()), "");
  MemoryStream s(StateBytes(kCustom, 1));
  ASSERT_EQ(inst.controller->setComponentState(&s), kResultOk);
  ExpectValues(inst, kCustomNormalized);
  EXPECT_EQ(inst.controller->getParamNormalized(kBypassId), 1.0);
}

TEST_F(StateTest, RoundTripIntoASecondInstance) {
  Instance a, b;
  ASSERT_EQ(a.Create(Factory()), "");
  ASSERT_EQ(b.Create(Factory()), "");
  ASSERT_EQ(a.SetState(StateBytes(kCustom, 1)), kResultOk);
  ASSERT_EQ(a.controller->setParamNormalized(kTopRatio, 0.5), kResultOk);  // 10.5
  ASSERT_EQ(a.controller->setParamNormalized(kAttack, 1.0), kResultOk);    // 100 ms
  const std::vector<uint8_t> s = a.GetState();
  ASSERT_EQ(s.size(), 76u);
  EXPECT_EQ(DoubleAt(s, kTopRatio), 10.5);
  EXPECT_EQ(DoubleAt(s, kAttack), 100.0);
  ASSERT_EQ(b.SetState(s), kResultOk);
  for (ParamID id = 0; id < 9; ++id) {
    EXPECT_EQ(b.controller->getParamNormalized(id), a.controller->getParamNormalized(id)) << id;
  }
  EXPECT_EQ(b.controller->getParamNormalized(kBypassId), 1.0);
  EXPECT_EQ(b.GetState(), s);
}

TEST_F(StateTest, EmptyStateIsRefusedAndChangesNothing) {
  Instance inst;
  ASSERT_EQ(inst.Create(Factory()), "");
  ASSERT_EQ(inst.SetState(StateBytes(kCustom, 1)), kResultOk);
  const std::vector<uint8_t> before = inst.GetState();
  EXPECT_EQ(inst.SetState({}), kResultFalse);
  EXPECT_EQ(inst.GetState(), before);
  EXPECT_EQ(inst.component->setState(nullptr), kResultFalse);
  EXPECT_EQ(inst.component->getState(nullptr), kResultFalse);
  EXPECT_EQ(inst.GetState(), before);
}

TEST_F(StateTest, StateWithoutBypassFlagRestoresValuesButIsRefused) {
  Instance inst;
  ASSERT_EQ(inst.Create(Factory()), "");
  ASSERT_EQ(inst.SetState(StateBytes({-19, 2, -24, 2, -29, 2, 10, 500, 20}, 1)), kResultOk);
  EXPECT_EQ(inst.SetState(StateBytes(kCustom)), kResultFalse);
  ExpectValues(inst, kCustomNormalized);
  EXPECT_EQ(inst.controller->getParamNormalized(kBypassId), 1.0);  // left as it was
}

TEST_F(StateTest, ShortStateRestoresOnlyTheLeadingValues) {
  Instance inst;
  ASSERT_EQ(inst.Create(Factory()), "");
  std::vector<uint8_t> blob = StateBytes({-6.5, 4, -30});
  blob.push_back(0x11);  // a stray byte of the fourth value
  EXPECT_EQ(inst.SetState(blob), kResultFalse);
  ExpectValues(inst, kCustomNormalized, 3);
  ExpectDefaultsFrom(inst, 3);
}

TEST_F(StateTest, ValuesOutsideTheRangesAreHeldAtTheEnds) {
  Instance inst;
  ASSERT_EQ(inst.Create(Factory()), "");
  ASSERT_EQ(inst.SetState(StateBytes({12, 50, -100, 0.5, 1e300, -1e300, 0.1, 5000, -3}, 0)), kResultOk);
  const double expected[9] = {1, 1, 0, 0, 1, 0, 0, 1, 0};
  ExpectValues(inst, expected);
  const std::vector<uint8_t> s = inst.GetState();
  const double plain[9] = {0, 20, -48, 1, 0, 1, 1, 999, 0};
  for (size_t i = 0; i < 9; ++i) EXPECT_EQ(DoubleAt(s, i), plain[i]) << i;
}

TEST_F(StateTest, RandomBlobsNeverLeaveTheRanges) {
  Instance inst;
  ASSERT_EQ(inst.Create(Factory()), "");
  std::mt19937 gen(20240611);
  const double specials[] = {NAN, INFINITY, -INFINITY, 1e308, -1e308, 5e-324, 0.0, -0.0, 1.0, -1.0};
  for (int round = 0; round < 300; ++round) {
    std::vector<uint8_t> blob;
    const size_t length = gen() % 160;
    if (round % 2) {
      while (blob.size() + 8 <= length) {
        const uint32_t pick = gen() % 3;
        PutDouble(blob, pick == 0 ? specials[gen() % 10]
                                  : (pick == 1 ? (static_cast<double>(gen()) - 2147483648.0) / 1000.0
                                               : static_cast<double>(gen() % 1200) - 100.0));
      }
    }
    while (blob.size() < length) blob.push_back(static_cast<uint8_t>(gen()));
    const tresult r = inst.SetState(blob);
    EXPECT_TRUE(r == kResultOk || r == kResultFalse) << r;
    for (ParamID id = 0; id < 9; ++id) {
      const double n = inst.controller->getParamNormalized(id);
      ASSERT_TRUE(n >= 0.0 && n <= 1.0) << "round " << round << " id " << id << " value " << n;
    }
    const double b = inst.controller->getParamNormalized(kBypassId);
    ASSERT_TRUE(b == 0.0 || b == 1.0);
    const std::vector<uint8_t> s = inst.GetState();
    ASSERT_EQ(s.size(), 76u);
    for (size_t i = 0; i < 9; ++i) {
      const double v = DoubleAt(s, i);
      ASSERT_TRUE(v >= kLo[i] && v <= kHi[i]) << "round " << round << " id " << i << " value " << v;
    }
  }
}

TEST_F(StateTest, ShortReadsAreJoinedUntilTheStreamEnds) {
  Instance inst;
  ASSERT_EQ(inst.Create(Factory()), "");
  ChunkedStream s(StateBytes(kCustom, 1), 7, 0, false);
  ASSERT_EQ(inst.component->setState(&s), kResultOk);
  ExpectValues(inst, kCustomNormalized);
  EXPECT_EQ(inst.controller->getParamNormalized(kBypassId), 1.0);
}

// The project's memory stream fails a read that would pass the failure point as a whole: no bytes
// arrive, so whatever the host, nothing is restored.
TEST_F(StateTest, ReadFailingBeforeAnyByteArrivesRestoresNothing) {
  for (const char* host : {"Cubase", "WaveLab 11"}) {
    SCOPED_TRACE(host);
    Instance inst;
    ASSERT_EQ(inst.Create(Factory(), host), "");
    const std::vector<uint8_t> before = inst.GetState();
    MemoryStream s(StateBytes(kCustom, 1));
    s.failReadsAt = 40;
    EXPECT_EQ(inst.component->setState(&s), kResultFalse);
    EXPECT_EQ(inst.GetState(), before);
  }
}

TEST_F(StateTest, ReadErrorMidwayStopsTheRestoreForMostHosts) {
  Instance inst;
  ASSERT_EQ(inst.Create(Factory(), "Cubase"), "");
  ChunkedStream s(StateBytes(kCustom, 1), 24, 2, true);  // bytes 24..47 come with an error
  EXPECT_EQ(inst.component->setState(&s), kResultFalse);
  ExpectValues(inst, kCustomNormalized, 3);
  ExpectDefaultsFrom(inst, 3);
  EXPECT_EQ(inst.controller->getParamNormalized(kBypassId), 0.0);
}

TEST_F(StateTest, WaveLabReadsOnPastErrorsWhileBytesArrive) {
  Instance inst;
  ASSERT_EQ(inst.Create(Factory(), "WaveLab 11"), "");
  ChunkedStream s(StateBytes(kCustom, 1), 24, 2, true);
  EXPECT_EQ(inst.component->setState(&s), kResultOk);
  ExpectValues(inst, kCustomNormalized);
  EXPECT_EQ(inst.controller->getParamNormalized(kBypassId), 1.0);
}

TEST_F(StateTest, WaveLabStopsAtAnErrorThatDeliversNothing) {
  Instance inst;
  ASSERT_EQ(inst.Create(Factory(), "WaveLab 11"), "");
  ChunkedStream s(StateBytes(kCustom, 1), 24, 2, false);
  EXPECT_EQ(inst.component->setState(&s), kResultFalse);
  ExpectValues(inst, kCustomNormalized, 3);
  ExpectDefaultsFrom(inst, 3);
  EXPECT_EQ(inst.controller->getParamNormalized(kBypassId), 0.0);
}

TEST_F(StateTest, WritingIntoARefusingStreamFails) {
  Instance inst;
  ASSERT_EQ(inst.Create(Factory()), "");
  for (int64_t at : {0, 10, 72, 75}) {
    MemoryStream s;
    s.failWritesAt = at;
    EXPECT_EQ(inst.component->getState(&s), kResultFalse) << "writes fail past " << at;
  }
  MemoryStream ok;
  ok.failWritesAt = 76;
  EXPECT_EQ(inst.component->getState(&ok), kResultOk);
  EXPECT_EQ(ok.Bytes().size(), 76u);
}

}  // namespace
}  // namespace qoit
