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

QO_VM_INLINE __m128d Set(double v) { return _mm_set1_pd(v); }
QO_VM_INLINE __m128i SetI(long long v) { return _mm_set1_epi64x(v); }
// a + b t
QO_VM_INLINE __m128d Lin(double a, double b, __m128d t) {
  return _mm_add_pd(Set(a), _mm_mul_pd(Set(b), t));
}

// The leading 26 significant bits of each lane (low 27 mantissa bits cleared).
QO_VM_INLINE __m128d Head26(__m128d x) {
  return _mm_and_pd(x, _mm_castsi128_pd(SetI(static_cast<long long>(0xFFFFFFFFF8000000ULL))));
}

// Rounds x / ln 2 to the nearest integer n: returns n as a double, and n shifted into the exponent
// field (n * 2^52 modulo 2^64 in each 64-bit lane, ready to be added to a double's bits). The sum
// k = x / ln 2 + 1.5 * 2^52 holds n in its low mantissa bits, and the bits above them (those of
// 1.5 * 2^52) are shifted out.
QO_VM_INLINE __m128d RoundToLn2Multiple(__m128d x, __m128i* nExponent) {
  const __m128d magic = Set(kRoundMagic);
  const __m128d k = _mm_add_pd(_mm_mul_pd(x, Set(kInvLn2)), magic);
  *nExponent = _mm_slli_epi64(_mm_castpd_si128(k), 52);
  return _mm_sub_pd(k, magic);
}

// r = x - n ln 2 as r + c, |r| <= ~0.347. x - n * kLn2Hi is exact (n * kLn2Hi is exact, and for
// n != 0 it lies within a factor 2 of x); c is the rounding error of subtracting the tail.
QO_VM_INLINE __m128d Reduce(__m128d x, __m128d n, __m128d* c) {
  const __m128d rHi = _mm_sub_pd(x, _mm_mul_pd(n, Set(kLn2Hi)));
  const __m128d nLo = _mm_mul_pd(n, Set(kLn2Lo));
  const __m128d r = _mm_sub_pd(rHi, nLo);
  *c = _mm_sub_pd(_mm_sub_pd(rHi, r), nLo);
  return r;
}

// (exp(r) - 1 - r - r^2/2) / r^3 = sum over j >= 0 of r^j / (j+3)!, through 1/kLast! (13 or 14).
// With |r| <= 0.347 the first term left out is below 4e-18 (for kLast = 13) or 1e-19 (kLast = 14)
// of r. Evaluated in pairs of terms (c + c' r) combined by powers of r^2 rather than by Horner's
// rule: a much shorter dependency chain, so that several pairs of lanes are in flight at once. The
// sum enters the result only as r^3 times it (below 0.8%), so the order costs no accuracy.
template <int kLast>
QO_VM_INLINE __m128d ExpTail3(__m128d r, __m128d r2) {
  static_assert(kLast == 13 || kLast == 14, "");
  const double* c = kInvFact.v;
  const __m128d r4 = _mm_mul_pd(r2, r2);
  const __m128d b0 = _mm_add_pd(Lin(c[3], c[4], r), _mm_mul_pd(r2, Lin(c[5], c[6], r)));
  const __m128d b1 = _mm_add_pd(Lin(c[7], c[8], r), _mm_mul_pd(r2, Lin(c[9], c[10], r)));
  const __m128d last = kLast == 14 ? Lin(c[13], c[14], r) : Set(c[13]);
  const __m128d b2 = _mm_add_pd(Lin(c[11], c[12], r), _mm_mul_pd(r2, last));
  return _mm_add_pd(b0, _mm_mul_pd(r4, _mm_add_pd(b1, _mm_mul_pd(r4, b2))));
}

// 2^n, from n in the exponent field as RoundToLn2Multiple gives it, -1022 <= n <= 1023.
QO_VM_INLINE __m128d PowerOfTwo(__m128i nExponent) {
  return _mm_castsi128_pd(_mm_add_epi64(nExponent, SetI(0x3FF0000000000000LL)));
}

// ---------------------------------------------------------------- exp

// Lanes outside |x| <= 708 (or NaN) go to std::exp: there 2^n * exp(r) stays a normal number.
QO_VM_INLINE int ExpSlowLanes(__m128d x) {
  const __m128d ax = _mm_andnot_pd(Set(-0.0), x);
  return _mm_movemask_pd(_mm_cmpnle_pd(ax, Set(708.0)));
}

