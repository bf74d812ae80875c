#include "aax/aaxeffectparameters.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

// A normalised value from the host: false for NaN and infinities, else limited to 0..1.
bool HostNormalized(double value, double* limited) {
  if (!std::isfinite(value)) return false;
  *limited = value < 0.0 ? 0.0 : (value > 1.0 ? 1.0 : value);
  return true;
}

// The double rounded to single precision; beyond the float range the infinity of its sign.
float ToSingle(double value) {
  if (value > std::numeric_limits<float>::max()) return std::numeric_limits<float>::infinity();
  if (value < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(value);
}

// The value types a parameter is probed for, in the probing order.
enum class Probe { kFloat, kInt32, kBool, kDouble, kText, kNone };

struct Probed {
  Probe type = Probe::kNone;
  float f = 0.0f;
  int32_t i = 0;
  bool b = false;
  double d = 0.0;
  AAX_CString text;
};

Probed ProbeValue(const AAX_IParameter& p) {
  Probed v;
  if (p.ReadFloat(&v.f)) v.type = Probe::kFloat;
  else if (p.ReadInt32(&v.i)) v.type = Probe::kInt32;
  else if (p.ReadBool(&v.b)) v.type = Probe::kBool;
  else if (p.ReadDouble(&v.d)) v.type = Probe::kDouble;
  else if (p.ReadString(&v.text)) v.type = Probe::kText;
  return v;
}

constexpr const char* kChunkName = "Complete Controls State";

}  // namespace

AAX_CEffectParameters::AAX_CEffectParameters() = default;

AAX_CEffectParameters::~AAX_CEffectParameters() { ReleaseHost(); }

ACFResult AAX_CEffectParameters::QueryOwnInterface(const AcfID& iid, void** out) {
  if (out && (iid == AcfIds::kEffectParameters || iid == AcfIds::kEffectParametersV2)) {
    AAX_IACFEffectParameters_V2* face = this;
    *out = face;
    face->AddRef();
    return kACFOk;
  }
  return CACFUnknown::QueryOwnInterface(iid, out);
}

void AAX_CEffectParameters::ReleaseHost() {
  mParameterManager.RemoveAllParameters();
  mParameterManager.SetAutomationDelegate(nullptr);
  mPacketRelay.SetController(nullptr, nullptr);
  delete mController;
  mController = nullptr;
  delete mAutomationDelegate;
  mAutomationDelegate = nullptr;
  delete mTransport;
  mTransport = nullptr;
}

AAX_Result AAX_CEffectParameters::Initialize(IACFUnknown* controller) {
  return AnswerHostCall(kACFUnexpected, [&]() -> AAX_Result {
    // Through the (virtual) Uninitialize, so that a derived class lets go of what it keeps of the old
    // parameters and proxies before they are freed.
    if (mController || mAutomationDelegate || mTransport) Uninitialize();
    mController = new AAX_VController(controller);
    mAutomationDelegate = new AAX_VAutomationDelegate(controller);
    mParameterManager.SetAutomationDelegate(mAutomationDelegate);
    mTransport = new AAX_VTransport(controller);
    mPacketRelay.SetController(mController, this);
    const AAX_Result prepared = PrepareEffect();
    if (prepared != kAAXOk) return prepared;
    AAX_CString bypass;
    GetMasterBypassParameter(&bypass);
    if (bypass.TextLength() > 0) mFilteredParameterIDs.insert(bypass.Text());
    return kAAXOk;
  });
}

AAX_Result AAX_CEffectParameters::Uninitialize() {
  ReleaseHost();
  return kAAXOk;
}

AAX_Result AAX_CEffectParameters::NotificationReceived(uint32_t type, const void* data, uint32_t size) {
  if (type != kPreviewNotification || !data || size < 4) return kAAXOk;
  uint32_t previewing = 0;
  std::memcpy(&previewing, data, sizeof previewing);
  if (AAX_IParameter* p = mParameterManager.FindParameter("PreviewID")) p->WriteBool(previewing != 0);
  return kAAXOk;
}

AAX_Result AAX_CEffectParameters::GetNumberOfParameters(int32_t* out) {
  if (!out) return kAAXNullArgument;
  *out = mParameterManager.ParameterCount();
  return kAAXOk;
}

AAX_Result AAX_CEffectParameters::GetMasterBypassParameter(AAX_IString* out) {
  if (!out) return kAAXNullArgument;
  out->SetText(mParameterManager.FindParameter("MasterBypassID") ? "MasterBypassID" : "");
  return kAAXOk;
}

