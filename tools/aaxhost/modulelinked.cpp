// The module's entry points linked into the host (builds without a loadable module).
#include "fx/formats/ifxaaxentry.h"
#include "tools/aaxhost/aaxhost.h"

namespace aaxhost {

std::string Module::Load(const std::string&) {
  mExports.registerPlugin = ACFRegisterPlugin;
  mExports.registerComponent = ACFRegisterComponent;
  mExports.getClassFactory = ACFGetClassFactory;
  mExports.canUnloadNow = ACFCanUnloadNow;
  mExports.startup = ACFStartup;
  mExports.shutdown = ACFShutdown;
  mExports.getSdkVersion = ACFGetSDKVersion;
  mHandle = &mExports;
  return "";
}

bool Module::Unload() {
  if (!mHandle) return false;
  mHandle = nullptr;
  mExports = Exports();
  return true;
}

}  // namespace aaxhost
