#include "session/logon.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <utility>

#include "session/connection.h"
#include "session/control_channel.h"
#include "session/message_log.h"
#include "session/xaut.h"
#include "testing/scripted_ftp_server.h"
#include "testing/scripted_user_interface.h"

namespace ferrix::session {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using testing::ScriptedFtpServer;
using testing::ScriptedUserInterface;

constexpr std::chrono::milliseconds kScriptTime{5000};
constexpr const char* kSiteHost = "ftp.example.test";

// One command the client must send and the server's answer to it.
using Exchange = std::pair<std::string, std::string>;

class LogonTest : public ::testing::Test {
 protected:
  LogonTest() : session_(log_, clock_, resolver_) {
    config::SiteProfile& profile = session_.state.sessionProfile;
    profile.hostName = "127.0.0.1";
    profile.port = server_.port();
    profile.userId = "anne";
    profile.password = "secret";
    firewall_.host = "127.0.0.1";
    firewall_.port = server_.port();
    firewall_.user = "fw";
    firewall_.password = "fwpass";
    session_.onGreetingLine = [this](Session&, const std::string& line) {
      checkedLines_.push_back(line);
    };
  }

  ~LogonTest() override {
    if (session_.state.controlSocket != -1) platform::closeSocket(session_.state.controlSocket);
  }

  // Routes the logon through a firewall of `type` in front of kSiteHost.
  void useFirewall(int type) {
    session_.state.sessionProfile.useFirewall = 1;
    session_.state.sessionProfile.hostName = kSiteHost;
    firewall_.type = type;
  }

  ScriptedFtpServer& script(const std::vector<Exchange>& dialogue,
                            const std::string& greeting = "220 ready") {
    server_.reply(greeting);
    for (const auto& [line, answer] : dialogue) server_.expectLine(line).reply(answer);
    return server_;
  }

  // One logon through connectWithRetries; returns the number of attempts.
  int connect() {
    server_.start();
    int attempts = 0;
    connectWithRetries(session_, [&](Session& session) {
      ++attempts;
      return logon(session, ui_, firewall_);
    });
    return attempts;
  }

  void expectScriptDone() {
    EXPECT_TRUE(server_.waitUntilDone(kScriptTime));
    EXPECT_THAT(server_.failures(), IsEmpty());
  }

  bool logged(const std::string& line) const {
    for (const std::string& entry : log_.history()) {
      if (entry == line) return true;
    }
    return false;
  }

  std::vector<std::string> promptTexts() const {
    std::vector<std::string> texts;
    for (const ScriptedUserInterface::Shown& shown : ui_.prompts()) texts.push_back(shown.text);
    return texts;
  }

