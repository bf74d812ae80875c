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
  // Written without short-circuits, so that a loop over frames stays free of branches.
  bool Holds(double level) const { return (k > 0.0) & (lo < level) & (level < hi); }
  double k, lo, hi;
};
}  // namespace

BasicComp::BasicComp() : mMaxGain(std::exp(kLimitNepers)), mMinGain(std::exp(-kLimitNepers)) {}

void NaturalLogs(const double* env, double* levels, int n) {
  // Frames below the gate never read their level: they take ln 1 = 0 instead of ln 0, which would
  // send every frame of a silent block down the slow path of the logarithm.
  Dsp::LevelLogArray(env, levels, n, Dsp::kGateLevel);
}

bool AnyAboveGate(const double* env, int n) {
  for (int i = 0; i < n; ++i) {
    if (!(env[i] < Dsp::kGateLevel)) return true;
  }
  return false;
}

// The curves below are written as selections between values computed for every frame (rather than
// branches), so that the compiler can run them two frames per register. A NaN envelope gives a
// NaN exponent, as the branches would.

void TopComp::GainExponents(const double* env, const double* logs, double* x, int n) const {
  const double t = mLnThreshold(std::fabs(mThreshold)) * Dsp::kDbPerNeper;
  const Knee knee(t, 0.5);
  const double q = 1.0 - 1.0 / mRatio;
  const double bendScale = 0.5 * q / knee.k;
  for (int i = 0; i < n; ++i) {
    const double level = logs[i] * Dsp::kDbPerNeper;
    const double line = (t - level) * q;
    const double bend = ((level - knee.lo) * bendScale) * (knee.lo - level);
    const double h = knee.Holds(level) ? bend : (line >= 0.0 ? 0.0 : line);  // no cut: gain 1
    x[i] = env[i] < Dsp::kGateLevel ? 0.0 : h * Dsp::kNeperPerDb;
  }
}

void BtmComp::GainExponents(const double* env, const double* logs, double* x, int n) const {
  const double t = mLnThreshold(std::fabs(mThreshold)) * Dsp::kDbPerNeper;
  const Knee knee(t, 0.2);
  const double q = 1.0 - 1.0 / mRatio;
  const double bendScale = 0.5 * q / knee.k;
  for (int i = 0; i < n; ++i) {
    const double level = logs[i] * Dsp::kDbPerNeper;
    const double line = (t - level) * q;
    const double bend = ((knee.hi - level) * bendScale) * (knee.hi - level);
    const double h = knee.Holds(level) ? bend : (line <= 0.0 ? 0.0 : line);  // no boost: gain 1
    x[i] = env[i] < Dsp::kGateLevel ? 0.0 : h * Dsp::kNeperPerDb;
  }
}

void MidComp::GainExponents(const double* env, const double* logs, double* x, int n) const {
  // A distance d (in nepers) from the threshold moves to d / sqrt(ratio): the exponent is
  // d (1 / sqrt(ratio) - 1). Distances of -110 dB or more, and infinite ones, stay where they are.
  const double lnThreshold = mLnThreshold(std::fabs(mThreshold));
  const double move = 1.0 / std::sqrt(mRatio) - 1.0;
  const double farBelow = -110.0 * Dsp::kNeperPerDb;
  for (int i = 0; i < n; ++i) {
    const double d = logs[i] - lnThreshold;
    const double v = d <= farBelow ? 0.0 : d * move;
    x[i] = ((env[i] < Dsp::kGateLevel) | (d == INFINITY)) ? 0.0 : v;
  }
}

