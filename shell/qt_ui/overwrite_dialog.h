// DLG_OVERWRITE: may a file that exists in the destination be replaced? The
// caption is the file's name; "&Yes" and "&No" always, "Yes to &All" and
// "No &to All" only for a batch of two or more files. exec() returns the
// number of the button (the port's OverwriteAnswer); closing answers "&No".
//
// Thread rule: GUI thread only.
#pragma once

#include "session/user_interface.h"
#include "shell/qt_ui/question_dialog.h"

namespace ferrix::shell {

class OverwriteDialog final : public QuestionDialog {
  Q_OBJECT

 public:
  OverwriteDialog(QWidget* parent, const QString& question, const QString& caption, int batchCount);

  static session::UserInterface::OverwriteAnswer answerOf(int result);
};

}  // namespace ferrix::shell
