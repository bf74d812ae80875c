// Portable builds: heap back buffer, and no platform fonts (text is not drawn natively).
#include "fx/guicaches.h"
#include "fx/igraphics.h"
#include "raster/pixbitmap.h"

bool CreatePlatformFont(PIX_CachedFont*, const IFontSpec&) { return false; }

PIX_IBitmap* CreateBackBufferBitmap(int width, int height) {
  return new PIX_MemBitmap(width, height);
}
