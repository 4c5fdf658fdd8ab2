#include "transfer/transfer_context.h"

#include <algorithm>
#include <cstdio>

#include "decoder/include/ferrixcore.h"
#include "resources/strings.h"
#include "session/control_channel.h"
#include "session/message_log.h"
#include "session/sound_events.h"

namespace ferrix::transfer {

namespace strings = resources::string_id;

char SelectTransferType(TransferContext& transfer, int controlSocket, std::string_view nameOrCommand,
                        char wanted) {
  TransferState& state = transfer.state;
  if (state.automaticMode) {
    wanted = IsAsciiName(transfer.nameRules, nameOrCommand) ? 'A' : 'I';
    state.transferMode = wanted;
  }
  if (wanted != state.serverTransferType) {
    session::Session& session = transfer.session;
    if (wanted == 'L') {
      session::sendCommand(session, controlSocket, "TYPE L 8");
    } else {
      session::sendCommand(session, controlSocket, "TYPE %c", wanted);
    }
    state.serverTransferType = wanted;
  }
  return wanted;
}

bool RefuseWhenNotReady(TransferContext& transfer, int controlSocket) {
  session::Session& session = transfer.session;
  if (controlSocket == platform::kInvalidSocket) {
    session.log.logMessagef("! %s", resources::loadString(strings::kNotConnected).data());
    return true;
  }
  if (session.state.busy()) {
    session.log.logMessagef("! %s", resources::loadString(strings::kCommandInProgress).data());
    return true;
  }
  return false;
}

bool RefuseChangedName(session::Session& session, std::string_view command) {
  const std::string_view reason = session::whyCommandWouldChange(command);
  if (reason.empty()) return false;
  const std::string shown(command.substr(0, session::kMaxCommandLength));
  session.log.logMessagef("! Name not sent: %.*s (%s)", static_cast<int>(reason.size()),
                          reason.data(), shown.c_str());
  if (session.playSound) session.playSound(session::sound_event::kActionFailed);
  return true;
}

std::string formatWithText(std::string_view format, std::string_view text) {
  const std::string pattern(format);
  const std::string argument(text);
  const int length = std::snprintf(nullptr, 0, pattern.c_str(), argument.c_str());
  std::string result(static_cast<std::size_t>(std::max(length, 0)), '\0');
  std::snprintf(result.data(), result.size() + 1, pattern.c_str(), argument.c_str());
  return result;
}

std::string JoinRemotePath(int hostType, std::string_view folder, std::string_view name) {
  const std::string base(folder);
  const auto endsWith = [&folder](char c) { return !folder.empty() && folder.back() == c; };
  if (hostType == FERRIX_HOST_TYPE_TANDEM) return base + "." + std::string(name);
  if (hostType == FERRIX_HOST_TYPE_IBM_MVS) {
    return endsWith('.') ? base + std::string(name) : base + "." + std::string(name);
  }
  if (folder.find('/') == std::string_view::npos &&
      (folder.find('>') != std::string_view::npos || folder.starts_with('^'))) {
    return endsWith('>') ? base + std::string(name) : base + ">" + std::string(name);
  }
  if (endsWith('/') || endsWith('\\')) return base + std::string(name);
  const char separator = folder.find('\\') != std::string_view::npos ? '\\' : '/';
  return base + separator + std::string(name);
}

}  // namespace ferrix::transfer
