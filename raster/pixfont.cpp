// PIX_CachedFont: the glyph cache, text measuring and drawing through the cache, and the choice of
// path. The system half (GDI rendering, the native path) is in pixfontsys.h.
#include "raster/pixfont.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "fx/synclock.h"
#include "raster/pixcombine.h"
#include "raster/pixfill.h"
#include "raster/pixfontsys.h"
#include "raster/pixpaint.h"
#include "raster/pixtextlayout.h"
#include "raster/pixutf8.h"

int gFontInstanceCount = 0;
PIX_IBitmap* gGlyphScratch = nullptr;

namespace {

using CombinerFn = void (*)(uint32_t*, int, int, int, int, int);

const PIX_GlyphSource* gGlyphSource = nullptr;

int LineHeightFromSource(PIX_IBitmap* scratch, HFONT font) {
  if (gGlyphSource && gGlyphSource->lineHeight) return gGlyphSource->lineHeight(font);
  return pixfontsys::LineHeightOf(scratch, font);
}

void RenderFromSource(PIX_IBitmap* scratch, HFONT font, int code, int lineHeight, int* a, int* h,
                      int* w) {
  *a = *h = *w = 0;
  if (gGlyphSource && gGlyphSource->render)
    gGlyphSource->render(scratch, font, code, lineHeight, a, h, w);
  else
    pixfontsys::RenderGlyph(scratch, font, code, lineHeight, a, h, w);
}

// The glyph scratch, at least n x n; null when it cannot be had.
PIX_IBitmap* GlyphScratch(int n) {
  if (!gGlyphScratch) gGlyphScratch = pixfontsys::NewGlyphScratch();
  if (!gGlyphScratch) return nullptr;
  const int w = gGlyphScratch->PixelWidth(), h = gGlyphScratch->PixelHeight();
  if (w < n || h < n) {
    gGlyphScratch->ChangeDimensions(std::max(w, n), std::max(h, n));
    pixfontsys::PrepareGlyphScratch(gGlyphScratch);
  }
  if (!gGlyphScratch->PixelData() || gGlyphScratch->PixelWidth() < n ||
      gGlyphScratch->PixelHeight() < n)
    return nullptr;
  return gGlyphScratch;
}

// Rows counted from the top, whatever the storage order.
using Rows = pixpaint::TopRows;
Rows RowsOf(PIX_IBitmap* bm) { return pixpaint::TopRowsOf(bm, bm->PixelData()); }

using pixpaint::Lane;
using pixpaint::Pack;

// Mix toward the colour: x = X + (x - X) x k / 256 on the colour lanes, alpha toward 255.
inline void MixToward(uint32_t* p, int R, int G, int B, int k) {
  const uint32_t d = *p;
  *p = Pack(255 + (Lane(d, 24) - 255) * k / 256, R + (Lane(d, 16) - R) * k / 256,
            G + (Lane(d, 8) - G) * k / 256, B + (Lane(d, 0) - B) * k / 256);
}

// Multiply by the weighted colour: x = x (65536 + w (X - 256)) >> 16, alpha a (65536 - w) >> 16.
inline void MultiplyToward(uint32_t* p, int R, int G, int B, int w) {
  const uint32_t d = *p;
  *p = Pack((Lane(d, 24) * (65536 - w)) >> 16, (Lane(d, 16) * (65536 + w * (R - 256))) >> 16,
            (Lane(d, 8) * (65536 + w * (G - 256))) >> 16, (Lane(d, 0) * (65536 + w * (B - 256))) >> 16);
}

CombinerFn CombinerOf(int mode) {
  switch (mode) {
    case kRasterAdd: return CombineAdd;
    case kRasterDodge: return CombineDodge;
    case kRasterSoftLight: return CombineSoftLight;
    case kRasterHsvAdjust: return CombineHsvAdjust;
    default: return nullptr;
  }
}

// Order of the sorted glyph list by code: negative, 0 or positive as a is below, equal to or above b
// (the sign of a - b, without overflow for any code asked for).
inline int GlyphKeyCompare(int a, int b) { return (a > b) - (a < b); }

// The per-pixel weight of coverage c under the integer weight W.
inline int CoverageWeight(int W, int c) {
  if (W == 256) return c + 1;
  return W * c >= 65792 ? 256 : W * c / 256;
}

// Runs op(pixel, coverage) on every pixel of a cw x ch block with non-zero coverage.
template <class Op>
void ForCovered(const uint8_t* cov, int covStep, const Rows& rows, int px, int py, int cw, int ch,
                Op op) {
  for (int j = 0; j < ch; ++j) {
    const uint8_t* c = cov + static_cast<int64_t>(covStep) * j;
    uint32_t* p = rows.Row(py + j) + px;
    for (int i = 0; i < cw; ++i)
      if (c[i]) op(p + i, c[i]);
  }
}

}  // namespace

