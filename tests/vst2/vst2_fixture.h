// Test doubles for the VST2 binding in-process: a plug-in on IFxVST with recorders for its hooks,
// an editor graphics object that records what the binding asks of it, and the recording host of
// the VST2 test host as the plug-in's host callback.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fx/formats/ifxvst.h"
#include "fx/igraphics.h"
#include "tools/vst2host/host.h"

namespace vst2test {

struct Route {
  int index;
  double value;
  bool normalized;
};

class EditorGraphics : public IGraphics {
 public:
  EditorGraphics(std::vector<std::string>* log) : IGraphics(nullptr, 640, 480, 25), mLog(log) {}
  void RouteParamToControls(int index, double value, bool normalized) override {
    routes.push_back({index, value, normalized});
  }
  void CreateBackBuffers() override {}
  void* OpenEditorWindow(void* parent) override {
    mLog->push_back("open window");
    lastParent = parent;
    return opens ? this : nullptr;  // any non-null handle stands for the window
  }
  void CloseEditorWindow() override { mLog->push_back("close window"); }

  std::vector<Route> routes;
  bool opens = true;
  void* lastParent = nullptr;

 private:
  std::vector<std::string>* mLog;
};

struct Options {
  int presets = 1;
  const char* channelIO = "1-1 2-2";
  bool takesMidi = false;
};

// Three parameters: a continuous one (-10..10, step 0.1), a mode with value texts 0 "Off", 1 "On",
// 2 "Auto", and a gain in dB shown with its sign flipped.
class TestVst : public IFxVST {
 public:
  TestVst(vst2host::Host* host, const Options& o = Options())
      : IFxVST(Args(), 3, o.channelIO, o.presets, "TestVst", "TestProduct", "TestMaker", 0x010203,
               'TsVt', 'TsMk', 0, o.takesMidi, false, false) {
    GetParam(0)->InitContinuous("Amount", 1.5, -10.0, 10.0, 0.1, "u");
    GetParam(1)->InitContinuous("Mode", 0.0, 0.0, 2.0, 1.0);
    GetParam(1)->AddValueText(0, "Off");
    GetParam(1)->AddValueText(1, "On");
    GetParam(1)->AddValueText(2, "Auto");
    GetParam(2)->InitContinuous("Cut", 6.0, 0.0, 24.0, 0.1, "dB");
    GetParam(2)->SetFlipSign(true);
    if (o.presets > 0) StoreCurrentAsPresets("first", 1);
    (void)host;
  }
  ~TestVst() override {
    if (deleted) *deleted = true;
  }

  void ParamChanged(int index, ParamChangeSource source) override {
    IFxBase::ParamChanged(index, source);
    changes.emplace_back(index, source);
  }
  void ReceiveMidi(const IMidiEvent* e) override { midi.push_back(*e); }
  void ReceiveSysEx(const IExclusiveMessage* m) override { sysex.push_back(*m); }
  void EditorOpened() override { log.push_back("opened"); }
  void EditorClosing() override { log.push_back("closing"); }
  void HostKnown() override { log.push_back("host known"); }

  // The host callback the module entry would have stored.
  static IFxCreateArgs Args() {
    IFxCreateArgs a;
    a.mHostCallback = reinterpret_cast<void*>(vst2host::HostCallback);
    return a;
  }

  std::vector<std::pair<int, ParamChangeSource>> changes;
  std::vector<IMidiEvent> midi;
  std::vector<IExclusiveMessage> sysex;
  std::vector<std::string> log;
  bool* deleted = nullptr;
};

// A TestVst published as the module entry publishes a plug-in, with its record known to the
// recording host.
struct Bench {
  explicit Bench(const Options& o = Options()) : fx(new TestVst(&host, o)) {
    effect = fx->PublishRecord();
    instance.Adopt(effect);
  }
  ~Bench() {
    if (instance.effect) instance.Close();
  }
  VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f) {
    return instance.Dispatch(opcode, index, value, ptr, opt);
  }
  EditorGraphics* AttachEditor() {
    auto* g = new EditorGraphics(&fx->log);
    fx->ConnectGraphics(g);
    return g;
  }

  vst2host::Instance instance;
  vst2host::Host& host = instance.host;
  TestVst* fx;  // owned by the record until effClose
  AEffect* effect;
};

}  // namespace vst2test
