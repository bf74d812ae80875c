// Two-lane exp, log and tanh on SSE2. The common path has no per-element branch: each pair of
// inputs is checked with one compare mask, and only a pair holding an input outside the fast range
// (NaN, infinities, overflow/underflow of exp, non-normal or non-positive arguments of log) goes
// back to the std:: function for those lanes.
//
// Accuracy without fused multiply-add comes from carrying the few operations that lose the most as
// head + tail pairs:
//  - a number can be cut to its leading 26 significant bits by masking the low 27 mantissa bits
//    (Head26); the product of two such heads has at most 52 bits and is exact;
//  - a + b with |a| >= |b| gives its rounding error exactly as b - ((a + b) - a);
//  - x - y is exact when y lies within a factor 2 of x.
// Every polynomial is a plain Taylor series (coefficients 1/k! and 1/(2k+1), rounded once by the
// compiler), truncated where the next term falls below 2^-57 of the result.
#include "dsp/vecmath.h"

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>

#include <cstddef>
#include <utility>
#endif

namespace Dsp {

#if defined(__SSE2__)

namespace {

// Small helpers must be inlined into the loops for the constants to stay in registers.
#if defined(__GNUC__)
#define QO_VM_INLINE inline __attribute__((always_inline))
#else
#define QO_VM_INLINE inline
#endif

// ---------------------------------------------------------------- several registers at once
//
// The evaluations below are long chains of dependent operations, so one register of two lanes at
// a time leaves the floating-point units waiting on latencies. They are therefore written for
// N registers side by side: F64<N> holds N registers of two doubles, and every operation on it is
// the same SSE2 instruction applied to each register in turn. The instructions of the N chains
// come out interleaved, step by step, and overlap in the pipeline. Each lane still goes through
// exactly the same operations in the same order whatever N is (N = 1 is the plain two-lane code),
// so results do not depend on N or on where an element sits in the array.

template <int N>
struct F64 {
  __m128d v[N];
};
template <int N>
struct I64 {
  __m128i v[N];
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

template <class R, class T, std::size_t... J>
QO_VM_INLINE R Splat(T c, std::index_sequence<J...>) {
  return R{{(static_cast<void>(J), c)...}};
}
template <int N>
QO_VM_INLINE F64<N> Set(double c) {
  return Splat<F64<N>>(_mm_set1_pd(c), Regs<N>());
}
template <int N>
QO_VM_INLINE I64<N> SetI(long long c) {
  return Splat<I64<N>>(_mm_set1_epi64x(c), Regs<N>());
}

// Arithmetic; a double operand stands for both lanes of every register.
template <int N>
QO_VM_INLINE F64<N> operator+(const F64<N>& a, const F64<N>& b) {
  return Each<F64<N>>([](__m128d x, __m128d y) { return _mm_add_pd(x, y); }, a, b, Regs<N>());
}
template <int N>
QO_VM_INLINE F64<N> operator-(const F64<N>& a, const F64<N>& b) {
  return Each<F64<N>>([](__m128d x, __m128d y) { return _mm_sub_pd(x, y); }, a, b, Regs<N>());
}
template <int N>
QO_VM_INLINE F64<N> operator*(const F64<N>& a, const F64<N>& b) {
  return Each<F64<N>>([](__m128d x, __m128d y) { return _mm_mul_pd(x, y); }, a, b, Regs<N>());
}
template <int N>
QO_VM_INLINE F64<N> operator/(const F64<N>& a, const F64<N>& b) {
  return Each<F64<N>>([](__m128d x, __m128d y) { return _mm_div_pd(x, y); }, a, b, Regs<N>());
}
template <int N>
QO_VM_INLINE F64<N> operator+(double a, const F64<N>& b) {
  return Set<N>(a) + b;
}
template <int N>
QO_VM_INLINE F64<N> operator-(double a, const F64<N>& b) {
  return Set<N>(a) - b;
}
template <int N>
QO_VM_INLINE F64<N> operator*(double a, const F64<N>& b) {
  return Set<N>(a) * b;
}
template <int N>
QO_VM_INLINE F64<N> operator/(double a, const F64<N>& b) {
  return Set<N>(a) / b;
}
template <int N>
QO_VM_INLINE F64<N> operator-(const F64<N>& a, double b) {
  return a - Set<N>(b);
}
template <int N>
QO_VM_INLINE F64<N> operator*(const F64<N>& a, double b) {
  return a * Set<N>(b);
}

// Bit operations and comparisons (a comparison gives all-ones lanes where it holds).
template <int N>
QO_VM_INLINE F64<N> operator&(const F64<N>& a, const F64<N>& b) {
  return Each<F64<N>>([](__m128d x, __m128d y) { return _mm_and_pd(x, y); }, a, b, Regs<N>());
}
template <int N>
QO_VM_INLINE F64<N> operator|(const F64<N>& a, const F64<N>& b) {
  return Each<F64<N>>([](__m128d x, __m128d y) { return _mm_or_pd(x, y); }, a, b, Regs<N>());
}
template <int N>  // ~a & b
QO_VM_INLINE F64<N> AndNot(const F64<N>& a, const F64<N>& b) {
  return Each<F64<N>>([](__m128d x, __m128d y) { return _mm_andnot_pd(x, y); }, a, b, Regs<N>());
}
template <int N>
QO_VM_INLINE F64<N> Min(const F64<N>& a, double b) {
  return Each<F64<N>>([](__m128d x, __m128d y) { return _mm_min_pd(x, y); }, a, Set<N>(b),
                      Regs<N>());
}
template <int N>
QO_VM_INLINE F64<N> Less(const F64<N>& a, double b) {
  return Each<F64<N>>([](__m128d x, __m128d y) { return _mm_cmplt_pd(x, y); }, a, Set<N>(b),
                      Regs<N>());
}
template <int N>
QO_VM_INLINE F64<N> LessEqual(const F64<N>& a, double b) {
  return Each<F64<N>>([](__m128d x, __m128d y) { return _mm_cmple_pd(x, y); }, a, Set<N>(b),
                      Regs<N>());
}
template <int N>
QO_VM_INLINE F64<N> GreaterEqual(const F64<N>& a, double b) {
  return Each<F64<N>>([](__m128d x, __m128d y) { return _mm_cmpge_pd(x, y); }, a, Set<N>(b),
                      Regs<N>());
}
template <int N>  // also true where a is NaN
QO_VM_INLINE F64<N> NotLessEqual(const F64<N>& a, double b) {
  return Each<F64<N>>([](__m128d x, __m128d y) { return _mm_cmpnle_pd(x, y); }, a, Set<N>(b),
                      Regs<N>());
}
template <int N>
QO_VM_INLINE F64<N> IsNaN(const F64<N>& a) {
  return Each<F64<N>>([](__m128d x) { return _mm_cmpunord_pd(x, x); }, a, Regs<N>());
}

// 64-bit integer lanes, and moving between the two views of the same bits.
template <int N>
QO_VM_INLINE I64<N> operator+(const I64<N>& a, const I64<N>& b) {
  return Each<I64<N>>([](__m128i x, __m128i y) { return _mm_add_epi64(x, y); }, a, b, Regs<N>());
}
template <int N>
QO_VM_INLINE I64<N> operator-(const I64<N>& a, const I64<N>& b) {
  return Each<I64<N>>([](__m128i x, __m128i y) { return _mm_sub_epi64(x, y); }, a, b, Regs<N>());
}
template <int N>
QO_VM_INLINE I64<N> operator&(const I64<N>& a, const I64<N>& b) {
  return Each<I64<N>>([](__m128i x, __m128i y) { return _mm_and_si128(x, y); }, a, b, Regs<N>());
}
template <int N>
QO_VM_INLINE I64<N> operator|(const I64<N>& a, const I64<N>& b) {
  return Each<I64<N>>([](__m128i x, __m128i y) { return _mm_or_si128(x, y); }, a, b, Regs<N>());
}
template <int N>  // a << 52: the low bits move into the exponent field
QO_VM_INLINE I64<N> ShiftToExponent(const I64<N>& a) {
  return Each<I64<N>>([](__m128i x) { return _mm_slli_epi64(x, 52); }, a, Regs<N>());
}
template <int N>  // a >> 52 (logical): the sign and exponent fields
QO_VM_INLINE I64<N> ShiftFromExponent(const I64<N>& a) {
  return Each<I64<N>>([](__m128i x) { return _mm_srli_epi64(x, 52); }, a, Regs<N>());
}
template <int N>
QO_VM_INLINE I64<N> Bits(const F64<N>& a) {
  return Each<I64<N>>([](__m128d x) { return _mm_castpd_si128(x); }, a, Regs<N>());
}
template <int N>
QO_VM_INLINE F64<N> FromBits(const I64<N>& a) {
  return Each<F64<N>>([](__m128i x) { return _mm_castsi128_pd(x); }, a, Regs<N>());
}

// Lanes of a comparison result as a bit mask: bit 2j + l for lane l of register j.
template <int N, std::size_t... J>
QO_VM_INLINE int LaneMask(const F64<N>& a, std::index_sequence<J...>) {
  return (0 | ... | (_mm_movemask_pd(a.v[J]) << (2 * J)));
}
template <int N>
QO_VM_INLINE int LaneMask(const F64<N>& a) {
  return LaneMask(a, Regs<N>());
}

// Unaligned loads and stores of 2N consecutive doubles.
template <int N, std::size_t... J>
QO_VM_INLINE F64<N> Load(const double* p, std::index_sequence<J...>) {
  return F64<N>{{_mm_loadu_pd(p + 2 * J)...}};
}
template <int N, std::size_t... J>
QO_VM_INLINE void Store(double* p, const F64<N>& a, std::index_sequence<J...>) {
  (_mm_storeu_pd(p + 2 * J, a.v[J]), ...);
}
template <int N>
QO_VM_INLINE F64<N> Load(const double* p) {
  return Load<N>(p, Regs<N>());
}
template <int N>
QO_VM_INLINE void Store(double* p, const F64<N>& a) {
  Store(p, a, Regs<N>());
}

// ---------------------------------------------------------------- shared pieces

// 1/k! for k = 0..15, each correctly rounded (k! is exact in a double up to 18!).
struct InvFactorialTable {
  double v[16];
  constexpr InvFactorialTable() : v() {
    double f = 1.0;
    for (int k = 0; k < 16; ++k) {
      if (k > 1) f *= k;
      v[k] = 1.0 / f;
    }
  }
};
constexpr InvFactorialTable kInvFact;

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
template <int N>
QO_VM_INLINE F64<N> Lin(double a, double b, const F64<N>& t) {
  return a + b * t;
}

// The leading 26 significant bits of each lane (low 27 mantissa bits cleared).
template <int N>
QO_VM_INLINE F64<N> Head26(const F64<N>& x) {
  return x & FromBits(SetI<N>(static_cast<long long>(0xFFFFFFFFF8000000ULL)));
}

// Rounds x / ln 2 to the nearest integer n: returns n as a double, and n shifted into the exponent
// field (n * 2^52 modulo 2^64 in each 64-bit lane, ready to be added to a double's bits). The sum
// k = x / ln 2 + 1.5 * 2^52 holds n in its low mantissa bits, and the bits above them (those of
// 1.5 * 2^52) are shifted out.
template <int N>
QO_VM_INLINE F64<N> RoundToLn2Multiple(const F64<N>& x, I64<N>* nExponent) {
  const F64<N> magic = Set<N>(kRoundMagic);
  const F64<N> k = x * kInvLn2 + magic;
  *nExponent = ShiftToExponent(Bits(k));
  return k - magic;
}

// r = x - n ln 2 as r + c, |r| <= ~0.347. x - n * kLn2Hi is exact (n * kLn2Hi is exact, and for
// n != 0 it lies within a factor 2 of x); c is the rounding error of subtracting the tail.
template <int N>
QO_VM_INLINE F64<N> Reduce(const F64<N>& x, const F64<N>& n, F64<N>* c) {
  const F64<N> rHi = x - n * kLn2Hi;
  const F64<N> nLo = n * kLn2Lo;
  const F64<N> r = rHi - nLo;
  *c = (rHi - r) - nLo;
  return r;
}

// (exp(r) - 1 - r - r^2/2) / r^3 = sum over j >= 0 of r^j / (j+3)!, through 1/kLast! (13 or 14).
// With |r| <= 0.347 the first term left out is below 4e-18 (for kLast = 13) or 1e-19 (kLast = 14)
// of r. Evaluated in pairs of terms (c + c' r) combined by powers of r^2 rather than by Horner's
// rule: a much shorter dependency chain. The sum enters the result only as r^3 times it (below
// 0.8%), so the order costs no accuracy.
template <int kLast, int N>
QO_VM_INLINE F64<N> ExpTail3(const F64<N>& r, const F64<N>& r2) {
  static_assert(kLast == 13 || kLast == 14, "");
  const double* c = kInvFact.v;
  const F64<N> r4 = r2 * r2;
  const F64<N> b0 = Lin(c[3], c[4], r) + r2 * Lin(c[5], c[6], r);
  const F64<N> b1 = Lin(c[7], c[8], r) + r2 * Lin(c[9], c[10], r);
  const F64<N> last = kLast == 14 ? Lin(c[13], c[14], r) : Set<N>(c[13]);
  const F64<N> b2 = Lin(c[11], c[12], r) + r2 * last;
  return b0 + r4 * (b1 + r4 * b2);
}

// 2^n, from n in the exponent field as RoundToLn2Multiple gives it, -1022 <= n <= 1023.
template <int N>
QO_VM_INLINE F64<N> PowerOfTwo(const I64<N>& nExponent) {
  return FromBits(nExponent + SetI<N>(0x3FF0000000000000LL));
}

// ---------------------------------------------------------------- exp

struct Exp {
  // Lanes outside |x| <= 708 (or NaN) go to std::exp: there 2^n * exp(r) stays a normal number.
  template <int N>
  static QO_VM_INLINE F64<N> SlowLanes(const F64<N>& x) {
    return NotLessEqual(AndNot(Set<N>(-0.0), x), 708.0);
  }

