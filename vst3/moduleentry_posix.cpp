// Outside a Windows module there is no module instance handle.
#include "vst3/moduleentry.h"

namespace Steinberg {
void* ModuleInstanceOfEntry() { return nullptr; }
}  // namespace Steinberg
