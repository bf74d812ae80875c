// Loading a VST2 module file as a host does: LoadLibrary, then the entry by name.
#include <windows.h>

#include "tools/vst2host/host.h"

namespace vst2host {

std::string Module::Load(const std::string& path) {
  HMODULE h = LoadLibraryW(hostsignal::WindowsPath(path).c_str());
  if (!h) return "LoadLibrary failed for " + path + " (error " + std::to_string(GetLastError()) + ")";
  mHandle = h;
  if (!Entry("VSTPluginMain") && !Entry("main")) return "neither VSTPluginMain nor main is exported";
  return "";
}

void Module::Unload() {
  if (mHandle) FreeLibrary(static_cast<HMODULE>(mHandle));
  mHandle = nullptr;
}

EntryProc Module::Entry(const char* name) const {
  if (!mHandle) return nullptr;
  return reinterpret_cast<EntryProc>(
      reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(mHandle), name)));
}

}  // namespace vst2host
