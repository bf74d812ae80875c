#include "dsp/compressors.h"

#include <cmath>

#include "dsp/vecmath.h"

namespace {
constexpr double kLimitNepers = 1.3815510557964;  // 12 x ln(10) / 20

inline double Db(double x) { return std::log(std::fabs(x)) * Dsp::kDbPerNeper; }

// A soft knee around threshold t (dB) whose width is the given share of -t; it exists only for
// thresholds below 0 dB (k > 0).
struct Knee {
  Knee(double t, double share) : k(t * share * -1.0), lo(t - 0.5 * k), hi(t + 0.5 * k) {}
  bool Holds(double level) const { return k > 0.0 && lo < level && level < hi; }
  double k, lo, hi;
};
}  // namespace

BasicComp::BasicComp() : mMaxGain(std::exp(kLimitNepers)), mMinGain(std::exp(-kLimitNepers)) {}

// The bands work through a block in chunks: one pass computes each frame's exponent, the
// logarithms and exponentials of a chunk are taken together (Dsp::LogArray, Dsp::ExpArray), and a
// last pass limits and applies the gains.
namespace {
constexpr int kChunk = 64;

}  // namespace

void NaturalLogs(const double* env, double* levels, int n) {
  // Frames below the gate never read their level: they take ln 1 = 0 instead of ln 0, which would
  // send every frame of a silent block down the slow path of the logarithm.
  for (int i = 0; i < n; ++i) levels[i] = env[i] < Dsp::kGateLevel ? 1.0 : std::fabs(env[i]);
  Dsp::LogArray(levels, levels, n);
}

// Whether any frame of a chunk reaches the gate (a NaN counts): a chunk that does not leaves the
// signal as it is.
static bool AnyAboveGate(const double* env, int n) {
  for (int i = 0; i < n; ++i) {
    if (!(env[i] < Dsp::kGateLevel)) return true;
  }
  return false;
}

// ln |env| of the chunk from base on: the owner's values when it gave them, else computed into space.
static const double* ChunkLogs(const BasicComp& band, int base, int n, double* space) {
  if (band.mEnvelopeLogs) return band.mEnvelopeLogs + base;
  NaturalLogs(band.mEnvelope + base, space, n);
  return space;
}

void TopComp::ApplyGain(double* left, double* right, int frames) {
  mResult = 1.0;
  const double t = Db(mThreshold);
  const Knee knee(t, 0.5);
  const double q = 1.0 - 1.0 / mRatio;
  const double maxGain = mMaxGain, minGain = mMinGain;
  double x[kChunk], space[kChunk];
  for (int base = 0; base < frames; base += kChunk) {
    const int n = frames - base < kChunk ? frames - base : kChunk;
    const double* env = mEnvelope + base;
    if (!AnyAboveGate(env, n)) continue;
    const double* logs = ChunkLogs(*this, base, n, space);
    for (int i = 0; i < n; ++i) {
      x[i] = 0.0;  // gain exactly 1: gated, or no cut
      if (env[i] < Dsp::kGateLevel) continue;
      const double level = logs[i] * Dsp::kDbPerNeper;
      double h;
      if (knee.Holds(level)) {
        h = ((level - knee.lo) / knee.k) * 0.5 * q * (knee.lo - level);
      } else {
        h = (t - level) * q;
        if (h >= 0.0) continue;
      }
      x[i] = h * Dsp::kNeperPerDb;
    }
    Dsp::ExpArray(x, x, n);
    for (int i = 0; i < n; ++i) {
      double gain = x[i];
      if (gain > maxGain) gain = maxGain;
      if (gain < minGain) gain = minGain;
      left[base + i] *= gain;
      right[base + i] *= gain;
      if (gain < mResult) mResult = gain;
    }
  }
}

void BtmComp::ApplyGain(double* left, double* right, int frames) {
  mResult = 1.0;
  const double t = Db(mThreshold);
  const Knee knee(t, 0.2);
  const double q = 1.0 - 1.0 / mRatio;
  double x[kChunk], space[kChunk];
  for (int base = 0; base < frames; base += kChunk) {
    const int n = frames - base < kChunk ? frames - base : kChunk;
    const double* env = mEnvelope + base;
    if (!AnyAboveGate(env, n)) continue;
    const double* logs = ChunkLogs(*this, base, n, space);
    for (int i = 0; i < n; ++i) {
      x[i] = 0.0;  // gain exactly 1: gated, or no boost
      if (env[i] < Dsp::kGateLevel) continue;
      const double level = logs[i] * Dsp::kDbPerNeper;
      double h;
      if (knee.Holds(level)) {
        h = ((level - knee.hi) / knee.k) * 0.5 * q * -1.0 * (knee.hi - level);
      } else {
        h = (t - level) * q;
        if (h <= 0.0) continue;
      }
      x[i] = h * Dsp::kNeperPerDb;
    }
    Dsp::ExpArray(x, x, n);
    for (int i = 0; i < n; ++i) {
      const double gain = x[i];
      left[base + i] *= gain;
      right[base + i] *= gain;
      if (gain > mResult) mResult = gain;
    }
  }
}

void MidComp::ApplyGain(double* left, double* right, int frames) {
  mResult = 0.0;
  double boost = 1.0, cut = 1.0;
  const double threshold = mThreshold;
  const double root = std::sqrt(mRatio);
  const double maxGain = mMaxGain, minGain = mMinGain;
  double moved[kChunk], level[kChunk];  // exponents of lin(c2) and lin(c)
  for (int base = 0; base < frames; base += kChunk) {
    const int n = frames - base < kChunk ? frames - base : kChunk;
    const double* env = mEnvelope + base;
    if (!AnyAboveGate(env, n)) continue;
    for (int i = 0; i < n; ++i) {
      level[i] = env[i] < Dsp::kGateLevel ? 1.0 : std::fabs(env[i] / threshold);  // gated: unused
    }
    Dsp::LogArray(level, level, n);
    for (int i = 0; i < n; ++i) {
      const double c = level[i] * Dsp::kDbPerNeper;
      if (env[i] < Dsp::kGateLevel || std::isinf(c)) {
        moved[i] = level[i] = 0.0;  // gain exactly 1
        continue;
      }
      const double c2 = c > -110.0 ? c / root : c;
      moved[i] = c2 * Dsp::kNeperPerDb;
      level[i] = c * Dsp::kNeperPerDb;
    }
    Dsp::ExpArray(moved, moved, n);
    Dsp::ExpArray(level, level, n);
    for (int i = 0; i < n; ++i) {
      double gain = moved[i] / level[i];
      if (gain > maxGain) gain = maxGain;
      if (gain < minGain) gain = minGain;
      left[base + i] *= gain;
      right[base + i] *= gain;
      if (gain > 1.0 && gain > boost) boost = gain;
      if (gain < 1.0 && gain < cut) cut = gain;
    }
  }
  mResult = std::fabs(Db(boost)) > std::fabs(Db(cut)) ? boost : cut;
}
