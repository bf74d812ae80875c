// Exp, log and tanh kernels over arrays, written once for any width of register: T names the
// register type and its instructions (Sse2Ops below; a wider set lives in a file built for AVX2).
// Every lane goes through the same operations in the same order whatever T and the grouping are,
// so all widths give the same bits.
//
// The common path has no per-element branch: each register of inputs is checked with one compare
// mask, and only a register holding an input outside the fast range (NaN, infinities,
// overflow/underflow of exp, non-normal or non-positive arguments of log) goes back to the std::
// function for those lanes.
//
// Without fused multiply-add the results are within a few ulps (relative error below 4e-16): the
// arguments are reduced with ln 2 in two parts, the reduced argument is rounded once, and every
// later rounding is of a term no larger than the sum it enters. The polynomials are fitted to
// their functions over the reduced interval (see ExpTail3 and AtanhTail3).
//
// Everything here has internal linkage on purpose: the file is compiled once per instruction set,
// and no copy built for a wider set may ever stand in for the plain one. Only for SSE2 builds.
#pragma once

#include <emmintrin.h>

#include <cmath>
#include <cstddef>
#include <utility>

#include "dsp/follower.h"

namespace Dsp {
namespace {

// Small helpers must be inlined into the loops for the constants to stay in registers.
#if defined(__GNUC__)
#define QO_VM_INLINE inline __attribute__((always_inline))
#else
#define QO_VM_INLINE inline
#endif

// ---------------------------------------------------------------- register sets

// Two doubles per register (SSE2).
struct Sse2Ops {
  typedef __m128d D;
  typedef __m128i I;
  static constexpr int kLanes = 2;
  static QO_VM_INLINE D Add(D a, D b) { return _mm_add_pd(a, b); }
  static QO_VM_INLINE D Sub(D a, D b) { return _mm_sub_pd(a, b); }
  static QO_VM_INLINE D Mul(D a, D b) { return _mm_mul_pd(a, b); }
  static QO_VM_INLINE D Div(D a, D b) { return _mm_div_pd(a, b); }
  static QO_VM_INLINE D And(D a, D b) { return _mm_and_pd(a, b); }
  static QO_VM_INLINE D Or(D a, D b) { return _mm_or_pd(a, b); }
  static QO_VM_INLINE D AndNot(D a, D b) { return _mm_andnot_pd(a, b); }
  // a where the mask (all ones or all zeros per lane) is set, else b
  static QO_VM_INLINE D Blend(D mask, D a, D b) { return _mm_or_pd(_mm_and_pd(mask, a), _mm_andnot_pd(mask, b)); }
  static QO_VM_INLINE D Min(D a, D b) { return _mm_min_pd(a, b); }
  static QO_VM_INLINE D Max(D a, D b) { return _mm_max_pd(a, b); }
  static QO_VM_INLINE D Equal(D a, D b) { return _mm_cmpeq_pd(a, b); }
  static QO_VM_INLINE D Less(D a, D b) { return _mm_cmplt_pd(a, b); }
  static QO_VM_INLINE D LessEqual(D a, D b) { return _mm_cmple_pd(a, b); }
  static QO_VM_INLINE D GreaterEqual(D a, D b) { return _mm_cmpge_pd(a, b); }
  static QO_VM_INLINE D NotLessEqual(D a, D b) { return _mm_cmpnle_pd(a, b); }
  static QO_VM_INLINE D Unordered(D a, D b) { return _mm_cmpunord_pd(a, b); }
  static QO_VM_INLINE D Set(double c) { return _mm_set1_pd(c); }
  static QO_VM_INLINE I SetI(long long c) { return _mm_set1_epi64x(c); }
  static QO_VM_INLINE I AddI(I a, I b) { return _mm_add_epi64(a, b); }
  static QO_VM_INLINE I SubI(I a, I b) { return _mm_sub_epi64(a, b); }
  static QO_VM_INLINE I AndI(I a, I b) { return _mm_and_si128(a, b); }
  static QO_VM_INLINE I OrI(I a, I b) { return _mm_or_si128(a, b); }
  static QO_VM_INLINE I ShiftLeft52(I a) { return _mm_slli_epi64(a, 52); }
  static QO_VM_INLINE I ShiftRight52(I a) { return _mm_srli_epi64(a, 52); }
  static QO_VM_INLINE I Bits(D a) { return _mm_castpd_si128(a); }
  static QO_VM_INLINE D FromBits(I a) { return _mm_castsi128_pd(a); }
  static QO_VM_INLINE int Mask(D a) { return _mm_movemask_pd(a); }
  static QO_VM_INLINE D Load(const double* p) { return _mm_loadu_pd(p); }
  static QO_VM_INLINE void Store(double* p, D a) { _mm_storeu_pd(p, a); }
  // Nothing to clear on the way out of a function.
  static QO_VM_INLINE void Leave() {}
  // Every lane twice, in order, over two registers: [g0 g0] and [g1 g1].
  static QO_VM_INLINE void Spread(D g, D* low, D* high) {
    *low = _mm_unpacklo_pd(g, g);
    *high = _mm_unpackhi_pd(g, g);
  }
};

// ---------------------------------------------------------------- several registers at once
//
// The evaluations below are long chains of dependent operations, so one register at a time leaves
// the floating-point units waiting on latencies. They are therefore written for N registers side
// by side: F64<T, N> holds N registers, and every operation on it is the same instruction applied
// to each register in turn. The instructions of the N chains come out interleaved, step by step,
// and overlap in the pipeline. Each lane still goes through exactly the same operations in the
// same order whatever N is, so results do not depend on N or on where an element sits in the
// array.

template <class T, int N>
struct F64 {
  typename T::D v[N];
};
template <class T, int N>
struct I64 {
  typename T::I v[N];
};

// r.v[j] = op(a.v[j]) or op(a.v[j], b.v[j]) for every j, written out register by register.
template <class R, class Op, class A, std::size_t... J>
QO_VM_INLINE R Each(Op op, const A& a, std::index_sequence<J...>) {
  return R{{op(a.v[J])...}};
}
template <class R, class Op, class A, class B, std::size_t... J>
QO_VM_INLINE R Each(Op op, const A& a, const B& b, std::index_sequence<J...>) {
  return R{{op(a.v[J], b.v[J])...}};
}
template <int N>
using Regs = std::make_index_sequence<N>;

template <class R, class V, std::size_t... J>
QO_VM_INLINE R Splat(V c, std::index_sequence<J...>) {
  return R{{(static_cast<void>(J), c)...}};
}
template <class T, int N>
QO_VM_INLINE F64<T, N> Set(double c) {
  return Splat<F64<T, N>>(T::Set(c), Regs<N>());
}
template <class T, int N>
QO_VM_INLINE I64<T, N> SetI(long long c) {
  return Splat<I64<T, N>>(T::SetI(c), Regs<N>());
}

// One instruction of T over every register: a two-operand floating-point one (FLOAT2), a
// one-operand one, or a two-operand integer one (INT2).
#define QO_VM_FLOAT2(name, op)                                                              \
  template <class T, int N>                                                                 \
  QO_VM_INLINE F64<T, N> name(const F64<T, N>& a, const F64<T, N>& b) {                     \
    typedef typename T::D D;                                                                \
    return Each<F64<T, N>>([](D x, D y) { return T::op(x, y); }, a, b, Regs<N>());          \
  }
#define QO_VM_INT2(name, op)                                                                \
  template <class T, int N>                                                                 \
  QO_VM_INLINE I64<T, N> name(const I64<T, N>& a, const I64<T, N>& b) {                     \
    typedef typename T::I I;                                                                \
    return Each<I64<T, N>>([](I x, I y) { return T::op(x, y); }, a, b, Regs<N>());          \
  }

// Arithmetic; a double operand stands for every lane of every register.
QO_VM_FLOAT2(operator+, Add)
QO_VM_FLOAT2(operator-, Sub)
QO_VM_FLOAT2(operator*, Mul)
QO_VM_FLOAT2(operator/, Div)
template <class T, int N>
QO_VM_INLINE F64<T, N> operator+(double a, const F64<T, N>& b) {
  return Set<T, N>(a) + b;
}
template <class T, int N>
QO_VM_INLINE F64<T, N> operator-(double a, const F64<T, N>& b) {
  return Set<T, N>(a) - b;
}
template <class T, int N>
QO_VM_INLINE F64<T, N> operator*(double a, const F64<T, N>& b) {
  return Set<T, N>(a) * b;
}
template <class T, int N>
QO_VM_INLINE F64<T, N> operator/(double a, const F64<T, N>& b) {
  return Set<T, N>(a) / b;
}
template <class T, int N>
QO_VM_INLINE F64<T, N> operator-(const F64<T, N>& a, double b) {
  return a - Set<T, N>(b);
}
template <class T, int N>
QO_VM_INLINE F64<T, N> operator*(const F64<T, N>& a, double b) {
  return a * Set<T, N>(b);
}

// Bit operations and comparisons (a comparison gives all-ones lanes where it holds).
QO_VM_FLOAT2(operator&, And)
QO_VM_FLOAT2(operator|, Or)
QO_VM_FLOAT2(AndNot, AndNot)  // ~a & b
QO_VM_FLOAT2(MinOf, Min)  // a < b ? a : b, so b where either is NaN
QO_VM_FLOAT2(MaxOf, Max)  // a > b ? a : b, so b where either is NaN
QO_VM_FLOAT2(EqualOf, Equal)
QO_VM_FLOAT2(LessOf, Less)
QO_VM_FLOAT2(LessEqualOf, LessEqual)
QO_VM_FLOAT2(GreaterEqualOf, GreaterEqual)
QO_VM_FLOAT2(NotLessEqualOf, NotLessEqual)  // also true where a is NaN
QO_VM_FLOAT2(UnorderedOf, Unordered)
template <class T, int N>
QO_VM_INLINE F64<T, N> Min(const F64<T, N>& a, double b) {
  return MinOf(a, Set<T, N>(b));
}
template <class T, int N>
QO_VM_INLINE F64<T, N> Less(const F64<T, N>& a, double b) {
  return LessOf(a, Set<T, N>(b));
}
template <class T, int N>
QO_VM_INLINE F64<T, N> LessEqual(const F64<T, N>& a, double b) {
  return LessEqualOf(a, Set<T, N>(b));
}
template <class T, int N>
QO_VM_INLINE F64<T, N> GreaterEqual(const F64<T, N>& a, double b) {
  return GreaterEqualOf(a, Set<T, N>(b));
}
template <class T, int N>  // also true where a is NaN
QO_VM_INLINE F64<T, N> NotLessEqual(const F64<T, N>& a, double b) {
  return NotLessEqualOf(a, Set<T, N>(b));
}
template <class T, int N>
QO_VM_INLINE F64<T, N> IsNaN(const F64<T, N>& a) {
  return UnorderedOf(a, a);
}

// a where mask (a comparison's result) is set, else b.
template <class T, int N, std::size_t... J>
QO_VM_INLINE F64<T, N> Select(const F64<T, N>& mask, const F64<T, N>& a, const F64<T, N>& b,
                              std::index_sequence<J...>) {
  return F64<T, N>{{T::Blend(mask.v[J], a.v[J], b.v[J])...}};
}
template <class T, int N>
QO_VM_INLINE F64<T, N> Select(const F64<T, N>& mask, const F64<T, N>& a, const F64<T, N>& b) {
  return Select(mask, a, b, Regs<N>());
}

// 64-bit integer lanes, and moving between the two views of the same bits.
QO_VM_INT2(operator+, AddI)
QO_VM_INT2(operator-, SubI)
QO_VM_INT2(operator&, AndI)
QO_VM_INT2(operator|, OrI)
#undef QO_VM_FLOAT2
#undef QO_VM_INT2
template <class T, int N>  // a << 52: the low bits move into the exponent field
QO_VM_INLINE I64<T, N> ShiftToExponent(const I64<T, N>& a) {
  return Each<I64<T, N>>([](typename T::I x) { return T::ShiftLeft52(x); }, a, Regs<N>());
}
template <class T, int N>  // a >> 52 (logical): the sign and exponent fields
QO_VM_INLINE I64<T, N> ShiftFromExponent(const I64<T, N>& a) {
  return Each<I64<T, N>>([](typename T::I x) { return T::ShiftRight52(x); }, a, Regs<N>());
}
template <class T, int N>
QO_VM_INLINE I64<T, N> Bits(const F64<T, N>& a) {
  return Each<I64<T, N>>([](typename T::D x) { return T::Bits(x); }, a, Regs<N>());
}
template <class T, int N>
QO_VM_INLINE F64<T, N> FromBits(const I64<T, N>& a) {
  return Each<F64<T, N>>([](typename T::I x) { return T::FromBits(x); }, a, Regs<N>());
}

// Lanes of a comparison result as a bit mask: bit kLanes j + l for lane l of register j.
template <class T, int N, std::size_t... J>
QO_VM_INLINE unsigned long long LaneMask(const F64<T, N>& a, std::index_sequence<J...>) {
  return (0ull | ... | (static_cast<unsigned long long>(T::Mask(a.v[J])) << (T::kLanes * J)));
}
template <class T, int N>
QO_VM_INLINE unsigned long long LaneMask(const F64<T, N>& a) {
  return LaneMask(a, Regs<N>());
}

// Whether any lane (every lane) of a comparison result is set: the registers are combined first, so
// only one mask leaves the vector unit.
template <class T, int N>
QO_VM_INLINE bool AnyLane(const F64<T, N>& a) {
  typename T::D r = a.v[0];
  for (int j = 1; j < N; ++j) r = T::Or(r, a.v[j]);
  return T::Mask(r) != 0;
}
template <class T, int N>
QO_VM_INLINE bool EveryLane(const F64<T, N>& a) {
  typename T::D r = a.v[0];
  for (int j = 1; j < N; ++j) r = T::And(r, a.v[j]);
  return T::Mask(r) == (1 << T::kLanes) - 1;  // kLanes is at most 8
}

// Unaligned loads and stores of N registers' worth of consecutive doubles.
template <class T, int N, std::size_t... J>
QO_VM_INLINE F64<T, N> Load(const double* p, std::index_sequence<J...>) {
  return F64<T, N>{{T::Load(p + T::kLanes * J)...}};
}
template <class T, int N, std::size_t... J>
QO_VM_INLINE void Store(double* p, const F64<T, N>& a, std::index_sequence<J...>) {
  (T::Store(p + T::kLanes * J, a.v[J]), ...);
}
template <class T, int N>
QO_VM_INLINE F64<T, N> Load(const double* p) {
  return Load<T, N>(p, Regs<N>());
}
template <class T, int N>
QO_VM_INLINE void Store(double* p, const F64<T, N>& a) {
  Store(p, a, Regs<N>());
}

// ---------------------------------------------------------------- shared pieces

// ln 2 in two parts. The head keeps 42 significant bits, so n * kLn2Hi is exact for |n| < 2^11;
// the tail is the correctly rounded rest, ln 2 - kLn2Hi (the remainder beyond it is ~2^-98).
constexpr double kLn2Hi = 0x1.62e42fefa38p-1;
constexpr double kLn2Lo = 0x1.ef35793c7673p-45;
constexpr double kInvLn2 = 0x1.71547652b82fep+0;  // 1 / ln 2, rounded
// Adding 1.5 * 2^52 rounds a value of magnitude below 2^51 to an integer, which then sits in the
// low mantissa bits of the sum.
constexpr double kRoundMagic = 6755399441055744.0;

// Bit pattern of sqrt(1/2) and its mantissa field: log splits x into 2^e * m with m in
// [sqrt(1/2), sqrt(2)).
constexpr long long kSqrtHalfBits = 0x3FE6A09E667F3BCDLL;
constexpr long long kSqrtHalfMantissa = 0x0006A09E667F3BCDLL;
constexpr long long kMantissaMask = 0x000FFFFFFFFFFFFFLL;

// a + b t
template <class T, int N>
QO_VM_INLINE F64<T, N> Lin(double a, double b, const F64<T, N>& t) {
  return a + b * t;
}

// Rounds x / ln 2 to the nearest integer n: returns n as a double, and n shifted into the exponent
// field (n * 2^52 modulo 2^64 in each 64-bit lane, ready to be added to a double's bits). The sum
// k = x / ln 2 + 1.5 * 2^52 holds n in its low mantissa bits, and the bits above them (those of
// 1.5 * 2^52) are shifted out.
template <class T, int N>
QO_VM_INLINE F64<T, N> RoundToLn2Multiple(const F64<T, N>& x, I64<T, N>* nExponent) {
  const F64<T, N> magic = Set<T, N>(kRoundMagic);
  const F64<T, N> k = x * kInvLn2 + magic;
  *nExponent = ShiftToExponent(Bits(k));
  return k - magic;
}

// r = x - n ln 2 rounded once, |r| <= ~0.347: x - n * kLn2Hi is exact, and the tail's product
// and subtraction each round below 2^-54 |r|.
template <class T, int N>
QO_VM_INLINE F64<T, N> ReduceShort(const F64<T, N>& x, const F64<T, N>& n) {
  return (x - n * kLn2Hi) - n * kLn2Lo;
}

// (exp(r) - 1 - r - r^2/2) / r^3 for |r| <= ln 2 / 2 (~0.3466), by a polynomial of degree 8 fitted
// to it over that interval (Chebyshev fit, relative error below 4e-15; the sum enters exp(r) only
// as r^3 times it, below 0.7% of the result, so that error stays below 3e-17 of the result).
// Evaluated in pairs of terms (c + c' r) combined by powers of r^2 rather than by Horner's rule: a
// much shorter dependency chain.
template <class T, int N>
QO_VM_INLINE F64<T, N> ExpTail3(const F64<T, N>& r, const F64<T, N>& r2) {
  const F64<T, N> r4 = r2 * r2;
  const F64<T, N> b0 = Lin(0.16666666666666666, 0.041666666666651364, r) +
                       r2 * Lin(0.008333333333332157, 0.001388888890587323, r);
  const F64<T, N> b1 = Lin(0.0001984126985433222, 2.4801536405296596e-05, r) +
                       r2 * Lin(2.755728007978737e-06, 2.761379764561564e-07, r);
  return b0 + r4 * (b1 + r4 * 2.509554758981093e-08);
}

// 2^n, from n in the exponent field as RoundToLn2Multiple gives it, -1022 <= n <= 1023.
template <class T, int N>
QO_VM_INLINE F64<T, N> PowerOfTwo(const I64<T, N>& nExponent) {
  return FromBits(nExponent + SetI<T, N>(0x3FF0000000000000LL));
}

// ---------------------------------------------------------------- exp

struct Exp {
  static constexpr bool kPassesSmall = false;
  // Lanes outside |x| <= 708 (or NaN) go to std::exp: there 2^n * exp(r) stays a normal number.
  template <class T, int N>
  static QO_VM_INLINE F64<T, N> SlowLanes(const F64<T, N>& x) {
    return NotLessEqual(AndNot(Set<T, N>(-0.0), x), 708.0);
  }

