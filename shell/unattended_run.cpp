#include "shell/unattended_run.h"

#include <fnmatch.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <fstream>
#include <optional>
#include <vector>

#include "config/ftp_url.h"
#include "config/netrc.h"
#include "decoder/tools/decode_tool.h"
#include "listing/listing_decoder.h"
#include "listing/remote_listing.h"
#include "platform/paths.h"
#include "platform/temp_file.h"
#include "session/control_channel.h"
#include "session/message_log.h"
#include "session/name_charset.h"
#include "session/remote_commands.h"
#include "session/sound_events.h"
#include "transfer/download_into_place.h"
#include "transfer/receive_file.h"
#include "transfer/send_file.h"
#include "transfer/transfer_log.h"

namespace ferrix::shell {
namespace {

using config::ArgumentKind;

constexpr int kDefaultConnectBudget = 10;
constexpr unsigned kConnectPauseMs = 2000;
constexpr int kBullCp6 = 6028;
constexpr std::size_t kShortNames = 12;  // when the file system cannot tell
constexpr char kStandardInputLabel[] = "standard input";

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

bool isStandardStream(const std::string& localPath) { return localPath == kStandardStream; }

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
  // A name the server listed (NLST) is in its charset; the local one is UTF-8.
  return transfer::MakeLocalName(run.transfer.nameRules,
                                 session::shownName(run.session.state, remoteName), hostType,
                                 folder, maxName);
}

// A name that would leave the destination folder, or could not be sent on
// one command line, is never used.
bool isSafeName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("/\0\r\n", 4)) == std::string_view::npos;
}

// The log line for a refused name, its control characters made visible.
void refuseName(UnattendedRun& run, std::string name) {
  std::replace_if(
      name.begin(), name.end(),
      [](char c) { return std::iscntrl(static_cast<unsigned char>(c)) != 0; }, '?');
  run.session.log.logMessagef("! refused unsafe name \"%s\"; skipped", name.c_str());
}

// The local name for a server's name, or nothing (logged) when unsafe.
std::optional<std::string> safeLocalNameFor(UnattendedRun& run, const std::string& remoteName) {
  std::string local = localNameFor(run, remoteName);
  if (!isSafeName(local)) {
    refuseName(run, local);
    return std::nullopt;
  }
  return local;
}

// Appends the transfer log line when the INI file asks for it ("dolog").
// The local file's folder stands for the local pane's: the line names the
// file in it.
void logTransfer(UnattendedRun& run, transfer::TransferDirection direction,
                 const std::string& localPath, const std::string& site,
                 const std::string& remoteFolder, const std::string& remoteName) {
  platform::IniFile& ini = run.configuration.iniFile();
  const transfer::TransferLogSettings settings{
      ini.readInt(config::kConfigSection, "dolog", 1),
      ini.readString(config::kConfigSection, "logfile", "FERRIX.LOG")};
  std::error_code error;
  const std::filesystem::path local = std::filesystem::absolute(localPath, error);
  transfer::TransferLogEntry entry;
  entry.direction = direction;
  entry.serverTransferType = run.transfer.state.serverTransferType;
  entry.localName = local.filename().string();
  entry.site = site;
  // The log names the folder as PWD would: without a trailing '/', except the root.
  entry.remoteFolder = remoteFolder.size() > 1 && remoteFolder.back() == '/'
                           ? remoteFolder.substr(0, remoteFolder.size() - 1)
                           : remoteFolder;
  entry.remoteName = remoteName;
  transfer::AppendTransferLog(settings, entry, local.parent_path(), std::time(nullptr));
}

// The site section, or host, a receive was named for.
std::string sourceSite(const config::CommandLineValues& values) {
  return config::ClassifyTransferArgument(values.source).host;
}

