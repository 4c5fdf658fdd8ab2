#include "shell/window/context_menu.h"

#include <QAction>
#include <QMenu>
#include <QString>

#include "shell/window/window_commands.h"

namespace ferrix::shell {

namespace {

using listing::PaneSide;
using namespace command;

MenuEntry item(std::string text, int id) {
  return {MenuEntry::Kind::kCommand, std::move(text), id, {}};
}
MenuEntry separator() { return {MenuEntry::Kind::kSeparator, {}, 0, {}}; }

// The local or the remote number of a command pair.
int pick(PaneSide side, int local, int remote) {
  return side == PaneSide::kLocal ? local : remote;
}

void appendFtpCommands(std::vector<MenuEntry>& entries) {
  entries.push_back(separator());
  entries.push_back({MenuEntry::Kind::kSubmenu, "&FTP Commands", 0, FtpCommandEntries()});
}

void appendSelectionEntries(const PaneSelection& selection, std::vector<MenuEntry>& entries) {
  const PaneSide side = selection.side;
  const bool remote = side == PaneSide::kRemote;
  const bool several = selection.count >= 2;
  entries.push_back(separator());
  entries.push_back(item(several ? "Transfer files" : "Transfer file",
                         pick(side, kUpload, kDownload)));
  entries.push_back(item(several ? "Append files" : "Append file",
                         pick(side, kAppendUpload, kAppendDownload)));
  if (selection.count > 0) {
    entries.push_back(item(several ? "View files" : "View file", pick(side, kLocalView, kRemoteView)));
  }
  if (selection.count == 1) {
    if (remote) entries.push_back(item("Edit file", kEditFile));
    entries.push_back(item("Execute file", pick(side, kLocalExec, kRemoteExec)));
  }
}

}  // namespace

std::vector<MenuEntry> FtpCommandEntries() {
  return {item("CWD", kMenuCwd),   item("PWD", kMenuPwd),     item("HELP", kMenuHelp),
          item("SYST", kMenuSyst), item("SITE", kMenuSite),   item("QUOTE", kMenuQuote),
          separator(),             item("LIST", kMenuList),   item("NLST", kMenuNlst),
          separator(),             item("RETR", kMenuRetr),   item("STOR", kMenuStor)};
}

std::vector<MenuEntry> PaneMenuEntries(const PaneSelection& selection) {
  const PaneSide side = selection.side;
  const bool folder = selection.count == 1 && selection.singleIsFolder;
  std::vector<MenuEntry> entries{
      item("Sort...", pick(side, kLocalSort, kRemoteSort)),
      separator(),
      item("Change Folder", pick(side, kLocalChangeFolder, kRemoteChangeFolder)),
      item("Make Folder...", pick(side, kLocalMakeFolder, kRemoteMakeFolder)),
      item("Delete Folder", pick(side, kLocalDeleteFolder, kRemoteDeleteFolder))};
  if (folder) {
    entries.push_back(item("Transfer Folder", pick(side, kUpload, kDownload)));
  } else {
    appendSelectionEntries(selection, entries);
  }
  if (selection.count > 0) {
    entries.push_back(item(folder ? "Rename Folder..." : "Rename file...",
                           pick(side, kLocalRename, kRemoteRename)));
    entries.push_back(item(folder ? "Move Folder..." : "Move files...",
                           pick(side, kLocalMove, kRemoteMove)));
    if (!folder) entries.push_back(item("Delete files", pick(side, kLocalDelete, kRemoteDelete)));
    if (side == PaneSide::kRemote) entries.push_back(item("chmod (UNIX)", kChmod));
  }
  entries.push_back(separator());
  entries.push_back(item("Refresh list", pick(side, kLocalRefresh, kRemoteRefresh)));
  entries.push_back(item("Folder list", pick(side, kLocalDirInfo, kRemoteDirInfo)));
  appendFtpCommands(entries);
  return entries;
}

std::vector<MenuEntry> WindowMenuEntries() {
  std::vector<MenuEntry> entries{
      {MenuEntry::Kind::kTitle, "FTP Menu", 0, {}},
      separator(),
      {MenuEntry::Kind::kSubmenu,
       "&Connection",
       0,
       {item("&Connect", kMenuConnect), item("&Close", kMenuClose), separator(),
        item("E&xit", kExit)}},
      item("&Options...", kMenuOptions),
      item("Show Log...", kShowLog),
      item("&Help", kHelp),
      item("About...", kMenuAbout)};
  appendFtpCommands(entries);
  return entries;
}

void BuildMenu(QMenu& menu, const std::vector<MenuEntry>& entries) {
  for (const MenuEntry& entry : entries) {
    const QString text = QString::fromStdString(entry.text);
    switch (entry.kind) {
      case MenuEntry::Kind::kSeparator:
        menu.addSeparator();
        break;
      case MenuEntry::Kind::kTitle:
        menu.addAction(text)->setEnabled(false);
        break;
      case MenuEntry::Kind::kSubmenu:
        BuildMenu(*menu.addMenu(text), entry.children);
        break;
      case MenuEntry::Kind::kCommand:
        menu.addAction(text)->setData(entry.id);
        break;
    }
  }
}

}  // namespace ferrix::shell
