// DLG_DELETE, "Verify Deletion": the question ("Are you sure you want to
// delete ...?") with "&Yes" (6), "&No" (7), and for two or more selected
// entries also "Delete &All" (4) and "Cancel" (2). The focus starts on
// "&Yes"; closing the dialog answers Cancel. exec() returns the button's
// number, the port's DeleteAnswer.
//
// Thread rule: GUI thread only.
#pragma once

#include "session/user_interface.h"
#include "shell/qt_ui/question_dialog.h"

namespace ferrix::shell {

class DeleteDialog final : public QuestionDialog {
  Q_OBJECT

 public:
  DeleteDialog(QWidget* parent, const QString& question, int selectedCount);

  static session::UserInterface::DeleteAnswer answerOf(int result);
};

}  // namespace ferrix::shell
