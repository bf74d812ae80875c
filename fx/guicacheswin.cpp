// Windows builds: GDI fonts for the font table and a DIB-section back buffer.
#include <windows.h>

#include "fx/guicaches.h"
#include "fx/igraphics.h"
#include "raster/pixfont.h"
#include "raster/pixsysbitmapwin.h"

bool CreatePlatformFont(PIX_CachedFont* font, const IFontSpec& style) {
  if (!font) return false;
  // Quality 0..3: default, non-antialiased, antialiased, ClearType.
  DWORD quality = DEFAULT_QUALITY;
  switch (style.quality) {
    case 1: quality = NONANTIALIASED_QUALITY; break;
    case 2: quality = ANTIALIASED_QUALITY; break;
    case 3: quality = CLEARTYPE_QUALITY; break;
    default: break;
  }
  char face[32];
  lstrcpynA(face, style.face, sizeof(face));
  const int escapement = style.orientation * 10;
  HFONT handle = CreateFontA(style.size, 0, escapement, escapement,
                             style.weightStyle == 1 ? FW_BOLD : FW_NORMAL,
                             style.weightStyle == 2 ? TRUE : FALSE, FALSE, FALSE, 0, 0, 0,
                             quality, 0, face);
  if (!handle) return false;
  // The font owns the handle and may take the native text path.
  font->AdoptFontHandle(handle, kFontOwnsHandle | kFontAllowNative);
  return true;
}

PIX_IBitmap* CreateBackBufferBitmap(int width, int height) {
  return new PIX_SysBitmap(width, height);
}

// The window implementation decodes the module's own resources; the window-less object has none.
PIX_IBitmap* IGraphics::DecodeSkinResource(int, const char*) { return nullptr; }
