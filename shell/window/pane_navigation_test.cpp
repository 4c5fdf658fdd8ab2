// Finding one's way in the panes: a remote mask the server refuses is
// applied to the full listing, Backspace goes up one folder, and a path
// typed in the folder box is taken as typed, not completed from history.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <filesystem>

#include "shell/window/connected_window_test_support.h"
#include "shell/window/file_pane.h"

namespace ferrix::shell {
namespace {

namespace fs = std::filesystem;
using namespace command;
using namespace test_support;

class PaneNavigationTest : public ConnectedWindowTest {
 protected:
  PaneNavigationTest() {
    fs::create_directories(server_.servedFolder() / "docs");
    write(server_.servedFolder() / "docs" / "guide.txt", "guide\r\n");
    write(server_.servedFolder() / "notes.txt", "notes\r\n");
    write(server_.servedFolder() / "photo.png", "png");
    write(server_.servedFolder() / "README", "read me");
  }
};

TEST_F(PaneNavigationTest, ARefusedRemoteMaskIsAppliedToTheFullListing) {
  connect();
  FilePane& remote = *window_->remotePane();
  remote.maskBox()->setText("*.TXT");
  emit remote.maskEntered();
  waitIdle();
  // pyftpdlib takes no pattern after LIST; folders stay, as in the local pane.
  EXPECT_EQ(namesIn(remote), (std::vector<std::string>{"..", "docs", "notes.txt"})) << lines_.all();
  EXPECT_TRUE(
      lines_.contains("+ The server refused the mask *.TXT; it is applied to the full listing"))
      << lines_.all();
}

TEST_F(PaneNavigationTest, BackspaceGoesUpOneFolderOnEitherSide) {
  connect();
  FilePane& remote = *window_->remotePane();
  emit remote.list()->entryActivated(rowOf(remote, "docs"));
  waitIdle();
  ASSERT_EQ(window_->remoteFolder(), "/docs");
  remote.list()->setFocus();
  QTest::keyClick(remote.list(), Qt::Key_Backspace);
  waitIdle();
  EXPECT_EQ(window_->remoteFolder(), "/");

  fs::create_directories(fs::path(local_.path()) / "inner");
  window_->setLocalFolder(fs::path(local_.path()) / "inner");
  waitIdle();
  QTest::keyClick(window_->localPane()->list(), Qt::Key_Backspace);
  waitIdle();
  EXPECT_EQ(window_->localFolder(), fs::path(local_.path()));
}

TEST_F(PaneNavigationTest, ASlashTypedInTheFolderBoxGoesToTheRoot) {
  connect();
  FilePane& local = *window_->localPane();
  QLineEdit* edit = local.folderBox()->lineEdit();
  edit->setFocus();
  edit->selectAll();
  // The history holds the scratch folder, which also begins with "/".
  QTest::keyClicks(edit, "/");
  QTest::keyClick(edit, Qt::Key_Return);
  waitIdle();
  EXPECT_EQ(window_->localFolder(), fs::path("/"));
}

}  // namespace
}  // namespace ferrix::shell