  // exp(x) = 2^n * exp(r + c). exp(r) - 1 = r + r^2/2 + r^3 * ExpTail3(r); 1 + r is formed with
  // its rounding error so that only the final addition rounds at the result's scale.
  template <int N>
  static QO_VM_INLINE F64<N> Fast(const F64<N>& x) {
    I64<N> nExponent;
    const F64<N> n = RoundToLn2Multiple(x, &nExponent);
    F64<N> c;
    const F64<N> r = Reduce(x, n, &c);
    const F64<N> r2 = r * r;
    const F64<N> t = r2 * 0.5 + (r2 * r) * ExpTail3<13>(r, r2);
    const F64<N> s = 1.0 + r;
    const F64<N> sErr = (1.0 - s) + r;  // 1 + r = s + sErr exactly
    // exp(r + c) = exp(r) (1 + c + ...); c is below 2^-55, so c * (exp(r) - 1) is negligible.
    const F64<N> e = s + (sErr + (t + c));
    // Scale by 2^n in the exponent field: e lies in [0.70, 1.42] and 2^n * e stays normal.
    return FromBits(Bits(e) + nExponent);
  }

  static double Slow(double x) { return std::exp(x); }
};

// ---------------------------------------------------------------- log

// (atanh(s) - s) / s^3 = sum over k >= 1 of z^(k-1) / (2k+1) with z = s^2, through 1/21. With
// |s| <= 0.172 the first term left out, z^10/23, is ~6e-19 of the sum. Same evaluation order as
// ExpTail3 (the sum enters the result as 2 s^3 times it, below 2% of the result).
template <int N>
QO_VM_INLINE F64<N> AtanhTail3(const F64<N>& z) {
  const F64<N> z2 = z * z;
  const F64<N> z4 = z2 * z2;
  const F64<N> b0 = Lin(1.0 / 3, 1.0 / 5, z) + z2 * Lin(1.0 / 7, 1.0 / 9, z);
  const F64<N> b1 = Lin(1.0 / 11, 1.0 / 13, z) + z2 * Lin(1.0 / 15, 1.0 / 17, z);
  const F64<N> b4 = Lin(1.0 / 19, 1.0 / 21, z);
  return b0 + z4 * (b1 + z4 * b4);
}

struct Log {
  // Lanes that are not positive normal finite numbers (including NaN) go to std::log.
  template <int N>
  static QO_VM_INLINE F64<N> SlowLanes(const F64<N>& x) {
    const F64<N> ok = GreaterEqual(x, 0x1p-1022) & LessEqual(x, 0x1.fffffffffffffp+1023);
    return AndNot(ok, FromBits(SetI<N>(-1)));
  }

