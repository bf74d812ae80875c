// The GUI base with a subclass counting its hooks: initialisation against the host unknown, the view
// container opening and closing the editor, the parameter updates, teardown and the optional slots.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/aax/fakehost.h"
#include "tests/aax/testeffect.h"

using aaxtest::TestEffect;
using aaxtest::TestGUI;
using fakehost::FakeHost;

namespace {

// The fake host with an effect initialised on it; its host unknown hands the effect to a GUI.
struct Instance {
  Instance() {
    effect = new TestEffect(&events);
    effect->AddRef();
    effect->Initialize(host.unknown->Unknown());
    host.unknown->forwards = {{AcfIds::kEffectParameters, effect->InnerUnknown()}};
    gui = new TestGUI(&events);
    face = gui;
    face->AddRef();
    host.log.clear();
  }
  ~Instance() {
    if (face) face->Release();
    effect->Release();
    host.viewContainer->mRefs = 0;  // view-container proxies never release the host's container
    EXPECT_EQ(host.Leaks(), "");
  }
  int QueriesFor(const AcfID& iid) const {
    int n = 0;
    for (const fakehost::Call& c : host.log)
      if (c.slot == 0 && c.args.size() == 1 && c.args[0] == fakehost::RenderId(iid)) ++n;
    return n;
  }

  FakeHost host;
  std::vector<std::string> events;
  TestEffect* effect;
  TestGUI* gui;
  AAX_IACFEffectGUI* face;
};

}  // namespace

TEST(AAX_CEffectGUI, InitializeWithoutHostUnknownQueriesAndAdoptsNothing) {
  Instance in;
  EXPECT_EQ(in.face->Initialize(nullptr), -20011);
  EXPECT_TRUE(in.host.log.empty());
  EXPECT_EQ(in.gui->adoptions, 0);
  EXPECT_EQ(in.gui->GetParametersInterface(), nullptr);
}

TEST(AAX_CEffectGUI, InitializeFindsTheEffectOnceAndAdoptsOnce) {
  Instance in;
  EXPECT_EQ(in.face->Initialize(in.host.unknown->Unknown()), 0);
  EXPECT_EQ(in.QueriesFor(AcfIds::kEffectParameters), 1);
  EXPECT_EQ(in.gui->adoptions, 1);
  EXPECT_EQ(in.events, (std::vector<std::string>{"adopt"}));
  EXPECT_EQ(in.gui->GetParametersInterface(), static_cast<AAX_IACFEffectParameters*>(in.effect));
  EXPECT_EQ(in.effect->ReferenceCount(), 2);
  EXPECT_EQ(in.host.controller->Refs(), 4);  // the effect's and the GUI's controller proxies
  // Once more: the first connection is let go before the second is made.
  EXPECT_EQ(in.face->Initialize(in.host.unknown->Unknown()), 0);
  EXPECT_EQ(in.effect->ReferenceCount(), 2);
  EXPECT_EQ(in.host.controller->Refs(), 4);
  EXPECT_EQ(in.gui->adoptions, 2);
  EXPECT_EQ(in.face->Uninitialize(), 0);
  EXPECT_EQ(in.effect->ReferenceCount(), 1);
  EXPECT_EQ(in.host.controller->Refs(), 2);
}

TEST(AAX_CEffectGUI, HostWithoutTheEffectLeavesItNull) {
  Instance in;
  in.host.unknown->forwards.clear();
  EXPECT_EQ(in.face->Initialize(in.host.unknown->Unknown()), 0);
  EXPECT_EQ(in.gui->GetParametersInterface(), nullptr);
  EXPECT_EQ(in.events, (std::vector<std::string>{"adopt without effect"}));
  in.events.clear();
  EXPECT_EQ(in.face->SetViewContainer(in.host.viewUnknown->Unknown()), 0);
  EXPECT_EQ(in.events, (std::vector<std::string>{"open without view"}));  // and no updates
}

TEST(AAX_CEffectGUI, ViewContainerOpensThenUpdatesAndNullClosesOnce) {
  Instance in;
  in.host.viewContainer->nativeView = &in;
  in.face->Initialize(in.host.unknown->Unknown());
  in.events.clear();
  EXPECT_EQ(in.face->SetViewContainer(in.host.viewUnknown->Unknown()), 0);
  EXPECT_EQ(in.events, (std::vector<std::string>{"open in view", "update 1", "update 2", "update MasterBypassID"}));
  EXPECT_EQ(in.gui->GetNativeView(), &in);
  ASSERT_NE(in.gui->GetViewContainerProxy(), nullptr);
  EXPECT_EQ(in.gui->GetViewContainerProxy()->Primary(), in.host.viewContainer->As<AAX_HostViewContainer>());
  in.events.clear();
  EXPECT_EQ(in.face->SetViewContainer(nullptr), 0);
  EXPECT_EQ(in.events, (std::vector<std::string>{"close"}));
  EXPECT_EQ(in.gui->GetViewContainerProxy(), nullptr);
  EXPECT_EQ(in.gui->GetNativeView(), nullptr);
  // Closing a GUI that has no editor open still tells the derived class.
  EXPECT_EQ(in.face->SetViewContainer(nullptr), 0);
  EXPECT_EQ(in.gui->closes, 2);
}

