#include "session/xaut.h"

#include <gtest/gtest.h>

namespace ferrix::session {
namespace {

// Expected texts worked out from the rules: the text is XORed with the key
// bytes lowest first, and each byte b is written as 0x35 + (b >> 4) and
// 0x31 + (b & 15). For example "ab:c" with seed 0x01020304 becomes the bytes
// 65 61 38 62, written ";6" ";2" "89" ";3".
struct ScrambleCase {
  const char* name;
  const char* user;
  const char* password;
  std::int32_t seed;
  int variant;
  const char* expected;
};

TEST(ScrambledLogon, ScramblesByVariantPaddingAndSeed) {
  const ScrambleCase cases[] = {
      {"variant 1: user:password, seed only", "ab", "c", 0x01020304, 1, ";6;289;3"},
      {"negative seed inverts every byte", "a", "b", -1, 1, ">?A6>>"},
      // With the seed equal to the fixed key the two XORs cancel, so the
      // output is the padded text itself.
      {"variant 2: short user and password padded", "ab", "pw", 0x5A3C6E21, 2,
       ";2;3:?<2;<88;>83858;<1<8:?<1<8;689;984"},
      {"variant 2: padded user cut to 12", "abcdefg", "12345678", 0x5A3C6E21, 2,
       ";2;3;4;5;6;7;8:?<2;<88;>8;8283848586878889"},
      {"variant 2: fixed key alone", "u", "p", 0, 2, ":5819>8267545?;?6<6?;37;:75<558363"},
      // 0x20 in every key byte flips the case of letters.
      {"variant 3: long user unpadded, seed only", "longuser1", "x", 0x20202020, 3,
       "9=9@9?98:6:496:3626;:9<?:1:896699964"},
  };
  for (const ScrambleCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string output;
    EXPECT_EQ(xautScramble(c.user, c.password, c.seed, output, c.variant),
              std::string_view(c.expected).size());
    EXPECT_EQ(output, c.expected);
  }
}

TEST(ScrambledLogon, NibbleEncodingCoversTheWholeByteRange) {
  const unsigned char bytes[] = {0x00, 0xFF, 0x5A};
  std::string output = "old";
  EXPECT_EQ(nibbleEncode(output, bytes), 6u);
  EXPECT_EQ(output, "51D@:;");
  EXPECT_EQ(nibbleEncode(output, {}), 0u);
  EXPECT_EQ(output, "");
}

struct OfferCase {
  const char* line;
  int variant;
  int seed;
};

TEST(ScrambledLogon, GreetingOfferSetsVariantAndSeed) {
  const OfferCase cases[] = {
      {"220 host X2 FERRIX Server ready (12345)", 2, 12345},
      {"220 (99) X3 FERRIX ready", 3, 99},
      {"220 X2 FERRIX ready", 2, 7},                // no "(": the seed stays
      {"220 XA FERRIX ready ( -42)", 0, -42},       // no digit before the marker
      {"220 X1 FERRIX (abc)", 1, 0},
      {"220 Y2 FERRIX ready (5)", 9, 7},            // not "X": nothing changes
      {"220 X2 ferrix ready (5)", 9, 7},            // the marker is case-sensitive
      {"2 FERRIX (5)", 9, 7},                       // no room for the "X"
      {" FERRIX (5)", 9, 7},
  };
  for (const OfferCase& c : cases) {
    SCOPED_TRACE(c.line);
    SessionState state;
    state.xautVariant = 9;
    state.xautSeed = 7;
    xautCheck(state, c.line);
    EXPECT_EQ(state.xautVariant, c.variant);
    EXPECT_EQ(state.xautSeed, c.seed);
  }
}

}  // namespace
}  // namespace ferrix::session
