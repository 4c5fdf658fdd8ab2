// Associations: which program opens a file of a given extension, kept in the
// `Extensions` section of our WIN.INI. The same fields serve the "Associate"
// dialog (asked for by Exec when an extension has no program) and the
// "Associations" page of the options sheet: the extension, the program with
// the programs already in use to choose from, and "&Browse...".
//
// The dialog and the page work on the configuration they are given. The
// extension last given to the dialog is remembered for the page for the
// rest of the run. Thread rule: GUI thread only.
#pragma once

#include <QDialog>
#include <QWidget>
#include <functional>
#include <string>

#include "config/configuration.h"
#include "shell/options/options_page.h"

class QComboBox;

namespace ferrix::shell {

inline constexpr int kAssociationHelp = 256;

// The extension and program fields with "&Browse...".
class AssociationFields final : public QWidget {
  Q_OBJECT
 public:
  AssociationFields(config::Configuration& configuration, const QString& extension,
                    QWidget* parent);

  QString extension() const;
  QString command() const;

 signals:
  // The person chose an extension, typed, or browsed.
  void changed();

 private:
  void showCommandOfExtension();

  config::Configuration& configuration_;
  QComboBox* extension_;
  QComboBox* command_;
};

// The "Associate" dialog for `extension`. Returns 1 when confirmed (the
// association is then written), 0 when cancelled. `showHelp` may be empty.
int showAssociationDialog(QWidget* owner, config::Configuration& configuration,
                          const std::string& extension,
                          const std::function<void(int context)>& showHelp);

class AssociationsOptionsPage final : public OptionsPageWidget {
  Q_OBJECT
 public:
  AssociationsOptionsPage(config::OptionsEditor& editor, QWidget* parent);
};

}  // namespace ferrix::shell
