// The value field, pop-up menus, dialogs, clipboard, folders and tooltips of the Windows editor, on
// a real (virtual) display with real windows; typing, keys and the pointer go through SendInput.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "tests/gui/editor_win_fixture.h"

namespace {

void Type(const std::vector<WORD>& keys) {
  for (WORD vk : keys) {
    vst3host::SendKey(vk, false);
    vst3host::SendKey(vk, true);
  }
}

std::string WindowText(HWND w) {
  char buf[256] = {};
  GetWindowTextA(w, buf, sizeof buf);
  return buf;
}

// Opens the value field of the knob (Top Threshold, -19 dB) over area.
HWND OpenField(WinEditor& e, const IBox& area) {
  e.g->OfferValueEditor(e.knob, e.plug.GetParam(kTopThreshold), &area);
  Pump(e.g->mWindow, 60);
  return e.g->mTextField;
}

// Waits until the field is closed (at most two seconds of ticks).
void WaitClosed(WinEditor& e) {
  for (int i = 0; i < 50 && e.g->mTextField; ++i) Pump(e.g->mWindow, 2000, 1);
}

// Finds, in another thread, the first visible top-level window of a class in this process, notes
// its owner and title, and answers it with a command; waits up to limitMs.
struct WindowAnswerer {
  WindowAnswerer(const char* cls, WPARAM command, int limitMs = 30000)
      : thread([=] {
          const DWORD start = GetTickCount();
          while (static_cast<int>(GetTickCount() - start) < limitMs) {
            HWND w = nullptr;
            while ((w = FindWindowExA(nullptr, w, cls, nullptr)) != nullptr) {
              DWORD pid = 0;
              GetWindowThreadProcessId(w, &pid);
              if (pid == GetCurrentProcessId() && IsWindowVisible(w)) break;
            }
            if (w) {
              Sleep(200);
              owner = GetWindow(w, GW_OWNER);
              char t[128] = {};
              GetWindowTextA(w, t, sizeof t);
              title = t;
              found = true;
              PostMessageA(w, WM_COMMAND, command, 0);
              return;
            }
            Sleep(50);
          }
        }) {}
  ~WindowAnswerer() {
    if (thread.joinable()) thread.join();
  }
  void Join() { thread.join(); }
  std::atomic<bool> found{false};
  HWND owner = nullptr;
  std::string title;
  std::thread thread;
};

bool PutClipboardBytes(const void* bytes, size_t size) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  bool ok = true;
  if (bytes) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size);
    void* p = h ? GlobalLock(h) : nullptr;
    if (p) {
      std::memcpy(p, bytes, size);
      GlobalUnlock(h);
      ok = SetClipboardData(CF_UNICODETEXT, h) != nullptr;
    } else {
      ok = false;
    }
  }
  CloseClipboard();
  return ok;
}

bool PutClipboardText(const wchar_t* text) {
  return PutClipboardBytes(text, (std::wcslen(text) + 1) * sizeof(wchar_t));
}

}  // namespace

