// Redraw of the back buffer: which controls a region repaints (strict and non-strict), the edge
// rule, hidden controls, the changed area the window's timer invalidates, MarkAllControlsChanged.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/gui/gui_harness.h"

using namespace guitest;

namespace {

struct Scene {
  // Backdrop over everything, A alone on the left, B with C overlapping its lower right.
  Scene() {
    backdrop = editor.Add(IBox(0, 0, 100, 100));
    a = editor.Add(IBox(10, 10, 30, 30));
    b = editor.Add(IBox(50, 50, 70, 70));
    c = editor.Add(IBox(60, 60, 90, 90));
    const char* names[] = {"backdrop", "A", "B", "C"};
    RecordingControl* all[] = {backdrop, a, b, c};
    for (int i = 0; i < 4; ++i) {
      all[i]->name = names[i];
      all[i]->log = &log;
    }
    editor.SettleAll();
  }
  TestEditor editor;
  IGraphics* g() { return editor.graphics; }
  RecordingControl *backdrop, *a, *b, *c;
  std::vector<std::string> log;
};

using Log = std::vector<std::string>;

}  // namespace

TEST(GraphicsRedraw, StrictEdgeRule) {
  TestEditor e;
  e.Add(IBox(0, 0, 100, 100));
  RecordingControl* c = e.Add(IBox(20, 20, 40, 40));
  // area.left == rect.right: not drawn.
  e.graphics->RedrawRegion(IBox(40, 0, 60, 100));
  EXPECT_EQ(c->draws, 0);
  // area.top == rect.bottom: not drawn either.
  e.graphics->RedrawRegion(IBox(0, 40, 100, 60));
  EXPECT_EQ(c->draws, 0);
  // area.right == rect.left: drawn.
  e.graphics->RedrawRegion(IBox(0, 0, 20, 100));
  EXPECT_EQ(c->draws, 1);
  // area.bottom == rect.top: drawn.
  e.graphics->RedrawRegion(IBox(0, 0, 100, 20));
  EXPECT_EQ(c->draws, 2);
}

TEST(GraphicsRedraw, StrictSetsThePaintAreaAndPresentsIt) {
  Scene s;
  s.g()->RedrawRegion(IBox(5, 6, 7, 8));
  EXPECT_EQ(s.g()->PaintArea(), IBox(5, 6, 7, 8));
  ASSERT_EQ(s.editor.graphics->presented.size(), 1u);
  EXPECT_EQ(s.editor.graphics->presented[0], IBox(5, 6, 7, 8));
}

TEST(GraphicsRedraw, NoControlsMeansNoPaintAndNoPresent) {
  TestEditor e;
  e.graphics->RedrawRegion(IBox(0, 0, 10, 10));
  EXPECT_TRUE(e.graphics->presented.empty());
  EXPECT_EQ(e.graphics->PaintArea(), IBox());
}

TEST(GraphicsRedraw, ZeroAreaOrZeroRectDrawsNothingButMarksPainted) {
  Scene s;
  RecordingControl* zero = s.editor.Add(IBox());
  zero->log = &s.log;
  s.a->mChanged = true;
  s.g()->RedrawRegion(IBox());
  EXPECT_TRUE(s.log.empty());
  EXPECT_FALSE(s.a->NeedsRepaint());
  s.g()->RedrawRegion(IBox(0, 0, 100, 100));
  EXPECT_EQ(zero->draws, 0);
}

TEST(GraphicsRedraw, HiddenControlsAreNeverDrawnButMarkedPainted) {
  Scene s;
  s.b->mHidden = true;
  s.b->mChanged = true;
  s.g()->RedrawRegion(IBox(0, 0, 100, 100));
  EXPECT_EQ(s.b->draws, 0);
  EXPECT_FALSE(s.b->NeedsRepaint());
  EXPECT_EQ(s.log, (Log{"backdrop draw", "A draw", "C draw"}));
  // Non-strict, with the backdrop marked: everything but the hidden control.
  s.log.clear();
  s.g()->mStrict = false;
  s.backdrop->mChanged = true;
  s.g()->RedrawRegion(IBox());
  EXPECT_EQ(s.log, (Log{"backdrop draw", "A draw", "C draw"}));
  EXPECT_FALSE(s.b->NeedsRepaint());
}

