// The glyph cache of PIX_CachedFont with made-up glyphs (font_test_glyphs.h): capture and trimming,
// turning, thresholds, shadow and outline, measuring, drawing and blending, alignment, clipping, the
// colour-alpha flag, the shared scratch and instance count, and two threads drawing at once.
#include "raster/pixfont.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "raster/pixbitmap.h"
#include "raster/pixcombine.h"
#include "tests/raster/font_test_glyphs.h"

namespace {

using fonttest::FakeHandle;
using fonttest::UseGlyphs;

// A bitmap filled with one word, padding columns included (they must stay so).
std::unique_ptr<PIX_MemBitmap> Filled(int w, int h, uint32_t word) {
  auto bm = std::make_unique<PIX_MemBitmap>(w, h);
  uint32_t* p = bm->PixelData();
  for (int k = 0; k < bm->RowStride() * h; ++k) p[k] = word;
  return bm;
}

uint32_t At(PIX_IBitmap& bm, int x, int y) { return bm.PixelData()[y * bm.RowStride() + x]; }

// Bounding box of the pixels that differ from the background word.
IBox InkBox(PIX_IBitmap& bm, uint32_t background) {
  int l = INT32_MAX, t = INT32_MAX, r = INT32_MIN, b = INT32_MIN;
  for (int y = 0; y < bm.PixelHeight(); ++y)
    for (int x = 0; x < bm.PixelWidth(); ++x)
      if (At(bm, x, y) != background) {
        l = std::min(l, x), t = std::min(t, y), r = std::max(r, x + 1), b = std::max(b, y + 1);
      }
  return l > r ? IBox() : IBox(l, t, r, b);
}

struct Font {
  UseGlyphs glyphs;
  PIX_CachedFont font;
  explicit Font(int flags = 0) {
    font.AdoptFontHandle(FakeHandle(), flags);
    font.SetGlyphColour(0xFF336699u);
  }
  IBox Measure(const char* text, int flags = 0, int length = -1) {
    IBox box;
    font.RenderText(nullptr, text, length, &box, flags | kTextCalcRect);
    return box;
  }
  std::string Image(int code) {
    const GlyphRecord* r = font.FindGlyph(code);
    const uint8_t* img = r ? font.GlyphImage(*r) : nullptr;
    std::string s;
    for (int j = 0; img && j < r->height; ++j) {
      for (int i = 0; i < r->width; ++i) {
        const int v = img[j * r->width + i];
        s += v == 255 ? '#' : (v == 128 ? '+' : (v == 0 ? '.' : '?'));
      }
      s += '/';
    }
    return s;
  }
};

TEST(FontCache, CaptureStoresTrimmedCoverage) {
  Font f;
  EXPECT_EQ(f.font.RowHeight(), fonttest::kLineHeight);
  f.Measure("AWE");
  // 'A': cell 4 + 2 = 6 columns, ink in 4: trimmed to the advance, 4 x 6 at offset 1.
  const GlyphRecord* a = f.font.FindGlyph('A');
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->imageOffset, 1);
  EXPECT_EQ(a->width, 4);
  EXPECT_EQ(a->height, 6);
  EXPECT_EQ(a->advance, 4);
  // 'W': advance 3 but ink in column 3, so its image keeps 4 columns; it follows 'A' (24 bytes).
  const GlyphRecord* w = f.font.FindGlyph('W');
  EXPECT_EQ(w->imageOffset, 25);
  EXPECT_EQ(w->width, 4);
  EXPECT_EQ(w->advance, 3);
  // 'E' has an empty measure: nothing to draw.
  EXPECT_EQ(f.font.FindGlyph('E')->imageOffset, -1);
  EXPECT_EQ(f.font.GlyphImageBytes(), 48);
  EXPECT_EQ(f.Image('A'), "####/####/####/####/####/####/");
}

