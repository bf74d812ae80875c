// The effect-parameters base driven through its host-facing interface by the fake host: parameter
// queries, conversions, set requests and host updates, the default chunk, and the checks at the host
// boundary.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "tests/aax/fakehost.h"
#include "tests/aax/fakeparameter.h"
#include "tests/aax/testeffect.h"

using aaxtest::AutomationCalls;
using aaxtest::TestEffect;
using fakehost::FakeHost;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr uint32_t kElck = 0x656C636B;

// An effect the host holds one reference to, initialised on the fake host's unknown.
struct Hosted {
  explicit Hosted(bool withAutomation = true, std::function<void(TestEffect&)> prepare = nullptr) {
    host.automation->refusePrimary = !withAutomation;
    effect = new TestEffect(&events);
    effect->prepare = std::move(prepare);
    face = effect;
    face->AddRef();
    result = face->Initialize(host.unknown->Unknown());
    host.log.clear();
  }
  ~Hosted() {
    if (face) face->Release();
    EXPECT_EQ(host.Leaks(), "");
  }
  double Normalized(const char* id) {
    double n = -1.0;
    EXPECT_EQ(face->GetParameterNormalizedValue(id, &n), 0);
    return n;
  }

  FakeHost host;
  std::vector<std::string> events;
  TestEffect* effect;
  AAX_IACFEffectParameters_V2* face;
  AAX_Result result;
};

// A chunk record with room for `size` data bytes.
struct Record {
  explicit Record(size_t size) : bytes(AAX_ChunkRecord::kHeaderSize + size, 0xEE) {}
  AAX_ChunkRecord* Get() { return reinterpret_cast<AAX_ChunkRecord*>(bytes.data()); }
  std::vector<uint8_t> Data() const {
    return std::vector<uint8_t>(bytes.begin() + AAX_ChunkRecord::kHeaderSize, bytes.end());
  }
  std::vector<uint8_t> bytes;
};

void OnlyDoubleAt1_5(TestEffect& e) {
  e.AddDouble("1", "Level", 1.5, 0.0, 2.0, 1.0, "");
  e.AddBool("MasterBypassID", "Master Bypass", false);
}

}  // namespace

TEST(AAX_CEffectParameters, AnswersParameterQueriesByIdentifier) {
  Hosted h;
  ASSERT_EQ(h.result, 0);
  AAX_IACFEffectParameters_V2* f = h.face;
  int32_t count = 0;
  EXPECT_EQ(f->GetNumberOfParameters(&count), 0);
  EXPECT_EQ(count, 3);
  AAX_CString text("old");
  const char* ids[] = {"1", "2", "MasterBypassID"};
  for (int32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(f->GetParameterIDFromIndex(i, &text), 0);
    EXPECT_STREQ(text.Text(), ids[i]);
    int32_t index = -1;
    EXPECT_EQ(f->GetParameterIndex(ids[i], &index), 0);
    EXPECT_EQ(index, i);
  }
  for (int32_t outside : {3, -1}) {
    text.SetText("old");
    EXPECT_EQ(f->GetParameterIDFromIndex(outside, &text), -20001);
    EXPECT_STREQ(text.Text(), "");
  }
  int32_t index = 5;
  EXPECT_EQ(f->GetParameterIndex("3", &index), -20001);
  EXPECT_EQ(f->GetMasterBypassParameter(&text), 0);
  EXPECT_STREQ(text.Text(), "MasterBypassID");

  EXPECT_EQ(f->GetParameterName("1", &text), 0);
  EXPECT_STREQ(text.Text(), "Top Threshold");
  EXPECT_EQ(f->GetParameterNameOfLength("1", &text, 5), 0);
  EXPECT_STREQ(text.Text(), "Top T");
  EXPECT_EQ(f->GetParameterNameOfLength("1", &text, 0), 0);
  EXPECT_STREQ(text.Text(), "");
  text.SetText("old");
  EXPECT_EQ(f->GetParameterName("9", &text), 0);
  EXPECT_STREQ(text.Text(), "");

  const struct { const char* id; int32_t steps, type; AAX_CBoolean automatable; } shape[] = {
      {"1", 128, 1, 1}, {"2", 11, 0, 0}, {"MasterBypassID", 2, 0, 1}};
  for (const auto& s : shape) {
    int32_t steps = 0, type = -1, orientation = -1;
    AAX_CBoolean automatable = 9;
    EXPECT_EQ(f->GetParameterNumberofSteps(s.id, &steps), 0);
    EXPECT_EQ(steps, s.steps) << s.id;
    EXPECT_EQ(f->GetParameterType(s.id, &type), 0);
    EXPECT_EQ(type, s.type) << s.id;
    EXPECT_EQ(f->GetParameterIsAutomatable(s.id, &automatable), 0);
    EXPECT_EQ(automatable, s.automatable) << s.id;
    EXPECT_EQ(f->GetParameterOrientation(s.id, &orientation), 0);
    EXPECT_EQ(orientation, 0);
  }
  AAX_IParameter* p = nullptr;
  EXPECT_EQ(f->GetParameter("2", &p), 0);
  p->SetOrientation(6);
  int32_t orientation = 0;
  f->GetParameterOrientation("2", &orientation);
  EXPECT_EQ(orientation, 6);
  p->SetNumberOfSteps(0x80000000u);  // reads as a negative count
  int32_t steps = 17;
  EXPECT_EQ(f->GetParameterNumberofSteps("2", &steps), -20033);
  EXPECT_EQ(steps, 17);
  AAX_CBoolean automatable = 9;
  EXPECT_EQ(f->GetParameterIsAutomatable("nope", &automatable), -20001);
  EXPECT_EQ(automatable, 0);
  EXPECT_EQ(f->GetParameter("nope", &p), -20001);
  EXPECT_EQ(p, nullptr);
}

