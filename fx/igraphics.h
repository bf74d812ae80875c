// The editor's drawing and event surface, independent of the window system: the controls (the
// backdrop first), the off-screen back buffer they draw into, the mouse bookkeeping, the drawing
// calls controls make, the routing of parameter values to controls and the choice of value editor.
// The window-system half (IGraphicsWin) derives from it and supplies the operations that need a
// window; without a window, tests drive it directly (RedrawRegion into the back buffer, the mouse
// and key entries below).
#pragma once

#include "fx/containers.h"
#include "fx/icontrol.h"
#include "fx/records.h"
#include "fx/synclock.h"

class AAX_VViewContainer;
class IFxBase;
class IFxSetting;
class PIX_IBitmap;
class PIX_MemBitmap;
struct IChoiceMenu;

class IGraphics {
 public:
  IGraphics(IFxBase* plug, int width, int height, int fps);
  virtual ~IGraphics();
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // ---- operations a window system supplies (defaults: no window)
  virtual bool PresentToWindow(const IBox&) { return false; }
  virtual bool MeasureTextBox(IFontSpec* style, const char* text, IBox* area) {
    return DrawTextBox(style, text, area, true);
  }
  virtual void CancelTextField() {}
  virtual void SetEditorSize(int width, int height);
  virtual bool HasWindow() { return NativeWindow() != nullptr; }
  virtual const char* BackendName() { return ""; }
  virtual int ShowAlert(const char*, const char*, int) { return 0; }
  virtual IChoiceMenu* RunPopupMenu(IChoiceMenu*, const IBox*) { return nullptr; }
  virtual void OpenTextField(IControl*, const IFontSpec*, const IBox*, const char*, IFxSetting*) {}
  // Folders: each replaces out (left empty without a window system).
  virtual void HostExeFolder(HeapString* out) { if (out) out->Set(""); }
  virtual void ModuleFolder(HeapString* out) { if (out) out->Set(""); }
  virtual void DesktopFolder(HeapString* out) { if (out) out->Set(""); }
  virtual void AppDataFolder(HeapString* out, bool) { if (out) out->Set(""); }
  virtual void UserAppDataFolder(HeapString* out) { if (out) out->Set(""); }
  // The file dialog: file and folder in and out; file "" when nothing was chosen.
  virtual void AskForFile(HeapString* file, bool, HeapString*, const char*) {
    if (file) file->Set("");
  }
  virtual bool AskForColour(IArgb*, const char*) { return false; }
  virtual bool OpenWebLink(const char*, const char*, const char*, const char*) { return false; }
  virtual int SpareQuery() { return 0; }  // nothing calls it
  // Opens the editor window on the host's parent window; the window, or null when none was made.
  virtual void* OpenEditorWindow(void*) { return nullptr; }
  virtual void SpareHookA() {}  // nothing calls it
  virtual void SpareHookB() {}  // nothing calls it
  virtual void CloseEditorWindow() {}
  virtual void* NativeWindow() { return nullptr; }
  // The clipboard's text as UTF-8; false and "" when there is none.
  virtual bool ReadClipboardText(HeapString* out) {
    if (out) out->Set("");
    return false;
  }
  virtual void HidePointer() {}
  virtual void RestorePointer() {}
  virtual void SpareHookC() {}  // nothing calls it
  // Decodes a skin resource of the module; null when it cannot. The portable builds, which have no
  // module resources, read the same PNG file from the skin folder the build names instead.
  virtual PIX_IBitmap* DecodeSkinResource(int resourceId, const char* fileName);

  // ---- reached from the plug-in base, which owns the graphics object
  // Shows a parameter's value (normalised or in display units) on every control bound to it.
  virtual void RouteParamToControls(int paramIdx, double value, bool normalized);
  // Makes the back buffer (mWidth x mHeight) and the empty scratch bitmap.
  virtual void CreateBackBuffers();

  // ---- controls
  int AddControl(IControl* control);
  void PutControlFirst(IControl* control);
  void SetBackdrop(int resourceId, const char* fileName);
  ISkinImage LoadSkinImage(int resourceId, const char* fileName, int frameCount = 1,
                           bool framesSideBySide = false);
  void MarkAllControlsChanged();
  // The audio thread's form: sets every control's changed flag and nothing else, so that the next
  // timer tick repaints everything; it touches no value the user-interface thread writes.
  void FlagAllControlsChanged();
  void OfferValueEditor(IControl* control, IFxSetting* param, const IBox* area);
  // Applies the text a value field closed with: for a parameter, its value (value texts for
  // toggles and choices, else the number the text starts with) normalised and handed to the
  // control as one complete host gesture; without one, the text itself to the control.
  void ApplyEnteredText(IControl* control, IFxSetting* param, const char* text);
  void DeleteAllControls();
  int ControlCount() const { return mControlList.Count(); }
  IControl* Control(int i) const { return mControlList.At(i); }

