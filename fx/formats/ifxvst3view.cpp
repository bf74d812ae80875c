#include "fx/formats/ifxvst3view.h"

#include <cstring>

#include "fx/formats/ifxvst3.h"
#include "fx/igraphics.h"

using namespace Steinberg;

IFxVST3View::IFxVST3View(IFxVST3* owner) : mOwner(owner) {
  if (mOwner) mOwner->addRef();
}

IFxVST3View::~IFxVST3View() {
  if (mOwner) {
    mOwner->OpenViews().remove(this);
    mOwner->release();
    mOwner = nullptr;
  }
}

tresult PLUGIN_API IFxVST3View::isPlatformTypeSupported(FIDString type) {
  if (!mOwner || !mOwner->AttachedGraphics()) return kResultFalse;
  return type && std::strcmp(type, kPlatformTypeHWND) == 0 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API IFxVST3View::attached(void* parent, FIDString type) {
  IGraphics* graphics = mOwner ? mOwner->AttachedGraphics() : nullptr;
  if (!graphics) return kResultFalse;
  // Only a window of our own platform type can hold the editor; nothing is opened otherwise and
  // the plug-in is not told of an editor that does not exist.
  if (!type || std::strcmp(type, kPlatformTypeHWND) != 0 || !parent) return kResultFalse;
  void* window = graphics->OpenEditorWindow(parent);
  if (!window) return kResultFalse;
  mOpenedWindow = window;
  mOwner->EditorOpened();
  return kResultOk;
}

tresult PLUGIN_API IFxVST3View::removed() {
  IGraphics* graphics = mOwner ? mOwner->AttachedGraphics() : nullptr;
  if (graphics && mOpenedWindow) {
    // Two views share the plug-in's one window: when another view has opened it since, it stays.
    void* current = graphics->NativeWindow();
    if (current == mOpenedWindow || !current) {
      mOwner->EditorClosing();
      graphics->CloseEditorWindow();
    }
  }
  mOpenedWindow = nullptr;
  return CPluginView::removed();
}

tresult PLUGIN_API IFxVST3View::getSize(ViewRect* size) {
  IGraphics* graphics = mOwner ? mOwner->AttachedGraphics() : nullptr;
  if (!graphics) return kResultFalse;
  if (!size) return kInvalidArgument;
  *size = ViewRect{0, 0, graphics->Width(), graphics->Height()};
  return kResultOk;
}

tresult PLUGIN_API IFxVST3View::onSize(ViewRect* newSize) {
  if (newSize) {
    mRect = *newSize;
    if (mResizePending) {
      mResizePending = false;
      if (mOwner) mOwner->EditorResized();
    }
  }
  return kResultOk;
}

tresult PLUGIN_API IFxVST3View::setFrame(IPlugFrame* frame) {
  CPluginView::setFrame(frame);
  return kResultOk;
}

bool IFxVST3View::isTypeOf(FClassID name, bool askBaseClass) const {
  return SameClassName(name, "IFxVST3View") || (askBaseClass && CPluginView::isTypeOf(name, true));
}
