// The format binding the plug-in class derives from, chosen when the module is compiled, and the
// one place that spreads the plug-in's identity record over the binding's constructor.
#pragma once

#include "fx/pluginentry.h"

#if defined(QO_FORMAT_VST3)
#include "fx/formats/ifxvst3.h"
using IFxFormatBase = IFxVST3;
#elif defined(QO_FORMAT_VST2)
#include "fx/formats/ifxvst.h"
using IFxFormatBase = IFxVST;
#elif defined(QO_FORMAT_AAX)
#include "fx/formats/ifxaax.h"
using IFxFormatBase = IFxAAX;
#endif

class IFxBinding : public IFxFormatBase {
 public:
  IFxBinding(const IFxCreateArgs& args, const IFxIdentity& id)
#if defined(QO_FORMAT_VST3)
      : IFxVST3(args, id.paramCount, id.channelIO, id.presetCount, id.effectName, id.productName,
                id.makerName, id.vendorVersion, id.uniqueId, id.makerId, id.latency, id.takesMidi,
                id.hasStateChunks, id.isSynth, 0) {}
#else
      : IFxFormatBase(args, id.paramCount, id.channelIO, id.presetCount, id.effectName,
                      id.productName, id.makerName, id.vendorVersion, id.uniqueId, id.makerId,
                      id.latency, id.takesMidi, id.hasStateChunks, id.isSynth) {}
#endif

  // Ends an object that was never handed out (VST3 objects are reference counted; the others are
  // owned by their entry point).
  static void Discard(IFxBinding* fx) {
#if defined(QO_FORMAT_VST3)
    fx->release();
#else
    delete fx;
#endif
  }
};
