// The options sheet opened over a live main window: what OK and the buttons
// that act at once change in the window (sort order, list font, layout) and
// what "Save Window Locations" writes.
#include "shell/window/window_options.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSplitter>
#include <QSplitterHandle>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include "config/scratch_configuration.h"
#include "config/site_profile_store.h"
#include "platform/clock.h"
#include "platform/tcp_socket.h"
#include "session/message_log.h"
#include "shell/dialogs/log_window.h"
#include "shell/options/options_sheet.h"
#include "shell/options/options_test_support.h"
#include "shell/window/file_pane.h"
#include "shell/window/main_window.h"
#include "shell/window/pane_list_model.h"
#include "shell/window/status_lines.h"
#include "shell/window/window_commands.h"
#include "shell/window/window_placement.h"
#include "shell/window/window_test_support.h"
#include "testing/scratch_folder.h"
#include "testing/scripted_user_interface.h"

namespace ferrix::shell {
namespace {

namespace fs = std::filesystem;
using namespace test_support;

constexpr int kSortPage = 4;
constexpr int kDisplayPage = 2;
constexpr int kGeneralPage = 0;

// Where the window opens without LOC, on the primary screen.
QRect defaultGeometry() {
  const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
  const WindowPlacement placement =
      DefaultPlacement({desktop.left(), desktop.top(), desktop.width(), desktop.height()});
  return {placement.left, placement.top, placement.width, placement.height};
}

// The value of `key` in the [_config_] section, if written.
std::optional<std::string> configValue(const std::string& ini, const std::string& key) {
  const std::size_t section = ini.find("[_config_]");
  if (section == std::string::npos) return std::nullopt;
  const std::size_t end = ini.find("\n[", section + 1);
  const std::string body = ini.substr(section, end == std::string::npos ? end : end - section);
  const std::size_t at = body.find("\n" + key + "=");
  if (at == std::string::npos) return std::nullopt;
  const std::size_t start = at + key.size() + 2;
  return body.substr(start, body.find('\n', start) - start);
}

class WindowOptionsTest : public WindowTestBase {
 protected:
  WindowOptionsTest() {
    const std::pair<const char*, int> files[] = {{"a.txt", 300}, {"b.txt", 10}, {"c.txt", 100}};
    for (const auto& [name, size] : files) {
      std::ofstream(fs::path(local_.path()) / name, std::ios::binary) << std::string(size, 'x');
    }
    openWindow("FONT=3\nFNAME=Ferrix Test Face\nFHEIGHT=-19\n");
  }
  ~WindowOptionsTest() override {
    sheet_.reset();
    logWindow_.reset();
    window_.reset();
  }

  // A new window over the settings of `config` in [_config_].
  void openWindow(const std::string& config) {
    window_.reset();
    configuration_.writeIni("[_config_]\nAUTOSTART=0\n" + config);
    configuration_->LoadProgramSettings();
    window_ = std::make_unique<MainWindow>(
        WindowServices{*configuration_, sites_, session_, userInterface_}, WindowHooks{});
    window_->setLocalFolder(local_.path());
    window_->setGeometry(40, 50, 900, 600);
    window_->show();
    EXPECT_TRUE(QTest::qWaitFor([this] { return window_->idle(); }, kWaitMs));
  }

  QWidget* openPage(int index) {
    if (!sheet_) {
      sheet_.emplace(MakeOptionsContext({*configuration_, session_, *window_,
                                         [this] { return logWindow_.get(); }}),
                     window_.get());
      sheet_->show();
    }
    sheet_->tabs()->setCurrentIndex(index);
    return sheet_->tabs()->widget(index);
  }
  void pressOk() { sheet_->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click(); }

  std::vector<std::string> localFiles() const {
    std::vector<std::string> names;
    for (const listing::PaneItem& item : window_->localPane()->model()->items()) {
      if (std::string(item.name()).ends_with(".txt")) names.emplace_back(item.name());
    }
    return names;
  }

