// Host identification from the host's product name.
#include <gtest/gtest.h>

#include <string>

#include "fx/hostcode.h"
#include "tests/fx/testplugin.h"

namespace {

TEST(HostCode, EveryTableEntryGivesItsCode) {
  const struct {
    const char* name;
    int code;
  } table[] = {
      {"cubase", 3},     {"reaper", 1},      {"nuendo", 4},     {"cakewalk", 5},
      {"samplitude", 8}, {"fruity", 7},      {"live", 9},       {"melodyne", 12},
      {"vstmanlib", 13}, {"aulab", 14},      {"garageband", 22}, {"forte", 15},
      {"chainer", 16},   {"audition", 17},   {"orion", 18},     {"sawstudio", 20},
      {"logic", 21},     {"digital", 23},    {"audiomulch", 25}, {"presonus", 26},
      {"vst3plugintesthost", 27}, {"protools", 2}, {"ardour", 28}, {"openmpt", 30},
      {"renoise", 29},   {"standalone", 24}, {"wavelab", 31},
  };
  for (const auto& e : table) EXPECT_EQ(HostCodeFromName(e.name), e.code) << e.name;
}

TEST(HostCode, RealHostNamesIgnoringCase) {
  EXPECT_EQ(HostCodeFromName("Cubase 9.5"), 3);
  EXPECT_EQ(HostCodeFromName("REAPER64"), 1);
  EXPECT_EQ(HostCodeFromName("ProTools"), 2);
  EXPECT_EQ(HostCodeFromName("Ableton Live 10"), 9);
  EXPECT_EQ(HostCodeFromName("WaveLab Pro"), 31);
  EXPECT_EQ(HostCodeFromName("VST3PluginTestHost"), 27);
  EXPECT_EQ(HostCodeFromName("FL Studio (Fruity Wrapper)"), 7);
}

TEST(HostCode, EarliestTableEntryWins) {
  EXPECT_EQ(HostCodeFromName("Cubase Live Edition"), 3);
  EXPECT_EQ(HostCodeFromName("Logic Live"), 9);  // "live" is tested before "logic"
  EXPECT_EQ(HostCodeFromName("Reaper Nuendo"), 1);
}

TEST(HostCode, UnknownEmptyAndNullNamesGiveZero) {
  EXPECT_EQ(HostCodeFromName("Bitwig Studio"), 0);
  EXPECT_EQ(HostCodeFromName(""), 0);
  EXPECT_EQ(HostCodeFromName(nullptr), 0);
  EXPECT_EQ(HostCodeFromName("Cu base"), 0);
}

TEST(HostCode, OnlyAsciiLettersAreLowerCased) {
  // A byte outside A..Z stays as it is, so the name still contains "reaper" around it.
  EXPECT_EQ(HostCodeFromName("\xC3\x89REAPER"), 1);
}

TEST(HostCode, NamesAreCutAt255Characters) {
  const std::string pad249(249, 'x');
  EXPECT_EQ(HostCodeFromName((pad249 + "Cubase").c_str()), 3);  // ends at character 255
  const std::string pad250(250, 'x');
  EXPECT_EQ(HostCodeFromName((pad250 + "Cubase").c_str()), 0);  // its last letter is cut off
  const std::string veryLong(5000, 'y');
  EXPECT_EQ(HostCodeFromName(("reaper" + veryLong).c_str()), 1);
}

TEST(HostCode, PluginAsksOnlyOnceTold) {
  fxtest::TestPlugin fx;
  EXPECT_EQ(fx.IdentifyHost(), kHostNotAsked);
  EXPECT_EQ(fx.HostVersionCode(), 0);
  fx.SetHost("Steinberg Nuendo", 0x0C0000);
  EXPECT_EQ(fx.IdentifyHost(), 4);
  EXPECT_EQ(fx.HostVersionCode(), 0x0C0000);
  fx.SetHost("Unheard-of DAW", 1);
  EXPECT_EQ(fx.IdentifyHost(), kHostUnrecognised);
}

}  // namespace
