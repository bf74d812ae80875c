// The module instance handle, written when the module starts and read by the plug-in constructor
// (editor window and skin resources).
#pragma once

extern void* gModuleInstance;
