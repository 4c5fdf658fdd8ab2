// ControlExchange: which thread holds the control connection. An exchange
// (a command and its reply, the greeting, a whole transfer) belongs to one
// thread from its start to its end, so no other thread's command or reply
// can come between. Entering is one step under one lock: two threads can
// never both find the connection free and both use it.
//
// Ownership: one per session, inside SessionState.
//
// Thread rule: enter and leave from any thread. The holder may enter again
// (nested scopes on one thread); another thread waits until the holder has
// left, or gives up when the session's cancel flag is set. depth() may be
// read by anyone, without entering.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <thread>

#include "platform/mutex.h"
#include "platform/thread_annotations.h"

namespace ferrix::session {

class CAPABILITY("control exchange") ControlExchange {
 public:
  // Enters, waiting while another thread holds the exchange. False, without
  // entering, when `cancelled` is (or becomes) non-zero while it waits; a
  // free exchange is entered whatever the flag says.
  bool enter(const std::atomic<int>& cancelled) TRY_ACQUIRE(true) EXCLUDES(mutex_);
  void leave() RELEASE() EXCLUDES(mutex_);

  // Entries open now, of all threads together; 0 when nobody holds it. The
  // "is a command running" test of the timers and transfers.
  int depth() const { return depth_.load(); }
  // True when a thread other than the caller holds it.
  bool heldByAnotherThread() const EXCLUDES(mutex_);

 private:
  // How often a waiting thread looks at the cancel flag, which is set
  // without telling this gate.
  static constexpr std::chrono::milliseconds kCancelCheck{10};

  mutable platform::Mutex mutex_;
  std::condition_variable_any left_;
  // State below is protected by mutex_.
  std::thread::id holder_ GUARDED_BY(mutex_);
  int holderDepth_ GUARDED_BY(mutex_) = 0;
  // Mirrors holderDepth_ for readers that take no lock.
  std::atomic<int> depth_ = 0;
};

}  // namespace ferrix::session
