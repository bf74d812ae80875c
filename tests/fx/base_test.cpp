// Plug-in base object: identity, parameters, channel layouts, presets, captions, editor attachment
// and the edit road from the editor.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "tests/fx/testplugin.h"

namespace {

using fxtest::FakeGraphics;
using fxtest::RecorderFx;
using fxtest::TestPlugin;

// ---------------------------------------------------------------- identity and parameters

TEST(IFxBase, IdentityIsTakenFromTheConstructor) {
  TestPlugin fx;
  EXPECT_TRUE(fx.ConstructedWhole());
  EXPECT_STREQ(fx.EffectTitle(), "QuibelOmbrelux");
  EXPECT_STREQ(fx.ProductTitle(), "");
  EXPECT_STREQ(fx.MakerTitle(), "Quibel");
  EXPECT_EQ(fx.PluginId(), 0x4F6D4C78);  // 'O' 'm' 'L' 'x'
  EXPECT_EQ(fx.MakerId(), 0x5162656C);   // 'Q' 'b' 'e' 'l'
  EXPECT_EQ(fx.VendorVersion(), 0x10001);
  EXPECT_EQ(fx.WrapperFormat(), kFormatVst3);
  EXPECT_FALSE(fx.TakesMidi());
  EXPECT_FALSE(fx.HasStateChunks());
  EXPECT_FALSE(fx.IsSynth());
}

TEST(IFxBase, NameTextsAreCutTo127Characters) {
  const std::string longName(200, 'q');
  RecorderFx fx(0, "1-1", 0, 0, longName.c_str(), longName.c_str(), longName.c_str());
  EXPECT_EQ(std::string(fx.EffectTitle()), std::string(127, 'q'));
  EXPECT_EQ(std::string(fx.ProductTitle()), std::string(127, 'q'));
  EXPECT_EQ(std::string(fx.MakerTitle()), std::string(127, 'q'));
}

TEST(IFxBase, NineParametersOfThePlugin) {
  const struct {
    const char* name;
    double def, min, max, step;
    const char* unit;
    double exponent;
    int decimals;
  } table[] = {
      {"Top Threshold", -19, -48, 0, 0.1, "dB", 1.0, 1},
      {"Top Ratio", 2, 1, 20, 0.1, "", 1.0, 1},
      {"Avg Threshold", -24, -48, 0, 0.1, "dB", 1.0, 1},
      {"Avg Ratio", 2, 1, 20, 0.1, "", 1.0, 1},
      {"Btm Threshold", -29, -48, 0, 0.1, "dB", 1.0, 1},
      {"Btm Ratio", 2, 1, 20, 0.1, "", 1.0, 1},
      {"Attack", 10, 1, 100, 1, "ms", 2.0, 0},
      {"Release", 500, 1, 999, 1, "ms", 2.0, 0},
      {"Saturation", 20, 0, 100, 1, "%", 1.0, 0},
  };
  TestPlugin fx;
  ASSERT_EQ(fx.ParamCount(), 9);
  for (int i = 0; i < 9; ++i) {
    SCOPED_TRACE(table[i].name);
    const IFxSetting* p = fx.GetParam(i);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Kind(), kParamContinuous);
    EXPECT_STREQ(p->NameText(), table[i].name);
    EXPECT_STREQ(p->UnitText(), table[i].unit);
    EXPECT_STREQ(p->GroupText(), "");
    EXPECT_EQ(p->Value(), table[i].def);
    EXPECT_EQ(p->DefaultValue(), table[i].def);
    EXPECT_EQ(p->Lowest(), table[i].min);
    EXPECT_EQ(p->Highest(), table[i].max);
    EXPECT_EQ(p->Increment(), table[i].step);
    EXPECT_EQ(p->Exponent(), table[i].exponent);
    EXPECT_EQ(p->Decimals(), table[i].decimals);
  }
  EXPECT_EQ(fx.GetParam(9), nullptr);
  EXPECT_EQ(fx.GetParam(-1), nullptr);
}

TEST(IFxBase, QuadraticParametersHaveTheirNormalizedDefaults) {
  TestPlugin fx;
  EXPECT_NEAR(fx.GetParam(fxtest::kAttack)->NormalizedValue(), 0.3015, 5e-5);
  EXPECT_NEAR(fx.GetParam(fxtest::kRelease)->NormalizedValue(), 0.7071, 5e-5);
}

// ---------------------------------------------------------------- channel layouts