TEST(AAX_CEffectParameters, NameOfLengthPicksTheLongestLineThatFits) {
  Hosted h(true, [](TestEffect& e) {
    e.AddDouble("1", "Threshold\nThresh\nThr", 0.0, 0.0, 1.0, 1.0, "");
    e.AddDouble("2", "Threshold\n", 0.0, 0.0, 1.0, 1.0, "");
    e.AddDouble("3", "Threshold\n\nThr", 0.0, 0.0, 1.0, 1.0, "");
    e.AddDouble("4", "\nRatio", 0.0, 0.0, 1.0, 1.0, "");
  });
  // An empty line never counts as a fitting name: the cut of the whole name wins over it.
  const struct { const char* id; int32_t length; const char* name; } cases[] = {
      {"1", 6, "Thresh"}, {"1", 7, "Thresh"},    {"1", 2, "Th"},        {"1", 3, "Thr"},
      {"1", 9, "Threshold"}, {"1", 40, "Threshold"}, {"2", 3, "Thr"},  {"2", 9, "Threshold"},
      {"2", 0, ""},       {"3", 3, "Thr"},       {"3", 2, "Th"},        {"4", 5, "Ratio"}};
  for (const auto& c : cases) {
    AAX_CString out("old");
    EXPECT_EQ(h.face->GetParameterNameOfLength(c.id, &out, c.length), 0);
    EXPECT_STREQ(out.Text(), c.name) << c.id << " in " << c.length;
  }
}

TEST(AAX_CEffectParameters, ConvertsBetweenNormalisedValuesAndTexts) {
  Hosted h;
  AAX_CString text;
  const struct { int32_t maxLength; const char* text; } out[] = {{8, "-24.00dB"}, {7, "-24.00"}, {4, "-24"}};
  for (const auto& c : out) {
    EXPECT_EQ(h.face->GetParameterStringFromValue("1", 0.5, &text, c.maxLength), 0);
    EXPECT_STREQ(text.Text(), c.text);
  }
  double n = 0.0;
  EXPECT_EQ(h.face->GetParameterValueFromString("1", &n, AAX_CString("-12 dB")), 0);
  EXPECT_EQ(n, 0.75);
  n = 0.3;
  EXPECT_EQ(h.face->GetParameterValueFromString("1", &n, AAX_CString("abc")), -20002);
  EXPECT_EQ(h.face->GetParameterValueFromString("1", &n, AAX_CString("-60")), -20002);
  EXPECT_EQ(n, 0.3);
  EXPECT_EQ(h.face->GetParameterValueString("1", &text, 3), 0);
  EXPECT_STREQ(text.Text(), "-24.00dB");
  EXPECT_EQ(h.face->GetParameterValueString("MasterBypassID", &text, 3), 0);
  EXPECT_STREQ(text.Text(), "bypass");
  EXPECT_EQ(h.face->GetParameterStringFromValue("MasterBypassID", 1.0, &text, 9), 0);
  EXPECT_STREQ(text.Text(), "on");
  EXPECT_EQ(h.face->GetParameterStringFromValue("nope", 0.5, &text, 8), -20001);
  int32_t info = 5;
  EXPECT_EQ(h.face->GetParameterValueInfo("1", 0, &info), -20009);
  EXPECT_EQ(info, 0);
  EXPECT_EQ(h.face->GetParameterDefaultNormalizedValue("1", &n), 0);
  EXPECT_EQ(n, 0.5);
  EXPECT_EQ(h.face->SetParameterDefaultNormalizedValue("1", 0.25), 0);
  h.face->GetParameterDefaultNormalizedValue("1", &n);
  EXPECT_EQ(n, 0.25);
}

