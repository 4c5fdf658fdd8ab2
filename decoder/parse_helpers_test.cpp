#include "decoder/parse_helpers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

namespace ferrix::decoder {
namespace {

ListingEntry ClearedEntry() {
  ListingEntry entry;
  std::memset(&entry, 0, sizeof entry);
  return entry;
}

struct NumberCase {
  const char* text;
  std::int32_t number;
  std::uint64_t size;
};

TEST(ParseHelpers, NumbersReadLikeTheirRule) {
  const NumberCase cases[] = {
      {"  42abc", 42, 42},
      {"\t42", 0, 0},  // only spaces are skipped
      {"-17", -17, 0},
      {"+8", 8, 8},
      {"", 0, 0},
      {"abc", 0, 0},
      {"5000000000", 705032704, 5000000000ull},
      {"4294967295", -1, 4294967295ull},
      {"99999999999999999999999", -159383553, UINT64_MAX},
  };
  for (const NumberCase& c : cases) {
    EXPECT_EQ(NumberAt(c.text), c.number) << c.text;
    EXPECT_EQ(SizeAt(c.text), c.size) << c.text;
  }
  EXPECT_EQ(NumberAt(nullptr), 0);
  EXPECT_EQ(SizeAt(nullptr), 0u);
}

struct FieldCase {
  const char* text;
  int n;
  const char* field;  // nullptr = none
};

TEST(ParseHelpers, FieldsAreSeparatedBySpacesOnly) {
  const FieldCase cases[] = {
      {"a b  c", 1, "a b  c"}, {"  a b", 1, "  a b"},  {"  a b", 2, "a b"}, {"  a b", 3, "b"},
      {"a b  c", 3, "c"},      {"a b  c", 4, nullptr}, {"a\tb c", 2, "c"},  {"a b ", 3, nullptr},
      {"", 2, nullptr},        {"x", 0, "x"},
  };
  for (const FieldCase& c : cases) {
    std::string text = c.text;
    const char* found = FieldAt(text.data(), c.n);
    if (c.field == nullptr) {
      EXPECT_EQ(found, nullptr) << c.text << " field " << c.n;
    } else {
      ASSERT_NE(found, nullptr) << c.text << " field " << c.n;
      EXPECT_STREQ(found, c.field) << c.text << " field " << c.n;
    }
  }
  EXPECT_EQ(FieldAt(static_cast<const char*>(nullptr), 3), nullptr);
  // Stops at the end of the text however many fields are asked for.
  EXPECT_EQ(FieldAt("a b", INT32_MAX), nullptr);
  std::string text = "a b c";
  EXPECT_EQ(FieldFromEnd(text.data(), INT32_MIN), nullptr);
  EXPECT_STREQ(FieldFromEnd(text.data(), INT32_MAX), "a b c");
}

// The fields found in one pass must be FieldAt's, however many were
// asked for, and still be after the line was ended before one of them.
TEST(ParseHelpers, FieldStartsAgreeWithFieldAtBeforeAndAfterTheLineIsEnded) {
  const char* const lines[] = {
      "-rw-r--r--   1 owner  staff   1234 Jan  5 12:00 a name with  blanks",
      "   right aligned  first\tcolumn x",
      "one",
      "",
      "a b c d e f g h i j k l m n o p q r s t",
  };
  for (const char* text : lines) {
    for (const int last : {1, 5, 10, 15, 20}) {
      std::string line = text;
      FieldStarts fields(line.data(), last);
      for (int n = 0; n <= 22; ++n) {
        EXPECT_EQ(fields[n], FieldAt(line.data(), n)) << text << " | last " << last << " n " << n;
      }
      for (int cut = 2; cut <= last; ++cut) {
        std::string ended = text;
        FieldStarts endedFields(ended.data(), last);
        char* start = endedFields[cut];
        if (start == nullptr) continue;
        start[-1] = '\0';
        endedFields.endBefore(cut);
        for (int n = 0; n <= 22; ++n) {
          EXPECT_EQ(endedFields[n], FieldAt(ended.data(), n))
              << text << " | ended before " << cut << " n " << n;
        }
      }
    }
  }
}

TEST(ParseHelpers, CountsAndWalksFieldsFromEitherEnd) {
  EXPECT_EQ(CountFields(" a\tb  c "), 3);
  EXPECT_EQ(CountFields(""), 0);
  EXPECT_EQ(CountFields(nullptr), 0);

  std::string line = "-rw-r--r-- 1 owner 1234 Jan 5 2003 readme";
  EXPECT_STREQ(FieldFromEnd(line.data(), 1), "readme");
  EXPECT_STREQ(FieldFromEnd(line.data(), 2), "2003 readme");
  EXPECT_STREQ(NextField(line.data()), "1 owner 1234 Jan 5 2003 readme");
  std::string indented = "   0.0  97/11/14 name";
  EXPECT_STREQ(FieldFromEnd(indented.data(), 1), "name");
  EXPECT_STREQ(FieldFromEnd(indented.data(), 3), "0.0  97/11/14 name");
}

TEST(ParseHelpers, LastFieldTrimsAndPrefersTheLastSpace) {
  struct Case {
    const char* text;
    const char* last;
  };
  const Case cases[] = {
      {"one two three \r\n", "three"}, {"alone", "alone"},   {"", ""}, {"a\tb", "b"},
      {"a\tb c\td", "c\td"},           {"x \tname", "name"},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    EXPECT_STREQ(LastField(text.data()), c.last) << c.text;
  }
}

TEST(ParseHelpers, TrimRightRemovesOnlyTrailingBlanksAndLineEnds) {
  std::string text = " keep me \t\r\n ";
  TrimRight(text.data());
  EXPECT_STREQ(text.c_str(), " keep me");
  TrimRight(nullptr);
}

TEST(ParseHelpers, FindsTextWithAndWithoutCase) {
  EXPECT_STREQ(FindText("abc <DIR> x", "<DIR>"), "<DIR> x");
  EXPECT_EQ(FindText("abc <dir> x", "<DIR>"), nullptr);
  EXPECT_STREQ(FindTextNoCase("Type=DIR;", "type="), "Type=DIR;");
  EXPECT_EQ(FindTextNoCase("typ", "type="), nullptr);
  EXPECT_EQ(FindTextNoCase("\xC4type", "\xE4type"), nullptr);  // no case outside ASCII
  EXPECT_EQ(FindText(static_cast<const char*>(nullptr), "x"), nullptr);
}

TEST(ParseHelpers, FolderMarkersAreExactTexts) {
  const char* withMarker[] = {"x <DIR> y",   "a dir b", "a Dir b", "a DIR b",
                              "<DIRECTORY>", "[dir]",   "<dir>"};
  const char* without[] = {"directory", "a dIr b", "dir", "[DIR]", nullptr};
  for (const char* text : withMarker) EXPECT_TRUE(HasFolderMarker(text)) << text;
  for (const char* text : without) EXPECT_FALSE(HasFolderMarker(text)) << (text ? text : "null");
}

TEST(ParseHelpers, FolderMarkersAreFoundAtEitherEndAndAfterNearMisses) {
  const std::pair<const char*, bool> cases[] = {
      {" dir x", true},       {"x<dir>", true},   {"ddd [dd <DIR>", true},
      {"<d <DIRECTORY>", true}, {"name dir", false}, {"d", false},
      {"[Dir]", false},       {"<DIR", false},    {"a  dir", false},
  };
  for (const auto& [text, marked] : cases) EXPECT_EQ(HasFolderMarker(text), marked) << text;
}

TEST(ParseHelpers, MonthNamesAndInitials) {
  struct Case {
    const char* text;
    int byName;
    int byInitials;
  };
  const Case cases[] = {
      {"Jan", 1, 1},   {"feb", 2, 2},   {"MAR", 3, 3},   {"Apr", 4, 4},  {"Mai", 5, 5},
      {"May", 5, 5},   {"Jun", 6, 6},   {"jul", 7, 7},   {"Aug", 8, 8},  {"Sep", 9, 9},
      {"Okt", 10, 10}, {"Oct", 10, 10}, {"Nov", 11, 11}, {"Dez", 0, 12}, {"Ja", 0, 1},
      {"J", 0, 6},     {"Ju", 0, 6},    {"M", 0, 5},     {"", 0, 0},     {"xyz", 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MonthFromName(c.text), c.byName) << c.text;
    EXPECT_EQ(MonthFromInitials(c.text), c.byInitials) << c.text;
  }
}

struct DateCase {
  const char* text;
  int order;
  int year;
  int month;
  int day;
};

TEST(ParseHelpers, ParseDateReadsEachOrder) {
  const DateCase cases[] = {
      {"12/25/97", 2, 1997, 12, 25},
      {"97-12-25", 2, 0, 0, 0},  // month 97 is out of range
      {"97-12-25", 1, 1997, 12, 25},
      {"2003-05-12", 1, 2003, 5, 12},
      {"2003-May-12", 1, 2003, 5, 12},
      {"12-25-97", 0, 0, 0, 0},
      {"Dec-25-97", 0, 1997, 12, 25},
      {"Jan 5 2003", 0, 2003, 1, 5},
      {"  Jan 5 03", 2, 2003, 1, 5},
      {"05-Jan-03", 2, 2005, 1, 3},  // a named month makes the first number the year
      {"7", 2, 0, 7, 0},             // only the month
      {"3/4", 2, 2000, 3, 4},        // year 0 with month and day known
      {"31/12/2001", 2, 0, 0, 0},    // month 31 out of range
      {"Jan-5", 0, 2000, 1, 5},
      {"Jan", 0, 0, 1, 0},
      {"Dec 31 -3", 0, 1997, 12, 31},
      {"Dec 31 -3000", 0, 0, 0, 0},
      {"2100-01-01", 1, 0, 0, 0},
  };
  for (const DateCase& c : cases) {
    ListingEntry entry = ClearedEntry();
    ParseDate(entry, c.text, c.order);
    EXPECT_EQ(entry.year, c.year) << c.text << " order " << c.order;
    EXPECT_EQ(entry.month, c.month) << c.text << " order " << c.order;
    EXPECT_EQ(entry.day, c.day) << c.text << " order " << c.order;
  }
}

TEST(ParseHelpers, ParseDateLeavesTheEntryAloneWithoutText) {
  for (const char* text : {static_cast<const char*>(nullptr), "", "   "}) {
    ListingEntry entry = ClearedEntry();
    entry.year = 1999;
    entry.month = 4;
    ParseDate(entry, text, 2);
    EXPECT_EQ(entry.year, 1999);
    EXPECT_EQ(entry.month, 4);
  }
}

TEST(ParseHelpers, ParseDayMonYearResetsWhatItCouldNotFinish) {
  ListingEntry entry = ClearedEntry();
  EXPECT_TRUE(ParseDayMonYear(entry, " 12-Mar-01"));
  EXPECT_EQ(entry.day, 12);
  EXPECT_EQ(entry.month, 3);
  EXPECT_EQ(entry.year, 1);

  EXPECT_FALSE(ParseDayMonYear(entry, "12-Mar"));
  EXPECT_EQ(entry.day, 0);
  EXPECT_EQ(entry.month, 0);
  EXPECT_EQ(entry.year, 0);

  entry.day = 9;
  EXPECT_FALSE(ParseDayMonYear(entry, "12"));
  EXPECT_EQ(entry.day, 0);
}

TEST(ParseHelpers, ParseTimeHandlesMarkersAndMissingMinutes) {
  struct Case {
    const char* text;
    int hour;
    int minute;
  };
  const Case cases[] = {
      {"10:30PM", 22, 30}, {"10:30pm", 22, 30}, {"12:15AM", 0, 15}, {"12:15am", 0, 15},
      {"12:15PM", 12, 15}, {"12:15", 12, 15},   {"9::05", 9, 5},    {"7", 7, 0},
      {"11:5", 11, 5},     {"11:5P", 11, 5},
  };
  for (const Case& c : cases) {
    ListingEntry entry = ClearedEntry();
    ParseTime(entry, c.text);
    EXPECT_EQ(entry.hour, c.hour) << c.text;
    EXPECT_EQ(entry.minute, c.minute) << c.text;
  }
}

TEST(ParseHelpers, SizesWithCommasReachSixtyFourBits) {
  ListingEntry entry = ClearedEntry();
  ParseSizeWithCommas(entry, " \t5,000,000,000 bytes");
  EXPECT_EQ(entry.size, 5000000000ull);
  ParseSizeWithCommas(entry, "<DIR>");
  EXPECT_EQ(entry.size, 0u);
}

class FillDateSizeTest : public ::testing::Test {
 protected:
  void SetUp() override { SetLocalDateForTesting(2024, 3); }
  void TearDown() override { SetLocalDateForTesting(0, 0); }