  // ---- drawing calls (into the back buffer); all return true unless said otherwise
  bool DrawSkinImage(const ISkinImage& image, const IBox& dest, int srcX, int srcY,
                     const IDrawBlend* blend);
  bool DrawSkinFrame(const ISkinImage& image, const IBox& dest, int frame, const IDrawBlend* blend);
  bool FillArea(const IArgb& colour, const IBox& area, const IDrawBlend* blend);
  bool FillDisc(const IArgb& colour, int x, int y, float radius, const IDrawBlend* blend,
                bool antialias);
  bool StrokeLine(const IArgb& colour, float x1, float y1, float x2, float y2,
                  const IDrawBlend* blend, bool antialias);
  // Draws (or, with measure, measures into area) a single line of text; false without a font.
  bool DrawTextBox(IFontSpec* style, const char* text, IBox* area, bool measure);
  bool OutlineArea(const IBox& area);
  // The source offset of frame (1..frameCount) in a strip: x when side by side, else y.
  static int FrameOffset(const ISkinImage& image, int frame);

  // ---- painting and input (the window procedure's entries)
  void RedrawRegion(const IBox& area);
  // The union of the areas of the controls that need painting (all zero: none).
  IBox ChangedArea();
  void OnMouseDown(int x, int y, const IMouseState* state);
  void OnMouseUp(int x, int y, const IMouseState* state);
  void OnMouseDrag(int x, int y, const IMouseState* state);
  void OnMouseDoubleClick(int x, int y, const IMouseState* state);
  void OnMouseWheel(int x, int y, const IMouseState* state, int delta);
  void OnMouseOver(int x, int y, const IMouseState* state);
  void OnMouseOut();
  // A mapped key: to the control holding the press, else the topmost visible, enabled control
  // under the pointer (the backdrop counts as none), else the key catcher. False: not taken.
  bool OnKeyDown(int x, int y, int key);
  // Index of the topmost control that takes a press at (x, y), or -1.
  int ControlAt(int x, int y, bool forKeys = false);

  // No control holds the press any more; the last pointer position is forgotten.
  void ReleaseCapture();
  // Ends the host gesture a press or a double click began, if one is open.
  void EndOpenGesture();

  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int Fps() const { return mFps; }
  PIX_IBitmap* BackBuffer() const { return mBackBuffer; }
  IFxBase* Plug() const { return mPlug; }
  const IBox& PaintArea() const { return mPaintArea; }

  SyncLock mGraphicsLock;
  OwnedList<IControl> mControlList;
  IFxBase* mPlug;  // not owned
  IBox mPaintArea;
  bool mPointerHidden = false;
  int mHiddenPointerX = -1, mHiddenPointerY = -1;
  PIX_IBitmap* mBackBuffer = nullptr;      // owned: a DIB section in the Windows builds
  PIX_MemBitmap* mScratchBitmap = nullptr;  // owned
  int mWidth, mHeight;
  int mFps;
  int mMouseCapture = -1;
  int mMouseOver = -1;
  int mMouseX = 0, mMouseY = 0;
  bool mTrackPointer = false;
  bool mStrict = true;
  bool mTooltipsEnabled = false;
  bool mShowBounds = false;
  IControl* mKeyCatcher = nullptr;  // owned
  // The parameter whose host gesture (begin of change) a press opened and its release has not yet
  // ended; -1 for none. A release ends only this one, so the host never sees an end without a begin.
  int mGestureParam = -1;
  // The host view in which the AAX editor was last opened (set by the AAX editor object, read when
  // the plug-in asks for a new editor size); null until then and in the other formats.
  AAX_VViewContainer* mHostViewContainer = nullptr;  // not owned
};

// The platform's back-buffer bitmap: a DIB section in the Windows builds, heap memory elsewhere.
PIX_IBitmap* CreateBackBufferBitmap(int width, int height);
// The plug-in's editor graphics object: the Windows window implementation (with the module's
// instance handle) in the Windows builds, the window-less object elsewhere.
IGraphics* CreateEditorGraphics(IFxBase* plug, int width, int height, int fps);