TEST(AAX_CEffectParameters, SetRequestGoesToTheHostAndTheHostUpdateStoresIt) {
  Hosted h;
  int32_t changes = -1;
  EXPECT_EQ(h.face->SetParameterNormalizedValue("1", 0.25), 0);
  EXPECT_EQ(h.Normalized("1"), 0.5);  // unchanged until the host answers
  EXPECT_EQ(AutomationCalls(h.host), (std::vector<std::string>{"7 s:1", "5 s:1 d:0.25", "8 s:1"}));
  h.face->GetNumberOfChanges(&changes);
  EXPECT_EQ(changes, 0);
  h.host.log.clear();
  EXPECT_EQ(h.face->UpdateParameterNormalizedValue("1", 0.25, 0), 0);
  EXPECT_EQ(h.Normalized("1"), 0.25);
  EXPECT_EQ(AutomationCalls(h.host), (std::vector<std::string>{"6 s:1 d:0.25"}));
  // One change per host update, none for an unknown identifier.
  h.face->UpdateParameterNormalizedValue("2", 0.5, 0);
  h.face->UpdateParameterNormalizedValue("2", 0.5, 0);
  EXPECT_EQ(h.face->UpdateParameterNormalizedValue("7", 0.5, 0), -20001);
  h.face->GetNumberOfChanges(&changes);
  EXPECT_EQ(changes, 3);
  // Touch and release frame a gesture; the touch update is accepted and does nothing.
  h.host.log.clear();
  EXPECT_EQ(h.face->TouchParameter("1"), 0);
  EXPECT_EQ(h.face->ReleaseParameter("1"), 0);
  EXPECT_EQ(h.face->TouchParameter("x"), -20001);
  EXPECT_EQ(h.face->UpdateParameterTouch("1", 1), 0);
  EXPECT_EQ(AutomationCalls(h.host), (std::vector<std::string>{"7 s:1", "8 s:1"}));
}

TEST(AAX_CEffectParameters, RelativeChangesAreClampedAndUnknownIdentifiersRefused) {
  Hosted h;
  h.face->UpdateParameterNormalizedValue("1", 0.9, 0);
  h.host.log.clear();
  EXPECT_EQ(h.face->SetParameterNormalizedRelative("1", 0.3), 0);
  EXPECT_EQ(AutomationCalls(h.host), (std::vector<std::string>{"7 s:1", "5 s:1 d:1", "8 s:1"}));
  EXPECT_EQ(h.face->UpdateParameterNormalizedRelative("1", -2.0), 0);
  EXPECT_EQ(h.Normalized("1"), 0.0);
  EXPECT_EQ(h.face->UpdateParameterNormalizedRelative("1", 0.3), 0);
  EXPECT_NEAR(h.Normalized("1"), 0.3, 1e-15);
  int32_t changes = 0;
  h.face->GetNumberOfChanges(&changes);
  EXPECT_EQ(changes, 3);
  h.host.log.clear();
  EXPECT_EQ(h.face->SetParameterNormalizedRelative("nope", 0.1), -20001);
  EXPECT_EQ(h.face->UpdateParameterNormalizedRelative("nope", 0.1), -20001);
  EXPECT_TRUE(h.host.log.empty());
  h.face->GetNumberOfChanges(&changes);
  EXPECT_EQ(changes, 3);
}

