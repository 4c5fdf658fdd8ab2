#include "listing/pane_order.h"

#include <algorithm>
#include <numeric>
#include <string_view>
#include <utility>

namespace ferrix::listing {
namespace {

int Sign(long long value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

int CompareNoCase(std::string_view first, std::string_view second) {
  const std::size_t common = first.size() < second.size() ? first.size() : second.size();
  for (std::size_t i = 0; i < common; ++i) {
    const auto a = static_cast<unsigned char>(LowerAscii(first[i]));
    const auto b = static_cast<unsigned char>(LowerAscii(second[i]));
    if (a != b) return a < b ? -1 : 1;
  }
  return Sign(static_cast<long long>(first.size()) - static_cast<long long>(second.size()));
}

std::string_view ExtensionOf(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

std::string_view FromSecond(std::string_view name) {
  return name.size() > 1 ? name.substr(1) : std::string_view();
}

std::string_view FirstOf(std::string_view name) { return name.substr(0, 1); }

// Files and text files share one rank so that they sort together.
std::int32_t KindRank(const PaneItem& item) { return item.kind > kKindTextFile ? item.kind : 0; }

bool IsDrive(const PaneItem& item) { return item.kind == kKindDrive; }

int CompareByPlacement(const PaneItem& first, const PaneItem& second, FolderPlacement placement) {
  if (IsDrive(first) || IsDrive(second)) return Sign(first.kind - second.kind);
  if (placement == FolderPlacement::kMixed) return 0;
  const int higherFirst = Sign(KindRank(second) - KindRank(first));
  return placement == FolderPlacement::kAtBottom ? -higherFirst : higherFirst;
}

int CompareDates(const PaneItem& first, const PaneItem& second) {
  const int fields[][2] = {{first.year, second.year},
                           {first.month, second.month},
                           {first.day, second.day},
                           {first.hour, second.hour},
                           {first.minute, second.minute}};
  for (const auto& field : fields) {
    if (field[0] != field[1]) return field[0] < field[1] ? -1 : 1;
  }
  return 0;
}

int CompareByKey(const PaneItem& first, const PaneItem& second, SortKey key) {
  const std::string_view a = first.name();
  const std::string_view b = second.name();
  switch (key) {
    case SortKey::kName:
      return CompareNoCase(a, b);
    case SortKey::kExtension:
      if (const int result = CompareNoCase(ExtensionOf(a), ExtensionOf(b))) return result;
      return CompareNoCase(a, b);
    case SortKey::kDate:
      if (const int result = CompareDates(first, second)) return result;
      return CompareNoCase(a, b);
    case SortKey::kSize:
      if (first.size != second.size) return first.size < second.size ? -1 : 1;
      return CompareNoCase(a, b);
    case SortKey::kNameFromSecond:
      if (const int result = CompareNoCase(FromSecond(a), FromSecond(b))) return result;
      return CompareNoCase(FirstOf(a), FirstOf(b));
    case SortKey::kNone:
      break;
  }
  return 0;
}

}  // namespace

SortKey KeyOf(std::int32_t sortValue) {
  const std::int32_t key = sortValue & 7;
  return key <= 5 ? static_cast<SortKey>(key) : SortKey::kNone;
}

bool IsReverse(std::int32_t sortValue) { return (sortValue & kReverseBit) != 0; }

FolderPlacement PlacementOf(std::int32_t sortValue) {
  switch (sortValue & 48) {
    case 16:
      return FolderPlacement::kMixed;
    case 32:
      return FolderPlacement::kAtBottom;
    default:
      return FolderPlacement::kOnTop;
  }
}

std::int32_t MakeSortValue(SortKey key, bool reverse, FolderPlacement placement) {
  return static_cast<std::int32_t>(key) | (reverse ? kReverseBit : 0) |
         static_cast<std::int32_t>(placement);
}

int ComparePaneItems(const PaneItem& first, const PaneItem& second, std::int32_t sortValue) {
  if (first.isParent() != second.isParent()) return first.isParent() ? -1 : 1;
  if (const int result = CompareByPlacement(first, second, PlacementOf(sortValue))) return result;
  const int result = CompareByKey(first, second, KeyOf(sortValue));
  return IsReverse(sortValue) ? -result : result;
}

namespace {

// One item's place in a whole-list sort, compared member by member: the
// group (the parent entry first, then kinds as the placement says), then
// two words ordered as the key orders the items where the words differ.
struct SortEntry {
  std::uint64_t group;
  std::uint64_t words[2];
  std::uint32_t index;
};

// Eight bytes of a text from `offset`, lowered, as a number: where two
// numbers differ, the texts compare as CompareNoCase compares them (past
// the end counts as the smallest byte, as the shorter text comes first).
std::uint64_t TextWord(std::string_view text, std::size_t offset) {
  std::uint64_t word = 0;
  for (std::size_t i = offset; i < offset + 8; ++i) {
    word <<= 8;
    if (i < text.size()) word |= static_cast<unsigned char>(LowerAscii(text[i]));
  }
  return word;
}

void SetTextWords(SortEntry& entry, std::string_view text) {
  entry.words[0] = TextWord(text, 0);
  entry.words[1] = TextWord(text, 8);
}

// Ties on the date or the size go by the name.
void SetWords(SortEntry& entry, const PaneItem& item, SortKey key) {
  const std::string_view name = item.name();
  switch (key) {
    case SortKey::kName:
      SetTextWords(entry, name);
      return;
    case SortKey::kExtension:
      SetTextWords(entry, ExtensionOf(name));
      return;
    case SortKey::kDate:
      entry.words[0] = (std::uint64_t{item.year} << 32) | (std::uint64_t{item.month} << 24) |
                       (std::uint64_t{item.day} << 16) | (std::uint64_t{item.hour} << 8) |
                       item.minute;
      entry.words[1] = TextWord(name, 0);
      return;
    case SortKey::kSize:
      entry.words[0] = item.size;
      entry.words[1] = TextWord(name, 0);
      return;
    case SortKey::kNameFromSecond:
      SetTextWords(entry, FromSecond(name));
      return;
    case SortKey::kNone:
      break;
  }
  entry.words[0] = entry.words[1] = 0;
}

// The parent entry before all others; then, by the placement, higher kind
// ranks first, last, or all alike.
std::uint64_t GroupOf(const PaneItem& item, FolderPlacement placement) {
  constexpr std::int64_t kMiddle = std::int64_t{1} << 32;
  std::int64_t rank = 0;
  if (placement == FolderPlacement::kOnTop) rank = -std::int64_t{KindRank(item)};
  if (placement == FolderPlacement::kAtBottom) rank = KindRank(item);
  const std::uint64_t afterParent = item.isParent() ? 0 : std::uint64_t{1} << 34;
  return afterParent + static_cast<std::uint64_t>(kMiddle + rank);
}

// The entries of all items, each group's together, groups in their order
// and items within a group in their arrival order, with where each group
// starts (and, last, the end). Servers mostly send names in order already,
// folders among files, so that afterwards most groups only need checking.
// More groups than kMostGroups stay one range.
struct GroupedEntries {
  std::vector<SortEntry> entries;
  std::vector<std::size_t> starts;
};

GroupedEntries GroupEntries(const std::vector<PaneItem>& items, SortKey key,
                            FolderPlacement placement) {
  constexpr std::size_t kMostGroups = 32;
  std::vector<std::uint64_t> groups;
  for (const PaneItem& item : items) {
    const std::uint64_t group = GroupOf(item, placement);
    if (std::find(groups.begin(), groups.end(), group) != groups.end()) continue;
    if (groups.size() == kMostGroups) {
      groups.clear();
      break;
    }
    groups.push_back(group);
  }
  std::sort(groups.begin(), groups.end());
  const auto slot = [&groups](std::uint64_t group) {
    const auto found = std::find(groups.begin(), groups.end(), group);
    return found == groups.end() ? 0 : static_cast<std::size_t>(found - groups.begin());
  };
  GroupedEntries grouped{std::vector<SortEntry>(items.size()),
                         std::vector<std::size_t>(std::max<std::size_t>(groups.size(), 1) + 1)};
  for (const PaneItem& item : items) ++grouped.starts[slot(GroupOf(item, placement)) + 1];
  std::partial_sum(grouped.starts.begin(), grouped.starts.end(), grouped.starts.begin());
  std::vector<std::size_t> next(grouped.starts.begin(), grouped.starts.end() - 1);
  for (std::uint32_t i = 0; i < items.size(); ++i) {
    const std::uint64_t group = GroupOf(items[i], placement);
    SortEntry& entry = grouped.entries[next[slot(group)]++];
    entry.group = group;
    SetWords(entry, items[i], key);
    entry.index = i;
  }
  return grouped;
}

// Moves every item to its place: entries[i].index is the index of the item
// that belongs at i. Follows each cycle once, so no second list is needed.
void Permute(std::vector<PaneItem>& items, std::vector<SortEntry>& entries) {
  for (std::uint32_t start = 0; start < entries.size(); ++start) {
    if (entries[start].index == start) continue;
    PaneItem held = std::move(items[start]);
    std::uint32_t at = start;
    while (entries[at].index != start) {
      const std::uint32_t from = entries[at].index;
      items[at] = std::move(items[from]);
      entries[at].index = at;
      at = from;
    }
    items[at] = std::move(held);
    entries[at].index = at;
  }
}

FolderPlacement NextPlacement(FolderPlacement placement) {
  switch (placement) {
    case FolderPlacement::kOnTop:
      return FolderPlacement::kMixed;
    case FolderPlacement::kMixed:
      return FolderPlacement::kAtBottom;
    case FolderPlacement::kAtBottom:
      break;
  }
  return FolderPlacement::kOnTop;
}

// A click on the key already in use turns the order round; a new key starts
// in its own first direction.
std::int32_t SelectKey(std::int32_t sortValue, SortKey key, bool startReversed) {
  const FolderPlacement placement = PlacementOf(sortValue);
  if (KeyOf(sortValue) == key) return MakeSortValue(key, !IsReverse(sortValue), placement);
  return MakeSortValue(key, startReversed, placement);
}

SortKey NameKeyFor(HeaderClick click, PaneSide side) {
  if (click.alt && side == PaneSide::kRemote) return SortKey::kNameFromSecond;
  if (click.ctrl) return SortKey::kExtension;
  return SortKey::kName;
}

}  // namespace

std::int32_t SortValueAfterClick(std::int32_t sortValue, HeaderClick click, PaneSide side) {
  switch (click.button) {
    case HeaderButton::kFolders:
      return MakeSortValue(KeyOf(sortValue), IsReverse(sortValue),
                           NextPlacement(PlacementOf(sortValue)));
    case HeaderButton::kName:
      return SelectKey(sortValue, NameKeyFor(click, side), false);
    case HeaderButton::kDate:
      return SelectKey(sortValue, SortKey::kDate, true);
    case HeaderButton::kSize:
      return SelectKey(sortValue, SortKey::kSize, false);
  }
  return sortValue;
}

SortDialogChoice SortDialogChoiceFrom(std::int32_t sortValue) {
  SortKey key = KeyOf(sortValue);
  if (key == SortKey::kNameFromSecond) key = SortKey::kName;
  return SortDialogChoice{key, IsReverse(sortValue), PlacementOf(sortValue)};
}

std::int32_t SortValueFrom(const SortDialogChoice& choice) {
  return MakeSortValue(choice.key, choice.reverse, choice.placement);
}

void SortPaneItems(std::vector<PaneItem>& items, std::int32_t sortValue) {
  const auto compare = [sortValue](const PaneItem& a, const PaneItem& b) {
    return ComparePaneItems(a, b, sortValue) < 0;
  };
  // Drives order among the other kinds in their own way; they are few.
  if (std::any_of(items.begin(), items.end(), IsDrive)) {
    std::stable_sort(items.begin(), items.end(), compare);
    return;
  }
  const SortKey key = KeyOf(sortValue);
  const FolderPlacement placement = PlacementOf(sortValue);
  const bool reverse = IsReverse(sortValue);
  GroupedEntries grouped = GroupEntries(items, key, placement);
  const auto less = [&](const SortEntry& a, const SortEntry& b) {
    if (a.group != b.group) return a.group < b.group;
    for (int word = 0; word < 2; ++word) {
      if (a.words[word] != b.words[word]) {
        return reverse ? a.words[word] > b.words[word] : a.words[word] < b.words[word];
      }
    }
    if (const int result = ComparePaneItems(items[a.index], items[b.index], sortValue)) {
      return result < 0;
    }
    return a.index < b.index;
  };
  for (std::size_t group = 0; group + 1 < grouped.starts.size(); ++group) {
    const auto begin = grouped.entries.begin() + static_cast<std::ptrdiff_t>(grouped.starts[group]);
    const auto end = grouped.entries.begin() + static_cast<std::ptrdiff_t>(grouped.starts[group + 1]);
    if (!std::is_sorted(begin, end, less)) std::sort(begin, end, less);
  }
  Permute(items, grouped.entries);
}

}  // namespace ferrix::listing
