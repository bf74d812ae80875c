// A made-up glyph source for the font tests: small glyphs drawn from patterns instead of GDI, so
// that the glyph cache, measuring and drawing can be checked pixel by pixel on every build.
#pragma once

#include <cstdint>
#include <cstring>

#include "raster/pixfont.h"

namespace fonttest {

constexpr int kLineHeight = 6;

// Glyph patterns: advance, then rows of '#' (255), '+' (128), '.' (0); each row as wide as the cell
// the font asks for is filled with '.' past the pattern.
struct Pattern {
  int code;
  int advance;
  const char* rows[6];
};

// 'A': a 4 x 6 block. 'W': advance 3 with ink in column 3 (past the advance). 'E': nothing (advance
// 0). ' ': advance 2, no ink. 'h': 2 x 6 of coverage 128. 'L': an L of 3 x 2. 'd': one dot at (1, 1)
// in 3 x 3. Every other code: advance 3, a 3 x 6 block.
inline const Pattern* PatternOf(int code) {
  static const Pattern kPatterns[] = {
      {'A', 4, {"####", "####", "####", "####", "####", "####"}},
      {'W', 3, {"####", "####", "####", "####", "####", "####"}},
      {'E', 0, {nullptr}},
      {' ', 2, {"..", "..", "..", "..", "..", ".."}},
      {'h', 2, {"++", "++", "++", "++", "++", "++"}},
      {'L', 3, {"#..", "###"}},
      {'d', 3, {"...", ".#.", "..."}},
  };
  for (const Pattern& p : kPatterns)
    if (p.code == code) return &p;
  static const Pattern kDefault = {0, 3, {"###", "###", "###", "###", "###", "###"}};
  return &kDefault;
}

inline int LineHeight(HFONT) { return kLineHeight; }

inline void Render(PIX_IBitmap* scratch, HFONT, int code, int lineHeight, int* a, int* h, int* w) {
  const Pattern* p = PatternOf(code);
  int rows = 0;
  while (rows < 6 && p->rows[rows]) ++rows;
  *a = p->advance;
  *h = rows;
  *w = p->advance + 2 + (lineHeight >= 16 ? lineHeight / 16 : 0);
  uint32_t* px = scratch->PixelData();
  const int stride = scratch->RowStride();
  for (int j = 0; j < rows; ++j) {
    const int len = static_cast<int>(std::strlen(p->rows[j]));
    for (int i = 0; i < *w; ++i) {
      const char c = i < len ? p->rows[j][i] : '.';
      const uint32_t v = c == '#' ? 255 : (c == '+' ? 128 : 0);
      px[j * stride + i] = 0xFF000000u | v << 16 | v << 8 | v;
    }
  }
}

inline const PIX_GlyphSource* Source() {
  static const PIX_GlyphSource s = {LineHeight, Render};
  return &s;
}

// Installs the source for a scope.
struct UseGlyphs {
  UseGlyphs() { PIX_SetGlyphSource(Source()); }
  ~UseGlyphs() { PIX_SetGlyphSource(nullptr); }
};

inline HFONT FakeHandle() { return reinterpret_cast<HFONT>(static_cast<uintptr_t>(0x1000)); }

}  // namespace fonttest
