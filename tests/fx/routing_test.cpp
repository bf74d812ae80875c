// Channel pins and buffer routing: block-size changes, marking and binding host buffers, the
// processing hook in both precisions, bypass with its latency delay line, and whole host blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tests/fx/testplugin.h"

namespace {

using fxtest::RecorderFx;

constexpr double kGarbage = 123.25;

// A stereo plug-in ("1-1 2-2") with every pin connected and the given block size.
struct StereoFx : RecorderFx {
  explicit StereoFx(int blockFrames, int latency = 0) : RecorderFx(0, "1-1 2-2", 0, latency) {
    MarkInputPinsActive(0, 2, true);
    MarkOutputPinsActive(0, 2, true);
    if (blockFrames > 0) ChangeBlockSize(blockFrames);
  }
};

void FillScratch(IFxBase& fx, double v) {
  for (int i = 0; i < fx.InputPinCount(); ++i) {
    for (int k = 0; k < fx.InputPin(i)->mScratch.Count(); ++k) fx.InputPin(i)->mScratch.Get()[k] = v;
  }
  for (int i = 0; i < fx.OutputPinCount(); ++i) {
    for (int k = 0; k < fx.OutputPin(i)->mScratch.Count(); ++k) fx.OutputPin(i)->mScratch.Get()[k] = v;
  }
}

bool AllZero(const double* p, int n) {
  for (int k = 0; k < n; ++k) {
    if (p[k] != 0.0) return false;
  }
  return true;
}

// Test signal with values that single precision holds exactly.
std::vector<double> Ramp(int frames, double scale) {
  std::vector<double> v(frames);
  for (int k = 0; k < frames; ++k) v[k] = scale * ((k % 17) - 8) / 16.0;
  return v;
}

// ---------------------------------------------------------------- block size

TEST(ChangeBlockSize, ResizesAndZeroesEveryScratch) {
  RecorderFx fx(0, "1-1 2-2", 0);
  fx.MarkInputPinsActive(0, 2, false);
  fx.MarkOutputPinsActive(0, 2, false);
  fx.ChangeBlockSize(256);
  FillScratch(fx, kGarbage);
  fx.ChangeBlockSize(512);
  EXPECT_EQ(fx.BlockFrames(), 512);
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(fx.InputPin(i)->mScratch.Count(), 512);
    ASSERT_EQ(fx.OutputPin(i)->mScratch.Count(), 512);
    EXPECT_TRUE(AllZero(fx.InputPin(i)->mScratch.Get(), 512));
    EXPECT_TRUE(AllZero(fx.OutputPin(i)->mScratch.Get(), 512));
    // Inactive pins follow their resized buffers.
    EXPECT_EQ(fx.InputPtrs()[i], fx.InputPin(i)->mScratch.Get());
    EXPECT_EQ(fx.OutputPtrs()[i], fx.OutputPin(i)->mScratch.Get());
  }
}

TEST(ChangeBlockSize, SameSizeLeavesBuffersAlone) {
  StereoFx fx(64);
  FillScratch(fx, kGarbage);
  fx.ChangeBlockSize(64);
  EXPECT_EQ(fx.InputPin(1)->mScratch.Get()[63], kGarbage);
}

TEST(ChangeBlockSize, RefusedSizeKeepsThePublishedSize) {
  StereoFx fx(64);
  FillScratch(fx, kGarbage);
  fx.ChangeBlockSize(1 << 28);  // 2 GiB of doubles per pin cannot be held
  EXPECT_EQ(fx.BlockFrames(), 64);
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(fx.InputPin(i)->mScratch.Count(), 64);
    EXPECT_TRUE(AllZero(fx.InputPin(i)->mScratch.Get(), 64));
    EXPECT_TRUE(AllZero(fx.OutputPin(i)->mScratch.Get(), 64));
  }
}

TEST(ChangeBlockSize, ZeroFramesReleasesScratch) {
  RecorderFx fx(0, "1-1 2-2", 0);
  fx.MarkInputPinsActive(0, 2, false);
  fx.ChangeBlockSize(32);
  fx.ChangeBlockSize(0);
  EXPECT_EQ(fx.BlockFrames(), 0);
  EXPECT_EQ(fx.InputPin(0)->mScratch.Count(), 0);
  EXPECT_EQ(fx.InputPtrs()[0], nullptr);
}

