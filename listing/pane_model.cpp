#include "listing/pane_model.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <iterator>
#include <system_error>

#include "listing/pane_order.h"
#include "listing/pane_text.h"

namespace ferrix::listing {

namespace fs = std::filesystem;

void PaneModel::setSortValue(std::int32_t sortValue) {
  if (sortValue == sortValue_) return;
  sortValue_ = sortValue;
  SortPaneItems(items_, sortValue_);
}

void PaneModel::add(PaneItem item) {
  item.itemType = side_ == PaneSide::kRemote ? 1 : 0;
  const auto place = std::upper_bound(items_.begin(), items_.end(), item,
                                      [this](const PaneItem& a, const PaneItem& b) {
                                        return ComparePaneItems(a, b, sortValue_) < 0;
                                      });
  items_.insert(place, std::move(item));
}

void PaneModel::addAll(std::vector<PaneItem> items) {
  const std::int32_t itemType = side_ == PaneSide::kRemote ? 1 : 0;
  for (PaneItem& item : items) item.itemType = itemType;
  if (items_.empty()) {
    items_ = std::move(items);
  } else {
    items_.reserve(items_.size() + items.size());
    std::move(items.begin(), items.end(), std::back_inserter(items_));
  }
  // Inserting one by one would move the whole list for every item; the sort
  // keeps ties in the order they came, as add() does.
  SortPaneItems(items_, sortValue_);
}

std::string LocalSearchPattern(std::string_view maskText) {
  constexpr std::size_t kLocalMaskLength = 12;
  if (maskText.empty()) return "*.*";
  return std::string(maskText.substr(0, kLocalMaskLength));
}

std::string RemoteMaskArgument(std::string_view maskText) {
  constexpr std::size_t kRemoteMaskLength = 19;
  return std::string(maskText.substr(0, kRemoteMaskLength));
}

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool MatchesGlob(std::string_view name, std::string_view pattern) {
  // Iterative glob with one back-track point for the latest '*'.
  std::size_t n = 0, p = 0, starPattern = std::string_view::npos, starName = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starPattern = p++;
      starName = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || LowerAscii(pattern[p]) == LowerAscii(name[n]))) {
      ++p;
      ++n;
    } else if (starPattern != std::string_view::npos) {
      p = starPattern + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool IsWildcardMask(std::string_view mask) {
  return mask.empty() || mask.find_first_of("*?") != std::string_view::npos;
}

}  // namespace

bool MatchesLocalMask(std::string_view name, std::string_view pattern) {
  if (pattern == "*.*") return true;
  return MatchesGlob(name, pattern);
}

bool RemoteMaskChangeRedisplays(std::string_view previousMask, std::string_view newMask) {
  return IsWildcardMask(previousMask) && IsWildcardMask(newMask);
}

void PushFolderHistory(config::FolderList& box, std::string_view text) {
  if (text.empty()) return;
  std::vector<std::string> kept;
  for (std::size_t i = 0; i < box.count(); ++i) {
    std::string entry = box.textAt(i);
    const bool same = entry.size() == text.size() &&
                      std::equal(entry.begin(), entry.end(), text.begin(),
                                 [](char a, char b) { return LowerAscii(a) == LowerAscii(b); });
    if (!same) kept.push_back(std::move(entry));
  }
  box.clear();
  box.add(text);
  for (const std::string& entry : kept) box.add(entry);
}

namespace {

LocalTime LocalTimeOf(fs::file_time_type writeTime) {
  const auto systemTime = std::chrono::file_clock::to_sys(writeTime);
  const std::time_t seconds = std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::system_clock::duration>(systemTime));
  std::tm parts{};
  if (localtime_r(&seconds, &parts) == nullptr) return LocalTime{};
  return LocalTime{static_cast<unsigned>(parts.tm_year + 1900),
                   static_cast<unsigned>(parts.tm_mon + 1), static_cast<unsigned>(parts.tm_mday),
                   static_cast<unsigned>(parts.tm_hour), static_cast<unsigned>(parts.tm_min)};
}

// Fills `item` from a folder entry; false when the entry went away meanwhile.
bool MakeLocalItem(const fs::directory_entry& entry, std::int32_t kind, std::uint64_t size,
                   bool longDir, PaneItem& item) {
  std::error_code error;
  const fs::file_time_type writeTime = entry.last_write_time(error);
  if (error) return false;
  const std::string name = entry.path().filename().string();
  const LocalTime time = LocalTimeOf(writeTime);
  item.kind = kind;
  item.year = static_cast<std::uint16_t>(time.year);
  item.month = static_cast<std::uint8_t>(time.month);
  item.day = static_cast<std::uint8_t>(time.day);
  item.hour = static_cast<std::uint8_t>(time.hour);
  item.minute = static_cast<std::uint8_t>(time.minute);
  item.size = size;
  item.nameLength = static_cast<std::uint32_t>(name.size());
  item.text = longDir ? LocalItemText(name, time, size) : name;
  return true;
}

void AddLocalEntry(const fs::directory_entry& entry, const LocalListingOptions& options,
                   const std::string& pattern, const transfer::AsciiNameList& asciiNames,
                   std::vector<PaneItem>& items) {
  std::error_code error;
  PaneItem item;
  if (entry.is_directory(error)) {
    if (MakeLocalItem(entry, kKindFolder, 0, options.longDir, item)) items.push_back(std::move(item));
    return;
  }
  const std::string name = entry.path().filename().string();
  if (!MatchesLocalMask(name, pattern)) return;
  const std::uintmax_t size = entry.file_size(error);
  const std::int32_t kind = asciiNames.matches(name) ? kKindTextFile : kKindFile;
  if (MakeLocalItem(entry, kind, error ? 0 : size, options.longDir, item)) {
    items.push_back(std::move(item));
  }
}

}  // namespace

void ShowLocalFolder(const fs::path& folder, const LocalListingOptions& options, PaneModel& pane,
                     config::FolderList& folderBox) {
  PushFolderHistory(folderBox, folder.string());
  pane.clear();
  pane.add(MakeNamedItem(PaneSide::kLocal, kKindFolder, kParentName));
  const std::string pattern = LocalSearchPattern(options.maskText);
  std::error_code error;
  fs::directory_iterator entries(folder, error);
  if (error) return;
  const transfer::AsciiNameList asciiNames = transfer::AsciiNameList::load(options.nameRules);
  std::vector<PaneItem> items;
  // The non-throwing increment: an entry that fails to read ends the listing
  // instead of escaping as an exception.
  for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
    AddLocalEntry(*entries, options, pattern, asciiNames, items);
  }
  pane.addAll(std::move(items));
}

}  // namespace ferrix::listing
