#include "transfer/overwrite_decision.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>

#include "session/message_log.h"
#include "testing/scratch_folder.h"
#include "testing/scripted_user_interface.h"

namespace ferrix::transfer {
namespace {

using Answer = session::UserInterface::OverwriteAnswer;

// One transfer's state and settings around a scripted person.
class OverwriteTest : public ::testing::Test {
 protected:
  OverwriteTest() : session_(log_, clock_, resolver_), status_(ui_, true, false) {}

  TransferContext context() { return {session_, state_, status_, settings_, nameRules_, ui_}; }

  int decide(std::string_view name) {
    TransferContext transfer = context();
    return DecideOverwrite(transfer, name, destination_);
  }

  session::MessageLog log_;
  platform::SystemClock clock_;
  platform::SystemResolver resolver_;
  session::Session session_;
  testing::ScriptedUserInterface ui_;
  TransferStatus status_;
  TransferState state_;
  TransferSettings settings_;
  NameRuleSettings nameRules_;
  ListedEntries destination_;
};

constexpr CurrentEntry kSource{0, 1998, 3, 4, 9, 5, 100};

struct DecisionCase {
  const char* label;
  EntryStamp existing;
  int expected;
  const char* question;  // nullptr: decided without asking
};

TEST_F(OverwriteTest, ComparesTheMinuteStampsThenTheSizes) {
  const DecisionCase cases[] = {
      {"destination older", {1998, 3, 4, 9, 4, 100}, kCopy, nullptr},
      {"destination a year older", {1997, 12, 31, 23, 59, 100}, kCopy, nullptr},
      {"same minute, other size", {1998, 3, 4, 9, 5, 99}, kCopy, nullptr},
      {"same minute, same size", {1998, 3, 4, 9, 5, 100}, kSkipSameVersion,
       "Same version of a.zip exists in the destination folder.\nCopy the file anyway?"},
      {"destination newer", {1998, 3, 4, 9, 6, 1}, kSkipNewerVersion,
       "Newer version of a.zip exists in the destination folder.\nCopy the file anyway?"},
      {"destination without date", {0, 0, 0, 0, 0, 100}, kCopy, nullptr},
  };
  for (const DecisionCase& c : cases) {
    testing::ScriptedUserInterface ui;
    ListedEntries destination;
    destination.add("A.ZIP", 1, c.existing);
    state_.currentEntry = kSource;
    TransferContext transfer{session_, state_, status_, settings_, nameRules_, ui};
    // No answer queued: the question is closed, which keeps the file.
    EXPECT_EQ(DecideOverwrite(transfer, "a.zip", destination), c.expected) << c.label;
    if (c.question == nullptr) {
      EXPECT_TRUE(ui.overwriteQuestions().empty()) << c.label;
    } else {
      ASSERT_EQ(ui.overwriteQuestions().size(), 1u) << c.label;
      EXPECT_EQ(ui.overwriteQuestions()[0].question, c.question) << c.label;
      EXPECT_EQ(ui.overwriteQuestions()[0].caption, "a.zip") << c.label;
    }
  }
}

TEST_F(OverwriteTest, TwoDigitListingYearCountsFromNineteenHundred) {
  destination_.add("old.txt", 1, {1997, 6, 1, 12, 0, 10});
  state_.currentEntry = {0, 97, 6, 1, 12, 0, 10};
  EXPECT_EQ(decide("old.txt"), kSkipSameVersion);
}

TEST_F(OverwriteTest, FoldersAndOtherNamesAreNoDestinationFile) {
  destination_.add("a.zip", ListedEntries::kFirstFolderKind, {2020, 1, 1, 0, 0, 100});
  destination_.add("b.zip", 1, {2020, 1, 1, 0, 0, 100});
  state_.currentEntry = kSource;
  EXPECT_EQ(decide("a.zip"), kCopy);
  EXPECT_TRUE(ui_.overwriteQuestions().empty());
}

TEST_F(OverwriteTest, NoRuleAppliesWithoutSourceDateOrWithTheRulesOff) {
  destination_.add("a.zip", 1, {2020, 1, 1, 0, 0, 100});
  state_.currentEntry = {};
  EXPECT_EQ(decide("a.zip"), kCopy);
  state_.currentEntry = kSource;
  settings_.applyOverwriteRules = false;
  EXPECT_EQ(decide("a.zip"), kCopy);
  EXPECT_TRUE(ui_.overwriteQuestions().empty());
}

TEST_F(OverwriteTest, FolderTransfersSkipSilentlyOnlyWhileTheirRuleIsOn) {
  destination_.add("a.zip", 1, {2020, 1, 1, 0, 0, 100});
  state_.currentEntry = kSource;
  state_.FolderTransferActive = true;
  settings_.applyOverwriteRules = false;
  EXPECT_EQ(decide("a.zip"), kSkipNewerVersion);
  settings_.skipExistingInFolders = false;
  EXPECT_EQ(decide("a.zip"), kCopy);
  EXPECT_TRUE(ui_.overwriteQuestions().empty());
}

TEST_F(OverwriteTest, NoToAllSkipsTheRestOfTheBatchWithoutAsking) {
  for (const char* name : {"a", "b", "c"}) destination_.add(name, 1, {2020, 1, 1, 0, 0, 1});
  state_.BatchFileCount = 3;
  ui_.answerOverwrite(Answer::kNoToAll);
  for (const char* name : {"a", "b", "c"}) {
    state_.currentEntry = kSource;
    EXPECT_EQ(decide(name), kSkipNewerVersion) << name;
  }
  ASSERT_EQ(ui_.overwriteQuestions().size(), 1u);
  EXPECT_EQ(ui_.overwriteQuestions()[0].batchCount, 3);
  EXPECT_EQ(state_.OverwriteAllAnswer, -1);
}

TEST_F(OverwriteTest, YesCopiesOnceAndYesToAllCopiesTheRest) {
  for (const char* name : {"a", "b", "c"}) destination_.add(name, 1, {2020, 1, 1, 0, 0, 1});
  ui_.answerOverwrite(Answer::kYes);
  ui_.answerOverwrite(Answer::kYesToAll);
  for (const char* name : {"a", "b", "c"}) {
    state_.currentEntry = kSource;
    EXPECT_EQ(decide(name), kCopy) << name;
  }
  EXPECT_EQ(ui_.overwriteQuestions().size(), 2u);
  EXPECT_EQ(state_.OverwriteAllAnswer, 1);
}

TEST(LocalFolderListing, FindsAFileByNameWithoutRegardToCaseButNoFolder) {
  testing::ScratchFolder folder;
  const std::string file = folder.write("Report.ZIP", "12345");
  folder.makeFolder("sub");
  std::tm when{};
  when.tm_year = 98;
  when.tm_mon = 2;
  when.tm_mday = 4;
  when.tm_hour = 9;
  when.tm_min = 5;
  when.tm_isdst = -1;
  const std::time_t stamp = std::mktime(&when);
  const timespec times[2] = {{stamp, 0}, {stamp, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);

  const LocalFolderListing listing(folder.path());
  const std::optional<EntryStamp> found = listing.findFile("report.zip");
  ASSERT_TRUE(found);
  EXPECT_EQ(std::tie(found->year, found->month, found->day, found->hour, found->minute),
            std::make_tuple(1998, 3, 4, 9, 5));
  EXPECT_EQ(found->size, 5u);
  EXPECT_FALSE(listing.findFile("sub"));
  EXPECT_FALSE(listing.findFile("missing"));
}

}  // namespace
}  // namespace ferrix::transfer
