#include "listing/remote_listing.h"

#include <ferrixcore.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <system_error>
#include <utility>

#include "listing/host_detection.h"
#include "listing/listing_decoder.h"
#include "listing/listing_format.h"
#include "session/control_channel.h"
#include "session/message_log.h"
#include "session/remote_commands.h"
#include "session/sound_events.h"
#include "transfer/receive_file.h"
#include "transfer/transfer_status.h"

namespace ferrix::listing {

namespace {

constexpr std::size_t kMaxFolderLength = 250;
constexpr const char* kRetrieveFailed = "! Retrieve of folder listing failed (%u)";
constexpr const char* kCannotMakeListingFile = "! Cannot make a temporary file for the listing: %s";

void playActionFailed(session::Session& session) {
  if (session.playSound) session.playSound(session::sound_event::kActionFailed);
}

// Holds TransferThreadBusy for one guarded refresh.
class GuardScope {
 public:
  GuardScope(transfer::TransferThreadBusy& flag, bool useGuard)
      : flag_(flag), held_(useGuard && flag.tryAcquire()), refused_(useGuard && !held_) {}
  ~GuardScope() {
    if (held_) flag_.release();
  }
  GuardScope(const GuardScope&) = delete;
  GuardScope& operator=(const GuardScope&) = delete;
  bool refused() const { return refused_; }