  // log(x) = e ln 2 + log(m), x = 2^e m, m in [sqrt(1/2), sqrt(2)). With s = (m - 1) / (m + 1),
  // log(m) = 2 atanh(s) = 2s + 2 s^3 AtanhTail3(s^2). s is carried as head + tail: the head has 26
  // bits, so the remainder (m - 1) - sHead (m + 1) can be formed exactly, and the tail is that
  // remainder over m + 1.
  template <int N>
  static QO_VM_INLINE F64<N> Fast(const F64<N>& x) {
    // Subtracting the mantissa field of sqrt(1/2) moves the binade boundary to sqrt(1/2): the
    // exponent field of the difference is e + 1022, and its mantissa field plus the bits of
    // sqrt(1/2) is m. (x is normal and positive, so the difference is non-negative.)
    const I64<N> v = Bits(x) - SetI<N>(kSqrtHalfMantissa);
    const I64<N> k = ShiftFromExponent(v);
    const F64<N> m = FromBits((v & SetI<N>(kMantissaMask)) + SetI<N>(kSqrtHalfBits));
    // e as a double: k (< 2^11) put into the mantissa field of 2^52 gives 2^52 + k.
    const F64<N> e = FromBits(k | SetI<N>(0x4330000000000000LL)) - (0x1p52 + 1022.0);

    const F64<N> f = m - 1.0;  // exact
    const F64<N> d = 1.0 + m;
    const F64<N> inv = 1.0 / d;
    const F64<N> s = f * inv;  // within ~1 ulp of (m - 1) / (m + 1)
    const F64<N> sHead = Head26(s);
    const F64<N> dHead = Head26(d);
    // (1 + m) - dHead, exact: dHead - 1 is exact, and m differs from it by less than 2^-23.
    const F64<N> dTail = m - (dHead - 1.0);
    // f - sHead dHead is exact (26 x 26 bit product within a factor 2 of f).
    const F64<N> rem = (f - sHead * dHead) - sHead * dTail;
    const F64<N> sTail = rem * inv;

    // The series term is below 2% of the result, so s's own rounding does not matter there (and
    // the series need not wait for the tail).
    const F64<N> z = s * s;
    const F64<N> series = (s * z) * AtanhTail3(z);

    // Summed as log(x) / 2 = e ln2 / 2 + atanh(s), doubled at the end (exact). e ln2Hi / 2 + sHead
    // is taken with its rounding error: e ln2Hi / 2 is exact, and for e != 0 it outweighs
    // |sHead| <= 0.172.
    const F64<N> a = e * (0.5 * kLn2Hi);
    const F64<N> hi = a + sHead;
    const F64<N> lo = sHead - (hi - a);
    const F64<N> small = (lo + sTail) + e * (0.5 * kLn2Lo);
    const F64<N> half = hi + (small + series);
    return half + half;
  }