TEST(AAX_CEffectParameters, HostNumbersThatAreNotFiniteChangeNothingAndOthersAreLimited) {
  Hosted h(false);  // without automation the values are stored at once
  for (double bad : {kNaN, kInf, -kInf}) {
    EXPECT_EQ(h.face->SetParameterNormalizedValue("1", bad), -20002);
    EXPECT_EQ(h.face->UpdateParameterNormalizedValue("1", bad, 0), -20002);
    EXPECT_EQ(h.face->SetParameterNormalizedRelative("1", bad), -20002);
    EXPECT_EQ(h.face->UpdateParameterNormalizedRelative("1", bad), -20002);
    EXPECT_EQ(h.face->SetParameterDefaultNormalizedValue("1", bad), -20002);
    AAX_CString text("keep");
    EXPECT_EQ(h.face->GetParameterStringFromValue("1", bad, &text, 8), -20002);
    EXPECT_STREQ(text.Text(), "keep");
  }
  EXPECT_EQ(h.Normalized("1"), 0.5);
  double d = 0.0;
  h.face->GetParameterDefaultNormalizedValue("1", &d);
  EXPECT_EQ(d, 0.5);
  int32_t changes = 9;
  h.face->GetNumberOfChanges(&changes);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(h.face->UpdateParameterNormalizedValue("1", 1.7, 0), 0);
  EXPECT_EQ(h.Normalized("1"), 1.0);
  EXPECT_EQ(h.face->SetParameterNormalizedValue("2", -3.0), 0);
  EXPECT_EQ(h.Normalized("2"), 0.0);
  EXPECT_EQ(h.face->SetParameterNormalizedRelative("2", 1e300), 0);
  EXPECT_EQ(h.Normalized("2"), 1.0);
}

TEST(AAX_CEffectParameters, EveryNullOutPointerAnswersNullArgument) {
  Hosted h;
  AAX_IACFEffectParameters_V2* f = h.face;
  const AAX_Result results[] = {
      f->GetNumberOfParameters(nullptr),
      f->GetMasterBypassParameter(nullptr),
      f->GetParameterIsAutomatable("1", nullptr),
      f->GetParameterNumberofSteps("1", nullptr),
      f->GetParameterName("1", nullptr),
      f->GetParameterNameOfLength("1", nullptr, 4),
      f->GetParameterDefaultNormalizedValue("1", nullptr),
      f->GetParameterType("1", nullptr),
      f->GetParameterOrientation("1", nullptr),
      f->GetParameter("1", nullptr),
      f->GetParameterIndex("1", nullptr),
      f->GetParameterIDFromIndex(0, nullptr),
      f->GetParameterValueInfo("1", 0, nullptr),
      f->GetParameterValueFromString("1", nullptr, AAX_CString("-3")),
      f->GetParameterStringFromValue("1", 0.5, nullptr, 8),
      f->GetParameterValueString("1", nullptr, 8),
      f->GetParameterNormalizedValue("1", nullptr),
      f->GetNumberOfChunks(nullptr),
      f->GetChunkIDFromIndex(0, nullptr),
      f->GetChunkSize(kElck, nullptr),
      f->GetChunk(kElck, nullptr),
      f->SetChunk(kElck, nullptr),
      f->CompareActiveChunk(nullptr, nullptr),
      f->GetNumberOfChanges(nullptr),
      f->ResetFieldData(3, nullptr, 8),
  };
  for (size_t i = 0; i < sizeof results / sizeof results[0]; ++i) EXPECT_EQ(results[i], -20002) << "call " << i;
  Record r(16);
  r.Get()->chunkId = kElck;
  EXPECT_EQ(f->CompareActiveChunk(r.Get(), nullptr), -20002);
}

TEST(AAX_CEffectParameters, PreviewNotificationReadsItsFlagOnlyFromAWholeBlock) {
  Hosted h(false, [](TestEffect& e) { e.AddBool("PreviewID", "Preview", false); });
  AAX_IParameter* preview = nullptr;
  h.face->GetParameter("PreviewID", &preview);
  bool on = true;
  const uint32_t one = 1;
  EXPECT_EQ(h.face->NotificationReceived('ASPv', nullptr, 4), 0);
  EXPECT_EQ(h.face->NotificationReceived('ASPv', &one, 3), 0);
  EXPECT_EQ(h.face->NotificationReceived('XXXX', &one, 4), 0);
  preview->ReadBool(&on);
  EXPECT_FALSE(on);
  EXPECT_EQ(h.face->NotificationReceived('ASPv', &one, 4), 0);
  preview->ReadBool(&on);
  EXPECT_TRUE(on);
}

