// The one-line input dialogs DLG_INPUT and DLG_INPUT_PASSWORD: a prompt, a
// field pre-filled with the given text (all selected, with the focus, at most
// 255 characters, masked for a password), OK, Cancel and Help.
//
// Thread rule: GUI thread only; the caller owns the dialog and runs exec().
#pragma once

#include <QDialog>

#include "shell/qt_ui/help_keys.h"

class QLineEdit;

namespace ferrix::shell {

class InputDialog final : public QDialog {
  Q_OBJECT

 public:
  enum class Kind { kText, kPassword };

  InputDialog(QWidget* parent, Kind kind, const QString& prompt, const QString& text, int helpTopic,
              HelpHandler showHelp);

  QString text() const;

 private:
  QLineEdit* field_;
};

}  // namespace ferrix::shell
