// The array functions of vecmath.h and bandlaws.h for one instruction set: the two-lane SSE2 set
// (vecmath.cpp), four-lane AVX2 (vecmath_avx2.cpp) and eight-lane AVX-512 (vecmath_avx512.cpp), each
// built in a file of its own for that set. Every road gives the same bits; vecmath.cpp picks the
// widest one the processor has (cpufeatures.h).
#pragma once

namespace Dsp {

struct BandLaws;
struct BandExtremes;
struct FollowerJob;

struct ArrayRoad {
  void (*exp)(const double* in, double* out, int n);
  void (*log)(const double* in, double* out, int n);
  void (*levelLog)(const double* in, double* out, int n, double gate);
  void (*expOnFrames)(const double* in, double* frames, int n);
  void (*tanh)(const double* in, double* out, int n);
  void (*scaledTanh)(const double* in, double* out, int n, double pre, double post);
  void (*scaledTanhFollowing)(double* frames, int n, double pre, double post, FollowerJob& job);
  void (*bands)(const BandLaws& laws, const double* env, const double* logs, double* sums, int n,
                BandExtremes* seen);
};

// Defined only where the build has them; use only where WideRoadActive() or WidestRoadActive()
// says the processor runs them.
extern const ArrayRoad kAvx2Road;
extern const ArrayRoad kAvx512Road;

}  // namespace Dsp