TEST(AAX_CEffectParameters, DefaultChunkHoldsEveryUnfilteredValue) {
  Hosted h(true, OnlyDoubleAt1_5);
  Record early(16);
  EXPECT_EQ(h.face->GetChunk(kElck, early.Get()), -20008);  // no size asked for yet
  uint32_t size = 0;
  EXPECT_EQ(h.face->GetChunkSize(kElck, &size), 0);
  EXPECT_EQ(size, 16u);
  Record r(size);
  r.Get()->chunkId = kElck;
  EXPECT_EQ(h.face->GetChunk(kElck, r.Get()), 0);
  EXPECT_EQ(r.Get()->size, 16);
  EXPECT_EQ(r.Get()->version, -1);
  char name[32] = "Complete Controls State";
  EXPECT_EQ(std::memcmp(r.bytes.data() + 24, name, 32), 0);  // zero-padded
  EXPECT_EQ(r.Data(), (std::vector<uint8_t>{1, 1, 1, 1, 0x64, 0x5F, 0x31, 0, 0x3F, 0xF8, 0, 0, 0, 0, 0, 0}));

  AAX_CBoolean equal = 7;
  EXPECT_EQ(h.face->CompareActiveChunk(r.Get(), &equal), 0);
  EXPECT_EQ(equal, 1);
  h.face->UpdateParameterNormalizedValue("1", 0.5, 0);  // 1.0 now
  EXPECT_EQ(h.face->CompareActiveChunk(r.Get(), &equal), 0);
  EXPECT_EQ(equal, 0);
  r.Get()->chunkId = 'abcd';
  EXPECT_EQ(h.face->CompareActiveChunk(r.Get(), &equal), 0);
  EXPECT_EQ(equal, 1);
  EXPECT_EQ(h.face->SetChunk('abcd', r.Get()), -20007);
  EXPECT_EQ(h.face->GetChunk('abcd', r.Get()), -20007);
  size = 5;
  EXPECT_EQ(h.face->GetChunkSize('abcd', &size), -20007);
  EXPECT_EQ(size, 0u);
  int32_t chunks = 0;
  uint32_t id = 9;
  EXPECT_EQ(h.face->GetNumberOfChunks(&chunks), 0);
  EXPECT_EQ(chunks, 1);
  EXPECT_EQ(h.face->GetChunkIDFromIndex(0, &id), 0);
  EXPECT_EQ(id, kElck);
  EXPECT_EQ(h.face->GetChunkIDFromIndex(1, &id), -20006);
  EXPECT_EQ(id, 0u);
}

TEST(AAX_CEffectParameters, ChunkRoundTripRestoresEveryParameter) {
  Hosted h(false);
  h.face->UpdateParameterNormalizedValue("1", 0.25, 0);  // -36 dB
  h.face->UpdateParameterNormalizedValue("2", 0.7, 0);   // 7
  h.face->UpdateParameterNormalizedValue("MasterBypassID", 1.0, 0);
  uint32_t size = 0;
  h.face->GetChunkSize(kElck, &size);
  EXPECT_EQ(size, 4u + 12u + 8u);  // "d_1" with a double, "l_2" with an int32; the bypass is filtered out
  Record r(size);
  r.Get()->chunkId = kElck;
  ASSERT_EQ(h.face->GetChunk(kElck, r.Get()), 0);
  h.face->UpdateParameterNormalizedValue("1", 1.0, 0);
  h.face->UpdateParameterNormalizedValue("2", 0.0, 0);
  h.face->UpdateParameterNormalizedValue("MasterBypassID", 0.0, 0);
  EXPECT_EQ(h.face->SetChunk(kElck, r.Get()), 0);
  EXPECT_EQ(h.Normalized("1"), 0.25);
  EXPECT_NEAR(h.Normalized("2"), 0.7, 1e-15);
  EXPECT_EQ(h.Normalized("MasterBypassID"), 0.0);  // not part of the chunk
  AAX_CBoolean equal = 0;
  h.face->CompareActiveChunk(r.Get(), &equal);
  EXPECT_EQ(equal, 1);
}

