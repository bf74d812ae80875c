// Three packed stages on four-lane registers. A frame's stages depend on each other in turn, but
// stage 0 at frame t, stage 1 at frame t - D and stage 2 at frame t - 2D do not: so stages 0 and 1
// share one four-lane register, D frames apart, and stage 2 runs 2D frames behind on a two-lane
// register. The work runs in place: each stage overwrites a frame with its output, which the next
// stage reads D frames (iterations) later, long after it was written. Every stage still sees
// exactly its own inputs, in order, through the same operations as on the two-lane road; only the
// work per frame shrinks from three stage evaluations to two.
#include "dsp/chebyshev_avx2.h"

#include <immintrin.h>

#include <type_traits>

#include "dsp/packedstage.h"

namespace Dsp {
namespace {
// The two-lane road's stage (packedstage.h), with the same operations on four lanes.
inline __m256d PackedStage(__m256d x, const __m256d* c, __m256d& w1, __m256d& w2) {
  const __m256d offsets = _mm256_set1_pd(kInputOffset + kStageOffset);
  const __m256d rest = _mm256_add_pd(_mm256_mul_pd(c[1], w2), _mm256_add_pd(x, offsets));
  const __m256d w = _mm256_add_pd(_mm256_mul_pd(c[0], w1), rest);
  const __m256d y = _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(c[4], w2), _mm256_mul_pd(c[3], w1)),
                                  _mm256_mul_pd(c[2], w));
  w2 = w1;
  w1 = w;
  return y;
}

inline __m128d Low(__m256d v) { return _mm256_castpd256_pd128(v); }
inline __m128d High(__m256d v) { return _mm256_extractf128_pd(v, 1); }
}  // namespace