TEST(TextField, OpensOverTheAreaWithItsTextSelectedAndFocused) {
  WinEditor e;
  ASSERT_NE(e.Open(), nullptr);
  const IBox area(30, 40, 90, 58);
  HWND field = OpenField(e, area);
  ASSERT_NE(field, nullptr);
  char cls[16] = {};
  GetClassNameA(field, cls, sizeof cls);
  EXPECT_STREQ(cls, "Edit") << "class names are case-insensitive; Wine reports it capitalised";
  EXPECT_EQ(GetParent(field), e.g->mWindow);
  EXPECT_EQ(GetDlgCtrlID(field), 99);
  EXPECT_EQ(WindowText(field), "-19.0");
  const LONG style = GetWindowLongA(field, GWL_STYLE);
  const LONG asked = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | ES_MULTILINE | ES_CENTER;
  EXPECT_EQ(style & (asked | ES_RIGHT), asked);
  RECT r;
  GetWindowRect(field, &r);
  POINT corner = {r.left, r.top};
  ScreenToClient(e.g->mWindow, &corner);
  EXPECT_EQ(corner.x, 30);
  EXPECT_EQ(corner.y, 40);
  EXPECT_EQ(r.right - r.left, 61);
  EXPECT_EQ(r.bottom - r.top, 19);
  EXPECT_EQ(SendMessageA(field, EM_GETLIMITTEXT, 0, 0), 7);
  DWORD from = 99, to = 99;
  SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 0u);
  EXPECT_EQ(to, 5u);
  EXPECT_EQ(GetFocus(), field);
  EXPECT_EQ(e.g->mTextFieldState, IGraphicsWin::FieldFocused);
  EXPECT_NE(e.g->mTextFieldFont, nullptr);
  // A second field while one is open is ignored.
  e.g->OfferValueEditor(e.knob, e.plug.GetParam(kTopThreshold), &area);
  EXPECT_EQ(e.g->mTextField, field);
  // Right-aligned styles get ES_RIGHT.
  e.g->CloseEditorWindow();
  ASSERT_NE(e.Open(), nullptr);
  e.knob->mFontSpec.align = 2;
  field = OpenField(e, area);
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(GetWindowLongA(field, GWL_STYLE) & (ES_CENTER | ES_RIGHT), ES_RIGHT);
}

TEST(TextField, TypingFiltersAndLimitsAndEnterCommitsAtTheNextTick) {
  WinEditor e;
  ASSERT_NE(e.Open(), nullptr);
  HWND field = OpenField(e, IBox(30, 40, 90, 58));
  ASSERT_NE(field, nullptr);
  Type({'1', '2', 'A', VK_OEM_PERIOD, '5'});
  Pump(e.g->mWindow, 150);
  EXPECT_EQ(WindowText(field), "12.5");  // the letter swallowed
  Type({'1', '2', '3', '4'});
  Pump(e.g->mWindow, 150);
  EXPECT_EQ(WindowText(field), "12.5123");  // an eighth character is refused
  EXPECT_TRUE(e.Gestures().empty());
  vst3host::SendKey(VK_RETURN, false);
  vst3host::SendKey(VK_RETURN, true);
  WaitClosed(e);
  EXPECT_EQ(e.g->mTextField, nullptr);
  EXPECT_FALSE(IsWindow(field));
  // 12.5123 dB on -48..0 dB: 0 dB, normalised 1.0, as one whole change.
  EXPECT_EQ(e.plug.GetParam(kTopThreshold)->Value(), 0.0);
  EXPECT_EQ(e.Gestures(), (Events{"begin 0", "inform 0", "end 0"}));
  ASSERT_FALSE(e.plug.informed.empty());
  EXPECT_EQ(e.plug.informed.back().second, 1.0);
  EXPECT_EQ(e.knob->mValue, 1.0);
}

TEST(TextField, PointIsSwallowedForIntegerParameters) {
  WinEditor e;
  e.plug.GetParam(kTopThreshold)->SetKind(kParamInteger);
  ASSERT_NE(e.Open(), nullptr);
  HWND field = OpenField(e, IBox(30, 40, 90, 58));
  ASSERT_NE(field, nullptr);
  Type({VK_OEM_MINUS, '3', VK_OEM_PERIOD, '0'});
  Pump(e.g->mWindow, 150);
  EXPECT_EQ(WindowText(field), "-30");
  vst3host::SendKey(VK_RETURN, false);
  vst3host::SendKey(VK_RETURN, true);
  WaitClosed(e);
  EXPECT_EQ(e.plug.GetParam(kTopThreshold)->Value(), -30.0);
}

