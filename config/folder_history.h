// The folder histories of a site: the recent remote and local folders shown
// in the folder lists above the two panes, kept in the site's section as
// "rdir0".."rdir9" (quoted) and "ldir0".."ldir9", and only while the site's
// RETAIN option is on.
//
// FolderList is the little of a combo box's list the histories need; the
// window implements it over its folder lists, MemoryFolderList is the plain
// one for tests and the console. Lists belong to their owner. Thread rule:
// the thread that owns the lists and the Configuration.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/configuration.h"

namespace ferrix::config {

class FolderList {
 public:
  virtual ~FolderList() = default;
  virtual std::size_t count() const = 0;
  virtual std::string textAt(std::size_t index) const = 0;
  // Adds `text` as the last entry.
  virtual void add(std::string_view text) = 0;
  virtual void clear() = 0;
};

class MemoryFolderList final : public FolderList {
 public:
  MemoryFolderList() = default;
  explicit MemoryFolderList(std::vector<std::string> entries) : entries_(std::move(entries)) {}

  std::size_t count() const override { return entries_.size(); }
  std::string textAt(std::size_t index) const override { return entries_.at(index); }
  void add(std::string_view text) override { entries_.emplace_back(text); }
  void clear() override { entries_.clear(); }

  const std::vector<std::string>& entries() const { return entries_; }

 private:
  std::vector<std::string> entries_;
};

enum class FolderSide { kLocal, kRemote };

// With RETAIN on, adds the stored history of `site` to `list`: up to twenty
// entries, skipping empty ones and those already listed (any case). The
// local list is emptied first, the remote one is not.
void loadFolderHistory(Configuration& configuration, std::string_view site, FolderSide side,
                       FolderList& list);

// With RETAIN on, writes the first ten entries of each list (stopping at the
// first missing one, so older keys beyond it stay); with RETAIN off, deletes
// all ten keys of each kind.
void saveFolderHistory(Configuration& configuration, std::string_view site,
                       const FolderList& local, const FolderList& remote);

}  // namespace ferrix::config
