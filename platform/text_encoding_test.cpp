#include "platform/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace ferrix::platform {
namespace {

struct DecodeCase {
  const char* charset;
  std::string bytes;
  std::string text;
};

TEST(TextEncodingTest, DecodesNamedCharsetsToUtf8) {
  const DecodeCase cases[] = {
      {"CP1251", "\xCF\xF0\xE8\xE2\xE5\xF2.txt", "Привет.txt"},
      {"ISO-8859-1", "r\xE9sum\xE9.txt", "résumé.txt"},
      {"CP437", "\x81" "ber \x9C", "über £"},
      {"SHIFT_JIS", "\x93\xFA\x96\x7B.txt", "日本.txt"},
      {"UTF-8", "r\xC3\xA9sum\xC3\xA9", "résumé"},
      // Bytes the charset has no character for show as U+FFFD, one per byte.
      {"SHIFT_JIS", "a\xFF" "b", "a\xEF\xBF\xBD" "b"},
      {"SHIFT_JIS", "cut\x93", "cut\xEF\xBF\xBD"},
      {"UTF-8", "r\xE9sum\xE9", "r\xEF\xBF\xBDsum\xEF\xBF\xBD"},
      // An unknown charset still shows the name, as repaired UTF-8.
      {"NO-SUCH-CHARSET", "ok\xFF", "ok\xEF\xBF\xBD"},
  };
  for (const DecodeCase& c : cases) {
    EXPECT_EQ(decodeToUtf8(c.bytes, c.charset), c.text) << c.charset << " " << c.bytes;
  }
}

TEST(TextEncodingTest, EncodesUtf8IntoNamedCharsetsAndRoundTrips) {
  const DecodeCase cases[] = {
      {"CP1251", "\xCF\xF0\xE8\xE2\xE5\xF2.txt", "Привет.txt"},
      {"ISO-8859-1", "r\xE9sum\xE9 1.txt", "résumé 1.txt"},
      {"SHIFT_JIS", "\x93\xFA\x96\x7B.txt", "日本.txt"},
  };
  for (const DecodeCase& c : cases) {
    EXPECT_EQ(encodeFromUtf8(c.text, c.charset), c.bytes) << c.charset;
    EXPECT_EQ(decodeToUtf8(c.bytes, c.charset), c.text) << c.charset;
  }
}

TEST(TextEncodingTest, RefusesWhatTheCharsetCannotHold) {
  EXPECT_EQ(encodeFromUtf8("日本", "ISO-8859-1"), std::nullopt);
  EXPECT_EQ(encodeFromUtf8("Привет", "CP437"), std::nullopt);
  EXPECT_EQ(encodeFromUtf8("bad\xFF", "CP1251"), std::nullopt);
  EXPECT_EQ(encodeFromUtf8("name", "NO-SUCH-CHARSET"), std::nullopt);
}

TEST(TextEncodingTest, ChecksAndRepairsUtf8) {
  struct Case {
    std::string bytes;
    bool valid;
    std::string repaired;
  };
  const Case cases[] = {
      {"", true, ""},
      {"résumé 日本.txt", true, "résumé 日本.txt"},
      {"\xF0\x9F\x98\x80", true, "\xF0\x9F\x98\x80"},
      {"\xC0\xAF", false, "\xEF\xBF\xBD\xEF\xBF\xBD"},          // overlong "/"
      {"\xED\xA0\x80", false, "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // surrogate
      {"\xF4\x90\x80\x80", false,
       "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},       // above U+10FFFF
      {"ab\xE6\x97", false, "ab\xEF\xBF\xBD\xEF\xBF\xBD"},      // cut off
      {"\xE9t\xE9", false, "\xEF\xBF\xBDt\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << c.bytes;
    EXPECT_EQ(repairUtf8(c.bytes), c.repaired) << c.bytes;
  }
}

TEST(TextEncodingTest, KnowsTheCharsetsOfTheSiteDialog) {
  for (const char* charset : {"UTF-8", "ISO-8859-1", "CP1251", "CP437", "SHIFT_JIS"}) {
    EXPECT_TRUE(isKnownCharset(charset)) << charset;
  }
  EXPECT_FALSE(isKnownCharset("NO-SUCH-CHARSET"));
}

}  // namespace
}  // namespace ferrix::platform
