// The editor's drawing and event surface: controls, back buffer, drawing calls, redraw, parameter
// routing, the choice of value editor and the mouse and key entries of the window procedure.
#include "fx/igraphics.h"

#include <cassert>
#include <cstdio>
#include <cstring>

#include "fx/choicemenu.h"
#include "fx/guicaches.h"
#include "fx/ifxbase.h"
#include "fx/ifxsetting.h"
#include "fx/textentry.h"
#include "raster/pixbitmap.h"
#include "raster/pixcombine.h"
#include "raster/pixdisc.h"
#include "raster/pixfill.h"
#include "raster/pixfont.h"
#include "raster/pixline.h"

namespace {

// The packed colour of the outline drawn around every control with mShowBounds: (255, 0, 255, 0).
const IArgb kBoundsColour(255, 0, 255, 0);

// Whether a control at rect is met by the update area: the area may touch the control's left
// (top) edge with its right (bottom) edge and still count, but not the other way round.
bool AreaMeets(const IBox& area, const IBox& rect) {
  if (area.Empty() || rect.Empty()) return false;
  return area.mRight >= rect.mLeft && area.mLeft < rect.mRight && area.mBottom >= rect.mTop &&
         area.mTop < rect.mBottom;
}

const IMouseState* StateOrDefault(const IMouseState* state) {
  static const IMouseState kNoButtons;
  return state ? state : &kNoButtons;
}

}  // namespace

IGraphics::IGraphics(IFxBase* plug, int width, int height, int fps)
    : mPlug(plug), mWidth(width), mHeight(height), mFps(fps > 0 ? fps : 25) {}

