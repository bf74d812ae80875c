// Process-wide caches that let every editor of every plug-in instance share skin bitmaps and fonts.
// Entries are never removed while the module is loaded; the tables own their bitmaps and fonts and
// delete them at unload. Each table has its own lock, held only around look-ups and appends.
#pragma once

#include "fx/icontrol.h"

class PIX_IBitmap;
class PIX_CachedFont;

// The bitmap cached for a skin resource id, or null (no entry, or an entry without a bitmap).
PIX_IBitmap* FindSkinImage(int resourceId);
// Appends {resourceId, bitmap}; the cache owns the bitmap from now on.
void CacheSkinImage(PIX_IBitmap* bitmap, int resourceId);

// The font for a style (size, orientation, weight or style and face are the key), made and cached
// on first use; stored in style->font too. Null when the platform cannot make the font.
PIX_CachedFont* FontForStyle(IFontSpec* style);

// Makes the platform font for a style and hands it to the font object (CreateFontA in the Windows
// builds); false when it cannot be made.
bool CreatePlatformFont(PIX_CachedFont* font, const IFontSpec& style);