namespace {
// Every = 1: the output goes back in place. Every = 2 or 4: only stage 2's outputs for frames 0,
// Every, 2 Every, ... are worked out, into out; for the others stage 2 only moves its history on.
template <int Every>
void ThreeStages(const __m128d (*c)[5], __m128d* w1, __m128d* w2, int64_t frames, double* p,
                 FollowerJob* job, double* out) {
  // D: a frame's path from one stage to the next (the stage's output, its store, the next stage's
  // load) must take no longer than D iterations; six frames leave it more room than four, and the
  // loops run faster than with four or eight.
  constexpr int64_t kLag = 6;
  // The histories stay in locals for the whole call (CopyHistories): stored through w1 and w2,
  // which may alias p as far as the compiler knows, every step would wait for the previous step's
  // store.
  __m128d hist1[3], hist2[3];
  CopyHistories(w1, w2, 3, hist1, hist2);
  // Frame f through stage i, in place.
  auto step = [&](auto i, int64_t f) {
    _mm_storeu_pd(p + 2 * f, PackedStage(_mm_loadu_pd(p + 2 * f), c[i], hist1[i], hist2[i]));
  };
  // Stage i runs over frames [from, to) on its own.
  auto run = [&](auto i, int64_t from, int64_t to) {
    for (int64_t f = from; f < to; ++f) step(i, f);
  };
  // Frame f through the last stage, with the history in h1, h2 (kRead: f is a multiple of Every).
  auto lastAs = [&](auto read, int64_t f, __m128d& h1, __m128d& h2) {
    constexpr bool kRead = decltype(read)::value;
    const __m128d x = _mm_loadu_pd(p + 2 * f);
    if (Every == 1) {
      _mm_storeu_pd(p + 2 * f, PackedStage(x, c[2], h1, h2));
    } else if (kRead) {
      _mm_storeu_pd(out + 2 * (f / Every), PackedStage(x, c[2], h1, h2));
    } else {
      PackedStageUnread(x, c[2], h1, h2);
    }
  };
  auto last = [&](int64_t f, __m128d& h1, __m128d& h2) {
    if (f % Every == 0) {
      lastAs(std::true_type(), f, h1, h2);
    } else {
      lastAs(std::false_type(), f, h1, h2);
    }
  };
  auto leave = [&] {
    CopyHistories(hist1, hist2, 3, w1, w2);
    _mm256_zeroupper();
  };
  constexpr std::integral_constant<int, 0> k0;
  constexpr std::integral_constant<int, 1> k1;
  if (frames < 2 * kLag) {
    run(k0, 0, frames);
    run(k1, 0, frames);
    for (int64_t f = 0; f < frames; ++f) last(f, hist1[2], hist2[2]);
    leave();
    return;
  }
  // Fill the pipeline: stage 0 over the first 2D frames, stage 1 over the first D, D frames behind
  // (two chains in one loop, which the processor runs side by side).
  run(k0, 0, kLag);
  for (int64_t t = kLag; t < 2 * kLag; ++t) {
    step(k0, t);
    step(k1, t - kLag);
  }

  __m256d cA[5];
  for (int k = 0; k < 5; ++k) cA[k] = _mm256_set_m128d(c[1][k], c[0][k]);
  __m256d a1 = _mm256_set_m128d(hist1[1], hist1[0]), a2 = _mm256_set_m128d(hist2[1], hist2[0]);
  __m128d b1 = hist1[2], b2 = hist2[2];
  // Frame t enters stage 0, frame t - D stage 1, frame t - 2D stage 2.
  auto steadyAs = [&](auto read, int64_t t) {
    double* p0 = p + 2 * t;
    double* p1 = p0 - 2 * kLag;
    const __m256d yA = PackedStage(_mm256_loadu2_m128d(p1, p0), cA, a1, a2);
    lastAs(read, t - 2 * kLag, b1, b2);
    _mm256_storeu2_m128d(p1, p0, yA);
  };
  auto steady = [&](int64_t t) {
    if ((t - 2 * kLag) % Every == 0) {
      steadyAs(std::true_type(), t);
    } else {
      steadyAs(std::false_type(), t);
    }
  };
  int64_t t = 2 * kLag;
  if (Every > 1) {
    // Stage 2 starts on frame 0: every group of Every frames begins with one whose output is read.
    for (; t + Every <= frames; t += Every) {
      steadyAs(std::true_type(), t);
      for (int k = 1; k < Every; ++k) steadyAs(std::false_type(), t + k);
    }
  }
  if (job && job->count > 0) {
    // A frame of the job beside each frame of the filter, for as long as both last.
    FollowerLanes j = Lanes(*job);
    const int64_t together = frames - t < j.count ? frames : t + j.count;
    for (; t < together; ++t) {
      steady(t);
      FollowOneFrame(j);
    }
    Return(j, *job);
  }
  for (; t < frames; ++t) steady(t);
  hist1[0] = Low(a1);
  hist2[0] = Low(a2);
  hist1[1] = High(a1);
  hist2[1] = High(a2);
  hist1[2] = b1;
  hist2[2] = b2;
  // Drain: stage 1 over its last D frames beside stage 2 over the D frames before them, then stage 2
  // over the last D.
  for (int64_t t = frames; t < frames + kLag; ++t) {
    step(k1, t - kLag);
    last(t - 2 * kLag, hist1[2], hist2[2]);
  }
  for (int64_t f = frames - kLag; f < frames; ++f) last(f, hist1[2], hist2[2]);
  leave();
}
}  // namespace

void FollowAvx2(FollowerJob& job) {
  FollowerLanes l = Lanes(job);
  while (l.count > 0) FollowOneFrame(l);
  Return(l, job);
}

void SteadyThreeStagesAvx2(const __m128d (*c)[5], __m128d* w1, __m128d* w2, int64_t frames,
                           double* p, FollowerJob* job, int every, double* out) {
  if (every == 4 && out) {
    ThreeStages<4>(c, w1, w2, frames, p, job, out);
  } else if (every == 2 && out) {
    ThreeStages<2>(c, w1, w2, frames, p, job, out);
  } else {
    ThreeStages<1>(c, w1, w2, frames, p, job, nullptr);
  }
}

}  // namespace Dsp
