#include "fx/numbertext.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
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

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
const char* SkipBlanks(const char* p) {
  while (IsBlank(*p)) ++p;
  return p;
}
const char* SkipDigits(const char* p) {
  while (IsDigit(*p)) ++p;
  return p;
}
}  // namespace

bool ParseNumberText(const char* text, const char* unit, double* value) {
  if (!text || !value) return false;
  const char* p = SkipBlanks(text);
  const char* number = p;
  if (*p == '+' || *p == '-') ++p;
  const char* digits = p;
  p = SkipDigits(p);
  if (p == digits) return false;  // a number starts with a digit after the sign
  if (*p == '.') {
    const char* fraction = ++p;
    p = SkipDigits(p);
    if (p == fraction) return false;
  }
  if (*p == 'e' || *p == 'E') {
    ++p;
    if (*p == '+' || *p == '-') ++p;
    const char* exponent = p;
    p = SkipDigits(p);
    if (p == exponent) return false;
  }
  const char* numberEnd = p;
  p = SkipBlanks(p);
  if (unit && unit[0]) {
    const size_t n = std::strlen(unit);
    if (std::strncmp(p, unit, n) == 0) p = SkipBlanks(p + n);
  }
  if (*p != '\0') return false;

  // from_chars takes no '+' and no locale; the span is known to be a plain decimal number.
  if (*number == '+') ++number;
  double v = 0.0;
  const std::from_chars_result r = std::from_chars(number, numberEnd, v, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != numberEnd || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

bool NarrowAsciiText(const char16_t* text, char* out, size_t outSize) {
  if (!out || outSize == 0) return false;
  out[0] = '\0';
  if (!text) return false;
  for (size_t i = 0; i < outSize; ++i) {
    const char16_t c = text[i];
    if (c == 0) {
      out[i] = '\0';
      return true;
    }
    if (c > 0x7F) break;
    out[i] = static_cast<char>(c);
  }
  out[0] = '\0';
  return false;
}
