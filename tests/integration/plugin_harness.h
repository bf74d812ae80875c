// Shared pieces of the VST3 module tests: the loaded module per test suite, text conversions, test
// signals, host-side processing with separate input and output buffers, and a reference run of the
// dynamics engine configured by hand the way the plug-in is meant to configure it.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "dsp/ombrelux.h"
#include "tools/vst3host/host.h"

#ifndef QO_VST3_BUNDLE
#define QO_VST3_BUNDLE ""
#endif

namespace qoit {

using namespace Steinberg;
using namespace Steinberg::Vst;
using vst3host::Instance;
using vst3host::MemoryStream;
using vst3host::Module;
using vst3host::ParameterChanges;

constexpr ParamID kBypassId = 0x62706173;  // 'bpas'
constexpr ParamID kPresetId = 0x70727374;  // 'prst'
enum : ParamID { kTopThr = 0, kTopRatio, kAvgThr, kAvgRatio, kBtmThr, kBtmRatio, kAttack, kRelease, kSaturation };

constexpr unsigned char kClassId[16] = {0x0D, 0xE7, 0xAE, 0xF2, 0xDE, 0x00, 0x4E, 0x4F,
                                        0x51, 0x62, 0x65, 0x6C, 0x4F, 0x6D, 0x4C, 0x78};

using Planar = std::vector<std::vector<double>>;

// ---------------------------------------------------------------- texts

inline std::string Narrow(const char16* s, size_t max = 128) {
  std::string r;
  for (size_t i = 0; i < max && s[i]; ++i) r.push_back(static_cast<char>(s[i]));
  return r;
}

inline std::string Field(const char* s, size_t max) {
  size_t n = 0;
  while (n < max && s[n]) ++n;
  return std::string(s, n);
}

// A 128-unit UTF-16 buffer holding the ASCII text.
struct Text16 {
  explicit Text16(const std::string& s) {
    size_t i = 0;
    for (; i < s.size() && i < 127; ++i) units[i] = static_cast<char16>(static_cast<unsigned char>(s[i]));
    units[i] = 0;
  }
  String128 units{};
};

// ---------------------------------------------------------------- the module

class PluginTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    sModule = new Module;
    sLoadError = sModule->Load(vst3host::ModuleFileInBundle(QO_VST3_BUNDLE));
  }
  static void TearDownTestSuite() {
    delete sModule;
    sModule = nullptr;
  }
  void SetUp() override {
    ASSERT_EQ(sLoadError, "");
    ASSERT_NE(Factory(), nullptr);
  }
  static IPluginFactory* Factory() { return sModule ? sModule->Factory() : nullptr; }

  static inline Module* sModule = nullptr;
  static inline std::string sLoadError;
};

// ---------------------------------------------------------------- signals

// A stereo (or mono) programme with loud, medium and very quiet passages so that every band of the
// engine has something to do, plus a little deterministic noise.
inline Planar MakeSignal(int channels, int frames, double rate, uint32_t seed = 12345) {
  static const double kLevels[] = {0.9, 0.02, 0.35, 0.004, 0.6, 0.1, 1.4};
  const double pi = 3.14159265358979323846;
  Planar s(static_cast<size_t>(channels), std::vector<double>(static_cast<size_t>(frames)));
  uint32_t lcg = seed;
  for (int n = 0; n < frames; ++n) {
    const double level = kLevels[(n / 600) % 7];
    lcg = lcg * 1664525u + 1013904223u;
    const double noise = (static_cast<double>(lcg >> 8) / 8388608.0 - 1.0) * 0.05;
    const double t = n / rate;
    s[0][static_cast<size_t>(n)] = level * (std::sin(2 * pi * 313.0 * t) + noise);
    if (channels > 1) s[1][static_cast<size_t>(n)] = level * 0.7 * std::sin(2 * pi * 187.0 * t + 1.0) - noise;
  }
  return s;
}

inline Planar RoundedToFloat(Planar p) {
  for (auto& ch : p) {
    for (double& v : ch) v = static_cast<float>(v);
  }
  return p;
}

// Largest absolute difference; infinity when the shapes differ or a value is not finite.
inline double MaxDiff(const Planar& a, const Planar& b) {
  if (a.size() != b.size()) return INFINITY;
  double m = 0.0;
  for (size_t c = 0; c < a.size(); ++c) {
    if (a[c].size() != b[c].size()) return INFINITY;
    for (size_t i = 0; i < a[c].size(); ++i) {
      const double d = std::fabs(a[c][i] - b[c][i]);
      if (!(d <= m)) m = std::isnan(d) ? INFINITY : d;
    }
  }
  return m;
}

inline bool AllFinite(const Planar& p) {
  for (const auto& ch : p) {
    for (double v : ch) {
      if (!std::isfinite(v)) return false;
    }
  }
  return true;
}

// ---------------------------------------------------------------- host-side processing

template <class T>
struct HostBuffers {
  HostBuffers(int channels, int frames, T fill)
      : data(static_cast<size_t>(channels), std::vector<T>(static_cast<size_t>(frames), fill)) {
    for (auto& ch : data) ptrs.push_back(ch.data());
  }
  void Load(const Planar& src, size_t at) {
    for (size_t c = 0; c < data.size(); ++c) {
      for (size_t i = 0; i < data[c].size(); ++i) data[c][i] = static_cast<T>(src[c][at + i]);
    }
  }
  void** Ptrs() { return reinterpret_cast<void**>(ptrs.data()); }
  std::vector<std::vector<T>> data;
  std::vector<T*> ptrs;
};

