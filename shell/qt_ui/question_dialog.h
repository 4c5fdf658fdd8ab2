// A question with a row of numbered answer buttons (the overwrite and delete
// questions): exec() returns the number of the button pressed, or the
// dialog's closing answer when it is closed with its close box or Escape.
// The question text is shown as plain text, since it carries server names.
//
// Thread rule: GUI thread only.
#pragma once

#include <QDialog>

class QHBoxLayout;
class QPushButton;

namespace ferrix::shell {

class QuestionDialog : public QDialog {
  Q_OBJECT

 public:
  QuestionDialog(QWidget* parent, const QString& caption, const QString& question,
                 int closingAnswer);

  void reject() override;

 protected:
  QPushButton* addAnswer(const QString& text, int answer, const char* objectName);

 private:
  int closingAnswer_;
  QHBoxLayout* buttonRow_;
};

}  // namespace ferrix::shell
