// DLG_DELETE, "Verify Deletion": "Are you sure you want to delete ...?" with
// "&Yes" (6), "&No" (7), and for two or more selected entries also
// "Delete &All" (4) and "Cancel" (2). The focus starts on "&Yes"; closing the
// dialog answers Cancel. exec() returns the button's number.
//
// Thread rule: GUI thread only.
#pragma once

#include "shell/qt_ui/question_dialog.h"

namespace ferrix::shell {

class DeleteDialog final : public QuestionDialog {
  Q_OBJECT

 public:
  static constexpr int kYes = 6;
  static constexpr int kNo = 7;
  static constexpr int kDeleteAll = 4;
  static constexpr int kCancel = 2;

  DeleteDialog(QWidget* parent, const QString& name, int count);
};

}  // namespace ferrix::shell
