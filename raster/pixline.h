// One-pixel line segments, optionally antialiased, under a weight and a raster mode (only the mode's
// low byte counts: 0 copy, 1 add, 2 dodge, 3 multiply, 4 soft light, 5 HSV adjust; the source alpha
// flag has no effect on lines). All four channels of the colour, alpha included, take part.
#pragma once

#include <cstdint>

#include "raster/pixbitmap.h"

// Draws the segment from (x1, y1) to (x2, y2), both end points included, after clipping it to the
// bitmap. Rows are counted from the top, also for a bottom-up bitmap. A null bitmap, a weight below
// 1/256 or a mode whose low byte is above 5 draws nothing (the whole-word paths for mode 0 at
// weights 1.0, 0.5, 0.25 and 0.75 only look at whether the low byte is 0).
void PIX_StrokeLine(PIX_IBitmap* bitmap, int x1, int y1, int x2, int y2, uint32_t colour, float weight,
                    int mode, bool antialias);

// Clips the segment in place to columns 0..width-1 and rows 0..height-1; false when nothing is left.
// The four coordinates are written back in every case. A negative width or height counts as 0.
bool PIX_ClipSegment(int* x1, int* y1, int* x2, int* y2, int width, int height);
