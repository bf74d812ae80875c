// The VST3 editor view of the plug-in object: a plug-in view that opens the plug-in's editor window
// on the parent window the host hands to attached, closes it in removed, reports the editor size and
// carries the host's resize protocol. The plug-in object keeps a list of its open views; each view
// holds a reference on the plug-in object for its whole life. All calls come on the host's
// user-interface thread and take no lock.
#pragma once

#include "vst3/support.h"

class IFxVST3;

class IFxVST3View : public Steinberg::CPluginView {
 public:
  typedef Steinberg::tresult tresult;

  // Takes a reference on the plug-in object (the caller lists the view in the plug-in's open views).
  explicit IFxVST3View(IFxVST3* owner);
  // Leaves the plug-in's list of open views and gives the reference back.
  ~IFxVST3View() override;

  Steinberg::IPlugView* PlugView() { return static_cast<Steinberg::IPlugView*>(this); }

  // True only for "HWND" and only when the plug-in has a graphics object.
  tresult PLUGIN_API isPlatformTypeSupported(Steinberg::FIDString type) override;
  // Opens the editor window on parent (an HWND); kResultFalse when no window could be opened.
  tresult PLUGIN_API attached(void* parent, Steinberg::FIDString type) override;
  // Closes the editor window when it is still the one this view opened.
  tresult PLUGIN_API removed() override;
  tresult PLUGIN_API getSize(Steinberg::ViewRect* size) override;
  // The host's answer to a resize request (or its own resize): tells the plug-in once per request.
  tresult PLUGIN_API onSize(Steinberg::ViewRect* newSize) override;
  tresult PLUGIN_API setFrame(Steinberg::IPlugFrame* frame) override;

  Steinberg::FClassID isA() const override { return "IFxVST3View"; }
  bool isTypeOf(Steinberg::FClassID name, bool askBaseClass = true) const override;

  IFxVST3* mOwner;              // the plug-in object (one reference held)
  bool mResizePending = false;  // a resize request to the host frame is on its way
  void* mOpenedWindow = nullptr;  // the editor window this view's attached opened
};