SyncLock* PIX_FontLock() {
  // Made on first use and never destroyed, so fonts deleted by other static destructors at module
  // unload still find it.
  static SyncLock* lock = new SyncLock;
  return lock;
}

void PIX_SetGlyphSource(const PIX_GlyphSource* source) {
  SyncLockScope hold(PIX_FontLock());
  gGlyphSource = source;
}

PIX_CachedFont::PIX_CachedFont() {
  std::memset(mGlyphIndex, 0, sizeof mGlyphIndex);
  SyncLockScope hold(PIX_FontLock());
  ++gFontInstanceCount;
}

PIX_CachedFont::~PIX_CachedFont() {
  SyncLockScope hold(PIX_FontLock());
  if ((mFlags & kFontOwnsHandle) && mFont) pixfontsys::DeleteFontHandle(mFont);
  mFont = nullptr;
  if (--gFontInstanceCount == 0) {
    delete gGlyphScratch;
    gGlyphScratch = nullptr;
    pixfontsys::DeleteTextScratch();
  }
}

uint32_t PIX_CachedFont::SetGlyphColour(uint32_t colour) { return std::exchange(mGlyphColour, colour); }
uint32_t PIX_CachedFont::SetBackgroundColour(uint32_t colour) {
  return std::exchange(mBackgroundColour, colour);
}
uint32_t PIX_CachedFont::SetAccentColour(uint32_t colour) { return std::exchange(mAccentColour, colour); }
int PIX_CachedFont::SetBackgroundMode(int mode) { return std::exchange(mBackgroundMode, mode); }
void PIX_CachedFont::SetBlending(int mode, float weight) {
  SyncLockScope hold(PIX_FontLock());  // drawing keeps a temporary weight in the font
  mBlendMode = mode;
  mBlendWeight = weight;
}

void PIX_CachedFont::AdoptFontHandle(HFONT handle, int flags) {
  SyncLockScope hold(PIX_FontLock());
  if ((mFlags & kFontOwnsHandle) && mFont && mFont != handle) pixfontsys::DeleteFontHandle(mFont);
  mFlags = flags;
  mFont = handle;
  if (handle) {
    if (PIX_IBitmap* scratch = GlyphScratch(256)) mLineHeight = LineHeightFromSource(scratch, handle);
  }
  std::memset(mGlyphIndex, 0, sizeof mGlyphIndex);
  mGlyphList.Resize(0, false);
  mGlyphImages.Resize(0, false);
  if (mFlags & kFontPrecacheAscii)
    for (int c = 0; c < 128; ++c) CaptureGlyph(c);
}

const GlyphRecord* PIX_CachedFont::FindGlyph(int code) const {
  return const_cast<PIX_CachedFont*>(this)->FindGlyphRecord(code);
}

GlyphRecord* PIX_CachedFont::FindGlyphRecord(int code) {
  if (code >= 0 && code < 128) return &mGlyphIndex[code];
  GlyphRecord* list = mGlyphList.Get();
  int lo = 0, hi = mGlyphList.Count() - 1;
  while (lo <= hi) {
    const int mid = lo + (hi - lo) / 2;
    const int diff = GlyphKeyCompare(list[mid].code, code);
    if (diff == 0) return &list[mid];
    if (diff < 0) lo = mid + 1;
    else hi = mid - 1;
  }
  return nullptr;
}

