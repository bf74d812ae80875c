#include <windows.h>

#include "vst3/moduleentry.h"

namespace {
HINSTANCE gEntryInstance = nullptr;
LONG gInitCount = 0;
}  // namespace

namespace Steinberg {
void* ModuleInstanceOfEntry() { return gEntryInstance; }
}  // namespace Steinberg

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) gEntryInstance = instance;
  return TRUE;
}

// Hosts call InitDll right after loading and ExitDll right before unloading; the hooks run on the
// first and the last call only.
extern "C" __declspec(dllexport) bool InitDll() {
  if (InterlockedIncrement(&gInitCount) != 1) return true;
  return InitModule();
}

extern "C" __declspec(dllexport) bool ExitDll() {
  const LONG n = InterlockedDecrement(&gInitCount);
  if (n < 0) {
    InterlockedIncrement(&gInitCount);
    return true;
  }
  if (n != 0) return true;
  return DeinitModule();
}
