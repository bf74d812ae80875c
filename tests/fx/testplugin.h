// Test doubles for the plug-in base: a recorder that implements the host-facing hooks, the
// QuibelOmbrelux identity and parameter set on top of it, and a fake editor graphics object.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "fx/ifxbase.h"
#include "fx/igraphics.h"

namespace fxtest {

// Packs a 4-character code the way a multi-character literal does ('OmLx').
constexpr int32_t FourCC(const char (&s)[5]) {
  return (static_cast<int32_t>(s[0]) << 24) | (static_cast<int32_t>(s[1]) << 16) |
         (static_cast<int32_t>(s[2]) << 8) | static_cast<int32_t>(s[3]);
}

struct RouteCall {
  int paramIdx;
  double value;
  bool normalized;
};

// Editor graphics object that only records what the plug-in base asks of it.
class FakeGraphics : public IGraphics {
 public:
  explicit FakeGraphics(bool* deletedFlag = nullptr)
      : IGraphics(nullptr, 0, 0, 25), mDeletedFlag(deletedFlag) {}
  ~FakeGraphics() override {
    if (mDeletedFlag) *mDeletedFlag = true;
  }
  void RouteParamToControls(int paramIdx, double value, bool normalized) override {
    routes.push_back({paramIdx, value, normalized});
  }
  void CreateBackBuffers() override { ++backBufferCalls; }

  std::vector<RouteCall> routes;
  int backBufferCalls = 0;

 private:
  bool* mDeletedFlag;
};

struct ParamChangeCall {
  int paramIdx;
  ParamChangeSource source;
};

using ProcessFn = std::function<void(double** inputs, double** outputs, int frames)>;

// Plug-in base with recorders for the hooks a binding would supply. The layout and counts are
// chosen by the test; ProcessSamples runs `process` when one is set, else the base default.
class RecorderFx : public IFxBase {
 public:
  RecorderFx(int paramCount, const char* channelIO, int presetCount, int latency = 0,
             const char* effectName = "Recorder", const char* productName = "",
             const char* makerName = "Tester", int vendorVersion = 0x10000, int uniqueId = 0,
             int makerId = 0, int wrapperFormat = kFormatVst3)
      : IFxBase(paramCount, channelIO, presetCount, effectName, productName, makerName,
                vendorVersion, uniqueId, makerId, latency, false, false, false, wrapperFormat) {}

  // ---- hooks of the plug-in class
  void ParamChanged(int paramIdx, ParamChangeSource source) override {
    IFxBase::ParamChanged(paramIdx, source);
    paramChanges.push_back({paramIdx, source});
    events.push_back("changed " + std::to_string(paramIdx));
  }
  void ProcessSamples(double** inputs, double** outputs, int frames) override {
    ++processCalls;
    if (frames > maxProcessFrames) maxProcessFrames = frames;
    lastInputs.assign(inputs, inputs + InputPinCount());
    lastOutputs.assign(outputs, outputs + OutputPinCount());
    if (process) {
      process(inputs, outputs, frames);
    } else {
      IFxBase::ProcessSamples(inputs, outputs, frames);
    }
  }
  void PresetsAltered() override { ++presetsAlteredCalls; }

  // ---- host-facing hooks a binding would supply
  void BeginInformHostOfParamChange(int paramIdx) override {
    events.push_back("begin " + std::to_string(paramIdx));
  }
  void InformHostOfParamChange(int paramIdx, double normalized) override {
    informed.push_back({paramIdx, normalized});
    events.push_back("inform " + std::to_string(paramIdx));
  }
  void EndInformHostOfParamChange(int paramIdx) override {
    events.push_back("end " + std::to_string(paramIdx));
  }
  void NotifyHostPresetChanged() override { events.push_back("preset changed"); }
  int HostSamplePosition() override { return 0; }
  double HostTempo() override { return 120.0; }
  void HostTimeSignature(int* numerator, int* denominator) override {
    if (numerator) *numerator = 4;
    if (denominator) *denominator = 4;
  }
  void FillHostTimeInfo(ITransportInfo*) override {}
  void ResizeEditor(int width, int height) override {
    events.push_back("resize " + std::to_string(width) + "x" + std::to_string(height));
  }
  bool SendMidiToHost(const IMidiEvent* event) override {
    if (event) sentMidi.push_back(*event);
    return true;
  }

