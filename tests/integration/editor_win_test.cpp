// The editor through the VST3 module, as a host meets it on a (virtual) display: the view's answers,
// the editor's child window under the host window, the window class's lifetime across two editors,
// real input through SendInput, repainting after a host change, and the screen against the back
// buffer of the same plug-in linked into this program. Tests that need the plug-in's layout (its
// knobs) are skipped in a build whose editor has no controls.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "fx/icontrol.h"
#include "fx/igraphics.h"
#include "fx/module.h"
#include "plugin/quibelombrelux.h"
#include "tests/integration/plugin_harness.h"
#include "tools/vst3host/editorwin.h"

namespace qoit {
namespace {

using vst3host::Capture;
using vst3host::ComponentHandler;
using vst3host::EditorHost;
using Calls = std::vector<std::string>;

// The "Top Threshold" knob: 96 x 96 at (445, 6); its value text lies across its middle, so presses
// meant for the knob itself go to its upper part.
constexpr int kKnobX = 493;
constexpr int kKnobY = 30;

class EditorModuleTest : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    ASSERT_EQ(fx.Create(Factory()), "");
    ASSERT_EQ(fx.Prepare(44100.0, 512, kSample32), kResultOk);
  }
  void TearDown() override {
    editor.Close();
    fx.Destroy();
  }
  HMODULE ModuleHandle() const { return static_cast<HMODULE>(sModule->Handle()); }
  bool ClassRegistered() const {
    WNDCLASSA wc;
    return GetClassInfoA(ModuleHandle(), "IFxWndClass", &wc) != 0;
  }
  void OpenEditor() {
    ASSERT_EQ(editor.Open(fx.controller, 60, 200), "");
    SetForegroundWindow(editor.window);
    editor.Run(3000, 3);
  }
  // Screen point of an editor point.
  POINT Screen(int x, int y) const {
    POINT p = {x, y};
    ClientToScreen(editor.EditorWindow(), &p);
    return p;
  }
  void MoveTo(int x, int y) {
    const POINT p = Screen(x, y);
    vst3host::SendPointerTo(p.x, p.y);
    editor.Run(60, 0);
  }
  void Button(DWORD flag) {
    vst3host::SendButton(flag);
    editor.Run(60, 0);
  }
  // Whether this build's plug-in has an editor layout: the plug-in class linked into this program
  // is the module's, so its control count is the module's.
  static bool HasLayout() {
    QuibelOmbrelux* linked = NewLinkedPlugin();
    const bool has = linked->AttachedGraphics() && linked->AttachedGraphics()->ControlCount() > 0;
    linked->release();
    return has;
  }
  // The plug-in class linked in, its skin resources taken from the loaded module.
  static QuibelOmbrelux* NewLinkedPlugin() {
    gModuleInstance = sModule->Handle();
    return new QuibelOmbrelux(IFxCreateArgs());
  }
  double Normalized(ParamID id) { return fx.controller->getParamNormalized(id); }

  ComponentHandler handler;  // outlives the plug-in, which holds it until terminate
  Instance fx;
  EditorHost editor;
};

}  // namespace

TEST_F(EditorModuleTest, ViewAnswersForNamePlatformAndSize) {
  EXPECT_EQ(fx.controller->createView("Editor"), nullptr);
  EXPECT_EQ(fx.controller->createView(""), nullptr);
  EXPECT_EQ(fx.controller->createView(nullptr), nullptr);
  IPlugView* view = fx.controller->createView("editor");
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->isPlatformTypeSupported("HWND"), kResultTrue);
  EXPECT_EQ(view->isPlatformTypeSupported("NSView"), kResultFalse);
  EXPECT_EQ(view->isPlatformTypeSupported("X11EmbedWindowID"), kResultFalse);
  ViewRect r{1, 2, 3, 4};
  EXPECT_EQ(view->getSize(&r), kResultOk);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, 640);
  EXPECT_EQ(r.bottom, 480);
  // Another platform type opens no window.
  HWND parent = CreateWindowExA(0, "STATIC", "p", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(view->attached(parent, "NSView"), kResultFalse);
  EXPECT_EQ(FindWindowExA(parent, nullptr, "IFxWndClass", "IFx"), nullptr);
  EXPECT_EQ(view->release(), 0u);
  DestroyWindow(parent);
}

