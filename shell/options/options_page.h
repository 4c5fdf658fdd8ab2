// OptionsPageWidget: what every page of the options sheet shares. A page
// shows one record of the OptionsEditor; its controls are bound to the
// record's fields, filled the first time the page is shown, and every edit
// or click the person makes writes the field at once and marks the page as
// changed (only changed pages are written on OK).
//
// A page belongs to its sheet and works on the sheet's editor. Thread rule:
// GUI thread only.
#pragma once

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "config/options_editor.h"

namespace ferrix::shell {

class OptionsPageWidget : public QWidget {
  Q_OBJECT

 public:
  OptionsPageWidget(config::OptionsEditor& editor, config::OptionsPage page, int helpContext,
                    QWidget* parent);

  config::OptionsPage page() const { return page_; }
  int helpContext() const { return helpContext_; }

  // Fills the controls from the page's record, once; showing the page does it.
  void loadOnce();

 signals:
  void changed();

 protected:
  void showEvent(QShowEvent* event) override;

  config::OptionsEditor& editor() { return editor_; }
  void markChanged();

  // Binds a control to a field of the page's record; `field` gives the field.
  void bindCheck(QCheckBox* box, std::function<bool&()> field);
  void bindCheck(QCheckBox* box, std::function<bool()> get, std::function<void(bool)> set);
  void bindText(QLineEdit* line, std::function<std::string&()> field);
  void bindChoice(QButtonGroup* group, std::function<int()> get, std::function<void(int)> set);
  // A button whose click marks the page as changed after doing its work.
  void onClick(QAbstractButton* button, std::function<void()> action);
  // Runs when the controls are filled, before the refreshers.
  void onLoad(std::function<void()> load);
  // Runs after the controls were filled, and after each change.
  void onRefresh(std::function<void()> refresh);

 private:
  void refresh();

  config::OptionsEditor& editor_;
  const config::OptionsPage page_;
  const int helpContext_;
  bool loaded_ = false;
  bool loading_ = false;
  std::vector<std::function<void()>> loaders_;
  std::vector<std::function<void()>> refreshers_;
};

// A radio button group with the captions in order, ids 0, 1, ...
QButtonGroup* makeChoice(QWidget* parent, const std::vector<const char*>& captions);

}  // namespace ferrix::shell
