// The controller side: the exported parameter list, value and text conversions, units, the program
// list and the MIDI mapping.
#include <cmath>

#include "tests/integration/plugin_harness.h"

namespace qoit {
namespace {

struct Expected {
  const char* title;
  const char* units;
  double lo, hi, def;
  bool squared;  // normalised = sqrt((v - lo) / (hi - lo))
};

// The nine dynamics parameters, ids 0 to 8.
const Expected kParams[9] = {
    {"Top Threshold", "dB", -48, 0, -19, false}, {"Top Ratio", "", 1, 20, 2, false},
    {"Avg Threshold", "dB", -48, 0, -24, false}, {"Avg Ratio", "", 1, 20, 2, false},
    {"Btm Threshold", "dB", -48, 0, -29, false}, {"Btm Ratio", "", 1, 20, 2, false},
    {"Attack", "ms", 1, 100, 10, true},          {"Release", "ms", 1, 999, 500, true},
    {"Saturation", "%", 0, 100, 20, false},
};

double HandNormalized(const Expected& p, double v) {
  const double x = (v - p.lo) / (p.hi - p.lo);
  return p.squared ? std::sqrt(x) : x;
}

class ParameterTest : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    ASSERT_EQ(inst.Create(Factory()), "");
    c = inst.controller;
  }
  std::string TextOf(ParamID id, double normalized) {
    String128 s;
    s[0] = 0;
    EXPECT_EQ(c->getParamStringByValue(id, normalized, s), kResultOk) << id;
    return Narrow(s);
  }
  Instance inst;
  IEditController* c = nullptr;
};

TEST_F(ParameterTest, ListStartsWithPresetAndBypass) {
  ASSERT_EQ(c->getParameterCount(), 11);
  ParameterInfo info;
  ASSERT_EQ(c->getParameterInfo(0, info), kResultOk);
  EXPECT_EQ(info.id, kPresetId);
  EXPECT_EQ(Narrow(info.title), "Preset");
  EXPECT_EQ(info.flags, 0x8000);
  EXPECT_EQ(info.stepCount, 1);
  EXPECT_EQ(info.defaultNormalizedValue, 0.0);
  EXPECT_EQ(info.unitId, 0);

  ASSERT_EQ(c->getParameterInfo(1, info), kResultOk);
  EXPECT_EQ(info.id, kBypassId);
  EXPECT_EQ(Narrow(info.title), "Bypass");
  EXPECT_EQ(info.flags, 0x10009);
  EXPECT_EQ(info.stepCount, 1);
  EXPECT_EQ(info.defaultNormalizedValue, 0.0);
  EXPECT_EQ(info.unitId, 0);
}

TEST_F(ParameterTest, DynamicsParametersFollowInOrderWithTheirDefaults) {
  for (int i = 0; i < 9; ++i) {
    SCOPED_TRACE(kParams[i].title);
    ParameterInfo info;
    ASSERT_EQ(c->getParameterInfo(2 + i, info), kResultOk);
    EXPECT_EQ(info.id, static_cast<ParamID>(i));
    EXPECT_EQ(Narrow(info.title), kParams[i].title);
    EXPECT_EQ(Narrow(info.units), kParams[i].units);
    EXPECT_EQ(info.unitId, 0);
    EXPECT_EQ(info.stepCount, 0);
    EXPECT_EQ(info.flags & ParameterInfo::kCanAutomate, ParameterInfo::kCanAutomate);
    const double def = HandNormalized(kParams[i], kParams[i].def);
    EXPECT_NEAR(info.defaultNormalizedValue, def, 1e-12);
    EXPECT_NEAR(c->getParamNormalized(static_cast<ParamID>(i)), def, 1e-12);
  }
  ParameterInfo info;
  EXPECT_EQ(c->getParameterInfo(11, info), kResultFalse);
  EXPECT_EQ(c->getParameterInfo(-1, info), kResultFalse);
}

TEST_F(ParameterTest, DefaultsOfTheSquaredParameters) {
  EXPECT_NEAR(c->getParamNormalized(kAttack), 0.30151134457776363, 1e-12);
  EXPECT_NEAR(c->getParamNormalized(kRelease), 0.70710678118654752, 1e-12);
  EXPECT_NEAR(c->getParamNormalized(kTopThr), 29.0 / 48.0, 1e-12);
  EXPECT_EQ(c->getParamNormalized(kBypassId), 0.0);
}