const uint8_t* PIX_CachedFont::GlyphImage(const GlyphRecord& r) const {
  if (r.imageOffset <= 0) return nullptr;
  const int64_t end = static_cast<int64_t>(r.imageOffset) - 1 + static_cast<int64_t>(r.width) * r.height;
  if (end > mGlyphImages.Count()) return nullptr;
  return mGlyphImages.Get() + (r.imageOffset - 1);
}

bool PIX_CachedFont::CaptureGlyph(int code) {
  if (mLineHeight >= 1024) return false;
  GlyphRecord* rec = FindGlyphRecord(code);
  bool added = false;
  if (!rec) {
    if (mFlags & kFontPrecacheAscii) return false;
    const int count = mGlyphList.Count();
    if (!mGlyphList.Resize(count + 1, false)) return false;
    rec = &mGlyphList.Get()[count];
    *rec = GlyphRecord{0, 0, 0, 0, code};
    added = true;
  }
  auto finish = [&]() {
    if (added) {
      // The rest of the list is sorted: the new record only moves into its place (sorting the whole
      // list for every new glyph made text of many distinct characters very slow).
      GlyphRecord* list = mGlyphList.Get();
      GlyphRecord* last = list + mGlyphList.Count() - 1;
      auto byCode = [](const GlyphRecord& x, const GlyphRecord& y) {
        return GlyphKeyCompare(x.code, y.code) < 0;
      };
      std::rotate(std::upper_bound(list, last, *last, byCode), last, last + 1);
    }
    return true;
  };
  auto nothing = [&]() {
    rec->imageOffset = -1;
    rec->width = rec->height = rec->advance = 0;
    return finish();
  };

  const int n = std::max(mLineHeight, 1) * 2 + 8;
  PIX_IBitmap* scratch = GlyphScratch(n);
  if (!scratch) return nothing();
  int a = 0, h = 0, w = 0;
  RenderFromSource(scratch, mFont, code, mLineHeight, &a, &h, &w);
  const int sw = scratch->PixelWidth(), sh = scratch->PixelHeight();
  a = std::min(a, sw);
  w = std::min(w, sw);
  h = std::min(h, sh);
  if (a < 1 || h < 1 || w < 1) return nothing();
  rec->advance = a;
  if (mFlags & kFontSmooth) PIX_Smooth3x3(scratch, w, h);

  const int oldSize = mGlyphImages.Count();
  if (!mGlyphImages.Resize(static_cast<int64_t>(oldSize) + static_cast<int64_t>(w) * h, false))
    return nothing();
  rec->imageOffset = oldSize + 1;
  uint8_t* img = mGlyphImages.Get() + oldSize;
  const Rows rows = RowsOf(scratch);
  const bool invert = (mFlags & kFontInvert) != 0;
  int used = a;
  for (int j = 0; j < h; ++j) {
    const uint32_t* src = rows.Row(j);
    for (int i = 0; i < w; ++i) {
      const int raw = Lane(src[i], 16);
      if (i >= used && raw != 0) used = i + 1;
      img[static_cast<int64_t>(j) * w + i] = static_cast<uint8_t>(invert ? 255 - raw : raw);
    }
  }
  if (used < w) {
    for (int j = 1; j < h; ++j)
      std::memmove(img + static_cast<int64_t>(j) * used, img + static_cast<int64_t>(j) * w, used);
    w = used;
    mGlyphImages.Resize(static_cast<int64_t>(oldSize) + static_cast<int64_t>(w) * h, false);
    img = mGlyphImages.Get() + oldSize;
  }

  if (mFlags & kFontVertical) {
    // The scratch's pixel memory holds the unturned copy: w x h bytes fit in its n x n words.
    uint8_t* tmp = reinterpret_cast<uint8_t*>(scratch->PixelData());
    std::memcpy(tmp, img, static_cast<size_t>(w) * h);
    const int nw = h, nh = w;
    const bool reversed = (mFlags & kFontVerticalReversed) != 0;
    for (int i = 0; i < nh; ++i)
      for (int j = 0; j < nw; ++j) {
        // Clockwise: new (i, j) = old (h - 1 - j, i); anticlockwise: old (j, w - 1 - i).
        const uint8_t v = reversed ? tmp[static_cast<int64_t>(j) * w + (w - 1 - i)]
                                   : tmp[static_cast<int64_t>(h - 1 - j) * w + i];
        img[static_cast<int64_t>(i) * nw + j] = v;
      }
    w = nw;
    h = nh;
  }

  if (mFlags & (kFontMono | kFontShadow | kFontOutline)) {
    const int64_t count = static_cast<int64_t>(w) * h;
    for (int64_t k = 0; k < count; ++k) img[k] = img[k] > 130 ? 255 : 0;
    if (mFlags & (kFontShadow | kFontOutline)) {
      const bool shadow = (mFlags & kFontShadow) != 0;
      auto at = [&](int i, int j) -> int {
        if (i < 0 || j < 0 || i >= w || j >= h) return 0;
        return img[static_cast<int64_t>(j) * w + i];
      };
      for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
          uint8_t& v = img[static_cast<int64_t>(j) * w + i];
          if (v != 0) continue;
          const bool edge = shadow ? (at(i - 1, j) == 255 || at(i - 1, j - 1) == 255 || at(i, j - 1) == 255)
                                   : (at(i, j - 1) == 255 || at(i, j + 1) == 255 ||
                                      at(i - 1, j) == 255 || at(i + 1, j) == 255);
          if (edge) v = 128;
        }
    }
  }
  rec->width = w;
  rec->height = h;
  return finish();
}

