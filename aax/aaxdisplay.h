// Display delegates: the text form of a parameter's real value, and the reading of a text back into
// a value. A null out pointer answers false and writes nothing.
#pragma once

#include <cstdint>
#include <map>
#include <type_traits>
#include <vector>

#include "aax/aaxparameter.h"
#include "aax/aaxstring.h"

template <typename T>
class AAX_IDisplayDelegate : public AAX_IDisplayDelegateBase {
public:
  ~AAX_IDisplayDelegate() override = default;
  virtual AAX_IDisplayDelegate* Clone() const = 0;
  virtual bool ValueToString(T value, int32_t maxChars, AAX_CString* out) const = 0;
  virtual bool ValueToString(T value, AAX_CString* out) const = 0;
  virtual bool StringToValue(const AAX_CString& text, T* out) const = 0;
};

namespace aaxdisplay {
// The value in fixed notation with the given decimals ("." as the point, no grouping).
AAX_CString FixedText(double value, int32_t decimals);
// Cuts the text to maxChars (negative as 0); a cut that leaves a trailing "." drops it too.
void LimitNumberText(AAX_CString* text, int32_t maxChars);
// The leading number of the text; false when there is none.
bool ReadNumber(const AAX_CString& text, double* out);
// A read number as an int: limited to the int32 range, then truncated toward zero.
int32_t NumberToInt(double value);
}  // namespace aaxdisplay

template <typename T, int32_t Precision = 2, int32_t Spacing = 0>
class AAX_CNumberDisplayDelegate final : public AAX_IDisplayDelegate<T> {
  static_assert(Precision >= 0 && Spacing == 0, "numbers are shown with their decimals and no spacing");

public:
  AAX_CNumberDisplayDelegate* Clone() const override { return new AAX_CNumberDisplayDelegate(); }
  bool ValueToString(T value, AAX_CString* out) const override {
    if (!out) return false;
    *out = aaxdisplay::FixedText(static_cast<double>(value), Precision);
    return true;
  }
  bool ValueToString(T value, int32_t maxChars, AAX_CString* out) const override {
    if (!ValueToString(value, out)) return false;
    aaxdisplay::LimitNumberText(out, maxChars);
    return true;
  }
  // Leading white space is skipped and text after the number ignored; an int is truncated.
  bool StringToValue(const AAX_CString& text, T* out) const override {
    if (!out) return false;
    double value = 0.0;
    if (!aaxdisplay::ReadNumber(text, &value)) {
      *out = T(0);
      return false;
    }
    if constexpr (std::is_same_v<T, int>) {
      *out = aaxdisplay::NumberToInt(value);
    } else {
      *out = static_cast<T>(value);
    }
    return true;
  }
};

// Forwards to the wrapped delegate, which it owns.
template <typename T>
class AAX_IDisplayDelegateDecorator : public AAX_IDisplayDelegate<T> {
public:
  explicit AAX_IDisplayDelegateDecorator(const AAX_IDisplayDelegate<T>& wrapped) : mWrapped(wrapped.Clone()) {}
  AAX_IDisplayDelegateDecorator(const AAX_IDisplayDelegateDecorator& other) : mWrapped(other.mWrapped->Clone()) {}
  AAX_IDisplayDelegateDecorator& operator=(const AAX_IDisplayDelegateDecorator&) = delete;
  ~AAX_IDisplayDelegateDecorator() override { delete mWrapped; }

  AAX_IDisplayDelegateDecorator* Clone() const override { return new AAX_IDisplayDelegateDecorator(*this); }
  bool ValueToString(T value, int32_t maxChars, AAX_CString* out) const override {
    return mWrapped->ValueToString(value, maxChars, out);
  }
  bool ValueToString(T value, AAX_CString* out) const override { return mWrapped->ValueToString(value, out); }
  bool StringToValue(const AAX_CString& text, T* out) const override { return mWrapped->StringToValue(text, out); }

protected:
  const AAX_IDisplayDelegate<T>& Wrapped() const { return *mWrapped; }

private:
  AAX_IDisplayDelegate<T>* mWrapped;  // owned
};

// Adds a unit text right after the wrapped delegate's text, and reads texts with or without it.
template <typename T>
class AAX_CUnitDisplayDelegateDecorator final : public AAX_IDisplayDelegateDecorator<T> {
public:
  AAX_CUnitDisplayDelegateDecorator(const AAX_IDisplayDelegate<T>& wrapped, const AAX_CString& unit)
      : AAX_IDisplayDelegateDecorator<T>(wrapped), mUnit(unit) {}