// Receives `remoteName` (a path, or a name in the current remote folder,
// which is `remoteFolder`) into `localPath`; `site` is the site section or
// host the run was named for.
int receiveOne(UnattendedRun& run, const std::string& site, const std::string& remoteFolder,
               const std::string& remoteName, const std::string& localPath) {
  transfer::TransferContext& transfer = run.transfer;
  if (isStandardStream(localPath)) {
    const int replyClass =
        transfer::ReceiveToDescriptor(transfer, run.session.state.controlSocket,
                                      "RETR " + remoteName, STDOUT_FILENO,
                                      transfer.state.transferMode);
    // A download cut short (cancel, a write error, a broken connection) may
    // still end with a 2xx reply to the abort.
    const bool complete = replyClass == 2 && transfer.state.transferResult != transfer::kBrokenOff;
    return complete ? kStepSucceeded : kStepFailed;
  }
  std::error_code error;
  const std::filesystem::path local = std::filesystem::absolute(localPath, error);
  // No one is asked about partial data: what its record vouches for is
  // resumed, anything else started over with a notice.
  const transfer::DownloadTarget target{
      run.configuration.iniFile(),
      site,
      {remoteFolder, baseName(remoteName), local.parent_path().string(),
       local.filename().string()},
      remoteName,
      transfer::ReceivingType(transfer, "RETR " + remoteName),
      {},
      false};
  const transfer::TransferOutcome outcome =
      transfer::DownloadIntoPlace(transfer, run.session.state.controlSocket, target);
  if (outcome != transfer::TransferOutcome::kSucceeded) return kStepFailed;
  logTransfer(run, transfer::TransferDirection::kReceived, localPath, site, remoteFolder,
              baseName(remoteName));
  return kStepSucceeded;
}

// A folder reads like an empty file, and a source that cannot be opened
// would leave an empty file on the server: both are refused before STOR.
bool isReadableFile(UnattendedRun& run, const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_regular_file(path, error) && std::ifstream(path, std::ios::binary)) {
    return true;
  }
  run.session.log.logMessagef("! cannot read local file %s", path.c_str());
  return false;
}

int sendOne(UnattendedRun& run, const std::string& localPath, const std::string& remotePath) {
  const bool piped = isStandardStream(localPath);
  if (!piped && !isReadableFile(run, localPath)) return kStepFailed;
  transfer::TransferContext& transfer = run.transfer;
  const int control = run.session.state.controlSocket;
  const std::string command = "STOR " + remotePath;
  const char mode = transfer.state.transferMode;
  const int replyClass =
      piped ? transfer::SendFromStream(transfer, control, command, stdin, kStandardInputLabel, mode)
            : transfer::SendFromFile(transfer, control, command, localPath, mode);
  // A cancelled upload still ends with the server's completion reply.
  if (replyClass != 2 || transfer.state.transferResult != transfer::kTransferred) {
    return kStepFailed;
  }
  if (piped) return kStepSucceeded;
  logTransfer(run, transfer::TransferDirection::kSent, localPath,
              run.session.state.sessionProfile.hostName, folderPart(remotePath),
              baseName(remotePath));
  return kStepSucceeded;
}

// The lines of a name list, without their line ends and empty lines.
std::vector<std::string> readNameList(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::vector<std::string> names;
  for (std::string name; std::getline(file, name);) {
    if (!name.empty() && name.back() == '\r') name.pop_back();
    if (!name.empty()) names.push_back(std::move(name));
  }
  return names;
}

// The names of the current remote folder matching `pattern`: the server's
// own matching (NLST pattern) first; when it refuses patterns, as some do,
// the folder's whole name list matched here. Nothing when neither listing
// could be had.
std::optional<std::vector<std::string>> matchingRemoteNames(UnattendedRun& run,
                                                            const std::string& pattern) {
  const int control = run.session.state.controlSocket;
  std::error_code error;
  std::optional<platform::TempFile> list =
      platform::TempFile::create(platform::tempFolder(), "DIR", error);
  if (!list) return std::nullopt;
  if (transfer::ReceiveToFile(run.transfer, control, "NLST " + pattern, list->path(), 'A',
                              false) == 2) {
    return readNameList(list->path());
  }
  if (!run.session.state.connected || run.session.state.controlSocket == platform::kInvalidSocket) {
    return std::nullopt;
  }
  run.session.log.logMessage("+ Server refused the name pattern; matching the folder's names here");
  if (transfer::ReceiveToFile(run.transfer, control, "NLST", list->path(), 'A', false) != 2) {
    return std::nullopt;
  }
  std::vector<std::string> names = readNameList(list->path());
  std::erase_if(names, [&pattern](const std::string& name) {
    return fnmatch(pattern.c_str(), name.c_str(), 0) != 0;
  });
  return names;
}

