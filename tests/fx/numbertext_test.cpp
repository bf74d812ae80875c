// Number texts keep '.' as the decimal separator whatever numeric locale the process runs under.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

#include "fx/ifxsetting.h"
#include "fx/numbertext.h"

namespace {

// Switches LC_NUMERIC to a locale with a comma separator for the test's life, when one exists.
class CommaLocale {
 public:
  CommaLocale() {
    const char* saved = std::setlocale(LC_NUMERIC, nullptr);
    mSaved = saved ? saved : "C";
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "German_Germany.1252",
                             "German", "deu"}) {
      if (std::setlocale(LC_NUMERIC, name)) {
        char probe[16];
        std::snprintf(probe, sizeof probe, "%.1f", 1.5);
        if (std::string(probe) == "1,5") {
          mActive = true;
          return;
        }
      }
    }
    std::setlocale(LC_NUMERIC, mSaved.c_str());
  }
  ~CommaLocale() { std::setlocale(LC_NUMERIC, mSaved.c_str()); }
  bool Active() const { return mActive; }

 private:
  std::string mSaved;
  bool mActive = false;
};

void ExpectDotTexts() {
  char out[32];
  FormatFixed(out, sizeof out, 1, -19.0);
  EXPECT_STREQ(out, "-19.0");
  FormatFixed(out, sizeof out, 3, 0.25);
  EXPECT_STREQ(out, "0.250");
  double v = 0.0;
  ASSERT_TRUE(ParseNumberText("-19.5", "dB", &v));
  EXPECT_EQ(v, -19.5);
  ASSERT_TRUE(ParseNumberText("2.5e1 dB", "dB", &v));
  EXPECT_EQ(v, 25.0);
  EXPECT_FALSE(ParseNumberText("1,5", "", &v));
  IFxSetting s;
  s.InitContinuous("Top Threshold", -19.0, -48.0, 0.0, 0.1, "dB");
  s.FormatValue(-19.0, false, out, sizeof out, true);
  EXPECT_STREQ(out, "-19.0");
}

TEST(NumberText, DotSeparatorInTheCLocale) { ExpectDotTexts(); }

TEST(NumberText, DotSeparatorUnderACommaLocale) {
  CommaLocale comma;
  if (!comma.Active()) GTEST_SKIP() << "no locale with a comma separator on this machine";
  ExpectDotTexts();
}

// Whole texts only, in the form the value texts are written in; each refused text leaves the
// value as it was.
TEST(NumberText, ReadsOnlyWholeDecimalTextsWithTheirOwnUnit) {
  struct Row {
    const char* text;
    const char* unit;
    bool ok;
    double value;
  };
  const Row rows[] = {
      {"-19.0", "dB", true, -19.0},   {"  -19.0 dB  ", "dB", true, -19.0}, {"-19.0dB", "dB", true, -19.0},
      {"+7", "", true, 7.0},          {"\t10\t", "ms", true, 10.0},        {"10 ms", "ms", true, 10.0},
      {"20%", "%", true, 20.0},       {"1.5e2", "", true, 150.0},          {"25E-1", "", true, 2.5},
      {"0.000", "", true, 0.0},       {"-0", "", true, -0.0},              {"1e308", "", true, 1e308},
      {"7abc", "", false, 0},         {"0x1p4", "", false, 0},             {"0x10", "", false, 0},
      {"1,5", "", false, 0},          {"nan", "", false, 0},               {"inf", "", false, 0},
      {"-infinity", "", false, 0},    {"", "", false, 0},                  {"   ", "", false, 0},
      {"dB", "dB", false, 0},         {".5", "", false, 0},                {"5.", "", false, 0},
      {"1e", "", false, 0},           {"1e+", "", false, 0},               {"--1", "", false, 0},
      {"+-1", "", false, 0},          {"1 2", "", false, 0},               {"10 ms", "dB", false, 0},
      {"10 dB dB", "dB", false, 0},   {"10 d", "dB", false, 0},            {"1e309", "", false, 0},
      {"-1e999", "", false, 0},       {"1\n", "", false, 0},               {"1 ms", "", false, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    double v = 42.0;
    EXPECT_EQ(ParseNumberText(r.text, r.unit, &v), r.ok);
    EXPECT_EQ(v, r.ok ? r.value : 42.0);
    if (r.ok && r.value == 0.0) {
      EXPECT_EQ(std::signbit(v), r.text[0] == '-');
    }
  }
  double v = 42.0;
  EXPECT_FALSE(ParseNumberText(nullptr, "", &v));
  EXPECT_TRUE(ParseNumberText("3", nullptr, &v));
  EXPECT_EQ(v, 3.0);
}

TEST(NumberText, NarrowsOnlyAsciiUtf16ThatFits) {
  char out[8];
  const char16_t ascii[] = u"-19.5";
  ASSERT_TRUE(NarrowAsciiText(ascii, out, sizeof out));
  EXPECT_STREQ(out, "-19.5");
  // U+4E39 has the low byte '9': it must not read as a digit.
  const char16_t cjk[] = {0x4E39, 0x4E39, 0x4E39, 0};
  EXPECT_FALSE(NarrowAsciiText(cjk, out, sizeof out));
  EXPECT_STREQ(out, "");
  const char16_t latin1[] = {'1', 0x00B2, 0};  // superscript two
  EXPECT_FALSE(NarrowAsciiText(latin1, out, sizeof out));
  const char16_t seven[] = u"1234567";  // 7 units and the NUL fill 8 bytes exactly
  EXPECT_TRUE(NarrowAsciiText(seven, out, sizeof out));
  const char16_t eight[] = u"12345678";  // one too long: refused, not cut
  EXPECT_FALSE(NarrowAsciiText(eight, out, sizeof out));
  EXPECT_STREQ(out, "");
  EXPECT_FALSE(NarrowAsciiText(nullptr, out, sizeof out));
}

TEST(NumberText, ShortBufferStaysTerminated) {
  char out[4];
  FormatFixed(out, sizeof out, 1, -19.0);
  EXPECT_STREQ(out, "-19");
}

}  // namespace
