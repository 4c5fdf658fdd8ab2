#include "session/logon.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>

#include "config/scratch_configuration.h"
#include "config/stored_secret.h"
#include "session/connection.h"
#include "session/message_log.h"
#include "testing/scripted_ftp_server.h"
#include "testing/scripted_user_interface.h"

namespace ferrix::session {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::ScriptedFtpServer;
using testing::ScriptedUserInterface;

constexpr std::chrono::milliseconds kScriptTime{5000};
constexpr const char* kSiteHost = "ftp.example.test";
constexpr const char* kSitePasswordPrompt = "Please enter a password for anne on site 127.0.0.1:";
constexpr const char* kFirewallFailure = "! Firewall logon failure, so quitting";
constexpr const char* kDestinationFailure = "! Connect to final destination failed, so quitting";
constexpr const char* kLogonFailure = "! Logon failure, so quitting";
constexpr const char* kNotSent = "! Command not sent: it contains a line break or NUL character";

// A line the client must send and the server's answer; an empty answer
// closes the connection instead.
using Exchange = std::pair<std::string, std::string>;

struct Attempt {
  std::string greeting = "220 ready";
  std::vector<Exchange> dialogue{};
};

// One run of connectWithRetries against a scripted server. Without a
// firewall (-1) or with the transparent one (6) the client connects to the
// site, 127.0.0.1; otherwise to the firewall there, in front of kSiteHost.
struct LogonCase {
  const char* name;
  int firewallType = -1;
  std::string user = "anne";
  std::string password = "secret";
  std::string account{};
  std::optional<std::string> storedFirewallPassword = "fwpass";
  int retries = 0;
  std::vector<std::optional<std::string>> answers{};  // prompt answers; none: Cancel
  std::vector<Attempt> attempts{};
  const char* failure = nullptr;  // nothing: logged on
  std::vector<std::string> prompts{};
  std::vector<std::string> logged{};  // error lines besides the failure
};

const LogonCase kCases[] = {
    {.name = "standard logon",
     .attempts = {{.dialogue = {{"USER anne", "331 pass"}, {"PASS secret", "230 in"}}}}},
    {.name = "preliminary greeting reply",
     .attempts = {{"120 wait a minute\r\n220 ready", {{"USER anne", "230 in"}}}}},
    {.name = "missing user id and password are asked for",
     .user = "",
     .password = "",
     .answers = {"bob", "", "hunter2"},
     .attempts = {{.dialogue = {{"USER bob", "331 pass"}, {"PASS hunter2", "230 in"}}}},
     .prompts = {"Please enter a userid for the connection to 127.0.0.1:",
                 "Please enter a password for bob on site 127.0.0.1:",
                 "Please enter a password for bob on site 127.0.0.1:"}},
    {.name = "every password prompt cancelled, after USER",
     .password = "",
     .attempts = {{.dialogue = {{"USER anne", "331 pass"}}}},
     .failure = kLogonFailure,
     .prompts = {kSitePasswordPrompt, kSitePasswordPrompt}},
    {.name = "230 mentioning ACCOUNT gets one, its answer ignored",
     .answers = {"budget"},
     .attempts = {{.dialogue = {{"USER anne", "331 pass"},
                                {"PASS secret", "230 in, ACCOUNT optional"},
                                {"ACCT budget", "530 not needed"}}}},
     .prompts = {"Please enter an account for anne on site 127.0.0.1:"}},
    {.name = "332 account refused",
     .account = "budget",
     .attempts = {{.dialogue = {{"USER anne", "331 pass"},
                                {"PASS secret", "332 account"},
                                {"ACCT budget", "530 no"}}}},
     .failure = kLogonFailure},
    {.name = "scrambled logon replaces USER and PASS",
     .attempts = {{"220 X2 FERRIX Server (1513909793)",
                   {{"XAUT 2 ;2;?;?;6:?<2;<88;>83858;<4;6;4<3;6<5:?<1<8;689;984", "230 in"}}}}},
    {.name = "refused scrambled logon falls back to USER and PASS",
     .attempts = {{"220 X1 FERRIX Server (16909060)",
                   {{"XAUT 1 ;6;>;=;58?<1;8;3<7;7<7", "500 no"},
                    {"USER anne", "331 pass"},
                    {"PASS secret", "230 in"}}}}},
    {.name = "offer on an earlier greeting line is not seen",
     .attempts = {{"220-X2 FERRIX Server (4711)\r\n220 ready", {{"USER anne", "230 in"}}}}},
    {.name = "greeting of class 4, then an unknown one; both retried",
     .retries = 2,
     .attempts = {{"421 Too many users", {}},
                  {"331 what?", {}},
                  {.dialogue = {{"USER anne", "230 in"}}}},
     .logged = {"! Connection failed 127.0.0.1", "! unknown open message \"331 what?\" 331"}},
    {.name = "server drops the connection after USER; retried",
     .retries = 1,
     .attempts = {{.dialogue = {{"USER anne", ""}}}, {.dialogue = {{"USER anne", "230 in"}}}}},
    {.name = "0 SITE hostname",
     .firewallType = 0,
     .attempts = {{.dialogue = {{"USER fw", "331 fw password"},
                                {"PASS fwpass", "230 fw ok"},
                                {"SITE ftp.example.test", "220 site ready"},
                                {"USER anne", "331 pass"},
                                {"PASS secret", "230 in"}}}}},
    {.name = "0 firewall refuses its user (F1): retried",
     .firewallType = 0,
     .retries = 1,
     .attempts = {{.dialogue = {{"USER fw", "530 no"}}}, {.dialogue = {{"USER fw", "530 no"}}}},
     .failure = kFirewallFailure},
    {.name = "0 SITE refused (F3)",
     .firewallType = 0,
     .attempts = {{.dialogue = {{"USER fw", "230 fw ok"}, {"SITE ftp.example.test", "550 no"}}}},
     .failure = kDestinationFailure},
    {.name = "0 typed firewall password kept for the next attempt",
     .firewallType = 0,
     .storedFirewallPassword = std::nullopt,
     .retries = 1,
     .answers = {"typed"},
     .attempts = {{.dialogue = {{"USER fw", "331 fw password"}, {"PASS typed", "530 no"}}},
                  {.dialogue = {{"USER fw", "331 fw password"},
                                {"PASS typed", "230 fw ok"},
                                {"SITE ftp.example.test", "200 ok"},
                                {"USER anne", "230 in"}}}},
     .prompts = {"Please enter a password for fw on firewall 127.0.0.1:"}},
    {.name = "1 USER after logon",
     .firewallType = 1,
     .attempts = {{.dialogue = {{"USER fw", "331 fw password"},
                                {"PASS fwpass", "230 fw ok"},
                                {"USER anne@ftp.example.test", "331 pass"},
                                {"PASS secret", "230 in"}}}}},
    {.name = "1 site user not asked for a password (F3)",
     .firewallType = 1,
     .attempts = {{.dialogue = {{"USER fw", "230 fw ok"},
                                {"USER anne@ftp.example.test", "230 in"}}}},
     .failure = kDestinationFailure},
    {.name = "2 USER with no logon",
     .firewallType = 2,
     .attempts = {{.dialogue = {{"USER anne@ftp.example.test", "331 pass"},
                                {"PASS secret", "230 in"}}}}},
    {.name = "2 refused (F3)",
     .firewallType = 2,
     .attempts = {{.dialogue = {{"USER anne@ftp.example.test", "421 no route"}}}},
     .failure = kDestinationFailure},
    {.name = "3 proxy OPEN answered with 3xx",
     .firewallType = 3,
     .attempts = {{.dialogue = {{"OPEN ftp.example.test", "331 send user"},
                                {"USER anne", "331 pass"},
                                {"PASS secret", "230 in"}}}}},
    {.name = "3 OPEN refused (F3): retried",
     .firewallType = 3,
     .retries = 1,
     .attempts = {{.dialogue = {{"OPEN ftp.example.test", "500 no"}}},
                  {.dialogue = {{"OPEN ftp.example.test", "500 no"}}}},
     .failure = kDestinationFailure},
    {.name = "4 USER remoteID@remoteHost fireID",
     .firewallType = 4,
     .attempts = {{.dialogue = {{"USER anne@ftp.example.test fw", "331 pass"},
                                {"PASS secret", "332 firewall password"},
                                {"ACCT fwpass", "230 in"}}}}},
    {.name = "4 user rejected (F2): not retried",
     .firewallType = 4,
     .retries = 3,
     .attempts = {{.dialogue = {{"USER anne@ftp.example.test fw", "530 no"}}}},
     .failure = kFirewallFailure},
    {.name = "4 account refused (F4)",
     .firewallType = 4,
     .attempts = {{.dialogue = {{"USER anne@ftp.example.test fw", "331 pass"},
                                {"PASS secret", "332 account"},
                                {"ACCT fwpass", "530 no"}}}},
     .failure = kLogonFailure},
    {.name = "5 USER fireID@remoteHost",
     .firewallType = 5,
     .attempts = {{.dialogue = {{"USER fw@ftp.example.test", "331 fw password"},
                                {"PASS fwpass", "230 through"},
                                {"USER anne", "331 pass"},
                                {"PASS secret", "230 in"}}}}},
    {.name = "5 firewall password refused (F3)",
     .firewallType = 5,
     .attempts = {{.dialogue = {{"USER fw@ftp.example.test", "331 fw password"},
                                {"PASS fwpass", "530 no"}}}},
     .failure = kDestinationFailure},
    {.name = "6 transparent: firewall logon first, on the site's connection",
     .firewallType = 6,
     .attempts = {{.dialogue = {{"USER fw", "331 fw password"},
                                {"PASS fwpass", "230 fw ok"},
                                {"USER anne", "331 pass"},
                                {"PASS secret", "230 in"}}}}},
    {.name = "7 USER remoteID@fireID@remoteHost",
     .firewallType = 7,
     .attempts = {{.dialogue = {{"USER anne@fw@ftp.example.test", "331 pass"},
                                {"PASS secret@fwpass", "230 in"}}}}},
    {.name = "7 refused (F4)",
     .firewallType = 7,
     .attempts = {{.dialogue = {{"USER anne@fw@ftp.example.test", "530 no"}}}},
     .failure = kLogonFailure},
    {.name = "type outside 0 to 7: standard logon through the firewall host",
     .firewallType = 8,
     .attempts = {{.dialogue = {{"USER anne", "230 in"}}}}},
    {.name = "user with a line break is never sent",
     .user = "anne\r\nDELE x",
     .attempts = {{}},
     .failure = kLogonFailure,
     .logged = {kNotSent}},
    {.name = "password with a line break is never sent",
     .password = "se\ncret",
     .attempts = {{.dialogue = {{"USER anne", "331 pass"}}}},
     .failure = kLogonFailure,
     .logged = {kNotSent}},
    {.name = "password with a NUL is never sent",
     .password = std::string("se\0cret", 7),
     .attempts = {{.dialogue = {{"USER anne", "331 pass"}}}},
     .failure = kLogonFailure,
     .logged = {kNotSent}},
    {.name = "account with a line break is never sent",
     .account = "acc\rDELE x",
     .attempts = {{.dialogue = {{"USER anne", "331 pass"}, {"PASS secret", "332 account"}}}},
     .failure = kLogonFailure,
     .logged = {kNotSent}},
};

TEST(Logon, EachSchemeSendsItsSequenceAndEndsAsItsRulesSay) {
  for (const LogonCase& c : kCases) {
    SCOPED_TRACE(c.name);
    platform::SystemClock clock;
    platform::SystemResolver resolver;
    MessageLog log;
    ScriptedFtpServer server;
    Session session(log, clock, resolver);
    ScriptedUserInterface ui;
    const bool toSite = c.firewallType == -1 || c.firewallType == 6;
    config::SiteProfile& profile = session.state.sessionProfile;
    profile.hostName = toSite ? "127.0.0.1" : kSiteHost;
    profile.port = toSite ? server.port() : 1;
    profile.userId = c.user;
    profile.password = c.password;
    profile.account = c.account;
    profile.retries = c.retries;
    profile.useFirewall = c.firewallType >= 0;
    const config::FirewallSettings firewall{c.firewallType, "127.0.0.1", server.port(), "fw",
                                            c.storedFirewallPassword};
    for (const auto& answer : c.answers) ui.answerInput(answer);

    std::vector<std::string> expectedLines;
    for (const Attempt& attempt : c.attempts) {
      if (&attempt != &c.attempts.front()) server.acceptNextConnection();
      server.reply(attempt.greeting);
      for (const auto& [line, answer] : attempt.dialogue) {
        server.expectLine(line);
        if (answer.empty()) {
          server.closeConnection();
        } else {
          server.reply(answer);
        }
        expectedLines.push_back(line);
      }
    }
    if (c.failure == nullptr) {
      server.expectLine("FEAT").reply("500 FEAT not understood");
      expectedLines.push_back("FEAT");
    } else {
      server.waitForClientClose();
    }
    server.start();
    int attempts = 0;
    const int socket = connectWithRetries(session, [&](Session& s) {
      ++attempts;
      return logon(s, ui, firewall);
    });
    EXPECT_TRUE(server.waitUntilDone(kScriptTime));
    EXPECT_THAT(server.failures(), IsEmpty());
    EXPECT_EQ(attempts, static_cast<int>(c.attempts.size()));
    EXPECT_EQ(server.receivedLines(), expectedLines);
    std::vector<std::string> prompts;
    for (const ScriptedUserInterface::Shown& shown : ui.prompts()) {
      prompts.push_back(shown.text);
      // Only the user id is asked in the clear, and without a help topic.
      const bool userId = shown.text.starts_with("Please enter a userid");
      const int topic = userId                                            ? 0
                        : shown.text.find("firewall") != std::string::npos ? 82
                        : shown.text.find("account") != std::string::npos  ? 85
                                                                           : 80;
      EXPECT_EQ(shown.helpTopic, topic) << shown.text;
      EXPECT_EQ(shown.masked, !userId) << shown.text;
    }
    EXPECT_EQ(prompts, c.prompts);
    EXPECT_EQ(ui.lastEnteredText(), "");  // no typed secret pre-fills a later dialog
    EXPECT_EQ(session.state.exchange.depth(), 0);
    for (const std::string& line : c.logged) EXPECT_THAT(log.history(), Contains(line));
    if (c.failure == nullptr) {
      EXPECT_NE(socket, -1);
      EXPECT_EQ(session.state.connected, 1);
      EXPECT_THAT(ui.windowTitles(), ElementsAre("Corvane FERRIX QX " + profile.hostName));
      platform::closeSocket(socket);
    } else {
      EXPECT_EQ(socket, -1);
      EXPECT_THAT(log.history(), Contains(c.failure));
      EXPECT_EQ(session.state.connected, 0);
    }
  }
}

class LogonTest : public ::testing::Test {
 protected:
  LogonTest() : session_(log_, clock_, resolver_) {
    config::SiteProfile& profile = session_.state.sessionProfile;
    profile.hostName = "127.0.0.1";
    profile.port = server_.port();
    profile.userId = "anne";
    profile.password = "secret";
    session_.onGreetingLine = [this](Session&, const std::string& line) {
      checkedLines_.push_back(line);
    };
  }

