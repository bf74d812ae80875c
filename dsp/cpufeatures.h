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
};

// Reads CPUID leaves 0 and 1 into the process-wide flags (all false when leaf 1 is missing).
void ProbeCpuFeatures();
const CpuFeatures& Features();

// Test hook: false makes the two-channel filters take the per-channel road even where the packed
// road is available. Affects filters as they run; not meant to change while audio is processed.
void AllowPackedRoad(bool allow);
// True when two-channel filtering runs on packed doubles (SSE3 present and the road allowed).
bool PackedRoadActive();

}  // namespace Dsp