AAX_Result AAX_CEffectParameters::GetParameterIsAutomatable(const char* id, AAX_CBoolean* out) {
  if (!out) return kAAXNullArgument;
  *out = 0;
  const AAX_IParameter* p = mParameterManager.FindParameter(id);
  if (!p) return kAAXNoSuchParameter;
  *out = p->IsAutomatable() ? 1 : 0;
  return kAAXOk;
}

AAX_Result AAX_CEffectParameters::GetParameterNumberofSteps(const char* id, int32_t* out) {
  if (!out) return kAAXNullArgument;
  const AAX_IParameter* p = mParameterManager.FindParameter(id);
  if (!p) return kAAXNoSuchParameter;
  const int32_t steps = static_cast<int32_t>(p->GetNumberOfSteps());
  if (steps < 0) return kAAXNegativeSteps;
  *out = steps;
  return kAAXOk;
}

AAX_Result AAX_CEffectParameters::GetParameterName(const char* id, AAX_IString* out) {
  if (!out) return kAAXNullArgument;
  const AAX_IParameter* p = mParameterManager.FindParameter(id);
  out->SetText(p ? p->GetName().Text() : "");
  return kAAXOk;
}

AAX_Result AAX_CEffectParameters::GetParameterNameOfLength(const char* id, AAX_IString* out, int32_t length) {
  if (!out) return kAAXNullArgument;
  return AnswerHostCall(kACFUnexpected, [&]() -> AAX_Result {
    const AAX_IParameter* p = mParameterManager.FindParameter(id);
    if (!p) {
      out->SetText("");
      return kAAXOk;
    }
    std::string name(p->GetShortenedName(length).Text());
    if (name.size() > 255) name.resize(255);
    if (name.empty()) return kAAXOk;
    std::vector<std::string> candidates;
    size_t start = 0;
    for (;;) {
      const size_t end = name.find('\n', start);
      candidates.push_back(name.substr(start, end == std::string::npos ? std::string::npos : end - start));
      if (end == std::string::npos) break;
      start = end + 1;
    }
    // An empty line is no name: it never beats the cut of the name below.
    const std::string* best = nullptr;
    for (const std::string& c : candidates) {
      const int64_t size = static_cast<int64_t>(c.size());
      if (size > 0 && size <= length && (!best || size > static_cast<int64_t>(best->size()))) best = &c;
    }
    if (best) {
      out->SetText(best->c_str());
    } else if (length < 1) {
      out->SetText("");
    } else {
      out->SetText(name.substr(0, static_cast<size_t>(length)).c_str());
    }
    return kAAXOk;
  });
}

AAX_Result AAX_CEffectParameters::GetParameterDefaultNormalizedValue(const char* id, double* out) {
  if (!out) return kAAXNullArgument;
  const AAX_IParameter* p = mParameterManager.FindParameter(id);
  if (!p) return kAAXNoSuchParameter;
  *out = p->GetNormalizedDefaultValue();
  return kAAXOk;
}

AAX_Result AAX_CEffectParameters::SetParameterDefaultNormalizedValue(const char* id, double value) {
  AAX_IParameter* p = mParameterManager.FindParameter(id);
  if (!p) return kAAXNoSuchParameter;
  double n = 0.0;
  if (!HostNormalized(value, &n)) return kAAXNullArgument;
  p->SetNormalizedDefaultValue(n);
  return kAAXOk;
}

AAX_Result AAX_CEffectParameters::GetParameterType(const char* id, int32_t* out) {
  if (!out) return kAAXNullArgument;
  const AAX_IParameter* p = mParameterManager.FindParameter(id);
  if (!p) return kAAXNoSuchParameter;
  *out = p->GetType();
  return kAAXOk;
}

AAX_Result AAX_CEffectParameters::GetParameterOrientation(const char* id, int32_t* out) {
  if (!out) return kAAXNullArgument;
  const AAX_IParameter* p = mParameterManager.FindParameter(id);
  if (!p) return kAAXNoSuchParameter;
  *out = p->GetOrientation();
  return kAAXOk;
}

AAX_Result AAX_CEffectParameters::GetParameter(const char* id, AAX_IParameter** out) {
  if (!out) return kAAXNullArgument;
  *out = mParameterManager.FindParameter(id);
  return *out ? kAAXOk : kAAXNoSuchParameter;
}

AAX_Result AAX_CEffectParameters::GetParameterIndex(const char* id, int32_t* out) {
  if (!out) return kAAXNullArgument;
  *out = mParameterManager.IndexOfParameter(id);
  return *out < 0 ? kAAXNoSuchParameter : kAAXOk;
}

