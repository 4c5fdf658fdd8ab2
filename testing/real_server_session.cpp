#include "testing/real_server_session.h"

#include <cstdlib>

#include "config/firewall_settings.h"
#include "session/control_channel.h"
#include "session/logon.h"

namespace ferrix::testing {

RealServerSession::RealServerSession(FtpServerKind kind, LoopbackFamily family)
    : server_(kind, family), session_(log_, clock_, resolver_) {}

RealServerSession::~RealServerSession() {
  const int control = session_.state.controlSocket;
  if (control == platform::kInvalidSocket) return;
  if (session_.state.connected) session::sendCommand(session_, control, "QUIT");
  session_.tls.drop(control);
  platform::closeSocket(control);
}

std::string RealServerSession::logOn() { return logOn(server_.login()); }

std::string RealServerSession::logOn(const FtpLogin& login) {
  if (!server_.startError().empty()) return server_.startError();
  if (server_.usesTls()) return logOnWithTls(login);
  session::SessionState& state = session_.state;
  state.connected = 0;
  if (state.controlSocket != platform::kInvalidSocket) platform::closeSocket(state.controlSocket);
  state.controlSocket = session::openControlConnection(session_, server_.host(), server_.port());
  const int control = state.controlSocket;
  if (control == platform::kInvalidSocket) return failure("no control connection");
  if (session::getReply(session_, control) != 2) return failure("no greeting");
  if (session::sendCommand(session_, control, "USER %s", login.user.c_str()) != 3) {
    return failure("USER not answered 3xx");
  }
  if (session::sendCommand(session_, control, "PASS %s", login.password.c_str()) != 2) {
    return failure("PASS not answered 2xx");
  }
  state.connected = 1;
  return {};
}

std::string RealServerSession::logOnWithTls(const FtpLogin& login) {
  if (std::filesystem::exists(server_.caFile())) {
    setenv("SSL_CERT_FILE", server_.caFile().c_str(), 1);
  }
  session::SessionState& state = session_.state;
  if (state.controlSocket != platform::kInvalidSocket) {
    state.controlSocket = session::closeControlSocket(session_, state.controlSocket);
  }
  state.connected = 0;
  config::SiteProfile& profile = state.sessionProfile;
  profile.hostName = server_.host();
  profile.port = server_.port();
  profile.userId = login.user;
  profile.password = login.password;
  profile.tls = server_.kind() == FtpServerKind::kVsftpdImplicitTls
                    ? config::SiteProfile::kTlsImplicit
                    : config::SiteProfile::kTlsRequired;
  state.controlSocket = session::logon(session_, ui_, config::FirewallSettings{});
  if (state.controlSocket == platform::kInvalidSocket) return failure("TLS logon failed");
  state.cancelRequested = 0;
  return {};
}

int RealServerSession::enterServedFolder() {
  return session::sendCommand(session_, control(), "CWD %s", server_.remoteServedFolder().c_str());
}

int RealServerSession::quit() {
  session_.state.connected = 0;
  return session::sendCommand(session_, control(), "QUIT");
}

std::string RealServerSession::logText() const {
  std::string text;
  for (const std::string& line : log_.history()) text += line + "\n";
  return text;
}

std::string RealServerSession::failure(const std::string& step) const {
  return step + " (" + server_.name() + " on port " + std::to_string(server_.port()) + ")\n" +
         logText();
}

}  // namespace ferrix::testing
