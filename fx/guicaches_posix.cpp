// Portable builds: heap back buffer, no platform fonts (text is not drawn natively) and an editor
// graphics object without a window.
#include "fx/guicaches.h"
#include "fx/igraphics.h"
#include "raster/pixbitmap.h"

bool CreatePlatformFont(PIX_CachedFont*, const IFontSpec&) { return false; }

PIX_IBitmap* CreateBackBufferBitmap(int width, int height) {
  return new PIX_MemBitmap(width, height);
}

IGraphics* CreateEditorGraphics(IFxBase* plug, int width, int height, int fps) {
  return new IGraphics(plug, width, height, fps);
}
