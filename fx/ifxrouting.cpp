// Channel pins and buffer routing of the plug-in base: binding host buffers (double or single
// precision) to the pins, the processing hook, the bypass pass-through and the latency delay line.
#include <cstring>

#include "fx/ifxbase.h"

namespace {
// The pins of start .. start + count - 1 that exist: a negative count selects nothing, and a
// negative start loses the indexes below 0.
void SelectPins(int start, int count, int pinCount, int* first, int* end) {
  if (count < 0) count = 0;
  const int64_t e = static_cast<int64_t>(start) + count;
  *first = start < 0 ? 0 : start;
  *end = e < pinCount ? static_cast<int>(e < 0 ? 0 : e) : pinCount;
}

void Zero(double* p, int frames) {
  if (p && frames > 0) std::memset(p, 0, static_cast<size_t>(frames) * sizeof(double));
}

// Zeroes a pin's scratch buffer as far as it reaches, up to frames samples.
template <typename Pin>
void ZeroScratch(Pin* pin, int frames) {
  const int n = pin->mScratch.Count() < frames ? pin->mScratch.Count() : frames;
  Zero(pin->mScratch.Get(), n);
}

// Marks one pin connected or not; an unconnected pin reads and writes its own scratch buffer.
template <typename Pin>
void SetPinConnected(Pin* pin, bool connected, int blockFrames) {
  // A pin that stops being connected must not replay the audio last converted into its scratch.
  if (pin->mActive && !connected) ZeroScratch(pin, blockFrames);
  pin->mActive = connected;
  if (!connected) *pin->mSlot = pin->mScratch.Get();
}

// Resizes and zeroes one pin's scratch for frames samples and points its slot at it; the
// number of samples the scratch holds afterwards.
template <typename Pin>
int ResizeScratch(Pin* pin, int frames) {
  pin->mScratch.Resize(frames, true);
  ZeroScratch(pin, frames);
  *pin->mSlot = pin->mScratch.Get();
  return pin->mScratch.Count();
}
}  // namespace

void IFxBase::ApplyActivity(bool isInput, int start, int count, bool connected) {
  int first, end;
  SelectPins(start, count, isInput ? InputPinCount() : OutputPinCount(), &first, &end);
  for (int i = first; i < end; ++i) {
    if (isInput) {
      SetPinConnected(InputPin(i), connected, mBlockFrames);
    } else {
      SetPinConnected(OutputPin(i), connected, mBlockFrames);
    }
  }
}

void IFxBase::MarkInputPinsActive(int start, int count, bool connected) {
  ApplyActivity(true, start, count, connected);
}

void IFxBase::MarkOutputPinsActive(int start, int count, bool connected) {
  ApplyActivity(false, start, count, connected);
}

void IFxBase::BindInputs(int start, int count, double** buffers) {
  int first, end;
  SelectPins(start, count, InputPinCount(), &first, &end);
  for (int i = first; i < end; ++i) {
    IInputPin* pin = InputPin(i);
    if (pin->mActive) *pin->mSlot = *buffers++;
  }
}

void IFxBase::BindInputsFloat(int start, int count, float** buffers, int frames) {
  int first, end;
  SelectPins(start, count, InputPinCount(), &first, &end);
  if (frames > mBlockFrames) frames = mBlockFrames;
  for (int i = first; i < end; ++i) {
    IInputPin* pin = InputPin(i);
    if (!pin->mActive) continue;
    const float* src = *buffers++;
    double* dst = pin->mScratch.Get();
    if (src && dst) {
      for (int k = 0; k < frames; ++k) dst[k] = src[k];
    } else {
      Zero(dst, frames);
    }
    *pin->mSlot = dst;
  }
}

void IFxBase::BindOutputs(int start, int count, double** buffers) {
  int first, end;
  SelectPins(start, count, OutputPinCount(), &first, &end);
  for (int i = first; i < end; ++i) {
    IOutputPin* pin = OutputPin(i);
    if (pin->mActive) *pin->mSlot = *buffers++;
  }
}

void IFxBase::BindOutputsFloat(int start, int count, float** buffers) {
  int first, end;
  SelectPins(start, count, OutputPinCount(), &first, &end);
  for (int i = first; i < end; ++i) {
    IOutputPin* pin = OutputPin(i);
    if (!pin->mActive) continue;
    *pin->mSlot = pin->mScratch.Get();
    pin->mFloatDest = *buffers++;
  }
}

void IFxBase::DoublesToFloats(float* out, const double* in, int frames) {
  for (int k = 0; k < frames; ++k) out[k] = LimitToFloat(in[k]);
}

