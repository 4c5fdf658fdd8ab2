// A real FTP server (pyftpdlib or vsftpd, see real_ftp_servers.h) with a
// session that logs on to it by hand, for the tests that drive the engine
// against a real server: the server, the message log, the system clock and
// resolver, and the session over them. logOn() connects to the server's loopback address, reads
// the greeting and sends USER and PASS, and the session then counts as
// connected on that control connection, as the logon dialogue leaves it.
//
// Ownership: the object owns the server, the session with its log, clock and
// resolver, and the control connection; the destructor sends QUIT on a
// connection still logged on, closes it, then stops the server.
// Thread rule: one thread makes and destroys the object; the session may be
// lent to a worker thread in between, as the engine lends it.
#pragma once

#include <string>

#include "platform/clock.h"
#include "platform/tcp_socket.h"
#include "session/message_log.h"
#include "session/session_state.h"
#include "testing/real_ftp_servers.h"
#include "testing/scripted_user_interface.h"

namespace ferrix::testing {

class RealServerSession {
 public:
  // Starts the server; the session is not connected yet.
  explicit RealServerSession(FtpServerKind kind, LoopbackFamily family = LoopbackFamily::kIpv4);
  ~RealServerSession();
  RealServerSession(const RealServerSession&) = delete;
  RealServerSession& operator=(const RealServerSession&) = delete;

  RealFtpServer& server() { return server_; }
  const RealFtpServer& server() const { return server_; }
  session::MessageLog& log() { return log_; }
  const session::MessageLog& log() const { return log_; }
  session::Session& session() { return session_; }
  // Answers the logon's questions (certificates) of a TLS logon.
  ScriptedUserInterface& ui() { return ui_; }
  // The control connection; -1 before logOn().
  int control() const { return session_.state.controlSocket; }

  // Connects (closing a connection made before) and logs on as the server's
  // user with a password, or as `login`. Empty on success; otherwise which
  // step failed, with the log. A TLS server is logged on to through the
  // engine's own logon with the site's TLS setting (explicit required or
  // implicit), trusting the test CA through SSL_CERT_FILE.
  std::string logOn();
  std::string logOn(const FtpLogin& login);

  // Changes to the served folder; returns the reply class.
  // Requires: logged on.
  int enterServedFolder();

  // Sends QUIT and returns its reply class; the session no longer counts as
  // connected, and the connection is closed with the object.
  int quit();

  // The log's history, a line each.
  std::string logText() const;

 private:
  std::string failure(const std::string& step) const;
  std::string logOnWithTls(const FtpLogin& login);

  RealFtpServer server_;
  session::MessageLog log_;
  platform::SystemClock clock_;
  platform::SystemResolver resolver_;
  session::Session session_;
  ScriptedUserInterface ui_;
};

}  // namespace ferrix::testing
