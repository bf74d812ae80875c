// Helpers shared by the dynamics engine tests: test signals, a sine amplitude meter, the road
// switch and the analytic magnitude of a Chebyshev II low-pass, derived independently of the filter
// code.
#pragma once

#include <cmath>
#include <random>
#include <vector>

#include "dsp/cpufeatures.h"

namespace dsptest {

constexpr double kPi = 3.14159265358979323846;

inline double ToDb(double gain) { return 20.0 * std::log10(gain); }
inline double FromDb(double db) { return std::pow(10.0, db / 20.0); }

// Keeps the two-channel filters on the per-channel road while it lives.
class ScalarRoad {
 public:
  ScalarRoad() { Dsp::AllowPackedRoad(false); }
  ~ScalarRoad() { Dsp::AllowPackedRoad(true); }
  ScalarRoad(const ScalarRoad&) = delete;
  ScalarRoad& operator=(const ScalarRoad&) = delete;
};

// Keeps the array maths and the packed filters on two-lane registers while it lives.
class TwoLaneRoad {
 public:
  TwoLaneRoad() { Dsp::AllowWideRoad(false); }
  ~TwoLaneRoad() { Dsp::AllowWideRoad(true); }
  TwoLaneRoad(const TwoLaneRoad&) = delete;
  TwoLaneRoad& operator=(const TwoLaneRoad&) = delete;
};

// The wide roads of the array maths this processor has: AVX-512 where present (the default), then
// AVX2 (AVX-512 held off). Each entry names the road and says whether it is the widest.
struct WideRoad {
  const char* name;
  bool widest;
};
inline std::vector<WideRoad> WideRoads() {
  std::vector<WideRoad> roads;
  if (Dsp::WidestRoadActive()) roads.push_back({"AVX-512", true});
  if (Dsp::WideRoadActive()) roads.push_back({"AVX2", false});
  return roads;
}
// Holds the array maths on the given wide road while it lives.
class OnWideRoad {
 public:
  explicit OnWideRoad(const WideRoad& road) { Dsp::AllowWidestRoad(road.widest); }
  ~OnWideRoad() { Dsp::AllowWidestRoad(true); }
  OnWideRoad(const OnWideRoad&) = delete;
  OnWideRoad& operator=(const OnWideRoad&) = delete;
};

// Interleaved stereo noise, uniform in [-scale, scale].
inline std::vector<double> RandomStereo(int frames, unsigned seed, double scale = 1.0) {
  std::mt19937_64 gen(seed);
  std::uniform_real_distribution<double> dist(-scale, scale);
  std::vector<double> v(2 * static_cast<size_t>(frames));
  for (double& x : v) x = dist(gen);
  return v;
}

// Interleaved stereo sine (cycles per sample); the right channel runs a quarter period ahead.
inline std::vector<double> StereoSine(int frames, double freq, double amplitude,
                                      int firstFrame = 0) {
  std::vector<double> v(2 * static_cast<size_t>(frames));
  for (int n = 0; n < frames; ++n) {
    const double ph = 2.0 * kPi * freq * (n + firstFrame);
    v[2 * n] = amplitude * std::sin(ph);
    v[2 * n + 1] = amplitude * std::cos(ph);
  }
  return v;
}

// Amplitude of the component at freq in one channel of interleaved data, frames [start,
// start+count). count must span whole periods of freq.
inline double SineAmplitude(const std::vector<double>& v, int channel, int start, int count,
                            double freq) {
  double s = 0.0, c = 0.0;
  for (int n = start; n < start + count; ++n) {
    const double ph = 2.0 * kPi * freq * n;
    s += v[2 * static_cast<size_t>(n) + channel] * std::sin(ph);
    c += v[2 * static_cast<size_t>(n) + channel] * std::cos(ph);
  }
  return 2.0 * std::hypot(s, c) / count;
}

// Chebyshev polynomial of the first kind, for x >= 0.
inline double ChebyshevT(int n, double x) {
  return x <= 1.0 ? std::cos(n * std::acos(x)) : std::cosh(n * std::acosh(x));
}

// |H| of an order-n Chebyshev II low-pass whose stop band starts at `cutoff` (cycles per sample)
// with `stopBandDb` of attenuation, digitised by the bilinear transform prewarped at the cutoff.
// Analog prototype with the stop-band edge at 1 rad/s:
//   |H(jW)|^2 = e2 T(1/W)^2 / (1 + e2 T(1/W)^2),  e2 = 1 / (10^(S/10) - 1),
// and the prewarped mapping W = tan(pi f) / tan(pi cutoff).
inline double ChebyIIMagnitude(int order, double cutoff, double stopBandDb, double f) {
  if (f <= 0.0) return 1.0;
  const double w = std::tan(kPi * f) / std::tan(kPi * cutoff);
  const double e2 = 1.0 / (std::pow(10.0, stopBandDb / 10.0) - 1.0);
  const double t = ChebyshevT(order, 1.0 / w);
  if (t == 0.0) return 0.0;
  return 1.0 / std::sqrt(1.0 + 1.0 / (e2 * t * t));
}

inline bool AllFinite(const std::vector<double>& v) {
  for (double x : v) {
    if (!std::isfinite(x)) return false;
  }
  return true;
}

inline double MaxAbs(const std::vector<double>& v) {
  double m = 0.0;
  for (double x : v) m = std::fabs(x) > m ? std::fabs(x) : m;
  return m;
}

}  // namespace dsptest
