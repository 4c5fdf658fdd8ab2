#include "session/data_channel.h"

#include <optional>
#include <string>

#include "platform/socket_errors.h"
#include "resources/strings.h"
#include "session/connection.h"
#include "session/control_channel.h"
#include "session/message_log.h"
#include "session/passive_reply.h"
#include "session/sound_events.h"
#include "session/tls_negotiation.h"

namespace ferrix::session {
namespace {

using platform::kInvalidSocket;
using Outcome = DataExchangeResult::Outcome;

constexpr int kPassiveRefusedCode = 500;
constexpr int kListenBacklog = 1;

void soundActionFailed(Session& session) {
  if (session.playSound) session.playSound(sound_event::kActionFailed);
}

// "! Failed "bind": address already in use" and the like.
void logStepFailure(Session& session, const char* step) {
  const std::string error = socketErrorText(platform::lastSocketError());
  session.log.logMessagef("! %s %s", step, error.c_str());
}

// A listening socket has nothing to drain and its close is no cancel, so it
// is closed plainly.
int closeListening(Session& session, int listenSocket) {
  platform::closeSocket(listenSocket);
  if (session.state.listenSocket == listenSocket) session.state.listenSocket = kInvalidSocket;
  return kInvalidSocket;
}

void setDataBuffer(int dataSocket, DataDirection direction) {
  const auto buffer = direction == DataDirection::kReceive ? platform::SocketBuffer::kReceive
                                                           : platform::SocketBuffer::kSend;
  platform::ensureBufferSize(dataSocket, buffer, kDataBufferBytes);
}

// A server's PASV address may name another host (FTP bounce) or a private
// address behind NAT; the control connection's peer is the one that is
// known to be the server. PASVADDR restores the announced address.
platform::SocketAddress passiveTarget(Session& session,
                                      const std::optional<platform::SocketAddress>& controlPeer,
                                      const platform::SocketAddress& announced) {
  if (!controlPeer || session.state.sessionProfile.useServerPassiveAddress) return announced;
  platform::SocketAddress target = *controlPeer;
  target.port = announced.port;
  if (!target.sameHost(announced)) {
    const std::string announcedText = announced.text();
    const std::string targetText = target.text();
    session.log.logMessagef("+ PASV address %s is not the server's; connecting to %s",
                            announcedText.c_str(), targetText.c_str());
  }
  return target;
}

// Connects to `target`, logging as passive mode always has; -1 on failure.
int connectToPassivePort(Session& session, const platform::SocketAddress& target) {
  const int dataSocket = openConnection(session, target.text(), target.port);
  if (dataSocket == kInvalidSocket) {
    logSocketError(session, "connect", platform::lastSocketError());
  }
  return dataSocket;
}

// EPSV on IPv6, where PASV cannot name an address, and on IPv4 when FEAT
// offered it and it has not failed in this session.
bool usesExtendedPassive(const SessionState& state, const platform::SocketAddress& controlPeer) {
  return controlPeer.isIpv6() || (state.features.epsv && !state.extendedPassiveRefused);
}

void fallBackToPasv(Session& session, const char* why) {
  session.state.extendedPassiveRefused = 1;
  session.log.logMessagef("+ %s; using PASV for this session", why);
}

// EPSV and a connection to the control peer at the port it names. On IPv4 a
// refusal or an unreachable port switches the session to PASV.
int extendedPassiveConnect(Session& session, int controlSocket,
                           const platform::SocketAddress& controlPeer) {
  const bool canFallBack = !controlPeer.isIpv6();
  const int replyClass = sendCommand(session, controlSocket, "EPSV");
  if (replyClass != 2) {
    if (replyClass == 5 && canFallBack) fallBackToPasv(session, "EPSV refused");
    return kInvalidSocket;
  }
  const std::optional<std::uint16_t> port = parseExtendedPassiveReply(session.state.replyLine);
  if (!port) {
    session.log.logMessagef("! Unable to parse info %s", session.state.replyLine.c_str());
    soundActionFailed(session);
    if (canFallBack) fallBackToPasv(session, "EPSV reply unreadable");
    return kInvalidSocket;
  }
  platform::SocketAddress target = controlPeer;
  target.port = *port;
  const int dataSocket = connectToPassivePort(session, target);
  if (dataSocket == kInvalidSocket && canFallBack && !session.state.cancelRequested) {
    fallBackToPasv(session, "EPSV port cannot be reached");
  }
  return dataSocket;
}

int classicPassiveConnect(Session& session, int controlSocket,
                          const std::optional<platform::SocketAddress>& controlPeer) {
  if (sendPassive(session, controlSocket) != 2) return kInvalidSocket;
  const PassiveAddress parsed = parsePassiveReply(session.state.replyLine);
  if (parsed.status == PassiveAddress::Status::kNoAddress) {
    session.log.logMessagef("! Unable to parse info %s", session.state.replyLine.c_str());
    soundActionFailed(session);
    return kInvalidSocket;
  }
  if (parsed.status == PassiveAddress::Status::kBadAddress) {
    session.log.logMessagef("! bad address in %s", parsed.addressText.c_str());
    soundActionFailed(session);
    return kInvalidSocket;
  }
  return connectToPassivePort(session, passiveTarget(session, controlPeer, parsed.address));
}

// The address PORT and EPRT announce: the control connection's local
// address, or the listening socket's when that one is unknown or 0.0.0.0.
platform::SocketAddress announcedActiveAddress(
    Session& session, const std::optional<platform::SocketAddress>& controlLocal) {
  if (controlLocal && (controlLocal->isIpv6() || (controlLocal->ipv4HostOrder() >> 24) != 0)) {
    platform::SocketAddress address = *controlLocal;
    address.port = session.state.localControlAddress.port;
    return address;
  }
  return session.state.localControlAddress;
}

// Binds `socket` to any address of `family` and a port of the system's
// choosing, learns that port into localControlAddress, and listens. Logs the
// step that failed.
bool prepareListening(Session& session, int socket, platform::AddressFamily family) {
  SessionState& state = session.state;
  state.localControlAddress = platform::anyAddress(family);
  if (!platform::bindTo(socket, state.localControlAddress)) {
    logStepFailure(session, "Failed \"bind\":");
    return false;
  }
  const std::optional<platform::SocketAddress> bound = platform::localAddressOf(socket);
  if (!bound) {
    logStepFailure(session, "Failed \"getsockname\":");
    return false;
  }
  state.localControlAddress = *bound;
  if (!platform::startListening(socket, kListenBacklog)) {
    logStepFailure(session, "Failed \"listen\":");
    return false;
  }
  return true;
}

int sendPort(Session& session, int controlSocket, const platform::SocketAddress& address) {
  const std::uint32_t host = address.ipv4HostOrder();
  const unsigned port = address.port;
  return sendCommand(session, controlSocket, "PORT %u,%u,%u,%u,%u,%u", host >> 24,
                     (host >> 16) & 0xff, (host >> 8) & 0xff, host & 0xff, port >> 8, port & 0xff);
}

int sendExtendedPort(Session& session, int controlSocket, const platform::SocketAddress& address) {
  const std::string text = address.text();
  return sendCommand(session, controlSocket, "EPRT |%u|%s|%u|", address.isIpv6() ? 2u : 1u,
                     text.c_str(), unsigned{address.port});
}

// EPRT on IPv6; on IPv4 EPRT when FEAT offered EPSV (both come from the same
// extension), PORT otherwise and for the rest of the session once EPRT was refused.
int announceActivePort(Session& session, int controlSocket,
                       const platform::SocketAddress& address) {
  SessionState& state = session.state;
  if (address.isIpv6()) return sendExtendedPort(session, controlSocket, address);
  if (state.features.epsv && !state.extendedActiveRefused) {
    const int replyClass = sendExtendedPort(session, controlSocket, address);
    if (replyClass != 5) return replyClass;
    state.extendedActiveRefused = 1;
    session.log.logMessage("+ EPRT refused; using PORT for this session");
  }
  return sendPort(session, controlSocket, address);
}

void runTransfer(Session& session, const DataExchangeRequest& request) {
  SessionState& state = session.state;
  secureDataConnection(session, state.dataSocket);
  request.moveData(session, state.dataSocket);
  state.dataSocket = closeDataSocket(session, state.dataSocket);
}

DataExchangeResult exchangePassive(Session& session, int controlSocket,
                                   const DataExchangeRequest& request) {
  SessionState& state = session.state;
  DataExchangeResult result{Outcome::kCommandRefused, 0, true};
  setDataBuffer(state.dataSocket, request.direction);
  result.commandClass = request.sendTransferCommand(session, controlSocket);
  if (result.commandClass == 1) {
    result.outcome = Outcome::kDataMoved;
    runTransfer(session, request);
  } else {
    state.dataSocket = closeDataSocket(session, state.dataSocket);
  }
  return result;
}

DataExchangeResult exchangeActive(Session& session, int controlSocket,
                                  const DataExchangeRequest& request) {
  SessionState& state = session.state;
  DataExchangeResult result;
  state.listenSocket = activeListen(session, controlSocket);
  if (state.listenSocket == kInvalidSocket) return result;
  result.commandClass = request.sendTransferCommand(session, controlSocket);
  if (result.commandClass != 1) {
    result.outcome = Outcome::kCommandRefused;
    closeListening(session, state.listenSocket);
    return result;
  }
  const int dataSocket = acceptDataConnection(session, controlSocket, state.listenSocket);
  if (dataSocket == kInvalidSocket) {
    result.outcome = Outcome::kAcceptFailed;
    closeListening(session, state.listenSocket);
    return result;
  }
  state.dataSocket = dataSocket;
  setDataBuffer(dataSocket, request.direction);
  result.outcome = Outcome::kDataMoved;
  runTransfer(session, request);
  return result;
}

}  // namespace

int sendPassive(Session& session, int controlSocket) {
  if (sendCommand(session, controlSocket, "PASV") == 5 &&
      session.state.replyCode == kPassiveRefusedCode) {
    sendCommand(session, controlSocket, "XPSV");
  }
  return session.state.replyCode / 100;
}

int passiveConnect(Session& session, int controlSocket) {
  const std::optional<platform::SocketAddress> peer = platform::peerAddressOf(controlSocket);
  if (peer && usesExtendedPassive(session.state, *peer)) {
    const int dataSocket = extendedPassiveConnect(session, controlSocket, *peer);
    if (dataSocket != kInvalidSocket || !session.state.extendedPassiveRefused) return dataSocket;
  }
  return classicPassiveConnect(session, controlSocket, peer);
}

int activeListen(Session& session, int controlSocket) {
  const std::optional<platform::SocketAddress> local = platform::localAddressOf(controlSocket);
  if (!local) logSocketError(session, "getsockname", platform::lastSocketError());
  const platform::AddressFamily family =
      local && local->isIpv6() ? platform::AddressFamily::kIpv6 : platform::AddressFamily::kIpv4;
  const int socket = platform::createStreamSocket(family);
  if (socket == kInvalidSocket) {
    logStepFailure(session, "Failed \"createsocket\":");
    return kInvalidSocket;
  }
  if (!prepareListening(session, socket, family)) {
    platform::closeSocket(socket);
    return kInvalidSocket;
  }
  const platform::SocketAddress announced = announcedActiveAddress(session, local);
  if (announceActivePort(session, controlSocket, announced) == 2) return socket;
  session.log.logMessage("! Failed \"port\":");
  soundActionFailed(session);
  platform::closeSocket(socket);
  return kInvalidSocket;
}

int acceptDataConnection(Session& session, int controlSocket, int listenSocket) {
  const std::uint64_t deadline = session.clock.ticks() + startWatchdog(session);
  const std::optional<platform::SocketAddress> server = platform::peerAddressOf(controlSocket);
  platform::SocketAddress peer;
  platform::WaitResult wait = platform::WaitResult::kFailed;
  int dataSocket = kInvalidSocket;
  int error = 0;
  for (;;) {
    const std::uint64_t now = session.clock.ticks();
    dataSocket = platform::acceptConnection(session.blockingCalls, listenSocket,
                                            deadline > now ? deadline - now : 0, &peer, &wait);
    error = platform::lastSocketError();
    if (dataSocket == kInvalidSocket || !server || peer.sameHost(*server)) break;
    // Only the server may connect back: anyone else could feed the transfer
    // bytes of their own choosing.
    const std::string peerText = peer.text();
    session.log.logMessagef("! Data connection from %s refused: not the server's address",
                            peerText.c_str());
    platform::closeSocket(dataSocket);
  }
  if (wait == platform::WaitResult::kTimedOut) {
    expireWatchdog(session);
  } else {
    stopWatchdog(session);
  }
  if (dataSocket == kInvalidSocket) {
    logSocketError(session, resources::loadString(resources::string_id::kAcceptError), error);
    return kInvalidSocket;
  }
  closeListening(session, listenSocket);
  session.tls.drop(dataSocket);
  const std::string peerText = peer.text();
  session.log.logMessagef("[%u] accept from %s port %u", static_cast<unsigned>(dataSocket),
                          peerText.c_str(), peer.port);
  return dataSocket;
}

DataExchangeResult dataExchange(Session& session, int controlSocket,
                                const DataExchangeRequest& request) {
  SessionState& state = session.state;
  if (state.sessionProfile.passiveMode) {
    state.dataSocket = passiveConnect(session, controlSocket);
    if (state.dataSocket != kInvalidSocket) return exchangePassive(session, controlSocket, request);
    // A Cancel during the passive attempt, or a lost control connection, is
    // no reason to try the other mode.
    if (state.cancelRequested) return DataExchangeResult{Outcome::kNoDataConnection, 0, true};
  }
  return exchangeActive(session, controlSocket, request);
}

}  // namespace ferrix::session
