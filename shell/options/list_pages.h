// The two list pages of the options sheet: "Convert" edits the extension
// conversion list (FERRIX.CNV) and "Extensions" the list of names sent as
// ASCII in automatic mode (FERRIX.EXT). OK rewrites a changed list's file.
//
// Pages belong to their sheet. Thread rule: GUI thread only.
#pragma once

#include "shell/options/options_page.h"

class QListWidget;

namespace ferrix::shell {

class ConvertOptionsPage final : public OptionsPageWidget {
  Q_OBJECT
 public:
  ConvertOptionsPage(config::OptionsEditor& editor, QWidget* parent);
};

class ExtensionsOptionsPage final : public OptionsPageWidget {
  Q_OBJECT
 public:
  ExtensionsOptionsPage(config::OptionsEditor& editor, QWidget* parent);
};

}  // namespace ferrix::shell
