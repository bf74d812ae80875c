// Record of one automatable parameter: value in display units, range, step, curve exponent, display
// precision, texts, and the mapping between the value and the normalised range 0..1.
#pragma once

#include <atomic>
#include <cstdint>

#include "fx/containers.h"

enum ParamKind : int32_t {
  kParamUnset = 0,
  kParamToggle = 1,
  kParamInteger = 2,
  kParamChoice = 3,
  kParamContinuous = 4,
};

struct IValueText {
  int32_t value;
  char text[32];
};

class IFxSetting {
 public:
  IFxSetting() : mValueTexts(4096) {}

  void InitContinuous(const char* name, double defaultValue, double minValue, double maxValue,
                      double step, const char* unitLabel = "", const char* group = "",
                      double exponent = 1.0);
  // Stores the exponent unless it is 0.
  void SetExponent(double exponent);
  // Sets the value from a normalised value (limited to 0..1; NaN leaves the value unchanged).
  void AssignNormalized(double n);
  double NormalizedValue() const { return Normalize(Value()); }
  // Normalised value of a value in display units (limited to the range; the exponent's curve).
  double Normalize(double plain) const;
  // Value in display units of a normalised value (limited to 0..1, NaN taken as 0), not rounded to
  // the step: the inverse of Normalize.
  double PlainOf(double normalized) const;
  // Reads a value text in display units: exactly one decimal number (locale-free), optionally
  // followed by the unit label, with the sign flipped back for a parameter shown with its sign
  // flipped; false for anything else (the value is left alone).
  bool ParseValueText(const char* text, double* value) const;
  // Writes the display text of a value into out (at most outSize - 1 characters and a NUL). A
  // normalised value is first held to 0..1; a NaN normalised value gives the empty text.
  void FormatValue(double value, bool isNormalized, char* out, int outSize, bool useValueTexts) const;
  // Appends an entry to the value-text table; false when it cannot grow.
  bool AddValueText(int value, const char* text);

  const char* NameText() const { return mTitle; }
  const char* UnitText() const;
  const char* GroupText() const { return mGroup; }
  // The unit label itself, whatever the current value (UnitText gives "" where a value text speaks).
  const char* UnitLabel() const { return mUnitLabel; }
  int CountValueTexts() const { return mValueTexts.Size() / static_cast<int>(sizeof(IValueText)); }
  const char* ValueTextFor(int value) const;
  // Entry i of the value-text table in the order added; null outside it.
  const IValueText* ValueTextAt(int i) const {
    return i >= 0 && i < CountValueTexts() ? static_cast<const IValueText*>(mValueTexts.Data()) + i
                                           : nullptr;
  }

  ParamKind Kind() const { return mKind; }
  // Plain setter of the kind (InitContinuous keeps a kind already set).
  void SetKind(ParamKind kind) { mKind = kind; }
  double Value() const { return mPlainValue.load(std::memory_order_relaxed); }
  void SetValue(double v) { mPlainValue.store(v, std::memory_order_relaxed); }
  double Lowest() const { return mLowest; }
  double Highest() const { return mHighest; }
  double Increment() const { return mIncrement; }
  double Exponent() const { return mExponent; }
  double DefaultValue() const { return mDefaultPlain; }
  int Decimals() const { return mDecimals; }
  bool FlipSign() const { return mFlipSign; }
  void SetFlipSign(bool flip) { mFlipSign = flip; }
  bool Automatable() const { return mAutomatable; }
  void SetAutomatable(bool automatable) { mAutomatable = automatable; }

 private:
  const IValueText* ValueTextEntry(int value) const;

  ParamKind mKind = kParamUnset;
  // Written without the plug-in lock by the VST3 controller's value setter (user-interface thread)
  // while the audio thread reads and writes it under the lock: an atomic, so that neither side
  // ever sees a torn or stale-forever value. Relaxed order is enough: nothing else is published
  // through it.
  std::atomic<double> mPlainValue{0.0};
  double mLowest = 0.0;
  double mHighest = 1.0;
  double mIncrement = 1.0;
  double mExponent = 1.0;
  double mDefaultPlain = 0.0;
  int32_t mDecimals = 0;
  char mTitle[32] = {};
  char mUnitLabel[32] = {};
  char mGroup[32] = {};
  bool mFlipSign = false;
  bool mAutomatable = true;
  GrowableBlock mValueTexts;  // of IValueText
};

// Copies text into a fixed field of fieldSize bytes, cut at fieldSize - 1 characters; null gives "".
void CopyTextField(char* field, int fieldSize, const char* text);
