// Taper delegates: the mapping between a parameter's real value and its normalised 0..1 value.
// Every mapping is total: a normalised value outside 0..1 (or NaN) is taken as the nearer end (NaN
// as 0), a real value outside the range as the nearer bound, and a range whose maximum equals its
// minimum normalises to 0.
#pragma once

#include <cmath>
#include <cstdint>

#include "aax/aaxparameter.h"

template <typename T>
class AAX_ITaperDelegate : public AAX_ITaperDelegateBase {
public:
  ~AAX_ITaperDelegate() override = default;
  virtual AAX_ITaperDelegate* Clone() const = 0;
  virtual T GetMaximumValue() const = 0;
  virtual T GetMinimumValue() const = 0;
  virtual T ConstrainRealValue(T value) const = 0;
  virtual T NormalizedToReal(double normalized) const = 0;
  virtual double RealToNormalized(T value) const = 0;
};

namespace aaxtaper {
// n limited to 0..1, NaN taken as 0.
inline double ClampUnit(double n) {
  if (!(n > 0.0)) return 0.0;
  return n < 1.0 ? n : 1.0;
}
}  // namespace aaxtaper

template <typename T>
class AAX_CBinaryTaperDelegate;

template <>
class AAX_CBinaryTaperDelegate<bool> final : public AAX_ITaperDelegate<bool> {
public:
  AAX_CBinaryTaperDelegate() = default;
  AAX_CBinaryTaperDelegate* Clone() const override { return new AAX_CBinaryTaperDelegate(); }
  bool GetMaximumValue() const override { return true; }
  bool GetMinimumValue() const override { return false; }
  bool ConstrainRealValue(bool value) const override { return value; }
  bool NormalizedToReal(double normalized) const override { return normalized > 0.0; }
  double RealToNormalized(bool value) const override { return value ? 1.0 : 0.0; }
};

// Whole-number linear taper; the second argument is the number of decimals kept (only 0 exists).
template <typename T, int32_t Precision = 0>
class AAX_CLinearTaperDelegate;

template <>
class AAX_CLinearTaperDelegate<int, 0> final : public AAX_ITaperDelegate<int> {
public:
  AAX_CLinearTaperDelegate(int minimum, int maximum) : mMin(minimum), mMax(maximum) {}
  AAX_CLinearTaperDelegate* Clone() const override { return new AAX_CLinearTaperDelegate(mMin, mMax); }
  int GetMaximumValue() const override { return mMax; }
  int GetMinimumValue() const override { return mMin; }
  int ConstrainRealValue(int value) const override {
    if (value > mMax) return mMax;
    if (value < mMin) return mMin;
    return value;
  }
  // Computed and constrained in double before the truncation toward zero, so that no value outside
  // the int range is ever converted.
  int NormalizedToReal(double normalized) const override {
    const double n = aaxtaper::ClampUnit(normalized);
    double real = (static_cast<double>(mMax) - static_cast<double>(mMin)) * n + static_cast<double>(mMin);
    if (real > mMax) real = mMax;
    if (real < mMin) real = mMin;
    return static_cast<int>(real);
  }
  double RealToNormalized(int value) const override {
    const double span = static_cast<double>(mMax) - static_cast<double>(mMin);
    if (!(span > 0.0)) return 0.0;
    return (static_cast<double>(ConstrainRealValue(value)) - static_cast<double>(mMin)) / span;
  }

private:
  int32_t mMin;
  int32_t mMax;
};

// The framework's own curve: real = min + (max - min) x n ^ shape.
template <typename T>
class AAX_CIFxTaperDelegate;

template <>
class AAX_CIFxTaperDelegate<double> final : public AAX_ITaperDelegate<double> {
public:
  AAX_CIFxTaperDelegate(double minimum, double maximum, double shape) : mMin(minimum), mMax(maximum), mShape(shape) {}
  AAX_CIFxTaperDelegate* Clone() const override { return new AAX_CIFxTaperDelegate(mMin, mMax, mShape); }
  double GetMaximumValue() const override { return mMax; }
  double GetMinimumValue() const override { return mMin; }
  // NaN is taken as the minimum.
  double ConstrainRealValue(double value) const override {
    if (value > mMax) return mMax;
    if (value < mMin) return mMin;
    if (std::isnan(value)) return mMin;
    return value;
  }
  double NormalizedToReal(double normalized) const override {
    const double n = aaxtaper::ClampUnit(normalized);
    return ConstrainRealValue(mMin + (mMax - mMin) * std::pow(n, mShape));
  }
  double RealToNormalized(double value) const override {
    const double span = mMax - mMin;
    if (!(span > 0.0)) return 0.0;
    const double n = std::pow((ConstrainRealValue(value) - mMin) / span, 1.0 / mShape);
    return aaxtaper::ClampUnit(n);
  }

private:
  double mMin;
  double mMax;
  double mShape;
};
