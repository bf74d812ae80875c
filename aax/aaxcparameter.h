// The typed AAX parameter: an identifier, a name with shorter forms, a real value of type T (bool,
// int or double) seen by the host as a normalised 0..1 value through its taper delegate and as text
// through its display delegate. Bound to the host's automation, a change is requested from the host
// and stored when the host answers (ApplyNormalizedValue); unbound, it is stored at once.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <map>
#include <type_traits>

#include "aax/aaxdisplay.h"
#include "aax/aaxparameter.h"
#include "aax/aaxproxies.h"
#include "aax/aaxstring.h"
#include "aax/aaxtaper.h"

template <typename T>
class AAX_CParameter final : public AAX_IParameter {
  static_assert(std::is_same_v<T, bool> || std::is_same_v<T, int> || std::is_same_v<T, double>,
                "parameters hold a bool, an int or a double");

public:
  // The delegates are cloned (the caller keeps its own). A null identifier is the empty text; a
  // longer one keeps its first 31 characters. The value starts at the default, constrained.
  AAX_CParameter(const char* identifier, const AAX_CString& name, T defaultValue, const AAX_ITaperDelegate<T>& taper,
                 const AAX_IDisplayDelegate<T>& display, bool automatable)
      : mName(name), mAutomatable(automatable), mTaper(taper.Clone()), mDisplay(display.Clone()),
        mDefaultValue(defaultValue) {
    std::memset(mIdentifier, 0, sizeof mIdentifier);
    if (identifier) std::strncpy(mIdentifier, identifier, sizeof mIdentifier - 1);
    if (mNumberOfSteps == 0) mNumberOfSteps = mType == 0 ? 2u : 128u;
    RequestValue(mDefaultValue);
  }
  AAX_CParameter(const AAX_CParameter&) = delete;
  AAX_CParameter& operator=(const AAX_CParameter&) = delete;
  ~AAX_CParameter() {
    if (mAutomationDelegate) mAutomationDelegate->WithdrawParameter(mIdentifier);
    delete mTaper;
    delete mDisplay;
  }