TEST(FontCache, MeasuringSumsAdvancesAndLines) {
  Font f;
  // "AW": right = max(4 + 3, 4 + 4) = 8 (W's image passes its advance); height 6.
  IBox b = f.Measure("AW");
  EXPECT_EQ(b, IBox(0, 0, 8, 6));
  // "AEA": the empty glyph does not move the pen: 4 + 4.
  EXPECT_EQ(f.Measure("AEA"), IBox(0, 0, 8, 6));
  // A line feed starts a new line 6 lower at x 0; carriage returns are skipped.
  EXPECT_EQ(f.Measure("AA\nA\r"), IBox(0, 0, 8, 12));
  // Single line: the line feed is a space (advance 2): 4 + 2 + 4.
  EXPECT_EQ(f.Measure("A\nA", kTextSingleLine), IBox(0, 0, 10, 6));
  // The box's left and top carry over; the result is the height.
  IBox box(7, 3, 0, 0);
  EXPECT_EQ(f.font.RenderText(nullptr, "AA", -1, &box, kTextCalcRect), 6);
  EXPECT_EQ(box, IBox(7, 3, 15, 9));
  // A length of 1 measures one character.
  EXPECT_EQ(f.Measure("AA", 0, 1), IBox(0, 0, 4, 6));
}

TEST(FontCache, CodesAbove127GoToTheSortedList) {
  Font f;
  // U+0300, U+0100, U+0200 (default glyphs of advance 3), a stray 0x80 and a four-byte character
  // (a space, advance 2): 3 + 3 + 3 + 3 + 2.
  EXPECT_EQ(f.Measure("\xCC\x80\xC4\x80\xC8\x80\x80\xF0\x9F\x98\x80"), IBox(0, 0, 14, 6));
  EXPECT_EQ(f.font.GlyphListCount(), 4);
  for (int code : {0x80, 0x100, 0x200, 0x300}) {
    const GlyphRecord* r = f.font.FindGlyph(code);
    ASSERT_NE(r, nullptr) << code;
    EXPECT_EQ(r->code, code);
    EXPECT_GT(r->imageOffset, 0);
  }
  EXPECT_EQ(f.font.FindGlyph(0x150), nullptr);
}

// Codes captured in a scrambled order all end up in the sorted list and are found again; codes
// far outside the 16-bit range are simply not there.
TEST(FontCache, ManyCodesInAnyOrderAreFound) {
  Font f;
  std::string text;
  std::vector<int> codes;
  for (int k = 0; k < 3000; ++k) codes.push_back(0x800 + (k * 1237) % 3000);  // 1237 is prime to 3000
  for (int c : codes) {
    text += static_cast<char>(0xE0 | (c >> 12));
    text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (c & 0x3F));
  }
  f.Measure(text.c_str());
  EXPECT_EQ(f.font.GlyphListCount(), 3000);
  for (int c = 0x800; c < 0x800 + 3000; ++c) {
    const GlyphRecord* r = f.font.FindGlyph(c);
    ASSERT_NE(r, nullptr) << c;
    EXPECT_EQ(r->code, c);
  }
  EXPECT_EQ(f.font.FindGlyph(0x7FF), nullptr);
  EXPECT_EQ(f.font.FindGlyph(0x800 + 3000), nullptr);
  EXPECT_EQ(f.font.FindGlyph(INT32_MIN), nullptr);
  EXPECT_EQ(f.font.FindGlyph(INT32_MAX), nullptr);
}

TEST(FontCache, PrecacheAsciiCapturesAtAdoptionAndRefusesTheRest) {
  Font f(kFontPrecacheAscii);
  EXPECT_GT(f.font.FindGlyph('A')->imageOffset, 0);  // captured at adoption, after codes 0-64
  EXPECT_GT(f.font.FindGlyph(0)->imageOffset, 0);
  const int bytes = f.font.GlyphImageBytes();
  // U+00E9 is neither measured nor cached.
  EXPECT_EQ(f.Measure("\xC3\xA9"), IBox(0, 0, 0, 0));
  EXPECT_EQ(f.Measure("A\xC3\xA9" "A"), IBox(0, 0, 8, 6));
  EXPECT_EQ(f.font.GlyphListCount(), 0);
  EXPECT_EQ(f.font.GlyphImageBytes(), bytes);
}