// exp(x) = 2^n * exp(r + c). exp(r) - 1 = r + r^2/2 + r^3 * ExpTail3(r); 1 + r is formed with its
// rounding error so that only the final addition rounds at the result's scale.
QO_VM_INLINE __m128d ExpPair(__m128d x) {
  __m128i nExponent;
  const __m128d n = RoundToLn2Multiple(x, &nExponent);
  __m128d c;
  const __m128d r = Reduce(x, n, &c);
  const __m128d r2 = _mm_mul_pd(r, r);
  const __m128d t =
      _mm_add_pd(_mm_mul_pd(r2, Set(0.5)), _mm_mul_pd(_mm_mul_pd(r2, r), ExpTail3<13>(r, r2)));
  const __m128d one = Set(1.0);
  const __m128d s = _mm_add_pd(one, r);
  const __m128d sErr = _mm_add_pd(_mm_sub_pd(one, s), r);  // 1 + r = s + sErr exactly
  // exp(r + c) = exp(r) (1 + c + ...); c is below 2^-55, so c * (exp(r) - 1) is negligible.
  const __m128d e = _mm_add_pd(s, _mm_add_pd(sErr, _mm_add_pd(t, c)));
  // Scale by 2^n in the exponent field: e lies in [0.70, 1.42] and 2^n * e stays normal.
  return _mm_castsi128_pd(_mm_add_epi64(_mm_castpd_si128(e), nExponent));
}

// ---------------------------------------------------------------- log

// Lanes that are not positive normal finite numbers (including NaN) go to std::log.
QO_VM_INLINE int LogSlowLanes(__m128d x) {
  const __m128d ok =
      _mm_and_pd(_mm_cmpge_pd(x, Set(0x1p-1022)), _mm_cmple_pd(x, Set(0x1.fffffffffffffp+1023)));
  return _mm_movemask_pd(ok) ^ 3;
}

// (atanh(s) - s) / s^3 = sum over k >= 1 of z^(k-1) / (2k+1) with z = s^2, through 1/21. With
// |s| <= 0.172 the first term left out, z^10/23, is ~6e-19 of the sum. Same evaluation order as
// ExpTail3 (the sum enters the result as 2 s^3 times it, below 2% of the result).
QO_VM_INLINE __m128d AtanhTail3(__m128d z) {
  const __m128d z2 = _mm_mul_pd(z, z);
  const __m128d z4 = _mm_mul_pd(z2, z2);
  const __m128d b0 = _mm_add_pd(Lin(1.0 / 3, 1.0 / 5, z), _mm_mul_pd(z2, Lin(1.0 / 7, 1.0 / 9, z)));
  const __m128d b1 =
      _mm_add_pd(Lin(1.0 / 11, 1.0 / 13, z), _mm_mul_pd(z2, Lin(1.0 / 15, 1.0 / 17, z)));
  const __m128d b4 = Lin(1.0 / 19, 1.0 / 21, z);
  return _mm_add_pd(b0, _mm_mul_pd(z4, _mm_add_pd(b1, _mm_mul_pd(z4, b4))));
}

// log(x) = e ln 2 + log(m), x = 2^e m, m in [sqrt(1/2), sqrt(2)). With s = (m - 1) / (m + 1),
// log(m) = 2 atanh(s) = 2s + 2 s^3 AtanhTail3(s^2). s is carried as head + tail: the head has 26
// bits, so the remainder (m - 1) - sHead (m + 1) can be formed exactly, and the tail is that
// remainder over m + 1.
QO_VM_INLINE __m128d LogPair(__m128d x) {
  // Subtracting the mantissa field of sqrt(1/2) moves the binade boundary to sqrt(1/2): the
  // exponent field of the difference is e + 1022, and its mantissa field plus the bits of sqrt(1/2)
  // is m. (x is normal and positive, so the difference is non-negative.)
  const __m128i v = _mm_sub_epi64(_mm_castpd_si128(x), SetI(kSqrtHalfMantissa));
  const __m128i k = _mm_srli_epi64(v, 52);
  const __m128d m =
      _mm_castsi128_pd(_mm_add_epi64(_mm_and_si128(v, SetI(kMantissaMask)), SetI(kSqrtHalfBits)));
  // e as a double: k (< 2^11) put into the mantissa field of 2^52 gives 2^52 + k.
  const __m128d e = _mm_sub_pd(_mm_castsi128_pd(_mm_or_si128(k, SetI(0x4330000000000000LL))),
                               Set(0x1p52 + 1022.0));

  const __m128d one = Set(1.0);
  const __m128d f = _mm_sub_pd(m, one);  // exact
  const __m128d d = _mm_add_pd(one, m);
  const __m128d inv = _mm_div_pd(one, d);
  const __m128d s = _mm_mul_pd(f, inv);  // within ~1 ulp of (m - 1) / (m + 1)
  const __m128d sHead = Head26(s);
  const __m128d dHead = Head26(d);
  // (1 + m) - dHead, exact: dHead - 1 is exact, and m differs from it by less than 2^-23.
  const __m128d dTail = _mm_sub_pd(m, _mm_sub_pd(dHead, one));
  // f - sHead dHead is exact (26 x 26 bit product within a factor 2 of f).
  const __m128d rem = _mm_sub_pd(_mm_sub_pd(f, _mm_mul_pd(sHead, dHead)), _mm_mul_pd(sHead, dTail));
  const __m128d sTail = _mm_mul_pd(rem, inv);

  // The series term is below 2% of the result, so s's own rounding does not matter there (and the
  // series need not wait for the tail).
  const __m128d z = _mm_mul_pd(s, s);
  const __m128d series = _mm_mul_pd(_mm_mul_pd(s, z), AtanhTail3(z));

  // Summed as log(x) / 2 = e ln2 / 2 + atanh(s), doubled at the end (exact). e ln2Hi / 2 + sHead
  // is taken with its rounding error: e ln2Hi / 2 is exact, and for e != 0 it outweighs
  // |sHead| <= 0.172.
  const __m128d a = _mm_mul_pd(e, Set(0.5 * kLn2Hi));
  const __m128d hi = _mm_add_pd(a, sHead);
  const __m128d lo = _mm_sub_pd(sHead, _mm_sub_pd(hi, a));
  const __m128d small = _mm_add_pd(_mm_add_pd(lo, sTail), _mm_mul_pd(e, Set(0.5 * kLn2Lo)));
  const __m128d half = _mm_add_pd(hi, _mm_add_pd(small, series));
  return _mm_add_pd(half, half);
}

