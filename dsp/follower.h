// The envelope follower over interleaved stereo frames as a job that the filters' frame loops can
// run beside their own work: the follower is one chain of dependent steps with little arithmetic,
// and a filter loop leaves the processor room to run it alongside. Internal linkage on purpose
// (as packedstage.h): the step is compiled into files built for different instruction sets.
#pragma once

#include <cmath>

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
// the release coefficient. Both candidates are computed and the comparison only picks one, so a
// step waits for one product and one sum of the previous envelope.
QO_FOLLOW_INLINE double FollowStep(double magnitude, double env, double attack, double release) {
  const double up = (1.0 - attack) * magnitude + attack * env;
  const double down = (1.0 - release) * magnitude + release * env;
  return magnitude > env ? up : down;
}

// Follows the next frame of the job (which must have one).
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

// Follows the rest of the job's frames.
QO_FOLLOW_INLINE void FollowRest(FollowerJob& j) {
  while (j.count > 0) FollowOneFrame(j);
}

}  // namespace
}  // namespace Dsp
