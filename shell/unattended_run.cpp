#include "shell/unattended_run.h"

#include <fnmatch.h>

#include <algorithm>
#include <cctype>
#include <fstream>

#include "platform/paths.h"
#include "platform/temp_file.h"
#include "session/control_channel.h"
#include "session/message_log.h"
#include "session/sound_events.h"
#include "transfer/receive_file.h"
#include "transfer/send_file.h"

namespace ferrix::shell {
namespace {

using config::ArgumentKind;

constexpr int kDefaultConnectBudget = 10;
constexpr unsigned kConnectPauseMs = 2000;
constexpr int kBullCp6 = 6028;
constexpr std::size_t kNameListLineLength = 79;
constexpr std::size_t kShortNames = 12;  // when the file system cannot tell

enum class Direction { kReceive, kSend };

std::string lowerCased(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  });
  return text;
}

// The part after the last backslash, else after the last '/', else all.
std::string baseName(const std::string& path) {
  std::size_t separator = path.rfind('\\');
  if (separator == std::string::npos) separator = path.rfind('/');
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string folderPart(const std::string& path) {
  const std::size_t separator = path.rfind('/');
  return separator == std::string::npos ? "" : path.substr(0, separator + 1);
}

bool hasWildcard(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

void playSound(session::Session& session, int event) {
  if (session.playSound) session.playSound(event);
}

void report(UnattendedRun& run, bool quiet, const std::string& message) {
  run.session.log.logMessage(message);
  if (!quiet) {
    run.userInterface.messageBox(message, session::kProgramTitle,
                                 session::UserInterface::Buttons::kOk,
                                 session::UserInterface::Icon::kNone);
  }
}

std::string localNameFor(UnattendedRun& run, const std::string& remoteName) {
  const int hostType = run.session.state.sessionProfile.hostType;
  const std::string folder = platform::currentFolder();
  const long maxName = static_cast<long>(platform::maxNameLength(folder).value_or(kShortNames));
  return transfer::MakeLocalName(run.transfer.nameRules, remoteName, hostType, folder, maxName);
}

int receiveOne(UnattendedRun& run, const std::string& remotePath, const std::string& localPath) {
  transfer::TransferContext& transfer = run.transfer;
  const int control = run.session.state.controlSocket;
  const int replyClass = transfer::ReceiveToFile(transfer, control, "RETR " + remotePath, localPath,
                                                 transfer.state.transferMode, false);
  return replyClass == 2 ? kStepSucceeded : kStepFailed;
}

int sendOne(UnattendedRun& run, const std::string& localPath, const std::string& remotePath) {
  transfer::TransferContext& transfer = run.transfer;
  const int control = run.session.state.controlSocket;
  const int replyClass = transfer::SendFromFile(transfer, control, "STOR " + remotePath, localPath,
                                                transfer.state.transferMode);
  return replyClass == 2 ? kStepSucceeded : kStepFailed;
}

int wildcardReceive(UnattendedRun& run, const config::CommandLineValues& values,
                    const std::string& source, const std::string& destination) {
  const std::string folder = folderPart(source);
  if (folder.empty() || destination.empty() || destination.back() != '/') return kStepFailed;
  session::Session& session = run.session;
  const int control = session.state.controlSocket;
  if (session::sendCommand(session, control, "CWD %s", folder.c_str()) != 2) return kStepFailed;
  std::error_code error;
  std::optional<platform::TempFile> list =
      platform::TempFile::create(platform::tempFolder(), "DIR", error);
  if (!list) return kStepSucceeded;
  const std::string nlst = "NLST " + baseName(source);
  if (transfer::ReceiveToFile(run.transfer, control, nlst, list->path(), 'A', false) != 2) {
    return kStepSucceeded;
  }
  std::ifstream names(list->path());
  int result = kStepSucceeded;
  for (std::string name; result == kStepSucceeded && std::getline(names, name);) {
    while (!name.empty() && (name.back() == '\r' || name.back() == '\n')) name.pop_back();
    name.resize(std::min(name.size(), kNameListLineLength));
    if (name.empty()) continue;
    std::string local = localNameFor(run, name);
    if (values.lowerCase) local = lowerCased(local);
    result = receiveOne(run, name, destination + local);
  }
  return result;
}

int wildcardSend(UnattendedRun& run, const config::CommandLineValues& values,
                 const std::string& source, const std::string& destination) {
  const std::string folder = folderPart(source);
  if (folder.empty() || destination.empty() || destination.back() != '/') return kStepFailed;
  std::error_code error;
  std::filesystem::current_path(folder, error);
  if (error) return kStepFailed;
  const std::string pattern = baseName(source);
  int result = kStepFailed;
  for (const auto& item : std::filesystem::directory_iterator(".", error)) {
    const std::string name = item.path().filename().string();
    if (!item.is_regular_file() || fnmatch(pattern.c_str(), name.c_str(), 0) != 0) continue;
    result = sendOne(run, name, destination + (values.lowerCase ? lowerCased(name) : name));
    if (result != kStepSucceeded) break;
  }
  return result;
}

int transferStep(UnattendedRun& run, const config::CommandLineValues& values, Direction direction,
                 const std::string& source, std::string destination) {
  const std::string sourceName = baseName(source);
  if (direction == Direction::kSend) {
    if (hasWildcard(sourceName)) return wildcardSend(run, values, source, destination);
    if (baseName(destination).empty()) destination += sourceName;
    if (values.lowerCase) destination = lowerCased(destination);
    return sendOne(run, source, destination);
  }
  if (sourceName.empty()) return kStepRemoteFolder;
  if (hasWildcard(sourceName)) return wildcardReceive(run, values, source, destination);
  if (!destination.empty() && destination.back() == '/') {
    destination += localNameFor(run, sourceName);
  }
  return receiveOne(run, source, destination);
}

// Takes the site's settings when the host names a site section.
void applySite(UnattendedRun& run, const std::string& host) {
  config::SiteProfile& profile = run.session.state.sessionProfile;
  config::SiteProfile site;
  site.profileName = host;
  if (run.sites.hasSite(host) &&
      !run.configuration.iniFile().readString(host, "HOST", "").empty()) {
    run.sites.loadProfile(site);
    profile.hostName = site.hostName;
    profile.userId = site.userId;
    profile.account = site.userId.empty() ? "" : site.account;
    if (!site.userId.empty() && !site.password.empty()) profile.password = site.password;
    profile.useFirewall = site.useFirewall;
    profile.port = site.port;
    profile.initialCommand = site.initialCommand;
    if (!site.localFolder.empty()) {
      std::error_code error;
      std::filesystem::current_path(site.localFolder, error);
      run.session.log.logMessagef(error ? "! failed local chdir to %s" : "local chdir to %s",
                                  site.localFolder.c_str());
    }
    return;
  }
  profile.hostName = host;
  profile.useFirewall = run.configuration.iniFile().readInt("FERRIX", "FIREWALL", 0);
}

int connectWithBudget(UnattendedRun& run) {
  session::Session& session = run.session;
  int budget = session.state.sessionProfile.retries;
  if (budget == 0) budget = kDefaultConnectBudget;
  int socket = run.logon(session);
  while (socket == platform::kInvalidSocket && budget > 0 && !session.state.cancelRequested) {
    --budget;
    session.blockingCalls.waitForSocket(platform::kInvalidSocket, 0, kConnectPauseMs);
    socket = run.logon(session);
  }
  session.state.controlSocket = socket;
  return socket;
}

}  // namespace

UnattendedResult RunUnattendedTransfer(UnattendedRun& run,
                                       const config::CommandLineValues& values) {
  session::Session& session = run.session;
  config::SiteProfile& profile = session.state.sessionProfile;
  run.transfer.state.serverTransferType = '\0';

  const config::TransferArgument source = config::ClassifyTransferArgument(values.source);
  const config::TransferArgument destination = config::ClassifyTransferArgument(values.destination);
  Direction direction;
  std::string host;
  if (source.kind == ArgumentKind::kRemote && destination.kind != ArgumentKind::kRemote) {
    direction = Direction::kReceive;
    host = source.host;
  } else if (source.kind == ArgumentKind::kLocal && destination.kind == ArgumentKind::kRemote) {
    direction = Direction::kSend;
    host = destination.host;
  } else {
    if (!values.quiet) {
      const std::string text = "SRC(" + std::to_string(static_cast<int>(source.kind)) +
                               "): " + values.source + "\nDST(" +
                               std::to_string(static_cast<int>(destination.kind)) +
                               "): " + values.destination;
      run.userInterface.messageBox(text, "Unknown batch command!",
                                   session::UserInterface::Buttons::kOk,
                                   session::UserInterface::Icon::kError);
    }
    return UnattendedResult::kFailed;
  }
  std::string sourcePath = source.path;
  std::string destinationPath = destination.path;
  if (direction == Direction::kReceive && destination.kind == ArgumentKind::kNone) {
    destinationPath = localNameFor(run, baseName(sourcePath));
  }

  applySite(run, host);
  if (profile.userId.empty()) profile.userId = "anonymous";
  if (profile.userId == "anonymous") profile.password = run.sites.mailAddress();
  session.log.logMessagef(direction == Direction::kReceive
                              ? "receiving file \"%s\" from site \"%s\" as file \"%s\""
                              : "sending file \"%s\" to site \"%s\" as file \"%s\"",
                          sourcePath.c_str(), profile.hostName.c_str(), destinationPath.c_str());

  if (connectWithBudget(run) == platform::kInvalidSocket) {
    playSound(session, session::sound_event::kConnectionFailed);
    report(run, values.quiet, "! Connect failed to " + profile.hostName);
    return UnattendedResult::kFailed;
  }
  if (!session.state.DetectionDone) run.detectHostType(session);

  int step = transferStep(run, values, direction, sourcePath, destinationPath);
  if (step == kStepRemoteFolder) {
    step = kStepFailed;
    if (profile.hostType != kBullCp6 && session::sendCommand(session, session.state.controlSocket,
                                                             "CWD %s", sourcePath.c_str()) == 2) {
      return UnattendedResult::kStayConnected;
    }
  }
  session.state.controlSocket = session::closeControlSocket(session, session.state.controlSocket);
  session.state.connected = 0;
  if (step == kStepSucceeded) {
    session.log.logMessage("Successful transfer");
    playSound(session, session::sound_event::kTransferSucceeded);
    return UnattendedResult::kSucceeded;
  }
  playSound(session, session::sound_event::kTransferFailed);
  report(run, values.quiet, "! Transfer failed for " + sourcePath + " from " + profile.hostName);
  return UnattendedResult::kFailed;
}

}  // namespace ferrix::shell
