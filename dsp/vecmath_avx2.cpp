// The array kernels on four doubles per register. This file alone is built with AVX2 (and without
// fused multiply-add, so every lane rounds as on SSE2); nothing in it is reached unless the
// processor probe found AVX2 with the operating system saving its registers.
#include <immintrin.h>

#include "dsp/bandkernel.h"
#include "dsp/vecmath_kernels.h"
#include "dsp/vecmath_road.h"

namespace Dsp {
namespace {

struct Avx2Ops {
  typedef __m256d D;
  typedef __m256i I;
  static constexpr int kLanes = 4;
  static QO_VM_INLINE D Add(D a, D b) { return _mm256_add_pd(a, b); }
  static QO_VM_INLINE D Sub(D a, D b) { return _mm256_sub_pd(a, b); }
  static QO_VM_INLINE D Mul(D a, D b) { return _mm256_mul_pd(a, b); }
  static QO_VM_INLINE D Div(D a, D b) { return _mm256_div_pd(a, b); }
  static QO_VM_INLINE D And(D a, D b) { return _mm256_and_pd(a, b); }
  static QO_VM_INLINE D Or(D a, D b) { return _mm256_or_pd(a, b); }
  static QO_VM_INLINE D AndNot(D a, D b) { return _mm256_andnot_pd(a, b); }
  static QO_VM_INLINE D Blend(D mask, D a, D b) { return _mm256_blendv_pd(b, a, mask); }
  static QO_VM_INLINE D Min(D a, D b) { return _mm256_min_pd(a, b); }
  static QO_VM_INLINE D Max(D a, D b) { return _mm256_max_pd(a, b); }
  static QO_VM_INLINE D Equal(D a, D b) { return _mm256_cmp_pd(a, b, _CMP_EQ_OQ); }
  // The comparison predicates of the SSE2 instructions (same results, NaN included).
  static QO_VM_INLINE D Less(D a, D b) { return _mm256_cmp_pd(a, b, _CMP_LT_OS); }
  static QO_VM_INLINE D LessEqual(D a, D b) { return _mm256_cmp_pd(a, b, _CMP_LE_OS); }
  static QO_VM_INLINE D GreaterEqual(D a, D b) { return _mm256_cmp_pd(a, b, _CMP_GE_OS); }
  static QO_VM_INLINE D NotLessEqual(D a, D b) { return _mm256_cmp_pd(a, b, _CMP_NLE_US); }
  static QO_VM_INLINE D Unordered(D a, D b) { return _mm256_cmp_pd(a, b, _CMP_UNORD_Q); }
  static QO_VM_INLINE D Set(double c) { return _mm256_set1_pd(c); }
  static QO_VM_INLINE I SetI(long long c) { return _mm256_set1_epi64x(c); }
  static QO_VM_INLINE I AddI(I a, I b) { return _mm256_add_epi64(a, b); }
  static QO_VM_INLINE I SubI(I a, I b) { return _mm256_sub_epi64(a, b); }
  static QO_VM_INLINE I AndI(I a, I b) { return _mm256_and_si256(a, b); }
  static QO_VM_INLINE I OrI(I a, I b) { return _mm256_or_si256(a, b); }
  static QO_VM_INLINE I ShiftLeft52(I a) { return _mm256_slli_epi64(a, 52); }
  static QO_VM_INLINE I ShiftRight52(I a) { return _mm256_srli_epi64(a, 52); }
  static QO_VM_INLINE I Bits(D a) { return _mm256_castpd_si256(a); }
  static QO_VM_INLINE D FromBits(I a) { return _mm256_castsi256_pd(a); }
  static QO_VM_INLINE int Mask(D a) { return _mm256_movemask_pd(a); }
  static QO_VM_INLINE D Load(const double* p) { return _mm256_loadu_pd(p); }
  static QO_VM_INLINE void Store(double* p, D a) { _mm256_storeu_pd(p, a); }
  // The upper halves of the registers are cleared on the way out, so that the SSE2 code that
  // follows pays no penalty for mixing the two encodings.
  static QO_VM_INLINE void Leave() { _mm256_zeroupper(); }
  // Every lane twice, in order, over two registers: [g0 g0 g1 g1] and [g2 g2 g3 g3].
  static QO_VM_INLINE void Spread(D g, D* low, D* high) {
    *low = _mm256_permute4x64_pd(g, 0x50);
    *high = _mm256_permute4x64_pd(g, 0xFA);
  }
};

}  // namespace

const ArrayRoad kAvx2Road = RoadOf<Avx2Ops>::kRoad;

}  // namespace Dsp