  AAX_CUnitDisplayDelegateDecorator* Clone() const override { return new AAX_CUnitDisplayDelegateDecorator(*this); }
  bool ValueToString(T value, AAX_CString* out) const override {
    const bool result = this->Wrapped().ValueToString(value, out);
    if (out) out->Append(mUnit);
    return result;
  }
  // The unit only when it fits whole after the value text.
  bool ValueToString(T value, int32_t maxChars, AAX_CString* out) const override {
    const bool result = this->Wrapped().ValueToString(value, maxChars, out);
    if (!out) return result;
    const uint32_t room = maxChars > 0 ? static_cast<uint32_t>(maxChars) : 0u;
    if (out->TextLength() < room && room - out->TextLength() >= mUnit.TextLength()) out->Append(mUnit);
    return result;
  }
  bool StringToValue(const AAX_CString& text, T* out) const override {
    const uint32_t length = text.TextLength();
    const uint32_t unitLength = mUnit.TextLength();
    if (unitLength < length && AAX_CString(text.Text() + (length - unitLength)) == mUnit) {
      AAX_CString number;
      text.SubString(0, length - unitLength, &number);
      return this->Wrapped().StringToValue(number, out);
    }
    return this->Wrapped().StringToValue(text, out);
  }

private:
  AAX_CString mUnit;
};

// A fixed text per value, and the value per text (both exact).
template <typename T>
class AAX_CStringDisplayDelegate;

template <>
class AAX_CStringDisplayDelegate<int> final : public AAX_IDisplayDelegate<int> {
public:
  explicit AAX_CStringDisplayDelegate(const std::map<int32_t, AAX_CString>& texts) : mTexts(texts) {
    for (const auto& entry : mTexts) mValues.emplace(entry.second, entry.first);
  }
  AAX_CStringDisplayDelegate* Clone() const override { return new AAX_CStringDisplayDelegate(mTexts); }
  bool ValueToString(int value, AAX_CString* out) const override {
    if (!out) return false;
    auto it = mTexts.find(value);
    if (it == mTexts.end()) {
      out->SetText("String Not Found");
      return false;
    }
    *out = it->second;
    return true;
  }
  bool ValueToString(int value, int32_t, AAX_CString* out) const override { return ValueToString(value, out); }
  bool StringToValue(const AAX_CString& text, int* out) const override {
    if (!out) return false;
    auto it = mValues.find(text);
    if (it == mValues.end()) {
      *out = 0;
      return false;
    }
    *out = it->second;
    return true;
  }

private:
  std::map<int32_t, AAX_CString> mTexts;
  std::map<AAX_CString, int32_t> mValues;
};

// One text for false and one for true, with optional shorter pairs for narrow displays.
template <typename T>
class AAX_CBinaryDisplayDelegate;

template <>
class AAX_CBinaryDisplayDelegate<bool> final : public AAX_IDisplayDelegate<bool> {
public:
  AAX_CBinaryDisplayDelegate(const char* falseText, const char* trueText) : mFalse(falseText), mTrue(trueText) {
    mLongest = mFalse.TextLength() > mTrue.TextLength() ? mFalse.TextLength() : mTrue.TextLength();
  }
  AAX_CBinaryDisplayDelegate* Clone() const override { return new AAX_CBinaryDisplayDelegate(*this); }

  // A pair used when at most maxChars characters fit.
  void AddShortenedStrings(int32_t maxChars, const char* falseText, const char* trueText) {
    mShortened.push_back(Shortened{maxChars, AAX_CString(falseText), AAX_CString(trueText)});
  }

  bool ValueToString(bool value, AAX_CString* out) const override {
    if (!out) return false;
    *out = value ? mTrue : mFalse;
    return true;
  }
  bool ValueToString(bool value, int32_t maxChars, AAX_CString* out) const override {
    if (!out) return false;
    const uint32_t room = maxChars > 0 ? static_cast<uint32_t>(maxChars) : 0u;
    if (mShortened.empty() || room >= mLongest) return ValueToString(value, out);
    const Shortened* chosen = &mShortened.front();
    for (auto it = mShortened.rbegin(); it != mShortened.rend(); ++it) {
      if (it->maxChars <= maxChars) {
        chosen = &*it;
        break;
      }
    }
    *out = value ? chosen->trueText : chosen->falseText;
    return true;
  }
  bool StringToValue(const AAX_CString& text, bool* out) const override {
    if (!out) return false;
    *out = false;
    if (text == mTrue) {
      *out = true;
      return true;
    }
    return text == mFalse;
  }

private:
  struct Shortened {
    int32_t maxChars;
    AAX_CString falseText;
    AAX_CString trueText;
  };
  AAX_CString mFalse;
  AAX_CString mTrue;
  uint32_t mLongest;
  std::vector<Shortened> mShortened;
};
