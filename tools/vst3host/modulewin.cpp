// Loading a VST3 module file as a host does: LoadLibrary, InitDll when exported, GetPluginFactory.
#include <windows.h>

#include <string>

#include "tools/vst3host/host.h"

namespace vst3host {
using hostsignal::WindowsPath;

std::string ModuleFileInBundle(const std::string& bundle) {
#if defined(_WIN64)
  return bundle + "/Contents/x86_64-win/QuibelOmbrelux.vst3";
#else
  return bundle + "/Contents/x86-win/QuibelOmbrelux.vst3";
#endif
}

std::string Module::Load(const std::string& path) {
  HMODULE h = LoadLibraryW(WindowsPath(path).c_str());
  if (!h) return "LoadLibrary failed for " + path + " (error " + std::to_string(GetLastError()) + ")";
  mHandle = h;
  typedef IPluginFactory*(PLUGIN_API * GetFactoryProc)();
  typedef bool (*InitProc)();
  GetFactoryProc getFactory = reinterpret_cast<GetFactoryProc>(
      reinterpret_cast<void*>(GetProcAddress(h, "GetPluginFactory")));
  if (!getFactory) return "GetPluginFactory not exported: not a VST3 module";
  InitProc init = reinterpret_cast<InitProc>(reinterpret_cast<void*>(GetProcAddress(h, "InitDll")));
  if (init && !init()) return "InitDll failed";
  mFactory = getFactory();
  if (!mFactory) return "GetPluginFactory returned null";
  return "";
}

void Module::Unload() {
  if (mFactory) {
    mFactory->release();
    mFactory = nullptr;
  }
  if (mHandle) {
    HMODULE h = static_cast<HMODULE>(mHandle);
    typedef bool (*ExitProc)();
    ExitProc exitDll = reinterpret_cast<ExitProc>(reinterpret_cast<void*>(GetProcAddress(h, "ExitDll")));
    if (exitDll) exitDll();
    FreeLibrary(h);
    mHandle = nullptr;
  }
}

}  // namespace vst3host