void IFxBase::ConvertFloatOutputs(int frames) {
  for (int i = 0; i < OutputPinCount(); ++i) {
    IOutputPin* pin = OutputPin(i);
    if (pin->mActive && pin->mFloatDest && *pin->mSlot) {
      DoublesToFloats(pin->mFloatDest, *pin->mSlot, frames);
    }
  }
}

void IFxBase::RunProcessHook(int frames) { ProcessSamples(InputPtrs(), OutputPtrs(), frames); }

void IFxBase::RunProcessHookFloat(int frames) {
  RunProcessHook(frames);
  ConvertFloatOutputs(frames);
}

void IFxBase::ProcessSamples(double** inputs, double** outputs, int frames) {
  if (frames <= 0) return;
  for (int i = 0; i < OutputPinCount(); ++i) {
    double* out = outputs[i];
    if (!out) continue;
    const double* in = i < InputPinCount() ? inputs[i] : nullptr;
    if (!in) {
      Zero(out, frames);
    } else if (in != out) {
      std::memmove(out, in, static_cast<size_t>(frames) * sizeof(double));
    }
  }
}

void IFxBase::RouteDry(int frames) {
  if (frames <= 0) return;
  IDelayLine* d = mDelayLine;
  const bool delayed = mLatencySamples > 0 && d && d->mDelay > 0 &&
                       d->mSamples.Count() >= static_cast<int64_t>(d->mDelay) * d->mInputCount;
  if (!delayed) {
    IFxBase::ProcessSamples(InputPtrs(), OutputPtrs(), frames);
    return;
  }
  double** in = InputPtrs();
  double** out = OutputPtrs();
  const int channels = d->mInputCount < d->mOutputCount ? d->mInputCount : d->mOutputCount;
  const int inPins = InputPinCount();
  const int outPins = OutputPinCount();
  double* ring = d->mSamples.Get();
  for (int k = 0; k < frames; ++k) {
    for (int j = 0; j < channels && j < inPins && j < outPins; ++j) {
      double* r = ring + static_cast<int64_t>(j) * d->mDelay + d->mWritePos;
      const double x = in[j] ? in[j][k] : 0.0;
      if (out[j]) out[j][k] = *r;
      *r = x;
    }
    d->mWritePos = (d->mWritePos + 1) % d->mDelay;
  }
  // Outputs without a matching input channel carry silence.
  for (int j = channels; j < outPins; ++j) Zero(out[j], frames);
}

void IFxBase::RouteDryFloat(int frames) {
  RouteDry(frames);
  ConvertFloatOutputs(frames);
}

void IFxBase::BlankPinBuffers() {
  for (int i = 0; i < InputPinCount(); ++i) ZeroScratch(InputPin(i), mBlockFrames);
  for (int i = 0; i < OutputPinCount(); ++i) ZeroScratch(OutputPin(i), mBlockFrames);
}

void IFxBase::ChangeBlockSize(int frames) {
  if (frames < 0) frames = 0;
  if (frames == mBlockFrames) return;
  // Every scratch buffer is resized and zeroed; the published block size is what every pin holds,
  // so a failed growth leaves the block size where it was.
  int held = frames;
  for (int i = 0; i < InputPinCount(); ++i) {
    const int n = ResizeScratch(InputPin(i), frames);
    if (n < held) held = n;
  }
  for (int i = 0; i < OutputPinCount(); ++i) {
    const int n = ResizeScratch(OutputPin(i), frames);
    if (n < held) held = n;
  }
  mBlockFrames = held;
}

void IFxBase::ChangeLatency(int samples) {
  if (samples < 0) samples = 0;
  mLatencySamples = samples;
  IDelayLine* d = mDelayLine;
  if (!d) return;
  d->mWritePos = 0;
  if (d->mSamples.Resize(static_cast<int64_t>(samples) * d->mInputCount, true)) {
    d->mDelay = samples;
    Zero(d->mSamples.Get(), d->mSamples.Count());
  } else {
    d->mDelay = 0;  // no room for the rings: bypass passes the input through undelayed
  }
}

template <typename T>
void IFxBase::SilenceActiveOutputs(T** outputs, int frames) {
  int k = 0;
  for (int i = 0; i < OutputPinCount(); ++i) {
    if (!OutputPin(i)->mActive) continue;
    if (outputs && outputs[k]) std::memset(outputs[k], 0, static_cast<size_t>(frames) * sizeof(T));
    ++k;
  }
}

// Fills slice[k] with the k-th host buffer offset by done frames, one entry per active pin.
template <typename T, typename Pins>
static void OffsetBuffers(T** slice, T** host, const Pins& activeAt, int pinCount, int done) {
  int k = 0;
  for (int i = 0; i < pinCount; ++i) {
    if (!activeAt(i)) continue;
    slice[k] = host && host[k] ? host[k] + done : nullptr;
    ++k;
  }
}

