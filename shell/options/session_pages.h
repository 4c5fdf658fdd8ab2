// The two pages of the current site's session options: "Session" (host
// type, folder updates, progress dialog, passive mode, firewall, name rules,
// remembered folders) and "Session (cont'd)" (unique names, destination
// prompts, the start-up transfer mode). Each has "Set as default", which
// writes its values as the defaults of every site at once; "Session" also
// saves the current folders as the site's connection folders at once.
//
// Pages belong to their sheet. Thread rule: GUI thread only.
#pragma once

#include "shell/options/options_context.h"
#include "shell/options/options_page.h"

class QComboBox;

namespace ferrix::shell {

class SessionOptionsPage final : public OptionsPageWidget {
  Q_OBJECT
 public:
  SessionOptionsPage(config::OptionsEditor& editor, const OptionsSheetContext& context,
                     QWidget* parent);
};

class SessionMoreOptionsPage final : public OptionsPageWidget {
  Q_OBJECT
 public:
  SessionMoreOptionsPage(config::OptionsEditor& editor, QWidget* parent);
};

// Fills a combo box with every host type name in table order, each item
// carrying its identifier as data.
void addHostTypes(QComboBox* box);

}  // namespace ferrix::shell
