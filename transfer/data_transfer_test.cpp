#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <thread>

using namespace std::string_literals;

#include "decoder/include/ferrixcore.h"
#include "session/connection.h"
#include "session/control_channel.h"
#include "session/message_log.h"
#include "testing/real_ftp_servers.h"
#include "testing/scripted_ftp_server.h"
#include "testing/scripted_user_interface.h"
#include "transfer/receive_file.h"
#include "transfer/scripted_transfer_test_support.h"
#include "transfer/send_file.h"

namespace ferrix::transfer {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using std::chrono::milliseconds;
using testing::ScriptedFtpServer;


std::string readFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

using DataTransferTest = ScriptedTransferTest;

TEST_F(DataTransferTest, PassiveDownloadIsWrittenByteForByte) {
  const std::string bytes = "line one\r\nline two\r\n\x1a\0end"s;
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("TYPE I").reply("200 Type set to I")
      .expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("RETR notes.txt").reply("150 Opening BINARY mode data connection (23 bytes)")
      .sendData(bytes).closeData().reply("226 Transfer complete");
  const int socket = connect();
  TransferContext transfer = context();
  const std::string local = (folder() / "notes.txt").string();
  EXPECT_EQ(ReceiveToFile(transfer, socket, "RETR notes.txt", local, 'I', false), 2);
  expectScriptDone();
  EXPECT_EQ(readFile(local), bytes);
  EXPECT_EQ(state_.transferResult, kTransferred);
  EXPECT_EQ(state_.serverTransferType, 'I');
  EXPECT_EQ(state_.statusText, "150 Opening BINARY mode data connection (23 bytes)");
  EXPECT_EQ(session_.state.exchange.depth(), 0);
  EXPECT_THAT(log_.history(), Contains(::testing::StartsWith("Received 25 bytes in ")));
}

// The progress shows a percentage only when the size is known.
TEST_F(DataTransferTest, SizeIsAskedWhenNeitherThePaneNorTheReplyKnowsIt) {
  state_.serverTransferType = 'I';
  session_.state.features.size = true;
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("SIZE big.bin").reply("213 8000")
      .expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("RETR big.bin").reply("150 Opening BINARY mode data connection")
      .sendData(std::string(4000, 'x')).closeData().reply("226 Done");
  const int socket = connect();
  TransferContext transfer = context();
  const std::string local = (folder() / "big.bin").string();
  EXPECT_EQ(ReceiveToFile(transfer, socket, "RETR big.bin", local, 'I', false), 2);
  expectScriptDone();
  bool showedPercent = false;
  for (const auto& shown : ui_.progress()) showedPercent |= shown.percent.has_value();
  EXPECT_TRUE(showedPercent);
}

TEST_F(DataTransferTest, AutomaticModePicksTheTypeByNameAndTypeErrorsDoNotStopTheTransfer) {
  state_.automaticMode = true;
  state_.serverTransferType = 'I';
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("TYPE A").reply("504 Type not supported")
      .expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("RETR readme.txt").reply("150 Here it comes")
      .closeData().reply("226 Done");
  const int socket = connect();
  TransferContext transfer = context();
  const std::string local = (folder() / "readme.txt").string();
  EXPECT_EQ(ReceiveToFile(transfer, socket, "RETR readme.txt", local, 'I', false), 2);
  expectScriptDone();
  EXPECT_EQ(state_.transferMode, 'A');
  EXPECT_EQ(state_.serverTransferType, 'A');
  // An empty file is made, and counts as nothing transferred.
  EXPECT_TRUE(std::filesystem::exists(local));
  EXPECT_EQ(std::filesystem::file_size(local), 0u);
  EXPECT_EQ(state_.transferResult, kNothingTransferred);
}

TEST_F(DataTransferTest, KnetServersGetTheArgumentQuotedAfter550InActiveMode) {
  session_.state.sessionProfile.passiveMode = 0;
  session_.state.sessionProfile.hostType = FERRIX_HOST_TYPE_IBM_MVS_KNET;
  state_.serverTransferType = 'I';
  server_.expectLineStartingWith("PORT 127,0,0,1,").reply("200 PORT ok")
      .expectLine("RETR X.Y").reply("550 Not found")
      .expectLine("RETR 'X.Y'").reply("150 Opening").connectActiveFromPortCommand()
      .sendData("data").closeData().reply("226 Done");
  const int socket = connect();
  TransferContext transfer = context();
  EXPECT_EQ(ReceiveToFile(transfer, socket, "RETR X.Y", (folder() / "X.Y").string(), 'I', false), 2);
  expectScriptDone();
  EXPECT_EQ(readFile(folder() / "X.Y"), "data");
}

TEST_F(DataTransferTest, RefusedLinkReportsFiveAndRefusalInPassiveModeReturnsItsClass) {
  state_.serverTransferType = 'I';
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("RETR link").reply("550 Not a plain file")
      .expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("RETR gone").reply("550 No such file");
  const int socket = connect();
  TransferContext transfer = context();
  state_.currentEntry.kind = CurrentEntry::kLinkKind;
  EXPECT_EQ(ReceiveToFile(transfer, socket, "RETR link", (folder() / "link").string(), 'I', false),
            5);
  EXPECT_EQ(state_.transferResult, kRefusedLink);
  state_.currentEntry = {};
  EXPECT_EQ(ReceiveToFile(transfer, socket, "RETR gone", (folder() / "gone").string(), 'I', false),
            5);
  EXPECT_EQ(state_.transferResult, kNothingTransferred);
  expectScriptDone();
}

TEST_F(DataTransferTest, ListingDateIsGivenToTheDownloadedFile) {
  state_.serverTransferType = 'I';
  state_.currentEntry = {0, 98, 1, 5, 10, 20, 4};
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("RETR old.bin").reply("150 Opening").sendData("abcd").closeData()
      .reply("226 Done");
  const int socket = connect();
  TransferContext transfer = context();
  const std::string local = (folder() / "old.bin").string();
  EXPECT_EQ(ReceiveToFile(transfer, socket, "RETR old.bin", local, 'I', false), 2);
  expectScriptDone();
  struct stat status {};
  ASSERT_EQ(::stat(local.c_str(), &status), 0);
  std::tm when{};
  localtime_r(&status.st_mtime, &when);
  EXPECT_EQ(when.tm_year + 1900, 1998);
  EXPECT_EQ(when.tm_mon + 1, 1);
  EXPECT_EQ(when.tm_mday, 5);
  EXPECT_EQ(when.tm_hour, 10);
  EXPECT_EQ(when.tm_min, 20);
  EXPECT_EQ(state_.currentEntry.year, 0);
}

TEST_F(DataTransferTest, CancelDuringADownloadSendsTheAbortSequence) {
  state_.serverTransferType = 'I';
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("RETR big.iso").reply("150 Opening").sendData(std::string(65536, 'x'))
      .expectLine("\xff\xf4\xff\xf2" "ABOR").reply("426 Transfer aborted").closeData()
      .reply("226 Abort ok");
  const int socket = connect();
  TransferContext transfer = context();
  std::thread canceller([&] {
    while (ui_.progress().size() < 2) std::this_thread::sleep_for(milliseconds(1));
    session::requestCancel(session_);
  });
  const std::string local = (folder() / "big.iso").string();
  EXPECT_EQ(ReceiveToFile(transfer, socket, "RETR big.iso", local, 'I', false), 2);
  canceller.join();
  expectScriptDone();
  EXPECT_EQ(state_.transferResult, kBrokenOff);
  EXPECT_THAT(server_.receivedText(), ::testing::HasSubstr("\xff\xf4<URG:FF>\xf2" "ABOR\r\n"));
  EXPECT_THAT(log_.history(), Contains(::testing::EndsWith("transfer failed")));
}

// A command of another thread (the window's, say) started while a download
// runs waits until the download has read its completion reply: neither can
// take the other's reply.
TEST_F(DataTransferTest, CommandOfAnotherThreadWaitsForTheDownloadsCompletionReply) {
  state_.serverTransferType = 'I';
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("RETR slow.bin").reply("150 Opening").sendData("first half ")
      .delay(milliseconds(300)).sendData("second half").closeData().reply("226 Transfer complete")
      .expectLine("SITE WHO").reply("502 Not implemented");
  const int socket = connect();
  TransferContext transfer = context();
  int otherClass = 0;
  std::thread otherThread([&] {
    while (server_.receivedLines().size() < 2) std::this_thread::sleep_for(milliseconds(1));
    otherClass = session::sendCommand(session_, socket, "SITE WHO");
  });
  const std::string local = (folder() / "slow.bin").string();
  EXPECT_EQ(ReceiveToFile(transfer, socket, "RETR slow.bin", local, 'I', false), 2);
  otherThread.join();
  expectScriptDone();
  EXPECT_EQ(otherClass, 5);
  EXPECT_EQ(readFile(local), "first half second half");
  EXPECT_EQ(state_.transferResult, kTransferred);
}

TEST_F(DataTransferTest, RestartRefusedStartsOver) {
  state_.serverTransferType = 'I';
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("REST 4").reply("500 REST not understood")
      .expectLine("RETR /pub/file.bin").reply("150 Opening").sendData("whole").closeData()
      .reply("226 Done");
  const int socket = connect();
  TransferContext transfer = context();
  const std::filesystem::path local = folder() / "file.bin";
  writeFile(local, "part");
  EXPECT_EQ(ReceiveFromOffset(transfer, socket, "RETR /pub/file.bin", local.string(), 'I', 4)
                .replyClass,
            2);
  expectScriptDone();
  EXPECT_EQ(readFile(local), "whole");
  EXPECT_THAT(log_.history(),
              Contains("+ Cannot restart at requested location, starting over."));
}

TEST_F(DataTransferTest, AsciiUploadDropsTheFinalEndOfFileMarkAndSetsTheTime) {
  state_.serverTransferType = 'A';
  settings_.sendBlockSize = 4096;
  const std::filesystem::path local = folder() / "notes.txt";
  writeFile(local, "a\r\nb\r\n\x1a");
  const timespec times[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};  // 2001-09-09 01:46:40 UTC
  utimensat(AT_FDCWD, local.c_str(), times, 0);
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("STOR notes.txt").reply("150 Ok to send data").receiveDataUntilClose()
      .reply("226 Transfer complete")
      .expectLine("MDTM 20010909014640 notes.txt").reply("500 Unknown command");
  const int socket = connect();
  TransferContext transfer = context();
  EXPECT_EQ(SendFromFile(transfer, socket, "STOR notes.txt", local.string(), 'A'), 2);
  expectScriptDone();
  EXPECT_THAT(server_.receivedData(), ElementsAre("a\r\nb\r\n"));
  // MDTM was refused: no further MDTM in this session.
  EXPECT_EQ(session_.state.sessionProfile.serverFeatureMask & 2, 0);
  EXPECT_THAT(log_.history(), Contains("+ MDTM refused: notes.txt keeps the server's time"));
  EXPECT_THAT(log_.history(), Contains(::testing::StartsWith("Transmitted 7 bytes in ")));
}

// A 0x1A that happens to end a block is data: only the file's last byte is
// an end-of-file mark. Line ends go out as CR LF.
TEST_F(DataTransferTest, AsciiUploadKeepsEndOfFileMarksInsideTheFile) {
  state_.serverTransferType = 'A';
  settings_.sendBlockSize = 4;
  session_.state.sessionProfile.serverFeatureMask = 4;
  const std::filesystem::path local = folder() / "blocks.txt";
  writeFile(local, "abc\x1a" "def\x1a" "g\x1ah\nend\r\n\x1a");
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("STOR blocks.txt").reply("150 Go").receiveDataUntilClose().reply("226 Stored");
  const int socket = connect();
  TransferContext transfer = context();
  EXPECT_EQ(SendFromFile(transfer, socket, "STOR blocks.txt", local.string(), 'A'), 2);
  expectScriptDone();
  EXPECT_THAT(server_.receivedData(), ElementsAre("abc\x1a" "def\x1a" "g\x1ah\r\nend\r\n"));
  EXPECT_THAT(log_.history(), Contains(::testing::StartsWith("Transmitted 18 bytes in ")));
}

TEST_F(DataTransferTest, AsciiDownloadGetsLocalLineEnds) {
  state_.serverTransferType = 'A';
  settings_.receiveBlockSize = 3;
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("RETR mixed.txt").reply("150 Opening ASCII mode data connection")
      .sendData("one\r\ntwo\nthree\rfour\r\n").closeData().reply("226 Done");
  const int socket = connect();
  TransferContext transfer = context();
  const std::string local = (folder() / "mixed.txt").string();
  EXPECT_EQ(ReceiveToFile(transfer, socket, "RETR mixed.txt", local, 'A', false), 2);
  expectScriptDone();
  EXPECT_EQ(readFile(local), "one\ntwo\nthree\rfour\n");
}

// Every block size from the smallest the options page allows to beyond the
// largest moves a file of several blocks and a ragged end intact both ways.
TEST_F(DataTransferTest, EveryBlockSizeMovesAFileIntactBothWays) {
  std::string bytes((2 << 20) + 12345, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 131 + i / 4099);
  const std::filesystem::path local = folder() / "blocks.bin";
  writeFile(local, bytes);
  const std::filesystem::path back = folder() / "back.bin";
  state_.serverTransferType = 'I';
  session_.state.sessionProfile.serverFeatureMask = 4;
  const int blockSizes[] = {80, 4096, 65536, 1048576, 0x7fffffff};
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  for (std::size_t i = 0; i < std::size(blockSizes); ++i) {
    server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
        .expectLine("STOR blocks.bin").reply("150 Go").receiveDataUntilClose().reply("226 Ok")
        .expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
        .expectLine("RETR blocks.bin").reply("150 Go").sendData(bytes).closeData()
        .reply("226 Ok");
  }
  const int socket = connect();
  for (const int blockSize : blockSizes) {
    settings_.receiveBlockSize = blockSize;
    settings_.sendBlockSize = blockSize;
    TransferContext transfer = context();
    EXPECT_EQ(SendFromFile(transfer, socket, "STOR blocks.bin", local.string(), 'I'), 2);
    EXPECT_EQ(ReceiveToFile(transfer, socket, "RETR blocks.bin", back.string(), 'I', false), 2);
    EXPECT_TRUE(readFile(back) == bytes) << blockSize;
  }
  expectScriptDone();
  const std::vector<std::string> uploads = server_.receivedData();
  ASSERT_EQ(uploads.size(), std::size(blockSizes));
  for (std::size_t i = 0; i < uploads.size(); ++i) {
    EXPECT_TRUE(uploads[i] == bytes) << blockSizes[i];
  }
}

TEST_F(DataTransferTest, UniqueStoreFallsBackToStoreAndActiveRefusalGivesZero) {
  settings_.storeUnique = true;
  state_.serverTransferType = 'I';
  session_.state.sessionProfile.serverFeatureMask = 4;
  const std::filesystem::path local = folder() / "a.bin";
  writeFile(local, "binary\x1a");
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("STOU a.bin").reply("500 STOU not understood")
      .expectLine("STOR a.bin").reply("150 Go").receiveDataUntilClose().reply("226 Stored");
  const int socket = connect();
  TransferContext transfer = context();
  EXPECT_EQ(SendFromFile(transfer, socket, "STOR a.bin", local.string(), 'I'), 2);
  expectScriptDone();
  EXPECT_THAT(server_.receivedData(), ElementsAre("binary\x1a"));
}

TEST_F(DataTransferTest, MissingLocalFileFailsTheUpload) {
  state_.serverTransferType = 'I';
  settings_.reportOpenFailures = true;
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("STOR none").reply("150 Go").receiveDataUntilClose().reply("226 Stored");
  const int socket = connect();
  TransferContext transfer = context();
  const std::string missing = (folder() / "none").string();
  EXPECT_EQ(SendFromFile(transfer, socket, "STOR none", missing, 'I'), 2);
  expectScriptDone();
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_THAT(ui_.messages()[0].text, ::testing::StartsWith("! Failed to open file " + missing));
}

TEST(RemotePath, JoinsByHostType) {
  EXPECT_EQ(JoinRemotePath(FERRIX_HOST_TYPE_TANDEM, "$DATA.SUB", "FILE"), "$DATA.SUB.FILE");
  EXPECT_EQ(JoinRemotePath(FERRIX_HOST_TYPE_IBM_MVS, "'USER.", "DATA'"), "'USER.DATA'");
  EXPECT_EQ(JoinRemotePath(FERRIX_HOST_TYPE_IBM_MVS, "USER", "DATA"), "USER.DATA");
  EXPECT_EQ(JoinRemotePath(FERRIX_HOST_TYPE_STRATUS_VOS, "%sys#m1>dir", "f"), "%sys#m1>dir>f");
  EXPECT_EQ(JoinRemotePath(FERRIX_HOST_TYPE_UNIX, "^top>", "f"), "^top>f");
  EXPECT_EQ(JoinRemotePath(FERRIX_HOST_TYPE_UNIX, "/pub/", "f"), "/pub/f");
  EXPECT_EQ(JoinRemotePath(FERRIX_HOST_TYPE_UNIX, "/pub", "f"), "/pub/f");
  EXPECT_EQ(JoinRemotePath(FERRIX_HOST_TYPE_MICROSOFT_NT, "C:\\data", "f"), "C:\\data\\f");
}

// Upload and download against pyftpdlib on loopback, logged on by hand.
TEST(RealServerTransfer, RoundTripThroughPyftpdlib) {
  testing::RealFtpServer server(testing::FtpServerKind::kPyftpdlib);
  ASSERT_EQ(server.startError(), "");
  session::MessageLog log;
  platform::SystemClock clock;
  platform::SystemResolver resolver;
  session::Session session(log, clock, resolver);
  testing::ScriptedUserInterface ui;
  TransferStatus status(ui, true, false);
  TransferState state;
  TransferSettings settings;
  NameRuleSettings nameRules;
  TransferContext transfer{session, state, status, settings, nameRules, ui};

  const int socket = session::openControlConnection(session, "127.0.0.1", server.port());
  ASSERT_NE(socket, -1);
  session.state.controlSocket = socket;
  ASSERT_EQ(session::getReply(session, socket), 2);
  ASSERT_EQ(session::sendCommand(session, socket, "USER %s", server.login().user.c_str()), 3);
  ASSERT_EQ(session::sendCommand(session, socket, "PASS %s", server.login().password.c_str()), 2);
  session.state.connected = 1;

  const std::filesystem::path local = server.servedFolder().parent_path() / "upload.bin";
  std::string bytes(300000, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  writeFile(local, bytes);
  EXPECT_EQ(SendFromFile(transfer, socket, "STOR upload.bin", local.string(), 'I'), 2);
  EXPECT_EQ(readFile(server.servedFolder() / "upload.bin"), bytes);

  const std::filesystem::path back = server.servedFolder().parent_path() / "download.bin";
  EXPECT_EQ(ReceiveToFile(transfer, socket, "RETR upload.bin", back.string(), 'I', false), 2);
  EXPECT_EQ(readFile(back), bytes);
  EXPECT_EQ(session::sendCommand(session, socket, "QUIT"), 2);
  platform::closeSocket(socket);
}

}  // namespace
}  // namespace ferrix::transfer
