#include "batch/drop_handling.h"

#include "batch/batch_test_support.h"

namespace ferrix::batch {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Answer = session::UserInterface::Answer;
namespace fs = std::filesystem;

using DropTest = BatchTransferTest;

TEST_F(DropTest, DropsWithoutPlaceOrFilesAreOnlyNoted) {
  BatchTransfer transfer = batch();
  HandleDrop(transfer, {DropTarget::kOtherWindow, DragSource::kOtherProgram, {"/tmp/x"}, {}});
  HandleDrop(transfer, {DropTarget::kRemotePane, DragSource::kOtherProgram, {}, {}});
  EXPECT_TRUE(wasLogged("+ Received drop request outside of list boxes!"));
  EXPECT_TRUE(wasLogged("+ got a drop with no files!"));
}

TEST_F(DropTest, MoveWithinTheLocalSideNeverReplacesAFile) {
  scratch_.makeFolder("local/docs");
  scratch_.write("local/a.txt", "a");
  scratch_.write("local/b.txt", "moved b");
  scratch_.write("local/docs/b.txt", "kept b");
  listLocal();
  BatchTransfer transfer = batch();
  const Drop drop{DropTarget::kLocalPane,
                  DragSource::kLocalPane,
                  {localPath("a.txt"), localPath("b.txt")},
                  indexOf(localPane_, "docs")};
  HandleDrop(transfer, drop);
  EXPECT_EQ(scratch_.read("local/docs/a.txt"), "a");
  EXPECT_EQ(scratch_.read("local/docs/b.txt"), "kept b");
  EXPECT_EQ(scratch_.read("local/b.txt"), "moved b");
  EXPECT_TRUE(wasLogged("Moved " + localPath("a.txt") + " to " + localPath("docs/a.txt")));
  EXPECT_TRUE(
      wasLogged("! Move of " + localPath("b.txt") + " to " + localPath("docs/b.txt") + " failed."));
  EXPECT_THAT(sounds_, ElementsAre(session::sound_event::kActionFailed));
  EXPECT_EQ(indexOf(localPane_, "b.txt"), 2u);  // the pane was listed again
}

TEST_F(DropTest, MoveWithinTheServerAsksOnceAndListsTheTargetAnew) {
  addRemote("docs", listing::kKindFolder);
  addRemote("a", listing::kKindFile);
  addRemote("b", listing::kKindFile);
  std::error_code error;
  ASSERT_TRUE(cache_.findOrAdd("/pub/docs", error));
  server_.expectLine("RNFR a").reply("350 Ready").expectLine("RNTO docs/a").reply("250 Moved");
  server_.expectLine("RNFR b").reply("350 Ready").expectLine("RNTO docs/b").reply("553 No");
  expectListing("/pub", folderLine("docs") + fileLine("b", 1));
  connect();
  ui_.answerMessage(Answer::kYes);
  remote_.remoteFolder = "/pub";
  BatchTransfer transfer = batch();
  HandleDrop(transfer, {DropTarget::kRemotePane,
                        DragSource::kRemotePane,
                        {"a", "b/"},
                        indexOf(remotePane_, "docs")});
  expectScriptDone();
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].text, "Do you want to move 2 items to docs?");
  EXPECT_TRUE(wasLogged("Moved a to docs/a"));
  EXPECT_TRUE(wasLogged("! Move of b to docs/b failed."));
  EXPECT_FALSE(cache_.findOrAdd("/pub/docs", error)->cached);
  EXPECT_FALSE(busy_.isSet());
}

TEST_F(DropTest, MoveOntoTheParentForgetsTheParentsListing) {
  addRemote("..", listing::kKindFolder);
  addRemote("a", listing::kKindFile);
  std::error_code error;
  ASSERT_TRUE(cache_.findOrAdd("/", error));
  server_.expectLine("RNFR a").reply("350 Ready").expectLine("RNTO ../a").reply("250 Moved");
  expectListing("/pub", "");
  connect();
  ui_.answerMessage(Answer::kYes);
  BatchTransfer transfer = batch();
  HandleDrop(transfer,
             {DropTarget::kRemotePane, DragSource::kRemotePane, {"a"}, indexOf(remotePane_, "..")});
  expectScriptDone();
  EXPECT_FALSE(cache_.findOrAdd("/", error)->cached);
}

TEST_F(DropTest, RemoteEntriesDroppedOnALocalFolderArriveInIt) {
  scratch_.makeFolder("local/in");
  listLocal();
  addRemote("a.bin", listing::kKindFile);
  expectRetrieve("a.bin", "data");
  connect();
  BatchTransfer transfer = batch();
  transfer.remoteSelection = remoteIndexes({"a.bin"});
  HandleDrop(
      transfer,
      {DropTarget::kLocalPane, DragSource::kRemotePane, {"a.bin"}, indexOf(localPane_, "in")});
  expectScriptDone();
  EXPECT_EQ(scratch_.read("local/in/a.bin"), "data");
  EXPECT_EQ(local_.folder, fs::path(scratch_ / "local"));
  EXPECT_EQ(indexOf(localPane_, "in"), 1u);
  EXPECT_FALSE(busy_.isSet());
}

