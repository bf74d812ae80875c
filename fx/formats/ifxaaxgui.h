// The AAX editor object: the support library's GUI base linked to the framework. It takes the
// plug-in's graphics object from the instance's IFxAAX object, reports its size to the host and opens
// and closes the editor window inside the host's view. The graphics object belongs to the plug-in.
#pragma once

#include "aax/aaxeffectgui.h"

class IGraphics;

class AAX_CEffectGUI_IFX : public AAX_CEffectGUI {
 public:
  AAX_CEffectGUI_IFX() = default;
  ~AAX_CEffectGUI_IFX() override = default;

  // {height, width} of the graphics object; without one the point is not written. A null point
  // answers -20002.
  AAX_Result GetViewSize(AAX_Point* out) override;
  // The graphics object of the IFxAAX object behind the effect-parameters interface, when that
  // interface is one of this module's wrappers; otherwise none.
  void AdoptEditorGraphics() override;
  void OpenEditorInHostView() override;
  void CloseEditorInHostView() override;
  void ReleaseEditorGraphics() override { mGraphics = nullptr; }

  IGraphics* Graphics() const { return mGraphics; }

 private:
  IGraphics* mGraphics = nullptr;  // not owned: the plug-in's
};

// The create procedure of the editor object; null when it cannot be made.
IACFUnknown* NewEffectGUI();
