#include "batch/batch_context.h"

#include "platform/ascii_text.h"

namespace ferrix::batch {

std::optional<transfer::EntryStamp> PaneDestination::findFile(std::string_view name) const {
  for (const listing::PaneItem& item : pane_.items()) {
    if (item.kind >= listing::kKindFolder) continue;
    if (!platform::equalsIgnoringCase(item.name(), name)) continue;
    return transfer::EntryStamp{item.year, item.month, item.day, item.hour, item.minute, item.size};
  }
  return std::nullopt;
}

void SetCurrentEntry(transfer::TransferState& state, const listing::PaneItem& item) {
  state.currentEntry = transfer::CurrentEntry{item.kind, item.year,   item.month, item.day,
                                              item.hour, item.minute, item.size};
}

bool BatchStopping(const BatchTransfer& batch) {
  if (batch.remote.transfer.session.state.abortRequested != 0) return true;
  return batch.stopRequested != nullptr && batch.stopRequested->load();
}

transfer::TransferContext& BatchContext(BatchTransfer& batch) { return batch.remote.transfer; }

transfer::FileTransferContext DownloadFiles(BatchTransfer& batch,
                                            const transfer::DestinationListing& localPane) {
  return {batch.remote.transfer.session.state.controlSocket,
          batch.remote.remoteFolder,
          batch.local.folder,
          localPane,
          batch.ini,
          batch.log};
}

transfer::FileTransferContext UploadFiles(BatchTransfer& batch,
                                          const transfer::DestinationListing& remotePane) {
  return {batch.remote.transfer.session.state.controlSocket,
          batch.remote.remoteFolder,
          batch.local.folder,
          remotePane,
          batch.ini,
          batch.log};
}

void RefreshLocalPane(BatchTransfer& batch) {
  listing::ShowLocalFolder(batch.local.folder, batch.local.options, batch.local.pane,
                           batch.local.folderBox);
}

void PlayBatchSound(BatchTransfer& batch, int soundEvent) {
  const auto& playSound = batch.remote.transfer.session.playSound;
  if (playSound) playSound(soundEvent);
}

}  // namespace ferrix::batch
