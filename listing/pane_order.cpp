#include "listing/pane_order.h"

#include <string_view>

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

}  // namespace ferrix::listing