// ---------------------------------------------------------------- marking

TEST(MarkPins, RangeIsLimitedToThePins) {
  StereoFx fx(16);
  fx.MarkInputPinsActive(1, 5, false);
  EXPECT_TRUE(fx.InputPin(0)->mActive);
  EXPECT_FALSE(fx.InputPin(1)->mActive);
  EXPECT_EQ(fx.InputPtrs()[1], fx.InputPin(1)->mScratch.Get());
  fx.MarkOutputPinsActive(2, 1, false);  // no such pin
  EXPECT_TRUE(fx.OutputPin(0)->mActive);
  EXPECT_TRUE(fx.OutputPin(1)->mActive);
}

TEST(MarkPins, NegativeValuesAreClamped) {
  StereoFx fx(16);
  fx.MarkInputPinsActive(0, -3, false);  // nothing selected
  EXPECT_TRUE(fx.InputPin(0)->mActive);
  EXPECT_TRUE(fx.InputPin(1)->mActive);
  fx.MarkOutputPinsActive(-2, 100, false);  // every pin selected
  EXPECT_FALSE(fx.OutputPin(0)->mActive);
  EXPECT_FALSE(fx.OutputPin(1)->mActive);
}

TEST(MarkPins, DisconnectedInputForgetsConvertedAudio) {
  StereoFx fx(8);
  std::vector<float> host(8, 0.75f);
  float* bufs[2] = {host.data(), host.data()};
  fx.BindInputsFloat(0, 2, bufs, 8);
  ASSERT_EQ(fx.InputPin(1)->mScratch.Get()[0], 0.75);
  fx.MarkInputPinsActive(1, 1, false);
  EXPECT_TRUE(AllZero(fx.InputPin(1)->mScratch.Get(), 8));
  EXPECT_EQ(fx.InputPin(0)->mScratch.Get()[0], 0.75);  // still connected: untouched
}

TEST(MarkPins, DisconnectedOutputForgetsProcessedAudio) {
  StereoFx fx(8);
  fx.process = fxtest::GainProcessor(2.0);
  std::vector<float> in(8, 0.5f), out0(8), out1(8);
  float* ins[2] = {in.data(), in.data()};
  float* outs[2] = {out0.data(), out1.data()};
  fx.BindInputsFloat(0, 2, ins, 8);
  fx.BindOutputsFloat(0, 2, outs);
  fx.RunProcessHookFloat(8);
  ASSERT_EQ(fx.OutputPin(1)->mScratch.Get()[0], 1.0);
  fx.MarkOutputPinsActive(0, 2, false);
  EXPECT_TRUE(AllZero(fx.OutputPin(0)->mScratch.Get(), 8));
  EXPECT_TRUE(AllZero(fx.OutputPin(1)->mScratch.Get(), 8));
}

// ---------------------------------------------------------------- binding

TEST(BindPins, HostPointersGoToActivePinsInOrder) {
  StereoFx fx(16);
  fx.MarkInputPinsActive(0, 1, false);
  fx.MarkOutputPinsActive(1, 1, false);
  double a[16], b[16];
  double* host[1] = {a};
  fx.BindInputs(0, 2, host);
  EXPECT_EQ(fx.InputPtrs()[0], fx.InputPin(0)->mScratch.Get());
  EXPECT_EQ(fx.InputPtrs()[1], a);
  double* hostOut[1] = {b};
  fx.BindOutputs(0, 2, hostOut);
  EXPECT_EQ(fx.OutputPtrs()[0], b);
  EXPECT_EQ(fx.OutputPtrs()[1], fx.OutputPin(1)->mScratch.Get());
}

TEST(BindPins, FloatInputIsConvertedIntoScratch) {
  StereoFx fx(4);
  float l[4] = {0.5f, -0.25f, 1.0f, 0.125f};
  float r[4] = {-1.0f, 0.0f, 0.75f, 2.0f};
  float* host[2] = {l, r};
  fx.BindInputsFloat(0, 2, host, 4);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(fx.InputPtrs()[i], fx.InputPin(i)->mScratch.Get());
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(fx.InputPtrs()[0][k], static_cast<double>(l[k]));
    EXPECT_EQ(fx.InputPtrs()[1][k], static_cast<double>(r[k]));
  }
}

