// The array exp, log and tanh: error in ulps against the library functions over dense sweeps
// (long double references where long double is wider than double, else the double functions),
// the special inputs, odd lengths and in-place use, and the two register widths against each other.
#include "dsp/vecmath.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "dsp/cpufeatures.h"
#include "dsp/follower.h"
#include "tests/dsp/dsptest.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Limits: the functions may give up their last bits for speed, never more than a relative error of
// 1e-13 anywhere (about 450 ulps); they stay within a few ulps, which the ulp limits hold them to.
// Against a wider reference the error is the functions' own; against the double functions, those
// functions' own error of up to about an ulp adds.
constexpr double kMaxRelative = 1e-13;
#if LDBL_MANT_DIG > DBL_MANT_DIG
using Ref = long double;
constexpr const char* kRefName = "long double";
constexpr double kMaxUlp = 4.0;
constexpr double kMeanUlp = 0.5;
#else
using Ref = double;
constexpr const char* kRefName = "double";
constexpr double kMaxUlp = 5.0;
constexpr double kMeanUlp = 0.75;
#endif

Ref RefExp(double x) { return std::exp(static_cast<Ref>(x)); }
Ref RefLog(double x) { return std::log(static_cast<Ref>(x)); }
Ref RefTanh(double x) { return std::tanh(static_cast<Ref>(x)); }

