// Downloads and uploads when something goes wrong halfway: the server drops
// a connection, the local file cannot be written, the server claims a size
// beyond 32 bits, the user cancels.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <algorithm>
#include <thread>

#include "session/connection.h"
#include "session/control_channel.h"
#include "session/message_log.h"
#include "testing/scratch_folder.h"
#include "testing/scripted_ftp_server.h"
#include "transfer/scripted_transfer_test_support.h"
#include "testing/scripted_user_interface.h"
#include "transfer/receive_file.h"
#include "transfer/send_file.h"

namespace ferrix::transfer {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using std::chrono::milliseconds;
using testing::ScriptedFtpServer;

constexpr char kAbortSequence[] = "\xff\xf4\xff\xf2" "ABOR";

std::string readFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

// Bytes that differ from position to position, so a misplaced block shows.
std::string patterned(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131) ^ (i >> 9));
  return bytes;
}

class TransferFaultTest : public ScriptedTransferTest {
 protected:
  TransferFaultTest() {
    state_.serverTransferType = 'I';
    settings_.sendBlockSize = TransferSettings::kMaxBlockSize;
  }
};

TEST_F(TransferFaultTest, DataDroppedHalfwayKeepsThePartAndARestartCompletesIt) {
  const std::string whole = patterned(200000);
  const std::size_t half = 70001;
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("RETR /pub/big.bin").reply("150 Opening BINARY mode (200000 bytes)")
      .sendData(whole.substr(0, half)).closeData()
      .reply("426 Connection closed; transfer aborted.")
      .expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("REST " + std::to_string(half)).reply("350 Restart position accepted")
      .expectLine("RETR /pub/big.bin").reply("150 Opening BINARY mode")
      .sendData(whole.substr(half)).closeData().reply("226 Transfer complete");
  const int socket = connect();
  TransferContext transfer = context();
  const std::filesystem::path local = folder() / "big.bin";

  EXPECT_EQ(ReceiveToFile(transfer, socket, "RETR /pub/big.bin", local.string(), 'I', false), 4);
  EXPECT_EQ(readFile(local), whole.substr(0, half));

  EXPECT_EQ(ReceiveFromOffset(transfer, socket, "RETR /pub/big.bin", local.string(), 'I', half)
                .replyClass,
            2);
  expectScriptDone();
  EXPECT_EQ(readFile(local), whole);
}

TEST_F(TransferFaultTest, SizeOtherThanAnnouncedIsKeptAndNoted) {
  struct Case {
    const char* announcement;
    std::size_t size;
    bool noted;
  };
  const Case cases[] = {
      {"150 Opening BINARY mode (10 bytes)", 1000000, true},
      {"150 Opening BINARY mode (1000000 bytes)", 10, true},
      {"150 Opening BINARY mode (1000000 bytes)", 1000000, false},
      {"150 Opening BINARY mode", 1000000, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.announcement + std::string(" / ") + std::to_string(c.size));
    ScriptedFtpServer server;
    const std::string content = patterned(c.size);
    const std::uint16_t dataPort = server.openPassiveDataListener();
    server.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
        .expectLine("RETR file.bin").reply(c.announcement)
        .sendData(content).closeData().reply("226 Transfer complete");
    server.start();
    const int socket = session::openControlConnection(session_, "127.0.0.1", server.port());
    session_.state.connected = 1;
    TransferContext transfer = context();
    const std::filesystem::path local = folder() / "file.bin";
    EXPECT_EQ(ReceiveToFile(transfer, socket, "RETR file.bin", local.string(), 'I', false), 2);
    EXPECT_TRUE(server.waitUntilDone(milliseconds(5000)));
    EXPECT_EQ(readFile(local), content);
    const std::string note = "+ Size differed from the announcement: " +
                             std::to_string(ParseExpectedSize(c.announcement)) +
                             " bytes announced, " + std::to_string(c.size) + " received";
    const std::vector<std::string> lines = log_.history();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), note), c.noted ? 1 : 0);
    platform::closeSocket(socket);
  }
}

TEST_F(TransferFaultTest, ControlConnectionLostDuringADownloadFailsIt) {
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("RETR file.bin").reply("150 Opening").sendData("first part")
      .closeConnection().sendData(" and the rest").closeData();
  const int socket = connect();
  TransferContext transfer = context();
  const std::filesystem::path local = folder() / "file.bin";
  EXPECT_NE(ReceiveToFile(transfer, socket, "RETR file.bin", local.string(), 'I', false), 2);
  expectScriptDone();
  // What arrived is kept for a later restart.
  EXPECT_EQ(readFile(local), "first part and the rest");
}

