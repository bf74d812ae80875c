// The editor object as the host creates and connects it.
#include "tests/aax/testeffect.h"
#include "tests/aaxmodule/harness.h"

namespace aaxtest {
namespace {

using EditorTest = ModuleTest;

TEST_F(EditorTest, ReportsTheEditorSizeOnceConnected) {
  IACFUnknown* object = host.reg.createGUI();
  ASSERT_NE(nullptr, object);
  void* face = nullptr;
  ASSERT_EQ(0, object->QueryInterface(AcfIds::kEffectGUI, &face));
  auto* gui = static_cast<AAX_IACFEffectGUI*>(face);
  AAX_Point size{1.0f, 2.0f};
  EXPECT_EQ(0, gui->GetViewSize(&size));  // not connected: the host's point stays
  EXPECT_EQ(1.0f, size.vertical);
  EXPECT_EQ(2.0f, size.horizontal);
  EXPECT_EQ(-20002, gui->GetViewSize(nullptr));
  gui->Release();

  Editor editor(&host);
  ASSERT_EQ("", editor.Create(&fx));
  EXPECT_EQ(0, editor.gui->GetViewSize(&size));
  EXPECT_EQ(480.0f, size.vertical);
  EXPECT_EQ(640.0f, size.horizontal);
}

TEST_F(EditorTest, ForeignEffectObjectsGetNoEditor) {
  // An effect-parameters object that is not this module's plug-in.
  std::vector<std::string> events;
  TestEffect* foreign = new TestEffect(&events);
  void* face = nullptr;
  ASSERT_EQ(0, foreign->QueryInterface(AcfIds::kEffectParameters, &face));
  Editor editor(&host);
  Effect stand(&host);
  stand.params = static_cast<AAX_IACFEffectParameters*>(face);
  ASSERT_EQ("", editor.Create(&stand));
  AAX_Point size{1.0f, 2.0f};
  EXPECT_EQ(0, editor.gui->GetViewSize(&size));
  EXPECT_EQ(1.0f, size.vertical);
  host.fake.viewContainer->nativeView = &events;  // any non-null parent: nothing may be opened
  EXPECT_EQ(0, editor.gui->SetViewContainer(host.fake.viewUnknown->Unknown()));
  EXPECT_EQ(0, editor.gui->SetViewContainer(nullptr));
  editor.Destroy();
  stand.params = nullptr;
  static_cast<AAX_IACFEffectParameters*>(face)->Release();
}

TEST_F(EditorTest, TheEffectLivesWhileItsEditorHoldsIt) {
  auto unload = [&] { return host.module.Entry().canUnloadNow(host.fake.unknown->Unknown()); };
  Editor editor(&host);
  ASSERT_EQ("", editor.Create(&fx));
  EXPECT_EQ(2, unload());
  fx.Destroy();  // the host lets go of the effect first
  EXPECT_EQ(2, unload());
  AAX_Point size{};
  EXPECT_EQ(0, editor.gui->GetViewSize(&size));
  EXPECT_EQ(640.0f, size.horizontal);
  editor.Destroy();
  EXPECT_EQ(0, unload());
}

}  // namespace
}  // namespace aaxtest
