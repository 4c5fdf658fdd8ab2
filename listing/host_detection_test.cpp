#include "listing/host_detection.h"

#include <ferrixcore.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "session/control_channel.h"
#include "session/logon.h"
#include "session/message_log.h"
#include "testing/scripted_ftp_server.h"
#include "testing/scripted_user_interface.h"

namespace ferrix::listing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using session::MessageLog;
using session::Session;
using testing::ScriptedFtpServer;
using testing::ScriptedUserInterface;
using RemoteCommands = ScriptedUserInterface::RemoteCommands;

constexpr std::chrono::milliseconds kScriptTime{5000};

// A logged-on session against the scripted server, its host type still to
// be detected.
class HostDetectionTest : public ::testing::Test {
 protected:
  HostDetectionTest() : session_(log_, clock_, resolver_) {
    session_.onGreetingLine = CheckReplyForHostType;
  }
  ~HostDetectionTest() override {
    if (session_.state.controlSocket != -1) platform::closeSocket(session_.state.controlSocket);
  }

  void connect() {
    server_.start();
    session_.state.controlSocket =
        session::openControlConnection(session_, "127.0.0.1", server_.port());
    ASSERT_NE(session_.state.controlSocket, -1);
  }

  void detect() {
    connect();
    DetectHostType(session_, ui_);
    EXPECT_TRUE(server_.waitUntilDone(kScriptTime));
    EXPECT_THAT(server_.failures(), IsEmpty());
  }

  int hostType() const { return session_.state.sessionProfile.hostType; }

  bool logged(const std::string& line) const {
    const std::vector<std::string> history = log_.history();
    return std::find(history.begin(), history.end(), line) != history.end();
  }

  platform::SystemClock clock_;
  platform::SystemResolver resolver_;
  MessageLog log_;
  ScriptedFtpServer server_;
  Session session_;
  ScriptedUserInterface ui_;
};

TEST_F(HostDetectionTest, GreetingNamingTheServerSetsTheTypeDuringLogon) {
  session::SessionState& state = session_.state;
  state.sessionProfile.hostName = "127.0.0.1";
  state.sessionProfile.port = server_.port();
  state.sessionProfile.userId = "anne";
  server_.reply("220-Welcome").reply("220 Serv-U FTP Server v2.5 ready")
      .expectLine("USER anne").reply("230 in");
  server_.start();
  state.controlSocket = session::logon(session_, ui_, config::FirewallSettings{});
  EXPECT_TRUE(server_.waitUntilDone(kScriptTime));
  EXPECT_EQ(hostType(), FERRIX_HOST_TYPE_SERV_U);
  EXPECT_TRUE(logged("Host type (1): Serv-U"));
}

TEST_F(HostDetectionTest, ReplyIsCheckedOnlyWhileTheTypeIsAutomatic) {
  CheckReplyForHostType(session_, "220 Novell LAN WorkPlace Pro FTP");
  EXPECT_EQ(hostType(), FERRIX_HOST_TYPE_NOVELL_LWP);
  CheckReplyForHostType(session_, "220 Serv-U FTP Server");
  EXPECT_EQ(hostType(), FERRIX_HOST_TYPE_NOVELL_LWP);
  CheckReplyForHostType(session_, "");
  EXPECT_EQ(hostType(), FERRIX_HOST_TYPE_NOVELL_LWP);
}

TEST_F(HostDetectionTest, SystReplyNamesTheTypeAndItsCapabilities) {
  server_.expectLine("SYST").reply("215 UNIX Type: L8");
  detect();
  EXPECT_EQ(hostType(), FERRIX_HOST_TYPE_UNIX);
  EXPECT_TRUE(logged("Host type (S): UNIX (standard)"));
  EXPECT_EQ(session_.state.DetectionDone, 1);
  EXPECT_EQ(ui_.remoteCommands(), (RemoteCommands{true, true, true}));
  EXPECT_EQ(session_.state.CanRmd + session_.state.UseCdup, 2);
}

// Types whose servers lack some commands, detected by SYST.
struct CapabilityCase {
  const char* syst;
  int hostType;
  int canDelete, canRename, canRmd, canMkd, useCdup;
};

TEST(HostCapabilities, LimitedServersOfferOnlyTheirCommands) {
  const CapabilityCase cases[] = {
      {"215 RSX-11M", FERRIX_HOST_TYPE_PDP11_RSX11M, 1, 0, 0, 0, 1},
      {"215 CYBERB NOS/VE", FERRIX_HOST_TYPE_CDC_CYBER, 1, 0, 0, 0, 0},
      {"215 UniTree", FERRIX_HOST_TYPE_UNITREE, 1, 1, 1, 1, 1},
      {"215 Windows_NT version 4.0", FERRIX_HOST_TYPE_MICROSOFT_NT, 1, 1, 1, 1, 1},
  };
  for (const CapabilityCase& c : cases) {
    SCOPED_TRACE(c.syst);
    platform::SystemClock clock;
    platform::SystemResolver resolver;
    MessageLog log;
    ScriptedFtpServer server;
    Session session(log, clock, resolver);
    ScriptedUserInterface ui;
    server.expectLine("SYST").reply(c.syst);
    server.start();
    session.state.controlSocket = session::openControlConnection(session, "127.0.0.1", server.port());
    DetectHostType(session, ui);
    EXPECT_TRUE(server.waitUntilDone(kScriptTime));
    const session::SessionState& state = session.state;
    EXPECT_EQ(state.sessionProfile.hostType, c.hostType);
    EXPECT_EQ(state.CanDelete, c.canDelete);
    EXPECT_EQ(state.CanRename, c.canRename);
    EXPECT_EQ(state.CanRmd, c.canRmd);
    EXPECT_EQ(state.CanMkd, c.canMkd);
    EXPECT_EQ(state.UseCdup, c.useCdup);
    // The RSX server's buttons are left alone.
    EXPECT_EQ(ui.remoteCommands().has_value(), c.hostType != FERRIX_HOST_TYPE_PDP11_RSX11M);
    platform::closeSocket(state.controlSocket);
  }
}

