#include "session/control_exchange.h"

namespace ferrix::session {

bool ControlExchange::enter(const std::atomic<int>& cancelled) {
  const std::thread::id self = std::this_thread::get_id();
  const platform::MutexLock lock(mutex_);
  while (holderDepth_ > 0 && holder_ != self) {
    if (cancelled.load()) return false;
    left_.wait_for(mutex_, kCancelCheck);
  }
  holder_ = self;
  ++holderDepth_;
  ++depth_;
  return true;
}

void ControlExchange::leave() {
  {
    const platform::MutexLock lock(mutex_);
    --depth_;
    if (--holderDepth_ > 0) return;
    holder_ = std::thread::id();
  }
  left_.notify_all();
}

bool ControlExchange::heldByAnotherThread() const {
  const platform::MutexLock lock(mutex_);
  return holderDepth_ > 0 && holder_ != std::this_thread::get_id();
}

}  // namespace ferrix::session
