// Lines of the non-UNIX families as real servers send them, where the fixed
// rule alone gives a wrong or empty entry: one table per family, each row a
// line and the entry it must give.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "decoder/column_parser_testing.h"
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

using testing::Columns;

TEST_F(RealServerLines, Os2FieldLayout) {
  ExpectRows(FERRIX_HOST_TYPE_IBM_OS2,
             {
                 {"   345      A          06-07-24   13:49  CONFIG.SYS", "CONFIG.SYS", kFile, 345,
                  2024, 6, 7, 13, 49},
                 {"0  DIR  06-07-2024 13:49  My Folder", "My Folder", kFolder, 0, 2024, 6, 7, 13,
                  49},
                 // the name column of the fixed layout falls inside the name
                 {Columns({{12, "12345"}, {22, "A"}, {30, "06-07-2024"}, {42, "13:49"},
                           {49, "Quarterly Report.txt"}}),
                  "Quarterly Report.txt", kFile, 12345, 2024, 6, 7, 13, 49},
                 // the fixed layout itself
                 {Columns({{12, "12345"}, {22, "A"}, {35, "12-18-97"}, {46, "15:43"},
                           {53, "file.txt"}}),
                  "file.txt", kFile, 12345, 1997, 12, 18, 15, 43},
             });
}

TEST_F(RealServerLines, NetWare) {
  ExpectRows(FERRIX_HOST_TYPE_NETWARE_V4,
             {
                 {"d [RWCEAFMS] Supervisor                        512 Jan 16 18:53 login", "login",
                  kFolder, 512, 2024, 1, 16, 18, 53},
                 {"- [RWCEAFMS] owner 1234 Jan 16 18:53 my file.txt", "my file.txt", kFile, 1234,
                  2024, 1, 16, 18, 53},
                 {"- [RWCEAFMS] Domain Users 1234 Jan 16 2003 10:30 pm my file", "my file", kFile,
                  1234, 2003, 1, 16, 22, 30},
                 {"d [RWCEAFMS] admin 512 Jan 16 1997 6:53 pm login", "login", kFolder, 512, 1997,
                  1, 16, 18, 53},
                 // the column layout with a 24-hour clock
                 {Columns({{0, "-rw-rw-rw-"}, {44, "1234"}, {51, "Jan 05, 97  13:05  readme.txt"}}),
                  "readme.txt", kFile, 1234, 1997, 1, 5, 13, 5},
                 {Columns({{0, "-rw-rw-rw-"}, {44, "1234"}, {51, "Jan 05, 97  1:05 pm  readme.txt"}}),
                  "readme.txt", kFile, 1234, 1997, 1, 5, 13, 5},
             });
}

TEST_F(RealServerLines, As400) {
  ExpectRows(FERRIX_HOST_TYPE_IBM_AS400,
             {
                 {Columns({{0, "QPGMR"}, {16, "36864"}, {22, "21.03.06"}, {31, "12:17:39"},
                           {40, "*FILE"}, {51, "DSPTEST.FILE"}}),
                  "DSPTEST.FILE", kFile, 36864, 2006, 3, 21, 12, 17},
                 // a member keeps its file's path, and its file's date and size
                 {Columns({{0, "QPGMR"}, {40, "*MEM"}, {51, "DSPTEST.FILE/DSPTEST.MBR"}}),
                  "DSPTEST.FILE/DSPTEST.MBR", kFile, 36864, 2006, 3, 21, 12, 17},
                 {Columns({{0, "QPGMR"}, {16, "512"}, {22, "25/03/97"}, {31, "12:17:39"},
                           {40, "*FILE"}, {51, "OLD"}}),
                  "OLD", kFile, 512, 1997, 3, 25, 12, 17},
                 {Columns({{0, "QPGMR"}, {16, "512"}, {22, "21.03.2006"}, {33, "12:17:39"},
                           {42, "*STMF"}, {53, "my notes.txt"}}),
                  "my notes.txt", kFile, 512, 2006, 3, 21, 12, 17},
             });
}

TEST_F(RealServerLines, Tandem) {
  ExpectRows(FERRIX_HOST_TYPE_TANDEM,
             {
                 {Columns({{0, "ALARMS"}, {9, "101"}, {20, "1234"}, {25, "9-Apr-05"},
                           {34, "13:22:49"}, {43, "255,255"}}),
                  "ALARMS", kFile, 1234, 2005, 4, 9, 13, 22},
                 {Columns({{0, "BIGFILE"}, {14, "1729"}, {24, "123456789012"}, {38, "12-Dec-03"},
                           {48, "08:00:00"}}),
                  "BIGFILE", kFile, 123456789012ull, 2003, 12, 12, 8, 0},
                 // the fixed columns
                 {Columns({{0, "ALARMS"}, {14, "0"}, {30, "1234"}, {36, "9-Apr-05"},
                           {45, "13:22:49"}, {54, "255,255"}}),
                  "ALARMS", kFile, 1234, 2005, 4, 9, 13, 22},
             });
}

TEST_F(RealServerLines, MvsExtendedPartitionedDataSet) {
  ExpectRows(FERRIX_HOST_TYPE_IBM_MVS,
             {
                 {Columns({{0, "WYPRC5"}, {7, "3390"}, {14, "2003/03/12"}, {26, "1"}, {30, "15"},
                           {34, "FB"}, {42, "80"}, {45, "27920"}, {52, "PO-E"},
                           {57, "PREFIX.DATA.LIB"}}),
                  "LIB", kFolder, 0, 2003, 3, 12, 0, 0},
             });
}

}  // namespace
}  // namespace ferrix::decoder
