// The window's context menu, rebuilt each time it opens: over a file list
// its entries follow the pane's selection (one file, several files, one
// folder); elsewhere the connection entries; always the "FTP Commands"
// submenu at the end. MenuEntries are plain data, so what the menu offers is
// decided (and tested) apart from the widgets that show it.
//
// Thread rule: GUI thread for BuildMenu; the entry functions are pure.
#pragma once

#include <string>
#include <vector>

#include "listing/pane_item.h"

class QMenu;

namespace ferrix::shell {

struct MenuEntry {
  enum class Kind { kCommand, kSeparator, kTitle, kSubmenu };
  Kind kind = Kind::kCommand;
  std::string text;
  int id = 0;
  std::vector<MenuEntry> children;

  bool operator==(const MenuEntry&) const = default;
};

struct PaneSelection {
  listing::PaneSide side = listing::PaneSide::kLocal;
  int count = 0;
  bool singleIsFolder = false;  // exactly one entry is selected and it is a folder
};

// The menu over a file list.
std::vector<MenuEntry> PaneMenuEntries(const PaneSelection& selection);
// The menu anywhere else in the window.
std::vector<MenuEntry> WindowMenuEntries();
// The "FTP Commands" submenu.
std::vector<MenuEntry> FtpCommandEntries();

// Fills `menu` with `entries`; every command action carries its number as
// its data.
void BuildMenu(QMenu& menu, const std::vector<MenuEntry>& entries);

}  // namespace ferrix::shell
