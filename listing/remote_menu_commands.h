// The commands of the "FTP Commands" menu that need a data connection or the
// panes: LIST and NLST (the raw listing kept in the "DIR" file for the
// viewer), QUOTE (a typed command sent as it stands, or a typed LIST, NLST or
// MLSD received as a listing into the remote pane), RETR and STOR (a typed
// file name received into, or sent from, the local folder). The menu
// commands that are a bare exchange live in session/remote_commands.h.
//
// RawListingFile owns the "DIR" temporary file of these listings; the window
// makes one and keeps it until it closes. Thread rule: the engine thread.
#pragma once

#include <optional>
#include <string>
#include <system_error>

#include "listing/pane_commands.h"
#include "listing/remote_listing.h"
#include "platform/ini_file.h"
#include "platform/temp_file.h"
#include "transfer/transfer_log.h"
#include "transfer/transfer_outcome.h"

namespace ferrix::listing {

class RawListingFile {
 public:
  explicit RawListingFile(std::string tempFolder) : tempFolder_(std::move(tempFolder)) {}
  // The file's path, made on first use; nothing, with `error` set, when it
  // cannot be made.
  std::optional<std::string> path(std::error_code& error);

 private:
  std::string tempFolder_;
  std::optional<platform::TempFile> file_;
};

// Receives "LIST" or "NLST" (with the remote mask as argument) into the raw
// listing file. Returns its path for the viewer, or nothing when the listing
// failed (logged, with the error sound).
std::optional<std::string> listMenuCommand(RemoteListing& listing, RawListingFile& raw);
std::optional<std::string> nlstMenuCommand(RemoteListing& listing, RawListingFile& raw);

// Asks "Enter command for remote site:". A typed LIST, NLST or MLSD (any
// case) is received into the raw listing file and decoded into the remote
// pane; anything else is sent as typed. Returns the reply class (2 for a
// listing received), 0 when cancelled or not sent.
int quoteMenuCommand(RemoteListing& listing, RawListingFile& raw);

// What a menu transfer records: resume records and the transfer log.
struct MenuTransferFiles {
  platform::IniFile& ini;
  const transfer::TransferLogSettings& log;
};

// Asks for a remote file name and receives it into the local folder, which
// is listed again after a success. Returns the receive's result (skipped when
// cancelled).
transfer::TransferOutcome retrMenuCommand(PaneCommands& commands, const MenuTransferFiles& files);
// Asks for a local file name (relative to the local folder, or a path) and
// sends it into the remote folder, fetched again after a success when
// DOUPDATE is on. Returns the send's result (skipped when
// cancelled).
transfer::TransferOutcome storMenuCommand(PaneCommands& commands, const MenuTransferFiles& files);

}  // namespace ferrix::listing
