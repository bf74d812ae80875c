// What the Windows editor opens besides its own window: the value field (an "EDIT" child with its
// character filter and commit rules), pop-up menus with sub-menus, message boxes with their owner,
// the file and colour dialogs, web links, well-known folders, the clipboard's text and the tooltip
// text.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>
#include <shellapi.h>
#include <wininet.h>

#include <cstring>
#include <new>

#include "fx/choicemenu.h"
#include "fx/ifxsetting.h"
#include "fx/igraphicswin.h"
#include "fx/textentry.h"

namespace {

constexpr int kTextFieldId = 99;
// Longest folder text the helpers hand out.
constexpr int kFolderMax = 256;

// The dialog's title becomes the prompt handed over in the custom data.
UINT_PTR CALLBACK ColourDialogHook(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG && lParam) {
    const CHOOSECOLORA* cc = reinterpret_cast<const CHOOSECOLORA*>(lParam);
    const char* prompt = reinterpret_cast<const char*>(cc->lCustData);
    if (prompt) SetWindowTextA(dialog, prompt);
  }
  return 0;
}

// Sets out to at most kFolderMax characters of a folder text that a system call ended in buf.
void SetFolder(HeapString* out, char* buf, size_t bufSize) {
  buf[bufSize - 1] = '\0';
  const size_t len = std::strlen(buf);
  out->WriteAt(0, buf, static_cast<int>(len < kFolderMax ? len : kFolderMax));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The value field

void IGraphicsWin::OpenTextField(IControl* control, const IFontSpec* style, const IBox* area,
                                 const char* text, IFxSetting* param) {
  if (!control || mTextField || !mWindow || !area) return;
  if (!style) style = &control->mFontSpec;
  DWORD fieldStyle = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | ES_MULTILINE;  // 0x50000084
  if (style->align == 1) {
    fieldStyle |= ES_CENTER;
  } else if (style->align == 2) {
    fieldStyle |= ES_RIGHT;
  }
  HWND field = CreateWindowExA(0, "EDIT", text ? text : "", fieldStyle, area->mLeft, area->mTop,
                               area->mRight - area->mLeft + 1, area->mBottom - area->mTop + 1,
                               mWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextFieldId)),
                               mModuleInstance, nullptr);
  if (!field) return;
  mTextField = field;
  // One font per field, made for it and released with it.
  mTextFieldFont = CreateFontA(style->size, 0, 0, 0, style->weightStyle == 1 ? FW_BOLD : 0,
                               style->weightStyle == 2 ? TRUE : FALSE, 0, 0, 0, 0, 0, 0, 0,
                               style->face);
  SendMessageA(field, EM_LIMITTEXT, static_cast<WPARAM>(control->mEntryMaxChars > 0 ? control->mEntryMaxChars : 0), 0);
  if (mTextFieldFont) SendMessageA(field, WM_SETFONT, reinterpret_cast<WPARAM>(mTextFieldFont), FALSE);
  // The field is exactly as wide as the value's text box, and a centred multi-line field does not
  // scroll sideways: it refuses what does not fit. Without the default margins (which a new font
  // brings) the whole box is room for typing.
  SendMessageA(field, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
  SendMessageA(field, EM_SETSEL, 0, -1);
  mOriginalEditProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TextFieldProc)));
  mTextFieldParam = param;
  mTextFieldControl = control;
  // Focused once the field's messages come here, so that the focus sets the state.
  SetFocus(field);
}

LRESULT CALLBACK IGraphicsWin::TextFieldProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  HWND parent = GetParent(window);
  IGraphicsWin* g =
      parent ? reinterpret_cast<IGraphicsWin*>(GetWindowLongPtrA(parent, GWLP_USERDATA)) : nullptr;
  if (!g || g->mTextField != window || !g->mOriginalEditProc) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  return g->FieldMessage(window, message, wParam, lParam);
}

