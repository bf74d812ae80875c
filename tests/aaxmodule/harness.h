// The AAX module driven by the host double: in the Windows builds the built module is loaded like a
// host loads it, natively its entry points are linked in.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "aax/aaxstring.h"
#include "tools/aaxhost/aaxhost.h"

#ifndef QO_AAX_MODULE
#define QO_AAX_MODULE ""
#endif

namespace aaxtest {

using aaxhost::Editor;
using aaxhost::Effect;
using aaxhost::Host;

// The chunk's values in parameter order at the plug-in's defaults.
inline std::vector<double> DefaultValues() { return {-19.0, 2.0, -24.0, 2.0, -29.0, 2.0, 10.0, 500.0, 20.0}; }

inline std::vector<uint8_t> LittleEndian(const std::vector<double>& values) {
  std::vector<uint8_t> bytes;
  for (double v : values) {
    uint64_t bits = 0;
    std::memcpy(&bits, &v, 8);
    for (int k = 0; k < 8; ++k) bytes.push_back(static_cast<uint8_t>(bits >> (8 * k)));
  }
  return bytes;
}

inline double ReadLE(const uint8_t* p) {
  uint64_t bits = 0;
  for (int k = 7; k >= 0; --k) bits = (bits << 8) | p[k];
  double v;
  std::memcpy(&v, &bits, 8);
  return v;
}

// A started host and one created effect.
class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ("", host.Start(QO_AAX_MODULE));
    ASSERT_EQ("", fx.Create());
  }
  void TearDown() override { fx.Destroy(); }

  // The value text the module gives for parameter id.
  std::string ValueText(const char* id) {
    AAX_CString s;
    EXPECT_EQ(0, fx.params->GetParameterValueString(id, &s, 32));
    return s.Text();
  }
  // The chunk as the host gets it.
  std::vector<uint8_t> Chunk() {
    uint32_t size = 0;
    EXPECT_EQ(0, fx.params->GetChunkSize('OmLx', &size));
    auto record = aaxhost::NewChunkRecord(static_cast<int32_t>(size));
    EXPECT_EQ(0, fx.params->GetChunk('OmLx', aaxhost::RecordOf(record)));
    return std::vector<uint8_t>(record.begin() + 56, record.end());
  }

  Host host;
  Effect fx{&host};
};

}  // namespace aaxtest
