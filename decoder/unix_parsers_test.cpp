#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "decoder/include/ferrixcore.h"
#include "decoder/parse_helpers.h"

namespace ferrix::decoder {
namespace {

struct Case {
  const char* line;
  const char* name;
  unsigned kind;
  std::uint64_t size;
  int year;
  int month;
  int day;
  int hour;
  int minute;
};

class UnixListing : public ::testing::Test {
 protected:
  // Listings are read on 15 March 2024.
  void SetUp() override { SetLocalDateForTesting(2024, 3); }
  void TearDown() override { SetLocalDateForTesting(0, 0); }

  void Expect(const Case* cases, std::size_t count, int hostType) {
    for (std::size_t i = 0; i < count; ++i) {
      const Case& c = cases[i];
      ListingEntry entry;
      int32_t length = FERRIX_DecodeLine(&entry, c.line, hostType, "/pub", "anonymous");
      EXPECT_EQ(length, static_cast<int32_t>(std::strlen(c.name))) << c.line;
      EXPECT_STREQ(entry.name, c.name) << c.line;
      EXPECT_EQ(entry.kind, c.kind) << c.line;
      EXPECT_EQ(entry.size, c.size) << c.line;
      EXPECT_EQ(entry.year, c.year) << c.line;
      EXPECT_EQ(entry.month, c.month) << c.line;
      EXPECT_EQ(entry.day, c.day) << c.line;
      EXPECT_EQ(entry.hour, c.hour) << c.line;
      EXPECT_EQ(entry.minute, c.minute) << c.line;
    }
  }
};

constexpr unsigned kFile = FERRIX_KIND_FILE;
constexpr unsigned kFolder = FERRIX_KIND_FOLDER;
constexpr unsigned kLink = FERRIX_KIND_LINK;

TEST_F(UnixListing, RealServerLinesDecode) {
  const Case cases[] = {
      // vsftpd
      {"drwxr-xr-x    2 1000     1000         4096 Mar 12  2001 Old Stuff", "Old Stuff", kFolder,
       4096, 2001, 3, 12, 0, 0},
      {"-rw-r--r--    1 1000     1000      5000000000 Feb 29 09:15 dvd image.iso", "dvd image.iso",
       kFile, 5000000000ull, 2024, 2, 29, 9, 15},
      // ProFTPD
      {"-rw-r--r--   1 ftp      ftp          1234 Dec 31 23:59 report.txt\r\n", "report.txt", kFile,
       1234, 2023, 12, 31, 23, 59},
      {"lrwxrwxrwx   1 owner group 11 Jan 5 10:00 current -> release-2.1", "current", kLink, 11,
       2024, 1, 5, 10, 0},
      // Pure-FTPd
      {"drwxr-xr-x    5 1001       100              4096 Mar  1 10:00 .", ".", kFolder, 4096, 2024,
       3, 1, 10, 0},
      {"lrwxrwxrwx    1 0          0                   7 Apr  2  2023 bin -> usr/bin", "bin", kLink,
       7, 2023, 4, 2, 0, 0},
      // pyftpdlib
      {"-rw-rw-r--   1 user     group      18446744073709551615 Nov 03  1999 huge",
       "huge", kFile, 18446744073709551615ull, 1999, 11, 3, 0, 0},
      {"-rw-r--r--   1 owner 1234 Jan 5 2003 readme", "readme", kFile, 1234, 2003, 1, 5, 0, 0},
      // day before month
      {"-rw-r--r--   1 owner group 99 5 Jan 2003 notes", "notes", kFile, 99, 2003, 1, 5, 0, 0},
      // device files show "major, minor" where others show the size
      {"crw-rw-rw-   1 root     root       1,   3 Jan  5  2003 null", "null", kFile, 0, 2003, 1, 5,
       0, 0},
      {"brw-rw----   1 root     disk       8,   0 Feb  1 10:00 sda", "sda", kFile, 0, 2024, 2, 1,
       10, 0},
      // a name that contains a folder marker is still a file
      {"-rw-r--r--   1 owner group 10 Jan 5 2003 my dir notes", "my dir notes", kFile, 10, 2003, 1,
       5, 0, 0},
      {"drwxr-xr-x   2 owner group 512 Jan 5 2003 site/", "site", kFolder, 512, 2003, 1, 5, 0, 0},
      {"-rw-r--r--   1 owner group 10 Jan 5 2003    spaced", "spaced", kFile, 10, 2003, 1, 5, 0, 0},
  };
  Expect(cases, std::size(cases), FERRIX_HOST_TYPE_UNIX);
}

TEST_F(UnixListing, TotalsAndEmptyLinesYieldNothing) {
  const Case cases[] = {
      {"total 24", "", kFile, 0, 0, 0, 0, 0, 0},
      {"TOTAL 0", "", kFile, 0, 0, 0, 0, 0, 0},
      {"", "", kFile, 0, 0, 0, 0, 0, 0},
      {"   \r\n", "", kFile, 0, 0, 0, 0, 0, 0},
  };
  Expect(cases, std::size(cases), FERRIX_HOST_TYPE_UNIX);
}

TEST_F(UnixListing, BareNamesTakeTheFallBack) {
  const Case cases[] = {
      {"Documents", "Documents", kFolder, 0, 0, 0, 0, 0, 0},
      {"readme", "readme", kFile, 0, 0, 0, 0, 0, 0},
      {"docs/", "docs/", kFolder, 0, 0, 0, 0, 0, 0},
      {"some <DIR> thing", "thing", kFolder, 0, 0, 0, 0, 0, 0},
  };
  Expect(cases, std::size(cases), FERRIX_HOST_TYPE_UNIX);
}

TEST_F(UnixListing, EveryTypeWithoutItsOwnParserReadsUnix) {
  for (int hostType : {6000, 6009, 6020, 6033, 6034, 7000, -1, 0}) {
    const Case cases[] = {{"-rw-r--r-- 1 o g 7 Jan 5 2003 a b", "a b", kFile, 7, 2003, 1, 5, 0, 0}};
    Expect(cases, std::size(cases), hostType);
  }
}

TEST_F(UnixListing, UniTreeHasTwoMoreColumns) {
  const Case cases[] = {
      {"-rw-r--r--  1 owner group 10 disk 1234 Jan 5 2003 archive.tar", "archive.tar", kFile,
       1234, 2003, 1, 5, 0, 0},
      {"drwxr-xr-x  2 owner group 10 disk 512 Feb 7 08:30 data set", "data set", kFolder, 512, 2024,
       2, 7, 8, 30},
      {"total 3", "", kFile, 0, 0, 0, 0, 0, 0},
      // short lines: the last word, still tested for folder and link
      {"drwxr-xr-x 2 owner tools/", "tools", kFolder, 0, 0, 0, 0, 0, 0},
      {"plain", "plain", kFile, 0, 0, 0, 0, 0, 0},
  };
  Expect(cases, std::size(cases), FERRIX_HOST_TYPE_UNITREE);
}

}  // namespace
}  // namespace ferrix::decoder
