#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "decoder/column_parser_testing.h"
#include "decoder/parsers.h"

namespace ferrix::decoder {
namespace {

using testing::Decode;
using testing::DecodeEveryPrefix;

struct Case {
  const char* line;
  int hostType;
  const char* remoteFolder;
  const char* name;
  int kind;
  std::uint64_t size;
  int year, month, day, hour, minute;
};

void ExpectCase(LineParser parser, const Case& c) {
  const ParseContext context{c.hostType, c.remoteFolder, ""};
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

TEST(VmsListing, MultiNetLinesDecodeByTheirColumns) {
  const Case cases[] = {
      {"LOGIN.COM;2  3/6  12-MAR-2003 10:15:42  [USER]  (RWED,RWED,RE,)", 6011, "",
       "LOGIN.COM;2", 0, 1536, 2003, 3, 12, 10, 15},
      // A one-digit day is found by the blank before it, a tab included.
      {"MAIL.DIR;1  1/3  5-JAN-2002 09:00:00", 6011, "", "MAIL", 4, 512, 2002, 1, 5, 9, 0},
      {"MAIL.DIR;1\t1/3\t5-JAN-2002 09:00:00", 6011, "", "MAIL", 4, 512, 2002, 1, 5, 9, 0},
      // The main program joins a wrapped entry with its indented attributes.
      {"VERY_LONG_FILE_NAME.TXT;12       27/30  12-MAR-2003 10:15:42", 6011, "",
       "VERY_LONG_FILE_NAME.TXT;12", 0, 27 * 512, 2003, 3, 12, 10, 15},
      // Without an allocation the bare used count is the size.
      {"DATA.BIN;1  40  12-MAR-2003 10:15:42", 6011, "", "DATA.BIN;1", 0, 40 * 512, 2003, 3, 12,
       10, 15},
      // A used count of 0 stays 0; it is not replaced by the next field.
      {"EMPTY.DAT;1  0/3  12-MAR-2003 10:15:42", 6011, "", "EMPTY.DAT;1", 0, 0, 2003, 3, 12, 10,
       15},
      {"USER:NOTES.TXT;1  2/3  1-FEB-2001 08:00:00", 6011, "USER:", "NOTES.TXT;1", 0, 1024, 2001,
       2, 1, 8, 0},
      {"USER:MAIL.DIR;1  1/3  1-FEB-2001 08:00:00", 6011, "USER:", "MAIL", 4, 512, 2001, 2, 1, 8,
       0},
      // A huge block count is computed in 64 bits.
      {"BIG.DAT;1  20000000/20000000  1-FEB-2001 08:00:00", 6011, "", "BIG.DAT;1", 0,
       20000000ull * 512, 2001, 2, 1, 8, 0},
      {"Directory USER:[FOO]", 6011, "", "", 0, 0, 0, 0, 0, 0, 0},
      {"Total of 5 files, 20/30 blocks.", 6011, "", "", 0, 0, 0, 0, 0, 0, 0},
      {"  NAME.TXT;1  1/3  1-FEB-2001 08:00:00", 6011, "", "", 0, 0, 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) ExpectCase(ParseMultiNetLine, c);
}

TEST(VmsListing, RsxNamesUicFoldersAndKeepsTheFolderOnFiles) {
  const Case cases[] = {
      {"001002.DIR;1  1/3  5-JAN-2002 09:00:00", 6019, "", "[001,002]", 4, 512, 2002, 1, 5, 9, 0},
      {"USER:NOTES.TXT;1  2/3  1-FEB-2001 08:00:00", 6019, "USER:", "USER:NOTES.TXT;1", 0, 1024,
       2001, 2, 1, 8, 0},
      // A stem shorter than six characters is padded, never read beyond.
      {"AB.DIR;1  1/3", 6019, "", "[ AB,   ]", 4, 512, 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) ExpectCase(ParseMultiNetLine, c);
}

TEST(VmsListing, UcxSkipsNotFoundReports) {
  const Case cases[] = {
      {"LOGIN.COM;2  3/6  12-MAR-2003 10:15:42", 6012, "", "LOGIN.COM;2", 0, 1536, 2003, 3, 12,
       10, 15},
      {"SYS$LOGIN:*.*;*, file not found", 6012, "", "", 0, 0, 0, 0, 0, 0, 0},
      {"DATA.BIN;1  40  12-MAR-2003 10:15:42", 6012, "", "DATA.BIN;1", 0, 40 * 512, 2003, 3, 12,
       10, 15},
  };
  for (const Case& c : cases) ExpectCase(ParseUcxLine, c);
}

TEST(VmsListing, EveryPrefixOfARealLineDecodesSafely) {
  const char* lines[] = {
      "LOGIN.COM;2  3/6  12-MAR-2003 10:15:42  [USER]  (RWED,RWED,RE,)",
      "MAIL.DIR;1  1/3  5-JAN-2002 09:00:00",
      ";-:/",
      "X;1/-:",
  };
  for (const char* line : lines) {
    for (int hostType : {6011, 6019}) {
      DecodeEveryPrefix(ParseMultiNetLine, line, {hostType, "USER:", ""});
    }
    DecodeEveryPrefix(ParseUcxLine, line, {6012, "USER:", ""});
  }
}

}  // namespace
}  // namespace ferrix::decoder
