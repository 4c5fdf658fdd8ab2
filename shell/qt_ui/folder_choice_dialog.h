// DLG_INPUT1: the one-line prompt for a remote folder whose field also drops
// down the folders visited on this connection. Pre-filled with the current
// folder (all selected, with the focus), at most 69 characters, OK, Cancel
// and Help.
//
// Thread rule: GUI thread only; the caller owns the dialog and runs exec().
#pragma once

#include <QDialog>
#include <QStringList>

#include "shell/qt_ui/help_keys.h"

class QComboBox;

namespace ferrix::shell {

class FolderChoiceDialog final : public QDialog {
  Q_OBJECT

 public:
  FolderChoiceDialog(QWidget* parent, const QString& prompt, const QString& folder,
                     const QStringList& choices, int helpTopic, HelpHandler showHelp);

  QString text() const;

 private:
  QComboBox* field_;
};

}  // namespace ferrix::shell
