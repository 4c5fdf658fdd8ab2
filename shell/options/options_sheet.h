// OptionsSheet: the options dialog, one sheet of eleven pages in this order:
// General, Advanced, Display, Sounds, Sort, Transfers, Session, Session
// (cont'd), Convert, Extensions, Associations. It opens on "Session" while
// connected, otherwise on "General". Each page reads its values when first
// shown; OK writes the pages the person changed and then tells the window
// what to redo through the context's callbacks; Cancel writes nothing more
// than the buttons that act at once already wrote. Help and F1 open the
// current page's help context.
//
// The sheet owns its pages and the editor behind them; the window owns what
// the context refers to. Thread rule: GUI thread only.
#pragma once

#include <QDialog>
#include <vector>

#include "config/options_editor.h"
#include "shell/options/options_context.h"

class QTabWidget;

namespace ferrix::shell {

class AssociationsOptionsPage;
class OptionsPageWidget;

class OptionsSheet final : public QDialog {
  Q_OBJECT

 public:
  OptionsSheet(OptionsSheetContext context, QWidget* parent);

  QTabWidget* tabs() const { return tabs_; }

 public slots:
  void accept() override;

 private:
  void addPage(OptionsPageWidget* page, const QString& title);
  void showCurrentHelp();

  OptionsSheetContext context_;
  config::TransferModeSetting transferMode_;
  config::OptionsEditor editor_;
  QTabWidget* tabs_;
  std::vector<OptionsPageWidget*> pages_;
  AssociationsOptionsPage* associations_;
};

}  // namespace ferrix::shell
