// The array functions of vecmath.h on four-lane AVX2 registers, built in a file of their own for
// that instruction set. Call them only where WideRoadActive() says the processor has it; they give
// the same bits as the two-lane versions.
#pragma once

namespace Dsp {
void ExpArrayAvx2(const double* in, double* out, int n);
void LogArrayAvx2(const double* in, double* out, int n);
void LevelLogArrayAvx2(const double* in, double* out, int n, double gate);
void ExpOnFramesAvx2(const double* in, double* frames, int n);
void TanhArrayAvx2(const double* in, double* out, int n);
void ScaledTanhArrayAvx2(const double* in, double* out, int n, double pre, double post);
struct BandLaws;
struct BandExtremes;
void BandExponentsAvx2(const BandLaws& laws, const double* env, const double* logs, double* sums,
                       int n, BandExtremes* seen);
}  // namespace Dsp
