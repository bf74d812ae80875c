// The three meter controls on their own: the bar's rectangle and pixels, the dot's place, the
// values for which nothing is drawn, and the plug-in's feeding of them after a block.
#include <gtest/gtest.h>

#include <cmath>
#include <atomic>
#include <limits>
#include <thread>
#include <vector>

#include "fx/synclock.h"
#include "tests/plugin/editor_fixture.h"

using namespace editortest;

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
}  // namespace

TEST(GainReductionBar, RectangleGrowsFromTheMiddleByTheValue) {
  // half = (341 - 43) / 2 = 149, middle row 192; d = |(24v - 12) / 12 x 149| truncated.
  struct Row {
    double value;
    IBox bar;
  } rows[] = {
      {1.0, IBox(59, 43, 99, 192)},    // +12 dB: d = 149, up
      {0.0, IBox(59, 192, 99, 341)},   // -12 dB: d = 149, down
      {0.5, IBox(59, 192, 99, 192)},   // 0 dB: no height
      {0.75, IBox(59, 118, 99, 192)},  // +6 dB: d = 74.5 -> 74
      {0.25, IBox(59, 192, 99, 266)},  // -6 dB
      {2.0, IBox(59, 43, 99, 192)},    // beyond +12 dB: never past the area's half
      {kInf, IBox(59, 43, 99, 192)},
      {-kInf, IBox(59, 192, 99, 341)},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.value);
    IBox bar;
    ASSERT_TRUE(IGainReduction::BarFor(kMeterArea, r.value, &bar));
    EXPECT_EQ(bar, r.bar);
  }
  IBox untouched(1, 2, 3, 4);
  EXPECT_FALSE(IGainReduction::BarFor(kMeterArea, kNaN, &untouched));
  EXPECT_EQ(untouched, IBox(1, 2, 3, 4));
}

TEST(GainReductionBar, PaintsTheMeterColourOverTheBackdrop) {
  Canvas canvas(0xFF000000u);  // opaque black backdrop
  IGainReduction meter(nullptr);
  meter.mRect = kMeterArea;
  meter.AcceptParamValue(1.0);
  EXPECT_EQ(meter.Level(), 1.0);
  ASSERT_TRUE(meter.DrawInto(&canvas.graphics));
  PIX_IBitmap* b = canvas.Buffer();
  EXPECT_EQ(Pixel(b, 59, 43), 0xC1967725u);
  EXPECT_EQ(Pixel(b, 98, 191), 0xC1967725u);
  EXPECT_EQ(Pixel(b, 70, 120), 0xC1967725u);
  // Nothing outside (59, 43, 99, 192).
  EXPECT_EQ(CountNot(b, IBox(0, 0, 640, 480), 0xFF000000u), 40 * 149);
  EXPECT_EQ(Pixel(b, 70, 192), 0xFF000000u);
  EXPECT_EQ(Pixel(b, 99, 100), 0xFF000000u);
}

TEST(GainReductionBar, ZeroDecibelsAndNotANumberDrawNothing) {
  for (double v : {0.5, kNaN}) {
    Canvas canvas(0xFF000000u);
    IGainReduction meter(nullptr);
    meter.mRect = kMeterArea;
    meter.AcceptParamValue(v);
    EXPECT_TRUE(meter.DrawInto(&canvas.graphics));
    EXPECT_EQ(CountNot(canvas.Buffer(), IBox(0, 0, 640, 480), 0xFF000000u), 0) << v;
  }
}

TEST(GainReductionBar, ShowsNoChangeBeforeTheFirstBlockAndTakesNoInput) {
  IGainReduction meter(nullptr);
  meter.mRect = kMeterArea;
  EXPECT_EQ(meter.Level(), 0.5);
  EXPECT_TRUE(meter.mHitRect.Empty());
  EXPECT_FALSE(meter.ContainsPoint(70, 100));
}

TEST(GainDot, PlaceForLevelAndGainChange) {
  // x = round(300 (level / 48 + 1) + 113), y = round(342 - 300 (gain / 24 + 0.5)).
  struct Row {
    double level, gain;
    int x, y;
  } rows[] = {
      {0.0, 0.0, 413, 192},
      {-24.0, 0.0, 263, 192},
      {-24.0, -6.0, 263, 267},
      {-12.0, 6.0, 338, 117},
      {-47.9, -12.0, 114, 342},  // 113.625 rounds to 114: just inside
      {6.0, 0.0, 450, 192},      // 450.49999999999994 (the factor is a little under 1/48)
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.level << " dB, " << r.gain << " dB");
    int x = -1, y = -1;
    ASSERT_TRUE(IGainDot::DotFor(kTransferArea, r.level, r.gain, &x, &y));
    EXPECT_EQ(x, r.x);
    EXPECT_EQ(y, r.y);
  }
}

