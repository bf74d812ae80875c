#include "fx/textentry.h"

#include <cmath>
#include <cstring>

#include "fx/ifxsetting.h"
#include "fx/numbertext.h"

namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
}  // namespace

bool FieldTakesChar(int kind, unsigned ch) {
  if (ch == 8) return true;
  if (kind < kParamToggle || kind > kParamContinuous) return true;
  if (ch == '+' || ch == '-' || (ch >= '0' && ch <= '9')) return true;
  return kind == kParamContinuous && ch == '.';
}

bool ReadEnteredNumber(const char* text, double* value) {
  if (!text || !value) return false;
  const char* p = text;
  while (IsWhite(*p)) ++p;
  // The number is copied into a plain form the strict reader takes whole: "[-]D[.D][e[-]D]".
  char plain[512];
  size_t n = 0;
  bool overflow = false;
  auto put = [&](char c) {
    if (n + 1 < sizeof plain) {
      plain[n++] = c;
    } else {
      overflow = true;
    }
  };
  if (*p == '+' || *p == '-') {
    if (*p == '-') put('-');
    ++p;
  }
  // Leading zeros carry nothing and would only crowd the copy.
  while (*p == '0' && IsDigit(p[1])) ++p;
  const char* intStart = p;
  while (IsDigit(*p)) put(*p++);
  const bool hasInt = p != intStart;
  bool hasFraction = false;
  if (*p == '.' && (hasInt || IsDigit(p[1]))) {
    ++p;
    if (!hasInt) put('0');
    const char* fracStart = p;
    // Digits past what a double resolves change nothing but would not fit the copy.
    size_t kept = 0;
    bool pointPut = false;
    while (IsDigit(*p)) {
      if (kept < 40) {
        if (!pointPut) {
          put('.');
          pointPut = true;
        }
        put(*p);
        ++kept;
      }
      ++p;
    }
    hasFraction = p != fracStart;
  }
  if (!hasInt && !hasFraction) return false;
  if ((*p == 'e' || *p == 'E')) {
    const char* q = p + 1;
    bool negative = false;
    if (*q == '+' || *q == '-') negative = *q++ == '-';
    if (IsDigit(*q)) {
      while (*q == '0' && IsDigit(q[1])) ++q;
      const char* expStart = q;
      while (IsDigit(*q)) ++q;
      put('e');
      if (negative) put('-');
      if (q - expStart > 6) {
        // Beyond any double either way: the reader decides between 0 and out of range.
        for (int k = 0; k < 6; ++k) put('9');
      } else {
        for (const char* d = expStart; d < q; ++d) put(*d);
      }
    }
  }
  plain[n] = '\0';
  // An integer part longer than the copy holds is far beyond the range of a double.
  if (overflow) return false;
  double v = 0.0;
  if (!ParseNumberText(plain, nullptr, &v) || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

double EnteredParamValue(const IFxSetting& param, const char* text) {
  if (!text) text = "";
  const ParamKind kind = param.Kind();
  if (kind == kParamToggle || kind == kParamChoice) {
    for (int i = 0; i < param.CountValueTexts(); ++i) {
      const IValueText* vt = param.ValueTextAt(i);
      if (vt && std::strcmp(vt->text, text) == 0) return vt->value;
    }
    return 0.0;
  }
  double v = 0.0;
  if (!ReadEnteredNumber(text, &v)) v = 0.0;
  return param.FlipSign() ? -v : v;
}

void CopyTextBounded(char* out, size_t outSize, const char* text) {
  if (!out || outSize == 0) return;
  size_t n = 0;
  if (text) {
    while (n + 1 < outSize && text[n] != '\0') {
      out[n] = text[n];
      ++n;
    }
  }
  out[n] = '\0';
}

bool FolderOfModulePath(const char* path, char* out, size_t outSize) {
  if (!out || outSize == 0) return false;
  out[0] = '\0';
  if (!path) return false;
  const char* slash = std::strrchr(path, '\\');
  if (!slash || slash[1] == '\0') return false;
  const size_t len = static_cast<size_t>(slash - path) + 1;
  if (len + 1 > outSize) return false;
  std::memcpy(out, path, len);
  out[len] = '\0';
  return true;
}

bool DriveAndDirectoryOf(const char* path, char* out, size_t outSize) {
  if (!out || outSize == 0) return false;
  out[0] = '\0';
  if (!path) return false;
  size_t len = 0;
  for (size_t i = 0; path[i] != '\0'; ++i) {
    if (path[i] == '\\' || path[i] == '/') len = i + 1;
  }
  if (len == 0 && path[0] != '\0' && path[1] == ':') len = 2;  // "C:name": the drive alone
  if (len == 0 || len + 1 > outSize) return false;
  std::memcpy(out, path, len);
  out[len] = '\0';
  return true;
}

void BuildFileFilter(const char* extensions, char* filter, size_t filterSize, char* defExt,
                     size_t defExtSize) {
  if (defExt && defExtSize > 0) defExt[0] = '\0';
  if (filter && filterSize > 0) filter[0] = '\0';
  if (filter && filterSize >= 2) filter[1] = '\0';
  if (!extensions) extensions = "";

  // The default extension: the characters before the first space, cut at its limit.
  if (defExt && defExtSize > 0) {
    size_t n = 0;
    while (extensions[n] != '\0' && extensions[n] != ' ' && n < kDefaultExtensionMax &&
           n + 1 < defExtSize) {
      defExt[n] = extensions[n];
      ++n;
    }
    defExt[n] = '\0';
  }

  if (!filter || filterSize < kFilterSize) return;
  char pattern[kFilterPatternMax + 1];
  size_t len = 0;
  const char* p = extensions;
  while (*p) {
    while (*p == ' ') ++p;
    const char* start = p;
    while (*p && *p != ' ') ++p;
    const size_t extLen = static_cast<size_t>(p - start);
    if (extLen == 0) continue;
    const size_t need = (len > 0 ? 1 : 0) + 2 + extLen;
    if (len + need > kFilterPatternMax) break;  // whole entries only
    if (len > 0) pattern[len++] = ';';
    pattern[len++] = '*';
    pattern[len++] = '.';
    std::memcpy(pattern + len, start, extLen);
    len += extLen;
  }
  pattern[len] = '\0';
  std::memcpy(filter, pattern, len + 1);
  std::memcpy(filter + len + 1, pattern, len + 1);
  filter[2 * (len + 1)] = '\0';
}
