#include "tools/vst3host/editorwin.h"

#include <png.h>

#include <cstdio>
#include <cstring>

#include "raster/pixbitmap.h"

namespace vst3host {
namespace {

const char kHostClass[] = "QHostWindow";

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const CREATESTRUCTA* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  EditorHost* host = reinterpret_cast<EditorHost*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (host && (message == WM_KEYDOWN || message == WM_KEYUP)) {
    host->keys.push_back((message == WM_KEYDOWN ? "down " : "up ") + std::to_string(wParam));
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterHostClass() {
  static bool done = false;
  if (done) return;
  WNDCLASSA wc;
  std::memset(&wc, 0, sizeof wc);
  wc.lpfnWndProc = HostWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  wc.lpszClassName = kHostClass;
  done = RegisterClassA(&wc) != 0;
}

const DWORD kHostStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

// Unix paths (as the build passes them) become Wine's Z: drive paths.
std::string WindowsPath(const std::string& path) {
  std::string p = path;
  if (!p.empty() && p[0] == '/') p = "Z:" + p;
  for (char& c : p) {
    if (c == '/') c = '\\';
  }
  return p;
}

}  // namespace

tresult PLUGIN_API PlugFrame::resizeView(IPlugView* v, ViewRect* newSize) {
  if (!v || !newSize) return kInvalidArgument;
  calls.push_back("resize " + std::to_string(newSize->right - newSize->left) + "x" +
                  std::to_string(newSize->bottom - newSize->top));
  if (mHost && mHost->window) {
    RECT r = {0, 0, newSize->right - newSize->left, newSize->bottom - newSize->top};
    AdjustWindowRect(&r, kHostStyle, FALSE);
    SetWindowPos(mHost->window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return v->onSize(newSize);
}

std::string EditorHost::Open(IEditController* controller, int x, int y) {
  if (!controller) return "no controller";
  view = controller->createView("editor");
  if (!view) return "createView(\"editor\") gave no view";
  ViewRect size{0, 0, 0, 0};
  if (view->getSize(&size) != kResultOk) return "getSize failed";
  RegisterHostClass();
  RECT r = {0, 0, size.right - size.left, size.bottom - size.top};
  AdjustWindowRect(&r, kHostStyle, FALSE);
  window = CreateWindowExA(0, kHostClass, "qhost", kHostStyle, x, y, r.right - r.left,
                           r.bottom - r.top, nullptr, nullptr, GetModuleHandleA(nullptr), this);
  if (!window) return "the host window could not be made";
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  UpdateWindow(window);
  view->setFrame(&frame);
  attachResult = view->attached(window, kPlatformTypeHWND);
  if (attachResult != kResultOk) return "attached failed";
  return "";
}

void EditorHost::Close() {
  if (view) {
    if (attachResult == kResultOk) view->removed();
    attachResult = kResultFalse;
    view->setFrame(nullptr);
    view->release();
    view = nullptr;
  }
  if (window) {
    DestroyWindow(window);
    window = nullptr;
  }
}

HWND EditorHost::EditorWindow() const {
  return window ? FindWindowExA(window, nullptr, "IFxWndClass", "IFx") : nullptr;
}

void EditorHost::Run(int ms, int tickCount, const std::function<void()>& idle) {
  const DWORD start = GetTickCount();
  const int endTicks = ticks + tickCount;
  HWND editor = EditorWindow();
  for (;;) {
    if (ms > 0 && static_cast<int>(GetTickCount() - start) >= ms) break;
    if (tickCount > 0 && ticks >= endTicks) break;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_TIMER && msg.wParam == 2 && msg.hwnd == editor && editor) ++ticks;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
      if (tickCount > 0 && ticks >= endTicks) break;
    }
    if (idle) idle();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
  }
}

bool EditorHost::CaptureEditor(Capture& out) const {
  HWND editor = EditorWindow();
  return editor && CaptureWindowClient(editor, out);
}

bool CaptureWindowClient(HWND editor, Capture& out) {
  if (!editor) return false;
  RECT r;
  if (!GetClientRect(editor, &r)) return false;
  POINT corner = {0, 0};
  ClientToScreen(editor, &corner);
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi;
  std::memset(&bi, 0, sizeof bi);
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (dib && bits && mem) {
    HGDIOBJ old = SelectObject(mem, dib);
    ok = BitBlt(mem, 0, 0, w, h, screen, corner.x, corner.y, SRCCOPY) != 0;
    GdiFlush();
    SelectObject(mem, old);
    if (ok) {
      out.width = w;
      out.height = h;
      out.pixels.assign(static_cast<const uint32_t*>(bits), static_cast<const uint32_t*>(bits) + w * h);
      for (uint32_t& p : out.pixels) p |= 0xFF000000u;  // the screen has no alpha
    }
  }
  if (dib) DeleteObject(dib);
  if (mem) DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return ok;
}

int PixelsDiffering(const Capture& c, PIX_IBitmap* bitmap) {
  if (!bitmap || !bitmap->PixelData() || c.width != bitmap->PixelWidth() ||
      c.height != bitmap->PixelHeight()) {
    return -1;
  }
  int differing = 0;
  for (int y = 0; y < c.height; ++y) {
    const uint32_t* row = bitmap->PixelData() + static_cast<size_t>(y) * bitmap->RowStride();
    for (int x = 0; x < c.width; ++x) {
      if ((c.At(x, y) & 0xFFFFFFu) != (row[x] & 0xFFFFFFu)) ++differing;
    }
  }
  return differing;
}

bool WritePngFile(const std::string& path, const Capture& c) {
  if (c.width <= 0 || c.height <= 0) return false;
  std::vector<uint8_t> rgb(static_cast<size_t>(c.width) * c.height * 3);
  for (size_t i = 0; i < c.pixels.size(); ++i) {
    rgb[i * 3] = static_cast<uint8_t>(c.pixels[i] >> 16);
    rgb[i * 3 + 1] = static_cast<uint8_t>(c.pixels[i] >> 8);
    rgb[i * 3 + 2] = static_cast<uint8_t>(c.pixels[i]);
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(c.width);
  image.height = static_cast<png_uint_32>(c.height);
  image.format = PNG_FORMAT_RGB;
  FILE* f = std::fopen(WindowsPath(path).c_str(), "wb");
  if (!f) return false;
  const bool ok = png_image_write_to_stdio(&image, f, 0, rgb.data(), 0, nullptr) != 0;
  return std::fclose(f) == 0 && ok;
}

namespace {
void SendMouse(DWORD flags, LONG dx, LONG dy, DWORD data) {
  INPUT in;
  std::memset(&in, 0, sizeof in);
  in.type = INPUT_MOUSE;
  in.mi.dx = dx;
  in.mi.dy = dy;
  in.mi.mouseData = data;
  in.mi.dwFlags = flags;
  SendInput(1, &in, sizeof in);
}
}  // namespace

void SendPointerTo(int x, int y) {
  const long long w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  if (w <= 0 || h <= 0) return;
  // Absolute positions are in 1/65536 of the screen; rounded up so that the system's truncating
  // conversion back lands on the pixel asked for.
  SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, static_cast<LONG>((x * 65536LL + w - 1) / w),
            static_cast<LONG>((y * 65536LL + h - 1) / h), 0);
}

void SendButton(DWORD flag) { SendMouse(flag, 0, 0, 0); }

void SendWheel(int delta) { SendMouse(MOUSEEVENTF_WHEEL, 0, 0, static_cast<DWORD>(delta)); }

void SendKey(WORD vk, bool up) {
  INPUT in;
  std::memset(&in, 0, sizeof in);
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &in, sizeof in);
}

}  // namespace vst3host
