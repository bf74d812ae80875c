#include "raster/pixutf8.h"

namespace {

inline bool IsCont(uint8_t b) { return b >= 0x80 && b <= 0xC0; }

// Whether n bytes from the current one may be read: all of them within a bounded length, or, for
// NUL-terminated text, always (the caller tests each byte in order, and a NUL fails the test).
inline bool Fits(int remaining, int n) { return remaining < 0 || remaining >= n; }

}  // namespace

int PIX_Utf8Decode(const uint8_t* p, int remaining, int* used) {
  const uint8_t b0 = p[0];
  *used = 1;
  if (b0 < 0xC2) return b0;
  if (b0 <= 0xDF) {
    if (Fits(remaining, 2) && IsCont(p[1])) {
      *used = 2;
      return ((b0 & 0x1F) << 6) | (p[1] & 0x3F);
    }
    return b0;
  }
  if (b0 <= 0xEF) {
    // The && order matters for NUL-terminated text: p[2] is read only once p[1] is known not to be
    // the terminator.
    if (Fits(remaining, 3) && IsCont(p[1]) && IsCont(p[2])) {
      *used = 3;
      return ((b0 & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
    }
    return b0;
  }
  if (b0 <= 0xF4) {
    if (Fits(remaining, 4) && IsCont(p[1]) && IsCont(p[2]) && IsCont(p[3])) {
      *used = 4;
      return 0x20;
    }
    return b0;
  }
  return b0;
}

bool PIX_Utf8HasMultiByte(const char* text, int length) {
  if (!text) return false;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(text);
  auto isCont = [](uint8_t b) { return b >= 0x80 && b <= 0xBF; };
  for (int i = 0; length < 0 || i < length; ++i) {
    const uint8_t b = p[i];
    if (b == 0 && length < 0) break;
    if (b < 0xC2 || b > 0xF4) continue;
    const int left = length < 0 ? -1 : length - i;
    if (b <= 0xDF && Fits(left, 2) && isCont(p[i + 1])) return true;
    if (Fits(left, 3) && isCont(p[i + 1]) && isCont(p[i + 2])) return true;
  }
  return false;
}
