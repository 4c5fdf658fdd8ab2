#include "batch/selection_transfer.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <ctime>
#include <thread>

#include "batch/batch_test_support.h"
#include "batch/folder_transfer.h"
#include "session/connection.h"
#include "session/name_charset.h"
#include "transfer/resume_record.h"

namespace ferrix::batch {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;
using Answer = session::UserInterface::Answer;
using OverwriteAnswer = session::UserInterface::OverwriteAnswer;
namespace fs = std::filesystem;

constexpr char kFoldersQuestion[] =
    "Do you want to transfer the selected folders and their contents?";

// Gives `path` the local time 5 Jan `year` 10:20.
void setLocalTime(const std::string& path, int year) {
  std::tm when{};
  when.tm_year = year - 1900;
  when.tm_mon = 0;
  when.tm_mday = 5;
  when.tm_hour = 10;
  when.tm_min = 20;
  when.tm_isdst = -1;
  const std::time_t stamp = std::mktime(&when);
  const timespec times[2] = {{stamp, 0}, {stamp, 0}};
  utimensat(AT_FDCWD, path.c_str(), times, 0);
}

using SelectionTransferTest = BatchTransferTest;

TEST_F(SelectionTransferTest, RefusedFileInAFolderStopsTheBatchWithoutTheSuccessSound) {
  addRemote("docs", listing::kKindFolder);
  addRemote("later.bin", listing::kKindFile);
  expectCwd("docs");
  expectListing("/pub/docs", fileLine("a.bin", 1) + fileLine("b.bin", 1) + fileLine("c.bin", 1));
  expectRetrieve("a.bin", "A");
  expectRetrieveRefused("b.bin");
  expectCwd("/pub");
  expectListing("/pub", folderLine("docs") + fileLine("later.bin", 1));
  connect();
  ui_.answerMessage(Answer::kYes);
  BatchTransfer transfer = batch();
  transfer.remoteSelection = remoteIndexes({"docs", "later.bin"});
  EXPECT_FALSE(DownloadSelection(transfer));
  expectScriptDone();
  EXPECT_EQ(scratch_.read("local/docs/a.bin"), "A");
  EXPECT_FALSE(fs::exists(localPath("docs/b.bin")));
  EXPECT_FALSE(fs::exists(localPath("later.bin")));
  EXPECT_TRUE(wasLogged("! Error occured during transfer"));
  EXPECT_FALSE(soundPlayed(session::sound_event::kTransferSucceeded));
  EXPECT_EQ(local_.folder, fs::path(scratch_ / "local"));
  EXPECT_EQ(remote_.remoteFolder, "/pub");
  EXPECT_EQ(state_.BatchFileCount, 0);
  EXPECT_FALSE(state_.FolderTransferActive);
  EXPECT_TRUE(status_.hash());
}

TEST_F(SelectionTransferTest, FolderQuestionIsAskedOnceAndNoStillTransfersTheFiles) {
  addRemote("one", listing::kKindFolder);
  addRemote("two", listing::kKindFolder);
  addRemote("file.bin", listing::kKindFile);
  expectRetrieve("file.bin", "F");
  connect();
  ui_.answerMessage(Answer::kNo);
  BatchTransfer transfer = batch();
  transfer.remoteSelection = remoteIndexes({"one", "two", "file.bin"});
  EXPECT_TRUE(DownloadSelection(transfer));
  expectScriptDone();
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].text, kFoldersQuestion);
  EXPECT_EQ(scratch_.read("local/file.bin"), "F");
  EXPECT_FALSE(fs::exists(localPath("one")));
  EXPECT_TRUE(soundPlayed(session::sound_event::kTransferSucceeded));
}

TEST_F(SelectionTransferTest, LinkRefusedAsAFileIsDownloadedAsAFolder) {
  addRemote("current", listing::kKindLink);
  expectRetrieveRefused("current");
  expectCwd("current");
  expectListing("/pub/release-2", fileLine("inside.bin", 2));
  expectRetrieve("inside.bin", "in");
  expectCwd("/pub");
  expectListing("/pub", "");
  connect();
  ui_.answerMessage(Answer::kYes);
  BatchTransfer transfer = batch();
  transfer.remoteSelection = remoteIndexes({"current"});
  EXPECT_TRUE(DownloadSelection(transfer));
  expectScriptDone();
  EXPECT_EQ(scratch_.read("local/current/inside.bin"), "in");
}

