#include "fx/ifxsetting.h"

#include "fx/numbertext.h"

#include <cmath>
#include <cstdio>
#include <cstring>

// The value is shared between threads without the plug-in lock; a lock inside the atomic would
// defeat that (and cost on the audio thread).
static_assert(std::atomic<double>::is_always_lock_free, "the parameter value must be a lock-free atomic");

void CopyTextField(char* field, int fieldSize, const char* text) {
  if (!field || fieldSize <= 0) return;
  int n = 0;
  if (text) {
    while (n < fieldSize - 1 && text[n]) {
      field[n] = text[n];
      ++n;
    }
  }
  field[n] = '\0';
}

void IFxSetting::InitContinuous(const char* name, double defaultValue, double minValue,
                                double maxValue, double step, const char* unitLabel,
                                const char* group, double exponent) {
  if (mKind == kParamUnset) mKind = kParamContinuous;
  CopyTextField(mTitle, sizeof mTitle, name);
  CopyTextField(mUnitLabel, sizeof mUnitLabel, unitLabel);
  CopyTextField(mGroup, sizeof mGroup, group);
  mLowest = minValue;
  SetValue(defaultValue);
  mIncrement = step;
  mDefaultPlain = defaultValue;
  mHighest = minValue + step > maxValue ? minValue + step : maxValue;

  // Digits after the point: how often the step must be scaled by 10 until it is whole, at most 6.
  int decimals = 0;
  double s = step;
  while (decimals < 6 && s != std::floor(s)) {
    s *= 10.0;
    ++decimals;
  }
  mDecimals = decimals;
  SetExponent(exponent);
}

void IFxSetting::SetExponent(double exponent) {
  if (exponent != 0.0) mExponent = exponent;
}

void IFxSetting::AssignNormalized(double n) {
  if (std::isnan(n)) return;
  if (n < 0.0) n = 0.0;
  if (n > 1.0) n = 1.0;
  double value = mLowest + std::pow(n, mExponent) * (mHighest - mLowest);
  if (mKind != kParamContinuous) {
    if (mIncrement != 0.0) value = std::floor(value / mIncrement + 0.5) * mIncrement;
  } else if (mIncrement == 1.0) {
    value = std::round(value);  // halves away from zero
  }
  if (std::isnan(value)) return;
  SetValue(value < mHighest ? value : mHighest);
}

double IFxSetting::Normalize(double v) const {
  if (v < mLowest) v = mLowest;
  if (v > mHighest) v = mHighest;
  const double range = mHighest - mLowest;
  if (!(range > 0.0)) return 0.0;
  double n = std::pow((v - mLowest) / range, 1.0 / mExponent);
  if (!(n >= 0.0)) n = 0.0;  // also catches NaN
  if (n > 1.0) n = 1.0;
  return n;
}

double IFxSetting::PlainOf(double n) const {
  if (std::isnan(n)) n = 0.0;
  n = n < 0.0 ? 0.0 : (n > 1.0 ? 1.0 : n);
  return mLowest + std::pow(n, mExponent) * (mHighest - mLowest);
}

bool IFxSetting::ParseValueText(const char* text, double* value) const {
  double v;
  if (!value || !ParseNumberText(text, mUnitLabel, &v)) return false;
  *value = mFlipSign ? -v : v;
  return true;
}

const IValueText* IFxSetting::ValueTextEntry(int value) const {
  const IValueText* e = static_cast<const IValueText*>(mValueTexts.Data());
  const int count = CountValueTexts();
  for (int i = 0; i < count; ++i) {
    if (e[i].value == value) return &e[i];
  }
  return nullptr;
}

// Truncation toward zero that stays defined for values outside the int range.
static int TruncToInt(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return static_cast<int>(v);
}

// A value that lies a rounding error from a whole number (251 after a trip through its normalised
// value comes back as 250.99999999999997) counts as that number, so that truncating it does not
// give the number below.
static double NearWhole(double v) {
  const double whole = std::round(v);
  const double scale = std::fabs(whole) > 1.0 ? std::fabs(whole) : 1.0;
  return std::fabs(v - whole) <= 1e-9 * scale ? whole : v;
}

void IFxSetting::FormatValue(double value, bool isNormalized, char* out, int outSize,
                             bool useValueTexts) const {
  if (!out || outSize <= 0) return;
  if (isNormalized) {
    // A normalised value no parameter can hold: NaN has no text, others are held to 0..1 as
    // AssignNormalized holds them.
    if (std::isnan(value)) {
      out[0] = '\0';
      return;
    }
    value = value < 0.0 ? 0.0 : (value > 1.0 ? 1.0 : value);
    value = std::pow(value, mExponent) * (mHighest - mLowest) + mLowest;
  }
  if (useValueTexts && CountValueTexts() > 0) {
    const IValueText* e = static_cast<const IValueText*>(mValueTexts.Data());
    const int whole = TruncToInt(NearWhole(value));
    for (int i = 0; i < CountValueTexts(); ++i) {
      if (e[i].text[0] == '\0') break;
      if (e[i].value == whole) {
        CopyTextField(out, outSize, e[i].text);
        return;
      }
    }
  }
  if (mFlipSign) value = -value;
  if (mDecimals > 0) {
    FormatFixed(out, static_cast<size_t>(outSize), mDecimals, value);
  } else {
    std::snprintf(out, static_cast<size_t>(outSize), "%d", TruncToInt(NearWhole(value)));
  }
}

bool IFxSetting::AddValueText(int value, const char* text) {
  const int count = CountValueTexts();
  const int want = (count + 1) * static_cast<int>(sizeof(IValueText));
  mValueTexts.ChangeSize(want, false);
  if (mValueTexts.Size() != want) return false;
  IValueText* e = static_cast<IValueText*>(mValueTexts.Data());
  e[count].value = value;
  CopyTextField(e[count].text, sizeof e[count].text, text);
  return true;
}

const char* IFxSetting::UnitText() const {
  const IValueText* e = ValueTextEntry(TruncToInt(Value()));
  if (e && e->text[0] != '\0') return "";
  return mUnitLabel;
}

const char* IFxSetting::ValueTextFor(int value) const {
  const IValueText* e = ValueTextEntry(value);
  return e ? e->text : "";
}
