#include "shell/qt_ui/overwrite_dialog.h"

#include <QPushButton>

namespace ferrix::shell {

using OverwriteAnswer = session::UserInterface::OverwriteAnswer;

OverwriteDialog::OverwriteDialog(QWidget* parent, const QString& question, const QString& caption,
                                 int batchCount)
    : QuestionDialog(parent, caption, question, static_cast<int>(OverwriteAnswer::kNo)) {
  setObjectName("DLG_OVERWRITE");
  addAnswer(tr("&Yes"), static_cast<int>(OverwriteAnswer::kYes), "yes")->setDefault(true);
  addAnswer(tr("&No"), static_cast<int>(OverwriteAnswer::kNo), "no");
  const bool batch = batchCount >= 2;
  addAnswer(tr("Yes to &All"), static_cast<int>(OverwriteAnswer::kYesToAll), "yesToAll")
      ->setVisible(batch);
  addAnswer(tr("No &to All"), static_cast<int>(OverwriteAnswer::kNoToAll), "noToAll")
      ->setVisible(batch);
}

OverwriteAnswer OverwriteDialog::answerOf(int result) {
  switch (result) {
    case static_cast<int>(OverwriteAnswer::kYes):
      return OverwriteAnswer::kYes;
    case static_cast<int>(OverwriteAnswer::kYesToAll):
      return OverwriteAnswer::kYesToAll;
    case static_cast<int>(OverwriteAnswer::kNoToAll):
      return OverwriteAnswer::kNoToAll;
    default:
      return OverwriteAnswer::kNo;
  }
}

}  // namespace ferrix::shell