TEST(BindPins, FloatOutputProcessesInScratchAndConvertsAfterwards) {
  StereoFx fx(4);
  float out0[4] = {9, 9, 9, 9}, out1[4] = {9, 9, 9, 9};
  float* host[2] = {out0, out1};
  fx.BindOutputsFloat(0, 2, host);
  EXPECT_EQ(fx.OutputPin(0)->mFloatDest, out0);
  EXPECT_EQ(fx.OutputPtrs()[0], fx.OutputPin(0)->mScratch.Get());
  double in[4] = {0.5, 0.25, -0.5, 1.0};
  double* ins[2] = {in, in};
  fx.BindInputs(0, 2, ins);
  fx.RunProcessHookFloat(4);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(out0[k], static_cast<float>(in[k]));
    EXPECT_EQ(out1[k], static_cast<float>(in[k]));
  }
}

TEST(BindPins, MonoLayoutHandsScratchForUnconnectedChannels) {
  StereoFx fx(32);
  fx.MarkInputPinsActive(1, 1, false);
  fx.MarkOutputPinsActive(1, 1, false);
  std::vector<double> in = Ramp(32, 1.0), out(32);
  double* ins[1] = {in.data()};
  double* outs[1] = {out.data()};
  fx.BindInputs(0, 2, ins);
  fx.BindOutputs(0, 2, outs);
  fx.RunProcessHook(32);
  ASSERT_EQ(fx.processCalls, 1);
  EXPECT_EQ(fx.lastInputs[0], in.data());
  EXPECT_EQ(fx.lastInputs[1], fx.InputPin(1)->mScratch.Get());
  EXPECT_EQ(fx.lastOutputs[0], out.data());
  EXPECT_EQ(fx.lastOutputs[1], fx.OutputPin(1)->mScratch.Get());
  EXPECT_EQ(out, in);  // the default hook copies
}

TEST(DoublesToFloats, ConvertsOnlyTheGivenFrames) {
  const double in[3] = {0.5, -2.0, 3.0};
  float out[3] = {7.0f, 7.0f, 7.0f};
  IFxBase::DoublesToFloats(out, in, 0);
  IFxBase::DoublesToFloats(out, in, -1);
  EXPECT_EQ(out[0], 7.0f);
  IFxBase::DoublesToFloats(out, in, 2);
  EXPECT_EQ(out[0], 0.5f);
  EXPECT_EQ(out[1], -2.0f);
  EXPECT_EQ(out[2], 7.0f);
}

// A plug-in's finite output beyond the float range reaches a 32-bit host as the largest float.
TEST(DoublesToFloats, FiniteLevelsBeyondTheFloatRangeStayFinite) {
  const double in[5] = {1e39, -1e300, 3.4028234663852886e38, -1.5, 1e-50};
  float out[5];
  IFxBase::DoublesToFloats(out, in, 5);
  EXPECT_EQ(out[0], 3.4028234663852886e38f);
  EXPECT_EQ(out[1], -3.4028234663852886e38f);
  EXPECT_EQ(out[2], 3.4028234663852886e38f);
  EXPECT_EQ(out[3], -1.5f);
  EXPECT_EQ(out[4], 0.0f);
}

// ---------------------------------------------------------------- pass-through

TEST(RouteDry, CopiesEveryChannelWithoutLatency) {
  StereoFx fx(8);
  std::vector<double> l = Ramp(8, 1.0), r = Ramp(8, -0.5), outL(8, kGarbage), outR(8, kGarbage);
  double* ins[2] = {l.data(), r.data()};
  double* outs[2] = {outL.data(), outR.data()};
  fx.BindInputs(0, 2, ins);
  fx.BindOutputs(0, 2, outs);
  fx.RouteDry(8);
  EXPECT_EQ(outL, l);
  EXPECT_EQ(outR, r);
  EXPECT_EQ(fx.processCalls, 0);
}

