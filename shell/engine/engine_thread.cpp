#include "shell/engine/engine_thread.h"

#include <optional>
#include <utility>

namespace ferrix::shell {

EngineThread::EngineThread() : thread_([this] { run(); }) {}

EngineThread::~EngineThread() { finish(); }

bool EngineThread::post(std::function<void()> job) {
  {
    const platform::MutexLock lock(mutex_);
    if (stopping_) return false;
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
  return true;
}

bool EngineThread::busy() const {
  const platform::MutexLock lock(mutex_);
  return running_ || !jobs_.empty();
}

bool EngineThread::waitUntilIdle(std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  const platform::MutexLock lock(mutex_);
  while (running_ || !jobs_.empty()) {
    if (jobEnded_.wait_until(mutex_, deadline) == std::cv_status::timeout) {
      return !running_ && jobs_.empty();
    }
  }
  return true;
}

void EngineThread::finish() {
  {
    const platform::MutexLock lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  if (thread_.joinable()) thread_.join();
}

void EngineThread::run() {
  while (std::optional<std::function<void()>> job = nextJob()) {
    (*job)();
    const platform::MutexLock lock(mutex_);
    running_ = false;
    jobEnded_.notify_all();
  }
}

std::optional<std::function<void()>> EngineThread::nextJob() {
  const platform::MutexLock lock(mutex_);
  while (!stopping_ && jobs_.empty()) wake_.wait(mutex_);
  if (jobs_.empty()) return std::nullopt;
  std::function<void()> job = std::move(jobs_.front());
  jobs_.pop_front();
  running_ = true;
  return job;
}

}  // namespace ferrix::shell
