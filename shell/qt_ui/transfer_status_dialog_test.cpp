#include "shell/qt_ui/transfer_status_dialog.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QTest>
#include <QWidget>

#include "shell/qt_ui/percent_bar.h"
#include "shell/qt_ui/qt_user_interface.h"

namespace ferrix::shell {
namespace {

using Display = session::UserInterface::TransferDisplay;

TEST(PercentBar, FillsWholeHundredthsOfTheWidthRoundedDownToAHundred) {
  struct Case {
    int width;
    unsigned percent;
    int filled;
  };
  const Case cases[] = {{250, 0, 0},     {250, 1, 2},     {250, 50, 100}, {250, 99, 198},
                        {250, 100, 200}, {250, 180, 200}, {99, 50, 0},    {300, 33, 99}};
  for (const Case& c : cases) {
    EXPECT_EQ(PercentBar::filledWidth(c.width, c.percent), c.filled) << c.width << " " << c.percent;
  }
}

TEST(TransferStatusDialog, ShowsTheStatusTextAndKeepsTheBarWithoutAPercentage) {
  QtUserInterface ui(nullptr);
  ui.openTransferStatus(Display::kDialog, "150 Opening BINARY mode data connection (4096 bytes)");
  TransferStatusDialog* dialog = ui.transferStatusDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->windowTitle(), "Transfer Status");
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_FALSE(dialog->isModal());
  EXPECT_EQ(dialog->findChild<QLabel*>("statusText")->text(),
            "150 Opening BINARY mode data connection (4096 bytes)");
  EXPECT_EQ(dialog->bar().text(), "");

  ui.showTransferProgress("2048 : 160.00 Kbps", 50);
  EXPECT_EQ(dialog->progressText(), "2048 : 160.00 Kbps");
  EXPECT_EQ(dialog->bar().percent(), 50u);
  EXPECT_EQ(dialog->bar().text(), "50%");

  ui.showTransferProgress("", std::nullopt);
  EXPECT_EQ(dialog->progressText(), "");
  EXPECT_EQ(dialog->bar().text(), "50%");

  ui.closeTransferStatus();
  EXPECT_EQ(ui.transferStatusDialog(), nullptr);
}

TEST(TransferStatusDialog, CancelCallsTheCancelHandlerAndClosesTheDialog) {
  QtUserInterface ui(nullptr);
  int cancels = 0;
  ui.setCancelHandler([&] { ++cancels; });
  ui.openTransferStatus(Display::kDialog, "150 Opening");
  ui.transferStatusDialog()->findChild<QAbstractButton*>("cancel")->click();
  EXPECT_EQ(cancels, 1);
  EXPECT_EQ(ui.transferStatusDialog(), nullptr);
  // The engine goes on until its next block: nothing it shows reaches a dialog.
  ui.showTransferProgress("8192", 100);
  ui.closeTransferStatus();
  EXPECT_EQ(cancels, 1);
}

TEST(TransferStatusDialog, CloseBoxEndsTheDisplayWithoutCancelling) {
  QtUserInterface ui(nullptr);
  int cancels = 0;
  ui.setCancelHandler([&] { ++cancels; });
  ui.openTransferStatus(Display::kDialog, "150 Opening");
  ui.transferStatusDialog()->close();
  EXPECT_EQ(cancels, 0);
  EXPECT_EQ(ui.transferStatusDialog(), nullptr);

  ui.openTransferStatus(Display::kDialog, "150 Opening");
  QTest::keyClick(ui.transferStatusDialog(), Qt::Key_Escape);
  EXPECT_EQ(cancels, 1);
}

TEST(TransferStatusDialog, ReopensWhereTheUserLeftIt) {
  QtUserInterface ui(nullptr);
  QWidget window;
  window.setGeometry(100, 100, 800, 500);
  window.show();
  ui.setDialogParent(&window);
  ui.openTransferStatus(Display::kDialog, "150 Opening");
  EXPECT_EQ(ui.transferStatusDialog()->parentWidget(), &window);
  ui.transferStatusDialog()->move(37, 41);
  const QPoint moved = ui.transferStatusDialog()->pos();
  ui.closeTransferStatus();
  ui.openTransferStatus(Display::kDialog, "150 Opening again");
  EXPECT_EQ(ui.transferStatusDialog()->pos(), moved);
  ui.closeTransferStatus();
}

TEST(TransferStatusDialog, WithoutHashTheProgressGoesToTheStatusLineOfTheDirection) {
  QtUserInterface ui(nullptr);
  std::vector<std::pair<int, QString>> shown;
  QObject::connect(&ui, &QtUserInterface::statusLineProgress,
                   [&](int line, const QString& text) { shown.emplace_back(line, text); });
  ui.openTransferStatus(Display::kSendStatusLine, "Sending BINARY file a.bin");
  ui.showTransferProgress("4096", std::nullopt);
  ui.closeTransferStatus();
  ui.openTransferStatus(Display::kReceiveStatusLine, "150 Opening");
  ui.showTransferProgress("512", std::nullopt);
  ui.closeTransferStatus();
  EXPECT_EQ(ui.transferStatusDialog(), nullptr);
  EXPECT_EQ(shown,
            (std::vector<std::pair<int, QString>>{{QtUserInterface::kSendStatusLine, "4096"},
                                                  {QtUserInterface::kReceiveStatusLine, "512"}}));
}

}  // namespace
}  // namespace ferrix::shell
