#include "aax/ownedmutex.h"

AAX_COwnedMutex* AAX_COwnedMutex::Create() {
  void* handle = SystemCreate();
  return handle ? new AAX_COwnedMutex(handle) : nullptr;
}

AAX_COwnedMutex::~AAX_COwnedMutex() { SystemClose(mHandle); }

int32_t AAX_COwnedMutex::CurrentThreadId() { return SystemThreadId(); }

bool AAX_COwnedMutex::Take() {
  const int32_t self = SystemThreadId();
  if (mOwner.load(std::memory_order_relaxed) == self) return false;
  SystemWait(mHandle);
  mOwner.store(self, std::memory_order_relaxed);
  return true;
}

void AAX_COwnedMutex::Give() {
  if (mOwner.load(std::memory_order_relaxed) != SystemThreadId()) return;
  mOwner.store(0, std::memory_order_relaxed);
  SystemRelease(mHandle);
}
