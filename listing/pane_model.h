// The item list of one file pane, kept in the pane's order, and the local
// pane's fill from a folder on disk (ShowLocalFolder) together with the
// masks and the folder-box history that go with it.
//
// A PaneModel owns its items; clearing it frees them. The view reads the
// items by index and redraws after a change. Thread rule: the thread that
// owns the pane (the GUI thread in the program).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "config/folder_history.h"
#include "listing/pane_item.h"
#include "transfer/name_rules.h"

namespace ferrix::listing {

class PaneModel {
 public:
  PaneModel(PaneSide side, std::int32_t sortValue) : side_(side), sortValue_(sortValue) {}

  PaneSide side() const { return side_; }
  std::int32_t sortValue() const { return sortValue_; }
  // Reorders the items when the value changes.
  void setSortValue(std::int32_t sortValue);

  // Inserts `item` at its place in the order, after the items it ties with.
  void add(PaneItem item);
  // Adds many items at once, ordered as one add() after the other would.
  void addAll(std::vector<PaneItem> items);
  void clear() { items_.clear(); }

  std::size_t size() const { return items_.size(); }
  const PaneItem& at(std::size_t index) const { return items_.at(index); }
  const std::vector<PaneItem>& items() const { return items_; }

 private:
  PaneSide side_;
  std::int32_t sortValue_;
  std::vector<PaneItem> items_;
};

// The local mask box's text as a search pattern: at most 12 characters,
// "*.*" when empty.
std::string LocalSearchPattern(std::string_view maskText);
// The remote mask box's text as the listing command's argument: at most 19
// characters.
std::string RemoteMaskArgument(std::string_view maskText);
// True when `name` matches `pattern`: '*' any run, '?' one character, case
// ignored; "*.*" matches every name, with or without a dot.
bool MatchesLocalMask(std::string_view name, std::string_view pattern);
// Leaving the remote mask box redisplays the fetched listing instead of
// waiting for the next refresh when both masks are wildcard masks (or empty).
bool RemoteMaskChangeRedisplays(std::string_view previousMask, std::string_view newMask);

struct LocalListingOptions {
  std::string maskText;                  // the local mask box's text
  bool longDir = true;                   // LONGDIR: append the date and size tail
  transfer::NameRuleSettings nameRules;  // the ASCII name list for text-file kinds
};

// Puts `text` at the top of `box`, removing an entry that equals it in any
// case. An empty text changes nothing.
void PushFolderHistory(config::FolderList& box, std::string_view text);

// Lists `folder` into the local pane: its folders, the parent entry, then
// the files that match the mask. `folder` is pushed onto `folderBox`. A
// folder that cannot be read leaves the pane with the parent entry only;
// an entry that vanishes while it is read is left out.
void ShowLocalFolder(const std::filesystem::path& folder, const LocalListingOptions& options,
                     PaneModel& pane, config::FolderList& folderBox);

}  // namespace ferrix::listing
