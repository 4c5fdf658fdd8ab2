#include "listing/listing_cache.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "testing/scratch_folder.h"

namespace ferrix::listing {
namespace {

namespace fs = std::filesystem;

ListingCache::Slot lookUp(ListingCache& cache, const std::string& folder) {
  std::error_code error;
  std::optional<ListingCache::Slot> slot = cache.findOrAdd(folder, error);
  EXPECT_TRUE(slot.has_value()) << error.message();
  return slot.value_or(ListingCache::Slot{});
}

TEST(ListingCache, FolderFoundAgainUsesItsFileAndNamesAreCaseSensitive) {
  testing::ScratchFolder scratch;
  ListingCache cache(scratch.path());
  const ListingCache::Slot first = lookUp(cache, "/pub");
  EXPECT_FALSE(first.cached);
  EXPECT_THAT(fs::path(first.path).filename().string(), ::testing::StartsWith("DIR"));
  EXPECT_TRUE(fs::exists(first.path));
  const ListingCache::Slot again = lookUp(cache, "/pub");
  EXPECT_TRUE(again.cached);
  EXPECT_EQ(again.path, first.path);
  EXPECT_FALSE(lookUp(cache, "/PUB").cached);
  EXPECT_EQ(cache.size(), 2u);
}

TEST(ListingCache, UnavailableFolderIsNeverFoundAgain) {
  testing::ScratchFolder scratch;
  ListingCache cache(scratch.path());
  const ListingCache::Slot first = lookUp(cache, std::string(kFolderUnavailable));
  const ListingCache::Slot second = lookUp(cache, std::string(kFolderUnavailable));
  EXPECT_FALSE(second.cached);
  EXPECT_NE(second.path, first.path);
}

TEST(ListingCache, TwentiethFolderEvictsTheOldestAndDeletesItsFile) {
  testing::ScratchFolder scratch;
  ListingCache cache(scratch.path());
  std::vector<std::string> paths;
  for (int folder = 0; folder < 20; ++folder) {
    paths.push_back(lookUp(cache, "/f" + std::to_string(folder)).path);
  }
  EXPECT_EQ(cache.size(), ListingCache::kMaxSlots);
  EXPECT_FALSE(fs::exists(paths[0]));
  EXPECT_TRUE(fs::exists(paths[1]));
  EXPECT_TRUE(lookUp(cache, "/f1").cached);
  EXPECT_FALSE(lookUp(cache, "/f0").cached);
}

TEST(ListingCache, ForgetAndClearDeleteTheFilesAndClearEmptiesTheFolderBox) {
  testing::ScratchFolder scratch;
  ListingCache cache(scratch.path());
  const std::string failed = lookUp(cache, "/failed").path;
  const std::string kept = lookUp(cache, "/kept").path;
  cache.forget(failed);
  EXPECT_FALSE(fs::exists(failed));
  EXPECT_FALSE(lookUp(cache, "/failed").cached);
  config::MemoryFolderList box;
  box.add("/kept");
  ClearListingCache(cache, box);
  EXPECT_EQ(cache.size(), 0u);
  EXPECT_FALSE(fs::exists(kept));
  EXPECT_TRUE(box.entries().empty());
  EXPECT_TRUE(fs::is_empty(scratch.path()));
}

TEST(ListingCache, NoFileCanBeMadeInAMissingFolder) {
  testing::ScratchFolder scratch;
  ListingCache cache(scratch / "missing");
  std::error_code error;
  EXPECT_FALSE(cache.findOrAdd("/pub", error).has_value());
  EXPECT_TRUE(error);
  EXPECT_EQ(cache.size(), 0u);
}

}  // namespace
}  // namespace ferrix::listing