GlyphRecord* PIX_CachedFont::PreparedGlyph(int code) {
  GlyphRecord* r = FindGlyphRecord(code);
  if (!r) {
    const int before = mGlyphList.Count();
    CaptureGlyph(code);
    if (mGlyphList.Count() != before) r = FindGlyphRecord(code);
  } else if (r->imageOffset == 0) {
    CaptureGlyph(code);
    r = FindGlyphRecord(code);
  }
  if (!r || r->imageOffset <= 0) return nullptr;
  return r;
}

bool PIX_CachedFont::WantsNative(int flags, bool noNative) {
  if (!pixfontsys::NativeTextAvailable()) return false;
  if ((mFlags & kFontAllowNative) && !noNative && mFont && !pixfontsys::UnderWine() &&
      !(flags & kTextColourAlpha) && !(mFlags & 0x1F7) &&
      (mLineSpacing == 0 || (flags & kTextSingleLine)))
    return true;
  return mLineHeight >= 256;
}

int PIX_CachedFont::RenderText(PIX_IBitmap* target, const char* text, int length, IBox* box,
                               int flags) {
  if (!box) return 0;
  if (!target && !(flags & kTextCalcRect)) return 0;
  if (!text) {
    if (flags & kTextCalcRect) {
      box->mRight = box->mLeft;
      box->mBottom = box->mTop;
    }
    return 0;
  }
  SyncLockScope hold(PIX_FontLock());
  const bool noNative = (flags & kTextNoNative) != 0;
  flags &= ~kTextNoNative;
  const bool cacheOnly = target && target->QueryFeature(kFeatureGlyphCacheOnly, nullptr) != 0;
  if (!cacheOnly && WantsNative(flags, noNative))
    return pixfontsys::RenderNativeText(this, target, text, length, box, flags);
  if (flags & kTextCalcRect) return MeasureCached(text, length, box, flags);
  return DrawCached(target, text, length, box, flags, noNative);
}

