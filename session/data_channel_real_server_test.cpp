// The data channel against real FTP servers on loopback: logon with plain
// USER and PASS, a listing received over a passive and an active data
// connection (PASV/PORT on IPv4, EPSV/EPRT on IPv4 after FEAT and on IPv6),
// and QUIT.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <tuple>

#include "session/control_channel.h"
#include "session/data_channel.h"
#include "session/feature_exchange.h"
#include "testing/real_server_session.h"

namespace ferrix::session {
namespace {

using testing::FtpServerKind;
using testing::LoopbackFamily;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::StartsWith;
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

// How the client reaches the server, and so which data commands it uses.
enum class Route { kIpv4, kIpv4AfterFeat, kIpv6 };

class RealServerDataChannel
    : public ::testing::TestWithParam<std::tuple<FtpServerKind, bool, Route>> {};

// The data command each route and mode must have used.
const char* expectedDataCommand(Route route, bool passive) {
  if (route == Route::kIpv4) return passive ? "PASV" : "PORT 127,0,0,1,";
  if (route == Route::kIpv4AfterFeat) return passive ? "EPSV" : "EPRT |1|127.0.0.1|";
  return passive ? "EPSV" : "EPRT |2|::1|";
}

TEST_P(RealServerDataChannel, ListingArrivesAfterAPlainLogon) {
  const auto [kind, passive, route] = GetParam();
  RealServerSession client(kind, route == Route::kIpv6 ? LoopbackFamily::kIpv6
                                                       : LoopbackFamily::kIpv4);
  const RealFtpServer& server = client.server();
  ASSERT_EQ(server.startError(), "") << server.name() << " could not be started";
  putFile(server, "hello.txt", "Hello from the served folder\n");

  client.session().state.sessionProfile.passiveMode = passive ? 1 : 0;
  ASSERT_EQ(client.logOn(), "");
  if (route == Route::kIpv4AfterFeat) {
    exchangeFeatures(client.session(), client.control());
    EXPECT_TRUE(client.session().state.features.epsv) << client.logText();
  }
  std::string listing;
  const DataExchangeResult result = receive(client, "LIST", &listing);
  EXPECT_EQ(result.outcome, Outcome::kDataMoved) << client.logText();
  EXPECT_EQ(result.passive, passive);
  EXPECT_EQ(getReply(client.session(), client.control()), 2) << client.logText();
  EXPECT_THAT(listing, HasSubstr("hello.txt"));
  EXPECT_THAT(client.log().history(), Contains(StartsWith(expectedDataCommand(route, passive))))
      << client.logText();
  EXPECT_EQ(client.session().state.dataSocket, -1);
  EXPECT_EQ(client.session().state.listenSocket, -1);
  EXPECT_EQ(client.quit(), 2);
}

std::string caseName(const ::testing::TestParamInfo<RealServerDataChannel::ParamType>& info) {
  static constexpr const char* kRoutes[] = {"Ipv4", "Ipv4AfterFeat", "Ipv6"};
  return testing::testNameOf(std::get<0>(info.param)) +
         (std::get<1>(info.param) ? "Passive" : "Active") +
         kRoutes[static_cast<int>(std::get<2>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(
    BothServersBothModes, RealServerDataChannel,
    ::testing::Combine(::testing::Values(FtpServerKind::kPyftpdlib, FtpServerKind::kVsftpd),
                       ::testing::Bool(),
                       ::testing::Values(Route::kIpv4, Route::kIpv4AfterFeat, Route::kIpv6)),
    caseName);

// The TLS logon exchanges features itself, so only the route after FEAT applies.
INSTANTIATE_TEST_SUITE_P(ExplicitTls, RealServerDataChannel,
                         ::testing::Combine(::testing::Values(FtpServerKind::kVsftpdExplicitTls),
                                            ::testing::Bool(),
                                            ::testing::Values(Route::kIpv4AfterFeat)),
                         caseName);

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
