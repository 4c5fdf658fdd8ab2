#include "session/control_exchange.h"

#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "session/connection.h"
#include "session/control_channel.h"
#include "session/message_log.h"

namespace ferrix::session {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kLongEnough{5000};
constexpr milliseconds kStillWaiting{100};

// A control connection peer that greets and then answers every line at
// once with its code and the line itself: "213 SIZE a1" for "SIZE a1",
// "331 USER b1" for "USER b1". A reply names the command it answers, so a
// reply read by the wrong thread shows.
class EchoingServer {
 public:
  EchoingServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 1);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
  }
  ~EchoingServer() {
    ::shutdown(listener_, SHUT_RDWR);
    ::shutdown(connection_.load(), SHUT_RDWR);
    thread_.join();
    ::close(listener_);
  }

  std::uint16_t port() const { return port_; }
  std::vector<std::string> lines() const {
    const std::lock_guard lock(mutex_);
    return lines_;
  }

 private:
  void serve() {
    const int connection = ::accept(listener_, nullptr, nullptr);
    if (connection < 0) return;
    connection_ = connection;
    answer(connection, "220 ready");
    std::string pending;
    char buffer[4096];
    for (long got; (got = ::recv(connection, buffer, sizeof buffer, 0)) > 0;) {
      pending.append(buffer, static_cast<std::size_t>(got));
      for (std::size_t end; (end = pending.find("\r\n")) != std::string::npos;) {
        const std::string line = pending.substr(0, end);
        pending.erase(0, end + 2);
        record(line);
        answer(connection, codeFor(line) + " " + line);
      }
    }
    ::close(connection);
  }
  static std::string codeFor(const std::string& line) {
    if (line.starts_with("USER ")) return "331";
    if (line.starts_with("SIZE ")) return "213";
    return "500";
  }
  static void answer(int connection, const std::string& text) {
    const std::string bytes = text + "\r\n";
    ::send(connection, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  }
  void record(const std::string& line) {
    const std::lock_guard lock(mutex_);
    lines_.push_back(line);
  }

  int listener_ = -1;
  std::atomic<int> connection_ = -1;
  std::uint16_t port_ = 0;
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
  std::thread thread_;
};

// Enters an exchange that is free or held by this thread already, which
// never waits; a failure to enter fails the test. The analysis knows no
// capability a thread may hold twice, so the nesting cases go through
// these two helpers.
void enterAtOnce(ControlExchange& exchange) NO_THREAD_SAFETY_ANALYSIS {
  const std::atomic<int> notCancelled = 0;
  EXPECT_TRUE(exchange.enter(notCancelled));
}

void leave(ControlExchange& exchange) NO_THREAD_SAFETY_ANALYSIS { exchange.leave(); }

TEST(ControlExchange, HolderEntersAgainAndOthersWaitUntilItHasLeft) {
  ControlExchange exchange;
  const std::atomic<int> notCancelled = 0;
  enterAtOnce(exchange);
  enterAtOnce(exchange);
  EXPECT_EQ(exchange.depth(), 2);
  EXPECT_FALSE(exchange.heldByAnotherThread());

  std::promise<void> entered;
  std::future<void> enteredSeen = entered.get_future();
  std::thread other([&] {
    EXPECT_TRUE(exchange.heldByAnotherThread());
    if (!exchange.enter(notCancelled)) return;
    entered.set_value();
    exchange.leave();
  });
  leave(exchange);
  EXPECT_EQ(enteredSeen.wait_for(kStillWaiting), std::future_status::timeout);
  leave(exchange);
  EXPECT_EQ(enteredSeen.wait_for(kLongEnough), std::future_status::ready);
  other.join();
  EXPECT_EQ(exchange.depth(), 0);
}

