#include "transfer/download_into_place.h"

#include <string>

#include "transfer/receive_file.h"
#include "transfer/resume_record.h"
#include "transfer/scripted_transfer_test_support.h"

namespace ferrix::transfer {
namespace {

namespace fs = std::filesystem;
using Answer = session::UserInterface::Answer;

std::string pattern(std::size_t length) {
  std::string bytes(length, '\0');
  for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>('a' + i * 7 % 26);
  return bytes;
}

class DownloadIntoPlaceTest : public FileTransferTest {
 protected:
  ResumeRecord recordFor(const std::string& name) const {
    return {"/pub", name, scratch_.path(), name};
  }
  void keepRecordFor(const std::string& name) {
    TransferContext transfer = context();
    SaveResumeRecord(transfer, ini_, "Work", recordFor(name), 0);
  }
  // The script of one RETR, restarted at `restart` when it is not empty.
  void expectRetrieve(const std::string& name, const std::string& restart,
                      const std::string& bytes) {
    const std::uint16_t dataPort = server_.openPassiveDataListener();
    server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData();
    if (!restart.empty()) server_.expectLine("REST " + restart).reply("350 Restarting");
    server_.expectLine("RETR " + name)
        .reply("150 Opening")
        .sendData(bytes)
        .closeData()
        .reply("226 Done");
  }
  TransferOutcome receive(const std::string& name) {
    TransferContext transfer = context();
    return ReceiveFile(transfer, files(localPane_), name, 1, 1, false, false);
  }
};

// A download that fails replaces nothing: the good file stays as it was.
TEST_F(DownloadIntoPlaceTest, FailedDownloadLeavesTheExistingFileUntouched) {
  const std::string good = pattern(100000);
  scratch_.write("report.bin", good);
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV")
      .reply(testing::passiveReply(dataPort))
      .acceptData()
      .expectLine("RETR report.bin")
      .reply("150 Opening")
      .closeData()
      .reply("426 Connection closed; transfer aborted");
  connect();
  EXPECT_EQ(receive("report.bin"), TransferOutcome::kFailed);
  expectScriptDone();
  EXPECT_EQ(scratch_.read("report.bin"), good);
  EXPECT_FALSE(fs::exists(scratch_ / ".report.bin.part"));
  EXPECT_FALSE(ReadResumeRecord(ini_, "Work"));
}

// A complete download replaces the old file; partial data is resumed only
// when its record vouches for it and it is no larger than the remote file.
TEST_F(DownloadIntoPlaceTest, PartialDataIsResumedOnlyWhenItsRecordVouchesForIt) {
  const std::string whole = pattern(3000);
  scratch_.write("resumed.bin", "an older version");
  scratch_.write(".resumed.bin.part", whole.substr(0, 2148));
  keepRecordFor("resumed.bin");
  server_.expectLine("SIZE resumed.bin").reply("213 3000");
  expectRetrieve("resumed.bin", "2048", whole.substr(2048));
  scratch_.write(".stray.bin.part", "bytes nobody vouches for");
  ui_.answerMessage(Answer::kNo);  // overwrite it
  expectRetrieve("stray.bin", "", whole);
  scratch_.write(".grown.bin.part", pattern(4000));
  server_.expectLine("SIZE grown.bin").reply("213 3000");
  expectRetrieve("grown.bin", "", whole);
  connect();

  EXPECT_EQ(receive("resumed.bin"), TransferOutcome::kSucceeded);
  EXPECT_FALSE(ReadResumeRecord(ini_, "Work"));
  EXPECT_EQ(receive("stray.bin"), TransferOutcome::kSucceeded);
  keepRecordFor("grown.bin");
  EXPECT_EQ(receive("grown.bin"), TransferOutcome::kSucceeded);
  expectScriptDone();

  for (const char* name : {"resumed.bin", "stray.bin", "grown.bin"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(scratch_.read(name), whole);
    EXPECT_FALSE(fs::exists(PartialPath(scratch_ / name)));
  }
  EXPECT_TRUE(logged("+ resumed.bin: resuming at byte 2048"));
  EXPECT_TRUE(logged("+ stray.bin: partial data without a resume record; starting over"));
  EXPECT_TRUE(logged("+ grown.bin: partial data larger than the remote file; starting over"));
  EXPECT_FALSE(ReadResumeRecord(ini_, "Work"));
}

// In ASCII type the bytes on disk need not be the bytes on the wire, where
// a restart point is counted: such partial data is never resumed.
TEST_F(DownloadIntoPlaceTest, PartialDataOfAnAsciiDownloadStartsOver) {
  state_.transferMode = 'A';
  scratch_.write(".notes.txt.part", "line one\r\n");
  keepRecordFor("notes.txt");
  server_.expectLine("TYPE A").reply("200 Type A");
  expectRetrieve("notes.txt", "", "line one\r\nline two\r\n");
  connect();
  EXPECT_EQ(receive("notes.txt"), TransferOutcome::kSucceeded);
  expectScriptDone();
  EXPECT_EQ(scratch_.read("notes.txt"), "line one\nline two\n");
  EXPECT_TRUE(logged("+ notes.txt: partial data of a download in ASCII type; starting over"));
  EXPECT_TRUE(ui_.messages().empty());
}

// In the window the person decides about partial data without a record.
TEST_F(DownloadIntoPlaceTest, PartialDataWithoutARecordIsResumedWhenThePersonSaysSo) {
  const std::string whole = pattern(3000);
  scratch_.write(".asked.bin.part", whole.substr(0, 1500));
  ui_.answerMessage(Answer::kYes);
  expectRetrieve("asked.bin", "1024", whole.substr(1024));
  connect();
  EXPECT_EQ(receive("asked.bin"), TransferOutcome::kSucceeded);
  expectScriptDone();
  EXPECT_EQ(scratch_.read("asked.bin"), whole);
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_THAT(ui_.messages()[0].text, ::testing::HasSubstr(".asked.bin.part"));
}

// Skip leaves the file and its partial data as they were, and fetches nothing.
TEST_F(DownloadIntoPlaceTest, PartialDataThePersonSkipsStaysAndNothingIsFetched) {
  scratch_.write("kept.bin", "the version in place");
  scratch_.write(".kept.bin.part", pattern(1500));
  ui_.answerMessage(Answer::kCancel);
  connect();
  EXPECT_EQ(receive("kept.bin"), TransferOutcome::kSkipped);
  expectScriptDone();
  EXPECT_EQ(scratch_.read("kept.bin"), "the version in place");
  EXPECT_EQ(scratch_.read(".kept.bin.part"), pattern(1500));
  EXPECT_TRUE(logged("+ kept.bin: skipped; its partial data is kept"));
}

// Without "Resume failed downloads automatically" even partial data its
// record vouches for is asked about; the question says the record matches.
TEST_F(DownloadIntoPlaceTest, WithoutAutomaticResumeAMatchingRecordIsAskedAbout) {
  const std::string whole = pattern(3000);
  scratch_.write(".asked.bin.part", whole.substr(0, 2100));
  keepRecordFor("asked.bin");
  settings_.offerResume = false;
  ui_.answerMessage(Answer::kYes);
  expectRetrieve("asked.bin", "2048", whole.substr(2048));
  connect();
  EXPECT_EQ(receive("asked.bin"), TransferOutcome::kSucceeded);
  expectScriptDone();
  EXPECT_EQ(scratch_.read("asked.bin"), whole);
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_THAT(ui_.messages()[0].text, ::testing::HasSubstr("its resume record shows it belongs"));
}

// A download that breaks off after its first mebibyte has its record in the
// INI file while it still runs, so a crash cannot lose it.
TEST_F(DownloadIntoPlaceTest, RecordIsWrittenOnceADownloadIsUnderway) {
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV")
      .reply(testing::passiveReply(dataPort))
      .acceptData()
      .expectLine("RETR big.iso")
      .reply("150 Opening")
      .sendData(pattern(1 << 21))
      .closeData();
  server_.closeConnection();
  connect();
  EXPECT_EQ(receive("big.iso"), TransferOutcome::kFailed);
  expectScriptDone();
  EXPECT_EQ(ReadResumeRecord(ini_, "Work"), recordFor("big.iso"));
  // Noted before the summary line, which comes once the data stopped.
  const std::vector<std::string> lines = log_.history();
  const auto noted =
      std::find(lines.begin(), lines.end(), "Saving restart info for Work - big.iso");
  const auto summary = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
    return line.starts_with("Received ");
  });
  EXPECT_LT(noted, summary);
  EXPECT_NE(summary, lines.end());
}

}  // namespace
}  // namespace ferrix::transfer
