// Filled discs: a circle of one colour drawn as spans from the centre outward, with or without an
// antialiased fringe, under a weight and a raster mode (only the mode's low byte counts; the source
// alpha flag is ignored, so the colour's alpha does not scale the weight).
#pragma once

#include <cstdint>

#include "raster/pixbitmap.h"

// Draws the disc of radius r around (cx, cy) in bitmap pixels (rows counted from the top, also for a
// bottom-up bitmap). Nothing is drawn for a null bitmap, a weight below 1/256, a negative or
// non-finite radius, a non-finite centre, or a disc lying wholly outside.
void PIX_FillDisc(PIX_IBitmap* bitmap, float cx, float cy, float r, uint32_t colour, float alpha,
                  int mode, bool antialias);
