// SessionState: the one FTP session of the program, and Session, which pairs
// it with the services the session operations use (message log, clock,
// resolver, the cancellable waits).
//
// Ownership: the program makes one Session and keeps it from start-up to
// exit; tests make a fresh one per case. Sockets are plain handles (-1 for
// none) owned by the session.
//
// Thread rule: the engine thread and a transfer worker share it. Whoever
// talks on the control connection holds `exchange` (a BusyScope) for the
// whole exchange; the reading state below it is GUARDED_BY it, and the
// reply line and code are written only by its holder. The flags that other
// threads set (cancel, abort) and the counters they read are atomics. Only
// requestCancel may be called from any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "config/site_profile.h"
#include "platform/blocking_calls.h"
#include "platform/tcp_socket.h"
#include "platform/thread_annotations.h"
#include "platform/tls_stream.h"
#include "session/control_exchange.h"
#include "session/server_features.h"

namespace ferrix::session {

class MessageLog;

struct SessionState {
  static constexpr int kInitialReplyTimeoutSeconds = 120;

  int controlSocket = platform::kInvalidSocket;
  int listenSocket = platform::kInvalidSocket;
  int dataSocket = platform::kInvalidSocket;
  int connected = 0;
  std::atomic<int> cancelRequested = 0;
  std::atomic<int> abortRequested = 0;
  std::atomic<int> commandInProgress = 0;
  // Held by the thread that talks on the control connection; its depth()
  // tells the other threads a command or transfer is running.
  ControlExchange exchange;
  // Written by the exchange holder; read by the operations' callers once
  // their exchange is done.
  int replyCode = 0;
  std::string replyLine;  // last reply line, trailing blanks and line end removed
  // State below is protected by exchange.
  std::string pendingInput GUARDED_BY(exchange);  // bytes received after the line last returned
  std::size_t pendingPosition GUARDED_BY(exchange) = 0;
  int replyDepth GUARDED_BY(exchange) = 0;
  // A reply wait was cut short (Cancel, time-out): the server's answer may
  // still come and must not be taken for the next command's.
  int lateReplyOwed GUARDED_BY(exchange) = 0;
  int replyTimeoutSeconds = kInitialReplyTimeoutSeconds;
  std::atomic<int> watchdogTicks = 0;  // the window's timer counts it down on its own thread
  int greetingPhase = 0;
  int xautVariant = 0;
  int xautSeed = 0;
  // The firewall password typed at a prompt, kept for the later attempts of
  // this run when none is stored.
  std::string firewallPassword;
  std::atomic<int> retriesLeft = 0;
  platform::SocketAddress localControlAddress;
  ServerFeatures features;  // from FEAT after the logon
  // The iconv name of the server's name charset, "UTF-8", or empty: each
  // name shown as UTF-8 where it is one (name_charset.h).
  std::string nameCharset;
  // EPSV or EPRT failed on an IPv4 connection: PASV or PORT for the rest of it.
  int extendedPassiveRefused = 0;
  int extendedActiveRefused = 0;
  // The server refused MLSD: LIST for the rest of the connection.
  int mlsdRefused = 0;
  // The host type the site profile named at the logon, before detection.
  int siteHostType = 6000;
  int closing = 0;
  int CanMkd = 0;
  int CanRmd = 0;
  int CanRename = 0;
  int CanDelete = 0;
  int UseCdup = 1;
  int DetectionDone = 0;
  // TLS: data connections are secured once PROT P was accepted. tlsHost is
  // the name the control connection's certificate was checked against, and
  // tlsFingerprint the certificate accepted there, which a data connection
  // that did not resume the session must show again.
  int dataProtected = 0;
  std::string tlsHost;
  std::string tlsFingerprint;
  std::string tlsProtocol;  // "TLSv1.3" while the control connection is secured
  config::SiteProfile sessionProfile;

  // Some thread's command or transfer runs on the control connection now.
  // Any thread may ask.
  bool busy() const { return exchange.depth() != 0 || commandInProgress != 0; }
};

struct Session {
  Session(MessageLog& log, platform::Clock& clock, platform::Resolver& resolver)
      : log(log), clock(clock), resolver(resolver), blockingCalls(clock) {}

  SessionState state;
  MessageLog& log;
  platform::Clock& clock;
  platform::Resolver& resolver;
  platform::BlockingCalls blockingCalls;
  platform::TlsConnections tls;
  // The trusted-certificates file ("always trust" answers); empty keeps none.
  std::string trustedCertificatesFile;
  // Sees every reply line of the greeting while the host type is still to be
  // detected, and the reply that completes a firewall scheme. The program
  // points it at the host-type check.
  std::function<void(Session&, const std::string& replyLine)> onGreetingLine;
  // Plays one of the events of sound_events.h; empty plays nothing.
  std::function<void(int soundEvent)> playSound;
};

}  // namespace ferrix::session
