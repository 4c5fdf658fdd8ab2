// The first three pages of the options sheet: General (e-mail address,
// viewer, transfer log, and the buttons that save or reset the window
// locations at once), Advanced (folder information, start-up sites, rate
// display, double-click action, network buffer sizes) and Display (layout,
// dates and the list font, whose "Custom Font" opens the font chooser at
// once).
//
// Pages belong to their sheet. Thread rule: GUI thread only.
#pragma once

#include "shell/options/options_context.h"
#include "shell/options/options_page.h"

namespace ferrix::shell {

class GeneralOptionsPage final : public OptionsPageWidget {
  Q_OBJECT
 public:
  GeneralOptionsPage(config::OptionsEditor& editor, const OptionsSheetContext& context,
                     QWidget* parent);
};

class AdvancedOptionsPage final : public OptionsPageWidget {
  Q_OBJECT
 public:
  AdvancedOptionsPage(config::OptionsEditor& editor, QWidget* parent);
};

class DisplayOptionsPage final : public OptionsPageWidget {
  Q_OBJECT
 public:
  DisplayOptionsPage(config::OptionsEditor& editor, const OptionsSheetContext& context,
                     QWidget* parent);
};

}  // namespace ferrix::shell
