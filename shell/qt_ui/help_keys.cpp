#include "shell/qt_ui/help_keys.h"

#include <QAbstractButton>
#include <QDialog>
#include <QShortcut>

namespace ferrix::shell {

void bindHelp(QDialog& dialog, QAbstractButton& helpButton, int topic, HelpHandler showHelp) {
  helpButton.setVisible(topic != 0);
  const auto show = [topic, showHelp = std::move(showHelp)] {
    if (showHelp) showHelp(topic);
  };
  QObject::connect(&helpButton, &QAbstractButton::clicked, &dialog, show);
  for (const Qt::Key key : {Qt::Key_F1, Qt::Key_F2}) {
    auto* shortcut = new QShortcut(QKeySequence(key), &dialog);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(shortcut, &QShortcut::activated, &dialog, show);
  }
}

}  // namespace ferrix::shell
