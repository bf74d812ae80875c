// Process-wide processor feature flags, probed once when the module's statics are initialised.
#pragma once

namespace Dsp {

struct CpuFeatures {
  bool mmx = false;
  bool fxsr = false;
  bool sse = false;
  bool sse3 = false;
  bool ssse3 = false;
  bool sse41 = false;
  bool sse42 = false;
  bool avx2 = false;    // AVX2 present and its registers saved by the operating system
  bool avx512 = false;  // AVX-512 F and DQ present and the mask and 512-bit state saved
};

// Reads CPUID leaves 0, 1 and 7 (and the register state the operating system saves) into the
// process-wide flags (all false when leaf 1 is missing).
void ProbeCpuFeatures();
const CpuFeatures& Features();

// Test hook: false makes the two-channel filters take the per-channel road even where the packed
// road is available. Affects filters as they run; not meant to change while audio is processed.
void AllowPackedRoad(bool allow);
// True when two-channel filtering runs on packed doubles (SSE3 present and the road allowed).
bool PackedRoadActive();

// Test hook: false keeps the array maths (exp, log, tanh) and the packed filters' fixed-coefficient
// frames on two-lane registers even where AVX2 is available. Both roads give the same bits.
void AllowWideRoad(bool allow);
// True when those run on four-lane AVX2 registers or wider (built in, present, allowed).
bool WideRoadActive();

// Test hook: false keeps the array maths on four-lane AVX2 registers even where AVX-512 is
// available (the filters never use it). All roads give the same bits.
void AllowWidestRoad(bool allow);
// True when the array maths run on eight-lane AVX-512 registers (built in, present, allowed, and
// the wide road active).
bool WidestRoadActive();
// Says that this engine has the eight-lane road (for benchmarks that also build older engines).
#define QO_DSP_HAS_WIDEST_ROAD 1

}  // namespace Dsp
