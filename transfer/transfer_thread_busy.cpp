#include "transfer/transfer_thread_busy.h"

namespace ferrix::transfer {

bool TransferThreadBusy::tryAcquire() {
  const std::lock_guard lock(mutex_);
  if (busy_) return false;
  busy_ = true;
  return true;
}

void TransferThreadBusy::release() {
  const std::lock_guard lock(mutex_);
  busy_ = false;
}

bool TransferThreadBusy::isSet() const {
  const std::lock_guard lock(mutex_);
  return busy_;
}

}  // namespace ferrix::transfer
