#include "session/remote_commands.h"

#include <optional>
#include <string>

#include "session/control_channel.h"
#include "session/message_log.h"
#include "session/name_charset.h"
#include "session/sound_events.h"

namespace ferrix::session {
namespace {

constexpr int kAccountHelpTopic = 80;
constexpr int kFolderNameHelpTopic = 180;
constexpr int kRenameHelpTopic = 520;
constexpr int kMoveHelpTopic = 680;
constexpr int kSiteHelpTopic = 700;
constexpr int kChmodHelpTopic = 720;
constexpr int kCommandNotRecognized = 500;
constexpr const char* kChmodFailed = "Chmod failed. It may not be supported on remote site.";

void soundActionFailed(Session& session) {
  if (session.playSound) session.playSound(sound_event::kActionFailed);
}

// Why a command cannot carry `text` unchanged, or nothing when it can.
// printf formatting would end the text at a NUL, and the control channel
// would cut an overlong text; either way a shorter name can name another file.
std::optional<std::string> unsendableReason(std::string_view text) {
  if (text.find('\0') != std::string_view::npos) {
    return "! Command not sent: it contains a line break or NUL character";
  }
  if (text.size() > kMaxCommandLength) {
    return "! Command not sent: it is longer than " + std::to_string(kMaxCommandLength) +
           " characters";
  }
  return std::nullopt;
}

// How the argument is used: a typed text may lose its trailing blanks on the
// way, as every command line does; a name that must reach the server exactly
// (the entry to delete, rename or change) must not, since the shorter name can
// be another entry.
enum class Argument { kTyped, kExactName };

bool endsInBlank(std::string_view text) {
  return !text.empty() && (text.back() == ' ' || text.back() == '\t');
}

std::string commandText(std::string_view verb, std::string_view argument) {
  std::string text(verb);
  text += ' ';
  text += argument;
  return text;
}

// Whether "verb argument" can arrive as it stands; logs why not.
bool canSend(Session& session, std::string_view verb, std::string_view argument, Argument use) {
  std::optional<std::string> reason = unsendableReason(commandText(verb, argument));
  if (!reason && use == Argument::kExactName && endsInBlank(argument)) {
    reason = "! Command not sent: the name ends in a blank the server would not receive";
  }
  if (!reason) return true;
  session.log.logMessage(*reason);
  session.state.replyCode = 0;
  return false;
}

// Sends "verb argument" unless it cannot arrive as it stands (class 0).
int sendWithArgument(Session& session, int control, std::string_view verb,
                     std::string_view argument, Argument use = Argument::kExactName) {
  if (!canSend(session, verb, argument, use)) return 0;
  return sendCommand(session, control, "%s", commandText(verb, argument).c_str());
}

// Sends `verb argument`, and `fallbackVerb argument` when the server does not
// know the first (500).
int sendWithFallback(Session& session, int control, std::string_view verb,
                     std::string_view fallbackVerb, std::string_view argument) {
  const int replyClass = sendWithArgument(session, control, verb, argument);
  if (replyClass != 5 || session.state.replyCode != kCommandNotRecognized) return replyClass;
  return sendWithArgument(session, control, fallbackVerb, argument);
}

// A folder change answered 3xx wants an account: ask for it while it stays
// empty and the user confirms, then send it.
int sendAccountForFolder(Session& session, UserInterface& ui, int control, int replyClass) {
  std::string& account = session.state.sessionProfile.account;
  while (account.empty() && ui.passwordBox(account, "Password required:", kAccountHelpTopic)) {
  }
  ui.forgetEnteredText();
  if (account.empty()) return replyClass;
  return sendWithArgument(session, control, "ACCT", account, Argument::kTyped);
}

int sendChangeFolder(Session& session, int control, std::string_view folder) {
  const int replyClass = sendWithArgument(session, control, "CWD", folder, Argument::kTyped);
  if (replyClass != 5 || session.state.replyCode != kCommandNotRecognized) return replyClass;
  // VMS UCX servers want the subfolder in their own bracket form.
  if (session.state.sessionProfile.hostType == kHostTypeVmsUcx && !folder.starts_with("[")) {
    std::string ucxFolder = "[.";
    ucxFolder += folder;
    ucxFolder += ']';
    return sendWithArgument(session, control, "CWD", ucxFolder, Argument::kTyped);
  }
  return sendWithArgument(session, control, "XCWD", folder, Argument::kTyped);
}

void logRenameFailure(Session& session, const char* format, std::string_view from,
                      std::string_view to) {
  session.log.logMessagef(format, std::string(from).c_str(), std::string(to).c_str());
  soundActionFailed(session);
}

}  // namespace

int changeRemoteFolder(Session& session, UserInterface& ui, int control, std::string_view folder) {
  if (folder.empty()) return 2;
  if (session.state.UseCdup && folder == "..") {
    if (sendCommand(session, control, "CDUP") == 2) return 2;
  }
  int replyClass = sendChangeFolder(session, control, folder);
  if (replyClass == 3) replyClass = sendAccountForFolder(session, ui, control, replyClass);
  if (replyClass == 5) soundActionFailed(session);
  return replyClass;
}

int printRemoteFolder(Session& session, int control) {
  const int replyClass = sendCommand(session, control, "PWD");
  if (replyClass != 5 || session.state.replyCode != kCommandNotRecognized) return replyClass;
  return sendCommand(session, control, "XPWD");
}

int makeRemoteFolder(Session& session, int control, std::string_view folder) {
  return sendWithFallback(session, control, "MKD", "XMKD", folder);
}

int removeRemoteFolder(Session& session, int control, std::string_view folder) {
  return sendWithFallback(session, control, "RMD", "XRMD", folder);
}

int deleteRemoteFile(Session& session, int control, std::string_view file) {
  return sendWithArgument(session, control, "DELE", file);
}

RenameOutcome renameRemoteEntry(Session& session, int control, std::string_view from,
                                std::string_view to) {
  // A new name that cannot be sent fails before RNFR leaves the server waiting.
  if (!canSend(session, "RNTO", to, Argument::kExactName)) return RenameOutcome::kFailed;
  if (sendWithArgument(session, control, "RNFR", from) != 3) return RenameOutcome::kSkipped;
  return sendWithArgument(session, control, "RNTO", to) == 2 ? RenameOutcome::kRenamed
                                                             : RenameOutcome::kFailed;
}

bool isProtectedEntryName(std::string_view name) { return name == ".." || name.starts_with("[-"); }

bool renameRemoteEntries(Session& session, UserInterface& ui, int control,
                         const std::vector<std::string>& names) {
  bool changed = false;
  for (const std::string& name : names) {
    if (isProtectedEntryName(name)) continue;
    // The person edits the UTF-8 form; the server gets its own bytes back
    // for the old name and its charset's bytes for the new one.
    const std::string shown = shownName(session.state, name);
    std::string newName = shown;
    const std::string prompt = "Enter new name for \"" + shown + "\":";
    if (!ui.inputBox(&newName, prompt, kRenameHelpTopic) || newName == shown) continue;
    const std::optional<std::string> wire = wireNameOrRefuse(session, newName);
    const RenameOutcome outcome =
        wire ? renameRemoteEntry(session, control, name, *wire) : RenameOutcome::kFailed;
    if (outcome == RenameOutcome::kFailed) {
      logRenameFailure(session, "! Rename of %s to %s failed.", shown, newName);
    }
    changed = changed || outcome == RenameOutcome::kRenamed;
  }
  return changed;
}

bool moveRemoteEntries(Session& session, UserInterface& ui, int control,
                       const std::vector<std::string>& names) {
  std::string destination;
  if (!ui.inputBox(&destination, "Please enter the remote destination folder:", kMoveHelpTopic) ||
      destination.empty()) {
    return false;
  }
  const std::optional<std::string> wireDestination = wireNameOrRefuse(session, destination);
  if (!wireDestination) return false;
  bool changed = false;
  for (const std::string& name : names) {
    if (isProtectedEntryName(name)) continue;
    const std::string newPath = *wireDestination + "/" + name;
    const RenameOutcome outcome = renameRemoteEntry(session, control, name, newPath);
    if (outcome == RenameOutcome::kFailed) {
      logRenameFailure(session, "! Move of %s to %s failed.", shownName(session.state, name),
                       shownName(session.state, newPath));
    }
    changed = changed || outcome == RenameOutcome::kRenamed;
  }
  return changed;
}

int chmodRemoteEntries(Session& session, UserInterface& ui, int control,
                       RememberedPermissions& remembered, const std::vector<std::string>& names) {
  const std::optional<unsigned> digits = ui.askPermissions(remembered.digits, kChmodHelpTopic);
  if (!digits) return 0;
  remembered.digits = *digits;
  int replyClass = 0;
  if (names.empty()) {
    std::string text;
    if (!ui.inputBox(&text, "Enter CHMOD string:", kChmodHelpTopic)) return 0;
    replyClass = sendWithArgument(session, control, "SITE", text, Argument::kTyped);
  } else {
    for (const std::string& name : names) {
      const std::string chmod = "chmod " + std::to_string(*digits) + " " + name;
      replyClass = sendWithArgument(session, control, "SITE", chmod);
      if (replyClass != 2) break;
    }
  }
  if (replyClass != 2) {
    session.log.logMessagef("! %s", kChmodFailed);
    soundActionFailed(session);
  }
  return replyClass;
}

int cwdMenuCommand(Session& session, UserInterface& ui, int control) {
  std::string folder;
  if (!ui.inputBox(&folder, "Enter remote folder name:", kFolderNameHelpTopic)) return 0;
  const std::optional<std::string> wire = wireNameOrRefuse(session, folder);
  return wire ? changeRemoteFolder(session, ui, control, *wire) : 0;
}

int pwdMenuCommand(Session& session, int control) { return printRemoteFolder(session, control); }

int helpMenuCommand(Session& session, int control) { return sendCommand(session, control, "HELP"); }

int systMenuCommand(Session& session, int control) { return sendCommand(session, control, "SYST"); }

int siteMenuCommand(Session& session, UserInterface& ui, int control) {
  std::string text;
  if (!ui.inputBox(&text, "Enter SITE string:", kSiteHelpTopic)) return 0;
  return sendWithArgument(session, control, "SITE", text, Argument::kTyped);
}

}  // namespace ferrix::session
