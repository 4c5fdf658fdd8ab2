// RemoteSide: the window's remote work, run on the engine thread: connect
// and disconnect, the remote pane's listings and folder changes, the menu's
// single FTP commands, and file transfers of the selected entries. It owns
// what that work keeps between commands: the transfer state, the listing
// cache, the engine's copy of the remote pane and its folder history.
//
// Each operation runs to its end (blocking in the engine) and then its
// result is read with view(): the items and folder history the window shows
// in the remote pane. The window snapshots its settings into a RemoteSetup
// when it posts a job, so the engine never reads widgets or the settings
// record the GUI thread owns.
//
// Thread rule: every member function runs on the engine thread, except
// transferThreadBusy(), whose flag is safe from any thread.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "config/configuration.h"
#include "config/folder_history.h"
#include "listing/listing_cache.h"
#include "listing/pane_model.h"
#include "listing/remote_listing.h"
#include "session/remote_commands.h"
#include "session/session_state.h"
#include "session/user_interface.h"
#include "transfer/transfer_context.h"
#include "transfer/transfer_log.h"

namespace ferrix::shell {

// The settings a remote job runs with, copied on the GUI thread.
struct RemoteSetup {
  transfer::TransferSettings transfer;
  transfer::NameRuleSettings nameRules;
  transfer::TransferLogSettings log;
  char transferMode = 'I';
  bool automaticMode = false;
  bool hash = true;
  bool bytesPerSecond = false;
  bool prompt = false;
  bool doUpdate = true;
  bool retain = true;
  std::int32_t sortValue = 1;
  std::string remoteMask;
  std::filesystem::path localFolder;
};

// What the remote pane shows after a job.
struct RemoteView {
  std::vector<listing::PaneItem> items;
  std::vector<std::string> folders;
  bool connected = false;
  // Set when the job made another local folder current (a resumed
  // download), or changed files in the local one.
  std::optional<std::filesystem::path> enterLocalFolder;
  bool localChanged = false;
};

// One selected entry as the transfer needs it.
struct SelectedEntry {
  std::string name;  // a remote name, or a local path for uploads
  transfer::CurrentEntry stamp;
};

class RemoteSide {
 public:
  RemoteSide(session::Session& session, session::UserInterface& userInterface,
             config::Configuration& configuration);

  void setup(const RemoteSetup& setup);
  // The remote pane after the job that just ran; clears its one-shot marks.
  RemoteView takeView();
  listing::TransferThreadBusy& transferThreadBusy() { return transferThreadBusy_; }

  // Connect command steps from the logon on: logon with retries, the profile's
  // remote folder, the listing (with `showFolder`), the folder history, the
  // connect sound and the resume offer. Returns whether it is connected.
  bool connect(bool showFolder);
  void disconnect();
  void cancel();
  void refresh();
  // Changes into `folder` and shows it; false when the server refused.
  bool changeFolder(const std::string& folder);
  // Redisplays the fetched listing in the current order and mask.
  void redisplay();
  // Ctrl or Shift held with a transfer command: the next transfer asks the
  // opposite of PROMPT.
  void invertPrompt(bool invert) { setup_.prompt = setup_.prompt != invert; }
  // MkDir: asks for the name, makes the folder, and lists again (DOUPDATE).
  void makeFolder();
  // Rename, move or chmod of the named entries; a rename or move that changed
  // anything lists the folder again (DOUPDATE).
  void entryCommand(int id, const std::vector<std::string>& names);
  // The "FTP Commands" menu: CWD, PWD, HELP, SYST, SITE, RETR, STOR.
  void menuCommand(int id);
  // Receives the selected remote files into the local folder; returns
  // whether every one arrived.
  bool download(const std::vector<SelectedEntry>& entries, bool append);
  // Sends the selected local files; returns whether every one was sent.
  bool upload(const std::vector<SelectedEntry>& entries, bool append);

 private:
  template <typename Work>
  auto withListing(Work work);

  session::Session& session_;
  session::UserInterface& userInterface_;
  config::Configuration& configuration_;
  RemoteSetup setup_;
  transfer::TransferState state_;
  listing::ListingCache cache_;
  listing::PaneModel pane_;
  config::MemoryFolderList folderBox_;
  listing::TransferThreadBusy transferThreadBusy_;
  session::RememberedPermissions permissions_;
  std::string remoteFolder_;
  std::optional<std::filesystem::path> enteredLocalFolder_;
  bool localChanged_ = false;
};

}  // namespace ferrix::shell
