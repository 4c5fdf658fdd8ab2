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

using std::chrono::milliseconds;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
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
      {"227 (99999999999999999999,2,3,4,5,6)", Status::kBadAddress, 0, 0,
       "99999999999999999999,2,3,4,5,6"},
      {"227 Entering Passive Mode (a,b,c,d,e,f)", Status::kBadAddress, 0, 0, "a,b,c,d,e,f"},
      {"227 Entering Passive Mode (-1,2,3,4,5,6)", Status::kBadAddress, 0, 0, "-1,2,3,4,5,6"},
      {"227 Entering Passive Mode (1,,2,3,4,5,6)", Status::kBadAddress, 0, 0, "1,,2,3,4,5,6"},
      {"227 Entering Passive Mode", Status::kNoAddress, 0, 0, ""},
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
      EXPECT_EQ(parsed.address.ipv4HostOrder(), c.address);
      EXPECT_EQ(parsed.address.port, c.port);
    }
  }
}

TEST(ExtendedPassiveReply, OnlyAWellFormedPortIsTaken) {
  const std::pair<const char*, std::optional<std::uint16_t>> cases[] = {
      {"229 Entering Extended Passive Mode (|||6446|)", 6446},
      {"229 (!!!1!)", 1},
      {"229 Extended (###65535#).", 65535},
      {"229 Entering Extended Passive Mode (|||0|)", std::nullopt},
      {"229 Entering Extended Passive Mode (|||65536|)", std::nullopt},
      {"229 Entering Extended Passive Mode (|||99999999999|)", std::nullopt},
      {"229 Entering Extended Passive Mode (|||6446!)", std::nullopt},
      {"229 Entering Extended Passive Mode (||!6446|)", std::nullopt},
      {"229 Entering Extended Passive Mode (|1|127.0.0.2|6446|)", std::nullopt},
      {"229 Entering Extended Passive Mode (111644611)", std::nullopt},
      {"229 Entering Extended Passive Mode (   6446 )", std::nullopt},
      {"229 Entering Extended Passive Mode (||||)", std::nullopt},
      {"229 Entering Extended Passive Mode (|||6446|", std::nullopt},
      {"229 Entering Extended Passive Mode (|||-1|)", std::nullopt},
      {"229 Entering Extended Passive Mode", std::nullopt},
      {"229 (", std::nullopt},
  };
  for (const auto& [reply, port] : cases) {
    SCOPED_TRACE(reply);
    EXPECT_EQ(parseExtendedPassiveReply(reply), port);
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

platform::SystemClock systemClock;

// A session connected to a scripted server, with a request that keeps what
// arrives (or sends an upload) and a record of the sounds played.
class ScriptedExchange {
 public:
  explicit ScriptedExchange(platform::Clock& clock = systemClock) : session(log, clock, resolver) {
    session.playSound = [this](int event) { sounds.push_back(event); };
  }
  ~ScriptedExchange() {
    if (control != -1) platform::closeSocket(control);
  }

  int connect() {
    server.start();
    control = openControlConnection(session, "127.0.0.1", server.port());
    return control;
  }

  DataExchangeResult run(std::string command, std::string upload = "") {
    DataExchangeRequest request;
    request.direction = upload.empty() ? DataDirection::kReceive : DataDirection::kSend;
    request.sendTransferCommand = [command](Session& s, int socket) {
      return sendCommandText(s, socket, command);
    };
    request.moveData = [this, upload](Session& s, int dataSocket) {
      if (!upload.empty()) {
        sendAll(s, dataSocket, upload);
        return;
      }
      char buffer[512];
      long count;
      while ((count = recvWithTimeout(s, dataSocket, buffer, sizeof buffer, 0, 5000)) > 0) {
        downloaded.append(buffer, static_cast<std::size_t>(count));
      }
    };
    return dataExchange(session, control, request);
  }

  // The log without the empty line that follows the last one.
  std::vector<std::string> logged() const {
    std::vector<std::string> lines = log.history();
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
  }

  void expectScriptDone() {
    EXPECT_TRUE(server.waitUntilDone(kScriptTime));
    EXPECT_THAT(server.failures(), IsEmpty());
  }

  void expectSocketsClosed() const {
    EXPECT_EQ(session.state.dataSocket, -1);
    EXPECT_EQ(session.state.listenSocket, -1);
  }

  MessageLog log;
  platform::SystemResolver resolver;
  Session session;
  ScriptedFtpServer server;
  int control = -1;
  std::vector<int> sounds;
  std::string downloaded;
};

TEST(DataChannel, PassiveListingArrivesOverTheAnnouncedPort) {
  ScriptedExchange x;
  const std::uint16_t dataPort = x.server.openPassiveDataListener();
  x.server.expectLine("PASV")
      .reply(testing::passiveReply(dataPort))
      .expectLine("LIST")
      .reply("150 Here it comes")
      .acceptData()
      .sendData("-rw-r--r-- 1 a b 5 Jan 1 2020 x.txt\r\n")
      .closeData()
      .reply("226 Done");
  x.connect();
  const DataExchangeResult result = x.run("LIST");
  EXPECT_EQ(result.outcome, Outcome::kDataMoved);
  EXPECT_TRUE(result.passive);
  EXPECT_EQ(getReply(x.session, x.control), 2);
  x.expectScriptDone();
  EXPECT_EQ(x.downloaded, "-rw-r--r-- 1 a b 5 Jan 1 2020 x.txt\r\n");
  // The data connection is announced once, without the control connection's "- -" line.
  const std::vector<std::string> logged = x.logged();
  EXPECT_EQ(std::count(logged.begin(), logged.end(),
                       "connecting to 127.0.0.1:" + std::to_string(dataPort)),
            1);
  EXPECT_EQ(std::count(logged.begin(), logged.end(), "- -"), 1);
  x.expectSocketsClosed();
}

TEST(DataChannel, RefusedPassiveCommandClosesTheDataConnection) {
  ScriptedExchange x;
  const std::uint16_t dataPort = x.server.openPassiveDataListener();
  x.server.expectLine("PASV")
      .reply(testing::passiveReply(dataPort))
      .expectLine("RETR missing")
      .reply("550 No such file")
      .acceptData()
      .receiveDataUntilClose();
  x.connect();
  const DataExchangeResult result = x.run("RETR missing");
  EXPECT_EQ(result.outcome, Outcome::kCommandRefused);
  EXPECT_EQ(result.commandClass, 5);
  x.expectScriptDone();
  EXPECT_THAT(x.server.receivedData(), ElementsAre(""));
  x.expectSocketsClosed();
}

TEST(DataChannel, XpsvIsTriedWhenPasvIsUnknown) {
  ScriptedExchange x;
  const std::uint16_t dataPort = x.server.openPassiveDataListener();
  x.server.expectLine("PASV")
      .reply("500 PASV not understood")
      .expectLine("XPSV")
      .reply(testing::passiveReply(dataPort))
      .acceptData();
  const int data = passiveConnect(x.session, x.connect());
  EXPECT_NE(data, -1);
  x.expectScriptDone();
  platform::closeSocket(data);
}

// Each case makes passive mode fail in its own way; the exchange must then
// go on in active mode.
struct FallbackCase {
  const char* name;
  std::function<void(ScriptedFtpServer&, std::uint16_t closedPort)> passiveScript;
  const char* expectedLogLine;
};

TEST(DataChannel, FailedPassiveModeContinuesWithPort) {
  const FallbackCase cases[] = {
      {"PASV and XPSV refused",
       [](ScriptedFtpServer& server, std::uint16_t) {
         server.expectLine("PASV").reply("500 Unknown").expectLine("XPSV").reply("500 No");
       },
       "500 No"},
      {"PASV refused with 502: no XPSV",
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

    ScriptedExchange x;
    c.passiveScript(x.server, closedPort);
    x.server.expectLineStartingWith("PORT 127,0,0,1,")
        .reply("200 PORT ok")
        .expectLine("NLST")
        .reply("150 Opening")
        .connectActiveFromPortCommand()
        .sendData("a\r\nb\r\n")
        .closeData()
        .reply("226 Done");
    x.connect();
    const DataExchangeResult result = x.run("NLST");
    EXPECT_EQ(result.outcome, Outcome::kDataMoved);
    EXPECT_FALSE(result.passive);
    EXPECT_EQ(getReply(x.session, x.control), 2);
    x.expectScriptDone();
    EXPECT_EQ(x.downloaded, "a\r\nb\r\n");
    EXPECT_THAT(x.logged(), Contains(c.expectedLogLine));
    x.expectSocketsClosed();
  }
}

TEST(DataChannel, PortAnnouncesTheControlAddressAndTheListeningPort) {
  ScriptedExchange x;
  x.session.state.sessionProfile.passiveMode = 0;
  x.log.setVerbose(true);
  x.server.expectLineStartingWith("PORT ")
      .reply("200 ok")
      .expectLine("STOR up.bin")
      .reply("150 Send it")
      .connectActiveFromPortCommand()
      .receiveDataUntilClose()
      .reply("226 Stored");
  x.connect();
  const std::string payload(100000, '\x5a');
  EXPECT_EQ(x.run("STOR up.bin", payload).outcome, Outcome::kDataMoved);
  EXPECT_EQ(getReply(x.session, x.control), 2);
  x.expectScriptDone();
  const std::uint16_t port = x.session.state.localControlAddress.port;
  EXPECT_THAT(x.server.receivedLines(), ElementsAre("PORT 127,0,0,1," + std::to_string(port / 256) +
                                                        "," + std::to_string(port % 256),
                                                    "STOR up.bin"));
  EXPECT_THAT(x.server.receivedData(), ElementsAre(payload));
  EXPECT_THAT(x.logged(), Contains(HasSubstr("accept from 127.0.0.1 port")));
  x.expectSocketsClosed();
}

TEST(DataChannel, ActiveConnectionFromAThirdHostIsRefusedAndTheServersIsTaken) {
  ScriptedExchange x;
  x.session.state.sessionProfile.passiveMode = 0;
  x.server.expectLineStartingWith("PORT ")
      .reply("200 ok")
      .expectLine("RETR file.bin")
      .reply("150 Opening")
      .connectActiveFromPortCommand("127.0.0.3")
      .sendDataUntilAborted("forged content")
      .closeData()
      .connectActiveFromPortCommand()
      .sendData("the server's content")
      .closeData()
      .reply("226 Done");
  x.connect();
  EXPECT_EQ(x.run("RETR file.bin").outcome, Outcome::kDataMoved);
  EXPECT_EQ(getReply(x.session, x.control), 2);
  x.expectScriptDone();
  EXPECT_EQ(x.downloaded, "the server's content");
  EXPECT_THAT(x.logged(),
              Contains("! Data connection from 127.0.0.3 refused: not the server's address"));
  x.expectSocketsClosed();
}

TEST(DataChannel, RefusedPortFailsWithoutSendingTheCommand) {
  ScriptedExchange x;
  x.session.state.sessionProfile.passiveMode = 0;
  x.server.expectLineStartingWith("PORT ").reply("500 Illegal PORT command");
  x.connect();
  const DataExchangeResult result = x.run("LIST");
  EXPECT_EQ(result.outcome, Outcome::kNoDataConnection);
  x.expectScriptDone();
  EXPECT_THAT(x.server.receivedLines(), ElementsAre(HasSubstr("PORT ")));
  EXPECT_EQ(x.logged().back(), "! Failed \"port\":");
  EXPECT_THAT(x.sounds, ElementsAre(sound_event::kActionFailed));
  x.expectSocketsClosed();
}

TEST(DataChannel, LostControlConnectionDuringPasvDoesNotTryPort) {
  ScriptedExchange x;
  x.server.expectLine("PASV").closeConnection();
  x.connect();
  EXPECT_EQ(x.run("LIST").outcome, Outcome::kNoDataConnection);
  x.expectScriptDone();
  EXPECT_THAT(x.server.receivedLines(), ElementsAre("PASV"));
  x.expectSocketsClosed();
}

TEST(DataChannel, UnusablePasvAddressesAreRefusedWithTheirMessage) {
  const std::pair<const char*, const char*> cases[] = {
      {"227 Entering Passive Mode (127,0,0,1,4)", "! bad address in 127,0,0,1,4"},
      {"227 Entering Passive Mode (127,0,0,1,256,1)", "! bad address in 127,0,0,1,256,1"},
      {"227 Entering Passive Mode (here,there)", "! bad address in here,there"},
      {"227 Entering Passive Mode", "! Unable to parse info 227 Entering Passive Mode"},
      {"227", "! Unable to parse info 227"},
  };
  for (const auto& [reply, message] : cases) {
    SCOPED_TRACE(reply);
    ScriptedExchange x;
    x.server.expectLine("PASV").reply(reply);
    EXPECT_EQ(passiveConnect(x.session, x.connect()), -1);
    x.expectScriptDone();
    // The message is the last word: no connection is attempted after it.
    EXPECT_EQ(x.logged().back(), message);
    EXPECT_THAT(x.sounds, ElementsAre(sound_event::kActionFailed));
  }
}

// ---- Extended passive and active mode, and the server's data address ----

std::string extendedPassiveReply(std::uint16_t port) {
  return "229 Entering Extended Passive Mode (|||" + std::to_string(port) + "|)";
}

std::string passiveReplyFor(const char* host, std::uint16_t port) {
  return std::string("227 Entering Passive Mode (") + host + "," + std::to_string(port >> 8) +
         "," + std::to_string(port & 0xff) + ")";
}

std::uint16_t unusedLoopbackPort() {
  const int probe = platform::createStreamSocket();
  platform::listenOn(probe, {0x7f000001, 0}, 1);
  const std::uint16_t port = platform::localAddressOf(probe)->port;
  platform::closeSocket(probe);
  return port;
}

TEST(DataChannel, EpsvOfferedInFeatIsUsed) {
  ScriptedExchange x;
  x.session.state.features.epsv = true;
  const std::uint16_t dataPort = x.server.openPassiveDataListener();
  x.server.expectLine("EPSV").reply(extendedPassiveReply(dataPort))
      .expectLine("LIST").reply("150 Here").acceptData().sendData("x\r\n").closeData()
      .reply("226 Done");
  x.connect();
  EXPECT_EQ(x.run("LIST").outcome, Outcome::kDataMoved);
  EXPECT_EQ(getReply(x.session, x.control), 2);
  x.expectScriptDone();
  EXPECT_EQ(x.downloaded, "x\r\n");
  EXPECT_EQ(x.session.state.extendedPassiveRefused, 0);
}

// Each way EPSV can fail on IPv4 ends in PASV, for this and every later
// transfer of the session.
TEST(DataChannel, FailedEpsvFallsBackToPasvForTheSession) {
  const std::uint16_t closedPort = unusedLoopbackPort();
  const std::pair<std::string, const char*> cases[] = {
      {"500 EPSV not understood", "+ EPSV refused; using PASV for this session"},
      {"229 Entering Extended Passive Mode (|||0|)",
       "+ EPSV reply unreadable; using PASV for this session"},
      {"229 Entering Extended Passive Mode (|||70000|)",
       "+ EPSV reply unreadable; using PASV for this session"},
      {"229 Entering Extended Passive Mode (!!!2121|)",
       "+ EPSV reply unreadable; using PASV for this session"},
      {extendedPassiveReply(closedPort),
       "+ EPSV port cannot be reached; using PASV for this session"},
  };
  for (const auto& [reply, notice] : cases) {
    SCOPED_TRACE(reply);
    ScriptedExchange x;
    x.session.state.features.epsv = true;
    const std::uint16_t dataPort = x.server.openPassiveDataListener();
    x.server.expectLine("EPSV").reply(reply);
    for (int transfer = 0; transfer < 2; ++transfer) {
      x.server.servePassiveListing(dataPort, "NLST", "a\r\n");
    }
    x.connect();
    for (int transfer = 0; transfer < 2; ++transfer) {
      EXPECT_EQ(x.run("NLST").outcome, Outcome::kDataMoved);
      EXPECT_EQ(getReply(x.session, x.control), 2);
    }
    x.expectScriptDone();
    EXPECT_THAT(x.logged(), Contains(notice));
    const std::vector<std::string> lines = x.server.receivedLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "EPSV"), 1);
  }
}

TEST(DataChannel, PasvNamingAnotherHostConnectsToTheControlPeer) {
  ScriptedExchange x;
  const std::uint16_t dataPort = x.server.openPassiveDataListener();
  x.server.expectLine("PASV").reply(passiveReplyFor("127,0,0,2", dataPort)).acceptData();
  const int data = passiveConnect(x.session, x.connect());
  EXPECT_NE(data, -1);
  x.expectScriptDone();
  const std::string port = std::to_string(dataPort);
  EXPECT_THAT(x.logged(), Contains("+ PASV address 127.0.0.2 is not the server's; "
                                   "connecting to 127.0.0.1"));
  EXPECT_THAT(x.logged(), Contains("connecting to 127.0.0.1:" + port));
  EXPECT_THAT(x.logged(), Not(Contains("connecting to 127.0.0.2:" + port)));
  platform::closeSocket(data);
}

TEST(DataChannel, PasvAddrUsesTheAddressTheServerNames) {
  ScriptedExchange x;
  x.session.state.sessionProfile.useServerPassiveAddress = 1;
  const std::uint16_t port = unusedLoopbackPort();
  x.server.expectLine("PASV").reply(passiveReplyFor("127,0,0,2", port));
  const int data = passiveConnect(x.session, x.connect());
  x.expectScriptDone();
  EXPECT_THAT(x.logged(), Contains("connecting to 127.0.0.2:" + std::to_string(port)));
  EXPECT_THAT(x.logged(), Not(Contains(HasSubstr("is not the server's"))));
  if (data != -1) platform::closeSocket(data);
}

TEST(DataChannel, RefusedEprtFallsBackToPortForTheSession) {
  ScriptedExchange x;
  x.session.state.features.epsv = true;
  x.session.state.sessionProfile.passiveMode = 0;
  x.server.expectLineStartingWith("EPRT |1|127.0.0.1|").reply("500 EPRT not understood");
  for (int transfer = 0; transfer < 2; ++transfer) {
    x.server.expectLineStartingWith("PORT 127,0,0,1,").reply("200 ok").expectLine("NLST")
        .reply("150 Go").connectActiveFromPortCommand().sendData("b\r\n").closeData()
        .reply("226 Done");
  }
  x.connect();
  for (int transfer = 0; transfer < 2; ++transfer) {
    EXPECT_EQ(x.run("NLST").outcome, Outcome::kDataMoved);
    EXPECT_EQ(getReply(x.session, x.control), 2);
  }
  x.expectScriptDone();
  EXPECT_EQ(x.downloaded, "b\r\nb\r\n");
  EXPECT_THAT(x.logged(), Contains("+ EPRT refused; using PORT for this session"));
}

// The accept waits on the fake clock: the test moves time, never sleeps.
testing::FakeClock fakeClock;

class DataChannelWatchdog : public ::testing::Test {
 protected:
  DataChannelWatchdog() : x_(fakeClock) {
    x_.session.state.sessionProfile.passiveMode = 0;
    x_.session.state.sessionProfile.timeoutSeconds = 12;
    x_.server.expectLineStartingWith("PORT ").reply("200 ok").expectLine("LIST").reply("150 Go");
  }

  // Runs `tick` on another thread, over and over, while the accept waits.
  DataExchangeResult exchangeWhile(const std::function<void()>& tick) {
    std::atomic<bool> done = false;
    std::thread ticker([&] {
      while (!done) {
        if (x_.session.state.watchdogTicks > 0 && x_.session.blockingCalls.inProgress()) tick();
        std::this_thread::sleep_for(milliseconds(5));
      }
    });
    x_.connect();
    const DataExchangeResult result = x_.run("LIST");
    done = true;
    ticker.join();
    return result;
  }

  void expectAcceptFailed(const DataExchangeResult& result) {
    EXPECT_EQ(result.outcome, Outcome::kAcceptFailed);
    const std::vector<std::string> lines = x_.logged();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "! Timer cancelled blocking call"), 1);
    EXPECT_THAT(
        std::vector<std::string>(lines.end() - 2, lines.end()),
        ElementsAre("! Timer cancelled blocking call", "! Accept error: Blocking call cancelled"));
    EXPECT_TRUE(x_.session.state.cancelRequested);
    EXPECT_EQ(x_.session.state.watchdogTicks, 0);
    x_.expectSocketsClosed();
  }

  ScriptedExchange x_;
};

