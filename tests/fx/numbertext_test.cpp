// Number texts keep '.' as the decimal separator whatever numeric locale the process runs under.
#include <gtest/gtest.h>

#include <clocale>
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
  ASSERT_TRUE(ParseDecimal("-19.5", &v));
  EXPECT_EQ(v, -19.5);
  ASSERT_TRUE(ParseDecimal("2.5e1 dB", &v));
  EXPECT_EQ(v, 25.0);
  EXPECT_FALSE(ParseDecimal("dB", &v));
  EXPECT_FALSE(ParseDecimal("inf", &v));
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

TEST(NumberText, ShortBufferStaysTerminated) {
  char out[4];
  FormatFixed(out, sizeof out, 1, -19.0);
  EXPECT_STREQ(out, "-19");
}

}  // namespace
