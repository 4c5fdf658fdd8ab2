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

// Servers behind NAT often announce their private address; the address the
// control connection reached them on is then the one that works.
platform::Ipv4Address connectTarget(Session& session, int controlSocket,
                                    const platform::Ipv4Address& announced) {
  const std::optional<platform::Ipv4Address> peer = platform::peerAddressOf(controlSocket);
  if (!peer) return announced;
  const platform::Ipv4Address target = passiveTarget(announced, *peer);
  if (target.hostOrder != announced.hostOrder) {
    const std::string announcedText = announced.text();
    const std::string targetText = target.text();
    session.log.logMessagef("+ PASV address %s is unroutable; connecting to the server's %s",
                            announcedText.c_str(), targetText.c_str());
  }
  return target;
}

// The address numbers PORT announces: the control connection's local
// address, or the listening socket's when that one is unknown or 0.0.0.0.
std::uint32_t portCommandAddress(Session& session, int controlSocket) {
  const std::optional<platform::Ipv4Address> local = platform::localAddressOf(controlSocket);
  if (!local) logSocketError(session, "getsockname", platform::lastSocketError());
  if (local && (local->hostOrder >> 24) != 0) return local->hostOrder;
  return session.state.localControlAddress.hostOrder;
}

// Binds `socket` to any address and a port of the system's choosing, learns
// that port into localControlAddress, and listens. Logs the step that failed.
bool prepareListening(Session& session, int socket) {
  SessionState& state = session.state;
  state.localControlAddress = platform::Ipv4Address{};
  if (!platform::bindTo(socket, state.localControlAddress)) {
    logStepFailure(session, "Failed \"bind\":");
    return false;
  }
  const std::optional<platform::Ipv4Address> bound = platform::localAddressOf(socket);
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
  const int dataSocket = acceptDataConnection(session, state.listenSocket);
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
  const platform::Ipv4Address target = connectTarget(session, controlSocket, parsed.address);
  const std::string targetText = target.text();
  session.log.logMessagef("connecting to %s:%u", targetText.c_str(), target.port);
  const int dataSocket = openControlConnection(session, targetText, target.port);
  if (dataSocket == kInvalidSocket) {
    logSocketError(session, "connect", platform::lastSocketError());
  }
  return dataSocket;
}

int activeListen(Session& session, int controlSocket) {
  const int socket = platform::createStreamSocket();
  if (socket == kInvalidSocket) {
    logStepFailure(session, "Failed \"createsocket\":");
    return kInvalidSocket;
  }
  if (!prepareListening(session, socket)) {
    platform::closeSocket(socket);
    return kInvalidSocket;
  }
  const std::uint32_t address = portCommandAddress(session, controlSocket);
  const std::uint16_t port = session.state.localControlAddress.port;
  const int replyClass = sendCommand(session, controlSocket, "PORT %u,%u,%u,%u,%u,%u",
                                     address >> 24, (address >> 16) & 0xff, (address >> 8) & 0xff,
                                     address & 0xff, unsigned{port} >> 8, unsigned{port} & 0xff);
  if (replyClass == 2) return socket;
  session.log.logMessage("! Failed \"port\":");
  soundActionFailed(session);
  platform::closeSocket(socket);
  return kInvalidSocket;
}

int acceptDataConnection(Session& session, int listenSocket) {
  const std::uint64_t deadline = startWatchdog(session);
  platform::Ipv4Address peer;
  platform::WaitResult wait = platform::WaitResult::kFailed;
  const int dataSocket =
      platform::acceptConnection(session.blockingCalls, listenSocket, deadline, &peer, &wait);
  const int error = platform::lastSocketError();
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
