// STAND-IN, to be replaced by the editor window implementation (IGraphicsWin) when the two lines of
// work meet: a window-less graphics object for the Windows builds that decodes the skin from the
// module's PNG resources, so that the plug-in's layout and meters run in the Windows modules and
// tests before the window exists.
#include <windows.h>

#include <cstring>

#include "fx/igraphics.h"
#include "fx/module.h"
#include "raster/pixpng.h"

namespace {

class ResourceSkinGraphics : public IGraphics {
 public:
  using IGraphics::IGraphics;
  PIX_IBitmap* DecodeSkinResource(int resourceId, const char* fileName) override {
    const char* dot = fileName ? std::strrchr(fileName, '.') : nullptr;
    if (!dot || lstrcmpiA(dot + 1, "png") != 0) return nullptr;
    HMODULE module = static_cast<HMODULE>(gModuleInstance);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resourceId & 0xFFFF), "PNG");
    if (!found) return nullptr;
    const DWORD size = SizeofResource(module, found);
    if (size <= 7 || size > 0x7FFFFFFF) return nullptr;
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return nullptr;
    return PIX_ReadPngBytes(bytes, static_cast<int>(size));
  }
};

}  // namespace

IGraphics* CreateEditorGraphics(IFxBase* plug, int width, int height, int fps) {
  return new ResourceSkinGraphics(plug, width, height, fps);
}