TEST(FontCache, VerticalGlyphsAreTurned) {
  // 'L' is "#.." over "###". Clockwise, new (i, j) = old (h - 1 - j, i): rows "##", "#.", "#.".
  Font cw(kFontVertical);
  cw.Measure("L");
  EXPECT_EQ(cw.Image('L'), "##/#./#./");
  // Anticlockwise, new (i, j) = old (j, w - 1 - i): rows ".#", ".#", "##".
  Font acw(kFontVertical | kFontVerticalReversed);
  acw.Measure("L");
  EXPECT_EQ(acw.Image('L'), ".#/.#/##/");
  // Vertical measure: width = image width 2, height = sum of advances 3 + 3; the result is the width.
  IBox box;
  EXPECT_EQ(cw.font.RenderText(nullptr, "LL", -1, &box, kTextCalcRect), 2);
  EXPECT_EQ(box, IBox(0, 0, 2, 6));
}

TEST(FontCache, ThresholdShadowAndOutline) {
  Font mono(kFontMono);
  mono.Measure("hd");
  EXPECT_EQ(mono.Image('h'), "../../../../../../");  // 128 is not above 130
  EXPECT_EQ(mono.Image('d'), ".../.#./.../");
  Font inv(kFontInvert);
  inv.Measure("d");
  const GlyphRecord* r = inv.font.FindGlyph('d');
  EXPECT_EQ(inv.font.GlyphImage(*r)[0], 255);  // 255 - 0
  EXPECT_EQ(inv.font.GlyphImage(*r)[4], 0);    // 255 - 255
  // Shadow: right, down and right-down of the dot.
  Font shadow(kFontShadow);
  shadow.Measure("d");
  EXPECT_EQ(shadow.Image('d'), ".../.#+/.++/");
  // Outline: the four neighbours.
  Font outline(kFontOutline);
  outline.Measure("d");
  EXPECT_EQ(outline.Image('d'), ".+./+#+/.+./");
  // Shadow wins when both are set.
  Font both(kFontShadow | kFontOutline);
  both.Measure("d");
  EXPECT_EQ(both.Image('d'), ".../.#+/.++/");
}

TEST(FontCache, FullCoverageWritesTheColourWithAlpha255) {
  Font f;
  auto bm = Filled(10, 8, 0x00000000u);
  IBox box(2, 1, 10, 8);
  EXPECT_EQ(f.font.RenderText(bm.get(), "A", -1, &box, 0), 6);
  EXPECT_EQ(InkBox(*bm, 0), IBox(2, 1, 6, 7));
  for (int y = 1; y < 7; ++y)
    for (int x = 2; x < 6; ++x) EXPECT_EQ(At(*bm, x, y), 0xFF336699u);
  EXPECT_EQ(At(*bm, 10, 0), 0u);  // padding column untouched
}

TEST(FontCache, PartialCoverageMixesTowardTheColour) {
  Font f;
  auto bm = Filled(4, 6, 0x00000000u);
  IBox box(0, 0, 4, 6);
  f.font.RenderText(bm.get(), "h", -1, &box, 0);
  // Coverage 128 at W 256: k = 255 - 128 = 127. Over 0: lane = X - X x 127 / 256 (toward zero):
  // red 0x33 = 51: 51 - 6477/256 = 51 - 25 = 26; green 0x66 = 102: 102 - 12954/256 = 102 - 50 = 52;
  // blue 0x99 = 153: 153 - 19431/256 = 153 - 75 = 78; alpha 255 - 32385/256 = 255 - 126 = 129.
  EXPECT_EQ(At(*bm, 0, 0), (129u << 24) | (26u << 16) | (52u << 8) | 78u);
  EXPECT_EQ(At(*bm, 2, 0), 0u);
}