  // exp(x) = 2^n * exp(r), exp(r) = 1 + (r + (r^2/2 + r^3 ExpTail3(r))). Only the final addition
  // rounds at the result's scale; the error of r itself (below 2^-54 |r|) and of the sum inside
  // stay below an ulp.
  template <class T, int N>
  static QO_VM_INLINE F64<T, N> Fast(const F64<T, N>& x) {
    I64<T, N> nExponent;
    const F64<T, N> n = RoundToLn2Multiple(x, &nExponent);
    const F64<T, N> r = ReduceShort(x, n);
    const F64<T, N> r2 = r * r;
    const F64<T, N> t = r2 * 0.5 + (r2 * r) * ExpTail3(r, r2);
    const F64<T, N> e = 1.0 + (r + t);
    // Scale by 2^n in the exponent field: e lies in [0.70, 1.42] and 2^n * e stays normal.
    return FromBits(Bits(e) + nExponent);
  }

  static double Slow(double x) { return std::exp(x); }
};

// ---------------------------------------------------------------- log

// (atanh(s) - s) / s^3 as a function of z = s^2 for |s| <= 0.172 (z <= 0.0295), by a polynomial of
// degree 6 in z fitted to it over that interval (Chebyshev fit, relative error below 5e-16; the
// sum enters the result as 2 s^3 times it, below 2% of the result). Same evaluation order as
// ExpTail3.
template <class T, int N>
QO_VM_INLINE F64<T, N> AtanhTail3(const F64<T, N>& z) {
  const F64<T, N> z2 = z * z;
  const F64<T, N> z4 = z2 * z2;
  const F64<T, N> b0 = Lin(0.3333333333333335, 0.19999999999949755, z) +
                       z2 * Lin(0.14285714312986555, 0.11111105567591259, z);
  const F64<T, N> b1 = Lin(0.0909144454851661, 0.07665861269435935, z) + z2 * 0.07308219043498333;
  return b0 + z4 * b1;
}

struct Log {
  static constexpr bool kPassesSmall = false;
  // Lanes that are not positive normal finite numbers (including NaN) go to std::log.
  template <class T, int N>
  static QO_VM_INLINE F64<T, N> SlowLanes(const F64<T, N>& x) {
    const F64<T, N> ok = GreaterEqual(x, 0x1p-1022) & LessEqual(x, 0x1.fffffffffffffp+1023);
    return AndNot(ok, FromBits(SetI<T, N>(-1)));
  }

