#include "batch/selection_transfer.h"

#include <algorithm>
#include <optional>
#include <system_error>
#include <vector>

#include "batch/folder_transfer.h"
#include "resources/strings.h"
#include "session/message_log.h"
#include "session/name_charset.h"
#include "session/sound_events.h"
#include "transfer/receive_file.h"
#include "transfer/send_file.h"

namespace ferrix::batch {
namespace {

namespace fs = std::filesystem;
namespace strings = resources::string_id;
using listing::PaneItem;

constexpr int kLocalNameHelpTopic = 630;
constexpr int kRemoteNameHelpTopic = 640;

const char* text(int id) { return resources::loadString(id).data(); }

// What one batch keeps from its start to its end.
struct Batch {
  bool append = false;
  bool prompt = false;
  bool folderQuestionAsked = false;
  bool transferFolders = true;
};

// Takes the gestures and resets the answers of the batch before.
Batch beginBatch(BatchTransfer& batch) {
  transfer::TransferContext& transfer = BatchContext(batch);
  transfer.state.OverwriteAllAnswer = 0;
  transfer.session.state.abortRequested = 0;
  Batch run;
  run.append = batch.gestures.appendNext.exchange(false);
  run.prompt = batch.settings.prompt != batch.gestures.invertPrompt.exchange(false);
  return run;
}

void endBatch(BatchTransfer& batch) {
  transfer::TransferContext& transfer = BatchContext(batch);
  transfer.state.OverwriteAllAnswer = 0;
  transfer.state.BatchFileCount = 0;
}

// The selected entries, read before the batch starts: a folder transfer
// lists other folders into the same panes.
std::vector<PaneItem> selectedItems(BatchTransfer& batch, const listing::PaneModel& pane,
                                    const std::vector<std::size_t>& selection) {
  std::vector<PaneItem> items;
  for (const std::size_t index : selection) {
    if (items.size() == BatchTransfer::kMaxSelection) {
      batch.remote.transfer.session.log.logMessagef(
          "! Only the first %zu selected entries are transferred.", BatchTransfer::kMaxSelection);
      break;
    }
    if (index < pane.size()) items.push_back(pane.at(index));
  }
  return items;
}

// The folder question, asked once per batch.
bool transferFolders(BatchTransfer& batch, Batch& run) {
  if (run.folderQuestionAsked) return run.transferFolders;
  run.folderQuestionAsked = true;
  if (!batch.settings.quietRun) {
    const auto answer = batch.remote.transfer.userInterface.messageBox(
        text(strings::kTransferFoldersQuestion), session::kProgramTitle,
        session::UserInterface::Buttons::kYesNo, session::UserInterface::Icon::kQuestion);
    run.transferFolders = answer == session::UserInterface::Answer::kYes;
  }
  return run.transferFolders;
}

int runFolder(BatchTransfer& batch, const std::string& name, bool upload) {
  const FolderTransferScope scope(batch);
  return upload ? UploadFolder(batch, name) : DownloadFolder(batch, name);
}

void logFolderFailure(BatchTransfer& batch) {
  batch.remote.transfer.session.log.logMessagef("! %s", text(strings::kErrorDuringTransfer));
}

// A file the batch can go on after: transferred, or left alone on purpose.
bool fileHandled(transfer::TransferOutcome outcome) {
  return outcome == transfer::TransferOutcome::kSucceeded ||
         outcome == transfer::TransferOutcome::kSkipped;
}

void refreshRemoteListing(BatchTransfer& batch) {
  listing::FetchRemoteListing(batch.remote, false);
}

bool uploadAskedName(BatchTransfer& batch, const Batch& run) {
  transfer::TransferContext& transfer = BatchContext(batch);
  std::string name;
  if (!transfer.userInterface.inputBox(&name, text(strings::kEnterLocalFileToSend),
                                       kLocalNameHelpTopic)) {
    return false;
  }
  transfer.state.currentEntry = {};
  const PaneDestination remotePane(batch.remote.pane);
  const fs::path path = batch.local.folder / name;
  const transfer::TransferOutcome sent = transfer::SendFile(
      transfer, UploadFiles(batch, remotePane), path.string(), 1, 1, run.prompt, run.append);
  if (!fileHandled(sent)) return false;
  if (batch.settings.doUpdate) refreshRemoteListing(batch);
  PlayBatchSound(batch, session::sound_event::kTransferSucceeded);
  return true;
}

bool downloadAskedName(BatchTransfer& batch, const Batch& run) {
  transfer::TransferContext& transfer = BatchContext(batch);
  std::string name;
  if (!transfer.userInterface.inputBox(&name, text(strings::kEnterRemoteFileToReceive),
                                       kRemoteNameHelpTopic)) {
    return false;
  }
  const std::optional<std::string> wire = session::wireNameOrRefuse(transfer.session, name);
  if (!wire) return false;
  transfer.state.currentEntry = {};
  const PaneDestination localPane(batch.local.pane);
  const transfer::TransferOutcome received = transfer::ReceiveFile(
      transfer, DownloadFiles(batch, localPane), *wire, 1, 1, run.prompt, run.append);
  RefreshLocalPane(batch);
  if (!fileHandled(received)) return false;
  PlayBatchSound(batch, session::sound_event::kTransferSucceeded);
  return true;
}

// The transfer list's entry of a selected file before its turn comes.
transfer::TransferEntry queuedEntry(BatchTransfer& batch, const PaneItem& item, bool upload) {
  transfer::TransferEntry entry;
  entry.download = !upload;
  entry.remoteFolder = batch.remote.remoteFolder;
  // The folder as the transfer of the file will name it.
  entry.localFolder = (batch.local.folder / std::string(item.name())).parent_path().string();
  (upload ? entry.localName : entry.remoteName) = std::string(item.name());
  entry.size = item.size;
  return entry;
}

bool isFile(const PaneItem& item) {
  return !item.isParent() && item.kind != listing::kKindFolder &&
         item.kind != listing::kKindDrive && !item.name().starts_with("[");
}

// Shows the batch's files in the transfer list as queued.
void announceQueued(BatchTransfer& batch, const std::vector<PaneItem>& items, bool upload) {
  if (batch.cancelledEntries == nullptr) return;
  batch.cancelledEntries->clear();
  for (const PaneItem& item : items) {
    if (isFile(item)) BatchContext(batch).status.ShowEntry(queuedEntry(batch, item, upload));
  }
}

// True when the person cancelled this file in the transfer list before its
// turn: the list shows it skipped.
bool cancelledBeforeTurn(BatchTransfer& batch, const PaneItem& item, bool upload) {
  if (batch.cancelledEntries == nullptr) return false;
  transfer::TransferEntry entry = queuedEntry(batch, item, upload);
  if (!batch.cancelledEntries->take(entry.key())) return false;
  entry.state = transfer::TransferEntry::State::kCancelled;
  entry.result = "Cancelled";
  BatchContext(batch).status.ShowEntry(entry);
  return true;
}

// A file cancelled on its own in the transfer list while it ran: the batch
// goes on with the next one.
bool cancelledAlone(BatchTransfer& batch, const PaneItem& item, bool upload,
                    transfer::TransferOutcome outcome) {
  if (outcome != transfer::TransferOutcome::kCancelled || batch.cancelledEntries == nullptr ||
      (batch.stopRequested != nullptr && batch.stopRequested->load())) {
    return false;
  }
  if (!batch.cancelledEntries->take(queuedEntry(batch, item, upload).key())) return false;
  BatchContext(batch).session.state.abortRequested = 0;
  return true;
}

bool localEntryExists(const BatchTransfer& batch, std::string_view name) {
  std::error_code error;
  return fs::exists(fs::symlink_status(batch.local.folder / name, error));
}

}  // namespace

bool UploadSelection(BatchTransfer& batch) {
  Batch run = beginBatch(batch);
  const std::vector<PaneItem> items = selectedItems(batch, batch.local.pane, batch.localSelection);
  if (batch.localSelection.empty()) return uploadAskedName(batch, run);
  transfer::TransferContext& transfer = BatchContext(batch);
  const auto count = static_cast<unsigned>(items.size());
  transfer.state.BatchFileCount = static_cast<int>(count);
  bool allHandled = batch.localSelection.size() <= BatchTransfer::kMaxSelection;
  bool sentAny = false;
  announceQueued(batch, items, true);
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (BatchStopping(batch)) {
      allHandled = false;
      break;
    }
    const PaneItem& item = items[i];
    const std::string name(item.name());
    if (name.starts_with("[") || item.isParent() || !localEntryExists(batch, name)) continue;
    if (item.kind == listing::kKindFolder) {
      if (!transferFolders(batch, run)) continue;
      if (runFolder(batch, name, true) == 0) {
        logFolderFailure(batch);
        allHandled = false;
        break;
      }
      sentAny = true;
      continue;
    }
    if (item.kind == listing::kKindDrive || cancelledBeforeTurn(batch, item, true)) continue;
    SetCurrentEntry(transfer.state, item);
    const PaneDestination remotePane(batch.remote.pane);
    const transfer::TransferOutcome sent = transfer::SendFile(
        transfer, UploadFiles(batch, remotePane), (batch.local.folder / name).string(),
        static_cast<unsigned>(i + 1), count, run.prompt, run.append);
    if (sent == transfer::TransferOutcome::kSkipped || cancelledAlone(batch, item, true, sent)) {
      continue;
    }
    if (!fileHandled(sent)) {
      allHandled = false;
      break;
    }
    sentAny = true;
  }
  if (sentAny && batch.settings.doUpdate) refreshRemoteListing(batch);
  if (allHandled) PlayBatchSound(batch, session::sound_event::kTransferSucceeded);
  endBatch(batch);
  return allHandled;
}

