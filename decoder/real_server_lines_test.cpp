// Lines of the non-UNIX families as real servers send them, where the fixed
// rule alone gives a wrong or empty entry: one table per family, each row a
// line and the entry it must give.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "decoder/include/ferrixcore.h"
#include "decoder/parse_helpers.h"
#include "decoder/parsers.h"

namespace ferrix::decoder {
namespace {

struct Row {
  std::string line;
  const char* name;
  unsigned kind;
  std::uint64_t size;
  int year;
  int month;
  int day;
  int hour;
  int minute;
};

constexpr unsigned kFile = FERRIX_KIND_FILE;
constexpr unsigned kExplicitFile = FERRIX_KIND_FILE_EXPLICIT;
constexpr unsigned kFolder = FERRIX_KIND_FOLDER;
constexpr unsigned kLink = FERRIX_KIND_LINK;

void ExpectRows(int hostType, std::initializer_list<Row> rows) {
  for (const Row& row : rows) {
    ListingEntry entry;
    FERRIX_DecodeLine(&entry, row.line.c_str(), hostType, "'PREFIX.DATA'", "user");
    SCOPED_TRACE(row.line);
    EXPECT_STREQ(entry.name, row.name);
    EXPECT_EQ(entry.kind, row.kind);
    EXPECT_EQ(entry.size, row.size);
    EXPECT_EQ(entry.year, row.year);
    EXPECT_EQ(entry.month, row.month);
    EXPECT_EQ(entry.day, row.day);
    EXPECT_EQ(entry.hour, row.hour);
    EXPECT_EQ(entry.minute, row.minute);
  }
}

class RealServerLines : public ::testing::Test {
 protected:
  void SetUp() override {
    SetLocalDateForTesting(2024, 6, 15);
    ResetParserState();
  }
  void TearDown() override {
    SetLocalDateForTesting(0, 0);
    ResetParserState();
  }
};

TEST_F(RealServerLines, WindowsDosStyle) {
  ExpectRows(FERRIX_HOST_TYPE_MICROSOFT_NT,
             {
                 {"2024-06-07  18:48       <DIR>          Projects", "Projects", kFolder, 0, 2024,
                  6, 7, 18, 48},
                 {"06-07-2024  06:48PM  9,730 report.pdf", "report.pdf", kFile, 9730, 2024, 6, 7,
                  18, 48},
                 {"06-07-2024  12:15AM                 1,234,567 year end.xlsx", "year end.xlsx",
                  kFile, 1234567, 2024, 6, 7, 0, 15},
                 {"2024/06/07  09:05 AM           512 notes.txt", "notes.txt", kFile, 512, 2024, 6,
                  7, 9, 5},
                 {"07.06.2024  18:48            1.024 bericht.doc", "bericht.doc", kFile, 1024,
                  2024, 6, 7, 18, 48},
                 // the fixed rule's lines, with thousands separators read whole
                 {"06-07-24  06:48PM                 9,730 report.pdf", "report.pdf", kFile, 9730,
                  2024, 6, 7, 18, 48},
                 {"12-25-97  10:30PM       <DIR>          Projects", "Projects", kFolder, 0, 1997,
                  12, 25, 22, 30},
             });
}

TEST_F(RealServerLines, Mlsd) {
  ExpectRows(FERRIX_HOST_TYPE_MLSD,
             {
                 {"type=file;size=10;modify=20240607101112; name with trailing blank \r\n",
                  "name with trailing blank ", kExplicitFile, 10, 2024, 6, 7, 10, 11},
                 {"type=file;size=10; tab\tand trailing tab\t", "tab\tand trailing tab\t",
                  kExplicitFile, 10, 0, 0, 0, 0, 0},
                 {"type=OS.unix=symlink;size=7; bin", "bin", kLink, 7, 0, 0, 0, 0, 0},
                 {"type=OS.unix=slink:/usr/bin;size=7; bin", "bin", kLink, 7, 0, 0, 0, 0, 0},
                 {"TYPE=dir;UNIX.owner=Domain Users;MODIFY=20240607101112; My Folder", "My Folder",
                  kFolder, 0, 2024, 6, 7, 10, 11},
                 {"type=file;size=1;   ", "", kFile, 0, 0, 0, 0, 0, 0},
             });
}

TEST_F(RealServerLines, MlsdModeFact) {
  struct Case {
    const char* line;
    bool valid;
    unsigned mode;
  };
  const Case cases[] = {
      {"type=file;UNIX.mode=0644; a", true, 0644},
      {"type=file;unix.MODE=4755; su", true, 0755},
      {"type=file;UNIX.mode=9; a", false, 0},
      {"type=file; a", false, 0},
  };
  for (const Case& c : cases) {
    ListingEntry entry;
    FERRIX_DecodeLine(&entry, c.line, FERRIX_HOST_TYPE_MLSD, "/", "u");
    EXPECT_EQ((entry.flags & FERRIX_FLAG_MODE_VALID) != 0, c.valid) << c.line;
    EXPECT_EQ(entry.mode, c.mode) << c.line;
  }
}

}  // namespace
}  // namespace ferrix::decoder
