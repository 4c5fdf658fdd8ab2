// Test helpers for the port's dialogs: answering a modal dialog once it is
// shown, the way a person would, by clicking one of its buttons.
// Thread rule: GUI thread only.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace ferrix::shell::testing {

// The visible top-level dialog named `name`, if one is shown.
inline QDialog* shownDialog(const QString& name) {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->isVisible() && widget->objectName() == name) return qobject_cast<QDialog*>(widget);
  }
  return nullptr;
}

// Runs `act` once on the dialog named `name` as soon as it is shown and
// active (keys such as F1 reach only the active window).
inline void whenShown(const QString& name, std::function<void(QDialog&)> act) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, name, act = std::move(act)] {
    QDialog* dialog = shownDialog(name);
    if (dialog == nullptr || !dialog->isActiveWindow()) return;
    timer->stop();
    timer->deleteLater();
    act(*dialog);
  });
  timer->start();
}

// Clicks the button named `button` of the dialog named `dialog` once shown.
inline void clickWhenShown(const QString& dialog, const QString& button) {
  whenShown(dialog,
            [button](QDialog& shown) { shown.findChild<QAbstractButton*>(button)->click(); });
}

}  // namespace ferrix::shell::testing
