// The packed filters' fixed-coefficient frames for a cascade of three stages on AVX2, built in a
// file of their own for that instruction set. Call only where WideRoadActive() holds; the bits are
// those of the two-lane road.
#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "dsp/follower.h"

namespace Dsp {

// Lane pair per stage (left, right): c[i][0..4] = a1, a2, b0, b1, b2 of stage i; w1[i], w2[i] its
// history, updated. Filters that many interleaved stereo frames at p in place, following frames of
// the job (if any) alongside. With `every` 2 or 4 and out given, only the output frames 0, every,
// 2 every, ... are worked out, and they go to out (interleaved) instead; p is left as scratch.
void SteadyThreeStagesAvx2(const __m128d (*c)[5], __m128d* w1, __m128d* w2, int64_t frames,
                           double* p, FollowerJob* job, int every = 1, double* out = nullptr);

// The job's frames on their own, both channels in one register.
void FollowAvx2(FollowerJob& job);

}  // namespace Dsp
