// The main window driven as a person would, against pyftpdlib on loopback:
// connect, folders, transfers both ways, Cancel and Exit during a transfer,
// header clicks, context menus and the keyboard.
#include "shell/window/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRawFont>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>

#include "config/scratch_configuration.h"
#include "config/site_profile_store.h"
#include "listing/host_detection.h"
#include "platform/clock.h"
#include "platform/tcp_socket.h"
#include "session/message_log.h"
#include "shell/window/connection_security.h"
#include "shell/window/file_pane.h"
#include "shell/window/pane_list_model.h"
#include "shell/window/window_commands.h"
#include "shell/window/window_test_support.h"
#include "testing/real_ftp_servers.h"
#include "testing/scratch_folder.h"
#include "testing/scripted_user_interface.h"

namespace ferrix::shell {
namespace {

namespace fs = std::filesystem;
using namespace command;
using listing::PaneSide;
using namespace test_support;

class MainWindowTest : public WindowTestBase {
 protected:
  MainWindowTest()
      : server_(testing::FtpServerKind::kPyftpdlib) {
    configuration_.writeIni("[_config_]\nAUTOSTART=0\nHASH=0\n");
    configuration_->LoadProgramSettings();
    session_.onGreetingLine = listing::CheckReplyForHostType;
    log_.addObserver(&lines_);
    fs::create_directories(server_.servedFolder() / "docs");
    write(server_.servedFolder() / "readme.txt", "Read me first\r\n");
    write(server_.servedFolder() / "docs" / "guide.txt", "A short guide\r\n");
    write(server_.servedFolder() / "b-small.bin", std::string(10, 'x'));
    write(server_.servedFolder() / "a-large.bin", std::string(5000, 'y'));
  }
  ~MainWindowTest() override {
    window_.reset();
    log_.removeObserver(&lines_);
  }

  void openWindow() {
    ASSERT_EQ(server_.startError(), "");
    WindowHooks hooks;
    hooks.chooseSite = [this](QWidget*) {
      config::SiteProfile& profile = session_.state.sessionProfile;
      profile = config::SiteProfile{};
      profile.profileName = "loopback";
      profile.hostName = "127.0.0.1";
      profile.port = server_.port();
      profile.userId = server_.login().user;
      profile.password = server_.login().password;
      return true;
    };
    window_ = std::make_unique<MainWindow>(
        WindowServices{*configuration_, sites_, session_, userInterface_}, std::move(hooks));
    window_->setLocalFolder(local_.path());
    window_->resize(900, 600);
    window_->show();
    waitIdle();
  }

  void connect() {
    openWindow();
    ASSERT_TRUE(window_->dispatchCommand(kConnect));
    waitIdle();
    ASSERT_TRUE(window_->connected());
  }

  void waitIdle() { ASSERT_TRUE(QTest::qWaitFor([this] { return window_->idle(); }, kWaitMs)); }

  // A download of a file big enough to be still running when the test acts.
  void startLongDownload() {
    {
      std::ofstream big(server_.servedFolder() / "huge.bin", std::ios::binary);
    }
    fs::resize_file(server_.servedFolder() / "huge.bin", std::uintmax_t{4} << 30);
    window_->dispatchCommand(kRemoteRefresh);
    waitIdle();
    selectEntries(*window_->remotePane(), {"huge.bin"});
    ASSERT_TRUE(window_->dispatchCommand(kDownload));
    // The download lands beside its destination until it is complete.
    ASSERT_TRUE(waitUntilFileHasBytes(local_.path() + "/.huge.bin.part"));
  }

  testing::RealFtpServer server_;
  testing::ScriptedUserInterface userInterface_;
  LogLines lines_;
  std::unique_ptr<MainWindow> window_;
};

TEST_F(MainWindowTest, ConnectListsTheRemoteFolderInItsOrder) {
  connect();
  // The parent first, folders next, then files, by name without regard to case.
  EXPECT_EQ(namesIn(*window_->remotePane()),
            (std::vector<std::string>{"..", "docs", "a-large.bin", "b-small.bin", "readme.txt"}));
  EXPECT_EQ(window_->findChild<QPushButton*>("connect")->text(), "&Close");
  EXPECT_EQ(window_->findChild<ConnectionSecurity*>()->text(), "Not encrypted");
}

TEST_F(MainWindowTest, DoubleClickEntersAFolderAndParentComesBack) {
  connect();
  FilePane& remote = *window_->remotePane();
  emit remote.list()->entryActivated(rowOf(remote, "docs"));
  waitIdle();
  EXPECT_EQ(namesIn(remote), (std::vector<std::string>{"..", "guide.txt"}));
  emit remote.list()->entryActivated(rowOf(remote, ".."));
  waitIdle();
  EXPECT_GE(rowOf(remote, "readme.txt"), 0);
}

TEST_F(MainWindowTest, TransferButtonsMoveAFileEachWay) {
  connect();
  selectEntries(*window_->remotePane(), {"readme.txt"});
  window_->findChild<QPushButton*>("download")->click();
  waitIdle();
  std::ifstream received(local_.path() + "/readme.txt", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(received), {}), "Read me first\r\n");
  ASSERT_GE(rowOf(*window_->localPane(), "readme.txt"), 0) << "the local pane shows the new file";

