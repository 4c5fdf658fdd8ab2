#include "session/data_channel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "session/connection.h"
#include "session/control_channel.h"
#include "session/message_log.h"
#include "session/passive_reply.h"
#include "session/sound_events.h"
#include "testing/fake_clock.h"
#include "testing/scripted_ftp_server.h"

namespace ferrix::session {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using std::chrono::milliseconds;
using testing::ScriptedFtpServer;
using Outcome = DataExchangeResult::Outcome;
using Status = PassiveAddress::Status;

constexpr milliseconds kScriptTime{5000};

std::uint32_t ipv4(unsigned a, unsigned b, unsigned c, unsigned d) {
  return a << 24 | b << 16 | c << 8 | d;
}

// ---- Reading PASV replies ----

struct PassiveCase {
  const char* reply;
  Status status;
  std::uint32_t address;
  std::uint16_t port;
  const char* addressText;
};

TEST(PassiveReply, AddressIsReadAsTheRulesSay) {
  const PassiveCase cases[] = {
      {"227 Entering Passive Mode (192,168,1,2,19,137)", Status::kOk, ipv4(192, 168, 1, 2), 5001,
       "192,168,1,2,19,137"},
      {"227 =10,0,0,6,4,1", Status::kOk, ipv4(10, 0, 0, 6), 1025, "10,0,0,6,4,1"},
      {"227 Entering Passive Mode (1, 2, 3, 4, 0, 21)", Status::kOk, ipv4(1, 2, 3, 4), 21,
       "1, 2, 3, 4, 0, 21"},
      {"227 Passive (9,8,7,6,255,255", Status::kOk, ipv4(9, 8, 7, 6), 65535, "9,8,7,6,255,255"},
      {"227 (0,0,0,0,0,0).", Status::kOk, 0, 0, "0,0,0,0,0,0"},
      {"227 Entering Passive Mode (1,2,3,4,5)", Status::kBadAddress, 0, 0, "1,2,3,4,5"},
      {"227 Entering Passive Mode (1,2,3,256,5,6)", Status::kBadAddress, 0, 0, "1,2,3,256,5,6"},
      {"227 Entering Passive Mode (1,2,3,4,5,300)", Status::kBadAddress, 0, 0, "1,2,3,4,5,300"},
      {"227 (99999999999999999999,2,3,4,5,6)", Status::kBadAddress, 0, 0,
       "99999999999999999999,2,3,4,5,6"},
      {"227 Entering Passive Mode (a,b,c,d,e,f)", Status::kBadAddress, 0, 0, "a,b,c,d,e,f"},
      {"227 Entering Passive Mode (-1,2,3,4,5,6)", Status::kBadAddress, 0, 0, "-1,2,3,4,5,6"},
      {"227 Entering Passive Mode (1,,2,3,4,5,6)", Status::kBadAddress, 0, 0, "1,,2,3,4,5,6"},
      {"227 Entering Passive Mode", Status::kNoAddress, 0, 0, ""},
      {"227 ", Status::kNoAddress, 0, 0, ""},
      {"227", Status::kNoAddress, 0, 0, ""},
      {"", Status::kNoAddress, 0, 0, ""},
      {"227 here) (1,2,3,4,5,6)", Status::kNoAddress, 0, 0, ""},
  };
  for (const PassiveCase& c : cases) {
    SCOPED_TRACE(c.reply);
    const PassiveAddress parsed = parsePassiveReply(c.reply);
    EXPECT_EQ(parsed.status, c.status);
    EXPECT_EQ(parsed.addressText, c.addressText);
    if (c.status == Status::kOk) {
      EXPECT_EQ(parsed.address.hostOrder, c.address);
      EXPECT_EQ(parsed.address.port, c.port);
    }
  }
}

struct TargetCase {
  const char* name;
  std::uint32_t announced;
  std::uint32_t controlPeer;
  std::uint32_t expected;
};

TEST(PassiveReply, UnroutableAnnouncementsGiveWayToTheControlPeer) {
  const std::uint32_t publicPeer = ipv4(198, 51, 100, 7);
  const std::uint32_t otherPublic = ipv4(203, 0, 113, 9);
  const TargetCase cases[] = {
      {"private 192.168/16 behind NAT", ipv4(192, 168, 1, 2), publicPeer, publicPeer},
      {"private 10/8", ipv4(10, 0, 0, 6), publicPeer, publicPeer},
      {"172.16/12 start", ipv4(172, 16, 0, 1), publicPeer, publicPeer},
      {"172.16/12 end", ipv4(172, 31, 255, 255), publicPeer, publicPeer},
      {"just above 172.16/12", ipv4(172, 32, 0, 1), publicPeer, ipv4(172, 32, 0, 1)},
      {"just below 172.16/12", ipv4(172, 15, 255, 255), publicPeer, ipv4(172, 15, 255, 255)},
      {"link-local", ipv4(169, 254, 3, 4), publicPeer, publicPeer},
      {"carrier-grade start", ipv4(100, 64, 0, 0), publicPeer, publicPeer},
      {"carrier-grade end", ipv4(100, 127, 255, 255), publicPeer, publicPeer},
      {"above carrier-grade", ipv4(100, 128, 0, 0), publicPeer, ipv4(100, 128, 0, 0)},
      {"loopback", ipv4(127, 0, 0, 1), publicPeer, publicPeer},
      {"0.0.0.0", 0, publicPeer, publicPeer},
      {"routable elsewhere is kept", otherPublic, publicPeer, otherPublic},
      {"both private", ipv4(10, 0, 0, 6), ipv4(192, 168, 1, 1), ipv4(10, 0, 0, 6)},
      {"both loopback", ipv4(127, 0, 0, 1), ipv4(127, 0, 0, 1), ipv4(127, 0, 0, 1)},
      {"routable behind a private peer", otherPublic, ipv4(10, 1, 1, 1), otherPublic},
  };
  for (const TargetCase& c : cases) {
    SCOPED_TRACE(c.name);
    const platform::Ipv4Address target = passiveTarget({c.announced, 4021}, {c.controlPeer, 21});
    EXPECT_EQ(target.hostOrder, c.expected);
    EXPECT_EQ(target.port, 4021);
  }
}

TEST(DataSocketBuffers, GrowButAreNeverLowered) {
  const int small = platform::createStreamSocket();
  const int large = platform::createStreamSocket();
  const int tiny = 2048;
  const int big = 262144;
  ASSERT_EQ(setsockopt(small, SOL_SOCKET, SO_RCVBUF, &tiny, sizeof tiny), 0);
  ASSERT_EQ(setsockopt(large, SOL_SOCKET, SO_SNDBUF, &big, sizeof big), 0);
  auto size = [](int socket, int option) {
    int value = 0;
    socklen_t length = sizeof value;
    getsockopt(socket, SOL_SOCKET, option, &value, &length);
    return value;
  };
  const int largeBefore = size(large, SO_SNDBUF);
  EXPECT_TRUE(platform::ensureBufferSize(small, platform::SocketBuffer::kReceive, 16384));
  EXPECT_TRUE(platform::ensureBufferSize(large, platform::SocketBuffer::kSend, 16384));
  EXPECT_GE(size(small, SO_RCVBUF), 16384);
  EXPECT_EQ(size(large, SO_SNDBUF), largeBefore);
  platform::closeSocket(small);
  platform::closeSocket(large);
}

// ---- Against the scripted server ----

class DataChannelTest : public ::testing::Test {
 protected:
  explicit DataChannelTest(platform::Clock& clock = systemClock_)
      : session_(log_, clock, resolver_) {
    session_.playSound = [this](int event) { sounds_.push_back(event); };
  }