  void Destroy() override { delete this; }
  const char* GetIdentifier() const override { return mIdentifier; }
  void SetName(const AAX_IString& name) override { mName.SetText(name.Text()); }
  const AAX_CString& GetName() const override { return mName; }
  // Keyed by length: a name of a length already present replaces it. A failed allocation adds
  // nothing.
  void AddShortenedName(const AAX_IString& name) override {
    AnswerHostCall(false, [&] {
      const AAX_CString own(name.Text());
      mShortenedNames.insert_or_assign(static_cast<int32_t>(own.TextLength()), own);
      return true;
    });
  }
  // The longest shortened name of at most numChars characters, else the shortest one; the full name
  // when numChars is negative or not below the name's length, or when there are none.
  const AAX_CString& GetShortenedName(int32_t numChars) const override {
    if (numChars < 0 || static_cast<uint32_t>(numChars) >= mName.TextLength() || mShortenedNames.empty()) return mName;
    auto it = mShortenedNames.upper_bound(numChars);
    if (it == mShortenedNames.begin()) return it->second;
    return std::prev(it)->second;
  }
  void ClearShortenedNames() override { mShortenedNames.clear(); }
  bool IsAutomatable() const override { return mAutomatable; }
  // Withdraws the identifier from the delegate bound before and enrols it with the new one.
  void BindAutomationDelegate(AAX_IAutomationDelegate* delegate) override {
    if (delegate == mAutomationDelegate) return;
    if (mAutomationDelegate) mAutomationDelegate->WithdrawParameter(mIdentifier);
    mAutomationDelegate = delegate;
    if (mAutomationDelegate) mAutomationDelegate->EnrolParameter(mIdentifier);
  }
  void BeginTouch() override {
    if (mAutomationDelegate) mAutomationDelegate->RequestTouch(mIdentifier);
  }
  void EndTouch() override {
    if (mAutomationDelegate) mAutomationDelegate->RequestRelease(mIdentifier);
  }
  void SetNormalizedValue(double normalized) override { RequestValue(mTaper->NormalizedToReal(normalized)); }
  double GetNormalizedValue() const override { return mTaper->RealToNormalized(Value()); }
  void SetNormalizedDefaultValue(double normalized) override {
    mDefaultValue = mTaper->ConstrainRealValue(mTaper->NormalizedToReal(normalized));
  }
  double GetNormalizedDefaultValue() const override { return mTaper->RealToNormalized(mDefaultValue); }
  void SetToDefaultValue() override { RequestValue(mDefaultValue); }
  void SetNumberOfSteps(uint32_t steps) override { mNumberOfSteps = steps; }
  uint32_t GetNumberOfSteps() const override { return mNumberOfSteps; }
  // The nearest of the steps evenly spread over 0..1.
  uint32_t GetStepValue() const override {
    const uint32_t steps = GetNumberOfSteps();
    if (steps < 2) return 0;
    const double last = static_cast<double>(steps - 1);
    double s = GetNormalizedValue() / (1.0 / last) + 0.5;
    if (!(s > 0.0)) s = 0.0;
    if (s > last) s = last;
    return static_cast<uint32_t>(s);
  }
  void SetStepValue(uint32_t step) override {
    const uint32_t steps = GetNumberOfSteps();
    if (steps < 2) return;
    double n = (1.0 / static_cast<double>(steps - 1)) * static_cast<double>(step);
    if (n > 1.0) n = 1.0;
    if (n < 0.0) n = 0.0;
    SetNormalizedValue(n);
  }
  // The length limit is not applied to the current value's text.
  bool GetValueString(int32_t, AAX_IString* out) const override { return GetValueString(out); }
  bool GetValueString(AAX_IString* out) const override {
    return WriteText(out, [&](AAX_CString* text) { return mDisplay->ValueToString(Value(), text); });
  }
  // out receives the normalised form of what the text reads (constrained); the result is false when
  // the text reads nothing or a value outside the range.
  bool GetNormalizedValueFromString(const AAX_IString& text, double* out) const override {
    if (!out) return false;
    T value{};
    if (!ReadText(text, &value)) return false;
    *out = mTaper->RealToNormalized(value);
    return InRange(value);
  }
  bool GetStringFromNormalizedValue(double normalized, int32_t maxChars, AAX_IString& out) const override {
    const T value = mTaper->NormalizedToReal(normalized);
    const auto display = [&](AAX_CString* text) { return mDisplay->ValueToString(value, maxChars, text); };
    if (!WriteText(&out, display)) return false;
    return InRange(value);
  }
  bool GetStringFromNormalizedValue(double normalized, AAX_IString& out) const override {
    const T value = mTaper->NormalizedToReal(normalized);
    if (!WriteText(&out, [&](AAX_CString* text) { return mDisplay->ValueToString(value, text); })) return false;
    return InRange(value);
  }
  bool SetValueFromString(const AAX_IString& text) override {
    T value{};
    if (!ReadText(text, &value)) return false;
    RequestValue(value);
    return true;
  }

  bool ReadBool(bool* out) const override { return ReadAs<bool>(out); }
  bool ReadInt32(int32_t* out) const override { return ReadAs<int>(out); }
  bool ReadFloat(float*) const override { return false; }
  bool ReadDouble(double* out) const override { return ReadAs<double>(out); }
  bool ReadString(AAX_IString*) const override { return false; }
  bool WriteBool(bool value) override { return WriteAs<bool>(value); }
  bool WriteInt32(int32_t value) override { return WriteAs<int>(value); }
  bool WriteFloat(float) override { return false; }
  bool WriteDouble(double value) override { return WriteAs<double>(value); }
  bool WriteString(const AAX_IString&) override { return false; }

