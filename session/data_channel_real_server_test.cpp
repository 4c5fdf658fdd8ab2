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
#include "testing/real_server_session.h"

namespace ferrix::session {
namespace {

using testing::FtpServerKind;
using ::testing::HasSubstr;
using testing::RealFtpServer;
using testing::RealServerSession;
using Outcome = DataExchangeResult::Outcome;

// Runs `command` over the client's data connection and keeps what arrives.
DataExchangeResult receive(RealServerSession& client, const std::string& command,
                           std::string* received) {
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
  return dataExchange(client.session(), client.control(), request);
}

void putFile(const RealFtpServer& server, const std::string& name, const std::string& text) {
  std::ofstream(server.servedFolder() / name, std::ios::binary) << text;
}

class RealServerDataChannel : public ::testing::TestWithParam<std::tuple<FtpServerKind, bool>> {};

TEST_P(RealServerDataChannel, ListingArrivesAfterAPlainLogon) {
  const auto [kind, passive] = GetParam();
  RealServerSession client(kind);
  const RealFtpServer& server = client.server();
  ASSERT_EQ(server.startError(), "") << server.name() << " could not be started";
  putFile(server, "hello.txt", "Hello from the served folder\n");

  client.session().state.sessionProfile.passiveMode = passive ? 1 : 0;
  ASSERT_EQ(client.logOn(), "");
  std::string listing;
  const DataExchangeResult result = receive(client, "LIST", &listing);
  EXPECT_EQ(result.outcome, Outcome::kDataMoved) << client.logText();
  EXPECT_EQ(result.passive, passive);
  EXPECT_EQ(getReply(client.session(), client.control()), 2) << client.logText();
  EXPECT_THAT(listing, HasSubstr("hello.txt"));
  EXPECT_EQ(client.session().state.dataSocket, -1);
  EXPECT_EQ(client.session().state.listenSocket, -1);
  EXPECT_EQ(client.quit(), 2);
}

INSTANTIATE_TEST_SUITE_P(BothServersBothModes, RealServerDataChannel,
                         ::testing::Combine(::testing::Values(FtpServerKind::kPyftpdlib,
                                                              FtpServerKind::kVsftpd,
                                                              FtpServerKind::kVsftpdExplicitTls),
                                            ::testing::Bool()),
                         [](const auto& info) {
                           return testing::testNameOf(std::get<0>(info.param)) +
                                  (std::get<1>(info.param) ? "Passive" : "Active");
                         });

TEST(RealServerAnonymous, ReadsFilesAndIsRefusedMissingOnes) {
  RealServerSession client(FtpServerKind::kPyftpdlib);
  const RealFtpServer& server = client.server();
  ASSERT_EQ(server.startError(), "") << server.name() << " could not be started";
  putFile(server, "public.txt", "open to all\n");

  ASSERT_EQ(client.logOn({"anonymous", "guest@example.test"}), "");
  EXPECT_EQ(sendCommand(client.session(), client.control(), "TYPE I"), 2);
  std::string file;
  const DataExchangeResult retrieved = receive(client, "RETR public.txt", &file);
  EXPECT_EQ(retrieved.outcome, Outcome::kDataMoved) << client.logText();
  EXPECT_EQ(getReply(client.session(), client.control()), 2);
  EXPECT_EQ(file, "open to all\n");

  std::string nothing;
  const DataExchangeResult refused = receive(client, "RETR absent.txt", &nothing);
  EXPECT_EQ(refused.outcome, Outcome::kCommandRefused) << client.logText();
  EXPECT_EQ(refused.commandClass, 5);
  EXPECT_EQ(client.session().state.dataSocket, -1);
  EXPECT_EQ(client.quit(), 2);
}

}  // namespace
}  // namespace ferrix::session
