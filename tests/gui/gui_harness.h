// Test doubles for the GUI tests: a graphics object whose skin resources are bitmaps made by the
// test (with a count of decodes per id) and which records what a window would be asked to do, a
// control that records the events it gets and draws through a callback, a font that records the
// text calls made on it, and small bitmap helpers.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "fx/choicemenu.h"
#include "fx/igraphics.h"
#include "fx/icontrol.h"
#include "fx/ifxsetting.h"
#include "raster/pixbitmap.h"
#include "raster/pixfont.h"
#include "tests/fx/testplugin.h"

namespace guitest {

// The skin-image cache is process-wide and keeps every entry until exit: every test that loads a
// skin takes fresh ids from here so that no two tests share an entry by accident.
inline int UniqueSkinId() {
  static int next = 20000;
  return next++;
}

// The colour frame k (0-based) of a test strip is filled with: opaque, the frame number in red and
// blue and a marker in green, so that any two frames (and the zero background) differ.
inline uint32_t FrameColour(int k) {
  return 0xFF000000u | static_cast<uint32_t>((k + 1) & 0xFF) << 16 | 0x5Au << 8 |
         static_cast<uint32_t>((255 - k) & 0xFF);
}

inline uint32_t PixelAt(PIX_IBitmap* bitmap, int x, int y) {
  return bitmap->PixelData()[y * bitmap->RowStride() + x];
}

inline void FillBitmap(PIX_IBitmap* bitmap, uint32_t colour) {
  uint32_t* px = bitmap->PixelData();
  if (!px) return;
  for (int y = 0; y < bitmap->PixelHeight(); ++y)
    for (int x = 0; x < bitmap->PixelWidth(); ++x) px[y * bitmap->RowStride() + x] = colour;
}

// A strip of frameCount frames of frameW x frameH, top to bottom (or side by side); frame k is
// filled with FrameColour(k).
inline PIX_MemBitmap* MakeStrip(int frameW, int frameH, int frameCount, bool sideBySide = false) {
  const int w = sideBySide ? frameW * frameCount : frameW;
  const int h = sideBySide ? frameH : frameH * frameCount;
  PIX_MemBitmap* b = new PIX_MemBitmap(w, h);
  uint32_t* px = b->PixelData();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int k = sideBySide ? x / frameW : y / frameH;
      px[y * b->RowStride() + x] = FrameColour(k);
    }
  return b;
}

// Same size, same pixels (only the visible width of each row is compared).
inline bool SamePixels(PIX_IBitmap* a, PIX_IBitmap* b, std::string* firstDiff = nullptr) {
  if (a->PixelWidth() != b->PixelWidth() || a->PixelHeight() != b->PixelHeight()) return false;
  for (int y = 0; y < a->PixelHeight(); ++y)
    for (int x = 0; x < a->PixelWidth(); ++x)
      if (PixelAt(a, x, y) != PixelAt(b, x, y)) {
        if (firstDiff) *firstDiff = "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
        return false;
      }
  return true;
}

struct TextFieldCall {
  IControl* control;
  const IFontSpec* style;
  IBox area;
  std::string text;
  IFxSetting* param;
};

// Graphics object without a window: skins come from makers registered per resource id (a new
// bitmap on every decode, as the real decoder makes), window requests are recorded.
class TestGraphics : public IGraphics {
 public:
  TestGraphics(IFxBase* plug, int width, int height, int fps = 25)
      : IGraphics(plug, width, height, fps) {}

  void SetSkinMaker(int resourceId, std::function<PIX_IBitmap*()> maker) {
    makers[resourceId] = std::move(maker);
  }

  PIX_IBitmap* DecodeSkinResource(int resourceId, const char*) override {
    ++decodeCalls[resourceId];
    auto it = makers.find(resourceId);
    return it == makers.end() ? nullptr : it->second();
  }
  void OpenTextField(IControl* control, const IFontSpec* style, const IBox* area,
                     const char* text, IFxSetting* param) override {
    textFields.push_back({control, style, area ? *area : IBox(), text ? text : "", param});
  }
  bool PresentToWindow(const IBox& area) override {
    presented.push_back(area);
    return false;
  }
  // Records the menu shown (item texts, with "*" for a checked item) and chooses popupChoice of it
  // (-1: the menu is dismissed).
  IChoiceMenu* RunPopupMenu(IChoiceMenu* menu, const IBox* area) override {
    std::vector<std::string> items;
    for (int i = 0; i < menu->ItemCount(); ++i) {
      const IChoiceMenuItem* item = menu->Item(i);
      items.push_back(std::string(item->mText.Text()) +
                      ((item->mFlags & IChoiceMenuItem::kChecked) ? "*" : ""));
    }
    popups.push_back({items, area ? *area : IBox(), menu->mPrefixStyle, menu->mChosenIndex});
    if (popupChoice < 0) return nullptr;
    menu->mChosenIndex = popupChoice;
    return menu;
  }

