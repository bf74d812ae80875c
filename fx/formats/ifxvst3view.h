// The VST3 editor view of the plug-in object: a plug-in view on the host's parent window. The
// plug-in object keeps a list of its open views; each view holds a reference on the plug-in object.
#pragma once

#include "vst3/support.h"

class IFxVST3;

class IFxVST3View : public Steinberg::CPluginView {
 public:
  explicit IFxVST3View(IFxVST3* owner) : mOwner(owner) {}
  Steinberg::IPlugView* PlugView() { return static_cast<Steinberg::IPlugView*>(this); }

  IFxVST3* mOwner;              // the plug-in object
  bool mResizePending = false;  // a resize request to the host frame is on its way
};
