// Shared pieces of the plug-in editor tests: the plug-in object (reference counted), a bare graphics
// object with a back buffer to draw single controls into, and pixel helpers.
#pragma once

#include <cstdint>

#include "fx/igraphics.h"
#include "plugin/meters.h"
#include "plugin/quibelombrelux.h"
#include "raster/pixbitmap.h"

namespace editortest {

struct Plugin {
  QuibelOmbrelux* fx = new QuibelOmbrelux(IFxCreateArgs());
  ~Plugin() { fx->release(); }
  QuibelOmbrelux* operator->() { return fx; }
  IGraphics* Graphics() { return fx->AttachedGraphics(); }
  // Every parameter announced once, as a host does after loading the first preset.
  void AnnounceAll() {
    for (int i = 0; i < kNumParams; ++i) fx->ParamChanged(i, kSourceRestore);
  }
};

inline uint32_t Pixel(PIX_IBitmap* b, int x, int y) { return b->PixelData()[y * b->RowStride() + x]; }

inline void Fill(PIX_IBitmap* b, uint32_t colour) {
  for (int y = 0; y < b->PixelHeight(); ++y)
    for (int x = 0; x < b->PixelWidth(); ++x) b->PixelData()[y * b->RowStride() + x] = colour;
}

// Pixels of the box (left, top inclusive; right, bottom exclusive) that differ from colour.
inline int CountNot(PIX_IBitmap* b, const IBox& box, uint32_t colour) {
  int n = 0;
  for (int y = box.mTop; y < box.mBottom; ++y)
    for (int x = box.mLeft; x < box.mRight; ++x) n += Pixel(b, x, y) != colour;
  return n;
}

// A 640 x 480 graphics object without a plug-in whose back buffer starts filled with one colour.
struct Canvas {
  IGraphics graphics{nullptr, 640, 480, 0};
  explicit Canvas(uint32_t colour = 0) {
    graphics.CreateBackBuffers();
    Fill(Buffer(), colour);
  }
  PIX_IBitmap* Buffer() { return graphics.BackBuffer(); }
};

const IBox kMeterArea(59, 43, 99, 341);
const IBox kTransferArea(113, 42, 413, 342);

}  // namespace editortest
