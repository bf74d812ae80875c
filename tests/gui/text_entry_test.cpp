// The window-independent rules of the value editor: the characters a field takes, the number an
// entered text stands for, applying it as one host gesture, the popup of value texts, the numbering
// of menu commands, and the bounded text building of the file dialog and the folder helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "fx/choicemenu.h"
#include "fx/textentry.h"
#include "tests/gui/gui_harness.h"

using namespace guitest;
using namespace fxtest;

TEST(TextEntry, FieldTakesOnlyTheCharactersOfItsParameterKind) {
  struct Case {
    int kind;
    const char* taken;
    const char* swallowed;
  };
  const Case cases[] = {
      {kParamToggle, "+-0123456789\b", ".aAe ,/:"},
      {kParamInteger, "+-0123456789\b", ".aAe ,"},
      {kParamChoice, "+-0123456789\b", ".xE"},
      {kParamContinuous, "+-0123456789.\b", "aAeE ,\r\x1b"},
      {kParamUnset, "aZ.,e -", ""},
      {7, "aZ.,e -", ""},
  };
  for (const Case& c : cases) {
    for (const char* p = c.taken; *p; ++p)
      EXPECT_TRUE(FieldTakesChar(c.kind, static_cast<unsigned char>(*p))) << c.kind << " '" << *p << "'";
    for (const char* p = c.swallowed; *p; ++p)
      EXPECT_FALSE(FieldTakesChar(c.kind, static_cast<unsigned char>(*p))) << c.kind << " '" << *p << "'";
  }
}

TEST(TextEntry, EnteredNumberIsTheDecimalNumberTheTextStartsWith) {
  struct Case {
    const char* text;
    bool number;
    double value;
  };
  const Case cases[] = {
      {"12.5", true, 12.5},        {"  -3", true, -3.0},      {"\t+4e2", true, 400.0},
      {".5", true, 0.5},           {"-.25", true, -0.25},     {"5.", true, 5.0},
      {"12abc", true, 12.0},       {"1e", true, 1.0},         {"2E+", true, 2.0},
      {"1.2.3", true, 1.2},        {"0x10", true, 0.0},       {"007", true, 7.0},
      {"-2.5e-1dB", true, -0.25},  {"1e308", true, 1e308},
      // No number at all: words, lone signs and points, empty texts, and what no double holds.
      {"nan", false, 0},           {"inf", false, 0},         {"-infinity", false, 0},
      {"abc", false, 0},           {"", false, 0},            {"   ", false, 0},
      {"-", false, 0},             {".", false, 0},           {"+.e5", false, 0},
      {"1e999", false, 0},         {"-1e999", false, 0},      {"1e99999999", false, 0},
  };
  for (const Case& c : cases) {
    double v = 12345.0;
    EXPECT_EQ(ReadEnteredNumber(c.text, &v), c.number) << c.text;
    if (c.number) {
      EXPECT_EQ(v, c.value) << c.text;
    } else {
      EXPECT_EQ(v, 12345.0) << c.text << ": value written without a number";
    }
  }
  // A long run of digits (more than a field ever holds) is still read whole.
  const std::string many = "1" + std::string(300, '0');  // 1e300
  double v = 0;
  ASSERT_TRUE(ReadEnteredNumber(many.c_str(), &v));
  EXPECT_DOUBLE_EQ(v, 1e300);
  EXPECT_FALSE(ReadEnteredNumber(("1" + std::string(400, '0')).c_str(), &v));
  EXPECT_FALSE(ReadEnteredNumber(nullptr, &v));
}

namespace {

// A choice parameter with three value texts, at value 1.
IFxSetting* MakeChoice(TestPlugin& plug, int idx) {
  IFxSetting* p = plug.GetParam(idx);
  p->SetKind(kParamChoice);
  p->InitContinuous("Mode", 1.0, 0.0, 2.0, 1.0);
  p->AddValueText(0, "Off");
  p->AddValueText(1, "Soft");
  p->AddValueText(2, "Hard");
  p->SetValue(1.0);
  return p;
}

}  // namespace

