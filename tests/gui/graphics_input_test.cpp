// Mouse and key entries: capture on press, drag deltas, release, double click, wheel, pointer
// tracking, keys, and the hit test from the topmost control down.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/gui/gui_harness.h"

using namespace guitest;
using namespace fxtest;

namespace {

using Events = std::vector<std::string>;

// Backdrop (0), A (1) at (10, 10)-(50, 50), B (2) at (30, 30)-(70, 70) over A's lower right.
struct InputFixture : ::testing::Test {
  void SetUp() override {
    back = e.Add(IBox(0, 0, 100, 100));
    a = e.Add(IBox(10, 10, 50, 50));
    b = e.Add(IBox(30, 30, 70, 70));
  }
  IGraphics* g() { return e.graphics; }
  TestEditor e;
  RecordingControl *back, *a, *b;
  IMouseState left;
  IMouseState right;
  InputFixture() {
    left.left = true;
    right.right = true;
  }
};

}  // namespace

TEST_F(InputFixture, HitTestRunsFromTheTop) {
  EXPECT_EQ(g()->ControlAt(40, 40), 2);  // A and B both contain it: B is later
  EXPECT_EQ(g()->ControlAt(20, 20), 1);
  EXPECT_EQ(g()->ControlAt(5, 5), 0);
  EXPECT_EQ(g()->ControlAt(5, 5, true), -1);  // the backdrop counts as none for keys
  EXPECT_EQ(g()->ControlAt(150, 5), -1);
  // Right and bottom edges are outside.
  EXPECT_EQ(g()->ControlAt(70, 40), 0);
  EXPECT_EQ(g()->ControlAt(30, 30), 2);
  b->mGreyed = true;
  EXPECT_EQ(g()->ControlAt(40, 40), 1);
  a->mHidden = true;
  EXPECT_EQ(g()->ControlAt(40, 40), 0);
}

TEST_F(InputFixture, PressCapturesAndDragsGoToTheCapturingControl) {
  g()->OnMouseDown(40, 40, &left);
  EXPECT_EQ(g()->mMouseCapture, 2);
  EXPECT_EQ(g()->mMouseX, 40);
  EXPECT_EQ(g()->mMouseY, 40);
  // Drags reach B even far outside it, with the movement since the last position.
  g()->OnMouseDrag(45, 38, &left);
  g()->OnMouseDrag(45, 38, &left);  // no movement: nothing
  g()->OnMouseDrag(5, 90, &left);
  g()->OnMouseUp(5, 90, &left);
  EXPECT_EQ(b->events, (Events{"press 40,40", "drag 45,38 d5,-2", "drag 5,90 d-40,52",
                               "release 5,90"}));
  EXPECT_TRUE(a->events.empty());
  EXPECT_TRUE(back->events.empty());
  EXPECT_EQ(g()->mMouseCapture, -1);
  EXPECT_EQ(g()->mMouseX, -1);
  EXPECT_EQ(g()->mMouseY, -1);
  // Without a capture, drags go nowhere.
  g()->OnMouseDrag(41, 41, &left);
  EXPECT_EQ(b->events.size(), 4u);
}

TEST_F(InputFixture, GreyedAndHiddenControlsAreNeverHit) {
  b->mGreyed = true;
  g()->OnMouseDown(40, 40, &left);
  EXPECT_EQ(g()->mMouseCapture, 1);
  g()->OnMouseUp(40, 40, &left);
  EXPECT_EQ(a->events, (Events{"press 40,40", "release 40,40"}));
  EXPECT_TRUE(b->events.empty());
  a->mHidden = true;
  g()->OnMouseWheel(40, 40, nullptr, 1);
  EXPECT_EQ(back->events, (Events{"wheel 40,40 1"}));
}

TEST_F(InputFixture, PressOutsideEveryControlCapturesNothing) {
  g()->OnMouseDown(150, 150, &left);
  EXPECT_EQ(g()->mMouseCapture, -1);
  EXPECT_EQ(g()->mMouseX, -1);
  g()->OnMouseUp(150, 150, &left);  // no receiver
  EXPECT_TRUE(back->events.empty());
}

TEST_F(InputFixture, ReleaseWithoutCaptureGoesToTheControlUnderThePointer) {
  g()->OnMouseUp(20, 20, &left);
  EXPECT_EQ(a->events, (Events{"release 20,20"}));
}

