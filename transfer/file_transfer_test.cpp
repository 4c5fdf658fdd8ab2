#include <fcntl.h>
#include <sys/stat.h>

#include <thread>

#include "session/connection.h"
#include "transfer/scripted_transfer_test_support.h"
#include "transfer/receive_file.h"
#include "transfer/resume_record.h"
#include "transfer/send_file.h"

namespace ferrix::transfer {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;

void setModified(const std::string& path, int year) {
  std::tm when{};
  when.tm_year = year - 1900;
  when.tm_mday = 1;
  when.tm_isdst = -1;
  const std::time_t stamp = std::mktime(&when);
  const timespec times[2] = {{stamp, 0}, {stamp, 0}};
  utimensat(AT_FDCWD, path.c_str(), times, 0);
}

TEST_F(FileTransferTest, DownloadOverAnExistingFileIsSkippedWithItsReason) {
  struct Case {
    int localYear;
    const char* message;
  };
  const Case cases[] = {
      {2020, "+ Newer version of notes.txt already exists!"},
      {1998, "+ Same verison of notes.txt already exists!"},
  };
  const std::string local = scratch_.write("notes.txt", "12345");
  for (const Case& c : cases) {
    setModified(local, c.localYear);
    state_.currentEntry = {0, 1998, 1, 1, 0, 0, 5};
    TransferContext transfer = context();
    // Nobody answers the question: it is closed, which keeps the file.
    EXPECT_EQ(ReceiveFile(transfer, files(localPane_), "notes.txt", 1, 1, false, false),
              TransferOutcome::kSkipped);
    EXPECT_TRUE(logged(c.message)) << c.message;
  }
  EXPECT_EQ(scratch_.read("notes.txt"), "12345");
  EXPECT_FALSE(ReadResumeRecord(ini_, "Work"));
}

// A short download is over before a record is worth an INI write.
TEST_F(FileTransferTest, ShortBinaryDownloadArrivesWithoutAResumeRecord) {
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("RETR report.zip").reply("150 Opening").sendData("zipped").closeData()
      .reply("226 Done");
  connect();
  TransferContext transfer = context();
  EXPECT_EQ(ReceiveFile(transfer, files(localPane_), "report.zip", 2, 3, false, false),
            TransferOutcome::kSucceeded);
  expectScriptDone();
  EXPECT_EQ(scratch_.read("report.zip"), "zipped");
  EXPECT_FALSE(std::filesystem::exists(scratch_ / ".report.zip.part"));
  EXPECT_TRUE(logged("receiving report.zip as report.zip (2 of 3)"));
  EXPECT_FALSE(logged("Saving restart info for Work - report.zip"));
  EXPECT_THAT(scratch_.read("FERRIX.INI"), ::testing::Not(HasSubstr("REGET")));
  EXPECT_THAT(scratch_.read("FERRIX.LOG"),
              EndsWith(" B " + scratch_.path() + "/report.zip <-- Work /pub report.zip\n"));
}

TEST_F(FileTransferTest, DownloadWhoseServerDiesBeforeTheCompletionReplyKeepsItsRecord) {
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("RETR cut.bin").reply("150 Opening").sendData("first half").closeData()
      .closeConnection();
  connect();
  TransferContext transfer = context();
  EXPECT_EQ(ReceiveFile(transfer, files(localPane_), "cut.bin", 1, 1, false, false),
            TransferOutcome::kFailed);
  expectScriptDone();
  EXPECT_EQ(scratch_.read(".cut.bin.part"), "first half");
  EXPECT_FALSE(std::filesystem::exists(scratch_ / "cut.bin"));
  // The data connection closed cleanly, but without the server's word the
  // summary cannot call it a success.
  EXPECT_THAT(log_.history(), ::testing::Contains(EndsWith("transfer failed")));
  EXPECT_THAT(log_.history(), ::testing::Not(::testing::Contains(EndsWith("transfer succeeded"))));
  EXPECT_TRUE(logged("! The server did not confirm cut.bin: it may be incomplete"));
  const std::optional<ResumeRecord> record = ReadResumeRecord(ini_, "Work");
  ASSERT_TRUE(record);
  EXPECT_EQ(record->remoteName, "cut.bin");
  EXPECT_FALSE(std::filesystem::exists(scratch_ / "FERRIX.LOG"));
}

TEST_F(FileTransferTest, BrokenOffDownloadKeepsItsResumeRecord) {
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("RETR big.iso").reply("150 Opening")
      .sendDataUntilAborted(std::string(1 << 20, 'x'))
      .expectLine("\xff\xf4\xff\xf2" "ABOR").reply("426 Transfer aborted").closeData()
      .reply("226 Abort ok");
  connect();
  TransferContext transfer = context();
  std::thread canceller([&] {
    while (ui_.progress().size() < 2) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    session::requestCancel(session_);
  });
  EXPECT_EQ(ReceiveFile(transfer, files(localPane_), "big.iso", 1, 1, false, false),
            TransferOutcome::kCancelled);
  canceller.join();
  expectScriptDone();
  EXPECT_EQ(state_.transferResult, kBrokenOff);
  EXPECT_FALSE(std::filesystem::exists(scratch_ / "big.iso"));
  EXPECT_GT(std::filesystem::file_size(scratch_ / ".big.iso.part"), 0u);
  const ResumeRecord expected{"/pub", "big.iso", scratch_.path(), "big.iso"};
  EXPECT_EQ(ReadResumeRecord(ini_, "Work"), expected);
  EXPECT_FALSE(std::filesystem::exists(scratch_ / "FERRIX.LOG"));
}

TEST_F(FileTransferTest, AutomaticModeRecordsOnlyWhatGoesAsBinary) {
  state_.automaticMode = true;
  state_.transferMode = 'I';
  state_.serverTransferType = 'A';
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("RETR readme.txt").reply("550 No such file").closeData();
  connect();
  TransferContext transfer = context();
  EXPECT_EQ(ReceiveFile(transfer, files(localPane_), "readme.txt", 1, 1, false, false),
            TransferOutcome::kFailed);
  expectScriptDone();
  EXPECT_EQ(state_.transferMode, 'A');
  EXPECT_FALSE(ReadResumeRecord(ini_, "Work"));
}

TEST_F(FileTransferTest, CancelledNamePromptEndsBothDirections) {
  TransferContext transfer = context();
  EXPECT_EQ(ReceiveFile(transfer, files(localPane_), "a.bin", 1, 1, true, false),
            TransferOutcome::kSkipped);
  EXPECT_EQ(SendFile(transfer, files(remotePane_), scratch_ / "b.bin", 1, 1, true, false),
            TransferOutcome::kSkipped);
  ASSERT_EQ(ui_.prompts().size(), 2u);
  EXPECT_EQ(ui_.prompts()[0].text, "Enter local file name for a.bin:");
  EXPECT_EQ(ui_.prompts()[0].prefilled, "a.bin");
  EXPECT_EQ(ui_.prompts()[0].helpTopic, 630);
  EXPECT_EQ(ui_.prompts()[1].text, "Enter remote file name for " + (scratch_ / "b.bin") + ":");
  EXPECT_EQ(ui_.prompts()[1].helpTopic, 640);
  EXPECT_TRUE(logged("+ Cancelled"));
  EXPECT_TRUE(logged("+ cancelled"));
}

TEST_F(FileTransferTest, UploadOverANewerRemoteFileIsSkipped) {
  const std::string local = scratch_.write("a.txt", "text");
  remotePane_.add("A.TXT", 1, {2030, 1, 1, 0, 0, 4});
  state_.currentEntry = {0, 2020, 1, 1, 0, 0, 4};
  TransferContext transfer = context();
  EXPECT_EQ(SendFile(transfer, files(remotePane_), local, 1, 1, false, false),
            TransferOutcome::kSkipped);
  EXPECT_TRUE(logged("+ newer or same version of a.txt already exists!"));
}

TEST_F(FileTransferTest, StoredUploadIsLoggedWithTheHostNameAndARefusalIsNot) {
  const std::string local = scratch_.write("notes.txt", "a\r\nb\r\n");
  session_.state.sessionProfile.serverFeatureMask = 4;
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("STOR notes.txt").reply("150 Go").receiveDataUntilClose().reply("226 Stored")
      .expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("STOR notes.txt").reply("553 Not allowed").closeData();
  connect();
  TransferContext transfer = context();
  EXPECT_EQ(SendFile(transfer, files(remotePane_), local, 1, 2, false, false),
            TransferOutcome::kSucceeded);
  EXPECT_EQ(SendFile(transfer, files(remotePane_), local, 2, 2, false, false),
            TransferOutcome::kFailed);
  expectScriptDone();
  EXPECT_TRUE(logged("sending " + local + " as notes.txt (1 of 2)"));
  const std::string log = scratch_.read("FERRIX.LOG");
  // The local file is named once, its folder not repeated.
  EXPECT_THAT(log, EndsWith(" B " + local + " --> ftp.example.com /pub notes.txt\n"));
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1);
}

TEST_F(FileTransferTest, AppendAsksForTheRemoteNameAndIgnoresTheOverwriteRules) {
  const std::string local = scratch_.write("day.log", "more");
  remotePane_.add("all.log", 1, {2030, 1, 1, 0, 0, 4});
  state_.currentEntry = {0, 2020, 1, 1, 0, 0, 4};
  session_.state.sessionProfile.serverFeatureMask = 4;
  ui_.answerInput("all.log");
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("APPE all.log").reply("150 Go").receiveDataUntilClose().reply("226 Appended");
  connect();
  TransferContext transfer = context();
  EXPECT_EQ(SendFile(transfer, files(remotePane_), local, 1, 1, false, true),
            TransferOutcome::kSucceeded);
  expectScriptDone();
  EXPECT_THAT(server_.receivedData(), ::testing::ElementsAre("more"));
  EXPECT_TRUE(ui_.overwriteQuestions().empty());
}

}  // namespace
}  // namespace ferrix::transfer
