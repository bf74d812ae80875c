// The envelope follower over interleaved stereo frames as a job that other frame loops (the up
// filter's, the saturation's) can run beside their own work: the follower is one chain of dependent
// steps with little arithmetic, and those loops leave the processor room to run it alongside.
// Internal linkage on purpose (as packedstage.h): the step is compiled into files built for
// different instruction sets.
#pragma once

#include <cmath>

#if defined(__SSE4_1__)
#include <smmintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Dsp {

// Frames still to follow and the follower's running values. Each frame's value (the larger channel
// envelope, 0 below 0.001) goes to env; peak is the largest of them.
struct FollowerJob {
  const double* frames = nullptr;  // left, right, left, ...
  double* env = nullptr;
  long long count = 0;
  double envL = 0.0, envR = 0.0;
  double attL = 0.0, relL = 0.0, attR = 0.0, relR = 0.0;
  double peak = 0.0;
};

namespace {

#if defined(__GNUC__)
#define QO_FOLLOW_INLINE inline __attribute__((always_inline))
#else
#define QO_FOLLOW_INLINE inline
#endif

// One frame of one channel: towards a larger magnitude with the attack coefficient, otherwise with
// the release coefficient.
QO_FOLLOW_INLINE double FollowStep(double magnitude, double env, double attack, double release) {
  const double up = (1.0 - attack) * magnitude + attack * env;
  const double down = (1.0 - release) * magnitude + release * env;
  return magnitude > env ? up : down;
}

// Follows the next frame of the job (which must have one), one channel after the other. A loop of
// nothing else waits on each step, and there a predicted branch per channel is quicker than
// computing both candidates in lanes (FollowerLanes, for loops with other work).
QO_FOLLOW_INLINE void FollowOneFrame(FollowerJob& j) {
  j.envL = FollowStep(std::fabs(j.frames[0]), j.envL, j.attL, j.relL);
  j.envR = FollowStep(std::fabs(j.frames[1]), j.envR, j.attR, j.relR);
  double v = j.envR > j.envL ? j.envR : j.envL;
  if (v < 0.001) v = 0.0;
  *j.env++ = v;
  if (v > j.peak) j.peak = v;
  j.frames += 2;
  --j.count;
}

// Follows the rest of the job's frames (on a copy, whose values the compiler can keep in registers
// across the envelope's stores).
QO_FOLLOW_INLINE void FollowRest(FollowerJob& job) {
  FollowerJob j = job;
  while (j.count > 0) FollowOneFrame(j);
  job = j;
}

#if defined(__SSE2__)
// The job's running values in registers for a frame loop: the left and right channels side by side
// in one register each, so a frame is followed with one set of instructions for both. Each lane
// goes through the same operations as a channel followed on its own.
struct FollowerLanes {
  const double* frames;
  double* env;
  long long count;
  __m128d level;                      // envL, envR
  __m128d attack, release;            // coefficients, left and right
  __m128d attackRest, releaseRest;    // 1 - coefficient
  __m128d peak;                       // low lane
};

QO_FOLLOW_INLINE FollowerLanes Lanes(const FollowerJob& j) {
  FollowerLanes l;
  l.frames = j.frames;
  l.env = j.env;
  l.count = j.count;
  l.level = _mm_set_pd(j.envR, j.envL);
  l.attack = _mm_set_pd(j.attR, j.attL);
  l.release = _mm_set_pd(j.relR, j.relL);
  l.attackRest = _mm_sub_pd(_mm_set1_pd(1.0), l.attack);
  l.releaseRest = _mm_sub_pd(_mm_set1_pd(1.0), l.release);
  l.peak = _mm_set_sd(j.peak);
  return l;
}

QO_FOLLOW_INLINE void Return(const FollowerLanes& l, FollowerJob& j) {
  j.frames = l.frames;
  j.env = l.env;
  j.count = l.count;
  _mm_storel_pd(&j.envL, l.level);
  _mm_storeh_pd(&j.envR, l.level);
  j.peak = _mm_cvtsd_f64(l.peak);
}

// Follows the next frame (which must exist). Per channel: towards a larger magnitude with the
// attack coefficient, otherwise with the release one; both candidates are computed and the
// comparison picks one, so a step waits for one product and one sum of the previous envelope. The
// frame's value is the larger channel envelope (the right one only where it is greater), 0 below
// 0.001 (NaN passes); the peak takes a value greater than itself.
QO_FOLLOW_INLINE void FollowOneFrame(FollowerLanes& l) {
  const __m128d magnitude = _mm_andnot_pd(_mm_set1_pd(-0.0), _mm_loadu_pd(l.frames));
  const __m128d up = _mm_add_pd(_mm_mul_pd(l.attackRest, magnitude), _mm_mul_pd(l.attack, l.level));
  const __m128d down =
      _mm_add_pd(_mm_mul_pd(l.releaseRest, magnitude), _mm_mul_pd(l.release, l.level));
  const __m128d rising = _mm_cmplt_pd(l.level, magnitude);
#if defined(__SSE4_1__)
  l.level = _mm_blendv_pd(down, up, rising);
#else
  l.level = _mm_or_pd(_mm_and_pd(rising, up), _mm_andnot_pd(rising, down));
#endif
  // maxsd gives its first operand where that is greater, else the second.
  __m128d v = _mm_max_sd(_mm_unpackhi_pd(l.level, l.level), l.level);
  v = _mm_andnot_pd(_mm_cmplt_sd(v, _mm_set_sd(0.001)), v);
  _mm_store_sd(l.env, v);
  l.peak = _mm_max_sd(v, l.peak);
  ++l.env;
  l.frames += 2;
  --l.count;
}
#endif

}  // namespace
}  // namespace Dsp