  // log(x) = e ln 2 + log(m), x = 2^e m, m in [sqrt(1/2), sqrt(2)). With s = (m - 1) / (m + 1),
  // log(m) = 2 atanh(s) = 2s + 2 s^3 AtanhTail3(s^2). s is rounded once (m - 1 and m + 1 are
  // exact); every later rounding is of a term no larger than the sum it enters, so the result
  // stays within a few ulps.
  template <class T, int N>
  static QO_VM_INLINE F64<T, N> Fast(const F64<T, N>& x) {
    // Subtracting the mantissa field of sqrt(1/2) moves the binade boundary to sqrt(1/2): the
    // exponent field of the difference is e + 1022, and its mantissa field plus the bits of
    // sqrt(1/2) is m. (x is normal and positive, so the difference is non-negative.)
    const I64<T, N> v = Bits(x) - SetI<T, N>(kSqrtHalfMantissa);
    const I64<T, N> k = ShiftFromExponent(v);
    const F64<T, N> m = FromBits((v & SetI<T, N>(kMantissaMask)) + SetI<T, N>(kSqrtHalfBits));
    // e as a double: k (< 2^11) put into the mantissa field of 2^52 gives 2^52 + k.
    const F64<T, N> e = FromBits(k | SetI<T, N>(0x4330000000000000LL)) - (0x1p52 + 1022.0);

    const F64<T, N> s = (m - 1.0) / (1.0 + m);
    const F64<T, N> z = s * s;
    const F64<T, N> series = (s * z) * AtanhTail3(z);
    // Summed as log(x) / 2 = e ln2 / 2 + atanh(s), doubled at the end (exact). e ln2Hi / 2 is
    // exact, and for e != 0 it outweighs |s| <= 0.172, so the sum cancels at most one bit.
    const F64<T, N> half = e * (0.5 * kLn2Hi) + (s + (series + e * (0.5 * kLn2Lo)));
    return half + half;
  }