TEST(TextEntry, EnteredValueByParameterKind) {
  TestPlugin plug;
  const IFxSetting& thr = *plug.GetParam(kTopThreshold);
  EXPECT_EQ(EnteredParamValue(thr, "-12.5"), -12.5);
  EXPECT_EQ(EnteredParamValue(thr, "letters"), 0.0);
  // Pasted words and overflowing numbers are no number: 0, never a non-finite value.
  for (const char* bad : {"nan", "NaN", "inf", "1e999", "-1e999"}) {
    EXPECT_EQ(EnteredParamValue(thr, bad), 0.0) << bad;
  }
  plug.GetParam(kTopThreshold)->SetFlipSign(true);
  EXPECT_EQ(EnteredParamValue(thr, "12"), -12.0);

  const IFxSetting& mode = *MakeChoice(plug, kRelease);
  EXPECT_EQ(EnteredParamValue(mode, "Hard"), 2.0);
  EXPECT_EQ(EnteredParamValue(mode, "Soft"), 1.0);
  EXPECT_EQ(EnteredParamValue(mode, "hard"), 0.0);  // case counts
  EXPECT_EQ(EnteredParamValue(mode, "2"), 0.0);     // numbers are no value text
  EXPECT_EQ(EnteredParamValue(mode, nullptr), 0.0);
}

namespace {

class TextTakingControl : public RecordingControl {
 public:
  using RecordingControl::RecordingControl;
  void AcceptEnteredText(const char* text) override { texts.push_back(text); }
  std::vector<std::string> texts;
};

}  // namespace

TEST(TextEntry, AppliedTextIsOneHostGestureWithTheClampedNormalisedValue) {
  struct Case {
    const char* text;
    double normalized;  // of -48..0 dB
  };
  const Case cases[] = {
      {"12.5", 1.0},      // above the range: 0 dB
      {"-30", 18.0 / 48.0},
      {"-100", 0.0},      // below: -48 dB
      {"nan", 1.0},       // no number: 0, i.e. 0 dB
      {"1e999", 1.0},
      {"-24abc", 0.5},
  };
  for (const Case& c : cases) {
    TestEditor e(640, 480);
    RecordingControl* knob = e.Add(IBox(445, 6, 541, 102), kTopThreshold);
    knob->mValue = e.plug.GetParam(kTopThreshold)->NormalizedValue();  // -19 dB, as routed
    e.plug.events.clear();
    e.graphics->ApplyEnteredText(knob, e.plug.GetParam(kTopThreshold), c.text);
    EXPECT_DOUBLE_EQ(knob->mValue, c.normalized) << c.text;
    EXPECT_DOUBLE_EQ(e.plug.GetParam(kTopThreshold)->NormalizedValue(), c.normalized) << c.text;
    EXPECT_TRUE(std::isfinite(e.plug.GetParam(kTopThreshold)->Value()));
    ASSERT_FALSE(e.plug.informed.empty()) << c.text;
    EXPECT_DOUBLE_EQ(e.plug.informed.back().second, c.normalized);
    std::vector<std::string> gestures;
    for (const std::string& ev : e.plug.events)
      if (ev.rfind("begin", 0) == 0 || ev.rfind("inform", 0) == 0 || ev.rfind("end", 0) == 0)
        gestures.push_back(ev);
    EXPECT_EQ(gestures, (std::vector<std::string>{"begin 0", "inform 0", "end 0"})) << c.text;
  }
  // A free-text field hands the text to its control.
  TestEditor e;
  TextTakingControl* label = new TextTakingControl(&e.plug, IBox(0, 0, 10, 10));
  e.graphics->AddControl(label);
  e.graphics->ApplyEnteredText(label, nullptr, "hello");
  EXPECT_EQ(label->texts, (std::vector<std::string>{"hello"}));
  EXPECT_TRUE(e.plug.informed.empty());
}