namespace {
// A knee band's constants: its threshold level t (dB), the knee's bounds (NaN when the band has no
// knee: no level lies between them), the line's slope q and the knee's scale 0.5 q / k.
struct KneeLaw {
  double t, lo, hi, q, bend;
};
KneeLaw KneeLawOf(const BasicComp& band, double share) {
  const double t = band.LnThreshold() * Dsp::kDbPerNeper;
  const Knee knee(t, share);
  const bool hasKnee = knee.k > 0.0;
  const double q = 1.0 - 1.0 / band.mRatio;
  return KneeLaw{t, hasKnee ? knee.lo : NAN, hasKnee ? knee.hi : NAN, q, 0.5 * q / knee.k};
}
}  // namespace

Dsp::BandLaws BandLawsOf(const TopComp& top, const BtmComp& btm, const MidComp& mid,
                         double topLowest, double topHighest, double midLowest, double midHighest) {
  Dsp::BandLaws b;
  const KneeLaw t = KneeLawOf(top, 0.5);
  b.topT = t.t;
  b.topLo = t.lo;
  b.topHi = t.hi;
  b.topQ = t.q;
  b.topBend = t.bend;
  b.topLowest = topLowest;
  b.topHighest = topHighest;
  const KneeLaw u = KneeLawOf(btm, 0.2);
  b.btmT = u.t;
  b.btmLo = u.lo;
  b.btmHi = u.hi;
  b.btmQ = u.q;
  b.btmBend = u.bend;
  b.midLnT = mid.LnThreshold();
  b.midMove = 1.0 / std::sqrt(mid.mRatio) - 1.0;
  b.midFarBelow = -110.0 * Dsp::kNeperPerDb;
  b.midLowest = midLowest;
  b.midHighest = midHighest;
  return b;
}

namespace {
// The gains a band applied to a block: the smallest and the largest (1 when every frame was gated).
struct GainRange {
  double smallest = 1.0;
  double largest = 1.0;
};

// Runs one band over a block on its own, a chunk at a time: the chunk's exponents, one array
// exponential, then the gains, held within [lowest, highest], applied to both channels.
GainRange ApplyBand(const BasicComp& band, double* left, double* right, int frames, double lowest,
                    double highest) {
  constexpr int kChunk = 64;
  GainRange range;
  double logs[kChunk], x[kChunk];
  for (int base = 0; base < frames; base += kChunk) {
    const int n = frames - base < kChunk ? frames - base : kChunk;
    const double* env = band.mEnvelope + base;
    if (!AnyAboveGate(env, n)) continue;
    NaturalLogs(env, logs, n);
    band.GainExponents(env, logs, x, n);
    Dsp::ExpArray(x, x, n);
    for (int i = 0; i < n; ++i) {
      double gain = x[i];
      if (gain > highest) gain = highest;
      if (gain < lowest) gain = lowest;
      left[base + i] *= gain;
      right[base + i] *= gain;
      if (gain < range.smallest) range.smallest = gain;
      if (gain > range.largest) range.largest = gain;
    }
  }
  return range;
}
}  // namespace

void TopComp::ApplyGain(double* left, double* right, int frames) {
  mResult = ApplyBand(*this, left, right, frames, mMinGain, mMaxGain).smallest;
}

void BtmComp::ApplyGain(double* left, double* right, int frames) {
  mResult = ApplyBand(*this, left, right, frames, -INFINITY, INFINITY).largest;
}

void MidComp::ApplyGain(double* left, double* right, int frames) {
  const GainRange range = ApplyBand(*this, left, right, frames, mMinGain, mMaxGain);
  mResult = ResultOf(range.largest, range.smallest);
}

double MidComp::ResultOf(double largest, double smallest) {
  const double boost = largest > 1.0 ? largest : 1.0;
  const double cut = smallest < 1.0 ? smallest : 1.0;
  return std::fabs(Db(boost)) > std::fabs(Db(cut)) ? boost : cut;
}

double MidComp::ResultExponentOf(double highest, double lowest) {
  const double boost = highest > 0.0 ? highest : 0.0;
  const double cut = lowest < 0.0 ? lowest : 0.0;
  return std::fabs(boost) > std::fabs(cut) ? boost : cut;
}