int PIX_CachedFont::MeasureCached(const char* text, int length, IBox* box, int flags) {
  const bool vertical = (mFlags & kFontVertical) != 0;
  const int64_t lineStep = static_cast<int64_t>(mLineHeight) + mLineSpacing;
  int64_t x = 0, y = 0, right = 0, bottom = 0;
  PIX_Utf8Reader reader(text, length);
  int code = 0;
  while (reader.Next(&code)) {
    if (code == 13) continue;
    if (code == 10) {
      if (flags & kTextSingleLine) {
        code = 0x20;
      } else {
        if (vertical) {
          y = 0;
          x += lineStep;
        } else {
          x = 0;
          y += lineStep;
        }
        continue;
      }
    }
    const GlyphRecord* r = PreparedGlyph(code);
    if (!r) continue;
    if (!vertical) {
      right = std::max({right, x + r->advance, x + r->width});
      bottom = std::max(bottom, y + r->height);
      x += r->advance;
    } else {
      right = std::max(right, x + r->width);
      bottom = std::max({bottom, y + r->advance, y + r->height});
      y += r->advance;
    }
  }
  right = std::min<int64_t>(right, INT32_MAX - 1);
  bottom = std::min<int64_t>(bottom, INT32_MAX - 1);
  box->mRight = PIX_ClampCoord(box->mLeft + right);
  box->mBottom = PIX_ClampCoord(box->mTop + bottom);
  return static_cast<int>(vertical ? right : bottom);
}

int PIX_CachedFont::DrawCached(PIX_IBitmap* target, const char* text, int length, IBox* box,
                               int flags, bool noNative) {
  // The effective weight lives in the font for the call (RenderTextFromCache reads it) and the
  // font's own weight is put back on every way out.
  struct WeightRestore {
    float* slot;
    float saved;
    ~WeightRestore() { *slot = saved; }
  } restore{&mBlendWeight, mBlendWeight};
  if (flags & kTextColourAlpha)
    mBlendWeight = static_cast<float>(static_cast<double>(mBlendWeight) *
                                      static_cast<double>(mGlyphColour >> 24) / 255.0);
  if (mBlendWeight == 0.0f) return 0;

  const bool vertical = (mFlags & kFontVertical) != 0;
  const bool reversed = vertical && (mFlags & kFontVerticalReversed) != 0;
  int W = 0, H = 0;
  if ((flags & (kTextCenter | kTextRight | kTextVCenter | kTextBottom)) || reversed) {
    IBox m;
    RenderText(target, text, length, &m,
               kTextCalcRect | (flags & kTextSingleLine) | (noNative ? kTextNoNative : 0));
    W = m.Width();
    H = m.Height();
  }
  int ox = 0, oy = 0;
  PIX_TextOrigin(*box, W, H, flags, &ox, &oy);
  // The pen in 64 bits: long text takes it beyond the 32-bit range, where nothing is drawn.
  int64_t x = ox, y = oy;
  if (reversed) y += H;

  IBox clip;
  if (!target->PixelData() ||
      !PIX_TextClip(*box, target->PixelWidth(), target->PixelHeight(), flags, &clip))
    return 0;

  const int64_t x0 = x, y0 = y;
  int64_t lowest = y0, rightmost = x0;
  const int64_t lineStep = static_cast<int64_t>(mLineHeight) + mLineSpacing;
  PIX_Utf8Reader reader(text, length);
  int code = 0;
  while (reader.Next(&code)) {
    if (code == 13) continue;
    if (code == 10) {
      if (flags & kTextSingleLine) {
        code = 0x20;
      } else {
        if (vertical) {
          y = y0;
          x += lineStep;
        } else {
          x = x0;
          y += lineStep;
        }
        continue;
      }
    }
    const GlyphRecord* r = PreparedGlyph(code);
    if (!r || !GlyphImage(*r)) continue;
    const GlyphRecord g = *r;
    if (reversed) y -= g.height;
    const bool drawn = RenderTextFromCache(target, static_cast<uint16_t>(code), PIX_ClampCoord(x),
                                           PIX_ClampCoord(y), &clip);
    if (!vertical) {
      x += g.advance;
      if (drawn) lowest = std::max(lowest, y + g.height);
    } else {
      y += reversed ? g.height - g.advance : g.advance;
      if (drawn) rightmost = std::max(rightmost, x + g.width);
    }
  }
  return PIX_ClampCoord(vertical ? rightmost - x0 : lowest - y0);
}

