// Controls of the editor: the base class with its default behaviour and the framework's controls
// (backdrop bitmap, frame-strip knob, knob with a value text box, text label).
//
// Values handled here may come from the host on the audio thread, from the value editor or from
// arithmetic on the pointer's travel. A NaN never survives into a stored value: it is replaced by
// the low clamp at the first place it is seen. Frame and rectangle arithmetic is done in wide
// types and saturated, so extreme inputs give extreme (but defined) results.
#include "fx/icontrol.h"

#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "fx/ifxbase.h"
#include "fx/ifxsetting.h"
#include "fx/igraphics.h"

const IArgb kColourBlack(255, 0, 0, 0);
const IArgb kColourWhite(255, 255, 255, 255);

int RasterModeOf(const IDrawBlend* blend) {
  if (!blend) return 0x10000;
  switch (blend->method) {
    case MixOverwrite:
      return 0;
    case MixAdditive:
      return 0x10001;
    case MixDodge:
      return 0x10002;
    default:
      return 0x10000;
  }
}

float RasterWeightOf(const IDrawBlend* blend) { return blend ? blend->weight : 1.0f; }

int32_t TruncFloatToInt(float v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0f) return INT32_MAX;  // the float 2^31
  if (v <= -2147483648.0f) return INT32_MIN;
  return static_cast<int32_t>(v);
}

