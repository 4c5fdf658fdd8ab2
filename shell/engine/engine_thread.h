// EngineThread: the one long-lived worker on which the window runs its
// remote work (connect, listings, folder commands, transfers). Jobs run one
// at a time in the order they were posted; each may block in the engine as
// long as it likes, because the GUI thread never waits for it.
//
// The window owns the thread. Cancel, Close and Exit do not stop a job from
// here: they request cancel on the session (from the GUI thread), which
// wakes the job's blocked wait so that it returns promptly.
//
// Thread rule: post, busy, waitUntilIdle and finish may be called from any
// thread but the worker itself (finish from a job would wait for that job).
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace ferrix::shell {

class EngineThread {
 public:
  EngineThread();
  ~EngineThread();
  EngineThread(const EngineThread&) = delete;
  EngineThread& operator=(const EngineThread&) = delete;

  // Queues `job`; false, dropping it, once the thread is stopping.
  bool post(std::function<void()> job);
  // A job runs or waits to run.
  bool busy() const;
  // Waits at most `limit` until no job runs or waits; true when none does.
  bool waitUntilIdle(std::chrono::milliseconds limit);
  // Runs the jobs already queued, refuses new ones, then joins.
  void finish();

 private:
  void run();

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable jobEnded_;
  std::deque<std::function<void()>> jobs_;
  bool running_ = false;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace ferrix::shell
