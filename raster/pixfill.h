// Filled rectangles, the 3x3 softening of rendered glyphs, and the process-wide chain of image
// loaders (file-name based decoding; the PNG loader registers itself at module start).
#pragma once

#include <cstdint>

#include "raster/pixbitmap.h"

// Fills the rectangle (x, y, w, h), clipped to the bitmap, with one colour under a weight and a raster
// mode word (see pixcombine.h). With kRasterSourceAlpha in mode the weight is scaled by the colour's
// alpha byte. Mode 0 at the weights 1, 0.5, 0.25 and 0.75 runs whole-word loops; other weights and
// modes combine per pixel with the weight serving as the source alpha.
void PIX_FillArea(PIX_IBitmap* bitmap, int x, int y, int w, int h, uint32_t colour, float alpha,
                  int mode);

// Softens the area (0, 0, w, h) of the bitmap in place with a 3x3 kernel (half centre, eighths of the
// four edge neighbours; quarters where a neighbour is missing), lane by lane on whole pixel words.
// Needs no heap memory for widths up to 1024.
void PIX_Smooth3x3(PIX_IBitmap* bitmap, int w, int h);

// One image format in the loader chain.
struct ImageLoaderRecord {
  // Decodes the named file (UTF-8) into reuse, or into a new bitmap when reuse is null; returns the
  // bitmap or null. With checkExtension set, a name without the format's extension gives null.
  PIX_IBitmap* (*load)(const char* fileName, bool checkExtension, PIX_IBitmap* reuse);
  // File-dialog filter text of the format: pairs of NUL-terminated texts, ended by a second NUL.
  const char* (*extensions)();
  ImageLoaderRecord* next;
};

// First record of the chain; null until a loader registers.
extern ImageLoaderRecord* gImageLoaderChain;

// Puts the PNG loader record at the head of gImageLoaderChain. Runs among the static initialisers;
// later calls change nothing.
void RegisterPngLoader();