TEST(RouteDry, OutputWithoutInputIsSilenced) {
  RecorderFx fx(0, "1-2", 0);
  fx.MarkInputPinsActive(0, 1, true);
  fx.MarkOutputPinsActive(0, 2, true);
  fx.ChangeBlockSize(8);
  std::vector<double> in = Ramp(8, 1.0), out0(8, kGarbage), out1(8, kGarbage);
  double* ins[1] = {in.data()};
  double* outs[2] = {out0.data(), out1.data()};
  fx.BindInputs(0, 1, ins);
  fx.BindOutputs(0, 2, outs);
  fx.RouteDry(8);
  EXPECT_EQ(out0, in);
  EXPECT_TRUE(AllZero(out1.data(), 8));
  // The default processing hook routes the same way.
  std::fill(out1.begin(), out1.end(), kGarbage);
  fx.RunProcessHook(8);
  EXPECT_EQ(out0, in);
  EXPECT_TRUE(AllZero(out1.data(), 8));
}

TEST(LatencyDelay, DelayLineFollowsTheReportedLatency) {
  StereoFx fx(8, 3);
  EXPECT_EQ(fx.DelayLine(), nullptr);
  ASSERT_TRUE(fx.MakeDelayLine());
  const IDelayLine* d = fx.DelayLine();
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->mDelay, 3);
  EXPECT_EQ(d->mInputCount, 2);
  EXPECT_EQ(d->mOutputCount, 2);
  EXPECT_EQ(d->mSamples.Count(), 6);
  fx.ChangeLatency(5);
  EXPECT_EQ(fx.LatencySamples(), 5);
  EXPECT_EQ(d->mDelay, 5);
  EXPECT_EQ(d->mWritePos, 0);
  EXPECT_EQ(d->mSamples.Count(), 10);
  EXPECT_TRUE(AllZero(d->mSamples.Get(), 10));
}

TEST(LatencyDelay, ImpulseComesOutDelayed) {
  StereoFx fx(8, 3);
  fx.MakeDelayLine();
  std::vector<double> l(8, 0.0), r(8, 0.0), outL(8, kGarbage), outR(8, kGarbage);
  l[0] = 1.0;
  r[2] = -1.0;
  double* ins[2] = {l.data(), r.data()};
  double* outs[2] = {outL.data(), outR.data()};
  fx.BindInputs(0, 2, ins);
  fx.BindOutputs(0, 2, outs);
  fx.RouteDry(8);
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(outL[k], k == 3 ? 1.0 : 0.0) << "frame " << k;
    EXPECT_EQ(outR[k], k == 5 ? -1.0 : 0.0) << "frame " << k;
  }
}

TEST(LatencyDelay, DelayRunsAcrossBlocks) {
  StereoFx fx(4, 3);
  fx.MakeDelayLine();
  fx.SetBypassed(true);
  std::vector<double> in(20), out(20, kGarbage), other(20, 0.0), otherOut(20);
  for (int k = 0; k < 20; ++k) in[k] = k + 1;
  for (int start = 0; start < 20; start += 2) {
    double* ins[2] = {in.data() + start, other.data() + start};
    double* outs[2] = {out.data() + start, otherOut.data() + start};
    fx.ProcessHostBlock(ins, outs, 2);
  }
  for (int k = 0; k < 20; ++k) EXPECT_EQ(out[k], k < 3 ? 0.0 : in[k - 3]) << "frame " << k;
  EXPECT_EQ(fx.processCalls, 0);
}

// ---------------------------------------------------------------- whole host blocks

TEST(HostBlock, ProcessingHookOrBypass) {
  StereoFx fx(16);
  fx.process = fxtest::GainProcessor(0.5);
  std::vector<double> l = Ramp(16, 1.0), r = Ramp(16, 2.0), outL(16), outR(16);
  double* ins[2] = {l.data(), r.data()};
  double* outs[2] = {outL.data(), outR.data()};
  fx.ProcessHostBlock(ins, outs, 16);
  EXPECT_EQ(fx.processCalls, 1);
  for (int k = 0; k < 16; ++k) {
    EXPECT_EQ(outL[k], 0.5 * l[k]);
    EXPECT_EQ(outR[k], 0.5 * r[k]);
  }
  fx.SetBypassed(true);
  fx.ProcessHostBlock(ins, outs, 16);
  EXPECT_EQ(fx.processCalls, 1);
  EXPECT_EQ(outL, l);
  EXPECT_EQ(outR, r);
}

