#include "listing/pane_commands.h"

#include <ferrixcore.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "listing/remote_menu_commands.h"
#include "session/name_charset.h"
#include "session/sound_events.h"
#include "transfer/scripted_transfer_test_support.h"

namespace ferrix::listing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using DeleteAnswer = session::UserInterface::DeleteAnswer;

constexpr char kListing[] =
    "-rw-r--r--   1 ann  staff    1234 Jan  5 10:20 notes.bin\r\n"
    "drwxr-xr-x   2 ann  staff     512 Jan  5 10:20 docs\r\n";
constexpr std::int32_t kInsertionOrder = 16;  // folders mixed, no key: items stay as added

class PaneCommandsTest : public transfer::FileTransferTest {
 protected:
  PaneCommandsTest()
      : cache_(scratch_.makeFolder("temp")),
        raw_(scratch_ / "temp"),
        localFolder_(scratch_.makeFolder("local")) {
    session_.state.sessionProfile.hostType = FERRIX_HOST_TYPE_UNIX;
    session_.state.DetectionDone = 1;
    session_.state.replyTimeoutSeconds = 5;
    state_.serverTransferType = 'A';
    session_.playSound = [this](int event) { sounds_.push_back(event); };
    dataPort_ = server_.openPassiveDataListener();
  }

  RemoteListing& remote() {
    if (!remote_) {
      remote_.emplace(
          RemoteListing{context(), cache_, remoteItems_, remoteBox_, busy_, "/pub", {}});
    }
    return *remote_;
  }

  PaneCommands commands() {
    return {
        remote(), {localItems_, localBox_, localOptions_, localFolder_}, permissions_, settings_};
  }

  void addRemote(std::int32_t kind, const std::string& name) {
    remoteItems_.add(MakeNamedItem(PaneSide::kRemote, kind, name));
  }
  void addLocal(std::int32_t kind, const std::string& name) {
    localItems_.add(MakeNamedItem(PaneSide::kLocal, kind, name));
  }

  void expectListing(const std::string& command, const std::string& bytes) {
    server_.servePassiveListing(dataPort_, command, bytes);
  }
  void expectFetch(const std::string& folder, const std::string& bytes = kListing) {
    server_.expectLine("PWD").reply("257 \"" + folder + "\" is the current directory.");
    expectListing("LIST", bytes);
  }