// Three files that exist locally: one newer than the remote one, one of the
// same minute and size, one of the same minute and another size.
class OverwriteAcrossBatchTest : public SelectionTransferTest {
 protected:
  void prepare() {
    setLocalTime(scratch_.write("local/newer.bin", "n"), 2021);
    setLocalTime(scratch_.write("local/same.bin", "s"), 2020);
    setLocalTime(scratch_.write("local/other.bin", "o"), 2020);
    listLocal();
    addRemote("newer.bin", listing::kKindFile, 1);
    addRemote("same.bin", listing::kKindFile, 1);
    addRemote("other.bin", listing::kKindFile, 5);
  }

  bool run() {
    BatchTransfer transfer = batch();
    transfer.remoteSelection = remoteIndexes({"newer.bin", "same.bin", "other.bin"});
    return DownloadSelection(transfer);
  }
};

TEST_F(OverwriteAcrossBatchTest, NoToAllSkipsEveryLaterNewerOrSameFile) {
  prepare();
  expectRetrieve("other.bin", "OTHER");
  connect();
  ui_.answerOverwrite(OverwriteAnswer::kNoToAll);
  EXPECT_TRUE(run());
  expectScriptDone();
  ASSERT_EQ(ui_.overwriteQuestions().size(), 1u);
  EXPECT_EQ(ui_.overwriteQuestions()[0].caption, "newer.bin");
  EXPECT_EQ(ui_.overwriteQuestions()[0].batchCount, 3);
  EXPECT_EQ(scratch_.read("local/newer.bin"), "n");
  EXPECT_EQ(scratch_.read("local/same.bin"), "s");
  EXPECT_EQ(scratch_.read("local/other.bin"), "OTHER");
  EXPECT_TRUE(wasLogged("+ Same verison of same.bin already exists!"));
  EXPECT_EQ(state_.OverwriteAllAnswer, 0);
}

TEST_F(OverwriteAcrossBatchTest, YesToAllCopiesEveryFileAfterOneQuestion) {
  prepare();
  expectRetrieve("newer.bin", "NEWER");
  expectRetrieve("same.bin", "SAME");
  expectRetrieve("other.bin", "OTHER");
  connect();
  ui_.answerOverwrite(OverwriteAnswer::kYesToAll);
  EXPECT_TRUE(run());
  expectScriptDone();
  EXPECT_EQ(ui_.overwriteQuestions().size(), 1u);
  EXPECT_EQ(scratch_.read("local/same.bin"), "SAME");
}

// A folder download into a local folder whose file is newer than the remote
// one: PRODIROW skips it without a question, or copies it when off.
class FolderRuleTest : public SelectionTransferTest {
 protected:
  void prepare(bool skipExisting) {
    batchSettings_.prompt = true;  // folders never ask for names
    settings_.skipExistingInFolders = skipExisting;
    scratch_.makeFolder("local/docs");
    setLocalTime(scratch_.write("local/docs/kept.bin", "local"), 2021);
    addRemote("docs", listing::kKindFolder);
    expectCwd("docs");
    expectListing("/pub/docs", fileLine("kept.bin", 6) + fileLine("new.bin", 3));
    if (!skipExisting) expectRetrieve("kept.bin", "remote");
    expectRetrieve("new.bin", "new");
    expectCwd("/pub");
    expectListing("/pub", folderLine("docs"));
    connect();
    ui_.answerMessage(Answer::kYes);
  }

  bool run() {
    BatchTransfer transfer = batch();
    transfer.remoteSelection = remoteIndexes({"docs"});
    return DownloadSelection(transfer);
  }
};

TEST_F(FolderRuleTest, NewerFilesAreSkippedSilentlyWithTheRuleOn) {
  prepare(true);
  EXPECT_TRUE(run());
  expectScriptDone();
  EXPECT_EQ(scratch_.read("local/docs/kept.bin"), "local");
  EXPECT_EQ(scratch_.read("local/docs/new.bin"), "new");
  EXPECT_THAT(ui_.overwriteQuestions(), IsEmpty());
  EXPECT_THAT(ui_.prompts(), IsEmpty());
}

TEST_F(FolderRuleTest, EverythingIsCopiedWithTheRuleOff) {
  prepare(false);
  EXPECT_TRUE(run());
  expectScriptDone();
  EXPECT_EQ(scratch_.read("local/docs/kept.bin"), "remote");
  EXPECT_THAT(ui_.overwriteQuestions(), IsEmpty());
}