  int connect() {
    server_.start();
    control_ = openControlConnection(session_, "127.0.0.1", server_.port());
    session_.state.controlSocket = control_;
    return control_;
  }

  ~DataChannelTest() override {
    if (control_ != -1) platform::closeSocket(control_);
  }

  std::vector<std::string> logged() const { return log_.history(); }

  void expectScriptDone() {
    EXPECT_TRUE(server_.waitUntilDone(kScriptTime));
    EXPECT_THAT(server_.failures(), IsEmpty());
  }

  // A request that sends `command` and keeps what arrives, or sends `upload`.
  DataExchangeRequest request(std::string command, DataDirection direction,
                              std::string upload = "") {
    DataExchangeRequest result;
    result.direction = direction;
    result.sendTransferCommand = [command](Session& session, int control) {
      return sendCommandText(session, control, command);
    };
    result.moveData = [this, upload](Session& session, int dataSocket) {
      if (!upload.empty()) {
        sendAll(session, dataSocket, upload);
        return;
      }
      char buffer[512];
      long received;
      while ((received = recvWithTimeout(session, dataSocket, buffer, sizeof buffer, 0, 5000)) >
             0) {
        downloaded_.append(buffer, static_cast<std::size_t>(received));
      }
    };
    return result;
  }

  void expectSocketsClosed() {
    EXPECT_EQ(session_.state.dataSocket, -1);
    EXPECT_EQ(session_.state.listenSocket, -1);
  }