LRESULT IGraphicsWin::FieldMessage(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
  HideShownTooltip();
  switch (message) {
    case WM_SETFOCUS:
      mTextFieldState = FieldFocused;
      break;
    case WM_KILLFOCUS:
      // A discard already asked for stays a discard.
      if (mTextFieldState != FieldCancel) mTextFieldState = FieldCommit;
      break;
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        mTextFieldState = FieldCommit;
        return 0;
      }
      if (wParam == VK_ESCAPE) {
        mTextFieldState = FieldCancel;
        return 0;
      }
      break;
    case WM_GETDLGCODE:
      if (!mTextFieldParam) {
        LRESULT code = CallWindowProcA(mOriginalEditProc, field, message, wParam, lParam);
        const MSG* msg = reinterpret_cast<const MSG*>(lParam);
        if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) code |= DLGC_WANTALLKEYS;
        return code;
      }
      break;
    case WM_CHAR:
      if (mTextFieldParam && !FieldTakesChar(mTextFieldParam->Kind(), static_cast<unsigned>(wParam))) {
        return 0;
      }
      break;
    case WM_COMMAND:
      if (HIWORD(wParam) == 1) {
        mTextFieldState = FieldCommit;
        return 0;
      }
      break;
    case WM_MOUSEWHEEL:
      // The wheel goes to the focused field; turning it discards the entry, as it does over the
      // editor.
      mTextFieldState = FieldCancel;
      return 0;
    default:
      break;
  }
  return CallWindowProcA(mOriginalEditProc, field, message, wParam, lParam);
}

// ---------------------------------------------------------------------------------------------
// Pop-up menus

HMENU IGraphicsWin::BuildNativeMenu(const IChoiceMenu* menu, int* nextId) {
  if (!menu || !nextId) return nullptr;
  // Every menu takes its ids, shown or not, so that FindChosenMenuItem counts the same way.
  HMENU native = CreatePopupMenu();
  if (!native) {
    *nextId += ChoiceMenuIdCount(menu);
    return nullptr;
  }
  const int count = menu->ItemCount();
  const int base = *nextId;
  *nextId += count;  // this menu's ids first; its sub-menus are numbered after it
  HeapString label;
  for (int i = 0; i < count; ++i) {
    const IChoiceMenuItem* item = menu->Item(i);
    if (!item) continue;
    if (item->mFlags & IChoiceMenuItem::kSeparator) {
      AppendMenuA(native, MF_SEPARATOR, 0, nullptr);
      *nextId += ChoiceMenuIdCount(item->mSubMenu);
      continue;
    }
    ChoiceMenuLabel(*menu, i, &label);
    if (item->mSubMenu) {
      HMENU sub = BuildNativeMenu(item->mSubMenu, nextId);
      if (sub && !AppendMenuA(native, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub),
                              label.Text())) {
        DestroyMenu(sub);
      }
      continue;
    }
    UINT flags = MF_STRING;
    if (item->mFlags & IChoiceMenuItem::kGreyed) flags |= MF_GRAYED;
    if (item->mFlags & IChoiceMenuItem::kDisabled) flags |= MF_DISABLED;
    if (item->mFlags & IChoiceMenuItem::kChecked) flags |= MF_CHECKED;
    AppendMenuA(native, flags, static_cast<UINT_PTR>(base + i), label.Text());
  }
  return native;
}

IChoiceMenu* IGraphicsWin::RunPopupMenu(IChoiceMenu* menu, const IBox* area) {
  ReleaseCapture();  // the press in progress no longer holds a control
  if (!menu || !area || !mWindow) return nullptr;
  int nextId = 0;
  HMENU native = BuildNativeMenu(menu, &nextId);
  if (!native) return nullptr;
  POINT corner = {area->mLeft, area->mBottom};
  ClientToScreen(mWindow, &corner);
  IChoiceMenu* result = nullptr;
  if (TrackPopupMenu(native, TPM_LEFTBUTTON, corner.x, corner.y, 0, mWindow, nullptr)) {
    MSG msg;
    if (PeekMessageA(&msg, mWindow, WM_COMMAND, WM_COMMAND, PM_REMOVE) && HIWORD(msg.wParam) == 0) {
      int index = -1;
      IChoiceMenu* found = FindChosenMenuItem(LOWORD(msg.wParam), menu, 0, &index);
      if (found) {
        found->mChosenIndex = index;
        result = found;
      }
    }
  }
  DestroyMenu(native);
  RECT whole = {0, 0, mWidth, mHeight};
  InvalidateRect(mWindow, &whole, FALSE);
  return result;
}

// ---------------------------------------------------------------------------------------------
// Message boxes and dialogs

