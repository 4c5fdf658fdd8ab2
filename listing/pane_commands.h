// The folder and file commands of both panes, as the window's buttons and
// context menu call them: open a folder entry, change, make and remove a
// folder, refresh, delete, rename, move and chmod. The local side works on
// the file system (local_file_commands.h), the remote side through the
// session's command wrappers (session/remote_commands.h), and a change shows
// in the pane through a new listing (with DOUPDATE on the remote side).
//
// PaneCommands bundles what the commands work on, like RemoteListing does;
// every part is owned by the program and outlives it. A selection is given
// as indices into the pane's items, in selection order; the names are read
// before anything runs, since a refresh rebuilds the pane.
//
// Thread rule: the window's engine thread, one command at a time. The window
// keeps the guarded remote commands away while a transfer worker runs.
#pragma once

#include <cstddef>
#include <filesystem>
#include <vector>

#include "config/folder_history.h"
#include "listing/pane_model.h"
#include "listing/remote_listing.h"
#include "session/remote_commands.h"
#include "session/user_interface.h"

namespace ferrix::listing {

struct PaneCommandSettings {
  bool refreshAfterChange = true;  // DOUPDATE of the site in use
  bool verifyDelete = true;        // VRFYDEL
};

struct LocalPane {
  PaneModel& pane;
  config::FolderList& folderBox;
  LocalListingOptions& options;
  std::filesystem::path& folder;  // the folder the pane shows
};

struct PaneCommands {
  RemoteListing& remote;
  LocalPane local;
  session::RememberedPermissions& permissions;
  const PaneCommandSettings& settings;
};

using Selection = std::vector<std::size_t>;

// Lists the local folder again, or shows the remote one from its cached
// listing, fetching it (without PWD) when it is not cached.
void RedisplayPane(PaneCommands& commands, PaneSide side);

// The delete confirmation for `name`; "Delete &All" and Cancel only when
// `selectedCount` is 2 or more.
session::UserInterface::DeleteAnswer confirmDelete(session::UserInterface& ui,
                                                   std::string_view name, int selectedCount);

// Enters the first selected entry when it is a folder (or, remote, a link
// the server lets us enter) and shows the new folder. True when it did;
// false leaves the entry to the double-click rule.
bool openFolderEntry(PaneCommands& commands, PaneSide side, const Selection& selection);

void changeFolderCommand(PaneCommands& commands, PaneSide side, const Selection& selection);
void makeFolderCommand(PaneCommands& commands, PaneSide side);
void deleteFolderCommand(PaneCommands& commands, PaneSide side, const Selection& selection);
// The remote side does nothing while TransferThreadBusy is set.
void refreshCommand(PaneCommands& commands, PaneSide side);
void deleteCommand(PaneCommands& commands, PaneSide side, const Selection& selection);
void renameCommand(PaneCommands& commands, PaneSide side, const Selection& selection);
void moveCommand(PaneCommands& commands, PaneSide side, const Selection& selection);
// Remote entries only; ".." is never given new permissions.
void chmodCommand(PaneCommands& commands, const Selection& selection);

}  // namespace ferrix::listing