  static double Slow(double x) { return std::log(x); }
};

// ---------------------------------------------------------------- tanh

struct Tanh {
  // Lanes below 2^-27 in magnitude come out as they went in (see Fast). A register of only such
  // lanes (the tails of silence) is passed through without the evaluation: the same bits.
  static constexpr bool kPassesSmall = true;
  template <class T, int N>
  static QO_VM_INLINE F64<T, N> PassesThrough(const F64<T, N>& x) {
    return Less(AndNot(Set<T, N>(-0.0), x), 0x1p-27);
  }

  // Only NaN lanes go to std::tanh; infinities are clamped like any large value.
  template <class T, int N>
  static QO_VM_INLINE F64<T, N> SlowLanes(const F64<T, N>& x) {
    return IsNaN(x);
  }

  // tanh(a) = E / (E + 2) with E = exp(2a) - 1, a = |x| (the sign is put back at the end). With
  // 2a = n ln 2 + r, E = (2^n - 1) + 2^n p, p = exp(r) - 1 = r + r^2/2 + r^3 ExpTail3(r), and
  // E + 2 = (2^n + 1) + 2^n p: 2^n -+ 1 is exact up to n = 53, 2^n p is exact, and neither sum
  // cancels more than a bit or two (-0.3 < p < 0.42), so the quotient stays within a few ulps. For
  // n = 0 (|x| < ~0.17) E is p itself, so small x keep their full relative precision. From
  // a ~ 19.06 on tanh(a) rounds to 1; a is clamped to 22 (infinities too), where E and E + 2 round
  // to the same 2^63 and the quotient is exactly 1.
  template <class T, int N>
  static QO_VM_INLINE F64<T, N> Fast(const F64<T, N>& x) {
    const F64<T, N> signMask = Set<T, N>(-0.0);
    const F64<T, N> sign = x & signMask;
    const F64<T, N> a = Min(AndNot(signMask, x), 22.0);
    const F64<T, N> y = a + a;

    I64<T, N> nExponent;
    const F64<T, N> n = RoundToLn2Multiple(y, &nExponent);
    const F64<T, N> r = ReduceShort(y, n);
    const F64<T, N> r2 = r * r;
    const F64<T, N> p = r + (r2 * 0.5 + (r2 * r) * ExpTail3(r, r2));

    const F64<T, N> scale = PowerOfTwo(nExponent);
    const F64<T, N> sp = scale * p;
    const F64<T, N> e = (scale - 1.0) + sp;
    const F64<T, N> d = (scale + Set<T, N>(1.0)) + sp;
    const F64<T, N> q = (e / d) | sign;
    // Below 2^-27, tanh(x) = x (1 - x^2/3 + ...) rounds to x itself. Taking x there also keeps
    // tiny inputs exact when denormals are flushed to zero. Registers without such a lane (most of
    // them) skip the selection.
    const F64<T, N> tiny = Less(a, 0x1p-27);
    return AnyLane(tiny) ? Select(tiny, x, q) : q;
  }