TEST_F(SelectionTransferTest, FolderNamesThatLeaveTheDestinationAreSkipped) {
  connect();
  for (const char* name : {"", ".", "..", "/etc", "a/b"}) {
    BatchTransfer transfer = batch();
    EXPECT_EQ(DownloadFolder(transfer, name), 1) << name;
    EXPECT_TRUE(wasLogged("! Folder \"" + std::string(name) + "\" is not a plain name, skipped"));
  }
  EXPECT_THAT(scratch_.list("local"), IsEmpty());
  EXPECT_THAT(server_.receivedLines(), IsEmpty());
}

TEST_F(SelectionTransferTest, RemoteFolderLeadingBackUpTheTreeIsNotWalkedAgain) {
  expectCwd("docs");
  expectListing("/pub/docs", folderLine("up") + fileLine("a.bin", 1));
  expectCwd("up");
  expectListing("/pub", folderLine("docs"));
  expectCwd("/pub/docs");
  expectListing("/pub/docs", folderLine("up") + fileLine("a.bin", 1));
  expectRetrieve("a.bin", "A");
  expectCwd("/pub");
  expectListing("/pub", folderLine("docs"));
  connect();
  BatchTransfer transfer = batch();
  EXPECT_EQ(DownloadFolder(transfer, "docs"), 1);
  expectScriptDone();
  EXPECT_TRUE(wasLogged("! /pub: the folder leads back into one that holds it, skipped"));
  EXPECT_EQ(scratch_.read("local/docs/a.bin"), "A");
  EXPECT_THAT(scratch_.list("local/docs/up"), IsEmpty());
}

TEST_F(SelectionTransferTest, UploadFollowsNoLinkOutOfTheFolderBeingSent) {
  scratch_.write("outside.bin", "secret");
  scratch_.makeFolder("local/send");
  scratch_.write("local/send/in.bin", "in");
  fs::create_symlink(scratch_ / "outside.bin", localPath("send/out"));
  fs::create_symlink("in.bin", localPath("send/inside"));
  fs::create_directory_symlink(".", localPath("send/loop"));
  listLocal();
  server_.expectLine("MKD send").reply("257 created");
  expectCwd("send");
  expectListing("/pub/send", "");
  expectStore("in.bin");
  expectStore("inside");
  expectListing("/pub/send", fileLine("in.bin", 2) + fileLine("inside", 2));
  expectCwd("/pub");
  expectListing("/pub", folderLine("send"));
  expectListing("/pub", folderLine("send"));
  connect();
  ui_.answerMessage(Answer::kYes);
  BatchTransfer transfer = batch();
  transfer.localSelection = localIndexes({"send"});
  EXPECT_TRUE(UploadSelection(transfer));
  expectScriptDone();
  EXPECT_THAT(server_.receivedData(), ElementsAre("in", "in"));
  EXPECT_TRUE(wasLogged("! " + localPath("send/out") +
                        ": the link leads out of the folder being sent, skipped"));
  EXPECT_TRUE(wasLogged("! " + localPath("send/loop") +
                        ": the link leads back into its own folder, skipped"));
}

// A CP1251 server: folders are entered and files fetched by the server's
// bytes, and land locally under their UTF-8 names; a local folder goes up
// under its name in CP1251.
class Cp1251FolderTest : public SelectionTransferTest {
 protected:
  static constexpr char kDocuments[] = "\xE4\xEE\xEA\xF3\xEC\xE5\xED\xF2\xFB";  // документы
  static constexpr char kPrivet[] = "\xCF\xF0\xE8\xE2\xE5\xF2.txt";                 // Привет.txt
  static constexpr char kNew[] = "\xED\xEE\xE2\xE0\xFF";                             // новая
  static constexpr char kWorld[] = "\xEC\xE8\xF0.txt";                                 // мир.txt

  Cp1251FolderTest() {
    session_.state.sessionProfile.charset = "CP1251";
    session::chooseNameCharset(session_);
  }
};

TEST_F(Cp1251FolderTest, FolderDownloadSavesUtf8Names) {
  addRemote(kDocuments, listing::kKindFolder);
  expectCwd(kDocuments);
  expectListing(std::string("/pub/") + kDocuments, fileLine(kPrivet, 1));
  expectRetrieve(kPrivet, "P");
  expectCwd("/pub");
  expectListing("/pub", folderLine(kDocuments));
  connect();
  ui_.answerMessage(Answer::kYes);
  BatchTransfer transfer = batch();
  transfer.remoteSelection = remoteIndexes({kDocuments});
  EXPECT_TRUE(DownloadSelection(transfer));
  expectScriptDone();
  EXPECT_EQ(scratch_.read("local/документы/Привет.txt"), "P");
  EXPECT_TRUE(wasLogged("RETR Привет.txt"));
}

