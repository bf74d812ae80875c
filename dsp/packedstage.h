// One second-order stage of the packed filter road on two lanes (left, right), shared by the files
// that run it. Internal linkage on purpose: it is compiled into files built for different
// instruction sets, and no copy built for a wider set may ever stand in for the plain one.
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Dsp {
namespace {

// Anti-denormal offsets: every stage, and every input sample on the packed road.
constexpr double kStageOffset = 1e-25;
constexpr double kInputOffset = 1e-18;

#if defined(__SSE2__)
// x' = x + 1e-18; w = a1 w1 + a2 w2 + x' + 1e-25; the output y = b2 w2 + b1 w1 + b0 w; the history
// shifts. c holds a1, a2, b0, b1, b2 (both lanes alike). The sum for w is grouped so that the
// recursion's own path (from w[n-1] to w[n]) is one multiplication and one addition: the other
// terms are ready before w[n-1] is. The two offsets enter as one constant (they only matter where
// the signal is near zero, and there their sum is what counts).
inline __m128d PackedRecursion(__m128d x, const __m128d* c, __m128d w1, __m128d w2) {
  const __m128d rest =
      _mm_add_pd(_mm_mul_pd(c[1], w2), _mm_add_pd(x, _mm_set1_pd(kInputOffset + kStageOffset)));
  return _mm_add_pd(_mm_mul_pd(c[0], w1), rest);
}

inline __m128d PackedStage(__m128d x, const __m128d* c, __m128d& w1, __m128d& w2) {
  const __m128d w = PackedRecursion(x, c, w1, w2);
  const __m128d y =
      _mm_add_pd(_mm_add_pd(_mm_mul_pd(c[4], w2), _mm_mul_pd(c[3], w1)), _mm_mul_pd(c[2], w));
  w2 = w1;
  w1 = w;
  return y;
}

// Copies n stages' histories (w[n-1] and w[n-2] of each, one lane pair per stage): into locals at
// the start of a run of frames, so that the recursions never wait on memory (once the stage loops
// unroll, the locals are registers), and back at its end.
inline void CopyHistories(const __m128d* w1, const __m128d* w2, int n, __m128d* h1, __m128d* h2) {
  for (int i = 0; i < n; ++i) {
    h1[i] = w1[i];
    h2[i] = w2[i];
  }
}

// The stage's history moves on as in PackedStage, for a frame whose output nobody reads.
inline void PackedStageUnread(__m128d x, const __m128d* c, __m128d& w1, __m128d& w2) {
  const __m128d w = PackedRecursion(x, c, w1, w2);
  w2 = w1;
  w1 = w;
}
#endif

}  // namespace
}  // namespace Dsp
