// EngineSide: everything the window's engine thread works on, and the work
// itself: connect and disconnect, both panes' listings and their folder and
// file commands, the menu's FTP commands, drops, and the selection transfers
// it starts on the transfer worker. It owns the engine's copies of both panes
// (the window shows copies of them), the listing cache, the transfer state
// and the transfer worker.
//
// Each operation runs to its end on the engine thread (blocking in the
// engine); the window then reads the result with takeView(). A selection
// transfer runs on the worker instead and hands its view to the view sink
// when it ends. The window copies its settings into an EngineSetup when it
// posts a job, so the engine never reads widgets or the settings record the
// GUI thread owns.
//
// Thread rule: the engine thread, except the worker's batch, which has the
// panes to itself while TransferThreadBusy is set (the window keeps every
// pane command away meanwhile); transferThreadBusy() is safe from any thread.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch_context.h"
#include "batch/cancelled_entries.h"
#include "batch/drop_handling.h"
#include "batch/transfer_worker.h"
#include "config/command_line.h"
#include "config/configuration.h"
#include "config/folder_history.h"
#include "config/site_profile_store.h"
#include "listing/listing_cache.h"
#include "listing/pane_commands.h"
#include "listing/pane_model.h"
#include "listing/remote_listing.h"
#include "listing/remote_menu_commands.h"
#include "session/remote_commands.h"
#include "session/session_state.h"
#include "session/user_interface.h"
#include "shell/engine/engine_operations.h"
#include "shell/unattended_run.h"
#include "transfer/transfer_context.h"
#include "transfer/transfer_log.h"
#include "transfer/transfer_status.h"

namespace ferrix::shell {

// The settings a job runs with, copied on the GUI thread.
struct EngineSetup {
  transfer::TransferSettings transfer;
  transfer::NameRuleSettings nameRules;
  transfer::TransferLogSettings log;
  char transferMode = 'I';
  bool automaticMode = false;
  bool hash = true;
  bool prompt = false;
  bool doUpdate = true;
  bool verifyDelete = true;
  bool retain = true;
  bool longDir = true;
  std::int32_t localSortValue = 1;
  std::int32_t remoteSortValue = 1;
  std::string localMask;
  std::string remoteMask;
};

// What the panes show after a job.
struct EngineView {
  std::vector<listing::PaneItem> localItems;
  std::vector<std::string> localFolders;
  std::filesystem::path localFolder;
  std::vector<listing::PaneItem> remoteItems;
  std::vector<std::string> remoteFolders;  // as shown (UTF-8)
  std::string remoteFolder;               // the server's bytes
  bool connected = false;
  std::string tlsProtocol;  // "TLSv1.3" while the connection is secured, else empty
  // A raw listing (LIST, NLST) waiting to be shown in the viewer.
  std::optional<std::string> viewFile;
};

class EngineSide {
 public:
  // The rate unit (tranrate) is taken from the settings here, once.
  EngineSide(session::Session& session, session::UserInterface& userInterface,
             config::Configuration& configuration, std::filesystem::path localFolder);

  void setup(const EngineSetup& setup);
  EngineView takeView();
  // Disconnects when the server has ended the control connection. Engine
  // thread with no transfer running, or the transfer worker at its end.
  void noticeServerGone();
  // Where a selection transfer's view goes when it ends (on the worker).
  void setViewSink(std::function<void(EngineView)> sink) { viewSink_ = std::move(sink); }
  // Where the transfer list's entries go (on the engine thread or the
  // worker): every file transfer queued, its progress and its result.
  void setTransferEntrySink(transfer::TransferStatus::EntrySink sink) {
    status_.setEntrySink(std::move(sink));
  }
  transfer::TransferThreadBusy& transferThreadBusy() { return transferThreadBusy_; }
  transfer::TransferContext& transferContext() { return remote_.transfer; }
  bool transferRunning() const { return worker_.running(); }

  // The Connect command from the logon on: retries, the profile's remote
  // folder, the listing (with `showFolder`), the remote folder history, the
  // connect sound and the resume offer. Returns whether it is connected.
  bool connect(bool showFolder);
  // Stops a running transfer ("Aborting thread."), then sends QUIT and
  // closes the connection; the remote pane and the listing cache empty.
  void disconnect();
  // Cancel while no transfer runs: closes the data connection and flushes.
  void cancel();
  // Lists the local folder again; enters `folder` first when given.
  bool listLocal(const std::optional<std::filesystem::path>& folder = std::nullopt);
  // The remote folder box: changes into the folder shown as `shownFolder`
  // (UTF-8, from the box's history or typed) and shows it.
  void enterRemoteFolder(const std::string& shownFolder);
  // Redisplays a pane in its current order and mask, without a new listing.
  void redisplay(listing::PaneSide side);
  // A pane command on `selection`, indices into the pane's items of `side`
  // (chmod acts on the remote pane whatever `side` says).
  void paneCommand(PaneOperation operation, listing::PaneSide side,
                   const listing::Selection& selection);
  // Double-click or Enter: a folder is entered (true); otherwise false.
  bool openEntry(listing::PaneSide side, const listing::Selection& selection);
  // The "FTP Commands" menu.
  void menuCommand(FtpMenuCommand command);
  // Starts the selection transfer on the worker; false while one runs.
  bool startTransfer(bool upload, const listing::Selection& selection, bool append,
                     bool invertPrompt);
  // The transfer list: cancels one entry (by its key; any thread): a queued
  // file is skipped when its turn comes, a running one is broken off (the
  // window requests the cancel) and its batch goes on.
  void cancelEntry(std::string key) { cancelledEntries_.add(std::move(key)); }
  // Resumes a failed or cancelled download of the list on the worker; false
  // while a transfer runs.
  bool resumeDownload(const transfer::TransferEntry& entry);
  void drop(const batch::Drop& drop, const listing::Selection& sourceSelection);
  // The command-line transfer run in the window; a run that ends connected
  // shows the remote folder it reached.
  UnattendedResult runUnattended(const config::CommandLineValues& values,
                                 config::SiteProfileStore& sites);
  // Exit: stops a running transfer and disconnects.
  void shutDown();

 private:
  listing::PaneCommands paneCommands();
  std::optional<std::string> remoteFolderShownAs(const std::string& shown);
  void afterConnect();

  session::Session& session_;
  session::UserInterface& userInterface_;
  config::Configuration& configuration_;
  EngineSetup setup_;
  transfer::TransferState state_;
  transfer::TransferStatus status_;
  listing::ListingCache cache_;
  listing::RawListingFile rawListing_;
  listing::PaneModel remotePane_;
  config::MemoryFolderList remoteFolders_;
  listing::PaneModel localPane_;
  config::MemoryFolderList localFolders_;
  transfer::TransferThreadBusy transferThreadBusy_;
  // The local pane with its folder and listing options, shared by the
  // batches and the pane commands.
  batch::LocalSide local_;
  listing::RemoteListing remote_;
  batch::BatchSettings batchSettings_;
  batch::BatchGestures gestures_;
  batch::CancelledEntries cancelledEntries_;
  batch::BatchTransfer batch_;
  listing::PaneCommandSettings commandSettings_;
  session::RememberedPermissions permissions_;
  std::optional<std::string> viewFile_;
  std::function<void(EngineView)> viewSink_;
  // Declared last: stopped first, while everything its batch uses still lives.
  batch::TransferWorker worker_;
};

}  // namespace ferrix::shell