TEST(AAX_CEffectParameters, MalformedChunkIsRefusedAndChangesNothing) {
  Hosted h(false);
  uint32_t size = 0;
  h.face->GetChunkSize(kElck, &size);
  Record r(size);
  r.Get()->chunkId = kElck;
  ASSERT_EQ(h.face->GetChunk(kElck, r.Get()), 0);
  h.face->UpdateParameterNormalizedValue("1", 1.0, 0);
  r.Get()->size = 20;  // cuts the second entry's value short
  EXPECT_EQ(h.face->SetChunk(kElck, r.Get()), -20008);
  EXPECT_EQ(h.Normalized("1"), 1.0);
  AAX_CBoolean equal = 1;
  EXPECT_EQ(h.face->CompareActiveChunk(r.Get(), &equal), 0);
  EXPECT_EQ(equal, 0);
  r.Get()->size = 24;
  r.bytes[AAX_ChunkRecord::kHeaderSize] = 2;  // wrong format mark
  EXPECT_EQ(h.face->SetChunk(kElck, r.Get()), -20008);
  EXPECT_EQ(h.Normalized("1"), 1.0);
}

TEST(AAX_CEffectParameters, LibraryDefaultsOfTheRemainingOperations) {
  Hosted h;
  AAX_IACFEffectParameters_V2* f = h.face;
  int32_t out = 5;
  EXPECT_EQ(f->HostOp40(0), 0);
  EXPECT_EQ(f->HostOp41(0), -20009);
  EXPECT_EQ(f->HostOp42(0, &out), 0);
  EXPECT_EQ(out, 0);
  EXPECT_EQ(f->HostOp43(0), 0);
  EXPECT_EQ(f->HostOp44(0), 0);
  EXPECT_EQ(f->HostOp45(0), -20009);
  EXPECT_EQ(f->HostOp46(0), 0);
  EXPECT_EQ(f->HostOp47(0), 0);
  EXPECT_EQ(f->GenerateCoefficients(), 0);
  uint8_t block[6] = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(f->ResetFieldData(2, block, 5), 0);
  EXPECT_EQ(std::vector<uint8_t>(block, block + 6), (std::vector<uint8_t>{0, 0, 0, 0, 0, 6}));
  for (const AcfID& iid : {AcfIds::kEffectParameters, AcfIds::kEffectParametersV2}) {
    void* face = nullptr;
    EXPECT_EQ(f->QueryInterface(iid, &face), 0);
    EXPECT_EQ(face, static_cast<void*>(f));
    EXPECT_EQ(h.effect->ReferenceCount(), 2);
    f->Release();
  }
  void* none = reinterpret_cast<void*>(1);
  EXPECT_EQ(f->QueryInterface(AcfIds::kEffectGUI, &none), kACFNoInterface);
  EXPECT_EQ(none, nullptr);
}

TEST(AAX_CEffectParameters, FailingPrepareEndsInitializeAndBypassIsFilteredOnlyOnceRegistered) {
  {
    FakeHost host;
    TestEffect* effect = new TestEffect();
    effect->prepareResult = -7;
    effect->AddRef();
    EXPECT_EQ(effect->Initialize(host.unknown->Unknown()), -7);
    EXPECT_TRUE(effect->FilteredIdentifiers().empty());
    effect->Release();
    EXPECT_EQ(host.Leaks(), "");
  }
  Hosted plain(true, [](TestEffect& e) { e.AddBool("", "Master Bypass", false); });
  AAX_CString text("x");
  plain.face->GetMasterBypassParameter(&text);
  EXPECT_STREQ(text.Text(), "");
  EXPECT_TRUE(plain.effect->FilteredIdentifiers().empty());
  Hosted bypassed;
  EXPECT_EQ(bypassed.effect->FilteredIdentifiers(), (std::set<std::string>{"MasterBypassID"}));
}

