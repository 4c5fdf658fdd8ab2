#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "decoder/column_parser_testing.h"
#include "decoder/parsers.h"

namespace ferrix::decoder {
namespace {

using testing::Columns;
using testing::Decode;
using testing::DecodeEveryPrefix;
using testing::ExpectCases;

const std::string kTandem = Columns(
    {{0, "ALARMS"}, {14, "0"}, {30, "1234"}, {36, "9-Apr-05"}, {45, "13:22:49"}, {54, "255,255"}});
const std::string kASeries =
    Columns({{0, "REPORT/FILE"}, {20, "SEQDATA"}, {52, "12345"}, {58, "03/12/03"}, {67, "10:15"}});
const std::string kCyber = Columns({{0, " PROCFIL"}, {11, "000001234"}, {23, "INDIRECT"}});
const std::string kCp6 = Columns({{0, "  1"}, {10, "SEQ"}, {43, "MYFILE"}, {52, "X"}});
const std::string kHvsOs = Columns({{0, "PAYROLL"}, {13, "<DIR>"}, {24, "3"}, {33, "512"}});
const std::string kHvsAix = Columns({{0, "drwx"}, {11, "SUBDIR"}, {25, "dir"}, {40, "owner group 1024"}});
const std::string kMpe = Columns({{0, "MYFILE"}, {20, "128W"}, {40, "FB"}, {61, "1"}, {63, "2"}});
const std::string kVosFile =
    Columns({{0, "w"}, {9, "4"}, {12, "seq"}, {21, "91-02-15 14:10:06"}, {40, "account.list"}});
const std::string kVosFolder = Columns({{0, "m"}, {4, "2"}, {11, "91-02-15 14:10:06"}, {30, "subdir"}});
const std::string kVosLink = Columns({{0, "91-02-15 14:10:06"}, {19, "mylink -> /target/path"}});
const std::string kOs2200 = Columns({{0, "MYFILE"}, {16, "ELEM1"}, {32, "SYM"}, {36, "03/12/03"},
                                     {48, "10:15"}, {56, "1234"}});
const std::string kAosVs =
    Columns({{0, "MYDIR"}, {12, "DIR"}, {20, "12-Mar-2003"}, {33, "10:15:42"}, {44, "2048"}});
const std::string kMusic = Columns({{0, "MYFILE.TXT"}, {30, "12"}, {45, "12"}, {47, "MAR"},
                                    {50, "03"}, {53, "10"}, {56, "15"}, {59, "USER1"}});

TEST(TandemListing, DayMonthInitialsAndTwoDigitYears) {
  ExpectCases(ParseTandemLine,
              {
                  {kTandem, "ALARMS|0|1234|2005-04-09 13:22"},
                  {Columns({{0, "VERYLONGNAME1"}, {32, "10"}, {35, "12-Dec-70"}, {45, "08:00"}}),
                   "VERYLONGNA|0|10|1970-12-12 08:00"},
                  // 2069 is left for the decoder's final cap.
                  {Columns({{0, "OLD"}, {33, "0"}, {35, "31-Jan-69"}}), "OLD|0|0|2069-01-31 00:00"},
                  // No year shown stays unknown instead of becoming 2000.
                  {"SHORTNAME", "SHORTNAME|0|0|0000-00-00 00:00"},
                  // A wild year is clamped, never overflowed; the decoder caps it later.
                  {Columns({{0, "HUGE"}, {33, "0"}, {36, "1-Jan-2147483647"}}),
                   "HUGE|0|0|11899-01-01 255:00"},
                  {"File         Code             EOF  Last Modification", ""},
              });
}

TEST(ASeriesListing, SizeDateAndReportLines) {
  ExpectCases(ParseASeriesLine, {
                                    {kASeries, "REPORT/FILE|0|12345|2003-03-12 10:15"},
                                    {Columns({{0, "NOSIZE"}, {40, "ABC"}}),
                                     "NOSIZE|0|0|0000-00-00 00:00"},
                                    {"Report for: (USER)ON DISK at 10:15", ""},
                                    {Columns({{0, "TOTAL"}, {20, "1234 Octets"}}), ""},
                                });
}

TEST(CyberListing, FixedDateDigitsAndFolders) {
  ExpectCases(ParseCyberLine, {
                                  {kCyber, " PROCFIL|4|1234|1980-01-01 00:00"},
                                  {Columns({{0, " DATA"}, {11, "1 234 567"}, {23, "DIRECT"}}),
                                   " DATA|0|1234567|1980-01-01 00:00"},
                                  {"CATALOG OF USER", ""},
                              });
}

TEST(GcosAndCp6Listing, MarkersAndNameColumns) {
  ExpectCases(ParseGcosLine, {
                                 {" d  3  SUBDIR", "SUBDIR|4|0|0000-00-00 00:00"},
                                 {" -  1  FILE.TXT", "FILE.TXT|0|0|0000-00-00 00:00"},
                                 {" x  NAME", ""},
                                 {" d ", ""},
                             });
  ExpectCases(ParseCp6Line, {
                                {kCp6, "MYFILE|0|0|0000-00-00 00:00"},
                                {Columns({{0, "  3 files listed"}, {43, "NOTME"}}), ""},
                                {Columns({{0, "10:15"}, {43, "NOTME"}}), ""},
                            });
}

TEST(HvsListing, OsAndAixLayouts) {
  ExpectCases(ParseHvsOsLine, {
                                  {kHvsOs, "PAYROLL|4|1536|0000-00-00 00:00"},
                                  {Columns({{0, "  REPORT.TXT"}, {24, "10"}, {33, "256"}}),
                                   "REPORT.TXT|1|2560|0000-00-00 00:00"},
                                  {"  Directory: >UDD>USER", ""},
                                  {"*** total 3", ""},
                              });
  ExpectCases(ParseHvsAixLine,
              {
                  {kHvsAix, "SUBDIR|4|0|0000-00-00 00:00"},
                  {Columns({{0, "lrwx"}, {11, "ALIAS"}, {25, "LnK"}, {40, "owner group 1024"}}),
                   "ALIAS|2|0|0000-00-00 00:00"},
                  {Columns({{0, "total"}, {9, "*"}, {11, "X"}, {40, "owner group 1024"}}), ""},
              });
}

TEST(MpeListing, NameFromFirstWordOrColumn) {
  ExpectCases(ParseMpeLine, {
                                {kMpe, "MYFILE|0|0|0000-00-00 00:00"},
                                {Columns({{0, "  x"}, {61, "LONGNAME.GROUP"}}),
                                 "LONGNAME.GROUP|0|0|0000-00-00 00:00"},
                                {Columns({{0, "PATH= /SYS/PUB/"}, {61, "X"}}), ""},
                            });
}

class VosListing : public ::testing::Test {
 protected:
  void SetUp() override { ResetParserState(); }
  void TearDown() override { ResetParserState(); }
};

TEST_F(VosListing, SectionHeadersDecideHowLinesRead) {
  ExpectCases(ParseVosLine, {
                                {kVosFile, ""},
                                {"Files: 2  Blocks: 10", ""},
                                {kVosFile, "account.list|0|4|1991-02-15 14:10"},
                                {"Dirs: 1", ""},
                                {kVosFolder, "subdir|4|2|1991-02-15 14:10"},
                                {"Links: 1", ""},
                                {kVosLink, "mylink|2|0|1991-02-15 14:10"},
                            });
  ResetParserState();
  ExpectCases(ParseVosLine, {{kVosFolder, ""}});
}

TEST(Os2200Listing, ElementNamesAndKinds) {
  ExpectCases(ParseOs2200Line,
              {
                  {kOs2200, "MYFILE/ELEM1|1|1234|2003-03-12 10:15"},
                  {Columns({{0, "LIB"}, {16, "PROG"}, {32, "ABS"}, {36, "03/12/03"}, {48, "9:05"},
                            {56, "99"}}),
                   "LIB/PROG|16|99|2003-03-12 09:05"},
                  {Columns({{0, "PLAIN"}, {32, "DAT"}, {36, "03/12/03"}, {48, "9:05"}, {56, "7 X"}}),
                   "PLAIN|0|7|2003-03-12 09:05"},
              });
}

TEST(AosVsAndMusicListing, ColumnsMarkersAndSizes) {
  ExpectCases(ParseAosVsLine,
              {
                  {kAosVs, "MYDIR|4|2048|2003-03-12 10:15"},
                  {Columns({{0, "ALIAS"}, {12, "LNK"}, {20, "1-Jan-1999"}, {33, "08:00:00"}}),
                   "ALIAS|2|0|1999-01-01 08:00"},
                  {"   INDENTED LINE", ""},
                  // A dash and colon just after the name give no date and read nothing before it.
                  {"A -:", "A|0|0|0000-00-00 00:00"},
              });
  ExpectCases(ParseMusicLine, {
                                  {kMusic, "MYFILE.TXT|0|12288|0003-03-12 10:15"},
                                  {" " + kMusic, ""},
                                  {"MYFILE.TXT 12", ""},
                              });
  ExpectCases(ParsePrimosLine, {{kMusic, ""}});
}

// Each host type reaches its own parser, and the decoder's date normalisation
// finishes what the parser read (two-digit years, the 2038 cap).
TEST(MainframeListing, ExportDispatchesEachHostTypeToItsParser) {
  struct Route {
    int hostType;
    std::string line;
    const char* expected;
  };
  ResetParserState();
  const Route routes[] = {
      {FERRIX_HOST_TYPE_TANDEM, Columns({{0, "OLD"}, {33, "0"}, {35, "31-Jan-69"}}),
       "OLD|0|0|2038-01-31 00:00"},
      {FERRIX_HOST_TYPE_MUSIC, kMusic, "MYFILE.TXT|0|12288|2003-03-12 10:15"},
      {FERRIX_HOST_TYPE_UNISYS_A_SERIES, kASeries, "REPORT/FILE|0|12345|2003-03-12 10:15"},
      {FERRIX_HOST_TYPE_CDC_CYBER, kCyber, " PROCFIL|4|1234|1980-01-01 00:00"},
      {FERRIX_HOST_TYPE_BULL_GCOS, " d  3  SUBDIR", "SUBDIR|4|0|0000-00-00 00:00"},
      {FERRIX_HOST_TYPE_BULL_CP6, kCp6, "MYFILE|0|0|0000-00-00 00:00"},
      {FERRIX_HOST_TYPE_GCOS6_HVS_OS, kHvsOs, "PAYROLL|4|1536|0000-00-00 00:00"},
      {FERRIX_HOST_TYPE_GCOS6_HVS_AIX, kHvsAix, "SUBDIR|4|0|0000-00-00 00:00"},
      {FERRIX_HOST_TYPE_HP3000, kMpe, "MYFILE|0|0|0000-00-00 00:00"},
      {FERRIX_HOST_TYPE_STRATUS_VOS, "Files: 1", ""},
      {FERRIX_HOST_TYPE_STRATUS_VOS, kVosFile, "account.list|0|4|1991-02-15 14:10"},
      {FERRIX_HOST_TYPE_PRIMOS, kMusic, ""},
      {FERRIX_HOST_TYPE_OS2200, kOs2200, "MYFILE/ELEM1|1|1234|2003-03-12 10:15"},
      {FERRIX_HOST_TYPE_AOS_VS, kAosVs, "MYDIR|4|2048|2003-03-12 10:15"},
      {FERRIX_HOST_TYPE_VMS_MULTINET, "A.B;1  1/3", "A.B;1|0|512|0000-00-00 00:00"},
      {FERRIX_HOST_TYPE_VMS_UCX, "A.B;1  1/3", "A.B;1|0|512|0000-00-00 00:00"},
      {FERRIX_HOST_TYPE_PDP11_RSX11M, "001002.DIR;1", "[001,002]|4|0|0000-00-00 00:00"},
      {FERRIX_HOST_TYPE_IBM_VM, "PROFILE  EXEC", "PROFILE.EXEC|0|0|0000-00-00 00:00"},
      {FERRIX_HOST_TYPE_IBM_MVS, "MEMBER1", "MEMBER1|0|0|0000-00-00 00:00"},
      {FERRIX_HOST_TYPE_IBM_MVS_KNET, "DATA.LIB  PO  3390", "DATA.LIB|4|0|0000-00-00 00:00"},
      {FERRIX_HOST_TYPE_IBM_SPARTACUS_KNET, "USER01 DATA", "USER01.DATA|0|0|0000-00-00 00:00"},
      {FERRIX_HOST_TYPE_IBM_AS400, Columns({{0, "QPGMR"}, {40, "*MEM"}, {51, "F/M"}}),
       "M|0|0|0000-00-00 00:00"},
      {FERRIX_HOST_TYPE_IBM_R1000, "!USERS   WORLD", "!USERS|4|0|0000-00-00 00:00"},
  };
  for (const Route& route : routes) {
    ListingEntry entry;
    FERRIX_DecodeLine(&entry, route.line.c_str(), route.hostType, "", "");
    EXPECT_EQ(testing::Describe(entry), route.expected) << route.hostType << " " << route.line;
  }
  ResetParserState();
}

TEST(MainframeListing, EveryPrefixOfARealLineDecodesSafely) {
  const std::pair<LineParser, std::string> samples[] = {
      {ParseTandemLine, kTandem}, {ParseASeriesLine, kASeries}, {ParseCyberLine, kCyber},
      {ParseGcosLine, " d  3  SUBDIR"}, {ParseCp6Line, kCp6}, {ParseHvsOsLine, kHvsOs},
      {ParseHvsAixLine, kHvsAix}, {ParseMpeLine, kMpe}, {ParseOs2200Line, kOs2200},
      {ParseAosVsLine, kAosVs}, {ParseMusicLine, kMusic},
  };
  for (const auto& [parser, line] : samples) DecodeEveryPrefix(parser, line);
  for (const char* header : {"Files: 1", "Dirs: 1", "Links: 1"}) {
    Decode(ParseVosLine, header);
    for (const std::string& line : {kVosFile, kVosFolder, kVosLink}) DecodeEveryPrefix(ParseVosLine, line);
  }
  ResetParserState();
}

}  // namespace
}  // namespace ferrix::decoder
