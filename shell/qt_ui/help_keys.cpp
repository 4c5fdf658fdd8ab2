#include "shell/qt_ui/help_keys.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace ferrix::shell {

QDialogButtonBox* makeOkCancelHelp(QDialog& dialog, int helpTopic, HelpHandler showHelp) {
  auto* buttons = new QDialogButtonBox(
      QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, &dialog);
  buttons->setObjectName("buttons");
  buttons->button(QDialogButtonBox::Ok)->setObjectName("ok");
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
  QPushButton* help = buttons->button(QDialogButtonBox::Help);
  help->setObjectName("help");
  help->setText(QDialog::tr("&Help"));
  help->setVisible(helpTopic != 0);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

  const auto show = [helpTopic, showHelp = std::move(showHelp)] {
    if (showHelp) showHelp(helpTopic);
  };
  QObject::connect(help, &QPushButton::clicked, &dialog, show);
  for (const Qt::Key key : {Qt::Key_F1, Qt::Key_F2}) {
    auto* shortcut = new QShortcut(QKeySequence(key), &dialog);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(shortcut, &QShortcut::activated, &dialog, show);
  }
  return buttons;
}

void layOutPromptDialog(QDialog& dialog, const QString& prompt, QWidget& field, int helpTopic,
                        HelpHandler showHelp) {
  auto* promptLabel = new QLabel(prompt, &dialog);
  promptLabel->setObjectName("prompt");
  promptLabel->setTextFormat(Qt::PlainText);
  promptLabel->setWordWrap(true);
  promptLabel->setBuddy(&field);
  field.setMinimumWidth(dialog.fontMetrics().averageCharWidth() * 56);

  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(promptLabel);
  layout->addWidget(&field);
  layout->addWidget(makeOkCancelHelp(dialog, helpTopic, std::move(showHelp)));
  layout->setSizeConstraint(QLayout::SetFixedSize);
  field.setFocus();
}

}  // namespace ferrix::shell
