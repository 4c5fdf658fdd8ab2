// What the main window calls for View (941/942), Exec (9045/9046), DirInfo
// (949/950), "Edit file" (967), the sounds (Session::playSound), Help, and the
// deletion of the "DSP" and "EDT" files when the program ends. It puts the
// local file commands, the remote editor, the sound player and the help
// window together over the program's services.
//
// Ownership: made by the main window after the user interface port and the
// engine's transfer context; owns the command objects, the temporary file
// registry and the sound player (a child of the main window); borrows the
// rest. Thread rule: the local commands, help and sounds' settings on the GUI
// thread; the remote commands (viewOrExecuteRemote, editRemoteFile) on the
// engine thread that owns the control connection; the sound hook anywhere.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/configuration.h"
#include "session/message_log.h"
#include "session/user_interface.h"
#include "shell/desktop/desktop_services.h"
#include "shell/desktop/local_file_commands.h"
#include "shell/desktop/remote_edit.h"
#include "shell/desktop/sound_player.h"
#include "shell/desktop/temporary_files.h"
#include "transfer/transfer_context.h"

class QWidget;

namespace ferrix::shell {

class DesktopExtras {
 public:
  struct Services {
    config::Configuration& configuration;
    session::UserInterface& userInterface;  // safe from any thread
    session::MessageLog& log;
    transfer::TransferContext& engineTransfer;  // used on the engine thread
    desktop::PostToEngine postToEngine;         // runs work on the engine thread
  };

  DesktopExtras(Services services, QWidget* mainWindow);
  ~DesktopExtras();
  DesktopExtras(const DesktopExtras&) = delete;
  DesktopExtras& operator=(const DesktopExtras&) = delete;

  // View / Exec of the local pane (GUI thread). A single enterable folder
  // comes back in changeFolderTo for the pane to enter.
  desktop::SelectionOutcome viewOrExecuteLocal(const std::filesystem::path& folder,
                                               const std::vector<desktop::SelectedEntry>& selection,
                                               desktop::FileAction action, bool ctrlHeld);
  // View / Exec of the remote pane (engine thread).
  desktop::SelectionOutcome viewOrExecuteRemote(int controlSocket,
                                                const std::vector<desktop::SelectedEntry>& selection,
                                                desktop::FileAction action, bool ctrlHeld);
  // DirInfo (GUI thread for the local pane; the remote one only starts the
  // viewer on the last listing file).
  bool showLocalFolderInfo(const std::filesystem::path& folder);
  bool showRemoteFolderInfo(bool connected, const std::string& lastListingPath);
  // Shows a file in the viewer, e.g. the raw LIST / NLST output (1306/1308).
  bool viewFile(const std::string& path);
  // "Edit file" (engine thread): 1 when the editor runs.
  int editRemoteFile(const desktop::SelectedEntry& entry, const std::string& remoteFolder,
                     bool ctrlHeld);
  int remoteEditsRunning() const;

  // Start-up, after the banner: reads the sound settings.
  int loadSoundSettings();
  SoundPlayer& sounds() { return *sounds_; }
  // For Session::playSound.
  std::function<void(int)> soundHook() { return sounds_->sessionHook(); }

  // Help button, F1, and the prompts' help topics.
  void showHelp(int topic);

  // Exit: stops waiting for editors (their edits are not stored back) and
  // deletes the "DSP" and "EDT" files. Also done by the destructor. Call it
  // once the engine thread runs no more posted work (stopped, or idle).
  void shutDown();

  desktop::LocalFileCommands& commands() { return *commands_; }
  desktop::TemporaryFiles& temporaryFiles() { return temporaryFiles_; }

 private:
  Services services_;
  QWidget* mainWindow_;
  desktop::TemporaryFiles temporaryFiles_;
  desktop::SystemDesktopServices desktopServices_;
  std::unique_ptr<desktop::LocalFileCommands> commands_;
  std::unique_ptr<desktop::RemoteEditor> remoteEditor_;
  SoundPlayer* sounds_;
  bool shutDown_ = false;
};

}  // namespace ferrix::shell
