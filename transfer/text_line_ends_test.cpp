#include "transfer/text_line_ends.h"

#include <gtest/gtest.h>

#include <string>

namespace ferrix::transfer {
namespace {

using namespace std::string_literals;

// Feeds `input` in pieces of `pieceSize` bytes, so that every case also
// meets every block boundary a transfer may cut it at.
template <typename Converter>
std::string convertInPieces(const std::string& input, std::size_t pieceSize) {
  Converter converter;
  std::string output;
  for (std::size_t start = 0; start < input.size(); start += pieceSize) {
    converter.convert(std::string_view(input).substr(start, pieceSize), output);
  }
  if constexpr (requires { converter.finish(output); }) converter.finish(output);
  return output;
}

struct Case {
  const char* name;
  std::string input;
  std::string expected;
};

TEST(ReceivedText, CrLfBecomesLfAndEverythingElseStays) {
  const Case cases[] = {
      {"CR LF lines", "one\r\ntwo\r\n", "one\ntwo\n"},
      {"LF lines stay", "one\ntwo\n", "one\ntwo\n"},
      {"mixed", "a\r\nb\nc\r\n", "a\nb\nc\n"},
      {"bare CR stays", "a\rb\r\n", "a\rb\n"},
      {"CR CR LF keeps the first CR", "a\r\r\n", "a\r\n"},
      {"final bare CR stays", "a\r", "a\r"},
      {"LF CR", "a\n\rb", "a\n\rb"},
      {"0x1A and NUL are data", "a\x1a\0\r\n"s, "a\x1a\0\n"s},
      {"empty", "", ""},
  };
  for (const Case& c : cases) {
    for (std::size_t piece = 1; piece <= c.input.size() + 1; ++piece) {
      SCOPED_TRACE(std::string(c.name) + ", pieces of " + std::to_string(piece));
      EXPECT_EQ(convertInPieces<ReceivedTextConverter>(c.input, piece), c.expected);
    }
  }
}

TEST(SentText, LfBecomesCrLfAndOnlyTheFileEndingMarkIsDropped) {
  const Case cases[] = {
      {"LF lines", "one\ntwo\n", "one\r\ntwo\r\n"},
      {"CR LF lines are not doubled", "one\r\ntwo\r\n", "one\r\ntwo\r\n"},
      {"mixed", "a\r\nb\nc", "a\r\nb\r\nc"},
      {"bare CR stays", "a\rb", "a\rb"},
      {"final mark dropped", "a\n\x1a", "a\r\n"},
      {"marks inside the file are data", "abc\x1a" "def\x1a" "g\x1ah",
       "abc\x1a" "def\x1a" "g\x1ah"},
      {"only the very last mark goes", "a\x1a\x1a", "a\x1a"},
      {"mark after CR, then LF", "a\r\x1a\n", "a\r\x1a\r\n"},
      {"a file that is only a mark", "\x1a", ""},
      {"empty", "", ""},
  };
  for (const Case& c : cases) {
    for (std::size_t piece = 1; piece <= c.input.size() + 1; ++piece) {
      SCOPED_TRACE(std::string(c.name) + ", pieces of " + std::to_string(piece));
      EXPECT_EQ(convertInPieces<SentTextConverter>(c.input, piece), c.expected);
    }
  }
}

}  // namespace
}  // namespace ferrix::transfer
