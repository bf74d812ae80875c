// The editor window on a real (virtual) display: the window class and child window, timer-driven
// painting compared with what the screen shows, and input as real window messages through SendInput.
// A small set of test controls stands in for a plug-in layout.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/gui/editor_win_fixture.h"

TEST(EditorWindow, ChildWindowOfTheClassWithTitleStyleSizeAndTimer) {
  WinEditor e;
  EXPECT_FALSE(e.g->HasWindow());
  HWND w = e.Open();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(e.g->HasWindow());
  EXPECT_EQ(e.g->NativeWindow(), w);
  EXPECT_STREQ(e.g->BackendName(), "Windows GDI");
  EXPECT_EQ(FindWindowExA(e.parent, nullptr, "IFxWndClass", "IFx"), w);
  EXPECT_EQ(GetWindowLongA(w, GWL_STYLE), 0x50000000);  // WS_CHILD | WS_VISIBLE
  RECT r;
  GetClientRect(w, &r);
  EXPECT_EQ(r.right - r.left, kWidth);
  EXPECT_EQ(r.bottom - r.top, kHeight);
  POINT corner = {0, 0};
  MapWindowPoints(w, e.parent, &corner, 1);
  EXPECT_EQ(corner.x, 0);
  EXPECT_EQ(corner.y, 0);
  EXPECT_TRUE(ClassRegistered());
  EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 1);
  // 25 frames a second: about 25 ticks of timer 2 in a second (the exact count is not the point,
  // that it is the editor's own timer 2 that drives it is).
  EXPECT_GE(Pump(w, 3000, 3), 3);
  e.g->CloseEditorWindow();
  EXPECT_FALSE(IsWindow(w));
  EXPECT_FALSE(ClassRegistered());
  EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 0);
}

TEST(EditorWindow, ClassStaysWhileAnyEditorIsOpenAndGoesWithTheLast) {
  WinEditor a, b;
  ASSERT_NE(a.Open(), nullptr);
  ASSERT_NE(b.Open(), nullptr);
  EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 2);
  a.g->CloseEditorWindow();
  EXPECT_TRUE(ClassRegistered());
  EXPECT_TRUE(b.g->HasWindow());
  b.g->CloseEditorWindow();
  EXPECT_FALSE(ClassRegistered());
  EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 0);
}

TEST(EditorWindow, ReopeningKeepsThePlaceAndSizeInTheParent) {
  WinEditor e;
  HWND first = e.Open();
  ASSERT_NE(first, nullptr);
  SetWindowPos(first, nullptr, 17, 23, kWidth - 10, kHeight - 20, SWP_NOZORDER | SWP_NOACTIVATE);
  HWND second = static_cast<HWND>(e.g->OpenEditorWindow(e.parent));
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(IsWindow(first));
  RECT r;
  GetWindowRect(second, &r);
  POINT corner = {r.left, r.top};
  ScreenToClient(e.parent, &corner);
  EXPECT_EQ(corner.x, 17);
  EXPECT_EQ(corner.y, 23);
  EXPECT_EQ(r.right - r.left, kWidth - 10);
  EXPECT_EQ(r.bottom - r.top, kHeight - 20);
  EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 1);
}

TEST(EditorWindow, HostChangeRepaintsWithinTwoTicksAndTheScreenShowsTheBackBuffer) {
  WinEditor e;
  HWND w = e.Open();
  ASSERT_NE(w, nullptr);
  vst3host::Capture before;
  ASSERT_TRUE(vst3host::CaptureWindowClient(w, before));
  // The knob at the default -19 dB shows frame int(60 x 29/48 + 0.5) + 1 = 37, i.e. colour index 36.
  EXPECT_EQ(before.At(68, 68), FrameColour(36));
  EXPECT_EQ(before.At(5, 5), kBackColour);
  // A change from the host side (normalised 0.25: frame int(15.5) + 1 = 16, colour index 15).
  e.plug.GetParam(kTopThreshold)->AssignNormalized(0.25);
  e.g->RouteParamToControls(kTopThreshold, 0.25, true);
  vst3host::Capture after;
  int ticks = 0;
  while (ticks < 2) {
    ticks += Pump(w, 2000, 1);
    ASSERT_TRUE(vst3host::CaptureWindowClient(w, after));
    if (after.At(68, 68) == FrameColour(15)) break;
  }
  EXPECT_EQ(after.At(68, 68), FrameColour(15)) << "not repainted within two ticks";
  // What the screen shows is the back buffer, pixel for pixel.
  PIX_IBitmap* bb = e.g->BackBuffer();
  ASSERT_EQ(after.width, bb->PixelWidth());
  ASSERT_EQ(after.height, bb->PixelHeight());
  EXPECT_EQ(vst3host::PixelsDiffering(after, bb), 0);
}