TEST(IFxBase, ChannelTextGivesPairsAndPins) {
  TestPlugin fx;
  ASSERT_EQ(fx.ChannelPairCount(), 2);
  EXPECT_EQ(fx.ChannelPair(0)->inputs, 1);
  EXPECT_EQ(fx.ChannelPair(0)->outputs, 1);
  EXPECT_EQ(fx.ChannelPair(1)->inputs, 2);
  EXPECT_EQ(fx.ChannelPair(1)->outputs, 2);
  EXPECT_EQ(fx.InputPinCount(), 2);
  EXPECT_EQ(fx.OutputPinCount(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_FALSE(fx.InputPin(i)->mActive);
    EXPECT_FALSE(fx.OutputPin(i)->mActive);
    EXPECT_EQ(fx.InputPin(i)->mSlot, fx.InputPtrs() + i);
    EXPECT_EQ(fx.OutputPin(i)->mSlot, fx.OutputPtrs() + i);
    EXPECT_EQ(fx.InputPin(i)->mScratch.Count(), 0);
  }
}

TEST(IFxBase, LegalIOMatchesPairsWithWildcards) {
  TestPlugin fx;
  EXPECT_TRUE(fx.LegalIO(1, 1));
  EXPECT_TRUE(fx.LegalIO(2, 2));
  EXPECT_TRUE(fx.LegalIO(1, -1));
  EXPECT_TRUE(fx.LegalIO(-1, 2));
  EXPECT_TRUE(fx.LegalIO(-1, -1));
  EXPECT_FALSE(fx.LegalIO(1, 2));
  EXPECT_FALSE(fx.LegalIO(2, 1));
  EXPECT_FALSE(fx.LegalIO(3, -1));
}

TEST(IFxBase, PinCountsAreTheLargestCountsOverAllPairs) {
  RecorderFx fx(0, "1-2 2-1 0-1", 0);
  EXPECT_EQ(fx.ChannelPairCount(), 3);
  EXPECT_EQ(fx.InputPinCount(), 2);
  EXPECT_EQ(fx.OutputPinCount(), 2);
  EXPECT_TRUE(fx.LegalIO(0, 1));
  EXPECT_FALSE(fx.LegalIO(0, 2));
}

TEST(IFxBase, NullChannelTextGivesNoPairsAndNoPins) {
  RecorderFx fx(2, nullptr, 0);
  EXPECT_TRUE(fx.ConstructedWhole());
  EXPECT_EQ(fx.ChannelPairCount(), 0);
  EXPECT_EQ(fx.InputPinCount(), 0);
  EXPECT_EQ(fx.OutputPinCount(), 0);
  EXPECT_FALSE(fx.LegalIO(-1, -1));
  EXPECT_EQ(fx.ParamCount(), 2);
}

TEST(IFxBaseDeathTest, MalformedChannelTextFailsTheAssertion) {
#ifdef NDEBUG
  GTEST_SKIP() << "assertions are compiled out";
#else
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH({ RecorderFx fx(0, "1-1 x", 0); }, "channelIOStrValid");
  EXPECT_DEATH({ RecorderFx fx(0, "stereo", 0); }, "channelIOStrValid");
#endif
}

// ---------------------------------------------------------------- presets

TEST(Presets, StartUnfilledAndLabelledEmpty) {
  TestPlugin fx;
  ASSERT_EQ(fx.PresetCount(), 1);
  EXPECT_FALSE(fx.GetPreset(0)->mFilled);
  EXPECT_STREQ(fx.PresetLabel(0), "empty");
  EXPECT_EQ(fx.GetPreset(0)->mState.Size(), 0);
  EXPECT_STREQ(fx.PresetLabel(-1), "");
  EXPECT_STREQ(fx.PresetLabel(1), "");
}

TEST(Presets, StoringTheDefaultsCapturesTheState) {
  TestPlugin fx;
  fx.StoreCurrentAsPresets("-", 1);
  const IStoredPreset* p = fx.GetPreset(0);
  EXPECT_TRUE(p->mFilled);
  EXPECT_STREQ(p->mLabel, "-");
  ASSERT_EQ(p->mState.Size(), 72);
  double v = 0;
  p->mState.ReadDouble(&v, 8 * fxtest::kRelease);
  EXPECT_EQ(v, 500.0);
}

TEST(Presets, NullNameIsEmptyAndFullListIsLeftAlone) {
  TestPlugin fx;
  fx.StoreCurrentAsPresets(nullptr, 1);
  EXPECT_STREQ(fx.PresetLabel(0), "Empty");
  fx.GetParam(0)->SetValue(-1.0);
  fx.StoreCurrentAsPresets("Later", 1);
  EXPECT_STREQ(fx.PresetLabel(0), "Empty");
  EXPECT_EQ(fx.GetPreset(0)->mState.Size(), 72);
}

TEST(Presets, StoreFillsOnlyFreePresets) {
  RecorderFx fx(1, "1-1", 3);
  fx.StoreCurrentAsPresets("first", 1);
  fx.StoreCurrentAsPresets("rest", 5);
  EXPECT_STREQ(fx.PresetLabel(0), "first");
  EXPECT_STREQ(fx.PresetLabel(1), "rest");
  EXPECT_STREQ(fx.PresetLabel(2), "rest");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(fx.GetPreset(i)->mState.Size(), 8);
}

TEST(Presets, LongLabelIsCutTo255Characters) {
  RecorderFx fx(1, "1-1", 1);
  const std::string label(300, 'L');
  fx.StoreCurrentAsPresets(label.c_str(), 1);
  EXPECT_EQ(std::string(fx.PresetLabel(0)), std::string(255, 'L'));
}

TEST(Presets, LoadingUnfilledPresetsNumbersUserPresets) {
  RecorderFx fx(2, "1-1", 3);
  fx.GetParam(0)->SetValue(0.25);
  EXPECT_TRUE(fx.LoadPreset(1));
  EXPECT_STREQ(fx.PresetLabel(1), "user preset 1");
  EXPECT_TRUE(fx.GetPreset(1)->mFilled);
  EXPECT_EQ(fx.CurrentPreset(), 1);
  EXPECT_EQ(fx.presetsAlteredCalls, 1);
  double v = 0;
  fx.GetPreset(1)->mState.ReadDouble(&v, 0);
  EXPECT_EQ(v, 0.25);

  EXPECT_TRUE(fx.LoadPreset(0));
  EXPECT_STREQ(fx.PresetLabel(0), "user preset 2");
  EXPECT_EQ(fx.CurrentPreset(), 0);
  EXPECT_STREQ(fx.PresetLabel(2), "empty");
}

TEST(Presets, LoadingFilledPresetRestoresAndRefreshesControls) {
  TestPlugin fx;
  fx.GetParam(fxtest::kRelease)->SetValue(100.0);
  fx.StoreCurrentAsPresets("slow", 1);
  fx.GetParam(fxtest::kRelease)->SetValue(700.0);
  FakeGraphics* g = new FakeGraphics();
  fx.ConnectGraphics(g);
  g->routes.clear();
  fx.paramChanges.clear();

  EXPECT_TRUE(fx.LoadPreset(0));
  EXPECT_EQ(fx.GetParam(fxtest::kRelease)->Value(), 100.0);
  ASSERT_EQ(fx.paramChanges.size(), 9u);
  EXPECT_EQ(fx.paramChanges[7].source, kSourceRestore);
  EXPECT_EQ(fx.presetsAlteredCalls, 1);
  // Controls get display values, not normalised ones.
  ASSERT_EQ(g->routes.size(), 9u);
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(g->routes[i].paramIdx, i);
    EXPECT_EQ(g->routes[i].value, fx.GetParam(i)->Value());
    EXPECT_FALSE(g->routes[i].normalized);
  }
}

