// Process-wide skin-image and font tables shared by every editor of every plug-in instance. Each
// table is a module-level object with its own lock, made among the static initialisers (or on
// first use, whichever comes first) and torn down at module unload together with what it owns.
#include "fx/guicaches.h"

#include <cstring>

#include "fx/containers.h"
#include "fx/synclock.h"
#include "raster/pixbitmap.h"
#include "raster/pixfont.h"

namespace {

struct SkinImageEntry {
  int resourceId;
  PIX_IBitmap* bitmap;  // owned by the table
};

struct FontEntry {
  int size;
  int orientation;
  int weightStyle;
  char face[36];
  PIX_CachedFont* font;  // owned by the table
};

// Copies a style's face (at most 31 characters, as in IFontSpec) into a key field.
void CopyFace(char (&dst)[36], const char* src) {
  std::memset(dst, 0, sizeof(dst));
  if (!src) return;
  size_t n = 0;
  while (n < 31 && src[n]) ++n;
  std::memcpy(dst, src, n);
}

class SkinImageCache {
 public:
  ~SkinImageCache() {
    const int count = mEntries.Count();
    for (int i = 0; i < count; ++i) {
      SkinImageEntry* e = static_cast<SkinImageEntry*>(mEntries.At(i));
      if (e) {
        delete e->bitmap;
        e->bitmap = nullptr;
      }
    }
    for (int i = count - 1; i >= 0; --i) delete static_cast<SkinImageEntry*>(mEntries.At(i));
    mEntries.Clear();
  }

  PIX_IBitmap* Find(int resourceId) {
    SyncLockScope hold(&mLock);
    const int count = mEntries.Count();
    for (int i = 0; i < count; ++i) {
      const SkinImageEntry* e = static_cast<const SkinImageEntry*>(mEntries.At(i));
      if (e && e->resourceId == resourceId) return e->bitmap;
    }
    return nullptr;
  }

  void Add(PIX_IBitmap* bitmap, int resourceId) {
    SkinImageEntry* e = new SkinImageEntry{resourceId, bitmap};
    bool added;
    {
      SyncLockScope hold(&mLock);
      added = mEntries.Add(e);
    }
    if (!added) {
      // The table could not grow. The caller's skin keeps pointing at the bitmap, so it stays
      // alive (a leak at unload rather than a dangling pointer); only the entry record goes.
      delete e;
    }
  }

 private:
  SyncLock mLock;
  ItemList mEntries;
};

class SharedFontTable {
 public:
  ~SharedFontTable() {
    const int count = mEntries.Count();
    for (int i = 0; i < count; ++i) {
      FontEntry* e = static_cast<FontEntry*>(mEntries.At(i));
      if (e) {
        delete e->font;
        e->font = nullptr;
      }
    }
    for (int i = count - 1; i >= 0; --i) delete static_cast<FontEntry*>(mEntries.At(i));
    mEntries.Clear();
  }

  // The font of the first entry with this key; null when there is none (or it holds no font).
  PIX_CachedFont* Find(const IFontSpec& style) {
    char face[36];
    CopyFace(face, style.face);
    SyncLockScope hold(&mLock);
    const int count = mEntries.Count();
    for (int i = 0; i < count; ++i) {
      const FontEntry* e = static_cast<const FontEntry*>(mEntries.At(i));
      if (e && e->size == style.size && e->orientation == style.orientation &&
          e->weightStyle == style.weightStyle && std::strcmp(e->face, face) == 0) {
        return e->font;
      }
    }
    return nullptr;
  }

  bool Add(const IFontSpec& style, PIX_CachedFont* font) {
    FontEntry* e = new FontEntry;
    e->size = style.size;
    e->orientation = style.orientation;
    e->weightStyle = style.weightStyle;
    CopyFace(e->face, style.face);
    e->font = font;
    bool added;
    {
      SyncLockScope hold(&mLock);
      added = mEntries.Add(e);
    }
    if (!added) delete e;
    return added;
  }

 private:
  SyncLock mLock;
  ItemList mEntries;
};

// Made on first use (thread-safe in C++11) and also forced among the static initialisers below,
// so both exist before the first plug-in object; destroyed at unload in reverse order.
SkinImageCache& SkinImages() {
  static SkinImageCache table;
  return table;
}

SharedFontTable& Fonts() {
  static SharedFontTable table;
  return table;
}

const bool kTablesMade = (SkinImages(), Fonts(), true);

}  // namespace

PIX_IBitmap* FindSkinImage(int resourceId) { return SkinImages().Find(resourceId); }

void CacheSkinImage(PIX_IBitmap* bitmap, int resourceId) {
  if (!bitmap) return;
  SkinImages().Add(bitmap, resourceId);
}

PIX_CachedFont* FontForStyle(IFontSpec* style) {
  if (!style) return nullptr;
  (void)kTablesMade;
  PIX_CachedFont* font = Fonts().Find(*style);
  if (font) {
    style->font = font;
    return font;
  }
  // Made outside the table's lock: two threads missing at once each add an entry; look-ups
  // find the first.
  font = new PIX_CachedFont();
  if (!CreatePlatformFont(font, *style)) {
    delete font;
    return nullptr;
  }
  if (!Fonts().Add(*style, font)) {
    // Not in the table, so nobody would free it at unload and the style would hold a pointer
    // the table does not own: give it up and report no font.
    delete font;
    return nullptr;
  }
  style->font = font;
  return font;
}
