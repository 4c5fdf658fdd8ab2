// The transfer worker: the one thread that runs a selection transfer while
// the window's engine thread stays free. It holds TransferThreadBusy from
// the start of the job to its end, so guarded commands and a second transfer
// are refused meanwhile.
//
// A worker is stopped cooperatively, never killed: stop() asks the session
// to cancel (which wakes every blocked wait) and raises the stop flag the
// batch checks between files, keeps waking waits until the job has ended,
// then joins the thread. The job thus ends at a point where no lock is held
// and no resume or log record is half written; files already transferred
// stay as they are. Sending QUIT afterwards is the caller's.
//
// Ownership: the program owns one worker (and the session and flag it is
// given) from start-up to exit; the destructor stops a running job.
// Thread rule: start, stop and join from the engine thread; running() and the
// stop flag from any thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "listing/remote_listing.h"
#include "session/session_state.h"

namespace ferrix::batch {

class TransferWorker {
 public:
  TransferWorker(session::Session& session, transfer::TransferThreadBusy& busy)
      : session_(session), busy_(busy) {}
  ~TransferWorker();
  TransferWorker(const TransferWorker&) = delete;
  TransferWorker& operator=(const TransferWorker&) = delete;

  // Runs `job` on a new thread with TransferThreadBusy set, then
  // `whenEnded` on the same thread once running() is false and the flag is
  // released, so that whoever it tells sees the worker idle. Returns false,
  // running nothing, while the flag is already set.
  bool start(std::function<void()> job, std::function<void()> whenEnded = {});

  // True from start() until the job has returned.
  bool running() const;

  // Stops a running job: logs "! Aborting thread.", cancels and joins.
  // Returns whether a job was running.
  bool stop();

  // Waits for the job to end by itself.
  void join();

  // Raised by stop() for the job to notice between files.
  const std::atomic<bool>& stopRequested() const { return stopRequested_; }

 private:
  void run(const std::function<void()>& job, const std::function<void()>& whenEnded);

  session::Session& session_;
  transfer::TransferThreadBusy& busy_;
  std::thread thread_;
  std::atomic<bool> stopRequested_ = false;
  mutable std::mutex mutex_;
  std::condition_variable ended_;
  bool running_ = false;
};

}  // namespace ferrix::batch