bool PIX_CachedFont::RenderTextFromCache(PIX_IBitmap* target, uint16_t code, int x, int y,
                                         const IBox* clipBox) {
  SyncLockScope hold(PIX_FontLock());
  if (!target || !target->PixelData()) return false;
  const GlyphRecord* rec = FindGlyph(code);
  if (!rec) return false;
  const uint8_t* image = GlyphImage(*rec);
  if (!image || rec->width < 1 || rec->height < 1) return false;
  const int tw = target->PixelWidth(), th = target->PixelHeight();
  if (target->RowStride() < tw) return false;
  // The clip, always within the target.
  IBox c = clipBox ? *clipBox : IBox(0, 0, tw, th);
  const int64_t cl = std::max(c.mLeft, 0), ct = std::max(c.mTop, 0);
  const int64_t cr = std::min(c.mRight, tw), cb = std::min(c.mBottom, th);
  const int64_t gw = rec->width, gh = rec->height;
  if (x >= cr || y >= cb || x + gw <= cl || y + gh <= ct) return false;
  const int64_t sx = std::max<int64_t>(0, cl - x), sy = std::max<int64_t>(0, ct - y);
  const int64_t ex = std::min<int64_t>(gw, cr - x), ey = std::min<int64_t>(gh, cb - y);
  if (ex <= sx || ey <= sy) return false;
  const int cw = static_cast<int>(ex - sx), ch = static_cast<int>(ey - sy);
  const int px = static_cast<int>(x + sx), py = static_cast<int>(y + sy);
  const uint8_t* cov = image + sy * gw + sx;
  const int covStep = static_cast<int>(gw);

  if (mBackgroundMode == 2)
    PIX_FillArea(target, px, py, cw, ch, mBackgroundColour, mBlendWeight, mBlendMode & ~kRasterSourceAlpha);

  const Rows rows = RowsOf(target);
  const int mode = mBlendMode & 0xFF;
  if (mode > kRasterHsvAdjust) return true;
  const int R = Lane(mGlyphColour, 16), G = Lane(mGlyphColour, 8), B = Lane(mGlyphColour, 0);
  const CombinerFn combine = CombinerOf(mode);

  if (mFlags & (kFontMono | kFontShadow | kFontOutline)) {
    const bool twoTone = (mFlags & (kFontShadow | kFontOutline)) != 0;
    if (mBlendWeight == 1.0f && mode == kRasterCopy) {
      const uint32_t glyph = mGlyphColour, accent = mAccentColour;
      ForCovered(cov, covStep, rows, px, py, cw, ch,
                 [&](uint32_t* p, int v) { *p = (twoTone && v != 255) ? accent : glyph; });
      return true;
    }
    const int W = std::min(PIX_Weight(mBlendWeight), 256);
    if (W <= 0) return true;
    const int AR = Lane(mAccentColour, 16), AG = Lane(mAccentColour, 8), AB = Lane(mAccentColour, 0);
    ForCovered(cov, covStep, rows, px, py, cw, ch, [&](uint32_t* p, int v) {
      const bool accent = twoTone && v != 255;
      const int r = accent ? AR : R, g = accent ? AG : G, b = accent ? AB : B;
      if (mode == kRasterCopy) MixToward(p, r, g, b, 256 - W);
      else if (mode == kRasterMultiply) MultiplyToward(p, r, g, b, W);
      else combine(p, r, g, b, 255, W);
    });
    return true;
  }

  const int W = PIX_Weight(mBlendWeight);
  if (W <= 0) return true;
  if (mode == kRasterCopy) {
    ForCovered(cov, covStep, rows, px, py, cw, ch,
               [&](uint32_t* p, int c) { MixToward(p, R, G, B, 256 - CoverageWeight(W, c)); });
  } else if (mode == kRasterMultiply) {
    ForCovered(cov, covStep, rows, px, py, cw, ch,
               [&](uint32_t* p, int c) { MultiplyToward(p, R, G, B, CoverageWeight(W, c)); });
  } else {
    ForCovered(cov, covStep, rows, px, py, cw, ch,
               [&](uint32_t* p, int c) { combine(p, R, G, B, 255, CoverageWeight(W, c)); });
  }
  return true;
}