AAX_Result AAX_CEffectParameters::GetParameterIDFromIndex(int32_t index, AAX_IString* out) {
  if (!out) return kAAXNullArgument;
  const AAX_IParameter* p =
      index >= 0 && index < mParameterManager.ParameterCount() ? mParameterManager.ParameterAt(index) : nullptr;
  out->SetText(p ? p->GetIdentifier() : "");
  return p ? kAAXOk : kAAXNoSuchParameter;
}

AAX_Result AAX_CEffectParameters::GetParameterValueInfo(const char*, int32_t, int32_t* out) {
  if (!out) return kAAXNullArgument;
  *out = 0;
  return kAAXNotImplemented;
}

AAX_Result AAX_CEffectParameters::GetParameterValueFromString(const char* id, double* out, const AAX_IString& text) {
  if (!out) return kAAXNullArgument;
  const AAX_IParameter* p = mParameterManager.FindParameter(id);
  if (!p) return kAAXNoSuchParameter;
  return AnswerHostCall(kACFUnexpected, [&]() -> AAX_Result {
    double n = 0.0;
    if (!p->GetNormalizedValueFromString(text, &n)) return kAAXNullArgument;
    *out = n;
    return kAAXOk;
  });
}

AAX_Result AAX_CEffectParameters::GetParameterStringFromValue(const char* id, double value, AAX_IString* out,
                                                              int32_t maxLength) {
  if (!out) return kAAXNullArgument;
  const AAX_IParameter* p = mParameterManager.FindParameter(id);
  if (!p) return kAAXNoSuchParameter;
  double n = 0.0;
  if (!HostNormalized(value, &n)) return kAAXNullArgument;
  return AnswerHostCall(kACFUnexpected, [&]() -> AAX_Result {
    AAX_CString text;
    if (!p->GetStringFromNormalizedValue(n, maxLength, text)) return kAAXNullArgument;
    out->SetText(text.Text());
    return kAAXOk;
  });
}

AAX_Result AAX_CEffectParameters::GetParameterValueString(const char* id, AAX_IString* out, int32_t maxLength) {
  if (!out) return kAAXNullArgument;
  const AAX_IParameter* p = mParameterManager.FindParameter(id);
  if (!p) return kAAXNoSuchParameter;
  return AnswerHostCall(kACFUnexpected, [&]() -> AAX_Result {
    AAX_CString text;
    if (!p->GetValueString(maxLength, &text)) return kAAXNullArgument;
    out->SetText(text.Text());
    return kAAXOk;
  });
}

AAX_Result AAX_CEffectParameters::GetParameterNormalizedValue(const char* id, double* out) {
  if (!out) return kAAXNullArgument;
  const AAX_IParameter* p = mParameterManager.FindParameter(id);
  if (!p) return kAAXNoSuchParameter;
  *out = p->GetNormalizedValue();
  return kAAXOk;
}

AAX_Result AAX_CEffectParameters::SetParameterNormalizedValue(const char* id, double value) {
  AAX_IParameter* p = mParameterManager.FindParameter(id);
  if (!p) return kAAXNoSuchParameter;
  double n = 0.0;
  if (!HostNormalized(value, &n)) return kAAXNullArgument;
  p->SetNormalizedValue(n);
  return kAAXOk;
}

AAX_Result AAX_CEffectParameters::SetParameterNormalizedRelative(const char* id, double delta) {
  if (!mParameterManager.FindParameter(id)) return kAAXNoSuchParameter;
  if (!std::isfinite(delta)) return kAAXNullArgument;
  double current = 0.0;
  const AAX_Result read = GetParameterNormalizedValue(id, &current);
  if (read != kAAXOk) return read;
  double n = current + delta;
  n = n < 0.0 ? 0.0 : (n > 1.0 ? 1.0 : n);
  return SetParameterNormalizedValue(id, n);
}

AAX_Result AAX_CEffectParameters::TouchParameter(const char* id) {
  AAX_IParameter* p = mParameterManager.FindParameter(id);
  if (!p) return kAAXNoSuchParameter;
  p->BeginTouch();
  return kAAXOk;
}

AAX_Result AAX_CEffectParameters::ReleaseParameter(const char* id) {
  AAX_IParameter* p = mParameterManager.FindParameter(id);
  if (!p) return kAAXNoSuchParameter;
  p->EndTouch();
  return kAAXOk;
}

AAX_Result AAX_CEffectParameters::UpdateParameterTouch(const char*, AAX_CBoolean) { return kAAXOk; }