// ---------------------------------------------------------------- tanh

// Only NaN lanes go to std::tanh; infinities are clamped like any large value.
QO_VM_INLINE int TanhSlowLanes(__m128d x) { return _mm_movemask_pd(_mm_cmpunord_pd(x, x)); }

// tanh(a) = E / (E + 2) with E = exp(2a) - 1, a = |x| (the sign is put back at the end). E is
// formed as head + tail without cancellation: with 2a = n ln 2 + r,
//   E = (2^n - 1) + 2^n (exp(r) - 1),
// where exp(r) - 1 = r + r^2/2 + r^3 ExpTail3(r) and r^2/2 is split off exactly through the 26-bit
// head of r. For n = 0 (|x| < ~0.17) E is the series itself, so small x keep their full precision.
// The quotient is then corrected by its remainder. From a ~ 19.06 on tanh(a) rounds to 1; a is
// clamped to 22 (infinities too), which keeps 2^n at most 2^64.
QO_VM_INLINE __m128d TanhPair(__m128d x) {
  const __m128d signMask = Set(-0.0);
  const __m128d sign = _mm_and_pd(x, signMask);
  const __m128d a = _mm_min_pd(_mm_andnot_pd(signMask, x), Set(22.0));
  const __m128d y = _mm_add_pd(a, a);

  __m128i nExponent;
  const __m128d n = RoundToLn2Multiple(y, &nExponent);
  __m128d c;
  const __m128d r = Reduce(y, n, &c);

  // exp(r + c) - 1 = pHi + pLo.
  const __m128d half = Set(0.5);
  const __m128d rHead = Head26(r);
  const __m128d rTail = _mm_sub_pd(r, rHead);
  const __m128d h = _mm_mul_pd(_mm_mul_pd(rHead, rHead), half);  // exact
  // r^2/2 - h = rTail (r + rHead) / 2
  const __m128d hRest = _mm_mul_pd(_mm_mul_pd(rTail, _mm_add_pd(r, rHead)), half);
  const __m128d r2 = _mm_mul_pd(r, r);
  const __m128d cube = _mm_mul_pd(_mm_mul_pd(r2, r), ExpTail3<14>(r, r2));
  const __m128d cTerm = _mm_mul_pd(c, _mm_add_pd(Set(1.0), r));  // c exp(r), to first order
  const __m128d s1 = _mm_add_pd(r, h);                           // |h| <= 0.18 |r|
  const __m128d small =
      _mm_add_pd(_mm_add_pd(_mm_sub_pd(r, s1), h), _mm_add_pd(_mm_add_pd(hRest, cube), cTerm));
  // Renormalised, so that pLo is below half an ulp of pHi (the quotient below relies on it).
  const __m128d pHi = _mm_add_pd(s1, small);
  const __m128d pLo = _mm_sub_pd(small, _mm_sub_pd(pHi, s1));

  // E = (2^n - 1) + 2^n p and D = E + 2 = (2^n + 1) + 2^n p, both with their rounding errors
  // (formed side by side, so D need not wait for E). 2^n -+ 1 rounds from n = 53 on (where tanh is
  // within a few ulps of 1, so the 1 still counts); that error is (2^n -+ 1) - base = +-1 - (base -
  // 2^n), exactly. Both sums may take their errors as b - ((a + b) - a): |2^n + 1| > |2^n pHi|,
  // and |2^n - 1| >= |2^n pHi| for n >= 1 since -0.3 < pHi < 0.42 (for n = 0, 2^n - 1 = 0).
  const __m128d one = Set(1.0);
  const __m128d scale = PowerOfTwo(nExponent);
  const __m128d bHi = _mm_mul_pd(scale, pHi);
  const __m128d bLo = _mm_mul_pd(scale, pLo);
  const __m128d eBase = _mm_sub_pd(scale, one);
  const __m128d eBaseErr = _mm_sub_pd(_mm_sub_pd(scale, eBase), one);
  const __m128d eHi = _mm_add_pd(eBase, bHi);
  const __m128d eLo =
      _mm_add_pd(_mm_sub_pd(bHi, _mm_sub_pd(eHi, eBase)), _mm_add_pd(bLo, eBaseErr));
  const __m128d dBase = _mm_add_pd(scale, one);
  const __m128d dBaseErr = _mm_sub_pd(one, _mm_sub_pd(dBase, scale));
  const __m128d dHi = _mm_add_pd(dBase, bHi);
  const __m128d dLo =
      _mm_add_pd(_mm_sub_pd(bHi, _mm_sub_pd(dHi, dBase)), _mm_add_pd(bLo, dBaseErr));

  // q = E / D: a 26-bit head, and the tail from the remainder E - qHead D.
  const __m128d inv = _mm_div_pd(one, dHi);
  const __m128d qHead = Head26(_mm_mul_pd(eHi, inv));
  const __m128d dHead = Head26(dHi);
  const __m128d rem = _mm_add_pd(_mm_sub_pd(_mm_sub_pd(eHi, _mm_mul_pd(qHead, dHead)),
                                            _mm_mul_pd(qHead, _mm_sub_pd(dHi, dHead))),
                                 _mm_sub_pd(eLo, _mm_mul_pd(qHead, dLo)));
  const __m128d q = _mm_or_pd(_mm_add_pd(qHead, _mm_mul_pd(rem, inv)), sign);
  // Below 2^-27, tanh(x) = x (1 - x^2/3 + ...) rounds to x itself. Taking x there also keeps tiny
  // inputs exact when denormals are flushed to zero: the remainder above would be flushed from
  // |x| ~ 1e-300 on.
  const __m128d tiny = _mm_cmplt_pd(a, Set(0x1p-27));
  return _mm_or_pd(_mm_and_pd(tiny, x), _mm_andnot_pd(tiny, q));
}

