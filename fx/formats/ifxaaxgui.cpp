#include "fx/formats/ifxaaxgui.h"

#include <new>

#include "fx/formats/ifxaax.h"
#include "fx/igraphics.h"

AAX_Result AAX_CEffectGUI_IFX::GetViewSize(AAX_Point* out) {
  if (!out) return kAAXNullArgument;
  if (mGraphics) {
    out->horizontal = static_cast<float>(mGraphics->Width());
    out->vertical = static_cast<float>(mGraphics->Height());
  }
  return kAAXOk;
}

void AAX_CEffectGUI_IFX::AdoptEditorGraphics() {
  IFxAAX* fx = IFxAAX::FromParametersInterface(GetParametersInterface());
  mGraphics = fx ? fx->AttachedGraphics() : nullptr;
}

void AAX_CEffectGUI_IFX::OpenEditorInHostView() {
  void* native = GetNativeView();
  if (!native || !mGraphics) return;
  mGraphics->mHostViewContainer = GetViewContainerProxy();
  mGraphics->OpenEditorWindow(native);
}

void AAX_CEffectGUI_IFX::CloseEditorInHostView() {
  if (mGraphics) mGraphics->CloseEditorWindow();
}

IACFUnknown* NewEffectGUI() {
  try {
    AAX_CEffectGUI_IFX* gui = new (std::nothrow) AAX_CEffectGUI_IFX();
    return gui ? static_cast<AAX_IACFEffectGUI*>(gui) : nullptr;
  } catch (...) {
    return nullptr;
  }
}