bool DownloadSelection(BatchTransfer& batch) {
  Batch run = beginBatch(batch);
  const std::vector<PaneItem> items =
      selectedItems(batch, batch.remote.pane, batch.remoteSelection);
  if (batch.remoteSelection.empty()) return downloadAskedName(batch, run);
  transfer::TransferContext& transfer = BatchContext(batch);
  const auto count = static_cast<unsigned>(items.size());
  transfer.state.BatchFileCount = static_cast<int>(count);
  bool allHandled = batch.remoteSelection.size() <= BatchTransfer::kMaxSelection;
  announceQueued(batch, items, false);
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (BatchStopping(batch)) {
      allHandled = false;
      break;
    }
    const PaneItem& item = items[i];
    const std::string name(item.name());
    if (item.isParent() || item.kind == listing::kKindDrive) continue;
    bool folder = item.kind == listing::kKindFolder;
    if (!folder && cancelledBeforeTurn(batch, item, false)) continue;
    if (!folder) {
      SetCurrentEntry(transfer.state, item);
      const PaneDestination localPane(batch.local.pane);
      const transfer::TransferOutcome received =
          transfer::ReceiveFile(transfer, DownloadFiles(batch, localPane), name,
                                static_cast<unsigned>(i + 1), count, run.prompt, run.append);
      folder = transfer.state.transferResult == transfer::kRefusedLink;
      if (!folder && !fileHandled(received) && !cancelledAlone(batch, item, false, received)) {
        allHandled = false;
        break;
      }
    }
    if (!folder || !transferFolders(batch, run)) continue;
    if (runFolder(batch, name, false) == 0) {
      logFolderFailure(batch);
      allHandled = false;
      break;
    }
  }
  RefreshLocalPane(batch);
  if (allHandled) PlayBatchSound(batch, session::sound_event::kTransferSucceeded);
  endBatch(batch);
  return allHandled;
}

bool StartUpload(TransferWorker& worker, BatchTransfer& batch) {
  batch.stopRequested = &worker.stopRequested();
  return worker.start([&batch] { UploadSelection(batch); });
}

bool StartDownload(TransferWorker& worker, BatchTransfer& batch) {
  batch.stopRequested = &worker.stopRequested();
  return worker.start([&batch] { DownloadSelection(batch); });
}

}  // namespace ferrix::batch