  static double Slow(double x) { return std::tanh(x); }
};

// ---------------------------------------------------------------- array loops

// How an array function takes its input x.
enum class Input {
  kAsIs,   // F(x)
  kScaled, // F(pre x) post, each product rounded on its own
  kLevel,  // F(|x|), or F(1) where x < pre (a level below the gate counts as 1)
};

// F of every lane of x: the fast evaluation, with the lanes flagged by F::SlowLanes recomputed by
// F::Slow. (The registers go through memory only on that rare path.)
template <class T, class F, int N>
QO_VM_INLINE F64<T, N> Evaluate(const F64<T, N>& x) {
  constexpr int kCount = T::kLanes * N;
  F64<T, N> y = F::Fast(x);
  const F64<T, N> slowLanes = F::SlowLanes(x);
  if (AnyLane(slowLanes)) {
    const unsigned long long slow = LaneMask(slowLanes);
    double xs[kCount];
    double ys[kCount];
    Store(xs, x);
    Store(ys, y);
    for (int l = 0; l < kCount; ++l) {
      if (slow & (1ull << l)) ys[l] = F::Slow(xs[l]);
    }
    y = Load<T, N>(ys);
  }
  return y;
}

// Computes N registers' worth of elements from in into out, taking the input as `mode` says. All
// inputs are read before anything is written, so in and out may be the same array.
template <class T, class F, int N, Input kMode>
QO_VM_INLINE void RunGroup(const double* in, double* out, double pre, double post) {
  F64<T, N> x = Load<T, N>(in);
  if constexpr (kMode == Input::kScaled) x = x * pre;
  if constexpr (kMode == Input::kLevel) {
    x = Select(Less(x, pre), Set<T, N>(1.0), AndNot(Set<T, N>(-0.0), x));
  }
  if constexpr (F::kPassesSmall) {
    if (EveryLane(F::PassesThrough(x))) {
      Store(out, kMode == Input::kScaled ? x * post : x);
      return;
    }
  }
  F64<T, N> y = Evaluate<T, F, N>(x);
  if constexpr (kMode == Input::kScaled) y = y * post;
  Store(out, y);
}

// Runs F over the array: four registers at a time, then one register at a time. The last few
// elements are computed in one register padded with zeros.
template <class T, class F, Input kMode = Input::kAsIs>
void Run(const double* in, double* out, int n, double pre = 1.0, double post = 1.0) {
  constexpr int kGroup = 4;
  constexpr int kLanes = T::kLanes;
  int i = 0;
  for (; i + kGroup * kLanes <= n; i += kGroup * kLanes) {
    RunGroup<T, F, kGroup, kMode>(in + i, out + i, pre, post);
  }
  for (; i + kLanes <= n; i += kLanes) RunGroup<T, F, 1, kMode>(in + i, out + i, pre, post);
  if (i < n) {
    double rest[kLanes] = {};
    for (int l = 0; i + l < n; ++l) rest[l] = in[i + l];
    RunGroup<T, F, 1, kMode>(rest, rest, pre, post);
    for (int l = 0; i + l < n; ++l) out[i + l] = rest[l];
  }
}

// Multiplies both samples of kLanes N interleaved stereo frames at p by F(x[i]).
template <class T, class F, int N>
QO_VM_INLINE void OnFramesGroup(const double* x, double* p) {
  constexpr int kLanes = T::kLanes;
  const F64<T, N> y = Evaluate<T, F, N>(Load<T, N>(x));
  for (int j = 0; j < N; ++j) {
    typename T::D low, high;
    T::Spread(y.v[j], &low, &high);
    double* q = p + 2 * kLanes * j;
    T::Store(q, T::Mul(T::Load(q), low));
    T::Store(q + kLanes, T::Mul(T::Load(q + kLanes), high));
  }
}

// Multiplies both samples of each of the n interleaved stereo frames by F(in[i]): four registers
// of in at a time, then one register at a time, then the rest in one register padded with zeros.
template <class T, class F>
void RunOnFrames(const double* in, double* frames, int n) {
  constexpr int kGroup = 4;
  constexpr int kLanes = T::kLanes;
  int i = 0;
  for (; i + kGroup * kLanes <= n; i += kGroup * kLanes) OnFramesGroup<T, F, kGroup>(in + i, frames + 2 * i);
  for (; i + kLanes <= n; i += kLanes) OnFramesGroup<T, F, 1>(in + i, frames + 2 * i);
  if (i < n) {
    double x[kLanes] = {}, p[2 * kLanes] = {};
    for (int k = 0; i + k < n; ++k) {
      x[k] = in[i + k];
      p[2 * k] = frames[2 * (i + k)];
      p[2 * k + 1] = frames[2 * (i + k) + 1];
    }
    OnFramesGroup<T, F, 1>(x, p);
    for (int k = 0; i + k < n; ++k) {
      frames[2 * (i + k)] = p[2 * k];
      frames[2 * (i + k) + 1] = p[2 * k + 1];
    }
  }
}

// ScaledTanh (Input::kScaled) over n interleaved stereo frames in place, with the envelope
// follower's job, which covers the same frames, following them one group of registers behind: a
// group's evaluation and the previous group's follower steps do not depend on each other, so the
// processor runs the follower's chain of dependent steps alongside the evaluation. The job is
// finished.
template <class T>
void RunScaledTanhFollowing(double* p, int n, double pre, double post, FollowerJob& job) {
  // Four registers a group, but no more than 16 samples (8 frames): with eight lanes the follower
  // falls behind a group of four registers.
  constexpr int kGroup = T::kLanes * 4 > 16 ? 16 / T::kLanes : 4;
  constexpr int kSamples = kGroup * T::kLanes;
  const int samples = 2 * n;
  alignas(16) double levels[kSamples];
  GroupFollower<kSamples / 2> follower(job, levels);
  int i = 0;
  if (kSamples <= samples) {
    RunGroup<T, Tanh, kGroup, Input::kScaled>(p, p, pre, post);
    i = kSamples;
  }
  for (; i + kSamples <= samples; i += kSamples) {
    RunGroup<T, Tanh, kGroup, Input::kScaled>(p + i, p + i, pre, post);
    follower.Group();
  }
  Run<T, Tanh, Input::kScaled>(p + i, p + i, samples - i, pre, post);
  follower.Return(job);
}

}  // namespace
}  // namespace Dsp
