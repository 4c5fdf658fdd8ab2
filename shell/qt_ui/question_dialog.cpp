#include "shell/qt_ui/question_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace ferrix::shell {

QuestionDialog::QuestionDialog(QWidget* parent, const QString& caption, const QString& question,
                               int closingAnswer)
    : QDialog(parent), closingAnswer_(closingAnswer), buttonRow_(new QHBoxLayout) {
  setWindowTitle(caption);
  auto* label = new QLabel(question, this);
  label->setObjectName("question");
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setMinimumWidth(fontMetrics().averageCharWidth() * 64);

  buttonRow_->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addSpacing(fontMetrics().height() / 2);
  layout->addLayout(buttonRow_);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void QuestionDialog::reject() { done(closingAnswer_); }

QPushButton* QuestionDialog::addAnswer(const QString& text, int answer, const char* objectName) {
  auto* button = new QPushButton(text, this);
  button->setObjectName(objectName);
  connect(button, &QPushButton::clicked, this, [this, answer] { done(answer); });
  buttonRow_->addWidget(button);
  return button;
}

}  // namespace ferrix::shell
