#include "listing/remote_listing.h"

#include <ferrixcore.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "session/sound_events.h"
#include "transfer/scripted_transfer_test_support.h"

namespace ferrix::listing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;

constexpr char kUnixListing[] =
    "total 2\r\n"
    "-rw-r--r--   1 ann  staff    1234 Jan  5 10:20 notes.bin\r\n"
    "drwxr-xr-x   2 ann  staff     512 Jan  5 10:20 docs\r\n";

std::string pwdReply(const std::string& folder) {
  return "257 \"" + folder + "\" is the current directory.";
}

class RemoteListingTest : public transfer::ScriptedTransferTest {
 protected:
  RemoteListingTest() : cache_(scratch_.makeFolder("temp")) {
    session_.state.sessionProfile.hostType = FERRIX_HOST_TYPE_UNIX;
    session_.state.DetectionDone = 1;
    session_.playSound = [this](int event) { sounds_.push_back(event); };
    dataPort_ = server_.openPassiveDataListener();
  }

  RemoteListing listing() { return {context(), cache_, pane_, folderBox_, busy_, {}, {}}; }

  // PWD answered with `folder`.
  void expectPwd(const std::string& folder) { server_.expectLine("PWD").reply(pwdReply(folder)); }

  // A passive listing command that delivers `bytes`.
  void expectListing(const std::string& command, const std::string& bytes) {
    server_.servePassiveListing(dataPort_, command, bytes);
  }

  std::vector<std::string> paneNames() const {
    std::vector<std::string> names;
    for (const PaneItem& item : pane_.items()) names.emplace_back(item.name());
    std::sort(names.begin(), names.end());
    return names;
  }

  long count(const std::string& line) const {
    const std::vector<std::string> lines = server_.receivedLines();
    return std::count(lines.begin(), lines.end(), line);
  }

  ListingCache cache_;
  PaneModel pane_{PaneSide::kRemote, 1};
  config::MemoryFolderList folderBox_;
  transfer::TransferThreadBusy busy_;
  std::vector<int> sounds_;
  std::uint16_t dataPort_ = 0;
};

TEST_F(RemoteListingTest, ShowUsesTheCacheAndFetchAsksEveryTime) {
  expectPwd("/pub");
  expectListing("LIST", kUnixListing);
  expectPwd("/pub");
  expectPwd("/pub");
  expectListing("LIST", "total 0\r\n");
  connect();
  RemoteListing remote = listing();
  ShowRemoteFolder(remote, true);
  EXPECT_THAT(paneNames(), ElementsAre("..", "docs", "notes.bin"));
  ShowRemoteFolder(remote, true);
  EXPECT_THAT(paneNames(), ElementsAre("..", "docs", "notes.bin"));
  FetchRemoteListing(remote, true);
  expectScriptDone();
  EXPECT_THAT(paneNames(), ElementsAre(".."));
  EXPECT_EQ(count("LIST"), 2);
  EXPECT_EQ(remote.remoteFolder, "/pub");
  EXPECT_THAT(folderBox_.entries(), ElementsAre("/pub"));
  EXPECT_FALSE(busy_.isSet());
  EXPECT_EQ(cache_.size(), 1u);
}

TEST_F(RemoteListingTest, TwentiethFolderPushesTheFirstOutOfTheCache) {
  for (int folder = 0; folder < 20; ++folder) {
    expectPwd("/f" + std::to_string(folder));
    expectListing("LIST", kUnixListing);
  }
  expectPwd("/f1");
  expectPwd("/f0");
  expectListing("LIST", kUnixListing);
  connect();
  RemoteListing remote = listing();
  for (int refresh = 0; refresh < 22; ++refresh) ShowRemoteFolder(remote, false);
  expectScriptDone();
  EXPECT_EQ(count("LIST"), 21);
  EXPECT_EQ(cache_.size(), ListingCache::kMaxSlots);
}

