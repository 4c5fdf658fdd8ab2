// UNIX-style lines as real servers send them, where counting fields gives a
// wrong name or date: each must decode to what the line says.
#include <gtest/gtest.h>

#include <cstring>

#include "decoder/include/ferrixcore.h"
#include "decoder/month_words.h"
#include "decoder/parse_helpers.h"

namespace ferrix::decoder {
namespace {

struct Expected {
  const char* line;
  const char* name;
  unsigned kind;
  std::uint64_t size;
  int year;
  int month;
  int day;
  int hour;
  int minute;
  int second;
};

constexpr unsigned kFile = FERRIX_KIND_FILE;
constexpr unsigned kFolder = FERRIX_KIND_FOLDER;
constexpr unsigned kLink = FERRIX_KIND_LINK;

class RealUnixLines : public ::testing::Test {
 protected:
  // Listings are read on 15 June 2024.
  void SetUp() override { SetLocalDateForTesting(2024, 6, 15); }
  void TearDown() override { SetLocalDateForTesting(0, 0); }

  static void Expect(std::initializer_list<Expected> cases) {
    for (const Expected& c : cases) {
      ListingEntry entry;
      const int32_t length = FERRIX_DecodeLine(&entry, c.line, FERRIX_HOST_TYPE_UNIX, "/", "u");
      EXPECT_EQ(length, static_cast<int32_t>(std::strlen(c.name))) << c.line;
      EXPECT_STREQ(entry.name, c.name) << c.line;
      EXPECT_EQ(entry.kind, c.kind) << c.line;
      EXPECT_EQ(entry.size, c.size) << c.line;
      EXPECT_EQ(entry.year, c.year) << c.line;
      EXPECT_EQ(entry.month, c.month) << c.line;
      EXPECT_EQ(entry.day, c.day) << c.line;
      EXPECT_EQ(entry.hour, c.hour) << c.line;
      EXPECT_EQ(entry.minute, c.minute) << c.line;
      EXPECT_EQ(entry.second, c.second) << c.line;
    }
  }
};

TEST_F(RealUnixLines, ColumnsThatDoNotCount) {
  Expect({
      {"drwxr-xr-x   3 jane doe  Domain Users   4096 Mar  2 15:13 reports", "reports", kFolder,
       4096, 2024, 3, 2, 15, 13, 0},
      {"-rw-r--r--   1 jane doe  Domain Users   1234 Jan  5  2003 annual report.pdf",
       "annual report.pdf", kFile, 1234, 2003, 1, 5, 0, 0, 0},
      {"-rw-r--r--   1 someowner somegroup99812 Feb 12 17:20 f", "f", kFile, 99812, 2024, 2, 12,
       17, 20, 0},
      {"drwxr-xr-x owner 4096 Jan  5  2003 two words", "two words", kFolder, 4096, 2003, 1, 5, 0,
       0, 0},
      {"-rw-r--r--   1 owner group 12.5k Jan  5  2003 small.txt", "small.txt", kFile, 12800, 2003,
       1, 5, 0, 0, 0},
      {"-rw-r--r--   1 owner group 3M Jan  5  2003 big.bin", "big.bin", kFile, 3145728, 2003, 1, 5,
       0, 0, 0},
      {"-rw-r--r--   1 owner group -1294967296 Jan  5  2003 dvd.iso", "dvd.iso", kFile,
       3000000000ull, 2003, 1, 5, 0, 0, 0},
      {"crw-rw-rw-   1 root  Domain Users   1,   3 Jan  5  2003 null", "null", kFile, 0, 2003, 1,
       5, 0, 0, 0},
      {"crw-rw-rw-   1 root     root       1,3 Jan  5  2003 null", "null", kFile, 0, 2003, 1, 5, 0,
       0, 0},
      {"-rw-r--r--   1 jane  Domain Users   10 Jan  5  2003  leading blank", " leading blank",
       kFile, 10, 2003, 1, 5, 0, 0, 0},
  });
}

TEST_F(RealUnixLines, NumericAndDayFirstDates) {
  Expect({
      {"-rw-r--r--   1 owner group 1234 2024-06-07 21:22 my file.txt", "my file.txt", kFile, 1234,
       2024, 6, 7, 21, 22, 0},
      {"-rw-r--r--   1 owner group 1234 2024-06-07 notes.txt", "notes.txt", kFile, 1234, 2024, 6,
       7, 0, 0, 0},
      {"-rw-r--r--   1 owner group 1234 06-07 21:22 a.txt", "a.txt", kFile, 1234, 2024, 6, 7, 21,
       22, 0},
      {"-rw-r--r--   1 owner group 1234 06-07 2023 a.txt", "a.txt", kFile, 1234, 2023, 6, 7, 0, 0,
       0},
      {"-rw-r--r--   1 owner group 1234 2024/06/07 a.txt", "a.txt", kFile, 1234, 2024, 6, 7, 0, 0,
       0},
      {"-rw-r--r--   1 owner group 1234 07.06.2024 a.txt", "a.txt", kFile, 1234, 2024, 6, 7, 0, 0,
       0},
      {"-rw-r--r--   1 owner group 1234 24-06-2024 a.txt", "a.txt", kFile, 1234, 2024, 6, 24, 0,
       0, 0},
      {"-rw-r--r--   1 owner group 1234 7 Jun 2024 a.txt", "a.txt", kFile, 1234, 2024, 6, 7, 0, 0,
       0},
      {"-rw-r--r--   1 owner group 1234 7. Jun 10:00 a.txt", "a.txt", kFile, 1234, 2024, 6, 7, 10,
       0, 0},
      {"-rw-r--r--   1 owner group 1234 2024-06-07 10:11:12.123456789 +0200 x", "x", kFile, 1234,
       2024, 6, 7, 10, 11, 12},
  });
}

TEST_F(RealUnixLines, MonthNamesInOtherLanguages) {
  Expect({
      {"-rw-r--r-- 1 o g 1 Mär  3 10:00 de", "de", kFile, 1, 2024, 3, 3, 10, 0, 0},
      {"-rw-r--r-- 1 o g 1 févr.  3  2022 fr", "fr", kFile, 1, 2022, 2, 3, 0, 0, 0},
      {"-rw-r--r-- 1 o g 1 3 déc. 2021 fr day first", "fr day first", kFile, 1, 2021, 12, 3, 0, 0,
       0},
      {"-rw-r--r-- 1 o g 1 ene 14 2022 es", "es", kFile, 1, 2022, 1, 14, 0, 0, 0},
      {"-rw-r--r-- 1 o g 1 ago 14 2022 it", "it", kFile, 1, 2022, 8, 14, 0, 0, 0},
      {"-rw-r--r-- 1 o g 1 out 14 2022 pt", "pt", kFile, 1, 2022, 10, 14, 0, 0, 0},
      {"-rw-r--r-- 1 o g 1 mrt 14 2022 nl", "nl", kFile, 1, 2022, 3, 14, 0, 0, 0},
      {"-rw-r--r-- 1 o g 1 maj 14 2022 sv", "sv", kFile, 1, 2022, 5, 14, 0, 0, 0},
      {"-rw-r--r-- 1 o g 1 des 14 2022 no", "no", kFile, 1, 2022, 12, 14, 0, 0, 0},
      {"-rw-r--r-- 1 o g 1 touko 14 2022 fi", "fi", kFile, 1, 2022, 5, 14, 0, 0, 0},
      {"-rw-r--r-- 1 o g 1 paź 14 2022 pl", "pl", kFile, 1, 2022, 10, 14, 0, 0, 0},
      {"-rw-r--r-- 1 o g 1 říj 14 2022 cs", "cs", kFile, 1, 2022, 10, 14, 0, 0, 0},
      {"-rw-r--r-- 1 o g 1 szept 14 2022 hu", "hu", kFile, 1, 2022, 9, 14, 0, 0, 0},
      {"-rw-r--r-- 1 o g 1 márc 14 2022 hu", "hu", kFile, 1, 2022, 3, 14, 0, 0, 0},
      {"-rw-r--r-- 1 o g 1 окт 14 2022 ru", "ru", kFile, 1, 2022, 10, 14, 0, 0, 0},
      {"-rw-r--r-- 1 o g 1 май  1 09:30 ru", "ru", kFile, 1, 2024, 5, 1, 9, 30, 0},
      {"-rw-r--r-- 1 o g 1  6月  3日 2003年 ja", "ja", kFile, 1, 2003, 6, 3, 0, 0, 0},
      {"-rw-r--r-- 1 o g 1  6月  3 10:00 zh", "zh", kFile, 1, 2024, 6, 3, 10, 0, 0},
      {"-rw-r--r-- 1 o g 1 2005년 1월 6일 ko", "ko", kFile, 1, 2005, 1, 6, 0, 0, 0},
  });
}

TEST_F(RealUnixLines, TimesAndYearlessDates) {
  Expect({
      {"-rw-r--r-- 1 o g 1 Jun  3 24:00 midnight", "midnight", kFile, 1, 2024, 6, 4, 0, 0, 0},
      {"-rw-r--r-- 1 o g 1 Dec 31 24:00 new year", "new year", kFile, 1, 2024, 1, 1, 0, 0, 0},
      {"-rw-r--r-- 1 o g 1 Jun  3 10:11:12 seconds", "seconds", kFile, 1, 2024, 6, 3, 10, 11, 12},
      // more than a day ahead of 15 June belongs to last year; tomorrow does not
      {"-rw-r--r-- 1 o g 1 Jun 20 10:00 ahead", "ahead", kFile, 1, 2023, 6, 20, 10, 0, 0},
      {"-rw-r--r-- 1 o g 1 Jun 16 10:00 tomorrow", "tomorrow", kFile, 1, 2024, 6, 16, 10, 0, 0},
      {"-rw-r--r-- 1 o g 1 Jul  1 10:00 july", "july", kFile, 1, 2023, 7, 1, 10, 0, 0},
      {"-rw-r--r-- 1 o g 5 Jan  5  2003 10:00 meeting", "10:00 meeting", kFile, 5, 2003, 1, 5, 0,
       0, 0},
  });
}

TEST_F(RealUnixLines, LinksAndSpecialModes) {
  Expect({
      {"lrwxrwxrwx 1 owner group 11 Jan  5 10:00 current", "current", kLink, 11, 2024, 1, 5, 10,
       0, 0},
      {"lrwxrwxrwx 1 jane Domain Users 11 Jan  5 10:00 current -> release", "current", kLink, 11,
       2024, 1, 5, 10, 0, 0},
      {"-rwsr-xr-x 1 root Domain Users 1234 Jan  5  2003 su", "su", kFile, 1234, 2003, 1, 5, 0, 0,
       0},
      {"drwxrwxrwt+ 9 root Domain Users 4096 Jan  5  2003 tmp", "tmp", kFolder, 4096, 2003, 1, 5,
       0, 0, 0},
  });
}

TEST_F(RealUnixLines, LinesWithoutADateRunKeepTheColumnReading) {
  Expect({
      // no size-and-date run: the column rule's bare-name reading stands
      {"drwxr-xr-x 2 owner group", "group", kFolder, 0, 0, 0, 0, 0, 0, 0},
      {"-rw-r--r-- 1 owner group 10 someday soon x", "x", kFile, 0, 0, 0, 0, 0, 0, 0},
  });
}

TEST(MonthWords, EveryLanguageAndOnlyUnambiguousPrefixes) {
  struct Case {
    const char* word;
    int month;
  };
  const Case cases[] = {
      {"Jan", 1},      {"FEB", 2},     {"Mär", 3},     {"MÄRZ", 3},     {"févr.", 2},
      {"août", 8},     {"sept.", 9},   {"dic", 12},    {"Dez", 12},     {"okt", 10},
      {"tammi", 1},    {"joulu", 12},  {"lis", 11},    {"Říj", 10},     {"Září", 9},
      {"szept", 9},    {"márc", 3},    {"ápr", 4},     {"Окт", 10},     {"МАЙ", 5},
      {"сентября", 9}, {"6月", 6},     {"12월", 12},   {"13月", 0},     {"čer", 0},
      {"ju", 0},       {"marble", 0},  {"", 0},        {"2024", 0},     {"červenec", 7},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MonthFromWord(c.word, c.word + std::strlen(c.word)), c.month) << c.word;
  }
}

}  // namespace
}  // namespace ferrix::decoder
