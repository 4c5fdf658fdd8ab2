#include "shell/desktop/local_file_commands.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>

#include "platform/ascii_text.h"
#include "platform/process.h"
#include "resources/strings.h"
#include "session/control_channel.h"
#include "transfer/receive_file.h"

namespace ferrix::desktop {
namespace {

constexpr std::string_view kViewerPrompt = "Enter ASCII file viewer program pathname:";
constexpr std::size_t kMaxFolderNameInHeading = 179;
constexpr int kFirstFolderKind = 4;
constexpr int kTransferSucceeded = 2;

bool isFolderKind(int kind) { return kind >= kFirstFolderKind; }
// Odd folder kinds are the ones that can be entered.
bool isEnterableFolder(int kind) { return isFolderKind(kind) && kind % 2 == 1; }

bool isProgramExtension(std::string_view extension) {
  for (std::string_view program : {"exe", "com", "bat", "pif"}) {
    if (platform::equalsIgnoringCase(extension, program)) return true;
  }
  return false;
}

std::string folderInfoLine(const std::string& name, const struct stat& status) {
  std::tm local{};
  const std::time_t modified = status.st_mtime;
  localtime_r(&modified, &local);
  const unsigned year = static_cast<unsigned>(local.tm_year + 1900);
  const unsigned month = static_cast<unsigned>(local.tm_mon + 1);
  const unsigned day = static_cast<unsigned>(local.tm_mday);
  const unsigned hour = static_cast<unsigned>(local.tm_hour);
  const unsigned minute = static_cast<unsigned>(local.tm_min);
  char line[128];
  if (S_ISDIR(status.st_mode)) {
    std::snprintf(line, sizeof line, "%-30.30s <DIR>      %04u-%02u-%02u  %2u:%02u\n",
                  name.c_str(), year, month, day, hour, minute);
  } else {
    std::snprintf(line, sizeof line, "%-30.30s %10llu %04u-%02u-%02u  %2u:%02u\n", name.c_str(),
                  static_cast<unsigned long long>(status.st_size), year, month, day, hour,
                  minute);
  }
  return line;
}

}  // namespace

LocalFileCommands::LocalFileCommands(config::Configuration& configuration,
                                     DesktopServices& services,
                                     session::UserInterface& userInterface,
                                     session::MessageLog& log, TemporaryFiles& temporaryFiles,
                                     AskAssociation askAssociation)
    : configuration_(configuration),
      services_(services),
      userInterface_(userInterface),
      log_(log),
      temporaryFiles_(temporaryFiles),
      askAssociation_(std::move(askAssociation)),
      associations_(configuration.winIni()) {}

CommandRules LocalFileCommands::commandRules() const {
  return CommandRules{configuration_.viewer(), configuration_.settings().UseFindExec != 0,
                      &associations_, &services_};
}

void LocalFileCommands::start(std::string_view commandLine) {
  services_.startCommand(commandLine);
}

bool LocalFileCommands::viewFile(std::string_view path, std::string_view program) {
  const std::string viewer = program.empty() ? configuration_.viewer() : std::string(program);
  if (services_.startCommand(ViewerCommand(viewer, path))) return true;
  if (!builtInViewer_) return false;
  std::ifstream in{std::string(path), std::ios::binary};
  if (!in) {
    log_.logMessagef("! cannot read %.*s", static_cast<int>(path.size()), path.data());
    return false;
  }
  std::string text(kBuiltInViewerLimit, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  log_.logMessagef("+ No viewer could be started (%s); the text is shown in the built-in viewer",
                   viewer.c_str());
  builtInViewer_(std::filesystem::path(path).filename().string(), std::move(text));
  return true;
}

void LocalFileCommands::executeFile(const std::string& path, bool ctrlHeld) {
  if (ctrlHeld) {
    CommandRules rules = commandRules();
    rules.useFindExec = true;
    std::string command =
        BuildCommand(rules, path, path).value_or(platform::quotedWord(path));
    if (userInterface_.inputBox(&command,
                                resources::loadString(resources::string_id::kEnterCommandLine),
                                0)) {
      start(command);
    }
    return;
  }
  const unsigned result = services_.openDocument(path);
  if (result >= kOpenFirstSuccess) return;
  log_.logMessagef("+ ShellExecute return %u", result);
  executeAfterFailedOpen(path);
}

void LocalFileCommands::executeAfterFailedOpen(const std::string& path) {
  // The first dot: "a.b.doc" looks for "b.doc" here, unlike the command rules.
  const std::string extension(extensionAfterFirstDot(path));
  if (extension.empty()) return;
  if (isProgramExtension(extension)) {
    start(platform::quotedWord(path));
    return;
  }
  std::optional<std::string> command = associations_.command(extension);
  if (!command && askAssociation_ && askAssociation_(extension)) {
    command = associations_.command(extension);
  }
  if (command) start(FormAssociatedCommand(*command, path));
}

std::optional<std::string> LocalFileCommands::askViewer(FileAction action, bool ctrlHeld) {
  if (action != FileAction::kView || !ctrlHeld) return std::string();
  std::string viewer = configuration_.viewer();
  if (!userInterface_.inputBox(&viewer, kViewerPrompt, 0)) return std::nullopt;
  return viewer;
}

SelectionOutcome LocalFileCommands::viewOrExecuteLocal(const std::filesystem::path& folder,
                                                       const std::vector<SelectedEntry>& selection,
                                                       FileAction action, bool ctrlHeld) {
  SelectionOutcome outcome;
  if (selection.empty()) return outcome;
  std::optional<std::string> viewer = askViewer(action, ctrlHeld);
  if (!viewer) return outcome;
  for (const SelectedEntry& entry : selection) {
    if (isFolderKind(entry.kind)) {
      if (selection.size() == 1 && isEnterableFolder(entry.kind)) {
        outcome.changeFolderTo = entry.name;
        return outcome;
      }
      continue;
    }
    open((folder / entry.name).string(), action, *viewer, ctrlHeld);
  }
  return outcome;
}

void LocalFileCommands::open(const std::string& path, FileAction action,
                             const std::string& viewer, bool ctrlHeld) {
  if (action == FileAction::kView) {
    viewFile(path, viewer);
  } else {
    executeFile(path, ctrlHeld);
  }
}

SelectionOutcome LocalFileCommands::viewOrExecuteRemote(RemoteSource source,
                                                        const std::vector<SelectedEntry>& selection,
                                                        FileAction action, bool ctrlHeld) {
  SelectionOutcome outcome;
  session::Session& session = source.transfer.session;
  if (selection.empty() || session.state.commandInProgress) return outcome;
  std::optional<std::string> viewer = askViewer(action, ctrlHeld);
  if (!viewer) return outcome;
  for (const SelectedEntry& entry : selection) {
    if (isFolderKind(entry.kind)) {
      if (selection.size() == 1 && isEnterableFolder(entry.kind)) {
        outcome.changeFolderTo = entry.name;
        return outcome;
      }
      continue;
    }
    std::error_code error;
    std::optional<platform::TempFile> file =
        temporaryFiles_.create(kDisplayPrefix, entry.name, error);
    if (!file) continue;
    // A link refused as a file may be a folder; the receive tells by the kind.
    source.transfer.state.currentEntry = transfer::CurrentEntry{};
    source.transfer.state.currentEntry.kind = entry.kind;
    source.transfer.state.currentEntry.size = entry.size;
    const int result =
        transfer::ReceiveToFile(source.transfer, source.controlSocket, "RETR " + entry.name,
                                file->path(), source.transfer.state.transferMode, false);
    if (result == kTransferSucceeded) {
      const std::string path = file->path();
      temporaryFiles_.adopt(std::move(*file));
      open(path, action, *viewer, ctrlHeld);
    } else if (source.transfer.state.transferResult == transfer::kRefusedLink &&
               selection.size() == 1) {
      outcome.refreshRemote =
          session::sendCommandText(session, source.controlSocket, "CWD " + entry.name) ==
          kTransferSucceeded;
    }
    outcome.refreshLocal = true;
  }
  return outcome;
}

std::string FolderInfoText(const std::filesystem::path& folder) {
  std::string text = " Directory of ";
  text += folder.string().substr(0, kMaxFolderNameInHeading);
  text += "\n\n";
  std::unique_ptr<DIR, int (*)(DIR*)> listing(opendir(folder.c_str()), closedir);
  if (!listing) return text;
  while (dirent* entry = readdir(listing.get())) {
    const std::string name = entry->d_name;
    const std::string path = (folder / name).string();
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 && lstat(path.c_str(), &status) != 0) continue;
    text += folderInfoLine(name, status);
  }
  return text;
}

bool LocalFileCommands::showLocalFolderInfo(const std::filesystem::path& folder) {
  std::error_code error;
  // A ".txt" name lets the desktop's opener pick a text viewer.
  std::optional<platform::TempFile> file = temporaryFiles_.create(kDisplayPrefix, ".txt", error);
  if (!file) return false;
  {
    std::ofstream out(file->path(), std::ios::binary);
    out << FolderInfoText(folder);
    if (!out.flush()) return false;
  }
  const std::string path = file->path();
  temporaryFiles_.adopt(std::move(*file));
  return viewFile(path);
}

bool LocalFileCommands::showRemoteFolderInfo(bool connected, const std::string& lastListingPath) {
  if (!connected || lastListingPath.empty()) return false;
  return viewFile(lastListingPath);
}

}  // namespace ferrix::desktop