// Whether `name`, as the server gave it, may be fetched: a name holding a
// path or a line break is someone else's file or a second command, and a
// name the command line would change (cut, or its trailing blanks lost) is
// another file's.
bool isReceivableName(UnattendedRun& run, const std::string& name) {
  if (!isSafeName(name)) {
    refuseName(run, name);
    return false;
  }
  return !transfer::RefuseChangedName(run.session, "RETR " + name);
}

int wildcardReceive(UnattendedRun& run, const config::CommandLineValues& values,
                    const std::string& source, const std::string& destination) {
  const std::string folder = folderPart(source);
  if (folder.empty() || destination.empty() || destination.back() != '/') return kStepFailed;
  session::Session& session = run.session;
  const int control = session.state.controlSocket;
  if (session::sendCommand(session, control, "CWD %s", folder.c_str()) != 2) return kStepFailed;
  const std::string pattern = baseName(source);
  const std::optional<std::vector<std::string>> names = matchingRemoteNames(run, pattern);
  if (!names) return kStepFailed;
  int received = 0;
  for (const std::string& name : *names) {
    if (!isReceivableName(run, name)) continue;
    std::optional<std::string> local = safeLocalNameFor(run, name);
    if (!local) continue;
    if (values.lowerCase) *local = lowerCased(*local);
    if (receiveOne(run, sourceSite(values), folder, name, destination + *local) != kStepSucceeded) {
      return kStepFailed;
    }
    ++received;
  }
  if (received > 0) return kStepSucceeded;
  session.log.logMessagef("! No file received: nothing matches %s", source.c_str());
  return kStepFailed;
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
    const std::optional<std::string> local = safeLocalNameFor(run, sourceName);
    if (!local) return kStepFailed;
    destination += *local;
  }
  return receiveOne(run, sourceSite(values), folderPart(source), source, destination);
}

