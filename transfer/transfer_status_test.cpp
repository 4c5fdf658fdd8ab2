#include "transfer/transfer_status.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "session/control_channel.h"
#include "session/message_log.h"
#include "testing/scripted_ftp_server.h"
#include "testing/scripted_user_interface.h"

namespace ferrix::transfer {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct RateCase {
  std::uint64_t bytes;
  std::uint64_t elapsedMs;
  bool bytesPerSecond;
  const char* shown;
};

TEST(TransferRate, UnitsFollowTheSizeOfTheRate) {
  const RateCase cases[] = {
      {50000, 2000, false, "244.14 Kbps"},
      {50000, 100000, false, "5000.00 bps"},
      {500, 10, false, "488.28 Kbps"},
      {62, 1, false, "605.47 Kbps"},
      {20480, 2000, false, "100.00 Kbps"},
      {1048576, 1000, false, "10.04 Mbps"},
      {204800, 2000, false, "1003.50 Kbps"},
      {2048, 1000, true, "2.00 KBps"},
      {1000, 1000, true, "1000.00 Bps"},
      {10485760, 2000, true, "5.00 MBps"},
  };
  for (const RateCase& c : cases) {
    SCOPED_TRACE(c.shown);
    const TransferRate rate = ComputeTransferRate(c.bytes, c.elapsedMs, c.bytesPerSecond);
    char shown[64];
    std::snprintf(shown, sizeof shown, "%.2f %s", static_cast<double>(rate.rate), rate.unit);
    EXPECT_STREQ(shown, c.shown);
  }
}

TEST(TransferStatusText, SizeComesFromTheLastParenthesis) {
  EXPECT_EQ(ParseExpectedSize("150 Opening BINARY mode data connection for a.zip (1048576 bytes)"),
            1048576u);
  EXPECT_EQ(ParseExpectedSize("150 Opening (x) for a (12 kbytes)."), 12u);
  EXPECT_EQ(ParseExpectedSize("150 Opening data (12 K)"), 12u * 1024);
  EXPECT_EQ(ParseExpectedSize("150 Opening (5000000000 bytes)"), 5000000000u);
  EXPECT_EQ(ParseExpectedSize("150 Here comes the directory listing."), 0u);
  EXPECT_EQ(ParseExpectedSize("150 (no size)"), 0u);
  EXPECT_EQ(ParseExpectedSize(""), 0u);
}

TEST(TransferStatusText, PercentUsesCoarseDivisionForLargeSizes) {
  EXPECT_EQ(ProgressPercent(0, 500), 0u);
  EXPECT_EQ(ProgressPercent(250, 500), 50u);
  EXPECT_EQ(ProgressPercent(999999, 999999), 100u);
  EXPECT_EQ(ProgressPercent(1500000, 3000099), 50u);  // 1500000 / 30000
  EXPECT_EQ(ProgressPercent(3000000000, 6000000000), 50u);
}

TEST(TransferStatusText, ProgressShowsElapsedAndRemainingTime) {
  EXPECT_EQ(FormatProgress(20480, 0, 50, 0, false), "20480 : 3.91 Mbps");
  EXPECT_EQ(FormatProgress(123456, 0, 27000, 0, false), "123456 : 44.81 Kbps : 0:27");
  // 100000 bytes in 10 s leave 900000 bytes at 10000 bytes/s: 90 s.
  EXPECT_EQ(FormatProgress(100000, 0, 10000, 1000000, true), "100000 : 9.77 KBps : 0:10 : 1:30");
}

class TransferStatusDisplayTest : public ::testing::Test {
 protected:
  testing::ScriptedUserInterface ui_;
};

TEST_F(TransferStatusDisplayTest, RefreshesAtMostTwiceASecondWithAPercentWhenSized) {
  TransferStatus status(ui_, true, false);
  status.OpenTransferStatus(TransferMode::kReceiving, "150 Opening (1000 bytes)", 0);
  EXPECT_EQ(ui_.openDisplay(), session::UserInterface::TransferDisplay::kDialog);
  status.ShowProgress(100, 0, 100);
  status.ShowProgress(200, 0, 400);
  status.ShowProgress(700, 0, 600);
  status.ShowProgress(0, 0, 700);
  const auto shown = ui_.progress();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].percent, 10u);
  EXPECT_EQ(shown[1].percent, 70u);
  EXPECT_EQ(shown[2].text, "");
  status.CloseTransferStatus();
  EXPECT_FALSE(ui_.openDisplay());
}

