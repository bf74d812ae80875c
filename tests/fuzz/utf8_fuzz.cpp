// Fuzz target for the UTF-8 reading of the text drawing. Each input is copied into a heap block of
// exactly its size (no terminator after it), so that AddressSanitizer reports any byte read past the
// given length. The first byte picks how the rest is handed over: with its exact length, with a
// shorter length, or (when the block holds a NUL) with a negative length up to that NUL. The reader's
// characters must account for exactly the bytes up to the end or the first NUL, each decoded
// character must be what its bytes say, and the same text is measured and drawn through a font whose
// glyphs come from a small made-up glyph source.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "raster/pixbitmap.h"
#include "raster/pixfont.h"
#include "raster/pixutf8.h"

namespace {

// Glyphs of (code % 7) + 1 columns and 5 rows, fully covered; line height 5.
int LineHeight(HFONT) { return 5; }
void Render(PIX_IBitmap* scratch, HFONT, int code, int, int* a, int* h, int* w) {
  *a = code % 7 + 1;
  *h = 5;
  *w = *a + 2;
  uint32_t* px = scratch->PixelData();
  for (int j = 0; j < *h; ++j)
    for (int i = 0; i < *w; ++i) px[j * scratch->RowStride() + i] = i < *a ? 0xFFFFFFFFu : 0;
}
const PIX_GlyphSource kSource = {LineHeight, Render};

// The reference decoding of one character, from the rules, using only bytes below limit.
int Reference(const uint8_t* p, size_t limit, int* used) {
  auto cont = [&](size_t k) { return k < limit && p[k] >= 0x80 && p[k] <= 0xC0; };
  const uint8_t b = p[0];
  *used = 1;
  if (b >= 0xC2 && b <= 0xDF && cont(1)) {
    *used = 2;
    return ((b & 0x1F) << 6) | (p[1] & 0x3F);
  }
  if (b >= 0xE0 && b <= 0xEF && cont(1) && cont(2)) {
    *used = 3;
    return ((b & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
  }
  if (b >= 0xF0 && b <= 0xF4 && cont(1) && cont(2) && cont(3)) {
    *used = 4;
    return 0x20;
  }
  return b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t how = data[0];
  const size_t n = size - 1;
  // Exactly n bytes on the heap; malloc(0) may give null, so keep one byte but never count it.
  uint8_t* block = static_cast<uint8_t*>(std::malloc(n ? n : 1));
  if (n) std::memcpy(block, data + 1, n);
  const char* text = reinterpret_cast<const char*>(block);

  int length = static_cast<int>(n);
  if ((how & 3) == 1 && n > 0) length = static_cast<int>(how >> 2) % static_cast<int>(n);
  const void* nul = n ? std::memchr(block, 0, n) : nullptr;
  if ((how & 3) == 2 && nul) length = -1;

  // The bytes the reader may use: up to the length, and never past a NUL.
  size_t limit = length < 0 ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - block)
                            : static_cast<size_t>(length);
  if (const void* z = limit ? std::memchr(block, 0, limit) : nullptr)
    limit = static_cast<size_t>(static_cast<const uint8_t*>(z) - block);

  PIX_Utf8Reader reader(text, length);
  size_t pos = 0;
  int code = 0;
  while (reader.Next(&code)) {
    if (pos >= limit) std::abort();  // a character beyond the end
    int used = 0;
    const int expected = Reference(block + pos, limit - pos, &used);
    if (code != expected) std::abort();
    pos += static_cast<size_t>(used);
  }
  if (pos != limit) std::abort();  // stopped early or ran past
  PIX_Utf8HasMultiByte(text, length);

  // Measuring and drawing the same bytes through the glyph cache.
  // One font for the whole run (its scratch bitmap stays); each input adopts the handle afresh.
  static PIX_CachedFont* font = [] {
    PIX_SetGlyphSource(&kSource);
    return new PIX_CachedFont;
  }();
  {
    font->AdoptFontHandle(reinterpret_cast<HFONT>(static_cast<uintptr_t>(1)), how & 0x10 ? 0x1F7 & ~0x4 : 0);
    font->SetGlyphColour(0xFF336699u);
    IBox m;
    font->RenderText(nullptr, text, length, &m, kTextCalcRect | (how & 0x20 ? kTextSingleLine : 0));
    PIX_MemBitmap bm(37, 11);
    IBox box(-3, -2, 30, 9);
    font->RenderText(&bm, text, length, &box, (how >> 2) & 0x12F);
  }
  std::free(block);
  return 0;
}
