// The overwrite decision: before a file is received or sent, the source
// entry's date (and size) is compared with the file of the same name in the
// destination, and a newer or equal destination file is replaced only when
// the person says so, a remembered "to All" answer allows it, or the rules
// of folder transfers decide.
//
// The destination is seen through DestinationListing: the pane model
// implements it for its entries; LocalFolderListing reads a local folder from
// disk, and ListedEntries holds entries given to it (a remote listing).
// Listings are owned by their callers and only read here.
//
// Thread rule: runs on the thread that runs the transfer; a listing is read
// by one thread at a time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "transfer/transfer_context.h"

namespace ferrix::transfer {

// The date and size of a destination entry; month 0 when no date is known.
struct EntryStamp {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  std::uint64_t size = 0;
};

class DestinationListing {
 public:
  virtual ~DestinationListing() = default;
  // The first file or link named `name` without regard to case; folders and
  // drives never match.
  virtual std::optional<EntryStamp> findFile(std::string_view name) const = 0;
};

// The files of a local folder, dated in local time as the local pane shows
// them.
class LocalFolderListing final : public DestinationListing {
 public:
  explicit LocalFolderListing(std::filesystem::path folder) : folder_(std::move(folder)) {}
  std::optional<EntryStamp> findFile(std::string_view name) const override;

 private:
  std::filesystem::path folder_;
};

// Entries in the order they were added, as a pane lists them.
class ListedEntries final : public DestinationListing {
 public:
  static constexpr int kFirstFolderKind = 4;  // kinds 4 and up: folders, drives

  void add(std::string name, int kind, const EntryStamp& stamp);
  std::optional<EntryStamp> findFile(std::string_view name) const override;

 private:
  struct Entry {
    std::string name;
    int kind;
    EntryStamp stamp;
  };
  std::vector<Entry> entries_;
};

// DecideOverwrite results.
inline constexpr int kCopy = 1;
inline constexpr int kSkipSameVersion = 0;
inline constexpr int kSkipNewerVersion = -1;

// Decides whether the source (transfer.state.currentEntry) is copied over
// `destinationName` in `destination`: kCopy, or the reason to skip. May ask
// through the UserInterface and remember a "to All" answer in the state.
int DecideOverwrite(TransferContext& transfer, std::string_view destinationName,
                    const DestinationListing& destination);

}  // namespace ferrix::transfer
