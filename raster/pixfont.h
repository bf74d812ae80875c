// Fonts of the raster library: a GDI font handle wrapped in PIX_CachedFont, which renders each
// character once (white on black) into a shared scratch bitmap, keeps its coverage as an 8-bit image
// and blends it onto any bitmap in the glyph colour through the shared combiners. On x86-64 Windows
// builds opaque text may instead go straight to GDI (the native path). Text is UTF-8.
//
// Every font and the shared scratch bitmaps are used by all plug-in instances of the module, whose
// editors may paint on different threads: one process-wide lock serialises all text drawing,
// measuring, handle adoption and font destruction.
//
// This header is portable: the font handle is an opaque pointer here (the same type as <windows.h>'s
// HFONT in the Windows builds).
#pragma once

#include <cstdint>

#include "fx/containers.h"
#include "fx/records.h"
#include "raster/pixbitmap.h"

struct HFONT__;
typedef HFONT__* HFONT;

// Font flags (AdoptFontHandle).
enum : int32_t {
  kFontVertical = 0x1,           // glyphs turned a quarter turn clockwise, the pen moves down
  kFontVerticalReversed = 0x2,   // with kFontVertical: anticlockwise, the pen moves up from the bottom
  kFontPrecacheAscii = 0x4,      // codes 0-127 captured at adoption; codes from 128 never cached
  kFontSmooth = 0x10,            // 3x3 softening before capture
  kFontInvert = 0x20,            // coverage stored as 255 - value
  kFontMono = 0x40,              // coverage above 130 becomes 255, the rest 0
  kFontShadow = 0x80,            // mono plus a 128 shadow right, down and right-down
  kFontOutline = 0x100,          // mono plus a 128 outline on the four neighbours
  kFontOwnsHandle = 0x200,       // the font deletes its handle
  kFontAllowNative = 0x400,      // text may go the native path
};

// RenderText flags: the low bits are the Windows DrawText format bits (same values), the two high
// bits the library's own.
enum : int32_t {
  kTextCenter = 0x1,
  kTextRight = 0x2,
  kTextVCenter = 0x4,
  kTextBottom = 0x8,
  kTextSingleLine = 0x20,
  kTextNoClip = 0x100,
  kTextCalcRect = 0x400,
  kTextColourAlpha = 0x40000000,                       // weight x colour alpha / 255; no native path
  kTextNoNative = static_cast<int32_t>(0x80000000u),   // no native path
};

// A target whose QueryFeature answers non-zero to this code is always drawn through the glyph cache.
constexpr int kFeatureGlyphCacheOnly = 0x59555678;

struct GlyphRecord {
  int32_t imageOffset;  // 1-based offset in the image block; 0 not captured; -1 nothing to draw
  int32_t width;
  int32_t height;
  int32_t advance;
  int32_t code;
};

class PIX_IFont {
 public:
  virtual ~PIX_IFont() {}
  virtual void AdoptFontHandle(HFONT handle, int flags) = 0;
  virtual uint32_t SetGlyphColour(uint32_t colour) = 0;
  virtual uint32_t SetBackgroundColour(uint32_t colour) = 0;
  virtual uint32_t SetAccentColour(uint32_t colour) = 0;
  virtual int SetBackgroundMode(int mode) = 0;
  virtual void SetBlending(int mode, float weight) = 0;
  // Draws or (with kTextCalcRect) measures UTF-8 text of length bytes (negative: up to the NUL) in
  // box {left, top, right, bottom}. Returns the text's height (its width for vertical fonts on the
  // glyph-cache path). A null box or null text draws nothing and returns 0.
  virtual int RenderText(PIX_IBitmap* target, const char* text, int length, IBox* box, int flags) = 0;
  virtual uint32_t GlyphColour() = 0;
  virtual HFONT FontHandle() = 0;
  virtual int RowHeight() = 0;
};

class PIX_CachedFont : public PIX_IFont {
 public:
  PIX_CachedFont();
  ~PIX_CachedFont() override;
  PIX_CachedFont(const PIX_CachedFont&) = delete;
  PIX_CachedFont& operator=(const PIX_CachedFont&) = delete;