// Takes the site's settings when the host names a site section.
void applySite(UnattendedRun& run, const std::string& host) {
  config::SiteProfile& profile = run.session.state.sessionProfile;
  config::SiteProfile site;
  site.profileName = host;
  if (run.sites.hasSite(host) &&
      !run.configuration.iniFile().readString(host, "HOST", "").empty()) {
    run.sites.loadProfile(site);
    // The whole profile: its time-out, retries, passive mode and host type
    // matter as much as its host and logon.
    const std::string givenPassword = profile.password;
    profile = site;
    profile.account = site.userId.empty() ? "" : site.account;
    if (site.userId.empty() || site.password.empty()) profile.password = givenPassword;
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

// What a URL names overrides the site: a user other than the site's logs
// on with the password the URL or the command line gave, not the site's.
void applyUrlLogon(UnattendedRun& run, const config::TransferArgument& remote,
                   const std::string& givenPassword) {
  config::SiteProfile& profile = run.session.state.sessionProfile;
  if (remote.userId && *remote.userId != profile.userId) {
    profile.userId = *remote.userId;
    profile.password = givenPassword;
    profile.account.clear();
  }
  if (remote.password) profile.password = *remote.password;
  if (remote.port) profile.port = *remote.port;
  if (remote.tls) profile.tls = *remote.tls;
  if (remote.transferType != 0) {
    run.transfer.state.transferMode = remote.transferType;
    run.transfer.state.automaticMode = false;
  }
}

// Without a password, ~/.netrc may hold the logon for the host.
void applyNetrc(UnattendedRun& run) {
  config::SiteProfile& profile = run.session.state.sessionProfile;
  if (!profile.password.empty() || profile.userId == "anonymous") return;
  const std::string home = platform::homeFolder();
  if (home.empty()) return;
  const config::NetrcFile netrc = config::ReadNetrcFile(std::filesystem::path(home) / ".netrc");
  if (!netrc.refusal.empty()) run.session.log.logMessagef("! %s", netrc.refusal.c_str());
  if (!netrc.text) return;
  const std::optional<config::NetrcLogin> login =
      config::FindNetrcLogin(*netrc.text, profile.hostName);
  if (!login || (!profile.userId.empty() && profile.userId != login->login)) return;
  profile.userId = login->login;
  profile.password = login->password;
  if (profile.account.empty()) profile.account = login->account;
}

// An argument as the log may show it: a URL's password blotted out.
std::string shown(std::string argument) {
  if (const auto span = config::FtpUrlPasswordSpan(argument)) {
    argument.replace(span->offset, span->length, "***");
  }
  return argument;
}

// The first argument that cannot be used, named with why; "" when both can.
std::string argumentProblem(const config::CommandLineValues& values,
                            const config::TransferArgument& source,
                            const config::TransferArgument& destination) {
  if (!source.error.empty()) return "source \"" + shown(values.source) + "\": " + source.error;
  if (!destination.error.empty()) {
    return "destination \"" + shown(values.destination) + "\": " + destination.error;
  }
  if (source.kind == ArgumentKind::kLocal && isStandardStream(source.path) &&
      (destination.path.empty() || destination.path.back() == '/')) {
    return "destination \"" + shown(values.destination) +
           "\": standard input needs a remote file name, not a folder";
  }
  return "";
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
  if (const std::string problem = argumentProblem(values, source, destination); !problem.empty()) {
    report(run, values.quiet, "! Unusable argument: " + problem);
    return UnattendedResult::kBadArguments;
  }
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
                               "): " + shown(values.source) + "\nDST(" +
                               std::to_string(static_cast<int>(destination.kind)) +
                               "): " + shown(values.destination);
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

  const std::string givenPassword = profile.password;
  applySite(run, host);
  applyUrlLogon(run, direction == Direction::kReceive ? source : destination, givenPassword);
  applyNetrc(run);
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

  // The remote path was typed in UTF-8; the server gets it in its charset.
  const bool receiving = direction == Direction::kReceive;
  const std::optional<std::string> remotePath =
      session::wireNameOrRefuse(session, receiving ? sourcePath : destinationPath);
  int step = !remotePath ? kStepFailed
                         : transferStep(run, values, direction,
                                        receiving ? *remotePath : sourcePath,
                                        receiving ? destinationPath : *remotePath);
  if (step == kStepRemoteFolder) {
    step = kStepFailed;
    if (profile.hostType != kBullCp6 && session::sendCommand(session, session.state.controlSocket,
                                                             "CWD %s", remotePath->c_str()) == 2) {
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
  const char* const towards = direction == Direction::kReceive ? " from " : " to ";
  report(run, values.quiet, "! Transfer failed for " + sourcePath + towards + profile.hostName);
  return UnattendedResult::kFailed;
}

int UnattendedExitStatus(UnattendedResult result) {
  switch (result) {
    case UnattendedResult::kFailed:
      return 1;
    case UnattendedResult::kBadArguments:
      return 2;
    case UnattendedResult::kSucceeded:
    case UnattendedResult::kStayConnected:
      return 0;
  }
  return 1;
}

bool PrintRemoteFolderListing(UnattendedRun& run, std::FILE* out, bool json) {
  session::Session& session = run.session;
  const int control = session.state.controlSocket;
  const config::SiteProfile& profile = session.state.sessionProfile;
  listing::ListingSource source{profile.hostType, {}, profile.userId};
  // Some formats name entries relative to the folder they list.
  if (session::printRemoteFolder(session, control) == 2) {
    source.remoteFolder = listing::FolderFromPwdReply(session.state.replyLine);
  }
  std::error_code error;
  std::optional<platform::TempFile> list =
      platform::TempFile::create(platform::tempFolder(), "DIR", error);
  if (!list) return false;
  const std::string command = listing::ListingCommand(profile.hostType, {});
  if (transfer::ReceiveToFile(run.transfer, control, command, list->path(), 'A', false) != 2 ||
      run.transfer.state.transferResult == transfer::kBrokenOff) {
    return false;
  }
  std::fflush(out);
  bool written = true;
  const bool decoded = listing::DecodeListingEntries(
      run.session.log, list->path(), source, [&](const ListingEntry& entry) {
        const std::string line =
            session::escapeControlCharacters(tools::FormatEntry(entry, json)) + '\n';
        written = written && std::fwrite(line.data(), 1, line.size(), out) == line.size();
      });
  return decoded && written && std::fflush(out) == 0;
}

}  // namespace ferrix::shell
