// The listing cache: the raw listings of the remote folders visited on this
// connection, each in its own "DIR" temporary file, so that going back to a
// folder shows it without asking the server again. At most 19 folders are
// kept; the oldest goes (and its file with it) when a 20th arrives.
//
// The cache owns its temporary files and deletes them when a slot is dropped,
// when it is cleared and when it is destroyed. Thread rule: the thread that
// owns the remote pane.
#pragma once
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "config/folder_history.h"
#include "platform/temp_file.h"

namespace ferrix::listing {

// The folder text while PWD has given nothing; never looked up in the cache.
inline constexpr std::string_view kFolderUnavailable = "directory identifier unavailable";

class ListingCache {
 public:
  static constexpr std::size_t kMaxSlots = 19;

  struct Slot {
    std::string folder;
    std::string path;     // the temporary file holding the folder's listing
    bool cached = false;  // the folder was already in the cache
  };

  explicit ListingCache(std::string tempFolder) : tempFolder_(std::move(tempFolder)) {}

  // Finds `folder`, or adds it in a new last slot with a new empty temporary
  // file, dropping the oldest slot when the cache is full. Returns nothing
  // and sets `error` when no temporary file could be made.
  std::optional<Slot> findOrAdd(std::string_view folder, std::error_code& error);
  // Drops the slot whose file is `path` and deletes the file: a listing that
  // failed to arrive must not be shown later as the folder's content.
  void forget(std::string_view path);
  // Drops the slot of `folder`, if cached, so that its listing is fetched
  // anew: entries were moved into it behind the cache's back.
  void forgetFolder(std::string_view folder);
  // Deletes every temporary file and empties the cache.
  void clear() { slots_.clear(); }
  std::size_t size() const { return slots_.size(); }
  // The cached folders, oldest first.
  std::vector<std::string> folders() const;

 private:
  struct Entry {
    std::string folder;
    platform::TempFile file;
  };
  std::string tempFolder_;
  std::deque<Entry> slots_;
};

// Empties the cache (deleting its files) and the remote folder box's
// history; on disconnect and before a new connection.
void ClearListingCache(ListingCache& cache, config::FolderList& remoteFolderBox);

}  // namespace ferrix::listing
