// Fetching the listing of the current remote folder and showing it in the
// remote pane: PWD for the folder's name, host-type detection before the
// first listing of a connection, the listing cache, and LIST (or MLSD)
// received into the folder's cached temporary file.
//
// RemoteListing bundles what a refresh works on; its parts are owned by the
// program (the session, the pane, the cache, the folder box) and outlive it.
// Thread rule: the engine thread that owns the control connection and the
// remote pane. TransferThreadBusy may be read and set from any thread.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "config/folder_history.h"
#include "listing/listing_cache.h"
#include "listing/pane_model.h"
#include "transfer/transfer_context.h"
#include "transfer/transfer_thread_busy.h"

namespace ferrix::listing {

class RemotePaneListing;

struct RemoteListing {
  transfer::TransferContext transfer;
  ListingCache& cache;
  PaneModel& pane;
  config::FolderList& folderBox;
  transfer::TransferThreadBusy& transferThreadBusy;
  std::string remoteFolder;  // as PWD last reported it
  std::string remoteMask;    // the remote mask box's text
};

// The folder named by a positive PWD reply line: the quoted text, else the
// first word after the reply code; at most 250 characters. Empty when the
// line names nothing.
std::string FolderFromPwdReply(std::string_view replyLine);

// The listing command for the session's host type and the remote mask.
std::string ListingCommand(int hostType, std::string_view remoteMask);

// Receives `command`'s listing into `path` in ASCII, with sounds, progress
// marks and the automatic type choice off meanwhile, and into `decoded` as
// it arrives when that is given. Returns 2 on success, 4 when another
// command is in progress, else the transfer's reply class.
int DoDirList(RemoteListing& listing, std::string_view command, const std::string& path,
              RemotePaneListing* decoded = nullptr);

// Fetches the current folder's listing into `path`: MLSD where the session
// lists with it, falling back to LIST for the session when it is refused with
// 5xx; LIST otherwise; with `decoded`, the listing is decoded into it as it
// arrives. Returns DoDirList's result for the last command.
int FetchListing(RemoteListing& listing, const std::string& path,
                 std::optional<RemotePaneListing>* decoded = nullptr);

// PWD, detection when not yet done, then the listing: from the cache when the
// folder is there, else fetched. With `useGuard` nothing happens while
// TransferThreadBusy is set, and the flag is held for the refresh.
void ShowRemoteFolder(RemoteListing& listing, bool useGuard);

// As ShowRemoteFolder, but always fetches the listing anew.
void FetchRemoteListing(RemoteListing& listing, bool useGuard);

}  // namespace ferrix::listing
