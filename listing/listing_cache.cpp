#include "listing/listing_cache.h"

#include <algorithm>

namespace ferrix::listing {

namespace {
constexpr std::string_view kListingPrefix = "DIR";
}  // namespace

std::optional<ListingCache::Slot> ListingCache::findOrAdd(std::string_view folder,
                                                          std::error_code& error) {
  if (folder != kFolderUnavailable) {
    const auto found = std::find_if(slots_.begin(), slots_.end(),
                                    [&](const Entry& entry) { return entry.folder == folder; });
    if (found != slots_.end()) return Slot{found->folder, found->file.path(), true};
  }
  std::optional<platform::TempFile> file =
      platform::TempFile::create(tempFolder_, kListingPrefix, error);
  if (!file) return std::nullopt;
  if (slots_.size() >= kMaxSlots) slots_.pop_front();
  slots_.push_back(Entry{std::string(folder), std::move(*file)});
  return Slot{slots_.back().folder, slots_.back().file.path(), false};
}

void ListingCache::forget(std::string_view path) {
  std::erase_if(slots_, [&](const Entry& entry) { return entry.file.path() == path; });
}

std::vector<std::string> ListingCache::folders() const {
  std::vector<std::string> folders;
  for (const Entry& entry : slots_) folders.push_back(entry.folder);
  return folders;
}

void ListingCache::forgetFolder(std::string_view folder) {
  std::erase_if(slots_, [&](const Entry& entry) { return entry.folder == folder; });
}

void ClearListingCache(ListingCache& cache, config::FolderList& remoteFolderBox) {
  cache.clear();
  remoteFolderBox.clear();
}

}  // namespace ferrix::listing
