#include "batch/cancelled_entries.h"

namespace ferrix::batch {

void CancelledEntries::add(std::string key) {
  const platform::MutexLock lock(mutex_);
  keys_.insert(std::move(key));
}

bool CancelledEntries::take(const std::string& key) {
  const platform::MutexLock lock(mutex_);
  return keys_.erase(key) > 0;
}

void CancelledEntries::clear() {
  const platform::MutexLock lock(mutex_);
  keys_.clear();
}

}  // namespace ferrix::batch