TEST_F(RemoteListingTest, BrokenDataConnectionLeavesThePaneEmptyAndNothingCached) {
  expectPwd("/pub");
  server_.expectLine("PASV")
      .reply(testing::passiveReply(dataPort_))
      .acceptData()
      .expectLine("LIST")
      .reply("150 Opening ASCII mode data connection")
      .sendData("-rw-r--r--   1 ann  staff    1234 Jan  5 10:20 par")
      .closeData()
      .reply("426 Connection closed; transfer aborted.");
  expectPwd("/pub");
  expectListing("LIST", kUnixListing);
  connect();
  RemoteListing remote = listing();
  ShowRemoteFolder(remote, true);
  EXPECT_EQ(pane_.size(), 0u);
  EXPECT_EQ(cache_.size(), 0u);
  EXPECT_TRUE(logged("! Retrieve of folder listing failed (4)"));
  EXPECT_THAT(sounds_, Contains(session::sound_event::kActionFailed));
  ShowRemoteFolder(remote, true);
  expectScriptDone();
  EXPECT_THAT(paneNames(), ElementsAre("..", "docs", "notes.bin"));
}

TEST_F(RemoteListingTest, ListingLeavesTheTransferSettingsAndTheEntryBeingTransferred) {
  state_.automaticMode = true;
  state_.transferMode = 'I';
  state_.currentEntry = {transfer::CurrentEntry::kLinkKind, 98, 1, 5, 10, 20, 4};
  expectPwd("/pub");
  expectListing("LIST", kUnixListing);
  connect();
  RemoteListing remote = listing();
  FetchRemoteListing(remote, false);
  expectScriptDone();
  EXPECT_TRUE(state_.automaticMode);
  EXPECT_EQ(state_.transferMode, 'I');
  EXPECT_EQ(state_.currentEntry.kind, transfer::CurrentEntry::kLinkKind);
  EXPECT_EQ(state_.currentEntry.year, 98);
  EXPECT_TRUE(sounds_.empty());
  EXPECT_THAT(paneNames(), ElementsAre("..", "docs", "notes.bin"));
}

TEST_F(RemoteListingTest, MaskWithALineBreakNeverReachesTheServer) {
  expectPwd("/pub");
  connect();
  RemoteListing remote = listing();
  remote.remoteMask = "x\r\nDELE a";
  FetchRemoteListing(remote, false);
  expectScriptDone();
  // Refused before any data connection is asked for.
  EXPECT_THAT(server_.receivedLines(), ElementsAre("PWD"));
  EXPECT_TRUE(logged("! Retrieve of folder listing failed (0)"));
  EXPECT_EQ(cache_.size(), 0u);
}

TEST_F(RemoteListingTest, VmsRefusalIsAnEmptyFolder) {
  session_.state.sessionProfile.hostType = FERRIX_HOST_TYPE_VMS_MULTINET;
  expectPwd("USER:[ANN]");
  server_.expectLine("PASV")
      .reply(testing::passiveReply(dataPort_))
      .acceptData()
      .expectLine("LIST")
      .reply("550 No files found");
  connect();
  RemoteListing remote = listing();
  ShowRemoteFolder(remote, false);
  expectScriptDone();
  EXPECT_THAT(paneNames(), ElementsAre(".."));
  EXPECT_TRUE(sounds_.empty());
}