TEST(TextField, EscapeAndTheWheelDiscard) {
  for (const bool wheel : {false, true}) {
    WinEditor e;
    ASSERT_NE(e.Open(), nullptr);
    HWND field = OpenField(e, IBox(30, 40, 90, 58));
    ASSERT_NE(field, nullptr);
    e.MoveTo(60, 50);
    Type({'5'});
    Pump(e.g->mWindow, 100);
    if (wheel) {
      vst3host::SendWheel(WHEEL_DELTA);
    } else {
      vst3host::SendKey(VK_ESCAPE, false);
      vst3host::SendKey(VK_ESCAPE, true);
    }
    WaitClosed(e);
    EXPECT_FALSE(IsWindow(field)) << (wheel ? "wheel" : "escape");
    EXPECT_EQ(e.plug.GetParam(kTopThreshold)->Value(), -19.0);
    EXPECT_TRUE(e.Gestures().empty());
    EXPECT_EQ(e.g->mTextFieldState, IGraphicsWin::FieldIdle);
  }
}

TEST(TextField, ClickOutsideTheEditorCommits) {
  WinEditor e;
  ASSERT_NE(e.Open(), nullptr);
  HWND field = OpenField(e, IBox(30, 40, 90, 58));
  ASSERT_NE(field, nullptr);
  Type({VK_OEM_MINUS, '2', '4'});
  Pump(e.g->mWindow, 100);
  e.MoveTo(kWidth + 30, 30);  // on the host's window beside the editor
  e.Button(MOUSEEVENTF_LEFTDOWN);
  e.Button(MOUSEEVENTF_LEFTUP);
  WaitClosed(e);
  EXPECT_FALSE(IsWindow(field));
  EXPECT_EQ(e.plug.GetParam(kTopThreshold)->Value(), -24.0);
  EXPECT_EQ(e.Gestures(), (Events{"begin 0", "inform 0", "end 0"}));
}

TEST(TextField, CaptureLostUnderTheFieldEndsThePressedGesture) {
  // The press that opened the field loses the mouse before its release (another window takes it, or
  // the system cancels the mode): its gesture ends then, and the commit is one whole change of its
  // own; every begin has exactly one end.
  for (const bool cancelMode : {false, true}) {
    SCOPED_TRACE(cancelMode ? "WM_CANCELMODE" : "WM_CAPTURECHANGED");
    WinEditor e;
    ASSERT_NE(e.Open(), nullptr);
    e.MoveTo(68, 68);
    e.Button(MOUSEEVENTF_LEFTDOWN);
    ASSERT_EQ(GetCapture(), e.g->mWindow);
    HWND field = OpenField(e, IBox(30, 40, 90, 58));
    ASSERT_NE(field, nullptr);
    if (cancelMode) {
      SendMessageA(e.g->mWindow, WM_CANCELMODE, 0, 0);
    } else {
      SetCapture(e.parent);
    }
    Pump(e.g->mWindow, 60);
    EXPECT_EQ(e.Gestures(), (Events{"begin 0", "end 0"}));
    EXPECT_EQ(e.g->mMouseCapture, -1);
    Type({VK_OEM_MINUS, '2', '4', VK_RETURN});
    WaitClosed(e);
    e.Button(MOUSEEVENTF_LEFTUP);
    ReleaseCapture();
    EXPECT_FALSE(IsWindow(field));
    EXPECT_EQ(e.plug.GetParam(kTopThreshold)->Value(), -24.0);
    EXPECT_EQ(e.Gestures(), (Events{"begin 0", "end 0", "begin 0", "inform 0", "end 0"}));
  }
}

TEST(TextField, PastedWordsAndHugeNumbersNeverReachTheParameter) {
  for (const wchar_t* pasted : {L"nan", L"1e999", L"-inf"}) {
    WinEditor e;
    ASSERT_NE(e.Open(), nullptr);
    HWND field = OpenField(e, IBox(30, 40, 90, 58));
    ASSERT_NE(field, nullptr);
    ASSERT_TRUE(PutClipboardText(pasted));
    // The field's own context-menu Paste goes round the character filter.
    SendMessageA(field, WM_PASTE, 0, 0);
    char typed[16] = {};
    GetWindowTextA(field, typed, sizeof typed);
    vst3host::SendKey(VK_RETURN, false);
    vst3host::SendKey(VK_RETURN, true);
    WaitClosed(e);
    const double v = e.plug.GetParam(kTopThreshold)->Value();
    EXPECT_TRUE(std::isfinite(v)) << typed;
    // No number counts as 0: 0 dB.
    EXPECT_EQ(v, 0.0) << typed;
    for (const auto& inf : e.plug.informed) EXPECT_TRUE(std::isfinite(inf.second));
  }
}