TEST(GainDot, NotDrawnForSilenceLowLevelsHighGainOrNotANumber) {
  const double cases[][2] = {
      {-kInf, 0.0}, {-48.0, 0.0}, {-60.0, 0.0}, {-20.0, 12.0}, {-20.0, 30.0},
      {kNaN, 0.0},  {-20.0, kNaN}, {-20.0, kInf}, {kNaN, kNaN},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c[0] << " dB, " << c[1] << " dB");
    int x = 7, y = 7;
    EXPECT_FALSE(IGainDot::DotFor(kTransferArea, c[0], c[1], &x, &y));
    Canvas canvas;
    IGainDot dot(nullptr);
    dot.mRect = kTransferArea;
    dot.SetLevels(c[0], c[1]);
    EXPECT_TRUE(dot.DrawInto(&canvas.graphics));
    EXPECT_EQ(CountNot(canvas.Buffer(), IBox(0, 0, 640, 480), 0u), 0);
  }
}

TEST(GainDot, DiscOfRadiusFiveAtZeroDecibels) {
  Canvas canvas;
  IGainDot dot(nullptr);
  dot.mRect = kTransferArea;
  // Not drawn until a block has given it values.
  EXPECT_TRUE(std::isinf(dot.mInputLevelDb.load()));
  dot.DrawInto(&canvas.graphics);
  EXPECT_EQ(CountNot(canvas.Buffer(), IBox(0, 0, 640, 480), 0u), 0);

  dot.SetLevels(0.0, 0.0);
  dot.DrawInto(&canvas.graphics);
  PIX_IBitmap* b = canvas.Buffer();
  // The spans (weight 256) store the colour itself: the centre row 408..418, the centre column.
  for (int x = 408; x <= 418; ++x) EXPECT_EQ(Pixel(b, x, 192), 0x96FFCA3Fu) << x;
  for (int y = 187; y <= 197; ++y) EXPECT_EQ(Pixel(b, 413, y), 0x96FFCA3Fu) << y;
  // The tips at distance 6 get weight 0 and stay as they were.
  EXPECT_EQ(Pixel(b, 407, 192), 0u);
  EXPECT_EQ(Pixel(b, 419, 192), 0u);
  EXPECT_EQ(Pixel(b, 413, 186), 0u);
  EXPECT_EQ(Pixel(b, 413, 198), 0u);
}

TEST(MeterFeeding, BarValueFromTheBlockGainChange) {
  Plugin p;
  const int meter = p->ReductionMeterIndex();
  ASSERT_EQ(meter, 10);
  auto* bar = dynamic_cast<IGainReduction*>(p.Graphics()->Control(meter));
  ASSERT_NE(bar, nullptr);
  const double rows[][2] = {{12.0, 1.0}, {-12.0, 0.0}, {0.0, 0.5}, {-20.0, 0.0},
                            {6.0, 0.75}, {30.0, 1.0}, {-3.0, 0.375}};
  for (const auto& r : rows) {
    p->FeedMeters(0.5, r[0]);
    EXPECT_EQ(bar->Level(), r[1]) << r[0] << " dB";
  }
  p->FeedMeters(0.5, kNaN);
  EXPECT_TRUE(std::isnan(bar->Level()));
}

TEST(MeterFeeding, DotGetsTheBlockPeakInDecibelsAndTheGainChange) {
  Plugin p;
  IGainDot* dot = p->DotView();
  ASSERT_NE(dot, nullptr);
  struct Row {
    double peak, level;
  } rows[] = {
      {1.0, 0.0},
      {-1.0, 0.0},                 // the peak's magnitude
      {0.5, -6.020599913279624},   // 20 log10(0.5)
      {0.1, -20.0},
      {0.0, -kInf},                // a silent block
  };
  for (const Row& r : rows) {
    p->FeedMeters(r.peak, -4.5);
    if (std::isinf(r.level)) {
      EXPECT_EQ(dot->mInputLevelDb.load(), r.level);
    } else {
      EXPECT_NEAR(dot->mInputLevelDb.load(), r.level, 1e-12) << r.peak;
    }
    EXPECT_EQ(dot->mGainChangeDb.load(), -4.5);
  }
}

TEST(MeterFeeding, MarksEveryControlAndChangesNoOtherValue) {
  Plugin p;
  IGraphics* g = p.Graphics();
  ASSERT_EQ(g->ControlCount(), 14);
  for (int i = 0; i < g->ControlCount(); ++i) {
    g->Control(i)->MarkPainted();
    g->Control(i)->MarkPainted();
    ASSERT_FALSE(g->Control(i)->NeedsRepaint()) << i;
  }
  // A knob value the user-interface thread is writing (even out of range) is left alone.
  g->Control(1)->mValue = 1.5;
  p->FeedMeters(0.25, -2.0);
  for (int i = 0; i < g->ControlCount(); ++i) EXPECT_TRUE(g->Control(i)->NeedsRepaint()) << i;
  EXPECT_EQ(g->Control(1)->mValue, 1.5);
}

