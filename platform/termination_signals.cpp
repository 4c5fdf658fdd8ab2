#include "platform/termination_signals.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace ferrix::platform {
namespace {

// The self-pipe: the handler may only do what is async-signal-safe.
int pipeEnds[2] = {-1, -1};
struct sigaction previousInterrupt {};
struct sigaction previousTerminate {};

// Stops the watcher when written instead of a signal number.
constexpr int kStopWatching = 0;

void onTerminationSignal(int signal) {
  const int savedErrno = errno;
  // The next such signal ends the program as it would have without us.
  std::signal(signal, SIG_DFL);
  [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &signal, sizeof signal);
  errno = savedErrno;
}

void writeNumber(int number) {
  [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &number, sizeof number);
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void(int signal)> onSignal)
    : onSignal_(std::move(onSignal)) {
  if (::pipe2(pipeEnds, O_CLOEXEC) != 0) return;
  watcher_ = std::thread([this] { watch(); });
  struct sigaction action {};
  action.sa_handler = onTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, &previousInterrupt);
  sigaction(SIGTERM, &action, &previousTerminate);
}

TerminationSignals::~TerminationSignals() {
  if (pipeEnds[0] < 0) return;
  sigaction(SIGINT, &previousInterrupt, nullptr);
  sigaction(SIGTERM, &previousTerminate, nullptr);
  writeNumber(kStopWatching);
  watcher_.join();
  ::close(pipeEnds[0]);
  ::close(pipeEnds[1]);
  pipeEnds[0] = pipeEnds[1] = -1;
}

void TerminationSignals::watch() {
  for (;;) {
    int signal = kStopWatching;
    const ssize_t length = ::read(pipeEnds[0], &signal, sizeof signal);
    if (length < 0 && errno == EINTR) continue;
    if (length != sizeof signal || signal == kStopWatching) return;
    int none = 0;
    if (received_.compare_exchange_strong(none, signal) && onSignal_) onSignal_(signal);
  }
}

}  // namespace ferrix::platform
