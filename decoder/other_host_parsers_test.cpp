#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "decoder/parse_helpers.h"
#include "decoder/parsers.h"

namespace ferrix::decoder {
namespace {

// A fixed-column line: each text placed at its column over a run of fill.
std::string Columns(std::initializer_list<std::pair<std::size_t, const char*>> texts,
                    char fill = ' ') {
  std::string line;
  for (const auto& [column, text] : texts) {
    if (line.size() < column) line.resize(column, fill);
    line.replace(column, std::min(line.size() - column, std::strlen(text)), text);
  }
  return line;
}

ListingEntry Parse(LineParser parser, const std::string& line, int hostType) {
  std::array<char, 512> work{};
  std::memcpy(work.data(), line.data(), std::min(line.size(), work.size() - 1));
  ListingEntry entry{};
  parser(entry, work.data(), ParseContext{hostType, "", ""});
  return entry;
}

struct Case {
  const char* label;
  LineParser parser;
  std::string line;
  const char* name;  // "" = the line gives no entry
  int kind = 0;
  std::uint64_t size = 0;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
};

constexpr int kFolder = FERRIX_KIND_FOLDER;

void ExpectDecodes(const Case& c, int hostType) {
  const ListingEntry entry = Parse(c.parser, c.line, hostType);
  SCOPED_TRACE(std::string(c.label) + ": [" + c.line + "]");
  EXPECT_STREQ(entry.name, c.name);
  if (c.name[0] == '\0') return;
  EXPECT_EQ(entry.kind, c.kind);
  EXPECT_EQ(entry.size, c.size);
  EXPECT_EQ(entry.year, c.year);
  EXPECT_EQ(entry.month, c.month);
  EXPECT_EQ(entry.day, c.day);
  EXPECT_EQ(entry.hour, c.hour);
  EXPECT_EQ(entry.minute, c.minute);
}

// Undated UNIX-style times belong to a year relative to today; pin today.
class OtherHostListing : public ::testing::Test {
 protected:
  void SetUp() override { SetLocalDateForTesting(2003, 6); }
  void TearDown() override { SetLocalDateForTesting(0, 0); }
};

std::string NetWareColumns(const char* type, const char* size, const char* dateTimeName) {
  return Columns({{0, type}, {48 - std::strlen(size), size}, {51, dateTimeName}});
}

TEST_F(OtherHostListing, NetWareBothLayouts) {
  const Case cases[] = {
      {"bracketed rights, pm", ParseNetWareLine,
       "d [RWCEAFMS] admin 512 Jan 16 1997 6:53 pm login", "login", kFolder, 512, 1997, 1, 16,
       18, 53},
      {"12 pm stays 12, name with space", ParseNetWareLine,
       "- [R----F--] rhesus 214059 Oct 20 2003 12:27 pm my file.txt", "my file.txt", 0, 214059,
       2003, 10, 20, 12, 27},
      {"size beyond 32 bits", ParseNetWareLine,
       "- [R----F--] bob 5000000000 Mar 3 2004 9:05 am big.iso", "big.iso", 0, 5000000000ull,
       2004, 3, 3, 9, 5},
      {"total line", ParseNetWareLine, "TOTAL 42", ""},
      {"columns, 1:05 pm", ParseNetWareLine,
       NetWareColumns("-rw-rw-rw-", "1234", "Jan 05, 97  1:05 pm  readme.txt"), "readme.txt", 0,
       1234, 1997, 1, 5, 13, 5},
      {"columns, 12:30 pm", ParseNetWareLine,
       NetWareColumns("-rw-rw-rw-", "77", "Jun 30, 69  12:30 pm  a b"), "a b", 0, 77, 2069, 6,
       30, 12, 30},
      {"columns, folder", ParseNetWareLine,
       NetWareColumns("drw-------", "0", "DEC 31, 03 11:59 am  Public"), "Public", kFolder, 0,
       2003, 12, 31, 11, 59},
      {"columns without a comma", ParseNetWareLine,
       NetWareColumns("-rw-rw-rw-", "1", "Jan 05 97 1:05 pm x"), ""},
      {"neither layout", ParseNetWareLine, NetWareColumns("-xw-rw-rw-", "1", "Jan 5, 97 x"), ""},
  };
  for (const Case& c : cases) ExpectDecodes(c, 6035);
}

TEST_F(OtherHostListing, UnixLikeMacAndHellSoftLayouts) {
  const Case cases[] = {
      {"HellSoft time this year", ParseHellSoftLine,
       "-rw-r--r-- 1 owner 1024 Mar 14 10:30 notes.txt", "notes.txt", 0, 1024, 2003, 3, 14, 10,
       30},
      {"HellSoft time of a later month is last year", ParseHellSoftLine,
       "-rw-r--r-- 1 owner 1024 Dec 14 10:30 old.txt", "old.txt", 0, 1024, 2002, 12, 14, 10, 30},
      {"HellSoft folder with a year", ParseHellSoftLine,
       "drwxr-xr-x 2 owner 512 Dec 1 1999 My Folder", "My Folder", kFolder, 512, 1999, 12, 1},
      {"HellSoft total", ParseHellSoftLine, "total 5", ""},
      {"Peter Server folder has no links column", ParsePeterServerLine,
       "drwxrwxr-x      folder        4 Jun 12  1998 Applications", "Applications", kFolder, 4,
       1998, 6, 12},
      {"Peter Server file", ParsePeterServerLine,
       "-rw-r--r--    0    3512    3512 Nov 22  1995 Read Me", "Read Me", 0, 3512, 1995, 11, 22},
      {"Peter Server total", ParsePeterServerLine, "Total 3", ""},
  };
  for (const Case& c : cases) ExpectDecodes(c, c.parser == ParseHellSoftLine ? 6041 : 6015);
}

TEST_F(OtherHostListing, NovellLwpDateFirst) {
  const Case cases[] = {
      {"file, pm", ParseLwpLine, "03-15-97  10:30p  1234  readme.txt", "readme.txt", 0, 1234,
       1997, 3, 15, 22, 30},
      {"folder marker before the name", ParseLwpLine, "12-01-03  9:05a  <DIR>  sub dir",
       "sub dir", kFolder, 0, 2003, 12, 1, 9, 5},
      {"marker inside the name is a name", ParseLwpLine, "12-01-03  9:05a  7  a <DIR> b",
       "a <DIR> b", 0, 7, 2003, 12, 1, 9, 5},
      {"summary", ParseLwpLine, "3 File(s)  12345 bytes", ""},
      {"heading", ParseLwpLine, "Directory of SYS:", ""},
  };
  for (const Case& c : cases) ExpectDecodes(c, 6053);
}

std::string VersaTermLong(const char* name, const char* size, const char* month,
                          const char* day, const char* clock, const char* half,
                          const char* year) {
  return Columns({{0, std::string(80, '.').c_str()},
                  {0, name},
                  {41, size},
                  {57, month},
                  {61, day},
                  {65, clock},
                  {71, half},
                  {76, year}},
                 '.')
      .substr(0, 76 + std::strlen(year));
}

TEST_F(OtherHostListing, VersaTermLongAndShortLines) {
  const Case cases[] = {
      {"long file", ParseVersaTermLine,
       VersaTermLong("readme.txt", "1234", "Mar", "05", "10:30", "PM", "1997"), "readme.txt", 0,
       1234, 1997, 3, 5, 22, 30},
      {"long folder at noon", ParseVersaTermLine,
       VersaTermLong("Projects/", "0", "Dec", "31", "12:00", "PM", "03"), "Projects", kFolder, 0,
       2003, 12, 31, 12, 0},
      {"long line of dots only", ParseVersaTermLine, std::string(80, '.'), ""},
      {"short name padded with dots", ParseVersaTermLine, "readme.txt......", "readme.txt"},
      {"short folder", ParseVersaTermLine, "Projects/", "Projects", kFolder},
      {"slash before the dots", ParseVersaTermLine, "a/b..c", "a", kFolder},
      {"short name alone", ParseVersaTermLine, "plainname", ""},
  };
  for (const Case& c : cases) ExpectDecodes(c, 6040);
}

TEST_F(OtherHostListing, Os2ColumnsAndWarpFields) {
  const Case cases[] = {
      {"OS/2 file", ParseOs2Line,
       Columns({{12, "12345"}, {22, "A"}, {35, "12-18-97"}, {46, "15:43"}, {53, "file.txt"}}),
       "file.txt", 0, 12345, 1997, 12, 18, 15, 43},
      {"OS/2 folder", ParseOs2Line,
       Columns({{16, "0"}, {29, "DIR"}, {35, "05-12-03"}, {46, "09:05"}, {53, "PSFONTS"}}),
       "PSFONTS", kFolder, 0, 2003, 5, 12, 9, 5},
      {"OS/2 line ending before the name", ParseOs2Line,
       Columns({{16, "0"}, {35, "05-12-03"}, {46, "09:05"}}), ""},
      {"Warp file", ParseWarpLine, "   345      A   12-18-97   15:43  file.txt", "file.txt", 0,
       345, 1997, 12, 18, 15, 43},
      {"Warp folder, name with a space", ParseWarpLine,
       "     0    DIR   05-12-03   09:05  My Docs", "My Docs", kFolder, 0, 2003, 5, 12, 9, 5},
      {"Warp empty", ParseWarpLine, "", ""},
  };
  for (const Case& c : cases) ExpectDecodes(c, c.parser == ParseOs2Line ? 6048 : 6042);
}

std::string QnxLine(const char* blocks, const char* year, const char* name) {
  return Columns({{0, blocks}, {10, "rw-r--r--"}, {44, "05"}, {47, "Mar"}, {51, year},
                  {54, "10:30"}, {60, name}});
}

TEST_F(OtherHostListing, QnxAndOs9) {
  const Case cases[] = {
      {"QNX two-digit year in this century", ParseQnxLine, QnxLine("12", "03", "notes"), "notes",
       0, 6144, 2003, 3, 5, 10, 30},
      {"QNX two-digit year in the last", ParseQnxLine, QnxLine("1", "97", "old file"),
       "old file", 0, 512, 1997, 3, 5, 10, 30},
      {"QNX folder line", ParseQnxLine, "+docs", "docs", kFolder},
      {"QNX total", ParseQnxLine, QnxLine("T", "97", "x"), ""},
      {"QNX B at 1", ParseQnxLine, QnxLine("1B", "97", "x"), ""},
      {"QNX short", ParseQnxLine, QnxLine("1", "97", "").substr(0, 59), ""},
      {"OS-9 folder", ParseOs9Line,
       Columns({{3, "0.0"}, {10, "97/11/14"}, {19, "1713"}, {26, "d-ewrewr"}, {39, "A0"},
                {46, "160"}, {53, "CMDS"}}),
       "CMDS", kFolder, 160, 1997, 11, 14, 17, 13},
      {"OS-9 three-digit time", ParseOs9Line,
       Columns({{3, "0.0"}, {10, "03/01/02"}, {20, "930"}, {26, "-----r-r"}, {39, "A1"},
                {46, "42"}, {53, "startup"}}),
       "startup", 0, 42, 2003, 1, 2, 9, 30},
      {"OS-9 time below 100 is no time", ParseOs9Line,
       Columns({{3, "0.0"}, {10, "03/01/02"}, {21, "45"}, {26, "-----r-r"}, {39, "A1"},
                {46, "42"}, {53, "startup"}}),
       "startup", 0, 42, 2003, 1, 2, 0, 0},
      {"OS-9 rule line", ParseOs9Line, "-------   -------------  ----------", ""},
      {"OS-9 heading", ParseOs9Line, " Owner    Last modified  Attributes Sector Bytecount Name",
       ""},
  };
  for (const Case& c : cases) ExpectDecodes(c, c.parser == ParseQnxLine ? 6046 : 6021);
}

TEST_F(OtherHostListing, AmigaAmosVxWorksPassport) {
  const Case cases[] = {
      {"Amiga file", ParseAmigaLine, "-rw-r--r--  1 user  1234 Jan 01 1999 readme", "readme"},
      {"Amiga drw folder", ParseAmigaLine, "drwxr-xr-x  1 user  0 Jan 01 1999 Devs", "Devs",
       kFolder},
      {"Amiga dr- folder", ParseAmigaLine, "dr--r--r-- x Docs", "Docs", kFolder},
      {"Amiga marker folder", ParseAmigaLine, "Work <DIR> Projects", "Projects", kFolder},
      {"Amiga summary", ParseAmigaLine, "DIRS: 3  Files: 5", ""},
      {"AMOS name and extension", ParseAmosLine,
       Columns({{0, "ABC"}, {7, "TXT"}, {11, "12"}, {16, "Jan-05-97"}, {26, "10:30"}}), "ABC.TXT",
       0, 6144, 1997, 1, 5, 10, 30},
      {"AMOS no extension", ParseAmosLine,
       Columns({{0, "LONGNM"}, {11, "3"}, {16, "Dec-31-03"}, {26, "23:59"}}), "LONGNM", 0, 1536,
       2003, 12, 31, 23, 59},
      {"AMOS summary", ParseAmosLine, "   12 files in 34 blocks on DSK0:", ""},
      {"VxWorks file", ParseVxWorksLine,
       Columns({{4, "1024"}, {12, "JAN-05-1997"}, {25, "10:30:12"}, {36, "boot.cfg"}}),
       "boot.cfg", 0, 1024, 1997, 1, 5, 10, 30},
      {"VxWorks folder", ParseVxWorksLine,
       Columns({{5, "512"}, {12, "DEC-31-2003"}, {25, "23:59:59"}, {36, "tmp"}, {48, "<DIR>"}}),
       "tmp", kFolder, 512, 2003, 12, 31, 23, 59},
      {"VxWorks heading", ParseVxWorksLine,
       "  size          date       time       name", ""},
      {"VxWorks rule", ParseVxWorksLine, "--------       ------     ------    --------", ""},
      {"Passport file", ParsePassportLine,
       Columns({{3, "12345"}, {12, "MAR"}, {16, "05"}, {19, "97"}, {25, "10:30"},
                {36, "REPORT.TXT"}}),
       "REPORT.TXT", 0, 12345, 97, 3, 5, 10, 30},
      {"Passport folder, long name cut at 18", ParsePassportLine,
       Columns({{7, "0"}, {12, "DEC"}, {16, "31"}, {19, "03"}, {25, "11:59"},
                {36, "ABCDEFGHIJKLMNOPQR"}, {54, "<DIR>"}}),
       "ABCDEFGHIJKLMNOPQR", kFolder, 0, 3, 12, 31, 11, 59},
      {"Passport s at 2", ParsePassportLine,
       Columns({{2, "s"}, {12, "DEC"}, {36, "SUBDIR"}}), ""},
      {"Passport rule", ParsePassportLine, std::string(60, '-'), ""},
  };
  for (const Case& c : cases) ExpectDecodes(c, 6000);
}

struct DecodedCase {
  int hostType;
  std::string line;
  const char* name;
  int kind;
  int year;
};

// Through the export: each host type reaches its own parser, and the common
// date normalisation runs after it.
TEST_F(OtherHostListing, DecodeLineDispatchesEachHostTypeToItsParser) {
  const DecodedCase cases[] = {
      {6015, "drwxrwxr-x      folder        4 Jun 12  1998 Applications", "Applications", kFolder,
       1998},
      {6021,
       Columns({{3, "0.0"}, {10, "97/11/14"}, {19, "1713"}, {26, "d-ewrewr"}, {46, "160"},
                {53, "CMDS"}}),
       "CMDS", kFolder, 1997},
      {6025, "dr--r--r-- x Docs", "Docs", kFolder, 0},
      {6035, NetWareColumns("-rw-rw-rw-", "77", "Jun 30, 69  12:30 pm  a b"), "a b", 0, 2038},
      {6040, "Projects/", "Projects", kFolder, 0},
      {6041, "drwxr-xr-x 2 owner 512 Dec 1 1999 My Folder", "My Folder", kFolder, 1999},
      {6042, "     0    DIR   05-12-03   09:05  My Docs", "My Docs", kFolder, 2003},
      {6046, "+docs", "docs", kFolder, 0},
      {6048, Columns({{16, "0"}, {29, "DIR"}, {35, "05-12-03"}, {46, "09:05"}, {53, "PSFONTS"}}),
       "PSFONTS", kFolder, 2003},
      {6051, Columns({{3, "12345"}, {12, "MAR"}, {16, "05"}, {19, "97"}, {36, "REPORT.TXT"}}),
       "REPORT.TXT", 0, 1997},
      {6053, "12-01-03  9:05a  <DIR>  sub dir", "sub dir", kFolder, 2003},
      {6055, Columns({{0, "ABC"}, {7, "TXT"}, {11, "12"}, {16, "Jan-05-97"}, {26, "10:30"}}),
       "ABC.TXT", 0, 1997},
      {6057, Columns({{5, "512"}, {12, "DEC-31-2003"}, {25, "23:59"}, {36, "tmp"}, {48, "<DIR>"}}),
       "tmp", kFolder, 2003},
  };
  for (const DecodedCase& c : cases) {
    ListingEntry entry{};
    const int32_t length = FERRIX_DecodeLine(&entry, (c.line + "\r\n").c_str(), c.hostType, "", "");
    SCOPED_TRACE(std::to_string(c.hostType) + ": [" + c.line + "]");
    EXPECT_EQ(length, static_cast<int32_t>(std::strlen(c.name)));
    EXPECT_STREQ(entry.name, c.name);
    EXPECT_EQ(entry.kind, c.kind);
    EXPECT_EQ(entry.year, c.year);
  }
}

// Every parser on every prefix of real and hostile lines, each prefix in an
// allocation of exactly its length, so a read past the NUL is a sanitizer fault.
TEST_F(OtherHostListing, EveryPrefixDecodesWithinItsLine) {
  const LineParser parsers[] = {
      ParseNetWareLine, ParseHellSoftLine, ParsePeterServerLine, ParseLwpLine,
      ParseVersaTermLine, ParseOs2Line, ParseWarpLine, ParseQnxLine,
      ParseOs9Line, ParseAmigaLine, ParseAmosLine, ParseVxWorksLine,
      ParsePassportLine};
  std::vector<std::string> lines = {
      "d [RWCEAFMS] admin 512 Jan 16 1997 6:53 pm login",
      NetWareColumns("-rw-rw-rw-", "1234", "Jan 05, 97  1:05 pm  readme.txt"),
      NetWareColumns("-rw-rw-rw-", "1234", "Jan 05,"),
      "03-15-97  10:30p  1234  readme.txt",
      VersaTermLong("readme.txt", "1234", "Mar", "05", "10:30", "PM", "1997"),
      Columns({{12, "12345"}, {22, "A"}, {35, "12-18-97"}, {46, "15:43"}, {53, "file.txt"}}),
      QnxLine("12", "03", "notes"),
      Columns({{3, "0.0"}, {10, "97/11/14"}, {19, "1713"}, {26, "d-ewrewr"}, {53, "CMDS"}}),
      Columns({{0, "ABC"}, {7, "TXT"}, {11, "12"}, {16, "Jan-05-97"}, {26, "10:30"}}),
      Columns({{5, "512"}, {12, "DEC-31-2003"}, {25, "23:59:59"}, {36, "tmp"}, {48, "<DIR>"}}),
      Columns({{7, "0"}, {12, "DEC"}, {16, "31"}, {19, "03"}, {25, "11:59"}, {36, "SUB"},
               {54, "<DIR>"}}),
      std::string(511, ' '),
      std::string(511, '.'),
      std::string(511, '9'),
      std::string(511, ','),
      std::string(511, '/'),
      std::string(511, 'x'),
      "-" + std::string(510, 'r'),
  };
  for (const std::string& line : lines) {
    for (std::size_t length = 0; length <= line.size(); ++length) {
      for (const LineParser parser : parsers) {
        auto work = std::make_unique<char[]>(length + 1);
        std::memcpy(work.get(), line.data(), length);
        work[length] = '\0';
        ListingEntry entry{};
        parser(entry, work.get(), ParseContext{});
        ASSERT_LT(std::strlen(entry.name), sizeof entry.name) << line.substr(0, length);
      }
    }
  }
}

}  // namespace
}  // namespace ferrix::decoder