inline tresult ProcessBuses(IAudioProcessor* p, int32 sampleSize, int32 frames, AudioBusBuffers* in,
                            int32 numIns, AudioBusBuffers* out, int32 numOuts,
                            IParameterChanges* changes = nullptr) {
  ProcessData data{};
  data.processMode = kRealtime;
  data.symbolicSampleSize = sampleSize;
  data.numSamples = frames;
  data.numInputs = numIns;
  data.numOutputs = numOuts;
  data.inputs = in;
  data.outputs = out;
  data.inputParameterChanges = changes;
  return p->process(data);
}

// Parameter changes to deliver with a given block (null: none).
using ChangesFor = std::function<IParameterChanges*(int block)>;

template <class T>
void RenderAs(Instance& inst, const Planar& in, Planar& out, int block, const ChangesFor& changes) {
  const int channels = static_cast<int>(in.size());
  const size_t frames = in[0].size();
  int index = 0;
  for (size_t at = 0; at < frames; at += static_cast<size_t>(block), ++index) {
    const int n = static_cast<int>(frames - at < static_cast<size_t>(block) ? frames - at : block);
    HostBuffers<T> ib(channels, n, T(0)), ob(channels, n, T(123));  // outputs start as garbage
    ib.Load(in, at);
    const tresult r = inst.Process(sizeof(T) == 4 ? kSample32 : kSample64, ib.Ptrs(), ob.Ptrs(), channels,
                                   n, changes ? changes(index) : nullptr);
    EXPECT_EQ(r, kResultOk);
    for (int c = 0; c < channels; ++c) {
      for (int i = 0; i < n; ++i) out[c][at + i] = ob.data[c][i];
    }
  }
}

// The plug-in's output for the whole signal, processed in host blocks of `block` frames with separate
// input and output buffers of the given sample size.
inline Planar Render(Instance& inst, const Planar& in, int block, int32 sampleSize,
                     const ChangesFor& changes = nullptr) {
  Planar out(in.size(), std::vector<double>(in[0].size()));
  if (sampleSize == kSample32) {
    RenderAs<float>(inst, in, out, block, changes);
  } else {
    RenderAs<double>(inst, in, out, block, changes);
  }
  return out;
}

// ---------------------------------------------------------------- reference engine

// Plain parameter values as a user sets them.
struct Settings {
  double topDb = -19, topRatio = 2, avgDb = -24, avgRatio = 2, btmDb = -29, btmRatio = 2;
  double attackMs = 10, releaseMs = 500, saturationPct = 20;
};

// The engine driven directly: thresholds exp(dB x 0.1151292546497), ratios as they are, drive =
// saturation / 10, one-pole coefficients exp(-1 / (trackerRate x seconds)) with the tracker running
// at the integer host rate times the oversampling factor. Two interleaved channels per block; the
// second one silent for a mono signal.
class Reference {
 public:
  Reference(double rate, int factor, const Settings& s = Settings()) {
    mEngine.ChangeSampleRate(static_cast<int>(rate));
    mEngine.SetOversampling(factor);
    mTrackerRate = static_cast<double>(static_cast<int>(rate)) * factor;
    Apply(s);
  }
  void Apply(const Settings& s) {
    const double neperPerDb = 0.1151292546497;
    mEngine.mTopComp.mThreshold = std::exp(s.topDb * neperPerDb);
    mEngine.mTopComp.mRatio = s.topRatio;
    mEngine.mMidComp.mThreshold = std::exp(s.avgDb * neperPerDb);
    mEngine.mMidComp.mRatio = s.avgRatio;
    mEngine.mBtmComp.mThreshold = std::exp(s.btmDb * neperPerDb);
    mEngine.mBtmComp.mRatio = s.btmRatio;
    mEngine.mSaturation = s.saturationPct / 10.0;
    const double attack = std::exp(-1.0 / (mTrackerRate * (s.attackMs / 1000.0)));
    const double release = std::exp(-1.0 / (mTrackerRate * (s.releaseMs / 1000.0)));
    for (TrackerChannel* c : {&mEngine.mTracker.mLeft, &mEngine.mTracker.mRight}) {
      c->mAttackCoef = attack;
      c->mReleaseCoef = release;
    }
  }
  // Frames [at, at + n) of io, in place.
  void Block(Planar& io, size_t at, int n) {
    std::vector<double> buf(2 * static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
      buf[2 * i] = io[0][at + i];
      buf[2 * i + 1] = io.size() > 1 ? io[1][at + i] : 0.0;
    }
    mEngine.ProcessInterleaved(buf.data(), n);
    for (int i = 0; i < n; ++i) {
      io[0][at + i] = buf[2 * i];
      if (io.size() > 1) io[1][at + i] = buf[2 * i + 1];
    }
  }
  // The whole signal in blocks of `block` frames; `before` may change settings ahead of a block.
  Planar Render(Planar io, int block, const std::function<void(int, Reference&)>& before = nullptr) {
    int index = 0;
    for (size_t at = 0; at < io[0].size(); at += static_cast<size_t>(block), ++index) {
      const size_t left = io[0].size() - at;
      if (before) before(index, *this);
      Block(io, at, static_cast<int>(left < static_cast<size_t>(block) ? left : block));
    }
    return io;
  }

 private:
  Ombrelux mEngine;
  double mTrackerRate = 0.0;
};

// The engine's expected output for a 32-bit host: float input widened, double output narrowed.
inline Planar ReferenceRender(const Planar& in, double rate, int factor, int block, int32 sampleSize,
                              const Settings& s = Settings()) {
  Reference ref(rate, factor, s);
  if (sampleSize == kSample32) return RoundedToFloat(ref.Render(RoundedToFloat(in), block));
  return ref.Render(in, block);
}

constexpr double kExact = 1e-12;  // reference comparisons: the same arithmetic in the same order

}  // namespace qoit
