// Renders every dialog of the port; with FERRIX_SCREENSHOT_DIR set, each
// picture is also saved there as a PNG for a person to look at.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <memory>
#include <utility>
#include <vector>

#include "shell/qt_ui/delete_dialog.h"
#include "shell/qt_ui/folder_choice_dialog.h"
#include "shell/qt_ui/input_dialog.h"
#include "shell/qt_ui/message_box.h"
#include "shell/qt_ui/overwrite_dialog.h"
#include "shell/qt_ui/permissions_dialog.h"
#include "shell/qt_ui/transfer_status_dialog.h"

namespace ferrix::shell {
namespace {

using Buttons = session::UserInterface::Buttons;
using Icon = session::UserInterface::Icon;

std::vector<std::pair<QString, std::unique_ptr<QDialog>>> everyDialog() {
  std::vector<std::pair<QString, std::unique_ptr<QDialog>>> dialogs;
  dialogs.emplace_back("input", std::make_unique<InputDialog>(nullptr, InputDialog::Kind::kText,
                                                              "Enter new name for \"report.txt\":",
                                                              "report.txt", 520, HelpHandler()));
  dialogs.emplace_back("input_password",
                       std::make_unique<InputDialog>(
                           nullptr, InputDialog::Kind::kPassword,
                           "Please enter a password for anna on site ftp.example.org:", "secret",
                           80, HelpHandler()));
  dialogs.emplace_back("input_without_help",
                       std::make_unique<InputDialog>(nullptr, InputDialog::Kind::kText,
                                                     "Please enter a userid for the connection to "
                                                     "ftp.example.org:",
                                                     "", 0, HelpHandler()));
  dialogs.emplace_back("overwrite_batch",
                       std::make_unique<OverwriteDialog>(
                           nullptr,
                           "Newer version of report.txt exists in the destination folder.\n"
                           "Copy the file anyway?",
                           "report.txt", 3));
  dialogs.emplace_back("overwrite_single",
                       std::make_unique<OverwriteDialog>(
                           nullptr,
                           "Same version of report.txt exists in the destination folder.\n"
                           "Copy the file anyway?",
                           "report.txt", 1));
  dialogs.emplace_back(
      "delete_several",
      std::make_unique<DeleteDialog>(nullptr, "Are you sure you want to delete \"old.log\"?", 3));
  dialogs.emplace_back(
      "delete_one",
      std::make_unique<DeleteDialog>(nullptr, "Are you sure you want to delete \"old.log\"?", 1));
  dialogs.emplace_back("folder_choice",
                       std::make_unique<FolderChoiceDialog>(
                           nullptr, "Enter remote folder name:", "/pub/incoming",
                           QStringList{"/", "/pub", "/pub/incoming"}, 180, HelpHandler()));
  dialogs.emplace_back("chmod",
                       std::make_unique<PermissionsDialog>(nullptr, 754, 720, HelpHandler()));
  auto status = std::make_unique<TransferStatusDialog>(
      nullptr, "150 Opening BINARY mode data connection for big.iso (1048576 bytes)");
  status->showProgress("655360 : 512.00 Kbps : 0:10 : 0:06", 62);
  dialogs.emplace_back("transfer_status", std::move(status));
  dialogs.emplace_back("message_resume",
                       makeMessageBox(nullptr,
                                      "Do you want to attempt to resume the transfer of:\n"
                                      "  /pub/big.iso\n-->\n  /home/anna/big.iso",
                                      session::kProgramTitle, Buttons::kYesNo, Icon::kQuestion));
  return dialogs;
}

TEST(DialogPictures, EveryDialogRendersAtItsOwnSize) {
  const QString folder = qEnvironmentVariable("FERRIX_SCREENSHOT_DIR");
  if (!folder.isEmpty()) QDir().mkpath(folder);
  for (auto& [name, dialog] : everyDialog()) {
    SCOPED_TRACE(name.toStdString());
    dialog->show();
    const QPixmap picture = dialog->grab();
    EXPECT_FALSE(picture.isNull());
    EXPECT_GE(picture.width(), dialog->minimumSizeHint().width());
    EXPECT_GE(picture.height(), dialog->minimumSizeHint().height());
    if (!folder.isEmpty()) {
      EXPECT_TRUE(picture.save(QDir(folder).filePath(name + ".png")));
    }
    dialog->hide();
  }
}

}  // namespace
}  // namespace ferrix::shell