// A hook whose work throws (an allocation that fails) makes Initialize or SetViewContainer answer
// 0x8000FFFF; no exception leaves the object.
TEST(AAX_CEffectGUI, SlotsWhoseWorkThrowsAnswerUnexpected) {
  const struct {
    const char* hook;
    bool opening;
  } rows[] = {{"adopt", false}, {"open", true}, {"update", true}};
  for (const auto& r : rows) {
    Instance in;
    in.host.viewContainer->nativeView = &in;
    in.gui->failingHook = r.hook;
    const AAX_Result initialized = in.face->Initialize(in.host.unknown->Unknown());
    if (!r.opening) {
      EXPECT_EQ(initialized, kACFUnexpected) << r.hook;
      continue;
    }
    EXPECT_EQ(initialized, 0) << r.hook;
    EXPECT_EQ(in.face->SetViewContainer(in.host.viewUnknown->Unknown()), kACFUnexpected) << r.hook;
    EXPECT_EQ(in.face->SetViewContainer(nullptr), 0) << r.hook;
  }
}

TEST(AAX_CEffectGUI, UninitializeAndLastReleaseCloseAnOpenEditor) {
  {
    Instance in;
    in.face->Initialize(in.host.unknown->Unknown());
    in.face->SetViewContainer(in.host.viewUnknown->Unknown());
    in.events.clear();
    EXPECT_EQ(in.face->Uninitialize(), 0);
    EXPECT_EQ(in.events, (std::vector<std::string>{"close", "release graphics"}));
    EXPECT_EQ(in.gui->GetViewContainerProxy(), nullptr);
    EXPECT_EQ(in.gui->GetParametersInterface(), nullptr);
    EXPECT_EQ(in.effect->ReferenceCount(), 1);
    in.events.clear();
    in.face->Release();  // nothing open any more: no second close
    in.face = nullptr;
    EXPECT_EQ(in.events, (std::vector<std::string>{"release graphics", "gui destroyed"}));
  }
  {
    Instance in;
    in.face->Initialize(in.host.unknown->Unknown());
    in.face->SetViewContainer(in.host.viewUnknown->Unknown());
    in.events.clear();
    in.face->Release();
    in.face = nullptr;
    EXPECT_EQ(in.events, (std::vector<std::string>{"close", "release graphics", "gui destroyed"}));
    EXPECT_EQ(in.effect->ReferenceCount(), 1);
  }
}

TEST(AAX_CEffectGUI, OptionalSlotsAndQueriesAnswerTheLibraryDefaults) {
  Instance in;
  AAX_IACFEffectGUI* f = in.face;
  AAX_Point size{12.0f, 34.0f};
  const uint32_t word = 1;
  EXPECT_EQ(f->NotificationReceived('ASPv', &word, 4), 0);
  EXPECT_EQ(f->GetViewSize(&size), 0);
  EXPECT_EQ(size.vertical, 12.0f);  // the base writes nothing
  EXPECT_EQ(f->HostOp8(0), 0);
  EXPECT_EQ(f->HostOp9(0), 0);
  EXPECT_EQ(f->HostOp11(0), -20004);
  EXPECT_EQ(f->HostOp12(0), 0);
  EXPECT_EQ(in.gui->AAX_CEffectGUI::OnParameterUpdate("1"), 0);
  void* out = nullptr;
  EXPECT_EQ(f->QueryInterface(AcfIds::kEffectGUI, &out), 0);
  EXPECT_EQ(out, static_cast<void*>(f));
  EXPECT_EQ(in.gui->ReferenceCount(), 2);
  f->Release();
  EXPECT_EQ(f->QueryInterface(AcfIds::kEffectParameters, &out), kACFNoInterface);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(f->QueryInterface(AcfIds::kUnknown, &out), 0);
  static_cast<IACFUnknown*>(out)->Release();
}

TEST(AAX_CEffectGUI, HostSeesEverySlotAtItsNumber) {
  Instance in;
  void* face = in.face;
  void* const* vt = *reinterpret_cast<void* const* const*>(face);
  EXPECT_EQ(reinterpret_cast<AAX_Result (*)(void*, IACFUnknown*)>(vt[3])(face, in.host.unknown->Unknown()), 0);
  EXPECT_EQ(in.gui->adoptions, 1);
  EXPECT_EQ(reinterpret_cast<AAX_Result (*)(void*, IACFUnknown*)>(vt[6])(face, nullptr), 0);  // SetViewContainer
  EXPECT_EQ(in.gui->closes, 1);
  EXPECT_EQ(reinterpret_cast<AAX_Result (*)(void*, const char*)>(vt[10])(face, "7"), 0);  // OnParameterUpdate
  EXPECT_EQ(in.events.back(), "update 7");
  EXPECT_EQ(reinterpret_cast<AAX_Result (*)(void*, int64_t)>(vt[11])(face, 0), -20004);
  EXPECT_EQ(reinterpret_cast<AAX_Result (*)(void*)>(vt[4])(face), 0);  // Uninitialize
  EXPECT_EQ(in.gui->GetParametersInterface(), nullptr);
}
