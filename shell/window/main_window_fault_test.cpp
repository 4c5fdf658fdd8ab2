// The main window wired as the program wires it (the real site dialog, the
// Qt port's dialogs) against servers that misbehave: one that dies while a
// listing or a download runs, one that never connects back in active mode,
// one that never answers QUIT; and Exit while the engine's question is open.
// Dialogs are answered from a timer, as a person would click them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "config/scratch_configuration.h"
#include "config/site_editor.h"
#include "config/site_profile_store.h"
#include "listing/host_detection.h"
#include "platform/clock.h"
#include "platform/tcp_socket.h"
#include "session/connection.h"
#include "session/message_log.h"
#include "shell/dialogs/site_dialog.h"
#include "shell/qt_ui/qt_user_interface.h"
#include "shell/window/file_pane.h"
#include "shell/window/main_window.h"
#include "shell/window/pane_list_model.h"
#include "shell/window/quick_connect_bar.h"
#include "shell/window/window_commands.h"
#include "shell/window/window_test_support.h"
#include "testing/real_ftp_servers.h"
#include "testing/scratch_folder.h"
#include "testing/scripted_ftp_server.h"

namespace ferrix::shell {
namespace {

namespace fs = std::filesystem;
using namespace command;
using namespace std::chrono_literals;
using namespace test_support;

// Runs `answer` on the first modal dialog named `name` that opens within the
// wait; the dialog's exec() is running when it does. The poll goes with
// `owner`, so that no test answers the next one's dialogs.
void answerDialogWhenShown(QObject& owner, const char* name,
                           std::function<void(QDialog&)> answer) {
  auto* poll = new QTimer(&owner);
  auto started = std::make_shared<std::chrono::steady_clock::time_point>(
      std::chrono::steady_clock::now());
  QObject::connect(poll, &QTimer::timeout, [poll, name, answer, started] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog && dialog->objectName() == name && dialog->isVisible()) {
      poll->deleteLater();
      answer(*dialog);
    } else if (std::chrono::steady_clock::now() - *started > std::chrono::milliseconds(kWaitMs)) {
      poll->deleteLater();
    }
  });
  poll->start(20);
}

class MainWindowFaultTest : public WindowTestBase {
 protected:
  MainWindowFaultTest() : userInterface_(nullptr) {
    configuration_.writeIni("[_config_]\nAUTOSTART=0\nHASH=0\n");
    configuration_->LoadProgramSettings();
    sites_.loadSessionProfile(session_.state.sessionProfile);
    session_.onGreetingLine = listing::CheckReplyForHostType;
    log_.addObserver(&lines_);
  }
  ~MainWindowFaultTest() override {
    window_.reset();
    log_.removeObserver(&lines_);
  }

  // The window with the hooks the program gives it: the real site dialog and
  // the Qt port.
  void openWindow() {
    WindowHooks hooks;
    hooks.chooseSite = [this](QWidget* parent) {
      config::SiteEditor editor(*configuration_, sites_, session_.state.sessionProfile);
      SiteDialog dialog(editor, parent);
      return dialog.exec() == QDialog::Accepted;
    };
    hooks.shutDownQuestions = [this] { userInterface_.shutDown(); };
    window_ = std::make_unique<MainWindow>(
        WindowServices{*configuration_, sites_, session_, userInterface_}, std::move(hooks));
    userInterface_.setDialogParent(window_.get());
    QObject::connect(&userInterface_, &QtUserInterface::windowTitleChanged, window_.get(),
                     &MainWindow::setTitle);
    QObject::connect(&userInterface_, &QtUserInterface::remoteCommandsEnabled, window_.get(),
                     &MainWindow::enableRemoteCommands);
    userInterface_.setCancelHandler([this] { session::requestCancel(session_); });
    window_->setLocalFolder(local_.path());
    window_->resize(900, 600);
    window_->show();
    waitIdle();
  }

  // Connect, filling the site dialog as a person would and pressing OK.
  void connectThroughSiteDialog(std::uint16_t port, const testing::FtpLogin& login,
                                int command = kConnect) {
    fillSiteDialogWhenShown(port, login, true);
    ASSERT_TRUE(window_->dispatchCommand(command));
    waitIdle();
  }

