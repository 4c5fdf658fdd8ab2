#include "shell/options/file_browser.h"

#include <QFileDialog>
#include <QFileInfo>
#include <vector>

#include "platform/paths.h"
#include "resources/strings.h"

namespace ferrix::shell {

QStringList nameFiltersFrom(std::string_view filterText) {
  std::vector<QString> parts;
  for (const QString& part : QString::fromUtf8(filterText.data(), filterText.size()).split('|')) {
    parts.push_back(part);
  }
  QStringList filters;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) break;
    QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
    for (QString& pattern : patterns) {
      if (pattern == "*.*") pattern = "*";
    }
    // The pattern list after the description is what the dialog filters by;
    // HideNameFilterDetails shows the description alone.
    filters << QString("%1 (%2)").arg(parts[i], patterns.join(' '));
  }
  return filters;
}

bool browseForFile(QWidget* owner, int filterId, QString& path) {
  QFileDialog dialog(owner);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilters(nameFiltersFrom(resources::loadString(filterId)));
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