TEST_F(InputFixture, BoundControlsAnnounceTheChange) {
  RecordingControl* knob = e.Add(IBox(80, 80, 90, 90), kAttack);
  g()->OnMouseDown(85, 85, &left);
  g()->OnMouseUp(85, 85, &left);
  EXPECT_EQ(e.plug.events, (Events{"begin 6", "end 6"}));
  EXPECT_EQ(knob->events, (Events{"press 85,85", "release 85,85"}));
  // The test plug-in is a VST3 one: a right press on a bound control goes to the host's menu.
  e.plug.events.clear();
  g()->OnMouseDown(85, 85, &right);
  EXPECT_EQ(g()->mMouseCapture, -1);
  EXPECT_EQ(g()->mMouseX, -1);
  EXPECT_TRUE(e.plug.events.empty());
  EXPECT_EQ(knob->events.size(), 2u);
  // A right press on an unbound control is a press.
  g()->OnMouseDown(20, 20, &right);
  EXPECT_EQ(a->events, (Events{"press 20,20"}));
}

namespace {
// A bound button whose release rebuilds the editor at a new size, which deletes every control,
// itself included, while the release is still being delivered.
class ResizeOnRelease : public RecordingControl {
 public:
  using RecordingControl::RecordingControl;
  void MouseReleased(int, int, const IMouseState*) override {
    IGraphics* g = mPlug->AttachedGraphics();
    g->SetEditorSize(g->Width() + 20, g->Height());
  }
};
}  // namespace

TEST_F(InputFixture, ReleaseThatRebuildsTheEditorStillEndsTheChange) {
  g()->AddControl(new ResizeOnRelease(&e.plug, IBox(80, 80, 90, 90), kAttack));
  g()->OnMouseDown(85, 85, &left);
  g()->OnMouseUp(85, 85, &left);
  EXPECT_EQ(g()->ControlCount(), 0);
  EXPECT_EQ(g()->Width(), 120);
  // The end of the change goes to the parameter the released control was bound to (6, Attack).
  EXPECT_EQ(e.plug.events, (Events{"begin 6", "resize 120x100", "end 6"}));
}

TEST_F(InputFixture, DoubleClick) {
  g()->OnMouseDoubleClick(20, 20, &left);
  EXPECT_EQ(a->events, (Events{"double 20,20"}));
  EXPECT_EQ(g()->mMouseCapture, -1);
  b->mDoubleClickAsPress = true;
  g()->OnMouseDoubleClick(40, 40, &left);
  EXPECT_EQ(b->events, (Events{"press 40,40"}));
  EXPECT_EQ(g()->mMouseCapture, 2);
  EXPECT_EQ(g()->mMouseX, 40);
  g()->OnMouseDrag(42, 40, &left);
  EXPECT_EQ(b->events.back(), "drag 42,40 d2,0");
  g()->OnMouseDoubleClick(150, 150, &left);  // nothing there
  EXPECT_EQ(g()->mMouseCapture, -1);
}

TEST_F(InputFixture, WheelGoesToTheCaptureOrTheControlUnderThePointer) {
  g()->OnMouseWheel(20, 20, nullptr, -2);
  EXPECT_EQ(a->events, (Events{"wheel 20,20 -2"}));
  g()->OnMouseDown(40, 40, &left);
  g()->OnMouseWheel(20, 20, nullptr, 1);
  EXPECT_EQ(b->events.back(), "wheel 20,20 1");
  g()->OnMouseUp(40, 40, &left);
  g()->OnMouseWheel(150, 150, nullptr, 1);  // nothing there
}

TEST_F(InputFixture, PointerTrackingOnlyWhenEnabled) {
  g()->OnMouseOver(20, 20, nullptr);
  EXPECT_TRUE(a->events.empty());
  EXPECT_EQ(g()->mMouseOver, -1);
  g()->mTrackPointer = true;
  g()->OnMouseOver(20, 20, nullptr);
  EXPECT_EQ(a->events, (Events{"over 20,20"}));
  EXPECT_EQ(g()->mMouseOver, 1);
  EXPECT_EQ(g()->mMouseX, 20);
  g()->OnMouseOver(40, 40, nullptr);
  EXPECT_EQ(b->events, (Events{"over 40,40"}));
  EXPECT_EQ(a->events.back(), "left");
  EXPECT_EQ(g()->mMouseOver, 2);
  // A greyed control is passed over unless it asks for the pointer while greyed.
  b->mGreyed = true;
  g()->OnMouseOver(41, 41, nullptr);
  EXPECT_EQ(g()->mMouseOver, 1);
  b->mPointerWhileGreyed = true;
  g()->OnMouseOver(42, 42, nullptr);
  EXPECT_EQ(g()->mMouseOver, 2);
  g()->OnMouseOut();
  EXPECT_EQ(g()->mMouseOver, -1);
  EXPECT_EQ(back->events.back(), "left");
  EXPECT_EQ(b->events.back(), "left");
}

