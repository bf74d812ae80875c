// Text through GDI fonts (run under Wine): the plug-in's knob and label text measured and drawn
// against GDI's own rendering of the same text, alignment as shifts of the plain drawing, clipping,
// the colour-alpha weight, the native path against the glyph cache (x86-64), random UTF-8 bytes
// against a guard page, and two threads sharing one font.
#include <windows.h>

#include "raster/pixfont.h"
#include "raster/pixfontwin.h"
#include "raster/pixsysbitmapwin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "fx/synclock.h"
#include "tests/raster/png_encoder.h"

namespace {

// The plug-in's text font: face "Arial", 14 pixels, normal weight, default quality (as the GUI's
// font cache makes it).
HFONT MakeFont(const char* face = "Arial", int size = 14) {
  return CreateFontA(size, 0, 0, 0, 400, FALSE, FALSE, FALSE, 0, 0, 0, 0, 0, face);
}

void Fill(PIX_IBitmap& bm, uint32_t word) {
  for (int k = 0; k < bm.RowStride() * bm.PixelHeight(); ++k) bm.PixelData()[k] = word;
}

uint32_t At(PIX_IBitmap& bm, int x, int y) { return bm.PixelData()[y * bm.RowStride() + x]; }

IBox InkBox(PIX_IBitmap& bm, uint32_t background) {
  int l = INT32_MAX, t = INT32_MAX, r = INT32_MIN, b = INT32_MIN;
  for (int y = 0; y < bm.PixelHeight(); ++y)
    for (int x = 0; x < bm.PixelWidth(); ++x)
      if (At(bm, x, y) != background) {
        l = std::min(l, x), t = std::min(t, y), r = std::max(r, x + 1), b = std::max(b, y + 1);
      }
  return l > r ? IBox() : IBox(l, t, r, b);
}

// GDI's own coverage of a text drawn white on black at (x, y): the red byte of every pixel.
std::vector<int> GdiCoverage(HFONT font, const wchar_t* text, int x, int y, int w, int h) {
  PIX_SysBitmap bm(w, h);
  Fill(bm, 0xFF000000u);
  HDC dc = static_cast<HDC>(bm.DeviceContext());
  HGDIOBJ old = SelectObject(dc, font);
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkMode(dc, TRANSPARENT);
  RECT r = {x, y, x + 1000, y + 1000};
  DrawTextW(dc, text, -1, &r, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
  GdiFlush();
  SelectObject(dc, old);
  std::vector<int> cov(static_cast<size_t>(w) * h);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) cov[static_cast<size_t>(j) * w + i] = (At(bm, i, j) >> 16) & 0xFF;
  return cov;
}

// Width of each character alone, summed, and the font's height, as GDI measures them.
void GdiExtent(HFONT font, const wchar_t* text, int* width, int* height) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  *width = 0;
  for (const wchar_t* p = text; *p; ++p) {
    SIZE s;
    GetTextExtentPoint32W(dc, p, 1, &s);
    *width += s.cx;
  }
  TEXTMETRICW tm;
  GetTextMetricsW(dc, &tm);
  *height = tm.tmHeight;
  SelectObject(dc, old);
  DeleteDC(dc);
}

// One lane of the coverage mix at W 256: X + (x - X) x (255 - c) / 256, truncated toward zero.
int MixLane(int X, int x, int c) { return X + (x - X) * (255 - c) / 256; }

struct ArialFont {
  PIX_CachedFont font;
  ArialFont(int flags = 0x600) { font.AdoptFontHandle(MakeFont(), flags); }
};