TEST(FontCache, ColourAlphaScalesTheWeight) {
  Font f;
  f.font.SetGlyphColour(0x80336699u);
  auto bm = Filled(4, 6, 0x00000000u);
  IBox box(0, 0, 4, 6);
  f.font.RenderText(bm.get(), "A", -1, &box, kTextColourAlpha);
  // Weight 128 / 255 = 0.50196, W = 128. Coverage 255: W x c = 32640 < 65792, k = 256 - 127 = 129.
  // Over 0: red 51 - 51 x 129 / 256 = 51 - 25 = 26; green 102 - 51 = 51; blue 153 - 77 = 76;
  // alpha 255 - 255 x 129 / 256 = 255 - 128 = 127.
  EXPECT_EQ(At(*bm, 1, 1), (127u << 24) | (26u << 16) | (51u << 8) | 76u);
  EXPECT_EQ(f.font.BlendWeight(), 1.0f);  // the font's own weight is back
  // Without the flag the colour's alpha plays no part: full colour, alpha 255.
  auto bm2 = Filled(4, 6, 0x00000000u);
  f.font.RenderText(bm2.get(), "A", -1, &box, 0);
  EXPECT_EQ(At(*bm2, 1, 1), 0xFF336699u);
  // Alpha 0 with the flag: weight 0, nothing drawn, result 0.
  f.font.SetGlyphColour(0x00336699u);
  auto bm3 = Filled(4, 6, 0x00000000u);
  EXPECT_EQ(f.font.RenderText(bm3.get(), "A", -1, &box, kTextColourAlpha), 0);
  EXPECT_EQ(InkBox(*bm3, 0), IBox());
}

TEST(FontCache, BlendModesUseTheSharedCombiners) {
  Font f;
  f.font.SetGlyphColour(0xFF204080u);
  IBox box(0, 0, 4, 6);
  // Add at W 256, coverage 255: per-pixel weight 256; 0x10 + 0x20, 0x10 + 0x40, 0x10 + 0x80, alpha
  // 0x10 + 255 clamped.
  f.font.SetBlending(kRasterAdd, 1.0f);
  auto add = Filled(4, 6, 0x10101010u);
  f.font.RenderText(add.get(), "A", -1, &box, 0);
  EXPECT_EQ(At(*add, 0, 0), 0xFF305090u);
  // Multiply: lane x (65536 + 256 (X - 256)) >> 16 = x X / 256: 200 x 0x80 / 256 = 100,
  // 200 x 0x40 / 256 = 50, 200 x 0x20 / 256 = 25; alpha 200 x 65280 >> 16 = 199.
  f.font.SetBlending(kRasterMultiply, 1.0f);
  auto mul = Filled(4, 6, 0xC8C8C8C8u);
  f.font.RenderText(mul.get(), "A", -1, &box, 0);
  EXPECT_EQ(At(*mul, 0, 0), (199u << 24) | (25u << 16) | (50u << 8) | 100u);
  // A mode above 5 draws no glyph pixels.
  f.font.SetBlending(7, 1.0f);
  auto none = Filled(4, 6, 0x10101010u);
  f.font.RenderText(none.get(), "A", -1, &box, 0);
  EXPECT_EQ(InkBox(*none, 0x10101010u), IBox());
}

TEST(FontCache, MonoShadowUsesGlyphAndAccentColours) {
  Font f(kFontShadow);
  f.font.SetAccentColour(0xFF010203u);
  auto bm = Filled(3, 3, 0x00000000u);
  IBox box(0, 0, 3, 3);
  f.font.RenderText(bm.get(), "d", -1, &box, 0);
  EXPECT_EQ(At(*bm, 1, 1), 0xFF336699u);
  EXPECT_EQ(At(*bm, 2, 1), 0xFF010203u);
  EXPECT_EQ(At(*bm, 2, 2), 0xFF010203u);
  EXPECT_EQ(At(*bm, 0, 0), 0u);
  // At weight 0.5 (W 128) in mode 0: lane = X + (x - X) x 128 / 256 over 0: red 51 - 25 = 26.
  f.font.SetBlending(0, 0.5f);
  auto half = Filled(3, 3, 0x00000000u);
  f.font.RenderText(half.get(), "d", -1, &box, 0);
  EXPECT_EQ((At(*half, 1, 1) >> 16) & 0xFF, 26u);
  EXPECT_EQ(At(*half, 1, 1) >> 24, 128u);  // 255 + (0 - 255) x 128 / 256 = 255 - 127
}

