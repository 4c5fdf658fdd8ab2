// The data channel against real FTP servers on loopback: logon with plain
// USER and PASS, a listing received over a passive and an active data
// connection, and QUIT.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <tuple>

#include "session/control_channel.h"
#include "session/data_channel.h"
#include "session/message_log.h"
#include "testing/real_ftp_servers.h"

namespace ferrix::session {
namespace {

using testing::FtpServerKind;
using ::testing::HasSubstr;
using testing::RealFtpServer;
using Outcome = DataExchangeResult::Outcome;

class RealServerSession {
 public:
  RealServerSession() : session_(log_, clock_, resolver_) {}
  ~RealServerSession() {
    if (control_ != -1) platform::closeSocket(control_);
  }

  Session& session() { return session_; }
  int control() const { return control_; }

  // Connects, reads the greeting and logs on; the reply class of PASS.
  int logOn(const RealFtpServer& server, const std::string& user, const std::string& password) {
    control_ = openControlConnection(session_, "127.0.0.1", server.port());
    if (control_ == -1 || getReply(session_, control_) != 2) return 0;
    if (sendCommand(session_, control_, "USER %s", user.c_str()) != 3) return 0;
    return sendCommand(session_, control_, "PASS %s", password.c_str());
  }

  // Runs `command` over a data connection and keeps what arrives.
  DataExchangeResult receive(const std::string& command, std::string* received) {
    DataExchangeRequest request;
    request.direction = DataDirection::kReceive;
    request.sendTransferCommand = [command](Session& session, int control) {
      return sendCommandText(session, control, command);
    };
    request.moveData = [received](Session& session, int dataSocket) {
      char buffer[4096];
      long count;
      while ((count = recvWithTimeout(session, dataSocket, buffer, sizeof buffer, 0, 5000)) > 0) {
        received->append(buffer, static_cast<std::size_t>(count));
      }
    };
    return dataExchange(session_, control_, request);
  }

  std::string logText() const {
    std::string text;
    for (const std::string& line : log_.history()) text += line + "\n";
    return text;
  }

 private:
  platform::SystemClock clock_;
  platform::SystemResolver resolver_;
  MessageLog log_;
  Session session_;
  int control_ = -1;
};

void putFile(const RealFtpServer& server, const std::string& name, const std::string& text) {
  std::ofstream(server.servedFolder() / name, std::ios::binary) << text;
}

class RealServerDataChannel : public ::testing::TestWithParam<std::tuple<FtpServerKind, bool>> {};

TEST_P(RealServerDataChannel, ListingArrivesAfterAPlainLogon) {
  const auto [kind, passive] = GetParam();
  RealFtpServer server(kind);
  ASSERT_EQ(server.startError(), "") << server.name() << " could not be started";
  putFile(server, "hello.txt", "Hello from the served folder\n");

  RealServerSession client;
  client.session().state.sessionProfile.passiveMode = passive ? 1 : 0;
  ASSERT_EQ(client.logOn(server, server.login().user, server.login().password), 2)
      << client.logText();
  std::string listing;
  const DataExchangeResult result = client.receive("LIST", &listing);
  EXPECT_EQ(result.outcome, Outcome::kDataMoved) << client.logText();
  EXPECT_EQ(result.passive, passive);
  EXPECT_EQ(getReply(client.session(), client.control()), 2) << client.logText();
  EXPECT_THAT(listing, HasSubstr("hello.txt"));
  EXPECT_EQ(client.session().state.dataSocket, -1);
  EXPECT_EQ(client.session().state.listenSocket, -1);
  EXPECT_EQ(sendCommand(client.session(), client.control(), "QUIT"), 2);
}

INSTANTIATE_TEST_SUITE_P(BothServersBothModes, RealServerDataChannel,
                         ::testing::Combine(::testing::Values(FtpServerKind::kPyftpdlib,
                                                              FtpServerKind::kVsftpd),
                                            ::testing::Bool()),
                         [](const auto& info) {
                           const bool isPyftpdlib =
                               std::get<0>(info.param) == FtpServerKind::kPyftpdlib;
                           return std::string(isPyftpdlib ? "Pyftpdlib" : "Vsftpd") +
                                  (std::get<1>(info.param) ? "Passive" : "Active");
                         });

TEST(RealServerAnonymous, ReadsFilesAndIsRefusedMissingOnes) {
  RealFtpServer server(FtpServerKind::kPyftpdlib);
  ASSERT_EQ(server.startError(), "") << server.name() << " could not be started";
  putFile(server, "public.txt", "open to all\n");

  RealServerSession client;
  ASSERT_EQ(client.logOn(server, "anonymous", "guest@example.test"), 2) << client.logText();
  EXPECT_EQ(sendCommand(client.session(), client.control(), "TYPE I"), 2);
  std::string file;
  const DataExchangeResult retrieved = client.receive("RETR public.txt", &file);
  EXPECT_EQ(retrieved.outcome, Outcome::kDataMoved) << client.logText();
  EXPECT_EQ(getReply(client.session(), client.control()), 2);
  EXPECT_EQ(file, "open to all\n");

  std::string nothing;
  const DataExchangeResult refused = client.receive("RETR absent.txt", &nothing);
  EXPECT_EQ(refused.outcome, Outcome::kCommandRefused) << client.logText();
  EXPECT_EQ(refused.commandClass, 5);
  EXPECT_EQ(client.session().state.dataSocket, -1);
  EXPECT_EQ(sendCommand(client.session(), client.control(), "QUIT"), 2);
}

}  // namespace
}  // namespace ferrix::session
