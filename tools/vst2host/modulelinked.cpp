// In the native test build the plug-in is linked in: "loading" takes its entry directly. A native
// program cannot have a second function named main, so only VSTPluginMain is offered.
#include <cstring>

#include "tools/vst2host/host.h"

extern "C" AEffect* VSTPluginMain(audioMasterCallback hostCallback);

namespace vst2host {

std::string Module::Load(const std::string&) { return ""; }

void Module::Unload() {}

EntryProc Module::Entry(const char* name) const {
  return std::strcmp(name, "VSTPluginMain") == 0 ? VSTPluginMain : nullptr;
}

}  // namespace vst2host