TEST_F(InputFixture, KeysGoToTheControlUnderThePointerElseTheCatcher) {
  EXPECT_TRUE(g()->OnKeyDown(40, 40, 15));
  EXPECT_EQ(b->events, (Events{"key 15"}));
  // Over the backdrop only, without a catcher: not taken.
  EXPECT_FALSE(g()->OnKeyDown(5, 5, 15));
  EXPECT_TRUE(back->events.empty());
  // Greyed controls take no keys.
  b->mGreyed = true;
  g()->OnKeyDown(40, 40, 1);
  EXPECT_EQ(a->events, (Events{"key 1"}));
  // A control that declines the key.
  a->takesKeys = false;
  EXPECT_FALSE(g()->OnKeyDown(20, 20, 2));

  RecordingControl* catcher = new RecordingControl(&e.plug, IBox());
  g()->mKeyCatcher = catcher;  // owned by the graphics object from now on
  EXPECT_TRUE(g()->OnKeyDown(5, 5, 0));
  EXPECT_EQ(catcher->events, (Events{"key 0"}));
  // While a control holds the press, keys go to it wherever the pointer is.
  b->mGreyed = false;
  g()->OnMouseDown(40, 40, nullptr);
  g()->OnKeyDown(5, 5, 3);
  EXPECT_EQ(b->events.back(), "key 3");
  g()->OnMouseUp(40, 40, nullptr);
  // A press held by the backdrop sends keys to the catcher.
  g()->OnMouseDown(5, 5, nullptr);
  EXPECT_EQ(g()->mMouseCapture, 0);
  g()->OnKeyDown(40, 40, 4);
  EXPECT_EQ(catcher->events.back(), "key 4");
}

// The host sees an end of change only for a change whose begin it saw: after a double click, after
// the host menu of a right press, and around a double-click reset.
TEST_F(InputFixture, EveryEndOfChangeHasItsBegin) {
  RecordingControl* knob = e.Add(IBox(80, 80, 90, 90), kAttack);
  // Down, up, double click, up (the system's message order for a double click).
  g()->OnMouseDown(85, 85, &left);
  g()->OnMouseUp(85, 85, &left);
  g()->OnMouseDoubleClick(85, 85, &left);
  g()->OnMouseUp(85, 85, &left);
  EXPECT_EQ(e.plug.events, (Events{"begin 6", "end 6", "begin 6", "end 6"}));
  EXPECT_EQ(knob->events, (Events{"press 85,85", "release 85,85", "double 85,85", "release 85,85"}));
  // A right press that opened the host's menu: its release ends nothing.
  e.plug.events.clear();
  g()->OnMouseDown(85, 85, &right);
  g()->OnMouseUp(85, 85, &right);
  EXPECT_TRUE(e.plug.events.empty());
  // A press on an unbound control, released over a bound one, ends nothing either.
  g()->OnMouseDown(20, 20, &left);
  g()->OnMouseUp(85, 85, &left);
  EXPECT_TRUE(e.plug.events.empty());
  // A double click taken as a press opens a gesture that its release ends.
  knob->mDoubleClickAsPress = true;
  g()->OnMouseDoubleClick(85, 85, &left);
  g()->OnMouseUp(85, 85, &left);
  EXPECT_EQ(e.plug.events, (Events{"begin 6", "end 6"}));
  // A press while the last one was never released closes the open gesture first.
  e.plug.events.clear();
  g()->OnMouseDown(85, 85, &left);
  g()->OnMouseDown(85, 85, &left);
  g()->OnMouseUp(85, 85, &left);
  EXPECT_EQ(e.plug.events, (Events{"begin 6", "end 6", "begin 6", "end 6"}));
}

TEST_F(InputFixture, DoubleClickResetOfABoundControlIsOneWholeChange) {
  // A real control: the double click restores the default and pushes it to the plug-in.
  IKnobMultiControl* knob = new IKnobMultiControl(&e.plug, IBox(80, 80, 90, 90), kAttack, ISkinImage());
  g()->AddControl(knob);
  knob->mDefaultValue = 0.25;
  knob->mValue = 0.75;
  g()->OnMouseDoubleClick(85, 85, &left);
  EXPECT_EQ(knob->mValue, 0.25);
  EXPECT_EQ(e.plug.events, (Events{"begin 6", "inform 6", "changed 6", "end 6"}));
}
