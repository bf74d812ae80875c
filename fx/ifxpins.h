// Per-channel records of the plug-in base and the latency delay line.
#pragma once

#include <cstdint>

#include "fx/containers.h"

// A legal pair of input and output channel counts.
struct IChannelPair {
  int32_t inputs;
  int32_t outputs;
};

// One input channel. mSlot points at this pin's entry in the base's input pointer array for the
// object's whole life; an inactive pin's slot points at its own scratch buffer.
struct IInputPin {
  bool mActive = false;
  double** mSlot = nullptr;
  TypedBlock<double> mScratch{4096};
  HeapString mLabel;
};

// One output channel; mFloatDest is the host's single-precision buffer of the current block.
struct IOutputPin {
  bool mActive = false;
  double** mSlot = nullptr;
  float* mFloatDest = nullptr;
  TypedBlock<double> mScratch{4096};
  HeapString mLabel;
};

// Ring buffers that delay the dry signal by the reported latency while bypassed: one ring of mDelay
// samples per input channel, ring j starting at sample j x mDelay.
struct IDelayLine {
  IDelayLine(int inputCount, int outputCount) : mInputCount(inputCount), mOutputCount(outputCount) {}
  TypedBlock<double> mSamples{4096};
  int32_t mWritePos = 0;
  int32_t mInputCount;
  int32_t mOutputCount;
  int32_t mDelay = 0;
};