  void fillSiteDialogWhenShown(std::uint16_t port, const testing::FtpLogin& login, bool passive) {
    answerDialogWhenShown(dialogAnswers_, "siteDialog", [port, login, passive](QDialog& dialog) {
      auto* name = dialog.findChild<QComboBox*>("profileName");
      name->setEditText("loopback");
      emit name->lineEdit()->editingFinished();
      dialog.findChild<QLineEdit*>("hostName")->setText("127.0.0.1");
      dialog.findChild<QLineEdit*>("userId")->setText(QString::fromStdString(login.user));
      dialog.findChild<QLineEdit*>("password")->setText(QString::fromStdString(login.password));
      // These servers speak plain FTP; a new site would require TLS.
      dialog.findChild<QComboBox*>("encryption")->setCurrentIndex(config::SiteProfile::kTlsOff);
      dialog.findChild<QLineEdit*>("port")->setText(QString::number(port));
      // Passive is on the Advanced page, which takes its entries once shown.
      dialog.findChild<QTabWidget*>("sitePages")->setCurrentIndex(2);
      dialog.findChild<QCheckBox*>("passive")->setChecked(passive);
      dialog.findChild<QDialogButtonBox*>("siteButtons")->button(QDialogButtonBox::Ok)->click();
    });
  }

  void waitIdle() { ASSERT_TRUE(QTest::qWaitFor([this] { return window_->idle(); }, kWaitMs)); }

  QString connectCaption() const { return window_->findChild<QPushButton*>("connect")->text(); }

  QtUserInterface userInterface_;
  LogLines lines_;
  QObject dialogAnswers_;
  std::unique_ptr<MainWindow> window_;
};

class RealServerFaultTest : public MainWindowFaultTest {
 protected:
  RealServerFaultTest() : server_(testing::FtpServerKind::kPyftpdlib) {
    write(server_.servedFolder() / "readme.txt", "Read me first\r\n");
    write(server_.servedFolder() / "notes.txt", "Some notes\r\n");
  }

  void connect() {
    ASSERT_EQ(server_.startError(), "");
    openWindow();
    connectThroughSiteDialog(server_.port(), server_.login());
    ASSERT_TRUE(window_->connected()) << lines_.all();
  }

  testing::RealFtpServer server_;
};

TEST_F(RealServerFaultTest, SiteDialogConnectsAndTheRemoteFolderShows) {
  connect();
  EXPECT_GE(rowOf(*window_->remotePane(), "readme.txt"), 0);
  EXPECT_GE(rowOf(*window_->remotePane(), "notes.txt"), 0);
  EXPECT_EQ(connectCaption(), "&Close");
  EXPECT_EQ(session_.state.sessionProfile.port, server_.port());
}

TEST_F(RealServerFaultTest, DeleteAskedYesRemovesTheFileAndNoKeepsIt) {
  connect();
  FilePane& remote = *window_->remotePane();

  selectEntries(remote, {"notes.txt"});
  answerDialogWhenShown(dialogAnswers_, "DLG_DELETE", [](QDialog& dialog) {
    dialog.findChild<QPushButton*>("no")->click();
  });
  ASSERT_TRUE(window_->dispatchCommand(kRemoteDelete));
  waitIdle();
  EXPECT_TRUE(fs::exists(server_.servedFolder() / "notes.txt"));
  EXPECT_GE(rowOf(remote, "notes.txt"), 0);

  selectEntries(remote, {"notes.txt"});
  answerDialogWhenShown(dialogAnswers_, "DLG_DELETE", [](QDialog& dialog) {
    dialog.findChild<QPushButton*>("yes")->click();
  });
  ASSERT_TRUE(window_->dispatchCommand(kRemoteDelete));
  waitIdle();
  EXPECT_FALSE(fs::exists(server_.servedFolder() / "notes.txt"));
  EXPECT_LT(rowOf(remote, "notes.txt"), 0);
  EXPECT_GE(rowOf(remote, "readme.txt"), 0);
}

