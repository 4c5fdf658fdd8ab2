#include "batch/transfer_worker.h"

#include <chrono>

#include "session/connection.h"
#include "session/message_log.h"

namespace ferrix::batch {
namespace {

// A wait that begins after a cancel is not woken by it; the stopper cancels
// again at this pace until the job has ended.
constexpr std::chrono::milliseconds kCancelRepeat{50};

}  // namespace

TransferWorker::~TransferWorker() { stop(); }

bool TransferWorker::start(std::function<void()> job, std::function<void()> whenEnded) {
  if (!busy_.tryAcquire()) return false;
  // The previous job has released the flag, so its thread is ending.
  if (thread_.joinable()) thread_.join();
  stopRequested_ = false;
  {
    const std::lock_guard lock(mutex_);
    running_ = true;
  }
  thread_ = std::thread(
      [this, job = std::move(job), whenEnded = std::move(whenEnded)] { run(job, whenEnded); });
  return true;
}

void TransferWorker::run(const std::function<void()>& job, const std::function<void()>& whenEnded) {
  job();
  busy_.release();
  {
    const std::lock_guard lock(mutex_);
    running_ = false;
    ended_.notify_all();
  }
  if (whenEnded) whenEnded();
}

bool TransferWorker::running() const {
  const std::lock_guard lock(mutex_);
  return running_;
}

bool TransferWorker::stop() {
  const bool wasRunning = running();
  if (wasRunning) {
    session_.log.logMessage("! Aborting thread.");
    stopRequested_ = true;
    std::unique_lock lock(mutex_);
    while (running_) {
      lock.unlock();
      session::requestCancel(session_);
      lock.lock();
      ended_.wait_for(lock, kCancelRepeat, [this] { return !running_; });
    }
  }
  if (thread_.joinable()) thread_.join();
  return wasRunning;
}

void TransferWorker::join() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace ferrix::batch
