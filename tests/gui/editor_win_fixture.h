// The editor window test fixture shared by the Windows GUI tests: a host window, message pumping
// that counts the editor's timer ticks, and one editor with a backdrop, a knob bound to "Top
// Threshold" and a recording control, driven by real input through SendInput.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "fx/igraphicswin.h"
#include "tests/gui/gui_harness.h"
#include "tools/vst3host/editorwin.h"

using namespace guitest;
using namespace fxtest;

// Shared by every test file of the program (one host window class, one host window).
namespace wintest {

using Events = std::vector<std::string>;

inline std::string Last(const Events& events) { return events.empty() ? "(none)" : events.back(); }

constexpr int kWidth = 200;
constexpr int kHeight = 150;
constexpr uint32_t kBackColour = 0xFF203040u;

// The test plug-in (a VST3 one) that also records the host menu requests.
class MenuPlugin : public TestPlugin {
 public:
  void ShowHostParamMenu(int paramIdx, int x, int y) override {
    events.push_back("menu " + std::to_string(paramIdx) + " at " + std::to_string(x) + "," +
                     std::to_string(y));
  }
};

// Host-side window that records the keys passed on to it.
inline std::vector<std::string>* gHostKeys = nullptr;
inline LRESULT CALLBACK ParentProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if ((m == WM_KEYDOWN || m == WM_KEYUP) && gHostKeys) {
    gHostKeys->push_back((m == WM_KEYDOWN ? "down " : "up ") + std::to_string(wp));
    return 0;
  }
  // A press on the host's own window takes the keyboard focus, as a host's window does.
  if (m == WM_LBUTTONDOWN) SetFocus(w);
  return DefWindowProcA(w, m, wp, lp);
}

inline HWND MakeParent(int x, int y) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "EditorTestParent";
    registered = RegisterClassA(&wc) != 0;
  }
  HWND w = CreateWindowExA(0, "EditorTestParent", "parent", WS_POPUP | WS_VISIBLE, x, y, kWidth + 60,
                           kHeight + 60, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  SetForegroundWindow(w);
  return w;
}

// One host window for most tests: under Wine on a display without a window manager, destroying a
// top-level window waits for the display for a while.
inline HWND SharedParent() {
  static HWND shared = MakeParent(300, 200);
  return shared;
}

inline bool ClassRegistered() {
  WNDCLASSA wc;
  return GetClassInfoA(GetModuleHandleA(nullptr), "IFxWndClass", &wc) != 0;
}

// Pumps this thread's messages for ms milliseconds, or until the editor's timer has ticked `ticks`
// times when ticks > 0; returns the ticks seen.
inline int Pump(HWND editor, int ms, int ticks = 0) {
  const DWORD start = GetTickCount();
  int seen = 0;
  while (static_cast<int>(GetTickCount() - start) < ms && (ticks <= 0 || seen < ticks)) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_TIMER && msg.hwnd == editor && msg.wParam == 2) ++seen;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
      if (ticks > 0 && seen >= ticks) break;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
  }
  return seen;
}

// One editor of kWidth x kHeight: a backdrop, a 96-pixel knob bound to "Top Threshold" at (20, 20),
// and a recording control at (130, 20)-(190, 80) that takes keys.
struct WinEditor {
  explicit WinEditor(HWND parentWindow = nullptr) {
    g = new IGraphicsWin(&plug, kWidth, kHeight, 0);
    g->mModuleInstance = GetModuleHandleA(nullptr);
    back = new RecordingControl(&plug, IBox(0, 0, kWidth, kHeight));
    back->draw = [](IGraphics* gr) {
      return gr->FillArea(IArgb(255, 0x20, 0x30, 0x40), IBox(0, 0, kWidth, kHeight), nullptr);
    };
    g->AddControl(back);
    strip = MakeStrip(96, 96, 61);
    ISkinImage skin;
    skin.image = strip;
    skin.width = 96;
    skin.height = 96 * 61;
    skin.frameCount = 61;
    knob = new IKnobMultiControl(&plug, IBox(20, 20, 116, 116), kTopThreshold, skin);
    knob->mDragScale = 4.0;
    g->AddControl(knob);
    pad = new RecordingControl(&plug, IBox(130, 20, 190, 80));
    g->AddControl(pad);
    plug.ConnectGraphics(g);
    plug.events.clear();
    parent = parentWindow ? parentWindow : SharedParent();
    SetForegroundWindow(parent);
    gHostKeys = &hostKeys;
  }
  ~WinEditor() {
    g->CloseEditorWindow();
    if (parent && parent != SharedParent()) DestroyWindow(parent);
    gHostKeys = nullptr;
    delete strip;
  }
  HWND Open() {
    HWND w = static_cast<HWND>(g->OpenEditorWindow(parent));
    Pump(w, 2000, 2);
    return w;
  }
  // Screen position of an editor point.
  POINT Screen(int x, int y) const {
    POINT p = {x, y};
    ClientToScreen(g->mWindow, &p);
    return p;
  }
  void MoveTo(int x, int y) {
    const POINT p = Screen(x, y);
    vst3host::SendPointerTo(p.x, p.y);
    Pump(g->mWindow, 60);
  }
  void Button(DWORD flag) {
    vst3host::SendButton(flag);
    Pump(g->mWindow, 60);
  }
  // The host gesture calls only (begin, inform, end), in order.
  Events Gestures() const {
    Events out;
    for (const std::string& e : plug.events) {
      if (e.rfind("begin", 0) == 0 || e.rfind("inform", 0) == 0 || e.rfind("end", 0) == 0 ||
          e.rfind("menu", 0) == 0) {
        out.push_back(e);
      }
    }
    return out;
  }

  MenuPlugin plug;
  IGraphicsWin* g = nullptr;  // owned by plug
  RecordingControl* back = nullptr;
  IKnobMultiControl* knob = nullptr;
  RecordingControl* pad = nullptr;
  PIX_MemBitmap* strip = nullptr;
  HWND parent = nullptr;
  std::vector<std::string> hostKeys;
};

}  // namespace wintest

using namespace wintest;
