// A small effect and a GUI on the library's bases for the AAX tests. The effect adds, by default, a
// double parameter "1" ("Top Threshold", -48..0 dB, default -24), an int parameter "2" ("Ratio
// Step", 0..10, default 3, 11 steps, discrete, not automatable) and a bool "MasterBypassID" ("Master
// Bypass", "bypass"/"on"); a test can give its own set instead. The GUI counts its hook calls; the
// hook named in failingHook ("adopt", "open", "update") throws std::bad_alloc, as an allocation that
// fails inside it would.
#pragma once

#include <functional>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "aax/aaxcparameter.h"
#include "aax/aaxeffectgui.h"
#include "aax/aaxeffectparameters.h"
#include "tests/aax/fakehost.h"

namespace aaxtest {

class TestEffect : public AAX_CEffectParameters {
public:
  explicit TestEffect(std::vector<std::string>* events = nullptr) : mEvents(events) {}
  ~TestEffect() override {
    if (mEvents) mEvents->push_back("effect destroyed");
  }

  AAX_Result PrepareEffect() override {
    ++prepareCalls;
    if (prepare) {
      prepare(*this);
    } else {
      AddDouble("1", "Top Threshold", -24.0, -48.0, 0.0, 1.0, "dB");
      AAX_CParameter<int>* ratio = AddInt("2", "Ratio Step", 3, 0, 10, false);
      ratio->SetNumberOfSteps(11);
      ratio->SetType(0);
      AddBool("MasterBypassID", "Master Bypass", false);
    }
    return prepareResult;
  }

  AAX_CParameter<double>* AddDouble(const char* id, const char* name, double value, double lowest, double highest,
                                    double shape, const char* unit) {
    auto* p = new AAX_CParameter<double>(
        id, AAX_CString(name), value, AAX_CIFxTaperDelegate<double>(lowest, highest, shape),
        AAX_CUnitDisplayDelegateDecorator<double>(AAX_CNumberDisplayDelegate<double>(), AAX_CString(unit)), true);
    return Register(p);
  }
  AAX_CParameter<int>* AddInt(const char* id, const char* name, int value, int lowest, int highest, bool automatable) {
    auto* p = new AAX_CParameter<int>(id, AAX_CString(name), value, AAX_CLinearTaperDelegate<int, 0>(lowest, highest),
                                      AAX_CNumberDisplayDelegate<int>(), automatable);
    return Register(p);
  }
  AAX_CParameter<bool>* AddBool(const char* id, const char* name, bool value) {
    auto* p = new AAX_CParameter<bool>(id, AAX_CString(name), value, AAX_CBinaryTaperDelegate<bool>(),
                                       AAX_CBinaryDisplayDelegate<bool>("bypass", "on"), true);
    p->SetNumberOfSteps(2);
    p->SetType(0);
    return Register(p);
  }

  std::function<void(TestEffect&)> prepare;
  AAX_Result prepareResult = kAAXOk;
  int prepareCalls = 0;

private:
  template <typename P>
  P* Register(P* p) {
    if (ParameterRegistry().AddParameter(p)) return p;
    p->Destroy();
    return nullptr;
  }

  std::vector<std::string>* mEvents;
};

class TestGUI : public AAX_CEffectGUI {
public:
  explicit TestGUI(std::vector<std::string>* events) : mEvents(events) {}
  ~TestGUI() override { mEvents->push_back("gui destroyed"); }

  void AdoptEditorGraphics() override {
    MayFail("adopt");
    ++adoptions;
    mEvents->push_back(GetParametersInterface() ? "adopt" : "adopt without effect");
  }
  void OpenEditorInHostView() override {
    MayFail("open");
    ++opens;
    mEvents->push_back(GetNativeView() ? "open in view" : "open without view");
  }
  void CloseEditorInHostView() override {
    ++closes;
    mEvents->push_back("close");
  }
  void ReleaseEditorGraphics() override {
    ++graphicsReleases;
    mEvents->push_back("release graphics");
  }
  AAX_Result OnParameterUpdate(const char* id) override {
    MayFail("update");
    mEvents->push_back(std::string("update ") + id);
    return kAAXOk;
  }

  int adoptions = 0, opens = 0, closes = 0, graphicsReleases = 0;
  std::string failingHook;

private:
  void MayFail(const char* hook) const {
    if (failingHook == hook) throw std::bad_alloc();
  }

  std::vector<std::string>* mEvents;
};

// The calls the fake host's automation received, as "slot args...".
inline std::vector<std::string> AutomationCalls(const fakehost::FakeHost& host) {
  std::vector<std::string> calls;
  for (const fakehost::Call& c : host.CallsTo("automation")) {
    if (c.slot < 3) continue;
    std::string text = std::to_string(c.slot);
    for (const std::string& a : c.args) text += " " + a;
    calls.push_back(text);
  }
  return calls;
}

}  // namespace aaxtest
