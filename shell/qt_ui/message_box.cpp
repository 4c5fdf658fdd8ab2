#include "shell/qt_ui/message_box.h"

namespace ferrix::shell {
namespace {

using Answer = session::UserInterface::Answer;
using Buttons = session::UserInterface::Buttons;
using Icon = session::UserInterface::Icon;

QMessageBox::StandardButtons standardButtons(Buttons buttons) {
  switch (buttons) {
    case Buttons::kOk:
      return QMessageBox::Ok;
    case Buttons::kOkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::kYesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case Buttons::kYesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

QMessageBox::Icon boxIcon(Icon icon) {
  switch (icon) {
    case Icon::kNone:
      return QMessageBox::NoIcon;
    case Icon::kInformation:
      return QMessageBox::Information;
    case Icon::kWarning:
      return QMessageBox::Warning;
    case Icon::kError:
      return QMessageBox::Critical;
    case Icon::kQuestion:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButton standardButton(Answer answer) {
  switch (answer) {
    case Answer::kOk:
      return QMessageBox::Ok;
    case Answer::kCancel:
      return QMessageBox::Cancel;
    case Answer::kYes:
      return QMessageBox::Yes;
    case Answer::kNo:
      return QMessageBox::No;
  }
  return QMessageBox::Cancel;
}

}  // namespace

Answer closedAnswer(Buttons buttons) {
  switch (buttons) {
    case Buttons::kOk:
      return Answer::kOk;
    case Buttons::kYesNo:
      return Answer::kNo;
    case Buttons::kOkCancel:
    case Buttons::kYesNoCancel:
      return Answer::kCancel;
  }
  return Answer::kCancel;
}

std::unique_ptr<QMessageBox> makeMessageBox(QWidget* parent, const QString& text,
                                            const QString& caption, Buttons buttons, Icon icon) {
  auto box =
      std::make_unique<QMessageBox>(boxIcon(icon), caption, text, standardButtons(buttons), parent);
  box->setObjectName("messageBox");
  // Texts carry server names and replies, which must never be read as markup.
  box->setTextFormat(Qt::PlainText);
  box->setEscapeButton(box->button(standardButton(closedAnswer(buttons))));
  return box;
}

Answer messageBoxAnswer(const QMessageBox& box, Buttons buttons) {
  switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok:
      return Answer::kOk;
    case QMessageBox::Yes:
      return Answer::kYes;
    case QMessageBox::No:
      return Answer::kNo;
    case QMessageBox::Cancel:
      return Answer::kCancel;
    default:
      return closedAnswer(buttons);
  }
}

}  // namespace ferrix::shell
