#include "shell/options/options_page.h"

#include <QRadioButton>
#include <QShowEvent>
#include <utility>

namespace ferrix::shell {

OptionsPageWidget::OptionsPageWidget(config::OptionsEditor& editor, config::OptionsPage page,
                                     int helpContext, QWidget* parent)
    : QWidget(parent), editor_(editor), page_(page), helpContext_(helpContext) {}

void OptionsPageWidget::loadOnce() {
  if (loaded_) return;
  loaded_ = true;
  loading_ = true;
  for (const auto& load : loaders_) load();
  loading_ = false;
  refresh();
}

void OptionsPageWidget::showEvent(QShowEvent* event) {
  loadOnce();
  QWidget::showEvent(event);
}

void OptionsPageWidget::markChanged() {
  if (loading_) return;
  editor_.markChanged(page_);
  refresh();
  emit changed();
}

void OptionsPageWidget::refresh() {
  for (const auto& refresh : refreshers_) refresh();
}

void OptionsPageWidget::bindCheck(QCheckBox* box, std::function<bool&()> field) {
  bindCheck(
      box, [field] { return field(); }, [field](bool on) { field() = on; });
}

void OptionsPageWidget::bindCheck(QCheckBox* box, std::function<bool()> get,
                                  std::function<void(bool)> set) {
  loaders_.push_back([box, get] { box->setChecked(get()); });
  connect(box, &QCheckBox::toggled, this, [this, set](bool on) {
    if (loading_) return;
    set(on);
    markChanged();
  });
}

void OptionsPageWidget::bindText(QLineEdit* line, std::function<std::string&()> field) {
  loaders_.push_back([line, field] { line->setText(QString::fromStdString(field())); });
  connect(line, &QLineEdit::textChanged, this, [this, field](const QString& text) {
    if (loading_) return;
    field() = text.toStdString();
    markChanged();
  });
}

void OptionsPageWidget::bindChoice(QButtonGroup* group, std::function<int()> get,
                                   std::function<void(int)> set) {
  loaders_.push_back([group, get] {
    if (QAbstractButton* button = group->button(get())) button->setChecked(true);
  });
  connect(group, &QButtonGroup::idToggled, this, [this, set](int id, bool checked) {
    if (loading_ || !checked) return;
    set(id);
    markChanged();
  });
}

void OptionsPageWidget::onClick(QAbstractButton* button, std::function<void()> action) {
  connect(button, &QAbstractButton::clicked, this, [this, action = std::move(action)] {
    action();
    markChanged();
  });
}

void OptionsPageWidget::onLoad(std::function<void()> load) { loaders_.push_back(std::move(load)); }

void OptionsPageWidget::onRefresh(std::function<void()> refresh) {
  refreshers_.push_back(std::move(refresh));
}

QButtonGroup* makeChoice(QWidget* parent, const std::vector<const char*>& captions) {
  auto* group = new QButtonGroup(parent);
  int id = 0;
  for (const char* caption : captions) group->addButton(new QRadioButton(caption, parent), id++);
  return group;
}

}  // namespace ferrix::shell
