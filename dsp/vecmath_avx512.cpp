// The array kernels on eight doubles per register. This file alone is built with AVX-512 F and DQ,
// and with no fused multiply-add (no contraction either: every lane rounds as on SSE2); nothing in
// it is reached unless the processor probe found AVX-512 with the operating system saving its
// registers. Comparisons give masks in the mask registers; they are turned into all-ones lanes so
// that the kernels see the same kind of mask on every road.
// GCC 12's AVX-512 intrinsics pass a deliberately undefined register as the unused source of
// their masked forms, which unoptimised (sanitizer) builds report as maybe uninitialised.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#include "dsp/bandkernel.h"
#include "dsp/vecmath_kernels.h"
#include "dsp/vecmath_road.h"

namespace Dsp {
namespace {

struct Avx512Ops {
  typedef __m512d D;
  typedef __m512i I;
  static constexpr int kLanes = 8;
  static QO_VM_INLINE D FromMask(__mmask8 k) { return _mm512_castsi512_pd(_mm512_movm_epi64(k)); }
  static QO_VM_INLINE __mmask8 ToMask(D a) { return _mm512_movepi64_mask(_mm512_castpd_si512(a)); }
  static QO_VM_INLINE D Add(D a, D b) { return _mm512_add_pd(a, b); }
  static QO_VM_INLINE D Sub(D a, D b) { return _mm512_sub_pd(a, b); }
  static QO_VM_INLINE D Mul(D a, D b) { return _mm512_mul_pd(a, b); }
  static QO_VM_INLINE D Div(D a, D b) { return _mm512_div_pd(a, b); }
  static QO_VM_INLINE D And(D a, D b) { return _mm512_and_pd(a, b); }
  static QO_VM_INLINE D Or(D a, D b) { return _mm512_or_pd(a, b); }
  static QO_VM_INLINE D AndNot(D a, D b) { return _mm512_andnot_pd(a, b); }
  static QO_VM_INLINE D Blend(D mask, D a, D b) { return _mm512_mask_blend_pd(ToMask(mask), b, a); }
  // The packed minimum and maximum give the second operand where either is NaN, as on SSE2.
  static QO_VM_INLINE D Min(D a, D b) { return _mm512_min_pd(a, b); }
  static QO_VM_INLINE D Max(D a, D b) { return _mm512_max_pd(a, b); }
  // The comparison predicates of the SSE2 instructions (same results, NaN included).
  static QO_VM_INLINE D Equal(D a, D b) { return FromMask(_mm512_cmp_pd_mask(a, b, _CMP_EQ_OQ)); }
  static QO_VM_INLINE D Less(D a, D b) { return FromMask(_mm512_cmp_pd_mask(a, b, _CMP_LT_OS)); }
  static QO_VM_INLINE D LessEqual(D a, D b) { return FromMask(_mm512_cmp_pd_mask(a, b, _CMP_LE_OS)); }
  static QO_VM_INLINE D GreaterEqual(D a, D b) { return FromMask(_mm512_cmp_pd_mask(a, b, _CMP_GE_OS)); }
  static QO_VM_INLINE D NotLessEqual(D a, D b) { return FromMask(_mm512_cmp_pd_mask(a, b, _CMP_NLE_US)); }
  static QO_VM_INLINE D Unordered(D a, D b) { return FromMask(_mm512_cmp_pd_mask(a, b, _CMP_UNORD_Q)); }
  static QO_VM_INLINE D Set(double c) { return _mm512_set1_pd(c); }
  static QO_VM_INLINE I SetI(long long c) { return _mm512_set1_epi64(c); }
  static QO_VM_INLINE I AddI(I a, I b) { return _mm512_add_epi64(a, b); }
  static QO_VM_INLINE I SubI(I a, I b) { return _mm512_sub_epi64(a, b); }
  static QO_VM_INLINE I AndI(I a, I b) { return _mm512_and_si512(a, b); }
  static QO_VM_INLINE I OrI(I a, I b) { return _mm512_or_si512(a, b); }
  static QO_VM_INLINE I ShiftLeft52(I a) { return _mm512_slli_epi64(a, 52); }
  static QO_VM_INLINE I ShiftRight52(I a) { return _mm512_srli_epi64(a, 52); }
  static QO_VM_INLINE I Bits(D a) { return _mm512_castpd_si512(a); }
  static QO_VM_INLINE D FromBits(I a) { return _mm512_castsi512_pd(a); }
  static QO_VM_INLINE int Mask(D a) { return ToMask(a); }
  static QO_VM_INLINE D Load(const double* p) { return _mm512_loadu_pd(p); }
  static QO_VM_INLINE void Store(double* p, D a) { _mm512_storeu_pd(p, a); }
  // The upper parts of the registers are cleared on the way out (as after AVX2).
  static QO_VM_INLINE void Leave() { _mm256_zeroupper(); }
  // Every lane twice, in order, over two registers: [g0 g0 .. g3 g3] and [g4 g4 .. g7 g7].
  static QO_VM_INLINE void Spread(D g, D* low, D* high) {
    *low = _mm512_permutexvar_pd(_mm512_set_epi64(3, 3, 2, 2, 1, 1, 0, 0), g);
    *high = _mm512_permutexvar_pd(_mm512_set_epi64(7, 7, 6, 6, 5, 5, 4, 4), g);
  }
};

}  // namespace

const ArrayRoad kAvx512Road = RoadOf<Avx512Ops>::kRoad;

}  // namespace Dsp
