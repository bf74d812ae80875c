#include "raster/pixpng.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "raster/pixfill.h"

#include "raster/pixfileopen.h"

static_assert(PNG_LIBPNG_VER_MAJOR == 1 && PNG_LIBPNG_VER_MINOR == 6,
              "the decoder is written against the libpng 1.6 interface");

namespace {

// The libpng interface version the decoder asks for; libpng accepts any 1.6 release against it.
constexpr char kPngInterfaceVersion[] = "1.6.8";
constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// Deflate cannot expand its input more than 1032 times (two bits for each 258-byte match). Data that
// holds fewer bytes than that bound allows cannot hold the image, and the decoding would fail anyway
// after the pixel memory had been taken: such a header is refused before any pixel memory is taken.
// The slack leaves room for the end of a cut stream that the zeros read past the end of memory data
// may complete (a cut stored block); a cut image that would need more made-up data is broken anyway.
constexpr int64_t kDeflateMaxRatio = 1032;
constexpr int64_t kDeflateSlackBytes = 64 * 1024;

// Zero bytes handed to libpng past the end of memory data before the read counts as an error. A valid
// image is never read past its end (decoding stops before IEND); without a bound, a chunk length of
// up to 2^31 in a cut or damaged file would have libpng read and checksum gigabytes of zeros.
constexpr int64_t kMaxZeroFillBytes = 64 * 1024;

struct MemoryCursor {
  const png_byte* next;
  int remaining;
  int64_t zeroFilled;  // bytes given as zeros past the end so far
};

// libpng's read callback for memory data: the bytes that are there, zeros past the end (libpng then
// finds a broken stream and raises its error).
void PngMemoryRead(png_structp png, png_bytep dest, size_t count) {
  MemoryCursor* cursor = static_cast<MemoryCursor*>(png_get_io_ptr(png));
  if (!cursor) png_error(png, "no data");
  const size_t have = cursor->remaining > 0 ? static_cast<size_t>(cursor->remaining) : 0;
  const size_t take = count < have ? count : have;
  const size_t zeros = count - take;
  // Checked before anything is written, so that a huge request is not zero-filled first.
  if (static_cast<uint64_t>(zeros) > static_cast<uint64_t>(kMaxZeroFillBytes - cursor->zeroFilled)) {
    png_error(png, "read far past the end of the data");
  }
  if (take > 0) std::memcpy(dest, cursor->next, take);
  if (zeros > 0) std::memset(dest + take, 0, zeros);
  cursor->next += take;
  cursor->remaining -= static_cast<int>(take);
  cursor->zeroFilled += static_cast<int64_t>(zeros);
}

// Corrupt images are an expected outcome (null), not something to print: errors only jump back to
// the decoder, warnings are dropped.
void PngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWarning(png_structp, png_const_charp) {}

// Everything the decoder must find again after libpng's long jump. It lives in the caller's frame,
// outside the function that arms the jump, so its members keep their values across the jump.
struct PngJob {
  png_structp png = nullptr;
  png_infop info = nullptr;
  PIX_IBitmap* bitmap = nullptr;  // the target: reuse bitmap, or the one made here
  bool ownsBitmap = false;        // made here: deleted on failure
  png_bytep* rows = nullptr;      // row-pointer array, malloc'd
  MemoryCursor cursor = {nullptr, 0, 0};
  std::FILE* file = nullptr;  // file source; null for memory data
  int64_t sourceBytes = -1;   // bytes of the whole source, -1 when unknown
};

void ReleaseLibpng(PngJob* job) {
  if (job->png) png_destroy_read_struct(&job->png, &job->info, nullptr);
  job->png = nullptr;
  job->info = nullptr;
  std::free(job->rows);
  job->rows = nullptr;
}

void Abandon(PngJob* job) {
  ReleaseLibpng(job);
  if (job->ownsBitmap) delete job->bitmap;
  job->bitmap = nullptr;
  job->ownsBitmap = false;
}

// Decodes from job's source into job's bitmap (made here when none is given). Only job is used after
// the long jump; the locals below are read on the way forward only.
PIX_IBitmap* RunDecode(PngJob* job) {
  job->png = png_create_read_struct(kPngInterfaceVersion, nullptr, PngError, PngWarning);
  if (!job->png) return nullptr;
  job->info = png_create_info_struct(job->png);
  if (!job->info) {
    png_destroy_read_struct(&job->png, nullptr, nullptr);
    job->png = nullptr;
    return nullptr;
  }
  if (setjmp(png_jmpbuf(job->png))) {
    Abandon(job);
    return nullptr;
  }
  png_structp png = job->png;
  png_infop info = job->info;
  if (job->file) {
    png_init_io(png, job->file);
  } else {
    png_set_read_fn(png, &job->cursor, PngMemoryRead);
  }
  // The header is untrusted: libpng refuses larger sides itself, before any row memory is taken.
  png_set_user_limits(png, kPngMaxSide, kPngMaxSide);
  // Only IHDR, PLTE, tRNS, IDAT and IEND shape the pixels (no gamma, background or shift is asked
  // for); every other chunk is skipped unread. libpng would otherwise take and clear a buffer of a
  // text chunk's announced length, up to 2 GiB, before finding the data missing.
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);

