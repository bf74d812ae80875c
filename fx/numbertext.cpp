#include "fx/numbertext.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void NormaliseDecimalPoint(char* text) {
  if (!text) return;
  const struct lconv* conv = std::localeconv();
  const char* dp = conv ? conv->decimal_point : nullptr;
  if (dp && dp[0] && std::strcmp(dp, ".") != 0) {
    char* at = std::strstr(text, dp);
    if (at) {
      const size_t dpLen = std::strlen(dp);
      *at = '.';
      std::memmove(at + 1, at + dpLen, std::strlen(at + dpLen) + 1);
    }
  }
  // "%f" never writes a grouping comma: a comma left over can only be a separator.
  for (char* p = text; *p; ++p) {
    if (*p == ',') *p = '.';
  }
}

void FormatFixed(char* out, size_t outSize, int decimals, double value) {
  if (!out || outSize == 0) return;
  std::snprintf(out, outSize, "%.*f", decimals, value);
  NormaliseDecimalPoint(out);
}

bool ParseDecimal(const char* text, double* value) {
  if (!text || !value) return false;
  // strtod reads the locale's separator: hand it the text with '.' turned into that separator.
  const struct lconv* conv = std::localeconv();
  const char* dp = conv && conv->decimal_point && conv->decimal_point[0] ? conv->decimal_point : ".";
  const size_t dpLen = std::strlen(dp);
  char buf[256];
  size_t n = 0;
  for (const char* p = text; *p && n + dpLen < sizeof buf; ++p) {
    if (*p == '.') {
      std::memcpy(buf + n, dp, dpLen);
      n += dpLen;
    } else {
      buf[n++] = *p;
    }
  }
  buf[n] = '\0';
  char* end = nullptr;
  const double v = std::strtod(buf, &end);
  if (end == buf || !std::isfinite(v)) return false;
  *value = v;
  return true;
}
