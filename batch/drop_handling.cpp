#include "batch/drop_handling.h"

#include <cstdio>
#include <system_error>

#include "batch/selection_transfer.h"
#include "listing/local_file_commands.h"
#include "resources/strings.h"
#include "session/message_log.h"
#include "session/name_charset.h"
#include "session/remote_commands.h"
#include "session/sound_events.h"
#include "transfer/send_file.h"

namespace ferrix::batch {
namespace {

namespace fs = std::filesystem;
namespace strings = resources::string_id;
using listing::PaneItem;

const char* text(int id) { return resources::loadString(id).data(); }

session::Session& sessionOf(BatchTransfer& batch) { return batch.remote.transfer.session; }

const PaneItem* entryUnderPoint(const listing::PaneModel& pane, const Drop& drop) {
  if (!drop.entryUnderPoint || *drop.entryUnderPoint >= pane.size()) return nullptr;
  return &pane.at(*drop.entryUnderPoint);
}

bool isFolderEntry(const PaneItem* entry) {
  return entry != nullptr && entry->kind == listing::kKindFolder;
}

// The last part of a dropped path, after one trailing "/" is removed.
std::string lastPart(std::string path) {
  if (path.ends_with('/')) path.pop_back();
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Holds TransferThreadBusy while a drop uses the connection; refuses the
// drop, with the busy line, while a transfer or a command runs.
class DropGuard {
 public:
  explicit DropGuard(BatchTransfer& batch)
      : busy_(batch.remote.transferThreadBusy), held_(busy_.tryAcquire()) {
    const session::SessionState& state = sessionOf(batch).state;
    if (held_ && state.busy()) {
      busy_.release();
      held_ = false;
    }
    if (!held_) sessionOf(batch).log.logMessagef("! %s", text(strings::kBusyFilesIgnored));
  }
  ~DropGuard() {
    if (held_) busy_.release();
  }
  DropGuard(const DropGuard&) = delete;
  DropGuard& operator=(const DropGuard&) = delete;
  bool refused() const { return !held_; }

 private:
  transfer::TransferThreadBusy& busy_;
  bool held_;
};

void logMoved(BatchTransfer& batch, bool moved, const std::string& from, const std::string& to) {
  session::Session& session = sessionOf(batch);
  const int id = moved ? strings::kMoved : strings::kMoveFailed;
  session.log.logMessagef(text(id), from.c_str(), to.c_str());
  if (!moved) PlayBatchSound(batch, session::sound_event::kActionFailed);
}

// Moves the dropped local entry `path` to `target`, never replacing an entry
// of that name.
bool moveLocalEntry(const std::string& path, const fs::path& target) {
  const fs::path source(path.ends_with('/') ? path.substr(0, path.size() - 1) : path);
  std::error_code error;
  return listing::RenameLocalEntry(source.parent_path(), source.filename().string(), target, error);
}

void moveWithinLocalSide(BatchTransfer& batch, const Drop& drop, const PaneItem& folder) {
  const fs::path destination = batch.local.folder / folder.name();
  for (const std::string& path : drop.paths) {
    const fs::path newPath = destination / lastPart(path);
    logMoved(batch, moveLocalEntry(path, newPath), path, newPath.string());
  }
  RefreshLocalPane(batch);
}

void copyFromOtherProgram(BatchTransfer& batch, const Drop& drop) {
  for (const std::string& path : drop.paths) {
    const fs::path destination = batch.local.folder / lastPart(path);
    std::error_code error;
    if (fs::equivalent(path, destination, error)) continue;
    fs::copy_file(path, destination, fs::copy_options::overwrite_existing, error);
    if (error) {
      sessionOf(batch).log.logMessagef("! Copy of %s to %s failed.", path.c_str(),
                                       destination.string().c_str());
      PlayBatchSound(batch, session::sound_event::kActionFailed);
    }
  }
  RefreshLocalPane(batch);
}

bool refreshesBeforeTransfer(const BatchTransfer& batch) {
  const transfer::TransferSettings& settings = batch.remote.transfer.settings;
  return settings.keepTimes || settings.applyOverwriteRules;
}

void downloadIntoLocalSide(BatchTransfer& batch, const PaneItem* entry) {
  const DropGuard guard(batch);
  if (guard.refused()) return;
  const fs::path previous = batch.local.folder;
  const bool intoFolder = isFolderEntry(entry);
  if (intoFolder) {
    std::error_code error;
    std::optional<fs::path> folder = listing::EnterLocalFolder(previous, entry->name(), error);
    // Files meant for a folder never land beside it.
    if (!folder) {
      sessionOf(batch).log.logMessagef("! %s %s", text(strings::kCannotEnterLocalFolder),
                                       std::string(entry->name()).c_str());
      PlayBatchSound(batch, session::sound_event::kActionFailed);
      return;
    }
    batch.local.folder = std::move(*folder);
    if (refreshesBeforeTransfer(batch)) RefreshLocalPane(batch);
  }
  DownloadSelection(batch);
  if (intoFolder) {
    batch.local.folder = previous;
    RefreshLocalPane(batch);
  }
}

// The full path of the folder entry `name` of the current remote folder, as
// the listing cache knows it.
std::string remoteFolderPath(const std::string& current, std::string_view name) {
  if (name == listing::kParentName) {
    const std::size_t cut = current.find_last_of("/\\");
    if (cut == std::string::npos) return {};
    return cut == 0 ? current.substr(0, 1) : current.substr(0, cut);
  }
  const std::size_t first = current.find_first_of("/\\");
  const char separator = first == std::string::npos ? '/' : current[first];
  if (current.ends_with(separator)) return current + std::string(name);
  return current + separator + std::string(name);
}

bool confirmRemoteMove(BatchTransfer& batch, const Drop& drop, const PaneItem& folder) {
  char question[512];
  std::snprintf(question, sizeof question, text(strings::kMoveItemsQuestion),
                static_cast<unsigned>(drop.paths.size()), std::string(folder.shownName()).c_str());
  return batch.remote.transfer.userInterface.messageBox(
             question, session::kProgramTitle, session::UserInterface::Buttons::kYesNo,
             session::UserInterface::Icon::kQuestion) == session::UserInterface::Answer::kYes;
}

void moveWithinRemoteSide(BatchTransfer& batch, const Drop& drop, const PaneItem& folder) {
  const DropGuard guard(batch);
  if (guard.refused() || !confirmRemoteMove(batch, drop, folder)) return;
  session::Session& session = sessionOf(batch);
  const std::string folderName(folder.name());
  bool movedAny = false;
  for (const std::string& path : drop.paths) {
    const std::string name = lastPart(path);
    if (session::isProtectedEntryName(name)) continue;
    const std::string newPath = folderName + "/" + name;
    const session::RenameOutcome outcome =
        session::renameRemoteEntry(session, session.state.controlSocket, name, newPath);
    if (outcome == session::RenameOutcome::kSkipped) continue;
    logMoved(batch, outcome == session::RenameOutcome::kRenamed,
             session::shownName(session.state, name), session::shownName(session.state, newPath));
    movedAny = movedAny || outcome == session::RenameOutcome::kRenamed;
  }
  if (!movedAny) return;
  batch.remote.cache.forgetFolder(remoteFolderPath(batch.remote.remoteFolder, folderName));
  listing::FetchRemoteListing(batch.remote, false);
}

bool enterRemoteFolder(BatchTransfer& batch, std::string_view folder) {
  session::Session& session = sessionOf(batch);
  return session::changeRemoteFolder(session, batch.remote.transfer.userInterface,
                                     session.state.controlSocket, folder) == 2;
}

// Files from another program go one by one into the current remote folder.
bool uploadDroppedFiles(BatchTransfer& batch, const Drop& drop) {
  transfer::TransferContext& transfer = BatchContext(batch);
  transfer.session.state.abortRequested = 0;
  const auto count = static_cast<unsigned>(drop.paths.size());
  bool sentAny = false;
  for (std::size_t i = 0; i < drop.paths.size() && !BatchStopping(batch); ++i) {
    transfer.state.currentEntry = {};
    const PaneDestination remotePane(batch.remote.pane);
    const transfer::TransferOutcome sent =
        transfer::SendFile(transfer, UploadFiles(batch, remotePane), drop.paths[i],
                 static_cast<unsigned>(i + 1), count, batch.settings.prompt, false);
    if (sent == transfer::TransferOutcome::kSkipped) continue;
    if (sent != transfer::TransferOutcome::kSucceeded) break;
    sentAny = true;
  }
  return sentAny;
}

void uploadToRemoteSide(BatchTransfer& batch, const Drop& drop, const PaneItem* entry) {
  if (sessionOf(batch).state.connected == 0) {
    sessionOf(batch).log.logMessagef("! %s", text(strings::kNotConnectedFilesIgnored));
    return;
  }
  const DropGuard guard(batch);
  if (guard.refused()) return;
  const std::string previous = batch.remote.remoteFolder;
  const bool intoFolder = isFolderEntry(entry);
  if (intoFolder) {
    // Files meant for a folder never land beside it.
    if (!enterRemoteFolder(batch, entry->name())) return;
    if (refreshesBeforeTransfer(batch)) listing::FetchRemoteListing(batch.remote, false);
  }
  bool sentAny = false;
  if (drop.source == DragSource::kLocalPane) {
    UploadSelection(batch);
  } else {
    sentAny = uploadDroppedFiles(batch, drop);
  }
  if (intoFolder) enterRemoteFolder(batch, previous);
  if (intoFolder || (sentAny && batch.settings.doUpdate)) {
    listing::FetchRemoteListing(batch.remote, false);
  }
}

}  // namespace

void HandleDrop(BatchTransfer& batch, const Drop& drop) {
  session::MessageLog& log = sessionOf(batch).log;
  if (drop.target == DropTarget::kOtherWindow) {
    log.logMessagef("+ %s", text(strings::kDropOutsidePanes));
    return;
  }
  batch.remote.transfer.state.OverwriteAllAnswer = 0;
  if (drop.paths.empty()) {
    log.logMessagef("+ %s", text(strings::kDropWithoutFiles));
    return;
  }
  if (drop.target == DropTarget::kLocalPane) {
    const PaneItem* entry = entryUnderPoint(batch.local.pane, drop);
    if (drop.source == DragSource::kLocalPane) {
      if (isFolderEntry(entry)) moveWithinLocalSide(batch, drop, *entry);
    } else if (drop.source == DragSource::kRemotePane) {
      downloadIntoLocalSide(batch, entry);
    } else {
      copyFromOtherProgram(batch, drop);
    }
    return;
  }
  const PaneItem* entry = entryUnderPoint(batch.remote.pane, drop);
  if (drop.source == DragSource::kRemotePane) {
    if (isFolderEntry(entry)) moveWithinRemoteSide(batch, drop, *entry);
    return;
  }
  uploadToRemoteSide(batch, drop, entry);
}

}  // namespace ferrix::batch
