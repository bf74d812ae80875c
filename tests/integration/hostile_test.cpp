// The module driven the way a careless or hostile host drives it: initialize twice.
#include "tests/integration/plugin_harness.h"

namespace qoit {
namespace {

using HostileTest = PluginTest;

TEST_F(HostileTest, InitializeAfterANullContextIsRefused) {
  void* obj = nullptr;
  ASSERT_EQ(Factory()->createInstance(reinterpret_cast<const char*>(kClassId), IComponent::iid.bytes, &obj),
            kResultOk);
  IComponent* component = static_cast<IComponent*>(obj);
  IEditController* controller = nullptr;
  ASSERT_EQ(component->queryInterface(IEditController::iid.bytes, reinterpret_cast<void**>(&controller)),
            kResultOk);
  vst3host::HostApplication host("QuibelTestHost");
  ASSERT_EQ(component->initialize(nullptr), kResultOk);
  EXPECT_EQ(component->initialize(&host), kResultFalse);
  EXPECT_EQ(controller->initialize(&host), kResultFalse);
  EXPECT_EQ(controller->getParameterCount(), 11);
  EXPECT_EQ(component->getBusCount(kAudio, kInput), 1);
  EXPECT_EQ(component->getBusCount(kAudio, kOutput), 1);
  EXPECT_EQ(host.Refs(), 1u);
  EXPECT_EQ(component->terminate(), kResultOk);
  EXPECT_EQ(component->initialize(&host), kResultOk);
  EXPECT_EQ(controller->getParameterCount(), 11);
  EXPECT_EQ(component->terminate(), kResultOk);
  EXPECT_EQ(host.Refs(), 1u);
  controller->release();
  EXPECT_EQ(component->release(), 0u);
}

}  // namespace
}  // namespace qoit