  void SetType(int32_t type) override { mType = type; }
  int32_t GetType() const override { return mType; }
  void SetOrientation(int32_t orientation) override { mOrientation = orientation; }
  int32_t GetOrientation() const override { return mOrientation; }
  // A null taper, one of another value type or one that is not this module's is ignored, and so is
  // any when its copy cannot be made. preserveValue keeps the real value (constrained to the new
  // range), otherwise the normalised position is kept.
  void SetTaperDelegate(const AAX_ITaperDelegateBase* taper, bool preserveValue) override {
    if (!AAX_ITaperDelegateBase::IsOwn(taper)) return;
    auto* typed = dynamic_cast<const AAX_ITaperDelegate<T>*>(taper);
    if (!typed) return;
    const double normalized = GetNormalizedValue();
    AAX_ITaperDelegate<T>* replacement = AnswerHostCall(nullptr, [&] { return typed->Clone(); });
    if (!replacement) return;
    delete mTaper;
    mTaper = replacement;
    mForceUpdate = true;
    if (preserveValue) {
      RequestValue(Value());
    } else {
      ApplyNormalizedValue(normalized);
    }
  }
  // A null display, one of another value type or one that is not this module's is ignored, and so is
  // any when its copy cannot be made. The host is told the value again so that it fetches the new
  // text.
  void SetDisplayDelegate(const AAX_IDisplayDelegateBase* display) override {
    if (!AAX_IDisplayDelegateBase::IsOwn(display)) return;
    auto* typed = dynamic_cast<const AAX_IDisplayDelegate<T>*>(display);
    if (!typed) return;
    AAX_IDisplayDelegate<T>* replacement = AnswerHostCall(nullptr, [&] { return typed->Clone(); });
    if (!replacement) return;
    delete mDisplay;
    mDisplay = replacement;
    if (mAutomationDelegate) mAutomationDelegate->ReportValue(mIdentifier, GetNormalizedValue());
  }
  // Stores the real value of n (unless it equals the stored one and no update is forced) and reports
  // n itself to the host's automation.
  void ApplyNormalizedValue(double normalized) override {
    const T value = mTaper->NormalizedToReal(normalized);
    if (!mForceUpdate && value == Value()) return;
    mValue.store(value, std::memory_order_relaxed);
    if (mAutomationDelegate) mAutomationDelegate->ReportValue(mIdentifier, normalized);
    mForceUpdate = false;
  }

  // Asks for a new real value: through the host's automation when bound (touch, request, release;
  // the host answers through ApplyNormalizedValue), else stored and reported at once.
  void RequestValue(T value) {
    const double normalized = mTaper->RealToNormalized(value);
    if (!mAutomationDelegate) {
      mForceUpdate = true;
      ApplyNormalizedValue(normalized);
      return;
    }
    BeginTouch();
    mAutomationDelegate->RequestSetValue(mIdentifier, normalized);
    EndTouch();
  }

  T Value() const { return mValue.load(std::memory_order_relaxed); }
  T DefaultValue() const { return mDefaultValue; }

private:
  bool InRange(T value) const { return mTaper->GetMinimumValue() <= value && value <= mTaper->GetMaximumValue(); }

  // The display writes into a string of this module, which then goes to out through out's SetText
  // slot (out may be the host's object); false for a null out, and false with out unchanged when the
  // display's work throws (a failed allocation).
  template <typename Display>
  static bool WriteText(AAX_IString* out, Display display) {
    if (!out) return false;
    return AnswerHostCall(false, [&] {
      AAX_CString text;
      const bool result = display(&text);
      out->SetText(text.Text());
      return result;
    });
  }
  // What the display reads in the text (read through its slots); false when it reads no value or
  // its work throws.
  bool ReadText(const AAX_IString& text, T* value) const {
    return AnswerHostCall(false, [&] { return mDisplay->StringToValue(AAX_CString(text.Text()), value); });
  }

  template <typename U>
  bool ReadAs(U* out) const {
    if constexpr (std::is_same_v<T, U>) {
      if (!out) return false;
      *out = Value();
      return true;
    } else {
      (void)out;
      return false;
    }
  }
  template <typename U>
  bool WriteAs(U value) {
    if constexpr (std::is_same_v<T, U>) {
      RequestValue(value);
      return true;
    } else {
      (void)value;
      return false;
    }
  }

  char mIdentifier[32];
  AAX_CString mName;
  std::map<int32_t, AAX_CString> mShortenedNames;
  bool mAutomatable;
  uint32_t mNumberOfSteps = 0;
  int32_t mType = 1;
  int32_t mOrientation = 0;
  AAX_ITaperDelegate<T>* mTaper;                       // owned
  AAX_IDisplayDelegate<T>* mDisplay;                   // owned
  AAX_IAutomationDelegate* mAutomationDelegate = nullptr;  // not owned
  bool mForceUpdate = true;
  // Written by the host's parameter updates and read by the render on the audio thread without a
  // lock: an atomic that never needs one. Relaxed order is enough: nothing else is published
  // through it.
  std::atomic<T> mValue{T{}};
  static_assert(std::atomic<T>::is_always_lock_free, "the render reads the value without waiting");
  T mDefaultValue;
};
