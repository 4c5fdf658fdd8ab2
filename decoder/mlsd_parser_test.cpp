#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "decoder/parsers.h"

namespace ferrix::decoder {
namespace {

ListingEntry ParseMlsd(const std::string& line) {
  std::vector<char> work(line.begin(), line.end());
  work.push_back('\0');
  ListingEntry entry;
  std::memset(&entry, 0, sizeof entry);
  ParseMlsdLine(entry, work.data(), ParseContext{});
  return entry;
}

struct MlsdCase {
  const char* line;
  const char* name;  // "" = the line gives no entry
  int kind;
  std::uint64_t size;
  int year, month, day, hour, minute, second;
};

TEST(MlsdListing, FactsAsServersSendThem) {
  const MlsdCase cases[] = {
      {"type=cdir;modify=20030512103000; /pub", ".", FERRIX_KIND_FOLDER, 0, 2003, 5, 12, 10, 30,
       0},
      {"type=pdir;modify=20030512103000; /", "..", FERRIX_KIND_FOLDER, 0, 2003, 5, 12, 10, 30, 0},
      {"type=file;size=1024;modify=20030512103000.123; a b.txt", "a b.txt",
       FERRIX_KIND_FILE_EXPLICIT, 1024, 2003, 5, 12, 10, 30, 0},
      {"Type=OS.unix=slink:/etc/x; link", "link", FERRIX_KIND_LINK, 0, 0, 0, 0, 0, 0, 0},
      // pyftpdlib 1.5
      {"modify=20261207063305;perm=r;size=5368709120;type=file;unique=fe00g51206f; big.iso",
       "big.iso", FERRIX_KIND_FILE_EXPLICIT, 5368709120ull, 2026, 12, 7, 6, 33, 5},
      {"modify=20071127230206;perm=el;size=4096;type=dir;unique=fe00g51204a; Old Stuff",
       "Old Stuff", FERRIX_KIND_FOLDER, 4096, 2007, 11, 27, 23, 2, 6},
      // ProFTPD, facts in its own order and a size above 4 GiB
      {"modify=20080722082734;perm=adfr;size=5368709120;type=file;unique=FE03U10001724;"
       "UNIX.group=1001;UNIX.mode=0644;UNIX.owner=1001; disk image.iso",
       "disk image.iso", FERRIX_KIND_FILE_EXPLICIT, 5368709120ull, 2008, 7, 22, 8, 27, 34},
      // Pure-FTPd
      {"type=file;size=1830;modify=20120423113040;UNIX.mode=0644;UNIX.uid=1000;UNIX.gid=1000;"
       "unique=803g4d3c3; index.html",
       "index.html", FERRIX_KIND_FILE_EXPLICIT, 1830, 2012, 4, 23, 11, 30, 40},
      // IIS
      {"modify=20190101120059;type=dir; New folder", "New folder", FERRIX_KIND_FOLDER, 0, 2019, 1,
       1, 12, 0, 59},
      {"TYPE=DIR;MODIFY=19991231235959; OLD", "OLD", FERRIX_KIND_FOLDER, 0, 1999, 12, 31, 23, 59,
       59},
      {"type=OS.unix=slink;size=11; latest", "latest", FERRIX_KIND_LINK, 11, 0, 0, 0, 0, 0, 0},
      {"type=unknown;size=7; odd", "odd", FERRIX_KIND_FILE, 7, 0, 0, 0, 0, 0, 0},
      // The last fact may end at the space before the name.
      {"size=3;modify=20030512103000 last.txt", "last.txt", FERRIX_KIND_FILE, 3, 2003, 5, 12, 10,
       30, 0},
      // Too short to hold a full stamp: no date.
      {"modify=2003051210; short.txt", "short.txt", FERRIX_KIND_FILE, 0, 0, 0, 0, 0, 0, 0},
      {" bare name", "bare name", FERRIX_KIND_FILE, 0, 0, 0, 0, 0, 0, 0},
  };
  for (const MlsdCase& c : cases) {
    SCOPED_TRACE(c.line);
    ListingEntry entry = ParseMlsd(c.line);
    EXPECT_STREQ(entry.name, c.name);
    EXPECT_EQ(entry.kind, c.kind);
    EXPECT_EQ(entry.size, c.size);
    EXPECT_EQ(entry.year, c.year);
    EXPECT_EQ(entry.month, c.month);
    EXPECT_EQ(entry.day, c.day);
    EXPECT_EQ(entry.hour, c.hour);
    EXPECT_EQ(entry.minute, c.minute);
    EXPECT_EQ(entry.second, c.second);
  }
}

TEST(MlsdListing, LinesWithoutANameGiveNothing) {
  for (const char* line : {"", "type=file;size=1;", "type=file;size=1; "}) {
    EXPECT_STREQ(ParseMlsd(line).name, "") << line;
  }
}

TEST(MlsdListing, NameTextIsNeverReadAsAFact) {
  ListingEntry entry = ParseMlsd("modify=20030512103000; size=9 type=dir");
  EXPECT_STREQ(entry.name, "size=9 type=dir");
  EXPECT_EQ(entry.size, 0u);
  EXPECT_EQ(entry.kind, FERRIX_KIND_FILE);
}

TEST(MlsdListing, FactNamesMatchOnlyWhole) {
  ListingEntry entry = ParseMlsd("media-type=text/plain;type=file;filesize=9;size=4; a.txt");
  EXPECT_EQ(entry.kind, FERRIX_KIND_FILE_EXPLICIT);
  EXPECT_EQ(entry.size, 4u);
}

TEST(MlsdListing, LongNamesAreCutAt255Characters) {
  std::string name(300, 'n');
  ListingEntry entry = ParseMlsd("type=file; " + name);
  EXPECT_EQ(std::string(entry.name), name.substr(0, 255));
}

}  // namespace
}  // namespace ferrix::decoder