IGraphics::~IGraphics() {
  delete mKeyCatcher;
  mKeyCatcher = nullptr;
  DeleteAllControls();
  delete mBackBuffer;
  mBackBuffer = nullptr;
  delete mScratchBitmap;
  mScratchBitmap = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Buffers and size

void IGraphics::CreateBackBuffers() {
  // Called again on a resize (and by every ConnectGraphics): never leak the previous pair.
  delete mBackBuffer;
  mBackBuffer = nullptr;
  delete mScratchBitmap;
  mScratchBitmap = nullptr;
  mBackBuffer = CreateBackBufferBitmap(mWidth > 0 ? mWidth : 0, mHeight > 0 ? mHeight : 0);
  mScratchBitmap = new PIX_MemBitmap(0, 0);
}

void IGraphics::SetEditorSize(int width, int height) {
  mWidth = width;
  mHeight = height;
  ReleaseCapture();
  {
    // Under the plug-in's lock: its audio road feeds meter controls, and must not meet one being deleted.
    SyncLockScope lock(mPlug ? mPlug->Lock() : nullptr);
    DeleteAllControls();  // also forgets the hover index
  }
  CreateBackBuffers();  // replaces both bitmaps
  if (mPlug) mPlug->ResizeEditor(width, height);
}

// ---------------------------------------------------------------------------------------------
// Controls

int IGraphics::AddControl(IControl* control) {
  if (!control) return -1;
  if (!mControlList.Add(control)) {
    // The list could not grow: we own the control from the call on, so it goes.
    delete control;
    return -1;
  }
  return mControlList.Count() - 1;
}

void IGraphics::PutControlFirst(IControl* control) {
  if (!control) return;
  if (!mControlList.Insert(0, control)) {
    delete control;
    return;
  }
  // Indexes moved up by one.
  if (mMouseCapture >= 0) ++mMouseCapture;
  if (mMouseOver >= 0) ++mMouseOver;
}

ISkinImage IGraphics::LoadSkinImage(int resourceId, const char* fileName, int frameCount,
                                    bool framesSideBySide) {
  ISkinImage skin;
  PIX_IBitmap* bitmap = FindSkinImage(resourceId);
  if (!bitmap) {
    bitmap = DecodeSkinResource(resourceId, fileName);
    const bool imgResourceFound = bitmap != nullptr;
    assert(imgResourceFound && "imgResourceFound");
    (void)imgResourceFound;
    if (!bitmap) {
      // An empty skin: no bitmap, 0 x 0, one frame; drawing it draws nothing.
      skin.frameCount = 1;
      skin.framesSideBySide = framesSideBySide;
      return skin;
    }
    CacheSkinImage(bitmap, resourceId);
  }
  skin.image = bitmap;
  skin.width = bitmap->PixelWidth();
  skin.height = bitmap->PixelHeight();
  skin.frameCount = frameCount >= 1 ? frameCount : 1;
  skin.framesSideBySide = framesSideBySide;
  return skin;
}

void IGraphics::SetBackdrop(int resourceId, const char* fileName) {
  const ISkinImage skin = LoadSkinImage(resourceId, fileName, 1, false);
  const IDrawBlend overwrite(MixOverwrite, 1.0f);
  IControl* backdrop =
      new IBitmapControl(mPlug, IBox(0, 0, skin.width, skin.height), skin, -1, &overwrite);
  PutControlFirst(backdrop);
}

void IGraphics::MarkAllControlsChanged() {
  const int count = mControlList.Count();
  for (int i = 0; i < count; ++i) {
    IControl* c = mControlList.At(i);
    if (c) c->MarkChanged(false);
  }
}

void IGraphics::FlagAllControlsChanged() {
  const int count = mControlList.Count();
  for (int i = 0; i < count; ++i) {
    IControl* c = mControlList.At(i);
    if (c) c->mChanged.store(true, std::memory_order_relaxed);
  }
}

void IGraphics::DeleteAllControls() {
  mControlList.DeleteAll();
  mMouseCapture = -1;
  mMouseOver = -1;
}

// ---------------------------------------------------------------------------------------------
// Parameter routing

void IGraphics::RouteParamToControls(int paramIdx, double value, bool normalized) {
  if (!normalized) {
    IFxSetting* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!param) return;  // nothing to normalise with: no control can show it
    value = param->Normalize(value);
  }
  const int count = mControlList.Count();
  for (int i = 0; i < count; ++i) {
    IControl* c = mControlList.At(i);
    if (!c) continue;
    if (c->mBoundParam == paramIdx) c->AcceptParamValue(value);
    const int auxCount = c->AuxParamCount();
    for (int k = 0; k < auxCount; ++k) {
      const IAuxParamEntry* e = c->AuxParam(k);
      if (e && e->paramIdx == paramIdx) {
        c->AcceptAuxParamValue(k, value);
        break;
      }
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Value editor

void IGraphics::OfferValueEditor(IControl* control, IFxSetting* param, const IBox* area) {
  if (!control || !param || !area) return;
  const ParamKind kind = param->Kind();
  if (kind == kParamChoice || (kind == kParamToggle && param->CountValueTexts() > 0)) {
    // A popup menu of the value texts, item i showing the text of value i, the current one checked.
    char current[128] = {};
    param->FormatValue(param->Value(), false, current, sizeof current, true);
    IChoiceMenu menu;
    const int count = param->CountValueTexts();
    for (int i = 0; i < count; ++i) {
      const char* text = param->ValueTextFor(i);
      if (!text) text = "";
      menu.AddItem(text, nullptr,
                   std::strcmp(text, current) == 0 ? IChoiceMenuItem::kChecked : 0);
    }
    IChoiceMenu* chosen = RunPopupMenu(&menu, area);
    if (chosen) {
      const double v = param->Normalize(chosen->mChosenIndex);
      if (v != control->mValue) {
        // One whole change for the host, unless the press that opened the menu still holds one.
        const int idx = control->mBoundParam;
        const bool ownGesture = mPlug && idx >= 0 && mGestureParam != idx;
        if (ownGesture) mPlug->BeginInformHostOfParamChange(idx);
        control->mValue = v;
        control->MarkChanged(true);
        control->mRepaintAgain = true;
        if (ownGesture) mPlug->EndInformHostOfParamChange(idx);
      }
    }
    return;
  }
  // The number alone (sign-flipped where the parameter says so), never a value text.
  char text[64];
  param->FormatValue(param->Value(), false, text, sizeof(text), false);
  OpenTextField(control, &control->mFontSpec, area, text, param);
}

void IGraphics::ApplyEnteredText(IControl* control, IFxSetting* param, const char* text) {
  if (!control) return;
  if (!text) text = "";
  if (!param) {
    control->AcceptEnteredText(text);
    return;
  }
  const double normalized = param->Normalize(EnteredParamValue(*param, text));
  const int idx = control->mBoundParam;
  const bool gesture = mPlug && idx >= 0;
  if (gesture) mPlug->BeginInformHostOfParamChange(idx);
  control->AcceptUserValue(normalized);
  if (gesture) mPlug->EndInformHostOfParamChange(idx);
}

// ---------------------------------------------------------------------------------------------
// Drawing calls

int IGraphics::FrameOffset(const ISkinImage& image, int frame) {
  const int n = image.frameCount;
  if (n < 2 || frame < 2) return 0;
  const int size = image.framesSideBySide ? image.width : image.height;
  return static_cast<int>(static_cast<double>(size) * (frame - 1) / n + 0.5);
}

bool IGraphics::DrawSkinImage(const ISkinImage& image, const IBox& dest, int srcX, int srcY,
                              const IDrawBlend* blend) {
  if (!image.image || !mBackBuffer) return true;  // an empty skin draws nothing
  const IBox clipped = dest.Overlap(mPaintArea);
  if (clipped.Empty()) return true;
  const int sx = srcX + (clipped.mLeft - dest.mLeft);
  const int sy = srcY + (clipped.mTop - dest.mTop);
  const IBox src(sx, sy, sx + clipped.Width(), sy + clipped.Height());
  // The raster copy clips to both bitmaps, so nothing lands outside the back buffer.
  PIX_CopyRegion(mBackBuffer, image.image, clipped.mLeft, clipped.mTop, &src,
                 RasterWeightOf(blend), RasterModeOf(blend));
  return true;
}

bool IGraphics::DrawSkinFrame(const ISkinImage& image, const IBox& dest, int frame,
                              const IDrawBlend* blend) {
  const int offset = FrameOffset(image, frame);
  if (image.framesSideBySide) return DrawSkinImage(image, dest, offset, 0, blend);
  return DrawSkinImage(image, dest, 0, offset, blend);
}

bool IGraphics::FillArea(const IArgb& colour, const IBox& area, const IDrawBlend* blend) {
  if (mBackBuffer) {
    PIX_FillArea(mBackBuffer, area.mLeft, area.mTop, area.mRight - area.mLeft,
                 area.mBottom - area.mTop, colour.Packed(), RasterWeightOf(blend),
                 RasterModeOf(blend));
  }
  return true;
}

bool IGraphics::FillDisc(const IArgb& colour, int x, int y, float radius, const IDrawBlend* blend,
                         bool antialias) {
  if (mBackBuffer) {
    PIX_FillDisc(mBackBuffer, static_cast<float>(x), static_cast<float>(y), radius,
                 colour.Packed(), RasterWeightOf(blend), RasterModeOf(blend), antialias);
  }
  return true;
}

bool IGraphics::StrokeLine(const IArgb& colour, float x1, float y1, float x2, float y2,
                           const IDrawBlend* blend, bool antialias) {
  if (mBackBuffer) {
    // Coordinates outside the int range are limited to it; the raster call clips what is left.
    PIX_StrokeLine(mBackBuffer, TruncFloatToInt(x1), TruncFloatToInt(y1), TruncFloatToInt(x2),
                   TruncFloatToInt(y2), colour.Packed(), RasterWeightOf(blend),
                   RasterModeOf(blend), antialias);
  }
  return true;
}

bool IGraphics::DrawTextBox(IFontSpec* style, const char* text, IBox* area, bool measure) {
  if (!text || !text[0]) return true;
  if (!style || !area) return false;
  PIX_CachedFont* font = style->font ? style->font : FontForStyle(style);
  if (!font) return false;
  font->SetGlyphColour(style->colour.Packed());

  int flags = kTextSingleLine | kTextVCenter | kTextNoClip;  // 0x124
  if (style->colour.A != 255) flags |= kTextColourAlpha;
  if (style->align == 1) {
    flags |= kTextCenter;
  } else if (style->align != 0) {
    flags |= kTextRight;
  }

  if (measure) {
    IBox box;  // all zero: the font fills in the text's width and height
    font->RenderText(mBackBuffer, text, -1, &box, flags | kTextCalcRect);
    const int w = box.mRight - box.mLeft;
    const int h = box.mBottom - box.mTop;
    if (style->align == 0) {
      area->mRight = area->mLeft + w;
    } else if (style->align == 1) {
      const float mid = static_cast<float>(area->mLeft + area->mRight) * 0.5f;
      area->mLeft = static_cast<int>(mid) - w / 2;
      area->mRight = area->mLeft + w;
    } else {
      area->mLeft = area->mRight - w;
    }
    area->mBottom = area->mTop + h;
    return true;
  }
  if (!mBackBuffer) return false;
  IBox box = *area;
  font->RenderText(mBackBuffer, text, -1, &box, flags);
  return true;
}

bool IGraphics::OutlineArea(const IBox& area) {
  if (!mBackBuffer) return true;
  const uint32_t c = kBoundsColour.Packed();
  const int l = area.mLeft, t = area.mTop, r = area.mRight, b = area.mBottom;
  PIX_StrokeLine(mBackBuffer, l, t, r, t, c, 1.0f, 0, false);
  PIX_StrokeLine(mBackBuffer, l, b, r, b, c, 1.0f, 0, false);
  PIX_StrokeLine(mBackBuffer, l, t, l, b, c, 1.0f, 0, false);
  PIX_StrokeLine(mBackBuffer, r, t, r, b, c, 1.0f, 0, false);
  return true;
}

// ---------------------------------------------------------------------------------------------
// Painting

void IGraphics::RedrawRegion(const IBox& area) {
  const int count = mControlList.Count();
  if (count == 0) return;

  if (mStrict) {
    mPaintArea = area;
    for (int i = 0; i < count; ++i) {
      IControl* c = mControlList.At(i);
      if (!c) continue;
      if (!c->mHidden && AreaMeets(area, c->mRect)) c->DrawInto(this);
      c->MarkPainted();
    }
  } else {
    IControl* backdrop = mControlList.At(0);
    if (backdrop && backdrop->NeedsRepaint()) {
      mPaintArea = backdrop->mRect;
      for (int i = 0; i < count; ++i) {
        IControl* c = mControlList.At(i);
        if (!c) continue;
        if (i == 0 || !c->mHidden) c->DrawInto(this);
        c->MarkPainted();
      }
    } else {
      for (int i = 1; i < count; ++i) {
        IControl* changed = mControlList.At(i);
        if (!changed || !changed->NeedsRepaint()) continue;
        mPaintArea = changed->mRect;
        for (int j = 0; j < count; ++j) {
          IControl* c = mControlList.At(j);
          if (!c || c->mHidden) continue;
          if (j == i || AreaMeets(mPaintArea, c->mRect)) c->DrawInto(this);
        }
        changed->MarkPainted();
      }
    }
  }

  if (mShowBounds) {
    for (int i = 1; i < count; ++i) {
      IControl* c = mControlList.At(i);
      if (c) OutlineArea(c->mRect);
    }
    char text[33];
    std::snprintf(text, sizeof(text), "x: %i, y: %i", mMouseX, mMouseY);
    IFontSpec style;  // "Arial"
    style.size = 20;
    style.colour = kBoundsColour;
    IBox where(mWidth - 150, mHeight - 20, mWidth, mHeight);
    DrawTextBox(&style, text, &where, false);
  }

  PresentToWindow(area);
}

IBox IGraphics::ChangedArea() {
  IBox total;
  const int count = mControlList.Count();
  for (int i = 0; i < count; ++i) {
    IControl* c = mControlList.At(i);
    if (!c || !c->NeedsRepaint()) continue;
    const IBox& r = c->mRect;
    if (r.Empty()) continue;  // an all-zero rect adds nothing
    if (total.Empty()) {
      total = r;
    } else {
      if (r.mLeft < total.mLeft) total.mLeft = r.mLeft;
      if (r.mTop < total.mTop) total.mTop = r.mTop;
      if (r.mRight > total.mRight) total.mRight = r.mRight;
      if (r.mBottom > total.mBottom) total.mBottom = r.mBottom;
    }
  }
  return total;
}

// ---------------------------------------------------------------------------------------------
// Mouse and keys

int IGraphics::ControlAt(int x, int y, bool forKeys) {
  for (int i = mControlList.Count() - 1; i >= 0; --i) {
    IControl* c = mControlList.At(i);
    if (!c || c->mHidden || c->mGreyed) continue;
    if (c->ContainsPoint(x, y)) return (forKeys && i == 0) ? -1 : i;
  }
  return -1;
}

void IGraphics::ReleaseCapture() {
  mMouseCapture = -1;
  mMouseX = -1;
  mMouseY = -1;
}

void IGraphics::EndOpenGesture() {
  const int param = mGestureParam;
  mGestureParam = -1;
  if (mPlug && param >= 0) mPlug->EndInformHostOfParamChange(param);
}

void IGraphics::OnMouseDown(int x, int y, const IMouseState* state) {
  state = StateOrDefault(state);
  ReleaseCapture();
  // A press while a gesture is still open (its release never came): close it first.
  EndOpenGesture();
  const int i = ControlAt(x, y);
  if (i < 0) return;
  IControl* c = mControlList.At(i);
  mMouseCapture = i;
  mMouseX = x;
  mMouseY = y;
  const int param = c->mBoundParam;
  if (mPlug && mPlug->WrapperFormat() == kFormatVst3 && state->right && param >= 0) {
    // The host's own context menu for the parameter instead of a press.
    ReleaseCapture();
    mPlug->ShowHostParamMenu(param, x, y);
    return;
  }
  if (mPlug && param >= 0) {
    mPlug->BeginInformHostOfParamChange(param);
    mGestureParam = param;
  }
  c->MousePressed(x, y, state);
}

void IGraphics::OnMouseUp(int x, int y, const IMouseState* state) {
  state = StateOrDefault(state);
  IControl* c = nullptr;
  if (mMouseCapture >= 0 && mMouseCapture < mControlList.Count()) {
    c = mControlList.At(mMouseCapture);
  } else {
    const int i = ControlAt(x, y);
    if (i >= 0) c = mControlList.At(i);
  }
  ReleaseCapture();
  if (c) c->MouseReleased(x, y, state);
  // Only the gesture the press began ends (none after a double click or the host's menu); it is
  // kept here, not read from the control, which the release handler may have deleted.
  EndOpenGesture();
}

void IGraphics::OnMouseDrag(int x, int y, const IMouseState* state) {
  state = StateOrDefault(state);
  if (mMouseCapture < 0 || mMouseCapture >= mControlList.Count()) return;
  if (x == mMouseX && y == mMouseY) return;
  const int dX = x - mMouseX;
  const int dY = y - mMouseY;
  mMouseX = x;
  mMouseY = y;
  IControl* c = mControlList.At(mMouseCapture);
  if (c) c->MouseDragged(x, y, dX, dY, state);
}

void IGraphics::OnMouseDoubleClick(int x, int y, const IMouseState* state) {
  state = StateOrDefault(state);
  ReleaseCapture();
  const int i = ControlAt(x, y);
  if (i < 0) return;
  IControl* c = mControlList.At(i);
  const int param = (mPlug && c->mBoundParam >= 0) ? c->mBoundParam : -1;
  if (c->mDoubleClickAsPress) {
    // A second press: it opens a gesture like the first one, which its release ends.
    mMouseCapture = i;
    mMouseX = x;
    mMouseY = y;
    EndOpenGesture();
    if (param >= 0) {
      mPlug->BeginInformHostOfParamChange(param);
      mGestureParam = param;
    }
    c->MousePressed(x, y, state);
  } else {
    // A reset to the default is one complete change for the host: begin, the edit, end.
    EndOpenGesture();
    if (param >= 0) mPlug->BeginInformHostOfParamChange(param);
    c->MouseDoubleClicked(x, y, state);
    if (param >= 0) mPlug->EndInformHostOfParamChange(param);
  }
}

void IGraphics::OnMouseWheel(int x, int y, const IMouseState* state, int delta) {
  state = StateOrDefault(state);
  IControl* c = nullptr;
  if (mMouseCapture >= 0 && mMouseCapture < mControlList.Count()) {
    c = mControlList.At(mMouseCapture);
  } else {
    const int i = ControlAt(x, y);
    if (i >= 0) c = mControlList.At(i);
  }
  if (c) c->WheelTurned(x, y, state, delta);
}

void IGraphics::OnMouseOver(int x, int y, const IMouseState* state) {
  if (!mTrackPointer) return;
  state = StateOrDefault(state);
  const int count = mControlList.Count();
  int found = -1;
  if (mMouseCapture >= 0 && mMouseCapture < count) {
    found = mMouseCapture;
  } else {
    for (int i = count - 1; i >= 0; --i) {
      IControl* c = mControlList.At(i);
      if (!c || c->mHidden || !c->ContainsPoint(x, y)) continue;
      if (c->mGreyed && !c->mPointerWhileGreyed) continue;
      found = i;
      break;
    }
  }
  if (found < 0) return;
  mMouseX = x;
  mMouseY = y;
  mControlList.At(found)->PointerMoved(x, y, state);
  if (mMouseOver >= 0 && mMouseOver != found && mMouseOver < count) {
    IControl* previous = mControlList.At(mMouseOver);
    if (previous) previous->PointerLeft();
  }
  mMouseOver = found;
}

void IGraphics::OnMouseOut() {
  const int count = mControlList.Count();
  for (int i = 0; i < count; ++i) {
    IControl* c = mControlList.At(i);
    if (c) c->PointerLeft();
  }
  mMouseOver = -1;
}

bool IGraphics::OnKeyDown(int x, int y, int key) {
  IControl* receiver = nullptr;
  const int count = mControlList.Count();
  if (mMouseCapture > 0 && mMouseCapture < count) {
    receiver = mControlList.At(mMouseCapture);
  } else if (mMouseCapture < 0) {
    const int i = ControlAt(x, y, true);
    if (i > 0) receiver = mControlList.At(i);
  }
  if (!receiver) receiver = mKeyCatcher;
  return receiver ? receiver->HandleKey(x, y, key) : false;
}
