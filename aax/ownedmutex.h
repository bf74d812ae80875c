// The relay's lock: a system mutex plus the id of the thread that holds it. The owning thread passes
// again without waiting and without counting; only the scope that took the mutex releases it.
#pragma once

#include <atomic>
#include <cstdint>

class AAX_COwnedMutex {
public:
  // Null when the system mutex cannot be made.
  static AAX_COwnedMutex* Create();
  AAX_COwnedMutex(const AAX_COwnedMutex&) = delete;
  AAX_COwnedMutex& operator=(const AAX_COwnedMutex&) = delete;
  ~AAX_COwnedMutex();  // closes the system mutex

  // Id of the calling thread, never 0.
  static int32_t CurrentThreadId();

  // Waits without time-out when another thread (or nobody) holds the mutex and records the caller as
  // owner; answers whether it took the mutex (false when the caller already owned it).
  bool Take();
  // Releases when the caller is still the recorded owner.
  void Give();
  int32_t Owner() const { return mOwner.load(std::memory_order_relaxed); }

private:
  explicit AAX_COwnedMutex(void* handle) : mHandle(handle) {}

  // Written only by the owning thread, read by any: relaxed ordering suffices, the system mutex
  // orders everything else.
  std::atomic<int32_t> mOwner{0};
  void* mHandle;  // owned system mutex

  // The system mutex, per platform.
  static void* SystemCreate();
  static void SystemWait(void* handle);
  static void SystemRelease(void* handle);
  static void SystemClose(void* handle);
  static int32_t SystemThreadId();
};

// Holds an owned mutex for one scope (a null mutex: no locking).
class OwnedMutexScope {
public:
  explicit OwnedMutexScope(AAX_COwnedMutex* mutex) : mMutex(mutex), mTook(mutex ? mutex->Take() : false) {}
  OwnedMutexScope(const OwnedMutexScope&) = delete;
  OwnedMutexScope& operator=(const OwnedMutexScope&) = delete;
  ~OwnedMutexScope() {
    if (mTook) mMutex->Give();
  }

private:
  AAX_COwnedMutex* mMutex;
  bool mTook;
};
