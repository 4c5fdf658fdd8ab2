#include "shell/qt_ui/qt_user_interface.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "shell/qt_ui/qt_ui_test_support.h"
#include "shell/qt_ui/transfer_status_dialog.h"

namespace ferrix::shell {
namespace {

using testing::clickWhenShown;
using testing::shownDialog;
using testing::whenShown;
using Answer = session::UserInterface::Answer;
using Buttons = session::UserInterface::Buttons;
using Icon = session::UserInterface::Icon;
using OverwriteAnswer = session::UserInterface::OverwriteAnswer;
using Display = session::UserInterface::TransferDisplay;

// Runs `work` on a second thread, keeps the GUI thread's events flowing until
// it is done, and joins it.
template <typename Work>
void onEngineThread(Work work) {
  std::atomic<bool> done = false;
  std::thread engine([&] {
    work();
    done = true;
  });
  const bool finished = QTest::qWaitFor([&] { return done.load(); }, 10000);
  engine.join();
  ASSERT_TRUE(finished);
}

QAbstractButton* messageBoxButton(QDialog& dialog, QMessageBox::StandardButton which) {
  return static_cast<QMessageBox&>(dialog).button(which);
}

TEST(QtUserInterface, QuestionFromAnotherThreadReturnsTheAnswerClicked) {
  QtUserInterface ui(nullptr);
  whenShown("messageBox", [](QDialog& box) { messageBoxButton(box, QMessageBox::Yes)->click(); });
  Answer answer = Answer::kCancel;
  onEngineThread([&] {
    answer = ui.messageBox("Resume?", "Corvane FERRIX QX", Buttons::kYesNo, Icon::kQuestion);
  });
  EXPECT_EQ(answer, Answer::kYes);
}

TEST(QtUserInterface, PasswordFromAnotherThreadIsCopiedToTheDestination) {
  QtUserInterface ui(nullptr);
  whenShown("DLG_INPUT_PASSWORD", [](QDialog& dialog) {
    auto* field = dialog.findChild<QLineEdit*>("text");
    EXPECT_EQ(field->echoMode(), QLineEdit::Password);
    field->setText("secret");
    dialog.findChild<QAbstractButton*>("ok")->click();
  });
  std::string password;
  bool confirmed = false;
  onEngineThread([&] { confirmed = ui.passwordBox(password, "Please enter a password:", 80); });
  EXPECT_TRUE(confirmed);
  EXPECT_EQ(password, "secret");
  EXPECT_EQ(ui.lastEnteredText(), "secret");
}

// Exit arrives while the engine's question is open: the window shuts the port
// down and joins the engine from inside the dialog's event loop.
TEST(QtUserInterface, ShutDownReleasesAQuestionWaitingOnItsDialog) {
  QtUserInterface ui(nullptr);
  std::atomic<int> answer = -1;
  std::thread engine(
      [&] { answer = static_cast<int>(ui.AskOverwrite("Newer version exists", "a.txt", 3)); });
  bool joined = false;
  whenShown("DLG_OVERWRITE", [&](QDialog&) {
    ui.shutDown();
    engine.join();
    joined = true;
  });
  ASSERT_TRUE(QTest::qWaitFor([&] { return joined; }, 10000));
  EXPECT_EQ(answer, static_cast<int>(OverwriteAnswer::kNo));
  EXPECT_EQ(shownDialog("DLG_OVERWRITE"), nullptr);
}

// The GUI thread joins the engine without serving its events: the question
// the engine queued is never shown, and the engine still gets its answer.
TEST(QtUserInterface, ShutDownReleasesAQuestionTheGuiThreadNeverServed) {
  QtUserInterface ui(nullptr);
  std::atomic<bool> asking = false;
  std::optional<unsigned> permissions = 755;
  std::thread engine([&] {
    asking = true;
    permissions = ui.askPermissions(644, 720);
  });
  while (!asking) std::this_thread::yield();
  ui.shutDown();
  engine.join();
  EXPECT_EQ(permissions, std::nullopt);
  QCoreApplication::processEvents();
  EXPECT_EQ(shownDialog("DLG_CHMOD"), nullptr);
}

TEST(QtUserInterface, AfterShutDownQuestionsAnswerAtOnce) {
  QtUserInterface ui(nullptr);
  ui.shutDown();
  std::string text = "kept";
  EXPECT_FALSE(ui.inputBox(&text, "Enter remote folder name:", 180));
  EXPECT_EQ(text, "kept");
  EXPECT_EQ(ui.messageBox("?", "", Buttons::kYesNoCancel, Icon::kQuestion), Answer::kCancel);
  EXPECT_EQ(ui.messageBox("!", "", Buttons::kOk, Icon::kError), Answer::kOk);
  EXPECT_EQ(ui.askDelete("Are you sure you want to delete \"a.txt\"?", 2),
            session::UserInterface::DeleteAnswer::kCancel);
  std::string folder = "/pub";
  EXPECT_FALSE(ui.askFolderChoice(folder, "Enter remote folder name:", 180, {"/"}));
  EXPECT_EQ(folder, "/pub");
}

TEST(QtUserInterface, EffectsFromAnotherThreadArriveAsSignalsInOrder) {
  QtUserInterface ui(nullptr);
  QSignalSpy titles(&ui, &QtUserInterface::windowTitleChanged);
  QSignalSpy buttons(&ui, &QtUserInterface::remoteCommandsEnabled);
  QSignalSpy lines(&ui, &QtUserInterface::statusLineProgress);
  onEngineThread([&] {
    ui.setWindowTitle("Corvane FERRIX QX - host");
    ui.enableRemoteCommands(true, false, true);
    ui.openTransferStatus(Display::kReceiveStatusLine, "150 Opening");
    for (int i = 1; i <= 100; ++i) ui.showTransferProgress(std::to_string(i), std::nullopt);
    ui.closeTransferStatus();
    ui.showTransferProgress("after close", std::nullopt);
  });
  ASSERT_TRUE(QTest::qWaitFor([&] { return lines.size() == 100; }, 10000));
  ASSERT_EQ(titles.size(), 1);
  EXPECT_EQ(titles[0][0].toString(), "Corvane FERRIX QX - host");
  ASSERT_EQ(buttons.size(), 1);
  EXPECT_EQ(buttons[0], (QList<QVariant>{true, false, true}));
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(lines[i][0].toInt(), QtUserInterface::kReceiveStatusLine);
    EXPECT_EQ(lines[i][1].toString(), QString::number(i + 1));
  }
}

TEST(QtUserInterface, DialogProgressFromAnotherThreadEndsWithTheLastUpdate) {
  QtUserInterface ui(nullptr);
  std::vector<QString> seen;
  onEngineThread([&] {
    ui.openTransferStatus(Display::kDialog, "150 Opening BINARY mode (1000 bytes)");
    for (unsigned i = 1; i <= 100; ++i) ui.showTransferProgress(std::to_string(i * 10), i);
  });
  QCoreApplication::processEvents();
  TransferStatusDialog* dialog = ui.transferStatusDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->progressText(), "1000");
  onEngineThread([&] { ui.closeTransferStatus(); });
  EXPECT_TRUE(QTest::qWaitFor([&] { return ui.transferStatusDialog() == nullptr; }, 10000));
}

}  // namespace
}  // namespace ferrix::shell
