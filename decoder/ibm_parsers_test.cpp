#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "decoder/column_parser_testing.h"
#include "decoder/parsers.h"

namespace ferrix::decoder {
namespace {

using testing::Columns;
using testing::Decode;
using testing::DecodeEveryPrefix;

struct Case {
  std::string line;
  const char* name;
  int kind;
  std::uint64_t size;
  int year, month, day, hour, minute;
};

void ExpectCase(LineParser parser, const Case& c, const ParseContext& context = {}) {
  const ListingEntry entry = Decode(parser, c.line, context);
  EXPECT_STREQ(entry.name, c.name) << c.line;
  EXPECT_EQ(entry.kind, c.kind) << c.line;
  EXPECT_EQ(entry.size, c.size) << c.line;
  EXPECT_EQ(entry.year, c.year) << c.line;
  EXPECT_EQ(entry.month, c.month) << c.line;
  EXPECT_EQ(entry.day, c.day) << c.line;
  EXPECT_EQ(entry.hour, c.hour) << c.line;
  EXPECT_EQ(entry.minute, c.minute) << c.line;
}

const std::string kVmDatedFile = Columns(
    {{0, "03/12/03"}, {11, "10:15"}, {22, "F"}, {23, "    120"}, {32, "80"}, {48, "MY.FILE"}});
const std::string kCmsFile = Columns({{0, "PROFILE  EXEC"}, {18, "A1"}, {21, "V"}, {23, "15"},
                                      {31, "72"}, {53, "1/05/96 10:15:32"}});
const std::string kMvsPartitioned =
    Columns({{0, "WYPRC5"}, {7, "3390"}, {14, "2003/03/12"}, {26, "1"}, {30, "15"}, {34, "FB"},
             {42, "80"}, {45, "27920"}, {52, "PO"}, {56, "PREFIX.DATA.LIB"}});
const std::string kMvsMember =
    Columns({{0, "MEMBER01"}, {10, "01.05"}, {16, "2002/01/15"}, {27, "03/03/12"}, {36, "10:15"},
             {44, "45"}, {50, "40"}, {56, "0"}, {58, "USER01"}});
const std::string kAs400File = Columns(
    {{0, "QPGMR"}, {16, "36864"}, {22, "06/03/21"}, {31, "12:17:39"}, {40, "*FILE"}, {51, "DSPTEST"}});
const std::string kAs400Member =
    Columns({{0, "QPGMR"}, {40, "*MEM"}, {51, "DSPTEST/DSPTEST.MBR"}});

TEST(VmListing, DatedLayoutReadsTypeRecordsAndQuotedNames) {
  const Case cases[] = {
      {kVmDatedFile, "MY.FILE", 0, 9600, 2003, 3, 12, 10, 15},
      {Columns({{0, "03/12/03"}, {11, "10:15"}, {22, "D"}, {48, "SUBDIR"}}), "SUBDIR", 4, 0, 2003,
       3, 12, 10, 15},
      {Columns({{0, "03/12/03"}, {11, "10:15"}, {22, "L"}, {48, "ALIAS"}}), "ALIAS", 2, 0, 2003, 3,
       12, 10, 15},
      {Columns({{0, "03/12/03"}, {11, "10:15"}, {22, "E3"}, {48, "'MY FILE'"}}), "MY FILE", 2, 0,
       2003, 3, 12, 10, 15},
  };
  for (const Case& c : cases) ExpectCase(ParseVmLine, c);
}

TEST(VmListing, CmsFileListJoinsNameAndType) {
  const Case cases[] = {
      {kCmsFile, "PROFILE.EXEC", 0, 1080, 1996, 1, 5, 10, 15},
      {Columns({{0, "NOTES    TEXT"}, {23, "2"}, {31, "80"}, {53, "2003-03-12 09:30:00"}}),
       "NOTES.TEXT", 0, 160, 2003, 3, 12, 9, 30},
      {Columns({{0, "SUBDIR   DIR"}, {18, "-"}}), "SUBDIR.DIR", 4, 0, 0, 0, 0, 0, 0},
      // A leading '.' or control byte is dropped with the spaces.
      {Columns({{0, ".HIDDEN  DATA"}, {23, "1"}, {31, "1"}}), "HIDDEN.DATA", 0, 1, 0, 0, 0, 0, 0},
      {"\x01RAW     DATA", "RAW.DATA", 0, 0, 0, 0, 0, 0, 0},
      {"  indented line", "", 0, 0, 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) ExpectCase(ParseVmLine, c);
}

TEST(VmListing, FolderPrefixIsDroppedAndLongNamesRunOn) {
  const ParseContext context{6004, "SFS:", ""};
  ExpectCase(ParseVmLine, {"SFS:PROFILE EXEC", "PROFILE.EXEC", 0, 0, 0, 0, 0, 0, 0}, context);
  ExpectCase(ParseVmLine,
             {"SFS:ABCDEFGHIJKLMNOPQRSTUV  3", "ABCDEFGHIJKLMNOPQRSTUV", 0, 0, 0, 0, 0, 0, 0},
             context);
}

TEST(MvsListing, DataSetsMembersAndThePrefix) {
  const ParseContext context{6018, "'PREFIX.DATA'", ""};
  const Case cases[] = {
      {kMvsPartitioned, "LIB", 4, 0, 2003, 3, 12, 0, 0},
      {Columns({{0, "WYPRC5"}, {7, "3390"}, {14, "97/03/12"}, {24, "1"}, {28, "15"}, {32, "FB"},
                {40, "80"}, {44, "27920"}, {50, "PS"}, {54, "PREFIX.OLD.DATA"}}),
       "PREFIX.OLD.DATA", 0, 0, 1997, 3, 12, 0, 0},
      {kMvsMember, "MEMBER01", 0, 45, 2003, 3, 12, 10, 15},
      {kMvsMember + " MIGRAT", "", 0, 0, 0, 0, 0, 0, 0},
      {"MEMBER1", "MEMBER1", 0, 0, 0, 0, 0, 0, 0},
      // Names hold no blanks, so the 9-column name field loses its padding.
      {"DSNAME1   Not Direct Access Device", "DSNAME1", 0, 0, 0, 0, 0, 0, 0},
      {"PREFIX.DATA.CNTL", "CNTL", 0, 0, 0, 0, 0, 0, 0},
      {"Volume Unit    Referred Ext Used Recfm Lrecl BlkSz Dsorg Dsname", "", 0, 0, 0, 0, 0, 0, 0},
      {Columns({{0, "Migrated"}, {56, "PREFIX.DATA.OLD"}}), "OLD", 0, 0, 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) ExpectCase(ParseMvsLine, c, context);
}

TEST(MvsListing, PrefixComesFromAnUnquotedFolderToo) {
  ExpectCase(ParseMvsLine, {"USER01.JCL", "JCL", 0, 0, 0, 0, 0, 0, 0}, {6018, "USER01", ""});
  ExpectCase(ParseMvsLine, {"USER01.JCL", "USER01.JCL", 0, 0, 0, 0, 0, 0, 0}, {6018, "'", ""});
}

TEST(KnetMvsListing, UserQualifierIsDroppedInAnyCase) {
  const ParseContext context{6024, "", "user01"};
  ExpectCase(ParseKnetMvsLine, {"USER01.DATA.LIB   PO  3390", "DATA.LIB", 4, 0, 0, 0, 0, 0, 0},
             context);
  ExpectCase(ParseKnetMvsLine, {"USER012.DATA  PS", "USER012.DATA", 0, 0, 0, 0, 0, 0, 0}, context);
  ExpectCase(ParseKnetMvsLine, {"USER01.OLD  Migrated", "", 0, 0, 0, 0, 0, 0, 0}, context);
}

TEST(SpartacusListing, NameWordsJoinWithDotsAndSecondsAreRead) {
  const std::string line = Columns({{0, "USER01 DATA   LIB"}, {27, "80"}, {33, "100"},
                                    {57, "03/12/03"}, {67, "10"}, {70, "15"}, {73, "42"}});
  const ListingEntry entry = Decode(ParseSpartacusLine, line);
  EXPECT_STREQ(entry.name, "USER01.DATA.LIB");
  EXPECT_EQ(entry.size, 8000u);
  EXPECT_EQ(entry.year, 2003);
  EXPECT_EQ(entry.second, 42);
  EXPECT_STREQ(Decode(ParseSpartacusLine, "A").name, "");
  EXPECT_STREQ(Decode(ParseSpartacusLine, line + " Migrated").name, "");
}

class As400Listing : public ::testing::Test {
 protected:
  void SetUp() override { ResetParserState(); }
  void TearDown() override { ResetParserState(); }
};

TEST_F(As400Listing, MemberCarriesTheDateAndSizeOfItsFile) {
  ExpectCase(ParseAs400Line, {kAs400File, "DSPTEST", 0, 36864, 2006, 3, 21, 12, 17});
  ExpectCase(ParseAs400Line, {kAs400Member, "DSPTEST.MBR", 0, 36864, 2006, 3, 21, 12, 17});
  ResetParserState();
  ExpectCase(ParseAs400Line, {kAs400Member, "DSPTEST.MBR", 0, 0, 0, 0, 0, 0, 0});
}

TEST_F(As400Listing, ObjectAndColumnForms) {
  const Case cases[] = {
      {Columns({{0, "QSYS"}, {17, "4096"}, {22, "06/03/21"}, {31, "12:17:39"}, {40, "*LIB"},
                {51, "QGPL/"}}),
       "QGPL", 4, 4096, 2006, 3, 21, 12, 17},
      {Columns({{0, "QPGMR"}, {16, "36864"}, {24, "06/03/21"}, {33, "12:17:39"}, {43, "DIR"},
                {53, "/home/user"}}),
       "/home/user", 4, 36864, 2006, 3, 21, 12, 17},
      {Columns({{0, "QPGMR"}, {16, "36864"}, {22, "06/03/21"}, {31, "12:17:39"}, {41, "STMF"},
                {51, "notes.txt"}}),
       "notes.txt", 0, 36864, 2006, 3, 21, 12, 17},
      {Columns({{0, "QPGMR"}, {22, "06/03/21"}, {31, "12:17:39"}, {41, "MEM"}, {51, "X"}}), "", 0,
       0, 0, 0, 0, 0, 0},
      {"QPGMR 36864 06/03/21 12:17:39 *FILE   X", "", 0, 0, 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) ExpectCase(ParseAs400Line, c);
}

TEST(R1000Listing, SessionsAreSkippedAndWorldsAreFolders) {
  ExpectCase(ParseR1000Line, {"!USERS   WORLD  3", "!USERS", 4, 0, 0, 0, 0, 0, 0});
  ExpectCase(ParseR1000Line, {"PROJECTS   DIRECTORY", "PROJECTS", 4, 0, 0, 0, 0, 0, 0});
  ExpectCase(ParseR1000Line, {"MAIN_UNIT  Ada_Unit", "MAIN_UNIT", 0, 0, 0, 0, 0, 0, 0});
  ExpectCase(ParseR1000Line, {"S_1   SESSION", "", 0, 0, 0, 0, 0, 0, 0});
}

TEST(IbmListing, EveryPrefixOfARealLineDecodesSafely) {
  const ParseContext context{6018, "'PREFIX.DATA'", "user01"};
  for (const std::string& line : {kVmDatedFile, kCmsFile}) {
    DecodeEveryPrefix(ParseVmLine, line, {6004, "PROFILE", ""});
  }
  for (const std::string& line : {kMvsPartitioned, kMvsMember}) {
    DecodeEveryPrefix(ParseMvsLine, line, context);
    DecodeEveryPrefix(ParseKnetMvsLine, line, context);
    DecodeEveryPrefix(ParseSpartacusLine, line, context);
    DecodeEveryPrefix(ParseR1000Line, line, context);
  }
  for (const std::string& line : {kAs400File, kAs400Member}) {
    DecodeEveryPrefix(ParseAs400Line, line);
  }
  ResetParserState();
}

}  // namespace
}  // namespace ferrix::decoder