// The knob text: single line, vertically centred, not clipped, centred (0x125), opaque colour
// (255, 64, 64, 64); measuring adds 0x400.
TEST(FontGdi, KnobTextMeasuresAndDrawsLikeGdi) {
  ArialFont f;
  ASSERT_NE(f.font.FontHandle(), nullptr);
  f.font.SetGlyphColour(0xFF404040u);
  int W = 0, H = 0;
  GdiExtent(f.font.FontHandle(), L"-19.0", &W, &H);
  ASSERT_GT(W, 0);
  EXPECT_EQ(f.font.RowHeight(), H);
  IBox m;
  EXPECT_EQ(f.font.RenderText(nullptr, "-19.0", -1, &m, 0x125 | 0x400), H);
  EXPECT_EQ(m, IBox(0, 0, W, H));

  // Drawn centred in (10, 5, 80, 35) over white: x = 10 + (80 - W - 10) / 2, y = 5 + (35 - H - 5) / 2.
  PIX_MemBitmap bm(100, 40);
  Fill(bm, 0xFFFFFFFFu);
  IBox box(10, 5, 80, 35);
  EXPECT_EQ(f.font.RenderText(&bm, "-19.0", -1, &box, 0x125), H);
  const int x = 10 + (80 - W - 10) / 2, y = 5 + (35 - H - 5) / 2;
  const std::vector<int> cov = GdiCoverage(f.font.FontHandle(), L"-19.0", x, y, 100, 40);
  int full = 0;
  for (int j = 0; j < 40; ++j)
    for (int i = 0; i < 100; ++i) {
      const int c = cov[j * 100 + i];
      uint32_t want = 0xFFFFFFFFu;
      if (c == 255) {
        want = 0xFF404040u, ++full;
      } else if (c > 0) {
        const uint32_t lane = static_cast<uint32_t>(MixLane(0x40, 255, c));
        want = 0xFF000000u | lane << 16 | lane << 8 | lane;
      }
      ASSERT_EQ(At(bm, i, j), want) << i << "," << j << " coverage " << c;
    }
  EXPECT_GT(full, 10);  // the digits have solid stems
}

// The version label: colour (150, 255, 202, 63), so 0x40000000 joins the flags and the weight is
// 150 / 255: W = 150. Full coverage: k = 256 - 150 x 255 / 256 = 256 - 149 = 107; over opaque black
// red 255 - 255 x 107 / 256 = 255 - 106 = 149, green 202 - 84 = 118, blue 63 - 26 = 37, alpha 255.
TEST(FontGdi, LabelColourOverBlack) {
  ArialFont f;
  f.font.SetGlyphColour(0x96FFCA3Fu);
  PIX_MemBitmap bm(640, 480);
  Fill(bm, 0xFF000000u);
  IBox box(216, 447, 254, 459);
  f.font.RenderText(&bm, "v1.0", -1, &box, 0x40000125);
  int W = 0, H = 0;
  GdiExtent(f.font.FontHandle(), L"v1.0", &W, &H);
  const int x = 216 + (254 - W - 216) / 2, y = 447 + (459 - H - 447) / 2;
  const std::vector<int> cov = GdiCoverage(f.font.FontHandle(), L"v1.0", x, y, 640, 480);
  int full = 0;
  for (int j = 0; j < 480; ++j)
    for (int i = 0; i < 640; ++i) {
      const int c = cov[j * 640 + i];
      if (c == 255) {
        ++full;
        ASSERT_EQ(At(bm, i, j), 0xFF957625u) << i << "," << j;
      } else if (c == 0) {
        ASSERT_EQ(At(bm, i, j), 0xFF000000u) << i << "," << j;
      }
    }
  EXPECT_GT(full, 5);
  EXPECT_EQ(f.font.BlendWeight(), 1.0f);
}

// kTextColourAlpha at alpha 0x80: W = 128 / 255 x 256 = 128 (128.5 truncated); full coverage
// k = 256 - 128 x 255 / 256 = 129; over white 64 + 191 x 129 / 256 = 64 + 96 = 160.
TEST(FontGdi, ColourAlphaScalesFullCoverage) {
  ArialFont f;
  f.font.SetGlyphColour(0x80404040u);
  PIX_MemBitmap a(60, 30), b(60, 30);
  Fill(a, 0xFFFFFFFFu);
  Fill(b, 0xFFFFFFFFu);
  IBox box(2, 2, 60, 30);
  f.font.RenderText(&a, "-19.0", -1, &box, 0x40000020);
  box = IBox(2, 2, 60, 30);
  f.font.RenderText(&b, "-19.0", -1, &box, 0x20);  // the colour's alpha ignored
  int full = 0;
  for (int j = 0; j < 30; ++j)
    for (int i = 0; i < 60; ++i)
      if (At(b, i, j) == 0xFF404040u) {
        ++full;
        EXPECT_EQ(At(a, i, j), 0xFFA0A0A0u);
      }
  EXPECT_GT(full, 10);
}

