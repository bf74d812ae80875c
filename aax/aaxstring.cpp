#include "aax/aaxstring.h"

#include <cstring>
#include <locale>
#include <sstream>
#include <stdexcept>

namespace {
const char* NonNull(const char* text) { return text ? text : ""; }
}  // namespace

AAX_CString::AAX_CString(const char* text) : mText(NonNull(text)) {}

AAX_CString& AAX_CString::operator=(const AAX_CString& other) { return Assign(other); }

void AAX_CString::Destroy() { delete this; }

uint32_t AAX_CString::TextLength() const { return static_cast<uint32_t>(mText.size()); }

uint32_t AAX_CString::MaxTextLength() const { return 0xFFFFFFFEu; }

const char* AAX_CString::Text() const { return mText.c_str(); }

void AAX_CString::SetText(const char* text) {
  // Copy first: the text may point into this string's own buffer.
  try {
    std::string copy(NonNull(text));
    mText.swap(copy);
  } catch (...) {
  }
}

AAX_IString& AAX_CString::AssignText(const char* text) {
  SetText(text);
  return *this;
}

AAX_IString& AAX_CString::AssignString(const AAX_IString& other) {
  // Through Text() for every string: the other may be the host's object, whose type information
  // this module cannot read.
  if (&other != this) SetText(other.Text());
  return *this;
}

AAX_CString& AAX_CString::Assign(const AAX_CString& other) {
  if (&other != this) mText = other.mText;
  return *this;
}

void AAX_CString::Clear() { mText.clear(); }

AAX_CString& AAX_CString::Erase(uint32_t position, uint32_t count) {
  if (position > mText.size()) throw std::out_of_range("invalid string position");
  mText.erase(position, count);
  return *this;
}

AAX_CString& AAX_CString::AppendNumber(double value, int32_t decimals) {
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out.setf(std::ios::fixed, std::ios::floatfield);
  out.precision(decimals);
  out << value;
  mText += out.str();
  return *this;
}

bool AAX_CString::ToDouble(double* out) const {
  if (!out) return false;
  std::istringstream in(mText);
  in.imbue(std::locale::classic());
  double value = 0.0;
  if (!(in >> value)) {
    *out = 0.0;
    return false;
  }
  *out = value;
  return true;
}

void AAX_CString::SubString(uint32_t position, uint32_t count, AAX_IString* out) const {
  if (position > mText.size()) throw std::out_of_range("invalid string position");
  const std::string part = mText.substr(position, count);
  if (out) out->SetText(part.c_str());
}

AAX_CString& AAX_CString::Append(const AAX_CString& other) {
  const std::string copy(other.mText.c_str());
  mText += copy;
  return *this;
}

const char* AAX_CString::CharAt(uint32_t position) const {
  return mText.c_str() + (position < mText.size() ? position : mText.size());
}

bool AAX_CString::operator==(const AAX_IString& other) const {
  return std::strcmp(mText.c_str(), NonNull(other.Text())) == 0;
}

bool AAX_CString::operator!=(const AAX_CString& other) const { return !(*this == other); }

bool AAX_CString::operator<(const AAX_CString& other) const {
  // strcmp compares the bytes as unsigned char.
  return std::strcmp(mText.c_str(), other.mText.c_str()) < 0;
}
