// The remote pane against real servers on loopback: vsftpd listed with LIST
// and pyftpdlib with MLSD, both decoded and ordered; the folder and file
// commands checked on the served folder itself.
#include <ferrixcore.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "listing/pane_commands.h"
#include "session/feature_exchange.h"
#include "transfer/receive_file.h"
#include "transfer/send_file.h"
#include "testing/real_server_session.h"
#include "testing/scripted_user_interface.h"

namespace ferrix::listing {
namespace {

using ::testing::ElementsAre;
using testing::FtpServerKind;
namespace fs = std::filesystem;

class RealServerPaneTest : public ::testing::TestWithParam<FtpServerKind> {
 protected:
  RealServerPaneTest()
      : ftp_(GetParam()),
        status_(ui_, false, false),
        cache_(served().parent_path().string()),
        localFolder_(served().parent_path()) {
    session::SessionState& state = ftp_.session().state;
    state.sessionProfile.hostType =
        GetParam() == FtpServerKind::kVsftpd ? FERRIX_HOST_TYPE_UNIX : FERRIX_HOST_TYPE_MLSD;
    state.DetectionDone = 1;
    nameRules_.asciiListPath = (localFolder_ / "FERRIX.EXT").string();
  }

  void SetUp() override {
    ASSERT_EQ(ftp_.logOn(), "");
    ASSERT_EQ(ftp_.enterServedFolder(), 2);
  }

  const fs::path& served() const { return ftp_.server().servedFolder(); }

  RemoteListing& remote() {
    if (!remote_) {
      remote_.emplace(RemoteListing{{ftp_.session(), state_, status_, settings_, nameRules_, ui_},
                                    cache_,
                                    pane_,
                                    box_,
                                    busy_,
                                    {},
                                    {}});
    }
    return *remote_;
  }
  PaneCommands commands() {
    return {
        remote(), {localPane_, localBox_, localOptions_, localFolder_}, permissions_, settings_ui_};
  }

  std::vector<std::string> paneNames() const {
    std::vector<std::string> names;
    for (const PaneItem& item : pane_.items()) names.emplace_back(item.name());
    return names;
  }
  // The indices of `names` in the remote pane.
  Selection select(const std::vector<std::string>& names) const {
    Selection selection;
    for (const std::string& name : names) {
      for (std::size_t index = 0; index < pane_.size(); ++index) {
        if (pane_.at(index).name() == name) selection.push_back(index);
      }
    }
    return selection;
  }