// A double block with a missing buffer for an active pin (an input, an output, or the whole array)
// is not processed: the outputs that exist get silence, and nothing is read from or written to a
// missing buffer.
TEST(HostBlock, MissingDoubleBufferLeavesTheBlockUnprocessed) {
  for (int missing = 0; missing < 4; ++missing) {
    SCOPED_TRACE(missing);
    StereoFx fx(16);
    fx.process = fxtest::GainProcessor(0.5);
    std::vector<double> l = Ramp(16, 1.0), r = Ramp(16, 2.0), outL(16, kGarbage), outR(16, kGarbage);
    double* ins[2] = {l.data(), r.data()};
    double* outs[2] = {outL.data(), outR.data()};
    if (missing == 0) ins[1] = nullptr;
    if (missing == 1) outs[0] = nullptr;
    if (missing == 2) {
      fx.ProcessHostBlock(nullptr, outs, 16);
    } else if (missing == 3) {
      fx.ProcessHostBlock(ins, nullptr, 16);
    } else {
      fx.ProcessHostBlock(ins, outs, 16);
    }
    EXPECT_EQ(fx.processCalls, 0);
    if (missing == 3) {
      EXPECT_EQ(outL[0], kGarbage);  // no output array: nothing is written
    } else {
      if (missing != 1) {
        EXPECT_TRUE(AllZero(outL.data(), 16));
      }
      EXPECT_TRUE(AllZero(outR.data(), 16));
    }
  }
}

TEST(HostBlock, SilenceBeforeTheFirstBlockSize) {
  StereoFx fx(0);
  std::vector<double> in = Ramp(16, 1.0), out0(16, kGarbage), out1(16, kGarbage);
  double* ins[2] = {in.data(), in.data()};
  double* outs[2] = {out0.data(), out1.data()};
  fx.ProcessHostBlock(ins, outs, 16);
  EXPECT_TRUE(AllZero(out0.data(), 16));
  EXPECT_TRUE(AllZero(out1.data(), 16));

  std::vector<float> fin(16, 0.5f), f0(16, 3.0f), f1(16, 3.0f);
  float* fins[2] = {fin.data(), fin.data()};
  float* fouts[2] = {f0.data(), f1.data()};
  fx.ProcessHostBlockFloat(fins, fouts, 16);
  for (int k = 0; k < 16; ++k) {
    EXPECT_EQ(f0[k], 0.0f);
    EXPECT_EQ(f1[k], 0.0f);
  }
  EXPECT_EQ(fx.processCalls, 0);
}

TEST(HostBlock, SingleAndDoublePrecisionGiveTheSameOutput) {
  const int frames = 48;
  fxtest::OnePoleSmoother smoothD(0.3), smoothF(0.3);
  StereoFx fxD(frames), fxF(frames);
  fxD.process = smoothD.Hook();
  fxF.process = smoothF.Hook();

  std::vector<double> l = Ramp(frames, 1.0), r = Ramp(frames, -0.75), outL(frames), outR(frames);
  double* ins[2] = {l.data(), r.data()};
  double* outs[2] = {outL.data(), outR.data()};
  fxD.ProcessHostBlock(ins, outs, frames);

  std::vector<float> fl(l.begin(), l.end()), fr(r.begin(), r.end()), foutL(frames), foutR(frames);
  float* fins[2] = {fl.data(), fr.data()};
  float* fouts[2] = {foutL.data(), foutR.data()};
  fxF.ProcessHostBlockFloat(fins, fouts, frames);

  for (int k = 0; k < frames; ++k) {
    EXPECT_EQ(foutL[k], static_cast<float>(outL[k])) << "frame " << k;
    EXPECT_EQ(foutR[k], static_cast<float>(outR[k])) << "frame " << k;
  }
}