// Every alignment flag moves the plain (left, top) drawing by the offset worked out from the
// measured W x H; nothing else changes.
TEST(FontGdi, AlignmentFlagsShiftThePlainDrawing) {
  ArialFont f;
  f.font.SetGlyphColour(0xFF000000u);
  const IBox box(20, 10, 120, 60);
  IBox m;
  f.font.RenderText(nullptr, "Ag", -1, &m, kTextCalcRect);
  const int W = m.Width(), H = m.Height();
  ASSERT_GT(W, 0);
  PIX_MemBitmap plain(140, 70);
  Fill(plain, 0xFFFFFFFFu);
  IBox b = box;
  f.font.RenderText(&plain, "Ag", -1, &b, 0);
  struct Case {
    int flags, dx, dy;
  } cases[] = {
      {kTextCenter, (120 - W - 20) / 2, 0},
      {kTextRight, 120 - W - 20, 0},
      {kTextVCenter, 0, (60 - H - 10) / 2},
      {kTextBottom, 0, 60 - H - 10},
      {kTextCenter | kTextBottom, (120 - W - 20) / 2, 60 - H - 10},
  };
  for (const Case& c : cases) {
    PIX_MemBitmap bm(140, 70);
    Fill(bm, 0xFFFFFFFFu);
    b = box;
    f.font.RenderText(&bm, "Ag", -1, &b, c.flags);
    for (int y = 0; y < 70; ++y)
      for (int x = 0; x < 140; ++x) {
        const int sx = x - c.dx, sy = y - c.dy;
        const bool inside = sx >= 0 && sy >= 0 && sx < 140 && sy < 70;
        ASSERT_EQ(At(bm, x, y), inside ? At(plain, sx, sy) : 0xFFFFFFFFu)
            << "flags " << c.flags << " at " << x << "," << y;
      }
  }
  // Single line: the line feed is drawn as a space, like "A g".
  PIX_MemBitmap s1(140, 70), s2(140, 70);
  Fill(s1, 0xFFFFFFFFu);
  Fill(s2, 0xFFFFFFFFu);
  b = box;
  f.font.RenderText(&s1, "A\ng", -1, &b, kTextSingleLine | kTextCenter);
  b = box;
  f.font.RenderText(&s2, "A g", -1, &b, kTextSingleLine | kTextCenter);
  EXPECT_TRUE(std::equal(s1.PixelData(), s1.PixelData() + s1.RowStride() * 70, s2.PixelData()));
  // Without it, 'g' starts the next line at the box's left, one line height lower.
  PIX_MemBitmap two(140, 70), parts(140, 70);
  Fill(two, 0xFFFFFFFFu);
  Fill(parts, 0xFFFFFFFFu);
  b = box;
  // The result: the lowest glyph edge less the top, two line heights (each glyph is a line high).
  EXPECT_EQ(f.font.RenderText(&two, "A\ng", -1, &b, 0), 2 * f.font.RowHeight());
  b = box;
  f.font.RenderText(&parts, "A", -1, &b, 0);
  b = IBox(20, 10 + f.font.RowHeight(), 120, 60);
  f.font.RenderText(&parts, "g", -1, &b, 0);
  EXPECT_TRUE(std::equal(two.PixelData(), two.PixelData() + two.RowStride() * 70, parts.PixelData()));
}