  testing::RealServerSession ftp_;
  testing::ScriptedUserInterface ui_;
  transfer::TransferStatus status_;
  transfer::TransferState state_;
  transfer::TransferSettings settings_;
  transfer::NameRuleSettings nameRules_;
  ListingCache cache_;
  PaneModel pane_{PaneSide::kRemote, 1};
  PaneModel localPane_{PaneSide::kLocal, 1};
  config::MemoryFolderList box_;
  config::MemoryFolderList localBox_;
  LocalListingOptions localOptions_;
  fs::path localFolder_;
  transfer::TransferThreadBusy busy_;
  session::RememberedPermissions permissions_;
  PaneCommandSettings settings_ui_;
  std::optional<RemoteListing> remote_;
};

TEST_P(RealServerPaneTest, FolderIsListedDecodedAndOrdered) {
  fs::create_directories(served() / "beta");
  fs::create_directories(served() / "Alpha");
  std::ofstream(served() / "zeta.bin") << "123";
  std::ofstream(served() / "Readme.txt") << "1";
  std::ofstream(served() / "a file with blanks") << "12";
  ShowRemoteFolder(remote(), true);
  EXPECT_THAT(paneNames(),
              ElementsAre("..", "Alpha", "beta", "a file with blanks", "Readme.txt", "zeta.bin"));
  EXPECT_EQ(pane_.at(5).size, 3u);
  EXPECT_EQ(pane_.at(1).kind, kKindFolder);
  EXPECT_EQ(pane_.at(4).kind, kKindTextFile);
  EXPECT_NE(pane_.at(5).year, 0);
}

TEST_P(RealServerPaneTest, FoldersAndFilesAreMadeRenamedMovedChangedAndRemoved) {
  std::ofstream(served() / "one.txt") << "1";
  std::ofstream(served() / "two.txt") << "2";
  std::ofstream(served() / "gone.bin") << "3";
  PaneCommands pane = commands();
  ShowRemoteFolder(remote(), true);

  ui_.answerInput("made");
  makeFolderCommand(pane, PaneSide::kRemote);
  ASSERT_TRUE(fs::is_directory(served() / "made"));
  EXPECT_FALSE(select({"made"}).empty());

  // A folder the server made is its own user's to chmod.
  ui_.answerPermissions(750);
  chmodCommand(pane, select({"made"}));
  EXPECT_EQ(fs::status(served() / "made").permissions() & fs::perms::all,
            fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);

  ui_.answerInput("renamed.txt");
  renameCommand(pane, PaneSide::kRemote, select({"one.txt"}));
  EXPECT_TRUE(fs::exists(served() / "renamed.txt"));

  ui_.answerInput("made");
  moveCommand(pane, PaneSide::kRemote, select({"renamed.txt", "two.txt"}));
  EXPECT_TRUE(fs::exists(served() / "made" / "renamed.txt"));
  EXPECT_TRUE(fs::exists(served() / "made" / "two.txt"));

  ui_.answerDelete(session::UserInterface::DeleteAnswer::kYes);
  deleteCommand(pane, PaneSide::kRemote, select({"gone.bin"}));
  EXPECT_FALSE(fs::exists(served() / "gone.bin"));

  // Not empty: the server refuses, nothing inside is lost.
  ui_.answerDelete(session::UserInterface::DeleteAnswer::kYes);
  deleteFolderCommand(pane, PaneSide::kRemote, select({"made"}));
  EXPECT_TRUE(fs::exists(served() / "made" / "two.txt"));
  EXPECT_THAT(ftp_.log().history(), ::testing::Contains("! Delete of made failed."));

  fs::remove(served() / "made" / "two.txt");
  fs::remove(served() / "made" / "renamed.txt");
  ui_.answerDelete(session::UserInterface::DeleteAnswer::kYes);
  deleteFolderCommand(pane, PaneSide::kRemote, select({"made"}));
  EXPECT_FALSE(fs::exists(served() / "made"));
  EXPECT_THAT(paneNames(), ElementsAre(".."));
}

// Names with blanks and outside ASCII, after FEAT (pyftpdlib lists UTF8,
// vsftpd does not: its names are shown as UTF-8 because they are).
TEST_P(RealServerPaneTest, Utf8NamesAreListedFetchedSentRenamedAndDeleted) {
  ASSERT_TRUE(session::exchangeFeatures(ftp_.session(), ftp_.control()));
  EXPECT_EQ(ftp_.session().state.nameCharset,
            GetParam() == FtpServerKind::kPyftpdlib ? "UTF-8" : "");
  const std::string name = "résumé 日本.txt";
  std::ofstream(served() / name) << "listed";
  const fs::path local = localFolder_ / "local";
  fs::create_directories(local);
  std::ofstream(local / "données 2.txt") << "sent";
  PaneCommands pane = commands();
  ShowRemoteFolder(remote(), true);
  ASSERT_EQ(select({name}).size(), 1u);
  EXPECT_EQ(pane_.at(select({name}).front()).shownName(), name);

  platform::IniFile ini(localFolder_ / "FERRIX.INI");
  const transfer::TransferLogSettings log;
  const transfer::LocalFolderListing localPane(local);
  const transfer::FileTransferContext download{ftp_.control(), remote().remoteFolder, local,
                                               localPane, ini, log};
  state_.transferMode = 'I';
  EXPECT_EQ(transfer::ReceiveFile(remote().transfer, download, name, 1, 1, false, false),
            transfer::TransferOutcome::kSucceeded);
  std::ifstream fetched(local / name);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(fetched), {}), "listed");

