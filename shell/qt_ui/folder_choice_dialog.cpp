#include "shell/qt_ui/folder_choice_dialog.h"

#include <QComboBox>
#include <QLineEdit>

#include "session/user_interface.h"

namespace ferrix::shell {

FolderChoiceDialog::FolderChoiceDialog(QWidget* parent, const QString& prompt,
                                       const QString& folder, const QStringList& choices,
                                       int helpTopic, HelpHandler showHelp)
    : QDialog(parent), field_(new QComboBox(this)) {
  setObjectName("DLG_INPUT1");
  setWindowTitle(QString::fromUtf8(session::kProgramTitle));

  field_->setObjectName("text");
  field_->setEditable(true);
  // Choosing a folder from the list must not add it to the list again.
  field_->setInsertPolicy(QComboBox::NoInsert);
  field_->addItems(choices);
  field_->lineEdit()->setMaxLength(
      static_cast<int>(session::UserInterface::kMaxFolderChoiceLength));
  field_->setEditText(folder);
  field_->lineEdit()->selectAll();
  layOutPromptDialog(*this, prompt, *field_, helpTopic, std::move(showHelp));
}

QString FolderChoiceDialog::text() const { return field_->currentText(); }

}  // namespace ferrix::shell
