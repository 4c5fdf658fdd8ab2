#include "session/name_charset.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "session/control_channel.h"
#include "session/feature_exchange.h"
#include "session/message_log.h"
#include "testing/scripted_ftp_server.h"

namespace ferrix::session {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class NameCharsetTest : public ::testing::Test {
 protected:
  NameCharsetTest() : session_(log_, clock_, resolver_) {}

  void choose(const char* charset, bool utf8Listed) {
    session_.state.sessionProfile.charset = charset;
    session_.state.features.utf8 = utf8Listed;
    chooseNameCharset(session_);
  }

  platform::SystemClock clock_;
  platform::SystemResolver resolver_;
  MessageLog log_;
  Session session_;
};

TEST_F(NameCharsetTest, TheSiteSettingAndFeatDecideTheCharset) {
  struct Case {
    const char* charset;
    bool utf8Listed;
    const char* chosen;
    bool asksForUtf8;
  };
  const Case cases[] = {
      {"auto", true, "UTF-8", true},       {"auto", false, "", true},
      {"AUTO", true, "UTF-8", true},       {"utf8", false, "UTF-8", true},
      {"CP1251", true, "CP1251", false},   {"SHIFT_JIS", false, "SHIFT_JIS", false},
      {"NO-SUCH-CHARSET", false, "", true},
  };
  for (const Case& c : cases) {
    choose(c.charset, c.utf8Listed);
    EXPECT_EQ(session_.state.nameCharset, c.chosen) << c.charset;
    EXPECT_EQ(wantsUtf8Names(session_.state), c.asksForUtf8) << c.charset;
  }
  EXPECT_THAT(log_.history(),
              Contains("+ Unknown name charset \"NO-SUCH-CHARSET\"; names are taken as they come"));
}

TEST_F(NameCharsetTest, NamesAreShownAsUtf8AndSentAsTheServersBytes) {
  struct Case {
    const char* charset;
    bool utf8Listed;
    std::string wire;
    std::string shown;
    bool roundTrips;  // the shown name converts back to the same bytes
  };
  const Case cases[] = {
      {"auto", true, "résumé 日本.txt", "résumé 日本.txt", true},
      {"auto", false, "résumé 日本.txt", "résumé 日本.txt", true},
      // Not UTF-8 and no charset named: shown with U+FFFD, the bytes kept elsewhere.
      {"auto", false, "r\xE9sum\xE9", "r\xEF\xBF\xBDsum\xEF\xBF\xBD", false},
      {"CP1251", false, "\xCF\xF0\xE8\xE2\xE5\xF2 1.txt", "Привет 1.txt", true},
      {"ISO-8859-1", false, "r\xE9sum\xE9", "résumé", true},
      {"SHIFT_JIS", false, "\x93\xFA\x96\x7B", "日本", true},
  };
  for (const Case& c : cases) {
    choose(c.charset, c.utf8Listed);
    EXPECT_EQ(shownName(session_.state, c.wire), c.shown) << c.charset;
    EXPECT_EQ(wireName(session_.state, c.shown) == c.wire, c.roundTrips) << c.charset;
  }
}

TEST_F(NameCharsetTest, ATypedNameTheServersCharsetCannotHoldIsRefused) {
  choose("CP1251", false);
  EXPECT_EQ(wireNameOrRefuse(session_, "日本.txt"), std::nullopt);
  EXPECT_THAT(log_.history(),
              Contains("! \"日本.txt\" cannot be written in the server's charset CP1251"));
  EXPECT_EQ(wireNameOrRefuse(session_, "Привет"), "\xCF\xF0\xE8\xE2\xE5\xF2");
}

TEST_F(NameCharsetTest, ALegacyCharsetSiteDoesNotSwitchTheServerToUtf8) {
  testing::ScriptedFtpServer server;
  server.expectLine("FEAT").reply("211-Features:").reply(" UTF8").reply("211 End");
  server.start();
  session_.state.sessionProfile.charset = "CP1251";
  const int control = openControlConnection(session_, "127.0.0.1", server.port());
  EXPECT_TRUE(exchangeFeatures(session_, control));
  EXPECT_TRUE(server.waitUntilDone(std::chrono::milliseconds(5000)));
  EXPECT_THAT(server.failures(), IsEmpty());
  EXPECT_THAT(server.receivedLines(), ElementsAre("FEAT"));
  EXPECT_EQ(session_.state.nameCharset, "CP1251");
  platform::closeSocket(control);
}

}  // namespace
}  // namespace ferrix::session
