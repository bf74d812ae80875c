#include "aax/acfunknown.h"

std::atomic<int32_t> gLiveObjectCount{0};

CACFUnknown::CACFUnknown() : mRefCount(0), mOuterUnknown(nullptr), mInnerUnknown(this) {
  mOuterUnknown = &mInnerUnknown;
  gLiveObjectCount.fetch_add(1);
}

CACFUnknown::~CACFUnknown() { gLiveObjectCount.fetch_sub(1); }

int32_t CACFUnknown::ReservedHook() { return 0; }

void CACFUnknown::OnLastRelease() {}

void CACFUnknown::DeleteThis() { delete this; }

ACFResult CACFUnknown::QueryOwnInterface(const AcfID& iid, void** out) {
  // A host that hands no out pointer gets a failure; nothing is written.
  if (!out) return kACFNullPointer;
  *out = nullptr;
  if (iid == AcfIds::kUnknown) {
    *out = &mInnerUnknown;
    mInnerUnknown.AddRef();
    return kACFOk;
  }
  return kACFNoInterface;
}

uint32_t CACFUnknown::AddOwnReference() { return static_cast<uint32_t>(mRefCount.fetch_add(1) + 1); }

uint32_t CACFUnknown::ReleaseOwnReference() {
  const int32_t count = mRefCount.fetch_sub(1) - 1;
  if (count != 0) return static_cast<uint32_t>(count);
  OnLastRelease();
  DeleteThis();
  return 0;
}
