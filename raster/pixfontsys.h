// The system half of the fonts: implemented with GDI in pixfontwin.cpp and as "no text system" in
// pixfontport.cpp for the other builds. Called with the font lock held.
#pragma once

#include <cstdint>

#include "raster/pixfont.h"

namespace pixfontsys {

// A new glyph scratch bitmap of 0 x 0 pixels (a DIB section in the Windows builds).
PIX_IBitmap* NewGlyphScratch();
// After a resize of the glyph scratch: text colour white, opaque black background.
void PrepareGlyphScratch(PIX_IBitmap* scratch);
// tmHeight of the font, read through the scratch's device context.
int LineHeightOf(PIX_IBitmap* scratch, HFONT font);
// See PIX_GlyphSource::render.
void RenderGlyph(PIX_IBitmap* scratch, HFONT font, int code, int lineHeight, int* advance,
                 int* height, int* cellWidth);
void DeleteFontHandle(HFONT font);
// Deletes the native path's scratch bitmap (last font gone).
void DeleteTextScratch();
// Whether this build has the native path (x86-64 Windows).
bool NativeTextAvailable();
// Whether the process runs under Wine (probed once; x86-64 Windows only).
bool UnderWine();
// The native path; flags without kTextNoNative.
int RenderNativeText(PIX_CachedFont* font, PIX_IBitmap* target, const char* text, int length,
                     IBox* box, int flags);

}  // namespace pixfontsys
