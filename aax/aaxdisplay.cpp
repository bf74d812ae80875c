#include "aax/aaxdisplay.h"

#include <cmath>
#include <limits>

namespace aaxdisplay {

AAX_CString FixedText(double value, int32_t decimals) {
  AAX_CString text;
  text.AppendNumber(value, decimals);
  return text;
}

void LimitNumberText(AAX_CString* text, int32_t maxChars) {
  if (!text) return;
  const uint32_t m = maxChars > 0 ? static_cast<uint32_t>(maxChars) : 0u;
  if (m < text->TextLength()) text->Erase(m, text->TextLength() - m);
  if (m > 0 && text->TextLength() == m && text->Text()[m - 1] == '.') text->Erase(m - 1, 1);
}

bool ReadNumber(const AAX_CString& text, double* out) {
  double value = 0.0;
  if (!text.ToDouble(&value) || std::isnan(value)) {
    *out = 0.0;
    return false;
  }
  *out = value;
  return true;
}

int32_t NumberToInt(double value) {
  constexpr double kLowest = std::numeric_limits<int32_t>::min();
  constexpr double kHighest = std::numeric_limits<int32_t>::max();
  if (!(value > kLowest)) return std::numeric_limits<int32_t>::min();
  if (!(value < kHighest)) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(value);
}

}  // namespace aaxdisplay
