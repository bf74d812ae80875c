#include <windows.h>

#include <new>

#include "fx/synclock.h"

static_assert(sizeof(CRITICAL_SECTION) <= 64, "lock storage too small");

static CRITICAL_SECTION* Section(unsigned char* storage) {
  return std::launder(reinterpret_cast<CRITICAL_SECTION*>(storage));
}

SyncLock::SyncLock() { InitializeCriticalSection(new (mStorage) CRITICAL_SECTION); }
SyncLock::~SyncLock() { DeleteCriticalSection(Section(mStorage)); }
void SyncLock::Enter() { EnterCriticalSection(Section(mStorage)); }
void SyncLock::Leave() { LeaveCriticalSection(Section(mStorage)); }