// Runs Pair over the array two lanes at a time; pairs with a lane flagged by SlowLanes are
// finished by Scalar for the flagged lanes. A last odd element is computed as a pair with a zero.
template <__m128d (*Pair)(__m128d), int (*SlowLanes)(__m128d), double (*Scalar)(double)>
void RunPairs(const double* in, double* out, int n) {
  int i = 0;
  for (; i + 2 <= n; i += 2) {
    const __m128d x = _mm_loadu_pd(in + i);
    const __m128d y = Pair(x);
    const int slow = SlowLanes(x);
    if (slow == 0) {
      _mm_storeu_pd(out + i, y);
    } else {
      double xs[2], ys[2];
      _mm_storeu_pd(xs, x);
      _mm_storeu_pd(ys, y);
      if (slow & 1) ys[0] = Scalar(xs[0]);
      if (slow & 2) ys[1] = Scalar(xs[1]);
      out[i] = ys[0];
      out[i + 1] = ys[1];
    }
  }
  if (i < n) {
    const __m128d x = _mm_load_sd(in + i);
    if (SlowLanes(x) & 1) {
      out[i] = Scalar(in[i]);
    } else {
      _mm_store_sd(out + i, Pair(x));
    }
  }
}

double ScalarExp(double x) { return std::exp(x); }
double ScalarLog(double x) { return std::log(x); }
double ScalarTanh(double x) { return std::tanh(x); }

}  // namespace

void ExpArray(const double* in, double* out, int n) {
  RunPairs<ExpPair, ExpSlowLanes, ScalarExp>(in, out, n);
}
void LogArray(const double* in, double* out, int n) {
  RunPairs<LogPair, LogSlowLanes, ScalarLog>(in, out, n);
}
void TanhArray(const double* in, double* out, int n) {
  RunPairs<TanhPair, TanhSlowLanes, ScalarTanh>(in, out, n);
}

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