TEST_F(EditorModuleTest, ChildWindowUnderTheHostWindow) {
  OpenEditor();
  HWND child = FindWindowExA(editor.window, nullptr, "IFxWndClass", "IFx");
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(GetParent(child), editor.window);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE)), 0x50000000u);
  RECT r;
  ASSERT_TRUE(GetClientRect(child, &r));
  EXPECT_EQ(r.right - r.left, 640);
  EXPECT_EQ(r.bottom - r.top, 480);
  POINT corner = {0, 0};
  MapWindowPoints(child, editor.window, &corner, 1);
  EXPECT_EQ(corner.x, 0);
  EXPECT_EQ(corner.y, 0);
  // The editor's own timer drives it.
  const int before = editor.ticks;
  editor.Run(3000, 2);
  EXPECT_EQ(editor.ticks, before + 2);
  EXPECT_TRUE(ClassRegistered());
  editor.Close();
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(ClassRegistered());
}

TEST_F(EditorModuleTest, ClassGoesWithTheLastOfTwoEditors) {
  Instance second;
  ASSERT_EQ(second.Create(Factory()), "");
  EditorHost other;
  OpenEditor();
  ASSERT_EQ(other.Open(second.controller, 760, 200), "");
  EXPECT_NE(other.EditorWindow(), nullptr);
  EXPECT_TRUE(ClassRegistered());
  editor.Close();
  EXPECT_TRUE(ClassRegistered());
  other.Run(3000, 2);  // the remaining editor keeps ticking
  EXPECT_EQ(other.ticks, 2);
  other.Close();
  EXPECT_FALSE(ClassRegistered());
  second.Destroy();
}

TEST_F(EditorModuleTest, ViewsOutliveTheHostsReleaseAndTerminate) {
  IPlugView* view = fx.controller->createView("editor");
  ASSERT_NE(view, nullptr);
  // The host lets go of the plug-in entirely; the view still opens and closes the editor.
  fx.Destroy();
  HWND parent = CreateWindowExA(0, "STATIC", "p", WS_POPUP | WS_VISIBLE, 0, 0, 700, 500, nullptr,
                                nullptr, nullptr, nullptr);
  EXPECT_EQ(view->attached(parent, "HWND"), kResultOk);
  EXPECT_NE(FindWindowExA(parent, nullptr, "IFxWndClass", "IFx"), nullptr);
  EXPECT_EQ(view->removed(), kResultOk);
  EXPECT_EQ(FindWindowExA(parent, nullptr, "IFxWndClass", "IFx"), nullptr);
  EXPECT_EQ(view->release(), 0u);
  DestroyWindow(parent);
}

TEST_F(EditorModuleTest, TerminateWithTheEditorOpen) {
  OpenEditor();
  HWND child = editor.EditorWindow();
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(fx.component->terminate(), kResultOk);
  editor.Run(200, 0);  // still painting and ticking
  editor.Close();
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(ClassRegistered());
  // Destroy's terminate comes on top; the plug-in takes it.
}