TEST(Presets, BadIndexOrFailedRestoreChangesNothing) {
  RecorderFx fx(2, "1-1", 2);
  fx.StoreCurrentAsPresets("a", 2);
  EXPECT_FALSE(fx.LoadPreset(-1));
  EXPECT_FALSE(fx.LoadPreset(2));
  fx.GetPreset(1)->mState.Clear();  // a filled preset whose state runs short
  EXPECT_FALSE(fx.LoadPreset(1));
  EXPECT_EQ(fx.CurrentPreset(), 0);
  EXPECT_EQ(fx.presetsAlteredCalls, 0);
}

// ---------------------------------------------------------------- captions

TEST(Captions, InputCaptionsOnlyForFirstTwoIndexes) {
  TestPlugin fx;
  fx.SetInputCaption(2, "Side");
  EXPECT_EQ(fx.InputCaptionCount(), 0);
  fx.SetInputCaption(0, "Input L");
  fx.SetInputCaption(1, "Input R");
  fx.SetInputCaption(0, "Main");
  ASSERT_EQ(fx.InputCaptionCount(), 2);
  EXPECT_STREQ(fx.InputCaption(0)->Text(), "Main");
  EXPECT_STREQ(fx.InputCaption(1)->Text(), "Input R");
}

TEST(Captions, OutputCaptionBeyondTheListIsAppended) {
  TestPlugin fx;
  fx.SetOutputCaption(5, "Output");
  ASSERT_EQ(fx.OutputCaptionCount(), 1);
  EXPECT_STREQ(fx.OutputCaption(0)->Text(), "Output");
  fx.SetOutputCaption(0, "Renamed");
  EXPECT_EQ(fx.OutputCaptionCount(), 1);
  EXPECT_STREQ(fx.OutputCaption(0)->Text(), "Renamed");
  fx.SetOutputCaption(-1, "Nope");
  EXPECT_EQ(fx.OutputCaptionCount(), 1);
}

