// The entry side of the VST3 module: the exported GetPluginFactory with its one class, the create
// function the factory calls, and the module hooks behind InitDll and ExitDll.
#include <cstring>
#include <mutex>
#include <new>

#include "fx/ifxsetting.h"
#include "fx/module.h"
#include "fx/synclock.h"
#include "fx/formats/ifxvst3.h"
#include "fx/pluginentry.h"
#include "vst3/moduleentry.h"

using namespace Steinberg;

#if defined(_WIN32)
#define QO_EXPORT extern "C" __declspec(dllexport)
#else
#define QO_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {
// The class id's first two words, stored as plain integers; words 3 and 4 are the plug-in's maker
// and unique ids. The class information gets them in the byte order hosts compare (word 1
// little-endian, word 2 as two little-endian halves, words 3 and 4 big-endian).
constexpr uint32 kClassIdWords[2] = {0xF2AEE70D, 0x00DE4F4E};

class ModuleFactory;
ModuleFactory* gFactory = nullptr;

std::mutex& FactoryMutex() {
  static std::mutex m;
  return m;
}

// The module's one factory; it forgets itself when the host releases its last reference.
class ModuleFactory : public CPluginFactory {
 public:
  using CPluginFactory::CPluginFactory;
  ~ModuleFactory() override {
    std::lock_guard<std::mutex> guard(FactoryMutex());
    if (gFactory == this) gFactory = nullptr;
  }
};

FUnknown* CreateVST3Instance(void*) {
  static SyncLock creationLock;  // serialises plug-in construction
  SyncLockScope lock(&creationLock);
  // A host may never call InitDll: the handle the module entry kept is used then.
  if (!gModuleInstance) gModuleInstance = ModuleInstanceOfEntry();
  // The module is compiled with the VST3 binding, so the object is an IFxVST3.
  IFxVST3* fx = static_cast<IFxVST3*>(NewPluginObject(IFxCreateArgs()));
  if (!fx) return nullptr;
  return static_cast<Vst::IAudioProcessor*>(fx);
}

const PFactoryInfo& FactoryInfo() {
  static const PFactoryInfo info = [] {
    PFactoryInfo i;
    std::memset(&i, 0, sizeof i);
    CopyTextField(i.vendor, sizeof i.vendor, PluginIdentity().makerName);
    CopyTextField(i.url, sizeof i.url, "https://quibel.example");
    CopyTextField(i.email, sizeof i.email, "mailto:support@quibel.example");
    i.flags = PFactoryInfo::kUnicode;
    return i;
  }();
  return info;
}

const PClassInfo2& ClassInfo() {
  static const PClassInfo2 info = [] {
    PClassInfo2 c;
    std::memset(&c, 0, sizeof c);
    const IID16 cid = MakeIID(kClassIdWords[0], kClassIdWords[1],
                               static_cast<uint32>(PluginIdentity().makerId),
                               static_cast<uint32>(PluginIdentity().uniqueId));
    std::memcpy(c.cid, cid.bytes, 16);
    c.cardinality = PClassInfo::kManyInstances;
    CopyTextField(c.category, sizeof c.category, "Audio Module Class");
    CopyTextField(c.name, sizeof c.name, PluginIdentity().effectName);
    c.classFlags = 2;  // simple mode supported
    CopyTextField(c.subCategories, sizeof c.subCategories, "Fx|Dynamics");
    CopyTextField(c.version, sizeof c.version, PluginIdentity().versionText);
    CopyTextField(c.sdkVersion, sizeof c.sdkVersion, "VST 3.5.2");
    return c;
  }();
  return info;
}
}  // namespace

bool InitModule() {
  gModuleInstance = ModuleInstanceOfEntry();
  return true;
}

bool DeinitModule() { return true; }

QO_EXPORT IPluginFactory* PLUGIN_API GetPluginFactory() {
  std::lock_guard<std::mutex> guard(FactoryMutex());
  // A count that comes back as 1 was 0: another thread's last release is deleting that factory
  // (its destructor waits for this lock to forget it), so a new one is made instead.
  if (gFactory && gFactory->addRef() > 1) return gFactory;
  ModuleFactory* factory = new (std::nothrow) ModuleFactory(FactoryInfo());
  if (!factory) return nullptr;
  factory->registerClass(&ClassInfo(), CreateVST3Instance, nullptr);
  gFactory = factory;
  return factory;
}