// Work that throws inside a host-called slot (an allocation that fails) is answered 0x8000FFFF; no
// exception leaves the object.
TEST(AAX_CEffectParameters, SlotsWhoseWorkThrowsAnswerUnexpected) {
  Hosted failingPrepare(true, [](TestEffect&) { throw std::bad_alloc(); });
  EXPECT_EQ(failingPrepare.result, kACFUnexpected);
  FakeParameter* parameter = nullptr;
  Hosted h(true, [&](TestEffect& e) {
    parameter = new FakeParameter("1", nullptr);
    e.ParameterRegistry().AddParameter(parameter);
  });
  ASSERT_EQ(h.result, 0);
  parameter->failing = true;
  Record chunk(4);
  chunk.Get()->size = 4;
  chunk.Get()->chunkId = kElck;
  std::memset(chunk.Get()->Data(), 1, 4);  // the format mark and no values
  AAX_CString text("old");
  double n = 0.5;
  uint32_t size = 0;
  AAX_CBoolean equal = 0;
  const struct {
    const char* slot;
    std::function<AAX_Result()> call;
  } slots[] = {
      {"GetParameterNameOfLength", [&] { return h.face->GetParameterNameOfLength("1", &text, 4); }},
      {"GetParameterValueFromString", [&] { return h.face->GetParameterValueFromString("1", &n, text); }},
      {"GetParameterStringFromValue", [&] { return h.face->GetParameterStringFromValue("1", 0.5, &text, 8); }},
      {"GetParameterValueString", [&] { return h.face->GetParameterValueString("1", &text, 8); }},
      {"GetChunkSize", [&] { return h.face->GetChunkSize(kElck, &size); }},
      {"GetChunk", [&] { return h.face->GetChunk(kElck, chunk.Get()); }},
      {"SetChunk", [&] { return h.face->SetChunk(kElck, chunk.Get()); }},
      {"CompareActiveChunk", [&] { return h.face->CompareActiveChunk(chunk.Get(), &equal); }},
  };
  for (const auto& s : slots) EXPECT_EQ(s.call(), kACFUnexpected) << s.slot;
  EXPECT_STREQ(text.Text(), "old");
  EXPECT_EQ(n, 0.5);
}

TEST(AAX_CEffectParameters, TeardownWithdrawsParametersBeforeTheProxiesGo) {
  for (bool uninitializeFirst : {true, false}) {
    Hosted h;
    if (uninitializeFirst) {
      EXPECT_EQ(h.face->Uninitialize(), 0);
    }
    h.face->Release();
    h.face = nullptr;
    std::vector<std::string> order;
    for (const fakehost::Call& c : h.host.log)
      if (c.object == "automation") order.push_back(std::to_string(c.slot) + (c.args.empty() ? "" : " " + c.args[0]));
    EXPECT_EQ(order, (std::vector<std::string>{"4 s:1", "4 s:2", "4 s:MasterBypassID", "2 0"})) << uninitializeFirst;
    EXPECT_EQ(h.events, (std::vector<std::string>{"effect destroyed"}));
  }
}

TEST(AAX_CEffectParameters, SecondInitializeStartsAfresh) {
  Hosted h;
  EXPECT_EQ(h.face->Initialize(h.host.unknown->Unknown()), 0);
  int32_t count = 0;
  h.face->GetNumberOfParameters(&count);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(h.effect->prepareCalls, 2);
  EXPECT_EQ(h.host.controller->Refs(), 2);  // one controller proxy: primary and secondary
}

// The host reaches the object through its method table: the numbered slots after the unknown's three.
TEST(AAX_CEffectParameters, HostSeesEverySlotAtItsNumber) {
  Hosted h(false);
  void* face = h.face;
  void* const* vt = *reinterpret_cast<void* const* const*>(face);
  int32_t count = 0;
  EXPECT_EQ(reinterpret_cast<AAX_Result (*)(void*, int32_t*)>(vt[6])(face, &count), 0);  // GetNumberOfParameters
  EXPECT_EQ(count, 3);
  double n = 0.0;
  EXPECT_EQ(reinterpret_cast<AAX_Result (*)(void*, const char*, double*)>(vt[23])(face, "1", &n), 0);
  EXPECT_EQ(n, 0.5);
  EXPECT_EQ(reinterpret_cast<AAX_Result (*)(void*, const char*, double, int32_t)>(vt[29])(face, "1", 0.25, 0), 0);
  int32_t changes = 0;
  EXPECT_EQ(reinterpret_cast<AAX_Result (*)(void*, int32_t*)>(vt[39])(face, &changes), 0);  // GetNumberOfChanges
  EXPECT_EQ(changes, 1);
  int32_t out = 3;
  EXPECT_EQ(reinterpret_cast<AAX_Result (*)(void*, int64_t, int32_t*)>(vt[42])(face, 0, &out), 0);
  EXPECT_EQ(out, 0);
  EXPECT_EQ(reinterpret_cast<AAX_Result (*)(void*, int64_t)>(vt[45])(face, 0), -20009);
  EXPECT_EQ(reinterpret_cast<AAX_Result (*)(void*, int64_t)>(vt[47])(face, 0), 0);
  EXPECT_EQ(reinterpret_cast<uint32_t (*)(void*)>(vt[1])(face), 2u);  // AddRef
  EXPECT_EQ(reinterpret_cast<uint32_t (*)(void*)>(vt[2])(face), 1u);  // Release
}