TEST_F(TransferFaultTest, ControlConnectionLostDuringAnUploadFailsIt) {
  const std::filesystem::path local = folder() / "up.bin";
  std::ofstream(local, std::ios::binary) << patterned(50000);
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("STOR up.bin").reply("150 Ok to send data").closeConnection()
      .receiveDataUntilClose();
  const int socket = connect();
  TransferContext transfer = context();
  EXPECT_NE(SendFromFile(transfer, socket, "STOR up.bin", local.string(), 'I'), 2);
  expectScriptDone();
}

TEST_F(TransferFaultTest, UnwritableDestinationCancelsWithTheAbortSequence) {
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("RETR big.iso").reply("150 Opening")
      .sendDataUntilAborted(std::string(1 << 20, 'x'))
      .expectLine(kAbortSequence).reply("426 Transfer aborted").closeData()
      .reply("226 Abort ok");
  const int socket = connect();
  TransferContext transfer = context();
  // Root may write anywhere, so the folder is missing rather than locked.
  const std::filesystem::path local = folder() / "no-such-folder" / "big.iso";
  ReceiveToFile(transfer, socket, "RETR big.iso", local.string(), 'I', false);
  expectScriptDone();
  EXPECT_EQ(state_.transferResult, kBrokenOff);
  EXPECT_THAT(log_.history(), Contains("! File error on WRITE! Transfer cancelled."));
  EXPECT_THAT(server_.receivedText(), HasSubstr("\xff\xf4<URG:FF>\xf2" "ABOR\r\n"));
  EXPECT_FALSE(std::filesystem::exists(local));
}

TEST_F(TransferFaultTest, SizeBeyondFourGigabytesGivesTheRightPercentages) {
  // 60 MB of 5 GB is 1 %; a size cut to 32 bits (705032704) would show 8 %.
  // The pause lets the half-second refresh show a figure past the start.
  const std::size_t first = 55'000'000;
  const std::size_t sent = 60'000'000;
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("RETR huge.iso")
      .reply("150 Opening BINARY mode data connection for huge.iso (5000000000 bytes)")
      .sendData(std::string(first, 'h')).delay(milliseconds(700))
      .sendData(std::string(sent - first, 'h')).closeData().reply("226 Transfer complete");
  const int socket = connect();
  TransferContext transfer = context();
  EXPECT_EQ(ReceiveToFile(transfer, socket, "RETR huge.iso", (folder() / "huge.iso").string(), 'I',
                          false),
            2);
  expectScriptDone();
  unsigned highest = 0;
  for (const testing::ScriptedUserInterface::Progress& shown : ui_.progress()) {
    if (shown.percent) highest = std::max(highest, *shown.percent);
  }
  EXPECT_EQ(highest, 1u);
  EXPECT_EQ(std::filesystem::file_size(folder() / "huge.iso"), sent);

  struct Case {
    std::uint64_t done;
    unsigned percent;
  };
  for (const Case& c : {Case{4294967296, 85}, Case{2500000000, 50}, Case{4999999999, 99},
                        Case{5000000000, 100}}) {
    EXPECT_EQ(ProgressPercent(c.done, 5000000000u), c.percent) << c.done;
  }
}

TEST_F(TransferFaultTest, CancelledUploadClosesTheDataConnectionWithoutAbort) {
  const std::filesystem::path local = folder() / "big.bin";
  std::ofstream(local, std::ios::binary) << std::string(8 << 20, 'u');
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("STOR big.bin").reply("150 Ok to send data").receiveDataUntilClose()
      .reply("226 Transfer complete");
  const int socket = connect();
  // The first block sent is shown at once: Cancel there, as a person would.
  ui_.setProgressHook([&](std::string_view text) {
    if (!text.empty()) session::requestCancel(session_);
  });
  TransferContext transfer = context();
  SendFromFile(transfer, socket, "STOR big.bin", local.string(), 'I');
  expectScriptDone();
  ASSERT_EQ(server_.receivedData().size(), 1u);
  EXPECT_LT(server_.receivedData()[0].size(), std::size_t{8} << 20);
  EXPECT_THAT(server_.receivedText(), Not(HasSubstr("ABOR")));
  EXPECT_EQ(state_.transferResult, kBrokenOff);
  EXPECT_THAT(log_.history(), Contains(::testing::EndsWith("transfer failed")));
}

}  // namespace
}  // namespace ferrix::transfer