  // The bindings create the delay line; tests stand in for them.
  bool MakeDelayLine() { return CreateDelayLine(); }

  ProcessFn process;
  int processCalls = 0;
  int maxProcessFrames = 0;
  std::vector<double*> lastInputs;
  std::vector<double*> lastOutputs;
  std::vector<ParamChangeCall> paramChanges;
  std::vector<std::pair<int, double>> informed;  // (parameter, normalised value) told to the host
  std::vector<IMidiEvent> sentMidi;
  std::vector<std::string> events;
  int presetsAlteredCalls = 0;
};

enum QuibelParam {
  kTopThreshold = 0,
  kTopRatio,
  kAvgThreshold,
  kAvgRatio,
  kBtmThreshold,
  kBtmRatio,
  kAttack,
  kRelease,
  kSaturation,
  kQuibelParamCount
};

// The plug-in's identity and its nine parameters, defined in the same order as the real plug-in.
class TestPlugin : public RecorderFx {
 public:
  TestPlugin()
      : RecorderFx(kQuibelParamCount, "1-1 2-2", 1, 0, "QuibelOmbrelux", "", "Quibel", 0x10001,
                   FourCC("OmLx"), FourCC("Qbel"), kFormatVst3) {
    GetParam(kAvgThreshold)->InitContinuous("Avg Threshold", -24.0, -48.0, 0.0, 0.1, "dB");
    GetParam(kAvgRatio)->InitContinuous("Avg Ratio", 2.0, 1.0, 20.0, 0.1, "");
    GetParam(kTopThreshold)->InitContinuous("Top Threshold", -19.0, -48.0, 0.0, 0.1, "dB");
    GetParam(kTopRatio)->InitContinuous("Top Ratio", 2.0, 1.0, 20.0, 0.1, "");
    GetParam(kBtmThreshold)->InitContinuous("Btm Threshold", -29.0, -48.0, 0.0, 0.1, "dB");
    GetParam(kBtmRatio)->InitContinuous("Btm Ratio", 2.0, 1.0, 20.0, 0.1, "");
    GetParam(kAttack)->InitContinuous("Attack", 10.0, 1.0, 100.0, 1.0, "ms");
    GetParam(kAttack)->SetExponent(2.0);
    GetParam(kRelease)->InitContinuous("Release", 500.0, 1.0, 999.0, 1.0, "ms");
    GetParam(kRelease)->SetExponent(2.0);
    GetParam(kSaturation)->InitContinuous("Saturation", 20.0, 0.0, 100.0, 1.0, "%");
  }
};

// ---- processing hooks for the routing tests

// Multiplies every input channel into the output of the same index; outputs without input get 0.
inline ProcessFn GainProcessor(double gain) {
  return [gain](double** in, double** out, int frames) {
    for (int ch = 0; ch < 2; ++ch) {
      for (int k = 0; k < frames; ++k) out[ch][k] = in[ch] ? gain * in[ch][k] : 0.0;
    }
  };
}

// One-pole smoother per channel, y += coeff * (x - y); its state runs across calls, so output that
// depends on how a block was cut shows up as a difference.
struct OnePoleSmoother {
  explicit OnePoleSmoother(double coeff) : coeff(coeff) {}
  double coeff;
  double state[2] = {0.0, 0.0};

  ProcessFn Hook() {
    return [this](double** in, double** out, int frames) {
      for (int ch = 0; ch < 2; ++ch) {
        for (int k = 0; k < frames; ++k) {
          state[ch] += coeff * (in[ch][k] - state[ch]);
          out[ch][k] = state[ch];
        }
      }
    };
  }
};

}  // namespace fxtest
