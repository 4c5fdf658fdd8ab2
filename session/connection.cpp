#include "session/connection.h"

#include <algorithm>

#include "session/control_channel.h"
#include "session/tls_negotiation.h"
#include "session/message_log.h"

namespace ferrix::session {
namespace {

using platform::kInvalidSocket;

constexpr int kWatchdogSecondsPerTick = 5;

}  // namespace

int connectWithRetries(Session& session, const LogonAttempt& logon) {
  SessionState& state = session.state;
  state.retriesLeft = state.sessionProfile.retries;
  int socket = kInvalidSocket;
  for (;;) {
    socket = logon(session);
    if (socket != kInvalidSocket) break;
    if (state.retriesLeft.fetch_sub(1) < 1) break;
    state.controlSocket = kInvalidSocket;
    if (state.cancelRequested) break;
    session.blockingCalls.waitForSocket(kInvalidSocket, 0, kRetryPauseMs);
    if (state.cancelRequested) break;
  }
  state.controlSocket = socket;
  return socket;
}

int disconnectSession(Session& session) {
  SessionState& state = session.state;
  if (state.closing) return state.connected;
  state.closing = 1;
  if (state.dataSocket != kInvalidSocket) {
    state.dataSocket = closeControlSocket(session, state.dataSocket);
  }
  if (state.listenSocket != kInvalidSocket) {
    state.listenSocket = closeControlSocket(session, state.listenSocket);
  }
  if (state.controlSocket != kInvalidSocket) {
    sendCommand(session, state.controlSocket, "QUIT");
    state.controlSocket = closeControlSocket(session, state.controlSocket);
    state.connected = 0;
    resetTls(session);
  }
  state.closing = 0;
  state.CanDelete = 0;
  state.CanRename = 0;
  state.CanRmd = 0;
  state.CanMkd = 0;
  state.UseCdup = 1;
  state.features = ServerFeatures{};
  state.extendedPassiveRefused = 0;
  state.extendedActiveRefused = 0;
  state.mlsdRefused = 0;
  return state.connected;
}

void requestCancel(Session& session) {
  SessionState& state = session.state;
  state.retriesLeft = 0;
  state.cancelRequested = 1;
  state.abortRequested = 1;
  session.blockingCalls.cancelAll();
}

void cancelSession(Session& session) {
  SessionState& state = session.state;
  requestCancel(session);
  if (state.dataSocket != kInvalidSocket) {
    state.dataSocket = closeControlSocket(session, state.dataSocket);
  }
  if (state.listenSocket != kInvalidSocket) {
    state.listenSocket = closeControlSocket(session, state.listenSocket);
  }
  flushControlInput(session, state.controlSocket);
}

bool keepAliveTimerProc(Session& session) {
  SessionState& state = session.state;
  if (state.controlSocket == kInvalidSocket) return false;
  if (state.busy()) return true;
  sendCommand(session, state.controlSocket, "NOOP");
  return true;
}

std::uint64_t startWatchdog(Session& session) {
  // A TIMEOUT below 5 s still gets one tick: a count of 0 would never fire.
  const int ticks =
      std::max(1, session.state.sessionProfile.timeoutSeconds / kWatchdogSecondsPerTick);
  session.state.watchdogTicks = ticks;
  return static_cast<std::uint64_t>(ticks) * kWatchdogIntervalMs;
}

void stopWatchdog(Session& session) { session.state.watchdogTicks = 0; }

bool expireWatchdog(Session& session) {
  if (session.state.watchdogTicks.exchange(0) <= 0) return false;
  session.log.logMessage("! Timer cancelled blocking call");
  session.state.cancelRequested = 1;
  return true;
}

bool watchdogTimerProc(Session& session, int timerId) {
  SessionState& state = session.state;
  if (timerId != kWatchdogTimerId) return true;
  // The waiting thread may disarm or fire the watchdog between two ticks.
  int ticks = state.watchdogTicks.load();
  do {
    if (ticks <= 0) return false;
  } while (!state.watchdogTicks.compare_exchange_weak(ticks, ticks - 1));
  if (ticks - 1 != 0) return true;
  if (session.blockingCalls.inProgress()) {
    session.log.logMessage("! Timer cancelled blocking call");
    state.cancelRequested = 1;
    session.blockingCalls.cancelAll();
  }
  return false;
}

}  // namespace ferrix::session
