// The remote edit round trip ("Edit file" of the remote pane): the remote
// file is fetched into an "EDT" temporary file carrying its extension, opened
// with the program the command rules choose (with Ctrl held the command line
// is offered for editing first), and stored back when that program ends.
//
// The fetch and the store-back use the control connection, so they run on
// the engine thread like every other command; only the wait for the editor
// runs on a thread of its own. While it waits, it posts a keep-alive tick
// (NOOP, skipped while a command is in progress) to the engine thread every
// 30 seconds. A store-back that fails twice (one second apart), or cannot be
// tried because the connection is gone, logs "! Error rewriting file ..." and
// keeps the temporary file, the only copy of the changes, beyond the end of
// the program.
//
// Ownership: RemoteEditor owns the waiting threads and the temporary files of
// the edits in flight; destroying it stops the waits (no store-back happens;
// editors keep running). Work it posted and that has not run yet does nothing
// once it is destroyed; destroy it while no posted work is running (on exit:
// after the engine thread has stopped, or from the engine thread).
// Thread rule: StartRemoteEdit on the engine thread; activeEdits from any.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string_view>

#include "shell/desktop/local_file_commands.h"
#include "shell/desktop/temporary_files.h"
#include "transfer/transfer_context.h"

namespace ferrix::desktop {

// Runs a piece of work on the engine thread, in order with its commands.
using PostToEngine = std::function<void(std::function<void()>)>;

struct RemoteEditSettings {
  std::chrono::milliseconds keepAliveInterval{30000};
  std::chrono::milliseconds retryPause{1000};
};

class RemoteEditor {
 public:
  RemoteEditor(transfer::TransferContext& transfer, LocalFileCommands& commands,
               TemporaryFiles& temporaryFiles, PostToEngine postToEngine,
               RemoteEditSettings settings = {});
  ~RemoteEditor();
  RemoteEditor(const RemoteEditor&) = delete;
  RemoteEditor& operator=(const RemoteEditor&) = delete;

  // Fetches `entry` of `remoteFolder` and starts its editor. Returns 1 when
  // the editor runs (the store-back follows when it ends), 0 when nothing was
  // started: a folder, a failed or cancelled fetch, no program for the file,
  // the command line cancelled, or a program that cannot be started.
  int StartRemoteEdit(const SelectedEntry& entry, std::string_view remoteFolder, bool ctrlHeld);

  // Edits whose editor runs or whose store-back has not finished.
  int activeEdits() const;

 private:
  struct Shared;
  struct Edit;

  std::shared_ptr<Shared> shared_;
};

}  // namespace ferrix::desktop
