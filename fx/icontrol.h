// Controls of the editor: rectangles that draw themselves into the graphics object's back buffer and
// react to the mouse and keys, optionally bound to one plug-in parameter whose value they show and
// edit in normalised form (0..1). The records every drawing call uses live here too.
#pragma once

#include <atomic>
#include <cstdint>

#include "fx/containers.h"
#include "fx/records.h"

class IFxBase;
class IFxSetting;
class IGraphics;
class PIX_IBitmap;
class PIX_CachedFont;
class ITextControl;

// A colour as four 0..255 values; packed for the raster library as A<<24 | R<<16 | G<<8 | B.
struct IArgb {
  int32_t A = 255, R = 0, G = 0, B = 0;
  IArgb() = default;
  IArgb(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}
  uint32_t Packed() const {
    return static_cast<uint32_t>(A & 0xFF) << 24 | static_cast<uint32_t>(R & 0xFF) << 16 |
           static_cast<uint32_t>(G & 0xFF) << 8 | static_cast<uint32_t>(B & 0xFF);
  }
};
extern const IArgb kColourBlack;  // (255, 0, 0, 0)
extern const IArgb kColourWhite;  // (255, 255, 255, 255)

// A text style.
struct IFontSpec {
  char face[32] = "Arial";
  int size = 12;             // font height in pixels
  IArgb colour = IArgb(255, 0, 0, 0);
  IArgb fieldBack = IArgb(255, 255, 255, 255);  // background of the control's text-entry field
  IArgb fieldText = IArgb(255, 0, 0, 0);        // text colour of that field
  int weightStyle = 0;       // 0 normal, 1 bold, 2 italic
  int align = 1;             // 0 left, 1 centre, 2 right
  int orientation = 0;       // degrees
  int quality = 0;           // 0..3
  PIX_CachedFont* font = nullptr;  // made by the font table on first use; not owned
};

enum IBlendMethod : int32_t { MixAlpha = 0, MixOverwrite = 1, MixAdditive = 2, MixDodge = 3 };

// How a drawing call mixes into the back buffer; a null blend means MixAlpha at weight 1.0.
struct IDrawBlend {
  int32_t method = MixAlpha;
  float weight = 1.0f;
  IDrawBlend() = default;
  IDrawBlend(int m, float w) : method(m), weight(w) {}
};
// The raster mode word of a blend (MixOverwrite 0, MixAdditive 0x10001, MixDodge 0x10002, else
// 0x10000) and its weight.
int RasterModeOf(const IDrawBlend* blend);
float RasterWeightOf(const IDrawBlend* blend);
// Truncation towards zero that stays defined outside the int range (NaN gives 0).
int32_t TruncFloatToInt(float v);

// A skin image: a strip of frameCount frames in one bitmap owned by the skin-image cache.
struct ISkinImage {
  PIX_IBitmap* image = nullptr;  // not owned
  int width = 0;
  int height = 0;
  int frameCount = 1;
  bool framesSideBySide = false;
};

struct IMouseState {
  bool left = false, right = false, shift = false, control = false, alt = false;
};

struct IAuxParamEntry {
  double value;
  int32_t paramIdx;
};

class IControl {
 public:
  IControl(IFxBase* plug, const IBox& rect, int paramIdx = -1, const IDrawBlend* blend = nullptr);
  virtual ~IControl();
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // ---- virtual operations, in slot order
  virtual void MousePressed(int x, int y, const IMouseState* state);
  virtual void MouseReleased(int, int, const IMouseState*) {}
  virtual void MouseDragged(int, int, int, int, const IMouseState*) {}
  virtual void MouseDoubleClicked(int x, int y, const IMouseState* state);
  virtual void WheelTurned(int, int, const IMouseState*, int) {}
  virtual bool HandleKey(int, int, int) { return false; }
  virtual void PointerMoved(int, int, const IMouseState*) {}
  virtual void PointerLeft() {}
  virtual bool DrawInto(IGraphics* graphics) = 0;
  // A value routed from the plug-in side (also on the audio thread).
  virtual void AcceptParamValue(double value);
  virtual void AcceptEnteredText(const char*) {}
  virtual void SetHidden(bool hidden);
  virtual void SetGreyed(bool greyed);
  virtual bool ContainsPoint(int x, int y);
  // Clamps the value, marks the control for painting and, with pushToPlug, hands the value to the
  // plug-in and refreshes the linked text controls.
  virtual void MarkChanged(bool pushToPlug);
  virtual void MarkPainted();
  virtual bool NeedsRepaint() { return mChanged; }
  virtual void SpareControlHook() {}
  virtual void AcceptAuxParamValue(int auxIdx, double value);
  virtual void MoveTo(int x, int y);