  static inline platform::SystemClock systemClock_;
  MessageLog log_;
  platform::SystemResolver resolver_;
  Session session_;
  ScriptedFtpServer server_;
  int control_ = -1;
  std::vector<int> sounds_;
  std::string downloaded_;
};

TEST_F(DataChannelTest, PassiveListingArrivesOverTheAnnouncedPort) {
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV")
      .reply(testing::passiveReply(dataPort))
      .expectLine("LIST")
      .reply("150 Here it comes")
      .acceptData()
      .sendData("-rw-r--r-- 1 a b 5 Jan 1 2020 x.txt\r\n")
      .closeData()
      .reply("226 Done");
  const int control = connect();
  const DataExchangeResult result =
      dataExchange(session_, control, request("LIST", DataDirection::kReceive));
  EXPECT_EQ(result.outcome, Outcome::kDataMoved);
  EXPECT_TRUE(result.passive);
  EXPECT_EQ(result.commandClass, 1);
  EXPECT_EQ(getReply(session_, control), 2);
  expectScriptDone();
  EXPECT_EQ(downloaded_, "-rw-r--r-- 1 a b 5 Jan 1 2020 x.txt\r\n");
  const std::string connecting = "connecting to 127.0.0.1:" + std::to_string(dataPort);
  EXPECT_THAT(logged(), Contains(connecting));
  EXPECT_THAT(logged(), Contains("Connected to 127.0.0.1 port " + std::to_string(dataPort)));
  expectSocketsClosed();
}

TEST_F(DataChannelTest, RefusedPassiveCommandClosesTheDataConnection) {
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV")
      .reply(testing::passiveReply(dataPort))
      .expectLine("RETR missing")
      .reply("550 No such file")
      .acceptData()
      .receiveDataUntilClose();
  const int control = connect();
  const DataExchangeResult result =
      dataExchange(session_, control, request("RETR missing", DataDirection::kReceive));
  EXPECT_EQ(result.outcome, Outcome::kCommandRefused);
  EXPECT_EQ(result.commandClass, 5);
  expectScriptDone();
  EXPECT_THAT(server_.receivedData(), ElementsAre(""));
  expectSocketsClosed();
}

// Each case makes passive mode fail in its own way; the exchange must then
// go on in active mode.
struct FallbackCase {
  const char* name;
  std::function<void(ScriptedFtpServer&, std::uint16_t closedPort)> passiveScript;
  const char* expectedLogLine;
};

TEST(DataChannelFallback, FailedPassiveModeContinuesWithPort) {
  const FallbackCase cases[] = {
      {"PASV and XPSV refused",
       [](ScriptedFtpServer& server, std::uint16_t) {
         server.expectLine("PASV").reply("500 Unknown").expectLine("XPSV").reply("500 No");
       },
       "500 No"},
      {"PASV refused, XPSV never tried after 502",
       [](ScriptedFtpServer& server, std::uint16_t) {
         server.expectLine("PASV").reply("502 Not implemented");
       },
       "502 Not implemented"},
      {"announced port refuses",
       [](ScriptedFtpServer& server, std::uint16_t closedPort) {
         server.expectLine("PASV").reply(testing::passiveReply(closedPort));
       },
       "! connect: connection refused"},
  };
  for (const FallbackCase& c : cases) {
    SCOPED_TRACE(c.name);
    const int probe = platform::createStreamSocket();
    platform::listenOn(probe, {0x7f000001, 0}, 1);
    const std::uint16_t closedPort = platform::localAddressOf(probe)->port;
    platform::closeSocket(probe);

    platform::SystemClock clock;
    platform::SystemResolver resolver;
    MessageLog log;
    Session session(log, clock, resolver);
    ScriptedFtpServer server;
    c.passiveScript(server, closedPort);
    server.expectLineStartingWith("PORT 127,0,0,1,")
        .reply("200 PORT ok")
        .expectLine("NLST")
        .reply("150 Opening")
        .connectActiveFromPortCommand()
        .sendData("a\r\nb\r\n")
        .closeData()
        .reply("226 Done");
    server.start();
    const int control = openControlConnection(session, "127.0.0.1", server.port());
    std::string received;
    DataExchangeRequest request;
    request.sendTransferCommand = [](Session& s, int socket) {
      return sendCommandText(s, socket, "NLST");
    };
    request.moveData = [&](Session& s, int dataSocket) {
      char buffer[64];
      long n;
      while ((n = recvWithTimeout(s, dataSocket, buffer, sizeof buffer, 0, 5000)) > 0) {
        received.append(buffer, static_cast<std::size_t>(n));
      }
    };
    const DataExchangeResult result = dataExchange(session, control, request);
    EXPECT_EQ(result.outcome, Outcome::kDataMoved);
    EXPECT_FALSE(result.passive);
    EXPECT_EQ(getReply(session, control), 2);
    EXPECT_TRUE(server.waitUntilDone(kScriptTime));
    EXPECT_THAT(server.failures(), IsEmpty());
    EXPECT_EQ(received, "a\r\nb\r\n");
    EXPECT_THAT(log.history(), Contains(c.expectedLogLine));
    EXPECT_EQ(session.state.listenSocket, -1);
    platform::closeSocket(control);
  }
}

TEST_F(DataChannelTest, PortAnnouncesTheControlAddressAndTheListeningPort) {
  session_.state.sessionProfile.passiveMode = 0;
  log_.setVerbose(true);
  server_.expectLineStartingWith("PORT ")
      .reply("200 ok")
      .expectLine("STOR up.bin")
      .reply("150 Send it")
      .connectActiveFromPortCommand()
      .receiveDataUntilClose()
      .reply("226 Stored");
  const int control = connect();
  const std::string payload(100000, '\x5a');
  const DataExchangeResult result =
      dataExchange(session_, control, request("STOR up.bin", DataDirection::kSend, payload));
  EXPECT_EQ(result.outcome, Outcome::kDataMoved);
  EXPECT_EQ(getReply(session_, control), 2);
  expectScriptDone();
  const std::uint16_t port = session_.state.localControlAddress.port;
  EXPECT_THAT(server_.receivedLines(),
              ElementsAre("PORT 127,0,0,1," + std::to_string(port / 256) + "," +
                              std::to_string(port % 256),
                          "STOR up.bin"));
  EXPECT_THAT(server_.receivedData(), ElementsAre(payload));
  EXPECT_THAT(logged(), Contains(HasSubstr("accept from 127.0.0.1 port")));
  expectSocketsClosed();
}

TEST_F(DataChannelTest, RefusedPortFailsWithoutSendingTheCommand) {
  session_.state.sessionProfile.passiveMode = 0;
  server_.expectLineStartingWith("PORT ").reply("500 Illegal PORT command");
  const int control = connect();
  const DataExchangeResult result =
      dataExchange(session_, control, request("LIST", DataDirection::kReceive));
  EXPECT_EQ(result.outcome, Outcome::kNoDataConnection);
  EXPECT_EQ(result.commandClass, 0);
  expectScriptDone();
  EXPECT_THAT(server_.receivedLines(), ElementsAre(HasSubstr("PORT ")));
  EXPECT_THAT(logged(), Contains("! Failed \"port\":"));
  EXPECT_THAT(sounds_, ElementsAre(sound_event::kActionFailed));
  expectSocketsClosed();
}

TEST_F(DataChannelTest, LostControlConnectionDuringPasvDoesNotTryPort) {
  server_.expectLine("PASV").closeConnection();
  const int control = connect();
  const DataExchangeResult result =
      dataExchange(session_, control, request("LIST", DataDirection::kReceive));
  EXPECT_EQ(result.outcome, Outcome::kNoDataConnection);
  expectScriptDone();
  EXPECT_THAT(server_.receivedLines(), ElementsAre("PASV"));
  expectSocketsClosed();
}

struct BadPasvCase {
  const char* reply;
  const char* logLine;
};

TEST(DataChannelBadPasv, UnusableAddressesAreRefusedWithTheirMessage) {
  const BadPasvCase cases[] = {
      {"227 Entering Passive Mode (127,0,0,1,4)", "! bad address in 127,0,0,1,4"},
      {"227 Entering Passive Mode (127,0,0,1,256,1)", "! bad address in 127,0,0,1,256,1"},
      {"227 Entering Passive Mode (127,0,0,300,4,1)", "! bad address in 127,0,0,300,4,1"},
      {"227 Entering Passive Mode (here,there)", "! bad address in here,there"},
      {"227 Entering Passive Mode", "! Unable to parse info 227 Entering Passive Mode"},
      {"227", "! Unable to parse info 227"},
  };
  for (const BadPasvCase& c : cases) {
    SCOPED_TRACE(c.reply);
    platform::SystemClock clock;
    platform::SystemResolver resolver;
    MessageLog log;
    Session session(log, clock, resolver);
    std::vector<int> sounds;
    session.playSound = [&](int event) { sounds.push_back(event); };
    ScriptedFtpServer server;
    server.expectLine("PASV").reply(c.reply);
    server.start();
    const int control = openControlConnection(session, "127.0.0.1", server.port());
    EXPECT_EQ(passiveConnect(session, control), -1);
    EXPECT_TRUE(server.waitUntilDone(kScriptTime));
    // The message is the last word: no connection is attempted after it.
    std::vector<std::string> lines = log.history();
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    EXPECT_EQ(lines.back(), c.logLine);
    EXPECT_THAT(sounds, ElementsAre(sound_event::kActionFailed));
    platform::closeSocket(control);
  }
}

TEST_F(DataChannelTest, XpsvIsTriedWhenPasvIsUnknown) {
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV")
      .reply("500 PASV not understood")
      .expectLine("XPSV")
      .reply(testing::passiveReply(dataPort))
      .acceptData();
  const int control = connect();
  const int data = passiveConnect(session_, control);
  EXPECT_NE(data, -1);
  expectScriptDone();
  platform::closeSocket(data);
}

// The accept waits on the fake clock: the test moves time, never sleeps.
testing::FakeClock fakeClock_;

class DataChannelWatchdogTest : public DataChannelTest {
 protected:
  DataChannelWatchdogTest() : DataChannelTest(fakeClock_) {
    session_.state.sessionProfile.passiveMode = 0;
    session_.state.sessionProfile.timeoutSeconds = 12;
    server_.expectLineStartingWith("PORT ").reply("200 ok").expectLine("LIST").reply(
        "150 Opening");
  }

