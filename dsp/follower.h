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

// Both channel envelopes one frame on from `level`. Per channel: towards a larger magnitude with
// the attack coefficient, otherwise with the release one; both candidates are computed and the
// comparison picks one, so a step waits for one product and one sum of the previous envelope.
QO_FOLLOW_INLINE __m128d NextLevels(const FollowerLanes& l, __m128d level, const double* frame) {
  const __m128d magnitude = _mm_andnot_pd(_mm_set1_pd(-0.0), _mm_loadu_pd(frame));
  const __m128d up = _mm_add_pd(_mm_mul_pd(l.attackRest, magnitude), _mm_mul_pd(l.attack, level));
  const __m128d down =
      _mm_add_pd(_mm_mul_pd(l.releaseRest, magnitude), _mm_mul_pd(l.release, level));
  const __m128d rising = _mm_cmplt_pd(level, magnitude);
#if defined(__SSE4_1__)
  return _mm_blendv_pd(down, up, rising);
#else
  return _mm_or_pd(_mm_and_pd(rising, up), _mm_andnot_pd(rising, down));
#endif
}

// Frame values from channel envelopes (left in the low lane), in every lane: the larger one (the
// right one only where it is greater), 0 below 0.001 (NaN passes).
QO_FOLLOW_INLINE __m128d FrameValues(__m128d left, __m128d right) {
  // maxpd gives its first operand where that is greater, else the second.
  const __m128d v = _mm_max_pd(right, left);
  return _mm_andnot_pd(_mm_cmplt_pd(v, _mm_set1_pd(0.001)), v);
}

// Follows the next frame (which must exist): its value goes to env, and the peak takes a value
// greater than itself.
QO_FOLLOW_INLINE void FollowOneFrame(FollowerLanes& l) {
  l.level = NextLevels(l, l.level, l.frames);
  const __m128d v = FrameValues(l.level, _mm_unpackhi_pd(l.level, l.level));
  _mm_store_sd(l.env, v);
  l.peak = _mm_max_sd(v, l.peak);
  ++l.env;
  l.frames += 2;
  --l.count;
}

// The follower for a loop that runs it beside other work, kFrames frames at a time (an even
// number). A group's steps are only the envelopes' chain, each frame's pair of envelopes kept; the
// frames' values and the peak are worked out one group later, two frames at a time. So fewer of
// the follower's instructions sit in the processor waiting for the chain, where they hold up the
// other work. The values and the peak are those of FollowOneFrame: the peak is the largest value,
// which comes out the same in any order (a NaN value never enters it).
template <int kFrames>
class GroupFollower {
 public:
  // The envelope pairs go through `levels`, room for 2 kFrames doubles aligned to 16 bytes. (An
  // array of the object's own would keep the object, and with it the envelopes, in memory.)
  GroupFollower(const FollowerJob& job, double* levels)
      : mLanes(Lanes(job)), mPeak(_mm_set1_pd(job.peak)), mLevels(levels) {}

  // Follows the next kFrames frames, which must exist.
  QO_FOLLOW_INLINE void Group() {
    FinishGroup();
    for (int k = 0; k < kFrames; ++k) {
      mLanes.level = NextLevels(mLanes, mLanes.level, mLanes.frames + 2 * k);
      _mm_store_pd(mLevels + 2 * k, mLanes.level);
    }
    mPendingEnv = mLanes.env;
    mLanes.env += kFrames;
    mLanes.frames += 2 * kFrames;
    mLanes.count -= kFrames;
  }

  // Follows the job's remaining frames and hands its running values back.
  QO_FOLLOW_INLINE void Return(FollowerJob& job) {
    FinishGroup();
    while (mLanes.count > 0) FollowOneFrame(mLanes);
    const __m128d peak = _mm_max_sd(_mm_unpackhi_pd(mPeak, mPeak), mPeak);
    mLanes.peak = _mm_max_sd(peak, mLanes.peak);
    Dsp::Return(mLanes, job);
  }

 private:
  QO_FOLLOW_INLINE void FinishGroup() {
    if (!mPendingEnv) return;
    for (int k = 0; k < kFrames; k += 2) {
      const __m128d a = _mm_load_pd(mLevels + 2 * k), b = _mm_load_pd(mLevels + 2 * k + 2);
      const __m128d v = FrameValues(_mm_unpacklo_pd(a, b), _mm_unpackhi_pd(a, b));
      _mm_storeu_pd(mPendingEnv + k, v);
      mPeak = _mm_max_pd(v, mPeak);
    }
    mPendingEnv = nullptr;
  }

  static_assert(kFrames % 2 == 0, "frames are finished in pairs");
  FollowerLanes mLanes;
  __m128d mPeak;  // the largest finished values, two lanes
  double* mLevels;
  double* mPendingEnv = nullptr;
};
#endif

}  // namespace
}  // namespace Dsp
