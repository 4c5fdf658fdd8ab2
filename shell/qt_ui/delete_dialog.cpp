#include "shell/qt_ui/delete_dialog.h"

#include <QPushButton>

namespace ferrix::shell {

DeleteDialog::DeleteDialog(QWidget* parent, const QString& name, int count)
    : QuestionDialog(parent, tr("Verify Deletion"),
                     tr("Are you sure you want to delete \"%1\"?").arg(name), kCancel) {
  setObjectName("DLG_DELETE");
  QPushButton* yes = addAnswer(tr("&Yes"), kYes, "yes");
  yes->setDefault(true);
  addAnswer(tr("&No"), kNo, "no");
  const bool several = count >= 2;
  addAnswer(tr("Delete &All"), kDeleteAll, "deleteAll")->setVisible(several);
  addAnswer(tr("Cancel"), kCancel, "cancel")->setVisible(several);
  yes->setFocus();
}

}  // namespace ferrix::shell
