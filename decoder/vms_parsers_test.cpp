#include <gtest/gtest.h>

#include "decoder/column_parser_testing.h"
#include "decoder/parsers.h"

namespace ferrix::decoder {
namespace {

using testing::DecodeEveryPrefix;
using testing::ExpectCases;

constexpr char kLogin[] = "LOGIN.COM;2  3/6  12-MAR-2003 10:15:42  [USER]  (RWED,RWED,RE,)";

TEST(VmsListing, MultiNetLinesDecodeByTheirColumns) {
  ExpectCases(ParseMultiNetLine,
              {
                  {kLogin, "LOGIN.COM;2|0|1536|2003-03-12 10:15"},
                  // A one-digit day is found by the blank before it, a tab included.
                  {"MAIL.DIR;1  1/3  5-JAN-2002 09:00:00", "MAIL|4|512|2002-01-05 09:00"},
                  {"MAIL.DIR;1\t1/3\t5-JAN-2002 09:00:00", "MAIL|4|512|2002-01-05 09:00"},
                  // A wrapped entry arrives joined with its indented attributes.
                  {"VERY_LONG_FILE_NAME.TXT;12       27/30  12-MAR-2003 10:15:42",
                   "VERY_LONG_FILE_NAME.TXT;12|0|13824|2003-03-12 10:15"},
                  // Without an allocation the bare used count is the size; a used
                  // count of 0 is not replaced by the next field.
                  {"DATA.BIN;1  40  12-MAR-2003 10:15:42", "DATA.BIN;1|0|20480|2003-03-12 10:15"},
                  {"EMPTY.DAT;1  0/3  12-MAR-2003 10:15:42", "EMPTY.DAT;1|0|0|2003-03-12 10:15"},
                  {"BIG.DAT;1  20000000/20000000", "BIG.DAT;1|0|10240000000|0000-00-00 00:00"},
                  {"USER:NOTES.TXT;1  2/3", "NOTES.TXT;1|0|1024|0000-00-00 00:00"},
                  {"USER:MAIL.DIR;1  1/3", "MAIL|4|512|0000-00-00 00:00"},
                  {"Total of 5 files, 20/30 blocks.", ""},
                  {"  NAME.TXT;1  1/3  1-FEB-2001 08:00:00", ""},
              },
              {FERRIX_HOST_TYPE_VMS_MULTINET, "USER:", ""});
}

TEST(VmsListing, RsxNamesUicFoldersAndKeepsTheFolderOnFiles) {
  ExpectCases(ParseMultiNetLine,
              {
                  {"001002.DIR;1  1/3", "[001,002]|4|512|0000-00-00 00:00"},
                  {"USER:NOTES.TXT;1  2/3", "USER:NOTES.TXT;1|0|1024|0000-00-00 00:00"},
                  // A stem shorter than six characters is padded, never read beyond.
                  {"AB.DIR;1  1/3", "[ AB,   ]|4|512|0000-00-00 00:00"},
              },
              {FERRIX_HOST_TYPE_PDP11_RSX11M, "USER:", ""});
}

TEST(VmsListing, UcxSkipsNotFoundReports) {
  ExpectCases(ParseUcxLine, {
                                {kLogin, "LOGIN.COM;2|0|1536|2003-03-12 10:15"},
                                {"SYS$LOGIN:*.*;*, file not found", ""},
                            });
}

TEST(VmsListing, EveryPrefixOfARealLineDecodesSafely) {
  for (const char* line : {kLogin, "MAIL.DIR;1  1/3  5-JAN-2002 09:00:00", "X;1/-:"}) {
    DecodeEveryPrefix(ParseMultiNetLine, line, {FERRIX_HOST_TYPE_VMS_MULTINET, "USER:", ""});
    DecodeEveryPrefix(ParseMultiNetLine, line, {FERRIX_HOST_TYPE_PDP11_RSX11M, "USER:", ""});
    DecodeEveryPrefix(ParseUcxLine, line, {FERRIX_HOST_TYPE_VMS_UCX, "USER:", ""});
  }
}

}  // namespace
}  // namespace ferrix::decoder