TEST(HostBlock, OverlongBlockEqualsFittingBlocks) {
  const int frames = 200;
  std::vector<double> l = Ramp(frames, 1.0), r = Ramp(frames, 0.5);

  // Reference: the smoother run directly over the whole signal.
  std::vector<double> refL(frames), refR(frames);
  double yl = 0.0, yr = 0.0;
  for (int k = 0; k < frames; ++k) {
    yl += 0.2 * (l[k] - yl);
    yr += 0.2 * (r[k] - yr);
    refL[k] = yl;
    refR[k] = yr;
  }

  fxtest::OnePoleSmoother smoothFit(0.2), smoothLong(0.2);
  StereoFx fit(64), longer(64);
  fit.process = smoothFit.Hook();
  longer.process = smoothLong.Hook();

  std::vector<double> fitL(frames), fitR(frames);
  for (int start = 0; start < frames; start += 50) {
    double* ins[2] = {l.data() + start, r.data() + start};
    double* outs[2] = {fitL.data() + start, fitR.data() + start};
    fit.ProcessHostBlock(ins, outs, 50);
  }
  std::vector<double> longL(frames), longR(frames);
  double* ins[2] = {l.data(), r.data()};
  double* outs[2] = {longL.data(), longR.data()};
  longer.ProcessHostBlock(ins, outs, frames);

  EXPECT_EQ(longer.processCalls, 4);  // 64 + 64 + 64 + 8
  EXPECT_EQ(longer.maxProcessFrames, 64);
  EXPECT_EQ(longL, fitL);
  EXPECT_EQ(longR, fitR);
  for (int k = 0; k < frames; ++k) ASSERT_NEAR(longL[k], refL[k], 1e-15) << "frame " << k;
  for (int k = 0; k < frames; ++k) ASSERT_NEAR(longR[k], refR[k], 1e-15) << "frame " << k;
}

TEST(HostBlock, OverlongFloatBlockIsProcessedInSlices) {
  const int frames = 100;
  fxtest::OnePoleSmoother smooth(0.25);
  StereoFx fx(32);
  fx.process = smooth.Hook();
  std::vector<double> l = Ramp(frames, 1.0), r = Ramp(frames, -1.0);
  std::vector<float> fl(l.begin(), l.end()), fr(r.begin(), r.end()), outL(frames), outR(frames);
  float* ins[2] = {fl.data(), fr.data()};
  float* outs[2] = {outL.data(), outR.data()};
  fx.ProcessHostBlockFloat(ins, outs, frames);
  EXPECT_EQ(fx.processCalls, 4);  // 32 + 32 + 32 + 4
  EXPECT_EQ(fx.maxProcessFrames, 32);

  double yl = 0.0, yr = 0.0;
  for (int k = 0; k < frames; ++k) {
    yl += 0.25 * (l[k] - yl);
    yr += 0.25 * (r[k] - yr);
    EXPECT_EQ(outL[k], static_cast<float>(yl)) << "frame " << k;
    EXPECT_EQ(outR[k], static_cast<float>(yr)) << "frame " << k;
  }
}

TEST(HostBlock, MonoBlockOnStereoPlugin) {
  StereoFx fx(16);
  fx.MarkInputPinsActive(1, 1, false);
  fx.MarkOutputPinsActive(1, 1, false);
  fx.process = fxtest::GainProcessor(-1.0);
  std::vector<double> in = Ramp(40, 1.0), out(40, kGarbage);
  double* ins[1] = {in.data()};
  double* outs[1] = {out.data()};
  fx.ProcessHostBlock(ins, outs, 40);
  for (int k = 0; k < 40; ++k) EXPECT_EQ(out[k], -in[k]) << "frame " << k;
  EXPECT_EQ(fx.lastInputs[1], fx.InputPin(1)->mScratch.Get());
  EXPECT_EQ(fx.lastOutputs[1], fx.OutputPin(1)->mScratch.Get());
}

TEST(HostBlock, BypassedOverlongBlockKeepsTheDelay) {
  StereoFx fx(4, 3);
  fx.MakeDelayLine();
  fx.SetBypassed(true);
  std::vector<double> in(10), out(10, kGarbage), zeros(10, 0.0), sink(10);
  for (int k = 0; k < 10; ++k) in[k] = 0.5 * (k + 1);
  double* ins[2] = {in.data(), zeros.data()};
  double* outs[2] = {out.data(), sink.data()};
  fx.ProcessHostBlock(ins, outs, 10);
  for (int k = 0; k < 10; ++k) EXPECT_EQ(out[k], k < 3 ? 0.0 : in[k - 3]) << "frame " << k;
}

}  // namespace
