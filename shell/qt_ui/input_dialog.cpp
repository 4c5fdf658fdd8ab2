#include "shell/qt_ui/input_dialog.h"

#include <QLineEdit>

#include "session/user_interface.h"

namespace ferrix::shell {

InputDialog::InputDialog(QWidget* parent, Kind kind, const QString& prompt, const QString& text,
                         int helpTopic, HelpHandler showHelp)
    : QDialog(parent), field_(new QLineEdit(this)) {
  setObjectName(kind == Kind::kPassword ? "DLG_INPUT_PASSWORD" : "DLG_INPUT");
  setWindowTitle(QString::fromUtf8(session::kProgramTitle));

  field_->setObjectName("text");
  field_->setMaxLength(static_cast<int>(session::UserInterface::kMaxInputLength));
  if (kind == Kind::kPassword) field_->setEchoMode(QLineEdit::Password);
  field_->setText(text);
  field_->selectAll();
  layOutPromptDialog(*this, prompt, *field_, helpTopic, std::move(showHelp));
}

QString InputDialog::text() const { return field_->text(); }

}  // namespace ferrix::shell
