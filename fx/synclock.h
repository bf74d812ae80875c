// Recursive lock of the framework and its scoped holder. The lock is a Windows critical section in the
// Windows builds and a recursive mutex elsewhere; this header hides which.
#pragma once

class SyncLock {
 public:
  SyncLock();
  ~SyncLock();
  SyncLock(const SyncLock&) = delete;
  SyncLock& operator=(const SyncLock&) = delete;

  void Enter();
  void Leave();

 private:
  // Room for the platform lock object (a CRITICAL_SECTION or a std::recursive_mutex).
  alignas(16) unsigned char mStorage[64];
};

// Enters the lock for its lifetime; a null lock is allowed and does nothing.
class SyncLockScope {
 public:
  explicit SyncLockScope(SyncLock* lock) : mLock(lock) {
    if (mLock) mLock->Enter();
  }
  ~SyncLockScope() {
    if (mLock) mLock->Leave();
  }
  SyncLockScope(const SyncLockScope&) = delete;
  SyncLockScope& operator=(const SyncLockScope&) = delete;

 private:
  SyncLock* mLock;
};