TEST(FontCache, OpaqueBackgroundFillsTheCell) {
  Font f;
  f.font.SetBackgroundMode(2);
  f.font.SetBackgroundColour(0xFFEEEEEEu);
  auto bm = Filled(8, 8, 0x00000000u);
  IBox box(0, 0, 8, 8);
  f.font.RenderText(bm.get(), "h", -1, &box, 0);
  // The 2 x 6 cell is filled first; the 128 coverage then mixes toward the colour from 0xEE.
  EXPECT_EQ(InkBox(*bm, 0), IBox(0, 0, 2, 6));
  EXPECT_NE(At(*bm, 0, 0), 0xFFEEEEEEu);
}

// Each alignment flag puts the ink where the arithmetic says. "AA" measures 8 x 6.
TEST(FontCache, AlignmentPlacesTheText) {
  Font f;
  const IBox box(10, 5, 40, 25);
  struct Case {
    int flags;
    IBox ink;
  } cases[] = {
      {0, IBox(10, 5, 18, 11)},
      {kTextCenter, IBox(21, 5, 29, 11)},             // 10 + (40 - 8 - 10) / 2 = 21
      {kTextRight, IBox(32, 5, 40, 11)},              // 40 - 8
      {kTextVCenter, IBox(10, 12, 18, 18)},           // 5 + (25 - 6 - 5) / 2 = 12
      {kTextBottom, IBox(10, 19, 18, 25)},            // 25 - 6
      {kTextCenter | kTextVCenter, IBox(21, 12, 29, 18)},
  };
  for (const Case& c : cases) {
    auto bm = Filled(50, 30, 0u);
    IBox b = box;
    EXPECT_EQ(f.font.RenderText(bm.get(), "AA", -1, &b, c.flags), 6) << c.flags;
    EXPECT_EQ(InkBox(*bm, 0), c.ink) << c.flags;
  }
  // Single line: "A\nA" is 10 wide (the line feed a space of 2): centre 10 + (40 - 10 - 10) / 2 = 20.
  auto bm = Filled(50, 30, 0u);
  IBox b = box;
  f.font.RenderText(bm.get(), "A\nA", -1, &b, kTextCenter | kTextSingleLine);
  EXPECT_EQ(InkBox(*bm, 0), IBox(20, 5, 30, 11));
  EXPECT_EQ(At(*bm, 24, 5), 0u);  // the space
  // Without single line the second A goes one line (6) lower at the starting x; result 12.
  auto bm2 = Filled(50, 30, 0u);
  b = box;
  EXPECT_EQ(f.font.RenderText(bm2.get(), "A\nA", -1, &b, 0), 12);
  EXPECT_EQ(InkBox(*bm2, 0), IBox(10, 5, 14, 17));
}

TEST(FontCache, ClippingKeepsToTheBoxAndTheBitmap) {
  Font f;
  // Box (5, 5, 9, 8): only its 4 x 3 pixels change.
  auto bm = Filled(20, 12, 0u);
  IBox box(5, 5, 9, 8);
  f.font.RenderText(bm.get(), "AA", -1, &box, 0);
  EXPECT_EQ(InkBox(*bm, 0), IBox(5, 5, 9, 8));
  // With kTextNoClip the whole text: 8 x 6 from (5, 5).
  auto nc = Filled(20, 12, 0u);
  box = IBox(5, 5, 9, 8);
  f.font.RenderText(nc.get(), "AA", -1, &box, kTextNoClip);
  EXPECT_EQ(InkBox(*nc, 0), IBox(5, 5, 13, 11));
  // Text hanging over every edge of a 10 x 8 bitmap (stride 12): the padding stays untouched.
  auto small = Filled(10, 8, 0u);
  box = IBox(-3, -2, 100, 100);
  f.font.RenderText(small.get(), "AAAAAAAA", -1, &box, kTextNoClip);
  EXPECT_EQ(InkBox(*small, 0), IBox(0, 0, 10, 4));
  for (int y = 0; y < 8; ++y) {
    EXPECT_EQ(At(*small, 10, y), 0u);
    EXPECT_EQ(At(*small, 11, y), 0u);
  }
  box = IBox(6, 2, 100, 100);
  f.font.RenderText(small.get(), "A\nA\nA", -1, &box, kTextBottom | kTextRight);
  for (int y = 0; y < 8; ++y) EXPECT_EQ(At(*small, 11, y), 0u);
}