// ---------------------------------------------------------------- editor attachment

TEST(Graphics, ConnectingNullChangesNothing) {
  TestPlugin fx;
  fx.ConnectGraphics(nullptr);
  EXPECT_EQ(fx.AttachedGraphics(), nullptr);
  fx.RefreshBoundControls();  // nothing attached: nothing to do
}

TEST(Graphics, ConnectRoutesNormalizedValuesAndCreatesBackBuffers) {
  TestPlugin fx;
  FakeGraphics* g = new FakeGraphics();
  fx.ConnectGraphics(g);
  EXPECT_EQ(fx.AttachedGraphics(), g);
  EXPECT_EQ(g->backBufferCalls, 1);
  ASSERT_EQ(g->routes.size(), 9u);
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(g->routes[i].paramIdx, i);
    EXPECT_TRUE(g->routes[i].normalized);
  }
  EXPECT_DOUBLE_EQ(g->routes[fxtest::kTopThreshold].value, 29.0 / 48.0);
  EXPECT_DOUBLE_EQ(g->routes[fxtest::kSaturation].value, 0.2);
  EXPECT_NEAR(g->routes[fxtest::kRelease].value, std::sqrt(0.5), 1e-12);
}

TEST(Graphics, PluginDeletesItsGraphicsObject) {
  bool deleted = false;
  {
    TestPlugin fx;
    fx.ConnectGraphics(new FakeGraphics(&deleted));
    EXPECT_FALSE(deleted);
  }
  EXPECT_TRUE(deleted);
}

TEST(Graphics, ConnectingAnotherObjectReplacesTheFirst) {
  bool firstDeleted = false;
  TestPlugin fx;
  fx.ConnectGraphics(new FakeGraphics(&firstDeleted));
  FakeGraphics* second = new FakeGraphics();
  fx.ConnectGraphics(second);
  EXPECT_TRUE(firstDeleted);
  EXPECT_EQ(fx.AttachedGraphics(), second);
}

// ---------------------------------------------------------------- parameter road and hooks

TEST(IFxBase, EditorEditAssignsInformsHostThenAnnounces) {
  TestPlugin fx;
  fx.SetParameterFromGUI(fxtest::kRelease, 0.5);
  EXPECT_EQ(fx.GetParam(fxtest::kRelease)->Value(), 251.0);
  ASSERT_EQ(fx.informed.size(), 1u);
  EXPECT_EQ(fx.informed[0].first, fxtest::kRelease);
  EXPECT_EQ(fx.informed[0].second, 0.5);
  ASSERT_EQ(fx.paramChanges.size(), 1u);
  EXPECT_EQ(fx.paramChanges[0].paramIdx, fxtest::kRelease);
  EXPECT_EQ(fx.paramChanges[0].source, kSourceEditor);
  ASSERT_EQ(fx.events.size(), 2u);
  EXPECT_EQ(fx.events[0], "inform 7");
  EXPECT_EQ(fx.events[1], "changed 7");
}

TEST(IFxBase, ResendAllParamsAnnouncesEveryParameterInOrder) {
  TestPlugin fx;
  fx.ResendAllParams(kSourceReset);
  ASSERT_EQ(fx.paramChanges.size(), 9u);
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(fx.paramChanges[i].paramIdx, i);
    EXPECT_EQ(fx.paramChanges[i].source, kSourceReset);
  }
}

TEST(IFxBase, ReceivedMidiIsPassedToTheHost) {
  TestPlugin fx;
  IMidiEvent e;
  e.SetNoteOn(60, 100, 12, 3);
  fx.ReceiveMidi(&e);
  ASSERT_EQ(fx.sentMidi.size(), 1u);
  EXPECT_EQ(fx.sentMidi[0].mStatusByte, 0x93);
  EXPECT_EQ(fx.sentMidi[0].mDataByte1, 60);
  EXPECT_EQ(fx.sentMidi[0].mDataByte2, 100);
  EXPECT_EQ(fx.sentMidi[0].mFrameOffset, 12);
}

TEST(IFxBase, HooksTakeThePluginLockAgainWhileHeld) {
  // A binding holds the lock for a whole call; the hooks it calls must not block on it.
  TestPlugin fx;
  SyncLockScope outer(fx.Lock());
  fx.ResetAudio();
  fx.ActivationChanged(true);
  fx.SetParameterFromGUI(0, 0.5);
  StateBlob blob;
  EXPECT_TRUE(fx.WriteStateBlob(blob));
  EXPECT_EQ(fx.ReadStateBlob(blob, 0), 72);
  fx.ConnectGraphics(new FakeGraphics());
  EXPECT_EQ(fx.GetParam(0)->Value(), -24.0);
}

}  // namespace
