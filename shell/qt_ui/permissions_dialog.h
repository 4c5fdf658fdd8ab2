// DLG_CHMOD, "Remote file permissions": Read, Write and Execute for Owner,
// Group and Other, preset from three octal digits written as a decimal number
// (644), and read back the same way. OK, Cancel and Help.
//
// Thread rule: GUI thread only.
#pragma once

#include <QDialog>
#include <array>

#include "shell/qt_ui/help_keys.h"

class QCheckBox;

namespace ferrix::shell {

class PermissionsDialog final : public QDialog {
  Q_OBJECT

 public:
  PermissionsDialog(QWidget* parent, unsigned digits, int helpTopic, HelpHandler showHelp);

  // Owner × 100 + group × 10 + other, each digit read 4 + write 2 + execute 1.
  unsigned digits() const;

 private:
  // Owner, group, other; each read, write, execute.
  std::array<std::array<QCheckBox*, 3>, 3> boxes_{};
};

}  // namespace ferrix::shell