TEST(TextField, ClosingTheEditorWithTheFieldOpenAppliesNothing) {
  WinEditor e;
  ASSERT_NE(e.Open(), nullptr);
  HWND field = OpenField(e, IBox(30, 40, 90, 58));
  ASSERT_NE(field, nullptr);
  HFONT font = e.g->mTextFieldFont;
  ASSERT_NE(font, nullptr);
  Type({'5'});
  Pump(e.g->mWindow, 100);
  e.g->CloseEditorWindow();
  EXPECT_FALSE(IsWindow(field));
  EXPECT_EQ(GetObjectType(font), 0u);  // released after its field
  EXPECT_EQ(e.g->mTextField, nullptr);
  EXPECT_EQ(e.g->mTextFieldControl, nullptr);
  EXPECT_EQ(e.g->mTextFieldParam, nullptr);
  EXPECT_EQ(e.g->mOriginalEditProc, nullptr);
  EXPECT_EQ(e.g->mTextFieldFont, nullptr);
  EXPECT_EQ(e.g->mTextFieldState, IGraphicsWin::FieldIdle);
  EXPECT_EQ(e.plug.GetParam(kTopThreshold)->Value(), -19.0);
  EXPECT_TRUE(e.Gestures().empty());
}

TEST(TextField, FreeTextFieldWantsEnterAndTakesANullDialogMessage) {
  WinEditor e;
  ASSERT_NE(e.Open(), nullptr);
  const IBox area(130, 20, 190, 40);
  e.g->OpenTextField(e.pad, &e.pad->mFontSpec, &area, "free", nullptr);
  HWND field = e.g->mTextField;
  ASSERT_NE(field, nullptr);
  SendMessageA(field, WM_GETDLGCODE, 0, 0);  // no message to look at
  EXPECT_EQ(e.g->mTextField, field);
  MSG enter = {};
  enter.hwnd = field;
  enter.message = WM_KEYDOWN;
  enter.wParam = VK_RETURN;
  EXPECT_NE(SendMessageA(field, WM_GETDLGCODE, 0, reinterpret_cast<LPARAM>(&enter)) & DLGC_WANTALLKEYS, 0);
  // Without a parameter every character goes in.
  Type({'A'});
  Pump(e.g->mWindow, 100);
  EXPECT_EQ(WindowText(field), "a");
}

// ---- pop-up menus

namespace {

// Three items, a two-item sub-menu on the second.
struct TestMenu {
  TestMenu() {
    sub = new IChoiceMenu;
    sub->AddItem("sub one");
    sub->AddItem("sub two");
    menu.AddItem("one");
    menu.AddItem("two", sub);
    menu.AddItem("three", nullptr, IChoiceMenuItem::kGreyed | IChoiceMenuItem::kChecked);
  }
  IChoiceMenu menu;
  IChoiceMenu* sub;
};

// Sends keys once the menu window is up.
std::thread KeysIntoMenu(std::vector<WORD> keys) {
  return std::thread([keys] {
    for (int i = 0; i < 600; ++i) {
      HWND m = FindWindowA("#32768", nullptr);
      if (m && IsWindowVisible(m)) break;
      Sleep(50);
    }
    Sleep(300);
    for (WORD vk : keys) {
      vst3host::SendKey(vk, false);
      vst3host::SendKey(vk, true);
      Sleep(150);
    }
  });
}

}  // namespace

