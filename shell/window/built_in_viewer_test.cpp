// View and DirInfo on a machine whose viewer cannot be started show the text
// in the program's own viewer window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <memory>

#include "shell/window/main_window.h"
#include "shell/window/window_commands.h"
#include "shell/window/window_test_support.h"
#include "testing/scripted_user_interface.h"

namespace ferrix::shell {
namespace {

using namespace test_support;

class BuiltInViewerTest : public WindowTestBase {
 protected:
  ~BuiltInViewerTest() override { window_.reset(); }

  QPlainTextEdit* viewerText() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->objectName() == QStringLiteral("textViewer") && widget->isVisible()) {
        return widget->findChild<QPlainTextEdit*>(QStringLiteral("textViewerText"));
      }
    }
    return nullptr;
  }

  testing::ScriptedUserInterface userInterface_;
  std::unique_ptr<MainWindow> window_;
};

TEST_F(BuiltInViewerTest, ViewAndDirInfoShowTheTextWhenNoViewerStarts) {
  configuration_.writeIni("[_config_]\nAUTOSTART=0\nVIEWER=/nonexistent/ferrix-viewer\n");
  configuration_->LoadProgramSettings();
  write(local_.path() + "/notes.txt", "first line\nsecond line\n");
  window_ = std::make_unique<MainWindow>(
      WindowServices{*configuration_, sites_, session_, userInterface_}, WindowHooks{});
  window_->setLocalFolder(local_.path());
  window_->show();
  ASSERT_TRUE(QTest::qWaitFor([this] { return window_->idle(); }, kWaitMs));

  selectEntries(*window_->localPane(), {"notes.txt"});
  ASSERT_TRUE(window_->dispatchCommand(command::kLocalView));
  ASSERT_TRUE(QTest::qWaitFor([this] { return viewerText() != nullptr; }, kWaitMs));
  EXPECT_EQ(viewerText()->toPlainText(), QStringLiteral("first line\nsecond line\n"));
  EXPECT_EQ(viewerText()->window()->windowTitle(), QStringLiteral("notes.txt"));
  viewerText()->window()->close();
  QApplication::processEvents();

  ASSERT_TRUE(window_->dispatchCommand(command::kLocalDirInfo));
  ASSERT_TRUE(QTest::qWaitFor([this] { return viewerText() != nullptr; }, kWaitMs));
  EXPECT_TRUE(viewerText()->toPlainText().contains(QStringLiteral("notes.txt")));
}

}  // namespace
}  // namespace ferrix::shell
