// What a multi-file transfer works on: both panes with their current
// folders, the session and transfer state behind the remote listing, the INI
// file of the resume records, the settings a batch reads, and the one-shot
// gestures (append, inverted prompt) the window sets before it starts one.
//
// Selection, folder and drop transfers all take a BatchTransfer. Its parts
// are owned by the program (or a test) and outlive every batch; the batch
// changes the current folders, the panes and the transfer state as it goes.
//
// Thread rule: one batch at a time, on the thread that runs it (a
// TransferWorker or the engine thread); TransferThreadBusy keeps a second one
// out. The gesture flags may be set from any thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "batch/cancelled_entries.h"
#include "config/folder_history.h"
#include "listing/pane_model.h"
#include "listing/remote_listing.h"
#include "platform/ini_file.h"
#include "transfer/file_transfer_context.h"
#include "transfer/transfer_log.h"

namespace ferrix::batch {

// The local pane and the folder it shows, which is the current local folder
// of every transfer. The window lends the same folder and options to the
// pane commands (listing::LocalPane), so both sides see one local folder.
struct LocalSide {
  listing::PaneModel& pane;
  config::FolderList& folderBox;
  listing::LocalListingOptions options;
  std::filesystem::path folder;
};

struct BatchSettings {
  bool prompt = false;    // PROMPT: ask for each destination name
  bool doUpdate = true;   // DOUPDATE: list the remote folder again after an upload
  bool quietRun = false;  // a quiet command-line run: folders go without asking
};

// Set by the window when a transfer command is given; taken (and cleared)
// by the next selection transfer.
struct BatchGestures {
  std::atomic<bool> appendNext = false;    // the append commands
  std::atomic<bool> invertPrompt = false;  // Ctrl or Shift held
};

struct BatchTransfer {
  // The pane selections hold at most this many entries.
  static constexpr std::size_t kMaxSelection = 2048;

  listing::RemoteListing& remote;
  LocalSide& local;
  platform::IniFile& ini;
  const transfer::TransferLogSettings& log;
  const BatchSettings& settings;
  BatchGestures& gestures;
  // Indexes of the selected entries of each pane, in the pane's order.
  std::vector<std::size_t> localSelection;
  std::vector<std::size_t> remoteSelection;
  // Set by TransferWorker::stop; unlike abortRequested no transfer clears it.
  const std::atomic<bool>* stopRequested = nullptr;
  // The transfer list's cancelled entries; none without a list.
  CancelledEntries* cancelledEntries = nullptr;
};

// The pane's entries as the overwrite decision reads a destination.
class PaneDestination final : public transfer::DestinationListing {
 public:
  explicit PaneDestination(const listing::PaneModel& pane) : pane_(pane) {}
  std::optional<transfer::EntryStamp> findFile(std::string_view name) const override;

 private:
  const listing::PaneModel& pane_;
};

// Makes `item` the entry being transferred, whose date and size the
// overwrite decision compares and whose kind tells a link.
void SetCurrentEntry(transfer::TransferState& state, const listing::PaneItem& item);

// True once the batch should end: Cancel (abortRequested) or a stop request.
bool BatchStopping(const BatchTransfer& batch);

// The session's transfer context and the files' context for downloads into
// the current local folder and uploads into the current remote folder.
transfer::TransferContext& BatchContext(BatchTransfer& batch);
transfer::FileTransferContext DownloadFiles(BatchTransfer& batch,
                                            const transfer::DestinationListing& localPane);
transfer::FileTransferContext UploadFiles(BatchTransfer& batch,
                                          const transfer::DestinationListing& remotePane);

// Lists the current local folder into the local pane.
void RefreshLocalPane(BatchTransfer& batch);

// Plays one of the sound events, when sounds are on.
void PlayBatchSound(BatchTransfer& batch, int soundEvent);

}  // namespace ferrix::batch