  write(local_.path() + "/upload.dat", "sent bytes");
  window_->dispatchCommand(kLocalRefresh);
  waitIdle();
  selectEntries(*window_->localPane(), {"upload.dat"});
  window_->findChild<QPushButton*>("upload")->click();
  waitIdle();
  std::ifstream sent(server_.servedFolder() / "upload.dat", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(sent), {}), "sent bytes");
  EXPECT_GE(rowOf(*window_->remotePane(), "upload.dat"), 0) << "the remote pane is listed again";
}

TEST_F(MainWindowTest, LocalEntriesDroppedOnTheRemotePaneAreSent) {
  connect();
  write(local_.path() + "/dragged.txt", "dragged bytes");
  window_->dispatchCommand(kLocalRefresh);
  waitIdle();
  selectEntries(*window_->localPane(), {"dragged.txt"});
  emit window_->remotePane()->dropped(batch::DragSource::kLocalPane,
                                      {local_.path() + "/dragged.txt"}, std::nullopt);
  ASSERT_TRUE(QTest::qWaitFor([this] { return rowOf(*window_->remotePane(), "dragged.txt") >= 0; },
                              kWaitMs));
  std::ifstream sent(server_.servedFolder() / "dragged.txt", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(sent), {}), "dragged bytes");
}

TEST_F(MainWindowTest, CancelStopsALongTransferAndTheWindowStaysUsable) {
  connect();
  startLongDownload();
  const auto pressed = std::chrono::steady_clock::now();
  window_->findChild<QPushButton*>("cancel")->click();
  waitIdle();
  const auto stopped = std::chrono::steady_clock::now() - pressed;
  EXPECT_LT(stopped, std::chrono::seconds(5));
  EXPECT_LT(fs::file_size(local_.path() + "/.huge.bin.part"), std::uintmax_t{4} << 30);
  EXPECT_FALSE(fs::exists(local_.path() + "/huge.bin"));
  EXPECT_TRUE(window_->connected());

  window_->dispatchCommand(kRemoteRefresh);
  waitIdle();
  EXPECT_GE(rowOf(*window_->remotePane(), "readme.txt"), 0);
}

TEST_F(MainWindowTest, HeaderClicksReorderTheRemotePane) {
  connect();
  window_->dispatchCommand(kRemoteHeaderFirst + 3);  // "Size": smallest first
  EXPECT_EQ(namesIn(*window_->remotePane()),
            (std::vector<std::string>{"..", "docs", "b-small.bin", "readme.txt", "a-large.bin"}));
  window_->dispatchCommand(kRemoteHeaderFirst + 3);  // again: largest first
  EXPECT_EQ(namesIn(*window_->remotePane()),
            (std::vector<std::string>{"..", "docs", "a-large.bin", "readme.txt", "b-small.bin"}));
  window_->dispatchCommand(kRemoteHeaderFirst);  // "^": folders mixed with files
  window_->dispatchCommand(kRemoteHeaderFirst);  // folders at the bottom
  EXPECT_EQ(namesIn(*window_->remotePane()).back(), "docs");
}

// The entries of a menu, separators as "-", submenus by their title.
std::vector<std::string> menuTexts(const std::vector<MenuEntry>& entries) {
  std::vector<std::string> texts;
  for (const MenuEntry& entry : entries) {
    texts.push_back(entry.kind == MenuEntry::Kind::kSeparator ? "-" : entry.text);
  }
  return texts;
}