TEST(ControlExchange, WaiterGivesUpOnCancelAndAFreeExchangeIgnoresIt) {
  ControlExchange exchange;
  std::atomic<int> cancelled = 0;
  enterAtOnce(exchange);
  auto waiter = std::async(std::launch::async, [&] {
    const bool entered = exchange.enter(cancelled);
    if (entered) exchange.leave();
    return entered;
  });
  EXPECT_EQ(waiter.wait_for(kStillWaiting), std::future_status::timeout);
  cancelled = 1;
  ASSERT_EQ(waiter.wait_for(kLongEnough), std::future_status::ready);
  EXPECT_FALSE(waiter.get());
  EXPECT_EQ(exchange.depth(), 1);
  leave(exchange);
  if (exchange.enter(cancelled)) {
    exchange.leave();
  } else {
    ADD_FAILURE() << "a free exchange was not entered while Cancel was requested";
  }
}

class ContendedControlConnectionTest : public ::testing::Test {
 protected:
  ContendedControlConnectionTest() : session_(log_, clock_, resolver_) {}

  void SetUp() override {
    // A reply taken by the wrong thread leaves the other waiting: it fails
    // soon instead of hanging.
    session_.state.replyTimeoutSeconds = 2;
    socket_ = openControlConnection(session_, "127.0.0.1", server_.port());
    ASSERT_NE(socket_, -1);
    ASSERT_EQ(getReply(session_, socket_), 2);
  }
  void TearDown() override { platform::closeSocket(socket_); }

  platform::SystemClock clock_;
  platform::SystemResolver resolver_;
  MessageLog log_;
  Session session_;
  EchoingServer server_;
  int socket_ = -1;
};

// One thread works as a transfer does (its own BusyScope, a line sent and
// its reply read), the other as the window's commands do (sendCommand).
// Every reply must be the one to the command of the same thread, and every
// command must reach the server whole.
TEST_F(ContendedControlConnectionTest, TwoThreadsNeverInterleaveCommandAndReply) {
  constexpr int kRounds = 300;
  std::vector<std::string> wrongReplies;
  std::thread transferLike([&] {
    for (int round = 0; round < kRounds; ++round) {
      const std::string command = "SIZE a" + std::to_string(round);
      const BusyScope busy(session_.state);
      sendLine(session_, socket_, command);
      getReply(session_, socket_);
      if (session_.state.replyLine != "213 " + command) {
        wrongReplies.push_back(command + " -> " + session_.state.replyLine);
      }
    }
  });
  int commandsAnsweredWrongly = 0;
  for (int round = 0; round < kRounds; ++round) {
    if (sendCommand(session_, socket_, "USER b%d", round) != 3) ++commandsAnsweredWrongly;
  }
  transferLike.join();

  EXPECT_THAT(wrongReplies, ::testing::IsEmpty());
  EXPECT_EQ(commandsAnsweredWrongly, 0);
  const std::vector<std::string> lines = server_.lines();
  ASSERT_EQ(lines.size(), 2u * kRounds);
  int nextA = 0;
  int nextB = 0;
  for (const std::string& line : lines) {
    if (line == "SIZE a" + std::to_string(nextA)) {
      ++nextA;
    } else {
      EXPECT_EQ(line, "USER b" + std::to_string(nextB));
      ++nextB;
    }
  }
}

TEST_F(ContendedControlConnectionTest, CommandWaitingForAnotherThreadGivesUpOnCancel) {
  log_.setVerbose(true);
  std::optional<BusyScope> transferLike(std::in_place, session_.state);
  auto waiting =
      std::async(std::launch::async, [&] { return sendLine(session_, socket_, "USER b"); });
  EXPECT_EQ(waiting.wait_for(kStillWaiting), std::future_status::timeout);
  requestCancel(session_);
  ASSERT_EQ(waiting.wait_for(kLongEnough), std::future_status::ready);
  EXPECT_EQ(waiting.get(), -1);
  EXPECT_THAT(log_.history(), ::testing::Contains("[X] Command in progress, yielding."));
  EXPECT_EQ(session_.state.exchange.depth(), 1);
  transferLike.reset();
  EXPECT_EQ(session_.state.exchange.depth(), 0);
  EXPECT_THAT(server_.lines(), ::testing::IsEmpty());
}

}  // namespace
}  // namespace ferrix::session
