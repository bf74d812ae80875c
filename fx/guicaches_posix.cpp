// Portable builds: heap back buffer, no platform fonts (text is not drawn natively), an editor
// graphics object without a window, and skin images read from PNG files, since there are no module
// resources to read them from.
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "fx/guicaches.h"
#include "fx/igraphics.h"
#include "raster/pixbitmap.h"
#include "raster/pixpng.h"

bool CreatePlatformFont(PIX_CachedFont*, const IFontSpec&) { return false; }

PIX_IBitmap* CreateBackBufferBitmap(int width, int height) {
  return new PIX_MemBitmap(width, height);
}

PIX_IBitmap* IGraphics::DecodeSkinResource(int, const char* fileName) {
#ifdef QO_SKIN_FOLDER
  // The file the module would carry as a resource: <skin folder>/<file name>, a PNG file only.
  if (!fileName) return nullptr;
  const char* dot = std::strrchr(fileName, '.');
  if (!dot || strcasecmp(dot + 1, "png") != 0) return nullptr;
  char path[1024];
  const int n = std::snprintf(path, sizeof path, "%s/%s", QO_SKIN_FOLDER, fileName);
  if (n < 0 || n >= static_cast<int>(sizeof path)) return nullptr;
  return PIX_ReadPngFile(path, nullptr);
#else
  (void)fileName;
  return nullptr;
#endif
}

IGraphics* CreateEditorGraphics(IFxBase* plug, int width, int height, int fps) {
  return new IGraphics(plug, width, height, fps);
}