  testing::ScriptedUserInterface userInterface_;
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<LogWindow> logWindow_;
  std::optional<OptionsSheet> sheet_;
};

TEST_F(WindowOptionsTest, OkAfterASortChangeReordersThePane) {
  ASSERT_EQ(localFiles(), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
  byText<QRadioButton>(openPage(kSortPage), "Sort on Size")->click();  // the local group
  pressOk();
  EXPECT_EQ(localFiles(), (std::vector<std::string>{"b.txt", "c.txt", "a.txt"}));
  // The engine's copy follows: a new listing keeps the order.
  window_->setLocalFolder(local_.path());
  ASSERT_TRUE(QTest::qWaitFor([this] { return window_->idle(); }, kWaitMs));
  EXPECT_EQ(localFiles(), (std::vector<std::string>{"b.txt", "c.txt", "a.txt"}));
}

TEST_F(WindowOptionsTest, TheCustomFontReachesBothPanesAtOnce) {
  FilePane* panes[] = {window_->localPane(), window_->remotePane()};
  for (FilePane* pane : panes) ASSERT_NE(pane->list()->font().family(), "Ferrix Test Face");
  QWidget* page = openPage(kDisplayPage);
  // The font chooser is cancelled: the custom font is chosen all the same.
  QTimer::singleShot(0, [] {
    QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
    auto* chooser = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(chooser, nullptr);
    chooser->reject();
  });
  byText<QRadioButton>(page, "Custom Font")->click();
  for (FilePane* pane : panes) {
    for (QWidget* control : {static_cast<QWidget*>(pane->list()), static_cast<QWidget*>(pane->maskBox()),
                             static_cast<QWidget*>(pane->folderBox())}) {
      EXPECT_EQ(control->font().family(), "Ferrix Test Face") << control->objectName().toStdString();
      EXPECT_EQ(control->font().pixelSize(), 19) << control->objectName().toStdString();
    }
  }
}

TEST_F(WindowOptionsTest, OkWithAnotherFontReplacesTheCustomFontOfTheStart) {
  openWindow("FONT=4\nFNAME=Ferrix Test Face\nFHEIGHT=-19\n");
  ASSERT_EQ(window_->remotePane()->list()->font().family(), "Ferrix Test Face");
  byText<QRadioButton>(openPage(kDisplayPage), "ANSI Fixed")->click();
  pressOk();
  EXPECT_EQ(configValue(configuration_.readIni(), "FONT"), "3");
  for (FilePane* pane : {window_->localPane(), window_->remotePane()}) {
    EXPECT_NE(pane->list()->font().family(), "Ferrix Test Face");
    EXPECT_EQ(pane->maskBox()->font(), pane->list()->font());
  }
}

TEST_F(WindowOptionsTest, OkWithLayoutChangesRearrangesTheWindow) {
  QWidget* page = openPage(kDisplayPage);
  byText<QCheckBox>(page, "Alter&nate Screen Layout")->click();
  byText<QCheckBox>(page, "Hide Command Buttons ")->click();
  pressOk();
  QApplication::processEvents();
  EXPECT_EQ(window_->findChild<QSplitter*>("paneSplitter"), nullptr);
  EXPECT_FALSE(window_->findChild<QPushButton*>("options")->isVisible());
  EXPECT_FALSE(window_->localPane()->button(command::kLocalRefresh)->isVisible());
  EXPECT_EQ(window_->findChild<QPushButton*>("download")->text(), "Transfer");
  EXPECT_TRUE(window_->localPane()->isVisible());
  EXPECT_TRUE(window_->statusLines()->isVisible());

  // And back: the splitters, the buttons and their captions return.
  sheet_.reset();
  page = openPage(kDisplayPage);
  byText<QCheckBox>(page, "Alter&nate Screen Layout")->click();
  byText<QCheckBox>(page, "Hide Command Buttons ")->click();
  pressOk();
  QApplication::processEvents();
  EXPECT_NE(window_->findChild<QSplitter*>("paneSplitter"), nullptr);
  EXPECT_TRUE(window_->findChild<QPushButton*>("options")->isVisible());
  EXPECT_TRUE(window_->localPane()->button(command::kLocalRefresh)->isVisible());
  EXPECT_NE(window_->findChild<QPushButton*>("download")->text(), "Transfer");
  EXPECT_TRUE(window_->remotePane()->isVisible());
}

// The middle of the gap between the panes, from the window's left edge.
int paneBoundary(const MainWindow& window) {
  const int localEnd =
      window.localPane()->mapTo(&window, QPoint(0, 0)).x() + window.localPane()->width();
  const int remoteStart = window.remotePane()->mapTo(&window, QPoint(0, 0)).x();
  return (localEnd + remoteStart) / 2;
}

TEST_F(WindowOptionsTest, ThePaneBoundaryKeepsItsShareOfTheWidthAndListsStartEqual) {
  const auto listWidth = [](const FilePane* pane) { return pane->list()->width(); };
  EXPECT_NEAR(listWidth(window_->localPane()), listWidth(window_->remotePane()), 2);
  EXPECT_NEAR(paneBoundary(*window_), 450, 2);

  QSplitter* splitter = window_->findChild<QSplitter*>("paneSplitter");
  QSplitterHandle* handle = splitter->handle(1);
  const QPoint grip(handle->width() / 2, handle->height() / 2);
  QTest::mousePress(handle, Qt::LeftButton, {}, grip);
  QTest::mouseMove(handle, grip - QPoint(150, 0));
  QTest::mouseRelease(handle, Qt::LeftButton, {}, grip - QPoint(150, 0));
  EXPECT_NEAR(paneBoundary(*window_), 300, 2);

  window_->resize(1200, 600);
  EXPECT_TRUE(QTest::qWaitFor([this] { return std::abs(paneBoundary(*window_) - 400) <= 2; }))
      << paneBoundary(*window_);
}

struct LocationCase {
  const char* label;
  bool logWindowOpen;
};

class SaveWindowLocations : public WindowOptionsTest,
                            public ::testing::WithParamInterface<LocationCase> {};

TEST_P(SaveWindowLocations, WritesLocAndSlocOnlyForAnOpenLogWindow) {
  if (GetParam().logWindowOpen) {
    logWindow_ = std::make_unique<LogWindow>(log_, *configuration_, window_.get());
    logWindow_->showLogWindow();
    logWindow_->window()->setGeometry(70, 80, 500, 300);
  }
  byText<QPushButton>(openPage(kGeneralPage), "&Save Window Locations")->click();
  sheet_->reject();
  const std::string ini = configuration_.readIni();
  const std::optional<std::string> loc = configValue(ini, "LOC");
  ASSERT_TRUE(loc) << ini;
  EXPECT_TRUE(loc->starts_with("40,50,900,600,")) << *loc;
  const std::string boundary = std::to_string(paneBoundary(*window_));
  EXPECT_TRUE(loc->find("," + boundary + ",", 13) != std::string::npos) << *loc;
  // The panes are in the fitting layout, the default, which keeps no stops.
  EXPECT_EQ(configValue(ini, "LOCL"), std::nullopt) << ini;
  if (GetParam().logWindowOpen) {
    const std::optional<LogWindowRect> rect = logWindow_->placement();
    ASSERT_TRUE(rect);
    EXPECT_EQ(rect->width, 500);
    EXPECT_EQ(configValue(ini, "SLOC"), std::to_string(rect->left) + "," + std::to_string(rect->top) +
                                            ",500," + std::to_string(rect->height))
        << ini;
  } else {
    EXPECT_EQ(configValue(ini, "SLOC"), std::nullopt) << ini;
  }
}

INSTANTIATE_TEST_SUITE_P(LogWindow, SaveWindowLocations,
                         ::testing::Values(LocationCase{"Closed", false}, LocationCase{"Open", true}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(WindowOptionsTest, ResetWindowLocationsDeletesTheKeysAndMovesTheWindow) {
  configuration_.writeIni("[_config_]\nLOC=1,2,3,4,5,6\nLOCL=1,2,3,4\n");
  byText<QPushButton>(openPage(kGeneralPage), "&Reset Window Locations")->click();
  sheet_->reject();
  const std::string ini = configuration_.readIni();
  EXPECT_EQ(configValue(ini, "LOC"), std::nullopt) << ini;
  EXPECT_EQ(configValue(ini, "LOCL"), std::nullopt) << ini;
  EXPECT_EQ(window_->geometry(), defaultGeometry());
}

TEST_F(WindowOptionsTest, SavedPositionsLeftOfTheScreenComeBackAndUnreachableOnesDoNot) {
  struct Case {
    const char* loc;
    QPoint topLeft;
  };
  const Case cases[] = {
      {"4294967196,20,900,600,450,300", {-100, 20}},
      {"4294962296,4294962296,900,600,450,300", defaultGeometry().topLeft()},
  };
  for (const Case& c : cases) {
    window_.reset();
    configuration_.writeIni(std::string("[_config_]\nAUTOSTART=0\nLOC=") + c.loc + "\n");
    configuration_->LoadProgramSettings();
    window_ = std::make_unique<MainWindow>(
        WindowServices{*configuration_, sites_, session_, userInterface_}, WindowHooks{});
    EXPECT_EQ(window_->geometry().topLeft(), c.topLeft) << c.loc;
    EXPECT_EQ(window_->geometry().size(), QSize(900, 600)) << c.loc;
  }
}

}  // namespace
}  // namespace ferrix::shell
