// Routing parameter values from the plug-in to the controls bound to them.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/gui/gui_harness.h"

using namespace guitest;
using namespace fxtest;

TEST(GraphicsRouting, DisplayValuesAreNormalisedWithTheExponent) {
  TestEditor e;
  RecordingControl* c = e.Add(IBox(0, 0, 10, 10), kRelease);
  // Release: 1..999, exponent 2. (250.5 - 1) / 998 = 0.25; 0.25 ^ (1 / 2) = 0.5.
  e.graphics->RouteParamToControls(kRelease, 250.5, false);
  EXPECT_DOUBLE_EQ(c->mValue, 0.5);
  // The first value routed becomes the default as well.
  EXPECT_DOUBLE_EQ(c->mDefaultValue, 0.5);
  // Nothing reaches the plug-in or the host.
  EXPECT_TRUE(e.plug.informed.empty());
  EXPECT_TRUE(e.plug.paramChanges.empty());
  EXPECT_TRUE(e.plug.events.empty());
  EXPECT_DOUBLE_EQ(e.plug.GetParam(kRelease)->Value(), 500.0);

  // Later values move the control and mark it for two paints.
  c->mChanged = false;
  // 999 is the top of the range: 1.
  e.graphics->RouteParamToControls(kRelease, 999.0, false);
  EXPECT_DOUBLE_EQ(c->mValue, 1.0);
  EXPECT_TRUE(c->mChanged);
  EXPECT_TRUE(c->mRepaintAgain);
  // Outside the range: clamped first.
  e.graphics->RouteParamToControls(kRelease, 5000.0, false);
  EXPECT_DOUBLE_EQ(c->mValue, 1.0);
  e.graphics->RouteParamToControls(kRelease, -3.0, false);
  EXPECT_DOUBLE_EQ(c->mValue, 0.0);
  // Top Threshold -48..0, exponent 1: -19 gives 29 / 48.
  RecordingControl* t = e.Add(IBox(0, 0, 10, 10), kTopThreshold);
  e.graphics->RouteParamToControls(kTopThreshold, -19.0, false);
  EXPECT_DOUBLE_EQ(t->mValue, 29.0 / 48.0);
  EXPECT_TRUE(e.plug.informed.empty());
}

TEST(GraphicsRouting, NormalisedValuesPassStraightAndOnlyToBoundControls) {
  TestEditor e;
  RecordingControl* c = e.Add(IBox(0, 0, 10, 10), kAttack);
  RecordingControl* other = e.Add(IBox(0, 0, 10, 10), kRelease);
  RecordingControl* none = e.Add(IBox(0, 0, 10, 10));
  e.graphics->RouteParamToControls(kAttack, 0.3, true);
  EXPECT_DOUBLE_EQ(c->mValue, 0.3);
  EXPECT_DOUBLE_EQ(other->mValue, 0.0);
  EXPECT_DOUBLE_EQ(other->mDefaultValue, -1.0);
  EXPECT_DOUBLE_EQ(none->mDefaultValue, -1.0);
  e.graphics->RouteParamToControls(kAttack, 0.8, true);
  EXPECT_DOUBLE_EQ(c->mValue, 0.8);
  EXPECT_TRUE(e.plug.informed.empty());
}

TEST(GraphicsRouting, AuxEntriesGetTheFirstMatchOnly) {
  TestEditor e;
  RecordingControl* c = e.Add(IBox(0, 0, 10, 10));
  ASSERT_TRUE(c->AddAuxParam(kAttack, 0.0));
  ASSERT_TRUE(c->AddAuxParam(kRelease, 0.0));
  ASSERT_TRUE(c->AddAuxParam(kRelease, 0.1));
  c->mChanged = false;
  e.graphics->RouteParamToControls(kRelease, 0.7, true);
  EXPECT_DOUBLE_EQ(c->AuxParam(0)->value, 0.0);
  EXPECT_DOUBLE_EQ(c->AuxParam(1)->value, 0.7);
  EXPECT_DOUBLE_EQ(c->AuxParam(2)->value, 0.1);
  EXPECT_TRUE(c->mChanged);
}

TEST(GraphicsRouting, ARangeWithoutWidthShowsZero) {
  RecorderFx plug(1, "1-1", 1);
  // Step 0 keeps the maximum at the minimum: 5..5.
  plug.GetParam(0)->InitContinuous("Flat", 5.0, 5.0, 5.0, 0.0);
  ASSERT_EQ(plug.GetParam(0)->Lowest(), plug.GetParam(0)->Highest());
  TestGraphics g(&plug, 10, 10);
  RecordingControl* c = new RecordingControl(&plug, IBox(0, 0, 10, 10), 0);
  g.AddControl(c);
  g.RouteParamToControls(0, 5.0, false);
  EXPECT_FALSE(std::isnan(c->mValue));
  EXPECT_EQ(c->mValue, 0.0);
  g.RouteParamToControls(0, 9.0, false);
  EXPECT_EQ(c->mValue, 0.0);
}

TEST(GraphicsRouting, UnknownParameterOrNoPlugInChangesNothing) {
  TestEditor e;
  RecordingControl* c = e.Add(IBox(0, 0, 10, 10), 42);
  e.graphics->RouteParamToControls(42, 3.0, false);  // no record to normalise with
  EXPECT_DOUBLE_EQ(c->mDefaultValue, -1.0);
  TestGraphics bare(nullptr, 10, 10);
  bare.RouteParamToControls(0, 1.0, false);
}

TEST(GraphicsRouting, ConnectGraphicsShowsEveryParameter) {
  TestPlugin plug;
  TestGraphics* g = new TestGraphics(&plug, 64, 32);
  RecordingControl* t = new RecordingControl(&plug, IBox(0, 0, 10, 10), kTopThreshold);
  RecordingControl* r = new RecordingControl(&plug, IBox(0, 0, 10, 10), kRelease);
  g->AddControl(t);
  g->AddControl(r);
  plug.ConnectGraphics(g);
  EXPECT_DOUBLE_EQ(t->mValue, 29.0 / 48.0);  // -19 on -48..0
  // 500 on 1..999, exponent 2: sqrt(499 / 998) = sqrt(0.5).
  EXPECT_DOUBLE_EQ(r->mValue, std::sqrt(0.5));
  ASSERT_NE(g->BackBuffer(), nullptr);
  EXPECT_EQ(g->BackBuffer()->PixelWidth(), 64);
  EXPECT_EQ(g->BackBuffer()->PixelHeight(), 32);
  EXPECT_TRUE(plug.informed.empty());
}