TEST_F(DataChannelWatchdog, ServerThatNeverConnectsBackIsGivenUpAtTheDeadline) {
  const std::uint64_t start = fakeClock.ticks();
  bool firstTick = true;
  bool waitingJustBeforeTheDeadline = false;
  const DataExchangeResult result = exchangeWhile([&] {
    if (firstTick) {
      firstTick = false;
      fakeClock.advance(9990);
      std::this_thread::sleep_for(milliseconds(100));
      waitingJustBeforeTheDeadline = x_.session.state.watchdogTicks > 0;
    } else {
      fakeClock.advance(10);
    }
  });
  expectAcceptFailed(result);
  // TIMEOUT 12 rounds down to two 5-second ticks.
  EXPECT_TRUE(waitingJustBeforeTheDeadline);
  EXPECT_GE(fakeClock.ticks() - start, 10000u);
  EXPECT_LT(fakeClock.ticks() - start, 10500u);
}

TEST_F(DataChannelWatchdog, WindowTimerCutsTheAcceptShort) {
  const DataExchangeResult result =
      exchangeWhile([this] { watchdogTimerProc(x_.session, kWatchdogTimerId); });
  expectAcceptFailed(result);
  EXPECT_FALSE(watchdogTimerProc(x_.session, kWatchdogTimerId));
}

}  // namespace
}  // namespace ferrix::session