AAX_Result AAX_CEffectParameters::UpdateParameterNormalizedValue(const char* id, double value, int32_t) {
  AAX_IParameter* p = mParameterManager.FindParameter(id);
  if (!p) return kAAXNoSuchParameter;
  double n = 0.0;
  if (!HostNormalized(value, &n)) return kAAXNullArgument;
  p->ApplyNormalizedValue(n);
  const AAX_Result marked = mPacketRelay.MarkPacketsDirty(id, true);
  CountChange();
  return marked;
}

AAX_Result AAX_CEffectParameters::UpdateParameterNormalizedRelative(const char* id, double delta) {
  if (!mParameterManager.FindParameter(id)) return kAAXNoSuchParameter;
  if (!std::isfinite(delta)) return kAAXNullArgument;
  double current = 0.0;
  const AAX_Result read = GetParameterNormalizedValue(id, &current);
  if (read != kAAXOk) return read;
  double n = current + delta;
  n = n < 0.0 ? 0.0 : (n > 1.0 ? 1.0 : n);
  return UpdateParameterNormalizedValue(id, n, 0);
}

AAX_Result AAX_CEffectParameters::GenerateCoefficients() { return mPacketRelay.DispatchPackets(); }

AAX_Result AAX_CEffectParameters::ResetFieldData(AAX_FieldIndex, void* block, uint32_t size) {
  if (size > 0) {
    if (!block) return kAAXNullArgument;
    std::memset(block, 0, size);
  }
  return kAAXOk;
}

AAX_Result AAX_CEffectParameters::GetNumberOfChunks(int32_t* out) {
  if (!out) return kAAXNullArgument;
  *out = 1;
  return kAAXOk;
}

AAX_Result AAX_CEffectParameters::GetChunkIDFromIndex(int32_t index, uint32_t* out) {
  if (!out) return kAAXNullArgument;
  if (index != 0) {
    *out = 0;
    return kAAXBadChunkIndex;
  }
  *out = kDefaultChunkId;
  return kAAXOk;
}

void AAX_CEffectParameters::BuildDefaultChunk() {
  mChunkParser.Reset();
  for (int32_t i = 0; i < mParameterManager.ParameterCount(); ++i) {
    const AAX_IParameter* p = mParameterManager.ParameterAt(i);
    if (!p || mFilteredParameterIDs.count(p->GetIdentifier())) continue;
    const Probed v = ProbeValue(*p);
    switch (v.type) {
      case Probe::kFloat: mChunkParser.AddDouble(p->GetIdentifier(), v.f); break;
      case Probe::kInt32: mChunkParser.AddInt32(p->GetIdentifier(), v.i); break;
      case Probe::kBool: mChunkParser.AddInt32(p->GetIdentifier(), v.b ? 1 : 0); break;
      case Probe::kDouble: mChunkParser.AddDouble(p->GetIdentifier(), v.d); break;
      case Probe::kText: mChunkParser.AddString(p->GetIdentifier(), v.text.Text()); break;
      case Probe::kNone: break;
    }
  }
}

AAX_Result AAX_CEffectParameters::GetChunkSize(uint32_t chunkId, uint32_t* out) {
  if (!out) return kAAXNullArgument;
  if (chunkId != kDefaultChunkId) {
    *out = 0;
    return kAAXBadChunkId;
  }
  return AnswerHostCall(kACFUnexpected, [&]() -> AAX_Result {
    BuildDefaultChunk();
    const int32_t size = mChunkParser.GetChunkDataSize();
    mChunkSize = size;
    if (size < 0) return kAAXChunkSize;
    *out = static_cast<uint32_t>(size);
    return kAAXOk;
  });
}

AAX_Result AAX_CEffectParameters::GetChunk(uint32_t chunkId, AAX_ChunkRecord* record) {
  if (!record) return kAAXNullArgument;
  if (chunkId != kDefaultChunkId) return kAAXBadChunkId;
  return AnswerHostCall(kACFUnexpected, [&]() -> AAX_Result {
    BuildDefaultChunk();
    const int32_t size = mChunkParser.GetChunkDataSize();
    if (size != mChunkSize || size == 0) return kAAXChunkSize;
    record->version = mChunkParser.ChunkVersion();
    std::memset(record->name, 0, sizeof record->name);
    std::strncpy(record->name, kChunkName, sizeof record->name - 1);
    return mChunkParser.GetChunkData(record);
  });
}

