// What a module needs from the plug-in it carries, without knowing the plug-in's class: its identity
// and one creation function. The plug-in (plugin/) defines both; the format entry points call them,
// so the bindings never include the plug-in's headers.
#pragma once

#include <cstdint>

class IFxBase;
struct IFxCreateArgs;

struct IFxIdentity {
  const char* effectName;    // shown by hosts as the plug-in's name
  const char* productName;
  const char* makerName;
  const char* versionText;   // the vendor version as "major.minor.patch"
  int32_t vendorVersion;     // 0xMMmmpp
  int32_t uniqueId;          // 4-character code
  int32_t makerId;           // 4-character code
  int32_t paramCount;
  int32_t presetCount;
  const char* channelIO;     // legal input-output channel pairs, e.g. "1-1 2-2"
  int32_t latency;
  bool takesMidi;
  bool hasStateChunks;
  bool isSynth;
};

// The plug-in's identity; the same record for every format.
const IFxIdentity& PluginIdentity();

// Builds one plug-in object on the binding the module was compiled with; null when it could not be
// built whole (nothing is left behind then). Called under the module's creation lock.
IFxBase* NewPluginObject(const IFxCreateArgs& args);
