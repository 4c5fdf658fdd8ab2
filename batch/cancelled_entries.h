// The transfer list's entries the person cancelled one by one while a batch
// runs (by TransferEntry::key()): a queued file is skipped when its turn
// comes, and a running one is broken off without ending the batch.
//
// Thread rule: add() from any thread; take() and clear() from the batch.
#pragma once

#include <set>
#include <string>

#include "platform/mutex.h"

namespace ferrix::batch {

class CancelledEntries {
 public:
  void add(std::string key);
  // True, forgetting it, when `key` was cancelled.
  bool take(const std::string& key);
  void clear();

 private:
  platform::Mutex mutex_;
  std::set<std::string> keys_ GUARDED_BY(mutex_);
};

}  // namespace ferrix::batch
