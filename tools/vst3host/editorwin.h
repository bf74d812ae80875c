// The host side of a plug-in editor on Windows: a top-level host window that holds the plug-in's
// view, its frame (resize requests), a message loop that counts the editor's timer ticks, screen
// captures of the editor taken with GDI from what is on screen, and PNG files of them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/vst3host/host.h"

class PIX_IBitmap;

namespace vst3host {

class EditorHost;

// The host's frame for the view: a resize request resizes the host window's client area and
// answers with the view's onSize.
class PlugFrame : public HostObject<IPlugFrame> {
 public:
  explicit PlugFrame(EditorHost* host) : mHost(host) {}
  tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* newSize) override;
  std::vector<std::string> calls;

 private:
  EditorHost* mHost;
};

// Pixels of a capture, 0xAARRGGBB, rows top to bottom.
struct Capture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

class EditorHost {
 public:
  EditorHost() : frame(this) {}
  ~EditorHost() { Close(); }
  EditorHost(const EditorHost&) = delete;
  EditorHost& operator=(const EditorHost&) = delete;

  // Makes a top-level window at (x, y) whose client area has the view's size, asks the controller
  // for its "editor" view, gives it the frame and attaches it to the window. Empty string: success.
  std::string Open(IEditController* controller, int x = 0, int y = 0);
  // removed, the view's last release, and the host window destroyed.
  void Close();
  // Pumps the thread's messages until `ms` milliseconds have passed (when ms > 0) or the editor's
  // timer has ticked `ticks` more times (when ticks > 0), whichever comes first. `idle` runs between
  // rounds of messages.
  void Run(int ms, int ticks, const std::function<void()>& idle = nullptr);
  // The editor's child window: class "IFxWndClass", title "IFx", directly under the host window.
  HWND EditorWindow() const;
  // The editor's pixels as the screen shows them (GDI copy from the screen).
  bool CaptureEditor(Capture& out) const;

  HWND window = nullptr;      // the host's top-level window
  IPlugView* view = nullptr;  // one reference held
  PlugFrame frame;
  tresult attachResult = kResultFalse;
  int ticks = 0;                   // editor timer ticks seen by Run
  std::vector<std::string> keys;   // "down VK" / "up VK" that reached the host window
};

// The client area of a window as the screen shows it (GDI copy from the screen).
bool CaptureWindowClient(HWND window, Capture& out);

// How many pixels of a capture differ in colour (alpha aside) from a bitmap of the same size; -1
// when the sizes differ.
int PixelsDiffering(const Capture& capture, PIX_IBitmap* bitmap);

// Writes a capture as an 8-bit RGB PNG file; false on failure.
bool WritePngFile(const std::string& path, const Capture& capture);

// Sends real input through SendInput: pointer moves (absolute, in screen pixels), buttons, wheel
// notches and keys.
void SendPointerTo(int screenX, int screenY);
void SendButton(DWORD flag);
void SendWheel(int delta);
void SendKey(WORD vk, bool up);

}  // namespace vst3host
