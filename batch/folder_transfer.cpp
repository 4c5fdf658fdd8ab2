#include "batch/folder_transfer.h"

#include <algorithm>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/ascii_text.h"
#include "resources/strings.h"
#include "session/message_log.h"
#include "session/name_charset.h"
#include "session/remote_commands.h"
#include "session/sound_events.h"
#include "transfer/receive_file.h"
#include "transfer/send_file.h"

namespace ferrix::batch {
namespace {

namespace fs = std::filesystem;
namespace strings = resources::string_id;
using listing::PaneItem;

const char* text(int id) { return resources::loadString(id).data(); }

session::Session& sessionOf(BatchTransfer& batch) { return batch.remote.transfer.session; }

// A name the server gave that may become a local folder inside the current
// one.
bool isPlainFolderName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

bool isWithin(const fs::path& path, const fs::path& folder) {
  const auto [folderEnd, pathEnd] =
      std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
  return folderEnd == folder.end();
}

bool enterLocalFolder(BatchTransfer& batch, const fs::path& folder) {
  std::error_code error;
  if (!fs::is_directory(folder, error)) return false;
  batch.local.folder = folder;
  return true;
}

bool enterRemoteFolder(BatchTransfer& batch, std::string_view folder) {
  session::Session& session = sessionOf(batch);
  return session::changeRemoteFolder(session, batch.remote.transfer.userInterface,
                                     session.state.controlSocket, folder) == 2;
}

// Lists the current remote folder anew; false when no listing arrived.
bool fetchRemoteListing(BatchTransfer& batch) {
  listing::FetchRemoteListing(batch.remote, false);
  return batch.remote.pane.size() != 0;
}

bool returnToRemoteFolder(BatchTransfer& batch, const std::string& folder) {
  if (!enterRemoteFolder(batch, folder)) {
    sessionOf(batch).log.logMessagef(text(strings::kCannotReturnToRemoteFolder), folder.c_str());
    return false;
  }
  fetchRemoteListing(batch);
  return true;
}

bool returnToLocalFolder(BatchTransfer& batch, const fs::path& folder) {
  const bool returned = enterLocalFolder(batch, folder);
  if (!returned) {
    sessionOf(batch).log.logMessagef(text(strings::kCannotReturnToLocalFolder),
                                     folder.string().c_str());
  }
  RefreshLocalPane(batch);
  return returned;
}

// A walk reads its listing before it recurses, which lists other folders
// into the same pane.
std::vector<PaneItem> entriesOf(const listing::PaneModel& pane) { return pane.items(); }

// A file counts as handled when it arrived whole or was skipped by the
// rules (or the person), while the batch still runs.
bool handled(BatchTransfer& batch, transfer::TransferOutcome outcome) {
  return (outcome == transfer::TransferOutcome::kSucceeded ||
          outcome == transfer::TransferOutcome::kSkipped) &&
         !BatchStopping(batch);
}

// The remote folders a download walk has entered, outermost first.
using RemoteWalk = std::vector<std::string>;

int downloadFolder(BatchTransfer& batch, const std::string& name, RemoteWalk& walk);

int downloadEntries(BatchTransfer& batch, const std::vector<PaneItem>& entries, RemoteWalk& walk) {
  transfer::TransferContext& transfer = BatchContext(batch);
  const auto count = static_cast<unsigned>(entries.size());
  int result = 1;
  for (std::size_t i = 0; i < entries.size() && result == 1; ++i) {
    const PaneItem& item = entries[i];
    const std::string name(item.name());
    if (BatchStopping(batch)) return 0;
    if (item.isParent() || item.kind == listing::kKindDrive) continue;
    if (item.kind == listing::kKindFolder) {
      result = downloadFolder(batch, name, walk);
      continue;
    }
    SetCurrentEntry(transfer.state, item);
    const PaneDestination localPane(batch.local.pane);
    const transfer::TransferOutcome received =
        transfer::ReceiveFile(transfer, DownloadFiles(batch, localPane), name,
                              static_cast<unsigned>(i + 1), count, false, false);
    if (transfer.state.transferResult == transfer::kRefusedLink) {
      result = downloadFolder(batch, name, walk);
    } else {
      result = handled(batch, received) ? 1 : 0;
    }
  }
  return result;
}

// A link inside a folder being sent is followed only to a place within that
// folder, and never to a folder that holds the link (which would recurse
// without end).
bool mayFollow(BatchTransfer& batch, const fs::path& path, const fs::path& root) {
  std::error_code error;
  if (!fs::is_symlink(fs::symlink_status(path, error))) return true;
  const fs::path target = fs::canonical(path, error);
  session::MessageLog& log = sessionOf(batch).log;
  if (error || !isWithin(target, root)) {
    log.logMessagef("! %s: the link leads out of the folder being sent, skipped",
                    path.string().c_str());
    return false;
  }
  const fs::path here = fs::canonical(batch.local.folder, error);
  if (fs::is_directory(target, error) && isWithin(here, target)) {
    log.logMessagef("! %s: the link leads back into its own folder, skipped",
                    path.string().c_str());
    return false;
  }
  return true;
}

int uploadFolder(BatchTransfer& batch, const std::string& name, const fs::path& root);

int uploadEntries(BatchTransfer& batch, const std::vector<PaneItem>& entries,
                  const fs::path& root) {
  transfer::TransferContext& transfer = BatchContext(batch);
  const auto count = static_cast<unsigned>(entries.size());
  int result = 1;
  for (std::size_t i = 0; i < entries.size() && result == 1; ++i) {
    const PaneItem& item = entries[i];
    const std::string name(item.name());
    if (BatchStopping(batch)) return 0;
    if (item.isParent() || item.kind == listing::kKindDrive) continue;
    const fs::path path = batch.local.folder / name;
    if (!mayFollow(batch, path, root)) continue;
    if (item.kind == listing::kKindFolder) {
      result = uploadFolder(batch, name, root);
      continue;
    }
    SetCurrentEntry(transfer.state, item);
    const PaneDestination remotePane(batch.remote.pane);
    const transfer::TransferOutcome sent =
        transfer::SendFile(transfer, UploadFiles(batch, remotePane), path.string(),
                           static_cast<unsigned>(i + 1), count, false, false);
    result = handled(batch, sent) ? 1 : 0;
  }
  return result;
}

std::string remoteFolderName(const BatchTransfer& batch, std::string name) {
  if (batch.remote.transfer.nameRules.forceLowercase) {
    std::transform(name.begin(), name.end(), name.begin(), platform::lowerAscii);
  }
  return name;
}

int uploadFolder(BatchTransfer& batch, const std::string& name, const fs::path& root) {
  session::Session& session = sessionOf(batch);
  session.state.abortRequested = 0;
  const std::string rememberedRemote = batch.remote.remoteFolder;
  const fs::path rememberedLocal = batch.local.folder;
  if (!enterLocalFolder(batch, rememberedLocal / name)) {
    session.log.logMessagef("! %s %s", text(strings::kCannotEnterLocalFolder), name.c_str());
    PlayBatchSound(batch, session::sound_event::kActionFailed);
    return 0;
  }
  RefreshLocalPane(batch);
  const std::optional<std::string> remoteName =
      session::wireNameOrRefuse(session, remoteFolderName(batch, name));
  if (remoteName) session::makeRemoteFolder(session, session.state.controlSocket, *remoteName);
  if (!remoteName || !enterRemoteFolder(batch, *remoteName)) {
    enterLocalFolder(batch, rememberedLocal);
    RefreshLocalPane(batch);
    return 0;
  }
  int result =
      fetchRemoteListing(batch) ? uploadEntries(batch, entriesOf(batch.local.pane), root) : 0;
  if (result == 1) fetchRemoteListing(batch);
  if (!returnToRemoteFolder(batch, rememberedRemote)) result = 0;
  if (!returnToLocalFolder(batch, rememberedLocal)) result = 0;
  return result;
}

// Walks the listing just fetched, unless the folder is one the walk is
// already in (a link back up the tree), which would never end.
int downloadEntriesOnce(BatchTransfer& batch, const std::string& parent, RemoteWalk& walk) {
  const std::string& here = batch.remote.remoteFolder;
  walk.push_back(parent);
  int result = 1;
  if (here != listing::kFolderUnavailable &&
      std::find(walk.begin(), walk.end(), here) != walk.end()) {
    sessionOf(batch).log.logMessagef("! %s: the folder leads back into one that holds it, skipped",
                                     here.c_str());
  } else {
    result = downloadEntries(batch, entriesOf(batch.remote.pane), walk);
  }
  walk.pop_back();
  return result;
}

// `name` is the server's bytes, which the remote commands use; the local
// folder gets its UTF-8 form.
int downloadFolder(BatchTransfer& batch, const std::string& name, RemoteWalk& walk) {
  session::Session& session = sessionOf(batch);
  session.state.abortRequested = 0;
  const std::string localName = session::shownName(session.state, name);
  if (!isPlainFolderName(name) || !isPlainFolderName(localName)) {
    session.log.logMessagef("! Folder \"%s\" is not a plain name, skipped", localName.c_str());
    return 1;
  }
  const std::string rememberedRemote = batch.remote.remoteFolder;
  const fs::path rememberedLocal = batch.local.folder;
  std::error_code error;
  fs::create_directory(rememberedLocal / localName, error);
  if (!enterLocalFolder(batch, rememberedLocal / localName)) {
    session.log.logMessagef("! %s %s", text(strings::kCannotMakeLocalFolder), localName.c_str());
    PlayBatchSound(batch, session::sound_event::kActionFailed);
    return 0;
  }
  RefreshLocalPane(batch);
  int result = 0;
  if (!enterRemoteFolder(batch, name)) {
    session.log.logMessagef(text(strings::kCannotEnterRemoteFolder), localName.c_str());
  } else {
    if (fetchRemoteListing(batch)) result = downloadEntriesOnce(batch, rememberedRemote, walk);
    session.log.logMessage(text(strings::kFolderTransferComplete));
    if (!returnToRemoteFolder(batch, rememberedRemote)) result = 0;
  }
  if (!returnToLocalFolder(batch, rememberedLocal)) result = 0;
  return result;
}

}  // namespace

FolderTransferScope::FolderTransferScope(BatchTransfer& batch)
    : batch_(batch),
      hash_(batch.remote.transfer.status.hash()),
      playSound_(std::exchange(batch.remote.transfer.session.playSound, nullptr)) {
  batch.remote.transfer.status.setHash(false);
  batch.remote.transfer.state.FolderTransferActive = true;
  batch.gestures.invertPrompt = false;
}

FolderTransferScope::~FolderTransferScope() {
  batch_.remote.transfer.state.FolderTransferActive = false;
  batch_.remote.transfer.status.setHash(hash_);
  batch_.remote.transfer.session.playSound = std::move(playSound_);
}

int DownloadFolder(BatchTransfer& batch, const std::string& name) {
  RemoteWalk walk;
  return downloadFolder(batch, name, walk);
}

int UploadFolder(BatchTransfer& batch, const std::string& name) {
  std::error_code error;
  const fs::path root = fs::weakly_canonical(batch.local.folder / name, error);
  return uploadFolder(batch, name, error ? batch.local.folder / name : root);
}

}  // namespace ferrix::batch
