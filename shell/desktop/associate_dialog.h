// The "Associate" dialog: which command opens files of one extension. It
// offers every extension that has an entry and the programs those entries
// use, shows the command of the chosen extension, lets the person browse for
// a program, and on OK completes the command with "^.<extension>" and stores
// it in our WIN.INI.
//
// Ownership: a modal dialog over its parent; the association table is
// borrowed. Thread rule: GUI thread; associationQuestion() makes a callback
// that may be called from any thread.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include "shell/desktop/command_rules.h"
#include "shell/desktop/local_file_commands.h"

class QComboBox;

namespace ferrix::shell {

class AssociateDialog final : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kDialogExtensionLength = 3;
  static constexpr int kDialogCommandLength = 78;

  AssociateDialog(desktop::AssociationTable& associations, const QString& extension,
                  QWidget* parent = nullptr);

  QComboBox* extensionBox() const { return extensionBox_; }
  QComboBox* programBox() const { return programBox_; }

  void accept() override;

 private:
  void fillLists();
  void showCommandOf(const QString& extension);
  void browse();

  desktop::AssociationTable& associations_;
  QComboBox* extensionBox_;
  QComboBox* programBox_;
};

// The programs of the given commands: each command up to its first blank,
// lower-cased, left out when an entry beginning with that text (in any case)
// is there already; sorted.
QStringList programsOfCommands(const QStringList& commands);

// A filter of the string table ("Name|patterns|...|||") for a Qt file dialog.
QString fileDialogFilter(const QString& resourceFilter);

// The association question of LocalFileCommands over the `Extensions` of
// `winIni`, shown over `parent`; from another thread it waits for the answer
// on the GUI thread.
desktop::AskAssociation associationQuestion(platform::IniFile& winIni, QWidget* parent);

}  // namespace ferrix::shell
