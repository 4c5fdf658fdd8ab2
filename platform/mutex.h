// A mutex the thread-safety analysis knows as a capability, and its scoped
// lock. State a Mutex protects is declared GUARDED_BY it, so that touching
// it without the lock fails to compile under clang's -Wthread-safety.
// Condition variables wait on it through std::condition_variable_any.
//
// Thread rule: as std::mutex.
#pragma once

#include <mutex>

#include "platform/thread_annotations.h"

namespace ferrix::platform {

class CAPABILITY("mutex") Mutex {
 public:
  void lock() ACQUIRE() { mutex_.lock(); }
  void unlock() RELEASE() { mutex_.unlock(); }
  bool try_lock() TRY_ACQUIRE(true) { return mutex_.try_lock(); }

 private:
  std::mutex mutex_;
};

class SCOPED_CAPABILITY MutexLock {
 public:
  explicit MutexLock(Mutex& mutex) ACQUIRE(mutex) : mutex_(mutex) { mutex_.lock(); }
  ~MutexLock() RELEASE() { mutex_.unlock(); }
  MutexLock(const MutexLock&) = delete;
  MutexLock& operator=(const MutexLock&) = delete;

 private:
  Mutex& mutex_;
};

}  // namespace ferrix::platform