  void AdoptFontHandle(HFONT handle, int flags) override;
  uint32_t SetGlyphColour(uint32_t colour) override;
  uint32_t SetBackgroundColour(uint32_t colour) override;
  uint32_t SetAccentColour(uint32_t colour) override;
  int SetBackgroundMode(int mode) override;
  void SetBlending(int mode, float weight) override;
  int RenderText(PIX_IBitmap* target, const char* text, int length, IBox* box, int flags) override;
  uint32_t GlyphColour() override { return mGlyphColour; }
  HFONT FontHandle() override { return mFont; }
  int RowHeight() override { return mLineHeight; }
  // Draws one cached glyph (no capture) with its top-left at (x, y), clipped to clip (null: the
  // whole target) and always to the target. False when the glyph has no image or lies wholly
  // outside.
  virtual bool RenderTextFromCache(PIX_IBitmap* target, uint16_t code, int x, int y, const IBox* clip);

  // Read access for the system text path and for tests.
  uint32_t BackgroundColour() const { return mBackgroundColour; }
  uint32_t AccentColour() const { return mAccentColour; }
  int BackgroundMode() const { return mBackgroundMode; }
  int BlendMode() const { return mBlendMode; }
  float BlendWeight() const { return mBlendWeight; }
  int Flags() const { return mFlags; }
  int LineSpacing() const { return mLineSpacing; }
  // The record of a code, or null (no capture).
  const GlyphRecord* FindGlyph(int code) const;
  int GlyphListCount() const { return mGlyphList.Count(); }
  int GlyphImageBytes() const { return mGlyphImages.Count(); }
  const uint8_t* GlyphImage(const GlyphRecord& r) const;

 private:
  GlyphRecord* FindGlyphRecord(int code);
  bool CaptureGlyph(int code);
  // The record to draw or measure for a code, capturing it when needed; null to skip the character.
  GlyphRecord* PreparedGlyph(int code);
  int MeasureCached(const char* text, int length, IBox* box, int flags);
  int DrawCached(PIX_IBitmap* target, const char* text, int length, IBox* box, int flags,
                 bool noNative);
  bool WantsNative(int flags, bool noNative);

  uint32_t mGlyphColour = 0;
  uint32_t mBackgroundColour = 0xFFFFFFFFu;
  uint32_t mAccentColour = 0xFFFFFFFFu;
  int32_t mBackgroundMode = 1;
  int32_t mBlendMode = 0;
  float mBlendWeight = 1.0f;
  int32_t mFlags = 0;
  int32_t mLineHeight = 0;
  int32_t mLineSpacing = 0;
  GlyphRecord mGlyphIndex[128];
  TypedBlock<GlyphRecord> mGlyphList{4096};
  TypedBlock<uint8_t> mGlyphImages{65536};
  HFONT mFont = nullptr;
};

// Process-wide font state (guarded by the font lock).
extern int gFontInstanceCount;
extern PIX_IBitmap* gGlyphScratch;

// The process-wide lock of all text drawing (recursive; never destroyed).
class SyncLock;
SyncLock* PIX_FontLock();

// Where glyph images come from. Null members (or no source) mean the system's: GDI in the Windows
// builds, nothing elsewhere (every glyph then has nothing to draw). Tests install their own.
struct PIX_GlyphSource {
  // tmHeight of the font.
  int (*lineHeight)(HFONT font);
  // Renders the character white on black into the top-left of scratch: measures its advance a and
  // height h, clears (0, 0, w, h) with w = a + 2 + (lineHeight >= 16 ? lineHeight / 16 : 0) and
  // draws it there. Reports a, h and w (not yet limited to the scratch).
  void (*render)(PIX_IBitmap* scratch, HFONT font, int code, int lineHeight, int* advance,
                 int* height, int* cellWidth);
};
void PIX_SetGlyphSource(const PIX_GlyphSource* source);
