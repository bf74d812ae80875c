// Placement arithmetic of the text drawing, shared by the glyph-cache and the native path. All
// divisions truncate toward zero. Alignment: right wins over centre, bottom over vertical centre.
#pragma once

#include <cstdint>

#include "fx/records.h"

// A coordinate worked out in 64 bits, limited to the 32-bit range: points far out of range stay far
// away rather than wrap around.
inline int PIX_ClampCoord(int64_t v) {
  return v < INT32_MIN ? INT32_MIN : (v > INT32_MAX ? INT32_MAX : static_cast<int>(v));
}

// Glyph-cache path: the pen's starting point for a text of W x H in box. kTextCenter gives
// left + (right - W - left) / 2, kTextRight right - W, kTextVCenter top + (bottom - H - top) / 2,
// kTextBottom bottom - H; otherwise left and top.
void PIX_TextOrigin(const IBox& box, int W, int H, int flags, int* x, int* y);

// Glyph-cache path: the clip rectangle, the box cut to the target (or the whole target with
// kTextNoClip). False when nothing is left.
bool PIX_TextClip(const IBox& box, int targetWidth, int targetHeight, int flags, IBox* clip);

// Native path: where the W x H text goes. *x, *y: the text's top-left (kTextRight right - W,
// kTextCenter (left + right - W) / 2, else left; likewise bottom - H, (top + bottom - H) / 2, top).
// *cut: the text's box cut to the target and, without kTextNoClip, to box (whose left and top count
// from 0 at least). False when the cut box is empty.
bool PIX_NativeTextPlacement(const IBox& box, int W, int H, int flags, int targetWidth,
                             int targetHeight, int* x, int* y, IBox* cut);
