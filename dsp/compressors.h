// The three gain bands that act on a stereo signal from one shared level envelope: TopComp pulls the
// level down above an upper threshold, BtmComp raises it below a lower threshold, MidComp moves it
// towards an average threshold from both sides.
#pragma once

#include <cmath>

#include "dsp/bandlaws.h"

namespace Dsp {
// dB of a linear amplitude and back, with the constants the engine and the plug-in share.
inline constexpr double kDbPerNeper = 8.685889638065037;  // 20 / ln 10
inline constexpr double kNeperPerDb = 0.1151292546497;    // ln 10 / 20
// Envelope values below this (-48 dB) leave every band's gain at exactly 1.
inline constexpr double kGateLevel = 0.00398107;
}  // namespace Dsp

// ln x of the last x asked for, worked out again only when x changes: parameters change rarely,
// blocks come often. (A NaN never matches, so it is always worked out.)
class CachedLog {
 public:
  double operator()(double x) {
    if (!(x == mOf)) {
      mOf = x;
      mValue = std::log(x);
    }
    return mValue;
  }

 private:
  double mOf = NAN;
  double mValue = NAN;
};

// logs[i] := ln |env[i]| for the n frames at or above the gate level; 0 for the frames below it.
void NaturalLogs(const double* env, double* logs, int n);

// Whether any of the n envelope values reaches the gate level (a NaN counts). A stretch of frames
// where none does leaves every band's gain at exactly 1.
bool AnyAboveGate(const double* env, int n);

class BasicComp {
 public:
  BasicComp();
  virtual ~BasicComp() {}
  // Multiplies left[i] and right[i] by the band's gain for envelope value i; updates mResult.
  virtual void ApplyGain(double* left, double* right, int frames) = 0;
  // The band's static curve: x[i] := ln(gain) for envelope value env[i] before the band's limits,
  // given logs[i] = ln |env[i]| as NaturalLogs gives it; exactly 0 where the gain is 1 (gated
  // frames among them). Bands that read one envelope can add these and take one exponential.
  virtual void GainExponents(const double* env, const double* logs, double* x, int n) const = 0;
  // ln |mThreshold|.
  double LnThreshold() const { return mLnThreshold(std::fabs(mThreshold)); }

  double mThreshold = 1.0;            // linear amplitude
  double mRatio = 1.0;
  const double* mEnvelope = nullptr;  // one value per frame, set before each call
  double mResult = 1.0;               // linear gain result of the last block
  double mMaxGain;                    // +12 dB
  double mMinGain;                    // -12 dB

 protected:
  mutable CachedLog mLnThreshold;     // of |mThreshold|
};

// The constants of the three bands' curves, as their GainExponents use them, for BandExponents
// (bandlaws.h). The exponent limits are the logarithms of Top's and Mid's gain limits, passed in
// (their owner keeps them).
Dsp::BandLaws BandLawsOf(const class TopComp& top, const class BtmComp& btm,
                         const class MidComp& mid, double topLowest, double topHighest,
                         double midLowest, double midHighest);

// Downward above the threshold, with a soft knee for thresholds below 0 dB; limited to +-12 dB.
// Block result: the smallest gain.
class TopComp : public BasicComp {
 public:
  void ApplyGain(double* left, double* right, int frames) override;
  void GainExponents(const double* env, const double* logs, double* x, int n) const override;
};

// Upward below the threshold, with a soft knee; not limited. Block result: the largest gain.
class BtmComp : public BasicComp {
 public:
  void ApplyGain(double* left, double* right, int frames) override;
  void GainExponents(const double* env, const double* logs, double* x, int n) const override;
};

// Towards the threshold from both sides: c dB away becomes c / sqrt(ratio) dB away, within +-12 dB.
// Block result: the largest boost or the deepest cut, whichever is larger in dB (a tie is the cut).
class MidComp : public BasicComp {
 public:
  void ApplyGain(double* left, double* right, int frames) override;
  void GainExponents(const double* env, const double* logs, double* x, int n) const override;
  // The block result from the largest and the smallest gain the block applied: the boost or the
  // cut that moves the level more in dB (a tie takes the cut).
  static double ResultOf(double largest, double smallest);
  // The same choice made on the gains' exponents (natural logs): the exponent of the result.
  static double ResultExponentOf(double highest, double lowest);
};
