// Shared pieces of the VST2 module tests: the module loaded once per test program (natively the
// plug-in is linked in), a prepared instance, and the plug-in's parameter indexes.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tools/vst2host/host.h"

#ifndef QO_VST2_MODULE
#define QO_VST2_MODULE ""
#endif

namespace qo2 {

using vst2host::Instance;
using vst2host::Planar;

enum : int { kTopThr = 0, kTopRatio, kAvgThr, kAvgRatio, kBtmThr, kBtmRatio, kAttack, kRelease, kSaturation };

inline vst2host::Module& LoadedModule() {
  static vst2host::Module* module = [] {
    auto* m = new vst2host::Module();
    const std::string err = m->Load(QO_VST2_MODULE);
    if (!err.empty()) ADD_FAILURE() << err;
    return m;
  }();
  return *module;
}

inline vst2host::EntryProc Entry(const char* name = "VSTPluginMain") { return LoadedModule().Entry(name); }

// A created instance (not yet opened).
inline std::unique_ptr<Instance> NewInstance() {
  auto fx = std::make_unique<Instance>();
  if (!fx->Create(Entry())) {
    ADD_FAILURE() << "VSTPluginMain gave no record";
    return nullptr;
  }
  return fx;
}

// Opened, at the rate and block size given, resumed.
inline std::unique_ptr<Instance> PreparedInstance(double rate = 44100.0, int block = 512) {
  auto fx = NewInstance();
  if (fx) fx->Prepare(rate, block);
  return fx;
}

inline void PutLE64(std::vector<uint8_t>& out, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

inline void PutLE32(std::vector<uint8_t>& out, int32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
}

// The nine default values in parameter order, written out by hand from the plug-in's definition.
inline std::vector<double> DefaultValues() { return {-19.0, 2.0, -24.0, 2.0, -29.0, 2.0, 10.0, 500.0, 20.0}; }

inline std::vector<uint8_t> StateBytes(const std::vector<double>& values) {
  std::vector<uint8_t> out;
  for (double v : values) PutLE64(out, v);
  return out;
}

inline std::vector<uint8_t> Header(int32_t version = 0x00010000) {
  return {0x74, 0x66, 0x66, 0x70, static_cast<uint8_t>(version), static_cast<uint8_t>(version >> 8),
          static_cast<uint8_t>(version >> 16), static_cast<uint8_t>(version >> 24)};
}

inline std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace qo2