  ListingEntry Fill(const char* columns, int hostType = 6010) {
    std::string line = columns;
    ListingEntry entry = ClearedEntry();
    FillDateSizeFromFields(entry, line.data(), 4, 2, 3, 4, 1, hostType);
    return entry;
  }
};

TEST_F(FillDateSizeTest, TimeOfDayPlacesTheDateWithinTheLastYear) {
  struct Case {
    const char* columns;  // size month day time-or-year
    int year;
    int month;
    int day;
    int hour;
    int minute;
  };
  const Case cases[] = {
      {"10 Dec 31 23:59", 2023, 12, 31, 23, 59},
      {"10 Mar 1 10:00", 2024, 3, 1, 10, 0},
      {"10 Feb 1 9:05", 2024, 2, 1, 9, 5},
      {"10 Apr 1 12.30", 2023, 4, 1, 12, 30},
      {"10 Jan 5 2003", 2003, 1, 5, 0, 0},
      {"10 5 Jan 2003", 2003, 1, 5, 0, 0},  // day before month
      {"10 Jan 5 97", 1997, 1, 5, 0, 0},
      {"10 Jan 5", 2000, 1, 5, 0, 0},  // no year column: century rule on year 0
  };
  for (const Case& c : cases) {
    ListingEntry entry = Fill(c.columns);
    EXPECT_EQ(entry.year, c.year) << c.columns;
    EXPECT_EQ(entry.month, c.month) << c.columns;
    EXPECT_EQ(entry.day, c.day) << c.columns;
    EXPECT_EQ(entry.hour, c.hour) << c.columns;
    EXPECT_EQ(entry.minute, c.minute) << c.columns;
  }
}

TEST_F(FillDateSizeTest, SizesAreSixtyFourBits) {
  EXPECT_EQ(Fill("5000000000 Jan 5 2003").size, 5000000000ull);
  EXPECT_EQ(Fill("").size, 0u);
}

TEST_F(FillDateSizeTest, NetWareTimesCarryAnAfternoonMarker) {
  std::string line = "100 Jan 5 1998 3:07 pm";
  ListingEntry entry = ClearedEntry();
  FillDateSizeFromFields(entry, line.data(), 4, 2, 3, 5, 1, 6035);
  EXPECT_EQ(entry.year, 1998);
  EXPECT_EQ(entry.hour, 15);
  EXPECT_EQ(entry.minute, 7);
  EXPECT_EQ(entry.size, 100u);
}

TEST(ParseHelpers, CenturyRule) {
  struct Case {
    int year;
    int month;
    int day;
    int expected;
  };
  const Case cases[] = {{3, 1, 1, 2003}, {50, 1, 1, 1950}, {49, 1, 1, 2049},   {3, 0, 1, 1903},
                        {0, 0, 0, 0},    {0, 1, 1, 2000},  {1899, 1, 1, 3799}, {1900, 1, 1, 1900}};
  for (const Case& c : cases) {
    ListingEntry entry = ClearedEntry();
    entry.year = static_cast<std::uint16_t>(c.year);
    entry.month = static_cast<std::uint8_t>(c.month);
    entry.day = static_cast<std::uint8_t>(c.day);
    ApplyCentury(entry);
    EXPECT_EQ(entry.year, c.expected) << c.year;
  }
}

TEST(ParseHelpers, SetNameIsBoundedAndStopsAtNul) {
  ListingEntry entry = ClearedEntry();
  std::string longName(600, 'n');
  SetName(entry, longName.c_str());
  EXPECT_EQ(std::strlen(entry.name), 255u);

  SetName(entry, "abc\0def", 7);
  EXPECT_STREQ(entry.name, "abc");
  SetName(entry, "abcdef", 2);
  EXPECT_STREQ(entry.name, "ab");
  SetName(entry, nullptr);
  EXPECT_STREQ(entry.name, "");
}

}  // namespace
}  // namespace ferrix::decoder
