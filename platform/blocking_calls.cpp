#include "platform/blocking_calls.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/socket_errors.h"

namespace ferrix::platform {
namespace {

// How often the blocking hook runs while a wait goes on.
constexpr int kHookIntervalMs = 30;

thread_local BlockingHook threadHook;

// One eventfd per thread, made on the first wait and closed with the thread.
class ThreadCancelDescriptor {
 public:
  ThreadCancelDescriptor() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
  ~ThreadCancelDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  int fd() const { return fd_; }
  void drain() const {
    std::uint64_t count;
    while (read(fd_, &count, sizeof count) > 0) {
    }
  }

 private:
  int fd_;
};

ThreadCancelDescriptor& threadCancelDescriptor() {
  thread_local ThreadCancelDescriptor descriptor;
  return descriptor;
}

}  // namespace

struct BlockingCalls::Waiter {
  int cancelFd;
  bool cancelled = false;
};

void installBlockingHook(BlockingHook hook) { threadHook = std::move(hook); }

void BlockingCalls::enroll(Waiter& waiter) {
  const MutexLock lock(mutex_);
  threadCancelDescriptor().drain();
  waiters_.push_back(&waiter);
}

void BlockingCalls::withdraw(Waiter& waiter) {
  const MutexLock lock(mutex_);
  waiters_.erase(std::remove(waiters_.begin(), waiters_.end(), &waiter), waiters_.end());
}

bool BlockingCalls::cancelAll() {
  const MutexLock lock(mutex_);
  const std::uint64_t one = 1;
  for (Waiter* waiter : waiters_) {
    waiter->cancelled = true;
    [[maybe_unused]] ssize_t written = write(waiter->cancelFd, &one, sizeof one);
  }
  return !waiters_.empty();
}

bool BlockingCalls::inProgress() const {
  const MutexLock lock(mutex_);
  return !waiters_.empty();
}

WaitResult BlockingCalls::waitForSocket(int socket, short events, std::uint64_t milliseconds) {
  Waiter waiter{threadCancelDescriptor().fd()};
  enroll(waiter);
  const std::uint64_t start = clock_.ticks();
  WaitResult result = WaitResult::kTimedOut;
  for (;;) {
    const std::uint64_t elapsed = clock_.ticks() - start;
    if (milliseconds != kWaitForever && elapsed >= milliseconds) break;
    int slice = kHookIntervalMs;
    if (milliseconds != kWaitForever) {
      slice = static_cast<int>(std::min<std::uint64_t>(slice, milliseconds - elapsed));
    }
    pollfd fds[2] = {{waiter.cancelFd, POLLIN, 0}, {socket, events, 0}};
    const int ready = poll(fds, socket >= 0 ? 2 : 1, slice);
    if (ready < 0 && errno != EINTR) {
      result = WaitResult::kFailed;
      setLastSocketErrorFromErrno();
      break;
    }
    bool cancelled;
    {
      const MutexLock lock(mutex_);
      cancelled = waiter.cancelled;
    }
    if (cancelled) {
      result = WaitResult::kCancelled;
      break;
    }
    if (ready > 0 && socket >= 0 && fds[1].revents != 0) {
      result = (fds[1].revents & POLLNVAL) ? WaitResult::kFailed : WaitResult::kReady;
      if (result == WaitResult::kFailed) setLastSocketError(socket_error::kNotSocket);
      break;
    }
    if (threadHook) threadHook();
  }
  withdraw(waiter);
  if (result == WaitResult::kTimedOut || result == WaitResult::kCancelled) {
    setLastSocketError(socket_error::kCancelled);
  }
  return result;
}

}  // namespace ferrix::platform