TEST_F(ParameterTest, TextsShowOneDecimalForFineSteps) {
  EXPECT_EQ(TextOf(kTopThr, 29.0 / 48.0), "-19.0");
  EXPECT_EQ(TextOf(kTopThr, 0.0), "-48.0");
  EXPECT_EQ(TextOf(kTopThr, 1.0), "0.0");
  EXPECT_EQ(TextOf(kAvgThr, 0.5), "-24.0");
  EXPECT_EQ(TextOf(kTopRatio, 1.0 / 19.0), "2.0");
  EXPECT_EQ(TextOf(kAvgRatio, 0.5), "10.5");
  EXPECT_EQ(TextOf(kBtmRatio, 1.0), "20.0");
}

TEST_F(ParameterTest, TextsTruncateWholeNumberParameters) {
  EXPECT_EQ(TextOf(kRelease, 0.5), "250");  // 1 + 0.25 x 998 = 250.5
  EXPECT_EQ(TextOf(kAttack, 0.5), "25");    // 1 + 0.25 x 99 = 25.75
  EXPECT_EQ(TextOf(kAttack, 0.0), "1");
  EXPECT_EQ(TextOf(kAttack, 1.0), "100");
  EXPECT_EQ(TextOf(kAttack, std::sqrt(9.0 / 99.0)), "10");
  EXPECT_EQ(TextOf(kRelease, std::sqrt(499.0 / 998.0)), "500");
  EXPECT_EQ(TextOf(kSaturation, 0.2), "20");
  EXPECT_EQ(TextOf(kSaturation, 0.555), "55");
}

TEST_F(ParameterTest, TextsForBypassPresetAndUnknownIdsAreRefused) {
  String128 s;
  EXPECT_EQ(c->getParamStringByValue(kBypassId, 1.0, s), kResultFalse);
  EXPECT_EQ(c->getParamStringByValue(kPresetId, 0.0, s), kResultFalse);
  EXPECT_EQ(c->getParamStringByValue(9, 0.5, s), kResultFalse);
  EXPECT_EQ(c->getParamStringByValue(0x7FFFFFFF, 0.5, s), kResultFalse);
}

TEST_F(ParameterTest, ValuesFromText) {
  ParamValue v = -1;
  Text16 on("on"), off("off"), thr("-19.0"), attack("25.75"), junk("loud");
  ASSERT_EQ(c->getParamValueByString(kBypassId, on.units, v), kResultOk);
  EXPECT_EQ(v, 1.0);
  ASSERT_EQ(c->getParamValueByString(kBypassId, off.units, v), kResultOk);
  EXPECT_EQ(v, 0.0);
  ASSERT_EQ(c->getParamValueByString(kTopThr, thr.units, v), kResultOk);
  EXPECT_NEAR(v, 29.0 / 48.0, 1e-12);
  ASSERT_EQ(c->getParamValueByString(kAttack, attack.units, v), kResultOk);
  EXPECT_NEAR(v, 0.5, 1e-12);
  EXPECT_EQ(c->getParamValueByString(kTopThr, junk.units, v), kResultFalse);
  EXPECT_EQ(c->getParamValueByString(12345, thr.units, v), kResultFalse);
}

TEST_F(ParameterTest, PlainAndNormalisedConversionsUseTheExponent) {
  EXPECT_NEAR(c->normalizedParamToPlain(kAttack, 0.5), 25.75, 1e-12);
  EXPECT_NEAR(c->normalizedParamToPlain(kRelease, 0.5), 250.5, 1e-12);
  EXPECT_NEAR(c->normalizedParamToPlain(kTopThr, 0.25), -36.0, 1e-12);
  EXPECT_NEAR(c->normalizedParamToPlain(kTopRatio, 0.5), 10.5, 1e-12);
  EXPECT_NEAR(c->normalizedParamToPlain(kSaturation, 0.3), 30.0, 1e-12);
  EXPECT_NEAR(c->plainParamToNormalized(kAttack, 25.75), 0.5, 1e-12);
  EXPECT_NEAR(c->plainParamToNormalized(kRelease, 100.0), std::sqrt(99.0 / 998.0), 1e-12);
  EXPECT_NEAR(c->plainParamToNormalized(kTopThr, -19.0), 29.0 / 48.0, 1e-12);
  EXPECT_NEAR(c->plainParamToNormalized(kBtmRatio, 5.75), 0.25, 1e-12);
  // Outside the range: the ends.
  EXPECT_EQ(c->plainParamToNormalized(kAttack, 1000.0), 1.0);
  EXPECT_EQ(c->plainParamToNormalized(kAttack, -5.0), 0.0);
  // Ids that are no dynamics parameter hand the value back.
  EXPECT_EQ(c->plainParamToNormalized(77, 0.3), 0.3);
}