TEST(EditorWindow, DragUpOnTheKnobTellsTheHostOneGesture) {
  WinEditor e;
  ASSERT_NE(e.Open(), nullptr);
  e.MoveTo(68, 100);
  e.Button(MOUSEEVENTF_LEFTDOWN);
  EXPECT_EQ(GetCapture(), e.g->mWindow);
  for (int step = 1; step <= 10; ++step) e.MoveTo(68, 100 - 10 * step);
  e.Button(MOUSEEVENTF_LEFTUP);
  // 100 pixels over a 96-pixel knob geared by 4: 29/48 + 100/384 = 0.8645833, i.e. -6.5 dB.
  EXPECT_NEAR(e.plug.GetParam(kTopThreshold)->Value(), -6.5, 1e-9);
  const Events calls = e.Gestures();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls.front(), "begin 0");
  EXPECT_EQ(calls.back(), "end 0");
  for (size_t i = 1; i + 1 < calls.size(); ++i) EXPECT_EQ(calls[i], "inform 0");
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(e.g->mMouseCapture, -1);
}

TEST(EditorWindow, WheelNotchAndKeysReachTheControlUnderThePointer) {
  WinEditor e;
  ASSERT_NE(e.Open(), nullptr);
  e.MoveTo(150, 50);
  vst3host::SendWheel(WHEEL_DELTA);
  Pump(e.g->mWindow, 100);
  vst3host::SendKey('A', false);
  vst3host::SendKey('A', true);
  Pump(e.g->mWindow, 100);
  EXPECT_EQ(e.pad->events, (Events{"wheel 150,50 1", "key 15"}));
  // The release of a key always goes to the host.
  EXPECT_EQ(e.hostKeys, (Events{"up 65"}));
}

TEST(EditorWindow, KeysNobodyTakesGoToTheHostWindow) {
  WinEditor e;
  ASSERT_NE(e.Open(), nullptr);
  e.MoveTo(5, 140);  // the backdrop only
  vst3host::SendKey('A', false);
  vst3host::SendKey('A', true);
  vst3host::SendKey(VK_F5, false);  // no key code at all
  Pump(e.g->mWindow, 150);
  EXPECT_EQ(e.hostKeys, (Events{"down 65", "up 65", "down 116"}));
  vst3host::SendKey(VK_F5, true);
  Pump(e.g->mWindow, 50);
}

TEST(EditorWindow, MiddleClickLeavesNoCaptureAndNoOpenGesture) {
  WinEditor e;
  ASSERT_NE(e.Open(), nullptr);
  e.MoveTo(68, 68);
  e.Button(MOUSEEVENTF_MIDDLEDOWN);
  EXPECT_EQ(GetCapture(), e.g->mWindow);
  e.Button(MOUSEEVENTF_MIDDLEUP);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(e.g->mMouseCapture, -1);
  EXPECT_EQ(e.Gestures(), (Events{"begin 0", "end 0"}));
}

TEST(EditorWindow, RightPressOnABoundControlAsksForTheHostMenuOnly) {
  WinEditor e;
  ASSERT_NE(e.Open(), nullptr);
  e.MoveTo(68, 68);
  e.Button(MOUSEEVENTF_RIGHTDOWN);
  e.Button(MOUSEEVENTF_RIGHTUP);
  EXPECT_EQ(e.Gestures(), (Events{"menu 0 at 68,68"}));
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST(EditorWindow, DoubleClickResetIsOneWholeChange) {
  WinEditor e;
  ASSERT_NE(e.Open(), nullptr);
  e.plug.GetParam(kTopThreshold)->AssignNormalized(0.25);
  e.g->RouteParamToControls(kTopThreshold, 0.25, true);
  e.MoveTo(68, 68);
  vst3host::SendButton(MOUSEEVENTF_LEFTDOWN);
  vst3host::SendButton(MOUSEEVENTF_LEFTUP);
  vst3host::SendButton(MOUSEEVENTF_LEFTDOWN);
  vst3host::SendButton(MOUSEEVENTF_LEFTUP);
  Pump(e.g->mWindow, 200);
  // Down, up (the press pushes the unchanged value), double click (the reset to the default the
  // knob was first given, 29/48), up: every end has its begin.
  EXPECT_EQ(e.Gestures(), (Events{"begin 0", "end 0", "begin 0", "inform 0", "end 0"}));
  EXPECT_NEAR(e.plug.GetParam(kTopThreshold)->Value(), -19.0, 1e-9);
}

TEST(EditorWindow, LosingTheCaptureInADragIsARelease) {
  WinEditor e;
  ASSERT_NE(e.Open(), nullptr);
  e.MoveTo(68, 68);
  e.Button(MOUSEEVENTF_LEFTDOWN);
  ASSERT_EQ(e.g->mMouseCapture, 1);
  SetCapture(e.parent);  // someone else takes the mouse
  Pump(e.g->mWindow, 50);
  EXPECT_EQ(e.g->mMouseCapture, -1);
  EXPECT_EQ(e.Gestures(), (Events{"begin 0", "end 0"}));
  ReleaseCapture();
  e.Button(MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(e.Gestures(), (Events{"begin 0", "end 0"}));
}

TEST(EditorWindow, WindowDestroyedWithItsParentIsForgotten) {
  WinEditor e(MakeParent(20, 20));
  ASSERT_NE(e.Open(), nullptr);
  DestroyWindow(e.parent);
  e.parent = nullptr;
  EXPECT_FALSE(e.g->HasWindow());
  EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 0);
  // The editor opens again on a new parent.
  e.parent = MakeParent(300, 200);
  EXPECT_NE(e.Open(), nullptr);
  EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 1);
}

