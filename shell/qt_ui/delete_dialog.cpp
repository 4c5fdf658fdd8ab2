#include "shell/qt_ui/delete_dialog.h"

#include <QPushButton>

namespace ferrix::shell {

using DeleteAnswer = session::UserInterface::DeleteAnswer;

DeleteDialog::DeleteDialog(QWidget* parent, const QString& question, int selectedCount)
    : QuestionDialog(parent, tr("Verify Deletion"), question,
                     static_cast<int>(DeleteAnswer::kCancel)) {
  setObjectName("DLG_DELETE");
  QPushButton* yes = addAnswer(tr("&Yes"), static_cast<int>(DeleteAnswer::kYes), "yes");
  yes->setDefault(true);
  addAnswer(tr("&No"), static_cast<int>(DeleteAnswer::kNo), "no");
  const bool several = selectedCount >= 2;
  addAnswer(tr("Delete &All"), static_cast<int>(DeleteAnswer::kDeleteAll), "deleteAll")
      ->setVisible(several);
  addAnswer(tr("Cancel"), static_cast<int>(DeleteAnswer::kCancel), "cancel")->setVisible(several);
  yes->setFocus();
}

DeleteAnswer DeleteDialog::answerOf(int result) {
  switch (result) {
    case static_cast<int>(DeleteAnswer::kYes):
      return DeleteAnswer::kYes;
    case static_cast<int>(DeleteAnswer::kNo):
      return DeleteAnswer::kNo;
    case static_cast<int>(DeleteAnswer::kDeleteAll):
      return DeleteAnswer::kDeleteAll;
    default:
      return DeleteAnswer::kCancel;
  }
}

}  // namespace ferrix::shell