  static std::vector<std::string> namesIn(const PaneModel& pane) {
    std::vector<std::string> names;
    for (const PaneItem& item : pane.items()) names.emplace_back(item.name());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::vector<std::string> deleteQuestions() const {
    std::vector<std::string> questions;
    for (const auto& question : ui_.deleteQuestions()) {
      questions.push_back(question.question + " /" + std::to_string(question.selectedCount));
    }
    return questions;
  }

  std::vector<std::string> localNames() const {
    std::vector<std::string> names = scratch_.list("local");
    std::sort(names.begin(), names.end());
    return names;
  }

  ListingCache cache_;
  RawListingFile raw_;
  PaneModel remoteItems_{PaneSide::kRemote, kInsertionOrder};
  PaneModel localItems_{PaneSide::kLocal, kInsertionOrder};
  config::MemoryFolderList remoteBox_;
  config::MemoryFolderList localBox_;
  LocalListingOptions localOptions_;
  std::filesystem::path localFolder_;
  transfer::TransferThreadBusy busy_;
  session::RememberedPermissions permissions_;
  PaneCommandSettings settings_;
  std::optional<RemoteListing> remote_;
  std::vector<int> sounds_;
  std::uint16_t dataPort_ = 0;
};

// The walk runs from the last selected entry to the first; the answers
// decide what goes, and a change fetches the listing (DOUPDATE on).
TEST_F(PaneCommandsTest, DeleteAllAtTheFirstQuestionDeletesTheRestWithoutAsking) {
  server_.expectLine("DELE c").reply("250 Deleted");
  server_.expectLine("RMD b").reply("500 Unknown");
  server_.expectLine("XRMD b").reply("250 Removed");
  server_.expectLine("DELE a").reply("250 Deleted");
  expectFetch("/pub");
  connect();
  addRemote(kKindFile, "a");
  addRemote(kKindFolder, "b");
  addRemote(kKindTextFile, "c");
  ui_.answerDelete(DeleteAnswer::kDeleteAll);
  PaneCommands pane = commands();
  deleteCommand(pane, PaneSide::kRemote, {0, 1, 2});
  expectScriptDone();
  EXPECT_THAT(deleteQuestions(), ElementsAre("Are you sure you want to delete \"c\"? /3"));
  EXPECT_THAT(namesIn(remoteItems_), ElementsAre("..", "docs", "notes.bin"));
}

TEST_F(PaneCommandsTest, CancelAtTheSecondQuestionKeepsTheSecondAndFirst) {
  server_.expectLine("DELE c").reply("250 Deleted");
  connect();
  addRemote(kKindFile, "a");
  addRemote(kKindFile, "b");
  addRemote(kKindFile, "c");
  settings_.refreshAfterChange = false;
  ui_.answerDelete(DeleteAnswer::kYes);
  ui_.answerDelete(DeleteAnswer::kCancel);
  PaneCommands pane = commands();
  deleteCommand(pane, PaneSide::kRemote, {0, 1, 2});
  expectScriptDone();
  EXPECT_EQ(deleteQuestions().size(), 2u);
  EXPECT_THAT(server_.receivedLines(), ElementsAre("DELE c"));
}

// A failure is told and the walk goes on; ".." is never deleted; with
// VRFYDEL off nobody is asked; nothing changed means no new listing.
TEST_F(PaneCommandsTest, RefusedDeleteIsReportedAndTheWalkGoesOn) {
  server_.expectLine("DELE b").reply("550 Permission denied");
  server_.expectLine("DELE a").reply("550 Permission denied");
  connect();
  addRemote(kKindFolder, "..");
  addRemote(kKindFile, "a");
  addRemote(kKindFile, "b");
  settings_.verifyDelete = false;
  PaneCommands pane = commands();
  deleteCommand(pane, PaneSide::kRemote, {0, 1, 2});
  expectScriptDone();
  EXPECT_THAT(ui_.deleteQuestions(), IsEmpty());
  EXPECT_TRUE(logged("! Delete of b failed."));
  EXPECT_TRUE(logged("! Delete of a failed."));
  EXPECT_EQ(std::count(sounds_.begin(), sounds_.end(), session::sound_event::kActionFailed), 2);
}

// A listed name that holds a line break never reaches the server as a
// second command.
TEST_F(PaneCommandsTest, ListedNameWithALineBreakIsNotSent) {
  server_.expectLine("DELE safe").reply("250 Deleted");
  connect();
  addRemote(kKindFile, "safe");
  addRemote(kKindFile, "x\r\nRMD important");
  settings_.verifyDelete = false;
  settings_.refreshAfterChange = false;
  PaneCommands pane = commands();
  deleteCommand(pane, PaneSide::kRemote, {0, 1});
  expectScriptDone();
  EXPECT_THAT(server_.receivedLines(), ElementsAre("DELE safe"));
  // The log shows the line break escaped, as it shows every control character.
  EXPECT_TRUE(logged("! Delete of x\\x0d\\x0aRMD important failed."));
}

TEST_F(PaneCommandsTest, OneSelectedEntryIsAskedAboutAlone) {
  connect();
  addRemote(kKindFile, "a");
  ui_.answerDelete(DeleteAnswer::kNo);
  PaneCommands pane = commands();
  deleteCommand(pane, PaneSide::kRemote, {0});
  EXPECT_THAT(deleteQuestions(), ElementsAre("Are you sure you want to delete \"a\"? /1"));
  EXPECT_THAT(server_.receivedLines(), IsEmpty());
}

// Double-click: a folder is entered and shown; a link the server will not
// enter is left to the double-click rule; a file is not touched.
TEST_F(PaneCommandsTest, OpeningAFolderEntersItAndALinkOnlyWhenTheServerAgrees) {
  server_.expectLine("CWD docs").reply("250 OK");
  expectFetch("/pub/docs");
  server_.expectLine("CWD ln").reply("550 Not a directory");
  connect();
  addRemote(kKindFolder, "docs");
  addRemote(kKindLink, "ln");
  addRemote(kKindFile, "f");
  PaneCommands pane = commands();
  EXPECT_TRUE(openFolderEntry(pane, PaneSide::kRemote, {0}));
  EXPECT_EQ(remote().remoteFolder, "/pub/docs");
  remoteItems_.clear();
  addRemote(kKindLink, "ln");
  addRemote(kKindFile, "f");
  EXPECT_FALSE(openFolderEntry(pane, PaneSide::kRemote, {0}));
  EXPECT_FALSE(openFolderEntry(pane, PaneSide::kRemote, {1}));
  expectScriptDone();
}

// Without a folder selected the prompt offers the visited folders and starts
// with the current one; ".." goes up with CDUP.
TEST_F(PaneCommandsTest, ChangeFolderOffersTheCachedFolders) {
  expectFetch("/pub");
  server_.expectLine("CDUP").reply("250 OK");
  expectFetch("/");
  connect();
  ShowRemoteFolder(remote(), true);
  ui_.answerFolderChoice("..");
  PaneCommands pane = commands();
  changeFolderCommand(pane, PaneSide::kRemote, {});
  expectScriptDone();
  const auto choices = ui_.folderChoices();
  ASSERT_EQ(choices.size(), 1u);
  const auto& choice = choices.front();
  EXPECT_EQ(choice.prompt, "Enter remote folder name:");
  EXPECT_EQ(choice.prefilled, "/pub");
  EXPECT_EQ(choice.helpTopic, 180);
  EXPECT_THAT(choice.choices, ElementsAre("/pub"));
  EXPECT_EQ(remote().remoteFolder, "/");
}

TEST_F(PaneCommandsTest, MakeFolderFallsBackToXmkdAndRefreshesOnlyWithDoUpdate) {
  server_.expectLine("MKD new").reply("500 Unknown command");
  server_.expectLine("XMKD new").reply("257 Created");
  expectFetch("/pub");
  server_.expectLine("MKD other").reply("257 Created");
  server_.expectLine("MKD bad").reply("550 Exists");
  connect();
  PaneCommands pane = commands();
  ui_.answerInput("new");
  makeFolderCommand(pane, PaneSide::kRemote);
  settings_.refreshAfterChange = false;
  ui_.answerInput("other");
  makeFolderCommand(pane, PaneSide::kRemote);
  ui_.answerInput("bad");
  makeFolderCommand(pane, PaneSide::kRemote);
  expectScriptDone();
  EXPECT_EQ(ui_.prompts().front().text, "Enter new remote folder name:");
  EXPECT_THAT(sounds_, ElementsAre(session::sound_event::kActionFailed));
}

TEST_F(PaneCommandsTest, DeleteFolderAsksOnceOrTakesATypedName) {
  server_.expectLine("RMD docs").reply("550 Not empty");
  server_.expectLine("RMD typed").reply("250 Removed");
  expectFetch("/pub");
  connect();
  addRemote(kKindFolder, "docs");
  ui_.answerDelete(DeleteAnswer::kYes);
  PaneCommands pane = commands();
  deleteFolderCommand(pane, PaneSide::kRemote, {0});
  EXPECT_TRUE(logged("! Delete of docs failed."));
  ui_.answerInput("typed");
  deleteFolderCommand(pane, PaneSide::kRemote, {});
  expectScriptDone();
  EXPECT_THAT(deleteQuestions(), ElementsAre("Are you sure you want to delete \"docs\"? /1"));
  EXPECT_EQ(ui_.prompts().back().helpTopic, 650);
}

// Refresh always asks the server, except while a transfer runs.
TEST_F(PaneCommandsTest, RefreshFetchesAnewUnlessATransferRuns) {
  expectFetch("/pub");
  expectFetch("/pub", "");
  connect();
  PaneCommands pane = commands();
  refreshCommand(pane, PaneSide::kRemote);
  refreshCommand(pane, PaneSide::kRemote);
  ASSERT_TRUE(busy_.tryAcquire());
  refreshCommand(pane, PaneSide::kRemote);
  busy_.release();
  expectScriptDone();
  EXPECT_THAT(namesIn(remoteItems_), ElementsAre(".."));
}

// The redisplay uses the cached listing without PWD; an uncached folder is
// fetched, a failed fetch is told.
TEST_F(PaneCommandsTest, RedisplayUsesTheCacheAndFetchesWithoutPwd) {
  expectFetch("/pub");
  expectListing("LIST", kListing);
  server_.expectLine("PASV")
      .reply(testing::passiveReply(dataPort_))
      .acceptData()
      .expectLine("LIST")
      .reply("550 No such folder");
  connect();
  ShowRemoteFolder(remote(), true);
  PaneCommands pane = commands();
  RedisplayPane(pane, PaneSide::kRemote);
  EXPECT_THAT(namesIn(remoteItems_), ElementsAre("..", "docs", "notes.bin"));
  remote().remoteFolder = "/elsewhere";
  RedisplayPane(pane, PaneSide::kRemote);
  EXPECT_THAT(namesIn(remoteItems_), ElementsAre("..", "docs", "notes.bin"));
  remote().remoteFolder = "/third";
  RedisplayPane(pane, PaneSide::kRemote);
  expectScriptDone();
  EXPECT_EQ(remoteItems_.size(), 0u);
  EXPECT_TRUE(logged("! DoDirList returned 5"));
  EXPECT_THAT(cache_.folders(), ElementsAre("/pub", "/elsewhere"));
}

TEST_F(PaneCommandsTest, ChmodSkipsTheParentEntry) {
  server_.expectLine("SITE chmod 755 a").reply("200 OK");
  connect();
  addRemote(kKindFolder, "..");
  addRemote(kKindFile, "a");
  ui_.answerPermissions(755);
  PaneCommands pane = commands();
  chmodCommand(pane, {0, 1});
  expectScriptDone();
  EXPECT_EQ(permissions_.digits, 755u);
  EXPECT_THAT(server_.receivedLines(), ElementsAre("SITE chmod 755 a"));
}

TEST_F(PaneCommandsTest, RemoteRenameAndMoveWorkOnTheSelectedNames) {
  server_.expectLine("RNFR b").reply("350 Ready");
  server_.expectLine("RNTO c").reply("250 Renamed");
  server_.expectLine("RNFR a").reply("350 Ready");
  server_.expectLine("RNTO archive/a").reply("250 Renamed");
  connect();
  addRemote(kKindFile, "a");
  addRemote(kKindFile, "b");
  settings_.refreshAfterChange = false;
  PaneCommands pane = commands();
  ui_.answerInput("c");
  renameCommand(pane, PaneSide::kRemote, {1});
  ui_.answerInput("archive");
  moveCommand(pane, PaneSide::kRemote, {0});
  expectScriptDone();
}

// QUOTE: a typed listing command fills the pane without touching the cached
// listing of the folder; anything else goes out as typed.
TEST_F(PaneCommandsTest, QuotedListFillsThePaneAndOtherTextIsSentAsTyped) {
  expectFetch("/pub", "");
  expectListing("list -a", kListing);
  server_.expectLine("NOOP").reply("200 OK");
  connect();
  ShowRemoteFolder(remote(), true);
  ui_.answerInput("list -a");
  EXPECT_EQ(quoteMenuCommand(remote(), raw_), 2);
  EXPECT_THAT(namesIn(remoteItems_), ElementsAre("..", "docs", "notes.bin"));
  ui_.answerInput("NOOP");
  EXPECT_EQ(quoteMenuCommand(remote(), raw_), 2);
  PaneCommands pane = commands();
  RedisplayPane(pane, PaneSide::kRemote);
  expectScriptDone();
  EXPECT_THAT(namesIn(remoteItems_), ElementsAre(".."));
  EXPECT_EQ(ui_.prompts().front().text, "Enter command for remote site:");
}

// The listing is text, so the viewer gets it with the local line ends.
TEST_F(PaneCommandsTest, ListAndNlstMenuKeepTheRawListingForTheViewer) {
  expectListing("NLST", "a\r\nb\r\n");
  server_.expectLine("PASV").reply("500 No");
  server_.expectLine("XPSV").reply("500 No");
  server_.expectLineStartingWith("PORT").reply("500 No");
  connect();
  const std::optional<std::string> path = nlstMenuCommand(remote(), raw_);
  ASSERT_TRUE(path);
  std::ifstream in(*path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "a\nb\n");
  EXPECT_FALSE(listMenuCommand(remote(), raw_));
  expectScriptDone();
  EXPECT_THAT(sounds_, Contains(session::sound_event::kActionFailed));
}

TEST_F(PaneCommandsTest, RetrReceivesTheTypedNameIntoTheLocalFolder) {
  server_.expectLine("TYPE I").reply("200 Type set to I");
  server_.expectLine("PASV")
      .reply(testing::passiveReply(dataPort_))
      .acceptData()
      .expectLine("RETR report.bin")
      .reply("150 Opening BINARY mode data connection")
      .sendData("content")
      .closeData()
      .reply("226 Transfer complete");
  connect();
  ui_.answerInput("report.bin");
  PaneCommands pane = commands();
  EXPECT_EQ(retrMenuCommand(pane, {ini_, logSettings_}), transfer::TransferOutcome::kSucceeded);
  expectScriptDone();
  EXPECT_EQ(scratch_.read("local/report.bin"), "content");
  EXPECT_THAT(namesIn(localItems_), Contains("report.bin"));
  EXPECT_EQ(ui_.prompts().front().helpTopic, 640);
}

TEST_F(PaneCommandsTest, StorSendsTheTypedLocalFileAndRefreshes) {
  scratch_.write("local/up.bin", "payload");
  server_.expectLine("TYPE I").reply("200 Type set to I");
  server_.expectLine("PASV")
      .reply(testing::passiveReply(dataPort_))
      .acceptData()
      .expectLine("STOR up.bin")
      .reply("150 Ok to send data")
      .receiveDataUntilClose()
      .reply("226 Transfer complete");
  server_.expectLineStartingWith("MDTM").reply("500 Unknown");
  server_.expectLine("PWD").reply("257 \"/pub\" is the current directory.");
  server_.expectLine("TYPE A").reply("200 Type set to A");
  expectListing("LIST", kListing);
  connect();
  ui_.answerInput("up.bin");
  PaneCommands pane = commands();
  EXPECT_EQ(storMenuCommand(pane, {ini_, logSettings_}), transfer::TransferOutcome::kSucceeded);
  expectScriptDone();
  EXPECT_THAT(server_.receivedData(), Contains("payload"));
}

// The local side, on a scratch folder.
TEST_F(PaneCommandsTest, LocalDeleteRemovesFilesAndOnlyEmptyFolders) {
  scratch_.write("local/a.txt", "a");
  scratch_.makeFolder("local/empty");
  scratch_.makeFolder("local/full");
  scratch_.write("local/full/keep.txt", "keep");
  addLocal(kKindTextFile, "a.txt");
  addLocal(kKindFolder, "empty");
  addLocal(kKindFolder, "full");
  settings_.verifyDelete = false;
  PaneCommands pane = commands();
  deleteCommand(pane, PaneSide::kLocal, {0, 1, 2});
  EXPECT_THAT(localNames(), ElementsAre("full"));
  EXPECT_EQ(scratch_.read("local/full/keep.txt"), "keep");
  EXPECT_TRUE(logged("! Delete of full failed."));
  EXPECT_THAT(namesIn(localItems_), ElementsAre("..", "full"));
}

TEST_F(PaneCommandsTest, LocalNamesThatTryToLeaveTheFolderAreRefused) {
  scratch_.write("outside.txt", "outside");
  scratch_.write("local/in.txt", "in");
  addLocal(kKindFile, "../outside.txt");
  addLocal(kKindFile, "in.txt");
  settings_.verifyDelete = false;
  PaneCommands pane = commands();
  deleteCommand(pane, PaneSide::kLocal, {0});
  ui_.answerInput("renamed.txt");
  renameCommand(pane, PaneSide::kLocal, {0});
  EXPECT_EQ(scratch_.read("outside.txt"), "outside");
  EXPECT_TRUE(logged("! Delete of ../outside.txt failed."));
  EXPECT_TRUE(logged("! Rename of ../outside.txt to renamed.txt failed."));
  EXPECT_FALSE(std::filesystem::exists(scratch_ / "local/renamed.txt"));
}

// A typed destination may be a path; an existing file there is never
// replaced.
TEST_F(PaneCommandsTest, LocalRenameAndMoveNeverReplaceAFile) {
  scratch_.write("local/a.txt", "a");
  scratch_.write("local/b.txt", "b");
  scratch_.makeFolder("archive");
  scratch_.write("archive/a.txt", "old");
  addLocal(kKindFile, "a.txt");
  addLocal(kKindFile, "b.txt");
  PaneCommands pane = commands();
  ui_.answerInput("b.txt");
  renameCommand(pane, PaneSide::kLocal, {0});
  EXPECT_EQ(scratch_.read("local/b.txt"), "b");
  EXPECT_TRUE(logged("! Rename of a.txt to b.txt failed."));
  ui_.answerInput("../archive");
  moveCommand(pane, PaneSide::kLocal, {0, 1});
  EXPECT_EQ(scratch_.read("archive/a.txt"), "old");
  EXPECT_EQ(scratch_.read("archive/b.txt"), "b");
  EXPECT_THAT(localNames(), ElementsAre("a.txt"));
  EXPECT_EQ(ui_.prompts().back().text, "Please enter the local destination folder:");
}

TEST_F(PaneCommandsTest, LocalFoldersAreEnteredMadeAndLeft) {
  scratch_.makeFolder("local/sub");
  addLocal(kKindFolder, "sub");
  PaneCommands pane = commands();
  EXPECT_TRUE(openFolderEntry(pane, PaneSide::kLocal, {0}));
  EXPECT_EQ(localFolder_, std::filesystem::path(scratch_ / "local/sub"));
  ui_.answerInput("made");
  makeFolderCommand(pane, PaneSide::kLocal);
  EXPECT_TRUE(std::filesystem::is_directory(scratch_ / "local/sub/made"));
  EXPECT_THAT(namesIn(localItems_), ElementsAre("..", "made"));
  ui_.answerInput("missing");
  changeFolderCommand(pane, PaneSide::kLocal, {});
  EXPECT_EQ(localFolder_, std::filesystem::path(scratch_ / "local/sub"));
  localItems_.clear();
  addLocal(kKindFolder, "..");
  changeFolderCommand(pane, PaneSide::kLocal, {0});
  EXPECT_EQ(localFolder_, std::filesystem::path(scratch_ / "local"));
  EXPECT_THAT(localBox_.entries(), Contains(scratch_ / "local"));
}

// A CP1251 server that does not list UTF8: the pane shows Cyrillic, every
// command about a listed entry carries the server's own bytes, and typed
// names reach it in its charset.
TEST_F(PaneCommandsTest, ACp1251ServerGetsItsOwnBytesBackAndTypedNamesInItsCharset) {
  const std::string privet = "\xCF\xF0\xE8\xE2\xE5\xF2.txt";            // Привет.txt
  const std::string documents = "\xE4\xEE\xEA\xF3\xEC\xE5\xED\xF2\xFB";  // документы
  const std::string listing = "-rw-r--r--   1 ann  staff    5 Jan  5 10:20 " + privet +
                              "\r\ndrwxr-xr-x   2 ann  staff  512 Jan  5 10:20 " + documents +
                              "\r\n";
  expectFetch("/pub", listing);
  server_.expectLine("RNFR " + privet).reply("350 Ready");
  server_.expectLine("RNTO \xCC\xE8\xF0.txt").reply("250 Renamed");  // Мир.txt
  server_.expectLine("RMD " + documents).reply("250 Removed");
  server_.expectLine("MKD \xED\xEE\xE2\xE0\xFF").reply("257 Created");  // новая
  connect();
  session_.state.sessionProfile.charset = "CP1251";
  session::chooseNameCharset(session_);
  settings_.refreshAfterChange = false;
  ShowRemoteFolder(remote(), true);
  std::vector<std::string> shown;
  for (const PaneItem& item : remoteItems_.items()) shown.emplace_back(item.shownName());
  EXPECT_THAT(shown, Contains("Привет.txt"));
  EXPECT_THAT(shown, Contains("документы"));
  const auto indexOf = [this](const std::string& name) {
    for (std::size_t i = 0; i < remoteItems_.size(); ++i) {
      if (remoteItems_.at(i).name() == name) return i;
    }
    ADD_FAILURE() << "no entry " << name;
    return std::size_t{0};
  };
  PaneCommands pane = commands();
  ui_.answerInput("Мир.txt");
  renameCommand(pane, PaneSide::kRemote, {indexOf(privet)});
  ui_.answerDelete(DeleteAnswer::kYes);
  deleteFolderCommand(pane, PaneSide::kRemote, {indexOf(documents)});
  ui_.answerInput("новая");
  makeFolderCommand(pane, PaneSide::kRemote);
  // A name CP1251 cannot hold never reaches the server.
  ui_.answerInput("日本");
  makeFolderCommand(pane, PaneSide::kRemote);
  expectScriptDone();
  EXPECT_EQ(ui_.prompts().front().text, "Enter new name for \"Привет.txt\":");
  EXPECT_EQ(ui_.prompts().front().prefilled, "Привет.txt");
  EXPECT_THAT(deleteQuestions(), ElementsAre("Are you sure you want to delete \"документы\"? /1"));
  EXPECT_TRUE(logged("RNFR Привет.txt"));
  EXPECT_TRUE(logged("! \"日本\" cannot be written in the server's charset CP1251"));
}

// A name that is not valid UTF-8 on a server without a charset: shown with
// replacement characters, renamed and deleted by its own bytes.
TEST_F(PaneCommandsTest, ANameThatDoesNotDecodeIsRenamedAndDeletedByItsOwnBytes) {
  const std::string latin = "r\xE9sum\xE9.txt";
  const std::string other = "caf\xE9.txt";
  expectFetch("/pub", "-rw-r--r--   1 ann  staff    5 Jan  5 10:20 " + latin +
                          "\r\n-rw-r--r--   1 ann  staff    5 Jan  5 10:20 " + other + "\r\n");
  server_.expectLine("RNFR " + latin).reply("350 Ready");
  server_.expectLine("RNTO resume.txt").reply("250 Renamed");
  server_.expectLine("DELE " + other).reply("250 Deleted");
  connect();
  settings_.refreshAfterChange = false;
  ShowRemoteFolder(remote(), true);
  PaneCommands pane = commands();
  std::size_t latinIndex = 0;
  std::size_t otherIndex = 0;
  for (std::size_t i = 0; i < remoteItems_.size(); ++i) {
    if (remoteItems_.at(i).name() == latin) latinIndex = i;
    if (remoteItems_.at(i).name() == other) otherIndex = i;
  }
  EXPECT_EQ(remoteItems_.at(latinIndex).shownName(), "r\uFFFDsum\uFFFD.txt");
  ui_.answerInput("resume.txt");
  renameCommand(pane, PaneSide::kRemote, {latinIndex});
  ui_.answerDelete(DeleteAnswer::kYes);
  deleteCommand(pane, PaneSide::kRemote, {otherIndex});
  expectScriptDone();
  EXPECT_THAT(deleteQuestions(), ElementsAre("Are you sure you want to delete \"caf\uFFFD.txt\"? /1"));
}

}  // namespace
}  // namespace ferrix::listing
