// Waits that a user can interrupt.
//
// Every socket wait of the engine (connect, send, receive, accept, and the
// pauses between connection attempts) goes through waitForSocket: a poll on
// the socket plus a per-thread cancel descriptor, bounded by a time limit
// measured on the injected clock. While it waits, the calling thread's
// blocking hook (installBlockingHook; may be empty) runs every few tens of
// milliseconds. cancelAll() wakes every wait in progress on any thread; the
// woken wait fails with socket error 10004.
//
// Thread rule: one BlockingCalls object is shared by all threads that work
// for one session; cancelAll and inProgress may be called from any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/clock.h"
#include "platform/mutex.h"

namespace ferrix::platform {

// Runs on the waiting thread while a call blocks.
using BlockingHook = std::function<void()>;

// Installs `hook` for the calling thread (replacing any earlier one).
void installBlockingHook(BlockingHook hook);

enum class WaitResult { kReady, kTimedOut, kCancelled, kFailed };

inline constexpr std::uint64_t kWaitForever = UINT64_MAX;

class BlockingCalls {
 public:
  explicit BlockingCalls(Clock& clock) : clock_(clock) {}
  BlockingCalls(const BlockingCalls&) = delete;
  BlockingCalls& operator=(const BlockingCalls&) = delete;

  // Waits until `socket` is ready for `events` (POLLIN, POLLOUT), at most
  // `milliseconds`. A negative socket just waits out the time (a cancellable
  // pause). On kTimedOut and kCancelled the thread's last socket error is
  // 10004; on kFailed it is the poll error.
  WaitResult waitForSocket(int socket, short events, std::uint64_t milliseconds);

  // Wakes every wait in progress; returns whether there was one.
  bool cancelAll();

  bool inProgress() const;

  Clock& clock() { return clock_; }

 private:
  struct Waiter;
  void enroll(Waiter& waiter);
  void withdraw(Waiter& waiter);

  Clock& clock_;
  mutable Mutex mutex_;
  std::vector<Waiter*> waiters_ GUARDED_BY(mutex_);
};

}  // namespace ferrix::platform
