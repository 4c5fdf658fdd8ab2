#include "shell/dialogs/log_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFileDialog>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <string>
#include <thread>

#include "config/scratch_configuration.h"
#include "testing/scratch_folder.h"

namespace ferrix::shell {
namespace {

TEST(LogWindowPlacement, ReadsAsManyNumbersAsCommasAllow) {
  const LogWindowRect previous{1, 2, 3, 4};
  struct Case {
    const char* text;
    LogWindowRect rect;
  };
  const Case cases[] = {
      {"0,0,0,0", {0, 0, 0, 0}},
      {"10,20,300,400", {10, 20, 300, 400}},
      {"", {1, 2, 3, 4}},
      {"10", {1, 2, 3, 4}},
      {"10,20", {10, 2, 3, 4}},
      {"10,20,30", {10, 20, 3, 4}},
      {"5,6,7,8,9", {5, 6, 7, 8}},
      {" 7,x,9y,", {7, 0, 9, 0}},
      {"4294967286,0,10,10", {-10, 0, 10, 10}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(parseLogWindowPlacement(c.text, previous), c.rect) << '"' << c.text << '"';
  }
  EXPECT_EQ(formatLogWindowPlacement({-10, 20, 300, 400}), "4294967286,20,300,400");
}

class LogWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mainWindow_.setGeometry(100, 100, 800, 600);
    mainWindow_.show();
  }

  void makeWindow(const std::string& ini = "") {
    configuration_.writeIni(ini);
    window_ = std::make_unique<LogWindow>(log_, *configuration_, &mainWindow_);
  }

  QPlainTextEdit* text() { return window_->window()->findChild<QPlainTextEdit*>("logText"); }
  QStringList shownLines() { return text()->toPlainText().split('\n'); }
  QAction* menuAction(const char* name) { return window_->window()->findChild<QAction*>(name); }

  testing::ScratchConfiguration configuration_;
  session::MessageLog log_;
  QWidget mainWindow_;
  std::unique_ptr<LogWindow> window_;
};

TEST_F(LogWindowTest, ShowsTheHistoryThenLinesLoggedFromAnotherThread) {
  makeWindow();
  auto logLines = [this](int from, int to) {
    return std::thread([this, from, to] {
      for (int line = from; line < to; ++line) log_.logMessagef("line %d", line);
    });
  };
  // Lines still queued for the GUI thread when the window opens are in the
  // history already.
  logLines(0, 1000).join();
  window_->showLogWindow();
  EXPECT_EQ(shownLines().front(), "line 940");
  // Lines logged while the window opens and fills.
  std::thread writer = logLines(1000, 3000);
  window_->window()->close();
  window_->showLogWindow();
  writer.join();
  ASSERT_TRUE(QTest::qWaitFor([&] { return shownLines().last() == "line 2999"; }));
  const QStringList lines = shownLines();
  const int first = lines.front().mid(5).toInt();
  ASSERT_EQ(lines.size(), 3000 - first);
  for (int index = 0; index < lines.size(); ++index) {
    ASSERT_EQ(lines[index], QString("line %1").arg(first + index));
  }
}

TEST_F(LogWindowTest, ReopenedWindowShowsTheHistoryWithTheLinesLoggedMeanwhile) {
  makeWindow();
  log_.logMessage("first");
  window_->showLogWindow();
  EXPECT_EQ(shownLines(), QStringList{"first"});
  const std::string longLine(300, 'x');
  log_.logMessage(longLine);
  ASSERT_TRUE(QTest::qWaitFor([&] { return shownLines().size() == 2; }));
  EXPECT_EQ(shownLines().last().size(), 300);

  menuAction("closeLog")->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_->window() == nullptr; }));
  log_.logMessage("while closed");
  QCoreApplication::processEvents();
  window_->showLogWindow();
  EXPECT_EQ(shownLines(), (QStringList{"first", QString(118, 'x'), "while closed"}));
}

TEST_F(LogWindowTest, SaveWritesTheHistoryToTheChosenFile) {
  makeWindow();
  for (const char* line : {"one", "two", "three"}) log_.logMessage(line);
  window_->showLogWindow();
  testing::ScratchFolder folder;
  const std::string path = folder / "saved.log";
  auto save = [&] {
    menuAction("saveLog")->trigger();
    auto* chooser = window_->window()->findChild<QFileDialog*>("saveLogChooser");
    EXPECT_NE(chooser, nullptr);
    return chooser;
  };

  QFileDialog* chooser = save();
  ASSERT_NE(chooser, nullptr);
  chooser->selectFile(QString::fromStdString(path));
  static_cast<QDialog*>(chooser)->accept();
  // The entry the next line goes to is written too.
  EXPECT_EQ(folder.read("saved.log"), "one\ntwo\nthree\n\n");

  log_.logMessage("four");
  std::filesystem::remove(path);
  QCoreApplication::processEvents();
  chooser = save();
  ASSERT_NE(chooser, nullptr);
  EXPECT_EQ(chooser->selectedFiles().value(0).toStdString(), path);
  static_cast<QDialog*>(chooser)->accept();
  EXPECT_EQ(folder.read("saved.log"), "one\ntwo\nthree\nfour\n\n");
}

TEST_F(LogWindowTest, OpensWhereSlocSaysAndRecordsMoves) {
  makeWindow("[_config_]\nSLOC=150,160,500,300\n");
  EXPECT_FALSE(window_->placement().has_value());
  window_->showLogWindow();
  QMainWindow* frame = window_->window();
  EXPECT_EQ(frame->size(), QSize(500, 300));
  EXPECT_EQ(window_->placement(), (LogWindowRect{frame->x(), frame->y(), 500, 300}));
  frame->resize(420, 200);
  EXPECT_EQ(window_->placement()->width, 420);
  EXPECT_EQ(window_->placement()->height, 200);
  ASSERT_TRUE(window_->saveWindowLocation());
  EXPECT_EQ(configuration_->logWindowRectangle(), formatLogWindowPlacement(*window_->placement()));
  frame->close();
  EXPECT_FALSE(window_->saveWindowLocation());
}

TEST_F(LogWindowTest, UnplacedWindowOpensBelowTheMainWindowTop) {
  makeWindow();
  window_->showLogWindow();
  const QRect main = mainWindow_.frameGeometry();
  EXPECT_EQ(window_->window()->size(), QSize(main.width(), main.height() / 2));
}

TEST_F(LogWindowTest, DoubleClickInTheTextAsksForTheContextMenu) {
  makeWindow();
  log_.logMessage("line");
  window_->showLogWindow();
  QSignalSpy spy(window_.get(), &LogWindow::contextMenuRequested);
  QTest::mouseDClick(text()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
  ASSERT_EQ(spy.count(), 1);
  EXPECT_EQ(spy.at(0).at(0).toPoint(), text()->viewport()->mapToGlobal(QPoint(5, 5)));
}

}  // namespace
}  // namespace ferrix::shell
