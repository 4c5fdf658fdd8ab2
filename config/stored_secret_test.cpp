#include "config/stored_secret.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <string>

namespace ferrix::config {
namespace {

std::string hexOf(std::string_view bytes) {
  std::string hex;
  for (unsigned char byte : bytes) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", byte);
    hex += digits;
  }
  return hex;
}

TEST(Md5, MatchesTheRfc1321TestSuite) {
  struct Case {
    const char* text;
    const char* digest;
  };
  const Case cases[] = {
      {"", "D41D8CD98F00B204E9800998ECF8427E"},
      {"a", "0CC175B9C0F1B6A831C399E269772661"},
      {"abc", "900150983CD24FB0D6963F7D28E17F72"},
      {"message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
      {"abcdefghijklmnopqrstuvwxyz", "C3FCD3D76192E4007DFB496CCA67E13B"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "D174AB98D277D9F5A5611C2C9F419D9F"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57EDF4A22BE3C955AC49DA2E2107B67A"},
  };
  for (const Case& c : cases) {
    const Md5Digest digest = md5Digest(c.text);
    EXPECT_EQ(hexOf(std::string_view(reinterpret_cast<const char*>(digest.data()), digest.size())),
              c.digest)
        << '"' << c.text << '"';
  }
}

TEST(StoredSecret, EncodesToTheMaskAndMaskedDigits) {
  struct Case {
    const char* userId;
    const char* secret;
    const char* stored;
  };
  const Case cases[] = {
      {"joe", "secret", "V1DE222DFA78F4D1096C5B1E6C57A3A4AA46A6AA79BAB"},
      {"fred", "secret", "VC807E277F53329EF279D2594AF1E2FC2769E95AC6EAB"},
      // An empty password still stores the mask, and decodes to empty.
      {"anonymous", "", "V6E922BD1767DC857AB17E18BA48F6F81"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(encodeSecret(c.userId, c.secret), c.stored) << c.userId;
    EXPECT_EQ(decodeSecret(c.stored), c.secret) << c.userId;
  }
}

TEST(StoredSecret, DifferentUsersGiveDifferentTextsThatDecodeAlike) {
  const std::string forJoe = encodeSecret("joe", "tiger");
  const std::string forAnn = encodeSecret("ann", "tiger");
  EXPECT_NE(forJoe.substr(1, 32), forAnn.substr(1, 32));
  EXPECT_NE(forJoe.substr(33), forAnn.substr(33));
  EXPECT_EQ(decodeSecret(forJoe), "tiger");
  EXPECT_EQ(decodeSecret(forAnn), "tiger");
}

TEST(StoredSecret, EverySecretTheFieldsHoldRoundTrips) {
  for (std::size_t length : {std::size_t{1}, std::size_t{31}, std::size_t{32}, std::size_t{33},
                             std::size_t{38}, std::size_t{39}, kSecretMaxLength}) {
    std::string secret;
    for (std::size_t i = 0; i < length; ++i) secret.push_back(static_cast<char>(' ' + i % 95));
    const std::string stored = encodeSecret("user", secret);
    EXPECT_EQ(stored.size(), 33 + 2 * length);
    EXPECT_LE(stored.size(), kStoredSecretMaxLength);
    EXPECT_EQ(decodeSecret(stored), secret) << length;
  }
}

TEST(StoredSecret, HighBytesAndLongSecretsWrapModulo256) {
  const std::string secret = std::string("\xFF\xFE\x80 caf\xC3\xA9", 9) + std::string(300, '~');
  const std::string stored = encodeSecret("u", secret);
  EXPECT_EQ(stored.size(), 33 + 2 * secret.size());
  EXPECT_EQ(decodeSecret(stored), secret);
}

TEST(StoredSecret, ReadsTheOlderFormWithoutMask) {
  EXPECT_EQ(decodeSecret("707072"), "pop");
  EXPECT_EQ(decodeSecret("7072"), "pq");
}

TEST(StoredSecret, MalformedTextDecodesByTheArithmeticWithinBounds) {
  const std::string joe = "V1DE222DFA78F4D1096C5B1E6C57A3A4AA46A6AA79BAB";
  std::string lowerCase = joe;
  for (std::size_t i = 1; i < lowerCase.size(); ++i) {
    lowerCase[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(lowerCase[i])));
  }
  struct Case {
    const char* what;
    std::string stored;
    std::string plainHex;
  };
  const Case cases[] = {
      {"odd length drops the lone digit", joe.substr(0, joe.size() - 1), "7365637265"},
      {"lower-case digits", lowerCase, "736563728594"},
      {"non-hex characters", "V" + std::string(32, 'G') + "ZZ!!", "4CF9"},
      {"older form, lower-case", "7a7B", "9A7A"},
      {"older form, odd length", "707", "70"},
      {"mask without digits", "V" + std::string(32, 'A'), ""},
      {"mask cut short", "V12", ""},
      {"empty", "", ""},
      // Falls to NUL after seventeen characters, which ends the text.
      {"300 characters, older form", std::string(300, '1'), "11100F0E0D0C0B0A090807060504030201"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hexOf(decodeSecret(c.stored)), c.plainHex) << c.what;
  }

  const std::string masked300 = decodeSecret("V" + std::string(299, '0'));
  ASSERT_EQ(masked300.size(), 133u);
  EXPECT_EQ(static_cast<unsigned char>(masked300.front()), 0xD0);
  EXPECT_EQ(static_cast<unsigned char>(masked300.back()), 0x4C);
}

}  // namespace
}  // namespace ferrix::config