TEST_F(HostDetectionTest, KnownTypeIsOnlyLogged) {
  session_.state.sessionProfile.hostType = FERRIX_HOST_TYPE_KA9Q_NOS;
  detect();
  EXPECT_TRUE(logged("Host type (I): KA9Q/NOS"));
  EXPECT_THAT(server_.receivedLines(), IsEmpty());
  EXPECT_EQ(ui_.remoteCommands(), (RemoteCommands{true, false, true}));
  EXPECT_EQ(session_.state.UseCdup, 0);
}

TEST_F(HostDetectionTest, HelpNamesTheServerAndListsItsCommands) {
  server_.expectLine("SYST").reply("500 SYST not understood")
      .expectLine("HELP")
      .reply("214-PC FTP server commands:")
      .reply("  USER PASS RETR STOR DELE")
      .reply("  MKD XMKD RNFR RNTO")
      .reply("214 RMD is not listed above");
  detect();
  EXPECT_EQ(hostType(), FERRIX_HOST_TYPE_QVT_NET_2_3);
  EXPECT_TRUE(logged("Host type (I): Automatic detect"));
  EXPECT_TRUE(logged("Host type (3): QVT/Net 2/3"));
  EXPECT_TRUE(logged("214 RMD is not listed above"));
  // The final line is not searched for commands.
  EXPECT_EQ(session_.state.CanRmd, 0);
  EXPECT_EQ(ui_.remoteCommands(), (RemoteCommands{true, true, true}));
}

// The first HELP line decides the type.
TEST(HelpDetection, FirstLineNamesTheFamily) {
  const std::pair<const char*, int> cases[] = {
      {"214-NCSA Telnet FTP server", FERRIX_HOST_TYPE_NCSA_CUTCP},
      {"214-CUTCP help", FERRIX_HOST_TYPE_NCSA_CUTCP},
      {"214-MACB commands", FERRIX_HOST_TYPE_MAC_NCSA},
      {"214-HellSoft NLM", FERRIX_HOST_TYPE_HELLSOFT},
      {"214-QVT/Net FTP", FERRIX_HOST_TYPE_QVT_NET_2_3},
      {"214-The following commands are recognized", FERRIX_HOST_TYPE_UNIX},
      {"214 ncsa in lower case", FERRIX_HOST_TYPE_UNIX},
  };
  for (const auto& [line, type] : cases) {
    SCOPED_TRACE(line);
    platform::SystemClock clock;
    platform::SystemResolver resolver;
    MessageLog log;
    ScriptedFtpServer server;
    Session session(log, clock, resolver);
    ScriptedUserInterface ui;
    server.expectLine("SYST").reply("215 Something unheard of").expectLine("HELP").reply(line);
    if (line[3] == '-') server.reply("214 end");
    server.start();
    session.state.controlSocket = session::openControlConnection(session, "127.0.0.1", server.port());
    DetectHostType(session, ui);
    EXPECT_TRUE(server.waitUntilDone(kScriptTime));
    EXPECT_EQ(session.state.sessionProfile.hostType, type);
    platform::closeSocket(session.state.controlSocket);
  }
}

TEST_F(HostDetectionTest, RefusedHelpEndsAtOnceWithoutCommands) {
  server_.expectLine("SYST").reply("502 no").expectLine("HELP").reply("502 HELP not implemented")
      .expectLine("NOOP").reply("200 ok");
  connect();
  DetectHostType(session_, ui_);
  EXPECT_EQ(hostType(), FERRIX_HOST_TYPE_UNIX);
  EXPECT_EQ(ui_.remoteCommands(), (RemoteCommands{false, false, false}));
  // The connection is still in step: the next command gets its own reply.
  EXPECT_EQ(session::sendCommand(session_, session_.state.controlSocket, "NOOP"), 2);
  EXPECT_EQ(session_.state.replyLine, "200 ok");
  EXPECT_TRUE(server_.waitUntilDone(kScriptTime));
}

TEST_F(HostDetectionTest, ConnectionLostDuringHelpStopsTheScan) {
  server_.expectLine("SYST").reply("215 Nothing known").expectLine("HELP")
      .reply("214-Commands:").reply(" MKD DELE").closeConnection();
  detect();
  EXPECT_EQ(hostType(), FERRIX_HOST_TYPE_UNIX);
  EXPECT_EQ(ui_.remoteCommands(), (RemoteCommands{true, false, true}));
  EXPECT_EQ(session_.state.commandInProgress, 0);
}

TEST_F(HostDetectionTest, HelpThatCannotBeSentMeansEveryCommand) {
  DetectHostType(session_, ui_);
  EXPECT_EQ(hostType(), FERRIX_HOST_TYPE_AUTOMATIC);
  EXPECT_EQ(ui_.remoteCommands(), (RemoteCommands{true, true, true}));
  EXPECT_EQ(session_.state.commandInProgress, 0);
}

}  // namespace
}  // namespace ferrix::listing
