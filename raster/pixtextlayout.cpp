#include "raster/pixtextlayout.h"

#include <algorithm>
#include <cstdint>

#include "raster/pixfont.h"

void PIX_TextOrigin(const IBox& box, int W, int H, int flags, int* x, int* y) {
  int64_t px = box.mLeft, py = box.mTop;
  if (flags & kTextRight) px = static_cast<int64_t>(box.mRight) - W;
  else if (flags & kTextCenter) px = box.mLeft + (static_cast<int64_t>(box.mRight) - W - box.mLeft) / 2;
  if (flags & kTextBottom) py = static_cast<int64_t>(box.mBottom) - H;
  else if (flags & kTextVCenter) py = box.mTop + (static_cast<int64_t>(box.mBottom) - H - box.mTop) / 2;
  *x = PIX_ClampCoord(px);
  *y = PIX_ClampCoord(py);
}

bool PIX_TextClip(const IBox& box, int targetWidth, int targetHeight, int flags, IBox* clip) {
  IBox c(0, 0, std::max(targetWidth, 0), std::max(targetHeight, 0));
  if (!(flags & kTextNoClip)) {
    c.mLeft = std::max(box.mLeft, 0);
    c.mTop = std::max(box.mTop, 0);
    c.mRight = std::min(box.mRight, c.mRight);
    c.mBottom = std::min(box.mBottom, c.mBottom);
  }
  *clip = c;
  return c.mRight > c.mLeft && c.mBottom > c.mTop;
}

bool PIX_NativeTextPlacement(const IBox& box, int W, int H, int flags, int targetWidth,
                             int targetHeight, int* x, int* y, IBox* cut) {
  int64_t px = box.mLeft, py = box.mTop;
  if (flags & kTextRight) px = static_cast<int64_t>(box.mRight) - W;
  else if (flags & kTextCenter) px = (static_cast<int64_t>(box.mLeft) + box.mRight - W) / 2;
  if (flags & kTextBottom) py = static_cast<int64_t>(box.mBottom) - H;
  else if (flags & kTextVCenter) py = (static_cast<int64_t>(box.mTop) + box.mBottom - H) / 2;
  int64_t l = std::max<int64_t>(px, 0), t = std::max<int64_t>(py, 0);
  int64_t r = std::min<int64_t>(px + W, targetWidth), b = std::min<int64_t>(py + H, targetHeight);
  if (!(flags & kTextNoClip)) {
    l = std::max<int64_t>(l, std::max(box.mLeft, 0));
    t = std::max<int64_t>(t, std::max(box.mTop, 0));
    r = std::min<int64_t>(r, box.mRight);
    b = std::min<int64_t>(b, box.mBottom);
  }
  *x = PIX_ClampCoord(px);
  *y = PIX_ClampCoord(py);
  *cut = IBox(PIX_ClampCoord(l), PIX_ClampCoord(t), PIX_ClampCoord(std::max(r, l)),
              PIX_ClampCoord(std::max(b, t)));
  return r > l && b > t;
}
