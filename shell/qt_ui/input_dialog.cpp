#include "shell/qt_ui/input_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "session/user_interface.h"

namespace ferrix::shell {

InputDialog::InputDialog(QWidget* parent, Kind kind, const QString& prompt, const QString& text,
                         int helpTopic, HelpHandler showHelp)
    : QDialog(parent), field_(new QLineEdit(this)) {
  setObjectName(kind == Kind::kPassword ? "DLG_INPUT_PASSWORD" : "DLG_INPUT");
  setWindowTitle(QString::fromUtf8(session::kProgramTitle));

  auto* promptLabel = new QLabel(prompt, this);
  promptLabel->setObjectName("prompt");
  promptLabel->setTextFormat(Qt::PlainText);
  promptLabel->setWordWrap(true);
  promptLabel->setBuddy(field_);

  field_->setObjectName("text");
  field_->setMaxLength(static_cast<int>(session::UserInterface::kMaxInputLength));
  if (kind == Kind::kPassword) field_->setEchoMode(QLineEdit::Password);
  field_->setText(text);
  field_->selectAll();
  field_->setMinimumWidth(fontMetrics().averageCharWidth() * 56);

  QDialogButtonBox* buttons = makeOkCancelHelp(*this, helpTopic, std::move(showHelp));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(promptLabel);
  layout->addWidget(field_);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  field_->setFocus();
}

QString InputDialog::text() const { return field_->text(); }

}  // namespace ferrix::shell