using ArrayFn = void (*)(const double*, double*, int);
using RefFn = Ref (*)(double);

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Distance of got from the reference in units of the double spacing at the reference's magnitude
// (2^-1074 in the subnormal range).
double UlpError(double got, Ref ref) {
  if (static_cast<Ref>(got) == ref) return 0.0;
  if (!std::isfinite(got) || !std::isfinite(static_cast<double>(ref))) return 1e300;
  int e = ref == 0 ? DBL_MIN_EXP - 1 : std::ilogb(ref);
  if (e < DBL_MIN_EXP - 1) e = DBL_MIN_EXP - 1;
  const Ref ulp = std::ldexp(static_cast<Ref>(1), e - (DBL_MANT_DIG - 1));
  return static_cast<double>(std::fabs(static_cast<Ref>(got) - ref) / ulp);
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// |got - ref| / |ref| (0 where both are 0; infinite where only the reference is 0).
double RelativeError(double got, Ref ref) {
  if (static_cast<Ref>(got) == ref) return 0.0;
  if (!std::isfinite(got) || !std::isfinite(static_cast<double>(ref))) return 1e300;
  if (ref == 0) return INFINITY;
  return static_cast<double>(std::fabs((static_cast<Ref>(got) - ref) / ref));
}

struct Stats {
  double maxUlp = 0.0;
  double maxRelative = 0.0;
  double sumUlp = 0.0;
  long count = 0;
  double worstX = 0.0;

  void Add(double x, double err, double relative) {
    if (count == 0 || err > maxUlp) {
      maxUlp = err;
      worstX = x;
    }
    if (relative > maxRelative) maxRelative = relative;
    sumUlp += err;
    ++count;
  }
  double Mean() const { return count ? sumUlp / count : 0.0; }
};

// Runs fn over xs in one call and adds every element's ulp error to stats.
void Measure(ArrayFn fn, RefFn ref, const std::vector<double>& xs, Stats* stats) {
  std::vector<double> ys(xs.size());
  fn(xs.data(), ys.data(), static_cast<int>(xs.size()));
  for (size_t i = 0; i < xs.size(); ++i) {
    const Ref want = ref(xs[i]);
    // Results in the subnormal range are measured in ulps only: there the spacing is fixed.
    const bool normal = std::fabs(static_cast<double>(want)) >= DBL_MIN || want == 0;
    stats->Add(xs[i], UlpError(ys[i], want), normal ? RelativeError(ys[i], want) : 0.0);
  }
}

// Asserts the limits of a sweep and prints its figures.
void ExpectAccurate(const char* name, const Stats& s) {
  std::printf("[vecmath] %-28s n=%-8ld max %.3f ulp (x=%.17g) rel %.2e  mean %.4f ulp  (vs %s)\n",
              name, s.count, s.maxUlp, s.worstX, s.maxRelative, s.Mean(), kRefName);
  EXPECT_GT(s.count, 0);
  EXPECT_LE(s.maxRelative, kMaxRelative) << name;
  EXPECT_LE(s.maxUlp, kMaxUlp) << name << " worst at x = " << s.worstX;
  EXPECT_LE(s.Mean(), kMeanUlp) << name;
}

std::vector<double> Uniform(double lo, double hi, int count, unsigned seed) {
  std::mt19937_64 gen(seed);
  std::uniform_real_distribution<double> dist(lo, hi);
  std::vector<double> v(static_cast<size_t>(count));
  for (double& x : v) x = dist(gen);
  return v;
}

// count evenly spaced points from lo to hi.
std::vector<double> Grid(double lo, double hi, int count) {
  std::vector<double> v(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) v[i] = lo + (hi - lo) * i / (count - 1);
  return v;
}

// sign * 10^u for u uniform in [lo, hi] (log-uniform magnitudes).
std::vector<double> LogUniform(double lo, double hi, double sign, int count, unsigned seed) {
  std::mt19937_64 gen(seed);
  std::uniform_real_distribution<double> dist(lo, hi);
  std::vector<double> v(static_cast<size_t>(count));
  for (double& x : v) x = sign * std::pow(10.0, dist(gen));
  return v;
}

// Each of centres and its neighbours up to `steps` doubles away on either side.
std::vector<double> Around(const std::vector<double>& centres, int steps) {
  std::vector<double> v;
  for (double c : centres) {
    double up = c, down = c;
    v.push_back(c);
    for (int i = 0; i < steps; ++i) {
      up = std::nextafter(up, kInf);
      down = std::nextafter(down, -kInf);
      v.push_back(up);
      v.push_back(down);
    }
  }
  return v;
}

// For inputs that the functions hand to the library: the array result must be the library's.
void ExpectLibraryResults(ArrayFn fn, double (*lib)(double), const std::vector<double>& xs) {
  std::vector<double> ys(xs.size());
  fn(xs.data(), ys.data(), static_cast<int>(xs.size()));
  for (size_t i = 0; i < xs.size(); ++i) {
    const double want = lib(xs[i]);
    if (std::isnan(want)) {
      EXPECT_TRUE(std::isnan(ys[i])) << "x = " << xs[i];
    } else {
      EXPECT_TRUE(SameBits(ys[i], want)) << "x = " << xs[i] << ": " << ys[i] << " vs " << want;
    }
  }
}

double LibExp(double x) { return std::exp(x); }
double LibLog(double x) { return std::log(x); }
double LibTanh(double x) { return std::tanh(x); }

// ---------------------------------------------------------------- exp

TEST(VecMathExp, WideRange) {
  Stats s;
  Measure(Dsp::ExpArray, RefExp, Grid(-700.0, 700.0, 400001), &s);
  Measure(Dsp::ExpArray, RefExp, Uniform(-708.0, 708.0, 400000, 1), &s);
  ExpectAccurate("exp [-708, 708]", s);
}

TEST(VecMathExp, AudioRange) {
  Stats s;
  Measure(Dsp::ExpArray, RefExp, Grid(-30.0, 30.0, 600001), &s);
  Measure(Dsp::ExpArray, RefExp, Uniform(-30.0, 30.0, 600000, 2), &s);
  Measure(Dsp::ExpArray, RefExp, Uniform(-1.0, 1.0, 200000, 3), &s);
  ExpectAccurate("exp [-30, 30]", s);
}

TEST(VecMathExp, SmallArguments) {
  Stats s;
  Measure(Dsp::ExpArray, RefExp, LogUniform(-300.0, 0.0, 1.0, 100000, 4), &s);
  Measure(Dsp::ExpArray, RefExp, LogUniform(-300.0, 0.0, -1.0, 100000, 5), &s);
  Measure(Dsp::ExpArray, RefExp, {std::numeric_limits<double>::denorm_min(), -DBL_MIN, 1e-17}, &s);
  ExpectAccurate("exp tiny and |x| < 1", s);
}

TEST(VecMathExp, ReductionBoundaries) {
  // Where x / ln 2 crosses k + 1/2 the reduced argument jumps from +ln2/2 to -ln2/2.
  std::vector<double> centres;
  for (int k = -1021; k <= 1020; ++k) centres.push_back((k + 0.5) * 0.69314718055994530942);
  Stats s;
  Measure(Dsp::ExpArray, RefExp, Around(centres, 4), &s);
  ExpectAccurate("exp near (k+1/2) ln 2", s);
}

TEST(VecMathExp, SpecialValues) {
  const double zeros[] = {0.0, -0.0};
  double ones[2];
  Dsp::ExpArray(zeros, ones, 2);
  EXPECT_EQ(ones[0], 1.0);
  EXPECT_EQ(ones[1], 1.0);

  ExpectLibraryResults(Dsp::ExpArray, LibExp,
                       {kInf,   -kInf,  kNaN,   -kNaN,   708.0000000001,  709.0,  709.78,
                        709.79, 710.0,  1000.0, DBL_MAX, -708.0000000001, -709.0, -720.0,
                        -740.0, -745.1, -746.0, -1000.0, -DBL_MAX,        1e300,  -1e300});
  double in[] = {709.8, -746.0, kInf, -kInf};
  double out[4];
  Dsp::ExpArray(in, out, 4);
  EXPECT_EQ(out[0], kInf);
  EXPECT_EQ(out[1], 0.0);
  EXPECT_EQ(out[2], kInf);
  EXPECT_EQ(out[3], 0.0);

  // The edges of the fast range.
  Stats s;
  Measure(Dsp::ExpArray, RefExp, Around({708.0, -708.0}, 50), &s);
  ExpectAccurate("exp at +-708", s);
}

// ---------------------------------------------------------------- log

TEST(VecMathLog, WideRange) {
  Stats s;
  Measure(Dsp::LogArray, RefLog, LogUniform(-300.0, 300.0, 1.0, 800000, 6), &s);
  Measure(Dsp::LogArray, RefLog, Grid(1e-3, 1e3, 200001), &s);
  ExpectAccurate("log (1e-300, 1e300)", s);
}

TEST(VecMathLog, EveryBinade) {
  // Random mantissas in every normal binade.
  std::mt19937_64 gen(7);
  std::vector<double> xs;
  for (int e = -1022; e <= 1023; ++e) {
    for (int i = 0; i < 200; ++i) {
      const double m = 1.0 + static_cast<double>(gen() >> 11) * 0x1p-53;
      xs.push_back(std::ldexp(m, e));
    }
  }
  Stats s;
  Measure(Dsp::LogArray, RefLog, xs, &s);
  ExpectAccurate("log every binade", s);
}

TEST(VecMathLog, AroundOne) {
  Stats s;
  std::vector<double> xs;
  for (double d : LogUniform(-12.0, std::log10(0.5), 1.0, 300000, 9)) {
    xs.push_back(1.0 + d);
    xs.push_back(1.0 - d);
  }
  Measure(Dsp::LogArray, RefLog, xs, &s);
  Measure(Dsp::LogArray, RefLog, Around({1.0}, 2000), &s);
  Measure(Dsp::LogArray, RefLog, Uniform(0.5, 1.5, 300000, 10), &s);
  ExpectAccurate("log around 1", s);
}

TEST(VecMathLog, SplitBoundaries) {
  // The mantissa split at sqrt(1/2) and sqrt(2), and the powers of two.
  std::vector<double> centres;
  for (int e = -1020; e <= 1020; e += 7) {
    centres.push_back(std::ldexp(0.70710678118654752440, e));
    centres.push_back(std::ldexp(1.0, e));
  }
  Stats s;
  Measure(Dsp::LogArray, RefLog, Around(centres, 20), &s);
  Measure(Dsp::LogArray, RefLog, {DBL_MIN, DBL_MAX, 2.0, 0.5, 10.0, 0.1}, &s);
  ExpectAccurate("log near sqrt(1/2) 2^e, 2^e", s);
}

TEST(VecMathLog, SpecialValues) {
  const double one = 1.0;
  double r = -1.0;
  Dsp::LogArray(&one, &r, 1);
  EXPECT_TRUE(SameBits(r, 0.0));  // +0

  const double denormMin = std::numeric_limits<double>::denorm_min();
  ExpectLibraryResults(Dsp::LogArray, LibLog,
                       {0.0, -0.0, -1.0, -DBL_MIN, -1e-300, -kInf, kInf, kNaN, -kNaN, denormMin,
                        1e-310, 3e-320, std::nextafter(DBL_MIN, 0.0), -denormMin});
  double in[] = {0.0, -2.0, kInf};
  double out[3];
  Dsp::LogArray(in, out, 3);
  EXPECT_EQ(out[0], -kInf);
  EXPECT_TRUE(std::isnan(out[1]));
  EXPECT_EQ(out[2], kInf);
}

// ---------------------------------------------------------------- tanh

TEST(VecMathTanh, Range25) {
  Stats s;
  Measure(Dsp::TanhArray, RefTanh, Grid(-25.0, 25.0, 500001), &s);
  Measure(Dsp::TanhArray, RefTanh, Uniform(-25.0, 25.0, 500000, 11), &s);
  Measure(Dsp::TanhArray, RefTanh, Uniform(-1.0, 1.0, 300000, 12), &s);
  ExpectAccurate("tanh [-25, 25]", s);
}

TEST(VecMathTanh, TinyArguments) {
  Stats s;
  Measure(Dsp::TanhArray, RefTanh, LogUniform(-300.0, -8.0, 1.0, 200000, 13), &s);
  Measure(Dsp::TanhArray, RefTanh, LogUniform(-300.0, -8.0, -1.0, 200000, 14), &s);
  Measure(Dsp::TanhArray, RefTanh, LogUniform(-8.0, -0.3, 1.0, 200000, 15), &s);
  Measure(Dsp::TanhArray, RefTanh, LogUniform(-8.0, -0.3, -1.0, 200000, 16), &s);
  // Around 2^-27, below which tanh(x) rounds to x.
  Measure(Dsp::TanhArray, RefTanh, LogUniform(-9.0, -7.0, 1.0, 100000, 28), &s);
  Measure(Dsp::TanhArray, RefTanh, LogUniform(-9.0, -7.0, -1.0, 100000, 29), &s);
  Measure(Dsp::TanhArray, RefTanh, Around({0x1p-27, -0x1p-27}, 1000), &s);
  ExpectAccurate("tanh 1e-300 .. 0.5", s);
}

TEST(VecMathTanh, MiddleAndLarge) {
  Stats s;
  Measure(Dsp::TanhArray, RefTanh, LogUniform(std::log10(0.5), std::log10(20.0), 1.0, 300000, 17),
          &s);
  Measure(Dsp::TanhArray, RefTanh, LogUniform(std::log10(0.5), std::log10(20.0), -1.0, 300000, 18),
          &s);
  // 2|x| crossing (k + 1/2) ln 2.
  std::vector<double> centres;
  for (int k = 0; k < 64; ++k) {
    centres.push_back((k + 0.5) * 0.34657359027997265471);
    centres.push_back(-(k + 0.5) * 0.34657359027997265471);
  }
  Measure(Dsp::TanhArray, RefTanh, Around(centres, 50), &s);
  // Where tanh is within a few ulps of +-1.
  Measure(Dsp::TanhArray, RefTanh, Uniform(16.0, 20.0, 100000, 19), &s);
  Measure(Dsp::TanhArray, RefTanh, Uniform(-20.0, -16.0, 100000, 20), &s);
  ExpectAccurate("tanh +-0.5 .. 20, steps of n", s);
}

TEST(VecMathTanh, SpecialValues) {
  const double in[] = {0.0,  -0.0,  kInf, -kInf, 19.1,  -19.1,
                       20.0, -22.0, 22.5, -50.0, 1e300, -DBL_MAX};
  double out[12];
  Dsp::TanhArray(in, out, 12);
  EXPECT_TRUE(SameBits(out[0], 0.0));
  EXPECT_TRUE(SameBits(out[1], -0.0));
  for (int i = 2; i < 12; ++i) {
    EXPECT_EQ(out[i], std::signbit(in[i]) ? -1.0 : 1.0) << "x = " << in[i];
    EXPECT_EQ(out[i], std::tanh(in[i])) << "x = " << in[i];
  }
  ExpectLibraryResults(Dsp::TanhArray, LibTanh, {kNaN, -kNaN});

  // Subnormals stay as they are.
  const double tiny[] = {std::numeric_limits<double>::denorm_min(), -1e-310, 3e-320, -DBL_MIN};
  double tinyOut[4];
  Dsp::TanhArray(tiny, tinyOut, 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(tinyOut[i], tiny[i]);
}

// tanh(pre x) post in one pass: within the accuracy of tanh itself against the long double formula
// (each product rounded once), exactly 0, x pre post for the tails of silence (below 2^-27 after
// scaling, the lanes come out as they went in), and NaN for NaN.
TEST(VecMathTanh, ScaledInOnePass) {
  const double drives[] = {0.01, 1.0, 2.0, 10.0};
  for (double drive : drives) {
    SCOPED_TRACE(drive);
    const double pre = drive, post = 1.0 / drive;
    std::vector<double> xs = Uniform(-3.0, 3.0, 4001, 40);
    const std::vector<double> tails = LogUniform(-300.0, -10.0, -1.0, 64, 41);
    xs.insert(xs.end(), tails.begin(), tails.end());
    std::vector<double> ys(xs.size());
    Dsp::ScaledTanhArray(xs.data(), ys.data(), static_cast<int>(xs.size()), pre, post);
    for (size_t i = 0; i < xs.size(); ++i) {
      const double scaled = xs[i] * pre;  // rounded once, as in the pass
      const Ref want = std::tanh(static_cast<Ref>(scaled)) * static_cast<Ref>(post);
      EXPECT_LE(RelativeError(ys[i], want), 1e-15) << xs[i];
      if (std::fabs(scaled) < 0x1p-27) {
        EXPECT_EQ(ys[i], scaled * post) << xs[i];
      }
    }
  }
  const double in[] = {0.0, -0.0, kNaN, 50.0};
  double out[4];
  Dsp::ScaledTanhArray(in, out, 4, 2.0, 0.5);
  EXPECT_TRUE(SameBits(out[0], 0.0));
  EXPECT_TRUE(SameBits(out[1], -0.0));
  EXPECT_TRUE(std::isnan(out[2]));
  EXPECT_EQ(out[3], 0.5);
}

// ---------------------------------------------------------------- lengths and aliasing

struct Fn {
  const char* name;
  ArrayFn fn;
  RefFn ref;
  double (*lib)(double);
  double lo, hi;
};
void ScaledTanh(const double* in, double* out, int n) { Dsp::ScaledTanhArray(in, out, n, 3.0, 0.25); }
Ref RefScaledTanh(double x) { return std::tanh(static_cast<Ref>(x * 3.0)) * 0.25L; }
double LibScaledTanh(double x) { return std::tanh(x * 3.0) * 0.25; }

// Levels below the gate (negative ones too) count as 1; others give the logarithm of |x|.
constexpr double kTestGate = 0.004;
void LevelLog(const double* in, double* out, int n) { Dsp::LevelLogArray(in, out, n, kTestGate); }
Ref RefLevelLog(double x) { return x < kTestGate ? 0.0L : std::log(std::fabs(static_cast<Ref>(x))); }
double LibLevelLog(double x) { return x < kTestGate ? 0.0 : std::log(std::fabs(x)); }

// exp(x) applied to a frame (1, -2): the left sample is the result, and the right one must be
// exactly -2 times it. Frames past n, the guards at either end, keep their values.
void ExpOnFrame(const double* in, double* out, int n) {
  std::vector<double> frames(2 * static_cast<size_t>(n) + 4, 7.0);
  for (int i = 0; i < n; ++i) {
    frames[2 * i + 2] = 1.0;
    frames[2 * i + 3] = -2.0;
  }
  Dsp::ExpOnFrames(in, frames.data() + 2, n);
  EXPECT_EQ(frames[0], 7.0);
  EXPECT_EQ(frames[1], 7.0);
  EXPECT_EQ(frames[2 * n + 2], 7.0);
  EXPECT_EQ(frames[2 * n + 3], 7.0);
  for (int i = 0; i < n; ++i) {
    const double left = frames[2 * i + 2], right = frames[2 * i + 3];
    EXPECT_TRUE(right == -2.0 * left || (std::isnan(left) && std::isnan(right)));
    out[i] = left;
  }
}

const Fn kFns[] = {{"exp", Dsp::ExpArray, RefExp, LibExp, -30.0, 30.0},
                   {"log", Dsp::LogArray, RefLog, LibLog, 1e-6, 1e6},
                   {"tanh", Dsp::TanhArray, RefTanh, LibTanh, -4.0, 4.0},
                   {"scaled tanh", ScaledTanh, RefScaledTanh, LibScaledTanh, -1.5, 1.5},
                   {"level log", LevelLog, RefLevelLog, LibLevelLog, -0.01, 2.0},
                   {"exp on frames", ExpOnFrame, RefExp, LibExp, -30.0, 30.0}};

TEST(VecMathArrays, OddLengthsTouchOnlyTheirElements) {
  for (const Fn& f : kFns) {
    f.fn(nullptr, nullptr, 0);  // nothing to read or write
    for (int n : {0, 1, 2, 3, 17}) {
      SCOPED_TRACE(f.name);
      SCOPED_TRACE(n);
      std::vector<double> xs = Uniform(f.lo, f.hi, n + 1, 100 + n);
      const double guard = -12345.0;
      std::vector<double> ys(static_cast<size_t>(n) + 2, guard);
      f.fn(xs.data(), ys.data() + 1, n);
      EXPECT_EQ(ys[0], guard);
      EXPECT_EQ(ys[static_cast<size_t>(n) + 1], guard);
      for (int i = 0; i < n; ++i) EXPECT_LE(UlpError(ys[i + 1], f.ref(xs[i])), kMaxUlp) << xs[i];
    }
  }
}

TEST(VecMathArrays, LibraryLanesInAnyPosition) {
  // A NaN (and an overflowing or non-positive argument) in the first lane, second lane and the odd
  // last element; the other elements keep their accuracy.
  for (const Fn& f : kFns) {
    SCOPED_TRACE(f.name);
    for (int n : {1, 3, 17}) {
      for (int at = 0; at < n; ++at) {
        std::vector<double> xs = Uniform(f.lo, f.hi, n, 200 + at);
        xs[at] = kNaN;
        std::vector<double> ys(xs.size());
        f.fn(xs.data(), ys.data(), n);
        for (int i = 0; i < n; ++i) {
          if (i == at) {
            EXPECT_TRUE(std::isnan(ys[i]));
          } else {
            EXPECT_LE(UlpError(ys[i], f.ref(xs[i])), kMaxUlp) << xs[i];
          }
        }
      }
    }
  }
  const double expIn[] = {1.0, 800.0, -800.0, 2.0, 3.0};
  double expOut[5];
  Dsp::ExpArray(expIn, expOut, 5);
  EXPECT_EQ(expOut[1], kInf);
  EXPECT_EQ(expOut[2], 0.0);
  for (int i : {0, 3, 4}) EXPECT_LE(UlpError(expOut[i], RefExp(expIn[i])), kMaxUlp);
  const double logIn[] = {-1.0, 2.0, 3.0, 0.0, 5.0};
  double logOut[5];
  Dsp::LogArray(logIn, logOut, 5);
  EXPECT_TRUE(std::isnan(logOut[0]));
  EXPECT_EQ(logOut[3], -kInf);
  for (int i : {1, 2, 4}) EXPECT_LE(UlpError(logOut[i], RefLog(logIn[i])), kMaxUlp);
}

TEST(VecMathArrays, InPlace) {
  for (const Fn& f : kFns) {
    SCOPED_TRACE(f.name);
    for (int n : {1, 3, 17, 4096}) {
      const std::vector<double> xs = Uniform(f.lo, f.hi, n, 300 + n);
      std::vector<double> buf = xs;
      f.fn(buf.data(), buf.data(), n);
      for (int i = 0; i < n; ++i) EXPECT_LE(UlpError(buf[i], f.ref(xs[i])), kMaxUlp) << xs[i];
    }
  }
}

// Where the processor has AVX2 the functions run four lanes per register, with AVX-512 eight. On
// each of those roads every lane must come out as on the two-lane road: ordinary arguments, the library lanes (NaN, infinities, zeros,
// subnormals, overflow), every length around the register and group widths, every start position.
TEST(VecMathArrays, WideAndTwoLaneRoadsGiveTheSameBits) {
  if (!Dsp::WideRoadActive()) GTEST_SKIP() << "no AVX2 road here";
  const double special[] = {kNaN, kInf, -kInf, 0.0, -0.0, 5e-324, -1e-310, 800.0, -800.0,
                            1e300, -1.0, 709.5, -745.2, 1e-9, 22.5};
  for (const dsptest::WideRoad& road : dsptest::WideRoads()) {
    SCOPED_TRACE(road.name);
    for (const Fn& f : kFns) {
      SCOPED_TRACE(f.name);
      std::vector<double> xs = Uniform(f.lo, f.hi, 20008, 400);
      for (size_t i = 0; i < xs.size(); i += 37) xs[i] = special[(i / 37) % 15];
      for (int start = 0; start < 8; ++start) {
        for (int n : {0, 1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 31, 33, 63, 65, 20000}) {
          SCOPED_TRACE(n);
          std::vector<double> wide(static_cast<size_t>(n) + 1), narrow(wide.size());
          {
            dsptest::OnWideRoad on(road);
            f.fn(xs.data() + start, wide.data(), n);
          }
          {
            dsptest::TwoLaneRoad two;
            f.fn(xs.data() + start, narrow.data(), n);
          }
          ASSERT_EQ(std::memcmp(wide.data(), narrow.data(), wide.size() * sizeof(double)), 0);
        }
      }
    }
  }
}

// The saturation with the envelope follower alongside must give, on every road and for every
// length, the saturated frames and the follower's values of saturating first and following after.
// The follower here is written out from its definition: per channel towards a larger magnitude
// with the attack coefficient, otherwise with the release one; a frame's value is the larger
// channel envelope, 0 below 0.001; the peak is the largest value.
TEST(VecMathTanh, FollowerAlongsideGivesTheBitsOfSaturatingThenFollowing) {
  struct Road {
    const char* name;
    int wide;  // 0 two lanes, else the index + 1 into WideRoads()
  };
  std::vector<Road> roads = {{"two lanes", 0}};
  const std::vector<dsptest::WideRoad> wides = dsptest::WideRoads();
  for (size_t i = 0; i < wides.size(); ++i) roads.push_back({wides[i].name, static_cast<int>(i) + 1});
  const double drive = 2.5, attack = 0.9, release = 0.999;
  for (const Road& road : roads) {
    SCOPED_TRACE(road.name);
    for (int n : {0, 1, 3, 4, 7, 8, 9, 16, 17, 31, 100, 257}) {
      SCOPED_TRACE(n);
      // Loud noise, then quiet noise that falls through the gate.
      std::vector<double> frames = dsptest::RandomStereo(n, 300 + n);
      for (int f = n / 2; f < n; ++f) {
        frames[2 * f] *= 1e-4;
        frames[2 * f + 1] *= 1e-4;
      }
      frames.push_back(0.5);  // never empty, and a sample past the frames that must stay as it is
      std::vector<double> want = frames;
      Dsp::ScaledTanhArray(frames.data(), want.data(), 2 * n, drive, 1.0 / drive);
      std::vector<double> wantEnv(static_cast<size_t>(n) + 1, -1.0), env(wantEnv);
      double l = 0.2, r = 0.0, peak = 0.0;
      for (int f = 0; f < n; ++f) {
        const double ml = std::fabs(want[2 * f]), mr = std::fabs(want[2 * f + 1]);
        l = ml > l ? (1.0 - attack) * ml + attack * l : (1.0 - release) * ml + release * l;
        r = mr > r ? (1.0 - attack) * mr + attack * r : (1.0 - release) * mr + release * r;
        double v = r > l ? r : l;
        if (v < 0.001) v = 0.0;
        wantEnv[f] = v;
        if (v > peak) peak = v;
      }
      Dsp::FollowerJob job;
      job.frames = frames.data();
      job.env = env.data();
      job.count = n;
      job.envL = 0.2;
      job.attL = job.attR = attack;
      job.relL = job.relR = release;
      {
        std::unique_ptr<dsptest::TwoLaneRoad> two;
        std::unique_ptr<dsptest::OnWideRoad> on;
        if (road.wide == 0) two = std::make_unique<dsptest::TwoLaneRoad>();
        if (road.wide > 0) on = std::make_unique<dsptest::OnWideRoad>(wides[road.wide - 1]);
        Dsp::ScaledTanhFollowing(frames.data(), n, drive, 1.0 / drive, &job);
      }
      ASSERT_EQ(std::memcmp(frames.data(), want.data(), frames.size() * sizeof(double)), 0);
      ASSERT_EQ(std::memcmp(env.data(), wantEnv.data(), env.size() * sizeof(double)), 0);
      EXPECT_EQ(job.count, 0);
      EXPECT_EQ(job.frames, frames.data() + 2 * n);
      EXPECT_EQ(job.envL, l);
      EXPECT_EQ(job.envR, r);
      EXPECT_EQ(job.peak, peak);
    }
  }
}

#if defined(__SSE2__)
// The engine processes its blocks with denormals flushed to zero (FTZ and DAZ); the functions keep
// their accuracy there for every result that is a normal number.
TEST(VecMathArrays, AccurateWithDenormalsFlushed) {
  struct FlushGuard {
    unsigned saved = _mm_getcsr();
    FlushGuard() { _mm_setcsr(saved | 0x8040); }
    ~FlushGuard() { _mm_setcsr(saved); }
  };
  Stats e, l, t;
  {
    const FlushGuard guard;
    Measure(Dsp::ExpArray, RefExp, Uniform(-708.0, 708.0, 200000, 21), &e);
    Measure(Dsp::ExpArray, RefExp, Uniform(-30.0, 30.0, 200000, 22), &e);
    Measure(Dsp::LogArray, RefLog, LogUniform(-300.0, 300.0, 1.0, 200000, 23), &l);
    Measure(Dsp::LogArray, RefLog, Uniform(0.5, 1.5, 200000, 24), &l);
    Measure(Dsp::TanhArray, RefTanh, Uniform(-25.0, 25.0, 200000, 25), &t);
    Measure(Dsp::TanhArray, RefTanh, LogUniform(-300.0, 0.0, 1.0, 200000, 26), &t);
    Measure(Dsp::TanhArray, RefTanh, LogUniform(-300.0, 0.0, -1.0, 200000, 27), &t);
  }
  ExpectAccurate("exp, FTZ+DAZ", e);
  ExpectAccurate("log, FTZ+DAZ", l);
  ExpectAccurate("tanh, FTZ+DAZ", t);
}
#endif

}  // namespace
