// The VST2 module's DLL entry: keeps the module instance handle for the editor window and the skin
// resources.
#include <windows.h>

#include "fx/module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
  gModuleInstance = instance;
  return TRUE;
}
