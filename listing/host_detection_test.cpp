#include "listing/host_detection.h"

#include <ferrixcore.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <optional>

#include "session/control_channel.h"
#include "session/logon.h"
#include "session/message_log.h"
#include "testing/scripted_ftp_server.h"
#include "testing/scripted_user_interface.h"

namespace ferrix::listing {
namespace {

using ::testing::Contains;
using session::MessageLog;
using session::Session;
using testing::ScriptedFtpServer;
using testing::ScriptedUserInterface;
using Buttons = ScriptedUserInterface::RemoteCommands;

constexpr std::chrono::milliseconds kScriptTime{5000};

// What DetectHostType asks the server and what it makes of the answers.
// Buttons are {make folder, rename, delete}; nothing when left alone.
struct DetectionCase {
  const char* name;
  int initialType;
  std::vector<std::pair<std::string, std::string>> dialogue;  // empty answer: close
  int hostType;
  const char* logLine;
  std::optional<Buttons> buttons;
  int canRmd;
  int useCdup;
};

const DetectionCase kCases[] = {
    {"SYST names UNIX", 6000, {{"SYST", "215 UNIX Type: L8"}}, FERRIX_HOST_TYPE_UNIX,
     "Host type (S): UNIX (standard)", Buttons{true, true, true}, 1, 1},
    {"known type is only logged", FERRIX_HOST_TYPE_KA9Q_NOS, {}, FERRIX_HOST_TYPE_KA9Q_NOS,
     "Host type (I): KA9Q/NOS", Buttons{true, false, true}, 1, 0},
    {"RSX deletes only; buttons left alone", 6000, {{"SYST", "215 RSX-11M"}},
     FERRIX_HOST_TYPE_PDP11_RSX11M, "Host type (S): PDP11 RSX11M", std::nullopt, 0, 1},
    {"CDC Cyber deletes only, without CDUP", 6000, {{"SYST", "215 CYBERB NOS/VE"}},
     FERRIX_HOST_TYPE_CDC_CYBER, "Host type (S): CDC Cyber", Buttons{false, false, true}, 0, 0},
    {"HELP names the family and lists the commands; its final line is not searched",
     6000,
     {{"SYST", "500 SYST not understood"},
      {"HELP",
       "214-PC FTP server commands:\r\n  USER PASS RETR STOR DELE\r\n  MKD XMKD RNFR RNTO\r\n"
       "214 RMD is not listed above"}},
     FERRIX_HOST_TYPE_QVT_NET_2_3, "Host type (3): QVT/Net 2/3", Buttons{true, true, true}, 0, 1},
    {"HELP from CUTCP", 6000,
     {{"SYST", "215 Something unheard of"}, {"HELP", "214-CUTCP help\r\n214 end"}},
     FERRIX_HOST_TYPE_NCSA_CUTCP, "Host type (3): NCSA/CUTCP", Buttons{false, false, false}, 0, 1},
    {"HELP from HellSoft", 6000, {{"SYST", "215 ?"}, {"HELP", "214 HellSoft NLM"}},
     FERRIX_HOST_TYPE_HELLSOFT, "Host type (3): HellSoft", Buttons{false, false, false}, 0, 1},
    {"HELP tests are case-sensitive", 6000, {{"SYST", "215 ?"}, {"HELP", "214 ncsa qvt"}},
     FERRIX_HOST_TYPE_UNIX, "Host type (3): UNIX (standard)", Buttons{false, false, false}, 0, 1},
    // Waiting for a 2xx line here would cost the whole reply time-out.
    {"refused HELP ends at once", 6000,
     {{"SYST", "502 no"}, {"HELP", "502 HELP not implemented"}}, FERRIX_HOST_TYPE_UNIX,
     "Host type (I): Automatic detect", Buttons{false, false, false}, 0, 1},
    {"connection lost in the middle of HELP", 6000,
     {{"SYST", "215 ?"}, {"HELP", "214-Commands:\r\n MKD DELE"}, {"", ""}}, FERRIX_HOST_TYPE_UNIX,
     "Host type (3): UNIX (standard)", Buttons{true, false, true}, 0, 1},
};

TEST(DetectHostType, AsksSystThenHelpAndSetsTheCapabilities) {
  for (const DetectionCase& c : kCases) {
    SCOPED_TRACE(c.name);
    platform::SystemClock clock;
    platform::SystemResolver resolver;
    MessageLog log;
    ScriptedFtpServer server;
    Session session(log, clock, resolver);
    ScriptedUserInterface ui;
    session.state.sessionProfile.hostType = c.initialType;
    bool closes = false;
    for (const auto& [line, answer] : c.dialogue) {
      if (line.empty()) {
        server.closeConnection();
        closes = true;
      } else {
        server.expectLine(line).reply(answer);
      }
    }
    // A NOOP after detection must get its own reply: HELP was read whole.
    if (!closes) server.expectLine("NOOP").reply("200 NOOP ok");
    server.start();
    int& socket = session.state.controlSocket;
    socket = session::openControlConnection(session, "127.0.0.1", server.port());
    DetectHostType(session, ui);
    if (!closes) {
      EXPECT_EQ(session::sendCommand(session, socket, "NOOP"), 2);
      EXPECT_EQ(session.state.replyLine, "200 NOOP ok");
    }
    EXPECT_TRUE(server.waitUntilDone(kScriptTime));
    EXPECT_TRUE(server.failures().empty());
    const session::SessionState& state = session.state;
    EXPECT_EQ(state.sessionProfile.hostType, c.hostType);
    EXPECT_THAT(log.history(), Contains(c.logLine));
    EXPECT_EQ(ui.remoteCommands(), c.buttons);
    EXPECT_EQ(state.CanRmd, c.canRmd);
    EXPECT_EQ(state.UseCdup, c.useCdup);
    EXPECT_EQ(state.DetectionDone, 1);
    EXPECT_EQ(state.commandInProgress, 0);
    platform::closeSocket(socket);
  }
}

TEST(DetectHostType, HelpThatCannotBeSentMeansEveryCommand) {
  platform::SystemClock clock;
  platform::SystemResolver resolver;
  MessageLog log;
  Session session(log, clock, resolver);
  ScriptedUserInterface ui;
  DetectHostType(session, ui);
  EXPECT_EQ(session.state.sessionProfile.hostType, FERRIX_HOST_TYPE_AUTOMATIC);
  EXPECT_EQ(ui.remoteCommands(), (Buttons{true, true, true}));
  EXPECT_EQ(session.state.CanRmd, 1);
}

TEST(CheckReplyForHostType, GreetingNamingTheServerSetsTheTypeOnce) {
  platform::SystemClock clock;
  platform::SystemResolver resolver;
  MessageLog log;
  ScriptedFtpServer server;
  Session session(log, clock, resolver);
  ScriptedUserInterface ui;
  session.onGreetingLine = CheckReplyForHostType;
  session.state.sessionProfile.hostName = "127.0.0.1";
  session.state.sessionProfile.port = server.port();
  session.state.sessionProfile.userId = "anne";
  server.reply("220-Novell LAN WorkPlace Pro FTP").reply("220 Serv-U FTP Server ready")
      .expectLine("USER anne").reply("230 in").expectLine("FEAT").reply("500 unknown");
  server.start();
  const int socket = session::logon(session, ui, config::FirewallSettings{});
  EXPECT_TRUE(server.waitUntilDone(kScriptTime));
  // The longer name wins over its prefix, and the first type found stays.
  EXPECT_EQ(session.state.sessionProfile.hostType, FERRIX_HOST_TYPE_NOVELL_LWP);
  EXPECT_THAT(log.history(), Contains("Host type (1): Novell LWP"));
  platform::closeSocket(socket);
}

}  // namespace
}  // namespace ferrix::listing
