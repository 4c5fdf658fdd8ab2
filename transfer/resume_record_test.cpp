#include "transfer/resume_record.h"

#include <fcntl.h>
#include <unistd.h>

#include "transfer/scripted_transfer_test_support.h"

namespace ferrix::transfer {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Answer = session::UserInterface::Answer;

constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;

TEST(RestartOffset, IsTheLastWholeKibibyteOfTheWhole64BitSize) {
  const std::pair<std::uint64_t, std::uint64_t> cases[] = {
      {0, 0},        {1024, 0},       {1025, 1024},
      {1536, 1024},  {2048, 2048},    {4 * kGiB + 1023, 4 * kGiB},
      {5 * kGiB + 1536, 5 * kGiB + 1024},
  };
  for (const auto& [size, offset] : cases) EXPECT_EQ(RestartOffset(size), offset) << size;
}

class ResumeRecordTest : public FileTransferTest {
 protected:
  ResumeContext resume() {
    return {session_.state.controlSocket, ini_, logSettings_,
            [this](const std::filesystem::path& folder) { entered_.push_back(folder.string()); },
            [this] { ++refreshes_; }};
  }

  void offer() {
    TransferContext transfer = context();
    OfferResume(transfer, resume(), "Work");
  }

  void save(const ResumeRecord& record) {
    TransferContext transfer = context();
    ASSERT_TRUE(SaveResumeRecord(transfer, ini_, "Work", record, 900000000));
  }

  ResumeRecord record(const std::string& localFolder) const {
    return {"/pub", "file.bin", localFolder, "file.bin"};
  }

  std::vector<std::string> entered_;
  int refreshes_ = 0;
};

TEST_F(ResumeRecordTest, RecordIsWrittenWholeAndRemovedWhole) {
  save(record("/home/me"));
  EXPECT_EQ(scratch_.read("FERRIX.INI"),
            "[Work]\nREGETRDIR=/pub\nREGETRFILE=file.bin\nREGETLDIR=/home/me\n"
            "REGETLFILE=file.bin\nREGETTIME=900000000\n");
  EXPECT_TRUE(logged("Saving restart info for Work - file.bin"));
  // A name the INI file cannot hold leaves the old record as it was.
  TransferContext transfer = context();
  EXPECT_FALSE(SaveResumeRecord(transfer, ini_, "Work", {"/pub", "a\nb", "/x", "a"}, 1));
  EXPECT_EQ(ReadResumeRecord(ini_, "Work"), record("/home/me"));
  EXPECT_TRUE(ClearResumeRecord(ini_, "Work"));
  EXPECT_EQ(scratch_.read("FERRIX.INI"), "[Work]\n");
}

TEST_F(ResumeRecordTest, NothingIsOfferedWhenResumptionIsOffOrNotConnected) {
  save(record(scratch_.path()));
  settings_.offerResume = false;
  offer();
  settings_.offerResume = true;
  offer();
  EXPECT_TRUE(ui_.messages().empty());
  EXPECT_TRUE(logged("! Not connected, ignored"));
  EXPECT_TRUE(ReadResumeRecord(ini_, "Work"));
}

TEST_F(ResumeRecordTest, NoForgetsTheRecordAndTheQuestionShowsOneSeparator) {
  save(record(scratch_.path() + "/"));
  connect();
  offer();
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].text,
            "Do you want to attempt to resume the transfer of:\n  /pub/file.bin\n-->\n  " +
                scratch_.path() + "/file.bin");
  EXPECT_FALSE(ReadResumeRecord(ini_, "Work"));
  expectScriptDone();
}

