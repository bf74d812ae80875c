// In the native test build the plug-in is linked in: "loading" takes its factory directly.
#include "tools/vst3host/host.h"

extern "C" Steinberg::IPluginFactory* PLUGIN_API GetPluginFactory();
bool InitModule();
bool DeinitModule();

namespace vst3host {

std::string ModuleFileInBundle(const std::string& bundle) { return bundle; }

std::string Module::Load(const std::string&) {
  if (!InitModule()) return "InitDll failed";
  mFactory = GetPluginFactory();
  return mFactory ? "" : "GetPluginFactory returned null";
}

void Module::Unload() {
  if (mFactory) {
    mFactory->release();
    mFactory = nullptr;
    DeinitModule();
  }
}

}  // namespace vst3host
