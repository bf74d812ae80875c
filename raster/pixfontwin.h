// Windows-only state of the fonts: the native path's scratch bitmap and the Wine probe (x86-64
// builds), exposed so that tests can force either path.
#pragma once

#include "raster/pixbitmap.h"

#if defined(_WIN64)
// -1 not probed yet, 0 not under Wine, 1 under Wine. Tests may set it (under the font lock) to force
// the probe's answer; -1 makes the next eligible call probe again.
extern int gUnderWine;
// The native path's scratch bitmap for targets without a device context (a PIX_SysBitmap).
extern PIX_IBitmap* gTextScratch;
#endif
