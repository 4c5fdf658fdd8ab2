#include "shell/engine/engine_thread.h"

#include <utility>

namespace ferrix::shell {

EngineThread::EngineThread() : thread_([this] { run(); }) {}

EngineThread::~EngineThread() { finish(); }

bool EngineThread::post(std::function<void()> job) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return false;
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
  return true;
}

bool EngineThread::busy() const {
  std::lock_guard lock(mutex_);
  return running_ || !jobs_.empty();
}

bool EngineThread::waitUntilIdle(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  return jobEnded_.wait_for(lock, limit, [this] { return !running_ && jobs_.empty(); });
}

void EngineThread::finish() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  if (thread_.joinable()) thread_.join();
}

void EngineThread::run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
    if (jobs_.empty()) return;
    std::function<void()> job = std::move(jobs_.front());
    jobs_.pop_front();
    running_ = true;
    lock.unlock();
    job();
    lock.lock();
    running_ = false;
    jobEnded_.notify_all();
  }
}

}  // namespace ferrix::shell