  const transfer::ListedEntries remotePane;
  const transfer::FileTransferContext upload{ftp_.control(), remote().remoteFolder, local,
                                             remotePane, ini, log};
  EXPECT_EQ(transfer::SendFile(remote().transfer, upload, (local / "données 2.txt").string(), 1,
                               1, false, false),
            transfer::TransferOutcome::kSucceeded);
  EXPECT_TRUE(fs::exists(served() / "données 2.txt"));

  ShowRemoteFolder(remote(), true);
  ui_.answerInput("ünïcode ✓.txt");
  renameCommand(pane, PaneSide::kRemote, select({name}));
  EXPECT_TRUE(fs::exists(served() / "ünïcode ✓.txt"));
  ui_.answerDelete(session::UserInterface::DeleteAnswer::kYes);
  deleteCommand(pane, PaneSide::kRemote, select({"données 2.txt"}));
  EXPECT_FALSE(fs::exists(served() / "données 2.txt"));
  EXPECT_THAT(paneNames(), ElementsAre("..", "ünïcode ✓.txt"));
}

// A Latin-1 name on a server that names no charset and keeps names as bytes
// (vsftpd): shown with replacement characters, yet fetched, renamed and
// deleted by the server's own bytes.
TEST_P(RealServerPaneTest, ANameThatIsNotUtf8IsFetchedRenamedAndDeletedByItsBytes) {
  if (GetParam() == FtpServerKind::kPyftpdlib) {
    GTEST_SKIP() << "pyftpdlib itself lists such a name with replacement characters";
  }
  ASSERT_TRUE(session::exchangeFeatures(ftp_.session(), ftp_.control()));
  const std::string latin = "caf\xE9 1.txt";
  const std::string other = "na\xEFve.txt";
  std::ofstream(served() / latin) << "latin";
  std::ofstream(served() / other) << "other";
  const fs::path local = localFolder_ / "local";
  fs::create_directories(local);
  PaneCommands pane = commands();
  ShowRemoteFolder(remote(), true);
  ASSERT_EQ(select({latin}).size(), 1u);
  EXPECT_EQ(pane_.at(select({latin}).front()).shownName(), "caf\uFFFD 1.txt");

  platform::IniFile ini(localFolder_ / "FERRIX.INI");
  const transfer::TransferLogSettings log;
  const transfer::LocalFolderListing localPane(local);
  const transfer::FileTransferContext download{ftp_.control(), remote().remoteFolder, local,
                                               localPane, ini, log};
  state_.transferMode = 'I';
  EXPECT_EQ(transfer::ReceiveFile(remote().transfer, download, latin, 1, 1, false, false),
            transfer::TransferOutcome::kSucceeded);
  std::ifstream fetched(local / "caf\uFFFD 1.txt");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(fetched), {}), "latin");

  ui_.answerInput("cafe 1.txt");
  renameCommand(pane, PaneSide::kRemote, select({latin}));
  EXPECT_TRUE(fs::exists(served() / "cafe 1.txt"));
  ui_.answerDelete(session::UserInterface::DeleteAnswer::kYes);
  deleteCommand(pane, PaneSide::kRemote, select({other}));
  EXPECT_FALSE(fs::exists(served() / other));
  EXPECT_THAT(paneNames(), ElementsAre("..", "cafe 1.txt"));
}

INSTANTIATE_TEST_SUITE_P(Servers, RealServerPaneTest,
                         ::testing::Values(FtpServerKind::kVsftpd, FtpServerKind::kPyftpdlib),
                         [](const auto& info) {
                           return info.param == FtpServerKind::kVsftpd ? "vsftpd" : "pyftpdlib";
                         });

}  // namespace
}  // namespace ferrix::listing