BOOL CALLBACK IGraphicsWin::FindOwnerWindowProc(HWND window, LPARAM lParam) {
  IGraphicsWin* g = reinterpret_cast<IGraphicsWin*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (static_cast<int>(pid) != g->mProcessId) return TRUE;
  char name[129];
  if (GetClassNameA(window, name, sizeof name) <= 0) return TRUE;
  name[sizeof name - 1] = '\0';
  if (std::strcmp(name, g->mOwnerClassName.Text()) != 0) return TRUE;
  g->mAlertOwner = window;
  return FALSE;
}

int IGraphicsWin::ShowAlert(const char* text, const char* caption, int type) {
  // An owner found earlier that has gone since is looked for again.
  if (mAlertOwner && !IsWindow(mAlertOwner)) mAlertOwner = nullptr;
  if (!mAlertOwner) {
    if (mParentWindow && IsWindow(mParentWindow)) {
      HWND owner = mParentWindow;
      for (int depth = 0; depth < 256; ++depth) {
        HWND up = GetParent(owner);
        if (!up) break;
        owner = up;
      }
      mAlertOwner = owner;
      char name[129];
      const int n = GetClassNameA(owner, name, sizeof name);
      if (n > 0) {
        name[sizeof name - 1] = '\0';
        mOwnerClassName.Set(name);
      }
    } else if (mOwnerClassName.Length() > 0) {
      mProcessId = static_cast<int>(GetCurrentProcessId());
      EnumWindows(FindOwnerWindowProc, reinterpret_cast<LPARAM>(this));
    }
  }
  return MessageBoxA(mAlertOwner, text, caption, static_cast<UINT>(type));
}

void IGraphicsWin::AskForFile(HeapString* file, bool save, HeapString* folder,
                              const char* extensions) {
  if (!file) return;
  if (!HasWindow()) {
    file->Set("");
    return;
  }
  char fileName[256];
  CopyTextBounded(fileName, sizeof fileName, file->Text());
  HeapString localFolder;
  if (!folder) folder = &localFolder;
  if (folder->Length() == 0) DesktopFolder(folder);
  char initialDir[kFolderMax + 1];
  CopyTextBounded(initialDir, sizeof initialDir, folder->Text());
  char filter[kFilterSize];
  char defExt[kDefaultExtensionMax + 1];
  BuildFileFilter(extensions, filter, sizeof filter, defExt, sizeof defExt);

  OPENFILENAMEA ofn;
  std::memset(&ofn, 0, sizeof ofn);
  ofn.lStructSize = sizeof(OPENFILENAMEA);  // 152 bytes on x86-64, 88 on x86
  ofn.hwndOwner = mWindow;
  ofn.lpstrFilter = filter[0] ? filter : nullptr;
  ofn.lpstrFile = fileName;
  ofn.nMaxFile = sizeof fileName;
  ofn.lpstrInitialDir = initialDir[0] ? initialDir : nullptr;
  ofn.lpstrDefExt = defExt[0] ? defExt : nullptr;
  BOOL chosen;
  if (save) {
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
    chosen = GetSaveFileNameA(&ofn);
  } else {
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    chosen = GetOpenFileNameA(&ofn);
  }
  if (!chosen) {
    file->Set("");
    return;
  }
  fileName[sizeof fileName - 1] = '\0';
  file->Set(fileName);
  char dir[kFolderMax + 1];
  if (DriveAndDirectoryOf(fileName, dir, sizeof dir)) folder->Set(dir);
}

bool IGraphicsWin::AskForColour(IArgb* colour, const char* prompt) {
  if (!colour || !mWindow) return false;
  if (!mCustomColours) {
    mCustomColours = new (std::nothrow) COLORREF[16]();
    if (!mCustomColours) return false;
  }
  CHOOSECOLORA cc;
  std::memset(&cc, 0, sizeof cc);
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = mWindow;
  cc.rgbResult = RGB(colour->R & 0xFF, colour->G & 0xFF, colour->B & 0xFF);
  cc.lpCustColors = mCustomColours;
  cc.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ENABLEHOOK | CC_SOLIDCOLOR | CC_ANYCOLOR;  // 0x193
  cc.lCustData = reinterpret_cast<LPARAM>(prompt);
  cc.lpfnHook = ColourDialogHook;
  if (!ChooseColorA(&cc)) return false;
  colour->R = GetRValue(cc.rgbResult);
  colour->G = GetGValue(cc.rgbResult);
  colour->B = GetBValue(cc.rgbResult);
  return true;
}

