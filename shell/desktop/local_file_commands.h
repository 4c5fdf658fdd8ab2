// View, Exec and DirInfo of both panes: opening a file in the text viewer or
// with its associated program, asking for a command line when Ctrl is held,
// the desktop's "open" with the association rules as its fallback, the
// selection walk (remote files are fetched into "DSP" temporary files first)
// and the folder information text.
//
// LocalFileCommands borrows its services from the program (configuration,
// desktop services, user interface port, message log, temporary files) for
// its whole life. The association question is a callback, because it is a
// dialog: it shows "Associate" for the extension and returns true when the
// person confirmed (the dialog has stored the entry by then).
//
// Thread rule: the local variants run on the window's thread, the remote ones
// on the engine thread that owns the control connection; the user interface
// port and the association callback must be callable from either.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/configuration.h"
#include "session/message_log.h"
#include "session/user_interface.h"
#include "shell/desktop/command_rules.h"
#include "shell/desktop/desktop_services.h"
#include "shell/desktop/temporary_files.h"
#include "transfer/transfer_context.h"

namespace ferrix::desktop {

// Help context of the association dialog.
inline constexpr int kAssociateHelpTopic = 256;

using AskAssociation = std::function<bool(const std::string& extension)>;
// Shows a text in the program's own viewer window, titled `title`; callable
// from either thread.
using ShowText = std::function<void(const std::string& title, std::string text)>;

// The most of a file the built-in viewer is given.
inline constexpr std::size_t kBuiltInViewerLimit = 4 << 20;

// One selected entry of a pane, in list order.
struct SelectedEntry {
  std::string name;
  int kind = 0;  // pane item kind: below 4 a file or link, 4 and above folders and drives
  std::uint64_t size = 0;
};

enum class FileAction { kView, kExecute };

// What the window does after a selection command.
struct SelectionOutcome {
  std::optional<std::string> changeFolderTo;  // the single selection was a folder
  bool refreshLocal = false;
  bool refreshRemote = false;  // the single "file" was a remote folder, now current
};

// What fetching a remote file needs: the transfer context of the engine
// thread and the control connection.
struct RemoteSource {
  transfer::TransferContext& transfer;
  int controlSocket = -1;
};

class LocalFileCommands {
 public:
  LocalFileCommands(config::Configuration& configuration, DesktopServices& services,
                    session::UserInterface& userInterface, session::MessageLog& log,
                    TemporaryFiles& temporaryFiles, AskAssociation askAssociation);

  // The command rules as the settings stand now.
  CommandRules commandRules() const;
  AssociationTable& associations() { return associations_; }

  // Where a viewer cannot be started (none installed, or the desktop's
  // opener has nothing for text), View and DirInfo show the text here.
  void setBuiltInViewer(ShowText show) { builtInViewer_ = std::move(show); }
  // Starts `program` (VIEWER when empty) with the path, or else shows the
  // file in the built-in viewer; true when either did.
  bool viewFile(std::string_view path, std::string_view program = {});
  // Exec: with Ctrl held, asks for the command line (offered from the rules,
  // or the path itself for programs); otherwise the desktop's "open", then
  // the association rules when it failed.
  void executeFile(const std::string& path, bool ctrlHeld);

  // View or Exec on every selected entry of the local pane in `folder`.
  // With View and Ctrl held, first asks for the viewer of this command.
  SelectionOutcome viewOrExecuteLocal(const std::filesystem::path& folder,
                                      const std::vector<SelectedEntry>& selection,
                                      FileAction action, bool ctrlHeld);
  // The same for the remote pane: each file is fetched with RETR into a "DSP"
  // file carrying its extension, then viewed or executed. Does nothing while
  // a command is in progress.
  SelectionOutcome viewOrExecuteRemote(RemoteSource source,
                                       const std::vector<SelectedEntry>& selection,
                                       FileAction action, bool ctrlHeld);

  // DirInfo of the local pane: the listing of `folder` written to a "DSP"
  // file and shown in the viewer. False when the file could not be made.
  bool showLocalFolderInfo(const std::filesystem::path& folder);
  // DirInfo of the remote pane: the last listing file, while connected.
  bool showRemoteFolderInfo(bool connected, const std::string& lastListingPath);

 private:
  std::optional<std::string> askViewer(FileAction action, bool ctrlHeld);
  void open(const std::string& path, FileAction action, const std::string& viewer,
            bool ctrlHeld);
  void executeAfterFailedOpen(const std::string& path);
  void start(std::string_view commandLine);

  config::Configuration& configuration_;
  DesktopServices& services_;
  session::UserInterface& userInterface_;
  session::MessageLog& log_;
  TemporaryFiles& temporaryFiles_;
  AskAssociation askAssociation_;
  AssociationTable associations_;
  ShowText builtInViewer_;
};

// The folder information text of `folder`: a heading, then one line per entry
// in the order the system lists them, times in local time.
std::string FolderInfoText(const std::filesystem::path& folder);

}  // namespace ferrix::desktop
