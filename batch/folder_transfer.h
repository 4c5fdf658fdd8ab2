// Folder transfers: a whole folder, with everything below it, downloaded
// into or uploaded from the current local folder. Each level enters the
// folder on both sides, walks its listing (files one by one, folders by
// recursion) and returns to the folders it started from, even after a
// failure; a failure to return is reported and fails the folder.
//
// Names from the server never leave the destination: a folder named "",
// ".", "..", or holding a "/" is skipped with an error line, and so is a
// remote folder that turns out (by PWD) to be one the walk is already in.
// An upload never follows a symbolic link out of the folder being sent, nor
// into a folder that holds it; a link the person selected is sent as
// selected.
//
// Thread rule: the thread that runs the batch (see batch_context.h).
#pragma once

#include <functional>
#include <string>

#include "batch/batch_context.h"

namespace ferrix::batch {

// For the length of one folder transfer within a selection: no status
// dialog (HASH), no sounds (BELL) and the folder rules of the overwrite
// decision (FolderTransferActive). The destructor puts everything back.
class FolderTransferScope {
 public:
  explicit FolderTransferScope(BatchTransfer& batch);
  ~FolderTransferScope();
  FolderTransferScope(const FolderTransferScope&) = delete;
  FolderTransferScope& operator=(const FolderTransferScope&) = delete;

 private:
  BatchTransfer& batch_;
  bool hash_;
  std::function<void(int)> playSound_;
};

// Downloads the remote folder `name` of the current remote folder into the
// local folder of that name (made when missing). Returns 1 when every entry
// was handled, 0 otherwise.
int DownloadFolder(BatchTransfer& batch, const std::string& name);

// Uploads the local folder `name` of the current local folder into the
// remote folder of that name (MKD first). Returns 1 when every entry was
// handled, 0 otherwise.
int UploadFolder(BatchTransfer& batch, const std::string& name);

}  // namespace ferrix::batch
