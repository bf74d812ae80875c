#include <mutex>
#include <new>

#include "fx/synclock.h"

static_assert(sizeof(std::recursive_mutex) <= 64, "lock storage too small");

static std::recursive_mutex* Mutex(unsigned char* storage) {
  return std::launder(reinterpret_cast<std::recursive_mutex*>(storage));
}

SyncLock::SyncLock() { new (mStorage) std::recursive_mutex(); }
SyncLock::~SyncLock() { Mutex(mStorage)->~recursive_mutex(); }
void SyncLock::Enter() { Mutex(mStorage)->lock(); }
void SyncLock::Leave() { Mutex(mStorage)->unlock(); }