  // ---- non-virtual
  void OpenValueEditor();
  // A value chosen in the editor's popup or text field.
  void AcceptUserValue(double value);
  // Adds an auxiliary parameter entry; false when the list cannot grow.
  bool AddAuxParam(int paramIdx, double value);
  int AuxParamCount() const { return mAuxParams.Count(); }
  const IAuxParamEntry* AuxParam(int i) const;
  // The bound parameter's record, or null.
  IFxSetting* BoundSetting() const;

  int mEntryMaxChars = 7;
  IFontSpec mFontSpec;
  IFxBase* mPlug;  // not owned
  IBox mRect;
  IBox mHitRect;
  int mBoundParam;
  TypedBlock<IAuxParamEntry> mAuxParams{4096};
  double mValue = 0.0;
  double mDefaultValue = -1.0;
  double mClampLow = 0.0;
  double mClampHigh = 1.0;
  // Set on the audio thread by the per-block meter marking while the user-interface thread paints
  // and clears it, hence atomic.
  std::atomic<bool> mChanged{true};
  bool mHidden = false;
  bool mGreyed = false;
  bool mRepaintAgain = false;
  bool mValueEditorDisabled = true;
  bool mDoubleClickAsPress = false;
  bool mPointerWhileGreyed = false;
  IDrawBlend mBlend;
  ITextControl* mValueTextControl = nullptr;  // not owned
  ITextControl* mNameTextControl = nullptr;   // not owned
  const char* mTooltip = nullptr;             // not owned; fewer than 80 characters
};

// One frame of a skin image (the backdrop).
class IBitmapControl : public IControl {
 public:
  IBitmapControl(IFxBase* plug, const IBox& rect, const ISkinImage& skin, int paramIdx = -1,
                 const IDrawBlend* blend = nullptr);
  bool DrawInto(IGraphics* graphics) override;
  ISkinImage mSkin;
};

class IKnobControl : public IControl {
 public:
  using IControl::IControl;
};

// A knob drawn as one frame of a frame strip, dragged vertically (or horizontally).
class IKnobMultiControl : public IKnobControl {
 public:
  IKnobMultiControl(IFxBase* plug, const IBox& rect, int paramIdx, const ISkinImage& skin,
                    const IDrawBlend* blend = nullptr);
  void MouseDragged(int x, int y, int dX, int dY, const IMouseState* state) override;
  void WheelTurned(int x, int y, const IMouseState* state, int delta) override;
  bool DrawInto(IGraphics* graphics) override;
  // The frame (1..frameCount) that shows value v.
  static int FrameFor(const ISkinImage& skin, double v);

  int mDragHorizontal = 0;
  double mDragScale = 1.0;
  ISkinImage mSkin;
};

// Where IKnobMultiControlText puts its value text.
enum ITextPosition : int32_t {
  TextBelow = 0,
  TextAbove = 1,
  TextOver = 2,
  TextLeft = 3,
  TextRight = 4,
  TextBottomRight = 5,
};

// A knob with its parameter's value text in a box beside, over, under or above it.
class IKnobMultiControlText : public IKnobMultiControl {
 public:
  IKnobMultiControlText(IFxBase* plug, int x, int y, int paramIdx, const ISkinImage& skin,
                        const IFontSpec& fontSpec, bool showLabel, int textPosition, int offset);
  ~IKnobMultiControlText() override {}
  void MousePressed(int x, int y, const IMouseState* state) override;
  bool DrawInto(IGraphics* graphics) override;

  IBox mTextRect;
  IBox mKnobRect;
  HeapString mValueString;
  bool mShowLabel = false;
};

// A text label.
class ITextControl : public IControl {
 public:
  ITextControl(IFxBase* plug, const IBox& rect, const IFontSpec& fontSpec, const char* text);
  ~ITextControl() override {}
  bool DrawInto(IGraphics* graphics) override;
  void SetLabelText(const char* text);

  HeapString mText;
};