TEST_F(DropTest, LocalEntriesDroppedOnARemoteFolderGoIntoItAndBack) {
  scratch_.write("local/up.bin", "up");
  listLocal();
  addRemote("docs", listing::kKindFolder);
  expectCwd("docs");
  expectListing("/pub/docs", "");
  expectStore("up.bin");
  expectListing("/pub/docs", fileLine("up.bin", 2));
  expectCwd("/pub");
  expectListing("/pub", folderLine("docs"));
  connect();
  BatchTransfer transfer = batch();
  transfer.localSelection = localIndexes({"up.bin"});
  HandleDrop(transfer, {DropTarget::kRemotePane,
                        DragSource::kLocalPane,
                        {localPath("up.bin")},
                        indexOf(remotePane_, "docs")});
  expectScriptDone();
  EXPECT_THAT(server_.receivedData(), ElementsAre("up"));
  EXPECT_EQ(remote_.remoteFolder, "/pub");
}

TEST_F(DropTest, FilesMeantForARemoteFolderThatCannotBeEnteredStayHome) {
  scratch_.write("local/up.bin", "up");
  addRemote("docs", listing::kKindFolder);
  expectCwd("docs", "550 No such folder");
  connect();
  BatchTransfer transfer = batch();
  HandleDrop(transfer, {DropTarget::kRemotePane,
                        DragSource::kOtherProgram,
                        {localPath("up.bin")},
                        indexOf(remotePane_, "docs")});
  expectScriptDone();
  EXPECT_THAT(server_.receivedData(), IsEmpty());
}

TEST_F(DropTest, FilesFromAnotherProgramAreUploadedIntoTheCurrentFolder) {
  scratch_.makeFolder("elsewhere");
  scratch_.write("elsewhere/one.bin", "1");
  scratch_.write("elsewhere/two.bin", "22");
  expectStore("one.bin");
  expectStore("two.bin");
  expectListing("/pub", fileLine("one.bin", 1) + fileLine("two.bin", 2));
  connect();
  BatchTransfer transfer = batch();
  HandleDrop(transfer, {DropTarget::kRemotePane,
                        DragSource::kOtherProgram,
                        {scratch_ / "elsewhere/one.bin", scratch_ / "elsewhere/two.bin"},
                        {}});
  expectScriptDone();
  EXPECT_THAT(server_.receivedData(), ElementsAre("1", "22"));
  EXPECT_TRUE(wasLogged("sending " + scratch_ / "elsewhere/two.bin" + " as two.bin (2 of 2)"));
}

TEST_F(DropTest, FilesFromAnotherProgramReplaceLocalFilesWithoutAsking) {
  scratch_.makeFolder("elsewhere");
  scratch_.write("elsewhere/same.txt", "new");
  scratch_.write("local/same.txt", "old");
  BatchTransfer transfer = batch();
  HandleDrop(transfer, {DropTarget::kLocalPane,
                        DragSource::kOtherProgram,
                        {scratch_ / "elsewhere/same.txt", localPath("same.txt")},
                        {}});
  EXPECT_EQ(scratch_.read("local/same.txt"), "new");
  EXPECT_EQ(scratch_.read("elsewhere/same.txt"), "new");
  EXPECT_THAT(ui_.messages(), IsEmpty());
  EXPECT_THAT(ui_.overwriteQuestions(), IsEmpty());
  EXPECT_EQ(indexOf(localPane_, "same.txt"), 1u);
}

TEST_F(DropTest, DropsThatNeedTheConnectionAreRefusedWhileItIsBusyOrClosed) {
  struct Case {
    const char* label;
    Drop drop;
  };
  scratch_.makeFolder("local/in");
  listLocal();
  addRemote("a.bin", listing::kKindFile);
  addRemote("docs", listing::kKindFolder);
  const Case cases[] = {
      {"upload", {DropTarget::kRemotePane, DragSource::kOtherProgram, {scratch_ / "x"}, {}}},
      {"download", {DropTarget::kLocalPane, DragSource::kRemotePane, {"a.bin"}, {}}},
      {"move",
       {DropTarget::kRemotePane, DragSource::kRemotePane, {"a.bin"}, indexOf(remotePane_, "docs")}},
  };
  connect();
  ASSERT_TRUE(busy_.tryAcquire());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    BatchTransfer transfer = batch();
    transfer.remoteSelection = remoteIndexes({"a.bin"});
    HandleDrop(transfer, c.drop);
  }
  busy_.release();
  session_.state.connected = 0;
  BatchTransfer transfer = batch();
  HandleDrop(transfer, cases[0].drop);
  const std::vector<std::string> history = log_.history();
  EXPECT_EQ(std::count(history.begin(), history.end(), "! Busy!! File(s) ignored."), 3);
  EXPECT_TRUE(wasLogged("! Not connected. File(s) ignored."));
  EXPECT_THAT(server_.receivedLines(), IsEmpty());
  EXPECT_THAT(ui_.messages(), IsEmpty());
}

}  // namespace
}  // namespace ferrix::batch
