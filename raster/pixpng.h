// PNG decoding into 32-bit bitmaps through libpng. Every colour type and bit depth comes out as
// pixel words A<<24 | R<<16 | G<<8 | B, 8 bits a channel (alpha 0xFF for images without alpha).
#pragma once

#include "raster/pixbitmap.h"

// Largest image side the decoder accepts; larger headers are refused before any pixel memory is taken.
constexpr int kPngMaxSide = 16384;

// Decodes PNG data in memory into a new PIX_MemBitmap owned by the caller, or null (too short, not a
// PNG, corrupt or truncated data, an image too large, no memory). Never reads past data + length.
PIX_IBitmap* PIX_ReadPngBytes(const void* data, int length);

// Decodes the PNG file named in UTF-8. With reuse given, the image is decoded into it (resized) and
// reuse is returned; reuse stays the caller's, also when the call fails. Null on failure.
PIX_IBitmap* PIX_ReadPngFile(const char* fileName, PIX_IBitmap* reuse);

// The PNG entry of the image-loader chain: with checkExtension, the name must end in ".png" (any case).
PIX_IBitmap* PngLoaderForName(const char* name, bool checkExtension, PIX_IBitmap* reuse);
// "PNG files (*.PNG)", NUL, "*.PNG", NUL, NUL.
const char* PngLoaderFilter();
