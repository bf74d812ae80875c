// Value <-> normalised <-> text for every parameter, through the parameter record and through the
// VST3 controller, checked against the hand formula n = ((v - lo) / (hi - lo))^(1 / exponent) and
// against each other (two formats must never disagree on a mapping).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "plugin/quibelombrelux.h"

namespace {

using Steinberg::Vst::ParamValue;
using Steinberg::String128;

struct Row {
  double lo, hi, exponent;
  int decimals;
  const char* unit;
  double values[5];  // on the parameter's step
};

const Row kRows[kNumParams] = {
    {-48, 0, 1, 1, "dB", {-48.0, -19.0, -6.5, -0.1, 0.0}},  // Top Threshold
    {1, 20, 1, 1, "", {1.0, 2.0, 3.7, 19.9, 20.0}},          // Top Ratio
    {-48, 0, 1, 1, "dB", {-48.0, -24.0, -33.3, -0.1, 0.0}},  // Avg Threshold
    {1, 20, 1, 1, "", {1.0, 2.0, 7.1, 10.0, 20.0}},          // Avg Ratio
    {-48, 0, 1, 1, "dB", {-48.0, -29.0, -47.9, -12.0, 0.0}}, // Btm Threshold
    {1, 20, 1, 1, "", {1.0, 2.0, 1.1, 15.5, 20.0}},          // Btm Ratio
    {1, 100, 2, 0, "ms", {1.0, 10.0, 2.0, 37.0, 100.0}},     // Attack
    {1, 999, 2, 0, "ms", {1.0, 500.0, 2.0, 251.0, 999.0}},   // Release
    {0, 100, 1, 0, "%", {0.0, 20.0, 1.0, 99.0, 100.0}},      // Saturation
};

std::string Narrow(const String128 text) {
  std::string s;
  for (int i = 0; i < 128 && text[i]; ++i) s += static_cast<char>(text[i]);
  return s;
}

std::string HandText(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

// Initialised, so that the controller has exported its parameters.
struct Plugin {
  QuibelOmbrelux* fx = new QuibelOmbrelux(IFxCreateArgs());
  Plugin() { fx->initialize(nullptr); }
  ~Plugin() {
    fx->terminate();
    fx->release();
  }
};

TEST(ConversionRoundTrip, EveryParameterAgreesInBothFormsAndWithTheHandFormula) {
  Plugin p;
  for (int i = 0; i < kNumParams; ++i) {
    const Row& r = kRows[i];
    const IFxSetting* s = p.fx->GetParam(i);
    const auto id = static_cast<Steinberg::Vst::ParamID>(i);
    for (double v : r.values) {
      SCOPED_TRACE(std::string(s->NameText()) + " = " + HandText(v, 3));
      const double hand = std::pow((v - r.lo) / (r.hi - r.lo), 1.0 / r.exponent);

      // value -> normalised -> value
      const double n = s->Normalize(v);
      EXPECT_NEAR(n, hand, 1e-15);
      EXPECT_EQ(p.fx->plainParamToNormalized(id, v), n);
      EXPECT_NEAR(s->PlainOf(n), v, 1e-12 * (r.hi - r.lo));
      EXPECT_EQ(p.fx->normalizedParamToPlain(id, n), s->PlainOf(n));

      // value -> text -> value, at the text's precision
      char text[64];
      s->FormatValue(v, false, text, sizeof text, true);
      EXPECT_EQ(std::string(text), HandText(v, r.decimals));
      double back = 0.0;
      ASSERT_TRUE(s->ParseValueText(text, &back));
      EXPECT_EQ(back, v);

      // The controller's texts are the record's, also when they start from the normalised value.
      String128 wide = {};
      ASSERT_EQ(p.fx->getParamStringByValue(id, n, wide), Steinberg::kResultOk);
      EXPECT_EQ(Narrow(wide), std::string(text));
      Steinberg::TChar in[64] = {};
      for (int k = 0; text[k]; ++k) in[k] = static_cast<Steinberg::TChar>(text[k]);
      ParamValue fromText = -1.0;
      ASSERT_EQ(p.fx->getParamValueByString(id, in, fromText), Steinberg::kResultOk);
      EXPECT_EQ(fromText, n);
    }
  }
}

}  // namespace
