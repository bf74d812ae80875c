// Array versions of exp, log and tanh for the engine's per-block gain and saturation work. With
// SSE2 two doubles are computed per register (four with AVX2, eight with AVX-512, the same bits on
// every road); results stay within a few ulps of the correctly rounded values (relative error
// below 5e-16, never above 1e-13), and special inputs give what the std:: functions give.
// Without SSE2 the functions call std::exp, std::log and std::tanh element by element.
//
// For all three: `in` and `out` may be the same array (but must not otherwise overlap); n <= 0 does
// nothing. No alignment is required.
#pragma once

namespace Dsp {

struct FollowerJob;

// out[i] = exp(in[i]). exp(0) is exactly 1; overflow gives +inf, underflow 0 or a subnormal, as
// std::exp does (such inputs, |x| > 708, inf and NaN, take std::exp).
void ExpArray(const double* in, double* out, int n);

// out[i] = log(in[i]), the natural logarithm. log(1) is exactly +0. Zero, negative, subnormal,
// infinite and NaN inputs take std::log.
void LogArray(const double* in, double* out, int n);

// out[i] = log(|in[i]|), except that an in[i] below `gate` counts as 1 and gives +0 (levels under
// a gate, whose logarithm nobody reads, then cost nothing extra). NaN gives NaN.
void LevelLogArray(const double* in, double* out, int n, double gate);

// Multiplies both samples of interleaved stereo frame i by exp(in[i]), for i < n (the exp of
// ExpArray). in and frames must not overlap.
void ExpOnFrames(const double* in, double* frames, int n);

// out[i] = tanh(in[i]). Keeps full relative accuracy for small |x| (and gives x itself below
// 2^-27 ~ 7.5e-9, where tanh(x) rounds to x), tanh(+-0) = +-0, exactly +-1 from |x| ~ 19.1 on (and
// for +-inf), NaN gives NaN (through std::tanh).
//
// All three keep their accuracy with denormals flushed to zero (FTZ/DAZ), as in the engine's
// blocks, for every input whose result is a normal number.
void TanhArray(const double* in, double* out, int n);

// out[i] = tanh(pre in[i]) post, with each product rounded as on its own (the same values as
// multiplying, TanhArray and multiplying again, in one pass).
void ScaledTanhArray(const double* in, double* out, int n, double pre, double post);

// ScaledTanhArray over n interleaved stereo frames in place, with the envelope follower's job
// following the saturated frames (dsp/follower.h) alongside; the job is finished. The same values
// as saturating first and following after. The job covers exactly these frames from the first;
// any other job is followed after the saturation (a null one is left out).
void ScaledTanhFollowing(double* frames, int n, double pre, double post, FollowerJob* job);

}  // namespace Dsp
