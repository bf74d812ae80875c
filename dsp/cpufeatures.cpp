#include "dsp/cpufeatures.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace Dsp {
namespace {
CpuFeatures gFeatures;
bool gPackedAllowed = true;
bool gWideAllowed = true;
bool gWidestAllowed = true;

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
    // AVX needs the operating system to save the upper register halves: OSXSAVE set and XCR0
    // holding both the SSE and the AVX state.
    const bool osxsave = (c >> 27) & 1, avx = (c >> 28) & 1;
    if (osxsave && avx && __get_cpuid_max(0, nullptr) >= 7) {
      unsigned xcr0 = 0, xcr0High = 0;
      __asm__ volatile(".byte 0x0f, 0x01, 0xd0" : "=a"(xcr0), "=d"(xcr0High) : "c"(0));
      unsigned b7 = 0;
      __cpuid_count(7, 0, a, b7, c, d);
      f.avx2 = (xcr0 & 6) == 6 && ((b7 >> 5) & 1);
      // AVX-512 also needs the opmask registers and both halves of the 512-bit state saved.
      f.avx512 = f.avx2 && (xcr0 & 0xE0) == 0xE0 && ((b7 >> 16) & 1) && ((b7 >> 17) & 1);
    }
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

void AllowWideRoad(bool allow) { gWideAllowed = allow; }

bool WideRoadActive() {
#if defined(QO_AVX2_ROAD)
  return gWideAllowed && gFeatures.avx2;
#else
  return false;
#endif
}

void AllowWidestRoad(bool allow) { gWidestAllowed = allow; }

bool WidestRoadActive() {
#if defined(QO_AVX512_ROAD)
  return gWidestAllowed && gFeatures.avx512 && WideRoadActive();
#else
  return false;
#endif
}

}  // namespace Dsp