TEST(FontCache, OneGlyphFromTheCache) {
  Font f;
  f.Measure("A");
  auto bm = Filled(10, 10, 0u);
  const IBox clip(0, 0, 10, 10);
  // Two columns left of the clip: drawn from its third column.
  EXPECT_TRUE(f.font.RenderTextFromCache(bm.get(), 'A', -2, 0, &clip));
  EXPECT_EQ(InkBox(*bm, 0), IBox(0, 0, 2, 6));
  EXPECT_FALSE(f.font.RenderTextFromCache(bm.get(), 'A', -4, 0, &clip));
  EXPECT_FALSE(f.font.RenderTextFromCache(bm.get(), 'A', 10, 0, &clip));
  EXPECT_FALSE(f.font.RenderTextFromCache(bm.get(), 'B', 0, 0, &clip));  // not captured
  // A clip larger than the bitmap is cut to it.
  const IBox big(-50, -50, 500, 500);
  EXPECT_TRUE(f.font.RenderTextFromCache(bm.get(), 'A', 8, 8, &big));
  EXPECT_EQ(At(*bm, 9, 9), 0xFF336699u);
  // A glyph wholly outside does not count toward the result.
  auto bm2 = Filled(10, 10, 0u);
  IBox box(0, -20, 10, 10);
  EXPECT_EQ(f.font.RenderText(bm2.get(), "A", -1, &box, kTextNoClip), 0);
}

TEST(FontCache, NullBoxOrTextDrawsNothing) {
  Font f;
  auto bm = Filled(10, 10, 0u);
  EXPECT_EQ(f.font.RenderText(bm.get(), "A", -1, nullptr, 0), 0);
  EXPECT_EQ(f.font.RenderText(nullptr, "A", -1, nullptr, kTextCalcRect), 0);
  IBox box(3, 4, 9, 9);
  EXPECT_EQ(f.font.RenderText(bm.get(), nullptr, -1, &box, 0), 0);
  EXPECT_EQ(f.font.RenderText(nullptr, nullptr, -1, &box, kTextCalcRect), 0);
  EXPECT_EQ(box, IBox(3, 4, 3, 4));
  EXPECT_EQ(f.font.RenderText(nullptr, "A", -1, &box, 0), 0);  // no target, not measuring
  EXPECT_EQ(InkBox(*bm, 0), IBox());
  box = IBox(0, 0, 10, 10);
  EXPECT_EQ(f.font.RenderText(bm.get(), "AA", 0, &box, 0), 0);  // length 0
  EXPECT_EQ(InkBox(*bm, 0), IBox());
}

// A font of line height 1000 whose glyphs come from the test patterns (still captured: below 1024).
int TallLineHeight(HFONT) { return 1000; }
const PIX_GlyphSource kTallGlyphs = {TallLineHeight, fonttest::Render};

// A bitmap that asks for the glyph cache, so that fonts of line heights from 256 up do not go the
// native path in the x86-64 Windows builds.
struct CacheOnlyBitmap : PIX_MemBitmap {
  CacheOnlyBitmap(int w, int h) : PIX_MemBitmap(w, h) {
    std::fill(PixelData(), PixelData() + RowStride() * h, 0u);
  }
  intptr_t QueryFeature(int code, void*) override { return code == kFeatureGlyphCacheOnly ? 1 : 0; }
};

