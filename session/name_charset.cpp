#include "session/name_charset.h"

#include "platform/ascii_text.h"
#include "platform/text_encoding.h"
#include "session/message_log.h"

namespace ferrix::session {
namespace {

constexpr std::string_view kUtf8 = "UTF-8";

bool isUtf8Name(std::string_view charset) {
  return platform::equalsIgnoringCase(charset, kUtf8) ||
         platform::equalsIgnoringCase(charset, "UTF8");
}

}  // namespace

void chooseNameCharset(Session& session) {
  SessionState& state = session.state;
  const std::string& charset = state.sessionProfile.charset;
  state.nameCharset.clear();
  if (platform::equalsIgnoringCase(charset, config::SiteProfile::kAutomaticCharset) ||
      charset.empty()) {
    if (state.features.utf8) state.nameCharset = kUtf8;
    return;
  }
  if (isUtf8Name(charset)) {
    state.nameCharset = kUtf8;
    return;
  }
  if (!platform::isKnownCharset(charset)) {
    session.log.logMessagef("+ Unknown name charset \"%s\"; names are taken as they come",
                            charset.c_str());
    return;
  }
  state.nameCharset = charset;
}

bool wantsUtf8Names(const SessionState& state) {
  return state.nameCharset.empty() || state.nameCharset == kUtf8;
}

std::string shownName(const SessionState& state, std::string_view wire) {
  if (state.nameCharset.empty() || state.nameCharset == kUtf8) {
    return platform::repairUtf8(wire);
  }
  return platform::decodeToUtf8(wire, state.nameCharset);
}

std::optional<std::string> shownNameIfDifferent(const SessionState& state, std::string_view wire) {
  if (wantsUtf8Names(state) && platform::isValidUtf8(wire)) return std::nullopt;
  std::string shown = shownName(state, wire);
  if (shown == wire) return std::nullopt;
  return shown;
}

std::optional<std::string> wireName(const SessionState& state, std::string_view shown) {
  // UTF-8 names go as they are, even a local name that is not valid UTF-8.
  if (state.nameCharset.empty() || state.nameCharset == kUtf8) return std::string(shown);
  return platform::encodeFromUtf8(shown, state.nameCharset);
}

std::optional<std::string> wireNameOrRefuse(Session& session, std::string_view shown) {
  std::optional<std::string> wire = wireName(session.state, shown);
  if (!wire) {
    session.log.logMessagef("! \"%s\" cannot be written in the server's charset %s",
                            platform::repairUtf8(shown).c_str(),
                            session.state.nameCharset.c_str());
  }
  return wire;
}

}  // namespace ferrix::session
