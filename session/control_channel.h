// The control connection: opening it, sending command lines, and reading
// replies with their codes. Every other part of the engine talks to the
// server through these operations.
//
// Results follow the session's conventions: reply classes 1-5 (0 when no
// valid reply arrived), socket handles with -1 for none, and code 421 in
// replyCode for a lost connection or a cancelled wait.
//
// Thread rule: every operation that reads or writes the control connection
// holds the session's exchange (BusyScope) while it does; sendCommand and
// sendCommandText hold it across the command and its reply. A second thread
// that starts an exchange while one is in progress waits for it, or gives
// up on Cancel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "session/session_state.h"

namespace ferrix::session {

inline constexpr int kHostTypeAutomatic = 6000;

// Holds the session's control exchange for as long as it lives: a command
// and its reply, or a whole transfer, is one exchange, and no other thread
// sends or reads on the control connection meanwhile. Scopes nest on one
// thread. Another thread's scope waits; when Cancel is requested while it
// waits it gives up and holds nothing (entered() is false), and its owner
// must then leave the connection alone.
class SCOPED_CAPABILITY BusyScope {
 public:
  explicit BusyScope(SessionState& state) ACQUIRE(state.exchange);
  ~BusyScope() RELEASE();
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

  bool entered() const { return entered_; }

 private:
  SessionState& state_;
  bool entered_;
};

inline constexpr int kReplyLost = 421;
inline constexpr std::size_t kMaxCommandLength = 291;
inline constexpr std::size_t kReplyByteLimit = 1024 * 1024;

// What one reply may cost, all its lines together: it must be complete by
// `deadline` (clock ticks) and within kReplyByteLimit bytes, so a server
// cannot hold the session with an endless or trickling reply.
struct ReplyLimit {
  std::uint64_t deadline = 0;
  std::size_t bytesLeft = kReplyByteLimit;
};

// A limit starting now, with the session's reply time-out.
ReplyLimit startReplyLimit(Session& session);

// The connected socket, or -1 (every failure logged). A control connection
// begins with a "- -" line in the log; a data connection does not.
int openControlConnection(Session& session, const std::string& host, std::uint16_t port);
int openConnection(Session& session, const std::string& host, std::uint16_t port);

// One send or receive within `milliseconds`; -1 with error 10004 on time-out
// or cancel. recvWithTimeout returns 0 when the peer closed. On a socket the
// session secured with TLS both go through its TLS stream.
long sendWithTimeout(Session& session, int socket, const void* bytes, std::size_t length,
                     std::uint64_t milliseconds);
long recvWithTimeout(Session& session, int socket, void* buffer, std::size_t length, int flags,
                     std::uint64_t milliseconds);

// Sends the urgent part of the abort sequence: out of band on a plain
// connection, as ordinary TLS application data on a secured one. Returns
// the bytes sent or -1.
long sendUrgent(Session& session, int socket, const void* bytes, std::size_t length);

// Sends everything (32 s a piece); returns the bytes sent.
std::size_t sendAll(Session& session, int socket, std::string_view bytes);

// Sends `text` with CR LF; -1 for an invalid socket or when cancelled while
// another thread's exchange was awaited. A reply is read by the same
// thread within the same BusyScope.
long sendLine(Session& session, int socket, std::string_view text);

// Reads one reply line into replyLine; returns its code (0 without one, 421
// on loss, cancel, or a reply over its limit).
int readReplyLine(Session& session, int socket);
int readReplyLine(Session& session, int socket, ReplyLimit& limit);

// Reads one whole (multi-line) reply; returns its class, the code in replyCode.
int getReply(Session& session, int socket);
int readWholeReply(Session& session, int socket, ReplyLimit& limit);

// Why `text` would not reach the server exactly as it stands (a line break
// or NUL in it, more than kMaxCommandLength characters, or trailing blanks
// the line loses), or an empty text when it would. A command that carries a
// name must not go out changed: the changed name can be another file.
std::string_view whyCommandWouldChange(std::string_view text);

// Formats, sends and awaits the reply, holding the exchange throughout (a
// command of another thread is waited for; 0 when Cancel ends that wait).
// Returns the reply class; 0 when not connected or when the command text
// would carry a line break; 4 (replyCode 400) when a command is already in
// progress within this thread's exchange.
int sendCommand(Session& session, int socket, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// The same for a ready-made text, always echoed; 5 when a command is
// already in progress within this thread's exchange.
int sendCommandText(Session& session, int socket, std::string_view text);

// Both return the value to store back into the caller's socket variable.
int closeDataSocket(Session& session, int socket);
int closeControlSocket(Session& session, int socket);

// Discards pending input and what the server has already sent. Returns 0.
int flushControlInput(Session& session, int socket);

// The text of socket error `code` ("error %u" for codes without one).
std::string socketErrorText(int code);

// Logs "! label: text", or "! text" with an empty label.
void logSocketError(Session& session, std::string_view label, int code);

}  // namespace ferrix::session
