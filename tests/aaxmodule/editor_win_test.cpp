// The editor in real host windows: the host double hands the module views whose native window is a
// top-level window of its own (on the Xvfb display the test scripts start).
#include <windows.h>

#include "tests/aaxmodule/harness.h"
#include "tools/vst3host/editorwin.h"

namespace aaxtest {
namespace {

const char kHostClass[] = "QAaxHostWindow";

HWND MakeHostWindow(int x, int y) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = kHostClass;
    registered = RegisterClassA(&wc) != 0;
  }
  HWND w = CreateWindowExA(0, kHostClass, "aax host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x, y, 700, 560,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (w) {
    ShowWindow(w, SW_SHOW);
    UpdateWindow(w);
  }
  return w;
}

// Lets the windows paint (messages and the editor's timer) for ms milliseconds.
void Pump(int ms) {
  const DWORD start = GetTickCount();
  while (static_cast<int>(GetTickCount() - start) < ms) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

int Differing(const vst3host::Capture& a, const vst3host::Capture& b) {
  if (a.width != b.width || a.height != b.height) return -1;
  int n = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) n += a.pixels[i] != b.pixels[i];
  return n;
}

using EditorWindowTest = ModuleTest;

TEST_F(EditorWindowTest, OpensInTheHostViewAndReopensWithTheNewValues) {
  Editor editor(&host);
  ASSERT_EQ("", editor.Create(&fx));
  HWND first = MakeHostWindow(0, 0);
  ASSERT_NE(nullptr, first);
  auto open = [&](HWND parent) -> HWND {
    host.fake.viewContainer->nativeView = parent;
    EXPECT_EQ(0, editor.gui->SetViewContainer(host.fake.viewUnknown->Unknown()));
    return FindWindowExA(parent, nullptr, "IFxWndClass", nullptr);
  };
  HWND child = open(first);
  ASSERT_NE(nullptr, child);
  EXPECT_TRUE(IsWindowVisible(child));
  EXPECT_EQ(first, GetParent(child));
  EXPECT_NE(0, GetWindowLongPtrA(child, GWL_STYLE) & WS_CHILD);
  RECT r{};
  ASSERT_TRUE(GetClientRect(child, &r));
  EXPECT_EQ(640, r.right - r.left);
  EXPECT_EQ(480, r.bottom - r.top);
  Pump(300);
  vst3host::Capture before;
  ASSERT_TRUE(vst3host::CaptureWindowClient(child, before));

  EXPECT_EQ(0, editor.gui->SetViewContainer(nullptr));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_EQ(nullptr, FindWindowExA(first, nullptr, "IFxWndClass", nullptr));
  DestroyWindow(first);

  // The host moves the top threshold while no editor is open; the next one shows it.
  ASSERT_EQ(0, fx.params->UpdateParameterNormalizedValue("1", 0.0, 0));
  ASSERT_EQ(0, fx.params->UpdateParameterNormalizedValue("9", 1.0, 0));
  HWND second = MakeHostWindow(0, 0);
  HWND child2 = open(second);
  ASSERT_NE(nullptr, child2);
  EXPECT_TRUE(IsWindowVisible(child2));
  Pump(300);
  vst3host::Capture after;
  ASSERT_TRUE(vst3host::CaptureWindowClient(child2, after));
  EXPECT_GT(Differing(before, after), 100);
  EXPECT_EQ(0, editor.gui->SetViewContainer(nullptr));
  DestroyWindow(second);

  // Without a change in between, a third opening looks as the second did.
  HWND third = MakeHostWindow(0, 0);
  HWND child3 = open(third);
  ASSERT_NE(nullptr, child3);
  Pump(300);
  vst3host::Capture again;
  ASSERT_TRUE(vst3host::CaptureWindowClient(child3, again));
  EXPECT_EQ(0, Differing(after, again));
  EXPECT_EQ(0, editor.gui->SetViewContainer(nullptr));
  DestroyWindow(third);
  editor.Destroy();
}

}  // namespace
}  // namespace aaxtest