  int logOn() {
    server_.start();
    const int socket = logon(session_, ui_, firewall_);
    EXPECT_TRUE(server_.waitUntilDone(kScriptTime));
    EXPECT_THAT(server_.failures(), IsEmpty());
    return socket;
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

TEST_F(LogonTest, InitialCommandsFollowTheLogonAndTheSessionIsReady) {
  session_.state.sessionProfile.initialCommand = "SITE UMASK 022;;SITE ECHO 100%d;TYPE I";
  session_.state.DetectionDone = 1;
  server_.reply("220-Hello").reply("220 ready").expectLine("USER anne").reply("331 pass")
      .expectLine("PASS secret").reply("230 in")
      .expectLine("SITE UMASK 022").reply("200 ok").expectLine("").reply("500 empty")
      .expectLine("SITE ECHO 100%d").reply("200 ok").expectLine("TYPE I").reply("200 ok")
      .expectLine("FEAT").reply("502 no features");
  const int socket = logOn();
  ASSERT_NE(socket, -1);
  const SessionState& state = session_.state;
  EXPECT_EQ(state.DetectionDone, 0);
  EXPECT_EQ(state.localControlAddress.ipv4HostOrder(), 0x7f000001u);
  EXPECT_EQ(state.replyTimeoutSeconds, 65);
  EXPECT_THAT(log_.history(), Contains("PASS (hidden)"));
  EXPECT_THAT(log_.history(), ::testing::Not(Contains("PASS secret")));
  // Every greeting line is offered to the host check; later replies are not.
  EXPECT_THAT(checkedLines_, ElementsAre("220-Hello", "220 ready"));
  platform::closeSocket(socket);
}

TEST_F(LogonTest, ReplyCompletingAFirewallSchemeIsOfferedToTheHostCheck) {
  session_.state.sessionProfile.useFirewall = 1;
  firewall_ = {2, "127.0.0.1", server_.port(), "fw", std::nullopt};
  server_.reply("220 proxy").expectLine("USER anne@127.0.0.1").reply("230 Serv-U FTP Server")
      .expectLine("FEAT").reply("500 unknown");
  platform::closeSocket(logOn());
  EXPECT_THAT(checkedLines_, ElementsAre("220 proxy", "230 Serv-U FTP Server"));
}

TEST_F(LogonTest, RsxHostSkipsDetectionAndCanDelete) {
  session_.state.sessionProfile.hostType = kHostTypePdp11Rsx11m;
  server_.reply("220 ready").expectLine("USER anne").reply("230 in")
      .expectLine("FEAT").reply("500 unknown");
  platform::closeSocket(logOn());
  EXPECT_EQ(session_.state.DetectionDone, 1);
  EXPECT_EQ(session_.state.CanDelete, 1);
  EXPECT_THAT(checkedLines_, IsEmpty());
}

// Cancel during the greeting or the logon is the user's doing: no failure
// of the server's is reported.
TEST_F(LogonTest, CancelledLogonReadsCancelled) {
  server_.reply("220 ready").expectLine("USER anne").neverAnswer();
  server_.start();
  std::thread canceller([this] {
    while (server_.receivedLines().empty()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    while (!session_.blockingCalls.inProgress()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    requestCancel(session_);
  });
  EXPECT_EQ(logon(session_, ui_, firewall_), -1);
  canceller.join();
  EXPECT_THAT(log_.history(), Contains("+ Cancelled"));
  EXPECT_THAT(log_.history(), ::testing::Not(Contains("! Logon failure, so quitting")));
}

TEST_F(LogonTest, AlreadyConnectedOpensNothing) {
  session_.state.connected = 1;
  EXPECT_EQ(logon(session_, ui_, firewall_), -1);
  EXPECT_THAT(log_.history(), Contains("! Already connected"));
  EXPECT_THAT(log_.history(), ::testing::Not(Contains("- -")));
}

TEST_F(LogonTest, FirewallSectionOfTheIniFileDecidesTheScheme) {
  testing::ScratchConfiguration configuration;
  configuration.writeIni("[FIREWALL]\nFIRETYPE=5\nHOST=127.0.0.1\nPORT=" +
                         std::to_string(server_.port()) + "\nUID=fw\nPWD=" +
                         config::encodeSecret("fw", "stored pw") + "\n");
  session_.state.sessionProfile.hostName = kSiteHost;
  session_.state.sessionProfile.port = 1;
  session_.state.sessionProfile.useFirewall = 1;
  server_.reply("220 proxy").expectLine("USER fw@ftp.example.test").reply("331 fw password")
      .expectLine("PASS stored pw").reply("230 through").expectLine("USER anne").reply("230 in")
      .expectLine("FEAT").reply("500 unknown");
  server_.start();
  const int socket = logon(session_, ui_, config::readFirewallSettings(*configuration));
  EXPECT_TRUE(server_.waitUntilDone(kScriptTime));
  EXPECT_THAT(server_.failures(), IsEmpty());
  EXPECT_NE(socket, -1);
  platform::closeSocket(socket);
}

TEST(InitialCommands, PiecesEndAtSemicolonsAndOnlyTheLastEmptyOneIsDropped) {
  EXPECT_THAT(splitInitialCommands("SITE UMASK 022;;TYPE I;"),
              ElementsAre("SITE UMASK 022", "", "TYPE I"));
  EXPECT_THAT(splitInitialCommands(";"), ElementsAre(""));
  EXPECT_THAT(splitInitialCommands(""), IsEmpty());
}

}  // namespace
}  // namespace ferrix::session