// Long text takes the pen far beyond the 32-bit range: 4294968 line feeds of 1000 pixels put it at
// 4294968000 = 2^32 + 704. The glyph after them lies far outside the bitmap and is not drawn; a pen
// that wrapped around would put it at 704, inside.
TEST(FontCache, PenFarBeyondThe32BitRangeDrawsNothing) {
  PIX_SetGlyphSource(&kTallGlyphs);
  const std::string text = std::string(4294968, '\n') + "A";
  const int length = static_cast<int>(text.size());
  {
    PIX_CachedFont font;
    font.AdoptFontHandle(FakeHandle(), 0);
    font.SetGlyphColour(0xFF336699u);
    CacheOnlyBitmap bm(8, 720);
    IBox box(0, 0, 8, 720);
    EXPECT_EQ(font.RenderText(&bm, text.c_str(), length, &box, 0), 0);
    EXPECT_EQ(InkBox(bm, 0), IBox());
    // Measured: the box keeps a bottom at or below its top, however far the text reaches.
    IBox m(0, 100, 0, 0);
    font.RenderText(&bm, text.c_str(), length, &m, kTextCalcRect);
    EXPECT_GE(m.mBottom, m.mTop);
    EXPECT_GE(m.mRight, m.mLeft);
  }
  {
    // Vertical text: the line feeds move the pen right.
    PIX_CachedFont font;
    font.AdoptFontHandle(FakeHandle(), kFontVertical);
    font.SetGlyphColour(0xFF336699u);
    CacheOnlyBitmap bm(720, 8);
    IBox box(0, 0, 720, 8);
    EXPECT_EQ(font.RenderText(&bm, text.c_str(), length, &box, 0), 0);
    EXPECT_EQ(InkBox(bm, 0), IBox());
  }
  PIX_SetGlyphSource(nullptr);
}

TEST(FontCache, InstanceCountAndSharedScratch) {
  UseGlyphs glyphs;
  const int before = gFontInstanceCount;
  {
    PIX_CachedFont a;
    EXPECT_EQ(gFontInstanceCount, before + 1);
    a.AdoptFontHandle(FakeHandle(), 0);
    ASSERT_NE(gGlyphScratch, nullptr);
    EXPECT_GE(gGlyphScratch->PixelWidth(), 256);
    EXPECT_GE(gGlyphScratch->PixelHeight(), 256);
    {
      PIX_CachedFont b;
      EXPECT_EQ(gFontInstanceCount, before + 2);
    }
    EXPECT_EQ(gFontInstanceCount, before + 1);
    if (before == 0) {
      EXPECT_NE(gGlyphScratch, nullptr);
    }
  }
  EXPECT_EQ(gFontInstanceCount, before);
  if (before == 0) {
    EXPECT_EQ(gGlyphScratch, nullptr);  // the last font took the scratch with it
    PIX_CachedFont again;
    again.AdoptFontHandle(FakeHandle(), 0);
    EXPECT_NE(gGlyphScratch, nullptr);
  }
}

// Text over many codes, so that both threads keep capturing glyphs into the one font while drawing.
std::string ManyCodes(int start) {
  std::string s;
  for (int c = start; c < start + 400; ++c) {
    s += static_cast<char>(0xC0 | (c >> 6));
    s += static_cast<char>(0x80 | (c & 0x3F));
    if (c % 40 == 0) s += '\n';
  }
  return s;
}

TEST(FontCache, TwoThreadsDrawLikeOne) {
  const std::string t1 = ManyCodes(0x100), t2 = ManyCodes(0x200);
  auto draw = [](PIX_CachedFont& font, const std::string& text, PIX_MemBitmap& bm) {
    for (int k = 0; k < 4; ++k) {
      IBox box(k, k, bm.PixelWidth(), bm.PixelHeight());
      font.RenderText(&bm, text.c_str(), static_cast<int>(text.size()), &box, 0);
    }
  };
  // One thread, twice, on a fresh font.
  std::vector<uint32_t> ref1, ref2;
  {
    Font f;
    auto a = Filled(130, 70, 0u), b = Filled(130, 70, 0u);
    draw(f.font, t1, *a);
    draw(f.font, t2, *b);
    ref1.assign(a->PixelData(), a->PixelData() + a->RowStride() * 70);
    ref2.assign(b->PixelData(), b->PixelData() + b->RowStride() * 70);
  }
  for (int round = 0; round < 5; ++round) {
    Font f;
    auto a = Filled(130, 70, 0u), b = Filled(130, 70, 0u);
    std::thread th1([&] { draw(f.font, t1, *a); });
    std::thread th2([&] { draw(f.font, t2, *b); });
    th1.join();
    th2.join();
    EXPECT_TRUE(std::equal(ref1.begin(), ref1.end(), a->PixelData())) << round;
    EXPECT_TRUE(std::equal(ref2.begin(), ref2.end(), b->PixelData())) << round;
  }
}

}  // namespace
