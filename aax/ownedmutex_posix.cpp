// The owned mutex's system part in the portable build: a standard mutex, which like the Windows mutex
// is released only by the thread that holds it, and a per-thread id counted from 1.
#include <mutex>
#include <new>

#include "aax/ownedmutex.h"

void* AAX_COwnedMutex::SystemCreate() { return new (std::nothrow) std::mutex; }
void AAX_COwnedMutex::SystemWait(void* handle) { static_cast<std::mutex*>(handle)->lock(); }
void AAX_COwnedMutex::SystemRelease(void* handle) { static_cast<std::mutex*>(handle)->unlock(); }
void AAX_COwnedMutex::SystemClose(void* handle) { delete static_cast<std::mutex*>(handle); }

int32_t AAX_COwnedMutex::SystemThreadId() {
  static std::atomic<int32_t> next{1};
  thread_local const int32_t id = next.fetch_add(1, std::memory_order_relaxed);
  return id;
}