template <typename T>
void IFxBase::ProcessSlices(T** inputs, T** outputs, int frames) {
  if (frames <= 0) return;
  if (mBlockFrames <= 0) {
    SilenceActiveOutputs(outputs, frames);
    return;
  }
  // The slice blocks are untyped storage for one pointer per pin.
  T** sliceIn = static_cast<T**>(mSliceIn.Data());
  T** sliceOut = static_cast<T**>(mSliceOut.Data());
  auto inputActive = [this](int i) { return InputPin(i)->mActive; };
  auto outputActive = [this](int i) { return OutputPin(i)->mActive; };
  for (int done = 0; done < frames;) {
    const int n = frames - done < mBlockFrames ? frames - done : mBlockFrames;
    OffsetBuffers(sliceIn, inputs, inputActive, InputPinCount(), done);
    OffsetBuffers(sliceOut, outputs, outputActive, OutputPinCount(), done);
    BindSlice(sliceIn, sliceOut, n);
    done += n;
  }
}

void IFxBase::BindSlice(double** in, double** out, int frames) {
  BindInputs(0, InputPinCount(), in);
  BindOutputs(0, OutputPinCount(), out);
  if (IsBypassed()) {
    RouteDry(frames);
  } else {
    RunProcessHook(frames);
  }
}

void IFxBase::BindSlice(float** in, float** out, int frames) {
  BindInputsFloat(0, InputPinCount(), in, frames);
  BindOutputsFloat(0, OutputPinCount(), out);
  if (IsBypassed()) {
    RouteDryFloat(frames);
  } else {
    RunProcessHookFloat(frames);
  }
}

void IFxBase::ProcessHostBlock(double** inputs, double** outputs, int frames) {
  if (frames <= 0) return;
  // Double buffers go to the plug-in as they are (no scratch stands in, as for floats): a block
  // with a missing buffer for an active pin is not processed; the outputs that exist get silence.
  bool whole = inputs && outputs;
  for (int i = 0, k = 0; whole && i < InputPinCount(); ++i) {
    if (InputPin(i)->mActive && !inputs[k++]) whole = false;
  }
  for (int i = 0, k = 0; whole && i < OutputPinCount(); ++i) {
    if (OutputPin(i)->mActive && !outputs[k++]) whole = false;
  }
  if (!whole) {
    SilenceActiveOutputs(outputs, frames);
    return;
  }
  ProcessSlices(inputs, outputs, frames);
}

void IFxBase::ProcessHostBlockFloat(float** inputs, float** outputs, int frames) {
  ProcessSlices(inputs, outputs, frames);
}

static void* BusChannel(const IHostBus& bus, int ch) {
  if (!bus.mActive || ch >= bus.mChannels) return nullptr;
  if (bus.mFloat) return bus.mFloat[ch];
  if (bus.mDouble) return bus.mDouble[ch];
  return nullptr;
}

void IFxBase::ConnectInputBus(int firstPin, int count, const IHostBus& bus) {
  int first, end;
  SelectPins(firstPin, count, InputPinCount(), &first, &end);
  void** slots = static_cast<void**>(mBusIn.Data());
  for (int i = first; i < end; ++i) {
    slots[i] = BusChannel(bus, i - first);
    SetPinConnected(InputPin(i), slots[i] != nullptr, mBlockFrames);
  }
}

int IFxBase::ConnectOutputBus(int firstPin, const IHostBus& bus) {
  const int channels = bus.mChannels < 0 ? 0 : bus.mChannels;
  int first, end;
  SelectPins(firstPin, channels, OutputPinCount(), &first, &end);
  void** slots = static_cast<void**>(mBusOut.Data());
  for (int i = first; i < end; ++i) {
    slots[i] = BusChannel(bus, i - first);
    SetPinConnected(OutputPin(i), slots[i] != nullptr, mBlockFrames);
  }
  return end - first;
}

void IFxBase::ProcessConnectedPins(bool singlePrecision, int frames) {
  // The block entries take one buffer per connected pin, in pin order: pack the slots in place
  // (the packed index never passes the pin index).
  void** in = static_cast<void**>(mBusIn.Data());
  void** out = static_cast<void**>(mBusOut.Data());
  int k = 0;
  for (int i = 0; i < InputPinCount(); ++i) {
    if (InputPin(i)->mActive) in[k++] = in[i];
  }
  k = 0;
  for (int i = 0; i < OutputPinCount(); ++i) {
    if (OutputPin(i)->mActive) out[k++] = out[i];
  }
  if (singlePrecision) {
    ProcessHostBlockFloat(reinterpret_cast<float**>(in), reinterpret_cast<float**>(out), frames);
  } else {
    ProcessHostBlock(reinterpret_cast<double**>(in), reinterpret_cast<double**>(out), frames);
  }
}
