// SIGINT and SIGTERM as a request to stop, not a sudden death: while a
// TerminationSignals lives, either signal is written by its handler into a
// self-pipe, and a watcher thread of its own calls `onSignal` with the
// signal's number, where the owner cancels its waits (as Cancel does) and
// lets the run end in order. Only the first signal is handled so; a second
// one ends the program at once, as it would without this.
//
// Thread rule: one instance at a time, made and destroyed by one thread;
// `onSignal` runs on the watcher thread.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace ferrix::platform {

class TerminationSignals {
 public:
  explicit TerminationSignals(std::function<void(int signal)> onSignal);
  // Restores the signals' earlier handling.
  ~TerminationSignals();
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  // The number of the signal received, or 0.
  int received() const { return received_.load(); }

  // The exit status of a program that a signal stopped: 128 plus its number.
  static int exitStatusFor(int signal) { return 128 + signal; }

 private:
  void watch();

  std::function<void(int)> onSignal_;
  std::atomic<int> received_{0};
  std::thread watcher_;
};

}  // namespace ferrix::platform
