// The format binding the plug-in class derives from, chosen when the module is compiled.
#pragma once

#if defined(QO_FORMAT_VST3)
#include "fx/formats/ifxvst3.h"
class IFxBinding : public IFxVST3 {
 public:
  IFxBinding(const IFxCreateArgs& args, int paramCount, const char* channelIOText, int presetCount,
             const char* effectName, const char* productName, const char* makerName,
             int vendorVersion, int uniqueId, int makerId, int latency, bool takesMidi,
             bool hasStateChunks, bool isSynth)
      : IFxVST3(args, paramCount, channelIOText, presetCount, effectName, productName, makerName,
                vendorVersion, uniqueId, makerId, latency, takesMidi, hasStateChunks, isSynth, 0) {}
};
#else
#error "no plug-in format selected (QO_FORMAT_VST3)"
#endif
