// The panes' columns at the window sizes people use: a long name whole at
// 1400 pixels, the size column in sight at 800, stored stops kept, the tool
// tip and the header's sort arrow, folders on top after every sort.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>
#include <filesystem>
#include <memory>

#include "listing/pane_text.h"
#include "shell/window/file_pane.h"
#include "shell/window/main_window.h"
#include "shell/window/pane_header.h"
#include "shell/window/pane_list_model.h"
#include "shell/window/window_commands.h"
#include "shell/window/window_test_support.h"
#include "testing/scripted_user_interface.h"

namespace ferrix::shell {
namespace {

namespace fs = std::filesystem;
using namespace test_support;

constexpr char kLongName[] = "quarterly-report-2024-final-revision.pdf";  // 40 characters
constexpr int kTextPadding = 3;

class PaneFitTest : public WindowTestBase {
 protected:
  PaneFitTest() {
    fs::create_directories(fs::path(local_.path()) / "archive");
    write(fs::path(local_.path()) / kLongName, std::string(123456, 'x'));
    write(fs::path(local_.path()) / "a.txt", "a");
  }
  ~PaneFitTest() override { window_.reset(); }

  void openWindow(const std::string& ini, QSize size) {
    configuration_.writeIni("[_config_]\nAUTOSTART=0\n" + ini);
    configuration_->LoadProgramSettings();
    window_ = std::make_unique<MainWindow>(
        WindowServices{*configuration_, sites_, session_, userInterface_}, WindowHooks{});
    window_->setLocalFolder(local_.path());
    window_->resize(size);
    window_->show();
    ASSERT_TRUE(QTest::qWaitFor([this] { return window_->idle(); }, kWaitMs));
    QApplication::processEvents();
  }

  FilePane& pane() { return *window_->localPane(); }
  const listing::ColumnStops& columns() { return pane().header()->look().columns; }

  // The name as the list draws it in its column.
  std::string shownName(const std::string& name) {
    const QFontMetrics metrics = pane().list()->fontMetrics();
    const int width = columns().stops[1] - columns().stops[0] - 2 * kTextPadding;
    return listing::ShortenedName(name, width, [&metrics](std::string_view text) {
      return metrics.horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    });
  }

  testing::ScriptedUserInterface userInterface_;
  std::unique_ptr<MainWindow> window_;
};

TEST_F(PaneFitTest, ALongNameIsWholeAt1400AndTheSizeInSightAt800) {
  openWindow("", {1400, 900});
  EXPECT_EQ(shownName(kLongName), kLongName);
  const int viewport = pane().list()->viewport()->width();
  EXPECT_LE(columns().extent(), viewport);
  EXPECT_GE(columns().extent(), viewport - 8) << "the name column takes what is left";

  window_->resize(800, 600);
  QApplication::processEvents();
  EXPECT_LE(columns().extent(), pane().list()->viewport()->width());
  EXPECT_GE(columns().stops[1] - columns().stops[0], listing::kMinimumNameWidth);
  const std::string shown = shownName(kLongName);
  EXPECT_NE(shown, kLongName);
  EXPECT_EQ(shown.substr(shown.size() - 3), "\xE2\x80\xA6");
}

TEST_F(PaneFitTest, StoredStopsStayAsTheyAre) {
  openWindow("LOCL=20,140,260,330\n", {1400, 900});
  EXPECT_EQ(columns().stops, (std::array<int, 4>{20, 140, 260, 330}));
  EXPECT_NE(window_->remotePane()->header()->look().columns.stops, columns().stops);
  EXPECT_FALSE(window_->windowLocations().remoteColumns.has_value());
  EXPECT_EQ(window_->windowLocations().localColumns, (std::array<int, 4>{20, 140, 260, 330}));
}

TEST_F(PaneFitTest, TheToolTipTellsTheWholeNameSizeAndDate) {
  openWindow("", {800, 600});
  const int row = rowOf(pane(), kLongName);
  ASSERT_GE(row, 0);
  const QRect rect = pane().list()->visualRect(pane().model()->index(row));
  QWidget* viewport = pane().list()->viewport();
  QHelpEvent help(QEvent::ToolTip, rect.center(), viewport->mapToGlobal(rect.center()));
  QApplication::sendEvent(viewport, &help);
  const QString tip = QToolTip::text();
  EXPECT_TRUE(tip.startsWith(QString::fromLatin1(kLongName))) << tip.toStdString();
  EXPECT_TRUE(tip.contains(QStringLiteral("Size: 123456 bytes"))) << tip.toStdString();
  EXPECT_TRUE(tip.contains(QStringLiteral("Date: "))) << tip.toStdString();
}

TEST_F(PaneFitTest, FoldersStayOnTopAndTheArrowFollowsEverySort) {
  openWindow("", {1000, 700});
  // Header 1 is Name (key 1), 2 Date (key 3), 3 Size (key 4).
  constexpr listing::SortKey kKeyOfHeader[] = {listing::SortKey::kNone, listing::SortKey::kName,
                                               listing::SortKey::kDate, listing::SortKey::kSize};
  for (const int header : {1, 2, 3, 3, 2, 1}) {
    window_->dispatchCommand(command::kLocalHeaderFirst + header);
    const std::vector<std::string> names = namesIn(pane());
    ASSERT_EQ(names.size(), 4U);
    EXPECT_EQ(names[0], "..");
    EXPECT_EQ(names[1], "archive") << "after a click on header " << header;
    EXPECT_EQ(listing::KeyOf(pane().header()->look().sortValue), kKeyOfHeader[header]);
  }
}

}  // namespace
}  // namespace ferrix::shell
