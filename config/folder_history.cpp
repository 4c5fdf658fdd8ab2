#include "config/folder_history.h"

#include <optional>
#include <utility>

#include "config/text_rules.h"

namespace ferrix::config {

namespace {

constexpr std::size_t kLoadedEntries = 20;
constexpr std::size_t kSavedEntries = 10;
constexpr std::size_t kEntryLength = 255;

std::string historyKey(FolderSide side, std::size_t n) {
  return (side == FolderSide::kLocal ? "ldir" : "rdir") + std::to_string(n);
}

bool isListed(const FolderList& list, std::string_view text) {
  for (std::size_t i = 0; i < list.count(); ++i) {
    if (equalsIgnoringCase(list.textAt(i), text)) return true;
  }
  return false;
}

// Remote folders are quoted so blanks at either end survive the INI file.
void writeHistory(Configuration& configuration, std::string_view site, FolderSide side,
                  const FolderList& list) {
  for (std::size_t n = 0; n < kSavedEntries && n < list.count(); ++n) {
    std::string text = list.textAt(n);
    if (side == FolderSide::kRemote) text = "\"" + text + "\"";
    configuration.iniFile().writeString(site, historyKey(side, n), text);
  }
}

void deleteHistory(Configuration& configuration, std::string_view site, FolderSide side) {
  for (std::size_t n = 0; n < kSavedEntries; ++n) {
    configuration.iniFile().writeString(site, historyKey(side, n), std::nullopt);
  }
}

}  // namespace

void loadFolderHistory(Configuration& configuration, std::string_view site, FolderSide side,
                       FolderList& list) {
  if (!configuration.settings().RETAIN) return;
  if (side == FolderSide::kLocal) list.clear();
  for (std::size_t n = 0; n < kLoadedEntries; ++n) {
    const std::string text =
        cutToLength(configuration.iniFile().readString(site, historyKey(side, n), ""),
                    kEntryLength);
    if (!text.empty() && !isListed(list, text)) list.add(text);
  }
}

void saveFolderHistory(Configuration& configuration, std::string_view site,
                       const FolderList& local, const FolderList& remote) {
  for (auto [side, list] : {std::pair{FolderSide::kRemote, &remote},
                            std::pair{FolderSide::kLocal, &local}}) {
    if (configuration.settings().RETAIN) {
      writeHistory(configuration, site, side, *list);
    } else {
      deleteHistory(configuration, site, side);
    }
  }
}

}  // namespace ferrix::config
