// The VST3 binding in-process, driven the way a careless or hostile host drives it: repeated
// initialize calls.
#include <gtest/gtest.h>

#include "plugin/quibelombrelux.h"
#include "tools/vst3host/host.h"

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

struct Plugin {
  QuibelOmbrelux* fx = new QuibelOmbrelux(IFxCreateArgs());
  ~Plugin() { fx->release(); }
  QuibelOmbrelux* operator->() { return fx; }
};

// 9 plug-in parameters behind "Preset" and "Bypass"; one stereo bus each way.
void ExpectOneSetOfBusesAndParameters(QuibelOmbrelux* fx) {
  EXPECT_EQ(fx->getParameterCount(), 11);
  EXPECT_EQ(fx->getBusCount(kAudio, kInput), 1);
  EXPECT_EQ(fx->getBusCount(kAudio, kOutput), 1);
  ParameterInfo last{};
  ASSERT_EQ(fx->getParameterInfo(10, last), kResultOk);
  EXPECT_EQ(last.id, 8u);
}

TEST(BindingLifecycle, SecondInitializeIsRefusedWhateverContextCameFirst) {
  vst3host::HostApplication host("Cubase");
  vst3host::HostApplication other("REAPER");
  for (FUnknown* first : {static_cast<FUnknown*>(nullptr), static_cast<FUnknown*>(&host)}) {
    SCOPED_TRACE(first ? "host first" : "null first");
    Plugin p;
    ASSERT_EQ(p->initialize(first), kResultOk);
    ExpectOneSetOfBusesAndParameters(p.fx);
    const HostCode code = p->IdentifyHost();
    p->GetParam(0)->SetValue(-7.0);  // a preset load would put the default back
    for (FUnknown* again : {static_cast<FUnknown*>(&other), static_cast<FUnknown*>(nullptr),
                            static_cast<FUnknown*>(&host)}) {
      EXPECT_EQ(p->initialize(again), kResultFalse);
    }
    ExpectOneSetOfBusesAndParameters(p.fx);
    EXPECT_EQ(p->IdentifyHost(), code);
    EXPECT_EQ(p->GetParam(0)->Value(), -7.0);
    EXPECT_EQ(other.Refs(), 1u);
    // After terminate the object can be initialised again, once.
    EXPECT_EQ(p->terminate(), kResultOk);
    EXPECT_EQ(p->getParameterCount(), 0);
    EXPECT_EQ(p->initialize(&other), kResultOk);
    ExpectOneSetOfBusesAndParameters(p.fx);
    EXPECT_EQ(p->initialize(&other), kResultFalse);
    EXPECT_EQ(p->terminate(), kResultOk);
  }
  EXPECT_EQ(host.Refs(), 1u);
  EXPECT_EQ(other.Refs(), 1u);
}

}  // namespace