  platform::SystemClock clock_;
  platform::SystemResolver resolver_;
  MessageLog log_;
  ScriptedFtpServer server_;
  Session session_;
  ScriptedUserInterface ui_;
  config::FirewallSettings firewall_;
  std::vector<std::string> checkedLines_;
};

TEST_F(LogonTest, StandardLogonSendsUserPassThenTheInitialCommands) {
  session_.state.sessionProfile.initialCommand = "SITE UMASK 022;;SITE ECHO 100%d;TYPE I";
  session_.state.DetectionDone = 1;
  script({{"USER anne", "331 Password required"},
          {"PASS secret", "230 Logged in"},
          {"SITE UMASK 022", "200 ok"},
          {"", "500 empty"},
          {"SITE ECHO 100%d", "200 ok"},
          {"TYPE I", "200 ok"}});
  EXPECT_EQ(connect(), 1);
  expectScriptDone();
  const SessionState& state = session_.state;
  EXPECT_NE(state.controlSocket, -1);
  EXPECT_EQ(state.connected, 1);
  EXPECT_EQ(state.DetectionDone, 0);
  EXPECT_EQ(state.busyDepth, 0);
  EXPECT_EQ(state.sessionProfile.serverFeatureMask, 6);
  EXPECT_EQ(state.replyTimeoutSeconds, 65);
  EXPECT_EQ(state.localControlAddress.hostOrder, 0x7f000001u);
  EXPECT_THAT(ui_.windowTitles(), ElementsAre("Corvane FERRIX QX 127.0.0.1"));
  EXPECT_TRUE(logged("PASS (hidden)"));
  EXPECT_FALSE(logged("PASS secret"));
  EXPECT_THAT(checkedLines_, ElementsAre("220 ready"));
}

TEST(InitialCommands, PiecesEndAtSemicolonsAndOnlyTheLastEmptyOneIsDropped) {
  EXPECT_THAT(splitInitialCommands("SITE UMASK 022;;TYPE I;"),
              ElementsAre("SITE UMASK 022", "", "TYPE I"));
  EXPECT_THAT(splitInitialCommands("TYPE I"), ElementsAre("TYPE I"));
  EXPECT_THAT(splitInitialCommands(";"), ElementsAre(""));
  EXPECT_THAT(splitInitialCommands(""), IsEmpty());
}

// Each firewall scheme, from the greeting on: what the client must send and
// how the logon ends.
struct SchemeCase {
  const char* name;
  int type;
  std::vector<Exchange> dialogue;
  const char* failure;  // nothing for a successful logon
  int cancelAfterFailure;
};

const SchemeCase kSchemeCases[] = {
    {"0 SITE hostname",
     0,
     {{"USER fw", "331 fw password"},
      {"PASS fwpass", "230 fw ok"},
      {"SITE ftp.example.test", "220 site ready"},
      {"USER anne", "331 pass"},
      {"PASS secret", "230 in"}},
     nullptr, 0},
    {"0 firewall refuses its user (F1)", 0, {{"USER fw", "530 no"}},
     "! Firewall logon failure, so quitting", 0},
    {"0 SITE refused (F3)",
     0,
     {{"USER fw", "230 fw ok"}, {"SITE ftp.example.test", "550 unknown host"}},
     "! Connect to final destination failed, so quitting", 0},
    {"1 USER after logon",
     1,
     {{"USER fw", "331 fw password"},
      {"PASS fwpass", "230 fw ok"},
      {"USER anne@ftp.example.test", "331 pass"},
      {"PASS secret", "230 in"}},
     nullptr, 0},
    {"1 site user not asked for a password (F3)",
     1,
     {{"USER fw", "230 fw ok"}, {"USER anne@ftp.example.test", "230 in"}},
     "! Connect to final destination failed, so quitting", 0},
    {"2 USER with no logon",
     2,
     {{"USER anne@ftp.example.test", "331 pass"}, {"PASS secret", "230 in"}},
     nullptr, 0},
    {"2 logged on by USER alone", 2, {{"USER anne@ftp.example.test", "230 in"}}, nullptr, 0},
    {"2 refused (F3)", 2, {{"USER anne@ftp.example.test", "421 no route"}},
     "! Connect to final destination failed, so quitting", 0},
    {"3 proxy OPEN answered 3xx",
     3,
     {{"OPEN ftp.example.test", "331 connected, send user"},
      {"USER anne", "331 pass"},
      {"PASS secret", "230 in"}},
     nullptr, 0},
    {"3 OPEN refused (F3)", 3, {{"OPEN ftp.example.test", "500 no"}},
     "! Connect to final destination failed, so quitting", 0},
    {"4 USER remoteID@remoteHost fireID",
     4,
     {{"USER anne@ftp.example.test fw", "331 pass"},
      {"PASS secret", "332 firewall password as account"},
      {"ACCT fwpass", "230 in"}},
     nullptr, 0},
    {"4 user rejected (F2)", 4, {{"USER anne@ftp.example.test fw", "530 no"}},
     "! Firewall logon failure, so quitting", 1},
    {"4 account refused (F4)",
     4,
     {{"USER anne@ftp.example.test fw", "331 pass"},
      {"PASS secret", "332 account"},
      {"ACCT fwpass", "530 no"}},
     "! Logon failure, so quitting", 0},
    {"5 USER fireID@remoteHost",
     5,
     {{"USER fw@ftp.example.test", "331 fw password"},
      {"PASS fwpass", "230 through"},
      {"USER anne", "331 pass"},
      {"PASS secret", "230 in"}},
     nullptr, 0},
    {"5 firewall password refused (F3)",
     5,
     {{"USER fw@ftp.example.test", "331 fw password"}, {"PASS fwpass", "530 no"}},
     "! Connect to final destination failed, so quitting", 0},
    {"6 transparent",
     6,
     {{"USER fw", "331 fw password"},
      {"PASS fwpass", "230 fw ok"},
      {"USER anne", "331 pass"},
      {"PASS secret", "230 in"}},
     nullptr, 0},
    {"6 firewall refuses (F3)", 6, {{"USER fw", "530 no"}},
     "! Connect to final destination failed, so quitting", 0},
    {"7 USER remoteID@fireID@remoteHost",
     7,
     {{"USER anne@fw@ftp.example.test", "331 pass"}, {"PASS secret@fwpass", "230 in"}},
     nullptr, 0},
    {"7 refused (F4)", 7, {{"USER anne@fw@ftp.example.test", "530 no"}},
     "! Logon failure, so quitting", 0},
    {"standard logon refused (F4)", 8, {{"USER anne", "530 no"}},
     "! Logon failure, so quitting", 0},
};

TEST(FirewallSchemes, EachSendsItsSequenceAndEndsAsItsTableSays) {
  for (const SchemeCase& c : kSchemeCases) {
    SCOPED_TRACE(c.name);
    platform::SystemClock clock;
    platform::SystemResolver resolver;
    MessageLog log;
    ScriptedFtpServer server;
    Session session(log, clock, resolver);
    ScriptedUserInterface ui;
    config::SiteProfile& profile = session.state.sessionProfile;
    profile.userId = "anne";
    profile.password = "secret";
    profile.useFirewall = 1;
    profile.hostName = c.type == 6 ? "127.0.0.1" : kSiteHost;
    profile.port = c.type == 6 ? server.port() : 1;
    const config::FirewallSettings firewall{c.type, "127.0.0.1", server.port(), "fw", "fwpass"};

    server.reply("220 ready");
    std::vector<std::string> expectedLines;
    for (const auto& [line, answer] : c.dialogue) {
      server.expectLine(line).reply(answer);
      expectedLines.push_back(line);
    }
    server.start();
    const int socket = logon(session, ui, firewall);
    EXPECT_TRUE(server.waitUntilDone(kScriptTime));
    EXPECT_THAT(server.failures(), IsEmpty());
    const std::vector<std::string> history = log.history();
    if (c.failure == nullptr) {
      EXPECT_NE(socket, -1);
      EXPECT_EQ(session.state.connected, 1);
      EXPECT_THAT(ui.windowTitles(), ElementsAre(c.type == 6 ? "Corvane FERRIX QX 127.0.0.1"
                                                             : "Corvane FERRIX QX " +
                                                                   std::string(kSiteHost)));
      platform::closeSocket(socket);
    } else {
      EXPECT_EQ(socket, -1);
      EXPECT_THAT(history, Contains(c.failure));
      EXPECT_EQ(session.state.connected, 0);
      EXPECT_EQ(session.state.cancelRequested, c.cancelAfterFailure);
      EXPECT_THAT(ui.windowTitles(), IsEmpty());
    }
    // Nothing is sent after the end of the dialogue.
    EXPECT_THAT(server.receivedLines(), ElementsAreArray(expectedLines));
    EXPECT_THAT(ui.prompts(), IsEmpty());
    if (c.type != 6) {
      EXPECT_EQ(profile.port, server.port());
    }
  }
}

TEST_F(LogonTest, FirewallRejectingItsUserIsRetriedButARejectedFireIdIsNot) {
  useFirewall(0);
  session_.state.sessionProfile.retries = 3;
  script({{"USER fw", "530 no"}}).acceptNextConnection();
  script({{"USER fw", "530 no"}}).acceptNextConnection();
  script({{"USER fw", "530 no"}}).acceptNextConnection();
  script({{"USER fw", "530 no"}}).waitForClientClose();
  EXPECT_EQ(connect(), 4);
  expectScriptDone();
}

TEST_F(LogonTest, RejectedFireIdEndsTheRetries) {
  useFirewall(4);
  session_.state.sessionProfile.retries = 3;
  script({{"USER anne@ftp.example.test fw", "530 no"}}).waitForClientClose();
  EXPECT_EQ(connect(), 1);
  expectScriptDone();
  EXPECT_EQ(session_.state.controlSocket, -1);
}

TEST_F(LogonTest, ServerDroppingTheConnectionAfterUserIsALogonFailureAndRetried) {
  session_.state.sessionProfile.retries = 1;
  script({}).expectLine("USER anne").closeConnection().acceptNextConnection();
  script({{"USER anne", "230 welcome back"}});
  EXPECT_EQ(connect(), 2);
  expectScriptDone();
  EXPECT_NE(session_.state.controlSocket, -1);
  EXPECT_TRUE(logged("! Logon failure, so quitting"));
  EXPECT_EQ(session_.state.retriesLeft, 0);
}

// Greetings that end the attempt before any command; both may be retried.
TEST_F(LogonTest, GreetingOfClassFourOrAnUnknownClassEndsTheAttempt) {
  session_.state.sessionProfile.retries = 1;
  server_.reply("421 Too many users").acceptNextConnection().reply("331 what?")
      .waitForClientClose();
  EXPECT_EQ(connect(), 2);
  expectScriptDone();
  EXPECT_EQ(session_.state.controlSocket, -1);
  EXPECT_TRUE(logged("! Connection failed 127.0.0.1"));
  EXPECT_TRUE(logged("! unknown open message \"331 what?\" 331"));
  EXPECT_EQ(session_.state.busyDepth, 0);
  EXPECT_EQ(session_.state.greetingPhase, 0);
  EXPECT_THAT(server_.receivedLines(), IsEmpty());
}

TEST_F(LogonTest, PreliminaryGreetingRepliesAreReadUntilTheFinalOne) {
  script({{"USER anne", "230 in"}}, "120 Service ready in 1 minute\r\n220 ready");
  connect();
  expectScriptDone();
  EXPECT_NE(session_.state.controlSocket, -1);
  EXPECT_THAT(checkedLines_, ElementsAre("120 Service ready in 1 minute", "220 ready"));
}

TEST_F(LogonTest, AlreadyConnectedOpensNothing) {
  session_.state.connected = 1;
  EXPECT_EQ(logon(session_, ui_, firewall_), -1);
  EXPECT_TRUE(logged("! Already connected"));
  EXPECT_FALSE(logged("- -"));
}

TEST_F(LogonTest, ScrambledLogonReplacesUserAndPass) {
  std::string text;
  xautScramble("anne", "secret", 4711, text, 2);
  script({{"XAUT 2 " + text, "230 in"}}, "220 host X2 FERRIX Server ready (4711)");
  connect();
  expectScriptDone();
  EXPECT_NE(session_.state.controlSocket, -1);
}

TEST_F(LogonTest, RefusedScrambledLogonFallsBackToUserAndPass) {
  std::string text;
  xautScramble("anne", "secret", 4711, text, 1);
  script({{"XAUT 1 " + text, "500 not here"}, {"USER anne", "331 pass"}, {"PASS secret", "230 in"}},
         "220 host X1 FERRIX Server ready (4711)");
  connect();
  expectScriptDone();
  EXPECT_NE(session_.state.controlSocket, -1);
}

TEST_F(LogonTest, OfferOnAnEarlierGreetingLineIsNotSeen) {
  script({{"USER anne", "331 pass"}, {"PASS secret", "230 in"}},
         "220-X2 FERRIX Server (4711)\r\n220 ready");
  connect();
  expectScriptDone();
  EXPECT_EQ(session_.state.xautVariant, 0);
  EXPECT_NE(session_.state.controlSocket, -1);
}

TEST_F(LogonTest, MissingUserIdAndPasswordAreAskedFor) {
  session_.state.sessionProfile.userId.clear();
  session_.state.sessionProfile.password.clear();
  ui_.answerInput("bob");
  ui_.answerInput("");  // the standard logon asks once; the password step again
  ui_.answerInput("hunter2");
  script({{"USER bob", "331 pass"}, {"PASS hunter2", "230 in"}});
  connect();
  expectScriptDone();
  EXPECT_NE(session_.state.controlSocket, -1);
  const std::vector<ScriptedUserInterface::Shown> prompts = ui_.prompts();
  ASSERT_EQ(prompts.size(), 3u);
  EXPECT_EQ(prompts[0].text, "Please enter a userid for the connection to 127.0.0.1:");
  EXPECT_FALSE(prompts[0].masked);
  EXPECT_EQ(prompts[1].text, "Please enter a password for bob on site 127.0.0.1:");
  EXPECT_EQ(prompts[1].helpTopic, 80);
  EXPECT_TRUE(prompts[2].masked);
  EXPECT_EQ(session_.state.sessionProfile.password, "hunter2");
  // A typed password must not pre-fill the next dialog.
  EXPECT_EQ(ui_.lastEnteredText(), "");
}

TEST_F(LogonTest, CancellingEveryPasswordPromptFailsAfterUser) {
  session_.state.sessionProfile.password.clear();
  script({{"USER anne", "331 pass"}}).waitForClientClose();
  connect();
  expectScriptDone();
  EXPECT_EQ(session_.state.controlSocket, -1);
  EXPECT_THAT(promptTexts(), ElementsAre("Please enter a password for anne on site 127.0.0.1:",
                                         "Please enter a password for anne on site 127.0.0.1:"));
  EXPECT_TRUE(logged("! Logon failure, so quitting"));
}

TEST_F(LogonTest, PositivePasswordReplyMentioningAccountGetsOne) {
  ui_.answerInput("budget");
  script({{"USER anne", "331 pass"},
          {"PASS secret", "230 User logged in, ACCOUNT optional"},
          {"ACCT budget", "530 not needed"}});
  connect();
  expectScriptDone();
  EXPECT_NE(session_.state.controlSocket, -1);
  EXPECT_THAT(ui_.prompts(), Contains(::testing::Field(
                                 &ScriptedUserInterface::Shown::text,
                                 "Please enter an account for anne on site 127.0.0.1:")));
  EXPECT_TRUE(logged("ACCT (hidden)"));
}

TEST_F(LogonTest, AccountDemandedAfterPasswordDecidesTheLogon) {
  session_.state.sessionProfile.account = "budget";
  script({{"USER anne", "331 pass"}, {"PASS secret", "332 account please"},
          {"ACCT budget", "530 wrong account"}})
      .waitForClientClose();
  connect();
  expectScriptDone();
  EXPECT_EQ(session_.state.controlSocket, -1);
  EXPECT_TRUE(logged("! Logon failure, so quitting"));
}

TEST_F(LogonTest, TypedFirewallPasswordIsKeptForTheNextAttempt) {
  useFirewall(0);
  firewall_.password.reset();
  ui_.answerInput("typed");
  script({{"USER fw", "331 fw password"}, {"PASS typed", "530 no"}}).acceptNextConnection();
  script({{"USER fw", "331 fw password"}, {"PASS typed", "230 fw ok"},
          {"SITE ftp.example.test", "200 ok"}, {"USER anne", "230 in"}});
  session_.state.sessionProfile.retries = 1;
  EXPECT_EQ(connect(), 2);
  expectScriptDone();
  EXPECT_NE(session_.state.controlSocket, -1);
  ASSERT_EQ(ui_.prompts().size(), 1u);
  EXPECT_EQ(ui_.prompts()[0].text, "Please enter a password for fw on firewall 127.0.0.1:");
  EXPECT_EQ(ui_.prompts()[0].helpTopic, 82);
}

TEST_F(LogonTest, HostCheckSeesTheGreetingAndTheReplyThatCompletesTheScheme) {
  useFirewall(2);
  script({{"USER anne@ftp.example.test", "230 Serv-U FTP Server welcomes you"}});
  connect();
  expectScriptDone();
  EXPECT_THAT(checkedLines_, ElementsAre("220 ready", "230 Serv-U FTP Server welcomes you"));
}

TEST_F(LogonTest, RsxHostSkipsDetectionAndCanDelete) {
  session_.state.sessionProfile.hostType = kHostTypePdp11Rsx11m;
  script({{"USER anne", "230 in"}});
  connect();
  expectScriptDone();
  EXPECT_EQ(session_.state.DetectionDone, 1);
  EXPECT_EQ(session_.state.CanDelete, 1);
  EXPECT_THAT(checkedLines_, IsEmpty());
}

// A user id, password or account that would carry a line break into the
// dialogue is never sent, and the logon fails as a logon failure.
struct LineBreakCase {
  const char* name;
  std::string user;
  std::string password;
  std::string account;
  std::vector<Exchange> dialogue;
};

TEST(LogonLineBreaks, FieldsWithLineBreaksAreNeverSent) {
  const LineBreakCase cases[] = {
      {"user", "anne\r\nDELE x", "secret", "", {}},
      {"password", "anne", "se\ncret", "", {{"USER anne", "331 pass"}}},
      {"password with NUL", "anne", std::string("se\0cret", 7), "", {{"USER anne", "331 pass"}}},
      {"account",
       "anne",
       "secret",
       "acc\rDELE x",
       {{"USER anne", "331 pass"}, {"PASS secret", "332 account"}}},
  };
  for (const LineBreakCase& c : cases) {
    SCOPED_TRACE(c.name);
    platform::SystemClock clock;
    platform::SystemResolver resolver;
    MessageLog log;
    ScriptedFtpServer server;
    Session session(log, clock, resolver);
    ScriptedUserInterface ui;
    config::SiteProfile& profile = session.state.sessionProfile;
    profile.hostName = "127.0.0.1";
    profile.port = server.port();
    profile.userId = c.user;
    profile.password = c.password;
    profile.account = c.account;
    server.reply("220 ready");
    std::vector<std::string> expectedLines;
    for (const auto& [line, answer] : c.dialogue) {
      server.expectLine(line).reply(answer);
      expectedLines.push_back(line);
    }
    server.waitForClientClose();
    server.start();
    EXPECT_EQ(logon(session, ui, config::FirewallSettings{}), -1);
    EXPECT_TRUE(server.waitUntilDone(kScriptTime));
    EXPECT_THAT(server.failures(), IsEmpty());
    EXPECT_THAT(server.receivedLines(), ElementsAreArray(expectedLines));
    const std::vector<std::string> history = log.history();
    EXPECT_THAT(history,
                Contains("! Command not sent: it contains a line break or NUL character"));
    EXPECT_THAT(history, Contains("! Logon failure, so quitting"));
    EXPECT_EQ(session.state.cancelRequested, 0);
  }
}

}  // namespace
}  // namespace ferrix::session
