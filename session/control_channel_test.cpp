#include "session/control_channel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/socket_errors.h"
#include "session/connection.h"
#include "session/message_log.h"
#include "testing/fake_clock.h"
#include "testing/scripted_ftp_server.h"

namespace ferrix::session {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;
using std::chrono::milliseconds;
using testing::ScriptedFtpServer;

constexpr milliseconds kScriptTime{5000};

// A resolver that answers from a fixed table, so host names need no DNS.
class TableResolver final : public platform::Resolver {
 public:
  int resolve(const std::string& host, std::vector<platform::SocketAddress>& addresses) override {
    if (host != "ftp.example.test") return platform::socket_error::kHostNotFound;
    addresses = answer;
    return 0;
  }
  std::vector<platform::SocketAddress> answer;
};

// A loopback port nobody listens on.
std::uint16_t closedPort() {
  const int socket = platform::createStreamSocket();
  platform::listenOn(socket, {0x7f000001, 0}, 1);
  const std::uint16_t port = platform::localAddressOf(socket)->port;
  platform::closeSocket(socket);
  return port;
}

class ControlChannelTest : public ::testing::Test {
 protected:
  explicit ControlChannelTest(platform::Clock& clock = systemClock_)
      : session_(log_, clock, resolver_) {}

  int connect() {
    server_.start();
    return openControlConnection(session_, "127.0.0.1", server_.port());
  }

  std::vector<std::string> logged() const {
    std::vector<std::string> lines = log_.history();
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
  }

  void expectScriptDone() {
    EXPECT_TRUE(server_.waitUntilDone(kScriptTime));
    EXPECT_THAT(server_.failures(), IsEmpty());
  }

