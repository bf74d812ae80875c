// The module's factory and the plug-in object's interfaces, as a host sees them right after loading.
#include "tests/integration/plugin_harness.h"

namespace qoit {
namespace {

const IID16 kMadeUpIid = MakeIID(0x12345678, 0x9ABCDEF0, 0x0F1E2D3C, 0x4B5A6978);

using FactoryTest = PluginTest;

TEST_F(FactoryTest, FactoryInfoNamesTheVendorAndUnicodeFlag) {
  PFactoryInfo info;
  std::memset(&info, 0x5A, sizeof info);
  ASSERT_EQ(Factory()->getFactoryInfo(&info), kResultOk);
  EXPECT_EQ(Field(info.vendor, sizeof info.vendor), "Quibel");
  EXPECT_EQ(info.flags, 16);
  EXPECT_EQ(Factory()->countClasses(), 1);
}

TEST_F(FactoryTest, ClassInfoDescribesTheDynamicsEffect) {
  PClassInfo info;
  ASSERT_EQ(Factory()->getClassInfo(0, &info), kResultOk);
  EXPECT_EQ(std::memcmp(info.cid, kClassId, 16), 0);
  EXPECT_EQ(info.cardinality, 0x7FFFFFFF);
  EXPECT_EQ(Field(info.category, sizeof info.category), "Audio Module Class");
  EXPECT_EQ(Field(info.name, sizeof info.name), "QuibelOmbrelux");
}

TEST_F(FactoryTest, ClassInfo2CarriesVersionsAndSubCategories) {
  IPluginFactory2* f2 = QueryTo<IPluginFactory2>(Factory());
  ASSERT_NE(f2, nullptr);
  PClassInfo2 info;
  std::memset(&info, 0x5A, sizeof info);
  ASSERT_EQ(f2->getClassInfo2(0, &info), kResultOk);
  EXPECT_EQ(std::memcmp(info.cid, kClassId, 16), 0);
  EXPECT_EQ(info.cardinality, 0x7FFFFFFF);
  EXPECT_EQ(Field(info.category, sizeof info.category), "Audio Module Class");
  EXPECT_EQ(Field(info.name, sizeof info.name), "QuibelOmbrelux");
  EXPECT_EQ(info.classFlags, 2u);
  EXPECT_EQ(Field(info.subCategories, sizeof info.subCategories), "Fx|Dynamics");
  EXPECT_EQ(Field(info.vendor, sizeof info.vendor), "");
  EXPECT_EQ(Field(info.version, sizeof info.version), "1.0.1");
  EXPECT_EQ(Field(info.sdkVersion, sizeof info.sdkVersion), "VST 3.5.2");
  f2->release();
}

TEST_F(FactoryTest, UnicodeClassInfoHasTheWidenedTexts) {
  IPluginFactory3* f3 = QueryTo<IPluginFactory3>(Factory());
  ASSERT_NE(f3, nullptr);
  PClassInfoW info;
  std::memset(&info, 0x5A, sizeof info);
  ASSERT_EQ(f3->getClassInfoUnicode(0, &info), kResultOk);
  EXPECT_EQ(std::memcmp(info.cid, kClassId, 16), 0);
  EXPECT_EQ(info.cardinality, 0x7FFFFFFF);
  EXPECT_EQ(Field(info.category, sizeof info.category), "Audio Module Class");
  EXPECT_EQ(Narrow(info.name, 64), "QuibelOmbrelux");
  EXPECT_EQ(info.classFlags, 2u);
  EXPECT_EQ(Field(info.subCategories, sizeof info.subCategories), "Fx|Dynamics");
  EXPECT_EQ(Narrow(info.vendor, 64), "");
  EXPECT_EQ(Narrow(info.version, 64), "1.0.1");
  EXPECT_EQ(Narrow(info.sdkVersion, 64), "VST 3.5.2");
  f3->release();
}

TEST_F(FactoryTest, ClassInfoRefusesBadIndexesAndNullRecords) {
  IPluginFactory3* f3 = QueryTo<IPluginFactory3>(Factory());
  ASSERT_NE(f3, nullptr);
  PClassInfo info;
  PClassInfo2 info2;
  PClassInfoW infoW;
  for (int32 index : {1, -1}) {
    EXPECT_EQ(f3->getClassInfo(index, &info), kInvalidArgument) << index;
    EXPECT_EQ(f3->getClassInfo2(index, &info2), kInvalidArgument) << index;
    EXPECT_EQ(f3->getClassInfoUnicode(index, &infoW), kInvalidArgument) << index;
  }
  EXPECT_EQ(f3->getClassInfo(0, nullptr), kInvalidArgument);
  EXPECT_EQ(f3->getClassInfo2(0, nullptr), kInvalidArgument);
  EXPECT_EQ(f3->getClassInfoUnicode(0, nullptr), kInvalidArgument);
  f3->release();
}

TEST_F(FactoryTest, FactoryAnswersItsFourInterfacesOnly) {
  for (const IID16* iid : {&FUnknown::iid, &IPluginFactory::iid, &IPluginFactory2::iid, &IPluginFactory3::iid}) {
    void* obj = nullptr;
    EXPECT_EQ(Factory()->queryInterface(iid->bytes, &obj), kResultOk);
    ASSERT_NE(obj, nullptr);
    static_cast<FUnknown*>(obj)->release();
  }
  void* obj = &obj;
  EXPECT_EQ(Factory()->queryInterface(IComponent::iid.bytes, &obj), kNoInterface);
  EXPECT_EQ(obj, nullptr);
}

TEST_F(FactoryTest, UnknownClassIdCreatesNothing) {
  char cid[16];
  std::memcpy(cid, kClassId, 16);
  cid[15] ^= 0x01;
  void* obj = &cid;
  EXPECT_EQ(Factory()->createInstance(cid, IComponent::iid.bytes, &obj), kNoInterface);
  EXPECT_EQ(obj, nullptr);
}

TEST_F(FactoryTest, CreatesTheClassForAnyOfItsInterfaces) {
  const char* cid = reinterpret_cast<const char*>(kClassId);
  for (const IID16* iid : {&IComponent::iid, &IEditController::iid, &IAudioProcessor::iid}) {
    void* obj = nullptr;
    ASSERT_EQ(Factory()->createInstance(cid, iid->bytes, &obj), kResultOk);
    ASSERT_NE(obj, nullptr);
    // The host's pointer holds the only reference: one release ends the object.
    EXPECT_EQ(static_cast<FUnknown*>(obj)->release(), 0u);
  }
  void* obj = &obj;
  EXPECT_EQ(Factory()->createInstance(cid, kMadeUpIid.bytes, &obj), kNoInterface);
  EXPECT_EQ(obj, nullptr);
}

TEST_F(FactoryTest, SecondLoadOfTheModuleSharesTheFactory) {
  Module again;
  ASSERT_EQ(again.Load(vst3host::ModuleFileInBundle(QO_VST3_BUNDLE)), "");
  EXPECT_EQ(again.Factory(), Factory());
}

TEST_F(FactoryTest, TwoInstancesAreIndependent) {
  Instance a, b;
  ASSERT_EQ(a.Create(Factory()), "");
  ASSERT_EQ(b.Create(Factory()), "");
  EXPECT_NE(a.component, b.component);
  ASSERT_EQ(a.controller->setParamNormalized(kTopThr, 1.0), kResultOk);
  EXPECT_DOUBLE_EQ(a.controller->getParamNormalized(kTopThr), 1.0);
  EXPECT_DOUBLE_EQ(b.controller->getParamNormalized(kTopThr), 29.0 / 48.0);
}

// ---------------------------------------------------------------- the plug-in object's interfaces

using InterfaceTest = PluginTest;

uint32 RefCount(FUnknown* u) {
  u->addRef();
  return u->release();
}

TEST_F(InterfaceTest, EveryInterfaceSharesOneIdentity) {
  Instance inst;
  ASSERT_EQ(inst.Create(Factory()), "");
  FUnknown* identity = QueryTo<FUnknown>(inst.component);
  ASSERT_NE(identity, nullptr);
  const IID16* iids[] = {&IComponent::iid,      &IAudioProcessor::iid, &IEditController::iid,
                         &IEditController2::iid, &IPluginBase::iid,     &IConnectionPoint::iid,
                         &FUnknown::iid,         &IUnitInfo::iid,       &IMidiMapping::iid};
  for (const IID16* iid : iids) {
    void* obj = nullptr;
    ASSERT_EQ(inst.component->queryInterface(iid->bytes, &obj), kResultOk);
    ASSERT_NE(obj, nullptr);
    FUnknown* asked = static_cast<FUnknown*>(obj);
    FUnknown* back = QueryTo<FUnknown>(asked);
    EXPECT_EQ(back, identity);
    back->release();
    asked->release();
  }
  identity->release();
}

TEST_F(InterfaceTest, UnknownInterfacesAreRefused) {
  Instance inst;
  ASSERT_EQ(inst.Create(Factory()), "");
  for (const IID16* iid : {&IPlugView::iid, &kMadeUpIid, &IPluginFactory::iid, &IBStream::iid}) {
    void* obj = &obj;
    EXPECT_EQ(inst.component->queryInterface(iid->bytes, &obj), kNoInterface);
    EXPECT_EQ(obj, nullptr);
  }
}

TEST_F(InterfaceTest, ReferenceCountsMoveTogether) {
  Instance inst;
  ASSERT_EQ(inst.Create(Factory()), "");
  const uint32 base = RefCount(inst.component);
  EXPECT_EQ(inst.component->addRef(), base + 1);
  EXPECT_EQ(inst.processor->addRef(), base + 2);
  EXPECT_EQ(inst.controller->release(), base + 1);
  EXPECT_EQ(inst.component->release(), base);
  IUnitInfo* units = QueryTo<IUnitInfo>(inst.controller);
  IMidiMapping* midi = QueryTo<IMidiMapping>(inst.processor);
  ASSERT_NE(units, nullptr);
  ASSERT_NE(midi, nullptr);
  EXPECT_EQ(RefCount(inst.component), base + 2);
  EXPECT_EQ(units->release(), base + 1);
  EXPECT_EQ(midi->release(), base);
  EXPECT_EQ(RefCount(inst.processor), base);
}

TEST_F(InterfaceTest, HostObjectsAreReleasedAfterTerminate) {
  vst3host::HostApplication host("QuibelTestHost");
  vst3host::ComponentHandler handler;
  void* obj = nullptr;
  ASSERT_EQ(Factory()->createInstance(reinterpret_cast<const char*>(kClassId), IComponent::iid.bytes, &obj),
            kResultOk);
  IComponent* component = static_cast<IComponent*>(obj);
  IEditController* controller = QueryTo<IEditController>(component);
  ASSERT_NE(controller, nullptr);
  ASSERT_EQ(component->initialize(&host), kResultOk);
  EXPECT_EQ(controller->setComponentHandler(&handler), kResultOk);
  EXPECT_GT(host.Refs(), 1u);
  EXPECT_GT(handler.Refs(), 1u);
  EXPECT_EQ(component->terminate(), kResultOk);
  EXPECT_EQ(host.Refs(), 1u);
  EXPECT_EQ(handler.Refs(), 1u);
  controller->release();
  EXPECT_EQ(component->release(), 0u);
}

}  // namespace
}  // namespace qoit
