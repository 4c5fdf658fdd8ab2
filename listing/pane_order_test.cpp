#include "listing/pane_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "listing/pane_model.h"

namespace ferrix::listing {
namespace {

struct Entry {
  const char* name;
  std::int32_t kind;
  std::uint16_t year = 0;
  std::uint8_t day = 0;
  std::uint64_t size = 0;
};

std::vector<std::string> OrderedNames(PaneSide side, std::int32_t sortValue,
                                      const std::vector<Entry>& entries) {
  PaneModel pane(side, sortValue);
  for (const Entry& entry : entries) {
    PaneItem item = MakeNamedItem(side, entry.kind, entry.name);
    item.year = entry.year;
    item.month = entry.year == 0 ? 0 : 6;
    item.day = entry.day;
    item.size = entry.size;
    pane.add(item);
  }
  std::vector<std::string> names;
  for (const PaneItem& item : pane.items()) names.emplace_back(item.name());
  return names;
}

struct OrderCase {
  const char* scenario;
  PaneSide side;
  std::int32_t sortValue;
  std::vector<Entry> entries;
  std::vector<std::string> expected;
};

TEST(PaneOrder, EveryRuleOfTheComparison) {
  const std::vector<OrderCase> cases = {
      {"name: parent, folders, links, files, case ignored",
       PaneSide::kRemote,
       1,
       {{"zeta.txt", 1}, {"Alpha", 0}, {"beta", 4}, {"link", 2}, {"..", 4}, {"Ant", 4}},
       {"..", "Ant", "beta", "link", "Alpha", "zeta.txt"}},
      {"mixed folders sort among files",
       PaneSide::kRemote,
       17,
       {{"c", 0}, {"b", 4}, {"a", 1}, {"..", 4}},
       {"..", "a", "b", "c"}},
      {"folders at the bottom, parent still first",
       PaneSide::kRemote,
       33,
       {{"m", 2}, {"z", 4}, {"..", 4}, {"a", 0}},
       {"..", "a", "m", "z"}},
      {"extension, then name; no dot is empty",
       PaneSide::kLocal,
       2,
       {{"b.txt", 0}, {"a.zip", 0}, {"c.TXT", 0}, {"noext", 0}},
       {"noext", "b.txt", "c.TXT", "a.zip"}},
      {"date oldest first",
       PaneSide::kRemote,
       3,
       {{"new", 0, 2003, 2}, {"old", 0, 1999, 9}, {"mid", 0, 2003, 1}},
       {"old", "mid", "new"}},
      {"reverse date keeps folders on top",
       PaneSide::kRemote,
       11,
       {{"old", 0, 1999, 1}, {"dir", 4, 1990, 1}, {"new", 0, 2003, 1}},
       {"dir", "new", "old"}},
      {"size smallest first, ties by name",
       PaneSide::kLocal,
       4,
       {{"big", 0, 0, 0, 5000000000ULL}, {"b", 0, 0, 0, 2}, {"a", 0, 0, 0, 2}},
       {"a", "b", "big"}},
      {"from the second character, then the first",
       PaneSide::kRemote,
       5,
       {{"xb", 0}, {"ya", 0}, {"Aa", 0}},
       {"Aa", "ya", "xb"}},
      {"reverse name leaves parent first",
       PaneSide::kRemote,
       9,
       {{"a", 0}, {"..", 4}, {"b", 0}},
       {"..", "b", "a"}},
      {"no key keeps the order of arrival within a kind",
       PaneSide::kRemote,
       0,
       {{"b", 0}, {"c", 4}, {"a", 0}},
       {"c", "b", "a"}},
      {"drive last with folders on top",
       PaneSide::kLocal,
       1,
       {{"[-c-]", 8}, {"dir", 4}, {"a", 0}},
       {"dir", "a", "[-c-]"}},
      {"drive last with folders at the bottom",
       PaneSide::kLocal,
       33,
       {{"[-c-]", 8}, {"dir", 4}, {"a", 0}},
       {"a", "dir", "[-c-]"}},
      {"drive last with folders mixed",
       PaneSide::kLocal,
       17,
       {{"[-a-]", 8}, {"b", 4}, {"c", 0}},
       {"b", "c", "[-a-]"}},
  };
  for (const OrderCase& c : cases) {
    EXPECT_EQ(OrderedNames(c.side, c.sortValue, c.entries), c.expected) << c.scenario;
  }
}

TEST(PaneOrder, ChangingTheSortValueReordersTheItems) {
  PaneModel pane(PaneSide::kLocal, 1);
  pane.add(MakeNamedItem(PaneSide::kLocal, kKindFile, "b"));
  pane.add(MakeNamedItem(PaneSide::kLocal, kKindFile, "a"));
  pane.setSortValue(9);
  EXPECT_EQ(pane.at(0).name(), "b");
  EXPECT_EQ(pane.at(1).name(), "a");
}

struct ClickCase {
  std::int32_t before;
  HeaderClick click;
  PaneSide side;
  std::int32_t after;
};

TEST(PaneOrder, HeaderClicks) {
  const HeaderClick name{HeaderButton::kName};
  const HeaderClick nameCtrl{HeaderButton::kName, true, false};
  const HeaderClick nameAlt{HeaderButton::kName, false, true};
  const HeaderClick date{HeaderButton::kDate};
  const HeaderClick size{HeaderButton::kSize};
  const HeaderClick folders{HeaderButton::kFolders};
  const std::vector<ClickCase> cases = {
      {1, date, PaneSide::kRemote, 11},  // newest first
      {11, date, PaneSide::kRemote, 3},  // the second click: oldest first
      {1, name, PaneSide::kLocal, 9},      {9, name, PaneSide::kLocal, 1},
      {17, name, PaneSide::kLocal, 25},    {11, name, PaneSide::kLocal, 1},
      {35, size, PaneSide::kLocal, 36},    {4, size, PaneSide::kLocal, 12},
      {1, nameCtrl, PaneSide::kLocal, 2},  {2, nameCtrl, PaneSide::kLocal, 10},
      {1, nameAlt, PaneSide::kRemote, 5},  {5, nameAlt, PaneSide::kRemote, 13},
      {1, nameAlt, PaneSide::kLocal, 9},  // Alt has no key of its own locally
      {1, folders, PaneSide::kLocal, 17},  {17, folders, PaneSide::kLocal, 33},
      {33, folders, PaneSide::kLocal, 1},  {12, folders, PaneSide::kLocal, 28},
      {49, folders, PaneSide::kLocal, 17},
  };
  for (const ClickCase& c : cases) {
    EXPECT_EQ(SortValueAfterClick(c.before, c.click, c.side), c.after) << "from " << c.before;
  }
}

TEST(PaneOrder, SortDialogMapsEveryField) {
  const SortDialogChoice choice = SortDialogChoiceFrom(3 | 8 | 16);
  EXPECT_EQ(choice.key, SortKey::kDate);
  EXPECT_TRUE(choice.reverse);
  EXPECT_EQ(choice.placement, FolderPlacement::kMixed);
  EXPECT_EQ(SortValueFrom(choice), 27);
  EXPECT_EQ(SortValueFrom({SortKey::kNone, false, FolderPlacement::kAtBottom}), 32);
  EXPECT_EQ(SortDialogChoiceFrom(5).key, SortKey::kName);
}

// Many items that tie on the first eight letters, differ only in case, are
// shorter than eight letters or share dates and sizes, in every order the
// sort value can ask for: the whole-list sort must give exactly what a
// stable sort with the item comparison gives, ties kept in arrival order.
enum class KindMix { kUsual, kWithDrive, kManyKinds };

std::vector<PaneItem> TieHeavyItems(KindMix mix) {
  const char* const stems[] = {"report_2024_", "REPORT_2024_", "Report", "a", "", "b.TXT",
                               "b.txt", "archive.tar.gz", ".hidden", "Zeta"};
  const std::int32_t kinds[] = {kKindFile, kKindTextFile, kKindLink, kKindFolder};
  std::vector<PaneItem> items;
  for (std::uint32_t i = 0; i < 600; ++i) {
    std::string name = std::string(stems[(i * 7) % 10]) + std::to_string((i * 13) % 5);
    if (i % 97 == 0) name = std::string(kParentName);
    PaneItem item = MakeNamedItem(PaneSide::kRemote, kinds[(i * 5) % 4], name);
    if (mix == KindMix::kWithDrive && i % 151 == 0) item.kind = kKindDrive;
    if (mix == KindMix::kManyKinds) item.kind = 16 + static_cast<std::int32_t>(i % 40);
    item.year = static_cast<std::uint16_t>(2020 + i % 3);
    item.month = static_cast<std::uint8_t>(1 + i % 2);
    item.day = static_cast<std::uint8_t>(1 + (i * 3) % 4);
    item.size = (i * 11) % 6;
    // The arrival number rides after the name, where ordering never looks.
    item.text += '\t' + std::to_string(i);
    items.push_back(std::move(item));
  }
  return items;
}

std::vector<std::string> Texts(const std::vector<PaneItem>& items) {
  std::vector<std::string> texts;
  for (const PaneItem& item : items) texts.push_back(item.text);
  return texts;
}

TEST(PaneOrder, WholeListSortEqualsAStableSortUnderEverySortValue) {
  for (const KindMix mix : {KindMix::kUsual, KindMix::kWithDrive, KindMix::kManyKinds}) {
    const std::vector<PaneItem> items = TieHeavyItems(mix);
    for (std::int32_t sortValue = 0; sortValue < 64; ++sortValue) {
      std::vector<PaneItem> expected = items;
      std::stable_sort(expected.begin(), expected.end(),
                       [sortValue](const PaneItem& a, const PaneItem& b) {
                         return ComparePaneItems(a, b, sortValue) < 0;
                       });
      std::vector<PaneItem> sorted = items;
      SortPaneItems(sorted, sortValue);
      ASSERT_EQ(Texts(sorted), Texts(expected))
          << "sort value " << sortValue << ", kinds " << static_cast<int>(mix);
      // A list that arrives in order already stays as it is.
      SortPaneItems(sorted, sortValue);
      ASSERT_EQ(Texts(sorted), Texts(expected)) << "again, sort value " << sortValue;
    }
  }
}

}  // namespace
}  // namespace ferrix::listing