TEST_F(Cp1251FolderTest, FolderUploadMakesItsFolderAndFilesInCp1251) {
  scratch_.makeFolder("local/новая");
  scratch_.write("local/новая/мир.txt", "M");
  listLocal();
  server_.expectLine(std::string("MKD ") + kNew).reply("257 created");
  expectCwd(kNew);
  expectListing(std::string("/pub/") + kNew, "");
  expectStore(kWorld);
  expectListing(std::string("/pub/") + kNew, fileLine(kWorld, 1));
  expectCwd("/pub");
  expectListing("/pub", folderLine(kNew));
  expectListing("/pub", folderLine(kNew));
  connect();
  ui_.answerMessage(Answer::kYes);
  BatchTransfer transfer = batch();
  transfer.localSelection = localIndexes({"новая"});
  EXPECT_TRUE(UploadSelection(transfer));
  expectScriptDone();
  EXPECT_THAT(server_.receivedData(), ElementsAre("M"));
}

TEST_F(SelectionTransferTest, SelectionBeyondTheLimitIsCutAndNotReportedAsDone) {
  addRemote("..", listing::kKindFolder);
  connect();
  BatchTransfer transfer = batch();
  transfer.remoteSelection.assign(BatchTransfer::kMaxSelection + 1, indexOf(remotePane_, ".."));
  EXPECT_FALSE(DownloadSelection(transfer));
  EXPECT_TRUE(wasLogged("! Only the first 2048 selected entries are transferred."));
  EXPECT_FALSE(soundPlayed(session::sound_event::kTransferSucceeded));
}

TEST_F(SelectionTransferTest, StartRefusesWhileTheTransferFlagIsHeld) {
  TransferWorker worker(session_, busy_);
  ASSERT_TRUE(busy_.tryAcquire());
  BatchTransfer transfer = batch();
  EXPECT_FALSE(StartUpload(worker, transfer));
  EXPECT_FALSE(StartDownload(worker, transfer));
  EXPECT_FALSE(worker.running());
  EXPECT_THAT(ui_.prompts(), IsEmpty());
}

TEST_F(SelectionTransferTest, StoppingARunningBatchJoinsTheWorkerAndLeavesQuitToTheCaller) {
  addRemote("first.bin", listing::kKindFile);
  addRemote("second.bin", listing::kKindFile);
  server_.expectLine("PASV")
      .reply(testing::passiveReply(dataPort_))
      .acceptData()
      .expectLine("RETR first.bin")
      .reply("150 Opening BINARY mode data connection")
      .sendDataUntilAborted(std::string(4 << 20, 'x'))
      .neverAnswer();
  connect();
  session_.state.replyTimeoutSeconds = 1;
  TransferWorker worker(session_, busy_);
  BatchTransfer transfer = batch();
  transfer.remoteSelection = remoteIndexes({"first.bin", "second.bin"});
  ASSERT_TRUE(StartDownload(worker, transfer));
  // Stopped once data has reached the partial file: a download stopped
  // before its first byte leaves nothing to resume, hence no record.
  const fs::path partial = localPath(".first.bin.part");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  std::error_code error;
  while (!(fs::file_size(partial, error) > 0 && !error) &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_TRUE(worker.stop());
  EXPECT_FALSE(worker.running());
  EXPECT_FALSE(busy_.isSet());
  EXPECT_TRUE(wasLogged("! Aborting thread."));
  session::disconnectSession(session_);
  EXPECT_EQ(session_.state.controlSocket, -1);
  EXPECT_TRUE(server_.waitUntilDone(kScriptTime));
  const std::vector<std::string> lines = server_.receivedLines();
  EXPECT_THAT(lines, Contains("QUIT"));
  EXPECT_THAT(lines, Not(Contains("RETR second.bin")));
  EXPECT_FALSE(fs::exists(localPath("second.bin")));
  EXPECT_FALSE(soundPlayed(session::sound_event::kTransferSucceeded));
  const std::optional<transfer::ResumeRecord> record = transfer::ReadResumeRecord(ini_, "Work");
  ASSERT_TRUE(record);
  EXPECT_EQ(record->remoteName, "first.bin");
  EXPECT_FALSE(worker.stop());
}

}  // namespace
}  // namespace ferrix::batch