TEST(PopupMenu, NativeMenuNumbersItemsParentFirstWithPrefixAndFlags) {
  TestMenu t;
  t.menu.mPrefixStyle = 2;
  int next = 0;
  HMENU h = IGraphicsWin::BuildNativeMenu(&t.menu, &next);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(next, 5);
  EXPECT_EQ(GetMenuItemCount(h), 3);
  EXPECT_EQ(GetMenuItemID(h, 0), 0u);
  EXPECT_EQ(GetMenuItemID(h, 2), 2u);
  HMENU sub = GetSubMenu(h, 1);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(GetMenuItemID(sub, 0), 3u);
  EXPECT_EQ(GetMenuItemID(sub, 1), 4u);
  char text[64] = {};
  GetMenuStringA(h, 2, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "03: three");
  GetMenuStringA(h, 1, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "02: two");
  GetMenuStringA(sub, 1, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "sub two");  // the sub-menu's own style: none
  const UINT state = GetMenuState(h, 2, MF_BYPOSITION);
  EXPECT_NE(state & MF_GRAYED, 0u);
  EXPECT_NE(state & MF_CHECKED, 0u);
  DestroyMenu(h);

  IChoiceMenu withSeparator;
  withSeparator.AddItem("a");
  withSeparator.AddItem("", nullptr, IChoiceMenuItem::kSeparator);
  next = 10;
  h = IGraphicsWin::BuildNativeMenu(&withSeparator, &next);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GetMenuItemID(h, 0), 10u);
  EXPECT_NE(GetMenuState(h, 1, MF_BYPOSITION) & MF_SEPARATOR, 0u);
  DestroyMenu(h);
}

TEST(PopupMenu, IdsOfALaterSubMenuLeadBackToItPastASeparatorsSubMenu) {
  // "a", a separator that carries a sub-menu (not shown), "c" with a sub-menu: ids top 0-2, the
  // separator's sub-menu 3-4, c's sub-menu 5-6, as FindChosenMenuItem counts them.
  IChoiceMenu top;
  IChoiceMenu* hidden = new IChoiceMenu;
  hidden->AddItem("h1");
  hidden->AddItem("h2");
  IChoiceMenu* later = new IChoiceMenu;
  later->AddItem("c1");
  later->AddItem("c2");
  top.AddItem("a");
  top.AddItem("", hidden, IChoiceMenuItem::kSeparator);
  top.AddItem("c", later);
  int next = 0;
  HMENU h = IGraphicsWin::BuildNativeMenu(&top, &next);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(next, 7);
  HMENU sub = GetSubMenu(h, 2);
  ASSERT_NE(sub, nullptr);
  for (int i = 0; i < 2; ++i) {
    const UINT id = GetMenuItemID(sub, i);
    EXPECT_EQ(id, 5u + i);
    int index = -1;
    EXPECT_EQ(FindChosenMenuItem(static_cast<int>(id), &top, 0, &index), later) << i;
    EXPECT_EQ(index, i);
  }
  DestroyMenu(h);
}

TEST(PopupMenu, ChoosingTheSubMenusSecondItemYieldsTheSubMenuAndEscapeNone) {
  WinEditor e;
  ASSERT_NE(e.Open(), nullptr);
  e.MoveTo(10, 10);
  const IBox area(20, 20, 80, 40);
  {
    TestMenu t;
    std::thread keys = KeysIntoMenu({VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN});
    IChoiceMenu* chosen = e.g->RunPopupMenu(&t.menu, &area);
    keys.join();
    EXPECT_EQ(chosen, t.sub);
    EXPECT_EQ(t.sub->mChosenIndex, 1);
    EXPECT_EQ(t.menu.mChosenIndex, -1);
    EXPECT_EQ(e.g->mMouseCapture, -1);
  }
  {
    TestMenu t;
    std::thread keys = KeysIntoMenu({VK_ESCAPE});
    EXPECT_EQ(e.g->RunPopupMenu(&t.menu, &area), nullptr);
    keys.join();
    EXPECT_EQ(t.menu.mChosenIndex, -1);
    EXPECT_EQ(t.sub->mChosenIndex, -1);
  }
  Pump(e.g->mWindow, 100);
}