TEST(GraphicsRedraw, ChangedAreaIsTheUnionOfMarkedControls) {
  Scene s;
  EXPECT_EQ(s.g()->ChangedArea(), IBox());  // nothing marked: all zero
  s.b->mChanged = true;
  EXPECT_EQ(s.g()->ChangedArea(), IBox(50, 50, 70, 70));
  s.a->mChanged = true;
  // (min left, min top, max right, max bottom) of A (10, 10, 30, 30) and B (50, 50, 70, 70).
  EXPECT_EQ(s.g()->ChangedArea(), IBox(10, 10, 70, 70));
  RecordingControl* zero = s.editor.Add(IBox());
  zero->mChanged = true;  // an all-zero rect adds nothing
  EXPECT_EQ(s.g()->ChangedArea(), IBox(10, 10, 70, 70));
}

TEST(GraphicsRedraw, MarkAllControlsChanged) {
  Scene s;
  for (int i = 0; i < s.g()->ControlCount(); ++i) ASSERT_FALSE(s.g()->Control(i)->NeedsRepaint());
  s.g()->MarkAllControlsChanged();
  for (int i = 0; i < s.g()->ControlCount(); ++i) EXPECT_TRUE(s.g()->Control(i)->NeedsRepaint());
  EXPECT_EQ(s.g()->ChangedArea(), IBox(0, 0, 100, 100));
  EXPECT_TRUE(s.editor.plug.informed.empty());  // nothing is pushed to the plug-in
  s.g()->RedrawRegion(s.g()->ChangedArea());
  EXPECT_EQ(s.log, (Log{"backdrop draw", "A draw", "B draw", "C draw"}));
}

TEST(GraphicsRedraw, MarkedRegionRedrawsOnlyTheControlsItMeets) {
  Scene s;
  s.b->mChanged = true;
  const IBox area = s.g()->ChangedArea();
  EXPECT_EQ(area, IBox(50, 50, 70, 70));
  s.g()->RedrawRegion(area);
  // B's area meets the backdrop, B and C (which overlaps it), not A; in list order.
  EXPECT_EQ(s.log, (Log{"backdrop draw", "B draw", "C draw"}));
  EXPECT_EQ(s.g()->ChangedArea(), IBox());
}

TEST(GraphicsRedraw, NonStrictRepaintsEachChangedControlWithWhatItMeets) {
  Scene s;
  s.g()->mStrict = false;
  s.b->mChanged = true;
  s.a->mRepaintAgain = false;
  s.g()->RedrawRegion(IBox(0, 0, 1, 1));  // the window's area is not used in this mode
  EXPECT_EQ(s.log, (Log{"backdrop draw", "B draw", "C draw"}));
  EXPECT_EQ(s.g()->PaintArea(), IBox(50, 50, 70, 70));
  EXPECT_FALSE(s.b->NeedsRepaint());
  // Two changed controls: each gets its own pass.
  s.log.clear();
  s.a->mChanged = true;
  s.c->mChanged = true;
  s.g()->RedrawRegion(IBox());
  EXPECT_EQ(s.log, (Log{"backdrop draw", "A draw", "backdrop draw", "B draw", "C draw"}));
  EXPECT_EQ(s.g()->PaintArea(), IBox(60, 60, 90, 90));
}

TEST(GraphicsRedraw, NonStrictWithTheBackdropMarkedRepaintsEverything) {
  Scene s;
  s.g()->mStrict = false;
  s.backdrop->mChanged = true;
  s.g()->RedrawRegion(IBox());
  EXPECT_EQ(s.log, (Log{"backdrop draw", "A draw", "B draw", "C draw"}));
  EXPECT_EQ(s.g()->PaintArea(), IBox(0, 0, 100, 100));
}

TEST(GraphicsRedraw, SkinPixelsOutsideTheMarkedRegionStay) {
  TestEditor e(100, 100);
  const int id = UniqueSkinId();
  e.graphics->SetSkinMaker(id, [] { return MakeStrip(100, 100, 1); });
  e.graphics->SetBackdrop(id, "back.png");
  ASSERT_EQ(e.graphics->ControlCount(), 1);
  EXPECT_EQ(e.graphics->Control(0)->mRect, IBox(0, 0, 100, 100));
  FillBitmap(e.graphics->BackBuffer(), 0);
  // Only (20, 20)-(30, 30) is repainted: the backdrop copy is clipped to it.
  e.graphics->RedrawRegion(IBox(20, 20, 30, 30));
  EXPECT_EQ(PixelAt(e.graphics->BackBuffer(), 20, 20), FrameColour(0));
  EXPECT_EQ(PixelAt(e.graphics->BackBuffer(), 29, 29), FrameColour(0));
  EXPECT_EQ(PixelAt(e.graphics->BackBuffer(), 30, 29), 0u);
  EXPECT_EQ(PixelAt(e.graphics->BackBuffer(), 19, 20), 0u);
}