  // Runs `tick` on another thread, over and over, until the accept is over.
  DataExchangeResult exchangeWhile(const std::function<void()>& tick) {
    std::atomic<bool> done = false;
    std::thread ticker([&] {
      while (!done) {
        if (session_.state.watchdogTicks > 0 && session_.blockingCalls.inProgress()) tick();
        std::this_thread::sleep_for(milliseconds(5));
      }
    });
    const DataExchangeResult result =
        dataExchange(session_, connect(), request("LIST", DataDirection::kReceive));
    done = true;
    ticker.join();
    return result;
  }

  void expectAcceptFailed(const DataExchangeResult& result) {
    EXPECT_EQ(result.outcome, Outcome::kAcceptFailed);
    const std::vector<std::string> lines = logged();
    const auto fired = std::find(lines.begin(), lines.end(), "! Timer cancelled blocking call");
    ASSERT_NE(fired, lines.end());
    EXPECT_EQ(fired[1], "! Accept error: Blocking call cancelled");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "! Timer cancelled blocking call"), 1);
    EXPECT_TRUE(session_.state.cancelRequested);
    EXPECT_EQ(session_.state.watchdogTicks, 0);
    expectSocketsClosed();
  }
};

TEST_F(DataChannelWatchdogTest, ServerThatNeverConnectsBackIsGivenUpAtTheDeadline) {
  const std::uint64_t start = fakeClock_.ticks();
  bool firstTick = true;
  bool waitingJustBeforeTheDeadline = false;
  const DataExchangeResult result = exchangeWhile([&] {
    if (firstTick) {
      firstTick = false;
      fakeClock_.advance(9990);
      std::this_thread::sleep_for(milliseconds(100));
      waitingJustBeforeTheDeadline = session_.state.watchdogTicks > 0;
    } else {
      fakeClock_.advance(10);
    }
  });
  expectAcceptFailed(result);
  // TIMEOUT 12 rounds down to two 5-second ticks.
  EXPECT_TRUE(waitingJustBeforeTheDeadline);
  EXPECT_GE(fakeClock_.ticks() - start, 10000u);
  EXPECT_LT(fakeClock_.ticks() - start, 10500u);
}

TEST_F(DataChannelWatchdogTest, WindowTimerCutsTheAcceptShort) {
  const DataExchangeResult result =
      exchangeWhile([this] { watchdogTimerProc(session_, kWatchdogTimerId); });
  expectAcceptFailed(result);
  EXPECT_FALSE(watchdogTimerProc(session_, kWatchdogTimerId));
}

}  // namespace
}  // namespace ferrix::session
