#include "shell/options/file_browser.h"

#include <QFileDialog>
#include <QFileInfo>

#include "platform/paths.h"
#include "resources/strings.h"
#include "shell/desktop/associate_dialog.h"

namespace ferrix::shell {

bool browseForFile(QWidget* owner, int filterId, QString& path) {
  QFileDialog dialog(owner);
  dialog.setFileMode(QFileDialog::ExistingFile);
  const std::string_view filter = resources::loadString(filterId);
  dialog.setNameFilter(fileDialogFilter(QString::fromUtf8(filter.data(), filter.size())));
  if (path.isEmpty()) {
    dialog.setDirectory(QString::fromStdString(platform::configFolder()));
  } else {
    const QFileInfo current(path);
    dialog.setDirectory(current.absolutePath());
    dialog.selectFile(current.fileName());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  path = dialog.selectedFiles().constFirst();
  return true;
}

}  // namespace ferrix::shell
