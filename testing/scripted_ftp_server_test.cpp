#include "testing/scripted_ftp_server.h"

#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace ferrix::testing {
namespace {

using std::chrono::milliseconds;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr milliseconds kDone{5000};

// What one read gave: bytes, end of stream, or an errno value.
struct ReadResult {
  std::string bytes;
  bool endOfStream = false;
  int error = 0;
};

// A bare blocking TCP client, so the tests see exactly what goes over the wire.
class RawClient {
 public:
  RawClient() : fd_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {}

  bool connectTo(std::uint16_t port) {
    sockaddr_in address = loopback(port);
    return connect(fd_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }

  // A listening socket on 127.0.0.1, for active-mode data; returns its port.
  std::uint16_t listenOnLoopback() {
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    bind(fd_.get(), reinterpret_cast<sockaddr*>(&address), length);
    listen(fd_.get(), 1);
    getsockname(fd_.get(), reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
  }

  RawClient acceptOne() {
    RawClient accepted;
    if (waitReadable()) accepted.fd_.reset(accept(fd_.get(), nullptr, nullptr));
    return accepted;
  }

  void write(const std::string& bytes, int flags = 0) {
    ASSERT_EQ(::send(fd_.get(), bytes.data(), bytes.size(), flags | MSG_NOSIGNAL),
              static_cast<ssize_t>(bytes.size()));
  }

  // One receive, after waiting at most two seconds for something to read.
  ReadResult readOnce() {
    ReadResult result;
    if (!waitReadable()) {
      result.error = ETIMEDOUT;
      return result;
    }
    char buffer[4096];
    ssize_t n = recv(fd_.get(), buffer, sizeof buffer, 0);
    if (n > 0) result.bytes.assign(buffer, static_cast<std::size_t>(n));
    result.endOfStream = n == 0;
    result.error = n < 0 ? errno : 0;
    return result;
  }

  std::string readUntilClose() {
    std::string all;
    for (ReadResult read = readOnce(); !read.bytes.empty(); read = readOnce()) all += read.bytes;
    return all;
  }

  void close() { fd_.reset(); }

 private:
  static sockaddr_in loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
  }

  bool waitReadable() {
    pollfd wait{fd_.get(), POLLIN, 0};
    return poll(&wait, 1, 2000) == 1;
  }

  UniqueFd fd_;
};

TEST(ScriptedFtpServer, RepliesWrittenTogetherArriveInOneRead) {
  ScriptedFtpServer server;
  server.send("220-Welcome\r\n220 Ready\r\n");
  server.start();
  RawClient client;
  ASSERT_TRUE(client.connectTo(server.port()));

  EXPECT_EQ(client.readOnce().bytes, "220-Welcome\r\n220 Ready\r\n");
  EXPECT_TRUE(server.waitUntilDone(kDone));
  EXPECT_THAT(server.failures(), IsEmpty());
}

TEST(ScriptedFtpServer, PiecesArriveApart) {
  ScriptedFtpServer server;
  server.sendInPieces("220 ok\r\n", 2, milliseconds(80));
  server.start();
  RawClient client;
  ASSERT_TRUE(client.connectTo(server.port()));

  std::vector<std::string> reads;
  for (int i = 0; i < 4; ++i) reads.push_back(client.readOnce().bytes);
  EXPECT_THAT(reads, ElementsAre("22", "0 ", "ok", "\r\n"));
  EXPECT_TRUE(server.waitUntilDone(kDone));
}

TEST(ScriptedFtpServer, FailedExpectationSaysWhatCameInstead) {
  struct Case {
    std::string clientSends;
    std::string failure;
  };
  const Case cases[] = {
      {"USER alice\r\n", "step 1 expectLine(\"USER bob\"): got \"USER alice\""},
      {"USER bob\n", "step 1 expectLine(\"USER bob\"): got \"USER bob\\n\""},
      {"US\xE9R bob\r\n", "step 1 expectLine(\"USER bob\"): got \"US\\xE9R bob\""},
      {"USER b", "step 1 expectLine(\"USER bob\"): the client closed the connection"
                 " (partial line \"USER b\")"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.clientSends);
    ScriptedFtpServer server;
    server.expectLine("USER bob").reply("331 Password required");
    server.start();
    RawClient client;
    ASSERT_TRUE(client.connectTo(server.port()));
    client.write(c.clientSends);
    client.close();

    ASSERT_TRUE(server.waitUntilDone(kDone));
    ASSERT_FALSE(server.failures().empty());
    EXPECT_EQ(server.failures().front(), c.failure);
  }
}

TEST(ScriptedFtpServer, AbortSequenceKeepsItsUrgentByteInPlace) {
  ScriptedFtpServer server;
  server.expectLine("RETR big").expectLine("\xFF\xF4\xFF\xF2" "ABOR").reply("426 Aborted");
  server.start();
  RawClient client;
  ASSERT_TRUE(client.connectTo(server.port()));
  client.write("RETR big\r\n");
  // TCP marks the last byte of an out-of-band send as the urgent one.
  client.write("\xFF\xF4\xFF", MSG_OOB);
  client.write("\xF2" "ABOR\r\n");

  EXPECT_EQ(client.readOnce().bytes, "426 Aborted\r\n");
  ASSERT_TRUE(server.waitUntilDone(kDone));
  EXPECT_THAT(server.failures(), IsEmpty());
  EXPECT_THAT(server.received(), ElementsAre(ReceivedChunk{"RETR big\r\n\xFF\xF4", false},
                                             ReceivedChunk{"\xFF", true},
                                             ReceivedChunk{"\xF2" "ABOR\r\n", false}));
  EXPECT_EQ(server.receivedText(), "RETR big\r\n\xFF\xF4<URG:FF>\xF2" "ABOR\r\n");
}

TEST(ScriptedFtpServer, DroppedConnectionIsSeenAsEndOrReset) {
  struct Case {
    const char* name;
    std::function<void(ScriptedFtpServer&)> drop;
    bool endOfStream;
    int error;
  };
  const Case cases[] = {
      {"close", [](ScriptedFtpServer& s) { s.closeConnection(); }, true, 0},
      {"reset", [](ScriptedFtpServer& s) { s.resetConnection(); }, false, ECONNRESET},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedFtpServer server;
    server.expectLine("LIST").send("150 Opening");
    c.drop(server);
    server.start();
    RawClient client;
    ASSERT_TRUE(client.connectTo(server.port()));
    client.write("LIST\r\n");
    ASSERT_TRUE(server.waitUntilDone(kDone));

    std::string partial;
    ReadResult read = client.readOnce();
    for (; !read.bytes.empty(); read = client.readOnce()) partial += read.bytes;
    if (c.endOfStream) {
      EXPECT_EQ(partial, "150 Opening");
    }
    EXPECT_EQ(read.endOfStream, c.endOfStream);
    EXPECT_EQ(read.error, c.error);
  }
}

TEST(ScriptedFtpServer, DestructorReturnsPromptlyWithoutClient) {
  auto begin = std::chrono::steady_clock::now();
  {
    ScriptedFtpServer server;
    server.reply("220 Ready").neverAnswer();
    server.start();
    EXPECT_FALSE(server.waitUntilDone(milliseconds(50)));
  }
  EXPECT_LT(std::chrono::steady_clock::now() - begin, milliseconds(1000));
}

TEST(ScriptedFtpServer, ServesConnectionsInTurn) {
  ScriptedFtpServer server;
  server.reply("421 Busy").acceptNextConnection().reply("220 Ready").expectLine("QUIT");
  server.start();

  RawClient first;
  ASSERT_TRUE(first.connectTo(server.port()));
  EXPECT_EQ(first.readUntilClose(), "421 Busy\r\n");
  RawClient second;
  ASSERT_TRUE(second.connectTo(server.port()));
  EXPECT_EQ(second.readOnce().bytes, "220 Ready\r\n");
  second.write("QUIT\r\n");

  ASSERT_TRUE(server.waitUntilDone(kDone));
  EXPECT_THAT(server.failures(), IsEmpty());
  EXPECT_THAT(server.receivedLines(), ElementsAre("QUIT"));
}

TEST(ScriptedFtpServer, PassiveAndActiveDataConnectionsCarryBytes) {
  ScriptedFtpServer server;
  std::uint16_t dataPort = server.openPassiveDataListener();
  server.reply(passiveReply(dataPort)).acceptData().sendData("listing\r\n").closeData();
  server.expectLineStartingWith("PORT 127,0,0,1,").connectActiveFromPortCommand();
  server.receiveDataUntilClose().reply("226 Done");
  server.start();
  RawClient control;
  ASSERT_TRUE(control.connectTo(server.port()));

  std::string pasv = control.readOnce().bytes;
  unsigned p1 = 0, p2 = 0;
  ASSERT_EQ(std::sscanf(pasv.c_str(), "227 Entering Passive Mode (127,0,0,1,%u,%u)", &p1, &p2), 2);
  RawClient passive;
  ASSERT_TRUE(passive.connectTo(static_cast<std::uint16_t>(p1 * 256 + p2)));
  EXPECT_EQ(passive.readUntilClose(), "listing\r\n");

  RawClient listener;
  std::uint16_t activePort = listener.listenOnLoopback();
  control.write("PORT 127,0,0,1," + std::to_string(activePort / 256) + "," +
                std::to_string(activePort % 256) + "\r\n");
  RawClient active = listener.acceptOne();
  active.write("upload");
  active.close();

  EXPECT_EQ(control.readOnce().bytes, "226 Done\r\n");
  ASSERT_TRUE(server.waitUntilDone(kDone));
  EXPECT_THAT(server.failures(), IsEmpty());
  EXPECT_THAT(server.receivedData(), ElementsAre("upload"));
}

}  // namespace
}  // namespace ferrix::testing