TEST(EditorWindow, SkinResourcesNeedAPngNameAndAResource) {
  WinEditor e;
  EXPECT_EQ(e.g->DecodeSkinResource(100, "resources/img/bkg.bmp"), nullptr);
  EXPECT_EQ(e.g->DecodeSkinResource(100, "noextension"), nullptr);
  EXPECT_EQ(e.g->DecodeSkinResource(4321, "missing.PNG"), nullptr);  // no such resource here
}

TEST(EditorWindow, QuietTicksPaintNothing) {
  WinEditor e;
  ASSERT_NE(e.Open(), nullptr);
  const int drawsBefore = e.pad->draws;
  EXPECT_EQ(Pump(e.g->mWindow, 3000, 3), 3);
  EXPECT_EQ(e.pad->draws, drawsBefore);
  // One changed control: the next tick paints (strictly: everything its area meets, itself too).
  e.pad->MarkChanged(false);
  Pump(e.g->mWindow, 3000, 1);
  EXPECT_EQ(e.pad->draws, drawsBefore + 1);
}

TEST(EditorWindow, PointerTrackingSeesHoverAndLeave) {
  WinEditor e;
  e.g->mTrackPointer = true;
  ASSERT_NE(e.Open(), nullptr);
  e.MoveTo(150, 50);
  EXPECT_EQ(e.g->mMouseOver, 2);
  EXPECT_EQ(Last(e.pad->events), "over 150,50");
  // Off the editor (onto the host window around it): every control hears that the pointer left.
  e.MoveTo(kWidth + 20, kHeight + 20);
  Pump(e.g->mWindow, 1000);  // the system notices the leaving on its own schedule
  EXPECT_EQ(Last(e.pad->events), "left");
  EXPECT_EQ(Last(e.back->events), "left");
  EXPECT_EQ(e.g->mMouseOver, -1);
}

TEST(EditorWindow, FocusedTextFieldHoldsThePaintingAndAPressCancelsIt) {
  WinEditor e;
  HWND w = e.Open();
  ASSERT_NE(w, nullptr);
  // A field standing in for the value entry, focused.
  e.g->mTextField = CreateWindowExA(0, "EDIT", "12", WS_CHILD | WS_VISIBLE, 130, 20, 60, 20, w,
                                    nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(e.g->mTextField, nullptr);
  HWND field = e.g->mTextField;
  e.g->mTextFieldControl = e.pad;
  e.g->mTextFieldState = IGraphicsWin::FieldFocused;
  const int draws = e.pad->draws;
  e.pad->MarkChanged(false);
  Pump(w, 3000, 2);
  EXPECT_EQ(e.pad->draws, draws);  // nothing is painted while the field has the focus
  e.MoveTo(68, 68);
  e.Button(MOUSEEVENTF_LEFTDOWN);
  e.Button(MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(e.Gestures().empty());  // the press went to the field's cancel, not to the knob
  Pump(w, 3000, 2);
  EXPECT_EQ(e.g->mTextField, nullptr);
  EXPECT_FALSE(IsWindow(field));
  EXPECT_EQ(e.g->mTextFieldState, IGraphicsWin::FieldIdle);
}

TEST(EditorWindow, HiddenPointerComesBackWhereItWas) {
  WinEditor e;
  ASSERT_NE(e.Open(), nullptr);
  e.MoveTo(40, 30);
  const POINT start = e.Screen(40, 30);
  e.g->HidePointer();
  EXPECT_TRUE(e.g->mPointerHidden);
  EXPECT_EQ(e.g->mHiddenPointerX, start.x);
  EXPECT_EQ(e.g->mHiddenPointerY, start.y);
  e.g->HidePointer();  // once hidden, the remembered place stays
  e.MoveTo(150, 120);
  e.g->RestorePointer();
  EXPECT_FALSE(e.g->mPointerHidden);
  POINT now;
  ASSERT_TRUE(GetCursorPos(&now));
  EXPECT_EQ(now.x, start.x);
  EXPECT_EQ(now.y, start.y);
}
