#include "transfer/overwrite_decision.h"

#include <dirent.h>
#include <sys/stat.h>
#include <strings.h>

#include <ctime>
#include <tuple>

#include "resources/strings.h"

namespace ferrix::transfer {
namespace {

namespace strings = resources::string_id;

bool sameNameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::optional<EntryStamp> stampOfFile(const std::filesystem::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || S_ISDIR(status.st_mode)) return std::nullopt;
  std::tm when{};
  localtime_r(&status.st_mtime, &when);
  return EntryStamp{when.tm_year + 1900, when.tm_mon + 1, when.tm_mday, when.tm_hour,
                    when.tm_min, static_cast<std::uint64_t>(status.st_size)};
}

// Listing years below 200 count from 1900 (two-digit years, and years kept
// as an offset from 1900).
int fullYear(int year) { return year < 200 ? year + 1900 : year; }

// Compares the minute stamps; equal minutes differ only by size.
int compareStamps(const CurrentEntry& source, const EntryStamp& destination) {
  const auto sourceStamp =
      std::make_tuple(fullYear(source.year), source.month, source.day, source.hour, source.minute);
  const auto destinationStamp = std::make_tuple(fullYear(destination.year), destination.month,
                                                destination.day, destination.hour,
                                                destination.minute);
  if (sourceStamp > destinationStamp) return kCopy;
  if (sourceStamp < destinationStamp) return kSkipNewerVersion;
  return source.size == destination.size ? kSkipSameVersion : kCopy;
}

std::string question(int result, std::string_view name) {
  return formatWithText(resources::loadString(result == kSkipSameVersion
                                                  ? strings::kSameVersionQuestion
                                                  : strings::kNewerVersionQuestion),
                        name);
}

// Asks whether to copy over the existing file, remembering a "to All" answer.
int askPerson(TransferContext& transfer, int result, std::string_view name) {
  using Answer = session::UserInterface::OverwriteAnswer;
  TransferState& state = transfer.state;
  switch (transfer.userInterface.AskOverwrite(question(result, name), name, state.BatchFileCount)) {
    case Answer::kYes:
      return kCopy;
    case Answer::kYesToAll:
      state.OverwriteAllAnswer = 1;
      return kCopy;
    case Answer::kNoToAll:
      state.OverwriteAllAnswer = -1;
      return result;
    case Answer::kNo:
      break;
  }
  return result;
}

}  // namespace

std::optional<EntryStamp> LocalFolderListing::findFile(std::string_view name) const {
  if (name.empty()) return std::nullopt;
  if (auto exact = stampOfFile(folder_ / name)) return exact;
  if (name.find('/') != std::string_view::npos) return std::nullopt;
  // The pane matches names without regard to case; the disk may not.
  DIR* folder = ::opendir(folder_.c_str());
  if (folder == nullptr) return std::nullopt;
  std::optional<EntryStamp> found;
  while (const dirent* entry = ::readdir(folder)) {
    if (!sameNameIgnoringCase(entry->d_name, name)) continue;
    found = stampOfFile(folder_ / entry->d_name);
    if (found) break;
  }
  ::closedir(folder);
  return found;
}

void ListedEntries::add(std::string name, int kind, const EntryStamp& stamp) {
  entries_.push_back({std::move(name), kind, stamp});
}

std::optional<EntryStamp> ListedEntries::findFile(std::string_view name) const {
  for (const Entry& entry : entries_) {
    if (entry.kind < kFirstFolderKind && sameNameIgnoringCase(entry.name, name)) {
      return entry.stamp;
    }
  }
  return std::nullopt;
}

int DecideOverwrite(TransferContext& transfer, std::string_view destinationName,
                    const DestinationListing& destination) {
  const TransferState& state = transfer.state;
  const CurrentEntry& source = state.currentEntry;
  if ((!state.FolderTransferActive && !transfer.settings.applyOverwriteRules) ||
      source.month == 0) {
    return kCopy;
  }
  const std::optional<EntryStamp> existing = destination.findFile(destinationName);
  if (!existing || existing->month == 0) return kCopy;
  const int result = compareStamps(source, *existing);
  if (result == kCopy) return kCopy;
  if (state.FolderTransferActive) {
    return transfer.settings.skipExistingInFolders ? result : kCopy;
  }
  if (state.OverwriteAllAnswer == 1) return kCopy;
  if (state.OverwriteAllAnswer == -1) return result;
  return askPerson(transfer, result, destinationName);
}

}  // namespace ferrix::transfer
