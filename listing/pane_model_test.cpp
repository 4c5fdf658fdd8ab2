#include "listing/pane_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/scratch_folder.h"

namespace ferrix::listing {
namespace {

LocalListingOptions OptionsWithMask(const std::string& mask, bool longDir = false) {
  LocalListingOptions options;
  options.maskText = mask;
  options.longDir = longDir;
  options.nameRules.asciiListPath = "/nonexistent/FERRIX.EXT";  // the list is ".TXT" alone
  return options;
}

std::vector<std::string> Names(const PaneModel& pane) {
  std::vector<std::string> names;
  for (const PaneItem& item : pane.items()) names.emplace_back(item.name());
  return names;
}

class LocalFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_.write("notes.txt", "hello");
    scratch_.write("image.bin", std::string(1000, 'x'));
    scratch_.write("tab\tname.TXT", "");
    scratch_.makeFolder("sub");
  }

  testing::ScratchFolder scratch_;
  config::MemoryFolderList folderBox_{{"/elsewhere"}};
  PaneModel pane_{PaneSide::kLocal, 1};
};

TEST_F(LocalFolder, ListsParentFoldersAndFilesWithTheirKinds) {
  ShowLocalFolder(scratch_.path(), OptionsWithMask(""), pane_, folderBox_);
  EXPECT_EQ(Names(pane_),
            (std::vector<std::string>{"..", "sub", "image.bin", "notes.txt", "tab\tname.TXT"}));
  EXPECT_EQ(pane_.at(0).kind, kKindFolder);
  EXPECT_FALSE(pane_.at(0).hasDate());
  EXPECT_EQ(pane_.at(1).kind, kKindFolder);
  EXPECT_EQ(pane_.at(2).kind, kKindFile);
  EXPECT_EQ(pane_.at(2).size, 1000u);
  EXPECT_EQ(pane_.at(3).kind, kKindTextFile);
  EXPECT_EQ(pane_.at(4).kind, kKindTextFile);
  EXPECT_GE(pane_.at(3).year, 2000);
  EXPECT_EQ(pane_.at(3).itemType, 0);
  EXPECT_EQ(folderBox_.entries(), (std::vector<std::string>{scratch_.path(), "/elsewhere"}));
}

TEST_F(LocalFolder, MaskFiltersFilesButNotFolders) {
  ShowLocalFolder(scratch_.path(), OptionsWithMask("*.TXT"), pane_, folderBox_);
  EXPECT_EQ(Names(pane_), (std::vector<std::string>{"..", "sub", "notes.txt", "tab\tname.TXT"}));
}

TEST_F(LocalFolder, LongDirTailFollowsTheWholeName) {
  ShowLocalFolder(scratch_.path(), OptionsWithMask("tab*", true), pane_, folderBox_);
  ASSERT_EQ(pane_.size(), 3u);
  const PaneItem& file = pane_.at(2);
  EXPECT_EQ(file.name(), "tab\tname.TXT");
  EXPECT_EQ(file.text.substr(file.nameLength, 1), "\t");
  EXPECT_EQ(file.text.substr(file.text.size() - 10), "         0");
}

TEST_F(LocalFolder, RelistingReplacesTheItems) {
  ShowLocalFolder(scratch_.path(), OptionsWithMask(""), pane_, folderBox_);
  ShowLocalFolder(scratch_ / "sub", OptionsWithMask(""), pane_, folderBox_);
  EXPECT_EQ(Names(pane_), (std::vector<std::string>{".."}));
  EXPECT_EQ(folderBox_.count(), 3u);
}

TEST_F(LocalFolder, UnreadableFolderKeepsOnlyTheParent) {
  ShowLocalFolder(scratch_ / "missing", OptionsWithMask(""), pane_, folderBox_);
  EXPECT_EQ(Names(pane_), (std::vector<std::string>{".."}));
}

// A whole listing added at once lands in the order single adds give, ties
// (equal sizes here) kept in arrival order, for every sort value.
TEST(PaneBulkAdd, OrdersAsSingleAddsDo) {
  const struct {
    std::int32_t kind;
    const char* name;
    std::uint64_t size;
  } entries[] = {{kKindFile, "b.txt", 5}, {kKindFolder, "Docs", 0}, {kKindFile, "a.bin", 5},
                 {kKindLink, "ln", 1},    {kKindFolder, "..", 0},   {kKindFile, "C", 2}};
  for (const std::int32_t sortValue : {0, 1, 2, 4, 12, 17, 33}) {
    SCOPED_TRACE(sortValue);
    PaneModel oneByOne(PaneSide::kRemote, sortValue);
    PaneModel atOnce(PaneSide::kRemote, sortValue);
    std::vector<PaneItem> items;
    oneByOne.add(MakeNamedItem(PaneSide::kRemote, kKindFile, "first"));
    atOnce.add(MakeNamedItem(PaneSide::kRemote, kKindFile, "first"));
    for (const auto& entry : entries) {
      PaneItem item = MakeNamedItem(PaneSide::kLocal, entry.kind, entry.name);
      item.size = entry.size;
      oneByOne.add(item);
      items.push_back(item);
    }
    atOnce.addAll(std::move(items));
    EXPECT_EQ(Names(atOnce), Names(oneByOne));
    for (const PaneItem& item : atOnce.items()) EXPECT_EQ(item.itemType, 1);
  }
}

TEST(PaneFolderHistory, PushMovesAnEntryOfAnyCaseToTheTop) {
  config::MemoryFolderList box({"/a", "/B", "/c"});
  PushFolderHistory(box, "/b");
  EXPECT_EQ(box.entries(), (std::vector<std::string>{"/b", "/a", "/c"}));
  PushFolderHistory(box, "");
  EXPECT_EQ(box.entries(), (std::vector<std::string>{"/b", "/a", "/c"}));
}

TEST(PaneMasks, LocalPatternMatching) {
  struct Case {
    const char* name;
    const char* pattern;
    bool matches;
  };
  const std::vector<Case> cases = {
      {"README", "*.*", true},    {"a.TXT", "*.txt", true},  {"a.txt", "?.txt", true},
      {"ab.txt", "?.txt", false}, {"abc", "a*c*", true},     {"abd", "a*c", false},
      {"x", "", false},           {"report.c", "*.c", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchesLocalMask(c.name, c.pattern), c.matches) << c.name << " " << c.pattern;
  }
}

TEST(PaneMasks, MaskTextsAreCutAndDefaulted) {
  EXPECT_EQ(LocalSearchPattern(""), "*.*");
  EXPECT_EQ(LocalSearchPattern("abcdefghijklmnop"), "abcdefghijkl");
  EXPECT_EQ(RemoteMaskArgument("abcdefghijklmnopqrstuvwxyz"), "abcdefghijklmnopqrs");
  EXPECT_TRUE(RemoteMaskChangeRedisplays("", "*.c"));
  EXPECT_TRUE(RemoteMaskChangeRedisplays("a?", ""));
  EXPECT_FALSE(RemoteMaskChangeRedisplays("*.c", "foo"));
  EXPECT_FALSE(RemoteMaskChangeRedisplays("foo", ""));
}

}  // namespace
}  // namespace ferrix::listing