  std::map<int, std::function<PIX_IBitmap*()>> makers;
  std::map<int, int> decodeCalls;
  std::vector<TextFieldCall> textFields;
  std::vector<IBox> presented;
  struct Popup {
    std::vector<std::string> items;
    IBox area;
    int prefixStyle;
    int chosenBefore;
  };
  std::vector<Popup> popups;
  int popupChoice = -1;
};

// A control that records what reaches it and draws through a callback (default: nothing).
class RecordingControl : public IControl {
 public:
  RecordingControl(IFxBase* plug, const IBox& rect, int paramIdx = -1,
                   const IDrawBlend* blend = nullptr)
      : IControl(plug, rect, paramIdx, blend) {}

  bool DrawInto(IGraphics* graphics) override {
    ++draws;
    if (log) log->push_back(name + " draw");
    return draw ? draw(graphics) : true;
  }
  void MousePressed(int x, int y, const IMouseState*) override {
    events.push_back("press " + std::to_string(x) + "," + std::to_string(y));
  }
  void MouseReleased(int x, int y, const IMouseState*) override {
    events.push_back("release " + std::to_string(x) + "," + std::to_string(y));
  }
  void MouseDragged(int x, int y, int dX, int dY, const IMouseState*) override {
    events.push_back("drag " + std::to_string(x) + "," + std::to_string(y) + " d" +
                     std::to_string(dX) + "," + std::to_string(dY));
  }
  void MouseDoubleClicked(int x, int y, const IMouseState*) override {
    events.push_back("double " + std::to_string(x) + "," + std::to_string(y));
  }
  void WheelTurned(int x, int y, const IMouseState*, int delta) override {
    events.push_back("wheel " + std::to_string(x) + "," + std::to_string(y) + " " +
                     std::to_string(delta));
  }
  bool HandleKey(int, int, int key) override {
    events.push_back("key " + std::to_string(key));
    return takesKeys;
  }
  void PointerMoved(int x, int y, const IMouseState*) override {
    events.push_back("over " + std::to_string(x) + "," + std::to_string(y));
  }
  void PointerLeft() override { events.push_back("left"); }

  std::function<bool(IGraphics*)> draw;
  std::vector<std::string> events;
  std::vector<std::string>* log = nullptr;  // shared drawing order of several controls
  std::string name;
  int draws = 0;
  bool takesKeys = true;
};

struct TextCall {
  std::string text;
  IBox box;
  int flags;
  uint32_t colour;
  bool hadTarget;
};

// A font that draws nothing and records its RenderText calls; measuring answers a fixed width
// per character and a fixed height.
class RecordingFont : public PIX_CachedFont {
 public:
  int RenderText(PIX_IBitmap* target, const char* text, int length, IBox* box,
                 int flags) override {
    const std::string s = text ? (length < 0 ? std::string(text) : std::string(text, length)) : "";
    calls.push_back({s, box ? *box : IBox(), flags, GlyphColour(), target != nullptr});
    if (box && (flags & kTextCalcRect)) {
      box->mRight = box->mLeft + charWidth * static_cast<int>(s.size());
      box->mBottom = box->mTop + height;
    }
    return height;
  }
  int charWidth = 7;
  int height = 16;
  std::vector<TextCall> calls;
};

// The test plug-in (nine parameters) owning a test graphics object of width x height, attached the
// way the plug-in constructor attaches its editor (which also makes the back buffer).
struct TestEditor {
  explicit TestEditor(int width = 100, int height = 100) {
    graphics = new TestGraphics(&plug, width, height);
    plug.ConnectGraphics(graphics);
    plug.events.clear();
    plug.paramChanges.clear();
    plug.informed.clear();
  }
  // Adds a recording control and returns it (the graphics object owns it).
  RecordingControl* Add(const IBox& rect, int paramIdx = -1, const IDrawBlend* blend = nullptr) {
    RecordingControl* c = new RecordingControl(&plug, rect, paramIdx, blend);
    graphics->AddControl(c);
    return c;
  }
  // Marks every control painted so that a test starts from a quiet editor.
  void SettleAll() {
    for (int i = 0; i < graphics->ControlCount(); ++i) {
      graphics->Control(i)->mRepaintAgain = false;
      graphics->Control(i)->MarkPainted();
    }
  }

  fxtest::TestPlugin plug;
  TestGraphics* graphics = nullptr;  // owned by plug
};

}  // namespace guitest
