// The module's method tables called the way a host compiled elsewhere calls them: through raw slot
// numbers, with the calling convention spelled out here and records laid out by byte offsets,
// independently of the project's own interface declarations. A slot in the wrong place, a method
// with the wrong calling convention on x86 or a record with the wrong layout fails here.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tools/vst3host/host.h"

#if defined(_WIN32) && defined(__i386__)
#define HOST_CC __attribute__((stdcall))
#else
#define HOST_CC
#endif

namespace {

// Calls slot `slot` of the object's method table with `this` as the first argument.
template <class Ret, class... Args>
Ret CallSlot(void* object, int slot, Args... args) {
  typedef Ret(HOST_CC * Fn)(void*, Args...);
  void** table = *static_cast<void***>(object);
  return reinterpret_cast<Fn>(table[slot])(object, args...);
}

// Identifiers as 16 bytes in memory.
const uint8_t kIComponent[16] = {0x31, 0xFF, 0x31, 0xE8, 0xD5, 0xF2, 0x01, 0x43,
                                 0x92, 0x8E, 0xBB, 0xEE, 0x25, 0x69, 0x78, 0x02};
const uint8_t kIAudioProcessor[16] = {0x99, 0x3F, 0x04, 0x42, 0xDA, 0xB7, 0x3C, 0x45,
                                      0xA5, 0x69, 0xE7, 0x9D, 0x9A, 0xAE, 0xC3, 0x3D};
const uint8_t kIEditController[16] = {0xE3, 0xBB, 0xD7, 0xDC, 0x42, 0x77, 0x8D, 0x44,
                                      0xA8, 0x74, 0xAA, 0xCC, 0x97, 0x9C, 0x75, 0x9E};
const uint8_t kIPluginFactory2[16] = {0x50, 0xB6, 0x07, 0x00, 0x4B, 0xF2, 0x0B, 0x4C,
                                      0xA4, 0x64, 0xED, 0xB9, 0xF0, 0x0B, 0x2A, 0xBB};
const uint8_t kClassId[16] = {0x0D, 0xE7, 0xAE, 0xF2, 0xDE, 0x00, 0x4E, 0x4F,
                              0x51, 0x62, 0x65, 0x6C, 0x4F, 0x6D, 0x4C, 0x78};

std::string Narrow16(const uint8_t* p) {
  std::string s;
  for (int i = 0; i < 128 && (p[2 * i] || p[2 * i + 1]); ++i) s += static_cast<char>(p[2 * i]);
  return s;
}

void* Query(void* object, const uint8_t* iid) {
  void* out = nullptr;
  EXPECT_EQ((CallSlot<int32_t, const void*, void**>(object, 0, iid, &out)), 0);
  return out;
}

TEST(ModuleTables, FactoryComponentControllerAndProcessorAnswerThroughRawSlots) {
  vst3host::Module module;
  ASSERT_EQ(module.Load(vst3host::ModuleFileInBundle(QO_VST3_BUNDLE)), "");
  void* factory = module.Factory();

  // IPluginFactory: countClasses (4), getClassInfo (5); IPluginFactory2: getClassInfo2 (7).
  EXPECT_EQ((CallSlot<int32_t>(factory, 4)), 1);
  std::vector<uint8_t> info(440, 0xEE);
  EXPECT_EQ((CallSlot<int32_t, int32_t, void*>(factory, 5, 0, info.data())), 0);
  EXPECT_EQ(std::memcmp(info.data(), kClassId, 16), 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(&info[52]), "QuibelOmbrelux");
  void* factory2 = Query(factory, kIPluginFactory2);
  ASSERT_NE(factory2, nullptr);
  EXPECT_EQ((CallSlot<int32_t, int32_t, void*>(factory2, 7, 0, info.data())), 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(&info[312]), "1.0.1");
  EXPECT_STREQ(reinterpret_cast<const char*>(&info[376]), "VST 3.5.2");
  CallSlot<uint32_t>(factory2, 2);

  // createInstance (6) for IComponent, then initialize (3) without a host context.
  void* component = nullptr;
  ASSERT_EQ((CallSlot<int32_t, const void*, const void*, void**>(factory, 6, kClassId, kIComponent, &component)), 0);
  ASSERT_NE(component, nullptr);
  EXPECT_EQ((CallSlot<int32_t, void*>(component, 3, nullptr)), 0);
  // getBusCount (7) and getBusInfo (8): one stereo main input; channelCount at offset 8.
  EXPECT_EQ((CallSlot<int32_t, int32_t, int32_t>(component, 7, 0, 0)), 1);
  std::vector<uint8_t> bus(276, 0);
  EXPECT_EQ((CallSlot<int32_t, int32_t, int32_t, int32_t, void*>(component, 8, 0, 0, 0, bus.data())), 0);
  int32_t channels;
  std::memcpy(&channels, &bus[8], 4);
  EXPECT_EQ(channels, 2);
  EXPECT_EQ(Narrow16(&bus[12]), "Main Input");
  // activateBus (10) for the main input and output, as hosts do before processing.
  EXPECT_EQ((CallSlot<int32_t, int32_t, int32_t, int32_t, uint8_t>(component, 10, 0, 0, 0, 1)), 0);
  EXPECT_EQ((CallSlot<int32_t, int32_t, int32_t, int32_t, uint8_t>(component, 10, 0, 1, 0, 1)), 0);

  // IEditController: getParameterCount (8), getParameterInfo (9), getParamStringByValue (10),
  // normalizedParamToPlain (12), plainParamToNormalized (13), getParamNormalized (14),
  // setParamNormalized (15). Doubles go in and come back.
  void* controller = Query(component, kIEditController);
  ASSERT_NE(controller, nullptr);
  EXPECT_EQ((CallSlot<int32_t>(controller, 8)), 11);
  std::vector<uint8_t> param(792, 0);
  EXPECT_EQ((CallSlot<int32_t, int32_t, void*>(controller, 9, 9, param.data())), 0);
  uint32_t id;
  std::memcpy(&id, &param[0], 4);
  EXPECT_EQ(id, 7u);
  EXPECT_EQ(Narrow16(&param[4]), "Release");
  EXPECT_EQ(Narrow16(&param[516]), "ms");
  double def;
  std::memcpy(&def, &param[776], 8);
  EXPECT_NEAR(def, std::sqrt(499.0 / 998.0), 1e-12);
  std::vector<uint8_t> text(256, 0);
  EXPECT_EQ((CallSlot<int32_t, uint32_t, double, void*>(controller, 10, 0, 29.0 / 48.0, text.data())), 0);
  EXPECT_EQ(Narrow16(text.data()), "-19.0");
  EXPECT_DOUBLE_EQ((CallSlot<double, uint32_t, double>(controller, 12, 7, 0.5)), 1.0 + 0.25 * 998.0);
  EXPECT_NEAR((CallSlot<double, uint32_t, double>(controller, 13, 0, -19.0)), 29.0 / 48.0, 1e-12);
  EXPECT_EQ((CallSlot<int32_t, uint32_t, double>(controller, 15, 6, 1.0)), 0);
  EXPECT_DOUBLE_EQ((CallSlot<double, uint32_t>(controller, 14, 6)), 1.0);

  // IAudioProcessor: canProcessSampleSize (5), setBusArrangements (3), setupProcessing (7),
  // process (9), getLatencySamples (6), getTailSamples (10).
  void* processor = Query(component, kIAudioProcessor);
  ASSERT_NE(processor, nullptr);
  EXPECT_EQ((CallSlot<int32_t, int32_t>(processor, 5, 1)), 0);
  EXPECT_EQ((CallSlot<int32_t, int32_t>(processor, 5, 2)), 1);
  uint64_t stereo = 0x3;
  EXPECT_EQ((CallSlot<int32_t, uint64_t*, int32_t, uint64_t*, int32_t>(processor, 3, &stereo, 1, &stereo, 1)), 0);
  alignas(8) uint8_t setup[24] = {};
  const int32_t mode = 0, size64 = 1, maxBlock = 64;
  const double rate = 48000.0;
  std::memcpy(setup + 0, &mode, 4);
  std::memcpy(setup + 4, &size64, 4);
  std::memcpy(setup + 8, &maxBlock, 4);
  std::memcpy(setup + 16, &rate, 8);
  EXPECT_EQ((CallSlot<int32_t, void*>(processor, 7, setup)), 0);
  EXPECT_EQ((CallSlot<uint32_t>(processor, 6)), 0u);
  EXPECT_EQ((CallSlot<uint32_t>(processor, 10)), 0u);

  // One 64-bit block with bypass off: the processed signal is finite and not the input.
  std::vector<double> left(64), right(64);
  for (int i = 0; i < 64; ++i) left[i] = right[i] = 0.5 * std::sin(0.3 * i);
  const std::vector<double> in = left;
  double* chans[2] = {left.data(), right.data()};
  alignas(8) uint8_t busIn[24] = {}, busOut[24] = {};
  const int32_t two = 2;
  std::memcpy(busIn, &two, 4);
  std::memcpy(busOut, &two, 4);
  void* chansPtr = chans;
  std::memcpy(busIn + 16, &chansPtr, sizeof(void*));
  std::memcpy(busOut + 16, &chansPtr, sizeof(void*));
  const bool wide = sizeof(void*) == 8;
  std::vector<uint8_t> data(wide ? 80 : 48, 0);
  const int32_t frames = 64, one = 1;
  std::memcpy(&data[4], &size64, 4);
  std::memcpy(&data[8], &frames, 4);
  std::memcpy(&data[12], &one, 4);
  std::memcpy(&data[16], &one, 4);
  void* inPtr = busIn;
  void* outPtr = busOut;
  std::memcpy(&data[wide ? 24 : 20], &inPtr, sizeof(void*));
  std::memcpy(&data[wide ? 32 : 24], &outPtr, sizeof(void*));
  EXPECT_EQ((CallSlot<int32_t, void*>(processor, 9, data.data())), 0);
  bool changed = false;
  for (int i = 0; i < 64; ++i) {
    ASSERT_TRUE(std::isfinite(left[i]));
    if (left[i] != in[i]) changed = true;
  }
  EXPECT_TRUE(changed);

  // terminate (4) and the releases (2): the last one reaches 0.
  EXPECT_EQ((CallSlot<int32_t>(component, 4)), 0);
  CallSlot<uint32_t>(processor, 2);
  CallSlot<uint32_t>(controller, 2);
  EXPECT_EQ((CallSlot<uint32_t>(component, 2)), 0u);
}

}  // namespace
