// The static curves of the three bands (TopComp, BtmComp, MidComp) over an array of envelope
// values in one pass, on the widest registers the processor offers (the same bits on every road).
// The engine runs its three bands in series from one envelope through this; each band's own
// GainExponents computes the same values one band at a time.
#pragma once

namespace Dsp {

// Each band's constants, as the band's GainExponents works them out once per call (levels in dB,
// exponents in nepers).
struct BandLaws {
  // TopComp: knee bounds (NaN when the band has no knee), line slope q, knee scale 0.5 q / k, and
  // the exponent limits of its gain.
  double topT, topLo, topHi, topQ, topBend, topLowest, topHighest;
  // BtmComp: the same without limits.
  double btmT, btmLo, btmHi, btmQ, btmBend;
  // MidComp: ln of its threshold, the factor 1 / sqrt(ratio) - 1, the distance (nepers) from
  // which on levels stay where they are, and the exponent limits of its gain.
  double midLnT, midMove, midFarBelow, midLowest, midHighest;
};

// Extremes of the exponents seen so far (NaNs passed over); start them at 0 (gain 1).
struct BandExtremes {
  double topLowest = 0.0;
  double btmHighest = 0.0;
  double midLowest = 0.0;
  double midHighest = 0.0;
};

// For each of the n frames: the three bands' exponents for envelope value env[i], given
// logs[i] = ln |env[i]| (0 below the gate, as NaturalLogs gives it), Top's and Mid's held within
// their limits; sums[i] := (top + btm) + mid, and the extremes of each are taken into seen.
void BandExponents(const BandLaws& laws, const double* env, const double* logs, double* sums, int n,
                   BandExtremes* seen);

}  // namespace Dsp
