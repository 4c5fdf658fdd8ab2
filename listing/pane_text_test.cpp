#include "listing/pane_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ferrix::listing {
namespace {

PaneItem ChristmasMorning() {
  PaneItem item = MakeNamedItem(PaneSide::kRemote, kKindFile, "gift");
  item.year = 2003;
  item.month = 12;
  item.day = 25;
  item.hour = 10;
  item.minute = 30;
  return item;
}

TEST(PaneText, DateFollowsDateFmtAndLongDate) {
  struct Case {
    std::int32_t dateFmt;
    std::int32_t longDate;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {0, 1, "20031225 10:30"}, {1, 1, "12252003 10:30"}, {2, 1, "25122003 10:30"},
      {0, 0, "031225 10:30"},   {2, 0, "251203 10:30"},   {7, 1, "20031225 10:30"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DateText(ChristmasMorning(), c.dateFmt, c.longDate), c.expected)
        << c.dateFmt << "/" << c.longDate;
  }
  PaneItem millennium = ChristmasMorning();
  millennium.year = 2000;
  EXPECT_EQ(DateText(millennium, 0, 0), "001225 10:30");
}

TEST(PaneText, SizeHoldsSixtyFourBits) {
  EXPECT_EQ(SizeText(0), "0");
  EXPECT_EQ(SizeText(5000000000ULL), "5000000000");
}

TEST(PaneText, OnlyANameThatDoesNotFitEndsInAnEllipsis) {
  // Ten pixels a character: a column of 100 holds ten, or nine and the ellipsis.
  const TextWidth tenPerCharacter = [](std::string_view text) {
    int characters = 0;
    for (const char c : text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return characters * 10;
  };
  struct Case {
    const char* name;
    int columnWidth;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {"short", 100, "short"},
      {"abcdefghij", 100, "abcdefghij"},
      {"abcdefghijk", 100, "abcdefghi\xE2\x80\xA6"},
      {"abcdefghijklmnop", 40, "abc\xE2\x80\xA6"},
      {"abcdefghijklmnop", 20, "a\xE2\x80\xA6"},
      {"abcdefghijklmnop", 0, "a\xE2\x80\xA6"},
      {"\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", 40, "\xC3\xA9\xC3\xA9\xC3\xA9\xE2\x80\xA6"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShortenedName(c.name, c.columnWidth, tenPerCharacter), c.expected)
        << c.name << " in " << c.columnWidth;
  }
}

TEST(PaneText, LocalTailFollowsThePaddedName) {
  const LocalTime time{2003, 12, 25, 10, 30};
  EXPECT_EQ(LocalItemText("a.txt", time, 42), "a.txt       \t20031225 10:30         42");
  EXPECT_EQ(LocalItemText("a-very-long-name", time, 5000000000ULL),
            "a-very-long-name\t20031225 10:30 5000000000");
}

TEST(PaneText, DisplayTailSkipsLeadingBlanks) {
  PaneItem item = MakeNamedItem(PaneSide::kLocal, kKindFolder, "a");
  item.text = "a   \t 19991231 23:59 7";
  EXPECT_EQ(DisplayTail(item), "19991231 23:59 7");
  EXPECT_EQ(DisplayTail(MakeNamedItem(PaneSide::kLocal, kKindFolder, "..")), "");
}

// The shown form of a name lives in the item's text between the name and
// the tail; setting it again replaces it and leaves both alone.
TEST(PaneText, ShownNameSitsBetweenTheNameAndTheTail) {
  PaneItem item = MakeNamedItem(PaneSide::kRemote, kKindFile, "\xcf\xf0");
  item.text += "\t 7";
  EXPECT_EQ(item.shownName(), "\xcf\xf0");
  item.setShownName("\xd0\x9f\xd1\x80");
  item.setShownName("\xd0\x9f\xd1\x80!");
  EXPECT_EQ(item.name(), "\xcf\xf0");
  EXPECT_EQ(item.shownName(), "\xd0\x9f\xd1\x80!");
  EXPECT_EQ(DisplayTail(item), "7");
}

}  // namespace
}  // namespace ferrix::listing
