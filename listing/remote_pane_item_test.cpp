#include "listing/remote_pane_item.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace ferrix::listing {
namespace {

ListingEntry EntryNamed(const char* name, std::uint8_t kind = 0) {
  ListingEntry entry{};
  std::strncpy(entry.name, name, sizeof entry.name - 1);
  entry.kind = kind;
  entry.size = 5000000000ULL;
  return entry;
}

transfer::NameRuleSettings TxtOnly() {
  transfer::NameRuleSettings rules;
  rules.asciiListPath = "/nonexistent/FERRIX.EXT";
  return rules;
}

TEST(RemoteItem, NamesWithoutAnItemAreSkipped) {
  for (const char* name : {"", ".", ".."}) {
    EXPECT_FALSE(MakeRemoteItem(EntryNamed(name), transfer::AsciiNameList::load(TxtOnly()), 0).has_value()) << name;
  }
}

TEST(RemoteItem, KindKeepsTheServersWordOrFollowsTheAsciiList) {
  struct Case {
    const char* name;
    std::uint8_t decodedKind;
    std::int32_t kind;
  };
  const std::vector<Case> cases = {
      {"README.TXT;3", 0, kKindTextFile}, {"data.bin", 0, kKindFile},
      {"dir.txt", 4, kKindFolder},        {"to", 2, kKindLink},
      {"element", 16, kKindFile},
  };
  for (const Case& c : cases) {
    const auto item = MakeRemoteItem(EntryNamed(c.name, c.decodedKind), transfer::AsciiNameList::load(TxtOnly()), 0);
    ASSERT_TRUE(item.has_value()) << c.name;
    EXPECT_EQ(item->kind, c.kind) << c.name;
    EXPECT_EQ(item->name(), c.name);
    EXPECT_EQ(item->itemType, 1);
    EXPECT_EQ(item->size, 5000000000ULL);
  }
}

TEST(RemoteItem, TimeOffsetRollsDaysMonthsAndYears) {
  struct Case {
    int offset;
    std::uint16_t year;
    std::uint8_t month, day, hour;
    std::uint16_t expectedYear;
    std::uint8_t expectedMonth, expectedDay, expectedHour;
  };
  const std::vector<Case> cases = {
      {3, 2003, 12, 25, 10, 2003, 12, 25, 13},
      {3, 2003, 12, 31, 22, 2004, 1, 1, 1},
      {-5, 2004, 1, 1, 2, 2003, 12, 31, 21},
      {-5, 2004, 3, 1, 2, 2004, 2, 29, 21},
      {-5, 2003, 3, 1, 2, 2003, 2, 28, 21},
      {2, 2004, 2, 28, 23, 2004, 2, 29, 1},
      {2, 2003, 2, 28, 23, 2003, 3, 1, 1},
      {3, 2003, 12, 25, 0, 2003, 12, 25, 0},  // no hour: left as listed
      {-30, 2003, 12, 25, 10, 2003, 12, 24, 4},
  };
  for (const Case& c : cases) {
    ListingEntry entry = EntryNamed("f");
    entry.year = c.year;
    entry.month = c.month;
    entry.day = c.day;
    entry.hour = c.hour;
    const auto item = MakeRemoteItem(entry, transfer::AsciiNameList::load(TxtOnly()), c.offset);
    ASSERT_TRUE(item.has_value());
    EXPECT_EQ(item->year, c.expectedYear) << c.offset << " " << int{c.day};
    EXPECT_EQ(item->month, c.expectedMonth) << c.offset << " " << int{c.day};
    EXPECT_EQ(item->day, c.expectedDay) << c.offset << " " << int{c.day};
    EXPECT_EQ(item->hour, c.expectedHour) << c.offset << " " << int{c.day};
  }
}

TEST(RemoteItem, UnterminatedNameStaysInsideItsRecord) {
  ListingEntry entry{};
  std::memset(entry.name, 'n', sizeof entry.name);
  const auto item = MakeRemoteItem(entry, transfer::AsciiNameList::load(TxtOnly()), 0);
  ASSERT_TRUE(item.has_value());
  EXPECT_EQ(item->name().size(), sizeof entry.name);
}

}  // namespace
}  // namespace ferrix::listing
