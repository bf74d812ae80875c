// The kernel behind BandExponents (bandlaws.h), for any register set of vecmath_kernels.h. Every
// lane goes through the operations of the bands' GainExponents in the same order, so all widths
// give the same bits. Internal linkage, as vecmath_kernels.h.
#pragma once

#include "dsp/bandlaws.h"
#include "dsp/compressors.h"
#include "dsp/vecmath_kernels.h"
#include "dsp/vecmath_road.h"

namespace Dsp {
namespace {

// x within [lowest, highest]; a NaN stays NaN. (The packed minimum and maximum give their second
// operand where the comparison fails, so y = highest < x ? highest : x, then lowest > y ? lowest : y.)
template <class T, int N>
QO_VM_INLINE F64<T, N> Within(const F64<T, N>& x, double lowest, double highest) {
  const F64<T, N> y = MinOf(Set<T, N>(highest), x);
  return MaxOf(Set<T, N>(lowest), y);
}

template <class T, int N>
struct BandAccumulators {
  F64<T, N> topLowest, btmHighest, midLowest, midHighest;
};

template <class T, int N>
QO_VM_INLINE void BandGroup(const BandLaws& b, const double* env, const double* logs, double* sums,
                            BandAccumulators<T, N>* acc) {
  const F64<T, N> e = Load<T, N>(env);
  const F64<T, N> ln = Load<T, N>(logs);
  const F64<T, N> gated = Less(e, kGateLevel);
  const F64<T, N> level = ln * kDbPerNeper;

  // TopComp: min((t - level) q, 0), or the knee's bend inside (lo, hi).
  const F64<T, N> topLo = Set<T, N>(b.topLo);
  const F64<T, N> topLine = (b.topT - level) * b.topQ;
  const F64<T, N> topBend = ((level - topLo) * b.topBend) * (topLo - level);
  const F64<T, N> inTop = LessOf(topLo, level) & Less(level, b.topHi);
  const F64<T, N> topH = Select(inTop, topBend, AndNot(GreaterEqual(topLine, 0.0), topLine));
  const F64<T, N> top = Within(AndNot(gated, topH * kNeperPerDb), b.topLowest, b.topHighest);

  // BtmComp: max((t - level) q, 0), or the knee's bend inside (lo, hi).
  const F64<T, N> btmHi = Set<T, N>(b.btmHi);
  const F64<T, N> btmLine = (b.btmT - level) * b.btmQ;
  const F64<T, N> btmBend = ((btmHi - level) * b.btmBend) * (btmHi - level);
  const F64<T, N> inKnee = LessOf(Set<T, N>(b.btmLo), level) & LessOf(level, btmHi);
  const F64<T, N> btmH = Select(inKnee, btmBend, AndNot(LessEqual(btmLine, 0.0), btmLine));
  const F64<T, N> btm = AndNot(gated, btmH * kNeperPerDb);

  // MidComp: the distance d from the threshold becomes d / sqrt(ratio); -110 dB and beyond, and
  // infinite distances, stay.
  const F64<T, N> d = ln - b.midLnT;
  const F64<T, N> v = AndNot(LessEqual(d, b.midFarBelow), d * b.midMove);
  const F64<T, N> stay = gated | EqualOf(d, Set<T, N>(INFINITY));
  const F64<T, N> mid = Within(AndNot(stay, v), b.midLowest, b.midHighest);

  Store(sums, (top + btm) + mid);
  acc->topLowest = MinOf(top, acc->topLowest);
  acc->btmHighest = MaxOf(btm, acc->btmHighest);
  acc->midLowest = MinOf(mid, acc->midLowest);
  acc->midHighest = MaxOf(mid, acc->midHighest);
}

// The smallest (or largest) lane of every register, one after the other.
template <class T, int N>
QO_VM_INLINE double Lowest(const F64<T, N>& a, double start) {
  double lanes[T::kLanes * N];
  Store(lanes, a);
  for (double x : lanes) start = x < start ? x : start;
  return start;
}
template <class T, int N>
QO_VM_INLINE double Highest(const F64<T, N>& a, double start) {
  double lanes[T::kLanes * N];
  Store(lanes, a);
  for (double x : lanes) start = x > start ? x : start;
  return start;
}

template <class T>
void RunBands(const BandLaws& laws, const double* env, const double* logs, double* sums, int n,
              BandExtremes* seen) {
  // A copy of its own: stores into sums could otherwise reach the constants, which would then be
  // read again for every group.
  const BandLaws b = laws;
  constexpr int kGroup = 2;
  constexpr int kLanes = T::kLanes;
  BandAccumulators<T, kGroup> acc{Set<T, kGroup>(seen->topLowest), Set<T, kGroup>(seen->btmHighest),
                                  Set<T, kGroup>(seen->midLowest), Set<T, kGroup>(seen->midHighest)};
  int i = 0;
  for (; i + kGroup * kLanes <= n; i += kGroup * kLanes) {
    BandGroup<T, kGroup>(b, env + i, logs + i, sums + i, &acc);
  }
  // The rest a register at a time, the last few frames in a padded register: a gated frame
  // (envelope 0) has every exponent 0, which the extremes, started at 0, already hold.
  BandAccumulators<T, 1> one{{{acc.topLowest.v[0]}}, {{acc.btmHighest.v[0]}}, {{acc.midLowest.v[0]}},
                             {{acc.midHighest.v[0]}}};
  for (; i + kLanes <= n; i += kLanes) BandGroup<T, 1>(b, env + i, logs + i, sums + i, &one);
  if (i < n) {
    double e[kLanes] = {}, l[kLanes] = {}, s[kLanes];
    for (int k = 0; i + k < n; ++k) {
      e[k] = env[i + k];
      l[k] = logs[i + k];
    }
    BandGroup<T, 1>(b, e, l, s, &one);
    for (int k = 0; i + k < n; ++k) sums[i + k] = s[k];
  }
  acc.topLowest.v[0] = one.topLowest.v[0];
  acc.btmHighest.v[0] = one.btmHighest.v[0];
  acc.midLowest.v[0] = one.midLowest.v[0];
  acc.midHighest.v[0] = one.midHighest.v[0];
  seen->topLowest = Lowest(acc.topLowest, seen->topLowest);
  seen->btmHighest = Highest(acc.btmHighest, seen->btmHighest);
  seen->midLowest = Lowest(acc.midLowest, seen->midLowest);
  seen->midHighest = Highest(acc.midHighest, seen->midHighest);
}

// The array functions on register set T, each leaving the registers as T::Leave says.
template <class T>
struct RoadOf {
  static void Exp(const double* in, double* out, int n) {
    Run<T, Dsp::Exp>(in, out, n);
    T::Leave();
  }
  static void Log(const double* in, double* out, int n) {
    Run<T, Dsp::Log>(in, out, n);
    T::Leave();
  }
  static void LevelLog(const double* in, double* out, int n, double gate) {
    Run<T, Dsp::Log, Input::kLevel>(in, out, n, gate);
    T::Leave();
  }
  static void ExpOnFrames(const double* in, double* frames, int n) {
    RunOnFrames<T, Dsp::Exp>(in, frames, n);
    T::Leave();
  }
  static void Tanh(const double* in, double* out, int n) {
    Run<T, Dsp::Tanh>(in, out, n);
    T::Leave();
  }
  static void ScaledTanh(const double* in, double* out, int n, double pre, double post) {
    Run<T, Dsp::Tanh, Input::kScaled>(in, out, n, pre, post);
    T::Leave();
  }
  static void ScaledTanhFollowing(double* frames, int n, double pre, double post, FollowerJob& job) {
    RunScaledTanhFollowing<T>(frames, n, pre, post, job);
    T::Leave();
  }
  static void Bands(const BandLaws& laws, const double* env, const double* logs, double* sums, int n,
                    BandExtremes* seen) {
    RunBands<T>(laws, env, logs, sums, n, seen);
    T::Leave();
  }
  static constexpr ArrayRoad kRoad = {Exp,        Log,                 LevelLog, ExpOnFrames, Tanh,
                                      ScaledTanh, ScaledTanhFollowing, Bands};
};

}  // namespace
}  // namespace Dsp