 private:
  transfer::TransferThreadBusy& flag_;
  bool held_;
  bool refused_;
};

bool failureMeansEmptyFolder(int hostType) {
  return hostType == FERRIX_HOST_TYPE_VMS_MULTINET || hostType == FERRIX_HOST_TYPE_VMS_UCX ||
         hostType == FERRIX_HOST_TYPE_IBM_MVS;
}

int receiveListing(transfer::TransferContext& quiet, std::string_view command,
                   const std::string& path, RemotePaneListing* decoded) {
  session::Session& session = quiet.session;
  const int control = session.state.controlSocket;
  const int hostType = session.state.sessionProfile.hostType;
  transfer::BlockObserver decode;
  if (decoded != nullptr) decode = [decoded](std::string_view block) { decoded->feed(block); };
  int result = transfer::ReceiveToFile(quiet, control, command, path, 'A', false, decode);
  if (result == 2 && hostType == FERRIX_HOST_TYPE_QNX2 && command.size() >= 4) {
    // QNX2 lists folders only on NLST; their names follow the LIST output.
    const std::string names = "NLST" + std::string(command.substr(4));
    transfer::ReceiveToFile(quiet, control, names, path, 'A', true, decode);
  }
  if (result != 2 && failureMeansEmptyFolder(hostType)) {
    std::ofstream(path, std::ios::trunc);
    if (decoded != nullptr) decoded->clear();
    result = 2;
  }
  return result;
}

// After a refused MLSD the session lists with LIST; a site whose host type
// was MLSD itself gets its type detected, so that LIST can be read.
void fallBackToList(RemoteListing& listing) {
  session::Session& session = listing.transfer.session;
  session::SessionState& state = session.state;
  state.mlsdRefused = 1;
  if (state.sessionProfile.hostType != FERRIX_HOST_TYPE_MLSD) {
    session.log.logMessage("+ MLSD refused; listing with LIST for this session");
    return;
  }
  session.log.logMessage(
      "+ MLSD refused although the site's host type is MLSD; detecting the host type and "
      "listing with LIST for this session");
  state.sessionProfile.hostType = FERRIX_HOST_TYPE_AUTOMATIC;
  state.DetectionDone = 0;
  DetectHostType(session, listing.transfer.userInterface);
}

// True when the server answered a listing with a wildcard mask by refusing
// it, on a connection that still stands.
bool maskRefused(const session::Session& session, std::string_view remoteMask) {
  const std::string mask = RemoteMaskArgument(remoteMask);
  return !mask.empty() && mask.find_first_of("*?") != std::string::npos &&
         session.state.connected != 0 && session.state.replyCode >= 500 &&
         session.state.replyCode < 600;
}

// MLSD where the session lists with it, falling back to LIST for the session
// when it is refused with 5xx; LIST otherwise; `mask` after the command.
int fetchListing(RemoteListing& listing, const std::string& path,
                 std::optional<RemotePaneListing>* decoded, std::string_view mask) {
  session::Session& session = listing.transfer.session;
  session::SessionState& state = session.state;
  const auto fetch = [&] {
    // Made anew for each command: the fallback lists in another format.
    RemotePaneListing* sink = nullptr;
    if (decoded != nullptr) {
      sink = &decoded->emplace(session, listing.remoteFolder, listing.transfer.nameRules);
    }
    return DoDirList(listing, ListingCommand(ListingHostType(state), mask), path, sink);
  };
  const bool mlsd = ListsWithMlsd(state);
  const int result = fetch();
  if (result == 2 || !mlsd || state.replyCode / 100 != 5 || state.cancelRequested) return result;
  fallBackToList(listing);
  return fetch();
}

void refresh(RemoteListing& listing, bool useGuard, bool useCache) {
  const GuardScope guard(listing.transferThreadBusy, useGuard);
  if (guard.refused()) return;
  session::Session& session = listing.transfer.session;
  const int hostType = session.state.sessionProfile.hostType;
  listing.pane.clear();
  if (session.state.connected == 0) {
    listing.remoteFolder.clear();
    return;
  }
  listing.remoteFolder = std::string(kFolderUnavailable);
  const bool skipPwd = useCache && hostType == FERRIX_HOST_TYPE_CDC_CYBER;
  if (!skipPwd && session::printRemoteFolder(session, session.state.controlSocket) == 2) {
    std::string folder = FolderFromPwdReply(session.state.replyLine);
    if (!folder.empty()) listing.remoteFolder = std::move(folder);
  }
  PushFolderHistory(listing.folderBox, listing.remoteFolder);
  if (session.state.DetectionDone == 0) DetectHostType(session, listing.transfer.userInterface);

  std::error_code error;
  const std::optional<ListingCache::Slot> slot =
      listing.cache.findOrAdd(listing.remoteFolder, error);
  if (!slot) {
    session.log.logMessagef(kCannotMakeListingFile, error.message().c_str());
    playActionFailed(session);
    return;
  }
  const bool fetch = !useCache || !slot->cached || !std::filesystem::exists(slot->path);
  if (!fetch) {
    DecodeListingFile(session, slot->path, listing.remoteFolder, listing.transfer.nameRules,
                      listing.pane);
    return;
  }
  // Decoded while it arrives: the server's time to send it and ours to
  // read it overlap. The file stays the cache of the folder.
  std::optional<RemotePaneListing> decoded;
  int result = fetchListing(listing, slot->path, &decoded, listing.remoteMask);
  std::string localMask;
  if (result != 2 && maskRefused(session, listing.remoteMask)) {
    // Many servers take no pattern after LIST: the whole folder is listed
    // and the mask applied here. The cache would show it unmasked later.
    localMask = RemoteMaskArgument(listing.remoteMask);
    session.log.logMessagef("+ The server refused the mask %s; it is applied to the full listing",
                            localMask.c_str());
    result = fetchListing(listing, slot->path, &decoded, "");
    listing.cache.forget(slot->path);
  }
  if (result != 2) {
    listing.cache.forget(slot->path);
    listing.pane.clear();
    session.log.logMessagef(kRetrieveFailed, static_cast<unsigned>(result));
    playActionFailed(session);
    return;
  }
  decoded->fillPane(listing.pane, localMask);
}

}  // namespace

std::string FolderFromPwdReply(std::string_view replyLine) {
  std::string_view folder;
  if (const std::size_t quote = replyLine.find('"'); quote != std::string_view::npos) {
    folder = replyLine.substr(quote + 1);
  } else if (const std::size_t apostrophe = replyLine.find('\'');
             apostrophe != std::string_view::npos) {
    folder = replyLine.substr(apostrophe + 1);
  } else if (const std::size_t space = replyLine.find(' '); space != std::string_view::npos) {
    folder = replyLine.substr(space);
    folder.remove_prefix(std::min(folder.find_first_not_of(' '), folder.size()));
    folder = folder.substr(0, folder.find(' '));
  }
  folder = folder.substr(0, kMaxFolderLength);
  std::size_t end = folder.find('"');
  if (end == std::string_view::npos) end = folder.find('\'');
  return std::string(folder.substr(0, end));
}

std::string ListingCommand(int hostType, std::string_view remoteMask) {
  std::string command = hostType == FERRIX_HOST_TYPE_MLSD ? "MLSD" : "LIST";
  const std::string mask = RemoteMaskArgument(remoteMask);
  if (!mask.empty()) command += ' ' + mask;
  return command;
}

int DoDirList(RemoteListing& listing, std::string_view command, const std::string& path,
              RemotePaneListing* decoded) {
  session::Session& session = listing.transfer.session;
  if (session.state.commandInProgress != 0) return 4;
  // A listing is no transfer of the person's: no sound, no progress marks,
  // and always ASCII whatever the name rules would choose.
  transfer::TransferStatus quietStatus(listing.transfer.userInterface, false,
                                       listing.transfer.status.bytesPerSecond());
  // The file is only the folder's cache: no waiting for the disk.
  transfer::TransferSettings settings = listing.transfer.settings;
  settings.syncToDisk = false;
  transfer::TransferContext quiet{session,
                                  listing.transfer.state,
                                  quietStatus,
                                  settings,
                                  listing.transfer.nameRules,
                                  listing.transfer.userInterface};
  const bool automaticMode = std::exchange(listing.transfer.state.automaticMode, false);
  std::function<void(int)> playSound = std::exchange(session.playSound, nullptr);
  // The entry being transferred would lend the listing file its date and
  // kind, and a receive consumes it; a listing between files keeps it.
  const transfer::CurrentEntry entry = std::exchange(listing.transfer.state.currentEntry, {});
  const int result = receiveListing(quiet, command, path, decoded);
  listing.transfer.state.currentEntry = entry;
  session.playSound = std::move(playSound);
  listing.transfer.state.automaticMode = automaticMode;
  return result;
}

int FetchListing(RemoteListing& listing, const std::string& path,
                 std::optional<RemotePaneListing>* decoded) {
  return fetchListing(listing, path, decoded, listing.remoteMask);
}

void ShowRemoteFolder(RemoteListing& listing, bool useGuard) { refresh(listing, useGuard, true); }

void FetchRemoteListing(RemoteListing& listing, bool useGuard) {
  refresh(listing, useGuard, false);
}

}  // namespace ferrix::listing
