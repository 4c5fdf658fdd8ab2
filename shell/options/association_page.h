// The "Associations" page of the options sheet: which program opens files of
// an extension, kept in the `Extensions` section of our WIN.INI. It offers
// the same fields as the "Associate" dialog of the local file commands (the
// extension, the program with the programs already in use, "&Browse...")
// and follows the same rules, with room for longer texts; OK stores the
// association when the page was changed.
//
// The page belongs to its sheet and reads and writes WIN.INI through the
// configuration. Thread rule: GUI thread only.
#pragma once

#include "shell/options/options_page.h"

class QComboBox;

namespace ferrix::shell {

class AssociationsOptionsPage final : public OptionsPageWidget {
  Q_OBJECT
 public:
  static constexpr int kHelpContext = 256;
  static constexpr int kFieldLength = 259;

  AssociationsOptionsPage(config::OptionsEditor& editor, QWidget* parent);

  // Completes the command with "^.<extension>" and writes it; nothing when
  // either field is empty. True when an association was written.
  bool store();

 private:
  void showCommandOfExtension();

  QComboBox* extension_;
  QComboBox* command_;
};

}  // namespace ferrix::shell
