// The Windows implementation of the graphics object: a child window of class "IFxWndClass" on the
// window the host gives, a timer that turns changed controls into invalidated areas, a paint handler
// that redraws the back buffer and copies it to the window, the translation of mouse, wheel and key
// messages into calls on the controls, and skin images read from the module's resources.
// Windows builds only.
#pragma once

#include <windows.h>

#include "fx/containers.h"
#include "fx/choicemenu.h"
#include "fx/igraphics.h"

class IGraphicsWin : public IGraphics {
 public:
  enum TextFieldState : int {
    FieldIdle = 0,     // no field, or a field shown once without focus
    FieldFocused = 1,  // the field has the keyboard focus
    FieldShown = 2,    // painted once while open without focus
    FieldCancel = 3,   // close without applying at the next tick
    FieldCommit = 4,   // apply the text and close at the next tick
  };

  // The timer that drives painting.
  static constexpr UINT_PTR kTimerId = 2;

  IGraphicsWin(IFxBase* plug, int width, int height, int fps);
  ~IGraphicsWin() override;

  bool PresentToWindow(const IBox& area) override;
  void SetEditorSize(int width, int height) override;
  bool HasWindow() override { return mWindow != nullptr; }
  const char* BackendName() override { return "Windows GDI"; }
  void* OpenEditorWindow(void* parent) override;
  void CloseEditorWindow() override;
  void* NativeWindow() override { return mWindow; }
  void HidePointer() override;
  void RestorePointer() override;
  PIX_IBitmap* DecodeSkinResource(int resourceId, const char* fileName) override;

  // ---- text field, pop-up menus, dialogs, folders, clipboard, tooltips
  void OpenTextField(IControl* control, const IFontSpec* style, const IBox* area, const char* text,
                     IFxSetting* param) override;
  void CancelTextField() override { mTextFieldState = FieldCancel; }
  IChoiceMenu* RunPopupMenu(IChoiceMenu* menu, const IBox* area) override;
  int ShowAlert(const char* text, const char* caption, int type) override;
  void HostExeFolder(HeapString* out) override;
  void ModuleFolder(HeapString* out) override;
  void DesktopFolder(HeapString* out) override;
  void AppDataFolder(HeapString* out, bool systemWide) override;
  void UserAppDataFolder(HeapString* out) override { AppDataFolder(out, false); }
  void AskForFile(HeapString* file, bool save, HeapString* folder, const char* extensions) override;
  bool AskForColour(IArgb* colour, const char* prompt) override;
  bool OpenWebLink(const char* address, const char* caption, const char* confirmation,
                   const char* errorText) override;
  bool ReadClipboardText(HeapString* out) override;
  // UTF-16 text of a block of units (ending at its first terminator or at the block's end) as
  // UTF-8; false, out "", when it cannot be converted.
  static bool Utf16BlockToUtf8(const wchar_t* wide, size_t units, HeapString* out);
  // The tooltip text of the editor window's tool (null empties it).
  void UpdateHoverHint(const char* text);

  // A Windows pop-up menu of menu whose items take the command ids *nextId, *nextId + 1, ... (the
  // sub-menus after their parent, depth first); *nextId ends past the last id given. Null when a
  // menu cannot be made.
  static HMENU BuildNativeMenu(const IChoiceMenu* menu, int* nextId);
  // The folder of a module's file (null: the host executable's); "" when it cannot be told.
  static void FolderOfModule(HMODULE module, HeapString* out);

  static LRESULT CALLBACK TextFieldProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  static LRESULT CALLBACK EditorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  // Editor windows of this module that exist now (the window class is registered while this is
  // above 0).
  static int OpenWindowCount();

  HINSTANCE mModuleInstance = nullptr;  // the module's instance: window class, windows, resources
  HWND mWindow = nullptr;
  HWND mTextField = nullptr;
  HWND mTooltipWindow = nullptr;
  IControl* mTextFieldControl = nullptr;  // not owned
  IFxSetting* mTextFieldParam = nullptr;  // not owned
  WNDPROC mOriginalEditProc = nullptr;
  TextFieldState mTextFieldState = FieldIdle;
  bool mTooltipShown = false;
  int mTooltipIndex = -1;
  COLORREF* mCustomColours = nullptr;  // owned: 16 values, made on first use
  int mProcessId = 0;
  HWND mParentWindow = nullptr;
  HWND mAlertOwner = nullptr;
  HeapString mOwnerClassName;
  HFONT mTextFieldFont = nullptr;  // owned by the open text field

 private:
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void TimerTick();
  void KeyDown(HWND window, WPARAM wParam, LPARAM lParam);
  void Press(HWND window, int x, int y, const IMouseState& state);
  void Release(int x, int y, const IMouseState& state);
  void Wheel(HWND window, WPARAM wParam, LPARAM lParam, const IMouseState& state);
  void PointerMove(HWND window, WPARAM wParam, int x, int y, const IMouseState& state);
  // The press in progress ends without a button release (capture taken away, window closing):
  // the holding control gets its release and the host gesture ends.
  void CaptureLost();
  // Closes the text field; the entered text is applied first when apply is set.
  void CloseTextField(bool apply);
  void HideShownTooltip();
  void CreateTooltipWindow();
  // The window is being destroyed by someone else (its parent went first): forget it.
  void WindowGone();
  LRESULT FieldMessage(HWND field, UINT message, WPARAM wParam, LPARAM lParam);
  static BOOL CALLBACK FindOwnerWindowProc(HWND window, LPARAM lParam);
};
