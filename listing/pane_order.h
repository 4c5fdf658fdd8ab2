// The order of a file pane: the sort value kept per pane (LSORT for the
// local pane, RSORT for the remote one), the comparison of two items under
// it, the changes a click on a column header makes to it, and its mapping
// to and from the sort dialog's controls.
//
// Sort value bits: 0-2 the key (0 none, 1 name, 2 extension, 3 date,
// 4 size, 5 name from its second character), 3 (value 8) reverse, 4-5
// (values 16, 32) folder placement: on top, mixed with files, at the bottom.
//
// Thread rule: stateless; safe from any thread.
#pragma once

#include <cstdint>
#include <vector>

#include "listing/pane_item.h"

namespace ferrix::listing {

enum class SortKey {
  kNone = 0,
  kName = 1,
  kExtension = 2,
  kDate = 3,
  kSize = 4,
  kNameFromSecond = 5
};
enum class FolderPlacement { kOnTop = 0, kMixed = 16, kAtBottom = 32 };

inline constexpr std::int32_t kReverseBit = 8;

// Keys 6 and 7 are not defined and leave items unordered, like key 0.
SortKey KeyOf(std::int32_t sortValue);
bool IsReverse(std::int32_t sortValue);
// Both placement bits set is not defined and counts as on top.
FolderPlacement PlacementOf(std::int32_t sortValue);
std::int32_t MakeSortValue(SortKey key, bool reverse, FolderPlacement placement);

// Negative when `first` comes before `second` under `sortValue`, positive
// when after, 0 when they are equal in the order.
int ComparePaneItems(const PaneItem& first, const PaneItem& second, std::int32_t sortValue);

// Orders `items` under `sortValue` exactly as a stable sort with
// ComparePaneItems would (ties keep their order), comparing a cheap key
// first: a whole listing is ordered at once.
void SortPaneItems(std::vector<PaneItem>& items, std::int32_t sortValue);

enum class HeaderButton { kFolders, kName, kDate, kSize };

struct HeaderClick {
  HeaderButton button = HeaderButton::kName;
  bool ctrl = false;  // "Name" sorts on the extension
  bool alt = false;   // "Name" on the remote pane sorts from the second character
};

// The pane's new sort value after a click on one of its column headers.
std::int32_t SortValueAfterClick(std::int32_t sortValue, HeaderClick click, PaneSide side);

// What the sort dialog shows and returns: key radio buttons 0-4, the
// reverse check box and the placement radio buttons.
struct SortDialogChoice {
  SortKey key = SortKey::kName;
  bool reverse = false;
  FolderPlacement placement = FolderPlacement::kOnTop;
};

// Key 5 has no radio button; the dialog shows it as "Sort on Name".
SortDialogChoice SortDialogChoiceFrom(std::int32_t sortValue);
std::int32_t SortValueFrom(const SortDialogChoice& choice);

}  // namespace ferrix::listing
