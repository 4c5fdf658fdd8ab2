#include "listing/host_detection.h"

#include <ferrixcore.h>

#include "resources/strings.h"
#include "session/control_channel.h"
#include "session/message_log.h"

namespace ferrix::listing {
namespace {

using session::Session;
using session::SessionState;

constexpr int kAutomatic = FERRIX_HOST_TYPE_AUTOMATIC;
constexpr std::string_view kHelpCommand = "HELP";

struct Capabilities {
  int canDelete;
  int canRename;
  int canRmd;
  int canMkd;
  int useCdup;
};

// What a known host type offers; types not listed offer everything.
Capabilities capabilitiesOf(int hostType) {
  switch (hostType) {
    case FERRIX_HOST_TYPE_PDP11_RSX11M: return {1, 0, 0, 0, 1};
    case FERRIX_HOST_TYPE_KA9Q_NOS: return {1, 0, 1, 1, 0};
    case FERRIX_HOST_TYPE_CDC_CYBER: return {1, 0, 0, 0, 0};
    case FERRIX_HOST_TYPE_IBM_R1000:
    case FERRIX_HOST_TYPE_BULL_CP6: return {1, 0, 0, 0, 1};
    default: return {1, 1, 1, 1, 1};
  }
}

void apply(SessionState& state, const Capabilities& capabilities) {
  state.CanDelete = capabilities.canDelete;
  state.CanRename = capabilities.canRename;
  state.CanRmd = capabilities.canRmd;
  state.CanMkd = capabilities.canMkd;
  state.UseCdup = capabilities.useCdup;
}

const char* hostTypeName(int hostType) {
  const char* name = FERRIX_ReturnHostTypeName(hostType);
  return name != nullptr ? name : "";
}

void logHostType(Session& session, const char* source, int hostType) {
  const std::string label(resources::loadString(resources::string_id::kHostTypeLabel));
  session.log.logMessagef("%s (%s): %s", label.c_str(), source, hostTypeName(hostType));
}

void setHostType(Session& session, int hostType, const char* source) {
  session.state.sessionProfile.hostType = hostType;
  logHostType(session, source, hostType);
}

// SYST, when the type is still to be found.
void detectFromSyst(Session& session) {
  SessionState& state = session.state;
  if (session::sendCommand(session, state.controlSocket, "SYST") != 2) {
    logHostType(session, "I", state.sessionProfile.hostType);
    return;
  }
  const int detected = FERRIX_DetectFromSystString(state.replyLine.c_str(), kAutomatic);
  if (detected != kAutomatic) setHostType(session, detected, "S");
}

// The server family a HELP reply's first line names; plain UNIX when none.
int hostTypeFromHelp(const std::string& line) {
  const auto contains = [&line](const char* text) { return line.find(text) != std::string::npos; };
  if (contains("NCSA") || contains("CUTCP")) return FERRIX_HOST_TYPE_NCSA_CUTCP;
  if (contains("MACB")) return FERRIX_HOST_TYPE_MAC_NCSA;
  if (contains("HellSoft")) return FERRIX_HOST_TYPE_HELLSOFT;
  if (line.starts_with("214-PC FTP server") || contains("QVT")) return FERRIX_HOST_TYPE_QVT_NET_2_3;
  return FERRIX_HOST_TYPE_UNIX;
}

void noteCommands(SessionState& state, const std::string& line) {
  const auto contains = [&line](const char* text) { return line.find(text) != std::string::npos; };
  if (contains("MKD")) state.CanMkd = 1;
  if (contains("RMD")) state.CanRmd = 1;
  if (contains("RNFR")) state.CanRename = 1;
  if (contains("DELE")) state.CanDelete = 1;
}

// A line that ends the reply: a final code with no '-' after it. A refusal
// ends it as well as a positive answer, so a server without HELP costs no
// reply time-out.
bool endsReply(int code, const std::string& line) {
  return code >= 200 && code <= 599 && !(line.size() > 3 && line[3] == '-');
}

int readHelpLine(Session& session, session::ReplyLimit& limit) {
  const int code = session::readReplyLine(session, session.state.controlSocket, limit);
  session.log.logMessage(session.state.replyLine);
  return code;
}

// Sends HELP as a command of its own; false when it did not go out whole.
bool sendHelp(Session& session) {
  SessionState& state = session.state;
  if (state.commandInProgress.exchange(1)) return false;
  session.log.logMessage(kHelpCommand);
  const long sent = session::sendLine(session, state.controlSocket, kHelpCommand);
  if (sent < static_cast<long>(kHelpCommand.size() + 2)) {
    state.commandInProgress = 0;
    return false;
  }
  return true;
}

// HELP: the first line names the server family, the whole reply the
// commands it offers.
void detectFromHelp(Session& session) {
  SessionState& state = session.state;
  // HELP and its reply are one exchange.
  const session::BusyScope busy(state);
  if (!busy.entered() || !sendHelp(session)) {
    apply(state, capabilitiesOf(FERRIX_HOST_TYPE_UNIX));
    return;
  }
  session::ReplyLimit limit = session::startReplyLimit(session);
  int code = readHelpLine(session, limit);
  setHostType(session, hostTypeFromHelp(state.replyLine), "3");
  while (code != session::kReplyLost && !endsReply(code, state.replyLine)) {
    noteCommands(state, state.replyLine);
    code = readHelpLine(session, limit);
  }
  state.replyCode = code;
  state.commandInProgress = 0;
}

}  // namespace

void CheckReplyForHostType(Session& session, const std::string& text) {
  int& hostType = session.state.sessionProfile.hostType;
  if (hostType != kAutomatic) return;
  const int detected = FERRIX_DoAutoCheck(text.c_str(), kAutomatic);
  if (detected != kAutomatic) setHostType(session, detected, "1");
}

void DetectHostType(Session& session, session::UserInterface& userInterface) {
  SessionState& state = session.state;
  state.CanMkd = 0;
  state.CanRmd = 0;
  state.CanRename = 0;
  state.CanDelete = 0;
  state.UseCdup = 1;
  state.DetectionDone = 1;
  const int& hostType = state.sessionProfile.hostType;
  if (hostType != kAutomatic) {
    logHostType(session, "I", hostType);
  } else {
    detectFromSyst(session);
  }
  if (hostType == kAutomatic) {
    detectFromHelp(session);
  } else {
    apply(state, capabilitiesOf(hostType));
    // This server's buttons are left as they are.
    if (hostType == FERRIX_HOST_TYPE_PDP11_RSX11M) return;
  }
  userInterface.enableRemoteCommands(state.CanMkd != 0, state.CanRename != 0,
                                     state.CanDelete != 0);
}

}  // namespace ferrix::listing
