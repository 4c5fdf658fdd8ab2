// The middle pages of the options sheet: Sounds (the five events with their
// wave files and the None / Beeps / Wave choice), Sort (the sort value of
// each pane) and the transfer-behaviour page (resume, file times, overwrite
// questions, folder transfers).
//
// Pages belong to their sheet. Thread rule: GUI thread only.
#pragma once

#include "shell/options/options_context.h"
#include "shell/options/options_page.h"

namespace ferrix::shell {

class SoundsOptionsPage final : public OptionsPageWidget {
  Q_OBJECT
 public:
  SoundsOptionsPage(config::OptionsEditor& editor, const OptionsSheetContext& context,
                    QWidget* parent);
};

class SortOptionsPage final : public OptionsPageWidget {
  Q_OBJECT
 public:
  SortOptionsPage(config::OptionsEditor& editor, QWidget* parent);

 private:
  QWidget* paneGroup(const char* title, std::function<std::int32_t&()> value);
};

class TransferOptionsPage final : public OptionsPageWidget {
  Q_OBJECT
 public:
  TransferOptionsPage(config::OptionsEditor& editor, QWidget* parent);
};

}  // namespace ferrix::shell
