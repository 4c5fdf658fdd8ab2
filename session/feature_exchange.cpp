#include "session/feature_exchange.h"

#include <string>
#include <vector>

#include "session/control_channel.h"
#include "session/message_log.h"
#include "session/name_charset.h"

namespace ferrix::session {
namespace {

constexpr int kFeaturesListed = 211;

bool continues(const std::string& line) { return line.size() > 3 && line[3] == '-'; }

// Reads the reply to FEAT into `lines`, each line logged. Returns its code
// (421 for a lost connection), or 0 when it did not end in time.
int readFeatureReply(Session& session, int controlSocket, std::vector<std::string>& lines) {
  SessionState& state = session.state;
  const int code = readReplyLine(session, controlSocket);
  session.log.logMessage(state.replyLine);
  lines.push_back(state.replyLine);
  state.replyCode = code;
  if (code < 100 || code > 599 || !continues(state.replyLine)) return code;
  // The reply ends at the first line with its code and a blank; the lines
  // between may begin with anything, digits included.
  const std::string end = std::to_string(code) + " ";
  while (lines.size() < kMaxFeatureLines) {
    const int lineCode = readReplyLine(session, controlSocket);
    session.log.logMessage(state.replyLine);
    lines.push_back(state.replyLine);
    if (lineCode == kReplyLost) return state.replyCode = kReplyLost;
    if (state.replyLine.starts_with(end)) return code;
  }
  return 0;
}

}  // namespace

bool exchangeFeatures(Session& session, int controlSocket) {
  SessionState& state = session.state;
  // FEAT, its reply and OPTS UTF8 are one exchange.
  const BusyScope busy(state);
  if (!busy.entered()) return true;
  state.features = ServerFeatures{};
  session.log.logMessage("FEAT");
  if (sendLine(session, controlSocket, "FEAT") < 0) return true;
  std::vector<std::string> lines;
  const int code = readFeatureReply(session, controlSocket, lines);
  if (code == 0) {
    session.log.logMessage("! The reply to FEAT does not end; closing the connection");
    return false;
  }
  if (code == kFeaturesListed && lines.size() > 1) state.features = parseFeatureLines(lines);
  chooseNameCharset(session);
  // A site set to a charset of its own keeps the server in its old mode.
  if (state.features.utf8 && wantsUtf8Names(state)) {
    sendCommand(session, controlSocket, "OPTS UTF8 ON");
  }
  return true;
}

}  // namespace ferrix::session