TEST_F(RemoteListingTest, MlsdWithTheMaskAndQnx2AppendsTheNlstNames) {
  session_.state.sessionProfile.hostType = FERRIX_HOST_TYPE_MLSD;
  expectPwd("/pub");
  expectListing("MLSD *.txt", "type=file;size=5; a.txt\r\n");
  expectPwd("/pub");
  expectListing("LIST", "file1\r\n");
  expectListing("NLST", "folder1\r\n");
  connect();
  RemoteListing remote = listing();
  remote.remoteMask = "*.txt";
  FetchRemoteListing(remote, false);
  EXPECT_THAT(paneNames(), ElementsAre("..", "a.txt"));
  session_.state.sessionProfile.hostType = FERRIX_HOST_TYPE_QNX2;
  remote.remoteMask.clear();
  FetchRemoteListing(remote, false);
  expectScriptDone();
  std::error_code error;
  const std::optional<ListingCache::Slot> slot = cache_.findOrAdd("/pub", error);
  ASSERT_TRUE(slot && slot->cached);
  std::ifstream file(slot->path, std::ios::binary);
  const std::string content((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
  // Received in ASCII type: local line ends.
  EXPECT_EQ(content, "file1\nfolder1\n");
}

// ---- MLSD where the server offers it ----

constexpr char kMlsdListing[] =
    "type=cdir;modify=20240101000000; /pub\r\n"
    "type=pdir;modify=20240101000000; /\r\n"
    "type=file;size=5;modify=20240301235900; late.txt\r\n"
    "type=dir;modify=20240101120000; docs\r\n";

// Local time for the test's duration, restored after it.
class TimeZoneScope {
 public:
  explicit TimeZoneScope(const char* zone) {
    if (const char* old = std::getenv("TZ")) saved_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~TimeZoneScope() {
    if (saved_) {
      setenv("TZ", saved_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  std::optional<std::string> saved_;
};

const PaneItem* itemNamed(const PaneModel& pane, std::string_view name) {
  for (const PaneItem& item : pane.items()) {
    if (item.name() == name) return &item;
  }
  return nullptr;
}

TEST_F(RemoteListingTest, MlsdTimesAreUtcAndItsOwnFolderEntriesAreNotShown) {
  const TimeZoneScope zone("EST5");
  session_.state.features.mlst = true;
  session_.state.siteHostType = FERRIX_HOST_TYPE_AUTOMATIC;
  session_.state.sessionProfile.timeOffsetHours = 1;
  expectPwd("/pub");
  expectListing("MLSD", kMlsdListing);
  connect();
  RemoteListing remote = listing();
  FetchRemoteListing(remote, false);
  expectScriptDone();
  EXPECT_THAT(paneNames(), ElementsAre("..", "docs", "late.txt"));
  // 2024-03-01 23:59 UTC is 18:59 in New York; the site's hour comes on top.
  const PaneItem* late = itemNamed(pane_, "late.txt");
  ASSERT_NE(late, nullptr);
  EXPECT_EQ(late->year, 2024);
  EXPECT_EQ(late->month, 3);
  EXPECT_EQ(late->day, 1);
  EXPECT_EQ(late->hour, 19);
  EXPECT_EQ(late->minute, 59);
}

TEST_F(RemoteListingTest, RefusedMlsdFallsBackToListForTheSession) {
  session_.state.features.mlst = true;
  session_.state.siteHostType = FERRIX_HOST_TYPE_UNIX;
  expectPwd("/pub");
  const std::uint16_t port = dataPort_;
  server_.expectLine("PASV").reply(testing::passiveReply(port)).acceptData()
      .expectLine("MLSD").reply("500 MLSD not understood");
  expectListing("LIST", kUnixListing);
  expectPwd("/pub");
  expectListing("LIST", kUnixListing);
  connect();
  RemoteListing remote = listing();
  FetchRemoteListing(remote, false);
  FetchRemoteListing(remote, false);
  expectScriptDone();
  EXPECT_THAT(paneNames(), ElementsAre("..", "docs", "notes.bin"));
  EXPECT_EQ(count("MLSD"), 1);
  EXPECT_THAT(log_.history(), Contains("+ MLSD refused; listing with LIST for this session"));
  EXPECT_TRUE(sounds_.empty());
}

TEST_F(RemoteListingTest, MlsdSiteWhoseServerRefusesItDetectsTheTypeAndLists) {
  session_.state.sessionProfile.hostType = FERRIX_HOST_TYPE_MLSD;
  session_.state.siteHostType = FERRIX_HOST_TYPE_MLSD;
  expectPwd("/pub");
  server_.expectLine("PASV").reply(testing::passiveReply(dataPort_)).acceptData()
      .expectLine("MLSD").reply("502 Command not implemented")
      .expectLine("SYST").reply("215 UNIX Type: L8");
  expectListing("LIST", kUnixListing);
  connect();
  RemoteListing remote = listing();
  FetchRemoteListing(remote, false);
  expectScriptDone();
  EXPECT_THAT(paneNames(), ElementsAre("..", "docs", "notes.bin"));
  EXPECT_EQ(session_.state.sessionProfile.hostType, FERRIX_HOST_TYPE_UNIX);
  EXPECT_THAT(log_.history(), Contains(::testing::StartsWith("+ MLSD refused although")));
}

TEST_F(RemoteListingTest, ChosenNonUnixHostTypeKeepsList) {
  session_.state.features.mlst = true;
  session_.state.siteHostType = FERRIX_HOST_TYPE_MICROSOFT_NT;
  session_.state.sessionProfile.hostType = FERRIX_HOST_TYPE_MICROSOFT_NT;
  expectPwd("/pub");
  expectListing("LIST", "06-05-02  03:19PM                 1419 notes.bin\r\n");
  connect();
  RemoteListing remote = listing();
  FetchRemoteListing(remote, false);
  expectScriptDone();
  EXPECT_THAT(paneNames(), ElementsAre("..", "notes.bin"));
}

TEST_F(RemoteListingTest, UnusablePwdStillListsButIsNeverTakenFromTheCache) {
  server_.expectLine("PWD").reply("257");
  expectListing("LIST", kUnixListing);
  server_.expectLine("PWD").reply("550 Not allowed");
  expectListing("LIST", kUnixListing);
  connect();
  RemoteListing remote = listing();
  ShowRemoteFolder(remote, false);
  EXPECT_EQ(remote.remoteFolder, kFolderUnavailable);
  ShowRemoteFolder(remote, false);
  expectScriptDone();
  EXPECT_EQ(count("LIST"), 2);
  EXPECT_THAT(paneNames(), ElementsAre("..", "docs", "notes.bin"));
}

TEST_F(RemoteListingTest, GuardedRefreshDoesNothingWhileATransferRuns) {
  connect();
  pane_.add(MakeNamedItem(PaneSide::kRemote, kKindFile, "kept"));
  ASSERT_TRUE(busy_.tryAcquire());
  RemoteListing remote = listing();
  ShowRemoteFolder(remote, true);
  FetchRemoteListing(remote, true);
  EXPECT_EQ(pane_.size(), 1u);
  EXPECT_TRUE(busy_.isSet());
  EXPECT_TRUE(server_.receivedLines().empty());
}

TEST_F(RemoteListingTest, CommandInProgressRefusesTheListing) {
  connect();
  session_.state.commandInProgress = 1;
  RemoteListing remote = listing();
  EXPECT_EQ(DoDirList(remote, "LIST", scratch_ / "DIRbusy.TMP"), 4);
  session_.state.commandInProgress = 0;
}

TEST(PwdReply, FolderRules) {
  const std::string longName(300, 'a');
  const std::pair<std::string, std::string> cases[] = {
      {"257 \"/home/ann\" is the current directory.", "/home/ann"},
      {"257 \"/it's\" here", "/it's"},
      {"257 '/u/x' is current", "/u/x"},
      {"257 /usr/local is current", "/usr/local"},
      {"257    SYS$USER:[ANN]", "SYS$USER:[ANN]"},
      {"257 \"" + longName + "\"", longName.substr(0, 250)},
      {"257", ""},
      {"257 \"", ""},
  };
  for (const auto& [reply, folder] : cases) EXPECT_EQ(FolderFromPwdReply(reply), folder) << reply;
}

TEST(ListingCommandText, MlsdOnlyForItsHostTypeAndTheMaskAsArgument) {
  EXPECT_EQ(ListingCommand(FERRIX_HOST_TYPE_UNIX, ""), "LIST");
  EXPECT_EQ(ListingCommand(FERRIX_HOST_TYPE_UNIX, "*.c"), "LIST *.c");
  EXPECT_EQ(ListingCommand(FERRIX_HOST_TYPE_MLSD, ""), "MLSD");
  EXPECT_EQ(ListingCommand(FERRIX_HOST_TYPE_MLSD, "a*"), "MLSD a*");
}

}  // namespace
}  // namespace ferrix::listing
