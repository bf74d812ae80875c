// Typed parameters with their tapers and displays: conversions, texts, names, steps, typed reads and
// writes, delegate changes and the reports to the host's automation.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "aax/aaxcparameter.h"
#include "tests/aax/fakehost.h"
#include "tests/aax/testeffect.h"

using aaxtest::AutomationCalls;
using fakehost::FakeHost;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

AAX_CParameter<double>* NewThreshold(const char* id = "1", double value = -24.0, const char* unit = "dB") {
  return new AAX_CParameter<double>(
      id, AAX_CString("Top Threshold"), value, AAX_CIFxTaperDelegate<double>(-48.0, 0.0, 1.0),
      AAX_CUnitDisplayDelegateDecorator<double>(AAX_CNumberDisplayDelegate<double>(), AAX_CString(unit)), true);
}

AAX_CParameter<int>* NewSteps() {
  return new AAX_CParameter<int>("2", AAX_CString("Ratio Step"), 3, AAX_CLinearTaperDelegate<int, 0>(0, 10),
                                 AAX_CNumberDisplayDelegate<int>(), true);
}

std::string Text(const AAX_CString& s) { return s.Text(); }

}  // namespace

TEST(AAXTaper, LinearIntTruncatesAndClampsEveryInput) {
  const AAX_CLinearTaperDelegate<int, 0> taper(0, 10);
  // (10 - 0) x 0.95 + 0 = 9.5, truncated to 9.
  const struct { double n; int real; } toReal[] = {
      {0.95, 9}, {1.0, 10}, {0.0, 0}, {0.5, 5}, {1e10, 10}, {kInf, 10}, {-kInf, 0}, {kNaN, 0}, {-1.0, 0}};
  for (const auto& c : toReal) EXPECT_EQ(taper.NormalizedToReal(c.n), c.real) << c.n;
  EXPECT_EQ(taper.RealToNormalized(12), 1.0);
  EXPECT_EQ(taper.RealToNormalized(-5), 0.0);
  EXPECT_EQ(taper.RealToNormalized(4), 0.4);
  // A range of the whole int span does not overflow: (2^31 - 1 - -2^31) x 1 + -2^31.
  const AAX_CLinearTaperDelegate<int, 0> wide(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
  EXPECT_EQ(wide.NormalizedToReal(1.0), std::numeric_limits<int>::max());
  EXPECT_EQ(wide.NormalizedToReal(0.0), std::numeric_limits<int>::min());
  // A range without width normalises to 0.
  const AAX_CLinearTaperDelegate<int, 0> flat(4, 4);
  EXPECT_EQ(flat.RealToNormalized(4), 0.0);
  EXPECT_EQ(flat.NormalizedToReal(0.7), 4);
}

TEST(AAXTaper, ShapedDoubleFollowsThePowerCurveInsideItsRange) {
  const AAX_CIFxTaperDelegate<double> taper(1.0, 999.0, 2.0);
  // 1 + 998 x 0.5^2 = 250.5; back: sqrt(249.5 / 998) = sqrt(0.25) = 0.5.
  EXPECT_EQ(taper.NormalizedToReal(0.5), 250.5);
  EXPECT_EQ(taper.RealToNormalized(250.5), 0.5);
  EXPECT_EQ(taper.RealToNormalized(5000.0), 1.0);
  EXPECT_EQ(taper.RealToNormalized(-3.0), 0.0);
  // Outside 0..1 the nearer end, NaN the minimum (not -1 squared = the maximum, not NaN).
  EXPECT_EQ(taper.NormalizedToReal(-1.0), 1.0);
  EXPECT_EQ(taper.NormalizedToReal(2.0), 999.0);
  EXPECT_EQ(taper.NormalizedToReal(kNaN), 1.0);
  EXPECT_EQ(taper.RealToNormalized(kNaN), 0.0);
  const AAX_CIFxTaperDelegate<double> root(0.0, 4.0, 0.5);
  EXPECT_EQ(root.NormalizedToReal(-0.25), 0.0);
  EXPECT_EQ(root.NormalizedToReal(0.25), 2.0);  // 4 x 0.25^0.5
  EXPECT_EQ(AAX_CIFxTaperDelegate<double>(2.0, 2.0, 1.0).RealToNormalized(2.0), 0.0);
}

TEST(AAXTaper, BinaryIsTrueAboveZero) {
  const AAX_CBinaryTaperDelegate<bool> taper;
  EXPECT_TRUE(taper.NormalizedToReal(0.0001));
  EXPECT_FALSE(taper.NormalizedToReal(0.0));
  EXPECT_FALSE(taper.NormalizedToReal(kNaN));
  EXPECT_EQ(taper.RealToNormalized(true), 1.0);
  EXPECT_EQ(taper.RealToNormalized(false), 0.0);
  std::unique_ptr<AAX_ITaperDelegate<bool>> clone(taper.Clone());
  EXPECT_TRUE(clone->GetMaximumValue());
}

TEST(AAXDisplay, NumberTextHasTwoDecimalsAndALengthLimit) {
  const AAX_CNumberDisplayDelegate<double> number;
  const struct { double value; int32_t maxChars; const char* text; } cases[] = {
      {5.0, 99, "5.00"}, {-6.0, 99, "-6.00"}, {1234.5, 99, "1234.50"}, {12.34, 3, "12"}, {12.34, 4, "12.3"},
      {12.34, 0, ""},    {12.34, -2, ""},     {-24.0, 4, "-24"},       {0.126, 99, "0.13"}};
  for (const auto& c : cases) {
    AAX_CString out;
    EXPECT_TRUE(number.ValueToString(c.value, c.maxChars, &out));
    EXPECT_EQ(Text(out), c.text) << c.value << " in " << c.maxChars;
  }
  AAX_CString out;
  EXPECT_TRUE(AAX_CNumberDisplayDelegate<int>().ValueToString(3, &out));
  EXPECT_EQ(Text(out), "3.00");
  EXPECT_FALSE(number.ValueToString(1.0, nullptr));
}

TEST(AAXDisplay, NumberReadingTakesTheLeadingNumberAndLimitsInts) {
  const AAX_CNumberDisplayDelegate<double> number;
  double d = 9.0;
  EXPECT_TRUE(number.StringToValue(AAX_CString("  5.5 dB"), &d));
  EXPECT_EQ(d, 5.5);
  EXPECT_FALSE(number.StringToValue(AAX_CString("abc"), &d));
  EXPECT_EQ(d, 0.0);
  const AAX_CNumberDisplayDelegate<int> whole;
  const struct { const char* text; int value; } ints[] = {
      {"7.9", 7}, {"-7.9", -7}, {"1e20", 2147483647}, {"-1e20", -2147483647 - 1}, {"2147483647", 2147483647}};
  for (const auto& c : ints) {
    int v = 1;
    EXPECT_TRUE(whole.StringToValue(AAX_CString(c.text), &v)) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
  }
}

TEST(AAXDisplay, UnitFollowsTheNumberWhenItFitsAndIsStrippedWhenReading) {
  const AAX_CUnitDisplayDelegateDecorator<double> unit(AAX_CNumberDisplayDelegate<double>(), AAX_CString("dB"));
  std::unique_ptr<AAX_IDisplayDelegate<double>> clone(unit.Clone());
  const std::vector<const AAX_IDisplayDelegate<double>*> both = {&unit, clone.get()};
  for (const AAX_IDisplayDelegate<double>* d : both) {
    AAX_CString out;
    d->ValueToString(-6.0, &out);
    EXPECT_EQ(Text(out), "-6.00dB");
    d->ValueToString(-6.0, 5, &out);
    EXPECT_EQ(Text(out), "-6.00");
    d->ValueToString(-6.0, 6, &out);  // one character of room: no unit
    EXPECT_EQ(Text(out), "-6.00");
    d->ValueToString(-6.0, 7, &out);
    EXPECT_EQ(Text(out), "-6.00dB");
    const struct { const char* text; bool ok; double value; } reads[] = {
        {"-3dB", true, -3.0}, {"5.5 dB", true, 5.5}, {"-12", true, -12.0}, {"dB", false, 0.0}, {"abc", false, 0.0}};
    for (const auto& r : reads) {
      double v = 99.0;
      EXPECT_EQ(d->StringToValue(AAX_CString(r.text), &v), r.ok) << r.text;
      EXPECT_EQ(v, r.value) << r.text;
    }
  }
}

TEST(AAXDisplay, StringAndBinaryDisplaysMapExactTexts) {
  const AAX_CStringDisplayDelegate<int> names({{0, AAX_CString("Off")}, {2, AAX_CString("Soft")}});
  AAX_CString out;
  EXPECT_TRUE(names.ValueToString(2, 1, &out));
  EXPECT_EQ(Text(out), "Soft");
  EXPECT_FALSE(names.ValueToString(1, &out));
  EXPECT_EQ(Text(out), "String Not Found");
  int v = 7;
  EXPECT_TRUE(names.StringToValue(AAX_CString("Off"), &v));
  EXPECT_EQ(v, 0);
  EXPECT_FALSE(names.StringToValue(AAX_CString("off"), &v));
  EXPECT_EQ(v, 0);

  AAX_CBinaryDisplayDelegate<bool> bypass("bypass", "on");
  bool b = false;
  EXPECT_TRUE(bypass.StringToValue(AAX_CString("on"), &b));
  EXPECT_TRUE(b);
  EXPECT_TRUE(bypass.StringToValue(AAX_CString("bypass"), &b));
  EXPECT_FALSE(b);
  b = true;
  EXPECT_FALSE(bypass.StringToValue(AAX_CString("yes"), &b));
  EXPECT_FALSE(b);
  EXPECT_TRUE(bypass.ValueToString(true, 1, &out));
  EXPECT_EQ(Text(out), "on");  // no shortened pairs: the full text at any length
  bypass.AddShortenedStrings(2, "b", "o");
  bypass.AddShortenedStrings(4, "byp", "on");
  const struct { int32_t maxChars; const char* text; } shortened[] = {
      {6, "bypass"}, {5, "byp"}, {4, "byp"}, {3, "b"}, {1, "b"}, {-1, "b"}};
  for (const auto& c : shortened) {
    bypass.ValueToString(false, c.maxChars, &out);
    EXPECT_EQ(Text(out), c.text) << c.maxChars;
  }
}

TEST(AAX_CParameter, ConstructionSetsTheDocumentedStart) {
  std::unique_ptr<AAX_CParameter<double>> p(NewThreshold("0123456789012345678901234567890123456789", 5.0));
  EXPECT_STREQ(p->GetIdentifier(), "0123456789012345678901234567890");  // the first 31
  EXPECT_EQ(p->Value(), 0.0);  // a default outside the range ends at the nearer bound
  EXPECT_EQ(p->GetNumberOfSteps(), 128u);
  EXPECT_EQ(p->GetType(), 1);
  EXPECT_EQ(p->GetOrientation(), 0);
  EXPECT_TRUE(p->IsAutomatable());
  std::unique_ptr<AAX_CParameter<double>> unnamed(NewThreshold(nullptr));
  EXPECT_STREQ(unnamed->GetIdentifier(), "");
  EXPECT_EQ(unnamed->Value(), -24.0);
  EXPECT_EQ(unnamed->GetNormalizedValue(), 0.5);
}

TEST(AAX_CParameter, ShortenedNamesPickTheLongestThatFits) {
  std::unique_ptr<AAX_CParameter<double>> p(NewThreshold());
  p->AddShortenedName(AAX_CString("Thr"));
  p->AddShortenedName(AAX_CString("Thresh"));
  const struct { int32_t numChars; const char* name; } cases[] = {
      {4, "Thr"}, {6, "Thresh"}, {7, "Thresh"}, {2, "Thr"}, {13, "Top Threshold"}, {20, "Top Threshold"},
      {-1, "Top Threshold"}};
  for (const auto& c : cases) EXPECT_EQ(Text(p->GetShortenedName(c.numChars)), c.name) << c.numChars;
  p->AddShortenedName(AAX_CString("TTh"));  // same length: replaces
  EXPECT_EQ(Text(p->GetShortenedName(4)), "TTh");
  p->ClearShortenedNames();
  EXPECT_EQ(Text(p->GetShortenedName(4)), "Top Threshold");
}

TEST(AAX_CParameter, StepsSpreadEvenlyOverTheNormalisedRange) {
  std::unique_ptr<AAX_CParameter<double>> p(NewThreshold());
  EXPECT_EQ(p->GetStepValue(), 64u);  // 0.5 / (1/127) + 0.5 = 64.0
  p->SetStepValue(127);
  EXPECT_EQ(p->GetNormalizedValue(), 1.0);
  p->SetStepValue(1000);  // limited to 1
  EXPECT_EQ(p->GetNormalizedValue(), 1.0);
  p->SetStepValue(0);
  EXPECT_EQ(p->GetStepValue(), 0u);
  p->SetNumberOfSteps(1);
  p->SetNormalizedValue(0.75);
  EXPECT_EQ(p->GetStepValue(), 0u);
  p->SetStepValue(5);
  EXPECT_EQ(p->GetNormalizedValue(), 0.75);
}

TEST(AAX_CParameter, TextsGoThroughTheDisplayAndTheTaper) {
  std::unique_ptr<AAX_CParameter<double>> p(NewThreshold("1", -6.0));
  AAX_CString out;
  EXPECT_TRUE(p->GetValueString(2, &out));  // the limit is not applied to the current value
  EXPECT_EQ(Text(out), "-6.00dB");
  const double n = 42.0 / 48.0;  // -6 on -48..0
  EXPECT_TRUE(p->GetStringFromNormalizedValue(n, 5, out));
  EXPECT_EQ(Text(out), "-6.00");
  EXPECT_TRUE(p->GetStringFromNormalizedValue(n, 7, out));
  EXPECT_EQ(Text(out), "-6.00dB");
  EXPECT_TRUE(p->SetValueFromString(AAX_CString("-3dB")));
  EXPECT_EQ(p->Value(), -3.0);
  EXPECT_TRUE(p->SetValueFromString(AAX_CString("5.5 dB")));
  EXPECT_EQ(p->Value(), 0.0);  // 5.5 lies above the range: the maximum
  p->SetValueFromString(AAX_CString("-12"));
  EXPECT_FALSE(p->SetValueFromString(AAX_CString("abc")));
  EXPECT_EQ(p->Value(), -12.0);
  double normalized = 7.0;
  EXPECT_FALSE(p->GetNormalizedValueFromString(AAX_CString("-60"), &normalized));
  EXPECT_EQ(normalized, 0.0);  // written although outside the range
  EXPECT_TRUE(p->GetNormalizedValueFromString(AAX_CString("-12 dB"), &normalized));
  EXPECT_EQ(normalized, 0.75);
  normalized = 7.0;
  EXPECT_FALSE(p->GetNormalizedValueFromString(AAX_CString("abc"), &normalized));
  EXPECT_EQ(normalized, 7.0);
  EXPECT_FALSE(p->GetNormalizedValueFromString(AAX_CString("-1"), nullptr));
}

TEST(AAX_CParameter, TypedReadsAndWritesAnswerOnlyForTheirOwnType) {
  std::unique_ptr<AAX_CParameter<bool>> b(new AAX_CParameter<bool>(
      "", AAX_CString("Master Bypass"), false, AAX_CBinaryTaperDelegate<bool>(),
      AAX_CBinaryDisplayDelegate<bool>("bypass", "on"), true));
  std::unique_ptr<AAX_CParameter<int>> i(NewSteps());
  std::unique_ptr<AAX_CParameter<double>> d(NewThreshold());
  int32_t n = 77;
  bool flag = true;
  double real = 9.5;
  float f = 1.5f;
  AAX_CString s("keep");
  EXPECT_FALSE(b->ReadInt32(&n));
  EXPECT_EQ(n, 77);
  EXPECT_TRUE(b->ReadBool(&flag));
  EXPECT_FALSE(flag);
  EXPECT_TRUE(i->ReadInt32(&n));
  EXPECT_EQ(n, 3);
  EXPECT_FALSE(i->ReadDouble(&real));
  EXPECT_TRUE(d->ReadDouble(&real));
  EXPECT_EQ(real, -24.0);
  for (AAX_IParameter* p : std::vector<AAX_IParameter*>{b.get(), i.get(), d.get()}) {
    EXPECT_FALSE(p->ReadFloat(&f));
    EXPECT_FALSE(p->ReadString(&s));
    EXPECT_FALSE(p->WriteFloat(2.0f));
    EXPECT_FALSE(p->WriteString(AAX_CString("x")));
  }
  EXPECT_EQ(f, 1.5f);
  EXPECT_EQ(Text(s), "keep");
  EXPECT_TRUE(b->WriteBool(true));
  EXPECT_TRUE(b->Value());
  EXPECT_FALSE(b->WriteInt32(0));
  EXPECT_TRUE(i->WriteInt32(12));
  EXPECT_EQ(i->Value(), 10);  // stored as the taper gives it back: constrained
  EXPECT_TRUE(d->WriteDouble(5.0));
  EXPECT_EQ(d->Value(), 0.0);
  EXPECT_FALSE(d->WriteBool(true));
}

TEST(AAX_CParameter, BoundParameterRequestsFromTheHostAndStoresItsAnswer) {
  FakeHost host;
  AAX_VAutomationDelegate automation(host.unknown->Unknown());
  {
    std::unique_ptr<AAX_CParameter<int>> p(NewSteps());
    p->BindAutomationDelegate(&automation);
    EXPECT_TRUE(p->WriteInt32(7));
    EXPECT_EQ(p->Value(), 3);  // unchanged until the host answers
    p->ApplyNormalizedValue(0.95);
    EXPECT_EQ(p->Value(), 9);
    p->ApplyNormalizedValue(0.92);  // 9 again, not forced: nothing stored or reported
    const AAX_CNumberDisplayDelegate<int> number;
    p->SetDisplayDelegate(&number);
    const AAX_CBinaryDisplayDelegate<bool> wrongType("a", "b");
    p->SetDisplayDelegate(&wrongType);  // ignored
    p->SetDisplayDelegate(nullptr);     // ignored
  }
  EXPECT_EQ(AutomationCalls(host), (std::vector<std::string>{
                                       "3 s:2",                 // enrolled on binding
                                       "7 s:2",                 // touch
                                       "5 s:2 d:0.69999999999999996",  // request 7 of 0..10
                                       "8 s:2",                 // release
                                       "6 s:2 d:0.94999999999999996",  // the host's value reported as given
                                       "6 s:2 d:0.90000000000000002",  // new display: 9 of 0..10 again
                                       "4 s:2"}));              // withdrawn when deleted
}

TEST(AAX_CParameter, NewTaperKeepsEitherThePositionOrTheValue) {
  std::unique_ptr<AAX_CParameter<double>> p(NewThreshold("1", -36.0));  // 0.25 of -48..0
  AAX_CIFxTaperDelegate<double> wider(-96.0, 0.0, 1.0);
  p->SetTaperDelegate(&wider, false);
  EXPECT_EQ(p->GetNormalizedValue(), 0.25);
  EXPECT_EQ(p->Value(), -72.0);
  AAX_CIFxTaperDelegate<double> narrow(-48.0, 0.0, 1.0);
  p->SetTaperDelegate(&narrow, true);
  EXPECT_EQ(p->Value(), -48.0);  // -72 kept as a real value: constrained to the new range
  AAX_CBinaryTaperDelegate<bool> wrongType;
  p->SetTaperDelegate(&wrongType, false);  // ignored
  p->SetTaperDelegate(nullptr, true);      // ignored
  EXPECT_EQ(p->Value(), -48.0);
  p->SetNormalizedDefaultValue(0.5);
  EXPECT_EQ(p->GetNormalizedDefaultValue(), 0.5);
  p->SetToDefaultValue();
  EXPECT_EQ(p->Value(), -24.0);
}

namespace {

// A text object of the host's: another class with another layout (a pointer to its own record, half
// the size of this module's string) behind the same text-interface slots.
class ForeignString final : public AAX_IString {
public:
  explicit ForeignString(const char* text) : mRecord(new std::string(text)) {}
  ~ForeignString() { delete mRecord; }
  void Destroy() override { delete this; }
  uint32_t TextLength() const override { return static_cast<uint32_t>(mRecord->size()); }
  uint32_t MaxTextLength() const override { return 255; }
  const char* Text() const override { return mRecord->c_str(); }
  void SetText(const char* text) override { mRecord->assign(text ? text : ""); }
  AAX_IString& AssignText(const char* text) override {
    SetText(text);
    return *this;
  }
  AAX_IString& AssignString(const AAX_IString& other) override {
    SetText(other.Text());
    return *this;
  }

private:
  std::string* mRecord;
};

// The parameter's method table, called by slot number as a host does.
template <typename Fn>
Fn SlotOf(AAX_IParameter* p, int slot) {
  return reinterpret_cast<Fn>((*reinterpret_cast<void* const* const*>(p))[slot]);
}

}  // namespace

TEST(AAX_CParameter, TextSlotsUseTheHostsStringsOnlyThroughTheirSlots) {
  std::unique_ptr<AAX_CParameter<double>> own(NewThreshold("1", -24.0));
  AAX_IParameter* p = own.get();
  auto text = [](const char* t) { return std::make_unique<ForeignString>(t); };
  using TextIn = void (*)(AAX_IParameter*, const AAX_IString*);
  SlotOf<TextIn>(p, 2)(p, text("Knee").get());
  EXPECT_EQ(Text(p->GetName()), "Knee");
  SlotOf<TextIn>(p, 4)(p, text("Kn").get());
  EXPECT_EQ(Text(p->GetShortenedName(3)), "Kn");
  double n = 7.0;
  EXPECT_TRUE(SlotOf<bool (*)(AAX_IParameter*, const AAX_IString*, double*)>(p, 22)(p, text("-12 dB").get(), &n));
  EXPECT_EQ(n, 0.75);  // -12 on -48..0
  EXPECT_TRUE(SlotOf<bool (*)(AAX_IParameter*, const AAX_IString*)>(p, 25)(p, text("-6dB").get()));
  EXPECT_EQ(own->Value(), -6.0);
  // Texts going out: -6 as the current value, 0.75 (-12) as the asked one.
  const struct { int slot; const char* text; } out[] = {
      {20, "-6.00dB"}, {21, "-6.00dB"}, {23, "-12.0"}, {24, "-12.00dB"}};
  for (const auto& o : out) {
    auto s = text("old");
    bool answered = false;
    switch (o.slot) {
      case 20: answered = SlotOf<bool (*)(AAX_IParameter*, int32_t, AAX_IString*)>(p, 20)(p, 3, s.get()); break;
      case 21: answered = SlotOf<bool (*)(AAX_IParameter*, AAX_IString*)>(p, 21)(p, s.get()); break;
      case 23:
        answered = SlotOf<bool (*)(AAX_IParameter*, double, int32_t, AAX_IString*)>(p, 23)(p, 0.75, 5, s.get());
        break;
      case 24: answered = SlotOf<bool (*)(AAX_IParameter*, double, AAX_IString*)>(p, 24)(p, 0.75, s.get()); break;
    }
    EXPECT_TRUE(answered) << o.slot;
    EXPECT_STREQ(s->Text(), o.text) << o.slot;
  }
}

TEST(AAX_CParameter, DelegatesOfTheHostAreIgnored) {
  // The host's delegate: its method table holds another compiler's type record where this module's
  // compiler keeps its own, and no slot this module could call.
  static const uint64_t foreignRecord[4] = {};
  static const void* const foreignTable[] = {nullptr, foreignRecord, nullptr, nullptr, nullptr};
  struct { const void* const* table; double data[2]; } foreign{foreignTable + 2, {1.0, 2.0}};
  std::unique_ptr<AAX_CParameter<double>> own(NewThreshold("1", -36.0));
  AAX_IParameter* p = own.get();
  SlotOf<void (*)(AAX_IParameter*, const void*, bool)>(p, 40)(p, &foreign, true);
  SlotOf<void (*)(AAX_IParameter*, const void*, bool)>(p, 40)(p, &foreign, false);
  SlotOf<void (*)(AAX_IParameter*, const void*)>(p, 41)(p, &foreign);
  EXPECT_EQ(own->Value(), -36.0);
  EXPECT_EQ(own->GetNormalizedValue(), 0.25);
  AAX_CString out;
  EXPECT_TRUE(own->GetValueString(&out));
  EXPECT_EQ(Text(out), "-36.00dB");
}

namespace {

// A display whose conversions throw std::bad_alloc, as an allocation that fails inside them would;
// its copy too when asked.
class FailingDisplay final : public AAX_IDisplayDelegate<double> {
public:
  explicit FailingDisplay(bool copyFails) : mCopyFails(copyFails) {}
  FailingDisplay* Clone() const override {
    if (mCopyFails) throw std::bad_alloc();
    return new FailingDisplay(*this);
  }
  bool ValueToString(double, int32_t, AAX_CString*) const override { throw std::bad_alloc(); }
  bool ValueToString(double, AAX_CString*) const override { throw std::bad_alloc(); }
  bool StringToValue(const AAX_CString&, double*) const override { throw std::bad_alloc(); }

private:
  bool mCopyFails;
};

// The framework's curve, but its copy cannot be made.
class UncopiableTaper final : public AAX_ITaperDelegate<double> {
public:
  UncopiableTaper* Clone() const override { throw std::bad_alloc(); }
  double GetMaximumValue() const override { return mCurve.GetMaximumValue(); }
  double GetMinimumValue() const override { return mCurve.GetMinimumValue(); }
  double ConstrainRealValue(double v) const override { return mCurve.ConstrainRealValue(v); }
  double NormalizedToReal(double n) const override { return mCurve.NormalizedToReal(n); }
  double RealToNormalized(double v) const override { return mCurve.RealToNormalized(v); }

private:
  AAX_CIFxTaperDelegate<double> mCurve{-96.0, 0.0, 1.0};
};

}  // namespace

// Work that throws inside a slot (an allocation that fails) answers false and changes nothing; no
// exception leaves the parameter.
TEST(AAX_CParameter, SlotsWhoseWorkThrowsAnswerFalseAndChangeNothing) {
  AAX_CParameter<double> p("1", AAX_CString("Level"), -12.0, AAX_CIFxTaperDelegate<double>(-48.0, 0.0, 1.0),
                           FailingDisplay(false), true);
  AAX_CString out("old");
  double n = 7.0;
  EXPECT_FALSE(p.GetValueString(&out));
  EXPECT_FALSE(p.GetValueString(8, &out));
  EXPECT_FALSE(p.GetStringFromNormalizedValue(0.5, out));
  EXPECT_FALSE(p.GetStringFromNormalizedValue(0.5, 8, out));
  EXPECT_EQ(Text(out), "old");
  EXPECT_FALSE(p.GetNormalizedValueFromString(AAX_CString("-6"), &n));
  EXPECT_EQ(n, 7.0);
  EXPECT_FALSE(p.SetValueFromString(AAX_CString("-6")));
  const UncopiableTaper taper;
  p.SetTaperDelegate(&taper, true);
  p.SetTaperDelegate(&taper, false);
  const FailingDisplay display(true);
  p.SetDisplayDelegate(&display);
  EXPECT_EQ(p.Value(), -12.0);
  EXPECT_EQ(p.GetNormalizedValue(), 0.75);  // -12 on -48..0: the taper stayed
}
