// The array functions: the kernels of vecmath_kernels.h on two-lane SSE2 registers, or on
// four-lane AVX2 registers (vecmath_avx2.cpp) where the processor has them. Both give the same
// bits, so which one runs never shows in the results.
#include "dsp/vecmath.h"

#include <cmath>

#if defined(__SSE2__)
#include "dsp/cpufeatures.h"
#include "dsp/vecmath_kernels.h"
#if defined(QO_AVX2_ROAD)
#include "dsp/vecmath_avx2.h"
#endif
#endif

namespace Dsp {

#if defined(__SSE2__)

#if defined(QO_AVX2_ROAD)
#define QO_VM_WIDE(call) \
  if (WideRoadActive()) return call
#else
#define QO_VM_WIDE(call)
#endif

void ExpArray(const double* in, double* out, int n) {
  QO_VM_WIDE(ExpArrayAvx2(in, out, n));
  Run<Sse2Ops, Exp>(in, out, n);
}
void LogArray(const double* in, double* out, int n) {
  QO_VM_WIDE(LogArrayAvx2(in, out, n));
  Run<Sse2Ops, Log>(in, out, n);
}
void TanhArray(const double* in, double* out, int n) {
  QO_VM_WIDE(TanhArrayAvx2(in, out, n));
  Run<Sse2Ops, Tanh>(in, out, n);
}
#undef QO_VM_WIDE

#else  // no SSE2: the std:: functions

void ExpArray(const double* in, double* out, int n) {
  for (int i = 0; i < n; ++i) out[i] = std::exp(in[i]);
}
void LogArray(const double* in, double* out, int n) {
  for (int i = 0; i < n; ++i) out[i] = std::log(in[i]);
}
void TanhArray(const double* in, double* out, int n) {
  for (int i = 0; i < n; ++i) out[i] = std::tanh(in[i]);
}

#endif

}  // namespace Dsp