  static inline platform::SystemClock systemClock_;
  MessageLog log_;
  TableResolver resolver_;
  Session session_;
  ScriptedFtpServer server_;
};

TEST_F(ControlChannelTest, MultiLineReplyEndsAtItsOwnCode) {
  server_.reply("220 ready").expectLine("USER anne").send("230-Welcome\r\n text\r\n230 Done\r\n");
  const int socket = connect();
  ASSERT_NE(socket, -1);
  EXPECT_EQ(getReply(session_, socket), 2);
  EXPECT_EQ(sendCommand(session_, socket, "USER %s", "anne"), 2);
  EXPECT_EQ(session_.state.replyCode, 230);
  EXPECT_EQ(session_.state.replyLine, "230 Done");
  const std::vector<std::string> lines = logged();
  EXPECT_THAT(std::vector<std::string>(lines.end() - 4, lines.end()),
              ElementsAre("USER anne", "230-Welcome", " text", "230 Done"));
  expectScriptDone();
  platform::closeSocket(socket);
}

// Each case is what the server sends as one reply (in one write unless a
// piece size is given) and what getReply makes of it.
struct ReplyCase {
  const char* name;
  std::string bytes;
  std::size_t pieceSize;
  int replyClass;
  int replyCode;
  std::string lastLine;
};

TEST_F(ControlChannelTest, OddRepliesAreReadAsTheRulesSay) {
  const std::string longText(5000, 'x');
  const ReplyCase cases[] = {
      {"other codes continue", "220-a\r\n530 b\r\n220 c\r\n", 0, 2, 220, "220 c"},
      {"first line without code", "hello\r\n331 ok\r\n", 0, 3, 331, "331 ok"},
      {"code outside 100..599", "700 odd\r\n220 ok\r\n", 0, 2, 220, "220 ok"},
      {"bytes above 127", "220 caf\xe9 \xff\r\n", 0, 2, 220, "220 caf\xe9 \xff"},
      {"NUL ends the line", std::string("220 hello\0world\r\n", 17), 0, 2, 220, "220 hello"},
      {"5000 characters", "200-" + longText + "\r\n200 end\r\n", 0, 2, 200, "200 end"},
      {"byte by byte", "331 Password required\r\n", 1, 3, 331, "331 Password required"},
      {"bare LF", "250 ok\n", 0, 2, 250, "250 ok"},
  };
  for (const ReplyCase& c : cases) {
    SCOPED_TRACE(c.name);
    MessageLog log;
    Session session(log, systemClock_, resolver_);
    ScriptedFtpServer server;
    if (c.pieceSize == 0) {
      server.send(c.bytes);
    } else {
      server.sendInPieces(c.bytes, c.pieceSize, milliseconds(1));
    }
    server.start();
    const int socket = openControlConnection(session, "127.0.0.1", server.port());
    ASSERT_NE(socket, -1);
    EXPECT_EQ(getReply(session, socket), c.replyClass);
    EXPECT_EQ(session.state.replyCode, c.replyCode);
    EXPECT_EQ(session.state.replyLine, c.lastLine);
    EXPECT_EQ(session.state.exchange.depth(), 0);
    platform::closeSocket(socket);
  }
}

TEST_F(ControlChannelTest, SecondLineOfOnePacketComesFromPendingInput) {
  server_.send("220 one\r\n230 two\r\n").closeConnection();
  const int socket = connect();
  EXPECT_EQ(readReplyLine(session_, socket), 220);
  EXPECT_TRUE(server_.waitUntilDone(kScriptTime));
  // The server has closed: only the pending input can give the second line.
  EXPECT_EQ(readReplyLine(session_, socket), 230);
  EXPECT_EQ(session_.state.replyLine, "230 two");
  EXPECT_EQ(readReplyLine(session_, socket), 421);
  platform::closeSocket(socket);
}

TEST_F(ControlChannelTest, OverlongLineIsReturnedInPieces) {
  const std::string text = "200 " + std::string(1496, 'y');
  server_.send(text + "\r\n");
  const int socket = connect();
  EXPECT_EQ(readReplyLine(session_, socket), 200);
  const std::string first = session_.state.replyLine;
  EXPECT_LE(first.size(), 1024u);
  EXPECT_EQ(readReplyLine(session_, socket), 0);
  EXPECT_EQ(first + session_.state.replyLine, text);
  platform::closeSocket(socket);
}

TEST_F(ControlChannelTest, ServerClosingMidReplyGives421) {
  server_.send("230-partial\r\n").closeConnection();
  const int socket = connect();
  EXPECT_EQ(getReply(session_, socket), 4);
  EXPECT_EQ(session_.state.replyCode, 421);
  EXPECT_TRUE(session_.state.cancelRequested);
  platform::closeSocket(socket);
}

TEST_F(ControlChannelTest, ResetConnectionIsAReceiveError) {
  server_.delay(milliseconds(100)).resetConnection();
  const int socket = connect();
  EXPECT_TRUE(server_.waitUntilDone(kScriptTime));
  EXPECT_EQ(getReply(session_, socket), 4);
  EXPECT_THAT(logged(), Contains("! Receive error: connection reset"));
  platform::closeSocket(socket);
}

TEST_F(ControlChannelTest, CancelFromAnotherThreadEndsTheWaitAtOnce) {
  server_.neverAnswer();
  const int socket = connect();
  std::chrono::steady_clock::time_point cancelledAt;
  std::thread canceller([&] {
    while (!session_.blockingCalls.inProgress()) std::this_thread::sleep_for(milliseconds(1));
    cancelledAt = std::chrono::steady_clock::now();
    requestCancel(session_);
  });
  EXPECT_EQ(getReply(session_, socket), 4);
  const auto returnedAt = std::chrono::steady_clock::now();
  canceller.join();
  EXPECT_LT(returnedAt - cancelledAt, milliseconds(100));
  EXPECT_EQ(session_.state.replyCode, 421);
  EXPECT_THAT(logged(), Contains("! Receive error: Blocking call cancelled"));
  platform::closeSocket(socket);
}

// A server must not hold the session with a reply that never ends: each
// case keeps sending well past the reply time-out or the size limit.
TEST_F(ControlChannelTest, ReplyOverItsTimeOrSizeLimitFailsLikeATimeOut) {
  struct Case {
    const char* name;
    std::string bytes;
    std::size_t pieceSize;
    const char* reason;
  };
  std::string endless;
  for (int line = 0; line < 400; ++line) endless += "123-still talking\r\n";
  const std::string huge(kReplyByteLimit + 4096, 'x');
  const Case cases[] = {
      {"endless multi-line reply", endless, 19, "! Reply not complete within 1 seconds"},
      {"greeting trickling byte by byte", "220 " + std::string(400, 'w'), 1,
       "! Reply not complete within 1 seconds"},
      {"reply over the size limit", "220-" + huge, 65536,
       "! Reply longer than 1048576 bytes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    log_.setVerbose(false);
    ScriptedFtpServer server;
    server.sendInPieces(c.bytes, c.pieceSize, milliseconds(10)).neverAnswer();
    server.start();
    const int socket = openControlConnection(session_, "127.0.0.1", server.port());
    ASSERT_NE(socket, -1);
    session_.state.replyTimeoutSeconds = 1;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(getReply(session_, socket), 4);
    EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(1500));
    EXPECT_EQ(session_.state.replyCode, 421);
    EXPECT_THAT(logged(), Contains(c.reason));
    EXPECT_THAT(logged(), Contains("! Receive error: Blocking call cancelled"));
    platform::closeSocket(socket);
  }
}

// Cancel while a command waits leaves its reply to come; the next command
// must not take it for its own.
TEST_F(ControlChannelTest, LateReplyOfACancelledCommandIsReadBeforeTheNextCommand) {
  server_.reply("220 ready").expectLine("CWD /slow").delay(milliseconds(300))
      .reply("250 CWD done").expectLine("PWD").reply("257 \"/slow\"");
  const int socket = connect();
  ASSERT_EQ(getReply(session_, socket), 2);
  std::thread canceller([this] {
    while (server_.receivedLines().empty()) std::this_thread::sleep_for(milliseconds(1));
    while (!session_.blockingCalls.inProgress()) std::this_thread::sleep_for(milliseconds(1));
    requestCancel(session_);
  });
  EXPECT_EQ(sendCommand(session_, socket, "CWD %s", "/slow"), 4);
  canceller.join();
  EXPECT_EQ(sendCommand(session_, socket, "PWD"), 2);
  EXPECT_EQ(session_.state.replyLine, "257 \"/slow\"");
  expectScriptDone();
  platform::closeSocket(socket);
}

TEST_F(ControlChannelTest, CancelledCommandWhoseReplyNeverComesEndsTheConnection) {
  server_.reply("220 ready").expectLine("CWD /slow").neverAnswer();
  const int socket = connect();
  ASSERT_EQ(getReply(session_, socket), 2);
  std::thread canceller([this] {
    while (server_.receivedLines().empty()) std::this_thread::sleep_for(milliseconds(1));
    while (!session_.blockingCalls.inProgress()) std::this_thread::sleep_for(milliseconds(1));
    requestCancel(session_);
  });
  EXPECT_EQ(sendCommand(session_, socket, "CWD %s", "/slow"), 4);
  canceller.join();
  EXPECT_EQ(sendCommand(session_, socket, "PWD"), 0);
  EXPECT_EQ(session_.state.replyCode, 421);
  EXPECT_THAT(logged(), Contains("! No late reply came; the connection is closed"));
  EXPECT_THAT(server_.receivedLines(), Not(Contains("PWD")));
  platform::closeSocket(socket);
}

TEST_F(ControlChannelTest, CommandTextsWithLineBreaksAreNeverSent) {
  server_.expectLine("NOOP").reply("200 ok");
  const int socket = connect();
  EXPECT_EQ(sendCommand(session_, socket, "DELE %s", "a\r\nRMD b"), 0);
  EXPECT_EQ(sendCommand(session_, socket, "CWD %s", "x\ny"), 0);
  EXPECT_EQ(sendCommand(session_, socket, "CWD %c", '\0'), 0);
  EXPECT_EQ(sendCommandText(session_, socket, std::string("RETR a\0b", 8)), 0);
  EXPECT_EQ(sendCommandText(session_, socket, "PASS secret\r\n"), 0);
  EXPECT_EQ(session_.state.commandInProgress, 0);
  EXPECT_EQ(sendCommand(session_, socket, "NOOP"), 2);
  expectScriptDone();
  EXPECT_THAT(server_.receivedLines(), ElementsAre("NOOP"));
  EXPECT_THAT(logged(), Contains("! Command not sent: it contains a line break or NUL character"));
  platform::closeSocket(socket);
}

TEST_F(ControlChannelTest, PasswordKeepsTrailingBlanksOtherCommandsLoseThem) {
  server_.expectLine("PASS secret ").reply("230 in").expectLine("CWD folder").reply("250 ok")
      .expectLine("ACCT money").reply("202 fine");
  const int socket = connect();
  EXPECT_EQ(sendCommand(session_, socket, "PASS %s", "secret "), 2);
  EXPECT_EQ(sendCommand(session_, socket, "CWD %s", "folder  \t"), 2);
  EXPECT_EQ(sendCommandText(session_, socket, "ACCT money"), 2);
  expectScriptDone();
  EXPECT_THAT(logged(), Contains("PASS (hidden)"));
  EXPECT_THAT(logged(), Contains("ACCT (hidden)"));
  EXPECT_THAT(logged(), Not(Contains(::testing::HasSubstr("secret"))));
  platform::closeSocket(socket);
}

TEST_F(ControlChannelTest, NoopTrafficIsEchoedOnlyInVerboseMode) {
  server_.expectLine("NOOP").reply("200 NOOP command successful")
      .expectLine("NOOP").reply("200 NOOP command successful");
  const int socket = connect();
  sendCommand(session_, socket, "NOOP");
  EXPECT_THAT(logged(), Not(Contains(::testing::HasSubstr("NOOP"))));
  log_.setVerbose(true);
  sendCommand(session_, socket, "NOOP");
  const std::vector<std::string> lines = logged();
  EXPECT_THAT(std::vector<std::string>(lines.end() - 2, lines.end()),
              ElementsAre("NOOP", "200 NOOP command successful"));
  expectScriptDone();
  platform::closeSocket(socket);
}

TEST_F(ControlChannelTest, NestedCommandIsRefusedAndNotConnectedIsReported) {
  session_.state.commandInProgress = 1;
  EXPECT_EQ(sendCommand(session_, 5, "NOOP"), 4);
  EXPECT_EQ(session_.state.replyCode, 400);
  EXPECT_EQ(sendCommandText(session_, 5, "NOOP"), 5);
  EXPECT_EQ(session_.state.replyCode, 0);
  session_.state.commandInProgress = 0;
  EXPECT_EQ(sendCommand(session_, -1, "PWD"), 0);
  EXPECT_THAT(logged(), ElementsAre("PWD", "! Not connected, ignored"));
}

TEST_F(ControlChannelTest, RefusedPortIsLogged) {
  const std::uint16_t port = closedPort();
  EXPECT_EQ(openControlConnection(session_, "127.0.0.1", port), -1);
  EXPECT_THAT(logged(), ElementsAre("- -", "connecting to 127.0.0.1:" + std::to_string(port),
                                    "! Connection failed 127.0.0.1 - connection refused"));
}

TEST_F(ControlChannelTest, UnknownHostNameIsLogged) {
  EXPECT_EQ(openControlConnection(session_, "nowhere.example.test", 21), -1);
  EXPECT_THAT(logged(), ElementsAre("- -", "! Can't get \"nowhere.example.test\" host entry"));
}

// A name may resolve to IPv6 first; each address is tried in order, each
// with a socket of its own family.
TEST_F(ControlChannelTest, NameWithAnIpv6AndAnIpv4AddressTriesBothInOrder) {
  server_.start();
  resolver_.answer = {*platform::parseNumericAddress("::1"), {0x7f000001, 0}};
  const int socket = openControlConnection(session_, "ftp.example.test", server_.port());
  ASSERT_NE(socket, -1);
  const std::string port = std::to_string(server_.port());
  EXPECT_THAT(logged(), ElementsAre("- -", "connecting to [::1]:" + port,
                                    "! Connection failed ftp.example.test - connection refused",
                                    "connecting to 127.0.0.1:" + port,
                                    "Connected to 127.0.0.1 port " + port));
  platform::closeSocket(socket);
}

TEST_F(ControlChannelTest, BracketedIpv6LiteralConnects) {
  const int listener = platform::createStreamSocket(platform::AddressFamily::kIpv6);
  ASSERT_TRUE(platform::listenOn(listener, *platform::parseNumericAddress("::1"), 1));
  const std::uint16_t port = platform::localAddressOf(listener)->port;
  const int socket = openControlConnection(session_, "[::1]", port);
  EXPECT_NE(socket, -1);
  EXPECT_THAT(logged(), Contains("Connected to ::1 port " + std::to_string(port)));
  platform::closeSocket(socket);
  platform::closeSocket(listener);
}

TEST_F(ControlChannelTest, NameWithTwoAddressesConnectsToTheOneThatAnswers) {
  server_.start();
  // 127.0.0.2 is loopback too, but nothing listens there.
  resolver_.answer = {{0x7f000002, 0}, {0x7f000001, 0}};
  const int socket = openControlConnection(session_, "ftp.example.test", server_.port());
  ASSERT_NE(socket, -1);
  const std::string port = std::to_string(server_.port());
  EXPECT_THAT(logged(), ElementsAre("- -", "connecting to 127.0.0.2:" + port,
                                    "! Connection failed ftp.example.test - connection refused",
                                    "connecting to 127.0.0.1:" + port,
                                    "Connected to 127.0.0.1 port " + port));
  platform::closeSocket(socket);
}

TEST_F(ControlChannelTest, RetriesMakeOneAttemptMoreThanTheirCount) {
  const std::uint16_t port = closedPort();
  session_.state.sessionProfile.retries = 2;
  int attempts = 0;
  const int socket = connectWithRetries(session_, [&](Session& session) {
    ++attempts;
    return openControlConnection(session, "127.0.0.1", port);
  });
  EXPECT_EQ(socket, -1);
  EXPECT_EQ(attempts, 3);
  int connecting = 0;
  int failed = 0;
  for (const std::string& line : logged()) {
    connecting += line.starts_with("connecting to 127.0.0.1:");
    failed += line.starts_with("! Connection failed");
  }
  EXPECT_EQ(connecting, 3);
  EXPECT_EQ(failed, 3);
}

TEST_F(ControlChannelTest, DisconnectSendsQuitAndResetsTheSession) {
  server_.expectLine("QUIT").reply("221 Goodbye").waitForClientClose();
  session_.state.controlSocket = connect();
  session_.state.connected = 1;
  session_.state.CanMkd = session_.state.CanDelete = 1;
  session_.state.UseCdup = 0;
  EXPECT_EQ(disconnectSession(session_), 0);
  EXPECT_EQ(session_.state.controlSocket, -1);
  EXPECT_EQ(session_.state.CanMkd + session_.state.CanDelete, 0);
  EXPECT_EQ(session_.state.UseCdup, 1);
  expectScriptDone();
}

TEST_F(ControlChannelTest, KeepAliveSendsNoopOnlyWhenIdle) {
  server_.expectLine("NOOP").reply("200 NOOP ok");
  session_.state.controlSocket = connect();
  session_.state.commandInProgress = 1;
  EXPECT_TRUE(keepAliveTimerProc(session_));
  session_.state.commandInProgress = 0;
  EXPECT_TRUE(keepAliveTimerProc(session_));
  expectScriptDone();
  EXPECT_THAT(server_.receivedLines(), ElementsAre("NOOP"));
  EXPECT_THAT(logged(), Not(Contains(::testing::HasSubstr("NOOP"))));
  platform::closeSocket(session_.state.controlSocket);
  session_.state.controlSocket = -1;
  EXPECT_FALSE(keepAliveTimerProc(session_));
}

TEST_F(ControlChannelTest, WatchdogCancelsABlockedWaitWhenItsTicksRunOut) {
  server_.neverAnswer();
  const int socket = connect();
  session_.state.sessionProfile.timeoutSeconds = 10;
  startWatchdog(session_);
  std::thread watchdog([&] {
    while (!session_.blockingCalls.inProgress()) std::this_thread::sleep_for(milliseconds(1));
    EXPECT_TRUE(watchdogTimerProc(session_, kWatchdogTimerId));
    EXPECT_TRUE(watchdogTimerProc(session_, kKeepAliveTimerId));
    EXPECT_FALSE(watchdogTimerProc(session_, kWatchdogTimerId));
  });
  EXPECT_EQ(getReply(session_, socket), 4);
  watchdog.join();
  EXPECT_THAT(logged(), Contains("! Timer cancelled blocking call"));
  platform::closeSocket(socket);
}

testing::FakeClock fakeClock_;

class ControlChannelTimeoutTest : public ControlChannelTest {
 protected:
  ControlChannelTimeoutTest() : ControlChannelTest(fakeClock_) {}
};

TEST_F(ControlChannelTimeoutTest, SilentServerTimesOutAfterTheReplyTimeout) {
  server_.neverAnswer();
  const int socket = connect();
  session_.state.replyTimeoutSeconds = 65;
  std::thread clockMover([&] {
    while (!session_.blockingCalls.inProgress()) std::this_thread::sleep_for(milliseconds(1));
    fakeClock_.advance(64'000);
    std::this_thread::sleep_for(milliseconds(100));
    EXPECT_TRUE(session_.blockingCalls.inProgress());
    fakeClock_.advance(1'000);
  });
  EXPECT_EQ(getReply(session_, socket), 4);
  clockMover.join();
  EXPECT_EQ(session_.state.replyCode, 421);
  EXPECT_THAT(logged(), Contains("! Receive error: Blocking call cancelled"));
  platform::closeSocket(socket);
}

TEST(SocketErrorText, KnownCodesHaveTheirTextsAndOthersTheirNumber) {
  EXPECT_EQ(socketErrorText(10004), "Blocking call cancelled");
  EXPECT_EQ(socketErrorText(10061), "connection refused");
  EXPECT_EQ(socketErrorText(10093), "WSA Startup not initialized");
  EXPECT_EQ(socketErrorText(11002), "Host not found or server failure");
  EXPECT_EQ(socketErrorText(11004), "Valid name, no data record for type");
  EXPECT_EQ(socketErrorText(12345), "error 12345");
}

}  // namespace
}  // namespace ferrix::session