  static double Slow(double x) { return std::log(x); }
};

// ---------------------------------------------------------------- tanh

struct Tanh {
  // Only NaN lanes go to std::tanh; infinities are clamped like any large value.
  template <int N>
  static QO_VM_INLINE F64<N> SlowLanes(const F64<N>& x) {
    return IsNaN(x);
  }

  // tanh(a) = E / (E + 2) with E = exp(2a) - 1, a = |x| (the sign is put back at the end). E is
  // formed as head + tail without cancellation: with 2a = n ln 2 + r,
  //   E = (2^n - 1) + 2^n (exp(r) - 1),
  // where exp(r) - 1 = r + r^2/2 + r^3 ExpTail3(r) and r^2/2 is split off exactly through the
  // 26-bit head of r. For n = 0 (|x| < ~0.17) E is the series itself, so small x keep their full
  // precision. The quotient is then corrected by its remainder. From a ~ 19.06 on tanh(a) rounds
  // to 1; a is clamped to 22 (infinities too), which keeps 2^n at most 2^64.
  template <int N>
  static QO_VM_INLINE F64<N> Fast(const F64<N>& x) {
    const F64<N> signMask = Set<N>(-0.0);
    const F64<N> sign = x & signMask;
    const F64<N> a = Min(AndNot(signMask, x), 22.0);
    const F64<N> y = a + a;

    I64<N> nExponent;
    const F64<N> n = RoundToLn2Multiple(y, &nExponent);
    F64<N> c;
    const F64<N> r = Reduce(y, n, &c);

    // exp(r + c) - 1 = pHi + pLo.
    const F64<N> rHead = Head26(r);
    const F64<N> rTail = r - rHead;
    const F64<N> h = (rHead * rHead) * 0.5;  // exact
    // r^2/2 - h = rTail (r + rHead) / 2
    const F64<N> hRest = (rTail * (r + rHead)) * 0.5;
    const F64<N> r2 = r * r;
    const F64<N> cube = (r2 * r) * ExpTail3<14>(r, r2);
    const F64<N> cTerm = c * (1.0 + r);  // c exp(r), to first order
    const F64<N> s1 = r + h;             // |h| <= 0.18 |r|
    const F64<N> small = ((r - s1) + h) + ((hRest + cube) + cTerm);
    // Renormalised, so that pLo is below half an ulp of pHi (the quotient below relies on it).
    const F64<N> pHi = s1 + small;
    const F64<N> pLo = small - (pHi - s1);

    // E = (2^n - 1) + 2^n p and D = E + 2 = (2^n + 1) + 2^n p, both with their rounding errors
    // (formed side by side, so D need not wait for E). 2^n -+ 1 rounds from n = 53 on (where tanh
    // is within a few ulps of 1, so the 1 still counts); that error is (2^n -+ 1) - base =
    // +-1 - (base - 2^n), exactly. Both sums may take their errors as b - ((a + b) - a):
    // |2^n + 1| > |2^n pHi|, and |2^n - 1| >= |2^n pHi| for n >= 1 since -0.3 < pHi < 0.42 (for
    // n = 0, 2^n - 1 = 0).
    const F64<N> scale = PowerOfTwo(nExponent);
    const F64<N> bHi = scale * pHi;
    const F64<N> bLo = scale * pLo;
    const F64<N> eBase = scale - 1.0;
    const F64<N> eBaseErr = (scale - eBase) - 1.0;
    const F64<N> eHi = eBase + bHi;
    const F64<N> eLo = (bHi - (eHi - eBase)) + (bLo + eBaseErr);
    const F64<N> dBase = scale + Set<N>(1.0);
    const F64<N> dBaseErr = 1.0 - (dBase - scale);
    const F64<N> dHi = dBase + bHi;
    const F64<N> dLo = (bHi - (dHi - dBase)) + (bLo + dBaseErr);

    // q = E / D: a 26-bit head, and the tail from the remainder E - qHead D.
    const F64<N> inv = 1.0 / dHi;
    const F64<N> qHead = Head26(eHi * inv);
    const F64<N> dHead = Head26(dHi);
    const F64<N> rem = ((eHi - qHead * dHead) - qHead * (dHi - dHead)) + (eLo - qHead * dLo);
    const F64<N> q = (qHead + rem * inv) | sign;
    // Below 2^-27, tanh(x) = x (1 - x^2/3 + ...) rounds to x itself. Taking x there also keeps
    // tiny inputs exact when denormals are flushed to zero: the remainder above would be flushed
    // from |x| ~ 1e-300 on.
    const F64<N> tiny = Less(a, 0x1p-27);
    return (tiny & x) | AndNot(tiny, q);
  }

