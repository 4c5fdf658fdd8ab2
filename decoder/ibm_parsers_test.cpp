#include <gtest/gtest.h>

#include <string>

#include "decoder/column_parser_testing.h"
#include "decoder/parsers.h"

namespace ferrix::decoder {
namespace {

using testing::Columns;
using testing::DecodeEveryPrefix;
using testing::ExpectCases;

std::string VmDated(const char* type, const char* name) {
  return Columns({{0, "03/12/03"}, {11, "10:15"}, {23, "    120"}, {22, type}, {32, "80"}, {48, name}});
}

const std::string kVmDatedFile = VmDated("F", "MY.FILE");
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
const std::string kAs400Member = Columns({{0, "QPGMR"}, {40, "*MEM"}, {51, "DSPTEST/DSPTEST.MBR"}});

TEST(VmListing, DatedLayoutReadsTypeRecordsAndQuotedNames) {
  ExpectCases(ParseVmLine, {
                               {kVmDatedFile, "MY.FILE|0|9600|2003-03-12 10:15"},
                               {VmDated("D", "SUBDIR"), "SUBDIR|4|0|2003-03-12 10:15"},
                               {VmDated("L", "ALIAS"), "ALIAS|2|0|2003-03-12 10:15"},
                               {VmDated("E3", "'MY FILE'"), "MY FILE|2|0|2003-03-12 10:15"},
                           });
}

TEST(VmListing, CmsFileListJoinsNameAndType) {
  ExpectCases(
      ParseVmLine,
      {
          {kCmsFile, "PROFILE.EXEC|0|1080|1996-01-05 10:15"},
          {Columns({{0, "NOTES    TEXT"}, {23, "2"}, {31, "80"}, {53, "2003-03-12 09:30:00"}}),
           "NOTES.TEXT|0|160|2003-03-12 09:30"},
          {Columns({{0, "SUBDIR   DIR"}, {18, "-"}}), "SUBDIR.DIR|4|0|0000-00-00 00:00"},
          // A leading '.' or control byte is dropped with the spaces.
          {".HIDDEN  DATA", "HIDDEN.DATA|0|0|0000-00-00 00:00"},
          {"\x01RAW     DATA", "RAW.DATA|0|0|0000-00-00 00:00"},
          {"  indented line", ""},
          // The folder prefix goes; a name filling all 18 columns runs on past them.
          {"SFS:PROFILE EXEC", "PROFILE.EXEC|0|0|0000-00-00 00:00"},
          {"SFS:ABCDEFGHIJKLMNOPQRSTUV  3", "ABCDEFGHIJKLMNOPQRSTUV|0|0|0000-00-00 00:00"},
      },
      {FERRIX_HOST_TYPE_IBM_VM, "SFS:", ""});
}

TEST(MvsListing, DataSetsMembersAndThePrefix) {
  ExpectCases(
      ParseMvsLine,
      {
          {kMvsPartitioned, "LIB|4|0|2003-03-12 00:00"},
          {Columns({{0, "WYPRC5"}, {7, "3390"}, {14, "97/03/12"}, {24, "1"}, {28, "15"}, {32, "FB"},
                    {40, "80"}, {44, "27920"}, {50, "PS"}, {54, "PREFIX.OLD.DATA"}}),
           "PREFIX.OLD.DATA|0|0|1997-03-12 00:00"},
          {kMvsMember, "MEMBER01|0|45|2003-03-12 10:15"},
          {kMvsMember + " MIGRAT", ""},
          {"MEMBER1", "MEMBER1|0|0|0000-00-00 00:00"},
          // Names hold no blanks, so the 9-column name field loses its padding.
          {"DSNAME1   Not Direct Access Device", "DSNAME1|0|0|0000-00-00 00:00"},
          {"PREFIX.DATA.CNTL", "CNTL|0|0|0000-00-00 00:00"},
          {"Volume Unit    Referred Ext Used Recfm Lrecl BlkSz Dsorg Dsname", ""},
          {Columns({{0, "Migrated"}, {56, "PREFIX.DATA.OLD"}}), "OLD|0|0|0000-00-00 00:00"},
      },
      {FERRIX_HOST_TYPE_IBM_MVS, "'PREFIX.DATA'", ""});
  ExpectCases(ParseMvsLine, {{"USER01.JCL", "JCL|0|0|0000-00-00 00:00"}}, {FERRIX_HOST_TYPE_IBM_MVS, "USER01", ""});
  ExpectCases(ParseMvsLine, {{"USER01.JCL", "USER01.JCL|0|0|0000-00-00 00:00"}}, {FERRIX_HOST_TYPE_IBM_MVS, "'", ""});
}

TEST(KnetMvsListing, UserQualifierIsDroppedInAnyCase) {
  ExpectCases(ParseKnetMvsLine,
              {
                  {"USER01.DATA.LIB   PO  3390", "DATA.LIB|4|0|0000-00-00 00:00"},
                  {"USER012.DATA  PS", "USER012.DATA|0|0|0000-00-00 00:00"},
                  {"USER01.OLD  Migrated", ""},
              },
              {FERRIX_HOST_TYPE_IBM_MVS_KNET, "", "user01"});
}

TEST(SpartacusListing, NameWordsJoinWithDotsAndSecondsAreRead) {
  const std::string line = Columns({{0, "USER01 DATA   LIB"}, {27, "80"}, {33, "100"},
                                    {57, "03/12/03"}, {67, "10"}, {70, "15"}, {73, "42"}});
  ExpectCases(ParseSpartacusLine, {
                                      {line, "USER01.DATA.LIB|0|8000|2003-03-12 10:15"},
                                      {"A", ""},
                                      {line + " Migrated", ""},
                                  });
  EXPECT_EQ(testing::Decode(ParseSpartacusLine, line).second, 42);
}

class As400Listing : public ::testing::Test {
 protected:
  void SetUp() override { ResetParserState(); }
  void TearDown() override { ResetParserState(); }
};

TEST_F(As400Listing, MemberCarriesTheDateAndSizeOfItsFile) {
  ExpectCases(ParseAs400Line, {
                                  {kAs400File, "DSPTEST|0|36864|2006-03-21 12:17"},
                                  {kAs400Member, "DSPTEST.MBR|0|36864|2006-03-21 12:17"},
                              });
  ResetParserState();
  ExpectCases(ParseAs400Line, {{kAs400Member, "DSPTEST.MBR|0|0|0000-00-00 00:00"}});
}

TEST_F(As400Listing, ObjectAndColumnForms) {
  ExpectCases(ParseAs400Line,
              {
                  {Columns({{0, "QSYS"}, {17, "4096"}, {22, "06/03/21"}, {31, "12:17:39"},
                            {40, "*LIB"}, {51, "QGPL/"}}),
                   "QGPL|4|4096|2006-03-21 12:17"},
                  {Columns({{0, "QPGMR"}, {16, "36864"}, {24, "06/03/21"}, {33, "12:17:39"},
                            {43, "DIR"}, {53, "/home/user"}}),
                   "/home/user|4|36864|2006-03-21 12:17"},
                  {Columns({{0, "QPGMR"}, {16, "36864"}, {22, "06/03/21"}, {31, "12:17:39"},
                            {41, "STMF"}, {51, "notes.txt"}}),
                   "notes.txt|0|36864|2006-03-21 12:17"},
                  {Columns({{0, "QPGMR"}, {22, "06/03/21"}, {41, "MEM"}, {51, "X"}}), ""},
                  {"QPGMR 36864 06/03/21 12:17:39 *FILE   X", ""},
              });
}

TEST(R1000Listing, SessionsAreSkippedAndWorldsAreFolders) {
  ExpectCases(ParseR1000Line, {
                                  {"!USERS   WORLD  3", "!USERS|4|0|0000-00-00 00:00"},
                                  {"PROJECTS   DIRECTORY", "PROJECTS|4|0|0000-00-00 00:00"},
                                  {"MAIN_UNIT  Ada_Unit", "MAIN_UNIT|0|0|0000-00-00 00:00"},
                                  {"S_1   SESSION", ""},
                              });
}

TEST(IbmListing, EveryPrefixOfARealLineDecodesSafely) {
  const ParseContext context{FERRIX_HOST_TYPE_IBM_MVS, "'PREFIX.DATA'", "user01"};
  for (const std::string& line : {kVmDatedFile, kCmsFile}) {
    DecodeEveryPrefix(ParseVmLine, line, {FERRIX_HOST_TYPE_IBM_VM, "PROFILE", ""});
  }
  for (const std::string& line : {kMvsPartitioned, kMvsMember}) {
    for (LineParser parser : {ParseMvsLine, ParseKnetMvsLine, ParseSpartacusLine, ParseR1000Line}) {
      DecodeEveryPrefix(parser, line, context);
    }
  }
  for (const std::string& line : {kAs400File, kAs400Member}) DecodeEveryPrefix(ParseAs400Line, line);
  ResetParserState();
}

}  // namespace
}  // namespace ferrix::decoder