namespace {

// Limits a wide intermediate to the range of a rectangle edge.
int32_t SaturateToInt(int64_t v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

bool BoxContains(const IBox& box, int x, int y) {
  if (box.Empty()) return false;
  return x >= box.mLeft && x < box.mRight && y >= box.mTop && y < box.mBottom;
}

// Size of the buffers the display texts are formatted into.
constexpr int kDisplayTextSize = 128;

}  // namespace

// ---------------------------------------------------------------------------------------------
// IControl

IControl::IControl(IFxBase* plug, const IBox& rect, int paramIdx, const IDrawBlend* blend)
    : mPlug(plug), mRect(rect), mHitRect(rect), mBoundParam(paramIdx) {
  if (blend) mBlend = *blend;
}

IControl::~IControl() {}

// The low clamp as a replacement value; a NaN clamp itself falls back to 0.
static double LowClampOf(const IControl& c) { return std::isnan(c.mClampLow) ? 0.0 : c.mClampLow; }

void IControl::MousePressed(int, int, const IMouseState* state) {
  if (state && state->right) OpenValueEditor();
}

void IControl::MouseDoubleClicked(int, int, const IMouseState*) {
  if (mDefaultValue >= 0.0) {
    mValue = mDefaultValue;
    MarkChanged(true);
  }
}

void IControl::AcceptParamValue(double value) {
  if (std::isnan(value)) value = LowClampOf(*this);
  if (mDefaultValue < 0.0) {
    // The first value routed to the control becomes its default.
    mValue = value;
    mDefaultValue = value;
    return;
  }
  if (value != mValue) {  // also true when mValue is NaN
    mValue = value;
    MarkChanged(false);
    mRepaintAgain = true;
  }
}

void IControl::SetHidden(bool hidden) {
  mHidden = hidden;
  mRepaintAgain = true;
  mBlend.weight = hidden ? 0.0f : 1.0f;
  MarkChanged(false);
}

void IControl::SetGreyed(bool greyed) {
  mGreyed = greyed;
  mBlend.weight = greyed ? 0.25f : 1.0f;
  MarkChanged(false);
}

bool IControl::ContainsPoint(int x, int y) { return BoxContains(mHitRect, x, y); }

void IControl::MarkChanged(bool pushToPlug) {
  const double low = LowClampOf(*this);
  if (std::isnan(mValue)) mValue = low;
  if (mClampLow > mValue) {
    mValue = mClampLow;
  } else if (mClampHigh < mValue) {
    mValue = mClampHigh;
  }
  if (std::isnan(mValue)) mValue = low;  // a NaN high clamp
  mChanged = true;

  if (!pushToPlug || !mPlug || mBoundParam < 0) return;
  mPlug->SetParameterFromGUI(mBoundParam, mValue);

  IFxSetting* param = BoundSetting();
  if (!param) return;
  if (mValueTextControl) {
    char text[kDisplayTextSize] = {};
    param->FormatValue(param->Value(), false, text, sizeof text, true);
    if (std::strcmp(text, mValueTextControl->mText.Text()) != 0) {
      mValueTextControl->MarkChanged(false);
      mValueTextControl->mText.Set(text);
    }
  }
  if (mNameTextControl) mNameTextControl->SetLabelText(param->NameText());
}

void IControl::MarkPainted() {
  mChanged = mRepaintAgain;
  mRepaintAgain = false;
}

void IControl::AcceptAuxParamValue(int auxIdx, double value) {
  const int idx = auxIdx;
  const bool auxIdxInRange = idx > -1 && idx < mAuxParams.Count();
  assert(auxIdxInRange && "idx > -1 && idx < mAuxParams.GetSize()");
  if (!auxIdxInRange) return;  // builds without assertions ignore the call
  if (std::isnan(value)) value = LowClampOf(*this);
  IAuxParamEntry& entry = mAuxParams.Get()[idx];
  if (entry.value != value) {
    entry.value = value;
    MarkChanged(false);
    mRepaintAgain = true;
  }
}

void IControl::MoveTo(int x, int y) {
  const int64_t w = static_cast<int64_t>(mRect.mRight) - mRect.mLeft;
  const int64_t h = static_cast<int64_t>(mRect.mBottom) - mRect.mTop;
  mRect = IBox(x, y, SaturateToInt(x + w), SaturateToInt(y + h));
  mHitRect = mRect;
}

void IControl::OpenValueEditor() {
  if (mBoundParam < 0 || mValueEditorDisabled || !mPlug) return;
  IFxSetting* param = BoundSetting();
  IGraphics* graphics = mPlug->AttachedGraphics();
  if (!param || !graphics) return;

  IBox area = mRect;
  if (param->CountValueTexts() < 1) {
    // Rebuilt around the centre, in single precision like the window code measures.
    const int64_t l = mRect.mLeft, t = mRect.mTop, r = mRect.mRight, b = mRect.mBottom;
    const int64_t cx = TruncFloatToInt(static_cast<float>(l + r) * 0.5f);
    const int64_t cy = TruncFloatToInt(static_cast<float>(t + b) * 0.5f);
    const int64_t hw = TruncFloatToInt(static_cast<float>(r - l) * 0.5f);
    const int64_t hh = TruncFloatToInt(static_cast<float>(b - t) * 0.5f);
    area = IBox(SaturateToInt(cx - hw), SaturateToInt(cy - hh), SaturateToInt(cx + hw),
                SaturateToInt(cy + hh));
  }
  graphics->OfferValueEditor(this, param, &area);
  mRepaintAgain = true;
}

void IControl::AcceptUserValue(double value) {
  if (std::isnan(value)) value = LowClampOf(*this);
  if (value != mValue) {
    mValue = value;
    MarkChanged(true);
    mRepaintAgain = true;
  }
}

bool IControl::AddAuxParam(int paramIdx, double value) {
  const int n = mAuxParams.Count();
  if (!mAuxParams.Resize(static_cast<int64_t>(n) + 1, false)) return false;
  IAuxParamEntry& entry = mAuxParams.Get()[n];
  entry.value = value;
  entry.paramIdx = paramIdx;
  return true;
}

const IAuxParamEntry* IControl::AuxParam(int i) const {
  if (i < 0 || i >= mAuxParams.Count()) return nullptr;
  return &mAuxParams.Get()[i];
}

IFxSetting* IControl::BoundSetting() const {
  if (!mPlug || mBoundParam < 0) return nullptr;
  return mPlug->GetParam(mBoundParam);
}

// ---------------------------------------------------------------------------------------------
// IBitmapControl

IBitmapControl::IBitmapControl(IFxBase* plug, const IBox& rect, const ISkinImage& skin,
                               int paramIdx, const IDrawBlend* blend)
    : IControl(plug, rect, paramIdx, blend), mSkin(skin) {}

bool IBitmapControl::DrawInto(IGraphics* graphics) {
  if (!graphics) return false;
  return graphics->DrawSkinFrame(mSkin, mRect, IKnobMultiControl::FrameFor(mSkin, mValue), &mBlend);
}

// ---------------------------------------------------------------------------------------------
// IKnobMultiControl

IKnobMultiControl::IKnobMultiControl(IFxBase* plug, const IBox& rect, int paramIdx,
                                     const ISkinImage& skin, const IDrawBlend* blend)
    : IKnobControl(plug, rect, paramIdx, blend), mSkin(skin) {}

int IKnobMultiControl::FrameFor(const ISkinImage& skin, double v) {
  const int n = skin.frameCount < 1 ? 1 : skin.frameCount;
  // frame = int((N - 1) v + 0.5) + 1, limited to 1..N; the limit is applied before the
  // conversion so that NaN and huge values stay defined.
  double d = static_cast<double>(n - 1) * v + 0.5;
  if (!(d >= 0.0)) d = 0.0;  // also NaN
  if (d > static_cast<double>(n - 1)) d = static_cast<double>(n - 1);
  return static_cast<int>(d) + 1;
}

void IKnobMultiControl::MouseDragged(int, int, int dX, int dY, const IMouseState* state) {
  double gearing = mDragScale;
  if (state && (state->control || state->shift)) gearing *= 10.0;

  double delta = 0.0;
  if (mDragHorizontal == 0) {
    const double extent = static_cast<double>(mRect.mTop) - static_cast<double>(mRect.mBottom);
    if (extent != 0.0) delta = static_cast<double>(dY) / extent;
  } else {
    const double extent = static_cast<double>(mRect.mRight) - static_cast<double>(mRect.mLeft);
    if (extent != 0.0) delta = static_cast<double>(dX) / extent;
  }
  const double step = delta / gearing;
  if (std::isfinite(step)) mValue += step;  // a zero or NaN gearing moves nothing
  MarkChanged(true);
}

void IKnobMultiControl::WheelTurned(int, int, const IMouseState* state, int delta) {
  const bool fine = state && (state->control || state->shift);
  mValue += static_cast<double>(delta) * (fine ? 0.001 : 0.01);
  MarkChanged(true);
}

bool IKnobMultiControl::DrawInto(IGraphics* graphics) {
  if (!graphics) return false;
  return graphics->DrawSkinFrame(mSkin, mRect, FrameFor(mSkin, mValue), &mBlend);
}

// ---------------------------------------------------------------------------------------------
// IKnobMultiControlText

namespace {

IBox KnobArea(int x, int y, const ISkinImage& skin) {
  const int n = skin.frameCount < 1 ? 1 : skin.frameCount;
  const int64_t frameHeight = skin.height / n;
  return IBox(x, y, SaturateToInt(static_cast<int64_t>(x) + skin.width),
              SaturateToInt(static_cast<int64_t>(y) + frameHeight));
}

const IDrawBlend kPlainAlphaBlend(MixAlpha, 1.0f);

}  // namespace

IKnobMultiControlText::IKnobMultiControlText(IFxBase* plug, int x, int y, int paramIdx,
                                             const ISkinImage& skin, const IFontSpec& fontSpec,
                                             bool showLabel, int textPosition, int offset)
    : IKnobMultiControl(plug, KnobArea(x, y, skin), paramIdx, skin, &kPlainAlphaBlend) {
  mKnobRect = mRect;
  mDragHorizontal = 0;
  mDragScale = 4.0;
  mFontSpec = fontSpec;
  mShowLabel = showLabel;
  mValueEditorDisabled = false;
  mTextRect = IBox();

  // All in 64 bits, saturated into the rectangle at the end.
  const int64_t size = fontSpec.size;
  const int64_t off = offset;
  const int64_t l = mRect.mLeft, t = mRect.mTop, r = mRect.mRight, b = mRect.mBottom;
  const int64_t h = size + 4;
  const int64_t kh = b - t;
  const int64_t m = t + kh / 2 - h / 2 + off + 2;

  auto box = [](int64_t bl, int64_t bt, int64_t br, int64_t bb) {
    return IBox(SaturateToInt(bl), SaturateToInt(bt), SaturateToInt(br), SaturateToInt(bb));
  };
  switch (textPosition) {
    case TextBelow:
      mTextRect = box(l, b + off + 4, r, b + off + 4 + h);
      mHitRect.mBottom = mTextRect.mBottom;
      break;
    case TextAbove:
      mTextRect = box(l, t - h - 4, r, t);
      mHitRect.mTop = mTextRect.mTop;
      break;
    case TextOver:
      mTextRect = box(l, m, r, m + h);
      break;
    case TextLeft:
      mTextRect = box(2 * l - r, m, l, m + h);
      mHitRect.mLeft = mTextRect.mLeft;
      break;
    case TextRight:
      mTextRect = box(r + 2, m, l + 6 * size + 2, m + h);
      mHitRect.mRight = mTextRect.mRight;
      break;
    case TextBottomRight:
      mTextRect = box(r - 4, b - h, l + 6 * size - 4, b);
      mHitRect.mRight = mTextRect.mRight;
      break;
    default:
      break;
  }
}

void IKnobMultiControlText::MousePressed(int x, int y, const IMouseState* state) {
  if (BoxContains(mTextRect, x, y)) {
    if (mBoundParam < 0 || mValueEditorDisabled || !mPlug) return;
    IGraphics* graphics = mPlug->AttachedGraphics();
    IFxSetting* param = BoundSetting();
    if (!graphics || !param) return;
    graphics->OfferValueEditor(this, param, &mTextRect);
    mRepaintAgain = true;
    return;
  }
  // Leaves the value as it is but hands it to the plug-in once more.
  MouseDragged(x, y, 0, 0, state);
}

bool IKnobMultiControlText::DrawInto(IGraphics* graphics) {
  const bool knobDrawn = IKnobMultiControl::DrawInto(graphics);
  IFxSetting* param = BoundSetting();
  if (!graphics || !param) return knobDrawn;

  char text[kDisplayTextSize] = {};
  param->FormatValue(param->Value(), false, text, sizeof text, true);
  mValueString.Set(text);
  if (mShowLabel) {
    const char* unit = param->UnitText();
    mValueString.WriteAt(mValueString.Length(), " ", 1);
    mValueString.WriteAt(mValueString.Length(), unit, static_cast<int>(std::strlen(unit)));
  }
  if (text[0] == '\0') return true;

  graphics->DrawTextBox(&mFontSpec, mValueString.Text(), &mTextRect, true);
  mTextRect.mBottom =
      SaturateToInt(static_cast<int64_t>(mTextRect.mTop) + static_cast<int64_t>(mFontSpec.size) + 4);
  return graphics->DrawTextBox(&mFontSpec, mValueString.Text(), &mTextRect, false);
}

// ---------------------------------------------------------------------------------------------
// ITextControl

ITextControl::ITextControl(IFxBase* plug, const IBox& rect, const IFontSpec& fontSpec,
                           const char* text)
    : IControl(plug, rect, -1, &kPlainAlphaBlend) {
  mFontSpec = fontSpec;
  mText.Set(text);
}

bool ITextControl::DrawInto(IGraphics* graphics) {
  if (mText.Length() == 0) return true;
  if (!graphics) return false;
  IBox area = mRect;
  return graphics->DrawTextBox(&mFontSpec, mText.Text(), &area, false);
}

void ITextControl::SetLabelText(const char* text) {
  if (!text) text = "";
  if (std::strcmp(text, mText.Text()) == 0) return;
  MarkChanged(false);
  mText.Set(text);
}