// The engine waits on the open delete question when Exit arrives (from the
// window manager or the session ending): the question is released as No, the
// file stays and the session ends with QUIT.
TEST_F(RealServerFaultTest, ExitWhileTheDeleteQuestionIsOpenEndsTheSession) {
  connect();
  selectEntries(*window_->remotePane(), {"notes.txt"});
  bool exited = false;
  answerDialogWhenShown(dialogAnswers_, "DLG_DELETE", [this, &exited](QDialog&) {
    const auto pressed = std::chrono::steady_clock::now();
    window_->dispatchCommand(kExit);
    EXPECT_LT(std::chrono::steady_clock::now() - pressed, 1s);
    exited = true;
  });
  ASSERT_TRUE(window_->dispatchCommand(kRemoteDelete));
  ASSERT_TRUE(QTest::qWaitFor([&exited] { return exited; }, kWaitMs));
  EXPECT_FALSE(window_->isVisible());
  EXPECT_TRUE(fs::exists(server_.servedFolder() / "notes.txt"));
  EXPECT_TRUE(lines_.contains("QUIT")) << lines_.all();
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// vsftpd serves each connection in processes of its own, which the test can
// kill while a download runs, as if the server had crashed.
class ServerDyingMidTransferTest : public MainWindowFaultTest {
 protected:
  ServerDyingMidTransferTest() : server_(testing::FtpServerKind::kVsftpd) {}

  testing::RealFtpServer server_;
};

TEST_F(ServerDyingMidTransferTest, TheWindowDisconnectsAndConnectsAgain) {
  ASSERT_EQ(server_.startError(), "");
  const fs::path huge = server_.servedFolder() / "huge.bin";
  { std::ofstream(huge, std::ios::binary); }
  fs::resize_file(huge, std::uintmax_t{4} << 30);
  openWindow();
  connectThroughSiteDialog(server_.port(), server_.login());
  ASSERT_TRUE(window_->connected()) << lines_.all();

  selectEntries(*window_->remotePane(), {"huge.bin"});
  ASSERT_TRUE(window_->dispatchCommand(kDownload));
  const fs::path partial = local_.path() + "/.huge.bin.part";
  ASSERT_TRUE(waitUntilFileHasBytes(partial));
  server_.endSessions();
  waitIdle();

  EXPECT_LT(fs::file_size(partial), std::uintmax_t{4} << 30);
  EXPECT_TRUE(lines_.contains("! The server did not confirm huge.bin: it may be incomplete"))
      << lines_.all();
  EXPECT_TRUE(lines_.contains("! Connection closed by the server")) << lines_.all();
  EXPECT_EQ(connectCaption(), "&Connect") << lines_.all();
  EXPECT_FALSE(window_->connected());

  // The broken-off file kept its resume record: the new logon offers it.
  bool resumeOffered = false;
  answerDialogWhenShown(dialogAnswers_, "messageBox", [&resumeOffered](QDialog& dialog) {
    resumeOffered = true;
    auto& box = static_cast<QMessageBox&>(dialog);
    box.button(QMessageBox::No)->click();
  });
  connectThroughSiteDialog(server_.port(), server_.login());
  EXPECT_TRUE(window_->connected()) << lines_.all();
  EXPECT_TRUE(resumeOffered);
  EXPECT_GE(rowOf(*window_->remotePane(), "huge.bin"), 0);
}

// A server that logs the user on and then does what the test scripts.
class ScriptedServerFaultTest : public MainWindowFaultTest {
 protected:
  void scriptLogon() {
    server_.reply("220 scripted ready")
        .expectLineStartingWith("USER")
        .reply("331 password please")
        .expectLineStartingWith("PASS")
        .reply("230 logged on")
        .expectLine("FEAT")
        .reply("500 unknown");
  }

  void connect(int command) {
    server_.start();
    openWindow();
    connectThroughSiteDialog(server_.port(), {"ann", "secret"}, command);
  }

  testing::ScriptedFtpServer server_;
};

TEST_F(ScriptedServerFaultTest, ServerDyingMidListingLeavesTheWindowUsable) {
  scriptLogon();
  const std::uint16_t dataPort = server_.openPassiveDataListener();
  server_.expectLine("PWD")
      .reply("257 \"/\" is the current folder")
      .expectLine("SYST")
      .reply("215 UNIX Type: L8")
      .expectLine("PASV")
      .reply(testing::passiveReply(dataPort))
      .acceptData()
      .expectLine("LIST")
      .reply("150 listing follows")
      .sendData("-rw-r--r-- 1 ann staff 10 Jan 01 2026 partial.txt\r\n")
      .resetConnection()
      .closeData();
  connect(kConnect);
  EXPECT_TRUE(server_.waitUntilDone(5s));
  EXPECT_EQ(server_.failures(), std::vector<std::string>{}) << lines_.all();
  EXPECT_EQ(connectCaption(), "&Connect") << lines_.all();
  EXPECT_FALSE(window_->connected());

  // Still usable: the local side answers.
  write(local_.path() + "/after.txt", "x");
  ASSERT_TRUE(window_->dispatchCommand(kLocalRefresh));
  waitIdle();
  EXPECT_GE(rowOf(*window_->localPane(), "after.txt"), 0);
}

TEST_F(ScriptedServerFaultTest, CancelStopsTheWaitForAnActiveDataConnection) {
  scriptLogon();
  server_.expectLine("PWD")
      .reply("257 \"/\" is the current folder")
      .expectLine("SYST")
      .reply("215 UNIX Type: L8")
      .expectLineStartingWith("PORT 127,0,0,1,")
      .reply("200 PORT command successful")
      .expectLine("LIST")
      .reply("150 Opening data connection")
      .expectLine("QUIT")
      .reply("221 Goodbye");
  server_.start();
  openWindow();
  fillSiteDialogWhenShown(server_.port(), {"ann", "secret"}, false);
  ASSERT_TRUE(window_->dispatchCommand(kConnect));
  // The server never connects back: the window waits in accept.
  ASSERT_TRUE(QTest::qWaitFor([this] { return lines_.contains("150 Opening data connection"); },
                              kWaitMs));
  EXPECT_FALSE(window_->idle());

  const auto pressed = std::chrono::steady_clock::now();
  window_->findChild<QPushButton*>("cancel")->click();
  EXPECT_LT(std::chrono::steady_clock::now() - pressed, 200ms);
  ASSERT_TRUE(QTest::qWaitFor([this] { return window_->idle(); }, 2000)) << lines_.all();

  // Still usable: the local side answers, and Close ends the session.
  write(local_.path() + "/after.txt", "x");
  ASSERT_TRUE(window_->dispatchCommand(kLocalRefresh));
  waitIdle();
  EXPECT_GE(rowOf(*window_->localPane(), "after.txt"), 0);
  ASSERT_TRUE(window_->connected());
  ASSERT_TRUE(window_->dispatchCommand(kConnect));
  waitIdle();
  EXPECT_EQ(connectCaption(), "&Connect") << lines_.all();
  EXPECT_TRUE(server_.waitUntilDone(5s));
  EXPECT_EQ(server_.failures(), std::vector<std::string>{});
}

TEST_F(ScriptedServerFaultTest, WhileTheServerIsSilentTheRemoteButtonsRestAndCancelStaysReady) {
  scriptLogon();
  server_.expectLine("PWD").neverAnswer();
  connect(kMenuConnect);
  ASSERT_TRUE(window_->connected()) << lines_.all();
  auto button = [this](int id) { return window_->findChild<QPushButton*>(ControlObjectName(id)); };
  EXPECT_TRUE(button(kRemoteRefresh)->isEnabled());
  EXPECT_FALSE(window_->quickConnectBar()->busyShown());

  ASSERT_TRUE(window_->dispatchCommand(kMenuPwd));
  ASSERT_TRUE(QTest::qWaitFor([this] { return window_->quickConnectBar()->busyShown(); }, kWaitMs));
  for (const int id : {kRemoteRefresh, kRemoteChangeFolder, kRemoteDirInfo, kDownload, kUpload}) {
    EXPECT_FALSE(button(id)->isEnabled()) << id;
  }
  EXPECT_TRUE(button(kCancel)->isEnabled());
  EXPECT_TRUE(button(kLocalRefresh)->isEnabled());

  button(kCancel)->click();
  waitIdle();
  EXPECT_FALSE(window_->quickConnectBar()->busyShown());
}

TEST_F(ScriptedServerFaultTest, ARefusedLogonSaysWhyInAMessageBox) {
  server_.reply("220 scripted ready")
      .expectLineStartingWith("USER")
      .reply("331 password please")
      .expectLineStartingWith("PASS")
      .reply("530 Login incorrect.");
  std::string shown;
  answerDialogWhenShown(dialogAnswers_, "messageBox", [&shown](QDialog& dialog) {
    auto& box = static_cast<QMessageBox&>(dialog);
    shown = box.text().toStdString();
    box.button(QMessageBox::Ok)->click();
  });
  connect(kConnect);
  EXPECT_FALSE(window_->connected());
  EXPECT_EQ(shown, "Could not connect to 127.0.0.1:" + std::to_string(server_.port()) +
                       ".\n\n530 Login incorrect.\nLogon failure, so quitting")
      << lines_.all();
}

TEST_F(ScriptedServerFaultTest, ExitIsPromptWhenQuitIsNeverAnswered) {
  scriptLogon();
  server_.expectLine("QUIT").neverAnswer();
  connect(kMenuConnect);
  ASSERT_TRUE(window_->connected()) << lines_.all();

  const auto pressed = std::chrono::steady_clock::now();
  ASSERT_TRUE(window_->dispatchCommand(kExit));
  EXPECT_LT(std::chrono::steady_clock::now() - pressed, 200ms);
  EXPECT_FALSE(window_->isVisible());
  EXPECT_TRUE(lines_.contains("QUIT"));
  EXPECT_EQ(server_.failures(), std::vector<std::string>{});
}

}  // namespace
}  // namespace ferrix::shell

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  // The windows' transfer log goes to the state folder: one of the run's own.
  const ferrix::testing::ScratchFolder state;
  setenv("XDG_STATE_HOME", state.path().c_str(), 1);
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