TEST(TextEntry, ChoiceParameterOffersAPopupOfItsValueTexts) {
  TestEditor e(640, 480);
  IFxSetting* mode = MakeChoice(e.plug, kRelease);
  RecordingControl* c = e.Add(IBox(10, 10, 50, 30), kRelease);
  c->mValue = mode->NormalizedValue();  // 0.5
  const IBox area(10, 10, 50, 30);
  e.plug.events.clear();
  e.graphics->popupChoice = 2;
  e.graphics->OfferValueEditor(c, mode, &area);
  ASSERT_EQ(e.graphics->popups.size(), 1u);
  const TestGraphics::Popup& shown = e.graphics->popups[0];
  EXPECT_EQ(shown.items, (std::vector<std::string>{"Off", "Soft*", "Hard"}));
  EXPECT_EQ(shown.prefixStyle, 0);
  EXPECT_EQ(shown.chosenBefore, -1);
  EXPECT_EQ(shown.area, area);
  EXPECT_TRUE(e.graphics->textFields.empty());
  // "Hard" is value 2 of 0..2.
  EXPECT_DOUBLE_EQ(c->mValue, 1.0);
  EXPECT_EQ(mode->Value(), 2.0);
  EXPECT_EQ(e.plug.events.front(), "begin " + std::to_string(kRelease));
  EXPECT_EQ(e.plug.events.back(), "end " + std::to_string(kRelease));

  // Dismissed: nothing changes and the host hears nothing.
  e.plug.events.clear();
  e.graphics->popupChoice = -1;
  e.graphics->OfferValueEditor(c, mode, &area);
  EXPECT_EQ(e.graphics->popups.back().items, (std::vector<std::string>{"Off", "Soft", "Hard*"}));
  EXPECT_EQ(mode->Value(), 2.0);
  EXPECT_TRUE(e.plug.events.empty());

  // A toggle needs value texts for a popup; without them it gets the text field.
  IFxSetting* sw = e.plug.GetParam(kAttack);
  sw->SetKind(kParamToggle);
  RecordingControl* t = e.Add(IBox(60, 10, 90, 30), kAttack);
  e.graphics->OfferValueEditor(t, sw, &area);
  EXPECT_EQ(e.graphics->popups.size(), 2u);
  EXPECT_EQ(e.graphics->textFields.size(), 1u);
  sw->AddValueText(0, "off");
  e.graphics->OfferValueEditor(t, sw, &area);
  EXPECT_EQ(e.graphics->popups.size(), 3u);
}

TEST(ChoiceMenu, CommandsAreNumberedParentFirstThenSubMenusDepthFirst) {
  // Three items, a two-item sub-menu on the second, whose own second item holds two more.
  IChoiceMenu top;
  IChoiceMenu* sub = new IChoiceMenu;
  IChoiceMenu* deep = new IChoiceMenu;
  deep->AddItem("d1");
  deep->AddItem("d2");
  top.AddItem("one");
  top.AddItem("two", sub);
  top.AddItem("three");
  sub->AddItem("s1");
  sub->AddItem("s2", deep);
  // Ids: top 0-2, sub 3-4, deep 5-6.
  struct Case {
    int id;
    IChoiceMenu* menu;
    int index;
  };
  const Case cases[] = {{0, &top, 0}, {2, &top, 2}, {3, sub, 0},   {4, sub, 1},
                        {5, deep, 0}, {6, deep, 1}, {7, nullptr, -1}, {-1, nullptr, -1}};
  for (const Case& c : cases) {
    int index = -1;
    EXPECT_EQ(FindChosenMenuItem(c.id, &top, 0, &index), c.menu) << c.id;
    if (c.menu) {
      EXPECT_EQ(index, c.index) << c.id;
    }
  }
  int index = -1;
  EXPECT_EQ(FindChosenMenuItem(14, &top, 10, &index), sub);  // numbered from 10
  EXPECT_EQ(index, 1);
}