  static double Slow(double x) { return std::tanh(x); }
};

// ---------------------------------------------------------------- array loops

// Computes 2N elements from in into out. Lanes flagged by F::SlowLanes are recomputed by F::Slow;
// all inputs are read before anything is written, so in and out may be the same array. (The
// registers go through memory only on that rare path.)
template <class F, int N>
QO_VM_INLINE void RunGroup(const double* in, double* out) {
  const F64<N> x = Load<N>(in);
  F64<N> y = F::Fast(x);
  const int slow = LaneMask(F::SlowLanes(x));
  if (slow != 0) {
    double xs[2 * N];
    double ys[2 * N];
    Store(xs, x);
    Store(ys, y);
    for (int l = 0; l < 2 * N; ++l) {
      if (slow & (1 << l)) ys[l] = F::Slow(xs[l]);
    }
    y = Load<N>(ys);
  }
  Store(out, y);
}

// Runs F over the array: four registers (eight elements) at a time, then the remaining pairs one
// register at a time. A last odd element is computed as a pair with a zero.
template <class F>
void Run(const double* in, double* out, int n) {
  constexpr int kGroup = 4;
  int i = 0;
  for (; i + 2 * kGroup <= n; i += 2 * kGroup) RunGroup<F, kGroup>(in + i, out + i);
  for (; i + 2 <= n; i += 2) RunGroup<F, 1>(in + i, out + i);
  if (i < n) {
    const F64<1> x{{_mm_load_sd(in + i)}};
    if (LaneMask(F::SlowLanes(x)) & 1) {
      out[i] = F::Slow(in[i]);
    } else {
      _mm_store_sd(out + i, F::Fast(x).v[0]);
    }
  }
}

}  // namespace

void ExpArray(const double* in, double* out, int n) { Run<Exp>(in, out, n); }
void LogArray(const double* in, double* out, int n) { Run<Log>(in, out, n); }
void TanhArray(const double* in, double* out, int n) { Run<Tanh>(in, out, n); }

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
