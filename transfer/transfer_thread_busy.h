// The flag that keeps two users of the control connection apart: a selection
// transfer on the worker thread, a guarded refresh or a drop on the engine
// thread. The message loop keeps running during blocking calls, so without it
// a second transfer could start from there.
//
// Thread rule: any thread may acquire, release and read the flag.
#pragma once

#include <mutex>

namespace ferrix::transfer {

class TransferThreadBusy {
 public:
  // Sets the flag; false when it was already set.
  bool tryAcquire();
  void release();
  bool isSet() const;

 private:
  mutable std::mutex mutex_;
  bool busy_ = false;
};

}  // namespace ferrix::transfer