TEST_F(MainWindowTest, ContextMenuFollowsTheSelection) {
  connect();
  FilePane& remote = *window_->remotePane();
  selectEntries(remote, {"readme.txt"});
  EXPECT_EQ(menuTexts(window_->paneMenu(PaneSide::kRemote)),
            (std::vector<std::string>{"Sort...", "-", "Change Folder", "Make Folder...",
                                      "Delete Folder", "-", "Transfer file", "Append file",
                                      "View file", "Edit file", "Execute file", "Rename file...",
                                      "Move files...", "Delete files", "chmod (UNIX)", "-",
                                      "Refresh list", "Folder list", "-", "&FTP Commands"}));
  selectEntries(remote, {"readme.txt", "b-small.bin"});
  EXPECT_EQ(menuTexts(window_->paneMenu(PaneSide::kRemote)),
            (std::vector<std::string>{"Sort...", "-", "Change Folder", "Make Folder...",
                                      "Delete Folder", "-", "Transfer files", "Append files",
                                      "View files", "Rename file...", "Move files...",
                                      "Delete files", "chmod (UNIX)", "-", "Refresh list",
                                      "Folder list", "-", "&FTP Commands"}));
  selectEntries(remote, {"docs"});
  EXPECT_EQ(menuTexts(window_->paneMenu(PaneSide::kRemote)),
            (std::vector<std::string>{"Sort...", "-", "Change Folder", "Make Folder...",
                                      "Delete Folder", "Transfer Folder", "Rename Folder...",
                                      "Move Folder...", "chmod (UNIX)", "-", "Refresh list",
                                      "Folder list", "-", "&FTP Commands"}));
}

TEST(WindowMenu, OffersTheConnectionAndTheFtpCommands) {
  const std::vector<MenuEntry> entries = WindowMenuEntries();
  EXPECT_EQ(menuTexts(entries), (std::vector<std::string>{"FTP Menu", "-", "&Connection",
                                                          "&Options...", "Show Log...", "&Help",
                                                          "About...", "-", "&FTP Commands"}));
  EXPECT_EQ(menuTexts(entries[2].children),
            (std::vector<std::string>{"&Connect", "&Close", "-", "E&xit"}));
  EXPECT_EQ(menuTexts(entries.back().children),
            (std::vector<std::string>{"CWD", "PWD", "HELP", "SYST", "SITE", "QUOTE", "-", "LIST",
                                      "NLST", "-", "RETR", "STOR"}));
}

TEST_F(MainWindowTest, AltCWhileConnectedDisconnects) {
  connect();
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  // The button's mnemonic clicks it after its short press animation.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
  ASSERT_TRUE(QTest::qWaitFor([this] { return !window_->connected(); }, kWaitMs));
  EXPECT_TRUE(lines_.contains("QUIT"));
  EXPECT_TRUE(namesIn(*window_->remotePane()).empty());
  EXPECT_EQ(window_->findChild<QPushButton*>("connect")->text(), "&Connect");
  EXPECT_TRUE(window_->findChild<ConnectionSecurity*>()->text().isEmpty());
}

TEST_F(MainWindowTest, ExitDuringATransferAbortsItAndSendsQuit) {
  connect();
  startLongDownload();
  const auto pressed = std::chrono::steady_clock::now();
  window_->dispatchCommand(kExit);
  EXPECT_LT(std::chrono::steady_clock::now() - pressed, std::chrono::seconds(5));
  EXPECT_FALSE(window_->isVisible());
  EXPECT_TRUE(lines_.contains("! Aborting thread."));
  EXPECT_TRUE(lines_.contains("QUIT"));
}

TEST_F(MainWindowTest, TypedCharacterJumpsToTheNextMatchingEntry) {
  connect();
  FilePane& remote = *window_->remotePane();
  remote.list()->setFocus();
  remote.list()->setCurrentIndex(remote.model()->index(0));
  QTest::keyClick(remote.list(), Qt::Key_B);
  EXPECT_EQ(remote.list()->currentIndex().row(), rowOf(remote, "b-small.bin"));
  QTest::keyClick(remote.list(), Qt::Key_D);  // wraps to the top
  EXPECT_EQ(remote.list()->currentIndex().row(), rowOf(remote, "docs"));
}

TEST(WindowFonts, TheListTextHasRealGlyphs) {
  // Without a usable font every character draws as the same box, and a
  // screenshot would show nothing readable.
  const QRawFont raw = QRawFont::fromFont(QApplication::font());
  ASSERT_TRUE(raw.isValid());
  for (const QChar character : QStringLiteral("NameDatSz0123456789~.")) {
    EXPECT_TRUE(raw.supportsCharacter(character)) << static_cast<int>(character.unicode());
  }
  const auto glyphs = raw.glyphIndexesForString(QStringLiteral("Na"));
  ASSERT_EQ(glyphs.size(), 2);
  EXPECT_NE(glyphs[0], glyphs[1]);
}

}  // namespace
}  // namespace ferrix::shell

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Listing the tests needs no display; running them does.
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  // The windows' transfer log goes to the state folder: one of the run's own.
  const ferrix::testing::ScratchFolder state;
  setenv("XDG_STATE_HOME", state.path().c_str(), 1);
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