TEST(FontGdi, ClippingStaysInTheBoxAndTheBitmap) {
  ArialFont f;
  f.font.SetGlyphColour(0xFF000000u);
  // 37 wide: stride 40, three padding columns that must keep their word.
  PIX_MemBitmap clipped(37, 20), free(37, 20);
  Fill(clipped, 0xFFFFFFFFu);
  Fill(free, 0xFFFFFFFFu);
  IBox box(5, 5, 30, 15);
  f.font.RenderText(&clipped, "-19.0-19.0", -1, &box, 0);
  box = IBox(5, 5, 30, 15);
  f.font.RenderText(&free, "-19.0-19.0", -1, &box, kTextNoClip);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) {
      const bool inBox = x >= 5 && x < 30 && y >= 5 && y < 15;
      if (inBox) ASSERT_EQ(At(clipped, x, y), At(free, x, y)) << x << "," << y;
      else ASSERT_EQ(At(clipped, x, y), 0xFFFFFFFFu) << x << "," << y;
      if (x >= 37) {
        ASSERT_EQ(At(free, x, y), 0xFFFFFFFFu);
      }
    }
  EXPECT_NE(InkBox(free, 0xFFFFFFFFu).mRight, InkBox(clipped, 0xFFFFFFFFu).mRight);
  // Hanging over all four edges.
  PIX_MemBitmap edge(37, 20);
  Fill(edge, 0xFFFFFFFFu);
  box = IBox(-6, -7, 60, 40);
  f.font.RenderText(&edge, "-19.0 Ag\n-19.0 Ag\n-19.0", -1, &box, kTextNoClip);
  for (int y = 0; y < 20; ++y)
    for (int x = 37; x < 40; ++x) ASSERT_EQ(At(edge, x, y), 0xFFFFFFFFu);
  EXPECT_EQ(InkBox(edge, 0xFFFFFFFFu).mLeft, 0);
}

