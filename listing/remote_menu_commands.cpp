#include "listing/remote_menu_commands.h"

#include <string_view>

#include "listing/listing_decoder.h"
#include "listing/local_file_commands.h"
#include "platform/ascii_text.h"
#include "session/control_channel.h"
#include "session/message_log.h"
#include "session/name_charset.h"
#include "session/sound_events.h"
#include "transfer/overwrite_decision.h"
#include "transfer/receive_file.h"
#include "transfer/send_file.h"

namespace ferrix::listing {
namespace {

constexpr int kQuoteHelpTopic = 710;
constexpr int kStorHelpTopic = 630;
constexpr int kRetrHelpTopic = 640;
constexpr const char* kDoDirListFailed = "! DoDirList returned %u";
constexpr const char* kCannotMakeListingFile = "! Cannot make a temporary file for the listing: %s";

void soundActionFailed(session::Session& session) {
  if (session.playSound) session.playSound(session::sound_event::kActionFailed);
}

bool isListingCommand(std::string_view text) {
  return platform::startsWithIgnoringCase(text, "LIST") ||
         platform::startsWithIgnoringCase(text, "NLST") ||
         platform::startsWithIgnoringCase(text, "MLSD");
}

// Receives `command` into the raw listing file; its path, or nothing after
// logging why not.
std::optional<std::string> receiveRaw(RemoteListing& listing, RawListingFile& raw,
                                      std::string_view command) {
  session::Session& session = listing.transfer.session;
  std::error_code error;
  std::optional<std::string> path = raw.path(error);
  if (!path) {
    session.log.logMessagef(kCannotMakeListingFile, error.message().c_str());
    soundActionFailed(session);
    return std::nullopt;
  }
  const int result = DoDirList(listing, command, *path);
  if (result != 2) {
    session.log.logMessagef(kDoDirListFailed, static_cast<unsigned>(result));
    soundActionFailed(session);
    return std::nullopt;
  }
  return path;
}

std::optional<std::string> rawListing(RemoteListing& listing, RawListingFile& raw,
                                      std::string_view verb) {
  std::string command(verb);
  const std::string mask = RemoteMaskArgument(listing.remoteMask);
  if (!mask.empty()) command += ' ' + mask;
  return receiveRaw(listing, raw, command);
}

// The entries of the remote pane, for the overwrite decision of an upload.
transfer::ListedEntries remoteEntries(const PaneModel& pane) {
  transfer::ListedEntries entries;
  for (const PaneItem& item : pane.items()) {
    entries.add(std::string(item.name()), item.kind,
                {item.year, item.month, item.day, item.hour, item.minute, item.size});
  }
  return entries;
}

}  // namespace

std::optional<std::string> RawListingFile::path(std::error_code& error) {
  if (!file_) file_ = platform::TempFile::create(tempFolder_, "DIR", error);
  if (!file_) return std::nullopt;
  return file_->path();
}

std::optional<std::string> listMenuCommand(RemoteListing& listing, RawListingFile& raw) {
  return rawListing(listing, raw, "LIST");
}

std::optional<std::string> nlstMenuCommand(RemoteListing& listing, RawListingFile& raw) {
  return rawListing(listing, raw, "NLST");
}

int quoteMenuCommand(RemoteListing& listing, RawListingFile& raw) {
  session::Session& session = listing.transfer.session;
  std::string text;
  if (!listing.transfer.userInterface.inputBox(&text,
                                               "Enter command for remote site:", kQuoteHelpTopic)) {
    return 0;
  }
  if (!isListingCommand(text)) {
    return session::sendCommandText(session, session.state.controlSocket, text);
  }
  // Kept apart from the listing cache: the typed arguments may list another
  // folder than the one whose listing the cache keeps.
  listing.pane.clear();
  const std::optional<std::string> path = receiveRaw(listing, raw, text);
  if (!path) return 0;
  DecodeListingFile(session, *path, listing.remoteFolder, listing.transfer.nameRules, listing.pane);
  return 2;
}

transfer::TransferOutcome retrMenuCommand(PaneCommands& commands, const MenuTransferFiles& files) {
  transfer::TransferContext& transfer = commands.remote.transfer;
  std::string name;
  if (!transfer.userInterface.inputBox(
          &name, "Enter remote file name to transfer to local system:", kRetrHelpTopic) ||
      name.empty()) {
    return transfer::TransferOutcome::kSkipped;
  }
  const std::optional<std::string> wire = session::wireNameOrRefuse(transfer.session, name);
  if (!wire) return transfer::TransferOutcome::kFailed;
  const transfer::LocalFolderListing destination(commands.local.folder);
  const transfer::FileTransferContext file{transfer.session.state.controlSocket,
                                           commands.remote.remoteFolder,
                                           commands.local.folder,
                                           destination,
                                           files.ini,
                                           files.log};
  // A typed name is no pane entry: nothing lends it a date or a kind.
  transfer.state.currentEntry = {};
  const transfer::TransferOutcome result =
      transfer::ReceiveFile(transfer, file, *wire, 1, 1, false, false);
  if (result == transfer::TransferOutcome::kSucceeded) {
    ShowLocalFolder(commands.local.folder, commands.local.options, commands.local.pane,
                    commands.local.folderBox);
  }
  return result;
}

transfer::TransferOutcome storMenuCommand(PaneCommands& commands, const MenuTransferFiles& files) {
  transfer::TransferContext& transfer = commands.remote.transfer;
  std::string name;
  if (!transfer.userInterface.inputBox(
          &name, "Enter local file name to transfer to remote site:", kStorHelpTopic) ||
      name.empty()) {
    return transfer::TransferOutcome::kSkipped;
  }
  const transfer::ListedEntries destination = remoteEntries(commands.remote.pane);
  const transfer::FileTransferContext file{transfer.session.state.controlSocket,
                                           commands.remote.remoteFolder,
                                           commands.local.folder,
                                           destination,
                                           files.ini,
                                           files.log};
  transfer.state.currentEntry = {};
  const std::string localPath = ResolveTypedPath(commands.local.folder, name).string();
  const transfer::TransferOutcome result =
      transfer::SendFile(transfer, file, localPath, 1, 1, false, false);
  if (result == transfer::TransferOutcome::kSucceeded && commands.settings.refreshAfterChange) {
    FetchRemoteListing(commands.remote, true);
  }
  return result;
}

}  // namespace ferrix::listing