TEST_F(ResumeRecordTest, PartialFileRestartsAtItsLastKibibyte) {
  const std::string original(1536, 'o');
  scratch_.write("file.bin", "the version the download replaces");
  scratch_.write(".file.bin.part", original);
  save(record(scratch_.path()));
  ui_.answerMessage(Answer::kYes);
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("REST 1024").reply("350 Restarting at 1024")
      .expectLine("RETR /pub/file.bin").reply("150 Opening").sendData("new").closeData()
      .reply("226 Done");
  connect();
  offer();
  expectScriptDone();
  // The partial data ends where the restart begins, and the whole file
  // replaces the old one.
  EXPECT_EQ(scratch_.read("file.bin"), original.substr(0, 1024) + "new");
  EXPECT_FALSE(std::filesystem::exists(scratch_ / ".file.bin.part"));
  EXPECT_THAT(entered_, ElementsAre(scratch_.path()));
  EXPECT_EQ(refreshes_, 1);
  EXPECT_FALSE(ReadResumeRecord(ini_, "Work"));
  EXPECT_THAT(scratch_.read("FERRIX.LOG"), HasSubstr("/file.bin <-- Work /pub file.bin\n"));
}

TEST_F(ResumeRecordTest, FileAboveFourGibibytesRestartsOnItsWholeSize) {
  const std::string partial = scratch_.write(".file.bin.part", "");
  ASSERT_EQ(::truncate(partial.c_str(), static_cast<off_t>(5 * kGiB + 1536)), 0);
  const std::string local = scratch_ / "file.bin";
  save(record(scratch_.path()));
  ui_.answerMessage(Answer::kYes);
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PASV").reply(testing::passiveReply(dataPort)).acceptData()
      .expectLine("REST 5368710144").reply("350 Restarting")
      .expectLine("RETR /pub/file.bin").reply("150 Opening").sendData("tail").closeData()
      .reply("226 Done");
  connect();
  offer();
  expectScriptDone();
  char written[4] = {};
  const int file = ::open(local.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::pread(file, written, sizeof written, static_cast<off_t>(5 * kGiB + 1024)), 4);
  ::close(file);
  EXPECT_EQ(std::string(written, 4), "tail");
  EXPECT_EQ(std::filesystem::file_size(local), 5 * kGiB + 1028);
}

TEST_F(ResumeRecordTest, MissingLocalFileEndsTheRecordOnlyWhenThePersonDeletedIt) {
  struct Case {
    Answer deleted;
    const char* told;
    bool recordKept;
  };
  const Case cases[] = {
      {Answer::kYes, "In that case, you need to attempt to retrieve the file again.", false},
      {Answer::kNo,
       "The file could not be opened and may be locked by another process.\n"
       "You should reboot your system and try again.",
       true},
  };
  connect();
  for (const Case& c : cases) {
    testing::ScriptedUserInterface ui;
    save(record(scratch_.path()));
    ui.answerMessage(Answer::kYes);
    ui.answerMessage(c.deleted);
    TransferContext transfer{session_, state_, status_, settings_, nameRules_, ui};
    OfferResume(transfer, resume(), "Work");
    ASSERT_EQ(ui.messages().size(), 3u);
    EXPECT_EQ(ui.messages()[1].text, "Failed to open the local file. Did you delete it?");
    EXPECT_EQ(ui.messages()[2].text, c.told);
    EXPECT_EQ(ReadResumeRecord(ini_, "Work").has_value(), c.recordKept) << c.told;
  }
  expectScriptDone();
}

TEST_F(ResumeRecordTest, FailedRestartKeepsTheRecordForAnotherTry) {
  scratch_.write(".file.bin.part", std::string(2000, 'o'));
  save(record(scratch_.path()));
  ui_.answerMessage(Answer::kYes);
  session_.state.sessionProfile.passiveMode = 0;
  state_.transferResult = kTransferred;  // left from an earlier transfer
  server_.expectLineStartingWith("PORT ").reply("200 PORT ok")
      .expectLine("REST 1024").reply("350 Restarting")
      .expectLine("RETR /pub/file.bin").reply("550 Gone");
  connect();
  offer();
  expectScriptDone();
  EXPECT_TRUE(logged("! Reget failed"));
  EXPECT_EQ(ReadResumeRecord(ini_, "Work"), record(scratch_.path()));
  EXPECT_FALSE(std::filesystem::exists(scratch_ / "FERRIX.LOG"));
}

}  // namespace
}  // namespace ferrix::transfer
