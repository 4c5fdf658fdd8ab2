#include "session/tls_negotiation.h"

#include <memory>

#include "session/certificate_decision.h"
#include "session/control_channel.h"
#include "session/message_log.h"

namespace ferrix::session {
namespace {

using config::SiteProfile;

std::uint64_t handshakeLimitMs(const Session& session) {
  return static_cast<std::uint64_t>(session.state.replyTimeoutSeconds) * 1000;
}

}  // namespace

bool secureControlConnection(Session& session, UserInterface& userInterface, int socket,
                             const std::string& host, int port) {
  SessionState& state = session.state;
  session.tls.forgetSession();
  const std::shared_ptr<platform::TlsStream> stream =
      session.tls.attach(socket, host, platform::TlsRole::kControl);
  if (!stream) {
    session.log.logMessage("! TLS could not be set up");
    return false;
  }
  if (!stream->handshake(session.blockingCalls, handshakeLimitMs(session))) {
    session.log.logMessagef("! TLS handshake with %s failed: %s", host.c_str(),
                            stream->errorText().c_str());
    return false;
  }
  const platform::TlsCertificate certificate = stream->peerCertificate();
  if (!acceptCertificate(session, userInterface, host, port, certificate)) return false;
  state.tlsHost = host;
  state.tlsFingerprint = certificate.sha256;
  state.tlsProtocol = stream->protocol();
  session.log.logMessagef("Secured with %s, cipher %s", state.tlsProtocol.c_str(),
                          stream->cipher().c_str());
  return true;
}

bool negotiateExplicitTls(Session& session, UserInterface& userInterface, int socket,
                          const std::string& host, int port) {
  const int tls = session.state.sessionProfile.tls;
  if (tls == SiteProfile::kTlsOff || tls == SiteProfile::kTlsImplicit) return true;
  const int replyClass = sendCommand(session, socket, "AUTH TLS");
  if (replyClass == 2 && session.state.replyCode == 234) {
    return secureControlConnection(session, userInterface, socket, host, port);
  }
  if (tls == SiteProfile::kTlsWhenOffered && (replyClass == 5 || replyClass == 4)) {
    session.log.logMessagef("+ %s does not offer TLS: this connection is not encrypted",
                            host.c_str());
    return true;
  }
  session.log.logMessagef("! %s refused AUTH TLS: %s", host.c_str(),
                          session.state.replyLine.c_str());
  return false;
}

bool protectDataConnections(Session& session, int socket) {
  if (!session.tls.find(socket)) return true;
  if (sendCommand(session, socket, "PBSZ 0") != 2) {
    session.log.logMessagef("! The server refused PBSZ 0: %s", session.state.replyLine.c_str());
    return false;
  }
  if (sendCommand(session, socket, "PROT P") != 2) {
    session.log.logMessagef("! The server refused to protect data connections (PROT P): %s",
                            session.state.replyLine.c_str());
    return false;
  }
  session.state.dataProtected = 1;
  return true;
}

void secureDataConnection(Session& session, int dataSocket) {
  SessionState& state = session.state;
  if (!state.dataProtected) return;
  const std::shared_ptr<platform::TlsStream> stream =
      session.tls.attach(dataSocket, state.tlsHost, platform::TlsRole::kData);
  if (!stream) {
    session.log.logMessage("! TLS could not be set up on the data connection");
    return;
  }
  if (!stream->handshake(session.blockingCalls, handshakeLimitMs(session))) {
    session.log.logMessagef("! TLS on the data connection failed: %s",
                            stream->errorText().c_str());
    return;
  }
  if (stream->sessionReused()) return;
  // A fresh session must at least come from the same server.
  if (stream->peerCertificate().sha256 != state.tlsFingerprint) {
    session.log.logMessage(
        "! The data connection presented another certificate than the control connection");
    stream->markBroken("certificate differs from the control connection's");
    return;
  }
  session.log.logMessage("[TLS] data connection did not resume the control session");
}

void resetTls(Session& session) {
  SessionState& state = session.state;
  state.dataProtected = 0;
  state.tlsHost.clear();
  state.tlsFingerprint.clear();
  state.tlsProtocol.clear();
  session.tls.forgetSession();
}

}  // namespace ferrix::session
