// The system half of the fonts where there is no GDI: glyph images come only from an installed
// PIX_GlyphSource, scratch bitmaps are heap bitmaps, and there is no native path.
#include "raster/pixfontsys.h"

namespace pixfontsys {

PIX_IBitmap* NewGlyphScratch() { return new PIX_MemBitmap(0, 0); }
void PrepareGlyphScratch(PIX_IBitmap*) {}
int LineHeightOf(PIX_IBitmap*, HFONT) { return 0; }
void RenderGlyph(PIX_IBitmap*, HFONT, int, int, int* advance, int* height, int* cellWidth) {
  *advance = *height = *cellWidth = 0;
}
void DeleteFontHandle(HFONT) {}
void DeleteTextScratch() {}
bool NativeTextAvailable() { return false; }
bool UnderWine() { return false; }
int RenderNativeText(PIX_CachedFont*, PIX_IBitmap*, const char*, int, IBox*, int) { return 0; }

}  // namespace pixfontsys
