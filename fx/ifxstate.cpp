// Serialised state of the plug-in base: one little-endian double per parameter, in parameter order,
// values in display units; no header, count or version.
#include <cmath>

#include "fx/ifxbase.h"

bool IFxBase::SerializeParamValues(StateBlob& blob) {
  SyncLockScope lock(&mLock);
  for (int i = 0; i < ParamCount(); ++i) {
    if (!blob.AppendDouble(GetParam(i)->Value())) return false;
  }
  return true;
}

int IFxBase::UnserializeParams(const StateBlob& blob, int startPos) {
  SyncLockScope lock(&mLock);
  int pos = startPos;
  for (int i = 0; i < ParamCount() && pos >= 0; ++i) {
    double v = 0.0;
    // Data that run short leave this parameter and the later ones as they are.
    pos = blob.ReadDouble(&v, pos);
    if (pos < 0) break;
    if (std::isnan(v)) continue;  // a NaN is not a value: the parameter keeps its own
    IFxSetting* p = GetParam(i);
    if (v < p->Lowest()) v = p->Lowest();
    if (v > p->Highest()) v = p->Highest();
    p->SetValue(v);
  }
  for (int i = 0; i < ParamCount(); ++i) ParamChanged(i, kSourceRestore);
  return pos;
}

bool IFxBase::StateBlobMatches(const uint8_t* data, int byteCount, int startPos) {
  if (startPos < 0 || byteCount < 0) return false;
  if ((static_cast<int64_t>(startPos) + ParamCount()) * 8 > byteCount) return false;
  if (ParamCount() > 0 && !data) return false;
  bool all = true;
  for (int i = 0; i < ParamCount(); ++i) {
    const double stored = LoadLE64(data + (static_cast<int64_t>(startPos) + i) * 8);
    const float diff = static_cast<float>(GetParam(i)->Value()) - static_cast<float>(stored);
    if (!(std::fabs(static_cast<double>(diff)) < 1e-5)) all = false;
  }
  return all;
}
