#include "dsp/compressors.h"

#include <cmath>

namespace {
constexpr double kLimitNepers = 1.3815510557964;  // 12 x ln(10) / 20

inline double Db(double x) { return std::log(std::fabs(x)) * Dsp::kDbPerNeper; }
inline double Lin(double h) { return std::exp(h * Dsp::kNeperPerDb); }

// A soft knee around threshold t (dB) whose width is the given share of -t; it exists only for
// thresholds below 0 dB (k > 0).
struct Knee {
  Knee(double t, double share) : k(t * share * -1.0), lo(t - 0.5 * k), hi(t + 0.5 * k) {}
  bool Holds(double level) const { return k > 0.0 && lo < level && level < hi; }
  double k, lo, hi;
};
}  // namespace

BasicComp::BasicComp() : mMaxGain(std::exp(kLimitNepers)), mMinGain(std::exp(-kLimitNepers)) {}

void TopComp::ApplyGain(double* left, double* right, int frames) {
  mResult = 1.0;
  const double t = Db(mThreshold);
  const Knee knee(t, 0.5);
  const double q = 1.0 - 1.0 / mRatio;
  const double* env = mEnvelope;
  for (int i = 0; i < frames; ++i) {
    const double e = env[i];
    if (e < Dsp::kGateLevel) continue;  // gain 1
    const double level = Db(e);
    double h;
    if (knee.Holds(level)) {
      h = ((level - knee.lo) / knee.k) * 0.5 * q * (knee.lo - level);
    } else {
      h = (t - level) * q;
      if (h >= 0.0) continue;  // no cut: gain exactly 1
    }
    double gain = Lin(h);
    if (gain > mMaxGain) gain = mMaxGain;
    if (gain < mMinGain) gain = mMinGain;
    left[i] *= gain;
    right[i] *= gain;
    if (gain < mResult) mResult = gain;
  }
}

void BtmComp::ApplyGain(double* left, double* right, int frames) {
  mResult = 1.0;
  const double t = Db(mThreshold);
  const Knee knee(t, 0.2);
  const double q = 1.0 - 1.0 / mRatio;
  const double* env = mEnvelope;
  for (int i = 0; i < frames; ++i) {
    const double e = env[i];
    if (e < Dsp::kGateLevel) continue;
    const double level = Db(e);
    double h;
    if (knee.Holds(level)) {
      h = ((level - knee.hi) / knee.k) * 0.5 * q * -1.0 * (knee.hi - level);
    } else {
      h = (t - level) * q;
      if (h <= 0.0) continue;  // no boost: gain exactly 1
    }
    const double gain = Lin(h);
    left[i] *= gain;
    right[i] *= gain;
    if (gain > mResult) mResult = gain;
  }
}

void MidComp::ApplyGain(double* left, double* right, int frames) {
  mResult = 0.0;
  double boost = 1.0, cut = 1.0;
  const double threshold = mThreshold;
  const double root = std::sqrt(mRatio);
  const double maxGain = mMaxGain, minGain = mMinGain;
  const double* env = mEnvelope;
  for (int i = 0; i < frames; ++i) {
    const double e = env[i];
    if (e < Dsp::kGateLevel) continue;
    const double c = Db(e / threshold);
    double gain;
    if (std::isinf(c)) {
      gain = 1.0;
    } else {
      const double c2 = c > -110.0 ? c / root : c;
      gain = Lin(c2) / Lin(c);
    }
    if (gain > maxGain) gain = maxGain;
    if (gain < minGain) gain = minGain;
    left[i] *= gain;
    right[i] *= gain;
    if (gain > 1.0 && gain > boost) boost = gain;
    if (gain < 1.0 && gain < cut) cut = gain;
  }
  mResult = std::fabs(Db(boost)) > std::fabs(Db(cut)) ? boost : cut;
}