AAX_Result AAX_CEffectParameters::SetChunk(uint32_t chunkId, const AAX_ChunkRecord* record) {
  if (!record) return kAAXNullArgument;
  if (chunkId != kDefaultChunkId) return kAAXBadChunkId;
  return AnswerHostCall(kACFUnexpected, [&]() -> AAX_Result {
    if (!mChunkParser.LoadChunk(record)) return kAAXChunkSize;
    for (int32_t i = 0; i < mParameterManager.ParameterCount(); ++i) {
      AAX_IParameter* p = mParameterManager.ParameterAt(i);
      if (!p || mFilteredParameterIDs.count(p->GetIdentifier())) continue;
      const char* name = p->GetIdentifier();
      double d = 0.0;
      int32_t n = 0;
      AAX_CString text;
      switch (ProbeValue(*p).type) {
        case Probe::kFloat:
          if (mChunkParser.FindDouble(name, &d)) p->WriteFloat(ToSingle(d));
          break;
        case Probe::kInt32:
          if (mChunkParser.FindInt32(name, &n)) p->WriteInt32(n);
          break;
        case Probe::kBool:
          if (mChunkParser.FindInt32(name, &n)) p->WriteBool(n != 0);
          break;
        case Probe::kDouble:
          if (mChunkParser.FindDouble(name, &d)) p->WriteDouble(d);
          break;
        case Probe::kText:
          if (mChunkParser.FindString(name, &text)) p->WriteString(text);
          break;
        case Probe::kNone: break;
      }
    }
    return kAAXOk;
  });
}

AAX_Result AAX_CEffectParameters::CompareActiveChunk(const AAX_ChunkRecord* record, AAX_CBoolean* isEqual) {
  if (!record || !isEqual) return kAAXNullArgument;
  if (record->chunkId != kDefaultChunkId) {
    *isEqual = 1;
    return kAAXOk;
  }
  return AnswerHostCall(kACFUnexpected, [&]() -> AAX_Result {
    *isEqual = 0;
    if (!mChunkParser.LoadChunk(record)) return kAAXOk;
    for (int32_t i = 0; i < mParameterManager.ParameterCount(); ++i) {
      const AAX_IParameter* p = mParameterManager.ParameterAt(i);
      if (!p || mFilteredParameterIDs.count(p->GetIdentifier())) continue;
      const char* name = p->GetIdentifier();
      const Probed v = ProbeValue(*p);
      double d = 0.0;
      int32_t n = 0;
      AAX_CString text;
      bool same = false;
      switch (v.type) {
        case Probe::kFloat: same = mChunkParser.FindDouble(name, &d) && ToSingle(d) == v.f; break;
        case Probe::kInt32: same = mChunkParser.FindInt32(name, &n) && n == v.i; break;
        case Probe::kBool: same = mChunkParser.FindInt32(name, &n) && (n != 0) == v.b; break;
        case Probe::kDouble: same = mChunkParser.FindDouble(name, &d) && ToSingle(d) == ToSingle(v.d); break;
        case Probe::kText: same = mChunkParser.FindString(name, &text) && text == v.text; break;
        case Probe::kNone: same = true; break;
      }
      if (!same) return kAAXOk;
    }
    *isEqual = 1;
    return kAAXOk;
  });
}

AAX_Result AAX_CEffectParameters::GetNumberOfChanges(int32_t* out) {
  if (!out) return kAAXNullArgument;
  if (mNumChanges >= 0) *out = mNumChanges;
  return kAAXOk;
}

void AAX_CEffectParameters::CountChange() {
  // Wraps instead of overflowing.
  mNumChanges = static_cast<int32_t>(static_cast<uint32_t>(mNumChanges) + 1u);
}

AAX_Result AAX_CEffectParameters::HostOp40(int64_t) { return kAAXOk; }
AAX_Result AAX_CEffectParameters::HostOp41(int64_t) { return kAAXNotImplemented; }
AAX_Result AAX_CEffectParameters::HostOp42(int64_t, int32_t* out) {
  if (out) *out = 0;
  return kAAXOk;
}
AAX_Result AAX_CEffectParameters::HostOp43(int64_t) { return kAAXOk; }
AAX_Result AAX_CEffectParameters::HostOp44(int64_t) { return kAAXOk; }
AAX_Result AAX_CEffectParameters::HostOp45(int64_t) { return kAAXNotImplemented; }
AAX_Result AAX_CEffectParameters::HostOp46(int64_t) { return kAAXOk; }
AAX_Result AAX_CEffectParameters::HostOp47(int64_t) { return kAAXOk; }

AAX_Result AAX_CEffectParameters::PrepareEffect() { return kAAXOk; }
