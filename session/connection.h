// Opening, retrying, cancelling and closing the session's connection, and
// the two timers that watch it: the keep-alive NOOP and the watchdog that
// cancels a blocked accept. The timers are operations driven by a timer the
// caller owns (the window's timers, or a test calling them directly).
//
// Thread rule: requestCancel may be called from any thread; everything else
// runs on the engine thread that owns the control connection.
#pragma once

#include <cstdint>
#include <functional>

#include "session/session_state.h"

namespace ferrix::session {

inline constexpr int kWatchdogTimerId = 20;
inline constexpr int kKeepAliveTimerId = 50;
inline constexpr unsigned kWatchdogIntervalMs = 5000;
inline constexpr unsigned kKeepAliveIntervalMs = 30000;
inline constexpr unsigned kRetryPauseMs = 500;

// Runs one logon attempt; returns the control socket or -1.
using LogonAttempt = std::function<int(Session&)>;

// Runs the logon up to RETRIES + 1 times, 500 ms apart, until one returns a
// socket or cancel is requested. Stores the result in controlSocket and
// returns it.
int connectWithRetries(Session& session, const LogonAttempt& logon);

// Sends QUIT and closes every socket of the session; resets the server
// capability flags. Returns `connected`.
int disconnectSession(Session& session);

// The thread-safe half of Cancel: sets the flags and wakes every blocked wait.
void requestCancel(Session& session);

// The whole Cancel command, on the engine thread: requestCancel, then closes
// the data and listening sockets and flushes the control connection, which
// stays open.
void cancelSession(Session& session);

// Keep-alive tick (every 30 s while armed). Returns false when the timer
// should be killed (no control connection).
bool keepAliveTimerProc(Session& session);

// Arms the watchdog for the session profile's TIMEOUT. Returns the time until
// it fires: TIMEOUT rounded down to whole 5-second ticks, at least one tick.
std::uint64_t startWatchdog(Session& session);

// Disarms the watchdog once the guarded call has returned; its timer dies at
// the next tick.
void stopWatchdog(Session& session);

// For a guarded wait that reached the watchdog's deadline by its own time
// limit: fires the watchdog (logs, requests cancel) unless the timer already
// did. Returns whether this call fired it.
bool expireWatchdog(Session& session);

// Watchdog tick (every 5 s, timer id 20). Returns false when the timer should
// be killed: the watchdog is not armed, or the count ran out and a blocked
// call, if any, was cancelled.
bool watchdogTimerProc(Session& session, int timerId);

}  // namespace ferrix::session
