#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "decoder/parse_helpers.h"
#include "decoder/parsers.h"

namespace ferrix::decoder {
namespace {

// Places each text at its column, padding with spaces, so fixed-column lines
// read like the layout they test.
std::string Columns(std::initializer_list<std::pair<std::size_t, const char*>> parts) {
  std::string line;
  for (const auto& [column, text] : parts) {
    line.resize(column, ' ');
    line += text;
  }
  return line;
}

// Runs the parser on an exactly sized copy, so a read past the end of the line
// shows up under AddressSanitizer.
ListingEntry Parse(LineParser parser, int hostType, const std::string& line) {
  std::vector<char> work(line.begin(), line.end());
  work.push_back('\0');
  ListingEntry entry;
  std::memset(&entry, 0, sizeof entry);
  ParseContext context;
  context.hostType = hostType;
  parser(entry, work.data(), context);
  return entry;
}

struct Case {
  LineParser parser;
  int hostType;
  std::string line;
  const char* name;  // "" = the line gives no entry
  int kind = FERRIX_KIND_FILE;
  std::uint64_t size = 0;
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
};

void ExpectEntry(const Case& c) {
  ListingEntry entry = Parse(c.parser, c.hostType, c.line);
  SCOPED_TRACE(c.line);
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

constexpr std::uint64_t kFiveGiB = 5368709120ull;

TEST(NtListing, DosStyleLinesAsWindowsServersSendThem) {
  const Case cases[] = {
      {ParseNtLine, 6016, "12-25-97  10:30PM       <DIR>          Projects", "Projects",
       FERRIX_KIND_FOLDER, 0, 1997, 12, 25, 22, 30},
      {ParseNtLine, 6016, "06-05-02  03:19PM                 1419 read me.txt", "read me.txt",
       FERRIX_KIND_FILE, 1419, 2002, 6, 5, 15, 19},
      {ParseNtLine, 6016, "01-16-2019  11:14AM           5368709120 disk image.iso",
       "disk image.iso", FERRIX_KIND_FILE, kFiveGiB, 2019, 1, 16, 11, 14},
      {ParseNtLine, 6016, "07-04-03  12:05PM                    0 noon.txt", "noon.txt",
       FERRIX_KIND_FILE, 0, 2003, 7, 4, 12, 5},
      // Midnight: 12:15AM is 00:15, not a quarter past noon.
      {ParseNtLine, 6016, "12-25-97  12:15AM       <DIR>          Projects", "Projects",
       FERRIX_KIND_FOLDER, 0, 1997, 12, 25, 0, 15},
      // A marker inside the name does not make a file a folder.
      {ParseNtLine, 6016, "06-05-02  03:19PM                 1419 my dir notes.txt",
       "my dir notes.txt", FERRIX_KIND_FILE, 1419, 2002, 6, 5, 15, 19},
      {ParseNtLine, 6016, "06-05-02  03:19PM    1419 short", "", FERRIX_KIND_FILE},
      {ParseNtLine, 6016, "06-05-02  03:19PM                 1419    ", ""},
      {ParseNtLine, 6016, " Volume in drive C has no label and is forty long", ""},
  };
  for (const Case& c : cases) ExpectEntry(c);
}

TEST(NtListing, UnixStyleLinesKeepNamesWithSpaces) {
  SetLocalDateForTesting(2026, 12);
  const Case cases[] = {
      {ParseNtLine, 6016, "-r--r--r-- 1 owner    group           1234 Jan  5  2003 read me.txt",
       "read me.txt", FERRIX_KIND_FILE, 1234, 2003, 1, 5, 0, 0},
      {ParseNtLine, 6016, "d--------- 1 owner    group              0 Jun 10 10:30 new folder",
       "new folder", FERRIX_KIND_FOLDER, 0, 2026, 6, 10, 10, 30},
      {ParseNtLine, 6016, "-rwxrwxrwx 1 owner group 5368709120 Mar  1  2020 big.iso", "big.iso",
       FERRIX_KIND_FILE, kFiveGiB, 2020, 3, 1, 0, 0},
      {ParseNtLine, 6016, "drwx------ 1 owner group 0 Jun 10", ""},
  };
  for (const Case& c : cases) ExpectEntry(c);
  SetLocalDateForTesting(0, 0);
}

TEST(SiNtListing, NameAndKindFromTheLastWord) {
  const Case cases[] = {
      {ParseSiNtLine, 6007, "drwxr-xr-x 1 owner group 0 Jan 5 10:00 docs/", "docs",
       FERRIX_KIND_FOLDER},
      {ParseSiNtLine, 6007, "lrwxrwxrwx 1 owner group 11 Jan 5 10:00 current -> release-2.1",
       "current", FERRIX_KIND_LINK},
      {ParseSiNtLine, 6007, "drwxr-xr-x 1 owner group 11 Jan 5 10:00 www -> /var/www/", "www",
       FERRIX_KIND_LINK},
      {ParseSiNtLine, 6007, "-rw-r--r-- 1 owner group 12 Jan 5 10:00 readme.txt", "readme.txt"},
      {ParseSiNtLine, 6007, "12-25-97 10:30 <DIR> Projects", "Projects", FERRIX_KIND_FOLDER},
      {ParseSiNtLine, 6007, "Documents", "Documents", FERRIX_KIND_FOLDER},
      {ParseSiNtLine, 6007, "abc", ""},
  };
  for (const Case& c : cases) ExpectEntry(c);
}

TEST(NcsaListing, NameRunsUpToTheSizeColumn) {
  const Case cases[] = {
      {ParseNcsaLine, 6006, "my file.txt     1234  Jan-05-03  10:30", "my file.txt",
       FERRIX_KIND_FILE, 1234, 2003, 1, 5, 10, 30},
      {ParseNcsaLine, 6047, "DOCS   <DIR>  Jan-05-03  9:15p", "DOCS", FERRIX_KIND_FOLDER, 0, 2003,
       1, 5, 21, 15},
      {ParseNcsaLine, 6006, "huge.bin 5368709120 Feb-29-24 23:59", "huge.bin", FERRIX_KIND_FILE,
       kFiveGiB, 2024, 2, 29, 23, 59},
      // Numeric dates are not read by this layout.
      {ParseNcsaLine, 6006, "data.csv  77  12-25-97  10:30", "data.csv", FERRIX_KIND_FILE, 77, 0,
       0, 0, 10, 30},
      {ParseNcsaLine, 6006, "Files match 3 of 3 total", ""},
      {ParseNcsaLine, 6006, "Directories match 1 of 1", ""},
      {ParseNcsaLine, 6006, "a 1 Jan-05-03", ""},
  };
  for (const Case& c : cases) ExpectEntry(c);
}

TEST(NcsaListing, LongPermissionLinesGoToTheUnixParser) {
  SetLocalDateForTesting(2026, 12);
  ExpectEntry({ParseNcsaLine, 6037, "-rw-r--r--   1 owner group 1234 Jan 5 2003 readme", "readme",
               FERRIX_KIND_FILE, 1234, 2003, 1, 5, 0, 0});
  SetLocalDateForTesting(0, 0);
}

TEST(IbmPcListing, FixedColumnsWithLowerCaseMeridiem) {
  const Case cases[] = {
      {ParseIbmPcLine, 6003, Columns({{0, "12-25-97"}, {10, "10:30p"}, {16, "      1234"},
                                      {40, "AUTOEXEC.BAT"}}),
       "AUTOEXEC.BAT", FERRIX_KIND_FILE, 1234, 1997, 12, 25, 22, 30},
      {ParseIbmPcLine, 6003, Columns({{0, "01-02-03"}, {10, "12:05a"}, {18, "<DIR>"},
                                      {40, "DOS"}}),
       "DOS", FERRIX_KIND_FOLDER, 0, 2003, 1, 2, 0, 5},
      {ParseIbmPcLine, 6003, Columns({{0, "01-02-03"}, {10, "12:05p"}, {16, "5368709120"},
                                      {40, "BIG.DAT"}}),
       "BIG.DAT", FERRIX_KIND_FILE, kFiveGiB, 2003, 1, 2, 12, 5},
      {ParseIbmPcLine, 6003, " Volume Serial Number is 1234-ABCD and more text", ""},
      {ParseIbmPcLine, 6003, " Directory of C:\\TEMP and enough text to pass forty", ""},
      {ParseIbmPcLine, 6003, "       12 file(s)      123456 bytes free and so on", ""},
      {ParseIbmPcLine, 6003, Columns({{0, "12-25-97"}, {39, "X"}}), ""},
  };
  for (const Case& c : cases) ExpectEntry(c);
}

TEST(ChameleonListing, FirstWordIsTheNameAndTheLastColonTheTime) {
  const Case cases[] = {
      {ParseChameleonLine, 6001, "README.TXT   1,234  12/25/97  10:30", "README.TXT",
       FERRIX_KIND_FILE, 1234, 1997, 12, 25, 10, 30},
      {ParseChameleonLine, 6008, "DOCS  <DIR>  12/25/97  10:30p", "DOCS", FERRIX_KIND_FOLDER, 0,
       1997, 12, 25, 22, 30},
      {ParseChameleonLine, 6001, "DISK.IMG  5,368,709,120  1/2/03  9:05", "DISK.IMG",
       FERRIX_KIND_FILE, kFiveGiB, 2003, 1, 2, 9, 5},
      {ParseChameleonLine, 6001, "Files match 2", ""},
      {ParseChameleonLine, 6001, "1:2", "1:2"},
  };
  for (const Case& c : cases) ExpectEntry(c);
}

TEST(PcTcpListing, NameBeforeColumnThirtyAndDateAfter) {
  const Case cases[] = {
      {ParsePcTcpLine, 6002, Columns({{4, "1234"}, {11, "README.TXT"}, {37, "Dec"}, {41, "25"},
                                      {44, "10:30"}, {53, "97"}}),
       "README.TXT", FERRIX_KIND_FILE, 1234, 1997, 12, 25, 10, 30},
      {ParsePcTcpLine, 6002, Columns({{4, "<DIR>"}, {11, "DOCS"}, {37, "Jan"}, {41, " 2"},
                                      {44, "08:05"}, {53, "03"}}),
       "DOCS", FERRIX_KIND_FOLDER, 0, 2003, 1, 2, 8, 5},
      {ParsePcTcpLine, 6002, Columns({{0, "5368709120"}, {11, "BIG.DAT"}, {37, "Feb"},
                                      {41, "29"}, {44, "23:59"}, {53, "2024"}}),
       "BIG.DAT", FERRIX_KIND_FILE, kFiveGiB, 2024, 2, 29, 23, 59},
      // A name alone is not read as its own size.
      {ParsePcTcpLine, 6002, Columns({{0, "123.TXT"}, {37, "Jan"}, {41, " 2"}, {44, "08:05"},
                                      {53, "03"}}),
       "123.TXT", FERRIX_KIND_FILE, 0, 2003, 1, 2, 8, 5},
      {ParsePcTcpLine, 6002, Columns({{0, "DIRS: 3"}, {53, "03"}}), ""},
      {ParsePcTcpLine, 6002, Columns({{11, "README.TXT"}, {52, "9"}}), ""},
  };
  for (const Case& c : cases) ExpectEntry(c);
}

TEST(Ka9qListing, EachHalfOfTheTwoColumnListing) {
  const std::string left = "README.TXT      1,234  10:30  Dec-25-97";
  const std::string right = "DOCS/        10:30 12/25/97";
  const Case cases[] = {
      {ParseKa9qLine, 6005, left, "README.TXT", FERRIX_KIND_FILE, 1234, 1997, 12, 25, 10, 30},
      {ParseKa9qLine, 6005, right, "DOCS", FERRIX_KIND_FOLDER, 0, 1997, 12, 25, 10, 30},
      {ParseKa9qLine, 6005, Columns({{0, left.c_str()}, {41, right.c_str()}}), "DOCS",
       FERRIX_KIND_FOLDER, 0, 1997, 12, 25, 10, 30},
      {ParseKa9qLine, 6005, "BIG.DAT      5,368,709,120 9:05 Jan-02-03", "BIG.DAT",
       FERRIX_KIND_FILE, kFiveGiB, 2003, 1, 2, 9, 5},
      {ParseKa9qLine, 6005, "Disk size 1440k, 20k free", ""},
      {ParseKa9qLine, 6005, "SHORT.TXT    ", ""},
  };
  for (const Case& c : cases) ExpectEntry(c);
}

TEST(QvtListing, NameOnlyWithHostTypeSpaceRule) {
  const Case cases[] = {
      {ParseQvtLine, 6013, "readme.txt", "readme.txt"},
      {ParseQvtLine, 6013, "docs/", "docs", FERRIX_KIND_FOLDER},
      {ParseQvtLine, 6013, "my file", "my"},
      {ParseQvtLine, 6014, "my file", "my file"},
      {ParseQvtLine, 6014, "System Folder\\", "System Folder", FERRIX_KIND_FOLDER},
      {ParseQvtLine, 6013, "/", ""},
  };
  for (const Case& c : cases) ExpectEntry(c);
}

TEST(Qvt4Listing, BothColumnLayouts) {
  const Case cases[] = {
      {ParseQvt4Line, 6039, Columns({{0, "1234"}, {14, "12-25-97"}, {25, "10:30"},
                                     {34, "readme.txt"}}),
       "readme.txt", FERRIX_KIND_FILE, 1234, 1997, 12, 25, 10, 30},
      {ParseQvt4Line, 6039, Columns({{0, "[dir]"}, {14, "01-02-03"}, {25, "08:05"},
                                     {34, "docs"}}),
       "docs", FERRIX_KIND_FOLDER, 0, 2003, 1, 2, 8, 5},
      {ParseQvt4Line, 6039, Columns({{0, "my long file name.txt"}, {40, "1234"},
                                     {45, "12-25-1997 10:30"}}),
       "my long file name.txt", FERRIX_KIND_FILE, 1234, 1997, 12, 25, 10, 30},
      {ParseQvt4Line, 6039, Columns({{0, "Projects"}, {39, "[DIR]"}, {45, "01-02-2003 08:05"}}),
       "Projects", FERRIX_KIND_FOLDER, 0, 2003, 1, 2, 8, 5},
      {ParseQvt4Line, 6039, Columns({{0, "disk.img"}, {34, "5368709120"},
                                     {45, "02-29-2024 23:59"}}),
       "disk.img", FERRIX_KIND_FILE, kFiveGiB, 2024, 2, 29, 23, 59},
      {ParseQvt4Line, 6039, Columns({{0, "short.txt"}, {40, "1234"}}), ""},
  };
  for (const Case& c : cases) ExpectEntry(c);
}

TEST(ReflectionListing, NameFromColumnFortyFive) {
  const Case cases[] = {
      {ParseReflectionLine, 6054, Columns({{0, "-rw-r--r--"}, {12, "12/25/97"}, {22, "10:30"},
                                           {27, "      1234"}, {45, "my dir notes.txt"}}),
       "my dir notes.txt", FERRIX_KIND_FILE, 1234, 1997, 12, 25, 10, 30},
      {ParseReflectionLine, 6054, Columns({{0, "drwxr-xr-x"}, {12, "01/02/03"}, {22, "08:05"},
                                           {29, "<DIR>"}, {45, "Projects"}}),
       "Projects", FERRIX_KIND_FOLDER, 0, 2003, 1, 2, 8, 5},
      {ParseReflectionLine, 6054, Columns({{12, "02/29/24"}, {22, "23:59"}, {28, "5368709120"},
                                           {45, "big.iso"}}),
       "big.iso", FERRIX_KIND_FILE, kFiveGiB, 2024, 2, 29, 23, 59},
      {ParseReflectionLine, 6054, Columns({{12, "12/25/97"}, {22, "10:30"}, {27, "1234"}}), ""},
  };
  for (const Case& c : cases) ExpectEntry(c);
}

// Years stay as the line gives them: the decoder's normalisation adds the
// century after the parser.
TEST(PcnfsListing, EightDotThreeNamesAreJoined) {
  const auto line = [](const char* name, const char* size, const char* mark) {
    return Columns({{0, name}, {13, size}, {23, "12-25-97"}, {33, "10:30"}, {38, mark}});
  };
  const Case cases[] = {
      {ParsePcnfsLine, 6022, line("README   TXT", "1234", "p"), "README.TXT", FERRIX_KIND_FILE,
       1234, 97, 12, 25, 22, 30},
      {ParsePcnfsLine, 6036, line("AUTOEXEC BAT", "123456789", "a"), "AUTOEXEC.BAT",
       FERRIX_KIND_FILE, 123456789, 97, 12, 25, 10, 30},
      {ParsePcnfsLine, 6022, line("DOCS", "<DIR>", "a"), "DOCS", FERRIX_KIND_FOLDER, 0, 97, 12,
       25, 10, 30},
      {ParsePcnfsLine, 6022,
       Columns({{0, "A        B"}, {13, "1"}, {23, "01-02-03"}, {33, "12:05"}, {38, "a"}}), "A.B",
       FERRIX_KIND_FILE, 1, 3, 1, 2, 0, 5},
      {ParsePcnfsLine, 6022, line(".", "<DIR>", "a"), ""},
      {ParsePcnfsLine, 6022, line(" X", "1", "a"), ""},
      {ParsePcnfsLine, 6022, "README   TXT ", ""},
  };
  for (const Case& c : cases) ExpectEntry(c);
}

// Through the library's entry point: each DOS-family host type reaches its
// parser, the line arrives with its CR/LF, and the century is added after.
TEST(DosListings, DecodeLineDispatchesEveryDosHostType) {
  struct DispatchCase {
    int hostType;
    std::string line;
    const char* name;
    int kind;
    int year;
  };
  const std::string pcnfs =
      Columns({{0, "README   TXT"}, {13, "1234"}, {23, "12-25-97"}, {33, "10:30"}, {38, "p"}});
  const std::string qvt4 =
      Columns({{0, "1234"}, {14, "12-25-97"}, {25, "10:30"}, {34, "readme.txt"}});
  const std::string reflection =
      Columns({{12, "12/25/97"}, {22, "10:30"}, {29, "<DIR>"}, {45, "Projects"}});
  const std::string ibmPc =
      Columns({{0, "12-25-97"}, {10, "10:30p"}, {16, "      1234"}, {40, "AUTOEXEC.BAT"}});
  const std::string pcTcp = Columns(
      {{4, "1234"}, {11, "README.TXT"}, {37, "Dec"}, {41, "25"}, {44, "10:30"}, {53, "97"}});
  const DispatchCase cases[] = {
      {6001, "README.TXT   1,234  12/25/97  10:30\r\n", "README.TXT", FERRIX_KIND_FILE, 1997},
      {6008, "DOCS  <DIR>  12/25/97  10:30p", "DOCS", FERRIX_KIND_FOLDER, 1997},
      {6002, pcTcp, "README.TXT", FERRIX_KIND_FILE, 1997},
      {6003, ibmPc + "\r\n", "AUTOEXEC.BAT", FERRIX_KIND_FILE, 1997},
      {6005, "DOCS/        10:30 12/25/97", "DOCS", FERRIX_KIND_FOLDER, 1997},
      {6006, "DOCS   <DIR>  Jan-05-03  9:15p", "DOCS", FERRIX_KIND_FOLDER, 2003},
      {6037, "DOCS   <DIR>  Jan-05-03  9:15p", "DOCS", FERRIX_KIND_FOLDER, 2003},
      {6038, "DOCS   <DIR>  Jan-05-03  9:15p", "DOCS", FERRIX_KIND_FOLDER, 2003},
      {6047, "DOCS   <DIR>  Jan-05-03  9:15p", "DOCS", FERRIX_KIND_FOLDER, 2003},
      {6007, "drwxr-xr-x 1 owner group 0 Jan 5 10:00 docs/", "docs", FERRIX_KIND_FOLDER, 0},
      {6013, "docs/\r\n", "docs", FERRIX_KIND_FOLDER, 0},
      {6014, "System Folder/", "System Folder", FERRIX_KIND_FOLDER, 0},
      {6016, "12-25-97  10:30PM       <DIR>          Projects\r\n", "Projects",
       FERRIX_KIND_FOLDER, 1997},
      {6022, pcnfs, "README.TXT", FERRIX_KIND_FILE, 1997},
      {6036, pcnfs + "\r\n", "README.TXT", FERRIX_KIND_FILE, 1997},
      {6039, qvt4, "readme.txt", FERRIX_KIND_FILE, 1997},
      {6054, reflection, "Projects", FERRIX_KIND_FOLDER, 1997},
      {6059, "type=dir;modify=20030512103000; pub\r\n", "pub", FERRIX_KIND_FOLDER, 2003},
  };
  for (const DispatchCase& c : cases) {
    SCOPED_TRACE(c.hostType);
    ListingEntry entry;
    int32_t length = FERRIX_DecodeLine(&entry, c.line.c_str(), c.hostType, "/", "user");
    EXPECT_EQ(length, static_cast<int32_t>(std::strlen(c.name)));
    EXPECT_STREQ(entry.name, c.name);
    EXPECT_EQ(entry.kind, c.kind);
    EXPECT_EQ(entry.year, c.year);
  }
}

// Every prefix of every sample line, each in a buffer of exactly its size:
// fixed-column parsers must stop at the end of a short line.
TEST(DosListings, TruncatedLinesStayInsideTheLine) {
  const LineParser parsers[] = {ParseSiNtLine,  ParseNcsaLine,       ParseNtLine,
                                ParseIbmPcLine, ParseChameleonLine,  ParsePcTcpLine,
                                ParseKa9qLine,  ParseQvtLine,        ParseQvt4Line,
                                ParseReflectionLine, ParsePcnfsLine};
  const std::string samples[] = {
      "12-25-97  12:15AM       <DIR>          Projects",
      Columns({{0, "12-25-97"}, {10, "10:30p"}, {16, "      1234"}, {40, "AUTOEXEC.BAT"}}),
      Columns({{4, "1234"}, {11, "README.TXT"}, {37, "Dec"}, {41, "25"}, {44, "10:30"},
               {53, "97"}}),
      Columns({{0, "my long file name.txt"}, {40, "1234"}, {45, "12-25-1997 10:30"}}),
      Columns({{0, "README   TXT"}, {13, "1234"}, {23, "12-25-97"}, {33, "10:30"}, {38, "p"}}),
      "lrwxrwxrwx 1 owner group 11 Jan 5 10:00 current -> release-2.1",
      "README.TXT      1,234  10:30  Dec-25-97",
      "::::-:-:[dir] <DIR> :",
  };
  for (const std::string& sample : samples) {
    for (std::size_t length = 0; length <= sample.size(); ++length) {
      for (LineParser parser : parsers) {
        ListingEntry entry = Parse(parser, 6000, sample.substr(0, length));
        EXPECT_LT(std::strlen(entry.name), sizeof entry.name);
      }
    }
  }
}

}  // namespace
}  // namespace ferrix::decoder
