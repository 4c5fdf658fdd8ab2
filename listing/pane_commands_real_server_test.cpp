// The remote pane against real servers on loopback: vsftpd listed with LIST
// and pyftpdlib with MLSD, both decoded and ordered; the folder and file
// commands checked on the served folder itself.
#include <ferrixcore.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "listing/pane_commands.h"
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

INSTANTIATE_TEST_SUITE_P(Servers, RealServerPaneTest,
                         ::testing::Values(FtpServerKind::kVsftpd, FtpServerKind::kPyftpdlib),
                         [](const auto& info) {
                           return info.param == FtpServerKind::kVsftpd ? "vsftpd" : "pyftpdlib";
                         });

}  // namespace
}  // namespace ferrix::listing
