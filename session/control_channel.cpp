#include "session/control_channel.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <iterator>
#include <optional>
#include <vector>

#include "platform/ascii_text.h"
#include "platform/socket_errors.h"
#include "resources/strings.h"
#include "session/message_log.h"
#include "session/name_charset.h"

namespace ferrix::session {
namespace {

using platform::kInvalidSocket;
using platform::WaitResult;

constexpr std::uint64_t kSendPieceTimeoutMs = 32000;
// How long a closing socket is read for the peer's end: all reads
// together, so a peer that never stops sending cannot hold the close.
constexpr std::uint64_t kDrainTimeoutMs = 500;
constexpr std::size_t kDrainChunk = 4096;
constexpr std::size_t kReplyReceiveLimit = 1024;
constexpr std::size_t kReplyLineStop = 942;
constexpr std::size_t kFlushChunk = 82;
constexpr std::uint64_t kLateReplyWaitMs = 3000;

bool isLineEndOrBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view trimLineEnd(std::string_view text) {
  while (!text.empty() && isLineEndOrBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool isPasswordCommand(std::string_view text) { return platform::startsWithIgnoringCase(text, "PASS "); }

// A command must be one line: CR, LF or NUL inside it would let a file name
// smuggle a second command to the server. Only the trailing line end that
// sendLine strips may hold CR and LF (a password is sent as it stands).
bool wouldInjectLine(std::string_view text) {
  const std::string_view body = isPasswordCommand(text) ? text : trimLineEnd(text);
  return body.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// The code of a reply line: a number in its first three characters.
int replyCodeOf(std::string_view line) {
  std::string_view head = line.substr(0, 3);
  while (!head.empty() && (head.front() == ' ' || head.front() == '\t')) head.remove_prefix(1);
  int sign = 1;
  if (!head.empty() && (head.front() == '+' || head.front() == '-')) {
    if (head.front() == '-') sign = -1;
    head.remove_prefix(1);
  }
  int value = 0;
  for (char c : head) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
  }
  return sign * value;
}

void echoCommand(Session& session, std::string_view text, bool alwaysEcho) {
  if (text.starts_with("PASS ")) {
    session.log.logMessage("PASS (hidden)");
  } else if (text.starts_with("ACCT ")) {
    session.log.logMessage("ACCT (hidden)");
  } else if (alwaysEcho || session.log.verbose() || !text.starts_with("NOOP")) {
    session.log.logMessage(shownName(session.state, text));
  }
}

// Takes the next line out of the pending input, if a whole one is there;
// otherwise moves what is there into `line` and empties the pending input.
bool takePendingLine(SessionState& state, std::string& line) REQUIRES(state.exchange) {
  if (state.pendingPosition >= state.pendingInput.size()) {
    state.pendingInput.clear();
    state.pendingPosition = 0;
    return false;
  }
  const std::size_t end = state.pendingInput.find('\n', state.pendingPosition);
  if (end == std::string::npos) {
    line.append(state.pendingInput, state.pendingPosition);
    state.pendingInput.clear();
    state.pendingPosition = 0;
    return false;
  }
  line.append(state.pendingInput, state.pendingPosition, end + 1 - state.pendingPosition);
  state.pendingPosition = end + 1;
  return true;
}

// Says so when this thread's exchange is about to wait for another thread's.
void noteWhenWaiting(Session& session) {
  if (session.state.exchange.heldByAnotherThread()) {
    session.log.logMessage("[X] Command in progress, yielding.");
  }
}

// Reads and discards until the peer closes or kDrainTimeoutMs has passed.
void drainUntilClosed(Session& session, int socket) {
  const std::uint64_t deadline = session.clock.ticks() + kDrainTimeoutMs;
  char discard[kDrainChunk];
  for (std::uint64_t now = session.clock.ticks(); now < deadline; now = session.clock.ticks()) {
    if (recvWithTimeout(session, socket, discard, sizeof discard, 0, deadline - now) < 1) return;
  }
}

// A reply wait cut short leaves the server's answer to come: it is read
// now, within kLateReplyWaitMs, so the next command does not take it for
// its own. When none comes the dialogue is out of step for good, and the
// connection is ended so that it reads as lost. QUIT needs no settling.
bool settleLateReply(Session& session, int socket, std::string_view text)
    REQUIRES(session.state.exchange) {
  if (!session.state.lateReplyOwed || platform::startsWithIgnoringCase(text, "QUIT")) return true;
  session.state.lateReplyOwed = 0;
  session.log.logMessage("+ Reading the late reply to the cancelled command");
  ReplyLimit limit{session.clock.ticks() + kLateReplyWaitMs, kReplyByteLimit};
  if (readWholeReply(session, socket, limit) != 0 && !session.state.lateReplyOwed) {
    session.state.cancelRequested = 0;
    return true;
  }
  session.state.lateReplyOwed = 0;
  session.log.logMessage("! No late reply came; the connection is closed");
  platform::shutdownBoth(socket);
  session.state.replyCode = kReplyLost;
  return false;
}

void logReplyOverLimit(Session& session, const ReplyLimit& limit) {
  if (limit.bytesLeft == 0) {
    session.log.logMessagef("! Reply longer than %zu bytes", kReplyByteLimit);
  } else {
    session.log.logMessagef("! Reply not complete within %d seconds",
                            session.state.replyTimeoutSeconds);
  }
}

constexpr std::string_view kLineBreakInside = "it contains a line break or NUL character";
constexpr std::string_view kTooLong = "it is longer than 291 characters";
constexpr std::string_view kTrailingBlanks = "it ends in blanks the command line would lose";
static_assert(kMaxCommandLength == 291, "kTooLong names the limit");

// Refuses what cannot be sent as it stands; true when refused.
bool refuseUnsendable(Session& session, std::string_view text, std::size_t length) {
  std::string_view reason;
  if (length > kMaxCommandLength) {
    reason = kTooLong;
  } else if (wouldInjectLine(text)) {
    reason = kLineBreakInside;
  }
  if (reason.empty()) return false;
  session.log.logMessagef("! Command not sent: %.*s", static_cast<int>(reason.size()),
                          reason.data());
  return true;
}

// How sendCommand and sendCommandText differ: what they answer a command
// started while another one runs, and whether a NOOP is echoed.
struct CommandKind {
  int refusedClass;
  int refusedCode;
  bool alwaysEcho;
};
constexpr CommandKind kFormattedCommand{4, 400, false};
constexpr CommandKind kTextCommand{5, 0, true};

// The command and its reply are one exchange, so no other thread's command
// is answered in between. It is entered before the command is claimed: a
// thread waiting for another thread's exchange holds nothing that one needs.
int runCommand(Session& session, int socket, std::string_view text, std::size_t length,
               const CommandKind& kind) {
  SessionState& state = session.state;
  noteWhenWaiting(session);
  const BusyScope busy(session.state);
  if (!busy.entered()) return 0;
  state.replyCode = 0;
  if (refuseUnsendable(session, text, length)) return 0;
  if (state.commandInProgress.exchange(1)) {
    state.replyCode = kind.refusedCode;
    return kind.refusedClass;
  }
  echoCommand(session, text, kind.alwaysEcho);
  int result = 0;
  if (socket == kInvalidSocket) {
    session.log.logMessage("! Not connected, ignored");
  } else if (settleLateReply(session, socket, text) && sendLine(session, socket, text) != -1) {
    result = getReply(session, socket);
  }
  state.commandInProgress = 0;
  return result;
}

// Connects `socket` to `address`, logging the attempt and a failure.
bool tryAddress(Session& session, int socket, const std::string& host,
                const platform::SocketAddress& address) {
  const std::string text = address.textWithPort();
  session.log.logMessagef("connecting to %s", text.c_str());
  if (platform::connectSocket(session.blockingCalls, socket, address)) return true;
  const std::string error = socketErrorText(platform::lastSocketError());
  session.log.logMessagef("! %s %s - %s", "Connection failed", host.c_str(), error.c_str());
  return false;
}

int connectedSocket(Session& session, int socket, const platform::SocketAddress& address) {
  // A new connection starts plain, whatever stream a closed socket of the
  // same number left behind.
  session.tls.drop(socket);
  const std::string text = address.text();
  session.log.logMessagef("Connected to %s port %u", text.c_str(), address.port);
  return socket;
}

// Tells the peer the stream ends here (a server reads an upload without it
// as cut short).
void endTls(Session& session, int socket) {
  if (const auto tls = session.tls.find(socket)) {
    tls->closeNotify(session.blockingCalls, kDrainTimeoutMs);
  }
}

}  // namespace

BusyScope::BusyScope(SessionState& state)
    : state_(state), entered_(state.exchange.enter(state.cancelRequested)) {}

BusyScope::~BusyScope() {
  if (entered_) state_.exchange.leave();
}

int openControlConnection(Session& session, const std::string& host, std::uint16_t port) {
  session.log.logMessage("- -");
  return openConnection(session, host, port);
}

int openConnection(Session& session, const std::string& host, std::uint16_t port) {
  const std::string name = platform::withoutBrackets(host);
  std::vector<platform::SocketAddress> addresses;
  if (std::optional<platform::SocketAddress> numeric = platform::parseNumericAddress(name)) {
    addresses.push_back(*numeric);
  } else if (session.resolver.resolve(name, addresses) != 0) {
    session.log.logMessagef("! Can't get \"%s\" host entry", name.c_str());
    return kInvalidSocket;
  }
  for (platform::SocketAddress& address : addresses) {
    address.port = port;
    // A socket whose connect failed cannot be connected again, and each
    // family needs its own: every address gets a fresh socket.
    const int socket = platform::createStreamSocket(address.family);
    if (socket == kInvalidSocket) {
      const std::string error = socketErrorText(platform::lastSocketError());
      session.log.logMessagef("! %s - %s", "Failed \"createsocket\":", error.c_str());
      continue;
    }
    if (tryAddress(session, socket, name, address)) {
      return connectedSocket(session, socket, address);
    }
    platform::closeSocket(socket);
  }
  return kInvalidSocket;
}

// Sockets are non-blocking: a call that can go through at once needs no
// wait, which spares a poll (and the cancel descriptor's reset) per block
// while data flows. Only a call that would block waits, cancellably.
long sendWithTimeout(Session& session, int socket, const void* bytes, std::size_t length,
                     std::uint64_t milliseconds) {
  if (const auto tls = session.tls.find(socket)) {
    return tls->write(session.blockingCalls, bytes, length, milliseconds);
  }
  const long sent = platform::sendOnce(socket, bytes, length, 0);
  if (sent >= 0 || platform::lastSocketError() != platform::socket_error::kWouldBlock) return sent;
  if (session.blockingCalls.waitForSocket(socket, POLLOUT, milliseconds) != WaitResult::kReady) {
    return -1;
  }
  return platform::sendOnce(socket, bytes, length, 0);
}

long recvWithTimeout(Session& session, int socket, void* buffer, std::size_t length, int flags,
                     std::uint64_t milliseconds) {
  if (const auto tls = session.tls.find(socket)) {
    return tls->read(session.blockingCalls, buffer, length, milliseconds);
  }
  const long received = platform::receiveOnce(socket, buffer, length, flags);
  if (received >= 0 || platform::lastSocketError() != platform::socket_error::kWouldBlock) {
    return received;
  }
  if (session.blockingCalls.waitForSocket(socket, POLLIN, milliseconds) != WaitResult::kReady) {
    return -1;
  }
  return platform::receiveOnce(socket, buffer, length, flags);
}

std::size_t sendAll(Session& session, int socket, std::string_view bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const long piece = sendWithTimeout(session, socket, bytes.data() + sent, bytes.size() - sent,
                                       kSendPieceTimeoutMs);
    if (piece < 1) {
      logSocketError(session, resources::loadString(resources::string_id::kSendError),
                     platform::lastSocketError());
      return sent;
    }
    sent += static_cast<std::size_t>(piece);
  }
  return sent;
}

long sendLine(Session& session, int socket, std::string_view text) {
  if (socket == kInvalidSocket) return -1;
  noteWhenWaiting(session);
  const BusyScope busy(session.state);
  if (!busy.entered()) return -1;
  if (!isPasswordCommand(text)) text = trimLineEnd(text);
  std::string line(text);
  line += "\r\n";
  return static_cast<long>(sendAll(session, socket, line));
}

ReplyLimit startReplyLimit(Session& session) {
  const auto timeout = static_cast<std::uint64_t>(session.state.replyTimeoutSeconds) * 1000;
  return ReplyLimit{session.clock.ticks() + timeout, kReplyByteLimit};
}

int readReplyLine(Session& session, int socket) {
  ReplyLimit limit = startReplyLimit(session);
  return readReplyLine(session, socket, limit);
}

int readReplyLine(Session& session, int socket, ReplyLimit& limit) {
  SessionState& state = session.state;
  if (socket == kInvalidSocket) return 0;
  const BusyScope busy(state);
  if (!busy.entered()) return kReplyLost;
  state.cancelRequested = 0;
  state.replyLine.clear();

  std::string line;
  bool complete = !state.pendingInput.empty() && takePendingLine(state, line);
  long lastReceived = 1;
  bool overLimit = false;
  char buffer[kReplyReceiveLimit];
  while (!complete && line.size() < kReplyLineStop && !state.cancelRequested) {
    const std::uint64_t now = session.clock.ticks();
    if (now >= limit.deadline || limit.bytesLeft == 0) {
      overLimit = true;
      break;
    }
    lastReceived = recvWithTimeout(session, socket, buffer, kReplyReceiveLimit - line.size(), 0,
                                   limit.deadline - now);
    if (lastReceived <= 0) break;
    const std::string_view received(buffer, static_cast<std::size_t>(lastReceived));
    limit.bytesLeft -= std::min(limit.bytesLeft, received.size());
    const std::size_t end = received.find_first_of(std::string_view("\n\0", 2));
    if (end != std::string_view::npos && end + 1 < received.size()) {
      line.append(received.substr(0, end + 1));
      state.pendingInput.assign(received.substr(end + 1));
      state.pendingPosition = 0;
      break;
    }
    line.append(received);
    complete = received.back() == '\n';
  }

  // The line is a C string to everyone who reads it: it ends at a NUL.
  line.resize(std::min(line.size(), line.find('\0')));
  if (lastReceived <= 0 || overLimit) {
    if (lastReceived < 0 || overLimit) {
      const int error = overLimit ? platform::socket_error::kCancelled : platform::lastSocketError();
      if (limit.bytesLeft == 0 || session.clock.ticks() >= limit.deadline) {
        logReplyOverLimit(session, limit);
      }
      logSocketError(session, resources::loadString(resources::string_id::kReceiveError), error);
    }
    state.replyLine = trimLineEnd(line);
    state.cancelRequested = 1;
    // Unless the server closed, its answer may still come.
    if (lastReceived < 0 || overLimit) state.lateReplyOwed = 1;
    return kReplyLost;
  }
  if (state.cancelRequested) state.lateReplyOwed = 1;
  const int code = state.cancelRequested ? kReplyLost : replyCodeOf(line);
  state.replyLine = trimLineEnd(line);
  return code;
}

int getReply(Session& session, int socket) {
  if (socket == kInvalidSocket) return 0;
  ReplyLimit limit = startReplyLimit(session);
  return readWholeReply(session, socket, limit);
}

int readWholeReply(Session& session, int socket, ReplyLimit& limit) {
  SessionState& state = session.state;
  const BusyScope busy(state);
  if (!busy.entered()) return 0;
  const int depthAtEntry = state.replyDepth;
  bool readAnother = true;
  while (readAnother) {
    ++state.replyDepth;
    int lineCode = readReplyLine(session, socket, limit);
    bool more = lineCode < 100 || lineCode > 599 ||
                (state.replyLine.size() > 3 && state.replyLine[3] == '-');
    if (session.log.verbose() || !platform::startsWithIgnoringCase(state.replyLine, "200 NOOP")) {
      session.log.logMessage(shownName(state, state.replyLine));
    }
    int code = state.replyCode;
    if (state.cancelRequested) {
      lineCode = kReplyLost;
      more = false;
      code = kReplyLost;
    }
    const bool firstLine = state.replyDepth - depthAtEntry == 1;
    if ((firstLine || code == 0) && lineCode >= 100 && lineCode <= 599) code = lineCode;
    if (state.greetingPhase && state.sessionProfile.hostType == kHostTypeAutomatic &&
        session.onGreetingLine) {
      state.replyCode = code;
      session.onGreetingLine(session, state.replyLine);
    }
    state.replyCode = code;
    readAnother = more || (!firstLine && code != 0 && lineCode != code);
  }
  state.replyDepth = depthAtEntry;
  // A whole reply arrived after a wait was cut short: whoever read it has
  // taken the late reply, and the dialogue is in step again.
  if (!state.cancelRequested) state.lateReplyOwed = 0;
  const int code = state.replyCode;
  return code >= 100 && code <= 599 ? code / 100 : 0;
}

std::string_view whyCommandWouldChange(std::string_view text) {
  if (text.size() > kMaxCommandLength) return kTooLong;
  if (wouldInjectLine(text)) return kLineBreakInside;
  if (!isPasswordCommand(text) && trimLineEnd(text).size() != text.size()) return kTrailingBlanks;
  return {};
}

int sendCommand(Session& session, int socket, const char* format, ...) {
  char buffer[kMaxCommandLength + 1];
  va_list arguments;
  va_start(arguments, format);
  const int length = std::vsnprintf(buffer, sizeof buffer, format, arguments);
  va_end(arguments);
  if (length < 0) return 0;
  const std::string_view text(buffer, std::min<std::size_t>(length, kMaxCommandLength));
  return runCommand(session, socket, text, static_cast<std::size_t>(length), kFormattedCommand);
}

int sendCommandText(Session& session, int socket, std::string_view text) {
  return runCommand(session, socket, text, text.size(), kTextCommand);
}

long sendUrgent(Session& session, int socket, const void* bytes, std::size_t length) {
  // Urgent data cannot pass through TLS: the bytes go as application data,
  // which servers speaking TLS read in order.
  if (const auto tls = session.tls.find(socket)) {
    return tls->write(session.blockingCalls, bytes, length, kSendPieceTimeoutMs);
  }
  return platform::sendOnce(socket, bytes, length, MSG_OOB);
}

int closeDataSocket(Session& session, int socket) {
  if (socket == kInvalidSocket) return socket;
  endTls(session, socket);
  if (platform::shutdownSending(socket)) {
    drainUntilClosed(session, socket);
  }
  session.tls.drop(socket);
  platform::closeSocket(socket);
  return kInvalidSocket;
}

int closeControlSocket(Session& session, int socket) {
  if (socket == kInvalidSocket) return socket;
  session.state.cancelRequested = 1;
  // Another thread may still be inside this socket's TLS stream (Cancel closes
  // a transfer's data socket): the stream is let go, not spoken to.
  session.tls.drop(socket);
  if (platform::shutdownSending(socket)) {
    drainUntilClosed(session, socket);
  } else if (platform::lastSocketError() == platform::socket_error::kNotSocket) {
    return kInvalidSocket;
  }
  if (platform::closeSocket(socket) ||
      platform::lastSocketError() == platform::socket_error::kNotSocket) {
    return kInvalidSocket;
  }
  logSocketError(session, "closesocket", platform::lastSocketError());
  return socket;
}

int flushControlInput(Session& session, int socket) {
  // What another thread's exchange has still to read is its own: a Cancel
  // that finds one running leaves the input to it.
  const BusyScope busy(session.state);
  if (!busy.entered()) return 0;
  session.state.pendingInput.clear();
  session.state.pendingPosition = 0;
  if (socket == kInvalidSocket) return 0;
  pollfd descriptor{socket, POLLIN, 0};
  if (poll(&descriptor, 1, 0) == 1 && (descriptor.revents & POLLIN)) {
    char discard[kFlushChunk];
    recvWithTimeout(session, socket, discard, sizeof discard, 0, kSendPieceTimeoutMs);
  }
  return 0;
}

std::string socketErrorText(int code) {
  using namespace platform::socket_error;
  static constexpr int kCodes[] = {kCancelled,
                                   kInvalidArgument,
                                   kNoDescriptors,
                                   kWouldBlock,
                                   kInProgress,
                                   kNotSocket,
                                   kProtocolType,
                                   kProtocolNotSupported,
                                   kSocketTypeNotSupported,
                                   kFamilyNotSupported,
                                   kAddressInUse,
                                   kAddressNotAvailable,
                                   kNetworkDown,
                                   kConnectionAborted,
                                   kConnectionReset,
                                   kNoBufferSpace,
                                   kNotConnected,
                                   kTimedOut,
                                   kConnectionRefused,
                                   kHostDown,
                                   kHostUnreachable,
                                   10091,
                                   10092,
                                   10093};
  constexpr std::size_t kTextLimit = 126;
  int resource = 0;
  if (const auto* found = std::find(std::begin(kCodes), std::end(kCodes), code);
      found != std::end(kCodes)) {
    resource =
        resources::string_id::kFirstSocketErrorText + static_cast<int>(found - std::begin(kCodes));
  } else if (code == kHostNotFound || code == kTryAgain) {
    resource = 25;
  } else if (code == kNoRecovery) {
    resource = 26;
  } else if (code == kNoData) {
    resource = 27;
  }
  if (resource != 0) return std::string(resources::loadString(resource, kTextLimit));
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "error %u", static_cast<unsigned>(code));
  return buffer;
}

void logSocketError(Session& session, std::string_view label, int code) {
  const std::string text = socketErrorText(code);
  if (label.empty()) {
    session.log.logMessagef("! %s", text.c_str());
  } else {
    session.log.logMessagef("! %.*s: %s", static_cast<int>(label.size()), label.data(),
                            text.c_str());
  }
}

}  // namespace ferrix::session
