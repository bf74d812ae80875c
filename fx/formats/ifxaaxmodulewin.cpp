// The AAX module's DLL entry: publishes the module instance handle (editor window, skin resources).
#include <windows.h>

#include "fx/module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
  gModuleInstance = instance;
  return TRUE;
}
