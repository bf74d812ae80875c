// qhost --probe: the answers of a module to a hostile host's questions, printed one per line.
#pragma once

#include "tools/vst3host/host.h"

namespace vst3host {

// Prints the answers; 0 when the module could be driven at all.
int RunProbes(IPluginFactory* factory);

}  // namespace vst3host