TEST_F(ParameterTest, PlainValueOfBypassIsAlwaysAnIndexOfItsTwoTexts) {
  // "off" and "on": index = integer part of n x 2, at most 1; values outside 0..1 give the ends.
  EXPECT_EQ(c->normalizedParamToPlain(kBypassId, 0.0), 0.0);
  EXPECT_EQ(c->normalizedParamToPlain(kBypassId, 0.49), 0.0);
  EXPECT_EQ(c->normalizedParamToPlain(kBypassId, 0.5), 1.0);
  EXPECT_EQ(c->normalizedParamToPlain(kBypassId, 1.0), 1.0);
  EXPECT_EQ(c->normalizedParamToPlain(kBypassId, 2.0), 1.0);
  EXPECT_EQ(c->normalizedParamToPlain(kBypassId, -0.5), 0.0);
  EXPECT_EQ(c->normalizedParamToPlain(kBypassId, -1e300), 0.0);
  const double fromNan = c->normalizedParamToPlain(kBypassId, NAN);
  EXPECT_TRUE(fromNan == 0.0 || fromNan == 1.0) << fromNan;
}

TEST_F(ParameterTest, SetParamNormalizedChangesOnlyDynamicsParameters) {
  EXPECT_EQ(c->setParamNormalized(kTopThr, 0.75), kResultOk);
  EXPECT_NEAR(c->getParamNormalized(kTopThr), 0.75, 1e-12);
  EXPECT_EQ(c->setParamNormalized(kBypassId, 1.0), kResultFalse);
  EXPECT_EQ(c->getParamNormalized(kBypassId), 0.0);
  EXPECT_EQ(c->setParamNormalized(kPresetId, 0.0), kResultFalse);
  EXPECT_EQ(c->setParamNormalized(9, 0.5), kResultFalse);
  EXPECT_EQ(c->getParamNormalized(9), 0.0);
}

TEST_F(ParameterTest, OneRootUnitAndNoSubUnits) {
  IUnitInfo* u = QueryTo<IUnitInfo>(c);
  ASSERT_NE(u, nullptr);
  EXPECT_EQ(u->getUnitCount(), 1);
  UnitInfo info;
  ASSERT_EQ(u->getUnitInfo(0, info), kResultOk);
  EXPECT_EQ(info.id, 0);
  EXPECT_EQ(info.parentUnitId, -1);
  EXPECT_EQ(Narrow(info.name), "Root Unit");
  EXPECT_EQ(info.programListId, -1);
  EXPECT_EQ(u->getUnitInfo(1, info), kResultFalse);
  EXPECT_EQ(u->getUnitInfo(-1, info), kResultFalse);
  EXPECT_EQ(u->getSelectedUnit(), 0);
  u->release();
}

TEST_F(ParameterTest, FactoryPresetListHasOneUnnamedProgram) {
  IUnitInfo* u = QueryTo<IUnitInfo>(c);
  ASSERT_NE(u, nullptr);
  EXPECT_EQ(u->getProgramListCount(), 0);
  ProgramListInfo list;
  ASSERT_EQ(u->getProgramListInfo(0, list), kResultOk);
  EXPECT_EQ(list.id, static_cast<ProgramListID>(kPresetId));
  EXPECT_EQ(Narrow(list.name), "Factory Presets");
  EXPECT_EQ(list.programCount, 1);
  EXPECT_EQ(u->getProgramListInfo(1, list), kResultFalse);
  String128 name;
  ASSERT_EQ(u->getProgramName(static_cast<ProgramListID>(kPresetId), 0, name), kResultOk);
  EXPECT_EQ(Narrow(name), "-");
  EXPECT_EQ(u->getProgramName(7, 0, name), kResultFalse);
  u->release();
}

TEST_F(ParameterTest, NoMidiControllersHelpOrAboutBox) {
  IMidiMapping* m = QueryTo<IMidiMapping>(c);
  ASSERT_NE(m, nullptr);
  ParamID id = 0xDEAD;
  EXPECT_EQ(m->getMidiControllerAssignment(0, 0, 7, id), kResultFalse);
  EXPECT_EQ(m->getMidiControllerAssignment(0, 15, 1, id), kResultFalse);
  m->release();
  IEditController2* c2 = QueryTo<IEditController2>(c);
  ASSERT_NE(c2, nullptr);
  EXPECT_EQ(c2->openHelp(0), kResultFalse);
  EXPECT_EQ(c2->openHelp(1), kResultFalse);
  EXPECT_EQ(c2->openAboutBox(0), kResultFalse);
  EXPECT_EQ(c2->openAboutBox(1), kResultFalse);
  c2->release();
}

}  // namespace
}  // namespace qoit