  png_read_info(png, info);
  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colourType = 0;
  png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);
  const bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  const int64_t w = width, h = height;
  if (w < 1 || h < 1 || w > kPngMaxSide || h > kPngMaxSide) png_error(png, "image too large");
  const int64_t bitmapBytes = ((w + 3) & ~int64_t{3}) * h * 4;
  if (bitmapBytes > PIX_MemBitmap::kMaxBytes) png_error(png, "image too large");
  if (job->sourceBytes >= 0) {
    const int64_t pixelBytes = w * h * png_get_channels(png, info) * bitDepth / 8;
    if (pixelBytes > job->sourceBytes * kDeflateMaxRatio + kDeflateSlackBytes) {
      png_error(png, "image data too short for its size");
    }
  }

  // Whatever the colour type and depth: 8-bit A, R, G, B bytes per pixel.
  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (hasTrns) {
    png_set_tRNS_to_alpha(png);
    colourType |= PNG_COLOR_MASK_ALPHA;
  }
  if (bitDepth == 16) png_set_strip_16(png);
  if (bitDepth < 8) png_set_packing(png);
  if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  if (!(colourType & PNG_COLOR_MASK_ALPHA)) {
    png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
  } else {
    png_set_swap_alpha(png);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const int64_t rowBytes = static_cast<int64_t>(png_get_rowbytes(png, info));
  if (png_get_bit_depth(png, info) != 8 || png_get_channels(png, info) != 4 || rowBytes != w * 4) {
    png_error(png, "unexpected row layout");
  }

  if (job->bitmap) {
    job->bitmap->ChangeDimensions(static_cast<int>(w), static_cast<int>(h));
  } else {
    job->bitmap = new (std::nothrow) PIX_MemBitmap(static_cast<int>(w), static_cast<int>(h));
    job->ownsBitmap = job->bitmap != nullptr;
  }
  PIX_IBitmap* bm = job->bitmap;
  if (!bm || bm->PixelWidth() != w || bm->PixelHeight() != h) png_error(png, "no bitmap");
  uint32_t* data = bm->PixelData();
  const int64_t stride = bm->RowStride();
  if (!data || stride < w || rowBytes > stride * 4) png_error(png, "no bitmap");

  job->rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * static_cast<size_t>(h)));
  if (!job->rows) png_error(png, "no memory");
  const bool bottomUp = bm->IsBottomUp();
  for (int64_t i = 0; i < h; ++i) {
    const int64_t stored = bottomUp ? h - 1 - i : i;
    job->rows[i] = reinterpret_cast<png_bytep>(data + stored * stride);
  }
  png_read_image(png, job->rows);
  png_destroy_read_struct(&job->png, &job->info, nullptr);
  job->png = nullptr;
  job->info = nullptr;

  // Bytes A, R, G, B in memory become the pixel word A<<24 | R<<16 | G<<8 | B.
  for (int64_t i = 0; i < h; ++i) {
    uint32_t* row = reinterpret_cast<uint32_t*>(job->rows[i]);
    for (int64_t x = 0; x < w; ++x) {
      const unsigned char* b = reinterpret_cast<const unsigned char*>(row + x);
      row[x] = static_cast<uint32_t>(b[0]) << 24 | static_cast<uint32_t>(b[1]) << 16 |
               static_cast<uint32_t>(b[2]) << 8 | static_cast<uint32_t>(b[3]);
    }
  }
  std::free(job->rows);
  job->rows = nullptr;
  return bm;
}

// Size of an open file in bytes (the position is left at the start), -1 when it cannot be told.
int64_t FileBytes(std::FILE* f) {
  if (std::fseek(f, 0, SEEK_END) != 0) return -1;
  const long end = std::ftell(f);
  if (std::fseek(f, 0, SEEK_SET) != 0) return -1;
  return end < 0 ? -1 : static_cast<int64_t>(end);
}

bool EqualsIgnoringCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    char ca = *a, cb = *b;
    if (ca >= 'A' && ca <= 'Z') ca = static_cast<char>(ca - 'A' + 'a');
    if (cb >= 'A' && cb <= 'Z') cb = static_cast<char>(cb - 'A' + 'a');
    if (ca != cb) return false;
    if (ca == 0) return true;
  }
}

// Registers the PNG loader from this object's initialiser too (see pixfill.cpp): whichever of the two
// objects a program links, the loader chain gets the record.
[[maybe_unused]] const bool gPngLoaderRegistration = (RegisterPngLoader(), true);

}  // namespace

PIX_IBitmap* PIX_ReadPngBytes(const void* data, int length) {
  if (!data || length < 8) return nullptr;
  if (std::memcmp(data, kPngSignature, 8) != 0) return nullptr;
  PngJob job;
  job.cursor = MemoryCursor{static_cast<const png_byte*>(data), length, 0};
  job.sourceBytes = length;
  return RunDecode(&job);
}

PIX_IBitmap* PIX_ReadPngFile(const char* fileName, PIX_IBitmap* reuse) {
  if (!fileName) return nullptr;
  std::FILE* f = PIX_OpenFileForReading(fileName);
  if (!f) return nullptr;
  PngJob job;
  job.file = f;
  job.sourceBytes = FileBytes(f);
  job.bitmap = reuse;
  job.ownsBitmap = false;
  PIX_IBitmap* result = RunDecode(&job);
  std::fclose(f);
  return result;
}

PIX_IBitmap* PngLoaderForName(const char* name, bool checkExtension, PIX_IBitmap* reuse) {
  if (!name) return nullptr;
  if (checkExtension) {
    // The extension starts at the last "." of the last path component; without one the whole name
    // is compared (and so fails).
    const char* ext = name;
    for (size_t i = std::strlen(name); i > 0; --i) {
      const char c = name[i - 1];
      if (c == '\\' || c == '/') break;
      if (c == '.') {
        ext = name + i - 1;
        break;
      }
    }
    if (!EqualsIgnoringCase(ext, ".png")) return nullptr;
  }
  return PIX_ReadPngFile(name, reuse);
}

const char* PngLoaderFilter() {
  // The literal's own terminator makes the second NUL of the double-NUL list.
  static const char kFilter[] = "PNG files (*.PNG)\0*.PNG\0";
  return kFilter;
}
