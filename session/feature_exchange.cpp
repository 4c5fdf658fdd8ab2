#include "session/feature_exchange.h"

#include <string>
#include <vector>

#include "session/control_channel.h"

namespace ferrix::session {
namespace {

constexpr int kFeaturesListed = 211;

}  // namespace

void exchangeFeatures(Session& session, int controlSocket) {
  SessionState& state = session.state;
  std::vector<std::string> lines;
  state.replyLineSink = &lines;
  const int replyClass = sendCommand(session, controlSocket, "FEAT");
  state.replyLineSink = nullptr;
  const bool listed = replyClass == 2 && state.replyCode == kFeaturesListed;
  state.features = listed ? parseFeatureLines(lines) : ServerFeatures{};
  if (state.features.utf8) sendCommand(session, controlSocket, "OPTS UTF8 ON");
}

}  // namespace ferrix::session
