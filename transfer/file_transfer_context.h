// What a transfer of one named file works against besides the shared
// transfer state: the control connection, the current remote and local
// folders, the destination it must not overwrite carelessly, the INI file
// that holds resume records, and the transfer log settings.
//
// Everything is borrowed from the caller (the window's panes, the
// configuration) for the length of one call. Thread rule: that of the
// transfer that uses it.
#pragma once

#include <filesystem>
#include <string>

#include "platform/ini_file.h"
#include "transfer/overwrite_decision.h"
#include "transfer/transfer_log.h"

namespace ferrix::transfer {

struct FileTransferContext {
  int controlSocket = -1;
  std::string remoteFolder;
  std::filesystem::path localFolder;
  // The local pane for a download, the remote pane for an upload.
  const DestinationListing& destination;
  platform::IniFile& ini;
  const TransferLogSettings& log;
};

}  // namespace ferrix::transfer
