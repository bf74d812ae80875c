#include "dsp/cpufeatures.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace Dsp {
namespace {
CpuFeatures gFeatures;
bool gPackedAllowed = true;

struct Prober {
  Prober() { ProbeCpuFeatures(); }
} gProbeAtStart;
}  // namespace

void ProbeCpuFeatures() {
  CpuFeatures f;
#if defined(__i386__) || defined(__x86_64__)
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (__get_cpuid(0, &a, &b, &c, &d) && a >= 1) {
    __cpuid(1, a, b, c, d);
    f.mmx = (d >> 23) & 1;
    f.fxsr = (d >> 24) & 1;
    f.sse = (d >> 25) & 1;
    f.sse3 = c & 1;
    f.ssse3 = (c >> 9) & 1;
    f.sse41 = (c >> 19) & 1;
    f.sse42 = (c >> 20) & 1;
  }
#endif
  gFeatures = f;
}

const CpuFeatures& Features() { return gFeatures; }

void AllowPackedRoad(bool allow) { gPackedAllowed = allow; }

bool PackedRoadActive() {
#if defined(__SSE2__)
  return gPackedAllowed && gFeatures.sse3;
#else
  return false;
#endif
}

}  // namespace Dsp
