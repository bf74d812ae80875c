// The small C interface the engine benchmark drives an engine through. engine_shim.cpp implements it
// against whichever engine sources it is compiled with: the tree's own (linked into the benchmark)
// or an older revision's (built into a module of its own, loaded at run time), so that both can be
// measured side by side in one run.
#pragma once

extern "C" {

struct QoBenchEngineApi {
  // A fresh engine at the host rate and oversampling factor, set as the plug-in's defaults set it,
  // with room made for blocks of up to maxFrames frames.
  void* (*create)(int rate, int factor, int maxFrames);
  void (*destroy)(void* engine);
  // One block of interleaved stereo doubles, in place.
  void (*process)(void* engine, double* interleaved, int frames);
  // 0 keeps the array maths and filters on their two-lane road; 1 lets them take four-lane AVX2
  // registers at most; 2 the widest the processor has. (Engines without an AVX-512 road take 1
  // and 2 alike.)
  void (*allow_wide)(int allow);
  // The road the engine now runs on, as text.
  const char* (*road)();
};

// Name of the function a baseline module exports; it returns the module's interface.
#define QO_BENCH_ENGINE_API_SYMBOL "QoBenchBaselineApi"
typedef const QoBenchEngineApi* (*QoBenchEngineApiFn)();

// The interface of the engine linked into the benchmark itself.
const QoBenchEngineApi* QoBenchCurrentEngineApi();
}
