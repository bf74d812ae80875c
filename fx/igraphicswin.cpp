// The editor window on Windows: window class and child window, timer-driven painting from the back
// buffer, mouse, wheel and key translation, re-opening and resizing, and skin images from the
// module's resources.
#include "fx/igraphicswin.h"

#include <commctrl.h>

#include <cassert>
#include <cstring>

#include "fx/ifxbase.h"
#include "fx/module.h"
#include "raster/pixpng.h"

namespace {

const char kClassName[] = "IFxWndClass";
const char kWindowTitle[] = "IFx";

// Module-wide, written on user-interface threads only: the number of editor windows and the frame
// rate the next window's timer runs at.
int gWindowCount = 0;
double gFrameRate = 25.0;
// Whether the class is registered now. It can outlive the count when a window was destroyed by its
// parent (the class cannot be unregistered while that window still exists); the next registration
// then retries.
bool gClassRegistered = false;
HINSTANCE gClassInstance = nullptr;

void RegisterEditorClass(HINSTANCE instance) {
  if (gClassRegistered) {
    UnregisterClassA(kClassName, gClassInstance);
    gClassRegistered = false;
  }
  WNDCLASSA wc;
  std::memset(&wc, 0, sizeof wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = IGraphicsWin::EditorWindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszClassName = kClassName;
  if (RegisterClassA(&wc) != 0) {
    gClassRegistered = true;
    gClassInstance = instance;
  }
}

void UnregisterEditorClass() {
  if (gClassRegistered && UnregisterClassA(kClassName, gClassInstance)) gClassRegistered = false;
}

// One fewer editor window; the last one takes the class with it.
void WindowCountDown() {
  if (gWindowCount > 0 && --gWindowCount == 0) UnregisterEditorClass();
}

IMouseState MouseStateOf(WPARAM wParam) {
  IMouseState s;
  s.left = (wParam & MK_LBUTTON) != 0;
  s.right = (wParam & MK_RBUTTON) != 0;
  s.shift = (wParam & MK_SHIFT) != 0;
  s.control = (wParam & MK_CONTROL) != 0;
  s.alt = GetKeyState(VK_MENU) < 0;
  return s;
}

int LowX(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
int HighY(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

// The key code HandleKey gets for a virtual key, or -1 for keys without one.
int KeyCodeOf(WPARAM vk) {
  if (vk == 32) return 0;
  if (vk == 38) return 1;
  if (vk == 40) return 2;
  if (vk == 37) return 3;
  if (vk == 39) return 4;
  if (vk >= 48 && vk <= 57) return static_cast<int>(vk) - 48 + 5;
  if (vk >= 65 && vk <= 90) return static_cast<int>(vk) - 65 + 15;
  if (vk >= 97 && vk <= 122) return static_cast<int>(vk) - 82;
  return -1;
}

// Keys the editor does not take go to the top-level window that holds it (the host's), never back
// to the editor itself when it has no parent of its own.
void PassKeyOn(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND root = GetAncestor(window, GA_ROOT);
  if (root && root != window) SendMessageA(root, message, wParam, lParam);
}

// A window and everything above it grows by (dw, dh) without moving.
void GrowWindow(HWND window, int dw, int dh) {
  RECT r;
  if (!GetWindowRect(window, &r)) return;
  SetWindowPos(window, nullptr, 0, 0, r.right - r.left + dw, r.bottom - r.top + dh,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool IsPlainChild(HWND window) {
  const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
  const LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
  return (style & WS_CHILD) != 0 && (exStyle & WS_EX_MDICHILD) == 0;
}

}  // namespace

IGraphicsWin::IGraphicsWin(IFxBase* plug, int width, int height, int fps)
    : IGraphics(plug, width, height, fps) {}

IGraphicsWin::~IGraphicsWin() {
  // The plug-in is being destroyed around us: a press still held is dropped without telling it.
  mMouseCapture = -1;
  mGestureParam = -1;
  CloseEditorWindow();
  delete[] mCustomColours;
  mCustomColours = nullptr;
}

int IGraphicsWin::OpenWindowCount() { return gWindowCount; }

// ---------------------------------------------------------------------------------------------
// Opening and closing

void* IGraphicsWin::OpenEditorWindow(void* parentHandle) {
  HWND parent = static_cast<HWND>(parentHandle);
  mParentWindow = parent;
  int x = 0, y = 0, w = mWidth, h = mHeight;
  if (mWindow) {
    // Re-opening keeps the window where it was inside its parent's client area, at its size.
    RECT r;
    if (GetWindowRect(mWindow, &r)) {
      POINT corner = {r.left, r.top};
      HWND oldParent = GetParent(mWindow);
      if (oldParent) ScreenToClient(oldParent, &corner);
      x = corner.x;
      y = corner.y;
      w = r.right - r.left;
      h = r.bottom - r.top;
    }
    CloseEditorWindow();
  }

  if (gWindowCount++ == 0) RegisterEditorClass(mModuleInstance);
  gFrameRate = mFps;
  mWindow = CreateWindowExA(0, kClassName, kWindowTitle, WS_CHILD | WS_VISIBLE, x, y, w, h, parent,
                            nullptr, mModuleInstance, this);
  if (!mWindow) WindowCountDown();
  if (mWindow || gWindowCount > 0) MarkAllControlsChanged();

  if (mWindow && mTooltipsEnabled) CreateTooltipWindow();
  return mWindow;
}

void IGraphicsWin::CreateTooltipWindow() {
  INITCOMMONCONTROLSEX icc;
  icc.dwSize = sizeof icc;
  icc.dwICC = ICC_TAB_CLASSES;
  if (!InitCommonControlsEx(&icc)) {
    mTooltipsEnabled = false;
    return;
  }
  mTooltipWindow = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                   mWindow, nullptr, mModuleInstance, nullptr);
  if (!mTooltipWindow) {
    mTooltipsEnabled = false;
    return;
  }
  SetWindowPos(mTooltipWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  TOOLINFOA ti;
  std::memset(&ti, 0, sizeof ti);
  ti.cbSize = TTTOOLINFOA_V1_SIZE;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = mWindow;
  ti.uId = reinterpret_cast<UINT_PTR>(mWindow);
  ti.lpszText = nullptr;
  SendMessageA(mTooltipWindow, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

void IGraphicsWin::CloseEditorWindow() {
  if (!mWindow) return;
  // A press still held when the window goes ends here, so the host's gesture is closed.
  CaptureLost();
  if (mTooltipWindow) {
    DestroyWindow(mTooltipWindow);
    mTooltipWindow = nullptr;
  }
  mTooltipShown = false;
  mTooltipIndex = -1;
  CloseTextField(false);
  // Forgotten before the destruction, so the messages it sends are no longer taken as ours.
  HWND window = mWindow;
  mWindow = nullptr;
  DestroyWindow(window);
  WindowCountDown();
}

void IGraphicsWin::WindowGone() {
  // The tooltip (owned) and the text field (a child) go with the window.
  mWindow = nullptr;
  mTooltipWindow = nullptr;
  mTooltipShown = false;
  mTooltipIndex = -1;
  mTextField = nullptr;
  if (mTextFieldFont) DeleteObject(mTextFieldFont);  // its field went with the window
  mTextFieldFont = nullptr;
  mTextFieldControl = nullptr;
  mTextFieldParam = nullptr;
  mOriginalEditProc = nullptr;
  mTextFieldState = FieldIdle;
  CaptureLost();
  WindowCountDown();
}

void IGraphicsWin::CloseTextField(bool apply) {
  if (!mTextField) return;
  char text[32];
  text[0] = '\0';
  if (apply) {
    // At most 31 characters and the terminator, whatever the field holds.
    SendMessageA(mTextField, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    text[sizeof text - 1] = '\0';
  }
  IControl* control = mTextFieldControl;
  IFxSetting* param = mTextFieldParam;
  // The field gets its own procedure back and goes before its font, which it still draws with.
  if (mOriginalEditProc) {
    SetWindowLongPtrA(mTextField, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mOriginalEditProc));
  }
  DestroyWindow(mTextField);
  if (mTextFieldFont) DeleteObject(mTextFieldFont);
  mTextFieldFont = nullptr;
  mTextField = nullptr;
  mTextFieldParam = nullptr;
  mTextFieldControl = nullptr;
  mOriginalEditProc = nullptr;
  mTextFieldState = FieldIdle;
  // Applied once the field is gone, so that whatever the plug-in and host do meanwhile meets no
  // half-closed field.
  if (apply) ApplyEnteredText(control, param, text);
}

// ---------------------------------------------------------------------------------------------
// Painting, resources, size, pointer

bool IGraphicsWin::PresentToWindow(const IBox& area) {
  if (!mWindow) return false;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(mWindow, &ps);
  HDC source = mBackBuffer ? static_cast<HDC>(mBackBuffer->DeviceContext()) : nullptr;
  if (dc && source) {
    BitBlt(dc, area.mLeft, area.mTop, area.Width(), area.Height(), source, area.mLeft, area.mTop,
           SRCCOPY);
  }
  EndPaint(mWindow, &ps);
  return true;
}

PIX_IBitmap* IGraphicsWin::DecodeSkinResource(int resourceId, const char* fileName) {
  if (!fileName) return nullptr;
  const char* dot = std::strrchr(fileName, '.');
  if (!dot || lstrcmpiA(dot + 1, "png") != 0) return nullptr;
  HRSRC found = FindResourceA(mModuleInstance, MAKEINTRESOURCEA(resourceId & 0xFFFF), "PNG");
  if (!found) return nullptr;
  const DWORD size = SizeofResource(mModuleInstance, found);
  if (size <= 7 || size > 0x7FFFFFFF) return nullptr;
  HGLOBAL loaded = LoadResource(mModuleInstance, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return nullptr;
  return PIX_ReadPngBytes(bytes, static_cast<int>(size));
}

void IGraphicsWin::SetEditorSize(int width, int height) {
  if (width == mWidth && height == mHeight) return;
  const int dw = width - mWidth;
  const int dh = height - mHeight;
  // The controls are about to be deleted: an open field must not apply to one of them later.
  CloseTextField(false);
  IGraphics::SetEditorSize(width, height);
  if (!mWindow) return;
  GrowWindow(mWindow, dw, dh);
  // Hosts of these formats size the windows around the editor themselves.
  const int format = mPlug ? mPlug->WrapperFormat() : -1;
  if (format != kFormatVst3 && format != 3 && IsPlainChild(mWindow)) {
    HWND parent = GetParent(mWindow);
    if (parent) {
      GrowWindow(parent, dw, dh);
      if (IsPlainChild(parent)) {
        HWND grand = GetParent(parent);
        if (grand) GrowWindow(grand, dw, dh);
      }
    }
  }
  InvalidateRect(mWindow, nullptr, FALSE);
}

void IGraphicsWin::HidePointer() {
  if (mPointerHidden) return;
  POINT p;
  if (GetCursorPos(&p)) {
    mHiddenPointerX = p.x;
    mHiddenPointerY = p.y;
  }
  ShowCursor(FALSE);
  mPointerHidden = true;
}

void IGraphicsWin::RestorePointer() {
  if (!mPointerHidden) return;
  SetCursorPos(mHiddenPointerX, mHiddenPointerY);
  ShowCursor(TRUE);
  mPointerHidden = false;
}

// ---------------------------------------------------------------------------------------------
// Tooltips

void IGraphicsWin::HideShownTooltip() {
  if (!mTooltipShown) return;
  UpdateHoverHint(nullptr);
  mTooltipShown = false;
}

// ---------------------------------------------------------------------------------------------
// The window procedure

LRESULT CALLBACK IGraphicsWin::EditorWindowProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
  if (message == WM_CREATE) {
    const CREATESTRUCTA* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    const UINT period = static_cast<UINT>(1000.0 / (gFrameRate > 0.0 ? gFrameRate : 25.0));
    SetTimer(window, kTimerId, period, nullptr);
    SetFocus(window);
    return 0;
  }
  IGraphicsWin* g = reinterpret_cast<IGraphicsWin*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!g || g->mWindow != window) return DefWindowProcA(window, message, wParam, lParam);
  return g->HandleMessage(window, message, wParam, lParam);
}

LRESULT IGraphicsWin::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCDESTROY) {
    // Destroyed from outside (the host closed the parent first): no longer ours.
    WindowGone();
    return DefWindowProcA(window, message, wParam, lParam);
  }
  if (mTextField && mTextFieldState == FieldFocused) {
    if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MOUSEWHEEL) {
      mTextFieldState = FieldCancel;
      return 0;
    }
    if ((message == WM_LBUTTONUP || message == WM_RBUTTONUP) &&
        (mMouseCapture >= 0 || mGestureParam >= 0)) {
      // The release of the press that opened the field: the press must still end, or the mouse
      // capture and the host's gesture would stay open under the field.
      Release(LowX(lParam), HighY(lParam), MouseStateOf(wParam));
      return 0;
    }
    // Capture loss ends the pressed gesture whatever has focus (handled below); all else is the
    // field's time.
    if (message != WM_CAPTURECHANGED && message != WM_CANCELMODE) {
      return DefWindowProcA(window, message, wParam, lParam);
    }
  }

  switch (message) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      return 0;
    case WM_PAINT: {
      RECT r;
      if (GetUpdateRect(window, &r, FALSE)) {
        RedrawRegion(IBox(r.left, r.top, r.right, r.bottom));
        // Without controls nothing was presented: the area must still count as painted, or the
        // window would be asked to paint it again and again.
        ValidateRect(window, &r);
      }
      return 0;
    }
    case WM_CLOSE:
      CloseEditorWindow();
      return 0;
    case WM_TIMER:
      if (wParam == kTimerId) TimerTick();
      return 0;
    case WM_KEYDOWN:
      KeyDown(window, wParam, lParam);
      return 0;
    case WM_KEYUP:
      PassKeyOn(window, WM_KEYUP, wParam, lParam);
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_CTLCOLOREDIT: {
      if (!mTextFieldControl) return 0;
      HDC dc = reinterpret_cast<HDC>(wParam);
      const IArgb& back = mTextFieldControl->mFontSpec.fieldBack;
      const IArgb& text = mTextFieldControl->mFontSpec.fieldText;
      SetBkColor(dc, RGB(back.R & 0xFF, back.G & 0xFF, back.B & 0xFF));
      SetTextColor(dc, RGB(text.R & 0xFF, text.G & 0xFF, text.B & 0xFF));
      SetBkMode(dc, OPAQUE);
      return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
    }
    case WM_MOUSEMOVE: {
      const IMouseState state = MouseStateOf(wParam);
      PointerMove(window, wParam, LowX(lParam), HighY(lParam), state);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      Press(window, LowX(lParam), HighY(lParam), MouseStateOf(wParam));
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      Release(LowX(lParam), HighY(lParam), MouseStateOf(wParam));
      return 0;
    case WM_CAPTURECHANGED:
      // Another window took the mouse in the middle of a press: that press is over.
      if (reinterpret_cast<HWND>(lParam) != window) CaptureLost();
      return 0;
    case WM_CANCELMODE:
      CaptureLost();
      if (GetCapture() == window) ::ReleaseCapture();
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_LBUTTONDBLCLK: {
      const IMouseState state = MouseStateOf(wParam);
      OnMouseDoubleClick(LowX(lParam), HighY(lParam), &state);
      // A control that takes a double click as a press holds the mouse like a press does.
      if (mMouseCapture >= 0) SetCapture(window);
      return 0;
    }
    case WM_MOUSEWHEEL:
      Wheel(window, wParam, lParam, MouseStateOf(wParam));
      return 0;
    case WM_MOUSEHOVER: {
      if (mTooltipIndex >= 0 && mTooltipIndex < mControlList.Count()) {
        IControl* c = mControlList.At(mTooltipIndex);
        if (c && c->mTooltip) {
          assert(std::strlen(c->mTooltip) < 80 && "strlen(tooltip) < 80");
          UpdateHoverHint(c->mTooltip);
          mTooltipShown = true;
        }
      }
      return 0;
    }
    case WM_MOUSELEAVE:
      HideShownTooltip();
      OnMouseOut();
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

void IGraphicsWin::TimerTick() {
  if (mTextField) {
    switch (mTextFieldState) {
      case FieldCancel:
        CloseTextField(false);
        return;
      case FieldCommit:
        CloseTextField(true);
        return;
      case FieldShown:
        mTextFieldState = FieldIdle;
        return;
      default:
        break;
    }
  }
  const IBox area = mShowBounds ? mPaintArea : ChangedArea();
  if (area.Empty()) return;
  RECT r = {area.mLeft, area.mTop, area.mRight, area.mBottom};
  InvalidateRect(mWindow, &r, FALSE);
  if (mTextField && mTextFieldControl) {
    const IBox& f = mTextFieldControl->mRect;
    RECT fr = {f.mLeft, f.mTop, f.mRight, f.mBottom};
    ValidateRect(mWindow, &fr);
    UpdateWindow(mWindow);
    mTextFieldState = FieldShown;
  } else {
    UpdateWindow(mWindow);
  }
}

void IGraphicsWin::KeyDown(HWND window, WPARAM wParam, LPARAM lParam) {
  const int code = KeyCodeOf(wParam);
  if (code >= 0) {
    POINT p = {0, 0};
    GetCursorPos(&p);
    ScreenToClient(window, &p);
    if (OnKeyDown(p.x, p.y, code)) return;
  }
  PassKeyOn(window, WM_KEYDOWN, wParam, lParam);
  DefWindowProcA(window, WM_KEYDOWN, wParam, lParam);
}

void IGraphicsWin::PointerMove(HWND window, WPARAM wParam, int x, int y, const IMouseState& state) {
  if (wParam & (MK_LBUTTON | MK_RBUTTON)) {
    if (GetCapture() == window && !mTextField && mMouseCapture >= 0) OnMouseDrag(x, y, &state);
    return;
  }
  if (!mTrackPointer) return;
  OnMouseOver(x, y, &state);
  TRACKMOUSEEVENT tme;
  std::memset(&tme, 0, sizeof tme);
  tme.cbSize = sizeof tme;
  tme.dwFlags = TME_LEAVE;
  tme.hwndTrack = window;
  tme.dwHoverTime = HOVER_DEFAULT;
  if (mTooltipsEnabled) {
    if (mMouseOver != mTooltipIndex) {
      mTooltipIndex = mMouseOver;
      HideShownTooltip();
    }
    // Asked again on every move until the tip shows: a request without the hover flag replaces
    // the earlier one on some systems, which would otherwise never report the pointer resting.
    if (mTooltipIndex >= 0 && !mTooltipShown) tme.dwFlags |= TME_HOVER;
  }
  TrackMouseEvent(&tme);
}

void IGraphicsWin::Press(HWND window, int x, int y, const IMouseState& state) {
  HideShownTooltip();
  if (mTextField) {
    mTextFieldState = FieldCommit;
    return;
  }
  SetFocus(window);
  SetCapture(window);
  OnMouseDown(x, y, &state);
}

void IGraphicsWin::Release(int x, int y, const IMouseState& state) {
  // The press is delivered first and the capture given back after, so that losing the capture
  // does not count as a second release.
  OnMouseUp(x, y, &state);
  if (mWindow && GetCapture() == mWindow) ::ReleaseCapture();
}

void IGraphicsWin::CaptureLost() {
  if (mMouseCapture < 0 && mGestureParam < 0) return;
  int x = mMouseX, y = mMouseY;
  if ((x < 0 || y < 0) && mWindow) {
    POINT p = {0, 0};
    GetCursorPos(&p);
    ScreenToClient(mWindow, &p);
    x = p.x;
    y = p.y;
  }
  const IMouseState none;
  OnMouseUp(x, y, &none);
}

void IGraphicsWin::Wheel(HWND window, WPARAM wParam, LPARAM lParam, const IMouseState& state) {
  if (mTextField) {
    mTextFieldState = FieldCancel;
    return;
  }
  RECT r = {0, 0, 0, 0};
  GetWindowRect(window, &r);
  const int x = LowX(lParam) - r.left;
  const int y = HighY(lParam) - r.top;
  const int delta = static_cast<short>(HIWORD(wParam)) / WHEEL_DELTA;
  OnMouseWheel(x, y, &state, delta);
}

// ---------------------------------------------------------------------------------------------

IGraphics* CreateEditorGraphics(IFxBase* plug, int width, int height, int fps) {
  IGraphicsWin* g = new IGraphicsWin(plug, width, height, fps);
  g->mModuleInstance = static_cast<HINSTANCE>(gModuleInstance);
  return g;
}
