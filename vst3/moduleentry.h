// The module entry of a VST3 module: keeps the module instance handle from the moment the module is
// attached and runs the module hooks behind the InitDll and ExitDll exports.
#pragma once

namespace Steinberg {
// The module instance handle stored when the process attached the module (null outside a module).
void* ModuleInstanceOfEntry();
}  // namespace Steinberg

// Hooks supplied by the binding: run on the first InitDll and the last ExitDll.
bool InitModule();
bool DeinitModule();
