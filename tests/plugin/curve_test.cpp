// The transfer curve: its arrays, the levels the plug-in writes after every parameter change (mapped
// index or not), the pixels of the default curve and of a flat one, and points that are not numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/plugin/editor_fixture.h"

using namespace editortest;

TEST(TransferCurve, ArraysSizedFromTheAreaAndStartAtZero) {
  IGainTransfer curve(nullptr, kTransferArea);
  EXPECT_EQ(curve.Length(), 300);
  EXPECT_EQ(curve.mCurveCursor, 0);
  EXPECT_EQ(curve.mRect, kTransferArea);
  EXPECT_TRUE(curve.mHitRect.Empty());
  for (int i = 0; i < 300; ++i) {
    ASSERT_EQ(curve.LevelAt(i), 0.0);
    ASSERT_EQ(curve.GainAt(i), 0.0);
  }
  IGainTransfer none(nullptr, IBox(10, 10, 10, 20));
  EXPECT_EQ(none.Length(), 0);
  none.WritePoint(-3.0, 1.0);  // nowhere to write: nothing happens
  Canvas canvas;
  EXPECT_TRUE(none.DrawInto(&canvas.graphics));
}

TEST(TransferCurve, WritingWrapsTheCursorAfterTheLastColumn) {
  IGainTransfer curve(nullptr, IBox(0, 0, 3, 3));
  for (int i = 0; i < 4; ++i) curve.WritePoint(i, -i);
  EXPECT_EQ(curve.LevelAt(0), 3.0);  // the fourth point went back to index 0
  EXPECT_EQ(curve.LevelAt(1), 1.0);
  EXPECT_EQ(curve.GainAt(2), -2.0);
  EXPECT_EQ(curve.mCurveCursor, 1);
  EXPECT_EQ(curve.LevelAt(3), 0.0);  // outside the arrays
  EXPECT_EQ(curve.LevelAt(-1), 0.0);
}

TEST(TransferCurve, RecomputedForEveryParameterIndex) {
  // The levels are i x 0.16f - 48 with the product in single precision.
  for (int idx : {-1, 0, 3, 8, 9, 1000}) {
    SCOPED_TRACE(idx);
    Plugin p;
    IGainTransfer* curve = p->TransferView();
    ASSERT_NE(curve, nullptr);
    ASSERT_EQ(curve->LevelAt(150), 0.0);
    EXPECT_FALSE(p->CurveOutOfDate());
    p->ParamChanged(idx, kSourceHost);
    EXPECT_TRUE(p->CurveOutOfDate());
    p->RefreshCurve();
    EXPECT_FALSE(p->CurveOutOfDate());
    EXPECT_EQ(curve->LevelAt(0), -48.0);
    EXPECT_EQ(curve->LevelAt(1), -47.84000000357628);
    EXPECT_EQ(curve->LevelAt(150), -24.0);
    EXPECT_EQ(curve->LevelAt(299), -0.15999984741210938);
    EXPECT_EQ(curve->mCurveCursor, 0);  // exactly one pass: the next one starts at index 0 again
  }
}

TEST(TransferCurve, ManyChangesCostOneRecomputationBeforeThePaint) {
  Plugin p;
  IGainTransfer* curve = p->TransferView();
  p.AnnounceAll();
  p->RefreshCurve();
  const double firstGain = curve->GainAt(200);
  // A marker at index 0: a recomputation would overwrite it with -48 dB.
  curve->WritePoint(123.0, 4.0);
  curve->mCurveCursor = 0;
  p->RefreshCurve();  // nothing changed since: nothing computed
  EXPECT_EQ(curve->LevelAt(0), 123.0);
  // A block's worth of changes only marks the curve; the arrays wait for the painter.
  for (int i = 0; i < kNumParams; ++i) p->ParamChanged(i, kSourceHost);
  EXPECT_EQ(curve->LevelAt(0), 123.0);
  Canvas canvas;
  curve->DrawInto(&canvas.graphics);
  EXPECT_EQ(curve->LevelAt(0), -48.0);
  EXPECT_EQ(curve->GainAt(200), firstGain);  // same settings, same curve
  EXPECT_EQ(curve->mCurveCursor, 0);
}

TEST(TransferCurve, CurveChangeMarksTheViewForRepaint) {
  Plugin p;
  IGainTransfer* curve = p->TransferView();
  curve->MarkPainted();
  ASSERT_FALSE(curve->NeedsRepaint());
  p->GetParam(kTopRatio)->AssignNormalized(1.0);
  p->ParamChanged(kTopRatio, kSourceEditor);
  EXPECT_TRUE(curve->NeedsRepaint());
}

TEST(TransferCurve, DefaultParametersDrawThroughTheWorkedPixels) {
  Plugin p;
  p.AnnounceAll();
  Canvas canvas;
  ASSERT_TRUE(p->TransferView()->DrawInto(&canvas.graphics));
  const int points[][2] = {{113, 73},  {163, 123}, {188, 148}, {238, 177},
                           {263, 192}, {288, 207}, {363, 261}, {412, 310}};
  for (const auto& pt : points) {
    EXPECT_NE(Pixel(canvas.Buffer(), pt[0], pt[1]), 0u) << pt[0] << ", " << pt[1];
  }
  // The curve never reaches above the top edge or left of the left edge.
  EXPECT_EQ(CountNot(canvas.Buffer(), IBox(0, 0, 640, 42), 0u), 0);
  EXPECT_EQ(CountNot(canvas.Buffer(), IBox(0, 0, 113, 480), 0u), 0);
}

TEST(TransferCurve, FlatCurveIsRow192FromTheLeftEdgeToColumn412) {
  IGainTransfer curve(nullptr, kTransferArea);
  for (int i = 0; i < 300; ++i) {
    curve.WritePoint(static_cast<double>(static_cast<float>(i) * 0.16f) - 48.0, 0.0);
  }
  Canvas canvas;
  ASSERT_TRUE(curve.DrawInto(&canvas.graphics));
  PIX_IBitmap* b = canvas.Buffer();
  for (int x = 113; x <= 412; ++x) ASSERT_NE(Pixel(b, x, 192), 0u) << x;
  EXPECT_EQ(Pixel(b, 112, 192), 0u);
  EXPECT_EQ(Pixel(b, 413, 192), 0u);
  EXPECT_EQ(CountNot(b, IBox(0, 0, 640, 191), 0u), 0);
  EXPECT_EQ(CountNot(b, IBox(0, 194, 640, 480), 0u), 0);
}

TEST(TransferCurve, PointsThatAreNotNumbersBreakTheLineWithoutDrawingElsewhere) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  IGainTransfer curve(nullptr, kTransferArea);
  for (int i = 0; i < 300; ++i) {
    double level = static_cast<double>(static_cast<float>(i) * 0.16f) - 48.0;
    double gain = 0.0;
    if (i == 100) level = nan;
    if (i == 200) gain = nan;
    if (i == 250) level = -inf;
    if (i == 260) gain = inf;
    curve.WritePoint(level, gain);
  }
  Canvas canvas;
  ASSERT_TRUE(curve.DrawInto(&canvas.graphics));
  PIX_IBitmap* b = canvas.Buffer();
  // Drawn only on row 192, between the gaps.
  EXPECT_EQ(CountNot(b, IBox(0, 0, 640, 191), 0u), 0);
  EXPECT_EQ(CountNot(b, IBox(0, 194, 640, 480), 0u), 0);
  EXPECT_NE(Pixel(b, 150, 192), 0u);
  EXPECT_NE(Pixel(b, 350, 192), 0u);
  EXPECT_EQ(Pixel(b, 0, 0), 0u);
}