TEST_F(EditorModuleTest, MiddleClickLeavesNoCapture) {
  OpenEditor();
  MoveTo(20, 460);
  Button(MOUSEEVENTF_MIDDLEDOWN);
  Button(MOUSEEVENTF_MIDDLEUP);
  EXPECT_EQ(GetCapture(), nullptr);
  // A left click after it is an ordinary click, with the capture given back too.
  Button(MOUSEEVENTF_LEFTDOWN);
  Button(MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(EditorModuleTest, UnhandledKeysReachTheHostWindow) {
  OpenEditor();
  MoveTo(4, 476);  // the backdrop only
  vst3host::SendKey(VK_F5, false);
  vst3host::SendKey(VK_F5, true);
  editor.Run(200, 0);
  EXPECT_EQ(editor.keys, (Calls{"down 116", "up 116"}));
}

TEST_F(EditorModuleTest, HostParameterChangeRepaintsWithinTwoTicks) {
  if (!HasLayout()) GTEST_SKIP() << "this build's editor has no layout";
  OpenEditor();
  Capture before, after;
  ASSERT_TRUE(editor.CaptureEditor(before));
  ParameterChanges changes;
  changes.Add(kTopThr, 0, 0.0);  // -48 dB: the knob turns all the way down
  std::vector<float> l(64, 0.0f), r(64, 0.0f);
  void* ch[2] = {l.data(), r.data()};
  ASSERT_EQ(fx.Process(kSample32, ch, ch, 2, 64, &changes), kResultOk);
  // Tick by tick: the knob shows the change after two ticks at the most.
  int changedInKnob = 0;
  for (int tick = 0; tick < 2 && changedInKnob == 0; ++tick) {
    editor.Run(3000, 1);
    ASSERT_TRUE(editor.CaptureEditor(after));
    for (int y = 6; y < 102; ++y)
      for (int x = 445; x < 541; ++x)
        if (before.At(x, y) != after.At(x, y)) ++changedInKnob;
  }
  EXPECT_GT(changedInKnob, 0);
}

TEST_F(EditorModuleTest, ScreenShowsTheBackBufferPixelForPixel) {
  if (!HasLayout()) GTEST_SKIP() << "this build's editor has no layout";
  OpenEditor();
  Capture screen;
  ASSERT_TRUE(editor.CaptureEditor(screen));
  // The same plug-in in the same state (initialised: its parameters announced, so its transfer
  // curve is drawn), painted whole into its back buffer.
  QuibelOmbrelux* linked = NewLinkedPlugin();
  linked->initialize(nullptr);
  IGraphics* g = linked->AttachedGraphics();
  g->RedrawRegion(IBox(0, 0, 640, 480));
  PIX_IBitmap* bb = g->BackBuffer();
  EXPECT_EQ(vst3host::PixelsDiffering(screen, bb), 0);
  linked->terminate();
  linked->release();
}

TEST_F(EditorModuleTest, DragOnTopThresholdIsOneGestureForTheHost) {
  if (!HasLayout()) GTEST_SKIP() << "this build's editor has no layout";
  fx.controller->setComponentHandler(&handler);
  OpenEditor();
  MoveTo(kKnobX, kKnobY);
  Button(MOUSEEVENTF_LEFTDOWN);
  for (int step = 1; step <= 10; ++step) MoveTo(kKnobX, kKnobY - 10 * step);
  Button(MOUSEEVENTF_LEFTUP);
  // 100 pixels over a 96-pixel knob geared by 4 from -19 dB: 29/48 + 100/384, i.e. -6.5 dB.
  EXPECT_NEAR(Normalized(kTopThr), 41.5 / 48.0, 1e-9);
  ASSERT_GE(handler.calls.size(), 3u);
  EXPECT_EQ(handler.calls.front(), "begin 0");
  EXPECT_EQ(handler.calls.back(), "end 0");
  for (size_t i = 1; i + 1 < handler.calls.size(); ++i) {
    EXPECT_EQ(handler.calls[i].rfind("perform 0 ", 0), 0u) << handler.calls[i];
  }
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(EditorModuleTest, WheelNotchMovesTheKnobOneStep) {
  if (!HasLayout()) GTEST_SKIP() << "this build's editor has no layout";
  fx.controller->setComponentHandler(&handler);
  OpenEditor();
  const double before = Normalized(kTopThr);
  MoveTo(kKnobX, kKnobY);
  vst3host::SendWheel(WHEEL_DELTA);
  editor.Run(200, 0);
  EXPECT_NEAR(Normalized(kTopThr), before + 0.01, 1e-12);
}

TEST_F(EditorModuleTest, RightPressOnAKnobAsksForTheHostMenuOnly) {
  if (!HasLayout()) GTEST_SKIP() << "this build's editor has no layout";
  fx.controller->setComponentHandler(&handler);
  OpenEditor();
  MoveTo(kKnobX, kKnobY);
  Button(MOUSEEVENTF_RIGHTDOWN);
  Button(MOUSEEVENTF_RIGHTUP);
  EXPECT_EQ(handler.calls, (Calls{"menu 0", "popup " + std::to_string(kKnobX) + "," + std::to_string(kKnobY)}));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(handler.menus.MenuRefs(), 1u);  // the plug-in gave the menu back
}

TEST_F(EditorModuleTest, ValueTextClickOpensTheFieldAndTypedValueReachesTheHost) {
  if (!HasLayout()) GTEST_SKIP() << "this build's editor has no layout";
  fx.controller->setComponentHandler(&handler);
  // The measured value-text box of the knob, from the same plug-in linked in and painted.
  QuibelOmbrelux* linked = NewLinkedPlugin();
  IGraphics* g = linked->AttachedGraphics();
  g->RedrawRegion(IBox(0, 0, 640, 480));
  IBox box;
  for (int i = 0; i < g->ControlCount(); ++i) {
    auto* knob = dynamic_cast<IKnobMultiControlText*>(g->Control(i));
    if (knob && knob->mBoundParam == kTopThr) box = knob->mTextRect;
  }
  linked->release();
  ASSERT_GT(box.mRight, box.mLeft);

  OpenEditor();
  HWND editorWindow = editor.EditorWindow();
  MoveTo((box.mLeft + box.mRight) / 2, (box.mTop + box.mBottom) / 2);
  Button(MOUSEEVENTF_LEFTDOWN);
  Button(MOUSEEVENTF_LEFTUP);
  HWND field = FindWindowExA(editorWindow, nullptr, "EDIT", nullptr);
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(GetDlgCtrlID(field), 99);
  char text[32] = {};
  GetWindowTextA(field, text, sizeof text);
  EXPECT_STREQ(text, "-19.0");
  EXPECT_NE(GetWindowLongA(field, GWL_STYLE) & ES_CENTER, 0);
  RECT r;
  GetWindowRect(field, &r);
  POINT corner = {r.left, r.top};
  ScreenToClient(editorWindow, &corner);
  EXPECT_EQ(corner.x, box.mLeft);
  EXPECT_EQ(corner.y, box.mTop);
  EXPECT_EQ(r.right - r.left, box.mRight - box.mLeft + 1);
  EXPECT_EQ(r.bottom - r.top, box.mBottom - box.mTop + 1);
  EXPECT_EQ(SendMessageA(field, EM_GETLIMITTEXT, 0, 0), 7);
  DWORD from = 9, to = 9;
  SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 0u);
  EXPECT_EQ(to, 5u);
  EXPECT_EQ(GetFocus(), field);
  // The press that opened it ended its gesture and gave the mouse back.
  EXPECT_EQ(handler.calls, (Calls{"begin 0", "end 0"}));
  EXPECT_EQ(GetCapture(), nullptr);

  for (WORD vk : {WORD('1'), WORD('2'), WORD('A'), WORD(VK_OEM_PERIOD), WORD('5')}) {
    vst3host::SendKey(vk, false);
    vst3host::SendKey(vk, true);
    editor.Run(40, 0);
  }
  editor.Run(300, 0);
  GetWindowTextA(field, text, sizeof text);
  EXPECT_STREQ(text, "12.5");
  vst3host::SendKey(VK_RETURN, false);
  vst3host::SendKey(VK_RETURN, true);
  for (int i = 0; i < 20 && IsWindow(field); ++i) editor.Run(3000, 1);
  EXPECT_FALSE(IsWindow(field));
  // 12.5 dB on the -48..0 dB threshold: 0 dB, normalised 1.0, as one whole change.
  EXPECT_EQ(Normalized(kTopThr), 1.0);
  EXPECT_EQ(handler.calls,
            (Calls{"begin 0", "end 0", "begin 0", "perform 0 1.000000", "end 0"}));
}

}  // namespace qoit