// Random bytes, mostly lead and continuation bytes, placed against a no-access page: a read past the
// given length faults. Drawn and measured through the glyph cache (and the native path on x86-64).
TEST(FontGdi, RandomUtf8NeverReadsPastTheLength) {
  SYSTEM_INFO si;
  GetSystemInfo(&si);
  const DWORD page = si.dwPageSize;
  uint8_t* block = static_cast<uint8_t*>(VirtualAlloc(nullptr, page * 2, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  ASSERT_NE(block, nullptr);
  DWORD old = 0;
  ASSERT_TRUE(VirtualProtect(block + page, page, PAGE_NOACCESS, &old));
  ArialFont f;
  f.font.SetGlyphColour(0xFF102030u);
  PIX_MemBitmap mem(64, 24);
  PIX_SysBitmap sys(64, 24);
  uint32_t s = 12345;
  auto next = [&s]() { return s = s * 1103515245u + 12345u, (s >> 16) & 0x7FFF; };
  static const uint8_t kBytes[] = {0xC2, 0xDF, 0xE0, 0xE2, 0xEF, 0xF0, 0xF4, 0xF5, 0x80, 0xBF, 0xC0, 0xC1, 'A', '\n', '\r', ' '};
  for (int round = 0; round < 3000; ++round) {
    const int n = static_cast<int>(next() % 12);
    uint8_t* text = block + page - n;
    for (int i = 0; i < n; ++i) text[i] = next() % 4 ? kBytes[next() % 16] : static_cast<uint8_t>(next() | 1);
    const char* t = reinterpret_cast<const char*>(text);
    IBox m;
    f.font.RenderText(nullptr, t, n, &m, kTextCalcRect | (round & 1 ? kTextSingleLine : 0));
    IBox box(-3, 2, 60, 30);
    f.font.RenderText(&mem, t, n, &box, round & 0x10F);
#if defined(_WIN64)
    {
      SyncLockScope hold(PIX_FontLock());
      gUnderWine = 0;  // force the native path
    }
    box = IBox(-3, 2, 60, 30);
    f.font.RenderText(&sys, t, n, &box, 0x20 | (round & 0x10F));
    box = IBox(-3, 2, 60, 30);
    f.font.RenderText(&mem, t, n, &box, 0x20 | (round & 0x10F));
    f.font.RenderText(nullptr, t, n, &m, kTextCalcRect);
    {
      SyncLockScope hold(PIX_FontLock());
      gUnderWine = -1;
    }
#endif
  }
  VirtualFree(block, 0, MEM_RELEASE);
}

// Text with many distinct characters, so that both threads capture glyphs into the one font while
// the other draws.
std::string ManyCodes(int start) {
  std::string s;
  for (int c = start; c < start + 160; ++c) {
    s += static_cast<char>(0xC0 | (c >> 6));
    s += static_cast<char>(0x80 | (c & 0x3F));
    if (c % 16 == 0) s += '\n';
  }
  return s;
}

TEST(FontGdi, TwoThreadsDrawLikeOne) {
  const std::string t1 = ManyCodes(0xA0), t2 = ManyCodes(0x400);
  auto draw = [](PIX_CachedFont& font, const std::string& text, PIX_MemBitmap& bm) {
    for (int k = 0; k < 3; ++k) {
      IBox box(k, k, bm.PixelWidth(), bm.PixelHeight());
      font.RenderText(&bm, text.c_str(), -1, &box, kTextNoNative);
    }
  };
  std::vector<uint32_t> ref1, ref2;
  {
    ArialFont f;
    PIX_MemBitmap a(260, 180), b(260, 180);
    Fill(a, 0xFFFFFFFFu);
    Fill(b, 0xFFFFFFFFu);
    draw(f.font, t1, a);
    draw(f.font, t2, b);
    ref1.assign(a.PixelData(), a.PixelData() + a.RowStride() * 180);
    ref2.assign(b.PixelData(), b.PixelData() + b.RowStride() * 180);
  }
  for (int round = 0; round < 3; ++round) {
    ArialFont f;
    PIX_MemBitmap a(260, 180), b(260, 180);
    Fill(a, 0xFFFFFFFFu);
    Fill(b, 0xFFFFFFFFu);
    std::thread th1([&] { draw(f.font, t1, a); });
    std::thread th2([&] { draw(f.font, t2, b); });
    th1.join();
    th2.join();
    EXPECT_TRUE(std::equal(ref1.begin(), ref1.end(), a.PixelData())) << round;
    EXPECT_TRUE(std::equal(ref2.begin(), ref2.end(), b.PixelData())) << round;
  }
}

#if defined(_WIN64)

struct ForceNative {
  ForceNative() {
    SyncLockScope hold(PIX_FontLock());
    gUnderWine = 0;
  }
  ~ForceNative() {
    SyncLockScope hold(PIX_FontLock());
    gUnderWine = -1;
  }
};

TEST(FontGdiNative, ProbeRunsOnlyPastTheFlagNoNativeAndHandleTests) {
  {
    SyncLockScope hold(PIX_FontLock());
    gUnderWine = -1;
  }
  PIX_MemBitmap bm(40, 20);
  IBox box(0, 0, 40, 20);
  ArialFont cacheOnly(0x200);  // no kFontAllowNative
  cacheOnly.font.RenderText(&bm, "x", -1, &box, 0);
  EXPECT_EQ(gUnderWine, -1);
  ArialFont native;
  native.font.RenderText(&bm, "x", -1, &box, kTextNoNative);
  EXPECT_EQ(gUnderWine, -1);
  native.font.RenderText(&bm, "x", -1, &box, 0);
  EXPECT_EQ(gUnderWine, 1);  // "Software\Wine" exists under Wine
}

// The same call drawn natively (straight into the section's DC, and through the text scratch for a
// bitmap without one) and through the glyph cache puts the ink in the same place.
TEST(FontGdiNative, NativeAndCachedPlacementAgree) {
  ForceNative force;
  ArialFont f;
  f.font.SetGlyphColour(0xFF404040u);
  for (int flags : {0x125, 0x20, 0x2A, 0x21 | kTextVCenter}) {
    PIX_SysBitmap nat(100, 40), cached(100, 40);
    PIX_MemBitmap natMem(100, 40);
    Fill(nat, 0xFFFFFFFFu);
    Fill(cached, 0xFFFFFFFFu);
    Fill(natMem, 0xFFFFFFFFu);
    IBox b1(10, 5, 80, 35), b2(10, 5, 80, 35), b3(10, 5, 80, 35);
    f.font.RenderText(&nat, "-19.0", -1, &b1, flags);
    f.font.RenderText(&natMem, "-19.0", -1, &b3, flags);
    f.font.RenderText(&cached, "-19.0", -1, &b2, flags | kTextNoNative);
    const IBox ink = InkBox(cached, 0xFFFFFFFFu);
    EXPECT_NE(ink, IBox());
    EXPECT_EQ(InkBox(nat, 0xFFFFFFFFu), ink) << flags;
    EXPECT_EQ(InkBox(natMem, 0xFFFFFFFFu), ink) << flags;
    // Solid pixels agree too: where the cache wrote the full colour, so did GDI.
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 100; ++x)
        if (At(cached, x, y) == 0xFF404040u) {
          EXPECT_EQ(At(nat, x, y) & 0xFFFFFF, 0x404040u) << flags << " " << x << "," << y;
          EXPECT_EQ(At(natMem, x, y) & 0xFFFFFF, 0x404040u) << flags << " " << x << "," << y;
        }
  }
  // Measuring natively gives the cache's box.
  IBox n, c;
  f.font.RenderText(nullptr, "-19.0", -1, &n, 0x525);
  f.font.RenderText(nullptr, "-19.0", -1, &c, 0x525 | kTextNoNative);
  EXPECT_EQ(n, c);
  // UTF-8 goes to GDI as UTF-16: "é" measures like the glyph cache's U+00E9.
  f.font.RenderText(nullptr, "\xC3\xA9", -1, &n, kTextCalcRect);
  f.font.RenderText(nullptr, "\xC3\xA9", -1, &c, kTextCalcRect | kTextNoNative);
  EXPECT_EQ(n, c);
}

TEST(FontGdiNative, ColourAlphaStaysOnTheCache) {
  ForceNative force;
  ArialFont f;
  f.font.SetGlyphColour(0x80404040u);
  PIX_SysBitmap a(60, 30), b(60, 30);
  Fill(a, 0xFFFFFFFFu);
  Fill(b, 0xFFFFFFFFu);
  IBox box(2, 2, 60, 30);
  f.font.RenderText(&a, "-19.0", -1, &box, 0x40000020);
  box = IBox(2, 2, 60, 30);
  f.font.RenderText(&b, "-19.0", -1, &box, 0x40000020 | kTextNoNative);
  EXPECT_TRUE(std::equal(a.PixelData(), a.PixelData() + a.RowStride() * 30, b.PixelData()));
}

#endif

// With QO_TEXT_PNG set, writes the knob and label text (drawn 4x enlarged) to that file, to look at.
TEST(FontGdi, WritesARenderingWhenAsked) {
  const char* path = std::getenv("QO_TEXT_PNG");
  if (!path) GTEST_SKIP() << "QO_TEXT_PNG not set";
  PIX_MemBitmap bm(120, 50);
  Fill(bm, 0xFFFFFFFFu);
  ArialFont f;
  f.font.SetGlyphColour(0xFF404040u);
  IBox box(0, 0, 120, 25);
  f.font.RenderText(&bm, "-19.0", -1, &box, 0x125);
  ArialFont label;
  label.font.SetGlyphColour(0x96FFCA3Fu);
  for (int y = 25; y < 50; ++y)
    for (int x = 0; x < 120; ++x) bm.PixelData()[y * bm.RowStride() + x] = 0xFF000000u;
  box = IBox(0, 25, 120, 50);
  label.font.RenderText(&bm, "v1.0 \xC3\xA9\xE2\x82\xAC", -1, &box, 0x40000125);
  pngtest::Image img;
  img.width = 480;
  img.height = 200;
  img.colourType = pngtest::kRgb;
  img.Allocate();
  for (uint32_t y = 0; y < 200; ++y)
    for (uint32_t x = 0; x < 480; ++x) {
      const uint32_t p = At(bm, x / 4, y / 4);
      img.At(x, y, 0) = (p >> 16) & 0xFF;
      img.At(x, y, 1) = (p >> 8) & 0xFF;
      img.At(x, y, 2) = p & 0xFF;
    }
  const pngtest::Bytes png = pngtest::Encode(img);
  FILE* out = std::fopen(path, "wb");
  ASSERT_NE(out, nullptr);
  std::fwrite(png.data(), 1, png.size(), out);
  std::fclose(out);
}

}  // namespace
