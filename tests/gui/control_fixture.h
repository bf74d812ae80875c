// Shared pieces of the control tests: the test plug-in with a graphics object attached that records
// the value editor it is asked to open, and a minimal concrete control.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fx/icontrol.h"
#include "fx/ifxsetting.h"
#include "fx/igraphics.h"
#include "tests/fx/testplugin.h"

namespace controltest {

struct TextFieldCall {
  IControl* control;
  IBox area;
  std::string text;
  IFxSetting* param;
};

// A graphics object without a window that records the text fields and popups it would open.
class RecordingGraphics : public IGraphics {
 public:
  RecordingGraphics(IFxBase* plug, int width, int height) : IGraphics(plug, width, height, 25) {}

  void OpenTextField(IControl* control, const IFontSpec*, const IBox* area, const char* text,
                     IFxSetting* param) override {
    textFields.push_back({control, area ? *area : IBox(), text ? text : "", param});
  }
  IChoiceMenu* RunPopupMenu(IChoiceMenu*, const IBox* area) override {
    popupAreas.push_back(area ? *area : IBox());
    return nullptr;
  }

  std::vector<TextFieldCall> textFields;
  std::vector<IBox> popupAreas;
};

// The smallest concrete control: draws nothing.
class PlainControl : public IControl {
 public:
  using IControl::IControl;
  bool DrawInto(IGraphics*) override { return true; }
};

// The test plug-in with a recording graphics object attached (owned by the plug-in).
class ControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    graphics = new RecordingGraphics(&plug, 640, 480);
    plug.ConnectGraphics(graphics);
    plug.events.clear();
    plug.paramChanges.clear();
    plug.informed.clear();
  }

  IFxSetting* TopThreshold() { return plug.GetParam(fxtest::kTopThreshold); }

  fxtest::TestPlugin plug;
  RecordingGraphics* graphics = nullptr;  // owned by plug
};

// A 61-frame vertical knob strip of a 60 x 60 knob (60 x 3660 pixels), without pixels.
inline ISkinImage KnobStrip61() {
  ISkinImage s;
  s.width = 60;
  s.height = 3660;
  s.frameCount = 61;
  return s;
}

// 29/48: -19 dB on the -48..0 dB scale of "Top Threshold" (linear, exponent 1).
constexpr double kMinus19Normalized = 29.0 / 48.0;

}  // namespace controltest