TEST(ChoiceMenu, PrefixStylesNumberTheItemsFromOne) {
  IChoiceMenu m;
  m.AddItem("a");
  m.AddItem("b");
  m.AddItem("text");
  const char* expected[] = {"text", "3: text", "03: text", "003: text"};
  for (int style = 0; style <= 3; ++style) {
    m.mPrefixStyle = style;
    HeapString label;
    ChoiceMenuLabel(m, 2, &label);
    EXPECT_STREQ(label.Text(), expected[style]);
  }
  m.mPrefixStyle = 2;
  IChoiceMenu big;
  big.mPrefixStyle = 1;
  for (int i = 0; i < 12; ++i) big.AddItem("x");
  HeapString label;
  ChoiceMenuLabel(big, 11, &label);
  EXPECT_STREQ(label.Text(), "12: x");
}

TEST(FileTexts, FolderOfAModulePathKeepsTheLastBackslash) {
  char out[64];
  EXPECT_TRUE(FolderOfModulePath("C:\\Plugins\\fx.dll", out, sizeof out));
  EXPECT_STREQ(out, "C:\\Plugins\\");
  for (const char* none : {"fx.dll", "C:\\Plugins\\", ""}) {
    EXPECT_FALSE(FolderOfModulePath(none, out, sizeof out)) << none;
    EXPECT_STREQ(out, "");
  }
  // A folder that does not fit with its terminator is no folder.
  char small[11];
  EXPECT_FALSE(FolderOfModulePath("C:\\Plugins\\fx.dll", small, sizeof small));
  EXPECT_STREQ(small, "");
  char fits[12];
  EXPECT_TRUE(FolderOfModulePath("C:\\Plugins\\fx.dll", fits, sizeof fits));

  EXPECT_TRUE(DriveAndDirectoryOf("D:\\presets\\mine\\a.fxp", out, sizeof out));
  EXPECT_STREQ(out, "D:\\presets\\mine\\");
  EXPECT_TRUE(DriveAndDirectoryOf("D:a.fxp", out, sizeof out));
  EXPECT_STREQ(out, "D:");
  EXPECT_FALSE(DriveAndDirectoryOf("a.fxp", out, sizeof out));
  EXPECT_STREQ(out, "");
}

TEST(FileTexts, FilterIsThePatternTwiceAndStaysWithinItsLimits) {
  char filter[kFilterSize];
  char ext[kDefaultExtensionMax + 1];
  BuildFileFilter("fxp fxb", filter, sizeof filter, ext, sizeof ext);
  EXPECT_EQ(std::string(filter, 24), std::string("*.fxp;*.fxb\0*.fxp;*.fxb\0\0", 24));
  EXPECT_STREQ(ext, "fxp");

  // 30 extensions of three letters: each entry takes 6 characters with its ";" (5 for the
  // first), so 21 fit in 126 (5 + 20 x 6 = 125) and the 22nd would not.
  std::string many;
  for (int i = 0; i < 30; ++i) many += (i ? " " : "") + std::string("e") + char('a' + i % 26) + "x";
  BuildFileFilter(many.c_str(), filter, sizeof filter, ext, sizeof ext);
  const size_t len = std::strlen(filter);
  EXPECT_EQ(len, 125u);
  EXPECT_EQ(std::string(filter + len + 1), std::string(filter));
  EXPECT_EQ(filter[2 * len + 2], '\0');
  EXPECT_EQ(std::string(filter + len - 6), ";*.eux");  // the 21st, whole

  // The default extension is cut at 15 characters.
  BuildFileFilter("abcdefghijklmnopqrst wav", filter, sizeof filter, ext, sizeof ext);
  EXPECT_STREQ(ext, "abcdefghijklmno");
  EXPECT_STREQ(filter, "*.abcdefghijklmnopqrst;*.wav");
  // Too small a filter buffer gives an empty filter, never a write past it.
  char tiny[8] = "xxxxxxx";
  BuildFileFilter("fxp", tiny, sizeof tiny, ext, sizeof ext);
  EXPECT_EQ(tiny[0], '\0');
  EXPECT_EQ(tiny[1], '\0');
}