TEST_F(TransferStatusDisplayTest, WithoutHashTheByteCountGoesToAStatusLineTwiceASecond) {
  TransferStatus status(ui_, false, false);
  status.OpenTransferStatus(TransferMode::kSending, "Sending BINARY file a", 4000);
  EXPECT_EQ(status.expectedSize(), 4000u);
  EXPECT_EQ(ui_.openDisplay(), session::UserInterface::TransferDisplay::kSendStatusLine);
  status.ShowProgress(10, 0, 1);
  status.ShowProgress(20, 0, 2);
  status.ShowProgress(30, 0, 501);
  ASSERT_EQ(ui_.progress().size(), 2u);
  EXPECT_EQ(ui_.progress()[0].text, "10");
  EXPECT_EQ(ui_.progress()[1].text, "30");
}

class TransferSessionTest : public ::testing::Test {
 protected:
  TransferSessionTest() : session_(log_, clock_, resolver_) {}
  std::string lastLogged() const {
    const std::vector<std::string> lines = log_.history();
    return lines[static_cast<std::size_t>(log_.logCount() - 1)];
  }
  session::MessageLog log_;
  platform::SystemClock clock_;
  platform::SystemResolver resolver_;
  session::Session session_;
};

TEST_F(TransferSessionTest, SummaryLineNamesBytesTimeRateAndResult) {
  WriteTransferSummary(session_, "Received", 20480, 1000, 3000, false, false);
  EXPECT_EQ(lastLogged(), "Received 20480 bytes in 2.0 secs, (100.00 Kbps), transfer succeeded");
  WriteTransferSummary(session_, "Transmitted", 10, 1000, 1001, true, true);
  EXPECT_EQ(lastLogged(), "Transmitted 10 bytes in 0.0 secs, (9.77 KBps), transfer failed");
}

// A fast transfer is timed to the millisecond, not rounded up to 0.1 s.
TEST_F(TransferSessionTest, SummaryOfAFastTransferUsesItsMilliseconds) {
  WriteTransferSummary(session_, "Received", 1048576, 5000, 5004, false, false);
  EXPECT_EQ(lastLogged(), "Received 1048576 bytes in 0.0 secs, (2509.77 Mbps), transfer succeeded");
  WriteTransferSummary(session_, "Received", 1048576, 5000, 5300, false, false);
  EXPECT_EQ(lastLogged(), "Received 1048576 bytes in 0.3 secs, (33.46 Mbps), transfer succeeded");
}

TEST_F(TransferSessionTest, AbortSendsInterruptAsUrgentDataThenAbor) {
  testing::ScriptedFtpServer server;
  server.expectLine("\xff\xf4\xff\xf2" "ABOR").reply("226 Abort successful");
  server.start();
  const int socket = session::openControlConnection(session_, "127.0.0.1", server.port());
  ASSERT_NE(socket, -1);
  log_.setVerbose(true);
  EXPECT_EQ(SendAbort(session_, socket), 2);
  EXPECT_TRUE(server.waitUntilDone(std::chrono::milliseconds(5000)));
  EXPECT_THAT(server.failures(), IsEmpty());
  EXPECT_EQ(server.receivedText(), "\xff\xf4<URG:FF>\xf2" "ABOR\r\n");
  EXPECT_THAT(log_.history(), ::testing::Contains("[" + std::to_string(socket) + "] Transmitted ABOR"));
  platform::closeSocket(socket);
}

}  // namespace
}  // namespace ferrix::transfer
