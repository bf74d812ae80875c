// The module as a host loads it: LoadLibrary and the seven exports by name.
#include <windows.h>

#include "tools/aaxhost/aaxhost.h"

namespace aaxhost {

namespace {
template <typename F>
bool Find(HMODULE module, const char* name, F& out) {
  out = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return out != nullptr;
}
}  // namespace

std::string Module::Load(const std::string& path) {
  Unload();
  HMODULE module = LoadLibraryA(path.c_str());
  if (!module) return "cannot load " + path;
  mHandle = module;
  Exports& e = mExports;
  const char* missing = nullptr;
  if (!Find(module, "ACFRegisterPlugin", e.registerPlugin)) missing = "ACFRegisterPlugin";
  if (!Find(module, "ACFRegisterComponent", e.registerComponent)) missing = "ACFRegisterComponent";
  if (!Find(module, "ACFGetClassFactory", e.getClassFactory)) missing = "ACFGetClassFactory";
  if (!Find(module, "ACFCanUnloadNow", e.canUnloadNow)) missing = "ACFCanUnloadNow";
  if (!Find(module, "ACFStartup", e.startup)) missing = "ACFStartup";
  if (!Find(module, "ACFShutdown", e.shutdown)) missing = "ACFShutdown";
  if (!Find(module, "ACFGetSDKVersion", e.getSdkVersion)) missing = "ACFGetSDKVersion";
  if (missing) {
    Unload();
    return std::string("missing export ") + missing;
  }
  return "";
}

bool Module::Unload() {
  if (!mHandle) return false;
  const bool freed = FreeLibrary(static_cast<HMODULE>(mHandle)) != 0;
  mHandle = nullptr;
  mExports = Exports();
  return freed;
}

}  // namespace aaxhost