namespace {
// The plug-in set up for blocks of 64 frames at 44.1 kHz, with one block of both channels at a level.
struct Block64 {
  Block64(Plugin& p, double level) : inL(64, level), inR(64, level), outL(64), outR(64) {
    p->SetSampleRate(44100.0);
    p->ChangeBlockSize(64);
    p->ResetAudio();
  }
  std::vector<double> inL, inR, outL, outR;
  double* in[2] = {inL.data(), inR.data()};
  double* out[2] = {outL.data(), outR.data()};
};
}  // namespace

TEST(MeterFeeding, RunsAfterEveryProcessedBlockOnly) {
  Plugin p;
  Block64 b(p, 0.0);
  p->FeedMeters(1.0, 0.0);
  p->ProcessSamples(b.in, b.out, 0);  // no frames: no feeding
  EXPECT_EQ(p->DotView()->mInputLevelDb.load(), 0.0);
  p->ProcessSamples(b.in, b.out, 64);  // silence
  EXPECT_EQ(p->DotView()->mInputLevelDb.load(), -kInf);
  EXPECT_EQ(p->DotView()->mGainChangeDb.load(), p->Engine().mGainChangeDb);
}

TEST(MeterFeeding, BlocksAndParameterChangesWhileTheEditorPaints) {
  // The audio side feeds and changes parameters under the plug-in's lock while this thread paints
  // (which brings the curve up to date under the same lock); the last values fed are the ones left.
  Plugin p;
  p.AnnounceAll();
  IGraphics* g = p.Graphics();
  std::atomic<bool> done{false};
  std::thread audio([&] {
    for (int i = 0; i < 3000; ++i) {
      SyncLockScope lock(p->Lock());
      p->FeedMeters(0.01 * (i % 90 + 1), -12.0 + (i % 25));
      if (i % 10 == 0) p->ParamChanged(i % kNumParams, kSourceHost);
    }
    done = true;
  });
  int paints = 0;
  while (!done || paints < 3) {
    g->RedrawRegion(IBox(0, 0, 640, 480));
    ++paints;
  }
  audio.join();
  EXPECT_NEAR(p->DotView()->mInputLevelDb.load(), std::log(0.01 * (2999 % 90 + 1)) * 8.685889638065037,
              1e-12);
  EXPECT_EQ(p->DotView()->mGainChangeDb.load(), -12.0 + 2999 % 25);
  p->RefreshCurve();
  EXPECT_FALSE(p->CurveOutOfDate());
  EXPECT_EQ(p->TransferView()->LevelAt(150), -24.0);
}

TEST(MeterFeeding, AResizeThatDeletesTheControlsLeavesNoViewBehind) {
  // IGraphics::SetEditorSize deletes every control; the caller rebuilds them. Blocks, parameter
  // changes and the curve before the rebuild reach no deleted view, and after it the new views.
  Plugin p;
  Block64 b(p, 0.25);
  IGraphics* g = p.Graphics();
  const int dotIndex = g->ControlCount() - 1;
  g->SetEditorSize(700, 500);
  EXPECT_EQ(g->ControlCount(), 0);
  EXPECT_EQ(p->DotView(), nullptr);
  EXPECT_EQ(p->TransferView(), nullptr);
  EXPECT_EQ(p->ReductionView(), nullptr);
  {
    SyncLockScope lock(p->Lock());
    p->ProcessSamples(b.in, b.out, 64);
  }
  p->ParamChanged(kTopThreshold, kSourceHost);
  p->RefreshCurve();
  // A rebuild that puts other controls where the views were: none of them is taken for a view.
  for (int i = 0; i < dotIndex; ++i) g->AddControl(new ITextControl(p.fx, IBox(0, 0, 10, 10), IFontSpec(), "x"));
  IGainDot* dot = new IGainDot(p.fx);
  ASSERT_EQ(g->AddControl(dot), dotIndex);
  EXPECT_EQ(p->TransferView(), nullptr);
  EXPECT_EQ(p->ReductionView(), nullptr);
  EXPECT_EQ(p->DotView(), dot);
  {
    SyncLockScope lock(p->Lock());
    p->ProcessSamples(b.in, b.out, 64);
  }
  EXPECT_EQ(dot->mGainChangeDb.load(), p->Engine().mGainChangeDb);
}