namespace {

// A control that opens its parameter's value editor on a press, as a knob's value text does.
class EditorOnPress : public RecordingControl {
 public:
  using RecordingControl::RecordingControl;
  void MousePressed(int, int, const IMouseState*) override { OpenValueEditor(); }
};

}  // namespace

TEST(PopupMenu, PressOnAChoiceParameterOpensItsValueTextsAndTheChoiceReachesTheHost) {
  WinEditor e;
  IFxSetting* mode = e.plug.GetParam(kRelease);
  mode->SetKind(kParamChoice);
  mode->InitContinuous("Mode", 1.0, 0.0, 2.0, 1.0);
  mode->AddValueText(0, "Off");
  mode->AddValueText(1, "Soft");
  mode->AddValueText(2, "Hard");
  mode->SetValue(1.0);
  EditorOnPress* c = new EditorOnPress(&e.plug, IBox(20, 120, 60, 140), kRelease);
  c->mValueEditorDisabled = false;
  c->mValue = 0.5;
  e.g->AddControl(c);
  ASSERT_NE(e.Open(), nullptr);
  e.MoveTo(40, 130);
  std::thread keys = KeysIntoMenu({VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
  vst3host::SendButton(MOUSEEVENTF_LEFTDOWN);
  vst3host::SendButton(MOUSEEVENTF_LEFTUP);
  for (int i = 0; i < 100 && mode->Value() != 2.0; ++i) Pump(e.g->mWindow, 100);
  keys.join();
  EXPECT_EQ(mode->Value(), 2.0);  // "Hard"
  EXPECT_EQ(c->mValue, 1.0);
  const std::string k = std::to_string(kRelease);
  // The press's own gesture ends when the menu takes the mouse; the choice is one whole change.
  EXPECT_EQ(e.Gestures(), (Events{"begin " + k, "end " + k, "begin " + k, "inform " + k, "end " + k}));
  EXPECT_EQ(GetCapture(), nullptr);
}

// ---- clipboard

TEST(Clipboard, TextComesAsUtf8WithinTheDataSize) {
  WinEditor e;
  HeapString out;
  ASSERT_TRUE(PutClipboardText(L"h\u00e9llo \u20ac"));
  ASSERT_TRUE(e.g->ReadClipboardText(&out));
  const unsigned char expected[] = {0x68, 0xC3, 0xA9, 0x6C, 0x6C, 0x6F, 0x20, 0xE2, 0x82, 0xAC};
  ASSERT_EQ(out.Length(), static_cast<int>(sizeof expected));
  EXPECT_EQ(std::memcmp(out.Text(), expected, sizeof expected), 0);

  // Data without a terminator is read within its size (Wine's clipboard itself may end such data
  // in its last unit).
  const wchar_t unterminated[6] = {L'A', L'B', L'C', L'D', L'E', L'Z'};
  ASSERT_TRUE(PutClipboardBytes(unterminated, 5 * sizeof(wchar_t)));
  ASSERT_TRUE(e.g->ReadClipboardText(&out));
  EXPECT_TRUE(std::string(out.Text()) == "ABCDE" || std::string(out.Text()) == "ABCD") << out.Text();
  // The conversion itself stops at the block's end.
  ASSERT_TRUE(IGraphicsWin::Utf16BlockToUtf8(unterminated, 5, &out));
  EXPECT_STREQ(out.Text(), "ABCDE");
  ASSERT_TRUE(IGraphicsWin::Utf16BlockToUtf8(unterminated, 0, &out));
  EXPECT_STREQ(out.Text(), "");

  // No text on the clipboard.
  out.Set("old");
  ASSERT_TRUE(PutClipboardBytes(nullptr, 0));
  EXPECT_FALSE(e.g->ReadClipboardText(&out));
  EXPECT_STREQ(out.Text(), "");
}

// ---- tooltips

TEST(Tooltip, WindowIsTopmostAndHoverShowsTheControlsTip) {
  WinEditor e;
  e.g->mTooltipsEnabled = true;
  e.g->mTrackPointer = true;
  e.pad->mTooltip = "Pad tip";
  ASSERT_NE(e.Open(), nullptr);
  HWND tip = e.g->mTooltipWindow;
  ASSERT_NE(tip, nullptr);
  EXPECT_TRUE(e.g->mTooltipsEnabled);
  char cls[32] = {};
  GetClassNameA(tip, cls, sizeof cls);
  EXPECT_STREQ(cls, "tooltips_class32");
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(tip, GWL_STYLE)) & 0x80000003u, 0x80000003u);
  EXPECT_NE(GetWindowLongA(tip, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_EQ(GetWindow(tip, GW_OWNER), GetAncestor(e.g->mWindow, GA_ROOT));  // owners are top-level

  auto tipText = [&] {
    char buf[80] = {};
    TOOLINFOA ti = {};
    ti.cbSize = TTTOOLINFOA_V1_SIZE;
    ti.hwnd = e.g->mWindow;
    ti.uId = reinterpret_cast<UINT_PTR>(e.g->mWindow);
    ti.lpszText = buf;
    SendMessageA(tip, TTM_GETTEXTA, sizeof buf, reinterpret_cast<LPARAM>(&ti));
    return std::string(buf);
  };
  e.g->UpdateHoverHint("Top Threshold");
  EXPECT_EQ(tipText(), "Top Threshold");
  e.g->UpdateHoverHint(nullptr);
  EXPECT_EQ(tipText(), "");

  // The pointer resting on the pad: its tip.
  e.MoveTo(150, 50);
  e.MoveTo(152, 51);
  for (int i = 0; i < 40 && !e.g->mTooltipShown; ++i) Pump(e.g->mWindow, 100);
  EXPECT_TRUE(e.g->mTooltipShown);
  EXPECT_EQ(tipText(), "Pad tip");
  // A press hides it.
  e.Button(MOUSEEVENTF_LEFTDOWN);
  e.Button(MOUSEEVENTF_LEFTUP);
  EXPECT_FALSE(e.g->mTooltipShown);
  EXPECT_EQ(tipText(), "");
  e.g->CloseEditorWindow();
  EXPECT_FALSE(IsWindow(tip));
}

// ---- dialogs and message boxes

TEST(Dialogs, FileDialogsOpenAndCancelWithTheirStructureSize) {
  // The dialog's structure is 152 bytes on x86-64 and 88 on x86; a wrong size is refused at once.
  EXPECT_EQ(sizeof(OPENFILENAMEA), sizeof(void*) == 8 ? 152u : 88u);
  WinEditor e;
  HeapString file, folder;
  file.Set("preset.fxp");
  e.g->AskForFile(&file, false, &folder, "fxp fxb");  // no window: nothing
  EXPECT_STREQ(file.Text(), "");
  ASSERT_NE(e.Open(), nullptr);
  for (const bool save : {false, true}) {
    file.Set("preset.fxp");
    folder.Set("C:\\");
    WindowAnswerer cancel("#32770", IDCANCEL);
    e.g->AskForFile(&file, save, &folder, "fxp fxb");
    const DWORD error = CommDlgExtendedError();
    cancel.Join();
    EXPECT_TRUE(cancel.found) << (save ? "save" : "open") << ": no dialog appeared";
    EXPECT_EQ(cancel.owner, GetAncestor(e.g->mWindow, GA_ROOT));  // owned by the top-level window
    EXPECT_EQ(error, 0u) << "dialog refused (structure size?)";
    EXPECT_STREQ(file.Text(), "");
    EXPECT_STREQ(folder.Text(), "C:\\");
  }
}

TEST(Dialogs, ColourDialogShowsThePromptAndCancelLeavesTheColour) {
  WinEditor e;
  IArgb colour(200, 10, 20, 30);
  EXPECT_FALSE(e.g->AskForColour(&colour, "Pick"));  // no window
  ASSERT_NE(e.Open(), nullptr);
  WindowAnswerer cancel("#32770", IDCANCEL);
  EXPECT_FALSE(e.g->AskForColour(&colour, "Knob colour"));
  const DWORD error = CommDlgExtendedError();
  cancel.Join();
  EXPECT_TRUE(cancel.found);
  EXPECT_EQ(cancel.title, "Knob colour");
  EXPECT_EQ(cancel.owner, GetAncestor(e.g->mWindow, GA_ROOT));  // owned by the top-level window
  EXPECT_EQ(error, 0u);
  EXPECT_EQ(colour.A, 200);
  EXPECT_EQ(colour.R, 10);
  EXPECT_EQ(colour.G, 20);
  EXPECT_EQ(colour.B, 30);
  ASSERT_NE(e.g->mCustomColours, nullptr);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(e.g->mCustomColours[i], 0u);
}

TEST(Dialogs, AlertOwnerIsTheTopOfTheParentChainThenFoundByItsClass) {
  HWND host = SharedParent();
  HWND container = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, kWidth, kHeight,
                                   host, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(container, nullptr);
  {
    WinEditor e(container);
    ASSERT_NE(e.Open(), nullptr);
    WindowAnswerer ok("#32770", IDOK);
    EXPECT_EQ(e.g->ShowAlert("Saved.", "Preset", MB_OK), IDOK);
    ok.Join();
    EXPECT_TRUE(ok.found);
    EXPECT_EQ(ok.owner, host);
    EXPECT_EQ(e.g->mAlertOwner, host);
    EXPECT_STREQ(e.g->mOwnerClassName.Text(), "EditorTestParent");
  }  // destroys the container
  // Without a parent window, a remembered class name finds the owner among this process's windows.
  WinEditor other;
  other.g->mOwnerClassName.Set("EditorTestParent");
  WindowAnswerer ok("#32770", IDOK);
  EXPECT_EQ(other.g->ShowAlert("Hello", "Note", MB_OK), IDOK);
  ok.Join();
  EXPECT_EQ(other.g->mAlertOwner, host);
  EXPECT_EQ(other.g->mProcessId, static_cast<int>(GetCurrentProcessId()));
  EXPECT_EQ(ok.owner, host);
}

TEST(Dialogs, WebLinkNeedsAYesToItsConfirmation) {
  WinEditor e;
  ASSERT_NE(e.Open(), nullptr);
  WindowAnswerer no("#32770", IDNO);
  EXPECT_FALSE(e.g->OpenWebLink("http://localhost/", "Link", "Open the page?", nullptr));
  no.Join();
  EXPECT_TRUE(no.found);
  EXPECT_EQ(no.owner, GetAncestor(e.g->mWindow, GA_ROOT));
}

// ---- folders

TEST(Folders, ModuleAndHostFoldersEndWithTheirBackslash) {
  WinEditor e;
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string expected(path);
  expected.erase(expected.rfind('\\') + 1);
  HeapString out;
  e.g->HostExeFolder(&out);
  EXPECT_EQ(std::string(out.Text()), expected);
  e.g->ModuleFolder(&out);  // the test program is the module here
  EXPECT_EQ(std::string(out.Text()), expected);
  e.g->DesktopFolder(&out);
  EXPECT_GT(out.Length(), 3);
  HeapString local, common;
  e.g->AppDataFolder(&local, false);
  e.g->AppDataFolder(&common, true);
  EXPECT_GT(local.Length(), 3);
  EXPECT_GT(common.Length(), 3);
  EXPECT_STRNE(local.Text(), common.Text());
  e.g->UserAppDataFolder(&out);
  EXPECT_STREQ(out.Text(), local.Text());
}