bool IGraphicsWin::OpenWebLink(const char* address, const char* caption, const char* confirmation,
                               const char* errorText) {
  if (confirmation && MessageBoxA(mWindow, confirmation, caption, MB_YESNO) != IDYES) return false;
  DWORD state = 0;
  if (address && InternetGetConnectedState(&state, 0)) {
    const INT_PTR result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(mWindow, "open", address, nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32) return true;
  }
  if (errorText) MessageBoxA(mWindow, errorText, caption, MB_OK);
  return false;
}

// ---------------------------------------------------------------------------------------------
// Folders

void IGraphicsWin::FolderOfModule(HMODULE module, HeapString* out) {
  if (!out) return;
  out->Set("");
  char name[kFolderMax + 1];
  const DWORD n = GetModuleFileNameA(module, name, sizeof name);
  // A name that fills the whole buffer was cut (and need not be terminated): no folder.
  if (n == 0 || n >= sizeof name) return;
  name[n] = '\0';
  char folder[kFolderMax + 1];
  if (FolderOfModulePath(name, folder, sizeof folder)) out->Set(folder);
}

void IGraphicsWin::HostExeFolder(HeapString* out) { FolderOfModule(nullptr, out); }

void IGraphicsWin::ModuleFolder(HeapString* out) { FolderOfModule(mModuleInstance, out); }

void IGraphicsWin::DesktopFolder(HeapString* out) {
  if (!out) return;
  out->Set("");
  char buf[MAX_PATH + 1] = {};
  if (SHGetSpecialFolderPathA(nullptr, buf, CSIDL_DESKTOP, FALSE)) SetFolder(out, buf, sizeof buf);
}

void IGraphicsWin::AppDataFolder(HeapString* out, bool systemWide) {
  if (!out) return;
  out->Set("");
  char buf[MAX_PATH + 1] = {};
  const int csidl = systemWide ? CSIDL_COMMON_APPDATA : CSIDL_LOCAL_APPDATA;
  if (SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, buf))) SetFolder(out, buf, sizeof buf);
}

// ---------------------------------------------------------------------------------------------
// Clipboard

bool IGraphicsWin::Utf16BlockToUtf8(const wchar_t* wide, size_t units, HeapString* out) {
  if (!out) return false;
  out->Set("");
  if (!wide) return false;
  // Another program's data need not hold a terminator: the text ends at one or at the block's
  // end, whichever comes first.
  size_t len = 0;
  while (len < units && wide[len] != 0) ++len;
  if (len == 0) return true;
  if (len > 0x0FFFFFFF) return false;
  const int wideLen = static_cast<int>(len);
  const int need = WideCharToMultiByte(CP_UTF8, 0, wide, wideLen, nullptr, 0, nullptr, nullptr);
  char* utf8 = need > 0 ? new (std::nothrow) char[static_cast<size_t>(need) + 1] : nullptr;
  if (!utf8) return false;
  bool ok = false;
  const int made = WideCharToMultiByte(CP_UTF8, 0, wide, wideLen, utf8, need, nullptr, nullptr);
  if (made == need) {
    out->WriteAt(0, utf8, made);
    ok = out->Length() == made;
    if (!ok) out->Set("");
  }
  delete[] utf8;
  return ok;
}

bool IGraphicsWin::ReadClipboardText(HeapString* out) {
  if (!out) return false;
  out->Set("");
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(nullptr)) return false;
  bool ok = false;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  const wchar_t* wide = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
  if (wide) {
    ok = Utf16BlockToUtf8(wide, GlobalSize(data) / sizeof(wchar_t), out);
    GlobalUnlock(data);
  }
  CloseClipboard();
  return ok;
}

// ---------------------------------------------------------------------------------------------
// Tooltips

void IGraphicsWin::UpdateHoverHint(const char* text) {
  if (!mTooltipWindow || !mWindow) return;
  TOOLINFOA ti;
  std::memset(&ti, 0, sizeof ti);
  ti.cbSize = TTTOOLINFOA_V1_SIZE;
  ti.hwnd = mWindow;
  ti.uId = reinterpret_cast<UINT_PTR>(mWindow);
  ti.lpszText = const_cast<char*>(text ? text : "");
  SendMessageA(mTooltipWindow, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&ti));
}
